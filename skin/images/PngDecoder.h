#pragma once
// The portable core of the PNG picture: reads a PNG file from memory, checks its chunks,
// inflates and unfilters the image data, undoes Adam7 interlacing and hands each row to the
// picture's colour manager, which writes it into a raster sink in a Windows bitmap layout
// (grey and palette images 1-, 4- or 8-bit with a colour table, RGB 24-bit and RGBA 32-bit
// blue-green-red(-alpha), alpha not premultiplied).
//
// Limits (PngLimits):
// - MaxImageBytes, default 512 MiB: the raster (DWORD-aligned rows) plus the two row buffers.
//   The image data is inflated through a further buffer of at most 64 KiB, whatever the size.
//   It admits an 11585 x 11585 32-bit image, far beyond any skin, and still fits the address
//   space of the 32-bit program. Width and height above 2^31 - 1 are refused as the format asks.
// Chunk data is never copied: a chunk is read in place, so a declared length only has to fit in
// the bytes that are there.
//
// Tolerated, because stored skins and common writers rely on it:
// - chunk types in any letter case (compared with bit 5 of every letter cleared);
// - CRCs of skipped ancillary chunks, and of the chunk after the image data, are not checked;
// - filter types 5 to 255 leave a row as it is; interlace methods above 1 read as non-interlaced;
//   the IHDR filter method is not examined;
// - image data that ends before the last row, because the IDAT chunks stop or because the zlib
//   stream ends between two rows: the rows not reached keep the background fill (a stream that
//   ends inside a row is refused);
// - colour type 3 without PLTE (all indexes black), indexes beyond the palette (black), palettes
//   longer than the bitmap's colour table (clipped);
// - tRNS alphas of palette images and the alpha of grey-with-alpha images are dropped;
// - IEND with data, and anything after IEND, which is not read (bytesRead says where the file
//   ended).
// Refused: everything else that is malformed, each with a PngError reason. gAMA, bKGD and tRNS
// shorter than the layout of their colour type are among it: missing bytes are not read as zero,
// which would turn a damaged gamma into an extreme one. Once the image data has been read, later
// chunks are never interpreted: a palette, gamma or transparency there cannot change the
// decoded image.

#include "skin/images/ColorManager.h"
#include "vcl/GraphicsTypes.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace ks {

enum class PngError {
    Signature = 1,     // not the PNG signature
    MissingHeader,     // the first chunk is not IHDR
    HeaderLength,      // IHDR not 13 bytes long
    Dimensions,        // width or height 0, or above 2^31 - 1
    TooLarge,          // more than PngLimits::MaxImageBytes
    Compression,       // compression method other than 0
    ColorFormat,       // colour type and bit depth no decoder path serves
    Crc,               // stored CRC differs from the computed one
    ChunkLength,       // a declared chunk length above 2^31 - 1
    ChunkBeyondStream, // a chunk that runs past the end of the data
    ShortRead,         // the data ends inside a chunk header or before IEND
    PaletteLength,     // PLTE length not a multiple of 3
    CriticalChunk,     // an unknown critical chunk, or PLTE after the image data
    MissingImageData,  // IEND without any IDAT before it
    ExtraData,         // zlib stream ended before the image, or data after its end
    Inflate,           // any other inflate failure
    InflateSetup,      // zlib refused to start or end (EGraphicCompression)
    AncillaryLength,   // gAMA, bKGD or tRNS shorter than its layout
};

struct PngLimits {
    uint64_t MaxImageBytes = uint64_t{512} << 20;
};

// The summary of IHDR (and of the first gAMA) that the picture keeps after a load.
struct PngHeaderInfo {
    uint8_t Flags = 0; // bit 0: header read; bit 1: gamma chunk met in the load
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint8_t ColorScheme = 0; // TColorScheme of the source: 2 grey, 4 RGB, 1 indexed, 3 grey+alpha, 5 RGBA
    uint8_t BitsPerSample = 0;
    uint8_t SamplesPerPixel = 0;
    uint8_t BitsPerPixel = 0;
    uint8_t Compression = 0; // 2 = deflate, 0 = unknown
    float FileGamma = 1.0f;
    bool Interlaced = false;
    bool HasAlpha = false;
    uint8_t FilterMethod = 0;
};

