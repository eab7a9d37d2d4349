#include "skin/forms/acBorderForm.h"

#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Forms.h"
#include "win/skin/forms/FrameSkinFixture.h"
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

BOOL WINAPI RecordLayered(HWND, HDC, POINT*, SIZE* size, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD)
{
    ++gLayeredUpdates;
    if (size)
        gLayeredSize = *size;
    return TRUE;
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
    int HotCleared = 0;
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
    void ClearHotTitleButton() override { ++HotCleared; }
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
        POINT origin{0, 0};
        ClientToScreen(Owner.Wnd, &origin);
        ClientDX = origin.x - OwnerX;
        ClientDY = origin.y - OwnerY;
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
    Border->UpdateBorderWindow(255);
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

    Border.reset();
    EXPECT_EQ(Owner.Released, 1);
    Pump();
    EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(BorderFormTest, HitCodesFollowTheFrame)
{
    Border->UpdateBorderWindow(255);
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
    EXPECT_EQ(Owner.HotCleared, 1) << "only a title button's answer clears the hot button";
}

TEST_F(BorderFormTest, FrameClicksGoToTheOwnerAndShadowClicksToTheWindowBelow)
{
    Border->UpdateBorderWindow(255);
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
    DeleteObject(region);
}

TEST_F(BorderFormTest, AMaximisedOwnerShowsNoShadow)
{
    ShowWindow(Owner.Wnd, SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(Owner.Wnd));
    Border->UpdateBorderWindow(255);
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
