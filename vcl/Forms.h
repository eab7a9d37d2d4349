#pragma once
// Forms and the program around them: TCustomForm / TForm (top-level windows streamed from
// their form resource, shown modelessly or modally, closed and released), TApplication (the
// message loop, the hidden application window and its hooks, exception reporting) with its
// global Application, and TScreen (the forms, the active form, the screen's size and fonts)
// with its global Screen.

#include "vcl/Controls.h"
#include "vcl/Hints.h"
#include "vcl/Icon.h"
#include "vcl/Menus.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = ks::Set<TBorderIcon>;
enum TPosition {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
    poMainFormCenter, poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsActivated };
using TFormState = ks::Set<TFormStateItem>;
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;

template <>
struct ks::EnumTraits<TBorderIcon> {
    static constexpr const char* Names[] = {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"};
};
template <>
struct ks::EnumTraits<TFormStyle> {
    static constexpr const char* Names[] = {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"};
};
template <>
struct ks::EnumTraits<TPosition> {
    static constexpr const char* Names[] = {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                            "poScreenCenter", "poDesktopCenter", "poMainFormCenter",
                                            "poOwnerFormCenter"};
};
template <>
struct ks::EnumTraits<TWindowState> {
    static constexpr const char* Names[] = {"wsNormal", "wsMinimized", "wsMaximized"};
};

using TCloseEvent = TDelegate<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = TDelegate<void(TObject* sender, bool& canClose)>;

// Base of forms and frames; the engine tells containers that scroll their client apart by it.
class TScrollingWinControl : public TWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TWinControl::TWinControl;

    // Whether the control scrolls its contents through scroll bars. The library computes no
    // scroll ranges from the children: the flag tells the skin whose bars to draw. Off unless
    // set, so that a form takes no scroll-bar skinning it does not ask for.
    bool AutoScroll() const noexcept { return FAutoScroll; }
    void SetAutoScroll(bool value) noexcept { FAutoScroll = value; }

private:
    bool FAutoScroll = false;
};

// A container of controls placed on a form like a control; the engine finds the frame that owns
// a control (OwningFrame) and treats it as a unit of its own.
class TCustomFrame : public TScrollingWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TScrollingWinControl::TScrollingWinControl;
};

class TFrame : public TCustomFrame {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomFrame::TCustomFrame;
};

namespace ks {
// How the next form constructed on this thread comes into being; the form constructor takes
// it and clears it. Only CreateNew and TApplication::CreateForm set it.
struct FormCreation {
    bool SkipResource = false;
    bool MainCandidate = false;
    std::function<void(TCustomForm*)> Assign;
};
void SetNextFormCreation(FormCreation creation);
} // namespace ks

