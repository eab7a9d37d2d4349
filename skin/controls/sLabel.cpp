#include "skin/controls/sLabel.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"
#include "vcl/WinControl.h"

#include <algorithm>

template <>
struct ks::EnumTraits<TsCaptionLayout> {
    static constexpr const char* Names[] = {"sclLeft", "sclTopLeft", "sclTopCenter", "sclTopRight"};
};

namespace {

const ks::PropertyInfo CustomLabelProps[] = {
    ks::Prop<&TsCustomLabel::SkinSection, &TsCustomLabel::SetSkinSection>("SkinSection"),
    // The constructor makes it transparent: an opaque label must be written to come back so.
    ks::Prop<&TCustomLabel::Transparent, &TCustomLabel::SetTransparent>("Transparent").DefaultIs(true),
};
const ks::PropertyInfo LabelProps[] = {
    ks::Prop<&TsLabel::UseSkinColor, &TsLabel::SetUseSkinColor>("UseSkinColor").DefaultIs(true),
};
const ks::PropertyInfo BoundLabelProps[] = {
    ks::Prop<&TsBoundLabel::Active, &TsBoundLabel::SetActive>("Active").DefaultIs(false),
    ks::Prop<&TsBoundLabel::Caption, &TsBoundLabel::SetCaption>("Caption"),
    ks::Prop<&TsBoundLabel::Indent, &TsBoundLabel::SetIndent>("Indent").DefaultIs(0),
    ks::Prop<&TsBoundLabel::Font>("Font"),
    ks::Prop<&TsBoundLabel::Layout, &TsBoundLabel::SetLayout>("Layout").DefaultIs(sclLeft),
    ks::Prop<&TsBoundLabel::MaxWidth, &TsBoundLabel::SetMaxWidth>("MaxWidth").DefaultIs(0),
    ks::Prop<&TsBoundLabel::UseSkinColor, &TsBoundLabel::SetUseSkinColor>("UseSkinColor").DefaultIs(true),
};

// Keeps a label's own font change, made while it paints, from coming back as a font change
// to handle.
bool LabelPaintGuard = false;

bool BeingDestroyed(const TComponent& c) noexcept
{
    return c.ComponentState().Contains(csDestroying);
}

bool LabelSkinActive() noexcept
{
    return DefaultSkinManager && !BeingDestroyed(*DefaultSkinManager) && DefaultSkinManager->SkinData.SkinActive;
}

} // namespace

