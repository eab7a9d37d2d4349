#pragma once
// The skinned spin edit: an edit that holds a whole number, with an up and a down button at its
// right, painted from the skin (SPEEDBUTTON_SMALL) and drawing their own arrows. The buttons,
// the arrow keys and the mouse wheel step the value by Increment within MinValue..MaxValue; a
// held button repeats, first after 400 ms, then every 100 ms, and stops when the mouse is taken
// away. The user puts in only digits, typed or pasted by whatever way (a negative value keeps
// its minus sign), it reads its value from its text, and puts the value back into
// MinValue..MaxValue when it loses the focus.

#include "skin/controls/sEdit.h"
#include "skin/controls/sSpeedButton.h"
#include "vcl/ExtCtrls.h"

#include <cstdint>

struct BackgroundInfo;

class TsSpinButton;
class TsBaseSpinEdit;

enum TTimeBtnStateItem { tbFocusRect, tbAllowTimer };
using TTimeBtnState = ks::Set<TTimeBtnStateItem>;

// One half of the spin button: a skinned speed button that repeats its click while held.
class TsTimerSpeedButton : public TsSpeedButton {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsTimerSpeedButton(TComponent* owner);
    ~TsTimerSpeedButton() override;

    TsSpinButton* OwnerSpinButton = nullptr;
    TTimeBtnState TimeBtnState;
    // Draws an up arrow (else a down one) when it has no glyph.
    bool Up = false;
    // Made at the first press.
    TTimer* RepeatTimer() const noexcept { return FRepeatTimer; }

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Paint() override;
    void DrawGlyph() override;

private:
    void TimerExpired(TObject* sender);

    TTimer* FRepeatTimer = nullptr;
};

// The pair of halves at the right of a spin edit.
class TsSpinButton : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // owner: the edit.
    explicit TsSpinButton(TComponent* owner);

    TsBaseSpinEdit* OwnerEdit = nullptr;
    TsTimerSpeedButton* UpButton = nullptr;
    TsTimerSpeedButton* DownButton = nullptr;
    TsTimerSpeedButton* FocusedButton = nullptr;

    TWinControl* FocusControl() const noexcept { return FFocusControl; }
    void SetFocusControl(TWinControl* value);
    TNotifyEvent OnUpClick() const noexcept { return FOnUpClick; }
    void SetOnUpClick(TNotifyEvent handler) noexcept { FOnUpClick = handler; }
    TNotifyEvent OnDownClick() const noexcept { return FOnDownClick; }
    void SetOnDownClick(TNotifyEvent handler) noexcept { FOnDownClick = handler; }
    TBitmap* UpGlyph() const noexcept { return UpButton->Glyph(); }
    TBitmap* DownGlyph() const noexcept { return DownButton->Glyph(); }
    void ClearGlyphs();

    void SetBounds(int left, int top, int width, int height) override;
    void Loaded() override;
    void WndProc(TMessage& message) override;
    // Each half's cache, rebuilt, onto dc: the up half at p, the down one below it.
    void PaintHalvesTo(HDC dc, TPoint p);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TsTimerSpeedButton* NewHalf(bool up);
    void AdjustHalves(int& w, int& h);
    void HalfClick(TObject* sender);
    void HalfMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    void SetFocusBtn(TsTimerSpeedButton* button);
    void BackgroundInfoCommand(BackgroundInfo* info);

    TWinControl* FFocusControl = nullptr;
    TNotifyEvent FOnUpClick;
    TNotifyEvent FOnDownClick;
};

// A skinned edit with a spin button; what the clicks do is left to the descendants.
class TsBaseSpinEdit : public TsEdit {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TsBaseSpinEdit(TComponent* owner);

    TsSpinButton* Button() const noexcept { return FButton; }
    bool EditorEnabled() const noexcept { return FEditorEnabled; }
    void SetEditorEnabled(bool value) noexcept { FEditorEnabled = value; }
    TNotifyEvent OnUpClick() const noexcept { return FOnUpClick; }
    void SetOnUpClick(TNotifyEvent handler) noexcept { FOnUpClick = handler; }
    TNotifyEvent OnDownClick() const noexcept { return FOnDownClick; }
    void SetOnDownClick(TNotifyEvent handler) noexcept { FOnDownClick = handler; }

    virtual bool IsValidChar(wchar_t key);
    virtual void UpClick(TObject* sender);
    virtual void DownClick(TObject* sender);

    void Loaded() override;
    void WndProc(TMessage& message) override;
    void PrepareCache() override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(wchar_t& key) override;
    void SetEditRect();

    TNotifyEvent FOnUpClick;
    TNotifyEvent FOnDownClick;

private:
    void PassToHalves(TMessage& m);
    TColor BackgroundColorForHalves();
    void BackgroundInfoCommand(BackgroundInfo* info);
    void SkinChangeCommand(ks::SkinCommandView view);

    TsSpinButton* FButton = nullptr;
    bool FEditorEnabled = true;
};

class TsSpinEdit : public TsBaseSpinEdit {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    explicit TsSpinEdit(TComponent* owner) : TsBaseSpinEdit(owner) {}

    int MinValue() const noexcept { return FMinValue; }
    void SetMinValue(int value) noexcept { FMinValue = value; }
    int MaxValue() const noexcept { return FMaxValue; }
    void SetMaxValue(int value) noexcept { FMaxValue = value; }
    // The text read as a decimal number; MinValue when the text is empty or not a number. It
    // is not clamped on reading.
    int Increment() const noexcept { return FIncrement; }
    void SetIncrement(int value) noexcept { FIncrement = value; }
    int Value() const;
    // The value put into MinValue..MaxValue; nothing while loading.
    void SetValue(int value);
    // value within MinValue..MaxValue, unless the two are equal (no limits).
    int CheckValue(int value) const noexcept;
    // Value moved by delta, within the integer range and then MinValue..MaxValue.
    void StepValue(int64_t delta);

    bool IsValidChar(wchar_t key) override;
    // Beep on a read-only field; else OnUpClick, or Value + Increment.
    void UpClick(TObject* sender) override;
    void DownClick(TObject* sender) override;

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
    void CMMouseWheel(TMessage& m);
    // Pastes the digits of the clipboard's text over the selection.
    void PasteDigits();
    // Takes out whatever non-digit came in by a way the keys and pastes above do not see (the
    // platform's edit pastes from its own menu without WM_PASTE, other code may replace the
    // selection); the caret stays behind the same digit. False when there was nothing to take.
    bool DropNonDigits();
    // A leading minus is kept where the limits let the value be negative (or there are none).
    bool NegativeAllowed() const noexcept;
    // The value put back into MinValue..MaxValue, unless the two are equal.
    void ClampValue();

    int FMinValue = 0;
    int FMaxValue = 0;
    int FIncrement = 1;
    // Text set by the program (SetText, SetValue) is kept as it is: Value reads what it can.
    bool FSettingText = false;
};

// Makes TsSpinEdit known to the form reader.
void InitializeSSpinEditUnit();
