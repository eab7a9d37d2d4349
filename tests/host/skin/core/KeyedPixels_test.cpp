#include "skin/core/KeyedPixels.h"

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

bool Inside(const ks::PixelView& v, int64_t x, int64_t y)
{
    return x >= 0 && y >= 0 && x < v.width && y < v.height;
}

bool SameBgr(const uint8_t* p, TColor c)
{
    return p[0] == ((c >> 16) & 0xFF) && p[1] == ((c >> 8) & 0xFF) && p[2] == (c & 0xFF);
}

// Every source pixel (sx, sy) of rect lands on (at.X + sx - rect.Left, at.Y + sy - rect.Top) when
// both lie inside their images.
template <class Visit>
void ForEachPlaced(const Image& dst, TPoint at, const Image& src, const TRect& rect, Visit visit)
{
    for (int64_t sy = rect.Top; sy < rect.Bottom; ++sy)
        for (int64_t sx = rect.Left; sx < rect.Right; ++sx) {
            const int64_t dx = at.X + sx - rect.Left, dy = at.Y + sy - rect.Top;
            if (Inside(src.View(), sx, sy) && Inside(dst.View(), dx, dy))
                visit(dst.At(static_cast<int>(dx), static_cast<int>(dy)), src.At(static_cast<int>(sx), static_cast<int>(sy)),
                      static_cast<int>(dx), static_cast<int>(dy));
        }
}

void SprinkleKey(Image& img, TColor key, std::mt19937& rng)
{
    for (int y = 0; y < img.View().height; ++y)
        for (int x = 0; x < img.View().width; ++x)
            if (rng() % 3 == 0) {
                uint8_t* p = img.At(x, y);
                p[0] = static_cast<uint8_t>(key >> 16);
                p[1] = static_cast<uint8_t>(key >> 8);
                p[2] = static_cast<uint8_t>(key);
                if (img.Bytes() == 4 && rng() % 2 == 0)
                    p[3] = static_cast<uint8_t>(static_cast<uint32_t>(key) >> 24);
            }
}

struct Scene {
    Image dst, src, back;
    TPoint at;
    TRect rect;
};

Scene RandomScene(unsigned seed, std::mt19937& rng)
{
    auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    Scene s{Image(between(1, 12), between(1, 12), seed % 2 ? 24 : 32, seed % 3 == 0),
            Image(between(1, 10), between(1, 10), seed % 4 < 2 ? 24 : 32, seed % 5 == 0, 3),
            Image(between(1, 14), between(1, 14), seed % 7 < 4 ? 24 : 32, seed % 2 == 0),
            {between(-6, 12), between(-6, 12)},
            {between(-4, 9), between(-4, 9), between(-3, 13), between(-3, 13)}};
    s.dst.Randomise(rng);
    s.src.Randomise(rng);
    s.back.Randomise(rng);
    return s;
}

