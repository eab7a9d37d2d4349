#include "skin/images/PngDecoder.h"

#include "host/support/PngBuilder.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using ks::PngError;
using ks::test::BuildPng;
using ks::test::MakePngImage;
using ks::test::PngBuilder;
using ks::test::PngImage;
using ks::test::PngLayout;

struct Loaded {
    ks::MemoryRaster raster;
    ks::PngLoadResult result;
};

Loaded Load(const std::vector<uint8_t>& file, TColorManager* manager = nullptr, const ks::PngLimits& limits = {})
{
    TColorManager own;
    Loaded out;
    out.result = ks::LoadPng(file, manager ? *manager : own, out.raster, limits);
    return out;
}

// The reason of the exception a load raises, 0 when it loads.
int ReasonOf(const std::vector<uint8_t>& file, const ks::PngLimits& limits = {})
{
    try {
        Load(file, nullptr, limits);
    } catch (const Exception& e) {
        return e.Reason();
    }
    return 0;
}

std::string MessageOf(const std::vector<uint8_t>& file)
{
    try {
        Load(file);
    } catch (const Exception& e) {
        return e.Message();
    }
    return {};
}

// One pixel of the raster: the index for palette formats, 0xAARRGGBB read from blue-green-red(-alpha).
uint32_t Pixel(const ks::MemoryRaster& r, int x, int y)
{
    const uint8_t* row = r.Row(y);
    const int bpp = r.BitsPerPixel();
    if (bpp <= 8) {
        const size_t bit = static_cast<size_t>(x) * bpp;
        return (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
    }
    const uint8_t* p = row + static_cast<size_t>(x) * (bpp / 8);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (bpp == 32 ? static_cast<uint32_t>(p[3]) << 24 : 0u);
}

uint32_t Reduce(const PngImage& image, uint16_t v)
{
    return image.bitDepth == 16 ? v * 255u / 65535u : v;
}

// What the bitmap holds for a file sample, read off the format table: grey and palette levels
// as indexes (2-bit grey widened to 4 bits), colour as blue-green-red(-alpha), 16 bits reduced
// by 255 / 65535, the alpha of grey images dropped.
uint32_t ExpectedPixel(const PngImage& image, uint32_t x, uint32_t y)
{
    const auto s = [&](unsigned c) { return Reduce(image, image.Sample(x, y, c)); };
    switch (image.colorType) {
    case 0: return image.bitDepth == 2 ? s(0) * 5 : s(0);
    case 2: return s(2) | (s(1) << 8) | (s(0) << 16);
    case 6: return s(2) | (s(1) << 8) | (s(0) << 16) | (s(3) << 24);
    default: return s(0);
    }
}

TPixelFormat ExpectedFormat(const PngImage& image)
{
    switch (image.colorType) {
    case 2: return pf24bit;
    case 6: return pf32bit;
    case 4: return pf8bit;
    default: return image.bitDepth == 1 ? pf1bit : (image.bitDepth <= 4 ? pf4bit : pf8bit);
    }
}

void ExpectImage(const ks::MemoryRaster& raster, const PngImage& image)
{
    ASSERT_EQ(raster.Width(), static_cast<int>(image.width));
    ASSERT_EQ(raster.Height(), static_cast<int>(image.height));
    ASSERT_EQ(raster.Format(), ExpectedFormat(image));
    int mismatches = 0;
    for (uint32_t y = 0; y < image.height && mismatches < 5; ++y)
        for (uint32_t x = 0; x < image.width && mismatches < 5; ++x)
            if (Pixel(raster, x, y) != ExpectedPixel(image, x, y)) {
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << Pixel(raster, x, y) << " expected "
                              << ExpectedPixel(image, x, y);
                ++mismatches;
            }
}

#if __has_include(<png.h>)

struct MatrixCase {
    uint8_t colorType;
    uint8_t depth;
};

constexpr MatrixCase EveryLegalPair[] = {
    {0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1}, {3, 2},
    {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16},
};

struct Size {
    uint32_t width, height;
};

constexpr Size TestSizes[] = {{1, 1}, {1, 9}, {9, 1}, {3, 5}, {4, 4}, {7, 13}, {13, 7}, {33, 17}};

// Every colour type and depth, interlaced and not, at sizes that leave Adam7 passes empty or
// rows ending inside a byte, each with its own filter mix and IDAT split: the samples libpng reads
// from the file must come out in the bitmap as the format table says.
TEST(PngDecoder, MatchesLibpngOverEveryLegalFormat)
{
    const std::vector<std::vector<uint8_t>> filterMixes{{0}, {1}, {2}, {3}, {4}, {0, 1, 2, 3, 4}, {4, 2, 3}};
    uint32_t seed = 1;
    for (const MatrixCase& m : EveryLegalPair) {
        for (const Size& size : TestSizes) {
            for (bool interlaced : {false, true}) {
                ++seed;
                const PngImage image = MakePngImage(size.width, size.height, m.depth, m.colorType, seed);
                PngLayout layout;
                layout.interlaced = interlaced;
                layout.filters = filterMixes[seed % filterMixes.size()];
                layout.idatPiece = seed % 3 == 0 ? 7 : 0;
                layout.level = static_cast<int>(seed % 10);
                const std::vector<uint8_t> file = BuildPng(image, layout).Build();
                SCOPED_TRACE("type " + std::to_string(m.colorType) + " depth " + std::to_string(m.depth) + " " +
                             std::to_string(size.width) + "x" + std::to_string(size.height) +
                             (interlaced ? " Adam7" : "") + " seed " + std::to_string(seed));

                const auto oracle = ks::test::LibpngDecode(file);
                ASSERT_TRUE(oracle.has_value());
                ASSERT_EQ(oracle->samples, image.samples) << "the builder wrote a file libpng reads otherwise";
                const Loaded loaded = Load(file);
                ExpectImage(loaded.raster, *oracle);
                EXPECT_EQ(loaded.result.bytesRead, file.size());
            }
        }
    }
}

TEST(PngDecoder, PaletteImagesCarryTheirPaletteAndGreyImagesALadder)
{
    const PngImage palImage = MakePngImage(5, 2, 2, 3, 7);
    PngLayout layout;
    layout.palette = ks::test::MakePalette(3, 99); // shorter than the 2-bit range: the rest is black
    const Loaded pal = Load(BuildPng(palImage, layout).Build());
    ASSERT_EQ(pal.raster.Palette().size(), 16u);
    for (unsigned i = 0; i < 3; ++i)
        EXPECT_EQ(pal.raster.Palette()[i],
                  (ks::PaletteEntry{(*layout.palette)[3 * i], (*layout.palette)[3 * i + 1], (*layout.palette)[3 * i + 2]}));
    EXPECT_EQ(pal.raster.Palette()[3], (ks::PaletteEntry{0, 0, 0}));

    const Loaded grey = Load(BuildPng(MakePngImage(3, 3, 16, 0, 3)).Build());
    ASSERT_EQ(grey.raster.Palette().size(), 256u);
    EXPECT_EQ(grey.raster.Palette()[200], (ks::PaletteEntry{200, 200, 200}));
    const Loaded greyAlpha = Load(BuildPng(MakePngImage(3, 3, 8, 4, 3)).Build());
    EXPECT_EQ(greyAlpha.raster.Palette()[77], (ks::PaletteEntry{77, 77, 77}));
}

// libpng computes its gamma tables in its own fixed-point arithmetic and rounding; one level of
// difference is allowed. The exponent is the same: 1 / (file gamma * 2.2).
TEST(PngDecoder, GammaMatchesLibpngWithinOneLevel)
{
    struct Case {
        const char* name;
        uint8_t colorType;
        uint32_t gamma;
    };
    const Case cases[] = {
        {"Rgb045455", 2, 45455}, {"Rgba035", 6, 35000}, {"Rgb100", 2, 100000},
        {"Rgb250", 2, 250000},   {"Palette055", 3, 55000}, {"Grey045455", 0, 45455},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PngImage image = MakePngImage(16, 16, 8, c.colorType, 5);
        if (c.colorType == 0)
            for (size_t i = 0; i < image.samples.size(); ++i)
                image.samples[i] = static_cast<uint16_t>(i);
        PngLayout layout;
        layout.before.push_back({"gAMA", ks::test::BigEndian32(c.gamma), {}, {}});
        const std::vector<uint8_t> file = BuildPng(image, layout).Build();
        const auto oracle = ks::test::LibpngDecode(file, {2.2});
        ASSERT_TRUE(oracle.has_value());
        const Loaded loaded = Load(file);
        const auto& palette = loaded.raster.Palette();
        for (uint32_t y = 0; y < 16; ++y) {
            for (uint32_t x = 0; x < 16; ++x) {
                const uint32_t got = Pixel(loaded.raster, x, y);
                if (c.colorType == 2 || c.colorType == 6) {
                    for (unsigned ch = 0; ch < 3; ++ch) {
                        ASSERT_NEAR(static_cast<int>((got >> (16 - 8 * ch)) & 0xFF), oracle->Sample(x, y, ch), 1)
                            << x << "," << y << " channel " << ch;
                    }
                    if (c.colorType == 6) {
                        ASSERT_EQ(got >> 24, oracle->Sample(x, y, 3));
                    }
                } else if (c.colorType == 0) {
                    ASSERT_NEAR(palette[got].red, oracle->Sample(x, y, 0), 1) << x << "," << y;
                } else {
                    // libpng keeps palette indexes and corrects the palette, as the bitmap does.
                    ASSERT_EQ(got, oracle->Sample(x, y, 0));
                }
            }
        }
        if (c.colorType == 3) {
            const std::vector<uint8_t> plte = BuildPng(image, layout).Find("PLTE").data;
            PngImage plteImage{static_cast<uint32_t>(plte.size() / 3), 1, 8, 2, {plte.begin(), plte.end()}};
            const auto corrected = ks::test::LibpngDecode(
                BuildPng(plteImage, {.before = {{"gAMA", ks::test::BigEndian32(c.gamma), {}, {}}}}).Build(), {2.2});
            ASSERT_TRUE(corrected.has_value());
            for (size_t i = 0; i < plte.size() / 3; ++i)
                EXPECT_NEAR(palette[i].green, corrected->Sample(static_cast<uint32_t>(i), 0, 1), 1) << i;
        }
    }
}

#endif

// The decoder's own image, independent of libpng: two rows of known RGB.
PngImage TwoByTwo()
{
    return PngImage{2, 2, 8, 2, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120}};
}

