#include "vcl/Controls.h"

#include "vcl/ActnList.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <utility>

namespace {

constexpr const char* OwnParentText = "A control cannot have itself or a child as its parent";
constexpr const char* NotAPopupMenuText = "%s is not a popup menu";

constexpr ks::PropertyInfo ControlProps[] = {
    ks::Prop<&TControl::Left, &TControl::SetLeft>("Left"),
    ks::Prop<&TControl::Top, &TControl::SetTop>("Top"),
    ks::Prop<&TControl::Width, &TControl::SetWidth>("Width"),
    ks::Prop<&TControl::Height, &TControl::SetHeight>("Height"),
    ks::Prop<&TControl::Align, &TControl::SetAlign>("Align").DefaultIs(alNone),
    ks::Prop<&TControl::Action, &TControl::SetAction>("Action"),
    ks::Prop<&TControl::Anchors, &TControl::SetAnchors>("Anchors").DefaultIs(TAnchors{akLeft, akTop}),
    ks::Prop<&TControl::Caption, &TControl::SetCaption>("Caption"),
    ks::Prop<&TControl::Color, &TControl::SetColor>("Color").Idents("TColor").StoredIf<&TControl::IsColorStored>(),
    ks::Prop<&TControl::Constraints>("Constraints"),
    ks::Prop<&TControl::Cursor, &TControl::SetCursor>("Cursor").Idents("TCursor").DefaultIs(crDefault),
    ks::Prop<&TControl::Enabled, &TControl::SetEnabled>("Enabled").DefaultIs(true),
    ks::Prop<&TControl::Font>("Font").StoredIf<&TControl::IsFontStored>(),
    ks::Prop<&TControl::Hint, &TControl::SetHint>("Hint"),
    ks::Prop<&TControl::ParentColor, &TControl::SetParentColor>("ParentColor").DefaultIs(true),
    ks::Prop<&TControl::ParentFont, &TControl::SetParentFont>("ParentFont").DefaultIs(true),
    ks::Prop<&TControl::ParentShowHint, &TControl::SetParentShowHint>("ParentShowHint").DefaultIs(true),
    ks::Prop<&TControl::PopupMenuComponent, &TControl::SetPopupMenuComponent>("PopupMenu"),
    ks::Prop<&TControl::ShowHint, &TControl::SetShowHint>("ShowHint").StoredIf<&TControl::IsShowHintStored>(),
    ks::Prop<&TControl::Visible, &TControl::SetVisible>("Visible").DefaultIs(true),
    ks::Prop<&TControl::OnClick, &TControl::SetOnClick>("OnClick"),
    ks::Prop<&TControl::OnDblClick, &TControl::SetOnDblClick>("OnDblClick"),
    ks::Prop<&TControl::OnMouseDown, &TControl::SetOnMouseDown>("OnMouseDown"),
    ks::Prop<&TControl::OnMouseEnter, &TControl::SetOnMouseEnter>("OnMouseEnter"),
    ks::Prop<&TControl::OnMouseLeave, &TControl::SetOnMouseLeave>("OnMouseLeave"),
    ks::Prop<&TControl::OnMouseMove, &TControl::SetOnMouseMove>("OnMouseMove"),
    ks::Prop<&TControl::OnMouseUp, &TControl::SetOnMouseUp>("OnMouseUp"),
};

struct CursorIdent {
    const char* name;
    TCursor value;
    const wchar_t* system; // IDC_ resource of the system cursor
};

const CursorIdent CursorIdents[] = {
    {"crDefault", crDefault, IDC_ARROW},   {"crNone", crNone, nullptr},
    {"crArrow", crArrow, IDC_ARROW},       {"crCross", crCross, IDC_CROSS},
    {"crIBeam", crIBeam, IDC_IBEAM},       {"crSizeNESW", crSizeNESW, IDC_SIZENESW},
    {"crSizeNS", crSizeNS, IDC_SIZENS},    {"crSizeNWSE", crSizeNWSE, IDC_SIZENWSE},
    {"crSizeWE", crSizeWE, IDC_SIZEWE},    {"crUpArrow", crUpArrow, IDC_UPARROW},
    {"crHourGlass", crHourGlass, IDC_WAIT}, {"crNo", crNo, IDC_NO},
    {"crAppStart", crAppStart, IDC_APPSTARTING}, {"crHelp", crHelp, IDC_HELP},
    {"crHandPoint", crHandPoint, IDC_HAND}, {"crSizeAll", crSizeAll, IDC_SIZEALL},
};

bool CursorToInt(std::string_view ident, int32_t& value)
{
    for (const CursorIdent& c : CursorIdents)
        if (SameTextAscii(c.name, ident)) {
            value = c.value;
            return true;
        }
    return false;
}

bool IntToCursor(int32_t value, std::string& ident)
{
    for (const CursorIdent& c : CursorIdents)
        if (c.value == value) {
            ident = c.name;
            return true;
        }
    return false;
}

TControl* gMouseControl = nullptr;
TControl* gCaptureControl = nullptr;

constexpr ks::PropertyInfo ConstraintsProps[] = {
    ks::Prop<&TSizeConstraints::MaxHeight, &TSizeConstraints::SetMaxHeight>("MaxHeight").DefaultIs(0),
    ks::Prop<&TSizeConstraints::MaxWidth, &TSizeConstraints::SetMaxWidth>("MaxWidth").DefaultIs(0),
    ks::Prop<&TSizeConstraints::MinHeight, &TSizeConstraints::SetMinHeight>("MinHeight").DefaultIs(0),
    ks::Prop<&TSizeConstraints::MinWidth, &TSizeConstraints::SetMinWidth>("MinWidth").DefaultIs(0),
};

} // namespace

