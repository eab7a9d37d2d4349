#include "skin/pixels/PixelCore.h"

#include "skin/pixels/PixelCoreAvx2.h"
#include "skin/pixels/PixelCoreSse2.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace ks {
namespace {

constexpr bool Empty(const PixelView& v) noexcept
{
    return v.scan0 == nullptr || v.width <= 0 || v.height <= 0;
}

constexpr bool Is24Or32(const PixelView& v) noexcept
{
    return !Empty(v) && (v.bpp == 24 || v.bpp == 32);
}

constexpr bool Is32(const PixelView& v) noexcept
{
    return !Empty(v) && v.bpp == 32;
}

bool Inside(const PixelView& v, int x, int y) noexcept
{
    return !Empty(v) && x >= 0 && y >= 0 && x < v.width && y < v.height;
}

// Rows and columns in 64 bits, so that hostile rectangles and offsets cannot overflow while
// they are clipped.
struct Span {
    int64_t x0, y0, x1, y1;
    bool Empty() const noexcept { return x1 <= x0 || y1 <= y0; }
};

Span Clip(const PixelView& v, const TRect& r) noexcept
{
    return {std::max<int64_t>(r.Left, 0), std::max<int64_t>(r.Top, 0), std::min<int64_t>(r.Right, v.width),
            std::min<int64_t>(r.Bottom, v.height)};
}

// The lowest and one past the highest address of a rectangle of rows.
struct Extent {
    uintptr_t first, last;
};

Extent ExtentOf(const PixelView& v, const Span& s, int bytes) noexcept
{
    const uint8_t* top = v.Row(static_cast<int>(s.y0));
    const uint8_t* bottom = v.Row(static_cast<int>(s.y1 - 1));
    const uint8_t* low = std::min(top, bottom) + s.x0 * bytes;
    const uint8_t* high = std::max(top, bottom) + s.x1 * bytes;
    return {reinterpret_cast<uintptr_t>(low), reinterpret_cast<uintptr_t>(high)};
}

// The level the tables pick loops up to: the processor's, unless a test lowered it.
std::atomic<int>& LevelLimit() noexcept
{
    static std::atomic<int> limit{static_cast<int>(CpuSimdLevel())};
    return limit;
}

bool Allowed(SimdLevel level) noexcept
{
    return static_cast<int>(level) <= LevelLimit().load(std::memory_order_relaxed);
}

// BlendFixed's loops specialised by format, for regions that share no memory; a blend of a bitmap
// with itself needs the plain loop's order. Each table lists the widest loops first: a pass runs
// the first one its format and the level allow.
using BlendFixedLoop = void (*)(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
                                size_t rowBytes, int rows, uint8_t dstWeight) noexcept;

struct BlendFixedPath {
    int bpp;
    SimdLevel level;
    BlendFixedLoop loop;
};

constexpr BlendFixedPath BlendFixedPaths[] = {{24, SimdLevel::Avx2, BlendFixedBytesAvx2},
                                              {32, SimdLevel::Avx2, BlendFixedBytesAvx2},
                                              {24, SimdLevel::Sse2, BlendFixedBytesSse2},
                                              {32, SimdLevel::Sse2, BlendFixedBytesSse2}};

// A format without a specialised loop runs the plain one.
BlendFixedLoop SpecialisedBlendFixed(int bpp) noexcept
{
    for (const BlendFixedPath& path : BlendFixedPaths)
        if (path.bpp == bpp && Allowed(path.level))
            return path.loop;
    return BlendFixedBytes;
}

// A row loop run over every row of a piece.
template <AlphaBlendLoop Row>
void EachRow(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int count, int rows) noexcept
{
    for (int y = 0; y < rows; ++y, dst += dstStride, src += srcStride)
        Row(dst, src, count);
}

struct AlphaBlendPath {
    int srcBpp, dstBpp;
    SimdLevel level;
    AlphaBlendRows loop;
};

constexpr AlphaBlendPath AlphaBlendPaths[] = {{32, 24, SimdLevel::Avx2, AlphaBlendRows32To24Avx2},
                                              {32, 32, SimdLevel::Avx2, AlphaBlendRows32To32Avx2},
                                              {32, 24, SimdLevel::Sse2, EachRow<AlphaBlendPixels32To24Sse2>},
                                              {32, 32, SimdLevel::Sse2, EachRow<AlphaBlendPixels32To32Sse2>},
                                              {32, 24, SimdLevel::Plain, EachRow<AlphaBlendPixels32To24>},
                                              {32, 32, SimdLevel::Plain, EachRow<AlphaBlendPixels32To32>}};

void MaskBlendEachRow(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
                      const uint8_t* mask, ptrdiff_t maskStride, size_t rowBytes, int rows) noexcept
{
    for (int y = 0; y < rows; ++y, dst += dstStride, src += srcStride, mask += maskStride)
        MaskBlendBytes(dst, src, mask, rowBytes);
}

struct MaskBlendPath {
    SimdLevel level;
    MaskBlendRows loop;
};

constexpr MaskBlendPath MaskBlendPaths[] = {{SimdLevel::Avx2, MaskBlendRowsAvx2}, {SimdLevel::Plain, MaskBlendEachRow}};

struct KeyedCopyPath {
    int bpp;
    bool streaming;
    SimdLevel level;
    KeyedCopyLoop loop;
};

constexpr KeyedCopyPath KeyedCopyPaths[] = {
    {24, true, SimdLevel::Sse2, CopyKeyedPixels24Sse2Streaming},
    {32, true, SimdLevel::Sse2, CopyKeyedPixels32Sse2Streaming},
    {24, false, SimdLevel::Avx2, CopyKeyedPixels24Avx2},
    {32, false, SimdLevel::Avx2, CopyKeyedPixels32Avx2},
    {24, false, SimdLevel::Sse2, CopyKeyedPixels24Sse2},
    {32, false, SimdLevel::Sse2, CopyKeyedPixels32Sse2},
    {24, false, SimdLevel::Plain, CopyKeyedPixels24},
    {32, false, SimdLevel::Plain, CopyKeyedPixels32}};

} // namespace

