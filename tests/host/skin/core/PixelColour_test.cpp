#include "skin/core/PixelColour.h"

#include "skin/core/PixelCore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <random>
#include <vector>

namespace {

constexpr uint8_t kFence = 0xA5;

// A raster with padded rows, top-down or bottom-up, inside a block that holds kFence everywhere
// else, so that a loop ignoring the stride or the width shows.
struct Image {
    Image(int width, int height, int bpp, bool bottomUp)
        : RowBytes(static_cast<ptrdiff_t>(width) * bpp / 8 + 3), Mem(static_cast<size_t>(RowBytes * height + 64), kFence)
    {
        uint8_t* base = Mem.data() + 32;
        View = {bottomUp ? base + RowBytes * (height - 1) : base, bottomUp ? -RowBytes : RowBytes, width, height, bpp};
    }
    Image(const Image& o) : RowBytes(o.RowBytes), Mem(o.Mem), View(o.View)
    {
        View.scan0 = Mem.data() + (o.View.scan0 - o.Mem.data());
    }

    // The slow way to a pixel: its address computed from scratch.
    uint8_t* At(int x, int y) const { return View.scan0 + y * View.stride + x * (View.bpp / 8); }
    TColor Colour(int x, int y) const { return ks::RgbColor(At(x, y)[2], At(x, y)[1], At(x, y)[0]); }
    void Fill(std::mt19937& rng)
    {
        for (int y = 0; y < View.height; ++y)
            for (int x = 0; x < View.width; ++x)
                for (int i = 0; i < View.bpp / 8; ++i)
                    At(x, y)[i] = static_cast<uint8_t>(rng());
    }

    // Every byte outside the pixels still holds the fence.
    bool FencesIntact() const
    {
        std::vector<bool> pixel(Mem.size());
        for (int y = 0; y < View.height; ++y)
            for (int i = 0; i < View.width * (View.bpp / 8); ++i)
                pixel[static_cast<size_t>(At(0, y) + i - Mem.data())] = true;
        for (size_t i = 0; i < Mem.size(); ++i)
            if (!pixel[i] && Mem[i] != kFence)
                return false;
        return true;
    }

    ptrdiff_t RowBytes;
    std::vector<uint8_t> Mem;
    ks::PixelView View;
};

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
                image.Fill(rng);
                std::memcpy(image.At(1, 1), "\xFF\x00\xFF", 3);
                std::memcpy(image.At(2, 1), "\x40\x40\x40", 3);
                const Image before = image;
                c.Change(image.View, c.amount);
                for (int y = 0; y < 7; ++y)
                    for (int x = 0; x < 13; ++x) {
                        const TColor old = before.Colour(x, y);
                        const TColor expected = KeptAsItIs(old) ? old : c.Reference(old, c.amount);
                        ASSERT_EQ(image.Colour(x, y), expected) << x << "," << y;
                        if (bpp == 32) {
                            ASSERT_EQ(image.At(x, y)[3], before.At(x, y)[3]) << "alpha at " << x << "," << y;
                        }
                    }
                EXPECT_TRUE(image.FencesIntact());
            }
        }
    }
}

} // namespace
