#include "skin/adapters/ScrollWindowAdapters.h"

#include "skin/adapters/AdapterPainting.h"
#include "skin/adapters/AdapterQueries.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/PlatformEditBorder.h"
#include "skin/core/PropertyRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"
#include "vcl/StdCtrls.h"
#include "vcl/WinControl.h"

#include <string_view>

using ks::adapters::OwnManager;
using ks::adapters::Loading;
using ks::adapters::Destroying;

namespace {

// Messages of the class library the adapters react to by number (vcl/Messages.h names most).
constexpr UINT SwallowedAfterScroll = 0x2100;

bool Visible(HWND wnd) noexcept
{
    return wnd && IsWindowVisible(wnd);
}

// A frame's bars share the frame adapter's skin data: while the frame is still being set up
// (loaded, re-created or aligning its controls) its lock stays, as the frame adapter keeps it.
bool FrameBeingSetUp(const TsCommonData& data)
{
    const auto* adapter = dynamic_cast<const TComponent*>(data.OwnerObject);
    if (!adapter || std::string_view(adapter->ClassName()) != "TsFrameAdapter")
        return false;
    const auto* frame = dynamic_cast<const TControl*>(adapter->Owner());
    return frame && (Loading(frame) || frame->ControlState().Contains(csRecreating) ||
                     frame->ControlState().Contains(csAligning));
}

} // namespace

// ---- TacScrollWnd --------------------------------------------------------------------------------

TacScrollWnd::~TacScrollWnd()
{
    if (CtrlHandle)
        ForgetScrollWindow(this, CtrlHandle);
    HBar.reset();
    VBar.reset();
}

void TacScrollWnd::InstallHook(bool repaint)
{
    InitializeScrollBars(this, CtrlHandle, repaint);
}

void TacScrollWnd::Detached()
{
    if (CtrlHandle)
        ForgetScrollWindow(this, CtrlHandle);
}

void TacScrollWnd::AdapterWndProc(TMessage& m)
{
    ScrollWndProc(m);
}

void TacScrollWnd::ScrollWndProc(TMessage& m)
{
    const bool skinned = SkinData && SkinData->IsSkinActive();
    // A press begun under the skin does not outlive it: its timers and the mouse it took would
    // reach only the window's own handling, which knows nothing of them.
    if (!skinned && CurrentScrollTracking().PressedWnd == CtrlHandle)
        CancelScrollTracking(this, CtrlHandle);
    switch (m.Msg) {
    case WM_DESTROY: WMDestroy(m); return;
    case WM_NCDESTROY: WMDestroy(m); return;
    case WM_UPDATEUISTATE: return;
    case SM_SKINCMD: ScrollSkinCommand(ks::SkinCommandView(m)); return;
    default: break;
    }
    if (!skinned || !BarMessage(m))
        PassOn(m);
}

// The press and the hover of a window going away end with it.
void TacScrollWnd::WMDestroy(TMessage& m)
{
    ForgetScrollWindow(this, CtrlHandle);
    CallPrev(m);
    if (Hooked()) {
        TacMainWnd* self = this;
        if (SkinData && SkinData->OwnerControl)
            RemoveScrollBarsHandler(CtrlHandle, false, false, self);
        else
            RemoveScrollWndHandler(CtrlHandle, false, false, self);
    }
}

void TacScrollWnd::ScrollSkinCommand(ks::SkinCommandView view)
{
    if (!SkinData || !SkinData->IsSkinActive()) {
        UnskinnedCommand(view);
        return;
    }
    switch (view.Command()) {
    case SKC_IS_SKINNED: view.SetResult(1); return;
    case SKC_SET_UPDATING: SkinData->SetUpdating(view.Argument() == 1); break;
    case SKC_GET_BG_COLOR: BackgroundColorCommand(view); return;
    case SKC_GET_BG_INFO: BackgroundInfoCommand(view); return;
    case SKC_GET_APPLICATION: view.SetResult(reinterpret_cast<LRESULT>(Application)); return;
    case SKC_NEW_SKIN: NewSkinCommand(view); break;
    case SKC_REMOVE_SKIN: RemoveSkinCommand(view); break;
    case SKC_REFRESH: RefreshCommand(view); break;
    case SKC_PARENT_UPDATED: ParentUpdatedCommand(); break;
    default: break;
    }
    CallPrev(view.Message());
}

