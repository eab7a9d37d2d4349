#include "vcl/StdCtrls.h"

#include "vcl/ActnList.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/SysUtils.h"
#include "vcl/TextMeasure.h"
#include "vcl/TypInfo.h"


#include <algorithm>

template <>
struct ks::EnumTraits<TTextLayout> {
    static constexpr const char* Names[] = {"tlTop", "tlCenter", "tlBottom"};
};
template <>
struct ks::EnumTraits<TScrollStyle> {
    static constexpr const char* Names[] = {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"};
};
template <>
struct ks::EnumTraits<TCheckBoxState> {
    static constexpr const char* Names[] = {"cbUnchecked", "cbChecked", "cbGrayed"};
};

namespace {

const ks::PropertyInfo EditProps[] = {
    ks::Prop<&TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect>("AutoSelect").DefaultIs(true),
    ks::Prop<&TCustomEdit::BevelInner, &TCustomEdit::SetBevelInner>("BevelInner").DefaultIs(bvRaised),
    ks::Prop<&TCustomEdit::BevelKind, &TCustomEdit::SetBevelKind>("BevelKind").DefaultIs(bkNone),
    ks::Prop<&TCustomEdit::BevelOuter, &TCustomEdit::SetBevelOuter>("BevelOuter").DefaultIs(bvLowered),
    ks::Prop<&TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle>("BorderStyle").DefaultIs(bsSingle),
    ks::Prop<&TCustomEdit::Ctl3D, &TCustomEdit::SetCtl3D>("Ctl3D").DefaultIs(true),
    ks::Prop<&TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength>("MaxLength").DefaultIs(0),
    ks::Prop<&TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar>("PasswordChar").DefaultIs(0),
    ks::Prop<&TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly>("ReadOnly").DefaultIs(false),
    ks::Prop<&TCustomEdit::TabOrder, &TCustomEdit::SetTabOrder>("TabOrder"),
    ks::Prop<&TCustomEdit::TabStop, &TCustomEdit::SetTabStop>("TabStop").DefaultIs(true),
    ks::Prop<&TCustomEdit::OnChange, &TCustomEdit::SetOnChange>("OnChange"),
    // An edit keeps a colour of its own unless told to take its parent's.
    ks::Prop<&TControl::ParentColor, &TControl::SetParentColor>("ParentColor").DefaultIs(false),
};
const ks::PropertyInfo MemoProps[] = {
    ks::Prop<&TCustomMemo::LinesList, &TCustomMemo::SetLinesList>("Lines"),
    ks::Prop<&TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars>("ScrollBars").DefaultIs(ssNone),
    ks::Prop<&TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns>("WantReturns").DefaultIs(true),
    ks::Prop<&TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs>("WantTabs").DefaultIs(false),
    ks::Prop<&TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap>("WordWrap").DefaultIs(true),
};
const ks::PropertyInfo ButtonControlProps[] = {
    ks::Prop<&TButtonControl::TabOrder, &TButtonControl::SetTabOrder>("TabOrder"),
    ks::Prop<&TButtonControl::TabStop, &TButtonControl::SetTabStop>("TabStop").DefaultIs(true),
    ks::Prop<&TButtonControl::WordWrap, &TButtonControl::SetWordWrap>("WordWrap").DefaultIs(false),
};
const ks::PropertyInfo ButtonProps[] = {
    ks::Prop<&TButton::Cancel, &TButton::SetCancel>("Cancel").DefaultIs(false),
    ks::Prop<&TButton::Default, &TButton::SetDefault>("Default").DefaultIs(false),
    ks::Prop<&TButton::ModalResult, &TButton::SetModalResult>("ModalResult").DefaultIs(0),
};
// State is streamed, not Checked: a skinned check box ignores Checked while it is read.
const ks::PropertyInfo CheckBoxProps[] = {
    ks::Prop<&TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed>("AllowGrayed").DefaultIs(false),
    ks::Prop<&TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked>("Checked").NotStored(),
    ks::Prop<&TCustomCheckBox::State, &TCustomCheckBox::SetState>("State").DefaultIs(cbUnchecked),
};
const ks::PropertyInfo RadioButtonProps[] = {
    ks::Prop<&TRadioButton::Checked, &TRadioButton::SetChecked>("Checked").DefaultIs(false),
};
const ks::PropertyInfo GroupBoxProps[] = {
    ks::Prop<&TCustomGroupBox::TabOrder, &TCustomGroupBox::SetTabOrder>("TabOrder"),
};
const ks::PropertyInfo LabelProps[] = {
    ks::Prop<&TCustomLabel::Alignment, &TCustomLabel::SetAlignment>("Alignment").DefaultIs(taLeftJustify),
    ks::Prop<&TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize>("AutoSize").DefaultIs(true),
    ks::Prop<&TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl>("FocusControl"),
    ks::Prop<&TCustomLabel::Layout, &TCustomLabel::SetLayout>("Layout").DefaultIs(tlTop),
    ks::Prop<&TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar>("ShowAccelChar").DefaultIs(true),
    ks::Prop<&TCustomLabel::Transparent, &TCustomLabel::SetTransparent>("Transparent").DefaultIs(false),
    ks::Prop<&TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap>("WordWrap").DefaultIs(false),
};

bool IsLoading(const TComponent& c) noexcept
{
    return c.ComponentState().Contains(csLoading);
}

// Lines in the memo's text: every line ends with CR LF, as the platform's memo lines do, so
// lines written and read back are the same lines (a trailing empty one included).
std::wstring JoinLines(const std::vector<std::wstring>& lines)
{
    std::wstring text;
    for (const std::wstring& line : lines)
        text += line + L"\r\n";
    return text;
}

} // namespace

const ks::ClassInfo TCustomEdit::StaticClassInfo{"TCustomEdit", &TWinControl::StaticClassInfo, EditProps, {}};
const ks::ClassInfo TEdit::StaticClassInfo{"TEdit", &TCustomEdit::StaticClassInfo, {}, {}};
const ks::ClassInfo TCustomMemo::StaticClassInfo{"TCustomMemo", &TCustomEdit::StaticClassInfo, MemoProps, {}};
const ks::ClassInfo TMemo::StaticClassInfo{"TMemo", &TCustomMemo::StaticClassInfo, {}, {}};
const ks::ClassInfo TButtonControl::StaticClassInfo{"TButtonControl", &TWinControl::StaticClassInfo, ButtonControlProps, {}};
const ks::ClassInfo TButton::StaticClassInfo{"TButton", &TButtonControl::StaticClassInfo, ButtonProps, {}};
const ks::ClassInfo TCustomCheckBox::StaticClassInfo{"TCustomCheckBox", &TButtonControl::StaticClassInfo, CheckBoxProps, {}};
const ks::ClassInfo TCheckBox::StaticClassInfo{"TCheckBox", &TCustomCheckBox::StaticClassInfo, {}, {}};
const ks::ClassInfo TRadioButton::StaticClassInfo{"TRadioButton", &TButtonControl::StaticClassInfo, RadioButtonProps, {}};
const ks::ClassInfo TStaticText::StaticClassInfo{"TStaticText", &TWinControl::StaticClassInfo, {}, {}};
const ks::ClassInfo TCustomGroupBox::StaticClassInfo{"TCustomGroupBox", &TCustomControl::StaticClassInfo, GroupBoxProps, {}};
const ks::ClassInfo TGroupBox::StaticClassInfo{"TGroupBox", &TCustomGroupBox::StaticClassInfo, {}, {}};
const ks::ClassInfo TCustomLabel::StaticClassInfo{"TCustomLabel", &TGraphicControl::StaticClassInfo, LabelProps, {}};
const ks::ClassInfo TLabel::StaticClassInfo{"TLabel", &TCustomLabel::StaticClassInfo, {}, {}};
const ks::ClassInfo& TCustomEdit::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TEdit::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TCustomMemo::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TMemo::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TButtonControl::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TButton::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TCustomCheckBox::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TCheckBox::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TRadioButton::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TStaticText::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TCustomGroupBox::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TGroupBox::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TCustomLabel::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TLabel::ClassInfo() const noexcept { return StaticClassInfo; }

// ---- edit -----------------------------------------------------------------------------------
TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    FControlStyle = {csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
}

void TCustomEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"EDIT");
    params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    if (FReadOnly)
        params.Style |= ES_READONLY;
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
    if (FCharCase == ecUpperCase)
        params.Style |= ES_UPPERCASE;
    else if (FCharCase == ecLowerCase)
        params.Style |= ES_LOWERCASE;
}