// ---------------------------------------------------------------------------------------------
// A top-level window. Created with Create<TMyForm>(owner), a form of a class of its own reads
// its form resource (RCDATA named after the class in upper case, "TFORM1"), then runs OnCreate,
// then shows itself when the resource made it visible. CreateNew<T>(owner) reads nothing.
class TCustomForm : public TScrollingWinControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;
    // Raises EResNotFound "Resource %s not found" for a form class without its resource, and
    // the reader's errors for a resource that does not read.
    void AfterConstruction() override;
    void BeforeDestruction() override;

    // ---- frame and placement
    TFormBorderStyle BorderStyle() const noexcept { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle value);
    TBorderIcons BorderIcons() const noexcept { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons value);
    TFormStyle FormStyle() const noexcept { return FFormStyle; }
    void SetFormStyle(TFormStyle value);
    TPosition Position() const noexcept { return FPosition; }
    void SetPosition(TPosition value) noexcept { FPosition = value; }
    TWindowState WindowState() const noexcept { return FWindowState; }
    void SetWindowState(TWindowState value);
    TRect ClientRect() const override;
    void SetClientWidth(int value) override;
    void SetClientHeight(int value) override;
    // Published for the form streams; always written as the client size.
    int StreamClientWidth() const { return ClientWidth(); }
    int StreamClientHeight() const { return ClientHeight(); }

    // ---- look
    // A layered window with this constant opacity (0 .. 255) while AlphaBlend is on.
    bool AlphaBlend() const noexcept { return FAlphaBlend; }
    void SetAlphaBlend(bool value);
    uint8_t AlphaBlendValue() const noexcept { return FAlphaBlendValue; }
    void SetAlphaBlendValue(uint8_t value);
    TIcon* Icon() const noexcept { return FIcon.get(); }
    void SetIcon(TIcon* icon) { FIcon->Assign(icon); }
    // The menu bar: attached to the window whenever there is one, handed the window's menu
    // messages, and forgotten when it is freed. nullptr takes the bar away.
    TMainMenu* Menu() const noexcept { return FMenu; }
    void SetMenu(TMainMenu* menu);
    TCanvas& Canvas() noexcept { return *FCanvas; }
    // The canvas drawn on dc for the length of the scope, for OnPaint: put back as it was at the
    // end, whether OnPaint returned or raised, unless OnPaint freed the form and the canvas with it.
    class PaintingOn {
    public:
        PaintingOn(TCustomForm& form, HDC dc);
        ~PaintingOn();
        PaintingOn(const PaintingOn&) = delete;
        PaintingOn& operator=(const PaintingOn&) = delete;
        bool FormGone() const noexcept { return FWatch.Gone(); }

    private:
        TCustomForm& FForm;
        HDC FOld;
        GoneWatch FWatch;
    };
    // Streams of other tools carry these; they are read and ignored.
    int PixelsPerInch() const noexcept { return 96; }
    void SetPixelsPerInch(int) noexcept {}
    int TextHeight() const noexcept { return 0; }
    void SetTextHeight(int) noexcept {}

    // ---- state
    bool Active() const noexcept { return FActive; }
    TWinControl* ActiveControl() const noexcept { return FActiveControl; }
    // Raises EInvalidOperation "Cannot focus a disabled or invisible window" for a control
    // that is not on this form or cannot take the focus.
    void SetActiveControl(TWinControl* control);
    TModalResult ModalResult() const noexcept { return FModalResult; }
    void SetModalResult(TModalResult value) noexcept { FModalResult = value; }
    TFormState FormState() const noexcept { return FFormState; }

    // ---- actions
    // Runs the update cycle of the action of every visible control on the form (the
    // application does so whenever it goes idle).
    void UpdateActions();
    void Show();
    // Shows the form and runs messages until ModalResult is set (or the application ends),
    // with the program's other windows disabled. Raises EInvalidOperation "Cannot make a
    // visible window modal" for a visible, disabled or already modal form.
    TModalResult ShowModal();
    // OnCloseQuery, then OnClose with caHide (an MDI child: caMinimize with a minimise button,
    // else caNone); closing the main form ends the application.
    void Close();
    bool CloseQuery();
    // Frees the form once the messages queued now are handled; never inside the caller.
    void Release();
    void SetFocus() override;
    void FocusControl(TWinControl* control);
    // Called by a control of the form that received the focus: CM_EXIT to the controls it
    // left, CM_ENTER to those it entered, then CM_FOCUSCHANGED. False when refused.
    bool SetFocusedControl(TWinControl* control);
    // Forgets control (and its children) as active or focused control.
    void DefocusControl(TWinControl* control, bool removing);
    // The application's main form, or the form being created to become it.
    bool IsMainCandidate() const;

    // ---- events
    TNotifyEvent OnCreate() const noexcept { return FOnCreate; }
    void SetOnCreate(TNotifyEvent handler) noexcept { FOnCreate = handler; }
    TNotifyEvent OnDestroy() const noexcept { return FOnDestroy; }
    void SetOnDestroy(TNotifyEvent handler) noexcept { FOnDestroy = handler; }
    TNotifyEvent OnShow() const noexcept { return FOnShow; }
    void SetOnShow(TNotifyEvent handler) noexcept { FOnShow = handler; }
    TNotifyEvent OnHide() const noexcept { return FOnHide; }
    void SetOnHide(TNotifyEvent handler) noexcept { FOnHide = handler; }
    TCloseEvent OnClose() const noexcept { return FOnClose; }
    void SetOnClose(TCloseEvent handler) noexcept { FOnClose = handler; }
    TCloseQueryEvent OnCloseQuery() const noexcept { return FOnCloseQuery; }
    void SetOnCloseQuery(TCloseQueryEvent handler) noexcept { FOnCloseQuery = handler; }
    TNotifyEvent OnActivate() const noexcept { return FOnActivate; }
    void SetOnActivate(TNotifyEvent handler) noexcept { FOnActivate = handler; }
    TNotifyEvent OnDeactivate() const noexcept { return FOnDeactivate; }
    void SetOnDeactivate(TNotifyEvent handler) noexcept { FOnDeactivate = handler; }
    TNotifyEvent OnPaint() const noexcept { return FOnPaint; }
    void SetOnPaint(TNotifyEvent handler) noexcept { FOnPaint = handler; }

    void Dispatch(TMessage& message) override;

    // ---- MDI (FormsMDI.cpp): an fsMDIForm form keeps an MDI client window over its whole
    // client area; fsMDIChild forms are windows inside the main form's MDI client.
    // The MDI client window of an fsMDIForm form with a window; nullptr otherwise.
    HWND ClientHandle() const noexcept { return FClientHandle; }
    // The MDI child the client names active; nullptr without one (or for other forms).
    TCustomForm* ActiveMDIChild() const;
    int MDIChildCount() const;
    // The MDI children in the order the forms were created; raises EListError outside
    // 0 .. MDIChildCount()-1.
    TCustomForm* MDIChildren(int index) const;
    // Unhandled messages of an MDI form end in DefFrameProc, of an MDI child in DefMDIChildProc.
    void DefaultHandler(TMessage& message) override;

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void PaintWindow(HDC dc) override;
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);
    virtual void Activate();
    virtual void Deactivate();

    void WMActivate(TWMActivate& m);
    void WMClose(TMessage& m);
    void WMGetMinMaxInfo(TWMGetMinMaxInfo& m);
    void WMSize(TWMSize& m);
    void CMShowingChanged(TMessage& m);
    void CMRelease(TMessage& m);
    void CMDialogKey(TWMKey& m);
    // WM_COMMAND, WM_INITMENUPOPUP, WM_MEASUREITEM and WM_DRAWITEM: the menu bar's first.
    void WMMenuMessage(TMessage& m);

