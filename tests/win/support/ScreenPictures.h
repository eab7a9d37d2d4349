#pragma once
// What a window shows on the screen, frame included, read back through its window DC: for the
// tests that check the look a user sees rather than the engine's own bitmaps. Layered windows
// are not read this way (Xvfb does not composite them).
#include "skin/core/CacheBitmaps.h"
#include "vcl/Bitmap.h"
#include "vcl/Win.h"

#include <memory>

namespace ks::test {

// The whole window as the screen shows it now, in a 24-bit picture of the window's size.
inline std::unique_ptr<TBitmap> ScreenPicture(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    auto picture = NewBitmap24(r.right - r.left, r.bottom - r.top);
    HDC dc = GetWindowDC(wnd);
    BitBlt(picture->Canvas().Handle(), 0, 0, picture->Width(), picture->Height(), dc, 0, 0, SRCCOPY);
    ReleaseDC(wnd, dc);
    GdiFlush();
    return picture;
}

// What the screen shows at (x, y) of the window's whole area, frame included.
inline TColor ScreenPixel(HWND wnd, int x, int y)
{
    HDC dc = GetWindowDC(wnd);
    const TColor c = static_cast<TColor>(GetPixel(dc, x, y));
    ReleaseDC(wnd, dc);
    return c;
}

// The window's place as the screen shows it, read from the screen rather than through the
// window's own DC, which a right-to-left window mirrors. Wine brings a window's picture to the
// screen from the message loop: let it run first.
inline std::unique_ptr<TBitmap> ScreenPlacePicture(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    auto picture = NewBitmap24(r.right - r.left, r.bottom - r.top);
    HDC screen = GetDC(nullptr);
    BitBlt(picture->Canvas().Handle(), 0, 0, picture->Width(), picture->Height(), screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    GdiFlush();
    return picture;
}

} // namespace ks::test
