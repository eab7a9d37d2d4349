#include "app/PasswordRule.h"

#include "vcl/Random.h"

namespace ks {

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

std::string GeneratePassword(std::string_view set, uint32_t length, RandomSource& random)
{
    std::string password;
    if (set.empty())
        return password;
    password.reserve(length);
    random.Reseed();
    const auto size = static_cast<uint32_t>(set.size());
    for (uint32_t i = 0; i < length; ++i)
        password += set[random.Below(size)];
    return password;
}

} // namespace ks
