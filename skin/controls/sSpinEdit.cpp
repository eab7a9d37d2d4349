#include "skin/controls/sSpinEdit.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Clipbrd.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>

namespace {

constexpr wchar_t CtrlA = 0x01;
constexpr wchar_t CtrlC = 0x03;
constexpr wchar_t CtrlV = 0x16;
constexpr wchar_t CtrlX = 0x18;
constexpr wchar_t CtrlZ = 0x1A;

bool IsDigitChar(wchar_t c) noexcept { return c >= L'0' && c <= L'9'; }
bool Has(const TComponent* c, TComponentStateItem item) noexcept { return c->ComponentState().Contains(item); }
wchar_t DecimalSeparator()
{
    wchar_t sep[4] = L".";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, sep, 4);
    return sep[0];
}
void Beep() { ks::Sys().MessageBeep(0); }

constexpr int SpinButtonWidth = 18;
constexpr int MinHalfWidth = 15;
constexpr unsigned FirstRepeat = 400;
constexpr unsigned NextRepeats = 100;

const ks::PropertyInfo SpinEditProps[] = {
    ks::Prop<&TsSpinEdit::MinValue, &TsSpinEdit::SetMinValue>("MinValue").DefaultIs(0),
    ks::Prop<&TsSpinEdit::MaxValue, &TsSpinEdit::SetMaxValue>("MaxValue").DefaultIs(0),
    ks::Prop<&TsSpinEdit::Increment, &TsSpinEdit::SetIncrement>("Increment").DefaultIs(1),
    ks::Prop<&TsSpinEdit::Value, &TsSpinEdit::SetValue>("Value"),
};

const ks::PropertyInfo BaseSpinEditProps[] = {
    ks::Prop<&TControl::Text, &TControl::SetText>("Text"),
    ks::Prop<&TsBaseSpinEdit::EditorEnabled, &TsBaseSpinEdit::SetEditorEnabled>("EditorEnabled").DefaultIs(true),
    ks::Prop<&TsBaseSpinEdit::OnUpClick, &TsBaseSpinEdit::SetOnUpClick>("OnUpClick"),
    ks::Prop<&TsBaseSpinEdit::OnDownClick, &TsBaseSpinEdit::SetOnDownClick>("OnDownClick"),
};

const ks::PropertyInfo SpinButtonProps[] = {
    ks::Prop<&TsSpinButton::DownGlyph>("DownGlyph"),
    ks::Prop<&TsSpinButton::FocusControl, &TsSpinButton::SetFocusControl>("FocusControl"),
    ks::Prop<&TsSpinButton::UpGlyph>("UpGlyph"),
    ks::Prop<&TsSpinButton::OnDownClick, &TsSpinButton::SetOnDownClick>("OnDownClick"),
    ks::Prop<&TsSpinButton::OnUpClick, &TsSpinButton::SetOnUpClick>("OnUpClick"),
};

} // namespace

const ks::ClassInfo TsSpinEdit::StaticClassInfo{"TsSpinEdit", &TsBaseSpinEdit::StaticClassInfo, SpinEditProps, {}};
const ks::ClassInfo& TsSpinEdit::ClassInfo() const noexcept { return StaticClassInfo; }

// ---- TsTimerSpeedButton --------------------------------------------------------------------

const ks::ClassInfo TsTimerSpeedButton::StaticClassInfo{"TsTimerSpeedButton", &TsSpeedButton::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsTimerSpeedButton::ClassInfo() const noexcept { return StaticClassInfo; }

TsTimerSpeedButton::TsTimerSpeedButton(TComponent* owner) : TsSpeedButton(owner)
{
    OwnerSpinButton = dynamic_cast<TsSpinButton*>(owner);
}

TsTimerSpeedButton::~TsTimerSpeedButton() = default;

void TsTimerSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    // The press runs OnMouseDown and gives the field the focus (its OnEnter): either may free it.
    ks::ComponentWatch watch;
    watch.Watch(this);
    TsSpeedButton::MouseDown(button, shift, x, y);
    if (!watch.Alive(this) || button != mbLeft || !Enabled())
        return;
    if (TimeBtnState.Contains(tbAllowTimer)) {
        if (!FRepeatTimer)
            FRepeatTimer = Create<TTimer>(this);
        FRepeatTimer->SetEnabled(false);
        FRepeatTimer->SetOnTimer(TNotifyEvent(this, &TsTimerSpeedButton::TimerExpired));
        FRepeatTimer->SetInterval(FirstRepeat);
        FRepeatTimer->SetEnabled(true);
    }
}

void TsTimerSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    // Stopped first: the release's click runs application code, which may free the half or show
    // a modal form whose message loop would let the repeat tick on.
    if (FRepeatTimer)
        FRepeatTimer->SetEnabled(false);
    TsSpeedButton::MouseUp(button, shift, x, y);
}

void TsTimerSpeedButton::TimerExpired(TObject*)
{
    FRepeatTimer->SetInterval(NextRepeats);
    if (State() != bsDown || !MouseCapture())
        return;
    try {
        Click();
    } catch (...) {
        FRepeatTimer->SetEnabled(false);
        throw;
    }
}

void TsTimerSpeedButton::Paint()
{
    if (Has(this, csDestroying) || Has(this, csLoading))
        return;
    TsSpeedButton::Paint();
    if (TimeBtnState.Contains(tbFocusRect)) {
        RECT r{3, 3, Width() - 3, Height() - 3};
        if (State() != bsUp)
            OffsetRect(&r, 1, 1);
        DrawFocusRect(Canvas().Handle(), &r);
    }
}

void TsTimerSpeedButton::DrawGlyph()
{
    if (!Glyph()->Empty()) {
        TsSpeedButton::DrawGlyph();
        return;
    }
    const bool skinned = SkinData()->IsSkinActive();
    TColor c = Enabled() ? Font()->Color() : clGrayText;
    if (skinned) {
        const TsGeneralData* own = SkinData()->Section();
        const TsGeneralData* edit = nullptr;
        if (OwnerSpinButton && OwnerSpinButton->OwnerEdit)
            edit = OwnerSpinButton->OwnerEdit->SkinData()->Section();
        const TsGeneralData* section = StateIndex() == 0 ? edit : own;
        if (section)
            c = section->FontColor[0];
    }
    TCanvas& canvas = skinned ? SkinData()->CacheBitmap->Canvas() : Canvas();
    canvas.Pen().SetColor(c);
    canvas.Pen().SetStyle(psSolid);
    canvas.Brush().SetColor(c);
    canvas.Brush().SetStyle(bsSolid);
    const int x = (Width() - 9) / 2, y = (Height() - 5) / 2;
    if (Up) {
        const TPoint pts[] = {{x + 1, y + 4}, {x + 7, y + 4}, {x + 4, y + 1}};
        canvas.Polygon(pts);
    } else {
        const TPoint pts[] = {{x + 1, y + 1}, {x + 7, y + 1}, {x + 4, y + 4}};
        canvas.Polygon(pts);
    }
}

// ---- TsSpinButton ---------------------------------------------------------------------------

const ks::ClassInfo TsSpinButton::StaticClassInfo{"TsSpinButton", &TWinControl::StaticClassInfo, SpinButtonProps, {}};
const ks::ClassInfo& TsSpinButton::ClassInfo() const noexcept { return StaticClassInfo; }

TsSpinButton::TsSpinButton(TComponent* owner) : TWinControl(owner)
{
    FControlStyle.Exclude(csAcceptsControls);
    FControlStyle.Exclude(csSetCaption);
    OwnerEdit = dynamic_cast<TsBaseSpinEdit*>(owner);
    UpButton = NewHalf(true);
    DownButton = NewHalf(false);
    ClearGlyphs();
    SetWidth(SpinButtonWidth);
    FocusedButton = UpButton;
}

TsTimerSpeedButton* TsSpinButton::NewHalf(bool up)
{
    auto* half = Create<TsTimerSpeedButton>(this);
    half->OwnerSpinButton = this;
    half->Up = up;
    half->SkinData()->SetSkinSection("SPEEDBUTTON_SMALL");
    half->SetParent(this);
    half->SetOnClick(TNotifyEvent(this, &TsSpinButton::HalfClick));
    half->SetOnMouseDown(TMouseEvent(this, &TsSpinButton::HalfMouseDown));
    half->SetNumGlyphs(1);
    half->SetVisible(true);
    half->SetEnabled(true);
    half->SetFlat(false);
    half->SetTransparent(true);
    half->TimeBtnState = TTimeBtnState{tbAllowTimer};
    return half;
}

void TsSpinButton::ClearGlyphs()
{
    UpButton->Glyph()->Assign(nullptr);
    DownButton->Glyph()->Assign(nullptr);
}

void TsSpinButton::SetFocusControl(TWinControl* value)
{
    FFocusControl = value;
    if (value)
        value->FreeNotification(this);
}

