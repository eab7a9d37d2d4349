#include "skin/forms/acBorderForm.h"

#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/FormAnimation.h"
#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Forms.h"
#include "skin/forms/FrameDragState.h"
#include "skin/forms/TitleAnimation.h"
#include "skin/forms/TitleParts.h"
#include "win/skin/forms/BorderTestSupport.h"
#include "win/skin/forms/FormFrameFixture.h"
#include "win/skin/forms/RealMouse.h"
#include "win/support/SheetPng.h"
#include "win/support/FakeCursor.h"
#include "win/support/WindowClasses.h"

#include <vector>

namespace {

using namespace ks::test;

constexpr int M = 8;  // the test skin's margins: EXBORDER's 10 less FORMOFFSET 2
constexpr int OwnerW = 300, OwnerH = 200;
constexpr int OwnerX = 200, OwnerY = 150;

struct Sent {
    HWND wnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Sent> gSent;
int gLayeredUpdates = 0;
SIZE gLayeredSize{0, 0};

// Places the window as the system's layered update does, without showing a picture.
BOOL WINAPI RecordLayered(HWND wnd, HDC, POINT* position, SIZE* size, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD)
{
    ++gLayeredUpdates;
    if (size)
        gLayeredSize = *size;
    if (position && size)
        SetWindowPos(wnd, nullptr, position->x, position->y, size->cx, size->cy,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    return TRUE;
}

int gFrameChanges = 0;
HWND gFrameWatched = nullptr;

LRESULT CALLBACK CountFrameChanges(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && m->hwnd == gFrameWatched && m->message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS*>(m->lParam)->flags & SWP_FRAMECHANGED))
        ++gFrameChanges;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK SpyProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCLBUTTONDOWN || msg == WM_NCRBUTTONDOWN || msg == WM_LBUTTONDOWN || msg == WM_SYSCOMMAND)
        gSent.push_back({wnd, msg, wParam, lParam});
    if (msg == WM_SYSCOMMAND)
        return 0;
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

const wchar_t* SpyClass()
{
    static const wchar_t* name = RegisterTestClass(L"KsBorderSpy", SpyProc, LoadCursorW(nullptr, IDC_ARROW));
    return name;
}

// An owner of fixed geometry: a 26-pixel caption below a 4-pixel border, a close button at the
// right of the caption, an icon at its left.
class TestOwner final : public TacBorderOwner {
public:
    HWND Wnd = nullptr;
    TsCommonData* Data = nullptr;
    TitleButtonRec Close;
    std::vector<int> HotCodes;
    int Released = 0;
    int Painted = 0;

