#pragma once
// Messages of the class library: TMessage, the cracked views handlers take, and every
// component (CM_) and reflected notification (CN_) number the library sends.
//
// The numbers are the platform library's own, because the skin engine intercepts them by
// number. Component messages live at CM_BASE; a notification a parent receives from a child
// window (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM ...) is reflected to the child object as
// CN_BASE + the message. Numbers the library must leave alone: 0xA100 (the engine's skin
// command), 0xBCB3 and 0xBCB4 (posted to the application window by popup menus), 0xBC4D (the
// engine's region query; message 0x4D is therefore never reflected) and 0x1400.

#include "vcl/Win.h"

#include <cstdint>

class TControl;

// One message as the library passes it around. WParam, LParam and Result keep their full
// pointer width; a handler that consumes a message sets Result so DefaultHandler leaves it.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;

    WORD WParamLo() const noexcept { return LOWORD(WParam); }
    WORD WParamHi() const noexcept { return HIWORD(WParam); }
    WORD LParamLo() const noexcept { return LOWORD(LParam); }
    WORD LParamHi() const noexcept { return HIWORD(LParam); }
};

// ---- component messages: sent with Perform to the control concerned
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = 0xB000;          // application window activated: to its hooks
constexpr UINT CM_DEACTIVATE = 0xB001;        // application window deactivated: to its hooks
constexpr UINT CM_DIALOGKEY = 0xB005;         // a navigation key the focused control left: to its form
constexpr UINT CM_DIALOGCHAR = 0xB006;        // a character the focused control does not want: broadcast by the form
constexpr UINT CM_FOCUSCHANGED = 0xB007;      // form focus moved; LParam = new focused control; broadcast down
constexpr UINT CM_PARENTFONTCHANGED = 0xB008; // parent's Font changed: to each child
constexpr UINT CM_PARENTCOLORCHANGED = 0xB009; // parent's Color changed: to each child
constexpr UINT CM_VISIBLECHANGED = 0xB00B;    // Visible setter; WParam = new visibility
constexpr UINT CM_ENABLEDCHANGED = 0xB00C;    // Enabled setter
constexpr UINT CM_COLORCHANGED = 0xB00D;      // Color setter
constexpr UINT CM_FONTCHANGED = 0xB00E;       // the control's Font changed
constexpr UINT CM_CURSORCHANGED = 0xB00F;     // Cursor setter
constexpr UINT CM_TEXTCHANGED = 0xB012;       // after WM_SETTEXT (and so after SetText)
constexpr UINT CM_MOUSEENTER = 0xB013;        // only to the control entered; LParam = that control
constexpr UINT CM_MOUSELEAVE = 0xB014;        // only to the control left; LParam = that control
constexpr UINT CM_MENUCHANGED = 0xB015;       // a form's menu items changed
constexpr UINT CM_BUTTONPRESSED = 0xB018;     // speed-button group logic
constexpr UINT CM_SHOWINGCHANGED = 0xB019;    // Showing flips; the handler shows or hides the window
constexpr UINT CM_ENTER = 0xB01A;             // focus enters the control (outermost first)
constexpr UINT CM_EXIT = 0xB01B;              // focus leaves the control (innermost first)
constexpr UINT CM_RELEASE = 0xB021;           // posted to a form by Release(); the form frees itself
constexpr UINT CM_SHOWHINTCHANGED = 0xB022;   // ShowHint setter
constexpr UINT CM_PARENTSHOWHINTCHANGED = 0xB023; // parent's ShowHint changed: to each child
constexpr UINT CM_TABSTOPCHANGED = 0xB028;    // TabStop setter
constexpr UINT CM_UIACTIVATE = 0xB029;        // the form activates: to its active control
constexpr UINT CM_CONTROLLISTCHANGE = 0xB02C; // child inserted or removed; WParam = control, LParam = inserting
constexpr UINT CM_HINTSHOW = 0xB030;          // before a hint shows (for the hint machinery)
constexpr UINT CM_RECREATEWND = 0xB033;       // RecreateWnd asks for a new window (posted while the handle is busy)
constexpr UINT CM_INVALIDATE = 0xB034;        // TWinControl::Invalidate goes through it so adapters may swallow it
constexpr UINT CM_CHANGED = 0xB037;           // check-box state changes
constexpr UINT CM_FRAMECHANGED = 0xB03A;      // a form's BorderStyle or BorderIcons changed after its window exists
constexpr UINT CM_BIDIMODECHANGED = 0xB03C;   // BiDiMode setter
constexpr UINT CM_ACTIONUPDATE = 0xB03F;      // action update cycle
constexpr UINT CM_MOUSEWHEEL = 0xB043;        // WM_MOUSEWHEEL: the focused control first, then its parents
constexpr UINT CM_RESERVED_B04C = 0xB04C;     // never sent by the library; form adapters swallow it

