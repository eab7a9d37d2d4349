#pragma once
// zlib glue: inflating a zlib stream (RFC 1950) into a buffer of exactly its declared size,
// deflating (for build tools and tests), and CRC-32.
//
// Inflate never writes past the buffer it is given and never allocates from what the data
// declares: the caller sizes the output from a value it has already checked. The stream must
// end (Z_STREAM_END, check value verified) exactly when the buffer is full; anything else is an
// EZLibError with a ZLibReason. zlib is used with its own allocator and no callbacks, so
// nothing can throw through its C frames.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace ks {

enum class ZLibReason {
    None,
    InitFailed,         // zlib could not set up a stream (out of memory)
    Corrupt,            // not zlib data, a bad block, or a wrong check value
    Truncated,          // the input ended before the stream did
    LongerThanDeclared, // the stream holds more bytes than the buffer
    ShorterThanDeclared // the stream ended before the buffer was full
};

// Inflates one zlib stream fed in pieces (PNG data arrives chunk by chunk) into out.
class ExactInflater {
public:
    explicit ExactInflater(std::span<uint8_t> out);
    ~ExactInflater();
    ExactInflater(const ExactInflater&) = delete;
    ExactInflater& operator=(const ExactInflater&) = delete;

    // Consumes the next piece of compressed input and returns how much of it was used: all of
    // it until the stream ends, then only up to the end of its check value (whatever follows
    // belongs to the caller). Raises EZLibError on corrupt or over-long data.
    size_t Feed(std::span<const uint8_t> in);
    bool Done() const noexcept { return FDone; }
    // Requires that the stream has ended with the buffer exactly full.
    void Finish() const;

private:
    struct State;
    std::unique_ptr<State> FState;
    std::span<uint8_t> FOut;
    bool FDone = false;
};

// Inflates the zlib stream at the start of in into exactly out.size() bytes and returns the
// number of input bytes it occupied, so that a caller can continue after it.
size_t InflateExact(std::span<const uint8_t> in, std::span<uint8_t> out);

// level: 0 (stored) to 9, or -1 for zlib's default.
std::vector<uint8_t> Deflate(std::span<const uint8_t> data, int level = -1);

// Continues a CRC-32 (start with 0), as PNG chunks and zip archives use it.
uint32_t Crc32(uint32_t crc, std::span<const uint8_t> data) noexcept;

} // namespace ks
