#pragma once
// What the tests of layered border windows share: a message loop run until a condition holds,
// a drag by real mouse input (the system's hit test, button and move or size loops all run), and
// a picture of a 32-bit frame image as the screen would compose it, which Xvfb does not.
#include "skin/core/CacheBitmaps.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/Bitmap.h"
#include "vcl/Win.h"

#include <algorithm>
#include <memory>

namespace ks::test {

// Runs the message loop, timers included, until done() or a second has passed.
template <class Done>
inline bool PumpUntil(Done done)
{
    const DWORD until = GetTickCount() + 1000;
    while (!done() && GetTickCount() < until) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
    return done();
}

// Real mouse input: the system's hit test, button and move loops all run. The button goes down
// first; the rest of the gesture comes from a timer, which the move or size loop that the
// button-down starts dispatches while it waits for the mouse.
inline INPUT MouseAt(POINT p, DWORD flags)
{
    const int cx = GetSystemMetrics(SM_CXSCREEN) - 1, cy = GetSystemMetrics(SM_CYSCREEN) - 1;
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(p.x, 65535, cx);
    in.mi.dy = MulDiv(p.y, 65535, cy);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return in;
}

inline INPUT gDragRest[3];

inline void CALLBACK FinishDrag(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    SendInput(3, gDragRest, sizeof(INPUT));
}

inline void Drag(POINT from, POINT to)
{
    SetCursorPos(from.x, from.y);
    INPUT down[] = {MouseAt(from, 0), MouseAt(from, MOUSEEVENTF_LEFTDOWN)};
    gDragRest[0] = MouseAt({(from.x + to.x) / 2, (from.y + to.y) / 2}, 0);
    gDragRest[1] = MouseAt(to, 0);
    gDragRest[2] = MouseAt(to, MOUSEEVENTF_LEFTUP);
    SetTimer(nullptr, 0, 30, &FinishDrag);
    SendInput(2, down, sizeof(INPUT));
    const DWORD until = GetTickCount() + 300;
    while (GetTickCount() < until) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
}

// A 32-bit premultiplied image shown over a checkerboard, with a second one laid over it at
// (x, y) at constant alpha: what the layered windows show, which Xvfb does not composite.
inline std::unique_ptr<TBitmap> Composed(TBitmap& image, TBitmap* over = nullptr, TPoint at = {}, int alpha = 255)
{
    GdiFlush();
    std::unique_ptr<TBitmap> shown = NewBitmap24(image.Width(), image.Height());
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const int back = ((x / 8 + y / 8) % 2) ? 0xC0 : 0xFF;
            uint32_t p = ks::GetPixel32(image.View(), x, y);
            int c[3];
            for (int i = 0; i < 3; ++i)
                c[i] = static_cast<int>((p >> (8 * i)) & 0xFF) + back * (255 - static_cast<int>(p >> 24)) / 255;
            if (over && x >= at.X && y >= at.Y && x < at.X + over->Width() && y < at.Y + over->Height()) {
                const uint32_t q = ks::GetPixel32(over->View(), x - at.X, y - at.Y);
                const int a = static_cast<int>(q >> 24) * alpha / 255;
                for (int i = 0; i < 3; ++i)
                    c[i] = static_cast<int>((q >> (8 * i)) & 0xFF) * alpha / 255 + c[i] * (255 - a) / 255;
            }
            ks::SetPixel24(shown->View(), x, y,
                           static_cast<TColor>(std::min(c[0], 255) | std::min(c[1], 255) << 8 | std::min(c[2], 255) << 16));
        }
    return shown;
}

} // namespace ks::test
