// The show animations of skinned forms and dialogs (see the header).

#include "skin/core/FormAnimation.h"

#include "skin/core/AnimationFrames.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/WinRoutines.h"
#include "skin/core/acFastPixels.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "vcl/Bitmap.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Placement flags of every step: no copied bits, no activation, no redraw.
constexpr UINT BaseFlags = SWP_NOCOPYBITS | SWP_NOACTIVATE | SWP_NOREDRAW;
constexpr UINT RedrawAll = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME;
// No colour key: ULW_ALPHA alone decides.
constexpr COLORREF NoColorKey = 0x1FFFFFFF;
constexpr LONG_PTR LayeredSurfaceStyles = WS_EX_LAYERED | WS_EX_NOACTIVATE;

bool gRunning = false;
// Windows whose animation was asked for while another ran; they are repainted once it is over,
// as painting waits for the paint lock to end.
std::vector<HWND> gPending;

// Redraw goes back on only for a window still meant to show: turning redraw off took its
// visible style and turning it on gives the style back, so a control hidden meanwhile (from an
// OnPaint that the capture ran) would come back on the screen while it says it is hidden.
void RedrawOn(HWND wnd)
{
    const TWinControl* control = FindControl(wnd);
    if (control && !control->Visible())
        return;
    SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
}

void RedrawWithChildren(HWND wnd)
{
    RedrawOn(wnd);
    RedrawWindow(wnd, nullptr, nullptr, RedrawAll);
}

// The running mark and the paint lock for the life of one animation; the lock and the capture
// DC are always off afterwards.
class RunningAnimation {
public:
    RunningAnimation() noexcept
    {
        gRunning = true;
        PaintLock = true;
    }
    ~RunningAnimation()
    {
        PaintLock = false;
        CaptureDC = nullptr;
        gRunning = false;
        const std::vector<HWND> pending = std::exchange(gPending, {});
        for (HWND wnd : pending)
            if (IsWindow(wnd))
                RedrawWithChildren(wnd);
    }
    RunningAnimation(const RunningAnimation&) = delete;
    RunningAnimation& operator=(const RunningAnimation&) = delete;
};

// CaptureDC is the bitmap's DC, and its canvas keeps that DC, for the life of the scope.
class CaptureScope {
public:
    explicit CaptureScope(TBitmap& bitmap) : FCanvas(bitmap.Canvas())
    {
        FCanvas.Lock();
        CaptureDC = FCanvas.Handle();
    }
    ~CaptureScope()
    {
        CaptureDC = nullptr;
        FCanvas.Unlock();
    }
    CaptureScope(const CaptureScope&) = delete;
    CaptureScope& operator=(const CaptureScope&) = delete;

private:
    TCanvas& FCanvas;
};

// The look a call shows when it does not animate: the window as it paints itself, at once or,
// while another animation runs, as soon as that one ends.
void ShowFinalLook(HWND wnd)
{
    if (!wnd || !IsWindow(wnd))
        return;
    if (gRunning) {
        if (std::find(gPending.begin(), gPending.end(), wnd) == gPending.end())
            gPending.push_back(wnd);
        return;
    }
    RedrawWithChildren(wnd);
}

void AddExStyle(HWND wnd, LONG_PTR bits)
{
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | bits);
}

