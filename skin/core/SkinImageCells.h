#pragma once
// Where the painters of skin images (SkinImagePainting.h) take the pieces of an image record
// from and where they put them, worked out apart from any bitmap so that every platform's tests
// can run hostile records through them. Coordinates are worked out in 64 bits and limited to
// the range of int: no record read from a skin, and no rectangle, overflows them. A limited
// coordinate lies outside every bitmap, so the piece it belongs to draws nothing there.

#include "skin/core/sMaskData.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace ks {

// Corners too wide for a size give up as much on each side, the far one the odd pixel. A corner
// narrower than its share gives up all it has, and the other one no more than the size, so that
// neither reaches past the far edge (a huge width beside a small one would otherwise).
void ShrinkToFit(int64_t size, int& nearWidth, int& farWidth) noexcept;

// The distance from a picture row to its mask row for the painters that take it at half the
// record's height.
int HalfRecordHeight(const TsMaskData& mask) noexcept;

// An inclusive rectangle (right and bottom on its last pixel) made exclusive.
TRect ExclusiveOf(const TRect& inclusive) noexcept;

// The cell for state of mask put with its top-left corner at p: both rectangles inclusive, the
// part left of or above 0 cut from their starts only, so that what remains lands where the
// whole cell would have.
struct GlyphRects {
    TRect src;
    TRect dst;
};
GlyphRects StateGlyphRects(const TsMaskData& mask, TPoint p, int state) noexcept;

// One of the nine parts of a border image: area of the destination (right/bottom exclusive) is
// covered by the source piece src (exclusive, w x h), once for a corner, tiled for a side or the
// centre.
struct BorderPart {
    TRect area;
    TRect src;
    int w = 0;
    int h = 0;
    bool corner = false;
};

// The parts of mask's cell for state over r, in painting order: top-left corner, left side, top
// side, bottom-left corner, bottom side, bottom-right corner, top-right corner, right side, and
// the centre when filling is set and the image asks for it. Corners too large for r shrink to
// fit (the right and bottom ones give up the odd pixel); side widths below 0 count as 0. None
// for a record hidden in this state, an r narrower or lower than 2 pixels, or cells of no size.
struct BorderLayout {
    std::array<BorderPart, 9> parts{};
    int count = 0;
};
BorderLayout BorderParts(const TsMaskData& mask, const TRect& r, int state, bool filling) noexcept;
// The same parts whatever StretchMode hides in state 0: the fitted images of push buttons and
// dialog frames paint the record as their callers chose it.
BorderLayout FittedParts(const TsMaskData& mask, const TRect& r, int state, bool filling) noexcept;

// The geometry of mask alone (no bitmap, no manager), as the fitted and frame painters read it.
// ownImage is the size of the record's own bitmap, (0, 0) for a record in the master bitmap.
// FitCells: a record without cells over its own bitmap is one cell over all of it (without its
// own bitmap it stays without cells). FrameCells: a record without cells over its own bitmap
// (a whole image file) is three state cells over one mask row.
TsMaskData FitCells(const TsMaskData& mask, TPoint ownImage) noexcept;
TsMaskData FrameCells(const TsMaskData& mask, TPoint ownImage) noexcept;

// The four corner pieces of cells' cell for state that PaintControlFrameSides restores over a
// width x height control, in the order its corner bits are tested: top-left (bit 1),
// bottom-left (2), bottom-right (8), top-right (4). src (right/bottom exclusive) is the piece of
// the image whose key-coloured pixels mark where the control shows its background; at is where
// its top-left pixel lands in the control. The cell's offset is its share of the record's width
// (multiplied before dividing); bottom corners come from the bottom of the picture row, or of
// the record for images without a mask row; side widths below 0 count as 0.
struct FrameCorner {
    int bit = 0;
    TPoint at;
    TRect src;
};
std::array<FrameCorner, 4> FrameCornerPieces(const TsMaskData& cells, int width, int height, int state) noexcept;

// Where TileImage (CacheBitmaps.h) puts the w x h cells of a skin image with a mask row over r:
// whole cells from r's top-left corner in the columns and rows that leave room for one more cell
// before r's right and bottom edges; the column right of them, cut at r's right edge, beside the
// same rows; and the strips below and right of the whole cells (below starts at r's top when no
// column is whole). Worked out without walking the cells, so that no r costs more than its corners;
// (0, 0, 0, 0) where nothing goes, everywhere for cells of no size.
struct CellTiling {
    TRect whole;
    TRect lastColumn;
    TRect below;
    TRect right;
};
CellTiling TileCells(const TRect& r, int w, int h) noexcept;

// Calls draw(tile) for the w x h tiles that cover area from its top-left corner, cut at its
// right and bottom edges, skipping those that lie wholly outside within (the destination's
// bounds), so that the visits are bounded by within's size whatever area is. A tile of no size
// covers nothing.
template <class Draw>
void ForEachTile(const TRect& area, int w, int h, const TRect& within, Draw draw)
{
    if (w <= 0 || h <= 0)
        return;
    // What area and within share; the first tile on each axis is the one of area's tiling that
    // covers the shared part's start.
    const int64_t left = std::max(area.Left, within.Left), right = std::min(area.Right, within.Right);
    const int64_t top = std::max(area.Top, within.Top), bottom = std::min(area.Bottom, within.Bottom);
    if (left >= right || top >= bottom)
        return;
    auto first = [](int64_t start, int64_t from, int size) { return start + (from - start) / size * size; };
    for (int64_t x = first(area.Left, left, w); x < right; x += w)
        for (int64_t y = first(area.Top, top, h); y < bottom; y += h)
            draw(TRect{static_cast<int>(x), static_cast<int>(y), static_cast<int>(std::min<int64_t>(x + w, area.Right)),
                       static_cast<int>(std::min<int64_t>(y + h, area.Bottom))});
}

} // namespace ks
