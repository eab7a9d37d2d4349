#include "skin/forms/TitleAnimation.h"

#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/sSkinProvider.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/Forms.h"
#include "win/skin/forms/FrameSkinFixture.h"
#include "win/support/AccessViolations.h"
#include "win/support/FakeCursor.h"
#include "win/support/FreeSpy.h"
#include "win/support/FreedPages.h"
#include "win/support/WindowClasses.h"

#include <vector>

namespace {

using namespace ks::test;

struct LayeredCall {
    HWND wnd;
    int alpha;
    SIZE size;
};
std::vector<LayeredCall> gLayered;
int gTimersStarted = 0;
int gMouseLeaves = 0;

BOOL WINAPI RecordLayered(HWND wnd, HDC, POINT*, SIZE* size, HDC, POINT*, COLORREF, BLENDFUNCTION* blend, DWORD)
{
    gLayered.push_back({wnd, blend ? blend->SourceConstantAlpha : -1, size ? *size : SIZE{0, 0}});
    return TRUE;
}
UINT_PTR WINAPI CountTimer(HWND, UINT_PTR id, UINT, TIMERPROC)
{
    ++gTimersStarted;
    return id;
}
BOOL WINAPI NoKill(HWND, UINT_PTR)
{
    return TRUE;
}

LRESULT CALLBACK OwnerProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_MOUSELEAVE)
        ++gMouseLeaves;
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

