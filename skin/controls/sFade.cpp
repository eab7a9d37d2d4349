#include "skin/controls/sFade.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStoredSkins.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr unsigned FadeInterval = 10;

bool BeingDestroyed(const TComponent* c) noexcept
{
    return c->ComponentState().Contains(csDestroying);
}

bool OwnerGone(TControl* owner) noexcept
{
    return !owner || BeingDestroyed(owner) || (Application && Application->Terminated());
}

int SectionFrames(const TsCommonData& skinData) noexcept
{
    const TsGeneralData* section = skinData.Section();
    return section ? std::min(section->FadingIterations, MaxFadeSteps) : 0;
}

bool SectionFades(const TsCommonData& skinData) noexcept
{
    const TsGeneralData* section = skinData.Section();
    return section && section->FadingEnabled;
}

LRESULT TellOwner(TControl* owner, WORD command, LPARAM value = 0)
{
    return ks::PerformSkinMessage(*owner, SM_SKINCMD, MAKELONG(0, command), value);
}

// The control stays in the fade only while it is shown: a hidden control has nothing to fade.
bool OwnerShown(TControl* owner) noexcept
{
    if (auto* w = dynamic_cast<TWinControl*>(owner))
        return w->Showing();
    return owner->Visible();
}

} // namespace

uint8_t FadeAlpha(int step, int stepCount) noexcept
{
    if (stepCount == 0)
        return 0;
    return ClampByte(static_cast<int>(std::clamp<int64_t>(
        255 - static_cast<int64_t>(step) * 256 / stepCount, -1, 256)));
}

bool AnimEventAllowed(TacAnimatEvent event, TacAnimatEvents animatEvents, TsSkinManager* manager)
{
    if (animatEvents.Contains(event))
        return true;
    if (!animatEvents.Contains(aeGlobalDef))
        return false;
    if (!manager)
        manager = DefaultSkinManager;
    if (!manager || !manager->AnimEffects())
        return false;
    static constexpr TacBtnEvent Match[] = {beMouseEnter, beMouseLeave, beMouseDown, beMouseUp, beMouseUp};
    return manager->AnimEffects()->Buttons()->Events().Contains(Match[event]);
}

// ---- TsFadeTimer ----------------------------------------------------------------------------

