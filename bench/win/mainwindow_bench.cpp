// The main window's client area repainted by its skinned controls, under Wine (a plain timing
// program run by ./project bench): the real main form streamed from its resource under the
// internal skin, repainted at once with every control's cache marked changed and with every
// cache valid, against the same form repainted with the skin manager inactive, where the
// platform paints every control (targets: 2 and 1.3); one BitBlt of the same 420 x 303 pixels
// is printed beside them as the floor of any repaint. Then a whole hover fade of the "Ещё" button, its start and its ticks, against the time the fade
// lasts on screen (one frame every 10 ms). Real timers are kept out so that the ticks measured
// are only the ones sent here. Beside them, the same repaint of one plain child window of the
// button's size: what Wine spends on any window painted on its own, whatever paints it, which
// the main window pays once for each of its windowed controls. It reports, it never passes or
// fails.
#include "bench/win/BenchProgram.h"
#include "bench/Interleaved.h"
#include "skin/controls/sButton.h"
#include "skin/controls/sFade.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Bitmap.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"

#include <cstdio>
#include <map>
#include <vector>

namespace {

// What a change of skin or of the parent's background does to every control below: its cache
// is rebuilt at its next paint.
void MarkCachesChanged(TWinControl* parent)
{
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* control = parent->Controls(i);
        control->Perform(SM_SKINCMD, MAKEWPARAM(0, SKC_SET_BG_CHANGED), 0);
        if (auto* windowed = dynamic_cast<TWinControl*>(control))
            MarkCachesChanged(windowed);
    }
}

void Repaint(HWND wnd)
{
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
}

// Messages each window gets during one repaint, counted by a hook: what a paint costs beyond
// the one WM_PAINT a window needs.
struct Census {
    int paint = 0, erase = 0, ncpaint = 0, print = 0, skin = 0, other = 0;
};
std::map<HWND, Census>* gCensus = nullptr;

