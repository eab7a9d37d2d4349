// PNG decoding throughput: our decoder beside libpng, libspng and stb_image on the same files,
// in megapixels per second, with each row's time as a multiple of libpng's on that image
// ("x_libpng", the two decoded in turns; 1.0 or less means no slower, our decoder's target on
// every image). Raw inflate of the image data is the floor.
// Inputs are generated here and written by libpng with its default adaptive filters and
// compression: a photo-like RGB image (smooth gradients with noise), a larger RGBA one, a
// palette image and an interlaced RGB one. Every decoder gives 8 bits per sample: ours and libpng
// write blue first, libspng and stb_image red first; all but stb_image keep palette indexes,
// which it has no way to do, so it expands them to RGB.
#include "bench/Interleaved.h"
#include "skin/images/PngDecoder.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#ifdef KS_BENCH_SPNG
#include <spng.h>
#endif
#ifdef KS_BENCH_STB
#include <stb/stb_image.h>
#endif

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

enum class Image { PhotoRgb, PhotoRgba, Palette, InterlacedRgb };

struct ImageSpec {
    const char* name;
    uint32_t size;
    int colorType;
    int channels; // bytes per pixel of the decoded rows
    bool interlaced;
};

ImageSpec SpecOf(Image image)
{
    switch (image) {
    case Image::PhotoRgb: return {"rgb8/1024", 1024, PNG_COLOR_TYPE_RGB, 3, false};
    case Image::PhotoRgba: return {"rgba8/2048", 2048, PNG_COLOR_TYPE_RGBA, 4, false};
    case Image::Palette: return {"palette8/1024", 1024, PNG_COLOR_TYPE_PALETTE, 1, false};
    default: return {"interlaced_rgb8/1024", 1024, PNG_COLOR_TYPE_RGB, 3, true};
    }
}

struct Input {
    ImageSpec spec{};
    std::vector<uint8_t> file;
    std::vector<uint8_t> idat; // the zlib stream, IDAT chunks joined
    size_t rawBytes = 0;       // the inflate output, filter bytes included
};

// Smooth gradients and slow waves with a few levels of noise, the way photographs and skin art
// keep the adaptive filters busy (no row is all one filter).
std::vector<uint8_t> PhotoPixels(uint32_t size, int channels)
{
    std::vector<uint8_t> pixels(size_t{size} * size * static_cast<size_t>(channels));
    uint32_t noise = 12345;
    const auto next = [&noise] { return static_cast<int>((noise = noise * 1664525u + 1013904223u) >> 29) - 4; };
    const double scale = 6.2831853 / size;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            uint8_t* p = &pixels[(size_t{y} * size + x) * static_cast<size_t>(channels)];
            const double wave = 40 * std::sin(x * scale * 3) * std::cos(y * scale * 2);
            const int base[4] = {
                static_cast<int>(x * 200 / size + wave),
                static_cast<int>(y * 180 / size + 30 - wave / 2),
                static_cast<int>((x + y) * 100 / size + 20 + wave / 3),
                x < size / 8 ? static_cast<int>(x * 8 * 255 / size) : 255,
            };
            for (int c = 0; c < channels; ++c) {
                const int v = base[c] + (c < 3 ? next() : 0);
                p[c] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
            }
        }
    return pixels;
}

std::vector<uint8_t> Write(const ImageSpec& spec)
{
    std::vector<png_color> palette;
    if (spec.colorType == PNG_COLOR_TYPE_PALETTE) {
        for (unsigned i = 0; i < 256; ++i)
            palette.push_back({static_cast<png_byte>(i), static_cast<png_byte>(255 - i), static_cast<png_byte>(i * 7)});
    }
    std::vector<uint8_t> pixels = PhotoPixels(spec.size, spec.channels);

    std::vector<uint8_t> file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng could not write the file");
    }
    png_set_write_fn(
        png, &file,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            out->insert(out->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, spec.size, spec.size, 8, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    std::vector<png_bytep> rows(spec.size);
    const size_t rowBytes = size_t{spec.size} * static_cast<size_t>(spec.channels);
    for (uint32_t y = 0; y < spec.size; ++y)
        rows[y] = pixels.data() + y * rowBytes;
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return file;
}

const Input& InputFor(Image image)
{
    static std::map<Image, Input> cache;
    Input& in = cache[image];
    if (!in.file.empty())
        return in;
    in.spec = SpecOf(image);
    in.file = Write(in.spec);
    for (size_t pos = 8; pos + 12 <= in.file.size();) {
        const uint8_t* p = &in.file[pos];
        const uint32_t length = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
        if (std::memcmp(p + 4, "IDAT", 4) == 0)
            in.idat.insert(in.idat.end(), p + 8, p + 8 + length);
        pos += 12 + size_t{length};
    }
    // Generous for the interlaced passes' extra filter bytes; uncompress reports the real size.
    in.rawBytes = 2 * size_t{in.spec.size} * (size_t{in.spec.size} * static_cast<size_t>(in.spec.channels) + 1);
    return in;
}

void Inflate(const Input& in, std::vector<uint8_t>& out)
{
    uLongf length = static_cast<uLongf>(out.size());
    if (uncompress(out.data(), &length, in.idat.data(), static_cast<uLong>(in.idat.size())) != Z_OK)
        throw std::runtime_error("inflate failed");
}

void Libpng(const Input& in, png_bytep pixels)
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
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    std::vector<png_bytep> rows(in.spec.size);
    for (uint32_t y = 0; y < in.spec.size; ++y)
        rows[y] = pixels + y * rowBytes;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
}