const ks::ClassInfo TsFadeTimer::StaticClassInfo{"TsFadeTimer", &TTimer::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsFadeTimer::ClassInfo() const noexcept { return StaticClassInfo; }

TsFadeTimer::TsFadeTimer(TComponent* owner) : TTimer(owner), OldBitmap(NewBitmap24(0, 0))
{
    SetEnabled(false);
    // The library's timer ticks only while a handler is set; the work is in Timer().
    SetOnTimer(TNotifyEvent(this, &TsFadeTimer::Tick));
}

TsFadeTimer::~TsFadeTimer() = default;

void TsFadeTimer::Attach(TsCommonData* skinData)
{
    SkinData = skinData;
    TControl* owner = skinData->OwnerControl;
    if (skinData->BackgroundChanged && (!skinData->CacheBitmap || skinData->CacheBitmap->Empty())) {
        // An old picture first, so that the fade starts from what the control shows.
        if (auto* w = dynamic_cast<TWinControl*>(owner); w && w->HandleAllocated())
            SendCommandWnd(w->Handle(), SKC_PREPARE_CACHE, 0);
    }
    if (skinData->CacheBitmap)
        OldBitmap->Assign(skinData->CacheBitmap.get());
    SetInterval(FadeInterval);
    StepCount = SectionFrames(*skinData);
    if (Direction == 1)
        StepCount = Step;
}

void TsFadeTimer::SetDirection(uint8_t value)
{
    Direction = value;
    if (Step < 0)
        Step = 1;
    SetEnabled(value != 0);
}

bool TsFadeTimer::CheckFinished()
{
    try {
        auto* owner = dynamic_cast<TControl*>(Owner());
        if (OwnerGone(owner)) {
            Direction = 0;
            return false;
        }
        if (Step >= 0 && Step <= StepCount && OwnerShown(owner))
            return false;
        // A fade of no frames showed nothing of the new picture, which the cache already holds.
        const bool shownNothing = StepCount < 1;
        ks::ComponentWatch watch;
        watch.Watch(owner);
        TellOwner(owner, SKC_STOP_FADE);
        if (shownNothing && watch.Alive(owner))
            owner->Invalidate();
        return true;
    } catch (...) {
        return false;
    }
}

void TsFadeTimer::Timer()
{
    if (!SkinData || BeingDestroyed(this))
        return;
    if (CheckFinished())
        return;
    if (Direction == 1)
        StepFade(*this);
}

// ---- TsAnimTimer ----------------------------------------------------------------------------

const ks::ClassInfo TsAnimTimer::StaticClassInfo{"TsAnimTimer", &TTimer::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsAnimTimer::ClassInfo() const noexcept { return StaticClassInfo; }

TsAnimTimer::TsAnimTimer(TComponent* owner) : TTimer(owner), SourceBitmap(NewBitmap24(0, 0)), FrameBitmap(NewBitmap24(0, 0))
{
    SetEnabled(false);
    SetOnTimer(TNotifyEvent(this, &TsAnimTimer::Tick));
}

TsAnimTimer::~TsAnimTimer() = default;

void TsAnimTimer::Attach(TsCommonData* skinData)
{
    SkinData = skinData;
    SetInterval(FadeInterval);
    StepCount = SectionFrames(*skinData);
}

bool TsAnimTimer::CheckFinished()
{
    TControl* owner = SkinData ? SkinData->OwnerControl : nullptr;
    if (OwnerGone(owner))
        return true;
    if (Step >= 0 && Step <= StepCount && OwnerShown(owner))
        return false;
    TellOwner(owner, SKC_STOP_FADE);
    return true;
}

void TsAnimTimer::MakeFrame()
{
    TControl* owner = SkinData ? SkinData->OwnerControl : nullptr;
    if (Busy || OwnerGone(owner) || StepCount == 0 || Step < 0 || !SkinData->CacheBitmap) {
        ++Step;
        return;
    }
    Busy = true;
    ks::ScopeExit idle{[this] { Busy = false; }};
    const uint8_t a = FadeAlpha(Step, StepCount);
    TBitmap& cache = *SkinData->CacheBitmap;
    // The last frame, and any frame whose pictures no longer match in size, is the new picture.
    const bool sameSize = SourceBitmap->Width() == cache.Width() && SourceBitmap->Height() == cache.Height();
    FrameBitmap->Assign(a == 0 || !sameSize ? &cache : SourceBitmap.get());
    FrameBitmap->SetPixelFormat(pf24bit);
    if (a != 0 && sameSize)
        BlendBitmapsByAlpha(*FrameBitmap, cache, a);
    ++Step;
    NotifyFrame();
}

void TsAnimTimer::NotifyFrame()
{
    ks::ComponentWatch watch;
    TControl* owner = SkinData->OwnerControl;
    watch.Watch(owner);
    TellOwner(owner, SKC_SET_UPDATING);
    if (watch.Alive(owner))
        TellOwner(owner, SKC_REPAINT_NOW);
}

void TsAnimTimer::Timer()
{
    if (!BeingDestroyed(this) && !CheckFinished())
        MakeFrame();
}

// ---- the controls' entries ------------------------------------------------------------------

void StopFadeTimer(TsFadeTimer*& timer)
{
    TsFadeTimer* t = timer;
    timer = nullptr;
    if (!t)
        return;
    t->SetEnabled(false);
    t->Direction = 0;
    // One being destroyed goes with its owner; inside its own tick Free waits for the tick's end.
    if (!BeingDestroyed(t))
        t->Free();
}

void PrepareFadeTimer(TsFadeTimer*& timer, TsCommonData& skinData, bool halfSteps, uint8_t direction)
{
    TControl* owner = skinData.OwnerControl;
    if (!SectionFades(skinData) || !owner || BeingDestroyed(owner))
        return;
    if (!timer) {
        timer = Create<TsFadeTimer>(owner);
        timer->Step = 1;
    } else {
        timer->Step = SectionFrames(skinData);
    }
    timer->Attach(&skinData);
    if (halfSteps)
        timer->StepCount /= 2;
    if (timer->Step >= timer->StepCount || timer->Step < 1)
        timer->Step = 1;
    ks::ComponentWatch watch;
    watch.Watch(timer);
    TellOwner(owner, SKC_PREPARE_CACHE);
    if (watch.Alive(timer))
        timer->SetDirection(direction);
}

void StartStateFade(TsFadeTimer*& timer, TsCommonData& skinData, bool pressEvent, bool allowed, uint8_t direction)
{
    if (!skinData.IsSkinActive())
        return;
    if (!SkinLoadInProgress && allowed && SectionFades(skinData) && skinData.CacheBitmap &&
        !skinData.BackgroundChanged) {
        skinData.BackgroundChanged = true;
        PrepareFadeTimer(timer, skinData, pressEvent, direction);
    } else {
        skinData.BackgroundChanged = true;
        StopFadeTimer(timer);
        if (skinData.OwnerControl)
            skinData.OwnerControl->Repaint();
    }
    skinData.RefreshGlowEffect(pressEvent);
}

void StepFade(TsFadeTimer& timer)
{
    auto* owner = dynamic_cast<TControl*>(timer.Owner());
    if (!owner || BeingDestroyed(owner) || timer.StepCount == 0 || !timer.SkinData)
        return;
    if (!owner->Enabled()) {
        timer.SetEnabled(false);
        timer.StepCount = 0;
        timer.SkinData->Invalidate();
        return;
    }
    TBitmap* cache = timer.SkinData->CacheBitmap.get();
    if (!cache)
        return;
    const uint8_t a = FadeAlpha(timer.Step, timer.StepCount);
    // The last frame is the new picture itself (the blend rounds white to 254); so is every
    // frame once the control changed size under the fade.
    const bool sameSize = timer.OldBitmap->Width() == cache->Width() && timer.OldBitmap->Height() == cache->Height();
    std::unique_ptr<TBitmap> frame = NewBitmap24(0, 0);
    frame->Assign(a == 0 || !sameSize ? cache : timer.OldBitmap.get());
    frame->SetPixelFormat(pf24bit);
    if (a != 0 && sameSize)
        BlendBitmapsByAlpha(*frame, *cache, a);

    ks::ComponentWatch watch;
    watch.Watch(owner);
    watch.Watch(&timer);
    auto* windowed = dynamic_cast<TWinControl*>(owner);
    HWND wnd = windowed && windowed->HandleAllocated() ? windowed->Handle() : nullptr;
    if (TellOwner(owner, SKC_FADE_FRAME, reinterpret_cast<LPARAM>(frame.get())) == 0 && watch.Alive(owner) && wnd &&
        IsWindow(wnd)) {
        ks::WindowDC dc(wnd);
        const int saved = SaveDC(dc.get());
        // The frame covers the whole window: in a mirrored one it reads left to right.
        ks::UnmirroredDC unmirrored(dc.get());
        BitBlt(dc.get(), 0, 0, frame->Width(), frame->Height(), frame->Canvas().Handle(), 0, 0, SRCCOPY);
        RestoreDC(dc.get(), saved);
    }
    if (watch.Alive(&timer))
        ++timer.Step;
}
