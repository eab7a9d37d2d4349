// The one window procedure of the class library and the bookkeeping around it: binding a
// window to its owner object, window classes, and the hidden utility windows.
//
// A window is bound at its first message: CreateBoundWindow hands the owner over through a
// thread-local slot, the procedure records it in the window's last extra bytes, which
// RegisterWindowClass adds to every class it registers, and from then on finds it there. The
// binding ends at WM_NCDESTROY. No code thunks are made.
//
// Not a window property: under Wine every reading of one is a round trip to the Wine server, and
// the owner is read at every message of every window of the library. A window's extra bytes are
// read in the process. They are read only from windows of this process whose class this library
// registered: another copy of the program has the same addresses, for objects of its own.

#include "vcl/Controls.h"

#include "vcl/SysUtils.h"
#include "vcl/WindowSubclass.h"

#include <map>
#include <utility>

namespace {

constexpr const char* CreateWindowText = "Error creating window";
constexpr const char* RegisterClassText = "Error registering window class";

// The owner whose window CreateBoundWindow is making on this thread right now.
thread_local ks::WindowOwner* tCreating = nullptr;

// Child windows need an identifier of their own so that WM_MEASUREITEM can name them.
UINT NextChildId() noexcept
{
    static UINT id = 0;
    id = id % 0xFFF0 + 1;
    return id;
}

} // namespace

namespace ks {

// One message being handled for one owner. Frames form a chain on the thread so that an owner
// freed inside its own message can be forgotten by every handling of it still running.
class DispatchFrame {
public:
    explicit DispatchFrame(WindowOwner& owner) noexcept : FOwner(&owner), FPrev(tTop)
    {
        tTop = this;
        ++owner.FDispatchDepth;
    }
    DispatchFrame(const DispatchFrame&) = delete;
    DispatchFrame& operator=(const DispatchFrame&) = delete;
    ~DispatchFrame()
    {
        tTop = FPrev;
        if (FOwner)
            --FOwner->FDispatchDepth;
    }

    WindowOwner* Owner() const noexcept { return FOwner; }

    static void Forget(const WindowOwner* owner) noexcept
    {
        for (DispatchFrame* f = tTop; f; f = f->FPrev)
            if (f->FOwner == owner)
                f->FOwner = nullptr;
    }

private:
    static thread_local DispatchFrame* tTop;
    WindowOwner* FOwner;
    DispatchFrame* FPrev;
};

thread_local DispatchFrame* DispatchFrame::tTop = nullptr;

WindowOwner::~WindowOwner()
{
    if (FDispatchDepth > 0)
        DispatchFrame::Forget(this);
}

HINSTANCE Instance() noexcept
{
    return GetModuleHandleW(nullptr);
}

namespace {

// The offset of the owner's bytes in a window of a class RegisterWindowClass made.
int OwnerSlot(HWND wnd) noexcept
{
    return static_cast<int>(GetClassLongPtrW(wnd, GCL_CBWNDEXTRA)) - static_cast<int>(sizeof(LONG_PTR));
}

WindowOwner* OwnerIn(HWND wnd) noexcept
{
    const int slot = OwnerSlot(wnd);
    return slot < 0 ? nullptr : reinterpret_cast<WindowOwner*>(GetWindowLongPtrW(wnd, slot));
}

void SetOwnerIn(HWND wnd, WindowOwner* owner) noexcept
{
    if (const int slot = OwnerSlot(wnd); slot >= 0)
        SetWindowLongPtrW(wnd, slot, reinterpret_cast<LONG_PTR>(owner));
}

bool OwnClass(HWND wnd) noexcept
{
    DWORD process = 0;
    return wnd && GetWindowThreadProcessId(wnd, &process) && process == GetCurrentProcessId() &&
           GetClassLongPtrW(wnd, GCLP_WNDPROC) == reinterpret_cast<ULONG_PTR>(&StdWndProc);
}

} // namespace

WindowOwner* FindWindowOwner(HWND wnd) noexcept
{
    return OwnClass(wnd) ? OwnerIn(wnd) : nullptr;
}

void UnbindWindow(HWND wnd) noexcept
{
    if (OwnClass(wnd))
        SetOwnerIn(wnd, nullptr);
}

LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    // Every window this procedure serves is of a class RegisterWindowClass made.
    WindowOwner* owner = OwnerIn(wnd);
    if (!owner && tCreating) {
        owner = std::exchange(tCreating, nullptr);
        if (OwnerSlot(wnd) < 0)
            return msg == WM_NCCREATE ? FALSE : DefWindowProcW(wnd, msg, wParam, lParam);
        SetOwnerIn(wnd, owner);
        owner->WindowBound(wnd);
    }
    if (!owner)
        return DefWindowProcW(wnd, msg, wParam, lParam);

