#include "vcl/BmpReader.h"

#include "host/support/ImageBuilders.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using ks::BmpError;
using ks::BmpImage;
using ks::test::BmpBuilder;

std::vector<uint8_t> Row24(std::initializer_list<uint32_t> bgr, size_t pad)
{
    std::vector<uint8_t> v;
    for (uint32_t c : bgr) {
        v.push_back(static_cast<uint8_t>(c));
        v.push_back(static_cast<uint8_t>(c >> 8));
        v.push_back(static_cast<uint8_t>(c >> 16));
    }
    v.insert(v.end(), pad, 0xEE); // padding must never reach the image
    return v;
}

std::vector<uint8_t> Cat(std::vector<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> v;
    for (auto& p : parts)
        v.insert(v.end(), p.begin(), p.end());
    return v;
}

// Pixel (x, y) of a decoded image, y counted from the top: the bytes of one pixel, low first.
uint32_t At(const BmpImage& img, int x, int y)
{
    const uint8_t* row = img.pixels.data() + static_cast<size_t>(y) * img.Stride();
    switch (img.bpp) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return (x & 1) ? row[x / 2] & 0x0F : row[x / 2] >> 4;
    case 8: return row[x];
    case 24: return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
    default: return row[4 * x] | row[4 * x + 1] << 8 | row[4 * x + 2] << 16 | uint32_t{row[4 * x + 3]} << 24;
    }
}

TEST(BmpReader, BottomUpAndTopDownRowsComeOutTopDown)
{
    BmpBuilder b;
    b.width = 3;
    b.pixels = Cat({Row24({0x010203, 0x040506, 0x070809}, 3), Row24({0x111213, 0x141516, 0x171819}, 3)});
    BmpImage up = ks::ReadBmp(b.Build());
    ASSERT_EQ(up.bpp, 24);
    ASSERT_EQ(up.Stride(), 12u);
    EXPECT_EQ(At(up, 0, 0), 0x111213u); // the file's first row is the bottom one
    EXPECT_EQ(At(up, 2, 1), 0x070809u);

    b.height = -2;
    BmpImage down = ks::ReadBmp(b.Build());
    EXPECT_EQ(At(down, 0, 0), 0x010203u);
    EXPECT_EQ(At(down, 2, 1), 0x171819u);
}

