#include "skin/images/ColorManager.h"

#include "skin/pixels/PixelCore.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

constexpr const char* BitsPerSampleText = "Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.";
constexpr const char* SampleCountText = "Sample count per pixel does not correspond to the given color scheme.";
constexpr const char* IndexedMismatchText =
    "Conversion between indexed and non-indexed pixel formats is not supported.";
constexpr const char* NoConverterText = "Color conversion failed. Could not find a proper method.";

[[noreturn]] void Fail(ks::ColorError reason)
{
    const char* text = NoConverterText;
    switch (reason) {
    case ks::ColorError::BitsPerSample: text = BitsPerSampleText; break;
    case ks::ColorError::SampleCount: text = SampleCountText; break;
    case ks::ColorError::IndexedMismatch: text = IndexedMismatchText; break;
    case ks::ColorError::NoConverter: text = NoConverterText; break;
    }
    throw EColorConversionError(text, reason);
}

// A depth or sample count of 1 to highest; anything else raises reason.
uint8_t InRange(uint8_t value, uint8_t highest, ks::ColorError reason)
{
    if (value < 1 || value > highest)
        Fail(reason);
    return value;
}

constexpr std::array<uint8_t, 256> IdentityTable = [] {
    std::array<uint8_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i)
        t[i] = static_cast<uint8_t>(i);
    return t;
}();

// Samples each scheme carries per pixel; 0 for the codes no converter serves.
constexpr unsigned SchemeSamples(TColorScheme scheme) noexcept
{
    switch (scheme) {
    case csIndexed:
    case csG: return 1;
    case csGA: return 2;
    case csRGB:
    case csBGR:
    case csCIELab:
    case csYCbCr:
    case csPhotoYCC: return 3;
    case csRGBA:
    case csBGRA:
    case csCMYK: return 4;
    default: return 0;
    }
}

constexpr bool HasAlpha(TColorScheme scheme) noexcept
{
    return scheme == csGA || scheme == csRGBA || scheme == csBGRA;
}

constexpr bool IsServedDepth(unsigned bits) noexcept
{
    return bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16;
}

constexpr bool IsByteOrWord(unsigned bits) noexcept
{
    return bits == 8 || bits == 16;
}

constexpr bool IsColorTarget(TColorScheme scheme) noexcept
{
    return scheme >= csRGB && scheme <= csBGRA;
}

// Source schemes as a set: bit n for scheme n.
constexpr uint32_t SchemeBits(std::initializer_list<TColorScheme> schemes) noexcept
{
    uint32_t bits = 0;
    for (TColorScheme s : schemes)
        bits |= 1u << s;
    return bits;
}

constexpr uint32_t ColourSchemes =
    SchemeBits({csRGB, csRGBA, csBGR, csBGRA, csCMYK, csCIELab, csYCbCr, csPhotoYCC});

// The depth rules of the converter table (source depth sd, target depth td).
constexpr bool Served(unsigned sd, unsigned td) noexcept { return IsServedDepth(sd) && IsServedDepth(td); }
constexpr bool ServedWords(unsigned sd, unsigned td) noexcept { return Served(sd, td) && sd == 16 && td == 16; }
constexpr bool ServedFromWord(unsigned sd, unsigned td) noexcept { return Served(sd, td) && sd == 16; }
constexpr bool ServedToWord(unsigned sd, unsigned td) noexcept { return Served(sd, td) && td == 16; }
constexpr bool ServedPacked(unsigned sd, unsigned td) noexcept { return Served(sd, td) && sd != 16 && td != 16; }
constexpr bool BytesOrWords(unsigned sd, unsigned td) noexcept { return IsByteOrWord(sd) && IsByteOrWord(td); }

// Callers keep v * m / d within 16 bits; the product itself needs 32 (65535 * 65535).
constexpr uint16_t ScaleWord(uint32_t v, uint32_t m, uint32_t d) noexcept
{
    return static_cast<uint16_t>(v * m / d);
}

