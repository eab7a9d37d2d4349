#include "vcl/Hints.h"

#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <utility>

const ks::ClassInfo THintWindow::StaticClassInfo{"THintWindow", &TCustomControl::StaticClassInfo, {}, {}};
const ks::ClassInfo& THintWindow::ClassInfo() const noexcept { return StaticClassInfo; }

namespace {

// The text of a hint is what comes before the first "|"; the rest is the long hint a status
// line would show.
std::wstring ShortHint(const std::wstring& hint)
{
    return hint.substr(0, hint.find(L'|'));
}

TRect Desktop() noexcept
{
    auto metric = ks::Sys().GetSystemMetrics;
    int left = metric(SM_XVIRTUALSCREEN);
    int top = metric(SM_YVIRTUALSCREEN);
    return {left, top, left + metric(SM_CXVIRTUALSCREEN), top + metric(SM_CYVIRTUALSCREEN)};
}

// Text is inset this far from the window's left and top edges.
constexpr int TextInset = 2;

} // namespace

TRect PlaceHintRect(TRect rect, const TRect& desktop) noexcept
{
    int w = rect.Width();
    int h = rect.Height();
    if (rect.Left + w > desktop.Right)
        rect.Left = desktop.Right - w;
    if (rect.Top + h > desktop.Bottom)
        rect.Top = desktop.Bottom - h;
    rect.Left = std::max(rect.Left, desktop.Left);
    rect.Top = std::max(rect.Top, desktop.Top);
    return {rect.Left, rect.Top, rect.Left + w, rect.Top + h};
}

// ---------------------------------------------------------------------------------------------
THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner)
{
    SetParentColor(false);
    SetColor(clInfoBk);
    SetParentFont(false);
    Font()->Assign(Screen->HintFont());
    Font()->SetColor(clInfoText);
    SetVisible(false);
}

void THintWindow::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style = WS_POPUP | WS_BORDER;
    params.ExStyle = WS_EX_TOOLWINDOW;
    params.WindowClass.style |= CS_SAVEBITS;
}