TEST(KeyedPixels, CopyKeyedMatchesThePerPixelReference)
{
    for (unsigned seed = 0; seed < 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Scene s = RandomScene(seed, rng);
        const TColor key = seed % 4 == 0 ? 0x123456 : TransparentKeyColor;
        SprinkleKey(s.src, key, rng);
        ks::KeyFill fill;
        fill.kind = static_cast<ks::KeyFill::Kind>(seed % 3);
        fill.backdrop = {s.back.View(), static_cast<int>(rng() % 9) - 4, static_cast<int>(rng() % 9) - 4, true, true};
        fill.colour = seed % 6 == 2 ? TransparentKeyColor : static_cast<TColor>(rng() & 0xFFFFFF);

        Image want = s.dst;
        ForEachPlaced(want, s.at, s.src, s.rect, [&](uint8_t* d, const uint8_t* p, int dx, int dy) {
            uint8_t c[3] = {p[0], p[1], p[2]};
            if (SameBgr(p, key)) {
                if (fill.kind == ks::KeyFill::Keep)
                    return;
                if (fill.kind == ks::KeyFill::Backdrop) {
                    const int bx = dx + fill.backdrop.dx, by = dy + fill.backdrop.dy;
                    if (!Inside(s.back.View(), bx, by))
                        return;
                    std::memcpy(c, s.back.At(bx, by), 3);
                } else {
                    if (fill.colour == TransparentKeyColor)
                        return;
                    c[0] = static_cast<uint8_t>(fill.colour >> 16);
                    c[1] = static_cast<uint8_t>(fill.colour >> 8);
                    c[2] = static_cast<uint8_t>(fill.colour);
                }
            }
            std::memcpy(d, c, 3);
            if (want.Bytes() == 4)
                d[3] = 255;
        });
        const Image srcBefore = s.src;

        ks::CopyKeyed(s.dst.View(), s.at, s.src.View(), s.rect, key, fill);

        ASSERT_EQ(s.dst.Pixels(), want.Pixels());
        EXPECT_EQ(s.src.Pixels(), srcBefore.Pixels());
        EXPECT_TRUE(s.dst.FencesIntact());
    }
}

// Rounded with halves to even, limited to a byte.
uint8_t Rounded(double v)
{
    return static_cast<uint8_t>(std::clamp(std::nearbyint(v), 0.0, 255.0));
}

TEST(KeyedPixels, BlendKeyedMatchesThePerPixelReference)
{
    for (unsigned seed = 0; seed < 300; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Scene s = RandomScene(seed, rng);
        const double percents[] = {0.0, 1.0, 0.5, 0.4, -0.25, 1.5, (rng() % 1001) / 1000.0};
        const double percent = percents[seed % 7];
        const TColor keys[] = {TransparentKeyColor, static_cast<TColor>(0xFF000000u | TransparentKeyColor),
                               static_cast<TColor>(0x40000000u | TransparentKeyColor)};
        const TColor key = keys[seed % 3];
        SprinkleKey(s.src, key, rng);
        const bool keyOn = (static_cast<uint32_t>(key) >> 24) != 0xFF;

        Image want = s.dst;
        ForEachPlaced(want, s.at, s.src, s.rect, [&](uint8_t* d, const uint8_t* p, int, int) {
            const bool alphaMatches = s.src.Bytes() == 3 || p[3] == static_cast<uint32_t>(key) >> 24;
            if (keyOn && SameBgr(p, key) && alphaMatches)
                return;
            for (int c = 0; c < 3; ++c)
                d[c] = Rounded(p[c] - (p[c] - d[c]) * percent);
        });

        ks::BlendKeyed(s.dst.View(), s.at, s.src.View(), s.rect, percent, key);

        ASSERT_EQ(s.dst.Pixels(), want.Pixels());
        EXPECT_TRUE(s.dst.FencesIntact());
    }
}

