#include "skin/pixels/PixelCoreAvx2.h"

#include "skin/pixels/PixelCore.h"

#include "host/skin/pixels/RowLoopCheck.h"
#include "host/support/PixelImage.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The mask blend over three images of their own strides, and over rows that share memory with the
// destination (in place, and a byte apart), which go to the plain loop.
TEST(PixelCoreAvx2, MaskBlendRowsMatchThePlainLoop)
{
    if (!HaveAvx2())
        GTEST_SKIP() << "the processor has no AVX2";
    for (int width = 0; width <= 67; ++width)
        for (int column = 0; column < 4; ++column) {
            const unsigned seed = static_cast<unsigned>(width * 4 + column);
            SCOPED_TRACE("width " + std::to_string(width) + " column " + std::to_string(column) + " seed " +
                         std::to_string(seed));
            std::mt19937 rng(seed);
            Image dst(width + column, 3, 24, seed % 2 == 0, 1 + static_cast<int>(seed % 3));
            Image src(width + column, 3, 24, seed % 3 == 0, 7), mask(width + column, 3, 24, seed % 5 == 0, 2);
            for (Image* image : {&dst, &src, &mask})
                image->Randomise(rng);
            const size_t rowBytes = static_cast<size_t>(3 * width);
            const Image fast = dst, plain = dst;
            ks::MaskBlendRowsAvx2(fast.At(column, 0), fast.View().stride, src.At(column, 0), src.View().stride,
                                  mask.At(column, 0), mask.View().stride, rowBytes, 3);
            for (int y = 0; y < 3; ++y)
                ks::MaskBlendBytes(plain.At(column, y), src.At(column, y), mask.At(column, y), rowBytes);
            ASSERT_EQ(fast.Pixels(), plain.Pixels());
            ASSERT_TRUE(fast.FencesIntact());

            for (int shift : {0, 1}) {
                SCOPED_TRACE("sharing, shift " + std::to_string(shift));
                const Image sharedFast = dst, sharedPlain = dst;
                const size_t bytes = rowBytes - std::min<size_t>(rowBytes, shift);
                ks::MaskBlendRowsAvx2(sharedFast.At(column, 0), sharedFast.View().stride,
                                      sharedFast.At(column, 0) + shift, sharedFast.View().stride, mask.At(column, 0),
                                      mask.View().stride, bytes, 3);
                for (int y = 0; y < 3; ++y)
                    ks::MaskBlendBytes(sharedPlain.At(column, y), sharedPlain.At(column, y) + shift,
                                       mask.At(column, y), bytes);
                ASSERT_EQ(sharedFast.Pixels(), sharedPlain.Pixels());
            }
        }
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
