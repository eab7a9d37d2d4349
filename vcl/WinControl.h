#pragma once
// Windowed controls: TWinControl (a window of its own, children, focus and tab order, keys)
// and TCustomControl (a window with a canvas and Paint), with what binds a window to its
// object (TCreateParams, ks::WindowOwner, the one window procedure) and the hidden utility
// windows of AllocateHWnd. The window procedure is in WindowProc.cpp. Included by Controls.h.

#include "vcl/Controls.h"

#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

// What CreateParams fills in: the window's styles, place, owner and class.
struct TCreateParams {
    std::wstring Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    // lpfnWndProc is the class's own procedure (DefWindowProcW, or the system class's for a
    // superclass); the library registers the class with its trampoline and ends unhandled
    // messages in this procedure.
    WNDCLASSEXW WindowClass{};
    std::wstring WinClassName;
};

namespace ks {
class DispatchFrame;

// What the window procedure needs of an object that owns a window.
class WindowOwner {
public:
    // Every message of the bound window; may throw (the window procedure catches).
    virtual void WindowMessage(TMessage& message) = 0;
    // Called after WM_NCDESTROY has been handled: the window is gone.
    virtual void WindowDestroyed() noexcept = 0;

    // The window procedure binds the window at its first message, before anything else runs.
    virtual void WindowBound(HWND wnd) noexcept = 0;
    // Messages of this owner's window being handled right now (nested sends count).
    int DispatchDepth() const noexcept { return FDispatchDepth; }

protected:
    WindowOwner() = default;
    WindowOwner(const WindowOwner&) = delete;
    WindowOwner& operator=(const WindowOwner&) = delete;
    // An owner freed while one of its messages is being handled is forgotten by that
    // handling, which then touches nothing of it.
    ~WindowOwner();

private:
    friend class DispatchFrame;
    int FDispatchDepth = 0;
};

// The one window procedure, used by every class the library registers.
LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
// Creates a window bound to owner from its first message on. Raises EOSError when the system
// refuses. The class must have been registered with StdWndProc.
HWND CreateBoundWindow(WindowOwner& owner, const TCreateParams& params);
// The owner bound to a window of this library in this process, or nullptr.
WindowOwner* FindWindowOwner(HWND wnd) noexcept;
// Ends the binding early, for a window whose owner goes before it; no message of the window
// reaches the owner afterwards.
void UnbindWindow(HWND wnd) noexcept;
// Registers (once per name) a class whose procedure is StdWndProc; returns the procedure
// unhandled messages end in.
WNDPROC RegisterWindowClass(const WNDCLASSEXW& windowClass, const std::wstring& name);
// The application's module.
HINSTANCE Instance() noexcept;
} // namespace ks

class TWinControl : public TControl, public ks::WindowOwner {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;
    void BeforeDestruction() override;

    // ---- the window
    // Reading it creates the window (and its parent's) when there is none yet.
    HWND Handle();
    HWND HandleIfAllocated() const noexcept { return FHandle; }
    bool HandleAllocated() const noexcept { return FHandle != nullptr; }
    void HandleNeeded();
    // A top-level control's owner window (no Parent); its window is created as a child of it.
    HWND ParentWindow() const noexcept { return FParentWindow; }
    void SetParentWindow(HWND wnd);
    // Destroys the window and makes a new one (once it is showing), keeping the text and an
    // edit's selection. It goes through CM_RECREATEWND, so an adapter may refuse it; it is safe
    // inside the window's own message.
    void RecreateWnd();
    // Visible with every parent visible and a window to show.
    bool Showing() const noexcept { return FShowing; }

    // ---- children (windowless first, then windowed, each in z-order bottom to top)
    int ControlCount() const noexcept { return static_cast<int>(FControls.size() + FWinControls.size()); }
    // Raises EListError outside 0 .. ControlCount()-1.
    TControl* Controls(int index) const;
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool ContainsControl(const TControl* control) const noexcept;
    // The topmost visible child at p (client coordinates).
    TControl* ControlAtPos(TPoint p, bool allowDisabled, bool allowWinControls = false) const;
    // Sends message to every child through its WindowProc.
    void Broadcast(TMessage& message);
    void GetChildren(const TGetChildProc& proc, TComponent* root) override;
    // Moves a child to position index of the z-order among its kind and restacks its window.
    void SetChildOrder(TControl* child, int order);

    // ---- focus and tab order
    int TabOrder() const;
    void SetTabOrder(int value);
    bool TabStop() const noexcept { return FTabStop; }
    void SetTabStop(bool value);
    virtual bool CanFocus() const;
    bool Focused() const noexcept;
    // Raises EInvalidOperation "Cannot focus a disabled or invisible window".
    virtual void SetFocus();
    // Windowed descendants in tab order, depth first.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const;
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

