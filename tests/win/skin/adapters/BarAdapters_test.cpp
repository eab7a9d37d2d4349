// The platform toolbar, class-library toolbar and status-bar adapters on real windows under a
// skin of solid colours.
#include "skin/adapters/BarAdapters.h"

#include "skin/core/sCommonData.h"
#include "vcl/ComCtrls.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/adapters/TabBarSkinFixture.h"
#include "win/support/FakeCursor.h"
#include "win/support/MirroredForm.h"
#include "win/support/ProcessCounters.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

using namespace ks::test;

constexpr TColor ImageColour = 0x000080FF;

// Counts the frame paints that reach the toolbar below its adapter, and tells which button the
// adapter shows open when the toolbar announces that a drop-down has closed.
WNDPROC gBelow = nullptr;
int gNcPaints = 0;
TacToolBarVCLWnd* gSeen = nullptr;
TToolButton* gOpenAtClose = nullptr;
LRESULT CALLBACK SpyProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCPAINT)
        ++gNcPaints;
    if (msg == ToolBarDropDownClosed && gSeen)
        gOpenAtClose = gSeen->DroppedButton();
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

// Answers its drop-downs itself when told to, as an application's toolbar may: the class
// library then never hears of them.
class TSelfDroppingBar : public TToolBar {
public:
    using TToolBar::TToolBar;
    bool AnswersDropDowns = false;
    void Dispatch(TMessage& m) override
    {
        if (AnswersDropDowns && m.Msg == CN_NOTIFY && reinterpret_cast<NMHDR*>(m.LParam)->code == static_cast<UINT>(TBN_DROPDOWN)) {
            m.Result = TBDDRET_DEFAULT;
            return;
        }
        TToolBar::Dispatch(m);
    }
};

