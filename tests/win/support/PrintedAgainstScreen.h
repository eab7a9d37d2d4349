#pragma once
// A window printed whole (WM_PRINT with frame, client and background) against the window as the
// screen shows it, for the tests that hold a control's print to what a user sees.
#include "skin/core/CacheBitmaps.h"
#include "vcl/Bitmap.h"
#include "vcl/Win.h"
#include "win/support/ScreenPictures.h"

#include <memory>
#include <ostream>

namespace ks::test {

struct PrintedAgainstScreen {
    std::unique_ptr<TBitmap> screen;
    std::unique_ptr<TBitmap> printed;
    // The pixels where the two differ, and the first of them in reading order.
    int differing = 0;
    TPoint first{-1, -1};
    // The screen's pixels in the colour the platform draws its own flat border in, which a
    // print that draws it too would not tell apart.
    int platformBorder = 0;
};

inline PrintedAgainstScreen ComparePrintWithScreen(HWND wnd)
{
    PrintedAgainstScreen r;
    r.screen = ScreenPicture(wnd);
    r.printed = NewBitmap24(r.screen->Width(), r.screen->Height());
    SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(r.printed->Canvas().Handle()),
                 PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND);
    GdiFlush();
    for (int y = 0; y < r.screen->Height(); ++y)
        for (int x = 0; x < r.screen->Width(); ++x) {
            const TColor shown = r.screen->Canvas().Pixels(x, y);
            r.platformBorder += shown == ColorToRGB(clWindowFrame);
            if (r.printed->Canvas().Pixels(x, y) != shown && r.differing++ == 0)
                r.first = {x, y};
        }
    return r;
}

// Where the first difference lies and what each picture has there, for a failed comparison.
inline std::ostream& operator<<(std::ostream& out, const PrintedAgainstScreen& r)
{
    if (r.differing == 0)
        return out << "no difference";
    return out << "first at " << r.first.X << ", " << r.first.Y << ": printed "
               << r.printed->Canvas().Pixels(r.first.X, r.first.Y) << ", on the screen "
               << r.screen->Canvas().Pixels(r.first.X, r.first.Y);
}

} // namespace ks::test
