#include "host/support/PngBuilder.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#if __has_include(<png.h>)
#include <png.h>
#endif

namespace ks::test {

namespace {

struct Pass {
    uint32_t firstRow, firstColumn, rowStep, columnStep;
};
constexpr std::array<Pass, 7> InterlacePasses{{
    {0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4}, {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1},
}};

// Packs the samples of columns x = first, first + step, ... of row y as the file stores them.
std::vector<uint8_t> PackRow(const PngImage& image, uint32_t y, uint32_t first, uint32_t step)
{
    const unsigned depth = image.bitDepth;
    const unsigned channels = image.Channels();
    std::vector<uint8_t> row;
    unsigned bitsUsed = 8;
    for (uint32_t x = first; x < image.width; x += step) {
        for (unsigned c = 0; c < channels; ++c) {
            const uint16_t v = image.Sample(x, y, c);
            if (depth == 16) {
                row.push_back(static_cast<uint8_t>(v >> 8));
                row.push_back(static_cast<uint8_t>(v));
            } else if (depth == 8) {
                row.push_back(static_cast<uint8_t>(v));
            } else {
                if (bitsUsed == 8) {
                    row.push_back(0);
                    bitsUsed = 0;
                }
                row.back() = static_cast<uint8_t>(row.back() | (v << (8 - depth - bitsUsed)));
                bitsUsed += depth;
            }
        }
    }
    return row;
}

uint8_t Paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return static_cast<uint8_t>(pa <= pb && pa <= pc ? a : (pb <= pc ? b : c));
}

void AppendFiltered(std::vector<uint8_t>& out, const std::vector<uint8_t>& row, const std::vector<uint8_t>& prior,
                    uint8_t filter, size_t bpp)
{
    out.push_back(filter);
    for (size_t i = 0; i < row.size(); ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0;
        const int b = prior.empty() ? 0 : prior[i];
        const int c = i >= bpp && !prior.empty() ? prior[i - bpp] : 0;
        int predictor = 0;
        switch (filter) {
        case 1: predictor = a; break;
        case 2: predictor = b; break;
        case 3: predictor = (a + b) / 2; break;
        case 4: predictor = Paeth(a, b, c); break;
        default: break;
        }
        out.push_back(static_cast<uint8_t>(row[i] - predictor));
    }
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

} // namespace

unsigned PngImage::Channels() const noexcept
{
    switch (colorType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

PngImage MakePngImage(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType, uint32_t seed)
{
    PngImage image{width, height, bitDepth, colorType, {}};
    const uint32_t max = (1u << bitDepth) - 1;
    uint32_t state = seed * 2654435761u + 1;
    image.samples.resize(static_cast<size_t>(width) * height * image.Channels());
    for (size_t i = 0; i < image.samples.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        // Every fourth sample repeats its left neighbour so filters meet runs as well as noise.
        const bool repeat = (state >> 28) == 0 && i >= image.Channels();
        image.samples[i] = static_cast<uint16_t>(repeat ? image.samples[i - image.Channels()] : (state >> 8) & max);
    }
    return image;
}

std::vector<uint8_t> FilterRows(const PngImage& image, bool interlaced, const std::vector<uint8_t>& filters)
{
    const size_t bpp = std::max<size_t>(1, image.Channels() * image.bitDepth / 8);
    std::vector<uint8_t> out;
    size_t rowIndex = 0;
    const auto emitPass = [&](uint32_t firstRow, uint32_t firstColumn, uint32_t rowStep, uint32_t columnStep) {
        if (image.width <= firstColumn)
            return;
        std::vector<uint8_t> prior;
        for (uint32_t y = firstRow; y < image.height; y += rowStep) {
            const std::vector<uint8_t> row = PackRow(image, y, firstColumn, columnStep);
            AppendFiltered(out, row, prior, filters[rowIndex++ % filters.size()], bpp);
            prior = row;
        }
    };
    if (interlaced)
        for (const Pass& p : InterlacePasses)
            emitPass(p.firstRow, p.firstColumn, p.rowStep, p.columnStep);
    else
        emitPass(0, 0, 1, 1);
    return out;
}

std::vector<uint8_t> ZlibCompress(std::span<const uint8_t> raw, int level, std::span<const uint8_t> dictionary)
{
    z_stream z{};
    if (deflateInit(&z, level) != Z_OK)
        throw std::runtime_error("deflateInit failed");
    if (!dictionary.empty())
        deflateSetDictionary(&z, dictionary.data(), static_cast<uInt>(dictionary.size()));
    std::vector<uint8_t> out(deflateBound(&z, static_cast<uLong>(raw.size())) + 64);
    z.next_in = const_cast<Bytef*>(raw.data());
    z.avail_in = static_cast<uInt>(raw.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (rc != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    return out;
}

std::vector<uint8_t> IhdrData(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType,
                              uint8_t compression, uint8_t filter, uint8_t interlace)
{
    std::vector<uint8_t> d;
    PutU32(d, width);
    PutU32(d, height);
    d.insert(d.end(), {bitDepth, colorType, compression, filter, interlace});
    return d;
}

std::vector<uint8_t> BigEndian16(std::initializer_list<uint16_t> values)
{
    std::vector<uint8_t> d;
    for (uint16_t v : values) {
        d.push_back(static_cast<uint8_t>(v >> 8));
        d.push_back(static_cast<uint8_t>(v));
    }
    return d;
}

std::vector<uint8_t> BigEndian32(uint32_t value)
{
    std::vector<uint8_t> d;
    PutU32(d, value);
    return d;
}

PngBuilder& PngBuilder::Add(std::string type, std::vector<uint8_t> data)
{
    chunks.push_back({std::move(type), std::move(data), {}, {}});
    return *this;
}

PngBuilder& PngBuilder::AddImageData(std::span<const uint8_t> zlib, size_t piece)
{
    if (piece == 0)
        piece = std::max<size_t>(zlib.size(), 1);
    size_t at = 0;
    do {
        const size_t n = std::min(piece, zlib.size() - at);
        Add("IDAT", {zlib.begin() + static_cast<ptrdiff_t>(at), zlib.begin() + static_cast<ptrdiff_t>(at + n)});
        at += n;
    } while (at < zlib.size());
    return *this;
}

size_t PngBuilder::IndexOf(const std::string& type) const
{
    for (size_t i = 0; i < chunks.size(); ++i)
        if (chunks[i].type == type)
            return i;
    throw std::out_of_range("no chunk " + type);
}

PngBuilder::Chunk& PngBuilder::Find(const std::string& type, size_t from)
{
    for (size_t i = from; i < chunks.size(); ++i)
        if (chunks[i].type == type)
            return chunks[i];
    throw std::out_of_range("no chunk " + type);
}

std::vector<uint8_t> PngBuilder::Build() const
{
    std::vector<uint8_t> out = signature;
    for (const Chunk& c : chunks) {
        PutU32(out, c.length.value_or(static_cast<uint32_t>(c.data.size())));
        const size_t typeAt = out.size();
        out.insert(out.end(), c.type.begin(), c.type.end());
        out.insert(out.end(), c.data.begin(), c.data.end());
        const uint32_t crc = static_cast<uint32_t>(
            crc32(0, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt)));
        PutU32(out, c.crc.value_or(crc));
    }
    return out;
}

std::vector<uint8_t> MakePalette(unsigned entries, uint32_t seed)
{
    std::vector<uint8_t> p;
    uint32_t state = seed * 747796405u + 7;
    for (unsigned i = 0; i < entries * 3; ++i) {
        state = state * 1664525u + 1013904223u;
        p.push_back(static_cast<uint8_t>(state >> 24));
    }
    return p;
}

PngBuilder BuildPng(const PngImage& image, const PngLayout& layout)
{
    PngBuilder b;
    b.Add("IHDR", IhdrData(image.width, image.height, image.bitDepth, image.colorType, 0, 0, layout.interlaced ? 1 : 0));
    b.chunks.insert(b.chunks.end(), layout.before.begin(), layout.before.end());
    if (layout.palette)
        b.Add("PLTE", *layout.palette);
    else if (image.colorType == 3)
        b.Add("PLTE", MakePalette(1u << image.bitDepth, image.width * 31 + image.height));
    b.chunks.insert(b.chunks.end(), layout.between.begin(), layout.between.end());
    b.AddImageData(ZlibCompress(FilterRows(image, layout.interlaced, layout.filters), layout.level), layout.idatPiece);
    b.chunks.insert(b.chunks.end(), layout.after.begin(), layout.after.end());
    b.Add("IEND", {});
    return b;
}

#if __has_include(<png.h>)

namespace {

struct MemoryInput {
    std::span<const uint8_t> data;
    size_t pos = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t n)
{
    auto* in = static_cast<MemoryInput*>(png_get_io_ptr(png));
    if (n > in->data.size() - in->pos)
        png_error(png, "read past end");
    std::memcpy(out, in->data.data() + in->pos, n);
    in->pos += n;
}

void IgnoreWarning(png_structp, png_const_charp) {}

// A refusal is an answer, not news: the fuzz target asks libpng about every input.
[[noreturn]] void QuietError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// Everything that lives across setjmp is set up before it, so a longjmp out of libpng skips no
// destructor.
bool RunLibpng(png_structp png, png_infop info, MemoryInput& input, const LibpngOptions& options, PngImage& out,
               std::vector<uint8_t>& pixels, std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, &input, ReadFromMemory);
    png_read_info(png, info);
    out.width = png_get_image_width(png, info);
    out.height = png_get_image_height(png, info);
    out.bitDepth = png_get_bit_depth(png, info);
    out.colorType = png_get_color_type(png, info);
    png_set_interlace_handling(png);
    if (options.screenGamma) {
        double fileGamma = 0;
        if (png_get_gAMA(png, info, &fileGamma))
            png_set_gamma(png, *options.screenGamma, fileGamma);
    }
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    pixels.resize(rowBytes * out.height);
    rows.resize(out.height);
    for (uint32_t y = 0; y < out.height; ++y)
        rows[y] = pixels.data() + y * rowBytes;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

} // namespace

std::optional<PngImage> LibpngDecode(std::span<const uint8_t> file, const LibpngOptions& options)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, IgnoreWarning);
    png_infop info = png_create_info_struct(png);
    MemoryInput input{file};
    PngImage image;
    std::vector<uint8_t> pixels;
    std::vector<png_bytep> rows;
    const bool ok = RunLibpng(png, info, input, options, image, pixels, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok)
        return std::nullopt;

    const size_t rowBytes = image.height ? pixels.size() / image.height : 0;
    const unsigned channels = image.Channels();
    const unsigned depth = image.bitDepth;
    image.samples.resize(static_cast<size_t>(image.width) * image.height * channels);
    size_t i = 0;
    for (uint32_t y = 0; y < image.height; ++y) {
        const uint8_t* row = pixels.data() + y * rowBytes;
        for (size_t s = 0; s < static_cast<size_t>(image.width) * channels; ++s) {
            if (depth == 16) {
                image.samples[i++] = static_cast<uint16_t>((row[2 * s] << 8) | row[2 * s + 1]);
            } else {
                const size_t bit = s * depth;
                image.samples[i++] = static_cast<uint16_t>((row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1));
            }
        }
    }
    return image;
}

#endif

} // namespace ks::test
