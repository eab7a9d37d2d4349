#pragma once
// Reads and writes Windows bitmap files (.bmp) without the window system, for TBitmap and the
// build tools.
//
// Accepted: the file header followed by a CORE (12), INFO (40), INFO with masks (52, 56), V4 (108)
// or V5 (124) header; 1, 4, 8, 16, 24 and 32 bits per pixel; BI_RGB, BI_RLE4, BI_RLE8 and
// BI_BITFIELDS. Every size, offset, count and mask is checked against the bytes present before
// anything is allocated.
//
// Limits (BmpLimits):
// - MaxPixels, default 16M (4096 x 4096): four times the largest master bitmap a skin carries,
//   and at 32 bits per pixel still only 64 MB.
//
// Tolerated, because common writers produce it and the pixels are still well defined:
// - bfSize and biSizeImage that disagree with the data (many writers leave them 0 or wrong);
//   the pixel rows are measured from the dimensions instead;
// - bytes after the last pixel row;
// - a colour table longer than 2^bpp entries (only the first 2^bpp are read);
// - RLE runs that pass the end of a row (encoders pad odd RLE4 rows with one pixel): the extra
//   pixels are dropped.
// Everything else is refused with EInvalidGraphic and a BmpError reason.

#include "vcl/GraphicsTypes.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ks {

enum class BmpError {
    ShortRead = 1,      // a header, table or pixel row passes the end of the data
    Signature,          // no "BM"
    HeaderSize,         // an info header size no reader accepts
    Dimensions,         // zero or negative width, zero height, top-down RLE
    TooLarge,           // more pixels than BmpLimits::MaxPixels
    Planes,             // planes other than 1
    BitCount,           // a depth the header kind or the compression does not allow
    Compression,        // unknown compression, or one that does not suit the depth
    Masks,              // a bit-field mask that is empty, split, overlapping or too wide
    PixelOffset,        // pixel data that begins inside the headers or past the end
    Rle,                // RLE data that ends early or moves outside the image
};

struct BmpLimits {
    uint64_t MaxPixels = uint64_t{1} << 24;
};

// One colour-table entry in file order (an RGBQUAD).
struct Bgra {
    uint8_t b = 0, g = 0, r = 0, a = 0;
    friend bool operator==(const Bgra&, const Bgra&) = default;
};

// A decoded bitmap in DIB layout: rows top-down, each Stride() bytes (a multiple of 4), pixels
// blue, green, red (and alpha for 32 bits). Indexed images keep their indexes and carry a
// colour table of exactly 2^bpp entries; entries the file does not give are black.
// 16-bit files are widened to 24 bits; bit-field files of 32 bits come out as plain BGRA with
// alpha 0 unless the header names an alpha mask.
struct BmpImage {
    int width = 0;
    int height = 0;
    int bpp = 0; // 1, 4, 8, 24 or 32
    std::vector<Bgra> palette;
    std::vector<uint8_t> pixels;

    size_t Stride() const noexcept { return DibStride(width, bpp); }
    static size_t DibStride(int width, int bpp) noexcept
    {
        return ((static_cast<size_t>(width) * static_cast<size_t>(bpp) + 31) / 32) * 4;
    }
};

// Throws EInvalidGraphic with a BmpError reason.
BmpImage ReadBmp(std::span<const uint8_t> data, const BmpLimits& limits = {});

// A bottom-up BI_RGB file with an INFO header. view.bpp is 1, 4, 8, 24 or 32; indexed views
// take their colour table from palette (which must then hold 2^bpp entries). The fourth byte of
// 32-bit pixels is stored as it is, so alpha survives a round trip.
std::vector<uint8_t> WriteBmp(const PixelView& view, std::span<const Bgra> palette = {});

} // namespace ks
