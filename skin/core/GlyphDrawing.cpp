#include "skin/core/GlyphDrawing.h"

#include "skin/core/NumberRoutines.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/SkinImageCells.h"
#include "skin/pixels/KeyedPixels.h"
#include "vcl/Bitmap.h"

#include <algorithm>

namespace {

// Copies w x h from (sx, sy) of src to (x, y) of dst; empty sizes copy nothing (GDI clips the
// rest to both bitmaps).
void Copy(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy)
{
    if (w > 0 && h > 0)
        BitBlt(dst, x, y, w, h, src, sx, sy, SRCCOPY);
}

void Stretch(HDC dst, const TRect& to, HDC src, const TRect& from)
{
    if (RectWidth(to) > 0 && RectHeight(to) > 0 && RectWidth(from) > 0 && RectHeight(from) > 0)
        StretchBlt(dst, to.Left, to.Top, RectWidth(to), RectHeight(to), src, from.Left, from.Top, RectWidth(from),
                   RectHeight(from), SRCCOPY);
}

// A part of the frame: destination and source rectangles, tiled (mode 0: pw x ph pieces from
// from's top-left corner, only those inside within) or stretched (1).
void DrawPart(HDC dst, const TRect& within, const TRect& to, HDC src, const TRect& from, int mode, int pw, int ph)
{
    if (mode == 0)
        ks::ForEachTile(to, pw, ph, within, [&](const TRect& tile) {
            Copy(dst, tile.Left, tile.Top, RectWidth(tile), RectHeight(tile), src, from.Left, from.Top);
        });
    else if (mode == 1)
        Stretch(dst, to, src, from);
}

TColor BottomLeftPixel(TBitmap& bmp)
{
    return ks::GetPixel24(bmp.View(), 0, bmp.Height() - 1);
}

int CellOf(int numGlyphs, bool enabled, int state, bool down, bool fourBit)
{
    if (!enabled)
        return 0;
    switch (state) {
    case 1:
        return fourBit ? 0 : 1;
    case 2:
        if (numGlyphs > down + 2)
            return down + 2;
        return fourBit ? 0 : std::min(1, numGlyphs - 1);
    default:
        return 0;
    }
}

} // namespace

void GrayscaleBitmap24(TBitmap& bmp)
{
    ks::Greyscale24(bmp.View(), false, 0);
}

void GrayscaleKeyed24(TBitmap& bmp, TColor key)
{
    ks::Greyscale24(bmp.View(), true, key);
}

void CopyChannel32(TBitmap& bmp32, TBitmap& bmp8, int channel, bool extract)
{
    ks::CopyChannel(bmp32.View(), bmp8.View(), channel, extract);
}