TEST(BmpReader, IndexedImagesKeepIndexesAndAFullColourTable)
{
    struct Case {
        const char* name;
        uint16_t bpp;
        uint32_t clrUsed;
        size_t paletteEntries;
        std::vector<uint8_t> row; // one row, padded to 4 bytes
        std::vector<uint32_t> expected;
        uint32_t headerSize = 40;
    } cases[] = {
        {"OneBit", 1, 0, 2, {0b10100000, 0, 0, 0}, {1, 0, 1, 0}},
        {"SixteenColoursStayFourBit", 4, 0, 16, {0x1F, 0x30, 0, 0}, {1, 15, 3, 0}},
        {"ShortTableOf8Bit", 8, 3, 3, {2, 1, 0, 2}, {2, 1, 0, 2}},
        {"LongTableIsClipped", 1, 5, 5, {0b01000000, 0, 0, 0}, {0, 1, 0, 0}},
        {"CoreHeaderHasThreeByteEntries", 8, 0, 256, {7, 1, 0, 0}, {7, 1, 0, 0}, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpBuilder b;
        b.headerSize = c.headerSize;
        b.bpp = c.bpp;
        b.width = 4;
        b.height = 1;
        b.clrUsed = c.clrUsed;
        for (size_t i = 0; i < c.paletteEntries; ++i)
            b.palette.push_back(0x102030 * static_cast<uint32_t>(i + 1));
        b.pixels = c.row;
        BmpImage img = ks::ReadBmp(b.Build());
        EXPECT_EQ(img.bpp, c.bpp);
        ASSERT_EQ(img.palette.size(), size_t{1} << c.bpp);
        EXPECT_EQ(img.palette[1], (ks::Bgra{0x60, 0x40, 0x20, 0}));
        if (c.paletteEntries < img.palette.size()) {
            EXPECT_EQ(img.palette.back(), ks::Bgra{}) << "missing entries are black";
        }
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(At(img, x, 0), c.expected[x]) << "x=" << x;
    }
}

TEST(BmpReader, BitFieldsScaleEachChannelToEightBits)
{
    struct Case {
        const char* name;
        uint32_t headerSize;
        uint16_t bpp;
        uint32_t compression;
        std::array<uint32_t, 4> masks;
        std::vector<uint8_t> pixel; // one pixel, row padded
        uint32_t expected;          // B | G << 8 | R << 16 (| A << 24 for 32-bit)
        int outBpp;
    } cases[] = {
        // 555: red 31 -> 255, green 16 -> round(16 * 255 / 31) = 132, blue 0.
        {"Rgb16Is555", 40, 16, 0, {}, {0x00, 0x7E, 0, 0}, 0xFF8400, 24},
        {"Bitfields565", 40, 16, 3, {0xF800, 0x07E0, 0x001F, 0}, {0xE0, 0x07, 0, 0}, 0x00FF00, 24},
        {"Rgb32KeepsTheFourthByte", 40, 32, 0, {}, {0x10, 0x20, 0x30, 0x40}, 0x40302010, 32},
        {"Bitfields32WithoutAlphaGivesAlphaZero", 40, 32, 3, {0xFF, 0xFF00, 0xFF0000, 0},
         {0x11, 0x22, 0x33, 0x44}, 0x00112233, 32},
        {"V5AlphaMask", 124, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {0x11, 0x22, 0x33, 0x44},
         0x44332211, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpBuilder b;
        b.headerSize = c.headerSize;
        b.bpp = c.bpp;
        b.compression = c.compression;
        b.masks = c.masks;
        b.width = 1;
        b.height = 1;
        b.pixels = c.pixel;
        BmpImage img = ks::ReadBmp(b.Build());
        EXPECT_EQ(img.bpp, c.outBpp);
        EXPECT_EQ(At(img, 0, 0), c.expected);
    }
}

TEST(BmpReader, RleDecodesRunsAbsoluteRunsDeltasAndLineEnds)
{
    BmpBuilder b;
    b.bpp = 8;
    b.compression = 1;
    b.width = 4;
    b.height = 3;
    b.palette.assign(256, 0);
    b.pixels = {
        3, 5,             // bottom row: 5 5 5
        0, 0,             // end of line
        0, 3, 7, 8, 9, 0, // absolute run of three, padded to a word
        1, 4,             // and one more pixel
        0, 0,             // end of line
        0, 2, 2, 0,       // delta: two to the right
        1, 6,
        0, 1,             // end of bitmap
    };
    BmpImage img = ks::ReadBmp(b.Build());
    ASSERT_EQ(img.bpp, 8);
    // Top-down: row 0 is the third file row.
    const std::vector<std::vector<uint32_t>> expected = {{0, 0, 6, 0}, {7, 8, 9, 4}, {5, 5, 5, 0}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(At(img, x, y), expected[y][x]) << x << "," << y;
}

TEST(BmpReader, Rle4AlternatesNibblesAndDropsThePadPixel)
{
    BmpBuilder b;
    b.bpp = 4;
    b.compression = 2;
    b.width = 3;
    b.height = 1;
    b.palette.assign(16, 0);
    b.pixels = {4, 0x12, 0, 1}; // four pixels on a row of three: the fourth is padding
    BmpImage img = ks::ReadBmp(b.Build());
    EXPECT_EQ(img.bpp, 4);
    EXPECT_EQ(At(img, 0, 0), 1u);
    EXPECT_EQ(At(img, 1, 0), 2u);
    EXPECT_EQ(At(img, 2, 0), 1u);
}

TEST(BmpReader, DefectsAreRefusedWithTheirReason)
{
    const BmpBuilder valid; // 2 x 2, 24-bit
    auto with = [&](auto change) {
        BmpBuilder b = valid;
        b.pixels.assign(16, 0);
        change(b);
        return b.Build();
    };
    auto truncated = [](std::vector<uint8_t> v, size_t n) {
        v.resize(n);
        return v;
    };
    std::vector<uint8_t> goodFile = with([](BmpBuilder&) {});
    std::vector<uint8_t> badSig = goodFile;
    badSig[1] = 'A';

    struct Case {
        const char* name;
        std::vector<uint8_t> data;
        BmpError reason;
        ks::BmpLimits limits{};
    } cases[] = {
        {"Empty", {}, BmpError::ShortRead},
        {"BadSignature", badSig, BmpError::Signature},
        {"FileHeaderCut", truncated(goodFile, 10), BmpError::ShortRead},
        {"InfoHeaderCut", truncated(goodFile, 30), BmpError::ShortRead},
        {"HeaderSize20", with([](BmpBuilder& b) { b.headerSize = 20; }), BmpError::HeaderSize},
        {"HeaderSize64", with([](BmpBuilder& b) { b.headerSize = 64; }), BmpError::HeaderSize},
        {"ZeroWidth", with([](BmpBuilder& b) { b.width = 0; }), BmpError::Dimensions},
        {"NegativeWidth", with([](BmpBuilder& b) { b.width = -2; }), BmpError::Dimensions},
        {"ZeroHeight", with([](BmpBuilder& b) { b.height = 0; }), BmpError::Dimensions},
        {"MostNegativeHeight", with([](BmpBuilder& b) { b.height = INT32_MIN; }), BmpError::Dimensions},
        {"TopDownRle", with([](BmpBuilder& b) { b.bpp = 8; b.compression = 1; b.height = -2; }),
         BmpError::Dimensions},
        {"OverPixelLimit", goodFile, BmpError::TooLarge, ks::BmpLimits{3}},
        {"HugeDimensions", with([](BmpBuilder& b) { b.width = INT32_MAX; b.height = INT32_MAX; }),
         BmpError::TooLarge},
        {"TwoPlanes", with([](BmpBuilder& b) { b.planes = 2; }), BmpError::Planes},
        {"SevenBits", with([](BmpBuilder& b) { b.bpp = 7; }), BmpError::BitCount},
        {"ZeroBits", with([](BmpBuilder& b) { b.bpp = 0; }), BmpError::BitCount},
        {"CoreSixteenBits", with([](BmpBuilder& b) { b.headerSize = 12; b.bpp = 16; }), BmpError::BitCount},
        {"Rle8On4Bit", with([](BmpBuilder& b) { b.bpp = 4; b.compression = 1; }), BmpError::Compression},
        {"Rle4On8Bit", with([](BmpBuilder& b) { b.bpp = 8; b.compression = 2; }), BmpError::Compression},
        {"BitFieldsOn24Bit", with([](BmpBuilder& b) { b.compression = 3; }), BmpError::Compression},
        {"EmbeddedJpeg", with([](BmpBuilder& b) { b.compression = 4; }), BmpError::Compression},
        {"EmptyMask", with([](BmpBuilder& b) { b.bpp = 16; b.compression = 3; b.masks = {0xF800, 0, 0x1F, 0}; }),
         BmpError::Masks},
        {"SplitMask", with([](BmpBuilder& b) { b.bpp = 16; b.compression = 3; b.masks = {0xF801, 0x7E0, 0x1E, 0}; }),
         BmpError::Masks},
        {"OverlappingMasks", with([](BmpBuilder& b) { b.bpp = 32; b.compression = 3; b.masks = {0xFF, 0xFFF0, 0xFF0000, 0}; }),
         BmpError::Masks},
        {"MaskWiderThanPixel", with([](BmpBuilder& b) { b.bpp = 16; b.compression = 3; b.masks = {0x1F0000, 0x7E0, 0x1F, 0}; }),
         BmpError::Masks},
        {"MasksCut", truncated(with([](BmpBuilder& b) { b.bpp = 16; b.compression = 3; b.masks = {0xF800, 0x7E0, 0x1F, 0}; }), 60),
         BmpError::ShortRead},
        {"ColourTableBeyondData", truncated(with([](BmpBuilder& b) { b.bpp = 8; b.palette.assign(256, 0); }), 100),
         BmpError::ShortRead},
        {"PixelsInsideHeaders", with([](BmpBuilder& b) { b.offBits = 20; }), BmpError::PixelOffset},
        {"PixelsInsideColourTable", with([](BmpBuilder& b) { b.bpp = 8; b.palette.assign(256, 0); b.offBits = 60; }),
         BmpError::PixelOffset},
        {"PixelsBeyondEnd", with([](BmpBuilder& b) { b.offBits = 1000; }), BmpError::PixelOffset},
        {"LastRowShort", truncated(goodFile, goodFile.size() - 1), BmpError::ShortRead},
        {"RleEndsEarly", with([](BmpBuilder& b) { b.bpp = 8; b.compression = 1; b.palette.assign(256, 0); b.pixels = {2, 1, 0, 0}; }),
         BmpError::Rle},
        {"RleRunCut", with([](BmpBuilder& b) { b.bpp = 8; b.compression = 1; b.palette.assign(256, 0); b.pixels = {0, 5, 1, 2}; }),
         BmpError::Rle},
        {"RleDeltaLeavesImage", with([](BmpBuilder& b) { b.bpp = 8; b.compression = 1; b.palette.assign(256, 0); b.pixels = {0, 2, 3, 0, 0, 1}; }),
         BmpError::Rle},
        {"RleRowsPastTop", with([](BmpBuilder& b) { b.bpp = 8; b.compression = 1; b.palette.assign(256, 0); b.pixels = {0, 0, 0, 0, 1, 1, 0, 1}; }),
         BmpError::Rle},
        {"RleLineEndsPastTop", with([](BmpBuilder& b) { b.bpp = 8; b.compression = 1; b.palette.assign(256, 0); b.pixels = {0, 0, 0, 0, 0, 0, 0, 1}; }),
         BmpError::Rle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ks::ReadBmp(c.data, c.limits);
            ADD_FAILURE() << "accepted";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Reason(), static_cast<int>(c.reason)) << e.Message();
        }
    }
}

TEST(BmpReader, WrittenFilesReadBackExactly)
{
    // A bottom-up view with a padded stride: a writer that ignores the stride or its sign fails.
    struct Case {
        const char* name;
        int bpp;
        bool bottomUp;
    } cases[] = {{"TwentyFourBottomUp", 24, true}, {"ThirtyTwoTopDown", 32, false},
                 {"EightBitBottomUp", 8, true}, {"FourBit", 4, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int w = 5, h = 3;
        const ptrdiff_t stride = 32;
        std::vector<uint8_t> buf(static_cast<size_t>(stride) * h);
        for (size_t i = 0; i < buf.size(); ++i)
            buf[i] = static_cast<uint8_t>(i * 7 + 3);
        ks::PixelView view{c.bottomUp ? buf.data() + stride * (h - 1) : buf.data(),
                           c.bottomUp ? -stride : stride, w, h, c.bpp};
        std::vector<ks::Bgra> palette(c.bpp <= 8 ? size_t{1} << c.bpp : 0);
        for (size_t i = 0; i < palette.size(); ++i)
            palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 9, 0};
        BmpImage img = ks::ReadBmp(ks::WriteBmp(view, palette));
        ASSERT_EQ(img.width, w);
        ASSERT_EQ(img.height, h);
        ASSERT_EQ(img.bpp, c.bpp);
        EXPECT_EQ(img.palette, palette);
        const size_t used = (static_cast<size_t>(w) * c.bpp + 7) / 8;
        for (int y = 0; y < h; ++y)
            EXPECT_EQ(0, std::memcmp(img.pixels.data() + y * img.Stride(), view.Row(y), used)) << "row " << y;
    }
}

} // namespace