// Without an active skin only the indexes follow a new skin of the own manager.
void TacScrollWnd::UnskinnedCommand(ks::SkinCommandView view)
{
    if (view.Command() == SKC_NEW_SKIN && OwnManager(view.Message(), SkinData))
        SkinData->RefreshIndexes();
    CallPrev(view.Message());
}

// The replaced handler's colour first; the skin's only where it gives none.
void TacScrollWnd::BackgroundColorCommand(ks::SkinCommandView view)
{
    CallPrev(view.Message());
    if (view.Result() == 0)
        view.SetResult(static_cast<LRESULT>(SkinData->QueryBackgroundColor(false, CtrlHandle)));
}

void TacScrollWnd::BackgroundInfoCommand(ks::SkinCommandView view)
{
    CallPrev(view.Message());
    if (auto* info = view.Pointer<BackgroundInfo>(); info && info->BackgroundKind == BgKindNone)
        SkinData->AnswerBackgroundInfo(*info, SkinData->HasFocus || SkinData->MouseIsAbove, CtrlHandle);
}

void TacScrollWnd::NewSkinCommand(ks::SkinCommandView view)
{
    if (!OwnManager(view.Message(), SkinData))
        return;
    SkinData->RefreshIndexes();
    BroadcastMessage(dynamic_cast<TWinControl*>(SkinData->OwnerControl), CtrlHandle, view.Message());
}

void TacScrollWnd::RemoveSkinCommand(ks::SkinCommandView view)
{
    if (OwnManager(view.Message(), SkinData))
        RestoreControlColors();
}

void TacScrollWnd::RefreshCommand(ks::SkinCommandView view)
{
    if (!OwnManager(view.Message(), SkinData))
        return;
    SkinData->RefreshIndexes();
    SkinData->BackgroundChanged = true;
}

void TacScrollWnd::ParentUpdatedCommand()
{
    if (!SkinData->UpdateLock || FrameBeingSetUp(*SkinData))
        return;
    if (!ks::adapters::StillUpdating(*SkinData))
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

bool TacScrollWnd::BarMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_MOUSEMOVE: return Handled(m, HandleMouseMove(this, CtrlHandle, m.WParam, m.LParam));
    case WM_LBUTTONUP: return Handled(m, HandleLButtonUp(this, CtrlHandle, m.WParam, m.LParam));
    case WM_NCMOUSEMOVE: return Handled(m, HandleNcMouseMove(this, CtrlHandle, m.WParam, m.LParam));
    case WM_NCHITTEST: return Handled(m, HandleNcHitTest(this, CtrlHandle, m.WParam, m.LParam));
    case WM_NCCALCSIZE: return Handled(m, HandleNcCalcSize(this, CtrlHandle, m.WParam, m.LParam));
    case WM_NCLBUTTONDOWN: return NcLeftButton(m);
    case WM_NCLBUTTONDBLCLK: return NcLeftButton(m);
    case WM_NCRBUTTONDOWN: return NcOtherButton(m);
    case WM_NCRBUTTONUP: return NcOtherButton(m);
    case WM_NCMBUTTONDOWN: return NcOtherButton(m);
    case WM_NCMBUTTONUP: return NcOtherButton(m);
    case WM_SYSCOMMAND: return WMSysCommand(TWMSysCommand(m));
    case WM_TIMER: return WMTimer(m);
    case WM_NCPAINT: return WMNCPaint(m);
    case WM_STYLECHANGING: return WMStyleChanging(m);
    case WM_STYLECHANGED: return WMStyleChanged(m);
    case WM_CAPTURECHANGED: return CancelPress(m);
    case WM_CANCELMODE: return CancelPress(m);
    case CM_UIACTIVATE: return CMUIActivate(m);
    default: return false;
    }
}

// The bar routines take the message words as the window procedure got them and answer for it.
bool TacScrollWnd::Handled(TMessage& m, LRESULT result)
{
    m.Result = result;
    return true;
}

bool TacScrollWnd::NcLeftButton(TMessage& m)
{
    if (OnBar(m))
        m.Result = HandleNcLButtonDown(this, CtrlHandle, m.WParam, m.LParam);
    else
        CallPrev(m);
    return true;
}

