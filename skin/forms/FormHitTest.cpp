// The form provider's answers to the mouse on a skinned form's frame: the non-client hit test,
// title-button presses and releases, double clicks and the right button on the caption, the
// provider's own outline moving and sizing (rmBorder), and snapping a moved form to the work
// area.
//
// The outline drag state is process-wide: one drag runs at a time, on the one UI thread.
#include "skin/forms/sSkinProvider.h"

#include "skin/core/ComponentWatch.h"
#include "skin/core/WinRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sConst.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/forms/FormFrameGeometry.h"
#include "skin/forms/FrameDragState.h"
#include "skin/forms/FrameTracking.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/sMDIForm.h"
#include "skin/forms/acBorderForm.h"
#include "skin/adapters/ScrollWindowAdapters.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"

#include <algorithm>
#include <array>

bool SizingActive = false;
bool FirstMove = false;
bool MovingWindow = false;
int SizingHitCode = 0;
TRect SizingRect{0, 0, 0, 0};
TPoint LastCursor{0, 0};
int MinTrackHeight = 0;
int MinTrackWidth = 0;
bool MDIMaximizedChild = false;

namespace {

// Not in the platform headers: a move started by a click that is not on the caption.
constexpr WPARAM SC_DRAGMOVE = 0xF012;
// The border window's code for its own frame, passed on untouched.
constexpr int HTBORDERWINDOW = 19;

bool Inside(const TRect& r, TPoint p) noexcept
{
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

TPoint CursorOf(const TMessage& m) noexcept
{
    return {static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
}

TPoint CursorNow() noexcept
{
    POINT p{};
    ks::Sys().GetCursorPos(&p);
    return {p.x, p.y};
}

// One shown system title button with the code a point on it answers.
struct ShownButton {
    const TitleButtonRec* Rec;
    int Code;
};

// The shown system buttons in the order they are counted: close, maximise, minimise, help. One
// ordered list serves both counting and mapping, so that a hidden maximise button cannot shift
// the help button onto the minimise button's code.
int ShownSystemButtons(TsSkinProvider& p, std::array<ShownButton, 4>& out)
{
    TsSystemMenu* menu = p.SystemMenu;
    if (!menu || !menu->VisibleClose())
        return 0;
    const bool iconic = IsIconic(p.FormWnd());
    int n = 0;
    out[n++] = {&p.ButtonClose, HTCLOSE};
    if (menu->VisibleMax())
        out[n++] = {&p.ButtonMax, menu->EnabledMax() || (menu->EnabledRestore() && !iconic) ? HTMAXBUTTON : HTCAPTION};
    if (menu->VisibleMin() || iconic)
        out[n++] = {&p.ButtonMin, iconic || menu->EnabledMin() ? HTMINBUTTON : HTCAPTION};
    if (p.Form->BorderIcons().Contains(biHelp))
        out[n++] = {&p.ButtonHelp, HTHELP};
    return n;
}

TsTitleButton* UserButtonOf(TsSkinProvider& p, int code)
{
    const int i = code - HTUDBTN;
    if (!p.TitleButtons() || i < 0 || i >= p.TitleButtons()->Count())
        return nullptr;
    return p.TitleButtons()->Items(i);
}

bool IsTitleButtonCode(int code) noexcept
{
    switch (code) {
    case HTMINBUTTON:
    case HTMAXBUTTON:
    case HTCLOSE:
    case HTHELP:
    case HTMDICLOSE:
    case HTMDIMAX:
    case HTMDIMIN: return true;
    default: return false;
    }
}

bool MDIButtonsShown(TsSkinProvider& p)
{
    return MaximizedMDIChild(p.Form) && p.MDIClose.Rect.Width() > 0;
}

// The border window keeps its region and placement after the owner's frame moved.
void UpdateBorderWindow(TsSkinProvider& p)
{
    if (p.BorderForm)
        SendMessageW(p.FormWnd(), SM_SKINCMD, MAKEWPARAM(1, SKC_UPDATE_BORDERS), 0);
}

// A system menu shown from a title-bar click: an MDI child's only while the main form is skinned.
bool MaySysMenu(const TsSkinProvider& p)
{
    return p.Form->FormStyle() != fsMDIChild || MDISkinProvider;
}

void SysMenuBelowIcon(TsSkinProvider& p)
{
    const TRect icon = p.IconRect();
    const TPoint origin = p.FormOrigin();
    p.ShowSkinnedSysMenu(origin.X + icon.Left, origin.Y + icon.Bottom);
}

// The least a sizing drag leaves: the borders around the title buttons and the icon, and the
// title bar over the bottom border; never 0, whatever the form's constraints say.
int MinFrameWidth(TsSkinProvider& p)
{
    HWND wnd = p.FormWnd();
    return 2 * FormBorderWidth(wnd, p.ProviderSkinManager(), p.BorderForm, true) + p.TitleButtonsWidth() +
           p.IconRect().Width() + 1;
}

int MinFrameHeight(TsSkinProvider& p)
{
    HWND wnd = p.FormWnd();
    return BorderWidthIfNoExtBorders(wnd, p.ProviderSkinManager(), p.BorderForm, true) + p.CaptionHeight(true) +
           FormBorderWidth(wnd, p.ProviderSkinManager(), p.BorderForm, true) + 1;
}

// The drag state is cleared however the drag ends, so that a lost drag never makes the next
// button-up of a form move it.
void ResetOutlineDrag() noexcept
{
    SizingActive = false;
    FirstMove = false;
    SizingHitCode = 0;
}

// Ends the running drag: to the outline, or, without apply, where the form stands. The state is
// cleared first, as letting the capture go sends WM_CAPTURECHANGED back.
void FinishOutlineDrag(TsSkinProvider& p, bool apply)
{
    const bool moving = MovingWindow;
    const TRect outline = SizingRect;
    ResetOutlineDrag();
    RECT wr{};
    GetWindowRect(p.FormWnd(), &wr);
    p.DragOutlineEnd(apply ? outline : TRect{wr.left, wr.top, wr.right, wr.bottom}, apply && moving);
}

} // namespace

// The border band is kept from the button-down: a drag begun on the left edge sizes the left one.
void StartOutlineDrag(TsSkinProvider& provider, bool moving, int hitCode)
{
    HWND wnd = provider.FormWnd();
    SetCapture(wnd);
    FirstMove = true;
    MovingWindow = moving;
    SizingHitCode = moving ? 0 : hitCode;
    // The outline stops where the form's constraints would stop the form itself.
    const TSizeConstraints* limits = provider.Form ? provider.Form->Constraints() : nullptr;
    MinTrackWidth = moving || !limits ? 0 : limits->MinWidth();
    MinTrackHeight = moving || !limits ? 0 : limits->MinHeight();
    SizingRect = provider.DragOutlineBegin();
    SizingActive = SizingRect.Width() > 0 && SizingRect.Height() > 0;
    if (!SizingActive && GetCapture() == wnd)
        ReleaseCapture();
}

void CancelOutlineDrag(TsSkinProvider& provider) noexcept
{
    // The running drag is this form's exactly while its window holds the capture.
    HWND wnd = provider.FormWnd();
    if (SizingActive && wnd && GetCapture() == wnd)
        FinishOutlineDrag(provider, false);
}

// ---- hit test --------------------------------------------------------------------------------

// The size grip is hit in its image's cell at the bottom-right corner: when the grip is drawn,
// or when the form's scroll bars leave their square there.
bool TsSkinProvider::GripHit(TPoint at)
{
    TacScrollWnd* bars = ScrollAdapter;
    const bool barsSquare = bars && bars->HBar && bars->VBar && bars->HBar->ScrollVisible && bars->VBar->ScrollVisible;
    if (!IsSizeBox() && !barsSquare)
        return false;
    TsSkinManager* manager = ProviderSkinManager();
    const int grip = manager ? manager->FindMask(manager->FindSection("GLOBALINFO"), "GLOBALINFO", "GRIPIMAGE") : -1;
    if (!manager || !manager->MaskIndexValid(grip))
        return false;
    const TPoint corner = CornerImagePos(grip);
    const TSize cell = manager->MaskCellSize(grip);
    const TRect margins = ExtBorderMargins();
    const TRect r{corner.X - margins.Left, corner.Y - margins.Top, corner.X - margins.Left + cell.cx,
                  corner.Y - margins.Top + cell.cy};
    return Inside(r, at);
}

int TsSkinProvider::ButtonAtPoint(TPoint windowPoint)
{
    if (BorderForm)
        return 0;
    std::array<ShownButton, 4> shown{};
    const int count = ShownSystemButtons(*this, shown);
    // A user button wins over a system button that shares the point.
    int position = count;
    if (FTitleButtons)
        for (int i = 0; i < FTitleButtons->Count(); ++i) {
            TsTitleButton* b = FTitleButtons->Items(i);
            ++position;
            if (b->Visible() && Inside(b->BtnData.Rect, windowPoint))
                return position;
        }
    for (int i = 0; i < count; ++i)
        if (Inside(shown[i].Rec->Rect, windowPoint))
            return i + 1;
    return 0;
}

int TsSkinProvider::ProviderHitTest(TPoint screenPoint)
{
    HWND wnd = FormWnd();
    const TPoint p = ScreenToFormPoint(screenPoint.X, screenPoint.Y);
    std::array<ShownButton, 4> shown{};
    const int count = ShownSystemButtons(*this, shown);
    if (const int position = ButtonAtPoint(p); position > 0) {
        const int code = position > count ? HTUDBTN + position - count - 1 : shown[position - 1].Code;
        if (code != HTCAPTION) {
            SetHotHitCode(code, true);
            return code;
        }
        return HTCAPTION;
    }
    TsSkinManager* manager = ProviderSkinManager();
    if (!IsZoomed(wnd) && (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_THICKFRAME) && !BorderForm) {
        const int b = FormBorderWidth(wnd, manager, false, true);
        const int t = BorderWidthIfNoExtBorders(wnd, manager, false, true);
        if (const int band = ks::BorderBandAt(p.X, p.Y, WndWidth(wnd), WndHeight(wnd), b, t); band != ks::fhNone) {
            SetHotHitCode(HTNOWHERE, true);
            return band;
        }
    }
    const int captionBottom =
        BorderWidthIfNoExtBorders(wnd, manager, BorderForm, true) + CaptionHeight(true);
    const int menuBottom = captionBottom + (MainMenuVisible() ? MenuLineCount() * MenuBarHeight() : 0);
    if (p.Y >= menuBottom)
        return GripHit(p) ? HTBOTTOMRIGHT : HTCLIENT;
    if (p.Y >= captionBottom) {
        if (MDIButtonsShown(*this)) {
            if (Inside(MDIClose.Rect, p))
                return HTMDICLOSE;
            if (Inside(MDIMax.Rect, p))
                return HTMDIMAX;
            if (Inside(MDIMin.Rect, p))
                return HTMDIMIN;
        }
        return HTMENU;
    }
    return TitleIconShown() && Inside(IconRect(), p) ? HTSYSMENU : HTCAPTION;
}

void TsSkinProvider::WMNCHitTest(TMessage& m)
{
    // The lazy preparation has run in the dispatch, before this handler.
    if (CaptionHeight(true) == 0 || !FDrawNonClientArea) {
        CallOld(m);
        return;
    }
    m.Result = ProviderHitTest(CursorOf(m));
    switch (m.Result) {
    case HTNOWHERE:
    case HTCLIENT:
    case HTCAPTION:
    case HTMENU:
        CallOld(m);
        SetHotHitCode(HTNOWHERE, true);
        break;
    default: break;
    }
    if (FResizeMode == rmBorder && SizingHitCode == 0 && ks::IsBorderBand(static_cast<int>(m.Result)))
        SizingHitCode = static_cast<int>(m.Result);
}

int TsSkinProvider::ForwardedHitCode(TMessage& m)
{
    return ::ForwardedHitCode(BorderForm, m);
}

// ---- snapping --------------------------------------------------------------------------------

namespace {

// The work area of the monitor the window is on, or the primary one when no monitor is reported;
// false when the system gives neither (the move is then left alone).
bool WorkAreaOf(HWND wnd, ks::FrameRect& work)
{
    RECT r{};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info))
        r = info.rcWork;
    else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0))
        return false;
    if (r.right <= r.left || r.bottom <= r.top)
        return false;
    work = {r.left, r.top, r.right, r.bottom};
    return true;
}

} // namespace

