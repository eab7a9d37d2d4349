// The skinned frame of a 420 x 303 form under the internal skin, on Windows or under Wine (a
// plain timing program run by ./project bench): a full non-client repaint with the caches invalid
// (the frame image painted anew) and valid (only the strips copied to the window), against the
// platform's own non-client repaint of the same form; and the layered border window's update on
// a move against an UpdateLayeredWindow of its image; and a title button's whole hover fade (in
// and out, every tick's work without the waits) against the time the fade lasts on the screen.
// It reports, it never passes or fails.
#include "bench/Interleaved.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/TitleAnimation.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"

#include <cstdio>
#include <string>

namespace {

using ks::bench::Interleave;
using ks::bench::Text;

TForm* NewForm()
{
    ks::SetNextFormCreation({true, false, {}});
    TForm* form = CreateNew<TForm>(nullptr);
    form->SetBorderStyle(bsSizeable);
    form->SetBounds(60, 60, 420, 303);
    form->SetCaption(L"Генератор паролей");
    form->Show();
    return form;
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The form's provider under manager, set up, with its border window when asked.
TsSkinProvider* SkinnedBy(TForm& form, TsSkinManager* manager, bool borderWindow)
{
    Pump();
    auto* provider = Create<TsSkinProvider>(&form);
    provider->SkinData()->SetSkinManager(manager);
    provider->SetUpForm();
    provider->SetBorderFormActive(borderWindow);
    return provider;
}

void MeasureFrame(TsSkinManager* manager)
{
    TForm* plain = NewForm();
    Pump();
    const HWND plainWnd = plain->Handle();
    const auto platform = [&] { DefWindowProcW(plainWnd, WM_NCPAINT, 1, 0); };

    TForm* form = NewForm();
    TsSkinProvider* provider = SkinnedBy(*form, manager, false);
    provider->FormActive = true;
    const ks::bench::Ratio invalid = Interleave([&] {
        provider->FormChanged = true;
        provider->SkinData()->BackgroundChanged = true;
        // The window's region is the geometry's work, not the painting's: kept as it is.
        provider->NeedRegionUpdate = false;
        provider->NCPaint();
    }, platform);
    provider->NeedRegionUpdate = false;
    provider->NCPaint();
    const ks::bench::Ratio valid = Interleave([&] { provider->NCPaint(); }, platform);
    std::printf("NCPaint/24bpp/420x303  invalid %8.1f us  valid %8.1f us  platform %8.1f us  %s x_platform_max=2 %s\n",
                invalid.A * 1e6, valid.A * 1e6, valid.B * 1e6, Text("x_platform(valid)", valid).c_str(),
                Text("x_platform(invalid)", invalid).c_str());
    form->Free();
    plain->Free();
    Pump();
}

void MeasureBorder(TsSkinManager* manager)
{
    manager->SetExtendedBorders(true);
    if (!manager->ExtendedBorders() || !ks::Sys().UpdateLayeredWindowPtr) {
        std::printf("Border/32bpp: no layered windows here\n");
        return;
    }
    TForm* form = NewForm();
    TsSkinProvider* provider = SkinnedBy(*form, manager, true);
    TacBorderForm* border = provider->BorderForm;
    if (!border) {
        std::printf("Border/32bpp: the provider made no border window\n");
        form->Free();
        return;
    }
    border->UpdateBorderWindow(true, 255);
    const HWND wnd = border->WindowHandle();
    TBitmap* image = border->BorderImage();
    int x = 60;
    // A move: the form goes one pixel and the border window follows, its image unchanged; and
    // the same with the image pushed again, as after a change of the frame.
    const auto update = [&] {
        x = x == 60 ? 61 : 60;
        SetWindowPos(form->Handle(), nullptr, x, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        border->UpdateBorderWindow(true, 255);
    };
    const auto pushed = [&] {
        x = x == 60 ? 61 : 60;
        SetWindowPos(form->Handle(), nullptr, x, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        border->ImageChanged = true;
        border->UpdateBorderWindow(true, 255);
    };
    ks::WindowDC screen(nullptr);
    const auto bare = [&] {
        x = x == 60 ? 61 : 60;
        SetWindowPos(form->Handle(), nullptr, x, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        POINT position{x - 8, 52};
        SIZE size{image->Width(), image->Height()};
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ks::Sys().UpdateLayeredWindowPtr(wnd, screen.get(), &position, &size, image->Canvas().Handle(), &source, 0,
                                         &blend, ULW_ALPHA);
    };
    const ks::bench::Ratio moved = Interleave(update, bare);
    const ks::bench::Ratio withImage = Interleave(pushed, bare);
    std::printf("BorderMove/32bpp/%dx%d  update %8.1f us  with image %8.1f us  UpdateLayeredWindow %8.1f us  %s %s "
                "x_ulw_max=1.2\n",
                image->Width(), image->Height(), moved.A * 1e6, withImage.A * 1e6, withImage.B * 1e6,
                Text("x_ulw", moved).c_str(), Text("x_ulw(with image)", withImage).c_str());
    form->Free();
    Pump();
}

POINT gCursor{};

BOOL WINAPI CursorOnButton(POINT* p)
{
    *p = gCursor;
    return TRUE;
}

// The fade's work: the hover starts it, the ticks run it in and hold it, the leave runs it out
// until its window is gone. The ticks are called, not waited for.
void MeasureTitleFade(TsSkinManager* manager, bool extendedBorders)
{
    manager->SetExtendedBorders(extendedBorders);
    TForm* form = NewForm();
    TsSkinProvider* provider = SkinnedBy(*form, manager, extendedBorders);
    provider->FormActive = true;
    provider->FormChanged = true;
    provider->SkinData()->BackgroundChanged = true;
    provider->PaintNonClient();
    if (provider->BorderForm)
        provider->BorderForm->UpdateBorderWindow(true, 255);
    const HWND border = provider->BorderForm ? provider->BorderForm->WindowHandle() : nullptr;
    TitleButtonRec& close = provider->ButtonClose;
    int ticks = 0, fades = 0;
    // The mouse rests on the button while the fade runs in, as the fade checks at its end.
    RECT wr{};
    GetWindowRect(border ? border : form->Handle(), &wr);
    gCursor = {wr.left + (close.Rect.Left + close.Rect.Right) / 2, wr.top + (close.Rect.Top + close.Rect.Bottom) / 2};
    ks::Sys().GetCursorPos = &CursorOnButton;
    // Where the fade's time goes: its two starts (the hover and the leave) and its ticks.
    double starts = 0, inTicks = 0;
    const ks::bench::Timing work = ks::bench::Measure([&] {
        ++fades;
        const double t0 = ks::bench::Now();
        provider->SetHotHitCode(HTCLOSE, true);
        TacSBAnimation* animation = close.Animation;
        if (!animation)
            return;
        animation->SetEnabled(false);
        const double t1 = ks::bench::Now();
        for (int i = 0; animation->MaxSteps != -1 && i < 100; ++i, ++ticks)
            animation->TimerTick(animation);
        const double t2 = ks::bench::Now();
        provider->SetHotHitCode(0, true);
        animation->SetEnabled(false);
        const double t3 = ks::bench::Now();
        for (int i = 0; animation->GlowForm && i < 100; ++i, ++ticks)
            animation->TimerTick(animation);
        starts += (t1 - t0) + (t3 - t2);
        inTicks += (t2 - t1) + (ks::bench::Now() - t3);
    });
    ks::ResetSys();
    if (ticks == 0) {
        std::printf("TitleFade: no fade ran\n");
    } else {
        // Ten steps in, ten out, one tick each at the animation's interval.
        const double lasts = 20 * TitleAnimationInterval / 1000.0;
        std::printf("TitleFade/%s  whole fade %8.1f us  (starts %.1f us, %.1f ticks of %.1f us)  lasts %8.1f us  %s "
                    "x_duration_max=0.1\n",
                    extendedBorders ? "border" : "plain", work.Value * 1e6, starts / fades * 1e6,
                    static_cast<double>(ticks) / fades, inTicks / ticks * 1e6, lasts * 1e6,
                    Text("x_duration", {work.Value / lasts, work.Spread}).c_str());
    }
    form->Free();
    Pump();
    manager->SetExtendedBorders(false);
}

} // namespace

int main()
{
    Application->Initialize();
    auto* manager = Create<TsSkinManager>(nullptr);
    const std::string build = KS_BUILD_DIR;
    manager->SetSkinDirectory(L"Z:" + std::wstring(build.begin(), build.end()) + L"/skins");
    manager->SetSkinName(L"Terminal4bit");
    if (!manager->SkinData.SkinActive) {
        std::printf("the internal skin did not load\n");
        return 1;
    }
    MeasureFrame(manager);
    MeasureBorder(manager);
    MeasureTitleFade(manager, false);
    MeasureTitleFade(manager, true);
    manager->Free();
    return 0;
}
