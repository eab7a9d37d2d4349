// TacMDIWnd: the skinned MDI client window of a skinned MDI form.
#include "skin/adapters/MDIClientAdapter.h"

#include "skin/adapters/SkinnedScrollBars.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/sMDIForm.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Bitmap.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"

namespace {

// Wine's MDI client, like the system's, recomputes its scroll bars on this message.
constexpr UINT MDIRecalcScroll = 0x3F;
constexpr int ClientEdge = 2;

} // namespace

TacMDIWnd::~TacMDIWnd()
{
    FormSkinData = nullptr;
    Provider = nullptr;
}

void TacMDIWnd::Detached()
{
    // A scroll step whose end never came (the window or the adapter went meanwhile) must not
    // leave the client without redraw.
    ResumeRedraw();
    TacBaseWnd::Detached();
}

bool TacMDIWnd::FormSkinned() const
{
    return Form && Provider && FormSkinData && FormSkinData->IsSkinActive();
}

bool TacMDIWnd::ActiveChildMaximized() const
{
    return MaximizedMDIChild(Form) != nullptr;
}

bool TacMDIWnd::AreaFromCache() const
{
    TsSkinManager* manager = FormSkinData->SkinManager();
    return (manager && manager->FindSection("MDIAREA") >= 0) || FormSkinData->ParentCacheUsed();
}

TPoint TacMDIWnd::OffsetInCache() const
{
    // The cache holds the form's client at the provider's client offsets (with a border window
    // the image is larger than the form and draws the skin's frame and title in place of the
    // system's); the client window lies where it lies inside the form's client.
    RECT client{};
    GetWindowRect(CtrlHandle, &client);
    POINT origin{0, 0};
    ClientToScreen(Form->HandleIfAllocated(), &origin);
    return {client.left - origin.x + Provider->ClientOffsetX(), client.top - origin.y + Provider->ClientOffsetY()};
}

void TacMDIWnd::PaintMDIArea(HDC dc, bool printing)
{
    RECT area{};
    GetClientRect(CtrlHandle, &area);
    const TRect r{area.left, area.top, area.right, area.bottom};
    if (!AreaFromCache()) {
        FillRectSolid(dc, r, Provider->FormBackColor());
        return;
    }
    TBitmap* cache = FormSkinData->CacheBitmap.get();
    if (!cache || cache->Empty() || FormSkinData->BackgroundChanged) {
        Provider->PaintNonClient();
        cache = FormSkinData->CacheBitmap.get();
        if (!cache || cache->Empty())
            return;
    }
    TPoint offset = OffsetInCache();
    POINT origin{0, 0};
    if (!printing) {
        // The client area starts inside the client's own edge.
        RECT window{};
        GetWindowRect(CtrlHandle, &window);
        ClientToScreen(CtrlHandle, &origin);
        origin.x -= window.left;
        origin.y -= window.top;
    }
    BitBlt(dc, 0, 0, r.Width(), r.Height(), cache->Canvas().Handle(), offset.X + origin.x, offset.Y + origin.y,
           SRCCOPY);
}

