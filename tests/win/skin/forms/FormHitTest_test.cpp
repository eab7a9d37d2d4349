#include "skin/forms/FrameDragState.h"
#include "skin/forms/FrameTracking.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/GdiHandles.h"
#include "win/skin/forms/SpiedProviderFixture.h"
#include "win/support/FakeCursor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class FormHitTest : public ks::test::SpiedProviderFixture {
protected:
    void TearDown() override
    {
        SizingActive = false;
        SizingHitCode = 0;
        TitleButtonPressed = false;
        SpiedProviderFixture::TearDown();
    }

    // The hit code at (x, y) of the window, asked as the system asks it.
    LRESULT HitAt(int x, int y)
    {
        RECT r;
        GetWindowRect(Form->Handle(), &r);
        return SendMessageW(Form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.left + x, r.top + y));
    }
    static TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }
};

TEST_F(FormHitTest, TitleButtonsAnswerTheirOwnCodesWhateverIsHidden)
{
    struct Case {
        const char* name;
        TBorderIcons icons;
        std::vector<std::pair<TitleButtonRec TsSkinProvider::*, LRESULT>> buttons;
    } cases[] = {
        {"all three", {biSystemMenu, biMinimize, biMaximize},
         {{&TsSkinProvider::ButtonClose, HTCLOSE}, {&TsSkinProvider::ButtonMax, HTMAXBUTTON},
          {&TsSkinProvider::ButtonMin, HTMINBUTTON}}},
        // The maximise button hidden must not move the help button onto the minimise code.
        {"minimise and help", {biSystemMenu, biMinimize, biHelp},
         {{&TsSkinProvider::ButtonClose, HTCLOSE}, {&TsSkinProvider::ButtonMin, HTMINBUTTON},
          {&TsSkinProvider::ButtonHelp, HTHELP}}},
        {"close alone", {biSystemMenu}, {{&TsSkinProvider::ButtonClose, HTCLOSE}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Form->SetBorderIcons(c.icons);
        Provider->SystemMenu->UpdateItems();
        RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
        for (const auto& [button, code] : c.buttons) {
            const TRect r = (Provider->*button).Rect;
            ASSERT_GT(r.Width(), 0);
            const TPoint p = Centre(r);
            EXPECT_EQ(HitAt(p.X, p.Y), code);
            EXPECT_EQ(Provider->HotHitCode, code) << "the button under the mouse is hot";
        }
    }
}

TEST_F(FormHitTest, BordersCaptionAndClient)
{
    const int b = GetSystemMetrics(SM_CXFRAME);
    struct Case {
        const char* name;
        int x, y;
        LRESULT expected;
    } cases[] = {
        {"left", 1, 150, HTLEFT},
        {"right", 418, 150, HTRIGHT},
        {"bottom", 210, 301, HTBOTTOM},
        {"top", 210, 0, HTTOP},
        {"bottom right", 419, 302, HTBOTTOMRIGHT},
        {"top left", 0, 0, HTTOPLEFT},
        {"caption", 150, b + 4, HTCAPTION},
        {"client", 210, 200, HTCLIENT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HitAt(c.x, c.y), c.expected);
    }
    EXPECT_EQ(Provider->HotHitCode, 0) << "no button stays hot off the buttons";

    // A maximised form has no border bands of its own (the platform may still answer for its
    // hidden frame).
    ShowWindow(Form->Handle(), SW_MAXIMIZE);
    RECT r;
    GetWindowRect(Form->Handle(), &r);
    EXPECT_FALSE(ks::IsBorderBand(Provider->ProviderHitTest({r.left + 1, r.top + 150})));
    ShowWindow(Form->Handle(), SW_RESTORE);
}

TEST_F(FormHitTest, ADoubleClickOnTheCaptionOfAFormThatCannotMaximiseChangesNothing)
{
    Form->SetBorderIcons({biSystemMenu, biMinimize});
    Provider->SystemMenu->UpdateItems();
    RECT before;
    GetWindowRect(Form->Handle(), &before);
    Spy.Seen.clear();
    SendMessageW(Form->Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(before.left + 100, before.top + 8));
    Pump();
    RECT after;
    GetWindowRect(Form->Handle(), &after);
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_FALSE(IsZoomed(Form->Handle()));
    EXPECT_FALSE(Spy.Saw(WM_NCLBUTTONDBLCLK)) << "the platform never sees the click";

    // With maximising allowed the same click maximises, and a second restores.
    Form->SetBorderIcons({biSystemMenu, biMinimize, biMaximize});
    Provider->SystemMenu->UpdateItems();
    SendMessageW(Form->Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_TRUE(IsZoomed(Form->Handle()));
    SendMessageW(Form->Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_FALSE(IsZoomed(Form->Handle()));
}

TEST_F(FormHitTest, AReleaseOffThePressedButtonOnlyClearsItsState)
{
    HWND wnd = Form->Handle();
    RECT r;
    GetWindowRect(wnd, &r);
    // The mouse rests off the form: a move of the real pointer still on its way from an earlier
    // test would light the button under it during the release's pump, and the engine's hover
    // checks ask the cursor seam.
    SetCursorPos(r.right + 50, r.bottom + 50);
    ks::test::UseFakeCursor({r.right + 50, r.bottom + 50});
    Sleep(50);
    Pump();
    const TPoint p = Centre(Provider->ButtonClose.Rect);
    EXPECT_EQ(HitAt(p.X, p.Y), HTCLOSE);
    SendMessageW(wnd, WM_NCLBUTTONDOWN, HTCLOSE, 0);
    EXPECT_EQ(Provider->ButtonClose.State, 2);
    EXPECT_TRUE(TitleButtonPressed);
    // Released over the maximise button: the close button's press is forgotten, nothing closes.
    SendMessageW(wnd, WM_NCLBUTTONUP, HTMAXBUTTON, 0);
    Pump();
    EXPECT_TRUE(IsWindow(wnd));
    EXPECT_TRUE(Form->Visible());
    EXPECT_EQ(Provider->ButtonClose.State, 0);
    EXPECT_EQ(Provider->HotHitCode, 0);
    EXPECT_FALSE(IsZoomed(wnd));
}

TEST_F(FormHitTest, TheMaximiseButtonMaximisesAndRestores)
{
    HWND wnd = Form->Handle();
    const TPoint p = Centre(Provider->ButtonMax.Rect);
    EXPECT_EQ(HitAt(p.X, p.Y), HTMAXBUTTON);
    SendMessageW(wnd, WM_NCLBUTTONDOWN, HTMAXBUTTON, 0);
    SendMessageW(wnd, WM_NCLBUTTONUP, HTMAXBUTTON, 0);
    EXPECT_TRUE(IsZoomed(wnd));
    EXPECT_EQ(Form->WindowState(), wsMaximized);
    const TPoint q = Centre(Provider->ButtonMax.Rect);
    EXPECT_EQ(HitAt(q.X, q.Y), HTMAXBUTTON);
    SendMessageW(wnd, WM_NCLBUTTONDOWN, HTMAXBUTTON, 0);
    SendMessageW(wnd, WM_NCLBUTTONUP, HTMAXBUTTON, 0);
    EXPECT_FALSE(IsZoomed(wnd));
    EXPECT_EQ(Form->WindowState(), wsNormal);
}

// The system makes a double click of a second click that comes soon at the same place: the
// minimise button of a form minimised by it and restored at once, clicked again, still minimises.
TEST_F(FormHitTest, AQuickSecondClickOnATitleButtonIsAClickOfItsOwn)
{
    HWND wnd = Form->Handle();
    const struct {
        const char* name;
        LRESULT code;
        TitleButtonRec TsSkinProvider::*button;
        BOOL(WINAPI* done)(HWND);
    } cases[] = {{"minimise", HTMINBUTTON, &TsSkinProvider::ButtonMin, IsIconic},
                 {"maximise", HTMAXBUTTON, &TsSkinProvider::ButtonMax, IsZoomed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (UINT press : {WM_NCLBUTTONDOWN, WM_NCLBUTTONDBLCLK}) {
            const TPoint p = Centre((Provider->*c.button).Rect);
            RECT r;
            GetWindowRect(wnd, &r);
            ks::test::UseFakeCursor({r.left + p.X, r.top + p.Y});
            ASSERT_EQ(HitAt(p.X, p.Y), c.code);
            SendMessageW(wnd, press, c.code, MAKELPARAM(r.left + p.X, r.top + p.Y));
            SendMessageW(wnd, WM_NCLBUTTONUP, c.code, MAKELPARAM(r.left + p.X, r.top + p.Y));
            Pump();
            EXPECT_TRUE(c.done(wnd)) << (press == WM_NCLBUTTONDBLCLK ? "the second click" : "the first click");
            SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
            Pump();
            ASSERT_FALSE(IsIconic(wnd) || IsZoomed(wnd));
        }
    }
}

TEST_F(FormHitTest, TheRightButtonOnABorderIsSwallowed)
{
    Spy.Seen.clear();
    SendMessageW(Form->Handle(), WM_NCRBUTTONDOWN, HTCAPTION, 0);
    EXPECT_FALSE(Spy.Saw(WM_NCRBUTTONDOWN));
    RECT r;
    GetWindowRect(Form->Handle(), &r);
    SendMessageW(Form->Handle(), WM_NCRBUTTONUP, HTLEFT, MAKELPARAM(r.left + 1, r.top + 150));
    EXPECT_FALSE(Spy.Saw(WM_NCRBUTTONUP));
}

TEST_F(FormHitTest, AMovedFormSnapsWithinTheBufferOnly)
{
    Provider->SetScreenSnap(true);
    Provider->SetSnapBuffer(10);
    RECT work{};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(Form->Handle(), MONITOR_DEFAULTTONEAREST), &info);
    work = info.rcWork;
    RECT r;
    GetWindowRect(Form->Handle(), &r);
    const int width = r.right - r.left;
    struct Case {
        const char* name;
        int gap;
        int expectedLeft;
    } cases[] = {
        {"9 pixels short snaps", 9, static_cast<int>(work.right - width)},
        {"10 pixels short stays", 10, static_cast<int>(work.right - width - 10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetWindowPos(Form->Handle(), nullptr, work.right - width - c.gap, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        GetWindowRect(Form->Handle(), &r);
        EXPECT_EQ(r.left, c.expectedLeft);
    }
    // Snapping off: the form goes exactly where it is put.
    Provider->SetScreenSnap(false);
    SetWindowPos(Form->Handle(), nullptr, work.right - width - 5, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    GetWindowRect(Form->Handle(), &r);
    EXPECT_EQ(r.left, work.right - width - 5);
}

TEST_F(FormHitTest, ALostCaptureEndsTheOutlineDrag)
{
    Provider->SetResizeMode(rmBorder);
    HWND wnd = Form->Handle();
    RECT r;
    GetWindowRect(wnd, &r);
    EXPECT_EQ(HitAt(r.right - r.left - 1, 150), HTRIGHT);
    SendMessageW(wnd, WM_NCLBUTTONDOWN, HTRIGHT, MAKELPARAM(r.right - 1, r.top + 150));
    EXPECT_EQ(GetCapture(), wnd);
    EXPECT_EQ(SizingHitCode, HTRIGHT) << "the band the drag started on is kept";
    ReleaseCapture();
    Pump();
    SendMessageW(wnd, WM_NCLBUTTONUP, HTCAPTION, 0);
    RECT after;
    GetWindowRect(wnd, &after);
    EXPECT_EQ(after.right - after.left, r.right - r.left);
}

} // namespace

namespace {

TEST_F(FormHitTest, ASkinRemovedDuringADragOrWhileMaximisedLeavesAWorkingForm)
{
    Provider->SetResizeMode(rmBorder);
    HWND wnd = Form->Handle();
    RECT r;
    GetWindowRect(wnd, &r);
    EXPECT_EQ(HitAt(r.right - r.left - 1, 150), HTRIGHT);
    SendMessageW(wnd, WM_NCLBUTTONDOWN, HTRIGHT, MAKELPARAM(r.right - 1, r.top + 150));
    ASSERT_TRUE(SizingActive);
    Manager->SetActive(false);
    Pump();
    EXPECT_FALSE(SizingActive) << "the drag ends with the skin";
    EXPECT_NE(GetCapture(), wnd);
    RECT after;
    GetWindowRect(wnd, &after);
    EXPECT_TRUE(EqualRect(&r, &after));

    Manager->SetActive(true);
    Pump();
    SendMessageW(wnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(IsZoomed(wnd));
    Manager->SetActive(false);
    Pump();
    SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsZoomed(wnd));
    GetWindowRect(wnd, &after);
    EXPECT_EQ(after.right - after.left, r.right - r.left);
}

} // namespace

namespace {

// A form's constraints stop the outline where they would stop the form, and a maximised form
// kept below the screen's size keeps its frame's shape.
TEST_F(FormHitTest, TheFormsConstraintsBoundTheOutlineAndShapeTheMaximisedForm)
{
    Provider->SetResizeMode(rmBorder);
    HWND wnd = Form->Handle();
    RECT r;
    GetWindowRect(wnd, &r);
    const int width = r.right - r.left;
    Form->Constraints()->SetMinWidth(width - 20);
    ks::test::UseFakeCursor({r.right - 1, r.top + 150});
    SendMessageW(wnd, WM_NCLBUTTONDOWN, HTRIGHT, MAKELPARAM(r.right - 1, r.top + 150));
    ASSERT_TRUE(SizingActive);
    SendMessageW(wnd, WM_MOUSEMOVE, 0, 0);
    ks::test::UseFakeCursor({r.right - 200, r.top + 150});
    SendMessageW(wnd, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(SizingRect.Width(), width - 20) << "the outline stops at the minimum width";
    ReleaseCapture();
    Pump();
    Form->Constraints()->SetMinWidth(0);

    struct Case {
        const char* name;
        int maxWidth;
        bool shrunk;
    } cases[] = {{"no maximum", 0, true}, {"a maximum width", 500, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Form->Constraints()->SetMaxWidth(c.maxWidth);
        SendMessageW(wnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        Pump();
        ASSERT_TRUE(IsZoomed(wnd));
        Provider->ApplyRegion(false);
        ks::GdiRegion region(CreateRectRgn(0, 0, 0, 0));
        ASSERT_NE(GetWindowRgn(wnd, region.get()), ERROR);
        RECT box{};
        GetRgnBox(region.get(), &box);
        EXPECT_EQ(box.left > 0, c.shrunk) << "the window cut to the work area, or the frame's own shape";
        SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        Pump();
    }
}

} // namespace
