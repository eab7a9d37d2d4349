#include "skin/forms/TitleAnimation.h"
#include "skin/forms/TitleParts.h"
#include "win/skin/forms/FormFrameFixture.h"
#include "win/skin/forms/RealMouse.h"
#include "win/support/FreeSpy.h"

#include <vector>

namespace {

using namespace ks::test;

constexpr TColor Marker = 0x00123456;

BOOL WINAPI AcceptLayered(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD)
{
    return TRUE;
}
UINT_PTR WINAPI NoTimer(HWND, UINT_PTR id, UINT, TIMERPROC)
{
    return id;
}
BOOL WINAPI NoKill(HWND, UINT_PTR)
{
    return TRUE;
}

class TitleButtonsTest : public FormFrameFixture {
protected:
    void SetUp() override
    {
        FormFrameFixture::SetUp();
        Provider->FormActive = true;
        Paint();
        ShowFrame();
    }
    TColor ButtonPixel(const TitleButtonRec& rec) { return WindowPixel(Form->Handle(), Centre(rec.Rect).X, Centre(rec.Rect).Y); }
    // Marks a pixel of the title bar on the window: a repaint of the whole frame would paint it over.
    void MarkTitle()
    {
        HDC dc = GetWindowDC(Form->Handle());
        SetPixel(dc, MarkAt().X, MarkAt().Y, Marker);
        ReleaseDC(Form->Handle(), dc);
    }
    TPoint MarkAt() { return {Provider->CaptionBandRect().Left + 1, Provider->CaptionBandRect().Top}; }
};

TEST_F(TitleButtonsTest, HoverAndPressChangeOnlyTheButtonsConcerned)
{
    // Without glowing the buttons change at once, in the image and on the window.
    Manager->SetAllowGlowing(false);
    MarkTitle();
    struct Step {
        const char* name;
        bool press;
        int code;
        int hot;
        int closeState, maxState;
    } steps[] = {
        {"HoverClose", false, HTCLOSE, HTCLOSE, 1, 0},
        {"StraightToMaximise", false, HTMAXBUTTON, HTMAXBUTTON, 0, 1},
        {"PressMaximise", true, HTMAXBUTTON, HTMAXBUTTON, 0, 2},
        {"PressClose", true, HTCLOSE, HTCLOSE, 2, 0},
        {"Leave", false, 0, 0, 0, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        if (s.press)
            Provider->SetPressedHitCode(s.code);
        else
            Provider->SetHotHitCode(s.code);
        EXPECT_EQ(Provider->HotHitCode, s.hot);
        EXPECT_EQ(TitleButtonPressed, s.press);
        EXPECT_EQ(Provider->ButtonClose.State, s.closeState);
        EXPECT_EQ(Provider->ButtonMax.State, s.maxState);
        EXPECT_EQ(ButtonPixel(Provider->ButtonClose), CloseCells[s.closeState]);
        EXPECT_EQ(ButtonPixel(Provider->ButtonMax), MaxCells[s.maxState]);
        EXPECT_EQ(WindowPixel(Form->Handle(), MarkAt().X, MarkAt().Y), Marker) << "the rest of the frame is not repainted";
    }
}

TEST_F(TitleButtonsTest, UnderAGlowingSkinTheNewLookFadesInOverTheNormalOne)
{
    ks::Sys().UpdateLayeredWindowPtr = AcceptLayered;
    ASSERT_TRUE(Manager->AllowGlowing());
    Provider->SetHotHitCode(HTCLOSE);
    TacSBAnimation* animation = Provider->ButtonClose.Animation;
    ASSERT_NE(animation, nullptr) << "the hover is animated";
    EXPECT_EQ(animation->TargetState, 1);
    EXPECT_EQ(animation->MaxSteps, 10);
    const TPoint close = Centre(Provider->ButtonClose.Rect);
    EXPECT_EQ(CachePixel(close.X, close.Y), CloseCells[0]) << "the image keeps the normal look beneath";
    Provider->SetPressedHitCode(HTCLOSE);
    EXPECT_EQ(animation->TargetState, 2);
    EXPECT_EQ(animation->MaxSteps, 1) << "a press is shown at once";
    Provider->SetHotHitCode(0);
    EXPECT_EQ(animation->TargetState, 0) << "fading back out";
    EXPECT_EQ(CachePixel(close.X, close.Y), CloseCells[0]);
}

TEST_F(TitleButtonsTest, PressingADisabledMaximiseLeavesNoButtonHotOrPressed)
{
    Form->SetBorderIcons({biSystemMenu, biMinimize});
    Provider->SetUpForm();
    Paint();
    ASSERT_FALSE(Provider->SystemMenu->EnabledMax());
    Provider->SetHotHitCode(HTMAXBUTTON);
    Provider->SetPressedHitCode(HTMAXBUTTON);
    EXPECT_EQ(Provider->HotHitCode, 0);
    EXPECT_NE(Provider->ButtonMax.State, 2);
}

TEST_F(TitleButtonsTest, TheGlowOfAButtonGoesWithItsForm)
{
    ks::Sys().UpdateLayeredWindowPtr = AcceptLayered;
    ks::Sys().SetTimer = NoTimer;
    ks::Sys().KillTimer = NoKill;
    Provider->StartTitleAnimation(Provider->ButtonClose, 1, 10, true);
    TacSBAnimation* animation = Provider->ButtonClose.Animation;
    ASSERT_NE(animation, nullptr);
    ASSERT_NE(animation->GlowForm, nullptr);
    const HWND glow = animation->GlowForm->Handle();
    EXPECT_EQ(GetWindow(glow, GW_HWNDNEXT) == Form->Handle() || GetWindow(Form->Handle(), GW_HWNDPREV) == glow, true)
        << "directly above its form";
    FreeAndNil(Form);
    Pump();
    EXPECT_FALSE(IsWindow(glow));
}

// Objects freed under their own code: run on pages that fault once freed.
class TitleButtonsTestLifetime : public TitleButtonsTest {};

TEST_F(TitleButtonsTestLifetime, AUserButtonDeletedUnderItsGlowTakesTheGlowAlong)
{
    ks::Sys().UpdateLayeredWindowPtr = AcceptLayered;
    ks::Sys().SetTimer = NoTimer;
    ks::Sys().KillTimer = NoKill;
    auto* button = static_cast<TsTitleButton*>(Provider->TitleButtons()->Add());
    Provider->SetUpForm();
    Paint();
    ASSERT_GT(button->BtnData.Rect.Width(), 0);
    Provider->StartTitleAnimation(button->BtnData, 1, 10, true);
    TacSBAnimation* animation = button->BtnData.Animation;
    ASSERT_NE(animation, nullptr);
    ASSERT_NE(animation->GlowForm, nullptr);
    const HWND glow = animation->GlowForm->Handle();
    auto* spy = Create<FreeSpy>(nullptr);
    animation->FreeNotification(spy);
    Provider->TitleButtons()->Delete(button->Index());
    EXPECT_EQ(spy->Freed, animation) << "the glow went with its button";
    EXPECT_FALSE(IsWindow(glow));
    spy->Free();
    // The other buttons' glows go on.
    Provider->StartTitleAnimation(Provider->ButtonClose, 1, 10, true);
    EXPECT_NE(Provider->ButtonClose.Animation, nullptr);
}

// A click handler that closes the form: the form goes once the queue runs, with everything its
// buttons had up.
struct ReleaseOnClick {
    TForm* form;
    void MouseUp(TObject*, TMouseButton, TShiftState, int, int) { form->Release(); }
};

TEST_F(TitleButtonsTestLifetime, AFormReleasedFromItsOwnTitleButtonTakesHintAndGlowAlong)
{
    ks::Sys().UpdateLayeredWindowPtr = AcceptLayered;
    ks::Sys().SetTimer = NoTimer;
    ks::Sys().KillTimer = NoKill;
    auto* button = static_cast<TsTitleButton*>(Provider->TitleButtons()->Add());
    button->SetHint(L"Закрыть");
    ReleaseOnClick handler{Form};
    button->SetOnMouseUp(TMouseEvent(&handler, &ReleaseOnClick::MouseUp));
    Provider->SetUpForm();
    Paint();
    const int code = HTUDBTN + button->Index();
    Provider->SetHotHitCode(code);
    Provider->StartTitleAnimation(button->BtnData, 1, 10, true);
    const HWND hint = button->HintWnd->Handle();
    const HWND glow = button->BtnData.Animation->GlowForm->Handle();
    const HWND formWnd = Form->Handle();
    Provider->SetPressedHitCode(code);
    button->MouseUp(mbLeft, {}, 0, 0);
    Pump();
    Form = nullptr;  // released
    EXPECT_FALSE(IsWindow(formWnd));
    EXPECT_FALSE(IsWindow(hint));
    EXPECT_FALSE(IsWindow(glow));
}

TEST_F(TitleButtonsTest, UserButtonHintsAppearInsideTheWorkAreaAndGoWithTheHover)
{
    auto* button = static_cast<TsTitleButton*>(Provider->TitleButtons()->Add());
    button->SetHint(L"Подсказка");
    Provider->SetUpForm();
    Paint();
    const int code = HTUDBTN + button->Index();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetCursorPos(work.right - 2, work.bottom - 2);
    Provider->SetHotHitCode(code);
    ASSERT_NE(button->HintWnd, nullptr);
    RECT r{};
    GetWindowRect(button->HintWnd->Handle(), &r);
    EXPECT_LE(r.right, work.right);
    EXPECT_LE(r.bottom, work.bottom);
    EXPECT_TRUE(GetWindowLongPtrW(button->HintWnd->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    Provider->SetPressedHitCode(code);
    EXPECT_EQ(button->HintWnd, nullptr) << "a pressed button hides its hint";
    Provider->SetHotHitCode(code);
    Provider->SetHotHitCode(0);
    EXPECT_EQ(button->HintWnd, nullptr);
}

// The platform's system menu: a timer reads the items while the menu is open, then closes it.
struct MenuProbe {
    HWND form;
    UINT minimize = 0, maximize = 0, close = 0;
    bool seen = false;
};
MenuProbe gProbe;

void CALLBACK ReadAndClose(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    HMENU menu = GetSystemMenu(gProbe.form, FALSE);
    gProbe.minimize = GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND);
    gProbe.maximize = GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    gProbe.close = GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
    gProbe.seen = true;
    EndMenu();
}

TEST_F(TitleButtonsTest, ThePlatformSystemMenuGreysWhatTheFormCannotDo)
{
    Manager->SetSkinnedPopups(false);
    Form->SetBorderIcons({biSystemMenu, biMinimize});
    Provider->SetUpForm();
    gProbe = MenuProbe{Form->Handle()};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, ReadAndClose);
    Provider->ShowSkinnedSysMenu(100, 100);
    KillTimer(nullptr, timer);
    ASSERT_TRUE(gProbe.seen);
    EXPECT_EQ(gProbe.minimize & (MF_GRAYED | MF_DISABLED), 0u);
    EXPECT_NE(gProbe.maximize & MF_GRAYED, 0u);
    EXPECT_EQ(gProbe.close & (MF_GRAYED | MF_DISABLED), 0u);
    EXPECT_TRUE(GetWindowLongPtrW(Form->Handle(), GWL_STYLE) & WS_VISIBLE) << "the window is visible again";
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, Form->Handle(), WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE))
        << "nothing chosen, nothing sent";
}