// Other buttons on a bar do nothing; the platform's bar menu never opens.
bool TacScrollWnd::NcOtherButton(TMessage& m)
{
    if (OnBar(m))
        m.Result = 0;
    else
        CallPrev(m);
    return true;
}

bool TacScrollWnd::OnBar(const TMessage& m) const
{
    return m.WParam == HTHSCROLL || m.WParam == HTVSCROLL;
}

// The platform's own tracking of a vertical bar is swallowed.
bool TacScrollWnd::WMSysCommand(TWMSysCommand view)
{
    if ((view.Message().WParam & 0xFFFF) != 0xF077)
        CallPrev(view.Message());
    return true;
}

bool TacScrollWnd::WMTimer(TMessage& m)
{
    m.Result = HandleTimer(this, CtrlHandle, m.WParam, m.LParam);
    if (!Destroyed && !Scrolling && !ThumbTracking)
        RefreshScrollBars(this, true);
    return true;
}

// The platform frame first, so that the skin's bars are what stays on the screen.
bool TacScrollWnd::WMNCPaint(TMessage& m)
{
    CallPrev(m);
    if (!Destroyed && Visible(CtrlHandle)) {
        SkinData->UpdateLock = SkinData->Updating();
        if (!SkinData->UpdateLock && !Scrolling)
            DrawScrollBars(this, CtrlHandle, nullptr, CurrentScrollTracking().PressedHotPortion);
    }
    return true;
}

bool TacScrollWnd::WMStyleChanging(TMessage& m)
{
    if (!StylesHidden)
        CallPrev(m);
    return true;
}

bool TacScrollWnd::WMStyleChanged(TMessage& m)
{
    m.Result = StylesHidden ? 0 : HandleStyleChanged(this, CtrlHandle, m.WParam, m.LParam);
    return true;
}

// A press whose capture is taken away ends now: no repeat keeps scrolling behind a modal box or
// another window's drag.
bool TacScrollWnd::CancelPress(TMessage& m)
{
    if (m.Msg == WM_CANCELMODE || reinterpret_cast<HWND>(m.LParam) != CtrlHandle)
        CancelScrollTracking(this, CtrlHandle);
    CallPrev(m);
    return true;
}

bool TacScrollWnd::CMUIActivate(TMessage& m)
{
    if (WndSize.cx <= 0 && WndSize.cy <= 0)
        return false;
    CallPrev(m);
    if (!Destroyed)
        SetWindowPos(CtrlHandle, nullptr, 0, 0, WndSize.cx, WndSize.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOOWNERZORDER |
                         SWP_NOSENDCHANGING);
    return true;
}

// What the bars do not consume goes to the window; the bars follow a wheel, a focus change or a
// scroll state the window changed on its own.
void TacScrollWnd::PassOn(TMessage& m)
{
    const bool skinned = SkinData && SkinData->IsSkinActive();
    CallPrev(m);
    if (!skinned || Destroyed)
        return;
    if (((m.Msg == WM_MOUSEWHEEL || m.Msg == CM_MOUSEWHEEL) && !Scrolling) || m.Msg == CM_FOCUSCHANGED ||
        (!Scrolling && !ThumbTracking && BarsMoved()))
        RefreshScrollBars(this, true);
}

bool TacScrollWnd::BarsMoved() const
{
    // Wine: a window that sets its scroll state with redraw (an edit scrolled by EM_LINESCROLL,
    // EM_SCROLLCARET, new text ...) has the platform draw its own bar into the frame at once,
    // outside any paint message; Windows draws it as well while the scroll style is set. The
    // skin's bar is drawn again over it whenever the state changed.
    for (const TacScrollBar* bar : {HBar.get(), VBar.get()}) {
        if (!bar || !bar->ScrollVisible)
            continue;
        SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
        if (!GetScrollInfo(CtrlHandle, bar->BarType, &si))
            continue;
        const SCROLLINFO& was = bar->ScrollInfo;
        if (si.nMin != was.nMin || si.nMax != was.nMax || si.nPage != was.nPage || si.nPos != was.nPos)
            return true;
    }
    return false;
}

// ---- TacBaseWnd ----------------------------------------------------------------------------------

void TacBaseWnd::AdapterWndProc(TMessage& m)
{
    BaseWndProc(m);
}

