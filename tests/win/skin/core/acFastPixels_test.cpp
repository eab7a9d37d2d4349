#include "skin/core/acFastPixels.h"

#include "skin/core/CacheBitmaps.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

using FastPixelsTest = VclFixture;

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
    auto b24 = NewBitmap24(3, 3), b32 = NewBitmap32(3, 3);
    struct Case {
        const char* name;
        std::unique_ptr<TBitmap> bmp;
        bool is24;
    } cases[] = {
        {"OnePixelHigh", NewBitmap24(5, 1), true}, {"OnePixelWide", NewBitmap24(1, 5), true},
        {"OnePixelHigh32", NewBitmap32(5, 1), false}, {"Empty", NewBitmap24(0, 0), true},
        {"ThirtyTwoFor24", NewBitmap32(3, 3), true}, {"TwentyFourFor32", NewBitmap24(3, 3), false},
        {"None", nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TacFast24 f24;
        TacFast32 f32;
        ASSERT_TRUE(c.is24 ? f24.Attach(b24.get()) : f32.Attach(b32.get()));
        EXPECT_FALSE(c.is24 ? f24.Attach(c.bmp.get()) : f32.Attach(c.bmp.get()));
        EXPECT_EQ(c.is24 ? f24.Width() : f32.Width(), 0) << "a failed attach leaves nothing to run past";
    }
    // The blender needs two bitmaps of its depth, at least 2 x 2.
    auto thin = NewBitmap24(3, 1);
    EXPECT_FALSE(TacFastSum24().Attach(b24.get(), b32.get()));
    EXPECT_FALSE(TacFastSum24().Attach(b24.get(), thin.get()));
    EXPECT_FALSE(TacFastSum24().Attach(nullptr, b24.get()));
    EXPECT_FALSE(TacFastSum32().Attach(b24.get(), b24.get()));
    TacFast32 f32;
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

TEST_F(FastPixelsTest, TheTwoSharedTwentyFourBitAccessorsBindApart)
{
    auto a = NewBitmap24(2, 2), b = NewBitmap24(3, 2);
    SetBytes(*b, 1, 1, 0x010203);
    ASSERT_TRUE(Fast24.Attach(a.get()));
    ASSERT_TRUE(Fast24b.Attach(b.get()));
    EXPECT_EQ(Fast24.Bitmap(), a.get());
    EXPECT_EQ(Fast24.GetPixel(1, 1), 0xFFFFFF);
    EXPECT_EQ(Fast24b.GetPixel(1, 1), 0x030201);
}

// Clipping and arithmetic are the pixel core's (host tests); here the bitmaps' rows reach it the
// right way up and only 32-bit bitmaps take the rectangle routines.
TEST_F(FastPixelsTest, RectangleRoutinesWorkOn32BitBitmapsOnly)
{
    auto b = NewBitmap32(4, 3);
    FillRectOpaque32(b.get(), {1, 0, 3, 1}, 0x332211);
    SetRectAlpha32(b.get(), {2, 2, 9, 9}, 0x80);
    EXPECT_EQ(Bytes(*b, 1, 0), 0xFF112233u);
    EXPECT_EQ(Bytes(*b, 1, 1), 0x00FFFFFFu);
    EXPECT_EQ(Bytes(*b, 3, 2), 0x80FFFFFFu);

    auto b24 = NewBitmap24(4, 3);
    FillRectOpaque32(b24.get(), {0, 0, 4, 3}, 0);
    SetRectAlpha32(b24.get(), {0, 0, 4, 3}, 0);
    EXPECT_EQ(Bytes(*b24, 1, 0), 0xFFFFFFu);
    FillRectOpaque32(nullptr, {0, 0, 4, 3}, 0);
}

// The source is aligned with DstRect at its bottom edge: destination row 2 of (2, 1, 4, 3)
// takes source row 3 when SrcRect.Bottom is 4.
TEST_F(FastPixelsTest, BlendRectAlignsBottomEdgesOfTheBitmaps)
{
    auto src = NewBitmap24(3, 6);
    auto dst = NewBitmap24(5, 4);
    FillBytes(*dst, 0x646464);
    SetBytes(*src, 0, 3, 0xC8C8C8);
    ASSERT_TRUE(FastSum24.Attach(src.get(), dst.get()));
    EXPECT_EQ(FastSum24.Width(), 3);
    EXPECT_EQ(FastSum24.Height(), 4);
    FastSum24.Alpha = 128;
    FastSum24.DstRect = {2, 1, 4, 3};
    FastSum24.SrcRect = {0, 99, 99, 4};
    FastSum24.BlendRect();
    EXPECT_EQ(Bytes(*dst, 2, 2), 0x959595u) << "(200 * 127 + 100 * 128 + 127) >> 8 = 149";
    EXPECT_EQ(Bytes(*dst, 2, 3), 0x646464u) << "below DstRect";
}

} // namespace
