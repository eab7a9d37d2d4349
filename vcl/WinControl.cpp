// TWinControl and TCustomControl (WinControl.h): the window, children, geometry, painting and
// message dispatch. What a windowed control does with focus, mouse and keys is in
// WinControlInput.cpp.

#include "vcl/WinControl.h"

#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

namespace {

constexpr const char* NoParentWindowText = "Control '%s' has no parent window";
constexpr const char* ListIndexText = "List index out of bounds (%s)";
constexpr const char* FreedWhileMadeText = "The control was freed while its window was made";

constexpr ks::PropertyInfo WinControlProps[] = {
    ks::Prop<&TWinControl::BorderWidth, &TWinControl::SetBorderWidth>("BorderWidth").DefaultIs(0),
    ks::Prop<&TWinControl::TabOrder, &TWinControl::SetTabOrder>("TabOrder"),
    ks::Prop<&TWinControl::TabStop, &TWinControl::SetTabStop>("TabStop").DefaultIs(false),
    ks::Prop<&TWinControl::OnEnter, &TWinControl::SetOnEnter>("OnEnter"),
    ks::Prop<&TWinControl::OnExit, &TWinControl::SetOnExit>("OnExit"),
    ks::Prop<&TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown>("OnKeyDown"),
    ks::Prop<&TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress>("OnKeyPress"),
    ks::Prop<&TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp>("OnKeyUp"),
};

template <class T>
void Erase(std::vector<T*>& list, const TControl* item)
{
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end())
        list.erase(it);
}

// The system edit's procedure: windows that end in it keep their selection across RecreateWnd.
WNDPROC EditProcedure() noexcept
{
    static const WNDPROC proc = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        return GetClassInfoExW(nullptr, L"EDIT", &wc) ? wc.lpfnWndProc : nullptr;
    }();
    return proc;
}

} // namespace

bool TWinControl::OwnClass() const noexcept
{
    return !FDefWndProc || FDefWndProc == &DefWindowProcW;
}

const ks::ClassInfo TWinControl::StaticClassInfo{"TWinControl", &TControl::StaticClassInfo, WinControlProps, {}};
const ks::ClassInfo TCustomControl::StaticClassInfo{"TCustomControl", &TWinControl::StaticClassInfo, {}, {}};

TWinControl* FindControl(HWND wnd) noexcept
{
    return dynamic_cast<TWinControl*>(ks::FindWindowOwner(wnd));
}

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo& TWinControl::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner)
{
    FBrush.SetColor(Color());
}

TWinControl::~TWinControl()
{
    // Reached with a window only when construction failed half-way: the window goes back to
    // its class's own procedure, so nothing of this object is called while it ends.
    if (FHandle) {
        HWND wnd = std::exchange(FHandle, nullptr);
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FDefWndProc ? FDefWndProc : &DefWindowProcW));
        ks::UnbindWindow(wnd);
        DestroyWindow(wnd);
    }
}

void TWinControl::BeforeDestruction()
{
    if (!ComponentState().Contains(csDestroying))
        Destroying();
    // Owned components go while this control and its window are whole; children nobody else
    // freed go with their parent.
    DestroyComponents();
    while (ControlCount() > 0)
        Controls(ControlCount() - 1)->Free();
    DestroyHandle();
    TControl::BeforeDestruction();
}

// ---- the window -----------------------------------------------------------------------------
HWND TWinControl::Handle()
{
    HandleNeeded();
    return FHandle;
}

void TWinControl::HandleNeeded()
{
    if (FHandle)
        return;
    if (Parent())
        Parent()->HandleNeeded();
    CreateHandle();
}

void TWinControl::SetParentWindow(HWND wnd)
{
    if (Parent() || wnd == FParentWindow)
        return;
    FParentWindow = wnd;
    if (FHandle) {
        DestroyHandle();
        UpdateControlState();
    }
}

void TWinControl::CreateParams(TCreateParams& p)
{
    p.Caption = FText;
    p.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (FControlStyle.Contains(csAcceptsControls))
        p.Style |= WS_CLIPCHILDREN;
    if (!Enabled())
        p.Style |= WS_DISABLED;
    if (FTabStop)
        p.Style |= WS_TABSTOP;
    p.X = FLeft;
    p.Y = FTop;
    p.Width = FWidth;
    p.Height = FHeight;
    p.WndParent = Parent() ? Parent()->Handle() : FParentWindow;
    p.WindowClass.cbSize = sizeof p.WindowClass;
    p.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    p.WindowClass.lpfnWndProc = &DefWindowProcW;
    p.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    p.WinClassName = UTF8ToWide(ClassName());
}

