// The main window's password field and push buttons as the skin engine draws them, on the real
// main form streamed from its resource under the internal skin.
#include "app/passwords.h"

#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sSpinEdit.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/sCommonData.h"
#include "win/app/AppFixture.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr TColor Green = 0x008000;
constexpr TColor BrightGreen = 0x00FF00;

using ks::test::ScreenPixel;

// The form's window as it shows now, written as a PNG under the build folder.
void WriteWindowPng(HWND wnd, const std::string& name)
{
    ks::test::WriteSheetPng(*ks::test::ScreenPicture(wnd), std::string("Z:") + KS_BUILD_DIR + "/" + name);
}

class SkinnedControlsTest : public AppFixture {};

TEST_F(SkinnedControlsTest, ThePasswordFieldAndTheButtonsAreDrawnByTheSkin)
{
    CreateForms(false);
    Form1->Show();
    Pump();
    auto* edit = Get<TsEdit>(Form1, "sEdit1");
    auto* generate = Get<TsButton>(Form1, "sButton1");
    ASSERT_TRUE(edit && generate);
    EXPECT_EQ(edit->SkinData()->SkinSection(), "EDIT");
    EXPECT_EQ(generate->SkinData()->SkinSection(), "BUTTON");
    for (const char* name : {"sButton1", "sButton2", "sButton3", "sButton4", "sButton5", "sButton6"}) {
        SCOPED_TRACE(name);
        auto* button = Get<TsButton>(Form1, name);
        ASSERT_TRUE(button && button->SkinData()->IsSkinActive());
        EXPECT_EQ(GetWindowLongW(button->Handle(), GWL_STYLE) & 0x0F, BS_OWNERDRAW);
        EXPECT_EQ(ScreenPixel(button->Handle(), button->Width() / 2, 0), Green);
    }
    // The field has the focus at start, which shows it hot.
    ASSERT_TRUE(edit->SkinData()->IsSkinActive());
    EXPECT_EQ(ScreenPixel(edit->Handle(), 0, 0), BrightGreen);
    EXPECT_EQ(ColorToRGB(edit->Font()->Color()), BrightGreen);
    EXPECT_EQ(edit->Color(), 0);

    edit->SetEnabled(false);
    Pump();
    WriteWindowPng(Form1->Handle(), "main-edit-disabled.png");
    TBitmap* cache = edit->SkinData()->CacheBitmap.get();
    ASSERT_TRUE(cache && !cache->Empty());
    int differ = 0;
    for (int y = 0; y < edit->Height(); ++y)
        for (int x = 0; x < edit->Width(); ++x)
            differ += ScreenPixel(edit->Handle(), x, y) != cache->Canvas().Pixels(x, y);
    EXPECT_EQ(differ, 0) << "the disabled field is its cache, text included";
}