    HWND BorderOwnerHandle() const noexcept override { return Wnd; }
    TsCommonData* BorderOwnerSkinData() const noexcept override { return Data; }
    TRect BorderOwnerMargins() const override { return {M, M, M, M}; }
    TPoint BorderOwnerClientOffset() const override { return {M + 4, M + 30}; }
    int BorderOwnerBorderWidth() const override { return 4; }
    int BorderOwnerCaptionBottom() const override { return M + 30; }
    int BorderOwnerMenuBottom() const override { return M + 30; }
    TRect BorderOwnerIconRect() const override { return {M + 4, M + 8, M + 20, M + 24}; }
    const TitleButtonRec* BorderOwnerButton(int hitCode) const override
    {
        return hitCode == HTCLOSE ? &Close : nullptr;
    }
    TitleButtonFlags BorderOwnerButtonFlags() const override
    {
        TitleButtonFlags f;
        f.VisibleClose = true;
        return f;
    }
    void PaintBorderOwnerNonClient() override { ++Painted; }
    void SetHotTitleButton(int code) override { HotCodes.push_back(code); }
    void ReleaseBorderResources() noexcept override { ++Released; }
};

class BorderFormTest : public FrameSkinFixture {
protected:
    void SetUp() override
    {
        FrameSkinFixture::SetUp();
        gSent.clear();
        gLayeredUpdates = 0;
        ks::Sys().UpdateLayeredWindowPtr = RecordLayered;
        UseFakeCursor({0, 0});
        Below = CreateWindowExW(0, SpyClass(), L"below", WS_POPUP | WS_VISIBLE, OwnerX - 40, OwnerY - 40, OwnerW + 80,
                                OwnerH + 80, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        Owner.Wnd = CreateWindowExW(0, SpyClass(), L"owner", WS_POPUP | WS_VISIBLE | WS_THICKFRAME, OwnerX, OwnerY,
                                    OwnerW, OwnerH, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        Data = std::make_unique<TsCommonData>(nullptr, true);
        Data->SetSkinManager(Manager);
        Data->CacheBitmap->SetPixelFormat(pf32bit);
        Data->CacheBitmap->SetSize(OwnerW + 2 * M, OwnerH + 2 * M);
        Owner.Data = Data.get();
        Owner.Close.Rect = {OwnerW + M - 30, M + 6, OwnerW + M - 9, M + 27};
        Border = std::make_unique<TacBorderForm>(Owner);
        MeasureClient();
    }
    // Where the system put the owner's client area: a mirrored window's client point (0, 0) is
    // its right edge, so the rectangles tell.
    void MeasureClient()
    {
        WINDOWINFO info{};
        info.cbSize = sizeof(info);
        GetWindowInfo(Owner.Wnd, &info);
        ClientDX = info.rcClient.left - OwnerX;
        ClientDY = info.rcClient.top - OwnerY;
    }
    void TearDown() override
    {
        Border.reset();
        Data.reset();
        DestroyWindow(Owner.Wnd);
        DestroyWindow(Below);
        Pump();
        FrameSkinFixture::TearDown();
    }

    // A point of the border window on the screen.
    TPoint Screen(int x, int y) const { return {OwnerX + ClientDX - (M + 4) + x, OwnerY + ClientDY - (M + 30) + y}; }

    HWND Below = nullptr;
    TestOwner Owner;
    std::unique_ptr<TsCommonData> Data;
    std::unique_ptr<TacBorderForm> Border;
    int ClientDX = 0, ClientDY = 0;
};

TEST_F(BorderFormTest, TheLayeredWindowSurroundsItsOwnerByTheMarginsAndGoesWithIt)
{
    Border->UpdateBorderWindow(true, 255);
    const HWND wnd = Border->WindowHandle();
    ASSERT_NE(wnd, nullptr);
    EXPECT_TRUE(IsWindowVisible(wnd));
    EXPECT_EQ(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & 0x8080080, 0x8080080)
        << "layered, never activated, no task-bar button";
    RECT r{};
    GetWindowRect(wnd, &r);
    EXPECT_EQ(r.left, OwnerX + ClientDX - (M + 4)) << "the image's client area lies over the owner's";
    EXPECT_EQ(r.top, OwnerY + ClientDY - (M + 30));
    EXPECT_EQ(r.right - r.left, OwnerW + 2 * M);
    EXPECT_EQ(gLayeredUpdates, 1);
    EXPECT_EQ(gLayeredSize.cx, OwnerW + 2 * M);
    EXPECT_EQ(Owner.Painted, 1) << "a dialog owner's frame is painted at every update";
    // Where nothing moved, the next update reaches the window only through its picture: a region
    // set again reshapes the window on the screen, and the windows it uncovers for that moment
    // rise over it, a modal dialog's disabled owner over the dialog.
    gFrameChanges = 0;
    gFrameWatched = wnd;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountFrameChanges, nullptr, GetCurrentThreadId());
    Border->UpdateBorderWindow(true, 255);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(gFrameChanges, 0) << "the same region set again";
    EXPECT_EQ(gLayeredUpdates, 2);

    const int released = Owner.Released;
    Border.reset();
    EXPECT_EQ(Owner.Released, released + 1);
    Pump();
    EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(BorderFormTest, HitCodesFollowTheFrame)
{
    for (const LONG_PTR layout : {LONG_PTR{0}, LONG_PTR{WS_EX_LAYOUTRTL}}) {
        SCOPED_TRACE(layout ? "laid out right to left" : "laid out left to right");
        SetWindowLongPtrW(Owner.Wnd, GWL_EXSTYLE, layout);
        SetWindowPos(Owner.Wnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        MeasureClient();
        Owner.HotCodes.clear();
        Border->UpdateBorderWindow(true, 255);
        struct Case {
            const char* name;
            int x, y;
            int code;
        } cases[] = {
            {"CloseButton", OwnerW + M - 20, M + 15, HTCLOSE},
            {"Icon", M + 10, M + 12, HTSYSMENU},
            {"Caption", M + 100, M + 15, HTCAPTION},
            {"TopEdge", M + 100, M + 1, HTTOP},
            {"TopLeftCorner", M + 1, M + 1, HTTOPLEFT},
            {"LeftEdge", M + 1, M + 100, HTLEFT},
            {"BottomRight", OwnerW + M - 2, OwnerH + M - 2, HTBOTTOMRIGHT},
            {"Client", M + 100, M + 100, -1},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(Border->BorderHitTest(Screen(c.x, c.y)), c.code);
        }
        const std::vector<int> hot{HTCLOSE, 0, 0, 0, 0, 0, 0, 0};
        EXPECT_EQ(Owner.HotCodes, hot) << "the owner's hot button follows every answer: the button hit, or none";
    }
}

TEST_F(BorderFormTest, FrameClicksGoToTheOwnerAndShadowClicksToTheWindowBelow)
{
    Border->UpdateBorderWindow(true, 255);
    const HWND wnd = Border->WindowHandle();
    const TPoint caption = Screen(M + 100, M + 15);
    EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(caption.X, caption.Y)), 19);
    gCursor = {caption.X, caption.Y};
    SendMessageW(wnd, WM_NCLBUTTONDOWN, 19, MAKELPARAM(caption.X, caption.Y));
    ASSERT_EQ(gSent.size(), 1u);
    EXPECT_EQ(gSent[0].wnd, Owner.Wnd);
    EXPECT_EQ(gSent[0].wParam, static_cast<WPARAM>(-1));

    gSent.clear();
    const TPoint shadow = Screen(3, 100);
    gCursor = {shadow.X, shadow.Y};
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 100));
    ASSERT_EQ(gSent.size(), 1u);
    EXPECT_EQ(gSent[0].wnd, Below);
    POINT local{shadow.X, shadow.Y};
    ScreenToClient(Below, &local);
    EXPECT_EQ(gSent[0].lParam, MAKELPARAM(local.x, local.y)) << "in the receiver's own coordinates";
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(wnd, region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 3, 100)) << "a hole lets the next event through";
    EXPECT_TRUE(PtInRegion(region, 3, 101));
    // A second event at the same pixel keeps the hole open.
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 100));
    GetWindowRgn(wnd, region);
    EXPECT_FALSE(PtInRegion(region, 3, 100));
    // An event elsewhere moves the hole there: holes never pile up in the shadow.
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 120));
    GetWindowRgn(wnd, region);
    EXPECT_FALSE(PtInRegion(region, 3, 120));
    EXPECT_TRUE(PtInRegion(region, 3, 100));
    DeleteObject(region);
}

