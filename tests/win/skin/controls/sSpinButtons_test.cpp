#include "skin/controls/sSpinEdit.h"

#include "skin/controls/sSpeedButton.h"

#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/AccessViolations.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>


namespace {

using namespace ks::test;

int gBeeps = 0;
UINT_PTR WINAPI NoSetTimer(HWND, UINT_PTR id, UINT, TIMERPROC) { return id; }
BOOL WINAPI NoKillTimer(HWND, UINT_PTR) { return TRUE; }
BOOL WINAPI CountBeep(UINT) { ++gBeeps; return TRUE; }

// The password length's field on a skinned form: its up and down halves step, repeat and clamp.
class SpinButtonsTest : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        ks::Sys().SetTimer = &NoSetTimer;
        ks::Sys().KillTimer = &NoKillTimer;
        ks::Sys().MessageBeep = &CountBeep;
        gBeeps = 0;
        Spin = Create<TsSpinEdit>(Form);
        Spin->SetParent(Form);
        Spin->SetBounds(10, 10, 80, 21);
        Spin->SetMinValue(1);
        Spin->SetMaxValue(999999999);
        Spin->SetMaxLength(9);
        Spin->SetText(L"10");
        Pump();
    }
    TsTimerSpeedButton* UpHalf(TsSpinEdit* field = nullptr) const { return (field ? field : Spin)->Button()->UpButton; }
    TsTimerSpeedButton* DownHalf() const { return Spin->Button()->DownButton; }
    LPARAM At(TsTimerSpeedButton* half) const
    {
        return MAKELPARAM(half->Left() + half->Width() / 2, half->Top() + half->Height() / 2);
    }
    void Press(TsTimerSpeedButton* half) { SendMessageW(Spin->Button()->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(half)); }
    void Release(TsTimerSpeedButton* half) { SendMessageW(Spin->Button()->Handle(), WM_LBUTTONUP, 0, At(half)); }
    static void Tick(TsTimerSpeedButton* half)
    {
        SendMessageW(half->RepeatTimer()->Handle(), WM_TIMER, half->RepeatTimer()->TimerId(), 0);
    }
    // The halves as the screen shows them once every paint has run, row by row.
    std::vector<TColor> HalvesPicture()
    {
        Spin->Button()->Repaint();
        Pump();
        std::vector<TColor> pixels;
        for (int y = 0; y < Spin->Button()->Height(); ++y)
            for (int x = 0; x < Spin->Button()->Width(); ++x)
                pixels.push_back(ButtonPixel(x, y));
        return pixels;
    }
    TColor ButtonPixel(int x, int y) const
    {
        HDC dc = GetDC(Spin->Button()->Handle());
        const TColor c = static_cast<TColor>(GetPixel(dc, x, y));
        ReleaseDC(Spin->Button()->Handle(), dc);
        return c;
    }

    TsSpinEdit* Spin = nullptr;
};

TEST_F(SpinButtonsTest, TheHalvesFillTheButtonAndArePaintedFromTheSkin)
{
    TsSpinButton* button = Spin->Button();
    EXPECT_EQ(button->Width(), 18);
    EXPECT_EQ(button->Left(), Spin->Width() - 18 - 4);
    EXPECT_EQ(UpHalf()->Height() + DownHalf()->Height(), button->Height());
    EXPECT_EQ(DownHalf()->Top(), UpHalf()->Height());
    ASSERT_TRUE(UpHalf()->SkinData()->IsSkinActive());
    EXPECT_EQ(UpHalf()->SkinData()->Section()->SectionName, "SPEEDBUTTON_SMALL");

    // The up arrow's middle row, in the field's text colour while the half is at rest.
    const int x = (UpHalf()->Width() - 9) / 2 + 4, y = (UpHalf()->Height() - 5) / 2 + 3;
    Spin->Repaint();
    Pump();
    EXPECT_EQ(ButtonPixel(x, y), Spin->SkinData()->Section()->FontColor[0]);
    EXPECT_EQ(ButtonPixel(x, UpHalf()->Height() + (DownHalf()->Height() - 5) / 2 + 2),
              Spin->SkinData()->Section()->FontColor[0]) << "and the down arrow";
}