// ---- reflected notifications: CN_BASE + the parent's message, sent to the child object
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM; // 0xBC2B
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM; // 0xBC2C
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;          // 0xBC4E
constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
// Key messages reach the focused control as CN_ first (from the message loop); a control that
// sets Result keeps the key from the window.
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;

// ---------------------------------------------------------------------------------------------
// Cracked views: a handler takes one of these instead of unpacking WParam and LParam itself.
// Every cast between the message words and pointers or handles happens here.

class TMessageView {
public:
    explicit TMessageView(TMessage& message) noexcept : M(message) {}
    TMessage& Message() noexcept { return M; }
    UINT Msg() const noexcept { return M.Msg; }
    LRESULT Result() const noexcept { return M.Result; }
    void SetResult(LRESULT result) noexcept { M.Result = result; }

protected:
    TMessage& M;
};

// Client-area mouse messages (WM_MOUSEMOVE, WM_xBUTTONDOWN/UP/DBLCLK).
class TWMMouse : public TMessageView {
public:
    using TMessageView::TMessageView;
    UINT Keys() const noexcept { return static_cast<UINT>(M.WParam); }
    int XPos() const noexcept { return static_cast<short>(LOWORD(M.LParam)); }
    int YPos() const noexcept { return static_cast<short>(HIWORD(M.LParam)); }
    POINT Pos() const noexcept { return {XPos(), YPos()}; }
    static LPARAM MakePos(int x, int y) noexcept
    {
        return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))));
    }
};

// WM_MOUSEWHEEL and CM_MOUSEWHEEL; the position is in screen coordinates.
class TCMMouseWheel : public TMessageView {
public:
    using TMessageView::TMessageView;
    UINT Keys() const noexcept { return GET_KEYSTATE_WPARAM(M.WParam); }
    int WheelDelta() const noexcept { return GET_WHEEL_DELTA_WPARAM(M.WParam); }
    POINT Pos() const noexcept { return {static_cast<short>(LOWORD(M.LParam)), static_cast<short>(HIWORD(M.LParam))}; }
};

// WM_KEYDOWN/UP, WM_CHAR and their CN_ forms, CM_DIALOGKEY, CM_DIALOGCHAR.
class TWMKey : public TMessageView {
public:
    using TMessageView::TMessageView;
    WORD CharCode() const noexcept { return static_cast<WORD>(M.WParam); }
    void SetCharCode(WORD code) noexcept { M.WParam = code; }
    LPARAM KeyData() const noexcept { return M.LParam; }
};
using TCMDialogChar = TWMKey;

class TWMNCHitTest : public TMessageView {
public:
    using TMessageView::TMessageView;
    int XPos() const noexcept { return static_cast<short>(LOWORD(M.LParam)); }
    int YPos() const noexcept { return static_cast<short>(HIWORD(M.LParam)); }
};

// WM_PAINT; DC() is the device context a caller painting into its own DC put in WParam, else
// nullptr.
class TWMPaint : public TMessageView {
public:
    using TMessageView::TMessageView;
    HDC DC() const noexcept { return reinterpret_cast<HDC>(M.WParam); }
};

class TWMEraseBkgnd : public TMessageView {
public:
    using TMessageView::TMessageView;
    HDC DC() const noexcept { return reinterpret_cast<HDC>(M.WParam); }
    // The class library asks a windowed control for the background behind its windowless
    // children by passing the DC in both words.
    bool ForChildren() const noexcept { return M.LParam == static_cast<LPARAM>(M.WParam); }
};

// WM_PRINT and WM_PRINTCLIENT.
class TWMPrint : public TMessageView {
public:
    using TMessageView::TMessageView;
    HDC DC() const noexcept { return reinterpret_cast<HDC>(M.WParam); }
    DWORD Flags() const noexcept { return static_cast<DWORD>(M.LParam); }
};

