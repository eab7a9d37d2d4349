#include "skin/core/ControlSkinPainting.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "win/skin/core/PaintingStubs.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using ks::test::Get24;
using ks::test::Set24;

constexpr uint32_t Key = 0xFF00FF, White = 0xFFFFFF;

// Every pixel of the cell its own colour; the cell's four outermost corner pixels and one pixel
// on its left side are key-coloured.
uint32_t CellPixel(int cell, int x, int y)
{
    if ((x == 0 || x == 5) && (y == 0 || y == 5))
        return Key;
    if (x == 0 && y == 3)
        return Key;
    return 0x100000u * static_cast<uint32_t>(cell + 1) + 0x000100u * static_cast<uint32_t>(x * 16 + y);
}

// One side of the nine-part mapping: target position to cell position for a cell of size n
// with near and far corner widths, the middle tiled.
int CellPos(int t, int size, int n, int nearWidth, int farWidth)
{
    const int middle = std::max(0, n - nearWidth - farWidth);
    if (t < nearWidth)
        return t;
    if (t >= size - farWidth)
        return nearWidth + middle + (t - (size - farWidth));
    return middle > 0 ? nearWidth + (t - nearWidth) % middle : -1;
}

void Shrunk(int size, int& a, int& b)
{
    if (size < a + b) {
        const int d = (a + b - size) / 2;
        a = std::max(a - d, 0);
        b = std::max(b - d - size % 2, 0);
    }
}

// A manager whose master bitmap holds, at (1, 1), three 6 x 6 cells with 2-pixel borders, and
// below them a mask row of zeros (which draws the pictures as they are).
class ControlSkinPaintingTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        Manager = Create<TsSkinManager>(nullptr);
        Manager->MasterBitmap = NewBitmap24(20, 14);
        for (int c = 0; c < 3; ++c)
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 6; ++x) {
                    Set24(*Manager->MasterBitmap, 1 + 6 * c + x, 1 + y, CellPixel(c, x, y));
                    Set24(*Manager->MasterBitmap, 1 + 6 * c + x, 7 + y, 0);
                }
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }

    TsMaskData Mask(int maskType, int stretchMode = 0) const
    {
        TsMaskData m;
        m.Manager = Manager;
        m.R = {1, 1, 19, maskType == 1 ? 13 : 7};
        m.ImageCount = 3;
        m.MaskType = static_cast<int16_t>(maskType);
        m.WL = m.WT = m.WR = m.WB = 2;
        m.StretchMode = static_cast<int16_t>(stretchMode);
        return m;
    }

    TsSkinManager* Manager = nullptr;
    TForm* Form = nullptr;
};

// The fitted image against a per-pixel model of the nine parts, and the region against the
// corner pixels that are key-coloured.
TEST_F(ControlSkinPaintingTest, FittedImagesPaintTheNinePartsAndCutOnlyTheCornersKeyPixels)
{
    struct Case {
        const char* name;
        int w, h, maskType, state;
        bool filling;
    } cases[] = {
        {"larger than the cell, tiled", 15, 11, 0, 0, true},
        {"through a mask row", 15, 11, 1, 1, true},
        {"without the centre", 9, 8, 0, 2, false},
        {"a state past the last cell", 7, 7, 0, 7, true},
        {"smaller than the corners", 3, 3, 0, 0, true},
        {"two by two", 2, 2, 1, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto target = NewBitmap24(c.w, c.h);
        ks::GdiRegion rgn(CreateRectRgn(0, 0, c.w, c.h));
        PaintSkinImageFit(*target, rgn.get(), c.filling, Mask(c.maskType, 4), c.state);
        int wl = 2, wr = 2, wt = 2, wb = 2;
        Shrunk(c.w, wl, wr);
        Shrunk(c.h, wt, wb);
        const int cell = std::min(c.state, 2);
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x) {
                const int cx = CellPos(x, c.w, 6, wl, wr), cy = CellPos(y, c.h, 6, wt, wb);
                const bool inCorner = (x < wl || x >= c.w - wr) && (y < wt || y >= c.h - wb);
                const bool centre = x >= wl && x < c.w - wr && y >= wt && y < c.h - wb;
                const uint32_t p = CellPixel(cell, cx, cy);
                uint32_t expected = p;
                if ((inCorner && p == Key) || (centre && !c.filling))
                    expected = White;
                ASSERT_EQ(Get24(*target, x, y), expected) << x << "," << y;
                ASSERT_EQ(PtInRegion(rgn.get(), x, y) != 0, !(inCorner && p == Key)) << x << "," << y;
            }
    }
}

TEST_F(ControlSkinPaintingTest, CuttingNeverAddsPixelsToASmallerRegion)
{
    // The region covers only the top rows: the bottom-left corner's key pixel lies outside it and
    // must stay outside.
    auto target = NewBitmap24(8, 8);
    ks::GdiRegion rgn(CreateRectRgn(0, 0, 8, 3));
    PaintSkinImageFit(*target, rgn.get(), true, Mask(0), 0);
    EXPECT_FALSE(PtInRegion(rgn.get(), 0, 7));
    EXPECT_FALSE(PtInRegion(rgn.get(), 0, 0));
    EXPECT_TRUE(PtInRegion(rgn.get(), 1, 0));
    RECT box{};
    GetRgnBox(rgn.get(), &box);
    EXPECT_EQ(box.bottom, 3);
}