void StretchNinePart(TBitmap& dst, TBitmap& src, const TRect& dstRect, const TRect& srcRect, const TRect& corners,
                     const TRect& sideLimits, const std::array<int, 4>& sideModes, uint8_t centerMode,
                     bool fillCenter)
{
    const HDC d = dst.Canvas().Handle();
    const HDC s = src.Canvas().Handle();
    SetStretchBltMode(d, BLACKONWHITE);
    const TRect& D = dstRect;
    const TRect& S = srcRect;
    const TRect within{0, 0, dst.Width(), dst.Height()};
    // Edge widths from callers' frames; a negative width is no edge. Corners wider or higher
    // than the target shrink to it as the skin's border images do, or the far corner would be
    // drawn before the target's start and the sides outside it.
    int L = std::max(corners.Left, 0), T = std::max(corners.Top, 0);
    int R = std::max(corners.Right, 0), B = std::max(corners.Bottom, 0);
    ks::ShrinkToFit(std::max(RectWidth(D), 0), L, R);
    ks::ShrinkToFit(std::max(RectHeight(D), 0), T, B);
    const int l = std::clamp(sideLimits.Left, 0, L), t = std::clamp(sideLimits.Top, 0, T);
    const int r = std::clamp(sideLimits.Right, 0, R), b = std::clamp(sideLimits.Bottom, 0, B);

    Copy(d, D.Left, D.Top, L, t, s, S.Left, S.Top);
    Copy(d, D.Left, D.Top + t, l, T - t, s, S.Left, S.Top + t);
    Copy(d, D.Left, D.Bottom - b, L, b, s, S.Left, S.Bottom - b);
    Copy(d, D.Left, D.Bottom - B, l, B - b, s, S.Left, S.Bottom - B);
    Copy(d, D.Right - R, D.Top, R, t, s, S.Right - R, S.Top);
    Copy(d, D.Right - r, D.Top + t, r, T - t, s, S.Right - r, S.Top + t);
    Copy(d, D.Right - R, D.Bottom - b, R, b, s, S.Right - R, S.Bottom - b);
    Copy(d, D.Right - r, D.Bottom - B, r, B - b, s, S.Right - r, S.Bottom - B);

    const int mw = RectWidth(S) - R - L;
    const int mh = RectHeight(S) - B - T;
    DrawPart(d, within, {D.Left, D.Top + T, D.Left + l, D.Bottom - B}, s, {S.Left, S.Top + T, S.Left + l, S.Bottom - B},
             sideModes[0], l, mh);
    DrawPart(d, within, {D.Left + L, D.Top, D.Right - R, D.Top + t}, s, {S.Left + L, S.Top, S.Right - R, S.Top + t},
             sideModes[1], mw, t);
    DrawPart(d, within, {D.Right - r, D.Top + T, D.Right, D.Bottom - B}, s, {S.Right - r, S.Top + T, S.Right, S.Bottom - B},
             sideModes[2], r, mh);
    DrawPart(d, within, {D.Left + L, D.Bottom - b, D.Right - R, D.Bottom}, s,
             {S.Left + L, S.Bottom - b, S.Right - R, S.Bottom}, sideModes[3], mw, b);
    if (fillCenter)
        DrawPart(d, within, {D.Left + L, D.Top + T, D.Right - R, D.Bottom - B}, s,
                 {S.Left + L, S.Top + T, S.Right - R, S.Bottom - B}, centerMode, mw, mh);
}

void DrawGlyphWithEffects(TBitmap* glyph, TBitmap& dst, const TRect& r, int numGlyphs, bool enabled,
                          TsDisabledGlyphKind disabledKind, int state, int blend, bool down)
{
    if (!glyph || glyph->Empty())
        return;
    const bool fourBit = glyph->PixelFormat() == pf4bit;
    TBitmap tmp;
    tmp.Assign(glyph);
    tmp.SetPixelFormat(pf24bit);
    const bool fade = state == 0 && blend > 0;

    // No cell count, or a count of one, is a single glyph: there are no cells to divide into.
    if (numGlyphs <= 1) {
        double percent = blend / 100.0;
        if (!enabled) {
            if (disabledKind.Contains(dgGrayed))
                GrayscaleBitmap24(tmp);
            percent = disabledKind.Contains(dgBlended) ? 0.5 : 0;
        } else if (!fade) {
            percent = 0;
        }
        const TColor key = BottomLeftPixel(tmp);
        if (percent > 0)
            BlendBitmapKeyed(dst, r.Left, r.Top, tmp, {0, 0, RectWidth(r), RectHeight(r)}, percent, key);
        else
            CopyKeyedAt(dst, tmp, r.Left, r.Top, key);
        return;
    }

    const int i = CellOf(numGlyphs, enabled, state, down, fourBit);
    const int cw = tmp.Width() / numGlyphs;
    const TRect cell{i * cw, 0, (i + 1) * cw - 1, tmp.Height() - 1};
    const TColor key = ks::GetPixel24(tmp.View(), i * cw, tmp.Height() - 1);
    if (!enabled && fade)
        BlendBitmapKeyed(dst, r.Left, r.Top, tmp, cell, blend / 100.0, key);
    else
        CopyRectKeyed(dst, tmp, r.Left, r.Top, cell, key);
}