void TsSpinButton::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == FFocusControl)
        FFocusControl = nullptr;
}

void TsSpinButton::AdjustHalves(int& w, int& h)
{
    if (Has(this, csLoading) || h == 0 || !UpButton || !DownButton)
        return;
    if (w < MinHalfWidth)
        w = MinHalfWidth;
    UpButton->SetBounds(0, 0, w, h / 2);
    DownButton->SetBounds(0, UpButton->Height(), w, h - UpButton->Height());
}

void TsSpinButton::SetBounds(int left, int top, int width, int height)
{
    AdjustHalves(width, height);
    TWinControl::SetBounds(left, top, width, height);
}

void TsSpinButton::Loaded()
{
    TWinControl::Loaded();
    int w = Width(), h = Height();
    AdjustHalves(w, h);
    if (w != Width() || h != Height())
        SetBounds(Left(), Top(), w, h);
    if (OwnerEdit) {
        UpButton->SkinData()->SetSkinManager(OwnerEdit->SkinData()->OwnSkinManager());
        DownButton->SkinData()->SetSkinManager(OwnerEdit->SkinData()->OwnSkinManager());
    }
}

void TsSpinButton::HalfClick(TObject* sender)
{
    const TNotifyEvent handler = sender == UpButton ? FOnUpClick : FOnDownClick;
    if (handler)
        handler(this);
}

void TsSpinButton::HalfMouseDown(TObject* sender, TMouseButton button, TShiftState, int, int)
{
    if (button != mbLeft)
        return;
    SetFocusBtn(static_cast<TsTimerSpeedButton*>(sender));
    if (FFocusControl && FFocusControl->TabStop() && FFocusControl->CanFocus() &&
        GetFocus() != FFocusControl->Handle())
        FFocusControl->SetFocus();
    else if (TabStop() && CanFocus() && GetFocus() != Handle())
        SetFocus();
}

void TsSpinButton::SetFocusBtn(TsTimerSpeedButton* button)
{
    if (!TabStop() || !CanFocus() || button == FocusedButton)
        return;
    FocusedButton->TimeBtnState.Exclude(tbFocusRect);
    FocusedButton = button;
    if (Focused()) {
        FocusedButton->TimeBtnState.Include(tbFocusRect);
        FocusedButton->Invalidate();
    }
}

void TsSpinButton::PaintHalvesTo(HDC dc, TPoint p)
{
    for (TsTimerSpeedButton* half : {UpButton, DownButton}) {
        half->PrepareCache();
        if (TBitmap* cache = half->SkinData()->CacheBitmap.get(); cache && !cache->Empty())
            BitBlt(dc, p.X, p.Y + (half == DownButton ? UpButton->Height() : 0), half->Width(), half->Height(),
                   cache->Canvas().Handle(), 0, 0, SRCCOPY);
    }
}

// The halves lie on the edit's picture, inside its frame.
void TsSpinButton::BackgroundInfoCommand(BackgroundInfo* info)
{
    if (!info)
        return;
    TBitmap* cache = OwnerEdit->SkinData()->CacheBitmap.get();
    if (cache && !cache->Empty()) {
        info->BackgroundKind = 2;
        info->Bmp = cache;
        info->Offset = {info->Offset.X + Left() + 2, info->Offset.Y + Top() + 2};
    } else {
        info->BackgroundKind = 1;
    }
    info->Color = static_cast<TColor>(OwnerEdit->Perform(SM_SKINCMD, MAKEWPARAM(0, SKC_GET_BG_COLOR), 0));
}

