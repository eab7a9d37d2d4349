#pragma once
// The visual core: TControl (geometry, state, appearance, message dispatch through an
// assignable WindowProc) and TGraphicControl (windowless, painted by its parent); the windowed
// controls TWinControl and TCustomControl are in WinControl.h, which this header brings along.
// Every control's messages flow WindowProc -> WndProc -> Dispatch -> DefaultHandler; Perform
// runs that chain synchronously and is the only path for windowless controls. Message numbers
// are in Messages.h.

#include "vcl/Classes.h"
#include "vcl/Graphics.h"
#include "vcl/Messages.h"
#include "vcl/TypInfo.h"
#include "vcl/Win.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class TWinControl;
class TCustomForm;
class TPopupMenu;
class TBasicAction;
class TBasicActionLink;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Forms use all of it; edits and panels use bsNone and bsSingle.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

// The edges of its parent a control keeps its distance to when the parent is resized.
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = ks::Set<TAnchorKind>;

// Bevels of panels and edits.
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };

template <>
struct ks::EnumTraits<TAnchorKind> {
    static constexpr const char* Names[] = {"akLeft", "akTop", "akRight", "akBottom"};
};
template <>
struct ks::EnumTraits<TBevelCut> {
    static constexpr const char* Names[] = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
};
template <>
struct ks::EnumTraits<TBevelKind> {
    static constexpr const char* Names[] = {"bkNone", "bkTile", "bkSoft", "bkFlat"};
};
template <>
struct ks::EnumTraits<TAlign> {
    static constexpr const char* Names[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
};
template <>
struct ks::EnumTraits<TFormBorderStyle> {
    static constexpr const char* Names[] = {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"};
};

enum TControlStyleItem {
    csAcceptsControls, csCaptureMouse, csClickEvents, csFramed, csSetCaption, csOpaque,
    csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable, csNoStdEvents,
    csParentBackground
};
using TControlStyle = ks::Set<TControlStyleItem>;

// csClicked is bit 0x40: button adapters test that bit.
enum TControlStateItem {
    csLButtonDown, csFocusing, csReadingState, csAlignmentNeeded, csPalette, csCustomPaint,
    csClicked, csCreating, csPaintCopy, csDestroyingHandle, csRecreating, csAligning
};
using TControlState = ks::Set<TControlStateItem>;

// Right-to-left modes take effect only under a Middle-East user locale (the platform seams'
// IsMiddleEastLocale), as the system lays text out right to left only there.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = ks::Set<TShiftStateItem>;
// The shift state of a mouse message's key flags (MK_*), Alt read from the keyboard.
TShiftState KeysToShiftState(UINT keys) noexcept;
// The shift state of a key message's key data (Alt from bit 29), the rest from the keyboard.
TShiftState KeyDataToShiftState(LPARAM keyData) noexcept;

// Cursor identifiers as form resources name them ("crHandPoint"); TScreen maps them to
// system cursors.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

using TWndMethod = TDelegate<void(TMessage&)>;
using TMouseEvent = TDelegate<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = TDelegate<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = TDelegate<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = TDelegate<void(TObject* sender, wchar_t& key)>;

namespace ks {
// Lets the Integer property Cursor stream as cursor names ("crHandPoint").
void RegisterCursorIdents();
} // namespace ks

// ---------------------------------------------------------------------------------------------
// The least and largest size of a control; 0 leaves that bound free. A change applies at once
// to the control's current size.
class TSizeConstraints : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TSizeConstraints(TControl* control) noexcept : FControl(control) {}

    int MinWidth() const noexcept { return FMinWidth; }
    int MinHeight() const noexcept { return FMinHeight; }
    int MaxWidth() const noexcept { return FMaxWidth; }
    int MaxHeight() const noexcept { return FMaxHeight; }
    // A negative bound counts as 0. A minimum above the maximum raises the maximum to it, and a
    // maximum below the minimum lowers the minimum.
    void SetMinWidth(int value);
    void SetMinHeight(int value);
    void SetMaxWidth(int value);
    void SetMaxHeight(int value);
    void Assign(const TPersistent* source) override;
    // width and height brought within the bounds.
    void Constrain(int& width, int& height) const noexcept;

private:
    // The opposite bound follows a minimum above it or a maximum below it.
    void SetBound(int& bound, int& opposite, int value, bool minimum);
    void Change();

    TControl* FControl;
    int FMinWidth = 0;
    int FMinHeight = 0;
    int FMaxWidth = 0;
    int FMaxHeight = 0;
};

class TControl : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TControl(TComponent* owner);
    ~TControl() override;
    void BeforeDestruction() override;

