// Skinned popups opened for real: TrackPopupMenu's modal loop is driven from a timer of the
// thread, which looks at the open popup windows, changes the menu or the skin under them,
// chooses items by keyboard or mouse, and always ends the loop in the end.

#include "skin/forms/sSkinMenus.h"

#include "skin/core/SectionPainting.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Forms.h"
#include "win/skin/forms/SkinMenuTestSkin.h"
#include "win/support/InternalSkin.h"
#include "win/support/MirroredForm.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"
#include "win/support/ThreadWindows.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using namespace ks::test;

constexpr wchar_t SubclassProperty[] = L"KsPopupMenu";

void PostKey(HWND wnd, WPARAM key)
{
    PostMessageW(wnd, WM_KEYDOWN, key, 0);
    PostMessageW(wnd, WM_KEYUP, key, 0xC0000001);
}

// These tests track the form's menu bar too.
using LoopDriver = MenuLoopDriver<true>;

struct Clicks {
    int count = 0;
    TObject* last = nullptr;
    void Click(TObject* sender)
    {
        ++count;
        last = sender;
    }
    void FreeSelf(TObject* sender)
    {
        ++count;
        static_cast<TMenuItem*>(sender)->Free();
    }
};

class SkinMenusShown : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        Manager = NewSkinManager(Dir, L"Menus", MenuSkinArchive());
        Popup = Create<TPopupMenu>(nullptr);
        for (const wchar_t* caption : {L"&Open", L"-", L"&Close"})
            Add(Popup->Items(), caption);
    }
    void TearDown() override
    {
        LoopDriver::Step = nullptr;
        Pump();
        EXPECT_TRUE(PopupCache.empty()) << "every record goes with its popup";
        EXPECT_TRUE(ShownPopupMenus().empty());
        ClearMenuCache();
        FreeAndNil(Popup);
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }

    TMenuItem* Add(TMenuItem* parent, const std::wstring& caption, TNotifyEvent click = {})
    {
        auto* item = Create<TMenuItem>(Popup);
        item->SetCaption(caption);
        item->SetOnClick(click);
        parent->Add(item);
        if (Manager && Manager->SkinnableMenus())
            Manager->SkinnableMenus()->OwnerDrawMenuItems(Popup, true);
        return item;
    }
    TMenuItem* Item(int i) const { return Popup->Items()->Items(i); }

    // Shows the popup at (100, 100) until the driver ends it, then delivers the chosen command.
    void Show(std::function<void(int)> step)
    {
        LoopDriver::Ticks = 0;
        LoopDriver::Step = std::move(step);
        const UINT_PTR timer = SetTimer(nullptr, 0, 30, &LoopDriver::Tick);
        SetForegroundWindow(Popup->WindowHandle());
        Popup->Popup(100, 100);
        KillTimer(nullptr, timer);
        LoopDriver::Step = nullptr;
        Pump();
    }

    // Item index's rectangle in its popup window's coordinates.
    static TRect ItemRectIn(HWND wnd, TMenuItem* parent, int index)
    {
        RECT r{};
        GetMenuItemRect(nullptr, parent->Handle(), static_cast<UINT>(index), &r);
        RECT w{};
        GetWindowRect(wnd, &w);
        return TRect{r.left - w.left, r.top - w.top, r.right - w.left, r.bottom - w.top};
    }

    // A 320 x 240 form, not yet shown, under the terminal skin (which has a menu line).
    TForm* FormUnderTerminalSkin()
    {
        LoadInternalSkin(*Manager);
        ks::SetNextFormCreation({true, false, {}});
        auto* form = CreateNew<TForm>(nullptr);
        form->SetBounds(60, 60, 320, 240);
        return form;
    }

    // A shown form under the terminal skin with a provider, offering every window command.
    TsSkinProvider* SkinnedForm(TForm*& form)
    {
        InitializeSkinProviderUnit();
        form = FormUnderTerminalSkin();
        form->SetBorderIcons({biSystemMenu, biMinimize, biMaximize});
        auto* provider = Create<TsSkinProvider>(form);
        form->Show();
        Pump();
        return provider;
    }
    // Opens the provider's skinned system menu until the driver ends it.
    void OpenSystemMenu(TsSkinProvider& provider, std::function<void(int)> step)
    {
        LoopDriver::Ticks = 0;
        LoopDriver::Step = std::move(step);
        const UINT_PTR timer = SetTimer(nullptr, 0, 30, &LoopDriver::Tick);
        SetForegroundWindow(provider.Form->Handle());
        provider.ShowSkinnedSysMenu(100, 100);
        KillTimer(nullptr, timer);
        LoopDriver::Step = nullptr;
        Pump();
    }

    TempFolder Dir;
    TsSkinManager* Manager = nullptr;
    TPopupMenu* Popup = nullptr;
    Clicks Clicked;
};

