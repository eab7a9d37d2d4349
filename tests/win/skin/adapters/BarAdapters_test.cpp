// The platform toolbar, class-library toolbar and status-bar adapters on real windows under a
// skin of solid colours.
#include "skin/adapters/BarAdapters.h"

#include "skin/core/sCommonData.h"
#include "vcl/ComCtrls.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/adapters/TabBarSkinFixture.h"
#include "win/support/FakeCursor.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

using namespace ks::test;

constexpr TColor ImageColour = 0x000080FF;

// Counts the frame paints that reach the toolbar below its adapter.
WNDPROC gBelow = nullptr;
int gNcPaints = 0;
LRESULT CALLBACK SpyProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCPAINT)
        ++gNcPaints;
    return CallWindowProcW(gBelow, wnd, msg, wParam, lParam);
}

class ToolBarAdapterTest : public TabBarFixture {
protected:
    void SetUp() override
    {
        TabBarFixture::SetUp();
        UseFakeCursor({-100, -100});
        gNcPaints = 0;
        Images = SolidImageList(16, ImageColour);
    }
    void TearDown() override
    {
        ImageList_Destroy(Images);
        TabBarFixture::TearDown();
    }
    HWND Bar(DWORD exStyle)
    {
        HWND wnd = Child(TOOLBARCLASSNAMEW, TBSTYLE_FLAT | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, L"",
                         {10, 10, 310, 60}, exStyle);
        SendMessageW(wnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        SendMessageW(wnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(Images));
        TBBUTTON buttons[] = {
            {0, 1, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, -1},
            {I_IMAGENONE, 2, 0, BTNS_BUTTON, {}, 0, -1},
            {0, 0, 0, BTNS_SEP, {}, 0, -1},
            {I_IMAGENONE, 3, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, reinterpret_cast<INT_PTR>(L"Go")},
        };
        SendMessageW(wnd, TB_ADDBUTTONSW, 4, reinterpret_cast<LPARAM>(buttons));
        SendMessageW(wnd, TB_SETBUTTONSIZE, 0, MAKELPARAM(32, 28));
        return wnd;
    }
    static TRect Item(HWND wnd, int index)
    {
        RECT r{};
        SendMessageW(wnd, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        return {r.left, r.top, r.right, r.bottom};
    }
    HIMAGELIST Images = nullptr;
};

TEST_F(ToolBarAdapterTest, PlatformButtonsShowTheirStateImageAndDisabledLookOverTheBar)
{
    HWND wnd = Bar(0);
    auto* a = TacMainWnd::Create<TacToolBarWnd>(wnd, nullptr, Manager, "TOOLBAR", false);
    auto p = Print(wnd);
    const TRect first = Item(wnd, 0), disabled = Item(wnd, 1);
    EXPECT_EQ(At(*p, first.Left + 1, (first.Top + first.Bottom) / 2), BorderCells[0]);
    EXPECT_EQ(At(*p, first.Left + 4, first.Top + 4), ToolButtonColour);
    // The list's first image shows like any other.
    EXPECT_EQ(At(*p, (first.Left + first.Right) / 2, (first.Top + first.Bottom) / 2), ImageColour);
    EXPECT_TRUE(Near(At(*p, disabled.Left + 5, disabled.Top + 5), DisabledMix(ToolButtonColour, ToolBarColour)));
    EXPECT_EQ(At(*p, 290, 40), ToolBarColour);

    SendMessageW(wnd, TB_PRESSBUTTON, 1, TRUE);
    p = Print(wnd);
    EXPECT_EQ(At(*p, first.Left + 1, (first.Top + first.Bottom) / 2), BorderCells[2]);
    EXPECT_EQ(At(*p, first.Left + 4, first.Top + 4), ToolButtonHotColour);
    SendMessageW(wnd, TB_PRESSBUTTON, 1, FALSE);

    // Under the cursor the button is hot; a disabled one never is.
    POINT at{(first.Left + first.Right) / 2, first.Top + 2};
    ClientToScreen(wnd, &at);
    gCursor = at;
    p = Print(wnd);
    EXPECT_EQ(At(*p, first.Left + 1, (first.Top + first.Bottom) / 2), BorderCells[1]);
    a->Free();
    DestroyWindow(wnd);
}

TEST_F(ToolBarAdapterTest, TheFrameIsPaintedOnlyWithAClientEdgeAndNeverPassedOn)
{
    for (DWORD exStyle : {DWORD{0}, DWORD{WS_EX_CLIENTEDGE}}) {
        SCOPED_TRACE(exStyle);
        HWND wnd = Bar(exStyle);
        gBelow = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SpyProc)));
        auto* a = TacMainWnd::Create<TacToolBarWnd>(wnd, nullptr, Manager, "TOOLBAR", false);
        gNcPaints = 0;
        SendMessageW(wnd, WM_NCPAINT, 1, 0);
        EXPECT_EQ(gNcPaints, 0);
        if (exStyle) {
            EXPECT_EQ(OnScreen(wnd, 0, 0), ToolBarColour);
        }
        a->Free();
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gBelow));
        DestroyWindow(wnd);
    }
}

