#include "skin/adapters/SkinnedScrollBars.h"

#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sConst.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/skin/forms/RealMouse.h"
#include "win/support/FakeCursor.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"
#include "win/support/WindowClasses.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace ks::test;

struct ScrollCall {
    UINT msg;
    int code;
    int hiword;
    LPARAM lParam;
};
std::vector<ScrollCall> gCalls;
LRESULT gBeforeScrollAnswer = 0;
// The window destroys itself from inside a scroll message or a cache request.
bool gDestroyOnScroll = false;
bool gDestroyOnPrepareCache = false;
// Run once by the next scroll message, after it is recorded.
void (*gOnScroll)(HWND) = nullptr;
TsSkinManager* gManager = nullptr;


// A window that scrolls as the platform's controls do: lines by 1, pages by the page, the
// slider's position as given.
LRESULT CALLBACK ScrollingProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_VSCROLL || msg == WM_HSCROLL) {
        if (std::exchange(gDestroyOnScroll, false)) {
            DestroyWindow(wnd);
            return 0;
        }
        const int code = LOWORD(wParam);
        gCalls.push_back({msg, code, HIWORD(wParam), lParam});
        if (auto run = std::exchange(gOnScroll, nullptr))
            run(wnd);
        const int bar = msg == WM_VSCROLL ? SB_VERT : SB_HORZ;
        SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(wnd, bar, &si);
        int pos = si.nPos;
        switch (code) {
        case SB_LINEUP: --pos; break;
        case SB_LINEDOWN: ++pos; break;
        case SB_PAGEUP: pos -= static_cast<int>(si.nPage); break;
        case SB_PAGEDOWN: pos += static_cast<int>(si.nPage); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: pos = lParam ? static_cast<int>(lParam) : HIWORD(wParam); break;
        default: return 0;
        }
        si.fMask = SIF_POS;
        si.nPos = pos;
        SetScrollInfo(wnd, bar, &si, FALSE);
        return 0;
    }
    if (msg == SM_SKINCMD && HIWORD(wParam) == SKC_BEFORE_SCROLL)
        return gBeforeScrollAnswer;
    if (msg == SM_SKINCMD && HIWORD(wParam) == SKC_PREPARE_CACHE && std::exchange(gDestroyOnPrepareCache, false)) {
        DestroyWindow(wnd);
        return 0;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

const wchar_t* ScrollingClass()
{
    static const wchar_t* name = RegisterTestClass(L"KsScrollingWindow", ScrollingProc, nullptr,
                                                   static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return name;
}

// A top-level window that shows a picture of its own in its frame, as a skinned form does: it
// answers the background question with its picture, the client area at its frame's offset.
constexpr TColor OwnPictureColour = 0x00123456;
TBitmap* gOwnPicture = nullptr;

LRESULT CALLBACK OwnPictureProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == SM_SKINCMD && HIWORD(wParam) == SKC_GET_BG_INFO && gOwnPicture) {
        auto* info = reinterpret_cast<BackgroundInfo*>(lParam);
        info->BackgroundKind = BgKindBitmap;
        info->Bmp = gOwnPicture;
        RECT w{};
        GetWindowRect(wnd, &w);
        POINT origin{0, 0};
        ClientToScreen(wnd, &origin);
        info->Offset = {origin.x - w.left, origin.y - w.top};
        return 1;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

class ScrollBarsTest : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        gCalls.clear();
        gBeforeScrollAnswer = 0;
        UseFakeCursor({});
        Form->SetBounds(40, 40, 300, 260);
        Pump();
    }
    void TearDown() override
    {
        if (Adapter)
            Adapter->Free();
        if (IsWindow(Wnd))
            DestroyWindow(Wnd);
        delete Data;
        SkinnedFormFixture::TearDown();
    }

    void Make(DWORD bars, int width, int height, int min = 0, int max = 99, UINT page = 10, int pos = 0,
              DWORD exStyle = 0)
    {
        Wnd = CreateWindowExW(exStyle, ScrollingClass(), L"", WS_CHILD | WS_VISIBLE | bars, 10, 10, width, height,
                              Form->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        SCROLLINFO si{sizeof(si), SIF_ALL | SIF_DISABLENOSCROLL, min, max, page, pos, 0};
        if (bars & WS_VSCROLL)
            SetScrollInfo(Wnd, SB_VERT, &si, FALSE);
        if (bars & WS_HSCROLL)
            SetScrollInfo(Wnd, SB_HORZ, &si, FALSE);
        Data = new TsCommonData(nullptr, true);
        Data->SetSkinSection("EDIT");
        Adapter = TacMainWnd::Create<TacScrollWnd>(Wnd, Data, nullptr, "", true);
        Pump();
    }
    TacScrollWnd* Bars() const { return static_cast<TacScrollWnd*>(Adapter); }
    RECT Window() const
    {
        RECT r{};
        GetWindowRect(Wnd, &r);
        return r;
    }
    LRESULT HitTest(int x, int y) const { return SendMessageW(Wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)); }
    void Press(int x, int y)
    {
        SendMessageW(Wnd, WM_NCLBUTTONDOWN, HitTest(x, y), MAKELPARAM(x, y));
    }
    void MoveTo(int x, int y)
    {
        POINT p{x, y};
        ScreenToClient(Wnd, &p);
        SendMessageW(Wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    }
    void Release()
    {
        SendMessageW(Wnd, WM_LBUTTONUP, 0, 0);
    }
    void Tick(UINT_PTR id) { SendMessageW(Wnd, WM_TIMER, id, 0); }
    int Pos(int bar = SB_VERT) const
    {
        SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, 0, 0};
        GetScrollInfo(Wnd, bar, &si);
        return si.nPos;
    }
    std::vector<int> Codes() const
    {
        std::vector<int> codes;
        for (const ScrollCall& c : gCalls)
            codes.push_back(c.code);
        return codes;
    }
    TColor NcPixel(int x, int y) const { return WindowPixel(Wnd, x, y); }

    HWND Wnd = nullptr;
    TsCommonData* Data = nullptr;
    TacMainWnd* Adapter = nullptr;
};

