#include "skin/core/sGradient.h"

#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

namespace {

struct Stop {
    TColor c1, c2;
    int percent, mode;
    bool operator==(const Stop&) const = default;
};

TEST(sGradient, ParsesFiveWordsPerStop)
{
    struct Case {
        const char* text;
        std::vector<Stop> expected;
    } cases[] = {
        {"0;255;100;0;0", {{0, 255, 100, 0}}},
        {"16777215;255;50;0;0;255;0;50;0;0", {{0xFFFFFF, 255, 50, 0}, {255, 0, 50, 0}}},
        {"1;2;3;1;9;4;5;6;2", {{1, 2, 3, 1}}},                 // nine words: one stop
        {"1;2;150;2;0", {{1, 2, 100, 2}}},
        {"-5;-1;-20;-3;0", {{0, 0, 0, -3}}},
        {"1;2;3;4", {}},                                       // an incomplete group is dropped
        {";;$FF;;$10;;7;1;x;;", {{255, 16, 7, 1}}},            // runs of separators count as one
        {"", {}},
        {" ", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<Stop> got;
        for (const TsGradStop& s : ParseGradient(c.text))
            got.push_back({s.Color1, s.Color2, s.Percent, s.Mode});
        EXPECT_EQ(got, c.expected);
    }
}

TEST(sGradient, AWordThatIsNotAnIntegerRaises)
{
    for (const char* text : {"0;red;100;0;0", "0;255;100;0x1;0", "0;255;1.5;0;0"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(ParseGradient(text), EConvertError);
    }
}

} // namespace
