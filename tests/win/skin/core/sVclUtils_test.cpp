#include "skin/core/sVclUtils.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/FormServices.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "win/skin/core/SkinCommandRecorders.h"
#include "win/support/VclFixture.h"
#include "win/support/WindowClasses.h"

#include <gtest/gtest.h>

namespace {

using namespace ks::test;

constexpr TColor Grey = 0x808080;
constexpr TColor Red = 0x0000FF;
constexpr TColor Green = 0x00FF00;
constexpr TColor Blue = 0xFF0000;
constexpr TColor Olive = 0x008080;

// A container that offers its children its cache bitmap (at Offset) or a colour, and counts
// the news that its image is out of date.
class TBackdrop : public TCustomControl {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TBackdrop", &TCustomControl::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TCustomControl::TCustomControl;
    std::unique_ptr<TBitmap> Cache;
    TPoint Offset{0, 0};
    TColor Answer = TransparentKeyColor;
    int Outdated = 0;

    void WndProc(TMessage& m) override
    {
        if (m.Msg == SM_SKINCMD) {
            const ks::SkinCommandView v(m);
            if (v.Command() == SKC_SET_CACHE_OUTDATED) {
                ++Outdated;
                return;
            }
            if (auto* info = v.Command() == SKC_GET_BG_INFO ? v.Pointer<BackgroundInfo>() : nullptr) {
                if (Cache) {
                    info->Bmp = Cache.get();
                    info->Offset = Offset;
                    info->BackgroundKind = BgKindBitmap;
                } else if (Answer != TransparentKeyColor) {
                    info->Color = Answer;
                    info->BackgroundKind = BgKindColor;
                }
                m.Result = 1;
                return;
            }
        }
        TCustomControl::WndProc(m);
    }
};

// A windowless child that fills its left Share (of 1) with its colour, or its corner pixel with
// the key colour; it records each paint and whether it was painted as a copy.
class TSwatch : public TGraphicControl {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TSwatch", &TGraphicControl::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TGraphicControl::TGraphicControl;
    TColor Fill = Red;
    double Share = 1;
    bool KeyCorner = false;
    int Paints = 0;
    bool SawCopy = false;

protected:
    void Paint() override
    {
        ++Paints;
        SawCopy = ControlState().Contains(csPaintCopy);
        Canvas().Brush().SetColor(Fill);
        Canvas().FillRect({0, 0, static_cast<int>(Width() * Share), Height()});
        if (KeyCorner)
            Canvas().SetPixels(0, 0, TransparentKeyColor);
    }
};

class TSolidPanel : public TCustomControl {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TSolidPanel", &TCustomControl::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TCustomControl::TCustomControl;

protected:
    void Paint() override
    {
        Canvas().Brush().SetColor(Color());
        Canvas().FillRect(ClientRect());
    }
};

std::unique_ptr<TBitmap> Filled24(int w, int h, TColor color)
{
    auto bmp = NewBitmap24(w, h);
    bmp->Canvas().Brush().SetColor(color);
    bmp->Canvas().FillRect({0, 0, w, h});
    return bmp;
}

long BitmapsMade()
{
    return ks::Tally(ks::GdiKind::Bitmap).created;
}

class VclUtilsTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        CommandLog().clear();
        Form = MakeForm("F");
        Form->SetBounds(10, 10, 200, 150);
        Box = Create<TBackdrop>(Form);
        Box->SetParent(Form);
        Box->SetBounds(0, 0, 100, 60);
        Box->HandleNeeded();
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        VclFixture::TearDown();
    }
    TSwatch* Swatch(int left, int top, int width, int height, TColor color)
    {
        auto* s = Create<TSwatch>(Form);
        s->SetParent(Box);
        s->SetBounds(left, top, width, height);
        s->Fill = color;
        return s;
    }
    TRecForm* Form = nullptr;
    TBackdrop* Box = nullptr;
};

