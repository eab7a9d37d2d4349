#include "skin/pixels/PixelCore.h"

#include "skin/pixels/KeyedPixels.h"
#include "skin/pixels/MaskedPixels.h"

#include "host/skin/pixels/RowLoopCheck.h"
#include "host/support/PixelImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Image = ks::test::PixelImage;

// The blend as the formula reads, in double precision: the floor of (s(255 - w) + dw + 127) / 256.
uint8_t ReferenceBlend(uint8_t s, uint8_t d, int w)
{
    return static_cast<uint8_t>(std::floor((s * (255.0 - w) + d * double(w) + 127.0) / 256.0));
}

// The grid's steps reach 255 on every axis, so the edges where a weight of 0 or 255 loses a step are in it.
TEST(PixelCore, BlendFixedByteMatchesTheFormula)
{
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
    for (int bpp : {24, 32})
        for (bool bottomUp : {false, true}) {
            SCOPED_TRACE(std::to_string(bpp) + (bottomUp ? " bottom-up" : " top-down"));
            const int bytes = bpp / 8, rowBytes = 12 * bytes;
            std::mt19937 rng(11);
            Image img(12, 8, bpp, bottomUp);
            img.Randomise(rng);
            std::vector<std::vector<uint8_t>> want(8);
            for (int y = 0; y < 8; ++y)
                want[y].assign(img.At(0, y), img.At(0, y) + rowBytes);
            const TRect r{3, 2, 11, 7};
            const int srcLeft = 1, srcBottom = 8; // one row down, two columns left: overlapping
            for (int y = r.Bottom - 1; y >= r.Top; --y)
                for (int i = r.Right * bytes - 1; i >= r.Left * bytes; --i)
                    want[y][i] = ReferenceBlend(want[y + 1][i - 2 * bytes], want[y][i], 90);

            ks::BlendFixed(img.View(), r, img.View(), srcLeft, srcBottom, 90);

            for (int y = 0; y < 8; ++y)
                EXPECT_EQ(std::vector<uint8_t>(img.At(0, y), img.At(0, y) + rowBytes), want[y]) << "row " << y;
            EXPECT_TRUE(img.FencesIntact());
        }
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

TEST(PixelCore, ColorToPixel32AndFillDWords)
{
    EXPECT_EQ(ColorToPixel32(0x332211), 0xFF112233u) << "opaque, blue in the low byte";
    uint32_t words[4] = {1, 2, 3, 4};
    FillDWords(words, -3, 9);
    FillDWords(words, 0, 9);
    FillDWords(words + 1, 2, 9);
    EXPECT_EQ(std::vector<uint32_t>(words, words + 4), (std::vector<uint32_t>{1, 9, 9, 4}));
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
    Image img(4, 2, 24, false), img8(4, 2, 8, false);
    PaintKey(img, 1, 2, 1);
    std::vector<TRect> runs{{9, 9, 9, 9}};
    ks::AppendKeyRuns(runs, img.View(), {0, 0, 4, 2}, 0xFF00FF, {0, 0});
    ks::AppendKeyRuns(runs, img8.View(), {0, 0, 4, 2}, 0, {0, 0});
    EXPECT_EQ(runs, (std::vector<TRect>{{9, 9, 9, 9}, {1, 1, 2, 2}}));
}

uint32_t Word(const uint8_t* p)
{
    uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
}

Image KeyedImage(std::mt19937& rng, int w, int h, bool bottomUp, uint32_t key)
{
    Image img(w, h, 32, bottomUp);
    img.Randomise(rng);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (rng() % 3 == 0)
                std::memcpy(img.At(x, y), &key, 4);
    return img;
}

} // namespace

