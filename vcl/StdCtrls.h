#pragma once
// The standard controls: edit, memo, push button, check box, radio button, group box, static
// text and label. The edit, memo, buttons and static text are superclasses of the system's EDIT and BUTTON windows, registered under
// their own class names ("TEdit", "TButton" ...); they hear of their own notifications as CN_
// messages reflected by their parent (CN_COMMAND for clicks and changes, CN_CTLCOLOR* for
// their colours). The group box paints itself; the label is windowless.

#include "vcl/Controls.h"
#include "vcl/Strings.h"

#include <memory>
#include <string>
#include <vector>

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
// Shared by the label and the check box, which both store it.
template <>
struct ks::EnumTraits<TAlignment> {
    static constexpr const char* Names[] = {"taLeftJustify", "taRightJustify", "taCenter"};
};
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
template <>
struct ks::EnumTraits<TEditCharCase> {
    static constexpr const char* Names[] = {"ecNormal", "ecUpperCase", "ecLowerCase"};
};

// ---------------------------------------------------------------------------------------------
class TCustomEdit : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomEdit(TComponent* owner);

    // Characters the user may type; 0 is the system's limit.
    int MaxLength() const noexcept { return FMaxLength; }
    void SetMaxLength(int value);
    bool ReadOnly() const noexcept { return FReadOnly; }
    void SetReadOnly(bool value);
    // Shown instead of each character when not L'\0'.
    wchar_t PasswordChar() const noexcept { return FPasswordChar; }
    void SetPasswordChar(wchar_t value);
    TBorderStyle BorderStyle() const noexcept { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    // A bsSingle border is a sunken 3-D edge (two pixels) when on, a flat line when off.
    bool Ctl3D() const noexcept { return FCtl3D; }
    void SetCtl3D(bool value) { SetAndRecreate(FCtl3D, value); }
    // With a BevelKind other than bkNone, each bevel that is not bvNone is a one-pixel edge
    // between the border and the client area.
    TBevelCut BevelInner() const noexcept { return FBevelInner; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const noexcept { return FBevelOuter; }
    void SetBevelOuter(TBevelCut value);
    TBevelKind BevelKind() const noexcept { return FBevelKind; }
    void SetBevelKind(TBevelKind value);
    // What the bevels add to each side of the frame.
    int BevelEdgeWidth() const noexcept;
    // A single-line edit the keyboard moves the focus into selects its whole text, so what is
    // typed next replaces it.
    bool AutoSelect() const noexcept { return FAutoSelect; }
    void SetAutoSelect(bool value) noexcept { FAutoSelect = value; }
    // The case the window turns typed and set text to; a change makes the window anew.
    TEditCharCase CharCase() const noexcept { return FCharCase; }
    void SetCharCase(TEditCharCase value);

    // The selection in UTF-16 units; reading or writing it creates the window.
    int SelStart();
    void SetSelStart(int value);
    int SelLength();
    void SetSelLength(int value);
    void SelectAll();

    TNotifyEvent OnChange() const noexcept { return FOnChange; }
    void SetOnChange(TNotifyEvent handler) noexcept { FOnChange = handler; }

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    virtual void Change();
    void CNCommand(TWMCommand& m);
    // Answers CN_CTLCOLOREDIT / CN_CTLCOLORSTATIC with Font.Color on a brush of Color.
    void CNCtlColor(TWMCtlColor& m);
    void CMTextChanged(TMessage& m);
    void CMEnter(TMessage& m);
    void WMNCCalcSize(TMessage& m);
    void WMNCPaint(TMessage& m);

private:
    void SetBevel(TBevelCut& field, TBevelCut value);

    bool FAutoSelect = true;
    int FMaxLength = 0;
    bool FReadOnly = false;
    wchar_t FPasswordChar = L'\0';
    TBorderStyle FBorderStyle = bsSingle;
    bool FCtl3D = true;
    TBevelCut FBevelInner = bvRaised;
    TBevelCut FBevelOuter = bvLowered;
    TBevelKind FBevelKind = bkNone;
    bool FCreating = false;
    TNotifyEvent FOnChange;
    TEditCharCase FCharCase = ecNormal;
};

class TEdit : public TCustomEdit {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomEdit::TCustomEdit;
};

// ---------------------------------------------------------------------------------------------
class TCustomMemo;

// The memo's lines: its text split at line breaks, read from and written to the window (or the
// stored text while there is none). Soft breaks of word wrapping do not make lines; no objects
// are kept beside them.
class TMemoStrings final : public TWideStrings {
public:
    explicit TMemoStrings(TCustomMemo& memo) noexcept : FMemo(memo) {}

    int Count() const override;
    String Strings(int index) const override;
    void SetStrings(int index, StringView s) override;
    void InsertObject(int index, StringView s, TObject* object) override;
    void Delete(int index) override;
    void Clear() override;

private:
    std::vector<String> Read() const;
    void Write(const std::vector<String>& lines);

    TCustomMemo& FMemo;
};

class TCustomMemo : public TCustomEdit {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomMemo(TComponent* owner);

    TWideStrings& Lines() noexcept { return FLines; }
    // The lines as the form streams them.
    std::vector<std::wstring> LinesList() const;
    void SetLinesList(std::vector<std::wstring> lines);
    TScrollStyle ScrollBars() const noexcept { return FScrollBars; }
    void SetScrollBars(TScrollStyle value) { SetAndRecreate(FScrollBars, value); }
    bool WordWrap() const noexcept { return FWordWrap; }
    void SetWordWrap(bool value) { SetAndRecreate(FWordWrap, value); }
    bool WantReturns() const noexcept { return FWantReturns; }
    void SetWantReturns(bool value) { SetAndRecreate(FWantReturns, value); }
    // Tab types a tab character only while set; otherwise Tab and Shift+Tab move the focus, as
    // Ctrl+Tab always does.
    bool WantTabs() const noexcept { return FWantTabs; }
    void SetWantTabs(bool value) noexcept { FWantTabs = value; }

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    // The memo asks for Tab only with WantTabs: the platform's DLGC_WANTALLKEYS covers Enter
    // and Escape, never Tab.
    void WMGetDlgCode(TMessage& m);

private:
    TMemoStrings FLines{*this};
    TScrollStyle FScrollBars = ssNone;
    bool FWordWrap = true;
    bool FWantReturns = true;
    bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomMemo::TCustomMemo;
};

// ---------------------------------------------------------------------------------------------
class TButtonControl : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TButtonControl(TComponent* owner);

    // While set, state changes made by code do not click.
    bool ClicksDisabled() const noexcept { return FClicksDisabled; }
    void SetClicksDisabled(bool value) noexcept { FClicksDisabled = value; }
    bool WordWrap() const noexcept { return FWordWrap; }
    void SetWordWrap(bool value) { SetAndRecreate(FWordWrap, value); }

protected:
    void CreateParams(TCreateParams& params) override;

private:
    bool FClicksDisabled = false;
    bool FWordWrap = false;
};

