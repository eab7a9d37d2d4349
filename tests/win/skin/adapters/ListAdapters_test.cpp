#include "skin/adapters/GridAdapters.h"
#include "skin/adapters/ListViewAdapter.h"
#include "skin/adapters/TreeViewAdapters.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/PropertyRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "vcl/Forms.h"
#include "vcl/Grids.h"
#include "vcl/ListViews.h"
#include "vcl/TypInfo.h"
#include "win/skin/adapters/ListSkinFixture.h"
#include "win/support/PrintedAgainstScreen.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

using namespace ks::test;

// A print of the window is the window as the screen shows it, with its vertical bar on the right
// and on the left; each pair of pictures is left in the build folder as name-right/left-*.png.
// `shows`, where given, checks what the print holds, bar side by bar side.
void ExpectPrintsMatchTheScreen(HWND wnd, const std::string& name, void (*pump)(),
                                const std::function<void(TBitmap&, bool left)>& shows = nullptr)
{
    for (const bool left : {false, true}) {
        SCOPED_TRACE(left ? "bar on the left" : "bar on the right");
        const LONG_PTR ex = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
        SetWindowLongPtrW(wnd, GWL_EXSTYLE, left ? ex | WS_EX_LEFTSCROLLBAR : ex & ~WS_EX_LEFTSCROLLBAR);
        SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        pump();
        const PrintedAgainstScreen seen = ComparePrintWithScreen(wnd);
        EXPECT_EQ(seen.differing, 0) << seen;
        if (shows)
            shows(*seen.printed, left);
        const std::string stem = std::string(KS_BUILD_DIR) + "/" + name + (left ? "-left" : "-right");
        WriteSheetPng(*seen.screen, stem + "-screen.png");
        WriteSheetPng(*seen.printed, stem + "-printed.png");
    }
}

class ListViewAdapterTest : public ListSkinFixture {
protected:
    void TearDown() override
    {
        if (Adapter)
            Adapter->Free();
        Adapter = nullptr;
        ListSkinFixture::TearDown();
    }

    HWND MakeList(DWORD view, int columns, int items, DWORD extra = 0)
    {
        HWND list = Child(WC_LISTVIEWW, view | WS_VSCROLL | WS_HSCROLL | extra, L"", {10, 10, 300, 180}, WS_EX_CLIENTEDGE);
        for (int c = 0; c < columns; ++c) {
            std::wstring caption = L"Column " + std::to_wstring(c);
            LVCOLUMNW col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH;
            col.cx = 80;
            col.pszText = caption.data();
            SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
        }
        if (!(extra & LVS_OWNERDATA))
            for (int i = 0; i < items; ++i) {
                std::wstring text = L"Item " + std::to_wstring(i);
                LVITEMW item{};
                item.mask = LVIF_TEXT;
                item.iItem = i;
                item.pszText = text.data();
                SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            }
        else
            SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(items), 0);
        return list;
    }
    TacListViewWnd* Attach(HWND list)
    {
        Adapter = TacMainWnd::Create<TacListViewWnd>(list, nullptr, Manager, "EDIT", true);
        Pump();
        return static_cast<TacListViewWnd*>(Adapter);
    }
    // The header as its window procedure paints it into a fresh picture.
    static std::unique_ptr<TBitmap> PrintHeader(HWND header)
    {
        RECT r{};
        GetClientRect(header, &r);
        auto picture = std::make_unique<TBitmap>();
        picture->SetPixelFormat(pf24bit);
        picture->SetSize(r.right, r.bottom);
        SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture->Canvas().Handle()), PRF_CLIENT);
        GdiFlush();
        return picture;
    }
    static RECT ItemRect(HWND header, int i)
    {
        RECT r{};
        Header_GetItemRect(header, i, &r);
        return r;
    }

    TacMainWnd* Adapter = nullptr;
};

