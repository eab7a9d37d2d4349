#include "skin/images/ColorManager.h"

#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Layout {
    TColorScheme scheme;
    uint8_t samples;
    uint8_t bits;
};

void Configure(TColorManager& m, Layout source, Layout target)
{
    m.SetSourceColorScheme(source.scheme);
    m.SetSourceSamplesPerPixel(source.samples);
    m.SetSourceBitsPerSample(source.bits);
    m.SetTargetColorScheme(target.scheme);
    m.SetTargetSamplesPerPixel(target.samples);
    m.SetTargetBitsPerSample(target.bits);
}

std::vector<uint8_t> Convert(TColorManager& m, const std::vector<uint8_t>& source, unsigned count, size_t targetBytes,
                             uint8_t mask = 0xFF, uint8_t fill = 0)
{
    std::vector<uint8_t> target(targetBytes, fill);
    const uint8_t* rows[] = {source.data()};
    m.ConvertRow(rows, target.data(), count, mask);
    return target;
}

int ReasonOf(TColorManager& m, const std::vector<uint8_t>& source, unsigned count)
{
    std::vector<uint8_t> target(64);
    const uint8_t* rows[] = {source.data()};
    try {
        m.ConvertRow(rows, target.data(), count, 0xFF);
    } catch (const EColorConversionError& e) {
        return e.Reason();
    }
    return 0;
}

TEST(TColorManager, GammaTableFollowsDefaultsAndDepthsInForce)
{
    TColorManager m;
    m.SetGammaTable(0, 0); // values not above zero fall back to the defaults
    EXPECT_FLOAT_EQ(m.MainGamma(), 1.0f);
    EXPECT_FLOAT_EQ(m.DisplayGamma(), 2.2f);
    EXPECT_EQ(m.GammaTable()[128], 186); // (128 / 255)^(1 / 2.2) * 255 = 186.4
    EXPECT_EQ(m.GammaTable()[255], 255);

    Configure(m, {csG, 1, 2}, {csG, 1, 4});
    m.SetGammaTable(1.0f, 1.0f);
    // Source values 0..3 map onto 0..15; the rest of the table is unused.
    EXPECT_EQ(m.GammaTable()[1], 5);
    EXPECT_EQ(m.GammaTable()[3], 15);
    EXPECT_EQ(m.GammaTable()[4], 0);
}

// One row per converter and the cases its formats raise: expected bytes worked out by hand.
// Whole rows of 8-bit RGB have their own test below; the layouts the PNG decoder sets up are
// checked there against libpng.
TEST(TColorManager, RowsConvertAsTheirLayoutsSay)
{
    constexpr TConvertOptions swap{coNeedByteSwap};
    struct Case {
        const char* name;
        Layout source, target;
        std::vector<uint8_t> in;
        unsigned count;
        std::vector<uint8_t> expected; // the target starts as 0xEE bytes, or fill
        TConvertOptions sourceOptions = {}, targetOptions = {};
        uint8_t mask = 0xFF, fill = 0xEE;
    };
    const Case cases[] = {
        // (128 / 255)^(1 / 2.2) * 255 = 186.4: a fresh manager's table, applied when the target asks.
        {"GammaOnRequest", {csRGB, 3, 8}, {csBGR, 3, 8}, {128, 0, 255}, 1, {255, 0, 186}, {}, {coApplyGamma}},
        {"Grey1To8", {csG, 1, 1}, {csG, 1, 8}, {0xA0}, 3, {255, 0, 255}},
        {"Grey4To1", {csG, 1, 4}, {csG, 1, 1}, {0xF7, 0x00}, 3, {0x80}, {}, {}, 0xFF, 0},
        {"Index8To4KeepsLowBits", {csIndexed, 1, 8}, {csIndexed, 1, 4}, {0x1F, 0x03}, 2, {0xF3}},
        {"MaskTakesConsecutiveSamples", {csG, 1, 8}, {csG, 1, 8}, {10, 11, 12, 13}, 8,
         {0xEE, 10, 0xEE, 11, 0xEE, 12, 0xEE, 13}, {}, {}, 0x55},
        {"MaskKeepsSubByteBitsLeftOut", {csG, 1, 1}, {csG, 1, 1}, {0xC0}, 8, {0x22}, {}, {}, 0x22, 0},
        // A colour pixel left out keeps its target bytes; the next one taken still lands at its own.
        {"MaskedColourPixelsKeepTheirPlaces", {csRGB, 3, 8}, {csBGR, 3, 8}, {1, 2, 3, 4, 5, 6}, 3,
         {3, 2, 1, 0xEE, 0xEE, 0xEE, 6, 5, 4}, {}, {}, 0xA0},
        {"MaskedCmykPixelKeepsItsPlace", {csCMYK, 4, 8}, {csBGR, 3, 8}, {0, 0, 0, 0}, 2,
         {0xEE, 0xEE, 0xEE, 255, 255, 255}, {}, {}, 0x40},
        // 8-bit samples widen by 65535 / 255 = 257, then are swapped as the source option asks.
        {"RgbTo16", {csRGB, 3, 8}, {csBGR, 3, 16}, {1, 2, 0xFF}, 1, {0xFF, 0xFF, 2, 2, 1, 1}, swap},
        {"Rgb16To16", {csRGB, 3, 16}, {csRGB, 3, 16}, {1, 2, 3, 4, 5, 6}, 1, {2, 1, 4, 3, 6, 5}, swap},
        {"Grey8To16", {csG, 1, 8}, {csG, 1, 16}, {1}, 1, {1, 1}},
        {"Index16To16", {csIndexed, 1, 16}, {csIndexed, 1, 16}, {0x12, 0x34}, 1, {0x34, 0x12}, swap},
        {"Index16To4", {csIndexed, 1, 16}, {csIndexed, 1, 4}, {0xFF, 0xFF, 0, 0}, 2, {0xF0}, swap, {}, 0xFF, 0},
        {"Index2To16", {csIndexed, 1, 2}, {csIndexed, 1, 16}, {0xC0}, 1, {0xFF, 0xFF}, swap},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TColorManager m;
        Configure(m, c.source, c.target);
        m.SetSourceOptions(c.sourceOptions);
        m.SetTargetOptions(c.targetOptions);
        EXPECT_EQ(Convert(m, c.in, c.count, c.expected.size(), c.mask, c.fill), c.expected);
    }
}

