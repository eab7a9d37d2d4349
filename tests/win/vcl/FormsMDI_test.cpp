#include "vcl/Forms.h"

#include "vcl/Menus.h"
#include "vcl/SysUtils.h"
#include "win/support/KeyState.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

class FormsMDITest : public VclFixture {
protected:
    void TearDown() override
    {
        for (TForm* f : {Child2, Child1, Main})
            if (f)
                f->Free();
        VclFixture::TearDown();
    }

    void MakeMain()
    {
        Application->CreateForm(Main);
        ASSERT_EQ(Application->MainForm(), Main);
        Main->SetFormStyle(fsMDIForm);
        Main->SetBounds(40, 40, 500, 400);
        Main->Show();
    }
    TForm* MakeChild(const wchar_t* caption)
    {
        TForm* child = CreateNew<TForm>(Application);
        child->SetFormStyle(fsMDIChild);
        child->SetText(caption);
        child->SetBounds(10, 10, 200, 150);
        child->Show();
        return child;
    }

    TForm* Main = nullptr;
    TForm* Child1 = nullptr;
    TForm* Child2 = nullptr;
};

TEST_F(FormsMDITest, ChildrenLiveInTheClientThatFillsTheMainForm)
{
    MakeMain();
    HWND client = Main->ClientHandle();
    ASSERT_NE(client, nullptr);
    wchar_t cls[32]{};
    GetClassNameW(client, cls, 32);
    EXPECT_STREQ(cls, L"MDIClient");
    RECT clientArea{}, clientWindow{};
    GetClientRect(Main->Handle(), &clientArea);
    GetWindowRect(client, &clientWindow);
    EXPECT_EQ(clientWindow.right - clientWindow.left, clientArea.right);
    EXPECT_EQ(clientWindow.bottom - clientWindow.top, clientArea.bottom);

    Child1 = MakeChild(L"One");
    Child2 = MakeChild(L"Two");
    EXPECT_EQ(GetParent(Child1->HandleIfAllocated()), client);
    EXPECT_TRUE(GetWindowLongPtrW(Child1->HandleIfAllocated(), GWL_EXSTYLE) & WS_EX_MDICHILD);
    EXPECT_EQ(Main->MDIChildCount(), 2);
    EXPECT_EQ(Main->MDIChildren(0), Child1);
    EXPECT_EQ(Main->MDIChildren(1), Child2);
    EXPECT_THROW(Main->MDIChildren(2), EListError);
    EXPECT_THROW(Main->MDIChildren(-1), EListError);
    EXPECT_EQ(Main->ActiveMDIChild(), Child2) << "the child shown last is active";

    // Growing the main form grows the client with it.
    Main->SetBounds(40, 40, 600, 450);
    GetClientRect(Main->Handle(), &clientArea);
    GetWindowRect(client, &clientWindow);
    EXPECT_EQ(clientWindow.right - clientWindow.left, clientArea.right);

    // Freeing the active child activates the other through the client.
    Child2->Free();
    Child2 = nullptr;
    EXPECT_EQ(Main->MDIChildCount(), 1);
    EXPECT_EQ(Main->ActiveMDIChild(), Child1);
}

TEST_F(FormsMDITest, WindowStateMaximisesAndRestoresThroughTheClient)
{
    MakeMain();
    Child1 = MakeChild(L"One");
    Child2 = MakeChild(L"Two");
    HWND client = Main->ClientHandle();
    Child2->SetWindowState(wsMaximized);
    BOOL maximised = FALSE;
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximised))),
              Child2->HandleIfAllocated());
    EXPECT_TRUE(maximised);
    EXPECT_TRUE(IsZoomed(Child2->HandleIfAllocated()));
    EXPECT_EQ(Child2->WindowState(), wsMaximized);

    Child2->SetWindowState(wsNormal);
    EXPECT_FALSE(IsZoomed(Child2->HandleIfAllocated()));
    EXPECT_EQ(Child2->WindowState(), wsNormal);
}

TEST_F(FormsMDITest, TheMenuKeepsThePlatformsEntriesOfAMaximisedChildWhenItChanges)
{
    MakeMain();
    auto* bar = Create<TMainMenu>(Main);
    TMenuItem* items[3]{};
    for (int i = 0; i < 3; ++i) {
        items[i] = Create<TMenuItem>(bar);
        items[i]->SetCaption(i == 0 ? L"File" : i == 1 ? L"Window" : L"Help");
        bar->Items()->Add(items[i]);
    }
    items[2]->SetVisible(false);
    Main->SetMenu(bar);
    Child1 = MakeChild(L"One");
    Child1->SetWindowState(wsMaximized);
    HMENU menu = GetMenu(Main->Handle());
    ASSERT_EQ(GetMenuItemCount(menu), 6) << "the child's icon, File, Window and its three buttons";
    const auto idAt = [&](int position) { return GetMenuItemID(menu, position); };
    const UINT lastButton = idAt(5);

    items[0]->MenuChanged(true);
    EXPECT_EQ(GetMenuItemCount(menu), 6) << "rebuilding keeps the platform's entries";
    items[2]->SetVisible(true);
    ASSERT_EQ(GetMenuItemCount(menu), 7);
    EXPECT_EQ(idAt(3), items[2]->Command()) << "a shown item goes after the others, before the buttons";
    EXPECT_EQ(idAt(6), lastButton);
    items[0]->SetVisible(false);
    ASSERT_EQ(GetMenuItemCount(menu), 6);
    EXPECT_EQ(idAt(1), items[1]->Command()) << "the icon's entry stays first";
    EXPECT_EQ(idAt(5), lastButton);
}

