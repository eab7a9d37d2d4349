#include "skin/controls/sButton.h"

#include "skin/core/ComponentWatch.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sStoredSkins.h"
#include "skin/core/sStyleSimply.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/ActnList.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/controls/SkinnedFormFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using namespace ks::test;

std::vector<DWORD> gSleeps;
UINT_PTR WINAPI NoSetTimer(HWND, UINT_PTR id, UINT, TIMERPROC) { return id; }
BOOL WINAPI NoKillTimer(HWND, UINT_PTR) { return TRUE; }
void WINAPI RecordSleep(DWORD ms) { gSleeps.push_back(ms); }

struct Clicks {
    int count = 0;
    void OnClick(TObject*) { ++count; }
};

// The internal skin's button picture: a key-coloured corner, then in the middle of the top row
// a green line (bright when hot or pressed); inside its left side, three pixels in, the pressed
// look alone has a dim green line.
class ButtonTest : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        ks::Sys().SetTimer = &NoSetTimer;
        ks::Sys().KillTimer = &NoKillTimer;
        ks::Sys().Sleep = &RecordSleep;
        gSleeps.clear();
        Button = Add(L"Ещё", 10);
        Other = Add(L"Other", 50);
        Button->SetOnClick(TNotifyEvent(&Clicks_, &Clicks::OnClick));
        Other->SetFocus();
        Pump();
    }
    TsButton* Add(const std::wstring& caption, int top)
    {
        auto* b = Create<TsButton>(Form);
        b->SetBounds(10, top, 90, 30);
        b->SetCaption(caption);
        b->SetParent(Form);
        return b;
    }
    TColor Top() const { return WindowPixel(Button->Handle(), Button->Width() / 2, 0); }
    TColor Inner() const { return WindowPixel(Button->Handle(), 3, Button->Height() / 2); }
    void Run()
    {
        for (int i = 0; i < 20 && Button->FadeTimer(); ++i)
            SendMessageW(Button->FadeTimer()->Handle(), WM_TIMER, Button->FadeTimer()->TimerId(), 0);
        Pump();
    }
    LPARAM Middle() const { return MAKELPARAM(Button->Width() / 2, Button->Height() / 2); }

    TsButton* Button = nullptr;
    TsButton* Other = nullptr;
    Clicks Clicks_;
};

TEST_F(ButtonTest, ASkinnedButtonIsOwnerDrawnInTheShapeOfItsPicture)
{
    ASSERT_TRUE(Button->SkinData()->IsSkinActive());
    EXPECT_EQ(GetWindowLongW(Button->Handle(), GWL_STYLE) & 0x0F, BS_OWNERDRAW);
    EXPECT_EQ(Button->StateIndex(), 0);
    EXPECT_EQ(Top(), SkinGreen);
    EXPECT_EQ(Inner(), SkinBlack);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(Button->Handle(), rgn), ERROR);
    EXPECT_FALSE(PtInRegion(rgn, 0, 0)) << "the key-coloured corner is cut out";
    EXPECT_TRUE(PtInRegion(rgn, Button->Width() / 2, Button->Height() / 2));
    DeleteObject(rgn);
}

