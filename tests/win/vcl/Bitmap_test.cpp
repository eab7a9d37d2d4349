#include "vcl/Bitmap.h"

#include "host/support/ImageBuilders.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "win/support/AccessViolations.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

using BitmapTest = VclFixture;

// The bytes of pixel (x, y) in the bitmap's own memory, low byte first (BGRA / BGR), or the index.
uint32_t Px(TBitmap& b, int x, int y)
{
    const uint8_t* row = b.ScanLine(y);
    switch (b.View().bpp) {
    case 32: return row[4 * x] | row[4 * x + 1] << 8 | row[4 * x + 2] << 16 | uint32_t{row[4 * x + 3]} << 24;
    case 24: return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
    case 16: return row[2 * x] | row[2 * x + 1] << 8;
    case 8: return row[x];
    case 4: return (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
    default: return (row[x / 8] >> (7 - x % 8)) & 1;
    }
}

// Writes value, low byte first, as pixel (x, y) of a 24- or 32-bit bitmap.
void SetPx(TBitmap& b, int x, int y, uint32_t value)
{
    const int bytes = b.View().bpp / 8;
    for (int i = 0; i < bytes; ++i)
        b.ScanLine(y)[bytes * x + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The pixel values of each format are the pixel layer's; here the bitmap picks the right ones.
TEST_F(BitmapTest, NewPixelsAreWhiteAndKeepTheirFormat)
{
    for (TPixelFormat format : {pfUnset, pf4bit, pf16bit, pf32bit}) {
        SCOPED_TRACE(format);
        TBitmap b;
        if (format != pfUnset)
            b.SetPixelFormat(format);
        b.SetSize(9, 2);
        EXPECT_EQ(b.PixelFormat(), format);
        EXPECT_EQ(b.TransparentColor(), clWhite);
    }
}

TEST_F(BitmapTest, ResizeKeepsOverlapAndWhitensTheRest)
{
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(2, 2);
    SetPx(b, 1, 1, 0x55667788);
    b.SetWidth(3);
    b.SetHeight(3);
    EXPECT_EQ(Px(b, 1, 1), 0x55667788u);
    EXPECT_EQ(Px(b, 2, 2), 0x00FFFFFFu);

    EXPECT_THROW(b.SetSize(-1, 2), EInvalidGraphicOperation);
}

TEST_F(BitmapTest, FormatConversionsKeepPixelsAndTakeTheNewTable)
{
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(2, 1);
    SetPx(b, 0, 0, 0x101010);
    b.SetPixelFormat(pf1bit);
    EXPECT_EQ(b.ColorTable().size(), 2u);
    EXPECT_EQ(Px(b, 0, 0), 0u);
    EXPECT_EQ(Px(b, 1, 0), 1u);
    EXPECT_THROW(b.SetPixelFormat(pfCustom), EInvalidGraphic);
}

TEST_F(BitmapTest, ScanLinesAreBottomUpAndRangeChecked)
{
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(5, 3);
    EXPECT_EQ(b.Stride(), -16);
    EXPECT_EQ(b.ScanLine(2), b.Scan0() + 2 * b.Stride());
    EXPECT_EQ(b.View().Row(1), b.ScanLine(1));
    EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
    EXPECT_THROW(b.ScanLine(3), EInvalidGraphicOperation);
    TBitmap empty;
    EXPECT_THROW(empty.ScanLine(0), EInvalidGraphicOperation);
    EXPECT_EQ(empty.Scan0(), nullptr);
}

TEST_F(BitmapTest, CanvasDrawsIntoTheDibAndKeepsItsDC)
{
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(4, 4);
    HDC dc = b.Canvas().Handle();
    b.SetSize(6, 6);
    b.SetPixelFormat(pf24bit);
    EXPECT_EQ(b.Canvas().Handle(), dc);
    b.Canvas().Brush().SetColor(0x123456);
    b.Canvas().FillRect(Rect(4, 4, 6, 6));
    EXPECT_EQ(Px(b, 5, 5), 0x563412u); // 0x00BBGGRR lands as the bytes B 0x12, G 0x34, R 0x56
    EXPECT_EQ(Px(b, 3, 3), 0xFFFFFFu);
}

// As the platform's bitmap does, a bitmap tells its owner what its canvas draws on it; calls that
// only read or measure tell nothing.
TEST_F(BitmapTest, WhatItsCanvasDrawsFiresOnChange)
{
    struct Counter {
        int changes = 0;
        void Changed(TObject*) { ++changes; }
    } counter;
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(8, 8);
    b.SetOnChange(TNotifyEvent(&counter, &Counter::Changed));
    TCanvas& c = b.Canvas();
    TBitmap other;
    other.SetSize(2, 2);
    TRect r{0, 0, 8, 8};
    const struct Draw {
        const char* name;
        std::function<void()> draw;
    } draws[] = {
        {"FillRect", [&] { c.FillRect(Rect(0, 0, 4, 4)); }},
        {"SetPixels", [&] { c.SetPixels(1, 1, clRed); }},
        {"Rectangle", [&] { c.Rectangle(0, 0, 3, 3); }},
        {"Ellipse", [&] { c.Ellipse(0, 0, 3, 3); }},
        {"TextOut", [&] { c.TextOut(0, 0, L"a"); }},
        {"TextRect", [&] { c.TextRect(Rect(0, 0, 4, 4), 0, 0, L"a"); }},
        {"DrawText", [&] { c.DrawText(L"a", r, 0); }},
        {"Draw", [&] { c.Draw(1, 1, other); }},
        {"CopyRect", [&] { c.CopyRect(Rect(0, 0, 2, 2), other.Canvas(), Rect(0, 0, 2, 2)); }},
    };
    for (const Draw& d : draws) {
        SCOPED_TRACE(d.name);
        counter.changes = 0;
        d.draw();
        EXPECT_EQ(counter.changes, 1);
    }
    counter.changes = 0;
    c.Pixels(1, 1);
    c.TextExtent(L"abc");
    c.DrawText(L"abc", r, DT_CALCRECT);
    c.Brush().SetColor(clBlue);
    EXPECT_EQ(counter.changes, 0) << "reading and measuring change nothing";
}

// A bitmap freed by its owner from its own change event, fired by its canvas, is not touched
// again by the drawing call that fired it.
TEST(BitmapLifetimeTest, FreedFromTheChangeItsCanvasFired)
{
    struct Owner {
        TBitmap* bitmap = nullptr;
        void Changed(TObject*) { delete std::exchange(bitmap, nullptr); }
    } owner;
    const ks::test::AccessViolations violations;
    for (int draw = 0; draw < 3; ++draw) {
        SCOPED_TRACE(draw);
        owner.bitmap = new TBitmap;
        owner.bitmap->SetSize(4, 4);
        owner.bitmap->SetOnChange(TNotifyEvent(&owner, &Owner::Changed));
        TCanvas& canvas = owner.bitmap->Canvas();
        TRect r{0, 0, 4, 4};
        if (draw == 0)
            canvas.FillRect(r);
        else if (draw == 1)
            canvas.DrawText(L"a", r, 0);
        else
            canvas.SetPixels(1, 1, clRed);
        EXPECT_EQ(owner.bitmap, nullptr);
    }
    EXPECT_EQ(violations.Count(), 0);
}

std::vector<uint8_t> Save(const TBitmap& b)
{
    TMemoryStream s;
    b.SaveToStream(s);
    return {s.Memory(), s.Memory() + s.Size()};
}

void Load(TBitmap& b, const std::vector<uint8_t>& bytes)
{
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), bytes.size());
    s.SetPosition(0);
    b.LoadFromStream(s);
}

// The file's pixels are the reader's and writer's business; the bitmap keeps the format they give.
TEST_F(BitmapTest, BmpFilesKeepTheirFormat)
{
    for (TPixelFormat f : {pf8bit, pf24bit, pf32bit}) {
        SCOPED_TRACE(static_cast<int>(f));
        TBitmap b;
        b.SetPixelFormat(f);
        b.SetSize(3, 2);
        b.ScanLine(1)[2] = 0x5A;
        TBitmap c;
        Load(c, Save(b));
        ASSERT_EQ(c.PixelFormat(), f);
        EXPECT_EQ(c.ScanLine(1)[2], 0x5A);
    }
    ks::test::BmpBuilder sixteen;
    sixteen.bpp = 4;
    sixteen.width = 2;
    sixteen.height = 1;
    for (uint32_t i = 0; i < 16; ++i)
        sixteen.palette.push_back(i * 0x100000);
    sixteen.pixels = {0x3A, 0, 0, 0};
    TBitmap b;
    Load(b, sixteen.Build());
    EXPECT_EQ(b.PixelFormat(), pf4bit);
    EXPECT_EQ(Px(b, 1, 0), 10u);
}

TEST_F(BitmapTest, CorruptFileLeavesTheBitmapAsItWas)
{
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(2, 2);
    SetPx(b, 1, 1, 0xAABBCCDD);
    std::vector<uint8_t> bad = Save(b);
    bad.resize(bad.size() - 1);
    EXPECT_THROW(Load(b, bad), EInvalidGraphic);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(Px(b, 1, 1), 0xAABBCCDDu);
}

TEST_F(BitmapTest, AssignCopiesDeeply)
{
    TBitmap a;
    a.SetPixelFormat(pf32bit);
    a.SetSize(2, 2);
    SetPx(a, 0, 1, 0x7F010203);
    a.SetTransparentColor(clFuchsia);
    TBitmap b;
    b.Assign(&a);
    SetPx(a, 0, 1, 0);
    EXPECT_EQ(b.PixelFormat(), pf32bit);
    EXPECT_EQ(Px(b, 0, 1), 0x7F010203u);
    EXPECT_EQ(b.TransparentColor(), clFuchsia);
    EXPECT_NE(b.Handle(), a.Handle());
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
}

TEST_F(BitmapTest, HandlesPassOwnership)
{
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    static_cast<uint32_t*>(bits)[0] = 0x01020304; // top-left of a top-down DIB
    TBitmap b;
    b.SetHandle(dib);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Height(), 2);
    EXPECT_EQ(b.PixelFormat(), pf32bit);
    EXPECT_EQ(Px(b, 0, 0), 0x01020304u);
    EXPECT_GT(b.Stride(), 0);

    HBITMAP back = b.ReleaseHandle();
    EXPECT_EQ(back, dib);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(GetObjectType(back), static_cast<DWORD>(OBJ_BITMAP));
    DeleteObject(back);

    HDC screen = GetDC(nullptr);
    HBITMAP ddb = CreateCompatibleBitmap(screen, 4, 3);
    ReleaseDC(nullptr, screen);
    b.SetHandle(ddb);
    EXPECT_EQ(b.PixelFormat(), pfDevice);
    EXPECT_EQ(b.Width(), 4);
    EXPECT_EQ(GetObjectType(ddb), 0u) << "the device bitmap is deleted once copied";
}

