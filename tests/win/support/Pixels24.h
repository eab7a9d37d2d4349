#pragma once
// Pixel access to 24-bit bitmaps through their scan lines, for the tests of the painters: a pixel
// reads as the three stored bytes B, G, R taken little-endian (0xRRGGBB), so values compare with
// the colours written the same way; and colours compared within a tolerance.
#include "skin/core/CacheBitmaps.h"
#include "vcl/Bitmap.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
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

// A button glyph of size x size cells side by side, one per colour, in a key-coloured ring of
// the given width; without a ring only the bottom-left pixel, which the glyph painters read as
// the key, has the key colour.
inline std::unique_ptr<TBitmap> KeyedGlyphCells(std::initializer_list<TColor> colours, int size, TColor key, int ring = 0)
{
    auto b = NewBitmap24(size * static_cast<int>(colours.size()), size);
    HDC dc = b->Canvas().Handle();
    int x = 0;
    for (TColor c : colours) {
        HBRUSH keyBrush = CreateSolidBrush(static_cast<COLORREF>(key));
        HBRUSH fill = CreateSolidBrush(static_cast<COLORREF>(c));
        const RECT all{x, 0, x + size, size}, inner{x + ring, ring, x + size - ring, size - ring};
        FillRect(dc, &all, keyBrush);
        FillRect(dc, &inner, fill);
        DeleteObject(keyBrush);
        DeleteObject(fill);
        SetPixel(dc, x, size - 1, static_cast<COLORREF>(key));
        x += size;
    }
    GdiFlush();
    return b;
}

} // namespace ks::test