bool IsTopmost(HWND wnd)
{
    return (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// The layered update of an animation: the whole image at the window's place, its per-pixel
// alpha scaled by alpha.
void PushImage(HWND wnd, HDC screen, TBitmap& image, uint8_t alpha)
{
    auto update = ks::Sys().UpdateLayeredWindowPtr;
    if (!update || !wnd || image.Empty())
        return;
    SIZE size{image.Width(), image.Height()};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    // A refused update leaves the surface as it was; the real window is repainted at the end
    // whatever the surface showed.
    update(wnd, screen, nullptr, &size, image.Canvas().Handle(), &source, NoColorKey, &blend, ULW_ALPHA);
}

// The layered update of a pass that drew nothing new: the window keeps its image and only its
// opacity changes, which spares the system copying the whole image again.
void PushAlpha(HWND wnd, uint8_t alpha)
{
    auto update = ks::Sys().UpdateLayeredWindowPtr;
    if (!update || !wnd)
        return;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    update(wnd, nullptr, nullptr, nullptr, nullptr, nullptr, NoColorKey, &blend, ULW_ALPHA);
}

// A 32-bit bitmap with every byte 0: new bitmaps are white, which would flash around the
// growing image.
std::unique_ptr<TBitmap> ClearBitmap32(int width, int height)
{
    std::unique_ptr<TBitmap> bitmap = NewBitmap32(width, height);
    const ks::PixelView view = bitmap->View();
    for (int y = 0; y < view.height; ++y)
        std::memset(view.Row(y), 0, static_cast<size_t>(view.width) * 4);
    return bitmap;
}

void DrawFramePass(TBitmap& frame, TBitmap& image, const ks::FramePass& pass)
{
    HDC target = frame.Canvas().Handle();
    HDC source = image.Canvas().Handle();
    switch (pass.Draw) {
    case ks::FrameDraw::Nothing:
        break;
    case ks::FrameDraw::Whole:
        BitBlt(target, 0, 0, image.Width(), image.Height(), source, 0, 0, SRCCOPY);
        break;
    case ks::FrameDraw::Stretched:
        // The default mode ANDs rows together when shrinking, which darkens the small frames.
        SetStretchBltMode(target, COLORONCOLOR);
        StretchBlt(target, pass.Dest.Left, pass.Dest.Top, pass.Dest.Width(), pass.Dest.Height(), source, 0, 0,
                   image.Width(), image.Height(), SRCCOPY);
        break;
    }
}

// A form of the base class whose window serves as the layered surface; never skinned.
TForm* NewLayeredSurface(TComponent* owner)
{
    TForm* surface = CreateNew<TForm>(owner);
    surface->SetTag(-98);
    surface->SetBorderStyle(bsNone);
    return surface;
}

// The state of one layered animation: the captured image, the frame bitmap, the surface it is
// pushed to and where that surface lies. Finish undoes whatever the steps got to, so it is
// called on every way out; it may run half-prepared.
class LayeredShow {
public:
    std::unique_ptr<TBitmap> Image;
    std::unique_ptr<TBitmap> Frame;
    std::optional<ks::WindowDC> Screen;
    std::optional<ks::FrameSteps> Steps;
    HWND Surface = nullptr;
    RECT Window{};
    TPoint Offset{0, 0};

    int Width() const { return Image->Width(); }
    int Height() const { return Image->Height(); }
    HDC ScreenDC() const { return Screen ? Screen->get() : nullptr; }

    // Lays the surface directly below anchor (just above the real window) at the real window's
    // place minus the offset.
    void PlaceSurface(HWND anchor)
    {
        const UINT keep = anchor == Surface ? SWP_NOZORDER : 0;
        SetWindowPos(Surface, anchor, Window.left - Offset.X, Window.top - Offset.Y, Width(), Height(),
                     BaseFlags | keep);
    }

    // The passes of the frame plan, each pushed to the surface; false when alive() turned false
    // after a pass, and the rest was not drawn.
    template <class Alive>
    bool RunFrames(Alive alive)
    {
        Frame = ClearBitmap32(Width(), Height());
        for (int i = 0; i < Steps->Passes(); ++i) {
            const ks::FramePass pass = Steps->Frame();
            DrawFramePass(*Frame, *Image, pass);
            if (pass.Draw == ks::FrameDraw::Nothing && i > 0)
                PushAlpha(Surface, pass.Alpha);
            else
                PushImage(Surface, ScreenDC(), *Frame, pass.Alpha);
            Steps->Step();
            ks::Sys().Sleep(ks::AnimationFramePeriod);
            if (!alive())
                return false;
        }
        return true;
    }
};

// Runs finish once: at the end of the steps, or when they are left early by an exception.
// A failure inside the clean-up after an exception would only hide the first one.
template <class F>
class FinishGuard {
public:
    explicit FinishGuard(F finish) : FFinish(std::move(finish)) {}
    ~FinishGuard()
    {
        if (FDone)
            return;
        try {
            FFinish();
        } catch (...) {
        }
    }
    void Finish()
    {
        FDone = true;
        FFinish();
    }
    // The steps did everything themselves.
    void Dismiss() noexcept { FDone = true; }
    FinishGuard(const FinishGuard&) = delete;
    FinishGuard& operator=(const FinishGuard&) = delete;

private:
    F FFinish;
    bool FDone = false;
};

struct FoundProvider {
    TComponent* Component = nullptr;
    ks::AnimatedFormProvider* Services = nullptr;
};

FoundProvider ProviderOf(TCustomForm& form)
{
    FoundProvider found;
    found.Component = ks::ProviderComponentOf(form);
    found.Services = dynamic_cast<ks::AnimatedFormProvider*>(found.Component);
    if (!found.Services)
        found.Component = nullptr;
    return found;
}

// ---- a form through a temporary layered form -------------------------------------------------

void AnimateLayeredForm(TCustomForm& form, FoundProvider provider, uint16_t time, uint8_t maxAlpha, TacAnimType mode)
{
    ks::AnimatedFormProvider& p = *provider.Services;
    const HWND wnd = form.HandleIfAllocated();
    ks::ComponentWatch watch;
    watch.Watch(&form);
    watch.Watch(provider.Component);
    ks::AnimatedBorderForm* border = p.BorderForm();
    TCustomForm* borderForm = border ? border->WindowForm() : nullptr;
    const HWND borderWnd = borderForm ? borderForm->HandleIfAllocated() : nullptr;
    if (borderWnd)
        watch.Watch(borderForm);
    LayeredShow show;
    TForm* surface = nullptr;
    bool borderHidden = false;

    auto formAlive = [&] { return watch.Alive(&form) && IsWindow(wnd); };
    auto borderAlive = [&] { return borderWnd && watch.Alive(borderForm) && IsWindow(borderWnd); };
    FinishGuard finish{[&] {
        PaintLock = false;
        if (formAlive()) {
            if (form.AlphaBlend())
                form.SetAlphaBlendValue(maxAlpha);
            RedrawOn(wnd);
            if (borderAlive())
                SetWindowRgn(borderWnd, watch.Alive(provider.Component) ? border->MakeRgn().release() : nullptr, FALSE);
            RedrawWindow(wnd, nullptr, nullptr, RedrawAll);
        }
        if (borderAlive() && formAlive() && show.Image) {
            SetWindowPos(borderWnd, nullptr, show.Window.left - show.Offset.X, show.Window.top - show.Offset.Y,
                         show.Width(), show.Height(), BaseFlags | SWP_NOZORDER);
            PushImage(borderWnd, show.ScreenDC(), *show.Image, maxAlpha);
        }
        const bool shown = formAlive() && IsWindowVisible(wnd);
        if (borderAlive() && (borderHidden || !shown))
            ShowWindow(borderWnd, shown ? SW_SHOWNOACTIVATE : SW_HIDE);
        show.Screen.reset();
        if (watch.Alive(surface))
            surface->Free();
        ks::SetAnimationOutput(nullptr);
    }};

    p.PaintNonClient();
    if (!formAlive() || !watch.Alive(provider.Component))
        return;
    const TBitmap* cache = p.FormImage();
    show.Image = NewBitmap32(cache ? cache->Width() : 0, cache ? cache->Height() : 0);
    if (show.Image->Empty())
        return finish.Finish();
    {
        CaptureScope capture(*show.Image);
        PaintControlToBitmap(*show.Image, &form, 0, 0, &p);
        if (!borderWnd)
            SetRectAlpha32(show.Image.get(), {0, 0, show.Width(), show.Height()}, 255);
    }
    if (!formAlive() || !watch.Alive(provider.Component))
        return;

    show.Steps.emplace(time, maxAlpha, mode, show.Width(), show.Height());
    if (borderWnd)
        show.Offset = border->OwnerOffset();
    GetWindowRect(wnd, &show.Window);
    const bool topmost = IsTopmost(wnd);
    // Asked before the surface has a window, which would otherwise come between.
    const HWND anchor = topmost ? HWND_TOPMOST : GetWindow(wnd, GW_HWNDPREV);

    surface = NewLayeredSurface(nullptr);
    watch.Watch(surface);
    ks::SetAnimationOutput(surface);
    surface->SetBoundsRect(borderWnd ? borderForm->BoundsRect() : form.BoundsRect());
    if (topmost)
        surface->SetFormStyle(fsStayOnTop);
    show.Surface = surface->Handle();
    show.PlaceSurface(anchor);

    show.Screen.emplace(nullptr);
    AddExStyle(show.Surface, LayeredSurfaceStyles);
    if (borderWnd)
        AddExStyle(borderWnd, LayeredSurfaceStyles);
    PushImage(show.Surface, show.ScreenDC(), *show.Image, show.Steps->StartAlpha());
    ShowWindow(show.Surface, SW_SHOWNOACTIVATE);
    if (!show.RunFrames([&] { return formAlive() && watch.Alive(surface) && watch.Alive(provider.Component); }))
        return;

    if (borderWnd) {
        ShowWindow(borderWnd, SW_HIDE);
        borderHidden = true;
    }
    finish.Finish();
}

// ---- any control through the output window ---------------------------------------------------

void AnimateInOutputWindow(TWinControl& control, FoundProvider provider, uint16_t time)
{
    const HWND wnd = control.HandleIfAllocated();
    ks::ComponentWatch watch;
    watch.Watch(&control);
    if (provider.Component)
        watch.Watch(provider.Component);
    auto controlAlive = [&] { return watch.Alive(&control) && IsWindow(wnd); };
    const int frames = ks::AnimationFrameCount(time);

    std::unique_ptr<TBitmap> image;
    std::unique_ptr<TBitmap> frame;
    std::optional<ks::WindowDC> outputDC;
    FinishGuard finish{[&] {
        PaintLock = false;
        if (controlAlive())
            RedrawWithChildren(wnd);
        outputDC.reset();
        ks::ClearAnimationSlots();
    }};

    if (!ks::AnimationOutput())
        ShowOutputWindow(&control);
    if (!controlAlive())
        return;
    const int w = control.Width();
    const int h = control.Height();
    image = NewBitmap24(w, h);
    {
        CaptureScope capture(*image);
        PaintControlToBitmap(*image, &control, 0, 0, nullptr);
    }
    frame = NewBitmap32(w, h);
    TWinControl* output = ks::AnimationOutput();
    if (!controlAlive() || !output)
        return;
    if (provider.Component && watch.Alive(provider.Component)) {
        provider.Services->MakeRegionRects();
        SetWindowRgn(output->Handle(), provider.Services->MakeRgnWithoutRects(0, 0).release(), FALSE);
    }
    outputDC.emplace(output->Handle(), ks::WindowDC::WholeWindow);
    TBitmap* screen = ks::AnimationScreenImage();
    if (frames > 0 && screen) {
        for (int pass = 0; pass <= frames; ++pass) {
            BlendBitmapsTo32(*frame, *screen, *image, ks::CrossFadeWeight(frames, pass), nullptr);
            BitBlt(outputDC->get(), 0, 0, w, h, frame->Canvas().Handle(), 0, 0, SRCCOPY);
            if (pass == frames)
                break;
            ks::Sys().Sleep(ks::AnimationFramePeriod);
            if (!controlAlive() || ks::AnimationOutput() != output)
                return;
        }
    }
    BitBlt(outputDC->get(), 0, 0, w, h, image->Canvas().Handle(), 0, 0, SRCCOPY);
    PaintLock = false;
    RedrawOn(wnd);
    if (ks::Sys().Win32MajorVersion() >= 6)
        RedrawWindow(wnd, nullptr, nullptr, RedrawAll);
    // A layered form keeps the output window until it is freed; any other control was just
    // repainted below it, so it goes without repainting what it covered.
    const bool layeredForm = dynamic_cast<TCustomForm*>(&control) && (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    if (controlAlive() && ks::AnimationOutput() == output && !layeredForm)
        SetWindowPos(output->Handle(), nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    outputDC.reset();
    ks::ClearAnimationSlots();
    // The control is repainted already; the finish must not do it a second time.
    finish.Dismiss();
}

} // namespace

// ---- the three animations -----------------------------------------------------------------------

void AnimateFormWindow(TWinControl* control, uint16_t time, uint8_t maxAlpha, TacAnimType mode)
{
    if (!control || control->ComponentState().Contains(csDestroying) || !control->HandleAllocated())
        return;
    if (gRunning)
        return ShowFinalLook(control->HandleIfAllocated());
    RunningAnimation running;
    auto* form = dynamic_cast<TCustomForm*>(control);
    const FoundProvider provider = form ? ProviderOf(*form) : FoundProvider{};
    // A form that names no provider has no skinned image to show in a layered window.
    if (form && provider.Services && ks::Sys().LayeredWindowsAvailable())
        AnimateLayeredForm(*form, provider, time, maxAlpha, mode);
    else
        AnimateInOutputWindow(*control, provider, time);
}

void AnimateBorderedForm(ks::AnimatedBorderForm& border, uint16_t time, uint8_t maxAlpha, TacAnimType mode)
{
    ks::AnimatedFormProvider* provider = border.OwnerProvider();
    TCustomForm* form = provider ? provider->ProviderForm() : nullptr;
    TCustomForm* borderForm = border.WindowForm();
    if (gRunning || !form || !form->HandleAllocated() || !borderForm)
        return ShowFinalLook(border.OwnerHandle());
    RunningAnimation running;
    // The form's OnPaint runs under the capture and may free the provider and its border window:
    // neither is read again but through the watches below.
    const HWND wnd = form->HandleIfAllocated();
    ks::ComponentWatch watch;
    watch.Watch(form);
    watch.Watch(borderForm);
    auto formAlive = [&] { return watch.Alive(form) && IsWindow(wnd); };
    LayeredShow show;
    show.Surface = borderForm->Handle();
    // A dropped border window no longer names its provider; it stays hidden.
    auto borderAlive = [&] {
        return formAlive() && watch.Alive(borderForm) && IsWindow(show.Surface) && border.OwnerProvider() == provider;
    };

    FinishGuard finish{[&] {
        if (borderAlive() && show.Image) {
            SetWindowPos(show.Surface, nullptr, show.Window.left - show.Offset.X, show.Window.top - show.Offset.Y,
                         show.Width(), show.Height(), BaseFlags | SWP_NOZORDER);
            PushImage(show.Surface, show.ScreenDC(), *show.Image, maxAlpha);
        } else if (!borderAlive() && watch.Alive(borderForm) && IsWindow(show.Surface)) {
            ShowWindow(show.Surface, SW_HIDE);
        }
        show.Frame.reset();
        show.Screen.reset();
        PaintLock = false;
        if (formAlive()) {
            if (form->AlphaBlend())
                form->SetAlphaBlendValue(maxAlpha);
            RedrawOn(wnd);
            InvalidateRect(wnd, nullptr, FALSE);
            UpdateWindow(wnd);
            RedrawWindow(wnd, nullptr, nullptr, RedrawAll);
        }
        if (borderAlive() && !IsWindowVisible(wnd))
            ShowWindow(show.Surface, SW_HIDE);
        else if (borderAlive() && show.Image)
            SetWindowPos(show.Surface, wnd, show.Window.left - show.Offset.X, show.Window.top - show.Offset.Y,
                         show.Width(), show.Height(), BaseFlags);
    }};

    border.PaintOwnerNonClient();
    if (!borderAlive())
        return;
    const TBitmap* cache = border.BorderImage();
    if (!cache || cache->Empty())
        return;
    show.Image = NewBitmap32(cache->Width(), cache->Height());
    {
        CaptureScope capture(*show.Image);
        PaintControlToBitmap(*show.Image, form, 0, 0, provider);
    }
    if (!borderAlive())
        return;

    show.Steps.emplace(time, maxAlpha, mode, show.Width(), show.Height());
    show.Offset = border.OwnerOffset();
    GetWindowRect(wnd, &show.Window);
    borderForm->SetBounds(show.Window.left - show.Offset.X, show.Window.top - show.Offset.Y, show.Width(), show.Height());
    const bool topmost = IsTopmost(wnd);
    if (topmost)
        borderForm->SetFormStyle(fsStayOnTop);
    const HWND anchor = topmost ? HWND_TOPMOST : GetWindow(wnd, GW_HWNDPREV);

    show.Screen.emplace(nullptr);
    AddExStyle(show.Surface, LayeredSurfaceStyles);
    PushImage(show.Surface, show.ScreenDC(), *show.Image, show.Steps->StartAlpha());
    ShowWindow(show.Surface, SW_SHOWNOACTIVATE);
    show.PlaceSurface(anchor);
    show.RunFrames([&] { return borderAlive(); });
    finish.Finish();
}

void AnimateDialogWindow(ks::AnimatedDialog& dialog, uint16_t time, uint8_t maxAlpha, TacAnimType mode)
{
    const HWND wnd = dialog.DialogHandle();
    if (gRunning || !wnd || !IsWindow(wnd))
        return ShowFinalLook(wnd);
    RunningAnimation running;
    ks::AnimatedBorderForm* border = dialog.BorderForm();
    TCustomForm* borderForm = border ? border->WindowForm() : nullptr;
    ks::ComponentWatch watch;
    TForm* temporary = nullptr;
    TCustomForm* surfaceForm = borderForm;
    if (!surfaceForm) {
        temporary = NewLayeredSurface(Application);
        surfaceForm = temporary;
    }
    watch.Watch(surfaceForm);
    LayeredShow show;
    auto dialogAlive = [&] { return IsWindow(wnd) != FALSE; };
    auto surfaceAlive = [&] { return watch.Alive(surfaceForm) && show.Surface && IsWindow(show.Surface); };

    FinishGuard finish{[&] {
        if (dialogAlive() && surfaceAlive() && show.Image) {
            SetWindowPos(wnd, show.Surface, 0, 0, 0, 0, BaseFlags | SWP_NOSIZE | SWP_NOMOVE);
            PushImage(show.Surface, show.ScreenDC(), *show.Image, maxAlpha);
        } else if (!temporary && surfaceAlive()) {
            ShowWindow(show.Surface, SW_HIDE);
        }
        show.Frame.reset();
        show.Screen.reset();
        PaintLock = false;
        if (dialogAlive()) {
            dialog.UpdateWndRegion(false);
            RedrawOn(wnd);
            InvalidateRect(wnd, nullptr, TRUE);
            RedrawWindow(wnd, nullptr, nullptr, RedrawAll);
        }
        show.Image.reset();
        // Its window vanishes and uncovers the dialog just below it.
        if (watch.Alive(temporary))
            temporary->Free();
    }};

    dialog.PaintNonClient();
    TBitmap* cache = dialog.DialogImage();
    if (!dialogAlive() || !cache || cache->Empty())
        return;
    RECT client{};
    GetClientRect(wnd, &client);
    show.Image = NewBitmap32(cache->Width(), cache->Height());
    {
        CaptureScope capture(*show.Image);
        HDC dc = show.Image->Canvas().Handle();
        BitBlt(dc, 0, 0, show.Width(), show.Height(), cache->Canvas().Handle(), 0, 0, SRCCOPY);
        ks::SavedDC saved(dc);
        const int x = dialog.ClientOffsetX();
        const int y = dialog.ClientOffsetY();
        OffsetWindowOrgEx(dc, -x, -y, nullptr);
        IntersectClipRect(dc, 0, 0, client.right, client.bottom);
        PrintChildWindows(wnd, dc);
        const TRect opaque = border ? TRect{x, y, x + client.right, y + client.bottom} : TRect{0, 0, show.Width(), show.Height()};
        SetRectAlpha32(show.Image.get(), opaque, 255);
    }
    if (!dialogAlive() || !watch.Alive(surfaceForm))
        return;

    show.Steps.emplace(time, maxAlpha, mode, show.Width(), show.Height());
    if (border)
        show.Offset = border->OwnerOffset();
    GetWindowRect(wnd, &show.Window);
    const bool topmost = IsTopmost(wnd);
    const HWND anchor = topmost ? HWND_TOPMOST : GetWindow(wnd, GW_HWNDPREV);
    surfaceForm->SetBounds(show.Window.left - show.Offset.X, show.Window.top - show.Offset.Y, show.Width(), show.Height());
    if (topmost)
        surfaceForm->SetFormStyle(fsStayOnTop);
    show.Surface = surfaceForm->Handle();

    show.Screen.emplace(nullptr);
    AddExStyle(show.Surface, LayeredSurfaceStyles);
    PushImage(show.Surface, show.ScreenDC(), *show.Image, show.Steps->StartAlpha());
    ShowWindow(show.Surface, SW_SHOWNOACTIVATE);
    show.PlaceSurface(anchor);
    show.RunFrames([&] { return dialogAlive() && surfaceAlive(); });
    finish.Finish();
}

bool ks::AnimationRunning() noexcept
{
    return gRunning;
}
