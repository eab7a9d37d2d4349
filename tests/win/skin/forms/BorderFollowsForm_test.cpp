// The layered border window keeps up with its form: every step of the system's sizing loop, the
// form on its icon, a provider made for a form already shown, and the parts of its image that
// must stay under the mouse.
#include "skin/forms/acBorderForm.h"

#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStoredSkins.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/ComCtrls.h"
#include "vcl/StdCtrls.h"
#include "win/skin/forms/BorderTestSupport.h"
#include "win/skin/forms/FormFrameFixture.h"
#include "win/support/AccessViolations.h"
#include "win/support/FakeCursor.h"
#include "win/support/ProcessCounters.h"

namespace {

using namespace ks::test;

// The size of the last picture the border window was given; a window resized without a new
// picture goes on showing the old one.
SIZE gShown{0, 0};

BOOL WINAPI RecordShown(HWND wnd, HDC dst, POINT* at, SIZE* size, HDC src, POINT* from, COLORREF key,
                        BLENDFUNCTION* blend, DWORD flags)
{
    if (size)
        gShown = *size;
    return UpdateLayeredWindow(wnd, dst, at, size, src, from, key, blend, flags);
}

class BorderFollowsFormTest : public FormFrameFixture {
protected:
    void SetUp() override
    {
        FormFrameFixture::SetUp();
        ks::Sys().UpdateLayeredWindowPtr = RecordShown;
        Border = MakeBorderedForm();
        if (!Border)
            GTEST_SKIP() << "no layered windows here";
        Wnd = Form->Handle();
    }

    // The border window, the frame image and the picture last shown all have the form's size
    // grown by the same amount as before.
    void ExpectFramed(int extra)
    {
        const RECT form = RectOf(Wnd), border = RectOf(Border);
        EXPECT_EQ(border.right - border.left, form.right - form.left + extra);
        EXPECT_EQ(Provider->SkinData()->CacheBitmap->Width(), border.right - border.left);
        EXPECT_EQ(gShown.cx, border.right - border.left) << "the picture shown";
    }

    static RECT RectOf(HWND wnd)
    {
        RECT r{};
        GetWindowRect(wnd, &r);
        return r;
    }

    HWND Border = nullptr;
    HWND Wnd = nullptr;
};

// The system's sizing loop, by mouse or keyboard alike: entered, then for every step the new
// rectangle asked for and set, then left. After each step the border window, its image and the
// close button drawn in it have the form's new width.
TEST_F(BorderFollowsFormTest, EveryStepOfTheSizingLoopResizesTheBorderImage)
{
    const RECT form0 = RectOf(Wnd), border0 = RectOf(Border);
    const int extra = (border0.right - border0.left) - (form0.right - form0.left);
    const int closeFromRight = Provider->SkinData()->CacheBitmap->Width() - Provider->ButtonClose.Rect.Right;
    SendMessageW(Wnd, WM_ENTERSIZEMOVE, 0, 0);
    for (int step = 1; step <= 6; ++step) {
        SCOPED_TRACE(step);
        RECT r = RectOf(Wnd);
        r.right += 8;
        SendMessageW(Wnd, WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&r));
        SetWindowPos(Wnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE | SWP_NOZORDER);
        ASSERT_EQ(RectOf(Wnd).right - form0.right, 8 * step);
        ExpectFramed(extra);
        EXPECT_EQ(Provider->SkinData()->CacheBitmap->Width() - Provider->ButtonClose.Rect.Right, closeFromRight)
            << "the close button moved along";
    }
    SendMessageW(Wnd, WM_EXITSIZEMOVE, 0, 0);
    ExpectFramed(extra);
}

// The same with the real mouse: the system's own loop, its hit test and its messages.
TEST_F(BorderFollowsFormTest, ARightEdgeDraggedByTheMouseResizesTheBorderImage)
{
    SetForegroundWindow(Wnd);
    Pump();
    const RECT form0 = RectOf(Wnd), border0 = RectOf(Border);
    const int extra = (border0.right - border0.left) - (form0.right - form0.left);
    const TRect m = Provider->ExtBorderMargins();
    const POINT edge{border0.right - m.Right - 2, (border0.top + border0.bottom) / 2};
    ASSERT_EQ(WindowFromPoint(edge), Border);
    Drag(edge, {edge.x + 40, edge.y});
    Pump();
    ASSERT_EQ(RectOf(Wnd).right - form0.right, 40);
    ExpectFramed(extra);
}

