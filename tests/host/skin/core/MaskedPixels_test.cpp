#include "skin/core/MaskedPixels.h"

#include "host/support/PixelImage.h"
#include "skin/core/sConst.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace {

using Image = ks::test::PixelImage;

bool Inside(const ks::PixelView& v, int64_t x, int64_t y)
{
    return x >= 0 && y >= 0 && x < v.width && y < v.height;
}

bool IsKeyColour(const uint8_t* p) { return p[0] == 0xFF && p[1] == 0 && p[2] == 0xFF; }

// Both blends written the other way round: the picture weighted by what the mask (or alpha)
// leaves of 256, then rounded down.
uint8_t Through(int picture, int below, int mask)
{
    return static_cast<uint8_t>(std::floor((picture * (256.0 - mask) + below * mask) / 256.0));
}

void SprinkleKey(Image& img, std::mt19937& rng)
{
    for (int y = 0; y < img.View().height; ++y)
        for (int x = 0; x < img.View().width; ++x)
            switch (rng() % 4) {
            case 0: std::memcpy(img.At(x, y), "\xFF\x00\xFF", 3); break;
            case 1: img.At(x, y)[img.Bytes() - 1] = 0; break; // alpha 0 on 32-bit images
            default: break;
            }
}

// The pieces both rectangles share, pixel by pixel: (i, j) of the rectangles where the source
// and destination pixels lie inside their images.
struct Spot {
    int sx, sy, dx, dy;
};

std::vector<Spot> Spots(const Image& dst, const TRect& dr, const Image& src, const TRect& sr)
{
    std::vector<Spot> out;
    const int64_t cols = std::min(int64_t{dr.Right} - dr.Left, int64_t{sr.Right} - sr.Left);
    const int64_t rows = std::min(int64_t{dr.Bottom} - dr.Top, int64_t{sr.Bottom} - sr.Top);
    for (int64_t j = 0; j < rows; ++j)
        for (int64_t i = 0; i < cols; ++i) {
            const int64_t sx = sr.Left + i, sy = sr.Top + j, dx = dr.Left + i, dy = dr.Top + j;
            if (Inside(src.View(), sx, sy) && Inside(dst.View(), dx, dy))
                out.push_back({int(sx), int(sy), int(dx), int(dy)});
        }
    return out;
}

struct Scene {
    Image dst, src, back;
    TRect dr, sr;
    ks::AlphaBackdrop backdrop;
};

Scene RandomScene(unsigned seed, std::mt19937& rng, int dstBpp, int srcBpp)
{
    auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Scene s{Image(between(1, 12), between(1, 12), dstBpp, seed % 2 == 0),
            Image(between(1, 10), between(1, 12), srcBpp, seed % 3 == 0, 3),
            Image(between(1, 14), between(1, 14), seed % 5 < 3 ? 24 : 32, seed % 4 == 0),
            {between(-5, 10), between(-5, 10), between(-3, 15), between(-3, 15)},
            {between(-4, 8), between(-4, 8), between(-2, 12), between(-2, 12)},
            {}};
    s.dst.Randomise(rng);
    s.src.Randomise(rng);
    s.back.Randomise(rng);
    SprinkleKey(s.src, rng);
    s.backdrop = {s.back.View(), between(-4, 4), between(-4, 4), rng() % 3 != 0, rng() % 2 == 0};
    return s;
}

// The backdrop's pixel under destination (x, y), or null.
const uint8_t* Under(const Scene& s, int x, int y)
{
    const int bx = x + s.backdrop.dx, by = y + s.backdrop.dy;
    return Inside(s.back.View(), bx, by) ? s.back.At(bx, by) : nullptr;
}

