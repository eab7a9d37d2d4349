#include "skin/controls/sSpinEdit.h"

#include "vcl/Clipbrd.h"
#include "vcl/Forms.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <utility>

namespace {

constexpr wchar_t CtrlV = 0x16;

// The length field as the main window has it: 1 .. 999999999, nine characters at most, on a
// shown form beside another control to move the focus to.
class sSpinEditTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        form = CreateNew<TForm>(nullptr);
        form->SetBounds(100, 100, 300, 120);
        spin = Create<TsSpinEdit>(form);
        spin->SetParent(form);
        spin->SetBounds(10, 10, 80, 21);
        spin->SetMinValue(1);
        spin->SetMaxValue(999999999);
        spin->SetMaxLength(9);
        other = Create<TEdit>(form);
        other->SetParent(form);
        other->SetBounds(10, 40, 80, 21);
        form->Show();
        spin->SetFocus();
        Pump();
    }
    void TearDown() override
    {
        form->Free();
        VclFixture::TearDown();
    }

    // Types as the keyboard does: the characters arrive through the message queue.
    void Type(const std::wstring& keys)
    {
        for (wchar_t key : keys)
            PostMessageW(spin->Handle(), WM_CHAR, key, 1);
        Pump();
    }
    // Presses key with Shift held, as the keyboard does.
    void PressWithShift(WORD key)
    {
        BYTE saved[256] = {};
        GetKeyboardState(saved);
        BYTE held[256];
        std::copy(std::begin(saved), std::end(saved), held);
        held[VK_SHIFT] = 0x80;
        SetKeyboardState(held);
        PostMessageW(spin->Handle(), WM_KEYDOWN, key, 1);
        Pump();
        SetKeyboardState(saved);
    }
    // Puts text into the field with the caret after it, as a program may.
    void Put(const std::wstring& text)
    {
        spin->SetText(text);
        spin->SetSelStart(static_cast<int>(text.size()));
    }

    TForm* form = nullptr;
    TsSpinEdit* spin = nullptr;
    TEdit* other = nullptr;
};

TEST_F(sSpinEditTest, OnlyDigitsAndEditingKeysAreTaken)
{
    struct Case {
        const char* name;
        wchar_t key;
        bool taken;
    };
    const Case cases[] = {
        {"Digit", L'7', true},       {"Zero", L'0', true},         {"Letter", L'a', false},
        {"Minus", L'-', false},      {"Cyrillic", L'я', false},    {"CtrlEnter", 0x0A, false},
        {"Tab", 0x09, false},        {"Backspace", VK_BACK, true}, {"CtrlA", 0x01, true},
        {"CtrlC", 0x03, true},       {"CtrlX", 0x18, true},        {"CtrlZ", 0x1A, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The key goes on to the edit (0) or is swallowed (1).
        EXPECT_EQ(spin->Perform(CN_CHAR, c.key, 1), c.taken ? 0 : 1);
    }

    Put(L"");
    Type(L"4x\n2\r.-5 \t");
    EXPECT_EQ(spin->Text(), L"425");
    Type(std::wstring(1, VK_BACK));
    EXPECT_EQ(spin->Text(), L"42");
}

// Pasting, by message or by Ctrl+V, puts in the clipboard's digits alone, over the selection and
// within MaxLength.
TEST_F(sSpinEditTest, PastingKeepsOnlyTheClipboardsDigits)
{
    struct Case {
        const char* name;
        const wchar_t* before;
        bool selectAll;
        const wchar_t* clipboard;
        const wchar_t* after;
    };
    const Case cases[] = {
        {"Mixed", L"", false, L"a1b2-3 4\r\n5", L"12345"},
        {"AfterTheText", L"12", false, L"x3", L"123"},
        {"OverTheSelection", L"999", true, L"7a7", L"77"},
        {"NoDigits", L"55", false, L"abc -", L"55"},
        {"UpToMaxLength", L"1234567", false, L"x3x4x5", L"123456734"},
    };
    // The platform's edit pastes Shift+Insert without WM_PASTE.
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"WM_PASTE", [&] { SendMessageW(spin->Handle(), WM_PASTE, 0, 0); }},
        {"Ctrl+V", [&] { Type(std::wstring(1, CtrlV)); }},
        {"Shift+Insert", [&] { PressWithShift(VK_INSERT); }},
    };
    for (const auto& [way, paste] : ways) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " by " + way);
            Put(c.before);
            if (c.selectAll)
                spin->SelectAll();
            Clipboard().SetAsText(c.clipboard);
            paste();
            EXPECT_EQ(spin->Text(), c.after);
        }
    }

    Put(L"12");
    spin->SetReadOnly(true);
    Clipboard().SetAsText(L"3");
    SendMessageW(spin->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(spin->Text(), L"12") << "a read-only field takes nothing";
}

