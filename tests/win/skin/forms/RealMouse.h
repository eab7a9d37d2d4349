#pragma once
// A user's mouse on a title button: the system moves the cursor, hit-tests, presses and releases
// through its own queues, so the glow windows, mouse tracking and key state all take part, which
// sent messages skip.
#include "win/skin/forms/BorderTestSupport.h"

#include <utility>

namespace ks::test {

// Runs the message loop, timers included, for ms milliseconds.
inline void PumpFor(DWORD ms)
{
    const DWORD until = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    } while (GetTickCount() < until);
}

// The cursor moved to `at` and left there rest ms.
inline void MoveMouse(POINT at, DWORD rest)
{
    INPUT move = MouseAt(at, 0);
    SendInput(1, &move, sizeof move);
    PumpFor(rest);
}

inline INPUT gRelease;
inline bool gReleased = true;

inline void CALLBACK Release(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (std::exchange(gReleased, true))
        return;
    SendInput(1, &gRelease, sizeof(INPUT));
}

// A left click where the cursor stands: down and up in one go for a pause of 0, else pause ms
// apart with the queue running between. The release comes from a timer: a press that missed its
// button and landed on the caption or a border starts the system's move or size loop, which runs
// until the button goes up, and would never give the queue back to release it.
inline void ClickMouse(POINT at, DWORD pause)
{
    INPUT click[] = {MouseAt(at, MOUSEEVENTF_LEFTDOWN), MouseAt(at, MOUSEEVENTF_LEFTUP)};
    if (pause == 0) {
        SendInput(2, click, sizeof(INPUT));
        return;
    }
    gRelease = click[1];
    gReleased = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, pause, &Release);
    SendInput(1, &click[0], sizeof(INPUT));
    PumpFor(pause);
    while (!gReleased)
        PumpFor(10);
    KillTimer(nullptr, timer);
}

// Rests the mouse on `at` for a quarter of a second, long enough for a title button's glow to
// come up whole, then clicks there.
inline void ClickAfterHover(POINT at, DWORD pause)
{
    MoveMouse(at, 250);
    ClickMouse(at, pause);
}

} // namespace ks::test
