// A skinned form whose window is laid out right to left (WS_EX_LAYOUTRTL): its frame shows where
// its hit test answers, and the caption reads as written. Screen pixels are read through the
// desktop's DC, which no window's mirroring touches.
#include "vcl/Bitmap.h"
#include "vcl/GdiHandles.h"
#include "vcl/Menus.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/skin/forms/FormFrameFixture.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// What the screen shows at (x, y) of the window's rectangle, counted from its left edge.
COLORREF DesktopPixel(HWND wnd, int x, int y)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, r.left + x, r.top + y);
    ReleaseDC(nullptr, screen);
    return c;
}

void MakeRightToLeft(HWND wnd)
{
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
    SetWindowPos(wnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

class RightToLeftFrame : public ks::test::FormFrameFixture {};

// The title band on the screen is the frame image as laid out, title buttons at the right and the
// icon at the left, and the hit test answers the close button and the icon where they show.
TEST_F(RightToLeftFrame, TheTitleShowsWhereItsHitTestAnswers)
{
    const HWND wnd = Form->Handle();
    Form->SetCaption(L"Генератор паролей");
    MakeRightToLeft(wnd);
    Paint();
    ShowFrame();
    Pump();
    GdiFlush();
    const TPoint close = Centre(Provider->ButtonClose.Rect);
    ASSERT_GT(Provider->ButtonClose.Rect.Width(), 0);
    int differing = 0;
    for (const int y : {close.Y, Centre(Provider->IconRect()).Y})
        for (int x = 0; x < Form->Width(); ++x)
            differing += DesktopPixel(wnd, x, y) != static_cast<COLORREF>(CachePixel(x, y));
    EXPECT_EQ(differing, 0) << "pixels of the title band that are not the frame image's";

    RECT r{};
    GetWindowRect(wnd, &r);
    const TPoint icon = Centre(Provider->IconRect());
    EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(r.left + close.X, r.top + close.Y)), HTCLOSE);
    EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(r.left + icon.X, r.top + icon.Y)), HTSYSMENU);

    // For a person to look at: the right-to-left form as the screen shows it.
    std::unique_ptr<TBitmap> shown = NewBitmap24(r.right - r.left, r.bottom - r.top);
    HDC screen = GetDC(nullptr);
    BitBlt(shown->Canvas().Handle(), 0, 0, shown->Width(), shown->Height(), screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    ks::test::WriteSheetPng(*shown, std::string("Z:") + KS_BUILD_DIR + "/form-right-to-left.png");
}

// The system draws the lit item of a mirrored form's menu line through the window's own DC,
// whose x runs from the window's right edge: the item lands at the mirrored place of the
// rectangle it is given, and its caption reads as it does drawn into a plain bitmap.
TEST_F(RightToLeftFrame, AMenuLineItemTheSystemDrawsReadsLeftToRight)
{
    InitializeSkinProviderUnit();
    TMainMenu* menu = GiveMenu({L"File", L"Item"});
    Provider->PrepareForm();
    const HWND wnd = Form->Handle();
    MakeRightToLeft(wnd);
    Paint();
    ShowFrame();
    Pump();
    TMenuItem* file = menu->Items()->Items(0);
    ASSERT_TRUE(file->OnAdvancedDrawItem());
    HDC dc = GetWindowDC(wnd);
    ASSERT_TRUE(GetLayout(dc) & LAYOUT_RTL);
    // On the system's menu row, at the window's left: in the window's DC, at its right.
    RECT window{}, row{};
    GetWindowRect(wnd, &window);
    ASSERT_TRUE(GetMenuItemRect(wnd, GetMenu(wnd), 0, &row));
    const TRect shown{8, row.top - window.top, 48, row.bottom - window.top};
    const int width = Form->Width();
    TCanvas canvas;
    canvas.SetHandle(dc);
    file->AdvancedDrawItem(canvas, TRect{width - shown.Right, shown.Top, width - shown.Left, shown.Bottom}, {odSelected}, true);
    canvas.SetHandle(nullptr);
    ReleaseDC(wnd, dc);
    Pump();
    std::unique_ptr<TBitmap> plain = NewBitmap24(shown.Width(), shown.Height());
    file->AdvancedDrawItem(plain->Canvas(), TRect{0, 0, shown.Width(), shown.Height()}, {odSelected}, true);
    GdiFlush();
    // The caption's ink: what differs from the item's background at its corner.
    const auto inkAt = [&](HDC from, int x0, int y0, int x, int y) {
        return GetPixel(from, x0 + x, y0 + y) != GetPixel(from, x0, y0);
    };
    HDC screen = GetDC(nullptr);
    int ink = 0, differing = 0;
    for (int y = 0; y < shown.Height(); ++y)
        for (int x = 0; x < shown.Width(); ++x) {
            const bool written = inkAt(plain->Canvas().Handle(), 0, 0, x, y);
            ink += written;
            differing += written != inkAt(screen, window.left + shown.Left, window.top + shown.Top, x, y);
        }
    ReleaseDC(nullptr, screen);
    EXPECT_GT(ink, 20) << "the item has a caption";
    EXPECT_EQ(differing, 0) << "pixels of the caption that show otherwise than written";
}

