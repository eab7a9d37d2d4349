#pragma once
// The device-context routines every painter calls: solid fills and frames that resolve system
// colours, copies of a frame's strips, and clipping out windowless children.
// None of them raises; negative widths count as 0 and nothing reaches outside the rectangle
// or frame it is given.

#include "vcl/GraphicsTypes.h"
#include "vcl/Win.h"

// Fills r with color (a system colour is looked up first). The DC is left as it was.
void FillRectSolid(HDC dc, const TRect& r, TColor color);

// Fills four strips of r with one colour: the top strip over r's whole width, the left strip
// below it, the bottom strip right of the left one, the right strip between the top and bottom
// strips. Every strip is cut to r, so widths larger than r fill r and never more.
void FillFrameSolid(HDC dc, const TRect& r, int leftWidth, int topWidth, int rightWidth, int bottomWidth,
                    TColor color);

// Copies the frame borderWidth wide of the width x height area at (srcX, srcY) of srcDC to
// (x, y) of dc: the left and right strips at full height, the top and bottom strips between
// them. Nothing inside the frame is copied, whatever dc's clip region.
void CopyFrameStrips(HDC dc, int x, int y, int width, int height, HDC srcDC, int srcX, int srcY, int borderWidth);