void TWinControl::CreateSubClass(TCreateParams& p, const wchar_t* className)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(nullptr, className, &wc))
        throw EOSError("Error registering window class");
    // A class DC would be shared with every window of the system class.
    wc.style &= ~(CS_OWNDC | CS_CLASSDC | CS_PARENTDC | CS_GLOBALCLASS);
    p.WindowClass = wc;
}

void TWinControl::CreateWnd()
{
    TCreateParams p;
    CreateParams(p);
    if ((p.Style & WS_CHILD) && !p.WndParent)
        throw EInvalidOperation(Format(NoParentWindowText, {Name()}));
    FDefWndProc = ks::RegisterWindowClass(p.WindowClass, p.WinClassName);
    // The font goes in before the text. Wine: a multi-line edit given its text first lays it
    // out again for the font and keeps about 13 KB of that layout until the window goes (0.3 KB
    // in this order), which every re-created memo would add to the heap. The text goes to the
    // class's own procedure: the control's text has not changed, only its window is new.
    const std::wstring caption = std::exchange(p.Caption, std::wstring());
    CreateWindowHandle(p);
    Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
    if (!caption.empty()) {
        TMessage text{WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()), 0};
        DefaultHandler(text);
    }
}

void TWinControl::CreateWindowHandle(const TCreateParams& params)
{
    ks::CreateBoundWindow(*this, params);
}

void TWinControl::CreateHandle()
{
    if (FHandle)
        return;
    {
        // The new window tells its parents, whose handlers may free this control meanwhile: the
        // system then makes no window, and the making ends quietly, touching nothing of it.
        const GoneWatch watch(*this);
        FControlState.Include(csCreating);
        try {
            CreateWnd();
        } catch (...) {
            if (watch.Gone())
                throw EAbort(FreedWhileMadeText);
            FControlState.Exclude(csCreating);
            throw;
        }
        FControlState.Exclude(csCreating);
    }
    if (Parent()) {
        // Below the next windowed sibling that already has a window, as the list orders them.
        HWND above = HWND_TOP;
        const auto& siblings = Parent()->FWinControls;
        auto it = std::find(siblings.begin(), siblings.end(), this);
        for (++it; it < siblings.end(); ++it)
            if ((*it)->FHandle) {
                above = (*it)->FHandle;
                break;
            }
        SetWindowPos(FHandle, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void TWinControl::DestroyWnd()
{
    FText = GetText();
    for (TControl* c : FControls)
        if (auto* g = dynamic_cast<TGraphicControl*>(c))
            g->FCanvas->FreeHandle();
    DestroyWindow(FHandle);
    // The window procedure has unbound the window at WM_NCDESTROY.
    FHandle = nullptr;
}

void TWinControl::DestroyHandle()
{
    if (!FHandle)
        return;
    for (size_t i = FWinControls.size(); i > 0; --i)
        if (i <= FWinControls.size())
            FWinControls[i - 1]->DestroyHandle();
    DestroyWnd();
}

void TWinControl::WindowMessage(TMessage& message)
{
    TWndMethod proc = WindowProc();
    proc(message);
}

void TWinControl::WindowDestroyed() noexcept
{
    FHandle = nullptr;
    FShowing = false;
    FTrackingLeave = false;
    if (ks::CaptureControl() && ks::CaptureControl()->Parent() == this)
        ks::CaptureControl()->SetMouseCapture(false);
    for (TControl* c : FControls)
        if (auto* g = dynamic_cast<TGraphicControl*>(c))
            g->FCanvas->FreeHandle();
}

void TWinControl::RecreateWnd()
{
    if (FHandle)
        Perform(CM_RECREATEWND);
}

void TWinControl::CMRecreateWnd(TMessage&)
{
    const bool wasFocused = Focused();
    std::optional<LRESULT> selection;
    if (FHandle && FDefWndProc == EditProcedure())
        selection = CallWindowProcW(FDefWndProc, FHandle, EM_GETSEL, 0, 0);
    {
        FControlState.Include(csRecreating);
        ks::ScopeExit recreated{[this] { FControlState.Exclude(csRecreating); }};
        DestroyHandle();
        UpdateControlState();
    }
    if (selection && FHandle)
        Perform(EM_SETSEL, LOWORD(*selection), HIWORD(*selection));
    if (wasFocused && FHandle)
        ::SetFocus(FHandle);
}

std::wstring TWinControl::GetText() const
{
    if (!FHandle)
        return FText;
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(FHandle)) + 1, L'\0');
    int n = GetWindowTextW(FHandle, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(n, 0)));
    return text;
}