TEST_F(FormsMDITest, TheActiveChildsMenuMergesIntoTheMainFormsBarByGroup)
{
    MakeMain();
    const auto makeMenu = [](TForm* owner, std::initializer_list<std::pair<const wchar_t*, int>> items) {
        auto* menu = Create<TMainMenu>(owner);
        for (const auto& [caption, group] : items) {
            auto* item = Create<TMenuItem>(menu);
            item->SetCaption(caption);
            item->SetGroupIndex(group);
            menu->Items()->Add(item);
        }
        return menu;
    };
    Main->SetMenu(makeMenu(Main, {{L"File", 0}, {L"Window", 9}}));
    const auto barTexts = [&] {
        std::wstring texts;
        HMENU bar = GetMenu(Main->Handle());
        for (int i = 0; i < GetMenuItemCount(bar); ++i) {
            wchar_t text[32]{};
            GetMenuStringW(bar, static_cast<UINT>(i), text, 32, MF_BYPOSITION);
            texts += std::wstring(texts.empty() ? L"" : L"|") + text;
        }
        return texts;
    };
    Child1 = MakeChild(L"One");
    TMainMenu* childMenu = makeMenu(Child1, {{L"Document", 0}, {L"Edit", 1}});
    Child1->SetMenu(childMenu);
    EXPECT_EQ(childMenu->WindowHandle(), nullptr) << "an MDI child has no bar of its own";
    EXPECT_EQ(barTexts(), L"Document|Edit|Window") << "the group replaces File, Edit goes before Window";
    ASSERT_EQ(Main->Menu()->BarItems().size(), 3u);

    bool clicked = false;
    struct Clicks {
        bool* Flag;
        void Click(TObject*) { *Flag = true; }
    } clicks{&clicked};
    childMenu->Items()->Items(1)->SetOnClick(TNotifyEvent(&clicks, &Clicks::Click));
    SendMessageW(Main->Handle(), WM_COMMAND, childMenu->Items()->Items(1)->Command(), 0);
    EXPECT_TRUE(clicked) << "a merged item's command reaches it";

    childMenu->Items()->Items(1)->SetCaption(L"Edit2");
    EXPECT_EQ(barTexts(), L"Document|Edit2|Window") << "a change of a merged item shows on the bar";

    Child2 = MakeChild(L"Two");
    EXPECT_EQ(barTexts(), L"File|Window") << "another child active: the main form's own items";
    SendMessageW(Main->ClientHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(Child1->Handle()), 0);
    EXPECT_EQ(barTexts(), L"Document|Edit2|Window");
    Child1->Free();
    Child1 = nullptr;
    EXPECT_EQ(barTexts(), L"File|Window") << "a freed child takes its items along";
}

