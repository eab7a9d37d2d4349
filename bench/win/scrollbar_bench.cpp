// One step of dragging a scroll bar's slider over a memo of 10,000 lines, under Wine (a plain
// timing program run by ./project bench): the skinned memo's step (the mouse move, the scroll
// message to the memo, the memo's scrolling and repaint, the skinned bar drawn at its new
// place) against the same step of a plain memo with the platform's own bar (the scroll message
// the platform's drag sends, the memo's scrolling and repaint, the platform's bar redrawn by the
// memo). Both alternate between two places far apart, so that every step scrolls. It reports, it
// never passes or fails.
#include "bench/Interleaved.h"
#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/controls/sMemo.h"
#include "skin/core/sConst.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"

#include <cstdio>
#include <string>

namespace {

std::wstring TenThousandLines()
{
    std::wstring text;
    for (int i = 0; i < 10000; ++i)
        text += L"Line " + std::to_wstring(i) + L" of the text the slider runs over\r\n";
    return text;
}

void Settle(HWND wnd)
{
    UpdateWindow(wnd);
    GdiFlush();
}

} // namespace

int main()
{
    InitializeSMemoUnit();
    Application->Initialize();
    auto* manager = Create<TsSkinManager>(nullptr);
    const std::string build = KS_BUILD_DIR;
    manager->SetSkinDirectory(L"Z:" + std::wstring(build.begin(), build.end()) + L"/skins");
    manager->SetSkinName(L"Terminal4bit");
    auto* form = CreateNew<TForm>(Application);
    form->SetBounds(40, 40, 560, 360);
    form->Show();

    const std::wstring text = TenThousandLines();
    auto* skinned = Create<TsMemo>(form);
    skinned->SetBounds(10, 10, 260, 300);
    skinned->SetScrollBars(ssVertical);
    skinned->SetParent(form);
    skinned->SetText(text);
    auto* plain = Create<TMemo>(form);
    plain->SetBounds(280, 10, 260, 300);
    plain->SetScrollBars(ssVertical);
    plain->SetParent(form);
    plain->SetText(text);
    Application->ProcessMessages();

    auto* adapter = dynamic_cast<TacEditWnd*>(skinned->ListSW());
    if (!manager->SkinData.SkinActive || !adapter || !adapter->VBar->ScrollVisible) {
        std::printf("the memo is not skinned\n");
        return 1;
    }

    // The skinned step: the slider held, the mouse moved between two places on the track.
    const HWND s = skinned->Handle();
    TRect bar;
    GetVScrollRect(adapter, s, bar);
    const int x = (bar.Left + bar.Right) / 2;
    SendMessageW(s, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(x, bar.Top + HScrollHeight + 2));
    if (!adapter->ThumbTracking) {
        std::printf("the slider was not taken\n");
        return 1;
    }
    POINT places[2] = {{x, bar.Top + 60}, {x, bar.Bottom - 60}};
    for (POINT& p : places)
        ScreenToClient(s, &p);
    LRESULT first[2];
    for (int i = 0; i < 2; ++i) {
        SendMessageW(s, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(places[i].x, places[i].y));
        first[i] = SendMessageW(s, EM_GETFIRSTVISIBLELINE, 0, 0);
    }
    if (first[0] == first[1]) {
        std::printf("the skinned drag does not scroll the memo\n");
        return 1;
    }
    // The platform's step: what its own drag sends for each move, and the repaint after it. It runs
    // in turns with the skinned drag, which goes on meanwhile (the messages go to another window).
    const HWND p = plain->Handle();
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(p, SB_VERT, &si);
    const int positions[2] = {si.nMax / 5, si.nMax * 4 / 5};
    int skinnedTurn = 0, plainTurn = 0;
    const ks::bench::Ratio step = ks::bench::Interleave(
        [&] {
            const POINT at = places[skinnedTurn ^= 1];
            SendMessageW(s, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y));
            Settle(s);
        },
        [&] {
            const int pos = positions[plainTurn ^= 1];
            SendMessageW(p, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, pos), 0);
            Settle(p);
        });
    SendMessageW(s, WM_LBUTTONUP, 0, 0);
    SendMessageW(p, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);

    std::printf("ScrollBar/ThumbDragStep/Memo10000Lines  skinned %8.1f us  platform %8.1f us  %s x_platform_max=2\n",
                step.A * 1e6, step.B * 1e6, ks::bench::Text("x_platform", step).c_str());
    form->Free();
    manager->Free();
    return 0;
}