TEST_F(SpinButtonsTest, ClicksStepAndAHeldHalfRepeatsAfter400ThenEvery100Ms)
{
    Press(UpHalf());
    ASSERT_NE(UpHalf()->RepeatTimer(), nullptr);
    EXPECT_TRUE(UpHalf()->RepeatTimer()->Enabled());
    EXPECT_EQ(UpHalf()->RepeatTimer()->Interval(), 400u);
    EXPECT_EQ(Spin->Text(), L"10") << "the press alone does not step";
    Tick(UpHalf());
    EXPECT_EQ(UpHalf()->RepeatTimer()->Interval(), 100u);
    EXPECT_EQ(Spin->Value(), 11);
    Tick(UpHalf());
    EXPECT_EQ(Spin->Value(), 12);
    Release(UpHalf());
    EXPECT_EQ(Spin->Value(), 13) << "the release clicks once more";
    EXPECT_FALSE(UpHalf()->RepeatTimer()->Enabled());

    Press(DownHalf());
    Release(DownHalf());
    EXPECT_EQ(Spin->Value(), 12);
}

TEST_F(SpinButtonsTest, StepsStayInRangeAndKeysAndTheWheelStepToo)
{
    struct Case {
        const char* name;
        const wchar_t* before;
        UINT msg;
        WPARAM wParam;
        const wchar_t* after;
    };
    const Case cases[] = {
        {"UpKey", L"10", WM_KEYDOWN, VK_UP, L"11"},
        {"DownKey", L"10", WM_KEYDOWN, VK_DOWN, L"9"},
        {"DownAtMinimum", L"1", WM_KEYDOWN, VK_DOWN, L"1"},
        {"UpAtMaximum", L"999999999", WM_KEYDOWN, VK_UP, L"999999999"},
        {"UpFromBelowRange", L"0", WM_KEYDOWN, VK_UP, L"1"},
        {"WheelNotchUp", L"10", WM_MOUSEWHEEL, MAKEWPARAM(0, 120), L"11"},
        {"WheelTwoNotchesDown", L"10", WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), L"8"},
        {"WheelHalfNotch", L"10", WM_MOUSEWHEEL, MAKEWPARAM(0, 60), L"10"},
    };
    Spin->SetFocus();
    Pump();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Spin->SetText(c.before);
        PostMessageW(Spin->Handle(), c.msg, c.wParam, c.msg == WM_MOUSEWHEEL ? MAKELPARAM(20, 20) : 1);
        Pump();
        EXPECT_EQ(Spin->Text(), c.after);
    }
}

TEST_F(SpinButtonsTest, ReadOnlyBeepsAndAClosedEditorStillSteps)
{
    Spin->SetReadOnly(true);
    ASSERT_TRUE(Spin->ReadOnly());
    ASSERT_EQ(Spin->Text(), L"10");
    Spin->UpClick(nullptr);
    EXPECT_EQ(Spin->Text(), L"10");
    EXPECT_EQ(gBeeps, 1);
    Spin->SetReadOnly(false);

    Spin->SetEditorEnabled(false);
    Spin->SetFocus();
    Pump();
    PostMessageW(Spin->Handle(), WM_CHAR, L'5', 1);
    PostMessageW(Spin->Handle(), WM_CHAR, VK_BACK, 1);
    Pump();
    EXPECT_EQ(Spin->Text(), L"10");
    EXPECT_EQ(gBeeps, 3) << "digits and backspace are refused with a beep";
    PostMessageW(Spin->Handle(), WM_KEYDOWN, VK_UP, 1);
    Pump();
    EXPECT_EQ(Spin->Text(), L"11");

    Spin->SetEditorEnabled(true);
    PostMessageW(Spin->Handle(), WM_CHAR, L'+', 1);
    Pump();
    EXPECT_EQ(gBeeps, 4) << "a sign is no digit";
}

