#include "skin/forms/acDials.h"

#include "skin/adapters/BarAdapters.h"
#include "skin/adapters/ComboAdapters.h"
#include "skin/adapters/ListViewAdapter.h"
#include "skin/adapters/PopupMenuAdapter.h"
#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/adapters/TabAdapters.h"
#include "skin/adapters/TreeViewAdapters.h"
#include "skin/adapters/UpDownAdapter.h"
#include "skin/adapters/acButtonAdapters.h"
#include "skin/adapters/acSBUtils.h"
#include "skin/adapters/acStaticAdapters.h"
#include "skin/core/MessageBoxes.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/SkinServices.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/acDialogWnd.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <cwctype>

ks::ThreadHook CreationHook;
std::unique_ptr<std::vector<TacProvider*>> HookedWindows;

namespace {

constexpr ATOM DialogClassAtom = 0x8002;
constexpr ATOM MenuClassAtom = 0x8000;
// Nesting of the hook's own walks: a window created or destroyed inside one of them (an
// adapter's window, a dialog that closes while adapted) reaches the hook again; finished records
// are then freed at a later destruction, never under a walk that holds them.
int HookWalkDepth = 0;

struct WalkScope {
    WalkScope() noexcept { ++HookWalkDepth; }
    ~WalkScope() { --HookWalkDepth; }
    WalkScope(const WalkScope&) = delete;
    WalkScope& operator=(const WalkScope&) = delete;
};

// Another thread's window cannot be taken over safely, nor even asked: a sent question waits on
// that thread, which may be waiting on this one, and an adapter's code would run on it.
bool OfThisThread(HWND wnd)
{
    return GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId();
}

bool IsSkinned(HWND wnd)
{
    return AskWndBool(wnd, SKC_IS_SKINNED);
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool HasRule(TacSkinningRule rule)
{
    return DefaultSkinManager && DefaultSkinManager->SkinningRules().Contains(rule);
}

template <class T>
TacMainWnd* MakeAdapter(HWND child, TsSkinManager* manager, std::string_view section)
{
    return TacMainWnd::Create<T>(child, nullptr, manager, section, true);
}

// The adapter a standard dialog's child gets, by its lower-cased class name and style; nullptr
// for children the table leaves alone. noClientPaint is cleared by edits and combo boxes, whose
// client area the dialog must not paint over.
TacMainWnd* MakeChildAdapter(HWND child, const std::wstring& cls, LONG_PTR style, TsSkinManager* manager,
                             bool& clearsClientPaint, bool& recordsPosition)
{
    recordsPosition = true;
    if (cls == L"static") {
        if ((style & 3) == 3 || (style & 0xE) == 0xE)
            return MakeAdapter<TacIconWnd>(child, manager, "CHECKBOX");
        const LONG_PTR type = style & SS_TYPEMASK;
        if ((style & 0xD) == 0xD || type == SS_GRAYRECT || type == SS_WHITERECT)
            return nullptr;
        return MakeAdapter<TacStaticWnd>(child, manager, "CHECKBOX");
    }
    if (cls == L"#32770" || cls == L"shbrowseforfolder")
        return MakeAdapter<TacTransPanelWnd>(child, manager, "CHECKBOX");
    if (cls == L"tpanel" || cls == L"tsilentpaintpanel") {
        recordsPosition = false;
        return MakeAdapter<TacDlgPanelWnd>(child, manager, "PANEL");
    }
    if (cls == L"edit") {
        clearsClientPaint = true;
        return IsWindowVisible(child) ? MakeAdapter<TacEditWnd>(child, manager, "EDIT") : nullptr;
    }
    if (cls == L"listbox")
        return MakeAdapter<TacEditWnd>(child, manager, "EDIT");
    if (cls == L"combobox" || cls == L"comboboxex32") {
        clearsClientPaint = true;
        return MakeAdapter<TacComboBoxWnd>(child, manager, "COMBOBOX");
    }
    if (cls == L"combolbox") {
        clearsClientPaint = true;
        return MakeAdapter<TacEditWnd>(child, manager, "COMBOBOX");
    }
    if (cls == L"button") {
        if ((style & 7) == 7)
            return MakeAdapter<TacGroupBoxWnd>(child, manager, "GROUPBOX");
        if ((style & 3) == 3 || (style & 2) == 2 || (style & 5) == 5 || (style & 9) == 9 || (style & 4) == 4)
            return MakeAdapter<TacCheckBoxWnd>(child, manager, "CHECKBOX");
        return MakeAdapter<TacBtnWnd>(child, manager, "BUTTON");
    }
    if (cls == L"scrollbar")
        return MakeAdapter<TacSizerWnd>(child, manager, "CHECKBOX");
    if (cls == L"systabcontrol32")
        return (style & TCS_OWNERDRAWFIXED) ? nullptr : MakeAdapter<TacTabControlWnd>(child, manager, "PAGECONTROL");
    if (cls == L"syslistview32")
        return MakeAdapter<TacListViewWnd>(child, manager, "EDIT");
    if (cls == L"systreeview32")
        return MakeAdapter<TacTreeViewWnd>(child, manager, "EDIT");
    if (cls == L"msctls_updown32")
        return MakeAdapter<TacSpinWnd>(child, manager, "SPEEDBUTTON_SMALL");
    if (cls == L"link window" || cls == L"syslink")
        return MakeAdapter<TacLinkWnd>(child, manager, "CHECKBOX");
    if (cls == L"toolbarwindow32")
        return MakeAdapter<TacToolBarWnd>(child, manager, (style & 0x200) ? "BAR" : "CHECKBOX");
    return nullptr;
}


// A record of the hook, or a provider of the form's own (one that has not set its form up yet
// may not answer yet that the form is skinned).
bool HasRecord(const TCustomForm& form)
{
    for (const TacProvider* record : *HookedWindows)
        if (record && record->Owner() == &form)
            return true;
    for (int i = 0; i < form.ComponentCount(); ++i)
        if (dynamic_cast<const TsSkinProvider*>(form.Components(i)))
            return true;
    return false;
}

bool AttachToFormWindow(TCustomForm& form)
{
    const std::string_view name = form.ClassName();
    if (form.Tag() == -98 || name == "TApplication" || name == "TQRStandardPreview" || name == "TfcPopup")
        return false;
    // The main form existed before the hook and draws its own title strip: it is never caught,
    // neither at its creation nor when it is activated.
    if (form.IsMainCandidate())
        return false;
    if (HasRecord(form))
        return false;
    if (!HasRule(name == "TMessageForm" ? srStdDialogs : srStdForms))
        return false;
    WalkScope walk;
    // Owned by the form, so the record goes with it.
    auto* record = Create<TacProvider>(&form);
    HookedWindows->push_back(record);
    record->AttachToForm(&form);
    // The children of an MDI main form were made before it could be caught: they come along.
    if (form.FormStyle() == fsMDIForm)
        for (int i = 0; i < form.MDIChildCount(); ++i) {
            TCustomForm* child = form.MDIChildren(i);
            HWND childWnd = child ? child->HandleIfAllocated() : nullptr;
            if (!childWnd || IsSkinned(childWnd) || HasRecord(*child))
                continue;
            auto* childRecord = Create<TacProvider>(child);
            HookedWindows->push_back(childRecord);
            childRecord->AttachToForm(child);
        }
    return true;
}

// A popup-menu window gets its adapter while it is being created, so that its first paint is
// the skin's; not under desktop composition, which draws the menus' shadows and frames itself.
void AdaptMenuWindow(HWND wnd)
{
    const ks::Platform& sys = ks::Sys();
    if (!DefaultSkinManager || !DefaultSkinManager->SkinnedPopups() || IsSkinned(wnd))
        return;
    if (sys.CompositionEnabled && sys.CompositionEnabled())
        return;
    auto* adapter = TacMainWnd::Create<TacMnuWnd>(wnd, nullptr, DefaultSkinManager, "MAINMENU", false);
    adapter->CtrlHandle = wnd;
    MenuWindows.push_back(adapter);
}

// Unowned top-level windows were tried when they were created (the main form, made before the
// hook, never); owned forms and message boxes are tried when they are first activated, and
// standard dialogs again, now that their children exist.
void ActivatedWindow(HWND wnd)
{
    if (wnd && (GetWindow(wnd, GW_OWNER) || GetWndClassName(wnd) == L"#32770"))
        AttachFormProvider(wnd);
}

LRESULT HookWork(int code, WPARAM wParam, LPARAM lParam)
{
    switch (code) {
    case HCBT_DESTROYWND: FreeFinishedProviders(); break;
    case HCBT_ACTIVATE: ActivatedWindow(reinterpret_cast<HWND>(wParam)); break;
    case HCBT_CREATEWND: {
        const HWND wnd = reinterpret_cast<HWND>(wParam);
        const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        if (!create || !create->lpcs)
            break;
        const CREATESTRUCTW& cs = *create->lpcs;
        if (IS_INTRESOURCE(cs.lpszClass)) {
            const ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(cs.lpszClass));
            if (atom == DialogClassAtom)
                AttachFormProvider(wnd);
            else if (atom == MenuClassAtom)
                AdaptMenuWindow(wnd);
            break;
        }
        if (std::wstring_view(cs.lpszClass) == L"TPUtilWindow" || cs.style == 0 || cs.dwExStyle == 0)
            break;
        if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated() &&
            Application->MainForm()->Handle() == wnd)
            break;
        if (!GetParent(wnd))
            AttachFormProvider(wnd);
        break;
    }
    default: break;
    }
    return 0;
}

