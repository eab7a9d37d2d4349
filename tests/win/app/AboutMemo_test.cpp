// The about box's memo as the skin draws it: its frame and scroll bar are the skin's, and its
// slider is hovered and dragged by the mouse to the middle of the text. Pictures of both are left
// under the build folder.
#include "app/Unit2.h"

#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/controls/sMemo.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sConst.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/PlatformSeams.h"
#include "win/app/AppFixture.h"
#include "win/support/FakeCursor.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using ks::test::gCursor;

void WritePng(TBitmap& picture, const std::string& name)
{
    ks::test::WriteSheetPng(picture, std::string("Z:") + KS_BUILD_DIR + "/" + name);
}

// The pixels of the bar's column that differ between two pictures of the memo.
int DifferingBarPixels(TBitmap& a, TBitmap& b, int x0, int x1)
{
    int n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = x0; x < x1; ++x)
            n += a.Canvas().Pixels(x, y) != b.Canvas().Pixels(x, y);
    return n;
}

class AboutMemoTest : public AppFixture {};

TEST_F(AboutMemoTest, TheMemosSliderIsHoveredAndDraggedToTheMiddle)
{
    ks::test::UseFakeCursor({});
    CreateForms();
    auto* memo = Get<TsMemo>(Form2, "sMemo1");
    ASSERT_NE(memo, nullptr);
    Form2->Show();
    Pump();
    auto* adapter = dynamic_cast<TacEditWnd*>(memo->ListSW());
    ASSERT_NE(adapter, nullptr) << "the skinned memo holds its edit adapter";
    EXPECT_EQ(memo->SkinData()->SkinSection(), "EDIT");
    ASSERT_TRUE(adapter->VBar && adapter->VBar->ScrollVisible);
    EXPECT_FALSE(adapter->HBar->ScrollVisible);

    HWND wnd = memo->Handle();
    RECT w{};
    GetWindowRect(wnd, &w);
    TRect bar;
    GetVScrollRect(adapter, wnd, bar);
    const int x = (bar.Left + bar.Right) / 2;
    const int barLeft = bar.Left - w.left;
    auto normal = ks::test::ScreenPicture(wnd);

    // Hovering the slider lights it.
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(wnd, SB_VERT, &si);
    ASSERT_GT(si.nMax, static_cast<int>(si.nPage)) << "the text is longer than the memo";
    const int sliderY = bar.Top + HScrollHeight + 4;
    gCursor = {x, sliderY};
    SendMessageW(wnd, WM_NCMOUSEMOVE, HTVSCROLL, MAKELPARAM(x, sliderY));
    SendMessageW(wnd, WM_TIMER, ScrollHoverTimer, 0);
    auto hot = ks::test::ScreenPicture(wnd);
    WritePng(*hot, "about_memo_slider_hot.png");
    EXPECT_GT(DifferingBarPixels(*normal, *hot, barLeft, barLeft + HScrollHeight), 0) << "the hot slider shows";

    // Pressed and dragged to the middle of the track.
    SendMessageW(wnd, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(x, sliderY));
    // The slider's middle to the track's middle: the text's middle page.
    const int track = bar.Bottom - bar.Top - 2 * HScrollHeight;
    const ks::ThumbGeometry thumb = ks::CalcThumb(bar.Bottom - bar.Top, HScrollHeight,
                                                  {si.nMin, si.nMax, static_cast<int>(si.nPage), si.nPos}, 10);
    POINT middle{x, bar.Top + HScrollHeight + (track - thumb.Size) / 2 + 4};
    gCursor = middle;
    ScreenToClient(wnd, &middle);
    SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(middle.x, middle.y));
    UpdateWindow(wnd);
    auto dragged = ks::test::ScreenPicture(wnd);
    WritePng(*dragged, "about_memo_slider_dragged.png");
    UpdateWindow(Form2->Handle());
    WritePng(*ks::test::ScreenPicture(Form2->Handle()), "about_box_memo_dragged.png");
    const LRESULT firstLine = SendMessageW(wnd, EM_GETFIRSTVISIBLELINE, 0, 0);
    EXPECT_GT(firstLine, 0) << "the memo scrolled with the slider";
    const int lines = static_cast<int>(SendMessageW(wnd, EM_GETLINECOUNT, 0, 0));
    EXPECT_LT(firstLine, lines - 1);
    EXPECT_GT(DifferingBarPixels(*hot, *dragged, barLeft, barLeft + HScrollHeight), 0);
    SendMessageW(wnd, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(SendMessageW(wnd, EM_GETFIRSTVISIBLELINE, 0, 0), firstLine) << "the release keeps the place";
    EXPECT_NE(GetCapture(), wnd);
    Form2->Hide();
}

// The skin's removal reaches the memo through its form's provider and again through the form's
// children; its window is made anew once per removal, and not at all when it has no skin.
std::vector<std::wstring>* gDestroyed = nullptr;
LRESULT CALLBACK RecordDestroyed(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && gDestroyed && m->message == WM_NCDESTROY) {
        wchar_t cls[64] = {};
        GetClassNameW(m->hwnd, cls, 64);
        gDestroyed->push_back(cls);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(AboutMemoTest, TheMemoIsMadeAnewOncePerSkinRemoval)
{
    CreateForms();
    auto* memo = Get<TsMemo>(Form2, "sMemo1");
    auto* manager = Get<TsSkinManager>(Form1, "sSkinManager1");
    ASSERT_TRUE(memo && manager);
    Form2->Show();
    Pump();
    ASSERT_NE(memo->ListSW(), nullptr);
    wchar_t memoClass[64] = {};
    GetClassNameW(memo->Handle(), memoClass, 64);
    const auto recreations = [&](auto change) {
        std::vector<std::wstring> destroyed;
        gDestroyed = &destroyed;
        const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &RecordDestroyed, nullptr, GetCurrentThreadId());
        change();
        UnhookWindowsHookEx(hook);
        gDestroyed = nullptr;
        return std::count(destroyed.begin(), destroyed.end(), std::wstring(memoClass));
    };
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const HWND before = memo->Handle();
        EXPECT_EQ(recreations([&] { manager->SetActive(false); }), 1);
        EXPECT_NE(memo->Handle(), before);
        EXPECT_EQ(recreations([&] { memo->Perform(SM_SKINCMD, MAKEWPARAM(0, SKC_REMOVE_SKIN),
                                                  reinterpret_cast<LPARAM>(manager)); }), 0)
            << "a memo without its skin loses nothing more";
        manager->SetActive(true);
        Pump();
    }
}

} // namespace
