#include "vcl/BmpReader.h"

#include "vcl/ByteReader.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

namespace ks {

namespace {

constexpr const char* ShortReadText = "Bitmap data ends early";
constexpr const char* SignatureText = "Not a bitmap file";
constexpr const char* HeaderSizeText = "Unsupported bitmap header";
constexpr const char* DimensionsText = "Invalid bitmap dimensions";
constexpr const char* TooLargeText = "Bitmap is too large";
constexpr const char* PlanesText = "Invalid bitmap plane count";
constexpr const char* BitCountText = "Unsupported bitmap colour depth";
constexpr const char* CompressionText = "Unsupported bitmap compression";
constexpr const char* MasksText = "Invalid bitmap colour masks";
constexpr const char* PixelOffsetText = "Invalid bitmap pixel data offset";
constexpr const char* RleText = "Corrupt RLE bitmap data";

constexpr uint32_t BI_RGB_ = 0;
constexpr uint32_t BI_RLE8_ = 1;
constexpr uint32_t BI_RLE4_ = 2;
constexpr uint32_t BI_BITFIELDS_ = 3;

constexpr size_t FileHeaderSize = 14;
constexpr uint32_t CoreHeaderSize = 12;
constexpr uint32_t InfoHeaderSize = 40;

[[noreturn]] void Fail(BmpError reason)
{
    const char* text = ShortReadText;
    switch (reason) {
    case BmpError::ShortRead: text = ShortReadText; break;
    case BmpError::Signature: text = SignatureText; break;
    case BmpError::HeaderSize: text = HeaderSizeText; break;
    case BmpError::Dimensions: text = DimensionsText; break;
    case BmpError::TooLarge: text = TooLargeText; break;
    case BmpError::Planes: text = PlanesText; break;
    case BmpError::BitCount: text = BitCountText; break;
    case BmpError::Compression: text = CompressionText; break;
    case BmpError::Masks: text = MasksText; break;
    case BmpError::PixelOffset: text = PixelOffsetText; break;
    case BmpError::Rle: text = RleText; break;
    }
    throw EInvalidGraphic(text, reason);
}

[[noreturn]] void OnShortRead() { Fail(BmpError::ShortRead); }
[[noreturn]] void OnRleShortRead() { Fail(BmpError::Rle); }

struct Header {
    uint32_t offBits = 0;
    uint32_t size = 0;
    int64_t width = 0;
    int64_t height = 0; // as declared: negative for top-down
    uint16_t planes = 0;
    uint16_t bpp = 0;
    uint32_t compression = BI_RGB_;
    uint32_t clrUsed = 0;
    std::array<uint32_t, 4> masks{}; // red, green, blue, alpha
    bool masksInHeader = false;
};

Header ParseHeader(ByteReader& r)
{
    Header h;
    if (r.U8() != 'B' || r.U8() != 'M')
        Fail(BmpError::Signature);
    r.Skip(8); // bfSize and the reserved words: see the header comment
    h.offBits = r.U32LE();
    h.size = r.U32LE();
    switch (h.size) {
    case CoreHeaderSize: case InfoHeaderSize: case 52: case 56: case 108: case 124: break;
    default: Fail(BmpError::HeaderSize);
    }
    ByteReader info = r.Sub(h.size - 4);
    if (h.size == CoreHeaderSize) {
        h.width = info.U16LE();
        h.height = info.U16LE();
        h.planes = info.U16LE();
        h.bpp = info.U16LE();
        return h;
    }
    h.width = info.I32LE();
    h.height = info.I32LE();
    h.planes = info.U16LE();
    h.bpp = info.U16LE();
    h.compression = info.U32LE();
    info.Skip(12); // biSizeImage (see the header comment) and the resolution
    h.clrUsed = info.U32LE();
    info.Skip(4);
    if (h.size >= 52) {
        h.masksInHeader = true;
        for (int i = 0; i < 3; ++i)
            h.masks[i] = info.U32LE();
        if (h.size >= 56)
            h.masks[3] = info.U32LE();
    }
    return h;
}

// A mask must be one run of set bits inside the pixel; the alpha mask may be empty.
bool ValidMask(uint32_t mask, int bpp, bool mayBeEmpty)
{
    if (mask == 0)
        return mayBeEmpty;
    if (bpp < 32 && (mask >> bpp) != 0)
        return false;
    uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

void CheckMasks(const std::array<uint32_t, 4>& masks, int bpp)
{
    uint32_t seen = 0;
    for (size_t i = 0; i < masks.size(); ++i) {
        if (!ValidMask(masks[i], bpp, i == 3) || (seen & masks[i]) != 0)
            Fail(BmpError::Masks);
        seen |= masks[i];
    }
}

void CheckHeader(const Header& h, const BmpLimits& limits)
{
    if (h.planes != 1)
        Fail(BmpError::Planes);
    const bool core = h.size == CoreHeaderSize;
    switch (h.bpp) {
    case 1: case 4: case 8: case 24: break;
    case 16: case 32: if (core) Fail(BmpError::BitCount); break;
    default: Fail(BmpError::BitCount);
    }
    switch (h.compression) {
    case BI_RGB_: break;
    case BI_RLE8_: if (h.bpp != 8) Fail(BmpError::Compression); break;
    case BI_RLE4_: if (h.bpp != 4) Fail(BmpError::Compression); break;
    case BI_BITFIELDS_: if (h.bpp != 16 && h.bpp != 32) Fail(BmpError::Compression); break;
    default: Fail(BmpError::Compression);
    }
    const bool rle = h.compression == BI_RLE8_ || h.compression == BI_RLE4_;
    // INT32_MIN has no positive counterpart; RLE rows are bottom-up by definition.
    if (h.width <= 0 || h.height == 0 || h.height == std::numeric_limits<int32_t>::min() ||
        (rle && h.height < 0))
        Fail(BmpError::Dimensions);
    uint64_t pixels = 0;
    const uint64_t rows = static_cast<uint64_t>(h.height < 0 ? -h.height : h.height);
    if (!CheckedMul(static_cast<uint64_t>(h.width), rows, pixels) || pixels > limits.MaxPixels)
        Fail(BmpError::TooLarge);
}

// Scales a masked channel to 8 bits, rounding to nearest.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m) : mask(m)
    {
        if (m != 0) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    uint8_t operator()(uint32_t px) const noexcept
    {
        if (max == 0)
            return 0;
        uint32_t v = (px & mask) >> shift;
        return static_cast<uint8_t>((uint64_t{v} * 255 + max / 2) / max);
    }
};

void DecodeBitFields(std::span<const uint8_t> src, size_t srcStride, const Header& h, BmpImage& out)
{
    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
    const size_t outBytes = static_cast<size_t>(out.bpp / 8);
    const size_t inBytes = h.bpp / 8u;
    for (int y = 0; y < out.height; ++y) {
        const uint8_t* in = src.data() + static_cast<size_t>(y) * srcStride;
        const int outY = h.height > 0 ? out.height - 1 - y : y;
        uint8_t* o = out.pixels.data() + static_cast<size_t>(outY) * out.Stride();
        for (int x = 0; x < out.width; ++x, in += inBytes, o += outBytes) {
            uint32_t px = inBytes == 2 ? uint32_t{in[0]} | uint32_t{in[1]} << 8
                                       : uint32_t{in[0]} | uint32_t{in[1]} << 8 |
                                             uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
            o[0] = blue(px);
            o[1] = green(px);
            o[2] = red(px);
            if (outBytes == 4)
                o[3] = alpha(px);
        }
    }
}

void PutIndex(BmpImage& out, int x, int y, uint8_t index)
{
    uint8_t* row = out.pixels.data() + static_cast<size_t>(out.height - 1 - y) * out.Stride();
    if (out.bpp == 8) {
        row[x] = index;
        return;
    }
    uint8_t& b = row[x / 2];
    b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (index & 0x0F))
                : static_cast<uint8_t>((b & 0x0F) | (index << 4));
}

// Rows are counted from the bottom, as RLE data runs. Pixels a command leaves untouched keep
// index 0.
void DecodeRle(ByteReader r, BmpImage& out)
{
    const bool four = out.bpp == 4;
    int x = 0;
    int y = 0;
    auto put = [&](uint8_t index) {
        if (y >= out.height)
            Fail(BmpError::Rle);
        if (x < out.width) // x stays at the width, so endless runs cannot overflow it
            PutIndex(out, x++, y, index);
    };
    for (;;) {
        const uint8_t count = r.U8();
        const uint8_t code = r.U8();
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? static_cast<uint8_t>((i & 1) ? code & 0x0F : code >> 4) : code);
            continue;
        }
        switch (code) {
        case 0:
            if (y >= out.height)
                Fail(BmpError::Rle);
            x = 0;
            ++y;
            break;
        case 1:
            return;
        case 2: {
            const int dx = r.U8();
            const int dy = r.U8();
            if (x + dx > out.width || y + dy > out.height)
                Fail(BmpError::Rle);
            x += dx;
            y += dy;
            break;
        }
        default: {
            const size_t bytes = four ? (code + 1u) / 2 : code;
            std::span<const uint8_t> run = r.Bytes(bytes);
            for (int i = 0; i < code; ++i)
                put(four ? static_cast<uint8_t>((i & 1) ? run[i / 2] & 0x0F : run[i / 2] >> 4)
                         : run[i]);
            if (bytes & 1)
                r.Skip(1); // absolute runs are padded to a word
            break;
        }
        }
    }
}

} // namespace