TEST(MaskedPixels, AlphaBlendPieceMatchesThePerPixelReference)
{
    const int formats[][2] = {{24, 24}, {24, 32}, {32, 32}};
    for (unsigned seed = 0; seed < 450; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        const int dstBpp = formats[seed % 3][0], srcBpp = formats[seed % 3][1];
        Scene s = RandomScene(seed, rng, dstBpp, srcBpp);
        const bool masked = srcBpp == 24;
        const int half = s.src.View().height / 2;
        Image want = s.dst;
        for (const Spot& p : Spots(want, s.dr, s.src, s.sr)) {
            if (masked && p.sy + half >= s.src.View().height)
                continue; // its mask row lies outside the image
            const uint8_t* sp = s.src.At(p.sx, p.sy);
            uint8_t* dp = want.At(p.dx, p.dy);
            if (s.backdrop.ready && IsKeyColour(sp)) {
                const uint8_t* under = s.backdrop.use ? Under(s, p.dx, p.dy) : nullptr;
                if (!under)
                    continue;
                std::memcpy(dp, under, 3);
            } else {
                for (int c = 0; c < 3; ++c)
                    dp[c] = masked ? Through(sp[c], dp[c], s.src.At(p.sx, p.sy + half)[c])
                                   : Through(dp[c], sp[c], sp[3]);
            }
            if (dstBpp == 32)
                dp[3] = 255;
        }
        const Image srcBefore = s.src;

        ks::AlphaBlendPiece(s.dst.View(), s.dr, s.src.View(), s.sr, s.backdrop);

        ASSERT_EQ(s.dst.Pixels(), want.Pixels());
        EXPECT_EQ(s.src.Pixels(), srcBefore.Pixels());
        EXPECT_TRUE(s.dst.FencesIntact());
    }
}

TEST(MaskedPixels, MaskBlendPieceMatchesThePerPixelReference)
{
    for (unsigned seed = 0; seed < 450; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        const int dstBpp = seed % 2 ? 24 : 32, srcBpp = seed % 5 < 3 ? 24 : 32;
        Scene s = RandomScene(seed, rng, dstBpp, srcBpp);
        const int offsets[] = {0, 1, 3, 50, -7, static_cast<int>(rng() % 12)};
        const int offset = offsets[seed % 6];
        const TColor fills[] = {0x102030, TransparentKeyColor, static_cast<TColor>(0x80405060)};
        const TColor fill = fills[seed % 3];
        const std::vector<Spot> spots = Spots(s.dst, s.dr, s.src, s.sr);
        Image want = s.dst;
        if (!spots.empty()) {
            const int first = spots.front().sy, rows = spots.back().sy - first + 1;
            const int maskTop = std::clamp(first + offset, 0, s.src.View().height - rows);
            for (const Spot& p : spots) {
                const uint8_t* sp = s.src.At(p.sx, p.sy);
                const uint8_t* mp = s.src.At(p.sx, maskTop + p.sy - first);
                uint8_t* dp = want.At(p.dx, p.dy);
                const bool useBack = s.backdrop.ready && s.backdrop.use;
                if (!IsKeyColour(sp) || (s.backdrop.ready && !s.backdrop.use)) {
                    for (int c = 0; c < 3; ++c)
                        dp[c] = Through(sp[c], dp[c], mp[c]);
                    if (useBack && dstBpp == 32)
                        dp[3] = 255;
                } else if (useBack) {
                    if (const uint8_t* under = Under(s, p.dx, p.dy)) {
                        std::memcpy(dp, under, 3);
                        if (dstBpp == 32)
                            dp[3] = 255;
                    }
                } else if (!s.backdrop.ready && fill != TransparentKeyColor) {
                    const uint8_t bytes[4] = {uint8_t(fill >> 16), uint8_t(fill >> 8), uint8_t(fill), uint8_t(fill >> 24)};
                    std::memcpy(dp, bytes, dstBpp / 8);
                }
            }
        }

        ks::MaskBlendPiece(s.dst.View(), s.dr, s.src.View(), s.sr, offset, s.backdrop, fill);

        ASSERT_EQ(s.dst.Pixels(), want.Pixels());
        EXPECT_TRUE(s.dst.FencesIntact());
    }
}

TEST(MaskedPixels, DrawThroughMaskRowMatchesThePerPixelReference)
{
    for (unsigned seed = 0; seed < 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        const int dstBpp = seed % 2 ? 24 : 32, srcBpp = seed % 3 ? 24 : 32;
        Scene s = RandomScene(seed, rng, dstBpp, srcBpp);
        const int offsets[] = {0, 1, 2, 5, 40, -1};
        const int offset = offsets[seed % 6];
        const bool paler = seed % 4 < 2;
        Image want = s.dst;
        for (const Spot& p : Spots(want, s.dr, s.src, s.sr)) {
            const uint8_t* sp = s.src.At(p.sx, p.sy);
            if (offset < 0 || p.sy + offset >= s.src.View().height || IsKeyColour(sp))
                continue;
            const uint8_t* mp = s.src.At(p.sx, p.sy + offset);
            uint8_t* dp = want.At(p.dx, p.dy);
            for (int c = 0; c < 3; ++c)
                dp[c] = Through(sp[c], dp[c], std::min(mp[c] + (paler ? 100 : 0), 255));
            if (dstBpp == 32)
                dp[3] = 255;
        }

        ks::DrawThroughMaskRow(s.dst.View(), s.dr, s.src.View(), s.sr, offset, paler);

        ASSERT_EQ(s.dst.Pixels(), want.Pixels());
        EXPECT_TRUE(s.dst.FencesIntact());
    }
}

