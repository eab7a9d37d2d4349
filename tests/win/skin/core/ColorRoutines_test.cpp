#include "skin/core/ColorRoutines.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/sSkinManager.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/Graphics.h"
#include "vcl/PlatformSeams.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using ColorRoutinesTest = VclFixture;
using ks::RgbColor;

void PaintKey(TBitmap& b, int x, int y)
{
    const int n = b.View().bpp / 8;
    const uint8_t key[4] = {0xFF, 0x00, 0xFF, 0x00};
    std::memcpy(b.ScanLine(y) + n * x, key, n);
}

TEST(ColorRoutines, LayeredWindowsFollowTheBoundFunction)
{
    ks::ResetSys();
    EXPECT_TRUE(LayeredWindowsAvailable());
    ks::Sys().UpdateLayeredWindowPtr = nullptr;
    EXPECT_FALSE(LayeredWindowsAvailable());
    ks::ResetSys();
}

// The colour arithmetic is the pixel layer's (host tests); here the wrappers' own choices: the
// channel swap, percent 0 returning the colour as it is, system colours resolved before the turn.
TEST(ColorRoutines, WrappersOfTheColourArithmetic)
{
    EXPECT_EQ(SwapRB(0x563412), 0x123456);
    EXPECT_EQ(DesaturateColor(static_cast<TColor>(0xFF00000F), 0), static_cast<TColor>(0xFF00000F));
    EXPECT_EQ(DesaturateColor(RgbColor(200, 100, 0), 100), 0x646464);
    EXPECT_EQ(RotateHueColor(120, clHighlight), RotateHueColor(120, ColorToRGB(clHighlight)));
    EXPECT_NE(RotateHueColor(120, clHighlight), RotateHueColor(120, clHighlight & 0xFF)) << "the index as a colour";
}

// The runs themselves are the pixel core's (host tests); here the bitmap's rows reach it the
// right way up, bitmaps under 2 x 2 add nothing, and the region leaves the runs out.
TEST_F(ColorRoutinesTest, KeyRunsBecomeHolesOfTheRegion)
{
    auto b = NewBitmap24(10, 10);
    for (int x = 2; x <= 4; ++x)
        PaintKey(*b, x, 0);
    PaintKey(*b, 9, 5);
    std::vector<TRect> runs;
    KeyRunsOfBitmap(runs, b.get(), TransparentKeyColor);
    EXPECT_EQ(runs, (std::vector<TRect>{{2, 0, 5, 1}, {9, 5, 10, 6}}));
    auto thin = NewBitmap24(10, 1);
    PaintKey(*thin, 0, 0);
    KeyRunsOfBitmap(runs, thin.get(), TransparentKeyColor);
    KeyRunsOfBitmap(runs, nullptr, TransparentKeyColor);
    EXPECT_EQ(runs.size(), 2u);

    ks::GdiRegion rgn = RegionFromBitmap(b.get(), TransparentKeyColor);
    ASSERT_TRUE(rgn);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(PtInRegion(rgn.get(), x, 0) != 0, x < 2 || x > 4) << x;
    EXPECT_TRUE(PtInRegion(rgn.get(), 9, 9));
    EXPECT_FALSE(PtInRegion(rgn.get(), 10, 9));
    ks::GdiRegion whole = RegionFromBitmap(NewBitmap24(4, 3).get(), TransparentKeyColor);
    RECT box{};
    EXPECT_EQ(GetRgnBox(whole.get(), &box), SIMPLEREGION);
    EXPECT_EQ(box.bottom, 3);
    EXPECT_FALSE(RegionFromBitmap(nullptr, TransparentKeyColor));
}

// A border image of two cells 6 x 4 (a picture row and a mask row), sides 1 pixel wide.
class MaskCornerTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        FManager = Create<TsSkinManager>(nullptr);
        FMask.Manager = FManager;
        FMask.R = {0, 0, 12, 8};
        FMask.ImageCount = 2;
        FMask.MaskType = 1;
        FMask.WL = FMask.WT = FMask.WR = FMask.WB = 1;
    }
    void TearDown() override
    {
        FMask.Bmp.reset();
        FManager->Free();
        VclFixture::TearDown();
    }
    TBitmap& OwnImage(int width, int height)
    {
        FMask.Bmp = OwnGraphic(NewBitmap24(width, height).release());
        return *FMask.Bmp;
    }

    TsSkinManager* FManager = nullptr;
    TsMaskData FMask;
};

TEST_F(MaskCornerTest, CornerKeyPixelsLandAtTheEdges)
{
    TBitmap& img = OwnImage(12, 8);
    PaintKey(img, 0, 0); // top-left corner of cell 0
    PaintKey(img, 5, 0); // top-right corner of cell 0
    PaintKey(img, 0, 3); // bottom-left corner of cell 0
    PaintKey(img, 6, 0); // cell 1: never scanned
    std::vector<TRect> top, bottom;
    MaskCornerKeyRects(top, 40, FMask, 7, false);
    MaskCornerKeyRects(bottom, 40, FMask, 20, true);
    EXPECT_EQ(top, (std::vector<TRect>{{0, 7, 1, 8}, {39, 7, 40, 8}}));
    EXPECT_EQ(bottom, (std::vector<TRect>{{0, 20, 1, 21}}));

    // Images without a bitmap of their own are read from the master bitmap.
    FMask.Bmp.reset();
    FManager->MasterBitmap = NewBitmap24(20, 12);
    FMask.R = {4, 2, 16, 10};
    PaintKey(*FManager->MasterBitmap, 4, 2);
    top.clear();
    MaskCornerKeyRects(top, 30, FMask, 0, false);
    EXPECT_EQ(top, (std::vector<TRect>{{0, 0, 1, 1}}));
}

TEST_F(MaskCornerTest, ImagesThatCannotHoldTheStripAddNothing)
{
    struct Case {
        const char* name;
        int16_t imageCount;
        int imageHeight;
        TsSkinManager* manager;
    } cases[] = {
        {"NoCells", 0, 8, FManager},       // would divide by zero
        {"StripPastLastRow", 2, 3, FManager}, // bottom strip is row 3, the image has rows 0..2
        {"NoManager", 2, 8, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap& img = OwnImage(12, c.imageHeight);
        for (int y = 0; y < c.imageHeight; ++y)
            PaintKey(img, 0, y);
        FMask.ImageCount = c.imageCount;
        FMask.Manager = c.manager;
        FMask.R = {0, 0, 12, 8};
        std::vector<TRect> rects;
        MaskCornerKeyRects(rects, 40, FMask, 0, true);
        EXPECT_TRUE(rects.empty());
    }
}

} // namespace
