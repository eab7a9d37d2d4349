#pragma once
// The colour changes with which a skin is recoloured as it loads: the hue rotation and the
// saturation change of one colour, and the same over every pixel of a raster. Portable, on ks::PixelView; rounding as stated
// in PixelCore.h.

#include "vcl/GraphicsTypes.h"

namespace ks {

// Turns the hue of an RGB colour (0x00BBGGRR, no system colour) by offset degrees through hue,
// saturation and value; greys come back unchanged. The top byte of the result is 0.
TColor RotateHueRgb(TColor rgb, int offset) noexcept;

// Moves each channel of an RGB colour towards (positive percent) or away from (negative) the
// channels' average by percent; 100 gives grey. The top byte of the result is 0.
TColor DesaturateRgb(TColor rgb, int percent) noexcept;

// Every pixel of a 24- or 32-bit view through RotateHueRgb or DesaturateRgb, except the key
// colour 0xFF00FF and greys, which skins keep as they are; alpha stays. Other depths are left
// alone.
void RotateHuePixels(const PixelView& v, int offset) noexcept;
void DesaturatePixels(const PixelView& v, int percent) noexcept;

} // namespace ks
