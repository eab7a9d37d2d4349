// The hot pixel loops (the fixed blend behind fades and transparent sections, the alpha blend of
// images with alpha, the mask blend of skin images, the keyed copy) against their yardsticks:
// - out of cache (a square whose 24-bit image is at least twice the last-level cache this machine
//   reports, 4096 x 4096 at least), the stream limit: memcpy's speed times two streams over the
//   loop's streams, counted in bytes read and written per destination byte; target 0.9; the same
//   ratio at 2048 x 2048 (12-16 MiB an image: mostly in a large last-level cache) is reported as
//   of_l3_limit, without a target;
// - in cache (256 x 256), pixman's same operation where it has one (OVER with a solid mask over
//   an opaque source for the fixed blend, OVER of a8r8g8b8 for the alpha blend) and the plain
//   reference loop the specialised one is tested against.
// Images are bottom-up with padded rows, as DIB sections are. Rows report bytes_per_second over
// the destination's bytes; each ratio's two sides are timed in turns.
#include "bench/Interleaved.h"
#include "skin/pixels/AlphaImage.h"
#include "skin/pixels/KeyedPixels.h"
#include "skin/pixels/MaskedPixels.h"
#include "skin/pixels/PixelCore.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int InCache = 256;
constexpr int InL3 = 2048;

// The last-level cache as the benchmark library reads it from the system and prints in its
// header (0 where it cannot tell), in bytes.
long LastLevelCache()
{
    const benchmark::CPUInfo::CacheInfo* last = nullptr;
    for (const auto& cache : benchmark::CPUInfo::Get().caches)
        if (cache.type != "Instruction" && (!last || cache.level > last->level))
            last = &cache;
    return last ? static_cast<long>(last->size) : 0;
}

// The side of a square 24-bit image at least twice the last-level cache, a multiple of 256.
int OutOfCacheSide()
{
    const double pixels = 2.0 * static_cast<double>(LastLevelCache()) / 3;
    const int side = static_cast<int>(std::ceil(std::sqrt(pixels) / 256)) * 256;
    return std::max(4096, side);
}

const int OutOfCache = OutOfCacheSide();

struct Raster {
    Raster(int size, int bpp)
        : rowBytes((static_cast<ptrdiff_t>(size) * bpp / 8 + 3) & ~ptrdiff_t{3}),
          mem(static_cast<size_t>(rowBytes * size))
    {
        for (size_t i = 0; i < mem.size(); ++i)
            mem[i] = static_cast<uint8_t>(i * 37 + bpp);
        view = {mem.data() + rowBytes * (size - 1), -rowBytes, size, size, bpp};
    }
    ptrdiff_t rowBytes;
    std::vector<uint8_t> mem;
    ks::PixelView view;
};

void CopyRows(Raster& dst, const Raster& src, int size)
{
    const size_t rowBytes = static_cast<size_t>(size) * dst.view.bpp / 8;
    for (int y = 0; y < size; ++y)
        std::memcpy(dst.view.Row(y), src.view.Row(y), rowBytes);
}

// memcpy's stream limit over the loop's: memcpy moves two streams where the loop moves streams,
// both timed in turns on images of the size.
ks::bench::Timing OfStreamLimit(int size, int bpp, double streams, const std::function<void()>& fast)
{
    Raster dst(size, bpp), src(size, bpp);
    const ks::bench::Ratio r = ks::bench::Interleave(fast, [&] {
        CopyRows(dst, src, size);
        benchmark::ClobberMemory();
    });
    return {streams / 2 / r.Value, r.Spread};
}

// The images one call works on, all of one size: destination, source and mask.
struct Images {
    Images(int size, int dstBpp, int srcBpp) : dst(size, dstBpp), src(size, srcBpp), mask(size, 24) {}
    Raster dst, src, mask;
};

using Body = std::function<void(Images&, int size)>;

// One hot loop: its own timing loop, then the yardsticks of its size.
struct HotLoop {
    int dstBpp, srcBpp;
    // Bytes read and written per destination byte; memcpy moves two.
    double streams;
    Body fast, plain;
    // Where pixman has the same operation: a call made ready once, on images of the size.
    std::function<std::function<void()>(Images&, int size)> pixman;
    double pixmanMin = 0;
    // A specialised loop beside the plain one, which it must beat threefold.
    bool specialised = true;
};

