#include "skin/core/GlyphDrawing.h"

#include "skin/core/CacheBitmaps.h"
#include "vcl/Bitmap.h"
#include "win/support/Pixels24.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using GlyphDrawingTest = VclFixture;

using ks::test::Get24;
using ks::test::Set24;

// Colours (as stored, 0xRRGGBB read little-endian) that survive a trip through 4 bits.
constexpr uint32_t CellColour[] = {0x800000, 0x008000, 0x000080, 0x808000};
constexpr uint32_t LongKey = 0xFF00FF;

// numGlyphs cells of 3 x 2 pixels, each its own colour with the key at its bottom-left pixel.
std::unique_ptr<TBitmap> Glyph(int cells, bool fourBit)
{
    auto g = NewBitmap24(3 * cells, 2);
    for (int c = 0; c < cells; ++c)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                Set24(*g, 3 * c + x, y, x == 0 && y == 1 ? LongKey : CellColour[c]);
    if (fourBit)
        g->SetPixelFormat(pf4bit);
    return g;
}

TEST_F(GlyphDrawingTest, TheStatePicksTheCell)
{
    struct Case {
        const char* name;
        int cells;
        bool fourBit, enabled;
        int state;
        bool down;
        int want;
    } const cases[] = {
        {"Normal", 4, false, true, 0, false, 0},
        {"Hot", 4, false, true, 1, false, 1},
        {"HotFourBit", 4, true, true, 1, false, 0},
        {"PressedUp", 4, false, true, 2, false, 2},
        {"PressedDown", 4, false, true, 2, true, 3},
        {"PressedDownThreeCells", 3, false, true, 2, true, 1},
        {"PressedDownThreeCellsFourBit", 3, true, true, 2, true, 0},
        {"PressedDownTwoCells", 2, false, true, 2, true, 1},
        {"Disabled", 4, false, false, 2, true, 0},
        {"UnknownState", 4, false, true, 7, false, 0},
        {"NegativeState", 4, false, true, -1, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto glyph = Glyph(c.cells, c.fourBit);
        auto dst = NewBitmap24(5, 4);
        DrawGlyphWithEffects(glyph.get(), *dst, Rect(1, 1, 4, 3), c.cells, c.enabled, {}, c.state, 0, c.down);
        EXPECT_EQ(Get24(*dst, 2, 1), CellColour[c.want]);
        EXPECT_EQ(Get24(*dst, 1, 2), 0xFFFFFFu) << "the key pixel is not drawn";
        EXPECT_EQ(Get24(*dst, 4, 1), 0xFFFFFFu) << "nothing of the next cell";
    }
}

TEST_F(GlyphDrawingTest, SingleGlyphEffects)
{
    struct Case {
        const char* name;
        int numGlyphs;
        bool enabled;
        TsDisabledGlyphKind kind;
        int state, blend;
        double glyphShare; // of the glyph's colour over the destination
        bool grey;
    } const cases[] = {
        {"Plain", 1, true, {}, 0, 0, 1, false},
        {"FadedKeepsBlendPercentOfTheDestination", 1, true, {}, 0, 40, 0.6, false},
        {"FadeOnlyInStateZero", 1, true, {}, 1, 40, 1, false},
        {"DisabledBlended", 1, false, TsDisabledGlyphKind{dgBlended}, 0, 0, 0.5, false},
        {"DisabledGrayed", 1, false, TsDisabledGlyphKind{dgGrayed}, 0, 0, 1, true},
        {"DisabledGrayedAndBlended", 1, false, TsDisabledGlyphKind{dgGrayed, dgBlended}, 0, 0, 0.5, true},
        {"NoCellCountIsASingleGlyph", 0, true, {}, 0, 0, 1, false},
    };
    constexpr int Dst = 0x20, b = 0x10, g = 0x40, r = 0x70;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto glyph = NewBitmap24(2, 2);
        for (int i = 0; i < 4; ++i)
            Set24(*glyph, i % 2, i / 2, b | g << 8 | r << 16);
        Set24(*glyph, 0, 1, LongKey);
        auto dst = NewBitmap24(4, 4);
        for (int i = 0; i < 16; ++i)
            Set24(*dst, i % 4, i / 4, Dst * 0x010101u);
        DrawGlyphWithEffects(glyph.get(), *dst, Rect(1, 1, 3, 3), c.numGlyphs, c.enabled, c.kind, c.state, c.blend,
                             false);
        const int grey = (b + g + r) / 3;
        const int src[3] = {c.grey ? grey : b, c.grey ? grey : g, c.grey ? grey : r};
        const uint32_t p = Get24(*dst, 2, 1);
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(int(p >> 8 * k & 0xFF), int(std::nearbyint(src[k] * c.glyphShare + Dst * (1 - c.glyphShare))))
                << "channel " << k;
        EXPECT_EQ(Get24(*dst, 1, 2), Dst * 0x010101u) << "the key pixel is not drawn";
    }
}

