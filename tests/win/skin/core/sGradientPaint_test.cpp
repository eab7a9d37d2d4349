#include "skin/core/sGradientPaint.h"

#include "vcl/Bitmap.h"
#include "vcl/PlatformSeams.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// A copy of a bitmap's pixels as 0xAARRGGBB (alpha 0 for 24-bit), row 0 at the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> px;

    uint32_t& At(int x, int y) { return px[static_cast<size_t>(y) * width + x]; }
};

// Equal images, or the first pixel that differs.
::testing::AssertionResult Same(const Image& actual, const Image& expected)
{
    if (actual.width != expected.width || actual.height != expected.height)
        return ::testing::AssertionFailure() << "sizes differ";
    for (size_t i = 0; i < actual.px.size(); ++i)
        if (actual.px[i] != expected.px[i])
            return ::testing::AssertionFailure() << "pixel (" << i % actual.width << ", " << i / actual.width
                                                 << ") is " << std::hex << actual.px[i] << ", expected "
                                                 << expected.px[i];
    return ::testing::AssertionSuccess();
}

int BytesOf(TBitmap& b)
{
    return b.PixelFormat() == pf32bit ? 4 : b.PixelFormat() == pf24bit ? 3 : 2;
}

Image Read(TBitmap& b)
{
    Image img{b.Width(), b.Height(), {}};
    const int bytes = BytesOf(b);
    for (int y = 0; y < b.Height(); ++y) {
        const uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < b.Width(); ++x) {
            uint32_t v = 0;
            for (int i = 0; i < bytes; ++i)
                v |= uint32_t{row[x * bytes + i]} << (8 * i);
            img.px.push_back(v);
        }
    }
    return img;
}

// A bitmap whose every byte differs from its neighbours, so any stray write shows.
TBitmap& Patterned(TBitmap& b, TPixelFormat format, int width, int height)
{
    b.SetPixelFormat(format);
    b.SetSize(width, height);
    const int bytes = BytesOf(b);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int i = 0; i < width * bytes; ++i)
            row[i] = static_cast<uint8_t>(i * 7 + y * 13 + 5);
    }
    return b;
}

// ---- the slow model: whole numbers only, one pixel at a time

// Color1 + k * (Color2 - Color1) / n per channel, the nearest integer with halves to even.
uint32_t Lerp(TColor from, TColor to, int64_t k, int64_t n)
{
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const int64_t a = (from >> (8 * c)) & 0xFF;
        const int64_t b = (to >> (8 * c)) & 0xFF;
        const int64_t num = a * n + k * (b - a); // never negative: the value lies between a and b
        int64_t q = num / n;
        const int64_t twice = 2 * (num % n);
        if (twice > n || (twice == n && q % 2 == 1))
            ++q;
        // red is the low byte of a colour value and the high byte of a BGR pixel
        out |= static_cast<uint32_t>(q) << (8 * (2 - c));
    }
    return out;
}

void Set(Image& img, int x, int y, uint32_t rgb, bool alpha)
{
    img.At(x, y) = rgb | (alpha ? 0xFF000000u : (img.At(x, y) & 0xFF000000u));
}

// Rounds start + Percent * width / 100 with halves to even, in whole numbers.
int64_t Boundary(int64_t start, int percent, int width)
{
    const int64_t num = start * 100 + int64_t{percent} * width;
    const int64_t q = num / 100, rem = num % 100;
    return rem > 50 || (rem == 50 && q % 2 == 1) ? q + 1 : q;
}

// Both pixel modes: stops chained along rows (vertical) or columns (horizontal).
void Model(Image& img, TRect r, const TsGradArray& d, int offset, bool alpha)
{
    r = {std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, img.width), std::min(r.Bottom, img.height)};
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    const bool vertical = d[0].Mode == gmVertical;
    const int64_t first = vertical ? r.Top : r.Left, last = (vertical ? r.Bottom : r.Right) - 1;
    int64_t pos = vertical ? first + offset : first;
    for (size_t i = 0; i < d.size(); ++i) {
        const int64_t start = pos;
        pos = vertical ? start + (int64_t{r.Bottom - r.Top} + offset) * d[i].Percent / 100
                       : Boundary(start, d[i].Percent, r.Right - r.Left);
        if (i + 1 == d.size() || pos > last)
            pos = last;
        if (vertical && pos == start)
            break;
        for (int64_t k = std::max(start, first); k <= pos && pos > start; ++k) {
            const uint32_t rgb = Lerp(d[i].Color1, d[i].Color2, k - start, pos - start);
            for (int across = vertical ? r.Left : r.Top; across < (vertical ? r.Right : r.Bottom); ++across)
                Set(img, vertical ? across : int(k), vertical ? int(k) : across, rgb, alpha);
        }
    }
}