TEST_F(BorderFormTest, AMaximisedOwnerShowsNoShadow)
{
    ShowWindow(Owner.Wnd, SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(Owner.Wnd));
    Border->UpdateBorderWindow(true, 255);
    const HWND wnd = Border->WindowHandle();
    RECT r{};
    GetWindowRect(wnd, &r);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(wnd, region), ERROR);
    EXPECT_FALSE(PtInRegion(region, M / 2, (r.bottom - r.top) / 2)) << "shadow";
    EXPECT_TRUE(PtInRegion(region, M + 4 + 1, M + 4 + 1)) << "frame";
    EXPECT_FALSE(PtInRegion(region, M + 40, M + 40)) << "the owner's client area is cut out";
    DeleteObject(region);
    EXPECT_FALSE(Border->OverShadow({1, 1})) << "nothing passes through around a maximised owner";
}

} // namespace

// ---- the border of a real form provider ---------------------------------------------------------

namespace {

class BorderedFormTest : public FormFrameFixture {
protected:
    void SetUp() override
    {
        FormFrameFixture::SetUp();
        MakeForm(bsSizeable, true);
        if (!Manager->ExtendedBorders())
            GTEST_SKIP() << "no layered windows here";
        Provider->SetBorderFormActive(true);
        ASSERT_NE(Provider->BorderForm, nullptr);
        // The frame as the system has it shown: the form's window cut to its client area.
        RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
        Paint();
        Provider->BorderForm->UpdateBorderWindow(true, 255);
        Border = Provider->BorderForm->WindowHandle();
        ASSERT_TRUE(IsWindowVisible(Border));
    }

    // A point of the border window's image on the screen.
    POINT OnBorder(TPoint p) const
    {
        RECT r{};
        GetWindowRect(Border, &r);
        return {r.left + p.X, r.top + p.Y};
    }

