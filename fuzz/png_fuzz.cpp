// Fuzz target for the PNG decoder: any input either loads within the limits, with a raster that
// matches its header, or is refused with the project's exception. Where libpng reads the file
// too, every pixel must be the sample libpng reads, as the bitmap format stores it (the same
// mapping as the decoder's tests); files with a gamma the decoder applies are not compared.
// The last input byte chooses the mode: bit 0 rewrites every chunk CRC first, so mutations get
// past the checksum; bit 1 loads a second time through the same colour manager, which must give
// the same raster; bit 2 watches the progress notifications.
#include "host/support/PngBuilder.h"
#include "skin/images/PngDecoder.h"
#include "vcl/SysUtils.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <optional>
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

// What the raster holds for libpng's sample at (x, y): grey and palette levels as indexes (2-bit
// grey widened to 4 bits), colour as blue-green-red(-alpha), 16 bits reduced by 255 / 65535, the
// alpha of grey images dropped.
uint32_t ExpectedPixel(const ks::test::PngImage& image, uint32_t x, uint32_t y)
{
    const auto s = [&](unsigned c) {
        const uint32_t v = image.Sample(x, y, c);
        return image.bitDepth == 16 ? v * 255u / 65535u : v;
    };
    switch (image.colorType) {
    case 0: return image.bitDepth == 2 ? s(0) * 5 : s(0);
    case 2: return s(2) | (s(1) << 8) | (s(0) << 16);
    case 6: return s(2) | (s(1) << 8) | (s(0) << 16) | (s(3) << 24);
    default: return s(0);
    }
}

uint32_t RasterPixel(const ks::MemoryRaster& r, uint32_t x, uint32_t y)
{
    const uint8_t* row = r.Row(static_cast<int>(y));
    const int bpp = r.BitsPerPixel();
    if (bpp <= 8) {
        const size_t bit = static_cast<size_t>(x) * bpp;
        return (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
    }
    const uint8_t* p = row + static_cast<size_t>(x) * (bpp / 8);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (bpp == 32 ? static_cast<uint32_t>(p[3]) << 24 : 0u);
}

bool MatchesLibpng(const std::vector<uint8_t>& file, const ks::MemoryRaster& raster)
{
    const std::optional<ks::test::PngImage> oracle = ks::test::LibpngDecode(file);
    if (!oracle)
        return true;
    if (oracle->width != static_cast<uint32_t>(raster.Width()) || oracle->height != static_cast<uint32_t>(raster.Height()))
        return false;
    for (uint32_t y = 0; y < oracle->height; ++y)
        for (uint32_t x = 0; x < oracle->width; ++x)
            if (RasterPixel(raster, x, y) != ExpectedPixel(*oracle, x, y))
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
    limits.MaxImageBytes = 1u << 20;
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
        raster.Stride() * static_cast<uint64_t>(raster.Height()) > limits.MaxImageBytes || result.bytesRead > file.size())
        std::abort();

    if ((h.Flags & 2) == 0 && !MatchesLibpng(file, raster))
        std::abort();

    if (mode & 2) {
        ks::MemoryRaster again;
        ks::LoadPng(file, manager, again, limits);
        if (!SameRaster(raster, again))
            std::abort();
    }
    return 0;
}
