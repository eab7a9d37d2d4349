// The list view, tree view and string grid wrappers the list adapters serve.
#include "vcl/Forms.h"
#include "vcl/Grids.h"
#include "vcl/ListViews.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class ListControlsTest : public VclFormFixture {
protected:
    void SetUp() override
    {
        VclFormFixture::SetUp();
        FForm->Show();
    }
};

TEST_F(ListControlsTest, AListViewSwitchesViewsAndAnOwnerDataListAsksForItsTexts)
{
    auto* list = Add<TListView>();
    EXPECT_EQ(SendMessageW(list->Handle(), LVM_GETVIEW, 0, 0), LV_VIEW_ICON);
    list->SetViewStyle(vsReport);
    EXPECT_EQ(SendMessageW(list->Handle(), LVM_GETVIEW, 0, 0), LV_VIEW_DETAILS);
    EXPECT_EQ(list->AddColumn(L"Name", 100), 0);
    EXPECT_EQ(list->AddColumn(L"Size", 60), 1);
    EXPECT_EQ(list->AddItem(L"first"), 0);
    EXPECT_EQ(list->ItemCount(), 1);
    EXPECT_TRUE(list->DeleteColumn(1));
    EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(list->Handle())), 1);

    list->SetOwnerData(true);
    EXPECT_NE(GetWindowLongPtrW(list->Handle(), GWL_STYLE) & LVS_OWNERDATA, 0);
    list->SetItemCount(10000);
    EXPECT_EQ(list->ItemCount(), 10000);
    wchar_t text[32]{};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = 32;
    SendMessageW(list->Handle(), LVM_GETITEMTEXTW, 9999, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, L"Item 9999");
}

TEST_F(ListControlsTest, AStringGridKeepsItsPlacesInsideItsCounts)
{
    auto* grid = Add<TStringGrid>();
    grid->SetColCount(4);
    grid->SetRowCount(50);
    grid->SetCells(2, 3, L"x");
    EXPECT_EQ(grid->Cells(2, 3), L"x");
    EXPECT_EQ(grid->Cells(9, 90), L"");
    EXPECT_EQ(grid->CellRect(0, 0), (TRect{0, 0, 64, 24}));
    SendMessageW(grid->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_GT(grid->TopRow(), 1);
    EXPECT_EQ(grid->CellRect(1, 1).Width(), 0) << "scrolled out of sight";
    EXPECT_EQ(grid->CellRect(1, 0).Top, 0) << "the fixed row stays";

    // Counts that shrink below the fixed ones, or to nothing, pull every place in with them.
    grid->SetRowCount(0);
    grid->SetColCount(0);
    EXPECT_EQ(grid->FixedRows(), 0);
    EXPECT_EQ(grid->FixedCols(), 0);
    EXPECT_EQ(grid->TopRow(), 0);
    EXPECT_EQ(grid->CellRect(0, 0).Width(), 0);
    SendMessageW(grid->Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    grid->Repaint();
}

TEST_F(ListControlsTest, ATreeViewTakesItemsUnderItsItems)
{
    auto* tree = Add<TTreeView>();
    HTREEITEM top = tree->AddItem(TVI_ROOT, L"top");
    HTREEITEM child = tree->AddItem(top, L"child");
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageW(tree->Handle(), TVM_GETNEXTITEM, TVGN_PARENT,
                                                       reinterpret_cast<LPARAM>(child))),
              top);
    tree->Expand(top);
    EXPECT_NE(SendMessageW(tree->Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(top), TVIS_EXPANDED) & TVIS_EXPANDED, 0);
}

} // namespace