TEST_F(ButtonTest, HoverAndPressFadeBetweenTheLooksAndTheMouseClicks)
{
    Button->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Button));
    ASSERT_NE(Button->FadeTimer(), nullptr);
    EXPECT_EQ(Button->FadeTimer()->StepCount, 5);
    Run();
    EXPECT_EQ(Button->FadeTimer(), nullptr);
    EXPECT_EQ(Button->StateIndex(), 1);
    EXPECT_EQ(Top(), SkinBrightGreen);
    EXPECT_EQ(Inner(), SkinBlack);

    SendMessageW(Button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Middle());
    EXPECT_TRUE(Button->Pressed());
    ASSERT_NE(Button->FadeTimer(), nullptr);
    EXPECT_EQ(Button->FadeTimer()->StepCount, 2) << "a press fades in half the frames";
    Run();
    EXPECT_EQ(Button->StateIndex(), 2);
    EXPECT_EQ(Top(), SkinBrightGreen);
    EXPECT_GT(GetGValue(Inner()), 0);
    EXPECT_LT(GetGValue(Inner()), 0x40);

    SendMessageW(Button->Handle(), WM_LBUTTONUP, 0, Middle());
    EXPECT_EQ(Clicks_.count, 1);
    EXPECT_FALSE(Button->Pressed());
    Run();
    EXPECT_EQ(Top(), SkinBrightGreen) << "released under the mouse it is hot again";
    EXPECT_EQ(Inner(), SkinBlack);
    EXPECT_TRUE(gSleeps.empty()) << "the press fade had ended";

    // The click gave it the focus, which keeps it hot.
    Other->SetFocus();
    Button->Perform(CM_MOUSELEAVE, 0, TCMControl::ToLParam(Button));
    Run();
    EXPECT_EQ(Top(), SkinGreen);
}

// A repaint copies the cache as it stands; a change of an input of the picture, also one the
// platform makes on its own (the pushed state of a space press), rebuilds it first. A change
// that starts a fade is let run to its end before the repaint.
TEST_F(ButtonTest, ARepaintRebuildsTheCacheOnlyWhenTheLookChanged)
{
    const int x = Button->Width() / 2, y = Button->Height() / 2 + 2;
    const LookChange<TsButton> changes[] = {
        {"Pushed", [](TsButton* b) { SendMessageW(b->Handle(), BM_SETSTATE, TRUE, 0); }},
        {"Released", [](TsButton* b) { SendMessageW(b->Handle(), BM_SETSTATE, FALSE, 0); }},
        {"Focused", [](TsButton* b) { b->SetFocus(); }},
        {"Caption", [](TsButton* b) { b->SetCaption(L"Дальше"); }},
        {"Font", [](TsButton* b) { b->Font()->SetSize(12); }},
        // Only stored by its setter, and shown while the button has the focus.
        {"FocusMargin", [](TsButton* b) { b->SetFocusMargin(b->FocusMargin() + 5); }},
        {"Moved", [](TsButton* b) { b->SetLeft(b->Left() + 3); }},
        {"Hot", [](TsButton* b) { b->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(b)); }},
        {"ParentColour", [](TsButton* b) { b->Parent()->SetColor(0x2040A0); }},
        {"OwnColour", [](TsButton* b) { b->SkinData()->SetCustomColor(true); }},
        {"OwnColourChanged", [](TsButton* b) { b->SetColor(0x306090); }},
        {"Section", [](TsButton* b) { b->SkinData()->SetSkinSection("EDIT"); }},
        {"Disabled", [](TsButton* b) { b->SetEnabled(false); }},
    };
    ExpectEachChangeRebuilds(Button, changes, {x, y},
                             [this](TsButton* b) {
                                 Run();
                                 b->Repaint();
                             },
                             [&](TPoint p) { return WindowPixel(Button->Handle(), p.X, p.Y); });
}

