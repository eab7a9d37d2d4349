#pragma once
// Painting of parsed gradients (sGradient.h) into bitmaps: vertical and horizontal stops through
// the portable row painter (GradientPixels.h), and the four-triangle pattern drawn by the
// system's optional GradientFill (ks::Sys().GradientFillPtr, bound from msimg32 at start-up).

#include "skin/core/sGradient.h"
#include "vcl/GraphicsTypes.h"

class TBitmap;

// Paints data into r (right- and bottom-exclusive, clipped to the bitmap) by the mode of its
// first stop. The vertical and horizontal modes paint only 24- and 32-bit bitmaps (32-bit pixels
// get alpha 255) and leave other formats alone; the triangle mode paints nothing without
// GradientFill. offset moves the start of a vertical gradient down by that many rows (up when
// negative); the rows outside r stay untouched. Never raises.
void PaintGradient(TBitmap& bmp, TRect r, const TsGradArray& data, int offset = 0) noexcept;