// An MDI main form and its client laid out right to left, with a "File / Window" menu and
// children that inherit the mirroring.
class RightToLeftMDI : public ks::test::SkinnedMDIFixture {
protected:
    void SetUp() override
    {
        SkinnedMDIFixture::SetUp();
        InitializeSkinProviderUnit();
        MakeRightToLeft(Main->Handle());
        MakeRightToLeft(Main->ClientHandle());
        GiveMainFileWindowMenu();
        Pump();
    }
    void TearDown() override
    {
        for (TForm* child : Children)
            child->Free();
        SkinnedMDIFixture::TearDown();
    }
    TsSkinProvider* AddChild(const wchar_t* caption)
    {
        TForm* child = MakeChild(caption, 30 * static_cast<int>(Children.size()));
        Children.push_back(child);
        auto* provider = Create<TsSkinProvider>(child);
        Pump();
        return provider;
    }
    static void Repaint(HWND wnd)
    {
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
    }
    static TPoint Centre(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }
    static LPARAM AtWindowPoint(HWND wnd, TPoint p)
    {
        RECT r{};
        GetWindowRect(wnd, &r);
        return MAKELPARAM(r.left + p.X, r.top + p.Y);
    }
    std::vector<TForm*> Children;
};

// The child's title is laid out from its window's left edge as the screen shows it, and its hit
// test counts from there too, not from its client's right edge.
TEST_F(RightToLeftMDI, AChildAnswersItsTitleButtonsWhereTheyShow)
{
    TsSkinProvider* child = AddChild(L"Один");
    const HWND wnd = Children[0]->Handle();
    ASSERT_TRUE(ks::IsMirrored(wnd)) << "the child inherits the client's mirroring";
    Repaint(Main->Handle());
    const TPoint close = Centre(child->ButtonClose.Rect);
    ASSERT_GT(child->ButtonClose.Rect.Width(), 0);
    ASSERT_NE(child->SkinData()->CacheBitmap, nullptr);
    EXPECT_EQ(DesktopPixel(wnd, close.X, close.Y),
              GetPixel(child->SkinData()->CacheBitmap->Canvas().Handle(), close.X, close.Y))
        << "the close button shows at its place in the frame image";
    EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, AtWindowPoint(wnd, close)), HTCLOSE);
    EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, AtWindowPoint(wnd, Centre(child->IconRect()))), HTSYSMENU);
}

// With a child maximised, the menu line shows each entry where the platform's mirrored menu bar
// takes its click: an item's caption where that item answers, none where the child's hidden
// restore, minimise and close entries answer, and the skin's buttons for those over them.
TEST_F(RightToLeftMDI, TheMenuLineShowsEachEntryWhereItsClickLands)
{
    AddChild(L"Один");
    SendMessageW(Children[0]->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    ASSERT_TRUE(IsZoomed(Children[0]->Handle()));
    const HWND wnd = Main->Handle();
    const HMENU bar = GetMenu(wnd);
    ASSERT_EQ(GetMenuItemCount(bar), 6) << "the child's icon, File, Window and the child's three buttons";
    Provider->FormChanged = true;
    Provider->SkinData()->BackgroundChanged = true;
    Repaint(wnd);
    TBitmap* cache = Provider->SkinData()->CacheBitmap.get();
    ASSERT_NE(cache, nullptr);
    RECT window{}, file{};
    GetWindowRect(wnd, &window);
    ASSERT_TRUE(GetMenuItemRect(wnd, bar, 1, &file));
    const int row = (file.top + file.bottom) / 2;
    // Caption ink by the entry the platform finds under each column of the menu row, beside the
    // skin's buttons (whose glyphs have the captions' colour).
    const auto onButton = [&](int x) {
        for (const TitleButtonRec* rec : {&Provider->MDIMin, &Provider->MDIMax, &Provider->MDIClose})
            if (x >= rec->Rect.Left && x < rec->Rect.Right)
                return true;
        return false;
    };
    std::vector<int> inkOf(6, 0);
    for (int x = 0; x < window.right - window.left; ++x) {
        const int entry = MenuItemFromPoint(wnd, bar, {window.left + x, row});
        if (entry < 0 || entry >= 6 || onButton(x))
            continue;
        for (int y = file.top; y < file.bottom; ++y) {
            const COLORREF c = GetPixel(cache->Canvas().Handle(), x, y - window.top);
            inkOf[static_cast<size_t>(entry)] += c == ks::test::SkinGreen || c == ks::test::SkinBrightGreen;
        }
    }
    EXPECT_GT(inkOf[1], 0) << "File";
    EXPECT_GT(inkOf[2], 0) << "Window";
    for (size_t entry : {3u, 4u, 5u})
        EXPECT_EQ(inkOf[entry], 0) << "no caption over the child's hidden entry " << entry;
    // The skin's buttons lie over the hidden entries and answer for them.
    for (const TitleButtonRec* rec : {&Provider->MDIMin, &Provider->MDIMax, &Provider->MDIClose}) {
        SCOPED_TRACE(rec->HitCode);
        const TPoint at = Centre(rec->Rect);
        EXPECT_GE(MenuItemFromPoint(wnd, bar, {window.left + at.X, window.top + at.Y}), 3);
        EXPECT_EQ(SendMessageW(wnd, WM_NCHITTEST, 0, AtWindowPoint(wnd, at)), rec->HitCode);
    }

    // For a person to look at: the mirrored MDI form with its maximised child.
    std::unique_ptr<TBitmap> shown = NewBitmap24(window.right - window.left, window.bottom - window.top);
    HDC screen = GetDC(nullptr);
    BitBlt(shown->Canvas().Handle(), 0, 0, shown->Width(), shown->Height(), screen, window.left, window.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    ks::test::WriteSheetPng(*shown, std::string("Z:") + KS_BUILD_DIR + "/mdi-right-to-left.png");
}

} // namespace
