#pragma once
// Extra components: TTimer, which calls OnTimer every Interval milliseconds through a hidden
// utility window (the system's timer goes through the timer seam of PlatformSeams.h). The timers
// of one thread share one such window, each under its own timer id: a window costs the system
// far more than a timer, and fades make and free a timer for every hover. The panel is a plain
// container that paints its bevels and a centred caption.

#include "vcl/Classes.h"
#include "vcl/Messages.h"
#include "vcl/WinControl.h"
#include "vcl/Win.h"

class TTimer : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // Raises EOSError when the thread's utility window cannot be made.
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    // Inside its own OnTimer the timer stops at once and is freed when the handler returns, so
    // the handler may go on using it.
    void Free() override;

    bool Enabled() const noexcept { return FEnabled; }
    // Raises EOutOfResources "Not enough timers available" when the system refuses a timer.
    void SetEnabled(bool value);
    // Milliseconds; 0 stops the timer.
    unsigned Interval() const noexcept { return FInterval; }
    void SetInterval(unsigned value);
    TNotifyEvent OnTimer() const noexcept { return FOnTimer; }
    void SetOnTimer(TNotifyEvent handler);

    // The utility window the system's WM_TIMER arrives at, shared by the thread's timers; the
    // message's WParam is TimerId.
    HWND Handle() const noexcept { return FWindowHandle; }
    UINT_PTR TimerId() const noexcept { return FTimerId; }

protected:
    virtual void Timer();

private:
    friend class TimerWindow;
    void UpdateTimer();
    void WMTimer();

    HWND FWindowHandle = nullptr;
    UINT_PTR FTimerId = 0;
    unsigned FInterval = 1000;
    bool FEnabled = true;
    TNotifyEvent FOnTimer;
    bool FInTimer = false;
    bool FFreePending = false;
    // Set while OnTimer runs; the destructor raises it so the tick knows the timer is gone.
    bool* FGone = nullptr;
};

// ---------------------------------------------------------------------------------------------
class TCustomPanel : public TCustomControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomPanel(TComponent* owner);

    TBevelCut BevelInner() const noexcept { return FBevelInner; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const noexcept { return FBevelOuter; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const noexcept { return FBevelWidth; }
    // At least 1.
    void SetBevelWidth(int value);
    // The gap between the two bevels, inside the client area; at least 0. It stands in for the
    // windowed control's frame band, which a panel does not have.
    int BorderWidth() const noexcept { return FBorderWidth; }
    void SetBorderWidth(int value);
    // bsSingle gives the window a sunken client edge; anything else none.
    TBorderStyle BorderStyle() const noexcept { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value) { SetAndRecreate(FBorderStyle, value); }

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    // Children lie inside the bevels and the border.
    void AdjustClientRect(TRect& rect) const override;

private:
    // The client area less the bevels and the border between them.
    int FrameWidth() const noexcept;
    void Changed();

    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    TBorderStyle FBorderStyle = bsNone;
};

class TPanel : public TCustomPanel {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomPanel::TCustomPanel;
};