void TCustomEdit::SetCharCase(TEditCharCase value)
{
    if (value == FCharCase)
        return;
    FCharCase = value;
    RecreateWnd();
}

void TCustomEdit::CreateWnd()
{
    {
        FCreating = true;
        ks::ScopeExit created{[this] { FCreating = false; }};
        TWinControl::CreateWnd();
    }
    HWND wnd = HandleIfAllocated();
    SendMessageW(wnd, EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
    if (FPasswordChar != L'\0')
        SendMessageW(wnd, EM_SETPASSWORDCHAR, FPasswordChar, 0);
}

void TCustomEdit::SetMaxLength(int value)
{
    FMaxLength = std::max(value, 0);
    if (HandleAllocated())
        SendMessageW(HandleIfAllocated(), EM_LIMITTEXT, static_cast<WPARAM>(FMaxLength), 0);
}

void TCustomEdit::SetReadOnly(bool value)
{
    FReadOnly = value;
    if (HandleAllocated())
        SendMessageW(HandleIfAllocated(), EM_SETREADONLY, value, 0);
}

void TCustomEdit::SetPasswordChar(wchar_t value)
{
    if (value == FPasswordChar)
        return;
    FPasswordChar = value;
    if (HandleAllocated()) {
        SendMessageW(HandleIfAllocated(), EM_SETPASSWORDCHAR, value, 0);
        Invalidate();
    }
}

void TCustomEdit::SetBorderStyle(TBorderStyle value)
{
    if (value != bsNone && value != bsSingle)
        throw EInvalidOperation("An edit's border is bsNone or bsSingle");
    SetAndRecreate(FBorderStyle, value);
}

int TCustomEdit::SelStart()
{
    DWORD start = 0;
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int value)
{
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(value), value);
}

