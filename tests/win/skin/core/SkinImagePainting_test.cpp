#include "skin/core/SkinImagePainting.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Bitmap.h"
#include "win/support/Pixels24.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

using ks::test::Filled;
using ks::test::Get24;
using ks::test::Set24;

constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t KeyColour = 0xFF00FF;
constexpr uint32_t MasterCellColour[] = {0x102030, 0x405060, 0x708090};

// A manager whose 40 x 20 master bitmap holds three flat 6 x 6 cells at (2, 2); below them, a
// mask row of zeros, so the masked variant of the record draws the same pictures.
class SkinImagePaintingTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        FManager = Create<TsSkinManager>(nullptr);
        FManager->MasterBitmap = Filled(40, 20, 0x0000FF);
        for (int c = 0; c < 3; ++c)
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 6; ++x) {
                    Set24(*FManager->MasterBitmap, 2 + 6 * c + x, 2 + y, MasterCellColour[c]);
                    Set24(*FManager->MasterBitmap, 2 + 6 * c + x, 8 + y, 0);
                }
    }
    void TearDown() override
    {
        FManager->Free();
        VclFixture::TearDown();
    }

    // The three cells as a border image with 2-pixel sides and a painted centre.
    TsMaskData Base() const
    {
        TsMaskData m;
        m.Manager = FManager;
        m.R = {2, 2, 20, 8};
        m.ImageCount = 3;
        m.WL = m.WT = m.WR = m.WB = 2;
        m.StretchMode = 4;
        return m;
    }

    TsSkinManager* FManager = nullptr;
};

TEST_F(SkinImagePaintingTest, BorderImagesPaintTheStateCellOverTheRectangle)
{
    struct Case {
        const char* name;
        void (*change)(TsMaskData&);
        int state;
        TRect r;
        int cell; // -1: nothing painted
    } const cases[] = {
        {"Normal", [](TsMaskData&) {}, 0, {1, 1, 11, 10}, 0},
        {"StatePastTheLastCellPaintsTheLast", [](TsMaskData&) {}, 5, {1, 1, 11, 10}, 2},
        {"NegativeStatePaintsTheFirst", [](TsMaskData&) {}, -3, {1, 1, 11, 10}, 0},
        {"Masked", [](TsMaskData& m) { m.MaskType = 1; m.R.Bottom = 14; }, 1, {1, 1, 11, 10}, 1},
        {"StretchedSides", [](TsMaskData& m) { m.StretchMode = 5; }, 1, {1, 1, 11, 10}, 1},
        {"HiddenInStateZero", [](TsMaskData& m) { m.StretchMode = 6; }, 0, {1, 1, 11, 10}, -1},
        {"ShownInOtherStates", [](TsMaskData& m) { m.StretchMode = 6; }, 2, {1, 1, 11, 10}, 2},
        {"NoCells", [](TsMaskData& m) { m.ImageCount = 0; }, 0, {1, 1, 11, 10}, -1},
        {"NegativeCellCount", [](TsMaskData& m) { m.ImageCount = -2; }, 0, {1, 1, 11, 10}, -1},
        {"NoManager", [](TsMaskData& m) { m.Manager = nullptr; }, 0, {1, 1, 11, 10}, -1},
        {"OnePixelWide", [](TsMaskData&) {}, 0, {1, 1, 2, 10}, -1},
        {"NegativeSideWidths", [](TsMaskData& m) { m.WL = m.WT = m.WR = m.WB = -9; }, 0, {1, 1, 11, 10}, 0},
        {"SideWidthsWiderThanTheRectangle", [](TsMaskData& m) { m.WL = m.WR = 30000; }, 0, {1, 1, 7, 10}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TsMaskData mask = Base();
        c.change(mask);
        auto dst = Filled(12, 12, White);
        PaintSkinImageRect(*dst, c.r, true, NoBackgroundCacheInfo, mask, c.state, false);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x) {
                const bool in = x >= c.r.Left && x < c.r.Right && y >= c.r.Top && y < c.r.Bottom;
                ASSERT_EQ(Get24(*dst, x, y), in && c.cell >= 0 ? MasterCellColour[c.cell] : White) << x << "," << y;
            }
    }
}