    // The mouse as the system moves it over the border window: a hit test, then the cursor.
    void Hover(POINT at)
    {
        UseFakeCursor(at);
        const LRESULT hit = SendMessageW(Border, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
        SendMessageW(Border, WM_SETCURSOR, reinterpret_cast<WPARAM>(Border), MAKELPARAM(hit, WM_MOUSEMOVE));
    }

    // A left click on the border window's frame, as the system sends it there.
    void Click(POINT at)
    {
        Hover(at);
        SendMessageW(Border, WM_NCLBUTTONDOWN, 19, MAKELPARAM(at.x, at.y));
        Hover(at);
        SendMessageW(Border, WM_NCLBUTTONUP, 19, MAKELPARAM(at.x, at.y));
        Pump();
    }

    HWND Border = nullptr;
};

struct MouseUpCount {
    int Count = 0;
    void MouseUp(TObject*, TMouseButton, TShiftState, int, int) { ++Count; }
};

TEST_F(BorderedFormTest, AUserTitleButtonOnTheBorderWindowIsReleasedOnce)
{
    auto* button = static_cast<TsTitleButton*>(Provider->TitleButtons()->Add());
    MouseUpCount ups;
    button->SetOnMouseUp(TMouseEvent(&ups, &MouseUpCount::MouseUp));
    Provider->SetUpForm();
    Paint();
    Provider->BorderForm->UpdateBorderWindow(true, 255);
    ASSERT_GT(button->BtnData.Rect.Width(), 0);
    Click(OnBorder(Centre(button->BtnData.Rect)));
    EXPECT_EQ(ups.Count, 1);
    // A second click soon after comes as a double click, and is a click all the same.
    const POINT on = OnBorder(Centre(button->BtnData.Rect));
    Hover(on);
    SendMessageW(Border, WM_NCLBUTTONDBLCLK, 19, MAKELPARAM(on.x, on.y));
    Hover(on);
    SendMessageW(Border, WM_NCLBUTTONUP, 19, MAKELPARAM(on.x, on.y));
    EXPECT_EQ(ups.Count, 2);

    // Pressed, then released over the caption: nothing happens.
    Hover(on);
    SendMessageW(Border, WM_NCLBUTTONDOWN, 19, MAKELPARAM(on.x, on.y));
    const POINT caption = OnBorder({Provider->ExtBorderMargins().Left + 80, Centre(button->BtnData.Rect).Y});
    Hover(caption);
    SendMessageW(Border, WM_NCLBUTTONUP, 19, MAKELPARAM(caption.x, caption.y));
    EXPECT_EQ(ups.Count, 2);
}

TEST_F(BorderedFormTest, TheFormMovesByTheBorderCaptionAndSizesByItsEdges)
{
    SetForegroundWindow(Form->Handle());
    Pump();
    const TRect m = Provider->ExtBorderMargins();
    RECT before{};
    GetWindowRect(Form->Handle(), &before);
    const POINT caption = OnBorder({m.Left + 80, m.Top + Provider->CaptionHeight(true) / 2});
    ASSERT_EQ(WindowFromPoint(caption), Border) << "the frame is the border window's";
    Drag(caption, {caption.x + 40, caption.y + 30});
    RECT moved{};
    GetWindowRect(Form->Handle(), &moved);
    EXPECT_EQ(moved.left - before.left, 40);
    EXPECT_EQ(moved.top - before.top, 30);
    EXPECT_EQ(moved.right - moved.left, before.right - before.left) << "moved, not sized";
    RECT border{};
    GetWindowRect(Border, &border);
    EXPECT_EQ(OnBorder({0, 0}).x, border.left);

    // Each edge and corner one pixel inside the frame, placed on the border as it stands.
    enum Side { Low, Mid, High };
    struct Case {
        const char* name;
        Side x, y;
        int dx, dy;
        int dLeft, dTop, dRight, dBottom;
    } cases[] = {
        {"Right", High, Mid, 20, 0, 0, 0, 20, 0},
        {"Bottom", Mid, High, 0, 20, 0, 0, 0, 20},
        {"Left", Low, Mid, -20, 0, -20, 0, 0, 0},
        {"Top", Mid, Low, 0, -20, 0, -20, 0, 0},
        {"BottomRight", High, High, 10, 10, 0, 0, 10, 10},
        {"TopLeft", Low, Low, -10, -10, -10, -10, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RECT was{}, now{}, b{};
        GetWindowRect(Border, &b);
        auto place = [](Side s, long low, long high) { return s == Low ? low + 1 : s == High ? high - 2 : (low + high) / 2; };
        const POINT at{place(c.x, b.left + m.Left, b.right - m.Right), place(c.y, b.top + m.Top, b.bottom - m.Bottom)};
        ASSERT_EQ(WindowFromPoint(at), Border);
        GetWindowRect(Form->Handle(), &was);
        Drag(at, {at.x + c.dx, at.y + c.dy});
        GetWindowRect(Form->Handle(), &now);
        EXPECT_EQ(now.left - was.left, c.dLeft);
        EXPECT_EQ(now.top - was.top, c.dTop);
        EXPECT_EQ(now.right - was.right, c.dRight);
        EXPECT_EQ(now.bottom - was.bottom, c.dBottom);
    }
}

TEST_F(BorderedFormTest, HoveringATitleButtonFadesItsGlowInAndOut)
{
    const POINT close = OnBorder(Centre(Provider->ButtonClose.Rect));
    Hover(close);
    EXPECT_EQ(Provider->HotHitCode, HTCLOSE);
    TacSBAnimation* animation = Provider->ButtonClose.Animation;
    ASSERT_NE(animation, nullptr) << "the hover starts a fade";
    ASSERT_NE(animation->GlowForm, nullptr);
    const HWND glow = animation->GlowForm->Handle();
    EXPECT_TRUE(IsWindowVisible(glow));
    EXPECT_EQ(animation->BorderForm, Provider->BorderForm);
    EXPECT_GT(animation->GlowSize(), 0) << "the close button glows while hot";
    EXPECT_TRUE(PumpUntil([&] { return animation->MaxSteps == -1; })) << "the fade-in ends held at full";

    // Moved off to the caption: the button goes back to normal and the glow fades away.
    const TRect m = Provider->ExtBorderMargins();
    Hover(OnBorder({m.Left + 80, m.Top + 10}));
    EXPECT_EQ(Provider->HotHitCode, 0);
    EXPECT_TRUE(PumpUntil([&] { return Provider->ButtonClose.Animation == nullptr || !IsWindowVisible(glow); }));
    EXPECT_FALSE(IsWindowVisible(glow)) << "the glow went off the screen";
}

TEST_F(BorderedFormTest, ATitleSkinSetAtRunTimeRepaintsTheBorderWindow)
{
    gLayeredUpdates = 0;
    ks::Sys().UpdateLayeredWindowPtr = RecordLayered;
    Provider->SetTitleSkin("CAPTION");
    EXPECT_EQ(gLayeredUpdates, 1) << "the border window shows the new title";
    EXPECT_FALSE(Provider->SkinData()->BackgroundChanged) << "painted whole for it";
}

TEST_F(BorderedFormTest, ADoubleClickOnTheBorderErasesAPendingSizingOutline)
{
    Provider->SetResizeMode(rmBorder);
    StartOutlineDrag(*Provider, false, HTRIGHT);
    ASSERT_TRUE(SizingActive);
    const TRect m = Provider->ExtBorderMargins();
    const POINT caption = OnBorder({m.Left + 80, m.Top + 10});
    UseFakeCursor(caption);
    SendMessageW(Border, WM_NCLBUTTONDBLCLK, 19, MAKELPARAM(caption.x, caption.y));
    EXPECT_FALSE(SizingActive);
    EXPECT_NE(GetCapture(), Form->Handle());
}

// Objects freed under their own code: run under Wine's freed-memory checking.
class BorderedFormLifetimeTest : public BorderedFormTest {};

TEST_F(BorderedFormLifetimeTest, AFormBeingDestroyedTakesItsBorderOffTheScreen)
{
    Form->Destroying();
    Provider->BorderForm->UpdateBorderWindow(true, 255);
    EXPECT_FALSE(IsWindowVisible(Border));
    EXPECT_TRUE(Provider->SkinData()->BackgroundChanged) << "released: the frame is painted whole again";
}

int gMenusShown = 0;

void CALLBACK CountAndCloseMenu(HWND, UINT, UINT_PTR, DWORD)
{
    if (FindWindowW(L"#32768", nullptr)) {
        ++gMenusShown;
        EndMenu();
    }
}

TEST_F(BorderedFormTest, ARightClickOnTheBorderOpensTheSystemMenuOnlyOverTheCaption)
{
    Manager->SetSkinnedPopups(false);
    const TRect m = Provider->ExtBorderMargins();
    RECT r{};
    GetWindowRect(Border, &r);
    struct Case {
        const char* name;
        POINT at;
        int menus;
    } cases[] = {
        {"Caption", {r.left + m.Left + 80, r.top + m.Top + 12}, 1},
        // Above the form's own window: the form alone would take it for its caption.
        {"TopEdge", {r.left + m.Left + 80, r.top + m.Top + 1}, 0},
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &CountAndCloseMenu);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gMenusShown = 0;
        UseFakeCursor(c.at);
        SendMessageW(Border, WM_NCRBUTTONUP, 19, MAKELPARAM(c.at.x, c.at.y));
        EXPECT_EQ(gMenusShown, c.menus);
    }
    KillTimer(nullptr, timer);
}

// The border window answers the grip's place as the corner; the form's own window, which keeps
// its scroll bars and the corner between them, takes the user's drag there.
TEST_F(BorderedFormTest, TheGripBetweenBothScrollBarsSizesTheForm)
{
    const HWND wnd = Form->Handle();
    SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) | WS_HSCROLL | WS_VSCROLL);
    SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    for (int bar : {SB_HORZ, SB_VERT}) {
        SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, 1000, 100, 0, 0};
        SetScrollInfo(wnd, bar, &info, TRUE);
    }
    Form->SetAutoScroll(true);
    Provider->UpdateFormScrolls();
    ASSERT_NE(Provider->ScrollAdapter, nullptr);
    Pump();
    ASSERT_TRUE(Provider->ScrollAdapter->HBar && Provider->ScrollAdapter->HBar->ScrollVisible);
    ASSERT_TRUE(Provider->ScrollAdapter->VBar && Provider->ScrollAdapter->VBar->ScrollVisible);
    ASSERT_FALSE(Provider->IsSizeBox()) << "no grip of the form's own";
    const int grip = Manager->FindMask(Manager->FindSection("GLOBALINFO"), "GLOBALINFO", "GRIPIMAGE");
    ASSERT_TRUE(Manager->MaskIndexValid(grip));
    Paint();
    Provider->BorderForm->UpdateBorderWindow(true, 255);
    SetForegroundWindow(wnd);
    Pump();
    // Inside the grip, away from the frame's own sizing bands.
    const TPoint corner = Provider->CornerImagePos(grip);
    const POINT at = OnBorder({corner.X + 2, corner.Y + 2});
    EXPECT_EQ(Provider->BorderForm->BorderHitTest({at.x, at.y}), HTBOTTOMRIGHT);
    RECT before{}, after{};
    GetWindowRect(wnd, &before);
    Drag(at, {at.x + 30, at.y + 20});
    GetWindowRect(wnd, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right - before.right, 30);
    EXPECT_EQ(after.bottom - before.bottom, 20);
}