void InstallCreationHook()
{
    if (!HookedWindows)
        HookedWindows = std::make_unique<std::vector<TacProvider*>>();
    CreationHook.Install(WH_CBT, &CreationHookProc);
}

void RemoveCreationHook() noexcept
{
    CreationHook.Remove();
    // The list is detached first, so records that leave their slot as they go find no list.
    std::unique_ptr<std::vector<TacProvider*>> hooked = std::move(HookedWindows);
    if (hooked)
        for (TacProvider* provider : *hooked)
            if (provider)
                provider->Free();
}

} // namespace

// ---- TacProvider -------------------------------------------------------------------------------

const ks::ClassInfo TacProvider::StaticClassInfo{"TacProvider", &TComponent::StaticClassInfo, {}, {}};
const ks::ClassInfo& TacProvider::ClassInfo() const noexcept { return StaticClassInfo; }

TacProvider::~TacProvider()
{
    // The form owns its provider and frees it itself.
    SkinProvider = nullptr;
    if (HookedWindows) {
        auto slot = std::find(HookedWindows->begin(), HookedWindows->end(), this);
        if (slot != HookedWindows->end())
            *slot = nullptr;
    }
    // Each adapter lets go of its window at once; one inside its own message is deleted when
    // that message returns.
    for (TacMainWnd* adapter : std::exchange(Adapters, {}))
        if (adapter)
            adapter->Free();
    if (TacDialogWnd* dialog = std::exchange(DialogWnd, nullptr)) {
        dialog->Provider = nullptr;
        dialog->Free();
    }
}

