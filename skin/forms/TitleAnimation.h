#pragma once
// TacSBAnimation: the timer that fades one title-bar button's new look (hot or pressed) in and
// out in a click-through layered window laid directly above the skinned form or dialog, with
// the skin's larger glow image around the minimise, maximise and close buttons while they are
// hot. The frame is composed once into FrameBmp; each tick only changes the window's constant
// alpha. The title-button record that starts an animation owns it (its Animation field); the
// animation clears that field when it is freed.

#include "skin/core/ComponentWatch.h"
#include "vcl/Bitmap.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Win.h"

#include <memory>

class TForm;
class TacBorderForm;
class TsCommonData;
class TsSkinProvider;
struct TitleButtonRec;

// The interval StartSBAnimation gives every title-button animation.
inline constexpr unsigned TitleAnimationInterval = 12;

// Who a title button belongs to: a form provider (Provider set, Owner the provider) or a dialog
// adapter (Provider nullptr, Owner the application).
struct TitleAnimationOwner {
    TComponent* Owner = nullptr;
    TacBorderForm* BorderForm = nullptr;
    HWND Wnd = nullptr;
    TsCommonData* SkinData = nullptr;
    TsSkinProvider* Provider = nullptr;
};

// Starts the glow animation of a title button towards state (0 normal, 1 hot, 2 pressed) in
// steps frames (10 towards normal or hot, 1 towards pressed), or points the running one there.
// A button that is not enabled fades back to normal. Nothing without an owner window or skin
// data. Messages are not pumped meanwhile: the caller's objects are all still there afterwards.
void StartSBAnimation(TitleButtonRec& rec, int state, int steps, const TitleAnimationOwner& owner, bool enable);

class TacSBAnimation : public TTimer {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TacSBAnimation(TComponent* owner);
    // Stops the timer, frees the glow window and the frame, and clears Button->Animation.
    ~TacSBAnimation() override;
    // Freed inside its own tick (its owner freed by the tick's painting), the timer lives on
    // until the tick returns, past its owner: it lets go of the owner's parts at once.
    void Free() override;

    // Starts fading towards state (0 back to normal, 1 hot, 2 pressed); nothing when state is
    // already the target.
    void SetAnimationTarget(int state, bool forward);
    // One step of the fade; the timer's OnTimer.
    void TimerTick(TObject* sender);
    // Shows the frame at constant alpha (0..255).
    void PaintFrame(int alpha);
    // The glow around the button in pixels: 0 unless glowing is allowed, the target is hot and
    // the button is minimise, maximise or close.
    int GlowSize() const;
    // Where the frame goes on the screen, before it is centred on the frame bitmap.
    TRect FrameRect() const;

    // The owner's border window, when it has one; positions are then taken from its window.
    TacBorderForm* BorderForm = nullptr;
    // The owner's skin data: the manager and the owner's cache bitmap.
    TsCommonData* SkinData = nullptr;
    HWND Wnd = nullptr;
    TitleButtonRec* Button = nullptr;
    // The form provider that owns the button, nullptr for a dialog adapter; its copy of the
    // title bar behind the buttons gives the frame a background without the old glyph.
    TsSkinProvider* Provider = nullptr;
    int Step = 0;
    // -1 none, 0 normal, 1 hot, 2 pressed.
    int TargetState = 0;
    bool Forward = false;
    // 10 towards normal or hot, 1 towards pressed; -1 once a fade-in has been held at full.
    int MaxSteps = 0;
    // The click-through layered window; owned, made on demand, kept hidden between fades.
    TForm* GlowForm = nullptr;
    std::unique_ptr<TBitmap> FrameBmp;

private:
    // 255 div MaxSteps; a MaxSteps of 0 or less (none stored yet, or the fade-in already held)
    // means no fade, the whole alpha at once.
    int StepAlpha() const noexcept;
    void FreeFrame() noexcept;
    // A finished fade-out hides the window and keeps it for the next fade.
    void HideFrame() noexcept;
    // Drops every pointer into the owner (the record forgets this animation), then frees the
    // frame.
    void ForgetOwner() noexcept;
    void BuildFrameBitmap(const TRect& frame, int glowSize, int glowMask);
    int GlowMaskIndex() const;
    // The owner window, its skin or the button's record went away under a running animation.
    bool OwnerGone();
    void CheckCursorLeft();

    friend void StartSBAnimation(TitleButtonRec&, int, int, const TitleAnimationOwner&, bool);

    ks::ComponentWatch FGlowWatch;
    // The button's hit code when the animation started; its record is found again by it.
    int FHitCode = 0;
    // The target the frame bitmap was composed for; -1 none.
    int FFrameState = -1;
};
