#include "vcl/PixelFormats.h"

#include "host/support/PixelImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Image = ks::test::PixelImage;

// Pixel (x, y) of a view, low byte first, or the index of an indexed one.
uint32_t Px(const Image& img, int x, int y)
{
    const uint8_t* row = img.View().Row(y);
    switch (img.View().bpp) {
    case 32: return row[4 * x] | row[4 * x + 1] << 8 | row[4 * x + 2] << 16 | uint32_t{row[4 * x + 3]} << 24;
    case 24: return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
    case 16: return row[2 * x] | row[2 * x + 1] << 8;
    case 8: return row[x];
    case 4: return (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
    default: return (row[x / 8] >> (7 - x % 8)) & 1;
    }
}

void SetPx(const Image& img, int x, int y, uint32_t v)
{
    uint8_t* row = img.View().Row(y);
    const int bpp = img.View().bpp;
    if (bpp >= 8) {
        for (int i = 0; i < bpp / 8; ++i)
            row[bpp / 8 * x + i] = static_cast<uint8_t>(v >> (8 * i));
    } else if (bpp == 4) {
        uint8_t& b = row[x / 2];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | v) : static_cast<uint8_t>((b & 0x0F) | v << 4);
    } else {
        uint8_t& b = row[x / 8];
        b = v ? static_cast<uint8_t>(b | 0x80 >> (x % 8)) : static_cast<uint8_t>(b & ~(0x80 >> (x % 8)));
    }
}

TEST(PixelFormats, NewRastersAreWhiteInEveryFormat)
{
    struct Case {
        const char* name;
        TPixelFormat format;
        uint32_t white;
        bool fillsPadding;
    } const cases[] = {
        {"Unset", pfUnset, 0x00FFFFFF, false}, {"Device", pfDevice, 0x00FFFFFF, false},
        {"OneBit", pf1bit, 1, true},           {"FourBit", pf4bit, 15, true},
        {"EightBit", pf8bit, 255, true},       {"Fifteen", pf15bit, 0x7FFF, false},
        {"Sixteen", pf16bit, 0xFFFF, false},   {"TwentyFour", pf24bit, 0xFFFFFF, true},
        {"ThirtyTwo", pf32bit, 0x00FFFFFF, false},
    };
    for (const Case& c : cases)
        for (bool bottomUp : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (bottomUp ? " bottom-up" : " top-down"));
            Image img(9, 2, ks::BitsPerPixel(c.format), bottomUp);
            const std::vector<ks::Bgra> colors = ks::DefaultColors(c.format);
            ks::FillWhite(img.View(), c.format, colors);
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 9; ++x)
                    ASSERT_EQ(Px(img, x, y), c.white) << x << "," << y;
            // Byte-filled rows take their padding with them; the others leave it.
            EXPECT_EQ(img.FencesIntact(), !c.fillsPadding);
        }
}

TEST(PixelFormats, WhiteOfAnIndexedRasterIsItsBrightestEntry)
{
    const std::vector<ks::Bgra> table = {{10, 10, 10, 0}, {200, 200, 201, 0}, {90, 90, 90, 0}, {0, 0, 0, 0}};
    Image img(5, 1, 4, true);
    ks::FillWhite(img.View(), pf4bit, table);
    EXPECT_EQ(Px(img, 4, 0), 1u);
}

// Worked values: 5- and 6-bit channels widen by repeating their top bits and narrow by
// dropping the low ones; truecolour targets get alpha 0.
TEST(PixelFormats, ConversionsBetweenTruecolourFormats)
{
    struct Case {
        const char* name;
        TPixelFormat from, to;
        uint32_t in, out;
    } const cases[] = {
        {"24To32GivesAlphaZero", pf24bit, pf32bit, 0x102030, 0x00102030},
        {"32To24DropsAlpha", pf32bit, pf24bit, 0x80102030, 0x102030},
        {"32To32ClearsAlpha", pf32bit, pfDevice, 0x80102030, 0x00102030},
        {"24To15", pf24bit, pf15bit, 0xFF8008, 0x7E01},
        {"15To24", pf15bit, pf24bit, 0x7E01, 0xFF8408},
        {"24To16", pf24bit, pf16bit, 0xFF8008, 0xFC01},
        {"16To24", pf16bit, pf24bit, 0xFC01, 0xFF8208},
    };
    for (const Case& c : cases)
        for (bool bottomUp : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (bottomUp ? " bottom-up" : " top-down"));
            Image src(3, 2, ks::BitsPerPixel(c.from), bottomUp), dst(3, 2, ks::BitsPerPixel(c.to), !bottomUp);
            SetPx(src, 2, 1, c.in);
            ks::ConvertPixels(dst.View(), c.to, {}, src.View(), c.from, {});
            EXPECT_EQ(Px(dst, 2, 1), c.out);
            EXPECT_EQ(Px(dst, 0, 0), 0u);
            EXPECT_TRUE(dst.FencesIntact());
        }
}

