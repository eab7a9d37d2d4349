#pragma once
// Colour routines of the skin engine (channel swap, saturation change and hue rotation, with
// which the skin manager recolours a skin and the hint parser reads colours) and the routines
// that turn key-coloured pixels into rectangles and window regions for transparent corners.
// Rounding follows the pixel core's rule (PixelCore.h).

#include "skin/core/sMaskData.h"
#include "vcl/GdiHandles.h"
#include "vcl/GraphicsTypes.h"

#include <vector>

class TBitmap;

// True when the system offers layered windows: the class library's one check (ks::Sys()).
bool LayeredWindowsAvailable() noexcept;

// Exchanges the low and the third byte; the top byte ends up in the low byte, so callers pass
// plain 0..0xFFFFFF values.
constexpr TColor SwapRB(TColor c) noexcept
{
    const auto u = static_cast<uint32_t>(c);
    return static_cast<TColor>((u >> 16) + ((u & 0xFF) << 16) + (((u >> 8) & 0xFF) << 8));
}

// Moves each channel of the low three bytes towards (positive percent) or away from (negative)
// the channels' average by percent; 100 gives grey. The top byte of the result is 0, apart from
// percent 0, which returns c as it is.
TColor DesaturateColor(TColor c, int percent) noexcept;

// Turns the hue of c (system colours resolved first) by offset degrees through hue, saturation
// and value; greys come back unchanged. The top byte of the result is 0.
TColor RotateHueColor(int offset, TColor c) noexcept;

// Appends the one-pixel-high runs of key-coloured pixels of a 24-bit bitmap (32-bit: alpha is
// not compared), row by row from the top. Bitmaps smaller than 2 x 2 or of other depths add
// nothing.
void KeyRunsOfBitmap(std::vector<TRect>& list, TBitmap* bmp, TColor key);

// A region of the bitmap's rectangle without its key-coloured pixels; the whole rectangle when
// none is. The caller owns the region (normally it hands it to SetWindowRgn with a release()).
ks::GdiRegion RegionFromBitmap(TBitmap* bmp, TColor key);

// Appends the key-coloured runs (0xFF00FF) of the two top or bottom corners of the first cell of
// a border image: the left corner at x = 0, the right corner so that the cell's right edge falls
// on width, at y = yOffset plus the row within the strip. Images without a manager, without
// cells, or too small for the strip add nothing.
void MaskCornerKeyRects(std::vector<TRect>& list, int width, const TsMaskData& mask, int yOffset, bool bottom);