class TWMNCActivate : public TMessageView {
public:
    using TMessageView::TMessageView;
    bool Active() const noexcept { return M.WParam != 0; }
};

class TWMActivate : public TMessageView {
public:
    using TMessageView::TMessageView;
    WORD Active() const noexcept { return LOWORD(M.WParam); } // WA_INACTIVE, WA_ACTIVE, WA_CLICKACTIVE
    bool Minimized() const noexcept { return HIWORD(M.WParam) != 0; }
    HWND Other() const noexcept { return reinterpret_cast<HWND>(M.LParam); }
};

class TWMSysCommand : public TMessageView {
public:
    using TMessageView::TMessageView;
    UINT CmdType() const noexcept { return static_cast<UINT>(M.WParam & 0xFFF0); }
};

class TWMWindowPosMsg : public TMessageView {
public:
    using TMessageView::TMessageView;
    WINDOWPOS& WindowPos() const noexcept { return *reinterpret_cast<WINDOWPOS*>(M.LParam); }
};

class TWMGetMinMaxInfo : public TMessageView {
public:
    using TMessageView::TMessageView;
    MINMAXINFO& MinMaxInfo() const noexcept { return *reinterpret_cast<MINMAXINFO*>(M.LParam); }
};

class TWMSize : public TMessageView {
public:
    using TMessageView::TMessageView;
    UINT SizeType() const noexcept { return static_cast<UINT>(M.WParam); }
    int Width() const noexcept { return LOWORD(M.LParam); }
    int Height() const noexcept { return HIWORD(M.LParam); }
};

class TWMSetText : public TMessageView {
public:
    using TMessageView::TMessageView;
    const wchar_t* Text() const noexcept { return reinterpret_cast<const wchar_t*>(M.LParam); }
    static LPARAM FromText(const wchar_t* text) noexcept { return reinterpret_cast<LPARAM>(text); }
};

class TWMSetCursor : public TMessageView {
public:
    using TMessageView::TMessageView;
    HWND CursorWnd() const noexcept { return reinterpret_cast<HWND>(M.WParam); }
    short HitTest() const noexcept { return static_cast<short>(LOWORD(M.LParam)); }
};

class TWMSetFocus : public TMessageView {
public:
    using TMessageView::TMessageView;
    HWND FocusedWnd() const noexcept { return reinterpret_cast<HWND>(M.WParam); }
};
using TWMKillFocus = TWMSetFocus;

// WM_COMMAND / CN_COMMAND.
class TWMCommand : public TMessageView {
public:
    using TMessageView::TMessageView;
    WORD ItemID() const noexcept { return LOWORD(M.WParam); }
    WORD NotifyCode() const noexcept { return HIWORD(M.WParam); }
    HWND Ctl() const noexcept { return reinterpret_cast<HWND>(M.LParam); }
};

// WM_NOTIFY / CN_NOTIFY.
class TWMNotify : public TMessageView {
public:
    using TMessageView::TMessageView;
    NMHDR& NMHdr() const noexcept { return *reinterpret_cast<NMHDR*>(M.LParam); }
};

// WM_DRAWITEM / CN_DRAWITEM.
class TWMDrawItem : public TMessageView {
public:
    using TMessageView::TMessageView;
    DRAWITEMSTRUCT& DrawItemStruct() const noexcept { return *reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam); }
};

// WM_MEASUREITEM / CN_MEASUREITEM.
class TWMMeasureItem : public TMessageView {
public:
    using TMessageView::TMessageView;
    UINT IDCtl() const noexcept { return static_cast<UINT>(M.WParam); }
    MEASUREITEMSTRUCT& MeasureItemStruct() const noexcept { return *reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam); }
};

// WM_COMPAREITEM / CN_COMPAREITEM.
class TWMCompareItem : public TMessageView {
public:
    using TMessageView::TMessageView;
    COMPAREITEMSTRUCT& CompareItemStruct() const noexcept { return *reinterpret_cast<COMPAREITEMSTRUCT*>(M.LParam); }
};

// WM_DELETEITEM / CN_DELETEITEM.
class TWMDeleteItem : public TMessageView {
public:
    using TMessageView::TMessageView;
    DELETEITEMSTRUCT& DeleteItemStruct() const noexcept { return *reinterpret_cast<DELETEITEMSTRUCT*>(M.LParam); }
};