// Files the decoder reads whole although they are not the plain chunk sequence.
TEST(PngDecoder, ChunkOrderAndAncillaryHandling)
{
    const PngImage two = TwoByTwo();
    const PngImage grey{3, 2, 8, 0, {1, 2, 3, 4, 5, 6}};
    const auto build = [](const PngImage& image, const PngLayout& layout) { return BuildPng(image, layout).Build(); };
    PngBuilder afterEnd = BuildPng(two);
    afterEnd.chunks.insert(afterEnd.chunks.begin() + 2, {"IDAT", {1, 2, 3}, {}, {}});
    PngBuilder zeroLength = BuildPng(two, {.idatPiece = 5});
    zeroLength.chunks.insert(zeroLength.chunks.begin() + static_cast<ptrdiff_t>(zeroLength.IndexOf("IDAT")) + 1,
                             {"IDAT", {}, {}, {}});
    zeroLength.chunks.insert(zeroLength.chunks.begin() + static_cast<ptrdiff_t>(zeroLength.IndexOf("IDAT")),
                             {"IDAT", {}, {}, {}});
    struct Case {
        const char* name;
        const PngImage& image;
        std::vector<uint8_t> file;
    };
    const Case cases[] = {
        {"TextBetweenImageDataAndEnd", two, build(two, {.after = {{"tEXt", {'a', 0, 'b'}, {}, {}}}})},
        {"LowerCaseUnknownBeforeHeaderData", two, build(two, {.before = {{"zzZz", {1, 2, 3}, {}, {}}}})},
        {"LowerCaseUnknownBetweenChunks", two, build(two, {.between = {{"prVt", {}, {}, {}}}})},
        {"AncillaryWithBadCrcIsSkipped", two, build(two, {.before = {{"tIME", {1, 2, 3, 4, 5, 6, 7}, {}, 0xDEADBEEF}}})},
        {"OneByteImageDataChunks", two, build(two, {.idatPiece = 1})},
        {"StoredBlocks", two, build(two, {.level = 0})},
        // Read (its CRC is checked) but not inflated.
        {"ImageDataAfterTheStreamEnd", two, afterEnd.Build()},
        {"ZeroLengthImageDataChunks", two, zeroLength.Build()},
        // The image was written before a gamma came, whether right after the data or further on.
        {"GammaAfterImageData", two,
         build(two, {.after = {{"tEXt", {'a', 0}, {}, {}}, {"gAMA", ks::test::BigEndian32(100000), {}, {}}}})},
        {"UndefinedFilterTypesLeaveRowsAsStored", grey, build(grey, {.filters = {7, 5}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectImage(Load(c.file).raster, c.image);
    }
}

TEST(PngDecoder, ReportsProgressRowByRow)
{
    const PngImage image = MakePngImage(3, 10, 8, 0, 1);
    std::vector<std::string> events;
    TColorManager manager;
    ks::MemoryRaster raster;
    ks::LoadPng(BuildPng(image).Build(), manager, raster, {}, [&](const ks::PngProgress& p) {
        events.push_back(std::to_string(p.stage) + ":" + std::to_string(p.percentDone) + ":" +
                         (p.redrawNow ? "r" : "-") + ":" + std::to_string(p.rect.Top) + ":" + std::string(p.message));
    });
    std::vector<std::string> expected{"0:0:-:0:Preparing...", "2:0:-:0:", "0:0:-:0:Transfering..."};
    for (int row = 0; row < 10; ++row)
        expected.push_back("1:" + std::to_string(row * 10) + ":r:" + std::to_string(row) + ":");
    expected.push_back("2:0:-:10:");
    EXPECT_EQ(events, expected);
}

TEST(PngDecoder, HeaderInfoDescribesTheFile)
{
    const PngImage image = MakePngImage(5, 3, 16, 6, 1);
    const Loaded loaded =
        Load(BuildPng(image, {.interlaced = true, .before = {{"gAMA", ks::test::BigEndian32(45455), {}, {}}}}).Build());
    const ks::PngHeaderInfo& h = loaded.result.header;
    EXPECT_EQ(h.Flags, 3);
    EXPECT_EQ(h.Width, 5u);
    EXPECT_EQ(h.Height, 3u);
    EXPECT_EQ(h.ColorScheme, csRGBA);
    EXPECT_EQ(h.BitsPerSample, 16);
    EXPECT_EQ(h.SamplesPerPixel, 4);
    EXPECT_EQ(h.BitsPerPixel, 64);
    EXPECT_EQ(h.Compression, 2);
    EXPECT_FLOAT_EQ(h.FileGamma, 0.45455f);
    EXPECT_TRUE(h.Interlaced);
    EXPECT_TRUE(h.HasAlpha);
}

TEST(PngDecoder, TransparentColourMatchesTheWrittenPixels)
{
    struct Case {
        const char* name;
        PngImage image;
        std::vector<uint8_t> trns;
        std::optional<uint32_t> gamma;
    };
    const Case cases[] = {
        {"Rgb8", {2, 1, 8, 2, {1, 2, 3, 9, 9, 9}}, ks::test::BigEndian16({1, 2, 3}), {}},
        {"Rgb16", {2, 1, 16, 2, {0x8000, 0xFFFF, 0, 1, 1, 1}}, ks::test::BigEndian16({0x8000, 0xFFFF, 0}), {}},
        {"Grey8", {2, 1, 8, 0, {77, 5}}, ks::test::BigEndian16({77}), {}},
        {"Grey2", {2, 1, 2, 0, {2, 1}}, ks::test::BigEndian16({2}), {}},
        {"Grey1", {2, 1, 1, 0, {1, 0}}, ks::test::BigEndian16({1}), {}},
        {"Grey4", {2, 1, 4, 0, {9, 0}}, ks::test::BigEndian16({9}), {}},
        // With gamma the rows are corrected; the key must be corrected the same way or never match.
        {"RgbWithGamma", {2, 1, 8, 2, {100, 150, 200, 9, 9, 9}}, ks::test::BigEndian16({100, 150, 200}), 45000},
        {"GreyWithGamma", {2, 1, 8, 0, {100, 5}}, ks::test::BigEndian16({100}), 45000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PngLayout layout;
        layout.between.push_back({"tRNS", c.trns, {}, {}});
        if (c.gamma)
            layout.before.push_back({"gAMA", ks::test::BigEndian32(*c.gamma), {}, {}});
        const Loaded loaded = Load(BuildPng(c.image, layout).Build());
        const uint32_t keyed = Pixel(loaded.raster, 0, 0);
        const uint32_t other = Pixel(loaded.raster, 1, 0);
        const auto colourOf = [&](uint32_t pixel) -> TColor {
            if (loaded.raster.BitsPerPixel() <= 8) {
                const ks::PaletteEntry e = loaded.raster.Palette()[pixel];
                return e.red | (e.green << 8) | (e.blue << 16);
            }
            return static_cast<TColor>(((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16));
        };
        EXPECT_EQ(loaded.result.trnsColor, colourOf(keyed));
        EXPECT_NE(loaded.result.trnsColor, colourOf(other));
    }
}

// Palette alpha and an image's own alpha are no colour key; a chunk right after the image data is never read.
TEST(PngDecoder, SomeTransparencyChunksGiveNoColourKey)
{
    const std::vector<uint8_t> files[] = {
        BuildPng(MakePngImage(2, 2, 8, 3, 1), {.between = {{"tRNS", {0, 128, 255}, {}, {}}}}).Build(),
        BuildPng(MakePngImage(2, 2, 8, 6, 1), {.between = {{"tRNS", {}, {}, {}}}}).Build(),
        BuildPng(MakePngImage(2, 1, 8, 2, 1), {.after = {{"tRNS", ks::test::BigEndian16({1, 2, 3}), {}, {}}}}).Build(),
    };
    for (size_t i = 0; i < std::size(files); ++i)
        EXPECT_EQ(Load(files[i]).result.trnsColor, clNone) << i;
}

// A stream cut short, in its first block or well past it: the rows before the cut are decoded, every
// row from the one it falls in is background, none half of each.
TEST(PngDecoder, ImageDataEndingEarlyKeepsTheRowsBeforeAndTheBackgroundAfter)
{
    struct Case {
        const char* name;
        PngImage image;
        std::vector<uint8_t> bkgd;
        uint32_t expectedFill; // as Pixel() reads it
    };
    const Case cases[] = {
        {"RgbaAlphaZero", MakePngImage(4, 6, 8, 6, 3), {}, 0x00FFFFFF},
        {"RgbWithBackground", MakePngImage(4, 6, 8, 2, 3), ks::test::BigEndian16({0x10, 0x20, 0x30}), 0x102030},
        // The fill of a palette bitmap is the palette entry of the background level.
        {"GreyWithBackground", MakePngImage(4, 6, 4, 0, 3), ks::test::BigEndian16({6}), 6},
        {"GreyWhiteByDefault", MakePngImage(4, 6, 2, 0, 3), {}, 15},
        {"RgbCutInALaterBlock", MakePngImage(300, 400, 8, 2, 9), {}, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PngImage& image = c.image;
        std::vector<uint8_t> zlib = ks::test::ZlibCompress(ks::test::FilterRows(image, false, {0, 1, 2, 3, 4}), 0);
        zlib.resize(zlib.size() / 2);
        PngBuilder b;
        b.Add("IHDR", ks::test::IhdrData(image.width, image.height, image.bitDepth, image.colorType));
        if (!c.bkgd.empty())
            b.Add("bKGD", c.bkgd);
        b.AddImageData(zlib, 8192).Add("IEND", {});
        const Loaded loaded = Load(b.Build());

        const auto rowIs = [&](uint32_t y, auto expected) {
            for (uint32_t x = 0; x < image.width; ++x)
                if (Pixel(loaded.raster, static_cast<int>(x), static_cast<int>(y)) != expected(x))
                    return false;
            return true;
        };
        uint32_t decoded = 0;
        while (decoded < image.height && rowIs(decoded, [&](uint32_t x) { return ExpectedPixel(image, x, decoded); }))
            ++decoded;
        EXPECT_GE(decoded, image.height / 3);
        for (uint32_t y = decoded; y < image.height; ++y)
            ASSERT_TRUE(rowIs(y, [&](uint32_t) { return c.expectedFill; })) << "row " << y;
    }
}

TEST(PngDecoder, PaletteDefectsDrawBlack)
{
    // No PLTE at all: every entry is black.
    const PngImage image{4, 1, 8, 3, {0, 1, 2, 255}};
    PngBuilder noPalette;
    noPalette.Add("IHDR", ks::test::IhdrData(4, 1, 8, 3));
    noPalette.AddImageData(ks::test::ZlibCompress(ks::test::FilterRows(image, false))).Add("IEND", {});
    const Loaded none = Load(noPalette.Build());
    EXPECT_EQ(none.raster.Palette(), std::vector<ks::PaletteEntry>(256));
    ExpectImage(none.raster, image);

    // A 1-bit image with a full 256-entry palette keeps the first two entries.
    const Loaded longPal = Load(BuildPng(PngImage{3, 1, 1, 3, {0, 1, 1}}, {.palette = ks::test::MakePalette(256, 4)}).Build());
    EXPECT_EQ(longPal.raster.Palette().size(), 2u);
}

TEST(PngDecoder, NothingOfAnEarlierLoadCarriesOver)
{
    const PngImage image = MakePngImage(3, 2, 8, 2, 8);
    TColorManager manager;
    const Loaded withGamma =
        Load(BuildPng(image, {.before = {{"gAMA", ks::test::BigEndian32(25000), {}, {}}}}).Build(), &manager);
    ASSERT_NE(Pixel(withGamma.raster, 0, 0), ExpectedPixel(image, 0, 0));
    // A 1-bit image between them leaves the manager with 1-bit depths.
    Load(BuildPng(MakePngImage(9, 2, 1, 0, 1)).Build(), &manager);
    ExpectImage(Load(BuildPng(image).Build(), &manager).raster, image);
    ExpectImage(Load(BuildPng(image, {.before = {{"gAMA", ks::test::BigEndian32(100000 * 10 / 22), {}, {}}}}).Build(),
                     &manager)
                    .raster,
                image);
    // The same RGBA file twice: the second load must still copy alpha.
    const PngImage rgba = MakePngImage(3, 2, 8, 6, 8);
    Load(BuildPng(rgba).Build(), &manager);
    ExpectImage(Load(BuildPng(rgba).Build(), &manager).raster, rgba);
}

TEST(PngDecoder, FixedTextsOfTheFailures)
{
    PngBuilder compression = BuildPng(TwoByTwo());
    compression.chunks[0].data[10] = 1;
    EXPECT_EQ(MessageOf(compression.Build()), "Cannot load image. The compression scheme is not supported for PNG files.");
    EXPECT_EQ(MessageOf({1, 2, 3, 4, 5, 6, 7, 8, 9}), "Cannot load image. Invalid or unexpected PNG image format.");
    PngBuilder crc = BuildPng(TwoByTwo());
    crc.chunks[0].crc = 0;
    EXPECT_EQ(MessageOf(crc.Build()), "Cannot load image. CRC error found in PNG file.");
    PngBuilder critical = BuildPng(TwoByTwo(), {.before = {{"ABCD", {}, {}, {}}}});
    EXPECT_EQ(MessageOf(critical.Build()), "Cannot load PNG image. Unexpected but critical chunk detected.");
    EXPECT_EQ(MessageOf(BuildPng(TwoByTwo(), {.palette = std::vector<uint8_t>(10)}).Build()),
              "Cannot load image. Palette in PNG file is invalid.");
    PngBuilder colour = BuildPng(TwoByTwo());
    colour.chunks[0].data[8] = 4;
    EXPECT_EQ(MessageOf(colour.Build()), "Invalid color format in PNG file.");
}

std::vector<uint8_t> WithChunk(PngBuilder b, const char* type, size_t at, std::vector<uint8_t> data)
{
    b.chunks.insert(b.chunks.begin() + static_cast<ptrdiff_t>(at), {type, std::move(data), {}, {}});
    return b.Build();
}

std::vector<uint8_t> Truncated(std::vector<uint8_t> file, size_t keep)
{
    file.resize(keep);
    return file;
}

std::vector<uint8_t> WithImageData(std::vector<uint8_t> zlib)
{
    PngBuilder b;
    b.Add("IHDR", ks::test::IhdrData(2, 2, 8, 2)).AddImageData(zlib).Add("IEND", {});
    return b.Build();
}

std::vector<uint8_t> Header(uint32_t width, uint32_t height, uint8_t depth, uint8_t type)
{
    PngBuilder b;
    b.Add("IHDR", ks::test::IhdrData(width, height, depth, type));
    b.AddImageData(ks::test::ZlibCompress(std::vector<uint8_t>(64))).Add("IEND", {});
    return b.Build();
}

TEST(PngDecoder, RefusesMalformedFiles)
{
    const PngBuilder good = BuildPng(TwoByTwo());
    const std::vector<uint8_t> goodFile = good.Build();
    const std::vector<uint8_t> rows = ks::test::FilterRows(TwoByTwo(), false);
    const std::vector<uint8_t> zlib = ks::test::ZlibCompress(rows);
    const auto edit = [&](auto change) {
        PngBuilder b = good;
        change(b);
        return b.Build();
    };
    std::vector<uint8_t> trailing = zlib;
    trailing.push_back(0);
    std::vector<uint8_t> corrupt = zlib;
    corrupt[2] ^= 0xFF;
    const uint8_t dictionary[] = {1, 2, 3};
    const auto badCrc = [&](const char* type, std::vector<uint8_t> data) {
        PngBuilder b = good;
        b.chunks.insert(b.chunks.begin() + 1, {type, std::move(data), {}, 0});
        return b.Build();
    };

    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        PngError reason;
    };
    const Case cases[] = {
        {"SignatureByte0", edit([](PngBuilder& b) { b.signature[0] = 0x88; }), PngError::Signature},
        {"SignatureByte7", edit([](PngBuilder& b) { b.signature[7] = 0x0B; }), PngError::Signature},
        {"ShorterThanSignature", {0x89, 0x50, 0x4E}, PngError::Signature},
        {"FirstChunkNotHeader", edit([](PngBuilder& b) { std::swap(b.chunks[0], b.chunks[1]); }), PngError::MissingHeader},
        {"HeaderLength12", edit([](PngBuilder& b) { b.chunks[0].data.pop_back(); }), PngError::HeaderLength},
        {"HeaderLength14", edit([](PngBuilder& b) { b.chunks[0].data.push_back(0); }), PngError::HeaderLength},
        {"ZeroWidth", Header(0, 2, 8, 2), PngError::Dimensions},
        {"ZeroHeight", Header(2, 0, 8, 2), PngError::Dimensions},
        {"Width2p31", Header(0x80000000u, 1, 8, 2), PngError::Dimensions},
        {"HeightFFFFFFFF", Header(1, 0xFFFFFFFFu, 8, 2), PngError::Dimensions},
        {"HugeButLegalDimensions", Header(0x7FFFFFFF, 0x7FFFFFFF, 1, 0), PngError::TooLarge},
        {"OneRowTooWide", Header(0x7FFFFFFF, 1, 16, 6), PngError::TooLarge},
        {"HeaderCrc", edit([](PngBuilder& b) { b.chunks[0].crc = 1; }), PngError::Crc},
        {"ImageDataCrc", edit([](PngBuilder& b) { b.Find("IDAT").crc = 5; }), PngError::Crc},
        {"CrcOfImageDataAfterStreamEnd",
         edit([](PngBuilder& b) { b.chunks.insert(b.chunks.begin() + 2, {"IDAT", {1, 2, 3}, {}, 0}); }), PngError::Crc},
        {"GammaCrc", badCrc("gAMA", {0, 0, 0xB1, 0x8F}), PngError::Crc},
        {"PaletteCrc", badCrc("PLTE", {1, 2, 3}), PngError::Crc},
        {"BackgroundCrc", badCrc("bKGD", ks::test::BigEndian16({1, 2, 3})), PngError::Crc},
        {"TransparencyCrc", badCrc("tRNS", ks::test::BigEndian16({1, 2, 3})), PngError::Crc},
        {"ChunkLengthFFFFFFFF", edit([](PngBuilder& b) { b.Find("IDAT").length = 0xFFFFFFFF; }), PngError::ChunkLength},
        {"ChunkLengthBeyondStream", edit([](PngBuilder& b) { b.Find("IDAT").length = 1000; }), PngError::ChunkBeyondStream},
        {"TruncatedInLength", Truncated(goodFile, 33 + 2), PngError::ShortRead},
        {"TruncatedInType", Truncated(goodFile, 33 + 6), PngError::ShortRead},
        {"TruncatedInData", Truncated(goodFile, 33 + 8 + 3), PngError::ChunkBeyondStream},
        {"TruncatedInCrc", Truncated(goodFile, goodFile.size() - 2), PngError::ChunkBeyondStream},
        {"MissingEnd", Truncated(goodFile, goodFile.size() - 12), PngError::ShortRead},
        {"MissingImageData", edit([](PngBuilder& b) { b.chunks.erase(b.chunks.begin() + 1); }), PngError::MissingImageData},
        {"SecondHeader", WithChunk(good, "IHDR", 1, ks::test::IhdrData(2, 2, 8, 2)), PngError::CriticalChunk},
        {"UnknownCriticalAfterImage", WithChunk(good, "QUUX", 2, {}), PngError::CriticalChunk},
        {"PaletteAfterImage", WithChunk(good, "PLTE", 2, {1, 2, 3}), PngError::CriticalChunk},
        {"ImageDataAfterOtherChunk",
         edit([&](PngBuilder& b) {
             b.chunks.insert(b.chunks.begin() + 2, {"tEXt", {'a', 0}, {}, {}});
             b.chunks.insert(b.chunks.begin() + 3, {"IDAT", zlib, {}, {}});
         }),
         PngError::ExtraData},
        // Refused before its CRC is read: the CRC is wrong too.
        {"PaletteLength10", badCrc("PLTE", std::vector<uint8_t>(10)), PngError::PaletteLength},
        {"GreyDepth3", Header(2, 2, 3, 0), PngError::ColorFormat},
        {"RgbDepth4", Header(2, 2, 4, 2), PngError::ColorFormat},
        {"PaletteDepth16", Header(2, 2, 16, 3), PngError::ColorFormat},
        {"GreyAlphaDepth4", Header(2, 2, 4, 4), PngError::ColorFormat},
        {"RgbaDepth1", Header(2, 2, 1, 6), PngError::ColorFormat},
        {"ColourType1", Header(2, 2, 8, 1), PngError::ColorFormat},
        {"ColourType5", Header(2, 2, 8, 5), PngError::ColorFormat},
        {"ColourType7", Header(2, 2, 8, 7), PngError::ColorFormat},
        {"CompressionMethod1", edit([](PngBuilder& b) { b.chunks[0].data[10] = 1; }), PngError::Compression},
        {"TrailingBytesAfterStreamEnd", WithImageData(trailing), PngError::ExtraData},
        {"StreamEndsBeforeImage", WithImageData(ks::test::ZlibCompress(std::span(rows).first(5))), PngError::ExtraData},
        {"ImageDataAfterStreamEndsBetweenRows",
         [&] {
             PngBuilder b;
             b.Add("IHDR", ks::test::IhdrData(2, 2, 8, 2)).AddImageData(ks::test::ZlibCompress(std::span(rows).first(7)));
             return b.Add("IDAT", {1, 2, 3}).Add("IEND", {}).Build();
         }(),
         PngError::ExtraData},
        // Missing bytes are not read as zero: the chunk is refused, wherever the decoder reads it.
        {"GammaShorterThanItsLayout", WithChunk(good, "gAMA", 1, {0, 1}), PngError::AncillaryLength},
        {"EmptyGammaAfterImageData", WithChunk(good, "gAMA", 2, {}), PngError::AncillaryLength},
        {"BackgroundShorterThanRgbLayout", WithChunk(good, "bKGD", 1, {0, 1, 0, 2}), PngError::AncillaryLength},
        {"TransparencyShorterThanRgbLayout", WithChunk(good, "tRNS", 1, {0, 1, 0, 2, 0}), PngError::AncillaryLength},
        {"CorruptDeflate", WithImageData(corrupt), PngError::Inflate},
        {"PresetDictionary", WithImageData(ks::test::ZlibCompress(rows, 6, dictionary)), PngError::Inflate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReasonOf(c.file), static_cast<int>(c.reason));
    }
}

// The zlib stream ends, whole and checked, exactly where a row ends: the rows before it are
// decoded and every row after it keeps the background, however far ahead the decoder inflates.
// (libpng refuses such files for want of image data, so the samples written are the oracle.)
TEST(PngDecoder, StreamEndingBetweenRowsKeepsTheRowsBeforeIt)
{
    struct Case {
        const char* name;
        PngImage image;
        bool interlaced;
        uint32_t rowsDropped; // from the end of the file: the last rows, or the last of Adam7 pass 7
        uint32_t fill;        // as Pixel() reads it
    };
    const Case cases[] = {
        {"RgbHalfTheRows", MakePngImage(4, 6, 8, 2, 3), false, 3, 0xFFFFFF},
        {"GreyPackedRows", MakePngImage(7, 6, 4, 0, 4), false, 4, 15},
        {"RgbEndInALaterBlock", MakePngImage(300, 400, 8, 2, 9), false, 150, 0xFFFFFF},
        {"Adam7LastPassCut", MakePngImage(9, 10, 8, 6, 5), true, 2, 0x00FFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PngImage& image = c.image;
        const std::vector<uint8_t> rows = ks::test::FilterRows(image, c.interlaced, {0, 1, 2, 3, 4});
        const size_t rowBytes = 1 + (image.width * image.Channels() * image.bitDepth + 7) / 8;
        PngBuilder b;
        b.Add("IHDR", ks::test::IhdrData(image.width, image.height, image.bitDepth, image.colorType, 0, 0, c.interlaced));
        b.AddImageData(ks::test::ZlibCompress(std::span(rows).first(rows.size() - c.rowsDropped * rowBytes)), 8192);
        const Loaded loaded = Load(b.Add("IEND", {}).Build());

        const uint32_t firstDropped =
            c.interlaced ? 2 * (image.height / 2 - c.rowsDropped) + 1 : image.height - c.rowsDropped;
        for (uint32_t y = 0; y < image.height; ++y) {
            const bool dropped = y >= firstDropped && (!c.interlaced || y % 2 == 1);
            for (uint32_t x = 0; x < image.width; ++x)
                ASSERT_EQ(Pixel(loaded.raster, static_cast<int>(x), static_cast<int>(y)),
                          dropped ? c.fill : ExpectedPixel(image, x, y))
                    << x << "," << y;
        }
    }
}

// Image data is inflated ahead of the rows in blocks: rows across block borders, rows longer than
// a block, and Adam7 passes over many blocks must come out as the file says.
TEST(PngDecoder, RowsAcrossInflateBlocksDecodeWhole)
{
    struct Case {
        const char* name;
        uint32_t width, height;
        uint8_t depth, colorType;
        bool interlaced;
    };
    const Case cases[] = {
        {"RgbaManyBlocks", 181, 150, 8, 6, false},
        {"RgbRowLongerThanABlock", 23000, 3, 8, 2, false},
        {"Rgb16Adam7", 97, 101, 16, 2, true},
        {"PaletteManyBlocks", 509, 300, 8, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PngImage image = MakePngImage(c.width, c.height, c.depth, c.colorType, 5);
        PngLayout layout;
        layout.interlaced = c.interlaced;
        layout.filters = {0, 1, 2, 3, 4};
        layout.idatPiece = 8192;
        const Loaded loaded = Load(BuildPng(image, layout).Build());
        ExpectImage(loaded.raster, image);
    }
}

// The row filters as the format defines them, byte by byte, against the decoder's own loops
// (which read several bytes at once): every pixel width, every filter type, rows of every length
// up to a few registers, and rows that end inside a pixel. Each row lives in a buffer of exactly
// its size, so that a read past its end is caught.
TEST(PngDecoder, UnfilterRowMatchesTheFilterDefinitions)
{
    const auto reference = [](uint8_t type, std::vector<uint8_t> line, const std::vector<uint8_t>& up, size_t bpp) {
        for (size_t i = 0; i < line.size(); ++i) {
            const int a = i >= bpp ? line[i - bpp] : 0, b = up[i], c = i >= bpp ? up[i - bpp] : 0;
            const int predicted[] = {0, a, b, (a + b) / 2, ks::PaethPredictor(uint8_t(a), uint8_t(b), uint8_t(c))};
            line[i] = static_cast<uint8_t>(line[i] + (type < 5 ? predicted[type] : 0));
        }
        return line;
    };
    uint32_t seed = 12345;
    const auto next = [&seed] { return static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 16); };
    for (unsigned bpp = 1; bpp <= 8; ++bpp)
        for (size_t count = 0; count <= 20 * bpp + 3; ++count)
            for (uint8_t type = 0; type <= 5; ++type) {
                std::vector<uint8_t> line(count), up(count);
                for (size_t i = 0; i < count; ++i) {
                    line[i] = next();
                    up[i] = next();
                }
                const std::vector<uint8_t> expected = reference(type, line, up, bpp);
                ks::UnfilterRow(type, line.data(), up.data(), bpp, count);
                ASSERT_EQ(line, expected) << "bpp " << bpp << ", " << count << " bytes, filter " << int(type);
            }
}

} // namespace