int TCustomEdit::SelLength()
{
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int value)
{
    int start = SelStart();
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(start), start + value);
}

void TCustomEdit::SelectAll()
{
    SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TCustomEdit::Change()
{
    Perform(CM_CHANGED, 0, 0);
    if (FOnChange)
        FOnChange(this);
}

void TCustomEdit::CNCtlColor(TWMCtlColor& m)
{
    SetTextColor(m.ChildDC(), static_cast<COLORREF>(ColorToRGB(Font()->Color())));
    SetBkColor(m.ChildDC(), static_cast<COLORREF>(ColorToRGB(Color())));
    m.SetBrush(Brush().Handle());
}

void TCustomEdit::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_COMMAND: { TWMCommand v(m); CNCommand(v); break; }
    case CN_CTLCOLOREDIT: { TWMCtlColor v(m); CNCtlColor(v); break; }
    case CN_CTLCOLORSTATIC: { TWMCtlColor v(m); CNCtlColor(v); break; }
    case CM_TEXTCHANGED: CMTextChanged(m); break;
    case CM_ENTER: CMEnter(m); break;
    case WM_NCCALCSIZE: WMNCCalcSize(m); break;
    case WM_NCPAINT: WMNCPaint(m); break;
    default: TWinControl::Dispatch(m); break;
    }
}

int TCustomEdit::BevelEdgeWidth() const noexcept
{
    if (FBevelKind == bkNone)
        return 0;
    return (FBevelInner != bvNone ? 1 : 0) + (FBevelOuter != bvNone ? 1 : 0);
}

void TCustomEdit::SetBevel(TBevelCut& field, TBevelCut value)
{
    if (field == value)
        return;
    field = value;
    FrameChanged();
}

void TCustomEdit::SetBevelInner(TBevelCut value) { SetBevel(FBevelInner, value); }
void TCustomEdit::SetBevelOuter(TBevelCut value) { SetBevel(FBevelOuter, value); }

void TCustomEdit::SetBevelKind(TBevelKind value)
{
    if (FBevelKind == value)
        return;
    FBevelKind = value;
    FrameChanged();
}

void TCustomEdit::WMNCCalcSize(TMessage& m)
{
    TWinControl::Dispatch(m);
    const int edge = BevelEdgeWidth();
    InflateRect(reinterpret_cast<RECT*>(m.LParam), -edge, -edge);
}