TEST(MaskedPixels, WholeImageMixesMatchTheReference)
{
    for (unsigned seed = 0; seed < 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        const int w = 1 + static_cast<int>(rng() % 9), h = 1 + static_cast<int>(rng() % 9);
        Image a(w, h, 24, seed % 2 == 0), b(w, h, 24, seed % 3 == 0), mask(w, h, 24, true);
        Image dst(w + static_cast<int>(rng() % 3), h + static_cast<int>(rng() % 3), 32, seed % 5 == 0);
        for (Image* img : {&a, &b, &mask, &dst})
            img->Randomise(rng);
        const auto alpha = static_cast<uint8_t>(rng());
        const auto color = static_cast<TColor>(rng() & 0xFFFFFF);
        const bool withMask = seed % 2 == 1;

        Image dst24(w, h, 24, seed % 2 == 1);
        dst24.Randomise(rng);
        const TRect r{static_cast<int>(rng() % 5) - 2, static_cast<int>(rng() % 5) - 2, static_cast<int>(rng() % 12),
                      static_cast<int>(rng() % 12)};
        const uint8_t tint[3] = {uint8_t(color >> 16), uint8_t(color >> 8), uint8_t(color)};
        Image wantMix = dst, wantTint = a, wantRect = dst24;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c) {
                    const int m = mask.At(x, y)[c];
                    wantMix.At(x, y)[c] = Through(b.At(x, y)[c], a.At(x, y)[c], withMask ? m : alpha);
                    wantTint.At(x, y)[c] = Through(tint[c], a.At(x, y)[c], m);
                    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom)
                        wantRect.At(x, y)[c] = Through(b.At(x, y)[c], dst24.At(x, y)[c], m);
                }

        ks::MixTo32(dst.View(), a.View(), b.View(), withMask ? &mask.View() : nullptr, alpha);
        ks::BlendRectByMask24(dst24.View(), b.View(), mask.View(), r);
        ks::TintByMask24(a.View(), mask.View(), color);

        EXPECT_EQ(dst.Pixels(), wantMix.Pixels()) << "alpha and what lies beyond a stay";
        EXPECT_EQ(dst24.Pixels(), wantRect.Pixels());
        EXPECT_EQ(a.Pixels(), wantTint.Pixels());
        EXPECT_TRUE(dst.FencesIntact());
        EXPECT_TRUE(dst24.FencesIntact());
    }
}

TEST(MaskedPixels, WorkedExamples)
{
    // Mask 255 keeps a byte not above the colour's and lowers one above it by exactly 1; mask 0
    // gives the colour. A 32-bit image of alpha 0 leaves 24 bits alone and makes 32 bits opaque.
    Image img(3, 1, 24, true), mask(3, 1, 24, false);
    std::memcpy(img.At(0, 0), "\x10\x80\xF0\x10\x80\xF0\x10\x80\xF0", 9);
    std::memcpy(mask.At(0, 0), "\xFF\xFF\xFF\xFF\xFF\xFF\x00\x00\x00", 9);
    ks::TintByMask24(img.View(), mask.View(), ks::RgbColor(0x80, 0x80, 0x80));
    EXPECT_EQ(img.Pixels(), (std::vector<uint8_t>{0x10, 0x80, 0xEF, 0x10, 0x80, 0xEF, 0x80, 0x80, 0x80}));

    for (int bpp : {24, 32}) {
        SCOPED_TRACE(bpp);
        Image dst(2, 2, bpp, true), src(2, 2, 32, false);
        for (int y = 0; y < 2; ++y)
            std::memset(dst.At(0, y), 0x40, 2 * dst.Bytes());
        for (int y = 0; y < 2; ++y)
            std::memcpy(src.At(0, y), "\x10\x20\x30\x00\x90\xA0\xB0\x00", 8);
        ks::AlphaBlendPiece(dst.View(), {0, 0, 2, 2}, src.View(), {0, 0, 2, 2}, {});
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) {
                EXPECT_EQ(dst.At(x, y)[0], 0x40);
                if (bpp == 32) {
                    EXPECT_EQ(dst.At(x, y)[3], 255);
                }
            }
    }
}