// Finding the row order of a foreign DIB probes pixel (0, 0); every pixel, the probed one
// included, must come through unchanged whichever way the rows run.
TEST_F(BitmapTest, TakingADibHandleKeepsEveryPixel)
{
    for (LONG height : {3, -3}) {
        SCOPED_TRACE(height > 0 ? "bottom-up" : "top-down");
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(dib, nullptr);
        auto* px = static_cast<uint32_t*>(bits);
        for (uint32_t i = 0; i < 6; ++i)
            px[i] = 0x80000000u | (i + 1) * 0x010101u;
        TBitmap b;
        b.SetHandle(dib);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 2; ++x) {
                const int row = height > 0 ? 2 - y : y; // memory row of screen row y
                const uint32_t written = 0x80000000u | static_cast<uint32_t>(row * 2 + x + 1) * 0x010101u;
                EXPECT_EQ(Px(b, x, y), written) << x << "," << y;
            }
        }
    }
}

TEST_F(BitmapTest, TransparentDrawKeepsTheKeyColourOut)
{
    TBitmap glyph;
    glyph.SetPixelFormat(pf24bit);
    glyph.SetSize(2, 1);
    SetPx(glyph, 0, 0, 0xFF00FF); // the bottom-left pixel: the automatic key
    SetPx(glyph, 1, 0, 0x0000FF);
    EXPECT_EQ(glyph.TransparentColor(), clFuchsia);
    glyph.SetTransparent(true);

    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(2, 1);
    target.Canvas().Draw(0, 0, glyph);
    EXPECT_EQ(Px(target, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Px(target, 1, 0), 0x0000FFu);
}

} // namespace
