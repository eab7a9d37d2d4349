// The static and panel adapters on real windows under a skin of solid colours.
#include "skin/adapters/acStaticAdapters.h"

#include "skin/core/sCommonData.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"
#include "win/skin/adapters/AdapterSkinFixture.h"
#include "win/support/WindowClasses.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace ks::test;

class StaticAdapterTest : public AdapterFixture {
protected:
    template <class T>
    T* Adapt(HWND wnd, const char* section = "LABELS")
    {
        return TacMainWnd::Create<T>(wnd, nullptr, Manager, section, false);
    }
    static bool HasColour(TBitmap& p, TColor c)
    {
        for (int y = 0; y < p.Height(); ++y)
            for (int x = 0; x < p.Width(); ++x)
                if (At(p, x, y) == c)
                    return true;
        return false;
    }
};

// The text lies where the window's own alignment puts it: by its style (left, centred, right)
// or by the right-aligned extended style; and it is laid out as the platform lays out the same
// static: its ink takes the same columns and rows.
TEST_F(StaticAdapterTest, StaticTextIsPaintedOverItsSectionUnlessItTakesFocusOrHasAnEdge)
{
    enum Side { Left, Centre, Right };
    static constexpr const wchar_t* Costs = L"Costs of R&D and W&&X";
    static constexpr const wchar_t* Long = L"A long text cut short at a word";
    struct Case {
        const char* name;
        DWORD style, exStyle;
        bool skinned;
        Side side;
        const wchar_t* text = L"Length";
        int width = 140, height = 20;
        // Wine's own static reads the word-ellipsis value as all three ellipses at once and puts
        // dots at both ends: the line it keeps is what it shares with the word ellipsis.
        bool sameColumns = true;
    } cases[] = {
        {"left", SS_LEFT, 0, true, Left},
        {"right", SS_LEFT, WS_EX_RIGHT, true, Right},
        {"centred by style", SS_CENTER, 0, true, Centre},
        {"right by style", SS_RIGHT, 0, true, Right},
        {"tab stop", SS_LEFT | WS_TABSTOP, 0, false, Left},
        {"static edge", SS_LEFT, WS_EX_STATICEDGE, false, Left},
        {"ampersands as prefixes", SS_LEFT, 0, true, Left, Costs, 200},
        {"ampersands as text, as in a message box", SS_LEFT | SS_NOPREFIX, 0, true, Left, Costs, 200},
        {"centred image: one line in the middle", SS_LEFT | SS_CENTERIMAGE, 0, true, Left, Long, 100, 60},
        {"end ellipsis: one line", SS_LEFT | SS_ENDELLIPSIS, 0, true, Left, Long, 100, 40},
        {"word ellipsis: one line", SS_CENTER | SS_WORDELLIPSIS, 0, true, Centre, Long, 100, 40, false},
        {"path ellipsis: one line", SS_LEFT | SS_PATHELLIPSIS, 0, true, Left, L"C:\\Data\\Keys\\Generated\\List.txt", 100, 40},
        {"no word wrap: one line, cut", SS_LEFTNOWORDWRAP, 0, true, Left, Long, 100, 40},
    };
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND wnd = Child(L"STATIC", c.style, c.text, {10, 10, 10 + c.width, 10 + c.height}, c.exStyle);
        SendMessageW(wnd, WM_SETFONT, font, FALSE);
        auto* a = Adapt<TacStaticWnd>(wnd);
        auto p = Print(wnd);
        const int awayX = c.width - 1, awayY = c.height - 1;
        EXPECT_EQ(At(*p, awayX, awayY) == LabelColour, c.skinned);
        if (c.skinned) {
            int first = p->Width(), last = -1;
            for (int y = 0; y < p->Height(); ++y)
                for (int x = 0; x < p->Width(); ++x)
                    if (At(*p, x, y) == clWhite) {
                        first = std::min(first, x);
                        last = std::max(last, x);
                    }
            ASSERT_GE(last, 0) << "the section's font colour";
            if (c.side == Left)
                EXPECT_LT(first, 8);
            else if (c.side == Right)
                EXPECT_GT(last, p->Width() - 8);
            else
                EXPECT_NEAR((first + last) / 2, p->Width() / 2, 3);
            HWND own = Child(L"STATIC", c.style, c.text, {10, 100, 10 + c.width, 100 + c.height}, c.exStyle);
            SendMessageW(own, WM_SETFONT, font, FALSE);
            auto platform = Print(own);
            if (c.sameColumns) {
                EXPECT_EQ(InkLines(*p, true), InkLines(*platform, true)) << "columns";
            }
            EXPECT_EQ(InkLines(*p, false), InkLines(*platform, false)) << "rows";
            DestroyWindow(own);
            RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            EXPECT_EQ(OnScreen(wnd, awayX, awayY), LabelColour);
        }
        a->Free();
        DestroyWindow(wnd);
    }
}