HWND TacProvider::AdaptedWindow() const noexcept
{
    return GetScrollHandler(CtrlHandle) ? CtrlHandle : nullptr;
}

void TacProvider::AttachToForm(TCustomForm* form)
{
    TsSkinProvider* provider = TsSkinProvider::CreateProviderFlagged(form);
    provider->Form = form;
    provider->SetMakeSkinMenu(false);
    SkinProvider = provider;
}

bool TacProvider::AttachToDialog(HWND wnd)
{
    CtrlHandle = wnd;
    if (DialogWnd || !DefaultSkinManager || !DefaultSkinManager->Active())
        return true;
    InitDialogHandler(wnd, DialogWnd);
    if (!DialogWnd || DialogWnd->Destroyed)
        return true;
    DialogWnd->Provider = this;
    if (DialogPosX != -1 || DialogPosY != -1)
        SetWindowPos(wnd, nullptr, DialogPosX, DialogPosY, 0, 0, SWP_NOSIZE | SWP_NOREDRAW | SWP_NOOWNERZORDER);
    AdaptChildWindows(this, wnd);
    if (DialogWnd && !DialogWnd->Destroyed)
        DialogWnd->PrepareFrame();
    SendCommandWnd(wnd, SKC_NEW_SKIN, reinterpret_cast<LPARAM>(DefaultSkinManager));
    return true;
}