// 16-bit samples may sit at any byte offset of a row.
uint16_t LoadWord(const uint8_t* p) noexcept
{
    uint16_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

void StoreWord(uint8_t* p, uint16_t w) noexcept
{
    std::memcpy(p, &w, sizeof w);
}

constexpr uint16_t Swap16(uint16_t w) noexcept
{
    return static_cast<uint16_t>((w >> 8) | (w << 8));
}

// Calls write(i) for each pixel i of count that mask selects: of every group of eight, those whose
// bit is set, bit 7 standing for the first.
template <class Write>
void ForEachSelected(unsigned count, uint8_t mask, Write write)
{
    uint8_t selector = 0x80;
    for (unsigned i = 0; i < count; ++i, selector = std::rotr(selector, 1))
        if (mask & selector)
            write(i);
}

// Rows of samples of depth bits packed into bytes, the first in the highest bits, as palette and
// grey rows hold them. PackedSample reads the sample that starts at bit; StorePackedSample writes
// sample index and leaves its neighbours as they are.
unsigned PackedSample(const uint8_t* row, size_t bit, unsigned depth, unsigned max) noexcept
{
    return (row[bit >> 3] >> (8 - depth - (bit & 7))) & max;
}

void StorePackedSample(uint8_t* row, size_t index, unsigned depth, unsigned max, unsigned value) noexcept
{
    const size_t bit = index * depth;
    const unsigned shift = 8 - depth - (bit & 7);
    uint8_t& t = row[bit >> 3];
    t = static_cast<uint8_t>((t & ~(max << shift)) | (value << shift));
}

// Where the samples of one pixel lie: interleaved behind one pointer, or one pointer per
// sample. Sample i of the pixel at offset pos is base[i] + pos.
struct SampleLayout {
    const uint8_t* base[4]{};
    size_t step = 0;

    SampleLayout(std::span<const uint8_t* const> sources, unsigned samples, unsigned sampleBytes)
    {
        if (sources.empty() || (sources.size() > 1 && sources.size() < samples))
            Fail(ks::ColorError::NoConverter);
        const bool planar = sources.size() > 1;
        for (unsigned i = 0; i < samples; ++i)
            base[i] = planar ? sources[i] : sources[0] + i * sampleBytes;
        step = planar ? sampleBytes : samples * sampleBytes;
    }
};

// Offsets of red, green and blue within a pixel of the given order.
struct ChannelOrder {
    unsigned red, green, blue;
};

constexpr ChannelOrder OrderOf(TColorScheme scheme) noexcept
{
    return scheme == csBGR || scheme == csBGRA ? ChannelOrder{2, 1, 0} : ChannelOrder{0, 1, 2};
}

// 8-bit colour pixels of SourceStep bytes into TargetStep bytes through map, the three colours
// reversed when the two sides' orders differ. Alpha is copied only when both sides carry it; a
// target alpha without a source one is left as it was.
template <size_t SourceStep, size_t TargetStep, bool Reverse, class Map>
void CopyRGB8(const uint8_t* source, uint8_t* target, unsigned count, Map map) noexcept
{
    for (unsigned i = 0; i < count; ++i, source += SourceStep, target += TargetStep) {
        const uint8_t first = map(source[0]);
        const uint8_t second = map(source[1]);
        const uint8_t third = map(source[2]);
        target[0] = Reverse ? third : first;
        target[1] = second;
        target[2] = Reverse ? first : third;
        if constexpr (SourceStep == 4 && TargetStep == 4)
            target[3] = source[3];
    }
}

// RGBA to BGRA and back without gamma: the swap as word operations, which the compiler can
// do several pixels at a time.
void SwapRedBlue32(const uint8_t* source, uint8_t* target, unsigned count) noexcept
{
    for (unsigned i = 0; i < count; ++i, source += 4, target += 4) {
        uint32_t v;
        std::memcpy(&v, source, sizeof v);
        v = (v & 0xFF00FF00u) | ((v >> 16) & 0xFFu) | ((v & 0xFFu) << 16);
        std::memcpy(target, &v, sizeof v);
    }
}

template <size_t SourceStep, size_t TargetStep>
void CopyRGB8(const uint8_t* source, uint8_t* target, bool reverse, const uint8_t* table, unsigned count) noexcept
{
    const auto same = [](uint8_t v) { return v; };
    const auto mapped = [table](uint8_t v) { return table[v]; };
    const bool gamma = table != IdentityTable.data();
    if (SourceStep == 4 && TargetStep == 4 && reverse && !gamma)
        SwapRedBlue32(source, target, count);
    else if (reverse && gamma)
        CopyRGB8<SourceStep, TargetStep, true>(source, target, count, mapped);
    else if (reverse)
        CopyRGB8<SourceStep, TargetStep, true>(source, target, count, same);
    else if (gamma)
        CopyRGB8<SourceStep, TargetStep, false>(source, target, count, mapped);
    else
        CopyRGB8<SourceStep, TargetStep, false>(source, target, count, same);
}

} // namespace

