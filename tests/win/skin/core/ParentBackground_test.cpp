#include "skin/core/ParentBackground.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "win/support/VclFixture.h"
#include "win/support/WindowClasses.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using ks::test::RegisterTestClass;

constexpr COLORREF EraseColour = RGB(0xFF, 0, 0);
constexpr COLORREF PaintColour = RGB(0, 0xFF, 0);

// Paints like a parent with an image: the erase fills logical (0, 0)-(20, 20), the paint a
// 2 x 2 square at logical (4, 4).
void PaintLikeAParent(HDC dc, bool erase)
{
    const RECT r = erase ? RECT{0, 0, 20, 20} : RECT{4, 4, 6, 6};
    HBRUSH brush = CreateSolidBrush(erase ? EraseColour : PaintColour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// A parent control whose answers the test sets.
class TStubParent : public TCustomControl {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TStubParent", &TCustomControl::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TCustomControl::TCustomControl;

    std::function<void(BackgroundInfo&)> AnswerInfo;
    LRESULT ColourAnswer = 0;
    bool SawPaintRequest = false;

    void WndProc(TMessage& m) override
    {
        if (m.Msg == SM_SKINCMD) {
            const ks::SkinCommandView view(m);
            if (auto* info = view.Pointer<BackgroundInfo>()) {
                SawPaintRequest = info->PaintRequested;
                if (AnswerInfo)
                    AnswerInfo(*info);
            }
            if (view.Command() == SKC_GET_BG_COLOR)
                m.Result = ColourAnswer;
            return;
        }
        if ((m.Msg == WM_ERASEBKGND || m.Msg == WM_PAINT) && m.WParam) {
            PaintLikeAParent(reinterpret_cast<HDC>(m.WParam), m.Msg == WM_ERASEBKGND);
            m.Result = 1;
            return;
        }
        TCustomControl::WndProc(m);
    }
};

// A window of no class of the library: paints only when printed, and notes a real paint.
bool gForeignPainted = false;
LRESULT CALLBACK ForeignProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PRINTCLIENT) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        PaintLikeAParent(dc, true);
        PaintLikeAParent(dc, false);
        return 0;
    }
    if (msg == WM_PAINT)
        gForeignPainted = true;
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

// The 8 x 8 target as rows: '.' white, 'E' erase colour, 'P' paint colour, '?' other.
std::string Picture(TBitmap& b)
{
    std::string s;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            const COLORREF c = GetPixel(b.Canvas().Handle(), x, y);
            s += c == RGB(255, 255, 255) ? '.' : c == EraseColour ? 'E' : c == PaintColour ? 'P' : '?';
        }
        s += '\n';
    }
    return s;
}

// The child's area (1, 1)-(5, 5) of the target lies at (3, 3) of the parent: the parent's
// square at (4, 4) lands at (1, 1), and nothing outside the area is touched.
constexpr const char* ShiftedAndClipped = "........\n"
                                          ".PPEE...\n"
                                          ".PPEE...\n"
                                          ".EEEE...\n"
                                          ".EEEE...\n"
                                          "........\n"
                                          "........\n"
                                          "........\n";

BackgroundInfo PaintRequest(TBitmap& target)
{
    BackgroundInfo info;
    info.R = {1, 1, 5, 5};
    info.Offset = {3, 3};
    info.PaintRequested = true;
    info.TargetDC = target.Canvas().Handle();
    return info;
}

class ParentBackgroundTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        ASSERT_EQ(DefaultSkinManager, nullptr);
        Form = CreateNew<TForm>(Application);
        Parent = Create<TStubParent>(Form);
        Parent->SetParent(Form);
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        VclFixture::TearDown();
    }
    TForm* Form = nullptr;
    TStubParent* Parent = nullptr;
};

