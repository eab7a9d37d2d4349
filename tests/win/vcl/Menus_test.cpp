#include "vcl/Menus.h"

#include "vcl/FormStreaming.h"
#include "vcl/FormText.h"
#include "vcl/Forms.h"
#include "vcl/ImgList.h"
#include "vcl/Bitmap.h"
#include "vcl/Shapes.h"
#include "win/support/MirroredForm.h"
#include "win/support/ThreadWindows.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ShortCuts, TextOfKeysAndModifiers)
{
    struct Case { const char* name; TShortCut shortCut; const wchar_t* text; } cases[] = {
        {"AltF4", 0x8073, L"Alt+F4"},
        {"CtrlC", scCtrl | 'C', L"Ctrl+C"},
        {"ShiftCtrlAltDel", scShift | scCtrl | scAlt | VK_DELETE, L"Shift+Ctrl+Alt+Del"},
        {"Digit", '7', L"7"},
        {"F24", VK_F24, L"F24"},
        {"Enter", VK_RETURN, L"Enter"},
        {"None", scNone, L""},
        {"UnnamedKey", scCtrl | VK_LWIN, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ShortCutToText(c.shortCut), c.text);
        if (*c.text) {
            EXPECT_EQ(TextToShortCut(c.text), c.shortCut);
        }
    }
    EXPECT_EQ(TextToShortCut(L"ctrl+alt+f4"), scCtrl | scAlt | VK_F4);
    EXPECT_EQ(TextToShortCut(L"Ctrl+"), scNone);
    EXPECT_EQ(TextToShortCut(L"Hyper+X"), scNone);
}

TEST(ShortCuts, StripHotkeyRemovesMarksOnly)
{
    EXPECT_EQ(StripHotkey(L"&Копировать"), L"Копировать");
    EXPECT_EQ(StripHotkey(L"Save && &Exit"), L"Save & Exit");
    EXPECT_EQ(StripHotkey(L"trailing&"), L"trailing");
    EXPECT_EQ(StripHotkey(L""), L"");
}

class MenusTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        FOwner = Create<TComponent>(nullptr);
    }
    void TearDown() override
    {
        FreeAndNil(FOwner);
        VclFixture::TearDown();
    }
    TMenuItem* NewItem(TMenuItem* parent, const std::wstring& caption)
    {
        auto* item = Create<TMenuItem>(FOwner);
        item->SetCaption(caption);
        parent->Add(item);
        return item;
    }
    static std::wstring EntryText(HMENU menu, UINT position)
    {
        wchar_t buffer[128] = {};
        GetMenuStringW(menu, position, buffer, 128, MF_BYPOSITION);
        return buffer;
    }

    TComponent* FOwner = nullptr;
};

TEST_F(MenusTest, BuildsEntriesFromTheItems)
{
    auto* menu = Create<TPopupMenu>(FOwner);
    TMenuItem* show = NewItem(menu->Items(), L"&Показать");
    show->SetDefault(true);
    NewItem(menu->Items(), L"-");
    TMenuItem* hidden = NewItem(menu->Items(), L"Hidden");
    hidden->SetVisible(false);
    TMenuItem* exit = NewItem(menu->Items(), L"&Выход");
    exit->SetShortCut(0x8073);
    exit->SetChecked(true);
    exit->SetEnabled(false);
    TMenuItem* sub = NewItem(menu->Items(), L"More");
    NewItem(sub, L"Inner");

    HMENU h = menu->Handle();
    ASSERT_EQ(GetMenuItemCount(h), 4); // the hidden item has no entry
    EXPECT_EQ(EntryText(h, 0), L"&Показать");
    EXPECT_EQ(GetMenuState(h, 0, MF_BYPOSITION) & MF_DEFAULT, static_cast<UINT>(MF_DEFAULT));
    EXPECT_NE(GetMenuState(h, 1, MF_BYPOSITION) & MF_SEPARATOR, 0u);
    EXPECT_EQ(EntryText(h, 2), L"&Выход\tAlt+F4");
    UINT state = GetMenuState(h, 2, MF_BYPOSITION);
    EXPECT_NE(state & MF_CHECKED, 0u);
    EXPECT_NE(state & MF_GRAYED, 0u);
    EXPECT_EQ(GetSubMenu(h, 3), sub->Handle());
    EXPECT_EQ(GetMenuItemID(h, 2), exit->Command());

    // Changes after the Win32 menu exists reach it.
    hidden->SetVisible(true);
    show->SetCaption(L"Show");
    EXPECT_EQ(GetMenuItemCount(h), 5);
    EXPECT_EQ(EntryText(h, 0), L"Show");
    exit->Free();
    EXPECT_EQ(GetMenuItemCount(h), 4);
    EXPECT_EQ(menu->FindItem(sub->Command(), fkCommand), sub);
    EXPECT_EQ(menu->FindItem(reinterpret_cast<UINT_PTR>(sub->Handle()), fkHandle), sub);
}

