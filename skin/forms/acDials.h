#pragma once
// The window-creation hook of the user-interface thread and the records it keeps of the
// windows it takes over: class-library forms get a run-time form provider, standard dialogs
// ("#32770") a dialog frame adapter with an adapter for each child window by its class. The
// default skin manager installs the hook once its skin is loaded and removes it with its skin;
// HookedWindows exists exactly while the hook is installed.

#include "vcl/Classes.h"
#include "vcl/Win.h"
#include "vcl/WindowSubclass.h"

#include <memory>
#include <string>
#include <vector>

class TacDialogWnd;
class TacMainWnd;
class TCustomForm;
class TsSkinProvider;

// One window the creation hook took over. A form's record is owned by the form; a standard
// dialog's record has no owner and holds the dialog window, its frame adapter and the adapters
// of its children.
class TacProvider : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TacProvider(TComponent* owner) : TComponent(owner) {}
    // Leaves a nullptr in its slot of HookedWindows, so no walk meets a freed record; a
    // dialog's record frees its adapters.
    ~TacProvider() override;

    // Gives the form a run-time provider, which prepares the form's frame on first use.
    void AttachToForm(TCustomForm* form);
    // Takes the dialog over: its frame adapter, position and child adapters. True when the
    // record holds the dialog (also when no skin is active to paint it).
    bool AttachToDialog(HWND wnd);

    // The caught dialog window (dialogs only).
    HWND CtrlHandle = nullptr;
    // The form's run-time provider (forms only; owned by the form).
    TsSkinProvider* SkinProvider = nullptr;
    // The dialog's frame adapter (dialogs only; owned).
    TacDialogWnd* DialogWnd = nullptr;
    // The adapters of the dialog's child windows (dialogs only; owned).
    std::vector<TacMainWnd*> Adapters;

    // The dialog window while an adapter holds it; nullptr otherwise.
    HWND AdaptedWindow() const noexcept;
};

// The WH_CBT hook of the user-interface thread; its Handle is nullptr while none is installed.
extern ks::ThreadHook CreationHook;
// Every record the hook made, in order; a slot holds nullptr after its record went (slots are
// compacted when finished records are freed). nullptr while no hook is installed.
extern std::unique_ptr<std::vector<TacProvider*>> HookedWindows;

// The windows an adapter holds among the records of HookedWindows, in order. Walks that send
// to them check each window again before they use it: receivers may free records and windows.
std::vector<HWND> HookedAdaptedWindows();

// The hook procedure; it never keeps a window from being created or activated.
LRESULT CALLBACK CreationHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept;
// Decides whether a top-level window is skinned and attaches its record; true when attached.
bool AttachFormProvider(HWND wnd);
// Makes or frees the frame adapter of a dialog as the default manager's state says.
void InitDialogHandler(HWND wnd, TacDialogWnd*& adapter);
// Depth first: the children of each child first, then the child itself when it is a child
// window. Children that answer SKC_IS_SKINNED already are passed over.
bool AdaptChildWindows(TacProvider* provider, HWND wnd);
// At most one adapter for child by its window class (the dialog table).
bool AdaptDialogChild(TacProvider* provider, HWND child);

// ---- small services
// The window's class name (at most 127 characters).
std::wstring GetWndClassName(HWND wnd);
TacProvider* FindProviderByWnd(HWND wnd) noexcept;
// The class-library form (or MDI child of an MDI main form) whose window is wnd.
TCustomForm* FindFormByWnd(HWND wnd) noexcept;
// Records whose dialog adapter's window is visible.
int VisibleDialogCount() noexcept;
// A descendant of wnd whose class name, lower-cased, is lowerName.
bool HasChildOfClass(HWND wnd, std::wstring_view lowerName);
void SendToChildWindows(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Frees the records of dialogs whose windows have gone; runs at each window destruction of
// the thread, never while another of the hook's walks is under way.
void FreeFinishedProviders();

// Unit start-up: gives the skin core the creation hook and its records
// (skin/core/SkinServices.h). The program entry calls it before the first skin manager is made.
void InitializeAcDialsUnit();
// Unit shut-down: a hook still installed (its manager was never freed) goes now, with the
// records it made, while the units they reach are whole; static destruction then finds both
// globals empty.
void FinalizeAcDialsUnit() noexcept;
