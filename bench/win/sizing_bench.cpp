// One step of live sizing of a 420 x 303 sizeable form by its bottom-right corner, under Wine (a
// plain timing program run by ./project bench): the skinned form's step (the hit test of the
// corner, the new size, the skinned frame's region, cache and non-client repaint, the client
// repaint) against the same step of a plain form whose frame the platform paints. Both
// alternate between two sizes, so that every step resizes. It reports, it never passes or fails.
#include "bench/Interleaved.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Forms.h"

#include <cstdio>
#include <string>

namespace {

TForm* SizeableForm(int left)
{
    auto* form = CreateNew<TForm>(Application);
    form->SetBorderStyle(bsSizeable);
    form->SetBounds(left, 40, 420, 303);
    form->Show();
    return form;
}

// The hit test of the bottom-right corner, the resize to the next of two sizes, and the repaint
// it causes.
void SizingStep(HWND wnd, int& turn)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(r.right - 2, r.bottom - 2));
    const int grow = (turn ^= 1) ? 24 : 0;
    SetWindowPos(wnd, nullptr, 0, 0, 420 + grow, 303 + grow, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

} // namespace

int main()
{
    Application->Initialize();
    auto* manager = Create<TsSkinManager>(nullptr);
    const std::string build = KS_BUILD_DIR;
    manager->SetSkinDirectory(L"Z:" + std::wstring(build.begin(), build.end()) + L"/skins");
    manager->SetSkinName(L"Terminal4bit");

    TForm* skinned = SizeableForm(40);
    auto* provider = Create<TsSkinProvider>(skinned);
    Application->ProcessMessages();
    if (!manager->SkinData.SkinActive || !provider->SystemMenu) {
        std::printf("the form is not skinned\n");
        return 1;
    }
    TForm* plain = SizeableForm(500);
    Application->ProcessMessages();
    int skinnedTurn = 0, plainTurn = 0;
    const ks::bench::Ratio step = ks::bench::Interleave([&] { SizingStep(skinned->Handle(), skinnedTurn); },
                                                        [&] { SizingStep(plain->Handle(), plainTurn); });
    std::printf("Sizing/LiveStep/Form420x303  skinned %8.1f us  platform %8.1f us  %s x_platform_max=2\n",
                step.A * 1e6, step.B * 1e6, ks::bench::Text("x_platform", step).c_str());
    plain->Free();
    skinned->Free();
    manager->Free();
    return 0;
}
