// The guard's reporter and the bookkeeping of subclassed windows (see the header).

#include "vcl/WindowSubclass.h"

#include <new>
#include <utility>

namespace ks {

namespace {

ExceptionReporter gReporter = nullptr;

} // namespace

ExceptionReporter SetExceptionReporter(ExceptionReporter reporter) noexcept
{
    return std::exchange(gReporter, reporter);
}

void ReportException(std::exception_ptr error) noexcept
{
    if (gReporter)
        gReporter(error);
}

// One subclassed window, held in its property. It outlives its object when someone subclassed
// on top of us (it then passes everything on) and while a message of the window is running
// (Depth), so that an object freed inside its own message leaves nothing dangling.
struct SubclassLink {
    WindowSubclass* Owner;
    WNDPROC Previous;
    int Depth = 0;
    // Out of the window's chain and property: freed once no message is running.
    bool Detached = false;
};

namespace {

bool OursIsCurrent(HWND wnd, const SubclassKind& kind) noexcept
{
    return GetWindowLongPtrW(wnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(kind.Proc);
}

// Takes our procedure out of the window when it is still the current one; true when done.
bool Unhook(HWND wnd, const SubclassKind& kind, SubclassLink& link) noexcept
{
    if (!OursIsCurrent(wnd, kind))
        return false;
    SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link.Previous));
    RemovePropW(wnd, kind.Property);
    link.Detached = true;
    return true;
}

} // namespace

WindowSubclass::~WindowSubclass()
{
    Release();
}

HWND WindowSubclass::Handle() const noexcept
{
    return FLink ? FWnd : nullptr;
}

bool WindowSubclass::Subclass(HWND wnd) noexcept
{
    if (FLink || !IsWindow(wnd) || GetPropW(wnd, FKind.Property))
        return false;
    auto* link = new (std::nothrow) SubclassLink{this, reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC))};
    if (!link)
        return false;
    if (!SetPropW(wnd, FKind.Property, link)) {
        delete link;
        return false;
    }
    // Fails for a window of another process, which then stays as it is.
    if (!SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FKind.Proc))) {
        RemovePropW(wnd, FKind.Property);
        delete link;
        return false;
    }
    FLink = link;
    FWnd = wnd;
    FPrevious = link->Previous;
    return true;
}

void WindowSubclass::Release() noexcept
{
    SubclassLink* link = FLink;
    if (!link)
        return;
    FLink = nullptr;
    link->Owner = nullptr;
    // When someone subclassed on top of us, they call our procedure as their previous one: the
    // link stays and passes every message on until the window's last message frees it.
    if (Unhook(FWnd, FKind, *link) && link->Depth == 0)
        delete link;
}

WindowSubclass* WindowSubclass::Find(HWND wnd, const SubclassKind& kind) noexcept
{
    const auto* link = wnd ? static_cast<const SubclassLink*>(GetPropW(wnd, kind.Property)) : nullptr;
    return link ? link->Owner : nullptr;
}

void WindowSubclass::CallPrevious(TMessage& m)
{
    m.Result = CallWindowProcW(FPrevious, FWnd, m.Msg, m.WParam, m.LParam);
}

LRESULT WindowSubclass::Dispatch(const SubclassKind& kind, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* link = static_cast<SubclassLink*>(GetPropW(wnd, kind.Property));
    // Called by someone who kept our procedure from before we gave the window back.
    if (!link)
        return DefWindowProcW(wnd, msg, wParam, lParam);

    const bool last = msg == WM_NCDESTROY;
    if (last && !link->Detached && !Unhook(wnd, kind, *link)) {
        // Someone on top still calls us for this last message; the property goes all the same.
        RemovePropW(wnd, kind.Property);
        link->Detached = true;
    }

    TMessage m{msg, wParam, lParam, 0};
    WindowSubclass* owner = link->Owner;
    ++link->Depth;
    if (owner)
        Guarded([&] { owner->WindowMessage(m); });
    else
        m.Result = CallWindowProcW(link->Previous, wnd, msg, wParam, lParam);
    --link->Depth;

    // An owner that let go or was freed inside the message has already cleared the link.
    if (last && owner && link->Owner == owner) {
        link->Owner = nullptr;
        owner->FLink = nullptr;
        owner->WindowDestroyed();
    }
    if (link->Detached && link->Depth == 0)
        delete link;
    return m.Result;
}

bool ThreadHook::Install(int kind, HOOKPROC proc) noexcept
{
    if (FHandle)
        return false;
    FHandle = SetWindowsHookExW(kind, proc, nullptr, GetCurrentThreadId());
    return FHandle != nullptr;
}

void ThreadHook::Remove() noexcept
{
    if (HHOOK hook = std::exchange(FHandle, nullptr))
        UnhookWindowsHookEx(hook);
}

} // namespace ks
