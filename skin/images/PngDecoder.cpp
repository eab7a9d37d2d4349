#include "skin/images/PngDecoder.h"

#include "vcl/ByteReader.h"
#include "vcl/SysUtils.h"

#include <zlib.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>

namespace ks {

namespace {

constexpr const char* InvalidFormatText = "Cannot load image. Invalid or unexpected %s image format.";
constexpr const char* NotSupportedText = "Cannot load image. %s not supported for %s files.";
constexpr const char* CompressionSchemeText = "The compression scheme is";
constexpr const char* CrcText = "Cannot load image. CRC error found in %s file.";
constexpr const char* PaletteText = "Cannot load image. Palette in %s file is invalid.";
constexpr const char* CriticalChunkText = "Cannot load PNG image. Unexpected but critical chunk detected.";
constexpr const char* ColorFormatText = "Invalid color format in %s file.";
constexpr const char* ExtraDataText = "Cannot load image. Extra compressed data found in %s file.";
constexpr const char* InflateText = "Cannot load image. Compression error found in %s file.";
constexpr const char* InflateSetupText = "LZ77 decompression error.";
constexpr const char* ReadErrorText = "Stream read error";
constexpr const char* PreparingText = "Preparing...";
constexpr const char* TransferingText = "Transfering...";
constexpr const char* PngFormatName = "PNG";

constexpr std::array<uint8_t, 8> PngSignature{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint32_t MaxChunkLength = 0x7FFFFFFF;
constexpr uint32_t MaxDimension = 0x7FFFFFFF;
constexpr uint64_t InflateBlock = 64 * 1024;

[[noreturn]] void Fail(PngError reason)
{
    switch (reason) {
    case PngError::Compression: throw EInvalidGraphic(Format(NotSupportedText, {CompressionSchemeText, PngFormatName}), reason);
    case PngError::ColorFormat: throw EInvalidGraphic(Format(ColorFormatText, {PngFormatName}), reason);
    case PngError::Crc: throw EInvalidGraphic(Format(CrcText, {PngFormatName}), reason);
    case PngError::PaletteLength: throw EInvalidGraphic(Format(PaletteText, {PngFormatName}), reason);
    case PngError::CriticalChunk: throw EInvalidGraphic(CriticalChunkText, reason);
    case PngError::ExtraData: throw EInvalidGraphic(Format(ExtraDataText, {PngFormatName}), reason);
    case PngError::Inflate: throw EInvalidGraphic(Format(InflateText, {PngFormatName}), reason);
    case PngError::InflateSetup: throw EGraphicCompression(InflateSetupText, reason);
    case PngError::ChunkBeyondStream:
    case PngError::ShortRead: throw EReadError(ReadErrorText, reason);
    default: throw EInvalidGraphic(Format(InvalidFormatText, {PngFormatName}), reason);
    }
}

[[noreturn]] void OnShortRead()
{
    Fail(PngError::ShortRead);
}

constexpr uint32_t ChunkCode(const char (&code)[5]) noexcept
{
    return (static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) | static_cast<uint8_t>(code[3]);
}

constexpr uint32_t ChunkIHDR = ChunkCode("IHDR");
constexpr uint32_t ChunkPLTE = ChunkCode("PLTE");
constexpr uint32_t ChunkIDAT = ChunkCode("IDAT");
constexpr uint32_t ChunkIEND = ChunkCode("IEND");
constexpr uint32_t ChunkgAMA = ChunkCode("gAMA");
constexpr uint32_t ChunkbKGD = ChunkCode("bKGD");
constexpr uint32_t ChunktRNS = ChunkCode("tRNS");

struct Adam7Pass {
    unsigned firstRow, firstColumn, rowStep, columnStep;
    uint8_t mask;
};

constexpr std::array<Adam7Pass, 7> Adam7Passes{{
    {0, 0, 8, 8, 0x80},
    {0, 4, 8, 8, 0x08},
    {4, 0, 8, 4, 0x88},
    {0, 2, 4, 4, 0x22},
    {2, 0, 4, 2, 0xAA},
    {0, 1, 2, 2, 0x55},
    {1, 0, 2, 1, 0xFF},
}};

constexpr TColor MakeColor(uint8_t red, uint8_t green, uint8_t blue) noexcept
{
    return static_cast<TColor>(red | (green << 8) | (blue << 16));
}

constexpr TColor ToColor(const PaletteEntry& e) noexcept
{
    return MakeColor(e.red, e.green, e.blue);
}

size_t DibStride(uint32_t width, int bpp) noexcept
{
    return ((static_cast<size_t>(width) * static_cast<size_t>(bpp) + 31) / 32) * 4;
}

// "Round to nearest" of the progress percentage, ties to even, in integers.
int RoundedPercent(uint64_t row, uint64_t height) noexcept
{
    const uint64_t scaled = row * 100;
    uint64_t q = scaled / height;
    const uint64_t r2 = (scaled % height) * 2;
    if (r2 > height || (r2 == height && (q & 1)))
        ++q;
    return static_cast<int>(q);
}

// The Paeth choice without branches: the same predictor, in a form the compiler turns into
// selects, which matters because the choice is unpredictable on photographs.
inline uint8_t Paeth(int a, int b, int c) noexcept
{
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    const int bc = pb <= pc ? b : c;
    return static_cast<uint8_t>(pa <= pb && pa <= pc ? a : bc);
}

void UnfilterAny(uint8_t filterType, uint8_t* line, const uint8_t* previous, unsigned bpp, size_t count) noexcept
{
    const size_t lead = std::min<size_t>(bpp, count);
    switch (filterType) {
    case 1:
        for (size_t i = lead; i < count; ++i)
            line[i] = static_cast<uint8_t>(line[i] + line[i - bpp]);
        break;
    case 2:
        for (size_t i = 0; i < count; ++i)
            line[i] = static_cast<uint8_t>(line[i] + previous[i]);
        break;
    case 3:
        for (size_t i = 0; i < lead; ++i)
            line[i] = static_cast<uint8_t>(line[i] + previous[i] / 2);
        for (size_t i = lead; i < count; ++i)
            line[i] = static_cast<uint8_t>(line[i] + (line[i - bpp] + previous[i]) / 2);
        break;
    case 4:
        for (size_t i = 0; i < lead; ++i)
            line[i] = static_cast<uint8_t>(line[i] + previous[i]);
        for (size_t i = lead; i < count; ++i)
            line[i] = static_cast<uint8_t>(line[i] + Paeth(line[i - bpp], previous[i], previous[i - bpp]));
        break;
    default: break; // None, and the undefined types 5 to 255, which stored files carry unchanged
    }
}

// The filters of Bpp-byte pixels, with the samples to the left held in registers: each sample
// of a pixel is its own chain of dependent steps, so the samples of one pixel proceed side by
// side. The first pixel needs no case of its own: with zero to its left, Sub adds nothing,
// Average halves the byte above and Paeth picks it.
template <unsigned Bpp, class Predict>
void UnfilterSamples(uint8_t* line, const uint8_t* previous, size_t count, Predict predict) noexcept
{
    uint8_t left[Bpp]{};
    uint8_t upLeft[Bpp]{};
    for (size_t i = 0; i < count; i += Bpp)
        for (unsigned k = 0; k < Bpp; ++k) {
            const uint8_t up = previous[i + k];
            line[i + k] = left[k] = static_cast<uint8_t>(line[i + k] + predict(left[k], up, upLeft[k]));
            upLeft[k] = up;
        }
}

#ifdef __SSE2__
// The filters of three- and four-byte pixels with the samples of a pixel in the lanes of one
// register, as 16-bit values: the pixel to the left is the only chain from one step to the
// next, and one step does the work of three or four of the byte loop. A three-byte pixel is read
// as four bytes, whose fourth lane is never written back: a four-byte store would overlap the
// next pixel's load, which then waits for the store to reach the cache. Only the row's last
// pixel, whose fourth byte is past the row, is read as three.
template <unsigned Bpp, class Predict>
void UnfilterPixels(uint8_t* line, const uint8_t* previous, size_t count, Predict predict) noexcept
{
    static_assert(Bpp == 3 || Bpp == 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_set1_epi16(0xFF);
    __m128i a = zero, c = zero;
    const auto step = [&](uint8_t* x, const uint8_t* up, auto loaded) {
        constexpr size_t n = decltype(loaded)::value;
        int32_t above = 0, filtered = 0;
        std::memcpy(&above, up, n);
        std::memcpy(&filtered, x, n);
        const __m128i b = _mm_unpacklo_epi8(_mm_cvtsi32_si128(above), zero);
        a = _mm_and_si128(_mm_add_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(filtered), zero), predict(a, b, c)), low);
        const int32_t out = _mm_cvtsi128_si32(_mm_packus_epi16(a, a));
        std::memcpy(x, &out, Bpp);
        c = b;
    };
    size_t i = 0;
    for (; i + 4 <= count; i += Bpp)
        step(line + i, previous + i, std::integral_constant<size_t, 4>{});
    if (i < count)
        step(line + i, previous + i, std::integral_constant<size_t, Bpp>{});
}

// The predictors are objects, not functions: a function's address passed on is called at every
// pixel wherever the compiler does not see through it.
constexpr auto Average4 = [](__m128i a, __m128i b, __m128i) { return _mm_srli_epi16(_mm_add_epi16(a, b), 1); };

// Ties go as in Paeth: left, then up, then up-left.
constexpr auto Paeth4 = [](__m128i a, __m128i b, __m128i c) {
    const __m128i zero = _mm_setzero_si128();
    const auto magnitude = [zero](__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(zero, v)); };
    const auto choose = [](__m128i pick, __m128i yes, __m128i no) {
        return _mm_or_si128(_mm_and_si128(pick, yes), _mm_andnot_si128(pick, no));
    };
    const __m128i up = _mm_sub_epi16(b, c);
    const __m128i left = _mm_sub_epi16(a, c);
    const __m128i pa = magnitude(up);
    const __m128i pb = magnitude(left);
    const __m128i pc = magnitude(_mm_add_epi16(up, left));
    const __m128i least = _mm_min_epi16(pa, _mm_min_epi16(pb, pc));
    return choose(_mm_cmpeq_epi16(least, pa), a, choose(_mm_cmpeq_epi16(least, pb), b, c));
};
#endif

template <unsigned Bpp>
void UnfilterFixed(uint8_t filterType, uint8_t* line, const uint8_t* previous, size_t count) noexcept
{
#ifdef __SSE2__
    if constexpr (Bpp == 3 || Bpp == 4)
        switch (count % Bpp != 0 ? 0 : filterType) {
        case 3: return UnfilterPixels<Bpp>(line, previous, count, Average4);
        case 4: return UnfilterPixels<Bpp>(line, previous, count, Paeth4);
        default: break;
        }
#endif
    switch (count % Bpp != 0 ? 0 : filterType) {
    case 1:
        return UnfilterSamples<Bpp>(line, previous, count, [](uint8_t a, uint8_t, uint8_t) { return a; });
    case 3:
        return UnfilterSamples<Bpp>(line, previous, count,
                                    [](uint8_t a, uint8_t b, uint8_t) { return static_cast<uint8_t>((a + b) / 2); });
    case 4:
        return UnfilterSamples<Bpp>(line, previous, count,
                                    [](uint8_t a, uint8_t b, uint8_t c) { return Paeth(a, b, c); });
    default: return UnfilterAny(filterType, line, previous, Bpp, count);
    }
}

// The zlib stream of one load. Ends itself when a load is abandoned by an exception.
class TLZ77Decoder {
public:
    explicit TLZ77Decoder(int flushMode) : FFlushMode(flushMode) {}
    TLZ77Decoder(const TLZ77Decoder&) = delete;
    TLZ77Decoder& operator=(const TLZ77Decoder&) = delete;
    ~TLZ77Decoder()
    {
        // Only an abandoned load gets here with the stream open, and inflateEnd fails only for
        // a stream that was never initialised: there is nothing to report.
        if (FStarted)
            inflateEnd(&FStream);
    }