TEST_F(ListViewAdapterTest, TheReportHeaderIsTakenOverPaintedFromTheSkinAndGivenBack)
{
    HWND list = MakeList(LVS_REPORT, 3, 100);
    HWND header = ListView_GetHeader(list);
    ASSERT_NE(header, nullptr);
    const LONG_PTR headerProc = GetWindowLongPtrW(header, GWLP_WNDPROC);
    const COLORREF ownBack = ListView_GetBkColor(list);
    TacListViewWnd* a = Attach(list);
    EXPECT_EQ(a->HeaderHandle, header);
    EXPECT_NE(GetWindowLongPtrW(header, GWLP_WNDPROC), headerProc);
    EXPECT_EQ(ListView_GetBkColor(list), static_cast<COLORREF>(ListEditColour));
    EXPECT_EQ(ListView_GetTextBkColor(list), static_cast<COLORREF>(ListEditColour));
    EXPECT_EQ(ListView_GetTextColor(list), static_cast<COLORREF>(EditFont));

    const RECT first = ItemRect(header, 0);
    const RECT second = ItemRect(header, 1);
    const int y = (first.bottom - first.top) / 2;
    auto shot = PrintHeader(header);
    EXPECT_EQ(At(*shot, first.right - 3, y), HeaderColour);
    EXPECT_EQ(At(*shot, shot->Width() - 2, y), HeaderColour) << "the space right of the last column";

    // Hover follows the cursor; a press on an item takes it, a press on a divider does not.
    POINT over{(second.left + second.right) / 2, y};
    ClientToScreen(header, &over);
    SetCursorPos(over.x, over.y);
    SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM((second.left + second.right) / 2, y));
    EXPECT_EQ(a->HotHeaderItem, 1);
    shot = PrintHeader(header);
    EXPECT_EQ(At(*shot, second.right - 3, y), HeaderHot);
    EXPECT_EQ(At(*shot, first.right - 3, y), HeaderColour);
    // The mouse gone across the header's outer edge: no window of the list hears of it but the
    // header, from the platform's tracking of the leave.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
    for (DWORD start = GetTickCount(); a->HotHeaderItem == 1 && GetTickCount() - start < 2000; Sleep(10))
        Pump();
    EXPECT_EQ(a->HotHeaderItem, -1) << "the mouse has left the header";
    SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM((second.left + second.right) / 2, y));
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((first.left + first.right) / 2, y));
    EXPECT_EQ(a->PressedHeaderItem, 0);
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM((first.left + first.right) / 2, y));
    EXPECT_EQ(a->PressedHeaderItem, -1);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.right, y));
    EXPECT_EQ(a->PressedHeaderItem, -1) << "a divider press resizes";
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(first.right, y));
    SendMessageW(list, WM_NCHITTEST, 0, 0);
    EXPECT_EQ(a->HotHeaderItem, -1) << "the mouse over the list leaves the header cold";

    Adapter->Free();
    Adapter = nullptr;
    EXPECT_EQ(GetWindowLongPtrW(header, GWLP_WNDPROC), headerProc);
    EXPECT_EQ(ListView_GetBkColor(list), ownBack) << "the list's own colour, not a system colour code";
}

TEST_F(ListViewAdapterTest, WithoutAColumnHeaderSectionTheHeaderLooksLikeAButton)
{
    Manager->SetSkinName(L"Bare");
    HWND list = MakeList(LVS_REPORT, 2, 3);
    Attach(list);
    HWND header = ListView_GetHeader(list);
    const RECT first = ItemRect(header, 0);
    auto shot = PrintHeader(header);
    EXPECT_EQ(At(*shot, first.right - 3, first.bottom / 2), ButtonColour);
}

TEST_F(ListViewAdapterTest, AHeaderMadeLaterIsTakenOverAndANewOneReplacesIt)
{
    HWND list = MakeList(LVS_ICON, 0, 5);
    TacListViewWnd* a = Attach(list);
    EXPECT_EQ(a->ViewStyle(), 0);
    SetWindowLongPtrW(list, GWL_STYLE, (GetWindowLongPtrW(list, GWL_STYLE) & ~LVS_TYPEMASK) | LVS_REPORT);
    LVCOLUMNW col{};
    col.mask = LVCF_WIDTH;
    col.cx = 60;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
    Pump();
    EXPECT_EQ(a->ViewStyle(), 3);
    HWND header = ListView_GetHeader(list);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(a->HeaderHandle, header);
    auto shot = PrintHeader(header);
    EXPECT_EQ(At(*shot, shot->Width() - 2, shot->Height() / 2), HeaderColour);
}

TEST_F(ListViewAdapterTest, ColumnsDraggedToNewPlacesArePaintedAndHoveredWhereTheyStand)
{
    HWND list = MakeList(LVS_REPORT, 3, 5);
    ListView_SetExtendedListViewStyle(list, LVS_EX_HEADERDRAGDROP);
    TacListViewWnd* a = Attach(list);
    int order[3] = {2, 0, 1};
    ListView_SetColumnOrderArray(list, 3, order);
    HWND header = ListView_GetHeader(list);
    const RECT moved = ItemRect(header, 2);
    EXPECT_EQ(moved.left, 0) << "the last column now stands first";
    const int y = (moved.bottom - moved.top) / 2;
    SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(moved.left + 5, y));
    EXPECT_EQ(a->HotHeaderItem, 2);
    auto shot = PrintHeader(header);
    EXPECT_EQ(At(*shot, moved.right - 3, y), HeaderHot);
    const RECT first = ItemRect(header, 0);
    EXPECT_EQ(At(*shot, first.right - 3, y), HeaderColour);
}

