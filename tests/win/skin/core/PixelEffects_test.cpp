#include "skin/core/PixelEffects.h"

#include "skin/core/CacheBitmaps.h"
#include "win/support/Pixels24.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

using PixelEffectsTest = VclFixture;

void Set32(TBitmap& b, int x, int y, uint32_t bgra)
{
    std::memcpy(b.ScanLine(y) + 4 * x, &bgra, 4);
}

using ks::test::Fill24;
using ks::test::Get24;

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

void Fill32(TBitmap& b, uint32_t bgra)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            Set32(b, x, y, bgra);
}

// The shadow's rings are the only GDI drawing of these effects: what transparency and blur give
// inside and outside the rectangle, and that hostile arguments stay inside the bitmap.
TEST_F(PixelEffectsTest, SoftShadowDarkensTheRectangleTowardsTheColour)
{
    struct Case {
        const char* name;
        TRect r;
        int transparency, blur, radius;
        // -1: every byte within 1 of the original; else the value of every byte inside r.
        int inside;
    } const cases[] = {
        {"TransparencyHundredChangesNothing", {2, 2, 18, 14}, 100, 4, 6, -1},
        {"BlurZeroTintsEvenlyWithSharpCorners", {2, 2, 18, 14}, 50, 0, 6, (200 * 127 + 0x40 * 129) >> 8},
        {"TransparencyZeroGivesTheColourInside", {0, 0, 20, 16}, 0, 0, 0, 0x40},
        {"TransparencyAboveHundredChangesNothing", {2, 2, 18, 14}, 250, 3, 3, -1},
        {"NegativeBlurAndRadius", {2, 2, 18, 14}, 0, -5, -5, 0x40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto bmp = NewBitmap24(20, 16);
        Fill24(*bmp, 0xC8C8C8);
        DrawSoftShadow(*bmp, c.r, c.transparency, 0x404040, c.blur, c.radius);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 20; ++x) {
                const uint32_t p = Get24(*bmp, x, y);
                const bool in = x >= c.r.Left && x < c.r.Right && y >= c.r.Top && y < c.r.Bottom;
                if (!in || c.inside < 0)
                    ASSERT_LE(std::abs(int(p & 0xFF) - 0xC8), 1) << x << "," << y;
                else
                    ASSERT_EQ(p, uint32_t(c.inside) * 0x010101u) << x << "," << y;
            }
    }
}

TEST_F(PixelEffectsTest, SoftShadowOutOfRangeRectanglesAndTinyBitmaps)
{
    auto bmp = NewBitmap24(1, 1);
    DrawSoftShadow(*bmp, Rect(5, 5, 2, 2), 0, 0, 10, 10);
    EXPECT_EQ(Get24(*bmp, 0, 0), 0xFFFFFFu) << "an empty rectangle";
    DrawSoftShadow(*bmp, Rect(-50, -50, 500, 500), 0, 0, 10, 10);
    EXPECT_EQ(Get24(*bmp, 0, 0), 0u) << "clipped to the one pixel";
    auto bmp32 = NewBitmap32(4, 4);
    DrawSoftShadow(*bmp32, Rect(0, 0, 4, 4), 0, 0, 1, 1);
    EXPECT_EQ(bmp32->ScanLine(1)[4], 0xFF) << "only 24-bit bitmaps are shaded";
}

