// The frame of dialogs made from templates as the screen shows it: scroll bars inside the frame
// on either side, a right-to-left dialog whose frame reads and answers where it is laid out, an
// icon the dialog sets itself, and the frame painted again when the dialog moves its children or
// grows.
#include "skin/adapters/SkinnedScrollBars.h"
#include "skin/core/CacheBitmaps.h"
#include "win/skin/forms/DialogSkinFixture.h"
#include "win/skin/forms/RealMouse.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

using namespace ks::test;

namespace {

constexpr TColor TrackColour = 0x00208080;
constexpr TColor ArrowColour = 0x00802080;
constexpr TColor SliderColour = 0x00808020;
constexpr TColor IconColours[2] = {0x000000F0, 0x0000F000};
constexpr DWORD FramedStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
constexpr UINT RepositionChildren = 0x52E;

std::string ScrolledDialogOptions()
{
    std::string o = DialogSkinOptions();
    for (const char* track : {"SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"})
        o += std::string("[") + track + "]\r\nCOLOR=" + OptionColour(TrackColour) + "\r\n";
    for (const char* arrow : {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT"})
        o += std::string("[") + arrow + "]\r\nCOLOR=" + OptionColour(ArrowColour) + "\r\n";
    for (const char* slider : {"SCROLLSLIDERV", "SCROLLSLIDERH"})
        o += std::string("[") + slider + "]\r\nCOLOR=" + OptionColour(SliderColour) + "\r\n";
    return o;
}

// An icon of one colour, without transparent pixels.
HICON SolidIcon(TColor colour)
{
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    auto picture = NewBitmap24(cx, cy);
    picture->Canvas().Brush().SetColor(colour);
    picture->Canvas().FillRect(TRect{0, 0, cx, cy});
    std::vector<uint8_t> opaque(static_cast<size_t>((cx + 15) / 16 * 2 * cy), 0);
    HBITMAP mask = CreateBitmap(cx, cy, 1, 1, opaque.data());
    ICONINFO info{TRUE, 0, 0, mask, picture->Handle()};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    return icon;
}

HICON gInitIcon = nullptr;
int gCloseCommands = 0;
bool gHideOnDeactivation = false;
std::vector<int> gVerticalScrolls;
// Switched off from inside the dialog's deactivation.
TsSkinManager* gSkinOffOnDeactivation = nullptr;

INT_PTR CALLBACK FrameProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        if (gInitIcon)
            SendMessageW(wnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(gInitIcon));
        return TRUE;
    case WM_VSCROLL:
        gVerticalScrolls.push_back(LOWORD(wParam));
        return FALSE;
    case WM_SYSCOMMAND:
        gCloseCommands += (wParam & 0xFFF0) == SC_CLOSE;
        return FALSE;
    case WM_NCACTIVATE:
        if (!wParam && gHideOnDeactivation)
            ShowWindow(wnd, SW_HIDE);
        if (!wParam && gSkinOffOnDeactivation)
            std::exchange(gSkinOffOnDeactivation, nullptr)->SetActive(false);
        return FALSE;
    default: return FALSE;
    }
}

class DialogFrameTest : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        gInitIcon = nullptr;
        gCloseCommands = 0;
        gHideOnDeactivation = false;
        gVerticalScrolls.clear();
        gSkinOffOnDeactivation = nullptr;
        Dir.Write(L"Scrolled.asz", SkinArchive(ScrolledDialogOptions(), Bmp24(96, 96, DialogMasterPixel)));
        Manager->SetSkinName(L"Scrolled");
        ASSERT_TRUE(Manager->SkinData.SkinActive);
    }
    void TearDown() override
    {
        for (HWND wnd : FDialogs)
            if (IsWindow(wnd))
                DestroyWindow(wnd);
        DialogFixture::TearDown();
    }
    // A dialog of the template, on top and painted.
    HWND Make(DialogTemplate& t)
    {
        HWND wnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.Get(), nullptr, &FrameProc, 0);
        FDialogs.push_back(wnd);
        if (wnd)
            Settle(wnd);
        return wnd;
    }
    static void Settle(HWND wnd)
    {
        SetForegroundWindow(wnd);
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        PumpFor(60);
    }
    static std::unique_ptr<TBitmap> OnScreen(HWND wnd) { return ScreenPlacePicture(wnd); }
    // A bar's rectangle in window coordinates.
    static TRect BarInWindow(TacDialogWnd* d, HWND wnd, bool vertical)
    {
        TRect r;
        (vertical ? GetVScrollRect : GetHScrollRect)(d, wnd, r);
        RECT wr{};
        GetWindowRect(wnd, &wr);
        return {r.Left - wr.left, r.Top - wr.top, r.Right - wr.left, r.Bottom - wr.top};
    }
    static LRESULT HitAt(HWND wnd, int x, int y) { return SendMessageW(wnd, WM_NCHITTEST, 0, ScreenPoint(wnd, x, y)); }
    // A title point over the icon's place.
    static TPoint IconPoint(TacDialogWnd* d)
    {
        TRect icon;
        d->IconRect(icon);
        return {icon.Left + 2, (icon.Top + icon.Bottom) / 2};
    }

    std::vector<HWND> FDialogs;
};

