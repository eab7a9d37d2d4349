#include "app/PasswordRule.h"

#include "vcl/Random.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace ks {

namespace {

constexpr const char* SetTooLargeText = "A password set holds at most 256 characters";

// Bytes asked of the source at a time: enough that the cost of each request vanishes beside
// the bytes themselves, little enough for the stack.
constexpr size_t BlockSize = 4096;

// The bytes drawn and the picks made from them, wiped however the password ends: what is left
// over is password material. memset through a volatile pointer cannot be dropped as a store to
// memory about to die.
struct Scratch {
    std::array<uint8_t, BlockSize> Bytes;
    std::array<wchar_t, BlockSize> Picks;
    size_t Used = 0;

    ~Scratch()
    {
        static void* (*const volatile clear)(void*, int, size_t) = std::memset;
        clear(Bytes.data(), 0, Used);
        clear(Picks.data(), 0, Used * sizeof(wchar_t));
    }
};

} // namespace

std::string CharacterSet(const CharacterClasses& classes)
{
    std::string set;
    if (classes.Digits)
        set += DigitsPool;
    if (classes.LowerCase)
        set += LowerCasePool;
    if (classes.Capitals)
        set += CapitalsPool;
    if (classes.Specials)
        set += SpecialsPool;
    return set;
}

std::wstring GeneratePassword(std::string_view set, uint32_t length, RandomSource& random)
{
    // Asking the system's source for one position at a time costs a call, four bytes and two
    // divisions per character, three times what the bytes themselves cost; it is read in bulk.
    if (set.size() <= 256 && dynamic_cast<CryptoRandom*>(&random))
        return GeneratePasswordFromBytes(set, length, &FillCryptoRandom);
    std::wstring password;
    if (set.empty())
        return password;
    password.reserve(length);
    random.Reseed();
    const auto size = static_cast<uint32_t>(set.size());
    for (uint32_t i = 0; i < length; ++i)
        password += static_cast<wchar_t>(static_cast<unsigned char>(set[random.Below(size)]));
    return password;
}

std::wstring GeneratePasswordFromBytes(std::string_view set, uint32_t length, RandomBytes fill)
{
    if (set.size() > 256)
        throw EInvalidOperation(SetTooLargeText);
    std::wstring password;
    if (set.empty() || length == 0)
        return password;
    password.reserve(length);

    const auto size = static_cast<unsigned>(set.size());
    const unsigned limit = 256 - 256 % size;
    // Counted round rather than divided: a division a byte was a fifth of a short password's time.
    std::array<wchar_t, 256> table{};
    for (unsigned b = 0, position = 0; b < limit; ++b, position = position + 1 == size ? 0 : position + 1)
        table[b] = static_cast<unsigned char>(set[position]);

    Scratch scratch;
    while (password.size() < length) {
        const size_t left = length - password.size();
        // About as many bytes as the rest needs (256 / limit per character), so that a short
        // password does not pay for a whole block.
        const size_t want = std::min<size_t>(BlockSize, static_cast<uint64_t>(left) * 256 / limit + 16);
        scratch.Used = std::max(scratch.Used, want);
        fill({scratch.Bytes.data(), want});
        // Every byte is stored and only one below the limit advances, so a rejection costs no
        // mispredicted branch. Picks beyond the length are dropped, which takes nothing from
        // the uniformity of those kept.
        size_t taken = 0;
        for (size_t i = 0; i < want; ++i) {
            const uint8_t b = scratch.Bytes[i];
            scratch.Picks[taken] = table[b];
            taken += b < limit;
        }
        password.append(scratch.Picks.data(), std::min(taken, left));
    }
    return password;
}

} // namespace ks
