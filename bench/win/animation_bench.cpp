// One step of the show animations of a 420 x 303 form against its 8 ms frame period, on Windows
// or under Wine (a plain timing program run by ./project bench): the time between two frame
// sleeps is what one step costs, drawing the frame and handing it to the window. The layered
// fade and growth push to a real layered window; the cross-fade mixes the old screen into the
// new look in the output window. of_period is the median step over the period, from 500 steps.
// Beside them, the bare UpdateLayeredWindow of a whole frame: the floor of a step that pushes a
// new image. Every growth step pushes a whole new frame, and a push alone takes more than a tenth
// of the period under Wine, so the growth is judged against that push, run in turns with it:
// x_ulw. It reports, it never passes or fails.
#include "bench/Interleaved.h"
#include "skin/core/AnimationFrames.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/FormAnimation.h"
#include "skin/core/sMessages.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

std::vector<double> gSleepTimes;

void WINAPI NoteSleep(DWORD)
{
    gSleepTimes.push_back(ks::bench::Now());
}

// The provider a skinned form names: its image is the form's size, with no border window.
class TBenchProvider : public TComponent, public ks::AnimatedFormProvider {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TBenchProvider", &TComponent::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TComponent::TComponent;
    TCustomForm* Form = nullptr;
    std::unique_ptr<TBitmap> Image;

    TCustomForm* ProviderForm() const noexcept override { return Form; }
    TBitmap* FormImage() const noexcept override { return Image.get(); }
    ks::AnimatedBorderForm* BorderForm() const noexcept override { return nullptr; }
    void PaintNonClient() override {}
    void MakeRegionRects() override {}
    ks::GdiRegion MakeRgnWithoutRects(int, int) override { return {}; }
    TRect ExtBorderMargins() const override { return {}; }
    int CaptionHeight(bool) const override { return 0; }
    int ClientOffsetX() const override { return 0; }
    int ClientOffsetY() const override { return 0; }
};

class TBenchForm : public TForm {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TBenchForm", &TForm::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TForm::TForm;
    TComponent* Provider = nullptr;

    void WndProc(TMessage& m) override
    {
        if (m.Msg == SM_SKINCMD && HIWORD(m.WParam) == SKC_GET_PROVIDER) {
            m.Result = reinterpret_cast<LRESULT>(Provider);
            return;
        }
        TForm::WndProc(m);
    }
};

// The steps of one animation of the control, seconds each.
std::vector<double> Steps(TWinControl* control, TacAnimType mode)
{
    constexpr uint16_t time = 800; // 100 frames
    gSleepTimes.clear();
    AnimateFormWindow(control, time, 255, mode);
    std::vector<double> steps;
    for (size_t i = 1; i < gSleepTimes.size(); ++i)
        steps.push_back(gSleepTimes[i] - gSleepTimes[i - 1]);
    return steps;
}

void Measure(const char* name, TWinControl* control, TacAnimType mode)
{
    std::vector<double> steps;
    for (int run = 0; run < 5; ++run) {
        const std::vector<double> more = Steps(control, mode);
        steps.insert(steps.end(), more.begin(), more.end());
    }
    const double period = ks::AnimationFramePeriod / 1000.0;
    ks::bench::Timing step = ks::bench::Summary(steps);
    std::printf("AnimationStep/%s/420x303  %7.3f ms  %s of_period_max=0.1\n", name, step.Value * 1000,
                ks::bench::Text("of_period", {step.Value / period, step.Spread}).c_str());
}

// The platform's own share of a step: one UpdateLayeredWindow of a 420 x 303 image to a layered
// window of that size, the push every growth step ends with.
class BarePush {
public:
    BarePush()
    {
        FSurface->SetBorderStyle(bsNone);
        FSurface->SetBounds(100, 100, 420, 303);
        FWnd = FSurface->Handle();
        SetWindowLongPtrW(FWnd, GWL_EXSTYLE, GetWindowLongPtrW(FWnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    }
    ~BarePush() { FSurface->Free(); }

    void operator()()
    {
        SIZE size{420, 303};
        POINT source{0, 0};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, FAlpha += 2, AC_SRC_ALPHA};
        ks::Sys().UpdateLayeredWindowPtr(FWnd, FScreen.get(), nullptr, &size, FImage->Canvas().Handle(), &source, 0,
                                         &blend, ULW_ALPHA);
    }

private:
    TForm* FSurface = CreateNew<TForm>(nullptr);
    HWND FWnd = nullptr;
    std::unique_ptr<TBitmap> FImage = NewBitmap32(420, 303);
    ks::WindowDC FScreen{nullptr};
    uint8_t FAlpha = 0;
};

void MeasurePush()
{
    BarePush push;
    const ks::bench::Timing time = ks::bench::Measure(push);
    const double period = ks::AnimationFramePeriod / 1000.0;
    std::printf("AnimationStep/UpdateLayeredWindow/420x303  %7.3f ms  %s\n", time.Value * 1000,
                ks::bench::Text("of_period", {time.Value / period, time.Spread}).c_str());
}

// The growth against the bare push of its whole frame: a run of the animation (its median step)
// and a sample of pushes, in turns, so that the load of a moment weighs on both.
void MeasureGrowth(TWinControl* control)
{
    BarePush push;
    const ks::bench::Ratio ratio = ks::bench::Alternate(
        [&] {
            std::vector<double> steps = Steps(control, atAero);
            return ks::bench::Summary(steps).Value;
        },
        [&] { return ks::bench::Measure(push, {5}).Value; }, 11);
    std::printf("AnimationStep/LayeredAero/420x303  %7.3f ms  UpdateLayeredWindow %7.3f ms  %s x_ulw_max=1.2\n",
                ratio.A * 1000, ratio.B * 1000, ks::bench::Text("x_ulw", ratio).c_str());
}

} // namespace

int main()
{
    Application->Initialize();
    ks::Sys().Sleep = &NoteSleep;
    ks::SetNextFormCreation({true, false, {}});
    auto* form = Create<TBenchForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(100, 100, 420, 303);
    auto* provider = Create<TBenchProvider>(form);
    provider->Form = form;
    provider->Image = NewBitmap32(420, 303);
    form->Provider = provider;
    form->Show();
    Application->ProcessMessages();

    Measure("LayeredFade", form, atFading);
    MeasurePush();
    MeasureGrowth(form);
    form->Provider = nullptr; // no provider: the output window
    Measure("OutputCrossFade", form, atFading);
    form->Free();
    return 0;
}