TsGradArray WithMode(const char* text, int mode)
{
    TsGradArray d = ParseGradient(text);
    for (TsGradStop& s : d)
        s.Mode = mode;
    return d;
}

using PaintGradientTest = VclFixture;

TEST_F(PaintGradientTest, PixelModesMatchTheModel)
{
    struct Case {
        const char* name;
        const char* gradient;
        int width, height;
        TRect rect;
        int offset; // horizontal gradients ignore it
    } const cases[] = {
        {"TwoStopsHalfEach", "16777215;255;50;0;0;255;0;50;0;0", 12, 10, {0, 0, 12, 10}, 0},
        {"SingleStopThirtyPercentFillsAll", "0;255;30;0;0", 9, 11, {0, 0, 9, 11}, 0},
        {"RectLargerThanBitmap", "0;16777215;60;0;0;65280;16711680;40;0;0", 10, 8, {2, 1, 50, 40}, 0},
        {"RectInside", "16711680;255;40;0;0;100;200;60;0;0", 16, 16, {3, 2, 11, 13}, 0},
        {"NegativeLeftTop", "255;65280;50;0;0;65280;16711680;50;0;0", 10, 10, {-5, -3, 6, 7}, 0},
        {"ThreeUnevenStops", "0;16711680;20;0;0;65280;255;30;0;0;123;4567890;10;0;0", 17, 23, {0, 0, 17, 23}, 0},
        {"PercentsAboveTheWhole", "0;255;70;0;0;255;16711680;70;0;0;16711680;0;70;0;0", 13, 13, {0, 0, 13, 13}, 0},
        {"FirstStopOfNoLength", "255;255;0;0;0;65280;65280;100;0;0", 8, 8, {0, 0, 8, 8}, 0},
        {"OnePixelHigh", "0;255;100;0;0", 8, 8, {0, 3, 8, 4}, 0},
        {"OffsetDown", "0;16777215;50;0;0;16777215;0;50;0;0", 10, 20, {0, 0, 10, 20}, 5},
        {"OffsetUpStaysInTheRect", "0;16777215;50;0;0;16777215;0;50;0;0", 10, 20, {1, 6, 9, 20}, -9},
        {"OffsetBeyondTheBottom", "0;16777215;50;0;0;16777215;0;50;0;0", 10, 20, {0, 0, 10, 20}, 40},
    };
    for (int mode : {gmVertical, gmHorizontal}) {
        for (TPixelFormat format : {pf24bit, pf32bit}) {
            for (const Case& c : cases) {
                SCOPED_TRACE(std::string(c.name) + (mode == gmVertical ? "/vertical" : "/horizontal") +
                             (format == pf24bit ? "/24" : "/32"));
                TBitmap b;
                Patterned(b, format, c.width, c.height);
                const TsGradArray d = WithMode(c.gradient, mode);
                Image expected = Read(b);
                Model(expected, c.rect, d, c.offset, format == pf32bit);
                PaintGradient(b, c.rect, d, c.offset);
                EXPECT_TRUE(Same(Read(b), expected));
            }
        }
    }
}

TEST_F(PaintGradientTest, FivePixelRampsRoundHalvesToEven)
{
    // Steps of 63.75: 0, 63.75, 127.5, 191.25, 255 and back.
    const uint32_t up[] = {0x00, 0x40, 0x80, 0xBF, 0xFF}, down[] = {0xFF, 0xBF, 0x80, 0x40, 0x00};
    TBitmap v, h;
    Patterned(v, pf24bit, 2, 5);
    PaintGradient(v, Rect(0, 0, 1, 5), ParseGradient("0;255;100;0;0"));
    PaintGradient(v, Rect(1, 0, 2, 5), ParseGradient("255;0;100;0;0"));
    Patterned(h, pf32bit, 5, 2);
    PaintGradient(h, Rect(0, 0, 5, 1), ParseGradient("0;255;100;1;0"));
    PaintGradient(h, Rect(0, 1, 5, 2), ParseGradient("255;0;100;1;0"));
    Image vi = Read(v), hi = Read(h);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(vi.At(0, i), up[i] << 16);
        EXPECT_EQ(vi.At(1, i), down[i] << 16);
        EXPECT_EQ(hi.At(i, 0), up[i] << 16 | 0xFF000000u);
        EXPECT_EQ(hi.At(i, 1), down[i] << 16 | 0xFF000000u);
    }
}