// Each child paints over the container's image into one off-screen picture, which is copied to
// the target moved by the offset; a child whose corner is the key colour is left out.
TEST_F(VclUtilsTest, GraphicChildrenArePaintedOverTheContainersImage)
{
    Box->Cache = Filled24(120, 80, Blue);
    Box->Cache->Canvas().Brush().SetColor(Olive);
    Box->Cache->Canvas().FillRect({12, 7, 120, 80}); // the part a child at x >= 10 sees
    Box->Offset = {2, 1};
    TSwatch* half = Swatch(10, 10, 20, 10, Red);
    half->Share = 0.5;
    TSwatch* keyed = Swatch(40, 10, 10, 10, Green);
    keyed->KeyCorner = true;
    TSwatch* opaque = Swatch(60, 10, 10, 10, Red);
    opaque->Share = 0;
    opaque->SetColor(Green);
    opaque->SetControlStyle(opaque->ControlStyle().Include(csOpaque));
    TSwatch* empty = Swatch(80, 10, 0, 10, Red);
    TSwatch* going = Swatch(80, 30, 10, 10, Red);
    going->Destroying();
    Box->SetControlState(Box->ControlState().Include(csPaintCopy));

    auto target = Filled24(120, 80, Grey);
    const TPoint off{5, 3};
    PaintGraphicChildren(target->Canvas().Handle(), Box, off);
    TCanvas& c = target->Canvas();
    EXPECT_EQ(c.Pixels(10 + off.X, 10 + off.Y), Red);
    EXPECT_EQ(c.Pixels(25 + off.X, 15 + off.Y), Olive) << "the unpainted half shows the container's image";
    EXPECT_EQ(c.Pixels(45 + off.X, 15 + off.Y), Grey) << "a keyed corner keeps the child off the target";
    EXPECT_EQ(c.Pixels(65 + off.X, 15 + off.Y), Green) << "an opaque child lies on its own colour";
    EXPECT_EQ(empty->Paints + going->Paints, 0);
    EXPECT_EQ(c.Pixels(85 + off.X, 35 + off.Y), Grey);
    EXPECT_EQ(c.Pixels(5, 5), Grey) << "nothing outside the children";
    EXPECT_TRUE(half->SawCopy) << "children of a container painting a copy paint copies";
    EXPECT_FALSE(half->ControlState().Contains(csPaintCopy)) << "for that paint only";
    EXPECT_EQ(Box->Outdated, 0);
}

// The off-screen picture covers only the children's part of the container; children across
// its edges still paint and copy their inside parts over the right piece of its image.
TEST_F(VclUtilsTest, ChildrenAcrossTheContainersEdgesPaintTheirInsideParts)
{
    Box->Cache = Filled24(100, 60, Blue);
    Box->Cache->Canvas().Brush().SetColor(Olive);
    Box->Cache->Canvas().FillRect({0, 0, 8, 60});
    TSwatch* left = Swatch(-5, 10, 20, 10, Red);
    left->Share = 0.5;
    Swatch(90, 30, 20, 10, Red);
    TSwatch* keyed = Swatch(60, 45, 10, 10, Green);
    keyed->KeyCorner = true;

    auto target = Filled24(120, 80, Grey);
    const TPoint off{5, 3};
    PaintGraphicChildren(target->Canvas().Handle(), Box, off);
    TCanvas& c = target->Canvas();
    struct Case {
        const char* name;
        TPoint at;
        TColor expected;
    } cases[] = {
        {"LeftChildsPaintedHalf", {2, 15}, Red},
        {"LeftChildsUnpaintedHalfOverOlive", {6, 15}, Olive},
        {"LeftChildsUnpaintedHalfOverBlue", {12, 15}, Blue},
        {"RightChildInside", {95, 35}, Red},
        {"KeyedChildLeftOut", {65, 50}, Grey},
        {"BetweenChildren", {50, 25}, Grey},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(c.Pixels(k.at.X + off.X, k.at.Y + off.Y), k.expected);
    }
}