TEST(KeyedPixels, TintKeyedMatchesThePerPixelReference)
{
    for (unsigned seed = 0; seed < 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Image img(1 + static_cast<int>(rng() % 9), 1 + static_cast<int>(rng() % 9), seed % 2 ? 24 : 32, seed % 3 == 0);
        img.Randomise(rng);
        const TColor key = TransparentKeyColor;
        SprinkleKey(img, key, rng);
        const auto color = static_cast<TColor>(rng() & 0xFFFFFF);
        const double percent = (static_cast<int>(rng() % 1401) - 200) / 1000.0;
        Image want = img;
        for (int y = 0; y < img.View().height; ++y)
            for (int x = 0; x < img.View().width; ++x) {
                uint8_t* p = want.At(x, y);
                if (SameBgr(p, key) && (img.Bytes() == 3 || p[3] == 0))
                    continue;
                const int tint[3] = {(color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF};
                for (int c = 0; c < 3; ++c)
                    p[c] = Rounded((p[c] - tint[c]) * percent + tint[c]);
            }

        ks::TintKeyed(img.View(), color, key, percent);

        ASSERT_EQ(img.Pixels(), want.Pixels());
        EXPECT_TRUE(img.FencesIntact());
    }
}

TEST(KeyedPixels, RectanglesMixWithAColour)
{
    for (unsigned seed = 0; seed < 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Image img(1 + static_cast<int>(rng() % 9), 1 + static_cast<int>(rng() % 9), seed % 2 ? 24 : 32, seed % 3 == 0);
        img.Randomise(rng);
        const TRect r{static_cast<int>(rng() % 7) - 3, static_cast<int>(rng() % 7) - 3, static_cast<int>(rng() % 12),
                      static_cast<int>(rng() % 12)};
        const auto color = static_cast<TColor>(rng() & 0xFFFFFF);
        const double share = (static_cast<int>(rng() % 300)) / 100.0;
        Image want = img;
        const int tint[3] = {(color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF};
        for (int y = 0; y < img.View().height; ++y)
            for (int x = 0; x < img.View().width; ++x)
                if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom)
                    for (int c = 0; c < 3; ++c)
                        want.At(x, y)[c] = Rounded(want.At(x, y)[c] * share + tint[c] * (1 - share));

        ks::MixRectWithColour(img.View(), r, color, share);

        ASSERT_EQ(img.Pixels(), want.Pixels());
        EXPECT_TRUE(img.FencesIntact());
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
        Image want = dst;
        const Image& test = ownKeys ? dst : keys;
        const TPoint testAt = ownKeys ? TPoint{rect.Left, rect.Top} : keyAt;
        for (int j = 0; j < rect.Bottom - rect.Top; ++j)
            for (int i = 0; i < rect.Right - rect.Left; ++i) {
                const int tx = testAt.X + i, ty = testAt.Y + j, sx = srcAt.X + i, sy = srcAt.Y + j;
                const int dx = rect.Left + i, dy = rect.Top + j;
                if (Inside(test.View(), tx, ty) && Inside(src.View(), sx, sy) && Inside(dst.View(), dx, dy) &&
                    SameBgr(test.At(tx, ty), TransparentKeyColor))
                    std::memcpy(want.At(dx, dy), src.At(sx, sy), 4);
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
        TPoint at;
        bool moveAt;
        TRect want;
        TPoint wantAt;
    } const cases[] = {
        {"TenByTenCopiesElevenColumnsAndRows", {0, 0, 10, 10}, {3, 4}, false, {0, 0, 11, 11}, {3, 4}},
        {"LimitedToTheLastPixel", {5, 6, 40, 19}, {0, 0}, false, {5, 6, 20, 20}, {0, 0}},
        {"NegativeStartCutKeepsThePlace", {-3, -2, 4, 4}, {10, 10}, false, {0, 0, 5, 5}, {10, 10}},
        {"NegativeStartCutMovesThePlace", {-3, -2, 4, 4}, {10, 10}, true, {0, 0, 5, 5}, {13, 12}},
        {"HugeValuesSaturate", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MAX, 0}, true, {0, 0, 20, 20}, {INT_MAX, INT_MAX}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPoint at = c.at;
        const TRect r = ks::InclusiveSourceRect(c.in, src.View(), c.moveAt ? &at : nullptr);
        EXPECT_EQ(r, c.want);
        EXPECT_EQ(at.X, c.wantAt.X);
        EXPECT_EQ(at.Y, c.wantAt.Y);
    }
}

TEST(KeyedPixels, WorkedExamples)
{
    // One source pixel blended onto one destination pixel with each key and percent.
    struct Case {
        const char* name;
        int srcBpp;
        uint32_t srcBgra;
        double percent;
        TColor key;
        uint8_t want[3];
    } const cases[] = {
        {"PercentOneLeavesTheDestination", 24, 0x00102030, 1.0, TransparentKeyColor, {100, 150, 200}},
        {"PercentZeroCopies", 24, 0x00102030, 0.0, TransparentKeyColor, {0x30, 0x20, 0x10}},
        {"HalfRoundsToEven", 24, 0x00020103, 0.5, TransparentKeyColor, {52, 76, 101}},
        {"KeyPixelSkipped", 24, 0x00FF00FF, 0.0, TransparentKeyColor, {100, 150, 200}},
        {"TopByteFFDisablesTheKey", 24, 0x00FF00FF, 0.0, static_cast<TColor>(0xFFFF00FF), {0xFF, 0, 0xFF}},
        {"KeyWithAlphaZeroSkipped32", 32, 0x00FF00FF, 0.0, TransparentKeyColor, {100, 150, 200}},
        {"KeyColourWithAlphaDrawn32", 32, 0x80FF00FF, 0.0, TransparentKeyColor, {0xFF, 0, 0xFF}},
        {"RedKeyMatchesRedNotBlue32", 32, 0x000000FF, 0.0, 0x0000FF, {0xFF, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image dst(1, 1, 24, true), src(1, 1, c.srcBpp, false);
        std::memcpy(dst.At(0, 0), "\x64\x96\xC8", 3);
        std::memcpy(src.At(0, 0), &c.srcBgra, src.Bytes());
        ks::BlendKeyed(dst.View(), {0, 0}, src.View(), {0, 0, 1, 1}, c.percent, c.key);
        EXPECT_EQ(dst.Pixels(), std::vector<uint8_t>(c.want, c.want + 3));
    }
}

TEST(KeyedPixels, Greyscale)
{
    Image img(3, 1, 24, true);
    std::memcpy(img.At(0, 0), "\x0A\x14\x1F", 3); // blue 10, green 20, red 31
    std::memcpy(img.At(1, 0), "\xFF\x00\xFF", 3);
    std::memcpy(img.At(2, 0), "\xFF\xFF\xFE", 3);
    Image keyed = img;
    ks::Greyscale24(img.View(), false, TransparentKeyColor);
    ks::Greyscale24(keyed.View(), true, TransparentKeyColor);
    EXPECT_EQ(img.Pixels(), (std::vector<uint8_t>{20, 20, 20, 170, 170, 170, 254, 254, 254}));
    EXPECT_EQ(keyed.Pixels(), (std::vector<uint8_t>{20, 20, 20, 0xFF, 0, 0xFF, 254, 254, 254}));
    EXPECT_TRUE(img.FencesIntact());
}

// Whatever the rectangles and positions, nothing outside the images is touched.
TEST(KeyedPixels, HostileRectanglesStayInside)
{
    const TRect rects[] = {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MAX, INT_MAX, INT_MIN, INT_MIN},
                           {-5, -5, 0, 0}, {0, 0, 1, 1}, {1, 1, 1, 1}, {INT_MAX - 1, 0, INT_MAX, 1}};
    const TPoint places[] = {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}, {-1, -1}, {0, 0}, {INT_MAX, INT_MIN}};
    Image dst24(1, 1, 24, true), src24(1, 1, 24, false), dst32(1, 1, 32, true), src32(1, 1, 32, false);
    for (const auto& [dst, src] : {std::pair{&dst24, &src24}, std::pair{&dst32, &src32}})
        for (const TRect& r : rects)
            for (const TPoint& at : places) {
                ks::KeyFill fill;
                fill.kind = ks::KeyFill::Backdrop;
                fill.backdrop = {src->View(), INT_MIN, INT_MAX, true, true};
                ks::CopyKeyed(dst->View(), at, src->View(), r, 0, fill);
                ks::BlendKeyed(dst->View(), at, src->View(), r, 0.5, TransparentKeyColor);
                TPoint moved = at;
                ks::CopyKeyed(dst->View(), moved, src->View(), ks::InclusiveSourceRect(r, src->View(), &moved), 0, {});
                EXPECT_TRUE(dst->FencesIntact());
                EXPECT_TRUE(src->FencesIntact());
            }
}

} // namespace