// A user title button is part of the frame the mouse reaches: every pixel of it in the border
// image is opaque, the layered window's alpha 0 would let the mouse through to the window below.
TEST_F(BorderFollowsFormTest, AUserTitleButtonIsOpaqueInTheBorderImage)
{
    auto* button = static_cast<TsTitleButton*>(Provider->TitleButtons()->Add());
    TBitmap glyph;
    glyph.SetPixelFormat(pf24bit);
    glyph.SetSize(12, 12);
    glyph.Canvas().Brush().SetColor(TransparentKeyColor);
    glyph.Canvas().FillRect({0, 0, 12, 12});
    glyph.Canvas().Brush().SetColor(0x0000C0);
    glyph.Canvas().FillRect({3, 3, 9, 9});
    button->SetGlyph(&glyph);
    struct Case {
        const char* name;
        bool plate;
    } cases[] = {{"WithTheSkinsPlate", true}, {"GlyphAlone", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        button->SetUseSkinData(c.plate);
        Provider->PrepareForm();
        TBitmap& image = Paint();
        const TRect r = button->BtnData.Rect;
        ASSERT_GT(r.Width(), 0);
        auto opaque = [&] {
            GdiFlush();
            int holes = 0;
            for (int y = r.Top; y < r.Bottom; ++y)
                for (int x = r.Left; x < r.Right; ++x)
                    holes += (ks::GetPixel32(image.View(), x, y) >> 24) != 255;
            return holes;
        };
        EXPECT_EQ(opaque(), 0) << "painted with the frame";
        Provider->SetHotHitCode(HTUDBTN, true);
        EXPECT_EQ(opaque(), 0) << "repainted hot";
        Provider->SetHotHitCode(0, true);
        EXPECT_EQ(opaque(), 0) << "repainted normal";
    }
}

// On its icon the form has no border window to carry its frame: it paints its small title bar
// itself, the caption on its plate, not left black. Minimised by the button on the border window,
// the window goes from under its own message. Run under Wine's freed-memory checking.
class BorderFollowsFormLifetimeTest : public BorderFollowsFormTest {};

TEST_F(BorderFollowsFormLifetimeTest, AMinimisedFormPaintsItsOwnTitleBar)
{
    const struct Case {
        const char* name;
        bool byButton;
    } cases[] = {{"ShowWindow", false}, {"TheBordersMinimiseButton", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ks::test::AccessViolations faults;
        if (c.byButton) {
            const HWND border = Provider->BorderForm->WindowHandle();
            const RECT b = RectOf(border);
            const TPoint centre = Centre(Provider->ButtonMin.Rect);
            const POINT at{b.left + centre.X, b.top + centre.Y};
            UseFakeCursor(at);
            ASSERT_EQ(Provider->BorderForm->BorderHitTest({at.x, at.y}), HTMINBUTTON);
            SendMessageW(border, WM_NCLBUTTONDOWN, 19, MAKELPARAM(at.x, at.y));
            SendMessageW(border, WM_NCLBUTTONUP, 19, MAKELPARAM(at.x, at.y));
        } else {
            ShowWindow(Wnd, SW_MINIMIZE);
        }
        Pump();
        ASSERT_TRUE(IsIconic(Wnd));
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_TRUE(HeapsIntact());
        RECT r{};
        GetWindowRect(Wnd, &r);
        const TColor title = ScreenPixel(Wnd, (r.right - r.left) / 2, (r.bottom - r.top) / 2);
        EXPECT_TRUE(title == FrameCaptionColour || title == FrameCaptionHotColour)
            << "the caption's plate: " << std::hex << title;

        ShowWindow(Wnd, SW_RESTORE);
        Pump();
        ASSERT_NE(Provider->BorderForm, nullptr) << "restored, the border window frames the form again";
        const HWND border = Provider->BorderForm->WindowHandle();
        EXPECT_TRUE(IsWindowVisible(border));
        const RECT form = RectOf(Wnd), around = RectOf(border);
        EXPECT_EQ(Provider->SkinData()->CacheBitmap->Width(), around.right - around.left);
        EXPECT_GT(around.right - around.left, form.right - form.left + Provider->ExtBorderMargins().Left);
    }
}

} // namespace

namespace {

// A provider made for a form already on the screen takes it over at once, with and without the
// border window: the frame, the window's shape and the client are the skin's after the queue has
// run once, with no repaint asked for from outside.
class ProviderForShownFormTest : public FrameSkinFixture {
protected:
    void TearDown() override
    {
        FreeAndNil(Form);
        Pump();
        FrameSkinFixture::TearDown();
    }
    TForm* Form = nullptr;
};

TEST_F(ProviderForShownFormTest, TakesTheFormOverAtOnce)
{
    struct Case {
        const char* name;
        bool extended;
    } cases[] = {{"Plain", false}, {"ExtendedBorders", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Manager->SetExtendedBorders(c.extended);
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(nullptr);
        Form->SetBorderStyle(bsSizeable);
        Form->SetBounds(60, 60, 420, 303);
        Form->SetCaption(L"Keysmith");
        auto* button = Create<TButton>(Form);
        button->SetParent(Form);
        button->SetBounds(300, 200, 80, 24);
        Form->Show();
        Pump();
        const HWND wnd = Form->Handle();
        auto* provider = Create<TsSkinProvider>(Form);
        provider->SkinData()->SetSkinManager(Manager);
        provider->SetUpForm();
        Pump();
        RECT r{};
        GetWindowRect(wnd, &r);
        POINT client{0, 0};
        ClientToScreen(wnd, &client);
        const TColor back = ScreenPixel(wnd, client.x - r.left + 50, client.y - r.top + 50);
        EXPECT_TRUE(back == FrameFormColour || back == FrameFormHotColour) << "the client as the skin paints it: " << std::hex << back;
        EXPECT_NE(GetPropW(button->Handle(), L"ACSBSC"), nullptr) << "the controls are taken over";
        if (c.extended && Manager->ExtendedBorders()) {
            ASSERT_NE(provider->BorderForm, nullptr);
            const HWND border = provider->BorderForm->WindowHandle();
            EXPECT_TRUE(IsWindowVisible(border));
            HRGN region = CreateRectRgn(0, 0, 0, 0);
            EXPECT_NE(GetWindowRgn(wnd, region), ERROR) << "the form's own frame is cut away";
            EXPECT_FALSE(PtInRegion(region, (r.right - r.left) / 2, 2)) << "the system's caption does not show";
            DeleteObject(region);
        } else {
            const TColor caption = ScreenPixel(wnd, (r.right - r.left) / 2, 8);
            EXPECT_TRUE(caption == FrameTitleColour || caption == FrameTitleHotColour) << std::hex << caption;
        }
        FreeAndNil(Form);
        Pump();
    }
}

// A page control's page and the boxes on it, drawn by the system before the provider came, are
// the skin's once the queue has run, in either layout: the page and each box up to its last
// column show the page colour (the boxes' own section is clear and the skin has no check glyphs).
TEST_F(ProviderForShownFormTest, TakesAPageControlAndTheBoxesOnItOverAtOnce)
{
    constexpr TColor PageColour = 0x00207050;
    ChangeSkin(FrameSkinOptions() + "[PAGECONTROL]\r\n" + ColorKeys(PageColour, PageColour) + "[CHECKBOX]\r\n" +
               ColorKeys(0, 0) + "TRANSPARENCY=100\r\nHOTTRANSPARENCY=100\r\n");
    Manager->ThirdLists[tkPageControl].Add("TPageControl");
    Manager->ThirdLists[tkCheckBox].Add("TCheckBox");
    Manager->ThirdLists[tkCheckBox].Add("TRadioButton");
    for (const bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored ? "RightToLeft" : "LeftToRight");
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(nullptr);
        Form->SetBorderStyle(bsSizeable);
        Form->SetBounds(60, 60, 420, 303);
        // The controls' windows are made with the form's shown, and take its layout.
        if (mirrored)
            SetWindowLongPtrW(Form->Handle(), GWL_EXSTYLE, GetWindowLongPtrW(Form->Handle(), GWL_EXSTYLE) | WS_EX_LAYOUTRTL);
        auto* pages = Create<TPageControl>(Form);
        pages->SetParent(Form);
        pages->SetBounds(20, 20, 240, 160);
        auto* sheet = Create<TTabSheet>(Form);
        sheet->SetCaption(L"Page");
        sheet->SetPageControl(pages);
        auto* check = Create<TCheckBox>(Form);
        check->SetParent(sheet);
        check->SetBounds(10, 10, 120, 20);
        check->SetCaption(L"Check");
        auto* radio = Create<TRadioButton>(Form);
        radio->SetParent(sheet);
        radio->SetBounds(10, 40, 120, 20);
        radio->SetCaption(L"Radio");
        Form->Show();
        Pump();
        auto* provider = Create<TsSkinProvider>(Form);
        provider->SkinData()->SetSkinManager(Manager);
        provider->SetUpForm();
        Pump();
        const TColor page = ScreenPixel(sheet->Handle(), sheet->Width() - 20, sheet->Height() - 20);
        EXPECT_EQ(page, PageColour) << "the page: " << std::hex << page;
        for (const auto& [name, box] : {std::pair<const char*, TWinControl*>{"check box", check}, {"radio", radio}}) {
            // The screen's own pixels: the box's DC is mirrored with it.
            RECT r{};
            GetWindowRect(box->Handle(), &r);
            HDC screen = GetDC(nullptr);
            const TColor last = static_cast<TColor>(GetPixel(screen, r.right - 1, (r.top + r.bottom) / 2));
            const TColor first = static_cast<TColor>(GetPixel(screen, r.left, (r.top + r.bottom) / 2));
            ReleaseDC(nullptr, screen);
            EXPECT_EQ(last, PageColour) << "the " << name << "'s right end: " << std::hex << last;
            EXPECT_EQ(first, PageColour) << "the " << name << "'s left end: " << std::hex << first;
        }
        FreeAndNil(Form);
        Pump();
    }
}

} // namespace