void TsSpinButton::WndProc(TMessage& m)
{
    if (m.Msg == SM_SKINCMD && OwnerEdit) {
        switch (ks::SkinCommandView view(m); view.Command()) {
        case SKC_IS_UPDATING: view.SetResult(OwnerEdit->SkinData()->UpdateLock ? 1 : 0); return;
        case SKC_GET_BG_INFO: BackgroundInfoCommand(reinterpret_cast<BackgroundInfo*>(m.LParam)); return;
        default: break;
        }
    }
    switch (m.Msg) {
    case WM_SIZE: {
        TWinControl::WndProc(m);
        int w = Width(), h = Height();
        AdjustHalves(w, h);
        if (w != Width() || h != Height())
            SetBounds(Left(), Top(), w, h);
        m.Result = 0;
        return;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TWinControl::WndProc(m);
        if (m.Msg == WM_SETFOCUS)
            FocusedButton->TimeBtnState.Include(tbFocusRect);
        else
            FocusedButton->TimeBtnState.Exclude(tbFocusRect);
        FocusedButton->Invalidate();
        return;
    case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS; return;
    default: break;
    }
    TWinControl::WndProc(m);
    if (m.Msg == CM_ENABLEDCHANGED)
        ClearGlyphs();
}

// ---- TsBaseSpinEdit -------------------------------------------------------------------------

const ks::ClassInfo TsBaseSpinEdit::StaticClassInfo{"TsBaseSpinEdit", &TsEdit::StaticClassInfo, BaseSpinEditProps, {}};
const ks::ClassInfo& TsBaseSpinEdit::ClassInfo() const noexcept { return StaticClassInfo; }

TsBaseSpinEdit::TsBaseSpinEdit(TComponent* owner) : TsEdit(owner)
{
    FControlStyle.Exclude(csSetCaption);
    FControlStyle.Include(csAcceptsControls);
    FButton = Create<TsSpinButton>(this);
    FButton->SetVisible(false);
    FButton->SetParent(this);
    FButton->SetFocusControl(this);
    FButton->SetOnUpClick(TNotifyEvent(this, &TsBaseSpinEdit::UpClick));
    FButton->SetOnDownClick(TNotifyEvent(this, &TsBaseSpinEdit::DownClick));
    FButton->ClearGlyphs();
    FButton->SetVisible(true);
    FControlStyle.Exclude(csAcceptsControls);
}

bool TsBaseSpinEdit::IsValidChar(wchar_t key)
{
    const bool allowed = key == L'+' || key == L'-' || IsDigitChar(key) || key == DecimalSeparator();
    if (!allowed && (key >= 32 || key == VK_RETURN))
        return false;
    if (FEditorEnabled)
        return true;
    return key < 32 && key != VK_BACK;
}

void TsBaseSpinEdit::UpClick(TObject*) {}
void TsBaseSpinEdit::DownClick(TObject*) {}

void TsBaseSpinEdit::CreateParams(TCreateParams& params)
{
    TsEdit::CreateParams(params);
    params.Style &= ~static_cast<DWORD>(WS_BORDER);
    params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
}

void TsBaseSpinEdit::CreateWnd()
{
    TsEdit::CreateWnd();
    SetEditRect();
}

void TsBaseSpinEdit::Loaded()
{
    TsEdit::Loaded();
    FButton->ClearGlyphs();
    SetEditRect();
}

void TsBaseSpinEdit::SetEditRect()
{
    if (!HandleAllocated())
        return;
    RECT r{0, 0, Width() - FButton->Width() - 3, ClientHeight() + 1};
    SendMessageW(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TsBaseSpinEdit::KeyDown(WORD& key, TShiftState shift)
{
    TsEdit::KeyDown(key, shift);
    if (key == VK_UP)
        UpClick(this);
    else if (key == VK_DOWN)
        DownClick(this);
    if (key != 0)
        SetEditRect();
}

void TsBaseSpinEdit::KeyPress(wchar_t& key)
{
    if (!IsValidChar(key)) {
        key = 0;
        Beep();
    }
    if (key != 0)
        TsEdit::KeyPress(key);
}

void TsBaseSpinEdit::PrepareCache()
{
    TsEdit::PrepareCache();
    // A disabled field shows its halves from its own cache (the spin button is hidden then),
    // mixed with the field's picture beneath them as a disabled control is with its parent.
    if (Enabled() || !SkinData()->CacheBitmap || SkinData()->CacheBitmap->Empty())
        return;
    const int w = BorderEdge();
    TBitmap& cache = *SkinData()->CacheBitmap;
    const TRect r{FButton->Left() + w, FButton->Top() + w, FButton->Left() + w + FButton->Width(),
                  FButton->Top() + w + FButton->Height()};
    std::unique_ptr<TBitmap> under = NewBitmap24(r.Width(), r.Height());
    BitBlt(under->Canvas().Handle(), 0, 0, r.Width(), r.Height(), cache.Canvas().Handle(), r.Left, r.Top, SRCCOPY);
    std::unique_ptr<TBitmap> halves = NewBitmap24(r.Width(), r.Height());
    FButton->PaintHalvesTo(halves->Canvas().Handle(), {0, 0});
    ApplyDisabledLook(*halves, DisabledKind(), this, CacheInfoFromBitmap(under.get(), 0, 0), {0, 0});
    BitBlt(cache.Canvas().Handle(), r.Left, r.Top, r.Width(), r.Height(), halves->Canvas().Handle(), 0, 0, SRCCOPY);
}

void TsBaseSpinEdit::PassToHalves(TMessage& m)
{
    for (TsTimerSpeedButton* half : {FButton->UpButton, FButton->DownButton}) {
        half->Perform(m.Msg, m.WParam, m.LParam);
        if (HIWORD(m.WParam) == SKC_NEW_SKIN)
            half->SetEnabled(true);
        else
            half->Invalidate();
    }
    FButton->ClearGlyphs();
    SetEditRect();
}

// A disabled field's colour is mixed with the parent's, like the rest of a disabled control.
TColor TsBaseSpinEdit::BackgroundColorForHalves()
{
    const TColor c = SkinData()->QueryBackgroundColor(false, nullptr);
    return Enabled() ? c : BlendColors(c, ControlBackColor(Parent()), 0.5);
}

void TsBaseSpinEdit::BackgroundInfoCommand(BackgroundInfo* info)
{
    if (info)
        SkinData()->AnswerBackgroundInfo(*info, false, nullptr);
}

// Only the edit's own manager changes the halves' skin.
void TsBaseSpinEdit::SkinChangeCommand(ks::SkinCommandView view)
{
    if (view.Manager() == SkinData()->SkinManager())
        PassToHalves(view.Message());
}

void TsBaseSpinEdit::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_PASTE:
    case WM_CUT:
        if (!FEditorEnabled || ReadOnly())
            return;
        break;
    case SM_SKINCMD:
        switch (ks::SkinCommandView view(m); view.Command()) {
        case SKC_GET_BG_COLOR: view.SetResult(static_cast<LRESULT>(BackgroundColorForHalves())); return;
        case SKC_GET_BG_INFO: BackgroundInfoCommand(reinterpret_cast<BackgroundInfo*>(m.LParam)); return;
        default: break;
        }
        break;
    default: break;
    }
    // The focus runs OnEnter, which may free the field.
    std::optional<ks::ComponentWatch> watch;
    if (m.Msg == WM_SETFOCUS)
        watch.emplace().Watch(this);
    TsEdit::WndProc(m);
    if (watch && !watch->Alive(this))
        return;
    switch (m.Msg) {
    case CM_ENABLEDCHANGED:
        FButton->SetEnabled(Enabled());
        if (!SkinData()->IsSkinActive()) {
            FButton->UpButton->SetEnabled(Enabled());
            FButton->DownButton->SetEnabled(Enabled());
        } else {
            FButton->SetVisible(Enabled());
        }
        break;
    case CM_FONTCHANGED:
    case WM_SIZE:
        if (m.Msg == WM_SIZE)
            FButton->SetBounds(Width() - FButton->Width() - 4, 0, FButton->Width(), Height() - 4);
        SetEditRect();
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        for (TsTimerSpeedButton* half : {FButton->UpButton, FButton->DownButton}) {
            half->SkinData()->MouseIsAbove = false;
            half->Perform(SM_SKINCMD, MAKEWPARAM(0, SKC_STOP_FADE), 0);
            half->SkinData()->BackgroundChanged = true;
            half->Redraw();
        }
        break;
    case WM_SETFOCUS:
        if (AutoSelect())
            SelectAll();
        break;
    case WM_PAINT:
        if (SkinData()->IsSkinActive() && !SkinData()->Updating() && Enabled())
            for (TsTimerSpeedButton* half : {FButton->UpButton, FButton->DownButton}) {
                half->Perform(SM_SKINCMD, MAKEWPARAM(0, SKC_STOP_FADE), 0);
                half->SkinData()->BackgroundChanged = true;
            }
        break;
    case SM_SKINCMD:
        switch (ks::SkinCommandView view(m); view.Command()) {
        case SKC_NEW_SKIN:
        case SKC_REMOVE_SKIN:
        case SKC_REFRESH: SkinChangeCommand(view); break;
        case SKC_PARENT_UPDATED: FButton->Repaint(); break;
        default: break;
        }
        break;
    default: break;
    }
}

// ---- TsSpinEdit -----------------------------------------------------------------------------

int TsSpinEdit::Value() const
{
    return StrToIntDef(Text(), FMinValue);
}

void TsSpinEdit::SetValue(int value)
{
    if (Has(this, csLoading))
        return;
    SetText(IntToStrW(CheckValue(value)));
}

int TsSpinEdit::CheckValue(int value) const noexcept
{
    if (FMinValue == FMaxValue)
        return value;
    return std::clamp(value, std::min(FMinValue, FMaxValue), std::max(FMinValue, FMaxValue));
}

bool TsSpinEdit::IsValidChar(wchar_t key)
{
    if (!IsDigitChar(key) && (key >= 32 || key == VK_RETURN))
        return false;
    if (EditorEnabled())
        return true;
    return key < 32 && key != VK_BACK;
}

void TsSpinEdit::UpClick(TObject*)
{
    if (ReadOnly()) {
        Beep();
        return;
    }
    if (FOnUpClick)
        FOnUpClick(this);
    else
        StepValue(FIncrement);
}

void TsSpinEdit::DownClick(TObject*)
{
    if (ReadOnly()) {
        Beep();
        return;
    }
    if (FOnDownClick)
        FOnDownClick(this);
    else
        StepValue(-static_cast<int64_t>(FIncrement));
}

void TsSpinEdit::StepValue(int64_t delta)
{
    // Counted wide: a step past the ends of the integer range stops at them instead of wrapping.
    const int64_t stepped = std::clamp<int64_t>(int64_t{Value()} + delta, INT_MIN, INT_MAX);
    SetValue(static_cast<int>(stepped));
}

void TsSpinEdit::CMMouseWheel(TMessage& m)
{
    TsBaseSpinEdit::Dispatch(m);
    if (ReadOnly())
        return;
    StepValue(int64_t{TCMMouseWheel(m).WheelDelta() / 120} * FIncrement);
    m.Result = 1;
}

void TsSpinEdit::KeyPress(wchar_t& key)
{
    TsBaseSpinEdit::KeyPress(key);
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
    TsBaseSpinEdit::KeyDown(key, shift);
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
    case CM_MOUSEWHEEL: CMMouseWheel(message); break;
    default: TsBaseSpinEdit::Dispatch(message); break;
    }
}

