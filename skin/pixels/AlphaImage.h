#pragma once
// The engine's alpha image painter on plain views: a 32-bit image with alpha drawn over a 24-bit
// raster, tinted, faded, keyed to a background and mirrored. PixelEffects.h adapts bitmaps to
// it. Alpha blends follow the rule in PixelCore.h (AlphaBlendByte).

#include "skin/pixels/PixelCore.h"

namespace ks {

// Draws srcRect of a 32-bit image into dstRect of a 24-bit raster (right and bottom exclusive;
// both are clipped to their views, a negative corner moving both rectangles).
// - tint other than clNone draws every pixel but the key colour (TransparentKeyColor, alpha 0)
//   as its grey level ((b + g + r) div 3) times each channel of the tint / 255, rounded;
// - transparency (0..100, clamped) scales the alpha by (100 - transparency) / 100, truncated;
// - with a ready backdrop, key pixels take the backdrop's pixel when use is set (where the
//   backdrop has one) and are left alone otherwise;
// - reflected mirrors the image below dstRect, fading out over half the image's height at a
//   third of its alpha; the row right below dstRect is left as it is.
// Other depths draw nothing; src is only read.
void DrawAlphaImage32(const PixelView& dst, const TRect& dstRect, const PixelView& src, const TRect& srcRect,
                      const AlphaBackdrop& backdrop, TColor tint, int transparency, bool reflected) noexcept;

} // namespace ks
