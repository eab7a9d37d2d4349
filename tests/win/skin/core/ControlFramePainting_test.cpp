#include "skin/core/ControlFramePainting.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "win/skin/core/PaintingStubs.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <utility>

namespace {

using Points = std::set<std::pair<int, int>>;

using ks::test::Get24;
using ks::test::Get24Of;
using ks::test::Set24;
using ks::test::TBackParent;
using TFramed = ks::test::TSkinnedGraphic;

constexpr uint32_t Key = 0xFF00FF, CacheColour = 0x445566, Picture = 0x808080;

// The parent's image: every pixel says where it is.
uint32_t ParentPixel(int x, int y)
{
    return 0x010000u * static_cast<uint32_t>(x) + 0x000100u * static_cast<uint32_t>(y) + 0x07;
}

// A border image of three 6 x 6 cells with 2-pixel corners, at (1, 1) of the master bitmap:
// every cell has its four outermost corner pixels key-coloured, the third cell also the pixel
// right of its top-left one. With a mask row, the cells' masks lie below them.
class ControlFramePaintingTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        Manager = Create<TsSkinManager>(nullptr);
        Form = CreateNew<TForm>(Application);
        Parent = Create<TBackParent>(Form);
        Parent->SetParent(Form);
        ParentImage = NewBitmap24(20, 12);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 20; ++x)
                Set24(*ParentImage, x, y, ParentPixel(x, y));
        AnswerWithImage({0, 0});
        Control = Create<TFramed>(Form);
        Control->SetBounds(3, 2, 8, 6);
        Control->SetParent(Parent);
        Control->SkinData.BorderIndex = 0;
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        FreeAndNil(Manager);
        ParentImage.reset();
        VclFixture::TearDown();
    }

    void AnswerWithImage(TPoint offset)
    {
        Parent->Answer = [this, offset](BackgroundInfo& i) {
            i.BackgroundKind = BgKindBitmap;
            i.Bmp = ParentImage.get();
            i.Offset = offset;
        };
    }
    void AnswerWithColour(TColor c)
    {
        Parent->Answer = [c](BackgroundInfo& i) {
            i.BackgroundKind = BgKindColor;
            i.Color = c;
        };
    }

    void MakeImage(int maskType, int imageCount = 3)
    {
        Manager->MasterBitmap = NewBitmap24(20, 14);
        for (int c = 0; c < 3; ++c)
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 6; ++x) {
                    const bool corner = (x == 0 || x == 5) && (y == 0 || y == 5);
                    const bool extra = c == 2 && x == 1 && y == 0;
                    Set24(*Manager->MasterBitmap, 1 + 6 * c + x, 1 + y, corner || extra ? Key : Picture);
                    Set24(*Manager->MasterBitmap, 1 + 6 * c + x, 7 + y, 0);
                }
        TsMaskData m;
        m.Manager = Manager;
        m.R = {1, 1, 19, maskType == 1 ? 13 : 7};
        m.ImageCount = static_cast<int16_t>(imageCount);
        m.MaskType = static_cast<int16_t>(maskType);
        m.WL = m.WT = m.WR = m.WB = 2;
        Manager->MaskArray.clear();
        Manager->MaskArray.push_back(std::move(m));
    }

    void ResetCache()
    {
        Control->SkinData.CacheBitmap = NewBitmap24(Control->Width(), Control->Height());
        for (int y = 0; y < Control->Height(); ++y)
            for (int x = 0; x < Control->Width(); ++x)
                Set24(*Control->SkinData.CacheBitmap, x, y, CacheColour);
    }

    // The cache pixels that are no longer the cache colour.
    Points Changed()
    {
        Points p;
        TBitmap& cache = *Control->SkinData.CacheBitmap;
        for (int y = 0; y < cache.Height(); ++y)
            for (int x = 0; x < cache.Width(); ++x)
                if (Get24(cache, x, y) != CacheColour)
                    p.insert({x, y});
        return p;
    }

    TsSkinManager* Manager = nullptr;
    TForm* Form = nullptr;
    TBackParent* Parent = nullptr;
    TFramed* Control = nullptr;
    std::unique_ptr<TBitmap> ParentImage;
};

