#include "skin/core/SkinImageCells.h"

#include "host/support/PixelImage.h"
#include "skin/pixels/KeyedPixels.h"
#include "skin/pixels/MaskedPixels.h"
#include "skin/core/sConst.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <tuple>

namespace {

using Image = ks::test::PixelImage;

// Hostile records as a skin may give them: beyond the image, of every size, inverted, at the
// ends of the coordinates; with cell counts, mask types and side widths out of range. Each goes
// through the painters' own geometry and the portable loops the painters hand it to, as
// PaintSkinImageRect, PaintStateGlyph, CopyImageTransparent and PaintMaskedOverCache do, into
// 24- and 32-bit destinations: nothing outside the bitmaps is touched, the image is only read,
// and the sanitizers see every step.
TEST(SkinImageCells, HostileRecordsStayInsideTheBitmaps)
{
    const TRect records[] = {{30, 10, 90, 70},       {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                             {2, 2, 20, 400},        {20, 8, 2, 2},
                             {INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX}, {INT_MIN, INT_MIN, INT_MIN + 40, INT_MIN + 30},
                             {-30, -20, 10, 20}};
    const TPoint places[] = {{-3, -3}, {INT_MIN, INT_MIN}, {INT_MAX, 5}, {2, INT_MAX}};
    std::mt19937 rng(11);
    Image master(40, 20, 24, true);
    master.Randomise(rng);
    for (int x = 0; x < 40; x += 3)
        std::memcpy(master.At(x, x % 20), "\xFF\x00\xFF", 3);
    const Image master0 = master;
    Image back(10, 10, 24, false);
    back.Randomise(rng);
    const ks::AlphaBackdrop backdrop{back.View(), -2, 3, true, true};
    int drawn = 0;
    for (const TRect& rr : records)
        for (int maskType : {0, 1, -1})
            for (int count : {1, 3, -2})
                for (int side : {2, -9, 32767})
                    for (int bpp : {24, 32}) {
                        SCOPED_TRACE(std::to_string(rr.Left) + "," + std::to_string(rr.Top) + "," +
                                     std::to_string(rr.Right) + "," + std::to_string(rr.Bottom) + " type " +
                                     std::to_string(maskType) + " count " + std::to_string(count) + " sides " +
                                     std::to_string(side) + " bpp " + std::to_string(bpp));
                        TsMaskData mask;
                        mask.R = rr;
                        mask.MaskType = static_cast<int16_t>(maskType);
                        mask.ImageCount = static_cast<int16_t>(count);
                        mask.WL = mask.WT = mask.WR = mask.WB = static_cast<int16_t>(side);
                        mask.StretchMode = 4;
                        Image dst(8, 8, bpp, bpp == 24);
                        const ks::PixelView d = dst.View(), m = master.View();
                        const TRect bounds{0, 0, 8, 8};
                        ks::KeyFill fill;
                        fill.kind = ks::KeyFill::Colour;
                        fill.colour = TransparentKeyColor;

                        for (int state : {0, 4}) {
                            const ks::BorderLayout layout = ks::BorderParts(mask, {-5, -5, 300, 300}, state, true);
                            for (int i = 0; i < layout.count; ++i) {
                                const ks::BorderPart& part = layout.parts[static_cast<size_t>(i)];
                                auto piece = [&](const TRect& area) {
                                    ++drawn;
                                    if (maskType >= 1)
                                        ks::MaskBlendPiece(d, area, m, part.src, ks::HalfRecordHeight(mask),
                                                           ks::MaskRows::PulledIn, backdrop, TransparentKeyColor);
                                    else if (part.corner)
                                        ks::CopyKeyed(d, {area.Left, area.Top}, m,
                                                      ks::InclusiveSourceRect({part.src.Left, part.src.Top,
                                                                               part.src.Right - 1, part.src.Bottom - 1},
                                                                              m, nullptr),
                                                      TransparentKeyColor, fill);
                                    else
                                        ks::CopyRect(d, {area.Left, area.Top}, m, part.src);
                                };
                                if (part.corner)
                                    piece(part.area);
                                else
                                    ks::ForEachTile(part.area, part.w, part.h, bounds, piece);
                            }
                        }
                        for (TPoint p : places) {
                            const ks::GlyphRects cell = ks::StateGlyphRects(mask, p, 4);
                            if (maskType >= 1) {
                                ks::DrawThroughMaskRow(d, ks::ExclusiveOf(cell.dst), m, ks::ExclusiveOf(cell.src),
                                                       MaskCellHeight(mask), true);
                            } else {
                                TPoint at{cell.dst.Left, cell.dst.Top};
                                ks::CopyKeyed(d, at, m, ks::InclusiveSourceRect(cell.src, m, nullptr),
                                              TransparentKeyColor, fill);
                                const TRect blended = ks::InclusiveSourceRect(cell.src, m, &at);
                                ks::BlendKeyed(d, at, m, blended, 0.5, TransparentKeyColor);
                            }
                        }
                        ks::MaskBlendPiece(d, {-3, -3, 40, 40}, m, {0, 0, 40, 40}, ks::HalfRecordHeight(mask),
                                           ks::MaskRows::Exact, backdrop, std::nullopt);
                        ASSERT_TRUE(dst.FencesIntact());
                    }
    EXPECT_EQ(master.Pixels(), master0.Pixels());
    EXPECT_TRUE(master.FencesIntact());
    EXPECT_GT(drawn, 0) << "some records are drawn at all";
}

// Skipping the tiles outside the destination keeps the others where the whole tiling puts them.
TEST(SkinImageCells, TilesOutsideTheDestinationAreSkippedInPlace)
{
    std::mt19937 rng(5);
    auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        const TRect area{between(-60, 20), between(-60, 20), between(-20, 60), between(-20, 60)};
        const TRect within{between(-10, 10), between(-10, 10), between(0, 30), between(0, 30)};
        const int w = between(-1, 9), h = between(-1, 9);
        using Tile = std::tuple<int, int, int, int>;
        std::set<Tile> want, got;
        if (w > 0 && h > 0)
            for (int x = area.Left; x < area.Right; x += w)
                for (int y = area.Top; y < area.Bottom; y += h) {
                    const Tile t{x, y, std::min(x + w, area.Right), std::min(y + h, area.Bottom)};
                    if (std::max(x, within.Left) < std::min(std::get<2>(t), within.Right) &&
                        std::max(y, within.Top) < std::min(std::get<3>(t), within.Bottom))
                        want.insert(t);
                }
        ks::ForEachTile(area, w, h, within, [&](const TRect& t) {
            EXPECT_TRUE(got.insert({t.Left, t.Top, t.Right, t.Bottom}).second) << "each tile once";
        });
        ASSERT_EQ(got, want);
    }
    int visits = 0;
    ks::ForEachTile({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 1, 1, {0, 0, 4, 3}, [&](const TRect&) { ++visits; });
    EXPECT_EQ(visits, 12) << "a tiling of the whole plane visits only the destination's tiles";
}

// Whatever the side widths, every part of a border lies inside the rectangle it is painted over, so
// the corners and sides of one section never spill onto its neighbours.
TEST(SkinImageCells, BorderPartsStayInsideTheRectangle)
{
    struct Case {
        const char* name;
        int16_t wl, wt, wr, wb;
        TRect r;
    };
    const Case cases[] = {
        {"OneHugeCornerBesideASmallOne", 32767, 3, 13, 4, {54, 7, 164, 12}},
        {"HugeFarCornerBesideASmallNearOne", 2, 200, 900, 1, {0, 0, 31, 9}},
        {"BothCornersTooWideOddSize", 20, 20, 21, 20, {0, 0, 11, 11}},
        {"CornersOneWiderThanTheSize", 6, 6, 5, 5, {0, 0, 10, 10}},
        {"NegativeSidesCountAsNone", -9, -9, 40, -1, {-3, -3, 5, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TsMaskData mask;
        mask.R = {0, 0, 3000, 3000};
        mask.ImageCount = 1;
        mask.StretchMode = 4;
        mask.WL = c.wl, mask.WT = c.wt, mask.WR = c.wr, mask.WB = c.wb;
        const ks::BorderLayout layout = ks::BorderParts(mask, c.r, 1, true);
        ASSERT_GT(layout.count, 0);
        for (int i = 0; i < layout.count; ++i) {
            const TRect& a = layout.parts[static_cast<size_t>(i)].area;
            EXPECT_TRUE(a.Left >= c.r.Left && a.Top >= c.r.Top && a.Right <= c.r.Right && a.Bottom <= c.r.Bottom)
                << "part " << i << " covers " << a.Left << "," << a.Top << "," << a.Right << "," << a.Bottom;
        }
    }
}

// The frame corners a control restores, and the fitted image of a push button: records whose
// widths and sums leave int (a skin's "#(-2000000000,0,2000000000,12)(3,1)") give limited
// pieces, worked out in 64 bits under the sanitizers; a whole image file without cells is three
// cells over one mask row for the frame and one cell for the fitted image; an ordinary record
// gives the corner pieces of its state's cell.
TEST(SkinImageCells, FrameCornersAndFittedPartsOfHostileAndPlainRecords)
{
    TsMaskData hostile;
    hostile.R = {-2000000000, 0, 2000000000, 12};
    hostile.ImageCount = 3;
    hostile.MaskType = 1;
    hostile.WL = hostile.WT = hostile.WR = hostile.WB = 32767;
    hostile.StretchMode = 4;
    for (int state : {0, 2, 9}) {
        SCOPED_TRACE(state);
        for (const ks::FrameCorner& c : ks::FrameCornerPieces(ks::FrameCells(hostile, {}), 40, 30, state)) {
            EXPECT_LE(c.src.Left, c.src.Right);
            EXPECT_LE(c.src.Top, c.src.Bottom);
        }
        const ks::BorderLayout fitted = ks::FittedParts(ks::FitCells(hostile, {}), {0, 0, 40, 30}, state, true);
        for (int i = 0; i < fitted.count; ++i) {
            const TRect& a = fitted.parts[static_cast<size_t>(i)].area;
            EXPECT_TRUE(a.Left >= 0 && a.Top >= 0 && a.Right <= 40 && a.Bottom <= 30) << i;
        }
    }

    TsMaskData file; // a whole image file of 60 x 20 named without cells
    const TsMaskData frame = ks::FrameCells(file, {60, 20});
    EXPECT_EQ(frame.ImageCount, 3);
    EXPECT_EQ(frame.MaskType, 1);
    EXPECT_EQ(frame.R, (TRect{0, 0, 60, 20}));
    const TsMaskData fit = ks::FitCells(file, {60, 20});
    EXPECT_EQ(fit.ImageCount, 1);
    EXPECT_EQ(fit.MaskType, 0);
    EXPECT_EQ(ks::FitCells(file, {}).ImageCount, 0) << "without its own image it stays without cells";

    // Three 10-wide cells at (1, 1) over a mask row, corners 2 x 3: state 1's cell starts at 11.
    TsMaskData plain;
    plain.R = {1, 1, 31, 21};
    plain.ImageCount = 3;
    plain.MaskType = 1;
    plain.WL = plain.WR = 2;
    plain.WT = plain.WB = 3;
    const auto corners = ks::FrameCornerPieces(plain, 50, 40, 1);
    struct Expected {
        int bit;
        TPoint at;
        TRect src;
    } const expected[] = {
        {1, {0, 0}, {11, 1, 13, 4}},
        {2, {0, 37}, {11, 8, 13, 11}},
        {8, {48, 37}, {19, 8, 21, 11}},
        {4, {48, 0}, {19, 1, 21, 4}},
    };
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(expected[i].bit);
        EXPECT_EQ(corners[i].bit, expected[i].bit);
        EXPECT_EQ(corners[i].at, expected[i].at);
        EXPECT_EQ(corners[i].src, expected[i].src);
    }
}

// The masked tiling, worked out without walking the cells, places the cells and strips that walking
// them from r's corner places: a slow, obvious walk is the reference.
TEST(SkinImageCells, TileCellsPlacesWhatTheWalkPlaces)
{
    std::mt19937 rng(12);
    auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    using Box = std::tuple<int, int, int, int>;
    auto box = [](const TRect& r) {
        return r.Left < r.Right && r.Top < r.Bottom ? Box{r.Left, r.Top, r.Right, r.Bottom} : Box{};
    };
    const TRect everywhere{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    for (int round = 0; round < 500; ++round) {
        SCOPED_TRACE(round);
        const TRect r{between(-30, 10), between(-30, 10), between(-20, 40), between(-20, 40)};
        const int w = between(1, 9), h = between(1, 9);
        std::set<Box> wholeWant, lastWant, wholeGot, lastGot;
        int x = r.Left, y = r.Top;
        for (; x < r.Right - w; x += w)
            for (y = r.Top; y < r.Bottom - h; y += h)
                wholeWant.insert({x, y, x + w, y + h});
        if (x < r.Right)
            for (int row = r.Top; row < r.Bottom - h; row += h)
                lastWant.insert({x, row, r.Right, row + h});
        const ks::CellTiling t = ks::TileCells(r, w, h);
        ks::ForEachTile(t.whole, w, h, everywhere, [&](const TRect& c) { wholeGot.insert(box(c)); });
        ks::ForEachTile(t.lastColumn, t.lastColumn.Right - t.lastColumn.Left, h, everywhere,
                        [&](const TRect& c) { lastGot.insert(box(c)); });
        EXPECT_EQ(wholeGot, wholeWant);
        EXPECT_EQ(lastGot, lastWant);
        EXPECT_EQ(box(t.below), box({r.Left, y, r.Right, r.Bottom}));
        EXPECT_EQ(box(t.right), box({x, r.Top, r.Right, r.Bottom}));
    }
    // A plane of one-pixel cells: worked out at once, and its last column one pixel wide.
    const ks::CellTiling plane = ks::TileCells(everywhere, 1, 1);
    EXPECT_EQ(box(plane.whole), box({INT_MIN, INT_MIN, INT_MAX - 1, INT_MAX - 1}));
    EXPECT_EQ(box(plane.lastColumn), box({INT_MAX - 1, INT_MIN, INT_MAX, INT_MAX - 1}));
    EXPECT_EQ(box(ks::TileCells(everywhere, 0, 5).below), Box{}) << "cells of no size place nothing";
}

} // namespace