private:
    // The window styles of BorderStyle, BorderIcons and FormStyle.
    void FrameStyles(DWORD& style, DWORD& exStyle) const;
    void ApplyPosition();
    void ApplyAlphaBlend();
    void SetActive(bool value);
    void SetWindowFocus();
    void CloseModal();
    void ReadFormResource();
    void FrameChanged();
    // ---- MDI (FormsMDI.cpp)
    // The parent window of an MDI child: the main form's MDI client. Raises EInvalidOperation
    // "Cannot create form. No MDI forms are currently active" without one.
    HWND MDIParentWindow() const;
    void CreateMDIClient();
    // An MDI child leaves through its client (WM_MDIDESTROY) so that the next child is activated.
    void DestroyMDIChildWindow() noexcept;
    // A moved child asks its client to decide on its scroll bars again.
    void MDIChildMoved() const noexcept;
    // An MDI child has no bar of its own: its menu shows on the main form's while it is active.
    void WMMDIActivate(TMessage& m);
    void MergeIntoMainMenu(bool merge);
    // After an MDI child's window was shown: the client activates it and applies WindowState.
    void ShowMDIChild();
    void SetMDIChildState(TWindowState value);

    ks::FormCreation FCreation;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    bool FAlphaBlend = false;
    uint8_t FAlphaBlendValue = 255;
    std::unique_ptr<TIcon> FIcon;
    TMainMenu* FMenu = nullptr;
    std::unique_ptr<TControlCanvas> FCanvas;
    bool FActive = false;
    TWinControl* FActiveControl = nullptr;
    TWinControl* FFocusedControl = nullptr;
    TModalResult FModalResult = mrNone;
    TFormState FFormState{fsCreating};
    HWND FClientHandle = nullptr; // the MDI client of an fsMDIForm form
    int FClientWidthRead = -1;  // the stored ClientWidth while the form is read
    int FClientHeightRead = -1;
    TNotifyEvent FOnCreate;
    TNotifyEvent FOnDestroy;
    TNotifyEvent FOnShow;
    TNotifyEvent FOnHide;
    TCloseEvent FOnClose;
    TCloseQueryEvent FOnCloseQuery;
    TNotifyEvent FOnActivate;
    TNotifyEvent FOnDeactivate;
    TNotifyEvent FOnPaint;
};

class TForm : public TCustomForm {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TCustomForm::TCustomForm;
};