TEST_F(MenusTest, TreeRefusesCyclesAndBadIndexes)
{
    auto* menu = Create<TPopupMenu>(FOwner);
    TMenuItem* a = NewItem(menu->Items(), L"a");
    TMenuItem* b = NewItem(a, L"b");
    EXPECT_THROW(b->Add(a), EMenuError);
    EXPECT_THROW(a->Add(a), EMenuError);
    EXPECT_THROW(a->Insert(5, Create<TMenuItem>(FOwner)), EMenuError);
    EXPECT_THROW(a->Items(1), EMenuError);
    // Moving an item takes it from its old parent.
    menu->Items()->Add(b);
    EXPECT_EQ(a->Count(), 0);
    EXPECT_EQ(b->Parent(), menu->Items());
    EXPECT_EQ(b->MenuIndex(), 1);
    EXPECT_EQ(b->GetParentMenu(), menu);
}

TEST_F(MenusTest, CommandsAreUniqueAndReused)
{
    auto* menu = Create<TPopupMenu>(FOwner);
    TMenuItem* a = NewItem(menu->Items(), L"a");
    TMenuItem* b = NewItem(menu->Items(), L"b");
    EXPECT_NE(a->Command(), b->Command());
    EXPECT_NE(a->Command(), 0u);
    UINT freed = a->Command();
    a->Free();
    TMenuItem* c = NewItem(menu->Items(), L"c");
    EXPECT_EQ(c->Command(), freed);
}

// Ends any menu still tracking, so no test can hang in the menu loop.
struct MenuDriver {
    static inline int Ticks = 0;
    static inline bool Choose = false;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        ++Ticks;
        HWND popup = ks::test::FindThreadWindow(L"#32768", nullptr);
        if (Choose && Ticks == 2 && popup) {
            // Keys reach the menu loop from the thread's queue, whatever the target window.
            PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
        } else if (Ticks >= 5) {
            EndMenu();
        }
    }
};

struct Recorder {
    int clicks = 0;
    int measured = 0;
    int drawn = 0;
    TObject* clickedBy = nullptr;
    void Click(TObject* sender)
    {
        ++clicks;
        clickedBy = sender;
    }
    void Measure(TObject*, TCanvas*, int& width, int& height)
    {
        ++measured;
        width = 120;
        height = 30;
    }
    void Draw(TObject*, TCanvas* canvas, const TRect& rect, TOwnerDrawState)
    {
        ++drawn;
        canvas->Brush().SetColor(clLime);
        canvas->FillRect(rect);
    }
};

// Shows the popup and chooses its first entry by keyboard from the menu's own loop.
void ShowAndChooseFirst(TPopupMenu* menu)
{
    MenuDriver::Ticks = 0;
    MenuDriver::Choose = true;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, &MenuDriver::Tick);
    SetForegroundWindow(menu->WindowHandle());
    menu->Popup(100, 100);
    KillTimer(nullptr, timer);
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

