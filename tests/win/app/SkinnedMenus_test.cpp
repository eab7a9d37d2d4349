// The application's two popup menus as users see them under the internal skin: the password
// field's context menu opened by its context-menu message, and the notification-area menu with
// one item hot. Pictures of the main window with the open menu over it are left at
// <build>/menu-password-field.png and <build>/menu-tray.png.
#include "app/passwords.h"

#include "skin/controls/sEdit.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/sSkinMenus.h"
#include "vcl/Clipbrd.h"
#include "vcl/PlatformSeams.h"
#include "vcl/TrayIcon.h"
#include "win/app/AppFixture.h"
#include "win/support/FakeCursor.h"
#include "win/support/SheetPng.h"
#include "win/support/ThreadWindows.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Driver = ks::test::MenuLoopDriver<false>;

class SkinnedMenusTest : public AppFixture {
protected:
    void TearDown() override
    {
        AppFixture::TearDown();
        ks::ResetSys();
    }
    // Every item of menu measured and painted by the skin's menu painter, or none of them.
    static void ExpectSkinnedItems(TPopupMenu& menu, bool skinned)
    {
        SCOPED_TRACE(menu.Name());
        const void* painter = DefaultSkinManager ? DefaultSkinManager->SkinnableMenus() : nullptr;
        EXPECT_EQ(menu.OwnerDraw(), skinned);
        for (int i = 0; i < menu.Items()->Count(); ++i) {
            const TMenuItem* item = menu.Items()->Items(i);
            SCOPED_TRACE(i);
            EXPECT_EQ(item->OnAdvancedDrawItem() && item->OnAdvancedDrawItem().Method().Data == painter, skinned);
            EXPECT_EQ(item->OnMeasureItem() && item->OnMeasureItem().Method().Data == painter, skinned);
        }
    }
    // The main window with the open popup copied over it.
    static std::unique_ptr<TBitmap> Sheet(HWND popup)
    {
        RECT form{}, menu{};
        GetWindowRect(Form1->Handle(), &form);
        GetWindowRect(popup, &menu);
        const int left = std::min(form.left, menu.left);
        const int top = std::min(form.top, menu.top);
        const int w = std::max(form.right, menu.right) - left + 10;
        const int h = std::max(form.bottom, menu.bottom) - top + 10;
        auto sheet = NewBitmap24(w, h);
        sheet->Canvas().Brush().SetColor(0x404040);
        sheet->Canvas().FillRect({0, 0, w, h});
        const HDC dc = sheet->Canvas().Handle();
        HDC formDC = GetWindowDC(Form1->Handle());
        BitBlt(dc, form.left - left, form.top - top, form.right - form.left, form.bottom - form.top, formDC, 0, 0,
               SRCCOPY);
        ReleaseDC(Form1->Handle(), formDC);
        HDC popupDC = GetWindowDC(popup);
        BitBlt(dc, menu.left - left, menu.top - top, menu.right - menu.left, menu.bottom - menu.top, popupDC, 0, 0,
               SRCCOPY);
        ReleaseDC(popup, popupDC);
        return sheet;
    }
    static void Run(const std::function<void()>& open, const std::string& png, bool hotItem, int& items)
    {
        std::unique_ptr<TBitmap> sheet;
        Driver::Ticks = 0;
        Driver::Step = [&](int tick) {
            const std::vector<HWND> popups = ks::test::ShownPopupMenus();
            if (popups.empty())
                return;
            if (tick == 3 && hotItem) {
                PostMessageW(popups[0], WM_KEYDOWN, VK_DOWN, 0);
            } else if (tick == 6) {
                sheet = Sheet(popups[0]);
                items = static_cast<int>(PopupCache.size());
                EndMenu();
            }
        };
        const UINT_PTR timer = SetTimer(nullptr, 0, 30, &Driver::Tick);
        open();
        KillTimer(nullptr, timer);
        Driver::Step = nullptr;
        Pump();
        ASSERT_NE(sheet, nullptr) << "the menu opened";
        ks::test::WriteSheetPng(*sheet, std::string(KS_BUILD_DIR) + "/" + png);
        EXPECT_TRUE(PopupCache.empty());
    }
};

