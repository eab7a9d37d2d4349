#include "vcl/GdiHandles.h"

#include "vcl/Bitmap.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

using MirroredDCTest = VclFixture;

constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Blue = RGB(0, 0, 255);

// A shown popup laid out right to left, 100 x 40, outside the class library.
struct MirroredWindow {
    HWND wnd = CreateWindowExW(WS_EX_LAYOUTRTL | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"STATIC", L"",
                               WS_POPUP | WS_VISIBLE, 60, 60, 100, 40, nullptr, nullptr, nullptr, nullptr);
    ~MirroredWindow() { DestroyWindow(wnd); }
    // What the window shows at (x, 20), x from its left edge on the screen.
    COLORREF Shown(int x) const
    {
        ks::WindowDC dc(wnd);
        SetLayout(dc.get(), 0);
        return GetPixel(dc.get(), x, 20);
    }
};

// A 20 x 40 picture whose left half is red and right half blue: it reads left to right when
// red comes first.
std::unique_ptr<TBitmap> RedThenBlue()
{
    auto picture = std::make_unique<TBitmap>();
    picture->SetPixelFormat(pf24bit);
    picture->SetSize(20, 40);
    HDC dc = picture->Canvas().Handle();
    ks::GdiBrush red(CreateSolidBrush(Red)), blue(CreateSolidBrush(Blue));
    RECT left{0, 0, 10, 40}, right{10, 0, 20, 40};
    FillRect(dc, &left, red.get());
    FillRect(dc, &right, blue.get());
    return picture;
}

// What each guard promises, seen in the window: a picture copied to x = 0 of a mirrored window
// lands at its right end and reads backwards through the system's own DC, lands there and reads
// left to right with the orientation kept (as every DC the library takes for a window keeps it),
// and lands at the left end reading left to right without mirroring.
TEST_F(MirroredDCTest, GuardsPlaceAndOrientPicturesAsTheySay)
{
    MirroredWindow window;
    Pump();
    const auto picture = RedThenBlue();
    enum class Guard { SystemDC, LibraryDC, OrientationPreserved, Unmirrored };
    struct Case {
        const char* name;
        Guard guard;
        int redAt, blueAt; // x in the window where each half shows
    };
    const Case cases[] = {
        {"the system's DC", Guard::SystemDC, 95, 85},
        {"the library's DC", Guard::LibraryDC, 85, 95},
        {"orientation preserved", Guard::OrientationPreserved, 85, 95},
        {"unmirrored", Guard::Unmirrored, 5, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InvalidateRect(window.wnd, nullptr, TRUE);
        UpdateWindow(window.wnd);
        HDC dc = GetDC(window.wnd);
        ASSERT_EQ(GetLayout(dc), static_cast<DWORD>(LAYOUT_RTL));
        {
            std::optional<ks::WindowDC> library;
            std::optional<ks::OrientationPreservedDC> kept;
            std::optional<ks::UnmirroredDC> unmirrored;
            HDC target = dc;
            if (c.guard == Guard::LibraryDC)
                target = library.emplace(window.wnd).get();
            if (c.guard == Guard::OrientationPreserved)
                kept.emplace(dc);
            if (c.guard == Guard::Unmirrored)
                unmirrored.emplace(dc);
            BitBlt(target, 0, 0, 20, 40, picture->Canvas().Handle(), 0, 0, SRCCOPY);
        }
        // The guards leave the DC's own layout as they found it.
        EXPECT_EQ(GetLayout(dc), static_cast<DWORD>(LAYOUT_RTL));
        ReleaseDC(window.wnd, dc);
        GdiFlush();
        EXPECT_EQ(window.Shown(c.redAt), Red);
        EXPECT_EQ(window.Shown(c.blueAt), Blue);
    }
}

} // namespace
