#include "vcl/ExtCtrls.h"

#include "vcl/Controls.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

namespace {

constexpr const char* NoTimersText = "Not enough timers available";
constexpr UINT_PTR TimerId = 1;

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

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    FWindowHandle = AllocateHWnd(TWndMethod(this, &TTimer::WndProc));
}

TTimer::~TTimer()
{
    if (FGone)
        *FGone = true;
    ks::Sys().KillTimer(FWindowHandle, TimerId);
    DeallocateHWnd(FWindowHandle);
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
    ks::Sys().KillTimer(FWindowHandle, TimerId);
    if (FInterval == 0 || !FEnabled || !FOnTimer)
        return;
    if (!ks::Sys().SetTimer(FWindowHandle, TimerId, FInterval, nullptr))
        throw EOutOfResources(NoTimersText);
}

void TTimer::Timer()
{
    if (FOnTimer)
        FOnTimer(this);
}

void TTimer::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_TIMER: WMTimer(); break;
    default: m.Result = DefWindowProcW(FWindowHandle, m.Msg, m.WParam, m.LParam); break;
    }
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