TEST(TColorManager, PlanarSourcesAdvanceOneSamplePerPixel)
{
    TColorManager m;
    const std::vector<uint8_t> red{1, 4}, green{2, 5}, blue{3, 6};
    const uint8_t* planes[] = {red.data(), green.data(), blue.data()};
    std::vector<uint8_t> target(6);
    m.ConvertRow(planes, target.data(), 2, 0xFF);
    EXPECT_EQ(target, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
}

TEST(TColorManager, OtherColourModelsReachRgb)
{
    struct Case {
        const char* name;
        Layout source;
        TConvertOptions options;
        std::vector<uint8_t> in;
        std::vector<uint8_t> bgr;
    };
    const Case cases[] = {
        {"CmykWhite", {csCMYK, 4, 8}, {}, {0, 0, 0, 0}, {255, 255, 255}},
        {"CmykCyan", {csCMYK, 4, 8}, {}, {255, 0, 0, 0}, {255, 255, 0}},
        {"CmykBlack", {csCMYK, 4, 8}, {}, {0, 0, 0, 255}, {0, 0, 0}},
        {"YCbCrGrey", {csYCbCr, 3, 8}, {}, {100, 128, 128}, {100, 100, 100}},
        {"YCbCrRed", {csYCbCr, 3, 8}, {}, {76, 85, 255}, {0, 0, 254}},
        {"PhotoYCCNeutral", {csPhotoYCC, 3, 8}, {}, {90, 156, 137}, {90, 90, 90}},
        {"LabWhite", {csCIELab, 3, 8}, {coLabByteRange, coLabChromaOffset}, {255, 128, 128}, {255, 255, 255}},
        {"LabBlack", {csCIELab, 3, 8}, {}, {0, 0, 0}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TColorManager m;
        Configure(m, c.source, {csBGR, 3, 8});
        m.SetSourceOptions(c.options);
        const std::vector<uint8_t> out = Convert(m, c.in, 1, 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(out[i], c.bgr[i], 1) << "channel " << i;
    }
}

// The plain ladders are checked through the PNG decoder against libpng; here the inverted one
// and the gamma.
TEST(TColorManager, GreyPalettesInvertOrTakeTheGamma)
{
    TColorManager m;
    Configure(m, {csG, 1, 4}, {csG, 1, 4});
    const auto inverted = m.BuildGrayPalette(true);
    ASSERT_EQ(inverted.size(), 16u);
    EXPECT_EQ(inverted[0], (ks::PaletteEntry{255, 255, 255}));
    EXPECT_EQ(inverted[14], (ks::PaletteEntry{17, 17, 17}));

    Configure(m, {csG, 1, 8}, {csG, 1, 8});
    m.SetGammaTable(1.0f, 2.2f);
    m.SetTargetOptions({coApplyGamma});
    EXPECT_EQ(m.BuildGrayPalette(false)[128].blue, 186);
}

TEST(TColorManager, ColourPalettesReadEveryDataFormat)
{
    TColorManager m;
    const std::vector<uint8_t> triples{1, 2, 3, 4, 5, 6};
    const uint8_t* interleaved[] = {triples.data()};
    EXPECT_EQ(m.BuildColorPalette(interleaved, 0, 2, false),
              (std::vector<ks::PaletteEntry>{{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(m.BuildColorPalette(interleaved, 0, 1, true), (std::vector<ks::PaletteEntry>{{3, 2, 1}}));

    const std::vector<uint8_t> quads{1, 2, 3, 99, 4, 5, 6, 99};
    const uint8_t* quadRows[] = {quads.data()};
    EXPECT_EQ(m.BuildColorPalette(quadRows, 1, 2, false), (std::vector<ks::PaletteEntry>{{1, 2, 3}, {4, 5, 6}}));

    const std::vector<uint8_t> words{0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00};
    const uint8_t* wordRows[] = {words.data()};
    m.SetSourceOptions({coNeedByteSwap});
    EXPECT_EQ(m.BuildColorPalette(wordRows, 4, 1, false), (std::vector<ks::PaletteEntry>{{255, 127, 0}}));

    const std::vector<uint8_t> r{7}, g{8}, b{9};
    const uint8_t* planes[] = {r.data(), g.data(), b.data()};
    EXPECT_EQ(m.BuildColorPalette(planes, 2, 1, false), (std::vector<ks::PaletteEntry>{{7, 8, 9}}));

    EXPECT_EQ(m.BuildColorPalette(interleaved, 9, 2, false), (std::vector<ks::PaletteEntry>(2)));
    std::vector<uint8_t> big(300 * 3, 1);
    const uint8_t* bigRows[] = {big.data()};
    EXPECT_EQ(m.BuildColorPalette(bigRows, 0, 300, false).size(), 256u);
}

TEST(TColorManager, PixelFormatFollowsSamplesAndBits)
{
    struct Case {
        uint8_t samples, bits;
        TPixelFormat expected;
    };
    const Case cases[] = {
        {1, 1, pf1bit}, {1, 2, pf4bit}, {1, 4, pf4bit}, {1, 8, pf8bit}, {1, 16, pf8bit}, {1, 5, pfCustom},
        {3, 5, pf15bit}, {3, 8, pf24bit}, {4, 8, pf32bit}, {4, 4, pfCustom}, {2, 8, pfCustom},
    };
    for (const Case& c : cases) {
        TColorManager m;
        m.SetTargetSamplesPerPixel(c.samples);
        m.SetTargetBitsPerSample(c.bits);
        EXPECT_EQ(m.GetPixelFormat(ks::ColorSide::Target), c.expected) << int(c.samples) << "x" << int(c.bits);
    }
}

TEST(TColorManager, RefusesSettingsNoConverterServes)
{
    struct Case {
        const char* name;
        Layout source, target;
        ks::ColorError reason;
    };
    const Case cases[] = {
        {"RgbToGrey", {csRGB, 3, 8}, {csG, 1, 8}, ks::ColorError::IndexedMismatch},
        {"GreyToBgr", {csG, 1, 8}, {csBGR, 3, 8}, ks::ColorError::IndexedMismatch},
        {"ReservedScheme", {csReserved, 3, 8}, {csBGR, 3, 8}, ks::ColorError::NoConverter},
        {"GreyAlphaBelow8", {csGA, 2, 4}, {csG, 1, 4}, ks::ColorError::NoConverter},
        {"Grey16To4", {csG, 1, 16}, {csG, 1, 4}, ks::ColorError::NoConverter},
        {"Rgb4", {csRGB, 3, 4}, {csBGR, 3, 8}, ks::ColorError::NoConverter},
        // Depths no byte layout serves once put a division by zero or a split pixel in the loop.
        {"GreyDepth9", {csG, 1, 9}, {csG, 1, 8}, ks::ColorError::NoConverter},
        {"IndexDepth3", {csIndexed, 1, 3}, {csIndexed, 1, 8}, ks::ColorError::NoConverter},
        // A one-sample row stepped through as RGB would be read three times past its end.
        {"RgbWithOneSample", {csRGB, 1, 8}, {csBGR, 3, 8}, ks::ColorError::SampleCount},
        {"BgraTargetWithThree", {csRGBA, 4, 8}, {csBGRA, 3, 8}, ks::ColorError::SampleCount},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TColorManager m;
        Configure(m, c.source, c.target);
        EXPECT_EQ(ReasonOf(m, std::vector<uint8_t>(64), 4), static_cast<int>(c.reason));
        // A failed choice is not remembered as a success.
        EXPECT_EQ(ReasonOf(m, std::vector<uint8_t>(64), 4), static_cast<int>(c.reason));
    }
}

TEST(TColorManager, SettersRefuseOutOfRangeValuesAndKeepTheOld)
{
    TColorManager m;
    const auto message = [](auto set) -> std::string {
        try {
            set();
        } catch (const EColorConversionError& e) {
            return e.Message();
        }
        return "no exception";
    };
    EXPECT_EQ(message([&] { m.SetSourceBitsPerSample(17); }),
              "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.");
    EXPECT_THROW(m.SetTargetBitsPerSample(0), EColorConversionError);
    EXPECT_EQ(message([&] { m.SetTargetSamplesPerPixel(5); }),
              "Sample count per pixel does not correspond to the given color scheme.");
    EXPECT_EQ(m.SourceBitsPerSample(), 8);
    EXPECT_EQ(m.TargetSamplesPerPixel(), 3);
    EXPECT_EQ(Convert(m, {10, 20, 30}, 1, 3), (std::vector<uint8_t>{30, 20, 10}));
}

TEST(TColorManager, ChangedSettingsChooseAConverterAgain)
{
    TColorManager m;
    EXPECT_EQ(Convert(m, {10, 20, 30}, 1, 3), (std::vector<uint8_t>{30, 20, 10}));
    m.SetTargetColorScheme(csRGB);
    EXPECT_EQ(Convert(m, {10, 20, 30}, 1, 3), (std::vector<uint8_t>{10, 20, 30}));

    // Rewriting the option sets drops the alpha flag the choice made; the next row must not run
    // the old converter without it.
    Configure(m, {csRGBA, 4, 8}, {csBGRA, 4, 8});
    EXPECT_EQ(Convert(m, {1, 2, 3, 4}, 1, 4), (std::vector<uint8_t>{3, 2, 1, 4}));
    m.SetSourceOptions({});
    m.SetTargetOptions({});
    EXPECT_EQ(Convert(m, {1, 2, 3, 4}, 1, 4), (std::vector<uint8_t>{3, 2, 1, 4}));
}

// Whole rows of 8-bit colour take loops of their own: every pairing of three and four samples,
// both channel orders and gamma on and off must write what the rule for one pixel says, over
// rows long enough for the compiler to do several pixels at a time.
TEST(TColorManager, WholeByteRowsFollowThePixelRule)
{
    const TColorScheme schemes[] = {csRGB, csBGR, csRGBA, csBGRA};
    const auto samples = [](TColorScheme s) -> uint8_t { return s == csRGBA || s == csBGRA ? 4 : 3; };
    const auto redAt = [](TColorScheme s) { return s == csBGR || s == csBGRA ? 2u : 0u; };
    const unsigned count = 37;
    for (TColorScheme from : schemes)
        for (TColorScheme to : schemes)
            for (bool gamma : {false, true}) {
                SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to) + (gamma ? " gamma" : ""));
                TColorManager m;
                Configure(m, {from, samples(from), 8}, {to, samples(to), 8});
                m.SetGammaTable(1.7f, 2.2f);
                m.SetTargetOptions(gamma ? TConvertOptions{coApplyGamma} : TConvertOptions{});
                std::vector<uint8_t> in(count * samples(from));
                for (size_t i = 0; i < in.size(); ++i)
                    in[i] = static_cast<uint8_t>(i * 37 + 11);
                const auto map = [&](uint8_t v) { return gamma ? m.GammaTable()[v] : v; };
                std::vector<uint8_t> expected(count * samples(to), 0xEE);
                for (unsigned i = 0; i < count; ++i) {
                    const uint8_t* s = &in[i * samples(from)];
                    uint8_t* t = &expected[i * samples(to)];
                    t[redAt(to)] = map(s[redAt(from)]);
                    t[1] = map(s[1]);
                    t[2 - redAt(to)] = map(s[2 - redAt(from)]);
                    if (samples(from) == 4 && samples(to) == 4)
                        t[3] = s[3];
                }
                EXPECT_EQ(Convert(m, in, count, expected.size(), 0xFF, 0xEE), expected);
            }
}

} // namespace