// The border window goes with the extended borders while a title button fades on it: the fade
// goes first, for every tick reads the border window.
TEST_F(BorderedFormLifetimeTest, AFadeRunningOnTheBorderGoesWithIt)
{
    Hover(OnBorder(Centre(Provider->ButtonClose.Rect)));
    TacSBAnimation* animation = Provider->ButtonClose.Animation;
    ASSERT_NE(animation, nullptr);
    ASSERT_NE(animation->GlowForm, nullptr);
    const HWND glow = animation->GlowForm->Handle();
    Provider->SetBorderFormActive(false);
    EXPECT_EQ(Provider->BorderForm, nullptr);
    EXPECT_EQ(Provider->ButtonClose.Animation, nullptr);
    Pump();
    EXPECT_FALSE(IsWindow(glow));
}

// The primary mouse button down or up as the thread's messages have left it.
void HoldLeftButton(bool down)
{
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_LBUTTON] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// A press on a title button of the border window lasts while the mouse moves over the button,
// and through the form's own mouse-leave while the mouse button is down over it: the mouse goes
// from the client area onto the border window, which is not the form's, and the form's leave
// comes between the press and the release. Let go, or off the button, the leave ends it.
TEST_F(BorderedFormTest, APressSurvivesTheMouseMovingOverItsButton)
{
    ks::Sys().UpdateLayeredWindowPtr = RecordLayered;
    const POINT max = OnBorder(Centre(Provider->ButtonMax.Rect));
    const POINT caption = OnBorder({Provider->ExtBorderMargins().Left + 80, Centre(Provider->ButtonMax.Rect).Y});
    const struct {
        const char* name;
        bool held;
        POINT cursor;
        bool pressed;
    } leaves[] = {
        {"HeldOverTheButton", true, max, true},
        {"LetGo", false, max, false},
        {"HeldOffTheButton", true, caption, false},
    };
    for (const auto& leave : leaves) {
        SCOPED_TRACE(leave.name);
        Hover(max);
        SendMessageW(Border, WM_NCLBUTTONDOWN, 19, MAKELPARAM(max.x, max.y));
        EXPECT_EQ(Provider->ButtonMax.State, 2);
        Hover({max.x + 1, max.y});
        EXPECT_EQ(Provider->ButtonMax.State, 2) << "still pressed";
        EXPECT_TRUE(TitleButtonPressed);
        HoldLeftButton(leave.held);
        UseFakeCursor(leave.cursor);
        SendMessageW(Form->Handle(), WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(Provider->ButtonMax.State == 2, leave.pressed);
        HoldLeftButton(false);
        // Released away from every button: the press ends without acting.
        Hover(caption);
        SendMessageW(Border, WM_NCLBUTTONUP, 19, MAKELPARAM(caption.x, caption.y));
        Pump();
        EXPECT_FALSE(IsZoomed(Form->Handle()));
    }
}

} // namespace

