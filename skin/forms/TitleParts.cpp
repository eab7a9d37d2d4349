#include "skin/forms/TitleParts.h"

#include "skin/forms/TitleAnimation.h"

#include "vcl/Bitmap.h"
#include "vcl/Graphics.h"
#include "vcl/Hints.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

namespace {

const char* const TitleButtonAssignNilText = "Cannot assign a TsTitleButton to nothing";

bool ProviderLoading(const TsSkinProvider* provider) noexcept
{
    return provider && (provider->ComponentState().Contains(csLoading) ||
                        provider->ComponentState().Contains(csReading));
}

const ks::PropertyInfo TitleIconProps[] = {
    ks::Prop<&TsTitleIcon::Glyph>("Glyph"),
    ks::Prop<&TsTitleIcon::Height, &TsTitleIcon::SetHeight>("Height").DefaultIs(0),
    ks::Prop<&TsTitleIcon::Width, &TsTitleIcon::SetWidth>("Width").DefaultIs(0),
};

const ks::PropertyInfo TitleButtonProps[] = {
    ks::Prop<&TsTitleButton::UseSkinData, &TsTitleButton::SetUseSkinData>("UseSkinData").DefaultIs(true),
    ks::Prop<&TsTitleButton::Name, &TsTitleButton::SetName>("Name"),
    ks::Prop<&TsTitleButton::Glyph>("Glyph"),
    ks::Prop<&TsTitleButton::OnMouseUp, &TsTitleButton::SetOnMouseUp>("OnMouseUp"),
    ks::Prop<&TsTitleButton::OnMouseDown, &TsTitleButton::SetOnMouseDown>("OnMouseDown"),
    ks::Prop<&TsTitleButton::Enabled, &TsTitleButton::SetEnabled>("Enabled").DefaultIs(true),
    ks::Prop<&TsTitleButton::Hint, &TsTitleButton::SetHint>("Hint"),
    ks::Prop<&TsTitleButton::Visible, &TsTitleButton::SetVisible>("Visible").DefaultIs(true),
};

const ks::PropertyInfo AddedTitleProps[] = {
    ks::Prop<&TacAddedTitle::Text, &TacAddedTitle::SetText>("Text"),
    ks::Prop<&TacAddedTitle::Font>("Font"),
};

} // namespace

// ---- TsTitleIcon

const ks::ClassInfo TsTitleIcon::StaticClassInfo{"TsTitleIcon", &TPersistent::StaticClassInfo, TitleIconProps, {}};
const ks::ClassInfo& TsTitleIcon::ClassInfo() const noexcept { return StaticClassInfo; }

TsTitleIcon::TsTitleIcon() : FGlyph(std::make_unique<TBitmap>()) {}
TsTitleIcon::~TsTitleIcon() = default;

void TsTitleIcon::SetGlyph(const TBitmap* value)
{
    FGlyph->Assign(value);
}

// ---- TsTitleButton

const ks::ClassInfo TsTitleButton::StaticClassInfo{"TsTitleButton", &TCollectionItem::StaticClassInfo, TitleButtonProps, {}};
const ks::ClassInfo& TsTitleButton::ClassInfo() const noexcept { return StaticClassInfo; }

TsTitleButton::TsTitleButton() : FGlyph(std::make_unique<TBitmap>())
{
    FName = ClassName();
}

TsTitleButton::~TsTitleButton()
{
    // A glow still running for this button would paint from a freed record; the other
    // buttons' glows go on.
    if (BtnData.Animation)
        BtnData.Animation->Free();
    BtnData.Animation = nullptr;
    if (HintWnd)
        HintWnd->Free();
    HintWnd = nullptr;
}

void TsTitleButton::SetName(const std::string& value)
{
    if (value != FName)
        FName = value;
}

void TsTitleButton::SetGlyph(const TBitmap* value)
{
    FGlyph->Assign(value);
}

void TsTitleButton::SetVisible(bool value)
{
    if (value == FVisible)
        return;
    FVisible = value;
    if (TsSkinProvider* provider = Provider())
        provider->RefreshFormNC();
}

void TsTitleButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (FOnMouseDown)
        FOnMouseDown(this, button, shift, x, y);
}

void TsTitleButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (FOnMouseUp)
        FOnMouseUp(this, button, shift, x, y);
}

TsSkinProvider* TsTitleButton::Provider() const noexcept
{
    auto* buttons = dynamic_cast<TsTitleButtons*>(Collection());
    return buttons ? buttons->Provider : nullptr;
}

void TsTitleButton::AssignTo(TPersistent* dest) const
{
    if (!dest)
        throw EConvertError(TitleButtonAssignNilText);
    auto* button = dynamic_cast<TsTitleButton*>(dest);
    if (!button) {
        TCollectionItem::AssignTo(dest);
        return;
    }
    button->SetEnabled(FEnabled);
    button->SetGlyph(FGlyph.get());
    button->SetHint(FHint);
    button->SetName(FName);
    button->SetUseSkinData(FUseSkinData);
    button->SetOnMouseDown(FOnMouseDown);
    button->SetOnMouseUp(FOnMouseUp);
}

// ---- TsTitleButtons

const ks::ClassInfo TsTitleButtons::StaticClassInfo{"TsTitleButtons", &TCollection::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsTitleButtons::ClassInfo() const noexcept { return StaticClassInfo; }

TsTitleButtons::TsTitleButtons(TsSkinProvider* provider)
    : TCollection(&NewCollectionItem<TsTitleButton>), Provider(provider)
{
}

TsTitleButtons::~TsTitleButtons()
{
    Provider = nullptr;
}

TsTitleButton* TsTitleButtons::Items(int index) const
{
    return static_cast<TsTitleButton*>(TCollection::Items(index));
}

TPersistent* TsTitleButtons::GetOwner() const
{
    return Provider;
}

// ---- TacAddedTitle

const ks::ClassInfo TacAddedTitle::StaticClassInfo{"TacAddedTitle", &TPersistent::StaticClassInfo, AddedTitleProps, {}};
const ks::ClassInfo& TacAddedTitle::ClassInfo() const noexcept { return StaticClassInfo; }

TacAddedTitle::TacAddedTitle() : FFont(std::make_unique<TFont>())
{
    FFont->SetColor(AddedTitleNoColor);
}

TacAddedTitle::~TacAddedTitle() = default;

void TacAddedTitle::SetText(const std::wstring& value)
{
    FText = value;
    Changed();
}

void TacAddedTitle::SetFont(const TFont* value)
{
    FFont->Assign(value);
    Changed();
}

void TacAddedTitle::Changed()
{
    if (Provider && !ProviderLoading(Provider))
        Provider->RefreshFormNC();
}
