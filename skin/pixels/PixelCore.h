#pragma once
// The pixel core: the loops the skin engine's painters run on 24- and 32-bit rasters, written
// against ks::PixelView so that they build, and are tested, without a window system. The
// accessor classes over bitmaps (acFastPixels.h) and the colour routines sit on top of it, as
// do the engine's other portable pixel units (AlphaImage.h, Resampler.h, GradientPixels.h),
// which follow the rules written here.
//
// Pixels: a 24-bit pixel is the bytes blue, green, red; a 32-bit pixel blue, green, red, alpha.
// A colour value (TColor) is 0x00BBGGRR; a 32-bit pixel handed out as a value is 0xAABBGGRR;
// a 32-bit pixel stored as a raw little-endian word is 0xAARRGGBB.
//
// Rounding, for every pixel routine of the engine:
// - Fixed-weight blends are integer only: d' = (s * (255 - w) + d * w + 127) >> 8, w being the
//   weight of the destination's own byte. The divisor is 256, not 255, so a weight of 0 turns a
//   source byte of 255 into 254 and a weight of 255 darkens the destination by up to one step:
//   the skins' transparency and fade steps were tuned with exactly this formula.
// - Alpha blends (images with an alpha channel drawn over a raster) are integer only:
//   d' = ((s - d) * a + d * 256) >> 8, a being the source's alpha or one derived from it (the
//   sum is never negative). An alpha of 0 leaves d; 255 gives s or one step below it, which the
//   stored images were drawn with (AlphaBlendByte).
// - Mask blends (a picture drawn through a mask, per channel 0 = the picture, 255 = what lies
//   below) are the alpha blend with the roles swapped: d' = ((d - s) * m + s * 256) >> 8, so a
//   mask of 255 keeps a byte d not above s and lowers a byte above s by exactly 1 (MaskBlendByte).
// - A value computed in floating point is rounded to the nearest integer with halves to the
//   even neighbour (RoundHalfEven), then limited to 0..255.
// - Integer division truncates toward zero.
//
// Clipping: every routine clips its rectangles once on entry against the views it touches, so
// no rectangle, offset or coordinate can make it read or write outside them. Rectangles are
// right- and bottom-exclusive. Views of unsupported depths, or of two different depths where
// they must match, are left alone. Nothing here raises, apart from the run list growing.

#include "vcl/GraphicsTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The colour of transparent pixels in masks and glyphs, and the answer that means "no colour".
inline constexpr TColor TransparentKeyColor = 0xFF00FF;