TEST_F(DialogFrameTest, ADialogsScrollBarsShowTheSkinsBarsOnEitherSideAndAnswerThere)
{
    struct Case {
        const char* name;
        DWORD exStyle;
        bool barLeft;
    } cases[] = {{"bar on the right", 0, false}, {"bar on the left", WS_EX_LEFTSCROLLBAR, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogTemplate t(FramedStyle | WS_VSCROLL | WS_HSCROLL, L"Scrolled", c.exStyle);
        HWND wnd = Make(t);
        ASSERT_NE(wnd, nullptr);
        TacDialogWnd* d = DialogAdapter(wnd);
        ASSERT_NE(d, nullptr);
        SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 0, 0};
        SetScrollInfo(wnd, SB_VERT, &si, TRUE);
        SetScrollInfo(wnd, SB_HORZ, &si, TRUE);
        Settle(wnd);
        ASSERT_TRUE(d->VBar && d->VBar->ScrollVisible && d->HBar && d->HBar->ScrollVisible);
        const TRect v = BarInWindow(d, wnd, true);
        const TRect h = BarInWindow(d, wnd, false);
        RECT wr{};
        GetWindowRect(wnd, &wr);
        const int border = d->FormBorderWidth(false);
        if (c.barLeft)
            EXPECT_EQ(v.Left, border);
        else
            EXPECT_EQ(v.Right, wr.right - wr.left - border);
        auto screen = OnScreen(wnd);
        WriteSheetPng(*screen, std::string(KS_BUILD_DIR) + "/dialog-scroll-bars-" + (c.barLeft ? "left" : "right") + ".png");
        // Below the slider, which stands at the top, the track; the arrows at the ends.
        const int vx = (v.Left + v.Right) / 2;
        EXPECT_EQ(PixelAt(*screen, vx, v.Top + v.Height() * 3 / 4), TrackColour);
        EXPECT_EQ(PixelAt(*screen, vx, v.Bottom - 2), ArrowColour);
        EXPECT_EQ(PixelAt(*screen, h.Left + h.Width() * 3 / 4, (h.Top + h.Bottom) / 2), TrackColour);
        EXPECT_EQ(HitAt(wnd, vx, v.Top + v.Height() * 3 / 4), HTVSCROLL);
        EXPECT_EQ(HitAt(wnd, h.Left + h.Width() * 3 / 4, (h.Top + h.Bottom) / 2), HTHSCROLL);
        // The engine's answer, not the platform's: a disabled bar takes no clicks.
        EnableScrollBar(wnd, SB_VERT, ESB_DISABLE_BOTH);
        EXPECT_EQ(HitAt(wnd, vx, v.Top + v.Height() * 3 / 4), HTNOWHERE);
        EnableScrollBar(wnd, SB_VERT, ESB_ENABLE_BOTH);
        // The frame beside the bars is still the frame's.
        EXPECT_EQ(PixelAt(*screen, 0, (v.Top + v.Bottom) / 2), DialogCells[1]);
        EXPECT_EQ(PixelAt(*screen, screen->Width() - 1, (v.Top + v.Bottom) / 2), DialogCells[1]);

        // Each frame paint paints the bars again; while a scroll runs, the engine paints them
        // itself, and the frame leaves them as they are.
        const TPoint track{vx, v.Top + v.Height() * 3 / 4};
        auto blackenAndRepaint = [&] {
            HDC dc = GetWindowDC(wnd);
            RECT bar{v.Left, v.Top, v.Right, v.Bottom};
            FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            ReleaseDC(wnd, dc);
            RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
            PumpFor(30);
            return PixelAt(*OnScreen(wnd), track.X, track.Y);
        };
        EXPECT_EQ(blackenAndRepaint(), TrackColour) << "painted again with the frame";
        d->Scrolling = true;
        EXPECT_EQ(blackenAndRepaint(), clBlack) << "not covered by the frame";
        d->Scrolling = false;

        // A press on the lower arrow steps at once and ends with the release: no step after
        // it, the capture given back.
        gVerticalScrolls.clear();
        const TPoint arrow{vx, v.Bottom - 3};
        SendMessageW(wnd, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenPoint(wnd, arrow.X, arrow.Y));
        EXPECT_EQ(gVerticalScrolls, std::vector<int>{SB_LINEDOWN});
        EXPECT_EQ(GetCapture(), wnd);
        auto clientPoint = [&](TPoint p) {
            POINT at{p.X + static_cast<int>(wr.left), p.Y + static_cast<int>(wr.top)};
            ScreenToClient(wnd, &at);
            return MAKELPARAM(at.x, at.y);
        };
        SendMessageW(wnd, WM_LBUTTONUP, 0, clientPoint(arrow));
        PumpFor(450);
        EXPECT_EQ(gVerticalScrolls, (std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL}));
        EXPECT_NE(GetCapture(), wnd);
        // The slider follows a drag.
        gVerticalScrolls.clear();
        const TPoint slider{vx, v.Top + GetScrollMetric(d->VBar.get(), ScrollMetric::ArrowLength, false) + 3};
        SendMessageW(wnd, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenPoint(wnd, slider.X, slider.Y));
        SendMessageW(wnd, WM_MOUSEMOVE, MK_LBUTTON, clientPoint({slider.X, slider.Y + 40}));
        SendMessageW(wnd, WM_LBUTTONUP, 0, clientPoint({slider.X, slider.Y + 40}));
        EXPECT_NE(std::find(gVerticalScrolls.begin(), gVerticalScrolls.end(), SB_THUMBTRACK), gVerticalScrolls.end());
        EXPECT_NE(GetCapture(), wnd);
        DestroyWindow(wnd);
    }
}

