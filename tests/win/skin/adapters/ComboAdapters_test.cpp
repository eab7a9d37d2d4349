// The combo-box adapters on real platform combo boxes (the three styles, right-to-left reading,
// the extended combo box) and on class-library combo boxes: the drop-down button's place and
// look in each state, the drop-down list's adapter and colours, and what is given back.
#include "skin/adapters/ComboAdapters.h"

#include "skin/core/sCommonData.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"
#include "win/skin/adapters/SmallAdapterSkinFixture.h"

#include <commctrl.h>

#include <string>

namespace {

using namespace ks::test;

class ComboAdaptersTest : public SmallAdapterFixture {
protected:
    HWND Combo(DWORD style, int items, DWORD exStyle = 0, TRect r = {10, 10, 170, 160})
    {
        HWND wnd = Child(L"COMBOBOX", style | WS_VSCROLL, L"", r, exStyle);
        SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        for (int i = 0; i < items; ++i)
            SendMessageW(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>((L"Item " + std::to_wstring(i)).c_str()));
        return wnd;
    }
    TacComboBoxWnd* Adapt(HWND wnd)
    {
        return TacMainWnd::Create<TacComboBoxWnd>(wnd, nullptr, Manager, "COMBOBOX", false);
    }
    static HWND ListOf(HWND combo)
    {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(combo, &info);
        return info.hwndList;
    }
    // Drops the list and lets it paint, which makes the combo box ask for its colours.
    void DropDown(HWND combo)
    {
        SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
        UpdateWindow(ListOf(combo));
        Pump();
    }
    // The drop-down button's edge and centre pixels as the combo box prints itself.
    struct ButtonLook {
        TColor edge;
        TColor centre;
    };
    ButtonLook PrintedButton(HWND combo, TacComboBoxWnd* adapter)
    {
        auto picture = Print(combo);
        const TRect b = adapter->ButtonRect();
        const int midY = b.Top + b.Height() / 2;
        return {At(*picture, b.Left + 1, midY), At(*picture, b.Left + b.Width() / 2, midY)};
    }
};

TEST_F(ComboAdaptersTest, TheButtonLiesByStyleAndReadingOrder)
{
    const int scroll = GetSystemMetrics(SM_CXVSCROLL);
    struct Case { const char* name; DWORD style; DWORD exStyle; int width; bool atLeft; } cases[] = {
        {"DropDown", CBS_DROPDOWN, 0, scroll, false},
        {"DropDownList", CBS_DROPDOWNLIST, 0, scroll, false},
        {"SimpleHasNone", CBS_SIMPLE, 0, 0, false},
        {"RightToLeftReading", CBS_DROPDOWNLIST, WS_EX_RTLREADING, scroll, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND wnd = Combo(c.style, 3, c.exStyle);
        auto* adapter = Adapt(wnd);
        RECT w{};
        GetWindowRect(wnd, &w);
        const TRect b = adapter->ButtonRect();
        EXPECT_EQ(b.Width(), c.width);
        EXPECT_EQ(b.Top, 2);
        EXPECT_EQ(b.Bottom, w.bottom - w.top - 2);
        EXPECT_EQ(b.Left, c.atLeft ? 2 : (w.right - w.left) - c.width - 2);
        adapter->Free();
        DestroyWindow(wnd);
    }
}

TEST_F(ComboAdaptersTest, EveryKindOfComboBoxGetsItsOwnProcedureBackExactly)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&icc);
    struct Case { const char* name; const wchar_t* cls; DWORD style; } cases[] = {
        {"Simple", L"COMBOBOX", CBS_SIMPLE},
        {"DropDown", L"COMBOBOX", CBS_DROPDOWN},
        {"DropDownList", L"COMBOBOX", CBS_DROPDOWNLIST},
        {"Extended", WC_COMBOBOXEXW, CBS_DROPDOWNLIST},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND wnd = Child(c.cls, c.style | WS_VSCROLL, L"", {10, 10, 170, 160});
        ASSERT_NE(wnd, nullptr);
        for (int i = 0; i < 3; ++i)
            SendMessageW(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Item"));
        const WNDPROC before = WndProcOf(wnd);
        auto* adapter = Adapt(wnd);
        EXPECT_NE(WndProcOf(wnd), before);
        EXPECT_EQ(GetScrollHandler(wnd), adapter);
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        auto picture = Print(wnd);
        EXPECT_TRUE(Near(At(*picture, 0, 0), BorderCells[0])) << "the frame comes from the section's border";
        adapter->Free();
        EXPECT_EQ(WndProcOf(wnd), before);
        EXPECT_EQ(GetScrollHandler(wnd), nullptr);
        DestroyWindow(wnd);
    }
}

TEST_F(ComboAdaptersTest, TheButtonShowsPressedExactlyWhileTheListIsDropped)
{
    HWND wnd = Combo(CBS_DROPDOWNLIST, 5);
    auto* adapter = Adapt(wnd);
    const ButtonLook closed = PrintedButton(wnd, adapter);
    EXPECT_TRUE(Near(closed.edge, ButtonCells[0]));
    EXPECT_TRUE(Near(closed.centre, GlyphColour(ComboGlyphRow, 0)));

    DropDown(wnd);
    ASSERT_TRUE(IsWindowVisible(ListOf(wnd)));
    const ButtonLook dropped = PrintedButton(wnd, adapter);
    EXPECT_TRUE(Near(dropped.edge, ButtonCells[2]));
    EXPECT_TRUE(Near(dropped.centre, GlyphColour(ComboGlyphRow, 2)));

    SendMessageW(wnd, CB_SHOWDROPDOWN, FALSE, 0);
    Pump();
    const ButtonLook again = PrintedButton(wnd, adapter);
    EXPECT_TRUE(Near(again.edge, ButtonCells[0]));
    adapter->Free();
    DestroyWindow(wnd);
}

TEST_F(ComboAdaptersTest, TheDroppedListIsAdaptedColouredWithOneBrushAndGivenBack)
{
    HWND wnd = Combo(CBS_DROPDOWN, 5);
    auto* adapter = Adapt(wnd);
    HWND list = ListOf(wnd);
    const WNDPROC listBefore = WndProcOf(list);
    EXPECT_EQ(GetScrollHandler(list), nullptr) << "nothing before the list first drops";
    // The message may come from anyone: a window that is not the list is not taken for it.
    HDC own = GetDC(wnd);
    SendMessageW(wnd, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(own), reinterpret_cast<LPARAM>(Parent));
    ReleaseDC(wnd, own);
    EXPECT_EQ(adapter->ListHandle, nullptr);
    EXPECT_EQ(GetScrollHandler(Parent), nullptr);
    DropDown(wnd);
    EXPECT_EQ(adapter->ListHandle, list);
    ASSERT_NE(adapter->ListAdapter, nullptr);
    EXPECT_EQ(GetScrollHandler(list), adapter->ListAdapter);
    EXPECT_FALSE(adapter->ListAdapter->SimpleList);
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    EXPECT_TRUE(Near(OnScreen(list, 0, 0), BorderCells[0])) << "the open list's frame is the skin's";

    HDC dc = GetDC(list);
    const LRESULT first = SendMessageW(wnd, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(list));
    const LRESULT second = SendMessageW(wnd, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(GetBkColor(dc), static_cast<COLORREF>(EditColour));
    EXPECT_EQ(GetTextColor(dc), 0xFFFFFFu);
    ReleaseDC(list, dc);
    ASSERT_NE(first, 0);
    EXPECT_EQ(first, second) << "one brush, not one per message";
    LOGBRUSH lb{};
    ASSERT_NE(GetObjectW(reinterpret_cast<HBRUSH>(first), sizeof lb, &lb), 0);
    EXPECT_EQ(lb.lbColor, static_cast<COLORREF>(EditColour));

    SendMessageW(wnd, CB_SHOWDROPDOWN, FALSE, 0);
    adapter->Free();
    EXPECT_EQ(WndProcOf(list), listBefore);
    EXPECT_EQ(GetScrollHandler(list), nullptr);
    DestroyWindow(wnd);
}

TEST_F(ComboAdaptersTest, TheAlwaysShownListOfASimpleComboBoxIsAdaptedWhenItFirstPaints)
{
    HWND wnd = Combo(CBS_SIMPLE, 4);
    auto* adapter = Adapt(wnd);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    ASSERT_NE(adapter->ListAdapter, nullptr);
    EXPECT_TRUE(adapter->ListAdapter->SimpleList);
    EXPECT_EQ(adapter->ButtonRect().Width(), 0);
    adapter->Free();
    EXPECT_EQ(GetScrollHandler(ListOf(wnd)), nullptr);
    DestroyWindow(wnd);
}

TEST_F(ComboAdaptersTest, EraseNeverReachesTheControl)
{
    HWND wnd = Combo(CBS_DROPDOWNLIST, 1);
    const WNDPROC counter = PassCounter::Install(wnd);
    auto* adapter = Adapt(wnd);
    HDC dc = GetDC(wnd);
    SendMessageW(wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(wnd, dc);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(PassCounter::erases, 0);
    adapter->Free();
    EXPECT_EQ(WndProcOf(wnd), counter);
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PassCounter::original));
    DestroyWindow(wnd);
}

TEST_F(ComboAdaptersTest, EmptyAndHugeListsDropAndAHugeOneScrollsWithTheSkinnedBarAndStillCloses)
{
    HWND empty = Combo(CBS_DROPDOWNLIST, 0);
    auto* emptyAdapter = Adapt(empty);
    DropDown(empty);
    EXPECT_NE(emptyAdapter->ListAdapter, nullptr);
    SendMessageW(empty, CB_SHOWDROPDOWN, FALSE, 0);
    emptyAdapter->Free();
    DestroyWindow(empty);

    // Right to left the list is mirrored, and its bar is at its left.
    for (const DWORD layout : {DWORD{0}, DWORD{WS_EX_LAYOUTRTL}}) {
        SCOPED_TRACE(layout ? "right to left" : "left to right");
        HWND huge = Combo(CBS_DROPDOWNLIST, 5000, layout);
        auto* adapter = Adapt(huge);
        DropDown(huge);
        HWND list = ListOf(huge);
        ASSERT_NE(adapter->ListAdapter, nullptr);
        ASSERT_TRUE(IsWindowVisible(list));
        // A press on the lower arrow of the list's skinned bar and its release.
        RECT lr{};
        GetWindowRect(list, &lr);
        const POINT arrow{layout ? lr.left + 4 : lr.right - 4, lr.bottom - 4};
        ASSERT_EQ(SendMessageW(list, WM_NCHITTEST, 0, MAKELPARAM(arrow.x, arrow.y)), HTVSCROLL);
        SendMessageW(list, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(arrow.x, arrow.y));
        POINT client = arrow;
        ScreenToClient(list, &client);
        SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
        EXPECT_GT(SendMessageW(list, LB_GETTOPINDEX, 0, 0), 0) << "the arrow scrolled the list";
        EXPECT_TRUE(IsWindowVisible(list)) << "the list stays open after the bar's press";
        EXPECT_EQ(GetCapture(), list) << "and holds the mouse again";
        // A click outside the open list closes it.
        SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-20, -20));
        SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(-20, -20));
        Pump();
        EXPECT_EQ(SendMessageW(huge, CB_GETDROPPEDSTATE, 0, 0), 0);
        adapter->Free();
        EXPECT_EQ(GetScrollHandler(list), nullptr);
        DestroyWindow(huge);
    }
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class ComboAdaptersLifetimeTest : public ComboAdaptersTest {};

