#include "app/PasswordRule.h"

#include "vcl/Random.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <vector>
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

// The pick is by position, so the order of the characters is part of the rule.
TEST(PasswordRule, PoolsAreTheRulesCharactersInOrder)
{
    EXPECT_EQ(ks::DigitsPool, "19283746504378192560");
    EXPECT_EQ(ks::LowerCasePool, "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(ks::CapitalsPool, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(ks::SpecialsPool, "!@#$%^&*()_+|\\=-<>.,/?'; :\"][}{");
}

TEST(PasswordRule, CharacterSetConcatenatesTickedPoolsInCheckBoxOrder)
{
    const std::string digits(ks::DigitsPool), lower(ks::LowerCasePool), caps(ks::CapitalsPool),
        specials(ks::SpecialsPool);
    EXPECT_EQ(ks::CharacterSet({}), "");
    EXPECT_EQ(ks::CharacterSet({false, false, true, true}), caps + specials);
    EXPECT_EQ(ks::CharacterSet({true, true, true, true}), digits + lower + caps + specials);
}

TEST(PasswordRule, PicksByPositionFromTheWholeSetForTheLengthAsked)
{
    const std::string set = ks::CharacterSet({true, true, true, true});
    ScriptedRandom random({0, 20, 46, 72, 102, 96});
    EXPECT_EQ(ks::GeneratePassword(set, 6, random), L"1aA!{ ");
    EXPECT_EQ(random.Ranges, std::set<uint32_t>{103});
    EXPECT_EQ(random.Reseeds, 1);
    ScriptedRandom last({3});
    EXPECT_EQ(ks::GeneratePassword("abcd", 10, last), std::wstring(10, L'd'));
    EXPECT_EQ(ks::GeneratePassword("abcd", 0, last), L"");
    EXPECT_EQ(ks::GeneratePassword("", 10, last), L"");
}

// Bytes for the byte picks: a script replayed in a loop, or an endless stream where byte k is
// (k * 167 + 13) mod 256, which runs through all 256 values; each call carries on where the
// last one stopped, so the picks can be followed byte by byte whatever the request sizes.
std::vector<uint8_t> gScript;
size_t gNextByte = 0;
size_t gRequests = 0;

void ScriptBytes(std::span<uint8_t> out)
{
    ++gRequests;
    for (uint8_t& b : out)
        b = gScript[gNextByte++ % gScript.size()];
}

uint8_t StreamByte(size_t k)
{
    return static_cast<uint8_t>(k * 167 + 13);
}

void StreamBytes(std::span<uint8_t> out)
{
    for (uint8_t& b : out)
        b = StreamByte(gNextByte++);
}

std::wstring FromScript(std::string_view set, uint32_t length, std::vector<uint8_t> script)
{
    gScript = std::move(script);
    gNextByte = 0;
    gRequests = 0;
    return ks::GeneratePasswordFromBytes(set, length, &ScriptBytes);
}

TEST(PasswordRule, BytePicksTakeTheRemainderBelowTheLimit)
{
    const std::string all = ks::CharacterSet({true, true, true, true});
    std::string cycle256, cycle200;
    for (int i = 0; i < 256; ++i)
        cycle256 += static_cast<char>('a' + i % 26);
    for (int i = 0; i < 200; ++i)
        cycle200 += static_cast<char>('A' + i % 26);
    struct Case {
        const char* name;
        std::string set;
        uint32_t length;
        std::vector<uint8_t> script;
        std::wstring expected;
    };
    const Case cases[] = {
        // 255 is the one byte above the largest multiple of 3.
        {"ThreeRejectsOnly255", "abc", 6, {0, 1, 2, 3, 254, 255, 5}, L"abcacc"},
        // 206 = 2 x 103: 205 is the last position, 206 and above are drawn again.
        {"AllClassesLimit206", all, 4, {205, 206, 255, 102, 103, 0}, L"{{11"},
        {"OneCharacter", "x", 3, {255, 0, 128}, L"xxx"},
        {"SetOf256TakesEveryByte", cycle256, 2, {255, 0}, std::wstring{L'v', L'a'}},
        {"SetOf200", cycle200, 2, {200, 255, 199, 0}, std::wstring{L'R', L'A'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FromScript(c.set, c.length, c.script), c.expected);
    }
}

// Long passwords are made block after block: every byte of the stream counts, in order.
TEST(PasswordRule, BytePicksFollowTheStreamAcrossBlocks)
{
    const std::string set = ks::CharacterSet({true, true, true, true});
    for (uint32_t length : {1u, 4095u, 4096u, 10000u}) {
        SCOPED_TRACE(length);
        std::wstring expected;
        for (size_t k = 0; expected.size() < length; ++k)
            if (StreamByte(k) < 206)
                expected += static_cast<wchar_t>(static_cast<unsigned char>(set[StreamByte(k) % 103]));
        gNextByte = 0;
        EXPECT_EQ(ks::GeneratePasswordFromBytes(set, length, &StreamBytes), expected);
    }
}

TEST(PasswordRule, BytePicksRefuseWhatNoByteCovers)
{
    EXPECT_EQ(FromScript("", 10, {1}), L"");
    EXPECT_EQ(FromScript("abc", 0, {1}), L"");
    EXPECT_EQ(gRequests, 0u);
    EXPECT_THROW(FromScript(std::string(257, 'a'), 1, {1}), EInvalidOperation);
}

// The program's source: whatever the length, only characters of the set, as many as asked;
// a set too large for byte picks is drawn position by position.
TEST(PasswordRule, CryptoSourceGivesSetCharactersOnly)
{
    const std::string all = ks::CharacterSet({true, true, true, true});
    std::string large;
    for (int i = 0; i < 300; ++i)
        large += static_cast<char>('a' + i % 26);
    const std::pair<std::string, uint32_t> cases[] = {{all, 1}, {all, 10000}, {std::string(ks::DigitsPool), 1000}, {large, 50}};
    ks::CryptoRandom random;
    for (const auto& [set, length] : cases) {
        SCOPED_TRACE(set.size());
        const std::wstring password = ks::GeneratePassword(set, length, random);
        ASSERT_EQ(password.size(), length);
        for (wchar_t ch : password)
            ASSERT_NE(set.find(static_cast<char>(ch)), std::string::npos) << static_cast<int>(ch);
    }
}

} // namespace
