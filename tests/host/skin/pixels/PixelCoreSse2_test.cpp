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

} // namespace