TEST_F(SpinButtonsTest, DisabledTheHalvesShowFromTheFieldsPictureAndSkinChangesReachThem)
{
    Spin->SetEnabled(false);
    Pump();
    EXPECT_FALSE(Spin->Button()->Visible());
    // The lit plate of the up half, 40 % of it over the field's grey disabled face.
    const TColor plate = WindowPixel(Spin->Handle(), Spin->Button()->Left() + 2 + 3, Spin->Button()->Top() + 2 + 2);
    EXPECT_GT(GetGValue(plate), GetRValue(plate) + 0x20) << std::hex << plate;
    EXPECT_LT(GetGValue(plate), 0xF0) << std::hex << plate;
    Spin->SetEnabled(true);
    Pump();
    EXPECT_TRUE(Spin->Button()->Visible());

    Manager->SetActive(false);
    Pump();
    EXPECT_FALSE(UpHalf()->SkinData()->IsSkinActive());
    Press(UpHalf());
    Release(UpHalf());
    EXPECT_EQ(Spin->Value(), 11) << "the plain halves still click";
    Manager->AnimEffects()->SkinChanging()->SetActive(false);
    Manager->SetActive(true);
    Pump();
    EXPECT_TRUE(UpHalf()->SkinData()->IsSkinActive());
}

// What OnChange does to the field while a half is held: each takes the mouse away from the
// spin button, as the platform does for a modal form (WM_CANCELMODE, then ReleaseCapture), for
// a disabled window (WM_CANCELMODE) and for a window that takes the mouse for itself.
struct MouseTakers {
    TsSpinEdit* spin = nullptr;
    TForm* other = nullptr;
    int changes = 0;
    void ShowModalForm(TObject*)
    {
        if (changes++ > 0)
            return;
        TForm* modal = CreateNew<TForm>(nullptr);
        modal->SetBounds(300, 300, 120, 80);
        PostMessageW(modal->Handle(), WM_CLOSE, 0, 0);
        modal->ShowModal();
        modal->Free();
    }
    void DisableAtMaximum(TObject*)
    {
        ++changes;
        if (spin->Value() == spin->MaxValue())
            spin->SetEnabled(false);
    }
    void ActivateOther(TObject*)
    {
        if (changes++ > 0)
            return;
        // The window coming to the front takes the mouse, as a drag started there would.
        SetForegroundWindow(other->Handle());
        SetCapture(other->Handle());
    }
};

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class SpinButtonsLifetimeTest : public SpinButtonsTest {};

TEST_F(SpinButtonsLifetimeTest, AHeldHalfLetsGoWhenTheMouseIsTakenAway)
{
    struct Case {
        const char* name;
        void (MouseTakers::*onChange)(TObject*);
        int maxValue;
    };
    const Case cases[] = {
        {"ModalFormShownFromOnChange", &MouseTakers::ShowModalForm, 999},
        {"FieldDisabledAtItsMaximum", &MouseTakers::DisableAtMaximum, 11},
        {"AnotherWindowActivatedAndTakingTheMouse", &MouseTakers::ActivateOther, 999},
    };
    TForm* other = CreateNew<TForm>(nullptr);
    other->SetBounds(320, 40, 120, 80);
    other->Show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Spin->SetEnabled(true);
        Spin->SetText(L"10");
        Spin->SetMaxValue(c.maxValue);
        Form->Show();
        SetForegroundWindow(Form->Handle());
        Pump();
        MouseTakers takers{Spin, other};
        Spin->SetOnChange(TNotifyEvent(&takers, c.onChange));
        const auto atRest = HalvesPicture();
        Press(UpHalf());
        ASSERT_EQ(ks::CaptureControl(), UpHalf());
        Tick(UpHalf());
        EXPECT_EQ(Spin->Value(), 11) << "the first repeat steps once";
        Pump();
        if (GetCapture() == other->Handle())
            ReleaseCapture();
        // Released over the form, where the mouse now goes.
        SendMessageW(Form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        Tick(UpHalf());
        Tick(UpHalf());
        EXPECT_EQ(Spin->Value(), 11) << "no step after the mouse was taken away";
        EXPECT_FALSE(UpHalf()->RepeatTimer()->Enabled());
        EXPECT_EQ(UpHalf()->State(), bsUp) << "the half is drawn up again";
        EXPECT_EQ(ks::CaptureControl(), nullptr) << "the application's hints follow the mouse again";
        EXPECT_NE(GetCapture(), Spin->Button()->Handle());
        if (Spin->Enabled()) {
            EXPECT_EQ(HalvesPicture(), atRest) << "both halves look as before the press";
            if (c.onChange == &MouseTakers::ShowModalForm)
                WriteSheetPng(*Capture(Spin), std::string(KS_BUILD_DIR) + "/spin-edit-after-modal-cancel.png");
        }
        Spin->SetOnChange(nullptr);
    }
    other->Free();
}