// A focused, enabled button with a caption shows dots one focus margin outside its caption,
// every third pixel, each with a white pixel above and left of it; without a caption or with
// ShowFocus off there are none.
TEST_F(ButtonTest, TheFocusDotsSurroundTheCaptionOfAFocusedButtonOnly)
{
    ASSERT_TRUE(Button->SkinData()->Section() && Button->SkinData()->Section()->ShowFocus);
    Button->SetFocus();
    Pump();
    struct Case {
        const char* name;
        const wchar_t* caption;
        bool showFocus;
        int margin;
        bool dots;
    } cases[] = {
        {"Captioned", L"Ещё", true, 1, true},
        {"WiderMargin", L"Ещё", true, 3, true},
        {"NoCaption", L"", true, 1, false},
        {"ShowFocusOff", L"Ещё", false, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Button->SetCaption(L"Ещё");
        Button->SetFocusMargin(c.margin);
        Button->SetShowFocus(c.showFocus);
        // Where the dots go, worked out from a caption the rectangle can be taken for.
        const TRect caption = Button->CaptionRect();
        const TRect r{caption.Left - c.margin, caption.Top - c.margin, caption.Right + c.margin,
                      caption.Bottom + c.margin};
        Button->SetCaption(c.caption);
        // The margin is only stored: the next rebuild of the picture uses it.
        Button->SkinData()->Invalidate();
        Button->Repaint();
        Pump();
        int white = 0;
        for (int x = r.Left + 3; x < r.Right; x += 3)
            white += WindowPixel(Button->Handle(), x - 1, r.Top - 1) == 0xFFFFFF ? 1 : 0;
        for (int y = r.Top + 3; y < r.Bottom; y += 3)
            white += WindowPixel(Button->Handle(), r.Left - 1, y - 1) == 0xFFFFFF ? 1 : 0;
        const int expected = (r.Right - r.Left - 1) / 3 + (r.Bottom - r.Top - 1) / 3;
        EXPECT_EQ(white, c.dots ? expected : 0);
    }
}

// A button that shrinks over a parent without a picture of its own has its old corner areas
// painted again by the parent, where its region no longer covers them.
TEST_F(ButtonTest, AShrinkingButtonHasItsParentRepaintItsOldCorners)
{
    const TRect old = Button->BoundsRect();
    ASSERT_FALSE(Button->SkinData()->QueryBackgroundInfo().Ready);
    Button->SetBounds(old.Left, old.Top, old.Width() - 30, old.Height() - 10);
    ValidateRect(Form->Handle(), nullptr);
    RedrawWindow(Button->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ks::GdiRegion update(CreateRectRgn(0, 0, 0, 0));
    GetUpdateRgn(Form->Handle(), update.get(), FALSE);
    EXPECT_TRUE(PtInRegion(update.get(), old.Right - 1, old.Top)) << "top right";
    EXPECT_TRUE(PtInRegion(update.get(), old.Right - 1, old.Bottom - 1)) << "bottom right";
    EXPECT_TRUE(PtInRegion(update.get(), old.Left, old.Bottom - 1)) << "bottom left";
    EXPECT_FALSE(PtInRegion(update.get(), old.Left + old.Width() / 2, old.Top + 2)) << "the middle of the top edge";
    // Growing again leaves the parent alone.
    Pump();
    Button->SetBounds(old.Left, old.Top, old.Width(), old.Height());
    Pump();
    ValidateRect(Form->Handle(), nullptr);
    RedrawWindow(Button->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_FALSE(GetUpdateRect(Form->Handle(), nullptr, FALSE));
}

TEST_F(ButtonTest, AReleaseDuringThePressFadeShowsThePressedLookFirst)
{
    SendMessageW(Button->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Middle());
    ASSERT_NE(Button->FadeTimer(), nullptr);
    SendMessageW(Button->Handle(), WM_LBUTTONUP, 0, Middle());
    EXPECT_EQ(gSleeps, std::vector<DWORD>{30});
    EXPECT_EQ(Clicks_.count, 1);
    Run();
    EXPECT_EQ(Button->FadeTimer(), nullptr);
}

TEST_F(ButtonTest, ARightPressStartsNoFadeAndItsReleaseEndsThePress)
{
    SendMessageW(Button->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, Middle());
    EXPECT_TRUE(Button->Pressed());
    EXPECT_EQ(Button->FadeTimer(), nullptr);
    SendMessageW(Button->Handle(), WM_RBUTTONUP, 0, Middle());
    EXPECT_FALSE(Button->Pressed());
    EXPECT_EQ(Clicks_.count, 0);
}

TEST_F(ButtonTest, SpaceEnterAndEscapeClickAsThePlatformButtonDoes)
{
    Button->SetFocus();
    Pump();
    EXPECT_EQ(Button->StateIndex(), 1) << "focused, it is the button Enter presses";
    SendMessageW(Button->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(Button->StateIndex(), 2);
    SendMessageW(Button->Handle(), WM_KEYUP, VK_SPACE, 0xC0000000);
    EXPECT_EQ(Clicks_.count, 1);

    Other->SetFocus();
    Button->SetDefault(true);
    Pump();
    EXPECT_EQ(Button->Perform(CM_DIALOGKEY, VK_RETURN, 0), 0) << "with another button focused, Enter presses that one";
    EXPECT_EQ(Clicks_.count, 1);
    Button->SetDefault(false);
    Button->SetCancel(true);
    EXPECT_EQ(Button->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 1);
    EXPECT_EQ(Clicks_.count, 2);
}

TEST_F(ButtonTest, SkinRemovalGivesThePlainButtonBackAndANewSkinTakesItAgain)
{
    Button->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Button));
    Button->Perform(CM_MOUSELEAVE, 0, TCMControl::ToLParam(Button));
    ASSERT_NE(Button->FadeTimer(), nullptr);
    Manager->SetActive(false);
    Pump();
    EXPECT_EQ(Button->FadeTimer(), nullptr) << "a skin change stops the fade";
    EXPECT_NE(GetWindowLongW(Button->Handle(), GWL_STYLE) & 0x0F, BS_OWNERDRAW);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(Button->Handle(), rgn), ERROR) << "no window region";
    EXPECT_NE(Top(), SkinGreen);

    Manager->AnimEffects()->SkinChanging()->SetActive(false);
    Manager->SetActive(true);
    Pump();
    EXPECT_EQ(GetWindowLongW(Button->Handle(), GWL_STYLE) & 0x0F, BS_OWNERDRAW);
    EXPECT_EQ(Top(), SkinGreen);
    EXPECT_NE(GetWindowRgn(Button->Handle(), rgn), ERROR);
    DeleteObject(rgn);
}

TEST_F(ButtonTest, APaintItSkipsIsStillAnswered)
{
    // Held by the screen lock, or waiting for its fade: not painted, yet never asked again.
    struct Case { const char* name; bool lock; bool fading; } cases[] = {
        {"PaintLock", true, false},
        {"Fading", false, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        if (k.fading)
            Button->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Button));
        PaintLock = k.lock;
        InvalidateRect(Button->Handle(), nullptr, FALSE);
        SendMessageW(Button->Handle(), WM_PAINT, 0, 0);
        PaintLock = false;
        EXPECT_FALSE(GetUpdateRect(Button->Handle(), nullptr, FALSE));
    }
}

