#pragma once
// The pixel loops of gradients (sGradient.h): vertical and horizontal stops written straight into
// the rows of 24- and 32-bit views. sGradientPaint.h adapts bitmaps to it and draws the triangle
// mode through the system. Channel values round as PixelCore.h states.

#include "vcl/GraphicsTypes.h"

#include <cstdint>
#include <vector>

// The parsed form of a gradient description (ParseGradient, sGradient.h). Modes of the first
// stop; the modes of later stops are not used.
enum TacGradientMode : int32_t { gmVertical = 0, gmHorizontal = 1, gmTriangles = 2 };

struct TsGradStop {
    TColor Color1 = 0;
    TColor Color2 = 0;
    // Share of the gradient's length, 0..100.
    uint8_t Percent = 0;
    int32_t Mode = gmVertical;
};

using TsGradArray = std::vector<TsGradStop>;

namespace ks {

// Paints data into r (right- and bottom-exclusive, clipped to the view) by the mode of its first
// stop, when that is gmVertical or gmHorizontal; 32-bit pixels get alpha 255. Every stop claims
// Percent of the gradient's length from where the previous one ended; its colours run from
// Color1 to Color2 channel by channel, Color1 + k * (Color2 - Color1) / span rounded; a stop
// whose share comes to no rows or columns is skipped, and a gradient with room for no ramp at
// all (one row or column) paints the first stop's Color1. offset moves the start of a vertical
// gradient down by that many rows (up when negative); rows outside r stay untouched. Other
// modes, depths and empty data paint nothing.
void PaintGradientRows(const PixelView& v, TRect r, const TsGradArray& data, int offset) noexcept;

} // namespace ks
