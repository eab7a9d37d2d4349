// Standard dialogs framed by the layered border window under the internal skin with extended
// borders on: the platform's message box and a sizeable dialog of our own, driven by the
// messages the system sends the border window for a user's mouse. The border window surrounds
// the dialog, follows it, passes its title buttons, caption and edges on to it, shows its
// activation and caption, and goes with it. A picture of a message box is left under the build
// folder.
#include "skin/core/FormAnimation.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "skin/images/acPNG.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/forms/BorderTestSupport.h"
#include "win/skin/forms/DialogSkinFixture.h"
#include "win/skin/forms/RealMouse.h"
#include "win/support/FakeCursor.h"
#include "win/support/FreedPages.h"
#include "win/support/ProcessCounters.h"
#include "win/support/InternalSkin.h"
#include "win/support/SheetPng.h"
#include "win/support/WindowClasses.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <span>
#include <utility>
#include <vector>

using namespace ks::test;

namespace {

int gLayeredUpdates = 0;

BOOL WINAPI CountLayered(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD)
{
    ++gLayeredUpdates;
    return TRUE;
}

// The program's embedded shadow pictures, as the build made them for its resources; this test
// program has no resources of its own.
std::span<const uint8_t> EngineShadows(const wchar_t* name)
{
    auto load = [](const char* file) {
        std::ifstream in(std::string("Z:") + KS_BUILD_DIR + "/skins/generated/" + file, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    };
    static const std::vector<uint8_t> active = load("acSHDA.png");
    static const std::vector<uint8_t> inactive = load("acSHDI.png");
    const std::wstring_view n = name;
    return n == L"acSHDA" ? std::span<const uint8_t>(active)
           : n == L"acSHDI" ? std::span<const uint8_t>(inactive)
                            : std::span<const uint8_t>{};
}

RECT WindowRectOf(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return r;
}

POINT ClientOrigin(HWND wnd)
{
    POINT p{0, 0};
    ClientToScreen(wnd, &p);
    return p;
}

// The alpha of a pixel of a 32-bit image.
int AlphaAt(TBitmap& image, int x, int y)
{
    GdiFlush();
    return static_cast<int>(ks::GetPixel32(image.View(), x, y) >> 24);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG;
}

// A window of the program lying below a box's shadow, whose click destroys the box.
HWND gBoxToDestroy = nullptr;
LRESULT CALLBACK DestroysTheBoxOnClickProc(HWND wnd, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_LBUTTONDOWN && gBoxToDestroy)
        DestroyWindow(std::exchange(gBoxToDestroy, nullptr));
    return DefWindowProcW(wnd, msg, w, l);
}

// A modeless box as programs write one: closed, it destroys itself.
INT_PTR CALLBACK DestroyedOnCloseProc(HWND wnd, UINT msg, WPARAM w, LPARAM)
{
    if (msg == WM_CLOSE || (msg == WM_COMMAND && LOWORD(w) == IDCANCEL)) {
        DestroyWindow(wnd);
        return TRUE;
    }
    return msg == WM_INITDIALOG;
}

class DialogBorderTest : public DialogFixture {
protected:
    void SetUp() override
    {
        // The skin manager's unit takes the embedded shadows when it starts; before the fixture
        // counts the handles, which the pictures hold until the test ends.
        InitializeAcPNG();
        FResources = std::exchange(ks::Sys().FindFormResource, &EngineShadows);
        FinalizeSkinManagerUnit();
        InitializeSkinManagerUnit();
        DialogFixture::SetUp();
        ASSERT_TRUE(ShadowActiveImage() && ShadowInactiveImage()) << "the build's shadow pictures";
        FreeAndNil(Manager);
        Manager = NewInternalSkinManager();
        ASSERT_TRUE(Manager->SkinData.SkinActive);
        Manager->SetExtendedBorders(true);
        if (!Manager->ExtendedBorders())
            GTEST_SKIP() << "no layered windows here";
    }
    void TearDown() override
    {
        for (HWND wnd : FDialogs)
            if (IsWindow(wnd))
                DestroyWindow(wnd);
        DialogFixture::TearDown();
        ks::Sys().FindFormResource = FResources;
        FinalizeSkinManagerUnit();
        InitializeSkinManagerUnit();
        FinalizeAcPNG();
    }

