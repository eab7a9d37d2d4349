#include "vcl/Hints.h"

#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "vcl/StdCtrls.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TEST(PlaceHintRect, StaysOnTheDesktop)
{
    const TRect desktop{0, 0, 1280, 1024};
    struct Case { const char* name; TRect in; TRect expected; } cases[] = {
        {"Inside", {100, 100, 200, 120}, {100, 100, 200, 120}},
        {"RightEdge", {1250, 100, 1350, 120}, {1180, 100, 1280, 120}},
        {"BottomEdge", {100, 1010, 200, 1030}, {100, 1004, 200, 1024}},
        {"LeftAndTop", {-30, -5, 70, 15}, {0, 0, 100, 20}},
        {"WiderThanDesktop", {10, 10, 1500, 30}, {0, 10, 1490, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlaceHintRect(c.in, desktop), c.expected);
    }
}

// The seams' manual clock: timers are recorded, never started.
std::map<UINT_PTR, UINT> gTimers;
UINT_PTR WINAPI RecordTimer(HWND, UINT_PTR id, UINT ms, TIMERPROC)
{
    gTimers[id] = ms;
    return id;
}
BOOL WINAPI ForgetTimer(HWND, UINT_PTR id)
{
    return gTimers.erase(id) > 0;
}
POINT gCursor{200, 150};
BOOL WINAPI FixedCursor(POINT* p)
{
    *p = gCursor;
    return TRUE;
}

class HintsTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        gTimers.clear();
        ks::Sys().SetTimer = &RecordTimer;
        ks::Sys().KillTimer = &ForgetTimer;
        ks::Sys().GetCursorPos = &FixedCursor;
        FForm = CreateNew<TForm>(nullptr);
        FEdit = Create<TEdit>(FForm);
        FEdit->SetParent(FForm);
        FEdit->SetHint(L"Уникальный сгенерированный пароль|long text");
        FEdit->SetShowHint(true);
        FHints = std::make_unique<THintController>();
    }
    void TearDown() override
    {
        ks::SetMouseControl(nullptr);
        FHints.reset();
        FreeAndNil(FForm);
        ks::ResetSys();
        VclFixture::TearDown();
    }
    void Fire(UINT_PTR id)
    {
        ASSERT_TRUE(gTimers.count(id)) << "timer " << id << " not running";
        SendMessageW(FHints->TimerWindow(), WM_TIMER, id, 0);
    }
    // The mouse is over control as far as the library knows.
    void MoveTo(TControl* control)
    {
        ks::SetMouseControl(control);
        FHints->MouseMoved(control);
    }
    bool HintShown() const
    {
        return FHints->HintWindow() && FHints->HintWindow()->HandleAllocated() &&
               IsWindowVisible(FHints->HintWindow()->HandleIfAllocated());
    }

    TForm* FForm = nullptr;
    TEdit* FEdit = nullptr;
    std::unique_ptr<THintController> FHints;
};

TEST_F(HintsTest, ShownAfterThePauseAndHiddenOnLeave)
{
    FHints->SetHintPause(500);
    MoveTo(FEdit);
    EXPECT_EQ(gTimers[THintController::ShowTimer], 500u);
    Fire(THintController::ShowTimer);
    ASSERT_TRUE(HintShown());
    EXPECT_EQ(FHints->HintWindow()->Caption(), L"Уникальный сгенерированный пароль");
    HWND wnd = FHints->HintWindow()->HandleIfAllocated();
    EXPECT_NE(GetWindowLongW(wnd, GWL_STYLE) & WS_POPUP, 0);
    EXPECT_NE(GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(FHints->HintWindow()->Color(), clInfoBk);
    EXPECT_EQ(gTimers[THintController::HideTimer], static_cast<UINT>(FHints->HintHidePause()));

    MoveTo(nullptr);
    EXPECT_FALSE(HintShown());
}

TEST_F(HintsTest, HiddenOnClickKeyOrTimeout)
{
    const UINT cancelling[] = {WM_LBUTTONDOWN, WM_KEYDOWN, 0};
    for (UINT msg : cancelling) {
        SCOPED_TRACE(msg);
        MoveTo(FEdit);
        Fire(THintController::ShowTimer);
        ASSERT_TRUE(HintShown());
        if (msg) {
            MSG m{};
            m.message = msg;
            FHints->MessageHandled(m);
        } else {
            Fire(THintController::HideTimer);
        }
        EXPECT_FALSE(HintShown());
        MoveTo(nullptr);
    }
}

struct ShowHintRecorder {
    int calls = 0;
    bool allow = true;
    void OnShowHint(std::wstring& text, bool& canShow, THintInfo& info)
    {
        ++calls;
        EXPECT_EQ(info.HintStr, text);
        text = L"changed";
        canShow = allow;
    }
};

TEST_F(HintsTest, OnShowHintMayChangeOrStopTheHint)
{
    ShowHintRecorder recorder;
    FHints->SetOnShowHint(TShowHintEvent(&recorder, &ShowHintRecorder::OnShowHint));
    MoveTo(FEdit);
    Fire(THintController::ShowTimer);
    ASSERT_TRUE(HintShown());
    EXPECT_EQ(FHints->HintWindow()->Caption(), L"changed");
    MoveTo(nullptr);
    recorder.allow = false;
    MoveTo(FEdit);
    Fire(THintController::ShowTimer);
    EXPECT_FALSE(HintShown());
    EXPECT_EQ(recorder.calls, 2);
}

class TOtherHintWindow : public THintWindow {
public:
    using THintWindow::THintWindow;
};

TEST_F(HintsTest, ChangingTheClassRemakesTheWindow)
{
    MoveTo(FEdit);
    Fire(THintController::ShowTimer);
    ASSERT_NE(FHints->HintWindow(), nullptr);
    FHints->SetHintWindowClass(&NewHintWindow<TOtherHintWindow>);
    EXPECT_EQ(FHints->HintWindow(), nullptr);
    MoveTo(nullptr);
    MoveTo(FEdit);
    Fire(THintController::ShowTimer);
    EXPECT_NE(dynamic_cast<TOtherHintWindow*>(FHints->HintWindow()), nullptr);
}

TEST_F(HintsTest, NoHintWithoutAShortText)
{
    FEdit->SetHint(L"|only a long hint");
    MoveTo(FEdit);
    EXPECT_FALSE(gTimers.count(THintController::ShowTimer));
}

} // namespace