// Each routine on random images of both row orders, against a per-pixel reference applied to a
// copy; the fences catch strays beyond the width or into the padding.
TEST(PixelCore, WholeViewRoutinesMatchPerPixelReferences)
{
    constexpr uint32_t key = 0x12FF00FF; // alpha 0x12 over the key colour's bytes
    struct Case {
        const char* name;
        void (*run)(const ks::PixelView&);
        void (*reference)(int x, int y, uint8_t* p);
    } const cases[] = {
        {"KeyAlpha32Clears", [](const ks::PixelView& v) { ks::KeyAlpha32(v, key & 0xFFFFFF, true); },
         [](int, int, uint8_t* p) { p[3] = (Word(p) & 0xFFFFFF) == (key & 0xFFFFFF) ? 0 : 255; }},
        {"KeyAlpha32Keeps", [](const ks::PixelView& v) { ks::KeyAlpha32(v, key & 0xFFFFFF, false); },
         [](int, int, uint8_t* p) { p[3] = (Word(p) & 0xFFFFFF) == (key & 0xFFFFFF) ? p[3] : 255; }},
        {"ReplaceWord32", [](const ks::PixelView& v) { ks::ReplaceWord32(v, key, 0x01020304); },
         [](int, int, uint8_t* p) {
             if (Word(p) == key)
                 std::memcpy(p, "\x04\x03\x02\x01", 4);
         }},
        {"FillRect32BeyondEveryEdge", [](const ks::PixelView& v) { ks::FillRect32(v, {-5, -5, 50, 50}, 0x44332211); },
         [](int, int, uint8_t* p) { std::memcpy(p, "\x11\x22\x33\x44", 4); }},
        {"FillRect32Inside", [](const ks::PixelView& v) { ks::FillRect32(v, {1, 1, 3, 2}, 0x44332211); },
         [](int x, int y, uint8_t* p) {
             if (x >= 1 && x < 3 && y == 1)
                 std::memcpy(p, "\x11\x22\x33\x44", 4);
         }},
        {"FillRect32Inverted", [](const ks::PixelView& v) { ks::FillRect32(v, {3, 2, 1, 1}, 0x44332211); },
         [](int, int, uint8_t*) {}},
        {"SetAlpha32", [](const ks::PixelView& v) { ks::SetAlpha32(v, {1, -1, 9, 2}, 0x7F); },
         [](int x, int y, uint8_t* p) { p[3] = x >= 1 && y < 2 ? 0x7F : p[3]; }},
    };
    for (const Case& c : cases)
        for (bool bottomUp : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (bottomUp ? " bottom-up" : " top-down"));
            std::mt19937 rng(bottomUp ? 3 : 4);
            Image img = KeyedImage(rng, 7, 5, bottomUp, key);
            // A pixel of the key colour with another alpha counts for KeyAlpha32, not for ReplaceWord32.
            std::memcpy(img.At(6, 4), "\xFF\x00\xFF\x80", 4);
            Image want = img;
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 7; ++x)
                    c.reference(x, y, want.At(x, y));
            c.run(img.View());
            EXPECT_EQ(img.Pixels(), want.Pixels());
            EXPECT_TRUE(img.FencesIntact());
        }
    Image img24(4, 3, 24, false);
    ks::SetAlpha32(img24.View(), {0, 0, 4, 3}, 1);
    ks::FillRect32(img24.View(), {0, 0, 4, 3}, 1);
    EXPECT_EQ(img24.Pixels(), std::vector<uint8_t>(36, 0)) << "24-bit views are left alone";
}

TEST(PixelCore, MaskKey32ClearsKeyPixelsAndSetsTheirMaskBits)
{
    for (bool bottomUp : {false, true}) {
        SCOPED_TRACE(bottomUp ? "bottom-up" : "top-down");
        std::mt19937 rng(21);
        const uint32_t key = 0xFF336699;
        Image img = KeyedImage(rng, 11, 4, bottomUp, key); // 11 columns: the mask's second byte is partial
        Image mask(11, 4, 1, !bottomUp, 3);
        mask.Randomise(rng);
        Image wantImg = img, wantMask = mask;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 11; ++x)
                if (Word(img.At(x, y)) == key) {
                    std::memset(wantImg.At(x, y), 0, 4);
                    wantMask.View().Row(y)[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
                }
        ks::MaskKey32(img.View(), mask.View(), key);
        EXPECT_EQ(img.Pixels(), wantImg.Pixels());
        EXPECT_EQ(mask.Pixels(), wantMask.Pixels());
        EXPECT_TRUE(img.FencesIntact());
        EXPECT_TRUE(mask.FencesIntact());
    }
}