// ---- class-library toolbar ------------------------------------------------------------------
struct AppHandlers {
    int bars = 0, buttons = 0;
    void Bar(TToolBar*, const TRect&, TCustomDrawStage, bool&) { ++bars; }
    void Button(TToolBar*, TToolButton*, TCustomDrawState, bool&) { ++buttons; }
};

class ToolBarVCLAdapterTest : public TabBarFixture {
protected:
    void SetUp() override
    {
        TabBarFixture::SetUp();
        ks::SetNextFormCreation({true, false, {}});
        Host = CreateNew<TForm>(Application);
        Host->SetBounds(60, 60, 340, 160);
        Bar = Create<TToolBar>(Host);
        Bar->SetParent(Host);
        Bar->SetButtonSize(40, 26);
        Bar->AddButton(tbsButton, L"A");
        Bar->AddButton(tbsButton, L"B")->SetEnabled(false);
        Bar->AddButton(tbsDropDown, L"C");
        Bar->SetOnCustomDraw(TTBCustomDrawEvent(&App, &AppHandlers::Bar));
        Bar->SetOnCustomDrawButton(TTBCustomDrawBtnEvent(&App, &AppHandlers::Button));
        Host->Show();
        Pump();
        Data = std::make_unique<TsCommonData>(Bar, true);
        Data->OwnerControl = Bar;
        Data->SetSkinSection("TOOLBAR");
    }
    void TearDown() override
    {
        Data.reset();
        FreeAndNil(Host);
        TabBarFixture::TearDown();
    }
    TacToolBarVCLWnd* Adapt() { return TacMainWnd::Create<TacToolBarVCLWnd>(Bar->Handle(), Data.get(), Manager, "", false); }
    TRect Item(int index) const
    {
        RECT r{};
        SendMessageW(Bar->HandleIfAllocated(), TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        return {r.left, r.top, r.right, r.bottom};
    }
    void MoveTo(int x, int y) { SendMessageW(Bar->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    void Notify(int code, int command)
    {
        NMTOOLBARW n{};
        n.hdr = {Bar->Handle(), 0, static_cast<UINT>(code)};
        n.iItem = command;
        Bar->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
    }
    int Command(int index) const
    {
        TBBUTTON b{};
        SendMessageW(Bar->HandleIfAllocated(), TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&b));
        return b.idCommand;
    }

    AppHandlers App;
    TForm* Host = nullptr;
    TToolBar* Bar = nullptr;
    std::unique_ptr<TsCommonData> Data;
};

TEST_F(ToolBarVCLAdapterTest, TheBarAndItsButtonsArePaintedThroughTheCustomDrawEvents)
{
    auto* a = Adapt();
    EXPECT_FALSE(Bar->OnCustomDraw() == TTBCustomDrawEvent(&App, &AppHandlers::Bar));
    App = {};
    auto p = Print(Bar->Handle());
    const TRect first = Item(0), disabled = Item(1);
    EXPECT_EQ(At(*p, 320, 10), ToolBarColour);
    EXPECT_EQ(At(*p, first.Left + 1, (first.Top + first.Bottom) / 2), BorderCells[0]);
    const TColor off = At(*p, disabled.Left + 1, (disabled.Top + disabled.Bottom) / 2);
    EXPECT_NE(off, BorderCells[0]) << "a disabled button is blended with the bar";
    EXPECT_NE(off, ToolBarColour);
    EXPECT_EQ(App.bars + App.buttons, 0) << "the application's handlers wait while the skin paints";

    // Given back, the application's handlers paint again.
    a->Free();
    EXPECT_TRUE(Bar->OnCustomDraw() == TTBCustomDrawEvent(&App, &AppHandlers::Bar));
    EXPECT_TRUE(Bar->OnCustomDrawButton() == TTBCustomDrawBtnEvent(&App, &AppHandlers::Button));
    Print(Bar->Handle());
    EXPECT_GT(App.bars, 0);
    EXPECT_GT(App.buttons, 0);
}

TEST_F(ToolBarVCLAdapterTest, HotAndOpenButtonsFollowTheMouseAndTheDropDown)
{
    auto* a = Adapt();
    const TRect first = Item(0), disabled = Item(1), drop = Item(2);
    MoveTo(first.Left + 3, first.Top + 3);
    EXPECT_EQ(a->HotIndex(), 0);
    MoveTo(disabled.Left + 3, disabled.Top + 3);
    EXPECT_EQ(a->HotIndex(), 0) << "a disabled button leaves the first one hot";
    MoveTo(drop.Left + 3, drop.Top + 3);
    EXPECT_EQ(a->HotIndex(), 2);
    Bar->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Bar));
    EXPECT_EQ(a->HotIndex(), -1);