TEST_F(PaintGradientTest, LeavesWhatItCannotPaintAlone)
{
    struct Case {
        const char* name;
        TPixelFormat format;
        const char* gradient;
    } const cases[] = {
        {"SixteenBitVertical", pf16bit, "0;255;100;0;0"}, {"SixteenBitHorizontal", pf16bit, "0;255;100;1;0"},
        {"NoStops", pf24bit, ""},                         {"UnknownMode", pf24bit, "0;255;100;3;0"},
        {"NegativeMode", pf32bit, "0;255;100;-1;0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap b;
        Patterned(b, c.format, 6, 6);
        const Image before = Read(b);
        PaintGradient(b, Rect(0, 0, 6, 6), ParseGradient(c.gradient));
        EXPECT_TRUE(Same(Read(b), before));
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
    struct Vertex {
        LONG x, y;
        COLOR16 r, g, b;
    };
    struct Case {
        const char* name;
        const char* gradient;
        TRect rect;
        Vertex v[5];
    } const cases[] = {
        {"FiveStops", "1193046;0;0;2;0;255;0;0;0;0;65280;0;0;0;0;16711680;0;0;0;0;16777215;0;0;0;0", {2, 3, 13, 10},
         {{2, 3, 0x5600, 0x3400, 0x1200}, {7, 6, 0xFF00, 0, 0}, {13, 3, 0, 0xFF00, 0}, {13, 10, 0, 0, 0xFF00},
          {2, 10, 0xFF00, 0xFF00, 0xFF00}}},
        {"OneStopClippedToTheBitmap", "65280;0;0;2;0", {-4, -4, 40, 30},
         {{0, 0, 0, 0xFF00, 0}, {10, 8, 0, 0xFF00, 0}, {20, 0, 0, 0xFF00, 0}, {20, 16, 0, 0xFF00, 0},
          {0, 16, 0, 0xFF00, 0}}},
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
        for (int k = 0; k < 5; ++k) {
            SCOPED_TRACE(k);
            const TRIVERTEX& v = recorded.vertices[k];
            EXPECT_EQ(v.x, c.v[k].x);
            EXPECT_EQ(v.y, c.v[k].y);
            EXPECT_EQ(v.Red, c.v[k].r);
            EXPECT_EQ(v.Green, c.v[k].g);
            EXPECT_EQ(v.Blue, c.v[k].b);
            EXPECT_EQ(v.Alpha, 0);
        }
        const ULONG expectedMesh[4][3] = {{0, 1, 2}, {1, 2, 3}, {0, 1, 4}, {4, 1, 3}};
        ASSERT_EQ(recorded.mesh.size(), 4u);
        for (int t = 0; t < 4; ++t) {
            EXPECT_EQ(recorded.mesh[t].Vertex1, expectedMesh[t][0]);
            EXPECT_EQ(recorded.mesh[t].Vertex2, expectedMesh[t][1]);
            EXPECT_EQ(recorded.mesh[t].Vertex3, expectedMesh[t][2]);
        }
        EXPECT_EQ(recorded.mode, static_cast<ULONG>(GRADIENT_FILL_TRIANGLE));
    }
}

TEST_F(PaintGradientTest, TrianglesPaintThroughTheSystemAndNothingWithoutIt)
{
    ASSERT_NE(ks::Sys().GradientFillPtr, nullptr) << "msimg32 offers GradientFill on every supported system";
    // red top left, green centre, blue top right, white bottom right, black bottom left
    const TsGradArray d = ParseGradient("255;0;0;2;0;65280;0;0;0;0;16711680;0;0;0;0;16777215;0;0;0;0;0;0;0;0;0");
    TBitmap b;
    Patterned(b, pf24bit, 41, 41);
    PaintGradient(b, Rect(0, 0, 41, 41), d);
    Image img = Read(b);
    auto similar = [](uint32_t px, uint32_t rgb) {
        for (int c = 0; c < 3; ++c)
            if (std::abs(int((px >> (8 * c)) & 0xFF) - int((rgb >> (8 * c)) & 0xFF)) > 16)
                return false;
        return true;
    };
    EXPECT_TRUE(similar(img.At(0, 0), 0xFF0000)) << std::hex << img.At(0, 0);
    EXPECT_TRUE(similar(img.At(20, 20), 0x00FF00)) << std::hex << img.At(20, 20);
    EXPECT_TRUE(similar(img.At(40, 0), 0x0000FF)) << std::hex << img.At(40, 0);
    EXPECT_TRUE(similar(img.At(40, 40), 0xFFFFFF)) << std::hex << img.At(40, 40);
    EXPECT_TRUE(similar(img.At(0, 40), 0x000000)) << std::hex << img.At(0, 40);

    ks::Sys().GradientFillPtr = nullptr;
    TBitmap without;
    Patterned(without, pf24bit, 41, 41);
    const Image before = Read(without);
    PaintGradient(without, Rect(0, 0, 41, 41), d);
    EXPECT_TRUE(Same(Read(without), before));
}

} // namespace