TColorManager::TColorManager()
{
    SetGammaTable(FMainGamma, FDisplayGamma);
}

void TColorManager::SetSourceBitsPerSample(uint8_t value)
{
    Store(FSourceBitsPerSample, InRange(value, 16, ks::ColorError::BitsPerSample));
}

void TColorManager::SetTargetBitsPerSample(uint8_t value)
{
    Store(FTargetBitsPerSample, InRange(value, 16, ks::ColorError::BitsPerSample));
}

void TColorManager::SetSourceSamplesPerPixel(uint8_t value)
{
    Store(FSourceSamplesPerPixel, InRange(value, 4, ks::ColorError::SampleCount));
}

void TColorManager::SetTargetSamplesPerPixel(uint8_t value)
{
    Store(FTargetSamplesPerPixel, InRange(value, 4, ks::ColorError::SampleCount));
}

void TColorManager::SetSourceColorScheme(TColorScheme value)
{
    Store(FSourceScheme, value);
}

void TColorManager::SetTargetColorScheme(TColorScheme value)
{
    Store(FTargetScheme, value);
}

void TColorManager::SetSourceOptions(TConvertOptions value) noexcept
{
    Store(FSourceOptions, value);
}

void TColorManager::SetTargetOptions(TConvertOptions value) noexcept
{
    Store(FTargetOptions, value);
}

void TColorManager::SetGammaTable(float mainGamma, float displayGamma)
{
    FMainGamma = mainGamma > 0 ? mainGamma : 1.0f;
    FDisplayGamma = displayGamma > 0 ? displayGamma : 2.2f;
    const double g = 1.0 / (static_cast<double>(FMainGamma) * static_cast<double>(FDisplayGamma));
    const unsigned sourceMax = FSourceBitsPerSample >= 8 ? 255 : (1u << FSourceBitsPerSample) - 1;
    const unsigned targetMax = FTargetBitsPerSample >= 8 ? 255 : (1u << FTargetBitsPerSample) - 1;
    FGammaTable.fill(0);
    // nearbyint rounds halves to even in the default rounding mode.
    for (unsigned i = 0; i <= sourceMax; ++i)
        FGammaTable[i] = static_cast<uint8_t>(
            std::nearbyint(std::pow(static_cast<double>(i) / sourceMax, g) * targetMax));
}

TPixelFormat TColorManager::GetPixelFormat(ks::ColorSide side) const noexcept
{
    const bool source = side == ks::ColorSide::Source;
    const unsigned samples = source ? FSourceSamplesPerPixel : FTargetSamplesPerPixel;
    const unsigned bits = source ? FSourceBitsPerSample : FTargetBitsPerSample;
    switch (samples) {
    case 1:
        if (bits == 1)
            return pf1bit;
        if (bits >= 2 && bits <= 4)
            return pf4bit;
        if (bits >= 8)
            return pf8bit;
        return pfCustom;
    case 3: return bits <= 5 ? pf15bit : pf24bit;
    case 4: return bits >= 8 ? pf32bit : pfCustom;
    default: return pfCustom;
    }
}

