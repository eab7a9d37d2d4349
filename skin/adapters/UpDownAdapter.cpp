#include "skin/adapters/UpDownAdapter.h"

#include "skin/adapters/AdapterPainting.h"
#include "skin/adapters/AdapterQueries.h"
#include "skin/adapters/SmallAdapterGeometry.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

using ks::adapters::WindowRectOf;
using ks::adapters::Inside;

namespace {

// The scroll arrows of the common indexes, in their order: top, bottom, left, right.
constexpr int ArrowUp = 0;
constexpr int ArrowDown = 1;
constexpr int ArrowLeft = 2;
constexpr int ArrowRight = 3;

} // namespace

bool TacSpinWnd::IsVertical() const
{
    return (GetWindowLongPtrW(CtrlHandle, GWL_STYLE) & UDS_HORZ) == 0;
}

// A skin without the adapter's section paints the halves as buttons.
void TacSpinWnd::FallBackSection()
{
    TsSkinManager* manager = SkinData ? SkinData->SkinManager() : nullptr;
    if (manager && SkinData->SkinIndex < 0 && manager->SkinData.SkinActive &&
        manager->FindSection(SkinData->SkinSection()) < 0)
        SkinData->SetSkinSection("BUTTON");
}

void TacSpinWnd::AdapterWndProc(TMessage& m)
{
    FallBackSection();
    if (Destroyed || !SkinData || !SkinData->IsSkinActive() || !SpinMessage(m))
        TacMainWnd::AdapterWndProc(m);
}

bool TacSpinWnd::SpinMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT: return WMPaint(m);
    case WM_ERASEBKGND: return Dropped(m, 1);
    case WM_NCPAINT: return Dropped(m, 0);
    case WM_LBUTTONDOWN: return ButtonChange(m, true);
    case WM_LBUTTONUP: return ButtonChange(m, false);
    case WM_MOUSELEAVE: return WMMouseLeave(m);
    case WM_MOUSEMOVE: return WMMouseMove(m);
    default: return false;
    }
}

bool TacSpinWnd::Dropped(TMessage& m, LRESULT result)
{
    m.Result = result;
    return true;
}

bool TacSpinWnd::ButtonChange(TMessage& m, bool down)
{
    Pushed = down;
    TacMainWnd::AdapterWndProc(m);
    if (!Destroyed)
        SendMessageW(CtrlHandle, WM_PAINT, 0, 0);
    return true;
}

bool TacSpinWnd::WMMouseLeave(TMessage& m)
{
    InvalidateRect(CtrlHandle, nullptr, FALSE);
    TacMainWnd::AdapterWndProc(m);
    return true;
}

// The hot half follows the cursor while the control is the manager's hot window.
bool TacSpinWnd::WMMouseMove(TMessage& m)
{
    TacMainWnd::AdapterWndProc(m);
    TsSkinManager* manager = DefaultSkinManager;
    if (Destroyed || !manager || manager->ComponentState().Contains(csDesigning) || !IsWindowEnabled(CtrlHandle))
        return true;
    POINT p{};
    ks::Sys().GetCursorPos(&p);
    if (Inside(WindowRectOf(CtrlHandle), p)) {
        if (manager->ActiveControl != CtrlHandle)
            manager->SetActiveControl(CtrlHandle);
        else
            SendMessageW(CtrlHandle, WM_PAINT, 0, 0);
    } else if (manager->ActiveControl == CtrlHandle) {
        manager->SetActiveControl(nullptr);
    }
    return true;
}

void TacSpinWnd::ReadStates()
{
    const TRect r = WindowRectOf(CtrlHandle);
    POINT p{};
    ks::Sys().GetCursorPos(&p);
    FirstState = 0;
    SecondState = 0;
    if (!Inside(r, p))
        return;
    const ks::adapters::SpinHalves halves = ks::adapters::SpinButtonHalves(r.Width(), r.Height(), IsVertical());
    const int state = Pushed ? 2 : 1;
    if (ks::adapters::SpinHalfAt(halves, TPoint{p.x - r.Left, p.y - r.Top}) == 0)
        FirstState = state;
    else
        SecondState = state;
}

bool TacSpinWnd::WMPaint(TMessage& m)
{
    ReadStates();
    HDC given = TWMPaint(m).DC();
    // A real paint validates the control; a DC in the message means someone prints it.
    std::unique_ptr<ks::PaintDC> validate;
    if (!given)
        validate = std::make_unique<ks::PaintDC>(CtrlHandle);
    SkinData->UpdateLock = SkinData->Updating();
    if (SkinData->UpdateLock)
        return true;
    std::unique_ptr<ks::WindowDC> taken;
    if (!given)
        taken = std::make_unique<ks::WindowDC>(CtrlHandle);
    HDC dc = given ? given : taken->get();
    SkinData->BackgroundChanged = true;
    PrepareCache();
    if (TBitmap* cache = SkinData->CacheBitmap.get(); cache && !cache->Empty())
        BitBlt(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas().Handle(), 0, 0, SRCCOPY);
    m.Result = 0;
    return true;
}

void TacSpinWnd::PaintHalf(TBitmap& cache, const TRect& half, int state, int arrow, const CacheInfo& behind)
{
    PaintControlSection(*SkinData, behind, true, state, half, TPoint{WndPos.X + half.Left, WndPos.Y + half.Top}, &cache,
                        false);
    TsSkinManager* manager = SkinData->SkinManager();
    const int glyphIndex = manager->CommonIndexes.ScrollBtnGlyph[static_cast<size_t>(arrow)];
    if (!manager->MaskIndexValid(glyphIndex))
        return;
    const TsMaskData& glyph = manager->MaskArray[static_cast<size_t>(glyphIndex)];
    const int w = MaskCellWidth(glyph);
    const int h = MaskCellHeight(glyph);
    if (w <= 0 || h <= 0)
        return;
    const CacheInfo self{&cache, 0, 0, TransparentKeyColor, true};
    PaintStateGlyph(cache, TPoint{half.Left + (half.Width() - w) / 2, half.Top + (half.Height() - h) / 2}, state, 1,
                    glyph, self);
}

void TacSpinWnd::PrepareCache()
{
    TsSkinManager* manager = SkinData->SkinManager();
    if (!manager)
        return;
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    const int width = std::max(0, static_cast<int>(WndSize.cx));
    const int height = std::max(0, static_cast<int>(WndSize.cy));
    BackgroundInfo info;
    info.R = Rect(WndPos.X, WndPos.Y, WndPos.X + width, WndPos.Y + height);
    QueryParentBackgroundWnd(info, ParentWnd, false);
    const CacheInfo behind = CacheInfoFromBackground(info);
    TBitmap* sized = ks::adapters::SizedCache(*SkinData, {width, height});
    if (!sized || sized->Empty())
        return;
    TBitmap& cache = *sized;
    const bool vertical = IsVertical();
    const ks::adapters::SpinHalves halves = ks::adapters::SpinButtonHalves(width, height, vertical);
    // The halves share the middle row (column); the second, painted last, shows it.
    PaintHalf(cache, halves.first, FirstState, vertical ? ArrowUp : ArrowLeft, behind);
    PaintHalf(cache, halves.second, SecondState, vertical ? ArrowDown : ArrowRight, behind);
    SkinData->BackgroundChanged = false;
}
