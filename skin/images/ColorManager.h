#pragma once
// TColorManager: converts rows of pixel samples from a source layout (colour scheme, samples per
// pixel, bits per sample, byte order) into a target layout, applies gamma, and builds the
// palettes of palette bitmaps. Every PNG picture owns one; the PNG decoder configures it per
// image and hands it each decoded row.
//
// Served conversions (anything else finds no converter):
// - indexed and grey rows of 1, 2, 4 and 8 bits into 1, 2, 4 or 8 bits (grey rescaled, indexes
//   kept), indexed rows to and from 16 bits, grey of 8 or 16 bits with or without alpha;
// - RGB(A) and BGR(A) of 8 or 16 bits into RGB(A) or BGR(A) of 8 or 16 bits;
// - CMYK, CIE L*a*b*, YCbCr and PhotoYCC of 8 bits (16-bit samples are first reduced to 8 bits
//   as the RGB path does) into RGB(A) or BGR(A).
// A converter needs each side's samples per pixel to match its scheme and depths of 1, 2, 4, 8
// or 16 bits: other depths would put pixels across byte borders, or none into a byte.
// 16-bit samples are host-order words unless the source carries coNeedByteSwap.

#include "vcl/Classes.h"
#include "vcl/GraphicsTypes.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

enum TColorScheme : uint8_t {
    csNone = 0,
    csIndexed = 1,
    csG = 2,
    csGA = 3,
    csRGB = 4,
    csRGBA = 5,
    csBGR = 6,
    csBGRA = 7,
    csReserved = 8, // a code stored images may carry; no converter serves it
    csCMYK = 9,
    csCIELab = 10,
    csYCbCr = 11,
    csPhotoYCC = 12,
};

enum TConvertOption : uint8_t {
    coAlpha,           // the scheme carries an alpha sample; set when a converter is chosen
    coApplyGamma,      // target side: map colour samples through the gamma table
    coNeedByteSwap,    // source side: 16-bit samples are big-endian
    coLabByteRange,    // source side: L* is stored 0..255 for 0..100 (else 0..100 as it is)
    coLabChromaOffset, // source side: a* and b* are stored with 128 added (else as signed bytes)
};

class TConvertOptions {
public:
    constexpr TConvertOptions() noexcept = default;
    constexpr TConvertOptions(std::initializer_list<TConvertOption> options) noexcept
    {
        for (TConvertOption o : options)
            Include(o);
    }
    constexpr bool Contains(TConvertOption o) const noexcept { return (FBits >> o) & 1u; }
    constexpr void Include(TConvertOption o) noexcept { FBits = static_cast<uint8_t>(FBits | (1u << o)); }
    constexpr void Exclude(TConvertOption o) noexcept { FBits = static_cast<uint8_t>(FBits & ~(1u << o)); }
    friend constexpr bool operator==(TConvertOptions, TConvertOptions) = default;

private:
    uint8_t FBits = 0;
};

namespace ks {

enum class ColorError {
    BitsPerSample = 1, // a depth outside 1..16
    SampleCount,       // samples per pixel outside 1..4, or not those of the scheme
    IndexedMismatch,   // indexed or grey on one side only
    NoConverter,       // no converter serves the settings
};

enum class ColorSide { Source, Target };

// One logical palette entry, in the order a Windows LOGPALETTE stores it.
struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend constexpr bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

} // namespace ks

class TColorManager : public TObject {
public:
    // The six sample settings give the same results as a fresh manager: RGB 8-bit into BGR 8-bit,
    // gamma table built for (1.0, 2.2) but not applied.
    TColorManager();
    const char* ClassName() const noexcept override { return "TColorManager"; }

    // Setters mark the converter for a new choice only when the value changes. They raise
    // EColorConversionError for depths outside 1..16 and sample counts outside 1..4, leaving the
    // old value.
    uint8_t SourceBitsPerSample() const noexcept { return FSourceBitsPerSample; }
    void SetSourceBitsPerSample(uint8_t value);
    uint8_t TargetBitsPerSample() const noexcept { return FTargetBitsPerSample; }
    void SetTargetBitsPerSample(uint8_t value);
    uint8_t SourceSamplesPerPixel() const noexcept { return FSourceSamplesPerPixel; }
    void SetSourceSamplesPerPixel(uint8_t value);
    uint8_t TargetSamplesPerPixel() const noexcept { return FTargetSamplesPerPixel; }
    void SetTargetSamplesPerPixel(uint8_t value);
    TColorScheme SourceColorScheme() const noexcept { return FSourceScheme; }
    void SetSourceColorScheme(TColorScheme value);
    TColorScheme TargetColorScheme() const noexcept { return FTargetScheme; }
    void SetTargetColorScheme(TColorScheme value);

