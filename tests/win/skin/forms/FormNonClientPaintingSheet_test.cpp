// A contact sheet of skinned frames under the internal skin, for a person to look at:
// build/<target>/frame-sheet.png, and the layered border window's own image (its alpha shown over
// a checkerboard, as no compositor shows it under Xvfb) in frame-border.png.
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/sSkinMenus.h"
#include "skin/forms/sSkinProvider.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "win/skin/forms/FrameSkinFixture.h"
#include "win/support/InternalSkin.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int CellW = 440, CellH = 340;

class FrameSheetTest : public ks::test::InternalSkinFixture {
protected:
    void SetUp() override
    {
        InternalSkinFixture::SetUp();
        Sheet = NewBitmap24(3 * CellW, 3 * CellH);
        FillRect(Sheet->Canvas().Handle(), &Whole, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        Sheet.reset();
        InternalSkinFixture::TearDown();
    }

    void MakeForm(const std::wstring& caption, bool menu = false, TFormBorderStyle style = bsSizeable)
    {
        FreeAndNil(Form);
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(nullptr);
        Form->SetBorderStyle(style);
        Form->SetBounds(60, 60, 420, 303);
        Form->SetCaption(caption);
        if (menu) {
            auto* bar = Create<TMainMenu>(Form);
            for (const wchar_t* text : {L"Файл", L"Правка", L"Справка"}) {
                auto* item = Create<TMenuItem>(bar);
                item->SetCaption(text);
                bar->Items()->Add(item);
            }
            Form->SetMenu(bar);
        }
        Form->Show();
        Pump();
        Provider = Create<TsSkinProvider>(Form);
        Provider->SkinData()->SetSkinManager(Manager);
        Provider->SetUpForm();
        Provider->FormActive = true;
    }
    TBitmap& Paint()
    {
        Provider->FormChanged = true;
        Provider->SkinData()->BackgroundChanged = true;
        Provider->PaintNonClient();
        return *Provider->SkinData()->CacheBitmap;
    }
    // A 32-bit image's alpha shown over a checkerboard, as no compositor shows it under Xvfb.
    static std::unique_ptr<TBitmap> OverCheckerboard(TBitmap& image)
    {
        std::unique_ptr<TBitmap> shown = NewBitmap24(image.Width(), image.Height());
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) {
                const uint32_t p = ks::GetPixel32(image.View(), x, y);
                const int a = static_cast<int>(p >> 24);
                const int back = ((x / 8 + y / 8) % 2) ? 0xC0 : 0xFF;
                auto mix = [&](int shift) { return (((p >> shift) & 0xFF) * a + back * (255 - a)) / 255; };
                ks::SetPixel24(shown->View(), x, y, static_cast<TColor>(mix(0) | mix(8) << 8 | mix(16) << 16));
            }
        return shown;
    }
    // The pixels of rect that differ between two cells of the sheet, as placed.
    int Differ(int a, int b, const TRect& rect)
    {
        int count = 0;
        for (int y = rect.Top; y < rect.Bottom; ++y)
            for (int x = rect.Left; x < rect.Right; ++x)
                count += ks::GetPixel24(Sheet->View(), (a % 3) * CellW + 10 + x, (a / 3) * CellH + 24 + y) !=
                         ks::GetPixel24(Sheet->View(), (b % 3) * CellW + 10 + x, (b / 3) * CellH + 24 + y);
        return count;
    }
    void Place(int cell, TBitmap& image, const std::string& label)
    {
        const int x = (cell % 3) * CellW + 10, y = (cell / 3) * CellH + 24;
        BitBlt(Sheet->Canvas().Handle(), x, y, image.Width(), image.Height(), image.Canvas().Handle(), 0, 0, SRCCOPY);
        ks::test::DrawSheetLabel(*Sheet, x, y - 18, label);
    }