SimdLevel CpuSimdLevel() noexcept
{
#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return SimdLevel::Avx2;
#endif
    return SimdLevel::Sse2;
}

SimdLevel LimitSimdLevel(SimdLevel level) noexcept
{
    const int limit = std::min(static_cast<int>(level), static_cast<int>(CpuSimdLevel()));
    return static_cast<SimdLevel>(LevelLimit().exchange(limit));
}

AlphaBlendRows SpecialisedAlphaBlend(int srcBpp, int dstBpp) noexcept
{
    for (const AlphaBlendPath& path : AlphaBlendPaths)
        if (path.srcBpp == srcBpp && path.dstBpp == dstBpp && Allowed(path.level))
            return path.loop;
    return nullptr;
}

MaskBlendRows SpecialisedMaskBlend() noexcept
{
    for (const MaskBlendPath& path : MaskBlendPaths)
        if (Allowed(path.level))
            return path.loop;
    return MaskBlendEachRow;
}

MixLoop SpecialisedMix() noexcept
{
    return Allowed(SimdLevel::Sse2) ? MixPixels24To32Sse2 : MixPixels24To32;
}

// A streaming copy falls back to the cached loops of its format where it has none at the level.
KeyedCopyLoop SpecialisedKeyedCopy(int bpp, bool streaming) noexcept
{
    for (const KeyedCopyPath& path : KeyedCopyPaths)
        if (path.bpp == bpp && (path.streaming == streaming || !path.streaming) && Allowed(path.level))
            return path.loop;
    return nullptr;
}

bool PieceSharesMemory(const PixelView& dst, const PixelView& src, const Piece& p) noexcept
{
    if (p.Empty())
        return false;
    const Extent de = ExtentOf(dst, {p.dx, p.dy, int64_t{p.dx} + p.cols, int64_t{p.dy} + p.rows}, dst.bpp / 8);
    const Extent se = ExtentOf(src, {p.sx, p.sy, int64_t{p.sx} + p.cols, int64_t{p.sy} + p.rows}, src.bpp / 8);
    return de.first < se.last && se.first < de.last;
}

void MaskBlendBytes(uint8_t* dst, const uint8_t* src, const uint8_t* mask, size_t count) noexcept
{
    for (size_t i = 0; i < count; ++i)
        dst[i] = MaskBlendByte(src[i], dst[i], mask[i]);
}

void AlphaBlendPixels32To24(uint8_t* dst, const uint8_t* src, int count) noexcept
{
    for (int x = 0; x < count; ++x, dst += 3, src += 4)
        for (int c = 0; c < 3; ++c)
            dst[c] = AlphaBlendByte(src[c], dst[c], src[3]);
}

