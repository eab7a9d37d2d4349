#include "skin/core/SkinImagePixels.h"

#include "skin/core/sConst.h"
#include "skin/pixels/ControlFramePixels.h"
#include "skin/pixels/MaskedPixels.h"

namespace ks {

bool PaintFitPixels(const PixelView& dst, const PixelView& image, const TRect& srcRect, const TRect& dstRect,
                    int maskOffset, bool corner, std::vector<TRect>* keyRuns)
{
    const Piece p = FitPiece(dst, dstRect, image, srcRect, maskOffset);
    if (p.Empty())
        return true;
    const TRect piece{p.sx, p.sy, p.sx + p.cols, p.sy + p.rows};
    const TRect to{p.dx, p.dy, p.dx + p.cols, p.dy + p.rows};
    if (maskOffset > 0) {
        // A corner keeps its key pixels; every other pixel takes the mask blend.
        AlphaBackdrop backdrop;
        backdrop.ready = !corner;
        MaskBlendPiece(dst, to, image, piece, maskOffset, MaskRows::Exact, backdrop, std::nullopt);
    } else if (corner) {
        CopyKeyed(dst, {p.dx, p.dy}, image, piece, TransparentKeyColor, KeyFill{});
    } else if (dst.bpp == image.bpp) {
        CopyRect(dst, {p.dx, p.dy}, image, piece);
    } else {
        return false;
    }
    if (corner && keyRuns)
        AppendKeyRuns(*keyRuns, image, piece, TransparentKeyColor, {p.dx, p.dy});
    return true;
}

void RestoreFrameCorners(const PixelView& dst, const PixelView& image, const TsMaskData& cells, int width, int height,
                         int state, int corners, const KeyFill& fill)
{
    if (cells.ImageCount <= 0 || cells.MaskType < 0)
        return;
    for (const FrameCorner& corner : FrameCornerPieces(cells, width, height, state))
        if ((corners & corner.bit) != 0)
            FillUnderKey(dst, corner.at, image, corner.src, TransparentKeyColor, fill);
}

} // namespace ks
