// Fuzz target for the BMP reader: any input either decodes within the limits and survives a
// write-and-read round trip unchanged, or is refused with the project's exception.
#include "vcl/BmpReader.h"
#include "vcl/SysUtils.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ks::BmpLimits limits;
    limits.MaxPixels = 1u << 20;
    ks::BmpImage img;
    try {
        img = ks::ReadBmp({data, size}, limits);
    } catch (const Exception&) {
        return 0;
    }
    const uint64_t pixels = static_cast<uint64_t>(img.width) * static_cast<uint64_t>(img.height);
    if (img.width <= 0 || img.height <= 0 || pixels > limits.MaxPixels ||
        img.pixels.size() != img.Stride() * static_cast<size_t>(img.height) ||
        img.palette.size() != (img.bpp <= 8 ? size_t{1} << img.bpp : 0))
        std::abort();

    ks::PixelView view{img.pixels.data(), static_cast<ptrdiff_t>(img.Stride()), img.width, img.height, img.bpp};
    ks::BmpImage again = ks::ReadBmp(ks::WriteBmp(view, img.palette), limits);
    if (again.bpp != img.bpp || again.palette != img.palette)
        std::abort();
    // Bits past the last pixel of a row are padding and need not survive.
    const size_t used = static_cast<size_t>(img.width) * img.bpp / 8;
    for (int y = 0; y < img.height; ++y)
        if (std::memcmp(again.pixels.data() + y * again.Stride(), img.pixels.data() + y * img.Stride(), used) != 0)
            std::abort();
    return 0;
}
