#include "skin/core/PixelEffects.h"

#include "skin/core/CacheBitmaps.h"
#include "win/vcl/GdiFlat.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using PixelEffectsTest = GdiFlat;

void Set32(TBitmap& b, int x, int y, uint32_t bgra)
{
    std::memcpy(b.ScanLine(y) + 4 * x, &bgra, 4);
}

uint32_t Get24(TBitmap& b, int x, int y)
{
    const uint8_t* p = b.ScanLine(y) + 3 * x;
    return p[0] | p[1] << 8 | p[2] << 16;
}

// The alpha blend of each byte of two blue-green-red words.
uint32_t Blend(uint32_t s, uint32_t d, int a)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
        out |= static_cast<uint32_t>(((sc - dc) * a + dc * 256) >> 8 & 0xFF) << shift;
    }
    return out;
}

void Fill24(TBitmap& b, uint32_t bgr)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            std::memcpy(b.ScanLine(y) + 3 * x, &bgr, 3);
}

TEST_F(PixelEffectsTest, KeyPixelsTakeAReadyBackgroundOnlyWhenAskedTo)
{
    auto src = NewBitmap32(2, 1);
    Set32(*src, 0, 0, 0x00FF00FF); // the key colour with alpha 0
    Set32(*src, 1, 0, 0xFF102030); // opaque
    auto parent = NewBitmap24(10, 10);
    Fill24(*parent, 0x445566);
    const CacheInfo background = CacheInfoFromBitmap(parent.get(), 3, 4);
    struct Case {
        const char* name;
        CacheInfo background;
        bool useBackground;
        uint32_t key;
    } cases[] = {
        {"Used", background, true, 0x445566},
        {"NotUsed", background, false, 0x777777},
        {"NotReady", NoBackgroundCacheInfo, true, 0x777777},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto dst = NewBitmap24(4, 2);
        Fill24(*dst, 0x777777);
        DrawAlphaImage(Rect(1, 1, 3, 2), Rect(0, 0, 2, 1), *dst, src.get(), c.background, c.useBackground, clNone, 0,
                       false);
        EXPECT_EQ(Get24(*dst, 1, 1), c.key);
        EXPECT_EQ(Get24(*dst, 2, 1), Blend(0x102030, 0x777777, 255));
    }
}

TEST_F(PixelEffectsTest, TintingLeavesTheSourceAsItWas)
{
    auto src = NewBitmap32(1, 1);
    Set32(*src, 0, 0, 0xFF3C1E00); // blue 0, green 30, red 60: grey 30
    auto dst = NewBitmap24(1, 1);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        DrawAlphaImage(Rect(0, 0, 1, 1), Rect(0, 0, 1, 1), *dst, src.get(), NoBackgroundCacheInfo, false, 0x0000FF,
                       0, false);
        // Tinted red, grey 30 becomes red 30, green and blue 0 (blue-green-red word 0x1E0000).
        EXPECT_EQ(Get24(*dst, 0, 0), Blend(0x1E0000, 0xFFFFFF, 255));
        Fill24(*dst, 0xFFFFFF);
    }
    uint32_t after;
    std::memcpy(&after, src->ScanLine(0), 4);
    EXPECT_EQ(after, 0xFF3C1E00u);
}

TEST_F(PixelEffectsTest, ClipsAtEveryEdgeAndOnlyDrawsInto24Bits)
{
    auto src = NewBitmap32(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            Set32(*src, x, y, 0xFF000000 | static_cast<uint32_t>(16 * y + x));
    auto dst = NewBitmap24(3, 3);
    Fill24(*dst, 0);
    // Two columns and one row cut off above and to the left; the rest runs past the right.
    DrawAlphaImage(Rect(-2, -1, 2, 3), Rect(0, 0, 4, 4), *dst, src.get(), NoBackgroundCacheInfo, false, clNone, 0,
                   false);
    auto expected = [](int sx, int sy) { return Blend(static_cast<uint32_t>(16 * sy + sx), 0, 255); };
    EXPECT_EQ(Get24(*dst, 0, 0), expected(2, 1));
    EXPECT_EQ(Get24(*dst, 1, 1), expected(3, 2));
    EXPECT_EQ(Get24(*dst, 2, 0), 0u);

    auto dst32 = NewBitmap32(3, 3);
    DrawAlphaImage(Rect(0, 0, 3, 3), Rect(0, 0, 3, 3), *dst32, src.get(), NoBackgroundCacheInfo, false, clNone, 0,
                   false);
    EXPECT_EQ(dst32->ScanLine(1)[4], 0xFF) << "a 32-bit destination is not drawn into";
}

} // namespace
