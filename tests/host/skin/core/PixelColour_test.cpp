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

TEST(PixelColour, CopyPixelsClipsAgainstBothViews)
{
    struct Case {
        const char* name;
        TRect src;
        TPoint at;
        int dstBpp;
    } const cases[] = {
        {"Inside", Rect(2, 1, 6, 4), Point(1, 2), 24},
        {"SourceOverTheTopLeft", Rect(-3, -2, 4, 3), Point(0, 0), 24},
        {"LandsPastTheRightAndBottom", Rect(0, 0, 9, 6), Point(5, 3), 24},
        {"LandsBeforeTheLeft", Rect(0, 0, 9, 6), Point(-4, -1), 24},
        {"FarAwayDoesNotWrap", Rect(0, 0, 9, 6), Point(0x7FFFFFF0, -0x7FFFFFF0), 24},
        {"WholeOfIt", Rect(-0x7FFFFFFF, -0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF), Point(-0x7FFFFFFF, -0x7FFFFFFF), 24},
        {"DepthsDiffer", Rect(0, 0, 9, 6), Point(0, 0), 32},
    };
    for (const Case& c : cases) {
        for (bool bottomUp : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << (bottomUp ? " bottom-up" : ""));
            std::mt19937 rng(7);
            Image src(9, 6, 24, !bottomUp);
            Image dst(8, 5, c.dstBpp, bottomUp);
            src.Fill(rng);
            dst.Fill(rng);
            const Image before = dst;
            ks::CopyPixels(dst.View, c.at, src.View, c.src);
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 8; ++x) {
                    const int64_t sx = int64_t{x} - c.at.X + c.src.Left, sy = int64_t{y} - c.at.Y + c.src.Top;
                    const bool copied = c.dstBpp == 24 && sx >= std::max(c.src.Left, 0) && sy >= std::max(c.src.Top, 0) &&
                                        sx < std::min(c.src.Right, 9) && sy < std::min(c.src.Bottom, 6);
                    const TColor expected =
                        copied ? src.Colour(static_cast<int>(sx), static_cast<int>(sy)) : before.Colour(x, y);
                    ASSERT_EQ(dst.Colour(x, y), expected) << x << "," << y;
                }
            EXPECT_TRUE(dst.FencesIntact());
        }
    }
}

TEST(PixelColour, OnlyFullyTransparentWhiteIsCleared)
{
    struct Case {
        const char* name;
        uint32_t bgra;
        uint32_t expected;
    } const cases[] = {
        {"WhiteAlpha0", 0x00FFFFFF, 0},
        {"WhiteAlpha1", 0x01FFFFFF, 0x01FFFFFF},
        {"NearWhiteAlpha0", 0x00FFFEFF, 0x00FFFEFF},
        {"BlackAlpha0", 0, 0},
    };
    Image image(4, 2, 32, true);
    for (size_t i = 0; i < std::size(cases); ++i)
        std::memcpy(image.At(static_cast<int>(i), 1), &cases[i].bgra, 4);
    Image flat(4, 1, 24, false);
    std::memset(flat.At(0, 0), 0xFF, 12);
    const Image flatBefore = flat;
    ks::ClearWhiteTransparent(image.View);
    ks::ClearWhiteTransparent(flat.View);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        uint32_t got = 0;
        std::memcpy(&got, image.At(static_cast<int>(i), 1), 4);
        EXPECT_EQ(got, cases[i].expected);
    }
    EXPECT_EQ(flat.Mem, flatBefore.Mem) << "a 24-bit view has no alpha to read";
}

} // namespace
