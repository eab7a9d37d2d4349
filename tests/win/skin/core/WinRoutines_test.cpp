#include "skin/core/WinRoutines.h"

#include "vcl/Forms.h"
#include "vcl/Icon.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "win/support/VclFixture.h"
#include "win/support/WindowClasses.h"

#include <shellapi.h>

#include <gtest/gtest.h>

namespace {

using ks::test::RegisterTestClass;

using WinRoutinesTest = VclFixture;

TEST_F(WinRoutinesTest, CaptionFontIsTheOneTheSystemReports)
{
    const int height = GetCaptionFontSize();
    ASSERT_NE(height, 0);
    ks::GdiFont font = CreateCaptionFont();
    ASSERT_TRUE(font);
    LOGFONTW lf{};
    ASSERT_EQ(GetObjectW(font.get(), sizeof lf, &lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(lf.lfHeight, height);
}

TEST_F(WinRoutinesTest, ShellIconsComeInTheAskedSizeForExistingFilesOnly)
{
    const std::wstring self = ParamStr(0);
    for (const auto& [flags, size] : {std::pair{SHGFI_SMALLICON, SM_CXSMICON}, std::pair{SHGFI_LARGEICON, SM_CXICON}}) {
        std::unique_ptr<TIcon> icon = GetShellIcon(self, flags);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->Width(), GetSystemMetrics(size));
    }
    EXPECT_EQ(GetShellIcon(self + L".missing", SHGFI_SMALLICON), nullptr);
    EXPECT_EQ(GetShellIcon(L"", SHGFI_SMALLICON), nullptr);
}

// ---- WaitMilliseconds against a clock that moves by a fixed step at every reading, and a window
// that counts the messages it is sent; every reading of the clock posts it one more.

struct Clock {
    DWORD now = 0, step = 0;
    int reads = 0;
    HWND counter = nullptr;
};
Clock clock;
int handled = 0;
constexpr UINT CountMe = WM_APP + 7;

DWORD WINAPI ReadClock()
{
    ++clock.reads;
    PostMessageW(clock.counter, CountMe, 0, 0);
    const DWORD t = clock.now;
    clock.now += clock.step;
    return t;
}

LRESULT CALLBACK CountingProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == CountMe) {
        ++handled;
        return 0;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

class WaitMillisecondsTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        RegisterTestClass(L"KsWaitCounter", &CountingProc);
        clock = {};
        clock.counter = CreateWindowExW(0, L"KsWaitCounter", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(clock.counter, nullptr);
        Application->ProcessMessages();
        handled = 0;
        ks::Sys().GetTickCount = &ReadClock;
    }
    void TearDown() override
    {
        DestroyWindow(clock.counter);
        UnregisterClassW(L"KsWaitCounter", GetModuleHandleW(nullptr));
        VclFixture::TearDown();
    }
};

TEST_F(WaitMillisecondsTest, HandlesMessagesUntilTheTimeHasPassed)
{
    struct Case {
        const char* name;
        DWORD start, step, ms;
        int reads;
    } const cases[] = {
        {"ZeroHandlesMessagesOnce", 5000, 0, 0, 2},
        {"ThirtyInStepsOfTen", 1000, 10, 30, 4},
        {"OneStepBeyond", 1000, 40, 30, 2},
        {"TickCountWrapsAround", 0xFFFFFFF0u, 10, 25, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clock.now = c.start;
        clock.step = c.step;
        clock.reads = 0;
        handled = 0;
        WaitMilliseconds(c.ms);
        EXPECT_EQ(clock.reads, c.reads);
        // Messages posted before a reading that let the wait go on were handled; the one posted
        // by the final reading is still queued.
        EXPECT_EQ(handled, c.reads - 1);
        Application->ProcessMessages();
    }
}

} // namespace
