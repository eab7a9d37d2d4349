#pragma once
// The password rule: the four character pools in the order of their check boxes, and a password
// drawn from their concatenation by position, so a character that occurs twice in the set is
// twice as likely (the digits pool holds every digit twice).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ks {

class RandomSource;

// The pools, as the main window's check boxes name them; the order of the characters is part of
// the rule because a character is picked by its position.
inline constexpr std::string_view DigitsPool = "19283746504378192560";
inline constexpr std::string_view LowerCasePool = "abcdefghijklmnopqrstuvwxyz";
inline constexpr std::string_view CapitalsPool = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr std::string_view SpecialsPool = "!@#$%^&*()_+|\\=-<>.,/?'; :\"][}{";

struct CharacterClasses {
    bool Digits = false;
    bool LowerCase = false;
    bool Capitals = false;
    bool Specials = false;
};

// The ticked pools, concatenated in check-box order; empty when none is ticked.
std::string CharacterSet(const CharacterClasses& classes);

// Where picks take their random bytes from: FillCryptoRandom in the program.
using RandomBytes = void (*)(std::span<uint8_t> out);

// length characters, each picked uniformly by position from set, as the text the password field
// shows. The result is allocated whole before drawing, so a length that cannot be held raises
// std::bad_alloc before any work is done; an empty set or a length of 0 gives an empty password.
// With the system's cryptographic source (CryptoRandom) and a set of up to 256 characters the
// picks are made as GeneratePasswordFromBytes makes them, from FillCryptoRandom; any other source
// is asked for each position.
std::wstring GeneratePassword(std::string_view set, uint32_t length, RandomSource& random);

// The same rule with one random byte per attempt: a byte below the largest multiple of the set's
// size that fits in 256 picks the position it leaves as remainder, and any other byte is drawn
// again, so every position is exactly equally likely. Raises EInvalidOperation for a set of more
// than 256 characters, which no byte could cover.
std::wstring GeneratePasswordFromBytes(std::string_view set, uint32_t length, RandomBytes fill);

} // namespace ks