    static HWND BorderOf(TacDialogWnd& d) { return d.BorderForm() ? d.BorderForm()->WindowHandle() : nullptr; }

    // A point of the border window's image on the screen.
    static POINT OnBorder(TacDialogWnd& d, TPoint p)
    {
        const RECT r = WindowRectOf(BorderOf(d));
        return {r.left + p.X, r.top + p.Y};
    }

    // The mouse as the system moves it over the border window: a hit test, then the cursor.
    static void Hover(HWND border, POINT at)
    {
        UseFakeCursor(at);
        const LRESULT hit = SendMessageW(border, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
        SendMessageW(border, WM_SETCURSOR, reinterpret_cast<WPARAM>(border), MAKELPARAM(hit, WM_MOUSEMOVE));
    }

    HWND MakeDialog(DWORD style, const wchar_t* title, DLGPROC proc = &PlainDialogProc)
    {
        DialogTemplate t(style, title);
        t.Item(L"Button", BS_PUSHBUTTON | WS_VISIBLE, IDOK, L"OK", 8, 60);
        HWND wnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.Get(), nullptr, proc, 0);
        FDialogs.push_back(wnd);
        Pump();
        return wnd;
    }

    std::vector<HWND> FDialogs;
    std::span<const uint8_t> (*FResources)(const wchar_t*) = nullptr;
};

TEST_F(DialogBorderTest, TheBorderFramesTheBoxFollowsItAndGoesWithIt)
{
    HWND border = nullptr;
    RunBox(nullptr, L"Сгенерировать новый пароль?", L"Keysmith", MB_OKCANCEL | MB_ICONQUESTION, [&](HWND box) {
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        ASSERT_NE(d->BorderForm(), nullptr) << "the manager's extended borders reach the box";
        border = BorderOf(*d);
        ASSERT_TRUE(IsWindowVisible(border));
        EXPECT_NE(GetWindowLongPtrW(border, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
        EXPECT_EQ(GetWindowLongPtrW(border, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);

        // The skin's frame (its border width and title height) lies around the box's client area
        // inside the shadow margins, whatever the system's frame measures are.
        const TRect m = d->ExtBorderMargins();
        EXPECT_EQ(m, (TRect{11, 7, 11, 11})) << "the margins of the internal skin's shadow pictures";
        const int skinBorder = Manager->SkinData.BorderWidth, skinTitle = Manager->SkinData.TitleHeight;
        EXPECT_EQ(d->CaptionHeight(true), skinTitle) << "the border's title is the skin's";
        EXPECT_EQ(d->CaptionHeight(false), GetSystemMetrics(SM_CYCAPTION));
        RECT client{};
        GetClientRect(box, &client);
        const POINT origin = ClientOrigin(box);
        const RECT b = WindowRectOf(border);
        EXPECT_EQ(b.left, origin.x - m.Left - skinBorder);
        EXPECT_EQ(b.top, origin.y - m.Top - skinTitle);
        EXPECT_EQ(b.right - b.left, client.right + 2 * skinBorder + m.Left + m.Right);
        EXPECT_EQ(b.bottom - b.top, client.bottom + skinTitle + skinBorder + m.Top + m.Bottom);
        TBitmap& image = *d->SkinData->CacheBitmap;
        ASSERT_EQ(image.PixelFormat(), pf32bit);
        EXPECT_EQ(image.Width(), b.right - b.left);
        EXPECT_EQ(image.Height(), b.bottom - b.top);
        EXPECT_LT(AlphaAt(image, 0, image.Height() / 2), 255) << "the shadow lets the desktop through";
        EXPECT_EQ(AlphaAt(image, image.Width() / 2, m.Top + skinTitle / 2), 255) << "the title is opaque";
        EXPECT_EQ(AlphaAt(image, m.Left + 1, image.Height() / 2), 255) << "so is the frame";
        // The shadow shows through the frame's transparent corners only, not across the title.
        int holes = 0;
        for (int x = m.Left; x < image.Width() - m.Right; ++x)
            holes += AlphaAt(image, x, m.Top + skinTitle / 2) != 255;
        EXPECT_EQ(holes, 0);
        const TRect close = d->BtnClose.Rect;
        ASSERT_GT(close.Width(), 0);
        EXPECT_GE(close.Top, m.Top) << "the buttons lie on the frame, below the shadow";
        EXPECT_LE(close.Right, image.Width() - m.Right);
        EXPECT_EQ(AlphaAt(image, (close.Left + close.Right) / 2, (close.Top + close.Bottom) / 2), 255);

        // The box's own window keeps only its client area: the frame on the screen is the border's.
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(GetWindowRgn(box, region), ERROR);
        const RECT w = WindowRectOf(box);
        EXPECT_FALSE(PtInRegion(region, (w.right - w.left) / 2, 2)) << "no title of the platform's";
        EXPECT_TRUE(PtInRegion(region, origin.x - w.left + 1, origin.y - w.top + 1));
        DeleteObject(region);

        // Moved and sized, the border keeps its place around the box.
        SetWindowPos(box, nullptr, w.left + 30, w.top + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT moved = WindowRectOf(border);
        EXPECT_EQ(moved.left - b.left, 30);
        EXPECT_EQ(moved.top - b.top, 20);
        SetWindowPos(box, nullptr, 0, 0, w.right - w.left + 40, w.bottom - w.top + 24, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        moved = WindowRectOf(border);
        EXPECT_EQ(moved.right - moved.left, b.right - b.left + 40);
        EXPECT_EQ(moved.bottom - moved.top, b.bottom - b.top + 24);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    ASSERT_NE(border, nullptr);
    Pump();
    EXPECT_FALSE(IsWindow(border)) << "the border went with the box, not only off the screen";
}

// Run under the heap check, with every block of the box's objects on pages that fault once freed.
class DialogBorderLifetime : public DialogBorderTest {};

TEST_F(DialogBorderLifetime, TheCloseButtonOnTheBorderClosesTheBox)
{
    int pressed = -1, stillPressed = -1;
    const int result = RunBox(nullptr, L"text", L"Keysmith", MB_OKCANCEL, [&](HWND box) {
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        ASSERT_NE(d->BorderForm(), nullptr);
        const HWND border = BorderOf(*d);
        ASSERT_GT(d->BtnClose.Rect.Width(), 0);
        const TRect r = d->BtnClose.Rect;
        const POINT close = OnBorder(*d, {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
        Hover(border, close);
        EXPECT_EQ(d->HotCode, HTCLOSE) << "lit from the border";
        SendMessageW(border, WM_NCLBUTTONDOWN, 19, MAKELPARAM(close.x, close.y));
        pressed = d->BtnClose.State;
        Hover(border, close);
        stillPressed = d->BtnClose.State;
        SendMessageW(border, WM_NCLBUTTONUP, 19, MAKELPARAM(close.x, close.y));
    });
    EXPECT_EQ(pressed, 2);
    EXPECT_EQ(stillPressed, 2) << "the hit test that confirms the press keeps it";
    EXPECT_EQ(result, IDCANCEL) << "closed as by its close box";
}

// A user's click after a rest on the button, with the button's glow window lying over the
// border window: the box's close button, and the restore button of a minimised dialog.
TEST_F(DialogBorderTest, TitleButtonsOnTheBorderAnswerAUsersClick)
{
    for (DWORD pause : {0u, 100u, 500u}) {
        SCOPED_TRACE(testing::Message() << pause << " ms");
        bool closedByClick = false;
        const int result = RunBox(nullptr, L"text", L"Keysmith", MB_OKCANCEL, [&](HWND box) {
            TacDialogWnd* d = DialogAdapter(box);
            ASSERT_NE(d, nullptr);
            ASSERT_NE(d->BorderForm(), nullptr);
            const TRect r = d->BtnClose.Rect;
            ClickAfterHover(OnBorder(*d, {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}), pause);
            closedByClick = PumpUntil([&] { return !IsWindowVisible(box); });
        });
        EXPECT_TRUE(closedByClick);
        EXPECT_EQ(result, IDCANCEL);

        const HWND wnd = MakeDialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, L"Свой диалог");
        TacDialogWnd* d = DialogAdapter(wnd);
        ASSERT_NE(d, nullptr);
        ShowWindow(wnd, SW_MINIMIZE);
        Pump();
        ASSERT_TRUE(IsIconic(wnd));
        ASSERT_NE(d->BorderForm(), nullptr);
        ASSERT_TRUE(IsWindowVisible(BorderOf(*d)));
        const TRect r = d->BtnMin.Rect;
        ASSERT_GT(r.Width(), 0);
        const POINT restore = OnBorder(*d, {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
        EXPECT_EQ(d->BorderForm()->BorderHitTest({restore.x, restore.y}), HTMINBUTTON) << "not the caption";
        ClickAfterHover(restore, pause);
        EXPECT_TRUE(PumpUntil([&] { return !IsIconic(wnd); })) << "restored";
        DestroyWindow(wnd);
        Pump();
    }
}

TEST_F(DialogBorderTest, TheBoxMovesByDraggingItsCaptionOnTheBorder)
{
    RECT before{}, after{}, borderBefore{}, borderAfter{};
    RunBox(nullptr, L"text", L"Keysmith", MB_OK, [&](HWND box) {
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        ASSERT_NE(d->BorderForm(), nullptr);
        const HWND border = BorderOf(*d);
        SetForegroundWindow(box);
        Pump();
        before = WindowRectOf(box);
        borderBefore = WindowRectOf(border);
        const TRect m = d->ExtBorderMargins();
        const POINT caption = OnBorder(*d, {m.Left + 40, m.Top + d->CaptionHeight(true) / 2});
        ASSERT_EQ(WindowFromPoint(caption), border) << "the caption on the screen is the border window's";
        Drag(caption, {caption.x + 40, caption.y + 30});
        after = WindowRectOf(box);
        borderAfter = WindowRectOf(border);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(after.left - before.left, 40);
    EXPECT_EQ(after.top - before.top, 30);
    EXPECT_EQ(after.right - after.left, before.right - before.left) << "moved, not sized";
    EXPECT_EQ(borderAfter.left - borderBefore.left, 40);
    EXPECT_EQ(borderAfter.top - borderBefore.top, 30);
}

// The sum of the colours of a band of the image: what tells that its look changed.
uint64_t BandSum(TBitmap& image, int top, int bottom)
{
    GdiFlush();
    uint64_t sum = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.Width(); ++x)
            sum = sum * 31 + (ks::GetPixel32(image.View(), x, y) & 0xFFFFFF);
    return sum;
}

TEST_F(DialogBorderTest, ActivationAndANewCaptionRepaintTheBorder)
{
    ks::Sys().UpdateLayeredWindowPtr = CountLayered;
    RunBox(nullptr, L"text", L"Keysmith", MB_OK, [&](HWND box) {
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        ASSERT_NE(d->BorderForm(), nullptr);
        TBitmap& image = *d->SkinData->CacheBitmap;
        const TRect m = d->ExtBorderMargins();
        const int titleBottom = m.Top + d->CaptionHeight(true);
        struct Step {
            const char* name;
            std::function<void()> act;
            int top, bottom;
        } steps[] = {
            {"inactive", [&] { SendMessageW(box, WM_NCACTIVATE, FALSE, 0); }, 0, m.Top},
            {"active again", [&] { SendMessageW(box, WM_NCACTIVATE, TRUE, 0); }, 0, m.Top},
            {"new caption", [&] { SetWindowTextW(box, L"Новый заголовок окна"); }, m.Top, titleBottom},
        };
        for (const Step& s : steps) {
            SCOPED_TRACE(s.name);
            const uint64_t was = BandSum(image, s.top, s.bottom);
            const int updates = gLayeredUpdates;
            s.act();
            EXPECT_GT(gLayeredUpdates, updates) << "the border window shows the new look";
            EXPECT_NE(BandSum(image, s.top, s.bottom), was);
        }
        EXPECT_TRUE(d->FormActive);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
}

TEST_F(DialogBorderTest, ASizeableDialogOfOurOwnMaximisesFromItsBorderAndGoesWithIt)
{
    const HWND wnd = MakeDialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX |
                                    WS_MINIMIZEBOX | WS_VISIBLE,
                                L"Свой диалог");
    TacDialogWnd* d = DialogAdapter(wnd);
    ASSERT_NE(d, nullptr);
    ASSERT_NE(d->BorderForm(), nullptr);
    const HWND border = BorderOf(*d);
    ASSERT_TRUE(IsWindowVisible(border));
    TacBorderForm* bf = d->BorderForm();
    const TRect m = d->ExtBorderMargins();
    const RECT b = WindowRectOf(border);
    auto centre = [&](const TitleButtonRec& rec) {
        return OnBorder(*d, {(rec.Rect.Left + rec.Rect.Right) / 2, (rec.Rect.Top + rec.Rect.Bottom) / 2});
    };
    struct Case {
        const char* name;
        POINT at;
        int code;
    } cases[] = {
        {"Maximise", centre(d->BtnMax), HTMAXBUTTON},
        {"Minimise", centre(d->BtnMin), HTMINBUTTON},
        {"Right edge", {b.right - m.Right - 1, (b.top + b.bottom) / 2}, HTRIGHT},
        {"Bottom left", {b.left + m.Left, b.bottom - m.Bottom - 1}, HTBOTTOMLEFT},
        {"Caption", {b.left + m.Left + 40, b.top + m.Top + d->CaptionHeight(true) / 2}, HTCAPTION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(bf->BorderHitTest({c.at.x, c.at.y}), c.code);
    }

    // Hidden, the dialog takes its border off the screen; shown again, it has one again.
    ShowWindow(wnd, SW_HIDE);
    EXPECT_FALSE(IsWindow(border) && IsWindowVisible(border));
    ShowWindow(wnd, SW_SHOW);
    ASSERT_NE(d->BorderForm(), nullptr);
    EXPECT_TRUE(IsWindowVisible(BorderOf(*d)));

    const POINT max = centre(d->BtnMax);
    const HWND again = BorderOf(*d);
    Hover(again, max);
    SendMessageW(again, WM_NCLBUTTONDOWN, 19, MAKELPARAM(max.x, max.y));
    Hover(again, max);
    SendMessageW(again, WM_NCLBUTTONUP, 19, MAKELPARAM(max.x, max.y));
    Pump();
    EXPECT_TRUE(IsZoomed(wnd));

    const HWND shown = BorderOf(*d);
    DestroyWindow(wnd);
    Pump();
    EXPECT_FALSE(IsWindow(shown) && IsWindowVisible(shown)) << "the border went with the dialog";
}

// Closed from its border window (by the close box, by a double-click on its icon, or by the
// window below its shadow, which the border passes a click on), the box is destroyed, and its
// border with it, while the border window's own procedure still runs: the border goes once that
// is done.
TEST_F(DialogBorderLifetime, AModelessBoxClosedFromItsBorderTakesTheBorderOnceTheClickIsDone)
{
    const struct {
        const char* name;
        void (*close)(HWND border, POINT at);
        int code; // where on the title; 0 on the shadow
    } ways[] = {
        {"the close box",
         [](HWND border, POINT at) {
             Hover(border, at);
             SendMessageW(border, WM_NCLBUTTONDOWN, 19, MAKELPARAM(at.x, at.y));
             Hover(border, at);
             SendMessageW(border, WM_NCLBUTTONUP, 19, MAKELPARAM(at.x, at.y));
         },
         HTCLOSE},
        {"a double-click on the icon",
         [](HWND border, POINT at) { SendMessageW(border, WM_NCLBUTTONDBLCLK, 19, MAKELPARAM(at.x, at.y)); },
         HTSYSMENU},
        {"a click on the shadow",
         [](HWND border, POINT at) {
             UseFakeCursor(at);
             SendMessageW(border, WM_LBUTTONDOWN, MK_LBUTTON, 0);
         },
         0},
    };
    const HWND below = CreateWindowExW(
        WS_EX_NOACTIVATE, RegisterTestClass(L"KsBelowTheShadow", &DestroysTheBoxOnClickProc), L"", WS_POPUP | WS_VISIBLE,
        0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr);
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        HWND wnd = nullptr;
        {
            const FreedPages guarded;
            wnd = MakeDialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, L"Keysmith", &DestroyedOnCloseProc);
        }
        TacDialogWnd* d = DialogAdapter(wnd);
        ASSERT_NE(d, nullptr);
        TacBorderForm* bf = d->BorderForm();
        ASSERT_TRUE(FreedPages::Guards(bf)) << "a read of the freed border faults";
        const HWND border = BorderOf(*d);
        const RECT b = WindowRectOf(border);
        const TRect m = d->ExtBorderMargins();
        POINT at{b.left + m.Left / 2, (b.top + b.bottom) / 2};
        if (way.code) {
            at = {b.left, b.top + m.Top + d->CaptionHeight(true) / 2};
            while (at.x < b.right && bf->BorderHitTest({at.x, at.y}) != way.code)
                ++at.x;
            ASSERT_LT(at.x, b.right) << "the border answers " << way.code << " on the title";
        }
        gBoxToDestroy = way.code ? nullptr : wnd;
        way.close(border, at);
        gBoxToDestroy = nullptr;
        EXPECT_FALSE(IsWindow(wnd)) << "closed at once";
        Pump();
        EXPECT_FALSE(IsWindow(border)) << "the border went with it";
        EXPECT_TRUE(HeapsIntact());
    }
    DestroyWindow(below);
}

TEST_F(DialogBorderTest, ExtendedBordersSwitchedOffAndOnWhileTheBoxShows)
{
    RunBox(nullptr, L"text", L"Keysmith", MB_OK, [&](HWND box) {
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        ASSERT_NE(d->BorderForm(), nullptr);
        const HWND border = BorderOf(*d);
        RECT w = WindowRectOf(box);

        Manager->SetExtendedBorders(false);
        EXPECT_EQ(d->BorderForm(), nullptr);
        EXPECT_FALSE(IsWindow(border) && IsWindowVisible(border));
        RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        TBitmap& image = *d->SkinData->CacheBitmap;
        EXPECT_EQ(image.PixelFormat(), pf24bit);
        EXPECT_EQ(image.Width(), w.right - w.left) << "the frame fills the window again";
        EXPECT_EQ(d->CaptionHeight(true), GetSystemMetrics(SM_CYCAPTION));
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        const int kind = GetWindowRgn(box, region);
        EXPECT_TRUE(kind == ERROR || PtInRegion(region, (w.right - w.left) / 2, 2)) << "the window shows its title";
        DeleteObject(region);

        Manager->SetExtendedBorders(true);
        ASSERT_NE(d->BorderForm(), nullptr);
        EXPECT_TRUE(IsWindowVisible(BorderOf(*d)));
        EXPECT_EQ(d->SkinData->CacheBitmap->PixelFormat(), pf32bit);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
}

TEST_F(DialogBorderTest, AnAnimatedShowLeavesTheBorderAroundTheBox)
{
    Manager->AnimEffects()->DialogShow()->SetTime(60);
    Manager->AnimEffects()->DialogShow()->SetMode(atFading);
    RunBox(nullptr, L"text", L"Keysmith", MB_OKCANCEL, [&](HWND box) {
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        ASSERT_NE(d->BorderForm(), nullptr);
        const HWND border = BorderOf(*d);
        EXPECT_TRUE(IsWindowVisible(border));
        const POINT origin = ClientOrigin(box);
        const RECT b = WindowRectOf(border);
        EXPECT_EQ(b.left, origin.x - d->ClientOffsetX());
        EXPECT_EQ(b.top, origin.y - d->ClientOffsetY());
        EXPECT_EQ(b.right - b.left, d->SkinData->CacheBitmap->Width());
        ClickChild(Item(box, IDCANCEL));
    });
}

// A skin whose border image carries the title: the title drawn onto it stays opaque, lowered by
// the skin's centre offset.
TEST_F(DialogBorderTest, TitleOnTheBorderImageIsOpaque)
{
    std::string options = DialogSkinOptions();
    const std::string global = "COLOR=8421504\r\n";
    options.insert(options.find(global) + global.size(),
                   "BORDERMODE=1\r\nCENTEROFFSET=3\r\nFORMOFFSET=6\r\nEXBORDER=^0000^0060^0040^0080^0008^0008^0008^0008^2^0^0^0\r\n");
    FreeAndNil(Manager);
    Manager = NewSkinManager(Dir, L"TitleOnBorder", SkinArchive(options, Bmp24(96, 96, DialogMasterPixel)));
    Manager->SetExtendedBorders(true);
    ASSERT_EQ(Manager->SkinData.BorderMode, 1);
    RunBox(nullptr, L"text", L"Keysmith", MB_OK, [&](HWND box) {
        TacDialogWnd* d = DialogAdapter(box);
        ASSERT_NE(d, nullptr);
        ASSERT_NE(d->BorderForm(), nullptr);
        RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        TBitmap& image = *d->SkinData->CacheBitmap;
        const TRect m = d->ExtBorderMargins();
        EXPECT_EQ(m, (TRect{6, 6, 6, 6})) << "a border image with the title lies the skin's form offset out";
        int white = 0, clear = 0;
        for (int y = m.Top; y < m.Top + d->CaptionHeight(true); ++y)
            for (int x = m.Left; x < image.Width() - m.Right; ++x) {
                clear += AlphaAt(image, x, y) != 255;
                white += (ks::GetPixel32(image.View(), x, y) & 0xFFFFFF) == 0xFFFFFF;
            }
        EXPECT_GT(white, 0) << "the caption's text is drawn";
        EXPECT_EQ(clear, 0) << "and the title is opaque";
        TRect icon;
        d->IconRect(icon);
        EXPECT_EQ(icon.Top, (d->CaptionHeight(true) - GetSystemMetrics(SM_CYSMICON)) / 2 + m.Top + 3);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
}

// A picture for a person: a message box with extended borders as the screen would compose it
// (Xvfb shows no layered alpha): the border image over a checkerboard, the box's client area with
// its children taken from the screen.
TEST_F(DialogBorderTest, PictureOfAMessageBoxWithExtendedBorders)
{
    RunBox(nullptr, L"Выберите символы, которые вы хотите использовать!", L"Keysmith", MB_OKCANCEL | MB_ICONWARNING,
           [&](HWND box) {
               TacDialogWnd* d = DialogAdapter(box);
               ASSERT_NE(d, nullptr);
               ASSERT_NE(d->BorderForm(), nullptr);
               RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
               Pump();
               std::unique_ptr<TBitmap> shown = Composed(*d->SkinData->CacheBitmap);
               RECT client{};
               GetClientRect(box, &client);
               const POINT origin = ClientOrigin(box);
               HDC screen = GetDC(nullptr);
               BitBlt(shown->Canvas().Handle(), d->ClientOffsetX(), d->ClientOffsetY(), client.right, client.bottom, screen,
                      origin.x, origin.y, SRCCOPY);
               ReleaseDC(nullptr, screen);
               WriteSheetPng(*shown, std::string("Z:") + KS_BUILD_DIR + "/dialog-extended-borders.png");
               // What it must show: the desktop through the shadow (two squares of the board
               // beside each other differ there), the client in its section's colour, and the
               // skin's buttons on it: a frame round a face of the client's colour, where the
               // platform's are grey.
               const int middle = shown->Height() / 2 / 16 * 16;
               EXPECT_NE(PixelAt(*shown, 0, middle), PixelAt(*shown, 0, middle + 8)) << "the shadow";
               ASSERT_NE(d->SkinData->Section(), nullptr);
               const TColor face = ColorToRGB(d->SkinData->Section()->Color);
               EXPECT_EQ(PixelAt(*shown, d->ClientOffsetX() + 1, d->ClientOffsetY() + 1), face);
               RECT b{};
               GetWindowRect(Item(box, IDCANCEL), &b);
               const int x = d->ClientOffsetX() + b.left - origin.x, y = d->ClientOffsetY() + (b.top + b.bottom) / 2 - origin.y;
               EXPECT_NE(PixelAt(*shown, x, y), face) << "the Cancel button's frame";
               EXPECT_EQ(PixelAt(*shown, x + 4, y), face) << "and its face";
               EXPECT_NE(PixelAt(*shown, x + 4, y), ColorToRGB(clBtnFace));
               PostMessageW(box, WM_COMMAND, IDOK, 0);
           });
}

} // namespace