    void BeginInflate()
    {
        if (inflateInit(&FStream) < 0)
            Fail(PngError::InflateSetup);
        FStarted = true;
    }

    void EndInflate()
    {
        FStarted = false;
        if (inflateEnd(&FStream) < 0)
            Fail(PngError::InflateSetup);
    }

    // Inflates from source into destination and advances both. Once the stream has ended or
    // failed, nothing more is inflated and the status stays.
    void Decode(const uint8_t*& source, uint8_t*& destination, uInt packedSize, uInt unpackedSize)
    {
        if (FStatus != Z_OK)
            return;
        FStream.next_in = const_cast<Bytef*>(source);
        FStream.avail_in = packedSize;
        FStream.next_out = destination;
        FStream.avail_out = unpackedSize;
        FStatus = inflate(&FStream, FFlushMode);
        source = FStream.next_in;
        destination = FStream.next_out;
    }

    int Status() const noexcept { return FStatus; }

private:
    z_stream FStream{};
    int FStatus = Z_OK;
    int FFlushMode;
    bool FStarted = false;
};

// gAMA holds the file's gamma times 100000.
float GammaOf(std::span<const uint8_t> body)
{
    return static_cast<float>(ByteReader(body, OnShortRead).U32BE() / 100000.0);
}

// Raw sample values of bKGD or tRNS, resolved once the image's format and gamma are final.
struct ChunkSamples {
    std::array<uint16_t, 3> values{};
};

class PngReader {
public:
    PngReader(std::span<const uint8_t> data, TColorManager& manager, RasterSink& sink, const PngLimits& limits,
              const PngProgressHandler& progress)
        : FReader(data, OnShortRead), FManager(manager), FSink(sink), FLimits(limits), FProgress(progress)
    {
    }