void TsSpinEdit::WMSetText(TMessage& m)
{
    // The new text runs OnChange, which may free the field.
    ks::ComponentWatch watch;
    watch.Watch(this);
    FSettingText = true;
    ks::ScopeExit reset{[this, &watch] {
        if (watch.Alive(this))
            FSettingText = false;
    }};
    TsBaseSpinEdit::Dispatch(m);
}

void TsSpinEdit::CNCommand(TWMCommand& m)
{
    // The change that took the non-digits out is told instead of the one that brought them.
    if (m.NotifyCode() == EN_CHANGE && !FSettingText && DropNonDigits())
        return;
    TsBaseSpinEdit::Dispatch(m.Message());
}

void TsSpinEdit::CMExit(TMessage& m)
{
    ClampValue();
    TsBaseSpinEdit::Dispatch(m);
}

void TsSpinEdit::PasteDigits()
{
    // As WM_PASTE: a closed editor takes no paste either.
    if (ReadOnly() || !EditorEnabled())
        return;
    std::wstring digits = Clipboard().AsText();
    std::erase_if(digits, [](wchar_t c) { return !IsDigitChar(c); });
    // EM_REPLACESEL keeps to the edit's MaxLength, and can be undone like a typed paste.
    Perform(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(digits.c_str()));
}