TEST(MaskedPixels, BadInputDrawsNothing)
{
    Image a(4, 4, 24, true), b(4, 3, 24, false), dst32(4, 4, 32, true), small32(3, 4, 32, false), grey(4, 4, 8, true);
    std::mt19937 rng(7);
    for (Image* img : {&a, &b, &dst32, &small32, &grey})
        img->Randomise(rng);
    const std::vector<uint8_t> before = a.Pixels(), before32 = dst32.Pixels(), beforeSmall = small32.Pixels();
    struct Case {
        const char* name;
        void (*run)(Image&, Image&, Image&, Image&, Image&);
    } const cases[] = {
        {"TintMaskOfAnotherSize", [](Image& a, Image& b, Image&, Image&, Image&) { ks::TintByMask24(a.View(), b.View(), 0); }},
        {"TintMaskOfAnotherDepth", [](Image& a, Image&, Image&, Image&, Image& g) { ks::TintByMask24(a.View(), g.View(), 0); }},
        {"MixOfTwoSizes", [](Image& a, Image& b, Image& d, Image&, Image&) { ks::MixTo32(d.View(), a.View(), b.View(), nullptr, 9); }},
        {"MixIntoASmallerImage", [](Image& a, Image&, Image&, Image& s, Image&) { ks::MixTo32(s.View(), a.View(), a.View(), nullptr, 9); }},
        {"MixMaskOfAnotherSize", [](Image& a, Image& b, Image& d, Image&, Image&) { ks::MixTo32(d.View(), a.View(), a.View(), &b.View(), 9); }},
        {"MixInto24Bits", [](Image& a, Image&, Image&, Image&, Image&) { ks::MixTo32(a.View(), a.View(), a.View(), nullptr, 9); }},
        {"MaskedImageInto32Bits", [](Image& a, Image&, Image& d, Image&, Image&) { ks::AlphaBlendPiece(d.View(), {0, 0, 4, 4}, a.View(), {0, 0, 4, 4}, {}); }},
        {"EightBitSource", [](Image& a, Image&, Image&, Image&, Image& g) { ks::AlphaBlendPiece(a.View(), {0, 0, 4, 4}, g.View(), {0, 0, 4, 4}, {}); }},
        {"HugeRectangles", [](Image& a, Image&, Image& d, Image&, Image&) {
             ks::AlphaBlendPiece(a.View(), {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, d.View(), {INT_MAX, INT_MAX, INT_MIN, INT_MIN}, {});
             ks::MaskBlendPiece(d.View(), {INT_MAX, 0, INT_MIN, 4}, a.View(), {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, INT_MAX, {}, 0);
             ks::BlendRectByMask24(a.View(), a.View(), a.View(), {INT_MAX, INT_MAX, INT_MIN, INT_MIN});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.run(a, b, dst32, small32, grey);
        EXPECT_EQ(a.Pixels(), before);
        EXPECT_EQ(dst32.Pixels(), before32);
        EXPECT_EQ(small32.Pixels(), beforeSmall);
    }
}

// Mask rows far below or above the image, and one-pixel images, read and write nothing outside.
TEST(MaskedPixels, MaskRowsStayInsideTheImage)
{
    for (int height : {1, 2, 3, 7})
        for (int offset : {INT_MIN, -3, 0, 1, 2, 5, INT_MAX}) {
            SCOPED_TRACE(std::to_string(height) + " rows, offset " + std::to_string(offset));
            Image dst(3, height, 24, true), src(3, height, 24, false);
            std::mt19937 rng(static_cast<unsigned>(height));
            src.Randomise(rng);
            ks::MaskBlendPiece(dst.View(), {0, 0, 3, height}, src.View(), {0, 0, 3, height}, offset, {}, 0);
            ks::AlphaBlendPiece(dst.View(), {0, 0, 3, height}, src.View(), {0, 0, 3, height}, {});
            EXPECT_TRUE(dst.FencesIntact());
        }
}

} // namespace
