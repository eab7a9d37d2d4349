#pragma once
// The pixel loops of gradients (sGradient.h): vertical and horizontal stops written straight into
// the rows of 24- and 32-bit views. sGradientPaint.h adapts bitmaps to it and draws the triangle
// mode through the system. Channel values round as PixelCore.h states.

#include "skin/core/sGradient.h"
#include "vcl/GraphicsTypes.h"

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
