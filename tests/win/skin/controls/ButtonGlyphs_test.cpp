#include "skin/controls/ButtonGlyphs.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/images/acAlphaImageList.h"
#include "vcl/ImgList.h"
#include "host/support/SmallPng.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <vector>

namespace {

constexpr TColor Grey = 0x404040;
constexpr TColor Key = TransparentKeyColor;

std::unique_ptr<TBitmap> Filled(int w, int h, TColor c, TPixelFormat format = pf24bit)
{
    auto b = format == pf32bit ? NewBitmap32(w, h) : NewBitmap24(w, h);
    FillRectSolid(b->Canvas().Handle(), {0, 0, w, h}, c);
    return b;
}

// Written through its pixels, so that its handle is in no device context when a list takes it.
std::unique_ptr<TBitmap> Pixels8x8(TColor c, TColor corner)
{
    auto b = NewBitmap24(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const TColor v = x == 0 && y == 0 ? corner : c;
            uint8_t* p = b->ScanLine(y) + 3 * x;
            p[0] = GetBValue(v);
            p[1] = GetGValue(v);
            p[2] = GetRValue(v);
        }
    return b;
}

TColor At(TBitmap& b, int x, int y)
{
    GdiFlush();
    return b.Canvas().Pixels(x, y);
}

// A glyph drawn into a grey 20 x 20 cache at (4, 4).
class ButtonGlyphsTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        SkinData = std::make_unique<TsCommonData>(nullptr, false);
        SkinData->CacheBitmap = Filled(20, 20, Grey);
        Button.SkinData = SkinData.get();
        Button.R = {4, 4, 12, 12};
    }
    void TearDown() override
    {
        SkinData.reset();
        VclFixture::TearDown();
    }
    TBitmap& Cache() { return *SkinData->CacheBitmap; }
    // An 8 x 8 list with one image of colour with a key-coloured top-left pixel, masked by it.
    TImageList* List(TColor bk, TColor colour = 0xFFFFFF)
    {
        auto* list = Create<TImageList>(nullptr);
        list->SetWidth(8);
        list->SetHeight(8);
        list->SetBkColor(bk);
        auto image = Pixels8x8(colour, Key);
        auto mask = Pixels8x8(0x000000, 0xFFFFFF);
        EXPECT_EQ(list->Add(*image, mask.get()), 0);
        return list;
    }

    std::unique_ptr<TsCommonData> SkinData;
    TacButtonGlyph Button;
};

TEST_F(ButtonGlyphsTest, AKeyedGlyphLetsItsBlendOfTheBackgroundThroughOnlyInTheNormalState)
{
    auto glyph = Filled(8, 8, 0xFFFFFF);
    glyph->Canvas().SetPixels(0, 7, Key); // the key is the bottom-left pixel
    Button.Glyph = glyph.get();
    Button.Blend = 40;
    struct Case { int state; TColor middle; } cases[] = {
        {0, 0xB3B3B3}, // 0.6 x 255 + 0.4 x 64, rounded
        {1, 0xFFFFFF},
        {2, 0xFFFFFF},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.state);
        FillRectSolid(Cache().Canvas().Handle(), {0, 0, 20, 20}, Grey);
        Button.StateIndex = k.state;
        PaintButtonGlyph(Button, nullptr);
        EXPECT_EQ(At(Cache(), 8, 8), k.middle);
        EXPECT_EQ(At(Cache(), 4, 11), Grey) << "the key pixel";
        EXPECT_EQ(At(Cache(), 3, 3), Grey) << "outside the glyph";
    }
}

