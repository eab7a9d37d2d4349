#pragma once
// Mask and alpha blends on plain views: a picture drawn through a mask (a second picture of the
// same size, or the mask row that lies below the picture in skin images) or through its own
// alpha channel, with the parent's background or a fill colour under key-coloured pixels.
// PixelEffects.h adapts bitmaps to it. Blends are PixelCore.h's MaskBlendByte and
// AlphaBlendByte; key-coloured means blue, green and red equal to TransparentKeyColor's.

#include "skin/pixels/PixelCore.h"

#include <optional>

namespace ks {

// Two 24-bit views of the same size: every byte d of v becomes MaskBlendByte(the colour's byte,
// d, the mask's byte of the same channel), so mask 0 gives the colour and 255 keeps v.
void TintByMask24(const PixelView& v, const PixelView& mask, TColor color) noexcept;

// Writes into the colour bytes of a 32-bit view the mix of two 24-bit views a and b of the same
// size, AlphaBlendByte(a, b, m): m is the mask's byte of the same channel when a 24-bit mask of
// that size is given, else alpha. The destination's alpha bytes stay; a destination smaller than
// a, or views of other depths and sizes, draw nothing.
void MixTo32(const PixelView& dst, const PixelView& a, const PixelView& b, const PixelView* mask,
             uint8_t alpha) noexcept;

// Every byte of r (the same rectangle in three 24-bit views, clipped to all of them) becomes
// MaskBlendByte(src's byte, dst's byte, mask's byte).
void BlendRectByMask24(const PixelView& dst, const PixelView& src, const PixelView& mask, const TRect& r) noexcept;

// Draws srcRect of src into dstRect of dst (both right/bottom exclusive, clipped as ClipPiece
// clips them):
// - a 24-bit src is a masked image whose mask row lies src.height div 2 rows below its picture
//   (rows whose mask would lie outside src are not drawn); dst must be 24-bit. Pixels take the
//   mask blend, except, with a ready backdrop, key-coloured ones, which take the backdrop's
//   pixel when it is to be used and are kept otherwise;
// - a 32-bit src blends by its alpha into a 24- or 32-bit dst, key-coloured pixels (alpha not
//   compared) as above; into a 32-bit dst every pixel not kept becomes opaque.
// Other depths draw nothing.
void AlphaBlendPiece(const PixelView& dst, const TRect& dstRect, const PixelView& src, const TRect& srcRect,
                     const AlphaBackdrop& backdrop) noexcept;

// Where MaskBlendPiece finds the mask rows of the rows it draws.
enum class MaskRows {
    // maskOffset rows below the first row drawn, the run of mask rows pulled up or down as far
    // as it must to lie inside the image.
    PulledIn,
    // maskOffset rows below each row; a row whose mask row lies outside the image is not
    // drawn, nor any row for an offset below 1 (no mask row below the picture).
    Exact,
};

// Draws srcRect of a 24- or 32-bit skin image into dstRect of a 24- or 32-bit dst through the
// mask rows maskOffset rows below the picture, found as rows says. Non-key pixels take the mask
// blend. Key-coloured pixels:
// - ready backdrop to be used: the backdrop's pixel where it has one (kept elsewhere); every
//   pixel written into a 32-bit dst then becomes opaque;
// - ready backdrop not to be used: the mask blend like the others;
// - no ready backdrop: the fill colour, TransparentKeyColor too (without one: kept), whose top
//   byte becomes the alpha of a 32-bit dst.
void MaskBlendPiece(const PixelView& dst, const TRect& dstRect, const PixelView& src, const TRect& srcRect,
                    int maskOffset, MaskRows rows, const AlphaBackdrop& backdrop, std::optional<TColor> fill) noexcept;

// MaskBlendPiece without a backdrop (key-coloured pixels take fill) of piece at every position of
// its tiling of area from area's top-left corner, the tiles cut at area's right and bottom edges,
// in one pass over whole rows. It covers only 24-bit views with piece, and its mask rows
// maskOffset below, wholly inside src and at most 256 pixels wide, where every tile finds its
// mask rows in place; otherwise it draws nothing and returns false, for the caller to go tile by
// tile.
bool MaskBlendTiled(const PixelView& dst, const TRect& area, const PixelView& src, const TRect& piece, int maskOffset,
                    TColor fill) noexcept;

// Copies srcRect of a 24- or 32-bit skin image into dstRect of a 24- or 32-bit dst (right/bottom
// exclusive, clipped as ClipPiece clips them) through the mask row maskOffset rows below the
// picture; rows whose mask lies outside the image, and any row for an offset below 1 (a picture
// is never its own mask), are not drawn. Key-coloured pixels are left alone; the others take the mask blend, with each mask byte
// raised by 100 (at most 255) when paler, and become opaque in a 32-bit dst.
void DrawThroughMaskRow(const PixelView& dst, const TRect& dstRect, const PixelView& image, const TRect& srcRect,
                        int maskOffset, bool paler) noexcept;

} // namespace ks
