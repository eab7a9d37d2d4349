#include "skin/pixels/GradientPixels.h"

#include "host/support/PixelImage.h"
#include "skin/core/sGradient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using Image = ks::test::PixelImage;

Image Patterned(int bpp, int width, int height, bool bottomUp)
{
    Image img(width, height, bpp, bottomUp);
    std::mt19937 rng(static_cast<unsigned>(width * 31 + height));
    img.Randomise(rng);
    return img;
}

// Color1 + k * (Color2 - Color1) / n per channel, the nearest integer with halves to even.
uint32_t Lerp(TColor from, TColor to, int64_t k, int64_t n)
{
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const int64_t a = (from >> (8 * c)) & 0xFF;
        const int64_t b = (to >> (8 * c)) & 0xFF;
        const int64_t num = a * n + k * (b - a); // never negative: the value lies between a and b
        int64_t q = num / n;
        const int64_t twice = 2 * (num % n);
        if (twice > n || (twice == n && q % 2 == 1))
            ++q;
        // red is the low byte of a colour value and the high byte of a BGR pixel
        out |= static_cast<uint32_t>(q) << (8 * (2 - c));
    }
    return out;
}

void Set(Image& img, int x, int y, uint32_t rgb, bool alpha)
{
    uint8_t* p = img.At(x, y);
    for (int i = 0; i < 3; ++i)
        p[i] = static_cast<uint8_t>(rgb >> (8 * i));
    if (alpha)
        p[3] = 255;
}

// Rounds start + Percent * width / 100 with halves to even, in whole numbers.
int64_t Boundary(int64_t start, int percent, int width)
{
    const int64_t num = start * 100 + int64_t{percent} * width;
    const int64_t q = num / 100, rem = num % 100;
    return rem > 50 || (rem == 50 && q % 2 == 1) ? q + 1 : q;
}

// Both pixel modes: stops chained along rows (vertical) or columns (horizontal).
void Model(Image& img, TRect r, const TsGradArray& d, int offset, bool alpha)
{
    r = {std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, img.View().width),
         std::min(r.Bottom, img.View().height)};
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    const bool vertical = d[0].Mode == gmVertical;
    const int64_t first = vertical ? r.Top : r.Left, last = (vertical ? r.Bottom : r.Right) - 1;
    const int64_t begin = vertical ? first + offset : first;
    int64_t pos = begin;
    auto line = [&](int64_t k, uint32_t rgb) {
        for (int across = vertical ? r.Left : r.Top; across < (vertical ? r.Right : r.Bottom); ++across)
            Set(img, vertical ? across : int(k), vertical ? int(k) : across, rgb, alpha);
    };
    bool painted = false;
    for (size_t i = 0; i < d.size(); ++i) {
        const int64_t start = pos;
        pos = vertical ? start + (int64_t{r.Bottom - r.Top} + offset) * d[i].Percent / 100
                       : Boundary(start, d[i].Percent, r.Right - r.Left);
        if (i + 1 == d.size() || pos > last)
            pos = last;
        for (int64_t k = std::max(start, first); k <= pos && pos > start; ++k) {
            line(k, Lerp(d[i].Color1, d[i].Color2, k - start, pos - start));
            painted = true;
        }
    }
    // No room for a ramp anywhere: the line where the gradient starts takes its first colour.
    if (!painted && begin >= first && begin <= last)
        line(begin, Lerp(d[0].Color1, d[0].Color2, 0, 1));
}

TsGradArray WithMode(const char* text, int mode)
{
    TsGradArray d = ParseGradient(text);
    for (TsGradStop& s : d)
        s.Mode = mode;
    return d;
}