TEST_F(ButtonGlyphsTest, AnAlphaGlyphIsDrawnAtItsBlendInTheNormalStateOnly)
{
    auto glyph = Filled(8, 8, 0, pf32bit);
    GdiFlush();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            uint8_t* p = glyph->ScanLine(y) + 4 * x;
            p[0] = p[1] = p[2] = p[3] = 0xFF;
        }
    Button.Glyph = glyph.get();
    Button.Blend = 40;
    FillRectSolid(Cache().Canvas().Handle(), {0, 0, 20, 20}, 0x000000);
    PaintButtonGlyph(Button, nullptr);
    EXPECT_NEAR(GetRValue(At(Cache(), 8, 8)), 102, 1) << "alpha 255 x 40 %";
    Button.StateIndex = 1;
    PaintButtonGlyph(Button, nullptr);
    EXPECT_GE(GetRValue(At(Cache(), 8, 8)), 0xFE);
}

TEST_F(ButtonGlyphsTest, ImageListGlyphsKeepTheirKeyAndDrawNothingOutOfRange)
{
    TImageList* list = List(clNone);
    auto b = GetImageListBitmap(list, 0);
    ASSERT_TRUE(b);
    EXPECT_EQ(At(*b, 0, 0), Key) << "BkColor clNone leaves the background transparent";
    EXPECT_EQ(At(*b, 4, 4), 0xFFFFFF);
    EXPECT_EQ(GetImageListBitmap(list, 1), nullptr);
    EXPECT_EQ(GetImageListBitmap(nullptr, 0), nullptr);

    auto canvasBitmap = Filled(20, 20, Grey);
    Button.Images = list;
    for (int index : {-1, 1}) {
        Button.ImageIndex = index;
        PaintButtonGlyph(Button, &canvasBitmap->Canvas());
        EXPECT_EQ(At(*canvasBitmap, 8, 8), Grey) << index;
    }
    // Unskinned and disabled with dgGrayed: grey, its key left out.
    list->Free();
    list = List(clNone, 0x0000FF);
    Button.Images = list;
    Button.ImageIndex = 0;
    Button.Enabled = false;
    Button.DisabledGlyphKind = {dgGrayed};
    PaintButtonGlyph(Button, &canvasBitmap->Canvas());
    EXPECT_EQ(At(*canvasBitmap, 8, 8), 0x555555) << "red greyed";
    EXPECT_EQ(At(*canvasBitmap, 4, 4), Grey) << "the key pixel";
    list->Free();
}

TEST_F(ButtonGlyphsTest, APressedToolbarImageMovesOnePixelRightAndDown)
{
    TImageList* list = List(clNone);
    TacToolButtonGlyph tool;
    tool.Images = list;
    tool.ImageIndex = 0;
    tool.ButtonSize = {24, 22};
    struct Case { UINT state; TPoint corner; } cases[] = {
        {0, {9, 7}},             // (24 - 8) / 2 + 1, (22 - 8) / 2
        {CDIS_HOT, {9, 7}},
        {CDIS_SELECTED, {10, 8}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.state);
        auto dest = Filled(24, 22, Grey);
        tool.ItemState = k.state;
        PaintImageListGlyph(tool, *dest);
        EXPECT_EQ(At(*dest, k.corner.X, k.corner.Y), Grey) << "the key corner";
        EXPECT_EQ(At(*dest, k.corner.X + 1, k.corner.Y), 0xFFFFFF);
        EXPECT_EQ(At(*dest, k.corner.X + 7, k.corner.Y + 7), 0xFFFFFF);
        EXPECT_EQ(At(*dest, k.corner.X + 8, k.corner.Y + 8), Grey);
    }
    tool.ImageIndex = 3;
    auto dest = Filled(24, 22, Grey);
    PaintImageListGlyph(tool, *dest);
    EXPECT_EQ(At(*dest, 12, 12), Grey) << "an index beyond the list draws nothing";
    list->Free();
}