void TacBaseWnd::BaseWndProc(TMessage& m)
{
    if (Destroyed || !SkinData || !SkinData->IsSkinActive()) {
        ScrollWndProc(m);
        return;
    }
    if (m.Msg == SM_SKINCMD && BaseSkinCommand(ks::SkinCommandView(m)))
        return;
    switch (m.Msg) {
    case WM_SIZE: SkinData->BackgroundChanged = true; break;
    case WM_SETCURSOR: CallPrev(m); return;
    case SwallowedAfterScroll: return;
    default: break;
    }
    ScrollWndProc(m);
    if (!Destroyed)
        AfterScrollWindow(m);
}

// A refresh repaints the frame at once; a cache request is answered, then goes on.
bool TacBaseWnd::BaseSkinCommand(ks::SkinCommandView view)
{
    switch (view.Command()) {
    case SKC_REFRESH: return RefreshCommand(view);
    case SKC_PREPARE_CACHE: PrepareWindowCache(SkinData, CtrlHandle, false); return false;
    default: return false;
    }
}

bool TacBaseWnd::RefreshCommand(ks::SkinCommandView view)
{
    if (!OwnManager(view.Message(), SkinData))
        return false;
    ScrollWndProc(view.Message());
    if (!Destroyed && Visible(CtrlHandle))
        SendMessageW(CtrlHandle, WM_NCPAINT, 0, 0);
    return true;
}

void TacBaseWnd::AfterScrollWindow(const TMessage& m)
{
    switch (m.Msg) {
    case WM_SIZE: RefreshBarsUnlessScrolling(); break;
    case WM_HSCROLL: RefreshBarsUnlessScrolling(); break;
    case WM_VSCROLL: RefreshBarsUnlessScrolling(); break;
    case WM_ENABLE: RepaintFrame(); break;
    case CM_ENABLEDCHANGED: RepaintFrame(); break;
    default: break;
    }
}

void TacBaseWnd::RefreshBarsUnlessScrolling()
{
    if (!Scrolling)
        RefreshScrollBars(this, true);
}

void TacBaseWnd::RepaintFrame()
{
    if (Visible(CtrlHandle))
        SendMessageW(CtrlHandle, WM_NCPAINT, 0, 0);
}

// ---- TacEditWnd ----------------------------------------------------------------------------------

TacEditWnd::TacEditWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacBaseWnd(handle, skinData, manager, section.empty() ? std::string("EDIT") : section)
{
    SkinData->SetSkinSection(DefaultSection());
}

void TacEditWnd::InstallHook(bool repaint)
{
    // A control that has the focus when it is taken over, as when a form gets its provider
    // late, hears no WM_SETFOCUS of ours: its frame shows the focus from the first paint.
    if (dynamic_cast<TWinControl*>(SkinData->OwnerControl))
        SkinData->HasFocus = CtrlHandle && GetFocus() == CtrlHandle;
    TacBaseWnd::InstallHook(repaint);
}

void TacEditWnd::SaveControlColors()
{
    TControl* owner = SkinData ? SkinData->OwnerControl : nullptr;
    if (!owner)
        return;
    SavedColor = owner->Color();
    SavedFontColor = owner->Font()->Color();
    if (PropertyExists(owner, "FocusColor"))
        SavedFocusColor = static_cast<TColor>(ReadIntProperty(owner, "FocusColor"));
}