    // The window shows the frame's image as it is (no border window), so an item drawn again on
    // its own from its rectangle on the window lands where the whole paint put it. The window
    // then, and after a plain WM_NCPAINT, placed in cell; each returns the cell.
    int RedrawOneItem(int cell)
    {
        RECT item{}, form{};
        GetMenuItemRect(Form->Handle(), GetMenu(Form->Handle()), 1, &item);
        GetWindowRect(Form->Handle(), &form);
        OffsetRect(&item, -form.left, -form.top);
        Provider->RedrawMenuItem(*Form->Menu()->Items()->Items(1), {item.left, item.top, item.right, item.bottom});
        Place(cell, *ks::test::ScreenPicture(Form->Handle()), "one item drawn again");
        return cell;
    }
    int PaintAgain(int cell)
    {
        SendMessageW(Form->Handle(), WM_NCPAINT, 1, 0);
        Pump();
        Place(cell, *ks::test::ScreenPicture(Form->Handle()), "one item drawn again, then WM_NCPAINT");
        return cell;
    }

    RECT Whole{0, 0, 3 * CellW, 3 * CellH};
    TForm* Form = nullptr;
    TsSkinProvider* Provider = nullptr;
    std::unique_ptr<TBitmap> Sheet;
};

// The system menu open over its form, read from the screen while the menu is tracked.
TBitmap* gScreenShot = nullptr;
HWND gShotForm = nullptr;

void CALLBACK ShootAndClose(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    RECT r{};
    GetWindowRect(gShotForm, &r);
    HDC screen = GetDC(nullptr);
    BitBlt(gScreenShot->Canvas().Handle(), 0, 0, gScreenShot->Width(), gScreenShot->Height(), screen, r.left, r.top,
           SRCCOPY);
    ReleaseDC(nullptr, screen);
    EndMenu();
}

TEST_F(FrameSheetTest, FramesInTheirStatesLookAsTheSkinDrawsThem)
{
    ASSERT_TRUE(Manager->SkinData.SkinActive);
    MakeForm(L"Генератор паролей");
    Place(0, Paint(), "active");
    const TRect close = Provider->ButtonClose.Rect;
    const TRect title{0, 0, Form->Width(), Provider->CaptionHeight(true)};
    const TRect belowTitle{20, title.Bottom + 6, Form->Width() - 20, title.Bottom + 12};
    Provider->FormActive = false;
    Place(1, Paint(), "inactive");

    MakeForm(L"Генератор паролей: очень длинный заголовок окна, который не помещается в строке");
    Place(2, Paint(), "long Cyrillic caption");

    MakeForm(L"С главным меню", true);
    Manager->SkinnableMenus()->SetUpMainMenu(Form->Menu(), true);
    Place(3, Paint(), "main menu");
    Provider->NCPaint();
    const int y = Provider->ClientOffsetY();
    const TRect menuBand{0, y - Provider->MenuLineCount() * Provider->MenuBarHeight() - 1, Form->Width(), y};
    EXPECT_EQ(Differ(3, RedrawOneItem(7), menuBand), 0) << "one item drawn again";
    EXPECT_EQ(Differ(3, PaintAgain(7), menuBand), 0) << "and the whole frame painted again";

    // A glowing skin fades the hot and pressed looks in over the button, in a window of their
    // own, and keeps the normal look in the frame's image: without the glow they are drawn into it.
    Manager->SetAllowGlowing(false);
    MakeForm(L"Кнопки");
    Paint();
    Provider->SetHotHitCode(HTCLOSE);
    Place(4, *Provider->SkinData()->CacheBitmap, "close hot (no glow)");
    Provider->SetPressedHitCode(HTCLOSE);
    Place(5, *Provider->SkinData()->CacheBitmap, "close pressed (no glow)");
    Manager->SetAllowGlowing(true);

    MakeForm(L"О программе", false, bsDialog);
    Place(8, Paint(), "dialog (the about box's frame)");

    MakeForm(L"Системное меню");
    Paint();
    Provider->NCPaint();
    Provider->NCPaint();
    std::unique_ptr<TBitmap> shot = NewBitmap24(420, 303);
    gScreenShot = shot.get();
    gShotForm = Form->Handle();
    const UINT_PTR timer = SetTimer(nullptr, 0, 150, ShootAndClose);
    RECT r{};
    GetWindowRect(Form->Handle(), &r);
    Provider->ShowSkinnedSysMenu(r.left + 8, r.top + 28);
    KillTimer(nullptr, timer);
    Place(6, *shot, "system menu open (screen)");

    // The internal skin has no extended border of its own: the frame test skin's shadow ring.
    ks::test::TempFolder dir;
    dir.Write(L"Frame.asz", ks::test::FrameSkinArchive());
    Manager->SetExtendedBorders(true);
    Manager->SetSkinDirectory(dir.Path());
    Manager->SetSkinName(L"Frame");
    if (Manager->ExtendedBorders()) {
        MakeForm(L"Расширенная рамка");
        Provider->SetBorderFormActive(true);
        TBitmap& image = Paint();
        std::unique_ptr<TBitmap> shown = OverCheckerboard(image);
        Place(7, *shown, "layered border image");
        ks::test::WriteSheetPng(*shown, std::string("Z:") + KS_BUILD_DIR + "/frame-border.png");
    }
    ks::test::WriteSheetPng(*Sheet, std::string("Z:") + KS_BUILD_DIR + "/frame-sheet.png");
    // What the cells must show, each against the plain active frame.
    ASSERT_GT(close.Width(), 0);
    EXPECT_GT(Differ(0, 1, title), 0) << "an inactive title";
    EXPECT_EQ(Differ(0, 2, close), 0) << "a long caption stops short of the buttons";
    EXPECT_EQ(Differ(0, 1, belowTitle), 0);
    EXPECT_GT(Differ(0, 3, belowTitle), 0) << "the menu line below the title";
    EXPECT_GT(Differ(0, 4, close), 0) << "the close button hot";
    EXPECT_GT(Differ(4, 5, close), 0) << "and pressed";
    EXPECT_GT(Differ(0, 6, {20, 40, 120, 80}), 0) << "the system menu open";
}