TEST_F(VclUtilsTest, NothingIsMadeOrPaintedWhereTheTargetClipsTheChildrenAway)
{
    TSwatch* s = Swatch(50, 30, 10, 10, Red);
    auto target = Filled24(100, 60, Grey);
    HDC dc = target->Canvas().Handle();

    struct Case {
        const char* name;
        TRect clip;
        int outdated;
    } cases[] = {
        {"ChildOutsideTheClip", {0, 0, 20, 20}, 0},
        {"EmptyClipBox", {5, 5, 5, 5}, 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ks::SavedDC saved(dc);
        IntersectClipRect(dc, k.clip.Left, k.clip.Top, k.clip.Right, k.clip.Bottom);
        const long made = BitmapsMade();
        Box->Outdated = 0;
        PaintGraphicChildren(dc, Box, {0, 0});
        EXPECT_EQ(BitmapsMade(), made) << "no off-screen picture";
        EXPECT_EQ(s->Paints, 0);
        EXPECT_EQ(Box->Outdated, k.outdated);
    }
    EXPECT_EQ(target->Canvas().Pixels(55, 35), Grey);
    const long made = BitmapsMade();
    TBackdrop* bare = Create<TBackdrop>(Form);
    bare->SetParent(Form);
    PaintGraphicChildren(dc, bare, {0, 0});
    EXPECT_EQ(BitmapsMade(), made) << "a container without children";
}

// A partial repaint of a container drawn at an offset: the clip is in the target's coordinates,
// so a child is visible where its bounds moved by the offset meet it. Left at the container's
// own coordinates the child near its edge would be taken as clipped away, and the one outside
// the clip as visible.
TEST_F(VclUtilsTest, ChildrenAreClippedWhereTheOffsetPutsThem)
{
    TSwatch* atEdge = Swatch(0, 0, 10, 10, Red);
    TSwatch* inside = Swatch(60, 40, 10, 10, Red);
    auto target = Filled24(120, 80, Grey);
    HDC dc = target->Canvas().Handle();
    const TPoint off{60, 40};
    ks::SavedDC saved(dc);
    IntersectClipRect(dc, 55, 35, 75, 55);
    PaintGraphicChildren(dc, Box, off);
    EXPECT_EQ(target->Canvas().Pixels(65, 45), Red);
    EXPECT_GT(atEdge->Paints, 0);
    EXPECT_EQ(inside->Paints, 0) << "its place at the offset lies outside the clip";
}

// ---- questions --------------------------------------------------------------------------------

TEST_F(VclUtilsTest, ControlsArePaintableOnlyWhenPlacedAndReady)
{
    TSwatch* placed = Swatch(0, 0, 5, 5, Red);
    auto* loose = Create<TSwatch>(Form);
    auto* noWindow = Create<TSolidPanel>(Form);
    noWindow->SetParent(Box);
    ASSERT_FALSE(noWindow->HandleAllocated());
    auto* creating = Swatch(0, 0, 5, 5, Red);
    creating->SetControlState(creating->ControlState().Include(csCreating));
    auto* reading = Swatch(0, 0, 5, 5, Red);
    reading->SetControlState(reading->ControlState().Include(csReadingState));
    auto* going = Swatch(0, 0, 5, 5, Red);
    going->Destroying();
    struct Case {
        const char* name;
        TControl* control;
        bool expected;
    } cases[] = {
        {"Placed", placed, true},      {"WindowedWithWindow", Box, true},
        {"Nil", nullptr, false},       {"WithoutParent", loose, false},
        {"WithoutWindow", noWindow, false}, {"Creating", creating, false},
        {"ReadingState", reading, false}, {"Destroying", going, false},
        {"FormWithoutParent", Form, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CanPaintControl(c.control), c.expected);
    }
}

TEST_F(VclUtilsTest, OwnersAreFollowedToTheFirstFormOrFrame)
{
    auto* frame = Create<TFrame>(Form);
    auto* inFrame = Create<TSwatch>(frame);
    auto* loose = Create<TComponent>(nullptr);
    EXPECT_EQ(OwningForm(Form), Form) << "a form owns itself";
    EXPECT_EQ(OwningForm(inFrame), Form);
    EXPECT_EQ(OwningFrame(inFrame), frame);
    EXPECT_EQ(OwningFrame(frame), frame);
    EXPECT_EQ(OwningFrame(Box), nullptr);
    EXPECT_EQ(OwningForm(loose), nullptr);
    EXPECT_EQ(OwningForm(nullptr), nullptr);
    loose->Free();
}

TEST_F(VclUtilsTest, TextFlagsFollowAlignmentAndReadingOrder)
{
    static bool middleEast = false;
    ks::Sys().IsMiddleEastLocale = [] { return middleEast; };
    const UINT base = DT_EXPANDTABS | DT_VCENTER;
    struct Case {
        const char* name;
        bool middleEast;
        TBiDiMode mode;
        int alignment;
        UINT expected;
    } cases[] = {
        {"Left", false, bdLeftToRight, 0, base | DT_LEFT},
        {"Right", false, bdLeftToRight, 1, base | DT_RIGHT},
        {"Centre", false, bdLeftToRight, 2, 0x45},
        {"OutOfTableIsLeft", false, bdLeftToRight, 3, base | DT_LEFT},
        {"NegativeIsLeft", false, bdLeftToRight, -1, base | DT_LEFT},
        {"RightToLeftNeedsTheLocale", false, bdRightToLeft, 0, base | DT_LEFT},
        {"RightToLeftSwapsLeft", true, bdRightToLeft, 0, base | DT_RIGHT | DT_RTLREADING},
        {"RightToLeftSwapsRight", true, bdRightToLeft, 1, base | DT_LEFT | DT_RTLREADING},
        {"RightToLeftKeepsCentre", true, bdRightToLeft, 2, base | DT_CENTER | DT_RTLREADING},
        {"ReadingOnly", true, bdRightToLeftReadingOnly, 0, base | DT_LEFT | DT_RTLREADING},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        middleEast = c.middleEast;
        Box->SetBiDiMode(c.mode);
        EXPECT_EQ(DrawTextFlagsOf(Box, c.alignment), c.expected);
    }
}

LRESULT CALLBACK FramedProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCALCSIZE) {
        RECT& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0];
        r.left += 4;
        r.top += 34;
        r.right -= 4;
        r.bottom -= 4;
        return 0;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

