#include "skin/core/sMaskData.h"

#include <gtest/gtest.h>

namespace {

TEST(sMaskData, CellSizesDivideTheRectangleAsPaintersExpect)
{
    struct Case {
        const char* name;
        TRect r;
        int16_t imageCount;
        int16_t maskType;
        int width;
        int height;
    } cases[] = {
        {"ThreeCellsOneRow", {0, 0, 30, 18}, 3, 0, 10, 18},
        {"NoCells", {0, 0, 30, 18}, 0, 0, 0, 18},
        {"MaskTypeMinusOne", {0, 0, 30, 18}, 1, -1, 30, 0},
        {"NegativeWidthTruncatesTowardZero", {10, 0, 4, 6}, 3, 0, -2, 6},
        {"MaskRowHalvesTheHeight", {0, 5, 9, 50}, 1, 1, 9, 22},
        {"ExtremeRectangle", {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, INT16_MAX, INT16_MAX, 131076, 131071},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TsMaskData m;
        m.R = c.r;
        m.ImageCount = c.imageCount;
        m.MaskType = c.maskType;
        EXPECT_EQ(MaskCellWidth(m), c.width);
        EXPECT_EQ(MaskCellHeight(m), c.height);
    }
}

} // namespace