TEST(PixelCore, AlphaTravelsAsGreyAndBackOverTheSharedPixels)
{
    for (bool bottomUp : {false, true}) {
        SCOPED_TRACE(bottomUp ? "bottom-up" : "top-down");
        std::mt19937 rng(5);
        Image rgba(6, 5, 32, bottomUp), grey(4, 7, 24, !bottomUp);
        rgba.Randomise(rng);
        grey.Randomise(rng);
        Image wantGrey = grey;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 4; ++x)
                std::memset(wantGrey.At(x, y), rgba.At(x, y)[3], 3);
        ks::AlphaToGrey(grey.View(), rgba.View());
        EXPECT_EQ(grey.Pixels(), wantGrey.Pixels());

        grey.Randomise(rng);
        Image wantRgba = rgba;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 4; ++x)
                wantRgba.At(x, y)[3] = grey.At(x, y)[1];
        ks::GreyToAlpha(rgba.View(), grey.View());
        EXPECT_EQ(rgba.Pixels(), wantRgba.Pixels());
        EXPECT_TRUE(rgba.FencesIntact());
        EXPECT_TRUE(grey.FencesIntact());
    }
}

TEST(PixelCore, OneChannelTravelsToEightBitsAndBackOverTheSharedPixels)
{
    for (int channel : {0, 3, 4, -1}) {
        SCOPED_TRACE(channel);
        std::mt19937 rng(static_cast<unsigned>(channel + 9));
        Image rgba(6, 5, 32, channel % 2 == 0), bytes(4, 7, 8, channel % 2 != 0);
        rgba.Randomise(rng);
        bytes.Randomise(rng);
        Image wantBytes = bytes, wantRgba = rgba;
        const bool valid = channel >= 0 && channel <= 3;
        for (int y = 0; y < 5 && valid; ++y)
            for (int x = 0; x < 4; ++x) {
                wantBytes.At(x, y)[0] = rgba.At(x, y)[channel];
                wantRgba.At(x, y)[channel] = bytes.At(x, y)[0];
            }
        Image into = rgba;
        const Image bytesBefore = bytes;
        ks::CopyChannel(rgba.View(), bytes.View(), channel, true);
        ks::CopyChannel(into.View(), bytesBefore.View(), channel, false);
        EXPECT_EQ(bytes.Pixels(), wantBytes.Pixels());
        EXPECT_EQ(into.Pixels(), wantRgba.Pixels());
        EXPECT_TRUE(bytes.FencesIntact());
        EXPECT_TRUE(into.FencesIntact());
    }
}

TEST(PixelCore, AnyAlpha32LooksAtEveryAlphaByteOnly)
{
    Image img(5, 3, 32, true);
    std::memset(img.At(0, 0), 0xFF, 3);
    EXPECT_FALSE(ks::AnyAlpha32(img.View())) << "colour bytes are not alpha";
    img.At(4, 2)[3] = 1;
    EXPECT_TRUE(ks::AnyAlpha32(img.View())) << "the last pixel counts";
    EXPECT_FALSE(ks::AnyAlpha32(Image(5, 3, 24, true).View()));
}

