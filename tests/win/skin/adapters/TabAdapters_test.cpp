// The tab, page-control and page adapters on real tab controls and class-library page controls
// under a skin of solid colours.
#include "skin/adapters/TabAdapters.h"

#include "skin/adapters/UpDownAdapter.h"
#include "skin/core/SkinSenders.h"
#include "vcl/ComCtrls.h"
#include "vcl/Forms.h"
#include "win/skin/adapters/TabBarSkinFixture.h"
#include "win/support/AccessViolations.h"
#include "win/support/SheetPng.h"
#include "win/support/WindowClasses.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

using namespace ks::test;

class TabAdapterTest : public TabBarFixture {
protected:
    HWND Tabs(DWORD style, int count, int selected, TRect r = {10, 10, 250, 160}, DWORD exStyle = 0)
    {
        HWND wnd = Child(WC_TABCONTROLW, style, L"", r, exStyle);
        SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        for (int i = 0; i < count; ++i) {
            std::wstring text = L"Tab " + std::to_wstring(i);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text.data();
            SendMessageW(wnd, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        }
        SendMessageW(wnd, TCM_SETCURSEL, static_cast<WPARAM>(selected), 0);
        return wnd;
    }
    TacTabControlWnd* Adapt(HWND wnd) { return TacMainWnd::Create<TacTabControlWnd>(wnd, nullptr, Manager, "", false); }
    // The colour of a tab's border at the middle of its left edge.
    static TColor TabEdge(TBitmap& p, const TRect& r) { return At(p, r.Left + 1, (r.Top + r.Bottom) / 2); }
};

TEST_F(TabAdapterTest, EachSideShowsItsPageSectionItsTabsAndTheSelectedTabOverThePage)
{
    struct Case { const char* name; DWORD style; TColor page; bool stripAtTop, stripAtBottom; } cases[] = {
        {"top", 0, PageColour, true, false},
        {"bottom", TCS_BOTTOM, PageBottomColour, false, true},
        // Vertical tabs stand in a column: only the selected one is checked there.
        // The skin has no left or right page section: the page looks as on top.
        {"left", TCS_VERTICAL | TCS_MULTILINE, PageColour, false, false},
        {"right", TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE, PageColour, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND wnd = Tabs(c.style, 3, 1);
        auto* a = Adapt(wnd);
        auto p = Print(wnd);
        EXPECT_EQ(At(*p, 120, 80), c.page);
        EXPECT_EQ(TabEdge(*p, a->TabRect(1, true)), BorderCells[2]) << "selected";
        if (c.stripAtTop || c.stripAtBottom) {
            const TRect other = a->TabRect(0, false);
            // Of a tab that is not selected only what stands in the strip shows.
            const TRect strip = a->TabsRect();
            const TRect visible{other.Left, std::max(other.Top, strip.Top), other.Right,
                                std::min(other.Bottom, strip.Bottom)};
            EXPECT_EQ(TabEdge(*p, visible), BorderCells[0]) << "not selected";
        }
        if (c.stripAtTop) {
            EXPECT_EQ(At(*p, 235, 3), ParentColour) << "the strip shows the parent";
        }
        if (c.stripAtBottom) {
            EXPECT_EQ(At(*p, 235, 147), ParentColour) << "the strip shows the parent";
        }
        a->Free();
        DestroyWindow(wnd);
    }
}

// A parent that answers no colour leaves the strip to the skin's global section colour, as the
// skin core's own query does.
TEST_F(TabAdapterTest, TheStripOfAParentWithoutAColourTakesTheSkinsGlobalColour)
{
    gParent.answer = TransparentKeyColor;
    HWND wnd = Tabs(0, 3, 1);
    auto* a = Adapt(wnd);
    auto p = Print(wnd);
    EXPECT_EQ(At(*p, 235, 3), ColorToRGB(Manager->GlobalSectionColor()));
    EXPECT_NE(ColorToRGB(Manager->GlobalSectionColor()), ColorToRGB(clBtnFace));
    a->Free();
    DestroyWindow(wnd);
}

TEST_F(TabAdapterTest, SelectingByMessageMovesTheSelectedLookAndTheAnswersFollowTheControl)
{
    HWND wnd = Tabs(0, 3, 0);
    auto* a = Adapt(wnd);
    SendMessageW(wnd, TCM_SETCURSEL, 2, 0);
    auto p = Print(wnd);
    EXPECT_EQ(TabEdge(*p, a->TabRect(2, true)), BorderCells[2]);
    EXPECT_EQ(TabEdge(*p, a->TabRect(0, false)), BorderCells[0]);
    EXPECT_EQ(reinterpret_cast<TsSkinManager*>(SendCommandWnd(wnd, SKC_GET_CAPTION_HEIGHT, 0)), Manager);
    EXPECT_EQ(SendCommandWnd(wnd, SKC_IS_SKINNED, 0), 1);
    // No selection: no tab rectangle, and nothing selected is painted.
    SendMessageW(wnd, TCM_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(a->TabRect(0, false).Width(), 0);
    EXPECT_EQ(At(*Print(wnd), 120, 80), PageColour);
    a->Free();
    EXPECT_EQ(GetScrollHandler(wnd), nullptr);
    DestroyWindow(wnd);
}

TEST_F(TabAdapterTest, ImagesStandBesideTheTextAndRowsLeaveTheSelectedTabOnTop)
{
    constexpr TColor ImageColour = 0x000080FF;
    HIMAGELIST images = SolidImageList(12, ImageColour);

    HWND wnd = Tabs(TCS_MULTILINE, 12, 4, {10, 10, 200, 200});
    SendMessageW(wnd, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    TCITEMW item{};
    item.mask = TCIF_IMAGE;
    item.iImage = 0;
    SendMessageW(wnd, TCM_SETITEMW, 4, reinterpret_cast<LPARAM>(&item));
    ASSERT_GT(SendMessageW(wnd, TCM_GETROWCOUNT, 0, 0), 1);
    auto* a = Adapt(wnd);
    auto p = Print(wnd);
    const TRect selected = a->TabRect(4, true);
    EXPECT_EQ(TabEdge(*p, selected), BorderCells[2]) << "painted after every row";
    EXPECT_TRUE(HasColour(*p, ImageColour, {selected.Left, selected.Top, (selected.Left + selected.Right) / 2, selected.Bottom}))
        << "the image left of the text";
    const TRect plain = a->TabRect(5, false);
    EXPECT_FALSE(HasColour(*p, ImageColour, plain)) << "a tab without an image shows none";
    a->Free();
    DestroyWindow(wnd);
    ImageList_Destroy(images);
}

// A parent that takes every tab away while the tab control asks it for its background.
HWND gTabsToEmpty = nullptr;
LRESULT CALLBACK EmptyingParentProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == SM_SKINCMD && HIWORD(wParam) == SKC_GET_BG_INFO && gTabsToEmpty)
        SendMessageW(std::exchange(gTabsToEmpty, nullptr), TCM_DELETEALLITEMS, 0, 0);
    return AdapterParentProc(wnd, msg, wParam, lParam);
}

TEST_F(TabAdapterTest, NoTabsManyTabsAndTabsTakenAwayWhilePainting)
{
    // Without tabs the whole control is the check-box section.
    HWND none = Tabs(0, 0, -1);
    auto* a = Adapt(none);
    auto p = Print(none);
    EXPECT_EQ(At(*p, 2, 2), BoxColour);
    EXPECT_EQ(At(*p, 237, 147), BoxColour);
    a->Free();
    DestroyWindow(none);

    // Thousands of tabs on one line (scrolled by an up-down) and on many lines.
    for (DWORD style : {DWORD{0}, DWORD{TCS_MULTILINE}}) {
        HWND many = Tabs(style, style ? 200 : 1000, 7, {10, 10, 300, 200});
        auto* m = Adapt(many);
        auto q = Print(many);
        EXPECT_EQ(q->Width(), 290);
        m->Free();
        DestroyWindow(many);
    }

    // The parent empties the control in the middle of its paint.
    RegisterTestClass(L"KsEmptyingParent", EmptyingParentProc);
    HWND parent = CreateWindowExW(0, L"KsEmptyingParent", L"", WS_POPUP | WS_VISIBLE, 40, 40, 300, 200, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    HWND wnd = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE, 10, 10, 250, 160, parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    for (int i = 0; i < 5; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"Gone");
        SendMessageW(wnd, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(wnd, TCM_SETCURSEL, 3, 0);
    auto* e = Adapt(wnd);
    gTabsToEmpty = wnd;
    auto r = Print(wnd);
    EXPECT_EQ(gTabsToEmpty, nullptr);
    EXPECT_EQ(SendMessageW(wnd, TCM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(At(*Print(wnd), 120, 80), BoxColour) << "the next paint shows the empty control";
    e->Free();
    DestroyWindow(parent);
}

// An adapter given a manager of its own lets it go when the application frees it, and paints
// from the default manager's skin after it.
class TabAdapterLifetimeTest : public TabAdapterTest {};

TEST_F(TabAdapterLifetimeTest, AControlDestroyedWhileAdaptedLetsItsAdapterGo)
{
    HWND wnd = Tabs(0, 2, 0);
    auto* a = Adapt(wnd);
    DestroyWindow(wnd);
    EXPECT_TRUE(a->Destroyed);
    a->Free();
}

TEST_F(TabAdapterTest, TheUpDownThatScrollsTheTabsIsSkinnedWhileTheControlIs)
{
    HWND wnd = Tabs(0, 12, 0, {10, 10, 160, 100});
    HWND spin = FindWindowExW(wnd, nullptr, UPDOWN_CLASSW, nullptr);
    ASSERT_NE(spin, nullptr) << "twelve tabs overflow a narrow control";
    auto* a = Adapt(wnd);
    Print(wnd);
    TacSpinWnd* spinAdapter = a->UpDownAdapter();
    ASSERT_NE(spinAdapter, nullptr);
    EXPECT_EQ(GetScrollHandler(spin), spinAdapter);
    // The skin has no "UPDOWNBTN": the halves are buttons.
    RECT sr{};
    GetClientRect(spin, &sr);
    auto halves = NewBitmap24(sr.right, sr.bottom);
    SendMessageW(spin, WM_PAINT, reinterpret_cast<WPARAM>(halves->Canvas().Handle()), 0);
    GdiFlush();
    EXPECT_EQ(At(*halves, 4, 4), ButtonColour);

    // A size change, a refresh and a repaint keep the one adapter.
    SetWindowPos(wnd, nullptr, 0, 0, 170, 100, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(wnd, SM_SKINCMD, MAKEWPARAM(0, SKC_REFRESH), reinterpret_cast<LPARAM>(Manager));
    Print(wnd);
    EXPECT_EQ(a->UpDownAdapter(), spinAdapter);
    // Every tab fits again. Wine: the platform hides its up-down and keeps the window (Windows
    // destroys it); the adapter stays with that one window, and serves it again when it shows.
    SetWindowPos(wnd, nullptr, 0, 0, 900, 100, SWP_NOMOVE | SWP_NOZORDER);
    const HWND hidden = FindWindowExW(wnd, nullptr, UPDOWN_CLASSW, nullptr);
    ASSERT_EQ(hidden, spin);
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_EQ(a->UpDownAdapter(), spinAdapter);
    EXPECT_EQ(GetScrollHandler(hidden), spinAdapter);
    SetWindowPos(wnd, nullptr, 0, 0, 150, 100, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(IsWindowVisible(spin));
    EXPECT_EQ(a->UpDownAdapter(), spinAdapter) << "the one adapter, not a second";
    EXPECT_EQ(GetScrollHandler(spin), spinAdapter);

    a->Free();
    EXPECT_EQ(GetScrollHandler(spin), nullptr) << "the up-down goes with the tab control's adapter";
    DestroyWindow(wnd);
}

// A tab control whose page area starts higher than the platform puts it, so that the selected
// tab's rectangle reaches into it.
class ShallowTabsWnd : public TacTabControlWnd {
public:
    using TacTabControlWnd::TacTabControlWnd;
    TRect PageRect() override
    {
        TRect r = TacTabControlWnd::PageRect();
        r.Top -= 5;
        return r;
    }
};

TEST_F(TabAdapterTest, TabsOnTopStopWhereThePageAreaStarts)
{
    HWND wnd = Tabs(0, 3, 1);
    auto* a = TacMainWnd::Create<ShallowTabsWnd>(wnd, nullptr, Manager, "", false);
    const TRect page = a->PageRect();
    const TRect tab = a->TabRect(1, true);
    ASSERT_GT(tab.Bottom, page.Top + 1) << "the selected tab reaches into the page area";
    auto p = Print(wnd);
    const int x = (tab.Left + tab.Right) / 2;
    EXPECT_EQ(At(*p, x, page.Top + 1), PageColour);
    EXPECT_EQ(At(*p, tab.Left + 1, page.Top - 2), BorderCells[2]) << "the tab above it stays";
    a->Free();
    DestroyWindow(wnd);
}

// A right-to-left control lays its tabs out from its right edge: each tab shows there, and reads
// as the same tab of a left-to-right control.
TEST_F(TabAdapterTest, ARightToLeftControlShowsEachTabAtItsPlaceReadingAsWritten)
{
    const int width = 190;
    HWND ltr = Tabs(0, 3, 1, {10, 10, 10 + width, 130});
    HWND rtl = Tabs(0, 3, 1, {215, 10, 215 + width, 130}, WS_EX_LAYOUTRTL);
    auto* a = Adapt(ltr);
    auto* b = Adapt(rtl);
    for (HWND wnd : {ltr, rtl})
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    // Wine puts a window's pictures on the screen from its message loop.
    for (int i = 0; i < 10; ++i) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(10);
    }
    auto left = ScreenPlacePicture(ltr);
    auto right = ScreenPlacePicture(rtl);
    WriteSheetPng(*ScreenPlacePicture(Parent), std::string(KS_BUILD_DIR) + "/tabs-left-and-right-to-left.png");
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const TRect r = a->TabRect(i, i == 1);
        ASSERT_EQ(r, b->TabRect(i, i == 1)) << "both controls lay their tabs out alike";
        // The caption inside the tab's frame, at the mirrored place on the right-to-left control.
        // Wine places a picture copied with its orientation kept one pixel left of its place.
        int text = 0;
        int differing[2] = {0, 0};
        for (int shift : {0, 1})
            for (int y = r.Top + 3; y < std::min(r.Bottom - 3, a->PageRect().Top); ++y)
                for (int x = r.Left + 3; x < r.Right - 3; ++x) {
                    const TColor c = At(*left, x, y);
                    text += shift == 0 && (c == clWhite || c == 0x00FFFF);
                    differing[shift] += c != At(*right, width - r.Right + x - r.Left - shift, y);
                }
        EXPECT_GT(text, 0) << "the caption shows";
        EXPECT_EQ(std::min(differing[0], differing[1]), 0);
    }
    a->Free();
    b->Free();
    DestroyWindow(ltr);
    DestroyWindow(rtl);
}

int gNcPaints = 0;
WNDPROC gCountedProc = nullptr;

LRESULT CALLBACK CountNcPaints(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCPAINT)
        ++gNcPaints;
    return CallWindowProcW(gCountedProc, wnd, msg, wParam, lParam);
}

TEST_F(TabAdapterTest, ShrinkingTheControlRepaintsItsFrameAndGrowingItDoesNot)
{
    HWND wnd = Tabs(0, 3, 0);
    auto* a = Adapt(wnd);
    Print(wnd);
    gCountedProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountNcPaints)));
    auto framePaintsAfterResize = [&](int w, int h) {
        UpdateWindow(wnd);
        gNcPaints = 0;
        SetWindowPos(wnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW);
        UpdateWindow(wnd);
        return gNcPaints;
    };
    EXPECT_GT(framePaintsAfterResize(200, 160), 0) << "narrower";
    // Larger than the painted size in both directions: nothing to take back.
    EXPECT_EQ(framePaintsAfterResize(260, 170), 0) << "wider and higher";
    EXPECT_GT(framePaintsAfterResize(260, 120), 0) << "lower";
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gCountedProc));
    a->Free();
    DestroyWindow(wnd);
}