TEST_F(SkinnedMenusTest, ThePasswordFieldsContextMenuIsSkinned)
{
    CreateForms(false);
    Form1->Show();
    Pump();
    auto* edit = Get<TsEdit>(Form1, "sEdit1");
    ASSERT_NE(edit, nullptr);
    const TPoint at = edit->ClientToScreen({10, 10});
    int records = 0;
    Run([&] { SendMessageW(edit->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit->Handle()),
                           MAKELPARAM(at.X, at.Y)); },
        "menu-password-field.png", false, records);
    EXPECT_EQ(records, 1) << "the popup had its skinned background";
    EXPECT_TRUE(edit->PopupMenu()->OwnerDraw());
}

// Shift+F10 in the focused field: the platform asks for the context menu without a position,
// and the skinned menu is chosen from by keyboard as well.
TEST_F(SkinnedMenusTest, ThePasswordFieldsMenuOpensAndChoosesByKeyboard)
{
    CreateForms(false);
    Form1->Show();
    Pump();
    auto* edit = Get<TsEdit>(Form1, "sEdit1");
    ASSERT_NE(edit, nullptr);
    edit->SetText(L"k3y-by-keys");
    Clipboard().SetAsText(L"stale");
    SetForegroundWindow(Form1->Handle());
    edit->SetFocus();
    Pump();
    int records = 0;
    Driver::Ticks = 0;
    Driver::Step = [&](int tick) {
        const std::vector<HWND> popups = ks::test::ShownPopupMenus();
        if (popups.empty() || tick != 3)
            return;
        records = static_cast<int>(PopupCache.size());
        PostMessageW(popups[0], WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(popups[0], WM_KEYDOWN, VK_RETURN, 0);
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &Driver::Tick);
    keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(VK_F10, 0, 0, 0);
    keybd_event(VK_F10, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    Pump();
    KillTimer(nullptr, timer);
    Driver::Step = nullptr;
    Pump();
    EXPECT_EQ(records, 1) << "the menu opened with its skinned background";
    EXPECT_EQ(Clipboard().AsText(), L"k3y-by-keys") << "\"Копировать\" chosen by Down and Enter";
    EXPECT_TRUE(PopupCache.empty());
}

// Nothing but the program's own start makes the notification-area menu skinned: it is opened
// as a right click on the icon opens it, and shows the skin's popup picture.
TEST_F(SkinnedMenusTest, TheTrayMenuIsSkinnedWithOneItemHot)
{
    CreateForms(false);
    Form1->Show();
    Pump();
    auto* menu = Get<TPopupMenu>(Form1, "TrayMenu");
    auto* icon = Get<TTrayIcon>(Form1, "TrayIcon1");
    ASSERT_TRUE(menu && icon);
    ExpectSkinnedItems(*menu, true);
    RECT form{};
    GetWindowRect(Form1->Handle(), &form);
    ks::test::UseFakeCursor({form.left + 40, form.top + 40});
    int records = 0;
    Run([&] { SendMessageW(icon->WindowHandle(), TTrayIcon::CallbackMessage, 1, WM_RBUTTONUP); }, "menu-tray.png",
        true, records);
    EXPECT_EQ(records, 1) << "the popup had its skinned background";
}

// The application's popup menus follow the skin: plain while it is off, skinned again when it
// comes back, and after another skin is loaded.
TEST_F(SkinnedMenusTest, ThePopupMenusFollowTheSkin)
{
    CreateForms(false);
    Pump();
    TsSkinManager* manager = DefaultSkinManager;
    ASSERT_NE(manager, nullptr);
    const std::wstring skin = manager->SkinName();
    const struct {
        const char* name;
        std::function<void()> change;
        bool skinned;
    } changes[] = {
        {"SkinOff", [&] { manager->SetActive(false); }, false},
        {"SkinOn", [&] { manager->SetActive(true); }, true},
        {"SkinReloaded", [&] { manager->SetSkinName(skin); }, true},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.name);
        c.change();
        Pump();
        for (const char* name : {"TrayMenu", "PopupMenu1"})
            ExpectSkinnedItems(*Get<TPopupMenu>(Form1, name), c.skinned);
    }
}

} // namespace