    PngLoadResult Load();

private:
    void ReadPngHeader();
    void ReadChunkHeader();
    std::span<const uint8_t> ReadChunkBody();
    std::span<const uint8_t> ReadAncillaryBody(uint32_t layoutBytes);
    void SkipChunk();
    bool ChunkTypeIs(uint32_t code) const noexcept { return ((FChunkType ^ code) & 0xDFDFDFDF) == 0; }
    bool ChunkIsCritical() const noexcept { return ((FChunkType >> 24) & 0x20) == 0; }

    void ReadChunks();
    void ReadPalette();
    void ReadGamma();
    void ReadBkgdChunk();
    void ReadTrnsChunk();
    void InflateImageData();
    void PrepareRaster(size_t rowBytes);
    void FillRows(uint32_t first);
    [[nodiscard]] bool ReadFilteredRow(std::vector<uint8_t>& buffer, size_t count);
    bool InflateMore();
    void NextRowProgress(uint32_t y);

    void ChooseFormat();
    uint8_t GreyIndex(uint16_t level) const noexcept;
    TColor ResolveBkgd() const noexcept;
    TColor ResolveTrns() const noexcept;
    uint8_t FillIndex(TColor color) const noexcept;
    void Notify(TProgressStage stage, int percent, bool redraw, std::string_view message);

    ByteReader FReader;
    TColorManager& FManager;
    RasterSink& FSink;
    const PngLimits& FLimits;
    const PngProgressHandler& FProgress;

