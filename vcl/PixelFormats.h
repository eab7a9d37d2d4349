#pragma once
// The class library's pixel loops on ks::PixelView, for every stored format of TBitmap: white
// fills of new rasters, row copies, and conversions between formats through one codec. TBitmap
// (Bitmap.h) only adapts its DIB sections to views and calls these. The engine's own loops sit
// above, in skin/pixels/PixelCore.h, whose header states the rounding rules; the conversions here
// round nothing: they widen by bit replication and narrow by dropping low bits.

#include "vcl/BmpReader.h"
#include "vcl/GraphicsTypes.h"

#include <cstdint>
#include <span>
#include <vector>

namespace ks {

// Bits per stored pixel: 1, 4, 8, 16 (both 15- and 16-bit formats), 24, or 32 for pf32bit and
// for the device formats, which are stored like the screen.
int BitsPerPixel(TPixelFormat format) noexcept;
constexpr bool IsIndexed(TPixelFormat format) noexcept
{
    return format == pf1bit || format == pf4bit || format == pf8bit;
}

// The colour table a new bitmap of the format gets: black and white, the 16 VGA colours, or 256
// greys; empty for the formats without a table.
std::vector<Bgra> DefaultColors(TPixelFormat format);

// Makes every pixel of v white, as a new platform bitmap is. 32-bit white has alpha 0, as every
// GDI write leaves it. Formats stored in whole bytes per row (24-bit and indexed) get their row
// padding filled too, so rasters copied or saved with it compare equal. colors is the table of
// an indexed view: "white" is its brightest entry.
void FillWhite(const PixelView& v, TPixelFormat format, std::span<const Bgra> colors) noexcept;

// Copies the top-left min(width) x min(height) pixels of src into dst; both of the same depth,
// otherwise nothing is copied. Indexes of 1- and 4-bit rows are copied one by one, so the bits
// past the copied width keep dst's values.
void CopyPixels(const PixelView& dst, const PixelView& src) noexcept;

// Copies the first bytes of each of the min(height) rows of src into the same row of dst; the
// caller sizes bytes for both rows.
void CopyRowBytes(const PixelView& dst, const PixelView& src, size_t bytes) noexcept;

// One pixel of a view of the format. Indexes beyond the table read as black; a truecolour
// pixel reads alpha only from 32-bit views.
Bgra ReadPixel(const PixelView& v, TPixelFormat format, std::span<const Bgra> colors, int x, int y) noexcept;

// Converts every pixel of src (srcFormat, srcColors) into dst (dstFormat, dstColors), both the
// same size. Truecolour targets get alpha 0, as a GDI copy would give them; indexed targets get
// the entry at the smallest squared distance, the first of equals; 5-bit and 6-bit channels are
// widened by repeating their top bits. GDI is not used: Wine: BitBlt into an 8-bit DIB maps
// colours through a coarse lookup (black became entry 4 of a grey table), so bytes would not
// survive 8 -> 32 -> 8; Windows matches exactly.
void ConvertPixels(const PixelView& dst, TPixelFormat dstFormat, std::span<const Bgra> dstColors,
                   const PixelView& src, TPixelFormat srcFormat, std::span<const Bgra> srcColors) noexcept;

} // namespace ks