void TsSkinProvider::WMWindowPosChanging(TMessage& m)
{
    if (InRegionUpdate)
        return;
    auto* pos = reinterpret_cast<WINDOWPOS*>(m.LParam);
    HWND wnd = FormWnd();
    ks::FrameRect work;
    if (pos && FScreenSnap && !IsZoomed(wnd) && !(pos->flags & SWP_NOMOVE) && (pos->x != 0 || pos->y != 0) &&
        WorkAreaOf(wnd, work)) {
        const int width = (pos->flags & SWP_NOSIZE) ? WndWidth(wnd) : pos->cx;
        const int height = (pos->flags & SWP_NOSIZE) ? WndHeight(wnd) : pos->cy;
        // Without a border window the skinned frame fills the window; with one, the skin's frame
        // lies outside the window by the difference of the skin's and the system's measures.
        int marginX = 0;
        int marginY = 0;
        if (BorderForm) {
            marginX = BorderWidthDelta();
            marginY = TitleHeightDelta();
        }
        ks::SnapToWorkArea(pos->x, pos->y, width, height, work, FSnapBuffer, marginX, marginY);
    }
    CallOld(m);
}

// ---- left button -----------------------------------------------------------------------------

void TsSkinProvider::WMNCLButtonDown(TMessage& m)
{
    HWND wnd = FormWnd();
    if (BorderForm && static_cast<int>(m.WParam) == HTBORDERWINDOW) {
        CallOld(m);
        return;
    }
    const int code = ForwardedHitCode(m);
    if (!FDrawNonClientArea) {
        if (code == HTSYSMENU) {
            SetHotHitCode(HTNOWHERE, true);
            if (MaySysMenu(*this))
                SysMenuBelowIcon(*this);
        } else {
            CallOld(m);
        }
        return;
    }
    if (code == HTSYSMENU) {
        SetHotHitCode(HTNOWHERE, true);
        TsSkinManager* manager = ProviderSkinManager();
        if (manager && !manager->SkinnedPopups()) {
            // The wait lets a double click on the icon arrive, which closes the form: the
            // provider may be gone when the pump returns.
            ks::ComponentWatch watch;
            watch.Watch(this);
            WaitMilliseconds(200);
            if (Application)
                Application->ProcessMessages();
            if (!watch.Alive(this) || FSkinData->Updating())
                return;
        }
        if (MaySysMenu(*this))
            SysMenuBelowIcon(*this);
        return;
    }
    if (code == HTMENU) {
        CallOld(m);
        return;
    }
    if (IsTitleButtonCode(code)) {
        TsSystemMenu* sysMenu = SysMenuProvider ? SysMenuProvider->SystemMenu : nullptr;
        if ((code == HTMDIMIN && sysMenu && !sysMenu->EnabledMin()) ||
            (code == HTMDIMAX && sysMenu && !sysMenu->EnabledRestore()))
            return;
        SetPressedHitCode(code);
        return;
    }
    if (TsTitleButton* button = UserButtonOf(*this, code)) {
        SetPressedHitCode(code);
        const TPoint cursor = CursorNow();
        button->MouseDown(mbLeft, {}, cursor.X, cursor.Y);
        return;
    }
    if (IsIconic(wnd)) {
        Form->Perform(WM_SYSCOMMAND, SC_DRAGMOVE, 0);
        return;
    }
    SetHotHitCode(HTNOWHERE, true);
    if (IsZoomed(wnd) && code == HTCAPTION) {
        if (!Screen || Screen->ActiveForm() != Form)
            Form->SetFocus();
        return;
    }
    if (FResizeMode == rmBorder && (code == HTCAPTION || ks::IsBorderBand(code))) {
        // The platform's own modal move loop would run beside the outline: neither the
        // button-down nor SC_MOVE / SC_SIZE reach it in this mode.
        if (!SizingActive)
            StartOutlineDrag(*this, !ks::IsBorderBand(code), code);
        return;
    }
    CallOld(m);
    if (BorderForm && !GetWindow(wnd, GW_OWNER))
        UpdateBorderWindow(*this);
}

