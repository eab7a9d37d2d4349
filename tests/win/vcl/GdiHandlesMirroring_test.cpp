// The two guards that say how a picture reaches a mirrored DC, on a right-to-left DC under the
// platform: a picture of a red band then a blue one, copied in, read back from the bits.
#include "vcl/GdiHandles.h"

#include "vcl/Win.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr int Width = 100;
constexpr int Height = 4;
constexpr uint32_t Red = 0x00FF0000; // as a 32-bit DIB holds it
constexpr uint32_t Blue = 0x000000FF;
constexpr int RedBand = 30;

class MirroredDCTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HDC screen = GetDC(nullptr);
        FSource = CreateCompatibleDC(screen);
        FTarget = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        FSourceBitmap = Dib(FSource, FSourceBits);
        FTargetBitmap = Dib(FTarget, FTargetBits);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                FSourceBits[y * Width + x] = x < RedBand ? Red : Blue;
        SetLayout(FTarget, LAYOUT_RTL);
    }
    void TearDown() override
    {
        DeleteDC(FSource);
        DeleteDC(FTarget);
        DeleteObject(FSourceBitmap);
        DeleteObject(FTargetBitmap);
    }
    static HBITMAP Dib(HDC dc, uint32_t*& bits)
    {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), Width, -Height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* p = nullptr;
        HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
        SelectObject(dc, bmp);
        bits = static_cast<uint32_t*>(p);
        return bmp;
    }
    // The target's device pixel x, as the screen would show it.
    uint32_t At(int x)
    {
        GdiFlush();
        return FTargetBits[Height / 2 * Width + x] & 0xFFFFFF;
    }
    void Clear()
    {
        GdiFlush();
        for (int i = 0; i < Width * Height; ++i)
            FTargetBits[i] = 0;
    }

    HDC FSource = nullptr;
    HDC FTarget = nullptr;
    HBITMAP FSourceBitmap = nullptr;
    HBITMAP FTargetBitmap = nullptr;
    uint32_t* FSourceBits = nullptr;
    uint32_t* FTargetBits = nullptr;
};

TEST_F(MirroredDCTest, UnmirroredLandsWhereLaidOutUnflippedAndGivesTheLayoutBack)
{
    {
        ks::UnmirroredDC unmirrored(FTarget);
        EXPECT_EQ(GetLayout(FTarget) & LAYOUT_RTL, 0u);
        BitBlt(FTarget, 0, 0, Width, Height, FSource, 0, 0, SRCCOPY);
    }
    EXPECT_EQ(GetLayout(FTarget), static_cast<DWORD>(LAYOUT_RTL));
    EXPECT_EQ(At(0), Red);
    EXPECT_EQ(At(RedBand - 1), Red);
    EXPECT_EQ(At(RedBand), Blue);
    EXPECT_EQ(At(Width - 1), Blue);
}

// A picture of the logical span [0, 40) lands at the mirrored place, the right end, reading left
// to right. Wine puts it one pixel left of that place (device [59, 99) for [60, 100)): the
// pixels asserted leave that one pixel open.
TEST_F(MirroredDCTest, OrientationPreservedLandsAtTheMirroredPlaceUnflippedAndGivesTheLayoutBack)
{
    Clear();
    {
        ks::OrientationPreservedDC preserved(FTarget);
        BitBlt(FTarget, 0, 0, 40, Height, FSource, 0, 0, SRCCOPY);
    }
    EXPECT_EQ(GetLayout(FTarget), static_cast<DWORD>(LAYOUT_RTL));
    EXPECT_EQ(At(Width - 40 - 2), 0u) << "nothing left of the place";
    EXPECT_EQ(At(Width - 40 + 1), Red) << "the red band first";
    EXPECT_EQ(At(Width - 40 + RedBand - 2), Red);
    EXPECT_EQ(At(Width - 40 + RedBand + 1), Blue);
    EXPECT_EQ(At(Width - 2), Blue);
}

} // namespace