BmpImage ReadBmp(std::span<const uint8_t> data, const BmpLimits& limits)
{
    ByteReader r(data, OnShortRead);
    Header h = ParseHeader(r);
    CheckHeader(h, limits);

    const bool core = h.size == CoreHeaderSize;
    if (h.compression == BI_BITFIELDS_ && !h.masksInHeader) {
        for (int i = 0; i < 3; ++i)
            h.masks[i] = r.U32LE();
    } else if (h.bpp == 16 && h.compression == BI_RGB_) {
        h.masks = {0x7C00, 0x03E0, 0x001F, 0};
    }
    if (h.compression == BI_BITFIELDS_ || h.bpp == 16)
        CheckMasks(h.masks, h.bpp);

    BmpImage out;
    out.width = static_cast<int>(h.width);
    out.height = static_cast<int>(h.height < 0 ? -h.height : h.height);
    out.bpp = h.bpp == 16 ? 24 : h.bpp;

    if (h.bpp <= 8) {
        const uint32_t full = 1u << h.bpp;
        const uint32_t count = core || h.clrUsed == 0 ? full : std::min(h.clrUsed, full);
        const size_t entrySize = core ? 3 : 4;
        ByteReader table = r.Sub(count * entrySize);
        out.palette.resize(full);
        for (uint32_t i = 0; i < count; ++i) {
            Bgra& c = out.palette[i];
            c.b = table.U8();
            c.g = table.U8();
            c.r = table.U8();
            if (!core)
                table.Skip(1); // the reserved byte is not alpha in a colour table
        }
    }
    if (h.offBits < r.Position() || h.offBits > data.size())
        Fail(BmpError::PixelOffset);
    r.Seek(h.offBits);

    // Fits in size_t: the pixel count is capped and a row holds at most 4 bytes per pixel + 3.
    const size_t outStride = out.Stride();
    out.pixels.assign(outStride * static_cast<size_t>(out.height), 0);

    if (h.compression == BI_RLE8_ || h.compression == BI_RLE4_) {
        DecodeRle(ByteReader(r.Bytes(r.Remaining()), OnRleShortRead), out);
        return out;
    }
    const size_t srcStride = BmpImage::DibStride(out.width, h.bpp);
    std::span<const uint8_t> src = r.Bytes(srcStride * static_cast<size_t>(out.height));
    if (h.compression == BI_BITFIELDS_ || h.bpp == 16) {
        DecodeBitFields(src, srcStride, h, out);
        return out;
    }
    for (int y = 0; y < out.height; ++y) {
        const int outY = h.height > 0 ? out.height - 1 - y : y;
        std::memcpy(out.pixels.data() + static_cast<size_t>(outY) * outStride,
                    src.data() + static_cast<size_t>(y) * srcStride, outStride);
    }
    return out;
}

