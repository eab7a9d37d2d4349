// A popup menu of 30 items under the internal skin, under Wine (a plain timing program run by
// ./project bench): the repaint of the open skinned popup (every item composed by the skinned
// painter over the popup's cached background) against the repaint of the same menu drawn by
// the platform, and the skinned measuring of the 30 items against the platform's measuring of
// their texts (DrawText DT_CALCRECT in the menu font). It reports, it never passes or fails.
#include "bench/Interleaved.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/sSkinMenus.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"

#include <cstdio>
#include <functional>
#include <string>

namespace {

std::function<void(HWND)> gInLoop;
int gTicks = 0;

BOOL CALLBACK FindPopup(HWND wnd, LPARAM data)
{
    wchar_t name[16] = {};
    if (GetClassNameW(wnd, name, 16) && std::wstring_view(name) == L"#32768" && IsWindowVisible(wnd))
        *reinterpret_cast<HWND*>(data) = wnd;
    return TRUE;
}

HWND OpenPopup()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FindPopup, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    const HWND popup = OpenPopup();
    if (++gTicks == 3 && popup && gInLoop)
        gInLoop(popup);
    if (gTicks >= 3)
        EndMenu();
}

// Runs body with the menu's popup window open.
void WithPopupOpen(TPopupMenu& menu, std::function<void(HWND)> body)
{
    gTicks = 0;
    gInLoop = std::move(body);
    const UINT_PTR timer = SetTimer(nullptr, 0, 40, &Tick);
    SetForegroundWindow(menu.WindowHandle());
    menu.Popup(60, 60);
    KillTimer(nullptr, timer);
    gInLoop = nullptr;
    Application->ProcessMessages();
}

double RepaintTime(HWND popup)
{
    return ks::bench::Measure(
               [popup] {
                   RedrawWindow(popup, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
                   GdiFlush();
               },
               {5, 2e-3})
        .Value;
}

// One popup is open at a time, so the two menus' repaints cannot alternate call by call: each
// sample opens its menu.
ks::bench::Ratio RepaintRatio(TPopupMenu& skinned, TPopupMenu& plain)
{
    const auto sample = [](TPopupMenu& menu) {
        double t = 0;
        WithPopupOpen(menu, [&](HWND popup) { t = RepaintTime(popup); });
        return t;
    };
    return ks::bench::Alternate([&] { return sample(skinned); }, [&] { return sample(plain); }, 9);
}

} // namespace

int main()
{
    InitializeSkinMenusUnit();
    Application->Initialize();
    auto* manager = Create<TsSkinManager>(nullptr);
    const std::string build = KS_BUILD_DIR;
    manager->SetSkinDirectory(L"Z:" + std::wstring(build.begin(), build.end()) + L"/skins");
    manager->SetSkinName(L"Terminal4bit");

    auto* skinned = Create<TPopupMenu>(nullptr);
    auto* plain = Create<TPopupMenu>(nullptr);
    for (int i = 0; i < 30; ++i) {
        const std::wstring caption = i % 7 == 6 ? L"-" : L"&Item number " + std::to_wstring(i);
        for (TPopupMenu* menu : {skinned, plain}) {
            auto* item = Create<TMenuItem>(menu);
            item->SetCaption(caption);
            item->SetChecked(i % 5 == 1);
            item->SetShortCut(i % 4 == 0 ? TShortCut(scCtrl | ('A' + i % 26)) : scNone);
            menu->Items()->Add(item);
        }
    }
    manager->SkinnableMenus()->OwnerDrawMenuItems(skinned, true);
    if (!manager->SkinData.SkinActive || !skinned->OwnerDraw()) {
        std::printf("the menu is not skinned\n");
        return 1;
    }

    const ks::bench::Ratio paint = RepaintRatio(*skinned, *plain);
    if (paint.A == 0 || paint.B == 0) {
        std::printf("a popup did not open\n");
        return 1;
    }

    // Measuring: the engine's measurer of every item against the platform's text measuring.
    ks::WindowDC screen(nullptr);
    TCanvas canvas;
    canvas.SetHandle(screen.get());
    canvas.Font().Assign(Screen->MenuFont());
    ClearMenuCache();
    const ks::bench::Ratio measure = ks::bench::Interleave([&] {
        for (int i = 0; i < 30; ++i) {
            int w = 0;
            int h = 0;
            skinned->Items()->Items(i)->MeasureItem(canvas, w, h);
        }
    }, [&] {
        for (int i = 0; i < 30; ++i) {
            TMenuItem* item = plain->Items()->Items(i);
            const std::wstring text = item->Caption() + L"\t" + ShortCutToText(item->ShortCut());
            RECT r{0, 0, 0, 0};
            DrawTextW(canvas.Handle(), text.c_str(), static_cast<int>(text.size()), &r,
                      DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
        }
    });
    canvas.SetHandle(nullptr);

    std::printf("Menu/Popup30Items/Repaint  skinned %8.1f us  platform %8.1f us  %s x_platform_max=2\n",
                paint.A * 1e6, paint.B * 1e6, ks::bench::Text("x_platform", paint).c_str());
    std::printf("Menu/Popup30Items/Measure  skinned %8.1f us  platform %8.1f us  %s x_platform_max=2\n",
                measure.A * 1e6, measure.B * 1e6, ks::bench::Text("x_platform", measure).c_str());
    skinned->Free();
    plain->Free();
    manager->Free();
    return 0;
}
