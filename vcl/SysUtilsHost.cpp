// The host side of the runtime's file, folder and command-line functions (Linux).
#include "vcl/SysUtils.h"
#include "vcl/SysUtilsPlatform.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

namespace {

bool StatPath(const std::wstring& name, struct stat& st)
{
    return !name.empty() && ::stat(ks::os::HostPath(name).c_str(), &st) == 0;
}

int AttributesOf(const std::string& folder, const std::string& name, int64_t& size)
{
    struct stat st{};
    size = 0;
    if (::stat((folder + name).c_str(), &st) != 0)
        return 0;
    size = st.st_size;
    int attr = S_ISDIR(st.st_mode) ? faDirectory : faArchive;
    if (::access((folder + name).c_str(), W_OK) != 0)
        attr |= faReadOnly;
    return attr;
}

constexpr int NoMoreFiles = 18;

} // namespace

struct TSearchState {
    DIR* Dir = nullptr;
    std::string Folder;
    std::string Mask;
    int ExcludeAttr = 0;

    ~TSearchState()
    {
        if (Dir)
            ::closedir(Dir);
    }
};

TSearchRec::TSearchRec() = default;
TSearchRec::TSearchRec(TSearchRec&&) noexcept = default;
TSearchRec& TSearchRec::operator=(TSearchRec&&) noexcept = default;
TSearchRec::~TSearchRec() = default;

bool FileExists(const std::wstring& name)
{
    struct stat st{};
    return StatPath(name, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::wstring& name)
{
    struct stat st{};
    return StatPath(name, st) && S_ISDIR(st.st_mode);
}

int FindNext(TSearchRec& rec)
{
    TSearchState* state = rec.FindHandle.get();
    if (!state)
        return NoMoreFiles;
    while (dirent* entry = ::readdir(state->Dir)) {
        std::string name = entry->d_name;
        if (::fnmatch(state->Mask.c_str(), name.c_str(), 0) != 0)
            continue;
        int64_t size = 0;
        int attr = AttributesOf(state->Folder, name, size);
        if (attr & state->ExcludeAttr)
            continue;
        rec.Name = UTF8ToWide(name);
        rec.Attr = attr;
        rec.Size = size;
        return 0;
    }
    return NoMoreFiles;
}

int FindFirst(const std::wstring& path, int attr, TSearchRec& rec)
{
    FindClose(rec);
    std::string full = ks::os::HostPath(path);
    size_t slash = full.rfind('/');
    auto state = std::make_unique<TSearchState>();
    state->Folder = slash == std::string::npos ? std::string("./") : full.substr(0, slash + 1);
    state->Mask = full.substr(slash == std::string::npos ? 0 : slash + 1);
    // Windows: "*.*" also matches names without a dot; fnmatch would not.
    if (state->Mask == "*.*")
        state->Mask.erase(1);
    state->ExcludeAttr = ~attr & (faHidden | faSysFile | faDirectory);
    state->Dir = ::opendir(state->Folder.c_str());
    if (!state->Dir)
        return errno != 0 ? errno : NoMoreFiles;
    rec.FindHandle = std::move(state);
    int result = FindNext(rec);
    if (result != 0)
        FindClose(rec);
    return result;
}

void FindClose(TSearchRec& rec) noexcept
{
    rec.FindHandle.reset();
}

namespace ks::os {

std::vector<std::wstring> CommandLineArgs()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::wstring> args;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        args.push_back(UTF8ToWide(std::string_view(all).substr(start, end - start)));
        start = end + 1;
    }
    if (!args.empty())
        args.erase(args.begin());
    return args;
}

std::wstring ModuleFileName()
{
    std::string buf(256, '\0');
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            return {};
        if (static_cast<size_t>(n) < buf.size()) {
            buf.resize(static_cast<size_t>(n));
            return UTF8ToWide(buf);
        }
        buf.resize(buf.size() * 2);
    }
}

std::string HostPath(const std::wstring& name)
{
    std::string path = WideToUTF8(name);
    for (auto& c : path) {
        if (c == '\\')
            c = '/';
    }
    return path;
}

} // namespace ks::os