TEST_F(SkinnedControlsTest, TheFourCheckBoxesShowTheirWholeCaptionsAndTickBySpace)
{
    CreateForms(false);
    Form1->Show();
    Pump();
    WriteWindowPng(Form1->Handle(), "main-at-rest.png");
    for (const char* name : {"sCheckBox1", "sCheckBox2", "sCheckBox3", "sCheckBox4"}) {
        SCOPED_TRACE(name);
        auto* box = Get<TsCheckBox>(Form1, name);
        ASSERT_TRUE(box && box->SkinData()->IsSkinActive());
        EXPECT_EQ(box->State(), cbChecked);
        // Measured as drawn: "&*" shows an underlined "*", as on the platform's check box.
        auto probe = NewBitmap24(1, 1);
        probe->Canvas().Font().Assign(box->Font());
        TRect drawn{0, 0, 1000, 0};
        DrawTextOnDC(probe->Canvas().Handle(), box->Caption(), drawn, DT_CALCRECT | DT_SINGLELINE);
        const TSize text{drawn.Width(), drawn.Height()};
        const int left = box->CheckRect().Right + 4;
        EXPECT_GE(box->Width(), left + text.cx) << "the caption fits";
        EXPECT_LE(box->Left() + box->Width(), box->Parent()->ClientWidth()) << "and stays inside the group";
        int last = -1;
        for (int x = left; x < box->Width(); ++x)
            for (int y = 0; y < box->Height(); ++y)
                if (ScreenPixel(box->Handle(), x, y) == Green)
                    last = x;
        EXPECT_GE(last, left + text.cx - 4) << "the caption's last character is drawn";
    }
    auto* digits = Get<TsCheckBox>(Form1, "sCheckBox1");
    digits->SetFocus();
    SendMessageW(digits->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(digits->Handle(), WM_KEYUP, VK_SPACE, 0xC0000000);
    Pump();
    EXPECT_EQ(digits->State(), cbUnchecked);
    WriteWindowPng(Form1->Handle(), "main-checkbox-unticked.png");
}

// "Ещё" hovered, pressed, released and left: each look shows whole once its fade has run, and
// the window never keeps the picture of the look before.
TEST_F(SkinnedControlsTest, TheMoreButtonShowsEachLookAfterItsFade)
{
    CreateForms(false);
    Form1->Show();
    Pump();
    auto* more = Get<TsButton>(Form1, "sButton1");
    ASSERT_TRUE(more && more->Caption() == L"Ещё");
    const auto run = [more] {
        for (int i = 0; i < 50 && more->FadeTimer(); ++i)
            SendMessageW(more->FadeTimer()->Handle(), WM_TIMER, more->FadeTimer()->TimerId(), 0);
        Pump();
    };
    const auto top = [more] { return ScreenPixel(more->Handle(), more->Width() / 2, 0); };
    const LPARAM middle = MAKELPARAM(more->Width() / 2, more->Height() / 2);
    EXPECT_EQ(top(), Green);
    more->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(more));
    run();
    EXPECT_EQ(top(), BrightGreen);
    WriteWindowPng(Form1->Handle(), "main-more-hot.png");
    SendMessageW(more->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, middle);
    run();
    EXPECT_EQ(more->StateIndex(), 2);
    EXPECT_EQ(top(), BrightGreen);
    WriteWindowPng(Form1->Handle(), "main-more-pressed.png");
    SendMessageW(more->Handle(), WM_LBUTTONUP, 0, middle);
    run();
    // The click left the focus on it, which keeps it hot; the focus goes back to the field.
    Get<TsEdit>(Form1, "sEdit1")->SetFocus();
    more->Perform(CM_MOUSELEAVE, 0, TCMControl::ToLParam(more));
    run();
    more->Repaint();
    EXPECT_EQ(top(), Green) << "at rest again";
}

// A repaint of the whole main window with nothing changed copies every control's picture as it
// stands: a red pixel put into each cache shows on the screen.
TEST_F(SkinnedControlsTest, ARepaintOfTheMainWindowRebuildsNoValidPicture)
{
    CreateForms(false);
    Form1->Show();
    Pump();
    constexpr TColor Red = 0x0000FF;
    std::vector<TWinControl*> controls;
    for (const char* name : {"sButton1", "sButton2", "sButton3", "sButton4", "sButton5", "sButton6"})
        controls.push_back(Get<TsButton>(Form1, name));
    for (const char* name : {"sCheckBox1", "sCheckBox2", "sCheckBox3", "sCheckBox4"})
        controls.push_back(Get<TsCheckBox>(Form1, name));
    for (TWinControl* c : controls) {
        ASSERT_NE(c, nullptr);
        TsCommonData* data = nullptr;
        if (auto* b = dynamic_cast<TsButton*>(c))
            data = b->SkinData();
        else
            data = static_cast<TsCheckBox*>(c)->SkinData();
        SetPixel(data->CacheBitmap->Canvas().Handle(), c->Width() / 2, c->Height() / 2, Red);
    }
    GdiFlush();
    RedrawWindow(Form1->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    for (TWinControl* c : controls) {
        SCOPED_TRACE(c->Name());
        EXPECT_EQ(ScreenPixel(c->Handle(), c->Width() / 2, c->Height() / 2), Red);
    }
}

TEST_F(SkinnedControlsTest, TheLengthFieldStepsThroughItsSkinnedButtons)
{
    CreateForms(false);
    Form1->Show();
    Pump();
    auto* spin = Get<TsSpinEdit>(Form1, "sSpinEdit1");
    ASSERT_TRUE(spin);
    EXPECT_EQ(spin->SkinData()->SkinSection(), "EDIT");
    EXPECT_EQ(spin->Text(), L"10");
    TsTimerSpeedButton* up = spin->Button()->UpButton;
    ASSERT_TRUE(up->SkinData()->IsSkinActive());

    const LPARAM at = MAKELPARAM(up->Width() / 2, up->Height() / 2);
    SendMessageW(spin->Button()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    for (int i = 0; i < 40 && up->FadeTimer(); ++i)
        SendMessageW(up->FadeTimer()->Handle(), WM_TIMER, up->FadeTimer()->TimerId(), 0);
    Pump();
    EXPECT_EQ(up->StateIndex(), 2);
    WriteWindowPng(Form1->Handle(), "main-spin-up-pressed.png");
    SendMessageW(spin->Button()->Handle(), WM_LBUTTONUP, 0, at);
    Pump();
    EXPECT_EQ(spin->Value(), 11);
}

} // namespace
