#include "skin/adapters/SmallAdapterGeometry.h"

#include <gtest/gtest.h>

namespace {

using namespace ks::adapters;

::testing::AssertionResult Same(const TRect& a, const TRect& b)
{
    if (a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.Left << "," << a.Top << "," << a.Right << "," << a.Bottom
                                         << ") instead of (" << b.Left << "," << b.Top << "," << b.Right << ","
                                         << b.Bottom << ")";
}

TEST(SmallAdapterGeometry, ComboButtonSitsTwoPixelsInsideTheReadingEnd)
{
    struct Case { const char* name; int buttonWidth; bool rtl; TRect expected; } cases[] = {
        {"DropDown", 17, false, {101, 2, 118, 19}},
        {"RightToLeftReading", 17, true, {2, 2, 19, 19}},
        {"SimpleHasNoWidth", 0, false, {118, 2, 118, 19}},
        {"NegativeWidthIsNone", -5, false, {118, 2, 118, 19}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(Same(ComboButtonRect(120, 21, c.buttonWidth, c.rtl), c.expected));
    }
}

TEST(SmallAdapterGeometry, SpinHalvesShareTheMiddleAndTheFirstTakesTheOddPixel)
{
    struct Case { const char* name; int w, h; bool vertical; TRect first, second; } cases[] = {
        {"VerticalOdd", 17, 25, true, {0, 0, 17, 13}, {0, 12, 17, 25}},
        {"VerticalEven", 17, 24, true, {0, 0, 17, 12}, {0, 12, 17, 24}},
        {"HorizontalOdd", 31, 16, false, {0, 0, 16, 16}, {15, 0, 31, 16}},
        {"Empty", 0, 0, true, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {"NegativeSizeIsEmpty", -4, -9, false, {0, 0, 0, 0}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SpinHalves h = SpinButtonHalves(c.w, c.h, c.vertical);
        EXPECT_TRUE(Same(h.first, c.first));
        EXPECT_TRUE(Same(h.second, c.second));
    }
    const SpinHalves v = SpinButtonHalves(17, 25, true);
    EXPECT_EQ(SpinHalfAt(v, {5, 12}), 0) << "the shared row belongs to the upper button";
    EXPECT_EQ(SpinHalfAt(v, {5, 13}), 1);
    EXPECT_EQ(SpinHalfAt(v, {5, 24}), 1);
}

TEST(SmallAdapterGeometry, SpeedButtonPlacesGlyphAndCaptionByLayoutAndMargin)
{
    // A 60 x 40 button, a 16 x 16 glyph, a caption 20 x 10, spacing 4.
    struct Case {
        const char* name;
        GlyphLayout layout;
        int margin;
        TSize glyph;
        TSize text;
        bool pressed;
        TPoint glyphAt;
        TRect caption;
    } cases[] = {
        // group width 16 + 4 + 20 = 40, offset (60 - 40) / 2 = 10
        {"LeftCentred", GlyphLayout::Left, -1, {16, 16}, {20, 10}, false, {10, 12}, {30, 15, 50, 25}},
        {"LeftMargin", GlyphLayout::Left, 3, {16, 16}, {20, 10}, false, {3, 12}, {23, 15, 43, 25}},
        {"RightCentred", GlyphLayout::Right, -1, {16, 16}, {20, 10}, false, {34, 12}, {10, 15, 30, 25}},
        {"RightMargin", GlyphLayout::Right, 3, {16, 16}, {20, 10}, false, {41, 12}, {17, 15, 37, 25}},
        // group height 16 + 4 + 10 = 30, offset (40 - 30) / 2 = 5
        {"TopCentredAsAGroup", GlyphLayout::Top, -1, {16, 16}, {20, 10}, false, {22, 5}, {20, 25, 40, 35}},
        {"BottomCentred", GlyphLayout::Bottom, -1, {16, 16}, {20, 10}, false, {22, 19}, {20, 5, 40, 15}},
        {"BottomMargin", GlyphLayout::Bottom, 2, {16, 16}, {20, 10}, false, {22, 22}, {20, 8, 40, 18}},
        // no caption: no spacing, the glyph alone centred
        {"EmptyCaptionUsesNoSpacing", GlyphLayout::Top, -1, {16, 16}, {0, 0}, false, {22, 12}, {30, 28, 30, 28}},
        {"PressedMovesGlyphAndCaption", GlyphLayout::Left, -1, {16, 16}, {20, 10}, true, {11, 13}, {31, 16, 51, 26}},
        // no glyph: the caption alone
        {"CaptionCentred", GlyphLayout::Left, -1, {0, 0}, {20, 10}, false, {0, 0}, {20, 15, 40, 25}},
        {"CaptionRightMargin", GlyphLayout::Right, 5, {0, 0}, {20, 10}, false, {0, 0}, {35, 15, 55, 25}},
        {"CaptionBottomMargin", GlyphLayout::Bottom, 5, {0, 0}, {20, 10}, false, {0, 0}, {20, 25, 40, 35}},
        {"MarginCaptionDoesNotMoveWhenPressed", GlyphLayout::Top, 5, {0, 0}, {20, 10}, true, {0, 0}, {20, 5, 40, 15}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpeedButtonFacts f;
        f.button = {60, 40};
        f.glyph = c.glyph;
        f.text = c.text;
        f.layout = c.layout;
        f.margin = c.margin;
        f.spacing = 4;
        f.pressed = c.pressed;
        const SpeedButtonPlaces p = SpeedButtonLayout(f);
        EXPECT_EQ(p.glyph.X, c.glyphAt.X);
        EXPECT_EQ(p.glyph.Y, c.glyphAt.Y);
        EXPECT_TRUE(Same(p.caption, c.caption));
    }
}

TEST(SmallAdapterGeometry, MenuFrameIsHalfTheNonClientWidth)
{
    EXPECT_EQ(MenuFrameWidth(77, 71), 3) << "a frame outside the client";
    EXPECT_EQ(MenuFrameWidth(71, 71), 0) << "a frame drawn inside the client";
    EXPECT_EQ(MenuFrameWidth(10, 20), 0) << "never negative";
}

} // namespace