// The application's own machinery: its loop hands every dispatched message to it.
class ApplicationHintsTest : public HintsTest {
protected:
    void SetUp() override
    {
        HintsTest::SetUp();
        FForm->SetBorderStyle(bsNone);
        FForm->SetBounds(10, 10, 200, 100);
        FEdit->SetBounds(20, 20, 120, 24);
        FForm->Show();
        Application->ProcessMessages();
        gTimers.clear();
    }
    void TearDown() override
    {
        Application->CancelHint();
        // A window of another class replaces the hint window, so its GDI objects go too.
        Application->SetHintWindowClass(&NewHintWindow<TOtherHintWindow>);
        Application->SetHintWindowClass(nullptr);
        HintsTest::TearDown();
    }
    // A mouse move over control, posted as the system would and handled by the loop.
    void MouseOver(TWinControl* control)
    {
        const TPoint screen = control->ClientToScreen({5, 5});
        gCursor = {screen.X, screen.Y};
        PostMessageW(control->Handle(), WM_MOUSEMOVE, 0, TWMMouse::MakePos(5, 5));
        Application->ProcessMessages();
    }
    void FireThroughLoop(UINT_PTR id)
    {
        ASSERT_TRUE(gTimers.count(id)) << "timer " << id << " not running";
        PostMessageW(Application->Hints().TimerWindow(), WM_TIMER, id, 0);
        Application->ProcessMessages();
    }
    bool AppHintShown()
    {
        THintWindow* w = Application->Hints().HintWindow();
        return w && w->HandleAllocated() && IsWindowVisible(w->HandleIfAllocated());
    }
};

TEST_F(ApplicationHintsTest, AppearsOverAControlThroughTheMessageLoop)
{
    Application->SetHintPause(300);
    Application->SetHintHidePause(4000);
    MouseOver(FEdit);
    ASSERT_EQ(ks::MouseControl(), FEdit);
    EXPECT_EQ(gTimers[THintController::ShowTimer], 300u);

    FireThroughLoop(THintController::ShowTimer);
    ASSERT_TRUE(AppHintShown());
    EXPECT_EQ(Application->Hints().HintWindow()->Caption(), L"Уникальный сгенерированный пароль");
    EXPECT_EQ(gTimers[THintController::HideTimer], 4000u);

    // A key typed anywhere in the program hides it.
    PostMessageW(FEdit->Handle(), WM_KEYDOWN, VK_SHIFT, 0);
    Application->ProcessMessages();
    EXPECT_FALSE(AppHintShown());
}

TEST_F(ApplicationHintsTest, TheApplicationsSwitchesDecide)
{
    struct Case {
        const char* name;
        bool appShowHint;
        bool editShowHint;
        bool formShowHint;
        bool editParentShowHint;
        bool expectHint;
    } cases[] = {
        {"EditAsks", true, true, false, false, true},
        {"ApplicationSaysNo", false, true, false, false, false},
        {"EditDeclinesFormAsksNot", true, false, false, false, false},
        {"EditFollowsFormThatAsks", true, false, true, true, true},
        {"EditFollowsFormThatDeclines", true, true, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Application->SetShowHint(c.appShowHint);
        FForm->SetShowHint(c.formShowHint);
        FEdit->SetShowHint(c.editShowHint);
        if (c.editParentShowHint)
            FEdit->SetParentShowHint(true);
        MouseOver(FEdit);
        if (gTimers.count(THintController::ShowTimer))
            FireThroughLoop(THintController::ShowTimer);
        EXPECT_EQ(AppHintShown(), c.expectHint);
        Application->CancelHint();
        ks::SetMouseControl(nullptr);
        gTimers.clear();
    }
    Application->SetShowHint(true);
}