    TMessage m{msg, wParam, lParam, 0};
    DispatchFrame frame(*owner);
    Guarded([&] { owner->WindowMessage(m); });
    if (msg == WM_NCDESTROY) {
        SetOwnerIn(wnd, nullptr);
        if (WindowOwner* alive = frame.Owner())
            alive->WindowDestroyed();
    }
    return m.Result;
}

HWND CreateBoundWindow(WindowOwner& owner, const TCreateParams& params)
{
    HMENU id = nullptr;
    if (params.Style & WS_CHILD)
        id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(NextChildId()));
    WindowOwner* outer = std::exchange(tCreating, &owner);
    HWND wnd = CreateWindowExW(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                               params.X, params.Y, params.Width, params.Height, params.WndParent, id, Instance(),
                               nullptr);
    // A window that never received a message leaves the slot set; it must not bind another.
    tCreating = outer;
    if (!wnd)
        throw EOSError(CreateWindowText);
    return wnd;
}

WNDPROC RegisterWindowClass(const WNDCLASSEXW& windowClass, const std::wstring& name)
{
    static std::map<std::wstring, WNDPROC> registered;
    if (auto it = registered.find(name); it != registered.end())
        return it->second;
    WNDCLASSEXW c = windowClass;
    c.cbSize = sizeof c;
    WNDPROC original = c.lpfnWndProc ? c.lpfnWndProc : &DefWindowProcW;
    c.lpfnWndProc = &StdWndProc;
    // The owner's bytes, after those of the class it may extend.
    c.cbWndExtra += static_cast<int>(sizeof(LONG_PTR));
    c.hInstance = Instance();
    c.lpszClassName = name.c_str();
    if (!RegisterClassExW(&c)) {
        // A class of that name from elsewhere in the program would bypass the trampoline.
        if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS || !UnregisterClassW(name.c_str(), Instance()) ||
            !RegisterClassExW(&c))
            throw EOSError(RegisterClassText);
    }
    registered.emplace(name, original);
    return original;
}

} // namespace ks

// ---------------------------------------------------------------------------------------------
namespace {

// The owner of a window made by AllocateHWnd; it lives exactly as long as its window. The
// method hears nothing of the window's creation: its caller does not know the window yet.
class UtilWindow final : public ks::WindowOwner {
public:
    explicit UtilWindow(TWndMethod method, bool& destroyed) noexcept : FMethod(method), FDestroyed(&destroyed) {}

    void Ready() noexcept
    {
        FReady = true;
        FDestroyed = nullptr;
    }
    void WindowMessage(TMessage& m) override
    {
        if (FReady && FMethod)
            FMethod(m);
        else
            m.Result = DefWindowProcW(FHandle, m.Msg, m.WParam, m.LParam);
    }
    void WindowDestroyed() noexcept override
    {
        if (FDestroyed)
            *FDestroyed = true;
        delete this;
    }
    void WindowBound(HWND wnd) noexcept override { FHandle = wnd; }

private:
    TWndMethod FMethod;
    bool* FDestroyed;
    bool FReady = false;
    HWND FHandle = nullptr;
};

} // namespace

HWND AllocateHWnd(TWndMethod method)
{
    TCreateParams params;
    params.WinClassName = L"TPUtilWindow";
    params.WindowClass.lpfnWndProc = &DefWindowProcW;
    // A hidden top-level popup rather than a message-only window, so that broadcasts (the
    // notification area's "TaskbarCreated", setting changes) reach it.
    params.Style = WS_POPUP;
    ks::RegisterWindowClass(params.WindowClass, params.WinClassName);
    // From its first message on, the window owns the owner object and frees it at
    // WM_NCDESTROY, a failed creation included.
    bool destroyed = false;
    auto* owner = new UtilWindow(method, destroyed);
    try {
        HWND wnd = ks::CreateBoundWindow(*owner, params);
        owner->Ready();
        return wnd;
    } catch (...) {
        if (!destroyed)
            delete owner;
        throw;
    }
}

void DeallocateHWnd(HWND wnd) noexcept
{
    if (wnd && dynamic_cast<UtilWindow*>(ks::FindWindowOwner(wnd)))
        DestroyWindow(wnd);
}
