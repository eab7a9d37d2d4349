#include "skin/core/BitmapResampling.h"

#include "skin/core/CacheBitmaps.h"
#include "vcl/SysUtils.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using ResampleTest = VclFixture;

void Paint(TBitmap& b, uint8_t (*value)(int x, int y))
{
    const int bytes = b.PixelFormat() == pf32bit ? 4 : 3;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            std::memset(b.ScanLine(y) + bytes * x, value(x, y), static_cast<size_t>(bytes));
}

TEST_F(ResampleTest, SourcesBelowTwoPixelsAreRefusedBeforeAnythingChanges)
{
    auto src = NewBitmap24(1, 5);
    auto dst = NewBitmap24(3, 3);
    EXPECT_THROW(ResampleBitmap(*src, *dst, 8, 8, 6), Exception);
    EXPECT_EQ(dst->Width(), 3);
    auto flat = NewBitmap24(5, 1);
    EXPECT_THROW(ResampleBitmap(*flat, *dst, 8, 8, 6), Exception);
}

TEST_F(ResampleTest, SameSizeCopiesAndNoSizeEmpties)
{
    auto src = NewBitmap32(2, 2);
    Paint(*src, [](int x, int y) { return static_cast<uint8_t>(40 * x + 100 * y); });
    auto dst = NewBitmap24(7, 7);
    ResampleBitmap(*src, *dst, 2, 2, 6);
    ASSERT_EQ(dst->PixelFormat(), pf32bit);
    EXPECT_EQ(dst->ScanLine(1)[4 + 3], 140);

    ResampleBitmap(*src, *dst, 0, 5, 6);
    EXPECT_TRUE(dst->Empty());
}

// Scaling in place reads the source from a copy: the doubled image repeats each pixel.
TEST_F(ResampleTest, ScalingInPlaceKeepsTheSourcePixels)
{
    auto b = NewBitmap24(2, 2);
    Paint(*b, [](int x, int y) { return static_cast<uint8_t>(10 + 40 * x + 100 * y); });
    ResampleBitmap(*b, *b, 4, 4, 0);
    ASSERT_EQ(b->Width(), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(b->ScanLine(y)[3 * x], 10 + 40 * (x / 2) + 100 * (y / 2)) << x << "," << y;
}

} // namespace