const ks::ClassInfo TControl::StaticClassInfo{"TControl", &TComponent::StaticClassInfo, ControlProps, {}};
const ks::ClassInfo TSizeConstraints::StaticClassInfo{"TSizeConstraints", &TPersistent::StaticClassInfo,
                                                      ConstraintsProps, {}};

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo& TSizeConstraints::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

void TSizeConstraints::SetMinWidth(int value)
{
    SetBound(FMinWidth, FMaxWidth, value, true);
}

void TSizeConstraints::SetMinHeight(int value)
{
    SetBound(FMinHeight, FMaxHeight, value, true);
}

void TSizeConstraints::SetMaxWidth(int value)
{
    SetBound(FMaxWidth, FMinWidth, value, false);
}

void TSizeConstraints::SetMaxHeight(int value)
{
    SetBound(FMaxHeight, FMinHeight, value, false);
}

void TSizeConstraints::SetBound(int& bound, int& opposite, int value, bool minimum)
{
    value = std::max(value, 0);
    if (value == bound)
        return;
    bound = value;
    const int least = minimum ? bound : opposite, most = minimum ? opposite : bound;
    if (most > 0 && least > most)
        opposite = bound;
    Change();
}

void TSizeConstraints::Assign(const TPersistent* source)
{
    if (auto* c = dynamic_cast<const TSizeConstraints*>(source)) {
        FMinWidth = c->FMinWidth;
        FMinHeight = c->FMinHeight;
        FMaxWidth = c->FMaxWidth;
        FMaxHeight = c->FMaxHeight;
        Change();
        return;
    }
    TPersistent::Assign(source);
}

void TSizeConstraints::Constrain(int& width, int& height) const noexcept
{
    if (FMinWidth > 0 && width < FMinWidth)
        width = FMinWidth;
    if (FMaxWidth > 0 && width > FMaxWidth)
        width = FMaxWidth;
    if (FMinHeight > 0 && height < FMinHeight)
        height = FMinHeight;
    if (FMaxHeight > 0 && height > FMaxHeight)
        height = FMaxHeight;
}

void TSizeConstraints::Change()
{
    if (FControl)
        FControl->SetBounds(FControl->Left(), FControl->Top(), FControl->Width(), FControl->Height());
}