std::vector<HWND> HookedAdaptedWindows()
{
    std::vector<HWND> windows;
    if (HookedWindows)
        for (const TacProvider* provider : *HookedWindows)
            if (HWND wnd = provider ? provider->AdaptedWindow() : nullptr)
                windows.push_back(wnd);
    return windows;
}

// ---- the hook ----------------------------------------------------------------------------------

LRESULT CALLBACK CreationHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    const LRESULT result = CreationHook.CallNext(code, wParam, lParam);
    if (code >= 0)
        ks::Guarded([&] { HookWork(code, wParam, lParam); });
    return result;
}

bool AttachFormProvider(HWND wnd)
{
    if (!DefaultSkinManager || !HookedWindows || !wnd || !IsWindow(wnd))
        return false;
    if (!OfThisThread(wnd) || IsSkinned(wnd))
        return false;
    const std::wstring cls = GetWndClassName(wnd);
    if (FindProviderByWnd(wnd))
        return false;
    if (TCustomForm* form = FindFormByWnd(wnd))
        return AttachToFormWindow(*form);
    if (cls != L"#32770" || !HasRule(srStdDialogs))
        return false;
    // Windows: GetParent names the owner of a popup too, so an owned message box would never
    // pass; only child dialogs (property pages, nested dialogs) are left to their parents.
    if (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD)
        return false;
    if (VisibleDialogCount() > 0 && !HasChildOfClass(wnd, L"toolbarwindow32"))
        return false;
    WalkScope walk;
    auto* provider = Create<TacProvider>(nullptr);
    HookedWindows->push_back(provider);
    return provider->AttachToDialog(wnd);
}

void InitDialogHandler(HWND wnd, TacDialogWnd*& adapter)
{
    const ks::Platform& sys = ks::Sys();
    if (DefaultSkinManager && DefaultSkinManager->Active()) {
        if (sys.UninitializeFlatSBPtr)
            sys.UninitializeFlatSBPtr(wnd);
        if (adapter && adapter->Destroyed) {
            adapter->Free();
            adapter = nullptr;
        }
        if (!adapter)
            adapter = TacMainWnd::Create<TacDialogWnd>(wnd, nullptr, DefaultSkinManager, "DIALOG", false);
        return;
    }
    if (adapter) {
        adapter->Free();
        adapter = nullptr;
    }
    if (sys.InitializeFlatSBPtr)
        sys.InitializeFlatSBPtr(wnd);
}

