#include "skin/forms/TitleAnimation.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/acGlow.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/FramePixels.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/sSkinProvider.h"
#include "skin/pixels/GlowPixels.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

// SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING.
constexpr UINT GlowZOrderFlags = 0x613;
// WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT: the mouse passes through the frame.
constexpr LONG_PTR GlowExStyle = 0x8080020;
constexpr LONG_PTR GlowCreateExStyle = 0x80000A0;

// A glow image larger than this is a skin's nonsense, not a frame to allocate.
constexpr int MaxFrameSide = 4096;

} // namespace

const ks::ClassInfo TacSBAnimation::StaticClassInfo{"TacSBAnimation", &TTimer::StaticClassInfo, {}, {}};

const ks::ClassInfo& TacSBAnimation::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TacSBAnimation::TacSBAnimation(TComponent* owner) : TTimer(owner)
{
    // Only a fade asks for ticks: a press is shown at once and never starts the timer.
    SetEnabled(false);
    SetOnTimer(TNotifyEvent(this, &TacSBAnimation::TimerTick));
}

TacSBAnimation::~TacSBAnimation()
{
    // The timer must not tick into a half-destroyed object, and the record must not keep a
    // pointer to it.
    try {
        SetEnabled(false);
    } catch (...) {
        // Stopping a timer cannot fail in a way that matters here.
    }
    ForgetOwner();
}

void TacSBAnimation::Free()
{
    ForgetOwner();
    TTimer::Free();
}

void TacSBAnimation::ForgetOwner() noexcept
{
    // The record lets go before the glow window goes: that window's destruction may run the
    // owner's code (a finished dialog's record is freed at the next window destruction), which
    // must not find this animation in the record and free it again.
    if (Button && Button->Animation == this)
        Button->Animation = nullptr;
    Button = nullptr;
    Provider = nullptr;
    BorderForm = nullptr;
    SkinData = nullptr;
    FreeFrame();
}

int TacSBAnimation::StepAlpha() const noexcept
{
    return MaxSteps > 0 ? std::max(255 / MaxSteps, 0) : 255;
}

void TacSBAnimation::FreeFrame() noexcept
{
    // A form's window is destroyed before the form counts as freed, and that destruction may
    // come back here: the glow is taken out first and freed last, once, with nothing of this
    // animation touched after it.
    TForm* glow = std::exchange(GlowForm, nullptr);
    FrameBmp.reset();
    FFrameState = -1;
    if (glow && FGlowWatch.Alive(glow))
        glow->Free();
}

void TacSBAnimation::HideFrame() noexcept
{
    // X reports a click to the window under the pointer, and the system drops what it reports
    // for a window already destroyed: a glow window destroyed the moment its fade ends, with a
    // click on its button not yet read, would take that click with it. A hidden window passes
    // it on to the button under it.
    FrameBmp.reset();
    FFrameState = -1;
    if (GlowForm && FGlowWatch.Alive(GlowForm) && GlowForm->HandleAllocated())
        ShowWindow(GlowForm->HandleIfAllocated(), SW_HIDE);
}

bool TacSBAnimation::OwnerGone()
{
    // A user title button removed from its collection takes its record with it: the record is
    // looked up again by its hit code, never read through a pointer that may dangle.
    if (Button && Provider && Provider->TitleButtonByHitCode(FHitCode) != Button)
        Button = nullptr;
    if (!Wnd || !IsWindow(Wnd) || !Button || !SkinData)
        return true;
    const TsSkinManager* manager = SkinData->SkinManager();
    return !manager || !manager->SkinData.SkinActive;
}

void TacSBAnimation::SetAnimationTarget(int state, bool forward)
{
    if (state == TargetState)
        return;
    TargetState = state;
    if (state != 0) {
        // A press composes its frame anew but keeps the glow window: under the cursor between
        // the button going down and coming up, a window destroyed and made again takes the
        // button-up with it, and the click is lost.
        if (state == 2) {
            FrameBmp.reset();
            FFrameState = -1;
        }
        Step = 1;
        Forward = forward;
        PaintFrame(std::min(StepAlpha(), 255));
        Step = 2;
    } else {
        Forward = false;
        Step = std::max(Step - 1, 0);
        // The fade-out starts where the fade-in stands, so leaving early never flashes.
        PaintFrame(std::clamp(StepAlpha() * Step, 0, 255));
    }
    SetEnabled(MaxSteps > 1);
}

void TacSBAnimation::TimerTick(TObject*)
{
    // Only the form's answer to the cursor's leave may free the provider, and this timer with
    // it; nothing of either is touched after that.
    if (OwnerGone()) {
        // The skin or the window went while the glow ran: nothing may stay on the screen.
        SetEnabled(false);
        TargetState = -1;
        FreeFrame();
        return;
    }
    if (Forward) {
        if (Step < MaxSteps) {
            PaintFrame(std::clamp(StepAlpha() * Step, 0, 255));
            ++Step;
            return;
        }
        if (MaxSteps != -1) {
            MaxSteps = -1;
            PaintFrame(255);
        }
        CheckCursorLeft();
        return;
    }
    if (Step > 0) {
        --Step;
        PaintFrame(std::clamp(StepAlpha() * Step, 0, 255));
        if (Step > 0)
            return;
    }
    TargetState = -1;
    SetEnabled(false);
    HideFrame();
}

