#include "skin/adapters/TabGeometry.h"

#include <gtest/gtest.h>

namespace {

using namespace ks::adapters;

bool Same(const TRect& a, const TRect& b)
{
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

TEST(TabGeometry, SideAndLookFollowTheStyleBits)
{
    EXPECT_EQ(TabSideOf(0), TabSide::Top);
    EXPECT_EQ(TabSideOf(0x2), TabSide::Bottom);
    EXPECT_EQ(TabSideOf(0x80), TabSide::Left);
    EXPECT_EQ(TabSideOf(0x82), TabSide::Right);
    EXPECT_EQ(TabLookOf(0), TabLook::Tabs);
    EXPECT_EQ(TabLookOf(0x100), TabLook::Buttons);
    EXPECT_EQ(TabLookOf(0x108), TabLook::FlatButtons) << "flat buttons win";
}

TEST(TabGeometry, TabsGrowTowardsThePageAndTheSelectedOneMore)
{
    const TRect item{10, 2, 50, 22};
    struct Case { TabSide side; TabLook look; bool selected; TRect expected; } cases[] = {
        {TabSide::Top, TabLook::Tabs, false, {10, 2, 49, 26}},
        {TabSide::Top, TabLook::Tabs, true, {8, 0, 52, 24}},
        {TabSide::Bottom, TabLook::Tabs, false, {10, 0, 49, 22}},
        {TabSide::Bottom, TabLook::Tabs, true, {8, -1, 52, 23}},
        {TabSide::Left, TabLook::Tabs, false, {10, 1, 53, 22}},
        {TabSide::Left, TabLook::Tabs, true, {9, 0, 53, 23}},
        {TabSide::Right, TabLook::Tabs, false, {8, 1, 49, 22}},
        {TabSide::Right, TabLook::Tabs, true, {7, 0, 51, 24}},
        {TabSide::Top, TabLook::Buttons, false, {10, 2, 50, 23}},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Same(TabPaintRect(item, c.look, c.side, c.selected), c.expected))
            << static_cast<int>(c.side) << " " << c.selected;
    // A tab of no size is not grown by the tab rule.
    EXPECT_TRUE(Same(TabPaintRect({5, 5, 5, 5}, TabLook::Tabs, TabSide::Top, false), {5, 5, 5, 6}));
}

TEST(TabGeometry, StripAndPageAreaShareTheControl)
{
    const TSize size{120, 100};
    const TRect page{4, 27, 116, 96};
    struct Case { TabSide side; TRect strip, area; } cases[] = {
        {TabSide::Top, {0, 0, 120, 23}, {0, 23, 120, 100}},
        {TabSide::Bottom, {0, 97, 120, 100}, {0, 0, 120, 97}},
        {TabSide::Left, {0, 0, 3, 100}, {3, 0, 120, 100}},
        {TabSide::Right, {117, 0, 120, 100}, {0, 0, 117, 100}},
    };
    for (const Case& c : cases) {
        const TRect strip = TabStripRect(size, true, page, c.side);
        EXPECT_TRUE(Same(strip, c.strip)) << static_cast<int>(c.side);
        EXPECT_TRUE(Same(PageAreaRect(size, true, strip, c.side), c.area)) << static_cast<int>(c.side);
    }
    // Without tabs the page takes all; a page rectangle from a control too small for its tabs
    // gives no strip of negative size.
    EXPECT_TRUE(Same(PageAreaRect(size, false, {}, TabSide::Top), {0, 0, 120, 100}));
    const TRect tiny = TabStripRect({3, 3}, true, {4, -10, 2, -8}, TabSide::Top);
    EXPECT_GE(tiny.Width(), 0);
    EXPECT_GE(tiny.Height(), 0);
}

TEST(TabGeometry, RowsCountFromTheFarthestAndStayInRange)
{
    const TRect strip{0, 0, 200, 44};
    EXPECT_EQ(TabRowOf(1, {0, 2, 50, 22}, strip, TabSide::Top), 1);
    EXPECT_EQ(TabRowOf(2, {0, 2, 50, 22}, strip, TabSide::Top), 1);
    EXPECT_EQ(TabRowOf(2, {0, 22, 50, 42}, strip, TabSide::Top), 2);
    // Tabs of no size (a control that lays out nothing) never divide by zero.
    EXPECT_EQ(TabRowOf(3, {0, 0, 0, 0}, strip, TabSide::Left), 1);
    EXPECT_EQ(TabRowOf(3, {0, 0, 50, 0}, strip, TabSide::Bottom), 1);
    for (int bottom = -100; bottom < 300; bottom += 7) {
        const int row = TabRowOf(3, {0, bottom - 20, 50, bottom}, strip, TabSide::Bottom);
        EXPECT_GE(row, 1);
        EXPECT_LE(row, 3);
    }
}

} // namespace