TEST_F(MenusTest, OwnerDrawnPopupIsMeasuredDrawnAndClicked)
{
    Recorder recorder;
    auto* menu = Create<TPopupMenu>(FOwner);
    menu->SetOwnerDraw(true);
    TMenuItem* copy = NewItem(menu->Items(), L"&Копировать");
    copy->SetOnClick(TNotifyEvent(&recorder, &Recorder::Click));
    copy->SetOnMeasureItem(TMenuMeasureItemEvent(&recorder, &Recorder::Measure));
    copy->SetOnAdvancedDrawItem(TAdvancedMenuDrawItemEvent(&recorder, &Recorder::Draw));
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfoW(menu->Handle(), 0, TRUE, &info));
    EXPECT_NE(info.fType & MFT_OWNERDRAW, 0u);

    ShowAndChooseFirst(menu);
    PumpMessages();

    EXPECT_GE(recorder.measured, 1);
    EXPECT_GE(recorder.drawn, 1);
    EXPECT_EQ(recorder.clicks, 1);
    EXPECT_EQ(recorder.clickedBy, copy);
}

// Wine leaves the entry chosen last selected in the closed popup; once entries are removed that
// selection lies past the menu's end and the next showing writes there.
TEST_F(MenusTest, AClosedPopupKeepsNoSelectionForItsNextShowing)
{
    Recorder recorder;
    auto* menu = Create<TPopupMenu>(FOwner);
    TMenuItem* first = NewItem(menu->Items(), L"&First");
    NewItem(menu->Items(), L"&Second");
    first->SetOnClick(TNotifyEvent(&recorder, &Recorder::Click));
    ShowAndChooseFirst(menu);
    HMENU handle = menu->Handle();
    for (int i = 0; i < GetMenuItemCount(handle); ++i)
        EXPECT_EQ(GetMenuState(handle, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE, 0u) << i;
    PumpMessages();
    EXPECT_EQ(recorder.clicks, 1);

    // The chosen entry goes; the next showing chooses the one left.
    first->Free();
    NewItem(menu->Items(), L"&Third")->SetOnClick(TNotifyEvent(&recorder, &Recorder::Click));
    menu->Items()->Items(0)->SetOnClick(TNotifyEvent(&recorder, &Recorder::Click));
    ShowAndChooseFirst(menu);
    PumpMessages();
    EXPECT_EQ(recorder.clicks, 2);
    EXPECT_EQ(recorder.clickedBy, menu->Items()->Items(0));
    EXPECT_EQ(GetMenuItemCount(menu->Handle()), 2);
}

TEST_F(MenusTest, PopupListRoutesCommandsToTheirItem)
{
    Recorder recorder;
    auto* first = Create<TPopupMenu>(FOwner);
    auto* second = Create<TPopupMenu>(FOwner);
    NewItem(first->Items(), L"one");
    TMenuItem* two = NewItem(second->Items(), L"two");
    two->SetOnClick(TNotifyEvent(&recorder, &Recorder::Click));
    HWND list = PopupList().Window();
    EXPECT_EQ(first->WindowHandle(), list);
    SendMessageW(list, WM_COMMAND, MAKEWPARAM(two->Command(), 0), 0);
    EXPECT_EQ(recorder.clickedBy, two);
    // A control's notification with the same number is not a menu command.
    SendMessageW(list, WM_COMMAND, MAKEWPARAM(two->Command(), BN_CLICKED), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(recorder.clicks, 1);
}

TEST_F(MenusTest, APopupShownForAFormGetsItsCommandsThroughThatFormOnly)
{
    Recorder recorder;
    ks::SetNextFormCreation({true, false, {}});
    auto* form = CreateNew<TForm>(FOwner);
    auto* menu = Create<TPopupMenu>(FOwner);
    TMenuItem* item = NewItem(menu->Items(), L"item");
    item->SetOnClick(TNotifyEvent(&recorder, &Recorder::Click));
    menu->SetWindowHandle(form->Handle());
    EXPECT_EQ(menu->WindowHandle(), form->Handle());
    SendMessageW(PopupList().Window(), WM_COMMAND, MAKEWPARAM(item->Command(), 0), 0);
    EXPECT_EQ(recorder.clicks, 0) << "the popup list's window does not speak for it";
    SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(item->Command(), 0), 0);
    EXPECT_EQ(recorder.clickedBy, item);
    EXPECT_EQ(recorder.clicks, 1);
}

// Where the shown popup and the submenu opened from it lie, taken from the menu's own loop.
struct PlacementDriver {
    static inline int Ticks = 0;
    static inline HWND Shown = nullptr;
    static inline RECT Menu{}, Submenu{};
    // The submenu: the shown menu window that is not the popup itself.
    static BOOL CALLBACK FindSubmenu(HWND wnd, LPARAM)
    {
        wchar_t name[16];
        if (wnd != Shown && IsWindowVisible(wnd) && GetClassNameW(wnd, name, 16) && std::wstring(name) == L"#32768")
            GetWindowRect(wnd, &Submenu);
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (++Ticks == 2 && (Shown = ks::test::FindThreadWindow(L"#32768", nullptr))) {
            GetWindowRect(Shown, &Menu);
            for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RIGHT})
                PostMessageW(Shown, WM_KEYDOWN, key, 0);
        } else if (Ticks == 4) {
            EnumThreadWindows(GetCurrentThreadId(), &FindSubmenu, 0);
        } else if (Ticks >= 5) {
            EndMenu();
        }
    }
};

