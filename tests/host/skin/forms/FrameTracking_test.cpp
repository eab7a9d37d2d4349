#include "skin/forms/FrameTracking.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using ks::FrameRect;

TEST(FrameTracking, SnapsOnlyWithinTheBufferStrictly)
{
    struct Case {
        const char* name;
        int pos, edge, buffer, size;
        int expected;
    } cases[] = {
        {"9 pixels short of the edge snaps", 1500 - 420 - 9, 1500, 10, 420, 1500 - 420},
        {"exactly the buffer away stays", 1500 - 420 - 10, 1500, 10, 420, 1500 - 420 - 10},
        {"9 pixels beyond the edge snaps back", 1500 - 420 + 9, 1500, 10, 420, 1500 - 420},
        {"on the edge stays on it", 1080, 1500, 10, 420, 1080},
        {"left edge with a margin outside", 4, 0, 10, -4, 4},
        {"left edge 3 pixels in", 7, 0, 10, -4, 4},
        {"buffer 0 never snaps", 1081, 1500, 0, 420, 1081},
        {"negative buffer never snaps", 1081, 1500, -5, 420, 1081},
        {"far sums do not wrap", INT_MAX - 5, INT_MIN, 10, INT_MAX, INT_MAX - 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int pos = c.pos;
        ks::CheckSnap(pos, c.edge, c.buffer, c.size);
        EXPECT_EQ(pos, c.expected);
    }
}

TEST(FrameTracking, WorkAreaSnapTriesRightBottomLeftTop)
{
    const FrameRect work{100, 50, 1100, 850};
    int x = 1100 - 300 - 2 + 5; // 5 pixels past the right edge, margin 2
    int y = 47;                 // 3 pixels above the top, top margin 0
    ks::SnapToWorkArea(x, y, 300, 200, work, 10, 2, 0);
    EXPECT_EQ(x, 1100 - 302);
    EXPECT_EQ(y, 50);

    // A form wider than the work area meets the right edge first; the left snap then wins.
    x = 100 + 3;
    y = 400;
    ks::SnapToWorkArea(x, y, 1000 - 7, 200, work, 10, 0, 0);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 400);
}

TEST(FrameTracking, SizingOutlineMovesTheEdgesOfTheBand)
{
    const FrameRect form{100, 100, 520, 403}; // 420 x 303
    struct Case {
        const char* name;
        int code, dx, dy;
        FrameRect expected;
    } cases[] = {
        {"left", ks::fhLeft, -20, 15, {80, 100, 520, 403}},
        {"right", ks::fhRight, 30, -40, {100, 100, 550, 403}},
        {"top", ks::fhTop, 25, -10, {100, 90, 520, 403}},
        {"bottom", ks::fhBottom, -25, 10, {100, 100, 520, 413}},
        {"top left", ks::fhTopLeft, 10, 20, {110, 120, 520, 403}},
        {"top right", ks::fhTopRight, 10, 20, {100, 120, 530, 403}},
        {"bottom left", ks::fhBottomLeft, 10, 20, {110, 100, 520, 423}},
        {"bottom right", ks::fhBottomRight, -10, -20, {100, 100, 510, 383}},
        {"keyboard size moves right and bottom", 0, 5, 6, {100, 100, 525, 409}},
        {"left stops at the minimum width", ks::fhLeft, 400, 0, {320, 100, 520, 403}},
        {"bottom right stops at both minima", ks::fhBottomRight, -1000, -1000, {100, 100, 300, 250}},
        {"top stops at the minimum height", ks::fhTopLeft, 0, 500, {100, 253, 520, 403}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FrameRect r = ks::SizingOutline(form, c.code, c.dx, c.dy, 200, 150);
        EXPECT_EQ(r.Left, c.expected.Left);
        EXPECT_EQ(r.Top, c.expected.Top);
        EXPECT_EQ(r.Right, c.expected.Right);
        EXPECT_EQ(r.Bottom, c.expected.Bottom);
    }
}

TEST(FrameTracking, SizingNeverGivesAnEmptyOrWrappedOutline)
{
    const FrameRect form{0, 0, 420, 303};
    const FrameRect zero = ks::SizingOutline(form, ks::fhBottomRight, -420, -303, 0, -7);
    EXPECT_EQ(zero.Right - zero.Left, 1);
    EXPECT_EQ(zero.Bottom - zero.Top, 1);
    const FrameRect far = ks::SizingOutline(form, ks::fhBottomRight, INT_MAX, INT_MAX, 0, 0);
    EXPECT_EQ(far.Right, INT_MAX);
    EXPECT_EQ(far.Bottom, INT_MAX);
    const FrameRect farLeft = ks::SizingOutline(form, ks::fhTopLeft, INT_MIN, INT_MIN, 0, 0);
    EXPECT_EQ(farLeft.Left, INT_MIN);
    EXPECT_EQ(farLeft.Top, INT_MIN);
    const FrameRect moved = ks::MovedOutline(FrameRect{INT_MAX - 10, 0, INT_MAX, 10}, 100, -5);
    EXPECT_EQ(moved.Right, INT_MAX);
    EXPECT_EQ(moved.Top, -5);
}

TEST(FrameTracking, BorderBandsAndCorners)
{
    // 420 x 303 window, 4-pixel border, top band of 3.
    struct Case {
        const char* name;
        int x, y;
        ks::FrameHitCode expected;
    } cases[] = {
        {"inside", 200, 150, ks::fhNone},
        {"top", 200, 2, ks::fhTop},
        {"below the top band", 200, 3, ks::fhNone},
        {"left", 3, 150, ks::fhLeft},
        {"left band ends at the border", 4, 150, ks::fhNone},
        {"right", 417, 150, ks::fhRight},
        {"right band starts past width - border", 416, 150, ks::fhNone},
        {"bottom", 200, 300, ks::fhBottom},
        {"top left", 1, 1, ks::fhTopLeft},
        {"top right", 419, 0, ks::fhTopRight},
        {"bottom left", 0, 302, ks::fhBottomLeft},
        {"bottom right", 419, 302, ks::fhBottomRight},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ks::BorderBandAt(c.x, c.y, 420, 303, 4, 3), c.expected);
    }
    EXPECT_EQ(ks::BorderBandAt(0, 0, 0, 0, 0, 0), ks::fhNone);
}

} // namespace
