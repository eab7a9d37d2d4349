// The Windows side of TFileStream: W file APIs, so that any file name can be opened.
#include "vcl/Streams.h"

#include "vcl/SysUtils.h"
#include "vcl/Win.h"

#include <algorithm>

namespace {

constexpr const char* ReadError = "Stream read error";
constexpr const char* WriteError = "Stream write error";
constexpr const char* BadPosition = "Invalid stream position";

// ReadFile and WriteFile take 32-bit counts.
constexpr size_t MaxTransfer = 0x40000000;

HANDLE AsHandle(intptr_t h)
{
    return reinterpret_cast<HANDLE>(h);
}

} // namespace

TFileStream::TFileStream(const std::wstring& name, uint16_t mode) : FFileName(name)
{
    HANDLE h = mode == fmCreate
        ? CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
        : CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        RaiseOpenError(name, mode);
    FHandle = reinterpret_cast<intptr_t>(h);
}

TFileStream::~TFileStream()
{
    CloseHandle(AsHandle(FHandle));
}

size_t TFileStream::Read(void* buffer, size_t count)
{
    DWORD done = 0;
    if (!ReadFile(AsHandle(FHandle), buffer, static_cast<DWORD>(std::min(count, MaxTransfer)), &done, nullptr))
        throw EReadError(ReadError);
    return done;
}

size_t TFileStream::Write(const void* buffer, size_t count)
{
    DWORD done = 0;
    if (!WriteFile(AsHandle(FHandle), buffer, static_cast<DWORD>(std::min(count, MaxTransfer)), &done, nullptr))
        throw EWriteError(WriteError);
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    DWORD method = origin == soFromBeginning ? FILE_BEGIN : origin == soFromCurrent ? FILE_CURRENT : FILE_END;
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER pos;
    if (!SetFilePointerEx(AsHandle(FHandle), distance, &pos, method))
        throw EStreamError(BadPosition);
    return pos.QuadPart;
}
