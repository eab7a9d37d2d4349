#include "skin/pixels/PixelCoreAvx2.h"

#include "skin/pixels/PixelCore.h"

#include "host/skin/pixels/RowLoopCheck.h"
#include "host/support/PixelImage.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using Image = ks::test::PixelImage;

bool HaveAvx2()
{
    return ks::CpuSimdLevel() >= ks::SimdLevel::Avx2;
}

TEST(PixelCoreAvx2, HotRowLoopsMatchThePlainLoops)
{
    if (!HaveAvx2())
        GTEST_SKIP() << "the processor has no AVX2";
    using ks::test::EachRow;
    using ks::test::Keyed;
    const ks::test::RowLoopCase cases[] = {
        {"alpha 32 to 24", 24, 32, ks::AlphaBlendRows32To24Avx2, ks::AlphaBlendPixels32To24},
        {"alpha 32 to 32", 32, 32, ks::AlphaBlendRows32To32Avx2, ks::AlphaBlendPixels32To32},
        {"keyed copy 24", 24, 24, EachRow(Keyed(ks::CopyKeyedPixels24Avx2)), Keyed(ks::CopyKeyedPixels24)},
        {"keyed copy 32", 32, 32, EachRow(Keyed(ks::CopyKeyedPixels32Avx2)), Keyed(ks::CopyKeyedPixels32)},
    };
    for (const auto& c : cases)
        ks::test::ExpectSameAsPlain(c);
}

// Rows of every length up to past two 64-byte steps, at odd columns, with strides of both signs, at
// weights that cover both ends and the middle, against the plain loop.
TEST(PixelCoreAvx2, BlendFixedBytesMatchesThePlainLoop)
{
    if (!HaveAvx2())
        GTEST_SKIP() << "the processor has no AVX2";
    for (int bpp : {24, 32})
        for (int width = 0; width <= 67; ++width)
            for (int column : {0, 1}) {
                const unsigned seed = static_cast<unsigned>(bpp * 1000 + width * 2 + column);
                SCOPED_TRACE("bpp " + std::to_string(bpp) + " width " + std::to_string(width) + " column " +
                             std::to_string(column) + " seed " + std::to_string(seed));
                std::mt19937 rng(seed);
                Image dst(width + column, 3, bpp, width % 2 == 0), src(width + column, 3, bpp, width % 3 == 0, 7);
                dst.Randomise(rng);
                src.Randomise(rng);
                const size_t rowBytes = static_cast<size_t>(width) * bpp / 8;
                for (int weight : {0, 1, 127, 128, 200, 254, 255}) {
                    const Image fast = dst, plain = dst;
                    ks::BlendFixedBytesAvx2(fast.At(column, 0), fast.View().stride, src.At(column, 0),
                                            src.View().stride, rowBytes, 3, static_cast<uint8_t>(weight));
                    ks::BlendFixedBytes(plain.At(column, 0), plain.View().stride, src.At(column, 0),
                                        src.View().stride, rowBytes, 3, static_cast<uint8_t>(weight));
                    ASSERT_EQ(fast.Pixels(), plain.Pixels()) << "weight " << weight;
                    ASSERT_TRUE(fast.FencesIntact()) << "weight " << weight;
                }
            }
}

} // namespace