void TacSBAnimation::CheckCursorLeft()
{
    POINT cursor{};
    RECT owner{};
    const HWND wnd = BorderForm && BorderForm->WindowHandle() ? BorderForm->WindowHandle() : Wnd;
    if (!ks::Sys().GetCursorPos(&cursor) || !GetWindowRect(wnd, &owner))
        return;
    const POINT p{cursor.x - owner.left, cursor.y - owner.top};
    const TRect& r = Button->Rect;
    if (p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom)
        return;
    SetEnabled(false);
    // The owner answers by fading the button out, and may free this animation meanwhile: nothing
    // of it is touched after the send.
    SendMessageW(Wnd, WM_MOUSELEAVE, 0, 0);
}

int TacSBAnimation::GlowMaskIndex() const
{
    TsSkinManager* manager = SkinData ? SkinData->SkinManager() : nullptr;
    if (!manager || !Button || !manager->MaskIndexValid(Button->ImageIndex))
        return -1;
    const std::string& property = manager->MaskArray[static_cast<size_t>(Button->ImageIndex)].PropertyName;
    return manager->FindMask(manager->CommonIndexes.GlobalInfoIndex, "GLOBALINFO", property + "GLOW0");
}

int TacSBAnimation::GlowSize() const
{
    TsSkinManager* manager = SkinData ? SkinData->SkinManager() : nullptr;
    if (!manager || !manager->AllowGlowing() || TargetState != 1 || !Button)
        return 0;
    switch (Button->HitCode) {
    case HTMINBUTTON: return manager->SkinData.BIMinGlow;
    case HTMAXBUTTON: return manager->SkinData.BIMaxGlow;
    case HTCLOSE: return manager->SkinData.BICloseGlow;
    default: return 0;
    }
}

TRect TacSBAnimation::FrameRect() const
{
    RECT owner{};
    const HWND wnd = BorderForm && BorderForm->WindowHandle() ? BorderForm->WindowHandle() : Wnd;
    if (!Button || !GetWindowRect(wnd, &owner))
        return {};
    TRect r{owner.left + Button->Rect.Left, owner.top + Button->Rect.Top, 0, 0};
    const int glow = GlowSize();
    const int glowMask = glow > 0 ? GlowMaskIndex() : -1;
    if (glowMask >= 0) {
        const TSize size = SkinData->SkinManager()->MaskCellSize(glowMask);
        r.Left -= glow;
        r.Top -= glow;
        r.Right = r.Left + size.cx;
        r.Bottom = r.Top + size.cy;
    } else {
        r.Right = r.Left + Button->Rect.Width();
        r.Bottom = r.Top + Button->Rect.Height();
    }
    return r;
}

void TacSBAnimation::BuildFrameBitmap(const TRect& frame, int glowSize, int glowMask)
{
    const int w = std::clamp(frame.Width(), 0, MaxFrameSide), h = std::clamp(frame.Height(), 0, MaxFrameSide);
    FrameBmp = NewBitmap32(w, h);
    FFrameState = TargetState;
    if (FrameBmp->Empty())
        return;
    TsSkinManager* manager = SkinData->SkinManager();
    const TRect all{0, 0, w, h};
    if (glowSize > 0 && glowMask >= 0) {
        // The painters give no alpha of their own: the image over black beside the image over
        // white tells how much of whatever lies below shows through.
        const TsMaskData& mask = manager->MaskArray[static_cast<size_t>(glowMask)];
        std::unique_ptr<TBitmap> onWhite = NewBitmap32(w, h);
        ks::FillRect32(FrameBmp->View(), all, 0);
        ks::FillRect32(onWhite->View(), all, 0x00FFFFFF);
        PaintStateGlyph(*FrameBmp, {0, 0}, 0, 1, mask, NoBackgroundCacheInfo);
        PaintStateGlyph(*onWhite, {0, 0}, 0, 1, mask, NoBackgroundCacheInfo);
        GdiFlush();
        ks::PremultiplyFromBackdrops(FrameBmp->View(), onWhite->View());
        return;
    }
    // The background under the button: the provider's copy of the title bar behind its buttons
    // holds it without the old glyph; otherwise the owner's image as it stands.
    TBitmap* source = SkinData->CacheBitmap.get();
    TPoint from{Button->Rect.Left, Button->Rect.Top};
    if (Provider && Provider->TempBmp && !Provider->TempBmp->Empty()) {
        source = Provider->TempBmp;
        from.X -= Provider->ButtonsBackgroundOrigin().X;
    }
    if (source && !source->Empty()) {
        std::unique_ptr<TBitmap> copy;
        if (source->PixelFormat() != pf32bit) {
            copy = NewBitmap32(source->Width(), source->Height());
            BitBlt(copy->Canvas().Handle(), 0, 0, source->Width(), source->Height(), source->Canvas().Handle(), 0, 0,
                   SRCCOPY);
            GdiFlush();
            source = copy.get();
        }
        ks::CopyRect(FrameBmp->View(), {0, 0}, source->View(), {from.X, from.Y, from.X + w, from.Y + h});
    }
    std::unique_ptr<TBitmap> before;
    if (BorderForm)
        before = NewBitmap32(w, h), ks::CopyRect(before->View(), {0, 0}, FrameBmp->View(), all);
    if (manager->MaskIndexValid(Button->ImageIndex)) {
        const TsMaskData& mask = manager->MaskArray[static_cast<size_t>(Button->ImageIndex)];
        PaintStateGlyph(*FrameBmp, {0, 0}, TargetState, 1, mask, CacheInfoFromBitmap(FrameBmp.get(), 0, 0));
    }
    if (Provider && Button->HitCode >= 1000)
        Provider->PaintUserButtonGlyph(*FrameBmp, Button->HitCode - 1000, {0, 0});
    GdiFlush();
    if (!before) {
        ks::SetAlpha32(FrameBmp->View(), all, 255);
        return;
    }
    // Under a border window the frame keeps the border image's alpha; what the glyph drew (GDI
    // leaves alpha 0 there) becomes opaque.
    ks::OpaqueWhereChanged32(FrameBmp->View(), before->View());
}

