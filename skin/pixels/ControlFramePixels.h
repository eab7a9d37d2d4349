#pragma once
// The pixel work of a control's frame on plain views: the corners of a border image whose
// key-coloured pixels must show what lies behind the control. ControlFramePainting.h adapts
// bitmaps to it; rules as PixelCore.h states them.

#include "skin/pixels/KeyedPixels.h"

namespace ks {

// For every pixel of keyRect of image (24- or 32-bit, right/bottom exclusive) whose blue, green
// and red equal key's, the pixel of dst (24- or 32-bit) at at + its place in keyRect takes what
// fill says: the backdrop's pixel under it (kept where the backdrop has none), or the colour
// (TransparentKeyColor: kept). Every other pixel of dst is left alone. A keyRect reaching
// outside the image, or a place outside dst, is cut on both sides alike, so what remains lands
// where it would have. A pixel written into a 32-bit dst becomes opaque.
void FillUnderKey(const PixelView& dst, TPoint at, const PixelView& image, const TRect& keyRect, TColor key,
                  const KeyFill& fill) noexcept;

// The piece of srcRect of image that a fitted skin image copies into dstRect of dst (both
// right/bottom exclusive): cut as ClipPiece cuts it and, for an image with a mask row maskOffset
// rows below its pictures (0 for none), to the rows whose mask lies inside the image.
Piece FitPiece(const PixelView& dst, const TRect& dstRect, const PixelView& image, const TRect& srcRect,
               int maskOffset) noexcept;

} // namespace ks
