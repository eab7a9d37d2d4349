#include "vcl/Streams.h"

#include "vcl/SysUtils.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr const char* ReadError = "Stream read error";
constexpr const char* WriteError = "Stream write error";
constexpr const char* BadPosition = "Invalid stream position";
constexpr const char* TooLargeText = "Stream size exceeds the address space";
constexpr const char* OpenError = "Cannot open file \"%s\"";
constexpr const char* CreateError = "Cannot create file \"%s\"";

size_t CheckedSize(int64_t size)
{
    if (size < 0 || static_cast<uint64_t>(size) > std::numeric_limits<size_t>::max() / 2)
        throw EStreamError(TooLargeText);
    return static_cast<size_t>(size);
}

} // namespace

void ks::ByteSource::ReadExact(std::span<uint8_t> dest)
{
    // A source may legitimately give less than asked before the end (a pipe, a test source
    // that trickles); only no progress at all means it has run out.
    size_t done = 0;
    while (done < dest.size()) {
        size_t n = ReadSome(dest.subspan(done));
        if (n == 0)
            throw EReadError(ReadError);
        done += n;
    }
}

int64_t TStream::Size()
{
    int64_t pos = Seek(0, soFromCurrent);
    int64_t size = Seek(0, soFromEnd);
    Seek(pos, soFromBeginning);
    return size;
}

uint64_t TStream::Remaining()
{
    int64_t pos = Position();
    int64_t size = Size();
    return pos < size ? static_cast<uint64_t>(size - pos) : 0;
}

void TStream::ReadBuffer(void* buffer, size_t count)
{
    ReadExact({static_cast<uint8_t*>(buffer), count});
}

void TStream::WriteBuffer(const void* buffer, size_t count)
{
    auto* p = static_cast<const uint8_t*>(buffer);
    size_t done = 0;
    while (done < count) {
        size_t n = Write(p + done, count - done);
        if (n == 0)
            throw EWriteError(WriteError);
        done += n;
    }
}

uint64_t TStream::CopyFrom(TStream& source, uint64_t count)
{
    constexpr size_t ChunkSize = 64 * 1024;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<uint64_t>(count, ChunkSize)));
    uint64_t left = count;
    while (left > 0) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(left, buffer.size()));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

size_t TCustomMemoryStream::Read(void* buffer, size_t count)
{
    if (FPosition >= Size() || count == 0)
        return 0;
    size_t pos = static_cast<size_t>(FPosition);
    size_t n = std::min(count, FBytes.size() - pos);
    std::memcpy(buffer, FBytes.data() + pos, n);
    FPosition += static_cast<int64_t>(n);
    return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t base = origin == soFromBeginning ? 0 : origin == soFromCurrent ? FPosition : Size();
    if ((offset > 0 && base > std::numeric_limits<int64_t>::max() - offset) || base + offset < 0)
        throw EStreamError(BadPosition);
    FPosition = base + offset;
    return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream& dest) const
{
    dest.WriteBuffer(FBytes.data(), FBytes.size());
}

void TCustomMemoryStream::SaveToFile(const std::wstring& name) const
{
    TFileStream file(name, fmCreate);
    SaveToStream(file);
}

void TMemoryStream::Adopt(std::vector<uint8_t>&& data) noexcept
{
    FData.swap(data);
    SetPointer(FData);
}

size_t TMemoryStream::Write(const void* buffer, size_t count)
{
    if (count == 0)
        return 0;
    size_t pos = CheckedSize(FPosition);
    if (count > std::numeric_limits<size_t>::max() / 2 - pos)
        throw EWriteError(WriteError);
    if (pos + count > FData.size()) {
        FData.resize(pos + count);
        SetPointer(FData);
    }
    std::memcpy(FData.data() + pos, buffer, count);
    FPosition += static_cast<int64_t>(count);
    return count;
}

void TMemoryStream::SetSize(int64_t size)
{
    FData.resize(CheckedSize(size));
    SetPointer(FData);
    FPosition = std::min(FPosition, size);
}

void TMemoryStream::Clear() noexcept
{
    Adopt({});
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& source)
{
    source.SetPosition(0);
    std::vector<uint8_t> data(CheckedSize(source.Size()));
    source.ReadBuffer(data.data(), data.size());
    Adopt(std::move(data));
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::wstring& name)
{
    TFileStream file(name, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

// ---- file stream ----------------------------------------------------------------------------
// The system's side is in StreamsWin.cpp and StreamsHost.cpp.
void TFileStream::RaiseOpenError(const std::wstring& name, uint16_t mode)
{
    const std::string shown = WideToUTF8(name);
    if (mode == fmCreate)
        throw EFCreateError(Format(CreateError, {shown}));
    throw EFOpenError(Format(OpenError, {shown}));
}
