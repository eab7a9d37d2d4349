#pragma once
// What the icon and image-list targets share: every image of an icon file that the directory
// reader accepted is decoded by the project's own readers, as the system decodes it on Windows:
// a PNG image by the PNG decoder, a bitmap image (colour rows, then mask rows) by the BMP reader
// over a file header whose height is the colour rows'. A decoded image must have the size the
// directory reader took from its header; a plain 40-byte bitmap header whose colour table is no
// longer than its depth allows must decode. Anything else the decoders refuse is no finding.

#include "skin/images/PngDecoder.h"
#include "vcl/BmpReader.h"
#include "vcl/IcoReader.h"
#include "vcl/SysUtils.h"

#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

namespace ks::fuzz {

inline uint32_t LittleEndian32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline void PutLittleEndian32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The bitmap image of an entry as a .bmp file of its colour rows (the mask rows follow them and
// are left as bytes after the last row).
inline std::vector<uint8_t> BitmapFileOf(std::span<const uint8_t> image, const IcoEntry& e)
{
    const uint32_t headerSize = LittleEndian32(image.data());
    const uint32_t clrUsed = LittleEndian32(image.data() + 32);
    const uint32_t colours = e.bpp > 8 ? 0 : (clrUsed == 0 || clrUsed > (1u << e.bpp) ? 1u << e.bpp : clrUsed);
    std::vector<uint8_t> file(14 + image.size());
    file[0] = 'B';
    file[1] = 'M';
    PutLittleEndian32(&file[2], static_cast<uint32_t>(file.size()));
    PutLittleEndian32(&file[10], 14 + headerSize + colours * 4);
    std::memcpy(&file[14], image.data(), image.size());
    PutLittleEndian32(&file[14 + 8], static_cast<uint32_t>(e.height));
    return file;
}

// The bitmap headers every reader takes alike. The directory reader has read the 40 bytes.
inline bool MustDecode(std::span<const uint8_t> image, const IcoEntry& e)
{
    const uint32_t clrUsed = LittleEndian32(image.data() + 32);
    return LittleEndian32(image.data()) == 40 && (clrUsed == 0 || (e.bpp <= 8 && clrUsed <= (1u << e.bpp)));
}

inline void DecodeIconImages(std::span<const uint8_t> data, const std::vector<IcoEntry>& entries, uint64_t maxPixels)
{
    for (const IcoEntry& e : entries) {
        const std::span<const uint8_t> image = data.subspan(e.offset, e.size);
        int width = 0;
        int height = 0;
        try {
            if (e.png) {
                TColorManager manager;
                MemoryRaster raster;
                LoadPng(image, manager, raster, {.MaxImageBytes = 4 * maxPixels});
                width = raster.Width();
                height = raster.Height();
            } else {
                const BmpImage bmp = ReadBmp(BitmapFileOf(image, e), {.MaxPixels = maxPixels});
                width = bmp.width;
                height = bmp.height;
            }
        } catch (const Exception&) {
            if (!e.png && MustDecode(image, e))
                std::abort();
            continue;
        }
        if (width != e.width || height != e.height)
            std::abort();
    }
}

} // namespace ks::fuzz