void AlphaBlendPixels32To32(uint8_t* dst, const uint8_t* src, int count) noexcept
{
    for (int x = 0; x < count; ++x, dst += 4, src += 4) {
        for (int c = 0; c < 3; ++c)
            dst[c] = AlphaBlendByte(src[c], dst[c], src[3]);
        dst[3] = 255;
    }
}

void MixPixels24To32(uint8_t* dst, const uint8_t* a, const uint8_t* b, int count, uint8_t alpha) noexcept
{
    for (int x = 0; x < count; ++x, dst += 4, a += 3, b += 3)
        for (int c = 0; c < 3; ++c)
            dst[c] = AlphaBlendByte(a[c], b[c], alpha);
}

void CopyKeyedPixels24(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept
{
    for (int x = 0; x < count; ++x, dst += 3, src += 3)
        if (src[0] != key[0] || src[1] != key[1] || src[2] != key[2]) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
        }
}

void CopyKeyedPixels32(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept
{
    for (int x = 0; x < count; ++x, dst += 4, src += 4)
        if (src[0] != key[0] || src[1] != key[1] || src[2] != key[2]) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = 255;
        }
}

const uint8_t* AlphaBackdrop::Under(int x, int y) const noexcept
{
    const int64_t bx = int64_t{dx} + x;
    const int64_t by = int64_t{dy} + y;
    if (!view.scan0 || (view.bpp != 24 && view.bpp != 32) || bx < 0 || by < 0 || bx >= view.width ||
        by >= view.height)
        return nullptr;
    return view.Row(static_cast<int>(by)) + bx * (view.bpp / 8);
}

Piece ClipPiece(const PixelView& dst, const TRect& dstRect, const PixelView& src, const TRect& srcRect) noexcept
{
    if (Empty(dst) || Empty(src))
        return {};
    // In 64 bits, so that hostile rectangles cannot overflow; the result fits both views.
    int64_t sx = srcRect.Left, sy = srcRect.Top, dx = dstRect.Left, dy = dstRect.Top;
    int64_t cols = std::min(int64_t{dstRect.Right} - dstRect.Left, int64_t{srcRect.Right} - srcRect.Left);
    int64_t rows = std::min(int64_t{dstRect.Bottom} - dstRect.Top, int64_t{srcRect.Bottom} - srcRect.Top);
    auto cut = [](int64_t& s, int64_t& d, int64_t& count) {
        const int64_t by = std::max<int64_t>({0, -s, -d});
        s += by;
        d += by;
        count -= by;
    };
    cut(sx, dx, cols);
    cut(sy, dy, rows);
    cols = std::min({cols, dst.width - dx, src.width - sx});
    rows = std::min({rows, dst.height - dy, src.height - sy});
    if (cols <= 0 || rows <= 0)
        return {};
    return {static_cast<int>(sx), static_cast<int>(sy), static_cast<int>(dx), static_cast<int>(dy),
            static_cast<int>(cols), static_cast<int>(rows)};
}

TRect ClipToView(const PixelView& v, const TRect& r) noexcept
{
    if (Empty(v))
        return {};
    const Span s = Clip(v, r);
    if (s.Empty())
        return {};
    return {static_cast<int32_t>(s.x0), static_cast<int32_t>(s.y0), static_cast<int32_t>(s.x1),
            static_cast<int32_t>(s.y1)};
}

void BlendFixed(const PixelView& dst, const TRect& dstRect, const PixelView& src, int srcLeft, int srcBottom,
                uint8_t dstWeight) noexcept
{
    if (!Is24Or32(dst) || !Is24Or32(src) || dst.bpp != src.bpp)
        return;
    const int bytes = dst.bpp / 8;
    const int64_t ox = int64_t{srcLeft} - dstRect.Left;
    const int64_t oy = int64_t{srcBottom} - dstRect.Bottom;
    Span d = Clip(dst, dstRect);
    d.x0 = std::max(d.x0, -ox);
    d.y0 = std::max(d.y0, -oy);
    d.x1 = std::min(d.x1, src.width - ox);
    d.y1 = std::min(d.y1, src.height - oy);
    if (d.Empty())
        return;
    const Span s{d.x0 + ox, d.y0 + oy, d.x1 + ox, d.y1 + oy};
    const size_t n = static_cast<size_t>((d.x1 - d.x0) * bytes);
    const int rows = static_cast<int>(d.y1 - d.y0);

    uint8_t* drow = dst.Row(static_cast<int>(d.y0)) + d.x0 * bytes;
    const uint8_t* srow = src.Row(static_cast<int>(s.y0)) + s.x0 * bytes;
    const Extent de = ExtentOf(dst, d, bytes);
    const Extent se = ExtentOf(src, s, bytes);
    const bool shared = de.first < se.last && se.first < de.last;
    const BlendFixedLoop loop = shared ? BlendFixedBytes : SpecialisedBlendFixed(dst.bpp);
    loop(drow, dst.stride, srow, src.stride, n, rows, dstWeight);
}

