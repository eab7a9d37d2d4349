#include "skin/core/PixelEffects.h"

#include "skin/core/CacheBitmaps.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using PixelEffectsTest = VclFixture;

void Set32(TBitmap& b, int x, int y, uint32_t bgra)
{
    std::memcpy(b.ScanLine(y) + 4 * x, &bgra, 4);
}

uint32_t Get24(TBitmap& b, int x, int y)
{
    const uint8_t* p = b.ScanLine(y) + 3 * x;
    return p[0] | p[1] << 8 | p[2] << 16;
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
        EXPECT_EQ(Get24(*dst, 2, 1), 0x102030u) << "alpha 255 blends to the source here";
    }
}

// A 24-bit image is drawn from a 32-bit copy of it (alpha 0 there: nothing shows), and a
// 32-bit destination is not drawn into.
TEST_F(PixelEffectsTest, OnlyThirtyTwoBitImagesDrawAndOnlyIntoTwentyFourBits)
{
    auto src24 = NewBitmap24(2, 2);
    Fill24(*src24, 0x102030);
    auto dst = NewBitmap24(2, 2);
    DrawAlphaImage(Rect(0, 0, 2, 2), Rect(0, 0, 2, 2), *dst, src24.get(), NoBackgroundCacheInfo, false, clNone, 0,
                   false);
    EXPECT_EQ(Get24(*dst, 1, 1), 0xFFFFFFu);
    EXPECT_EQ(src24->PixelFormat(), pf24bit) << "the image itself is not converted";

    auto src = NewBitmap32(2, 2);
    Set32(*src, 1, 1, 0xFF102030);
    auto dst32 = NewBitmap32(2, 2);
    DrawAlphaImage(Rect(0, 0, 2, 2), Rect(0, 0, 2, 2), *dst32, src.get(), NoBackgroundCacheInfo, false, clNone, 0,
                   false);
    EXPECT_EQ(dst32->ScanLine(1)[4], 0xFF);
}

} // namespace