TEST_F(ListViewAdapterTest, DraggingTheSkinnedSliderScrollsTheReportByWholeItems)
{
    HWND list = MakeList(LVS_REPORT, 2, 100);
    Attach(list);
    RECT item{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    const int itemTop = item.top;
    // The slider sits right below the upper arrow while the list is at its top.
    auto* bars = static_cast<TacScrollWnd*>(Adapter);
    TRect bar;
    GetVScrollRect(bars, list, bar);
    const int x = (bar.Left + bar.Right) / 2;
    const POINT press{x, bar.Top + GetScrollMetric(bars->VBar.get(), ScrollMetric::ArrowLength, false) + 2};
    SendMessageW(list, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(press.x, press.y));
    ASSERT_TRUE(bars->ThumbTracking);
    for (int dy : {15, 40, 25}) {
        POINT p{x, press.y + dy};
        ScreenToClient(list, &p);
        SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
        GetScrollInfo(list, SB_VERT, &si);
        const int top = ListView_GetTopIndex(list);
        EXPECT_GT(top, 0);
        EXPECT_EQ(top, si.nPos) << "one item per position";
        RECT first{LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(top), reinterpret_cast<LPARAM>(&first));
        EXPECT_EQ(first.top, itemTop) << "the top item is whole";
    }
    SendMessageW(list, WM_LBUTTONUP, 0, 0);
}

TEST_F(ListViewAdapterTest, ListsThatGoAwayAreHugeOrHoldNoDataOfTheirOwnStaySound)
{
    // Destroyed while adapted: the adapter and the header both let go of it.
    HWND list = MakeList(LVS_REPORT, 2, 3);
    TacListViewWnd* a = Attach(list);
    DestroyWindow(list);
    EXPECT_TRUE(a->Destroyed);
    EXPECT_EQ(a->HeaderHandle, nullptr);
    Adapter->Free();
    Adapter = nullptr;

    // An owner-data list of many items and a list of a thousand columns print whole, and lose
    // their columns between paints.
    for (const auto& [extra, columns, items] : {std::tuple<DWORD, int, int>{LVS_OWNERDATA, 3, 50000}, std::tuple<DWORD, int, int>{0, 600, 2}}) {
        HWND big = MakeList(LVS_REPORT, columns, items, extra);
        Attach(big);
        auto shot = Print(big);
        EXPECT_EQ(At(*shot, 0, 0) != 0xFFFFFF, true);
        HWND header = ListView_GetHeader(big);
        if (columns > 3) {
            Adapter->Free();
            Adapter = nullptr;
            DestroyWindow(big);
            continue;
        }
        while (Header_GetItemCount(header) > 0)
            SendMessageW(big, LVM_DELETECOLUMN, 0, 0);
        auto empty = PrintHeader(header);
        if (empty->Width() > 2 && empty->Height() > 2) {
            EXPECT_EQ(At(*empty, empty->Width() / 2, empty->Height() / 2), HeaderColour);
        }
        Adapter->Free();
        Adapter = nullptr;
        DestroyWindow(big);
    }
}

// ---- tree view -----------------------------------------------------------------------------------

TEST_F(ListViewAdapterTest, APrintedReportIsTheReportOnTheScreen)
{
    Manager->SetSkinName(L"Bars");
    HWND list = MakeList(LVS_REPORT, 3, 100);
    Attach(list);
    // How many pixels of rows top..bottom, columns left..right, have one of the colours.
    const auto count = [](TBitmap& b, RECT r, std::initializer_list<TColor> colours) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                n += std::find(colours.begin(), colours.end(), At(b, x, y)) != colours.end();
        return n;
    };
    const int bar = GetSystemMetrics(SM_CXVSCROLL);
    ExpectPrintsMatchTheScreen(list, "list-view", &Pump, [&](TBitmap& p, bool left) {
        // The skin's header over the skin's rows, and the skin's bar on its side.
        EXPECT_GT(count(p, {2, 2, p.Width() - 2, 12}, {HeaderColour}), p.Width() * 3);
        EXPECT_GT(count(p, {2, 40, p.Width() - 2, p.Height() - 2}, {ListEditColour}), p.Width() * 20);
        const int x = left ? 2 + bar / 2 : p.Width() - 2 - bar / 2;
        EXPECT_GT(count(p, {x, 2, x + 1, p.Height() - 2}, {0x00304050, 0x00405060, 0x0060A0C0, 0x00A06040, 0x00A06050}),
                  p.Height() / 2);
    });
}

TEST_F(ListViewAdapterTest, ATreeTakesTheHotColourAndGetsItsOwnBackBack)
{
    HWND tree = Child(WC_TREEVIEWW, TVS_HASLINES | WS_VSCROLL, L"", {10, 10, 200, 150}, WS_EX_CLIENTEDGE);
    for (int i = 0; i < 30; ++i) {
        std::wstring text = L"Node " + std::to_wstring(i);
        TVINSERTSTRUCTW ins{};
        ins.hParent = TVI_ROOT;
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT;
        ins.item.pszText = text.data();
        SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins));
    }
    const LRESULT own = SendMessageW(tree, TVM_GETBKCOLOR, 0, 0);
    Adapter = TacMainWnd::Create<TacTreeViewWnd>(tree, nullptr, Manager, "EDIT", true);
    Pump();
    EXPECT_EQ(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0), static_cast<LRESULT>(EditHot));
    RECT r{};
    GetClientRect(tree, &r);
    auto shot = Print(tree);
    EXPECT_EQ(At(*shot, shot->Width() - 25, shot->Height() - 5), EditHot);
    Adapter->Free();
    Adapter = nullptr;
    EXPECT_EQ(SendMessageW(tree, TVM_GETBKCOLOR, 0, 0), own);

    // A tree destroyed while adapted lets the adapter go with it.
    Adapter = TacMainWnd::Create<TacTreeViewWnd>(tree, nullptr, Manager, "EDIT", true);
    DestroyWindow(tree);
    EXPECT_TRUE(Adapter->Destroyed);
}