void BlendFixedBytes(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, size_t rowBytes,
                     int rows, uint8_t dstWeight) noexcept
{
    if (rows <= 0)
        return;
    uint8_t* drow = dst + (rows - 1) * dstStride;
    const uint8_t* srow = src + (rows - 1) * srcStride;
    for (int y = 0; y < rows; ++y, drow -= dstStride, srow -= srcStride)
        for (size_t i = rowBytes; i-- > 0;)
            drow[i] = BlendFixedByte(srow[i], drow[i], dstWeight);
}

void FillRect32(const PixelView& v, const TRect& r, uint32_t word) noexcept
{
    if (!Is32(v))
        return;
    const Span s = Clip(v, r);
    if (s.Empty())
        return;
    uint8_t bytes[4];
    std::memcpy(bytes, &word, 4);
    const int n = static_cast<int>(s.x1 - s.x0);
    uint8_t* row = v.Row(static_cast<int>(s.y0)) + s.x0 * 4;
    for (int64_t y = s.y0; y < s.y1; ++y, row += v.stride)
        for (int x = 0; x < n; ++x)
            std::memcpy(row + 4 * x, bytes, 4);
}

void SetAlpha32(const PixelView& v, const TRect& r, uint8_t alpha) noexcept
{
    if (!Is32(v))
        return;
    const Span s = Clip(v, r);
    if (s.Empty())
        return;
    const int n = static_cast<int>(s.x1 - s.x0);
    uint8_t* row = v.Row(static_cast<int>(s.y0)) + s.x0 * 4 + 3;
    for (int64_t y = s.y0; y < s.y1; ++y, row += v.stride)
        for (int x = 0; x < n; ++x)
            row[4 * x] = alpha;
}

TColor GetPixel24(const PixelView& v, int x, int y) noexcept
{
    if (v.bpp != 24 || !Inside(v, x, y))
        return 0;
    const uint8_t* p = v.Row(y) + 3 * x;
    return RgbColor(p[2], p[1], p[0]);
}

void SetPixel24(const PixelView& v, int x, int y, TColor color) noexcept
{
    if (v.bpp != 24 || !Inside(v, x, y))
        return;
    uint8_t* p = v.Row(y) + 3 * x;
    p[0] = BlueOf(color);
    p[1] = GreenOf(color);
    p[2] = RedOf(color);
}

uint32_t GetPixel32(const PixelView& v, int x, int y) noexcept
{
    if (v.bpp != 32 || !Inside(v, x, y))
        return 0;
    const uint8_t* p = v.Row(y) + 4 * x;
    return p[2] | p[1] << 8 | p[0] << 16 | uint32_t{p[3]} << 24;
}

void SetPixel32(const PixelView& v, int x, int y, uint32_t value) noexcept
{
    if (v.bpp != 32 || !Inside(v, x, y))
        return;
    uint8_t* p = v.Row(y) + 4 * x;
    p[0] = static_cast<uint8_t>(value >> 16);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value);
    p[3] = static_cast<uint8_t>(value >> 24);
}

void CopyRect(const PixelView& dst, TPoint at, const PixelView& src, const TRect& srcRect) noexcept
{
    if (Empty(dst) || Empty(src) || dst.bpp != src.bpp || dst.bpp % 8 != 0)
        return;
    const int bytes = dst.bpp / 8;
    const int64_t ox = int64_t{at.X} - srcRect.Left;
    const int64_t oy = int64_t{at.Y} - srcRect.Top;
    Span s = Clip(src, srcRect);
    s.x0 = std::max(s.x0, -ox);
    s.y0 = std::max(s.y0, -oy);
    s.x1 = std::min(s.x1, dst.width - ox);
    s.y1 = std::min(s.y1, dst.height - oy);
    if (s.Empty())
        return;
    const size_t n = static_cast<size_t>((s.x1 - s.x0) * bytes);
    const uint8_t* srow = src.Row(static_cast<int>(s.y0)) + s.x0 * bytes;
    uint8_t* drow = dst.Row(static_cast<int>(s.y0 + oy)) + (s.x0 + ox) * bytes;
    for (int64_t y = s.y0; y < s.y1; ++y, srow += src.stride, drow += dst.stride)
        std::memmove(drow, srow, n);
}