TEST_F(StaticAdapterTest, StaticTextRepaintsItsNewText)
{
    HWND wnd = Child(L"STATIC", SS_LEFT, L"", {10, 10, 150, 30});
    auto* a = Adapt<TacStaticWnd>(wnd);
    auto empty = Print(wnd);
    EXPECT_FALSE(HasColour(*empty, clWhite));
    SetWindowTextW(wnd, L"Пароль");
    EXPECT_EQ(a->WndText, L"Пароль");
    EXPECT_TRUE(HasColour(*Print(wnd), clWhite));
    a->Free();
}

TEST_F(StaticAdapterTest, StaticImagesAreAskedForAtEveryPaintAndNeverKept)
{
    HWND wnd = Child(L"STATIC", SS_BITMAP, nullptr, {10, 10, 40, 40});
    HBITMAP first = SolidBitmap(8, 8, 0x000000FF);
    DeleteObject(reinterpret_cast<HGDIOBJ>(SendMessageW(wnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(first))));
    auto* a = Adapt<TacIconWnd>(wnd);
    auto p = Print(wnd);
    EXPECT_EQ(At(*p, 2, 2), 0x000000FFu);

    // The owner swaps the picture and deletes the old one, as it may.
    HBITMAP second = SolidBitmap(8, 8, 0x0000FF00);
    HBITMAP old = reinterpret_cast<HBITMAP>(SendMessageW(wnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(second)));
    DeleteObject(old ? old : first);
    p = Print(wnd);
    EXPECT_EQ(At(*p, 2, 2), 0x0000FF00u);
    a->Free();
    DestroyWindow(wnd);
    DeleteObject(second);

    HWND iconWnd = Child(L"STATIC", SS_ICON, nullptr, {50, 10, 90, 50});
    HBITMAP colour = SolidBitmap(16, 16, 0x00FF0000);
    HBITMAP mask = SolidBitmap(16, 16, clBlack);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    HICON icon = CreateIconIndirect(&info);
    SendMessageW(iconWnd, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    auto* i = Adapt<TacIconWnd>(iconWnd);
    auto q = Print(iconWnd);
    EXPECT_EQ(At(*q, 4, 4), 0x00FF0000u);
    i->Free();
    DestroyWindow(iconWnd);
    DestroyIcon(icon);
    DeleteObject(colour);
    DeleteObject(mask);
}

TEST_F(StaticAdapterTest, LinkLabelsLoseOnlyUpperCaseAnchorTags)
{
    HWND plain = Child(L"STATIC", SS_LEFT, L"Site", {10, 10, 150, 30});
    HWND tagged = Child(L"STATIC", SS_LEFT, L"<A>Site</A>", {10, 40, 150, 60});
    HWND lower = Child(L"STATIC", SS_LEFT, L"<a>Site</a>", {10, 70, 150, 90});
    auto* a = Adapt<TacLinkWnd>(plain);
    auto* b = Adapt<TacLinkWnd>(tagged);
    auto* c = Adapt<TacLinkWnd>(lower);
    auto pPlain = Print(plain), pTagged = Print(tagged), pLower = Print(lower);
    EXPECT_TRUE(HasColour(*pPlain, clWhite));
    EXPECT_TRUE(SamePicture(*pPlain, *pTagged));
    EXPECT_FALSE(SamePicture(*pPlain, *pLower));
    a->Free();
    b->Free();
    c->Free();
}

TEST_F(StaticAdapterTest, SizeGripAnswersBottomRightAndPaintsItsGlyphOverTheParent)
{
    HWND wnd = Child(L"SCROLLBAR", SBS_SIZEGRIP, nullptr, {100, 100, 120, 120});
    auto* a = Adapt<TacSizerWnd>(wnd, "");
    Manager->SetActiveControl(Parent);
    for (POINT pt : {POINT{101, 101}, POINT{119, 119}, POINT{140, 140}})
        EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)), HTBOTTOMRIGHT);
    EXPECT_EQ(Manager->ActiveControl, nullptr) << "the hot control is dropped";
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(OnScreen(wnd, 19, 19), GripColour);
    EXPECT_EQ(OnScreen(wnd, 13, 13), GripColour);
    EXPECT_EQ(OnScreen(wnd, 2, 2), ParentColour);

    // A grip image without cells paints no glyph and divides by nothing.
    const int grip = Manager->FindMask(Manager->CommonIndexes.GlobalInfoIndex, "GLOBALINFO", "GRIPIMAGE");
    ASSERT_TRUE(Manager->MaskIndexValid(grip));
    Manager->MaskArray[static_cast<size_t>(grip)].ImageCount = 0;
    Manager->MaskArray[static_cast<size_t>(grip)].MaskType = -1;
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(OnScreen(wnd, 19, 19), ParentColour);
    a->Free();
}

