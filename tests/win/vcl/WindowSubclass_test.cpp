#include "vcl/WindowSubclass.h"

#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr wchar_t PropertyName[] = L"KsTestSubclass";
using TestKind = ks::SubclassKindOf<PropertyName>;

// The window's own procedure: counts what reaches it and answers WM_USER with 7.
struct OwnWindow {
    static inline std::vector<UINT> Seen;
    static inline bool OursGoneAtNcDestroy = false;

    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        Seen.push_back(msg);
        if (msg == WM_NCDESTROY)
            OursGoneAtNcDestroy = GetWindowLongPtrW(wnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Proc) &&
                                  !GetPropW(wnd, PropertyName);
        if (msg == WM_USER)
            return 7;
        return DefWindowProcW(wnd, msg, wParam, lParam);
    }
};

// A second subclasser from elsewhere, not using the facility.
WNDPROC gUnderForeign = nullptr;
int gForeignCalls = 0;
LRESULT CALLBACK ForeignProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ++gForeignCalls;
    return CallWindowProcW(gUnderForeign, wnd, msg, wParam, lParam);
}

// Answers WM_USER + 1 with 42 itself, throws on WM_USER + 2, frees itself (made with new) after
// passing WM_USER + 3 on, passes the rest on.
class Subclasser : public ks::WindowSubclass {
public:
    Subclasser() noexcept : WindowSubclass(TestKind::Kind()) {}
    int Destroyed = 0;

protected:
    void WindowMessage(TMessage& m) override
    {
        switch (m.Msg) {
        case WM_USER + 1: m.Result = 42; break;
        case WM_USER + 2: throw std::runtime_error("callback failed");
        case WM_USER + 3: FreeInside(m); break;
        default: CallPrevious(m); break;
        }
    }
    void WindowDestroyed() noexcept override { ++Destroyed; }

private:
    void FreeInside(TMessage& m)
    {
        CallPrevious(m);
        SendMessageW(Handle(), WM_USER + 1, 0, 0);
        delete this;
    }
};

std::vector<std::string> gReported;
void Record(std::exception_ptr error) noexcept
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        gReported.emplace_back(e.what());
    }
}

class WindowSubclassTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        WNDCLASSEXW c{};
        c.cbSize = sizeof c;
        c.lpfnWndProc = &OwnWindow::Proc;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = L"KsSubclassTestWindow";
        RegisterClassExW(&c);
        Wnd = CreateWindowExW(0, c.lpszClassName, L"", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, c.hInstance, nullptr);
        ASSERT_NE(Wnd, nullptr);
        OwnWindow::Seen.clear();
        gForeignCalls = 0;
        gReported.clear();
    }
    void TearDown() override
    {
        if (IsWindow(Wnd))
            DestroyWindow(Wnd);
        VclFixture::TearDown();
    }
    LONG_PTR Proc() const { return GetWindowLongPtrW(Wnd, GWLP_WNDPROC); }
    static LONG_PTR Own() { return reinterpret_cast<LONG_PTR>(&OwnWindow::Proc); }

    HWND Wnd = nullptr;
};

TEST_F(WindowSubclassTest, ChainsToThePreviousProcedureAndGivesTheWindowBackOnce)
{
    Subclasser s;
    ASSERT_TRUE(s.Subclass(Wnd));
    EXPECT_EQ(s.Handle(), Wnd);
    EXPECT_EQ(s.PreviousProc(), &OwnWindow::Proc);
    EXPECT_EQ(ks::WindowSubclass::Find(Wnd, TestKind::Kind()), &s);
    EXPECT_EQ(SendMessageW(Wnd, WM_USER + 1, 0, 0), 42);
    EXPECT_EQ(SendMessageW(Wnd, WM_USER, 0, 0), 7) << "what the subclasser leaves reaches the window";

    Subclasser second;
    EXPECT_FALSE(second.Subclass(Wnd)) << "one subclasser of a kind per window";
    EXPECT_FALSE(s.Subclass(Wnd)) << "one window per subclasser";
    EXPECT_FALSE(second.Subclass(nullptr));

    s.Release();
    EXPECT_EQ(Proc(), Own());
    EXPECT_EQ(GetPropW(Wnd, PropertyName), nullptr);
    EXPECT_EQ(s.Handle(), nullptr);
    EXPECT_EQ(SendMessageW(Wnd, WM_USER + 1, 0, 0), 0);
    s.Release();
    EXPECT_EQ(Proc(), Own());
    EXPECT_TRUE(second.Subclass(Wnd)) << "the window can be taken over again";
}

