#pragma once
// Hints: the hint window (THintWindow) and the application's hint machinery (THintController),
// which watches the control under the mouse, shows the control's hint after a pause, hides it
// after a while or when the mouse leaves, a button is pressed or a key is typed, and lets the
// program change each hint through OnShowHint. The application owns one controller and hands
// it every message its loop has dispatched; the pauses run on timers set through the seam
// table, so tests drive them by hand.

#include "vcl/Controls.h"

#include <string>

class THintWindow;

// A class reference: makes a hint window of one class. Two references are equal when they make
// the same class, so the machinery can tell that the class changed.
using THintWindowClass = THintWindow* (*)(TComponent* owner);

template <class T>
THintWindow* NewHintWindow(TComponent* owner)
{
    return Create<T>(owner);
}

// What the machinery is about to show; OnShowHint may change any of it.
struct THintInfo {
    TControl* HintControl = nullptr;
    THintWindowClass HintWindowClass = nullptr;
    // Screen point of the hint's top-left corner.
    TPoint HintPos;
    int HintMaxWidth = 0;
    TColor HintColor = clInfoBk;
    // Client area of the control within which the mouse may move without hiding the hint.
    TRect CursorRect;
    // The mouse in the control's client coordinates.
    TPoint CursorPos;
    int ReshowTimeout = 0;
    // Milliseconds the hint stays; 0 keeps it until the mouse leaves.
    int HideTimeout = 0;
    std::wstring HintStr;
    void* HintData = nullptr;
};

using TShowHintEvent = TDelegate<void(std::wstring& hintStr, bool& canShow, THintInfo& hintInfo)>;

// ---------------------------------------------------------------------------------------------
class THintWindow : public TCustomControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit THintWindow(TComponent* owner);

    // Shows hint at rect (screen coordinates, as CalcHintRect measured it, moved to the hint's
    // place), kept on the desktop, on top and without taking the focus.
    virtual void ActivateHint(TRect rect, const std::wstring& hint);
    // The rectangle, at the origin, that hint needs when wrapped at maxWidth.
    virtual TRect CalcHintRect(int maxWidth, const std::wstring& hint, void* data);
    // Hides the window; it stays for the next hint.
    void ReleaseHint();

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
};

// Where a hint of rect's size goes so that it stays on the desktop: pushed left and up from
// the right and bottom edges, but never beyond the left and top ones.
TRect PlaceHintRect(TRect rect, const TRect& desktop) noexcept;

// ---------------------------------------------------------------------------------------------
class THintController {
public:
    // Timer identifiers on TimerWindow().
    static constexpr UINT_PTR ShowTimer = 1;
    static constexpr UINT_PTR HideTimer = 2;

    THintController();
    ~THintController();
    THintController(const THintController&) = delete;
    THintController& operator=(const THintController&) = delete;

    bool ShowHint() const noexcept { return FShowHint; }
    void SetShowHint(bool value);
    // Milliseconds before the first hint appears.
    int HintPause() const noexcept { return FHintPause; }
    void SetHintPause(int value) noexcept { FHintPause = value; }
    // Milliseconds before the next control's hint appears while one is shown.
    int HintShortPause() const noexcept { return FHintShortPause; }
    void SetHintShortPause(int value) noexcept { FHintShortPause = value; }
    // Milliseconds a hint stays.
    int HintHidePause() const noexcept { return FHintHidePause; }
    void SetHintHidePause(int value) noexcept { FHintHidePause = value; }
    TColor HintColor() const noexcept { return FHintColor; }
    void SetHintColor(TColor value) noexcept { FHintColor = value; }
    TShowHintEvent OnShowHint() const noexcept { return FOnShowHint; }
    void SetOnShowHint(TShowHintEvent handler) noexcept { FOnShowHint = handler; }
    THintWindowClass HintWindowClass() const noexcept { return FHintWindowClass; }
    // A different class replaces the current hint window (made anew for the next hint).
    void SetHintWindowClass(THintWindowClass value);

    // The current hint window, or nullptr before the first hint.
    THintWindow* HintWindow() const noexcept { return FHintWindow; }
    // The window the pause timers run on; nullptr until the first pause starts.
    HWND TimerWindow() const noexcept { return FTimerWindow; }

    // The application calls this after dispatching each message of its loop: mouse moves and
    // leaves follow ks::MouseControl(); clicks, keys and deactivation hide the hint.
    void MessageHandled(const MSG& msg);
    // Follows the mouse onto control (nullptr: none of the program's controls).
    void MouseMoved(TControl* control);
    // Hides the hint and forgets the control.
    void CancelHint();
    // Hides the hint but keeps the control, so it shows again only after the mouse moves on.
    void HideHint();

private:
    void TimerMessage(TMessage& message);
    void WMTimer(TWMTimer& m);
    void StartTimer(UINT_PTR id, int ms);
    void StopTimer(UINT_PTR id);
    void ActivateHint();
    void FreeHintWindow();

    bool FShowHint = true;
    int FHintPause = 500;
    int FHintShortPause = 50;
    int FHintHidePause = 2500;
    TColor FHintColor = clInfoBk;
    TShowHintEvent FOnShowHint;
    THintWindowClass FHintWindowClass = &NewHintWindow<THintWindow>;
    THintWindow* FHintWindow = nullptr;
    THintWindowClass FWindowMadeBy = nullptr;
    TControl* FHintControl = nullptr;
    // A hint is up (or was, for the control the mouse came from): the next one comes sooner.
    bool FHintActive = false;
    HWND FTimerWindow = nullptr;
};