TEST_F(StaticAdapterTest, ASeeThroughAreaShowsItsSectionAroundItsChildWindows)
{
    // A nested dialog area paints nothing of its own.
    static const wchar_t* cls = RegisterTestClass(L"KsPlainArea", DefWindowProcW);
    HWND area = Child(cls, 0, nullptr, {10, 10, 110, 70});
    HWND inner = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BLACKRECT, 10, 10, 20, 20, area,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
    auto* a = Adapt<TacTransPanelWnd>(area);
    RedrawWindow(area, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_EQ(OnScreen(area, 50, 50), LabelColour);
    EXPECT_NE(OnScreen(area, 15, 15), LabelColour) << "the child keeps its own image";
    a->Free();
    DestroyWindow(inner);
}

class PanelAdapterTest : public StaticAdapterTest {
protected:
    void SetUp() override
    {
        StaticAdapterTest::SetUp();
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(Application);
        Form->SetBounds(40, 40, 300, 200);
        Form->Show();
        Pump();
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        StaticAdapterTest::TearDown();
    }
    TPanel* AddPanel(TBevelCut outer, TBevelCut inner, TBorderStyle border)
    {
        auto* panel = Create<TPanel>(Form);
        panel->SetBevelOuter(outer);
        panel->SetBevelInner(inner);
        panel->SetBorderStyle(border);
        panel->SetBounds(10, 10, 120, 60);
        panel->SetParent(Form);
        return panel;
    }
    TForm* Form = nullptr;
};

TEST_F(PanelAdapterTest, PanelsTakeTheSectionTheirBevelsAskFor)
{
    struct Case { TBevelCut outer, inner; TBorderStyle border; const char* section; TColor colour; } cases[] = {
        {bvRaised, bvNone, bsNone, "PANEL", PanelColour},
        {bvLowered, bvNone, bsNone, "PANEL_LOW", PanelLowColour},
        {bvRaised, bvLowered, bsNone, "GROUPBOX", GroupColour},
        {bvNone, bvNone, bsNone, "CHECKBOX", BoxColour},
        {bvNone, bvNone, bsSingle, "PANEL_LOW", PanelLowColour},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        TPanel* panel = AddPanel(c.outer, c.inner, c.border);
        TsCommonData skinData(panel, true);
        skinData.OwnerControl = panel;
        auto* a = TacMainWnd::Create<TacPanelWnd>(panel->Handle(), &skinData, Manager, "", false);
        EXPECT_EQ(skinData.SkinSection(), c.section);
        auto p = Print(panel->Handle());
        EXPECT_EQ(At(*p, 60, 30), c.colour);
        if (c.border == bsSingle) {
            EXPECT_EQ(At(*p, 0, 30), c.colour) << "the frame strips come from the same picture";
            RedrawWindow(panel->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
            EXPECT_EQ(OnScreen(panel->Handle(), 0, 30), c.colour);
        }
        a->Free();
        FreeAndNil(panel);
    }
}

TEST_F(PanelAdapterTest, PanelCaptionIsCentredAndChildrenAreLeftAlone)
{
    TPanel* panel = AddPanel(bvRaised, bvNone, bsNone);
    panel->SetCaption(L"Настройки");
    auto* child = Create<TButton>(Form);
    child->SetParent(panel);
    child->SetBounds(2, 2, 20, 20);
    TsCommonData skinData(panel, true);
    skinData.OwnerControl = panel;
    auto* a = TacMainWnd::Create<TacPanelWnd>(panel->Handle(), &skinData, Manager, "", false);
    RedrawWindow(panel->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    bool text = false;
    for (int x = 30; x < 90; ++x)
        text = text || OnScreen(panel->Handle(), x, 30) == clWhite;
    EXPECT_TRUE(text) << "the caption in the section's font colour";
    EXPECT_EQ(OnScreen(panel->Handle(), 110, 5), PanelColour);
    EXPECT_NE(OnScreen(panel->Handle(), 10, 10), PanelColour) << "the child paints itself";
    EXPECT_EQ(SendMessageW(panel->Handle(), SM_SKINCMD, MAKEWPARAM(0, SKC_IS_SKINNED), 0), 1);
    a->Free();
}

TEST_F(PanelAdapterTest, AClassLibraryPanelInADialogTakesTheGlobalColour)
{
    TPanel* panel = AddPanel(bvRaised, bvNone, bsNone);
    panel->SetColor(clRed);
    auto* a = TacMainWnd::Create<TacDlgPanelWnd>(panel->Handle(), nullptr, Manager, "PANEL", false);
    EXPECT_EQ(a->Control(), panel);
    EXPECT_EQ(a->SkinData->SkinSection(), "CHECKBOX");
    EXPECT_EQ(panel->Color(), Manager->GlobalSectionColor());
    SendMessageW(panel->Handle(), WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(panel->Color(), clBtnFace);
    a->Free();
}

} // namespace

namespace {

constexpr TColor Marker = 0x00FF00FF - 1;

// A panel of a dialog that paints its content as the marker over whatever it is given.
LRESULT CALLBACK MarkerPanelProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT && wParam) {
        RECT r{};
        GetClientRect(wnd, &r);
        FillWith(reinterpret_cast<HDC>(wParam), r, Marker);
        return 0;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

TEST_F(StaticAdapterTest, ADialogPanelsContentStaysInsideItsSkinnedBand)
{
    static const wchar_t* cls = RegisterTestClass(L"KsMarkerPanel", MarkerPanelProc);
    HWND wnd = Child(cls, 0, nullptr, {10, 10, 90, 70});
    auto* a = TacMainWnd::Create<TacDlgPanelWnd>(wnd, nullptr, Manager, "PANEL", false);
    EXPECT_EQ(a->SkinData->SkinSection(), "GROUPBOX") << "no class-library panel behind the window";
    auto p = std::make_unique<TBitmap>();
    p->SetPixelFormat(pf24bit);
    p->SetSize(80, 60);
    SendMessageW(wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(p->Canvas().Handle()), 0);
    GdiFlush();
    int inside = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x) {
            const bool band = x < 6 || y < 6 || x >= 74 || y >= 54;
            const TColor c = At(*p, x, y);
            if (band)
                EXPECT_NE(c, Marker) << x << "," << y;
            else
                inside += c == Marker;
        }
    EXPECT_EQ(inside, 68 * 48);
    EXPECT_EQ(At(*p, 1, 30), BorderCells[0]) << "the group box frame in the band";
    EXPECT_EQ(At(*p, 4, 30), GroupColour);
    a->Free();
}

} // namespace