// ---- showing --------------------------------------------------------------------------------
void TWinControl::UpdateShowing()
{
    const bool show = Visible() && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csDestroying);
    if (show) {
        if (!FHandle)
            CreateHandle();
        for (size_t i = 0; i < FWinControls.size(); ++i)
            FWinControls[i]->UpdateShowing();
    }
    if (FHandle && FShowing != show) {
        FShowing = show;
        try {
            Perform(CM_SHOWINGCHANGED);
        } catch (...) {
            FShowing = !show;
            throw;
        }
    }
}

void TWinControl::UpdateControlState()
{
    TWinControl* top = this;
    while (top->Parent()) {
        top = top->Parent();
        if (!top->Showing())
            return;
    }
    if (dynamic_cast<TCustomForm*>(top) || top->FParentWindow)
        UpdateShowing();
}

void TWinControl::CMShowingChanged(TMessage&)
{
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 (FShowing ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::CMVisibleChanged(TMessage&)
{
    if (!Visible())
        if (TCustomForm* form = GetParentForm(this); form && form != this)
            form->DefocusControl(this, false);
    if (!ComponentState().Contains(csLoading))
        UpdateControlState();
}

void TWinControl::Loaded()
{
    TControl::Loaded();
    FixupTabList();
    Realign();
    if (Parent())
        UpdateControlState();
}

// ---- children -------------------------------------------------------------------------------
TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount())
        throw EListError(Format(ListIndexText, {std::to_string(index)}));
    const size_t i = static_cast<size_t>(index);
    return i < FControls.size() ? FControls[i] : FWinControls[i - FControls.size()];
}

void TWinControl::InsertControl(TControl* control)
{
    control->SetParentInternal(this);
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (windowed) {
        FWinControls.push_back(windowed);
        FTabList.push_back(windowed);
    } else {
        FControls.push_back(control);
    }
    if (!control->ComponentState().Contains(csReading)) {
        control->Perform(CM_PARENTCOLORCHANGED);
        control->Perform(CM_PARENTFONTCHANGED);
        control->Perform(CM_PARENTSHOWHINTCHANGED);
        if (windowed)
            windowed->UpdateControlState();
        else
            control->Invalidate();
        control->RequestAlign();
    }
    Perform(CM_CONTROLLISTCHANGE, TCMControl::ToWParam(control), 1);
}

void TWinControl::RemoveControl(TControl* control)
{
    if (control->Parent() != this)
        return;
    Perform(CM_CONTROLLISTCHANGE, TCMControl::ToWParam(control), 0);
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        if (TCustomForm* form = GetParentForm(this))
            form->DefocusControl(windowed, true);
        windowed->DestroyHandle();
        Erase(FWinControls, control);
        Erase(FTabList, control);
    } else {
        if (ks::CaptureControl() == control)
            control->SetMouseCapture(false);
        control->Invalidate();
        Erase(FControls, control);
    }
    control->SetParentInternal(nullptr);
    if (control->Align() != alNone)
        Realign();
}

bool TWinControl::ContainsControl(const TControl* control) const noexcept
{
    for (; control; control = control->Parent())
        if (control == this)
            return true;
    return false;
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled, bool allowWinControls) const
{
    auto hit = [&](const TControl* c) {
        return c->Visible() && (allowDisabled || c->Enabled()) && p.X >= c->Left() && p.X < c->Left() + c->Width() &&
               p.Y >= c->Top() && p.Y < c->Top() + c->Height();
    };
    if (allowWinControls)
        for (auto it = FWinControls.rbegin(); it != FWinControls.rend(); ++it)
            if (hit(*it))
                return *it;
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it)
        if (hit(*it))
            return *it;
    return nullptr;
}

void TWinControl::Broadcast(TMessage& message)
{
    for (int i = 0; i < ControlCount(); ++i) {
        TWndMethod proc = Controls(i)->WindowProc();
        proc(message);
        if (message.Result != 0)
            return;
    }
}

void TWinControl::NotifyControls(UINT msg)
{
    TMessage m{msg, 0, 0, 0};
    Broadcast(m);
}

void TWinControl::GetChildren(const TGetChildProc& proc, TComponent* root)
{
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (c->Owner() == root)
            proc(c);
    }
}