// ---------------------------------------------------------------------------------------------
TShiftState KeysToShiftState(UINT keys) noexcept
{
    TShiftState s;
    if (keys & MK_SHIFT)
        s.Include(ssShift);
    if (keys & MK_CONTROL)
        s.Include(ssCtrl);
    if (keys & MK_LBUTTON)
        s.Include(ssLeft);
    if (keys & MK_RBUTTON)
        s.Include(ssRight);
    if (keys & MK_MBUTTON)
        s.Include(ssMiddle);
    if (GetKeyState(VK_MENU) < 0)
        s.Include(ssAlt);
    return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData) noexcept
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0)
        s.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        s.Include(ssCtrl);
    if (keyData & 0x20000000)
        s.Include(ssAlt);
    return s;
}

void ks::RegisterCursorIdents()
{
    RegisterIntegerConsts("TCursor", &CursorToInt, &IntToCursor);
}

HCURSOR ks::CursorHandle(TCursor cursor) noexcept
{
    for (const CursorIdent& c : CursorIdents)
        if (c.value == cursor)
            return c.system ? LoadCursorW(nullptr, c.system) : nullptr;
    return LoadCursorW(nullptr, IDC_ARROW);
}

TControl* ks::MouseControl() noexcept
{
    return gMouseControl;
}

void ks::SetMouseControl(TControl* control)
{
    if (control == gMouseControl)
        return;
    TControl* old = gMouseControl;
    gMouseControl = control;
    if (old)
        old->Perform(CM_MOUSELEAVE, 0, TCMControl::ToLParam(old));
    // The leave handler may have moved the mouse control on; the newer news wins.
    if (control && gMouseControl == control)
        control->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(control));
}

bool ks::IsMirrored(HWND wnd) noexcept
{
    return wnd && (GetWindowLongW(wnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
}

int ks::ShownLeft(const TControl& control)
{
    const TWinControl* parent = control.Parent();
    const HWND wnd = parent ? parent->HandleIfAllocated() : nullptr;
    if (!IsMirrored(wnd))
        return control.Left();
    RECT client{};
    GetClientRect(wnd, &client);
    return client.right - control.Left() - control.Width();
}

TControl* ks::CaptureControl() noexcept
{
    return gCaptureControl;
}

TCustomForm* GetParentForm(const TControl* control) noexcept
{
    if (!control)
        return nullptr;
    while (control->Parent())
        control = control->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(control));
}

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo& TControl::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TControl::TControl(TComponent* owner)
    : TComponent(owner), FFont(std::make_unique<TFont>()), FConstraints(std::make_unique<TSizeConstraints>(this))
{
    FFont->SetOnChange(TNotifyEvent(this, &TControl::FontChanged));
    FWindowProc = TWndMethod(this, &TControl::WndProc);
}

// The control's side of its action: every change of the action reaches ActionChange.
class TControl::ActionLinkOf final : public TBasicActionLink {
public:
    explicit ActionLinkOf(TControl& client) noexcept : FClient(client) {}

protected:
    void Change() override { FClient.ActionChange(Action(), false); }

private:
    TControl& FClient;
};

TControl::~TControl()
{
    if (FGone)
        *FGone = true;
    if (gMouseControl == this)
        gMouseControl = nullptr;
    if (gCaptureControl == this)
        gCaptureControl = nullptr;
}

void TControl::BeforeDestruction()
{
    if (!ComponentState().Contains(csDestroying))
        Destroying();
    // No CM_MOUSELEAVE to a control that is going: its handlers may reach freed parts.
    if (gMouseControl == this)
        gMouseControl = nullptr;
    if (gCaptureControl == this) {
        gCaptureControl = nullptr;
        ReleaseCapture();
    }
    SetPopupMenuComponent(nullptr);
    SetAction(nullptr);
    if (FParent)
        SetParent(nullptr);
    TComponent::BeforeDestruction();
}

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FPopupMenu)
        FPopupMenu = nullptr;
    if (operation == opRemove && FActionLink && component == FActionLink->Action())
        SetAction(nullptr);
}

// ---- actions --------------------------------------------------------------------------------
TBasicAction* TControl::Action() const noexcept
{
    return FActionLink ? FActionLink->Action() : nullptr;
}

