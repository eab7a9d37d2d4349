#include "skin/pixels/KeyedPixels.h"

#include "host/support/PixelImage.h"
#include "skin/core/sConst.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <utility>

namespace {

using Image = ks::test::PixelImage;

bool Inside(const ks::PixelView& v, int64_t x, int64_t y) { return x >= 0 && y >= 0 && x < v.width && y < v.height; }

bool SameBgr(const uint8_t* p, TColor c)
{
    return p[0] == ((c >> 16) & 0xFF) && p[1] == ((c >> 8) & 0xFF) && p[2] == (c & 0xFF);
}

uint8_t Rounded(double v) { return static_cast<uint8_t>(std::clamp(std::nearbyint(v), 0.0, 255.0)); }

// A third of the pixels get the key's colour, 32-bit ones half of them also its top byte as alpha.
void SprinkleKey(Image& img, TColor key, std::mt19937& rng)
{
    for (int y = 0; y < img.View().height; ++y)
        for (int x = 0; x < img.View().width; ++x)
            if (rng() % 3 == 0) {
                const uint8_t bytes[4] = {uint8_t(key >> 16), uint8_t(key >> 8), uint8_t(key), uint8_t(key >> 24)};
                std::memcpy(img.At(x, y), bytes, img.Bytes() == 4 && rng() % 2 ? 4 : 3);
            }
}

// Both keyed piece routines against per-pixel models: source pixel (sx, sy) of the rectangle
// lands on at + (sx, sy) - the rectangle's corner, where both lie inside their images.
TEST(KeyedPixels, PiecesMatchThePerPixelReference)
{
    for (unsigned seed = 0; seed < 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        Image dst(between(1, 12), between(1, 12), seed % 2 ? 24 : 32, seed % 3 == 0);
        Image src(between(1, 10), between(1, 10), seed % 4 < 2 ? 24 : 32, seed % 5 == 0, 3);
        Image back(between(1, 14), between(1, 14), seed % 7 < 4 ? 24 : 32, seed % 2 == 0);
        const TPoint at{between(-6, 12), between(-6, 12)};
        const TRect rect{between(-4, 9), between(-4, 9), between(-3, 13), between(-3, 13)};
        // Keys: plain, one that skips nothing (top byte 0xFF), one with an alpha to match.
        const TColor keys[] = {TransparentKeyColor, TColor(0xFF000000u | TransparentKeyColor), TColor(0x40123456)};
        const TColor key = keys[seed % 3];
        const double percents[] = {0.0, 1.0, 0.5, 0.4, -0.25, 1.5, between(0, 1000) / 1000.0};
        const double percent = percents[seed % 7];
        for (Image* img : {&dst, &src, &back})
            img->Randomise(rng);
        SprinkleKey(src, key, rng);
        ks::KeyFill fill;
        fill.kind = static_cast<ks::KeyFill::Kind>(seed % 3);
        fill.backdrop = {back.View(), between(-4, 4), between(-4, 4), true, true};
        fill.colour = seed % 6 == 2 ? TransparentKeyColor : static_cast<TColor>(rng() & 0xFFFFFF);

        Image copied = dst, blended = dst, wantCopy = dst, wantBlend = dst;
        for (int sy = rect.Top; sy < rect.Bottom; ++sy)
            for (int sx = rect.Left; sx < rect.Right; ++sx) {
                const int dx = at.X + sx - rect.Left, dy = at.Y + sy - rect.Top;
                if (!Inside(src.View(), sx, sy) || !Inside(dst.View(), dx, dy))
                    continue;
                const uint8_t* p = src.At(sx, sy);
                const bool bgrKey = SameBgr(p, key);
                // The blend's key: three bytes of a 24-bit source, the colour and alpha of a 32-bit one.
                const bool blendKey = (uint32_t(key) >> 24) != 0xFF && bgrKey &&
                                      (src.Bytes() == 3 || p[3] == uint32_t(key) >> 24);
                uint8_t* b = wantBlend.At(dx, dy);
                for (int c = 0; c < 3 && !blendKey; ++c)
                    b[c] = Rounded(p[c] - (p[c] - b[c]) * percent);

                const uint8_t colour[3] = {uint8_t(fill.colour >> 16), uint8_t(fill.colour >> 8), uint8_t(fill.colour)};
                const uint8_t* c = p;
                if (bgrKey) {
                    const int bx = dx + fill.backdrop.dx, by = dy + fill.backdrop.dy;
                    c = fill.kind == ks::KeyFill::Backdrop && Inside(back.View(), bx, by) ? back.At(bx, by)
                        : fill.kind == ks::KeyFill::Colour ? colour
                                                           : nullptr;
                }
                if (c) {
                    std::memcpy(wantCopy.At(dx, dy), c, 3);
                    if (dst.Bytes() == 4)
                        wantCopy.At(dx, dy)[3] = 255;
                }
            }
        const Image srcBefore = src;

        ks::CopyKeyed(copied.View(), at, src.View(), rect, key, fill);
        ks::BlendKeyed(blended.View(), at, src.View(), rect, percent, key);

        ASSERT_EQ(copied.Pixels(), wantCopy.Pixels());
        ASSERT_EQ(blended.Pixels(), wantBlend.Pixels());
        EXPECT_EQ(src.Pixels(), srcBefore.Pixels());
        EXPECT_TRUE(copied.FencesIntact() && blended.FencesIntact());
    }
}

// The whole-view tint (key pixels kept) and the rectangle mix with a colour, per pixel.
TEST(KeyedPixels, ColourMixesMatchThePerPixelReference)
{
    for (unsigned seed = 0; seed < 80; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Image img(1 + int(rng() % 9), 1 + int(rng() % 9), seed % 2 ? 24 : 32, seed % 3 == 0);
        img.Randomise(rng);
        SprinkleKey(img, TransparentKeyColor, rng);
        const auto color = static_cast<TColor>(rng() & 0xFFFFFF);
        const double share = (int(rng() % 1700) - 200) / 1000.0;
        const TRect r{int(rng() % 7) - 3, int(rng() % 7) - 3, int(rng() % 12), int(rng() % 12)};
        const int tint[3] = {(color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF};
        Image tinted = img, wantTint = img, wantMix = img;
        for (int y = 0; y < img.View().height; ++y)
            for (int x = 0; x < img.View().width; ++x)
                for (int c = 0; c < 3; ++c) {
                    const uint8_t* p = img.At(x, y);
                    if (!SameBgr(p, TransparentKeyColor) || (img.Bytes() == 4 && p[3] != 0))
                        wantTint.At(x, y)[c] = Rounded((p[c] - tint[c]) * share + tint[c]);
                    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom)
                        wantMix.At(x, y)[c] = Rounded(p[c] * share + tint[c] * (1 - share));
                }

        ks::TintKeyed(tinted.View(), color, TransparentKeyColor, share);
        ks::MixRectWithColour(img.View(), r, color, share);

        ASSERT_EQ(tinted.Pixels(), wantTint.Pixels());
        ASSERT_EQ(img.Pixels(), wantMix.Pixels());
        EXPECT_TRUE(img.FencesIntact() && tinted.FencesIntact());
    }
}

TEST(KeyedPixels, RestoreKeyed32MatchesThePerPixelReference)
{
    for (unsigned seed = 0; seed < 200; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        Image dst(between(1, 8), between(1, 8), 32, seed % 2 == 0), src(between(1, 8), between(1, 8), 32, seed % 3 == 0);
        Image keys(between(1, 8), between(1, 8), seed % 4 < 2 ? 24 : 32, true);
        for (Image* img : {&dst, &src, &keys}) {
            img->Randomise(rng);
            SprinkleKey(*img, TransparentKeyColor, rng);
        }
        const bool ownKeys = seed % 5 == 0;
        const TRect rect{between(-3, 6), between(-3, 6), between(-2, 10), between(-2, 10)};
        const TPoint srcAt{between(-3, 5), between(-3, 5)}, keyAt{between(-3, 5), between(-3, 5)};
        const Image& test = ownKeys ? dst : keys;
        const TPoint testAt = ownKeys ? TPoint{rect.Left, rect.Top} : keyAt;
        Image want = dst;
        for (int j = 0; j < rect.Bottom - rect.Top; ++j)
            for (int i = 0; i < rect.Right - rect.Left; ++i) {
                const int tx = testAt.X + i, ty = testAt.Y + j, sx = srcAt.X + i, sy = srcAt.Y + j;
                if (Inside(test.View(), tx, ty) && Inside(src.View(), sx, sy) &&
                    Inside(dst.View(), rect.Left + i, rect.Top + j) && SameBgr(test.At(tx, ty), TransparentKeyColor))
                    std::memcpy(want.At(rect.Left + i, rect.Top + j), src.At(sx, sy), 4);
            }

        ks::RestoreKeyed32(dst.View(), rect, src.View(), srcAt, ownKeys ? nullptr : &keys.View(), keyAt,
                           TransparentKeyColor);

        ASSERT_EQ(dst.Pixels(), want.Pixels());
        EXPECT_TRUE(dst.FencesIntact());
    }
}

TEST(KeyedPixels, InclusiveSourceRects)
{
    const Image src(20, 20, 24, true);
    struct Case {
        const char* name;
        TRect in;
        bool moveAt;
        TRect want;
        TPoint wantAt;
    } const cases[] = {
        {"TenByTenCopiesElevenColumnsAndRows", {0, 0, 10, 10}, false, {0, 0, 11, 11}, {3, 4}},
        {"LimitedToTheLastPixel", {5, 6, 40, 19}, false, {5, 6, 20, 20}, {3, 4}},
        {"NegativeStartCutKeepsThePlace", {-3, -2, 4, 4}, false, {0, 0, 5, 5}, {3, 4}},
        {"NegativeStartCutMovesThePlace", {-3, -2, 4, 4}, true, {0, 0, 5, 5}, {6, 6}},
        {"HugeValuesSaturate", {INT_MIN, -INT_MAX, INT_MAX, INT_MAX}, true, {0, 0, 20, 20}, {INT_MAX, INT_MAX}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPoint at{3, 4};
        EXPECT_EQ(ks::InclusiveSourceRect(c.in, src.View(), c.moveAt ? &at : nullptr), c.want);
        EXPECT_EQ(at.X, c.wantAt.X);
        EXPECT_EQ(at.Y, c.wantAt.Y);
    }
}

TEST(KeyedPixels, Greyscale)
{
    Image img(3, 1, 24, true);
    std::memcpy(img.At(0, 0), "\x0A\x14\x1F\xFF\x00\xFF\xFF\xFF\xFE", 9); // (10, 20, 31), the key, near white
    Image keyed = img;
    ks::Greyscale24(img.View(), false, TransparentKeyColor);
    ks::Greyscale24(keyed.View(), true, TransparentKeyColor);
    EXPECT_EQ(img.Pixels(), (std::vector<uint8_t>{20, 20, 20, 170, 170, 170, 254, 254, 254}));
    EXPECT_EQ(keyed.Pixels(), (std::vector<uint8_t>{20, 20, 20, 0xFF, 0, 0xFF, 254, 254, 254}));
}

// Whatever the rectangles and positions, nothing outside the images is touched.
TEST(KeyedPixels, HostileRectanglesStayInside)
{
    const TRect rects[] = {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MAX, INT_MAX, INT_MIN, INT_MIN}, {1, 1, 1, 1}};
    const TPoint places[] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {-1, -1}, {INT_MAX, INT_MIN}};
    Image dst24(1, 1, 24, true), src24(1, 1, 24, false), dst32(1, 1, 32, true), src32(1, 1, 32, false);
    for (auto [dst, src] : {std::pair<Image&, Image&>{dst24, src24}, std::pair<Image&, Image&>{dst32, src32}}) {
        for (const TRect& r : rects)
            for (TPoint at : places) {
                ks::KeyFill fill{ks::KeyFill::Backdrop, {src.View(), INT_MIN, INT_MAX, true, true}, 0};
                ks::CopyKeyed(dst.View(), at, src.View(), r, 0, fill);
                ks::BlendKeyed(dst.View(), at, src.View(), r, 0.5, 0);
                ks::CopyKeyed(dst.View(), at, src.View(), ks::InclusiveSourceRect(r, src.View(), &at), 0, {});
                ks::RestoreKeyed32(dst.View(), r, src.View(), at, &src.View(), at, 0);
                EXPECT_TRUE(dst.FencesIntact() && src.FencesIntact());
            }
    }
}

} // namespace