void TColorManager::ConvertRow(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count, uint8_t mask)
{
    if (FChanged)
        ChooseRowConverter();
    if (!FRowConverter)
        Fail(ks::ColorError::NoConverter);
    (this->*FRowConverter)(sources, target, count, mask);
}

void TColorManager::ChooseRowConverter()
{
    FRowConverter = nullptr;
    const bool sourceIndexed = FSourceScheme == csIndexed || FSourceScheme == csG || FSourceScheme == csGA;
    const bool targetIndexed = FTargetScheme == csIndexed || FTargetScheme == csG;
    if (sourceIndexed != targetIndexed)
        Fail(ks::ColorError::IndexedMismatch);
    // Callers size their rows from the sample counts, the converters step by the scheme: the two
    // must agree or a converter would walk past a row.
    const unsigned sourceSamples = SchemeSamples(FSourceScheme);
    const unsigned targetSamples = SchemeSamples(FTargetScheme);
    if ((sourceSamples != 0 && sourceSamples != FSourceSamplesPerPixel) ||
        (targetSamples != 0 && targetSamples != FTargetSamplesPerPixel))
        Fail(ks::ColorError::SampleCount);

    HasAlpha(FSourceScheme) ? FSourceOptions.Include(coAlpha) : FSourceOptions.Exclude(coAlpha);
    HasAlpha(FTargetScheme) ? FTargetOptions.Include(coAlpha) : FTargetOptions.Exclude(coAlpha);

    // The converters by source scheme and depths: the first row that serves the settings wins,
    // and a new converter is a new row. Rows of colour schemes also need a colour target.
    struct Row {
        uint32_t schemes;
        bool (*serves)(unsigned sd, unsigned td);
        RowConverterFn converter;
    };
    static constexpr Row ConverterRows[] = {
        {SchemeBits({csIndexed}), ServedWords, &TColorManager::RowConvertIndexed16To16},
        {SchemeBits({csIndexed}), ServedFromWord, &TColorManager::RowConvertIndexed16ToPacked},
        {SchemeBits({csIndexed}), ServedToWord, &TColorManager::RowConvertPackedToIndexed16},
        {SchemeBits({csIndexed}), Served, &TColorManager::RowConvertPacked},
        {SchemeBits({csG}), ServedPacked, &TColorManager::RowConvertPacked},
        {SchemeBits({csG, csGA}), BytesOrWords, &TColorManager::RowConvertGray},
        {SchemeBits({csRGB, csRGBA, csBGR, csBGRA}), BytesOrWords, &TColorManager::RowConvertRGBFamily},
        {SchemeBits({csCMYK}), BytesOrWords, &TColorManager::RowConvertCMYK},
        {SchemeBits({csCIELab}), BytesOrWords, &TColorManager::RowConvertCIELab},
        {SchemeBits({csYCbCr, csPhotoYCC}), BytesOrWords, &TColorManager::RowConvertYCC},
    };
    const unsigned sd = FSourceBitsPerSample;
    const unsigned td = FTargetBitsPerSample;
    const uint32_t source = FSourceScheme < 32 ? 1u << FSourceScheme : 0;
    for (const Row& row : ConverterRows) {
        if (!(row.schemes & source) || !row.serves(sd, td))
            continue;
        if ((row.schemes & ColourSchemes) && !IsColorTarget(FTargetScheme))
            break;
        FRowConverter = row.converter;
        break;
    }
    if (FRowConverter == &TColorManager::RowConvertYCC)
        FSourceScheme == csYCbCr ? BuildYCbCrTables(128, 128) : BuildYCbCrTables(137, 156);
    FChanged = false;
}