class ToolBarVCLAdapterTest : public TabBarFixture {
protected:
    void SetUp() override
    {
        TabBarFixture::SetUp();
        ks::SetNextFormCreation({true, false, {}});
        Host = CreateNew<TForm>(Application);
        Host->SetBounds(60, 60, 340, 160);
        Bar = Create<TSelfDroppingBar>(Host);
        Bar->SetParent(Host);
        Bar->SetButtonSize(40, 26);
        Bar->AddButton(tbsButton, L"A");
        Bar->AddButton(tbsButton, L"B")->SetEnabled(false);
        Bar->AddButton(tbsDropDown, L"C");
        Bar->AddButton(tbsCheck, L"D");
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
    // A press and release of the left button at (x, y), as the window gets them from the user.
    void ClickAt(int x, int y)
    {
        SendMessageW(Bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(Bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
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

    // Open while its drop-down runs, closed once the toolbar has dealt with it.
    gSeen = a;
    gBelow = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(Bar->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SpyProc)));
    ClickAt(drop.Right - 3, (drop.Top + drop.Bottom) / 2);
    EXPECT_EQ(gOpenAtClose, Bar->Buttons(2)) << "open until the drop-down closed";
    EXPECT_EQ(a->DroppedButton(), nullptr);
    auto p = Print(Bar->Handle());
    EXPECT_NE(At(*p, drop.Left + 1, (drop.Top + drop.Bottom) / 2), BorderCells[2]) << "drawn closed";
    SetWindowLongPtrW(Bar->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gBelow));
    gSeen = nullptr;
    // The open button deleted: forgotten, never painted again.
    Notify(TBN_DROPDOWN, Command(2));
    Bar->DeleteButton(2);
    EXPECT_EQ(a->DroppedButton(), nullptr);
    Print(Bar->Handle());
    a->Free();
}

TEST_F(ToolBarVCLAdapterTest, ACheckButtonTheUserClicksIsDrawnAsThePlatformHoldsIt)
{
    auto* a = Adapt();
    const TRect check = Item(3);
    const int y = (check.Top + check.Bottom) / 2;
    for (bool down : {true, false}) {
        SCOPED_TRACE(down);
        ClickAt(check.Left + 5, y);
        EXPECT_EQ(Bar->Buttons(3)->Down(), down);
        auto p = Print(Bar->Handle());
        EXPECT_EQ(At(*p, check.Left + 1, y) == BorderCells[2], down);
    }
    // Checked by a message to the window alone, the button shows checked when next drawn.
    SendMessageW(Bar->Handle(), TB_CHECKBUTTON, static_cast<WPARAM>(Command(3)), TRUE);
    auto p = Print(Bar->Handle());
    EXPECT_TRUE(Bar->Buttons(3)->Down());
    EXPECT_EQ(At(*p, check.Left + 1, y), BorderCells[2]);
    a->Free();
}

TEST_F(ToolBarVCLAdapterTest, AClickedButtonIsDrawnPlainOnceTheMouseHasGone)
{
    // Clicked with no move before (the pointer jumped there) and left at once, or on the arrow of
    // a drop-down the application answers itself, with the pointer gone when its menu closed.
    struct Row {
        int index;
        bool selfDropping;
    };
    auto* a = Adapt();
    for (const Row row : {Row{3, false}, Row{2, true}}) {
        SCOPED_TRACE(row.index);
        static_cast<TSelfDroppingBar*>(Bar)->AnswersDropDowns = row.selfDropping;
        UseFakeCursor({-100, -100});
        const TRect r = Item(row.index);
        const int y = (r.Top + r.Bottom) / 2;
        ClickAt(row.selfDropping ? r.Right - 3 : r.Left + 5, y);
        if (Bar->Buttons(row.index)->Down())
            ClickAt(r.Left + 5, y);
        EXPECT_EQ(SendMessageW(Bar->Handle(), TB_GETHOTITEM, 0, 0), -1);
        EXPECT_EQ(a->DroppedButton(), nullptr);
        auto p = Print(Bar->Handle());
        EXPECT_EQ(At(*p, r.Left + 1, y), BorderCells[0]);
    }
    a->Free();
}

// A windowless child that frees the toolbar it sits on from its paint.
class TToolBarFreer : public TGraphicControl {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TToolBarFreer", &TGraphicControl::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TGraphicControl::TGraphicControl;
    TToolBar** Victim = nullptr;

protected:
    void Paint() override
    {
        if (Victim)
            FreeAndNil(*std::exchange(Victim, nullptr));
    }
};

class ToolBarVCLAdapterLifetimeTest : public ToolBarVCLAdapterTest {};

// Freed unskinned, the toolbar leaves nothing behind: skinned, the same free leaves the same.
TEST_F(ToolBarVCLAdapterLifetimeTest, AToolbarFreedFromAWindowlessChildsPaintIsNotTouchedAfter)
{
    long left[2] = {};
    for (bool skinned : {false, true}) {
        SCOPED_TRACE(skinned);
        if (!Bar) {
            Bar = Create<TToolBar>(Host);
            Bar->SetParent(Host);
            Bar->AddButton(tbsButton, L"A");
        }
        Data.reset();
        Pump();
        const long before = ks::test::GdiObjectCount();
        Data = std::make_unique<TsCommonData>(Bar, true);
        Data->OwnerControl = Bar;
        auto* child = Create<TToolBarFreer>(Host);
        child->SetParent(Bar);
        child->SetBounds(250, 2, 20, 20);
        TacToolBarVCLWnd* a = skinned ? Adapt() : nullptr;
        Pump();
        child->Victim = &Bar;
        RedrawWindow(Bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        Pump();
        ASSERT_EQ(Bar, nullptr);
        EXPECT_TRUE(ks::test::HeapsIntact());
        if (a) {
            EXPECT_TRUE(a->Destroyed);
            a->Free();
        }
        Data.reset();
        left[skinned] = ks::test::GdiObjectCount() - before;
    }
    EXPECT_EQ(left[1], left[0]);
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

// ---- right to left --------------------------------------------------------------------------
TRect Shrunk(const RECT& r, int by) { return {r.left + by, r.top + by, r.right - by, r.bottom - by}; }

// The skin's white text of area of a picture, cut to the box its ink fills.
struct Ink {
    int w = 0, h = 0;
    std::vector<TColor> pixels;
};
Ink InkOf(TBitmap& p, TRect area)
{
    const auto bright = [&](int x, int y) {
        const TColor c = PixelAt(p, x, y);
        return (c & 0xFF) >= 0x80 && (c >> 8 & 0xFF) >= 0x80 && (c >> 16 & 0xFF) >= 0x80;
    };
    TRect box{area.Right, area.Bottom, area.Left, area.Top};
    for (int y = area.Top; y < area.Bottom; ++y)
        for (int x = area.Left; x < area.Right; ++x)
            if (bright(x, y))
                box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1), std::max(box.Bottom, y + 1)};
    Ink ink;
    for (int y = box.Top; y < box.Bottom; ++y)
        for (int x = box.Left; x < box.Right; ++x)
            ink.pixels.push_back(bright(x, y) ? PixelAt(p, x, y) : clBlack);
    ink.w = std::max(box.Width(), 0);
    ink.h = std::max(box.Height(), 0);
    return ink;
}

class MirroredBarsTest : public TabBarFixture {
protected:
    struct Bars {
        TForm* form = nullptr;
        TToolBar* tools = nullptr;
        TStatusBar* status = nullptr;
        std::unique_ptr<TsCommonData> toolData, statusData;
        TacMainWnd* adapters[2] = {};
    };
    void TearDown() override
    {
        for (Bars& b : Sides) {
            for (TacMainWnd* a : b.adapters)
                a->Free();
            b.toolData.reset();
            b.statusData.reset();
            FreeAndNil(b.form);
        }
        TabBarFixture::TearDown();
    }
    void Make(Bars& b, TForm* form, int top)
    {
        b.form = form;
        form->SetBounds(500, top, 340, 120);
        b.tools = Create<TToolBar>(form);
        b.tools->SetParent(form);
        b.tools->SetShowCaptions(true);
        for (const wchar_t* caption : {L"Fg", L"Rk"})
            b.tools->AddButton(tbsButton, caption);
        b.status = Create<TStatusBar>(form);
        b.status->SetParent(form);
        b.status->AddPanel(L"Fgh", 120);
        b.status->AddPanel(L"Rkt", 120);
        form->Show();
        Pump();
        b.toolData = std::make_unique<TsCommonData>(b.tools, true);
        b.toolData->OwnerControl = b.tools;
        b.statusData = std::make_unique<TsCommonData>(b.status, true);
        b.statusData->OwnerControl = b.status;
        b.adapters[0] = TacMainWnd::Create<TacToolBarVCLWnd>(b.tools->Handle(), b.toolData.get(), Manager, "", false);
        b.adapters[1] = TacMainWnd::Create<TacStatusBarWnd>(b.status->Handle(), b.statusData.get(), Manager, "", false);
        for (TWinControl* c : {static_cast<TWinControl*>(b.tools), static_cast<TWinControl*>(b.status)})
            RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        Pump();
    }
    // Part i's rectangle as the screen shows it: right to left, from the right edge.
    static TRect Shown(TRect r, int width, bool mirrored)
    {
        return mirrored ? TRect{width - r.Right, r.Top, width - r.Left, r.Bottom} : r;
    }
    Bars Sides[2];
};

TEST_F(MirroredBarsTest, CaptionsAndPanelTextsReadLeftToRightOnAFormLaidOutRightToLeft)
{
    ks::SetNextFormCreation({true, false, {}});
    Make(Sides[0], CreateNew<TForm>(Application), 60);
    ks::SetNextFormCreation({true, false, {}});
    Make(Sides[1], CreateNew<TMirroredForm>(Application), 240);
    std::unique_ptr<TBitmap> tools[2], status[2];
    for (int side = 0; side < 2; ++side) {
        tools[side] = ScreenPlacePicture(Sides[side].tools->Handle());
        status[side] = ScreenPlacePicture(Sides[side].status->Handle());
    }
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        RECT item{};
        SendMessageW(Sides[0].tools->Handle(), TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        const TRect face = Shrunk(item, 3);
        const Ink ltr = InkOf(*tools[0], face);
        const Ink rtl = InkOf(*tools[1], Shown(face, tools[1]->Width(), true));
        ASSERT_GT(ltr.w, 0) << "the caption is written";
        EXPECT_TRUE(ltr.w == rtl.w && ltr.h == rtl.h && ltr.pixels == rtl.pixels) << "the caption reads the same";

        RECT part{};
        SendMessageW(Sides[0].status->Handle(), SB_GETRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&part));
        const TRect panel = Shrunk(part, 3);
        const Ink left = InkOf(*status[0], panel);
        const Ink right = InkOf(*status[1], Shown(panel, status[1]->Width(), true));
        ASSERT_GT(left.w, 0) << "the panel text is written";
        EXPECT_TRUE(left.w == right.w && left.h == right.h && left.pixels == right.pixels) << "the panel text reads the same";
    }
    auto sheet = NewBitmap24(tools[0]->Width() * 2 + 10, tools[0]->Height() + status[0]->Height() + 10);
    for (int side = 0; side < 2; ++side) {
        const int x = side * (tools[0]->Width() + 10);
        BitBlt(sheet->Canvas().Handle(), x, 0, tools[side]->Width(), tools[side]->Height(), tools[side]->Canvas().Handle(), 0, 0, SRCCOPY);
        BitBlt(sheet->Canvas().Handle(), x, tools[0]->Height() + 10, status[side]->Width(), status[side]->Height(),
               status[side]->Canvas().Handle(), 0, 0, SRCCOPY);
    }
    WriteSheetPng(*sheet, std::string("Z:") + KS_BUILD_DIR + "/mirrored-bars.png");
}