bool AdaptChildWindows(TacProvider* provider, HWND wnd)
{
    WalkScope walk;
    // The list is taken first: adapting a child may create or destroy windows.
    std::vector<HWND> children;
    for (HWND child = GetTopWindow(wnd); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    for (HWND child : children) {
        if (!IsWindow(child))
            continue;
        AdaptChildWindows(provider, child);
        if (IsWindow(child) && (GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD))
            AdaptDialogChild(provider, child);
    }
    return true;
}

bool AdaptDialogChild(TacProvider* provider, HWND child)
{
    // A child whose adapter does not call itself skinned (its section is missing in the skin) is
    // still held: a second adapter would take its window procedure from under the first.
    if (!provider || !provider->DialogWnd || provider->DialogWnd->Destroyed || !OfThisThread(child) ||
        IsSkinned(child) || GetScrollHandler(child))
        return true;
    TacDialogWnd* dialog = provider->DialogWnd;
    NextAdapterInDialog = true;
    const std::wstring cls = Lower(GetWndClassName(child));
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    bool clearsClientPaint = false;
    bool recordsPosition = true;
    TacMainWnd* adapter = nullptr;
    ks::Guarded([&] {
        adapter = MakeChildAdapter(child, cls, style, dialog->SkinData->SkinManager(), clearsClientPaint,
                                   recordsPosition);
    });
    NextAdapterInDialog = false;
    if (clearsClientPaint)
        dialog->NoClientPaint = false;
    if (adapter) {
        provider->Adapters.push_back(adapter);
        if (recordsPosition)
            GetWndPosition(child, adapter->ParentWnd, adapter->WndRect, adapter->ParentRect, adapter->WndSize,
                           adapter->WndPos);
    }
    return true;
}

// ---- small services ----------------------------------------------------------------------------

std::wstring GetWndClassName(HWND wnd)
{
    wchar_t name[128]{};
    const int length = GetClassNameW(wnd, name, 128);
    return std::wstring(name, static_cast<size_t>(std::max(length, 0)));
}

TacProvider* FindProviderByWnd(HWND wnd) noexcept
{
    if (!HookedWindows || !wnd)
        return nullptr;
    for (TacProvider* provider : *HookedWindows)
        if (provider && provider->CtrlHandle == wnd)
            return provider;
    return nullptr;
}

TCustomForm* FindFormByWnd(HWND wnd) noexcept
{
    if (!Screen || !wnd)
        return nullptr;
    for (int i = Screen->FormCount() - 1; i >= 0; --i) {
        TCustomForm* form = Screen->Forms(i);
        if (form && form->HandleAllocated() && form->Handle() == wnd)
            return form;
    }
    return nullptr;
}

int VisibleDialogCount() noexcept
{
    int count = 0;
    if (HookedWindows)
        for (const TacProvider* provider : *HookedWindows)
            if (provider && provider->DialogWnd && !provider->DialogWnd->Destroyed &&
                IsWindowVisible(provider->DialogWnd->CtrlHandle))
                ++count;
    return count;
}

bool HasChildOfClass(HWND wnd, std::wstring_view lowerName)
{
    for (HWND child = GetTopWindow(wnd); child; child = GetWindow(child, GW_HWNDNEXT))
        if (Lower(GetWndClassName(child)) == lowerName || HasChildOfClass(child, lowerName))
            return true;
    return false;
}

void SendToChildWindows(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    std::vector<HWND> children;
    for (HWND child = GetTopWindow(wnd); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    for (HWND child : children)
        if (IsWindow(child) && OfThisThread(child))
            SendMessageW(child, msg, wParam, lParam);
}

void FreeFinishedProviders()
{
    if (!HookedWindows || HookWalkDepth > 0)
        return;
    WalkScope walk;
    for (size_t i = 0; HookedWindows && i < HookedWindows->size(); ++i) {
        TacProvider* provider = (*HookedWindows)[i];
        if (!provider || !provider->DialogWnd || !provider->DialogWnd->Destroyed)
            continue;
        (*HookedWindows)[i] = nullptr;
        provider->Free();
    }
    // One empty slot per dialog shown would otherwise stay for the life of the hook.
    if (HookedWindows)
        std::erase(*HookedWindows, nullptr);
}

// ---- unit ----------------------------------------------------------------------------------------

void InitializeAcDialsUnit()
{
    ks::SkinServices& services = ks::Services();
    services.CreationHookInstalled = []() noexcept { return CreationHook.Handle() != nullptr; };
    services.InstallCreationHook = &InstallCreationHook;
    services.RemoveCreationHook = &RemoveCreationHook;
    services.HookedAdaptedWindows = &HookedAdaptedWindows;
}

void FinalizeAcDialsUnit() noexcept
{
    RemoveCreationHook();
}
