#include "skin/forms/sSkinProvider.h"

#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/acCtrlAdapter.h"
#include "skin/forms/sMDIForm.h"
#include "vcl/Bitmap.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"
#include "vcl/WindowSubclass.h"

#include <utility>

const char* const ProviderOwnerText = "TsSkinProvider component may be used with forms only!";

TsSkinProvider* MDISkinProvider = nullptr;
TsSkinProvider* SysMenuProvider = nullptr;

namespace {

// The control kind of a form's skin data.
constexpr int ckSkinProvider = 224;

// Set by CreateProviderFlagged for the constructor it runs: the provider then waits for its
// form's first non-client message before it prepares anything, AfterConstruction included.
bool NextProviderFlagged = false;

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

// The provider's parts that hold the form's controls and scroll bars or call back into the
// provider (the border window): none outlives the provider's hold on the form. The scroll adapter
// gives the form's procedure back to the provider as it goes.
void DropFormParts(TsSkinProvider& provider)
{
    provider.SetBorderFormActive(false);
    delete std::exchange(provider.Adapter, nullptr);
    if (provider.ScrollAdapter)
        std::exchange(provider.ScrollAdapter, nullptr)->Free();
}

const ks::PropertyInfo ProviderProps[] = {
    ks::Prop<&TsSkinProvider::AddedTitle>("AddedTitle"),
    ks::Prop<&TsSkinProvider::AllowExtBorders, &TsSkinProvider::SetAllowExtBorders>("AllowExtBorders").DefaultIs(true),
    ks::Prop<&TsSkinProvider::CaptionAlignment, &TsSkinProvider::SetCaptionAlignment>("CaptionAlignment")
        .DefaultIs(taLeftJustify),
    ks::Prop<&TsSkinProvider::DrawNonClientArea, &TsSkinProvider::SetDrawNonClientArea>("DrawNonClientArea")
        .DefaultIs(true),
    ks::Prop<&TsSkinProvider::SkinData>("SkinData"),
    ks::Prop<&TsSkinProvider::GripMode, &TsSkinProvider::SetGripMode>("GripMode").DefaultIs(gmNone),
    ks::Prop<&TsSkinProvider::MakeSkinMenu, &TsSkinProvider::SetMakeSkinMenu>("MakeSkinMenu").DefaultIs(false),
    ks::Prop<&TsSkinProvider::MenuLineSkin, &TsSkinProvider::SetMenuLineSkin>("MenuLineSkin"),
    ks::Prop<&TsSkinProvider::ResizeMode, &TsSkinProvider::SetResizeMode>("ResizeMode").DefaultIs(rmStandard),
    ks::Prop<&TsSkinProvider::ScreenSnap, &TsSkinProvider::SetScreenSnap>("ScreenSnap").DefaultIs(false),
    ks::Prop<&TsSkinProvider::SnapBuffer, &TsSkinProvider::SetSnapBuffer>("SnapBuffer").DefaultIs(10),
    ks::Prop<&TsSkinProvider::ShowAppIcon, &TsSkinProvider::SetShowAppIcon>("ShowAppIcon").DefaultIs(true),
    ks::Prop<&TsSkinProvider::TitleButtons>("TitleButtons"),
    ks::Prop<&TsSkinProvider::TitleIcon>("TitleIcon"),
    ks::Prop<&TsSkinProvider::TitleSkin, &TsSkinProvider::SetTitleSkin>("TitleSkin"),
    ks::Prop<&TsSkinProvider::UseGlobalColor, &TsSkinProvider::SetUseGlobalColor>("UseGlobalColor").DefaultIs(true),
    ks::Prop<&TsSkinProvider::OnExtHitTest, &TsSkinProvider::SetOnExtHitTest>("OnExtHitTest"),
    ks::Prop<&TsSkinProvider::OnSkinItem, &TsSkinProvider::SetOnSkinItem>("OnSkinItem"),
};

} // namespace

const ks::ClassInfo TsSkinProvider::StaticClassInfo{"TsSkinProvider", &TComponent::StaticClassInfo, ProviderProps, {}};
const ks::ClassInfo& TsSkinProvider::ClassInfo() const noexcept { return StaticClassInfo; }

TsSkinProvider::TsSkinProvider(TComponent* owner) : TComponent(owner)
{
    SetUpPending = std::exchange(NextProviderFlagged, false);
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
    NextProviderFlagged = true;
    try {
        return Create<TsSkinProvider>(owner);
    } catch (...) {
        NextProviderFlagged = false;
        throw;
    }
}

void TsSkinProvider::AfterConstruction()
{
    TComponent::AfterConstruction();
    TsSkinManager* manager = ProviderSkinManager();
    if (!Passive && !SetUpPending && manager && manager->Active())
        SetUpForm();
}

void TsSkinProvider::BeforeDestruction()
{
    StopTitleAnimations();
    // The system menu is an owned component: it goes with the others, while the form is whole.
    TComponent::BeforeDestruction();
    SystemMenu = nullptr;
}

