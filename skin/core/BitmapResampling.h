#pragma once
// Scales 24- and 32-bit bitmaps with the filters of the portable resampler (Resampler.h), which
// holds the loops and their rules; this unit adapts bitmaps to it.

#include "vcl/Bitmap.h"

#include <cstdint>

// Filters as ks::Resample numbers them (6, the image list's cubic, for anything larger).
//
// dst becomes newWidth x newHeight in src's working format: a 32-bit src keeps its format, any
// other src is converted to 24-bit in place first. dst may be src. A size of 0 or less empties
// dst. Raises Exception "Source bitmap is too small" for a src narrower or lower than 2 pixels,
// before anything changes.
void ResampleBitmap(TBitmap& src, TBitmap& dst, int newWidth, int newHeight, uint8_t filter);
