#include "skin/controls/sHintManager.h"

#include "skin/controls/sHintWindows.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/sSkinManager.h"
#include "vcl/TypInfo.h"

#include <optional>

template <>
struct ks::EnumTraits<TsHintStyle> {
    static constexpr const char* Names[] = {"hsSimply", "hsComics", "hsEllipse", "hsBalloon", "hsStandard", "hsNone"};
};
template <>
struct ks::EnumTraits<TsHintsPredefinitions> {
    static constexpr const char* Names[] = {"shSimply",         "shGradient",          "shTransparent", "shEllipse",
                                            "shBalloon",        "shComicsGradient",    "shComicsTransparent",
                                            "shStandard",       "shNone",              "shCustom"};
};
template <>
struct ks::EnumTraits<TsMousePosition> {
    static constexpr const char* Names[] = {"mpLeftTop", "mpLeftBottom", "mpRightTop", "mpRightBottom"};
};

TsHintManager* ActiveHintManager = nullptr;
TFrame* HintFrame = nullptr;

namespace {

using K = TsHintKind;
const ks::PropertyInfo HintKindProps[] = {
    ks::Prop<&K::ShadowEnabled, &K::SetShadowEnabled>("ShadowEnabled").DefaultIs(false),
    ks::Prop<&K::MarginV, &K::SetMarginV>("MarginV").DefaultIs(10),
    ks::Prop<&K::TexturePercent, &K::SetTexturePercent>("TexturePercent").DefaultIs(0),
    ks::Prop<&K::ShadowBlur, &K::SetShadowBlur>("ShadowBlur").DefaultIs(0),
    ks::Prop<&K::Transparency, &K::SetTransparency>("Transparency").DefaultIs(0),
    ks::Prop<&K::GradientPercent, &K::SetGradientPercent>("GradientPercent").DefaultIs(0),
    ks::Prop<&K::MarginH, &K::SetMarginH>("MarginH").DefaultIs(15),
    ks::Prop<&K::ExOffset, &K::SetExOffset>("ExOffset").DefaultIs(32),
    ks::Prop<&K::ShadowTransparency, &K::SetShadowTransparency>("ShadowTransparency").DefaultIs(0),
    ks::Prop<&K::ShadowOffset, &K::SetShadowOffset>("ShadowOffset").DefaultIs(0),
    ks::Prop<&K::BevelWidth, &K::SetBevelWidth>("BevelWidth").DefaultIs(1),
    ks::Prop<&K::MaxWidth, &K::SetMaxWidth>("MaxWidth").DefaultIs(200),
    ks::Prop<&K::Radius, &K::SetRadius>("Radius").DefaultIs(20),
    ks::Prop<&K::Bevel, &K::SetBevel>("Bevel").DefaultIs(0),
    ks::Prop<&K::GradientData, &K::SetGradientData>("GradientData"),
    ks::Prop<&K::TextureFile, &K::SetTextureFile>("TextureFile"),
    ks::Prop<&K::ColorBorderTop, &K::SetColorBorderTop>("ColorBorderTop").Idents("TColor").DefaultIs(0),
    ks::Prop<&K::ColorBorderBottom, &K::SetColorBorderBottom>("ColorBorderBottom").Idents("TColor").DefaultIs(0),
    ks::Prop<&K::Color, &K::SetColor>("Color").Idents("TColor").DefaultIs(0),
    ks::Prop<&K::ShadowColor, &K::SetShadowColor>("ShadowColor").Idents("TColor").DefaultIs(0),
    ks::Prop<&K::Font>("Font"),
    ks::Prop<&K::Texture>("Texture"),
    ks::Prop<&K::Style, &K::SetStyle>("Style").DefaultIs(hsEllipse),
    ks::Prop<&K::Blur, &K::SetBlur>("Blur").DefaultIs(0),
};

using M = TsHintManager;
const ks::PropertyInfo HintManagerProps[] = {
    ks::Prop<&M::PauseHide, &M::SetPauseHide>("PauseHide").DefaultIs(5000),
    ks::Prop<&M::HTMLMode, &M::SetHTMLMode>("HTMLMode").DefaultIs(false),
    ks::Prop<&M::Predefinitions, &M::SetPredefinitions>("Predefinitions").DefaultIs(shEllipse),
    ks::Prop<&M::OnShowHint, &M::SetOnShowHint>("OnShowHint"),
    ks::Prop<&M::HintKind>("HintKind"),
    ks::Prop<&M::DefaultMousePos, &M::SetDefaultMousePos>("DefaultMousePos").DefaultIs(mpLeftTop),
    ks::Prop<&M::Animated, &M::SetAnimated>("Animated").DefaultIs(true),
    ks::Prop<&M::SkinSection, &M::SetSkinSection>("SkinSection"),
    ks::Prop<&M::UseSkinData, &M::SetUseSkinData>("UseSkinData").DefaultIs(false),
};

bool Designing(const TComponent& c) noexcept
{
    return c.ComponentState().Contains(csDesigning);
}

// One styled preset: every value the preset sets, nothing where it leaves the value alone.
struct Preset {
    TsHintsPredefinitions Kind;
    int BevelWidth;
    std::optional<int> ExOffset;
    int MarginH, MarginV, MaxWidth;
    std::optional<int> Radius;
    TColor Color;
    int Transparency;
    TColor ColorBorderTop, ColorBorderBottom;
    int Bevel, GradientPercent;
    const char* GradientData;
    int ShadowBlur, ShadowOffset, ShadowTransparency;
    TsHintStyle Style;
};

constexpr const char* G1 = "167827;6865090;24;2;0;6865090;6865090;24;2;0;6865090;15400959;24;2;0;15400959;"
                           "6865090;24;2;0;6865090;6865090;0;2;0";
constexpr const char* G2 = "7728127;16777215;99;0;0;16777215;16777215;0;0;0";
constexpr const char* G3 = "16753188;16777215;99;0;0;16777215;16777215;0;0;0";

constexpr Preset Presets[] = {
    {shSimply, 1, {}, 4, 2, 240, {}, clInfoBk, 0, 0, 0, 1, 0, "", 3, 6, 40, hsSimply},
    {shGradient, 1, {}, 6, 3, 240, {}, 0xB6FCFA, 10, 0xFFFFFF, 0x008080, 1, 100, G1, 5, 6, 50, hsSimply},
    {shTransparent, 0, {}, 13, 5, 240, {}, 0xB6FCFA, 20, 0xFFFFFF, 0x008080, 1, 0, "", 3, 10, 70, hsSimply},
    {shEllipse, 1, 16, 6, 12, 240, {}, 0xC2FCFC, 5, 0x008080, 0, 1, 100, G2, 4, 16, 75, hsEllipse},
    {shBalloon, 6, 18, 6, 6, 240, {}, 0xC2FCFC, 10, 0x408080, 0x408080, 1, 0, "", 6, 8, 70, hsBalloon},
    {shComicsGradient, 1, 24, 15, 7, 180, 21, 0xFFB44F, 8, 0x400000, 0x400000, 1, 100, G3, 10, 7, 28, hsComics},
    {shComicsTransparent, 1, 19, 15, 8, 180, 13, 0xC2FCFC, 10, 0, 0, 1, 0, "", 4, 7, 45, hsComics},
};

// The frame waiting to be shown is watched, so that its owner may free it first.
std::unique_ptr<ks::ComponentWatch> FrameWatch;

} // namespace

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo TsHintKind::StaticClassInfo{"TsHintKind", &TPersistent::StaticClassInfo, HintKindProps, {}};
const ks::ClassInfo& TsHintKind::ClassInfo() const noexcept { return StaticClassInfo; }