void Run(benchmark::State& state, const HotLoop& loop)
{
    const int size = static_cast<int>(state.range(0));
    Images images(size, loop.dstBpp, loop.srcBpp);
    const auto fast = [&] {
        loop.fast(images, size);
        benchmark::ClobberMemory();
    };
    for (auto _ : state)
        fast();
    const int64_t bytes = int64_t{size} * size * loop.dstBpp / 8;
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetItemsProcessed(state.iterations() * int64_t{size} * size);
    if (size == OutOfCache) {
        ks::bench::Count(state.counters, "of_stream_limit", OfStreamLimit(size, loop.dstBpp, loop.streams, fast));
        state.counters["of_stream_limit_min"] = 0.9;
        state.counters["last_level_cache_MiB"] = static_cast<double>(LastLevelCache()) / (1 << 20);
    }
    if (size == InL3)
        ks::bench::Count(state.counters, "of_l3_limit", OfStreamLimit(size, loop.dstBpp, loop.streams, fast));
    if (size == InCache) {
        const ks::bench::Ratio plain = ks::bench::Interleave(
            [&] {
                loop.plain(images, size);
                benchmark::ClobberMemory();
            },
            fast);
        ks::bench::Count(state.counters, "x_plain", plain);
        if (loop.specialised)
            state.counters["x_plain_min"] = 3;
        if (loop.pixman) {
            const std::function<void()> call = loop.pixman(images, size);
            ks::bench::Count(state.counters, "x_pixman", ks::bench::Interleave(
                                                             [&] {
                                                                 call();
                                                                 benchmark::ClobberMemory();
                                                             },
                                                             fast));
            state.counters["x_pixman_min"] = loop.pixmanMin;
        }
    }
}

// A pixman image over a raster's memory (rows top-down: pixman takes positive strides only, so it
// sees the bottom-up image upside down, which costs it nothing).
std::shared_ptr<pixman_image_t> PixmanImage(Raster& r, pixman_format_code_t format)
{
    const int size = r.view.width;
    return {pixman_image_create_bits(format, size, size, reinterpret_cast<uint32_t*>(r.mem.data()),
                                     static_cast<int>(r.rowBytes)),
            pixman_image_unref};
}

std::shared_ptr<pixman_image_t> SolidMask(uint16_t alpha)
{
    const pixman_color_t colour{0, 0, 0, alpha};
    return {pixman_image_create_solid_fill(&colour), pixman_image_unref};
}

std::function<void()> PixmanOver(std::shared_ptr<pixman_image_t> src, std::shared_ptr<pixman_image_t> mask,
                                 std::shared_ptr<pixman_image_t> dst, int size)
{
    return [=] {
        pixman_image_composite32(PIXMAN_OP_OVER, src.get(), mask.get(), dst.get(), 0, 0, 0, 0, 0, 0, size, size);
    };
}

// The fixed blend: a source image over the destination at a weight that changes every call.
HotLoop FixedBlend(int bpp)
{
    auto weight = std::make_shared<uint8_t>(0);
    HotLoop loop;
    loop.dstBpp = loop.srcBpp = bpp;
    loop.streams = 3;
    loop.fast = [=](Images& i, int size) {
        ks::BlendFixed(i.dst.view, {0, 0, size, size}, i.src.view, 0, size, *weight);
        *weight = static_cast<uint8_t>(*weight + 51);
    };
    loop.plain = [=](Images& i, int size) {
        ks::BlendFixedBytes(i.dst.view.Row(0), i.dst.view.stride, i.src.view.Row(0), i.src.view.stride,
                            static_cast<size_t>(size) * bpp / 8, size, *weight);
    };
    loop.pixman = [=](Images& i, int size) {
        const pixman_format_code_t format = bpp == 32 ? PIXMAN_x8r8g8b8 : PIXMAN_r8g8b8;
        return PixmanOver(PixmanImage(i.src, format), SolidMask(0x8000), PixmanImage(i.dst, format), size);
    };
    loop.pixmanMin = 1.3;
    return loop;
}