void TColorManager::BuildYCbCrTables(int redOffset, int blueOffset)
{
    const double r = FYCbCrCoefficients[0];
    const double g = FYCbCrCoefficients[1];
    const double b = FYCbCrCoefficients[2];
    const double kR = 2 - 2 * r;
    const double kB = 2 - 2 * b;
    FCrToRed.assign(256, 0);
    FCbToBlue.assign(256, 0);
    FCrToGreen.assign(256, 0);
    FCbToGreen.assign(256, 0);
    for (int i = 0; i < 256; ++i) {
        const double dR = i - redOffset;
        const double dB = i - blueOffset;
        FCrToRed[i] = static_cast<int>(std::nearbyint(dR * kR));
        FCbToBlue[i] = static_cast<int>(std::nearbyint(dB * kB));
        FCrToGreen[i] = -static_cast<int>(std::nearbyint(dR * r * kR / g));
        FCbToGreen[i] = -static_cast<int>(std::nearbyint(dB * b * kB / g));
    }
}

void TColorManager::RowConvertPacked(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count,
                                     uint8_t mask)
{
    const unsigned sd = FSourceBitsPerSample;
    const unsigned td = FTargetBitsPerSample;
    const uint8_t* source = SampleLayout(sources, 1, 1).base[0];
    if (sd == td && mask == 0xFF) {
        std::memcpy(target, source, (static_cast<size_t>(sd) * count + 7) / 8);
        return;
    }
    const unsigned sourceMax = (1u << sd) - 1;
    const unsigned targetMax = (1u << td) - 1;
    const bool rescale = FSourceScheme == csG;
    size_t sourceBit = 0;
    ForEachSelected(count, mask, [&](unsigned i) {
        unsigned v = PackedSample(source, sourceBit, sd, sourceMax);
        sourceBit += sd;
        v = rescale ? v * targetMax / sourceMax : v & targetMax;
        StorePackedSample(target, i, td, targetMax, v);
    });
}

void TColorManager::RowConvertIndexed16To16(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count,
                                            uint8_t mask)
{
    const uint8_t* source = SampleLayout(sources, 1, 2).base[0];
    const bool swap = FSourceOptions.Contains(coNeedByteSwap);
    if (mask == 0xFF && !swap) {
        std::memcpy(target, source, static_cast<size_t>(count) * 2);
        return;
    }
    ForEachSelected(count, mask, [&](unsigned i) {
        const uint16_t w = LoadWord(source);
        source += 2;
        StoreWord(target + 2 * static_cast<size_t>(i), swap ? Swap16(w) : w);
    });
}

void TColorManager::RowConvertIndexed16ToPacked(std::span<const uint8_t* const> sources, uint8_t* target,
                                                unsigned count, uint8_t mask)
{
    const uint8_t* source = SampleLayout(sources, 1, 2).base[0];
    const bool swap = FSourceOptions.Contains(coNeedByteSwap);
    const unsigned td = FTargetBitsPerSample;
    const unsigned targetMax = (1u << td) - 1;
    ForEachSelected(count, mask, [&](unsigned i) {
        uint16_t w = LoadWord(source);
        source += 2;
        StorePackedSample(target, i, td, targetMax, ScaleWord(swap ? Swap16(w) : w, targetMax, 65535));
    });
}

void TColorManager::RowConvertPackedToIndexed16(std::span<const uint8_t* const> sources, uint8_t* target,
                                                unsigned count, uint8_t mask)
{
    const uint8_t* source = SampleLayout(sources, 1, 1).base[0];
    const bool swap = FSourceOptions.Contains(coNeedByteSwap);
    const unsigned sd = FSourceBitsPerSample;
    const unsigned sourceMax = (1u << sd) - 1;
    size_t sourceBit = 0;
    ForEachSelected(count, mask, [&](unsigned i) {
        const uint16_t w = ScaleWord(PackedSample(source, sourceBit, sd, sourceMax), 65535, sourceMax);
        sourceBit += sd;
        StoreWord(target + 2 * static_cast<size_t>(i), swap ? Swap16(w) : w);
    });
}