TEST_F(ListViewAdapterTest, ATreeErasesInTheHotColourUnlessItErasesItself)
{
    ks::SetNextFormCreation({true, false, {}});
    auto* form = CreateNew<TForm>(Application);
    form->SetBounds(40, 40, 300, 220);
    form->Show();
    auto* tree = Create<TTreeView>(form);
    tree->SetBounds(10, 10, 200, 150);
    tree->SetParent(form);
    tree->AddItem(TVI_ROOT, L"Node");
    TsCommonData data(tree, true);
    data.SetSkinManager(Manager);
    Adapter = TacMainWnd::Create<TacTreeViewWnd>(tree->Handle(), &data, Manager, "EDIT", true);
    Pump();
    constexpr COLORREF OwnBack = RGB(1, 2, 3);
    SendMessageW(tree->Handle(), TVM_SETBKCOLOR, 0, static_cast<LPARAM>(OwnBack));
    auto erased = [&] {
        auto b = NewBitmap24(220, 170);
        SendMessageW(tree->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(b->Canvas().Handle()), 0);
        GdiFlush();
        return At(*b, 150, 100);
    };
    data.BackgroundChanged = true;
    EXPECT_EQ(erased(), EditHot);
    EXPECT_FALSE(data.BackgroundChanged) << "the cache is built again first";
    tree->SetOwnErase(true);
    EXPECT_EQ(erased(), static_cast<TColor>(OwnBack)) << "the tree's own erasing";
    Adapter->Free();
    Adapter = nullptr;
    FreeAndNil(form);
}

// ---- grids -----------------------------------------------------------------------------------------

// A grid of another component set: colours by name, but no ControlLook.
class TPlainGrid : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TWinControl::TWinControl;
    TColor FixedColor() const noexcept { return Fixed; }
    void SetFixedColor(TColor c) noexcept { Fixed = c; }
    TColor SelectionColor() const noexcept { return Selection; }
    void SetSelectionColor(TColor c) noexcept { Selection = c; }
    TColor FooterColor() const noexcept { return Footer; }
    void SetFooterColor(TColor c) noexcept { Footer = c; }
    TColor IndicatorIconColor() const noexcept { return Indicator; }
    void SetIndicatorIconColor(TColor c) noexcept { Indicator = c; }
    TColor Fixed = 1, Selection = 2, Footer = 3, Indicator = 4;
};
const ks::PropertyInfo PlainGridProps[] = {
    ks::Prop<&TPlainGrid::FixedColor, &TPlainGrid::SetFixedColor>("FixedColor"),
    ks::Prop<&TPlainGrid::SelectionColor, &TPlainGrid::SetSelectionColor>("SelectionColor"),
    ks::Prop<&TPlainGrid::FooterColor, &TPlainGrid::SetFooterColor>("FooterColor"),
    ks::Prop<&TPlainGrid::IndicatorIconColor, &TPlainGrid::SetIndicatorIconColor>("IndicatorIconColor"),
};
const ks::ClassInfo TPlainGrid::StaticClassInfo{"TPlainGrid", &TWinControl::StaticClassInfo, PlainGridProps, {}};

class GridAdapterTest : public ListSkinFixture {
protected:
    void TearDown() override
    {
        if (Adapter)
            Adapter->Free();
        Adapter = nullptr;
        Data.reset();
        FreeAndNil(Form);
        ListSkinFixture::TearDown();
    }
    template <class T>
    T* Make()
    {
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(Application);
        Form->SetBounds(40, 40, 300, 200);
        Form->Show();
        auto* control = new T(Form);
        control->SetParent(Form);
        control->SetBounds(10, 10, 260, 140);
        control->HandleNeeded();
        ShowWindow(control->Handle(), SW_SHOWNA);
        Data = std::make_unique<TsCommonData>(control, false);
        Data->SetSkinManager(Manager);
        Adapter = TacMainWnd::Create<TacGridWnd>(control->Handle(), Data.get(), Manager, "EDIT", true);
        Adapter->ApplySkinColors();
        return control;
    }
    TForm* Form = nullptr;
    std::unique_ptr<TsCommonData> Data;
    TacMainWnd* Adapter = nullptr;
};