class TButton : public TButtonControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TButton(TComponent* owner);

    // The button Enter presses when no other button has the focus; it keeps BS_DEFPUSHBUTTON
    // in its window style while it is the one Enter would press.
    bool Default() const noexcept { return FDefault; }
    void SetDefault(bool value);
    // The button Escape presses.
    bool Cancel() const noexcept { return FCancel; }
    void SetCancel(bool value) noexcept { FCancel = value; }
    // Given to the form on a click; a non-zero value ends a modal form.
    int ModalResult() const noexcept { return FModalResult; }
    void SetModalResult(int value) noexcept { FModalResult = value; }

    void Click() override;
    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    virtual void SetButtonStyle(bool isDefault);
    void CNCommand(TWMCommand& m);
    void CMFocusChanged(TCMControl& m);
    // Enter clicks the button Enter would press, Escape the cancel button.
    void CMDialogKey(TWMKey& m);

private:
    bool FDefault = false;
    bool FCancel = false;
    bool FActive = false;
    int FModalResult = 0;
};

class TCustomCheckBox : public TButtonControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomCheckBox(TComponent* owner);

    TCheckBoxState State() const noexcept { return FState; }
    // A change clicks (unless clicks are disabled or the form is being read) and announces
    // CM_CHANGED.
    void SetState(TCheckBoxState value);
    bool Checked() const noexcept { return FState == cbChecked; }
    void SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const noexcept { return FAllowGrayed; }
    void SetAllowGrayed(bool value) noexcept { FAllowGrayed = value; }
    // Unchecked -> (grayed when allowed) -> checked -> unchecked, as a click does.
    virtual void Toggle();

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void CNCommand(TWMCommand& m);
    // The action's Checked as well.
    void ActionChange(TObject* sender, bool checkDefaults) override;

private:
    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
};

class TCheckBox : public TCustomCheckBox {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomCheckBox::TCustomCheckBox;
};

class TRadioButton : public TButtonControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TRadioButton(TComponent* owner);

    bool Checked() const noexcept { return FChecked; }
    // Checking one unchecks the other radio buttons of the same parent; a change clicks
    // (unless clicks are disabled or the form is being read).
    void SetChecked(bool value);

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void CNCommand(TWMCommand& m);

private:
    bool FChecked = false;
};

