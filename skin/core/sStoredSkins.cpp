#include "skin/core/sStoredSkins.h"

#include "vcl/FormStreaming.h"
#include "vcl/TypInfo.h"

template <>
struct ks::EnumTraits<TacAnimType> {
    static constexpr const char* Names[] = {"atFading", "atAero"};
};
template <>
struct ks::EnumTraits<TacBtnEvent> {
    static constexpr const char* Names[] = {"beMouseEnter", "beMouseLeave", "beMouseDown", "beMouseUp"};
};
template <>
struct ks::EnumTraits<TacImgType> {
    static constexpr const char* Names[] = {"itisaBorder", "itisaTexture", "itisaGlyph", "itisaGlow", "itisaPngGlyph"};
};

namespace {

using G = TsSkinGeneral;
const ks::PropertyInfo GeneralProps[] = {
    ks::Prop<&G::SectionName, &G::SetSectionName>("SectionName"),
    ks::Prop<&G::ParentClass, &G::SetParentClass>("ParentClass"),
    ks::Prop<&G::Color, &G::SetColor>("Color").Idents("TColor"),
    ks::Prop<&G::ReservedBoolean, &G::SetReservedBoolean>("ReservedBoolean"),
    ks::Prop<&G::FontColor, &G::SetFontColor>("FontColor"),
    ks::Prop<&G::HotFontColor, &G::SetHotFontColor>("HotFontColor"),
    ks::Prop<&G::Transparency, &G::SetTransparency>("Transparency"),
    ks::Prop<&G::GlowCount, &G::SetGlowCount>("GlowCount"),
    ks::Prop<&G::GlowMargin, &G::SetGlowMargin>("GlowMargin"),
    ks::Prop<&G::GradientPercent, &G::SetGradientPercent>("GradientPercent"),
    ks::Prop<&G::GradientData, &G::SetGradientData>("GradientData"),
    ks::Prop<&G::ImagePercent, &G::SetImagePercent>("ImagePercent"),
    ks::Prop<&G::ShowFocus, &G::SetShowFocus>("ShowFocus"),
    ks::Prop<&G::FadingEnabled, &G::SetFadingEnabled>("FadingEnabled"),
    ks::Prop<&G::FadingIterations, &G::SetFadingIterations>("FadingIterations"),
    ks::Prop<&G::HotColor, &G::SetHotColor>("HotColor").Idents("TColor"),
    ks::Prop<&G::HotTransparency, &G::SetHotTransparency>("HotTransparency"),
    ks::Prop<&G::HotGradientPercent, &G::SetHotGradientPercent>("HotGradientPercent"),
    ks::Prop<&G::HotGradientData, &G::SetHotGradientData>("HotGradientData"),
    ks::Prop<&G::HotImagePercent, &G::SetHotImagePercent>("HotImagePercent"),
    ks::Prop<&G::Name, &G::SetName>("Name"),
    ks::Prop<&G::GiveOwnFont, &G::SetGiveOwnFont>("GiveOwnFont"),
};

using I = TsSkinImage;
const ks::PropertyInfo ImageProps[] = {
    ks::Prop<&I::SectionName, &I::SetSectionName>("SectionName"),
    ks::Prop<&I::Image>("Image"),
    ks::Prop<&I::Name, &I::SetName>("Name"),
    ks::Prop<&I::PropertyName, &I::SetPropertyName>("PropertyName"),
    ks::Prop<&I::Left, &I::SetLeft>("Left"),
    ks::Prop<&I::Top, &I::SetTop>("Top"),
    ks::Prop<&I::Right, &I::SetRight>("Right"),
    ks::Prop<&I::Bottom, &I::SetBottom>("Bottom"),
    ks::Prop<&I::ImageCount, &I::SetImageCount>("ImageCount"),
    ks::Prop<&I::MaskType, &I::SetMaskType>("MaskType"),
    ks::Prop<&I::BorderWidth, &I::SetBorderWidth>("BorderWidth"),
    ks::Prop<&I::StretchMode, &I::SetStretchMode>("StretchMode"),
    ks::Prop<&I::ImgType, &I::SetImgType>("ImgType"),
    ks::Prop<&I::WL, &I::SetWL>("WL"),
    ks::Prop<&I::WR, &I::SetWR>("WR"),
    ks::Prop<&I::WT, &I::SetWT>("WT"),
    ks::Prop<&I::WB, &I::SetWB>("WB"),
};

using P = TsSkinPattern;
const ks::PropertyInfo PatternProps[] = {
    ks::Prop<&P::SectionName, &P::SetSectionName>("SectionName"),
    ks::Prop<&P::Image>("Image"),
    ks::Prop<&P::Name, &P::SetName>("Name"),
    ks::Prop<&P::PropertyName, &P::SetPropertyName>("PropertyName"),
};

using S = TsStoredSkin;
const ks::PropertyInfo StoredSkinProps[] = {
    ks::Prop<&S::Name, &S::SetName>("Name"),
    ks::Prop<&S::GeneralData>("GeneralData"),
    ks::Prop<&S::Images>("Images"),
    ks::Prop<&S::Patterns>("Patterns"),
    ks::Prop<&S::MasterBitmap>("MasterBitmap"),
    ks::Prop<&S::Shadow1Color, &S::SetShadow1Color>("Shadow1Color").Idents("TColor"),
    ks::Prop<&S::Shadow1Offset, &S::SetShadow1Offset>("Shadow1Offset"),
    ks::Prop<&S::Shadow1Blur, &S::SetShadow1Blur>("Shadow1Blur"),
    ks::Prop<&S::Shadow1Transparency, &S::SetShadow1Transparency>("Shadow1Transparency"),
    ks::Prop<&S::BorderColor, &S::SetBorderColor>("BorderColor").Idents("TColor"),
    ks::Prop<&S::Version, &S::SetVersion>("Version"),
    ks::Prop<&S::Author, &S::SetAuthor>("Author"),
    ks::Prop<&S::Description, &S::SetDescription>("Description"),
};

const ks::PropertyInfo BtnEffectsProps[] = {
    ks::Prop<&TacBtnEffects::Events, &TacBtnEffects::SetEvents>("Events")
        .DefaultIs(TacBtnEvents{beMouseEnter, beMouseLeave, beMouseDown, beMouseUp}),
};

using A = TacFormAnimation;
const ks::PropertyInfo FormAnimationProps[] = {
    ks::Prop<&A::Active, &A::SetActive>("Active").DefaultIs(true),
    ks::Prop<&A::Time, &A::SetTime>("Time").DefaultIs(0),
};
const ks::PropertyInfo FormShowProps[] = {
    ks::Prop<&A::Mode, &A::SetMode>("Mode").DefaultIs(atAero),
};
const ks::PropertyInfo DialogShowProps[] = {
    ks::Prop<&A::Time, &A::SetTime>("Time").DefaultIs(0),
    ks::Prop<&A::Mode, &A::SetMode>("Mode").DefaultIs(atAero),
};
const ks::PropertyInfo SkinChangingProps[] = {
    ks::Prop<&A::Time, &A::SetTime>("Time").DefaultIs(100),
    ks::Prop<&A::Mode, &A::SetMode>("Mode").DefaultIs(atFading),
};

using E = TacAnimEffects;
const ks::PropertyInfo AnimEffectsProps[] = {
    ks::Prop<&E::Buttons>("Buttons"),
    ks::Prop<&E::DialogShow>("DialogShow"),
    ks::Prop<&E::FormShow>("FormShow"),
    ks::Prop<&E::PageChange>("PageChange"),
    ks::Prop<&E::SkinChanging>("SkinChanging"),
};

using M = TacMenuSupport;
const ks::PropertyInfo MenuSupportProps[] = {
    ks::Prop<&M::IcoLineSkin, &M::SetIcoLineSkin>("IcoLineSkin"),
    ks::Prop<&M::UseExtraLine, &M::SetUseExtraLine>("UseExtraLine").DefaultIs(false),
    ks::Prop<&M::ExtraLineWidth, &M::SetExtraLineWidth>("ExtraLineWidth").DefaultIs(32),
    ks::Prop<&M::ExtraLineFont>("ExtraLineFont"),
};

// Published in the order stored forms list them, which is not the order of the kind indexes.
using T = ThirdPartyList;
const ks::PropertyInfo ThirdPartyProps[] = {
    ks::Prop<&T::Text<tkEdit>, &T::SetText<tkEdit>>("ThirdEdits"),
    ks::Prop<&T::Text<tkButton>, &T::SetText<tkButton>>("ThirdButtons"),
    ks::Prop<&T::Text<tkBitBtn>, &T::SetText<tkBitBtn>>("ThirdBitBtns"),
    ks::Prop<&T::Text<tkCheckBox>, &T::SetText<tkCheckBox>>("ThirdCheckBoxes"),
    ks::Prop<&T::Text<tkGroupBox>, &T::SetText<tkGroupBox>>("ThirdGroupBoxes"),
    ks::Prop<&T::Text<tkListView>, &T::SetText<tkListView>>("ThirdListViews"),
    ks::Prop<&T::Text<tkPanel>, &T::SetText<tkPanel>>("ThirdPanels"),
    ks::Prop<&T::Text<tkGrid>, &T::SetText<tkGrid>>("ThirdGrids"),
    ks::Prop<&T::Text<tkTreeView>, &T::SetText<tkTreeView>>("ThirdTreeViews"),
    ks::Prop<&T::Text<tkComboBox>, &T::SetText<tkComboBox>>("ThirdComboBoxes"),
    ks::Prop<&T::Text<tkWWEdit>, &T::SetText<tkWWEdit>>("ThirdWWEdits"),
    ks::Prop<&T::Text<tkVirtualTree>, &T::SetText<tkVirtualTree>>("ThirdVirtualTrees"),
    ks::Prop<&T::Text<tkGridEh>, &T::SetText<tkGridEh>>("ThirdGridEh"),
    ks::Prop<&T::Text<tkPageControl>, &T::SetText<tkPageControl>>("ThirdPageControl"),
    ks::Prop<&T::Text<tkTabControl>, &T::SetText<tkTabControl>>("ThirdTabControl"),
    ks::Prop<&T::Text<tkToolBar>, &T::SetText<tkToolBar>>("ThirdToolBar"),
    ks::Prop<&T::Text<tkStatusBar>, &T::SetText<tkStatusBar>>("ThirdStatusBar"),
    ks::Prop<&T::Text<tkSpeedButton>, &T::SetText<tkSpeedButton>>("ThirdSpeedButton"),
};

} // namespace