void TacMDIWnd::PaintMDIFrame(HDC dc)
{
    TBitmap* cache = FormSkinData->CacheBitmap.get();
    // A provider made again for a shown form frames the client before its first frame paint.
    if (!cache || cache->Empty()) {
        Provider->PaintNonClient();
        cache = FormSkinData->CacheBitmap.get();
    }
    if (!cache || cache->Empty())
        return;
    RECT window{};
    GetWindowRect(CtrlHandle, &window);
    const int w = window.right - window.left;
    const int h = window.bottom - window.top;
    const int edge = (GetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ? ClientEdge : 0;
    if (edge == 0)
        return;
    if (!AreaFromCache()) {
        const TColor color = Provider->FormBackColor();
        FillRectSolid(dc, TRect{0, 0, w, edge}, color);
        FillRectSolid(dc, TRect{0, h - edge, w, h}, color);
        FillRectSolid(dc, TRect{0, edge, edge, h - edge}, color);
        FillRectSolid(dc, TRect{w - edge, edge, w, h - edge}, color);
        return;
    }
    const TPoint o = OffsetInCache();
    HDC src = cache->Canvas().Handle();
    BitBlt(dc, 0, 0, w, edge, src, o.X, o.Y, SRCCOPY);
    BitBlt(dc, 0, h - edge, w, edge, src, o.X, o.Y + h - edge, SRCCOPY);
    BitBlt(dc, 0, edge, edge, h - 2 * edge, src, o.X, o.Y + edge, SRCCOPY);
    BitBlt(dc, w - edge, edge, edge, h - 2 * edge, src, o.X + w - edge, o.Y + edge, SRCCOPY);
}

void TacMDIWnd::SuspendRedraw()
{
    SendMessageW(CtrlHandle, WM_SETREDRAW, 0, 0);
    FRedrawSuspended = true;
}

bool TacMDIWnd::ScrollWhileSuspended(TMessage& m)
{
    // Wine suspends a window's redraw by taking WS_VISIBLE off its style, and then scrolls no
    // children of an invisible window: the step would leave them where they were. The style
    // is given back for the step only; nothing paints meanwhile, the end of the step redraws.
    const LONG_PTR style = GetWindowLongPtrW(CtrlHandle, GWL_STYLE);
    if (!FRedrawSuspended || (style & WS_VISIBLE))
        return false;
    SetWindowLongPtrW(CtrlHandle, GWL_STYLE, style | WS_VISIBLE);
    TacBaseWnd::AdapterWndProc(m);
    if (IsWindow(CtrlHandle) && FRedrawSuspended)
        SetWindowLongPtrW(CtrlHandle, GWL_STYLE, GetWindowLongPtrW(CtrlHandle, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_VISIBLE));
    return true;
}

void TacMDIWnd::ResumeRedraw()
{
    if (!FRedrawSuspended)
        return;
    FRedrawSuspended = false;
    if (IsWindow(CtrlHandle))
        SendMessageW(CtrlHandle, WM_SETREDRAW, 1, 0);
}

void TacMDIWnd::AdapterWndProc(TMessage& m)
{
    switch (m.Msg) {
    case SM_SKINCMD:
        if (HIWORD(m.WParam) == SKC_CHILD_PAINT) {
            if (Form)
                SendCommandCtl(Form, SKC_CHILD_PAINT, m.LParam);
            return;
        }
        break;
    case WM_NCPAINT: if (WMNCPaint(m)) return; break;
    case WM_PAINT:
        if (PaintLock) {
            ValidateRect(CtrlHandle, nullptr);
            return;
        }
        break;
    case WM_ERASEBKGND: if (WMEraseBkgnd(m)) return; break;
    case WM_PRINT: if (WMPrint(m)) return; break;
    case WM_STYLECHANGED: CallPrev(m); return;
    case WM_MDITILE: CallPrev(m); AfterArrange(); return;
    case WM_MDICASCADE: CallPrev(m); AfterArrange(); return;
    case WM_MDISETMENU: CallPrev(m); AfterSetMenu(); return;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (ScrollWhileSuspended(m))
            return;
        break;
    default: break;
    }
    TacBaseWnd::AdapterWndProc(m);
    if (!Destroyed)
        AfterDefault(m);
}

bool TacMDIWnd::WMNCPaint(TMessage& m)
{
    if (!FormSkinned())
        return false;
    m.Result = 1;
    if (PaintLock)
        return true;
    ks::WindowDC dc(CtrlHandle, ks::WindowDC::WholeWindow);
    if (!dc.get())
        return true;
    // The edge shows around a maximised child too (nothing else paints it, and a skin change
    // would leave the old one); the client then has no bars.
    PaintMDIFrame(dc.get());
    if (!ActiveChildMaximized())
        RefreshScrollBars(this, true);
    return true;
}

bool TacMDIWnd::WMEraseBkgnd(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (!FormSkinned() || !dc)
        return false;
    m.Result = 1;
    if (PaintLock || ActiveChildMaximized())
        return true;
    ks::SavedDC saved(dc);
    PaintMDIArea(dc, false);
    return true;
}

bool TacMDIWnd::WMPrint(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (!FormSkinned() || !dc)
        return false;
    m.Result = 0;
    if (Provider->BorderForm || ActiveChildMaximized())
        return true;
    PaintMDIArea(dc, true);
    // Into the DC given: a printed picture (an animation's, under the paint lock too) shows the
    // bars where the window has them.
    RefreshScrollBars(this, false);
    DrawScrollBars(this, CtrlHandle, dc, -1);
    return true;
}

void TacMDIWnd::AfterArrange()
{
    if (Destroyed || !Provider || !FormSkinData)
        return;
    FormSkinData->BackgroundChanged = true;
    Provider->MenuLineCountCache = -1;
    if (Form && Form->FormStyle() == fsMDIForm)
        if (TCustomForm* active = Form->ActiveMDIChild()) {
            HWND child = active->HandleIfAllocated();
            SetWindowLongPtrW(child, GWL_STYLE, GetWindowLongPtrW(child, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_SYSMENU));
        }
    if (Provider->MDIForm)
        Provider->MDIForm->RefreshFormFrame();
    InvalidateRect(CtrlHandle, nullptr, TRUE);
    RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
    if (Provider->SystemMenu)
        Provider->SystemMenu->UpdateItems();
}

void TacMDIWnd::AfterSetMenu()
{
    // The main form's provider may be gone while its client still receives the message.
    if (TsSkinProvider* main = MDISkinProvider) {
        main->SkinData()->BackgroundChanged = true;
        main->FormChanged = true;
        main->MenuLineCountCache = -1;
    }
}

void TacMDIWnd::AfterDefault(const TMessage& m)
{
    switch (m.Msg) {
    case SM_SKINCMD: AfterScroll(m); break;
    case MDIRecalcScroll: ScrollStylesChanged(); break;
    case WM_PARENTNOTIFY: ScrollStylesChanged(); break;
    case WM_MDIREFRESHMENU:
        if (Provider)
            Provider->RefreshFormNC();
        break;
    default: break;
    }
}

void TacMDIWnd::AfterScroll(const TMessage& m)
{
    switch (HIWORD(m.WParam)) {
    case SKC_BEFORE_SCROLL: SuspendRedraw(); break;
    case SKC_AFTER_SCROLL: {
        ResumeRedraw();
        const int code = LOWORD(m.LParam);
        if (code == SB_THUMBTRACK)
            break;
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        RefreshScrollBars(this, false);
        // Capture goes only at the end of the press: released at each repeat step, the button-up
        // would miss the bar and the repeat would run on.
        if (code == SB_ENDSCROLL && GetCapture() == CtrlHandle)
            ReleaseCapture();
        break;
    }
    default: break;
    }
}

void TacMDIWnd::ScrollStylesChanged()
{
    const LONG_PTR style = GetWindowLongPtrW(CtrlHandle, GWL_STYLE);
    if (VBar)
        VBar->ScrollVisible = (style & WS_VSCROLL) != 0;
    if (HBar)
        HBar->ScrollVisible = (style & WS_HSCROLL) != 0;
    RefreshScrollBars(this, true);
}
