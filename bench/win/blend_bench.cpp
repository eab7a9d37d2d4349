// Blending against its platform yardsticks, on Windows or under Wine (Google Benchmark is not
// built for the Windows targets, so this is a plain timing program, run by ./project bench):
// TacFastSum24/32 over bitmaps out of cache and 256 x 256 ones against the stream limit memcpy of
// the same bytes sets and against GDI AlphaBlend with a constant alpha, and the alpha blend of a
// 32-bit image with alpha over 24- and 32-bit bitmaps against the same limit and AlphaBlend with
// the source's alpha: the loops the program picks for the processor it runs on. Out of cache is a
// square whose 24-bit image is at least twice the last-level cache the system reports (2048 x
// 2048 at least); a cache too large for the images this 32-bit process can hold is said so in
// the row, which then carries no target. It reports, it never passes or fails.
#include "bench/Interleaved.h"
#include "skin/core/acFastPixels.h"
#include "skin/pixels/MaskedPixels.h"
#include "vcl/Bitmap.h"
#include "vcl/Win.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using ks::bench::Interleave;
using ks::bench::Text;

constexpr int InCache = 256;
// Four 32-bit images of this side (source, destination and memcpy's two) take 600 MB, what a
// 32-bit process can be sure to find room for.
constexpr int LargestSide = 6144;

// The last-level data cache the system reports, in bytes; 0 where it tells none.
size_t LastLevelCache()
{
    DWORD bytes = 0;
    GetLogicalProcessorInformation(nullptr, &bytes);
    std::vector<SYSTEM_LOGICAL_PROCESSOR_INFORMATION> info(bytes / sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION));
    if (info.empty() || !GetLogicalProcessorInformation(info.data(), &bytes))
        return 0;
    BYTE level = 0;
    size_t size = 0;
    for (const SYSTEM_LOGICAL_PROCESSOR_INFORMATION& i : info) {
        if (i.Relationship != RelationCache || i.Cache.Type == CacheInstruction || i.Cache.Level < level)
            continue;
        size = i.Cache.Level > level ? i.Cache.Size : std::max<size_t>(size, i.Cache.Size);
        level = i.Cache.Level;
    }
    return size;
}

// The side of a square whose 24-bit image is at least twice the cache, a multiple of 256.
int OutOfCacheSide(size_t cache)
{
    const double pixels = 2.0 * static_cast<double>(cache) / 3;
    return std::max(2048, static_cast<int>(std::ceil(std::sqrt(pixels) / 256)) * 256);
}

const size_t Cache = LastLevelCache();
const int OutOfCache = std::min(OutOfCacheSide(Cache), LargestSide);
// The images are out of the cache, and the stream limit is the row's yardstick.
const bool BeyondCache = OutOfCacheSide(Cache) <= LargestSide;

// What an out-of-cache row says beside its ratio: the target, or why it has none.
const char* StreamTarget(int size)
{
    if (size == InCache)
        return "";
    return BeyondCache ? " of_stream_limit_min=0.9" : " (the last-level cache is larger than these images: no target)";
}

template <class Sum>
void Measure(TPixelFormat format, int bpp, int size)
{
    TBitmap src, dst;
    src.SetPixelFormat(format);
    dst.SetPixelFormat(format);
    src.SetSize(size, size);
    dst.SetSize(size, size);
    const size_t bytes = static_cast<size_t>(size) * size * bpp / 8;

    Sum sum;
    sum.Attach(&src, &dst);
    sum.Alpha = 100;
    sum.DstRect = TRect{0, 0, size, size};
    sum.SrcRect = TRect{0, 0, size, size};
    const auto blend = [&] { sum.BlendRect(); };

    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    const ks::bench::Ratio copy = Interleave(blend, [&] { std::memcpy(b.data(), a.data(), bytes); });

    const BLENDFUNCTION function{AC_SRC_OVER, 0, 155, 0};
    HDC dstDC = dst.Canvas().Handle();
    HDC srcDC = src.Canvas().Handle();
    const ks::bench::Ratio gdi =
        Interleave([&] { AlphaBlend(dstDC, 0, 0, size, size, srcDC, 0, 0, size, size, function); }, blend);

    const double mb = static_cast<double>(bytes) / 1e6;
    // The blend moves three streams (two reads, one write) where memcpy moves two, so its limit
    // is two thirds of memcpy's rate. Targets: at least 0.9 of that limit out of cache, where
    // memory bounds both; faster than AlphaBlend at every size. In cache the yardsticks are
    // pixman and the plain loop, measured by the host benchmark.
    const ks::bench::Timing ofLimit{1.5 / copy.Value, copy.Spread};
    std::printf("Blend/%d/%dx%d  blend %8.1f MB/s  memcpy %8.1f MB/s  %s%s  AlphaBlend %8.1f MB/s %s x_gdi_min=1\n",
                bpp, size, size, mb / copy.A, mb / copy.B, Text("of_stream_limit", ofLimit).c_str(),
                StreamTarget(size), mb / gdi.A, Text("x_gdi", gdi).c_str());
}