class TitleAnimationTest : public FrameSkinFixture {
protected:
    void SetUp() override
    {
        FrameSkinFixture::SetUp();
        gLayered.clear();
        gTimersStarted = 0;
        gMouseLeaves = 0;
        ks::Sys().UpdateLayeredWindowPtr = RecordLayered;
        ks::Sys().SetTimer = CountTimer;
        ks::Sys().KillTimer = NoKill;
        UseFakeCursor({0, 0});
        const wchar_t* cls = RegisterTestClass(L"KsTitleAnimationOwner", OwnerProc);
        Owner = CreateWindowExW(0, cls, L"owner", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        Data = std::make_unique<TsCommonData>(nullptr, true);
        Data->SetSkinManager(Manager);
        Data->CacheBitmap->SetPixelFormat(pf24bit);
        Data->CacheBitmap->SetSize(300, 200);
        FillRectSolid(Data->CacheBitmap->Canvas().Handle(), {0, 0, 300, 200}, FrameTitleColour);
        Close.ImageIndex = Manager->FindMask(Manager->CommonIndexes.GlobalInfoIndex, "GLOBALINFO", "BICONCLOSE");
        Close.Rect = {250, 5, 250 + TitleGlyph, 5 + TitleGlyph};
        Close.HitCode = HTCLOSE;
        ASSERT_GE(Close.ImageIndex, 0);
        gCursor = {100 + 255, 100 + 10};
    }
    void TearDown() override
    {
        if (Close.Animation)
            Close.Animation->Free();
        Data.reset();
        DestroyWindow(Owner);
        FrameSkinFixture::TearDown();
    }

    TitleAnimationOwner OwnerInfo() { return {nullptr, nullptr, Owner, Data.get(), nullptr}; }
    void Start(int state, int steps) { StartSBAnimation(Close, state, steps, OwnerInfo(), true); }
    std::vector<int> Alphas() const
    {
        std::vector<int> a;
        for (const LayeredCall& c : gLayered)
            a.push_back(c.alpha);
        return a;
    }
    void Tick(int n)
    {
        for (int i = 0; i < n && Close.Animation; ++i)
            Close.Animation->TimerTick(nullptr);
    }

    HWND Owner = nullptr;
    std::unique_ptr<TsCommonData> Data;
    TitleButtonRec Close;
};

TEST_F(TitleAnimationTest, HoverFadesInStepByStepHoldsAtFullAndFadesOutFromWhereItStands)
{
    Manager->SetAllowGlowing(false);
    Start(1, 10);
    ASSERT_NE(Close.Animation, nullptr);
    EXPECT_TRUE(Close.Animation->Enabled());
    EXPECT_EQ(Close.Animation->Interval(), 12u);
    Tick(9);
    EXPECT_EQ(Alphas(), (std::vector<int>{25, 50, 75, 100, 125, 150, 175, 200, 225, 255}));
    EXPECT_EQ(gMouseLeaves, 0) << "the cursor is still on the button";
    EXPECT_TRUE(Close.Animation->Enabled());

    // The frame shows the hot cell over the title, opaque.
    TBitmap* frame = Close.Animation->FrameBmp.get();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(gLayered.back().size.cx, TitleGlyph);
    EXPECT_EQ(ks::GetPixel32(frame->View(), 10, 10), 0xFF000000u | CloseCells[1]);

    gLayered.clear();
    const HWND glow = Close.Animation->GlowForm->Handle();
    Start(0, 10);
    Tick(20);
    EXPECT_EQ(Alphas(), (std::vector<int>{225, 200, 175, 150, 125, 100, 75, 50, 25, 0}));
    ASSERT_NE(Close.Animation, nullptr);
    EXPECT_FALSE(Close.Animation->Enabled());
    // A click X reported to the glow window before its fade ended is still passed on to the
    // button: the window is hidden, not destroyed, and the next hover shows it again.
    ASSERT_NE(Close.Animation->GlowForm, nullptr);
    EXPECT_EQ(Close.Animation->GlowForm->Handle(), glow);
    EXPECT_FALSE(IsWindowVisible(glow));
    EXPECT_EQ(Close.Animation->FrameBmp, nullptr);
    Start(1, 10);
    EXPECT_EQ(gLayered.back().wnd, glow);
    EXPECT_TRUE(IsWindowVisible(glow));
}

TEST_F(TitleAnimationTest, LeavingDuringTheFadeInFadesOutFromTheCurrentStep)
{
    Start(1, 10);
    Tick(2);
    EXPECT_EQ(Alphas(), (std::vector<int>{25, 50, 75}));
    gLayered.clear();
    Start(0, 10);
    Tick(10);
    EXPECT_EQ(Alphas(), (std::vector<int>{75, 50, 25, 0}));
}

TEST_F(TitleAnimationTest, ACursorThatLeftTheButtonEndsTheHoldWithAMouseLeave)
{
    Start(1, 10);
    Tick(8);
    gCursor = {5, 5};
    Tick(1);
    EXPECT_EQ(gLayered.back().alpha, 255);
    EXPECT_EQ(gMouseLeaves, 1);
    ASSERT_NE(Close.Animation, nullptr);
    EXPECT_FALSE(Close.Animation->Enabled());
}

TEST_F(TitleAnimationTest, APressIsShownAtOnceWithoutATimer)
{
    Start(2, 1);
    ASSERT_NE(Close.Animation, nullptr);
    EXPECT_EQ(Alphas(), (std::vector<int>{255}));
    EXPECT_FALSE(Close.Animation->Enabled());
    EXPECT_EQ(gTimersStarted, 0);
    EXPECT_EQ(ks::GetPixel32(Close.Animation->FrameBmp->View(), 3, 3), 0xFF000000u | CloseCells[2]);

    const HWND glow = Close.Animation->GlowForm->Handle();
    EXPECT_EQ(GetWindowLongPtrW(glow, GWL_EXSTYLE) & 0x80800A0, 0x80800A0)
        << "layered, click-through, never activated, no task-bar button";
    Close.Animation->Free();
    EXPECT_EQ(Close.Animation, nullptr) << "the record forgets a freed animation";
    Pump();
    EXPECT_FALSE(IsWindow(glow));
}

// The glow sits between the owner and a window that lies just above it, tick after tick, and a
// press shows its look in the same glow window: a window made anew under the cursor between the
// button going down and coming up would take the button-up along.
TEST_F(TitleAnimationTest, TheGlowWindowKeepsItsPlaceJustAboveTheOwnerAndOutlivesAPress)
{
    const HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    SetWindowPos(other, Owner, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(Owner, other, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(GetWindow(Owner, GW_HWNDPREV), other);
    Start(1, 10);
    ASSERT_NE(Close.Animation, nullptr);
    const HWND glow = Close.Animation->GlowForm->Handle();
    for (int tick = 0; tick < 3; ++tick) {
        SCOPED_TRACE(tick);
        EXPECT_EQ(GetWindow(glow, GW_HWNDNEXT), Owner);
        EXPECT_EQ(GetWindow(glow, GW_HWNDPREV), other);
        Tick(1);
    }
    Start(2, 1);
    EXPECT_EQ(Close.Animation->GlowForm->Handle(), glow) << "the same window";
    EXPECT_TRUE(IsWindowVisible(glow));
    EXPECT_EQ(ks::GetPixel32(Close.Animation->FrameBmp->View(), 3, 3), 0xFF000000u | CloseCells[2]) << "pressed";
    EXPECT_EQ(gLayered.back().wnd, glow);
    DestroyWindow(other);
}

TEST_F(TitleAnimationTest, OnlyHotMinimiseMaximiseAndCloseGlow)
{
    struct Case {
        const char* name;
        int hitCode;
        int state;
        int side;
    } cases[] = {
        {"HotClose", HTCLOSE, 1, GlowSide},
        {"PressedClose", HTCLOSE, 2, TitleGlyph},
        {"HotHelp", HTHELP, 1, TitleGlyph},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (Close.Animation)
            Close.Animation->Free();
        gLayered.clear();
        Close.HitCode = c.hitCode;
        Start(c.state, c.state == 2 ? 1 : 10);
        ASSERT_FALSE(gLayered.empty());
        EXPECT_EQ(gLayered.back().size.cx, c.side);
        EXPECT_EQ(gLayered.back().size.cy, c.side);
    }
}

// Objects freed under their own code: run under Wine's freed-memory checking.
class TitleAnimationLifetimeTest : public TitleAnimationTest {};

HWND gGlowGoing = nullptr;
TitleButtonRec* gStoppedRecord = nullptr;
int gStopsInDestruction = 0;

// As a finished dialog's record goes at the thread's next window destruction: its title glows
// are stopped while the glow window is being destroyed.
LRESULT CALLBACK StopsTheGlowAsItsWindowGoes(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_DESTROYWND && reinterpret_cast<HWND>(wParam) == gGlowGoing && gStoppedRecord->Animation) {
        ++gStopsInDestruction;
        gStoppedRecord->Animation->Free();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(TitleAnimationLifetimeTest, AGlowStoppedWhileItsTickDestroysItsWindowGoesOnceTheTickIsDone)
{
    {
        const FreedPages guarded;
        Start(1, 10);
    }
    TacSBAnimation* animation = Close.Animation;
    ASSERT_NE(animation, nullptr);
    ASSERT_TRUE(FreedPages::Guards(animation->GlowForm)) << "a touch of the freed glow window faults";
    auto* spy = new FreeSpy(nullptr);
    animation->FreeNotification(spy);
    gGlowGoing = animation->GlowForm->Handle();
    gStoppedRecord = &Close;
    gStopsInDestruction = 0;
    const HHOOK hook = SetWindowsHookExW(WH_CBT, &StopsTheGlowAsItsWindowGoes, nullptr, GetCurrentThreadId());
    const AccessViolations faults;
    // The owner's window goes; the glow's next tick, as its timer window gets it, finds it gone.
    DestroyWindow(Owner);
    SendMessageW(animation->Handle(), WM_TIMER, animation->TimerId(), 0);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(gStopsInDestruction, 1);
    EXPECT_EQ(faults.Count(), 0);
    EXPECT_EQ(spy->Freed, animation);
    EXPECT_EQ(Close.Animation, nullptr);
    EXPECT_FALSE(IsWindow(gGlowGoing));
    delete spy;
}

TEST_F(TitleAnimationLifetimeTest, TheSkinRemovedUnderARunningGlowTakesTheGlowWindowWithIt)
{
    Start(1, 10);
    Tick(2);
    ASSERT_NE(Close.Animation->GlowForm, nullptr);
    const HWND glow = Close.Animation->GlowForm->Handle();
    FreeAndNil(Manager);
    Tick(1);
    EXPECT_EQ(Close.Animation->GlowForm, nullptr);
    EXPECT_FALSE(Close.Animation->Enabled());
    Pump();
    EXPECT_FALSE(IsWindow(glow));
}

} // namespace

TEST_F(TitleAnimationLifetimeTest, AUserButtonFreedWhileItGlowsTakesOnlyItsOwnGlow)
{
    Start(1, 10);
    ASSERT_NE(Close.Animation, nullptr);
    auto* button = new TsTitleButton();
    button->BtnData = TitleButtonRec{};
    button->BtnData.ImageIndex = Close.ImageIndex;
    button->BtnData.Rect = {200, 5, 200 + TitleGlyph, 5 + TitleGlyph};
    button->BtnData.HitCode = HTMAXBUTTON;
    StartSBAnimation(button->BtnData, 1, 10, OwnerInfo(), true);
    TacSBAnimation* glow = button->BtnData.Animation;
    ASSERT_NE(glow, nullptr);
    auto* spy = new FreeSpy(nullptr);
    glow->FreeNotification(spy);

    delete button;
    EXPECT_EQ(spy->Freed, glow) << "the button's glow goes with it, with no provider to stop it";
    ASSERT_NE(Close.Animation, nullptr) << "another button's glow runs on";
    Tick(3);
    delete spy;
}