TEST_F(ComboAdaptersLifetimeTest, DestroyedWhileAdaptedAndDroppedLeavesNothingBehind)
{
    HWND wnd = Combo(CBS_DROPDOWN, 10);
    auto* adapter = Adapt(wnd);
    DropDown(wnd);
    HWND list = ListOf(wnd);
    ASSERT_NE(adapter->ListAdapter, nullptr);
    DestroyWindow(wnd);
    EXPECT_FALSE(IsWindow(list));
    EXPECT_TRUE(adapter->Destroyed);
    adapter->Free();
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ComboAdaptersTest, TheSkinRemovedWhileTheListIsDroppedLeavesAPlainWorkingComboBox)
{
    HWND wnd = Combo(CBS_DROPDOWNLIST, 10);
    auto* adapter = Adapt(wnd);
    DropDown(wnd);
    Manager->SetActive(false);
    Pump();
    SendMessageW(wnd, CB_SHOWDROPDOWN, FALSE, 0);
    // Dropped again without a skin: the list works as the platform's own.
    DropDown(wnd);
    EXPECT_TRUE(IsWindowVisible(ListOf(wnd)));
    SendMessageW(wnd, CB_SHOWDROPDOWN, FALSE, 0);
    SendMessageW(wnd, CB_SETCURSEL, 3, 0);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(SendMessageW(wnd, CB_GETCURSEL, 0, 0), 3);
    adapter->Free();
    EXPECT_EQ(GetScrollHandler(wnd), nullptr);
    EXPECT_EQ(GetScrollHandler(ListOf(wnd)), nullptr);
    DestroyWindow(wnd);
}

