#include "skin/core/sMessages.h"

#include "skin/core/SkinSenders.h"
#include "win/support/VclFixture.h"
#include "win/support/WindowClasses.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using ks::test::RegisterTestClass;

// What the receiving window was handed of the last pointer command.
void* gSeen = nullptr;
LRESULT CALLBACK PointerProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != SM_SKINCMD)
        return DefWindowProcW(wnd, msg, wParam, lParam);
    TMessage m{msg, wParam, lParam, 0};
    gSeen = ks::SkinCommandView(m).Pointer<void>();
    return 0;
}

class sMessagesTest : public VclFixture {};

TEST_F(sMessagesTest, PointersAreHandedOutOnlyWhileThisThreadSendsThem)
{
    const wchar_t* cls = RegisterTestClass(L"KsPointerReceiver", &PointerProc);
    const HWND wnd =
        CreateWindowExW(0, cls, L"", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(wnd);
    int record = 0;
    const auto pointer = reinterpret_cast<LPARAM>(&record);
    const WPARAM bgInfo = MAKELONG(0, SKC_GET_BG_INFO);

    SendCommandWnd(wnd, SKC_GET_BG_INFO, pointer);
    EXPECT_EQ(gSeen, &record) << "through the sender";
    SendMessageW(wnd, SM_SKINCMD, bgInfo, pointer);
    EXPECT_EQ(gSeen, nullptr) << "around the sender";
    SendCommandWnd(wnd, SKC_GET_BG_INFO, pointer);
    PostMessageW(wnd, SM_SKINCMD, bgInfo, 0x1234);
    Pump();
    EXPECT_EQ(gSeen, nullptr) << "posted, as any program may";
    SendCommandWnd(wnd, SKC_GET_BG_INFO, pointer);
    SendCommandWnd(wnd, SKC_GET_BG_COLOR, pointer);
    EXPECT_EQ(gSeen, nullptr) << "a command that carries no pointer";

    // Sent from another thread, as a message from another process arrives.
    SendCommandWnd(wnd, SKC_GET_BG_INFO, pointer);
    std::atomic<bool> done{false};
    std::thread sender([&] {
        SendMessageW(wnd, SM_SKINCMD, bgInfo, pointer);
        done = true;
    });
    while (!done) {
        Pump();
        Sleep(1);
    }
    sender.join();
    EXPECT_EQ(gSeen, nullptr) << "from another thread";
    DestroyWindow(wnd);
}

} // namespace
