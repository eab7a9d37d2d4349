#pragma once
// Binary values as a form text writes them: bytes as hex digits, and a bitmap's Data (its byte
// count, then the bitmap file) made in the test.
#include "host/support/ImageBuilders.h"
#include "vcl/Graphics.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ks::test {

inline std::string HexDigits(std::span<const uint8_t> bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

// The Data of a 24-bit bitmap w by h of one colour, but for its bottom-left pixel: the key
// colour of glyphs that are drawn keyed.
inline std::string BitmapDataText(int w, int h, TColor fill, TColor bottomLeft)
{
    BmpBuilder b;
    b.width = w;
    b.height = h;
    const int stride = (w * 3 + 3) / 4 * 4;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t c = static_cast<uint32_t>(x == 0 && y == 0 ? bottomLeft : fill);
            b.pixels.insert(b.pixels.end(), {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                             static_cast<uint8_t>(c)});
        }
        b.pixels.resize(static_cast<size_t>((y + 1) * stride));
    }
    const std::vector<uint8_t> file = b.Build();
    std::vector<uint8_t> data;
    PutU32(data, static_cast<uint32_t>(file.size()));
    data.insert(data.end(), file.begin(), file.end());
    return "{" + HexDigits(data) + "}";
}

} // namespace ks::test
