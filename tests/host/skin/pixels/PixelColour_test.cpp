#include "skin/pixels/PixelColour.h"

#include "skin/pixels/PixelCore.h"

#include "host/support/PixelImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

using Image = ks::test::PixelImage;

TColor Colour(const Image& img, int x, int y)
{
    return ks::RgbColor(img.At(x, y)[2], img.At(x, y)[1], img.At(x, y)[0]);
}

bool KeptAsItIs(TColor c)
{
    return c == 0xFF00FF || (ks::RedOf(c) == ks::GreenOf(c) && ks::GreenOf(c) == ks::BlueOf(c));
}

TEST(PixelColour, ColourChangesOfOneColour)
{
    struct Case {
        const char* name;
        TColor result;
        TColor expected;
    } const cases[] = {
        {"RedPlus120IsGreen", ks::RotateHueRgb(0x0000FF, 120), 0x00FF00},
        {"RedMinus120IsBlue", ks::RotateHueRgb(0x0000FF, -120), 0xFF0000},
        {"RedMinus90IsViolet", ks::RotateHueRgb(0x0000FF, -90), ks::RgbColor(128, 0, 255)},
        {"RedPlus30IsOrange", ks::RotateHueRgb(0x0000FF, 30), ks::RgbColor(255, 128, 0)},
        {"RedPlus200IsAzure", ks::RotateHueRgb(0x0000FF, 200), ks::RgbColor(0, 170, 255)},
        {"FullTurnsWrap", ks::RotateHueRgb(0x0000FF, 720 + 120), 0x00FF00},
        {"GreyHasNoHue", ks::RotateHueRgb(0x808080, 77), 0x808080},
        {"TopByteIgnored", ks::RotateHueRgb(static_cast<TColor>(0x7F0000FF), 120), 0x00FF00},
        {"FullDesaturationIsTheAverage", ks::DesaturateRgb(ks::RgbColor(200, 100, 0), 100), 0x646464},
        {"HalfWayRoundsToEven", ks::DesaturateRgb(ks::RgbColor(0, 0, 3), 50), ks::RgbColor(0, 0, 2)},
        {"SaturationStopsAtTheByte", ks::DesaturateRgb(ks::RgbColor(0, 0, 250), -100), ks::RgbColor(0, 0, 255)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result, c.expected);
    }
}

// Both loops against a per-pixel reference, on both depths and both row orders, with greys and
// the key colour among random pixels.
TEST(PixelColour, PixelChangesMatchTheColourRoutinePixelByPixel)
{
    struct Case {
        const char* name;
        void (*Change)(const ks::PixelView&, int) noexcept;
        TColor (*Reference)(TColor, int) noexcept;
        int amount;
    } const cases[] = {
        {"Hue", &ks::RotateHuePixels, &ks::RotateHueRgb, 133},
        {"Desaturate", &ks::DesaturatePixels, &ks::DesaturateRgb, 60},
        {"Saturate", &ks::DesaturatePixels, &ks::DesaturateRgb, -45},
    };
    for (const Case& c : cases) {
        for (int bpp : {24, 32}) {
            for (bool bottomUp : {false, true}) {
                const uint32_t seed = static_cast<uint32_t>(bpp * 2 + bottomUp);
                SCOPED_TRACE(testing::Message() << c.name << " bpp " << bpp << (bottomUp ? " bottom-up" : "")
                                                << " seed " << seed);
                std::mt19937 rng(seed);
                Image image(13, 7, bpp, bottomUp);
                image.Randomise(rng);
                std::memcpy(image.At(1, 1), "\xFF\x00\xFF", 3);
                std::memcpy(image.At(2, 1), "\x40\x40\x40", 3);
                const Image before = image;
                c.Change(image.View(), c.amount);
                for (int y = 0; y < 7; ++y)
                    for (int x = 0; x < 13; ++x) {
                        const TColor old = Colour(before, x, y);
                        const TColor expected = KeptAsItIs(old) ? old : c.Reference(old, c.amount);
                        ASSERT_EQ(Colour(image, x, y), expected) << x << "," << y;
                        ASSERT_TRUE(bpp == 24 || image.At(x, y)[3] == before.At(x, y)[3]) << "alpha at " << x << "," << y;
                    }
                EXPECT_TRUE(image.FencesIntact());
            }
        }
    }
}

} // namespace
