#include "skin/pixels/AlphaImage.h"

#include "host/support/PixelImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace {

using Image = ks::test::PixelImage;

struct Params {
    TRect dstRect, srcRect;
    TColor tint = clNone;
    int transparency = 0;
    bool reflected = false;
    bool ready = false, use = false;
    int bx = 0, by = 0;
};

// The alpha blend written the other way round: the source weighted a, the destination 256 - a.
uint8_t Blend(int s, int d, int a)
{
    return static_cast<uint8_t>(static_cast<int>(std::floor((s * a + d * (256.0 - a)) / 256.0)));
}

bool IsKeyWord(const uint8_t* p)
{
    return p[0] == 0xFF && p[1] == 0 && p[2] == 0xFF && p[3] == 0;
}

void Draw(uint8_t* d, const uint8_t* s, const Params& p, int a)
{
    uint8_t c[3] = {s[0], s[1], s[2]};
    if (p.tint != clNone && !(s[0] == 0xFF && s[1] == 0 && s[2] == 0xFF)) {
        const int grey = (s[0] + s[1] + s[2]) / 3;
        const int tint[3] = {(p.tint >> 16) & 0xFF, (p.tint >> 8) & 0xFF, p.tint & 0xFF};
        for (int k = 0; k < 3; ++k)
            c[k] = static_cast<uint8_t>(std::clamp<double>(std::nearbyint(grey * (tint[k] / 255.0)), 0, 255));
    }
    for (int k = 0; k < 3; ++k)
        d[k] = Blend(c[k], d[k], a);
}

// The painter pixel by pixel: destination dstRect.Left + i takes source srcRect.Left + i, for i
// below both rectangles' sizes, where both pixels lie inside their images.
void Reference(Image& dst, const Image& src, const Image* backdrop, const Params& p)
{
    const ks::PixelView& d = dst.View();
    const ks::PixelView& s = src.View();
    const int t = std::clamp(p.transparency, 0, 100);
    const int cols = std::min(p.dstRect.Width(), p.srcRect.Width());
    const int rows = std::min(p.dstRect.Height(), p.srcRect.Height());
    auto inside = [](const ks::PixelView& v, int x, int y) { return x >= 0 && y >= 0 && x < v.width && y < v.height; };
    std::vector<int> columns;
    for (int i = 0; i < cols; ++i)
        if (inside(d, p.dstRect.Left + i, 0) && inside(s, p.srcRect.Left + i, 0))
            columns.push_back(i);
    bool any = false;
    for (int j = 0; j < rows; ++j) {
        const int dy = p.dstRect.Top + j, sy = p.srcRect.Top + j;
        if (!inside(d, 0, dy) || !inside(s, 0, sy))
            continue;
        for (int i : columns) {
            any = true;
            const int dx = p.dstRect.Left + i;
            uint8_t* dp = dst.At(dx, dy);
            const uint8_t* sp = src.At(p.srcRect.Left + i, sy);
            if (p.ready && IsKeyWord(sp)) {
                if (p.use && backdrop && inside(backdrop->View(), dx + p.bx, dy + p.by))
                    std::memcpy(dp, backdrop->At(dx + p.bx, dy + p.by), 3);
                continue;
            }
            const int a = sp[3] * (100 - t) / 100;
            if (a > 0)
                Draw(dp, sp, p, a);
        }
    }
    const int half = s.height / 2;
    if (!any || !p.reflected || half == 0)
        return;
    for (int k = 1; k <= std::min(half - 1, d.height - p.dstRect.Bottom - 1); ++k) {
        const int dy = p.dstRect.Bottom + k, sy = p.srcRect.Bottom - k - 1;
        if (dy < 0 || sy < 0 || sy >= s.height)
            continue;
        const int fade = 255 - (k - 1) * (255 / half);
        for (int i : columns) {
            const uint8_t* sp = src.At(p.srcRect.Left + i, sy);
            const int a = sp[3] * (100 - t) / 300 * fade / 255;
            if (!IsKeyWord(sp) && a > 0)
                Draw(dst.At(p.dstRect.Left + i, dy), sp, p, a);
        }
    }
}

