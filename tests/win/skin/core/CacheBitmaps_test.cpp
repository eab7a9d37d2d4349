#include "skin/core/CacheBitmaps.h"

#include "host/support/ImageBuilders.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Graphics.h"
#include "vcl/Jpeg.h"
#include "win/support/Pixels24.h"
#include "win/support/VclFixture.h"

#include <climits>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using CacheBitmapsTest = VclFixture;

using ks::test::Filled;
using ks::test::Get24;
using ks::test::Set24;

bool Inside(const TRect& r, int x, int y)
{
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

// Every pixel of b against the expectation; the first mismatch names its position.
void ExpectPixels(TBitmap& b, const std::function<uint32_t(int, int)>& expected)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            ASSERT_EQ(Get24(b, x, y), expected(x, y)) << "pixel " << x << "," << y;
}

constexpr uint32_t Back = 0x404040;

TEST_F(CacheBitmapsTest, FactoriesMakeWhiteBitmapsOfTheirFormat)
{
    EXPECT_EQ(NewBitmap24(0, 0)->PixelFormat(), pf24bit);
    EXPECT_TRUE(NewBitmap32(-4, 3)->Empty()) << "negative sizes count as 0";
    auto like = NewBitmapLike(*NewBitmap32(7, 3));
    EXPECT_EQ(like->PixelFormat(), pf32bit);
    EXPECT_EQ(like->Height(), 3);
    EXPECT_EQ(std::memcmp(like->ScanLine(2) + 4 * 6, "\xFF\xFF\xFF\x00", 4), 0);
    TBitmap unset;
    unset.SetSize(2, 2);
    EXPECT_EQ(NewBitmapLike(unset)->Width(), 2) << "a bitmap whose format was never set is copied without raising";
    EXPECT_EQ(Get24(*NewBitmap24(2, 2), 1, 1), 0xFFFFFFu);
}

TEST(CacheBitmaps, BlendColorsRoundsHalvesToEven)
{
    struct Case {
        const char* name;
        TColor c1, c2;
        double percent;
        TColor expected;
    } cases[] = {
        {"OneAndTwoGiveTwo", 0x010101, 0x020202, 0.5, 0x020202},
        {"TopByteOfFirst", static_cast<TColor>(0xFF000000), 0x000000, 0.5, static_cast<TColor>(0xFF000000)},
        {"QuarterWeight", 0x0000C8, 0x000064, 0.25, 0x00007D}, // 50 + 75 = 125
        {"WeightAboveOneLimited", 0x0000C8, 0x000064, 2.0, 0x0000FF}, // 400 - 100 = 300
        {"NegativeWeightLimited", 0x0000C8, 0x000000, -1.0, 0x000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BlendColors(c.c1, c.c2, c.percent), c.expected);
    }
}

TEST_F(CacheBitmapsTest, DrawFrameLinesPaintsRingsAndShrinksTheRectangle)
{
    auto b = Filled(6, 5, Back);
    HDC dc = b->Canvas().Handle();
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN), brush = GetCurrentObject(dc, OBJ_BRUSH);

    TRect r{0, 0, 6, 5};
    int width = 0;
    DrawFrameLines(dc, r, 0x0000FF, 0x00FF00, width);
    EXPECT_EQ(r, (TRect{0, 0, 6, 5}));
    ExpectPixels(*b, [](int, int) { return Back; });

    width = 2;
    DrawFrameLines(dc, r, 0x0000FF, 0x00FF00, width);
    EXPECT_EQ(r, (TRect{2, 2, 4, 3}));
    EXPECT_EQ(width, 0);
    GdiFlush();
    // Ring k is the inclusive box (k, k) .. (5 - k, 4 - k): its top row and left column in the
    // first colour up to the far corners, the right column and bottom row in the second.
    ExpectPixels(*b, [](int x, int y) -> uint32_t {
        for (int k = 0; k < 2; ++k) {
            const int l = k, t = k, rr = 5 - k, bb = 4 - k;
            if (x < l || x > rr || y < t || y > bb)
                continue;
            if ((y == t && x < rr) || (x == l && y < bb))
                return 0xFF0000; // red, as blue-green-red bytes
            if (x == rr || y == bb)
                return 0x00FF00;
        }
        return Back;
    });
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
}

