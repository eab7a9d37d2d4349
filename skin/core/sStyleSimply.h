#pragma once
// The process-wide state that skinned forms and painters share with the skin managers: the
// forms that carry a form provider (SkinnedForms), the paint lock and the per-form redraw
// lock of a skin change, the delivery of a skin command to every form of the application and
// to every window the creation hook took over, and the program file's own icons.
//
// Deliveries send, never post: each receiver has finished before the next is told, and may
// meanwhile skin, unskin, create or free forms and windows. Every walk therefore visits a
// snapshot and checks before each send that the entry still exists; a form freed on the way
// is passed over, never touched, and no other form is skipped or told twice.

#include "vcl/Classes.h"
#include "vcl/Messages.h"
#include "vcl/Win.h"

#include <memory>
#include <vector>

class TCustomForm;
class TIcon;
class TsSkinManager;

// True while a skin change holds painting to the screen (and during the show animations):
// painters then paint only into the device context of a capture.
extern bool PaintLock;

// The program file's small and large shell icons; nullptr when the shell gives none.
extern std::unique_ptr<TIcon> AppSmallIcon;
extern std::unique_ptr<TIcon> AppLargeIcon;

// The forms a form provider skins, in the order they began. A form is listed once however
// often it is added, and a freed form leaves the list by itself.
const std::vector<TComponent*>& SkinnedForms();
void AddSkinnedForm(TComponent* form);
// Removing a form that is not listed changes nothing. The last entry takes the freed place.
void RemoveSkinnedForm(TComponent* form);

// Delivers message to the application's forms, last created first, and below each to its
// children (BroadcastCommand); forms that answer SKC_IS_SKINNED are left to their provider,
// which SendToHooked reaches. Forms being destroyed or loading and MDI children are passed
// over. A form without a window gets one. Then SendToHooked. A receiver may run application
// code that frees sender (the manager that broadcasts): the delivery then ends at once, and
// the answer is false.
bool BroadcastToAllForms(const TMessage& message, TComponent* sender = nullptr);
// Delivers message to each skinned form (its window, then its children), then to each window
// the creation hook took over that an adapter still holds and that is visible; ends as
// BroadcastToAllForms does when sender is freed.
bool SendToHooked(const TMessage& message, TComponent* sender = nullptr);

// Holds painting of the manager's skinned forms while their skin changes: the paint lock (for
// the default manager with an animated skin change) and WM_SETREDRAW off for each visible,
// top-level, not minimised skinned form whose provider uses the manager. Nothing while the
// application is minimised. A second call before the end adds forms skinned meanwhile.
void BeginFormsUpdate(TsSkinManager* manager);
// Undoes exactly what BeginFormsUpdate did for the manager, even when the application has
// been minimised or a form hidden in between, so no form is left unpainted; with repaint, the
// forms are then redrawn with their frames (skipped while the application is minimised).
// The manager may have been freed in between: the forms then only get their redraw back.
void EndFormsUpdate(TsSkinManager* manager, bool repaint) noexcept;

namespace ks {

// BeginFormsUpdate for the life of the scope; the end repaints, also when the scope is left
// by an exception.
class FormsUpdateScope {
public:
    explicit FormsUpdateScope(TsSkinManager* manager) : FManager(manager) { BeginFormsUpdate(manager); }
    ~FormsUpdateScope() { EndFormsUpdate(FManager, true); }
    FormsUpdateScope(const FormsUpdateScope&) = delete;
    FormsUpdateScope& operator=(const FormsUpdateScope&) = delete;

private:
    TsSkinManager* FManager;
};

// The form's provider: the component of the form that its window names in answer to
// SKC_GET_PROVIDER; nullptr when it names none of the form's own components (the answer is never
// dereferenced before it is found among them) or the form has no window.
TComponent* ProviderComponentOf(TCustomForm& form);

// What the redraw lock needs of a form provider. The provider is a component owned by its form
// that also derives from this class, and answers SKC_GET_PROVIDER with its TComponent address;
// an answer that is not one of the form's components is ignored.
class LockableFormProvider {
public:
    // The manager whose skin the provider paints.
    virtual TsSkinManager* ProviderSkinManager() const noexcept = 0;
    // True between the begin and the end of a redraw lock.
    virtual void SetInUpdate(bool value) noexcept = 0;
    virtual bool DrawNonClientArea() const noexcept = 0;
    // The window of the layered border around the form; nullptr when there is none.
    virtual HWND BorderWindow() const noexcept = 0;
    // Gives the border window its region, without a repaint.
    virtual void ShapeBorderWindow() = 0;
    // Shows the border window, opaque, around the form.
    virtual void ShowBorderWindow() = 0;
    // Rebuilds the corner rectangles from the border mask and applies the form's region.
    virtual void UpdateRegion() = 0;

protected:
    LockableFormProvider() = default;
    ~LockableFormProvider() = default;
};

} // namespace ks

// Unit start-up: the program file's icons. The program entry calls it once; the finalization
// frees the icons and empties SkinnedForms.
void InitializeStyleSimplyUnit();
void FinalizeStyleSimplyUnit() noexcept;
