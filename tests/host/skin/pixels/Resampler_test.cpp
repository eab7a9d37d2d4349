#include "skin/pixels/Resampler.h"

#include "host/support/PixelImage.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

using Image = ks::test::PixelImage;

void Paint(Image& img, uint8_t (*value)(int x, int y))
{
    for (int y = 0; y < img.View().height; ++y)
        for (int x = 0; x < img.View().width; ++x)
            std::memset(img.At(x, y), value(x, y), static_cast<size_t>(img.Bytes()));
}

TEST(Resampler, UniformImagesStayUniformWhenEnlargedOrShrunkByWholeFactors)
{
    // Weights are not normalised: only there do they sum to 1.0 within rounding, for every
    // filter (7 and above mean 6), one step off per pass at most. The 2 x 2 to 1 x 1 case
    // reaches past both edges.
    for (uint8_t filter = 0; filter <= 7; ++filter) {
        for (auto [w, h, nw, nh] : {std::array{16, 16, 48, 16}, std::array{5, 3, 11, 7}, std::array{48, 16, 16, 16},
                                    std::array{32, 32, 16, 16}, std::array{2, 2, 1, 1}}) {
            SCOPED_TRACE(testing::Message() << "filter " << int(filter) << " " << w << "x" << h << " -> " << nw
                                            << "x" << nh);
            Image src(w, h, 32, true), dst(nw, nh, 32, false);
            Paint(src, [](int, int) -> uint8_t { return 200; });
            ks::Resample(dst.View(), src.View(), filter);
            for (int y = 0; y < nh; ++y)
                for (int x = 0; x < nw; ++x)
                    for (int k = 0; k < 4; ++k)
                        ASSERT_LE(std::abs(dst.At(x, y)[k] - 200), 2) << x << "," << y << " byte " << k;
            EXPECT_TRUE(dst.FencesIntact());
        }
    }
}

TEST(Resampler, TriangleFilterInterpolatesWithoutHalfPixelShift)
{
    // Enlarging 2 -> 4 columns: centres 0, 0.5, 1, 1.5; the last mirrors back onto column 1.
    Image src(2, 2, 24, true), dst(4, 2, 24, true);
    Paint(src, [](int x, int) { return static_cast<uint8_t>(x ? 200 : 0); });
    ks::Resample(dst.View(), src.View(), 1);
    const uint8_t* row = dst.At(0, 0);
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[3], 100);
    EXPECT_EQ(row[6], 200);
    EXPECT_EQ(row[9], 200);
}

// Each kernel against values worked out by hand from its formula: a three-pixel row enlarged to
// five (centres 0, 0.6, 1.2, 1.8, 2.4: fractional distances, mirrored edges) and shrunk to two
// (the support widened by 3/2, the weights scaled by 2/3). The two equal rows stay as they are
// in the column pass. A kernel that only sums to 1, or a shift of its argument, is caught here,
// where uniform images cannot tell; filter 5 rings above the brightest pixel.
TEST(Resampler, KernelsGiveTheirExactValues)
{
    struct Case {
        uint8_t filter;
        std::array<uint8_t, 5> enlarged;
        std::array<uint8_t, 2> shrunk;
    } cases[] = {
        {2, {30, 153, 206, 103, 90}, {96, 153}},  {3, {77, 142, 179, 121, 90}, {118, 142}},
        {4, {93, 136, 166, 126, 96}, {127, 133}}, {5, {30, 141, 223, 125, 51}, {118, 141}},
        {6, {51, 144, 197, 117, 81}, {115, 144}},
    };
    auto source = [](int x, int) -> uint8_t { return x == 0 ? 30 : x == 1 ? 220 : 90; };
    for (const Case& c : cases)
        for (int bpp : {24, 32}) {
            SCOPED_TRACE(testing::Message() << "filter " << int(c.filter) << " bpp " << bpp);
            Image src(3, 2, bpp, true), wide(5, 2, bpp, false), narrow(2, 2, bpp, true);
            Paint(src, source);
            ks::Resample(wide.View(), src.View(), c.filter);
            ks::Resample(narrow.View(), src.View(), c.filter);
            for (int y = 0; y < 2; ++y)
                for (int k = 0; k < bpp / 8; ++k) {
                    for (int x = 0; x < 5; ++x)
                        EXPECT_EQ(wide.At(x, y)[k], c.enlarged[static_cast<size_t>(x)]) << x << "," << y;
                    for (int x = 0; x < 2; ++x)
                        EXPECT_EQ(narrow.At(x, y)[k], c.shrunk[static_cast<size_t>(x)]) << x << "," << y;
                }
        }
}

// The box filter doubling an image repeats every pixel twice each way with full weight, exactly;
// any row order or padding must give the same.
TEST(Resampler, BoxFilterDoublesByRepeatingPixels)
{
    for (int bpp : {24, 32})
        for (bool bottomUp : {false, true}) {
            SCOPED_TRACE(std::to_string(bpp) + (bottomUp ? " bottom-up" : " top-down"));
            std::mt19937 rng(static_cast<unsigned>(bpp + bottomUp));
            Image src(5, 4, bpp, bottomUp, 3), dst(10, 8, bpp, !bottomUp);
            src.Randomise(rng);
            ks::Resample(dst.View(), src.View(), 0);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 10; ++x)
                    ASSERT_EQ(0, std::memcmp(dst.At(x, y), src.At(x / 2, y / 2), static_cast<size_t>(src.Bytes())))
                        << x << "," << y;
            EXPECT_TRUE(dst.FencesIntact());
        }
}

TEST(Resampler, WritesNothingForViewsItCannotScale)
{
    struct Case {
        const char* name;
        int sw, sh, sbpp, dbpp;
    } const cases[] = {{"SourceOneColumn", 1, 4, 24, 24}, {"SourceOneRow", 4, 1, 32, 32},
                       {"DepthsDiffer", 4, 4, 24, 32},    {"EightBit", 4, 4, 8, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937 rng(2);
        Image src(c.sw, c.sh, c.sbpp, true), dst(3, 3, c.dbpp, true);
        dst.Randomise(rng);
        const std::vector<uint8_t> before = dst.Pixels();
        ks::Resample(dst.View(), src.View(), 6);
        EXPECT_EQ(dst.Pixels(), before);
    }
}

TEST(Resampler, StretchNearestTakesThePixelAtTheScaledPosition)
{
    for (auto [sw, sh, dw, dh] : {std::array{3, 2, 7, 5}, std::array{7, 5, 3, 2}, std::array{1, 1, 4, 3}}) {
        for (bool bottomUp : {false, true}) {
            SCOPED_TRACE(testing::Message() << sw << "x" << sh << " -> " << dw << "x" << dh << " " << bottomUp);
            std::mt19937 rng(static_cast<unsigned>(sw * 10 + bottomUp));
            Image src(sw, sh, 24, bottomUp), dst(dw, dh, 24, !bottomUp, 2);
            src.Randomise(rng);
            ks::StretchNearest(dst.View(), src.View());
            for (int y = 0; y < dh; ++y)
                for (int x = 0; x < dw; ++x)
                    ASSERT_EQ(0, std::memcmp(dst.At(x, y), src.At(x * sw / dw, y * sh / dh), 3)) << x << "," << y;
            EXPECT_TRUE(dst.FencesIntact());
        }
    }
}

} // namespace
