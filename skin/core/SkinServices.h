#pragma once
// The services of the later parts of the engine that the skin core calls: the window-creation
// hook and its records (skin/forms/acDials), the adapters of popup-menu windows it makes, the
// adapter lookup (skin/adapters/acSBUtils) and the manager's menu painter (skin/forms/sSkinMenus). The core is built before them and may not
// include them, so each of those units fills its entries from its unit start-up, which the
// program entry runs before the first form is created. An entry still empty means that part of
// the engine is not in the program: the core then goes without it (no hook, no adapted windows,
// no menu painter).

#include "vcl/Win.h"

#include <vector>

class TControl;
class TCustomForm;
class TMenuItem;
class TObject;
class TPopupMenu;
class TsCommonData;
class TsSkinManager;
class TsSkinableMenus;

namespace ks {

struct SkinServices {
    // ---- the creation hook and the records it keeps of the windows it takes over
    bool (*CreationHookInstalled)() noexcept = nullptr;
    // Makes the record list when there is none, then hooks the calling thread. Without the hook
    // (the system refused it) new windows simply stay unskinned.
    void (*InstallCreationHook)() = nullptr;
    // Unhooks, then frees every record and the list.
    void (*RemoveCreationHook)() noexcept = nullptr;
    // Forgets the adapters of popup-menu windows the hook made (without freeing them: each goes
    // with its window); called just before the hook is removed.
    void (*ForgetMenuWindows)() noexcept = nullptr;
    // The windows an adapter holds among the records, in order.
    std::vector<HWND> (*HookedAdaptedWindows)() = nullptr;

    // ---- adapters: whether an adapter holds wnd now
    bool (*HasAdapter)(HWND wnd) noexcept = nullptr;

    // ---- the menu painter; the manager owns the one it makes
    TsSkinableMenus* (*CreateMenus)(TsSkinManager* manager) = nullptr;
    void (*FreeMenus)(TsSkinableMenus* menus) noexcept = nullptr;
    void (*UpdateMenus)(TsSkinableMenus& menus) = nullptr;
    // Forgets the popup frame width, so that the next skin is asked again.
    void (*ForgetMenuBorderWidth)(TsSkinableMenus& menus) noexcept = nullptr;
    // A painter met a popup whose window it could not name: item is an item being painted, wnd
    // the popup window. Either may come from any other program's message: they are only compared.
    void (*PopupItemShown)(TsSkinableMenus& menus, const TMenuItem* item) = nullptr;
    void (*PopupWindowShown)(TsSkinableMenus& menus, HWND wnd) = nullptr;
    // A skinned control's context menu is about to open: its items become owner-drawn with the
    // skin's painters, or go back to the platform's look, as enable says.
    void (*OwnerDrawMenuItems)(TsSkinableMenus& menus, TPopupMenu* menu, bool enable) = nullptr;

    // ---- form providers and skinned controls, as a control's skin data meets them
    // The form of owner when owner is a form provider, else nullptr.
    TCustomForm* (*ProviderForm)(TObject* owner) noexcept = nullptr;
    // owner's skin section changed: a form provider drops its cached bitmap of the form's title
    // band and answers true; anything else answers false.
    bool (*ProviderSectionChanged)(TObject* owner) noexcept = nullptr;
    // The skin data of control when it is a skinned speed button, else nullptr.
    TsCommonData* (*SpeedButtonSkinData)(TControl* control) noexcept = nullptr;
};

// The one registry of the process.
SkinServices& Services() noexcept;

// The windows adapters hold among the creation hook's records; empty without the hook or the
// adapters. Walks that send to them check each window with AdaptedAndVisible just before they
// use it: receivers may free records and windows.
std::vector<HWND> HookedAdaptedWindows();
bool AdaptedAndVisible(HWND wnd) noexcept;

} // namespace ks
