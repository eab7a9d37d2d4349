// TsMDIForm: the MDI client adapter of a skinned MDI main form.
#include "skin/forms/sMDIForm.h"

#include "skin/adapters/MDIClientAdapter.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sStyleSimply.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Forms.h"
#include "vcl/TypInfo.h"

#include <utility>

const ks::ClassInfo TsMDIForm::StaticClassInfo{"TsMDIForm", &TPersistent::StaticClassInfo, {}, {}};

const ks::ClassInfo& TsMDIForm::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TsMDIForm::TsMDIForm(TsSkinProvider* provider) : SkinProvider(provider)
{
    Form = provider ? provider->Form : nullptr;
    if (Form)
        Form->HandleNeeded();
}

TsMDIForm::~TsMDIForm()
{
    ReleaseClient();
}

void TsMDIForm::AttachMDIClient()
{
    if (Form && !Form->ComponentState().Contains(csDesigning) && !MDIWnd)
        ConnectToClient();
}

void TsMDIForm::ConnectToClient()
{
    ReleaseClient();
    if (!SkinProvider || !Form || !Form->ClientHandle())
        return;
    TsCommonData* skinData = SkinProvider->SkinData();
    if (!skinData || !skinData->IsSkinActive(false))
        return;
    MDIWnd = TacMDIWnd::Create<TacMDIWnd>(Form->ClientHandle(), nullptr, skinData->SkinManager(), "CHECKBOX", true);
    MDIWnd->Form = Form;
    MDIWnd->FormSkinData = skinData;
    MDIWnd->Provider = SkinProvider;
    // A client already shown (under a provider made again) keeps the system's sunken edge until
    // its frame is painted once more: it is painted now.
    if (IsWindowVisible(Form->ClientHandle()))
        SendMessageW(Form->ClientHandle(), WM_NCPAINT, 1, 0);
}

void TsMDIForm::ReleaseClient() noexcept
{
    // The adapter made its own skin data and frees it itself.
    if (TacMDIWnd* adapter = std::exchange(MDIWnd, nullptr))
        adapter->Free();
}

void TsMDIForm::RefreshFormFrame()
{
    if (!SkinProvider || !Form)
        return;
    if (TsCommonData* skinData = SkinProvider->SkinData())
        skinData->BackgroundChanged = true;
    if (Form->HandleAllocated())
        SendMessageW(Form->HandleIfAllocated(), WM_NCPAINT, 0, 0);
}

bool IsMDIMainForm(const TCustomForm* form) noexcept
{
    return form && form->FormStyle() == fsMDIForm;
}

bool IsMDIChildForm(const TCustomForm* form) noexcept
{
    return form && form->FormStyle() == fsMDIChild;
}

TsSkinProvider* LiveMDISkinProvider() noexcept
{
    TsSkinProvider* main = MDISkinProvider;
    if (!main || main->ComponentState().Contains(csDestroying) || !main->Form ||
        main->Form->ComponentState().Contains(csDestroying))
        return nullptr;
    return main;
}

TCustomForm* MaximizedMDIChild(const TCustomForm* main)
{
    if (!IsMDIMainForm(main) || !main->ClientHandle())
        return nullptr;
    TCustomForm* active = main->ActiveMDIChild();
    // The stored flag, not the window's style: a redraw lock takes WS_VISIBLE off the window. A
    // child in the middle of being shown or hidden still counts.
    const bool shown = active && (active->Visible() || active->FormState().Contains(fsShowing));
    return shown && IsZoomed(active->HandleIfAllocated()) ? active : nullptr;
}

bool MaximizedMDIChildRestorable(const TCustomForm* main)
{
    TCustomForm* child = MaximizedMDIChild(main);
    if (!child)
        return false;
    // The button is the child's: the main form, maximised or not, has no say in it.
    auto* provider = dynamic_cast<TsSkinProvider*>(ProviderComponentOf(*child));
    return !provider || !provider->SystemMenu || provider->SystemMenu->EnabledRestore();
}

void MDIChildProviderGone(const TsSkinProvider& child)
{
    if (!IsMDIChildForm(child.Form) || !child.Form->Menu())
        return;
    if (TsSkinProvider* main = LiveMDISkinProvider())
        main->InvalidateNonClient();
}

void MDIChildWindowGone(const TsSkinProvider& child)
{
    TsSkinProvider* main = LiveMDISkinProvider();
    if (!IsMDIChildForm(child.Form) || !main || !main->MDIForm || !main->SkinData() || !main->SkinData()->IsSkinActive())
        return;
    main->InvalidateNonClient();
    if (!main->Form->ActiveMDIChild())
        if (const HWND client = main->Form->ClientHandle())
            RedrawWindow(client, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
}

void TsSkinProvider::SetMDIFormSupport(bool on)
{
    if (on) {
        MDISkinProvider = this;
        // A second call keeps the one adapter: the client window is adapted once.
        if (!MDIForm)
            MDIForm = new TsMDIForm(this);
        MDIForm->AttachMDIClient();
        return;
    }
    delete std::exchange(MDIForm, nullptr);
    if (MDISkinProvider == this)
        MDISkinProvider = nullptr;
}
