#pragma once
// Scales 24- and 32-bit bitmaps with a separable filter kernel: rows first into a bitmap as high
// as the source, then columns, each destination pixel a 16.16 fixed-point weighted sum of source
// pixels. Weights are not normalised, pixels beyond the edges are mirrored and sums are clamped
// to 0..255, so images keep the look the image list's stored glyphs were made with.

#include "vcl/Bitmap.h"

#include <cstdint>

// Filters: 0 box, 1 triangle, 2 Hermite, 3 bell, 4 cubic B-spline, 5 sine window, 6 the cubic
// with B = C = 1/3 (the image list's). Larger numbers mean 6.
//
// dst becomes newWidth x newHeight in src's working format: a 32-bit src keeps its format, any
// other src is converted to 24-bit in place first. dst may be src. A size of 0 or less empties
// dst. Raises Exception "Source bitmap is too small" for a src narrower or lower than 2 pixels,
// before anything changes.
void ResampleBitmap(TBitmap& src, TBitmap& dst, int newWidth, int newHeight, uint8_t filter);