void TacEditWnd::RestoreControlColors()
{
    if (Visible(CtrlHandle))
        SetWindowPos(CtrlHandle, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    TControl* owner = SkinData ? SkinData->OwnerControl : nullptr;
    if (!owner || Destroying(owner))
        return;
    owner->SetColor(SavedColor);
    owner->Font()->SetColor(SavedFontColor);
    if (SavedFocusColor != clNone)
        WriteIntPropertyIfAny(owner, "FocusColor", static_cast<int>(SavedFocusColor));
}

void TacEditWnd::ApplySkinColors()
{
    const bool was = StylesHidden;
    StylesHidden = true;
    ParamsApplied = true;
    const TsGeneralData* section = SkinData ? SkinData->Section() : nullptr;
    if (TControl* owner = SkinData ? SkinData->OwnerControl : nullptr) {
        if (!SkinData->CustomColor()) {
            const TColor c = SkinData->QueryBackgroundColor(SkinData->HasFocus || SkinData->MouseIsAbove, CtrlHandle);
            if (PropertyExists(owner, "FocusColor")) {
                WriteIntPropertyIfAny(owner, "Color", static_cast<int>(c));
                WriteIntPropertyIfAny(owner, "FocusColor", static_cast<int>(c));
            } else if (owner->Color() != c) {
                owner->SetColor(c);
            }
        }
        if (!SkinData->CustomFont() && section && owner->Font()->Color() != section->HotFontColor[0])
            owner->Font()->SetColor(section->HotFontColor[0]);
    } else {
        WndColor = !DlgMode && section ? section->Color : clWindow;
    }
    if (SkinData)
        SkinData->BackgroundChanged = true;
    StylesHidden = was;
}

void TacEditWnd::RebuildCache()
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    if (!SkinData->BackgroundChanged)
        return;
    if (!ParamsApplied)
        ApplySkinColors();
    PrepareWindowCache(SkinData, CtrlHandle, DlgMode);
    if (!DlgMode)
        DrawWndBorder(SkinData, nullptr, this);
}

void TacEditWnd::PaintFrame(HDC dc, int hotPart)
{
    // The cache is laid out in window coordinates from the window's rectangle, left to right.
    ks::UnmirroredDC unmirrored(dc);
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (cache && !cache->Empty())
        CopyFrameStrips(dc, 0, 0, WndSize.cx, WndSize.cy, cache->Canvas().Handle(), 0, 0, FrameBand());
    DrawScrollBars(this, CtrlHandle, dc, hotPart);
}

int TacEditWnd::FrameBand() const
{
    auto* edit = dynamic_cast<TCustomEdit*>(SkinData->OwnerControl);
    return BorderLeft + (edit ? ks::PlatformEditBorder(*edit) : 0);
}

TPoint TacEditWnd::ClientOffset() const
{
    const bool barLeft = VScrollOnScreenLeft(this) && VBar && VBar->ScrollVisible;
    return {BorderLeft + (barLeft ? GetScrollMetric(VBar.get(), ScrollMetric::Thickness, false) : 0), BorderTop};
}

void TacEditWnd::CoverClientBorder(HDC dc)
{
    auto* edit = dynamic_cast<TCustomEdit*>(SkinData->OwnerControl);
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (!edit || ks::PlatformEditBorder(*edit) == 0 || !cache || cache->Empty())
        return;
    // Only the client area: the bars in the non-client area stay as they were drawn.
    const TRect window = ks::adapters::WindowRectOf(CtrlHandle);
    const TRect client = ks::adapters::ClientRectOnScreen(CtrlHandle);
    ks::UnmirroredDC unmirrored(dc);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, client.Left - window.Left, client.Top - window.Top, client.Right - window.Left,
                      client.Bottom - window.Top);
    CopyFrameStrips(dc, 0, 0, WndSize.cx, WndSize.cy, cache->Canvas().Handle(), 0, 0, FrameBand());
    RestoreDC(dc, saved);
}