// Messages sent or posted to the windows that were on the form before, and the form's paints.
std::vector<HWND> gBefore;
int gToThem = 0;
int gFormPaints = 0;

bool WasThere(HWND wnd) { return std::find(gBefore.begin(), gBefore.end(), wnd) != gBefore.end(); }

LRESULT CALLBACK CountSent(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0 && WasThere(reinterpret_cast<const CWPSTRUCT*>(lParam)->hwnd))
        ++gToThem;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK CountPosted(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* m = reinterpret_cast<const MSG*>(lParam);
    if (code >= 0 && wParam == PM_REMOVE && WasThere(m->hwnd)) {
        ++gToThem;
        gFormPaints += m->hwnd == gBefore.front() && m->message == WM_PAINT;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A button added to a shown skinned form, as form code adds one, costs the controls already
// there the same whether they are few or many: given its parent first, the form paints where
// the new window stood before it moved and tells only the controls there; given its place
// first, its corners are cut over the form's picture without the form painting at all.
TEST_F(ButtonTest, AButtonAddedToAShownSkinnedFormCostsTheOthersNoMoreWhenTheyAreMore)
{
    // A form with a picture of its own, not a plain colour, tells its controls when it paints.
    Create<TsSkinProvider>(Form)->SkinData()->SetSkinSection("TOOLBAR");
    RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    for (const bool parentFirst : {true, false}) {
        SCOPED_TRACE(parentFirst ? "parent first" : "bounds first");
        std::vector<int> told;
        for (const int before : {4, 14}) {
            SCOPED_TRACE(before);
            while (Form->ControlCount() < before)
                Add(L"", 90)->SetLeft(Form->ControlCount() * 8);
            Pump();
            gBefore = {Form->Handle()};
            for (HWND child = GetTopWindow(Form->Handle()); child; child = GetWindow(child, GW_HWNDNEXT))
                gBefore.push_back(child);
            gToThem = gFormPaints = 0;
            const HHOOK sent = SetWindowsHookExW(WH_CALLWNDPROC, &CountSent, nullptr, GetCurrentThreadId());
            const HHOOK posted = SetWindowsHookExW(WH_GETMESSAGE, &CountPosted, nullptr, GetCurrentThreadId());
            auto* added = Create<TsButton>(Form);
            if (!parentFirst)
                added->SetBounds(120, 10, 90, 30);
            added->SetParent(Form);
            added->SetBounds(120, 10, 90, 30);
            Pump();
            UnhookWindowsHookEx(sent);
            UnhookWindowsHookEx(posted);
            told.push_back(gToThem);
            if (!parentFirst) {
                EXPECT_EQ(gFormPaints, 0);
            }
            // The cut corner shows what the form paints there.
            HRGN rgn = CreateRectRgn(0, 0, 0, 0);
            ASSERT_NE(GetWindowRgn(added->Handle(), rgn), ERROR);
            EXPECT_FALSE(PtInRegion(rgn, 0, 0));
            DeleteObject(rgn);
            HDC dc = GetDC(Form->Handle());
            const COLORREF corner = GetPixel(dc, 120, 10);
            RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            EXPECT_EQ(GetPixel(dc, 120, 10), corner);
            ReleaseDC(Form->Handle(), dc);
            added->Free();
        }
        EXPECT_EQ(told[0], told[1]);
    }
}

// Objects freed under their own code: run under Wine's freed-memory checking.
class ButtonLifetimeTest : public ButtonTest {};

TEST_F(ButtonLifetimeTest, AButtonFreedDuringItsFadeTakesItsTimerWithIt)
{
    Button->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Button));
    ks::ComponentWatch watch;
    watch.Watch(Button->FadeTimer());
    TsFadeTimer* timer = Button->FadeTimer();
    SendMessageW(timer->Handle(), WM_TIMER, timer->TimerId(), 0);
    Button->Free();
    EXPECT_FALSE(watch.Alive(timer));
}

} // namespace

