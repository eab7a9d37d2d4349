#include "skin/core/SkinSelection.h"

#include "host/support/TempDir.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TEST(SkinSelection, DirectoriesResolveAgainstTheProgramFolder)
{
    struct Case {
        const char* name;
        const wchar_t* directory;
        const wchar_t* appDir;
        const wchar_t* expected;
    } const cases[] = {
        {"Absolute", L"c:\\Skins", L"C:\\App\\Bin\\", L"c:\\Skins"},
        {"Relative", L"Skins", L"C:\\App\\Bin\\", L"C:\\App\\Bin\\Skins"},
        {"DotBackslash", L".\\Skins", L"C:\\App\\Bin\\", L"C:\\App\\Bin\\Skins"},
        {"DotSlash", L"./Skins", L"C:\\App\\Bin\\", L"C:\\App\\Bin\\Skins"},
        {"Parent", L"..\\Skins", L"C:\\App\\Bin\\", L"C:\\App\\Skins"},
        {"ParentAlone", L"..", L"C:\\App\\Bin\\", L"C:\\App\\"},
        {"ParentOfADriveRootStaysThere", L"..\\Skins", L"C:\\", L"C:\\Skins"},
        {"ParentOfAFolderWithoutDelimiter", L"..\\Skins", L"App", L"AppSkins"},
        {"NetworkPath", L"\\\\server\\Skins", L"C:\\App\\", L"\\\\server\\Skins"},
        {"Empty", L"", L"C:\\App\\", L"C:\\App\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ResolveSkinDirectory(c.directory, c.appDir), c.expected);
    }
}

TEST(SkinSelection, PackedFileAndFolderNames)
{
    EXPECT_EQ(PackedSkinFileName(L"c:\\Skins", L"Blue"), L"c:\\Skins\\Blue.asz");
    EXPECT_EQ(PackedSkinFileName(L"c:\\Skins\\", L"Blue"), L"c:\\Skins\\Blue.asz");
    EXPECT_EQ(SkinFolderOptionsFile(L"c:\\Skins", L"Blue"), L"c:\\Skins\\Blue\\Options.dat");
}

void Touch(const std::filesystem::path& file)
{
    std::filesystem::create_directories(file.parent_path());
    TMemoryStream s;
    s.SaveToFile(file.wstring());
}

TEST(SkinSelection, ListsInternalSkinsFoldersAndPackedFilesByKind)
{
    ks::test::TempDir dir;
    const std::filesystem::path root(dir.Path());
    Touch(root / L"Folder" / L"Options.dat");
    Touch(root / L"Empty" / L"Readme.txt");
    Touch(root / L".hidden" / L"Options.dat");
    Touch(root / L"packed.asz");
    Touch(root / L"My.Skin.asz");
    Touch(root / L"CAPS.ASZ");
    Touch(root / L"other.zip");
    const std::vector<std::wstring> internal{L"Zeta (internal)"};

    struct Case {
        const char* name;
        TsSkinListKind kind;
        std::vector<std::wstring> expected;
    } const cases[] = {
        {"Folders", TsSkinListKind::Folders, {L"Folder", L"Zeta (internal)"}},
        {"Packed", TsSkinListKind::Packed, {L"My.Skin", L"packed", L"Zeta (internal)"}},
        {"Both", TsSkinListKind::Both, {L"Folder", L"My.Skin", L"packed", L"Zeta (internal)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TWideStringList list;
        list.Add(L"stale");
        EXPECT_EQ(ListSkinNames(internal, dir.Path(), c.kind, list), L"Zeta (internal)");
        std::vector<std::wstring> got;
        for (int i = 0; i < list.Count(); ++i)
            got.push_back(list.Strings(i));
        EXPECT_EQ(got, c.expected);
    }

    TWideStringList list;
    const std::wstring first = ListSkinNames({}, dir.Path(), TsSkinListKind::Folders, list);
    EXPECT_EQ(first, L"Folder");
    EXPECT_EQ(ListSkinNames({}, dir.File(L"missing"), TsSkinListKind::Both, list), L"");
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
