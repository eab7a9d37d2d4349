#include "skin/core/PixelCore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint8_t kFence = 0xA5;

// A raster in its own memory with padded rows, stored top-down or bottom-up; the padding and a
// fence before and after hold kFence, so a loop that ignores the stride or the width shows.
class Image {
public:
    Image(int width, int height, int bpp, bool bottomUp, int padding = 5)
        : FRowBytes(static_cast<ptrdiff_t>(width) * bpp / 8 + padding),
          FMem(static_cast<size_t>(FRowBytes * height + 2 * kGuard), kFence)
    {
        uint8_t* base = FMem.data() + kGuard;
        FView = {bottomUp ? base + FRowBytes * (height - 1) : base, bottomUp ? -FRowBytes : FRowBytes, width, height, bpp};
        for (int y = 0; y < height; ++y)
            std::memset(FView.Row(y), 0, static_cast<size_t>(width) * bpp / 8);
    }

    // A copy views its own memory.
    Image(const Image& other) : FRowBytes(other.FRowBytes), FMem(other.FMem), FView(other.FView)
    {
        FView.scan0 = FMem.data() + (other.FView.scan0 - other.FMem.data());
    }
    Image& operator=(const Image&) = delete;

    const ks::PixelView& View() const { return FView; }
    uint8_t* At(int x, int y) const { return FView.Row(y) + x * FView.bpp / 8; }
    int Bytes() const { return FView.bpp / 8; }

    void Randomise(std::mt19937& rng)
    {
        for (int y = 0; y < FView.height; ++y)
            for (int i = 0; i < FView.width * Bytes(); ++i)
                FView.Row(y)[i] = static_cast<uint8_t>(rng());
    }

    // Every byte outside the pixels still holds the fence.
    bool FencesIntact() const
    {
        std::vector<bool> pixel(FMem.size());
        for (int y = 0; y < FView.height; ++y)
            for (int i = 0; i < FView.width * Bytes(); ++i)
                pixel[static_cast<size_t>(FView.Row(y) + i - FMem.data())] = true;
        for (size_t i = 0; i < FMem.size(); ++i)
            if (!pixel[i] && FMem[i] != kFence)
                return false;
        return true;
    }

    std::vector<uint8_t> Pixels() const
    {
        std::vector<uint8_t> out;
        for (int y = 0; y < FView.height; ++y)
            out.insert(out.end(), FView.Row(y), FView.Row(y) + FView.width * Bytes());
        return out;
    }

private:
    static constexpr ptrdiff_t kGuard = 64;
    ptrdiff_t FRowBytes;
    std::vector<uint8_t> FMem;
    ks::PixelView FView;
};

// The blend as the formula reads, in double precision: the floor of (s(255 - w) + dw + 127) / 256.
uint8_t ReferenceBlend(uint8_t s, uint8_t d, int w)
{
    return static_cast<uint8_t>(std::floor((s * (255.0 - w) + d * double(w) + 127.0) / 256.0));
}

TEST(PixelCore, BlendFixedByteMatchesTheFormulaAtItsEdges)
{
    struct Case {
        const char* name;
        uint8_t src, dst, weight, expected;
    } cases[] = {
        {"HalfWeight", 200, 100, 128, 149},
        {"WeightZeroLosesOneStep", 255, 0, 0, 254},
        {"WeightFullDarkensDestination", 0, 255, 255, 254},
        {"Black", 0, 0, 77, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ks::BlendFixedByte(c.src, c.dst, c.weight), c.expected);
    }
    for (int s = 0; s < 256; s += 5)
        for (int d = 0; d < 256; d += 3)
            for (int w = 0; w < 256; w += 17)
                ASSERT_EQ(ks::BlendFixedByte(uint8_t(s), uint8_t(d), uint8_t(w)), ReferenceBlend(uint8_t(s), uint8_t(d), w))
                    << s << " " << d << " " << w;
}

// Random rectangles, many of them partly or wholly outside either image, checked pixel by pixel
// against the reference; the source is aligned to the destination at the left and bottom edges.
TEST(PixelCore, BlendFixedMatchesReferenceAndClips)
{
    for (int bpp : {24, 32}) {
        for (int round = 0; round < 60; ++round) {
            const unsigned seed = static_cast<unsigned>(bpp * 1000 + round);
            SCOPED_TRACE("bpp " + std::to_string(bpp) + " seed " + std::to_string(seed));
            std::mt19937 rng(seed);
            auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
            Image dst(between(1, 23), between(1, 9), bpp, round % 2 == 0);
            Image src(between(1, 23), between(1, 9), bpp, round % 3 == 0, 3);
            dst.Randomise(rng);
            src.Randomise(rng);
            const TRect r{between(-6, 20), between(-4, 8), between(-6, 30), between(-4, 12)};
            const int srcLeft = between(-8, 20), srcBottom = between(-4, 14);
            const uint8_t w = static_cast<uint8_t>(between(0, 255));
            const Image before = dst;

            ks::BlendFixed(dst.View(), r, src.View(), srcLeft, srcBottom, w);

            EXPECT_TRUE(dst.FencesIntact());
            EXPECT_TRUE(src.FencesIntact());
            for (int y = 0; y < dst.View().height; ++y)
                for (int x = 0; x < dst.View().width; ++x) {
                    const int sx = x - r.Left + srcLeft, sy = y - r.Bottom + srcBottom;
                    const bool blended = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom && sx >= 0 &&
                                         sy >= 0 && sx < src.View().width && sy < src.View().height;
                    for (int i = 0; i < dst.Bytes(); ++i) {
                        const uint8_t old = before.At(x, y)[i];
                        const uint8_t want = blended ? ReferenceBlend(src.At(sx, sy)[i], old, w) : old;
                        ASSERT_EQ(dst.At(x, y)[i], want) << "pixel " << x << "," << y << " byte " << i;
                    }
                }
        }
    }
}

