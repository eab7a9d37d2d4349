#include "skin/core/SkinImagePainting.h"

#include "skin/core/GlyphDrawing.h"
#include "skin/core/NumberRoutines.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sSkinManager.h"
#include "skin/pixels/KeyedPixels.h"
#include "skin/pixels/MaskedPixels.h"
#include "vcl/Bitmap.h"

#include <algorithm>

namespace {

// The bitmap a record's rectangle lies in: its own, or its manager's master bitmap.
TBitmap* ImageOf(const TsMaskData& mask)
{
    if (mask.Bmp)
        return mask.Bmp.get();
    return mask.Manager ? mask.Manager->MasterBitmap.get() : nullptr;
}

int ColumnOf(int state, int imageCount)
{
    return std::clamp(state, 0, imageCount - 1);
}

TRect Inclusive(int x, int y, int w, int h)
{
    return {x, y, x + w - 1, y + h - 1};
}

// Corners too wide for a size give up as much on each side, the far one the odd pixel.
void ShrinkToFit(int size, int& nearWidth, int& farWidth)
{
    if (size < nearWidth + farWidth) {
        const int d = (nearWidth + farWidth - size) / 2;
        nearWidth -= d;
        farWidth -= d;
        if (size % 2 != 0)
            --farWidth;
        nearWidth = std::max(nearWidth, 0);
        farWidth = std::max(farWidth, 0);
    }
}

// Calls draw(piece of area, x, y) for pw x ph pieces over area, whole ones first, then the cut
// last column and row. A piece of no size covers nothing: it would never advance.
template <class Draw>
void TilePieces(const TRect& area, int pw, int ph, Draw draw)
{
    if (pw <= 0 || ph <= 0)
        return;
    for (int x = area.Left; x < area.Right; x += pw)
        for (int y = area.Top; y < area.Bottom; y += ph)
            draw(TRect{x, y, std::min(x + pw, area.Right), std::min(y + ph, area.Bottom)});
}

} // namespace

void PaintSkinImageRect(TBitmap& dst, const TRect& r, bool filling, const CacheInfo& ci, const TsMaskData& mask,
                        int state, bool updateCorners)
{
    if (state == 0 && (mask.StretchMode & 2) != 0)
        return;
    TBitmap* image = ImageOf(mask);
    if (RectWidth(r) < 2 || RectHeight(r) < 2 || !mask.Manager || !image || mask.ImageCount <= 0 ||
        dst.Empty() || image->Empty())
        return;
    int wl = std::max<int>(mask.WL, 0), wt = std::max<int>(mask.WT, 0);
    int wr = std::max<int>(mask.WR, 0), wb = std::max<int>(mask.WB, 0);
    ShrinkToFit(RectWidth(r), wl, wr);
    ShrinkToFit(RectHeight(r), wt, wb);
    const int cw = MaskCellWidth(mask), ch = MaskCellHeight(mask);
    if (cw <= 0 || ch <= 0)
        return;
    const int mw = std::max(0, cw - wl - wr), mh = std::max(0, ch - wt - wb);
    const int sx = mask.R.Left + ColumnOf(state, mask.ImageCount) * cw, sy = mask.R.Top;
    const int L = r.Left, T = r.Top, Rt = r.Right, B = r.Bottom;
    const bool masked = mask.MaskType >= 1;

    auto corner = [&](int x, int y, int fromX, int fromY, int w, int h) {
        if (w <= 0 || h <= 0)
            return;
        if (masked)
            DrawMaskPartAlpha({x, y, x + w, y + h}, {fromX, fromY, fromX + w, fromY + h}, dst, image, ci, updateCorners,
                              mask);
        else
            CopyRectOverBackground(dst, *image, x, y, Inclusive(fromX, fromY, w, h), TransparentKeyColor, ci,
                                   updateCorners);
    };
    auto middle = [&](const TRect& area, int fromX, int fromY, int pw, int ph) {
        if (RectWidth(area) <= 0 || RectHeight(area) <= 0)
            return;
        if (masked) {
            TilePieces(area, pw, ph, [&](const TRect& piece) {
                DrawMaskPartAlpha(piece, {fromX, fromY, fromX + pw, fromY + ph}, dst, image, NoBackgroundCacheInfo,
                                  false, mask);
            });
            return;
        }
        const HDC d = dst.Canvas().Handle();
        const HDC s = image->Canvas().Handle();
        if ((mask.StretchMode & 1) != 0) {
            if (pw > 0 && ph > 0) {
                SetStretchBltMode(d, HALFTONE);
                StretchBlt(d, area.Left, area.Top, RectWidth(area), RectHeight(area), s, fromX, fromY, pw, ph, SRCCOPY);
            }
            return;
        }
        TilePieces(area, pw, ph, [&](const TRect& piece) {
            BitBlt(d, piece.Left, piece.Top, RectWidth(piece), RectHeight(piece), s, fromX, fromY, SRCCOPY);
        });
    };

    corner(L, T, sx, sy, wl, wt);
    middle({L, T + wt, L + wl, B - wb}, sx, sy + wt, wl, mh);
    middle({L + wl, T, Rt - wr, T + wt}, sx + wl, sy, mw, wt);
    corner(L, B - wb, sx, sy + ch - wb, wl, wb);
    middle({L + wl, B - wb, Rt - wr, B}, sx + wl, sy + ch - wb, mw, wb);
    corner(Rt - wr, B - wb, sx + wl + mw, sy + ch - wb, wr, wb);
    corner(Rt - wr, T, sx + wl + mw, sy, wr, wt);
    middle({Rt - wr, T + wt, Rt, B - wb}, sx + wl + mw, sy + wt, wr, mh);
    if (filling && (mask.StretchMode & 4) != 0)
        middle({L + wl, T + wt, Rt - wr, B - wb}, sx + wl, sy + wt, mw, mh);
}