// ---------------------------------------------------------------------------------------------
class TCustomGroupBox : public TCustomControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomGroupBox(TComponent* owner);

    void Dispatch(TMessage& message) override;

protected:
    void Paint() override;
    // Children lie below the caption and inside the frame.
    void AdjustClientRect(TRect& rect) const override;
    // CM_TEXTCHANGED and CM_FONTCHANGED: the caption is painted anew.
    void CMCaptionChanged(TMessage& m);
};

class TGroupBox : public TCustomGroupBox {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomGroupBox::TCustomGroupBox;
};

// ---------------------------------------------------------------------------------------------
// A text in a window of its own: the system's STATIC control.
class TStaticText : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TStaticText(TComponent* owner);

protected:
    void CreateParams(TCreateParams& params) override;
};

// ---------------------------------------------------------------------------------------------
class TCustomLabel : public TGraphicControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomLabel(TComponent* owner);

    // The size follows the text: with WordWrap only the height, else both (the right edge
    // stays put for right-justified text).
    bool AutoSize() const noexcept { return FAutoSize; }
    void SetAutoSize(bool value);
    bool WordWrap() const noexcept { return FWordWrap; }
    void SetWordWrap(bool value);
    bool Transparent() const noexcept { return FTransparent; }
    void SetTransparent(bool value);
    TAlignment Alignment() const noexcept { return FAlignment; }
    void SetAlignment(TAlignment value);
    TTextLayout Layout() const noexcept { return FLayout; }
    void SetLayout(TTextLayout value);
    // "&" marks the accelerator while set; shown as it is otherwise.
    bool ShowAccelChar() const noexcept { return FShowAccelChar; }
    void SetShowAccelChar(bool value);
    // The control the accelerator focuses.
    TWinControl* FocusControl() const noexcept { return FFocusControl; }
    void SetFocusControl(TWinControl* value);

    void Dispatch(TMessage& message) override;

protected:
    void Paint() override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual std::wstring GetLabelText() const { return Caption(); }
    // Draws (or, with DT_CALCRECT, measures) the text into rect on the label's canvas.
    virtual void DoDrawText(TRect& rect, UINT flags);
    // Resizes the label to its text when AutoSize is set.
    virtual void AdjustBounds();

private:
    UINT TextFlags() const noexcept;
    // CM_TEXTCHANGED and CM_FONTCHANGED: the label takes its text's size and is painted anew.
    void CMCaptionChanged(TMessage& m);
    void CMDialogChar(TWMKey& m);
    // Focuses FocusControl when charCode is the caption's accelerator; false otherwise.
    bool FocusAccelerator(WORD charCode);

    bool FAutoSize = true;
    bool FWordWrap = false;
    bool FTransparent = false;
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomLabel::TCustomLabel;
};

// ---------------------------------------------------------------------------------------------
// The system's COMBOBOX: an edit or a static field with a list that drops down (or, csSimple,
// always shows under it). Owner-draw styles draw nothing of their own here: the items are
// strings the platform keeps.
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
template <>
struct ks::EnumTraits<TComboBoxStyle> {
    static constexpr const char* Names[] = {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed",
                                            "csOwnerDrawVariable"};
};

class TCustomComboBox;

// The items of a combo box, kept by its window (made when first needed); no objects are kept
// beside them.
class TComboBoxStrings final : public TWideStrings {
public:
    explicit TComboBoxStrings(TCustomComboBox& combo) noexcept : FCombo(combo) {}

    int Count() const override;
    String Strings(int index) const override;
    void SetStrings(int index, StringView s) override;
    void InsertObject(int index, StringView s, TObject* object) override;
    void Delete(int index) override;
    void Clear() override;

private:
    TCustomComboBox& FCombo;
};

class TCustomComboBox : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomComboBox(TComponent* owner);

    // Changing it makes a new window (with the items gone).
    TComboBoxStyle Style() const noexcept { return FStyle; }
    void SetStyle(TComboBoxStyle value) { SetAndRecreate(FStyle, value); }
    TWideStrings& Items() noexcept { return FItems; }
    // -1 for none.
    int ItemIndex();
    void SetItemIndex(int value);
    // The list shows this many items when it drops down.
    int DropDownCount() const noexcept { return FDropDownCount; }
    void SetDropDownCount(int value) { FDropDownCount = value < 1 ? 1 : value; }
    bool DroppedDown();
    void SetDroppedDown(bool value);

protected:
    void CreateParams(TCreateParams& params) override;

private:
    TComboBoxStrings FItems{*this};
    TComboBoxStyle FStyle = csDropDown;
    int FDropDownCount = 8;
};

class TComboBox : public TCustomComboBox {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomComboBox::TCustomComboBox;
};
