// Fuzz target for the JPEG decoder: any input is either refused with the project's exception
// (libjpeg's errors and warnings included) or decodes into an image within the limits.
#include "vcl/JpegDecoder.h"
#include "vcl/SysUtils.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ks::JpegLimits limits;
    limits.MaxPixels = 1u << 20;
    limits.MaxScans = 32;
    ks::JpegImage img;
    try {
        img = ks::DecodeJpeg({data, size}, limits);
    } catch (const Exception&) {
        return 0;
    }
    if (img.width <= 0 || img.height <= 0 ||
        static_cast<uint64_t>(img.width) * static_cast<uint64_t>(img.height) > limits.MaxPixels ||
        img.pixels.size() != img.Stride() * static_cast<size_t>(img.height))
        std::abort();
    return 0;
}