void TCustomEdit::WMNCPaint(TMessage& m)
{
    TWinControl::Dispatch(m);
    const int edge = BevelEdgeWidth();
    if (edge == 0 || !HandleAllocated())
        return;
    const RECT client = ClientRectInWindow();
    RECT r = client;
    InflateRect(&r, edge + BorderWidth(), edge + BorderWidth());
    auto edgeOf = [](TBevelCut cut, UINT raised, UINT sunken) -> UINT {
        return cut == bvRaised ? raised : cut == bvLowered ? sunken : 0;
    };
    const UINT kind = edgeOf(FBevelOuter, BDR_RAISEDOUTER, BDR_SUNKENOUTER) |
                      edgeOf(FBevelInner, BDR_RAISEDINNER, BDR_SUNKENINNER);
    const UINT flags = BF_RECT | (FBevelKind == bkFlat ? BF_FLAT : FBevelKind == bkSoft ? BF_SOFT : 0);
    HDC dc = GetWindowDC(HandleIfAllocated());
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    FillRect(dc, &r, Brush().Handle());
    DrawEdge(dc, &r, kind, flags);
    ReleaseDC(HandleIfAllocated(), dc);
}

void TCustomEdit::CNCommand(TWMCommand& m)
{
    if (m.NotifyCode() == EN_CHANGE && !FCreating)
        Change();
}

void TCustomEdit::CMTextChanged(TMessage& m)
{
    TWinControl::Dispatch(m);
    // A single-line edit tells of its own changes with EN_CHANGE; a multi-line one does not for
    // WM_SETTEXT, and neither exists without a window.
    if (!HandleAllocated() || (GetWindowLongW(HandleIfAllocated(), GWL_STYLE) & ES_MULTILINE))
        Change();
}

void TCustomEdit::CMEnter(TMessage& m)
{
    // A click places the caret where it falls; only the keyboard (or code) selects the text.
    const bool byMouse = ControlState().Contains(csLButtonDown) || GetKeyState(VK_LBUTTON) < 0;
    if (FAutoSelect && !byMouse && HandleAllocated() && !(GetWindowLongW(HandleIfAllocated(), GWL_STYLE) & ES_MULTILINE))
        SelectAll();
    TWinControl::Dispatch(m);
}

// ---- memo -----------------------------------------------------------------------------------
std::vector<TMemoStrings::String> TMemoStrings::Read() const
{
    TWideStringList list;
    list.SetText(FMemo.Text());
    std::vector<String> lines;
    lines.reserve(static_cast<size_t>(list.Count()));
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list.Strings(i));
    return lines;
}

void TMemoStrings::Write(const std::vector<String>& lines)
{
    FMemo.SetText(JoinLines(lines));
}

int TMemoStrings::Count() const
{
    return static_cast<int>(Read().size());
}

TMemoStrings::String TMemoStrings::Strings(int index) const
{
    std::vector<String> lines = Read();
    CheckIndex(index, static_cast<int>(lines.size()));
    return lines[static_cast<size_t>(index)];
}

void TMemoStrings::SetStrings(int index, StringView s)
{
    std::vector<String> lines = Read();
    CheckIndex(index, static_cast<int>(lines.size()));
    lines[static_cast<size_t>(index)] = String(s);
    Write(lines);
}

void TMemoStrings::InsertObject(int index, StringView s, TObject*)
{
    std::vector<String> lines = Read();
    // Count() appends.
    CheckIndex(index, static_cast<int>(lines.size()) + 1);
    lines.insert(lines.begin() + index, String(s));
    Write(lines);
}

void TMemoStrings::Delete(int index)
{
    std::vector<String> lines = Read();
    CheckIndex(index, static_cast<int>(lines.size()));
    lines.erase(lines.begin() + index);
    Write(lines);
}

void TMemoStrings::Clear()
{
    FMemo.SetText(L"");
}

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner)
{
    SetBounds(0, 0, 185, 89);
    FControlStyle.Exclude(csFixedHeight);
}

std::vector<std::wstring> TCustomMemo::LinesList() const
{
    TWideStringList list;
    list.SetText(Text());
    std::vector<std::wstring> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list.Strings(i));
    return lines;
}

void TCustomMemo::SetLinesList(std::vector<std::wstring> lines)
{
    SetText(JoinLines(lines));
}

