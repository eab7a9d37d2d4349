// The tab control, page control, toolbar and status bar over the platform's common controls.
#include "vcl/ComCtrls.h"

#include "vcl/Forms.h"
#include "vcl/ImgList.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class ComCtrlsTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        ks::SetNextFormCreation({true, false, {}});
        Host = CreateNew<TForm>(Application);
        Host->SetBounds(40, 40, 400, 300);
        Host->Show();
    }
    void TearDown() override
    {
        FreeAndNil(Host);
        VclFixture::TearDown();
    }
    static std::wstring WindowTab(HWND wnd, int index)
    {
        wchar_t buffer[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = buffer;
        item.cchTextMax = 64;
        SendMessageW(wnd, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        return item.pszText;
    }
    TForm* Host = nullptr;
};

struct Changes {
    int count = 0;
    void OnChange(TObject*) { ++count; }
};

TEST_F(ComCtrlsTest, TheSelectedTabMovesWithTheTabsAndTheWindowAgrees)
{
    auto* tabs = Create<TTabControl>(Host);
    tabs->SetParent(Host);
    Changes changes;
    tabs->SetOnChange(TNotifyEvent(&changes, &Changes::OnChange));
    tabs->AddTab(L"One");
    EXPECT_EQ(tabs->TabIndex(), 0);
    tabs->AddTab(L"Два");
    tabs->InsertTab(0, L"Zero");
    EXPECT_EQ(tabs->TabIndex(), 1) << "the selected tab moved right";
    HWND wnd = tabs->Handle();
    EXPECT_EQ(SendMessageW(wnd, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(wnd, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(WindowTab(wnd, 2), L"Два");

    // The user's choice comes back as a notification.
    SendMessageW(wnd, TCM_SETCURSEL, 2, 0);
    NMHDR n{wnd, 0, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(Host->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
    EXPECT_EQ(tabs->TabIndex(), 2);
    EXPECT_EQ(changes.count, 1);

    tabs->DeleteTab(2);
    EXPECT_EQ(tabs->TabIndex(), 1);
    tabs->DeleteTab(0);
    tabs->DeleteTab(0);
    EXPECT_EQ(tabs->TabIndex(), -1);
    EXPECT_EQ(SendMessageW(wnd, TCM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_THROW(tabs->DeleteTab(0), EListError);

    // The window made anew shows the same tabs.
    tabs->AddTab(L"Again");
    tabs->SetTabPosition(tpBottom);
    EXPECT_EQ(WindowTab(tabs->Handle(), 0), L"Again");
    EXPECT_TRUE(GetWindowLongW(tabs->Handle(), GWL_STYLE) & TCS_BOTTOM);
}

TEST_F(ComCtrlsTest, OnlyTheActivePageShowsAndPagesKeepTheirTabs)
{
    auto* pages = Create<TPageControl>(Host);
    pages->SetParent(Host);
    TTabSheet* sheets[3];
    for (int i = 0; i < 3; ++i) {
        sheets[i] = Create<TTabSheet>(Host);
        sheets[i]->SetCaption(L"Page " + std::to_wstring(i));
        sheets[i]->SetPageControl(pages);
    }
    EXPECT_EQ(pages->ActivePage(), sheets[0]);
    EXPECT_TRUE(sheets[0]->Visible());
    EXPECT_FALSE(sheets[1]->Visible());
    const TRect display = pages->DisplayRect();
    EXPECT_EQ(sheets[0]->Top(), display.Top) << "pages lie inside the tab frame";

    pages->SetActivePage(sheets[2]);
    EXPECT_TRUE(sheets[2]->Visible());
    EXPECT_FALSE(sheets[0]->Visible());
    sheets[1]->SetCaption(L"Renamed");
    EXPECT_EQ(WindowTab(pages->Handle(), 1), L"Renamed");

    FreeAndNil(sheets[1]);
    EXPECT_EQ(pages->PageCount(), 2);
    EXPECT_EQ(pages->ActivePage(), sheets[2]);
    EXPECT_EQ(WindowTab(pages->Handle(), 1), L"Page 2");
}

struct Draws {
    std::set<TCustomDrawStage> stages;
    std::set<TToolButton*> buttons;
    bool skip = false;
    void Bar(TToolBar*, const TRect&, TCustomDrawStage stage, bool& defaultDraw)
    {
        stages.insert(stage);
        defaultDraw = !skip || stage != cdPreErase;
    }
    void Button(TToolBar* bar, TToolButton* button, TCustomDrawState, bool& defaultDraw)
    {
        buttons.insert(button);
        EXPECT_TRUE(bar->Canvas().HandleAllocated()) << "the canvas draws on the system's DC";
        defaultDraw = !skip;
    }
};

TEST_F(ComCtrlsTest, ToolbarCustomDrawReachesTheBarAndEachButton)
{
    auto* bar = Create<TToolBar>(Host);
    bar->SetParent(Host);
    TToolButton* a = bar->AddButton(tbsButton, L"A");
    TToolButton* b = bar->AddButton(tbsCheck, L"B");
    Draws draws;
    bar->SetOnCustomDraw(TTBCustomDrawEvent(&draws, &Draws::Bar));
    bar->SetOnCustomDrawButton(TTBCustomDrawBtnEvent(&draws, &Draws::Button));
    RedrawWindow(bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_TRUE(draws.stages.count(cdPrePaint));
    EXPECT_TRUE(draws.stages.count(cdPreErase));
    EXPECT_EQ(draws.buttons, (std::set<TToolButton*>{a, b}));
    EXPECT_FALSE(bar->Canvas().HandleAllocated()) << "and lets it go afterwards";

    b->SetDown(true);
    TBBUTTON info{};
    SendMessageW(bar->Handle(), TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&info));
    EXPECT_TRUE(info.fsState & TBSTATE_CHECKED);
    EXPECT_EQ(bar->ButtonOfCommand(info.idCommand), b);
    bar->DeleteButton(0);
    EXPECT_EQ(SendMessageW(bar->Handle(), TB_BUTTONCOUNT, 0, 0), 1);
    EXPECT_EQ(b->Index(), 0);
}

TEST_F(ComCtrlsTest, StatusPanelsBecomeTheBarsParts)
{
    auto* status = Create<TStatusBar>(Host);
    status->SetParent(Host);
    status->AddPanel(L"Left", 80);
    status->AddPanel(L"Middle", 80).SetAlignment(taCenter);
    status->AddPanel(L"Right", 80).SetAlignment(taRightJustify);
    HWND wnd = status->Handle();
    EXPECT_EQ(SendMessageW(wnd, SB_GETPARTS, 0, 0), 3);
    wchar_t text[32] = {};
    SendMessageW(wnd, SB_GETTEXTW, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"\t\tRight");
    EXPECT_FALSE(SendMessageW(wnd, SB_ISSIMPLE, 0, 0));
    status->SetSimplePanel(true);
    EXPECT_TRUE(SendMessageW(wnd, SB_ISSIMPLE, 0, 0));
    status->SetSimplePanel(false);
    status->DeletePanel(0);
    EXPECT_EQ(SendMessageW(wnd, SB_GETPARTS, 0, 0), 2);
    EXPECT_THROW(status->Panels(5), EListError);
}

} // namespace

namespace {

TEST_F(ComCtrlsTest, UpDownKeepsItsRangeAndPositionAcrossANewWindow)
{
    auto* updown = Create<TUpDown>(Host);
    updown->SetParent(Host);
    updown->SetMin(-5);
    updown->SetMax(5);
    updown->SetPosition(3);
    EXPECT_EQ(GetWindowLongPtrW(updown->Handle(), GWL_STYLE) & UDS_HORZ, 0);
    EXPECT_EQ(SendMessageW(updown->Handle(), UDM_GETPOS32, 0, 0), 3);
    updown->SetOrientation(udHorizontal);
    EXPECT_NE(GetWindowLongPtrW(updown->Handle(), GWL_STYLE) & UDS_HORZ, 0);
    EXPECT_EQ(updown->Position(), 3) << "the new window starts where the old one was";
    int low = 0, high = 0;
    SendMessageW(updown->Handle(), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, -5);
    EXPECT_EQ(high, 5);
}

// These properties are read only when the window is made.
TEST_F(ComCtrlsTest, CreationPropertiesMakeANewWindowOnlyWhenTheyChange)
{
    struct Case {
        const char* name;
        TWinControl* control;
        void (*set)(TWinControl& control, bool on);
        LONG_PTR styleBit;
    };
    const Case cases[] = {
        {"MultiLine", Create<TTabControl>(Host),
         [](TWinControl& c, bool on) { static_cast<TTabControl&>(c).SetMultiLine(on); }, TCS_MULTILINE},
        {"TabPosition", Create<TTabControl>(Host),
         [](TWinControl& c, bool on) { static_cast<TTabControl&>(c).SetTabPosition(on ? tpBottom : tpTop); },
         TCS_BOTTOM},
        {"Style", Create<TTabControl>(Host),
         [](TWinControl& c, bool on) { static_cast<TTabControl&>(c).SetStyle(on ? tsButtons : tsTabs); },
         TCS_BUTTONS},
        {"List", Create<TToolBar>(Host), [](TWinControl& c, bool on) { static_cast<TToolBar&>(c).SetList(on); },
         TBSTYLE_LIST},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.set(*c.control, true);
        EXPECT_FALSE(c.control->HandleAllocated()) << "without a window the value is only kept";
        c.control->SetParent(Host);
        HWND first = c.control->Handle();
        EXPECT_NE(GetWindowLongPtrW(first, GWL_STYLE) & c.styleBit, 0);
        c.set(*c.control, true);
        EXPECT_EQ(c.control->HandleIfAllocated(), first) << "the same value keeps the window";
        c.set(*c.control, false);
        EXPECT_NE(c.control->HandleIfAllocated(), first);
        EXPECT_EQ(GetWindowLongPtrW(c.control->Handle(), GWL_STYLE) & c.styleBit, 0);
    }
}

TEST_F(ComCtrlsTest, TabsAndToolbarsShowTheImageListTheyHoldUntilItIsFreed)
{
    auto* tabs = Create<TTabControl>(Host);
    tabs->SetParent(Host);
    auto* bar = Create<TToolBar>(Host);
    bar->SetParent(Host);
    auto* first = Create<TImageList>(nullptr);
    auto* second = Create<TImageList>(nullptr);
    tabs->SetImages(first);
    bar->SetImages(first);
    tabs->SetImages(second);
    bar->SetImages(second);
    first->Free();
    EXPECT_EQ(tabs->Images(), second);
    EXPECT_EQ(bar->Images(), second);
    EXPECT_EQ(SendMessageW(tabs->Handle(), TCM_GETIMAGELIST, 0, 0), reinterpret_cast<LRESULT>(second->Handle()));
    EXPECT_EQ(SendMessageW(bar->Handle(), TB_GETIMAGELIST, 0, 0), reinterpret_cast<LRESULT>(second->Handle()));
    second->Free();
    EXPECT_EQ(tabs->Images(), nullptr);
    EXPECT_EQ(bar->Images(), nullptr);
    EXPECT_EQ(SendMessageW(tabs->Handle(), TCM_GETIMAGELIST, 0, 0), 0);
    EXPECT_EQ(SendMessageW(bar->Handle(), TB_GETIMAGELIST, 0, 0), 0);
}

} // namespace