double DecodeSeconds(benchmark::State& state, const std::function<void()>& body)
{
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        body();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    return seconds / static_cast<double>(state.iterations());
}

// The row's time against libpng's on the same image, the two decoded in turns.
void Measure(benchmark::State& state, const Input& in, const std::function<void()>& body)
{
    const double perImage = DecodeSeconds(state, body);
    std::vector<uint8_t> pixels(size_t{in.spec.size} * in.spec.size * static_cast<size_t>(in.spec.channels));
    ks::bench::Count(state.counters, "x_libpng", ks::bench::Interleave(body, [&] {
                         Libpng(in, pixels.data());
                         benchmark::DoNotOptimize(pixels.data());
                     }));
    state.counters["Mpix/s"] = static_cast<double>(in.spec.size) * in.spec.size / perImage / 1e6;
}

void BenchInflate(benchmark::State& state, Image image)
{
    const Input& in = InputFor(image);
    std::vector<uint8_t> out(in.rawBytes);
    Measure(state, in, [&] {
        Inflate(in, out);
        benchmark::DoNotOptimize(out.data());
    });
}

void BenchLoadPng(benchmark::State& state, Image image)
{
    const Input& in = InputFor(image);
    TColorManager manager;
    ks::MemoryRaster raster;
    Measure(state, in, [&] {
        ks::LoadPng(in.file, manager, raster);
        benchmark::DoNotOptimize(raster.Row(0));
    });
    state.counters["x_libpng_max"] = 1.0;
}

void BenchLibpng(benchmark::State& state, Image image)
{
    const Input& in = InputFor(image);
    std::vector<uint8_t> pixels(size_t{in.spec.size} * in.spec.size * static_cast<size_t>(in.spec.channels));
    Measure(state, in, [&] {
        Libpng(in, pixels.data());
        benchmark::DoNotOptimize(pixels.data());
    });
}

#ifdef KS_BENCH_SPNG
void BenchLibspng(benchmark::State& state, Image image)
{
    const Input& in = InputFor(image);
    const int format = in.spec.channels == 4 ? SPNG_FMT_RGBA8 : (in.spec.channels == 3 ? SPNG_FMT_RGB8 : SPNG_FMT_PNG);
    std::vector<uint8_t> pixels(size_t{in.spec.size} * in.spec.size * static_cast<size_t>(in.spec.channels));
    Measure(state, in, [&] {
        spng_ctx* ctx = spng_ctx_new(0);
        size_t size = 0;
        const bool ok = ctx && spng_set_png_buffer(ctx, in.file.data(), in.file.size()) == 0 &&
                        spng_decoded_image_size(ctx, format, &size) == 0 && size == pixels.size() &&
                        spng_decode_image(ctx, pixels.data(), size, format, 0) == 0;
        spng_ctx_free(ctx);
        if (!ok)
            throw std::runtime_error("libspng failed");
        benchmark::DoNotOptimize(pixels.data());
    });
}
#endif

#ifdef KS_BENCH_STB
void BenchStbImage(benchmark::State& state, Image image)
{
    const Input& in = InputFor(image);
    const int channels = in.spec.channels == 4 ? 4 : 3;
    Measure(state, in, [&] {
        int width = 0, height = 0, fileChannels = 0;
        stbi_uc* pixels = stbi_load_from_memory(in.file.data(), static_cast<int>(in.file.size()), &width, &height,
                                                &fileChannels, channels);
        if (!pixels)
            throw std::runtime_error("stb_image failed");
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    });
}
#endif

const bool registered = [] {
    for (Image image : {Image::PhotoRgb, Image::PhotoRgba, Image::Palette, Image::InterlacedRgb}) {
        const std::string suffix = std::string("/") + SpecOf(image).name;
        const auto add = [&](const char* name, void (*bench)(benchmark::State&, Image)) {
            benchmark::RegisterBenchmark((name + suffix).c_str(), bench, image)->Unit(benchmark::kMillisecond);
        };
        add("Inflate", BenchInflate);
        add("LoadPng", BenchLoadPng);
        add("Libpng", BenchLibpng);
#ifdef KS_BENCH_SPNG
        add("Libspng", BenchLibspng);
#endif
#ifdef KS_BENCH_STB
        add("StbImage", BenchStbImage);
#endif
    }
    return true;
}();

} // namespace
