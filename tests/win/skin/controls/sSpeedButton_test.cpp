#include "skin/controls/sSpeedButton.h"

#include "skin/controls/sButton.h"
#include "skin/controls/sGroupBox.h"
#include "skin/core/SkinServices.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "vcl/FormStreaming.h"
#include "vcl/FormText.h"
#include "vcl/ActnList.h"
#include "vcl/ImgList.h"
#include "vcl/Menus.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/AccessViolations.h"
#include "win/support/ProcessCounters.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace ks::test;

UINT_PTR WINAPI NoSetTimer(HWND, UINT_PTR id, UINT, TIMERPROC) { return id; }
BOOL WINAPI NoKillTimer(HWND, UINT_PTR) { return TRUE; }

// The internal skin's speed button: a lit plate (the section colour) that turns green when hot.
constexpr TColor Plate = 128769;

struct Clicks {
    int count = 0;
    void OnClick(TObject*) { ++count; }
};

// Notes what the button showed while it was open instead of waiting for the user.
class NotingMenu : public TPopupMenu {
public:
    using TPopupMenu::TPopupMenu;
    void Popup(int, int) override
    {
        ++Opened;
        auto* b = static_cast<TsSpeedButton*>(PopupComponent());
        PressedWhileOpen = b->DropdownPressed();
        StateWhileOpen = b->StateIndex();
    }
    int Opened = 0;
    bool PressedWhileOpen = false;
    int StateWhileOpen = -1;
};

class SpeedButtonTest : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        ks::Sys().SetTimer = &NoSetTimer;
        ks::Sys().KillTimer = &NoKillTimer;
        Button = Add(10);
        Button->SetOnClick(TNotifyEvent(&Clicks_, &Clicks::OnClick));
        Pump();
    }
    TsSpeedButton* Add(int left)
    {
        auto* b = Create<TsSpeedButton>(Form);
        b->SetBounds(left, 10, 40, 24);
        b->SetParent(Form);
        return b;
    }
    // What the form shows at the middle of b.
    TColor Middle(TsSpeedButton* b) const { return Pixel(b, b->Width() / 2, b->Height() / 2); }
    TColor Pixel(TsSpeedButton* b, int x, int y) const
    {
        HDC dc = GetDC(Form->Handle());
        const TColor c = static_cast<TColor>(GetPixel(dc, b->Left() + x, b->Top() + y));
        ReleaseDC(Form->Handle(), dc);
        return c;
    }
    void Run(TsSpeedButton* b)
    {
        for (int i = 0; i < 40 && b->FadeTimer(); ++i)
            SendMessageW(b->FadeTimer()->Handle(), WM_TIMER, b->FadeTimer()->TimerId(), 0);
        Pump();
    }
    void Press(TsSpeedButton* b, UINT msg)
    {
        const LPARAM at = MAKELPARAM(b->Left() + 5, b->Top() + 5);
        const bool down = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK;
        SendMessageW(Form->Handle(), msg, down ? MK_LBUTTON : 0, at);
    }

    TsSpeedButton* Button = nullptr;
    Clicks Clicks_;
};

TEST_F(SpeedButtonTest, IsPaintedFromItsSectionAndKnownToTheSkinCore)
{
    ASSERT_TRUE(Button->SkinData()->IsSkinActive());
    EXPECT_EQ(Button->SkinData()->Section()->SectionName, "SPEEDBUTTON");
    EXPECT_EQ(Middle(Button), Plate);
    InitializeSSpeedButtonUnit();
    ASSERT_NE(ks::Services().SpeedButtonSkinData, nullptr);
    EXPECT_EQ(ks::Services().SpeedButtonSkinData(Button), Button->SkinData());
    EXPECT_EQ(ks::Services().SpeedButtonSkinData(Form), nullptr);
}

