#include "vcl/ExtCtrls.h"

#include "vcl/Controls.h"
#include "vcl/Graphics.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <unordered_map>

namespace {

constexpr const char* NoTimersText = "Not enough timers available";

constexpr ks::PropertyInfo TimerProps[] = {
    ks::Prop<&TTimer::Enabled, &TTimer::SetEnabled>("Enabled").DefaultIs(true),
    ks::Prop<&TTimer::Interval, &TTimer::SetInterval>("Interval").DefaultIs(1000),
    ks::Prop<&TTimer::OnTimer, &TTimer::SetOnTimer>("OnTimer"),
};

constexpr ks::PropertyInfo PanelProps[] = {
    ks::Prop<&TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner>("BevelInner").DefaultIs(bvNone),
    ks::Prop<&TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter>("BevelOuter").DefaultIs(bvRaised),
    ks::Prop<&TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth>("BevelWidth").DefaultIs(1),
    ks::Prop<&TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth>("BorderWidth").DefaultIs(0),
    ks::Prop<&TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle>("BorderStyle").DefaultIs(bsNone),
};

// Rings of width pixels inside r: top and left edges in topLeft, bottom and right in
// bottomRight; r shrinks by width on every side.
void DrawBevel(TCanvas& canvas, TRect& r, TColor topLeft, TColor bottomRight, int width)
{
    canvas.Brush().SetStyle(bsSolid);
    for (int i = 0; i < width && r.Right - r.Left > 1 && r.Bottom - r.Top > 1; ++i) {
        canvas.Brush().SetColor(topLeft);
        canvas.FillRect({r.Left, r.Top, r.Right - 1, r.Top + 1});
        canvas.FillRect({r.Left, r.Top, r.Left + 1, r.Bottom - 1});
        canvas.Brush().SetColor(bottomRight);
        canvas.FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom});
        canvas.FillRect({r.Right - 1, r.Top, r.Right, r.Bottom});
        r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
}

} // namespace

const ks::ClassInfo TCustomPanel::StaticClassInfo{"TCustomPanel", &TCustomControl::StaticClassInfo, PanelProps, {}};
const ks::ClassInfo TPanel::StaticClassInfo{"TPanel", &TCustomPanel::StaticClassInfo, {}, {}};
const ks::ClassInfo& TCustomPanel::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TPanel::ClassInfo() const noexcept { return StaticClassInfo; }

const ks::ClassInfo TTimer::StaticClassInfo{"TTimer", &TComponent::StaticClassInfo, TimerProps, {}};

const ks::ClassInfo& TTimer::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

// The window the timers of one thread tick through, made with the thread's first timer and kept
// for the thread's life. Ids are not reused while the
// window lives, so a tick queued for a timer that is gone finds no timer and is dropped.
class TimerWindow {
public:
    static TimerWindow& OfThread()
    {
        thread_local TimerWindow window;
        if (!window.FHandle || !IsWindow(window.FHandle))
            window.FHandle = AllocateHWnd(TWndMethod(&window, &TimerWindow::WndProc));
        return window;
    }
    ~TimerWindow()
    {
        if (FHandle && IsWindow(FHandle))
            DeallocateHWnd(FHandle);
    }
    HWND Handle() const noexcept { return FHandle; }
    UINT_PTR Add(TTimer* timer)
    {
        if (++FLastId == 0)
            ++FLastId;
        FTimers[FLastId] = timer;
        return FLastId;
    }
    void Remove(UINT_PTR id) noexcept { FTimers.erase(id); }

private:
    void WndProc(TMessage& m)
    {
        if (m.Msg == WM_TIMER) {
            if (auto found = FTimers.find(m.WParam); found != FTimers.end())
                found->second->WMTimer();
            return;
        }
        m.Result = DefWindowProcW(FHandle, m.Msg, m.WParam, m.LParam);
    }

    HWND FHandle = nullptr;
    UINT_PTR FLastId = 0;
    std::unordered_map<UINT_PTR, TTimer*> FTimers;
};

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    TimerWindow& window = TimerWindow::OfThread();
    FWindowHandle = window.Handle();
    FTimerId = window.Add(this);
}

