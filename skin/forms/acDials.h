#pragma once
// The window-creation hook of the user-interface thread and the records it keeps of the
// windows it takes over. The default skin manager installs the hook once its skin is loaded and
// removes it with its skin; HookedWindows exists exactly while the hook is installed.

#include "vcl/Classes.h"
#include "vcl/Win.h"
#include "vcl/WindowSubclass.h"

#include <memory>
#include <vector>

// One window the creation hook took over. A form's record is owned by the form; a standard
// dialog's record has no owner and holds the dialog window.
class TacProvider : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TacProvider(TComponent* owner) : TComponent(owner) {}
    // Leaves a nullptr in its slot of HookedWindows, so no walk meets a freed record.
    ~TacProvider() override;

    // The caught dialog window (dialogs only).
    HWND CtrlHandle = nullptr;

    // The dialog window while an adapter holds it; nullptr otherwise.
    HWND AdaptedWindow() const noexcept;
};

// The WH_CBT hook of the user-interface thread; its Handle is nullptr while none is installed.
extern ks::ThreadHook CreationHook;
// Every record the hook made, in order; a slot holds nullptr after its record went. nullptr
// while no hook is installed.
extern std::unique_ptr<std::vector<TacProvider*>> HookedWindows;

// The windows an adapter holds among the records of HookedWindows, in order. Walks that send
// to them check each window again before they use it: receivers may free records and windows.
std::vector<HWND> HookedAdaptedWindows();

// The hook procedure; it never keeps a window from being created or activated.
LRESULT CALLBACK CreationHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept;

// Unit start-up: gives the skin core the creation hook and its records
// (skin/core/SkinServices.h). The program entry calls it before the first skin manager is made.
void InitializeAcDialsUnit();
// Unit shut-down: a hook still installed (its manager was never freed) goes now, with the
// records it made, while the units they reach are whole; static destruction then finds both
// globals empty.
void FinalizeAcDialsUnit() noexcept;
