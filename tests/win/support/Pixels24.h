#pragma once
// Pixel access to 24-bit bitmaps through their scan lines, for the tests of the painters: a pixel
// reads as the three stored bytes B, G, R taken little-endian (0xRRGGBB), so values compare with
// the colours written the same way; and colours compared within a tolerance.
#include "skin/core/CacheBitmaps.h"
#include "vcl/Bitmap.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace ks::test {

inline uint32_t Get24(TBitmap& b, int x, int y)
{
    const uint8_t* p = b.ScanLine(y) + 3 * x;
    return p[0] | p[1] << 8 | p[2] << 16;
}

inline void Set24(TBitmap& b, int x, int y, uint32_t bgr)
{
    std::memcpy(b.ScanLine(y) + 3 * x, &bgr, 3);
}

// A COLORREF or resolved colour as Get24 reads it back.
inline uint32_t Get24Of(COLORREF c)
{
    return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

// Every pixel of b, written through its scan lines.
inline void Fill24(TBitmap& b, uint32_t bgr)
{
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            Set24(b, x, y, bgr);
}

// Colours within tolerance of each other in every channel: blends and alpha round on the way.
inline bool Near(TColor a, TColor b, int tolerance = 2)
{
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

// A new 24-bit bitmap of one colour.
inline std::unique_ptr<TBitmap> Filled(int w, int h, uint32_t bgr)
{
    auto b = NewBitmap24(w, h);
    Fill24(*b, bgr);
    return b;
}

} // namespace ks::test