TEST_F(ControlSkinPaintingTest, ARecordWithoutCellsIsReadNotChanged)
{
    // On the master bitmap: nothing to paint, and the shared record keeps its rectangle.
    TsMaskData m = Mask(0);
    m.ImageCount = 0;
    auto target = NewBitmap24(8, 8);
    PaintSkinImageFit(*target, nullptr, true, m, 0);
    EXPECT_EQ(m.R, (TRect{1, 1, 19, 7}));
    EXPECT_EQ(Get24(*target, 1, 1), White);
    // With a bitmap of its own: that bitmap is the one cell.
    auto own = NewBitmap24(6, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            Set24(*own, x, y, CellPixel(0, x, y));
    m.Bmp = OwnGraphic(own.release());
    m.R = {0, 0, 0, 0};
    PaintSkinImageFit(*target, nullptr, true, m, 2);
    EXPECT_EQ(m.R, (TRect{0, 0, 0, 0}));
    EXPECT_EQ(Get24(*target, 1, 1), CellPixel(0, 1, 1));
    EXPECT_EQ(Get24(*target, 7, 6), CellPixel(0, 5, 4));
}

// Whatever a skin says, the painters end, stay inside their bitmaps and only take pixels from
// the region.
TEST_F(ControlSkinPaintingTest, HostileRecordsPaintWhatFitsAndNothingElse)
{
    struct Case {
        const char* name;
        void (*change)(TsMaskData&);
    } cases[] = {
        {"huge borders", [](TsMaskData& m) { m.WL = m.WT = m.WR = m.WB = 32000; }},
        {"negative borders", [](TsMaskData& m) { m.WL = m.WT = -5; m.WR = m.WB = -32000; }},
        {"more cells than pixels", [](TsMaskData& m) { m.ImageCount = 30000; }},
        {"more rows than pixels", [](TsMaskData& m) { m.MaskType = 30000; }},
        {"a mask row below the image", [](TsMaskData& m) { m.MaskType = 1; m.R.Bottom = 40; }},
        {"a rectangle outside the image", [](TsMaskData& m) { m.R = {100, -50, 400, 90}; }},
        {"an inverted rectangle", [](TsMaskData& m) { m.R = {19, 13, 1, 1}; }},
        {"stretched sides of an empty middle", [](TsMaskData& m) { m.StretchMode = 5; m.WL = m.WR = 3; }},
    };
    for (const Case& c : cases)
        for (const auto& [w, h] : {std::pair{1, 1}, {2, 2}, {3, 50}, {40, 30}})
            for (int state : {-3, 0, 1000}) {
                SCOPED_TRACE(std::string(c.name) + " " + std::to_string(w) + "x" + std::to_string(h));
                TsMaskData m = Mask(0, 4);
                c.change(m);
                auto target = NewBitmap24(w, h);
                ks::GdiRegion rgn(CreateRectRgn(0, 0, w - 1, h));
                PaintSkinImageFit(*target, rgn.get(), true, m, state);
                RECT box{};
                GetRgnBox(rgn.get(), &box);
                EXPECT_LE(box.right, w - 1);
                EXPECT_EQ(target->Width(), w);
            }
}

class ControlSkinTest : public ControlSkinPaintingTest {
protected:
    void SetUp() override
    {
        ControlSkinPaintingTest::SetUp();
        Form = CreateNew<TForm>(Application);
        Control = Create<ks::test::TSkinnedGraphic>(Form);
        Control->SetBounds(0, 0, 12, 10);
        Control->SetColor(Colour);
        Manager->MaskArray.push_back(Mask(0));
    }
    static constexpr TColor Colour = 0x00C000;
    static constexpr uint32_t ColourPixel = 0x00C000;
    ks::test::TSkinnedGraphic* Control = nullptr;
};

TEST_F(ControlSkinTest, WithoutABorderImageTheFrameIsTheBackgroundColourOnTheDC)
{
    auto dc = NewBitmap24(6, 5);
    TRect client{9, 9, 9, 9};
    PaintControlSkin(dc->Canvas().Handle(), {0, 0, 6, 5}, 2, Control->SkinData, 0, client);
    EXPECT_EQ(client, (TRect{9, 9, 9, 9}));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool frame = x < 2 || x >= 4 || y < 2 || y >= 3;
            EXPECT_EQ(Get24(*dc, x, y), frame ? ColourPixel : White) << x << "," << y;
        }
}

TEST_F(ControlSkinTest, TheClientRectangleAndTheBandFollowTheAskedBorderWidth)
{
    Control->SkinData.BorderIndex = 0;
    struct Case {
        const char* name;
        int borderWidth;
        TRect client;
        int band; // the band filled inside the skin's 2-pixel border
    } cases[] = {
        {"none: inside the image's border", 0, {2, 2, 10, 8}, 0},
        {"thinner than the skin's border", 1, {1, 1, 11, 9}, 0},
        {"wider: a band of the difference", 4, {4, 4, 8, 6}, 2},
        {"past half the control", 7, {7, 7, 7, 7}, 0},
        {"negative counts as none", -3, {2, 2, 10, 8}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Control->SkinData.CacheBitmap = NewBitmap24(12, 10);
        TBitmap& cache = *Control->SkinData.CacheBitmap;
        TRect client;
        PaintControlSkin(cache.Canvas().Handle(), {0, 0, 12, 10}, c.borderWidth, Control->SkinData, 0, client);
        EXPECT_EQ(client, c.client);
        EXPECT_EQ(Get24(cache, 1, 1), CellPixel(0, 1, 1)) << "the skin border is painted";
        if (c.band > 0) {
            EXPECT_EQ(Get24(cache, 2, 5), ColourPixel);
            EXPECT_EQ(Get24(cache, 3, 5), ColourPixel);
            EXPECT_EQ(Get24(cache, 4, 5), White);
            EXPECT_EQ(Get24(cache, 9, 5), ColourPixel);
            EXPECT_EQ(Get24(cache, 7, 5), White);
        } else if (c.borderWidth < 7) {
            EXPECT_EQ(Get24(cache, 2, 5), White);
        }
    }
}

} // namespace
