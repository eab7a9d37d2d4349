#include "vcl/Random.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(Random, ReproducesTheRuntimeSequence)
{
    // Expected values worked out separately with arbitrary-precision arithmetic:
    // seed' = seed * 134775813 + 1 mod 2^32, result = (seed' * L) div 2^32.
    const struct {
        uint32_t range;
        uint32_t seed;
        uint32_t result;
    } fromZero[] = {
        {1000, 0x00000001u, 0},
        {1000, 0x08088406u, 31},
        {103, 0xDC6DAC1Fu, 88},
        {0xFFFFFFFFu, 0x33DC589Cu, 870078619},
        {20, 0x45DE2B0Du, 5},
    };
    RandSeed = 0;
    for (const auto& c : fromZero) {
        SCOPED_TRACE(c.seed);
        EXPECT_EQ(Random(c.range), c.result);
        EXPECT_EQ(RandSeed, c.seed);
    }
}

TEST(Random, DegenerateRangesGiveZeroAndStillAdvance)
{
    RandSeed = 0xFFFFFFFFu;
    EXPECT_EQ(Random(1), 0u);
    EXPECT_EQ(RandSeed, 0xF7F77BFCu); // 0xFFFFFFFF * 134775813 + 1 mod 2^32
    EXPECT_EQ(Random(0), 0u);
    EXPECT_NE(RandSeed, 0xF7F77BFCu);
}

// With n = 3 * 2^30, taking raw 32-bit values modulo n would put half of all results below 2^30
// instead of a third. 20000 draws put the two apart by more than 25 standard deviations.
TEST(Random, CryptoSourceStaysInRangeWithoutModuloBias)
{
    ks::CryptoRandom source;
    EXPECT_EQ(source.Below(0), 0u);
    const uint32_t n = 0xC0000000u;
    const int draws = 20000;
    int low = 0;
    for (int i = 0; i < draws; ++i) {
        EXPECT_EQ(source.Below(1), 0u);
        EXPECT_LT(source.Below(103), 103u);
        const uint32_t v = source.Below(n);
        EXPECT_LT(v, n);
        low += v < 0x40000000u;
    }
    const double share = double(low) / draws;
    EXPECT_GT(share, 0.30);
    EXPECT_LT(share, 0.37);
}

} // namespace
