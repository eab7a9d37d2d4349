#pragma once
// The engine's pixel effects, working on the scan lines of 24- and 32-bit bitmaps.
//
// Alpha arithmetic, per channel on bytes in 32-bit integers, the result's low byte stored:
//   alpha blend: d' = ((s - d) * a + d * 256) >> 8
// where s is the source byte, d the destination byte and a the source's alpha (or an alpha
// derived from it). Painters never raise: bitmaps of unsupported formats, empty or fully clipped
// rectangles draw nothing.

#include "skin/core/sConst.h"
#include "vcl/Bitmap.h"

// Draws srcRect of a 32-bit image with alpha into dstRect of a 24-bit bitmap (right and bottom
// exclusive; both are clipped to their bitmaps, a negative corner moving both rectangles).
// - blendColor other than clNone draws every pixel but the key colour as its grey level
//   ((b + g + r) div 3) tinted by that colour, alpha unchanged;
// - transparency (0..100) scales the alpha by (100 - transparency) / 100;
// - with a ready background, pixels of TransparentKeyColor (alpha 0 included) take the
//   background's pixel when useBackground is set and are left alone otherwise;
// - reflected mirrors the image below dstRect, fading out over half the image's height at a
//   third of its alpha; the row right below dstRect is left as it is.
// src is only read: an image that is not 32-bit is drawn from a 32-bit copy of it, and the
// tint is applied on the way, so drawing the same image twice gives the same result.
void DrawAlphaImage(const TRect& dstRect, const TRect& srcRect, TBitmap& dst, TBitmap* src,
                    const CacheInfo& background, bool useBackground, TColor blendColor, int transparency,
                    bool reflected);

// In a 32-bit bitmap at least 2 x 2, turns every pixel that is pure white with alpha 0 into 0 in
// all four bytes, so that stretching and blending do not pull white into the edges of skin
// images. Other bitmaps are left as they are.
void ClearWhiteTransparentPixels(TBitmap& bitmap);
