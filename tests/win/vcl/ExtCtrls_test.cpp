#include "vcl/ExtCtrls.h"

#include "vcl/Forms.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The system timer calls a timer makes, recorded instead of made.
struct TimerCall { bool set; HWND wnd; UINT interval; };
std::vector<TimerCall> gCalls;

UINT_PTR WINAPI FakeSetTimer(HWND wnd, UINT_PTR id, UINT interval, TIMERPROC)
{
    gCalls.push_back({true, wnd, interval});
    return id;
}

BOOL WINAPI FakeKillTimer(HWND wnd, UINT_PTR)
{
    gCalls.push_back({false, wnd, 0});
    return TRUE;
}

class ExtCtrlsTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        ks::Sys().SetTimer = &FakeSetTimer;
        ks::Sys().KillTimer = &FakeKillTimer;
        gCalls.clear();
    }
    // Interval of the last SetTimer, 0 when the last call stopped the timer.
    static UINT Running() { return gCalls.empty() || !gCalls.back().set ? 0 : gCalls.back().interval; }
    static void Tick(TTimer* timer) { SendMessageW(timer->Handle(), WM_TIMER, timer->TimerId(), 0); }
};

struct Ticks {
    int count = 0;
    TTimer* freeIt = nullptr;
    unsigned intervalAfterFree = 0;
    bool fail = false;
    void OnTimer(TObject*)
    {
        ++count;
        if (freeIt) {
            freeIt->Free();
            intervalAfterFree = freeIt->Interval();
        }
        if (fail)
            throw Exception("tick failed");
    }
};

TEST_F(ExtCtrlsTest, TheSystemTimerRunsOnlyWithHandlerIntervalAndEnabled)
{
    TTimer* timer = Create<TTimer>(nullptr);
    Ticks ticks;
    struct Step { const char* name; void (*apply)(TTimer*, Ticks&); UINT running; } steps[] = {
        {"NoHandler", [](TTimer*, Ticks&) {}, 0},
        {"Handler", [](TTimer* t, Ticks& k) { t->SetOnTimer(TNotifyEvent(&k, &Ticks::OnTimer)); }, 1000},
        {"Interval", [](TTimer* t, Ticks&) { t->SetInterval(30); }, 30},
        {"Disabled", [](TTimer* t, Ticks&) { t->SetEnabled(false); }, 0},
        {"Enabled", [](TTimer* t, Ticks&) { t->SetEnabled(true); }, 30},
        {"ZeroInterval", [](TTimer* t, Ticks&) { t->SetInterval(0); }, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.apply(timer, ticks);
        EXPECT_EQ(Running(), s.running);
        if (!gCalls.empty()) {
            EXPECT_EQ(gCalls.back().wnd, timer->Handle());
        }
    }
    timer->Free();
}

TEST_F(ExtCtrlsTest, TicksCallOnTimerWhileEnabled)
{
    TTimer* timer = Create<TTimer>(nullptr);
    Ticks ticks;
    timer->SetOnTimer(TNotifyEvent(&ticks, &Ticks::OnTimer));
    Tick(timer);
    Tick(timer);
    EXPECT_EQ(ticks.count, 2);
    timer->SetEnabled(false);
    Tick(timer);
    EXPECT_EQ(ticks.count, 2) << "a tick queued before the timer stopped is dropped";
    timer->Free();
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class ExtCtrlsLifetimeTest : public ExtCtrlsTest {};

TEST_F(ExtCtrlsLifetimeTest, ATimerFreedInItsOwnTickGoesWhenTheHandlerReturns)
{
    TComponent* owner = Create<TComponent>(nullptr);
    TTimer* timer = Create<TTimer>(owner);
    timer->SetInterval(40);
    Ticks ticks;
    ticks.freeIt = timer;
    timer->SetOnTimer(TNotifyEvent(&ticks, &Ticks::OnTimer));
    const HWND wnd = timer->Handle();
    const UINT_PTR id = timer->TimerId();
    Tick(timer);
    EXPECT_EQ(ticks.intervalAfterFree, 40u) << "the timer is still whole inside its handler";
    EXPECT_EQ(Running(), 0u) << "and stopped at once";
    EXPECT_EQ(owner->ComponentCount(), 0);
    SendMessageW(wnd, WM_TIMER, id, 0);
    EXPECT_EQ(ticks.count, 1) << "a tick queued for the freed timer finds nobody";
    owner->Free();
}

TEST_F(ExtCtrlsTest, TheTimersOfAThreadShareOneWindowAndEachTickReachesItsOwnTimer)
{
    TTimer* first = Create<TTimer>(nullptr);
    TTimer* second = Create<TTimer>(nullptr);
    Ticks a, b;
    first->SetOnTimer(TNotifyEvent(&a, &Ticks::OnTimer));
    second->SetOnTimer(TNotifyEvent(&b, &Ticks::OnTimer));
    EXPECT_EQ(first->Handle(), second->Handle());
    EXPECT_NE(first->TimerId(), second->TimerId());
    Tick(second);
    EXPECT_EQ(a.count, 0);
    EXPECT_EQ(b.count, 1);
    const UINT_PTR gone = first->TimerId();
    first->Free();
    TTimer* third = Create<TTimer>(nullptr);
    EXPECT_NE(third->TimerId(), gone) << "a queued tick of the freed timer must not reach a new one";
    third->Free();
    second->Free();
}

TEST_F(ExtCtrlsTest, AnExceptionInOnTimerIsReportedAndTheTimerGoesOn)
{
    TTimer* timer = Create<TTimer>(nullptr);
    Ticks ticks;
    ticks.fail = true;
    timer->SetOnTimer(TNotifyEvent(&ticks, &Ticks::OnTimer));
    Tick(timer);
    Tick(timer);
    EXPECT_EQ(ticks.count, 2);
    ASSERT_EQ(Shown().size(), 2u);
    EXPECT_EQ(Shown()[0], L"tick failed");
    timer->Free();
}

TEST_F(ExtCtrlsTest, TimersStreamByName)
{
    const ks::RegisteredClass* c = GetClass("TTimer");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Info, &TTimer::StaticClassInfo);
}

} // namespace
