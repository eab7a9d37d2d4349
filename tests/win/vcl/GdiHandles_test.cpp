#include "vcl/GdiHandles.h"

#include "win/support/VclFixture.h"
#include "win/support/WindowClasses.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Blue = RGB(0, 0, 255);
constexpr COLORREF Grey = RGB(128, 128, 128);

// A borderless window laid out right to left, and a 20 x 10 picture whose left half is
// red and right half blue, copied into the window's DC under one guard or none.
class MirroredDCTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        ks::test::RegisterTestClass(L"KsMirroredDCTest", &DefWindowProcW, nullptr,
                                    static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        {
            ks::WindowDC screen(nullptr);
            Picture = ks::MemoryDC::Compatible(screen.get());
            Bits = ks::GdiBitmap(CreateCompatibleBitmap(screen.get(), 20, 10));
        }
        Selected.emplace(Picture.get(), Bits.get());
        ks::GdiBrush red(CreateSolidBrush(Red)), blue(CreateSolidBrush(Blue));
        RECT left{0, 0, 10, 10}, right{10, 0, 20, 10};
        FillRect(Picture.get(), &left, red.get());
        FillRect(Picture.get(), &right, blue.get());
    }
    void TearDown() override
    {
        if (Wnd)
            DestroyWindow(Wnd);
        Selected.reset();
        Bits.reset();
        Picture.reset();
        VclFixture::TearDown();
    }
    void MakeWindow(DWORD exStyle)
    {
        Wnd = CreateWindowExW(exStyle, L"KsMirroredDCTest", L"", WS_POPUP | WS_VISIBLE, 100, 100, 100, 40, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(Wnd, nullptr);
        UpdateWindow(Wnd);
        Pump();
    }
    // What the window shows at x from its left edge on the screen: read through a DC of its
    // own whose layout is set left to right by hand.
    COLORREF ScreenAt(int x, int y) const
    {
        ks::WindowDC dc(Wnd, ks::WindowDC::WholeWindow);
        SetLayout(dc.get(), 0);
        return GetPixel(dc.get(), x, y);
    }

    HWND Wnd = nullptr;
    ks::MemoryDC Picture;
    ks::GdiBitmap Bits;
    std::optional<ks::SelectGuard> Selected;
};

enum class Guard { None, Unmirrored, OrientationPreserved };

void CopyUnder(Guard guard, HDC dc, HDC picture)
{
    auto copy = [&] { BitBlt(dc, 0, 0, 20, 10, picture, 0, 0, SRCCOPY); };
    switch (guard) {
    case Guard::None: copy(); break;
    case Guard::Unmirrored: { ks::UnmirroredDC g(dc); copy(); break; }
    case Guard::OrientationPreserved: { ks::OrientationPreservedDC g(dc); copy(); break; }
    }
}

TEST_F(MirroredDCTest, InAMirroredWindowEachGuardPlacesAndOrientsTheCopyAsItSays)
{
    MakeWindow(WS_EX_LAYOUTRTL);
    struct Case {
        const char* name;
        Guard guard;
        int at;         // the copy's left edge, from the window's left edge on the screen
        COLORREF first; // what shows in its left half
    };
    const Case cases[] = {
        // Unguarded, x counts from the right edge and the picture comes out flipped.
        {"None", Guard::None, 80, Blue},
        {"Unmirrored", Guard::Unmirrored, 0, Red},
        {"OrientationPreserved", Guard::OrientationPreserved, 80, Red},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InvalidateRect(Wnd, nullptr, TRUE);
        UpdateWindow(Wnd);
        {
            ks::WindowDC dc(Wnd, ks::WindowDC::WholeWindow);
            ASSERT_EQ(GetLayout(dc.get()) & LAYOUT_RTL, static_cast<DWORD>(LAYOUT_RTL));
            CopyUnder(c.guard, dc.get(), Picture.get());
            EXPECT_EQ(GetLayout(dc.get()), static_cast<DWORD>(LAYOUT_RTL)) << "the layout comes back";
        }
        GdiFlush();
        EXPECT_EQ(ScreenAt(c.at + 2, 5), c.first);
        EXPECT_EQ(ScreenAt(c.at + 17, 5), c.first == Red ? Blue : Red);
        EXPECT_EQ(ScreenAt(c.at == 0 ? 50 : 10, 5), Grey) << "nothing lands elsewhere";
    }
}

} // namespace
