// TApplication (Forms.h): the message loop, the hidden application window, exception
// reporting, and the global Application and Screen objects.

#include "vcl/Forms.h"

#include "vcl/ActnList.h"
#include "vcl/Buttons.h"
#include "vcl/Dialogs.h"
#include "vcl/ExtCtrls.h"
#include "vcl/ImgList.h"
#include "vcl/Menus.h"
#include "vcl/PlatformSeams.h"
#include "vcl/Shapes.h"
#include "vcl/StdCtrls.h"
#include "vcl/SysUtils.h"
#include "vcl/TrayIcon.h"
#include "vcl/TypInfo.h"
#include "vcl/WindowSubclass.h"

#include <algorithm>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

constexpr const char* UnknownExceptionText = "An unknown error occurred";

void ReportToApplication(std::exception_ptr error) noexcept
{
    if (Application)
        Application->HandleException(nullptr, error);
}

// Application and Screen exist from before main until DoneApplication. There is no destructor
// on purpose: freed by static destruction, forms would reach other units' globals already gone.
struct Globals {
    Globals()
    {
        ks::Sys();
        Application = Create<TApplication>(nullptr);
        Screen = Create<TScreen>(nullptr);
    }
    Globals(const Globals&) = delete;
    Globals& operator=(const Globals&) = delete;
} gGlobals;

} // namespace

void DoneApplication()
{
    // Forms still reach Application and Screen while they go.
    if (Application) {
        Application->Free();
        Application = nullptr;
    }
    if (Screen) {
        Screen->Free();
        Screen = nullptr;
    }
}

// The owner of the application window.
class TApplication::Window final : public ks::WindowOwner {
public:
    explicit Window(TApplication& application) noexcept : FApplication(application) {}
    void WindowMessage(TMessage& message) override { FApplication.WndProc(message); }
    void WindowDestroyed() noexcept override { FHandle = nullptr; }
    void WindowBound(HWND wnd) noexcept override { FHandle = wnd; }
    HWND Handle() const noexcept { return FHandle; }

private:
    TApplication& FApplication;
    HWND FHandle = nullptr;
};

const ks::ClassInfo TApplication::StaticClassInfo{"TApplication", &TComponent::StaticClassInfo, {}, {}};

const ks::ClassInfo& TApplication::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TApplication::TApplication(TComponent* owner)
    : TComponent(owner), FWindow(std::make_unique<Window>(*this)), FIcon(std::make_unique<TIcon>()),
      FHints(std::make_unique<THintController>())
{
    // What a callback of the platform's throws is shown by the application.
    ks::SetExceptionReporter(&ReportToApplication);
    // The program's icon, when its resources carry one under the usual name.
    if (HANDLE icon = LoadImageW(ks::Instance(), L"MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE))
        FIcon->SetHandle(static_cast<HICON>(icon));
}

TApplication::~TApplication() = default;

void TApplication::BeforeDestruction()
{
    if (!ComponentState().Contains(csDestroying))
        Destroying();
    // The hint machinery keeps its window to the end, but forgets the forms' controls now.
    FHints->CancelHint();
    DestroyComponents();
    if (HWND wnd = FWindow->Handle())
        DestroyWindow(wnd);
    TComponent::BeforeDestruction();
}

void TApplication::Initialize()
{
    if (FInitialized)
        return;
    FInitialized = true;
    ks::RegisterLibraryClasses();
    Handle();
}

void ks::RegisterLibraryClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterColorIdents();
    RegisterCursorIdents();
    RegisterClasses<TForm, TMessageForm, TTimer, TEdit, TMemo, TButton, TCheckBox, TGroupBox, TLabel, TShape, TImage,
                    TMenuItem, TMainMenu, TPopupMenu, TTrayIcon, THintWindow, TImageList, TAction, TActionList>();
    InitializeButtonsUnit();
}

void TApplication::FormCreated(TCustomForm* form, bool mainCandidate)
{
    if (mainCandidate && !FMainForm)
        FMainForm = form;
}

// ---- the message loop -----------------------------------------------------------------------
void TApplication::Run()
{
    if (!FMainForm)
        return;
    if (FShowMainForm) {
        if (FMainForm->WindowState() == wsMinimized)
            Minimize();
        else
            FMainForm->SetVisible(true);
    }
    do {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this, std::current_exception());
        }
    } while (!FTerminated);
}