LRESULT CALLBACK CountMessage(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && gCensus) {
        const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
        Census& c = (*gCensus)[m->hwnd];
        switch (m->message) {
        case WM_PAINT: ++c.paint; break;
        case WM_ERASEBKGND: ++c.erase; break;
        case WM_NCPAINT: ++c.ncpaint; break;
        case WM_PRINT:
        case WM_PRINTCLIENT: ++c.print; break;
        default:
            if (m->message == SM_SKINCMD)
                ++c.skin;
            else
                ++c.other;
            break;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct Child {
    HWND wnd;
    TWinControl* control;
};

BOOL CALLBACK CollectWindow(HWND wnd, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(wnd);
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// Runs a fade out of the timing to its end.
void Finish(TsButton& button)
{
    for (int i = 0; i < 1000 && button.FadeTimer(); ++i)
        SendMessageW(button.FadeTimer()->Handle(), WM_TIMER, button.FadeTimer()->TimerId(), 0);
}

struct FadeCost {
    double start = 0, ticks = 0;
    ks::bench::Timing whole;
    int steps = 0;
};

// The medians of runs hover fades: the mouse enters an idle button, then the timer ticks until the
// fade ends; between runs the mouse leaves and that fade is run out.
FadeCost HoverFade(TsButton& button, int runs)
{
    std::vector<double> starts, ticks, wholes;
    int steps = 0;
    for (int run = 0; run < runs; ++run) {
        button.Perform(CM_MOUSELEAVE, 0, TCMControl::ToLParam(&button));
        Finish(button);
        const double t0 = ks::bench::Now();
        button.Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(&button));
        const double t1 = ks::bench::Now();
        TsFadeTimer* timer = button.FadeTimer();
        if (!timer)
            return {};
        steps = timer->StepCount;
        for (int i = 0; i < 1000 && button.FadeTimer(); ++i)
            SendMessageW(button.FadeTimer()->Handle(), WM_TIMER, button.FadeTimer()->TimerId(), 0);
        GdiFlush();
        const double t2 = ks::bench::Now();
        starts.push_back(t1 - t0);
        ticks.push_back(t2 - t1);
        wholes.push_back(t2 - t0);
    }
    return {ks::bench::Summary(starts).Value, ks::bench::Summary(ticks).Value, ks::bench::Summary(wholes), steps};
}

// Seconds per call of body, from a few short samples: one side's sample of a ratio.
template <class Body>
double Sample(Body&& body)
{
    return ks::bench::Measure(body, {3, 2e-3}).Value;
}

} // namespace

int main()
{
    ks::bench::StartProgram();
    auto* hot = dynamic_cast<TsButton*>(Form1->FindComponent("sButton1"));
    if (!hot || !hot->SkinData()->IsSkinActive() || Form1->ClientWidth() != 420 || Form1->ClientHeight() != 303) {
        std::printf("the main form is not skinned at 420 x 303\n");
        return 1;
    }
    const HWND wnd = Form1->Handle();
    Repaint(wnd);

    // Skinned and unskinned are measured in turns, so that a busy moment of the machine does not
    // fall on one side of the ratio only. The unskinned peer is the same form and controls with
    // the skin taken off, painted by the platform; each of its samples takes the skin off and puts
    // it back.
    bool skinBack = true;
    const auto unskinned = [&] {
        DefaultSkinManager->SetActive(false);
        Application->ProcessMessages();
        Repaint(wnd);
        const double t = Sample([&] { Repaint(wnd); });
        DefaultSkinManager->SetActive(true);
        Application->ProcessMessages();
        Repaint(wnd);
        skinBack = skinBack && hot->SkinData()->IsSkinActive();
        return t;
    };
    constexpr int pairs = 9;
    const ks::bench::Ratio invalid = ks::bench::Alternate([&] {
        return Sample([&] {
            MarkCachesChanged(Form1);
            Repaint(wnd);
        });
    }, unskinned, pairs);
    const ks::bench::Ratio valid = ks::bench::Alternate([&] { return Sample([&] { Repaint(wnd); }); }, unskinned, pairs);
    if (!skinBack) {
        std::printf("the skin did not come back\n");
        return 1;
    }

    auto picture = NewBitmap24(420, 303);
    const HDC memory = picture->Canvas().Handle();
    const HDC window = GetDC(wnd);
    const double blit = Sample([&] {
        BitBlt(window, 0, 0, 420, 303, memory, 0, 0, SRCCOPY);
        GdiFlush();
    });
    ReleaseDC(wnd, window);
    Repaint(wnd);

    // The platform's floor for one child window, under the same repaint.
    const HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, hot->Width(), hot->Height(),
                                       wnd, nullptr, nullptr, nullptr);
    const double window1 = Sample([&] { Repaint(plain); });
    DestroyWindow(plain);
    int windows = 0;
    EnumChildWindows(wnd, &CountWindow, reinterpret_cast<LPARAM>(&windows));
    Repaint(wnd);

    std::printf("MainWindow/Repaint/Unskinned/420x303      %8.1f us  bitblt %6.1f us\n", valid.B * 1e6, blit * 1e6);
    std::printf("MainWindow/Repaint/InvalidCaches/420x303  %8.1f us  %s x_unskinned_max=2\n", invalid.A * 1e6,
                ks::bench::Text("x_unskinned", invalid).c_str());
    std::printf("MainWindow/Repaint/ValidCaches/420x303    %8.1f us  %s x_unskinned_max=1.3\n", valid.A * 1e6,
                ks::bench::Text("x_unskinned", valid).c_str());

    // Where the valid-cache repaint goes: the form's own client area alone, then each windowed
    // control repainted on its own.
    const double formOnly = Sample([&] {
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        GdiFlush();
    });
    std::printf("MainWindow/Repaint/ValidCaches/FormOnly  %8.1f us\n", formOnly * 1e6);
    std::vector<HWND> children;
    EnumChildWindows(wnd, &CollectWindow, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        const Child c{child, FindControl(child)};
        const double t = Sample([&] { Repaint(c.wnd); });
        const double self = Sample([&] {
            RedrawWindow(c.wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            GdiFlush();
        });
        std::printf("MainWindow/Repaint/ValidCaches/%s:%s  %8.1f us  alone %8.1f us\n",
                    c.control ? c.control->ClassName() : "?", c.control ? c.control->Name().c_str() : "", t * 1e6,
                    self * 1e6);
    }

    std::map<HWND, Census> census;
    gCensus = &census;
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &CountMessage, nullptr, GetCurrentThreadId());
    Repaint(wnd);
    UnhookWindowsHookEx(hook);
    gCensus = nullptr;
    for (const auto& [w, c] : census) {
        TWinControl* control = FindControl(w);
        std::printf("MainWindow/Repaint/Messages/%s:%s  paint %d erase %d ncpaint %d print %d skincmd %d other %d\n",
                    control ? control->ClassName() : "?", control ? control->Name().c_str() : "", c.paint, c.erase,
                    c.ncpaint, c.print, c.skin, c.other);
    }
    // Platform edits of the same size, single- and multi-line, beside the skinned ones.
    for (const DWORD style : {DWORD{0}, DWORD{ES_MULTILINE}}) {
        const HWND edit = CreateWindowExW(0, L"EDIT", L"12", WS_CHILD | WS_VISIBLE | WS_BORDER | style, 0, 0, 60, 21,
                                          wnd, nullptr, nullptr, nullptr);
        const double t = Sample([&] { Repaint(edit); });
        std::printf("MainWindow/Repaint/PlainEdit%s  %8.1f us\n", style ? "/MultiLine" : "", t * 1e6);
        DestroyWindow(edit);
    }

    std::printf("MainWindow/Repaint/PlainChildWindow/%dx%d    %8.1f us  x %d windowed controls = %.1f us\n",
                hot->Width(), hot->Height(), window1 * 1e6, windows, windows * window1 * 1e6);

    const FadeCost fade = HoverFade(*hot, 31);
    if (fade.steps < 1) {
        std::printf("the button started no hover fade\n");
        return 1;
    }
    const double lasts = fade.steps * 0.010;
    std::printf("MainWindow/HoverFade/sButton1  %d steps, lasts %.0f ms  start %6.1f us  ticks %7.1f us  "
                "%s share_max=0.10\n",
                fade.steps, lasts * 1e3, fade.start * 1e6, fade.ticks * 1e6,
                ks::bench::Text("share", {fade.whole.Value / lasts, fade.whole.Spread}).c_str());
    Form1->Free();
    Form1 = nullptr;
    FinalizeUnits();
    return 0;
}