// Hostile records: cells beyond the image, mask rows beyond it, huge rectangles. Whatever they
// paint comes from inside the bitmaps: every pixel is the target's own, one of the master image's
// colours, or an even blend of two of them (a glyph is laid on at half strength); bytes read from
// beyond either bitmap would show as anything else.
TEST_F(SkinImagePaintingTest, RecordsLargerThanTheirImagePaintInsideTheBitmaps)
{
    const TRect records[] = {{30, 10, 90, 70}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {2, 2, 20, 400}, {20, 8, 2, 2}};
    const uint32_t palette[] = {White, 0x0000FF, 0, MasterCellColour[0], MasterCellColour[1], MasterCellColour[2]};
    const auto fromTheBitmaps = [&](uint32_t c) {
        for (uint32_t a : palette)
            for (uint32_t b : palette) {
                bool matches = true;
                for (int shift = 0; shift < 24; shift += 8)
                    matches = matches && std::abs(static_cast<int>((c >> shift) & 0xFF) -
                                            static_cast<int>((((a >> shift) & 0xFF) + ((b >> shift) & 0xFF)) / 2)) <= 1;
                if (matches)
                    return true;
            }
        return false;
    };
    for (const TRect& rr : records)
        for (int maskType : {0, 1, -1}) {
            SCOPED_TRACE(testing::Message() << "record " << rr.Left << "," << rr.Top << "," << rr.Right << ","
                                            << rr.Bottom << ", mask type " << maskType);
            TsMaskData mask = Base();
            mask.R = rr;
            mask.MaskType = static_cast<int16_t>(maskType);
            mask.ImageCount = 1;
            auto dst = Filled(8, 8, White);
            PaintSkinImageRect(*dst, {-5, -5, 300, 300}, true, NoBackgroundCacheInfo, mask, 0, true);
            PaintStateGlyph(*dst, {-3, -3}, 4, 0, mask, NoBackgroundCacheInfo);
            PaintMaskedOverCache({-3, -3, 40, 40}, {0, 0, 40, 40}, *dst, NoBackgroundCacheInfo, mask);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    ASSERT_TRUE(fromTheBitmaps(Get24(*dst, x, y))) << x << "," << y << ": " << std::hex << Get24(*dst, x, y);
        }
}

TEST_F(SkinImagePaintingTest, CornersShrinkToFitTheRectangle)
{
    // One 24 x 6 cell: 10 columns of MasterCellColour[0], 4 of MasterCellColour[1], 10 of MasterCellColour[2].
    auto image = Filled(24, 6, MasterCellColour[1]);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x) {
            Set24(*image, x, y, MasterCellColour[0]);
            Set24(*image, 14 + x, y, MasterCellColour[2]);
        }
    TsMaskData mask;
    mask.Bmp = OwnGraphic(image.release());
    mask.Manager = FManager;
    mask.R = {0, 0, 24, 6};
    mask.ImageCount = 1;
    mask.WL = mask.WR = 10;
    mask.WT = mask.WB = 3;
    auto dst = Filled(15, 6, White);
    PaintSkinImageRect(*dst, {0, 0, 15, 6}, false, NoBackgroundCacheInfo, mask, 0, false);
    for (int x = 0; x < 15; ++x)
        EXPECT_EQ(Get24(*dst, x, 0), MasterCellColour[x < 8 ? 0 : 2]) << "corners of 8 and 7: column " << x;
}

