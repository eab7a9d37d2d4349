#include "skin/forms/FrameLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace ks::frame;

TEST(FrameLayout, IconSizeFollowsTheCaptionHeightInThreeClasses)
{
    EXPECT_EQ(IconSizeClass(-101), 16) << "below the lowest class counts as large";
    EXPECT_EQ(IconSizeClass(-100), 1);
    EXPECT_EQ(IconSizeClass(8), 1);
    EXPECT_EQ(IconSizeClass(9), 8);
    EXPECT_EQ(IconSizeClass(16), 8);
    EXPECT_EQ(IconSizeClass(17), 16);
}

TEST(FrameLayout, CaptionHeightIsTheSystemsUnlessASkinnedOrRaisedOneApplies)
{
    EXPECT_EQ(CaptionHeightOf(false, 30, true, 18), 0) << "no caption style, no title bar";
    EXPECT_EQ(CaptionHeightOf(true, 0, false, 18), 18) << "without a border window: the system's";
    EXPECT_EQ(CaptionHeightOf(true, 30, false, 18), 30) << "with one: the skin's";
    EXPECT_EQ(CaptionHeightOf(true, 12, true, 18), 22) << "raised: at least the system's + 4";
    EXPECT_EQ(CaptionHeightOf(true, 40, true, 18), 40);
}

TEST(FrameLayout, ButtonStripCountsShownSystemButtonsAndEveryUserButton)
{
    ButtonStrip strip;
    strip.BIRight = 3;
    strip.CloseVisible = true;
    strip.CloseWidth = 21;
    strip.MaxVisible = true;
    strip.MaxWidth = 20;
    strip.MinVisible = false;
    strip.MinWidth = 19;
    strip.HelpVisible = true;
    strip.HelpWidth = 18;
    strip.Gap = 2;
    EXPECT_EQ(TitleButtonsWidthOf(strip), 3 + 21 + (20 + 2) + (18 + 2));

    const std::vector<int> users{25};
    strip.UserWidths = users;
    EXPECT_EQ(TitleButtonsWidthOf(strip), 3 + 21 + 22 + 20 + 8 + 25 + 2) << "one user button adds 8, its width and the gap";

    strip.CloseVisible = false;
    EXPECT_EQ(TitleButtonsWidthOf(strip), 3 + 8 + 27) << "without the close button no system button counts";
}

TEST(FrameLayout, ButtonsAreCentredInTheBandOrSitAtTheTop)
{
    ButtonPlace p;
    p.Band = 30;
    p.ButtonHeight = 18;
    EXPECT_EQ(TitleButtonTop(p), 6);
    p.SingleOrSizeable = true;
    EXPECT_EQ(TitleButtonTop(p), 6) << "18 is tall enough";
    p.ButtonHeight = 14;
    EXPECT_EQ(TitleButtonTop(p), 8 + 2) << "small buttons of a normal form move down 2";

    ButtonPlace top;
    top.TopAligned = true;
    top.MarginTop = 5;
    top.Band = 30;
    top.ButtonHeight = 14;
    EXPECT_EQ(TitleButtonTop(top), 5);
    top.Maximized = true;
    top.SystemFrame = 4;
    EXPECT_EQ(TitleButtonTop(top), 5 + 3);
    top.BorderForm = true;
    top.TitleHeight = 30;
    top.MaxHeight = 24;
    top.BorderMode = 1;
    top.CenterOffset = 2;
    EXPECT_EQ(TitleButtonTop(top), 5 + 3 + 6 + 2);
}

TEST(FrameLayout, ZoomedBorderedFormsShiftCentredButtons)
{
    ButtonPlace p;
    p.Band = 30;
    p.ButtonHeight = 18;
    p.BorderForm = true;
    p.Zoomed = true;
    p.Maximized = true;
    p.SystemFrame = 4;
    p.TitleHeight = 30;
    p.MaxHeight = 30;
    EXPECT_EQ(TitleButtonTop(p), 6 - 2 + 2);
    p.MaxHeight = 20;
    EXPECT_EQ(TitleButtonTop(p), 6 - 2 + (10 / 2 - 2) + 2);
}

TEST(FrameLayout, MenuRowsAreTheDistinctTopsOfTheItems)
{
    struct Case {
        const char* name;
        std::vector<int> tops;
        int rows;
    };
    const Case cases[] = {
        {"one row", {20, 20, 20}, 1},
        {"a wide first item alone on its row", {20, 39, 39, 58, 77}, 4},
        {"an item taller than the others keeps its row's top", {20, 20, 39}, 2},
        {"an empty menu still takes its row", {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MenuRowsOf(c.tops), c.rows);
    }
}

TEST(FrameLayout, SkinCountsNeverDivideByZero)
{
    EXPECT_EQ(DivSafe(42, 0), 42);
    EXPECT_EQ(DivSafe(42, -3), 42);
    EXPECT_EQ(DivSafe(42, 2), 21);
}

}  // namespace