void TColorManager::RowConvertGray(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count,
                                   uint8_t mask)
{
    const unsigned sd = FSourceBitsPerSample;
    const unsigned td = FTargetBitsPerSample;
    const unsigned samples = FSourceOptions.Contains(coAlpha) ? 2 : 1;
    const SampleLayout layout(sources, samples, sd / 8);
    const bool swap = FSourceOptions.Contains(coNeedByteSwap);
    size_t pos = 0;
    ForEachSelected(count, mask, [&](unsigned i) {
        const uint8_t* s = layout.base[0] + pos;
        pos += layout.step;
        if (sd == 8 && td == 8) {
            target[i] = *s;
        } else if (sd == 16 && td == 8) {
            const uint16_t w = LoadWord(s);
            target[i] = static_cast<uint8_t>(ScaleWord(swap ? Swap16(w) : w, 255, 65535));
        } else if (sd == 8) {
            StoreWord(target + 2 * static_cast<size_t>(i), ScaleWord(*s, 65535, 255));
        } else {
            const uint16_t w = LoadWord(s);
            StoreWord(target + 2 * static_cast<size_t>(i), swap ? Swap16(w) : w);
        }
    });
}

void TColorManager::RowConvertRGBFamily(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count,
                                        uint8_t mask)
{
    const unsigned sd = FSourceBitsPerSample;
    const unsigned td = FTargetBitsPerSample;
    const bool sourceAlpha = FSourceOptions.Contains(coAlpha);
    const bool targetAlpha = FTargetOptions.Contains(coAlpha);
    const bool copyAlpha = sourceAlpha && targetAlpha;
    const SampleLayout layout(sources, sourceAlpha ? 4 : 3, sd / 8);
    const ChannelOrder in = OrderOf(FSourceScheme);
    const ChannelOrder out = OrderOf(FTargetScheme);
    const uint8_t* red = layout.base[in.red];
    const uint8_t* green = layout.base[in.green];
    const uint8_t* blue = layout.base[in.blue];
    const uint8_t* alpha = layout.base[3];
    const uint8_t* f = FTargetOptions.Contains(coApplyGamma) ? FGammaTable.data() : IdentityTable.data();
    const bool swap = FSourceOptions.Contains(coNeedByteSwap);
    const size_t targetStep = (targetAlpha ? 4 : 3) * (td / 8);
    const auto reduce = [swap](const uint8_t* p) {
        const uint16_t w = LoadWord(p);
        return static_cast<uint8_t>(ScaleWord(swap ? Swap16(w) : w, 255, 65535));
    };
    const auto widen = [swap](unsigned byte) {
        const uint16_t w = ScaleWord(byte, 65535, 255);
        return swap ? Swap16(w) : w;
    };
    const auto word = [swap](const uint8_t* p) {
        const uint16_t w = LoadWord(p);
        return swap ? Swap16(w) : w;
    };

    // Whole rows of interleaved bytes are what nearly every image is made of: they get loops
    // with the strides fixed, free of the per-pixel tests below.
    if (sd == 8 && td == 8 && mask == 0xFF && sources.size() == 1) {
        const bool reverse = in.red != out.red;
        if (layout.step == 4 && targetStep == 4)
            return CopyRGB8<4, 4>(sources[0], target, reverse, f, count);
        if (layout.step == 3 && targetStep == 3)
            return CopyRGB8<3, 3>(sources[0], target, reverse, f, count);
        if (layout.step == 4)
            return CopyRGB8<4, 3>(sources[0], target, reverse, f, count);
        return CopyRGB8<3, 4>(sources[0], target, reverse, f, count);
    }

    size_t pos = 0;
    ForEachSelected(count, mask, [&](unsigned i) {
        uint8_t* t = target + i * targetStep;
        if (sd == 8 && td == 8) {
            t[out.red] = f[red[pos]];
            t[out.green] = f[green[pos]];
            t[out.blue] = f[blue[pos]];
            if (copyAlpha)
                t[3] = alpha[pos];
        } else if (sd == 16 && td == 8) {
            t[out.red] = f[reduce(red + pos)];
            t[out.green] = f[reduce(green + pos)];
            t[out.blue] = f[reduce(blue + pos)];
            if (copyAlpha)
                t[3] = reduce(alpha + pos);
        } else if (sd == 8) {
            StoreWord(t + 2 * out.red, widen(f[red[pos]]));
            StoreWord(t + 2 * out.green, widen(f[green[pos]]));
            StoreWord(t + 2 * out.blue, widen(f[blue[pos]]));
            if (copyAlpha)
                StoreWord(t + 6, widen(alpha[pos]));
        } else {
            StoreWord(t + 2 * out.red, word(red + pos));
            StoreWord(t + 2 * out.green, word(green + pos));
            StoreWord(t + 2 * out.blue, word(blue + pos));
            if (copyAlpha)
                StoreWord(t + 6, word(alpha + pos));
        }
        pos += layout.step;
    });
}