// Cells of distinct pixels (no key colour among them) over rectangles that reach past the
// bitmap, against the model of the nine parts: corners as they are, sides and centre tiled from
// their start. Sides of bitmaps of one format go through the pixels, the others through GDI.
TEST_F(SkinImagePaintingTest, SidesTileTheirPieceFromTheirStart)
{
    constexpr int cw = 11, ch = 9, wl = 3, wt = 2, wr = 2, wb = 4;
    struct Case {
        const char* name;
        TPixelFormat image, dst;
        TRect r;
        bool centre;
    } const cases[] = {
        {"Inside", pf24bit, pf24bit, {2, 1, 37, 27}, true},
        {"PastEveryEdge", pf24bit, pf24bit, {-8, -6, 45, 40}, true},
        {"NoCentre", pf24bit, pf24bit, {1, 2, 30, 25}, false},
        {"ThirtyTwoBits", pf32bit, pf32bit, {-3, 4, 41, 31}, true},
        {"ThroughGdi", pf24bit, pf32bit, {-3, 4, 41, 31}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Two cells side by side; state 1 paints the second.
        auto image = c.image == pf32bit ? NewBitmap32(2 * cw, ch) : NewBitmap24(2 * cw, ch);
        const int ib = c.image == pf32bit ? 4 : 3, db = c.dst == pf32bit ? 4 : 3;
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < 2 * cw; ++x) {
                const uint32_t v = 0x010203u * static_cast<uint32_t>(x * ch + y + 1) ^ 0x00305070u;
                std::memcpy(image->ScanLine(y) + ib * x, &v, static_cast<size_t>(ib));
            }
        TsMaskData mask;
        mask.Bmp = OwnGraphic(image.release());
        mask.Manager = FManager;
        mask.R = {0, 0, 2 * cw, ch};
        mask.ImageCount = 2;
        mask.WL = wl, mask.WT = wt, mask.WR = wr, mask.WB = wb;
        mask.StretchMode = c.centre ? 4 : 0;
        auto dst = c.dst == pf32bit ? NewBitmap32(40, 34) : NewBitmap24(40, 34);
        for (int y = 0; y < 34; ++y)
            std::memset(dst->ScanLine(y), 0x5A, static_cast<size_t>(40 * db));
        PaintSkinImageRect(*dst, c.r, true, NoBackgroundCacheInfo, mask, 1, false);
        GdiFlush();
        // The cell column or row of a position along one axis, -1 in a centre left unpainted.
        auto along = [](int p, int start, int end, int before, int after, int cell) {
            if (p < start + before)
                return p - start;
            if (p >= end - after)
                return cell - (end - p);
            return before + (p - start - before) % (cell - before - after);
        };
        for (int y = 0; y < 34; ++y)
            for (int x = 0; x < 40; ++x) {
                const uint8_t untouched[3] = {0x5A, 0x5A, 0x5A};
                const uint8_t* want = untouched;
                if (x >= c.r.Left && x < c.r.Right && y >= c.r.Top && y < c.r.Bottom) {
                    const int sx = along(x, c.r.Left, c.r.Right, wl, wr, cw);
                    const int sy = along(y, c.r.Top, c.r.Bottom, wt, wb, ch);
                    if (c.centre || sx < wl || sx >= cw - wr || sy < wt || sy >= ch - wb)
                        want = mask.Bmp->ScanLine(sy) + ib * (cw + sx);
                }
                ASSERT_EQ(0, std::memcmp(dst->ScanLine(y) + db * x, want, 3)) << x << "," << y;
            }
    }
}

TEST_F(SkinImagePaintingTest, StateGlyphsCutAtTheBitmapsEdgeKeepTheirPlace)
{
    // Cell 1 gets a column ramp, so a shifted copy shows; its mask row stays 0.
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            Set24(*FManager->MasterBitmap, 8 + x, 2 + y, 0x000010u * (x + 1));
    for (int maskType : {0, 1}) {
        SCOPED_TRACE(maskType);
        TsMaskData mask = Base();
        mask.MaskType = static_cast<int16_t>(maskType);
        mask.R.Bottom = maskType ? 14 : 8;
        auto dst = Filled(8, 8, White);
        PaintStateGlyph(*dst, {-2, 1}, 1, 1, mask, NoBackgroundCacheInfo);
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(Get24(*dst, x, 1), x < 4 ? 0x000010u * (x + 3) : White) << "column " << x;
    }
}

