// TsMDIForm: the MDI client adapter of a skinned MDI main form.
#include "skin/forms/sMDIForm.h"

#include "skin/adapters/MDIClientAdapter.h"
#include "skin/core/sCommonData.h"
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
