#include "skin/forms/sSkinProvider.h"

#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "skin/forms/TitleParts.h"
#include "vcl/Bitmap.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

const char* const ProviderOwnerText = "TsSkinProvider component may be used with forms only!";

TsSkinProvider* MDISkinProvider = nullptr;
TsSkinProvider* SysMenuProvider = nullptr;

namespace {

// The control kind of a form's skin data.
constexpr int ckSkinProvider = 224;

// The provider of the form among its own components that answers SKC_GET_PROVIDER; nullptr when
// the answer names none of them (it is never followed before it is found).
TsSkinProvider* AnsweringProvider(TCustomForm& form, const TsSkinProvider* except)
{
    const LRESULT answer = form.Perform(SM_SKINCMD, MAKEWPARAM(0, SKC_GET_PROVIDER), 0);
    if (answer == 0)
        return nullptr;
    for (int i = 0; i < form.ComponentCount(); ++i) {
        auto* p = dynamic_cast<TsSkinProvider*>(form.Components(i));
        if (p && p != except && reinterpret_cast<LRESULT>(p) == answer)
            return p;
    }
    return nullptr;
}

} // namespace

const ks::ClassInfo TsSkinProvider::StaticClassInfo{"TsSkinProvider", &TComponent::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsSkinProvider::ClassInfo() const noexcept { return StaticClassInfo; }

TsSkinProvider::TsSkinProvider(TComponent* owner) : TComponent(owner)
{
    auto* form = dynamic_cast<TCustomForm*>(owner);
    if (!form)
        throw EAbort(ProviderOwnerText);
    Form = form;
    Passive = false;
    // A provider that has not prepared its form yet gives way to this one; a provider that has
    // keeps the form, and this one stays passive.
    if (TsSkinProvider* other = AnsweringProvider(*form, this)) {
        if (other->SetUpPending)
            other->Free();
        else
            Passive = true;
    }
    Form = OwningForm(this);

    FSkinData = new TsCommonData(this, true);
    FSkinData->SetSkinSection("FORM");
    FSkinData->ControlKind = ckSkinProvider;
    if (Form && !Form->ControlState().Empty())
        FSkinData->SetUpdating(true);

    FAddedTitle = new TacAddedTitle();
    FAddedTitle->Provider = this;
    FTitleIcon = new TsTitleIcon();
    FTitleButtons = new TsTitleButtons(this);

    ButtonMin.HitCode = HTMINBUTTON;
    ButtonMax.HitCode = HTMAXBUTTON;
    ButtonClose.HitCode = HTCLOSE;
    ButtonHelp.HitCode = HTHELP;
    MDIMin.HitCode = HTMDIMIN;
    MDIMax.HitCode = HTMDIMAX;
    MDIClose.HitCode = HTMDICLOSE;

    if (!Form || Passive)
        return;
    TempBmp = new TBitmap();
    MenuLineBmp = NewBitmap24(0, 0).release();
    FirstSetUp = true;
    RegionRects.clear();
    MenuLineCountCache = -1;
    OldWndProc = Form->WindowProc();
    Form->SetWindowProc(TWndMethod(this, &TsSkinProvider::FormWndProc));
    AddSkinnedForm(Form);
    FormActive = true;
}

TsSkinProvider* TsSkinProvider::CreateProviderFlagged(TComponent* owner)
{
    auto* provider = Create<TsSkinProvider>(owner);
    provider->SetUpPending = true;
    return provider;
}

void TsSkinProvider::AfterConstruction()
{
    TComponent::AfterConstruction();
}

void TsSkinProvider::BeforeDestruction()
{
    TComponent::BeforeDestruction();
}

TsSkinProvider::~TsSkinProvider()
{
    if (Form && !Passive) {
        RemoveSkinnedForm(Form);
        // Given back only while the form still calls this provider: whoever took the procedure
        // over later holds this provider's delegate as its own "old" and keeps the chain.
        if (Form->WindowProc() == TWndMethod(this, &TsSkinProvider::FormWndProc))
            Form->SetWindowProc(OldWndProc);
        if (MDISkinProvider == this)
            MDISkinProvider = nullptr;
    }
    delete TempBmp;
    delete MenuLineBmp;
    delete TitleCache;
    if (SysMenuProvider == this)
        SysMenuProvider = nullptr;
    delete FTitleIcon;
    delete FTitleButtons;
    delete FAddedTitle;
    if (ScrollAdapter)
        ScrollAdapter->Free();
    delete FSkinData;
}

void TsSkinProvider::AssignTo(TPersistent* dest) const
{
    TComponent::AssignTo(dest);
}

void TsSkinProvider::Loaded()
{
    TComponent::Loaded();
}

void TsSkinProvider::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
}

TitleButtonRec* TsSkinProvider::TitleButtonByHitCode(int hitCode)
{
    switch (hitCode) {
    case HTMINBUTTON: return &ButtonMin;
    case HTMAXBUTTON: return &ButtonMax;
    case HTCLOSE: return &ButtonClose;
    case HTHELP: return &ButtonHelp;
    case HTMDICLOSE: return &MDIClose;
    case HTMDIMAX: return &MDIMax;
    case HTMDIMIN: return &MDIMin;
    default: break;
    }
    const int index = hitCode - HTUDBTN;
    if (index >= 0 && FTitleButtons && index < FTitleButtons->Count())
        return &FTitleButtons->Items(index)->BtnData;
    return nullptr;
}

TsSkinManager* TsSkinProvider::ProviderSkinManager() const noexcept
{
    return FSkinData ? FSkinData->SkinManager() : nullptr;
}