TEST_F(ScrollBarsTest, TheBarsTakeTheirRoomFromTheClientAndAnswerHitTests)
{
    Make(WS_VSCROLL | WS_HSCROLL, 120, 100);
    RECT client{};
    GetClientRect(Wnd, &client);
    const int t = GetSystemMetrics(SM_CXVSCROLL);
    EXPECT_EQ(client.right, 120 - t);
    EXPECT_EQ(client.bottom, 100 - GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_TRUE(Bars()->VBar->ScrollVisible);
    EXPECT_TRUE(Bars()->HBar->ScrollVisible);
    EXPECT_TRUE(GetWindowLongPtrW(Wnd, GWL_STYLE) & WS_VSCROLL) << "the styles are back after the frame pass";

    const RECT w = Window();
    EXPECT_EQ(HitTest(w.right - 5, w.top + 20), HTVSCROLL);
    EXPECT_EQ(HitTest(w.left + 20, w.bottom - 5), HTHSCROLL);
    EXPECT_EQ(HitTest(w.left + 20, w.top + 20), HTCLIENT);
    EXPECT_NE(HitTest(w.right - 5, w.bottom - 5), HTVSCROLL) << "the corner belongs to neither bar";
}

TEST_F(ScrollBarsTest, AWindowTooSmallForABarShowsNone)
{
    Make(WS_HSCROLL, 120, 10);
    EXPECT_FALSE(Bars()->HBar->ScrollVisible);
    const RECT w = Window();
    EXPECT_NE(HitTest(w.left + 20, w.bottom - 3), HTHSCROLL);
    RECT client{};
    GetClientRect(Wnd, &client);
    EXPECT_EQ(client.bottom, 10);
}

TEST_F(ScrollBarsTest, AnArrowScrollsAtOnceThenRepeatsWhileHeldOverIt)
{
    Make(WS_VSCROLL, 100, 120);
    const RECT w = Window();
    const POINT down{w.right - 8, w.bottom - 8};
    gCursor = down;
    Press(down.x, down.y);
    EXPECT_EQ(Codes(), std::vector<int>{SB_LINEDOWN});
    EXPECT_EQ(GetCapture(), Wnd);
    EXPECT_EQ(CurrentScrollTracking().PressedPortion, ks::spSecondArrow);

    Tick(ScrollFirstRepeatTimer);
    EXPECT_EQ(gCalls.size(), 1u) << "the first delay sends nothing";
    Tick(ScrollRepeatTimer);
    Tick(ScrollRepeatTimer);
    EXPECT_EQ(Codes(), (std::vector<int>{SB_LINEDOWN, SB_LINEDOWN, SB_LINEDOWN}));

    // Off the arrow the repeat pauses; back on it, it goes on.
    gCursor = {w.left + 10, w.top + 10};
    Tick(ScrollRepeatTimer);
    EXPECT_EQ(gCalls.size(), 3u);
    gCursor = down;
    Tick(ScrollRepeatTimer);
    EXPECT_EQ(gCalls.size(), 4u);

    Release();
    EXPECT_EQ(gCalls.back().code, SB_ENDSCROLL);
    EXPECT_EQ(Pos(), 4);
    EXPECT_NE(GetCapture(), Wnd);
    EXPECT_EQ(CurrentScrollTracking().PressedPortion, -1);
    Tick(ScrollRepeatTimer);
    EXPECT_EQ(gCalls.size(), 5u) << "no repeat after the button is up";
}

TEST_F(ScrollBarsTest, PressesOnTheTrackScrollByPages)
{
    Make(WS_VSCROLL, 100, 120, 0, 99, 10, 50);
    const RECT w = Window();
    Press(w.right - 8, w.top + HScrollHeight + 3);
    Release();
    Press(w.right - 8, w.bottom - HScrollHeight - 3);
    Release();
    EXPECT_EQ(Codes(), (std::vector<int>{SB_PAGEUP, SB_ENDSCROLL, SB_PAGEDOWN, SB_ENDSCROLL}));
    EXPECT_EQ(Pos(), 50);
}

TEST_F(ScrollBarsTest, DraggingTheSliderTracksThenSetsThePosition)
{
    Make(WS_VSCROLL, 100, 120);
    const RECT w = Window();
    // Track 120 - 2 x 17 = 86 long, slider 10 (the minimum) at its start.
    const int arrow = HScrollHeight;
    Press(w.right - 8, w.top + arrow + 3);
    EXPECT_TRUE(Bars()->ThumbTracking);
    EXPECT_TRUE(gCalls.empty());

    MoveTo(w.right - 8, w.top + arrow + 38 + 3);
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0].code, SB_THUMBTRACK);
    const int track = 120 - 2 * arrow;
    const int expected = MulDiv(38, 90, track - 10);
    EXPECT_EQ(gCalls[0].hiword, expected);
    EXPECT_EQ(Pos(), expected);

    MoveTo(w.right - 8, w.bottom + 200);
    EXPECT_EQ(gCalls.back().hiword, 90) << "past the end: the last page";
    MoveTo(w.right - 8, w.bottom + 200);
    EXPECT_EQ(gCalls.size(), 2u) << "an unchanged position is not sent again";

    Release();
    EXPECT_EQ(Codes(), (std::vector<int>{SB_THUMBTRACK, SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL}));
    EXPECT_EQ(gCalls[2].hiword, 90);
    EXPECT_FALSE(Bars()->ThumbTracking);
    EXPECT_EQ(Pos(), 90);
}