TsHintKind::TsHintKind(TsHintManager* owner)
    : FOwner(owner), FFont(std::make_unique<TFont>()), FTexture(std::make_unique<TPicture>())
{
}

TsHintKind::~TsHintKind() = default;

TPersistent* TsHintKind::GetOwner() const { return FOwner; }

bool TsHintKind::ShadowEnabled() const
{
    return FShadowEnabled && !(FOwner && FOwner->IsSkinned());
}

void TsHintKind::SetStyle(TsHintStyle value)
{
    FStyle = value;
    if (FOwner)
        FOwner->SetHintWindowClass(value);
}

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo TsHintManager::StaticClassInfo{"TsHintManager", &TComponent::StaticClassInfo, HintManagerProps, {}};
const ks::ClassInfo& TsHintManager::ClassInfo() const noexcept { return StaticClassInfo; }

TsHintManager::TsHintManager(TComponent* owner)
    : TComponent(owner), FHintKind(std::make_unique<TsHintKind>(this)), FHintBitmap(NewBitmap24(0, 0))
{
    Application->SetHintPause(500);
    Application->SetHintShortPause(200);
    if (!Designing(*this))
        Application->SetOnShowHint(TShowHintEvent(this, &TsHintManager::AppShowHint));
}

TsHintManager::~TsHintManager() = default;

void TsHintManager::AfterConstruction()
{
    TComponent::AfterConstruction();
    if (FSkinSection.empty())
        FSkinSection = "HINT";
    SetHintWindowClass(FHintKind->Style());
}

void TsHintManager::Loaded()
{
    TComponent::Loaded();
    Application->SetHintHidePause(FPauseHide);
    if (FSkinSection.empty())
        FSkinSection = "HINT";
    SetHintWindowClass(FHintKind->Style());
    if (!Designing(*this))
        ApplyPredefinitions();
}

void TsHintManager::BeforeDestruction()
{
    // Another manager may have taken the hints over since: it keeps them and its event. Without
    // one, the platform's window comes back: a skinned window that no manager serves (hsNone)
    // would show nothing.
    if (ActiveHintManager == this || !ActiveHintManager) {
        ActiveHintManager = nullptr;
        Application->SetHintWindowClass(nullptr);
    }
    if (Application->OnShowHint() == TShowHintEvent(this, &TsHintManager::AppShowHint))
        Application->SetOnShowHint(nullptr);
    TComponent::BeforeDestruction();
}