TEST_F(ParentBackgroundTest, AParentsImageBecomesAReadyBackgroundAtItsOffset)
{
    auto image = NewBitmap24(10, 10);
    Parent->AnswerInfo = [&](BackgroundInfo& i) {
        i.BackgroundKind = BgKindBitmap;
        i.Bmp = image.get();
        i.Offset = {7, 9};
    };
    for (bool windowed : {false, true}) {
        SCOPED_TRACE(windowed ? "through the window" : "by direct dispatch");
        if (windowed)
            Parent->HandleNeeded();
        BackgroundInfo info;
        info.BackgroundKind = 1;
        EXPECT_TRUE(windowed ? QueryParentBackgroundWnd(info, Parent->Handle(), true)
                             : QueryParentBackground(info, Parent, true));
        EXPECT_TRUE(Parent->SawPaintRequest) << "the record carries the caller's request";
        const CacheInfo ci = CacheInfoFromBackground(info);
        EXPECT_TRUE(ci.Ready);
        EXPECT_EQ(ci.Bmp, image.get());
        EXPECT_EQ(ci.X, 7);
        EXPECT_EQ(ci.Y, 9);
        EXPECT_EQ(ci.FillColor, TransparentKeyColor);
    }
}

TEST_F(ParentBackgroundTest, WithoutAnAnswerAColourIsFound)
{
    // The control's colour question answered 0 gives its own colour, resolved.
    Parent->SetColor(clBtnFace);
    BackgroundInfo info;
    EXPECT_FALSE(QueryParentBackground(info, Parent, false));
    EXPECT_EQ(info.BackgroundKind, BgKindColor);
    EXPECT_EQ(info.Color, static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));

    Parent->ColourAnswer = 0x123456;
    info = {};
    QueryParentBackground(info, Parent, false);
    EXPECT_EQ(info.Color, 0x123456);

    info = {};
    EXPECT_FALSE(QueryParentBackground(info, nullptr, false)) << "no control is nobody answering";
    EXPECT_EQ(info.BackgroundKind, BgKindColor);
    EXPECT_EQ(info.Color, clBtnFace);

    // Without a skin manager a window gets the system colour, which the painters' record
    // resolves.
    info = {};
    EXPECT_FALSE(QueryParentBackgroundWnd(info, Form->Handle(), false));
    EXPECT_EQ(info.BackgroundKind, BgKindColor);
    EXPECT_EQ(info.Color, clBtnFace);
    const CacheInfo ci = CacheInfoFromBackground(info);
    EXPECT_FALSE(ci.Ready);
    EXPECT_EQ(ci.Bmp, nullptr);
    EXPECT_EQ(ci.FillColor, static_cast<TColor>(GetSysColor(COLOR_BTNFACE)));
}

TEST_F(ParentBackgroundTest, WithoutAnAnswerAPaintRequestHasTheParentPaintShiftedAndClipped)
{
    for (bool windowed : {false, true}) {
        SCOPED_TRACE(windowed ? "through the window" : "by direct dispatch");
        if (windowed)
            Parent->HandleNeeded();
        auto target = NewBitmap24(8, 8);
        HDC dc = target->Canvas().Handle();
        BackgroundInfo info = PaintRequest(*target);
        EXPECT_FALSE(windowed ? QueryParentBackgroundWnd(info, Parent->Handle(), false)
                              : QueryParentBackground(info, Parent, false));
        EXPECT_FALSE(Parent->SawPaintRequest);
        EXPECT_EQ(info.BackgroundKind, BgKindNone);
        EXPECT_EQ(info.R, (TRect{4, 4, 8, 8})) << "the rectangle stays moved";
        EXPECT_EQ(Picture(*target), ShiftedAndClipped);
        POINT origin{1, 1};
        GetViewportOrgEx(dc, &origin);
        EXPECT_EQ(origin.x, 0);
        EXPECT_EQ(origin.y, 0);
        RECT clip{};
        EXPECT_EQ(GetClipBox(dc, &clip), SIMPLEREGION) << "the clip is the DC's own again";
        EXPECT_EQ(clip.right, 8);
    }
}

TEST_F(ParentBackgroundTest, AForeignWindowIsPrintedNotSentAPaintWithADC)
{
    const wchar_t* cls = RegisterTestClass(L"KsForeignParent", &ForeignProc);
    const HWND wnd =
        CreateWindowExW(0, cls, L"", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    gForeignPainted = false;
    auto target = NewBitmap24(8, 8);
    BackgroundInfo info = PaintRequest(*target);
    EXPECT_FALSE(QueryParentBackgroundWnd(info, wnd, false));
    EXPECT_EQ(Picture(*target), ShiftedAndClipped);
    EXPECT_FALSE(gForeignPainted);
    DestroyWindow(wnd);
}

} // namespace
