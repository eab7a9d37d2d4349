#pragma once
// The skinned spin edit: an edit that holds a whole number. The user puts in only digits, typed
// or pasted by whatever way, it reads its value from its text, and puts the value back into
// MinValue..MaxValue when it loses the focus. Until the skin engine paints controls it has no
// spin buttons of its own.

#include "skin/controls/sEdit.h"

class TsSpinEdit : public TsEdit {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TsEdit::TsEdit;

    int MinValue() const noexcept { return FMinValue; }
    void SetMinValue(int value) noexcept { FMinValue = value; }
    int MaxValue() const noexcept { return FMaxValue; }
    void SetMaxValue(int value) noexcept { FMaxValue = value; }
    // The text read as a decimal number; MinValue when the text is empty or not a number. It
    // is not clamped on reading.
    int Value() const;
    void SetValue(int value);

    void Dispatch(TMessage& message) override;

protected:
    // Digits and the editing control characters pass; anything else (letters, Ctrl+Enter's
    // line feed, Tab, Enter) is dropped, so the text never holds a non-digit.
    void KeyPress(wchar_t& key) override;
    // Shift+Insert pastes the digits alone, as Ctrl+V does.
    void KeyDown(WORD& key, TShiftState shift) override;

private:
    void WMSetText(TMessage& m);
    void CNCommand(TWMCommand& m);
    void CMExit(TMessage& m);
    // Pastes the digits of the clipboard's text over the selection.
    void PasteDigits();
    // Takes out whatever non-digit came in by a way the keys and pastes above do not see (the
    // platform's edit pastes from its own menu without WM_PASTE, other code may replace the
    // selection); the caret stays behind the same digit. False when there was nothing to take.
    bool DropNonDigits();
    // The value put back into MinValue..MaxValue, unless the two are equal.
    void ClampValue();

    int FMinValue = 0;
    int FMaxValue = 0;
    // Text set by the program (SetText, SetValue) is kept as it is: Value reads what it can.
    bool FSettingText = false;
};

// Makes TsSpinEdit known to the form reader.
void InitializeSSpinEditUnit();