    PngHeaderInfo FHeader;
    uint8_t FColorType = 0;
    uint8_t FInterlaceMethod = 0;
    TRect FProgressRect;
    std::optional<TLZ77Decoder> FDecoder;
    const uint8_t* FCurrentSource = nullptr;
    const uint8_t* FSourceEnd = nullptr;
    // Image data is inflated ahead of the rows in blocks: zlib's fast loop runs only while the
    // output has room for a whole match, which a row at a time denies it for much of each row.
    // Never more than the rows need is inflated, so data after the image is not decoded.
    std::vector<uint8_t> FInflated;
    size_t FInflatedPos = 0;
    size_t FInflatedEnd = 0;
    uint64_t FImageDataLeft = 0; // filtered bytes of the rows not yet inflated
    bool FStreamEnded = false;   // the zlib stream has reached its end
    uint32_t FChunkLength = 0;
    uint32_t FChunkType = 0;
    uint32_t FCurrentCRC = 0;
    bool FFormatChosen = false;
    bool FImageRead = false;
    int FSourceBPP = 0;
    TPixelFormat FPixelFormat = pfUnset;
    std::vector<PaletteEntry> FPalette;
    std::optional<ChunkSamples> FBkgd;
    std::optional<ChunkSamples> FTrns;
    TColor FTrnsColor = clNone;
    TColor FBkgdColor = clWhite;
    std::vector<uint8_t> FFillRow; // one row of the background, in the raster's format
};

void PngReader::Notify(TProgressStage stage, int percent, bool redraw, std::string_view message)
{
    if (FProgress)
        FProgress(PngProgress{stage, percent, redraw, FProgressRect, message});
}

void PngReader::ReadChunkHeader()
{
    FChunkLength = FReader.U32BE();
    const auto type = FReader.Bytes(4);
    FChunkType = (static_cast<uint32_t>(type[0]) << 24) | (static_cast<uint32_t>(type[1]) << 16) |
                 (static_cast<uint32_t>(type[2]) << 8) | type[3];
    if (FChunkLength > MaxChunkLength)
        Fail(PngError::ChunkLength);
    // The data and its CRC must be there before any handler looks at the chunk.
    if (static_cast<uint64_t>(FChunkLength) + 4 > FReader.Remaining())
        Fail(PngError::ChunkBeyondStream);
    FCurrentCRC = CRC32Update(0, type);
}

std::span<const uint8_t> PngReader::ReadChunkBody()
{
    const auto body = FReader.Bytes(FChunkLength);
    FCurrentCRC = CRC32Update(FCurrentCRC, body);
    if (FReader.U32BE() != FCurrentCRC)
        Fail(PngError::Crc);
    return body;
}

// A chunk shorter than the layout its type and the colour type give is refused, before its CRC
// is read, as a short palette is: its missing fields have no value to stand for.
std::span<const uint8_t> PngReader::ReadAncillaryBody(uint32_t layoutBytes)
{
    if (FChunkLength < layoutBytes)
        Fail(PngError::AncillaryLength);
    return ReadChunkBody();
}

void PngReader::SkipChunk()
{
    FReader.Skip(static_cast<size_t>(FChunkLength) + 4);
}

void PngReader::ReadPngHeader()
{
    FHeader = PngHeaderInfo{};
    const auto data = FReader.Remaining() >= PngSignature.size() ? FReader.Bytes(PngSignature.size())
                                                               : std::span<const uint8_t>{};
    if (data.size() != PngSignature.size() || !std::equal(data.begin(), data.end(), PngSignature.begin()))
        Fail(PngError::Signature);
    ReadChunkHeader();
    if (!ChunkTypeIs(ChunkIHDR))
        Fail(PngError::MissingHeader);
    FHeader.Flags = 1;
    if (FChunkLength != 13)
        Fail(PngError::HeaderLength);
    ByteReader ihdr(ReadChunkBody(), OnShortRead);
    FHeader.Width = ihdr.U32BE();
    FHeader.Height = ihdr.U32BE();
    if (FHeader.Width == 0 || FHeader.Height == 0 || FHeader.Width > MaxDimension || FHeader.Height > MaxDimension)
        Fail(PngError::Dimensions);
    const uint8_t depth = ihdr.U8();
    FColorType = ihdr.U8();
    const uint8_t compression = ihdr.U8();
    FHeader.FilterMethod = ihdr.U8();
    FInterlaceMethod = ihdr.U8();

    switch (FColorType) {
    case 0: FHeader.ColorScheme = csG; break;
    case 2: FHeader.ColorScheme = csRGB; break;
    case 3: FHeader.ColorScheme = csIndexed; break;
    case 4: FHeader.ColorScheme = csGA; break;
    case 6: FHeader.ColorScheme = csRGBA; break;
    default: FHeader.ColorScheme = csNone; break;
    }
    FHeader.BitsPerSample = depth;
    switch (FHeader.ColorScheme) {
    case csRGB: FHeader.SamplesPerPixel = 3; break;
    case csRGBA: FHeader.SamplesPerPixel = 4; break;
    case csGA: FHeader.SamplesPerPixel = 2; break;
    default: FHeader.SamplesPerPixel = 1; break;
    }
    FHeader.BitsPerPixel = static_cast<uint8_t>(FHeader.SamplesPerPixel * depth);
    FHeader.Compression = compression == 0 ? 2 : 0;
    FHeader.Interlaced = FInterlaceMethod != 0;
    FHeader.HasAlpha = FHeader.ColorScheme == csGA || FHeader.ColorScheme == csRGBA;

    // Look ahead for the file's gamma; everything else is passed over unchecked.
    for (;;) {
        ReadChunkHeader();
        if (ChunkTypeIs(ChunkgAMA)) {
            FHeader.FileGamma = GammaOf(ReadAncillaryBody(4));
            break;
        }
        SkipChunk();
        if (ChunkTypeIs(ChunkIEND))
            break;
    }
}

PngLoadResult PngReader::Load()
{
    ReadPngHeader();
    FReader.Seek(PngSignature.size());
    FProgressRect = Rect(0, 0, static_cast<int32_t>(FHeader.Width), 1);
    Notify(psStarting, 0, false, PreparingText);
    try {
        ReadChunks();
    } catch (...) {
        FDecoder.reset();
        Notify(psEnding, 0, false, {});
        throw;
    }
    Notify(psEnding, 0, false, {});
    return PngLoadResult{FHeader, FTrnsColor, FBkgdColor, FReader.Position()};
}

void PngReader::ReadChunks()
{
    // Nothing of an earlier load may reach this one: 16-bit samples are big-endian, gamma is
    // applied only when this file asks for it, and the table maps 8-bit values to 8-bit values.
    FManager.SetSourceOptions({coNeedByteSwap});
    FManager.SetTargetOptions({});
    FManager.SetSourceBitsPerSample(8);
    FManager.SetTargetBitsPerSample(8);
    FManager.SetGammaTable(1.0f, 2.2f);

    ReadChunkHeader();
    ReadChunkBody(); // IHDR again, checked by the pre-scan
    if (FHeader.Compression != 2)
        Fail(PngError::Compression);
    FDecoder.emplace(Z_PARTIAL_FLUSH);
    FDecoder->BeginInflate();

    for (;;) {
        ReadChunkHeader();
        if (!FImageRead) {
            if (ChunkTypeIs(ChunkIDAT)) {
                Notify(psEnding, 0, false, {});
                InflateImageData();
                FImageRead = true;
                // Falls through with the chunk that follows the image data.
            } else if (ChunkTypeIs(ChunkPLTE)) {
                ReadPalette();
                continue;
            } else if (ChunkTypeIs(ChunkgAMA)) {
                ReadGamma();
                continue;
            } else if (ChunkTypeIs(ChunkbKGD)) {
                ReadBkgdChunk();
                continue;
            } else if (ChunkTypeIs(ChunktRNS)) {
                ReadTrnsChunk();
                continue;
            }
        }
        // A second run of image data would decode over the finished image.
        if (FImageRead && ChunkTypeIs(ChunkIDAT))
            Fail(PngError::ExtraData);
        const bool end = ChunkTypeIs(ChunkIEND);
        SkipChunk();
        if (end)
            break;
        if (ChunkIsCritical())
            Fail(PngError::CriticalChunk);
    }
    if (!FImageRead)
        Fail(PngError::MissingImageData);
    FDecoder->EndInflate();
    FDecoder.reset();
}

void PngReader::ReadPalette()
{
    if (FChunkLength % 3 != 0)
        Fail(PngError::PaletteLength);
    const auto body = ReadChunkBody();
    if (FColorType != 3)
        return;
    ChooseFormat();
    const uint8_t* entries[] = {body.data()};
    FPalette = FManager.BuildColorPalette(entries, 0, FChunkLength / 3, false);
}

void PngReader::ReadGamma()
{
    const float gamma = GammaOf(ReadAncillaryBody(4));
    FManager.SetGammaTable(gamma, 2.2f);
    TConvertOptions options = FManager.TargetOptions();
    options.Include(coApplyGamma);
    FManager.SetTargetOptions(options);
    FHeader.Flags |= 2;
}

void PngReader::ReadBkgdChunk()
{
    ChunkSamples samples;
    switch (FColorType) {
    case 0:
    case 4: samples.values[0] = ByteReader(ReadAncillaryBody(2), OnShortRead).U16BE(); break;
    case 2:
    case 6: {
        ByteReader body(ReadAncillaryBody(6), OnShortRead);
        for (uint16_t& v : samples.values)
            v = body.U16BE();
        break;
    }
    case 3: samples.values[0] = ReadAncillaryBody(1)[0]; break;
    default: ReadChunkBody(); return; // the colour type is refused with the image data
    }
    FBkgd = samples;
}

void PngReader::ReadTrnsChunk()
{
    ChunkSamples samples;
    switch (FColorType) {
    case 0: samples.values[0] = ByteReader(ReadAncillaryBody(2), OnShortRead).U16BE(); break;
    case 2: {
        ByteReader body(ReadAncillaryBody(6), OnShortRead);
        for (uint16_t& v : samples.values)
            v = body.U16BE();
        break;
    }
    default: ReadChunkBody(); return; // palette alphas and own alpha channels give no colour key
    }
    FTrns = samples;
}

void PngReader::ChooseFormat()
{
    PngPixelFormat chosen = ChoosePixelFormat(FManager, FColorType, FHeader.BitsPerSample);
    FSourceBPP = chosen.sourceBPP;
    FPixelFormat = chosen.format;
    FPalette = std::move(chosen.palette);
    FFormatChosen = true;
}

// The palette index a grey level of the file is written as.
uint8_t PngReader::GreyIndex(uint16_t level) const noexcept
{
    const unsigned depth = FHeader.BitsPerSample;
    if (depth == 16)
        return static_cast<uint8_t>(level * 255u / 65535u);
    const unsigned sourceMax = (1u << depth) - 1;
    const unsigned targetMax = (1u << FManager.TargetBitsPerSample()) - 1;
    return static_cast<uint8_t>((level & sourceMax) * targetMax / sourceMax);
}

TColor PngReader::ResolveBkgd() const noexcept
{
    if (!FBkgd)
        return clWhite;
    const auto& v = FBkgd->values;
    const auto sample = [this](uint16_t s) {
        return static_cast<uint8_t>(FHeader.BitsPerSample == 16 ? s * 255u / 65535u : s & 0xFF);
    };
    switch (FColorType) {
    case 2:
    case 6: return MakeColor(sample(v[0]), sample(v[1]), sample(v[2]));
    case 0:
    case 4: return ToColor(FPalette[GreyIndex(v[0])]);
    default: return v[0] < FPalette.size() ? ToColor(FPalette[v[0]]) : clBlack;
    }
}

TColor PngReader::ResolveTrns() const noexcept
{
    if (!FTrns)
        return clNone;
    const auto& v = FTrns->values;
    if (FColorType == 0)
        return ToColor(FPalette[GreyIndex(v[0])]);
    const bool applyGamma = FManager.TargetOptions().Contains(coApplyGamma);
    const auto sample = [&](uint16_t s) {
        const auto byte = static_cast<uint8_t>(FHeader.BitsPerSample == 16 ? s * 255u / 65535u : s & 0xFF);
        return applyGamma ? FManager.GammaTable()[byte] : byte;
    };
    return MakeColor(sample(v[0]), sample(v[1]), sample(v[2]));
}

// GDI fills a palette bitmap with the nearest entry of its colour table.
uint8_t PngReader::FillIndex(TColor color) const noexcept
{
    const int red = color & 0xFF;
    const int green = (color >> 8) & 0xFF;
    const int blue = (color >> 16) & 0xFF;
    size_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (size_t i = 0; i < FPalette.size(); ++i) {
        const int dr = FPalette[i].red - red;
        const int dg = FPalette[i].green - green;
        const int db = FPalette[i].blue - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

void PngReader::PrepareRaster(size_t rowBytes)
{
    const int bpp = BitsPerPixelOf(FPixelFormat);
    // The bitmap's colour table always has 2^bpp entries: a missing PLTE, or a short one, leaves
    // black; a longer one is cut.
    if (bpp <= 8)
        FPalette.resize(size_t{1} << bpp);
    else
        FPalette.clear();

    uint64_t rasterBytes = 0;
    uint64_t total = 0;
    if (!CheckedMul(DibStride(FHeader.Width, bpp), FHeader.Height, rasterBytes) ||
        !CheckedAdd(rasterBytes, 2 * static_cast<uint64_t>(rowBytes), total) || total > FLimits.MaxImageBytes ||
        rowBytes > std::numeric_limits<uInt>::max())
        Fail(PngError::TooLarge);

    FBkgdColor = ResolveBkgd();
    FTrnsColor = ResolveTrns();
    const int width = static_cast<int>(FHeader.Width);
    FSink.Allocate(FPixelFormat, width, static_cast<int>(FHeader.Height), FPalette);

    // The background shows wherever the image data ends early. 32-bit pixels get alpha 0, as a
    // GDI fill leaves them.
    FFillRow.assign((static_cast<size_t>(width) * bpp + 7) / 8, 0);
    if (bpp == 24 || bpp == 32) {
        const size_t step = static_cast<size_t>(bpp / 8);
        for (size_t x = 0; x < FFillRow.size(); x += step) {
            FFillRow[x] = (FBkgdColor >> 16) & 0xFF;
            FFillRow[x + 1] = (FBkgdColor >> 8) & 0xFF;
            FFillRow[x + 2] = FBkgdColor & 0xFF;
        }
    } else {
        uint8_t index = FillIndex(FBkgdColor);
        for (int bits = bpp; bits < 8; bits *= 2)
            index = static_cast<uint8_t>(index | (index << bits));
        std::fill(FFillRow.begin(), FFillRow.end(), index);
    }
}

// Fills the rows from first to the bottom with the background.
void PngReader::FillRows(uint32_t first)
{
    for (uint32_t y = first; y < FHeader.Height; ++y)
        std::memcpy(FSink.ScanLine(static_cast<int>(y)), FFillRow.data(), FFillRow.size());
}

void PngReader::NextRowProgress(uint32_t y)
{
    Notify(psRunning, RoundedPercent(y, FHeader.Height), true, {});
    ++FProgressRect.Top;
    ++FProgressRect.Bottom;
}

void PngReader::InflateImageData()
{
    Notify(psStarting, 0, false, TransferingText);
    if (!FFormatChosen)
        ChooseFormat();
    const unsigned depth = FHeader.BitsPerSample;
    const unsigned samples = static_cast<unsigned>(depth == 16 ? FSourceBPP / 2 : FSourceBPP);
    const uint64_t width = FHeader.Width;
    const size_t rowBytes = static_cast<size_t>(((width * depth + 7) / 8) * samples + 1);
    PrepareRaster(rowBytes);

    std::vector<uint8_t> current(rowBytes, 0);
    std::vector<uint8_t> previous(rowBytes, 0);
    const auto convert = [&](uint32_t y, uint8_t mask) {
        const uint8_t* rows[] = {current.data() + 1};
        FManager.ConvertRow(rows, FSink.ScanLine(static_cast<int>(y)), FHeader.Width, mask);
    };
    const auto unfilter = [&](size_t length) {
        UnfilterRow(current[0], current.data() + 1, previous.data() + 1, static_cast<unsigned>(FSourceBPP),
                    length - 1);
    };

    const auto passRowBytes = [&](const Adam7Pass& pass) -> size_t {
        if (width <= pass.firstColumn)
            return 0;
        const uint64_t columns = (width + pass.columnStep - 1 - pass.firstColumn) / pass.columnStep;
        return static_cast<size_t>(((columns * depth + 7) / 8) * samples + 1);
    };
    if (FInterlaceMethod == 1) {
        for (const Adam7Pass& pass : Adam7Passes)
            if (FHeader.Height > pass.firstRow) {
                const uint64_t rows = (FHeader.Height - pass.firstRow + pass.rowStep - 1) / pass.rowStep;
                FImageDataLeft += passRowBytes(pass) * rows;
            }
    } else {
        FImageDataLeft = static_cast<uint64_t>(rowBytes) * FHeader.Height;
    }
    FInflated.resize(static_cast<size_t>(std::min<uint64_t>(FImageDataLeft, InflateBlock)));

    // A row is whole once written only where every pixel owns its bytes: packed pixels keep the
    // background in the bits past the last one, and Adam7 passes leave gaps until the last.
    const bool rowsWhole = FInterlaceMethod != 1 && BitsPerPixelOf(FPixelFormat) >= 8;
    if (!rowsWhole)
        FillRows(0);
    if (FInterlaceMethod == 1) {
        bool dataLeft = true;
        for (size_t p = 0; p < Adam7Passes.size() && dataLeft; ++p) {
            const Adam7Pass& pass = Adam7Passes[p];
            const size_t length = passRowBytes(pass);
            if (length == 0)
                continue;
            std::fill(previous.begin(), previous.end(), 0);
            for (uint64_t y = pass.firstRow; y < FHeader.Height; y += pass.rowStep) {
                if (!ReadFilteredRow(current, length)) {
                    dataLeft = false;
                    break;
                }
                unfilter(length);
                convert(static_cast<uint32_t>(y), pass.mask);
                std::swap(current, previous);
                if (p == Adam7Passes.size() - 1)
                    NextRowProgress(static_cast<uint32_t>(y));
            }
        }
    } else {
        // The sink is not shown before the load ends, so whole rows get the background only
        // where the data does not reach.
        uint32_t y = 0;
        for (; y < FHeader.Height; ++y) {
            if (!ReadFilteredRow(current, rowBytes))
                break;
            unfilter(rowBytes);
            convert(y, 0xFF);
            std::swap(current, previous);
            NextRowProgress(y);
        }
        if (rowsWhole)
            FillRows(y);
    }

    while (ChunkTypeIs(ChunkIDAT)) {
        ReadChunkBody();
        ReadChunkHeader();
    }
}

// Fills count bytes of buffer from the inflated image data. False when the image data ends
// first: the row is then not used.
bool PngReader::ReadFilteredRow(std::vector<uint8_t>& buffer, size_t count)
{
    uint8_t* destination = buffer.data();
    uint8_t* const end = buffer.data() + count;
    while (destination != end) {
        if (FInflatedPos == FInflatedEnd && !InflateMore()) {
            // A stream that ends inside a row is damaged; one that ends between rows, or image
            // data that simply stops, leaves the rows not reached to the background.
            if (FStreamEnded && destination != buffer.data())
                Fail(PngError::ExtraData);
            return false;
        }
        const size_t n = std::min(static_cast<size_t>(end - destination), FInflatedEnd - FInflatedPos);
        std::memcpy(destination, FInflated.data() + FInflatedPos, n);
        destination += n;
        FInflatedPos += n;
    }
    return true;
}

// Inflates the next block of image data, as far as the IDAT chunks reach. False when nothing
// more comes.
bool PngReader::InflateMore()
{
    uint8_t* const start = FInflated.data();
    uint8_t* destination = start;
    uint8_t* const end = start + static_cast<size_t>(std::min<uint64_t>(FInflated.size(), FImageDataLeft));
    while (destination != end) {
        // Zero-length IDAT chunks carry nothing and are passed over.
        while (FCurrentSource == FSourceEnd && ChunkTypeIs(ChunkIDAT)) {
            const auto body = ReadChunkBody();
            FCurrentSource = body.data();
            FSourceEnd = body.data() + body.size();
            ReadChunkHeader();
        }
        if (FCurrentSource == FSourceEnd)
            break;
        // Image data after the end of the zlib stream.
        if (FStreamEnded)
            Fail(PngError::ExtraData);
        FDecoder->Decode(FCurrentSource, destination, static_cast<uInt>(FSourceEnd - FCurrentSource),
                         static_cast<uInt>(end - destination));
        if (FDecoder->Status() == Z_STREAM_END) {
            // The block is inflated ahead of the rows, so the stream may end before it is full:
            // whether that cuts a row is for the row's reader to tell.
            if (FCurrentSource != FSourceEnd)
                Fail(PngError::ExtraData);
            FStreamEnded = true;
            continue;
        }
        if (FDecoder->Status() != Z_OK)
            Fail(PngError::Inflate);
    }
    FInflatedPos = 0;
    FInflatedEnd = static_cast<size_t>(destination - start);
    FImageDataLeft -= FInflatedEnd;
    return FInflatedEnd != 0;
}

} // namespace

void MemoryRaster::Allocate(TPixelFormat format, int width, int height, std::span<const PaletteEntry> palette)
{
    FFormat = format;
    FWidth = width;
    FHeight = height;
    FBitsPerPixel = BitsPerPixelOf(format);
    FStride = DibStride(static_cast<uint32_t>(width), FBitsPerPixel);
    FPalette.assign(palette.begin(), palette.end());
    FPixels.assign(FStride * static_cast<size_t>(height), 0);
}

int BitsPerPixelOf(TPixelFormat format) noexcept
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
    }
}