// Notifications whose LParam is the child window that sends them (WM_COMMAND, WM_CTLCOLOR*,
// WM_H/VSCROLL, WM_CHARTOITEM, WM_VKEYTOITEM); nullptr for menus, accelerators and a window's
// own scroll bars.
class TWMChildNotify : public TMessageView {
public:
    using TMessageView::TMessageView;
    HWND Child() const noexcept { return reinterpret_cast<HWND>(M.LParam); }
};

// WM_GETTEXT: a buffer of Capacity() characters, the terminating zero included.
class TWMGetText : public TMessageView {
public:
    using TMessageView::TMessageView;
    wchar_t* Buffer() const noexcept { return reinterpret_cast<wchar_t*>(M.LParam); }
    size_t Capacity() const noexcept { return static_cast<size_t>(M.WParam); }
};

// WM_CONTEXTMENU: the screen position, or none when the menu was asked for from the keyboard.
class TWMContextMenu : public TMessageView {
public:
    using TMessageView::TMessageView;
    bool FromKeyboard() const noexcept { return M.LParam == -1; }
    POINT Pos() const noexcept { return {static_cast<short>(LOWORD(M.LParam)), static_cast<short>(HIWORD(M.LParam))}; }
};

// WM_ACTIVATEAPP: whether the application is being activated.
class TWMActivateApp : public TMessageView {
public:
    using TMessageView::TMessageView;
    bool Active() const noexcept { return M.WParam != 0; }
};

// WM_PARENTNOTIFY: the event that happened to a child (WM_CREATE, WM_DESTROY, a button down).
class TWMParentNotify : public TMessageView {
public:
    using TMessageView::TMessageView;
    WORD Event() const noexcept { return LOWORD(M.WParam); }
};

// CM_VISIBLECHANGED: WParam is the control's new visibility.
class TCMVisibleChanged : public TMessageView {
public:
    using TMessageView::TMessageView;
    bool Visible() const noexcept { return M.WParam != 0; }
};

class TWMInitMenuPopup : public TMessageView {
public:
    using TMessageView::TMessageView;
    HMENU MenuPopup() const noexcept { return reinterpret_cast<HMENU>(M.WParam); }
    bool SystemMenu() const noexcept { return HIWORD(M.LParam) != 0; }
};

class TWMTimer : public TMessageView {
public:
    using TMessageView::TMessageView;
    UINT_PTR TimerID() const noexcept { return static_cast<UINT_PTR>(M.WParam); }
};

// The notification-area icon's callback message: LParam is the mouse message that happened.
class TWMNotifyIcon : public TMessageView {
public:
    using TMessageView::TMessageView;
    UINT MouseMsg() const noexcept { return static_cast<UINT>(M.LParam); }
};

// WM_CTLCOLOR* / CN_CTLCOLOR*: Result is the brush to paint with.
class TWMCtlColor : public TMessageView {
public:
    using TMessageView::TMessageView;
    HDC ChildDC() const noexcept { return reinterpret_cast<HDC>(M.WParam); }
    HWND ChildWnd() const noexcept { return reinterpret_cast<HWND>(M.LParam); }
    void SetBrush(HBRUSH brush) noexcept { M.Result = reinterpret_cast<LRESULT>(brush); }
};

// WM_HSCROLL / WM_VSCROLL and their CN_ forms.
class TWMScroll : public TMessageView {
public:
    using TMessageView::TMessageView;
    WORD ScrollCode() const noexcept { return LOWORD(M.WParam); }
    short Pos() const noexcept { return static_cast<short>(HIWORD(M.WParam)); }
    HWND ScrollBar() const noexcept { return reinterpret_cast<HWND>(M.LParam); }
};

// CM_MOUSEENTER, CM_MOUSELEAVE, CM_FOCUSCHANGED (LParam) and CM_CONTROLLISTCHANGE (WParam)
// carry a control, always as a TControl*.
class TCMControl : public TMessageView {
public:
    using TMessageView::TMessageView;
    TControl* LParamControl() const noexcept { return reinterpret_cast<TControl*>(M.LParam); }
    TControl* WParamControl() const noexcept { return reinterpret_cast<TControl*>(M.WParam); }
    static LPARAM ToLParam(TControl* control) noexcept { return reinterpret_cast<LPARAM>(control); }
    static WPARAM ToWParam(TControl* control) noexcept { return reinterpret_cast<WPARAM>(control); }
};