const ks::ClassInfo TsCustomLabel::StaticClassInfo{"TsCustomLabel", &TCustomLabel::StaticClassInfo, CustomLabelProps, {}};
const ks::ClassInfo& TsCustomLabel::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsLabel::StaticClassInfo{"TsLabel", &TsCustomLabel::StaticClassInfo, LabelProps, {}};
const ks::ClassInfo& TsLabel::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsEditLabel::StaticClassInfo{"TsEditLabel", &TsLabel::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsEditLabel::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsBoundLabel::StaticClassInfo{"TsBoundLabel", &TPersistent::StaticClassInfo, BoundLabelProps, {}};
const ks::ClassInfo& TsBoundLabel::ClassInfo() const noexcept { return StaticClassInfo; }

// ---- TsCustomLabel --------------------------------------------------------------------------
TsCustomLabel::TsCustomLabel(TComponent* owner) : TCustomLabel(owner)
{
    SetTransparent(true);
}

void TsCustomLabel::SetSkinSection(const std::string& value)
{
    if (value == FSkinSection)
        return;
    FSkinSection = value;
    Repaint();
}

TFont* TsCustomLabel::GetCurrentFont()
{
    TFont* font = Font();
    if (!LabelSkinActive())
        return font;
    TsSkinManager* manager = DefaultSkinManager;
    const int index = GetParentSkinIndex(this, -1, manager);
    const TColor c = manager->SectionIndexValid(index)
                         ? manager->GeneralDataArray[static_cast<size_t>(index)].FontColor[0]
                         : manager->GlobalSectionFontColor();
    if (c != TransparentKeyColor && c != font->Color())
        font->SetColor(c);
    return font;
}

void TsCustomLabel::Paint()
{
    if (BeingDestroyed(*this))
        return;
    const bool skinned = LabelSkinActive();
    int index = -1;
    if (!LabelPaintGuard) {
        LabelPaintGuard = true;
        ks::ScopeExit release{[] { LabelPaintGuard = false; }};
        if (TFont* f = GetCurrentFont(); f != Font())
            Font()->Assign(f);
        if (!FSkinSection.empty() && skinned) {
            index = DefaultSkinManager->FindSection(FSkinSection);
            if (index >= 0) {
                const TColor c = DefaultSkinManager->GeneralDataArray[static_cast<size_t>(index)].FontColor[0];
                if (c != Font()->Color())
                    Font()->SetColor(c);
            }
        }
    } else if (!FSkinSection.empty() && skinned) {
        index = DefaultSkinManager->FindSection(FSkinSection);
    }
    if (index > 0 && Parent()) {
        BackgroundInfo info;
        info.R = {Left(), Top(), Left() + Width(), Top() + Height()};
        QueryParentBackground(info, Parent(), false);
        PaintSectionToDC(index, FSkinSection, CacheInfoFromBackground(info), true, 0, {0, 0, Width(), Height()},
                         {Left(), Top()}, Canvas().Handle(), DefaultSkinManager);
    }
    TCustomLabel::Paint();
}

void TsCustomLabel::DoDrawText(TRect& rect, UINT flags)
{
    if (Enabled() || !LabelSkinActive()) {
        TCustomLabel::DoDrawText(rect, flags);
        return;
    }
    std::wstring text = GetLabelText();
    if ((flags & DT_CALCRECT) && (text.empty() || (ShowAccelChar() && text == L"&")))
        text += L' ';
    if (!ShowAccelChar())
        flags |= DT_NOPREFIX;
    flags = DrawTextBiDiModeFlags(flags);
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    canvas.Font().SetColor(BlendColors(ColorToRGB(Font()->Color()), ColorToRGB(ControlBackColor(Parent())), 0.4));
    SetBkMode(canvas.Handle(), TRANSPARENT);
    canvas.DrawText(text, rect, flags);
}

void TsCustomLabel::WndProc(TMessage& message)
{
    if (message.Msg == CM_FONTCHANGED) {
        if (BeingDestroyed(*this) || LabelPaintGuard)
            return;
        AdjustBounds();
        Invalidate();
        return;
    }
    TCustomLabel::WndProc(message);
    if (message.Msg != SM_SKINCMD || BeingDestroyed(*this))
        return;
    ks::SkinCommandView view(message);
    if (view.Command() == SKC_REMOVE_SKIN && DefaultSkinManager && view.Manager() == DefaultSkinManager &&
        Font()->Color() != clWindowText)
        Font()->SetColor(clWindowText);
}

// ---- TsLabel --------------------------------------------------------------------------------
TsLabel::TsLabel(TComponent* owner) : TsCustomLabel(owner) {}

TFont* TsLabel::GetCurrentFont()
{
    if (!FUseSkinColor || BeingDestroyed(*this))
        return Font();
    return TsCustomLabel::GetCurrentFont();
}

void TsLabel::WndProc(TMessage& message)
{
    if (message.Msg == SM_SKINCMD) {
        ks::SkinCommandView view(message);
        if (view.Command() == SKC_REMOVE_SKIN && DefaultSkinManager && view.Manager() == DefaultSkinManager) {
            if (FUseSkinColor && !BeingDestroyed(*this) && Font()->Color() != clWindowText)
                Font()->SetColor(clWindowText);
            return;
        }
    }
    TsCustomLabel::WndProc(message);
}

// ---- TsEditLabel ----------------------------------------------------------------------------
TsEditLabel::TsEditLabel(TComponent* owner, TsBoundLabel* boundLabel) : TsLabel(owner), FBoundLabel(boundLabel) {}

TsEditLabel::~TsEditLabel()
{
    if (FBoundLabel && FBoundLabel->FTheLabel == this)
        FBoundLabel->FTheLabel = nullptr;
}

// ---- TsBoundLabel ---------------------------------------------------------------------------
TsBoundLabel::TsBoundLabel(TComponent* owner, TsCommonData* skinData)
    : FFont(std::make_unique<TFont>()), FOwner(owner), FSkinData(skinData)
{
}

TsBoundLabel::~TsBoundLabel()
{
    if (FTheLabel) {
        TsEditLabel* label = FTheLabel;
        label->FBoundLabel = nullptr;
        FTheLabel = nullptr;
        label->Free();
    }
}

TControl* TsBoundLabel::Edit() const noexcept
{
    return FSkinData ? FSkinData->OwnerControl : nullptr;
}

void TsBoundLabel::UpdateAlignment()
{
    if (!FTheLabel)
        return;
    switch (FLayout) {
    case sclLeft: FTheLabel->SetAlignment(taRightJustify); break;
    case sclTopLeft: FTheLabel->SetAlignment(taLeftJustify); break;
    case sclTopCenter: FTheLabel->SetAlignment(taCenter); break;
    case sclTopRight: FTheLabel->SetAlignment(taRightJustify); break;
    }
}

void TsBoundLabel::SetActive(bool value)
{
    if (value == FActive)
        return;
    FActive = value;
    TControl* edit = Edit();
    if (!value || !edit) {
        if (FTheLabel) {
            TsEditLabel* label = FTheLabel;
            FTheLabel = nullptr;
            label->FBoundLabel = nullptr;
            label->Free();
        }
        return;
    }
    if (!FTheLabel) {
        FTheLabel = Create<TsEditLabel>(edit, this);
        FTheLabel->Font()->Assign(FFont.get());
    }
    FTheLabel->SetVisible(false);
    FTheLabel->SetParent(edit->Parent());
    FTheLabel->SetFocusControl(dynamic_cast<TWinControl*>(edit));
    UpdateAlignment();
    FTheLabel->SetName(edit->Name() + "Label");
    if (FCaption.empty())
        FCaption = std::wstring(edit->Name().begin(), edit->Name().end());
    FTheLabel->SetCaption(FCaption);
    FTheLabel->SetVisible(edit->Visible());
    FTheLabel->SetEnabled(edit->Enabled());
    AlignLabel();
}

void TsBoundLabel::SetCaption(const std::wstring& value)
{
    if (value == FCaption)
        return;
    FCaption = value;
    if (FTheLabel)
        FTheLabel->SetCaption(value);
    if (FActive)
        AlignLabel();
}

void TsBoundLabel::SetIndent(int value)
{
    if (value == FIndent)
        return;
    FIndent = value;
    if (FActive)
        AlignLabel();
}

void TsBoundLabel::SetMaxWidth(int value)
{
    if (value == FMaxWidth)
        return;
    FMaxWidth = value;
    if (FActive)
        AlignLabel();
}

void TsBoundLabel::SetLayout(TsCaptionLayout value)
{
    if (value == FLayout)
        return;
    FLayout = value;
    UpdateAlignment();
    if (FActive)
        AlignLabel();
}

TFont* TsBoundLabel::Font() const noexcept
{
    return FTheLabel ? FTheLabel->Font() : FFont.get();
}

void TsBoundLabel::SetFont(const TFont* value)
{
    if (FTheLabel) {
        FTheLabel->Font()->Assign(value);
        FTheLabel->SetParentFont(false);
    } else {
        FFont->Assign(value);
    }
    AlignLabel();
}

bool TsBoundLabel::UseSkinColor() const noexcept
{
    return FTheLabel ? FTheLabel->UseSkinColor() : true;
}

void TsBoundLabel::SetUseSkinColor(bool value)
{
    if (FTheLabel)
        FTheLabel->SetUseSkinColor(value);
}

void TsBoundLabel::AlignLabel()
{
    TControl* edit = Edit();
    if (!FTheLabel || !edit || !FTheLabel->Visible())
        return;
    TsEditLabel& label = *FTheLabel;
    label.SetAutoSize(true);
    int left = label.Left();
    int top = label.Top();
    switch (FLayout) {
    case sclLeft:
        left = edit->Left() - label.Width() - 4 - FIndent;
        top = edit->Top() + (edit->Height() - label.Height()) / 2 - 1;
        break;
    case sclTopLeft:
        left = edit->Left();
        top = edit->Top() - label.Height() - FIndent;
        break;
    case sclTopCenter:
        left = edit->Left() + (edit->Width() - label.Width()) / 2;
        top = edit->Top() - label.Height() - FIndent;
        break;
    case sclTopRight:
        left = edit->Left() + edit->Width() - label.Width();
        top = edit->Top() - label.Height() - FIndent;
        break;
    }
    label.SetBounds(left, top, label.Width(), label.Height());
    if (FMaxWidth != 0) {
        label.SetAutoSize(false);
        label.SetWordWrap(true);
        label.SetBounds(label.Left(), label.Top(), FMaxWidth, std::max(label.Height(), edit->Height()));
    }
}

void InitializeSLabelUnit()
{
    RegisterClasses<TsLabel>();
}
