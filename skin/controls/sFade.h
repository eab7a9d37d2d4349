#pragma once
// Cross-fades of skinned controls between the picture they show and the picture of their new
// state. A control keeps one reference to a TsFadeTimer; StartStateFade either starts a fade
// (the old picture saved, the new one built through SKC_PREPARE_CACHE, one blended frame every
// 10 ms) or, when fading is off, repaints at once. The fade ends by SKC_STOP_FADE to its
// control, which answers with StopFadeTimer; a control that is hidden, disabled or freed ends
// its fade too, and no timer outlives its control. TsAnimTimer makes the same frames for
// controls that show them from their own paint (SKC_REPAINT_NOW).
//
// Ticks come through the class library's timer, so tests step fades by hand.

#include "skin/core/sConst.h"
#include "vcl/Bitmap.h"
#include "vcl/ExtCtrls.h"

#include <memory>

class TsCommonData;
class TsSkinManager;

class TsFadeTimer : public TTimer {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // owner: the control being faded. Created disabled.
    explicit TsFadeTimer(TComponent* owner);
    ~TsFadeTimer() override;

    // 0 idle, 1 fading.
    uint8_t Direction = 0;
    TsCommonData* SkinData = nullptr;
    int StepCount = 0;
    // The frame about to be shown, from 1.
    int Step = 0;
    // The control's picture before the change.
    std::unique_ptr<TBitmap> OldBitmap;

    // Takes the control's current cache as the old picture and the section's frame count.
    void Attach(TsCommonData* skinData);
    // Enables the timer for any non-zero value.
    void SetDirection(uint8_t value);
    // True when the fade has ended and SKC_STOP_FADE went to the control.
    bool CheckFinished();

protected:
    void Timer() override;

private:
    void Tick(TObject*) {}
};

class TsAnimTimer : public TTimer {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // Owned by nobody (owner nullptr): the control that makes it frees it. Created disabled.
    explicit TsAnimTimer(TComponent* owner);
    ~TsAnimTimer() override;

    // A frame is being made; a tick meanwhile only counts.
    bool Busy = false;
    // The picture to fade from, filled by the user of the timer.
    std::unique_ptr<TBitmap> SourceBitmap;
    // The blended frame the control shows when told SKC_REPAINT_NOW.
    std::unique_ptr<TBitmap> FrameBitmap;
    TsCommonData* SkinData = nullptr;
    int StepCount = 0;
    int Step = 0;

    void Attach(TsCommonData* skinData);
    bool CheckFinished();
    void MakeFrame();
    void NotifyFrame();

protected:
    void Timer() override;

private:
    void Tick(TObject*) {}
};

// Whether the control fades on event: events it names itself, else, with aeGlobalDef, what the
// manager's AnimEffects.Buttons.Events allow (aeGlobalDef itself counting as beMouseUp). manager
// nullptr means DefaultSkinManager; without any manager only the control's own events count.
bool AnimEventAllowed(TacAnimatEvent event, TacAnimatEvents animatEvents, TsSkinManager* manager);

// The entry of the controls when their state changes (pressEvent: a mouse press or release,
// which fades in half the frames). Nothing while skinData is not active; always refreshes the
// control's glow.
void StartStateFade(TsFadeTimer*& timer, TsCommonData& skinData, bool pressEvent, bool allowed, uint8_t direction);
// Makes or restarts the timer from frame 1 and starts it; nothing unless the section fades.
void PrepareFadeTimer(TsFadeTimer*& timer, TsCommonData& skinData, bool halfSteps, uint8_t direction);
// Stops and frees the timer (one being destroyed with its owner is only stopped) and clears the
// reference. Safe inside the timer's own tick.
void StopFadeTimer(TsFadeTimer*& timer);
// Shows one frame on the control's window, unless the control takes it through SKC_FADE_FRAME.
void StepFade(TsFadeTimer& timer);

// The weight of the old picture in frame step of stepCount, 255 - step * 256 / stepCount
// limited to 0..255.
uint8_t FadeAlpha(int step, int stepCount) noexcept;
// More frames than there are weights show nothing new; a skin asking for more gets this many.
inline constexpr int MaxFadeSteps = 255;