TEST(TabFont, VerticalTextTurnsInANormalWeightFaceThatTurns)
{
    LOGFONTW base{};
    base.lfHeight = -11;
    base.lfWeight = FW_BOLD;
    base.lfItalic = TRUE;
    base.lfCharSet = RUSSIAN_CHARSET;
    wcscpy(base.lfFaceName, L"MS Sans Serif");
    const LOGFONTW left = RotatedTabFont(base, true);
    EXPECT_EQ(left.lfEscapement, -2700);
    EXPECT_EQ(left.lfOrientation, -2700);
    EXPECT_EQ(left.lfWeight, FW_NORMAL);
    EXPECT_EQ(left.lfHeight, -11);
    EXPECT_TRUE(left.lfItalic);
    EXPECT_EQ(left.lfCharSet, RUSSIAN_CHARSET);
    EXPECT_STREQ(left.lfFaceName, L"Arial");
    wcscpy(base.lfFaceName, L"Tahoma");
    const LOGFONTW right = RotatedTabFont(base, false);
    EXPECT_EQ(right.lfEscapement, -900);
    EXPECT_STREQ(right.lfFaceName, L"Tahoma");
}

// ---- class-library page control ------------------------------------------------------------
class PageControlAdapterTest : public TabBarFixture {
protected:
    void SetUp() override
    {
        TabBarFixture::SetUp();
        ks::SetNextFormCreation({true, false, {}});
        Host = CreateNew<TForm>(Application);
        Host->SetBounds(60, 60, 320, 240);
        Pages = Create<TPageControl>(Host);
        Pages->SetBounds(10, 10, 280, 180);
        Pages->SetParent(Host);
        for (const wchar_t* caption : {L"General", L"Пароли"}) {
            auto* sheet = Create<TTabSheet>(Host);
            sheet->SetCaption(caption);
            sheet->SetPageControl(Pages);
        }
        Host->Show();
        for (int i = 0; i < Pages->PageCount(); ++i)
            Pages->Pages(i)->HandleNeeded();
        Pump();
        Data = std::make_unique<TsCommonData>(Pages, true);
        Data->OwnerControl = Pages;
    }
    void TearDown() override
    {
        Data.reset();
        FreeAndNil(Host);
        TabBarFixture::TearDown();
    }
    TForm* Host = nullptr;
    TPageControl* Pages = nullptr;
    std::unique_ptr<TsCommonData> Data;
};