TEST(PixelFormats, IndexedConversionsGoThroughTheColourTable)
{
    {
        SCOPED_TRACE("entries beyond the table read black");
        std::vector<ks::Bgra> table(3);
        table[2] = {0x33, 0x22, 0x11, 0};
        Image src(2, 1, 4, true), dst(2, 1, 24, false);
        src.View().Row(0)[0] = 0x2F;
        ks::ConvertPixels(dst.View(), pf24bit, {}, src.View(), pf4bit, table);
        EXPECT_EQ(Px(dst, 0, 0), 0x112233u);
        EXPECT_EQ(Px(dst, 1, 0), 0u);
    }
    {
        SCOPED_TRACE("the nearest entry, the first of equals");
        const std::vector<ks::Bgra> table = {{0, 0, 0, 0}, {100, 100, 100, 0}, {100, 100, 100, 0}, {255, 0, 0, 0}};
        Image src(4, 1, 24, true), dst(4, 1, 8, false);
        SetPx(src, 0, 0, 0x101010);
        SetPx(src, 1, 0, 0x606060);
        SetPx(src, 2, 0, 0x646464); // exactly the grey of two entries
        SetPx(src, 3, 0, 0x0000F0);
        ks::ConvertPixels(dst.View(), pf8bit, table, src.View(), pf24bit, {});
        EXPECT_EQ(Px(dst, 0, 0), 0u);
        EXPECT_EQ(Px(dst, 1, 0), 1u);
        EXPECT_EQ(Px(dst, 2, 0), 1u);
        EXPECT_EQ(Px(dst, 3, 0), 3u);
    }
    {
        SCOPED_TRACE("8-bit greys survive 8 -> 32 -> 8");
        const std::vector<ks::Bgra> greys = ks::DefaultColors(pf8bit);
        Image grey(256, 1, 8, true), wide(256, 1, 32, false), back(256, 1, 8, true);
        for (int x = 0; x < 256; ++x)
            SetPx(grey, x, 0, static_cast<uint32_t>(x));
        ks::ConvertPixels(wide.View(), pf32bit, {}, grey.View(), pf8bit, greys);
        EXPECT_EQ(Px(wide, 200, 0), 0x00C8C8C8u);
        ks::ConvertPixels(back.View(), pf8bit, greys, wide.View(), pf32bit, {});
        EXPECT_EQ(back.Pixels(), grey.Pixels());
    }
}

TEST(PixelFormats, CopiesKeepTheOverlapOnly)
{
    for (int bpp : {1, 4, 8, 24, 32})
        for (bool bottomUp : {false, true}) {
            SCOPED_TRACE(std::to_string(bpp) + (bottomUp ? " bottom-up" : " top-down"));
            std::mt19937 rng(static_cast<unsigned>(bpp * 2 + bottomUp));
            Image src(7, 3, bpp, bottomUp), dst(5, 4, bpp, !bottomUp, 2);
            src.Randomise(rng);
            dst.Randomise(rng);
            Image want = dst;
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x)
                    SetPx(want, x, y, Px(src, x, y));
            ks::CopyPixels(dst.View(), src.View());
            EXPECT_EQ(dst.Pixels(), want.Pixels());
            EXPECT_TRUE(dst.FencesIntact());
            // Whole rows of bytes, row for row whatever the order.
            Image rows(7, 3, bpp, !bottomUp, 2);
            ks::CopyRowBytes(rows.View(), src.View(), src.RowBytes());
            EXPECT_EQ(rows.Pixels(), src.Pixels());
        }
}

TEST(PixelFormats, ReadPixelOutsideTheViewIsBlack)
{
    Image img(2, 2, 24, true);
    SetPx(img, 1, 1, 0x010203);
    EXPECT_EQ(ks::ReadPixel(img.View(), pf24bit, {}, 1, 1), (ks::Bgra{3, 2, 1, 0}));
    EXPECT_EQ(ks::ReadPixel(img.View(), pf24bit, {}, 2, 1), ks::Bgra{});
    EXPECT_EQ(ks::ReadPixel(img.View(), pf24bit, {}, 0, -1), ks::Bgra{});
}

} // namespace
