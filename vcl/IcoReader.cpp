#include "vcl/IcoReader.h"

#include "vcl/ByteReader.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <cstdlib>

namespace ks {

namespace {

constexpr const char* ShortReadText = "Icon data ends early";
constexpr const char* HeaderText = "Not an icon file";
constexpr const char* CountText = "Invalid icon image count";
constexpr const char* EntryBoundsText = "Icon image lies outside the file";
constexpr const char* ImageHeaderText = "Invalid icon image";
constexpr const char* TooLargeText = "Icon image is too large";

constexpr size_t DirHeaderSize = 6;
constexpr size_t DirEntrySize = 16;
constexpr uint32_t InfoHeaderSize = 40;
constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

[[noreturn]] void Fail(IcoError reason)
{
    const char* text = ShortReadText;
    switch (reason) {
    case IcoError::ShortRead: text = ShortReadText; break;
    case IcoError::Header: text = HeaderText; break;
    case IcoError::Count: text = CountText; break;
    case IcoError::EntryBounds: text = EntryBoundsText; break;
    case IcoError::ImageHeader: text = ImageHeaderText; break;
    case IcoError::TooLarge: text = TooLargeText; break;
    }
    throw EInvalidGraphic(text, reason);
}

[[noreturn]] void OnShortRead() { Fail(IcoError::ShortRead); }
// Inside an image every short read means its header promised more than it holds.
[[noreturn]] void OnImageShortRead() { Fail(IcoError::ImageHeader); }

void CheckPixels(uint64_t width, uint64_t height, const IcoLimits& limits)
{
    if (width == 0 || height == 0)
        Fail(IcoError::ImageHeader);
    uint64_t pixels = 0;
    if (!CheckedMul(width, height, pixels) || pixels > limits.MaxPixels)
        Fail(IcoError::TooLarge);
}

// Only the header is checked; the system decodes the rest, and its size cannot exceed what the
// entry holds.
void ReadPngImage(ByteReader r, IcoEntry& e, const IcoLimits& limits)
{
    r.Skip(sizeof PngSignature);
    if (r.U32BE() != 13 || r.U32BE() != 0x49484452) // an IHDR chunk must come first
        Fail(IcoError::ImageHeader);
    const uint32_t w = r.U32BE();
    const uint32_t h = r.U32BE();
    if (w > 0x7FFFFFFF || h > 0x7FFFFFFF)
        Fail(IcoError::ImageHeader);
    CheckPixels(w, h, limits);
    e.width = static_cast<int>(w);
    e.height = static_cast<int>(h);
    e.bpp = 32;
    e.png = true;
}

// A DIB image: the header, the colour table, the colour rows and the mask rows must all be present.
void ReadDibImage(ByteReader r, IcoEntry& e, const IcoLimits& limits)
{
    const uint32_t headerSize = r.U32LE();
    if (headerSize < InfoHeaderSize)
        Fail(IcoError::ImageHeader);
    const int32_t width = r.I32LE();
    const int32_t doubleHeight = r.I32LE(); // colour rows and mask rows together
    const uint16_t planes = r.U16LE();
    const uint16_t bpp = r.U16LE();
    const uint32_t compression = r.U32LE();
    r.Skip(12);
    const uint32_t clrUsed = r.U32LE();
    r.Skip(headerSize - 36);
    if (width <= 0 || doubleHeight <= 0 || doubleHeight % 2 != 0 || planes != 1 || compression != 0)
        Fail(IcoError::ImageHeader);
    switch (bpp) {
    case 1: case 4: case 8: case 24: case 32: break;
    default: Fail(IcoError::ImageHeader);
    }
    const uint64_t height = static_cast<uint64_t>(doubleHeight / 2);
    CheckPixels(static_cast<uint64_t>(width), height, limits);
    uint64_t colours = 0;
    if (bpp <= 8)
        colours = clrUsed == 0 || clrUsed > (1u << bpp) ? (1u << bpp) : clrUsed;
    const uint64_t xorStride = (static_cast<uint64_t>(width) * bpp + 31) / 32 * 4;
    const uint64_t andStride = (static_cast<uint64_t>(width) + 31) / 32 * 4;
    // Small enough not to wrap: the pixel count is capped above.
    r.Skip(static_cast<size_t>(colours * 4 + (xorStride + andStride) * height));
    e.width = width;
    e.height = static_cast<int>(height);
    e.bpp = bpp;
}

} // namespace

std::vector<IcoEntry> ReadIcoDirectory(std::span<const uint8_t> data, const IcoLimits& limits)
{
    ByteReader r(data, OnShortRead);
    const uint16_t reserved = r.U16LE();
    const uint16_t type = r.U16LE();
    const uint16_t count = r.U16LE();
    if (reserved != 0 || type != 1)
        Fail(IcoError::Header);
    if (count == 0 || count > limits.MaxEntries)
        Fail(IcoError::Count);
    ByteReader dir = r.Sub(count * DirEntrySize);
    const size_t dirEnd = DirHeaderSize + count * DirEntrySize;

    std::vector<IcoEntry> entries(count);
    for (IcoEntry& e : entries) {
        dir.Skip(8); // width, height, colour count, reserved, planes, depth: see the header comment
        const uint32_t size = dir.U32LE();
        const uint32_t offset = dir.U32LE();
        uint64_t end = 0;
        if (offset < dirEnd || !CheckedAdd(offset, size, end) || end > data.size())
            Fail(IcoError::EntryBounds);
        e.offset = offset;
        e.size = size;
        ByteReader image(data.subspan(offset, size), OnImageShortRead);
        if (size >= sizeof PngSignature &&
            std::equal(std::begin(PngSignature), std::end(PngSignature), data.begin() + offset))
            ReadPngImage(image, e, limits);
        else
            ReadDibImage(image, e, limits);
    }
    return entries;
}

size_t ChooseIconEntry(std::span<const IcoEntry> entries, int size)
{
    size_t best = 0;
    for (size_t i = 1; i < entries.size(); ++i) {
        const int d = std::abs(entries[i].width - size);
        const int bestD = std::abs(entries[best].width - size);
        if (d < bestD || (d == bestD && entries[i].bpp > entries[best].bpp))
            best = i;
    }
    return best;
}

} // namespace ks