// The converters of colour models other than RGB: toRGB turns the pixel's 8-bit samples into
// red, green and blue, which are then written like an 8-bit RGB source without alpha.
template <class ToRGB>
void TColorManager::ConvertToColor(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count,
                                   uint8_t mask, ToRGB toRGB)
{
    const unsigned sd = FSourceBitsPerSample;
    const unsigned td = FTargetBitsPerSample;
    const unsigned samples = SchemeSamples(FSourceScheme);
    const SampleLayout layout(sources, samples, sd / 8);
    const ChannelOrder out = OrderOf(FTargetScheme);
    const uint8_t* f = FTargetOptions.Contains(coApplyGamma) ? FGammaTable.data() : IdentityTable.data();
    const bool swap = FSourceOptions.Contains(coNeedByteSwap);
    const size_t targetStep = (FTargetOptions.Contains(coAlpha) ? 4 : 3) * (td / 8);

    size_t pos = 0;
    ForEachSelected(count, mask, [&](unsigned i) {
        uint8_t* t = target + i * targetStep;
        uint8_t in[4]{};
        for (unsigned s = 0; s < samples; ++s) {
            const uint8_t* p = layout.base[s] + pos;
            if (sd == 8) {
                in[s] = *p;
            } else {
                const uint16_t w = LoadWord(p);
                in[s] = static_cast<uint8_t>(ScaleWord(swap ? Swap16(w) : w, 255, 65535));
            }
        }
        pos += layout.step;
        uint8_t rgb[3];
        toRGB(in, rgb);
        const unsigned offsets[3] = {out.red, out.green, out.blue};
        for (unsigned c = 0; c < 3; ++c) {
            if (td == 8) {
                t[offsets[c]] = f[rgb[c]];
            } else {
                const uint16_t w = ScaleWord(f[rgb[c]], 65535, 255);
                StoreWord(t + 2 * offsets[c], swap ? Swap16(w) : w);
            }
        }
    });
}

void TColorManager::RowConvertCMYK(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count,
                                   uint8_t mask)
{
    ConvertToColor(sources, target, count, mask, [](const uint8_t* cmyk, uint8_t* rgb) {
        const int k = cmyk[3];
        for (int c = 0; c < 3; ++c)
            rgb[c] = ClampByte(255 - (cmyk[c] - cmyk[c] * k / 255 + k));
    });
}

