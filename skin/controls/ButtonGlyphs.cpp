#include "skin/controls/ButtonGlyphs.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/GlyphDrawing.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/images/acAlphaImageList.h"
#include "skin/images/acPNG.h"
#include "vcl/ImgList.h"

#include <algorithm>

namespace {

TRect WholeCells(const TBitmap& b) noexcept
{
    // Keyed copies name their last column and row.
    return {0, 0, b.Width() - 1, b.Height() - 1};
}

// Runs paint on the button's cache when canvas is nullptr or the cache's own canvas; otherwise
// on a copy of what canvas shows over the button's area, which is put back afterwards.
template <class Paint>
void OnTarget(const TacButtonGlyph& button, TCanvas* canvas, Paint paint)
{
    TBitmap* cache = button.SkinData ? button.SkinData->CacheBitmap.get() : nullptr;
    if (!canvas || (cache && canvas == &cache->Canvas())) {
        if (cache && !cache->Empty())
            paint(*cache);
        return;
    }
    const int w = cache && !cache->Empty() ? cache->Width() : button.R.Right;
    const int h = cache && !cache->Empty() ? cache->Height() : button.R.Bottom;
    auto work = NewBitmap24(w, h);
    if (work->Empty())
        return;
    BitBlt(work->Canvas().Handle(), 0, 0, w, h, canvas->Handle(), 0, 0, SRCCOPY);
    paint(*work);
    GdiFlush();
    BitBlt(canvas->Handle(), 0, 0, w, h, work->Canvas().Handle(), 0, 0, SRCCOPY);
}

void PaintAlphaGlyph(const TacButtonGlyph& button, TCanvas* canvas)
{
    TPNGGraphic png;
    png.Assign(button.Glyph);
    png.SetPixelFormat(pf32bit);
    png.Reflected = button.Reflected;
    if (button.StateIndex == 0 && button.Blend != 0) {
        const int blend = std::clamp(button.Blend, 0, 100);
        GdiFlush();
        for (int y = 0; y < png.Height(); ++y) {
            uint8_t* p = png.ScanLine(y);
            for (int x = 0; x < png.Width(); ++x)
                p[4 * x + 3] = static_cast<uint8_t>(p[4 * x + 3] * blend / 100);
        }
    }
    const TRect at{button.R.Left, button.R.Top, button.R.Left + png.Width(), button.R.Top + png.Height()};
    OnTarget(button, canvas, [&](TBitmap& target) { png.Draw(target.Canvas(), at); });
}

void PaintListBitmap(const TacButtonGlyph& button, TCanvas* canvas)
{
    std::unique_ptr<TBitmap> b = GetImageListBitmap(button.Images, button.ImageIndex);
    if (!b)
        return;
    const bool skinned = button.SkinData && button.SkinData->IsSkinActive();
    const bool grayed = button.DisabledGlyphKind.Contains(dgGrayed);
    if (!skinned) {
        if (!canvas)
            return;
        if (!button.Enabled && grayed)
            GrayscaleKeyed24(*b, TransparentKeyColor);
        GdiTransparentBlt(canvas->Handle(), button.R.Left, button.R.Top, b->Width(), b->Height(), b->Canvas().Handle(),
                          0, 0, b->Width(), b->Height(), TransparentKeyColor);
        return;
    }
    TBitmap* cache = button.SkinData->CacheBitmap.get();
    if (!cache)
        return;
    const int x = button.R.Left, y = button.R.Top;
    if (!button.Enabled) {
        if (grayed)
            GrayscaleKeyed24(*b, TransparentKeyColor);
        if (button.DisabledGlyphKind.Contains(dgBlended))
            BlendBitmapKeyed(*cache, x, y, *b, WholeCells(*b), 0.5, TransparentKeyColor);
        else
            CopyKeyedAt(*cache, *b, x, y, TransparentKeyColor);
        return;
    }
    if (button.StateIndex == 0) {
        if (button.Grayed)
            GrayscaleKeyed24(*b, TransparentKeyColor);
        if (button.Blend > 0) {
            BlendBitmapKeyed(*cache, x, y, *b, WholeCells(*b), std::min(button.Blend, 100) / 100.0, TransparentKeyColor);
            return;
        }
    }
    CopyKeyedAt(*cache, *b, x, y, TransparentKeyColor);
}

} // namespace

