#include "vcl/TrayIcon.h"

#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/PlatformSeams.h"
#include "vcl/Win.h"

#include <shellapi.h>
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

namespace {

struct Clicks {
    int count = 0;
    void Click(TObject*) { ++count; }
};

void CALLBACK EndMenuSoon(HWND, UINT, UINT_PTR, DWORD)
{
    EndMenu();
}

class TrayIconTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        FOwner = Create<TComponent>(nullptr);
    }
    void TearDown() override
    {
        FreeAndNil(FOwner);
        ks::ResetSys();
        VclFixture::TearDown();
    }
    TComponent* FOwner = nullptr;
};

TEST_F(TrayIconTest, CallbackWindowClicksAndShowsTheMenu)
{
    Clicks clicks;
    auto* tray = Create<TTrayIcon>(FOwner);
    tray->SetOnClick(TNotifyEvent(&clicks, &Clicks::Click));
    tray->SetVisible(true);
    HWND wnd = tray->WindowHandle();

    SendMessageW(wnd, TTrayIcon::CallbackMessage, 1, WM_LBUTTONUP);
    EXPECT_EQ(clicks.count, 1);
    // Only the button's release clicks.
    SendMessageW(wnd, TTrayIcon::CallbackMessage, 1, WM_LBUTTONDOWN);
    EXPECT_EQ(clicks.count, 1);

    auto* menu = Create<TPopupMenu>(FOwner);
    auto* show = Create<TMenuItem>(FOwner);
    show->SetCaption(L"&Показать");
    menu->Items()->Add(show);
    tray->SetPopupMenu(menu);
    UINT_PTR timer = SetTimer(nullptr, 0, 30, &EndMenuSoon);
    SendMessageW(wnd, TTrayIcon::CallbackMessage, 1, WM_RBUTTONUP);
    KillTimer(nullptr, timer);
    EXPECT_EQ(menu->PopupComponent(), tray);

    // The shell restarting empty makes a visible icon come back; Visible stays as it was.
    NOTIFYICONDATAW lost{};
    lost.cbSize = sizeof lost;
    lost.hWnd = wnd;
    lost.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &lost));
    SendMessageW(wnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(tray->Visible());
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &lost)) << "the icon is there again";
    tray->SetVisible(false);
    EXPECT_FALSE(tray->Visible());

    // A freed menu is forgotten.
    menu->Free();
    EXPECT_EQ(tray->PopupMenu(), nullptr);
    SendMessageW(wnd, TTrayIcon::CallbackMessage, 1, WM_RBUTTONUP);
}

} // namespace
