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
    EXPECT_EQ(ks::GeneratePassword(set, 6, random), std::string("1aA!{ "));
    EXPECT_EQ(random.Ranges, std::set<uint32_t>{103});
    EXPECT_EQ(random.Reseeds, 1);
}

TEST(PasswordRule, LengthAndEmptyCases)
{
    ScriptedRandom random({3});
    EXPECT_EQ(ks::GeneratePassword("abcd", 1, random), "d");
    EXPECT_EQ(ks::GeneratePassword("abcd", 10, random), std::string(10, 'd'));
    EXPECT_EQ(ks::GeneratePassword("abcd", 0, random), "");
    EXPECT_EQ(ks::GeneratePassword("", 10, random), "");
}

// With only the digits ticked every digit is equally likely, because each stands twice in the
// pool; drawn from the system's source, the counts stay within a generous bound of the mean.
TEST(PasswordRule, DigitsOnlyAreEquallyLikely)
{
    ks::CryptoRandom random;
    const std::string password = ks::GeneratePassword(ks::DigitsPool, 100000, random);
    std::map<char, int> counts;
    for (char c : password)
        ++counts[c];
    ASSERT_EQ(counts.size(), 10u);
    for (auto [digit, n] : counts)
        EXPECT_NEAR(n, 10000, 600) << digit; // about 6 standard deviations
}

} // namespace