void TCustomMemo::CreateParams(TCreateParams& params)
{
    TCustomEdit::CreateParams(params);
    params.Style |= ES_MULTILINE;
    if (FWantReturns)
        params.Style |= ES_WANTRETURN;
    if (FWordWrap)
        params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
    if (FScrollBars == ssVertical || FScrollBars == ssBoth)
        params.Style |= WS_VSCROLL;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
        params.Style |= WS_HSCROLL;
}

void TCustomMemo::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_GETDLGCODE: WMGetDlgCode(m); break;
    default: TCustomEdit::Dispatch(m); break;
    }
}

void TCustomMemo::WMGetDlgCode(TMessage& m)
{
    TCustomEdit::Dispatch(m);
    if (FWantTabs)
        m.Result |= DLGC_WANTTAB;
    else
        m.Result &= ~static_cast<LRESULT>(DLGC_WANTTAB);
}

// ---- buttons --------------------------------------------------------------------------------
TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner)
{
    SetTabStop(true);
}

void TButtonControl::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"BUTTON");
    if (FWordWrap)
        params.Style |= BS_MULTILINE;
    params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

TButton::TButton(TComponent* owner) : TButtonControl(owner)
{
    SetBounds(0, 0, 75, 25);
    FControlStyle = {csSetCaption, csDoubleClicks};
}

void TButton::CreateParams(TCreateParams& params)
{
    TButtonControl::CreateParams(params);
    params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateWnd()
{
    TButtonControl::CreateWnd();
    FActive = FDefault;
}

void TButton::SetDefault(bool value)
{
    if (value == FDefault)
        return;
    FDefault = value;
    if (!HandleAllocated())
        return;
    // Enter presses the focused button, if any; otherwise the default one.
    HWND focus = GetFocus();
    bool otherButtonFocused = focus && focus != HandleIfAllocated() &&
                              (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON));
    FActive = value && !otherButtonFocused;
    SetButtonStyle(FActive);
}

void TButton::SetButtonStyle(bool isDefault)
{
    if (!HandleAllocated())
        return;
    HWND wnd = HandleIfAllocated();
    DWORD style = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((static_cast<DWORD>(GetWindowLongW(wnd, GWL_STYLE)) & BS_TYPEMASK) != style)
        SendMessageW(wnd, BM_SETSTYLE, style, TRUE);
}

void TButton::Click()
{
    if (TCustomForm* form = GetParentForm(this))
        form->SetModalResult(FModalResult);
    TButtonControl::Click();
}

void TButton::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_COMMAND: { TWMCommand v(m); CNCommand(v); break; }
    case CM_FOCUSCHANGED: { TCMControl v(m); CMFocusChanged(v); break; }
    case CM_DIALOGKEY: { TWMKey v(m); CMDialogKey(v); break; }
    default: TButtonControl::Dispatch(m); break;
    }
}

void TButton::CNCommand(TWMCommand& m)
{
    if (m.NotifyCode() == BN_CLICKED)
        Click();
}

void TButton::CMFocusChanged(TCMControl& m)
{
    // Enter presses the focused button; with the focus elsewhere, the default one.
    TControl* focused = m.LParamControl();
    FActive = dynamic_cast<TButton*>(focused) ? focused == this : FDefault;
    SetButtonStyle(FActive);
    TButtonControl::Dispatch(m.Message());
}

void TButton::CMDialogKey(TWMKey& m)
{
    const bool pressed = (m.CharCode() == VK_RETURN && FActive) || (m.CharCode() == VK_ESCAPE && FCancel);
    if (pressed && KeyDataToShiftState(m.KeyData()).Empty() && CanFocus()) {
        Click();
        m.SetResult(1);
    } else {
        TButtonControl::Dispatch(m.Message());
    }
}

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner)
{
    SetBounds(0, 0, 97, 17);
    FControlStyle = {csSetCaption, csDoubleClicks};
}

void TCustomCheckBox::CreateParams(TCreateParams& params)
{
    TButtonControl::CreateParams(params);
    // The check box keeps its own state; the system's automatic toggling would skip grayed.
    params.Style |= BS_3STATE;
}

void TCustomCheckBox::CreateWnd()
{
    TButtonControl::CreateWnd();
    SendMessageW(HandleIfAllocated(), BM_SETCHECK, static_cast<WPARAM>(FState), 0);
}

