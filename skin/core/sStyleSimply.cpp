#include "skin/core/sStyleSimply.h"

#include "skin/core/ComponentWatch.h"
#include "skin/core/FormAnimation.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/SkinServices.h"
#include "skin/core/WinRoutines.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "vcl/Icon.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"

#include <shellapi.h>

#include <algorithm>

bool PaintLock = false;
std::unique_ptr<TIcon> AppSmallIcon;
std::unique_ptr<TIcon> AppLargeIcon;

namespace {

// The list and the watch that drops freed forms from it. A freed form is taken out the next
// time the list is read, by address only.
struct SkinnedFormList {
    std::vector<TComponent*> Forms;
    std::unique_ptr<ks::ComponentWatch> Watch;

    void DropFreed()
    {
        if (Watch)
            std::erase_if(Forms, [&](TComponent* f) { return !Watch->Alive(f); });
    }
};

SkinnedFormList& FormList()
{
    static SkinnedFormList list;
    return list;
}

// Still listed, and so still alive: a form freed during a walk has not left the list yet.
bool Listed(const TComponent* form)
{
    const SkinnedFormList& list = FormList();
    return list.Watch && list.Watch->Alive(form) &&
           std::find(list.Forms.begin(), list.Forms.end(), form) != list.Forms.end();
}

// The window, then the children, then an MDI main form's client window (its children are no
// controls of the form), each step only while the form is still there.
// False when sender (when given) was freed meanwhile.
bool DeliverToForm(TCustomForm* form, const TMessage& message, TComponent* sender)
{
    ks::ComponentWatch watch;
    watch.Watch(form);
    watch.Watch(sender);
    const auto goOn = [&] { return !sender || watch.Alive(sender); };
    ks::SendSkinMessage(form->Handle(), message.Msg, message.WParam, message.LParam);
    if (watch.Alive(form) && goOn()) {
        if (sender)
            BroadcastCommand(form, message, sender);
        else
            BroadcastCommand(form, message);
    }
    if (watch.Alive(form) && goOn() && form->FormStyle() == fsMDIForm)
        if (const HWND client = form->ClientHandle())
            ks::SendSkinMessage(client, message.Msg, message.WParam, message.LParam);
    return goOn();
}

// ---- redraw lock ---------------------------------------------------------------------------------

struct LockedForm {
    TCustomForm* Form;
    TComponent* Provider;
};

// What one manager's BeginFormsUpdate did, so that its end undoes exactly that.
struct FormsLock {
    TsSkinManager* Manager = nullptr;
    bool SetPaintLock = false;
    std::vector<LockedForm> Forms;
    ks::ComponentWatch Watch;

    bool Holds(const TCustomForm* form) const
    {
        return std::any_of(Forms.begin(), Forms.end(), [&](const LockedForm& f) { return f.Form == form; });
    }
};

std::vector<std::unique_ptr<FormsLock>>& Locks()
{
    static std::vector<std::unique_ptr<FormsLock>> locks;
    return locks;
}

bool ApplicationMinimized()
{
    return Application && IsIconic(Application->Handle());
}

bool IsMinimized(TCustomForm& form)
{
    return form.WindowState() == wsMinimized || (form.HandleAllocated() && IsIconic(form.HandleIfAllocated()));
}

// Forms that take part in a redraw lock: top-level, shown and not minimised. Visible is the
// stored flag: WM_SETREDRAW(FALSE) clears WS_VISIBLE, so the window's own flag would lie.
bool Lockable(TCustomForm& form)
{
    return form.FormStyle() != fsMDIChild && !form.Parent() && !form.ParentWindow() && form.Visible() &&
           form.HandleAllocated() && !IsMinimized(form);
}

// The form's provider when it can be locked.
ks::LockableFormProvider* ProviderOf(TCustomForm& form, TComponent*& component)
{
    component = ks::ProviderComponentOf(form);
    return dynamic_cast<ks::LockableFormProvider*>(component);
}

void SetRedraw(HWND wnd, bool on)
{
    SendMessageW(wnd, WM_SETREDRAW, on ? TRUE : FALSE, 0);
}

// Showing a maximised form again puts its layered border back in place; the window is made
// invisible for the moment so that the system does not animate or repaint it.
void ReshowMaximized(HWND wnd)
{
    const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    const HWND active = GetActiveWindow();
    SetWindowLongPtrW(wnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_VISIBLE));
    ShowWindow(wnd, SW_SHOWMAXIMIZED);
    SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) | WS_VISIBLE);
    SetActiveWindow(active);
}

