#pragma once
// The one guard around callbacks the platform calls, the one way to take over the window
// procedure of a window the class library did not create, and the one owner of a thread hook.
//
// Guarded runs a window procedure's, hook's or timer's work and reports whatever it throws to
// the reporter the application object sets, so that no exception unwinds into the system's
// frames. WindowSubclass puts a procedure of its kind in front of a window's own and finds its
// object through a window property named by the kind (no code thunks), like the trampoline of
// the library's own windows. What the object does not handle goes to the previous procedure.
// The window is given back exactly once, and only while our procedure is still the window's:
// whoever subclassed on top of us keeps a working chain, ours passing everything on until the
// window goes. A window destroyed first is given back as its last message (WM_NCDESTROY)
// arrives, before that message travels down the chain. ThreadHook holds a hook of the calling
// thread and takes it off exactly once; its procedure passes every call on (CallNext), so the
// hook never blocks what it watches, and runs its own work under Guarded.

#include "vcl/Messages.h"
#include "vcl/Win.h"

#include <exception>

namespace ks {

// ---- the guard -------------------------------------------------------------------------------

using ExceptionReporter = void (*)(std::exception_ptr error) noexcept;

// The application object sets the reporter when it is made; until then, and without one, a
// caught exception is dropped. Returns the reporter it replaces.
ExceptionReporter SetExceptionReporter(ExceptionReporter reporter) noexcept;
void ReportException(std::exception_ptr error) noexcept;

// Runs action; anything it throws is reported instead of passed on.
template <class F>
void Guarded(F&& action) noexcept
{
    try {
        action();
    } catch (...) {
        ReportException(std::current_exception());
    }
}

// ---- subclassing a foreign window ----------------------------------------------------------

// One kind of subclasser: the property that holds its record on a window and the procedure it
// puts in front of the window's own. A window holds at most one subclasser of each kind.
struct SubclassKind {
    const wchar_t* Property;
    WNDPROC Proc;
};

struct SubclassLink;

class WindowSubclass {
public:
    explicit WindowSubclass(const SubclassKind& kind) noexcept : FKind(kind) {}
    // Gives the window back (Release).
    virtual ~WindowSubclass();
    WindowSubclass(const WindowSubclass&) = delete;
    WindowSubclass& operator=(const WindowSubclass&) = delete;

    // Takes wnd over. False when this object already holds a window, wnd is no window, a
    // subclasser of this kind holds it already, or the window belongs to another process.
    bool Subclass(HWND wnd) noexcept;
    // Gives the window back; later calls, and calls after the window was destroyed, do nothing.
    void Release() noexcept;

    // The window held; nullptr before Subclass, after Release and once the window is destroyed.
    HWND Handle() const noexcept;
    // The procedure the window had when it was taken over.
    WNDPROC PreviousProc() const noexcept { return FPrevious; }

    // The subclasser of kind that holds wnd; nullptr when none does.
    static WindowSubclass* Find(HWND wnd, const SubclassKind& kind) noexcept;
    // The body of every kind's procedure (see SubclassKindOf).
    static LRESULT Dispatch(const SubclassKind& kind, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

protected:
    // Every message of the window while it is held; what throws is reported and the message
    // answered 0. Passes the message on unless overridden.
    virtual void WindowMessage(TMessage& m) { CallPrevious(m); }
    // The window was destroyed and has been given back; called after its last message.
    virtual void WindowDestroyed() noexcept {}
    // Passes m to the previous procedure and stores its answer.
    void CallPrevious(TMessage& m);

private:
    const SubclassKind& FKind;
    SubclassLink* FLink = nullptr;
    HWND FWnd = nullptr;
    WNDPROC FPrevious = nullptr;
};

// The kind named by Property, with a procedure of its own: SubclassKindOf<P>::Kind().
template <const wchar_t* Property>
class SubclassKindOf {
public:
    static const SubclassKind& Kind() noexcept
    {
        static const SubclassKind kind{Property, &Proc};
        return kind;
    }

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
    {
        return WindowSubclass::Dispatch(Kind(), wnd, msg, wParam, lParam);
    }
};

// ---- a hook of the calling thread -------------------------------------------------------------

class ThreadHook {
public:
    ThreadHook() noexcept = default;
    // Takes the hook off (Remove).
    ~ThreadHook() { Remove(); }
    ThreadHook(const ThreadHook&) = delete;
    ThreadHook& operator=(const ThreadHook&) = delete;

    // Hooks the calling thread (SetWindowsHookExW with kind and proc). False when this object
    // holds a hook already or the system refuses.
    bool Install(int kind, HOOKPROC proc) noexcept;
    // Takes the hook off; later calls do nothing.
    void Remove() noexcept;
    // nullptr while no hook is held.
    HHOOK Handle() const noexcept { return FHandle; }
    // The next hook's answer, which the procedure returns.
    LRESULT CallNext(int code, WPARAM wParam, LPARAM lParam) const noexcept
    {
        return CallNextHookEx(FHandle, code, wParam, lParam);
    }

private:
    HHOOK FHandle = nullptr;
};

} // namespace ks
