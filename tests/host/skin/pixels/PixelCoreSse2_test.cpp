#include "skin/pixels/PixelCoreSse2.h"

#include "skin/pixels/PixelCore.h"

#include "host/support/PixelImage.h"
#include "host/skin/pixels/RowLoopCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>

namespace {

using Image = ks::test::PixelImage;

// Rows of every length from one pixel to past four 16-byte blocks (so every tail length after the
// 64- and 16-byte steps appears), with strides of both signs and every weight, against the plain
// loop byte for byte.
TEST(PixelCoreSse2, BlendFixedBytesMatchesThePlainLoop)
{
    for (int bpp : {24, 32}) {
        for (int width = 1; width <= 67; ++width) {
            const unsigned seed = static_cast<unsigned>(bpp * 100 + width);
            SCOPED_TRACE("bpp " + std::to_string(bpp) + " width " + std::to_string(width) + " seed " +
                         std::to_string(seed));
            std::mt19937 rng(seed);
            Image dst(width, 3, bpp, width % 2 == 0), src(width, 3, bpp, width % 3 == 0, 7);
            dst.Randomise(rng);
            src.Randomise(rng);
            for (int weight = 0; weight < 256; ++weight) {
                const Image fast = dst, plain = dst;
                ks::BlendFixedBytesSse2(fast.View().Row(0), fast.View().stride, src.View().Row(0), src.View().stride,
                                        fast.RowBytes(), 3, static_cast<uint8_t>(weight));
                ks::BlendFixedBytes(plain.View().Row(0), plain.View().stride, src.View().Row(0), src.View().stride,
                                    plain.RowBytes(), 3, static_cast<uint8_t>(weight));
                ASSERT_EQ(fast.Pixels(), plain.Pixels()) << "weight " << weight;
                ASSERT_TRUE(fast.FencesIntact()) << "weight " << weight;
            }
        }
    }
}

TEST(PixelCoreSse2, HotRowLoopsMatchThePlainLoops)
{
    using ks::test::EachRow;
    using ks::test::Keyed;
    const ks::test::RowLoopCase cases[] = {
        {"alpha 32 to 24", 24, 32, EachRow(ks::AlphaBlendPixels32To24Sse2), ks::AlphaBlendPixels32To24},
        {"alpha 32 to 32", 32, 32, EachRow(ks::AlphaBlendPixels32To32Sse2), ks::AlphaBlendPixels32To32},
        {"keyed copy 24", 24, 24, EachRow(Keyed(ks::CopyKeyedPixels24Sse2)), Keyed(ks::CopyKeyedPixels24)},
        {"keyed copy 32", 32, 32, EachRow(Keyed(ks::CopyKeyedPixels32Sse2)), Keyed(ks::CopyKeyedPixels32)},
        {"streaming keyed copy 24", 24, 24, EachRow(Keyed(ks::CopyKeyedPixels24Sse2Streaming)),
         Keyed(ks::CopyKeyedPixels24)},
        {"streaming keyed copy 32", 32, 32, EachRow(Keyed(ks::CopyKeyedPixels32Sse2Streaming)),
         Keyed(ks::CopyKeyedPixels32)},
    };
    for (const auto& c : cases)
        ks::test::ExpectSameAsPlain(c);
}

// Rows of every length up to past sixteen four-pixel steps, from several columns, at the weights
// of the ends and the middle and a few others, against the plain loop byte for byte: the mix
// keeps every alpha byte and writes nothing past the row.
TEST(PixelCoreSse2, MixMatchesThePlainLoop)
{
    for (int width = 0; width <= 67; ++width)
        for (int column = 0; column < 3; ++column) {
            const unsigned seed = static_cast<unsigned>(width * 3 + column);
            SCOPED_TRACE("width " + std::to_string(width) + " column " + std::to_string(column));
            std::mt19937 rng(seed);
            const int span = std::max(width + column, 1);
            Image a(span, 2, 24, seed % 2 == 0, 3), b(span, 2, 24, seed % 3 == 0, 1), dst(span, 2, 32, seed % 5 == 0);
            a.Randomise(rng);
            b.Randomise(rng);
            dst.Randomise(rng);
            for (int alpha : {0, 1, 127, 128, 200, 254, 255, static_cast<int>(rng() % 256)}) {
                const Image fast = dst, plain = dst;
                for (int y = 0; y < 2; ++y) {
                    ks::MixPixels24To32Sse2(fast.At(column, y), a.At(column, y), b.At(column, y), width,
                                            static_cast<uint8_t>(alpha));
                    ks::MixPixels24To32(plain.At(column, y), a.At(column, y), b.At(column, y), width,
                                        static_cast<uint8_t>(alpha));
                }
                ASSERT_EQ(fast.Pixels(), plain.Pixels()) << "alpha " << alpha;
                ASSERT_TRUE(fast.FencesIntact()) << "alpha " << alpha;
            }
        }
}

} // namespace