// The alpha blend moves a 32-bit source and a destination read and written: (4 + 2 b) / b
// streams per destination byte of b bytes a pixel.
void MeasureAlpha(TPixelFormat format, int bpp, int size)
{
    TBitmap src, dst;
    src.SetPixelFormat(pf32bit);
    dst.SetPixelFormat(format);
    src.SetSize(size, size);
    dst.SetSize(size, size);
    TacFast32 srcPixels;
    srcPixels.Attach(&src);
    const ks::PixelView& s = srcPixels.View();
    for (int y = 0; y < size; ++y)
        for (int i = 0; i < 4 * size; ++i)
            s.Row(y)[i] = static_cast<uint8_t>(i * 37 + y);
    ks::PixelView d;
    if (bpp == 32) {
        TacFast32 dstPixels;
        dstPixels.Attach(&dst);
        d = dstPixels.View();
    } else {
        TacFast24 dstPixels;
        dstPixels.Attach(&dst);
        d = dstPixels.View();
    }
    const TRect all{0, 0, size, size};
    const auto blend = [&] { ks::AlphaBlendPiece(d, all, s, all, {}); };

    const size_t bytes = static_cast<size_t>(size) * size * bpp / 8;
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    const ks::bench::Ratio copy = Interleave(blend, [&] { std::memcpy(b.data(), a.data(), bytes); });

    const BLENDFUNCTION function{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    HDC dstDC = dst.Canvas().Handle();
    HDC srcDC = src.Canvas().Handle();
    const ks::bench::Ratio gdi =
        Interleave([&] { AlphaBlend(dstDC, 0, 0, size, size, srcDC, 0, 0, size, size, function); }, blend);

    const double mb = static_cast<double>(bytes) / 1e6;
    const double streams = (4.0 + 2.0 * bpp / 8) / (bpp / 8);
    const ks::bench::Timing ofLimit{streams / 2 / copy.Value, copy.Spread};
    std::printf("AlphaBlend/32to%d/%dx%d  blend %8.1f MB/s  memcpy %8.1f MB/s  %s%s  AlphaBlend %8.1f MB/s %s "
                "x_gdi_min=1\n",
                bpp, size, size, mb / copy.A, mb / copy.B, Text("of_stream_limit", ofLimit).c_str(),
                StreamTarget(size), mb / gdi.A, Text("x_gdi", gdi).c_str());
}

} // namespace

int main()
{
    std::printf("last_level_cache_MiB=%.1f out_of_cache=%dx%d\n", static_cast<double>(Cache) / (1 << 20), OutOfCache,
                OutOfCache);
    Measure<TacFastSum24>(pf24bit, 24, OutOfCache);
    Measure<TacFastSum32>(pf32bit, 32, OutOfCache);
    Measure<TacFastSum24>(pf24bit, 24, InCache);
    Measure<TacFastSum32>(pf32bit, 32, InCache);
    MeasureAlpha(pf24bit, 24, OutOfCache);
    MeasureAlpha(pf32bit, 32, OutOfCache);
    MeasureAlpha(pf24bit, 24, InCache);
    MeasureAlpha(pf32bit, 32, InCache);
    return 0;
}