void TsHintManager::SetPauseHide(int value)
{
    if (value == FPauseHide)
        return;
    FPauseHide = value;
    Application->SetHintHidePause(value);
}

void TsHintManager::SetUseSkinData(bool value)
{
    FUseSkinData = value;
    if (!value && !Designing(*this)) {
        SetHintWindowClass(FHintKind->Style());
        ApplyPredefinitions();
    }
}

void TsHintManager::SetHintWindowClass(TsHintStyle style)
{
    if (Designing(*this))
        return;
    THintWindowClass windowClass = &NewHintWindow<THintWindow>;
    TsHintManager* active = this;
    switch (style) {
    case hsSimply: windowClass = &NewHintWindow<TsSimplyHintWindow>; break;
    case hsComics: windowClass = &NewHintWindow<TsComicsHintWindow>; break;
    case hsEllipse: windowClass = &NewHintWindow<TsEllipseHintWindow>; break;
    case hsBalloon: windowClass = &NewHintWindow<TsBalloonHintWindow>; break;
    case hsStandard: active = nullptr; break;
    case hsNone:
        active = nullptr;
        windowClass = &NewHintWindow<TsSimplyHintWindow>;
        break;
    }
    ActiveHintManager = active;
    Application->SetHintWindowClass(windowClass);
}

void TsHintManager::AppShowHint(std::wstring& hintStr, bool& canShow, THintInfo& hintInfo)
{
    HintPos = hintInfo.HintPos;
    if (!FOnShowHint)
        return;
    const TPoint before = hintInfo.HintPos;
    TFrame* frame = HintFrame;
    // The handler may free this manager; the hint's frame is the process's, not the manager's.
    ks::ComponentWatch self;
    self.Watch(this);
    FOnShowHint(hintStr, canShow, hintInfo, frame);
    if (frame != HintFrame)
        SetHintFrame(frame);
    if (self.Alive(this) && hintInfo.HintPos.X != before.X && hintInfo.HintPos.Y != before.Y)
        HintPos = hintInfo.HintPos;
    // A frame for a hint that will not show would otherwise wait for the next one.
    if (!canShow)
        FreeHintFrame();
}

void TsHintManager::ApplyPredefinitions()
{
    TsHintKind& k = *FHintKind;
    switch (FPredefinitions) {
    case shStandard: k.SetStyle(hsStandard); return;
    case shNone: k.SetStyle(hsNone); return;
    case shCustom: return;
    default: break;
    }
    for (const Preset& p : Presets) {
        if (p.Kind != FPredefinitions)
            continue;
        k.SetShadowEnabled(true);
        k.Font()->Assign(Screen->HintFont());
        k.Font()->SetStyle({});
        k.Font()->SetColor(0);
        k.SetBevelWidth(p.BevelWidth);
        if (p.ExOffset)
            k.SetExOffset(*p.ExOffset);
        k.SetMarginH(p.MarginH);
        k.SetMarginV(p.MarginV);
        k.SetMaxWidth(p.MaxWidth);
        if (p.Radius)
            k.SetRadius(*p.Radius);
        k.SetColor(p.Color);
        k.SetTransparency(p.Transparency);
        k.SetColorBorderTop(p.ColorBorderTop);
        k.SetColorBorderBottom(p.ColorBorderBottom);
        k.SetBevel(p.Bevel);
        k.SetGradientPercent(p.GradientPercent);
        k.SetGradientData(p.GradientData);
        k.SetShadowBlur(p.ShadowBlur);
        k.SetShadowOffset(p.ShadowOffset);
        k.SetShadowTransparency(p.ShadowTransparency);
        k.SetStyle(p.Style);
        return;
    }
}

bool TsHintManager::IsSkinned() const
{
    return ActiveHintManager && DefaultSkinManager && FUseSkinData && !FSkinSection.empty() &&
           DefaultSkinManager->FindSection(FSkinSection) >= 0;
}

// ---------------------------------------------------------------------------------------------
void SetHintFrame(TFrame* frame)
{
    HintFrame = frame;
    FrameWatch.reset();
    if (frame) {
        FrameWatch = std::make_unique<ks::ComponentWatch>();
        FrameWatch->Watch(frame);
    }
}

TFrame* WaitingHintFrame()
{
    if (HintFrame && !(FrameWatch && FrameWatch->Alive(HintFrame)))
        SetHintFrame(nullptr);
    return HintFrame;
}

void FreeHintFrame()
{
    if (TFrame* frame = WaitingHintFrame()) {
        SetHintFrame(nullptr);
        frame->Free();
    }
}

void InitializeSHintManagerUnit()
{
    RegisterClasses<TsHintManager>();
}
