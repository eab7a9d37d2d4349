#include "vcl/PixelFormats.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace ks {
namespace {

bool Usable(const PixelView& v) noexcept
{
    return v.scan0 != nullptr && v.width > 0 && v.height > 0;
}

// The index of the brightest entry: what "white" means in an indexed bitmap.
uint8_t WhiteIndex(std::span<const Bgra> colors) noexcept
{
    size_t best = 0;
    for (size_t i = 1; i < colors.size(); ++i)
        if (colors[i].r + colors[i].g + colors[i].b > colors[best].r + colors[best].g + colors[best].b)
            best = i;
    return static_cast<uint8_t>(best);
}

uint8_t IndexAt(const uint8_t* row, int x, int bpp) noexcept
{
    if (bpp == 8)
        return row[x];
    if (bpp == 4)
        return (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

void SetIndexAt(uint8_t* row, int x, int bpp, uint8_t v) noexcept
{
    if (bpp == 4) {
        uint8_t& b = row[x / 2];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | v) : static_cast<uint8_t>((b & 0x0F) | (v << 4));
    } else {
        uint8_t& b = row[x / 8];
        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
        b = v ? (b | bit) : (b & ~bit);
    }
}

// Reads and writes single pixels of any stored format.
class PixelCodec {
public:
    PixelCodec(TPixelFormat format, std::span<const Bgra> colors)
        : FBpp(BitsPerPixel(format)), F565(format == pf16bit), FColors(colors)
    {
    }

    Bgra Read(const uint8_t* row, int x) const noexcept
    {
        switch (FBpp) {
        case 32: return {row[4 * x], row[4 * x + 1], row[4 * x + 2], row[4 * x + 3]};
        case 24: return {row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
        case 16: {
            const unsigned px = row[2 * x] | row[2 * x + 1] << 8;
            const unsigned r = F565 ? px >> 11 : (px >> 10) & 0x1F;
            const unsigned g = F565 ? (px >> 5) & 0x3F : (px >> 5) & 0x1F;
            const unsigned b = px & 0x1F;
            return {Widen5(b), F565 ? static_cast<uint8_t>(g << 2 | g >> 4) : Widen5(g), Widen5(r), 0};
        }
        default: {
            const uint8_t i = IndexAt(row, x, FBpp);
            return i < FColors.size() ? FColors[i] : Bgra{};
        }
        }
    }

    void Write(uint8_t* row, int x, Bgra c) noexcept
    {
        switch (FBpp) {
        case 32: row[4 * x] = c.b; row[4 * x + 1] = c.g; row[4 * x + 2] = c.r; row[4 * x + 3] = 0; break;
        case 24: row[3 * x] = c.b; row[3 * x + 1] = c.g; row[3 * x + 2] = c.r; break;
        case 16: {
            const unsigned px = F565 ? (c.r >> 3) << 11 | (c.g >> 2) << 5 | c.b >> 3
                                     : (c.r >> 3) << 10 | (c.g >> 3) << 5 | c.b >> 3;
            row[2 * x] = static_cast<uint8_t>(px);
            row[2 * x + 1] = static_cast<uint8_t>(px >> 8);
            break;
        }
        case 8: row[x] = Nearest(c); break;
        default: SetIndexAt(row, x, FBpp, Nearest(c)); break;
        }
    }

private:
    static uint8_t Widen5(unsigned v) noexcept { return static_cast<uint8_t>(v << 3 | v >> 2); }

    // The entry at the smallest squared distance, the first of equals; runs of one colour
    // search once.
    uint8_t Nearest(Bgra c) noexcept
    {
        const uint32_t key = c.b | c.g << 8 | c.r << 16;
        if (key == FLastKey)
            return FLastIndex;
        size_t best = 0;
        int bestD = INT_MAX;
        for (size_t i = 0; i < FColors.size() && bestD != 0; ++i) {
            const int db = FColors[i].b - c.b, dg = FColors[i].g - c.g, dr = FColors[i].r - c.r;
            const int d = db * db + dg * dg + dr * dr;
            if (d < bestD) {
                bestD = d;
                best = i;
            }
        }
        FLastKey = key;
        FLastIndex = static_cast<uint8_t>(best);
        return FLastIndex;
    }

    int FBpp;
    bool F565;
    std::span<const Bgra> FColors;
    uint32_t FLastKey = UINT32_MAX;
    uint8_t FLastIndex = 0;
};

} // namespace

int BitsPerPixel(TPixelFormat format) noexcept
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit: case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
    }
}

