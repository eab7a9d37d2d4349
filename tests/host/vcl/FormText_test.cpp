#include "vcl/FormText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(FormText, ErrorsNameTheirLine)
{
    struct Case {
        const char* name;
        const char* text;
        ks::FormError reason;
        int line;
    };
    const Case cases[] = {
        {"UnterminatedString", "object A: T\n  X = 1\n  Y = 'abc\nend\n", ks::FormError::BadString, 3},
        {"LoneHighSurrogate", "object A: T\n  Y = #55357'x'\nend\n", ks::FormError::BadString, 2},
        {"LoneLowSurrogate", "object A: T\n  Y = #56832\nend\n", ks::FormError::BadString, 2},
        {"CharacterCodeBeyond16Bits", "object A: T\n  Y = #65536\nend\n", ks::FormError::BadString, 2},
        {"InvalidUtf8InQuotes", "object A: T\n  Y = '\xC3('\nend\n", ks::FormError::BadString, 2},
        {"OddHexDigits", "object A: T\n  D = {\n  ABC}\nend\n", ks::FormError::BadBinary, 3},
        {"NonHexDigit", "object A: T\n  D = {0G}\nend\n", ks::FormError::BadBinary, 2},
        {"MissingEquals", "object A: T\n  X 1\nend\n", ks::FormError::Syntax, 2},
        {"MissingEnd", "object A: T\n  X = 1\n", ks::FormError::Syntax, 3},
        {"Inherited", "inherited A: T\nend\n", ks::FormError::Syntax, 1},
        {"IntegerBeyond64Bits", "object A: T\n\n  X = 9223372036854775808\nend\n", ks::FormError::BadNumber, 3},
        {"HexBeyond64Bits", "object A: T\n  X = $10000000000000000\nend\n", ks::FormError::BadNumber, 2},
        {"FloatOverflow", "object A: T\n  X = 1e999\nend\n", ks::FormError::BadNumber, 2},
        {"NumberRunsIntoLetters", "object A: T\n  X = 12ab\nend\n", ks::FormError::BadNumber, 2},
        {"DoubleDot", "object A: T\n  Font..Name = 1\nend\n", ks::FormError::BadIdent, 2},
        {"KeywordAsProperty", "object A: T\n  item = 1\nend\n", ks::FormError::BadIdent, 2},
        {"PropertyAfterChild", "object A: T\n  object B: T\n  end\n  X = 1\nend\n", ks::FormError::Syntax, 4},
        {"NonStringInList", "object A: T\n  L = ('a' 1)\nend\n", ks::FormError::Syntax, 2},
        {"TextAfterRoot", "object A: T\nend\nobject B: T\nend\n", ks::FormError::Syntax, 3},
        {"StrayCharacter", "object A: T\n  X = 1;\nend\n", ks::FormError::Syntax, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            (void)CompileFormText(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const EParserError& e) {
            EXPECT_EQ(e.Reason(), static_cast<int>(c.reason)) << e.Message();
            EXPECT_EQ(e.Line(), c.line) << e.Message();
        }
    }
}

TEST(FormText, StringsAndNumbersCompileToTheirValues)
{
    // 'a'#13#10 + 'b''c' is "a\r\nb'c"; #$41 is 'A'; a surrogate pair makes one 4-byte character.
    const std::vector<uint8_t> bytes = CompileFormText(
        "object A: T\n  S = 'a'#13#10 +\n  'b''c'#$41#55357#56832\n  N = -$10\n  M = $FFFFFFFFFFFFFFFF\n"
        "  F = -2.5e-3\nend\n");
    const std::string expected = std::string("KSF1\x01T\x01") + "A" + "\x01S\x04" + std::string("\x0B\0\0\0", 4) +
                                 "a\r\nb'cA\xF0\x9F\x98\x80" + "\x01N\x01" + std::string("\xF0\xFF\xFF\xFF", 4) +
                                 "\x01M\x01" + std::string("\xFF\xFF\xFF\xFF", 4) + "\x01" "F\x03";
    ASSERT_GE(bytes.size(), expected.size() + 8);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(expected.size())), expected);
    double f = 0;
    std::memcpy(&f, bytes.data() + expected.size(), 8);
    EXPECT_EQ(f, -2.5e-3);
}

} // namespace