TEST_F(PageControlAdapterTest, PagesShowThePageAreaAndAnswerForTheirChildrenAtTheirPlace)
{
    auto* a = TacMainWnd::Create<TacPageControlWnd>(Pages->Handle(), Data.get(), Manager, "", false);
    ASSERT_EQ(a->PageAdapters().size(), 2u);
    TTabSheet* first = Pages->Pages(0);
    EXPECT_NE(GetScrollHandler(first->Handle()), nullptr);
    EXPECT_EQ(At(*Print(first->Handle()), first->Width() / 2, first->Height() / 2), PageColour);

    BackgroundInfo info;
    ks::SendSkinMessage(first->Handle(), SM_SKINCMD, MAKEWPARAM(0, SKC_GET_BG_INFO), reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.Offset.X, first->Left());
    EXPECT_EQ(info.Offset.Y, first->Top());
    EXPECT_EQ(info.Color, PageColour);

    // A page added later is adapted at the next frame paint; one freed is let go.
    auto* third = Create<TTabSheet>(Host);
    third->SetPageControl(Pages);
    Pages->SetActivePage(third);
    SendMessageW(Pages->Handle(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(a->PageAdapters().size(), 3u);
    FreeAndNil(third);
    SendMessageW(Pages->Handle(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(a->PageAdapters().size(), 2u);

    a->Free();
    EXPECT_EQ(GetScrollHandler(first->Handle()), nullptr) << "the pages go back with the page control";
    EXPECT_EQ(GetScrollHandler(Pages->Handle()), nullptr);
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class PageControlAdapterLifetimeTest : public PageControlAdapterTest {};

TEST_F(PageControlAdapterLifetimeTest, APageControlFreedWhileAdaptedLeavesNothingBehind)
{
    auto* a = TacMainWnd::Create<TacPageControlWnd>(Pages->Handle(), Data.get(), Manager, "", false);
    HWND sheet = Pages->Pages(1)->Handle();
    FreeAndNil(Pages);
    EXPECT_TRUE(a->Destroyed);
    EXPECT_FALSE(IsWindow(sheet));
    a->Free();
}

TEST_F(TabAdapterLifetimeTest, AnAdapterOutlivesTheManagerItWasGiven)
{
    TsSkinManager* own = NewSkinManager(Dir, L"Bars", SkinArchive(TabBarSkinOptions(false), Bmp24(96, 96, MasterPixel)));
    ASSERT_TRUE(own->SkinData.SkinActive);
    HWND wnd = Tabs(0, 3, 1);
    auto* a = TacMainWnd::Create<TacTabControlWnd>(wnd, nullptr, own, "", false);
    ASSERT_EQ(a->SkinManager(), own);
    EXPECT_EQ(reinterpret_cast<TsSkinManager*>(SendCommandWnd(wnd, SKC_GET_CAPTION_HEIGHT, 0)), own);

    ks::test::AccessViolations faults;
    FreeAndNil(own);
    EXPECT_EQ(a->SkinManager(), nullptr);
    EXPECT_EQ(reinterpret_cast<TsSkinManager*>(SendCommandWnd(wnd, SKC_GET_CAPTION_HEIGHT, 0)), Manager);
    auto p = Print(wnd);
    EXPECT_EQ(At(*p, 120, 80), PageColour);
    EXPECT_EQ(TabEdge(*p, a->TabRect(1, true)), BorderCells[2]);
    EXPECT_EQ(faults.Count(), 0);
    a->Free();
    DestroyWindow(wnd);
}

} // namespace