// Creates a form without reading a form resource (the platform's CreateNew).
template <class T>
T* CreateNew(TComponent* owner)
{
    ks::FormCreation creation;
    creation.SkipResource = true;
    ks::SetNextFormCreation(std::move(creation));
    return Create<T>(owner);
}

// ---------------------------------------------------------------------------------------------
// A hook on the application window: it sees every message first and returns true when it
// handled it.
using TWindowHook = TDelegate<bool(TMessage&)>;

class TApplication : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TApplication(TComponent* owner);
    ~TApplication() override;
    void BeforeDestruction() override;

    // Registers the library's streamable classes and identifiers and makes the application
    // window. Call once before the first form.
    void Initialize();
    // Creates a form owned by the application; reference is set before the form reads its
    // resource and runs OnCreate. The first form created becomes MainForm.
    template <class T>
    void CreateForm(T*& reference);
    // Shows the main form and runs the message loop until Terminate (or WM_QUIT). Returns at
    // once without a main form.
    void Run();
    void Terminate();
    bool Terminated() const noexcept { return FTerminated; }
    // Handles every message waiting now, then returns.
    void ProcessMessages();
    // Handles one message, or waits for one after the idle work when none is waiting.
    void HandleMessage();
    // Shows the exception's message (through the message-box seam); EAbort is silent. Never
    // throws; call it from a catch block or pass the exception.
    void HandleException(TObject* sender, std::exception_ptr error = std::current_exception()) noexcept;
    void ShowException(const std::string& message);
    // The message box every library dialogue goes through (the seam's MessageBoxW), owned by
    // the active form.
    int MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);

    TCustomForm* MainForm() const noexcept { return FMainForm; }
    bool MainFormOnTaskbar() const noexcept { return FMainFormOnTaskbar; }
    void SetMainFormOnTaskbar(bool value) noexcept { FMainFormOnTaskbar = value; }
    bool ShowMainForm() const noexcept { return FShowMainForm; }
    void SetShowMainForm(bool value) noexcept { FShowMainForm = value; }
    // The program file's name without extension until a title is set.
    std::wstring Title() const;
    void SetTitle(const std::wstring& value);
    TIcon* Icon() const noexcept { return FIcon.get(); }
    std::wstring ExeName() const;
    // The hidden application window (made on first use): it owns forms that have no owner
    // window, answers WM_GETICON and hands every message to the hooks first; on activation it
    // posts itself CM_ACTIVATE (CM_DEACTIVATE on deactivation) for them.
    HWND Handle();
    void HookMainWindow(TWindowHook hook);
    void UnhookMainWindow(TWindowHook hook);
    void Minimize();
    void Restore();

    // ---- modal forms
    void ModalStarted();
    void ModalFinished();
    int ModalLevel() const noexcept { return FModalLevel; }
    TNotifyEvent OnModalBegin() const noexcept { return FOnModalBegin; }
    void SetOnModalBegin(TNotifyEvent handler) noexcept { FOnModalBegin = handler; }
    TNotifyEvent OnModalEnd() const noexcept { return FOnModalEnd; }
    void SetOnModalEnd(TNotifyEvent handler) noexcept { FOnModalEnd = handler; }

    // ---- hints: the values live in the application's hint machinery, which the message loop
    // feeds; the pauses are in milliseconds.
    THintController& Hints() noexcept { return *FHints; }
    // Whether controls show hints at all; switching it off hides the hint shown.
    bool ShowHint() const noexcept { return FHints->ShowHint(); }
    void SetShowHint(bool value) { FHints->SetShowHint(value); }
    int HintPause() const noexcept { return FHints->HintPause(); }
    void SetHintPause(int value) noexcept { FHints->SetHintPause(value); }
    int HintShortPause() const noexcept { return FHints->HintShortPause(); }
    void SetHintShortPause(int value) noexcept { FHints->SetHintShortPause(value); }
    int HintHidePause() const noexcept { return FHints->HintHidePause(); }
    void SetHintHidePause(int value) noexcept { FHints->SetHintHidePause(value); }
    TShowHintEvent OnShowHint() const noexcept { return FHints->OnShowHint(); }
    void SetOnShowHint(TShowHintEvent handler) noexcept { FHints->SetOnShowHint(handler); }
    THintWindowClass HintWindowClass() const noexcept { return FHints->HintWindowClass(); }
    // nullptr puts back THintWindow.
    void SetHintWindowClass(THintWindowClass value) { FHints->SetHintWindowClass(value); }
    void CancelHint() { FHints->CancelHint(); }

