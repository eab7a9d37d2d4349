#include "skin/core/acFastPixels.h"

#include "skin/core/CacheBitmaps.h"
#include "win/vcl/GdiFlat.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using FastPixelsTest = GdiFlat;

// The pixel's bytes in the bitmap's memory, low byte first.
uint32_t Bytes(TBitmap& b, int x, int y)
{
    const int n = b.View().bpp / 8;
    uint32_t v = 0;
    std::memcpy(&v, b.ScanLine(y) + n * x, n);
    return v;
}

void SetBytes(TBitmap& b, int x, int y, uint32_t v)
{
    const int n = b.View().bpp / 8;
    std::memcpy(b.ScanLine(y) + n * x, &v, n);
}

void FillBytes(TBitmap& b, uint32_t v)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            SetBytes(b, x, y, v);
}

TEST_F(FastPixelsTest, AttachRefusesThinWrongOrMissingBitmaps)
{
    struct Case {
        const char* name;
        int width, height;
        TPixelFormat format;
    } cases[] = {
        {"OnePixelHigh", 5, 1, pf24bit}, {"OnePixelWide", 1, 5, pf24bit},
        {"OnePixelHigh32", 5, 1, pf32bit}, {"Empty", 0, 0, pf24bit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool is24 = c.format == pf24bit;
        auto good = is24 ? NewBitmap24(4, 4) : NewBitmap32(4, 4);
        auto bmp = is24 ? NewBitmap24(c.width, c.height) : NewBitmap32(c.width, c.height);
        TacFast24 f24;
        TacFast32 f32;
        ASSERT_TRUE(is24 ? f24.Attach(good.get()) : f32.Attach(good.get()));
        EXPECT_FALSE(is24 ? f24.Attach(bmp.get()) : f32.Attach(bmp.get()));
        EXPECT_EQ(is24 ? f24.Width() : f32.Width(), 0);
    }
    auto b24 = NewBitmap24(3, 3);
    auto b32 = NewBitmap32(3, 3);
    TacFast24 f24;
    TacFast32 f32;
    EXPECT_FALSE(f24.Attach(nullptr));
    EXPECT_FALSE(f24.Attach(b32.get())) << "a 24-bit accessor on 32-bit rows runs past them";
    EXPECT_FALSE(f32.Attach(b24.get()));
    EXPECT_EQ(f24.Width(), 0);
    EXPECT_EQ(f32.Width(), 0);
    ASSERT_TRUE(f32.Attach(b32.get()));
    EXPECT_EQ(f32.Width(), 3);
    EXPECT_EQ(f32.Stride(), b32->Stride());
    EXPECT_LT(f32.Stride(), 0) << "bottom-up DIB";
}

TEST_F(FastPixelsTest, PixelsKeepTheirByteOrder)
{
    auto b32 = NewBitmap32(4, 3);
    SetBytes(*b32, 2, 1, 0x40302010); // blue 0x10, green 0x20, red 0x30, alpha 0x40
    TacFast32 f32;
    ASSERT_TRUE(f32.Attach(b32.get()));
    EXPECT_EQ(f32.GetPixel(2, 1), 0x40102030u);
    f32.SetPixel(0, 2, 0x40102030u);
    EXPECT_EQ(Bytes(*b32, 0, 2), 0x40302010u);

    auto b24 = NewBitmap24(4, 3);
    SetBytes(*b24, 3, 2, 0x563412); // blue 0x12, green 0x34, red 0x56
    TacFast24 f24;
    ASSERT_TRUE(f24.Attach(b24.get()));
    EXPECT_EQ(f24.GetPixel(3, 2), 0x123456);
    f24.SetPixel(1, 0, 0x123456);
    EXPECT_EQ(Bytes(*b24, 1, 0), 0x563412u);
    EXPECT_EQ(Bytes(*b24, 0, 0), 0xFFFFFFu) << "neighbours stay white";
    EXPECT_EQ(Bytes(*b24, 2, 0), 0xFFFFFFu);
}

TEST_F(FastPixelsTest, FillRectOpaque32ClipsAndSetsAlpha)
{
    struct Case {
        const char* name;
        TRect r;
        TRect filled;
    } cases[] = {
        {"Inside", {1, 1, 3, 2}, {1, 1, 3, 2}},
        {"PastEveryEdge", {-3, -3, 9, 9}, {0, 0, 4, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto b = NewBitmap32(4, 3);
        FillRectOpaque32(b.get(), c.r, 0x332211);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                const bool in = x >= c.filled.Left && x < c.filled.Right && y >= c.filled.Top && y < c.filled.Bottom;
                EXPECT_EQ(Bytes(*b, x, y), in ? 0xFF112233u : 0x00FFFFFFu) << x << "," << y;
            }
    }
    auto b24 = NewBitmap24(4, 3);
    FillRectOpaque32(b24.get(), {0, 0, 4, 3}, 0);
    EXPECT_EQ(Bytes(*b24, 1, 1), 0xFFFFFFu) << "24-bit bitmaps are not 32-bit";
    FillRectOpaque32(nullptr, {0, 0, 4, 3}, 0);
}

TEST_F(FastPixelsTest, SetRectAlpha32ChangesOnlyAlphaOf32BitBitmaps)
{
    auto b = NewBitmap32(4, 3);
    FillBytes(*b, 0x00112233);
    SetRectAlpha32(b.get(), {2, -1, 6, 2}, 0x80);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Bytes(*b, x, y), (x >= 2 && y < 2) ? 0x80112233u : 0x00112233u) << x << "," << y;

    auto b24 = NewBitmap24(4, 3);
    SetRectAlpha32(b24.get(), {0, 0, 4, 3}, 0);
    EXPECT_EQ(Bytes(*b24, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Bytes(*b24, 1, 0), 0xFFFFFFu) << "the byte that would be pixel 0's alpha";
}

// DstRect (2, 1, 4, 3) on a 5 x 4 destination and SrcRect with Left 0, Bottom 4 on a 3 x 6
// source: the bottom edges are aligned, so destination row 2 takes source row 3, row 1 row 2.
TEST_F(FastPixelsTest, BlendRectAlignsLeftAndBottomEdges)
{
    for (int bpp : {24, 32}) {
        SCOPED_TRACE(bpp);
        auto src = bpp == 24 ? NewBitmap24(3, 6) : NewBitmap32(3, 6);
        auto dst = bpp == 24 ? NewBitmap24(5, 4) : NewBitmap32(5, 4);
        FillBytes(*dst, bpp == 24 ? 0x646464 : 0x64646464);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 3; ++x)
                SetBytes(*src, x, y, static_cast<uint32_t>(0x01010101 * (10 * y + x)) >> (32 - bpp));
        SetBytes(*src, 0, 3, bpp == 24 ? 0xC8C8C8 : 0xC8C8C8C8);

        TacFastSum24 s24;
        TacFastSum32 s32;
        const bool attached = bpp == 24 ? s24.Attach(src.get(), dst.get()) : s32.Attach(src.get(), dst.get());
        ASSERT_TRUE(attached);
        const auto blend = [&](TRect d, TRect s, uint8_t a) {
            if (bpp == 24) {
                s24.Alpha = a, s24.DstRect = d, s24.SrcRect = s;
                s24.BlendRect();
            } else {
                s32.Alpha = a, s32.DstRect = d, s32.SrcRect = s;
                s32.BlendRect();
            }
        };
        EXPECT_EQ(bpp == 24 ? s24.Width() : s32.Width(), 3);
        EXPECT_EQ(bpp == 24 ? s24.Height() : s32.Height(), 4);

        blend({2, 1, 4, 3}, {0, 99, 99, 4}, 128);
        const uint32_t mask = bpp == 24 ? 0xFFFFFF : 0xFFFFFFFF;
        EXPECT_EQ(Bytes(*dst, 2, 2), 0x95959595u & mask) << "(200 * 127 + 100 * 128 + 127) >> 8 = 149";
        const uint32_t s21 = (10 * 2 + 1), want21 = (s21 * 127 + 100 * 128 + 127) >> 8;
        EXPECT_EQ(Bytes(*dst, 3, 1), 0x01010101u * want21 & mask);
        EXPECT_EQ(Bytes(*dst, 1, 2), 0x64646464u & mask) << "left of DstRect";
        EXPECT_EQ(Bytes(*dst, 2, 3), 0x64646464u & mask) << "below DstRect";

        const std::vector<uint8_t> before(dst->ScanLine(0), dst->ScanLine(0) + 5 * bpp / 8);
        blend({3, 0, 3, 4}, {0, 0, 0, 4}, 0);
        blend({0, 2, 5, 2}, {0, 0, 0, 4}, 0);
        EXPECT_EQ(std::vector<uint8_t>(dst->ScanLine(0), dst->ScanLine(0) + 5 * bpp / 8), before) << "empty rectangles";
    }
}

TEST_F(FastPixelsTest, BlendRectAttachNeedsTwoBitmapsOfItsDepth)
{
    auto a24 = NewBitmap24(4, 4), b24 = NewBitmap24(4, 4), a32 = NewBitmap32(4, 4), thin = NewBitmap24(4, 1);
    TacFastSum24 s;
    EXPECT_FALSE(s.Attach(a24.get(), a32.get()));
    EXPECT_FALSE(s.Attach(a24.get(), thin.get()));
    EXPECT_FALSE(s.Attach(nullptr, b24.get()));
    EXPECT_TRUE(s.Attach(a24.get(), b24.get()));
    TacFastSum32 s32;
    EXPECT_FALSE(s32.Attach(a24.get(), b24.get()));
}

} // namespace