void TCustomCheckBox::SetState(TCheckBoxState value)
{
    if (value == FState)
        return;
    FState = value;
    if (HandleAllocated())
        SendMessageW(HandleIfAllocated(), BM_SETCHECK, static_cast<WPARAM>(value), 0);
    // Reading a form sets the stored state; that is no click.
    if (!ClicksDisabled() && !IsLoading(*this)) {
        Perform(CM_CHANGED, 0, 0);
        Click();
    }
}

void TCustomCheckBox::Toggle()
{
    switch (FState) {
    case cbUnchecked:
        SetState(FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbChecked);
        break;
    }
}

void TCustomCheckBox::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_COMMAND: { TWMCommand v(m); CNCommand(v); break; }
    default: TButtonControl::Dispatch(m); break;
    }
}

void TCustomCheckBox::ActionChange(TObject* sender, bool checkDefaults)
{
    TButtonControl::ActionChange(sender, checkDefaults);
    if (auto* action = dynamic_cast<TCustomAction*>(sender); action && (!checkDefaults || !Checked()))
        SetChecked(action->Checked());
}

void TCustomCheckBox::CNCommand(TWMCommand& m)
{
    if (m.NotifyCode() == BN_CLICKED)
        Toggle();
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner)
{
    SetBounds(0, 0, 113, 17);
    FControlStyle = {csSetCaption, csDoubleClicks};
}

void TRadioButton::CreateParams(TCreateParams& params)
{
    TButtonControl::CreateParams(params);
    // Not the automatic kind: the button keeps its own state and unchecks its siblings itself.
    params.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CreateWnd()
{
    TButtonControl::CreateWnd();
    SendMessageW(HandleIfAllocated(), BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetChecked(bool value)
{
    if (value == FChecked)
        return;
    FChecked = value;
    if (HandleAllocated())
        SendMessageW(HandleIfAllocated(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!value)
        return;
    if (TWinControl* parent = Parent())
        for (int i = 0; i < parent->ControlCount(); ++i)
            if (auto* other = dynamic_cast<TRadioButton*>(parent->Controls(i)); other && other != this)
                other->SetChecked(false);
    if (!ClicksDisabled() && !IsLoading(*this))
        Click();
}

void TRadioButton::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_COMMAND: { TWMCommand v(m); CNCommand(v); break; }
    default: TButtonControl::Dispatch(m); break;
    }
}

void TRadioButton::CNCommand(TWMCommand& m)
{
    if (m.NotifyCode() == BN_CLICKED)
        SetChecked(true);
}

// ---- static text ----------------------------------------------------------------------------
TStaticText::TStaticText(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 65, 17);
    FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csReplicatable};
}

void TStaticText::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"STATIC");
    params.Style |= SS_LEFT | SS_NOTIFY;
    params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

// ---- group box ------------------------------------------------------------------------------
TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner)
{
    SetBounds(0, 0, 185, 105);
    FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csReplicatable};
}

void TCustomGroupBox::AdjustClientRect(TRect& rect) const
{
    TWinControl::AdjustClientRect(rect);
    ks::WindowDC screen(nullptr);
    ks::SelectGuard font(screen.get(), Font()->Handle());
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.get(), &metrics);
    rect.Top += metrics.tmHeight;
    rect.Left += 2;
    rect.Top += 2;
    rect.Right -= 2;
    rect.Bottom -= 2;
}

void TCustomGroupBox::Paint()
{
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    int textHeight = canvas.TextHeight(L"0");
    TRect frame{0, textHeight / 2 - 1, Width(), Height()};
    canvas.Brush().SetStyle(bsSolid);
    RECT r{frame.Left, frame.Top, frame.Right, frame.Bottom};
    DrawEdge(canvas.Handle(), &r, EDGE_ETCHED, BF_RECT);
    std::wstring text = Caption();
    if (text.empty())
        return;
    TRect caption{8, 0, 8, textHeight};
    canvas.DrawText(text, caption, DT_SINGLELINE | DT_LEFT | DT_CALCRECT);
    canvas.Brush().SetColor(Color());
    SetBkMode(canvas.Handle(), OPAQUE);
    SetBkColor(canvas.Handle(), static_cast<COLORREF>(ColorToRGB(Color())));
    canvas.DrawText(text, caption, DT_SINGLELINE | DT_LEFT);
}

void TCustomGroupBox::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CM_TEXTCHANGED: CMCaptionChanged(m); break;
    case CM_FONTCHANGED: CMCaptionChanged(m); break;
    default: TCustomControl::Dispatch(m); break;
    }
}

