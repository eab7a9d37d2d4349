// TWinControl (WinControl.h): what it does with the user's input. Focus and tab order, the
// mouse (windowless children, CM_MOUSEENTER / CM_MOUSELEAVE, the wheel) and keys.

#include "vcl/WinControl.h"

#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <vector>

namespace {

constexpr const char* CannotFocusText = "Cannot focus a disabled or invisible window";

} // namespace

// ---- focus and tab order --------------------------------------------------------------------
int TWinControl::TabOrder() const
{
    if (ComponentState().Contains(csReading))
        return FTabOrderRead;
    if (!Parent())
        return -1;
    const auto& list = Parent()->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int value)
{
    // While the form is read the siblings that come later are not there yet; the parent puts
    // the stored places in order once it is loaded.
    if (ComponentState().Contains(csReading))
        FTabOrderRead = value;
    else
        UpdateTabOrder(value);
}

void TWinControl::UpdateTabOrder(int value)
{
    if (!Parent())
        return;
    auto& list = Parent()->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    if (value < 0 || value > static_cast<int>(list.size()))
        value = static_cast<int>(list.size());
    list.insert(list.begin() + value, this);
}

void TWinControl::FixupTabList()
{
    const size_t count = FWinControls.size();
    std::vector<TWinControl*> placed(count, nullptr);
    for (TWinControl* c : FWinControls)
        if (c->FTabOrderRead >= 0 && static_cast<size_t>(c->FTabOrderRead) < count && !placed[c->FTabOrderRead])
            placed[c->FTabOrderRead] = c;
    for (size_t i = 0; i < count; ++i)
        if (placed[i])
            placed[i]->UpdateTabOrder(static_cast<int>(i));
    for (TWinControl* c : FWinControls)
        c->FTabOrderRead = -1;
}

void TWinControl::SetTabStop(bool value)
{
    if (value == FTabStop)
        return;
    FTabStop = value;
    if (FHandle) {
        LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
        SetWindowLongPtrW(FHandle, GWL_STYLE, value ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    }
    Perform(CM_TABSTOPCHANGED);
}

bool TWinControl::CanFocus() const
{
    TCustomForm* form = GetParentForm(this);
    if (!form)
        return false;
    for (const TControl* c = this; c != form; c = c->Parent()) {
        if (!c || !c->Visible() || !c->Enabled())
            return false;
    }
    return true;
}

bool TWinControl::Focused() const noexcept
{
    return FHandle && GetFocus() == FHandle;
}

void TWinControl::SetFocus()
{
    if (TCustomForm* form = GetParentForm(this)) {
        form->FocusControl(this);
        return;
    }
    if (!FParentWindow)
        throw EInvalidOperation(CannotFocusText);
    ::SetFocus(Handle());
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const
{
    for (TWinControl* c : FTabList) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty())
        return nullptr;
    const int count = static_cast<int>(list.size());
    auto it = std::find(list.begin(), list.end(), current);
    int start = it == list.end() ? (goForward ? count - 1 : 0) : static_cast<int>(it - list.begin());
    int i = start;
    do {
        i = goForward ? (i + 1) % count : (i + count - 1) % count;
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c != current && c->CanFocus() && (!checkTabStop || c->TabStop()) && (!checkParent || c->Parent() == this))
            return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop)
{
    if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop))
        next->SetFocus();
}

void TWinControl::CMEnter(TMessage&)
{
    if (FOnEnter)
        FOnEnter(this);
}

void TWinControl::CMExit(TMessage&)
{
    if (FOnExit)
        FOnExit(this);
}

void TWinControl::CMFocusChanged(TMessage& m)
{
    Broadcast(m);
}

void TWinControl::CMDialogKey(TWMKey& m)
{
    Broadcast(m.Message());
}

// ---- mouse ----------------------------------------------------------------------------------
void TWinControl::TrackMouse(TMessage& m)
{
    TWMMouse mouse(m);
    TControl* target = ks::CaptureControl();
    if (!target || target->Parent() != this)
        target = ControlAtPos({mouse.XPos(), mouse.YPos()}, false);
    ks::SetMouseControl(target ? target : this);
    if (!FTrackingLeave && FHandle) {
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, FHandle, 0};
        FTrackingLeave = TrackMouseEvent(&t) != FALSE;
    }
}

void TWinControl::WMMouseLeave(TMessage& m)
{
    FTrackingLeave = false;
    TControl* current = ks::MouseControl();
    // The mouse may already be in a child window, which took over the news.
    if (current == this || (current && current->Parent() == this && !dynamic_cast<TWinControl*>(current)))
        ks::SetMouseControl(nullptr);
    DefaultHandler(m);
}