// ---- class-library combo boxes --------------------------------------------------------------------

class WWComboTest : public SmallAdapterFixture {
protected:
    void SetUp() override
    {
        SmallAdapterFixture::SetUp();
        Form = CreateNew<TForm>(nullptr);
        Form->SetBounds(40, 400, 300, 200);
        Form->Show();
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        SmallAdapterFixture::TearDown();
    }
    TComboBox* Box(TComboBoxStyle style)
    {
        auto* box = Create<TComboBox>(Form);
        box->SetParent(Form);
        box->SetStyle(style);
        box->SetBounds(10, 10, 150, 21);
        box->Items().Add(L"One");
        box->Items().Add(L"Two");
        return box;
    }
    TForm* Form = nullptr;
};

TEST_F(WWComboTest, OnlyTheDropDownStylesOfATComboBoxHaveAButton)
{
    const int scroll = GetSystemMetrics(SM_CXVSCROLL);
    struct Case { const char* name; TComboBoxStyle style; int width; } cases[] = {
        {"DropDown", csDropDown, scroll},
        {"DropDownList", csDropDownList, scroll},
        {"Simple", csSimple, 0},
        {"OwnerDrawFixed", csOwnerDrawFixed, 0},
        {"OwnerDrawVariable", csOwnerDrawVariable, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TComboBox* box = Box(c.style);
        TsCommonData data(box, true);
        data.OwnerControl = box;
        auto* adapter = TacWWComboBoxWnd::CreateFor(box, &data, Manager, "COMBOBOX", false);
        EXPECT_EQ(adapter->ButtonRect().Width(), c.width);
        adapter->Free();
        box->Free();
    }
    auto* other = Create<TEdit>(Form);
    EXPECT_TRUE(ControlHasDropDownButton(other)) << "a control of any other class has one";
}

TEST_F(WWComboTest, HoverMakesTheButtonHotAndTheWindowProcIsGivenBack)
{
    TComboBox* box = Box(csDropDownList);
    TsCommonData data(box, true);
    data.OwnerControl = box;
    const TWndMethod before = box->WindowProc();
    auto* adapter = TacWWComboBoxWnd::CreateFor(box, &data, Manager, "COMBOBOX", false);
    EXPECT_FALSE(box->WindowProc() == before);
    SetFocus(Parent);
    box->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(box));
    auto picture = Print(box->Handle());
    const TRect b = adapter->ButtonRect();
    EXPECT_TRUE(Near(At(*picture, b.Left + 1, b.Top + b.Height() / 2), ButtonCells[1]));
    box->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(box));
    picture = Print(box->Handle());
    EXPECT_TRUE(Near(At(*picture, b.Left + 1, b.Top + b.Height() / 2), ButtonCells[0]));
    adapter->Free();
    EXPECT_TRUE(box->WindowProc() == before);
}

TEST_F(WWComboTest, TheDroppedDownFlagFollowsOnlyAnEditableDropDown)
{
    // The class library reflects the list's opening and closing to the control.
    struct Case { const char* name; TComboBoxStyle style; bool follows; } cases[] = {
        {"DropDown", csDropDown, true},
        {"DropDownList", csDropDownList, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TComboBox* box = Box(c.style);
        TsCommonData data(box, true);
        data.OwnerControl = box;
        auto* adapter = TacWWComboBoxWnd::CreateFor(box, &data, Manager, "COMBOBOX", false);
        DroppedDown = false;
        box->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_DROPDOWN), 0);
        EXPECT_EQ(DroppedDown, c.follows);
        DroppedDown = true;
        box->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_CLOSEUP), 0);
        EXPECT_EQ(DroppedDown, !c.follows);
        DroppedDown = false;
        adapter->Free();
        box->Free();
    }
}

} // namespace
