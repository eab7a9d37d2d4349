#include "skin/core/BitmapResampling.h"

#include "skin/core/CacheBitmaps.h"
#include "vcl/SysUtils.h"
#include "win/vcl/GdiFlat.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <array>
#include <cstring>

namespace {

using ResampleTest = GdiFlat;

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

TEST_F(ResampleTest, UniformImagesStayUniformWhenEnlargedOrShrunkByWholeFactors)
{
    // Weights are not normalised: only there do they sum to 1.0 within rounding, for every
    // filter (7 and above mean 6), one step off per pass at most. The 2 x 2 to 1 x 1 case
    // reaches past both edges.
    for (uint8_t filter = 0; filter <= 7; ++filter) {
        for (auto [w, h, nw, nh] : {std::array{16, 16, 48, 16}, std::array{5, 3, 11, 7}, std::array{48, 16, 16, 16},
                                    std::array{32, 32, 16, 16}, std::array{2, 2, 1, 1}}) {
            SCOPED_TRACE(testing::Message() << "filter " << int(filter) << " " << w << "x" << h << " -> " << nw
                                            << "x" << nh);
            auto src = NewBitmap32(w, h);
            Paint(*src, [](int, int) -> uint8_t { return 200; });
            TBitmap dst;
            ResampleBitmap(*src, dst, nw, nh, filter);
            ASSERT_EQ(dst.Width(), nw);
            ASSERT_EQ(dst.Height(), nh);
            for (int y = 0; y < nh; ++y)
                for (int x = 0; x < nw; ++x)
                    for (int k = 0; k < 4; ++k)
                        ASSERT_LE(std::abs(dst.ScanLine(y)[4 * x + k] - 200), 2)
                            << x << "," << y << " byte " << k;
        }
    }
}

TEST_F(ResampleTest, TriangleFilterInterpolatesWithoutHalfPixelShift)
{
    // Enlarging 2 -> 4 columns: centres 0, 0.5, 1, 1.5; the last mirrors back onto column 1.
    auto src = NewBitmap24(2, 2);
    Paint(*src, [](int x, int) { return static_cast<uint8_t>(x ? 200 : 0); });
    TBitmap dst;
    ResampleBitmap(*src, dst, 4, 2, 1);
    ASSERT_EQ(dst.PixelFormat(), pf24bit);
    const uint8_t* row = dst.ScanLine(0);
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[3], 100);
    EXPECT_EQ(row[6], 200);
    EXPECT_EQ(row[9], 200);
}

} // namespace