// A 4 x 3 picture of distinct pixels tiled from R's top-left corner.
TEST_F(CacheBitmapsTest, TileGraphicRepeatsBitmapsFromTheCorner)
{
    auto pic = NewBitmap24(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            Set24(*pic, x, y, 0x101010u * (4 * y + x + 1));
    struct Case {
        const char* name;
        TRect r;
    } cases[] = {{"SeveralTiles", {1, 1, 11, 8}}, {"SmallerThanPicture", {2, 3, 4, 5}}, {"Empty", {5, 5, 5, 9}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = Filled(12, 10, Back);
        TileGraphic(b->Canvas(), c.r, pic.get());
        GdiFlush();
        ExpectPixels(*b, [&](int x, int y) {
            return Inside(c.r, x, y) ? 0x101010u * (4 * ((y - c.r.Top) % 3) + (x - c.r.Left) % 4 + 1) : Back;
        });
    }
    auto b = Filled(4, 4, Back);
    TileGraphic(b->Canvas(), {0, 0, 4, 4}, nullptr);
    TBitmap emptyPicture;
    TileGraphic(b->Canvas(), {0, 0, 4, 4}, &emptyPicture);
    GdiFlush();
    ExpectPixels(*b, [](int, int) { return Back; });
}

TEST_F(CacheBitmapsTest, TileGraphicClipsJpegPicturesToTheRectangle)
{
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(ks::test::MakeJpeg(3, 2, 0x000000));
    auto b = Filled(10, 8, Back);
    const TRect r{1, 1, 8, 6};
    TileGraphic(b->Canvas(), r, &jpeg);
    GdiFlush();
    ExpectPixels(*b, [&](int x, int y) {
        return Inside(r, x, y) ? 0u : Back;
    });
}

// The element (2, 1, 5, 3) of a 12 x 8 master bitmap: 3 x 2 pixels of distinct colours, with a
// different colour all around it, so a copy that reaches past the element shows.
class TileOrStretchTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        FManager = Create<TsSkinManager>(nullptr);
        FManager->MasterBitmap = Filled(12, 8, OutsideColour);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                Set24(*FManager->MasterBitmap, 2 + x, 1 + y, Element(x, y));
        FMask.Manager = FManager;
        FMask.R = {2, 1, 5, 3};
        FMask.ImageCount = 1;
    }
    void TearDown() override
    {
        FManager->Free();
        VclFixture::TearDown();
    }
    static uint32_t Element(int x, int y) { return 0x202020u * (3 * y + x + 1); }

    static constexpr uint32_t OutsideColour = 0x0000FF;
    TsSkinManager* FManager = nullptr;
    TsMaskData FMask;
};