void TControl::SetAction(TBasicAction* action)
{
    TBasicAction* old = Action();
    if (action == old)
        return;
    if (old)
        old->RemoveFreeNotification(this);
    if (!action) {
        FActionLink.reset();
        return;
    }
    if (!FActionLink)
        FActionLink = std::make_unique<ActionLinkOf>(*this);
    FActionLink->SetAction(action);
    action->FreeNotification(this);
    ActionChange(action, ComponentState().Contains(csLoading));
}

void TControl::InitiateAction()
{
    if (FActionLink)
        FActionLink->Update();
}

void TControl::ActionChange(TObject* sender, bool checkDefaults)
{
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    if (!checkDefaults || Caption().empty())
        SetCaption(action->Caption());
    if (!checkDefaults || Enabled())
        SetEnabled(action->Enabled());
    if (!checkDefaults || FHint.empty())
        SetHint(action->Hint());
    if (!checkDefaults || Visible())
        SetVisible(action->Visible());
}

void TControl::Loaded()
{
    TComponent::Loaded();
    // Properties that follow the parent were not taken while the form was read.
    ParentChanged(CM_PARENTCOLORCHANGED);
    ParentChanged(CM_PARENTFONTCHANGED);
    ParentChanged(CM_PARENTSHOWHINTCHANGED);
}

void TControl::ParentChanged(UINT msg)
{
    if (FParent)
        Perform(msg);
}

