#pragma once
// The skinned push button. While a skin is active its window is an owner-drawn button painted
// from its cache: the parent's background, the section (BUTTON by default) in the normal, hot
// or pressed state, the border image whose key-coloured corners are cut out of the window
// region, the caption and the focus dots. Hovering, pressing and releasing cross-fade between
// the states. Clicks come from the platform's button: the mouse, space, Enter on the default
// button and Escape on the cancel one. Without an active skin it is the plain button.

#include "skin/controls/ButtonLook.h"
#include "skin/controls/sFade.h"
#include "skin/core/sConst.h"
#include "skin/core/sMessages.h"
#include "vcl/StdCtrls.h"

#include <memory>

class TsCommonData;

// Set only while a release repaints the pressed look before its fade.
extern bool ForcePressedLook;
// The application's hints are off while a press fade is set up; the value to give back.
extern bool HintsSuppressed;
extern bool SavedShowHint;
// Keeps the focus handlers from nesting their redraw switching.
extern bool FocusChangeInProgress;

class TsButton : public TButton {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsButton(TComponent* owner);
    ~TsButton() override;

    TsCommonData* SkinData() const noexcept { return FSkinData.get(); }
    bool Down() const noexcept { return FDown; }
    void SetDown(bool value);
    int FocusMargin() const noexcept { return FFocusMargin; }
    void SetFocusMargin(int value) noexcept { FFocusMargin = value; }
    TsDisabledKind DisabledKind() const noexcept { return FDisabledKind; }
    void SetDisabledKind(TsDisabledKind value);
    TacAnimatEvents AnimatEvents() const noexcept { return FAnimatEvents; }
    void SetAnimatEvents(TacAnimatEvents value) noexcept { FAnimatEvents = value; }
    bool ShowFocus() const noexcept { return FShowFocus; }
    void SetShowFocus(bool value);

    // A mouse button went down on the button and has not come up.
    bool Pressed() const noexcept { return FPressed; }
    // The platform named it the button Enter presses.
    bool ActiveDefault() const noexcept { return FActiveDefault; }
    TsFadeTimer* FadeTimer() const noexcept { return FFadeTimer; }

    // 0 normal, 1 hot or default, 2 pressed.
    int StateIndex();
    // Where the caption goes, moved by (1, 1) when pressed.
    TRect CaptionRect();

    void AfterConstruction() override;
    void Loaded() override;
    void BeforeDestruction() override;
    void WndProc(TMessage& message) override;

    // Rebuilds the whole cache image for the current state.
    void PrepareCache();

protected:
    void CreateParams(TCreateParams& params) override;
    void SetButtonStyle(bool isDefault) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void ActionChange(TObject* sender, bool checkDefaults) override;
    virtual void DoDrawText(TRect& r, UINT flags);
    virtual void DrawCaption();

private:
    bool SkinActive() const noexcept;
    // Bound to an action that is disabled.
    bool ActionDisabled() const noexcept;
    void EnabledFromAction();
    TSize CaptionExtent();
    // WM_PAINT and WM_PRINT; dc 0 is a real paint of the window.
    void PaintHandler(HDC dc);
    void PaintTo(HDC dc);
    bool SkinCommand(TMessage& m);
    // The skin commands, each true when the command is done with.
    static bool AnswerCommand(ks::SkinCommandView view, LRESULT answer);
    bool StopFadeCommand();
    bool PrepareCacheCommand();
    bool FadeFrameCommand();
    bool NewSkinCommand(ks::SkinCommandView view);
    bool RemoveSkinCommand(ks::SkinCommandView view);
    bool RefreshCommand(ks::SkinCommandView view);
    bool ParentUpdatedCommand();
    bool SetTransparentCommand(ks::SkinCommandView view);
    bool SkinnedMessage(TMessage& m);
    void DefaultPath(TMessage& m);
    void FocusChange(TMessage& m, bool gained);
    void SetRegion(HRGN region) noexcept;
    // What the cache image shows besides the skin and the parent's background: a change of any
    // of it since the window last got its picture means the cache is rebuilt.
    struct Look : TsButtonLook {
        int state = -1;
        // A disabled action greys the button even while the button itself is enabled.
        bool actionDisabled = false;
        // FocusMargin's setter only stores the value: the look brings it to the next paint.
        int focusMargin = 0;
        bool showFocus = false;
        TsDisabledKind disabledKind;
        bool operator==(const Look&) const = default;
    };
    Look LookNow();
    void SuppressHints();
    void RestoreHints();

    std::unique_ptr<TsCommonData> FSkinData;
    bool FPressed = false;
    bool FDown = false;
    int FFocusMargin = 1;
    TsDisabledKind FDisabledKind{dkBlended};
    TsFadeTimer* FFadeTimer = nullptr;
    TacAnimatEvents FAnimatEvents{aeGlobalDef};
    TRect FLastBounds{0, 0, 0, 0};
    bool FShowFocus = true;
    bool FActiveDefault = false;
    // The window region being prepared, owned here until the window takes it.
    HRGN FRegion = nullptr;
    bool FNeverPainted = true;
    // The look the window was last painted in; PrepareCache leaves the corners to the paint.
    TsPaintedLook<Look> FPaintedLook;
};

// Makes TsButton known to the form reader.
void InitializeSButtonUnit();
