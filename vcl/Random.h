#pragma once
// Random numbers: the runtime's seeded generator (RandSeed, Randomize, Random) and the
// system's cryptographic generator, behind one small interface so that the password rule can
// draw from either and its tests can replay a fixed seed.
//
// Random(L) is a linear congruential generator: RandSeed := RandSeed * 134775813 + 1
// (mod 2^32), and the result is the high 32 bits of the 64-bit product RandSeed * L, so it lies
// in 0..L-1 (0 for L = 0). Its 2^32 states make it unfit for secrets; passwords draw from
// CryptoRandom.

#include <cstddef>
#include <cstdint>
#include <span>

// The generator's state; set it directly to replay a sequence.
extern uint32_t RandSeed;
// RandSeed := the low 32 bits of the high-resolution performance counter, or the millisecond
// tick count where there is none (the host uses its monotonic clock).
void Randomize();
uint32_t Random(uint32_t range) noexcept;

namespace ks {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Prepares a new sequence (the password rule reseeds before every password).
    virtual void Reseed() = 0;
    // A uniform integer in 0..n-1; 0 when n is 0.
    virtual uint32_t Below(uint32_t n) = 0;
};

// The runtime generator: Reseed is Randomize, Below is Random.
class RuntimeRandom : public RandomSource {
public:
    void Reseed() override { Randomize(); }
    uint32_t Below(uint32_t n) override { return Random(n); }
};

// The system's cryptographic generator (BCryptGenRandom on Windows, getrandom on the host),
// read in blocks. Below rejects the values that would make some results likelier than others,
// so every position is exactly equally likely. Raises EOSError if the system source fails.
class CryptoRandom : public RandomSource {
public:
    ~CryptoRandom() override;
    void Reseed() override {}
    uint32_t Below(uint32_t n) override;

private:
    uint32_t Next32();

    uint8_t FBlock[256];
    size_t FUsed = sizeof FBlock;
};

// Fills out from the system's cryptographic generator; raises EOSError if it fails.
void FillCryptoRandom(std::span<uint8_t> out);

// The value Randomize seeds from (performance counter, tick count or monotonic clock).
uint32_t RandomizeClock() noexcept;

} // namespace ks