TEST(PixelCore, CopyRectCopiesThePixelsInsideBothViews)
{
    for (int bpp : {24, 32}) {
        for (int round = 0; round < 40; ++round) {
            const unsigned seed = static_cast<unsigned>(bpp * 100 + round);
            SCOPED_TRACE("bpp " + std::to_string(bpp) + " seed " + std::to_string(seed));
            std::mt19937 rng(seed);
            auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
            Image dst(between(1, 12), between(1, 9), bpp, round % 2 == 0);
            Image src(between(1, 12), between(1, 9), bpp, round % 3 == 0, 2);
            dst.Randomise(rng);
            src.Randomise(rng);
            const TRect r{between(-5, 12), between(-5, 9), between(-5, 16), between(-5, 12)};
            const TPoint at{between(-6, 12), between(-6, 10)};
            Image want = dst;
            for (int y = r.Top; y < r.Bottom; ++y)
                for (int x = r.Left; x < r.Right; ++x) {
                    const int dx = at.X + x - r.Left, dy = at.Y + y - r.Top;
                    if (x >= 0 && y >= 0 && x < src.View().width && y < src.View().height && dx >= 0 && dy >= 0 &&
                        dx < dst.View().width && dy < dst.View().height)
                        std::memcpy(want.At(dx, dy), src.At(x, y), static_cast<size_t>(dst.Bytes()));
                }
            ks::CopyRect(dst.View(), at, src.View(), r);
            EXPECT_EQ(dst.Pixels(), want.Pixels());
            EXPECT_TRUE(dst.FencesIntact());
        }
    }
}

// Random areas, many reaching past the destination, against the model: tiles laid from the
// area's corner. A tile reaching past its image, or one of no size, copies nothing.
TEST(PixelCore, TileRectRepeatsTheTileFromTheAreasCorner)
{
    for (int bpp : {24, 32}) {
        for (int round = 0; round < 80; ++round) {
            const unsigned seed = static_cast<unsigned>(bpp * 100 + round);
            SCOPED_TRACE("bpp " + std::to_string(bpp) + " seed " + std::to_string(seed));
            std::mt19937 rng(seed);
            auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
            Image dst(between(1, 60), between(1, 20), bpp, round % 2 == 0);
            Image src(between(1, 9), between(1, 7), bpp, round % 3 == 0, 2);
            dst.Randomise(rng);
            src.Randomise(rng);
            const int sw = src.View().width, sh = src.View().height;
            const int left = between(-1, sw - 1), top = between(-1, sh - 1);
            const TRect tile{left, top, between(left, sw + (round % 8 == 0)), between(top, sh + (round % 9 == 0))};
            const TRect area{between(-9, 30), between(-6, 12), between(-9, 70), between(-6, 26)};
            Image want = dst;
            const int w = tile.Right - tile.Left, h = tile.Bottom - tile.Top;
            if (w > 0 && h > 0 && tile.Left >= 0 && tile.Top >= 0 && tile.Right <= sw && tile.Bottom <= sh)
                for (int y = std::max(area.Top, 0); y < std::min(area.Bottom, dst.View().height); ++y)
                    for (int x = std::max(area.Left, 0); x < std::min(area.Right, dst.View().width); ++x)
                        std::memcpy(want.At(x, y),
                                    src.At(tile.Left + (x - area.Left) % w, tile.Top + (y - area.Top) % h),
                                    static_cast<size_t>(dst.Bytes()));
            ks::TileRect(dst.View(), area, src.View(), tile);
            EXPECT_EQ(dst.Pixels(), want.Pixels());
            EXPECT_TRUE(dst.FencesIntact());
        }
    }
    // A tile out of the destination's own pixels would be overwritten while it is copied.
    std::mt19937 rng(5);
    Image img(16, 8, 24, true);
    img.Randomise(rng);
    const std::vector<uint8_t> before = img.Pixels();
    ks::TileRect(img.View(), {4, 0, 16, 8}, img.View(), {0, 0, 4, 4});
    EXPECT_EQ(img.Pixels(), before);
}

TEST(PixelCore, ZeroPixelsClearsPixelsButNotPadding)
{
    for (int bpp : {1, 24}) {
        SCOPED_TRACE(bpp);
        std::mt19937 rng(9);
        Image img(13, 3, bpp, bpp == 1);
        img.Randomise(rng);
        ks::ZeroPixels(img.View());
        EXPECT_EQ(img.Pixels(), std::vector<uint8_t>(img.RowBytes() * 3, 0));
        EXPECT_TRUE(img.FencesIntact());
    }
}

