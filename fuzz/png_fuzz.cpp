// Fuzz target for the PNG decoder: any input either loads within the limits, with a raster that
// matches its header, or is refused with the project's exception.
// The last input byte chooses the mode: bit 0 rewrites every chunk CRC first, so mutations get
// past the checksum; bit 1 loads a second time through the same colour manager, which must give
// the same raster; bit 2 watches the progress notifications.
#include "skin/images/PngDecoder.h"
#include "vcl/SysUtils.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

uint32_t BigEndian(const uint8_t* p)
{
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void FixCrcs(std::vector<uint8_t>& file)
{
    size_t pos = 8;
    while (pos + 12 <= file.size()) {
        const uint32_t length = BigEndian(&file[pos]);
        if (length > file.size() - pos - 12)
            return;
        const uint32_t crc = static_cast<uint32_t>(crc32(0, &file[pos + 4], length + 4));
        uint8_t* out = &file[pos + 8 + length];
        for (int i = 0; i < 4; ++i)
            out[i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
        pos += 12 + size_t{length};
    }
}

bool SameRaster(const ks::MemoryRaster& a, const ks::MemoryRaster& b)
{
    if (a.Format() != b.Format() || a.Width() != b.Width() || a.Height() != b.Height() || a.Palette() != b.Palette())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), a.Stride()) != 0)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t mode = data[size - 1];
    std::vector<uint8_t> file(data, data + size - 1);
    if (mode & 1)
        FixCrcs(file);

    ks::PngLimits limits;
    limits.maxImageBytes = 1u << 20;
    int lastPercent = 0;
    ks::PngProgressHandler progress;
    if (mode & 4)
        progress = [&](const ks::PngProgress& p) {
            if (p.percentDone < 0 || p.percentDone > 100 || (p.stage == psRunning && p.percentDone < lastPercent))
                std::abort();
            lastPercent = p.stage == psRunning ? p.percentDone : lastPercent;
        };

    TColorManager manager;
    ks::MemoryRaster raster;
    ks::PngLoadResult result;
    try {
        result = ks::LoadPng(file, manager, raster, limits, progress);
    } catch (const Exception&) {
        return 0;
    }
    const ks::PngHeaderInfo& h = result.header;
    const int bpp = raster.BitsPerPixel();
    if (raster.Width() != static_cast<int>(h.Width) || raster.Height() != static_cast<int>(h.Height) ||
        (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) ||
        raster.Palette().size() != (bpp <= 8 ? size_t{1} << bpp : 0) ||
        raster.Stride() * static_cast<uint64_t>(raster.Height()) > limits.maxImageBytes || result.bytesRead > file.size())
        std::abort();

    if (mode & 2) {
        ks::MemoryRaster again;
        ks::LoadPng(file, manager, again, limits);
        if (!SameRaster(raster, again))
            std::abort();
    }
    return 0;
}
