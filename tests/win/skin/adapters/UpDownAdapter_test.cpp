// The up-down adapter on real "msctls_updown32" controls, vertical and horizontal: the two
// skinned halves with the skin's arrows in the state the cursor and the left button give them,
// the fallback section, and the procedure given back.
#include "skin/adapters/UpDownAdapter.h"

#include "vcl/PlatformSeams.h"
#include "win/skin/adapters/SmallAdapterSkinFixture.h"
#include "win/support/FakeCursor.h"

#include <commctrl.h>

namespace {

using namespace ks::test;

class UpDownAdapterTest : public SmallAdapterFixture {
protected:
    void SetUp() override
    {
        SmallAdapterFixture::SetUp();
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&icc);
        UseFakeCursor({-1000, -1000});
    }
    HWND UpDown(DWORD style, TRect r)
    {
        HWND wnd = Child(UPDOWN_CLASSW, style, L"", r);
        SendMessageW(wnd, UDM_SETRANGE32, 0, 10);
        return wnd;
    }
    TacSpinWnd* Adapt(HWND wnd, const char* section = "UPDOWNBTN")
    {
        return TacMainWnd::Create<TacSpinWnd>(wnd, nullptr, Manager, section, false);
    }
    // The cursor at (x, y) of the window.
    void PointAt(HWND wnd, int x, int y)
    {
        RECT r{};
        GetWindowRect(wnd, &r);
        gCursor = {r.left + x, r.top + y};
    }
};

TEST_F(UpDownAdapterTest, EachHalfShowsTheButtonSectionAndItsArrowInItsState)
{
    struct Case {
        const char* name;
        DWORD style;
        TRect r;
        TPoint cursor;
        bool press;
        int first, second;
        TPoint firstGlyph, secondGlyph, edge;
    } cases[] = {
        {"VerticalAway", 0, {10, 10, 27, 35}, {-50, -50}, false, 0, 0, {8, 6}, {8, 18}, {0, 6}},
        {"VerticalHotUpper", 0, {10, 10, 27, 35}, {8, 3}, false, 1, 0, {8, 6}, {8, 18}, {0, 6}},
        {"VerticalPressedLower", 0, {10, 10, 27, 35}, {8, 20}, true, 0, 2, {8, 6}, {8, 18}, {0, 6}},
        {"HorizontalPressedLeft", UDS_HORZ, {40, 10, 71, 26}, {4, 8}, true, 2, 0, {7, 7}, {22, 7}, {7, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND wnd = UpDown(c.style, c.r);
        auto* adapter = Adapt(wnd);
        const bool vertical = c.style == 0;
        EXPECT_EQ(adapter->IsVertical(), vertical);
        PointAt(wnd, c.cursor.X, c.cursor.Y);
        if (c.press)
            SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.cursor.X, c.cursor.Y));
        auto picture = Print(wnd);
        EXPECT_EQ(adapter->FirstState, c.first);
        EXPECT_EQ(adapter->SecondState, c.second);
        const int firstArrow = vertical ? ArrowRows[0] : ArrowRows[2];
        const int secondArrow = vertical ? ArrowRows[1] : ArrowRows[3];
        EXPECT_TRUE(Near(At(*picture, c.firstGlyph.X, c.firstGlyph.Y), GlyphColour(firstArrow, c.first)));
        EXPECT_TRUE(Near(At(*picture, c.secondGlyph.X, c.secondGlyph.Y), GlyphColour(secondArrow, c.second)));
        EXPECT_TRUE(Near(At(*picture, c.edge.X, c.edge.Y), BorderCells[c.first])) << "the first half's border";
        if (c.press)
            SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(c.cursor.X, c.cursor.Y));
        EXPECT_FALSE(adapter->Pushed);
        adapter->Free();
        DestroyWindow(wnd);
    }
}

TEST_F(UpDownAdapterTest, AnOddHeightGivesTheUpperHalfTheExtraRowAndBothShareTheMiddle)
{
    HWND wnd = UpDown(0, {10, 10, 27, 35});
    auto* adapter = Adapt(wnd);
    PointAt(wnd, 8, 12);
    auto picture = Print(wnd);
    EXPECT_EQ(adapter->FirstState, 1) << "the middle row belongs to the upper half";
    // The left border: the upper half's to row 11, the lower half's from the shared row 12.
    EXPECT_TRUE(Near(At(*picture, 0, 11), BorderCells[1]));
    EXPECT_TRUE(Near(At(*picture, 0, 12), BorderCells[0]));
    adapter->Free();
    DestroyWindow(wnd);
}

TEST_F(UpDownAdapterTest, AMissingSectionFallsBackToTheButtonAndZeroRangeStillPaints)
{
    // Large enough that the section shows beside the arrow.
    HWND wnd = UpDown(UDS_HORZ, {10, 10, 70, 40});
    SendMessageW(wnd, UDM_SETRANGE32, 0, 0);
    auto* adapter = Adapt(wnd, "UPDOWNBTN");
    auto picture = Print(wnd);
    EXPECT_EQ(adapter->SkinData->SkinSection(), "BUTTON");
    EXPECT_TRUE(Near(At(*picture, 4, 4), ButtonColour)) << "the section's own colour inside the border";
    PointAt(wnd, 45, 15);
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(45, 15));
    SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(45, 15));
    EXPECT_EQ(SendMessageW(wnd, UDM_GETPOS32, 0, 0), 0);
    adapter->Free();
    DestroyWindow(wnd);
}

TEST_F(UpDownAdapterTest, PaintingNeverReachesTheControlAndItsProcedureComesBack)
{
    HWND wnd = UpDown(UDS_HORZ, {10, 10, 70, 40});
    const WNDPROC counter = PassCounter::Install(wnd);
    auto* adapter = Adapt(wnd);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    EXPECT_EQ(PassCounter::paints, 0);
    EXPECT_EQ(PassCounter::erases, 0);
    EXPECT_TRUE(Near(OnScreen(wnd, 4, 4), ButtonColour)) << "the skin is what the screen shows";
    adapter->Free();
    EXPECT_EQ(WndProcOf(wnd), counter);
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PassCounter::original));
    DestroyWindow(wnd);
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class UpDownAdapterLifetimeTest : public UpDownAdapterTest {};

TEST_F(UpDownAdapterLifetimeTest, DestroyedWhileAdaptedIsLetGo)
{
    HWND wnd = UpDown(0, {10, 10, 27, 35});
    auto* adapter = Adapt(wnd);
    DestroyWindow(wnd);
    EXPECT_TRUE(adapter->Destroyed);
    adapter->Free();
}

} // namespace

namespace {

TEST_F(UpDownAdapterTest, TheControlIsTheManagersHotWindowWhileTheCursorIsOverIt)
{
    ASSERT_EQ(DefaultSkinManager, Manager);
    HWND wnd = UpDown(0, {10, 10, 27, 35});
    auto* adapter = Adapt(wnd);
    PointAt(wnd, 5, 5);
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(Manager->ActiveControl, wnd);
    PointAt(wnd, 5, 20);
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 20));
    EXPECT_EQ(adapter->SecondState, 1) << "the hot half follows the cursor";
    EXPECT_EQ(adapter->FirstState, 0);
    PointAt(wnd, 60, 60);
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(60, 60));
    EXPECT_EQ(Manager->ActiveControl, nullptr);
    adapter->Free();
    DestroyWindow(wnd);
}

} // namespace