void TacEditWnd::PrintWindowTo(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    SkinData->SetUpdating(false);
    SkinData->BackgroundChanged = true;
    RebuildCache();
    if (!dc) {
        CallPrev(m);
        return;
    }
    PaintFrame(dc, CurrentScrollTracking().PressedHotPortion);
    if (Destroyed)
        return;
    RECT client{};
    GetClientRect(CtrlHandle, &client);
    const int saved = SaveDC(dc);
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    const TPoint offset = ClientOffset();
    SetViewportOrgEx(dc, origin.x + offset.X, origin.y + offset.Y, nullptr);
    IntersectClipRect(dc, 0, 0, client.right, client.bottom);
    // A control that paints only on WM_PAINT takes the DC from it; one that answers only
    // WM_PRINTCLIENT (the platform's own classes) from that.
    SendMessageW(CtrlHandle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(CtrlHandle, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(CtrlHandle, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_OWNED);
    RestoreDC(dc, saved);
    if (Destroyed)
        return;
    CoverClientBorder(dc);
    // The frame and the client are the skin's; only children and owned windows are printed on.
    m.LParam &= ~static_cast<LPARAM>(PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
    if (m.LParam & (PRF_CHILDREN | PRF_OWNED))
        CallPrev(m);
}

void TacEditWnd::AdapterWndProc(TMessage& m)
{
    if (Destroyed || !SkinData || !SkinData->IsSkinActive()) {
        BaseWndProc(m);
        return;
    }
    if (EditMessage(m))
        return;
    BaseWndProc(m);
    if (!Destroyed)
        FollowUp(m);
}

bool TacEditWnd::EditMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_NCPAINT: return WMNCPaint(m);
    case WM_PAINT: return WMPaint(m);
    case WM_ERASEBKGND: return WMEraseBkgnd(m);
    case WM_PRINT: PrintWindowTo(m); return true;
    case CM_FONTCHANGED: return CMFontChanged(m);
    case SM_SKINCMD: return EditSkinCommand(ks::SkinCommandView(m));
    default: return false;
    }
}

bool TacEditWnd::WMNCPaint(TMessage& m)
{
    if (!Visible(CtrlHandle)) {
        CallPrev(m);
        return true;
    }
    if (PaintLock)
        return true;
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    SkinData->UpdateLock = SkinData->Updating();
    if (SkinData->UpdateLock)
        return true;
    RebuildCache();
    ks::WindowDC dc(CtrlHandle, ks::WindowDC::WholeWindow);
    PaintFrame(dc.get(), CurrentScrollTracking().PressedHotPortion);
    return true;
}

bool TacEditWnd::WMPaint(TMessage& m)
{
    if (!Visible(CtrlHandle)) {
        CallPrev(m);
        return true;
    }
    SkinData->UpdateLock = SkinData->Updating();
    if (SkinData->UpdateLock || (PaintLock && !TWMPaint(m).DC())) {
        ks::PaintDC validate(CtrlHandle);
        return true;
    }
    if (!ParamsApplied)
        ApplySkinColors();
    CallPrev(m);
    if (Destroyed || !Visible(CtrlHandle))
        return true;
    // Drawn after the window's own painting. Wine: a list view lays out its items at its first
    // paint and sets its scroll state there, which draws the platform's bar into the frame.
    // A drag draws its own bar; between its steps the bars stand as drawn.
    if (!ThumbTracking)
        DrawScrollBars(this, CtrlHandle, nullptr, CurrentScrollTracking().PressedHotPortion);
    if (!Destroyed && !TWMPaint(m).DC()) {
        ks::WindowDC dc(CtrlHandle, ks::WindowDC::WholeWindow);
        CoverClientBorder(dc.get());
    }
    return true;
}

bool TacEditWnd::WMEraseBkgnd(TMessage& m)
{
    if (!Visible(CtrlHandle)) {
        CallPrev(m);
        return true;
    }
    if (SkinData->Updating()) {
        m.Result = 1;
        return true;
    }
    if (!ParamsApplied)
        ApplySkinColors();
    if (ks::Sys().Win32MajorVersion() >= 6 && PaintLock && TWMEraseBkgnd(m).DC() != CaptureDC) {
        m.Result = 1;
        return true;
    }
    CallPrev(m);
    return true;
}

bool TacEditWnd::CMFontChanged(TMessage& m)
{
    RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    CallPrev(m);
    return true;
}

bool TacEditWnd::EditSkinCommand(ks::SkinCommandView view)
{
    switch (view.Command()) {
    case SKC_GET_SKIN_INDEX: return Handled(view.Message(), SkinData->SkinIndex + 1);
    case SKC_GET_APPLICATION: return Handled(view.Message(), reinterpret_cast<LRESULT>(Application));
    case SKC_PREPARE_CACHE: return PrepareCacheCommand();
    case SKC_REFRESH: return EditRefreshCommand(view);
    case SKC_PARENT_UPDATED: return EditParentUpdatedCommand(view);
    case SKC_IS_SKINNED: return Handled(view.Message(), 1);
    default: return false;
    }
}

bool TacEditWnd::PrepareCacheCommand()
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    PrepareWindowCache(SkinData, CtrlHandle, DlgMode);
    DrawWndBorder(SkinData, nullptr, this);
    return true;
}

bool TacEditWnd::EditRefreshCommand(ks::SkinCommandView view)
{
    if (!OwnManager(view.Message(), SkinData)) {
        CallPrev(view.Message());
        return true;
    }
    BaseWndProc(view.Message());
    if (!Destroyed)
        ApplySkinColors();
    return true;
}