TEST_F(TileOrStretchTest, TilingModesPaintTheirStripAndReturnTheRest)
{
    const TRect r{1, 1, 11, 8}; // 10 x 7 on a 12 x 10 target
    struct Case {
        const char* name;
        uint8_t mode;
        TRect painted; // the pixels painted, tiled from painted's top-left corner
        TRect left;    // R afterwards
    } cases[] = {
        {"Mode0TilesAll", 0, r, {-1, -1, -1, -1}},
        {"Mode10WholeRowsOnly", 10, {1, 1, 11, 7}, {-1, -1, -1, -1}},
        {"Mode2TopRowOnlyElementHigh", 2, {1, 1, 11, 3}, {1, 3, 11, 8}},
        {"Mode3LeftColumnOnlyElementWide", 3, {1, 1, 4, 8}, {4, 1, 11, 8}},
        {"Mode6BottomRow", 6, {1, 6, 11, 8}, {1, 1, 11, 6}},
        {"Mode7RightColumn", 7, {8, 1, 11, 8}, {1, 1, 8, 8}},
        {"UnknownModeAsRightColumn", 13, {8, 1, 11, 8}, {8, 1, 11, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = Filled(12, 10, Back);
        TRect rr = r;
        TileOrStretchImage(b->Canvas(), rr, nullptr, c.mode, FMask);
        GdiFlush();
        EXPECT_EQ(rr, c.left);
        const TRect p = c.painted;
        ExpectPixels(*b, [&](int x, int y) {
            return Inside(p, x, y) ? Element((x - p.Left) % 3, (y - p.Top) % 2) : Back;
        });
    }
}

// A rectangle far larger than the target costs no more than the target's tiles: each way of
// tiling paints what the target shows of it, from the rectangle's corner, and returns.
TEST_F(TileOrStretchTest, ARectangleFarLargerThanTheTargetTilesOnlyWhatTheTargetHolds)
{
    constexpr int Huge = 1 << 30;
    const TRect r{1, 1, Huge, Huge};
    auto picture = NewBitmap24(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            Set24(*picture, x, y, Element(x, y));
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(ks::test::MakeJpeg(3, 2, 0x000000));
    const struct Case {
        const char* name;
        void (*tile)(TCanvas&, TRect&, TGraphic*, const TsMaskData&);
        TGraphic* graphic;
        bool black;
    } cases[] = {
        {"BitmapPicture", [](TCanvas& c, TRect& rr, TGraphic* g, const TsMaskData&) { TileGraphic(c, rr, g); },
         picture.get(), false},
        {"JpegPicture", [](TCanvas& c, TRect& rr, TGraphic* g, const TsMaskData&) { TileGraphic(c, rr, g); }, &jpeg,
         true},
        {"Mode0", [](TCanvas& c, TRect& rr, TGraphic*, const TsMaskData& m) { TileOrStretchImage(c, rr, nullptr, 0, m); },
         nullptr, false},
        {"Mode10", [](TCanvas& c, TRect& rr, TGraphic*, const TsMaskData& m) { TileOrStretchImage(c, rr, nullptr, 10, m); },
         nullptr, false},
        {"Mode2", [](TCanvas& c, TRect& rr, TGraphic*, const TsMaskData& m) { TileOrStretchImage(c, rr, nullptr, 2, m); },
         nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = Filled(12, 10, Back);
        TRect rr = r;
        c.tile(b->Canvas(), rr, c.graphic, FMask);
        GdiFlush();
        const bool oneRow = std::string(c.name) == "Mode2";
        ExpectPixels(*b, [&](int x, int y) {
            if (!Inside(r, x, y) || (oneRow && y >= 3))
                return Back;
            return c.black ? 0u : Element((x - 1) % 3, (y - 1) % 2);
        });
    }
}

TEST_F(TileOrStretchTest, StretchModesCoverTheirStrip)
{
    struct Case {
        const char* name;
        uint8_t mode;
        TRect r, left;
    } cases[] = {
        {"Mode1All", 1, {0, 0, 6, 4}, {-1, -1, -1, -1}},
        {"Mode4TopStripOfElementHeight", 4, {0, 0, 40, 100}, {0, 2, 40, 100}},
        {"Mode5LeftStripOfElementWidth", 5, {0, 0, 40, 100}, {3, 0, 40, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = Filled(40, 100, Back);
        TRect rr = c.r;
        TileOrStretchImage(b->Canvas(), rr, nullptr, c.mode, FMask);
        GdiFlush();
        EXPECT_EQ(rr, c.left);
        EXPECT_EQ(Get24(*b, c.r.Left, c.r.Top), Element(0, 0));
        EXPECT_EQ(Get24(*b, c.r.Right - 1, c.r.Bottom - 1), c.mode == 1 ? Element(2, 1) : Back);
    }
}

TEST_F(TileOrStretchTest, NothingToDrawWithLeavesTheRectangle)
{
    struct Case {
        const char* name;
        TRect element;
        bool manager;
    } cases[] = {
        {"EmptyElementWouldNeverEnd", {2, 1, 2, 3}, true},
        {"FlatElementWouldNeverEnd", {2, 1, 5, 1}, true},
        {"NoManager", {2, 1, 5, 3}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (uint8_t mode : {0, 2, 3, 6, 7, 10, 13}) {
            auto b = Filled(8, 8, Back);
            FMask.R = c.element;
            FMask.Manager = c.manager ? FManager : nullptr;
            TRect r{0, 0, 8, 8};
            TileOrStretchImage(b->Canvas(), r, nullptr, mode, FMask);
            GdiFlush();
            EXPECT_EQ(r, (TRect{0, 0, 8, 8})) << int(mode);
            ExpectPixels(*b, [](int, int) { return Back; });
        }
    }
}

TEST_F(TileOrStretchTest, AGivenPictureIsTiledOverAll)
{
    auto pic = Filled(2, 2, 0x00FF00);
    auto b = Filled(6, 5, Back);
    TRect r{1, 1, 6, 5};
    TileOrStretchImage(b->Canvas(), r, pic.get(), 4, FMask);
    GdiFlush();
    EXPECT_EQ(r, (TRect{-1, -1, -1, -1}));
    ExpectPixels(*b, [](int x, int y) { return x >= 1 && y >= 1 ? 0x00FF00u : Back; });
}

// Every byte of a 24- or 32-bit bitmap from a seed, alpha too.
std::unique_ptr<TBitmap> Noise(TPixelFormat format, int w, int h, unsigned seed)
{
    auto b = format == pf32bit ? NewBitmap32(w, h) : NewBitmap24(w, h);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < w * (format == pf32bit ? 4 : 3); ++i)
            b->ScanLine(y)[i] = static_cast<uint8_t>(rng());
    return b;
}

std::vector<uint8_t> Bytes(TBitmap& b)
{
    GdiFlush();
    std::vector<uint8_t> out;
    const int n = b.Width() * (b.PixelFormat() == pf32bit ? 4 : 3);
    for (int y = 0; y < b.Height(); ++y)
        out.insert(out.end(), b.ScanLine(y), b.ScanLine(y) + n);
    return out;
}

// The bitmap forms tile through the pixels where the canvas forms copy tile by tile through GDI:
// the same bytes for every format pair, mode, rectangle and element, including rectangles
// reaching past the target and elements reaching past their image.
TEST_F(TileOrStretchTest, BitmapTargetsGetWhatTheirCanvasGets)
{
    const TRect rects[] = {{1, 1, 11, 8}, {-7, -5, 30, 4}, {3, 2, 5, 40}, {6, 6, 6, 9}, {9, 9, 2, 2}};
    const TRect elements[] = {{2, 1, 5, 3}, {0, 0, 1, 1}, {1, 4, 12, 8}, {9, 5, 14, 9}};
    const TPixelFormat formats[][2] = {{pf24bit, pf24bit}, {pf32bit, pf32bit}, {pf24bit, pf32bit}, {pf32bit, pf24bit}};
    unsigned seed = 1;
    for (const auto& format : formats)
        for (const TRect& element : elements)
            for (const TRect& r : rects)
                for (int mode : {-1, 0, 2, 10}) {
                    SCOPED_TRACE(std::to_string(format[0]) + "/" + std::to_string(format[1]) + " element " +
                                 std::to_string(element.Left) + "," + std::to_string(element.Top) + " rect " +
                                 std::to_string(r.Left) + "," + std::to_string(r.Top) + " mode " +
                                 std::to_string(mode));
                    // Mode -1 tiles a picture of its own; the others the element of the image.
                    auto image = Noise(format[1], 12, 8, ++seed);
                    FMask.Bmp = {image.get(), [](TBitmap*) {}};
                    FMask.R = element;
                    auto byCanvas = Noise(format[0], 12, 10, ++seed);
                    auto byBitmap = NewBitmap24(0, 0);
                    byBitmap->Assign(byCanvas.get());
                    TRect left1 = r, left2 = r;
                    TGraphic* picture = mode < 0 ? image.get() : nullptr;
                    const auto m = static_cast<uint8_t>(std::max(mode, 0));
                    TileOrStretchImage(byCanvas->Canvas(), left1, picture, m, FMask);
                    TileOrStretchImage(*byBitmap, left2, picture, m, FMask);
                    EXPECT_EQ(left1, left2);
                    ASSERT_EQ(Bytes(*byBitmap), Bytes(*byCanvas));
                    if (mode < 0) {
                        TileGraphic(byCanvas->Canvas(), r, image.get());
                        TileGraphic(*byBitmap, r, image.get());
                        ASSERT_EQ(Bytes(*byBitmap), Bytes(*byCanvas));
                    }
                }
    FMask.Bmp.reset();
}

TEST(CacheBitmaps, LayoutGlyphAndTextPlacesBothParts)
{
    // Client 100 x 30 at (10, 20); glyph 16 x 16, text 40 x 10 unless stated.
    const TRect client{10, 20, 110, 50};
    struct Case {
        const char* name;
        uint8_t layout, alignment;
        int margin, spacing;
        TPoint text;
        uint32_t flags;
        TPoint glyph;
        TRect bounds;
    } cases[] = {
        {"LeftGlyphLeftAligned", 0, 0, 4, 3, {40, 10}, 0, {14, 27}, {33, 30, 73, 40}},
        {"ThirdsOfFreeSpace", 0, 0, -1, -1, {40, 10}, 0, {24, 27}, {54, 30, 94, 40}},
        {"NoTextNoSpacing", 0, 0, 2, 5, {0, 10}, 0, {12, 27}, {28, 30, 28, 40}},
        {"RightGlyphRightAligned", 1, 1, 4, 3, {40, 10}, 0, {90, 27}, {47, 30, 87, 40}},
        {"RightToLeftSwapsSides", 0, 0, 4, 3, {40, 10}, 2, {57, 27}, {14, 30, 54, 40}},
        {"GlyphAbove", 2, 0, 0, 2, {40, 10}, 0, {52, 21}, {40, 39, 80, 49}},
        {"GlyphBelow", 3, 0, 0, 2, {40, 10}, 0, {52, 33}, {40, 21, 80, 31}},
        {"CentredWithComputedMargin", 0, 2, -1, 4, {40, 10}, 0, {30, 27}, {50, 30, 90, 40}},
        {"SpacingFromMargin", 0, 0, 5, -1, {40, 10}, 0, {15, 27}, {50, 30, 90, 40}},
        {"UnknownAlignmentIsLeft", 0, 7, 4, 3, {40, 10}, 0, {14, 27}, {33, 30, 73, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPoint glyph{-9, -9};
        TRect bounds{-9, -9, -9, -9};
        LayoutGlyphAndText(client, {16, 16}, c.text, c.layout, c.alignment, c.margin, c.spacing, glyph, bounds,
                           c.flags);
        EXPECT_EQ(glyph, c.glyph);
        EXPECT_EQ(bounds, c.bounds);
    }
    // Divisions truncate toward zero: (21 - 40 - 0 - 16) / 2 = -17, not -18.
    TPoint glyph;
    TRect bounds;
    LayoutGlyphAndText({0, 0, 21, 30}, {16, 16}, {40, 10}, 0, 2, 0, 0, glyph, bounds, 0);
    EXPECT_EQ(glyph.X, -17);
    EXPECT_EQ(bounds.Left, -1);
}

TEST_F(CacheBitmapsTest, TextSizeOfFontMeasuresOnTheScreen)
{
    ks::GdiFont font(CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    const TSize one = TextSizeOfFont(font.get(), L"a");
    const TSize many = TextSizeOfFont(font.get(), L"aaaa");
    EXPECT_GT(one.cx, 0);
    EXPECT_GT(many.cx, one.cx);
    EXPECT_EQ(many.cy, one.cy);
}

TEST_F(CacheBitmapsTest, DrawFocusDotsEveryThirdPixel)
{
    auto b = Filled(12, 10, Back);
    DrawFocusDots(b->Canvas(), {2, 2, 8, 7});
    GdiFlush();
    const std::vector<TPoint> black{{2, 2}, {5, 2}, {8, 2}, {2, 7}, {5, 7}, {8, 7}, {2, 5}, {8, 5}};
    const std::vector<TPoint> white{{1, 1}, {4, 1}, {7, 1}, {1, 6}, {4, 6}, {7, 6}, {1, 4}, {7, 4}};
    ExpectPixels(*b, [&](int x, int y) {
        const TPoint p{x, y};
        if (std::find(black.begin(), black.end(), p) != black.end())
            return 0u;
        if (std::find(white.begin(), white.end(), p) != white.end())
            return 0xFFFFFFu;
        return Back;
    });
}


// A masked element of two 3 x 2 cells: cell 0 holds a key-coloured pixel (the background shows)
// and a white pixel whose mask keeps whatever lies below; cell 1 must never show.
class TileImageTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        FManager = Create<TsSkinManager>(nullptr);
        FManager->MasterBitmap = Filled(6, 4, 0);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 6; ++x) {
                Set24(*FManager->MasterBitmap, x, y, x < 3 ? Picture(x, y) : 0x0000FF);
                Set24(*FManager->MasterBitmap, x, y + 2, Picture(x, y) == 0xFFFFFF ? 0xFFFFFF : 0);
            }
        FMask.Manager = FManager;
        FMask.R = {0, 0, 6, 4};
        FMask.ImageCount = 2;
        FMask.MaskType = 1;
        FBackground = NewBitmap24(20, 20);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                Set24(*FBackground, x, y, BackgroundAt(x, y));
    }
    void TearDown() override
    {
        FManager->Free();
        FBackground.reset();
        VclFixture::TearDown();
    }
    static uint32_t Picture(int x, int y)
    {
        return x == 1 && y == 0 ? 0xFF00FF : x == 2 && y == 1 ? 0xFFFFFF : 0x103050u + 0x10u * (x + 3 * y);
    }
    static uint32_t BackgroundAt(int x, int y) { return 0x000100u * x + 0x010000u * y + 7; }

    // What the cell pixel at (x, y) of a target shows when tiled from r's corner: key pixels
    // the background record's pixel or its fill colour (given as read back).
    static uint32_t CellPixel(const TRect& r, int x, int y, const CacheInfo& ci, uint32_t fill)
    {
        const uint32_t p = Picture((x - r.Left) % 3, (y - r.Top) % 2);
        if (p == 0xFF00FF)
            return ci.Ready ? BackgroundAt(ci.X + x, ci.Y + y) : fill;
        return p == 0xFFFFFF ? Back : p;
    }

    TsSkinManager* FManager = nullptr;
    TsMaskData FMask;
    std::unique_ptr<TBitmap> FBackground;
};

TEST_F(TileImageTest, WholeCellsThenTheModesRemainder)
{
    const CacheInfo ready = CacheInfoFromBitmap(FBackground.get(), 2, 1);
    const CacheInfo colour{nullptr, 0, 0, 0x00FFFF, false};
    struct Case {
        const char* name;
        uint8_t mode;
        TRect r;
        CacheInfo ci;
        TRect cells; // whole cells
        int cutRight; // mode 0: the cut column beside the cells reaches here
    } cases[] = {
        // 10 x 7 from (1, 1): whole cells while x < 8 and y < 6, so three columns and three rows.
        {"Mode0CutsTheLastColumnAndLeavesTheBottom", 0, {1, 1, 11, 8}, ready, {1, 1, 10, 7}, 11},
        {"Mode10StripsFromTheBackground", 10, {1, 1, 11, 8}, ready, {1, 1, 10, 7}, 0},
        {"Mode10StripsInTheFillColour", 10, {1, 1, 11, 8}, colour, {1, 1, 10, 7}, 0},
        {"Mode10NotWiderThanACellStripsFromTheTop", 10, {4, 2, 7, 9}, colour, {4, 2, 4, 2}, 0},
        {"ExactFitLeavesTheLastCellToTheRemainder", 10, {0, 0, 6, 4}, ready, {0, 0, 3, 2}, 0},
        // Billions of cells, of which only those over the bitmap are visited.
        {"PlaneWideRectangleTilesOnlyTheBitmap", 0, {1 - 3 * 600000000, 1 - 2 * 1000000000, 2000000000, 2000000000},
         ready, {1 - 3 * 600000000, 1 - 2 * 1000000000, 1999999999, 1999999999}, 0},
        {"StripWiderThanAnIntIsCutToTheBitmap", 10, {INT_MIN, 1, INT_MAX, 3}, colour, {0, 0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = Filled(12, 10, Back);
        TRect r = c.r;
        TileImage(*b, r, c.ci, c.mode, FMask);
        GdiFlush();
        EXPECT_EQ(r, (TRect{-1, -1, -1, -1}));
        constexpr uint32_t fill = 0xFFFF00; // 0x00FFFF as read back
        ExpectPixels(*b, [&](int x, int y) -> uint32_t {
            if (Inside(c.cells, x, y) || (x >= c.cells.Right && x < c.cutRight && y < c.cells.Bottom && y >= c.r.Top))
                return CellPixel(c.r, x, y, c.ci, fill);
            if (c.mode == 10 && Inside(c.r, x, y))
                return c.ci.Ready ? BackgroundAt(c.ci.X + x, c.ci.Y + y) : fill;
            return Back;
        });
    }
}

TEST_F(TileImageTest, NothingToTileLeavesBitmapAndRectangle)
{
    struct Case {
        const char* name;
        TRect element;
        int16_t cells;
        uint8_t mode;
    } cases[] = {
        {"NoCells", {0, 0, 6, 4}, 0, 0},
        {"NegativeCells", {0, 0, 6, 4}, -2, 10},
        {"CellsNarrowerThanAPixel", {0, 0, 6, 4}, 7, 0},
        {"MaskRowOfNoHeight", {0, 0, 6, 1}, 2, 10},
        {"UntiledMode", {0, 0, 6, 4}, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FMask.R = c.element;
        FMask.ImageCount = c.cells;
        auto b = Filled(8, 8, Back);
        TRect r{0, 0, 8, 8};
        TileImage(*b, r, NoBackgroundCacheInfo, c.mode, FMask);
        GdiFlush();
        EXPECT_EQ(r, (TRect{0, 0, 8, 8}));
        ExpectPixels(*b, [](int, int) { return Back; });
    }
    // A 32-bit bitmap of one pixel, smaller than a cell, is all remainder.
    auto one = NewBitmap32(1, 1);
    TRect r{0, 0, 1, 1};
    TileImage(*one, r, {nullptr, 0, 0, clBtnFace, false}, 10, FMask);
    GdiFlush();
    const uint32_t face = static_cast<uint32_t>(ColorToRGB(clBtnFace));
    EXPECT_EQ(std::memcmp(one->ScanLine(0), std::array<uint8_t, 4>{static_cast<uint8_t>(face >> 16),
                                                                   static_cast<uint8_t>(face >> 8),
                                                                   static_cast<uint8_t>(face), 255}.data(), 4), 0);
}

} // namespace