TEST_F(GridAdapterTest, AStringGridTakesTheSkinsColoursByNameAndGetsItsOwnBack)
{
    TStringGrid* grid = Make<TStringGrid>();
    EXPECT_EQ(grid->FixedColor(), Manager->GlobalSectionColor());
    EXPECT_EQ(grid->SelectionColor(), Manager->HighlightColorOf());
    EXPECT_EQ(grid->SelectionTextColor(), Manager->HighlightFontColorOf());
    EXPECT_EQ(grid->FixedFont()->Color(), Manager->GlobalSectionFontColor());
    EXPECT_EQ(grid->ControlLook()->FixedGradientTo(), Manager->GlobalSectionColor());
    EXPECT_NE(grid->ControlLook()->FixedGradientFrom(), clNone);
    EXPECT_NE(GetPropW(grid->Handle(), AdapterProperty), nullptr);

    auto shot = Print(grid->Handle());
    // A fixed cell's top row is the gradient's start, an ordinary cell the grid's skinned colour.
    EXPECT_TRUE(Near(At(*shot, 2 + 10, 2), grid->ControlLook()->FixedGradientFrom()));
    const TRect cell = grid->CellRect(2, 2);
    EXPECT_EQ(At(*shot, 2 + cell.Left + 5, 2 + cell.Top + 5), ColorToRGB(grid->Color()));

    Adapter->Free();
    Adapter = nullptr;
    EXPECT_EQ(grid->FixedColor(), clBtnFace);
    EXPECT_EQ(grid->SelectionColor(), clHighlight);
    EXPECT_EQ(grid->ControlLook()->FixedGradientFrom(), clBtnFace) << "no gradient is kept as the fixed colour";
}

TEST_F(GridAdapterTest, AGridWithoutControlLookGetsOnlyTheFixedFooterAndIndicatorColours)
{
    auto* grid = Make<TPlainGrid>();
    EXPECT_EQ(grid->Fixed, Manager->GlobalSectionColor());
    EXPECT_EQ(grid->Footer, GlobalColour);
    EXPECT_EQ(grid->Indicator, EditFont);
    EXPECT_EQ(grid->Selection, 2) << "selection colours come only with ControlLook";
    Adapter->Free();
    Adapter = nullptr;
    EXPECT_EQ(grid->Fixed, 1);
    EXPECT_EQ(grid->Footer, 3);
}

// A grid whose fixed cells have lines of their own colour, next to its ControlLook.
class TFixedLineGrid : public TStringGrid {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TStringGrid::TStringGrid;
    TColor GridFixedLineColor() const noexcept { return FixedLine; }
    void SetGridFixedLineColor(TColor c) noexcept { FixedLine = c; }
    TColor FixedLine = 0x000A0B0C;
};
const ks::PropertyInfo FixedLineGridProps[] = {
    ks::Prop<&TFixedLineGrid::GridFixedLineColor, &TFixedLineGrid::SetGridFixedLineColor>("GridFixedLineColor"),
};
const ks::ClassInfo TFixedLineGrid::StaticClassInfo{"TFixedLineGrid", &TStringGrid::StaticClassInfo,
                                                    FixedLineGridProps, {}};

// The loaded skin's values hold no global colour for fixed lines: they keep their own, under the
// adapter and after it, while the adapter gives the rest of the grid the skin's colours.
TEST_F(GridAdapterTest, FixedLinesKeepTheirOwnColour)
{
    auto* grid = Make<TFixedLineGrid>();
    ASSERT_NE(Manager->GlobalSectionColor(), grid->FixedLine);
    EXPECT_EQ(grid->FixedColor(), Manager->GlobalSectionColor()) << "the adapter coloured this grid";
    EXPECT_EQ(grid->FixedLine, 0x000A0B0C);
    Adapter->Free();
    Adapter = nullptr;
    EXPECT_EQ(grid->FixedLine, 0x000A0B0C);
}

TEST_F(GridAdapterTest, APrintedGridIsTheGridOnTheScreen)
{
    Manager->SetSkinName(L"Bars");
    TStringGrid* grid = Make<TStringGrid>();
    grid->SetRowCount(40);
    grid->SetColCount(3);
    ExpectPrintsMatchTheScreen(grid->Handle(), "grid", &Pump);
}

TEST_F(GridAdapterTest, GridsWithoutRowsOrColumnsPaintAndScroll)
{
    TStringGrid* grid = Make<TStringGrid>();
    for (const auto& [cols, rows] : {std::pair{0, 0}, std::pair{0, 5}, std::pair{5, 0}, std::pair{1, 1}, std::pair{300, 5000}}) {
        grid->SetColCount(cols);
        grid->SetRowCount(rows);
        SendMessageW(grid->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
        SendMessageW(grid->Handle(), WM_HSCROLL, SB_BOTTOM, 0);
        auto shot = Print(grid->Handle());
        EXPECT_EQ(shot->Width(), 260);
    }
    EXPECT_GT(grid->TopRow(), 1);
}

} // namespace