// The repaint runs the form's own code (its OnPaint, the animation's pumped messages), which may
// free the form or only its provider: neither is touched once it is gone.
void Unlock(const LockedForm& locked, const ks::ComponentWatch& watch, bool repaint,
            const TacSkinChanging& animation)
{
    TCustomForm& form = *locked.Form;
    auto& provider = dynamic_cast<ks::LockableFormProvider&>(*locked.Provider);
    const HWND wnd = form.HandleIfAllocated();
    if (!wnd)
        return;
    const auto alive = [&] { return watch.Alive(locked.Form) && watch.Alive(locked.Provider) && IsWindow(wnd); };
    if (!repaint) {
        SetRedraw(wnd, true);
        if (watch.Alive(locked.Provider))
            provider.SetInUpdate(false);
        return;
    }
    if (animation.Active()) {
        // A form whose frame the platform draws shows its new look at once. A translucent form
        // ends at its own opacity: the animation leaves the form at the opacity it reaches.
        const uint8_t opacity = form.AlphaBlend() ? form.AlphaBlendValue() : 255;
        if (provider.DrawNonClientArea())
            AnimateFormWindow(&form, animation.Time(), opacity, animation.Mode());
        else
            AnimateFormWindow(&form, 0, opacity, atFading);
        if (!alive())
            return;
    }
    if (provider.BorderWindow() && IsZoomed(wnd))
        ReshowMaximized(wnd);
    SetRedraw(wnd, true);
    if (!alive())
        return;
    provider.SetInUpdate(false);
    if (provider.DrawNonClientArea()) {
        // Before version 6 the system keeps drawing the old region's shape unless it is taken
        // off first.
        if (ks::Sys().Win32MajorVersion() < 6)
            SetWindowRgn(wnd, nullptr, FALSE);
        provider.UpdateRegion();
        if (!alive())
            return;
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        if (alive() && provider.BorderWindow())
            provider.ShowBorderWindow();
    } else {
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    }
}

} // namespace

TComponent* ks::ProviderComponentOf(TCustomForm& form)
{
    const LRESULT answer = SendCommandWnd(form.HandleIfAllocated(), SKC_GET_PROVIDER, 0);
    if (answer == 0)
        return nullptr;
    for (int i = 0; i < form.ComponentCount(); ++i)
        if (TComponent* c = form.Components(i); reinterpret_cast<LRESULT>(c) == answer)
            return c;
    return nullptr;
}

// ---- the skinned-form list ------------------------------------------------------------------------

const std::vector<TComponent*>& SkinnedForms()
{
    FormList().DropFreed();
    return FormList().Forms;
}

void AddSkinnedForm(TComponent* form)
{
    SkinnedFormList& list = FormList();
    list.DropFreed();
    if (!form || Listed(form))
        return;
    if (!list.Watch)
        list.Watch = std::make_unique<ks::ComponentWatch>();
    list.Watch->Watch(form);
    list.Forms.push_back(form);
}

void RemoveSkinnedForm(TComponent* form)
{
    std::vector<TComponent*>& forms = FormList().Forms;
    for (size_t i = 0; i < forms.size();) {
        if (forms[i] != form) {
            ++i;
            continue;
        }
        forms[i] = forms.back();
        forms.pop_back();
    }
}

// ---- deliveries -----------------------------------------------------------------------------------

bool BroadcastToAllForms(const TMessage& message, TComponent* sender)
{
    if (Application) {
        ks::ComponentWatch watch;
        watch.Watch(sender);
        std::vector<TComponent*> components;
        for (int i = 0; i < Application->ComponentCount(); ++i) {
            components.push_back(Application->Components(i));
            watch.Watch(components.back());
        }
        for (auto it = components.rbegin(); it != components.rend(); ++it) {
            if (!watch.Alive(*it))
                continue;
            auto* form = dynamic_cast<TCustomForm*>(*it);
            if (!form || form->FormStyle() == fsMDIChild)
                continue;
            const TComponentState state = form->ComponentState();
            if (state.Contains(csDestroying) || state.Contains(csLoading))
                continue;
            // A form with a provider is told through SkinnedForms, once.
            const bool skinned = AskWndBool(form->Handle(), SKC_IS_SKINNED);
            if (sender && !watch.Alive(sender))
                return false;
            if (skinned || !watch.Alive(form))
                continue;
            if (!DeliverToForm(form, message, sender))
                return false;
        }
    }
    return SendToHooked(message, sender);
}