void TileRect(const PixelView& dst, const TRect& area, const PixelView& src, const TRect& tile) noexcept
{
    if (Empty(dst) || Empty(src) || dst.bpp != src.bpp || dst.bpp % 8 != 0)
        return;
    const int64_t w = int64_t{tile.Right} - tile.Left, h = int64_t{tile.Bottom} - tile.Top;
    if (w <= 0 || h <= 0 || tile.Left < 0 || tile.Top < 0 || tile.Right > src.width || tile.Bottom > src.height)
        return;
    const Span c = Clip(dst, area);
    if (c.Empty())
        return;
    const int bytes = dst.bpp / 8;
    const Extent de = ExtentOf(dst, c, bytes);
    const Extent se = ExtentOf(src, {tile.Left, tile.Top, tile.Right, tile.Bottom}, bytes);
    if (de.first < se.last && se.first < de.last)
        return;
    const auto rowBytes = static_cast<size_t>((c.x1 - c.x0) * bytes);
    const auto phase = static_cast<size_t>((c.x0 - area.Left) % w * bytes);
    const auto period = static_cast<size_t>(w * bytes);
    for (int64_t y = c.y0; y < c.y1; ++y) {
        uint8_t* d = dst.Row(static_cast<int>(y)) + c.x0 * bytes;
        // Below the first band of tile rows every row repeats the one a tile higher.
        if (y - c.y0 >= h) {
            std::memcpy(d, dst.Row(static_cast<int>(y - h)) + c.x0 * bytes, rowBytes);
            continue;
        }
        const uint8_t* s = src.Row(static_cast<int>(tile.Top + (y - area.Top) % h)) + tile.Left * bytes;
        // One period from the phase the row starts at, then the period doubled until the row is
        // full: every copy is a whole number of periods long.
        size_t done = std::min(rowBytes, period - phase);
        std::memcpy(d, s + phase, done);
        const size_t wrap = std::min(phase, rowBytes - done);
        std::memcpy(d + done, s, wrap);
        done += wrap;
        while (done < rowBytes) {
            const size_t more = std::min(done, rowBytes - done);
            std::memcpy(d + done, d, more);
            done += more;
        }
    }
}

void ZeroPixels(const PixelView& v) noexcept
{
    if (Empty(v))
        return;
    const size_t n = (static_cast<size_t>(v.width) * static_cast<size_t>(v.bpp) + 7) / 8;
    uint8_t* row = v.Row(0);
    for (int y = 0; y < v.height; ++y, row += v.stride)
        std::memset(row, 0, n);
}

bool AnyAlpha32(const PixelView& v) noexcept
{
    if (!Is32(v))
        return false;
    const uint8_t* row = v.Row(0);
    for (int y = 0; y < v.height; ++y, row += v.stride)
        for (int x = 0; x < v.width; ++x)
            if (row[4 * x + 3] != 0)
                return true;
    return false;
}

void KeyAlpha32(const PixelView& v, uint32_t keyBgr, bool clearKey) noexcept
{
    if (!Is32(v))
        return;
    uint8_t* row = v.Row(0);
    for (int y = 0; y < v.height; ++y, row += v.stride)
        for (uint8_t* p = row; p < row + 4 * v.width; p += 4) {
            const uint32_t bgr = p[0] | p[1] << 8 | uint32_t{p[2]} << 16;
            if (bgr != keyBgr)
                p[3] = 255;
            else if (clearKey)
                p[3] = 0;
        }
}

void ReplaceWord32(const PixelView& v, uint32_t from, uint32_t to) noexcept
{
    if (!Is32(v))
        return;
    uint8_t* row = v.Row(0);
    for (int y = 0; y < v.height; ++y, row += v.stride)
        for (uint8_t* p = row; p < row + 4 * v.width; p += 4) {
            uint32_t word;
            std::memcpy(&word, p, 4);
            if (word == from)
                std::memcpy(p, &to, 4);
        }
}