namespace {

TEST_F(BorderedFormTest, PicturesOfTheBorderedFormActiveInactiveAndMidGlow)
{
    std::unique_ptr<TBitmap> pictures[2];
    for (bool active : {true, false}) {
        Provider->FormActive = active;
        pictures[active] = Composed(Paint());
        ks::test::WriteSheetPng(*pictures[active], std::string("Z:") + KS_BUILD_DIR +
                                                       (active ? "/border-form-active.png" : "/border-form-inactive.png"));
    }
    // The title tells an active frame from an inactive one; both lie in a shadow that lets the
    // desktop through (two squares of the board beside each other differ there).
    const TRect m = Provider->ExtBorderMargins();
    int differ = 0;
    for (int y = m.Top; y < m.Top + Provider->CaptionHeight(true); ++y)
        for (int x = m.Left; x < pictures[0]->Width() - m.Right; ++x)
            differ += ks::GetPixel24(pictures[0]->View(), x, y) != ks::GetPixel24(pictures[1]->View(), x, y);
    EXPECT_GT(differ, 0) << "the titles";
    const int middle = pictures[1]->Height() / 2 / 16 * 16;
    for (const auto& picture : pictures)
        EXPECT_NE(ks::GetPixel24(picture->View(), 0, middle), ks::GetPixel24(picture->View(), 0, middle + 8));
    Provider->FormActive = true;
    TBitmap& image = Paint();
    Provider->BorderForm->UpdateBorderWindow(true, 255);
    Hover(OnBorder(Centre(Provider->ButtonClose.Rect)));
    TacSBAnimation* animation = Provider->ButtonClose.Animation;
    ASSERT_NE(animation, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return animation->Step >= 5; }));
    ASSERT_NE(animation->FrameBmp, nullptr);
    const TRect frame = animation->FrameRect();
    RECT border{};
    GetWindowRect(Border, &border);
    // Centred on the frame rectangle as PaintFrame places it.
    const TPoint at{frame.Left - border.left - (animation->FrameBmp->Width() - frame.Width()) / 2,
                    frame.Top - border.top - (animation->FrameBmp->Height() - frame.Height()) / 2};
    const std::unique_ptr<TBitmap> glowing = Composed(image, animation->FrameBmp.get(), at, 255 * animation->Step / 10);
    ks::test::WriteSheetPng(*glowing, std::string("Z:") + KS_BUILD_DIR + "/border-form-glow.png");
    // The glow lies over the close button, half come up.
    const TPoint close = Centre(Provider->ButtonClose.Rect);
    EXPECT_NE(ks::GetPixel24(glowing->View(), close.X, close.Y),
              ks::GetPixel24(Composed(image)->View(), close.X, close.Y));
}

} // namespace

