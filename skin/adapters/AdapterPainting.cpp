#include "skin/adapters/AdapterPainting.h"

#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sSkinManager.h"
#include "vcl/PlatformSeams.h"

#include <algorithm>

namespace ks::adapters {

TargetDC::TargetDC(HWND wnd, HDC given, bool window) noexcept
    : FWnd(wnd), FDC(given), FTaken(given == nullptr)
{
    if (FTaken)
        FDC = window ? GetWindowDC(wnd) : GetDC(wnd);
    if (FTaken && FDC)
        FKept.emplace(FDC);
}

TargetDC::~TargetDC()
{
    FKept.reset();
    if (FTaken && FDC)
        ReleaseDC(FWnd, FDC);
}

void UseWindowFont(TCanvas& canvas, HWND wnd, TControl* owner)
{
    if (owner && owner->Font()) {
        canvas.Font().Assign(owner->Font());
        return;
    }
    auto font = reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (!font || GetObjectW(font, sizeof lf, &lf) != sizeof lf)
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    canvas.Font().SetLogFont(lf);
}

TsSkinManager* ManagerOf(const TacMainWnd& adapter) noexcept
{
    if (TsSkinManager* manager = adapter.SkinManager())
        return manager;
    return adapter.SkinData ? adapter.SkinData->SkinManager() : nullptr;
}

bool SkinActiveFor(const TacMainWnd& adapter) noexcept
{
    TsSkinManager* manager = ManagerOf(adapter);
    return adapter.SkinData && manager && manager->Active();
}

bool WindowIsHot(const TacMainWnd& adapter) noexcept
{
    HWND wnd = adapter.CtrlHandle;
    if (!IsWindowEnabled(wnd))
        return false;
    if (GetFocus() == wnd || (adapter.SkinData && adapter.SkinData->MouseIsAbove))
        return true;
    return DefaultSkinManager && DefaultSkinManager->ActiveControl == wnd;
}

TBitmap* SizedCache(TsCommonData& skinData, TSize size)
{
    skinData.PrepareCacheBmp();
    TBitmap* cache = skinData.CacheBitmap.get();
    if (!cache)
        return nullptr;
    if (cache->Width() != size.cx || cache->Height() != size.cy)
        cache->SetSize(std::max(size.cx, 0), std::max(size.cy, 0));
    return cache;
}

bool StillUpdating(TsCommonData& skinData)
{
    skinData.SetUpdating(false);
    skinData.SetUpdating(skinData.Updating());
    return skinData.UpdateLock;
}

void CopyCacheFrame(HDC dc, TBitmap* cache, int width)
{
    if (dc && cache)
        CopyFrameStrips(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas().Handle(), 0, 0, width);
}

void BlendDisabled(TBitmap& cache, const CacheInfo& background, TPoint pos)
{
    constexpr double OwnShare = 0.6;
    if (background.Ready && background.Bmp) {
        const int x = background.X + pos.X, y = background.Y + pos.Y;
        BlendBitmapKeyed(cache, 0, 0, *background.Bmp, {x, y, x + cache.Width() - 1, y + cache.Height() - 1},
                         OwnShare, TransparentKeyColor);
    } else if (background.FillColor != TransparentKeyColor) {
        TintBitmapKeyed(cache, ColorToRGB(background.FillColor), TransparentKeyColor, OwnShare);
    }
}

TColor BackgroundFillColour(TColor answered, const TsSkinManager* manager) noexcept
{
    if (answered != TransparentKeyColor && answered != clNone)
        return answered;
    return manager ? manager->GlobalSectionColor() : clBtnFace;
}

void PaintCentredGlyph(TsSkinManager& manager, int glyph, TBitmap& bmp, const TRect& area, int state,
                       const CacheInfo& ci)
{
    if (!manager.MaskIndexValid(glyph))
        return;
    const TsMaskData& mask = manager.MaskArray[static_cast<size_t>(glyph)];
    if (mask.ImageCount <= 0 || mask.MaskType < 0)
        return;
    const int w = MaskCellWidth(mask);
    const int h = MaskCellHeight(mask);
    if (w <= 0 || h <= 0)
        return;
    const TPoint p{area.Left + (area.Width() - w) / 2, area.Top + (area.Height() - h) / 2};
    PaintStateGlyph(bmp, p, std::min(state, mask.ImageCount - 1), 1, mask, ci);
}

void ExcludeChildWindows(HDC dc, HWND wnd)
{
    RECT origin{};
    GetWindowRect(wnd, &origin);
    for (HWND child = GetWindow(wnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child))
            continue;
        RECT r{};
        GetWindowRect(child, &r);
        ExcludeClipRect(dc, r.left - origin.left, r.top - origin.top, r.right - origin.left, r.bottom - origin.top);
    }
}

void PaintThroughErase(HWND wnd)
{
    InvalidateRect(wnd, nullptr, TRUE);
    PAINTSTRUCT ps;
    BeginPaint(wnd, &ps);
    EndPaint(wnd, &ps);
}

} // namespace ks::adapters