    // ---- painting
    void Invalidate() override;
    void Update() override;
    // Paints the control and its children into dc with its top-left corner at (x, y).
    void PaintTo(HDC dc, int x, int y);
    TBrush& Brush() noexcept { return FBrush; }

    // ---- geometry
    void SetBounds(int left, int top, int width, int height) override;
    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    // Lays the aligned children out in the client area, and moves or stretches the children
    // anchored right or bottom by as much as the client area changed since the last time.
    void Realign();
    // A band of the window's colour between its frame and its client area.
    int BorderWidth() const noexcept { return FBorderWidth; }
    // At least 0.
    void SetBorderWidth(int value);

    // ---- keys
    TKeyEvent OnKeyDown() const noexcept { return FOnKeyDown; }
    void SetOnKeyDown(TKeyEvent handler) noexcept { FOnKeyDown = handler; }
    TKeyEvent OnKeyUp() const noexcept { return FOnKeyUp; }
    void SetOnKeyUp(TKeyEvent handler) noexcept { FOnKeyUp = handler; }
    TKeyPressEvent OnKeyPress() const noexcept { return FOnKeyPress; }
    void SetOnKeyPress(TKeyPressEvent handler) noexcept { FOnKeyPress = handler; }
    TNotifyEvent OnEnter() const noexcept { return FOnEnter; }
    void SetOnEnter(TNotifyEvent handler) noexcept { FOnEnter = handler; }
    TNotifyEvent OnExit() const noexcept { return FOnExit; }
    void SetOnExit(TNotifyEvent handler) noexcept { FOnExit = handler; }

    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    // Ends in the window class's own procedure (DefWindowProcW, or the system class's).
    void DefaultHandler(TMessage& message) override;

protected:
    void Loaded() override;
    void SetZOrder(bool topMost) override;
    std::wstring GetText() const override;

    virtual void CreateParams(TCreateParams& params);
    // Makes the class a superclass of the system class className (EDIT, BUTTON, STATIC ...):
    // its procedure becomes the one unhandled messages end in.
    void CreateSubClass(TCreateParams& params, const wchar_t* className);
    // The setter of a property that CreateParams reads: a changed value is stored, and a window
    // made with the old one is made anew.
    template <class T>
    void SetAndRecreate(T& field, std::type_identity_t<T> value)
    {
        if (field == value)
            return;
        field = value;
        RecreateWnd();
    }
    // Has the system measure and paint the window's frame again (after a change of its bands).
    void FrameChanged();
    // The window's client area, in coordinates of its whole window.
    RECT ClientRectInWindow();
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    virtual void DestroyWnd();
    void DestroyHandle();
    // Creates the window, then the windows of the children.
    virtual void CreateHandle();
    // Paints the window's own content into dc (the system class's painting by default).
    virtual void PaintWindow(HDC dc);
    // Paints the windowless children (from first onward) into dc.
    void PaintControls(HDC dc, TControl* first);
    void PaintHandler(TWMPaint& m);
    virtual void AlignControls(TControl* control, TRect& rect);
    virtual void AdjustClientRect(TRect& rect) const { rect = ClientRect(); }
    // Shows or hides the window and its children's as Visible says.
    void UpdateShowing();
    void UpdateControlState();
    // Keys the focused control may take before its window sees them (CN_KEYDOWN ...).
    virtual bool DoKeyDown(TWMKey& m);
    virtual bool DoKeyUp(TWMKey& m);
    virtual bool DoKeyPress(TWMKey& m);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(wchar_t& key);
    void NotifyControls(UINT msg);
    // Moves this control to place value of its parent's tab order (clamped to the list).
    void UpdateTabOrder(int value);