// The passes pick their loops by the level the tables allow: every level the processor runs gives
// the plain loops' bytes, small pieces and ones large enough for the keyed copies to stream alike.
TEST(PixelCore, EveryLevelOfLoopsGivesThePlainBytes)
{
    const int cpu = static_cast<int>(ks::CpuSimdLevel());
    EXPECT_GE(cpu, static_cast<int>(ks::SimdLevel::Sse2));
    {
        const ks::test::SimdLevelLimit above(ks::SimdLevel::Avx2);
        EXPECT_EQ(static_cast<int>(ks::LimitSimdLevel(ks::SimdLevel::Avx2)), cpu) << "limited to the processor's";
    }
    // 1184 x 1184 x 3 and 1024 x 1024 x 4 bytes reach StreamingBytes.
    for (const auto& sizes : {std::pair{70, 70}, std::pair{1184, 1024}}) {
        // Plain names, not a structured binding: the lambda below captures them, which clang 14
        // (the fuzz tree's compiler) refuses for bindings.
        const int size24 = sizes.first, size32 = sizes.second;
        SCOPED_TRACE("sizes " + std::to_string(size24) + " " + std::to_string(size32));
        std::mt19937 rng(static_cast<unsigned>(size24));
        Image src24(size24, size24, 24, true, 1), src32(size32, size32, 32, false, 0);
        Image dst24(size24, size24, 24, false, 3), dst32(size32, size32, 32, true, 4);
        for (Image* image : {&src24, &src32, &dst24, &dst32})
            image->Randomise(rng);
        ks::test::Sprinkle(src24, rng);
        ks::test::Sprinkle(src32, rng);
        auto run = [&](const Image& d24, const Image& d32, const Image& keyed24, const Image& keyed32) {
            const TRect all24{0, 0, size24, size24}, all32{0, 0, size32, size32};
            // The 24-bit source's lower half as the mask of its upper one, then the whole as a mask.
            ks::AlphaBlendPiece(keyed24.View(), {0, 0, size24, size24 / 2}, src24.View(), all24, {});
            ks::BlendRectByMask24(d24.View(), keyed24.View(), src24.View(), {2, 1, size24, size24});
            ks::BlendFixed(d24.View(), all24, src24.View(), 0, size24, 77);
            ks::BlendFixed(d32.View(), all32, src32.View(), 0, size32, 200);
            ks::AlphaBlendPiece(d24.View(), {1, 0, size24, size24}, src32.View(), all32, {});
            ks::AlphaBlendPiece(d32.View(), all32, src32.View(), {0, 1, size32, size32}, {});
            ks::CopyKeyed(keyed24.View(), {0, 0}, src24.View(), all24, TransparentKeyColor, {});
            ks::CopyKeyed(keyed32.View(), {0, 0}, src32.View(), all32, TransparentKeyColor, {});
        };
        const Image plain24 = dst24, plain32 = dst32, plainKeyed24 = dst24, plainKeyed32 = dst32;
        {
            const ks::test::SimdLevelLimit plain(ks::SimdLevel::Plain);
            run(plain24, plain32, plainKeyed24, plainKeyed32);
        }
        for (int level = static_cast<int>(ks::SimdLevel::Sse2); level <= cpu; ++level) {
            SCOPED_TRACE("level " + std::to_string(level));
            const ks::test::SimdLevelLimit limit(static_cast<ks::SimdLevel>(level));
            const Image fast24 = dst24, fast32 = dst32, fastKeyed24 = dst24, fastKeyed32 = dst32;
            run(fast24, fast32, fastKeyed24, fastKeyed32);
            EXPECT_EQ(fast24.Pixels(), plain24.Pixels());
            EXPECT_EQ(fast32.Pixels(), plain32.Pixels());
            EXPECT_EQ(fastKeyed24.Pixels(), plainKeyed24.Pixels());
            EXPECT_EQ(fastKeyed32.Pixels(), plainKeyed32.Pixels());
        }
    }
}