namespace {

void PutU16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}

void PutU32(std::vector<uint8_t>& v, uint32_t x)
{
    PutU16(v, x & 0xFFFF);
    PutU16(v, x >> 16);
}

} // namespace

std::vector<uint8_t> WriteBmp(const PixelView& view, std::span<const Bgra> palette)
{
    const size_t entries = view.bpp <= 8 ? size_t{1} << view.bpp : 0;
    if (palette.size() < entries)
        throw EInvalidGraphic("Bitmap colour table is incomplete");
    const size_t stride = BmpImage::DibStride(view.width, view.bpp);
    const size_t used = (static_cast<size_t>(view.width) * view.bpp + 7) / 8;
    const size_t offBits = FileHeaderSize + InfoHeaderSize + entries * 4;
    const size_t fileSize = offBits + stride * static_cast<size_t>(view.height);

    std::vector<uint8_t> out;
    out.reserve(fileSize);
    out.push_back('B');
    out.push_back('M');
    PutU32(out, static_cast<uint32_t>(fileSize));
    PutU32(out, 0);
    PutU32(out, static_cast<uint32_t>(offBits));
    PutU32(out, InfoHeaderSize);
    PutU32(out, static_cast<uint32_t>(view.width));
    PutU32(out, static_cast<uint32_t>(view.height));
    PutU16(out, 1);
    PutU16(out, static_cast<uint32_t>(view.bpp));
    PutU32(out, BI_RGB_);
    PutU32(out, static_cast<uint32_t>(stride * static_cast<size_t>(view.height)));
    PutU32(out, 2835); // 72 dpi
    PutU32(out, 2835);
    PutU32(out, static_cast<uint32_t>(entries));
    PutU32(out, 0);
    for (size_t i = 0; i < entries; ++i) {
        out.push_back(palette[i].b);
        out.push_back(palette[i].g);
        out.push_back(palette[i].r);
        out.push_back(0);
    }
    for (int y = view.height - 1; y >= 0; --y) {
        const uint8_t* row = view.Row(y);
        out.insert(out.end(), row, row + used);
        out.insert(out.end(), stride - used, 0);
    }
    return out;
}

} // namespace ks
