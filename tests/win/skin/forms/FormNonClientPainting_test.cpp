#include "skin/forms/acBorderForm.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/forms/FormFrameGeometry.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/sSkinMenus.h"
#include "vcl/Icon.h"
#include "win/skin/forms/BorderTestSupport.h"
#include "win/skin/forms/FormFrameFixture.h"

#include <memory>
#include <string>
#include <utility>

namespace {

using namespace ks::test;

class FormNonClientPaintingTest : public FormFrameFixture {
protected:
    // The colour of the title bar's background at a point clear of icon, text and buttons.
    TPoint TitlePoint() { return {Provider->CaptionBandRect().Right - 2, Provider->CaptionBandRect().Top}; }
    // A point of the left border, halfway down.
    TPoint BorderPoint() { return {1, Form->Height() / 2}; }
    // The form's menu bar: "Файл" and "Справка".
    TMainMenu* GiveMenu() { return FormFrameFixture::GiveMenu({L"Файл", L"Справка"}); }
    // Columns of row y between x0 and x1 (exclusive) whose colour is not the title's.
    int TextColumns(int y, int x0, int x1, TColor title)
    {
        int n = 0;
        for (int x = std::max(x0, 0); x < x1; ++x)
            n += CachePixel(x, y) != title ? 1 : 0;
        return n;
    }
};

TEST_F(FormNonClientPaintingTest, ActiveAndInactiveFramesShowTheirLooks)
{
    struct Case {
        const char* name;
        bool active;
        TColor title;
        TColor border;
    } cases[] = {
        {"Active", true, FrameTitleHotColour, FrameFormHotColour},
        {"Inactive", false, FrameTitleColour, FrameFormColour},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Provider->FormActive = c.active;
        Paint();
        const TPoint t = TitlePoint();
        EXPECT_EQ(CachePixel(t.X, t.Y), c.title);
        EXPECT_EQ(CachePixel(BorderPoint().X, BorderPoint().Y), c.border);
        const TPoint close = Centre(Provider->ButtonClose.Rect);
        ASSERT_GT(Provider->ButtonClose.Rect.Width(), 0);
        // The inactive row is the glyph drawn half over the title.
        const TColor glyph = c.active ? CloseCells[0] : BlendColors(CloseCells[0], c.title, 0.5);
        EXPECT_TRUE(Near(CachePixel(close.X, close.Y), glyph, 1))
            << std::hex << CachePixel(close.X, close.Y) << " " << glyph;

        // The window shows the image in its frame, the client area untouched.
        ShowFrame();
        EXPECT_EQ(WindowPixel(Form->Handle(), t.X, t.Y), c.title);
        EXPECT_EQ(WindowPixel(Form->Handle(), close.X, close.Y), CachePixel(close.X, close.Y));
    }
}

TEST_F(FormNonClientPaintingTest, ATitleSkinSetAtRunTimePaintsTheTitleFromItsSection)
{
    Provider->FormActive = true;
    const TPoint t = TitlePoint();
    Provider->SetTitleSkin("CAPTION");
    Paint();
    EXPECT_EQ(CachePixel(t.X, t.Y), FrameCaptionHotColour);
    Provider->SetTitleSkin("");
    Paint();
    EXPECT_EQ(CachePixel(t.X, t.Y), FrameTitleHotColour) << "back to the default title section";
}

TEST_F(FormNonClientPaintingTest, ALongCyrillicCaptionEndsInsideItsBandWithAnEllipsis)
{
    std::wstring caption = L"Генератор паролей: ";
    while (caption.size() < 5000)
        caption += L"очень длинный заголовок ";
    Form->SetCaption(caption);
    Provider->FormActive = true;
    Paint();
    const TRect band = Provider->CaptionBandRect();
    const int y = (band.Top + band.Bottom) / 2;
    ASSERT_GT(band.Width(), 40);
    EXPECT_GT(TextColumns(y, band.Left, band.Right, FrameTitleHotColour), 20) << "the caption is drawn";
    EXPECT_EQ(TextColumns(y, band.Right + 5, Provider->ButtonMin.Rect.Left - 2, FrameTitleHotColour), 0)
        << "nothing of it lies right of its band";
    EXPECT_EQ(CachePixel(band.Left - 2, y), FrameCaptionHotColour) << "the caption plate lies behind the text";
}

// The plate behind the caption text is painted over the title under it: half transparent, it
// shows half of each.
TEST_F(FormNonClientPaintingTest, AHalfTransparentCaptionPlateShowsTheTitleUnderIt)
{
    std::string options = FrameSkinOptions();
    const std::string caption = "[CAPTION]\r\n";
    options.insert(options.find(caption) + caption.size(), "TRANSPARENCY=50\r\nHOTTRANSPARENCY=50\r\n");
    ChangeSkin(options);
    Provider->FormActive = true;
    Paint();
    const TRect band = Provider->CaptionBandRect();
    const TColor half = (((FrameTitleHotColour & 0xFEFEFE) >> 1) + ((FrameCaptionHotColour & 0xFEFEFE) >> 1));
    const TColor plate = CachePixel(band.Left - 2, (band.Top + band.Bottom) / 2);
    EXPECT_TRUE(Near(plate, half, 2)) << std::hex << plate << " " << half;
}

TEST_F(FormNonClientPaintingTest, CentredAndRightAlignedCaptionsStayInsideTheBand)
{
    LoadSkin({.caption = false});
    MakeForm(bsSizeable);
    struct Case {
        const char* name;
        TAlignment alignment;
        std::wstring caption;
    } cases[] = {
        {"CentredShort", taCenter, L"Пароль"},
        {"CentredLong", taCenter, std::wstring(400, L'Ж')},
        {"RightLong", taRightJustify, std::wstring(400, L'Ж')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Provider->SetCaptionAlignment(c.alignment);
        Form->SetCaption(c.caption);
        Provider->FormActive = true;
        Paint();
        const TRect band = Provider->CaptionBandRect();
        const int y = (band.Top + band.Bottom) / 2;
        EXPECT_EQ(TextColumns(y, Provider->IconRect().Right + 1, band.Left, FrameTitleHotColour), 0)
            << "no text left of the band";
        EXPECT_GT(TextColumns(y, band.Left, band.Right, FrameTitleHotColour), 0);
    }
}

TEST_F(FormNonClientPaintingTest, SparseSkinsPaintWhatTheyHaveAndLeakNothing)
{
    struct Case {
        const char* name;
        FrameSkinParts parts;
    } cases[] = {
        {"NoForm", {.form = false}},
        {"NoTitle", {.title = false}},
        {"NoCaption", {.caption = false}},
        {"NoGlyphs", {.glyphs = false}},
        {"GlyphsOfNoSize", {.glyphs = false, .emptyGlyphs = true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreeAndNil(Form);
        LoadSkin(c.parts);
        MakeForm(bsSizeable);
        Form->SetCaption(std::wstring(3000, L'Щ'));
        Provider->FormActive = true;
        TBitmap& cache = Paint();
        ShowFrame();
        Provider->SetHotHitCode(HTCLOSE);
        Provider->SetPressedHitCode(HTCLOSE);
        Provider->SetHotHitCode(0);
        Provider->FormActive = false;
        Paint();
        EXPECT_EQ(cache.Width(), Provider->SkinnedWindowWidth());
        if (!c.parts.glyphs && !c.parts.emptyGlyphs) {
            EXPECT_EQ(Provider->SysButtonHeight(), 21);
        }
    }
}

TEST_F(FormNonClientPaintingTest, TheMenuLineIsPaintedUnderTheTitle)
{
    GiveMenu();
    Pump();
    Provider->FormActive = true;
    Paint();
    ASSERT_TRUE(Provider->MainMenuVisible());
    const int y0 = Provider->ClientOffsetY() - Provider->MenuBarHeight() / 2;
    EXPECT_EQ(CachePixel(Provider->SkinnedWindowWidth() - 30, y0), FrameMenuLineColour);
}

TEST_F(FormNonClientPaintingTest, UnderExtendedBordersTheImageCarriesTheShadowAndAnOpaqueWindow)
{
    MakeForm(bsSizeable, true);
    if (!Manager->ExtendedBorders())
        GTEST_SKIP() << "no layered windows here";
    Provider->SetBorderFormActive(true);
    ASSERT_NE(Provider->BorderForm, nullptr);
    Provider->FormActive = true;
    TBitmap& cache = Paint();
    ASSERT_EQ(cache.PixelFormat(), pf32bit);
    const TRect m = Provider->ExtBorderMargins();
    EXPECT_GT(m.Left, 0);
    EXPECT_EQ(cache.Width(), Provider->SkinnedWindowWidth());
    EXPECT_EQ(ks::GetPixel32(cache.View(), m.Left + 1, cache.Height() / 2) >> 24, 255u) << "the window's own area";
    EXPECT_EQ(ks::GetPixel32(cache.View(), 1, cache.Height() / 2) & 0xFFFFFF, ShadowColour) << "the shadow";
    Provider->BorderForm->UpdateBorderWindow(true, 255);
    const HWND wnd = Provider->BorderForm->WindowHandle();
    RECT r{}, f{};
    GetWindowRect(wnd, &r);
    GetWindowRect(Form->Handle(), &f);
    EXPECT_EQ(r.right - r.left, cache.Width());
    EXPECT_LT(r.left, f.left) << "the border window reaches out around the form";
    Provider->SetBorderFormActive(false);
    EXPECT_EQ(Provider->BorderForm, nullptr);
    Pump();
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_TRUE(Provider->SkinData()->BackgroundChanged) << "the form paints its whole frame again";
    EXPECT_EQ(cache.PixelFormat(), pf24bit);
}

TEST_F(FormNonClientPaintingTest, DoubleClickingTheBorderCaptionMaximisesAndRestoresTheForm)
{
    const HWND border = MakeBorderedForm();
    if (!border)
        GTEST_SKIP() << "no layered windows here";
    auto doubleClickCaption = [&] {
        RECT r{};
        GetWindowRect(border, &r);
        const TRect m = Provider->ExtBorderMargins();
        const POINT p{r.left + m.Left + 60, r.top + m.Top + Provider->CaptionHeight(true) / 2};
        SendMessageW(border, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(p.x, p.y));
        Pump();
    };
    doubleClickCaption();
    EXPECT_TRUE(IsZoomed(Form->Handle()));
    Paint();
    Provider->BorderForm->UpdateBorderWindow(true, 255);
    doubleClickCaption();
    EXPECT_FALSE(IsZoomed(Form->Handle()));
}

} // namespace

namespace {

// The form's own band lies inside the frame: the frame widens by it on every side, the client
// area starts that much further in, and the menu line has that much less room on each side.
TEST_F(FormNonClientPaintingTest, TheFormsBorderWidthWidensTheFrameAndNarrowsTheMenuLine)
{
    auto* menu = Create<TMainMenu>(Form);
    for (const wchar_t* text : {L"Файл", L"Правка", L"Справка"}) {
        auto* item = Create<TMenuItem>(menu);
        item->SetCaption(text);
        menu->Items()->Add(item);
    }
    Form->SetMenu(menu);
    Manager->SkinnableMenus()->SetUpMainMenu(menu, true);
    Pump();
    Paint();
    ASSERT_TRUE(Provider->MainMenuVisible());
    const int fx = Provider->FrameWidthX(true), fy = Provider->FrameWidthY(true);
    const int ox = Provider->ClientOffsetX(), oy = Provider->ClientOffsetY();
    ASSERT_EQ(Provider->MenuLineCount(), 1);
    int items = 0;
    for (int i = 0; i < 3; ++i) {
        RECT r{};
        ASSERT_TRUE(GetMenuItemRect(Form->Handle(), GetMenu(Form->Handle()), static_cast<UINT>(i), &r));
        items += r.right - r.left;
    }

    Form->SetBorderWidth(6);
    Pump();
    EXPECT_EQ(Provider->FrameWidthX(true), fx + 6);
    EXPECT_EQ(Provider->FrameWidthY(true), fy + 6);
    EXPECT_EQ(Provider->ClientOffsetX(), ox + 6);
    EXPECT_EQ(Provider->ClientOffsetY(), oy + 6);

    // The last item would just pass Width - 2 x frame - 2 x BorderWidth, but the items are drawn
    // where the system laid the bar out, which knows nothing of the form's band: one row.
    const int border = (Form->Width() - 3 * fx - items) / 2 + 1;
    Form->SetBorderWidth(border);
    Provider->MenuLineCountCache = -1;
    EXPECT_EQ(Provider->MenuLineCount(), 1);
}

} // namespace

TEST_F(FormNonClientPaintingTest, TheTitleBarImageLiesUnderTheButtonsInTheCellOfTheFormsState)
{
    LoadSkin({.titleBar = true});
    MakeForm(bsSizeable);
    for (const bool active : {true, false}) {
        SCOPED_TRACE(active ? "active" : "inactive");
        Provider->FormActive = active;
        TBitmap& cache = Paint();
        // The image's right end, above the buttons.
        EXPECT_EQ(CachePixel(cache.Width() - 1, 0), TitleBarCells[active ? 0 : 1]);
        const int bar = Manager->FindMask(Provider->TitleSectionIndex(), "FORMTITLE", "TITLEBAR");
        const int left = Provider->SkinnedWindowWidth() - Provider->TitleBarImageWidth(bar);
        EXPECT_EQ(CachePixel(left, 3), TitleBarCells[active ? 0 : 1]);
        EXPECT_EQ(CachePixel(left - 1, 3), active ? FrameTitleHotColour : FrameTitleColour) << "the rest of the title";
    }
}

TEST_F(FormNonClientPaintingTest, TheSizeGripIsDrawnInTheBottomRightCornerOnlyWhenAsked)
{
    for (const TsGripMode mode : {gmNone, gmRightBottom}) {
        SCOPED_TRACE(mode == gmNone ? "no grip" : "grip");
        Provider->SetGripMode(mode);
        TBitmap& cache = Paint();
        // The grip cell is 8 by 8 at the client's bottom-right corner, a pixel inside the frame.
        const int frame = Provider->FrameWidthX(true);
        const int x = cache.Width() - frame - 5;
        const int y = cache.Height() - frame - 5;
        EXPECT_EQ(CachePixel(x, y) == TColor(0x0000FFFF), mode == gmRightBottom);
    }
}

TEST_F(FormNonClientPaintingTest, AnAddedTitleOfFourPixelsOrLessIsLeftOut)
{
    Provider->FormActive = true;
    Provider->AddedTitle()->Font()->SetColor(clRed);
    const TRect band = Provider->CaptionBandRect();
    struct Case {
        const char* name;
        const wchar_t* text;
        bool drawn;
    } cases[] = {{"words", L"Extra", true}, {"a dot", L".", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Provider->AddedTitle()->SetText(c.text);
        Paint();
        int red = 0;
        for (int y = band.Top; y < band.Bottom; ++y)
            for (int x = band.Left; x < band.Right; ++x)
                red += CachePixel(x, y) == clRed ? 1 : 0;
        EXPECT_EQ(red > 0, c.drawn);
    }
}

TEST_F(FormNonClientPaintingTest, SettersOfTheIconAndTheTitleSkinRepaintTheWindowAtOnce)
{
    Provider->FormActive = true;
    ShowFrame();
    const TPoint icon = Centre(Provider->IconRect());
    ASSERT_TRUE(Provider->TitleIconShown());
    const TColor withIcon = WindowPixel(Form->Handle(), icon.X, icon.Y);
    Provider->SetShowAppIcon(false);
    Pump();
    EXPECT_NE(WindowPixel(Form->Handle(), icon.X, icon.Y), withIcon) << "the icon went without a repaint asked";
    EXPECT_EQ(WindowPixel(Form->Handle(), icon.X, icon.Y), CachePixel(icon.X, icon.Y));

    const TPoint t = TitlePoint();
    Provider->SetTitleSkin("CAPTION");
    Pump();
    EXPECT_EQ(WindowPixel(Form->Handle(), t.X, t.Y), FrameCaptionHotColour);
}

TEST_F(FormNonClientPaintingTest, TheTitleIconIsTheFormsOwnBeforeTheStockOne)
{
    // A 16 by 16 icon of one colour.
    const TColor iconColour = 0x000000FF;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP colour = CreateCompatibleBitmap(screen, 16, 16);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(mem, colour);
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(iconColour));
    RECT all{0, 0, 16, 16};
    FillRect(mem, &all, brush);
    SelectObject(mem, mask);
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(mem, old);
    ICONINFO info{TRUE, 0, 0, mask, colour};
    auto icon = std::make_unique<TIcon>();
    icon->SetHandle(CreateIconIndirect(&info));
    DeleteObject(brush);
    DeleteObject(colour);
    DeleteObject(mask);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);

    Provider->FormActive = true;
    ASSERT_TRUE(Provider->TitleIconShown());
    const TRect r = Provider->IconRect();
    auto inIcon = [&](TColor c) {
        int n = 0;
        for (int y = r.Top; y < r.Top + Provider->TitleIconHeight(); ++y)
            for (int x = r.Left; x < r.Left + Provider->TitleIconWidth(); ++x)
                n += CachePixel(x, y) == c ? 1 : 0;
        return n;
    };
    const int area = Provider->TitleIconWidth() * Provider->TitleIconHeight();
    Form->SetIcon(icon.get());
    Paint();
    EXPECT_EQ(inIcon(iconColour), area) << "the form's icon fills the icon's place";
    Form->Icon()->SetHandle(nullptr);
    Paint();
    EXPECT_EQ(inIcon(iconColour), 0);
    EXPECT_LT(inIcon(FrameTitleHotColour), area) << "an icon of the process or the system is drawn instead";
}

TEST_F(FormNonClientPaintingTest, TheMenuLineEndCopiesTheFramePieceAtTheRightEndOfTheLine)
{
    TBitmap& cache = Paint();
    // Every pixel of the image tells where it lies.
    for (int y = 0; y < cache.Height(); ++y)
        for (int x = 0; x < cache.Width(); ++x)
            ks::SetPixel24(cache.View(), x, y, static_cast<TColor>(0x400000 | ((y & 0xFF) << 8) | (x & 0xFF)));
    const int h = GetSystemMetrics(SM_CYMENU) + 3;
    auto piece = Filled(60, h, 0);
    Provider->PaintMenuLineEnd(&piece->Canvas());
    // The line ends inside the skin's right border and starts below its top border and title.
    const int x0 = Form->Width() - FormBorderWidth(Form->Handle(), Manager, false, true) - 60;
    const int y0 = BorderWidthIfNoExtBorders(Form->Handle(), Manager, false, true) + Provider->CaptionHeight(true);
    for (const TPoint p : {TPoint{0, 0}, TPoint{59, 0}, TPoint{0, h - 1}, TPoint{59, h - 1}}) {
        SCOPED_TRACE(testing::Message() << p.X << "," << p.Y);
        EXPECT_EQ(Get24(*piece, p.X, p.Y), Get24Of(static_cast<COLORREF>(CachePixel(x0 + p.X, y0 + p.Y))));
    }
}

TEST_F(FormNonClientPaintingTest, ATitleSkinSetUnderExtendedBordersRepaintsTheBorderWindowsImage)
{
    if (!MakeBorderedForm())
        GTEST_SKIP() << "no layered windows here";
    Provider->FormActive = true;
    Paint();
    const TPoint t = TitlePoint();
    ASSERT_EQ(CachePixel(t.X, t.Y), FrameTitleHotColour);
    Provider->SetTitleSkin("CAPTION");
    EXPECT_FALSE(Provider->SkinData()->BackgroundChanged) << "the border window painted its image anew";
    EXPECT_EQ(CachePixel(t.X, t.Y), FrameCaptionHotColour);
}

namespace {

// Under extended borders the window keeps its menu line and the form's own border band: each
// is copied whole from the frame image, the menu line to its right end.
TEST_F(FormNonClientPaintingTest, UnderExtendedBordersTheMenuLineAndTheFormsBorderBandArePaintedWhole)
{
    if (!MakeBorderedForm())
        GTEST_SKIP() << "no layered windows here";
    TMainMenu* menu = GiveMenu();
    Manager->SkinnableMenus()->SetUpMainMenu(menu, true);
    Form->SetBorderWidth(6);
    Pump();
    Paint();
    ASSERT_TRUE(Provider->MainMenuVisible());
    const HWND wnd = Form->Handle();
    {
        HDC dc = GetWindowDC(wnd);
        RECT all{0, 0, Form->Width(), Form->Height()};
        HBRUSH red = CreateSolidBrush(0x0000FF);
        FillRect(dc, &all, red);
        DeleteObject(red);
        ReleaseDC(wnd, dc);
    }
    ShowFrame();
    RECT window{};
    GetWindowRect(wnd, &window);
    POINT origin{0, 0};
    ClientToScreen(wnd, &origin);
    const int ox = origin.x - window.left, oy = origin.y - window.top;
    const int cx = Provider->ClientOffsetX(), cy = Provider->ClientOffsetY();
    const int cw = Form->ClientWidth(), ch = Form->ClientHeight();
    const int rowTop = cy - 6 - Provider->MenuBarHeight();
    struct Case {
        const char* name;
        int x, y;    // in the window, from the client's origin
        int cacheY;  // in the image, where it differs from the client's mapping
    } cases[] = {
        {"top band", 20, -3, cy - 3},
        {"left band", -3, 20, cy + 20},
        {"right band", cw + 3, 20, cy + 20},
        {"bottom band", 20, ch + 3, cy + ch + 3},
        {"menu line's right end", cw + 3, -6 - Provider->MenuBarHeight(), rowTop + 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TColor shown = WindowPixel(wnd, ox + c.x, oy + c.y);
        EXPECT_NE(shown, 0x0000FF) << "painted";
        EXPECT_EQ(shown, CachePixel(cx + c.x, c.cacheY)) << "from the frame image";
    }
}

} // namespace

namespace {

// The grip sits in the client's corner: a form painted into a DC brings it along, also when its
// client is only filled with its colour.
TEST_F(FormNonClientPaintingTest, AFormPaintedIntoADCCarriesItsSizeGrip)
{
    Provider->SetGripMode(gmRightBottom);
    for (const bool plain : {false, true}) {
        SCOPED_TRACE(plain ? "plain client" : "client from the image");
        if (plain)
            Provider->SkinData()->SkinStateWord |= StatePlainBackground;
        Paint();
        const int cw = Form->ClientWidth(), ch = Form->ClientHeight();
        auto picture = NewBitmap24(cw, ch);
        Provider->PaintFormToDC(picture->Canvas().Handle());
        GdiFlush();
        // The grip's yellow pixel (see the fixture's skin), 5 pixels inside the frame's corner.
        const int frame = Provider->FrameWidthX(true);
        const int x = Provider->SkinData()->CacheBitmap->Width() - frame - 5 - Provider->ClientOffsetX();
        const int y = Provider->SkinData()->CacheBitmap->Height() - frame - 5 - Provider->ClientOffsetY();
        EXPECT_EQ(ks::GetPixel24(picture->View(), x, y), TColor(0x0000FFFF));
    }
    Provider->SkinData()->SkinStateWord &= static_cast<uint16_t>(~StatePlainBackground);
}

} // namespace

namespace {

// An item of the menu line that the system lit on the window goes back to its normal look when
// the mouse goes on straight to a title button, a move the system's menu-bar tracking never sees.
TEST_F(FormNonClientPaintingTest, AMenuItemLitOnTheWindowGoesBackWhenTheMouseReachesATitleButton)
{
    constexpr TColor ItemColour = 0x00305070, ItemHotColour = 0x0070A0D0;
    ChangeSkin(FrameSkinOptions() + "[MENUITEM]\r\n" + ColorKeys(ItemColour, ItemHotColour));
    auto* menu = Create<TMainMenu>(Form);
    auto* file = Create<TMenuItem>(menu);
    file->SetCaption(L"Файл");
    menu->Items()->Add(file);
    Form->SetMenu(menu);
    Manager->SkinnableMenus()->SetUpMainMenu(menu, true);
    Pump();
    Provider->FormActive = true;
    Paint();
    ShowFrame();
    const HWND wnd = Form->Handle();
    RECT item{}, window{};
    ASSERT_TRUE(GetMenuItemRect(wnd, GetMenu(wnd), 0, &item));
    GetWindowRect(wnd, &window);
    OffsetRect(&item, -window.left, -window.top);
    const POINT at{item.left + 2, (item.top + item.bottom) / 2};
    ASSERT_EQ(WindowPixel(wnd, at.x, at.y), ItemColour);

    // The system lights the item as its menu-bar tracking does: the item drawn on the window.
    HDC dc = GetWindowDC(wnd);
    DRAWITEMSTRUCT lit{ODT_MENU, 0, file->Command(), ODA_SELECT, ODS_HOTLIGHT, reinterpret_cast<HWND>(GetMenu(wnd)),
                       dc, item, 0};
    SendMessageW(wnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&lit));
    ReleaseDC(wnd, dc);
    ASSERT_EQ(WindowPixel(wnd, at.x, at.y), ItemHotColour);
    SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(window.left + at.x, window.top + at.y));
    EXPECT_EQ(WindowPixel(wnd, at.x, at.y), ItemHotColour) << "the mouse still on the item";
    // Another form's title button leaves it lit, as a maximised MDI child's hidden title under
    // its main form's line does while the line's menu is open.
    ks::SetNextFormCreation({true, false, {}});
    TForm* other = CreateNew<TForm>(nullptr);
    other->HandleNeeded();
    Create<TsSkinProvider>(other)->SetHotHitCode(HTCLOSE, false);
    EXPECT_EQ(WindowPixel(wnd, at.x, at.y), ItemHotColour) << "another form's title button";
    other->Free();

    const TPoint close = Centre(Provider->ButtonClose.Rect);
    const POINT onClose{window.left + close.X, window.top + close.Y};
    SetCursorPos(onClose.x, onClose.y);
    INPUT move = MouseAt(onClose, 0);
    SendInput(1, &move, sizeof move);
    ASSERT_TRUE(PumpUntil([&] { return Provider->HotHitCode == HTCLOSE; }));
    EXPECT_EQ(WindowPixel(wnd, at.x, at.y), ItemColour);
}

} // namespace
