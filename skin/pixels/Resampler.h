#pragma once
// Scaling of 24- and 32-bit views: a separable filter kernel (rows first into a buffer as high
// as the source, then columns, each destination pixel a 16.16 fixed-point weighted sum of source
// pixels), and nearest-pixel stretching. Weights are not normalised, pixels beyond the edges are
// mirrored and sums are clamped to 0..255, so images keep the look the image list's stored
// glyphs were made with. BitmapResampling.h adapts bitmaps to it.

#include "vcl/GraphicsTypes.h"

#include <cstdint>

namespace ks {

// Filters: 0 box, 1 triangle, 2 Hermite, 3 bell, 4 cubic B-spline, 5 sine window, 6 the cubic
// with B = C = 1/3 (the image list's). Larger numbers mean 6.
inline constexpr uint8_t LastResampleFilter = 6;

// Scales all of src onto all of dst. Both must be 24-bit or both 32-bit, src at least 2 x 2
// pixels and dst not empty; otherwise nothing is written. The views must not overlap. May raise
// std::bad_alloc for the row buffer (newWidth x source height pixels).
void Resample(const PixelView& dst, const PixelView& src, uint8_t filter);

// Scales all of src onto all of dst by taking for each destination pixel the source pixel at
// (x * src.width / dst.width, y * src.height / dst.height); same depth of whole bytes on both.
void StretchNearest(const PixelView& dst, const PixelView& src) noexcept;

} // namespace ks