namespace {

// Maximised by its button on the border and restored by the same button, a user's clicks each
// time; the frame images of both, as the screen would compose them, are left under the build
// folder.
TEST_F(BorderedFormTest, PicturesOfTheBorderedFormMaximisedAndRestoredByItsButton)
{
    const HWND wnd = Form->Handle();
    RECT before{}, after{};
    GetWindowRect(wnd, &before);
    for (const char* picture : {"/border-form-maximised.png", "/border-form-restored.png"}) {
        SCOPED_TRACE(picture);
        const bool zoomed = IsZoomed(wnd) != FALSE;
        Border = Provider->BorderForm->WindowHandle();
        ClickAfterHover(OnBorder(Centre(Provider->ButtonMax.Rect)), 100);
        ASSERT_TRUE(PumpUntil([&] { return (IsZoomed(wnd) != FALSE) != zoomed; }));
        Pump();
        ks::test::WriteSheetPng(*Composed(*Provider->SkinData()->CacheBitmap), std::string("Z:") + KS_BUILD_DIR + picture);
    }
    GetWindowRect(wnd, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.right, before.right);
    EXPECT_EQ(after.bottom, before.bottom);
}

} // namespace

namespace {

class TallTitleBorderTest : public FormFrameFixture {};

// A title height beyond what a frame can have is held alike by the frame and by the show
// animation, which therefore leaves the border window where the frame puts it.
TEST_F(TallTitleBorderTest, TheShowAnimationPlacesTheBorderWhereTheFrameDoes)
{
    std::string options = FrameSkinOptions();
    options.replace(options.find("TITLEHEIGHT=26"), 14, "TITLEHEIGHT=400");
    Dir.Write(L"Tall.asz", SkinArchive(options, Bmp24(120, 120, FrameMasterPixel)));
    Manager->SetSkinName(L"Tall");
    ASSERT_TRUE(Manager->SkinData.SkinActive);
    const HWND border = MakeBorderedForm();
    if (!border)
        GTEST_SKIP() << "no layered windows here";
    RECT placed{};
    GetWindowRect(border, &placed);
    Provider->BorderForm->Busy = true;  // the animation's placement alone, not the update's
    AnimateBorderedForm(*Provider->BorderForm, 20, 255, atFading);
    Provider->BorderForm->Busy = false;
    RECT animated{};
    GetWindowRect(border, &animated);
    EXPECT_EQ(animated.left, placed.left);
    EXPECT_EQ(animated.top, placed.top);
}

} // namespace