// A repaint copies the cache as it stands; each input of the button's picture rebuilds it
// first. (Glyph, font, layout and margin go through the glyph's own change hook.)
TEST_F(SpeedButtonTest, ARepaintRebuildsTheCacheForEachInputOfItsPicture)
{
    Button->SetCaption(L"Ок");
    Pump();
    Button->Repaint();
    const int x = 3, y = Button->Height() / 2;
    MarkCache(*Button->SkinData(), x, y);
    Button->Repaint();
    EXPECT_EQ(Pixel(Button, x, y), CacheMarker) << "nothing changed: the cache is copied";
    const LookChange<TsSpeedButton> changes[] = {
        {"Caption", [](TsSpeedButton* b) { b->SetCaption(L"Да"); }},
        {"Moved", [](TsSpeedButton* b) { b->SetLeft(b->Left() + 3); }},
        {"Resized", [](TsSpeedButton* b) { b->SetWidth(b->Width() + 4); }},
        {"ParentColour", [](TsSpeedButton* b) { b->Parent()->SetColor(0x2040A0); }},
        {"OwnColour", [](TsSpeedButton* b) { b->SkinData()->SetCustomColor(true); }},
        {"OwnColourChanged", [](TsSpeedButton* b) { b->SetColor(0x306090); }},
        {"Section", [](TsSpeedButton* b) { b->SkinData()->SetSkinSection("BUTTON"); }},
        {"Glyph", [](TsSpeedButton* b) {
             TBitmap glyph;
             glyph.SetPixelFormat(pf24bit);
             glyph.SetSize(12, 12);
             b->SetGlyph(&glyph);
         }},
        {"GlyphDrawnOnInPlace", [](TsSpeedButton* b) {
             b->Glyph()->Canvas().Brush().SetColor(0xC00000);
             b->Glyph()->Canvas().FillRect({0, 0, 12, 12});
         }},
        {"Disabled", [](TsSpeedButton* b) { b->SetEnabled(false); }},
        // Last: a button held down is rebuilt at every paint, so no row could follow it.
        {"Down", [](TsSpeedButton* b) {
             b->SetGroupIndex(1);
             b->SetDown(true);
         }},
    };
    ExpectEachChangeRebuilds(Button, changes, {x, y}, [](auto* c) { c->Repaint(); },
                             [&](TPoint p) { return Pixel(Button, p.X, p.Y); });
}

TEST_F(SpeedButtonTest, HoverFadesToTheHotLookAndBackAndAPressClicks)
{
    Button->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Button));
    ASSERT_NE(Button->FadeTimer(), nullptr);
    EXPECT_EQ(Button->FadeTimer()->StepCount, 20);
    Run(Button);
    EXPECT_EQ(Button->FadeTimer(), nullptr);
    EXPECT_EQ(Button->StateIndex(), 1);
    EXPECT_EQ(Middle(Button), SkinGreen);

    Press(Button, WM_LBUTTONDOWN);
    EXPECT_EQ(Button->StateIndex(), 2);
    ASSERT_NE(Button->FadeTimer(), nullptr);
    EXPECT_EQ(Button->FadeTimer()->StepCount, 10) << "a press fades in half the frames";
    Press(Button, WM_LBUTTONUP);
    Run(Button);
    EXPECT_EQ(Clicks_.count, 1);

    Button->Perform(CM_MOUSELEAVE, 0, TCMControl::ToLParam(Button));
    Run(Button);
    EXPECT_EQ(Middle(Button), Plate);
}

// Objects freed under their own code: run under Wine's freed-memory checking.
class SpeedButtonLifetimeTest : public SpeedButtonTest {};

TEST_F(SpeedButtonLifetimeTest, FreedOrDisabledMidFadeStopsCleanly)
{
    Button->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Button));
    ASSERT_NE(Button->FadeTimer(), nullptr);
    SendMessageW(Button->FadeTimer()->Handle(), WM_TIMER, Button->FadeTimer()->TimerId(), 0);
    Button->SetEnabled(false);
    EXPECT_EQ(Button->FadeTimer(), nullptr);
    Button->SetEnabled(true);
    Button->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Button));
    ASSERT_NE(Button->FadeTimer(), nullptr);
    FreeAndNil(Button);
    Pump();
}

