// PNG decoding: our decoder beside libpng on the same files, with raw inflate of the same image
// data as the yardstick. Each row reports its time as a multiple of that inflate ("x_inflate").
// Inputs are generated here: smooth gradients with some noise, as skin art is, written by
// libpng at its default compression.
#include "skin/images/PngDecoder.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <chrono>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

enum class Kind { Rgba8, Palette8 };

struct Input {
    std::vector<uint8_t> file;
    std::vector<uint8_t> idat; // the zlib stream, IDAT chunks joined
    size_t rawBytes = 0;       // filtered rows, the inflate output
    uint32_t size = 0;
    Kind kind = Kind::Rgba8;
};

std::vector<uint8_t> Write(uint32_t size, Kind kind)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = size;
    image.height = size;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> colormap;
    uint32_t noise = 12345;
    const auto next = [&noise] { return (noise = noise * 1664525u + 1013904223u) >> 29; };
    if (kind == Kind::Rgba8) {
        image.format = PNG_FORMAT_RGBA;
        pixels.resize(size_t{size} * size * 4);
        for (uint32_t y = 0; y < size; ++y)
            for (uint32_t x = 0; x < size; ++x) {
                uint8_t* p = &pixels[(size_t{y} * size + x) * 4];
                p[0] = static_cast<uint8_t>(x * 255 / size + next());
                p[1] = static_cast<uint8_t>(y * 255 / size);
                p[2] = static_cast<uint8_t>((x + y) * 127 / size + next());
                p[3] = static_cast<uint8_t>(x < size / 8 ? x * 8 * 255 / size : 255);
            }
    } else {
        image.format = PNG_FORMAT_RGB_COLORMAP;
        image.colormap_entries = 256;
        colormap.resize(256 * 3);
        for (unsigned i = 0; i < 256; ++i) {
            colormap[3 * i] = static_cast<uint8_t>(i);
            colormap[3 * i + 1] = static_cast<uint8_t>(255 - i);
            colormap[3 * i + 2] = static_cast<uint8_t>(i * 7);
        }
        pixels.resize(size_t{size} * size);
        for (uint32_t y = 0; y < size; ++y)
            for (uint32_t x = 0; x < size; ++x)
                pixels[size_t{y} * size + x] = static_cast<uint8_t>((x + y) * 255 / (2 * size) + next());
    }
    png_alloc_size_t bytes = 0;
    if (!png_image_write_get_memory_size(image, bytes, 0, pixels.data(), 0, colormap.data()))
        throw std::runtime_error("libpng could not size the file");
    std::vector<uint8_t> file(bytes);
    if (!png_image_write_to_memory(&image, file.data(), &bytes, 0, pixels.data(), 0, colormap.data()))
        throw std::runtime_error("libpng could not write the file");
    file.resize(bytes);
    return file;
}

const Input& InputFor(Kind kind, uint32_t size)
{
    static std::map<std::pair<Kind, uint32_t>, Input> cache;
    Input& in = cache[{kind, size}];
    if (!in.file.empty())
        return in;
    in.file = Write(size, kind);
    in.size = size;
    in.kind = kind;
    in.rawBytes = size_t{size} * (size_t{size} * (kind == Kind::Rgba8 ? 4 : 1) + 1);
    for (size_t pos = 8; pos + 12 <= in.file.size();) {
        const uint8_t* p = &in.file[pos];
        const uint32_t length = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
        if (std::memcmp(p + 4, "IDAT", 4) == 0)
            in.idat.insert(in.idat.end(), p + 8, p + 8 + length);
        pos += 12 + size_t{length};
    }
    return in;
}

void Inflate(const Input& in, std::vector<uint8_t>& out)
{
    uLongf length = static_cast<uLongf>(out.size());
    if (uncompress(out.data(), &length, in.idat.data(), static_cast<uLong>(in.idat.size())) != Z_OK)
        throw std::runtime_error("inflate failed");
}

// Seconds for one inflate of the input, best of several runs.
double InflateSeconds(const Input& in)
{
    static std::map<const Input*, double> cache;
    if (auto it = cache.find(&in); it != cache.end())
        return it->second;
    std::vector<uint8_t> out(in.rawBytes);
    double best = 1e9;
    for (int run = 0; run < 7; ++run) {
        const auto start = std::chrono::steady_clock::now();
        Inflate(in, out);
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return cache[&in] = best;
}

void Libpng(const Input& in, std::vector<png_bytep>& rows)
{
    struct Source {
        const Input* in;
        size_t pos;
    } source{&in, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw std::runtime_error("libpng failed");
    }
    png_set_read_fn(png, &source, [](png_structp p, png_bytep out, png_size_t n) {
        auto* s = static_cast<Source*>(png_get_io_ptr(p));
        std::memcpy(out, s->in->file.data() + s->pos, n);
        s->pos += n;
    });
    png_read_info(png, info);
    // The layout the bitmap gets: blue first, palette indexes kept.
    png_set_bgr(png);
    png_read_update_info(png, info);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
}

template <class Body>
void Measure(benchmark::State& state, const Input& in, Body body)
{
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        body();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double perImage = seconds / static_cast<double>(state.iterations());
    state.counters["x_inflate"] = perImage / InflateSeconds(in);
    state.counters["Mpix/s"] = static_cast<double>(in.size) * in.size / perImage / 1e6;
}

void BenchLoadPng(benchmark::State& state, Kind kind, uint32_t size)
{
    const Input& in = InputFor(kind, size);
    TColorManager manager;
    ks::MemoryRaster raster;
    Measure(state, in, [&] {
        ks::LoadPng(in.file, manager, raster);
        benchmark::DoNotOptimize(raster.Row(0));
    });
}

void BenchLibpng(benchmark::State& state, Kind kind, uint32_t size)
{
    const Input& in = InputFor(kind, size);
    const size_t rowBytes = size_t{size} * (kind == Kind::Rgba8 ? 4 : 1);
    std::vector<uint8_t> pixels(rowBytes * size);
    std::vector<png_bytep> rows(size);
    for (uint32_t y = 0; y < size; ++y)
        rows[y] = pixels.data() + y * rowBytes;
    Measure(state, in, [&] {
        Libpng(in, rows);
        benchmark::DoNotOptimize(pixels.data());
    });
}

void BenchInflate(benchmark::State& state, Kind kind, uint32_t size)
{
    const Input& in = InputFor(kind, size);
    std::vector<uint8_t> out(in.rawBytes);
    Measure(state, in, [&] {
        Inflate(in, out);
        benchmark::DoNotOptimize(out.data());
    });
}

const bool registered = [] {
    for (Kind kind : {Kind::Rgba8, Kind::Palette8}) {
        for (uint32_t size : {256u, 2048u}) {
            const std::string suffix =
                std::string(kind == Kind::Rgba8 ? "/rgba8/" : "/palette8/") + std::to_string(size);
            benchmark::RegisterBenchmark(("Inflate" + suffix).c_str(), BenchInflate, kind, size)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("LoadPng" + suffix).c_str(), BenchLoadPng, kind, size)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("Libpng" + suffix).c_str(), BenchLibpng, kind, size)
                ->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}();

} // namespace