void TCustomGroupBox::CMCaptionChanged(TMessage& m)
{
    TCustomControl::Dispatch(m);
    Invalidate();
}

// ---- label ----------------------------------------------------------------------------------
TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner)
{
    FControlStyle.Include(csOpaque);
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 65, 17);
}

UINT TCustomLabel::TextFlags() const noexcept
{
    UINT flags = DT_EXPANDTABS;
    if (FWordWrap)
        flags |= DT_WORDBREAK;
    if (!FShowAccelChar)
        flags |= DT_NOPREFIX;
    if (FAlignment == taRightJustify)
        flags |= DT_RIGHT;
    else if (FAlignment == taCenter)
        flags |= DT_CENTER;
    return flags;
}

void TCustomLabel::DoDrawText(TRect& rect, UINT flags)
{
    std::wstring text = GetLabelText();
    // An empty caption still measures one line high.
    if ((flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == L"&")))
        text += L' ';
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    if (!Enabled())
        canvas.Font().SetColor(clGrayText);
    SetBkMode(canvas.Handle(), TRANSPARENT);
    canvas.DrawText(text, rect, flags);
}

void TCustomLabel::Paint()
{
    TCanvas& canvas = Canvas();
    TRect client = ClientRect();
    if (!FTransparent) {
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(Color());
        canvas.FillRect(client);
    }
    canvas.Brush().SetStyle(bsClear);
    TRect text = client;
    if (FLayout != tlTop) {
        TRect measured = client;
        DoDrawText(measured, TextFlags() | DT_CALCRECT);
        int spare = client.Height() - measured.Height();
        text.Top += FLayout == tlBottom ? spare : spare / 2;
    }
    DoDrawText(text, TextFlags());
}

void TCustomLabel::AdjustBounds()
{
    if (!FAutoSize || IsLoading(*this))
        return;
    // In the font the label draws with, as wide as the drawing: the label need not have a
    // parent window yet.
    std::wstring text = GetLabelText();
    if (text.empty() || (FShowAccelChar && text == L"&"))
        text += L' ';
    const TSize size = ks::DrawnTextSize(text, *Font(), TextFlags(), FWordWrap ? ClientRect().Width() : 0);
    int left = Left();
    if (FAlignment == taRightJustify && !FWordWrap)
        left += Width() - size.cx;
    SetBounds(left, Top(), size.cx, size.cy);
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    if (operation == opRemove && component == FFocusControl)
        FFocusControl = nullptr;
}

void TCustomLabel::SetAutoSize(bool value)
{
    if (value == FAutoSize)
        return;
    FAutoSize = value;
    AdjustBounds();
}

void TCustomLabel::SetWordWrap(bool value)
{
    if (value == FWordWrap)
        return;
    FWordWrap = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetTransparent(bool value)
{
    if (value == FTransparent)
        return;
    FTransparent = value;
    if (value)
        FControlStyle.Exclude(csOpaque);
    else
        FControlStyle.Include(csOpaque);
    Invalidate();
}

void TCustomLabel::SetAlignment(TAlignment value)
{
    if (value == FAlignment)
        return;
    FAlignment = value;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout value)
{
    if (value == FLayout)
        return;
    FLayout = value;
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value)
{
    if (value == FShowAccelChar)
        return;
    FShowAccelChar = value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* value)
{
    ReplaceReference(FFocusControl, value);
}

void TCustomLabel::CMDialogChar(TWMKey& m)
{
    if (FocusAccelerator(m.CharCode()))
        m.SetResult(1);
    else
        TGraphicControl::Dispatch(m.Message());
}

bool TCustomLabel::FocusAccelerator(WORD charCode)
{
    if (!FFocusControl || !Enabled() || !FShowAccelChar || !FFocusControl->CanFocus())
        return false;
    std::wstring caption = GetLabelText();
    auto amp = caption.find(L'&');
    while (amp != std::wstring::npos && amp + 1 < caption.size() && caption[amp + 1] == L'&')
        amp = caption.find(L'&', amp + 2);
    if (amp == std::wstring::npos || amp + 1 >= caption.size())
        return false;
    wchar_t pair[] = {caption[amp + 1], static_cast<wchar_t>(charCode)};
    CharUpperBuffW(pair, 2);
    if (pair[0] != pair[1])
        return false;
    FFocusControl->SetFocus();
    return true;
}

void TCustomLabel::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CM_TEXTCHANGED: CMCaptionChanged(m); break;
    case CM_FONTCHANGED: CMCaptionChanged(m); break;
    case CM_DIALOGCHAR: { TWMKey v(m); CMDialogChar(v); break; }
    default: TGraphicControl::Dispatch(m); break;
    }
}

