// The fixed-weight blend behind TacFastSum24/32 (fades, transparent sections) beside memcpy of
// the same destination bytes. Every row reports bytes_per_second over the destination's bytes;
// a BlendFixed row's of_memcpy is the share of copy bandwidth the blend reaches, against the
// best memcpy of the same bytes (targets: at least 0.5 at 256 x 256, in cache, and 0.8 at
// 2048 x 2048, where memory bounds both). Images are bottom-up with padded rows, as DIB sections
// are.
#include "skin/pixels/PixelCore.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

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

void CopyRows(Raster& dst, const Raster& src, int size, int bpp)
{
    const size_t rowBytes = static_cast<size_t>(size) * bpp / 8;
    for (int y = 0; y < size; ++y)
        std::memcpy(dst.view.Row(y), src.view.Row(y), rowBytes);
}

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Best seconds of one memcpy of the same rows.
double MemcpySeconds(int size, int bpp)
{
    Raster dst(size, bpp), src(size, bpp);
    const int calls = std::max(1, (1 << 22) / (size * size));
    double best = 1e9;
    for (int run = 0; run < 9; ++run) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i) {
            CopyRows(dst, src, size, bpp);
            benchmark::ClobberMemory();
        }
        best = std::min(best, Seconds(start) / calls);
    }
    return best;
}

void BlendFixed(benchmark::State& state, int bpp)
{
    const int size = static_cast<int>(state.range(0));
    Raster dst(size, bpp), src(size, bpp);
    const TRect r{0, 0, size, size};
    uint8_t weight = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        ks::BlendFixed(dst.view, r, src.view, 0, size, weight);
        weight = static_cast<uint8_t>(weight + 51);
        benchmark::ClobberMemory();
    }
    const double perBlend = Seconds(start) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(state.iterations() * int64_t{size} * size * bpp / 8);
    state.SetItemsProcessed(state.iterations() * int64_t{size} * size);
    state.counters["of_memcpy"] = MemcpySeconds(size, bpp) / perBlend;
    if (size >= 256)
        state.counters["of_memcpy_min"] = size >= 2048 ? 0.8 : 0.5;
}

void Memcpy(benchmark::State& state, int bpp)
{
    const int size = static_cast<int>(state.range(0));
    Raster dst(size, bpp), src(size, bpp);
    for (auto _ : state) {
        CopyRows(dst, src, size, bpp);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t{size} * size * bpp / 8);
    state.SetItemsProcessed(state.iterations() * int64_t{size} * size);
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

BENCHMARK_CAPTURE(BlendFixed, 24, 24)->Name("BlendFixed/24")->Arg(16)->Arg(256)->Arg(2048);
BENCHMARK_CAPTURE(Memcpy, 24, 24)->Name("Memcpy/24")->Arg(16)->Arg(256)->Arg(2048);
BENCHMARK_CAPTURE(BlendFixed, 32, 32)->Name("BlendFixed/32")->Arg(16)->Arg(256)->Arg(2048);
BENCHMARK_CAPTURE(Memcpy, 32, 32)->Name("Memcpy/32")->Arg(16)->Arg(256)->Arg(2048);
BENCHMARK(BlendFixedEmpty)->Name("BlendFixed/empty");

} // namespace
