// The Windows side of the runtime's file, folder and command-line functions (W APIs only, so
// that non-ASCII names survive whatever the ANSI code page is).
#include "vcl/SysUtils.h"
#include "vcl/SysUtilsPlatform.h"
#include "vcl/Win.h"

#include <shellapi.h>

namespace {

DWORD AttributesOf(const std::wstring& name)
{
    return name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(name.c_str());
}

constexpr int ReportedAttributes = faReadOnly | faHidden | faSysFile | faDirectory | faArchive;

} // namespace

struct TSearchState {
    HANDLE Handle = INVALID_HANDLE_VALUE;
    int ExcludeAttr = 0;

    ~TSearchState()
    {
        if (Handle != INVALID_HANDLE_VALUE)
            ::FindClose(Handle);
    }
};

TSearchRec::TSearchRec() = default;
TSearchRec::TSearchRec(TSearchRec&&) noexcept = default;
TSearchRec& TSearchRec::operator=(TSearchRec&&) noexcept = default;
TSearchRec::~TSearchRec() = default;

bool FileExists(const std::wstring& name)
{
    DWORD attr = AttributesOf(name);
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& name)
{
    DWORD attr = AttributesOf(name);
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// Skips entries the caller's attribute mask excludes; fills rec from the first one left.
int Accept(TSearchRec& rec, WIN32_FIND_DATAW& data)
{
    TSearchState& state = *rec.FindHandle;
    while (static_cast<int>(data.dwFileAttributes) & state.ExcludeAttr) {
        if (!FindNextFileW(state.Handle, &data))
            return static_cast<int>(GetLastError());
    }
    rec.Name = data.cFileName;
    rec.Attr = static_cast<int>(data.dwFileAttributes) & ReportedAttributes;
    rec.Size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    return 0;
}

} // namespace

int FindFirst(const std::wstring& path, int attr, TSearchRec& rec)
{
    FindClose(rec);
    WIN32_FIND_DATAW data{};
    HANDLE h = FindFirstFileW(path.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return static_cast<int>(GetLastError());
    rec.FindHandle = std::make_unique<TSearchState>();
    rec.FindHandle->Handle = h;
    rec.FindHandle->ExcludeAttr = ~attr & (faHidden | faSysFile | faDirectory);
    int result = Accept(rec, data);
    if (result != 0)
        FindClose(rec);
    return result;
}

int FindNext(TSearchRec& rec)
{
    if (!rec.FindHandle)
        return ERROR_NO_MORE_FILES;
    WIN32_FIND_DATAW data{};
    if (!FindNextFileW(rec.FindHandle->Handle, &data))
        return static_cast<int>(GetLastError());
    return Accept(rec, data);
}

void FindClose(TSearchRec& rec) noexcept
{
    rec.FindHandle.reset();
}

namespace ks::os {

std::vector<std::wstring> CommandLineArgs()
{
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv)
        return args;
    for (int i = 1; i < count; ++i)
        args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

std::wstring ModuleFileName()
{
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return {};
        // Windows: a name that does not fit is cut and n equals the buffer size.
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

} // namespace ks::os