TEST(GradientPixels, PixelModesMatchTheModel)
{
    struct Case {
        const char* name;
        const char* gradient;
        int width, height;
        TRect rect;
        int offset; // horizontal gradients ignore it
    } const cases[] = {
        {"TwoStopsHalfEach", "16777215;255;50;0;0;255;0;50;0;0", 12, 10, {0, 0, 12, 10}, 0},
        {"SingleStopThirtyPercentFillsAll", "0;255;30;0;0", 9, 11, {0, 0, 9, 11}, 0},
        {"RectLargerThanBitmap", "0;16777215;60;0;0;65280;16711680;40;0;0", 10, 8, {2, 1, 50, 40}, 0},
        {"RectInside", "16711680;255;40;0;0;100;200;60;0;0", 16, 16, {3, 2, 11, 13}, 0},
        {"NegativeLeftTop", "255;65280;50;0;0;65280;16711680;50;0;0", 10, 10, {-5, -3, 6, 7}, 0},
        {"ThreeUnevenStops", "0;16711680;20;0;0;65280;255;30;0;0;123;4567890;10;0;0", 17, 23, {0, 0, 17, 23}, 0},
        {"PercentsAboveTheWhole", "0;255;70;0;0;255;16711680;70;0;0;16711680;0;70;0;0", 13, 13, {0, 0, 13, 13}, 0},
        {"FirstStopOfNoLength", "255;255;0;0;0;65280;65280;100;0;0", 8, 8, {0, 0, 8, 8}, 0},
        {"OnePixelHigh", "0;255;100;0;0", 8, 8, {0, 3, 8, 4}, 0},
        {"OnePixelWide", "0;255;100;0;0", 8, 8, {5, 0, 6, 8}, 0},
        {"OnePixelHighThreeStops", "4567890;255;30;0;0;65280;0;30;0;0;123;0;40;0;0", 8, 8, {1, 7, 7, 8}, 0},
        {"OnePixelBitmap", "16711680;255;100;0;0", 1, 1, {0, 0, 1, 1}, 0},
        {"ShareOfNoRowsAtButtonHeight", "255;16711680;3;0;0;65280;0;97;0;0", 75, 25, {0, 0, 75, 25}, 0},
        {"MiddleStopOfNoLength", "0;255;50;0;0;65280;65280;0;0;0;16711680;0;50;0;0", 9, 12, {0, 0, 9, 12}, 0},
        {"MoreRowsThanColourSteps", "0;2;40;0;0;2;2;20;0;0;1;65792;40;0;0", 7, 47, {2, -3, 9, 60}, 0},
        {"OffsetToTheLastRow", "0;16777215;50;0;0;16777215;0;50;0;0", 6, 10, {0, 0, 6, 10}, 9},
        {"OffsetDown", "0;16777215;50;0;0;16777215;0;50;0;0", 10, 20, {0, 0, 10, 20}, 5},
        {"OffsetUpStaysInTheRect", "0;16777215;50;0;0;16777215;0;50;0;0", 10, 20, {1, 6, 9, 20}, -9},
        {"OffsetBeyondTheBottom", "0;16777215;50;0;0;16777215;0;50;0;0", 10, 20, {0, 0, 10, 20}, 40},
    };
    for (int mode : {gmVertical, gmHorizontal})
        for (int bpp : {24, 32})
            for (bool bottomUp : {false, true})
                for (const Case& c : cases) {
                    SCOPED_TRACE(std::string(c.name) + (mode == gmVertical ? "/vertical/" : "/horizontal/") +
                                 std::to_string(bpp) + (bottomUp ? "/bottom-up" : "/top-down"));
                    Image b = Patterned(bpp, c.width, c.height, bottomUp);
                    const TsGradArray d = WithMode(c.gradient, mode);
                    Image expected = b;
                    Model(expected, c.rect, d, c.offset, bpp == 32);
                    ks::PaintGradientRows(b.View(), c.rect, d, c.offset);
                    EXPECT_EQ(b.Pixels(), expected.Pixels());
                    EXPECT_TRUE(b.FencesIntact());
                }
}

TEST(GradientPixels, FivePixelRampsRoundHalvesToEven)
{
    // Steps of 63.75: 0, 63.75, 127.5, 191.25, 255 and back.
    const uint32_t up[] = {0x00, 0x40, 0x80, 0xBF, 0xFF}, down[] = {0xFF, 0xBF, 0x80, 0x40, 0x00};
    Image v = Patterned(24, 2, 5, true), h = Patterned(32, 5, 2, false);
    ks::PaintGradientRows(v.View(), Rect(0, 0, 1, 5), ParseGradient("0;255;100;0;0"), 0);
    ks::PaintGradientRows(v.View(), Rect(1, 0, 2, 5), ParseGradient("255;0;100;0;0"), 0);
    ks::PaintGradientRows(h.View(), Rect(0, 0, 5, 1), ParseGradient("0;255;100;1;0"), 0);
    ks::PaintGradientRows(h.View(), Rect(0, 1, 5, 2), ParseGradient("255;0;100;1;0"), 0);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(v.At(0, i)[2], up[i]);
        EXPECT_EQ(v.At(1, i)[2], down[i]);
        EXPECT_EQ(h.At(i, 0)[2], up[i]);
        EXPECT_EQ(h.At(i, 1)[2], down[i]);
        EXPECT_EQ(h.At(i, 1)[3], 255);
    }
}

// A band one row high (vertical) or one column wide (horizontal) has no room for a ramp: it is
// painted in the colour the gradient starts with, not left showing what was there.
TEST(GradientPixels, ABandTooThinForARampShowsTheFirstColour)
{
    for (const bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "one row" : "one column");
        Image b = Patterned(24, 6, 6, true);
        const TRect band = vertical ? Rect(1, 2, 5, 3) : Rect(2, 1, 3, 5);
        ks::PaintGradientRows(b.View(), band, ParseGradient(vertical ? "255;16711680;100;0;0" : "255;16711680;100;1;0"), 0);
        for (int y = band.Top; y < band.Bottom; ++y)
            for (int x = band.Left; x < band.Right; ++x) {
                SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
                EXPECT_EQ(b.At(x, y)[0], 0x00);
                EXPECT_EQ(b.At(x, y)[1], 0x00);
                EXPECT_EQ(b.At(x, y)[2], 0xFF) << "red, the first stop's first colour";
            }
    }
}

TEST(GradientPixels, LeavesWhatItCannotPaintAlone)
{
    struct Case {
        const char* name;
        int bpp;
        const char* gradient;
    } const cases[] = {
        {"SixteenBit", 16, "0;255;100;0;0"}, {"NoStops", 24, ""},
        {"UnknownMode", 24, "0;255;100;3;0"}, {"Triangles", 32, "0;255;100;2;0"},
        {"NegativeMode", 32, "0;255;100;-1;0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image b = Patterned(c.bpp, 6, 6, true);
        const std::vector<uint8_t> before = b.Pixels();
        ks::PaintGradientRows(b.View(), Rect(0, 0, 6, 6), ParseGradient(c.gradient), 0);
        EXPECT_EQ(b.Pixels(), before);
    }
}

} // namespace