// A button shows, where its image lets the bar through, the part of the bar's picture that lies
// behind it on the screen, also when the bar is laid out right to left. The bar's picture is marked
// with a colour per column and the button image's corners are see-through.
TEST_F(MirroredBarsTest, AButtonShowsThePartOfTheBarBehindIt)
{
    Dir.Write(L"BarsKeyed.asz", SkinArchive(TabBarSkinOptions(false), Bmp24(96, 96, [](int x, int y) {
                  const bool corner = x < 36 && x % 12 < 3 && y < 3;
                  return corner ? TransparentKeyColor : MasterPixel(x, y);
              })));
    Manager->SetSkinName(L"BarsKeyed");
    const auto column = [](int x) { return static_cast<TColor>(RGB(x & 0xFF, 0x20 + (x >> 8) * 0x40, 0x90)); };
    for (int side = 0; side < 2; ++side) {
        SCOPED_TRACE(side);
        ks::SetNextFormCreation({true, false, {}});
        Make(Sides[side], side ? CreateNew<TMirroredForm>(Application) : CreateNew<TForm>(Application), 60 + 180 * side);
        TToolBar* bar = Sides[side].tools;
        TBitmap* cache = Sides[side].toolData->CacheBitmap.get();
        ASSERT_TRUE(cache && cache->Width() >= bar->Width());
        for (int x = 0; x < cache->Width(); ++x)
            for (int y = 0; y < cache->Height(); ++y)
                cache->Canvas().SetPixels(x, y, column(x));
        RedrawWindow(bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
        auto shot = ScreenPlacePicture(bar->Handle());
        const int b = (bar->Width() - bar->ClientWidth()) / 2;
        // Past both buttons, at the bar's far end.
        const int clear = b + (side ? 4 : bar->ClientWidth() - 5);
        EXPECT_EQ(PixelAt(*shot, clear, b + 2), column(clear)) << "the bar";
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(i);
            RECT item{};
            SendMessageW(bar->Handle(), TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            const TRect shown = Shown({item.left, item.top, item.right, item.bottom}, bar->ClientWidth(), side == 1);
            EXPECT_EQ(PixelAt(*shot, b + shown.Left, b + shown.Top), column(b + shown.Left)) << "the button's left corner";
            EXPECT_EQ(PixelAt(*shot, b + shown.Left + 3, b + shown.Top), BorderCells[0]);
        }
    }
}

// The system takes a click on a drop-down button's arrow at the button's logical right end,
// which a mirrored bar shows at its left: the arrow is drawn there and the caption centred in the
// rest.
TEST_F(MirroredBarsTest, AMirroredDropDownButtonShowsItsArrowAtTheEndThatTakesItsClick)
{
    ks::SetNextFormCreation({true, false, {}});
    Make(Sides[0], CreateNew<TForm>(Application), 60);
    ks::SetNextFormCreation({true, false, {}});
    Make(Sides[1], CreateNew<TMirroredForm>(Application), 240);
    TToolBar* bar = Sides[1].tools;
    bar->AddButton(tbsDropDown, L"More");
    RedrawWindow(bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Pump();
    RECT item{};
    SendMessageW(bar->Handle(), TB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    auto shot = ScreenPlacePicture(bar->Handle());
    const TRect shown = Shown(Shrunk(item, 2), shot->Width(), true);
    int left = shown.Right, right = shown.Left;
    for (int y = shown.Top; y < shown.Bottom; ++y)
        for (int x = shown.Left; x < shown.Right; ++x)
            if (PixelAt(*shot, x, y) == clWhite) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
            }
    ASSERT_LT(left, right) << "the caption is written";
    const int arrow = GetSystemMetrics(SM_CXVSCROLL) - 2;
    EXPECT_NEAR((left + right) / 2, (shown.Left - 2 + arrow + shown.Right + 2) / 2, 2);
}

} // namespace