// A press ended by other means than its release, also from the button's own OnMouseDown: the
// button is drawn up and lets the mouse go, the release clicks nothing and a held half steps no
// more.
TEST_F(SpinButtonsLifetimeTest, APressEndedByOtherMeansClicksNothingOnRelease)
{
    TForm* other = CreateNew<TForm>(nullptr);
    other->SetBounds(320, 40, 120, 80);
    other->Show();
    struct Case {
        const char* name;
        bool half; // a spin field's up half, else a speed button; the end is done to either
        std::function<void(TControl*)> end;
        bool byOnMouseDown = false; // the button's OnMouseDown ends its press
    };
    const Case cases[] = {
        {"ButtonDisabled", false, [](TControl* c) { c->SetEnabled(false); }},
        {"ButtonHidden", false, [](TControl* c) { c->SetVisible(false); }},
        {"ButtonsFormHidden", false, [&](TControl*) { Form->Hide(); }},
        {"ButtonMovedToAnotherForm", false, [&](TControl* c) { c->SetParent(other); }},
        {"FieldDisabled", true, [](TControl* c) { c->SetEnabled(false); }},
        {"FieldHidden", true, [](TControl* c) { c->SetVisible(false); }},
        {"FieldsFormHidden", true, [&](TControl*) { Form->Hide(); }},
        {"FieldMovedToAnotherForm", true, [&](TControl* c) { c->SetParent(other); }},
        {"ButtonDisabledByItsOnMouseDown", false, [](TControl* c) { c->SetEnabled(false); }, true},
        {"ButtonHiddenByItsOnMouseDown", false, [](TControl* c) { c->SetVisible(false); }, true},
        {"ButtonMovedByItsOnMouseDown", false, [&](TControl* c) { c->SetParent(other); }, true},
    };
    struct Ender {
        std::function<void()> end;
        void Down(TObject*, TMouseButton, TShiftState, int, int) { end(); }
    } ender;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Form->Show();
        struct {
            int count = 0;
            void OnClick(TObject*) { ++count; }
        } clicks;
        auto* button = Create<TsSpeedButton>(Form);
        auto* field = Create<TsSpinEdit>(Form);
        for (TControl* made : {static_cast<TControl*>(button), static_cast<TControl*>(field)}) {
            made->SetParent(Form);
            made->SetBounds(10, 40, 80, 24);
            made->SetVisible(made == (c.half ? static_cast<TControl*>(field) : button));
        }
        field->SetMaxValue(999);
        field->SetText(L"10");
        button->SetOnClick(TNotifyEvent(&clicks, &decltype(clicks)::OnClick));
        TsSpeedButton* pressed = c.half ? UpHalf(field) : button;
        Pump();
        const HWND host = pressed->Parent()->Handle();
        POINT at{pressed->Left() + pressed->Width() / 2, pressed->Top() + pressed->Height() / 2};
        ender.end = [&] { c.end(button); };
        if (c.byOnMouseDown)
            button->SetOnMouseDown(TMouseEvent(&ender, &Ender::Down));
        SendMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        ClientToScreen(host, &at);
        if (!c.byOnMouseDown) {
            ASSERT_EQ(ks::CaptureControl(), pressed);
            c.end(c.half ? static_cast<TControl*>(field) : button);
        }
        // Let go where the press was: the message goes to the window holding the mouse, if any.
        const HWND to = GetCapture() ? GetCapture() : Form->Handle();
        ScreenToClient(to, &at);
        SendMessageW(to, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        if (c.half) {
            Tick(UpHalf(field));
            Tick(UpHalf(field));
        }
        EXPECT_EQ(clicks.count, 0);
        EXPECT_EQ(field->Value(), 10) << "no step";
        EXPECT_NE(pressed->State(), bsDown);
        EXPECT_FALSE(pressed->ControlState().Contains(csLButtonDown));
        EXPECT_EQ(ks::CaptureControl(), nullptr);
        EXPECT_NE(GetCapture(), host);
        FreeAndNil(button);
        FreeAndNil(field);
        if (GetCapture())
            ReleaseCapture();
    }
    other->Free();
}