void PaintStateGlyph(TBitmap& dst, TPoint p, int state, int mode, const TsMaskData& mask, const CacheInfo& ci)
{
    if (mask.ImageCount <= 0)
        return;
    const int cw = MaskCellWidth(mask), ch = MaskCellHeight(mask);
    const int x0 = ColumnOf(state, mask.ImageCount) * cw;
    // The part left of or above dst is cut from the start only: what remains lands where the
    // whole cell would have.
    const int dx = p.X < 0 ? -p.X : 0, dy = p.Y < 0 ? -p.Y : 0;
    const int L0 = mask.R.Left, T0 = mask.R.Top;
    const TRect src{L0 + x0 + dx, T0 + dy, L0 + x0 + cw - 1, T0 + ch - 1};
    const TRect to{p.X + dx, p.Y + dy, p.X + cw - 1, p.Y + ch - 1};
    if (mask.Bmp) {
        if (mask.Bmp->Width() >= mask.R.Right && mask.Bmp->Height() >= mask.R.Bottom)
            CopyImageTransparent(to, src, dst, *mask.Bmp, mode, mask);
        return;
    }
    TBitmap* master = mask.Manager ? mask.Manager->MasterBitmap.get() : nullptr;
    if (!master)
        return;
    if (mask.MaskType >= 1)
        CopyImageTransparent(to, src, dst, *master, mode, mask);
    else if (mode == 1)
        CopyRectOverBackground(dst, *master, to.Left, to.Top, src, TransparentKeyColor, ci, true);
    else
        BlendBitmapKeyed(dst, to.Left, to.Top, *master, src, 0.5, TransparentKeyColor);
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
    const TRect to{dstRect.Left, dstRect.Top, dstRect.Right + 1, dstRect.Bottom + 1};
    const TRect from{srcRect.Left, srcRect.Top, srcRect.Right + 1, srcRect.Bottom + 1};
    ks::DrawThroughMaskRow(dst.View(), to, image.View(), from, MaskCellHeight(mask), mode != 1);
}

void PaintMaskedOverCache(const TRect& dstRect, const TRect& srcRect, TBitmap& dst, const CacheInfo& ci,
                          const TsMaskData& mask)
{
    TBitmap* master = mask.Manager ? mask.Manager->MasterBitmap.get() : nullptr;
    if (!master)
        return;
    CacheInfo background = ci;
    if (ci.Ready && ci.Bmp) {
        const TPixelFormat format = ci.Bmp->PixelFormat();
        if (format != pf24bit && format != pf32bit)
            return;
        // A 32-bit background shows only where it has no fill colour to give instead.
        if (format == pf32bit && ci.FillColor != TransparentKeyColor)
            background.Ready = false;
    }
    DrawMaskPartAlpha(dstRect, srcRect, dst, master, background, true, mask);
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
