// Scroll windows on a form laid out right to left (a skinned memo, an adapted multi-line edit, a
// list view, a tree): the skinned vertical bar shows and answers in the strip the window reserves
// beside its client area, which the screen shows at the left, and leaves the content whole.
#include "skin/adapters/AdapterQueries.h"
#include "skin/adapters/ListViewAdapter.h"
#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/adapters/TreeViewAdapters.h"
#include "skin/controls/sMemo.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/MirroredForm.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using namespace ks::test;

constexpr TColor Untouched = 0x00FF00FF;

TColor PixelAt(TBitmap& b, int x, int y) { return static_cast<TColor>(GetPixel(b.Canvas().Handle(), x, y)); }

class MirroredScrollAdaptersTest : public SkinnedFormFixture {
protected:
    enum Kind { Memo, Edit, List, Tree };

    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        Mirrored = CreateNew<TMirroredForm>(Application);
        Mirrored->SetBounds(300, 40, 320, 260);
        Mirrored->Show();
        Pump();
    }
    void TearDown() override
    {
        Drop();
        FreeAndNil(Mirrored);
        SkinnedFormFixture::TearDown();
    }

    // The control of kind, with more lines than it shows, skinned; its window.
    HWND Make(Kind kind)
    {
        if (kind == Memo) {
            auto* memo = Create<TsMemo>(Mirrored);
            memo->SetBounds(10, 10, 220, 160);
            memo->SetScrollBars(ssVertical);
            memo->SetParent(Mirrored);
            std::wstring text;
            for (int i = 0; i < 40; ++i)
                text += L"line " + std::to_wstring(i) + L"\r\n";
            memo->SetText(text);
            Pump();
            MemoControl = memo;
            return memo->Handle();
        }
        const wchar_t* cls = kind == Edit ? L"EDIT" : kind == List ? WC_LISTVIEWW : WC_TREEVIEWW;
        const DWORD style = kind == Edit ? ES_MULTILINE | ES_AUTOVSCROLL : kind == List ? LVS_REPORT : TVS_HASBUTTONS;
        Wnd = CreateWindowExW(WS_EX_CLIENTEDGE, cls, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | style, 10, 10, 220, 160,
                              Mirrored->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        if (kind == Edit) {
            std::wstring text;
            for (int i = 0; i < 40; ++i)
                text += L"line " + std::to_wstring(i) + L"\r\n";
            SetWindowTextW(Wnd, text.c_str());
            Adapter = TacMainWnd::Create<TacEditWnd>(Wnd, nullptr, Manager, "EDIT", true);
        } else if (kind == List) {
            LVCOLUMNW col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH;
            col.cx = 150;
            col.pszText = const_cast<wchar_t*>(L"Name");
            SendMessageW(Wnd, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
            for (int i = 0; i < 100; ++i) {
                std::wstring text = L"Item " + std::to_wstring(i);
                LVITEMW item{};
                item.mask = LVIF_TEXT;
                item.iItem = i;
                item.pszText = text.data();
                SendMessageW(Wnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            }
            Adapter = TacMainWnd::Create<TacListViewWnd>(Wnd, nullptr, Manager, "EDIT", true);
        } else {
            for (int i = 0; i < 30; ++i) {
                std::wstring text = L"Node " + std::to_wstring(i);
                TVINSERTSTRUCTW ins{};
                ins.hParent = TVI_ROOT;
                ins.hInsertAfter = TVI_LAST;
                ins.item.mask = TVIF_TEXT;
                ins.item.pszText = text.data();
                auto node = reinterpret_cast<HTREEITEM>(SendMessageW(Wnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
                ins.hParent = node;
                SendMessageW(Wnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins));
            }
            Adapter = TacMainWnd::Create<TacTreeViewWnd>(Wnd, nullptr, Manager, "EDIT", true);
        }
        Pump();
        return Wnd;
    }
    void Drop()
    {
        if (Adapter)
            Adapter->Free();
        Adapter = nullptr;
        if (Wnd)
            DestroyWindow(Wnd);
        Wnd = nullptr;
        if (MemoControl)
            MemoControl->Free();
        MemoControl = nullptr;
    }

    TMirroredForm* Mirrored = nullptr;
    HWND Wnd = nullptr;
    TacMainWnd* Adapter = nullptr;
    TsMemo* MemoControl = nullptr;
};

// As soon as the control shows (no hover, no scrolling): the bar's pixels fill the strip
// between the frame and the client area, nothing of the bar lies over the client area, a hit
// test answers the bar there and the client at the content's last column, and a press on the
// strip's lower arrow scrolls.
TEST_F(MirroredScrollAdaptersTest, TheVerticalBarShowsAndAnswersInTheStripTheWindowReserves)
{
    const struct Case {
        const char* name;
        Kind kind;
    } cases[] = {{"Memo", Memo}, {"MultiLineEdit", Edit}, {"ReportListView", List}, {"TreeView", Tree}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND wnd = Make(c.kind);
        auto* bars = dynamic_cast<TacScrollWnd*>(GetScrollHandler(wnd));
        ASSERT_NE(bars, nullptr);
        ASSERT_TRUE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
        Pump();

        RECT w{};
        GetWindowRect(wnd, &w);
        const TRect client = ks::adapters::ClientRectOnScreen(wnd);
        const int thickness = GetSystemMetrics(SM_CXVSCROLL);
        // The strip the window reserves: the room between its frame and its client area.
        ASSERT_EQ(client.Left - w.left, bars->BorderLeft + thickness);
        const TRect strip = Rect(client.Left - thickness, client.Top, client.Left, client.Bottom);

        // The bars as the engine composes them, laid out left to right, and the screen.
        auto composed = NewBitmap24(w.right - w.left, w.bottom - w.top);
        FillRectSolid(composed->Canvas().Handle(), Rect(0, 0, composed->Width(), composed->Height()), Untouched);
        DrawScrollBars(bars, wnd, composed->Canvas().Handle(), -1);
        GdiFlush();
        auto shown = ScreenPlacePicture(wnd);
        int outsideStrip = 0, differing = 0;
        for (int y = 0; y < composed->Height(); ++y)
            for (int x = 0; x < composed->Width(); ++x) {
                const TColor bar = PixelAt(*composed, x, y);
                if (!ks::adapters::Inside(strip, {w.left + x, w.top + y})) {
                    outsideStrip += bar != Untouched;
                    continue;
                }
                differing += bar == Untouched || bar != PixelAt(*shown, x, y);
            }
        EXPECT_EQ(outsideStrip, 0) << "nothing of the bar over the content";
        EXPECT_EQ(differing, 0) << "the strip shows the skin's bar, whole";
        WriteSheetPng(*shown, std::string(KS_BUILD_DIR) + "/mirrored-" + c.name + ".png");

        const int middle = (client.Top + client.Bottom) / 2;
        auto hit = [&](int x, int y) { return SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)); };
        EXPECT_EQ(hit(strip.Left + thickness / 2, middle), HTVSCROLL);
        EXPECT_EQ(hit(client.Right - 1, middle), HTCLIENT) << "the content's last column";

        const POINT down{strip.Left + thickness / 2, strip.Bottom - 4};
        SendMessageW(wnd, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(down.x, down.y));
        SendMessageW(wnd, WM_LBUTTONUP, 0, 0);
        SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
        GetScrollInfo(wnd, SB_VERT, &si);
        EXPECT_GT(si.nPos, 0) << "the strip's lower arrow scrolls down";
        Drop();
    }
}

} // namespace
