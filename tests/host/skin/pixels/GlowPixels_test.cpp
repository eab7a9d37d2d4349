#include "skin/pixels/GlowPixels.h"

#include "host/support/PixelImage.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

using Image = ks::test::PixelImage;
using Bytes = std::array<uint8_t, 4>;

TEST(GlowPixels, EachPixelTakesTheOpacityItShowsOverBothBackgrounds)
{
    struct Case {
        const char* name;
        Bytes onBlack, onWhite, expected;  // blue, green, red, alpha
    } const cases[] = {
        {"CopiedPixelIsOpaque", {10, 20, 30, 0}, {10, 20, 30, 0}, {10, 20, 30, 255}},
        {"BackgroundOnlyIsTransparent", {0, 0, 0, 255}, {255, 255, 255, 255}, {0, 0, 0, 0}},
        {"MaskBlendOfBackgroundKeepsWhiteOneLower", {0, 0, 0, 0}, {254, 254, 254, 0}, {0, 0, 0, 0}},
        {"HalfShowing", {50, 64, 0, 0}, {177, 191, 127, 0}, {50, 64, 0, 128}},
        {"MostOpaqueChannelDecides", {100, 0, 0, 0}, {110, 200, 255, 0}, {100, 0, 0, 245}},
        {"WhiteDarkerThanBlackCountsAsOpaque", {90, 90, 90, 0}, {80, 80, 80, 0}, {90, 90, 90, 255}},
        {"KeyColourCopiedAsItIsIsTransparent", {255, 0, 255, 255}, {255, 0, 255, 0}, {0, 0, 0, 0}},
        {"KeyColourOverBlackOnlyIsAPicture", {255, 0, 255, 0}, {255, 127, 255, 0}, {255, 0, 255, 255}},
    };
    for (bool bottomUp : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            Image black(3, 2, 32, bottomUp), white(3, 2, 24, !bottomUp);
            std::memcpy(black.At(2, 1), c.onBlack.data(), 4);
            std::memcpy(white.At(2, 1), c.onWhite.data(), 3);
            ks::PremultiplyFromBackdrops(black.View(), white.View());
            Bytes got{};
            std::memcpy(got.data(), black.At(2, 1), 4);
            EXPECT_EQ(got, c.expected);
            EXPECT_EQ(black.At(0, 0)[3], 255) << "black over black is an opaque black pixel";
            EXPECT_TRUE(black.FencesIntact() && white.FencesIntact());
        }
}

// Every picture byte through every mask value, blended as the skin painters blend.
TEST(GlowPixels, MaskBlendedPicturesGetTheMasksOpacity)
{
    Image black(256, 256, 32, false), white(256, 256, 32, true);
    for (int m = 0; m < 256; ++m)
        for (int p = 0; p < 256; ++p) {
            const uint8_t b = ks::MaskBlendByte(static_cast<uint8_t>(p), 0, m);
            const uint8_t w = ks::MaskBlendByte(static_cast<uint8_t>(p), 255, m);
            std::memcpy(black.At(p, m), Bytes{b, b, b, 0}.data(), 4);
            std::memcpy(white.At(p, m), Bytes{w, w, w, 0}.data(), 4);
        }
    ks::PremultiplyFromBackdrops(black.View(), white.View());
    for (int m = 0; m < 256; ++m)
        for (int p = 0; p < 256; ++p) {
            const uint8_t* px = black.At(p, m);
            if (m >= 255) {
                ASSERT_EQ(px[3], 0) << p << " through " << m;
                continue;
            }
            ASSERT_NEAR(px[3], 255 - m, 1) << p << " through " << m;
            ASSERT_LE(px[0], px[3]) << p << " through " << m;
        }
}

} // namespace
