#pragma once
// TsMDIForm: what a form provider keeps for an MDI main form: the skinned adapter of the form's
// MDI client window (TacMDIWnd, MDIClientAdapter.h), made and dropped with the skin.

#include "vcl/Classes.h"

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