// A 9 x 9 picture of nine flat 3 x 3 zones; the centre zone has a pattern, so tiling shows.
std::unique_ptr<TBitmap> NineZones()
{
    auto src = NewBitmap24(9, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            Set24(*src, x, y, 0x100000u * (x / 3 + 3 * (y / 3) + 1) + (x / 3 == 1 && y / 3 == 1 ? x * 8 + y : 0));
    return src;
}

int Zone(int v, int size) { return v < 3 ? 0 : v >= size - 3 ? 2 : 1; }

TEST_F(GlyphDrawingTest, NinePartsLandInTheirZones)
{
    struct Case {
        const char* name;
        int sideMode, centerMode;
        bool fillCenter;
    } const cases[] = {
        {"StretchedSidesNoCentre", 1, 1, false},
        {"TiledSidesTiledCentre", 0, 0, true},
        {"StretchedCentre", 1, 1, true},
        {"UnknownModesDrawOnlyCorners", 5, 5, true},
    };
    auto src = NineZones();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto dst = NewBitmap24(20, 14);
        StretchNinePart(*dst, *src, Rect(0, 0, 20, 14), Rect(0, 0, 9, 9), Rect(3, 3, 3, 3), Rect(3, 3, 3, 3),
                        {c.sideMode, c.sideMode, c.sideMode, c.sideMode}, static_cast<uint8_t>(c.centerMode),
                        c.fillCenter);
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 20; ++x) {
                const int zx = Zone(x, 20), zy = Zone(y, 14);
                const bool corner = zx != 1 && zy != 1, centre = zx == 1 && zy == 1;
                const bool drawn = corner || (centre ? c.fillCenter && c.centerMode <= 1 : c.sideMode <= 1);
                uint32_t want = drawn ? 0x100000u * (zx + 3 * zy + 1) : 0xFFFFFFu;
                // A tiled centre repeats the source's 3 x 3 pattern from the centre's corner.
                if (centre && drawn && c.centerMode == 0)
                    want += (3 + (x - 3) % 3) * 8 + 3 + (y - 3) % 3;
                if (centre && drawn && c.centerMode == 1)
                    continue; // stretched pattern: shrinking and growing rows are GDI's choice
                ASSERT_EQ(Get24(*dst, x, y), want) << x << "," << y;
            }
    }
}

// Frames wider than the picture leave no middle to tile with: the parts are skipped, not looped.
TEST_F(GlyphDrawingTest, NinePartsWithNoMiddleOrHostileWidths)
{
    auto src = NineZones();
    const TRect cornerSets[] = {Rect(5, 5, 4, 4), Rect(9, 9, 9, 9), Rect(-3, -3, 40000, 40000), Rect(0, 0, 0, 0)};
    for (const TRect& corners : cornerSets) {
        auto dst = NewBitmap24(20, 14);
        StretchNinePart(*dst, *src, Rect(0, 0, 20, 14), Rect(0, 0, 9, 9), corners, corners, {0, 0, 0, 0}, 0, true);
        StretchNinePart(*dst, *src, Rect(-5, -5, 2, 2), Rect(0, 0, 9, 9), corners, corners, {1, 1, 1, 1}, 1, true);
    }
    auto dst = NewBitmap24(20, 14);
    StretchNinePart(*dst, *src, Rect(0, 0, 20, 14), Rect(0, 0, 9, 9), Rect(5, 5, 4, 4), Rect(5, 5, 4, 4),
                    {0, 0, 0, 0}, 0, true);
    EXPECT_EQ(Get24(*dst, 10, 7), 0xFFFFFFu) << "no middle: nothing is tiled there";
}

// Corners larger than the target shrink to it, the right and bottom ones giving up the odd
// pixel: every pixel of the target is a corner's, and none outside it is touched.
TEST_F(GlyphDrawingTest, NinePartCornersShrinkIntoASmallTarget)
{
    struct Case {
        const char* name;
        TRect target;
        int left, top; // the shrunk left and top corners
    } const cases[] = {
        {"OnePixelShort", Rect(6, 4, 11, 9), 3, 3},
        {"TwoByTwo", Rect(6, 4, 8, 6), 1, 1},
        {"FourByThree", Rect(6, 4, 10, 7), 2, 2},
    };
    auto src = NineZones();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto dst = NewBitmap24(20, 14);
        StretchNinePart(*dst, *src, c.target, Rect(0, 0, 9, 9), Rect(3, 3, 3, 3), Rect(3, 3, 3, 3), {1, 1, 1, 1}, 1,
                        true);
        for (int y = 0; y < 14; ++y)
            for (int x = 0; x < 20; ++x) {
                const bool inside = x >= c.target.Left && x < c.target.Right && y >= c.target.Top && y < c.target.Bottom;
                const int zx = x - c.target.Left < c.left ? 0 : 2, zy = y - c.target.Top < c.top ? 0 : 2;
                ASSERT_EQ(Get24(*dst, x, y), inside ? 0x100000u * (zx + 3 * zy + 1) : 0xFFFFFFu) << x << "," << y;
            }
    }
}

} // namespace