// ---- virtual trees -----------------------------------------------------------------------------

namespace {

enum TMockHeaderOption { hoVisible, hoOwnerDraw };

} // namespace

template <>
struct ks::EnumTraits<TMockHeaderOption> {
    static constexpr const char* Names[] = {"hoVisible", "hoOwnerDraw"};
};

namespace {

using namespace ks::test;

// The published shape of a virtual tree of another component set, as the adapter finds it.
class TMockVTHeader : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    ks::Set<TMockHeaderOption> Options() const noexcept { return FOptions; }
    void SetOptions(ks::Set<TMockHeaderOption> v) noexcept { FOptions = v; }
    int Height() const noexcept { return 20; }
    void SetHeight(int) noexcept {}
    TColor Color() const noexcept { return FColor; }
    void SetColor(TColor c) noexcept { FColor = c; }
    TFont* Font() const noexcept { return FFont.get(); }
    ks::Set<TMockHeaderOption> FOptions{hoVisible};
    TColor FColor = clBtnFace;
    std::unique_ptr<TFont> FFont = std::make_unique<TFont>();
};
class TMockVETColors : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    TColor File() const noexcept { return FFile; }
    void SetFile(TColor c) noexcept { FFile = c; }
    TColor Folder() const noexcept { return FFolder; }
    void SetFolder(TColor c) noexcept { FFolder = c; }
    TColor FFile = 11, FFolder = 12;
};
class TMockPaintInfo : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    TColor Color() const noexcept { return FColor; }
    void SetColor(TColor c) noexcept { FColor = c; }
    int Style() const noexcept { return FStyle; }
    void SetStyle(int s) noexcept { FStyle = s; }
    TColor FColor = 0;
    int FStyle = 0;
};
class TMockColumn : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    std::wstring Text() const { return L"Name"; }
    void SetText(std::wstring) noexcept {}
    int SortDirection() const noexcept { return 1; }
    void SetSortDirection(int) noexcept {}
};
class TMockVirtualTree : public TCustomControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TCustomControl::TCustomControl;
    TMockVTHeader* Header() const noexcept { return FHeader.get(); }
    TMockVETColors* VETColors() const noexcept { return FColours.get(); }
    TMockPaintInfo* PaintInfoColumn() const noexcept { return FInfo.get(); }
    bool Themed() const noexcept { return FThemed; }
    void SetThemed(bool v) noexcept { FThemed = v; }
    TacVTHeaderDrawEvent OnAdvancedHeaderDraw() const noexcept { return FDraw; }
    void SetOnAdvancedHeaderDraw(TacVTHeaderDrawEvent e) noexcept { FDraw = e; }
    TacVTHeaderQueryEvent OnHeaderDrawQueryElements() const noexcept { return FQuery; }
    void SetOnHeaderDrawQueryElements(TacVTHeaderQueryEvent e) noexcept { FQuery = e; }
    std::unique_ptr<TMockVTHeader> FHeader = std::make_unique<TMockVTHeader>();
    std::unique_ptr<TMockVETColors> FColours = std::make_unique<TMockVETColors>();
    std::unique_ptr<TMockPaintInfo> FInfo = std::make_unique<TMockPaintInfo>();
    bool FThemed = true;
    TacVTHeaderDrawEvent FDraw;
    TacVTHeaderQueryEvent FQuery;

    // As such a tree does: the visible header stands in the frame, above the client area, and
    // the tree paints it with its frame, through the owner-draw event when that is asked for.
    static constexpr TColor OwnHeaderColour = 0x00C0C0C0;
    // Its nodes fill the client area.
    static constexpr TColor NodesColour = 0x00208040;
    void Paint() override { FillRectSolid(Canvas().Handle(), {0, 0, ClientWidth(), ClientHeight()}, NodesColour); }
    void WndProc(TMessage& m) override
    {
        TCustomControl::WndProc(m);
        const bool visible = FHeader->FOptions.Contains(hoVisible);
        if (m.Msg == WM_NCCALCSIZE && visible)
            reinterpret_cast<RECT*>(m.LParam)->top += FHeader->Height();
        if (m.Msg == WM_NCPAINT && visible) {
            HDC dc = GetWindowDC(Handle());
            PaintHeader(dc);
            ReleaseDC(Handle(), dc);
        }
        if (m.Msg == WM_PRINT && visible && (m.LParam & PRF_NONCLIENT))
            PaintHeader(reinterpret_cast<HDC>(m.WParam));
    }
    // The header's place in window coordinates.
    TRect HeaderRect()
    {
        HWND wnd = Handle();
        RECT w{}, c{};
        GetWindowRect(wnd, &w);
        GetClientRect(wnd, &c);
        POINT origin{0, 0};
        ::ClientToScreen(wnd, &origin);
        const int x = origin.x - w.left, y = origin.y - w.top;
        return {x, y - FHeader->Height(), x + c.right, y};
    }
    void PaintHeader(HDC dc)
    {
        const TRect r = HeaderRect();
        TMockColumn column;
        if (FHeader->FOptions.Contains(hoOwnerDraw) && FDraw)
            FDraw(FHeader.get(), dc, r, &column, 0);
        else
            FillRectSolid(dc, r, OwnHeaderColour);
    }
};