bool TacEditWnd::EditParentUpdatedCommand(ks::SkinCommandView view)
{
    if (SkinData->UpdateLock) {
        if (!ks::adapters::StillUpdating(*SkinData))
            RedrawWindow(CtrlHandle, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    }
    CallPrev(view.Message());
    return true;
}

void TacEditWnd::FollowUp(const TMessage& m)
{
    switch (m.Msg) {
    case CM_MOUSEENTER: HoverChange(true); break;
    case CM_MOUSELEAVE: HoverChange(false); break;
    case WM_SETFOCUS: FocusChange(true); break;
    case WM_KILLFOCUS: FocusChange(false); break;
    case WM_MOUSEMOVE: WMMouseMove(); break;
    case WM_SIZE: RepaintFrame(); break;
    case WM_KEYDOWN: RefreshBarsUnlessScrolling(); break;
    case WM_KEYUP: RefreshBarsUnlessScrolling(); break;
    case WM_LBUTTONDOWN: RefreshBarsUnlessScrolling(); break;
    case CN_KEYDOWN: RefreshBarsUnlessScrolling(); break;
    case CN_KEYUP: RefreshBarsUnlessScrolling(); break;
    case EM_REPLACESEL: RefreshScrollBars(this, true); break;
    case LB_ADDSTRING: RefreshScrollBars(this, true); break;
    case LB_INSERTSTRING: RefreshScrollBars(this, true); break;
    case LB_SETCURSEL: RefreshScrollBars(this, true); break;
    case LB_SETTOPINDEX: RefreshScrollBars(this, true); break;
    default: break;
    }
}

void TacEditWnd::RedrawFrame()
{
    SkinData->BackgroundChanged = true;
    RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

void TacEditWnd::HoverChange(bool entered)
{
    if (BorderMaskHasStates(SkinData)) {
        SkinData->MouseIsAbove = entered;
        RedrawFrame();
    }
    if (entered && SkinData->ControlKind == ckProviderAdapted)
        SkinData->RefreshGlowEffect(false, CtrlHandle);
    else if (!entered)
        SkinData->HideGlow();
}

void TacEditWnd::FocusChange(bool focused)
{
    if (!dynamic_cast<TWinControl*>(SkinData->OwnerControl))
        return;
    SkinData->HasFocus = focused;
    RedrawFrame();
}

void TacEditWnd::WMMouseMove()
{
    if (DefaultSkinManager && IsWindowEnabled(CtrlHandle) && DefaultSkinManager->ActiveControl != CtrlHandle)
        DefaultSkinManager->SetActiveControl(CtrlHandle);
    if (!Destroyed && GetCapture() == CtrlHandle && !PaintLock)
        RefreshScrollBars(this, true);
}

// ---- attaching by skin state -----------------------------------------------------------------------

namespace {

template <class T>
void InitHandler(TsCommonData* skinData, TacMainWnd*& handler, bool flatBars)
{
    auto* owner = skinData ? dynamic_cast<TWinControl*>(skinData->OwnerControl) : nullptr;
    if (!owner)
        return;
    if (skinData->IsSkinActive()) {
        if (flatBars && ks::Sys().UninitializeFlatSBPtr && owner->HandleAllocated())
            ks::Sys().UninitializeFlatSBPtr(owner->Handle());
        if (handler && handler->Destroyed) {
            handler->Free();
            handler = nullptr;
        }
        if (!handler && owner->HandleAllocated())
            handler = TacMainWnd::Create<T>(owner->Handle(), skinData, skinData->SkinManager(), skinData->SkinSection(), true);
    } else {
        if (handler) {
            handler->Free();
            handler = nullptr;
        }
        if (flatBars && ks::Sys().InitializeFlatSBPtr && owner->HandleAllocated())
            ks::Sys().InitializeFlatSBPtr(owner->Handle());
    }
}

} // namespace

void InitScrollHandler(TsCommonData* skinData, TacMainWnd*& handler)
{
    TControl* owner = skinData ? skinData->OwnerControl : nullptr;
    if (!owner || Loading(owner) || Destroying(owner))
        return;
    InitHandler<TacScrollWnd>(skinData, handler, true);
}

void InitEditHandler(TsCommonData* skinData, TacMainWnd*& handler)
{
    InitHandler<TacEditWnd>(skinData, handler, false);
}