TEST_F(SkinMenusShown, APopupIsShapedPaintedAndChosenByKeyboard)
{
    Item(2)->SetOnClick(TNotifyEvent(&Clicked, &Clicks::Click));
    Manager->SkinnableMenus()->OwnerDrawMenuItems(Popup, true);
    HWND seen = nullptr;
    bool subclassed = false;
    bool cornersCut = false;
    size_t records = 0;
    TColor normal = 0;
    TColor hot = 0;
    TColor dividerTop = 0;
    TColor dividerBottom = 0;
    Show([&](int tick) {
        const std::vector<HWND> popups = ShownPopupMenus();
        if (popups.empty())
            return;
        const HWND wnd = popups[0];
        if (tick == 3) {
            seen = wnd;
            subclassed = GetPropW(wnd, SubclassProperty) != nullptr;
            ks::GdiRegion region(CreateRectRgn(0, 0, 0, 0));
            RECT r{};
            GetWindowRect(wnd, &r);
            cornersCut = GetWindowRgn(wnd, region.get()) != ERROR && !PtInRegion(region.get(), 0, 0) &&
                         PtInRegion(region.get(), 4, 0) && !PtInRegion(region.get(), r.right - r.left - 1, 0);
            records = PopupCache.size();
            PostKey(wnd, VK_DOWN);
        } else if (tick == 6) {
            auto shot = ScreenPicture(wnd);
            const TRect open = ItemRectIn(wnd, Popup->Items(), 0);
            const TRect close = ItemRectIn(wnd, Popup->Items(), 2);
            hot = MenuPixelAt(*shot, open.Right - 4, (open.Top + open.Bottom) / 2);
            normal = MenuPixelAt(*shot, close.Right - 4, (close.Top + close.Bottom) / 2);
            const TRect divider = ItemRectIn(wnd, Popup->Items(), 1);
            dividerTop = MenuPixelAt(*shot, (divider.Left + divider.Right) / 2, divider.Top);
            dividerBottom = MenuPixelAt(*shot, (divider.Left + divider.Right) / 2, divider.Bottom - 1);
            PostKey(wnd, VK_DOWN);
            PostKey(wnd, VK_RETURN);
        }
    });
    EXPECT_NE(seen, nullptr);
    EXPECT_TRUE(subclassed);
    EXPECT_TRUE(cornersCut);
    EXPECT_EQ(records, 1u);
    EXPECT_EQ(hot, ItemHotColor);
    EXPECT_EQ(normal, ItemColor);
    EXPECT_EQ(dividerTop, TColor(0x808080)) << "an etched line where the skin has no divider image";
    EXPECT_EQ(dividerBottom, TColor(0xFFFFFF));
    EXPECT_EQ(Clicked.count, 1);
    EXPECT_EQ(Clicked.last, Item(2));
}