TTimer::~TTimer()
{
    if (FGone)
        *FGone = true;
    ks::Sys().KillTimer(FWindowHandle, FTimerId);
    TimerWindow::OfThread().Remove(FTimerId);
}

void TTimer::Free()
{
    if (FInTimer) {
        FFreePending = true;
        SetEnabled(false);
        return;
    }
    TComponent::Free();
}

void TTimer::SetEnabled(bool value)
{
    if (value == FEnabled)
        return;
    FEnabled = value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned value)
{
    if (value == FInterval)
        return;
    FInterval = value;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent handler)
{
    FOnTimer = handler;
    UpdateTimer();
}

void TTimer::UpdateTimer()
{
    ks::Sys().KillTimer(FWindowHandle, FTimerId);
    if (FInterval == 0 || !FEnabled || !FOnTimer)
        return;
    if (!ks::Sys().SetTimer(FWindowHandle, FTimerId, FInterval, nullptr))
        throw EOutOfResources(NoTimersText);
}

void TTimer::Timer()
{
    if (FOnTimer)
        FOnTimer(this);
}

void TTimer::WMTimer()
{
    // A tick already queued when the timer was stopped is dropped.
    if (!FEnabled || FInTimer)
        return;
    bool gone = false;
    FGone = &gone;
    FInTimer = true;
    try {
        Timer();
    } catch (...) {
        Application->HandleException(gone ? nullptr : this, std::current_exception());
    }
    if (gone)
        return;
    FGone = nullptr;
    FInTimer = false;
    if (FFreePending)
        TComponent::Free();
}

// ---- panel ----------------------------------------------------------------------------------
TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner)
{
    SetBounds(0, 0, 185, 41);
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks,
                     csReplicatable};
}

void TCustomPanel::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    if (FBorderStyle == bsSingle)
        params.ExStyle |= WS_EX_CLIENTEDGE;
    params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

int TCustomPanel::FrameWidth() const noexcept
{
    int width = FBorderWidth;
    if (FBevelOuter != bvNone)
        width += FBevelWidth;
    if (FBevelInner != bvNone)
        width += FBevelWidth;
    return width;
}

void TCustomPanel::AdjustClientRect(TRect& rect) const
{
    TCustomControl::AdjustClientRect(rect);
    const int w = FrameWidth();
    rect = {rect.Left + w, rect.Top + w, rect.Right - w, rect.Bottom - w};
}

void TCustomPanel::Paint()
{
    TCanvas& canvas = Canvas();
    TRect r = ClientRect();
    canvas.Brush().SetColor(Color());
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(r);
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        const TColor light = cut == bvRaised ? clBtnHighlight : clBtnShadow;
        const TColor dark = cut == bvRaised ? clBtnShadow : clBtnHighlight;
        DrawBevel(canvas, r, cut == bvSpace ? Color() : light, cut == bvSpace ? Color() : dark, FBevelWidth);
    };
    bevel(FBevelOuter);
    r = {r.Left + FBorderWidth, r.Top + FBorderWidth, r.Right - FBorderWidth, r.Bottom - FBorderWidth};
    bevel(FBevelInner);
    const std::wstring text = Caption();
    if (text.empty())
        return;
    canvas.Font().Assign(Font());
    canvas.Brush().SetStyle(bsClear);
    canvas.DrawText(text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TCustomPanel::Changed()
{
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut value)
{
    FBevelInner = value;
    Changed();
}

void TCustomPanel::SetBevelOuter(TBevelCut value)
{
    FBevelOuter = value;
    Changed();
}

void TCustomPanel::SetBevelWidth(int value)
{
    FBevelWidth = value < 1 ? 1 : value;
    Changed();
}

void TCustomPanel::SetBorderWidth(int value)
{
    FBorderWidth = value < 0 ? 0 : value;
    Changed();
}

void TCustomPanel::Dispatch(TMessage& m)
{
    TCustomControl::Dispatch(m);
    if (m.Msg == CM_TEXTCHANGED || m.Msg == CM_FONTCHANGED)
        Invalidate();
}