// The frame is laid out in window coordinates, as the hit test reads them; a mirrored window's
// DC would show it flipped, with the close glyph where the hit test answers caption.
TEST_F(DialogFrameTest, ARightToLeftDialogShowsItsFrameAsTheHitTestAnswersIt)
{
    DialogTemplate t(FramedStyle, L"Right to left 123", WS_EX_LAYOUTRTL);
    HWND wnd = Make(t);
    ASSERT_NE(wnd, nullptr);
    ASSERT_TRUE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    TacDialogWnd* d = DialogAdapter(wnd);
    ASSERT_NE(d, nullptr);
    auto screen = OnScreen(wnd);
    WriteSheetPng(*screen, std::string(KS_BUILD_DIR) + "/dialog-right-to-left.png");
    TBitmap* cache = d->SkinData->CacheBitmap.get();
    ASSERT_NE(cache, nullptr);
    ASSERT_EQ(cache->Width(), screen->Width());
    // The whole title strip, caption text included, as composed; the corners the region cuts
    // away are cut where the picture has them.
    auto cut = [&](int x, int y) {
        return std::any_of(d->RgnPieces.begin(), d->RgnPieces.end(),
                           [&](const TRect& r) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; });
    };
    ASSERT_FALSE(d->RgnPieces.empty());
    int differing = 0;
    for (int y = 0; y < d->TitleBottom(); ++y)
        for (int x = 0; x < screen->Width(); ++x)
            differing += !cut(x, y) && PixelAt(*screen, x, y) != PixelAt(*cache, x, y);
    EXPECT_EQ(differing, 0);
    const TRect close = d->BtnClose.Rect;
    const TPoint middle{(close.Left + close.Right) / 2, (close.Top + close.Bottom) / 2};
    EXPECT_EQ(PixelAt(*screen, middle.X, middle.Y), DialogCloseCells[0]);
    EXPECT_EQ(HitAt(wnd, middle.X, middle.Y), HTCLOSE);
    // The client area is the skin's, wherever the mirrored client coordinates put it.
    RECT cr{};
    GetClientRect(wnd, &cr);
    EXPECT_EQ(PixelAt(*screen, d->ClientOffsetX() + 2, d->ClientOffsetY() + 2), DialogHotColour);
    EXPECT_EQ(PixelAt(*screen, d->ClientOffsetX() + cr.right - 3, d->ClientOffsetY() + 2), DialogHotColour);
}