void TColorManager::RowConvertCIELab(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count,
                                     uint8_t mask)
{
    const bool lightnessScaled = FSourceOptions.Contains(coLabByteRange);
    const bool chromaOffset = FSourceOptions.Contains(coLabChromaOffset);
    ConvertToColor(sources, target, count, mask, [=](const uint8_t* lab, uint8_t* rgb) {
        const double l = lightnessScaled ? lab[0] / 2.55 : lab[0];
        const double a = chromaOffset ? lab[1] - 128.0 : static_cast<int8_t>(lab[1]);
        const double b = chromaOffset ? lab[2] - 128.0 : static_cast<int8_t>(lab[2]);
        // CIE L*a*b* to XYZ (D65 white), then XYZ to linear RGB.
        const double fy = (l + 16) / 116;
        const double fx = fy + a / 500;
        const double fz = fy - b / 200;
        const auto inverse = [](double f) { return f * f * f > 0.008856 ? f * f * f : (116 * f - 16) / 903.3; };
        const double y = l > 7.9996 ? fy * fy * fy : l / 903.3;
        const double x = 0.9505 * inverse(fx);
        const double z = 1.0890 * inverse(fz);
        const double linear[3] = {
            3.2406 * x - 1.5372 * y - 0.4986 * z,
            -0.9689 * x + 1.8758 * y + 0.0415 * z,
            0.0557 * x - 0.2040 * y + 1.0570 * z,
        };
        for (int c = 0; c < 3; ++c)
            rgb[c] = ClampByte(static_cast<int>(std::nearbyint(std::clamp(linear[c], -1.0, 2.0) * 255)));
    });
}

void TColorManager::RowConvertYCC(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count,
                                  uint8_t mask)
{
    ConvertToColor(sources, target, count, mask, [this](const uint8_t* ycc, uint8_t* rgb) {
        const int y = ycc[0];
        const uint8_t cb = ycc[1];
        const uint8_t cr = ycc[2];
        rgb[0] = ClampByte(y + FCrToRed[cr]);
        rgb[1] = ClampByte(y + FCbToGreen[cb] + FCrToGreen[cr]);
        rgb[2] = ClampByte(y + FCbToBlue[cb]);
    });
}

std::vector<ks::PaletteEntry> TColorManager::BuildGrayPalette(bool whiteFirst) const
{
    const unsigned bits = std::min(static_cast<unsigned>(FTargetBitsPerSample) * FTargetSamplesPerPixel, 8u);
    const unsigned n = 1u << bits;
    const unsigned step = 255 / (n - 1);
    const bool gamma = FTargetOptions.Contains(coApplyGamma);
    std::vector<ks::PaletteEntry> palette(n);
    for (unsigned i = 0; i < n; ++i) {
        const uint8_t value = gamma ? FGammaTable[i * step] : static_cast<uint8_t>(i * step);
        palette[whiteFirst ? n - 1 - i : i] = {value, value, value};
    }
    return palette;
}

std::vector<ks::PaletteEntry> TColorManager::BuildColorPalette(std::span<const uint8_t* const> data, int format,
                                                               unsigned count, bool blueFirst) const
{
    const unsigned n = std::min(count, 256u);
    std::vector<ks::PaletteEntry> palette(n);
    const bool wide = format >= 4 && format <= 7;
    const bool planar = format == 2 || format == 3 || format == 6 || format == 7;
    if (format < 0 || format > 7 || data.empty() || (planar && data.size() < 3))
        return palette;
    const uint8_t* f = FTargetOptions.Contains(coApplyGamma) ? FGammaTable.data() : IdentityTable.data();
    const bool swap = FSourceOptions.Contains(coNeedByteSwap);
    const unsigned sampleBytes = wide ? 2 : 1;
    const unsigned entryBytes = (format == 1 || format == 5 ? 4 : 3) * sampleBytes;
    const auto sample = [&](unsigned entry, unsigned s) -> uint8_t {
        const uint8_t* p = planar ? data[s] + entry * sampleBytes : data[0] + entry * entryBytes + s * sampleBytes;
        if (!wide)
            return f[*p];
        const uint16_t w = LoadWord(p);
        return f[ScaleWord(swap ? Swap16(w) : w, 255, 65535)];
    };
    const bool reversed = blueFirst && !planar;
    for (unsigned i = 0; i < n; ++i) {
        const uint8_t first = sample(i, 0);
        const uint8_t second = sample(i, 1);
        const uint8_t third = sample(i, 2);
        palette[i] = reversed ? ks::PaletteEntry{third, second, first} : ks::PaletteEntry{first, second, third};
    }
    return palette;
}
