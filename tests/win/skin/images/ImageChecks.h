#pragma once
// Pixel reads and the alpha-blend oracle shared by the image tests.

#include "vcl/Bitmap.h"

#include <cstdint>

namespace ks::test {

// The colour of pixel (x, y) of a 24- or 32-bit bitmap as 0xRRGGBB.
inline uint32_t At(TBitmap& b, int x, int y)
{
    const uint8_t* p = b.ScanLine(y) + (b.PixelFormat() == pf32bit ? 4 : 3) * x;
    return p[2] << 16 | p[1] << 8 | p[0];
}

// The alpha blend of the engine's pixel routines, per channel of two 0xRRGGBB colours.
inline uint32_t Blend(uint32_t s, uint32_t d, int a)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF;
        out |= static_cast<uint32_t>(((sc - dc) * a + dc * 256) >> 8 & 0xFF) << shift;
    }
    return out;
}

} // namespace ks::test