TEST_F(DialogFrameTest, OnlyADialogWithASystemMenuHasOneOnItsIcon)
{
    for (bool sysMenu : {true, false}) {
        SCOPED_TRACE(sysMenu ? "with a system menu" : "without one");
        DialogTemplate t(sysMenu ? FramedStyle : FramedStyle & ~WS_SYSMENU, L"Menu");
        HWND wnd = Make(t);
        ASSERT_NE(wnd, nullptr);
        TacDialogWnd* d = DialogAdapter(wnd);
        ASSERT_NE(d, nullptr);
        const TPoint p = IconPoint(d);
        const LRESULT code = HitAt(wnd, p.X, p.Y);
        EXPECT_EQ(code, sysMenu ? HTSYSMENU : HTCAPTION);
        gCloseCommands = 0;
        SendMessageW(wnd, WM_NCLBUTTONDBLCLK, static_cast<WPARAM>(code), ScreenPoint(wnd, p.X, p.Y));
        EXPECT_EQ(gCloseCommands, sysMenu ? 1 : 0) << "a double-click on the icon closes only through a system menu";
        DestroyWindow(wnd);
    }
}

TEST_F(DialogFrameTest, AnIconTheDialogSetsShowsInItsTitle)
{
    HICON icons[2] = {SolidIcon(IconColours[0]), SolidIcon(IconColours[1])};
    gInitIcon = icons[0];
    DialogTemplate t(FramedStyle, L"Icon");
    HWND wnd = Make(t);
    ASSERT_NE(wnd, nullptr);
    TacDialogWnd* d = DialogAdapter(wnd);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->IconHandle, icons[0]) << "set in WM_INITDIALOG, after the frame was prepared";
    TRect icon;
    d->IconRect(icon);
    const TPoint middle{(icon.Left + icon.Right) / 2, (icon.Top + icon.Bottom) / 2};
    EXPECT_EQ(PixelAt(*OnScreen(wnd), middle.X, middle.Y), IconColours[0]);
    // And again while it shows.
    SendMessageW(wnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons[1]));
    PumpFor(30);
    EXPECT_EQ(PixelAt(*OnScreen(wnd), middle.X, middle.Y), IconColours[1]);
    DestroyWindow(wnd);
    for (HICON i : icons)
        DestroyIcon(i);
}