void TsSkinProvider::WMNCLButtonUp(TMessage& m)
{
    if (!FDrawNonClientArea) {
        CallOld(m);
        return;
    }
    // A client button-up carries key states, not a hit code: it only ends an outline drag.
    const int code = m.Msg == WM_LBUTTONUP ? HTNOWHERE : ForwardedHitCode(m);
    HWND wnd = FormWnd();
    // The release acts only on the button pressed, with the cursor still over it.
    const bool pressed = TitleButtonPressed && HotHitCode == code;
    ks::ComponentWatch watch;
    watch.Watch(this);
    switch (code) {
    case HTHELP:
        SetHotHitCode(HTNOWHERE, true);
        if (pressed) {
            if (SystemMenu)
                SystemMenu->UpdateItems();
            Form->Perform(WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
        }
        return;
    case HTMINBUTTON:
        SetHotHitCode(HTNOWHERE, true);
        if (!pressed) {
            CallOld(m);
            return;
        }
        if (Application && Application->MainForm() == Form)
            SendMessageW(wnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        else
            SendMessageW(wnd, WM_SYSCOMMAND, IsIconic(wnd) ? SC_RESTORE : SC_MINIMIZE, 0);
        if (watch.Alive(this))
            FSkinData->BackgroundChanged = true;
        return;
    case HTMAXBUTTON: {
        const bool zoomed = IsZoomed(wnd);
        if (!SystemMenu || !(SystemMenu->EnabledMax() || (zoomed && SystemMenu->EnabledRestore())))
            return;
        SetHotHitCode(HTNOWHERE, true);
        if (!pressed) {
            CallOld(m);
            return;
        }
        const bool mdiChild = Form->FormStyle() == fsMDIChild;
        if (mdiChild)
            FSkinData->BeginUpdate();
        if (zoomed) {
            if (mdiChild)
                SysMenuProvider = nullptr;
            else
                Form->SetWindowState(wsNormal);
            SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
            if (watch.Alive(this))
                Form->Repaint();
        } else {
            if (mdiChild)
                SysMenuProvider = nullptr;
            SendMessageW(wnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        }
        if (watch.Alive(this) && SystemMenu)
            SystemMenu->UpdateItems();
        return;
    }
    case HTCLOSE:
        SetHotHitCode(HTNOWHERE, true);
        if (pressed) {
            ButtonClose.State = 0;
            // The close may free the form: nothing of the provider is touched afterwards.
            SendMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return;
    case HTMDICLOSE:
    case HTMDIMAX:
    case HTMDIMIN: {
        SetHotHitCode(HTNOWHERE, true);
        TCustomForm* child = pressed ? Form->ActiveMDIChild() : nullptr;
        if (!child)
            return;
        if (code == HTMDIMIN)
            if (auto* childProvider = dynamic_cast<TsSkinProvider*>(ProviderComponentOf(*child)))
                childProvider->SkinData()->BeginUpdate();
        SendMessageW(child->HandleIfAllocated(), WM_SYSCOMMAND,
                     code == HTMDICLOSE ? SC_CLOSE : code == HTMDIMAX ? SC_RESTORE : SC_MINIMIZE, 0);
        return;
    }
    default: break;
    }
    if (TsTitleButton* button = UserButtonOf(*this, code)) {
        if (pressed) {
            const TPoint cursor = CursorNow();
            button->MouseUp(mbLeft, {}, cursor.X, cursor.Y);
        }
        // A provider freed from the button's OnMouseUp has let the form go: the frame is the
        // system's again and gets no skinned button back.
        if (watch.Alive(this) && !Passive)
            SetHotHitCode(HTNOWHERE, true);
        return;
    }
    if (IsIconic(wnd)) {
        if (MDISkinProvider) {
            const TPoint cursor = CursorNow();
            ShowSkinnedSysMenu(cursor.X, cursor.Y);
        } else {
            CallOld(m);
        }
        return;
    }
    if (FResizeMode == rmBorder && !IsZoomed(wnd) && SizingActive) {
        FinishOutlineDrag(*this, true);
        return;
    }
    CallOld(m);
}

void TsSkinProvider::WMNCLButtonDblClk(TMessage& m)
{
    // A title button has no double click: the system makes one of any second click that comes
    // soon at the same place (the minimise button of a form just restored, a user button clicked
    // twice), and that click presses the button as the first did.
    if (const int code = static_cast<int>(m.WParam);
        FDrawNonClientArea && (IsTitleButtonCode(code) || UserButtonOf(*this, code))) {
        WMNCLButtonDown(m);
        return;
    }
    HWND wnd = FormWnd();
    if (SizingActive)
        FinishOutlineDrag(*this, true);
    switch (m.WParam) {
    case HTSYSMENU: {
        TsSkinManager* manager = ProviderSkinManager();
        if (manager && !manager->SkinnedPopups())
            FSkinData->SetUpdating(true);
        Form->Close();
        break;
    }
    case HTCAPTION: {
        const bool allowed =
            (SystemMenu && SystemMenu->VisibleClose() && (SystemMenu->EnabledMax() || SystemMenu->EnabledRestore())) ||
            (!HaveBorder() && IsIconic(wnd));
        if (!allowed)
            break;
        ks::ComponentWatch watch;
        watch.Watch(this);
        SendMessageW(wnd, WM_SYSCOMMAND, IsZoomed(wnd) || IsIconic(wnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
        if (watch.Alive(this) && SystemMenu)
            SystemMenu->UpdateItems();
        break;
    }
    default: break;
    }
    m.WParam = 0;
    m.Result = 0;
}

// ---- right button ----------------------------------------------------------------------------

void TsSkinProvider::WMNCRButtonDown(TMessage& m)
{
    if (m.WParam == HTCAPTION || m.WParam == HTSYSMENU)
        return;
    CallOld(m);
}

void TsSkinProvider::WMNCRButtonUp(TMessage& m)
{
    if (!HaveBorder()) {
        CallOld(m);
        return;
    }
    const TPoint cursor = CursorOf(m);
    // A release the border window passed on is placed by its own hit test.
    const int code = BorderForm && static_cast<int>(m.WParam) == -1 ? ForwardedHitCode(m) : ProviderHitTest(cursor);
    if (code == HTCAPTION || code == HTSYSMENU) {
        SetHotHitCode(HTNOWHERE, true);
        ShowSkinnedSysMenu(cursor.X, cursor.Y);
    }
}

// ---- the outline drag ------------------------------------------------------------------------

void TsSkinProvider::WMCaptureChanged(TMessage& m)
{
    // Ended where it stands: the outline is erased and the form keeps its place and size.
    if (SizingActive && reinterpret_cast<HWND>(m.LParam) != FormWnd())
        CancelOutlineDrag(*this);
    CallOld(m);
}

void TsSkinProvider::WMMouseMove(TMessage& m)
{
    CallOld(m);
    if (FResizeMode != rmBorder)
        return;
    HWND wnd = FormWnd();
    if (TsSkinManager* manager = ProviderSkinManager())
        manager->SetActiveControl(wnd);
    const TPoint cursor = CursorNow();
    if (MovingWindow) {
        if (FirstMove) {
            FirstMove = false;
            LastCursor = cursor;
        }
        if (!SizingActive)
            return;
        const ks::FrameRect moved =
            ks::MovedOutline({SizingRect.Left, SizingRect.Top, SizingRect.Right, SizingRect.Bottom},
                             cursor.X - LastCursor.X, cursor.Y - LastCursor.Y);
        LastCursor = cursor;
        SizingRect = TRect{moved.Left, moved.Top, moved.Right, moved.Bottom};
        DragOutlineMove(SizingRect);
        return;
    }
    if (FirstMove) {
        LastCursor = cursor;
        FirstMove = false;
    }
    if (!SizingActive)
        return;
    RECT wr{};
    GetWindowRect(wnd, &wr);
    const ks::FrameRect sized = ks::SizingOutline(
        {wr.left, wr.top, wr.right, wr.bottom}, SizingHitCode, cursor.X - LastCursor.X, cursor.Y - LastCursor.Y,
        std::max(MinTrackWidth, MinFrameWidth(*this)), std::max(MinTrackHeight, MinFrameHeight(*this)));
    SizingRect = TRect{sized.Left, sized.Top, sized.Right, sized.Bottom};
    DragOutlineMove(SizingRect);
}