TEST_F(SkinImagePaintingTest, PalerGlyphsAndKeyPixels)
{
    TsMaskData mask = Base();
    mask.MaskType = 1;
    mask.R.Bottom = 14;
    Set24(*FManager->MasterBitmap, 3, 3, KeyColour);
    auto dst = Filled(8, 8, 0x646464);
    PaintStateGlyph(*dst, {0, 0}, 0, 2, mask, NoBackgroundCacheInfo);
    // Mask 0 made paler is 100: ((d - s) * 100 + s * 256) >> 8 per channel.
    const uint32_t want = ((100 - 0x30) * 100 + 0x30 * 256) >> 8 | (((100 - 0x20) * 100 + 0x20 * 256) >> 8) << 8 |
                          (((100 - 0x10) * 100 + 0x10 * 256) >> 8) << 16;
    EXPECT_EQ(Get24(*dst, 0, 0), want);
    EXPECT_EQ(Get24(*dst, 1, 1), 0x646464u) << "a key pixel leaves the destination";
}

TEST_F(SkinImagePaintingTest, KeyPixelsOverTheCacheTakeTheBackground)
{
    TsMaskData mask = Base();
    mask.MaskType = 1;
    mask.R.Bottom = 14;
    Set24(*FManager->MasterBitmap, 3, 3, KeyColour);
    auto parent24 = Filled(10, 10, 0x445566);
    auto parent32 = NewBitmap32(10, 10);
    struct Case {
        const char* name;
        CacheInfo ci;
        uint32_t want;
    } const cases[] = {
        {"Background", CacheInfoFromBitmap(parent24.get(), 2, 2), 0x445566},
        {"NoBackgroundFillColour", {nullptr, 0, 0, 0x0000FF, false}, 0xFF0000},
        {"NoBackgroundNoColour", {nullptr, 0, 0, TransparentKeyColor, false}, White},
        {"ThirtyTwoBitBackgroundWithAFillColour", {parent32.get(), 0, 0, 0x00FF00, true}, 0x00FF00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto dst = Filled(6, 6, White);
        PaintMaskedOverCache({0, 0, 6, 6}, {2, 2, 8, 8}, *dst, c.ci, mask);
        EXPECT_EQ(Get24(*dst, 1, 1), c.want);
        EXPECT_EQ(Get24(*dst, 0, 0), MasterCellColour[0]);
    }
}

// A row's mask lies half the record's height below it, never elsewhere: in a record taller than
// the master bitmap, rows whose mask row would lie below the bitmap are not painted.
TEST_F(SkinImagePaintingTest, MaskedPiecesOverTheCacheTakeTheirOwnMaskRowOrNone)
{
    TsMaskData mask = Base();
    mask.MaskType = 1;
    mask.R = {2, 2, 20, 30}; // masks 14 rows below the pictures; the master is 20 rows high
    for (int y = 16; y < 20; ++y)
        for (int x = 2; x < 8; ++x)
            Set24(*FManager->MasterBitmap, x, y, 0); // the picture in full
    auto dst = Filled(6, 6, White);
    PaintMaskedOverCache({0, 0, 6, 6}, {2, 2, 8, 8}, *dst, NoBackgroundCacheInfo, mask);
    for (int y = 0; y < 6; ++y)
        EXPECT_EQ(Get24(*dst, 3, y), y < 4 ? MasterCellColour[0] : White) << "row " << y;
}

// Mask cells of no height: the picture row would be its own mask.
TEST_F(SkinImagePaintingTest, MaskCellsOfNoHeightPaintNothing)
{
    TsMaskData mask = Base();
    mask.MaskType = 1;
    mask.R = {2, 2, 20, 3};
    auto dst = Filled(6, 6, White);
    CopyImageTransparent({0, 0, 4, 4}, {2, 2, 6, 6}, *dst, *FManager->MasterBitmap, 1, mask);
    PaintStateGlyph(*dst, {0, 0}, 0, 1, mask, NoBackgroundCacheInfo);
    PaintMaskedOverCache({0, 0, 6, 6}, {2, 2, 8, 8}, *dst, NoBackgroundCacheInfo, mask);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            ASSERT_EQ(Get24(*dst, x, y), White) << x << "," << y;
}

// Which pixels are keyed is the portable routine's; here: where the key is looked for.
TEST_F(SkinImagePaintingTest, TransparentCornersComeBackFromTheSource)
{
    auto src = NewBitmap32(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            src->ScanLine(y)[4 * x] = uint8_t(16 * y + x);
    auto dst = NewBitmap32(2, 2);
    std::memcpy(dst->ScanLine(1) + 4, "\xFF\x00\xFF\x7F", 4); // the key colour, any alpha
    RestoreTransparentCorner(*dst, *src, {0, 0, 2, 2}, {1, 1}, -1, nullptr, HTTOPLEFT);
    EXPECT_EQ(dst->ScanLine(1)[4], 16 * 2 + 2) << "with no image, the destination's own key pixels";
    EXPECT_EQ(dst->ScanLine(0)[0], 0xFF);

    // The border image's bottom-right corner starts at (2 + 6 - 2, 2 + 6 - 2) of the master.
    FManager->MaskArray.push_back(Base());
    Set24(*FManager->MasterBitmap, 6, 6, KeyColour);
    RestoreTransparentCorner(*dst, *src, {0, 0, 2, 2}, {1, 1}, 0, FManager, HTBOTTOMRIGHT);
    EXPECT_EQ(dst->ScanLine(0)[0], 17) << "(0, 0) takes the source at (1, 1)";
    EXPECT_EQ(dst->ScanLine(0)[4], 0xFF) << "the other pixels stay";
    RestoreTransparentCorner(*dst, *src, {-9, -9, 90, 90}, {INT_MIN, 3}, 0, FManager, HTTOPRIGHT);
    RestoreTransparentCorner(*dst, *src, {0, 0, 2, 2}, {0, 0}, 7, FManager, HTTOPLEFT); // no such image
}

TEST_F(SkinImagePaintingTest, ColourBlendsAndTheDisabledLook)
{
    auto bmp = Filled(3, 3, 0x646464);
    BlendRectWithColor(*bmp, {1, 1, 1, 1}, 50, 0xC9C9C9);
    EXPECT_EQ(Get24(*bmp, 1, 1), 0x969696u) << "100 and 201 halve to 150: halves go to the even neighbour";
    EXPECT_EQ(Get24(*bmp, 2, 2), 0x646464u) << "the right and bottom edges are the last painted";
    BlendRectWithColor(*bmp, {-5, -5, 99, 99}, 300, 0); // 300 and 255 is 44 %
    EXPECT_EQ(Get24(*bmp, 2, 2), 0x2C2C2Cu);

    auto parent = Filled(10, 10, 0x505050);
    struct Case {
        const char* name;
        TsDisabledKind kind;
        CacheInfo ci;
        uint32_t want;
    } const cases[] = {
        {"Grayed", TsDisabledKind{dkGrayed}, NoBackgroundCacheInfo, 0x141414},
        // Background 0x50 weighted 0.6 over the own bytes 10, 20, 31, rounded.
        {"BlendedWithTheParentsImage", TsDisabledKind{dkBlended}, CacheInfoFromBitmap(parent.get(), 1, 1), 0x3C3834},
        // Half of black: 5, 10, 15.5 going to the even 16.
        {"BlendedWithTheFillColour", TsDisabledKind{dkBlended}, {nullptr, 0, 0, 0x000000, false}, 0x100A05},
        {"GrayedThenBlended", TsDisabledKind{dkGrayed, dkBlended}, {nullptr, 0, 0, 0x000000, false}, 0x0A0A0A},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto look = Filled(2, 2, 0x1F140A); // blue 10, green 20, red 31: grey 20
        ApplyDisabledLook(*look, c.kind, nullptr, c.ci, {2, 3});
        EXPECT_EQ(Get24(*look, 1, 1), c.want);
    }
}

} // namespace
