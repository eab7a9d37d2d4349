#include "skin/core/sGradientPaint.h"

#include "vcl/Bitmap.h"
#include "vcl/PlatformSeams.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// The pixels of a bitmap as 0xAARRGGBB (alpha 0 for 24-bit), row 0 first.
std::vector<uint32_t> Read(TBitmap& b)
{
    const int bytes = b.View().bpp / 8;
    std::vector<uint32_t> px;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            uint32_t v = 0;
            std::memcpy(&v, b.ScanLine(y) + x * bytes, static_cast<size_t>(bytes));
            px.push_back(v);
        }
    return px;
}

// A bitmap whose every byte differs from its neighbours, so any stray write shows.
TBitmap& Patterned(TBitmap& b, TPixelFormat format, int width, int height)
{
    b.SetPixelFormat(format);
    b.SetSize(width, height);
    const int bytes = b.View().bpp / 8;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int i = 0; i < width * bytes; ++i)
            row[i] = static_cast<uint8_t>(i * 7 + y * 13 + 5);
    }
    return b;
}

using PaintGradientTest = VclFixture;

// The adapter paints bitmaps of 24 and 32 bits through the row painter and leaves others.
TEST_F(PaintGradientTest, PaintsTwentyFourAndThirtyTwoBitBitmapsOnly)
{
    struct Case {
        const char* name;
        TPixelFormat format;
        bool painted;
    } const cases[] = {{"TwentyFour", pf24bit, true}, {"ThirtyTwo", pf32bit, true}, {"Sixteen", pf16bit, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap b;
        Patterned(b, c.format, 4, 3);
        const std::vector<uint32_t> before = Read(b);
        PaintGradient(b, Rect(0, 0, 4, 3), ParseGradient("255;255;100;0;0"));
        const uint32_t red = c.format == pf32bit ? 0xFFFF0000u : 0xFF0000u;
        EXPECT_EQ(Read(b)[6], c.painted ? red : before[6]);
    }
}

// ---- four triangles

struct FillCall {
    int calls = 0;
    std::vector<TRIVERTEX> vertices;
    std::vector<GRADIENT_TRIANGLE> mesh;
    ULONG mode = 0;
};
FillCall recorded;

BOOL WINAPI RecordFill(HDC, TRIVERTEX* v, ULONG nv, void* mesh, ULONG nm, ULONG mode)
{
    ++recorded.calls;
    recorded.vertices.assign(v, v + nv);
    const auto* t = static_cast<const GRADIENT_TRIANGLE*>(mesh);
    recorded.mesh.assign(t, t + nm);
    recorded.mode = mode;
    return TRUE;
}

TEST_F(PaintGradientTest, TrianglesHandTheirVerticesToGradientFill)
{
    struct Case {
        const char* name;
        const char* gradient;
        TRect rect;
        TRIVERTEX v[5];
    } const cases[] = {
        {"FiveStops", "1193046;0;0;2;0;255;0;0;0;0;65280;0;0;0;0;16711680;0;0;0;0;16777215;0;0;0;0", {2, 3, 13, 10},
         {{2, 3, 0x5600, 0x3400, 0x1200, 0}, {7, 6, 0xFF00, 0, 0, 0}, {13, 3, 0, 0xFF00, 0, 0},
          {13, 10, 0, 0, 0xFF00, 0}, {2, 10, 0xFF00, 0xFF00, 0xFF00, 0}}},
        {"OneStopClippedToTheBitmap", "65280;0;0;2;0", {-4, -4, 40, 30},
         {{0, 0, 0, 0xFF00, 0, 0}, {10, 8, 0, 0xFF00, 0, 0}, {20, 0, 0, 0xFF00, 0, 0}, {20, 16, 0, 0xFF00, 0, 0},
          {0, 16, 0, 0xFF00, 0, 0}}},
    };
    ks::Sys().GradientFillPtr = &RecordFill;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        recorded = {};
        TBitmap b;
        Patterned(b, pf24bit, 20, 16);
        PaintGradient(b, c.rect, ParseGradient(c.gradient));
        ASSERT_EQ(recorded.calls, 1);
        ASSERT_EQ(recorded.vertices.size(), 5u);
        EXPECT_EQ(std::memcmp(recorded.vertices.data(), c.v, sizeof c.v), 0);
        const ULONG expectedMesh[4][3] = {{0, 1, 2}, {1, 2, 3}, {0, 1, 4}, {4, 1, 3}};
        ASSERT_EQ(recorded.mesh.size(), 4u);
        for (int t = 0; t < 4; ++t)
            EXPECT_EQ(std::memcmp(&recorded.mesh[t], expectedMesh[t], sizeof expectedMesh[t]), 0) << "triangle " << t;
        EXPECT_EQ(recorded.mode, static_cast<ULONG>(GRADIENT_FILL_TRIANGLE));
    }
}

// The vertices are checked above; here the system paints them into the bitmap, and without
// the system's GradientFill the bitmap is left as it was.
TEST_F(PaintGradientTest, TrianglesPaintThroughTheSystemAndNothingWithoutIt)
{
    ASSERT_NE(ks::Sys().GradientFillPtr, nullptr) << "msimg32 offers GradientFill on every supported system";
    const TsGradArray d = ParseGradient("255;0;0;2;0;65280;0;0;0;0;16711680;0;0;0;0;16777215;0;0;0;0;0;0;0;0;0");
    TBitmap b;
    Patterned(b, pf24bit, 41, 41);
    PaintGradient(b, Rect(0, 0, 41, 41), d);
    EXPECT_EQ(Read(b)[20 * 41 + 20] & 0xE0E0E0, 0x00E000u) << "green at the centre";

    ks::Sys().GradientFillPtr = nullptr;
    Patterned(b, pf24bit, 41, 41);
    const std::vector<uint32_t> before = Read(b);
    PaintGradient(b, Rect(0, 0, 41, 41), d);
    EXPECT_EQ(Read(b), before);
}

} // namespace
