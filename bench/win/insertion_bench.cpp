// A shown form that grows one control at a time, under Wine (a plain timing program run by
// ./project bench): N buttons, edits and check boxes added one by one to a shown 800 x 600 form
// and the form's repaint after them, three ways in turns: the bare platform (CreateWindowEx of
// the system classes the controls are made of, with their styles and font), the class library's
// controls on a plain form, and the same on a form skinned by a provider that adapts the
// buttons. It prints the class library against the platform (target within 2x), the skinned
// form against the plain one (within 1.5x), and for each side what doubling N costs (within
// 2.2x: growing is linear).
// Then the engine's own controls as form code adds them (TsButton, TsEdit, TsCheckBox and a
// TButton in turn) on a skinned form, against the class library's same four on a plain form,
// each way round: bounds first and then the parent, and the parent first and then the bounds,
// which shows each new window at the form's corner and then moves it among its siblings. Same
// targets: within 1.5x of the plain form, within 2.2x a doubling. It reports, it never passes or
// fails.
// Arguments: the sizes of N (default 250 500 1000 2000); "rounds=R" for the rounds (default 5).
#include "bench/Interleaved.h"
#include "skin/core/sSkinManager.h"
#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sEdit.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum class Side { Platform, Library, Skinned, PlainBoundsFirst, EngineBoundsFirst, PlainParentFirst, EngineParentFirst };
constexpr int SideCount = 7;
constexpr const char* SideNames[SideCount] = {"platform",           "library",           "skinned",
                                               "plain_bounds_first", "engine_bounds_first", "plain_parent_first",
                                               "engine_parent_first"};

TPoint PlaceOf(int i)
{
    return {(i % 12) * 64 + 4, (i / 12) % 26 * 22 + 4};
}

TForm* ShownForm(bool skinned)
{
    ks::SetNextFormCreation({true, false, {}});
    auto* form = CreateNew<TForm>(Application);
    form->SetBounds(40, 40, 800, 600);
    if (skinned)
        Create<TsSkinProvider>(form);
    form->Show();
    Application->ProcessMessages();
    return form;
}

void AddPlatformControls(HWND parent, int n)
{
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < n; ++i) {
        const TPoint p = PlaceOf(i);
        const wchar_t* cls = i % 3 == 1 ? L"EDIT" : L"BUTTON";
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP;
        style |= i % 3 == 0 ? BS_PUSHBUTTON : i % 3 == 1 ? ES_AUTOHSCROLL : BS_AUTOCHECKBOX;
        HWND wnd = CreateWindowExW(i % 3 == 1 ? WS_EX_CLIENTEDGE : 0, cls, L"Item", style, p.X, p.Y, 60, 20, parent,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(wnd, WM_SETFONT, font, 0);
    }
}

void AddLibraryControls(TForm* form, int n)
{
    for (int i = 0; i < n; ++i) {
        TWinControl* c = i % 3 == 0   ? static_cast<TWinControl*>(Create<TButton>(form))
                         : i % 3 == 1 ? static_cast<TWinControl*>(Create<TEdit>(form))
                                      : static_cast<TWinControl*>(Create<TCheckBox>(form));
        const TPoint p = PlaceOf(i);
        c->SetBounds(p.X, p.Y, 60, 20);
        c->SetParent(form);
    }
}

// A button, an edit, a check box and a plain button in turn: the engine's own, or the class
// library's same four.
TWinControl* MixedControl(TForm* form, int i, bool engine)
{
    switch (i % 4) {
    case 0: return engine ? static_cast<TWinControl*>(Create<TsButton>(form)) : Create<TButton>(form);
    case 1: return engine ? static_cast<TWinControl*>(Create<TsEdit>(form)) : Create<TEdit>(form);
    case 2: return engine ? static_cast<TWinControl*>(Create<TsCheckBox>(form)) : Create<TCheckBox>(form);
    default: return Create<TButton>(form);
    }
}

void AddMixedControls(TForm* form, int n, bool engine, bool parentFirst)
{
    for (int i = 0; i < n; ++i) {
        TWinControl* c = MixedControl(form, i, engine);
        const TPoint p = PlaceOf(i);
        if (parentFirst) {
            c->SetParent(form);
            c->SetBounds(p.X, p.Y, 60, 20);
        } else {
            c->SetBounds(p.X, p.Y, 60, 20);
            c->SetParent(form);
        }
    }
}

bool SkinnedSide(Side side)
{
    return side == Side::Skinned || side == Side::EngineBoundsFirst || side == Side::EngineParentFirst;
}