const ks::ClassInfo TsSkinGeneral::StaticClassInfo{"TsSkinGeneral", &TCollectionItem::StaticClassInfo, GeneralProps, {}};
const ks::ClassInfo& TsSkinGeneral::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsSkinImage::StaticClassInfo{"TsSkinImage", &TCollectionItem::StaticClassInfo, ImageProps, {}};
const ks::ClassInfo& TsSkinImage::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsSkinPattern::StaticClassInfo{"TsSkinPattern", &TCollectionItem::StaticClassInfo, PatternProps, {}};
const ks::ClassInfo& TsSkinPattern::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsSkinGenerals::StaticClassInfo{"TsSkinGenerals", &TOwnedCollection::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsSkinGenerals::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsSkinImages::StaticClassInfo{"TsSkinImages", &TOwnedCollection::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsSkinImages::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsSkinPatterns::StaticClassInfo{"TsSkinPatterns", &TOwnedCollection::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsSkinPatterns::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsStoredSkin::StaticClassInfo{"TsStoredSkin", &TCollectionItem::StaticClassInfo, StoredSkinProps, {}};
const ks::ClassInfo& TsStoredSkin::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsStoredSkins::StaticClassInfo{"TsStoredSkins", &TOwnedCollection::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsStoredSkins::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TacBtnEffects::StaticClassInfo{"TacBtnEffects", &TPersistent::StaticClassInfo, BtnEffectsProps, {}};
const ks::ClassInfo& TacBtnEffects::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TacFormAnimation::StaticClassInfo{"TacFormAnimation", &TPersistent::StaticClassInfo, FormAnimationProps, {}};
const ks::ClassInfo& TacFormAnimation::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TacFormShow::StaticClassInfo{"TacFormShow", &TacFormAnimation::StaticClassInfo, FormShowProps, {}};
const ks::ClassInfo& TacFormShow::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TacPageChange::StaticClassInfo{"TacPageChange", &TacFormAnimation::StaticClassInfo, {}, {}};
const ks::ClassInfo& TacPageChange::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TacDialogShow::StaticClassInfo{"TacDialogShow", &TacFormAnimation::StaticClassInfo, DialogShowProps, {}};
const ks::ClassInfo& TacDialogShow::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TacSkinChanging::StaticClassInfo{"TacSkinChanging", &TacFormAnimation::StaticClassInfo, SkinChangingProps, {}};
const ks::ClassInfo& TacSkinChanging::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TacAnimEffects::StaticClassInfo{"TacAnimEffects", &TPersistent::StaticClassInfo, AnimEffectsProps, {}};
const ks::ClassInfo& TacAnimEffects::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TacMenuSupport::StaticClassInfo{"TacMenuSupport", &TPersistent::StaticClassInfo, MenuSupportProps, {}};
const ks::ClassInfo& TacMenuSupport::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo ThirdPartyList::StaticClassInfo{"ThirdPartyList", &TPersistent::StaticClassInfo, ThirdPartyProps, {}};
const ks::ClassInfo& ThirdPartyList::ClassInfo() const noexcept { return StaticClassInfo; }

// ---- Items --------------------------------------------------------------------------------------

void TsSkinImage::SetName(const std::string& v)
{
    if (FName != v)
        FName = v;
}

void TsSkinPattern::SetName(const std::string& v)
{
    if (FName != v)
        FName = v;
}

TsStoredSkin::TsStoredSkin()
    : FGeneralData(std::make_unique<TsSkinGenerals>(this)),
      FImages(std::make_unique<TsSkinImages>(this)),
      FPatterns(std::make_unique<TsSkinPatterns>(this)),
      FMasterBitmap(std::make_unique<TBitmap>()),
      FData(std::make_unique<TMemoryStream>())
{
}

TsStoredSkin::~TsStoredSkin() = default;

void TsStoredSkin::SetName(const std::wstring& v)
{
    if (FName != v)
        FName = v;
}

void TsStoredSkin::Assign(const TPersistent* source)
{
    const auto* skin = dynamic_cast<const TsStoredSkin*>(source);
    if (!skin) {
        TCollectionItem::Assign(source);
        return;
    }
    TMemoryStream data;
    data.WriteBuffer(skin->FData->Memory(), static_cast<size_t>(skin->FData->Size()));
    FData->LoadFromStream(data);
    FName = skin->FName;
    FGeneralData->Assign(skin->FGeneralData.get());
    FImages->Assign(skin->FImages.get());
    FPatterns->Assign(skin->FPatterns.get());
    FMasterBitmap->Assign(skin->FMasterBitmap.get());
    FShadow1Color = skin->FShadow1Color;
    FShadow1Offset = skin->FShadow1Offset;
    FShadow1Blur = skin->FShadow1Blur;
    FShadow1Transparency = skin->FShadow1Transparency;
    FBorderColor = skin->FBorderColor;
    FVersion = skin->FVersion;
    FAuthor = skin->FAuthor;
    FDescription = skin->FDescription;
}

void TsStoredSkin::DefineProperties(TFiler& filer)
{
    TCollectionItem::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](TStream& s) { FData->LoadFromStream(s); },
        [this](TStream& s) { FData->SaveToStream(s); }, true);
}

TsStoredSkins::TsStoredSkins(TPersistent* manager) : TOwnedCollection(manager, &NewCollectionItem<TsStoredSkin>)
{
}

int TsStoredSkins::IndexOf(std::wstring_view name) const noexcept
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name() == name)
            return i;
    return -1;
}

