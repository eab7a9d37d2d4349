#pragma once
// The engine's pixel effects on bitmaps: thin adapters that turn TBitmaps into views and call
// the portable painters (AlphaImage.h). Rounding follows PixelCore.h. Painters never raise:
// bitmaps of unsupported formats, empty or fully clipped rectangles draw nothing.

#include "skin/core/sConst.h"
#include "vcl/Bitmap.h"

// Draws srcRect of a 32-bit image with alpha into dstRect of a 24-bit bitmap, as
// ks::DrawAlphaImage32 describes (tint blendColor, transparency, reflection); background is the
// backdrop of key-coloured pixels, shown where useBackground is set. src is only read: an image
// that is not 32-bit is drawn from a 32-bit copy of it, so drawing the same image twice gives
// the same result.
void DrawAlphaImage(const TRect& dstRect, const TRect& srcRect, TBitmap& dst, TBitmap* src,
                    const CacheInfo& background, bool useBackground, TColor blendColor, int transparency,
                    bool reflected);

// In a 32-bit bitmap at least 2 x 2, turns every pixel that is pure white with alpha 0 into 0 in
// all four bytes, so that stretching and blending do not pull white into the edges of skin
// images. Other bitmaps are left as they are.
void ClearWhiteTransparentPixels(TBitmap& bitmap);
