#include "vcl/ResourceStream.h"

#include "vcl/SysUtils.h"

#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using TResourceStreamTest = VclFixture;


// A module that carries one RCDATA resource: a copy of this test program with the resource
// added, loaded as data. The test binary has no resources of its own to read.
class ModuleWithResource {
public:
    ModuleWithResource(const wchar_t* name, const std::string& bytes)
    {
        wchar_t folder[MAX_PATH];
        wchar_t file[MAX_PATH];
        if (!GetTempPathW(MAX_PATH, folder) || !GetTempFileNameW(folder, L"ks", 0, file))
            return;
        FFile = file;
        if (!CopyFileW(ParamStr(0).c_str(), file, FALSE))
            return;
        HANDLE update = BeginUpdateResourceW(file, FALSE);
        if (!update)
            return;
        BOOL added = UpdateResourceW(update, RT_RCDATA, name, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                     const_cast<char*>(bytes.data()), static_cast<DWORD>(bytes.size()));
        if (!EndUpdateResourceW(update, !added) || !added)
            return;
        FModule = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~ModuleWithResource()
    {
        if (FModule)
            FreeLibrary(FModule);
        if (!FFile.empty())
            DeleteFileW(FFile.c_str());
    }
    HMODULE Get() const { return FModule; }

private:
    std::wstring FFile;
    HMODULE FModule = nullptr;
};

TEST_F(TResourceStreamTest, ReadsTheResourceBytes)
{
    const std::string bytes("form\0data\xFF", 10);
    ModuleWithResource module(L"TFORM1", bytes);
    ASSERT_NE(module.Get(), nullptr) << "could not make a module with a resource";

    TResourceStream stream(module.Get(), L"TFORM1", RT_RCDATA);
    EXPECT_EQ(stream.Size(), 10);
    std::string read(10, '\0');
    stream.ReadBuffer(read.data(), read.size());
    EXPECT_EQ(read, bytes);
    EXPECT_THROW(stream.ReadBuffer(read.data(), 1), EReadError);
    EXPECT_THROW(stream.WriteBuffer("x", 1), EStreamError);
    stream.SetPosition(4);
    char c = 0;
    stream.ReadBuffer(&c, 1);
    EXPECT_EQ(c, '\0');
}

TEST_F(TResourceStreamTest, AbsentResourceRaisesEResNotFound)
{
    try {
        TResourceStream stream(GetModuleHandleW(nullptr), L"ACSHDA", RT_RCDATA);
        FAIL() << "no exception";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource ACSHDA not found");
    }
    EXPECT_THROW(TResourceStream(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(7), RT_RCDATA), EResNotFound);
}

} // namespace