void TacSBAnimation::PaintFrame(int alpha)
{
    if (OwnerGone())
        return;
    auto update = ks::Sys().UpdateLayeredWindowPtr;
    if (!update)
        return;
    TRect frame = FrameRect();
    if (frame.Width() <= 0 || frame.Height() <= 0)
        return;
    if (!FrameBmp || (TargetState > 0 && TargetState != FFrameState)) {
        const int glow = GlowSize();
        BuildFrameBitmap(frame, glow, glow > 0 ? GlowMaskIndex() : -1);
    }
    if (!FrameBmp || FrameBmp->Empty())
        return;
    if (!GlowForm || !FGlowWatch.Alive(GlowForm)) {
        GlowForm = CreateNew<TForm>(nullptr);
        FGlowWatch.Watch(GlowForm);
        GlowForm->SetTag(GlowFormTag);
        GlowForm->SetVisible(false);
        GlowForm->SetBorderStyle(bsNone);
        GlowForm->SetColor(static_cast<TColor>(255));
        const HWND created = GlowForm->Handle();
        SetWindowLongPtrW(created, GWL_EXSTYLE, GetWindowLongPtrW(created, GWL_EXSTYLE) | GlowCreateExStyle);
    }
    if (frame.Width() != FrameBmp->Width()) {
        frame.Left -= (FrameBmp->Width() - frame.Width()) / 2;
        frame.Top -= (FrameBmp->Height() - frame.Height()) / 2;
    }
    const int cx = FrameBmp->Width(), cy = FrameBmp->Height();
    const HWND wnd = GlowForm->Handle();
    const HWND owner = BorderForm && BorderForm->WindowHandle() ? BorderForm->WindowHandle() : Wnd;
    // A tick changes only the constant alpha: each call below that would change nothing is left
    // out, since under Wine every window change costs several round trips to its server. The
    // layered update itself places and sizes the window.
    // Directly above the owner: below every window that was above it already. Where it sits
    // there already it stays; raised to the top it would go over those windows every other tick.
    const HWND above = GetWindow(owner, GW_HWNDPREV);
    if (above != wnd)
        SetWindowPos(wnd, above ? above : HWND_TOP, 0, 0, 0, 0, GlowZOrderFlags);
    const LONG_PTR exStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    if ((exStyle & GlowExStyle) != GlowExStyle)
        SetWindowLongPtrW(wnd, GWL_EXSTYLE, exStyle | GlowExStyle);
    ks::WindowDC screen(nullptr);
    POINT position{frame.Left, frame.Top};
    SIZE size{cx, cy};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::clamp(alpha, 0, 255)), AC_SRC_ALPHA};
    // A refused update shows nothing, which is all a failed glow may do.
    update(wnd, screen.get(), &position, &size, FrameBmp->Canvas().Handle(), &source, 0, &blend, ULW_ALPHA);
    if (!IsWindowVisible(wnd))
        ShowWindow(wnd, SW_SHOWNOACTIVATE);
}

void StartSBAnimation(TitleButtonRec& rec, int state, int steps, const TitleAnimationOwner& owner, bool enable)
{
    if (!owner.Wnd || !owner.SkinData)
        return;
    if (!enable)
        state = 0;
    TacSBAnimation* animation = rec.Animation;
    if (!animation) {
        if (state == 0)
            return;
        animation = Create<TacSBAnimation>(owner.Owner);
        animation->SetInterval(TitleAnimationInterval);
        animation->BorderForm = owner.BorderForm;
        animation->Wnd = owner.Wnd;
        animation->SkinData = owner.SkinData;
        animation->Provider = owner.Provider;
        animation->Button = &rec;
        animation->FHitCode = rec.HitCode;
        rec.Animation = animation;
    }
    animation->MaxSteps = steps;
    animation->SetAnimationTarget(state, state != 0);
}