TEST(AlphaImage, MatchesThePerPixelReference)
{
    for (int round = 0; round < 400; ++round) {
        const unsigned seed = static_cast<unsigned>(round);
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        Image dst(between(1, 14), between(1, 14), 24, round % 2 == 0);
        Image src(between(1, 10), between(1, 10), 32, round % 3 == 0, 3);
        Image back(between(1, 16), between(1, 16), round % 4 < 2 ? 24 : 32, round % 5 == 0);
        dst.Randomise(rng);
        src.Randomise(rng);
        back.Randomise(rng);
        for (int y = 0; y < src.View().height; ++y)
            for (int x = 0; x < src.View().width; ++x) {
                uint8_t* q = src.At(x, y);
                switch (between(0, 5)) {
                case 0: std::memcpy(q, "\xFF\x00\xFF\x00", 4); break; // the key with alpha 0
                case 1: std::memcpy(q, "\xFF\x00\xFF", 3); break;     // the key colour with some alpha
                case 2: q[3] = 255; break;
                case 3: q[3] = 0; break;
                default: break;
                }
            }
        Params p;
        p.dstRect = {between(-5, 12), between(-5, 12), between(-3, 18), between(-3, 18)};
        p.srcRect = {between(-4, 8), between(-4, 8), between(-2, 12), between(-2, 12)};
        p.tint = between(0, 2) == 0 ? static_cast<TColor>(rng() & 0xFFFFFF) : clNone;
        p.transparency = between(0, 2) == 0 ? between(-10, 110) : 0;
        p.reflected = between(0, 1) == 1;
        p.ready = between(0, 2) != 0;
        p.use = between(0, 1) == 1;
        p.bx = between(-4, 4);
        p.by = between(-4, 4);
        Image want = dst;
        const Image srcBefore = src;
        Reference(want, src, &back, p);

        ks::DrawAlphaImage32(dst.View(), p.dstRect, src.View(), p.srcRect,
                             {back.View(), p.bx, p.by, p.ready, p.use}, p.tint, p.transparency, p.reflected);

        ASSERT_EQ(dst.Pixels(), want.Pixels());
        EXPECT_EQ(src.Pixels(), srcBefore.Pixels()) << "the image is only read";
        EXPECT_TRUE(dst.FencesIntact());
    }
}

TEST(AlphaImage, DrawsOnlyThirtyTwoBitsIntoTwentyFour)
{
    struct Case {
        const char* name;
        int dstBpp, srcBpp;
    } const cases[] = {{"IntoThirtyTwo", 32, 32}, {"FromTwentyFour", 24, 24}, {"IntoEight", 8, 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937 rng(1);
        Image dst(4, 4, c.dstBpp, true), src(4, 4, c.srcBpp, true);
        dst.Randomise(rng);
        src.Randomise(rng);
        const std::vector<uint8_t> before = dst.Pixels();
        ks::DrawAlphaImage32(dst.View(), {0, 0, 4, 4}, src.View(), {0, 0, 4, 4}, {}, clNone, 0, true);
        EXPECT_EQ(dst.Pixels(), before);
    }
}

TEST(AlphaImage, WorkedExamples)
{
    Image dst(2, 1, 24, true), src(2, 1, 32, false);
    std::memset(dst.At(0, 0), 0x77, 6);
    std::memcpy(src.At(0, 0), "\x00\x1E\x3C\xFF", 4); // blue 0, green 30, red 60: grey 30
    std::memcpy(src.At(1, 0), "\xC8\x64\x00\x80", 4); // half alpha
    ks::DrawAlphaImage32(dst.View(), {0, 0, 2, 1}, src.View(), {0, 0, 2, 1}, {}, clRed, 0, false);
    // Tinted red: red 30, green and blue 0, opaque (255 / 256 of the way).
    EXPECT_EQ(std::vector<uint8_t>(dst.At(0, 0), dst.At(0, 0) + 3), (std::vector<uint8_t>{0, 0, 30}));
    // Grey (200 + 100 + 0) / 3 = 100 tinted red, half over 0x77: (100 * 128 + 119 * 128) / 256.
    EXPECT_EQ(std::vector<uint8_t>(dst.At(1, 0), dst.At(1, 0) + 3), (std::vector<uint8_t>{59, 59, 109}));
}

} // namespace
