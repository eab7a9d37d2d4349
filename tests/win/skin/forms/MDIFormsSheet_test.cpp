// The contact sheet of a skinned MDI main form as the screen shows it, written to
// <build>/mdi-sheet.png for people to look at: cascaded children, one child maximised with its
// icon and buttons on the menu line, the same after a skin change, and a child moved partly out
// of the client.
#include "skin/adapters/MDIClientAdapter.h"
#include "skin/core/sCommonData.h"
#include "skin/forms/sMDIForm.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Bitmap.h"
#include "vcl/Menus.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace ks::test;

class MDIFormsSheet : public SkinnedMDIFixture {
protected:
    void SetUp() override
    {
        SkinnedMDIFixture::SetUp();
        InitializeSkinProviderUnit();
        Main->SetText(L"MDI");
        GiveMainFileWindowMenu();
        Sheet = NewBitmap24(1080, 900);
        RECT all{0, 0, 1080, 900};
        FillRect(Sheet->Canvas().Handle(), &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        for (int i = 0; i < 3; ++i) {
            const std::wstring caption = L"Child " + std::to_wstring(i + 1);
            TForm* child = MakeChild(caption.c_str(), 30 * i);
            // The last child's menu merges into the main form's line: "Edit" between "File"
            // and "Window".
            if (i == 2)
                child->SetMenu(MakeMenu(child, {L"Edit"}, 1));
            Create<TsSkinProvider>(child);
            Children.push_back(child);
        }
        Settle();
    }
    void TearDown() override
    {
        for (auto it = Children.rbegin(); it != Children.rend(); ++it)
            (*it)->Free();
        Sheet.reset();
        SkinnedMDIFixture::TearDown();
    }
    void Settle()
    {
        Pump();
        RedrawWindow(Main->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
    }
    // The main form as the screen shows it, placed at (x, y) of the sheet under a label.
    std::unique_ptr<TBitmap> Capture(int x, int y, const std::string& label)
    {
        std::unique_ptr<TBitmap> picture = ScreenPicture(Main->Handle());
        BitBlt(Sheet->Canvas().Handle(), x, y + 16, picture->Width(), picture->Height(), picture->Canvas().Handle(), 0, 0,
               SRCCOPY);
        DrawSheetLabel(*Sheet, x, y, label);
        return picture;
    }
    // The pixels of rect (in the main form's window) that differ between two of its pictures.
    static int Differ(TBitmap& a, TBitmap& b, const RECT& rect)
    {
        int count = 0;
        for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, a.Height()); ++y)
            for (int x = std::max<int>(rect.left, 0); x < std::min<int>(rect.right, a.Width()); ++x)
                count += ks::GetPixel24(a.View(), x, y) != ks::GetPixel24(b.View(), x, y);
        return count;
    }
    // A window's place in the main form's window.
    RECT InMain(HWND wnd) const
    {
        RECT r{}, main{};
        GetWindowRect(wnd, &r);
        GetWindowRect(Main->Handle(), &main);
        OffsetRect(&r, -main.left, -main.top);
        return r;
    }

    std::vector<TForm*> Children;
    std::unique_ptr<TBitmap> Sheet;
};

TEST_F(MDIFormsSheet, CascadedMaximisedChangedAndMoved)
{
    const auto cascaded = Capture(10, 10, "cascaded children, child 3's Edit merged");

    TForm* last = Children.back();
    SendMessageW(last->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Settle();
    ASSERT_TRUE(IsZoomed(last->Handle()));
    EXPECT_GT(Provider->MDIClose.Rect.Width(), 0) << "the maximised child's buttons are on the menu line";
    const auto maximised = Capture(540, 10, "child 3 maximised: icon, merged Edit and buttons on the menu line");
    // The maximised child covers the client: where child 1 showed its title, the picture changed.
    EXPECT_GT(Differ(*cascaded, *maximised, InMain(Children[0]->Handle())), 0);

    Manager->SetHueOffset(120);
    Settle();
    const auto changed = Capture(10, 450, "after a skin change (hue 120)");
    EXPECT_GT(Differ(*maximised, *changed, InMain(Main->Handle())), 0) << "the frames in the new colours";

    Manager->SetHueOffset(0);
    SendMessageW(last->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    // Moved partly out of the client.
    SetWindowPos(last->Handle(), nullptr, 380, 260, 210, 160, SWP_NOZORDER);
    Settle();
    Capture(540, 450, "a child moved partly out of the client");

    WriteSheetPng(*Sheet, std::string(KS_BUILD_DIR) + "/mdi-sheet.png");
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class MDIFormsSheetLifetime : public MDIFormsSheet {};

// Cascaded children, the last one maximised, restored (every child painted again) and then
// closed with caFree (a clean menu line and client): <build>/mdi-close-sheet.png.
TEST_F(MDIFormsSheetLifetime, MaximisedRestoredAndFreed)
{
    const auto cascaded = Capture(10, 10, "three cascaded children");
    TForm* last = Children.back();
    const RECT place = InMain(last->Handle());
    SendMessageW(last->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Settle();
    ASSERT_TRUE(IsZoomed(last->Handle()));
    Capture(540, 10, "child 3 maximised");

    SendMessageW(last->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    const auto restored = Capture(10, 450, "restored (no repaint forced)");
    // Every child is painted again as it was, without a repaint forced.
    for (TForm* child : Children)
        EXPECT_EQ(Differ(*cascaded, *restored, InMain(child->Handle())), 0) << "child painted again";

    struct Freer {
        void OnClose(TObject*, TCloseAction& action) { action = caFree; }
    } freer;
    last->SetOnClose(TCloseEvent(&freer, &Freer::OnClose));
    SendMessageW(last->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
    Children.pop_back();
    const auto closed = Capture(540, 450, "child 3 closed with caFree");
    // Where child 3's title was, away from the others, the client shows through.
    const RECT title{place.left + 20, place.top + 2, place.right - 60, place.top + 16};
    EXPECT_GT(Differ(*cascaded, *closed, title), 0) << "child 3 gone";

    WriteSheetPng(*Sheet, std::string(KS_BUILD_DIR) + "/mdi-close-sheet.png");
}

} // namespace