    // coAlpha belongs to the converter choice: a write that changes a set (and so may clear it)
    // makes the next row choose again, as the other setters do.
    TConvertOptions SourceOptions() const noexcept { return FSourceOptions; }
    void SetSourceOptions(TConvertOptions value) noexcept;
    TConvertOptions TargetOptions() const noexcept { return FTargetOptions; }
    void SetTargetOptions(TConvertOptions value) noexcept;

    float MainGamma() const noexcept { return FMainGamma; }
    float DisplayGamma() const noexcept { return FDisplayGamma; }
    const std::array<uint8_t, 256>& GammaTable() const noexcept { return FGammaTable; }
    // A value not above 0 means 1.0 (main) or 2.2 (display). The table maps source values to
    // target values with the depths in force now.
    void SetGammaTable(float mainGamma, float displayGamma);

    TPixelFormat GetPixelFormat(ks::ColorSide side) const noexcept;

    // Converts count target pixels. One source pointer means interleaved samples; several mean
    // planar, pointer i holding sample i. Of every group of eight target pixels only those whose
    // bit is set in mask (bit 7 = first) are written, and only they consume source samples.
    // The caller provides the bytes both layouts need for those pixels.
    // Raises EColorConversionError when no converter serves the settings.
    void ConvertRow(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count, uint8_t mask);

    // format: 0 interleaved 8-bit triples, 1 quadruples (fourth byte skipped), 2 and 3 planar
    // 8-bit (data[0..2] red, green, blue), 4 to 7 the same with 16-bit samples; any other format
    // gives black entries. Up to 256 entries.
    std::vector<ks::PaletteEntry> BuildColorPalette(std::span<const uint8_t* const> data, int format,
                                                    unsigned count, bool blueFirst) const;
    std::vector<ks::PaletteEntry> BuildGrayPalette(bool whiteFirst) const;

private:
    using RowConverterFn = void (TColorManager::*)(std::span<const uint8_t* const>, uint8_t*, unsigned, uint8_t);

    void ChooseRowConverter();
    void BuildYCbCrTables(int redOffset, int blueOffset);
    // Writes a setting; a new value makes the next row choose its converter again.
    template <class T>
    void Store(T& setting, T value) noexcept
    {
        FChanged = FChanged || !(value == setting);
        setting = value;
    }

    void RowConvertPacked(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count, uint8_t mask);
    void RowConvertIndexed16To16(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count, uint8_t mask);
    void RowConvertIndexed16ToPacked(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count, uint8_t mask);
    void RowConvertPackedToIndexed16(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count, uint8_t mask);
    void RowConvertGray(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count, uint8_t mask);
    void RowConvertRGBFamily(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count, uint8_t mask);
    void RowConvertCMYK(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count, uint8_t mask);
    void RowConvertCIELab(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count, uint8_t mask);
    void RowConvertYCC(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count, uint8_t mask);
    template <class ToRGB>
    void ConvertToColor(std::span<const uint8_t* const> sources, uint8_t* target, unsigned count, uint8_t mask,
                        ToRGB toRGB);

    bool FChanged = true;
    uint8_t FSourceBitsPerSample = 8;
    uint8_t FTargetBitsPerSample = 8;
    uint8_t FSourceSamplesPerPixel = 3;
    uint8_t FTargetSamplesPerPixel = 3;
    float FMainGamma = 1.0f;
    float FDisplayGamma = 2.2f;
    std::array<uint8_t, 256> FGammaTable{};
    std::array<float, 3> FYCbCrCoefficients{0.299f, 0.587f, 0.114f};
    std::vector<int> FCrToRed;
    std::vector<int> FCbToBlue;
    std::vector<int> FCrToGreen;
    std::vector<int> FCbToGreen;
    TColorScheme FSourceScheme = csRGB;
    TColorScheme FTargetScheme = csBGR;
    RowConverterFn FRowConverter = nullptr;
    TConvertOptions FSourceOptions;
    TConvertOptions FTargetOptions;
};