    // ---- tree
    TWinControl* Parent() const noexcept { return FParent; }
    // Moves the control into parent's child list (nullptr: out of any); parent may not be
    // this control or one of its children (EInvalidOperation).
    virtual void SetParent(TWinControl* parent);
    TComponent* GetParentComponent() const override;
    bool HasParent() const override { return true; }
    void SetParentComponent(TComponent* parent) override;

    // ---- geometry (parent client coordinates)
    int Left() const noexcept { return FLeft; }
    int Top() const noexcept { return FTop; }
    int Width() const noexcept { return FWidth; }
    int Height() const noexcept { return FHeight; }
    void SetLeft(int value) { SetBounds(value, FTop, FWidth, FHeight); }
    void SetTop(int value) { SetBounds(FLeft, value, FWidth, FHeight); }
    void SetWidth(int value) { SetBounds(FLeft, FTop, value, FHeight); }
    void SetHeight(int value) { SetBounds(FLeft, FTop, FWidth, value); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const noexcept { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    // The client area in client coordinates (its origin is 0, 0).
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Right; }
    int ClientHeight() const { return ClientRect().Bottom; }
    virtual void SetClientWidth(int value);
    virtual void SetClientHeight(int value);
    // Screen position of the client area's origin.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;
    TAlign Align() const noexcept { return FAlign; }
    void SetAlign(TAlign align);
    // Kept by the parent when it is resized: an edge anchored right or bottom keeps its
    // distance to that edge of the parent's client area (both sides anchored: the control
    // stretches).
    TAnchors Anchors() const noexcept { return FAnchors; }
    void SetAnchors(TAnchors value) noexcept { FAnchors = value; }

    // ---- state
    // The stored flag, not IsWindowVisible: WM_SETREDRAW(FALSE) clears WS_VISIBLE.
    bool Visible() const noexcept { return FVisible; }
    virtual void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const noexcept { return FEnabled; }
    virtual void SetEnabled(bool value);
    TControlStyle ControlStyle() const noexcept { return FControlStyle; }
    void SetControlStyle(TControlStyle style) noexcept { FControlStyle = style; }
    TControlState ControlState() const noexcept { return FControlState; }
    void SetControlState(TControlState state) noexcept { FControlState = state; }

    // ---- appearance
    std::wstring Caption() const { return GetText(); }
    void SetCaption(const std::wstring& value) { SetText(value); }
    std::wstring Text() const { return GetText(); }
    // Goes through WM_SETTEXT, which ends in CM_TEXTCHANGED.
    void SetText(const std::wstring& value);
    TFont* Font() const noexcept { return FFont.get(); }
    void SetFont(TFont* font) { FFont->Assign(font); }
    // Applied by SetBounds, and by a form to the sizes the system lets a user drag it to.
    TSizeConstraints* Constraints() const noexcept { return FConstraints.get(); }
    void SetConstraints(TSizeConstraints* value) { FConstraints->Assign(value); }
    bool ParentFont() const noexcept { return FParentFont; }
    void SetParentFont(bool value);
    TColor Color() const noexcept { return FColor; }
    void SetColor(TColor value);
    bool ParentColor() const noexcept { return FParentColor; }
    void SetParentColor(bool value);
    TCursor Cursor() const noexcept { return FCursor; }
    void SetCursor(TCursor value);
    TBiDiMode BiDiMode() const noexcept { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode value);
    bool UseRightToLeftAlignment() const;
    bool UseRightToLeftReading() const;
    // flags for DrawText with left and right alignment swapped for a right-to-left control
    // (centred text stays centred) and DT_RTLREADING added where the reading order is.
    UINT DrawTextBiDiModeFlags(UINT flags) const;
    UINT DrawTextBiDiModeFlagsReadingOnly() const;

    // ---- hints and menus (the hint machinery reads these)
    const std::wstring& Hint() const noexcept { return FHint; }
    void SetHint(const std::wstring& value) { FHint = value; }
    bool ShowHint() const noexcept { return FShowHint; }
    void SetShowHint(bool value);
    bool ParentShowHint() const noexcept { return FParentShowHint; }
    void SetParentShowHint(bool value);
    // The menu is held as a component reference and forgotten when it is freed. The template
    // defers the conversion to the caller, who has the menu class complete.
    template <class M = TPopupMenu>
    M* PopupMenu() const noexcept { return static_cast<M*>(FPopupMenu); }
    template <class M = TPopupMenu>
    void SetPopupMenu(M* menu) { SetPopupMenuComponent(menu); }
    // nullptr or a component of a class registered as (or derived from) "TPopupMenu";
    // anything else raises EInvalidOperation.
    TComponent* PopupMenuComponent() const noexcept { return FPopupMenu; }
    void SetPopupMenuComponent(TComponent* menu);

    // ---- actions
    // The action the control follows (caption, enabled, hint, visible; a click executes it
    // when there is no OnClick); forgotten when the action is freed.
    TBasicAction* Action() const noexcept;
    void SetAction(TBasicAction* action);
    TBasicActionLink* ActionLink() const noexcept { return FActionLink.get(); }
    // Runs the action's update cycle.
    void InitiateAction();

    // ---- messages
    TWndMethod WindowProc() const noexcept { return FWindowProc; }
    // An unassigned method puts back the control's own WndProc.
    void SetWindowProc(TWndMethod method);
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual void WndProc(TMessage& message);
    // The class's message switch; what it does not handle goes to DefaultHandler.
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);