void TsSkinProvider::Free()
{
    // The form, freeing itself, frees its components at once; it is never freed under its own
    // running code.
    if (Held() && !(Form && Form->ComponentState().Contains(csDestroying))) {
        // The form's next messages, and a provider made meanwhile, no longer meet this one;
        // one made meanwhile is not undone when this one is deleted later.
        if (Form && !Passive)
            ReleaseForm();
        if (!std::exchange(FFreePending, true))
            DeleteOnceFree([this] {
                if (FFreePending)
                    TComponent::Free();
            });
        return;
    }
    TComponent::Free();
}

void TsSkinProvider::ReleaseForm()
{
    // The provider stops acting on the form before it gives anything back: every step below may
    // repaint the form, and a repaint that reached this provider's painting would put the skin
    // back on it, its region first of all. Messages that still come through this provider pass.
    Passive = true;
    // Everything this provider put on the form goes with it: a provider made meanwhile finds
    // the controls unskinned, no border window and the form's own procedure, and takes them all.
    DropFormParts(*this);
    SetSysMenuStyle(false);
    RemoveSkinnedForm(Form);
    // Given back only while the form still calls this provider: whoever took the procedure
    // over later holds this provider's delegate as its own "old" and keeps the chain.
    if (Form->WindowProc() == TWndMethod(this, &TsSkinProvider::FormWndProc))
        Form->SetWindowProc(OldWndProc);
    // The skin's shape would otherwise stay on the form and cut it when it grows.
    const HWND wnd = FormWnd();
    if (wnd && !Form->ComponentState().Contains(csDestroying) && HaveBorder() && !RegionChanging)
        SetWindowRgn(wnd, nullptr, IsWindowVisible(wnd));
    MDIChildProviderGone(*this);
}

TsSkinProvider::~TsSkinProvider()
{
    // Destroyed with its form while held: the deferred Free is void, what else waited goes now.
    FFreePending = false;
    ForgetHolds();
    if (Form && !Passive)
        ReleaseForm();
    // A passive provider may have been given them all the same, through its settings.
    DropFormParts(*this);
    // The cover form calls back into this provider; it never outlives it.
    FreeCoverForm();
    // The client adapter calls back into this provider; it never outlives it.
    SetMDIFormSupport(false);
    delete TempBmp;
    delete MenuLineBmp;
    delete TitleCache;
    if (SysMenuProvider == this)
        SysMenuProvider = nullptr;
    delete FTitleIcon;
    delete FTitleButtons;
    delete FAddedTitle;
    delete FSkinData;
}

void TsSkinProvider::SectionChanged() noexcept
{
    delete TitleCache;
    TitleCache = nullptr;
    if (!Form || Passive || !FSkinData)
        return;
    ks::Guarded([&] {
        const ChangedSectionScope changed(FSkinData->SkinSection());
        BroadcastCommand(Form, SkinCommand(SKC_SECTION_CHANGED, 0));
    });
}

void TsSkinProvider::AssignTo(TPersistent* dest) const
{
    TComponent::AssignTo(dest);
}

void TsSkinProvider::Loaded()
{
    TComponent::Loaded();
    if (!Passive && !SetUpPending && ProviderSkinManager() && FSkinData->IsSkinActive())
        PrepareForm();
}

void TsSkinProvider::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == CoverForm) {
        CoverForm = nullptr;
        CoverFormProc = nullptr;
        return;
    }
    if (auto* manager = dynamic_cast<TsSkinManager*>(component)) {
        if (!FSkinData)
            return;
        if (operation == opInsert && !FSkinData->OwnSkinManager())
            FSkinData->SetSkinManager(manager);
        else if (operation == opRemove && FSkinData->OwnSkinManager() == manager)
            FSkinData->SetSkinManager(nullptr);
        return;
    }
    auto* control = dynamic_cast<TWinControl*>(component);
    if (control && operation == opInsert && Adapter && Adapter->IsControlSupported(control))
        Adapter->AddItem(control);
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

// ---- what the show animations and the redraw lock ask

TBitmap* TsSkinProvider::FormImage() const noexcept
{
    return FSkinData ? FSkinData->CacheBitmap.get() : nullptr;
}

ks::AnimatedBorderForm* TsSkinProvider::AnimatedBorderWindow() const noexcept
{
    return BorderForm;
}

HWND TsSkinProvider::BorderWindow() const noexcept
{
    return BorderForm ? BorderForm->WindowHandle() : nullptr;
}

void TsSkinProvider::ShapeBorderWindow()
{
    const HWND wnd = BorderWindow();
    if (!wnd)
        return;
    // The window takes the region; no repaint while the lock holds painting back.
    SetWindowRgn(wnd, BorderForm->MakeRgn().release(), FALSE);
}

// The redraw lock calls these from outside, and each may repaint the form and run its OnPaint.
// The border window's own update and procedure keep this provider while they run; the region
// is set from here, and the repaint that brings may free this provider before it is done.

void TsSkinProvider::ShowBorderWindow()
{
    UpdateBorderWindowIfAny();
}

void TsSkinProvider::UpdateRegion()
{
    const Hold hold(this);
    // A provider that let its form go leaves the form's shape alone.
    if (Passive)
        return;
    MakeRegionRects();
    ApplyRegion(true);
}
