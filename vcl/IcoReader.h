#pragma once
// Reads the directory of an icon file (.ico) and checks every image it names, so that the
// system's icon creation is only ever handed bytes that hold what their headers declare.
//
// Limits (IcoLimits):
// - MaxEntries, default 256: icon files carry a handful of sizes and depths; 256 is far above
//   any real one and keeps a forged count from costing time.
// - MaxPixels, default 1M (1024 x 1024) per image: four times the largest icon size Windows
//   uses, so even PNG-compressed entries stay small when the system decodes them.
//
// Tolerated: directory width, height and depth fields that disagree with the image (writers fill
// them carelessly; the image's own header is what the system reads), and bytes between or after
// images. Everything else is refused with EInvalidGraphic and an IcoError reason.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ks {

enum class IcoError {
    ShortRead = 1, // the directory passes the end of the data
    Header,        // reserved word not 0, or not an icon (type 1)
    Count,         // no images, or more than IcoLimits::MaxEntries
    EntryBounds,   // an image that begins inside the directory or passes the end of the data
    ImageHeader,   // an image whose header is malformed or declares more bytes than it has
    TooLarge,      // an image of more pixels than IcoLimits::MaxPixels
};

struct IcoLimits {
    uint32_t MaxEntries = 256;
    uint64_t MaxPixels = uint64_t{1} << 20;
};

// One image of the file, as its own header describes it.
struct IcoEntry {
    int width = 0;
    int height = 0;
    int bpp = 0;
    bool png = false;
    size_t offset = 0; // of the image's bytes within the file
    size_t size = 0;
};

// Throws EInvalidGraphic with an IcoError reason.
std::vector<IcoEntry> ReadIcoDirectory(std::span<const uint8_t> data, const IcoLimits& limits = {});

// The entry whose width is nearest to size, the deepest of equals, the first of those.
// entries must not be empty.
size_t ChooseIconEntry(std::span<const IcoEntry> entries, int size);

} // namespace ks
