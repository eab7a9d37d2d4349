#include "skin/adapters/ScrollBarGeometry.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using ks::ScrollState;

TEST(ScrollBarGeometry, SliderLengthAndPlaceFollowPageAndPosition)
{
    struct Case {
        const char* name;
        int extent, arrow;
        ScrollState s;
        int size, offset;
    } cases[] = {
        // Track of 100 - 2 x 17 = 66 pixels.
        {"page share", 100, 17, {0, 99, 50, 0}, 33, 0},
        {"at the end", 100, 17, {0, 99, 50, 50}, 33, 33},
        {"middle", 100, 17, {0, 99, 50, 25}, 33, 17},
        {"page 0 is an arrow long", 100, 17, {0, 99, 0, 0}, 17, 0},
        {"never below the minimum", 100, 17, {0, 9999, 1, 0}, 10, 0},
        {"range not starting at 0", 100, 17, {100, 199, 50, 150}, 33, 33},
        {"position beyond the range stays in the track", 100, 17, {0, 99, 50, 5000}, 33, 33},
        {"position before the range stays in the track", 100, 17, {0, 99, 50, -5000}, 33, 0},
        {"empty range: no slider", 100, 17, {0, -1, 10, 0}, 0, 0},
        {"negative range", 100, 17, {50, 10, 10, 20}, 0, 0},
        {"page larger than the range fills the track", 100, 17, {0, 9, 500, 0}, 3300, 0},
        {"above 16 bits", 100, 17, {0, 99999, 50000, 50000}, 33, 33},
        {"whole int range", 100, 17, {INT_MIN, INT_MAX, 0, INT_MAX}, 17, 49},
        {"bar shorter than its arrows", 20, 17, {0, 99, 50, 50}, 10, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ks::ThumbGeometry t = ks::CalcThumb(c.extent, c.arrow, c.s, 10);
        if (c.size != 3300)
            EXPECT_EQ(t.Size, c.size);
        else
            EXPECT_GE(t.Size, c.extent - 2 * c.arrow);
        EXPECT_EQ(t.Offset, c.offset);
    }
}

TEST(ScrollBarGeometry, PortionsAlongTheBar)
{
    const ks::ThumbGeometry thumb{20, 10}; // slider from 27 to 47 on a bar of 100 with arrows of 17
    struct Case {
        int at, extent, arrow;
        ks::ThumbGeometry thumb;
        ks::ScrollPortion expected;
    } cases[] = {
        {-1, 100, 17, thumb, ks::spNone},  {0, 100, 17, thumb, ks::spFirstArrow},
        {16, 100, 17, thumb, ks::spFirstArrow}, {17, 100, 17, thumb, ks::spPageBefore},
        {27, 100, 17, thumb, ks::spSlider}, {46, 100, 17, thumb, ks::spSlider},
        {47, 100, 17, thumb, ks::spPageAfter}, {82, 100, 17, thumb, ks::spPageAfter},
        {83, 100, 17, thumb, ks::spSecondArrow}, {99, 100, 17, thumb, ks::spSecondArrow},
        {100, 100, 17, thumb, ks::spNone},
        // Too short for two arrows: two half-length arrows, no slider, presses still scroll by lines.
        {0, 30, 17, {0, 0}, ks::spFirstArrow}, {14, 30, 17, {0, 0}, ks::spFirstArrow},
        {15, 30, 17, {0, 0}, ks::spSecondArrow}, {29, 30, 17, {0, 0}, ks::spSecondArrow},
        // A slider filling the track leaves no page parts.
        {40, 100, 17, {66, 0}, ks::spNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "at " << c.at << " of " << c.extent);
        EXPECT_EQ(ks::PortionAt(c.at, c.extent, c.arrow, c.thumb), c.expected);
    }
}

TEST(ScrollBarGeometry, ASliderIsShownOnlyWithARangeAndRoomForIt)
{
    EXPECT_TRUE(ks::SliderShown(100, 17, {0, 99, 50, 0}, 10));
    EXPECT_FALSE(ks::SliderShown(100, 17, {0, -1, 0, 0}, 10)) << "an empty range shows none";
    EXPECT_FALSE(ks::SliderShown(30, 17, {0, 99, 50, 0}, 10)) << "no track";
    EXPECT_FALSE(ks::SliderShown(100, 17, {0, 9, 500, 0}, 10)) << "a page beyond the range leaves nothing to drag";
    EXPECT_TRUE(ks::SliderShown(40, 10, {0, 99, 1, 0}, 10)) << "the minimum fits the track exactly";
}

TEST(ScrollBarGeometry, DraggedSliderPositions)
{
    struct Case {
        const char* name;
        int start, track, thumb;
        ScrollState s;
        int expected;
    } cases[] = {
        {"start", 0, 66, 33, {0, 99, 50, 0}, 0},
        {"end: the last page", 33, 66, 33, {0, 99, 50, 0}, 50},
        {"half", 16, 66, 33, {0, 99, 50, 0}, 24},
        {"past the end", 500, 66, 33, {0, 99, 50, 0}, 50},
        {"before the start", -40, 66, 33, {0, 99, 50, 0}, 0},
        {"range from 100", 33, 66, 33, {100, 199, 50, 0}, 150},
        {"slider fills the track", 0, 66, 66, {0, 99, 50, 0}, 0},
        {"empty range", 10, 66, 33, {5, 4, 0, 0}, 5},
        {"page 0 reaches the last line", 56, 66, 10, {0, 9999, 0, 0}, 9999},
        {"beyond 16 bits, rounded as the platform rounds", 28, 66, 10, {0, 99999, 0, 0}, 50000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ks::DragPosition(c.start, c.track, c.thumb, c.s), c.expected);
    }
}

// A window reading the field as signed gets a negative position back.
TEST(ScrollBarGeometry, PositionsForTheSixteenBitField)
{
    const struct Case {
        const char* name;
        int position;
        int field;
        int readSigned;
    } cases[] = {
        {"small", 1234, 1234, 1234},
        {"negative", -5, 0xFFFB, -5},
        {"dragged to -209 of -300..-200", -209, 0xFF2F, -209},
        {"lowest signed", -32768, 0x8000, -32768},
        {"largest", 65535, 65535, -1},
        {"beyond 16 bits held to the largest", 70000, 65535, -1},
        {"below the signed field held to its lowest", -40000, 0x8000, -32768},
        {"most negative int", INT32_MIN, 0x8000, -32768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ks::Position16(c.position), c.field);
        EXPECT_EQ(static_cast<short>(static_cast<unsigned short>(ks::Position16(c.position))), c.readSigned);
    }
}

} // namespace