constexpr uint8_t ClampByte(int value) noexcept
{
    return static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

namespace ks {

// The one fixed-weight blend of a byte; the result always fits a byte.
constexpr uint8_t BlendFixedByte(uint8_t src, uint8_t dst, uint8_t dstWeight) noexcept
{
    return static_cast<uint8_t>((src * (255 - dstWeight) + dst * dstWeight + 127) >> 8);
}

// The one alpha blend of a byte; alpha 0..255, the result always fits a byte.
constexpr uint8_t AlphaBlendByte(uint8_t src, uint8_t dst, int alpha) noexcept
{
    return static_cast<uint8_t>(((src - dst) * alpha + dst * 256) >> 8);
}

// The one mask blend of a byte: mask 0 gives the picture, 255 (nearly) what lies below.
constexpr uint8_t MaskBlendByte(uint8_t picture, uint8_t below, int mask) noexcept
{
    return AlphaBlendByte(below, picture, mask);
}

constexpr uint8_t RedOf(TColor c) noexcept { return static_cast<uint8_t>(c); }
constexpr uint8_t GreenOf(TColor c) noexcept { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t BlueOf(TColor c) noexcept { return static_cast<uint8_t>(c >> 16); }
constexpr TColor RgbColor(uint8_t r, uint8_t g, uint8_t b) noexcept
{
    return static_cast<TColor>(r | g << 8 | b << 16);
}

// Where key-coloured pixels of an image take their background from: pixel (x, y) of the
// destination lies over pixel (x + dx, y + dy) of view (24- or 32-bit, may be the destination
// itself). ready: the background is known; use: key pixels are to show it.
struct AlphaBackdrop {
    PixelView view;
    int dx = 0;
    int dy = 0;
    bool ready = false;
    bool use = false;

    // The backdrop's pixel (blue, green, red first) under destination pixel (x, y), or null
    // where it has none: the painters leave such pixels as they are.
    const uint8_t* Under(int x, int y) const noexcept;
};

// A piece of a source image drawn at a place of a destination, the two rectangles of the same
// size from their top-left corners: the columns and rows of both that lie inside both views.
struct Piece {
    int sx = 0, sy = 0;
    int dx = 0, dy = 0;
    int cols = 0, rows = 0;
    bool Empty() const noexcept { return cols <= 0 || rows <= 0; }
};

// The piece of srcRect drawn into dstRect: as many columns and rows as the smaller rectangle
// has, a negative start on either side cutting both.
Piece ClipPiece(const PixelView& dst, const TRect& dstRect, const PixelView& src, const TRect& srcRect) noexcept;

// r limited to the view's pixels; empty (Right <= Left or Bottom <= Top) when they share none.
TRect ClipToView(const PixelView& v, const TRect& r) noexcept;

// Blends a source rectangle of the size of dstRect into dstRect: every byte of the destination
// pixel (x, y) becomes BlendFixedByte(the same byte of the source pixel, its own, dstWeight).
// The source rectangle is given by its left and its (exclusive) bottom edge: the two rectangles
// are aligned at their left and bottom edges. The alpha byte of 32-bit pixels is blended like
// the colour bytes. Both views must be 24-bit or both 32-bit. Pixels whose source or
// destination lies outside its view are left alone. When the two regions share memory, rows
// run bottom to top and bytes right to left, so that a blend of a bitmap with itself gives the
// same result on every build.
void BlendFixed(const PixelView& dst, const TRect& dstRect, const PixelView& src, int srcLeft, int srcBottom,
                uint8_t dstWeight) noexcept;

// BlendFixed's plain loop over rows already clipped: rows of rowBytes bytes, the first (top) ones
// at dst and src, each next one a stride further. It runs rows from the bottom and bytes from the
// right, the order BlendFixed promises for regions that share memory, and it is the reference
// that the specialised loops (PixelCoreSse2.h) are tested against.
void BlendFixedBytes(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, size_t rowBytes,
                     int rows, uint8_t dstWeight) noexcept;

// True when the destination and source rows of a piece touch any byte in common: the specialised
// loops below may then not be used, since they read several pixels before they write them.
bool PieceSharesMemory(const PixelView& dst, const PixelView& src, const Piece& p) noexcept;

// The row loops of the hot passes: the plain loops here are the references; the tables of
// specialised loops (PixelCoreSse2.h, PixelCoreAvx2.h) give a pass its fastest loop for a pair of
// formats. The mask blend has no SSE2 loop: the compiler turns its plain loop into SSE2 as it
// stands. Rows share no memory.
// - Mask blend of count bytes: dst[i] = MaskBlendByte(src[i], dst[i], mask[i]).
// - Alpha blend of count 32-bit source pixels into 24- or 32-bit destination pixels: every colour
//   byte AlphaBlendByte(source byte, its own, source alpha); a 32-bit destination becomes opaque.
// - Keyed copy of count pixels of one depth: pixels whose blue, green and red are not key's
//   (blue, green, red) are copied (a 32-bit one becoming opaque); the others are left alone.
void MaskBlendBytes(uint8_t* dst, const uint8_t* src, const uint8_t* mask, size_t count) noexcept;
void AlphaBlendPixels32To24(uint8_t* dst, const uint8_t* src, int count) noexcept;
void AlphaBlendPixels32To32(uint8_t* dst, const uint8_t* src, int count) noexcept;
void CopyKeyedPixels24(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept;
void CopyKeyedPixels32(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept;
// - Mix of count pixels of two 24-bit rows a and b into the colour bytes of a 32-bit row at one
//   weight: every colour byte AlphaBlendByte(a's byte, b's byte, alpha); the alpha bytes stay.
void MixPixels24To32(uint8_t* dst, const uint8_t* a, const uint8_t* b, int count, uint8_t alpha) noexcept;

using AlphaBlendLoop = void (*)(uint8_t* dst, const uint8_t* src, int count) noexcept;
// The alpha blends' tables hold loops over whole pieces: rows of count pixels, the first ones at
// dst and src, each next one a stride further, so that a loop can fetch the next row while it
// blends one.
using AlphaBlendRows = void (*)(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
                                int count, int rows) noexcept;
using KeyedCopyLoop = void (*)(uint8_t* dst, const uint8_t* src, int count, const uint8_t key[3]) noexcept;

// The mask blend over whole pieces: rows of rowBytes bytes of each of the three, each next one a
// stride further. Rows of the destination that share memory with their picture or mask row are
// blended by the plain loop.
using MaskBlendRows = void (*)(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride,
                               const uint8_t* mask, ptrdiff_t maskStride, size_t rowBytes, int rows) noexcept;
MaskBlendRows SpecialisedMaskBlend() noexcept;

// Null for a pair of formats the pass does not take. A keyed copy that streams writes its
// copied blocks past the caches (PixelCoreSse2.h): for destinations too large to stay in them.
AlphaBlendRows SpecialisedAlphaBlend(int srcBpp, int dstBpp) noexcept;
KeyedCopyLoop SpecialisedKeyedCopy(int bpp, bool streaming = false) noexcept;
using MixLoop = void (*)(uint8_t* dst, const uint8_t* a, const uint8_t* b, int count, uint8_t alpha) noexcept;
MixLoop SpecialisedMix() noexcept;

// The destination bytes from which a keyed copy streams: larger than the per-core caches of the
// processors the engine runs on and a good part of a shared one, so that the lines a cached write
// would first read from memory are not read again soon anyway.
inline constexpr int64_t StreamingBytes = int64_t{4} << 20;

// The instruction sets the specialised loops are written for, each adding to the one before.
// Every target of the engine has SSE2; the AVX2 loops are picked when the processor (and its
// system, which must save the wider registers) runs them.
enum class SimdLevel { Plain, Sse2, Avx2 };

// The highest level this processor runs.
SimdLevel CpuSimdLevel() noexcept;

// Test seam: the tables pick no loop above level (Plain: the plain loops only), nor above the
// processor's own; returns the limit it replaces. Not a setting of the program.
SimdLevel LimitSimdLevel(SimdLevel level) noexcept;

// Stores the raw word into every pixel of r of a 32-bit view.
void FillRect32(const PixelView& v, const TRect& r, uint32_t word) noexcept;
// Writes alpha into the fourth byte of every pixel of r of a 32-bit view.
void SetAlpha32(const PixelView& v, const TRect& r, uint8_t alpha) noexcept;

// Single pixels of 24-bit views (as colour values) and 32-bit views (as 0xAABBGGRR). A read
// outside the view gives 0 and a write outside it does nothing.
TColor GetPixel24(const PixelView& v, int x, int y) noexcept;
void SetPixel24(const PixelView& v, int x, int y, TColor color) noexcept;
uint32_t GetPixel32(const PixelView& v, int x, int y) noexcept;
void SetPixel32(const PixelView& v, int x, int y, uint32_t value) noexcept;

// Copies srcRect of src to dst with its top-left corner at at; both views of the same depth of
// whole bytes per pixel. Only pixels inside both views are copied.
void CopyRect(const PixelView& dst, TPoint at, const PixelView& src, const TRect& srcRect) noexcept;
// Covers area of dst (clipped to dst) with copies of tile, a rectangle of src, laid from area's
// top-left corner and cut at its right and bottom edges: pixel (x, y) takes src's
// (tile.Left + (x - area.Left) mod w, tile.Top + (y - area.Top) mod h) for a tile of w x h, as a
// CopyRect of the tile to every tile position would, in one pass. Both views of the same depth
// of whole bytes per pixel; a tile of no size or not wholly inside src, and views that share
// memory, copy nothing.
void TileRect(const PixelView& dst, const TRect& area, const PixelView& src, const TRect& tile) noexcept;
// Sets every byte of every pixel of v to 0 (row padding is left alone); any depth.
void ZeroPixels(const PixelView& v) noexcept;

// True when any pixel of a 32-bit view has an alpha other than 0.
bool AnyAlpha32(const PixelView& v) noexcept;
// Pixels of a 32-bit view whose blue, green and red bytes are not keyBgr (0x00RRGGBB read as a
// little-endian word, as TransparentKeyColor's bytes are) become opaque; key pixels become
// fully transparent when clearKey is set and keep their alpha otherwise.
void KeyAlpha32(const PixelView& v, uint32_t keyBgr, bool clearKey) noexcept;
// Pixels of a 32-bit view whose raw word is from become to.
void ReplaceWord32(const PixelView& v, uint32_t from, uint32_t to) noexcept;
// Clears the pixels of a 32-bit image whose raw word equals key and sets their bits in a 1-bit
// mask of the same size (bit 7 of a byte is the leftmost pixel); other bits stay as they are.
void MaskKey32(const PixelView& image, const PixelView& mask, uint32_t key) noexcept;

// The alpha channel of a 32-bit view as the grey of a 24-bit view (every byte the alpha), and
// back: the green byte of a 24-bit view into the alpha of a 32-bit one. Both work on the
// pixels the two views share.
void AlphaToGrey(const PixelView& grey24, const PixelView& src32) noexcept;
void GreyToAlpha(const PixelView& dst32, const PixelView& grey24) noexcept;
// One byte channel (0..3) of a 32-bit view into the bytes of an 8-bit view (extract) or back,
// over the pixels the two share; another channel number moves nothing.
void CopyChannel(const PixelView& v32, const PixelView& v8, int channel, bool extract) noexcept;

// Appends the runs of key-coloured pixels inside area of a 24- or 32-bit view (alpha is not
// compared) as rectangles one pixel high, row by row from the top, left to right; a run ends
// at a pixel of another colour and at the end of each row. A pixel (x, y) of area lands at
// (at.X + x - area.Left, at.Y + y - area.Top).
void AppendKeyRuns(std::vector<TRect>& list, const PixelView& v, const TRect& area, TColor key, TPoint at);

} // namespace ks

// Stores value into count consecutive 32-bit words; a count of 0 or less stores nothing.
void FillDWords(uint32_t* dest, int count, uint32_t value) noexcept;

// The opaque 32-bit pixel of a colour, as the raw word 0xFFRRGGBB.
constexpr uint32_t ColorToPixel32(TColor color) noexcept
{
    return 0xFF000000u | uint32_t{ks::RedOf(color)} << 16 | uint32_t{ks::GreenOf(color)} << 8 |
           uint32_t{ks::BlueOf(color)};
}