TRect THintWindow::CalcHintRect(int maxWidth, const std::wstring& hint, void*)
{
    TRect r{0, 0, maxWidth, 0};
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    canvas.DrawText(hint, r, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    // Room for the inset text and the one-pixel border on each side.
    r.Right += 2 * TextInset + 2;
    r.Bottom += TextInset;
    return r;
}

void THintWindow::ActivateHint(TRect rect, const std::wstring& hint)
{
    SetCaption(hint);
    rect.Bottom += 4;
    rect = PlaceHintRect(rect, Desktop());
    SetBoundsRect(rect);
    SetWindowPos(Handle(), HWND_TOPMOST, rect.Left, rect.Top, rect.Width(), rect.Height(),
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Invalidate();
}

void THintWindow::ReleaseHint()
{
    if (HandleAllocated() && IsWindowVisible(HandleIfAllocated()))
        ShowWindow(HandleIfAllocated(), SW_HIDE);
}

void THintWindow::Paint()
{
    TCanvas& canvas = Canvas();
    TRect r = ClientRect();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(r);
    r.Left += TextInset;
    r.Top += TextInset;
    canvas.Font().Assign(Font());
    SetBkMode(canvas.Handle(), TRANSPARENT);
    canvas.DrawText(Caption(), r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
}

// ---------------------------------------------------------------------------------------------
THintController::THintController() = default;

THintController::~THintController()
{
    StopTimer(ShowTimer);
    StopTimer(HideTimer);
    FreeHintWindow();
    DeallocateHWnd(std::exchange(FTimerWindow, nullptr));
}

void THintController::TimerMessage(TMessage& message)
{
    switch (message.Msg) {
    case WM_TIMER: { TWMTimer v(message); WMTimer(v); break; }
    default: message.Result = DefWindowProcW(FTimerWindow, message.Msg, message.WParam, message.LParam); break;
    }
}

void THintController::WMTimer(TWMTimer& m)
{
    if (m.TimerID() == ShowTimer) {
        StopTimer(ShowTimer);
        ActivateHint();
    } else if (m.TimerID() == HideTimer) {
        HideHint();
    }
}

void THintController::StartTimer(UINT_PTR id, int ms)
{
    StopTimer(id);
    // The application makes its controller before any window may exist: the timer window
    // comes with the first hint pause.
    if (!FTimerWindow)
        FTimerWindow = AllocateHWnd(TWndMethod(this, &THintController::TimerMessage));
    ks::Sys().SetTimer(FTimerWindow, id, static_cast<UINT>(std::max(ms, 1)), nullptr);
}

void THintController::StopTimer(UINT_PTR id)
{
    if (FTimerWindow)
        ks::Sys().KillTimer(FTimerWindow, id);
}

void THintController::SetShowHint(bool value)
{
    FShowHint = value;
    if (!value)
        CancelHint();
}

void THintController::SetHintWindowClass(THintWindowClass value)
{
    if (!value)
        value = &NewHintWindow<THintWindow>;
    FHintWindowClass = value;
    if (FHintWindow && FWindowMadeBy != value)
        FreeHintWindow();
}

void THintController::FreeHintWindow()
{
    if (THintWindow* window = std::exchange(FHintWindow, nullptr))
        window->Free();
    FWindowMadeBy = nullptr;
}

void THintController::MessageHandled(const MSG& msg)
{
    switch (msg.message) {
    case WM_MOUSEMOVE: MouseMoved(ks::MouseControl()); break;
    case WM_NCMOUSEMOVE: MouseMoved(ks::MouseControl()); break;
    case WM_MOUSELEAVE: MouseMoved(ks::MouseControl()); break;
    case WM_NCMOUSELEAVE: MouseMoved(ks::MouseControl()); break;
    case WM_LBUTTONDOWN: CancelHint(); break;
    case WM_RBUTTONDOWN: CancelHint(); break;
    case WM_MBUTTONDOWN: CancelHint(); break;
    case WM_NCLBUTTONDOWN: CancelHint(); break;
    case WM_NCRBUTTONDOWN: CancelHint(); break;
    case WM_NCMBUTTONDOWN: CancelHint(); break;
    case WM_KEYDOWN: CancelHint(); break;
    case WM_SYSKEYDOWN: CancelHint(); break;
    case WM_MOUSEWHEEL: CancelHint(); break;
    case WM_ACTIVATEAPP: CancelHint(); break;
    default: break;
    }
}

void THintController::MouseMoved(TControl* control)
{
    // The hint belongs to the innermost control that asks for hints.
    while (control && !control->ShowHint())
        control = control->Parent();
    if (!FShowHint || !control || ShortHint(control->Hint()).empty()) {
        CancelHint();
        return;
    }
    if (control == FHintControl)
        return;
    bool wasActive = FHintActive;
    CancelHint();
    FHintActive = wasActive;
    FHintControl = control;
    StartTimer(ShowTimer, wasActive ? FHintShortPause : FHintPause);
}

void THintController::HideHint()
{
    StopTimer(HideTimer);
    if (FHintWindow)
        FHintWindow->ReleaseHint();
}

void THintController::CancelHint()
{
    StopTimer(ShowTimer);
    HideHint();
    FHintControl = nullptr;
    FHintActive = false;
}

void THintController::ActivateHint()
{
    // The control is trusted only while it is still under the mouse: a control that was
    // freed in the meantime took the mouse control with it.
    TControl* control = ks::MouseControl();
    while (control && control != FHintControl)
        control = control->Parent();
    if (!control) {
        CancelHint();
        return;
    }
    POINT cursor{};
    ks::Sys().GetCursorPos(&cursor);
    THintInfo info;
    info.HintControl = control;
    info.HintWindowClass = FHintWindowClass;
    info.HintPos = {cursor.x, cursor.y + ks::Sys().GetSystemMetrics(SM_CYCURSOR) * 5 / 8};
    info.HintMaxWidth = ks::Sys().GetSystemMetrics(SM_CXSCREEN);
    info.HintColor = FHintColor;
    info.CursorRect = control->ClientRect();
    info.CursorPos = control->ScreenToClient({cursor.x, cursor.y});
    info.HideTimeout = FHintHidePause;
    info.HintStr = ShortHint(control->Hint());
    bool canShow = control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
    if (canShow && FOnShowHint)
        FOnShowHint(info.HintStr, canShow, info);
    // The handlers may have freed the control, or moved the mouse elsewhere.
    if (!canShow || info.HintStr.empty() || FHintControl != control)
        return;
    THintWindowClass windowClass = info.HintWindowClass ? info.HintWindowClass : FHintWindowClass;
    if (FHintWindow && FWindowMadeBy != windowClass)
        FreeHintWindow();
    if (!FHintWindow) {
        FHintWindow = windowClass(nullptr);
        FWindowMadeBy = windowClass;
    }
    FHintWindow->SetColor(info.HintColor);
    TRect r = FHintWindow->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
    r = {info.HintPos.X, info.HintPos.Y, info.HintPos.X + r.Width(), info.HintPos.Y + r.Height()};
    FHintWindow->ActivateHint(r, info.HintStr);
    FHintActive = true;
    if (info.HideTimeout > 0)
        StartTimer(HideTimer, info.HideTimeout);
}