namespace {

TEST_F(ButtonTest, AButtonShowsItsActionsEnabledStateAndKeepsItOnUpdate)
{
    auto* action = Create<TAction>(Form);
    Button->SetAction(action);
    Pump();
    const TColor enabledTop = Top();

    action->SetEnabled(false);
    Pump();
    EXPECT_FALSE(Button->Enabled());
    const TColor disabledTop = Top();
    EXPECT_NE(disabledTop, enabledTop);

    // Enabled by code while its action is still off: it keeps the disabled look...
    Button->SetEnabled(true);
    Button->Repaint();
    Pump();
    EXPECT_EQ(Top(), disabledTop);
    // ...and the next update cycle of any action turns it off again.
    auto* other = Create<TAction>(Form);
    other->Update();
    EXPECT_FALSE(Button->Enabled());

    action->SetEnabled(true);
    Pump();
    EXPECT_TRUE(Button->Enabled());
    EXPECT_EQ(Top(), enabledTop);

    // Off, on by code, then the action on before any update cycle: no change of Enabled comes
    // with the last step, yet the disabled look goes at once.
    action->SetEnabled(false);
    Button->SetEnabled(true);
    Pump();
    EXPECT_EQ(Top(), disabledTop);
    action->SetEnabled(true);
    Pump();
    EXPECT_EQ(Top(), enabledTop);
}

} // namespace