// The button freed by the application from each of its own events: nothing of it is touched
// after the handler returns.
struct ButtonFreer {
    TsSpeedButton* button = nullptr;
    int calls = 0;
    void Free() { ++calls; FreeAndNil(button); }
    void OnNotify(TObject*) { Free(); }
    void OnMouse(TObject*, TMouseButton, TShiftState, int, int) { Free(); }
    // Only the picture of the press (its fade's start) frees it.
    void OnPaint(TObject*, TBitmap*)
    {
        if (button && button->StateIndex() == 2)
            Free();
    }
    void ByOnClick() { button->SetOnClick(TNotifyEvent(this, &ButtonFreer::OnNotify)); }
    void ByOnMouseUp() { button->SetOnMouseUp(TMouseEvent(this, &ButtonFreer::OnMouse)); }
    void ByOnMouseDown() { button->SetOnMouseDown(TMouseEvent(this, &ButtonFreer::OnMouse)); }
    void ByOnDblClick() { button->SetOnDblClick(TNotifyEvent(this, &ButtonFreer::OnNotify)); }
    void ByOnPaint() { button->SetOnPaint(TBmpPaintEvent(this, &ButtonFreer::OnPaint)); }
    void ByOnPaintOfARepaint()
    {
        button->SetOnPaint(TBmpPaintEvent(this, &ButtonFreer::OnPaintAny));
        button->SkinData()->BackgroundChanged = true;
    }
    void OnPaintAny(TObject*, TBitmap*) { Free(); }
};