    // ---- message handlers
    void WMPaint(TWMPaint& m);
    // Paints into the DC given, as WM_PAINT with a DC does: a window printed by someone else
    // (an adapter, PrintWindow) shows what the control paints.
    void WMPrintClient(TWMPrint& m);
    void WMEraseBkgnd(TWMEraseBkgnd& m);
    void WMSetText(TWMSetText& m);
    void WMGetTextFromWindow(TMessage& m);
    void WMSize(TWMSize& m);
    void WMNCCalcSize(TMessage& m);
    void WMNCPaint(TMessage& m);
    void WMWindowPosChanged(TWMWindowPosMsg& m);
    void WMSetFocus(TWMSetFocus& m);
    void WMSetCursor(TWMSetCursor& m);
    void WMMouseLeave(TMessage& m);
    void WMMouseWheel(TCMMouseWheel& m);
    // The window loses the mouse (a modal form starts, the window is disabled, another window
    // takes it): the windowless child that held it through this window lets go first.
    void WMCancelMode(TMessage& m);
    void WMCaptureChanged(TMessage& m);
    // The windowless control under the point has the first say, then this control.
    void WMContextMenu(TMessage& m);
    // WM_COMMAND, WM_NOTIFY, WM_DRAWITEM ...: reflected to the child, else the default.
    void ParentNotification(TMessage& m);
    void CMEnabledChanged(TMessage& m);
    void CMVisibleChanged(TMessage& m);
    void CMShowingChanged(TMessage& m);
    void CMColorChanged(TMessage& m);
    void CMFontChanged(TMessage& m);
    void CMInvalidate(TMessage& m);
    void CMRecreateWnd(TMessage& m);
    void CMEnter(TMessage& m);
    void CMExit(TMessage& m);
    void CMFocusChanged(TMessage& m);
    // Offers a navigation key no focused control wanted to every child until one takes it.
    void CMDialogKey(TWMKey& m);
    void CNKeyDown(TWMKey& m);
    void CNKeyUp(TWMKey& m);
    void CNChar(TWMKey& m);
    void CNCtlColor(TWMCtlColor& m);
    void CMMouseWheel(TCMMouseWheel& m);

    TBrush FBrush;

private:
    friend class TControl;
    friend class TCustomForm;

    void WindowMessage(TMessage& message) override;
    void WindowDestroyed() noexcept override;
    // A new window's client area is where the children's places count from.
    void WindowBound(HWND wnd) noexcept override
    {
        FHandle = wnd;
        FAnchorSize.reset();
    }
    // Sends a parent notification to the child object it concerns as CN_BASE + msg; false
    // when no child of this library sent it.
    bool ReflectNotification(TMessage& message);
    // The child window a notification comes from, nullptr when none.
    HWND NotifyingChild(TMessage& message) const;
    static HWND DrawItemChild(const TWMDrawItem& m);
    HWND MeasureItemChild(const TWMMeasureItem& m) const;
    // Routes a client mouse message to the windowless child under it (or holding the mouse).
    bool RouteControlMouse(TMessage& message);
    // Keeps CM_MOUSEENTER / CM_MOUSELEAVE with the control under the mouse.
    void TrackMouse(TMessage& message);
    // Ends the press of the windowless child holding the mouse through this window; false when
    // this control was freed by what the child's release ran.
    bool ReleaseCapturingChild();
    // Takes the window's place and size into Left, Top, Width and Height.
    void UpdateBounds();
    void AnchorControls();
    // The window class is the library's own, not a superclass of a system class.
    bool OwnClass() const noexcept;
    void FixupTabList();

    HWND FHandle = nullptr;
    HWND FParentWindow = nullptr;
    WNDPROC FDefWndProc = nullptr;
    int FBorderWidth = 0;
    // The client size the anchored children were last placed for; none before the first
    // layout and after a new window.
    std::optional<TSize> FAnchorSize;
    // An anchored child's place as it was given (base) for a client of baseSize, and the place
    // anchoring last gave it. Each new place is worked out from the base, so a parent shrunk
    // below the child's size and grown back gives the child its size again.
    struct AnchorRule {
        TControl* control;
        TRect base;
        TSize baseSize;
        TRect placed;
    };
    std::vector<AnchorRule> FAnchorRules;
    bool FShowing = false;
    bool FTabStop = false;
    bool FTrackingLeave = false;
    int FTabOrderRead = -1; // the stored TabOrder while the form is read
    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FWinControls;
    std::vector<TWinControl*> FTabList;
    TKeyEvent FOnKeyDown;
    TKeyEvent FOnKeyUp;
    TKeyPressEvent FOnKeyPress;
    TNotifyEvent FOnEnter;
    TNotifyEvent FOnExit;
};

// The control of this library whose window is wnd, or nullptr.
TWinControl* FindControl(HWND wnd) noexcept;

// ---------------------------------------------------------------------------------------------
class TCustomControl : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;

    TCanvas& Canvas() noexcept { return *FCanvas; }
    void Dispatch(TMessage& message) override;

protected:
    virtual void Paint() {}
    // Binds the canvas to dc for the length of Paint.
    void PaintWindow(HDC dc) override;
    void DestroyWnd() override;
    void WMCustomPaint(TMessage& m);

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

// ---------------------------------------------------------------------------------------------
// Hidden utility windows of class "TPUtilWindow" (timers, the notification-area icon, popup
// lists). The messages of the window's creation go to DefWindowProcW; from the moment
// AllocateHWnd returns, every message goes to method, which sets Result itself and passes what
// it does not handle to DefWindowProcW with the window returned. Raises EOSError when the
// system refuses.
HWND AllocateHWnd(TWndMethod method);
// Destroys a window made by AllocateHWnd; harmless for nullptr.
void DeallocateHWnd(HWND wnd) noexcept;