// The field freed by its own OnChange, raised by a held half's repeat after the modal form that
// took the mouse from the half: nothing of the field is touched after.
TEST_F(SpinButtonsLifetimeTest, AFieldFreedByTheRepeatsChangeAfterAModalFormIsLeftAlone)
{
    struct Freer {
        TsSpinEdit* spin;
        void ShowModalAndFree(TObject*)
        {
            MouseTakers{spin}.ShowModalForm(nullptr);
            FreeAndNil(spin);
        }
    } freer{Spin};
    Spin->SetOnChange(TNotifyEvent(&freer, &Freer::ShowModalAndFree));
    const HWND button = Spin->Button()->Handle();
    Press(UpHalf());
    Tick(UpHalf());
    Spin = nullptr;
    EXPECT_EQ(freer.spin, nullptr);
    EXPECT_FALSE(IsWindow(button));
    EXPECT_EQ(ks::CaptureControl(), nullptr);
    Pump();
}

// The field freed by the application from each event that a half raises: neither the half nor
// the field is touched after the handler returns.
struct SpinFreer {
    TsSpinEdit* spin = nullptr;
    int calls = 0;
    void Free() { ++calls; FreeAndNil(spin); }
    void OnNotify(TObject*) { Free(); }
    void OnMouse(TObject*, TMouseButton, TShiftState, int, int) { Free(); }
    void ByOnChange() { spin->SetOnChange(TNotifyEvent(this, &SpinFreer::OnNotify)); }
    void ByOnEnter() { spin->SetOnEnter(TNotifyEvent(this, &SpinFreer::OnNotify)); }
    void ByHalfsOnMouseUp() { spin->Button()->UpButton->SetOnMouseUp(TMouseEvent(this, &SpinFreer::OnMouse)); }
    void ByHalfsOnMouseDown() { spin->Button()->UpButton->SetOnMouseDown(TMouseEvent(this, &SpinFreer::OnMouse)); }
};

TEST_F(SpinButtonsLifetimeTest, AFieldFreedFromItsHalvesEventsIsLeftAlone)
{
    struct Case {
        const char* name;
        void (SpinFreer::*arm)();
        bool release; // else the press alone
    };
    const Case cases[] = {
        {"ChangeFromTheReleasesClick", &SpinFreer::ByOnChange, true},
        {"HalfsOnMouseUp", &SpinFreer::ByHalfsOnMouseUp, true},
        {"HalfsOnMouseDown", &SpinFreer::ByHalfsOnMouseDown, false},
        // The press gives the field the focus.
        {"FieldsOnEnterFromThePress", &SpinFreer::ByOnEnter, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!Spin) {
            Spin = Create<TsSpinEdit>(Form);
            Spin->SetParent(Form);
            Spin->SetBounds(10, 10, 80, 21);
        }
        Form->SetFocus();
        Pump();
        SpinFreer freer{Spin};
        (freer.*c.arm)();
        TsTimerSpeedButton* half = UpHalf();
        const AccessViolations faults;
        Press(half);
        if (c.release && freer.spin)
            Release(half);
        Spin = freer.spin;
        Pump();
        EXPECT_EQ(freer.calls, 1);
        EXPECT_EQ(freer.spin, nullptr);
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_EQ(ks::CaptureControl(), nullptr);
        if (GetCapture())
            ReleaseCapture();
    }
}

} // namespace
