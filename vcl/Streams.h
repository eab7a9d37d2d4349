#pragma once
// Byte streams: TStream and its memory and file streams (the resource stream, which needs
// <windows.h>, is in ResourceStream.h), and ByteSource, the narrow read interface that portable
// readers of untrusted bytes take instead of a whole stream.
//
// Positions and sizes are 64-bit on every target. A short ReadBuffer raises EReadError
// "Stream read error" and a short WriteBuffer EWriteError "Stream write error", so readers
// need not check counts themselves.

#include "vcl/Classes.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ks {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Copies up to dest.size() bytes; fewer only at the end of the source.
    virtual size_t ReadSome(std::span<uint8_t> dest) = 0;
    // Bytes left before the end, so that a declared length can be checked before allocating.
    virtual uint64_t Remaining() = 0;
    // Fills dest completely or raises EReadError "Stream read error".
    void ReadExact(std::span<uint8_t> dest);
};

} // namespace ks

enum TSeekOrigin { soFromBeginning, soFromCurrent, soFromEnd };

class TStream : public TObject, public ks::ByteSource {
public:
    const char* ClassName() const noexcept override { return "TStream"; }

    // Up to count bytes; fewer only at the end of the stream.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    // Returns the new position. A position before the start raises EStreamError; one beyond
    // the end is allowed (a read there gives nothing, a write extends the stream).
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size();

    int64_t Position() { return Seek(0, soFromCurrent); }
    void SetPosition(int64_t position) { Seek(position, soFromBeginning); }

    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
    // Copies exactly count bytes from source's position; 0 copies nothing. Returns count.
    uint64_t CopyFrom(TStream& source, uint64_t count);

    size_t ReadSome(std::span<uint8_t> dest) override { return Read(dest.data(), dest.size()); }
    uint64_t Remaining() override;
};

// A stream over bytes in memory; reads and seeks for the memory and resource streams.
class TCustomMemoryStream : public TStream {
public:
    const char* ClassName() const noexcept override { return "TCustomMemoryStream"; }

    const uint8_t* Memory() const noexcept { return FBytes.data(); }
    std::span<const uint8_t> Bytes() const noexcept { return FBytes; }

    size_t Read(void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(FBytes.size()); }

    void SaveToStream(TStream& dest) const;
    void SaveToFile(const std::wstring& name) const;

protected:
    void SetPointer(std::span<const uint8_t> bytes) noexcept { FBytes = bytes; }

    int64_t FPosition = 0;

private:
    std::span<const uint8_t> FBytes;
};

class TMemoryStream : public TCustomMemoryStream {
public:
    const char* ClassName() const noexcept override { return "TMemoryStream"; }

    using TCustomMemoryStream::Memory;
    uint8_t* Memory() noexcept { return FData.data(); }

    size_t Write(const void* buffer, size_t count) override;

    // New bytes are zero; a position beyond the new end moves to the end.
    void SetSize(int64_t size);
    void Clear() noexcept;

    // Replace the content with the whole of the source (read from its start) and leave the
    // position at 0. A failed load leaves the stream as it was.
    void LoadFromStream(TStream& source);
    void LoadFromFile(const std::wstring& name);

private:
    void Adopt(std::vector<uint8_t>&& data) noexcept;

    std::vector<uint8_t> FData;
};

// File modes: fmCreate creates or empties a file for writing; anything else opens an existing
// file for reading while others may read it but not write it.
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmCreate = 0xFF00;

class TFileStream : public TStream {
public:
    // Raises EFOpenError (or EFCreateError for fmCreate) when the file cannot be opened.
    TFileStream(const std::wstring& name, uint16_t mode);
    ~TFileStream() override;
    const char* ClassName() const noexcept override { return "TFileStream"; }

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;

    const std::wstring& FileName() const noexcept { return FFileName; }

private:
    // EFCreateError for fmCreate, else EFOpenError, naming the file.
    [[noreturn]] static void RaiseOpenError(const std::wstring& name, uint16_t mode);

    std::wstring FFileName;
    intptr_t FHandle; // a HANDLE on Windows, a file descriptor on the host
};
