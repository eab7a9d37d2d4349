#pragma once
// A header-only maker of small, valid PNG files from 8-bit samples, for the Windows test
// programs, which link no host support units (PngBuilder.h covers every defect a decoder test
// needs, but needs libpng's side of the host build).

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ks::test {

struct PngChunk {
    std::string type;
    std::vector<uint8_t> data;
};

inline void PutBigEndian32(std::vector<uint8_t>& v, uint32_t x)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        v.push_back(static_cast<uint8_t>(x >> shift));
}

inline void PutPngChunk(std::vector<uint8_t>& file, const PngChunk& chunk)
{
    PutBigEndian32(file, static_cast<uint32_t>(chunk.data.size()));
    const size_t typeAt = file.size();
    file.insert(file.end(), chunk.type.begin(), chunk.type.end());
    file.insert(file.end(), chunk.data.begin(), chunk.data.end());
    const uLong crc = crc32(0, file.data() + typeAt, static_cast<uInt>(file.size() - typeAt));
    PutBigEndian32(file, static_cast<uint32_t>(crc));
}

// width x height pixels of colour type 2 (RGB) or 6 (RGBA), rows top first, samples
// interleaved; every row unfiltered. Chunks in extra go between IHDR and the image data.
inline std::vector<uint8_t> MakeSmallPng(uint32_t width, uint32_t height, uint8_t colorType,
                                         const std::vector<uint8_t>& samples,
                                         const std::vector<PngChunk>& extra = {})
{
    const size_t channels = colorType == 6 ? 4 : 3;
    const size_t rowBytes = width * channels;
    if (samples.size() != rowBytes * height)
        throw std::invalid_argument("sample count does not match the size");
    std::vector<uint8_t> raw;
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), samples.begin() + y * rowBytes, samples.begin() + (y + 1) * rowBytes);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
        throw std::runtime_error("compress2 failed");
    packed.resize(packedSize);

    std::vector<uint8_t> file{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    PutBigEndian32(ihdr, width);
    PutBigEndian32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, colorType, 0, 0, 0});
    PutPngChunk(file, {"IHDR", ihdr});
    for (const PngChunk& c : extra)
        PutPngChunk(file, c);
    PutPngChunk(file, {"IDAT", packed});
    PutPngChunk(file, {"IEND", {}});
    return file;
}

// A uniform RGBA image: every pixel red, green, blue, alpha.
inline std::vector<uint8_t> MakeUniformPng(uint32_t width, uint32_t height, uint8_t r, uint8_t g, uint8_t b,
                                           uint8_t a)
{
    std::vector<uint8_t> samples;
    for (uint32_t i = 0; i < width * height; ++i)
        samples.insert(samples.end(), {r, g, b, a});
    return MakeSmallPng(width, height, 6, samples);
}

} // namespace ks::test
