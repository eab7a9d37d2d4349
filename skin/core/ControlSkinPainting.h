#pragma once
// Painters that work on a whole control: its section's border image over the parent's
// background in its cache bitmap, with the band a control asks for inside it and the strips
// copied to where the control is shown; and one skin image fitted in nine parts over a whole
// bitmap while its key-coloured corner pixels are cut out of a window region, which gives a
// skinned push button its shape.
//
// Nothing raises. Missing owners, parents, border images, managers and bitmaps smaller than 2 x 2
// paint nothing; image records are read, never changed; nothing is read or written outside a
// bitmap; a region only ever loses pixels.

#include "skin/core/sMaskData.h"
#include "vcl/Bitmap.h"
#include "vcl/Win.h"

class TsCommonData;

// Paints the border image of skinData's section into r of its cache bitmap over the parent's
// background (the cache is sized as the owner first), for state (0 normal, 1 hot, further cells
// as the image has them). borderWidth is the frame the control wants (0 none, negative counts as
// 0): the band between the skin border and that width is filled with the control's background
// colour, clientRect becomes r shrunk by it, and when dc is not the cache's own the frame's
// strips are copied to dc. Without a border image a frame of borderWidth in the background
// colour is filled on dc and clientRect is left as the caller gave it; with one and no
// borderWidth, clientRect is r inside the image's border widths.
void PaintControlSkin(HDC dc, const TRect& r, int borderWidth, TsCommonData& skinData, int state, TRect& clientRect);

// Paints mask's cell for state over all of target (24- or 32-bit) in nine parts: corners too
// large shrink as PaintSkinImageRect's do, sides and the centre (only when filling and the image
// asks for it) are tiled, or stretched (HALFTONE) for images without a mask row whose
// StretchMode has bit value 1. Key-coloured pixels of the four corners are not painted and are
// removed from rgn (when it is not null). An image record without cells is one cell over its
// own bitmap; without its own bitmap it paints nothing.
void PaintSkinImageFit(TBitmap& target, HRGN rgn, bool filling, const TsMaskData& mask, int state);