TEST(PixelCore, BlendFixedLeavesMismatchedOrUnsupportedViews)
{
    struct Case {
        const char* name;
        int dstBpp, srcBpp;
    } cases[] = {{"TwentyFourIntoThirtyTwo", 32, 24}, {"ThirtyTwoIntoTwentyFour", 24, 32}, {"EightBit", 8, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937 rng(7);
        Image dst(4, 4, c.dstBpp, true), src(4, 4, c.srcBpp, false);
        dst.Randomise(rng);
        src.Randomise(rng);
        const std::vector<uint8_t> before = dst.Pixels();
        ks::BlendFixed(dst.View(), {0, 0, 4, 4}, src.View(), 0, 4, 100);
        EXPECT_EQ(dst.Pixels(), before);
    }
}

// A bitmap blended with itself runs rows from the bottom and bytes from the right, so bytes
// already blended feed later ones; the reference walks the same order over a copy.
TEST(PixelCore, BlendFixedWithItselfFollowsBackwardOrder)
{
    for (bool bottomUp : {false, true}) {
        SCOPED_TRACE(bottomUp ? "bottom-up" : "top-down");
        std::mt19937 rng(11);
        Image img(12, 8, 24, bottomUp);
        img.Randomise(rng);
        std::vector<std::vector<uint8_t>> want(8);
        for (int y = 0; y < 8; ++y)
            want[y].assign(img.At(0, y), img.At(0, y) + 36);
        const TRect r{3, 2, 11, 7};
        const int srcLeft = 1, srcBottom = 8; // one row down, two columns left: overlapping
        for (int y = r.Bottom - 1; y >= r.Top; --y)
            for (int i = r.Right * 3 - 1; i >= r.Left * 3; --i)
                want[y][i] = ReferenceBlend(want[y + 1][i - 6], want[y][i], 90);

        ks::BlendFixed(img.View(), r, img.View(), srcLeft, srcBottom, 90);

        for (int y = 0; y < 8; ++y)
            EXPECT_EQ(std::vector<uint8_t>(img.At(0, y), img.At(0, y) + 36), want[y]) << "row " << y;
        EXPECT_TRUE(img.FencesIntact());
    }
}

TEST(PixelCore, FillRect32StoresTheRawWordInsideTheViewOnly)
{
    struct Case {
        const char* name;
        TRect r;
        TRect filled; // what must change, already clipped
    } cases[] = {
        {"Inside", {1, 1, 3, 2}, {1, 1, 3, 2}},
        {"Empty", {2, 1, 2, 3}, {}},
        {"Inverted", {3, 2, 1, 1}, {}},
        {"BeyondEveryEdge", {-5, -5, 50, 50}, {0, 0, 5, 3}},
        {"WhollyOutside", {6, 0, 9, 3}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool bottomUp : {false, true}) {
            Image img(5, 3, 32, bottomUp);
            ks::FillRect32(img.View(), c.r, 0x44332211);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) {
                    const bool in = x >= c.filled.Left && x < c.filled.Right && y >= c.filled.Top && y < c.filled.Bottom;
                    const uint8_t* p = img.At(x, y);
                    const uint8_t expected[4] = {uint8_t(in ? 0x11 : 0), uint8_t(in ? 0x22 : 0),
                                                 uint8_t(in ? 0x33 : 0), uint8_t(in ? 0x44 : 0)};
                    ASSERT_EQ(0, std::memcmp(p, expected, 4)) << x << "," << y;
                }
            EXPECT_TRUE(img.FencesIntact());
        }
    }
}

TEST(PixelCore, SetAlpha32WritesOnlyTheFourthByte)
{
    Image img(4, 3, 32, true);
    std::mt19937 rng(3);
    img.Randomise(rng);
    const Image before = img;
    ks::SetAlpha32(img.View(), {1, -1, 9, 2}, 0x7F);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool in = x >= 1 && y < 2;
            EXPECT_EQ(0, std::memcmp(img.At(x, y), before.At(x, y), 3));
            EXPECT_EQ(img.At(x, y)[3], in ? 0x7F : before.At(x, y)[3]) << x << "," << y;
        }
    EXPECT_TRUE(img.FencesIntact());
    Image img24(4, 3, 24, false);
    ks::SetAlpha32(img24.View(), {0, 0, 4, 3}, 1);
    EXPECT_EQ(img24.Pixels(), std::vector<uint8_t>(36, 0)) << "24-bit views have no alpha";
}