std::vector<Bgra> DefaultColors(TPixelFormat format)
{
    std::vector<Bgra> colors;
    switch (format) {
    case pf1bit:
        colors = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        break;
    case pf4bit: {
        static constexpr uint32_t Vga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                              0x008080, 0x808080, 0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00,
                                              0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF}; // 0xRRGGBB
        for (uint32_t c : Vga)
            colors.push_back({static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16), 0});
        break;
    }
    case pf8bit:
        for (int i = 0; i < 256; ++i)
            colors.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0});
        break;
    default:
        break;
    }
    return colors;
}

void FillWhite(const PixelView& v, TPixelFormat format, std::span<const Bgra> colors) noexcept
{
    if (!Usable(v))
        return;
    const size_t stride = static_cast<size_t>(std::abs(v.stride));
    uint8_t fill = 0xFF;
    if (v.bpp <= 8) {
        const uint8_t w = WhiteIndex(colors.first(std::min<size_t>(colors.size(), size_t{1} << v.bpp)));
        fill = v.bpp == 8 ? w : v.bpp == 4 ? static_cast<uint8_t>(w << 4 | w) : (w ? 0xFF : 0);
    }
    const uint8_t high16 = format == pf16bit ? 0xFF : 0x7F;
    uint8_t* row = v.Row(0);
    for (int y = 0; y < v.height; ++y, row += v.stride) {
        switch (v.bpp) {
        case 32:
            for (int x = 0; x < v.width; ++x)
                std::memcpy(row + 4 * x, "\xFF\xFF\xFF\x00", 4);
            break;
        case 16:
            for (int x = 0; x < v.width; ++x) {
                row[2 * x] = 0xFF;
                row[2 * x + 1] = high16;
            }
            break;
        default:
            std::memset(row, fill, stride);
            break;
        }
    }
}

void CopyPixels(const PixelView& dst, const PixelView& src) noexcept
{
    if (!Usable(dst) || !Usable(src) || dst.bpp != src.bpp)
        return;
    const int w = std::min(dst.width, src.width);
    const int h = std::min(dst.height, src.height);
    const uint8_t* s = src.Row(0);
    uint8_t* d = dst.Row(0);
    for (int y = 0; y < h; ++y, s += src.stride, d += dst.stride) {
        if (dst.bpp >= 8)
            std::memcpy(d, s, static_cast<size_t>(w) * static_cast<size_t>(dst.bpp / 8));
        else
            for (int x = 0; x < w; ++x)
                SetIndexAt(d, x, dst.bpp, IndexAt(s, x, dst.bpp));
    }
}

void CopyRowBytes(const PixelView& dst, const PixelView& src, size_t bytes) noexcept
{
    if (!Usable(dst) || !Usable(src))
        return;
    const int h = std::min(dst.height, src.height);
    const uint8_t* s = src.Row(0);
    uint8_t* d = dst.Row(0);
    for (int y = 0; y < h; ++y, s += src.stride, d += dst.stride)
        std::memcpy(d, s, bytes);
}

Bgra ReadPixel(const PixelView& v, TPixelFormat format, std::span<const Bgra> colors, int x, int y) noexcept
{
    if (!Usable(v) || x < 0 || y < 0 || x >= v.width || y >= v.height)
        return {};
    return PixelCodec(format, colors).Read(v.Row(y), x);
}

void ConvertPixels(const PixelView& dst, TPixelFormat dstFormat, std::span<const Bgra> dstColors,
                   const PixelView& src, TPixelFormat srcFormat, std::span<const Bgra> srcColors) noexcept
{
    if (!Usable(dst) || !Usable(src) || dst.width != src.width || dst.height != src.height ||
        dst.bpp != BitsPerPixel(dstFormat) || src.bpp != BitsPerPixel(srcFormat))
        return;
    const PixelCodec from(srcFormat, srcColors);
    PixelCodec to(dstFormat, dstColors);
    const uint8_t* s = src.Row(0);
    uint8_t* d = dst.Row(0);
    for (int y = 0; y < dst.height; ++y, s += src.stride, d += dst.stride)
        for (int x = 0; x < dst.width; ++x)
            to.Write(d, x, from.Read(s, x));
}

} // namespace ks