// Whatever way the keys and pastes do not see (the edit's own menu, a replaced selection) still
// leaves only digits, with the caret behind the same digit; text the program sets is its own.
TEST_F(sSpinEditTest, NonDigitsThatSlipInAreTakenOut)
{
    struct Case {
        const char* name;
        const wchar_t* before;
        int caret;
        const wchar_t* replacement;
        const wchar_t* after;
        int caretAfter;
    };
    const Case cases[] = {
        {"Mixed", L"", 0, L"a1b2", L"12", 2},
        {"InTheMiddle", L"1234", 2, L"x9y", L"12934", 3},
        {"NothingButLetters", L"55", 1, L"abc", L"55", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spin->SetText(c.before);
        spin->SetSelStart(c.caret);
        SendMessageW(spin->Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(c.replacement));
        EXPECT_EQ(spin->Text(), c.after);
        EXPECT_EQ(spin->SelStart(), c.caretAfter);
        EXPECT_EQ(spin->SelLength(), 0);
    }
    // A value set by the program is put in range; without a range it is kept, sign and all.
    spin->SetValue(-5);
    EXPECT_EQ(spin->Text(), L"1");
    spin->SetMaxValue(1);
    spin->SetValue(-5);
    EXPECT_EQ(spin->Text(), L"-5");
    EXPECT_EQ(spin->Value(), -5);
}

// The value is the text as it stands (MinValue when it is no number); only leaving the field
// brings it into range, and equal bounds mean no range at all.
TEST_F(sSpinEditTest, ValueIsTheTextUntilLeavingTheFieldPutsItInRange)
{
    struct Case {
        const char* name;
        const wchar_t* text;
        int minValue, maxValue, value;
        const wchar_t* afterLeaving;
    };
    const Case cases[] = {
        {"InRange", L"500", 1, 999999999, 500, L"500"},
        {"Empty", L"", 1, 999999999, 1, L"1"},
        {"EmptyOtherMinimum", L"", 7, 999999999, 7, L"7"},
        {"NotANumber", L"abc", 1, 999999999, 1, L"1"},
        {"Zero", L"0", 1, 999999999, 0, L"1"},
        {"Negative", L"-5", 1, 999999999, -5, L"1"},
        {"AboveMaximum", L"1000000000", 1, 999999999, 1000000000, L"999999999"},
        {"BeyondInteger", L"99999999999", 1, 999999999, 1, L"1"},
        {"EqualBoundsClampNothing", L"-5", 0, 0, -5, L"-5"},
        {"EqualBoundsKeepText", L"abc", 5, 5, 5, L"abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spin->SetMinValue(c.minValue);
        spin->SetMaxValue(c.maxValue);
        spin->SetFocus();
        spin->SetText(c.text);
        EXPECT_EQ(spin->Value(), c.value);
        EXPECT_EQ(spin->Text(), c.text);
        other->SetFocus();
        EXPECT_EQ(spin->Text(), c.afterLeaving);
    }
}

TEST_F(sSpinEditTest, StepsPastTheIntegerRangeStopAtItsEnds)
{
    struct Case {
        const char* name;
        int minValue, maxValue, increment;
        const wchar_t* text;
        std::function<void(TsSpinEdit&)> step;
        const wchar_t* after;
    };
    const auto up = [](TsSpinEdit& s) { s.UpClick(&s); };
    const auto down = [](TsSpinEdit& s) { s.DownClick(&s); };
    const auto wheelUp3 = [](TsSpinEdit& s) { s.Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, 360), 0); };
    const Case cases[] = {
        {"UpPastTheMaximum", 1, 999999999, 2147483647, L"999999999", up, L"999999999"},
        {"UpWithoutLimits", 0, 0, 1, L"2147483647", up, L"2147483647"},
        {"DownWithoutLimits", 0, 0, 1, L"-2147483648", down, L"-2147483648"},
        {"WheelWithoutLimits", 0, 0, 1 << 30, L"0", wheelUp3, L"2147483647"},
        {"WheelWithinLimits", 1, 999999999, 1 << 30, L"5", wheelUp3, L"999999999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spin->SetMinValue(c.minValue);
        spin->SetMaxValue(c.maxValue);
        spin->SetIncrement(c.increment);
        spin->SetText(c.text);
        c.step(*spin);
        EXPECT_EQ(spin->Text(), c.after);
    }
}

// Where the value may be negative, the user's editing keeps its minus sign in front of the
// digits; anywhere else it goes with the other non-digits.
TEST_F(sSpinEditTest, ANegativeValueKeepsItsSignWhileItsDigitsAreEdited)
{
    struct Case {
        const char* name;
        int minValue, maxValue;
        const wchar_t* before;
        std::wstring typed;
        const wchar_t* after;
    };
    const Case cases[] = {
        {"DigitTyped", -100, 100, L"-5", L"3", L"-53"},
        {"Backspace", -100, 100, L"-15", std::wstring(1, VK_BACK), L"-1"},
        {"WithoutLimits", 0, 0, L"-7", L"2", L"-72"},
        {"NoNegativeInRange", 1, 100, L"-5", L"3", L"53"},
        {"MinusNotInFront", -100, 100, L"5-", L"3", L"53"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spin->SetMinValue(c.minValue);
        spin->SetMaxValue(c.maxValue);
        Put(c.before);
        Type(c.typed);
        EXPECT_EQ(spin->Text(), c.after);
    }
    spin->SetMinValue(-100);
    Put(L"-12");
    spin->SetSelStart(2);
    SendMessageW(spin->Handle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"x9"));
    EXPECT_EQ(spin->Text(), L"-192");
    EXPECT_EQ(spin->SelStart(), 3) << "the caret stays behind the digit put in";
}

// A closed editor (EditorEnabled off) takes no paste by any way, as it takes no WM_PASTE.
TEST_F(sSpinEditTest, AClosedEditorTakesNoPaste)
{
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"WM_PASTE", [&] { SendMessageW(spin->Handle(), WM_PASTE, 0, 0); }},
        {"Ctrl+V", [&] { Type(std::wstring(1, CtrlV)); }},
        {"Shift+Insert", [&] { PressWithShift(VK_INSERT); }},
    };
    Clipboard().SetAsText(L"77");
    for (const auto& [way, paste] : ways) {
        SCOPED_TRACE(way);
        spin->SetEditorEnabled(false);
        Put(L"10");
        paste();
        EXPECT_EQ(spin->Text(), L"10");
        spin->SetEditorEnabled(true);
        paste();
        EXPECT_EQ(spin->Text(), L"1077") << "an open editor takes the digits";
    }
}

} // namespace