TEST_F(FormsMDITest, TheClientShowsScrollBarsExactlyWhileAChildReachesOutOfIt)
{
    MakeMain();
    Child1 = MakeChild(L"One");
    Application->ProcessMessages();
    HWND client = Main->ClientHandle();
    const auto bars = [&] {
        Application->ProcessMessages();
        return GetWindowLongPtrW(client, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL);
    };
    ASSERT_EQ(bars(), 0) << "a child inside the client needs no bars";
    RECT area{};
    GetClientRect(client, &area);
    const struct {
        const char* What;
        int X, Y, W, H;
        LONG_PTR Bars;
    } cases[] = {
        {"moved past the right edge", area.right - 100, 10, 200, 150, WS_HSCROLL},
        {"moved back inside", 10, 10, 200, 150, 0},
        {"moved past the bottom", 10, area.bottom - 50, 200, 150, WS_VSCROLL},
        {"moved past both", area.right - 50, area.bottom - 50, 200, 150, WS_HSCROLL | WS_VSCROLL},
        {"moved back inside again", 10, 10, 200, 150, 0},
        {"sized past the right edge", 10, 10, area.right + 40, 150, WS_HSCROLL},
        {"sized back", 10, 10, 200, 150, 0},
        {"moved past the left edge", -60, 10, 200, 150, WS_HSCROLL},
    };
    for (const auto& c : cases) {
        SetWindowPos(Child1->Handle(), nullptr, c.X, c.Y, c.W, c.H, SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(bars(), c.Bars) << c.What;
    }
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(client, SB_HORZ, &si);
    GetClientRect(client, &area);
    EXPECT_EQ(si.nMin, -60) << "the range starts at the child's left edge";
    EXPECT_EQ(si.nMax, area.right);
    EXPECT_EQ(si.nPos, 0);

    Child1->SetWindowState(wsMaximized);
    EXPECT_EQ(bars(), 0) << "a maximised child fills the client";
}

TEST_F(FormsMDITest, CtrlF6GoesToTheNextChildAndCtrlF4ClosesTheActiveOne)
{
    MakeMain();
    Child1 = MakeChild(L"One");
    Child2 = MakeChild(L"Two");
    Application->ProcessMessages();
    ASSERT_EQ(Main->ActiveMDIChild(), Child2);
    const auto press = [&](WORD key) { ks::test::PressWithControl(Main->ActiveMDIChild()->Handle(), key); };
    press(VK_F6);
    EXPECT_EQ(Main->ActiveMDIChild(), Child1) << "Ctrl+F6: the next child";
    press(VK_F4);
    EXPECT_TRUE(IsIconic(Child1->Handle())) << "Ctrl+F4 closes the active child (it minimises)";
}

// Objects freed under their own code: run on pages that fault once freed.
class FormsMDITestLifetime : public FormsMDITest {};

// What closing a child does, by each way a user closes one, with OnClose answering each action.
TEST_F(FormsMDITestLifetime, AClosedChildIsMinimisedLeftOrFreedAsItsOnCloseAnswers)
{
    struct Answer {
        bool Given = false;
        TCloseAction Action = caNone;
        TCloseAction Offered = caHide;
        void OnClose(TObject*, TCloseAction& action)
        {
            Offered = action;
            if (Given)
                action = Action;
        }
    };
    enum class Way { CtrlF4, SysCommand, Method };
    struct Case {
        const char* name;
        Way way;
        bool minimiseButton;
        std::optional<TCloseAction> answer;
        TCloseAction offered;
        bool iconic, freed;
    };
    const Case cases[] = {
        {"Ctrl+F4, default", Way::CtrlF4, true, {}, caMinimize, true, false},
        {"Ctrl+F4, caFree", Way::CtrlF4, true, caFree, caMinimize, false, true},
        {"SC_CLOSE, default", Way::SysCommand, true, {}, caMinimize, true, false},
        {"SC_CLOSE, caMinimize", Way::SysCommand, true, caMinimize, caMinimize, true, false},
        {"SC_CLOSE, caFree", Way::SysCommand, true, caFree, caMinimize, false, true},
        {"Close, no minimise button", Way::Method, false, {}, caNone, false, false},
        {"Close, no minimise button, caFree", Way::Method, false, caFree, caNone, false, true},
    };
    MakeMain();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Answer answer{c.answer.has_value(), c.answer.value_or(caNone)};
        TForm* child = MakeChild(L"Closed");
        if (!c.minimiseButton)
            child->SetBorderIcons({biSystemMenu, biMaximize});
        child->SetOnClose(TCloseEvent(&answer, &Answer::OnClose));
        Application->ProcessMessages();
        const HWND wnd = child->Handle();
        switch (c.way) {
        case Way::CtrlF4: ks::test::PressWithControl(wnd, VK_F4); break;
        case Way::SysCommand: SendMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0); break;
        case Way::Method: child->Close(); break;
        }
        Application->ProcessMessages();
        EXPECT_EQ(answer.Offered, c.offered);
        EXPECT_EQ(!IsWindow(wnd), c.freed);
        if (IsWindow(wnd)) {
            EXPECT_EQ(IsIconic(wnd) != FALSE, c.iconic);
            EXPECT_TRUE(IsWindowVisible(wnd)) << "a child is never only hidden";
            child->Free();
        } else {
            EXPECT_NE(SendMessageW(Main->ClientHandle(), WM_MDIGETACTIVE, 0, 0), reinterpret_cast<LRESULT>(wnd));
        }
    }
}

TEST_F(FormsMDITestLifetime, FreeingTheMainFormTakesTheChildWindowsAlong)
{
    MakeMain();
    Child1 = MakeChild(L"One");
    HWND childWnd = Child1->HandleIfAllocated();
    HWND client = Main->ClientHandle();
    Main->Free();
    Main = nullptr;
    EXPECT_FALSE(IsWindow(client));
    EXPECT_FALSE(IsWindow(childWnd));
    EXPECT_FALSE(Child1->HandleAllocated());
}

TEST_F(FormsMDITest, AChildWithoutAnMDIMainFormIsRefused)
{
    Application->CreateForm(Main);
    TForm* child = CreateNew<TForm>(Application);
    child->SetFormStyle(fsMDIChild);
    try {
        child->HandleNeeded();
        ADD_FAILURE() << "no MDI form exists";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Cannot create form. No MDI forms are currently active");
    }
    EXPECT_FALSE(child->HandleAllocated());
    child->Free();
}

} // namespace
