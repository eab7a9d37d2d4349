#include "vcl/Clipbrd.h"

#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using TClipboardTest = VclFixture;


// Reads CF_UNICODETEXT straight from the system, outside the class under test.
std::wstring SystemClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(nullptr))
        return L"<cannot open>";
    if (HGLOBAL memory = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(memory))) {
            text = p;
            GlobalUnlock(memory);
        }
    }
    CloseClipboard();
    return text;
}

TEST_F(TClipboardTest, TextRoundTripsAsUnicode)
{
    const std::wstring cases[] = {
        L"Выберите символы",                  // Cyrillic must survive any ANSI code page
        L"!@#$%^&*()_+|\\=-<>.,/?'; :\"][}{", // every special character of the password pool
        L"",                                  // an empty field copies an empty text
    };
    for (const std::wstring& text : cases) {
        Clipboard().SetAsText(text);
        EXPECT_EQ(SystemClipboardText(), text);
        EXPECT_EQ(Clipboard().AsText(), text);
        EXPECT_TRUE(Clipboard().HasFormat(CF_UNICODETEXT));
    }
}

TEST_F(TClipboardTest, AssigningTextReplacesWhateverItHeld)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const char bytes[] = "not text";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof bytes);
    std::memcpy(GlobalLock(memory), bytes, sizeof bytes);
    GlobalUnlock(memory);
    UINT format = RegisterClipboardFormatW(L"KeysmithTestFormat");
    ASSERT_TRUE(SetClipboardData(format, memory));
    CloseClipboard();

    Clipboard().SetAsText(L"пароль");
    EXPECT_FALSE(Clipboard().HasFormat(format));
    EXPECT_EQ(Clipboard().AsText(), L"пароль");
}

TEST_F(TClipboardTest, ClearLeavesNoText)
{
    Clipboard().SetAsText(L"x");
    Clipboard().Clear();
    EXPECT_EQ(Clipboard().AsText(), L"");
    EXPECT_FALSE(Clipboard().HasFormat(CF_UNICODETEXT));
}

} // namespace