TEST_F(SkinMenusShown, AnItemIsChosenByMouse)
{
    Item(2)->SetOnClick(TNotifyEvent(&Clicked, &Clicks::Click));
    Manager->SkinnableMenus()->OwnerDrawMenuItems(Popup, true);
    Show([&](int tick) {
        const std::vector<HWND> popups = ShownPopupMenus();
        if (popups.empty() || tick != 3)
            return;
        RECT r{};
        GetMenuItemRect(nullptr, Popup->Handle(), 2, &r);
        POINT screen{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        SetCursorPos(screen.x, screen.y);
        // Through the input queue, as the mouse itself would.
        mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    });
    EXPECT_EQ(Clicked.count, 1);
    EXPECT_EQ(Clicked.last, Item(2));
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class SkinMenusShownLifetime : public SkinMenusShown {};

// Items added, removed and freed while their popups are open, the first item of each popup
// (the one the cache names it by) among them; afterwards the menu opens and closes as before.
TEST_F(SkinMenusShownLifetime, AMenuChangedWhileShownLeavesNothingBehind)
{
    TMenuItem* more = Item(2);
    TMenuItem* first = Add(more, L"First");
    Add(more, L"Second");
    TMenuItem* added = nullptr;
    Show([&](int tick) {
        const std::vector<HWND> popups = ShownPopupMenus();
        if (popups.empty())
            return;
        if (tick == 3) {
            PostKey(popups[0], VK_DOWN);
            PostKey(popups[0], VK_DOWN);
            PostKey(popups[0], VK_RIGHT);
        } else if (tick == 8) {
            Item(0)->Free();
            first->Free();
            added = Add(Popup->Items(), L"Added");
            Item(0)->SetCaption(std::wstring(3000, L'x'));
            for (HWND wnd : ShownPopupMenus()) {
                InvalidateRect(wnd, nullptr, TRUE);
                UpdateWindow(wnd);
            }
        } else if (tick == 12) {
            PostKey(popups.back(), VK_DOWN);
            PostKey(popups.back(), VK_UP);
        } else if (tick == 16) {
            EndMenu();
        }
    });
    EXPECT_NE(added, nullptr);
    EXPECT_EQ(more->Count(), 1);

    // Nothing of the first loop stands in the way of the next one.
    added->SetOnClick(TNotifyEvent(&Clicked, &Clicks::Click));
    Show([&](int tick) {
        const std::vector<HWND> popups = ShownPopupMenus();
        if (tick == 3 && !popups.empty()) {
            PostKey(popups[0], VK_UP);
            PostKey(popups[0], VK_RETURN);
        }
    });
    EXPECT_EQ(Clicked.count, 1);
    EXPECT_EQ(Clicked.last, added);
}

TEST_F(SkinMenusShownLifetime, AnItemMayFreeItselfFromItsClick)
{
    Item(2)->SetOnClick(TNotifyEvent(&Clicked, &Clicks::FreeSelf));
    Manager->SkinnableMenus()->OwnerDrawMenuItems(Popup, true);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Show([&](int tick) {
            const std::vector<HWND> popups = ShownPopupMenus();
            if (tick == 3 && !popups.empty()) {
                PostKey(popups[0], VK_UP);
                PostKey(popups[0], VK_RETURN);
            }
        });
    }
    // The first round freed "&Close"; the second chose the last item left, the divider's
    // neighbour "&Open", which has no handler.
    EXPECT_EQ(Clicked.count, 1);
    EXPECT_EQ(Popup->Items()->Count(), 2);
}

TEST_F(SkinMenusShownLifetime, TheSkinMayChangeOrGoWhileAPopupIsShown)
{
    Dir.Write(L"Other.asz", MenuSkinArchive());
    Manager->SkinnableMenus()->OwnerDrawMenuItems(Popup, true);
    const auto repaint = [] {
        for (HWND wnd : ShownPopupMenus()) {
            InvalidateRect(wnd, nullptr, TRUE);
            UpdateWindow(wnd);
        }
    };
    Show([&](int tick) {
        if (tick == 3)
            Manager->SetSkinName(L"Other");
        else if (tick == 5)
            repaint();
        else if (tick == 7)
            Manager->SetActive(false);
        else if (tick == 9)
            repaint();
        else if (tick == 11)
            FreeAndNil(Manager);
        else if (tick == 13)
            repaint();
        else if (tick == 15)
            EndMenu();
    });
    EXPECT_FALSE(Item(0)->OnAdvancedDrawItem()) << "no handler of the freed engine is left";
}

// Three columns of different heights: the second ends in a divider, the third in a caption
// item. Below each shorter column the popup's own background shows, down to its frame, whatever
// the offset of the popup's client area in its window (3 on Windows, 0 under Wine). The popup is
// written to skinned-popup-columns.png in the build folder.
TEST_F(SkinMenusShown, ColumnsEndingInADividerOrACaptionShowThePopupBelowThem)
{
    for (const wchar_t* caption : {L"Three", L"Four", L"Five", L"Six"})
        Add(Popup->Items(), caption);
    Add(Popup->Items(), L"Two")->SetBreak(mbBarBreak);
    Add(Popup->Items(), L"-");
    Add(Popup->Items(), L"Last")->SetBreak(mbBarBreak);
    Add(Popup->Items(), L"-Tools-");
    std::unique_ptr<TBitmap> shot;
    TRect divider;
    TRect caption;
    Show([&](int tick) {
        const std::vector<HWND> popups = ShownPopupMenus();
        if (tick == 5 && !popups.empty()) {
            shot = ScreenPicture(popups[0]);
            divider = ItemRectIn(popups[0], Popup->Items(), 8);
            caption = ItemRectIn(popups[0], Popup->Items(), 10);
            EndMenu();
        }
    });
    ASSERT_NE(shot, nullptr);
    WriteSheetPng(*shot, std::string(KS_BUILD_DIR) + "/skinned-popup-columns.png");
    // The skin's frame is 4 pixels wide; just inside it lies the popup's background.
    const int inside = shot->Height() - 5;
    for (const auto& [name, r] : {std::pair{"under the divider", divider}, std::pair{"under the caption", caption}}) {
        SCOPED_TRACE(name);
        const int x = (r.Left + r.Right) / 2;
        EXPECT_EQ(MenuPixelAt(*shot, x, r.Bottom + 2), MainMenuColor);
        EXPECT_EQ(MenuPixelAt(*shot, x, inside), MainMenuColor);
    }
}

// A form's menu drop-down shows the skin's frame down both its sides, and a form laid out right
// to left (whose drop-downs the system mirrors) shows it as well: no column of the system's own
// menu background between the frame and the items.
TEST_F(SkinMenusShown, AMenuDropDownIsFramedDownBothSidesInEitherLayout)
{
    for (const bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored ? "right to left" : "left to right");
        ks::SetNextFormCreation({true, false, {}});
        TForm* form = mirrored ? CreateNew<TMirroredForm>(nullptr) : CreateNew<TForm>(nullptr);
        form->SetBounds(60, 60, 320, 240);
        auto* bar = Create<TMainMenu>(form);
        for (const wchar_t* caption : {L"&File", L"One", L"Two", L"Three"}) {
            auto* item = Create<TMenuItem>(form);
            item->SetCaption(caption);
            (bar->Items()->Count() ? bar->Items()->Items(0) : bar->Items())->Add(item);
        }
        form->SetMenu(bar);
        Manager->SkinnableMenus()->SetUpMainMenu(bar, true);
        form->Show();
        Pump();

        std::unique_ptr<TBitmap> shot;
        bool shownMirrored = false;
        LoopDriver::Ticks = 0;
        LoopDriver::Step = [&](int tick) {
            const std::vector<HWND> popups = ShownPopupMenus();
            if (tick == 6 && !popups.empty()) {
                shot = ScreenPlacePicture(popups[0]);
                shownMirrored = (GetWindowLongW(popups[0], GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
                EndMenu();
            }
        };
        const UINT_PTR timer = SetTimer(nullptr, 0, 30, &LoopDriver::Tick);
        SetForegroundWindow(form->Handle());
        SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
        KillTimer(nullptr, timer);
        LoopDriver::Step = nullptr;
        Pump();
        form->Free();
        ASSERT_NE(shot, nullptr) << "the drop-down opened";
        EXPECT_EQ(shownMirrored, mirrored);
        // Rows of the three items; the skin's frame is 4 pixels wide, the strips copied are 3.
        const int w = shot->Width();
        const int h = shot->Height();
        for (const int y : {h / 4, h / 2, 3 * h / 4})
            for (const int x : {0, 1, 2, w - 3, w - 2, w - 1})
                EXPECT_EQ(MenuPixelAt(*shot, x, y), FrameColor) << "at " << x << ", " << y << " of " << w;
    }
}

TEST_F(SkinMenusShown, DeeplyNestedSubmenusOpenAndClose)
{
    TMenuItem* parent = Item(0);
    for (int depth = 0; depth < 24; ++depth)
        parent = Add(parent, L"Level " + std::to_wstring(depth));
    size_t deepest = 0;
    Show([&](int tick) {
        const std::vector<HWND> popups = ShownPopupMenus();
        if (popups.empty())
            return;
        if (tick == 3) {
            PostKey(popups[0], VK_DOWN);
            for (int i = 0; i < 12; ++i)
                PostKey(popups[0], VK_RIGHT);
        } else if (tick == 10) {
            deepest = ShownPopupMenus().size();
            EndMenu();
        }
    });
    EXPECT_GE(deepest, 10u);

    // Deeper than the system nests menus: a clear error, and the tree keeps every item.
    for (int depth = 24; depth < 60; ++depth)
        parent = Add(parent, L"Level " + std::to_wstring(depth));
    try {
        Show([](int) { EndMenu(); });
    } catch (const EMenuError&) {
    }
    int levels = 0;
    for (TMenuItem* i = Item(0); i->Count() > 0; i = i->Items(0))
        ++levels;
    EXPECT_EQ(levels, 60);
}

// A skinned form's own menu line: its first menu opened by Alt+F and chosen from by keyboard,
// then opened by a click on the line and chosen from by mouse.
TEST_F(SkinMenusShown, AFormsMenuLineIsChosenFromByKeyboardAndByMouse)
{
    InitializeSkinProviderUnit();
    Manager->SetSkinningRules({srStdDialogs, srThirdParty});
    TForm* form = FormUnderTerminalSkin();
    auto* bar = Create<TMainMenu>(form);
    auto* file = Create<TMenuItem>(form);
    file->SetCaption(L"&File");
    bar->Items()->Add(file);
    auto* open = Create<TMenuItem>(form);
    open->SetCaption(L"&Open");
    open->SetOnClick(TNotifyEvent(&Clicked, &Clicks::Click));
    file->Add(open);
    form->SetMenu(bar);
    auto* provider = Create<TsSkinProvider>(form);
    form->Show();
    Pump();
    ASSERT_TRUE(static_cast<bool>(open->OnAdvancedDrawItem())) << "the provider handed the menu to the skin";
    const HWND wnd = form->Handle();

    bool skinnedPopup = false;
    const auto choose = [&](std::function<void()> openMenu, std::function<void(HWND)> pick) {
        Clicked = {};
        skinnedPopup = false;
        LoopDriver::Ticks = 0;
        LoopDriver::Step = [&](int tick) {
            const std::vector<HWND> popups = ShownPopupMenus();
            if (popups.empty() || tick != 4)
                return;
            skinnedPopup = GetPropW(popups[0], SubclassProperty) != nullptr;
            pick(popups[0]);
        };
        const UINT_PTR timer = SetTimer(nullptr, 0, 30, &LoopDriver::Tick);
        SetForegroundWindow(wnd);
        openMenu();
        Pump();
        KillTimer(nullptr, timer);
        LoopDriver::Step = nullptr;
        Pump();
    };

    choose([&] { SendMessageW(wnd, WM_SYSCOMMAND, SC_KEYMENU, 'f'); }, [](HWND popup) {
        PostKey(popup, VK_DOWN);
        PostKey(popup, VK_RETURN);
    });
    EXPECT_TRUE(skinnedPopup);
    EXPECT_EQ(Clicked.count, 1);
    EXPECT_EQ(Clicked.last, open);

    const auto click = [](int x, int y) {
        SetCursorPos(x, y);
        mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    };
    choose([&] {
        RECT r{};
        ASSERT_TRUE(GetMenuItemRect(wnd, bar->Handle(), 0, &r));
        click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }, [&](HWND) {
        RECT r{};
        GetMenuItemRect(nullptr, file->Handle(), 0, &r);
        click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    });
    EXPECT_TRUE(skinnedPopup);
    EXPECT_EQ(Clicked.count, 1);
    EXPECT_EQ(Clicked.last, open);

    provider->Free();
    form->Free();
    Pump();
}

// Items added to a form's menu bar while it is shown (from an item's click, as an application
// does) are drawn by the skin, and the frame takes as many menu rows as the system laid the bar
// out in: here the first item is wider than the line and takes a row of its own. The form is
// written to skinned-menu-bar-grown.png in the build folder.
TEST_F(SkinMenusShown, AMenuBarGrownAtRunTimeIsSkinnedInTheSystemsRows)
{
    InitializeSkinProviderUnit();
    Manager->SetSkinningRules({srStdDialogs, srThirdParty});
    TForm* form = FormUnderTerminalSkin();
    form->SetCaption(L"Grown");
    auto* bar = Create<TMainMenu>(form);
    const auto add = [&](const std::wstring& caption) {
        auto* item = Create<TMenuItem>(form);
        item->SetCaption(caption);
        bar->Items()->Add(item);
        return item;
    };
    add(L"&File");
    form->SetMenu(bar);
    auto* provider = Create<TsSkinProvider>(form);
    form->Show();
    Pump();
    ASSERT_EQ(provider->MenuLineCount(), 1);

    std::vector<TMenuItem*> added{add(L"&Edit"), add(L"&View"), add(L"&Tools"), add(L"&Window"), add(L"&Help")};
    auto* wide = Create<TMenuItem>(form);
    wide->SetCaption(std::wstring(300, L'W'));
    bar->Items()->Insert(0, wide);
    added.push_back(wide);
    Pump();
    for (TMenuItem* item : added) {
        SCOPED_TRACE(item->MenuIndex());
        EXPECT_TRUE(static_cast<bool>(item->OnAdvancedDrawItem())) << "the new item is drawn by the skin";
    }
    const HWND wnd = form->Handle();
    std::vector<LONG> tops;
    for (int i = 0; i < bar->Items()->Count(); ++i) {
        RECT r{};
        ASSERT_TRUE(GetMenuItemRect(wnd, bar->Handle(), static_cast<UINT>(i), &r));
        if (std::find(tops.begin(), tops.end(), r.top) == tops.end())
            tops.push_back(r.top);
    }
    ASSERT_GT(tops.size(), 1u) << "the system wrapped the bar";
    EXPECT_EQ(provider->MenuLineCount(), static_cast<int>(tops.size()));

    auto shot = ScreenPicture(wnd);
    WriteSheetPng(*shot, std::string(KS_BUILD_DIR) + "/skinned-menu-bar-grown.png");
    provider->Free();
    form->Free();
    Pump();
}

// A skin whose name holds "&" shows the character in the system menu's skin list, not an
// accelerator, and choosing it loads that skin.
TEST_F(SkinMenusShown, ASkinNameWithAnAmpersandIsShownAndChosenAsItIs)
{
    InitializeSkinProviderUnit();
    Dir.Write(L"R&B.asz", MenuSkinArchive());
    ks::SetNextFormCreation({true, false, {}});
    auto* form = CreateNew<TForm>(nullptr);
    auto* provider = Create<TsSkinProvider>(form);
    provider->SetMakeSkinMenu(true);
    form->Show();
    Pump();
    provider->SetUpForm();
    ASSERT_NE(provider->SystemMenu, nullptr);
    provider->SystemMenu->MakeSkinItems();
    TMenuItem* chosen = nullptr;
    TMenuItem* list = provider->SystemMenu->Items()->Items(0);
    for (int i = 0; i < list->Count(); ++i)
        if (StripHotkey(list->Items(i)->Caption()) == L"R&B")
            chosen = list->Items(i);
    ASSERT_NE(chosen, nullptr) << "the name's own character is no accelerator mark";
    EXPECT_EQ(chosen->Caption(), L"R&&B");
    chosen->Click();
    EXPECT_EQ(Manager->SkinName(), L"R&B");
    EXPECT_TRUE(Manager->Active());
    EXPECT_TRUE(Manager->SkinData.SkinActive);
    provider->Free();
    form->Free();
    Pump();
}

// A form's skinned system menu, with the window commands' symbols beside their items, written
// to skinned-system-menu.png in the build folder.
TEST_F(SkinMenusShown, SheetOfTheSkinnedSystemMenu)
{
    TForm* form = nullptr;
    TsSkinProvider* provider = SkinnedForm(form);
    std::unique_ptr<TBitmap> shot;
    OpenSystemMenu(*provider, [&](int tick) {
        const std::vector<HWND> popups = ShownPopupMenus();
        if (tick == 5 && !popups.empty()) {
            shot = ScreenPicture(popups[0]);
            EndMenu();
        }
    });
    ASSERT_NE(shot, nullptr);
    WriteSheetPng(*shot, std::string(KS_BUILD_DIR) + "/skinned-system-menu.png");
    provider->Free();
    form->Free();
    Pump();
}

// The skin goes while a form's skinned system menu is open; later, with the skin back, the form
// is released while its system menu is open again: the fixture's handle counts find every
// brush and font given back once the menus have closed.
TEST_F(SkinMenusShownLifetime, TheSystemMenuOutlivesItsSkinAndItsForm)
{
    TForm* form = nullptr;
    TsSkinProvider* provider = SkinnedForm(form);
    const auto meanwhile = [](std::function<void()> change) {
        return [change](int tick) {
            if (tick == 4)
                change();
            else if (tick == 8)
                EndMenu();
        };
    };
    OpenSystemMenu(*provider, meanwhile([&] { Manager->SetActive(false); }));
    Manager->SetActive(true);
    Pump();
    OpenSystemMenu(*provider, meanwhile([&] { form->Release(); }));
    Pump();
}

// What a user sees: a form's menu bar with its first menu open (a checked, a radio-checked and
// a disabled item, a divider, a submenu, a short cut, one item hot) under the internal skin, written to
// skinned-main-menu.png in the build folder.
TEST_F(SkinMenusShown, SheetOfAMainMenuWithItsSubmenuOpen)
{
    TForm* form = FormUnderTerminalSkin();
    form->SetCaption(L"Menus");
    auto* bar = Create<TMainMenu>(form);
    const auto item = [&](TMenuItem* parent, const wchar_t* caption) {
        auto* i = Create<TMenuItem>(form);
        i->SetCaption(caption);
        parent->Add(i);
        return i;
    };
    TMenuItem* file = item(bar->Items(), L"&File");
    item(bar->Items(), L"&Edit");
    item(file, L"&New")->SetChecked(true);
    item(file, L"&Open...")->SetEnabled(false);
    item(file, L"-");
    item(item(file, L"&Recent"), L"notes.txt");
    TMenuItem* radio = item(file, L"&Terminal");
    radio->SetRadioItem(true);
    radio->SetChecked(true);
    item(file, L"E&xit")->SetShortCut(scCtrl | 'Q');
    form->SetMenu(bar);
    Manager->SkinnableMenus()->SetUpMainMenu(bar, true);
    form->Show();
    Pump();

    // The form has no provider here: a stand-in gives the menu line its skin image.
    static std::unique_ptr<TBitmap> line;
    line = std::make_unique<TBitmap>();
    line->SetPixelFormat(pf24bit);
    line->SetSize(form->Width(), form->Height());
    PaintSectionByName(line.get(), "MENULINE", "MENUITEM", 0, Manager, TPoint{0, 0}, clBlack, nullptr);
    static int provider = 0;
    MDISkinProvider = reinterpret_cast<TsSkinProvider*>(&provider);
    ProviderMenuLine = [](TsSkinProvider*, const MenuLineItemPaint&) { return MenuLineImage{line.get(), TPoint{0, 0}}; };
    DrawMenuBar(form->Handle());
    Pump();

    std::unique_ptr<TBitmap> sheet;
    RECT popup{};
    const HWND formWnd = form->Handle();
    LoopDriver::Ticks = 0;
    LoopDriver::Step = [&](int tick) {
        const std::vector<HWND> popups = ShownPopupMenus();
        if (tick == 3) {
            keybd_event(VK_DOWN, 0, 0, 0);
            keybd_event(VK_DOWN, 0, KEYEVENTF_KEYUP, 0);
        } else if (tick == 6 && !popups.empty()) {
            PostKey(popups[0], VK_DOWN);
        } else if (tick == 9 && !popups.empty()) {
            RECT f{};
            RECT p{};
            GetWindowRect(formWnd, &f);
            GetWindowRect(popups[0], &p);
            sheet = std::make_unique<TBitmap>();
            sheet->SetPixelFormat(pf24bit);
            sheet->SetSize(std::max(f.right, p.right) - f.left + 10, std::max(f.bottom, p.bottom) - f.top + 10);
            ks::WindowDC formDC(formWnd, ks::WindowDC::WholeWindow);
            ks::WindowDC popupDC(popups[0], ks::WindowDC::WholeWindow);
            BitBlt(sheet->Canvas().Handle(), 0, 0, f.right - f.left, f.bottom - f.top, formDC.get(), 0, 0,
                   SRCCOPY);
            BitBlt(sheet->Canvas().Handle(), p.left - f.left, p.top - f.top, p.right - p.left, p.bottom - p.top,
                   popupDC.get(), 0, 0, SRCCOPY);
            popup = {p.left - f.left, p.top - f.top, p.right - f.left, p.bottom - f.top};
            EndMenu();
        }
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &LoopDriver::Tick);
    SetForegroundWindow(formWnd);
    SendMessageW(formWnd, WM_SYSCOMMAND, SC_KEYMENU, 'f');
    KillTimer(nullptr, timer);
    LoopDriver::Step = nullptr;
    Pump();
    MDISkinProvider = nullptr;
    ProviderMenuLine = nullptr;
    line.reset();
    ASSERT_NE(sheet, nullptr) << "the submenu opened";
    WriteSheetPng(*sheet, std::string(KS_BUILD_DIR) + "/skinned-main-menu.png");
    // The menu is the skin's, not the platform's, and one of its items is lit: down a column
    // of the menu away from the texts, a run of rows in a colour of its own.
    const HDC dc = sheet->Canvas().Handle();
    const int x = (popup.left + 3 * popup.right) / 4;
    const COLORREF back = GetPixel(dc, x, popup.bottom - 4);
    EXPECT_NE(back, GetSysColor(COLOR_MENU));
    int lit = 0, longest = 0;
    for (int y = popup.top + 2; y < popup.bottom - 2; ++y) {
        lit = GetPixel(dc, x, y) != back ? lit + 1 : 0;
        longest = std::max(longest, lit);
    }
    EXPECT_GE(longest, 10) << "the lit item";
    form->Free();
}

} // namespace
