#include "app/PasswordRule.h"

#include "vcl/Random.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <string>

namespace {

// Replays a fixed sequence of positions and records the ranges it was asked for.
class ScriptedRandom : public ks::RandomSource {
public:
    explicit ScriptedRandom(std::vector<uint32_t> picks) : FPicks(std::move(picks)) {}
    void Reseed() override { ++Reseeds; }
    uint32_t Below(uint32_t n) override
    {
        Ranges.insert(n);
        uint32_t v = FPicks[FNext++ % FPicks.size()];
        EXPECT_LT(v, n);
        return v;
    }
    int Reseeds = 0;
    std::set<uint32_t> Ranges;

private:
    std::vector<uint32_t> FPicks;
    size_t FNext = 0;
};

TEST(PasswordRule, PoolsAreTheRulesCharactersInOrder)
{
    EXPECT_EQ(ks::DigitsPool.size(), 20u);
    EXPECT_EQ(ks::LowerCasePool.size(), 26u);
    EXPECT_EQ(ks::CapitalsPool.size(), 26u);
    EXPECT_EQ(ks::SpecialsPool.size(), 31u);
    for (char d = '0'; d <= '9'; ++d)
        EXPECT_EQ(std::count(ks::DigitsPool.begin(), ks::DigitsPool.end(), d), 2) << d;
    for (char c : std::string_view(" \\'\"")) // the blank, backslash, apostrophe and double quote
        EXPECT_NE(ks::SpecialsPool.find(c), std::string_view::npos) << c;
    EXPECT_EQ(std::set<char>(ks::SpecialsPool.begin(), ks::SpecialsPool.end()).size(), 31u);
}

TEST(PasswordRule, CharacterSetConcatenatesTickedPoolsInCheckBoxOrder)
{
    struct Case {
        const char* name;
        ks::CharacterClasses classes;
        std::string expected;
    };
    const std::string digits(ks::DigitsPool), lower(ks::LowerCasePool), caps(ks::CapitalsPool),
        specials(ks::SpecialsPool);
    const Case cases[] = {
        {"none", {}, ""},
        {"digits", {true, false, false, false}, digits},
        {"capitals and specials", {false, false, true, true}, caps + specials},
        {"all", {true, true, true, true}, digits + lower + caps + specials},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ks::CharacterSet(c.classes), c.expected);
    }
    EXPECT_EQ(ks::CharacterSet({true, true, true, true}).size(), 103u);
}

TEST(PasswordRule, PicksByPositionFromTheWholeSet)
{
    const std::string set = ks::CharacterSet({true, true, true, true});
    ScriptedRandom random({0, 20, 46, 72, 102, 96});
    EXPECT_EQ(ks::GeneratePassword(set, 6, random), L"1aA!{ ");
    EXPECT_EQ(random.Ranges, std::set<uint32_t>{103});
    EXPECT_EQ(random.Reseeds, 1);
}

TEST(PasswordRule, LengthAndEmptyCases)
{
    ScriptedRandom random({3});
    EXPECT_EQ(ks::GeneratePassword("abcd", 1, random), L"d");
    EXPECT_EQ(ks::GeneratePassword("abcd", 10, random), std::wstring(10, L'd'));
    EXPECT_EQ(ks::GeneratePassword("abcd", 0, random), L"");
    EXPECT_EQ(ks::GeneratePassword("", 10, random), L"");
}

// The runtime generator from a fixed seed: a uniform source whose sample never changes.
class SeededRandom : public ks::RandomSource {
public:
    void Reseed() override {}
    uint32_t Below(uint32_t n) override { return Random(n); }
};

// With only the digits ticked every digit is equally likely, because each stands twice in the
// pool: a fixed sample from a uniform source passes a chi-square test on the ten digits.
TEST(PasswordRule, DigitsOnlyAreEquallyLikely)
{
    RandSeed = 20261206;
    SeededRandom random;
    const std::wstring password = ks::GeneratePassword(ks::DigitsPool, 100000, random);
    std::map<wchar_t, int> counts;
    for (wchar_t c : password)
        ++counts[c];
    ASSERT_EQ(counts.size(), 10u);
    // Chi-square with 9 degrees of freedom: 27.88 is its 0.999 quantile.
    double chiSquare = 0;
    for (auto [digit, n] : counts)
        chiSquare += (n - 10000.0) * (n - 10000.0) / 10000.0;
    EXPECT_LT(chiSquare, 27.88);
}

} // namespace