// ---- a user's clicks ----------------------------------------------------------------------------

class TitleButtonClickTest : public FormFrameFixture {
protected:
    // The centre of a title button on the screen: on the border window when the form has one.
    POINT OnScreen(const TitleButtonRec& rec) const
    {
        const HWND frame = Provider->BorderForm ? Provider->BorderForm->WindowHandle() : Form->Handle();
        RECT r{};
        GetWindowRect(frame, &r);
        const TPoint c = Centre(rec.Rect);
        return {r.left + c.X, r.top + c.Y};
    }
    POINT ClientCentre() const
    {
        RECT r{};
        GetClientRect(Form->Handle(), &r);
        POINT p{r.right / 2, r.bottom / 2};
        ClientToScreen(Form->Handle(), &p);
        return p;
    }
};

// The glow window lies over the button the mouse rests on; a press rebuilds its frame and a
// release must still reach the form, however quick or slow. A maximised form is restored by the
// mouse coming straight from its client area: the form's mouse tracking notices the leave at its
// own pace, and a press held half a second has it come between the press and the release (the
// one row that the form's mouse-leave can lose). Each button once on each frame, each with a
// press of its own length: the glow window freed on a press loses no click sent through the
// platform, only a user's (the end-to-end test of the program has those).
TEST_F(TitleButtonClickTest, AClickAfterAHoverActsUnderAGlowingSkin)
{
    ASSERT_TRUE(Manager->AllowGlowing());
    enum Button { Maximise, Minimise, Close };
    const char* const names[] = {"Maximise", "Minimise", "Close"};
    const struct {
        Button button;
        DWORD pause;
    } clicks[] = {{Maximise, 500}, {Minimise, 0}, {Close, 100}};
    for (bool border : {false, true})
        for (const auto& [button, pause] : clicks) {
            SCOPED_TRACE(testing::Message() << (border ? "border window, " : "own frame, ") << names[button]
                                            << ", " << pause << " ms");
            Manager->SetExtendedBorders(border);
            if (border && !MakeBorderedForm())
                GTEST_SKIP() << "no layered windows here";
            if (!border)
                MakeForm(bsSizeable);
            ASSERT_EQ(Provider->BorderForm != nullptr, border);
            Paint();
            ShowFrame();
            const HWND wnd = Form->Handle();
            TitleButtonRec& rec = button == Maximise   ? Provider->ButtonMax
                                  : button == Minimise ? Provider->ButtonMin
                                                       : Provider->ButtonClose;
            ASSERT_GT(rec.Rect.Width(), 0);
            ClickAfterHover(OnScreen(rec), pause);
            EXPECT_TRUE(PumpUntil([&] {
                return button == Maximise   ? IsZoomed(wnd) != FALSE
                       : button == Minimise ? IsIconic(wnd) != FALSE
                                            : !IsWindowVisible(wnd);
            }));
            if (button != Maximise || !IsZoomed(wnd))
                continue;
            PumpFor(50);
            MoveMouse(ClientCentre(), 100);
            MoveMouse(OnScreen(rec), 0);
            ClickMouse(OnScreen(rec), pause);
            EXPECT_TRUE(PumpUntil([&] { return !IsZoomed(wnd); })) << "restored";
        }
}

} // namespace
