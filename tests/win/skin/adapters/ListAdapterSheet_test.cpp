#include "skin/adapters/GridAdapters.h"
#include "skin/adapters/ListViewAdapter.h"
#include "skin/adapters/TreeViewAdapters.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/forms/sFrameAdapter.h"
#include "vcl/Grids.h"
#include "vcl/ListViews.h"
#include "vcl/StdCtrls.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace ks::test;

class ListAdapterSheetTest : public SkinnedFormFixture {
protected:
    void TearDown() override
    {
        for (TacMainWnd* a : Adapters)
            a->Free();
        Adapters.clear();
        Data.clear();
        SkinnedFormFixture::TearDown();
    }
    template <class A>
    A* Adapt(TWinControl* control, const char* section)
    {
        Data.push_back(std::make_unique<TsCommonData>(control, false));
        Data.back()->SetSkinManager(Manager);
        auto* adapter = TacMainWnd::Create<A>(control->Handle(), Data.back().get(), Manager, section, true);
        Adapters.push_back(adapter);
        return adapter;
    }
    // What the screen shows of the form's client area.
    std::unique_ptr<TBitmap> Snapshot()
    {
        RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        RECT r{};
        GetClientRect(Form->Handle(), &r);
        auto picture = std::make_unique<TBitmap>();
        picture->SetPixelFormat(pf24bit);
        picture->SetSize(r.right, r.bottom);
        HDC dc = GetDC(Form->Handle());
        BitBlt(picture->Canvas().Handle(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
        ReleaseDC(Form->Handle(), dc);
        GdiFlush();
        return picture;
    }

    std::vector<TacMainWnd*> Adapters;
    std::vector<std::unique_ptr<TsCommonData>> Data;
};

TEST_F(ListAdapterSheetTest, AListViewAGridATreeAndAFrameUnderTheInternalSkin)
{
    Form->SetBounds(20, 20, 700, 470);
    Form->SetColor(clBlack);

    auto* list = Create<TListView>(Form);
    list->SetBounds(10, 10, 330, 200);
    list->SetViewStyle(vsReport);
    list->SetParent(Form);
    list->AddColumn(L"Name", 120);
    list->AddColumn(L"Length", 80);
    list->AddColumn(L"Rule", 100);
    for (int i = 0; i < 40; ++i)
        list->AddItem(L"Password " + std::to_wstring(i));
    HDITEMW sorted{};
    sorted.mask = HDI_FORMAT;
    sorted.fmt = HDF_STRING | HDF_SORTUP;
    Header_SetItem(ListView_GetHeader(list->Handle()), 0, &sorted);
    auto* listAdapter = Adapt<TacListViewWnd>(list, "EDIT");

    auto* grid = Create<TStringGrid>(Form);
    grid->SetBounds(350, 10, 330, 200);
    grid->SetParent(Form);
    grid->SetColCount(8);
    grid->SetRowCount(30);
    for (int c = 0; c < 8; ++c)
        grid->SetCells(c, 0, L"Col " + std::to_wstring(c));
    for (int r = 1; r < 30; ++r) {
        grid->SetCells(0, r, std::to_wstring(r));
        for (int c = 1; c < 8; ++c)
            grid->SetCells(c, r, std::to_wstring(r * c));
    }
    grid->SetSelection(2, 3);
    Adapt<TacGridWnd>(grid, "EDIT")->ApplySkinColors();

    auto* tree = Create<TTreeView>(Form);
    tree->SetBounds(10, 220, 330, 200);
    tree->SetParent(Form);
    for (int i = 0; i < 6; ++i) {
        HTREEITEM node = tree->AddItem(TVI_ROOT, L"Group " + std::to_wstring(i));
        for (int j = 0; j < 4; ++j)
            tree->AddItem(node, L"Rule " + std::to_wstring(i) + L"." + std::to_wstring(j));
        tree->Expand(node);
    }
    Adapt<TacTreeViewWnd>(tree, "EDIT");

    auto* frame = Create<TFrame>(Form);
    frame->SetBounds(350, 220, 330, 200);
    frame->SetParent(Form);
    auto* frameAdapter = Create<TsFrameAdapter>(frame);
    frameAdapter->SkinData()->SetSkinManager(Manager);
    frameAdapter->SkinData()->RefreshIndexes();
    auto* label = Create<TLabel>(frame);
    label->SetBounds(12, 12, 260, 20);
    label->SetCaption(L"A frame with a label");
    label->Font()->SetColor(clLime);
    label->SetParent(frame);
    Pump();

    const COLORREF back = ListView_GetBkColor(list->Handle());
    EXPECT_EQ(back, static_cast<COLORREF>(ColorToRGB(Data.front()->Section()->Color)));
    EXPECT_NE(listAdapter->HeaderHandle, nullptr);

    auto picture = Snapshot();
    // The header row of the list is the skin's, not the platform's grey.
    RECT hr{};
    GetWindowRect(listAdapter->HeaderHandle, &hr);
    MapWindowPoints(nullptr, Form->Handle(), reinterpret_cast<POINT*>(&hr), 2);
    EXPECT_NE(static_cast<COLORREF>(GetPixel(picture->Canvas().Handle(), hr.right - 3, hr.top + 2)),
              GetSysColor(COLOR_BTNFACE));
    // The tree sets its scroll state while painting; its bar stays the skin's, not the platform's white.
    const TRect treeBox = tree->BoundsRect();
    EXPECT_NE(static_cast<COLORREF>(GetPixel(picture->Canvas().Handle(), treeBox.Right - 10, treeBox.Top + 60)),
              RGB(255, 255, 255));
    WriteSheetPng(*picture, std::string(KS_BUILD_DIR) + "/list-adapters.png");
}

} // namespace
