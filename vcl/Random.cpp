#include "vcl/Random.h"

#include <cstring>

uint32_t RandSeed = 0;

void Randomize()
{
    RandSeed = ks::RandomizeClock();
}

uint32_t Random(uint32_t range) noexcept
{
    RandSeed = RandSeed * 134775813u + 1u;
    return static_cast<uint32_t>((static_cast<uint64_t>(RandSeed) * range) >> 32);
}

namespace ks {

CryptoRandom::~CryptoRandom()
{
    // Unused random bytes are password material; do not leave them in freed memory. volatile
    // keeps the compiler from dropping a store to memory that is about to die.
    volatile uint8_t* p = FBlock;
    for (size_t i = 0; i < sizeof FBlock; ++i)
        p[i] = 0;
}

uint32_t CryptoRandom::Next32()
{
    if (FUsed + 4 > sizeof FBlock) {
        FillCryptoRandom(FBlock);
        FUsed = 0;
    }
    uint32_t v;
    std::memcpy(&v, FBlock + FUsed, 4);
    FUsed += 4;
    return v;
}

uint32_t CryptoRandom::Below(uint32_t n)
{
    if (n == 0)
        return 0;
    // 2^32 mod n values at the top of the range would favour the smallest results; draw again
    // when one comes up (fewer than one draw in two, whatever n is).
    const uint32_t limit = 0u - (0u - n) % n;
    for (;;) {
        uint32_t v = Next32();
        if (limit == 0 || v < limit)
            return v % n;
    }
}

} // namespace ks