TEST_F(MenusTest, APopupOpensFromItsLeadingEdgeWithItsSubmenusTheSameWay)
{
    enum Shown { ForForm, ForWindowless, ForFormWindow };
    struct Case { const char* name; bool mirrored; Shown shown; bool rightToLeftMenu, middleEast, rtl; } cases[] = {
        {"LeftToRightForm", false, ForForm, false, false, false},
        {"MirroredForm", true, ForForm, false, false, true},
        {"WindowlessControlOfMirroredForm", true, ForWindowless, false, false, true},
        {"MirroredFormAsTheMenusWindow", true, ForFormWindow, false, false, true},
        {"RightToLeftMenuWhereTextRunsSo", false, ForForm, true, true, true},
        {"RightToLeftMenuElsewhere", false, ForForm, true, false, false},
    };
    static bool middleEast = false;
    ks::Sys().IsMiddleEastLocale = [] { return middleEast; };
    constexpr int X = 400, Y = 300;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        middleEast = c.middleEast;
        TForm* form = c.mirrored ? CreateNew<ks::test::TMirroredForm>(FOwner) : CreateNew<TForm>(FOwner);
        form->SetBounds(100, 100, 300, 200);
        form->Show();
        auto* shape = Create<TShape>(FOwner);
        shape->SetParent(form);
        auto* menu = Create<TPopupMenu>(FOwner);
        NewItem(menu->Items(), L"first entry");
        NewItem(NewItem(menu->Items(), L"second entry"), L"sub entry");
        menu->SetBiDiMode(c.rightToLeftMenu ? bdRightToLeft : bdLeftToRight);
        if (c.shown == ForFormWindow)
            menu->SetWindowHandle(form->Handle());
        else
            menu->SetPopupComponent(c.shown == ForForm ? static_cast<TControl*>(form) : shape);

        PlacementDriver::Ticks = 0;
        PlacementDriver::Shown = nullptr;
        PlacementDriver::Menu = PlacementDriver::Submenu = {};
        UINT_PTR timer = SetTimer(nullptr, 0, 60, &PlacementDriver::Tick);
        SetForegroundWindow(menu->WindowHandle());
        menu->Popup(X, Y);
        KillTimer(nullptr, timer);
        PumpMessages();

        const RECT& m = PlacementDriver::Menu;
        const RECT& sub = PlacementDriver::Submenu;
        ASSERT_GT(m.right, m.left) << "no menu showed";
        ASSERT_GT(sub.right, sub.left) << "no submenu opened";
        EXPECT_EQ(m.top, Y);
        EXPECT_EQ(c.rtl ? m.right : m.left, X);
        if (c.rtl)
            EXPECT_LE(sub.right, m.left + 8) << "the submenu opened rightwards at " << sub.left;
        else
            EXPECT_GE(sub.left, m.right - 8) << "the submenu opened leftwards at " << sub.left;
        menu->Free();
        form->Free();
    }
}