void TWinControl::SetChildOrder(TControl* child, int order)
{
    auto move = [&](auto& list) {
        auto it = std::find(list.begin(), list.end(), child);
        if (it == list.end())
            return false;
        auto* item = *it;
        list.erase(it);
        order = std::clamp(order, 0, static_cast<int>(list.size()));
        list.insert(list.begin() + order, item);
        return true;
    };
    if (move(FControls)) {
        child->Invalidate();
        return;
    }
    if (!move(FWinControls))
        return;
    auto* windowed = static_cast<TWinControl*>(child);
    if (!windowed->FHandle)
        return;
    HWND above = HWND_TOP;
    for (size_t i = static_cast<size_t>(order) + 1; i < FWinControls.size(); ++i)
        if (FWinControls[i]->FHandle) {
            above = FWinControls[i]->FHandle;
            break;
        }
    SetWindowPos(windowed->FHandle, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::SetZOrder(bool topMost)
{
    if (Parent()) {
        Parent()->SetChildOrder(this, topMost ? static_cast<int>(Parent()->FWinControls.size()) - 1 : 0);
        return;
    }
    if (FHandle)
        SetWindowPos(FHandle, topMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- geometry -------------------------------------------------------------------------------
void TWinControl::SetBounds(int left, int top, int width, int height)
{
    Constraints()->Constrain(width, height);
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
        return;
    if (FHandle && !IsIconic(FHandle)) {
        SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateBounds();
    } else {
        const bool resized = width != FWidth || height != FHeight;
        FLeft = left;
        FTop = top;
        FWidth = std::max(width, 0);
        FHeight = std::max(height, 0);
        if (resized)
            Realign();
    }
    RequestAlign();
}

void TWinControl::UpdateBounds()
{
    if (!FHandle || IsIconic(FHandle))
        return;
    RECT r;
    if (!GetWindowRect(FHandle, &r))
        return;
    // An owned top-level window's GetParent is its owner, whose coordinates do not apply.
    if (GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(HWND_DESKTOP, GetParent(FHandle), reinterpret_cast<POINT*>(&r), 2);
    const bool resized = r.right - r.left != FWidth || r.bottom - r.top != FHeight;
    FLeft = r.left;
    FTop = r.top;
    FWidth = r.right - r.left;
    FHeight = r.bottom - r.top;
    if (resized)
        Realign();
}

TRect TWinControl::ClientRect() const
{
    if (!FHandle)
        return TControl::ClientRect();
    RECT r{};
    GetClientRect(FHandle, &r);
    return {r.left, r.top, r.right, r.bottom};
}

TPoint TWinControl::ClientOrigin() const
{
    POINT p{0, 0};
    HWND wnd = const_cast<TWinControl*>(this)->Handle();
    ::ClientToScreen(wnd, &p);
    return {p.x, p.y};
}

void TWinControl::Realign()
{
    if (ComponentState().Contains(csLoading) || FControlState.Contains(csAligning))
        return;
    TRect r;
    AdjustClientRect(r);
    FControlState.Include(csAligning);
    ks::ScopeExit aligned{[this] { FControlState.Exclude(csAligning); }};
    AnchorControls();
    AlignControls(nullptr, r);
}

void TWinControl::AnchorControls()
{
    const TRect client = ClientRect();
    const TSize size{client.Width(), client.Height()};
    const std::optional<TSize> last = std::exchange(FAnchorSize, size);
    if (!last) {
        FAnchorRules.clear();
        return;
    }
    if (size == *last)
        return;
    std::erase_if(FAnchorRules, [this](const AnchorRule& rule) {
        return std::find(FControls.begin(), FControls.end(), rule.control) == FControls.end() &&
               std::find(FWinControls.begin(), FWinControls.end(), rule.control) == FWinControls.end();
    });
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        const TAnchors a = c->Anchors();
        if (c->Align() != alNone || !(a.Contains(akRight) || a.Contains(akBottom)))
            continue;
        auto rule = std::find_if(FAnchorRules.begin(), FAnchorRules.end(),
                                 [c](const AnchorRule& r) { return r.control == c; });
        if (rule == FAnchorRules.end())
            rule = FAnchorRules.insert(FAnchorRules.end(), AnchorRule{c, {}, {}, {}});
        // A place given since anchoring last placed the child is the new base.
        if (rule->placed != c->BoundsRect()) {
            rule->base = c->BoundsRect();
            rule->baseSize = *last;
        }
        const int dx = size.cx - rule->baseSize.cx;
        const int dy = size.cy - rule->baseSize.cy;
        const TRect& b = rule->base;
        int left = b.Left, top = b.Top, width = b.Width(), height = b.Height();
        if (a.Contains(akRight))
            (a.Contains(akLeft) ? width : left) += dx;
        if (a.Contains(akBottom))
            (a.Contains(akTop) ? height : top) += dy;
        c->SetBounds(left, top, std::max(width, 0), std::max(height, 0));
        rule->placed = c->BoundsRect();
    }
}

void TWinControl::SetBorderWidth(int value)
{
    value = std::max(value, 0);
    if (value == FBorderWidth)
        return;
    FBorderWidth = value;
    FrameChanged();
    Realign();
}

void TWinControl::FrameChanged()
{
    if (FHandle)
        SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT TWinControl::ClientRectInWindow()
{
    RECT window{};
    GetWindowRect(Handle(), &window);
    POINT origin{0, 0};
    ::ClientToScreen(FHandle, &origin);
    RECT client{};
    GetClientRect(FHandle, &client);
    OffsetRect(&client, origin.x - window.left, origin.y - window.top);
    return client;
}

void TWinControl::AlignControls(TControl*, TRect& r)
{
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (int i = 0; i < ControlCount(); ++i) {
            TControl* c = Controls(i);
            if (c->Align() != align || !c->Visible())
                continue;
            switch (align) {
            case alTop:
                c->SetBounds(r.Left, r.Top, r.Width(), c->Height());
                r.Top += c->Height();
                break;
            case alBottom:
                c->SetBounds(r.Left, r.Bottom - c->Height(), r.Width(), c->Height());
                r.Bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(r.Left, r.Top, c->Width(), r.Height());
                r.Left += c->Width();
                break;
            case alRight:
                c->SetBounds(r.Right - c->Width(), r.Top, c->Width(), r.Height());
                r.Right -= c->Width();
                break;
            default:
                c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
                break;
            }
        }
    }
}

// ---- painting -------------------------------------------------------------------------------
void TWinControl::Invalidate()
{
    Perform(CM_INVALIDATE);
}

void TWinControl::CMInvalidate(TMessage&)
{
    if (FHandle)
        InvalidateRect(FHandle, nullptr, FControlStyle.Contains(csOpaque) ? FALSE : TRUE);
}

void TWinControl::Update()
{
    if (FHandle)
        UpdateWindow(FHandle);
}

void TWinControl::PaintTo(HDC dc, int x, int y)
{
    FControlState.Include(csPaintCopy);
    {
        ks::SavedDC saved(dc);
        OffsetWindowOrgEx(dc, -x, -y, nullptr);
        IntersectClipRect(dc, 0, 0, FWidth, FHeight);
        if (FHandle) {
            // The non-client frame is not painted; the client part starts where it starts on
            // the screen.
            RECT window;
            POINT client{0, 0};
            GetWindowRect(FHandle, &window);
            ::ClientToScreen(FHandle, &client);
            OffsetWindowOrgEx(dc, window.left - client.x, window.top - client.y, nullptr);
        }
        Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
        Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        for (size_t i = 0; i < FWinControls.size(); ++i) {
            TWinControl* c = FWinControls[i];
            if (c->Visible())
                c->PaintTo(dc, c->Left(), c->Top());
        }
    }
    FControlState.Exclude(csPaintCopy);
}

void TWinControl::PaintWindow(HDC dc)
{
    // Windows of the library's own classes have nothing to paint; a system class paints
    // into the DC it is given.
    if (OwnClass())
        return;
    TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(m);
}

void TWinControl::PaintControls(HDC dc, TControl* first)
{
    size_t start = 0;
    if (first) {
        auto it = std::find(FControls.begin(), FControls.end(), first);
        start = it == FControls.end() ? 0 : static_cast<size_t>(it - FControls.begin());
    }
    // A child's paint may free the child, or this control and its children with it.
    const GoneWatch self(*this);
    for (size_t i = start; i < FControls.size(); ++i) {
        TControl* c = FControls[i];
        if (!c->Visible())
            continue;
        RECT r{c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()};
        if (!RectVisible(dc, &r))
            continue;
        ks::PlacedDC placed(dc, r);
        IntersectClipRect(dc, 0, 0, c->Width(), c->Height());
        const bool copy = FControlState.Contains(csPaintCopy);
        if (copy)
            c->FControlState.Include(csPaintCopy);
        const GoneWatch child(*c);
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        if (self.Gone())
            return;
        if (copy && !child.Gone())
            c->FControlState.Exclude(csPaintCopy);
    }
}

void TWinControl::PaintHandler(TWMPaint& m)
{
    HDC dc = m.DC();
    std::optional<ks::PaintDC> paint;
    if (!dc) {
        paint.emplace(FHandle);
        dc = paint->get();
    }
    if (!dc)
        return;
    // A mirrored DC handed in (WM_PRINTCLIENT, PaintTo) copies pictures as the window's own.
    ks::OrientationPreservedDC kept(dc);
    // The control's own painting may free it (a form's OnPaint).
    const GoneWatch self(*this);
    {
        ks::SavedDC saved(dc);
        PaintWindow(dc);
    }
    if (!self.Gone())
        PaintControls(dc, nullptr);
}

void TWinControl::WMPaint(TWMPaint& m)
{
    if (!OwnClass() && FControls.empty() && !FControlState.Contains(csCustomPaint) && !m.DC())
        DefaultHandler(m.Message());
    else
        PaintHandler(m);
}

void TWinControl::WMPrintClient(TWMPrint& m)
{
    // A window of a system class without windowless children prints itself.
    if (!m.DC() || (!OwnClass() && FControls.empty())) {
        DefaultHandler(m.Message());
        return;
    }
    if ((m.Flags() & PRF_CHECKVISIBLE) && !Visible())
        return;
    ks::SavedDC saved(m.DC());
    TMessage paint{WM_PAINT, m.Message().WParam, 0, 0};
    TWMPaint view(paint);
    PaintHandler(view);
}

void TWinControl::WMEraseBkgnd(TWMEraseBkgnd& m)
{
    if (!OwnClass()) {
        DefaultHandler(m.Message());
        return;
    }
    const TRect r = ClientRect();
    RECT rc{r.Left, r.Top, r.Right, r.Bottom};
    FillRect(m.DC(), &rc, FBrush.Handle());
    m.SetResult(1);
}

// ---- message dispatch -----------------------------------------------------------------------
void TWinControl::WndProc(TMessage& message)
{
    if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST && message.Msg != WM_MOUSEWHEEL &&
        message.Msg != WM_MOUSEHWHEEL) {
        if (message.Msg == WM_MOUSEMOVE)
            TrackMouse(message);
        // The control's handlers may free this window.
        const GoneWatch watch(*this);
        if (RouteControlMouse(message)) {
            // What the control leaves unanswered the window does as its own: a right button's
            // release there asks for the context menu, the control's or this window's.
            if (!watch.Gone() && message.Result == 0 && FHandle)
                message.Result = DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
            return;
        }
    }
    TControl::WndProc(message);
}

void TWinControl::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT: { TWMPaint v(m); WMPaint(v); break; }
    case WM_PRINTCLIENT: { TWMPrint v(m); WMPrintClient(v); break; }
    case WM_ERASEBKGND: { TWMEraseBkgnd v(m); WMEraseBkgnd(v); break; }
    case WM_SETTEXT: { TWMSetText v(m); WMSetText(v); break; }
    case WM_GETTEXT: WMGetTextFromWindow(m); break;
    case WM_GETTEXTLENGTH: WMGetTextFromWindow(m); break;
    case WM_SIZE: { TWMSize v(m); WMSize(v); break; }
    case WM_NCCALCSIZE: WMNCCalcSize(m); break;
    case WM_NCPAINT: WMNCPaint(m); break;
    case WM_WINDOWPOSCHANGED: { TWMWindowPosMsg v(m); WMWindowPosChanged(v); break; }
    case WM_SETFOCUS: { TWMSetFocus v(m); WMSetFocus(v); break; }
    case WM_SETCURSOR: { TWMSetCursor v(m); WMSetCursor(v); break; }
    case WM_MOUSELEAVE: WMMouseLeave(m); break;
    case WM_MOUSEWHEEL: { TCMMouseWheel v(m); WMMouseWheel(v); break; }
    case WM_CANCELMODE: WMCancelMode(m); break;
    case WM_CAPTURECHANGED: WMCaptureChanged(m); break;
    case WM_CONTEXTMENU: WMContextMenu(m); break;
    case WM_COMMAND: ParentNotification(m); break;
    case WM_NOTIFY: ParentNotification(m); break;
    case WM_DRAWITEM: ParentNotification(m); break;
    case WM_MEASUREITEM: ParentNotification(m); break;
    case WM_COMPAREITEM: ParentNotification(m); break;
    case WM_DELETEITEM: ParentNotification(m); break;
    case WM_CHARTOITEM: ParentNotification(m); break;
    case WM_VKEYTOITEM: ParentNotification(m); break;
    case WM_HSCROLL: ParentNotification(m); break;
    case WM_VSCROLL: ParentNotification(m); break;
    case WM_CTLCOLORMSGBOX: ParentNotification(m); break;
    case WM_CTLCOLOREDIT: ParentNotification(m); break;
    case WM_CTLCOLORLISTBOX: ParentNotification(m); break;
    case WM_CTLCOLORBTN: ParentNotification(m); break;
    case WM_CTLCOLORDLG: ParentNotification(m); break;
    case WM_CTLCOLORSCROLLBAR: ParentNotification(m); break;
    case WM_CTLCOLORSTATIC: ParentNotification(m); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(m); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(m); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(m); break;
    case CM_COLORCHANGED: CMColorChanged(m); break;
    case CM_FONTCHANGED: CMFontChanged(m); break;
    case CM_INVALIDATE: CMInvalidate(m); break;
    case CM_RECREATEWND: CMRecreateWnd(m); break;
    case CM_ENTER: CMEnter(m); break;
    case CM_EXIT: CMExit(m); break;
    case CM_FOCUSCHANGED: CMFocusChanged(m); break;
    case CM_DIALOGKEY: { TWMKey v(m); CMDialogKey(v); break; }
    case CM_MOUSEWHEEL: { TCMMouseWheel v(m); CMMouseWheel(v); break; }
    case CN_KEYDOWN: { TWMKey v(m); CNKeyDown(v); break; }
    case CN_SYSKEYDOWN: { TWMKey v(m); CNKeyDown(v); break; }
    case CN_KEYUP: { TWMKey v(m); CNKeyUp(v); break; }
    case CN_CHAR: { TWMKey v(m); CNChar(v); break; }
    case CN_CTLCOLORMSGBOX: { TWMCtlColor v(m); CNCtlColor(v); break; }
    case CN_CTLCOLOREDIT: { TWMCtlColor v(m); CNCtlColor(v); break; }
    case CN_CTLCOLORLISTBOX: { TWMCtlColor v(m); CNCtlColor(v); break; }
    case CN_CTLCOLORBTN: { TWMCtlColor v(m); CNCtlColor(v); break; }
    case CN_CTLCOLORDLG: { TWMCtlColor v(m); CNCtlColor(v); break; }
    case CN_CTLCOLORSCROLLBAR: { TWMCtlColor v(m); CNCtlColor(v); break; }
    case CN_CTLCOLORSTATIC: { TWMCtlColor v(m); CNCtlColor(v); break; }
    default: TControl::Dispatch(m); break;
    }
}

void TWinControl::DefaultHandler(TMessage& m)
{
    if (FHandle)
        m.Result = CallWindowProcW(FDefWndProc ? FDefWndProc : &DefWindowProcW, FHandle, m.Msg, m.WParam, m.LParam);
}

void TWinControl::ParentNotification(TMessage& m)
{
    if (!ReflectNotification(m))
        DefaultHandler(m);
}

bool TWinControl::ReflectNotification(TMessage& m)
{
    HWND child = NotifyingChild(m);
    TWinControl* control = child ? FindControl(child) : nullptr;
    if (!control || control == this)
        return false;
    m.Result = control->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
    return true;
}

HWND TWinControl::NotifyingChild(TMessage& m) const
{
    switch (m.Msg) {
    case WM_NOTIFY: return TWMNotify(m).NMHdr().hwndFrom;
    case WM_DRAWITEM: return DrawItemChild(TWMDrawItem(m));
    case WM_MEASUREITEM: return MeasureItemChild(TWMMeasureItem(m));
    case WM_COMPAREITEM: return TWMCompareItem(m).CompareItemStruct().hwndItem;
    case WM_DELETEITEM: return TWMDeleteItem(m).DeleteItemStruct().hwndItem;
    default: return TWMChildNotify(m).Child();
    }
}

HWND TWinControl::DrawItemChild(const TWMDrawItem& m)
{
    const DRAWITEMSTRUCT& s = m.DrawItemStruct();
    return s.CtlType == ODT_MENU ? nullptr : s.hwndItem;
}

HWND TWinControl::MeasureItemChild(const TWMMeasureItem& m) const
{
    // WM_MEASUREITEM carries no window, only the control's id.
    if (m.MeasureItemStruct().CtlType == ODT_MENU || !FHandle)
        return nullptr;
    return GetDlgItem(FHandle, static_cast<int>(m.IDCtl()));
}

void TWinControl::WMSetText(TWMSetText& m)
{
    if (!FHandle) {
        TControl::WMSetText(m);
        return;
    }
    DefaultHandler(m.Message());
    FText = m.Text() ? m.Text() : L"";
    Perform(CM_TEXTCHANGED);
}

void TWinControl::WMGetTextFromWindow(TMessage& m)
{
    if (FHandle)
        DefaultHandler(m);
    else
        TControl::Dispatch(m);
}

void TWinControl::WMSize(TWMSize& m)
{
    DefaultHandler(m.Message());
    // A minimised window has no client area to lay its children out in; they keep their
    // places for the restore.
    if (FHandle && IsIconic(FHandle))
        return;
    UpdateBounds();
    Realign();
}

void TWinControl::WMNCCalcSize(TMessage& m)
{
    DefaultHandler(m);
    // Both forms of the message start with the rectangle that becomes the client area.
    auto* r = reinterpret_cast<RECT*>(m.LParam);
    InflateRect(r, -FBorderWidth, -FBorderWidth);
}

void TWinControl::WMNCPaint(TMessage& m)
{
    DefaultHandler(m);
    if (FBorderWidth == 0 || !FHandle)
        return;
    const RECT client = ClientRectInWindow();
    RECT band = client;
    InflateRect(&band, FBorderWidth, FBorderWidth);
    HDC dc = GetWindowDC(FHandle);
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    FillRect(dc, &band, FBrush.Handle());
    ReleaseDC(FHandle, dc);
}

void TWinControl::WMWindowPosChanged(TWMWindowPosMsg& m)
{
    const bool hidden = (m.WindowPos().flags & SWP_HIDEWINDOW) != 0;
    DefaultHandler(m.Message());
    UpdateBounds();
    // Wine: a window hidden, or inside a hidden one, keeps the mouse (not checked on Windows), so
    // a press held there would go on unseen (a held spin half repeating); it ends as for a
    // disabled window.
    if (const HWND capture = GetCapture(); hidden && FHandle && capture && (capture == FHandle || IsChild(FHandle, capture)))
        SendMessageW(capture, WM_CANCELMODE, 0, 0);
}

void TWinControl::WMSetFocus(TWMSetFocus& m)
{
    DefaultHandler(m.Message());
    if (TCustomForm* form = GetParentForm(this))
        form->SetFocusedControl(this);
}

void TWinControl::WMSetCursor(TWMSetCursor& m)
{
    if (m.CursorWnd() == FHandle && m.HitTest() == HTCLIENT) {
        TCursor cursor = Cursor();
        POINT p{};
        if (ks::Sys().GetCursorPos(&p) && ::ScreenToClient(FHandle, &p))
            if (TControl* c = ControlAtPos({p.x, p.y}, false); c && c->Cursor() != crDefault)
                cursor = c->Cursor();
        if (cursor != crDefault) {
            ::SetCursor(ks::CursorHandle(cursor));
            m.SetResult(1);
            return;
        }
    }
    DefaultHandler(m.Message());
}

// ---- state messages -------------------------------------------------------------------------
void TWinControl::CMEnabledChanged(TMessage& m)
{
    if (!Enabled())
        if (TCustomForm* form = GetParentForm(this); form && form != this)
            form->DefocusControl(this, false);
    if (FHandle)
        EnableWindow(FHandle, Enabled() ? TRUE : FALSE);
    TControl::CMEnabledChanged(m);
}

void TWinControl::CMColorChanged(TMessage&)
{
    FBrush.SetColor(Color());
    NotifyControls(CM_PARENTCOLORCHANGED);
    Invalidate();
}

void TWinControl::CMFontChanged(TMessage&)
{
    if (FHandle)
        Perform(WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), 0);
    NotifyControls(CM_PARENTFONTCHANGED);
    Invalidate();
}

void TWinControl::CNCtlColor(TWMCtlColor& m)
{
    SetTextColor(m.ChildDC(), static_cast<COLORREF>(ColorToRGB(Font()->Color())));
    SetBkColor(m.ChildDC(), static_cast<COLORREF>(ColorToRGB(FBrush.Color())));
    m.SetBrush(FBrush.Handle());
}

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo& TCustomControl::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), FCanvas(std::make_unique<TControlCanvas>(*this))
{
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT: WMCustomPaint(m); break;
    default: TWinControl::Dispatch(m); break;
    }
}

void TCustomControl::WMCustomPaint(TMessage& m)
{
    FControlState.Include(csCustomPaint);
    TWMPaint v(m);
    ks::ScopeExit painted{[this] { FControlState.Exclude(csCustomPaint); }};
    WMPaint(v);
}

void TCustomControl::PaintWindow(HDC dc)
{
    FCanvas->FreeHandle();
    FCanvas->Lock();
    FCanvas->SetHandle(dc);
    ks::ScopeExit unbind{[this] {
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
    }};
    Paint();
}

void TCustomControl::DestroyWnd()
{
    FCanvas->FreeHandle();
    TWinControl::DestroyWnd();
}
