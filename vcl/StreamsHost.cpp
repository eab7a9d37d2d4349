// The host side of TFileStream: POSIX descriptors.
#include "vcl/Streams.h"

#include "vcl/SysUtils.h"
#include "vcl/SysUtilsPlatform.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

constexpr const char* ReadError = "Stream read error";
constexpr const char* WriteError = "Stream write error";
constexpr const char* BadPosition = "Invalid stream position";

} // namespace

TFileStream::TFileStream(const std::wstring& name, uint16_t mode) : FFileName(name)
{
    // POSIX has no deny-write sharing; readers here only ever read files nobody else writes.
    std::string path = ks::os::HostPath(name);
    int fd = mode == fmCreate ? ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                              : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        RaiseOpenError(name, mode);
    FHandle = fd;
}

TFileStream::~TFileStream()
{
    ::close(static_cast<int>(FHandle));
}

size_t TFileStream::Read(void* buffer, size_t count)
{
    for (;;) {
        ssize_t n = ::read(static_cast<int>(FHandle), buffer, count);
        if (n >= 0)
            return static_cast<size_t>(n);
        if (errno != EINTR)
            throw EReadError(ReadError);
    }
}

size_t TFileStream::Write(const void* buffer, size_t count)
{
    for (;;) {
        ssize_t n = ::write(static_cast<int>(FHandle), buffer, count);
        if (n >= 0)
            return static_cast<size_t>(n);
        if (errno != EINTR)
            throw EWriteError(WriteError);
    }
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int whence = origin == soFromBeginning ? SEEK_SET : origin == soFromCurrent ? SEEK_CUR : SEEK_END;
    off_t pos = ::lseek(static_cast<int>(FHandle), static_cast<off_t>(offset), whence);
    if (pos < 0)
        throw EStreamError(BadPosition);
    return static_cast<int64_t>(pos);
}
