#include "skin/core/DeviceContextRoutines.h"

#include "skin/core/CacheBitmaps.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

uint32_t Get24(TBitmap& b, int x, int y)
{
    const uint8_t* p = b.ScanLine(y) + 3 * x;
    return p[0] | p[1] << 8 | p[2] << 16;
}

void Set24(TBitmap& b, int x, int y, uint32_t bgr)
{
    std::memcpy(b.ScanLine(y) + 3 * x, &bgr, 3);
}

// The bitmap as rows of characters: '.' for white, '#' for colour, '?' for anything else.
std::string Picture(TBitmap& b, uint32_t colour)
{
    std::string s;
    for (int y = 0; y < b.Height(); ++y) {
        for (int x = 0; x < b.Width(); ++x) {
            const uint32_t p = Get24(b, x, y);
            s += p == 0xFFFFFF ? '.' : p == colour ? '#' : '?';
        }
        s += '\n';
    }
    return s;
}

// COLORREF byte order, as a 24-bit pixel is read back by Get24 (blue low).
uint32_t PixelOf(COLORREF c)
{
    return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

using DeviceContextRoutinesTest = VclFixture;

TEST_F(DeviceContextRoutinesTest, SolidFillsResolveSystemColoursAndKeepTheDC)
{
    auto b = NewBitmap24(4, 3);
    HDC dc = b->Canvas().Handle();
    HGDIOBJ brushBefore = GetCurrentObject(dc, OBJ_BRUSH);
    FillRectSolid(dc, {1, 1, 3, 2}, clBtnFace);
    const uint32_t face = PixelOf(GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(Picture(*b, face), "....\n.##.\n....\n");
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brushBefore);
    // An inverted rectangle is empty, not mirrored.
    FillRectSolid(dc, {3, 3, 0, 0}, 0x0000FF);
    EXPECT_EQ(Picture(*b, face), "....\n.##.\n....\n");
}

TEST_F(DeviceContextRoutinesTest, FrameStripsStayInsideTheRectangle)
{
    struct Case {
        const char* name;
        int l, t, r, b;
        const char* picture;
    } cases[] = {
        {"one each", 1, 1, 1, 1, "......\n.####.\n.#..#.\n.#..#.\n.####.\n......\n"},
        {"top and left only", 2, 1, 0, 0, "......\n.####.\n.##...\n.##...\n.##...\n......\n"},
        {"bottom and right only", 0, 0, 1, 2, "......\n....#.\n....#.\n.####.\n.####.\n......\n"},
        {"negative widths are none", -3, -1, -5, -2, "......\n......\n......\n......\n......\n......\n"},
        {"huge widths fill only the rectangle", 1000, 0, 0, 0, "......\n.####.\n.####.\n.####.\n.####.\n......\n"},
        {"int limits", INT_MAX, INT_MAX, INT_MAX, INT_MAX, "......\n.####.\n.####.\n.####.\n.####.\n......\n"},
    };
    for (const Case& c : cases) {
        auto b = NewBitmap24(6, 6);
        FillFrameSolid(b->Canvas().Handle(), {1, 1, 5, 5}, c.l, c.t, c.r, c.b, 0x00FF00);
        EXPECT_EQ(Picture(*b, 0x00FF00), c.picture) << c.name;
    }
}

TEST_F(DeviceContextRoutinesTest, FrameCopiesLeaveTheInteriorAlone)
{
    struct Case {
        const char* name;
        int border;
        const char* picture;
    } cases[] = {
        {"one pixel", 1, "........\n.######.\n.#....#.\n.#....#.\n.#....#.\n.######.\n........\n"},
        {"two pixels", 2, "........\n.######.\n.######.\n.##..##.\n.######.\n.######.\n........\n"},
        {"wider than half", 4, "........\n.######.\n.######.\n.######.\n.######.\n.######.\n........\n"},
        {"none", 0, "........\n........\n........\n........\n........\n........\n........\n"},
    };
    auto source = NewBitmap24(8, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 8; ++x)
            Set24(*source, x, y, 0x123456);
    for (const Case& c : cases) {
        // A memory DC larger than the frame: only the strips may change.
        auto b = NewBitmap24(8, 7);
        CopyFrameStrips(b->Canvas().Handle(), 1, 1, 6, 5, source->Canvas().Handle(), 1, 1, c.border);
        EXPECT_EQ(Picture(*b, 0x123456), c.picture) << c.name;
    }
}

} // namespace
