#pragma once
// Test builder for the PNG decoder: makes PNG files from sample values, chunk by chunk, valid by
// default and open to every defect a test needs (wrong lengths and CRCs, odd chunk orders, split
// or broken zlib streams, undefined filters). On the host it also decodes files with libpng, the
// decoder's independent oracle.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ks::test {

// Samples of an image before filtering: row-major, channels interleaved, each 0 .. 2^depth - 1.
struct PngImage {
    uint32_t width = 1;
    uint32_t height = 1;
    uint8_t bitDepth = 8;
    uint8_t colorType = 0;
    std::vector<uint16_t> samples;

    unsigned Channels() const noexcept;
    uint16_t Sample(uint32_t x, uint32_t y, unsigned channel) const
    {
        return samples.at((static_cast<size_t>(y) * width + x) * Channels() + channel);
    }
};

// An image whose samples follow a seeded pseudo-random pattern covering the depth's range.
PngImage MakePngImage(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType, uint32_t seed);

// The filtered scan lines of an image, Adam7 passes one after the other when interlaced.
// filters are used in turn, one per row in file order; types 5 and above are written as the
// row's type byte with the row left unfiltered.
std::vector<uint8_t> FilterRows(const PngImage& image, bool interlaced, const std::vector<uint8_t>& filters = {0});

// A zlib stream (RFC 1950); with a dictionary the stream asks for it (FDICT).
std::vector<uint8_t> ZlibCompress(std::span<const uint8_t> raw, int level = 6, std::span<const uint8_t> dictionary = {});

std::vector<uint8_t> IhdrData(uint32_t width, uint32_t height, uint8_t bitDepth, uint8_t colorType,
                              uint8_t compression = 0, uint8_t filter = 0, uint8_t interlace = 0);
std::vector<uint8_t> BigEndian16(std::initializer_list<uint16_t> values);
std::vector<uint8_t> BigEndian32(uint32_t value);

// A PNG file as its signature and a list of chunks. Each chunk gets its true length and CRC
// unless a test sets them.
class PngBuilder {
public:
    struct Chunk {
        std::string type;
        std::vector<uint8_t> data;
        std::optional<uint32_t> length;
        std::optional<uint32_t> crc;
    };

    std::vector<uint8_t> signature{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<Chunk> chunks;

    PngBuilder& Add(std::string type, std::vector<uint8_t> data);
    // Splits a zlib stream over IDAT chunks of piece bytes (one chunk when piece is 0).
    PngBuilder& AddImageData(std::span<const uint8_t> zlib, size_t piece = 0);
    // The first chunk of the type at or after index from.
    Chunk& Find(const std::string& type, size_t from = 0);
    size_t IndexOf(const std::string& type) const;
    std::vector<uint8_t> Build() const;
};

// The usual file for an image: IHDR, before (chunks such as gAMA), PLTE for palette images,
// between (tRNS, bKGD), the image data and after, then IEND.
struct PngLayout {
    bool interlaced = false;
    std::vector<uint8_t> filters{0};
    int level = 6;
    size_t idatPiece = 0;
    std::optional<std::vector<uint8_t>> palette{}; // PLTE data; colour type 3 gets 2^depth entries
    std::vector<PngBuilder::Chunk> before{};
    std::vector<PngBuilder::Chunk> between{};
    std::vector<PngBuilder::Chunk> after{};
};
PngBuilder BuildPng(const PngImage& image, const PngLayout& layout = {});
// 2^depth pseudo-random palette entries (red, green, blue).
std::vector<uint8_t> MakePalette(unsigned entries, uint32_t seed);

// libpng's reading of a file: raw samples in PngImage layout (Adam7 undone, nothing else
// changed), or with gamma applied to 8-bit colour samples when screenGamma is set. Empty when
// libpng refuses the file. Only the host build has libpng.
struct LibpngOptions {
    std::optional<double> screenGamma;
};
std::optional<PngImage> LibpngDecode(std::span<const uint8_t> file, const LibpngOptions& options = {});

} // namespace ks::test
