#pragma once
// The pixel side of the fitted and frame painters on plain views: what PaintSkinImageFit
// (ControlSkinPainting.h) and PaintControlFrameSides (ControlFramePainting.h) do to a bitmap's
// pixels, with the geometry of SkinImageCells.h. Those adapt bitmaps and regions to it, and the
// painting fuzz target runs it as they do. Nothing raises; rules as PixelCore.h states them.

#include "skin/core/SkinImageCells.h"
#include "skin/pixels/KeyedPixels.h"
#include "skin/pixels/PixelCore.h"

#include <vector>

namespace ks {

// One piece of a fitted image: srcRect of image into dstRect of dst, as FitPiece cuts it. With a
// mask row maskOffset rows below the pictures (0 for none) through that row; else a corner keyed
// (its key pixels' runs, at their places in dst, added to keyRuns when given) and any other piece
// copied. False, painting nothing, for a plain copy between views of other depths, which the
// caller makes with a conversion.
bool PaintFitPixels(const PixelView& dst, const PixelView& image, const TRect& srcRect, const TRect& dstRect,
                    int maskOffset, bool corner, std::vector<TRect>* keyRuns);

// cells (as FitCells reads a record) fitted over the whole of dst in state, from image: corners
// once, sides and centre tiled. A piece PaintFitPixels leaves goes to copy(src, dst), and with
// stretched sides each side and the centre to stretch(part) instead of being tiled.
template <class Copy, class Stretch>
void PaintFittedCells(const PixelView& dst, const PixelView& image, const TsMaskData& cells, int state, bool filling,
                      bool stretched, std::vector<TRect>* keyRuns, Copy copy, Stretch stretch)
{
    if (cells.MaskType < 0)
        return;
    const TRect bounds{0, 0, dst.width, dst.height};
    const BorderLayout layout = FittedParts(cells, bounds, state, filling);
    const int maskOffset = cells.MaskType == 1 ? HalfRecordHeight(cells) : 0;
    for (int i = 0; i < layout.count; ++i) {
        const BorderPart& part = layout.parts[static_cast<size_t>(i)];
        if (part.corner) {
            if (!PaintFitPixels(dst, image, part.src, part.area, maskOffset, true, keyRuns))
                copy(part.src, part.area);
        } else if (stretched) {
            stretch(part);
        } else {
            ForEachTile(part.area, part.w, part.h, bounds, [&](const TRect& tile) {
                if (!PaintFitPixels(dst, image, part.src, tile, maskOffset, false, keyRuns))
                    copy(part.src, tile);
            });
        }
    }
}

// The corners of cells (as FrameCells reads a record) for state named by the bits of corners
// (FrameTopLeft ... of ControlFramePainting.h) over a width x height control painted in dst:
// where the corner's pixels are key-coloured, dst takes what fill says.
void RestoreFrameCorners(const PixelView& dst, const PixelView& image, const TsMaskData& cells, int width, int height,
                         int state, int corners, const KeyFill& fill);

} // namespace ks