TEST_F(WindowSubclassTest, ASubclasserOnTopIsNeverUnhooked)
{
    {
        Subclasser s;
        ASSERT_TRUE(s.Subclass(Wnd));
        gUnderForeign = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
    }
    EXPECT_EQ(Proc(), reinterpret_cast<LONG_PTR>(&ForeignProc)) << "the later subclasser keeps its place";
    EXPECT_EQ(ks::WindowSubclass::Find(Wnd, TestKind::Kind()), nullptr);
    EXPECT_EQ(SendMessageW(Wnd, WM_USER, 0, 0), 7) << "our procedure passes everything on";
    EXPECT_EQ(SendMessageW(Wnd, WM_USER + 1, 0, 0), 0) << "the freed subclasser no longer answers";
    EXPECT_EQ(gForeignCalls, 2);

    DestroyWindow(Wnd);
    EXPECT_EQ(OwnWindow::Seen.back(), static_cast<UINT>(WM_NCDESTROY)) << "the last message reached the window";
}

TEST_F(WindowSubclassTest, AWindowDestroyedFirstIsGivenBackAtItsLastMessage)
{
    Subclasser s;
    ASSERT_TRUE(s.Subclass(Wnd));
    OwnWindow::OursGoneAtNcDestroy = false;
    DestroyWindow(Wnd);
    EXPECT_TRUE(OwnWindow::OursGoneAtNcDestroy) << "procedure and property go before WM_NCDESTROY travels on";
    EXPECT_EQ(s.Destroyed, 1);
    EXPECT_EQ(s.Handle(), nullptr);
    s.Release();
    EXPECT_EQ(s.Destroyed, 1);
}

TEST_F(WindowSubclassTest, AnExceptionInACallbackIsReportedNotPropagated)
{
    const ks::ExceptionReporter previous = ks::SetExceptionReporter(&Record);
    Subclasser s;
    ASSERT_TRUE(s.Subclass(Wnd));
    EXPECT_EQ(SendMessageW(Wnd, WM_USER + 2, 0, 0), 0);
    EXPECT_EQ(SendMessageW(Wnd, WM_USER, 0, 0), 7) << "the window works on";
    ks::Guarded([] { throw std::runtime_error("hook failed"); });
    ks::SetExceptionReporter(previous);
    EXPECT_EQ(gReported, (std::vector<std::string>{"callback failed", "hook failed"}));
}

// Objects freed, hidden or disabled under their own code: run on pages that fault once freed.
class WindowSubclassLifetimeTest : public WindowSubclassTest {};

TEST_F(WindowSubclassLifetimeTest, ASubclasserFreedInsideItsOwnMessageLeavesAWorkingWindow)
{
    auto* s = new Subclasser;
    ASSERT_TRUE(s->Subclass(Wnd));
    SendMessageW(Wnd, WM_USER + 3, 0, 0);
    EXPECT_EQ(Proc(), Own());
    EXPECT_EQ(GetPropW(Wnd, PropertyName), nullptr);
    EXPECT_EQ(SendMessageW(Wnd, WM_USER, 0, 0), 7);
}

ks::ThreadHook gHook;
int gCreations = 0;
LRESULT CALLBACK CountCreations(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    if (code == HCBT_CREATEWND)
        ++gCreations;
    return gHook.CallNext(code, wParam, lParam);
}

TEST_F(WindowSubclassTest, AThreadHookWatchesItsThreadAndIsTakenOffOnce)
{
    auto makeWindow = [] {
        HWND w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 4, 4, nullptr, nullptr, nullptr, nullptr);
        EXPECT_NE(w, nullptr) << "the hook lets the creation through";
        DestroyWindow(w);
    };
    gCreations = 0;
    ASSERT_TRUE(gHook.Install(WH_CBT, &CountCreations));
    EXPECT_FALSE(gHook.Install(WH_CBT, &CountCreations)) << "one hook per holder";
    makeWindow();
    EXPECT_EQ(gCreations, 1);
    const HHOOK handle = gHook.Handle();
    gHook.Remove();
    gHook.Remove();
    EXPECT_EQ(gHook.Handle(), nullptr);
    EXPECT_FALSE(UnhookWindowsHookEx(handle)) << "the hook is gone from the system";
    makeWindow();
    EXPECT_EQ(gCreations, 1);

    HHOOK scoped = nullptr;
    {
        ks::ThreadHook hook;
        ASSERT_TRUE(hook.Install(WH_CBT, &CountCreations));
        scoped = hook.Handle();
    }
    EXPECT_FALSE(UnhookWindowsHookEx(scoped)) << "the holder takes its hook along";
}

} // namespace