TEST_F(ScrollBarsTest, PositionsBeyondSixteenBitsTravelWholeOnlyWhenTheWindowAsks)
{
    Make(WS_VSCROLL, 100, 120, 0, 200000, 0, 0);
    const RECT w = Window();
    const int arrow = HScrollHeight;
    for (LRESULT answer : {LRESULT{0}, LRESULT{1}}) {
        SCOPED_TRACE(answer);
        gCalls.clear();
        gBeforeScrollAnswer = answer;
        SCROLLINFO si{sizeof(si), SIF_POS, 0, 0, 0, 0, 0};
        SetScrollInfo(Wnd, SB_VERT, &si, FALSE);
        Press(w.right - 8, w.top + arrow + 2);
        MoveTo(w.right - 8, w.bottom - arrow - 20);
        ASSERT_FALSE(gCalls.empty());
        const ScrollCall c = gCalls.back();
        Release();
        if (answer == 1) {
            EXPECT_GT(c.lParam, 65535);
            EXPECT_EQ(c.hiword, static_cast<int>(c.lParam & 0xFFFF));
        } else {
            EXPECT_EQ(c.lParam, 0);
            EXPECT_EQ(c.hiword, 65535) << "the 16-bit field holds its largest value";
        }
    }
}

TEST_F(ScrollBarsTest, OddRangesNeitherCrashNorLeaveAPressBehind)
{
    struct Case {
        const char* name;
        int min, max;
        UINT page;
        int pos;
    } cases[] = {
        {"empty range", 0, 0, 0, 0},
        {"negative range", 10, -10, 0, 0},
        {"page larger than the range", 0, 9, 500, 0},
        {"beyond 16 bits", 0, 1000000, 1000, 999000},
        {"negative positions", -500, -100, 10, -300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make(WS_VSCROLL | WS_HSCROLL, 100, 120, c.min, c.max, c.page, c.pos);
        const RECT w = Window();
        SendMessageW(Wnd, WM_NCPAINT, 1, 0);
        for (int y = w.top + 1; y < w.bottom - 20; y += 7) {
            gCursor = {w.right - 8, y};
            Press(w.right - 8, y);
            MoveTo(w.right - 8, y + 30);
            Tick(ScrollRepeatTimer);
            Release();
            EXPECT_EQ(CurrentScrollTracking().PressedPortion, -1);
            EXPECT_NE(GetCapture(), Wnd);
            EXPECT_FALSE(Bars()->ThumbTracking);
        }
        for (const ScrollCall& call : gCalls)
            EXPECT_TRUE(call.hiword >= 0 && call.hiword <= 65535);
        Adapter->Free();
        Adapter = nullptr;
        DestroyWindow(Wnd);
        delete Data;
        Data = nullptr;
        gCalls.clear();
    }
}

TEST_F(ScrollBarsTest, APressEndsWhenTheCaptureIsTakenAway)
{
    Make(WS_VSCROLL, 100, 120);
    const RECT w = Window();
    gCursor = {w.right - 8, w.bottom - 8};
    Press(gCursor.x, gCursor.y);
    Tick(ScrollFirstRepeatTimer);
    SetCapture(Form->Handle());
    EXPECT_EQ(gCalls.back().code, SB_ENDSCROLL);
    EXPECT_EQ(CurrentScrollTracking().PressedPortion, -1);
    const size_t sent = gCalls.size();
    Tick(ScrollRepeatTimer);
    EXPECT_EQ(gCalls.size(), sent) << "the repeat does not go on behind the new capture";
    ReleaseCapture();

    // A drag whose capture goes sets the position it reached.
    Press(w.right - 8, w.top + HScrollHeight + 3);
    MoveTo(w.right - 8, w.top + 70);
    ReleaseCapture();
    EXPECT_EQ(Codes().back(), SB_ENDSCROLL);
    EXPECT_EQ(gCalls[gCalls.size() - 2].code, SB_THUMBPOSITION);
    EXPECT_FALSE(Bars()->ThumbTracking);
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class ScrollBarsLifetimeTest : public ScrollBarsTest {};

TEST_F(ScrollBarsLifetimeTest, AWindowDestroyedDuringAPressLeavesNoPressOrCapture)
{
    Make(WS_VSCROLL, 100, 120);
    const RECT w = Window();
    Press(w.right - 8, w.bottom - 8);
    ASSERT_EQ(CurrentScrollTracking().PressedWnd, Wnd);
    DestroyWindow(Wnd);
    EXPECT_EQ(CurrentScrollTracking().PressedWnd, nullptr);
    EXPECT_EQ(CurrentScrollTracking().PressedPortion, -1);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(Adapter->Destroyed);
}

TEST_F(ScrollBarsLifetimeTest, AWindowThatDestroysItselfWhileScrollingOrPaintingLeavesNothingBehind)
{
    for (const bool duringScroll : {true, false}) {
        SCOPED_TRACE(duringScroll ? "while scrolling" : "while painting");
        Make(WS_VSCROLL, 100, 120);
        const RECT w = Window();
        if (duringScroll) {
            gDestroyOnScroll = true;
            Press(w.right - 8, w.bottom - 8);
        } else {
            Data->BackgroundChanged = true;
            gDestroyOnPrepareCache = true;
            SendMessageW(Wnd, WM_NCPAINT, 1, 0);
        }
        EXPECT_FALSE(IsWindow(Wnd));
        EXPECT_TRUE(Adapter->Destroyed);
        EXPECT_EQ(CurrentScrollTracking().PressedWnd, nullptr);
        EXPECT_EQ(CurrentScrollTracking().RepeatTimer, 0u);
        EXPECT_EQ(GetCapture(), nullptr);
        Adapter->Free();
        Adapter = nullptr;
        delete Data;
        Data = nullptr;
    }
}

TEST_F(ScrollBarsTest, TheBarsArePaintedFromTheSkinAndShowThePressedPart)
{
    // At the end already: the press leaves the position, and so the track behind the arrow.
    Make(WS_VSCROLL, 100, 120, 0, 99, 10, 90);
    const RECT w = Window();
    const int t = GetSystemMetrics(SM_CXVSCROLL);
    // The down arrow's square, in window coordinates.
    const RECT arrow{100 - t, 120 - HScrollHeight, 100, 120};
    auto arrowPixels = [&] {
        std::vector<TColor> v;
        for (int y = arrow.top; y < arrow.bottom; ++y)
            for (int x = arrow.left; x < arrow.right; ++x)
                v.push_back(NcPixel(x, y));
        return v;
    };
    SendMessageW(Wnd, WM_NCPAINT, 1, 0);
    const std::vector<TColor> normal = arrowPixels();
    Press(w.left + 100 - t / 2, w.bottom - 4);
    const std::vector<TColor> pressed = arrowPixels();
    EXPECT_EQ(CurrentScrollTracking().PressedHotPortion, ks::spSecondArrow);
    Release();
    EXPECT_NE(normal, pressed) << "the pressed arrow takes the pressed cell";
    EXPECT_EQ(arrowPixels(), normal) << "and the normal one after";
    int platform = 0;
    for (TColor c : normal)
        platform += c == ColorToRGB(clBtnFace) || c == ColorToRGB(clScrollBar);
    EXPECT_EQ(platform, 0) << "nothing of the platform's own bar shows";
    const TColor track = NcPixel(100 - t / 2, HScrollHeight + 2);
    EXPECT_NE(track, ColorToRGB(clBtnFace));
}

TEST_F(ScrollBarsTest, AFormsOwnBarsStandOnTheFormsOwnPicture)
{
    auto picture = NewBitmap24(160, 140);
    FillRectSolid(picture->Canvas().Handle(), {0, 0, 160, 140}, OwnPictureColour);
    gOwnPicture = picture.get();
    const wchar_t* cls = RegisterTestClass(L"KsOwnPictureWindow", OwnPictureProc);
    HWND form = CreateWindowExW(0, cls, L"", WS_POPUP | WS_VISIBLE | WS_BORDER | WS_HSCROLL | WS_VSCROLL, 60, 60, 160,
                                140, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 99, 10, 0, 0};
    SetScrollInfo(form, SB_VERT, &si, FALSE);
    SetScrollInfo(form, SB_HORZ, &si, FALSE);
    Data = new TsCommonData(nullptr, true);
    Data->SetSkinSection("EDIT");
    Adapter = TacMainWnd::Create<TacScrollWnd>(form, Data, nullptr, "", true);
    Pump();
    SendMessageW(form, WM_NCPAINT, 1, 0);
    // The square between the two bars shows what lies behind it: the form's picture.
    TRect h, v;
    GetHScrollRect(Bars(), form, h);
    GetVScrollRect(Bars(), form, v);
    RECT w{};
    GetWindowRect(form, &w);
    EXPECT_EQ(ScreenPixel(form, v.Left - w.left + 1, h.Top - w.top + 1), ColorToRGB(OwnPictureColour));
    Adapter->Free();
    Adapter = nullptr;
    DestroyWindow(form);
    gOwnPicture = nullptr;
}

TEST_F(ScrollBarsTest, HoveringLightsThePartUnderTheCursorUntilItLeaves)
{
    Make(WS_VSCROLL, 100, 120);
    const RECT w = Window();
    const POINT up{w.right - 8, w.top + 4};
    gCursor = up;
    SendMessageW(Wnd, WM_NCMOUSEMOVE, HTVSCROLL, MAKELPARAM(up.x, up.y));
    EXPECT_EQ(CurrentScrollTracking().HoverBar, SB_VERT);
    EXPECT_NE(CurrentScrollTracking().HoverTimer, 0u);
    const TColor before = NcPixel(100 - 1, 5);
    Tick(ScrollHoverTimer);
    EXPECT_EQ(CurrentScrollTracking().HoverPortion, ks::spFirstArrow);
    EXPECT_NE(NcPixel(100 - 1, 5), before) << "the hovered arrow is hot";

    gCursor = {w.left - 50, w.top - 50};
    Tick(ScrollHoverTimer);
    EXPECT_EQ(CurrentScrollTracking().HoverBar, -1);
    EXPECT_EQ(CurrentScrollTracking().HoverTimer, 0u);
    EXPECT_EQ(NcPixel(100 - 1, 5), before) << "normal again once the cursor left";
}

TEST_F(ScrollBarsTest, ASkinWithoutScrollSectionsStillScrollsAndPaintsNothing)
{
    const TsCommonIndexes saved = Manager->CommonIndexes;
    Manager->CommonIndexes.ScrollBarIndex = {-1, -1, -1, -1};
    Manager->CommonIndexes.ScrollBtnIndex = {-1, -1, -1, -1};
    Manager->CommonIndexes.SliderIndex = {-1, -1};
    Make(WS_VSCROLL, 100, 120);
    SendMessageW(Wnd, WM_NCPAINT, 1, 0);
    const RECT w = Window();
    Press(w.right - 8, w.bottom - 8);
    Release();
    EXPECT_EQ(Codes(), (std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL}));
    Manager->CommonIndexes = saved;
}

TEST_F(ScrollBarsTest, ALeftScrollBarSwitchedOnAtRunTimeMovesLeft)
{
    Make(WS_VSCROLL, 100, 120);
    SetWindowLongPtrW(Wnd, GWL_EXSTYLE, GetWindowLongPtrW(Wnd, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
    SetWindowPos(Wnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    EXPECT_TRUE(Bars()->LeftScrollBar);
    const RECT w = Window();
    EXPECT_EQ(HitTest(w.left + 5, w.top + 40), HTVSCROLL);
    EXPECT_NE(HitTest(w.right - 5, w.top + 40), HTVSCROLL);
}


// A handler of the first step that takes the mouse away (a modal box, a disabled window, a drag
// of its own or of the slider) ends the press: nothing holds the mouse after the user's release,
// and no repeat scrolls on, nor while the button is held behind a press begun by the handler.
TEST_F(ScrollBarsTest, AFirstStepThatTakesTheMouseAwayEndsThePress)
{
    const std::vector<int> stepped{SB_LINEDOWN, SB_ENDSCROLL};
    struct Case {
        const char* name;
        void (*handler)(HWND);
        DWORD hold;
        std::vector<int> codes;
    };
    const Case cases[] = {
        {"DisablesTheWindow", [](HWND wnd) { EnableWindow(wnd, FALSE); }, 60, stepped},
        {"CancelsTheMode", [](HWND wnd) { SendMessageW(wnd, WM_CANCELMODE, 0, 0); }, 60, stepped},
        // A drag loop of its own: it holds the mouse until the button comes up, then lets go.
        {"TakesTheMouseUntilTheRelease",
         [](HWND wnd) {
             SetCapture(GetParent(wnd));
             POINT at{};
             GetCursorPos(&at);
             INPUT up = MouseAt(at, MOUSEEVENTF_LEFTUP);
             SendInput(1, &up, sizeof up);
             PumpFor(60);
             ReleaseCapture();
         },
         60, stepped},
        // The slider is grabbed away from the cursor, which rests on the arrow: held past the
        // arrow's repeat delay, the drag stays put until the mouse moves.
        {"DragsTheSlider",
         [](HWND wnd) {
             RECT w{};
             GetWindowRect(wnd, &w);
             const POINT slider{w.right - 8, w.top + HScrollHeight + 3};
             SendMessageW(wnd, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(slider.x, slider.y));
         },
         600, {SB_LINEDOWN, SB_THUMBPOSITION, SB_ENDSCROLL}},
    };
    Make(WS_VSCROLL, 100, 120);
    const RECT w = Window();
    const POINT arrow{w.right - 8, w.bottom - 8};
    gCursor = arrow;
    SetForegroundWindow(Form->Handle());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetScrollPos(Wnd, SB_VERT, 0, FALSE);
        gCalls.clear();
        gOnScroll = c.handler;
        MoveMouse(arrow, 30);
        ClickMouse(arrow, c.hold);
        PumpFor(60);
        EXPECT_EQ(Codes(), c.codes);
        EXPECT_EQ(GetCapture(), nullptr) << "the mouse is free for the next click";
        EXPECT_EQ(CurrentScrollTracking().PressedPortion, -1);
        Tick(ScrollFirstRepeatTimer);
        Tick(ScrollRepeatTimer);
        EXPECT_EQ(gCalls.size(), c.codes.size()) << "no repeat after the release";
        EnableWindow(Wnd, TRUE);
        gOnScroll = nullptr;
    }
}

// The skin switched off while an arrow is held, or by the first step itself: the press ends
// with it, its timers stop and the mouse is free; switched on again nothing scrolls on.
TEST_F(ScrollBarsLifetimeTest, ASkinSwitchedOffDuringAPressEndsThePress)
{
    Manager->AnimEffects()->SkinChanging()->SetActive(false);
    gManager = Manager;
    for (const bool fromTheStep : {false, true}) {
        SCOPED_TRACE(fromTheStep ? "from the first step" : "while held");
        Make(WS_VSCROLL, 100, 120);
        const RECT w = Window();
        const POINT arrow{w.right - 8, w.bottom - 8};
        gCursor = arrow;
        gCalls.clear();
        if (fromTheStep)
            gOnScroll = [](HWND) { gManager->SetActive(false); };
        SetForegroundWindow(Form->Handle());
        MoveMouse(arrow, 30);
        INPUT down = MouseAt(arrow, MOUSEEVENTF_LEFTDOWN);
        SendInput(1, &down, sizeof down);
        PumpFor(60);
        if (!fromTheStep)
            Manager->SetActive(false);
        INPUT up = MouseAt(arrow, MOUSEEVENTF_LEFTUP);
        SendInput(1, &up, sizeof up);
        PumpFor(60);
        EXPECT_EQ(CurrentScrollTracking().PressedPortion, -1);
        EXPECT_EQ(GetCapture(), nullptr);
        Manager->SetActive(true);
        const size_t sent = gCalls.size();
        PumpFor(450);
        EXPECT_EQ(gCalls.size(), sent) << "no timer of the press scrolls on";
        EXPECT_EQ(Pos(), 1);
        Adapter->Free();
        Adapter = nullptr;
        DestroyWindow(Wnd);
        delete Data;
        Data = nullptr;
    }
    gManager = nullptr;
}

// A mirrored window's bars show where their room is reserved and where the hit test answers:
// on a parent laid out left to right, the vertical bar at the left of the screen, at the right
// with WS_EX_LEFTSCROLLBAR, and each reads as the same bar of a window laid out left to right.
TEST_F(ScrollBarsTest, AMirroredWindowsBarsShowWhereTheyAreHitAndReserved)
{
    const struct Case {
        const char* name;
        DWORD exStyle;
        bool leftBar;
    } cases[] = {
        {"RightToLeft", WS_EX_LAYOUTRTL, true},
        {"RightToLeftWithLeftBar", WS_EX_LAYOUTRTL | WS_EX_LEFTSCROLLBAR, false},
        {"LeftBar", WS_EX_LEFTSCROLLBAR, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make(WS_VSCROLL | WS_HSCROLL, 120, 100, 0, 99, 10, 30, c.exStyle);
        RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        Pump();
        const RECT w = Window();
        TRect v, h;
        GetVScrollRect(Bars(), Wnd, v);
        GetHScrollRect(Bars(), Wnd, h);
        EXPECT_EQ(c.leftBar ? v.Left - w.left : w.right - v.Right, 0);
        EXPECT_EQ(HitTest((v.Left + v.Right) / 2, v.Top + 30), HTVSCROLL);

        // The bars as the engine composes them, laid out left to right.
        auto composed = NewBitmap24(w.right - w.left, w.bottom - w.top);
        DrawScrollBars(Bars(), Wnd, composed->Canvas().Handle(), -1);
        GdiFlush();
        // What the screen shows, read without any mirroring.
        auto shown = NewBitmap24(w.right - w.left, w.bottom - w.top);
        {
            ks::WindowDC screen(nullptr);
            BitBlt(shown->Canvas().Handle(), 0, 0, shown->Width(), shown->Height(), screen.get(), w.left, w.top,
                   SRCCOPY);
        }
        GdiFlush();
        int differing = 0;
        for (const TRect& r : {v, h})
            for (int y = r.Top - w.top; y < r.Bottom - w.top; ++y)
                for (int x = r.Left - w.left; x < r.Right - w.left; ++x)
                    differing += GetPixel(shown->Canvas().Handle(), x, y) != GetPixel(composed->Canvas().Handle(), x, y);
        EXPECT_EQ(differing, 0);
        if (c.exStyle == WS_EX_LAYOUTRTL)
            WriteSheetPng(*shown, std::string(KS_BUILD_DIR) + "/mirrored-scroll-bars.png");

        // A press where the down arrow shows scrolls down, and its repeat goes on there.
        gCalls.clear();
        gCursor = {(v.Left + v.Right) / 2, v.Bottom - 4};
        Press(gCursor.x, gCursor.y);
        Tick(ScrollFirstRepeatTimer);
        Tick(ScrollRepeatTimer);
        Release();
        EXPECT_EQ(Codes(), (std::vector<int>{SB_LINEDOWN, SB_LINEDOWN, SB_ENDSCROLL}));
        Adapter->Free();
        Adapter = nullptr;
        DestroyWindow(Wnd);
        delete Data;
        Data = nullptr;
    }
}

// A mirrored window's horizontal bar runs from the right, as the platform draws it: at the first
// position the slider is drawn and grabbed at the right end, dragged left it raises the
// position, and the arrow at the left steps forward.
TEST_F(ScrollBarsTest, AMirroredWindowsHorizontalBarRunsFromTheRight)
{
    const struct Case {
        const char* name;
        DWORD exStyle;
        bool fromRight;
    } cases[] = {
        {"LeftToRight", 0, false},
        {"RightToLeft", WS_EX_LAYOUTRTL, true},
        {"RightToLeftWithLeftBar", WS_EX_LAYOUTRTL | WS_EX_LEFTSCROLLBAR, true},
    };
    const int arrow = HScrollHeight;
    // A column inside the slider of a left-to-right bar, near the slider's start.
    std::vector<TColor> sliderColumn;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A half page: the slider is half the track long, so its inside is plain.
        Make(WS_VSCROLL | WS_HSCROLL, 160, 100, 0, 99, 50, 0, c.exStyle);
        const RECT w = Window();
        TRect h;
        GetHScrollRect(Bars(), Wnd, h);
        const int y = (h.Top + h.Bottom) / 2;
        auto fromStart = [&](int along) { return c.fromRight ? h.Right - 1 - along : h.Left + along; };

        auto composed = NewBitmap24(w.right - w.left, w.bottom - w.top);
        DrawScrollBars(Bars(), Wnd, composed->Canvas().Handle(), -1);
        GdiFlush();
        const int x = fromStart(arrow + 8) - w.left;
        std::vector<TColor> column;
        for (int row = h.Top; row < h.Bottom; ++row)
            column.push_back(static_cast<TColor>(GetPixel(composed->Canvas().Handle(), x, row - w.top)));
        if (!c.fromRight)
            sliderColumn = column;
        else
            EXPECT_EQ(column, sliderColumn) << "the slider is drawn at the first position's end";

        gCalls.clear();
        Press(fromStart(arrow + 3), y);
        EXPECT_TRUE(Bars()->ThumbTracking) << "the slider is grabbed at the first position's end";
        MoveTo(fromStart(arrow + 3 + 30), y);
        Release();
        EXPECT_GT(Pos(SB_HORZ), 0) << "dragged away from that end it scrolls forward";

        const int before = Pos(SB_HORZ);
        gCalls.clear();
        Press(h.Left + 4, y);
        Release();
        EXPECT_EQ(Codes(), (std::vector<int>{c.fromRight ? SB_LINERIGHT : SB_LINELEFT, SB_ENDSCROLL}));
        EXPECT_EQ(Pos(SB_HORZ), before + (c.fromRight ? 1 : -1));
        Adapter->Free();
        Adapter = nullptr;
        DestroyWindow(Wnd);
        delete Data;
        Data = nullptr;
    }
}

// A skinned form's own bars and the square between them stand on the form's picture where they
// stand, with the vertical bar on either side. The picture tells each pixel's place in it.
TEST_F(ScrollBarsTest, AFormsBarsStandOnTheFormsPictureWithTheBarOnEitherSide)
{
    const struct Case {
        const char* name;
        bool left;
    } cases[] = {{"RightBar", false}, {"LeftBar", true}};
    const auto placeColour = [](int x, int y) { return static_cast<TColor>(RGB(x & 0xFF, y & 0xFF, 0x80)); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ks::SetNextFormCreation({true, false, {}});
        auto* form = CreateNew<TForm>(nullptr);
        form->SetBounds(60, 60, 260, 200);
        form->Show();
        Pump();
        HWND wnd = form->Handle();
        SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) | WS_HSCROLL | WS_VSCROLL);
        if (c.left)
            SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LEFTSCROLLBAR);
        SCROLLINFO si{sizeof(si), SIF_ALL, 0, 99, 10, 0, 0};
        SetScrollInfo(wnd, SB_VERT, &si, FALSE);
        SetScrollInfo(wnd, SB_HORZ, &si, FALSE);
        form->SetAutoScroll(true);
        auto* provider = Create<TsSkinProvider>(form);
        provider->SkinData()->SetSkinManager(Manager);
        provider->SetUpForm();
        provider->UpdateFormScrolls();
        SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        Pump();
        TacScrollWnd* bars = provider->ScrollAdapter;
        ASSERT_NE(bars, nullptr);
        ASSERT_EQ(bars->LeftScrollBar, c.left);
        ASSERT_TRUE(bars->VBar->ScrollVisible && bars->HBar->ScrollVisible);

        if (c.left) {
            RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
            Pump();
            WriteSheetPng(*ScreenPicture(wnd), std::string(KS_BUILD_DIR) + "/left-scroll-bar-form.png");
        }
        // The form's section answers with its picture (a gradient keeps it from answering a
        // plain colour), which then takes the pattern.
        TsGeneralData& section = Manager->GeneralDataArray[static_cast<size_t>(provider->SkinData()->SkinIndex)];
        const TsGeneralData saved = section;
        section.GradientPercent = 50;
        section.HotGradientPercent = 50;
        provider->SkinData()->BackgroundChanged = true;
        provider->PaintNonClient();
        TBitmap& picture = *provider->SkinData()->CacheBitmap;
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                SetPixelV(picture.Canvas().Handle(), x, y, static_cast<COLORREF>(placeColour(x, y)));
        GdiFlush();
        provider->SkinData()->BackgroundChanged = false;

        RECT w{};
        GetWindowRect(wnd, &w);
        auto shown = NewBitmap24(w.right - w.left, w.bottom - w.top);
        DrawScrollBars(bars, wnd, shown->Canvas().Handle(), -1);
        GdiFlush();
        TRect h, v;
        GetHScrollRect(bars, wnd, h);
        GetVScrollRect(bars, wnd, v);
        // The square between the bars: its own place of the picture, but where the size grip is.
        int matching = 0, area = 0;
        for (int y = h.Top - w.top; y < h.Bottom - w.top; ++y)
            for (int x = v.Left - w.left; x < v.Right - w.left; ++x, ++area)
                matching += GetPixel(shown->Canvas().Handle(), x, y) == static_cast<COLORREF>(placeColour(x, y));
        EXPECT_GT(matching, area / 2);
        section = saved;
        form->Free();
        Pump();
    }
}

} // namespace