void MaskKey32(const PixelView& image, const PixelView& mask, uint32_t key) noexcept
{
    if (!Is32(image) || Empty(mask) || mask.bpp != 1)
        return;
    const int w = std::min(image.width, mask.width);
    const int h = std::min(image.height, mask.height);
    uint8_t* row = image.Row(0);
    uint8_t* bits = mask.Row(0);
    for (int y = 0; y < h; ++y, row += image.stride, bits += mask.stride)
        for (int x = 0; x < w; ++x) {
            uint32_t word;
            std::memcpy(&word, row + 4 * x, 4);
            if (word == key) {
                bits[x / 8] = static_cast<uint8_t>(bits[x / 8] | (0x80 >> (x % 8)));
                std::memset(row + 4 * x, 0, 4);
            }
        }
}

void AlphaToGrey(const PixelView& grey24, const PixelView& src32) noexcept
{
    if (Empty(grey24) || grey24.bpp != 24 || !Is32(src32))
        return;
    const int w = std::min(grey24.width, src32.width);
    const int h = std::min(grey24.height, src32.height);
    const uint8_t* srow = src32.Row(0);
    uint8_t* drow = grey24.Row(0);
    for (int y = 0; y < h; ++y, srow += src32.stride, drow += grey24.stride)
        for (int x = 0; x < w; ++x)
            drow[3 * x] = drow[3 * x + 1] = drow[3 * x + 2] = srow[4 * x + 3];
}

void GreyToAlpha(const PixelView& dst32, const PixelView& grey24) noexcept
{
    if (Empty(grey24) || grey24.bpp != 24 || !Is32(dst32))
        return;
    const int w = std::min(grey24.width, dst32.width);
    const int h = std::min(grey24.height, dst32.height);
    const uint8_t* srow = grey24.Row(0);
    uint8_t* drow = dst32.Row(0);
    for (int y = 0; y < h; ++y, srow += grey24.stride, drow += dst32.stride)
        for (int x = 0; x < w; ++x)
            drow[4 * x + 3] = srow[3 * x + 1];
}

void CopyChannel(const PixelView& v32, const PixelView& v8, int channel, bool extract) noexcept
{
    if (!Is32(v32) || Empty(v8) || v8.bpp != 8 || channel < 0 || channel > 3)
        return;
    const int w = std::min(v32.width, v8.width);
    const int h = std::min(v32.height, v8.height);
    uint8_t* wide = v32.Row(0) + channel;
    uint8_t* narrow = v8.Row(0);
    for (int y = 0; y < h; ++y, wide += v32.stride, narrow += v8.stride)
        for (int x = 0; x < w; ++x)
            if (extract)
                narrow[x] = wide[4 * x];
            else
                wide[4 * x] = narrow[x];
}

void AppendKeyRuns(std::vector<TRect>& list, const PixelView& v, const TRect& area, TColor key, TPoint at)
{
    if (!Is24Or32(v))
        return;
    const Span s = Clip(v, area);
    if (s.Empty())
        return;
    const int bytes = v.bpp / 8;
    const uint8_t kb = BlueOf(key), kg = GreenOf(key), kr = RedOf(key);
    const int64_t dx = int64_t{at.X} - area.Left;
    const int64_t dy = int64_t{at.Y} - area.Top;
    auto put = [&](int64_t x0, int64_t x1, int64_t y) {
        list.push_back({static_cast<int32_t>(x0 + dx), static_cast<int32_t>(y + dy), static_cast<int32_t>(x1 + dx),
                        static_cast<int32_t>(y + dy + 1)});
    };
    const uint8_t* row = v.Row(static_cast<int>(s.y0));
    for (int64_t y = s.y0; y < s.y1; ++y, row += v.stride) {
        int64_t start = -1;
        for (int64_t x = s.x0; x < s.x1; ++x) {
            const uint8_t* p = row + x * bytes;
            const bool isKey = p[0] == kb && p[1] == kg && p[2] == kr;
            if (isKey && start < 0)
                start = x;
            else if (!isKey && start >= 0) {
                put(start, x, y);
                start = -1;
            }
        }
        if (start >= 0)
            put(start, s.x1, y);
    }
}

} // namespace ks

void FillDWords(uint32_t* dest, int count, uint32_t value) noexcept
{
    if (count > 0)
        std::fill_n(dest, count, value);
}
