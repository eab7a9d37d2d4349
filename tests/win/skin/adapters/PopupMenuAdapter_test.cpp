// The popup-menu window adapter: on a real popup-menu window of TrackPopupMenu, and on plain
// popup windows standing in for two open menus, where the order of their going can be chosen.
#include "skin/adapters/PopupMenuAdapter.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/SkinServices.h"
#include "skin/core/sCommonData.h"
#include "win/skin/adapters/SmallAdapterSkinFixture.h"
#include "win/support/WindowClasses.h"

#include <vector>

namespace {

using namespace ks::test;

int gMenuPaints = 0;
LRESULT CALLBACK FakeMenuProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT)
        ++gMenuPaints;
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

const wchar_t* FakeMenuClass()
{
    static const wchar_t* name = RegisterTestClass(L"KsFakeMenuWindow", FakeMenuProc);
    return name;
}

LRESULT Command(HWND wnd, WORD command)
{
    return SendMessageW(wnd, SM_SKINCMD, MAKEWPARAM(0, command), 0);
}

class PopupMenuAdapterTest : public SmallAdapterFixture {
protected:
    void TearDown() override
    {
        SkinnedPopupShowing = false;
        ForgetMenuWindows();
        SmallAdapterFixture::TearDown();
    }
    HWND FakeMenu(int x, DWORD style = WS_VISIBLE)
    {
        return CreateWindowExW(WS_EX_TOOLWINDOW, FakeMenuClass(), L"", WS_POPUP | style, 500 + x, 60, 80, 60, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    // As the creation hook does it.
    TacMnuWnd* Adapt(HWND wnd)
    {
        auto* adapter = TacMainWnd::Create<TacMnuWnd>(wnd, nullptr, Manager, "MAINMENU", false);
        MenuWindows.push_back(adapter);
        return adapter;
    }
};

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class PopupMenuAdapterLifetimeTest : public PopupMenuAdapterTest {};

TEST_F(PopupMenuAdapterLifetimeTest, DestroyingOneOfTwoMenusRedrawsTheOtherAndTheLastEmptiesTheList)
{
    HWND first = FakeMenu(0);
    HWND second = FakeMenu(100);
    Adapt(first);
    TacMnuWnd* b = Adapt(second);
    SkinnedPopupShowing = true;
    ValidateRect(second, nullptr);
    gMenuPaints = 0;
    DestroyWindow(first);
    EXPECT_EQ(gMenuPaints, 1) << "the other menu was drawn again";
    ASSERT_EQ(MenuWindows.size(), 2u);
    EXPECT_EQ(MenuWindows[0], nullptr);
    EXPECT_EQ(MenuWindows[1], b);
    EXPECT_FALSE(SkinnedPopupShowing);

    DestroyWindow(second);
    EXPECT_TRUE(MenuWindows.empty());
}

TEST_F(PopupMenuAdapterTest, TheShownFlagLastsFromTheAnnouncementToTheBackgroundPaint)
{
    HWND wnd = FakeMenu(0);
    TacMnuWnd* adapter = Adapt(wnd);
    SkinnedPopupShowing = true;
    EXPECT_EQ(Command(wnd, SKC_IS_SKINNED), 1);
    EXPECT_EQ(Command(wnd, SKC_SET_UPDATING), 0);
    Command(wnd, SKC_MENU_SHOWN);
    EXPECT_EQ(Command(wnd, SKC_SET_UPDATING), 1);
    EXPECT_EQ(Command(wnd, SKC_GET_BG_COLOR), 0) << "other commands are swallowed";

    auto picture = NewBitmap24(80, 60);
    SendMessageW(wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(picture->Canvas().Handle()), 0);
    GdiFlush();
    EXPECT_EQ(Command(wnd, SKC_SET_UPDATING), 0);
    EXPECT_EQ(adapter->Shown, 0);
    // No frame outside the client: the cache is copied from its corner, border and all.
    EXPECT_TRUE(Near(At(*picture, 0, 0), ButtonCells[0]));
    EXPECT_TRUE(Near(At(*picture, 40, 30), MenuColour));

    ShowWindow(wnd, SW_HIDE);
    Command(wnd, SKC_MENU_SHOWN);
    EXPECT_EQ(Command(wnd, SKC_SET_UPDATING), 0) << "a hidden window is not shown";
    DestroyWindow(wnd);
}

TEST_F(PopupMenuAdapterTest, TheBackgroundStartsInsideAFrameThePlatformDrawsOutsideTheClient)
{
    // A one-pixel border stands for the system's frame around the client.
    HWND wnd = FakeMenu(0, WS_VISIBLE | WS_BORDER);
    Adapt(wnd);
    SkinnedPopupShowing = true;
    auto picture = NewBitmap24(80, 60);
    SendMessageW(wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(picture->Canvas().Handle()), 0);
    GdiFlush();
    EXPECT_TRUE(Near(At(*picture, 40, 1), ButtonCells[0])) << "the section's 3-pixel border, one pixel of it outside";
    EXPECT_TRUE(Near(At(*picture, 40, 2), MenuColour));
    DestroyWindow(wnd);
}

TEST_F(PopupMenuAdapterTest, ShutDownFreesTheAdaptersWhoseWindowsOutliveTheMenus)
{
    InitializePopupMenuAdapterUnit();
    EXPECT_EQ(ks::Services().ForgetMenuWindows, &ForgetMenuWindows);
    HWND wnd = FakeMenu(0);
    const WNDPROC before = WndProcOf(wnd);
    Adapt(wnd);
    ks::Services().ForgetMenuWindows();
    EXPECT_TRUE(MenuWindows.empty());
    EXPECT_NE(WndProcOf(wnd), before) << "forgotten, the adapter stays with its window";
    FinalizePopupMenuAdapterUnit();
    EXPECT_EQ(WndProcOf(wnd), before);
    EXPECT_EQ(GetScrollHandler(wnd), nullptr);
    EXPECT_EQ(ks::Services().ForgetMenuWindows, nullptr);
    DestroyWindow(wnd);
}

// ---- a real popup-menu window ----------------------------------------------------------------------

struct TrackLog {
    HWND menu = nullptr;
    TsSkinManager* manager = nullptr;
    LRESULT shownBefore = -1;
    LRESULT shownAfterAnnounce = -1;
    LRESULT shownAfterErase = -1;
    TColor centre = 0;
    int frame = -1;
};
TrackLog gTrack;

void CALLBACK InspectMenu(HWND owner, UINT, UINT_PTR id, DWORD)
{
    KillTimer(owner, id);
    HWND menu = FindWindowW(L"#32768", nullptr);
    gTrack.menu = menu;
    if (menu && IsWindowVisible(menu)) {
        // The creation hook adapted the window when it was made; without it, as the hook would.
        if (!dynamic_cast<TacMnuWnd*>(GetScrollHandler(menu)))
            MenuWindows.push_back(TacMainWnd::Create<TacMnuWnd>(menu, nullptr, gTrack.manager, "MAINMENU", false));
        SkinnedPopupShowing = true;
        gTrack.shownBefore = Command(menu, SKC_SET_UPDATING);
        Command(menu, SKC_MENU_SHOWN);
        gTrack.shownAfterAnnounce = Command(menu, SKC_SET_UPDATING);
        RECT r{};
        GetClientRect(menu, &r);
        auto picture = NewBitmap24(r.right, r.bottom);
        SendMessageW(menu, WM_ERASEBKGND, reinterpret_cast<WPARAM>(picture->Canvas().Handle()), 0);
        GdiFlush();
        gTrack.shownAfterErase = Command(menu, SKC_SET_UPDATING);
        gTrack.centre = static_cast<TColor>(GetPixel(picture->Canvas().Handle(), r.right / 2, r.bottom - 2));
        RECT w{};
        GetWindowRect(menu, &w);
        gTrack.frame = ((w.right - w.left) - r.right) / 2;
    }
    EndMenu();
}

TEST_F(PopupMenuAdapterLifetimeTest, ARealPopupMenuWindowIsSkinnedAndItsAdapterGoesWithIt)
{
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"&Копировать");
    AppendMenuW(menu, MF_STRING, 2, L"&Выход");
    gTrack = TrackLog{};
    gTrack.manager = Manager;
    SetForegroundWindow(Parent);
    SetTimer(Parent, 77, 100, &InspectMenu);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RETURNCMD, 120, 120, 0, Parent, nullptr);
    DestroyMenu(menu);
    Pump();
    ASSERT_NE(gTrack.menu, nullptr) << "the menu window was not found";
    EXPECT_EQ(gTrack.shownBefore, 0);
    EXPECT_EQ(gTrack.shownAfterAnnounce, 1);
    EXPECT_EQ(gTrack.shownAfterErase, 0);
    EXPECT_TRUE(Near(gTrack.centre, gTrack.frame == 0 ? ButtonCells[0] : MenuColour))
        << "the bottom row shows the section's border where the frame lies inside the client";
    EXPECT_TRUE(MenuWindows.empty()) << "the last menu window emptied the list";
    EXPECT_FALSE(SkinnedPopupShowing);
}

} // namespace