TEST_F(MenusTest, PopupComponentIsForgottenWhenFreed)
{
    auto* menu = Create<TPopupMenu>(FOwner);
    auto* other = Create<TComponent>(nullptr);
    menu->SetPopupComponent(other);
    EXPECT_EQ(menu->PopupComponent(), other);
    other->Free();
    EXPECT_EQ(menu->PopupComponent(), nullptr);
}

TEST_F(MenusTest, MenusStreamWithTheirItems)
{
    std::vector<uint8_t> data = CompileFormText(
        "object Root: TComponent\n"
        "  object TrayMenu: TPopupMenu\n"
        "    object N2: TMenuItem\n"
        "      Caption = '&Показать'\n"
        "      Default = True\n"
        "    end\n"
        "    object N4: TMenuItem\n"
        "      Caption = '-'\n"
        "    end\n"
        "    object N3: TMenuItem\n"
        "      Caption = '&Выход'\n"
        "      ShortCut = 32883\n"
        "    end\n"
        "  end\n"
        "end\n");
    TComponent* root = Create<TComponent>(nullptr);
    ReadRootComponent(data, *root);
    auto* menu = dynamic_cast<TPopupMenu*>(root->FindComponent("TrayMenu"));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->Items()->Count(), 3);
    EXPECT_EQ(menu->Items()->Items(0)->Caption(), L"&Показать");
    EXPECT_TRUE(menu->Items()->Items(0)->Default());
    EXPECT_TRUE(menu->Items()->Items(1)->IsLine());
    EXPECT_EQ(menu->Items()->Items(2)->ShortCut(), 0x8073);
    EXPECT_EQ(root->FindComponent("N3"), menu->Items()->Items(2));
    root->Free();
}

TEST_F(MenusTest, ImageListsAreForgottenWhenFreed)
{
    auto* menu = Create<TPopupMenu>(FOwner);
    TMenuItem* parent = NewItem(menu->Items(), L"parent");
    auto* list = Create<TImageList>(nullptr);
    auto* subList = Create<TImageList>(nullptr);
    menu->SetImages(list);
    parent->SetSubMenuImages(subList);
    list->Free();
    subList->Free();
    EXPECT_EQ(menu->Images(), nullptr);
    EXPECT_EQ(parent->SubMenuImages(), nullptr);
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class MenusLifetimeTest : public MenusTest {};

// The system delivers a chosen command after its menu has closed, so a handler may free its
// own item, the whole menu, or change the tree; the dispatch touches nothing afterwards.
TEST_F(MenusLifetimeTest, ClickHandlersMayFreeTheirItemOrTheirMenu)
{
    struct Freeing {
        TPopupMenu* menu = nullptr;
        int clicks = 0;
        void FreeItem(TObject* sender)
        {
            ++clicks;
            static_cast<TMenuItem*>(sender)->Free();
        }
        void FreeMenu(TObject*)
        {
            ++clicks;
            menu->Free();
        }
    } handler;
    auto* menu = Create<TPopupMenu>(FOwner);
    handler.menu = menu;
    TMenuItem* self = NewItem(menu->Items(), L"self");
    TMenuItem* whole = NewItem(menu->Items(), L"whole");
    self->SetOnClick(TNotifyEvent(&handler, &Freeing::FreeItem));
    whole->SetOnClick(TNotifyEvent(&handler, &Freeing::FreeMenu));
    menu->Handle();
    const UINT selfCommand = self->Command();
    const HWND list = PopupList().Window();
    SendMessageW(list, WM_COMMAND, MAKEWPARAM(selfCommand, 0), 0);
    EXPECT_EQ(menu->Items()->Count(), 1);
    EXPECT_EQ(GetMenuItemCount(menu->Handle()), 1);
    // The freed item's number reaches nobody any more.
    SendMessageW(list, WM_COMMAND, MAKEWPARAM(selfCommand, 0), 0);
    EXPECT_EQ(handler.clicks, 1);
    SendMessageW(PopupList().Window(), WM_COMMAND, MAKEWPARAM(whole->Command(), 0), 0);
    EXPECT_EQ(handler.clicks, 2);
}

} // namespace
