#include "skin/core/SkinSenders.h"

#include "skin/core/sStyleSimply.h"
#include "win/skin/core/SkinCommandRecorders.h"
#include "win/support/VclFixture.h"
#include "win/support/WindowClasses.h"

#include <gtest/gtest.h>

namespace {

using namespace ks::test;
using Log = std::vector<std::string>;

LRESULT gAnswer = 0;
LRESULT CALLBACK AnsweringProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return msg == SM_SKINCMD ? gAnswer : DefWindowProcW(wnd, msg, wParam, lParam);
}

class SkinSendersTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        CommandLog().clear();
        Form = MakeForm("F");
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        PaintLock = false;
        VclFixture::TearDown();
    }
    TRecForm* Form = nullptr;
};

TEST_F(SkinSendersTest, SingleSendsAnswerZeroWhenNobodyCanHear)
{
    auto* panel = MakeReceiver<TRecPanel>(Form, nullptr, "P", true);
    auto* graphic = MakeReceiver<TRecGraphic>(Form, nullptr, "G", true);
    EXPECT_EQ(SendCommandCtl(panel, SKC_IS_SKINNED, 0), 0);
    EXPECT_FALSE(panel->HandleAllocated()) << "no window is made for a question";
    EXPECT_EQ(SendCommandCtl(nullptr, SKC_IS_SKINNED, 0), 0);
    graphic->Destroying();
    EXPECT_EQ(SendCommandSimple(graphic, SKC_IS_SKINNED), 1) << "a windowless control hears while it goes";

    const wchar_t* cls = RegisterTestClass(L"KsAnswering", &AnsweringProc);
    const HWND wnd =
        CreateWindowExW(0, cls, L"", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (const auto& [answer, yes] : {std::pair{1, true}, {2, false}, {-1, false}, {0, false}}) {
        gAnswer = answer;
        EXPECT_EQ(AskWndBool(wnd, SKC_IS_SKINNED), yes) << answer;
    }
    gAnswer = 0;
    EXPECT_EQ(ControlBackColorWnd(wnd), 0) << "an unanswered colour question is black";
    DestroyWindow(wnd);
    EXPECT_EQ(SendCommandWnd(wnd, SKC_IS_SKINNED, 0), 0);
}

TEST_F(SkinSendersTest, BroadcastWalksUnskinnedContainersAndLeavesSkinnedOnesToThemselves)
{
    // F: panel U (unskinned: A, graphic B, D without a window), panel S (skinned: graphic C).
    auto* u = MakeReceiver<TRecPanel>(Form, Form, "U");
    MakeReceiver<TRecPanel>(Form, u, "A")->HandleNeeded();
    MakeReceiver<TRecGraphic>(Form, u, "B");
    MakeReceiver<TRecPanel>(Form, u, "D");
    auto* s = MakeReceiver<TRecPanel>(Form, Form, "S", true);
    MakeReceiver<TRecGraphic>(Form, s, "C");
    s->HandleNeeded();

    BroadcastCommand(Form, SkinCommand(SKC_REFRESH, 0));
    EXPECT_EQ(CommandLog(), (Log{"B:3", "D:3", "S:3", "C:3"}));
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class SkinSendersLifetimeTest : public SkinSendersTest {};

TEST_F(SkinSendersLifetimeTest, BroadcastSurvivesReceiversThatFreeSiblingsOrTheirParent)
{
    auto* p = MakeReceiver<TRecPanel>(Form, Form, "P");
    auto* a = MakeReceiver<TRecGraphic>(Form, p, "A");
    auto* b = MakeReceiver<TRecGraphic>(Form, p, "B");
    MakeReceiver<TRecGraphic>(Form, p, "C");
    auto* q = MakeReceiver<TRecPanel>(Form, Form, "Q");
    MakeReceiver<TRecGraphic>(Form, q, "E");
    q->HandleNeeded();
    p->HandleNeeded();

    a->R.OnCommand = [&](TMessage&) { b->Free(); };
    BroadcastCommand(Form, SkinCommand(SKC_STOP_FADE, 0));
    EXPECT_EQ(CommandLog(), (Log{"A:16", "C:16", "E:16"}));

    CommandLog().clear();
    a->R.OnCommand = [&](TMessage&) {
        a->SetParent(Form); // so that it is not freed under its own handler
        p->Free();
    };
    BroadcastCommand(Form, SkinCommand(SKC_STOP_FADE, 0));
    EXPECT_EQ(CommandLog(), (Log{"A:16", "E:16"}));
}

// Freeing it tells everything that a skin goes while it is still listed, being destroyed.
struct TGoingGraphic : TRecGraphic {
    using TRecGraphic::TRecGraphic;
    void BeforeDestruction() override
    {
        Destroying();
        BroadcastCommand(GetParentForm(this), SkinCommand(SKC_REMOVE_SKIN, 0));
        TRecGraphic::BeforeDestruction();
    }
};

TEST_F(SkinSendersLifetimeTest, AChildBeingDestroyedIsPassedOverAndItsLaterSiblingsStillHear)
{
    auto* p = MakeReceiver<TRecPanel>(Form, Form, "P");
    MakeReceiver<TRecGraphic>(Form, p, "A");
    auto* going = MakeReceiver<TGoingGraphic>(Form, p, "X");
    MakeReceiver<TRecGraphic>(Form, p, "C");
    p->HandleNeeded();

    going->Free();
    EXPECT_EQ(CommandLog(), (Log{"A:2", "C:2"}));
}

TEST_F(SkinSendersLifetimeTest, UpdateNotificationsSurviveAReceiverThatDestroysTheNextWindow)
{
    auto* hidden = MakeReceiver<TRecPanel>(Form, Form, "Hidden");
    hidden->SetVisible(false);
    hidden->HandleNeeded();
    MakeReceiver<TRecGraphic>(Form, Form, "Graphic");
    TRecPanel* w[3];
    for (int i = 0; i < 3; ++i)
        w[i] = MakeReceiver<TRecPanel>(Form, Form, "W" + std::to_string(i));
    Form->Show();
    for (int i : {0, 2})
        w[i]->R.OnCommand = [&](TMessage&) { FreeAndNil(w[1]); };

    SendChildrenCommand6(Form); // showing windowed children only
    EXPECT_EQ(CommandLog(), (Log{"W0:6", "W2:6"}));

    CommandLog().clear();
    w[1] = MakeReceiver<TRecPanel>(Form, Form, "W1");
    SetWindowPos(w[1]->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    PaintLock = true;
    SendChildrenCommand6(Form);
    EXPECT_EQ(CommandLog(), Log{});
    SendChildWindowsCommand6(Form->Handle()); // every child window, by z-order
    std::sort(CommandLog().begin(), CommandLog().end());
    EXPECT_EQ(CommandLog(), (Log{"Hidden:6", "W0:6", "W2:6"}));
}

TEST_F(SkinSendersTest, TheAdaptRequestCarriesTheControlToTheTopForm)
{
    auto* g = MakeReceiver<TRecGraphic>(Form, MakeReceiver<TRecPanel>(Form, Form, "P"), "G");
    auto* orphan = MakeReceiver<TRecGraphic>(Form, MakeReceiver<TRecPanel>(Form, nullptr, "O"), "OG");
    TControl* asked = nullptr;
    Form->R.OnCommand = [&](TMessage& m) { asked = ks::SkinCommandView(m).Pointer<TControl>(); };

    NotifyParentForm25(g);
    NotifyParentForm25(orphan);
    EXPECT_EQ(CommandLog(), Log{"F:25"});
    EXPECT_EQ(asked, g);
}

} // namespace
