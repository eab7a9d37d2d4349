#pragma once
// TsMDIForm: what a form provider keeps for an MDI main form: the skinned adapter of the form's
// MDI client window (TacMDIWnd, MDIClientAdapter.h), made and dropped with the skin.

#include "vcl/Classes.h"

#include "vcl/Win.h"

class TacMDIWnd;
class TCustomForm;
class TsSkinProvider;

class TsMDIForm : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // Makes the provider's form's window at once, so that its MDI client exists.
    explicit TsMDIForm(TsSkinProvider* provider);
    ~TsMDIForm() override;
    TsMDIForm(const TsMDIForm&) = delete;
    TsMDIForm& operator=(const TsMDIForm&) = delete;

    // ConnectToClient unless an adapter exists (or the form is being designed).
    void AttachMDIClient();
    // A fresh adapter for the client window while the provider is skinned; none otherwise.
    void ConnectToClient();
    void ReleaseClient() noexcept;
    // The provider repaints the form's frame.
    void RefreshFormFrame();

    TCustomForm* Form = nullptr;
    // Owned; nullptr while the client is not adapted.
    TacMDIWnd* MDIWnd = nullptr;
    TsSkinProvider* SkinProvider = nullptr;
};

// ---- what a form provider does for MDI forms and children

bool IsMDIMainForm(const TCustomForm* form) noexcept;
bool IsMDIChildForm(const TCustomForm* form) noexcept;
// The MDI main form's provider when it exists and neither it nor its form is being destroyed.
TsSkinProvider* LiveMDISkinProvider() noexcept;
// The active child of an MDI main form while it is maximised; nullptr otherwise, and for a
// hidden child (the client still names it active and maximised, but it shows nothing) once its
// hiding is over.
TCustomForm* MaximizedMDIChild(const TCustomForm* main);
// The maximised child's restore button in the main form's menu line can be pressed: the child
// shows one and its own system menu, when it is skinned, lets it be restored.
bool MaximizedMDIChildRestorable(const TCustomForm* main);
// An MDI child's provider goes: a child with a menu of its own leaves it on the main form's line.
void MDIChildProviderGone(const TsSkinProvider& child);
// An MDI child's window went while its provider was not skinned: the skinned main form repaints
// its frame, and its client when no child is left active.
void MDIChildWindowGone(const TsSkinProvider& child);