// An alpha image list's image of three opaque cells, red, green and blue, each 8 x 8: the cell
// drawn is the platform state plus the button's; the blend lets the background through in the
// normal state only.
TEST_F(ButtonGlyphsTest, AnAlphaImageListDrawsTheCellOfTheStateAndBlendsOnlyAtRest)
{
    std::vector<uint8_t> samples;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 24; ++x)
            samples.insert(samples.end(), {static_cast<uint8_t>(x < 8 ? 255 : 0),
                                           static_cast<uint8_t>(x >= 8 && x < 16 ? 255 : 0),
                                           static_cast<uint8_t>(x >= 16 ? 255 : 0), 255});
    const std::vector<uint8_t> png = ks::test::MakeSmallPng(24, 8, 6, samples);
    auto* list = Create<TsAlphaImageList>(nullptr);
    list->SetWidth(24);
    list->SetHeight(8);
    TsImgListItem* item = list->Items()->Add();
    item->SetImageFormat(ifPNG);
    item->ImgData().WriteBuffer(png.data(), png.size());
    list->GenerateStdList();
    Button.Images = list;
    Button.ImageIndex = 0;
    Button.NumGlyphs = 3;
    struct Case {
        const char* name;
        int fstate, state, blend;
        TColor middle;
    } cases[] = {
        {"Normal", 0, 0, 0, 0x0000FF},
        {"Hot", 0, 1, 0, 0x00FF00},
        {"Pressed", 0, 2, 0, 0xFF0000},
        {"Down", 2, 0, 0, 0xFF0000},
        {"HotIgnoresTheBlend", 0, 1, 40, 0x00FF00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto canvas = Filled(20, 20, Grey);
        Button.FState = c.fstate;
        Button.StateIndex = c.state;
        Button.Blend = c.blend;
        PaintButtonGlyph(Button, &canvas->Canvas());
        // The blend's rounding may take one off a full channel.
        const TColor middle = At(*canvas, 8, 8);
        EXPECT_NEAR(GetRValue(middle), GetRValue(c.middle), 1);
        EXPECT_NEAR(GetGValue(middle), GetGValue(c.middle), 1);
        EXPECT_NEAR(GetBValue(middle), GetBValue(c.middle), 1);
        EXPECT_EQ(At(*canvas, 12, 12), Grey) << "one cell wide";
    }
    auto canvas = Filled(20, 20, Grey);
    Button.FState = Button.StateIndex = 0;
    Button.Blend = 40;
    PaintButtonGlyph(Button, &canvas->Canvas());
    const TColor blended = At(*canvas, 8, 8);
    EXPECT_NEAR(GetRValue(blended), (255 * 60 + 0x40 * 40) / 100, 2) << "40 % of the background";
    EXPECT_NEAR(GetGValue(blended), 0x40 * 40 / 100, 2);
    list->Free();
}

// A toolbar button takes its hot image from HotImages whenever it is not at rest, if that list
// has the image; otherwise from Images.
TEST_F(ButtonGlyphsTest, AToolbarButtonAwayFromRestTakesItsHotImage)
{
    TImageList* images = List(clNone, 0xFFFFFF);
    TImageList* hot = List(clNone, 0x0000FF);
    TImageList* empty = Create<TImageList>(nullptr);
    empty->SetWidth(8);
    empty->SetHeight(8);
    TacToolButtonGlyph tool;
    tool.Images = images;
    tool.ImageIndex = 0;
    tool.ButtonSize = {24, 22};
    struct Case {
        const char* name;
        TImageList* hotList;
        UINT state;
        TColor expected;
    } cases[] = {
        {"AtRest", hot, 0, 0xFFFFFF},
        {"DisabledIsAtRest", hot, CDIS_DISABLED, 0xFFFFFF},
        {"Hot", hot, CDIS_HOT, 0x0000FF},
        {"Checked", hot, CDIS_CHECKED, 0x0000FF},
        {"HotListWithoutTheImage", empty, CDIS_HOT, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto dest = Filled(24, 22, Grey);
        tool.HotImages = c.hotList;
        tool.ItemState = c.state;
        PaintImageListGlyph(tool, *dest);
        EXPECT_EQ(At(*dest, 13, 11), c.expected);
    }
    images->Free();
    hot->Free();
    empty->Free();
}

} // namespace
