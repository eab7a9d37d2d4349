#include "skin/core/SkinImagePainting.h"

#include "skin/core/GlyphDrawing.h"
#include "skin/core/NumberRoutines.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/SkinImageCells.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sSkinManager.h"
#include "skin/pixels/KeyedPixels.h"
#include "skin/pixels/MaskedPixels.h"
#include "vcl/Bitmap.h"

#include <algorithm>
#include <optional>

namespace {

// The bitmap a record's rectangle lies in: its own, or its manager's master bitmap.
TBitmap* ImageOf(const TsMaskData& mask)
{
    if (mask.Bmp)
        return mask.Bmp.get();
    return mask.Manager ? mask.Manager->MasterBitmap.get() : nullptr;
}

} // namespace

void PaintSkinImageRect(TBitmap& dst, const TRect& r, bool filling, const CacheInfo& ci, const TsMaskData& mask,
                        int state, bool updateCorners)
{
    TBitmap* image = ImageOf(mask);
    if (!mask.Manager || !image || dst.Empty() || image->Empty())
        return;
    const ks::BorderLayout layout = ks::BorderParts(mask, r, state, filling);
    const bool masked = mask.MaskType >= 1;
    const TRect bounds{0, 0, dst.Width(), dst.Height()};
    // A side is hundreds of small tiles: they are laid in one pass over whole rows where the
    // pixel loops allow it (the tiles of an image without a mask row where GDI would copy plain
    // bytes), and otherwise their loops take the views once.
    const bool samePixels = image != &dst && image->PixelFormat() == dst.PixelFormat() &&
                            (dst.PixelFormat() == pf24bit || dst.PixelFormat() == pf32bit);
    const ks::PixelView dv = masked || samePixels ? dst.View() : ks::PixelView{};
    const ks::PixelView iv = masked || samePixels ? image->View() : ks::PixelView{};
    // DrawMaskPartAlpha's blend without a background.
    const ks::AlphaBackdrop noBackdrop{{}, NoBackgroundCacheInfo.X, NoBackgroundCacheInfo.Y, false, false};
    for (int i = 0; i < layout.count; ++i) {
        const ks::BorderPart& part = layout.parts[static_cast<size_t>(i)];
        if (masked) {
            // Sides and the centre are always tiled; their pieces clip to the smaller size.
            const bool whole = RectWidth(part.src) == part.w && RectHeight(part.src) == part.h;
            if (part.corner)
                DrawMaskPartAlpha(part.area, part.src, dst, image, ci, updateCorners, mask);
            else if (!whole || !ks::MaskBlendTiled(dv, part.area, iv, part.src, ks::HalfRecordHeight(mask),
                                                   NoBackgroundCacheInfo.FillColor))
                ks::ForEachTile(part.area, part.w, part.h, bounds, [&](const TRect& tile) {
                    ks::MaskBlendPiece(dv, tile, iv, part.src, ks::HalfRecordHeight(mask), ks::MaskRows::PulledIn,
                                       noBackdrop, NoBackgroundCacheInfo.FillColor);
                });
            continue;
        }
        if (part.corner) {
            const TRect inclusive{part.src.Left, part.src.Top, part.src.Right - 1, part.src.Bottom - 1};
            CopyRectOverBackground(dst, *image, part.area.Left, part.area.Top, inclusive, TransparentKeyColor, ci,
                                   updateCorners);
            continue;
        }
        const bool stretched = (mask.StretchMode & 1) != 0;
        if (!stretched && samePixels && part.src.Left >= 0 && part.src.Top >= 0 && part.src.Right <= image->Width() &&
            part.src.Bottom <= image->Height()) {
            ks::TileRect(dv, part.area, iv, part.src);
            continue;
        }
        const HDC d = dst.Canvas().Handle();
        const HDC s = image->Canvas().Handle();
        if (stretched) {
            SetStretchBltMode(d, HALFTONE);
            StretchBlt(d, part.area.Left, part.area.Top, RectWidth(part.area), RectHeight(part.area), s, part.src.Left,
                       part.src.Top, part.w, part.h, SRCCOPY);
            continue;
        }
        ks::ForEachTile(part.area, part.w, part.h, bounds, [&](const TRect& tile) {
            BitBlt(d, tile.Left, tile.Top, RectWidth(tile), RectHeight(tile), s, part.src.Left, part.src.Top, SRCCOPY);
        });
    }
}

void PaintStateGlyph(TBitmap& dst, TPoint p, int state, int mode, const TsMaskData& mask, const CacheInfo& ci)
{
    if (mask.ImageCount <= 0)
        return;
    const ks::GlyphRects cell = ks::StateGlyphRects(mask, p, state);
    if (mask.Bmp) {
        if (mask.Bmp->Width() >= mask.R.Right && mask.Bmp->Height() >= mask.R.Bottom)
            CopyImageTransparent(cell.dst, cell.src, dst, *mask.Bmp, mode, mask);
        return;
    }
    TBitmap* master = mask.Manager ? mask.Manager->MasterBitmap.get() : nullptr;
    if (!master)
        return;
    if (mask.MaskType >= 1)
        CopyImageTransparent(cell.dst, cell.src, dst, *master, mode, mask);
    else if (mode == 1)
        CopyRectOverBackground(dst, *master, cell.dst.Left, cell.dst.Top, cell.src, TransparentKeyColor, ci, true);
    else
        BlendBitmapKeyed(dst, cell.dst.Left, cell.dst.Top, *master, cell.src, 0.5, TransparentKeyColor);
}