#include "skin/core/sMessages.h"

namespace {

// The commands that bring the border window up to date leave one that was hidden hidden; a skin
// refresh and the form coming back from its icon show it again.
TEST_F(BorderedFormTest, OnlyAShowingUpdateShowsAHiddenBorderWindow)
{
    const HWND form = Form->Handle();
    auto command = [form](WORD code, LPARAM value) {
        SendMessageW(form, SM_SKINCMD, MAKEWPARAM(0, code), value);
        Pump();
    };
    ShowWindow(Border, SW_HIDE);
    Pump();
    EXPECT_FALSE(IsWindowVisible(Border)) << "its own position change does not show it again";
    command(SKC_UPDATE_BORDERS, 0);
    EXPECT_FALSE(IsWindowVisible(Border)) << "the borders updated";
    command(SKC_REFRESH, reinterpret_cast<LPARAM>(Manager));
    EXPECT_TRUE(IsWindowVisible(Border)) << "the skin refreshed";

    ShowWindow(form, SW_MINIMIZE);
    Pump();
    EXPECT_FALSE(IsWindowVisible(Border)) << "minimised";
    ShowWindow(form, SW_RESTORE);
    Pump();
    // The border window went with the form onto its icon and came back anew.
    ASSERT_NE(Provider->BorderForm, nullptr);
    EXPECT_TRUE(IsWindowVisible(Provider->BorderForm->WindowHandle())) << "restored";
}

// Moved by anything but its own update, the border window shows the form's frame as it is now,
// painted anew, around the form.
TEST_F(BorderedFormTest, ABorderWindowMovedFromOutsideShowsTheFramePaintedAnew)
{
    const TPoint title{Provider->CaptionBandRect().Right - 2, Provider->CaptionBandRect().Top + 1};
    Provider->FormActive = true;
    Paint();
    Provider->BorderForm->UpdateBorderWindow(true, 255);
    ASSERT_EQ(CachePixel(title.X, title.Y), FrameTitleHotColour);
    Provider->FormActive = false; // no repaint asked for
    RECT before{};
    GetWindowRect(Border, &before);
    SetWindowPos(Border, nullptr, before.left + 5, before.top + 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(CachePixel(title.X, title.Y), FrameTitleColour);
    RECT after{};
    GetWindowRect(Border, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
}

} // namespace
