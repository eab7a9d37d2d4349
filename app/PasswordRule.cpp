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

std::wstring GeneratePassword(std::string_view set, uint32_t length, RandomSource& random)
{
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

} // namespace ks