const Points Corners{{0, 0}, {0, 5}, {7, 5}, {7, 0}};

TEST_F(ControlFramePaintingTest, KeyedCornerPixelsShowTheParentsImageAtTheControlsPlace)
{
    struct Case {
        const char* name;
        int maskType, state, corners;
        Points changed;
    } cases[] = {
        {"no mask row", 0, 0, 15, Corners},
        {"mask row", 1, 0, 15, Corners},
        {"the third cell", 0, 2, 15, {{0, 0}, {1, 0}, {0, 5}, {7, 5}, {7, 0}}},
        {"a state past the last cell takes the last", 1, 9, 15, {{0, 0}, {1, 0}, {0, 5}, {7, 5}, {7, 0}}},
        {"top left and bottom right only", 0, 0, FrameTopLeft | FrameBottomRight, {{0, 0}, {7, 5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeImage(c.maskType);
        ResetCache();
        PaintControlFrameSides(Control->SkinData, c.state, c.corners);
        EXPECT_EQ(Changed(), c.changed);
        for (auto [x, y] : c.changed)
            EXPECT_EQ(Get24(*Control->SkinData.CacheBitmap, x, y), ParentPixel(3 + x, 2 + y)) << x << "," << y;
    }
}

TEST_F(ControlFramePaintingTest, PartsOfThePlaceOutsideTheParentsImageAreLeftAlone)
{
    MakeImage(0);
    // At (-2, 2): the left corners lie left of the parent's image.
    Control->SetBounds(-2, 2, 8, 6);
    ResetCache();
    PaintControlFrame(Control->SkinData, 0);
    EXPECT_EQ(Changed(), (Points{{7, 5}, {7, 0}}));
    // Moved by an offset to the image's right end: the right corners lie past it.
    Control->SetBounds(3, 2, 8, 6);
    AnswerWithImage({10, 0});
    ResetCache();
    PaintControlFrame(Control->SkinData, 0);
    EXPECT_EQ(Changed(), (Points{{0, 0}, {0, 5}}));
}

TEST_F(ControlFramePaintingTest, AColourAnswerFillsTheKeyedPixels)
{
    for (int maskType : {0, 1}) {
        SCOPED_TRACE(maskType);
        MakeImage(maskType);
        AnswerWithColour(clBtnFace);
        ResetCache();
        PaintControlFrame(Control->SkinData, 0);
        EXPECT_EQ(Changed(), Corners);
        EXPECT_EQ(Get24(*Control->SkinData.CacheBitmap, 7, 5), Get24Of(GetSysColor(COLOR_BTNFACE)));
        AnswerWithColour(TransparentKeyColor);
        ResetCache();
        PaintControlFrame(Control->SkinData, 0);
        EXPECT_EQ(Changed(), Points{}) << "no colour";
    }
}

TEST_F(ControlFramePaintingTest, NothingChangesForImagesOrControlsThatCannotBePainted)
{
    struct Case {
        const char* name;
        int maskType, imageCount;
        TRect bounds;
        int borderIndex;
    } cases[] = {
        {"no cells", 0, 0, {3, 2, 11, 8}, 0},
        {"no rows", -1, 3, {3, 2, 11, 8}, 0},
        {"one pixel wide", 0, 3, {3, 2, 4, 8}, 0},
        {"one pixel high", 0, 3, {3, 2, 11, 3}, 0},
        {"no border image", 0, 3, {3, 2, 11, 8}, -1},
        {"a border image past the table", 0, 3, {3, 2, 11, 8}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeImage(c.maskType, c.imageCount);
        Control->SetBounds(c.bounds.Left, c.bounds.Top, c.bounds.Width(), c.bounds.Height());
        Control->SkinData.BorderIndex = c.borderIndex;
        ResetCache();
        PaintControlFrame(Control->SkinData, 0);
        EXPECT_EQ(Changed(), Points{});
    }
}

} // namespace