void CopyImageTransparent(const TRect& dstRect, const TRect& srcRect, TBitmap& dst, TBitmap& image, int mode,
                          const TsMaskData& mask)
{
    if (mask.MaskType < 0)
        return;
    if (mask.MaskType == 0) {
        CopyRectKeyed(dst, image, dstRect.Left, dstRect.Top, srcRect, TransparentKeyColor);
        return;
    }
    ks::DrawThroughMaskRow(dst.View(), ks::ExclusiveOf(dstRect), image.View(), ks::ExclusiveOf(srcRect),
                           MaskCellHeight(mask), mode != 1);
}

void PaintMaskedOverCache(const TRect& dstRect, const TRect& srcRect, TBitmap& dst, const CacheInfo& ci,
                          const TsMaskData& mask)
{
    TBitmap* master = mask.Manager ? mask.Manager->MasterBitmap.get() : nullptr;
    if (!master)
        return;
    ks::AlphaBackdrop backdrop{{}, ci.X, ci.Y, ci.Ready, true};
    if (ci.Ready && ci.Bmp) {
        const TPixelFormat format = ci.Bmp->PixelFormat();
        if (format != pf24bit && format != pf32bit)
            return;
        // A 32-bit background shows only where it has no fill colour to give instead.
        if (format == pf32bit && ci.FillColor != TransparentKeyColor)
            backdrop.ready = false;
        else
            backdrop.view = ci.Bmp->View();
    }
    // Each row's mask lies exactly half the record below it; a row whose mask row would lie below
    // the master bitmap (a record larger than its image, a piece reaching into the mask half) is
    // not drawn.
    const std::optional<TColor> fill =
        ci.FillColor != TransparentKeyColor ? std::optional<TColor>(ci.FillColor) : std::nullopt;
    ks::MaskBlendPiece(dst.View(), dstRect, master->View(), srcRect, ks::HalfRecordHeight(mask), ks::MaskRows::Exact,
                       backdrop, fill);
}

void RestoreTransparentCorner(TBitmap& dst, TBitmap& src, const TRect& dstRect, TPoint srcPoint, int maskIndex,
                              TsSkinManager* manager, int corner)
{
    if (maskIndex == -1) {
        ks::RestoreKeyed32(dst.View(), dstRect, src.View(), srcPoint, nullptr, {}, TransparentKeyColor);
        return;
    }
    if (!manager || maskIndex < 0 || maskIndex >= static_cast<int>(manager->MaskArray.size()))
        return;
    const TsMaskData& mask = manager->MaskArray[static_cast<size_t>(maskIndex)];
    TBitmap* image = mask.Bmp ? mask.Bmp.get() : manager->MasterBitmap.get();
    if (!image)
        return;
    TPoint at{mask.R.Left, mask.R.Top};
    if (corner == HTTOPRIGHT || corner == HTBOTTOMRIGHT)
        at.X += MaskCellWidth(mask) - mask.WR;
    if (corner == HTBOTTOMLEFT || corner == HTBOTTOMRIGHT)
        at.Y += MaskCellHeight(mask) - mask.WB;
    const ks::PixelView keys = image->View();
    ks::RestoreKeyed32(dst.View(), dstRect, src.View(), srcPoint, &keys, at, TransparentKeyColor);
}

void BlendRectWithColor(TBitmap& bitmap, const TRect& r, int percent, TColor color)
{
    const TRect area{r.Left, r.Top, std::min(r.Right, bitmap.Width() - 1) + 1,
                     std::min(r.Bottom, bitmap.Height() - 1) + 1};
    ks::MixRectWithColour(bitmap.View(), area, ColorToRGB(color), (percent & 255) / 100.0);
}

void ApplyDisabledLook(TBitmap& bitmap, TsDisabledKind kind, TControl* parent, const CacheInfo& ci, TPoint offset)
{
    if (kind.Contains(dkGrayed))
        GrayscaleBitmap24(bitmap);
    if (!kind.Contains(dkBlended))
        return;
    TRect r{0, 0, bitmap.Width(), bitmap.Height()};
    if (ci.Ready) {
        if (!ci.Bmp)
            return;
        r = {r.Left + ci.X + offset.X, r.Top + ci.Y + offset.Y, r.Right + ci.X + offset.X, r.Bottom + ci.Y + offset.Y};
        // A key whose top byte is 0xFF skips no pixel.
        BlendBitmapKeyed(bitmap, 0, 0, *ci.Bmp, r, 0.4, static_cast<TColor>(0xFF000000u | TransparentKeyColor));
        return;
    }
    const TColor color = ci.FillColor != TransparentKeyColor ? ci.FillColor : ControlBackColor(parent);
    BlendRectWithColor(bitmap, r, 50, color);
}