void TsStoredSkins::Assign(const TPersistent*) {}

// ---- Options --------------------------------------------------------------------------------------

TacAnimEffects::TacAnimEffects(TsSkinManager* manager)
    : FManager(manager),
      FButtons(std::make_unique<TacBtnEffects>(manager)),
      FDialogShow(std::make_unique<TacDialogShow>()),
      FFormShow(std::make_unique<TacFormShow>()),
      FPageChange(std::make_unique<TacPageChange>()),
      FSkinChanging(std::make_unique<TacSkinChanging>())
{
}

TacAnimEffects::~TacAnimEffects()
{
    // Freed in the order they were made.
    FButtons.reset();
    FDialogShow.reset();
    FFormShow.reset();
    FPageChange.reset();
    FSkinChanging.reset();
}

TacMenuSupport::TacMenuSupport() : FExtraLineFont(std::make_unique<TFont>()) {}
TacMenuSupport::~TacMenuSupport() = default;

void CopyForeignClassLists(ThirdPartyList& texts, TacThirdLists& lists, bool reset)
{
    for (int k = 0; k < ThirdKindCount; ++k) {
        if (reset || texts.TextOf(k).empty())
            texts.SetTextOf(k, std::string(DefaultThirdLists[static_cast<size_t>(k)]));
        lists[static_cast<size_t>(k)].SetText(texts.TextOf(k));
    }
}

void StoreForeignClassLists(ThirdPartyList& texts, const TacThirdLists& lists)
{
    for (int k = 0; k < ThirdKindCount; ++k)
        texts.SetTextOf(k, lists[static_cast<size_t>(k)].Text());
}