TEST(PixelCore, PixelsOutsideTheViewReadZeroAndIgnoreWrites)
{
    struct Case {
        const char* name;
        int x, y;
    } cases[] = {{"LeftOfRow", -1, 0}, {"PastRow", 3, 0}, {"AboveTop", 0, -1}, {"BelowBottom", 0, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image img32(3, 2, 32, true), img24(3, 2, 24, false);
        ks::SetPixel32(img32.View(), c.x, c.y, 0xFFFFFFFF);
        ks::SetPixel24(img24.View(), c.x, c.y, 0xFFFFFF);
        EXPECT_TRUE(img32.FencesIntact());
        EXPECT_TRUE(img24.FencesIntact());
        EXPECT_EQ(ks::GetPixel32(img32.View(), c.x, c.y), 0u);
        EXPECT_EQ(ks::GetPixel24(img24.View(), c.x, c.y), 0);
    }
}

TEST(PixelCore, ColorToPixel32IsOpaqueInBlueGreenRedOrder)
{
    const uint32_t word = ColorToPixel32(0x332211);
    uint8_t bytes[4];
    std::memcpy(bytes, &word, 4);
    EXPECT_EQ(bytes[0], 0x33);
    EXPECT_EQ(bytes[1], 0x22);
    EXPECT_EQ(bytes[2], 0x11);
    EXPECT_EQ(bytes[3], 0xFF);
}

TEST(PixelCore, FillDWordsStoresCountWords)
{
    uint32_t words[4] = {1, 2, 3, 4};
    FillDWords(words, -3, 9);
    FillDWords(words, 0, 9);
    EXPECT_EQ(words[0], 1u);
    FillDWords(words + 1, 2, 9);
    EXPECT_EQ(words[0], 1u);
    EXPECT_EQ(words[1], 9u);
    EXPECT_EQ(words[2], 9u);
    EXPECT_EQ(words[3], 4u);
}

void PaintKey(Image& img, int x0, int x1, int y)
{
    for (int x = x0; x < x1; ++x) {
        uint8_t* p = img.At(x, y);
        p[0] = 0xFF;
        p[1] = 0x00;
        p[2] = 0xFF;
    }
}

TEST(PixelCore, KeyRunsAreOnePixelHighInRowOrder)
{
    struct Case {
        const char* name;
        int bpp;
        TRect area;
        TPoint at;
        std::vector<TRect> expected;
    } cases[] = {
        {"WholeImage24", 24, {0, 0, 10, 10}, {0, 0}, {{2, 0, 5, 1}, {8, 3, 10, 4}, {0, 4, 1, 5}, {2, 4, 3, 5}}},
        {"WholeImage32IgnoresAlpha", 32, {0, 0, 10, 10}, {0, 0}, {{2, 0, 5, 1}, {8, 3, 10, 4}, {0, 4, 1, 5}, {2, 4, 3, 5}}},
        {"AreaMovedToPlacement", 24, {3, 0, 9, 5}, {100, 7}, {{100, 7, 102, 8}, {105, 10, 106, 11}}},
        {"AreaBeyondTheImage", 24, {-4, -4, 40, 5}, {0, 0}, {{6, 4, 9, 5}, {12, 7, 14, 8}, {4, 8, 5, 9}, {6, 8, 7, 9}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image img(10, 10, c.bpp, true);
        PaintKey(img, 2, 5, 0);
        PaintKey(img, 8, 10, 3); // runs to the end of the row
        PaintKey(img, 0, 1, 4);
        PaintKey(img, 2, 3, 4);
        if (c.bpp == 32)
            img.At(2, 0)[3] = 0x80;
        std::vector<TRect> runs;
        ks::AppendKeyRuns(runs, img.View(), c.area, 0xFF00FF, c.at);
        EXPECT_EQ(runs, c.expected);
    }
}

TEST(PixelCore, KeyRunsAppendAndSkipOtherDepths)
{
    Image img(4, 2, 24, false);
    PaintKey(img, 1, 2, 1);
    std::vector<TRect> runs{{9, 9, 9, 9}};
    ks::AppendKeyRuns(runs, img.View(), {0, 0, 4, 2}, 0xFF00FF, {0, 0});
    EXPECT_EQ(runs, (std::vector<TRect>{{9, 9, 9, 9}, {1, 1, 2, 2}}));

    Image img8(4, 2, 8, false);
    runs.clear();
    ks::AppendKeyRuns(runs, img8.View(), {0, 0, 4, 2}, 0, {0, 0});
    EXPECT_TRUE(runs.empty());
}

} // namespace
