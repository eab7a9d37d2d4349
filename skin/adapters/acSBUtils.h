#pragma once
// Window adapters: objects that take over the message handling of one existing window (a
// platform control, a class-library control without a skin of its own, a dialog, a popup-menu
// window) to paint it from the skin. TacMainWnd is the base of every adapter: attaching and
// detaching, the handling every adapter inherits, and the routines adapters, form providers and
// dialog skinning share.
//
// Every window taken over carries the window property "ACSBSC" holding its adapter for as long
// as the adapter holds the window. A foreign window is taken over through ks::WindowSubclass
// (vcl/WindowSubclass.h); a class-library control or a provider's form through its WindowProc.
// Either way the replaced handler is given back exactly once, and only while the adapter is still
// the current one: whoever took the window over after the adapter keeps a working chain, the
// adapter passing everything on until the window or the control goes.
//
// An adapter is freed with Free(), never with delete: freed from inside one of its own messages
// (an owner reacting to a skin command the adapter passed on) it lets go of the window at once
// and is deleted when the outermost message returns.

#include "skin/core/ComponentWatch.h"
#include "vcl/Classes.h"
#include "vcl/Controls.h"
#include "vcl/Messages.h"
#include "vcl/Win.h"
#include "vcl/WindowSubclass.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

class TacMainWnd;
namespace ks {
class SkinCommandView;
}
class TsCommonData;
class TsSkinManager;
class TWinControl;

inline constexpr wchar_t AdapterProperty[] = L"ACSBSC";

// The adapter holding wnd; nullptr when none does (and for 0).
TacMainWnd* GetScrollHandler(HWND wnd) noexcept;

// ---- unit flags
// The next adapter made is the child of a standard dialog (set by the combo-box adapter while it
// makes the adapter of its drop-down list).
extern bool NextAdapterInDialog;
// Set by a form's control adapter while it frees all its items: adapters then leave the control
// colours alone, as the form and its controls are going away.
extern bool ClearingAdapters;

class TacMainWnd : public TObject {
public:
    const char* ClassName() const noexcept override { return "TacMainWnd"; }

    // Makes an adapter of class T (TacMainWnd or a descendant) and attaches it to handle:
    // skinData may be nullptr (the adapter then owns a new one), manager may be nullptr (the skin
    // data's manager is taken); section is used only when the skin data names none; repaint asks
    // adapters with scroll bars to recompute and redraw the frame at once.
    template <class T, class... Extra>
    static T* Create(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string_view section,
                     bool repaint, Extra&&... extra)
    {
        T* adapter = new T(handle, skinData, manager, std::string(section), std::forward<Extra>(extra)...);
        adapter->Attach(repaint);
        return adapter;
    }

    // Detaches (unless already detached) and deletes the adapter, at once or, from inside one of
    // its messages, when the outermost one returns.
    void Free() noexcept;

    // ---- what every descendant may override
    // Remembers the control's own colours before the skin changes them.
    virtual void SaveControlColors() {}
    // Puts them back.
    virtual void RestoreControlColors() {}
    // Gives the control the skin's colours.
    virtual void ApplySkinColors() { ParamsApplied = true; }
    // The adapter's window procedure; what it does not consume goes to CallPrevWndProc.
    virtual void AdapterWndProc(TMessage& message);

    // Passes a message to the replaced handler and returns its answer (0 when none was
    // replaced); lParam receives the handler's LParam back.
    LRESULT CallPrevWndProc(HWND handle, UINT msg, WPARAM wParam, LPARAM& lParam);
    // The same for a whole message record; its Result is set.
    void CallPrev(TMessage& message);

    // The window procedure was replaced and not yet given back.
    bool Hooked() const noexcept;
    // The WindowProc delegate the adapter puts on a class-library control.
    TWndMethod AdapterMethod() noexcept { return TWndMethod(this, &TacMainWnd::Deliver); }
    // The manager given at creation, else the skin data's manager at that time; nullptr once
    // that manager has been freed.
    TsSkinManager* SkinManager() const noexcept;

    // ---- fields
    bool DlgMode = false;
    std::wstring WndText;
    TRect WndRect;
    TSize WndSize;
    TPoint WndPos;
    TRect ParentRect;
    HWND ParentWnd = nullptr;
    // The WindowProc of a class-library control or form that the adapter replaced.
    TWndMethod OldWndProc;
    // The window procedure the adapter replaced on a foreign window.
    WNDPROC PrevWndProc = nullptr;
    HWND CtrlHandle = nullptr;
    TsCommonData* SkinData = nullptr;
    bool Scrolling = false;
    bool ParamsApplied = false;
    TColor SavedColor = clNone;
    TColor SavedFontColor = clNone;
    // The replaced handler has been given back; nothing is restored a second time.
    bool Destroyed = false;
    bool OwnSkinData = false;

    // Made by Create and freed by Free, which attach and detach through the virtual slots.
    TacMainWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section);
    ~TacMainWnd() override;

