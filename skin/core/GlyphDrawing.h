#pragma once
// Bitmap routines for pictures that are not skin sections: button glyphs in their states
// (normal, hot, pressed, disabled, faded), a picture stretched into a frame in nine parts,
// whole-bitmap greying and moving one byte channel between a 32-bit and an 8-bit image. The
// pixel loops are the portable ones (KeyedPixels.h, PixelCore.h); the nine parts are GDI copies.
// Nothing here raises apart from the class library's bitmap errors.

#include "skin/core/sConst.h"
#include "vcl/GraphicsTypes.h"

#include <array>

class TBitmap;

// Every pixel of a 24-bit bitmap becomes grey, (blue + green + red) div 3 in all three bytes;
// other formats are left alone.
void GrayscaleBitmap24(TBitmap& bmp);
// The same, except pixels whose colour is key.
void GrayscaleKeyed24(TBitmap& bmp, TColor key);
// Byte channel (0..3) of every pixel of a 32-bit bmp32 into the 8-bit bmp8 (extract) or back,
// over the pixels both have.
void CopyChannel32(TBitmap& bmp32, TBitmap& bmp8, int channel, bool extract);

// Draws srcRect of src into dstRect of dst in nine parts: corners as they are (corners holds
// the widths of the left, top, right and bottom edges; where sideLimits is smaller, the part of
// a corner beside the neighbouring side is only that limit wide), sides and centre tiled (mode 0)
// or stretched (mode 1) by sideModes (left, top, right, bottom) and centerMode; other modes draw
// nothing for that part, and the centre only when fillCenter. A tiled part whose piece is empty
// is not drawn. Corners wider or higher than dstRect shrink to fit it (the right and bottom ones
// give up the odd pixel), so nothing lands outside dstRect. The stretch mode of dst's canvas is left at BLACKONWHITE.
void StretchNinePart(TBitmap& dst, TBitmap& src, const TRect& dstRect, const TRect& srcRect, const TRect& corners,
                     const TRect& sideLimits, const std::array<int, 4>& sideModes, uint8_t centerMode,
                     bool fillCenter);

// Draws a cell of glyph (numGlyphs cells side by side, each keyed by its bottom-left pixel) at
// r's top-left corner of dst. The cell: 0 when disabled or in state 0; 1 in state 1 (0 for a
// 4-bit glyph); in state 2 (pressed) cell 2, or 3 when down, where the glyph has it, else 1 (0 for
// a 4-bit glyph); 0 for any other state. A disabled glyph in state 0 with blend > 0 is faded to
// blend percent of the destination. A single glyph (numGlyphs 1 or less) is faded likewise when
// enabled, and when disabled greyed and/or blended half over the destination by disabledKind.
void DrawGlyphWithEffects(TBitmap* glyph, TBitmap& dst, const TRect& r, int numGlyphs, bool enabled,
                          TsDisabledGlyphKind disabledKind, int state, int blend, bool down);
