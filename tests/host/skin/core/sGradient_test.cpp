#include "skin/core/sGradient.h"

#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

namespace {

struct Stop {
    TColor c1, c2;
    int percent, mode;
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
        TsGradArray data = ParseGradient(c.text);
        ASSERT_EQ(data.size(), c.expected.size());
        for (size_t i = 0; i < data.size(); ++i) {
            EXPECT_EQ(data[i].Color1, c.expected[i].c1);
            EXPECT_EQ(data[i].Color2, c.expected[i].c2);
            EXPECT_EQ(data[i].Percent, c.expected[i].percent);
            EXPECT_EQ(data[i].Mode, c.expected[i].mode);
        }
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