TEST_F(SpeedButtonLifetimeTest, FreedFromItsOwnEventsIsLeftAlone)
{
    struct Case {
        const char* name;
        void (ButtonFreer::*arm)();
        UINT press;
        // WM_PAINT: the form repaints the button instead of a press.
        // After the press: 0 nothing, else WM_LBUTTONUP, or WM_CANCELMODE (the mouse taken away).
        UINT then;
    };
    const Case cases[] = {
        {"OnClick", &ButtonFreer::ByOnClick, WM_LBUTTONDOWN, WM_LBUTTONUP},
        {"OnMouseUp", &ButtonFreer::ByOnMouseUp, WM_LBUTTONDOWN, WM_LBUTTONUP},
        {"OnMouseUpOfAPressWhoseMouseIsTakenAway", &ButtonFreer::ByOnMouseUp, WM_LBUTTONDOWN, WM_CANCELMODE},
        {"OnMouseDown", &ButtonFreer::ByOnMouseDown, WM_LBUTTONDOWN, 0},
        {"OnDblClick", &ButtonFreer::ByOnDblClick, WM_LBUTTONDBLCLK, 0},
        {"OnPaintOfItsPress", &ButtonFreer::ByOnPaint, WM_LBUTTONDOWN, 0},
        {"OnPaintOfARepaint", &ButtonFreer::ByOnPaintOfARepaint, WM_PAINT, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TsSpeedButton* b = Add(100);
        Pump();
        ButtonFreer freer{b};
        (freer.*c.arm)();
        const AccessViolations faults;
        if (c.press == WM_PAINT) {
            b->Invalidate();
            UpdateWindow(Form->Handle());
        } else
            Press(b, c.press);
        if (c.then != 0)
            Press(b, c.then);
        Pump();
        EXPECT_EQ(freer.calls, 1);
        EXPECT_EQ(freer.button, nullptr);
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_EQ(ks::CaptureControl(), nullptr);
        if (GetCapture())
            ReleaseCapture();
    }
}

// The button freed by its OnMouseUp when its press is ended for it: nothing of it is touched
// after, by the setter or the window that ended the press.
TEST_F(SpeedButtonLifetimeTest, FreedByTheReleaseOfAPressEndedForItIsLeftAlone)
{
    TForm* other = CreateNew<TForm>(nullptr);
    other->SetBounds(320, 40, 120, 80);
    struct Case {
        const char* name;
        std::function<void(TsSpeedButton*)> end;
    };
    const Case cases[] = {
        {"Disabled", [](TsSpeedButton* b) { b->SetEnabled(false); }},
        {"Hidden", [](TsSpeedButton* b) { b->SetVisible(false); }},
        {"FormHidden", [&](TsSpeedButton*) { Form->Hide(); }},
        {"MovedToAnotherForm", [&](TsSpeedButton* b) { b->SetParent(other); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Form->Show();
        TsSpeedButton* b = Add(100);
        Pump();
        ButtonFreer freer{b};
        freer.ByOnMouseUp();
        const AccessViolations faults;
        Press(b, WM_LBUTTONDOWN);
        c.end(b);
        Pump();
        EXPECT_EQ(freer.calls, 1);
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_TRUE(HeapsIntact());
        EXPECT_EQ(ks::CaptureControl(), nullptr);
        EXPECT_EQ(other->ControlCount(), 0);
    }
    other->Free();
}

TEST_F(SpeedButtonTest, AHotButtonKeepsTheSiblingLyingOverIt)
{
    TsSpeedButton* over = Add(30);
    Pump();
    Button->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Button));
    Run(Button);
    EXPECT_EQ(Pixel(Button, 5, 12), SkinGreen);
    EXPECT_EQ(Pixel(Button, 30, 12), Plate) << "the sibling above is drawn over the hot picture";
    EXPECT_EQ(Pixel(over, 15, 12), Plate);
}

TEST_F(SpeedButtonTest, OneButtonOfAGroupIsDown)
{
    TsSpeedButton* other = Add(60);
    Button->SetGroupIndex(1);
    other->SetGroupIndex(1);
    Button->SetDown(true);
    Pump();
    EXPECT_EQ(Button->StateIndex(), 2);
    Press(other, WM_LBUTTONDOWN);
    Press(other, WM_LBUTTONUP);
    Run(other);
    EXPECT_TRUE(other->Down());
    EXPECT_FALSE(Button->Down()) << "the group lets one down";
    EXPECT_EQ(Button->StateIndex(), 0);
    other->SetDown(false);
    EXPECT_TRUE(other->Down()) << "without AllowAllUp the last one stays down";
    other->SetAllowAllUp(true);
    other->SetDown(false);
    EXPECT_FALSE(other->Down());
}

TEST_F(SpeedButtonTest, StylesCaptionAndLayout)
{
    Button->SetCaption(L"Go");
    Button->SetShowCaption(false);
    EXPECT_EQ(Button->Caption(), L"");
    Button->SetShowCaption(true);
    EXPECT_EQ(Button->Caption(), L"Go") << "the caption is kept while hidden";

    Button->SetButtonStyle(tbsDropDown);
    EXPECT_EQ(Button->Width(), 56);
    EXPECT_EQ(Button->ArrowWidth(), 16);
    EXPECT_LE(Button->CaptionRect().Right, Button->Width() - 16 + 2);
    Pump();
    // The skin's common arrow (a 7-pixel cell) sits in the middle of the arrow area.
    EXPECT_EQ(Pixel(Button, Button->Width() - 16 + 2, Button->Height() / 2), Plate);
    EXPECT_NE(Pixel(Button, Button->Width() - 16 + 7, (Button->Height() - 7) / 2 + 3), Plate);
    Button->SetButtonStyle(tbsSeparator);
    EXPECT_EQ(Button->Width(), 40);
    Pump();
    EXPECT_NE(Middle(Button), Plate) << "a separator shows the parent";

    // Pressed, the glyph moves by one pixel.
    Button->SetButtonStyle(tbsButton);
    auto glyph = std::make_unique<TBitmap>();
    glyph->SetSize(8, 8);
    Button->SetGlyph(glyph.get());
    const TRect r = Button->GlyphRect();
    EXPECT_EQ(r.Width(), 8);
    Press(Button, WM_LBUTTONDOWN);
    EXPECT_EQ(Button->GlyphRect().Left, r.Left + 1);
    Press(Button, WM_LBUTTONUP);
}

TEST_F(SpeedButtonTest, TheArrowAreaOpensTheDropDownMenu)
{
    auto* menu = Create<NotingMenu>(Form);
    Button->SetButtonStyle(tbsDropDown);
    Button->SetDropdownMenu(menu);
    const auto press = [&](int x) {
        const LPARAM at = MAKELPARAM(Button->Left() + x, Button->Top() + 5);
        SendMessageW(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(Form->Handle(), WM_LBUTTONUP, 0, at);
        Run(Button);
    };
    press(Button->Width() - 5);
    EXPECT_EQ(menu->Opened, 1);
    EXPECT_TRUE(menu->PressedWhileOpen);
    EXPECT_EQ(menu->StateWhileOpen, 0) << "with its own click only the arrow area shows down";
    EXPECT_FALSE(Button->DropdownPressed());
    EXPECT_EQ(Clicks_.count, 0);
    press(5);
    EXPECT_EQ(menu->Opened, 1);
    EXPECT_EQ(Clicks_.count, 1) << "left of the arrow it is an ordinary click";

    Button->SetOnClick({});
    press(5);
    EXPECT_EQ(menu->Opened, 2);
    EXPECT_EQ(menu->StateWhileOpen, 2) << "without a click of its own the whole button is the menu's";
    EXPECT_NE(Button->StateIndex(), 2) << "and comes back up when the menu closes";

    FreeAndNil(menu);
    EXPECT_EQ(Button->DropdownMenu(), nullptr);
}

// What a form resource stores of a speed button comes back when it is read.
TEST_F(SpeedButtonTest, ItsPublishedPropertiesGoThroughTheFormResource)
{
    Button->SetName("Speed");
    auto* images = Create<TImageList>(Form);
    images->SetName("Pictures");
    auto* menu = Create<TPopupMenu>(Form);
    menu->SetName("Choices");
    Button->SetButtonStyle(tbsDropDown);
    Button->SetAlignment(taLeftJustify);
    Button->SetTextAlignment(taRightJustify);
    Button->SetDisabledKind(TsDisabledKind{dkGrayed});
    Button->SetDisabledGlyphKind(TsDisabledGlyphKind{dgGrayed});
    Button->SetAnimatEvents(TacAnimatEvents{aeMouseDown});
    Button->SetImages(images);
    Button->SetDropdownMenu(menu);
    const std::vector<uint8_t> stored = WriteRootComponent(*Form);
    const std::string text = FormBinaryToText(stored);
    for (const char* line : {"ButtonStyle = tbsDropDown", "Alignment = taLeftJustify", "TextAlignment = taRightJustify",
                             "DisabledKind = [dkGrayed]", "DisabledGlyphKind = [dgGrayed]",
                             "AnimatEvents = [aeMouseDown]", "Images = Pictures", "DropdownMenu = Choices"})
        EXPECT_NE(text.find(line), std::string::npos) << line;

    // The form writes its controls; what they refer to is already there when it is read.
    TForm* again = CreateNew<TForm>(nullptr);
    Create<TImageList>(again)->SetName("Pictures");
    Create<TPopupMenu>(again)->SetName("Choices");
    ReadRootComponent(stored, *again);
    auto* read = dynamic_cast<TsSpeedButton*>(again->FindComponent("Speed"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->ButtonStyle(), tbsDropDown);
    EXPECT_EQ(read->Alignment(), taLeftJustify);
    EXPECT_EQ(read->TextAlignment(), taRightJustify);
    EXPECT_EQ(read->DisabledKind(), TsDisabledKind{dkGrayed});
    EXPECT_EQ(read->DisabledGlyphKind(), TsDisabledGlyphKind{dgGrayed});
    EXPECT_EQ(read->AnimatEvents(), TacAnimatEvents{aeMouseDown});
    EXPECT_EQ(read->Images(), again->FindComponent("Pictures"));
    EXPECT_EQ(read->DropdownMenu(), again->FindComponent("Choices"));
    EXPECT_EQ(read->Width(), Button->Width()) << "a stored drop-down width is not widened again";
    again->Free();
}

TEST_F(SpeedButtonTest, OnPaintGetsThePictureBeforeItIsShown)
{
    struct Painted {
        TBitmap* bitmap = nullptr;
        void OnPaint(TObject*, TBitmap* b)
        {
            bitmap = b;
            SetPixel(b->Canvas().Handle(), 2, 2, 0x0000FF);
        }
    } painted;
    Button->SetOnPaint(TBmpPaintEvent(&painted, &Painted::OnPaint));
    Button->SetGrayed(true);
    Pump();
    EXPECT_EQ(painted.bitmap, Button->SkinData()->CacheBitmap.get());
    HDC dc = GetDC(Form->Handle());
    EXPECT_EQ(GetPixel(dc, Button->Left() + 2, Button->Top() + 2), 0x0000FFu) << "what the handler drew is shown";
    ReleaseDC(Form->Handle(), dc);
}

// A glyph that OnPaint assigns or draws on, on every paint, is in the picture shown; and such a
// handler does not keep the button repainting.
TEST_F(SpeedButtonTest, AGlyphChangedByOnPaintIsShown)
{
    struct Painter {
        TsSpeedButton* button = nullptr;
        bool assign = false;
        int calls = 0;
        // White around a red square: the bottom-left pixel is the glyph's transparent colour.
        void OnPaint(TObject*, TBitmap*)
        {
            ++calls;
            TBitmap glyph;
            glyph.SetPixelFormat(pf24bit);
            glyph.SetSize(8, 8);
            TBitmap& target = assign ? glyph : *button->Glyph();
            target.Canvas().Brush().SetColor(clRed);
            target.Canvas().FillRect(TRect{2, 2, 6, 6});
            if (assign)
                button->Glyph()->Assign(&glyph);
        }
    };
    for (const bool assign : {true, false}) {
        SCOPED_TRACE(assign ? "AssignedInOnPaint" : "DrawnOnInOnPaint");
        TsSpeedButton* b = Add(100);
        b->Glyph()->SetPixelFormat(pf24bit);
        b->Glyph()->SetSize(assign ? 0 : 8, assign ? 0 : 8);
        Painter painter{b, assign};
        b->SetOnPaint(TBmpPaintEvent(&painter, &Painter::OnPaint));
        Pump();
        for (int repaint = 0; repaint < 2; ++repaint) {
            b->Invalidate();
            Pump();
            const auto shown = Capture(b);
            int red = 0;
            for (int y = 0; y < b->Height(); ++y)
                for (int x = 0; x < b->Width(); ++x)
                    red += shown->Canvas().Pixels(x, y) == clRed;
            EXPECT_EQ(red, 16) << "repaint " << repaint;
        }
        const int calls = painter.calls;
        Pump();
        EXPECT_EQ(painter.calls, calls) << "no paint follows by itself";
        b->Free();
    }
}

TEST_F(SpeedButtonTest, SkinRemovalPaintsThePlainButton)
{
    Manager->SetActive(false);
    Pump();
    EXPECT_FALSE(Button->SkinData()->IsSkinActive());
    EXPECT_NE(Middle(Button), Plate);
    Manager->AnimEffects()->SkinChanging()->SetActive(false);
    Manager->SetActive(true);
    Pump();
    EXPECT_EQ(Middle(Button), Plate);
}

// A button at rest shows its cache as it stands; every input its picture depends on must mark the
// cache out of date. The marker put into the cache is gone from the screen once it is rebuilt.
TEST_F(SpeedButtonTest, AtRestItsPictureFollowsGlyphFontLayoutAndMargin)
{
    Button->SetCaption(L"Go");
    Button->SetAlignment(taLeftJustify);
    Pump();
    struct Case {
        const char* name;
        std::function<void()> change;
    } cases[] = {
        {"glyph",
         [&] {
             TBitmap glyph;
             glyph.SetPixelFormat(pf24bit);
             glyph.SetSize(8, 8);
             Button->SetGlyph(&glyph);
         }},
        {"font", [&] { Button->Font()->SetSize(14); }},
        {"layout", [&] { Button->SetLayout(blGlyphTop); }},
        {"margin", [&] { Button->SetMargin(5); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MarkCache(*Button->SkinData(), 2, 2);
        Button->Invalidate();
        Pump();
        ASSERT_EQ(Pixel(Button, 2, 2), CacheMarker) << "at rest the cache is shown as it stands";
        c.change();
        Pump();
        EXPECT_NE(Pixel(Button, 2, 2), CacheMarker) << "rebuilt";
    }
}

TEST_F(SpeedButtonTest, HintsComeBackWhenTheDropDownMenuCloses)
{
    auto* menu = Create<NotingMenu>(Form);
    Button->SetButtonStyle(tbsDropDown);
    Button->SetDropdownMenu(menu);
    Application->SetShowHint(true);
    // The menu's own loop takes the release: only the press reaches the button.
    SendMessageW(Form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Button->Left() + Button->Width() - 5, 15));
    EXPECT_EQ(menu->Opened, 1);
    EXPECT_TRUE(Application->ShowHint());
    EXPECT_FALSE(HintsSuppressed);
    ReleaseCapture();
}

TEST_F(SpeedButtonTest, SeparatorsShowTheParentsPictureAtTheirOwnPlace)
{
    auto* group = Create<TsGroupBox>(Form);
    group->SetParent(Form);
    group->SetBounds(10, 40, 200, 90);
    // With a caption section of its own the box answers with its picture, not a colour.
    group->SetCaptionSkin("GROUPBOX");
    for (TToolButtonStyle style : {tbsSeparator, tbsDivider}) {
        SCOPED_TRACE(static_cast<int>(style));
        // Over the box's right edge, whose frame its left part does not have.
        auto* b = Create<TsSpeedButton>(Form);
        b->SetParent(group);
        b->SetBounds(176, 50, 24, 24);
        b->SetButtonStyle(style);
        Pump();
        HDC behind = group->SkinData()->CacheBitmap->Canvas().Handle();
        HDC shown = b->SkinData()->CacheBitmap->Canvas().Handle();
        // The divider's image may cover the middle; the sides are the parent's.
        int differing = 0;
        for (int y = 0; y < 24; ++y)
            for (int x : {0, 1, 22, 23})
                differing += GetPixel(shown, x, y) != GetPixel(behind, 176 + x, 50 + y);
        EXPECT_EQ(differing, 0);
        b->Free();
    }
}

TEST_F(SpeedButtonTest, AFadeStopsOnceTheButtonHasLeftItsParent)
{
    Button->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Button));
    ASSERT_NE(Button->FadeTimer(), nullptr);
    Button->SetParent(nullptr);
    Run(Button);
    EXPECT_EQ(Button->FadeTimer(), nullptr) << "the timer was let go";
}

} // namespace

namespace {

TEST_F(SpeedButtonTest, AButtonTakesItsPictureAndCaptionFromItsAction)
{
    auto* images = Create<TImageList>(Form);
    auto* list = Create<TActionList>(Form);
    list->SetImages(images);
    auto* action = Create<TAction>(Form);
    action->SetActionList(list);
    action->SetImageIndex(2);
    action->SetCaption(L"Копировать");
    Button->SetAction(action);
    EXPECT_EQ(Button->Images(), images);
    EXPECT_EQ(Button->ImageIndex(), 2);
    EXPECT_EQ(Button->Caption(), L"Копировать");

    // A caption that is not shown waits aside for ShowCaption.
    Button->SetShowCaption(false);
    action->SetCaption(L"Выход");
    EXPECT_EQ(Button->Caption(), L"");
    Button->SetShowCaption(true);
    EXPECT_EQ(Button->Caption(), L"Выход");

    const TColor enabled = Middle(Button);
    action->SetEnabled(false);
    EXPECT_FALSE(Button->Enabled());
    EXPECT_NE(Middle(Button), enabled) << "repainted disabled at once";

    images->Free();
    EXPECT_EQ(Button->Images(), nullptr);
}

} // namespace