bool SendToHooked(const TMessage& message, TComponent* sender)
{
    ks::ComponentWatch watch;
    watch.Watch(sender);
    const std::vector<TComponent*> forms = SkinnedForms();
    for (TComponent* entry : forms) {
        if (!Listed(entry))
            continue;
        auto* form = dynamic_cast<TCustomForm*>(entry);
        if (form && !form->ComponentState().Contains(csDestroying) && !DeliverToForm(form, message, sender))
            return false;
    }
    for (HWND wnd : ks::HookedAdaptedWindows()) {
        if (sender && !watch.Alive(sender))
            return false;
        if (ks::AdaptedAndVisible(wnd))
            ks::SendSkinMessage(wnd, message.Msg, message.WParam, message.LParam);
    }
    return !sender || watch.Alive(sender);
}

// ---- redraw lock ----------------------------------------------------------------------------------

void BeginFormsUpdate(TsSkinManager* manager)
{
    if (!manager || ApplicationMinimized())
        return;
    auto& locks = Locks();
    auto found = std::find_if(locks.begin(), locks.end(), [&](const auto& l) { return l->Manager == manager; });
    if (found == locks.end()) {
        locks.push_back(std::make_unique<FormsLock>());
        locks.back()->Manager = manager;
        locks.back()->Watch.Watch(manager);
        found = locks.end() - 1;
    }
    FormsLock& lock = **found;
    if (manager->IsDefault() && manager->AnimEffects()->SkinChanging()->Active() && !PaintLock) {
        PaintLock = true;
        lock.SetPaintLock = true;
    }
    const std::vector<TComponent*> forms = SkinnedForms();
    for (TComponent* entry : forms) {
        auto* form = dynamic_cast<TCustomForm*>(entry);
        if (!form || !Listed(form) || lock.Holds(form) || !Lockable(*form))
            continue;
        TComponent* component = nullptr;
        ks::LockableFormProvider* provider = ProviderOf(*form, component);
        if (!provider || provider->ProviderSkinManager() != manager || !Listed(form))
            continue;
        lock.Watch.Watch(form);
        lock.Watch.Watch(component);
        lock.Forms.push_back({form, component});
        provider->SetInUpdate(true);
        if (provider->BorderWindow())
            provider->ShapeBorderWindow();
        SetRedraw(form->HandleIfAllocated(), false);
    }
}

void EndFormsUpdate(TsSkinManager* manager, bool repaint) noexcept
{
    auto& locks = Locks();
    auto found = std::find_if(locks.begin(), locks.end(), [&](const auto& l) { return l->Manager == manager; });
    if (found == locks.end())
        return;
    // Taken off the list first: a receiver of the repaint that starts another change gets a lock
    // of its own.
    std::unique_ptr<FormsLock> lock = std::move(*found);
    locks.erase(found);
    if (lock->SetPaintLock)
        PaintLock = false;
    const bool paint = repaint && !ApplicationMinimized();
    for (const LockedForm& locked : lock->Forms) {
        if (!lock->Watch.Alive(locked.Form))
            continue;
        if (!lock->Watch.Alive(locked.Provider) || !lock->Watch.Alive(manager)) {
            // The form outlived its provider, or a form's repaint freed the manager (whose
            // removal has reached the form): without its redraw back it would stay hidden
            // (WM_SETREDRAW off takes WS_VISIBLE away) and never paint again.
            if (lock->Watch.Alive(locked.Provider))
                dynamic_cast<ks::LockableFormProvider&>(*locked.Provider).SetInUpdate(false);
            if (const HWND wnd = locked.Form->HandleIfAllocated()) {
                SetRedraw(wnd, true);
                if (paint)
                    RedrawWindow(wnd, nullptr, nullptr,
                                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
            }
            continue;
        }
        try {
            Unlock(locked, lock->Watch, paint, *manager->AnimEffects()->SkinChanging());
        } catch (...) {
            // The next form must still be unlocked; the failure is reported, not lost.
            if (Application)
                Application->HandleException(nullptr, std::current_exception());
        }
    }
}

// ---- unit ---------------------------------------------------------------------------------------

void InitializeStyleSimplyUnit()
{
    const std::wstring exe = ParamStr(0);
    AppSmallIcon = GetShellIcon(exe, SHGFI_SMALLICON);
    AppLargeIcon = GetShellIcon(exe, SHGFI_LARGEICON);
}

void FinalizeStyleSimplyUnit() noexcept
{
    AppSmallIcon.reset();
    AppLargeIcon.reset();
    FormList().Forms.clear();
    FormList().Watch.reset();
    // A lock never ended holds a watch, itself a component: it goes now, not at exit.
    Locks().clear();
}