    // ---- painting
    virtual void Invalidate();
    virtual void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront() { SetZOrder(true); }
    void SendToBack() { SetZOrder(false); }

    // ---- events
    TNotifyEvent OnClick() const noexcept { return FOnClick; }
    void SetOnClick(TNotifyEvent handler) noexcept { FOnClick = handler; }
    TNotifyEvent OnDblClick() const noexcept { return FOnDblClick; }
    void SetOnDblClick(TNotifyEvent handler) noexcept { FOnDblClick = handler; }
    TMouseEvent OnMouseDown() const noexcept { return FOnMouseDown; }
    void SetOnMouseDown(TMouseEvent handler) noexcept { FOnMouseDown = handler; }
    TMouseEvent OnMouseUp() const noexcept { return FOnMouseUp; }
    void SetOnMouseUp(TMouseEvent handler) noexcept { FOnMouseUp = handler; }
    TMouseMoveEvent OnMouseMove() const noexcept { return FOnMouseMove; }
    void SetOnMouseMove(TMouseMoveEvent handler) noexcept { FOnMouseMove = handler; }
    TNotifyEvent OnMouseEnter() const noexcept { return FOnMouseEnter; }
    void SetOnMouseEnter(TNotifyEvent handler) noexcept { FOnMouseEnter = handler; }
    TNotifyEvent OnMouseLeave() const noexcept { return FOnMouseLeave; }
    void SetOnMouseLeave(TNotifyEvent handler) noexcept { FOnMouseLeave = handler; }

    virtual void Click();
    virtual void DblClick();
    // The control's own wheel handling; true when it used the turn. pos is in screen
    // coordinates.
    virtual bool DoMouseWheel(TShiftState, int /*wheelDelta*/, TPoint /*pos*/) { return false; }

    // Windowless controls that take the mouse (csCaptureMouse) hold it through their parent, and
    // let go when the parent loses it (WM_CANCELMODE, WM_CAPTURECHANGED).
    bool MouseCapture() const noexcept;
    void SetMouseCapture(bool value);

    // Stored predicates of the property table: values that follow the parent are not stored.
    bool IsColorStored() const noexcept;
    bool IsFontStored() const noexcept;
    bool IsShowHintStored() const noexcept;

protected:
    // Tells whether the control was freed while it watched (the application's handlers may free
    // it); nested watches all learn it.
    class GoneWatch {
    public:
        explicit GoneWatch(TControl& control) : FControl(control), FOuter(control.FGone) { control.FGone = &FGone; }
        ~GoneWatch()
        {
            if (!FGone)
                FControl.FGone = FOuter;
            else if (FOuter)
                *FOuter = true;
        }
        GoneWatch(const GoneWatch&) = delete;
        GoneWatch& operator=(const GoneWatch&) = delete;
        bool Gone() const noexcept { return FGone; }

    private:
        TControl& FControl;
        bool* FOuter;
        bool FGone = false;
    };

    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;

    virtual std::wstring GetText() const { return FText; }
    virtual void SetZOrder(bool topMost);
    // The action (sender) changed, or was just bound (checkDefaults: only properties still at
    // their defaults take the action's values).
    virtual void ActionChange(TObject* sender, bool checkDefaults);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // Invalidates the control's rectangle on its parent (windowless controls).
    void InvalidateControl(bool isVisible, bool isOpaque);
    // Asks the parent to lay out its aligned children again.
    void RequestAlign();
    // Sends msg to the control with the parent's font, colour or hint flag when it follows it.
    void ParentChanged(UINT msg);
    // Sets the stored visibility without any message (for constructors).
    void InitVisible(bool value) noexcept { FVisible = value; }

