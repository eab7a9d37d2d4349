#pragma once
// Test builders for the bitmap, icon and JPEG readers: each makes a file image byte by byte,
// valid by default, with every field open to the defect a test needs. Header-only, because the
// Windows test programs use them too and link no host support units.

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include <jpeglib.h>

namespace ks::test {

inline void PutU16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}

inline void PutU32(std::vector<uint8_t>& v, uint32_t x)
{
    PutU16(v, x & 0xFFFF);
    PutU16(v, x >> 16);
}

inline void SetU32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v.at(at + i) = static_cast<uint8_t>(x >> (8 * i));
}

// A .bmp file. Palette entries are 0x00RRGGBB; masks are written inside the header for header
// sizes of 52 and more, and after a 40-byte header when compression is BI_BITFIELDS.
struct BmpBuilder {
    uint32_t headerSize = 40;
    int32_t width = 2;
    int32_t height = 2; // negative for top-down rows
    uint16_t planes = 1;
    uint16_t bpp = 24;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    std::vector<uint32_t> palette;
    std::array<uint32_t, 4> masks{};
    std::vector<uint8_t> pixels; // exactly as they go into the file
    std::optional<uint32_t> offBits; // default: right after the tables

    std::vector<uint8_t> Build() const
    {
        std::vector<uint8_t> v{'B', 'M'};
        PutU32(v, 0); // file size, patched below
        PutU32(v, 0);
        PutU32(v, 0); // offset, patched below
        PutU32(v, headerSize);
        if (headerSize == 12) {
            PutU16(v, static_cast<uint32_t>(width));
            PutU16(v, static_cast<uint32_t>(height));
            PutU16(v, planes);
            PutU16(v, bpp);
        } else {
            PutU32(v, static_cast<uint32_t>(width));
            PutU32(v, static_cast<uint32_t>(height));
            PutU16(v, planes);
            PutU16(v, bpp);
            PutU32(v, compression);
            PutU32(v, static_cast<uint32_t>(pixels.size()));
            PutU32(v, 2835);
            PutU32(v, 2835);
            PutU32(v, clrUsed);
            PutU32(v, 0);
            for (uint32_t i = 0; 40 + 4 * i < headerSize; ++i)
                PutU32(v, i < 4 ? masks[i] : 0);
            if (headerSize == 40 && compression == 3)
                for (int i = 0; i < 3; ++i)
                    PutU32(v, masks[i]);
        }
        for (uint32_t c : palette) {
            v.push_back(static_cast<uint8_t>(c));
            v.push_back(static_cast<uint8_t>(c >> 8));
            v.push_back(static_cast<uint8_t>(c >> 16));
            if (headerSize != 12)
                v.push_back(0);
        }
        SetU32(v, 10, offBits.value_or(static_cast<uint32_t>(v.size())));
        v.insert(v.end(), pixels.begin(), pixels.end());
        SetU32(v, 2, static_cast<uint32_t>(v.size()));
        return v;
    }
};

// One image of an .ico file: a BITMAPINFOHEADER image (XOR rows, then AND rows, bottom-up) or,
// when png is not empty, those bytes as they stand.
struct IcoImage {
    int width = 16;
    int height = 16;
    uint16_t bpp = 32;
    std::vector<uint8_t> png;
    uint32_t pixel = 0xFF0000FF; // BGRA word of every 32-bit pixel; palette index otherwise

    std::vector<uint8_t> Bytes() const
    {
        if (!png.empty())
            return png;
        std::vector<uint8_t> v;
        PutU32(v, 40);
        PutU32(v, static_cast<uint32_t>(width));
        PutU32(v, static_cast<uint32_t>(height * 2));
        PutU16(v, 1);
        PutU16(v, bpp);
        for (int i = 0; i < 6; ++i)
            PutU32(v, 0);
        if (bpp <= 8)
            for (uint32_t i = 0; i < (1u << bpp); ++i)
                PutU32(v, i == 1 ? 0x0000FF00 : 0);
        const size_t xorStride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
        const size_t andStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
        for (int y = 0; y < height; ++y) {
            if (bpp == 32) {
                for (int x = 0; x < width; ++x)
                    PutU32(v, pixel);
            } else if (bpp == 8) {
                v.insert(v.end(), xorStride, static_cast<uint8_t>(pixel));
            } else {
                v.insert(v.end(), xorStride, 0);
            }
        }
        v.insert(v.end(), andStride * static_cast<size_t>(height), 0);
        return v;
    }
};

struct IcoBuilder {
    uint16_t reserved = 0;
    uint16_t type = 1;
    std::optional<uint16_t> count; // default: images.size()
    std::vector<IcoImage> images;
    // Directory fields replaced after layout: entry index -> (offset, size).
    std::vector<std::pair<size_t, std::pair<uint32_t, uint32_t>>> entryOverrides;

    std::vector<uint8_t> Build() const
    {
        std::vector<uint8_t> v;
        PutU16(v, reserved);
        PutU16(v, type);
        PutU16(v, count.value_or(static_cast<uint16_t>(images.size())));
        size_t offset = 6 + 16 * images.size();
        std::vector<uint8_t> bodies;
        for (const IcoImage& img : images) {
            std::vector<uint8_t> b = img.Bytes();
            v.push_back(static_cast<uint8_t>(img.width >= 256 ? 0 : img.width));
            v.push_back(static_cast<uint8_t>(img.height >= 256 ? 0 : img.height));
            v.push_back(0);
            v.push_back(0);
            PutU16(v, 1);
            PutU16(v, img.bpp);
            PutU32(v, static_cast<uint32_t>(b.size()));
            PutU32(v, static_cast<uint32_t>(offset + bodies.size()));
            bodies.insert(bodies.end(), b.begin(), b.end());
        }
        for (const auto& [index, fields] : entryOverrides) {
            SetU32(v, 6 + 16 * index + 12, fields.first);
            SetU32(v, 6 + 16 * index + 8, fields.second);
        }
        v.insert(v.end(), bodies.begin(), bodies.end());
        return v;
    }
};

// A JPEG made with libjpeg's own compressor: width x height, every pixel the 0x00RRGGBB colour
// (three components), its red byte as a grey level (one component), or CMYK (four components,
// the colour's bytes and 0).
inline std::vector<uint8_t> MakeJpeg(int width, int height, uint32_t rgb, int components = 3,
                                     bool progressive = false)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = components;
    c.in_color_space = components == 4 ? JCS_CMYK : components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    if (progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * components);
    for (int x = 0; x < width; ++x) {
        for (int i = 0; i < components; ++i)
            row[x * components + i] = static_cast<JSAMPLE>(i < 3 ? rgb >> (16 - 8 * i) : 0);
    }
    while (c.next_scanline < c.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&c);
    free(out);
    return bytes;
}

} // namespace ks::test