PngLoadResult LoadPng(std::span<const uint8_t> data, TColorManager& colorManager, RasterSink& sink,
                      const PngLimits& limits, const PngProgressHandler& progress)
{
    return PngReader(data, colorManager, sink, limits, progress).Load();
}

PngPixelFormat ChoosePixelFormat(TColorManager& colorManager, uint8_t colorType, uint8_t bitDepth)
{
    const auto is = [bitDepth](std::initializer_list<uint8_t> depths) {
        return std::find(depths.begin(), depths.end(), bitDepth) != depths.end();
    };
    const auto configure = [&](TColorScheme source, uint8_t sourceSamples, TColorScheme target,
                               uint8_t targetSamples, uint8_t targetDepth) {
        colorManager.SetSourceColorScheme(source);
        colorManager.SetSourceSamplesPerPixel(sourceSamples);
        colorManager.SetSourceBitsPerSample(bitDepth);
        colorManager.SetTargetColorScheme(target);
        colorManager.SetTargetSamplesPerPixel(targetSamples);
        colorManager.SetTargetBitsPerSample(targetDepth);
    };
    PngPixelFormat result;
    switch (colorType) {
    case 0:
        if (!is({1, 2, 4, 8, 16}))
            break;
        configure(csG, 1, csG, 1, bitDepth == 2 ? 4 : (bitDepth == 16 ? 8 : bitDepth));
        result.format = colorManager.GetPixelFormat(ColorSide::Target);
        result.palette = colorManager.BuildGrayPalette(false);
        result.sourceBPP = (bitDepth + 7) / 8;
        return result;
    case 2:
        if (!is({8, 16}))
            break;
        configure(csRGB, 3, csBGR, 3, 8);
        result.format = pf24bit;
        result.sourceBPP = 3 * bitDepth / 8;
        return result;
    case 3:
        if (!is({1, 2, 4, 8}))
            break;
        configure(csIndexed, 1, csIndexed, 1, bitDepth == 2 ? 4 : bitDepth);
        result.format = colorManager.GetPixelFormat(ColorSide::Target);
        result.sourceBPP = 1;
        return result;
    case 4:
        if (!is({8, 16}))
            break;
        configure(csGA, 2, csIndexed, 1, 8);
        result.format = pf8bit;
        result.palette = colorManager.BuildGrayPalette(false);
        result.sourceBPP = 2 * bitDepth / 8;
        return result;
    case 6:
        if (!is({8, 16}))
            break;
        configure(csRGBA, 4, csBGRA, 4, 8);
        result.format = pf32bit;
        result.sourceBPP = 4 * bitDepth / 8;
        return result;
    default: break;
    }
    Fail(PngError::ColorFormat);
}

uint32_t CRC32Update(uint32_t crc, std::span<const uint8_t> bytes) noexcept
{
    // zlib's crc32 is the same checksum (same polynomial, preset and complement), table-driven.
    if (bytes.empty())
        return crc;
    return static_cast<uint32_t>(crc32(crc, bytes.data(), static_cast<uInt>(bytes.size())));
}

uint8_t PaethPredictor(uint8_t a, uint8_t b, uint8_t c) noexcept
{
    return Paeth(a, b, c);
}

void UnfilterRow(uint8_t filterType, uint8_t* line, const uint8_t* previous, unsigned bpp, size_t count) noexcept
{
    // Pixels of up to four bytes get their stride as a constant, so each pixel's samples are
    // computed side by side; the wider 16-bit ones take the general loops.
    switch (bpp) {
    case 1: return UnfilterFixed<1>(filterType, line, previous, count);
    case 2: return UnfilterFixed<2>(filterType, line, previous, count);
    case 3: return UnfilterFixed<3>(filterType, line, previous, count);
    case 4: return UnfilterFixed<4>(filterType, line, previous, count);
    default: return UnfilterAny(filterType, line, previous, bpp, count);
    }
}

} // namespace ks
