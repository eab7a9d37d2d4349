#pragma once
// Extra components: TTimer, which calls OnTimer every Interval milliseconds through a hidden
// utility window (the system's timer goes through the timer seam of PlatformSeams.h).

#include "vcl/Classes.h"
#include "vcl/Messages.h"
#include "vcl/Win.h"

class TTimer : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // Raises EOSError when the utility window cannot be made.
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    // Inside its own OnTimer the timer stops at once and is freed when the handler returns, so
    // the handler may go on using it.
    void Free();

    bool Enabled() const noexcept { return FEnabled; }
    // Raises EOutOfResources "Not enough timers available" when the system refuses a timer.
    void SetEnabled(bool value);
    // Milliseconds; 0 stops the timer.
    unsigned Interval() const noexcept { return FInterval; }
    void SetInterval(unsigned value);
    TNotifyEvent OnTimer() const noexcept { return FOnTimer; }
    void SetOnTimer(TNotifyEvent handler);

    // The utility window the system's WM_TIMER arrives at.
    HWND Handle() const noexcept { return FWindowHandle; }

protected:
    virtual void Timer();

private:
    void UpdateTimer();
    void WndProc(TMessage& message);
    void WMTimer();

    HWND FWindowHandle = nullptr;
    unsigned FInterval = 1000;
    bool FEnabled = true;
    TNotifyEvent FOnTimer;
    bool FInTimer = false;
    bool FFreePending = false;
    // Set while OnTimer runs; the destructor raises it so the tick knows the timer is gone.
    bool* FGone = nullptr;
};
