#include "skin/core/NumberRoutines.h"

#include "skin/pixels/PixelCore.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberRoutines, RectangleSizes)
{
    const TRect backwards{10, 8, 4, 2};
    EXPECT_EQ(RectWidth(backwards), -6);
    EXPECT_EQ(RectWidth(backwards, true), 0);
    EXPECT_EQ(RectHeight(backwards), -6);
    EXPECT_EQ(RectHeight(backwards, true), 0);
    EXPECT_EQ(RectWidth({2, 0, 9, 0}, true), 7);
}

TEST(NumberRoutines, RectanglesIntersectOnlyWhenTheyShareAPixel)
{
    const TRect a{10, 10, 20, 20};
    struct Case {
        const char* name;
        TRect b;
        bool expected;
    } cases[] = {
        {"Overlapping", {15, 15, 25, 25}, true},
        {"Inside", {12, 12, 13, 13}, true},
        {"Covering", {0, 0, 30, 30}, true},
        {"TouchingRight", {20, 10, 30, 20}, false},
        {"TouchingBottom", {10, 20, 20, 30}, false},
        {"EndsAtLeft", {0, 10, 10, 20}, false},
        {"EndsAtTop", {10, 0, 20, 10}, false},
        {"EmptyInside", {12, 12, 12, 15}, false},
        {"BackwardsInside", {15, 15, 12, 12}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RectsIntersect(a, c.b), c.expected);
    }
}

TEST(NumberRoutines, RectInRectIncludesTheRightAndBottomEdges)
{
    const TRect outer{10, 10, 20, 20};
    EXPECT_TRUE(RectInRect(outer, {10, 10, 20, 20}));
    EXPECT_TRUE(RectInRect(outer, {12, 12, 15, 15}));
    EXPECT_FALSE(RectInRect(outer, {9, 10, 20, 20}));
    EXPECT_FALSE(RectInRect(outer, {10, 10, 21, 20}));
    EXPECT_FALSE(RectInRect(outer, {10, 10, 20, 21}));
}

TEST(NumberRoutines, ClampAndScale)
{
    EXPECT_EQ(ClampByte(-1), 0);
    EXPECT_EQ(ClampByte(128), 128);
    EXPECT_EQ(ClampByte(256), 255);
    struct Case {
        int value, base, expected;
    } cases[] = {
        {50, 40, 70}, {0, 40, 40}, {100, 40, 100}, {50, 0, 50},
        {1, 50, 50},   // 50.5 goes to the even neighbour
        {3, 50, 52},   // 51.5 goes to the even neighbour
        {50, 25, 62},  // 62.5
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " " + std::to_string(c.base));
        EXPECT_EQ(ScalePercent(c.value, c.base), c.expected);
    }
}

} // namespace