protected:

    // Attaching after construction, when the virtual slots reach the descendant: the steps that
    // follow the fields (visual style, section, dialog mode, colours, text, hook).
    void Attach(bool repaint);
    // Whether attaching switches the window's visual style off.
    virtual bool WantsVisualStyleOff() const;
    // Whether attaching reads the window's text into WndText.
    virtual bool ReadsTextOnAttach() const { return true; }
    // Takes the window procedure over; the scroll-window family installs its bars first.
    virtual void InstallHook(bool repaint);
    // Called once the handler is given back (window destroyed or adapter detached).
    virtual void Detached() {}

    // A message answered here with result and not passed on: true for the dispatchers whose
    // handlers tell whether the message was consumed.
    static bool Answered(TMessage& message, LRESULT result) noexcept
    {
        message.Result = result;
        return true;
    }

    // The default section given at creation.
    const std::string& DefaultSection() const noexcept { return FSection; }
    // Messages the base handles after the adapter's own switch: the common path.
    void CommonPath(TMessage& message);
    // SM_SKINCMD with an active manager; true when it was answered here (not passed on).
    bool CommonSkinCommandOf(TMessage& message);

private:
    // The handlers of AdapterWndProc and CommonSkinCommandOf; a command handler returns whether
    // the command was answered here.
    void WMDestroy(TMessage& message);
    void MarkBackgroundChanged();
    void WMSetText(TMessage& message);
    void WMPrint(TWMPrint view);
    void BecomeActiveControl();
    bool NewSkinCommand(ks::SkinCommandView view);
    bool RemoveSkinCommand(ks::SkinCommandView view);
    bool RefreshCommand(ks::SkinCommandView view);
    bool ParentUpdatedCommand();
    bool IsBgComplexCommand(TMessage& message);
    bool BackgroundColorCommand(TMessage& message);
    bool PrepareCacheCommand();
    bool BackgroundInfoCommand(ks::SkinCommandView view);

private:
    friend void InstallScrollWndHook(TacMainWnd* adapter, HWND wnd);
    friend void GiveWindowBack(TacMainWnd& adapter) noexcept;
    class WindowHold;

    // Gives the window back (visual style, handler, colours) unless done already.
    void LetGo() noexcept;
    // Every message of the window goes through here: counts the depth, guards against
    // exceptions and frees the adapter afterwards when Free was called meanwhile.
    void Deliver(TMessage& message);

    std::string FSection;
    TsSkinManager* FSkinManager = nullptr;
    // Watches FSkinManager, which the application may free while the adapter lives.
    ks::ComponentWatch FManagerWatch;
    std::unique_ptr<WindowHold> FSubclass;
    int FDepth = 0;
    bool FFreePending = false;
};

// ---- attach and detach
// Takes wnd over for adapter and sets the property "ACSBSC": through the WindowProc of the skin
// data's owner control or provider form, else by subclassing the window.
void InstallScrollWndHook(TacMainWnd* adapter, HWND wnd);
// Gives the window procedure of handler back (when not done yet), removes "ACSBSC", restores
// the control colours and redraws the frame when the window is visible; then, with freeHandler,
// frees the handler and clears the variable.
void RemoveScrollWndHandler(HWND wnd, bool freeHandler, bool repaint, TacMainWnd*& handler);
// With repaint the frame is recomputed (SWP_FRAMECHANGED); without, only repainted.
void RefreshWndFrame(HWND wnd, bool repaint);
// Gives adapter's window procedure back and removes "ACSBSC"; the shared step of the destructor
// and of RemoveScrollWndHandler.
void GiveWindowBack(TacMainWnd& adapter) noexcept;

// ---- shared routines
// To the children of control (BroadcastCommand), or without one to the direct child windows of
// wnd.
void BroadcastMessage(TWinControl* control, HWND wnd, const TMessage& message);
// SKC_ADAPT_CHILD to the top-level window above wnd.
void SendToTopParent(HWND wnd);
// Depth-first among owner's components: the windowed control whose allocated handle is wnd.
TWinControl* FindControlByHandle(HWND wnd, TComponent* owner);
// The window's rectangle, parent, parent's rectangle (screen), size and position in the parent's
// client coordinates.
void GetWndPosition(HWND wnd, HWND& parentWnd, TRect& wndRect, TRect& parentRect, TSize& wndSize, TPoint& wndPos);
// The window's background into the skin data's cache bitmap when BackgroundChanged is set.
void PrepareWindowCache(TsCommonData* skinData, HWND wnd, bool dialogMode);
// The key-coloured pixels of the cache bitmap's frame show the background behind the window.
void DrawWndBorder(TsCommonData* skinData, HDC dc, TacMainWnd* adapter);
// The skin data's border image has more than one state cell.
bool BorderMaskHasStates(const TsCommonData* skinData);
// The ordinal published property name of object := value, when object has it.
void WriteIntPropertyIfAny(TObject* object, std::string_view name, int value);
// The published colour property name of object as RGB; clNone when object lacks it.
TColor ReadColorPropertyIfAny(const TObject* object, std::string_view name);

// Unit start-up: gives the skin core the adapter lookup (skin/core/SkinServices.h). Shut-down
// frees the adapters that had to stay behind another subclasser on a class-library control.
void InitializeAcSBUtilsUnit();
void FinalizeAcSBUtilsUnit() noexcept;