// Where a load writes its image. The Windows picture implements it on its DIB section; the
// in-memory raster below serves tests and tools.
class RasterSink {
public:
    virtual ~RasterSink() = default;
    // Called once per load, before any ScanLine. For 1-, 4- and 8-bit formats palette holds
    // exactly 2^bpp entries; otherwise it is empty.
    virtual void Allocate(TPixelFormat format, int width, int height, std::span<const PaletteEntry> palette) = 0;
    // Row y (0 = top), writable for at least the bytes width pixels take in the format.
    virtual uint8_t* ScanLine(int y) = 0;
};

// A top-down raster with DWORD-aligned rows, the layout of a DIB section.
class MemoryRaster final : public RasterSink {
public:
    void Allocate(TPixelFormat format, int width, int height, std::span<const PaletteEntry> palette) override;
    uint8_t* ScanLine(int y) override { return FPixels.data() + static_cast<size_t>(y) * FStride; }

    TPixelFormat Format() const noexcept { return FFormat; }
    int Width() const noexcept { return FWidth; }
    int Height() const noexcept { return FHeight; }
    int BitsPerPixel() const noexcept { return FBitsPerPixel; }
    size_t Stride() const noexcept { return FStride; }
    const std::vector<PaletteEntry>& Palette() const noexcept { return FPalette; }
    const uint8_t* Row(int y) const noexcept { return FPixels.data() + static_cast<size_t>(y) * FStride; }

private:
    TPixelFormat FFormat = pfUnset;
    int FWidth = 0;
    int FHeight = 0;
    int FBitsPerPixel = 0;
    size_t FStride = 0;
    std::vector<PaletteEntry> FPalette;
    std::vector<uint8_t> FPixels;
};

// Bits per pixel of the formats a load produces: 1, 4, 8, 16, 24 or 32; 0 for the others.
int BitsPerPixelOf(TPixelFormat format) noexcept;

struct PngProgress {
    TProgressStage stage = psStarting;
    int percentDone = 0;
    bool redrawNow = false;
    TRect rect;
    std::string_view message;
};
using PngProgressHandler = std::function<void(const PngProgress&)>;

struct PngLoadResult {
    PngHeaderInfo header;
    // The bitmap's transparent colour (clNone without tRNS), resolved the way the rows are:
    // through the same scaling, gamma and grey palette, so it matches the written pixels.
    TColor trnsColor = clNone;
    // The colour the raster was filled with before the rows were written.
    TColor bkgdColor = clWhite;
    // From the start of data to the end of the IEND chunk.
    size_t bytesRead = 0;
};

// Loads the PNG at the start of data into sink. The colour manager is reset for the image first:
// nothing of an earlier load (gamma, depths, options) carries over.
// Raises EInvalidGraphic, EColorConversionError and EGraphicCompression, and EReadError when the
// data ends before IEND, each with a PngError reason. The sink is allocated only once the
// header, format and size have passed their checks.
PngLoadResult LoadPng(std::span<const uint8_t> data, TColorManager& colorManager, RasterSink& sink,
                      const PngLimits& limits = {}, const PngProgressHandler& progress = {});

// How one PNG colour type and bit depth is decoded: the manager is configured for it, and the
// result is the bitmap format, the grey palette where the format has one, and the bytes of a
// complete pixel that the filters step by. Raises EInvalidGraphic "Invalid color format in PNG
// file." for a pair no path serves.
struct PngPixelFormat {
    int sourceBPP = 0;
    TPixelFormat format = pfUnset;
    std::vector<PaletteEntry> palette;
};
PngPixelFormat ChoosePixelFormat(TColorManager& colorManager, uint8_t colorType, uint8_t bitDepth);

// The standard CRC-32 (reflected 0xEDB88320, preset and final complement); an empty span
// leaves crc as it is.
uint32_t CRC32Update(uint32_t crc, std::span<const uint8_t> bytes) noexcept;
uint8_t PaethPredictor(uint8_t a, uint8_t b, uint8_t c) noexcept;
// Undoes one row's filter in place. line and previous point after the filter bytes and hold
// count bytes; bpp >= 1.
void UnfilterRow(uint8_t filterType, uint8_t* line, const uint8_t* previous, unsigned bpp, size_t count) noexcept;

} // namespace ks
