#include "vcl/SysUtils.h"

#include "host/support/TempDir.h"
#include "vcl/Streams.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <string>

namespace {

struct IntCase {
    const char* name;
    const char* text;
    std::optional<int> expected; // nullopt: not a number
};

const IntCase IntCases[] = {
    {"Zero", "0", 0},
    {"Decimal", "123", 123},
    {"Negative", "-123", -123},
    {"PlusSign", "+7", 7},
    {"LeadingBlank", " 1", 1},
    {"TrailingBlank", "1 ", std::nullopt},
    {"Empty", "", std::nullopt},
    {"SignOnly", "-", std::nullopt},
    {"DoubleSign", "--1", std::nullopt},
    {"Max", "2147483647", INT_MAX},
    {"AboveMax", "2147483648", std::nullopt},
    {"Min", "-2147483648", INT_MIN},
    {"BelowMin", "-2147483649", std::nullopt},
    {"OverLongDigits", "99999999999999999999999999", std::nullopt},
    {"LeadingZeros", "0000000000000000000000042", 42},
    {"Hex", "$FF", 255},
    {"HexLowerCase", "$ff", 255},
    {"HexAllBitsIsMinusOne", "$FFFFFFFF", -1},
    {"HexSystemColour", "$FF00000F", static_cast<int>(0xFF00000Fu)},
    {"HexAbove32Bits", "$100000000", std::nullopt},
    {"NegativeHex", "-$10", -16},
    {"DollarOnly", "$", std::nullopt},
    {"CPrefixIsStrictlyInvalid", "0x10", std::nullopt},
    {"TrailingLetter", "12a", std::nullopt},
    {"Fraction", "1.5", std::nullopt},
};

TEST(SysUtils, StrToIntAcceptsExactlyTheIntegerSyntax)
{
    for (const auto& c : IntCases) {
        SCOPED_TRACE(c.name);
        int value = 12345;
        EXPECT_EQ(TryStrToInt(c.text, value), c.expected.has_value());
        EXPECT_EQ(StrToIntDef(c.text, -77), c.expected.value_or(-77));
        if (c.expected) {
            EXPECT_EQ(value, *c.expected);
            EXPECT_EQ(StrToInt(c.text), *c.expected);
            std::string s = c.text;
            EXPECT_EQ(StrToInt(std::wstring(s.begin(), s.end())), *c.expected);
        } else {
            EXPECT_EQ(value, 12345) << "a failed conversion must leave the output alone";
            try {
                StrToInt(c.text);
                ADD_FAILURE() << "accepted";
            } catch (const EConvertError& e) {
                EXPECT_EQ(e.Message(), "'" + std::string(c.text) + "' is not a valid integer value");
            }
        }
    }
}

// U+0131 and U+0661 would read as "1" if narrowed by dropping the high bits; the message quotes
// wide text in UTF-8.
TEST(SysUtils, WideDigitsAreNotTruncatedIntoAsciiOnes)
{
    EXPECT_EQ(StrToIntDef(std::wstring(1, wchar_t(0x0131)), -1), -1);
    EXPECT_EQ(StrToIntDef(std::wstring(1, wchar_t(0x0661)), -1), -1);
    EXPECT_EQ(StrToIntDef(L"-42", 0), -42);
    try {
        StrToInt(L"\u0416");
        ADD_FAILURE() << "accepted";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'\xD0\x96' is not a valid integer value");
    }
}

TEST(SysUtils, IniIntReadsCPrefixAsHex)
{
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"0x1F", 31}, {"0X1f", 31}, {"$1F", 31}, {"31", 31}, {"0x", -9},
        {"0xG", -9},  {"abc", -9},  {"", -9},    {"-0x10", -9}, {"0xFFFFFFFF", -1},
        {"0", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IniInt(c.text, -9), c.expected);
    }
    EXPECT_EQ(IniInt("0x" + std::string(200, '1'), -9), -9);
}