// Seconds to add n controls one by one to a shown form of the side and repaint it; the form is
// made before and freed after, untimed.
double Sample(Side side, int n)
{
    TForm* form = ShownForm(SkinnedSide(side));
    HWND wnd = form->Handle();
    const double start = ks::bench::Now();
    switch (side) {
    case Side::Platform: AddPlatformControls(wnd, n); break;
    case Side::Library:
    case Side::Skinned: AddLibraryControls(form, n); break;
    case Side::PlainBoundsFirst: AddMixedControls(form, n, false, false); break;
    case Side::EngineBoundsFirst: AddMixedControls(form, n, true, false); break;
    case Side::PlainParentFirst: AddMixedControls(form, n, false, true); break;
    case Side::EngineParentFirst: AddMixedControls(form, n, true, true); break;
    }
    Application->ProcessMessages();
    UpdateWindow(wnd);
    GdiFlush();
    const double seconds = ks::bench::Now() - start;
    form->Free();
    Application->ProcessMessages();
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes;
    int rounds = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "rounds=", 7) == 0)
            rounds = std::max(1, std::atoi(argv[i] + 7));
        else if (const int n = std::atoi(argv[i]); n > 0)
            sizes.push_back(n);
    }
    if (sizes.empty())
        sizes = {250, 500, 1000, 2000};

    Application->Initialize();
    auto* manager = Create<TsSkinManager>(nullptr);
    const std::string build = KS_BUILD_DIR;
    manager->SetSkinDirectory(L"Z:" + std::wstring(build.begin(), build.end()) + L"/skins");
    manager->SetSkinName(L"Terminal4bit");
    // Forms are skinned here by the provider the benchmark gives them, never by the creation hook.
    manager->SetSkinningRules({srStdDialogs, srThirdParty});
    {
        // The skinned side must skin: its form adapts the buttons added to it.
        TForm* probe = ShownForm(true);
        AddLibraryControls(probe, 1);
        const bool adapted = GetPropW(static_cast<TWinControl*>(probe->Controls(0))->Handle(), L"ACSBSC") != nullptr;
        probe->Free();
        if (!manager->SkinData.SkinActive || !adapted) {
            std::printf("the form is not skinned\n");
            return 1;
        }
    }

    // times[size][side][round]; the sides of a round go in turns, each round starting elsewhere.
    std::vector<std::vector<std::vector<double>>> times(sizes.size(), std::vector<std::vector<double>>(SideCount));
    for (int r = 0; r < rounds; ++r)
        for (size_t s = 0; s < sizes.size(); ++s)
            for (int k = 0; k < SideCount; ++k) {
                const int side = (k + r) % SideCount;
                times[s][static_cast<size_t>(side)].push_back(Sample(static_cast<Side>(side), sizes[s]));
            }

    const auto ratios = [&](size_t s, Side a, Side b) {
        std::vector<double> each;
        for (int r = 0; r < rounds; ++r)
            each.push_back(times[s][static_cast<size_t>(a)][static_cast<size_t>(r)] /
                           times[s][static_cast<size_t>(b)][static_cast<size_t>(r)]);
        return ks::bench::Summary(each);
    };
    const auto median = [&](size_t s, Side side) {
        std::vector<double> t = times[s][static_cast<size_t>(side)];
        return ks::bench::Summary(t).Value;
    };
    for (size_t s = 0; s < sizes.size(); ++s) {
        std::printf("Insertion/N=%-5d  platform %8.1f ms  library %8.1f ms  skinned %8.1f ms  %s x_platform_max=2  "
                    "%s x_library_max=1.5\n",
                    sizes[s], median(s, Side::Platform) * 1e3, median(s, Side::Library) * 1e3,
                    median(s, Side::Skinned) * 1e3, ks::bench::Text("x_platform", ratios(s, Side::Library, Side::Platform)).c_str(),
                    ks::bench::Text("x_library", ratios(s, Side::Skinned, Side::Library)).c_str());
        std::printf("Insertion/Engine/BoundsFirst/N=%-5d  plain %8.1f ms  engine %8.1f ms  %s x_plain_max=1.5\n", sizes[s],
                    median(s, Side::PlainBoundsFirst) * 1e3, median(s, Side::EngineBoundsFirst) * 1e3,
                    ks::bench::Text("x_plain", ratios(s, Side::EngineBoundsFirst, Side::PlainBoundsFirst)).c_str());
        std::printf("Insertion/Engine/ParentFirst/N=%-5d  plain %8.1f ms  engine %8.1f ms  %s x_plain_max=1.5\n", sizes[s],
                    median(s, Side::PlainParentFirst) * 1e3, median(s, Side::EngineParentFirst) * 1e3,
                    ks::bench::Text("x_plain", ratios(s, Side::EngineParentFirst, Side::PlainParentFirst)).c_str());
    }
    // What doubling N costs, from the medians of N and 2N.
    for (size_t s = 1; s < sizes.size(); ++s) {
        if (sizes[s] != 2 * sizes[s - 1])
            continue;
        std::printf("Insertion/Doubling/N=%-5d", sizes[s]);
        for (int k = 0; k < SideCount; ++k)
            std::printf("  x_double_%s=%.3f x_double_%s_max=2.2", SideNames[k],
                        median(s, static_cast<Side>(k)) / median(s - 1, static_cast<Side>(k)), SideNames[k]);
        std::printf("\n");
    }
    manager->Free();
    return 0;
}