// A form with a menu under extended borders, with a BorderWidth of 6 (top row) and of 0 (below):
// the layered image and the form's window as the screen shows it (menu line and border band),
// side by side in frame-borderwidth.png.
TEST_F(FrameSheetTest, AFormsBorderBandUnderExtendedBorders)
{
    ks::test::TempFolder dir;
    dir.Write(L"Frame.asz", ks::test::FrameSkinArchive());
    Manager->SetExtendedBorders(true);
    Manager->SetSkinDirectory(dir.Path());
    Manager->SetSkinName(L"Frame");
    if (!Manager->ExtendedBorders())
        GTEST_SKIP() << "no layered windows here";
    for (const int borderWidth : {6, 0}) {
        SCOPED_TRACE("BorderWidth " + std::to_string(borderWidth));
        const int row = borderWidth ? 0 : 3;
        MakeForm(L"BorderWidth " + std::to_wstring(borderWidth), true);
        Manager->SkinnableMenus()->SetUpMainMenu(Form->Menu(), true);
        Form->SetBorderWidth(borderWidth);
        Provider->SetBorderFormActive(true);
        ASSERT_NE(Provider->BorderForm, nullptr);
        TBitmap& image = Paint();
        // The provider came after the form was shown: its client is painted again in the skin.
        RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
        Provider->NCPaint();
        Provider->NCPaint();
        Pump();
        std::unique_ptr<TBitmap> shown = OverCheckerboard(image);
        Place(row, *shown, "layered border image");
        // The shadow lets the desktop through: two squares of the board beside each other differ.
        const int middle = shown->Height() / 2 / 16 * 16;
        EXPECT_NE(ks::GetPixel24(shown->View(), 0, middle), ks::GetPixel24(shown->View(), 0, middle + 8));
        const std::unique_ptr<TBitmap> window = ks::test::ScreenPicture(Form->Handle());
        Place(row + 1, *window, "the form's window (screen, region not applied)");
        // What a user sees: the form's window, cut to its region, over the layered image.
        RECT border{}, form{};
        GetWindowRect(Provider->BorderForm->WindowHandle(), &border);
        GetWindowRect(Form->Handle(), &form);
        ks::GdiRegion region(CreateRectRgn(0, 0, 0, 0));
        if (GetWindowRgn(Form->Handle(), region.get()) != ERROR) {
            OffsetRgn(region.get(), form.left - border.left, form.top - border.top);
            SelectClipRgn(shown->Canvas().Handle(), region.get());
        }
        BitBlt(shown->Canvas().Handle(), form.left - border.left, form.top - border.top, window->Width(),
               window->Height(), window->Canvas().Handle(), 0, 0, SRCCOPY);
        SelectClipRgn(shown->Canvas().Handle(), nullptr);
        Place(row + 2, *shown, "both together, as a user sees them");
        // The form's window, cut to its region, shows its menu line, border band and client where
        // the layered image has them.
        const int x = Provider->ClientOffsetX(), y = Provider->ClientOffsetY();
        const int menuTop = y - Provider->MenuLineCount() * Provider->MenuBarHeight() - borderWidth;
        const TRect menuBand{x - borderWidth, menuTop, shown->Width() - x + borderWidth, y};
        const TRect client{x, y + 10, shown->Width() - x, shown->Height() - x};
        ASSERT_GT(menuBand.Height(), borderWidth);
        EXPECT_EQ(Differ(row, row + 2, menuBand), 0) << "the menu line";
        EXPECT_EQ(Differ(row, row + 2, client), 0) << "the client";

        // An item the system lit and lets go is drawn again on its own, from the window's
        // rectangle: it lands on the line where the whole paint put it.
        auto bandPixels = [&] {
            std::vector<uint32_t> pixels;
            for (int py = menuBand.Top; py < menuBand.Bottom; ++py)
                for (int px = menuBand.Left; px < menuBand.Right; ++px)
                    pixels.push_back(ks::GetPixel32(image.View(), px, py) & 0xFFFFFF);
            return pixels;
        };
        const std::vector<uint32_t> painted = bandPixels();
        RECT item{};
        ASSERT_TRUE(GetMenuItemRect(Form->Handle(), GetMenu(Form->Handle()), 1, &item));
        OffsetRect(&item, -form.left, -form.top);
        Provider->RedrawMenuItem(*Form->Menu()->Items()->Items(1), {item.left, item.top, item.right, item.bottom});
        const std::vector<uint32_t> redrawn = bandPixels();
        int moved = 0;
        for (size_t i = 0; i < painted.size(); ++i)
            moved += painted[i] != redrawn[i];
        EXPECT_EQ(moved, 0) << "an item drawn again on its own";
    }

    // Without the layered border the window shows the frame's image as it is (bottom row).
    Manager->SetExtendedBorders(false);
    ASSERT_FALSE(Manager->ExtendedBorders());
    MakeForm(L"BorderWidth 6, no extended border", true);
    Manager->SkinnableMenus()->SetUpMainMenu(Form->Menu(), true);
    Form->SetBorderWidth(6);
    ASSERT_EQ(Provider->BorderForm, nullptr);
    Paint();
    RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    Provider->NCPaint();
    Provider->NCPaint();
    Pump();
    Place(6, *Provider->SkinData()->CacheBitmap, "frame image, no extended border");
    Place(7, *ks::test::ScreenPicture(Form->Handle()), "the form's window (screen)");
    const int y = Provider->ClientOffsetY();
    const TRect menuBand{Provider->ClientOffsetX() - 6, y - Provider->MenuLineCount() * Provider->MenuBarHeight() - 6,
                         Form->Width() - Provider->ClientOffsetX() + 6, y};
    EXPECT_EQ(Differ(6, 7, menuBand), 0) << "the menu line without the layered border";
    EXPECT_EQ(Differ(6, RedrawOneItem(8), menuBand), 0) << "one item drawn again";
    EXPECT_EQ(Differ(6, PaintAgain(8), menuBand), 0) << "and the whole frame painted again";
    ks::test::WriteSheetPng(*Sheet, std::string("Z:") + KS_BUILD_DIR + "/frame-borderwidth.png");
}

} // namespace