    Notify(TBN_DROPDOWN, Command(2));
    EXPECT_EQ(a->DroppedButton(), Bar->Buttons(2));
    Bar->Perform(0x1400, 0, 0);
    EXPECT_EQ(a->DroppedButton(), nullptr);
    // The open button deleted: forgotten, never painted again.
    Notify(TBN_DROPDOWN, Command(2));
    Bar->DeleteButton(2);
    EXPECT_EQ(a->DroppedButton(), nullptr);
    Print(Bar->Handle());
    a->Free();
}

TEST_F(ToolBarVCLAdapterTest, SeparatorsAreTheSkinsAndADropDownCaptionFitsBesideItsArrow)
{
    auto* bar = Create<TToolBar>(Host);
    bar->SetParent(Host);
    bar->SetShowCaptions(true);
    bar->AddButton(tbsButton, L"New");
    bar->AddButton(tbsSeparator, L"");
    bar->AddButton(tbsDropDown, L"More");
    Pump();
    TsCommonData data(bar, true);
    data.OwnerControl = bar;
    data.SetSkinSection("TOOLBAR");
    auto* a = TacMainWnd::Create<TacToolBarVCLWnd>(bar->Handle(), &data, Manager, "", false);
    auto p = Print(bar->Handle());
    auto item = [&](int index) {
        RECT r{};
        SendMessageW(bar->Handle(), TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        return TRect{r.left, r.top, r.right, r.bottom};
    };
    const TRect separator = item(1);
    EXPECT_FALSE(HasColour(*p, clWhite, separator)) << "no platform line";
    EXPECT_TRUE(HasColour(*p, GripColour, separator)) << "the skin's divider";

    // The caption's ink lies inside the face, left of the arrow.
    const TRect drop = item(2);
    const int arrow = GetSystemMetrics(SM_CXVSCROLL) - 2;
    int left = drop.Right, right = drop.Left;
    for (int y = drop.Top; y < drop.Bottom; ++y)
        for (int x = drop.Left; x < drop.Right; ++x)
            if (At(*p, x, y) == clWhite) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_LT(left, right) << "the caption is written";
    EXPECT_GE(left, drop.Left + 2);
    EXPECT_LT(right, drop.Right - arrow);
    a->Free();
}

TEST_F(ToolBarVCLAdapterTest, AHandlerSetMeanwhileStaysAndAToolbarFreedFirstIsLetGo)
{
    auto* a = Adapt();
    AppHandlers later;
    Bar->SetOnCustomDraw(TTBCustomDrawEvent(&later, &AppHandlers::Bar));
    a->Free();
    EXPECT_TRUE(Bar->OnCustomDraw() == TTBCustomDrawEvent(&later, &AppHandlers::Bar));
    EXPECT_TRUE(Bar->OnCustomDrawButton() == TTBCustomDrawBtnEvent(&App, &AppHandlers::Button));

    auto* b = Adapt();
    FreeAndNil(Bar);
    EXPECT_TRUE(b->Destroyed);
    EXPECT_EQ(b->ToolBar(), nullptr);
    b->Free();
}

// ---- status bar -----------------------------------------------------------------------------
class StatusBarAdapterTest : public TabBarFixture {
protected:
    HWND Status()
    {
        HWND wnd = Child(STATUSCLASSNAMEW, CCS_NORESIZE | CCS_NOPARENTALIGN, L"", {10, 200, 410, 224});
        SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        int edges[] = {100, 200, -1};
        SendMessageW(wnd, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
        SendMessageW(wnd, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"Ready"));
        SendMessageW(wnd, SB_SETTEXTW, 1,
                     reinterpret_cast<LPARAM>(L"A very long text that never fits into its part of the bar"));
        SendMessageW(wnd, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(L"Z"));
        return wnd;
    }
    static TRect Part(HWND wnd, int index)
    {
        RECT r{};
        SendMessageW(wnd, SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        return {r.left, r.top, r.right, r.bottom};
    }
};

TEST_F(StatusBarAdapterTest, DividersStandBetweenPartsAndLongTextsStayInTheirPart)
{
    HWND wnd = Status();
    auto* a = TacMainWnd::Create<TacStatusBarWnd>(wnd, nullptr, Manager, "", false);
    auto p = Print(wnd);
    const int h = p->Height();
    const TRect first = Part(wnd, 0), second = Part(wnd, 1);
    EXPECT_EQ(At(*p, first.Left + 20, 2), StatusColour);
    EXPECT_TRUE(HasColour(*p, GripColour, {first.Right - 2, 0, first.Right + 5, h}));
    EXPECT_TRUE(HasColour(*p, GripColour, {second.Right - 2, 0, second.Right + 5, h}));
    EXPECT_FALSE(HasColour(*p, GripColour, {second.Right + 6, 0, p->Width(), h})) << "none after the last part";
    EXPECT_TRUE(HasColour(*p, clWhite, {second.Left, 0, second.Right - 6, h})) << "the text is written";
    EXPECT_FALSE(HasColour(*p, clWhite, {second.Right - 5, 0, second.Right + 5, h})) << "and stays in its part";

    SendMessageW(wnd, SB_SIMPLE, TRUE, 0);
    SendMessageW(wnd, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(L"Simple"));
    EXPECT_EQ(SendMessageW(wnd, SB_ISSIMPLE, 0, 0), TRUE);
    p = Print(wnd);
    EXPECT_FALSE(HasColour(*p, GripColour, {0, 0, p->Width(), h})) << "one simple part has no divider";
    EXPECT_TRUE(HasColour(*p, clWhite, {0, 0, 100, h})) << "the simple text";
    a->Free();
    DestroyWindow(wnd);
}

TEST_F(StatusBarAdapterTest, ABarMadeSimpleShowsItsSimpleText)
{
    HWND wnd = Child(STATUSCLASSNAMEW, CCS_NORESIZE | CCS_NOPARENTALIGN, L"", {10, 200, 410, 224});
    SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    SendMessageW(wnd, SB_SIMPLE, TRUE, 0);
    SendMessageW(wnd, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(L"Simple"));
    auto* a = TacMainWnd::Create<TacStatusBarWnd>(wnd, nullptr, Manager, "", false);
    auto p = Print(wnd);
    EXPECT_TRUE(HasColour(*p, clWhite, {0, 0, p->Width(), p->Height()})) << "written in the section's font colour";
    a->Free();
    DestroyWindow(wnd);
}

TEST_F(StatusBarAdapterTest, APanelImageFramesEveryPart)
{
    UseSkin(true);
    HWND wnd = Status();
    auto* a = TacMainWnd::Create<TacStatusBarWnd>(wnd, nullptr, Manager, "", false);
    auto p = Print(wnd);
    for (int i = 0; i < 3; ++i) {
        const TRect part = Part(wnd, i);
        EXPECT_EQ(At(*p, part.Left + 2, (part.Top + part.Bottom) / 2), BorderCells[0]) << i;
    }
    EXPECT_FALSE(HasColour(*p, GripColour, {0, 0, p->Width(), p->Height()}));
    a->Free();
    DestroyWindow(wnd);
}

TEST_F(StatusBarAdapterTest, AClassLibraryBarWithFewerPanelsThanPartsShowsTheBarsOwnTexts)
{
    ks::SetNextFormCreation({true, false, {}});
    auto* host = CreateNew<TForm>(Application);
    host->SetBounds(60, 60, 400, 120);
    auto* bar = Create<TStatusBar>(host);
    bar->SetParent(host);
    bar->AddPanel(L"One", 120);
    host->Show();
    int edges[] = {120, 240, -1};
    SendMessageW(bar->Handle(), SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    SendMessageW(bar->Handle(), SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(L"Third"));
    TsCommonData data(bar, true);
    data.OwnerControl = bar;
    auto* a = TacMainWnd::Create<TacStatusBarWnd>(bar->Handle(), &data, Manager, "", false);
    auto p = Print(bar->Handle());
    const TRect third = Part(bar->Handle(), 2);
    EXPECT_TRUE(HasColour(*p, clWhite, {third.Left, 0, third.Right, p->Height()}));
    a->Free();
    FreeAndNil(host);
}

} // namespace