bool TsSpinEdit::NegativeAllowed() const noexcept
{
    return FMinValue == FMaxValue || std::min(FMinValue, FMaxValue) < 0;
}

bool TsSpinEdit::DropNonDigits()
{
    const std::wstring text = Text();
    // A negative value keeps its sign while its digits are edited.
    const size_t sign = NegativeAllowed() && !text.empty() && text[0] == L'-' ? 1 : 0;
    auto kept = [&](size_t i) { return i < sign || IsDigitChar(text[i]); };
    size_t dropped = 0, droppedBeforeCaret = 0;
    const size_t caret = std::min(static_cast<size_t>(std::max(SelStart(), 0)), text.size());
    std::wstring digits;
    for (size_t i = 0; i < text.size(); ++i) {
        if (kept(i)) {
            digits += text[i];
            continue;
        }
        ++dropped;
        if (i < caret)
            ++droppedBeforeCaret;
    }
    if (dropped == 0)
        return false;
    // Not WM_SETTEXT: the digits are the user's change, which the nested EN_CHANGE tells.
    Perform(EM_SETSEL, 0, -1);
    Perform(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(digits.c_str()));
    SetSelStart(static_cast<int>(caret - droppedBeforeCaret));
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
    RegisterClasses<TsBaseSpinEdit, TsSpinEdit, TsSpinButton>();
}