const ks::PropertyInfo MockHeaderProps[] = {
    ks::Prop<&TMockVTHeader::Options, &TMockVTHeader::SetOptions>("Options"),
    ks::Prop<&TMockVTHeader::Height, &TMockVTHeader::SetHeight>("Height"),
    ks::Prop<&TMockVTHeader::Color, &TMockVTHeader::SetColor>("Color"),
    ks::Prop<&TMockVTHeader::Font>("Font"),
};
const ks::PropertyInfo MockColoursProps[] = {
    ks::Prop<&TMockVETColors::File, &TMockVETColors::SetFile>("FileTextColor"),
    ks::Prop<&TMockVETColors::Folder, &TMockVETColors::SetFolder>("FolderTextColor"),
};
const ks::PropertyInfo MockInfoProps[] = {
    ks::Prop<&TMockPaintInfo::Color, &TMockPaintInfo::SetColor>("Color"),
    ks::Prop<&TMockPaintInfo::Style, &TMockPaintInfo::SetStyle>("Style"),
};
const ks::PropertyInfo MockColumnProps[] = {
    ks::Prop<&TMockColumn::Text, &TMockColumn::SetText>("Text"),
    ks::Prop<&TMockColumn::SortDirection, &TMockColumn::SetSortDirection>("SortDirection"),
};
const ks::PropertyInfo MockTreeProps[] = {
    ks::Prop<&TMockVirtualTree::Header>("Header"),
    ks::Prop<&TMockVirtualTree::VETColors>("VETColors"),
    ks::Prop<&TMockVirtualTree::PaintInfoColumn>("PaintInfoColumn"),
    ks::Prop<&TMockVirtualTree::Themed, &TMockVirtualTree::SetThemed>("Themed"),
    ks::Prop<&TMockVirtualTree::OnAdvancedHeaderDraw, &TMockVirtualTree::SetOnAdvancedHeaderDraw>("OnAdvancedHeaderDraw"),
    ks::Prop<&TMockVirtualTree::OnHeaderDrawQueryElements, &TMockVirtualTree::SetOnHeaderDrawQueryElements>(
        "OnHeaderDrawQueryElements"),
};
const ks::ClassInfo TMockVTHeader::StaticClassInfo{"TMockVTHeader", &TPersistent::StaticClassInfo, MockHeaderProps, {}};
const ks::ClassInfo TMockVETColors::StaticClassInfo{"TMockVETColors", &TPersistent::StaticClassInfo, MockColoursProps, {}};
const ks::ClassInfo TMockPaintInfo::StaticClassInfo{"TMockPaintInfo", &TPersistent::StaticClassInfo, MockInfoProps, {}};
const ks::ClassInfo TMockColumn::StaticClassInfo{"TMockColumn", &TPersistent::StaticClassInfo, MockColumnProps, {}};
const ks::ClassInfo TMockVirtualTree::StaticClassInfo{"TMockVirtualTree", &TCustomControl::StaticClassInfo, MockTreeProps, {}};

class VirtualTreeAdapterTest : public GridAdapterTest {
protected:
    // A tree with a sunken edge on a shown form, its adapter attached; a tree with a vertical bar
    // scrolls through five pages.
    TMockVirtualTree* MakeFramedTree(bool verticalBar)
    {
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(Application);
        Form->SetBounds(40, 40, 300, 200);
        Form->Show();
        auto* tree = new TMockVirtualTree(Form);
        tree->SetBounds(10, 10, 200, 120);
        tree->SetParent(Form);
        tree->HandleNeeded();
        HWND wnd = tree->Handle();
        if (verticalBar) {
            SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) | WS_VSCROLL);
            SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, 100, 20, 0, 0};
            SetScrollInfo(wnd, SB_VERT, &si, FALSE);
        }
        SetWindowLongPtrW(wnd, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
        SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        Data = std::make_unique<TsCommonData>(tree, false);
        Data->SetSkinManager(Manager);
        Adapter = TacMainWnd::Create<TacVirtualTreeViewWnd>(wnd, Data.get(), Manager, "EDIT", true);
        Adapter->ApplySkinColors();
        Pump();
        return tree;
    }
};