bool TWinControl::RouteControlMouse(TMessage& m)
{
    TWMMouse mouse(m);
    TControl* target = ks::CaptureControl();
    if (target) {
        if (target->Parent() != this)
            return false;
    } else {
        target = ControlAtPos({mouse.XPos(), mouse.YPos()}, false);
    }
    if (!target)
        return false;
    int x = mouse.XPos() - target->Left();
    // A mirrored window shows its windowless controls' pictures unflipped (ks::PlacedDC): the
    // control hears x as its picture has it, from the left edge the screen shows.
    if (ks::IsMirrored(FHandle))
        x = target->Width() - 1 - x;
    m.Result = target->Perform(m.Msg, m.WParam, TWMMouse::MakePos(x, mouse.YPos() - target->Top()));
    return true;
}

bool TWinControl::ReleaseCapturingChild()
{
    TControl* child = ks::CaptureControl();
    if (!child || child->Parent() != this)
        return true;
    const HWND wnd = FHandle;
    child->Perform(WM_CANCELMODE);
    // The release runs the child's handlers, which may free this control with its window.
    return !wnd || FindControl(wnd) == this;
}

void TWinControl::WMCancelMode(TMessage& m)
{
    if (ReleaseCapturingChild())
        TControl::WMCancelMode(m);
}

void TWinControl::WMCaptureChanged(TMessage& m)
{
    // Taken by this same window again (one child handing the mouse to another) it stays held.
    if (reinterpret_cast<HWND>(m.LParam) != FHandle && !ReleaseCapturingChild())
        return;
    DefaultHandler(m);
}

void TWinControl::WMContextMenu(TMessage& m)
{
    const TWMContextMenu view(m);
    if (!view.FromKeyboard() && FHandle) {
        POINT p = view.Pos();
        ::ScreenToClient(FHandle, &p);
        if (TControl* child = ControlAtPos({p.x, p.y}, false)) {
            // The child's menu runs a loop of its own, in which the application may free this.
            const GoneWatch watch(*this);
            m.Result = child->Perform(WM_CONTEXTMENU, m.WParam, m.LParam);
            if (watch.Gone() || m.Result != 0)
                return;
        }
    }
    TControl::WMContextMenu(m);
}

void TWinControl::WMMouseWheel(TCMMouseWheel& m)
{
    m.SetResult(Perform(CM_MOUSEWHEEL, m.Message().WParam, m.Message().LParam));
    if (m.Result() == 0)
        DefaultHandler(m.Message());
}

void TWinControl::CMMouseWheel(TCMMouseWheel& m)
{
    const TPoint pos{m.Pos().x, m.Pos().y};
    if (DoMouseWheel(KeysToShiftState(m.Keys()), m.WheelDelta(), pos)) {
        m.SetResult(1);
        return;
    }
    if (Parent())
        m.SetResult(Parent()->Perform(CM_MOUSEWHEEL, m.Message().WParam, m.Message().LParam));
}

// ---- keys -----------------------------------------------------------------------------------
void TWinControl::CNKeyDown(TWMKey& m)
{
    m.SetResult(1);
    if (DoKeyDown(m))
        return;
    UINT wanted = 0;
    switch (m.CharCode()) {
    case VK_TAB: wanted = DLGC_WANTTAB; break;
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: wanted = DLGC_WANTARROWS; break;
    case VK_RETURN: case VK_EXECUTE: case VK_ESCAPE: case VK_CANCEL: wanted = DLGC_WANTALLKEYS; break;
    default: break;
    }
    // DLGC_WANTALLKEYS asks for Enter and Escape, not for Tab or the arrows; Ctrl+Tab leaves
    // even a control that takes Tab.
    const bool ctrlTab = m.CharCode() == VK_TAB && GetKeyState(VK_CONTROL) < 0;
    if (wanted && (ctrlTab || (Perform(WM_GETDLGCODE) & wanted) == 0))
        if (TCustomForm* form = GetParentForm(this); form && form->Perform(CM_DIALOGKEY, m.CharCode(), m.KeyData()) != 0)
            return;
    m.SetResult(0);
}

void TWinControl::CNKeyUp(TWMKey& m)
{
    m.SetResult(DoKeyUp(m) ? 1 : 0);
}

void TWinControl::CNChar(TWMKey& m)
{
    m.SetResult(DoKeyPress(m) ? 1 : 0);
}

bool TWinControl::DoKeyDown(TWMKey& m)
{
    WORD key = m.CharCode();
    KeyDown(key, KeyDataToShiftState(m.KeyData()));
    if (key == 0)
        return true;
    m.SetCharCode(key);
    return false;
}

bool TWinControl::DoKeyUp(TWMKey& m)
{
    WORD key = m.CharCode();
    KeyUp(key, KeyDataToShiftState(m.KeyData()));
    if (key == 0)
        return true;
    m.SetCharCode(key);
    return false;
}

bool TWinControl::DoKeyPress(TWMKey& m)
{
    wchar_t key = static_cast<wchar_t>(m.CharCode());
    KeyPress(key);
    if (key == 0)
        return true;
    m.SetCharCode(static_cast<WORD>(key));
    return false;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (FOnKeyDown)
        FOnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (FOnKeyUp)
        FOnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(wchar_t& key)
{
    if (FOnKeyPress)
        FOnKeyPress(this, key);
}
