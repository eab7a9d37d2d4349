#include "skin/adapters/ScrollWindowAdapters.h"

#include "skin/core/DeviceContextRoutines.h"
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
#include "vcl/WinControl.h"

namespace {

// Messages of the class library the adapters react to by number (vcl/Messages.h names most).
constexpr UINT SwallowedAfterScroll = 0x2100;

bool Visible(HWND wnd) noexcept
{
    return wnd && IsWindowVisible(wnd);
}

bool OwnManager(const TMessage& m, const TsCommonData* data) noexcept
{
    return data && ks::SkinCommandView(const_cast<TMessage&>(m)).Manager() == data->SkinManager();
}

bool Loading(const TComponent* c) noexcept
{
    return c && c->ComponentState().Contains(csLoading);
}

bool Destroying(const TComponent* c) noexcept
{
    return c && c->ComponentState().Contains(csDestroying);
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
    switch (m.Msg) {
    case WM_DESTROY:
    case WM_NCDESTROY:
        // The press and the hover of a window going away end with it.
        ForgetScrollWindow(this, CtrlHandle);
        CallPrev(m);
        if (Hooked()) {
            TacMainWnd* self = this;
            if (SkinData && SkinData->OwnerControl)
                RemoveScrollBarsHandler(CtrlHandle, false, false, self);
            else
                RemoveScrollWndHandler(CtrlHandle, false, false, self);
        }
        return;
    case WM_UPDATEUISTATE: return;
    default: break;
    }
    const bool skinned = SkinData && SkinData->IsSkinActive();
    if (m.Msg == SM_SKINCMD) {
        const ks::SkinCommandView view(m);
        const bool own = OwnManager(m, SkinData);
        if (!skinned) {
            if (view.Command() == SKC_NEW_SKIN && own)
                SkinData->RefreshIndexes();
            CallPrev(m);
            return;
        }
        switch (view.Command()) {
        case SKC_IS_SKINNED: m.Result = 1; return;
        case SKC_SET_UPDATING: SkinData->SetUpdating(view.Argument() == 1); break;
        case SKC_GET_BG_COLOR:
            CallPrev(m);
            if (m.Result == 0)
                m.Result = static_cast<LRESULT>(SkinData->QueryBackgroundColor(false, CtrlHandle));
            return;
        case SKC_GET_BG_INFO:
            CallPrev(m);
            if (auto* info = view.Pointer<BackgroundInfo>(); info && info->BackgroundKind == BgKindNone)
                SkinData->AnswerBackgroundInfo(*info, SkinData->HasFocus || SkinData->MouseIsAbove, CtrlHandle);
            return;
        case SKC_GET_APPLICATION: m.Result = reinterpret_cast<LRESULT>(Application); return;
        case SKC_NEW_SKIN:
            if (own) {
                SkinData->RefreshIndexes();
                BroadcastMessage(dynamic_cast<TWinControl*>(SkinData->OwnerControl), CtrlHandle, m);
            }
            break;
        case SKC_REMOVE_SKIN:
            if (own)
                RestoreControlColors();
            break;
        case SKC_REFRESH:
            if (own) {
                SkinData->RefreshIndexes();
                SkinData->BackgroundChanged = true;
            }
            break;
        case SKC_PARENT_UPDATED:
            if (SkinData->UpdateLock) {
                SkinData->SetUpdating(false);
                SkinData->SetUpdating(SkinData->Updating());
                if (!SkinData->UpdateLock)
                    RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
            }
            break;
        default: break;
        }
        CallPrev(m);
        return;
    }
    if (!skinned) {
        CallPrev(m);
        return;
    }
    const bool onBar = m.WParam == HTHSCROLL || m.WParam == HTVSCROLL;
    switch (m.Msg) {
    case WM_MOUSEMOVE: m.Result = HandleMouseMove(this, CtrlHandle, m.WParam, m.LParam); return;
    case WM_LBUTTONUP: m.Result = HandleLButtonUp(this, CtrlHandle, m.WParam, m.LParam); return;
    case WM_NCMOUSEMOVE: m.Result = HandleNcMouseMove(this, CtrlHandle, m.WParam, m.LParam); return;
    case WM_NCHITTEST: m.Result = HandleNcHitTest(this, CtrlHandle, m.WParam, m.LParam); return;
    case WM_NCCALCSIZE: m.Result = HandleNcCalcSize(this, CtrlHandle, m.WParam, m.LParam); return;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (onBar)
            m.Result = HandleNcLButtonDown(this, CtrlHandle, m.WParam, m.LParam);
        else
            CallPrev(m);
        return;
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP:
        if (onBar)
            m.Result = 0;
        else
            CallPrev(m);
        return;
    case WM_SYSCOMMAND:
        // The platform's own tracking of a vertical bar.
        if ((m.WParam & 0xFFFF) == 0xF077)
            return;
        CallPrev(m);
        return;
    case WM_TIMER:
        m.Result = HandleTimer(this, CtrlHandle, m.WParam, m.LParam);
        if (!Destroyed && !Scrolling && !ThumbTracking)
            RefreshScrollBars(this, true);
        return;
    case WM_NCPAINT:
        // The platform frame first, so that the skin's bars are what stays on the screen.
        CallPrev(m);
        if (!Destroyed && Visible(CtrlHandle)) {
            SkinData->UpdateLock = SkinData->Updating();
            if (!SkinData->UpdateLock && !Scrolling)
                DrawScrollBars(this, CtrlHandle, nullptr, CurrentScrollTracking().PressedHotPortion);
        }
        return;
    case WM_STYLECHANGING:
        if (StylesHidden)
            return;
        CallPrev(m);
        return;
    case WM_STYLECHANGED:
        if (StylesHidden) {
            m.Result = 0;
            return;
        }
        m.Result = HandleStyleChanged(this, CtrlHandle, m.WParam, m.LParam);
        return;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        // A press whose capture is taken away ends now: no repeat keeps scrolling behind a
        // modal box or another window's drag.
        if (m.Msg == WM_CANCELMODE || reinterpret_cast<HWND>(m.LParam) != CtrlHandle)
            CancelScrollTracking(this, CtrlHandle);
        CallPrev(m);
        return;
    case CM_UIACTIVATE:
        if (WndSize.cx > 0 || WndSize.cy > 0) {
            CallPrev(m);
            if (!Destroyed)
                SetWindowPos(CtrlHandle, nullptr, 0, 0, WndSize.cx, WndSize.cy,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOOWNERZORDER |
                                 SWP_NOSENDCHANGING);
            return;
        }
        break;
    default: break;
    }
    CallPrev(m);
    if (Destroyed)
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
    if (m.Msg == SM_SKINCMD) {
        const ks::SkinCommandView view(m);
        if (view.Command() == SKC_REFRESH && OwnManager(m, SkinData)) {
            ScrollWndProc(m);
            if (!Destroyed && Visible(CtrlHandle))
                SendMessageW(CtrlHandle, WM_NCPAINT, 0, 0);
            return;
        }
        if (view.Command() == SKC_PREPARE_CACHE)
            PrepareWindowCache(SkinData, CtrlHandle, false);
    }
    switch (m.Msg) {
    case WM_SIZE: SkinData->BackgroundChanged = true; break;
    case WM_SETCURSOR: CallPrev(m); return;
    case SwallowedAfterScroll: return;
    default: break;
    }
    ScrollWndProc(m);
    if (Destroyed)
        return;
    switch (m.Msg) {
    case WM_SIZE:
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (!Scrolling)
            RefreshScrollBars(this, true);
        break;
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
        if (Visible(CtrlHandle))
            SendMessageW(CtrlHandle, WM_NCPAINT, 0, 0);
        break;
    default: break;
    }
}

// ---- TacEditWnd ----------------------------------------------------------------------------------

TacEditWnd::TacEditWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacBaseWnd(handle, skinData, manager, section.empty() ? std::string("EDIT") : section)
{
    SkinData->SetSkinSection(DefaultSection());
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

void TacEditWnd::PaintFrame(HDC dc)
{
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (cache && !cache->Empty())
        CopyFrameStrips(dc, 0, 0, WndSize.cx, WndSize.cy, cache->Canvas().Handle(), 0, 0, BorderLeft);
    DrawScrollBars(this, CtrlHandle, dc, CurrentScrollTracking().PressedHotPortion);
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
    PaintFrame(dc);
    if (Destroyed)
        return;
    RECT client{};
    GetClientRect(CtrlHandle, &client);
    const int saved = SaveDC(dc);
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    const int left = BorderLeft + (LeftScrollBar && VBar && VBar->ScrollVisible
                                       ? GetScrollMetric(VBar.get(), ScrollMetric::Thickness, false)
                                       : 0);
    SetViewportOrgEx(dc, origin.x + left, origin.y + BorderTop, nullptr);
    IntersectClipRect(dc, 0, 0, client.right, client.bottom);
    SendMessageW(CtrlHandle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageW(CtrlHandle, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    RestoreDC(dc, saved);
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
    switch (m.Msg) {
    case WM_NCPAINT: {
        if (!Visible(CtrlHandle)) {
            CallPrev(m);
            return;
        }
        if (PaintLock)
            return;
        GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
        SkinData->UpdateLock = SkinData->Updating();
        if (SkinData->UpdateLock)
            return;
        RebuildCache();
        ks::WindowDC dc(CtrlHandle, ks::WindowDC::WholeWindow);
        PaintFrame(dc.get());
        return;
    }
    case WM_PAINT: {
        if (!Visible(CtrlHandle)) {
            CallPrev(m);
            return;
        }
        SkinData->UpdateLock = SkinData->Updating();
        if (SkinData->UpdateLock || (PaintLock && !m.WParam)) {
            ks::PaintDC validate(CtrlHandle);
            return;
        }
        // A drag draws its own bar; between its steps the bars stand as drawn.
        if (!ThumbTracking)
            DrawScrollBars(this, CtrlHandle, nullptr, CurrentScrollTracking().PressedHotPortion);
        if (!ParamsApplied)
            ApplySkinColors();
        CallPrev(m);
        return;
    }
    case WM_ERASEBKGND:
        if (!Visible(CtrlHandle)) {
            CallPrev(m);
            return;
        }
        if (SkinData->Updating()) {
            m.Result = 1;
            return;
        }
        if (!ParamsApplied)
            ApplySkinColors();
        if (ks::Sys().Win32MajorVersion() >= 6 && PaintLock && reinterpret_cast<HDC>(m.WParam) != CaptureDC) {
            m.Result = 1;
            return;
        }
        CallPrev(m);
        return;
    case WM_PRINT: PrintWindowTo(m); return;
    case CM_FONTCHANGED:
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
        CallPrev(m);
        return;
    default: break;
    }
    if (m.Msg == SM_SKINCMD) {
        const ks::SkinCommandView view(m);
        switch (view.Command()) {
        case SKC_GET_SKIN_INDEX: m.Result = SkinData->SkinIndex + 1; return;
        case SKC_GET_APPLICATION: m.Result = reinterpret_cast<LRESULT>(Application); return;
        case SKC_PREPARE_CACHE:
            GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
            PrepareWindowCache(SkinData, CtrlHandle, DlgMode);
            DrawWndBorder(SkinData, nullptr, this);
            return;
        case SKC_REFRESH:
            if (!OwnManager(m, SkinData)) {
                CallPrev(m);
                return;
            }
            BaseWndProc(m);
            if (!Destroyed)
                ApplySkinColors();
            return;
        case SKC_PARENT_UPDATED:
            if (SkinData->UpdateLock) {
                SkinData->SetUpdating(false);
                SkinData->SetUpdating(SkinData->Updating());
                if (!SkinData->UpdateLock)
                    RedrawWindow(CtrlHandle, nullptr, nullptr,
                                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
            }
            CallPrev(m);
            return;
        case SKC_IS_SKINNED: m.Result = 1; return;
        default: break;
        }
    }
    BaseWndProc(m);
    if (!Destroyed)
        FollowUp(m);
}

void TacEditWnd::FollowUp(const TMessage& m)
{
    TControl* owner = SkinData->OwnerControl;
    auto* windowed = dynamic_cast<TWinControl*>(owner);
    auto redrawFrame = [&] {
        SkinData->BackgroundChanged = true;
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    };
    switch (m.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        if (BorderMaskHasStates(SkinData)) {
            SkinData->MouseIsAbove = m.Msg == CM_MOUSEENTER;
            redrawFrame();
        }
        if (m.Msg == CM_MOUSEENTER && SkinData->ControlKind == ckProviderAdapted)
            SkinData->RefreshGlowEffect(false, CtrlHandle);
        else if (m.Msg == CM_MOUSELEAVE)
            SkinData->HideGlow();
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (windowed) {
            SkinData->HasFocus = m.Msg == WM_SETFOCUS;
            redrawFrame();
        }
        break;
    case WM_MOUSEMOVE:
        if (DefaultSkinManager && IsWindowEnabled(CtrlHandle) && DefaultSkinManager->ActiveControl != CtrlHandle)
            DefaultSkinManager->SetActiveControl(CtrlHandle);
        if (!Destroyed && GetCapture() == CtrlHandle && !PaintLock)
            RefreshScrollBars(this, true);
        break;
    case WM_SIZE:
        if (Visible(CtrlHandle))
            SendMessageW(CtrlHandle, WM_NCPAINT, 0, 0);
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_LBUTTONDOWN:
    case CN_KEYDOWN:
    case CN_KEYUP:
        if (!Scrolling)
            RefreshScrollBars(this, true);
        break;
    case EM_REPLACESEL:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_SETCURSEL:
    case LB_SETTOPINDEX: RefreshScrollBars(this, true); break;
    default: break;
    }
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