// A shadow reaching past the bitmap has the rings of its whole rectangle: the part inside looks
// as that part of the same shadow drawn whole on a bitmap large enough.
TEST_F(PixelEffectsTest, SoftShadowPartlyOutsideKeepsTheRingsOfItsRectangle)
{
    struct Case {
        const char* name;
        int ox, oy; // where the small bitmap lies in the whole shadow
        int w, h;   // the small bitmap's size
    } const cases[] = {
        {"CutOnTheLeft", 20, 0, 40, 30},
        {"CutAtTheTopRight", 0, 8, 45, 22},
        {"CutOnEverySide", 12, 9, 30, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto whole = NewBitmap24(60, 30);
        Fill24(*whole, 0xC8C8C8);
        DrawSoftShadow(*whole, Rect(0, 0, 60, 30), 30, 0x402010, 6, 10);
        auto part = NewBitmap24(c.w, c.h);
        Fill24(*part, 0xC8C8C8);
        DrawSoftShadow(*part, Rect(-c.ox, -c.oy, 60 - c.ox, 30 - c.oy), 30, 0x402010, 6, 10);
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                ASSERT_EQ(Get24(*part, x, y), Get24(*whole, x + c.ox, y + c.oy)) << x << "," << y;
    }
}

// What the adapter decides before the keyed copy: where key pixels come from.
TEST_F(PixelEffectsTest, KeyPixelsOfAKeyedCopyOverABackground)
{
    auto parent24 = NewBitmap24(8, 8);
    Fill24(*parent24, 0x445566);
    auto parent32 = NewBitmap32(8, 8);
    Fill32(*parent32, 0x00112233);
    struct Case {
        const char* name;
        bool dst32;
        TBitmap* background; // nullptr: the destination itself
        bool ready, use;
        TColor fill;
        uint32_t key, other; // the destination's pixels afterwards (colour bytes)
    } const cases[] = {
        {"Background", false, parent24.get(), true, true, 0, 0x445566, 0x102030},
        {"BackgroundIsTheDestination", false, nullptr, true, true, 0, 0x777777, 0x102030},
        {"NotUsedTakesTheFillColour", false, parent24.get(), true, false, 0x0000FF, 0xFF0000, 0x102030},
        // Magenta marks the pixel transparent for the painters that read the cache later.
        {"AMagentaFillColourIsWritten", false, parent24.get(), false, true, TransparentKeyColor, 0xFF00FF, 0x102030},
        {"AMagentaFillColourIntoThirtyTwoBits", true, nullptr, false, false, TransparentKeyColor, 0xFF00FF, 0x102030},
        {"ThirtyTwoBitsNeedAThirtyTwoBitBackground", true, parent24.get(), true, true, 0, 0x777777, 0x777777},
        {"ThirtyTwoBitBackground", true, parent32.get(), true, true, 0, 0x112233, 0x102030},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto src = NewBitmap24(2, 1);
        std::memcpy(src->ScanLine(0), "\xFF\x00\xFF\x30\x20\x10", 6);
        auto dst = c.dst32 ? NewBitmap32(4, 4) : NewBitmap24(4, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                std::memcpy(dst->ScanLine(y) + x * (c.dst32 ? 4 : 3), "\x77\x77\x77\x00", c.dst32 ? 4 : 3);
        CacheInfo ci{c.background ? c.background : dst.get(), 1, 1, c.fill, c.ready};
        CopyRectOverBackground(*dst, *src, 1, 2, Rect(0, 0, 1, 0), TransparentKeyColor, ci, c.use);
        const int bytes = c.dst32 ? 4 : 3;
        auto colour = [&](int x) {
            const uint8_t* p = dst->ScanLine(2) + x * bytes;
            return uint32_t(p[0] | p[1] << 8 | p[2] << 16);
        };
        EXPECT_EQ(colour(1), c.key);
        EXPECT_EQ(colour(2), c.other);
    }
}

// Without a ready background a masked piece's key pixels take the fill colour, magenta too.
TEST_F(PixelEffectsTest, KeyPixelsOfAMaskedPieceWithoutABackgroundTakeTheFillColour)
{
    auto image = NewBitmap24(2, 2); // pictures in row 0, their mask (0: the picture) in row 1
    std::memcpy(image->ScanLine(0), "\xFF\x00\xFF\x30\x20\x10", 6);
    std::memset(image->ScanLine(1), 0, 6);
    TsMaskData mask;
    mask.R = {0, 0, 2, 2};
    mask.MaskType = 1;
    for (TColor fill : {TColor(0x0000FF), TransparentKeyColor}) {
        SCOPED_TRACE(fill);
        auto dst = NewBitmap24(2, 1);
        Fill24(*dst, 0x777777);
        DrawMaskPartAlpha({0, 0, 2, 1}, {0, 0, 2, 1}, *dst, image.get(), {nullptr, 0, 0, fill, false}, true, mask);
        EXPECT_EQ(Get24(*dst, 0, 0), ((fill & 0xFF) << 16) | (fill & 0xFF00) | ((fill >> 16) & 0xFF));
        EXPECT_EQ(Get24(*dst, 1, 0), 0x102030u);
    }
}

TEST_F(PixelEffectsTest, FixedBlendsOfRectanglesAndWholeBitmaps)
{
    auto src = NewBitmap24(10, 1);
    for (int x = 0; x < 10; ++x)
        std::memset(src->ScanLine(0) + 3 * x, 10 * x, 3);
    auto dst = NewBitmap24(4, 1);
    // Alpha 0: the destination takes the source (one step darker at most).
    BlendBitmapRect(*dst, *src, 0, Rect(0, 0, 10, 1), Point(-5, 0));
    EXPECT_EQ(dst->ScanLine(0)[0], (50 * 255 + 127) >> 8) << "the blend starts five columns into the source";
    EXPECT_EQ(dst->ScanLine(0)[9], (80 * 255 + 127) >> 8);

    auto dst32 = NewBitmap32(10, 1);
    BlendBitmapRect(*dst32, *src, 0, Rect(0, 0, 10, 1), Point(0, 0));
    auto same = NewBitmap24(10, 2);
    BlendBitmapsByAlpha(*same, *src, 0);
    EXPECT_EQ(dst32->ScanLine(0)[4], 0xFF) << "a 24-bit source is not blended into 32 bits";
    EXPECT_EQ(same->ScanLine(0)[3], 0xFF) << "bitmaps of two sizes are not blended";
}

} // namespace