void TApplication::Terminate()
{
    PostQuitMessage(0);
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage()
{
    MSG msg;
    if (!ProcessMessage(msg))
        Idle();
}

bool TApplication::ProcessMessage(MSG& msg)
{
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    if (!IsKeyMsg(msg) && !IsMDIMsg(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    // The hints follow what the message did: the control under the mouse, a click, a key.
    try {
        FHints->MessageHandled(msg);
    } catch (...) {
        HandleException(this, std::current_exception());
    }
    return true;
}

bool TApplication::IsKeyMsg(const MSG& msg)
{
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST)
        return false;
    // The nearest control of this library up the child chain; a foreign top-level window (a
    // message box) keeps its keys.
    TWinControl* control = nullptr;
    for (HWND wnd = msg.hwnd; wnd && !control; wnd = GetParent(wnd)) {
        control = FindControl(wnd);
        if (!control && !(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD))
            break;
    }
    return control && control->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

bool TApplication::IsMDIMsg(MSG& msg)
{
    TCustomForm* main = MainForm();
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !main || main->FormStyle() != fsMDIForm ||
        !main->ClientHandle())
        return false;
    return TranslateMDISysAccel(main->ClientHandle(), &msg) != FALSE;
}

void TApplication::Idle()
{
    try {
        DoMouseIdle();
        FHints->MouseMoved(ks::MouseControl());
        // A handler may free forms: the list is read anew each time.
        for (int i = 0; Screen && i < Screen->FormCount(); ++i)
            Screen->Forms(i)->UpdateActions();
    } catch (...) {
        HandleException(this, std::current_exception());
    }
    WaitMessage();
}

void TApplication::DoMouseIdle()
{
    if (ks::CaptureControl())
        return;
    POINT p{};
    if (!ks::Sys().GetCursorPos(&p))
        return;
    TControl* target = nullptr;
    if (TWinControl* control = FindControl(WindowFromPoint(p))) {
        const TPoint local = control->ScreenToClient({p.x, p.y});
        target = control->ControlAtPos(local, false);
        if (!target)
            target = control;
    }
    ks::SetMouseControl(target);
}

// ---- exceptions -----------------------------------------------------------------------------
void TApplication::HandleException(TObject*, std::exception_ptr error) noexcept
{
    try {
        try {
            if (error)
                std::rethrow_exception(error);
        } catch (const EAbort&) {
            // The quiet exception: it only unwinds.
        } catch (const Exception& e) {
            ShowException(e.Message());
        } catch (const std::exception& e) {
            ShowException(e.what());
        } catch (...) {
            ShowException(UnknownExceptionText);
        }
    } catch (...) {
        // Reporting failed too (no memory for the text); nothing more can be done here.
    }
}

void TApplication::ShowException(const std::string& message)
{
    MessageBox(UTF8ToWide(message), Title(), MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::wstring& text, const std::wstring& caption, UINT flags)
{
    HWND owner = GetActiveWindow();
    if (!owner && FMainForm && FMainForm->HandleAllocated())
        owner = FMainForm->HandleIfAllocated();
    return ks::Sys().MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

// ---- the application window -----------------------------------------------------------------
std::wstring TApplication::Title() const
{
    if (!FTitle.empty())
        return FTitle;
    std::wstring name = ExtractFileName(ExeName());
    return ChangeFileExt(name, L"");
}

void TApplication::SetTitle(const std::wstring& value)
{
    FTitle = value;
    if (HWND wnd = FWindow->Handle())
        SetWindowTextW(wnd, Title().c_str());
}

std::wstring TApplication::ExeName() const
{
    return ParamStr(0);
}

HWND TApplication::Handle()
{
    if (HWND wnd = FWindow->Handle())
        return wnd;
    TCreateParams p;
    p.WinClassName = L"TApplication";
    p.Caption = Title();
    // Hidden and without size: it exists to own windows and to receive the system's news.
    p.Style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
    p.X = ks::Sys().GetSystemMetrics(SM_CXSCREEN) / 2;
    p.Y = ks::Sys().GetSystemMetrics(SM_CYSCREEN) / 2;
    p.WindowClass.cbSize = sizeof p.WindowClass;
    p.WindowClass.lpfnWndProc = &DefWindowProcW;
    p.WindowClass.hIcon = FIcon->Handle();
    ks::RegisterWindowClass(p.WindowClass, p.WinClassName);
    return ks::CreateBoundWindow(*FWindow, p);
}

void TApplication::HookMainWindow(TWindowHook hook)
{
    if (hook && std::find(FHooks.begin(), FHooks.end(), hook) == FHooks.end())
        FHooks.push_back(hook);
}

void TApplication::UnhookMainWindow(TWindowHook hook)
{
    auto it = std::find(FHooks.begin(), FHooks.end(), hook);
    if (it != FHooks.end())
        FHooks.erase(it);
}

void TApplication::WndProc(TMessage& m)
{
    // Hooks may unhook themselves (or others) while they run: the list is read afresh.
    for (size_t i = 0; i < FHooks.size(); ++i) {
        TWindowHook hook = FHooks[i];
        if (hook(m))
            return;
    }
    switch (m.Msg) {
    case WM_ACTIVATEAPP: WMActivateApp(TWMActivateApp(m)); break;
    case WM_CLOSE: WMClose(m); break;
    case WM_SYSCOMMAND: WMSysCommand(TWMSysCommand(m)); break;
    case WM_GETICON: WMGetIcon(m); break;
    case CM_ACTIVATE: break;
    case CM_DEACTIVATE: break;
    default: DefaultHandler(m); break;
    }
}

void TApplication::DefaultHandler(TMessage& m)
{
    m.Result = DefWindowProcW(FWindow->Handle(), m.Msg, m.WParam, m.LParam);
}

void TApplication::WMActivateApp(TWMActivateApp m)
{
    DefaultHandler(m.Message());
    PostMessageW(FWindow->Handle(), m.Active() ? CM_ACTIVATE : CM_DEACTIVATE, 0, 0);
}

void TApplication::WMClose(TMessage&)
{
    if (FMainForm)
        FMainForm->Close();
}

void TApplication::WMGetIcon(TMessage& m)
{
    m.Result = reinterpret_cast<LRESULT>(FIcon->Handle());
}

void TApplication::WMSysCommand(TWMSysCommand m)
{
    switch (m.CmdType()) {
    case SC_MINIMIZE: Minimize(); break;
    case SC_RESTORE: Restore(); break;
    default: DefaultHandler(m.Message()); break;
    }
}

void TApplication::Minimize()
{
    if (FMainFormOnTaskbar && FMainForm)
        FMainForm->SetWindowState(wsMinimized);
    else
        ShowWindow(Handle(), SW_MINIMIZE);
}

void TApplication::Restore()
{
    if (FMainFormOnTaskbar && FMainForm)
        FMainForm->SetWindowState(wsNormal);
    else
        ShowWindow(Handle(), SW_RESTORE);
}

// ---- modal forms ----------------------------------------------------------------------------
void TApplication::ModalStarted()
{
    if (++FModalLevel == 1 && FOnModalBegin)
        FOnModalBegin(this);
}

void TApplication::ModalFinished()
{
    if (--FModalLevel == 0 && FOnModalEnd)
        FOnModalEnd(this);
}