TEST_F(VirtualTreeAdapterTest, TheTreesColoursAndHeaderEventsAreTakenByNameAndGivenBack)
{
    ks::SetNextFormCreation({true, false, {}});
    Form = CreateNew<TForm>(Application);
    Form->Show();
    auto* tree = new TMockVirtualTree(Form);
    tree->SetBounds(10, 10, 200, 120);
    tree->SetParent(Form);
    Data = std::make_unique<TsCommonData>(tree, false);
    Data->SetSkinManager(Manager);
    Adapter = TacMainWnd::Create<TacVirtualTreeViewWnd>(tree->Handle(), Data.get(), Manager, "EDIT", true);
    Adapter->ApplySkinColors();

    EXPECT_EQ(tree->FColours->FFile, EditHotFont);
    EXPECT_EQ(tree->FColours->FFolder, EditHotFont);
    EXPECT_TRUE(tree->FHeader->FOptions.Contains(hoOwnerDraw));
    EXPECT_EQ(tree->FInfo->FColor, Manager->GlobalSectionColor());
    EXPECT_EQ(tree->FInfo->FStyle, 1);
    EXPECT_EQ(tree->FHeader->FColor, Manager->FocusedEditColor());
    EXPECT_FALSE(tree->FThemed);
    ASSERT_TRUE(tree->FDraw.Assigned());
    ASSERT_TRUE(tree->FQuery.Assigned());
    int elements = 0;
    tree->FQuery(tree->FHeader.get(), elements);
    EXPECT_EQ(elements, VTHeaderElements);

    // The adapter's drawer paints a hot column in the header section's hot colour.
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(120, 20);
    TMockColumn column;
    tree->FDraw(tree->FHeader.get(), picture.Canvas().Handle(), TRect{0, 0, 120, 20}, &column, 1);
    GdiFlush();
    EXPECT_EQ(At(picture, 2, 2), HeaderHot);

    // Freed while the form clears its adapters (no colours restored), the events still go.
    ClearingAdapters = true;
    Adapter->Free();
    ClearingAdapters = false;
    Adapter = nullptr;
    EXPECT_FALSE(tree->FDraw.Assigned());
    EXPECT_FALSE(tree->FQuery.Assigned());
}

TEST_F(VirtualTreeAdapterTest, TheHeaderInTheFrameIsPaintedByTheTreeWithTheSkinsDrawer)
{
    TMockVirtualTree* tree = MakeFramedTree(false);
    const TRect header = tree->HeaderRect();
    ASSERT_EQ(header.Height(), 20);
    ASSERT_GT(header.Top, 0) << "below the frame's border";
    const int x = (header.Left + header.Right) / 2, y = (header.Top + header.Bottom) / 2;

    SendMessageW(tree->Handle(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(ScreenPixel(tree->Handle(), x, y), ColorToRGB(HeaderColour)) << "on the screen";

    auto printed = Print(tree->Handle());
    EXPECT_EQ(At(*printed, x, y), HeaderColour) << "printed";
    EXPECT_NE(At(*printed, 0, y), HeaderColour) << "the border is the skin's frame";
    EXPECT_EQ(At(*printed, x, header.Bottom + 20), TMockVirtualTree::NodesColour) << "the tree's nodes below";
    WriteSheetPng(*printed, std::string(KS_BUILD_DIR) + "/virtual-tree.png");
}

TEST_F(VirtualTreeAdapterTest, APrintedTreeIsTheTreeOnTheScreen)
{
    // The header is as wide as the client area; beside it, over the bar, the frame's band shows
    // the same on the screen and in print.
    Manager->SetSkinName(L"Bars");
    ExpectPrintsMatchTheScreen(MakeFramedTree(true)->Handle(), "virtual-tree", &Pump);
}

TEST_F(VirtualTreeAdapterTest, ColoursComeBackAndATreesOwnHeaderDrawerStays)
{
    ks::SetNextFormCreation({true, false, {}});
    Form = CreateNew<TForm>(Application);
    Form->Show();
    auto* tree = new TMockVirtualTree(Form);
    tree->SetParent(Form);
    struct Own {
        void Draw(TObject*, HDC, const TRect&, TObject*, int) {}
    } own;
    tree->FDraw = TacVTHeaderDrawEvent(&own, &Own::Draw);
    Data = std::make_unique<TsCommonData>(tree, false);
    Data->SetSkinManager(Manager);
    Adapter = TacMainWnd::Create<TacVirtualTreeViewWnd>(tree->Handle(), Data.get(), Manager, "EDIT", true);
    Adapter->ApplySkinColors();
    EXPECT_TRUE(tree->FDraw == TacVTHeaderDrawEvent(&own, &Own::Draw));
    EXPECT_FALSE(tree->FQuery.Assigned());
    Adapter->Free();
    Adapter = nullptr;
    EXPECT_TRUE(tree->FDraw == TacVTHeaderDrawEvent(&own, &Own::Draw));
    EXPECT_EQ(tree->FColours->FFile, 11);
    EXPECT_EQ(tree->FColours->FFolder, 12);
    EXPECT_FALSE(tree->FHeader->FOptions.Contains(hoOwnerDraw));
    EXPECT_TRUE(tree->FThemed);
    EXPECT_EQ(tree->FInfo->FColor, clBtnFace);
    EXPECT_EQ(tree->FHeader->FColor, clBtnFace);
}

} // namespace