// Moving the children repaints the frame before the message returns; growing repaints it with
// the next paint, even when the move itself asked for no redrawing.
TEST_F(DialogFrameTest, TheFrameIsPaintedAgainAfterTheChildrenMoveAndAfterGrowing)
{
    DialogTemplate t(FramedStyle | WS_THICKFRAME, L"Frame");
    HWND wnd = Make(t);
    ASSERT_NE(wnd, nullptr);
    TacDialogWnd* d = DialogAdapter(wnd);
    ASSERT_NE(d, nullptr);
    const int titleY = d->TitleBottom() / 2;
    auto blackenTitle = [&] {
        HDC dc = GetWindowDC(wnd);
        RECT title{0, 0, 40, d->TitleBottom()};
        FillRect(dc, &title, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        ReleaseDC(wnd, dc);
    };
    blackenTitle();
    SendMessageW(wnd, RepositionChildren, 0, 0);
    // Read from the window's own picture: the screen follows only from the message loop.
    EXPECT_EQ(ScreenPixel(wnd, 20, titleY), TitleHotColour) << "at once";

    for (UINT redraw : {0u, static_cast<UINT>(SWP_NOREDRAW)}) {
        SCOPED_TRACE(redraw ? "without redrawing" : "redrawn");
        RECT wr{};
        GetWindowRect(wnd, &wr);
        SetWindowPos(wnd, nullptr, 0, 0, wr.right - wr.left + 40, wr.bottom - wr.top + 30,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | redraw);
        PumpFor(60);
        auto screen = OnScreen(wnd);
        EXPECT_EQ(PixelAt(*screen, screen->Width() - 1, screen->Height() / 2), DialogCells[1]) << "right border";
        EXPECT_EQ(PixelAt(*screen, screen->Width() / 2, screen->Height() - 1), DialogCells[1]) << "bottom border";
        EXPECT_EQ(PixelAt(*screen, screen->Width() - 60, titleY), TitleHotColour) << "title";
    }
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class DialogFrameLifetimeTest : public DialogFrameTest {};

// WM_SETREDRAW(FALSE), which keeps the platform's caption off the screen while it handles the
// activation, clears WS_VISIBLE: a hide inside does nothing, and redraw on would show it again.
TEST_F(DialogFrameLifetimeTest, ADialogThatHidesItselfWhenDeactivatedIsHidden)
{
    DialogTemplate t(FramedStyle, L"Hiding");
    HWND wnd = Make(t);
    ASSERT_NE(wnd, nullptr);
    ASSERT_TRUE(IsWindowVisible(wnd));
    gHideOnDeactivation = true;
    SendMessageW(wnd, WM_NCACTIVATE, FALSE, 0);
    EXPECT_FALSE(IsWindowVisible(wnd));
    EXPECT_FALSE(DialogAdapter(wnd)->FormActive);
    // A dialog that stays shows its inactive frame.
    gHideOnDeactivation = false;
    ShowWindow(wnd, SW_SHOW);
    SendMessageW(wnd, WM_NCACTIVATE, FALSE, 0);
    EXPECT_TRUE(IsWindowVisible(wnd));
    PumpFor(30);
    auto screen = OnScreen(wnd);
    EXPECT_EQ(PixelAt(*screen, screen->Width() - 60, DialogAdapter(wnd)->TitleBottom() / 2), TitleColour);
    // One whose skin goes meanwhile is shown, by the platform.
    gSkinOffOnDeactivation = Manager;
    SendMessageW(wnd, WM_NCACTIVATE, FALSE, 0);
    EXPECT_EQ(gSkinOffOnDeactivation, nullptr);
    EXPECT_EQ(DialogAdapter(wnd), nullptr);
    EXPECT_TRUE(IsWindowVisible(wnd));
}

} // namespace