// The alpha blend: a 32-bit image with alpha over a 24- or 32-bit destination.
HotLoop AlphaBlend(int dstBpp)
{
    HotLoop loop;
    loop.dstBpp = dstBpp;
    loop.srcBpp = 32;
    loop.streams = (4.0 + 2.0 * dstBpp / 8) / (dstBpp / 8);
    loop.fast = [](Images& i, int size) {
        ks::AlphaBlendPiece(i.dst.view, {0, 0, size, size}, i.src.view, {0, 0, size, size}, {});
    };
    loop.plain = [dstBpp](Images& i, int size) {
        const auto rows = dstBpp == 32 ? ks::AlphaBlendPixels32To32 : ks::AlphaBlendPixels32To24;
        for (int y = 0; y < size; ++y)
            rows(i.dst.view.Row(y), i.src.view.Row(y), size);
    };
    loop.pixman = [dstBpp](Images& i, int size) {
        return PixmanOver(PixmanImage(i.src, PIXMAN_a8r8g8b8), nullptr,
                          PixmanImage(i.dst, dstBpp == 32 ? PIXMAN_x8r8g8b8 : PIXMAN_r8g8b8), size);
    };
    loop.pixmanMin = 1;
    return loop;
}

// The mask blend of a 24-bit picture through a 24-bit mask: the plain loop is already SSE2 (the
// compiler's), which the AVX2 loop can at best double, so its x_plain is not held to the threefold
// of loops over scalar references.
HotLoop MaskBlend()
{
    HotLoop loop;
    loop.dstBpp = loop.srcBpp = 24;
    loop.streams = 4;
    loop.specialised = false;
    loop.fast = [](Images& i, int size) {
        ks::BlendRectByMask24(i.dst.view, i.src.view, i.mask.view, {0, 0, size, size});
    };
    loop.plain = [](Images& i, int size) {
        for (int y = 0; y < size; ++y)
            ks::MaskBlendBytes(i.dst.view.Row(y), i.src.view.Row(y), i.mask.view.Row(y),
                               static_cast<size_t>(3 * size));
    };
    return loop;
}

// The keyed copy of a picture whose key pixels are left as they were.
HotLoop KeyedCopy(int bpp)
{
    HotLoop loop;
    loop.dstBpp = loop.srcBpp = bpp;
    loop.streams = 2;
    loop.fast = [](Images& i, int size) {
        ks::CopyKeyed(i.dst.view, {0, 0}, i.src.view, {0, 0, size, size}, 0xFF00FF, {});
    };
    loop.plain = [bpp](Images& i, int size) {
        const uint8_t key[3] = {0xFF, 0x00, 0xFF};
        const auto rows = bpp == 32 ? ks::CopyKeyedPixels32 : ks::CopyKeyedPixels24;
        for (int y = 0; y < size; ++y)
            rows(i.dst.view.Row(y), i.src.view.Row(y), size, key);
    };
    return loop;
}

void Memcpy(benchmark::State& state, int bpp)
{
    const int size = static_cast<int>(state.range(0));
    Raster dst(size, bpp), src(size, bpp);
    for (auto _ : state) {
        CopyRows(dst, src, size);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t{size} * size * bpp / 8);
}

// Per-call overhead: a rectangle that clips to nothing.
void BlendFixedEmpty(benchmark::State& state)
{
    Raster dst(16, 24), src(16, 24);
    for (auto _ : state) {
        ks::BlendFixed(dst.view, {20, 0, 30, 16}, src.view, 0, 16, 128);
        benchmark::ClobberMemory();
    }
}

const int Registered = [] {
    const std::pair<const char*, HotLoop> loops[] = {
        {"BlendFixed/24", FixedBlend(24)},      {"BlendFixed/32", FixedBlend(32)},
        {"AlphaBlend/32to24", AlphaBlend(24)},  {"AlphaBlend/32to32", AlphaBlend(32)},
        {"MaskBlend/24", MaskBlend()},          {"KeyedCopy/24", KeyedCopy(24)},
        {"KeyedCopy/32", KeyedCopy(32)},
    };
    for (const auto& [name, loop] : loops)
        benchmark::RegisterBenchmark(name, [loop](benchmark::State& state) { Run(state, loop); })
            ->Arg(16)
            ->Arg(InCache)
            ->Arg(InL3)
            ->Arg(OutOfCache);
    for (const int bpp : {24, 32})
        benchmark::RegisterBenchmark(bpp == 24 ? "Memcpy/24" : "Memcpy/32", Memcpy, bpp)
            ->Arg(16)
            ->Arg(InCache)
            ->Arg(InL3)
            ->Arg(OutOfCache);
    benchmark::RegisterBenchmark("BlendFixed/empty", BlendFixedEmpty);
    return 0;
}();

} // namespace
