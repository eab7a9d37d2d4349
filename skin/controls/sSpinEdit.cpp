#include "skin/controls/sSpinEdit.h"

#include "vcl/Clipbrd.h"
#include "vcl/SysUtils.h"

#include <algorithm>

namespace {

constexpr wchar_t CtrlA = 0x01;
constexpr wchar_t CtrlC = 0x03;
constexpr wchar_t CtrlV = 0x16;
constexpr wchar_t CtrlX = 0x18;
constexpr wchar_t CtrlZ = 0x1A;

bool IsDigitChar(wchar_t c) noexcept { return c >= L'0' && c <= L'9'; }

const ks::PropertyInfo SpinEditProps[] = {
    ks::Prop<&TsSpinEdit::MinValue, &TsSpinEdit::SetMinValue>("MinValue").DefaultIs(0),
    ks::Prop<&TsSpinEdit::MaxValue, &TsSpinEdit::SetMaxValue>("MaxValue").DefaultIs(0),
    ks::Prop<&TsSpinEdit::Value, &TsSpinEdit::SetValue>("Value"),
};

} // namespace

const ks::ClassInfo TsSpinEdit::StaticClassInfo{"TsSpinEdit", &TsEdit::StaticClassInfo, SpinEditProps, {}};
const ks::ClassInfo& TsSpinEdit::ClassInfo() const noexcept { return StaticClassInfo; }

int TsSpinEdit::Value() const
{
    return StrToIntDef(Text(), FMinValue);
}

void TsSpinEdit::SetValue(int value)
{
    SetText(IntToStrW(value));
}

void TsSpinEdit::KeyPress(wchar_t& key)
{
    TsEdit::KeyPress(key);
    switch (key) {
    case 0:
    case VK_BACK:
    case CtrlA:
    case CtrlC:
    case CtrlX:
    case CtrlZ:
        return;
    case CtrlV:
        // The edit would paste the clipboard as it is; the digits alone go in instead.
        PasteDigits();
        key = 0;
        return;
    default:
        if (!IsDigitChar(key))
            key = 0;
    }
}

void TsSpinEdit::KeyDown(WORD& key, TShiftState shift)
{
    TsEdit::KeyDown(key, shift);
    if (key == VK_INSERT && shift == TShiftState{ssShift}) {
        PasteDigits();
        key = 0;
    }
}

void TsSpinEdit::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_PASTE: PasteDigits(); break;
    case WM_SETTEXT: WMSetText(message); break;
    case CN_COMMAND: { TWMCommand v(message); CNCommand(v); break; }
    case CM_EXIT: CMExit(message); break;
    default: TsEdit::Dispatch(message); break;
    }
}

void TsSpinEdit::WMSetText(TMessage& m)
{
    FSettingText = true;
    ks::ScopeExit reset{[this] { FSettingText = false; }};
    TsEdit::Dispatch(m);
}

void TsSpinEdit::CNCommand(TWMCommand& m)
{
    // The change that took the non-digits out is told instead of the one that brought them.
    if (m.NotifyCode() == EN_CHANGE && !FSettingText && DropNonDigits())
        return;
    TsEdit::Dispatch(m.Message());
}

void TsSpinEdit::CMExit(TMessage& m)
{
    ClampValue();
    TsEdit::Dispatch(m);
}

void TsSpinEdit::PasteDigits()
{
    if (ReadOnly())
        return;
    std::wstring digits = Clipboard().AsText();
    std::erase_if(digits, [](wchar_t c) { return !IsDigitChar(c); });
    // EM_REPLACESEL keeps to the edit's MaxLength, and can be undone like a typed paste.
    Perform(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(digits.c_str()));
}

bool TsSpinEdit::DropNonDigits()
{
    const std::wstring text = Text();
    if (std::all_of(text.begin(), text.end(), IsDigitChar))
        return false;
    const size_t caret = std::min(static_cast<size_t>(std::max(SelStart(), 0)), text.size());
    const auto dropped = std::count_if(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(caret),
                                       [](wchar_t c) { return !IsDigitChar(c); });
    std::wstring digits = text;
    std::erase_if(digits, [](wchar_t c) { return !IsDigitChar(c); });
    // Not WM_SETTEXT: the digits are the user's change, which the nested EN_CHANGE tells.
    Perform(EM_SETSEL, 0, -1);
    Perform(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(digits.c_str()));
    SetSelStart(static_cast<int>(caret) - static_cast<int>(dropped));
    return true;
}

void TsSpinEdit::ClampValue()
{
    if (FMinValue == FMaxValue)
        return;
    const int clamped = std::clamp(Value(), std::min(FMinValue, FMaxValue), std::max(FMinValue, FMaxValue));
    const std::wstring text = IntToStrW(clamped);
    if (Text() != text)
        SetText(text);
}

void InitializeSSpinEditUnit()
{
    RegisterClasses<TsSpinEdit>();
}