private:
    class Window;
    friend class TCustomForm;

    void WndProc(TMessage& message);
    void DefaultHandler(TMessage& message);
    void WMActivateApp(TWMActivateApp m);
    void WMClose(TMessage& m);
    void WMSysCommand(TWMSysCommand m);
    void WMGetIcon(TMessage& m);
    bool ProcessMessage(MSG& msg);
    // Key messages go to the focused control as CN_ messages first; true when it took them.
    bool IsKeyMsg(const MSG& msg);
    // The keys of an MDI main form's children (Ctrl+F4 closes the active one, Ctrl+F6 goes to
    // the next) become their system commands.
    bool IsMDIMsg(MSG& msg);
    void Idle();
    // Keeps CM_MOUSEENTER / CM_MOUSELEAVE with the control under the cursor.
    void DoMouseIdle();
    void FormCreated(TCustomForm* form, bool mainCandidate);

    std::unique_ptr<Window> FWindow;
    TCustomForm* FMainForm = nullptr;
    bool FTerminated = false;
    bool FMainFormOnTaskbar = false;
    bool FShowMainForm = true;
    bool FInitialized = false;
    std::wstring FTitle;
    std::unique_ptr<TIcon> FIcon;
    std::unique_ptr<THintController> FHints;
    std::vector<TWindowHook> FHooks;
    int FModalLevel = 0;
    TNotifyEvent FOnModalBegin;
    TNotifyEvent FOnModalEnd;
};

template <class T>
void TApplication::CreateForm(T*& reference)
{
    ks::FormCreation creation;
    creation.MainCandidate = FMainForm == nullptr;
    creation.Assign = [&reference](TCustomForm* form) { reference = dynamic_cast<T*>(form); };
    ks::SetNextFormCreation(std::move(creation));
    try {
        T* form = Create<T>(this);
        reference = form;
        FormCreated(form, FMainForm == nullptr);
    } catch (...) {
        reference = nullptr;
        throw;
    }
}

// ---------------------------------------------------------------------------------------------
class TScreen : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TScreen(TComponent* owner);
    ~TScreen() override;

    int FormCount() const noexcept { return static_cast<int>(FForms.size()); }
    // Raises EListError outside 0 .. FormCount()-1.
    TCustomForm* Forms(int index) const;
    TCustomForm* ActiveForm() const noexcept { return FActiveForm; }
    TCustomForm* ActiveCustomForm() const noexcept { return FActiveForm; }
    TWinControl* ActiveControl() const noexcept { return FActiveControl; }
    TCustomForm* FocusedForm() const noexcept { return FFocusedForm; }

    // The primary screen in pixels (through the system-metrics seam).
    int Width() const;
    int Height() const;
    TRect WorkAreaRect() const;
    // The system's status-bar and menu fonts, read once.
    TFont* HintFont() const noexcept { return FHintFont.get(); }
    TFont* MenuFont() const noexcept { return FMenuFont.get(); }
    HCURSOR Cursors(TCursor cursor) const noexcept { return ks::CursorHandle(cursor); }

private:
    friend class TCustomForm;
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form) noexcept;

    std::vector<TCustomForm*> FForms;
    TCustomForm* FActiveForm = nullptr;
    TCustomForm* FFocusedForm = nullptr;
    TWinControl* FActiveControl = nullptr;
    std::unique_ptr<TFont> FHintFont;
    std::unique_ptr<TFont> FMenuFont;
};

// Made before main runs; DoneApplication frees them.
extern TApplication* Application;
extern TScreen* Screen;

// Frees the application with its forms and their components (last created first), then the
// screen, and leaves both nullptr; calling it again does nothing. A program calls it after Run
// returns and before its units finalize, so every destructor runs while all it may reach still
// exists. Nothing frees them at exit: static destruction has no order across units, and a
// form going then would meet other units' globals already gone.
void DoneApplication();

namespace ks {
// Makes every streamable class of the library (forms, timers, standard controls, shapes,
// menus, the tray icon, hint windows, message forms, image lists) and the colour and cursor
// identifiers known to the form reader, so that a form resource may use them without the
// program registering each one. TApplication::Initialize calls it; calling it again does
// nothing.
void RegisterLibraryClasses();
} // namespace ks