void TCustomLabel::CMCaptionChanged(TMessage& m)
{
    TGraphicControl::Dispatch(m);
    AdjustBounds();
    Invalidate();
}

// ---- combo box ------------------------------------------------------------------------------
namespace {

const ks::PropertyInfo ComboBoxProps[] = {
    ks::Prop<&TCustomComboBox::Style, &TCustomComboBox::SetStyle>("Style").DefaultIs(csDropDown),
    ks::Prop<&TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount>("DropDownCount").DefaultIs(8),
};

constexpr DWORD ComboStyleBits[] = {CBS_DROPDOWN, CBS_SIMPLE, CBS_DROPDOWNLIST,
                                    CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                                    CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS};
// The list's rows are measured only once the window exists; this is enough for the GUI font.
constexpr int DropDownItemHeight = 16;

} // namespace

const ks::ClassInfo TCustomComboBox::StaticClassInfo{"TCustomComboBox", &TWinControl::StaticClassInfo, ComboBoxProps, {}};
const ks::ClassInfo TComboBox::StaticClassInfo{"TComboBox", &TCustomComboBox::StaticClassInfo, {}, {}};
const ks::ClassInfo& TCustomComboBox::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TComboBox::ClassInfo() const noexcept { return StaticClassInfo; }

int TComboBoxStrings::Count() const
{
    const LRESULT n = SendMessageW(FCombo.Handle(), CB_GETCOUNT, 0, 0);
    return n < 0 ? 0 : static_cast<int>(n);
}

TComboBoxStrings::String TComboBoxStrings::Strings(int index) const
{
    CheckIndex(index, Count());
    HWND wnd = FCombo.Handle();
    const LRESULT length = SendMessageW(wnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0)
        return {};
    String s(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(wnd, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
    s.resize(got > 0 && got <= length ? static_cast<size_t>(got) : 0);
    return s;
}

void TComboBoxStrings::SetStrings(int index, StringView s)
{
    CheckIndex(index, Count());
    const int selected = FCombo.ItemIndex();
    Delete(index);
    InsertObject(index, s, nullptr);
    if (selected == index)
        FCombo.SetItemIndex(index);
}

void TComboBoxStrings::InsertObject(int index, StringView s, TObject*)
{
    if (index != Count())
        CheckIndex(index, Count());
    const String text(s);
    const LRESULT at = SendMessageW(FCombo.Handle(), CB_INSERTSTRING, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(text.c_str()));
    if (at == CB_ERR || at == CB_ERRSPACE)
        throw EOutOfResources("Not enough memory for the combo box's items");
}

void TComboBoxStrings::Delete(int index)
{
    CheckIndex(index, Count());
    SendMessageW(FCombo.Handle(), CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void TComboBoxStrings::Clear()
{
    SendMessageW(FCombo.Handle(), CB_RESETCONTENT, 0, 0);
}

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
    FControlStyle = {csCaptureMouse, csSetCaption, csDoubleClicks, csFixedHeight, csReplicatable};
}

void TCustomComboBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, L"COMBOBOX");
    params.Style |= ComboStyleBits[FStyle] | WS_VSCROLL | CBS_AUTOHSCROLL;
    // The height a combo box is made with is its own plus its list's; the platform then sizes
    // the window to its field alone and keeps the rest for the list.
    if (FStyle != csSimple)
        params.Height += FDropDownCount * DropDownItemHeight + 2;
    params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

int TCustomComboBox::ItemIndex()
{
    const LRESULT i = SendMessageW(Handle(), CB_GETCURSEL, 0, 0);
    return i == CB_ERR ? -1 : static_cast<int>(i);
}

void TCustomComboBox::SetItemIndex(int value)
{
    SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(value), 0);
}

bool TCustomComboBox::DroppedDown()
{
    return SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::SetDroppedDown(bool value)
{
    SendMessageW(Handle(), CB_SHOWDROPDOWN, value ? TRUE : FALSE, 0);
}