TEST_F(VclUtilsTest, WindowGeometry)
{
    const wchar_t* cls = RegisterTestClass(L"KsFramed", &FramedProc);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const HWND framed = CreateWindowExW(0, cls, L"", WS_POPUP, 30, 40, 120, 90, nullptr, nullptr, instance, nullptr);
    const HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 9, 9, framed, nullptr, instance, nullptr);
    const HWND grandchild = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, child, nullptr, instance, nullptr);
    const HWND owned = CreateWindowExW(0, cls, L"", WS_POPUP, 0, 0, 9, 9, framed, nullptr, instance, nullptr);

    TRect r;
    ClientRectInWindow(framed, r);
    EXPECT_EQ(r, (TRect{4, 34, 116, 86})) << "a 4-pixel frame with a 30-pixel caption";
    EXPECT_EQ(TopParentWindow(framed), framed);
    EXPECT_EQ(TopParentWindow(grandchild), framed);
    EXPECT_EQ(TopParentWindow(owned), framed) << "owned windows climb to their owner";
    DestroyWindow(framed);
    ClientRectInWindow(framed, r);
    EXPECT_EQ(r, TRect{}) << "a window that is gone";
}

TEST_F(VclUtilsTest, AlignedSizesSumTheShownChildrenOfOneAlignment)
{
    auto add = [&](auto* child, TAlign align, int w, int h, bool visible = true) {
        child->SetParent(Box);
        child->SetBounds(0, 0, w, h);
        child->SetAlign(align);
        child->SetVisible(visible);
    };
    add(Create<TSolidPanel>(Form), alTop, 10, 20);
    add(Create<TSwatch>(Form), alTop, 10, 7);
    add(Create<TSolidPanel>(Form), alTop, 10, 100, false);
    add(Create<TSolidPanel>(Form), alBottom, 10, 9);
    add(Create<TSolidPanel>(Form), alLeft, 30, 10);
    add(Create<TSwatch>(Form), alRight, 6, 10);
    add(Create<TSolidPanel>(Form), alClient, 10, 10);
    struct Case {
        TAlign align;
        bool graphic;
        int expected;
    } cases[] = {
        {alTop, false, 20}, {alTop, true, 27},   {alBottom, false, 9}, {alLeft, true, 30},
        {alRight, false, 0}, {alRight, true, 6}, {alClient, true, 0},  {alNone, true, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetAlignedSize(Box, c.align, c.graphic), c.expected) << c.align << " " << c.graphic;
    EXPECT_EQ(GetAlignedSize(nullptr, alTop, true), 0);
}

std::vector<std::pair<std::wstring, std::wstring>> gThemes;

HRESULT WINAPI RecordTheme(HWND, const wchar_t* app, const wchar_t* list)
{
    gThemes.emplace_back(app ? app : L"(null)", list ? list : L"(null)");
    return S_OK;
}

TEST_F(VclUtilsTest, TheVisualStyleIsSwitchedOnlyWithTheLibrary)
{
    gThemes.clear();
    ks::Sys().SetWindowThemePtr = &RecordTheme;
    InitializeVclUtilsUnit();
    ASSERT_NE(UxThemeLibrary, nullptr) << "the system has the library";
    SwitchVisualStyleOff(Box->Handle());
    GiveVisualStyleBack(Box->Handle());
    const HMODULE library = std::exchange(UxThemeLibrary, nullptr);
    SwitchVisualStyleOff(Box->Handle());
    UxThemeLibrary = library;
    using Calls = std::vector<std::pair<std::wstring, std::wstring>>;
    EXPECT_EQ(gThemes, (Calls{{L" ", L" "}, {L"(null)", L"(null)"}}));
}

// ---- capture ----------------------------------------------------------------------------------

TEST_F(VclUtilsTest, AHiddenControlIsCapturedAsItsParentsBackground)
{
    auto* hidden = Create<TSolidPanel>(Form);
    hidden->SetParent(Box);
    hidden->SetBounds(20, 10, 30, 20);
    hidden->SetColor(Red);
    hidden->Hide();
    Box->Cache = Filled24(120, 80, Blue);
    Box->Cache->Canvas().Brush().SetColor(Olive);
    Box->Cache->Canvas().FillRect({23, 12, 120, 80});
    Box->Offset = {3, 2};

    auto image = Filled24(40, 30, Grey);
    PaintControlToBitmap(*image, hidden, 4, 5, nullptr);
    EXPECT_EQ(image->Canvas().Pixels(4, 5), Olive) << "copied from the parent's image at its offset";
    EXPECT_EQ(image->Canvas().Pixels(33, 24), Olive);
    EXPECT_EQ(image->Canvas().Pixels(3, 5), Grey);
    EXPECT_EQ(image->Canvas().Pixels(34, 25), Grey);

    Box->Cache.reset();
    Box->Answer = Green;
    PaintControlToBitmap(*image, hidden, 0, 0, nullptr);
    EXPECT_EQ(image->Canvas().Pixels(29, 19), Green) << "a colour answer fills its area";
    EXPECT_EQ(image->Canvas().Pixels(30, 20), Olive);
}

TEST_F(VclUtilsTest, AShownTreeIsCapturedWithItsWindowedChildrenAtTheirPlaces)
{
    Form->SetBorderStyle(bsNone); // the window is its client area
    Form->SetColor(Blue);
    auto* panel = Create<TSolidPanel>(Form);
    panel->SetParent(Form);
    panel->SetBounds(110, 20, 40, 30);
    panel->SetColor(Red);
    auto* inner = Create<TSolidPanel>(Form);
    inner->SetParent(panel);
    inner->SetBounds(5, 5, 10, 10);
    inner->SetColor(Green);
    Form->Show();
    VclFixture::Pump();

    auto image = NewBitmap24(Form->ClientWidth(), Form->ClientHeight());
    HDC dc = image->Canvas().Handle();
    PaintControlToBitmap(*image, Form, 0, 0, nullptr);
    EXPECT_EQ(image->Canvas().Pixels(111, 21), Red);
    EXPECT_EQ(image->Canvas().Pixels(116, 26), Green) << "a grandchild at its place in its parent";
    EXPECT_EQ(image->Canvas().Pixels(60, 100), Blue);
    RECT clip{};
    GetClipBox(dc, &clip);
    EXPECT_EQ(clip.right, Form->ClientWidth()) << "the DC is left unclipped";
}

} // namespace