// ---- tree -----------------------------------------------------------------------------------
void TControl::SetParent(TWinControl* parent)
{
    if (parent == FParent)
        return;
    if (parent == this)
        throw EInvalidOperation(OwnParentText);
    if (auto* self = dynamic_cast<TWinControl*>(this); self && parent && self->ContainsControl(parent))
        throw EInvalidOperation(OwnParentText);
    // The press began over the old parent and cannot follow the control to the new one.
    if (FParent && !EndPress())
        return;
    if (parent == FParent)
        return;
    if (FParent)
        FParent->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const
{
    return FParent;
}

void TControl::SetParentComponent(TComponent* parent)
{
    if (auto* p = dynamic_cast<TWinControl*>(parent))
        SetParent(p);
}

// ---- geometry -------------------------------------------------------------------------------
void TControl::SetBounds(int left, int top, int width, int height)
{
    FConstraints->Constrain(width, height);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
        return;
    InvalidateControl(FVisible, false);
    FLeft = left;
    FTop = top;
    FWidth = std::max(width, 0);
    FHeight = std::max(height, 0);
    InvalidateControl(FVisible, FControlStyle.Contains(csOpaque));
    RequestAlign();
    // Windowless controls hear of their new place as windows do.
    WINDOWPOS pos{};
    pos.x = FLeft;
    pos.y = FTop;
    pos.cx = FWidth;
    pos.cy = FHeight;
    pos.flags = SWP_NOZORDER | SWP_NOACTIVATE;
    Perform(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
}

TRect TControl::ClientRect() const
{
    return {0, 0, FWidth, FHeight};
}

void TControl::SetClientWidth(int value)
{
    SetWidth(FWidth - ClientWidth() + value);
}

void TControl::SetClientHeight(int value)
{
    SetHeight(FHeight - ClientHeight() + value);
}

TPoint TControl::ClientOrigin() const
{
    if (!FParent)
        return {FLeft, FTop};
    TPoint origin = FParent->ClientOrigin();
    // A mirrored parent's client origin is its right edge on the screen; the control shows at
    // its mirrored place, its own picture read from its left edge there (ks::PlacedDC).
    if (ks::IsMirrored(FParent->HandleIfAllocated()))
        return {origin.X - FLeft - FWidth, origin.Y + FTop};
    return {origin.X + FLeft, origin.Y + FTop};
}

namespace {

// A window laid out right to left counts its client's x from its right edge on the screen.
bool CountsFromTheRight(const TControl& control)
{
    const auto* windowed = dynamic_cast<const TWinControl*>(&control);
    return windowed && ks::IsMirrored(windowed->HandleIfAllocated());
}

} // namespace

TPoint TControl::ClientToScreen(TPoint p) const
{
    const TPoint origin = ClientOrigin();
    return {CountsFromTheRight(*this) ? origin.X - p.X : origin.X + p.X, origin.Y + p.Y};
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    const TPoint origin = ClientOrigin();
    return {CountsFromTheRight(*this) ? origin.X - p.X : p.X - origin.X, p.Y - origin.Y};
}

void TControl::SetAlign(TAlign align)
{
    if (align == FAlign)
        return;
    FAlign = align;
    RequestAlign();
}

void TControl::RequestAlign()
{
    if (FParent && FAlign != alNone)
        FParent->Realign();
}

// ---- state ----------------------------------------------------------------------------------
void TControl::SetVisible(bool value)
{
    if (value == FVisible)
        return;
    FVisible = value;
    if (!value && !EndPress())
        return;
    // Shown, a form may be freed by its first paint.
    const GoneWatch watch(*this);
    Perform(CM_VISIBLECHANGED, value ? 1 : 0);
    if (!watch.Gone())
        RequestAlign();
}

void TControl::SetEnabled(bool value)
{
    if (value == FEnabled)
        return;
    FEnabled = value;
    if (!value && !EndPress())
        return;
    Perform(CM_ENABLEDCHANGED);
}

// ---- appearance -----------------------------------------------------------------------------
void TControl::SetText(const std::wstring& value)
{
    if (value == GetText())
        return;
    Perform(WM_SETTEXT, 0, TWMSetText::FromText(value.c_str()));
}

void TControl::FontChanged(TObject*)
{
    FParentFont = false;
    Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool value)
{
    if (value == FParentFont)
        return;
    FParentFont = value;
    if (value)
        ParentChanged(CM_PARENTFONTCHANGED);
}

void TControl::SetColor(TColor value)
{
    if (value == FColor)
        return;
    FColor = value;
    FParentColor = false;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value)
{
    if (value == FParentColor)
        return;
    FParentColor = value;
    if (value)
        ParentChanged(CM_PARENTCOLORCHANGED);
}

void TControl::SetCursor(TCursor value)
{
    if (value == FCursor)
        return;
    FCursor = value;
    Perform(CM_CURSORCHANGED);
}

void TControl::SetShowHint(bool value)
{
    if (value == FShowHint && !FParentShowHint)
        return;
    FShowHint = value;
    FParentShowHint = false;
    Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value)
{
    if (value == FParentShowHint)
        return;
    FParentShowHint = value;
    if (value)
        ParentChanged(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetPopupMenuComponent(TComponent* menu)
{
    if (menu == FPopupMenu)
        return;
    if (menu) {
        const ks::RegisteredClass* popup = GetClass("TPopupMenu");
        if (!popup || !menu->ClassInfo().InheritsFrom(*popup->Info))
            throw EInvalidOperation(Format(NotAPopupMenuText, {menu->Name()}));
    }
    ReplaceReference(FPopupMenu, menu);
}

// ---- messages -------------------------------------------------------------------------------
void TControl::SetWindowProc(TWndMethod method)
{
    FWindowProc = method.Assigned() ? method : TWndMethod(this, &TControl::WndProc);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage m{msg, wParam, lParam, 0};
    FWindowProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& message)
{
    Dispatch(message);
}

void TControl::Dispatch(TMessage& m)
{
    TWMMouse mouse(m);
    TCMControl control(m);
    switch (m.Msg) {
    case WM_SETTEXT: { TWMSetText v(m); WMSetText(v); break; }
    case WM_GETTEXT: { TWMGetText v(m); WMGetText(v); break; }
    case WM_GETTEXTLENGTH: WMGetTextLength(m); break;
    case WM_LBUTTONDOWN: WMMouseButton(mouse, mbLeft, true, false); break;
    case WM_LBUTTONDBLCLK: WMMouseButton(mouse, mbLeft, true, true); break;
    case WM_LBUTTONUP: WMMouseButton(mouse, mbLeft, false, false); break;
    case WM_RBUTTONDOWN: WMMouseButton(mouse, mbRight, true, false); break;
    case WM_RBUTTONDBLCLK: WMMouseButton(mouse, mbRight, true, true); break;
    case WM_RBUTTONUP: WMMouseButton(mouse, mbRight, false, false); break;
    case WM_MBUTTONDOWN: WMMouseButton(mouse, mbMiddle, true, false); break;
    case WM_MBUTTONDBLCLK: WMMouseButton(mouse, mbMiddle, true, true); break;
    case WM_MBUTTONUP: WMMouseButton(mouse, mbMiddle, false, false); break;
    case WM_MOUSEMOVE: WMMouseMove(mouse); break;
    case WM_CANCELMODE: WMCancelMode(m); break;
    case WM_CONTEXTMENU: WMContextMenu(m); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(m); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(m); break;
    case CM_COLORCHANGED: Invalidate(); break;
    case CM_FONTCHANGED: Invalidate(); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(m); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(m); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(m); break;
    case CM_MOUSEENTER: CMMouseEnter(control); break;
    case CM_MOUSELEAVE: CMMouseLeave(control); break;
    default: DefaultHandler(m); break;
    }
}

void TControl::DefaultHandler(TMessage&)
{
}

void TControl::WMSetText(TWMSetText& m)
{
    FText = m.Text() ? m.Text() : L"";
    m.SetResult(TRUE);
    Perform(CM_TEXTCHANGED);
}

void TControl::WMGetText(TWMGetText& m)
{
    wchar_t* buffer = m.Buffer();
    const size_t capacity = m.Capacity();
    if (!buffer || capacity == 0) {
        m.SetResult(0);
        return;
    }
    size_t n = std::min(FText.size(), capacity - 1);
    std::copy_n(FText.data(), n, buffer);
    buffer[n] = L'\0';
    m.SetResult(static_cast<LRESULT>(n));
}

void TControl::WMGetTextLength(TMessage& m)
{
    m.Result = static_cast<LRESULT>(FText.size());
}

void TControl::WMMouseButton(TWMMouse& m, TMouseButton button, bool down, bool dblClick)
{
    // The window's own handling (a right button's release opens the context menu), OnDblClick
    // and OnClick may free the control.
    const GoneWatch watch(*this);
    DefaultHandler(m.Message());
    if (watch.Gone())
        return;
    TShiftState shift = KeysToShiftState(m.Keys());
    if (down) {
        if (FControlStyle.Contains(csCaptureMouse))
            SetMouseCapture(true);
        if (button == mbLeft) {
            FControlState.Include(csLButtonDown);
            if (FControlStyle.Contains(csClickEvents))
                FControlState.Include(csClicked);
        }
        if (dblClick) {
            shift.Include(ssDouble);
            if (button == mbLeft && FControlStyle.Contains(csDoubleClicks))
                DblClick();
            if (watch.Gone())
                return;
        }
        MouseDown(button, shift, m.XPos(), m.YPos());
        return;
    }
    if (FControlStyle.Contains(csCaptureMouse))
        SetMouseCapture(false);
    if (button == mbLeft) {
        const bool clicked = FControlState.Contains(csClicked);
        FControlState.Exclude(csClicked).Exclude(csLButtonDown);
        const TRect r = ClientRect();
        if (clicked && m.XPos() >= r.Left && m.XPos() < r.Right && m.YPos() >= r.Top && m.YPos() < r.Bottom)
            Click();
        if (watch.Gone())
            return;
    }
    MouseUp(button, shift, m.XPos(), m.YPos());
}

void TControl::WMMouseMove(TWMMouse& m)
{
    DefaultHandler(m.Message());
    MouseMove(KeysToShiftState(m.Keys()), m.XPos(), m.YPos());
}

void TControl::WMCancelMode(TMessage& m)
{
    DefaultHandler(m);
    if (!MouseCapture()) {
        FControlState.Exclude(csLButtonDown);
        return;
    }
    SetMouseCapture(false);
    // A point outside every control: the release clicks nothing, and a repeating button stops.
    if (FControlState.Contains(csLButtonDown))
        Perform(WM_LBUTTONUP, 0, TWMMouse::MakePos(-1, -1));
}

void TControl::WMContextMenu(TMessage& m)
{
    const TWMContextMenu view(m);
    TPoint at = ClientToScreen({0, 0});
    if (!view.FromKeyboard()) {
        const POINT pos = view.Pos();
        at = {pos.x, pos.y};
        // Over a window's caption or scroll bars the system's menu belongs.
        const TPoint p = ScreenToClient(at);
        const TRect r = ClientRect();
        if (p.X < r.Left || p.X >= r.Right || p.Y < r.Top || p.Y >= r.Bottom) {
            DefaultHandler(m);
            return;
        }
    }
    auto* menu = PopupMenu<TPopupMenu>();
    if (!menu) {
        // A window's own procedure hands it to the parent window.
        DefaultHandler(m);
        return;
    }
    menu->SetPopupComponent(this);
    m.Result = 1;
    menu->Popup(at.X, at.Y);
}

// A window gets WM_CANCELMODE from the system when it is disabled; a windowless control is told
// the same way when it is disabled, hidden or taken from its parent, before it hears of its new
// state, so that it is drawn up and the release that follows clicks nothing.
bool TControl::EndPress()
{
    if (dynamic_cast<TWinControl*>(this) || (gCaptureControl != this && !FControlState.Contains(csLButtonDown)))
        return true;
    const GoneWatch watch(*this);
    Perform(WM_CANCELMODE);
    return !watch.Gone();
}

void TControl::CMEnabledChanged(TMessage&)
{
    Invalidate();
}

void TControl::CMVisibleChanged(TMessage&)
{
    InvalidateControl(true, FVisible && FControlStyle.Contains(csOpaque));
}

void TControl::CMParentFontChanged(TMessage&)
{
    if (!FParentFont || !FParent)
        return;
    FFont->Assign(FParent->Font());
    // Taking the parent's font is not a font of the control's own.
    FParentFont = true;
}

void TControl::CMParentColorChanged(TMessage&)
{
    if (!FParentColor || !FParent)
        return;
    SetColor(FParent->Color());
    FParentColor = true;
}

void TControl::CMParentShowHintChanged(TMessage&)
{
    if (!FParentShowHint || !FParent)
        return;
    SetShowHint(FParent->ShowHint());
    FParentShowHint = true;
}

void TControl::CMMouseEnter(TCMControl&)
{
    if (FOnMouseEnter)
        FOnMouseEnter(this);
}

void TControl::CMMouseLeave(TCMControl&)
{
    if (FOnMouseLeave)
        FOnMouseLeave(this);
}

// ---- painting -------------------------------------------------------------------------------
void TControl::InvalidateControl(bool isVisible, bool isOpaque)
{
    if (!isVisible || !FParent || !FParent->HandleAllocated())
        return;
    RECT r{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    InvalidateRect(FParent->HandleIfAllocated(), &r, isOpaque ? FALSE : TRUE);
}

void TControl::Invalidate()
{
    InvalidateControl(FVisible, FControlStyle.Contains(csOpaque));
}

void TControl::Update()
{
    if (FParent)
        FParent->Update();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::SetZOrder(bool topMost)
{
    if (!FParent)
        return;
    auto& list = FParent->FControls;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    if (topMost)
        list.push_back(this);
    else
        list.insert(list.begin(), this);
    Invalidate();
}

// ---- events ---------------------------------------------------------------------------------
void TControl::Click()
{
    if (FOnClick)
        FOnClick(this);
    else if (FActionLink)
        FActionLink->Execute();
}

void TControl::DblClick()
{
    if (FOnDblClick)
        FOnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (FOnMouseDown)
        FOnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (FOnMouseUp)
        FOnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (FOnMouseMove)
        FOnMouseMove(this, shift, x, y);
}

bool TControl::MouseCapture() const noexcept
{
    if (auto* w = dynamic_cast<const TWinControl*>(this))
        return w->HandleAllocated() && GetCapture() == w->HandleIfAllocated();
    return gCaptureControl == this;
}

void TControl::SetMouseCapture(bool value)
{
    if (value == MouseCapture())
        return;
    if (auto* w = dynamic_cast<TWinControl*>(this)) {
        if (value)
            SetCapture(w->Handle());
        else
            ReleaseCapture();
        return;
    }
    if (value) {
        if (!FParent)
            return;
        gCaptureControl = this;
        SetCapture(FParent->Handle());
    } else {
        gCaptureControl = nullptr;
        // The parent may have lost the mouse already, to a window whose capture is not ours to end.
        if (FParent && FParent->HandleAllocated() && GetCapture() == FParent->HandleIfAllocated())
            ReleaseCapture();
    }
}

// ---------------------------------------------------------------------------------------------
TControlCanvas::~TControlCanvas()
{
    FreeHandle();
}

void TControlCanvas::FreeHandle() noexcept
{
    if (!FWindowDC)
        return;
    HDC dc = std::exchange(FWindowDC, nullptr);
    SetHandle(nullptr);
    ReleaseDC(FWindow, dc);
    FWindow = nullptr;
}

void TControlCanvas::CreateHandle()
{
    TWinControl* host = dynamic_cast<TWinControl*>(&FControl);
    const bool windowless = host == nullptr;
    if (windowless)
        host = FControl.Parent();
    if (!host)
        return;
    HWND wnd = host->Handle();
    HDC dc = GetDC(wnd);
    if (!dc)
        throw EOutOfResources("Out of system resources");
    FWindow = wnd;
    FWindowDC = dc;
    const DWORD layout = GetLayout(dc);
    const bool mirrored = layout != GDI_ERROR && (layout & LAYOUT_RTL);
    if (windowless) {
        // In a mirrored parent the control's own drawing reads left to right where it shows, as
        // in its parent's paint.
        if (mirrored)
            SetLayout(dc, layout & ~LAYOUT_RTL);
        SetViewportOrgEx(dc, ks::ShownLeft(FControl), FControl.Top(), nullptr);
        IntersectClipRect(dc, 0, 0, FControl.Width(), FControl.Height());
    } else if (mirrored) {
        // As every window DC the library takes (ks::WindowDC): pictures are copied unflipped.
        SetLayout(dc, layout | LAYOUT_BITMAPORIENTATIONPRESERVED);
    }
    SetHandle(dc);
}

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo TGraphicControl::StaticClassInfo{"TGraphicControl", &TControl::StaticClassInfo, {}, {}};

const ks::ClassInfo& TGraphicControl::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), FCanvas(std::make_unique<TControlCanvas>(*this))
{
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT: { TWMPaint v(m); WMPaint(v); break; }
    default: TControl::Dispatch(m); break;
    }
}

void TGraphicControl::WMPaint(TWMPaint& m)
{
    if (!m.DC())
        return;
    FCanvas->FreeHandle();
    FCanvas->Lock();
    FCanvas->SetHandle(m.DC());
    // The application's painting may free the control, and its canvas with it.
    const GoneWatch watch(*this);
    ks::ScopeExit unbind{[this, &watch] {
        if (watch.Gone())
            return;
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
    }};
    Paint();
}

void TControl::SetBiDiMode(TBiDiMode value)
{
    if (value == FBiDiMode)
        return;
    FBiDiMode = value;
    Perform(CM_BIDIMODECHANGED);
}

bool TControl::UseRightToLeftAlignment() const
{
    return FBiDiMode == bdRightToLeft && ks::Sys().IsMiddleEastLocale();
}

bool TControl::UseRightToLeftReading() const
{
    return FBiDiMode != bdLeftToRight && ks::Sys().IsMiddleEastLocale();
}

UINT TControl::DrawTextBiDiModeFlags(UINT flags) const
{
    if (UseRightToLeftAlignment()) {
        if ((flags & DT_RIGHT) == DT_RIGHT)
            flags &= ~static_cast<UINT>(DT_RIGHT);
        else if ((flags & DT_CENTER) != DT_CENTER)
            flags |= DT_RIGHT;
    }
    return flags | DrawTextBiDiModeFlagsReadingOnly();
}

UINT TControl::DrawTextBiDiModeFlagsReadingOnly() const
{
    return UseRightToLeftReading() ? DT_RTLREADING : 0;
}

bool TControl::IsColorStored() const noexcept
{
    return !FParentColor;
}

bool TControl::IsFontStored() const noexcept
{
    return !FParentFont;
}

bool TControl::IsShowHintStored() const noexcept
{
    return !FParentShowHint;
}