int ImageListCount(const TCustomImageList* list) noexcept
{
    return list ? list->Count() : 0;
}

std::unique_ptr<TBitmap> GetImageListBitmap(TCustomImageList* list, int index)
{
    if (!list || index < 0 || index >= list->Count())
        return nullptr;
    auto b = NewBitmap24(list->Width(), list->Height());
    const TColor back = list->BkColor() == clNone ? TransparentKeyColor : list->BkColor();
    FillRectSolid(b->Canvas().Handle(), {0, 0, b->Width(), b->Height()}, back);
    list->Draw(b->Canvas(), 0, 0, index, true);
    GdiFlush();
    return b;
}

void PaintButtonGlyph(const TacButtonGlyph& button, TCanvas* canvas)
{
    if (button.Glyph && !button.Glyph->Empty()) {
        if (button.NumGlyphs <= 1 && button.Glyph->PixelFormat() == pf32bit) {
            PaintAlphaGlyph(button, canvas);
            return;
        }
        const bool down = button.FState == 2 || button.FState == 3;
        OnTarget(button, canvas, [&](TBitmap& target) {
            DrawGlyphWithEffects(button.Glyph, target, button.R, std::max(button.NumGlyphs, 1), button.Enabled,
                                 button.DisabledGlyphKind, button.StateIndex, button.Blend, down);
        });
        return;
    }
    if (button.ImageIndex < 0 || button.ImageIndex >= ImageListCount(button.Images))
        return;
    if (!dynamic_cast<TsAlphaImageList*>(button.Images)) {
        PaintListBitmap(button, canvas);
        return;
    }
    const bool skinned = button.SkinData && button.SkinData->IsSkinActive();
    const int blend = button.StateIndex == 0 ? button.Blend : 0;
    TColor tint = clNone;
    if (button.StateIndex == 0 && button.Grayed) {
        const TsGeneralData* section = skinned ? button.SkinData->Section() : nullptr;
        tint = section ? section->Color : ColorToRGB(clBtnFace);
    }
    const int cell = button.FState + button.StateIndex;
    const int cells = std::max(button.NumGlyphs, 1);
    TBitmap* cache = button.SkinData ? button.SkinData->CacheBitmap.get() : nullptr;
    if (skinned && cache)
        DrawAlphaImgList(button.Images, *cache, button.R.Left, button.R.Top, button.ImageIndex, blend, tint, cell,
                         cells, button.Reflected);
    else if (canvas)
        DrawAlphaImgListDC(button.Images, canvas->Handle(), button.R.Left, button.R.Top, button.ImageIndex, blend,
                           tint, cell, cells, button.Reflected);
}

void PaintImageListGlyph(const TacToolButtonGlyph& button, TBitmap& dest)
{
    if (!button.Images || button.ImageIndex < 0)
        return;
    const UINT s = button.ItemState;
    int state = 1;
    if (s == 0 || s == CDIS_DISABLED)
        state = 0;
    else if (s & (CDIS_SELECTED | CDIS_CHECKED))
        state = 2;
    const int w = button.Images->Width(), h = button.Images->Height();
    int x, y;
    if (button.List) {
        x = 5;
        y = (button.ButtonSize.cy - h) / 2;
    } else {
        x = (button.ButtonSize.cx - w) / 2 + 1 - (button.DropDown ? 8 : 0);
        const int caption = button.ShowCaptions ? dest.Canvas().TextHeight(L"A") + 3 : 0;
        y = (button.ButtonSize.cy - h - caption) / 2;
    }
    if (state == 2) {
        ++x;
        ++y;
    }
    TCustomImageList* list = button.Images;
    if (state != 0 && ImageListCount(button.HotImages) > button.ImageIndex)
        list = button.HotImages;
    if (std::unique_ptr<TBitmap> b = GetImageListBitmap(list, button.ImageIndex))
        CopyKeyedAt(dest, *b, x, y, TransparentKeyColor);
}
