#include "skin/pixels/PixelCoreSse2.h"

#include "skin/pixels/PixelCore.h"

#include "host/support/PixelImage.h"

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

// Random bytes with runs that take the loops' short cuts: key-coloured pixels (alone, in runs
// and filling whole blocks) and alpha 0 and 255.
void Sprinkle(const Image& image, std::mt19937& rng, const uint8_t key[3])
{
    const int bytes = image.Bytes();
    for (int y = 0; y < image.View().height; ++y) {
        int x = 0;
        while (x < image.View().width) {
            const int run = static_cast<int>(rng() % 20) + 1;
            const unsigned kind = rng() % 4;
            for (int k = 0; k < run && x < image.View().width; ++k, ++x) {
                uint8_t* p = image.At(x, y);
                if (kind == 0)
                    std::copy_n(key, 3, p);
                if (bytes == 4 && kind == 1)
                    p[3] = 0;
                if (bytes == 4 && kind == 2)
                    p[3] = 255;
            }
        }
    }
}

// Every row length up to past three 48-byte blocks, strides of both signs, against the plain loops.
TEST(PixelCoreSse2, HotRowLoopsMatchThePlainLoops)
{
    const uint8_t key[3] = {0xFF, 0x00, 0xFF};
    for (int width = 1; width <= 53; ++width) {
        const unsigned seed = static_cast<unsigned>(width);
        SCOPED_TRACE("width " + std::to_string(width) + " seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        Image src32(width, 3, 32, width % 2 == 0), src24(width, 3, 24, width % 3 == 0, 7);
        Image dst24(width, 3, 24, width % 2 == 1), dst32(width, 3, 32, true, 4);
        for (Image* image : {&src32, &src24, &dst24, &dst32})
            image->Randomise(rng);
        Sprinkle(src32, rng, key);
        Sprinkle(src24, rng, key);

        struct Case {
            const char* name;
            const Image& dst;
            std::function<void(const Image&, bool)> run;
        };
        const Case cases[] = {
            {"alpha 32 to 24", dst24,
             [&](const Image& d, bool fast) {
                 for (int y = 0; y < 3; ++y)
                     (fast ? ks::AlphaBlendPixels32To24Sse2 : ks::AlphaBlendPixels32To24)(d.At(0, y), src32.At(0, y),
                                                                                          width);
             }},
            {"alpha 32 to 32", dst32,
             [&](const Image& d, bool fast) {
                 for (int y = 0; y < 3; ++y)
                     (fast ? ks::AlphaBlendPixels32To32Sse2 : ks::AlphaBlendPixels32To32)(d.At(0, y), src32.At(0, y),
                                                                                          width);
             }},
            {"keyed copy 24", dst24,
             [&](const Image& d, bool fast) {
                 for (int y = 0; y < 3; ++y)
                     (fast ? ks::CopyKeyedPixels24Sse2 : ks::CopyKeyedPixels24)(d.At(0, y), src24.At(0, y), width, key);
             }},
            {"keyed copy 32", dst32,
             [&](const Image& d, bool fast) {
                 for (int y = 0; y < 3; ++y)
                     (fast ? ks::CopyKeyedPixels32Sse2 : ks::CopyKeyedPixels32)(d.At(0, y), src32.At(0, y), width, key);
             }},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            const Image fast = c.dst, plain = c.dst;
            c.run(fast, true);
            c.run(plain, false);
            EXPECT_EQ(fast.Pixels(), plain.Pixels());
            EXPECT_TRUE(fast.FencesIntact());
        }
    }
}

} // namespace
