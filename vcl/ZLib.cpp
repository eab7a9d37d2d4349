#include "vcl/ZLib.h"

#include "vcl/SysUtils.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace ks {

namespace {

constexpr const char* InitFailedText = "Decompression could not be started";
constexpr const char* CorruptText = "Compressed data is corrupt";
constexpr const char* TruncatedText = "Compressed data is truncated";
constexpr const char* Longer = "Compressed data is longer than its declared size";
constexpr const char* Shorter = "Compressed data is shorter than its declared size";
constexpr const char* DeflateFailed = "Compression failed";

// zlib counts in uInt, which is 32 bits even on 64-bit Windows.
constexpr size_t MaxPiece = std::numeric_limits<uInt>::max();

} // namespace

struct ExactInflater::State {
    z_stream Z{};
    // Counted here rather than read from total_out, which is 32 bits on 64-bit Windows.
    size_t Written = 0;
    // Where output goes once the buffer is full: one byte that proves the stream is too long.
    uint8_t Overflow = 0;
};

ExactInflater::ExactInflater(std::span<uint8_t> out) : FState(std::make_unique<State>()), FOut(out)
{
    if (inflateInit(&FState->Z) != Z_OK)
        throw EZLibError(InitFailedText, ZLibReason::InitFailed);
}

ExactInflater::~ExactInflater()
{
    inflateEnd(&FState->Z);
}

size_t ExactInflater::Feed(std::span<const uint8_t> in)
{
    z_stream& z = FState->Z;
    size_t used = 0;
    while (!FDone && used < in.size()) {
        size_t piece = std::min(in.size() - used, MaxPiece);
        z.next_in = const_cast<Bytef*>(in.data() + used);
        z.avail_in = static_cast<uInt>(piece);
        const bool full = FState->Written == FOut.size();
        if (full) {
            z.next_out = &FState->Overflow;
            z.avail_out = 1;
        } else {
            z.next_out = FOut.data() + FState->Written;
            z.avail_out = static_cast<uInt>(std::min(FOut.size() - FState->Written, MaxPiece));
        }
        const uInt room = z.avail_out;
        int rc = inflate(&z, Z_NO_FLUSH);
        used += piece - z.avail_in;
        size_t produced = room - z.avail_out;
        if (full && produced > 0)
            throw EZLibError(Longer, ZLibReason::LongerThanDeclared);
        FState->Written += produced;
        if (rc == Z_STREAM_END) {
            FDone = true;
        } else if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || rc == Z_STREAM_ERROR) {
            throw EZLibError(CorruptText, ZLibReason::Corrupt);
        } else if (rc == Z_MEM_ERROR) {
            throw EZLibError(InitFailedText, ZLibReason::InitFailed);
        }
        // Z_OK and Z_BUF_ERROR: more input or more room is needed; the loop supplies whichever
        // is missing, and always offers at least one byte of room, so it cannot stall.
    }
    return used;
}

void ExactInflater::Finish() const
{
    if (!FDone)
        throw EZLibError(TruncatedText, ZLibReason::Truncated);
    if (FState->Written != FOut.size())
        throw EZLibError(Shorter, ZLibReason::ShorterThanDeclared);
}

size_t InflateExact(std::span<const uint8_t> in, std::span<uint8_t> out)
{
    ExactInflater inflater(out);
    size_t used = inflater.Feed(in);
    inflater.Finish();
    return used;
}

std::vector<uint8_t> Deflate(std::span<const uint8_t> data, int level)
{
    if (data.size() > std::numeric_limits<uLong>::max() / 2)
        throw EZLibError(DeflateFailed);
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<uint8_t> out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), level) != Z_OK)
        throw EZLibError(DeflateFailed);
    out.resize(size);
    return out;
}

uint32_t Crc32(uint32_t crc, std::span<const uint8_t> data) noexcept
{
    uLong c = crc;
    while (!data.empty()) {
        size_t piece = std::min(data.size(), MaxPiece);
        c = crc32(c, data.data(), static_cast<uInt>(piece));
        data = data.subspan(piece);
    }
    return static_cast<uint32_t>(c);
}

} // namespace ks