    // ---- message handlers
    void WMSetText(TWMSetText& m);
    void WMGetText(TWMGetText& m);
    void WMGetTextLength(TMessage& m);
    void WMMouseButton(TWMMouse& m, TMouseButton button, bool down, bool dblClick);
    void WMMouseMove(TWMMouse& m);
    // The mouse is taken away: a press the control holds ends as a release outside it, without
    // a click.
    void WMCancelMode(TMessage& m);
    // Opens the popup menu at the point (from the keyboard, lParam -1: at the top-left corner)
    // and answers 1; without a menu the message goes on as the class's own.
    void WMContextMenu(TMessage& m);
    void CMEnabledChanged(TMessage& m);
    void CMVisibleChanged(TMessage& m);
    void CMParentFontChanged(TMessage& m);
    void CMParentColorChanged(TMessage& m);
    void CMParentShowHintChanged(TMessage& m);
    void CMMouseEnter(TCMControl& m);
    void CMMouseLeave(TCMControl& m);

    // Geometry fields are written only through SetBounds.
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    std::wstring FText;
    TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    TControlState FControlState;

private:
    friend class TWinControl;
    class ActionLinkOf;

    void FontChanged(TObject* sender);
    void SetParentInternal(TWinControl* parent) noexcept { FParent = parent; }
    // Ends the press of a windowless control that can no longer be released over; false when
    // the release's handlers freed the control.
    bool EndPress();

    TWinControl* FParent = nullptr;
    // Set while a GoneWatch runs; the destructor marks it.
    bool* FGone = nullptr;
    TAlign FAlign = alNone;
    TAnchors FAnchors{akLeft, akTop};
    std::unique_ptr<TBasicActionLink> FActionLink;
    bool FVisible = true;
    bool FEnabled = true;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TSizeConstraints> FConstraints;
    bool FParentFont = true;
    TColor FColor = clWindow;
    bool FParentColor = true;
    TCursor FCursor = crDefault;
    TBiDiMode FBiDiMode = bdLeftToRight;
    std::wstring FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TComponent* FPopupMenu = nullptr;
    TWndMethod FWindowProc;
    TNotifyEvent FOnClick;
    TNotifyEvent FOnDblClick;
    TMouseEvent FOnMouseDown;
    TMouseEvent FOnMouseUp;
    TMouseMoveEvent FOnMouseMove;
    TNotifyEvent FOnMouseEnter;
    TNotifyEvent FOnMouseLeave;
};

// The form a control sits on (nullptr when it is not on one).
TCustomForm* GetParentForm(const TControl* control) noexcept;

namespace ks {
// The control under the mouse, as CM_MOUSEENTER and CM_MOUSELEAVE last told it. Changing it
// sends CM_MOUSELEAVE to the old control and CM_MOUSEENTER to the new one, each with the
// control itself in LParam and to no one else.
TControl* MouseControl() noexcept;
void SetMouseControl(TControl* control);
// The windowless control holding the mouse through its parent's capture, or nullptr.
TControl* CaptureControl() noexcept;
// The system cursor for a cursor identifier (the arrow for unknown ones).
HCURSOR CursorHandle(TCursor cursor) noexcept;
// A window laid out right to left (WS_EX_LAYOUTRTL) shows its windowless controls at mirrored
// places, each picture reading left to right there (ks::PlacedDC). True for such a window.
bool IsMirrored(HWND wnd) noexcept;
// Where control shows in its parent's client: its Left, or in a mirrored parent its Left
// counted from the client's right edge.
int ShownLeft(const TControl& control);
} // namespace ks

// ---------------------------------------------------------------------------------------------
// A canvas on a control: for a windowed control its window's DC, for a windowless one its
// parent's DC with the origin moved to the control and the drawing clipped to it. The DC is
// taken on first use and given back by FreeHandle (the owning control does so when its window
// or its parent's window goes).
class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(TControl& control) noexcept : FControl(control) {}
    ~TControlCanvas() override;
    void FreeHandle() noexcept;

protected:
    void CreateHandle() override;

private:
    TControl& FControl;
    HWND FWindow = nullptr;
    HDC FWindowDC = nullptr;
};

// ---------------------------------------------------------------------------------------------
class TGraphicControl : public TControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;

    // Outside WM_PAINT it draws on the parent's window; inside, on the DC being painted.
    TCanvas& Canvas() noexcept { return *FCanvas; }
    void Dispatch(TMessage& message) override;

protected:
    virtual void Paint() {}
    // Paints through WindowProc with the DC in WParam, origin at the control, clipped to it.
    void WMPaint(TWMPaint& m);

private:
    friend class TWinControl;
    std::unique_ptr<TControlCanvas> FCanvas;
};

// Every user of the controls expects the windowed ones too.
#include "vcl/WinControl.h"