TEST(SysUtils, FloatTextAlwaysUsesADot)
{
    const struct {
        const char* text;
        std::optional<double> expected;
    } cases[] = {
        {"6.4", 6.4},  {"-0.5", -0.5}, {"+1.25", 1.25},          {"1e3", 1000.0},
        {".5", 0.5},   {"5.", 5.0},    {"6,4", std::nullopt},    {"", std::nullopt},
        {" 1", std::nullopt}, {"inf", std::nullopt}, {"nan", std::nullopt}, {"1e999", std::nullopt},
        {"+-1", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        double v = -3;
        EXPECT_EQ(TryStrToFloatDot(c.text, v), c.expected.has_value());
        if (c.expected)
            EXPECT_EQ(v, *c.expected);
        else
            EXPECT_THROW(StrToFloatDot(c.text), EConvertError);
    }
}

TEST(SysUtils, IntegersWriteWholeAndFloatsInTheShortestTextThatReadsBack)
{
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-1), "-1");
    EXPECT_EQ(IntToStr(INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(IntToStrW(999999999), L"999999999");
    EXPECT_EQ(FloatToStrDot(6.4), "6.4");
    EXPECT_EQ(FloatToStrDot(100.0), "100");
    EXPECT_EQ(FloatToStrDot(0.1), "0.1");
    for (double v : {1.0 / 3.0, 1e-300, 123456789.125, -2.5e17, 0.30000000000000004}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(StrToFloatDot(FloatToStrDot(v)), v);
    }
}

TEST(SysUtils, RoundHalfEvenAndTrunc)
{
    const struct {
        double value;
        int round;
        int trunc;
    } cases[] = {
        {0.5, 0, 0},     {1.5, 2, 1},     {2.5, 2, 2},     {3.5, 4, 3},   {-0.5, 0, 0},
        {-1.5, -2, -1},  {-2.5, -2, -2},  {2.4999, 2, 2},  {2.5001, 3, 2}, {-1.7, -2, -1},
        {1e12, INT_MAX, INT_MAX}, {-1e12, INT_MIN, INT_MIN}, {NAN, 0, 0},
        // The largest value below a half, ties at the edges of int, and whole values past 2^52.
        {0.49999999999999994, 0, 0}, {-0.49999999999999994, 0, 0}, {2147483646.5, 2147483646, 2147483646},
        {-2147483646.5, -2147483646, -2147483646}, {4503599627370495.5, INT_MAX, INT_MAX},
        {-9007199254740993.0, INT_MIN, INT_MIN}, {INFINITY, INT_MAX, INT_MAX}, {-INFINITY, INT_MIN, INT_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(RoundHalfEven(c.value), c.round);
        EXPECT_EQ(Trunc(c.value), c.trunc);
    }
}

// The runtime's nearbyint is the reference, over every magnitude a painter meets and beyond,
// halves included.
TEST(SysUtils, RoundHalfEvenAgreesWithNearbyint)
{
    std::mt19937_64 rng(12);
    for (int i = 0; i < 200000; ++i) {
        const double scale = std::ldexp(1.0, static_cast<int>(rng() % 70) - 10);
        double v = std::uniform_real_distribution<double>(-1.0, 1.0)(rng) * scale;
        if (i % 4 == 0)
            v = std::trunc(v) + 0.5;
        const double r = std::nearbyint(v);
        const int want = std::isnan(r) ? 0 : r >= 2147483647.0 ? INT_MAX : r <= -2147483648.0 ? INT_MIN : static_cast<int>(r);
        ASSERT_EQ(RoundHalfEven(v), want) << std::hexfloat << v;
    }
}

TEST(SysUtils, CaseFoldingTouchesAsciiLettersOnly)
{
    EXPECT_EQ(UpperCaseAscii("options.dat \xE0\xFF"), "OPTIONS.DAT \xE0\xFF");
    EXPECT_EQ(LowerCaseAscii("ButtonHuge.BMP [Z]"), "buttonhuge.bmp [z]");
    EXPECT_TRUE(SameTextAscii("Options.dat", "OPTIONS.DAT"));
    EXPECT_FALSE(SameTextAscii("\xE0", "\xC0")); // Cyrillic case pairs in CP1251 stay distinct
    EXPECT_FALSE(SameTextAscii("ab", "abc"));
    EXPECT_LT(CompareTextAscii("a", "B"), 0);
    EXPECT_GT(CompareTextAscii("B", "a"), 0);
    EXPECT_GT(CompareTextAscii("ab", "A"), 0);
    EXPECT_EQ(CompareTextAscii(L"Skin", L"SKIN"), 0);
    EXPECT_LT(CompareTextAscii("_", "a"), 0); // '_' sorts before letters once they are folded
}

TEST(SysUtils, TrimRemovesBlanksAndControlCharacters)
{
    EXPECT_EQ(Trim(std::string_view("\t a b \r\n\x01")), "a b");
    EXPECT_EQ(Trim(std::string_view(" \x1F ")), "");
    EXPECT_EQ(Trim(std::string_view("")), "");
    EXPECT_EQ(Trim(std::string_view("\xA0x\xA0")), "\xA0x\xA0"); // bytes above 127 are text
    EXPECT_EQ(Trim(std::wstring_view(L"  \u041F\u0430\t")), L"\u041F\u0430");
}

TEST(SysUtils, Utf8RoundTripsEveryPlane)
{
    const std::string text = "\xD0\x9F\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C \xF0\x9F\x98\x80 a";
    std::wstring wide = UTF8ToWide(text);
    size_t emojiUnits = sizeof(wchar_t) == 2 ? 2 : 1;
    EXPECT_EQ(wide.size(), 6 + 1 + emojiUnits + 2);
    EXPECT_EQ(wide[0], wchar_t(0x041F));
    EXPECT_EQ(WideToUTF8(wide), text);
}

TEST(SysUtils, MalformedUtf8BecomesReplacementCharacters)
{
    const std::wstring R(1, wchar_t(0xFFFD));
    const struct {
        const char* name;
        std::string bytes;
        std::wstring expected;
    } cases[] = {
        {"StrayContinuation", "a\x80z", L"a" + R + L"z"},
        {"InvalidByte", "\xFF", R},
        {"Overlong", "\xC0\xAF", R + R},
        {"OverlongThreeBytes", "\xE0\x80\xAF", R + R + R},
        {"Surrogate", "\xED\xA0\x80", R + R + R},
        {"AboveUnicode", "\xF4\x90\x80\x80", R + R + R + R},
        {"TruncatedAtEnd", "x\xE2\x82", L"x" + R},
        {"TruncatedBeforeAscii", "\xE2\x82x", R + L"x"},
        {"EmbeddedNul", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(UTF8ToWide(c.bytes), c.expected);
    }
    EXPECT_EQ(WideToUTF8(std::wstring(1, wchar_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(WideToUTF8(std::wstring(L"a") + wchar_t(0xDC00)), "a\xEF\xBF\xBD");
}

TEST(SysUtils, FileNameParts)
{
    const struct {
        const char* name;
        const char* ext;
    } exts[] = {
        {"Master.bmp", ".bmp"},   {"a.b.Bmp", ".Bmp"},        {"noext", ""},
        {"dir.x\\name", ""},      {"dir.x/name", ""},         {"c:name.png", ".png"},
        {"c:.profile", ".profile"}, {"trailing.", "."},       {"", ""},
    };
    for (const auto& c : exts) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExtractFileExt(std::string_view(c.name)), c.ext);
        std::string n = c.name, e = c.ext;
        EXPECT_EQ(ExtractFileExt(std::wstring(n.begin(), n.end())), std::wstring(e.begin(), e.end()));
    }
    EXPECT_EQ(ExtractFilePath(L"C:\\Skins\\a.asz"), L"C:\\Skins\\");
    EXPECT_EQ(ExtractFileName(L"C:\\Skins\\a.asz"), L"a.asz");
    EXPECT_EQ(ExtractFilePath(L"/tmp/x/a"), L"/tmp/x/");
    EXPECT_EQ(ExtractFilePath(L"c:a"), L"c:");
    EXPECT_EQ(ExtractFileName(L"plain"), L"plain");
    EXPECT_EQ(ExtractFilePath(L"plain"), L"");
    EXPECT_EQ(IncludeTrailingPathDelimiter(L"C:\\a"), L"C:\\a\\");
    EXPECT_EQ(IncludeTrailingPathDelimiter(L"C:\\a\\"), L"C:\\a\\");
    EXPECT_EQ(IncludeTrailingPathDelimiter(L"x/"), L"x/");
    EXPECT_EQ(IncludeTrailingPathDelimiter(L""), L"");
    EXPECT_EQ(ChangeFileExt(L"My.Skin.asz", L".dat"), L"My.Skin.dat");
    EXPECT_EQ(ChangeFileExt(L"dir.x\\name", L".asz"), L"dir.x\\name.asz");
    EXPECT_EQ(ChangeFileExt(L"a.txt", L""), L"a");
}

void Touch(const std::wstring& name)
{
    TFileStream f(name, fmCreate);
    f.WriteBuffer("x", 1);
}

std::set<std::wstring> FindAll(const std::wstring& pattern, int attr, std::set<std::wstring>* folders = nullptr)
{
    std::set<std::wstring> names;
    TSearchRec rec;
    for (int r = FindFirst(pattern, attr, rec); r == 0; r = FindNext(rec)) {
        names.insert(rec.Name);
        if (folders && (rec.Attr & faDirectory))
            folders->insert(rec.Name);
    }
    FindClose(rec);
    return names;
}

TEST(SysUtils, ExistenceAndFindTellFilesFromFolders)
{
    ks::test::TempDir dir;
    Touch(dir.File(L"a.asz"));
    EXPECT_TRUE(FileExists(dir.File(L"a.asz")));
    EXPECT_FALSE(DirectoryExists(dir.File(L"a.asz")));
    EXPECT_TRUE(DirectoryExists(dir.Path()));
    EXPECT_FALSE(FileExists(dir.Path()));
    for (const std::wstring& missing : {dir.File(L"missing"), std::wstring()})
        EXPECT_FALSE(FileExists(missing) || DirectoryExists(missing)) << WideToUTF8(missing);

    Touch(dir.File(L"b.txt"));
    Touch(dir.File(L"noext"));
    Touch(dir.File(L"\u041A\u043E\u0436\u0430.asz"));
    std::filesystem::create_directory(std::filesystem::path(dir.Path()) / L"Sub");

    std::set<std::wstring> folders;
    auto all = FindAll(dir.File(L"*.*"), faDirectory, &folders);
    for (const wchar_t* name : {L"a.asz", L"b.txt", L"noext", L"Sub", L"\u041A\u043E\u0436\u0430.asz"})
        EXPECT_TRUE(all.count(name)) << WideToUTF8(name);
    EXPECT_TRUE(folders.count(L"Sub"));
    EXPECT_FALSE(folders.count(L"a.asz"));

    auto filesOnly = FindAll(dir.File(L"*.*"), 0);
    EXPECT_FALSE(filesOnly.count(L"Sub"));
    EXPECT_FALSE(filesOnly.count(L"."));
    EXPECT_TRUE(filesOnly.count(L"noext"));

    auto packed = FindAll(dir.File(L"*.asz"), 0);
    EXPECT_EQ(packed, (std::set<std::wstring>{L"a.asz", L"\u041A\u043E\u0436\u0430.asz"}));

    TSearchRec rec;
    EXPECT_NE(FindFirst(dir.File(L"missing\\*.*"), faAnyFile, rec), 0);
    EXPECT_NE(FindNext(rec), 0);
}

TEST(SysUtils, ParamStrReportsTheProgramAndItsArguments)
{
    std::wstring program = ParamStr(0);
    ASSERT_FALSE(program.empty());
    EXPECT_TRUE(FileExists(program));
    EXPECT_EQ(ApplicationDir(), ExtractFilePath(program));
    EXPECT_FALSE(ApplicationDir().empty());

    ks::SetParamsForTesting({L"/ACVER", L"\u0444"});
    EXPECT_EQ(ParamCount(), 2);
    EXPECT_EQ(ParamStr(1), L"/ACVER");
    EXPECT_EQ(ParamStr(2), L"\u0444");
    EXPECT_EQ(ParamStr(3), L"");
    EXPECT_EQ(ParamStr(-1), L"");
    EXPECT_EQ(ParamStr(0), program);
    ks::ResetParamsForTesting();
    EXPECT_NE(ParamStr(1), L"/ACVER");
}

TEST(SysUtils, ScopeExitRunsOnceHoweverTheScopeEnds)
{
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "exception" : "normal end");
        int runs = 0;
        try {
            ks::ScopeExit count{[&runs] { ++runs; }};
            EXPECT_EQ(runs, 0);
            if (fails)
                throw Exception("unwinding");
        } catch (const Exception&) {
        }
        EXPECT_EQ(runs, 1);
    }
}

} // namespace
