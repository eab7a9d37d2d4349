#pragma once
// The check every specialised row loop of the pixel core passes: the bytes of its plain loop on
// rows of every length from 0 to past two 32-pixel steps, starting at several columns (so at odd
// addresses), in images both ways up with padded rows and fences, over source rows with runs of
// key-coloured pixels and of alpha 0 and 255 long enough to fill whole steps.

#include "skin/pixels/PixelCore.h"

#include "host/support/PixelImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>

namespace ks::test {

inline constexpr uint8_t RowLoopKey[3] = {0xFF, 0x00, 0xFF};

// A row loop in the shape of the tables' loops, the key given where one is taken, and a loop over
// the rows of a piece.
using RowLoop = std::function<void(uint8_t* dst, const uint8_t* src, int count)>;
using RowsLoop =
    std::function<void(uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int count, int rows)>;

inline RowsLoop EachRow(RowLoop row)
{
    return [row](uint8_t* dst, ptrdiff_t dstStride, const uint8_t* src, ptrdiff_t srcStride, int count, int rows) {
        for (int y = 0; y < rows; ++y, dst += dstStride, src += srcStride)
            row(dst, src, count);
    };
}

struct RowLoopCase {
    const char* name;
    int dstBpp, srcBpp;
    RowsLoop fast;
    RowLoop plain;
};

inline void Sprinkle(const PixelImage& image, std::mt19937& rng)
{
    const int bytes = image.Bytes();
    for (int y = 0; y < image.View().height; ++y)
        for (int x = 0; x < image.View().width;) {
            const int run = static_cast<int>(rng() % 40) + 1;
            const unsigned kind = rng() % 4;
            for (int k = 0; k < run && x < image.View().width; ++k, ++x) {
                uint8_t* p = image.At(x, y);
                if (kind == 0)
                    std::copy_n(RowLoopKey, 3, p);
                if (bytes == 4 && kind == 1)
                    p[3] = 0;
                if (bytes == 4 && kind == 2)
                    p[3] = 255;
            }
        }
}

inline void ExpectSameAsPlain(const RowLoopCase& c)
{
    SCOPED_TRACE(c.name);
    constexpr int Rows = 3, MaxWidth = 67, Columns = 4;
    for (int width = 0; width <= MaxWidth; ++width)
        for (int column = 0; column < Columns; ++column) {
            const unsigned seed = static_cast<unsigned>(width * Columns + column);
            SCOPED_TRACE("width " + std::to_string(width) + " column " + std::to_string(column) + " seed " +
                         std::to_string(seed));
            std::mt19937 rng(seed);
            const int span = width + column;
            PixelImage src(std::max(span, 1), Rows, c.srcBpp, seed % 2 == 0, 7);
            PixelImage dst(std::max(span, 1), Rows, c.dstBpp, seed % 3 == 0, 1 + static_cast<int>(seed % 5));
            src.Randomise(rng);
            dst.Randomise(rng);
            Sprinkle(src, rng);
            const PixelImage fast = dst, plain = dst;
            c.fast(fast.At(column, 0), fast.View().stride, src.At(column, 0), src.View().stride, width, Rows);
            for (int y = 0; y < Rows; ++y)
                c.plain(plain.At(column, y), src.At(column, y), width);
            ASSERT_EQ(fast.Pixels(), plain.Pixels());
            ASSERT_TRUE(fast.FencesIntact());
        }
}

// Keyed copies in the row loop's shape, with the key above.
inline RowLoop Keyed(KeyedCopyLoop loop)
{
    return [loop](uint8_t* dst, const uint8_t* src, int count) { loop(dst, src, count, RowLoopKey); };
}

// Lowers the tables' level for the life of a test.
class SimdLevelLimit {
public:
    explicit SimdLevelLimit(SimdLevel level) : FOld(LimitSimdLevel(level)) {}
    ~SimdLevelLimit() { LimitSimdLevel(FOld); }
    SimdLevelLimit(const SimdLevelLimit&) = delete;
    SimdLevelLimit& operator=(const SimdLevelLimit&) = delete;

private:
    SimdLevel FOld;
};

} // namespace ks::test
