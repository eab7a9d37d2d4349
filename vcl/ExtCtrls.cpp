#include "vcl/ExtCtrls.h"

#include "vcl/Controls.h"
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

} // namespace

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
