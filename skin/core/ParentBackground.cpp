#include "skin/core/ParentBackground.h"

#include "skin/core/SkinSenders.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/GdiHandles.h"
#include "vcl/Graphics.h"
#include "vcl/WinControl.h"

namespace {

HWND WindowOf(TControl* control) noexcept
{
    auto* w = dynamic_cast<TWinControl*>(control);
    return w ? w->HandleIfAllocated() : nullptr;
}

bool OfThisProcess(HWND wnd) noexcept
{
    DWORD process = 0;
    GetWindowThreadProcessId(wnd, &process);
    return process == GetCurrentProcessId();
}

// Runs paint with info.TargetDC shifted by the offset and clipped to info.R (moved by the
// offset), the DC put back afterwards.
template <class Paint>
void PaintShifted(BackgroundInfo& info, Paint paint)
{
    HDC dc = info.TargetDC;
    if (dc == nullptr)
        return;
    ks::SavedDC saved(dc);
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x - info.Offset.X, origin.y - info.Offset.Y, nullptr);
    info.R = {info.R.Left + info.Offset.X, info.R.Top + info.Offset.Y, info.R.Right + info.Offset.X,
              info.R.Bottom + info.Offset.Y};
    IntersectClipRect(dc, info.R.Left, info.R.Top, info.R.Right, info.R.Bottom);
    paint(dc);
}

// Steps 1 and 2 of both questions: the record reset and sent; the paint request as the caller
// left it in the record.
template <class Send>
bool Ask(BackgroundInfo& info, bool paintRequested, bool& paintWanted, Send send)
{
    paintWanted = info.PaintRequested;
    info.BackgroundKind = BgKindNone;
    info.PaintRequested = paintRequested;
    const TMessage m = SkinCommand(SKC_GET_BG_INFO, reinterpret_cast<LPARAM>(&info));
    send(m);
    return info.BackgroundKind != BgKindNone;
}

} // namespace

bool QueryParentBackgroundWnd(BackgroundInfo& info, HWND wnd, bool paintRequested)
{
    bool paintWanted = false;
    if (wnd != nullptr &&
        Ask(info, paintRequested, paintWanted,
            [&](const TMessage& m) { ks::SendSkinMessage(wnd, m.Msg, m.WParam, m.LParam); }))
        return true;
    if (wnd != nullptr && paintWanted) {
        if (!IsWindow(wnd) || !OfThisProcess(wnd))
            return false;
        PaintShifted(info, [&](HDC dc) {
            if (FindControl(wnd) != nullptr) {
                SendMessageW(wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
                SendMessageW(wnd, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
            } else {
                // A foreign window would take WM_PAINT as a real paint: BeginPaint on the
                // screen, and its update region gone.
                SendMessageW(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
            }
        });
        return false;
    }
    info.Color = DefaultSkinManager ? DefaultSkinManager->GlobalSectionColor() : clBtnFace;
    info.BackgroundKind = BgKindColor;
    return false;
}

bool QueryParentBackground(BackgroundInfo& info, TControl* control, bool paintRequested)
{
    bool paintWanted = false;
    if (control == nullptr) {
        info.BackgroundKind = BgKindColor;
        info.Color = clBtnFace;
        return false;
    }
    if (Ask(info, paintRequested, paintWanted, [&](const TMessage& m) {
            if (HWND wnd = WindowOf(control))
                ks::SendSkinMessage(wnd, m.Msg, m.WParam, m.LParam);
            else
                ks::PerformSkinMessage(*control, m.Msg, m.WParam, m.LParam);
        }))
        return true;
    if (paintWanted) {
        PaintShifted(info, [&](HDC dc) {
            control->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
            control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        });
        return false;
    }
    info.BackgroundKind = BgKindColor;
    const TMessage m = SkinCommand(SKC_GET_BG_COLOR, 0);
    info.Color = static_cast<TColor>(control->Perform(m.Msg, m.WParam, m.LParam));
    if (info.Color == 0)
        info.Color = ColorToRGB(control->Color());
    return false;
}

CacheInfo CacheInfoFromBackground(const BackgroundInfo& info)
{
    if (info.BackgroundKind == BgKindBitmap)
        return CacheInfoFromBitmap(info.Bmp, info.Offset.X, info.Offset.Y);
    return {nullptr, 0, 0, ColorToRGB(info.Color), false};
}
