#include "skin/controls/sSpeedButton.h"

#include "skin/controls/ButtonGlyphs.h"
#include "skin/controls/sButton.h"
#include "skin/core/ControlFramePainting.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinServices.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/SkinSenders.h"
#include "vcl/ActnList.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/ImgList.h"

#include <algorithm>
#include <optional>

namespace {

constexpr int SpeedButtonKind = 92;
constexpr int DropDownArrowWidth = 16;

// The application's hints stay off while a button is held (shared with the push button).
void SuppressHintsForPress()
{
    if (HintsSuppressed || !Application)
        return;
    SavedShowHint = Application->ShowHint();
    Application->SetShowHint(false);
    HintsSuppressed = true;
}

void RestoreHintsAfterPress()
{
    if (!HintsSuppressed || !Application)
        return;
    Application->SetShowHint(SavedShowHint);
    HintsSuppressed = false;
}

bool DropdownOpen = false;

bool Has(const TComponent* c, TComponentStateItem item) noexcept { return c->ComponentState().Contains(item); }

const ks::PropertyInfo SpeedButtonProps[] = {
    ks::Prop<&TsSpeedButton::SkinData>("SkinData"),
    ks::Prop<&TsSpeedButton::Grayed, &TsSpeedButton::SetGrayed>("Grayed").DefaultIs(false),
    ks::Prop<&TsSpeedButton::Blend, &TsSpeedButton::SetBlend>("Blend").DefaultIs(0),
    ks::Prop<&TsSpeedButton::TextOffset, &TsSpeedButton::SetTextOffset>("TextOffset").DefaultIs(0),
    ks::Prop<&TsSpeedButton::ImageIndex, &TsSpeedButton::SetImageIndex>("ImageIndex").DefaultIs(-1),
    ks::Prop<&TsSpeedButton::ShowCaption, &TsSpeedButton::SetShowCaption>("ShowCaption").DefaultIs(true),
    ks::Prop<&TsSpeedButton::DrawOverBorder, &TsSpeedButton::SetDrawOverBorder>("DrawOverBorder").DefaultIs(true),
    ks::Prop<&TsSpeedButton::Reflected, &TsSpeedButton::SetReflected>("Reflected").DefaultIs(false),
    ks::Prop<&TsSpeedButton::DisabledKind, &TsSpeedButton::SetDisabledKind>("DisabledKind")
        .DefaultIs(TsDisabledKind{dkBlended}),
    ks::Prop<&TsSpeedButton::DisabledGlyphKind, &TsSpeedButton::SetDisabledGlyphKind>("DisabledGlyphKind")
        .DefaultIs(TsDisabledGlyphKind{dgBlended}),
    ks::Prop<&TsSpeedButton::Images, &TsSpeedButton::SetImages>("Images"),
    ks::Prop<&TsSpeedButton::Alignment, &TsSpeedButton::SetAlignment>("Alignment").DefaultIs(taCenter),
    ks::Prop<&TsSpeedButton::ButtonStyle, &TsSpeedButton::SetButtonStyle>("ButtonStyle").DefaultIs(tbsButton),
    ks::Prop<&TsSpeedButton::DropdownMenu, &TsSpeedButton::SetDropdownMenu>("DropdownMenu"),
    ks::Prop<&TsSpeedButton::OnPaint, &TsSpeedButton::SetOnPaint>("OnPaint"),
    ks::Prop<&TsSpeedButton::TextAlignment, &TsSpeedButton::SetTextAlignment>("TextAlignment").DefaultIs(taCenter),
    ks::Prop<&TsSpeedButton::AnimatEvents, &TsSpeedButton::SetAnimatEvents>("AnimatEvents")
        .DefaultIs(TacAnimatEvents{aeGlobalDef}),
};

} // namespace

const ks::ClassInfo TsSpeedButton::StaticClassInfo{"TsSpeedButton", &TSpeedButton::StaticClassInfo, SpeedButtonProps, {}};
const ks::ClassInfo& TsSpeedButton::ClassInfo() const noexcept { return StaticClassInfo; }

TsSpeedButton::TsSpeedButton(TComponent* owner)
    : TSpeedButton(owner), FSkinData(std::make_unique<TsCommonData>(this, true))
{
    FSkinData->ControlKind = SpeedButtonKind;
    // The glyph's own handler (the plain button's repaint) still runs after the cache is marked.
    FOldGlyphChange = Glyph()->OnChange();
    Glyph()->SetOnChange(TNotifyEvent(this, &TsSpeedButton::SkinGlyphChanged));
}

void TsSpeedButton::SkinGlyphChanged(TObject* sender)
{
    FSkinData->BackgroundChanged = true;
    if (FOldGlyphChange)
        FOldGlyphChange(sender);
}

TsSpeedButton::~TsSpeedButton()
{
    StopFade();
}

void TsSpeedButton::AfterConstruction()
{
    TSpeedButton::AfterConstruction();
    FSkinData->Loaded();
    if (FSkinData->IsSkinActive())
        FControlStyle.Include(csOpaque);
}

void TsSpeedButton::Loaded()
{
    TSpeedButton::Loaded();
    FSkinData->Loaded();
    if (FSkinData->IsSkinActive())
        FControlStyle.Include(csOpaque);
    if (HasImage())
        Glyph()->Assign(nullptr);
}

void TsSpeedButton::BeforeDestruction()
{
    StopFade();
    RestoreHintsAfterPress();
    TSpeedButton::BeforeDestruction();
}

void TsSpeedButton::Notification(TComponent* component, TOperation operation)
{
    TSpeedButton::Notification(component, operation);
    if (operation == opRemove && component == FImages)
        SetImages(nullptr);
    if (operation == opRemove && component == FDropdownMenu)
        SetDropdownMenu(nullptr);
}

// ---- properties -----------------------------------------------------------------------------

void TsSpeedButton::Changed()
{
    if (Visible() || Has(this, csDesigning)) {
        FSkinData->BackgroundChanged = true;
        Redraw();
    }
}

void TsSpeedButton::SetDisabledKind(TsDisabledKind value)
{
    if (value != FDisabledKind) { FDisabledKind = value; Changed(); }
}
void TsSpeedButton::SetDisabledGlyphKind(TsDisabledGlyphKind value)
{
    if (value != FDisabledGlyphKind) { FDisabledGlyphKind = value; Changed(); }
}
void TsSpeedButton::SetGrayed(bool value)
{
    if (value != FGrayed) { FGrayed = value; Changed(); }
}
void TsSpeedButton::SetBlend(int value)
{
    value = std::clamp(value, 0, 100);
    if (value != FBlend) { FBlend = value; Changed(); }
}
void TsSpeedButton::SetTextOffset(int value)
{
    if (value != FTextOffset) { FTextOffset = value; Changed(); }
}
void TsSpeedButton::SetImageIndex(int value)
{
    if (value != FImageIndex) { FImageIndex = value; Changed(); }
}
void TsSpeedButton::SetImages(TCustomImageList* value)
{
    if (value == FImages)
        return;
    FImages = value;
    if (FImages)
        FImages->FreeNotification(this);
    Changed();
}
void TsSpeedButton::SetShowCaption(bool value)
{
    if (value == FShowCaption)
        return;
    FShowCaption = value;
    // The caption is kept aside while it is not shown.
    const std::wstring shown = Caption();
    SetCaption(FStoredCaption);
    FStoredCaption = shown;
    Changed();
}
void TsSpeedButton::ActionChange(TObject* sender, bool checkDefaults)
{
    TSpeedButton::ActionChange(sender, checkDefaults);
    auto* action = dynamic_cast<TCustomAction*>(sender);
    if (!action)
        return;
    if (action->ActionList() && (!checkDefaults || !FImages))
        SetImages(action->ActionList()->Images());
    if (!checkDefaults || FImageIndex == -1)
        SetImageIndex(action->ImageIndex());
    // The action's caption waits aside while the caption is not shown.
    if (!FShowCaption && !Caption().empty()) {
        FStoredCaption = Caption();
        SetCaption(L"");
    }
    FSkinData->BackgroundChanged = true;
    if (!Has(this, csDestroying) && !Has(this, csLoading))
        Repaint();
}
void TsSpeedButton::SetAlignment(TAlignment value)
{
    if (value != FAlignment) { FAlignment = value; Changed(); }
}
void TsSpeedButton::SetButtonStyle(TToolButtonStyle value)
{
    if (value == FButtonStyle)
        return;
    if (!Has(this, csLoading)) {
        if (value == tbsDropDown)
            SetWidth(Width() + DropDownArrowWidth);
        else if (FButtonStyle == tbsDropDown)
            SetWidth(Width() - DropDownArrowWidth);
    }
    FButtonStyle = value;
    Changed();
}
void TsSpeedButton::SetDrawOverBorder(bool value)
{
    if (value != FDrawOverBorder) { FDrawOverBorder = value; Changed(); }
}
void TsSpeedButton::SetTextAlignment(TAlignment value)
{
    if (value != FTextAlignment) { FTextAlignment = value; FSkinData->BackgroundChanged = true; Repaint(); }
}
void TsSpeedButton::SetReflected(bool value)
{
    if (value != FReflected) { FReflected = value; FSkinData->BackgroundChanged = true; Redraw(); }
}
void TsSpeedButton::SetDropdownMenu(TPopupMenu* value)
{
    FDropdownMenu = value;
    if (value)
        value->FreeNotification(this);
}

void TsSpeedButton::Invalidate()
{
    if (NumGlyphs() != FLastNumGlyphs || Spacing() != FLastSpacing || Down() != FLastDown ||
        Layout() != FLastLayout || Margin() != FLastMargin)
        FSkinData->BackgroundChanged = true;
    TSpeedButton::Invalidate();
}

// ---- geometry -------------------------------------------------------------------------------

int TsSpeedButton::StateIndex()
{
    if (State() == bsDown || State() == bsExclusive)
        return 2;
    return FSkinData->IsControlHot() ? 1 : 0;
}

bool TsSpeedButton::HasImage() const noexcept
{
    return FImages && ImageListCount(FImages) > 0 && FImageIndex >= 0 && FImageIndex < ImageListCount(FImages);
}

int TsSpeedButton::GlyphWidth()
{
    const int n = std::max(NumGlyphs() & 127, 1);
    if (HasImage())
        return FImages->Width() / n;
    return Glyph()->Empty() ? 0 : Glyph()->Width() / n;
}

int TsSpeedButton::GlyphHeight()
{
    if (HasImage())
        return FImages->Height();
    return Glyph()->Empty() ? 0 : Glyph()->Height();
}

int TsSpeedButton::MaxCaptionWidth()
{
    if (!FShowCaption || Caption().empty())
        return 0;
    int w = Width() - 2 * Margin() - ArrowWidth();
    if ((Layout() == blGlyphLeft || Layout() == blGlyphRight) && GlyphWidth() > 0)
        w -= GlyphWidth() + Spacing();
    return std::max(w, 0);
}

TSize TsSpeedButton::CaptionExtent()
{
    if (!FShowCaption || Caption().empty())
        return {0, 0};
    FSkinData->EnsureCacheBitmap();
    TCanvas& canvas = FSkinData->CacheBitmap->Canvas();
    canvas.Font().Assign(Font());
    TRect r{0, 0, MaxCaptionWidth(), 0};
    DrawTextOnDC(canvas.Handle(), Caption(), r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    return {r.Width(), r.Height()};
}

TRect TsSpeedButton::CaptionRect()
{
    const int W = Width(), H = Height(), A = ArrowWidth(), GW = GlyphWidth(), GH = GlyphHeight();
    const TSize ext = CaptionExtent();
    const int cx = ext.cx, cy = ext.cy;
    const int m = Margin() < 0 ? 0 : Margin() + 3;
    const bool text = !Caption().empty();
    const int sH = GW > 0 && text ? Spacing() : 0, sH2 = GW > 0 ? Spacing() : 0;
    const int sV = GH > 0 && text ? Spacing() : 0;
    const int h = (W - A - GW - sH - cx) / 2 - m, v = (H - GH - sV - cy) / 2 - m, t = (H - cy) / 2;
    int l = 0, top = t, r = 0, b = H - t;
    switch (Layout()) {
    case blGlyphLeft:
        if (FAlignment == taLeftJustify) { l = GW + Margin() + sH2; r = W - A - m - 2 * h; }
        else if (FAlignment == taRightJustify) { l = m + 2 * h + GW + sH2; r = W - A - m; }
        else { l = GW + m + h + sH2; r = W - A - m - h; }
        break;
    case blGlyphRight:
        if (FAlignment == taLeftJustify) l = m;
        else if (FAlignment == taRightJustify) l = m + 2 * h;
        else l = m + h;
        r = l + cx;
        break;
    case blGlyphTop:
        l = (W - cx - A) / 2; r = W - l - A; top = GH + m + v + sV; b = H - v - m;
        break;
    case blGlyphBottom:
        l = (W - cx - A) / 2; r = W - l - A; top = m + v; b = H - v - m - GH - sV;
        break;
    }
    TRect res{l - 1 + FTextOffset, top, r + 2 + FTextOffset, b};
    if (StateIndex() == 2)
        res = {res.Left + 1, res.Top + 1, res.Right + 1, res.Bottom + 1};
    return res;
}

TRect TsSpeedButton::GlyphRect()
{
    const int W = Width(), H = Height(), A = ArrowWidth(), GW = GlyphWidth(), GH = GlyphHeight();
    const TSize ext = CaptionExtent();
    const int m = Margin() < 0 ? 0 : Margin() + 3;
    const int c = FShowCaption && GW > 0 && !Caption().empty() ? Spacing() : 0;
    const int h = (W - A - GW - c - ext.cx) / 2 - m, v = (H - GH - c - ext.cy) / 2 - m, y0 = (H - GH) / 2;
    int x = 0, y = y0;
    switch (Layout()) {
    case blGlyphLeft:
        x = FAlignment == taLeftJustify ? m : FAlignment == taRightJustify ? m + 2 * h : m + h;
        break;
    case blGlyphRight:
        x = FAlignment == taLeftJustify    ? W - A - m - 2 * h - c - GW
            : FAlignment == taRightJustify ? W - A - GW - m
                                           : (W - A - GW + c + ext.cx) / 2;
        break;
    case blGlyphTop: x = (W - A - GW) / 2 + 1; y = v + m; break;
    case blGlyphBottom: x = (W - A - GW) / 2 + 1; y = H - m - v - GH; break;
    }
    if (StateIndex() == 2) { ++x; ++y; }
    TRect r{x, y, x + GW, y + GH};
    if (FReflected)
        r = {r.Left, r.Top - r.Height() / 6, r.Right, r.Bottom - r.Height() / 6};
    return r;
}

// ---- painting -------------------------------------------------------------------------------

void TsSpeedButton::DoDrawText(TRect& r, UINT flags)
{
    flags = DrawTextBiDiModeFlags(flags) & ~static_cast<UINT>(DT_SINGLELINE);
    if (FSkinData->IsSkinActive()) {
        TCanvas& canvas = FSkinData->CacheBitmap->Canvas();
        canvas.Font().Assign(Font());
        DrawControlText(canvas, Caption(), Enabled(), r, flags, *FSkinData, StateIndex() != 0);
        return;
    }
    TCanvas& canvas = Canvas();
    canvas.Brush().SetStyle(bsClear);
    if (!Enabled()) {
        TRect moved{r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
        canvas.Font().SetColor(clBtnHighlight);
        DrawTextOnDC(canvas.Handle(), Caption(), moved, flags);
        canvas.Font().SetColor(clBtnShadow);
    }
    DrawTextOnDC(canvas.Handle(), Caption(), r, flags);
}

void TsSpeedButton::DrawCaption()
{
    if (!FShowCaption || Caption().empty())
        return;
    TCanvas& canvas = FSkinData->CacheBitmap->Canvas();
    canvas.Font().Assign(Font());
    canvas.Brush().SetStyle(bsClear);
    TRect r = CaptionRect();
    DoDrawText(r, DrawTextFlagsOf(this, FTextAlignment) | DT_WORDBREAK | DT_EXPANDTABS);
}

void TsSpeedButton::DrawGlyph()
{
    TacButtonGlyph g;
    g.Images = HasImage() ? FImages : nullptr;
    g.Glyph = Glyph();
    g.ImageIndex = FImageIndex;
    g.SkinData = FSkinData.get();
    g.R = GlyphRect();
    g.NumGlyphs = NumGlyphs();
    g.Enabled = Enabled();
    g.Blend = FBlend;
    g.FState = static_cast<int>(State());
    g.Grayed = FGrayed;
    g.StateIndex = StateIndex();
    g.DisabledGlyphKind = FDisabledGlyphKind;
    g.Reflected = FReflected;
    PaintButtonGlyph(g, FSkinData->IsSkinActive() ? nullptr : &Canvas());
}

void TsSpeedButton::FillFromParent(const CacheInfo& ci)
{
    TBitmap& cache = *FSkinData->CacheBitmap;
    if (ci.Ready && ci.Bmp)
        BitBlt(cache.Canvas().Handle(), 0, 0, Width(), Height(), ci.Bmp->Canvas().Handle(), ci.X + Left(), ci.Y + Top(),
               SRCCOPY);
    else
    {
        cache.Canvas().Brush().SetStyle(bsSolid);
        cache.Canvas().Brush().SetColor(ci.FillColor == TransparentKeyColor ? clBtnFace : ci.FillColor);
        cache.Canvas().FillRect(TRect{0, 0, Width(), Height()});
    }
}

void TsSpeedButton::PaintArea(const TRect& r, int state, const CacheInfo& ci)
{
    TBitmap* cache = FSkinData->CacheBitmap.get();
    TsSkinManager* manager = FSkinData->SkinManager();
    if (!FDrawOverBorder) {
        PaintControlBackground(*FSkinData, ci, state, r, {Left(), Top()}, cache);
        DrawCaption();
        DrawGlyph();
        if (manager && manager->MaskIndexValid(FSkinData->BorderIndex))
            PaintSkinImageRect(*cache, r, false, ci, manager->MaskArray[static_cast<size_t>(FSkinData->BorderIndex)],
                               state, true);
    } else {
        PaintControlSection(*FSkinData, ci, true, state, r, {Left(), Top()}, cache, true);
        PaintControlFrame(*FSkinData, state);
        DrawCaption();
        DrawGlyph();
    }
}

void TsSpeedButton::PaintLook(const CacheInfo& ci)
{
    TBitmap* cache = FSkinData->CacheBitmap.get();
    TsSkinManager* manager = FSkinData->SkinManager();
    switch (FButtonStyle) {
    case tbsSeparator: FillFromParent(ci); break;
    case tbsDivider: {
        FillFromParent(ci);
        const int i = manager ? manager->FindSection("DIVIDER") : -1;
        if (i >= 0) {
            const int mi = manager->GeneralDataArray[static_cast<size_t>(i)].BorderIndex;
            if (manager->MaskIndexValid(mi))
                PaintSkinImageRect(*cache, {0, 0, Width(), Height()}, false, ci,
                                   manager->MaskArray[static_cast<size_t>(mi)], 0, true);
        }
        break;
    }
    default: {
        const int state = StateIndex();
        PaintArea({0, 0, Width() - ArrowWidth(), Height()}, state, ci);
        if (FButtonStyle == tbsDropDown) {
            int arrowState = 0;
            if (FDropdownPressed || Down() || state == 2)
                arrowState = 2;
            else if (FSkinData->IsControlHot())
                arrowState = 1;
            PaintControlSection(*FSkinData, ci, true, arrowState, {Width() - DropDownArrowWidth, 0, Width(), Height()},
                                {Left() + Width() - DropDownArrowWidth, Top()}, cache, true);
            // The skin's common drop-down arrow, one cell of it, centred in the area.
            const int arrow = manager ? manager->CommonIndexes.ComboBoxGlyphMask : -1;
            if (manager && manager->MaskIndexValid(arrow)) {
                const TsMaskData& mask = manager->MaskArray[static_cast<size_t>(arrow)];
                const int w = MaskCellWidth(mask), h = MaskCellHeight(mask);
                PaintStateGlyph(*cache, {Width() - DropDownArrowWidth + (DropDownArrowWidth - w) / 2, (Height() - h) / 2},
                                arrowState, 1, mask, CacheInfoFromBitmap(cache, 0, 0));
            }
        }
    }
    }
    if (!Enabled())
        ApplyDisabledLook(*cache, FDisabledKind, Parent(), FSkinData->QueryBackgroundInfo(), {Left(), Top()});
}

bool TsSpeedButton::PrepareCache()
{
    FSkinData->EnsureCacheBitmap();
    TBitmap* cache = FSkinData->CacheBitmap.get();
    if (!cache || cache->Empty() || Width() <= 0 || Height() <= 0)
        return true;
    cache->Canvas().Font().Assign(Font());
    const CacheInfo ci = FSkinData->QueryBackgroundInfo();
    // A look changed by OnPaint (a glyph it assigns or draws on) marks the cache again: it is
    // built once more at once, and no more, so that a handler that changes it on every paint
    // does not rebuild it for ever.
    for (int pass = 0; pass < 2; ++pass) {
        PaintLook(ci);
        FSkinData->BackgroundChanged = false;
        if (!FOnPaint)
            break;
        ks::ComponentWatch self;
        self.Watch(this);
        FOnPaint(this, cache);
        if (!self.Alive(this))
            return false;
        if (!FSkinData->BackgroundChanged)
            break;
    }
    FSkinData->BackgroundChanged = false;
    FLastDown = Down();
    FLastNumGlyphs = NumGlyphs();
    FLastSpacing = Spacing();
    FLastLayout = Layout();
    FLastMargin = Margin();
    FLastParentColour = ParentLookColour(*FSkinData);
    FLastOwnColour = OwnLookColour(*FSkinData);
    return true;
}

void TsSpeedButton::ShowPicture(TBitmap& picture)
{
    if (!Parent() || !Parent()->HandleAllocated())
        return;
    TCanvas& canvas = Canvas();
    const int saved = SaveDC(canvas.Handle());
    BitBlt(canvas.Handle(), 0, 0, Width(), Height(), picture.Canvas().Handle(), 0, 0, SRCCOPY);
    RestoreDC(canvas.Handle(), saved);
}

void TsSpeedButton::Redraw()
{
    if (ControlState().Contains(csCreating) || Has(this, csDestroying) || Has(this, csLoading) || !Parent() || !Visible() ||
        !Parent()->HandleAllocated())
        return;
    if (!FSkinData->IsSkinActive() || Has(this, csDesigning)) {
        Repaint();
        return;
    }
    if (FFadeTimer && FFadeTimer->Enabled() && FFadeTimer->FrameBitmap->Width() == Width()) {
        ShowPicture(*FFadeTimer->FrameBitmap);
        return;
    }
    if (FSkinData->BackgroundChanged && (!PrepareCache() || !PaintOverlappingSiblings()))
        return;
    if (FSkinData->CacheBitmap && !FSkinData->CacheBitmap->Empty())
        ShowPicture(*FSkinData->CacheBitmap);
}

bool TsSpeedButton::PaintOverlappingSiblings()
{
    TWinControl* parent = Parent();
    TBitmap* cache = FSkinData->CacheBitmap.get();
    if (!parent || !cache || cache->Empty())
        return true;
    HDC dc = cache->Canvas().Handle();
    const TRect mine = BoundsRect();
    // A sibling's OnPaint may free any control, this button among them (and its picture).
    ks::ComponentWatch self;
    self.Watch(this);
    bool above = false;
    ks::ForEachLiveChild(*parent, [&](TControl& c) {
        if (&c == this) {
            above = true;
            return;
        }
        if (!above || !self.Alive(this) || dynamic_cast<TWinControl*>(&c) || !c.Visible())
            return;
        const TRect r = c.BoundsRect();
        if (r.Right <= mine.Left || r.Left >= mine.Right || r.Bottom <= mine.Top || r.Top >= mine.Bottom)
            return;
        const int saved = SaveDC(dc);
        SetViewportOrgEx(dc, r.Left - mine.Left, r.Top - mine.Top, nullptr);
        IntersectClipRect(dc, 0, 0, r.Width(), r.Height());
        c.Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        RestoreDC(dc, saved);
    });
    return self.Alive(this);
}

void TsSpeedButton::PaintPlain()
{
    TSpeedButton::Paint();
    if (!Glyph()->Empty() || HasImage())
        DrawGlyph();
}

void TsSpeedButton::Paint()
{
    TsSkinManager* manager = FSkinData->SkinManager();
    if (manager && manager->Active() && FSkinData->SkinIndex < 1)
        FSkinData->RefreshIndexes();
    if (!FSkinData->IsSkinActive()) {
        PaintPlain();
        return;
    }
    if (Width() <= 0 || Height() <= 0)
        return;
    if (FFadeTimer && FFadeTimer->Enabled() && FFadeTimer->FrameBitmap->Width() == Width()) {
        BitBlt(Canvas().Handle(), 0, 0, Width(), Height(), FFadeTimer->FrameBitmap->Canvas().Handle(), 0, 0, SRCCOPY);
        return;
    }
    if (StateIndex() != 0 || Down() != FLastDown || FSkinData->ClippedByParent || NumGlyphs() != FLastNumGlyphs ||
        Spacing() != FLastSpacing || ParentLookColour(*FSkinData) != FLastParentColour ||
        OwnLookColour(*FSkinData) != FLastOwnColour)
        FSkinData->BackgroundChanged = true;
    FSkinData->ClippedByParent = FSkinData->NeedsRepaint();
    if (FSkinData->BackgroundChanged && !FSkinData->ParentBackgroundAlways && !PrepareCache())
        return;
    PaintControlFrame(*FSkinData, StateIndex());
    if (FSkinData->CacheBitmap && !FSkinData->CacheBitmap->Empty())
        BitBlt(Canvas().Handle(), 0, 0, Width(), Height(), FSkinData->CacheBitmap->Canvas().Handle(), 0, 0, SRCCOPY);
}

// ---- fades ----------------------------------------------------------------------------------

void TsSpeedButton::StartFade(bool press)
{
    const int reached = FFadeTimer ? FFadeTimer->Step : 0;
    if (!FFadeTimer)
        FFadeTimer = new TsAnimTimer(nullptr);
    FFadeTimer->SetEnabled(false);
    FFadeTimer->Attach(FSkinData.get());
    if (press)
        FFadeTimer->StepCount /= 2;
    FFadeTimer->Step = reached > 0 && reached < FFadeTimer->StepCount ? FFadeTimer->StepCount - reached : 0;
    // The old picture is what shows now: the running fade's frame, else the cache.
    TBitmap* shown = reached > 0 && FFadeTimer->FrameBitmap->Width() == Width() ? FFadeTimer->FrameBitmap.get()
                                                                                  : FSkinData->CacheBitmap.get();
    FFadeTimer->SourceBitmap->Assign(shown);
    if (!PrepareCache() || !PaintOverlappingSiblings())
        return;
    PaintControlFrame(*FSkinData, StateIndex());
    FFadeTimer->FrameBitmap->Assign(FFadeTimer->SourceBitmap.get());
    if (FFadeTimer->StepCount > 0)
        FFadeTimer->SetEnabled(true);
    else
        StopFade();
}

void TsSpeedButton::StartStateFade(bool press, bool allowed)
{
    const TsGeneralData* section = FSkinData->Section();
    const bool fades = section && section->FadingEnabled && section->FadingIterations > 0;
    // The new picture runs the application's OnPaint, which may free the button.
    ks::ComponentWatch self;
    self.Watch(this);
    if (allowed && FSkinData->IsSkinActive() && fades && !PaintLock && !FSkinData->BackgroundChanged &&
        FSkinData->CacheBitmap && Parent() && Parent()->HandleAllocated()) {
        FSkinData->BackgroundChanged = true;
        StartFade(press);
    } else {
        FSkinData->BackgroundChanged = true;
        StopFade();
        Redraw();
    }
    if (!self.Alive(this))
        return;
    if (FSkinData->IsSkinActive())
        FSkinData->RefreshGlowEffect(press);
}

void TsSpeedButton::StopFade()
{
    TsAnimTimer* t = FFadeTimer;
    if (!t)
        return;
    FFadeTimer = nullptr;
    const bool progressed = t->Step > 0;
    t->SetEnabled(false);
    // Inside its own tick the timer is freed when the tick ends.
    t->Free();
    if (progressed && !Has(this, csDestroying)) {
        FSkinData->BackgroundChanged = true;
        Redraw();
    }
}

// ---- mouse ----------------------------------------------------------------------------------

void TsSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    SuppressHintsForPress();
    if (button == mbLeft && Enabled() && FButtonStyle == tbsDropDown && FDropdownMenu &&
        (x > Width() - DropDownArrowWidth || !OnClick())) {
        OpenDropdown();
        return;
    }
    TSpeedButton::MouseDown(button, shift, x, y);
}

void TsSpeedButton::OpenDropdown()
{
    // One menu at a time: a press while one is open (from a nested loop) does nothing.
    if (DropdownOpen)
        return;
    DropdownOpen = true;
    ks::ScopeExit closed{[] { DropdownOpen = false; }};
    ks::ComponentWatch watch;
    watch.Watch(this);
    StopFade();
    FDropdownPressed = true;
    // Without its own click the whole button belongs to the menu and shows down with it.
    const bool wholeButton = !OnClick();
    if (wholeButton)
        FState = bsDown;
    FSkinData->BackgroundChanged = true;
    Redraw();
    const TPoint at = ClientToScreen({1, Height() + 1});
    FDropdownMenu->SetPopupComponent(this);
    FDropdownMenu->Popup(at.X, at.Y);
    // The menu took the release that would have given the hints back.
    RestoreHintsAfterPress();
    if (!watch.Alive(this))
        return;
    FDropdownPressed = false;
    POINT cursor{};
    GetCursorPos(&cursor);
    const TPoint p = ScreenToClient({cursor.x, cursor.y});
    if (p.X < 0 || p.Y < 0 || p.X >= Width() || p.Y >= Height())
        Perform(CM_MOUSELEAVE, 0, TCMControl::ToLParam(this));
    if (wholeButton)
        FState = bsUp;
    FSkinData->BackgroundChanged = true;
    if (FSkinData->IsSkinActive())
        Redraw();
    else
        Repaint();
}

void TsSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    RestoreHintsAfterPress();
    TSpeedButton::MouseUp(button, shift, x, y);
}

// ---- messages -------------------------------------------------------------------------------

bool TsSpeedButton::SkinCommand(TMessage& m)
{
    ks::SkinCommandView view(m);
    switch (view.Command()) {
    case SKC_PARENT_UPDATED: return ParentUpdatedCommand();
    case SKC_NEW_SKIN: return NewSkinCommand(view);
    case SKC_REMOVE_SKIN: return RemoveSkinCommand(view);
    case SKC_REFRESH: return RefreshCommand(view);
    case SKC_IS_SKINNED: return AnswerCommand(view, 1);
    case SKC_REPAINT_NOW: return RepaintNowCommand();
    // Also for a button that left its parent: its fade would tick on with nothing to show.
    case SKC_STOP_FADE: return StopFadeCommand();
    case SKC_GET_APPLICATION: return AnswerCommand(view, reinterpret_cast<LRESULT>(Application));
    default: return false;
    }
}

bool TsSpeedButton::AnswerCommand(ks::SkinCommandView view, LRESULT answer)
{
    view.SetResult(answer);
    return true;
}

bool TsSpeedButton::ParentUpdatedCommand()
{
    if (FSkinData->Updating()) {
        FSkinData->SetUpdating(false);
        Redraw();
    }
    return true;
}

bool TsSpeedButton::NewSkinCommand(ks::SkinCommandView view)
{
    if (view.Manager() != FSkinData->SkinManager())
        return false;
    RouteSkinMessage(view.Message(), FSkinData.get());
    if (FSkinData->IsSkinActive())
        FControlStyle.Include(csOpaque);
    return true;
}

bool TsSpeedButton::RemoveSkinCommand(ks::SkinCommandView view)
{
    if (view.Manager() != FSkinData->SkinManager() || Has(this, csDestroying))
        return false;
    StopFade();
    RouteSkinMessage(view.Message(), FSkinData.get());
    FControlStyle.Exclude(csOpaque);
    if (Visible())
        Repaint();
    return true;
}

bool TsSpeedButton::RefreshCommand(ks::SkinCommandView view)
{
    if (view.Manager() != FSkinData->SkinManager())
        return false;
    RouteSkinMessage(view.Message(), FSkinData.get());
    if (Visible())
        Repaint();
    return true;
}

bool TsSpeedButton::RepaintNowCommand()
{
    FSkinData->UpdateLock = false;
    Redraw();
    return true;
}

bool TsSpeedButton::StopFadeCommand()
{
    StopFade();
    return true;
}

bool TsSpeedButton::SectionChangedCommand()
{
    Redraw();
    return true;
}

// Skinned handling before the platform's; true when the message is done.
bool TsSpeedButton::RunMouseEvent(const TNotifyEvent& event)
{
    if (!event)
        return true;
    ks::ComponentWatch self;
    self.Watch(this);
    event(this);
    return self.Alive(this);
}

bool TsSpeedButton::SkinnedBefore(TMessage& m)
{
    TsSkinManager* manager = FSkinData->SkinManager();
    switch (m.Msg) {
    case SM_SKINCMD:
        switch (ks::SkinCommandView view(m); view.Command()) {
        case SKC_IS_UPDATING: return AnswerCommand(view, FSkinData->UpdateLock ? 1 : 0);
        case SKC_SECTION_CHANGED: return SectionChangedCommand();
        default: return false;
        }
    case WM_LBUTTONUP:
        if (FFadeTimer && FFadeTimer->FrameBitmap->Width() == Width()) {
            ks::ComponentWatch self;
            self.Watch(this);
            StopFade();
            if (!self.Alive(this) || !PrepareCache())
                return true;
            Redraw();
        }
        return false;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        if (Visible())
            FSkinData->BackgroundChanged = true;
        return false;
    case WM_ERASEBKGND: m.Result = 1; return true;
    case CM_FONTCHANGED: FSkinData->BackgroundChanged = true; return false;
    case CM_TEXTCHANGED:
        if (FShowCaption) {
            FSkinData->BackgroundChanged = true;
            Redraw();
        }
        return false;
    case CM_MOUSEENTER:
        if (Enabled() && !Has(this, csDesigning) && !FSkinData->MouseIsAbove) {
            if (!RunMouseEvent(OnMouseEnter()))
                return true;
            FSkinData->MouseIsAbove = true;
            StartStateFade(false, AnimEventAllowed(aeMouseEnter, FAnimatEvents, manager));
        }
        return true;
    case CM_MOUSELEAVE:
        if (Enabled() && FSkinData->MouseIsAbove) {
            if (!RunMouseEvent(OnMouseLeave()))
                return true;
            FSkinData->MouseIsAbove = false;
            if (State() == bsDown)
                FState = bsUp;
            if (Visible())
                StartStateFade(false, AnimEventAllowed(aeMouseLeave, FAnimatEvents, manager));
        }
        return true;
    default: return false;
    }
}

void TsSpeedButton::WndProc(TMessage& m)
{
    if (m.Msg == SM_SKINCMD && SkinCommand(m))
        return;
    if (!CanPaintControl(this) || !FSkinData->IsSkinActive()) {
        if (m.Msg == CM_MOUSEENTER)
            FSkinData->MouseIsAbove = true;
        else if (m.Msg == CM_MOUSELEAVE) {
            FSkinData->MouseIsAbove = false;
            if (State() == bsDown)
                FState = bsUp;
        }
        TSpeedButton::WndProc(m);
        return;
    }
    if (SkinnedBefore(m))
        return;
    RouteSkinMessage(m, FSkinData.get());
    // The mouse messages run the application's mouse and click events, which may free the button;
    // so do a press's end when the mouse is taken away, the painting's OnPaint and the opening of
    // the context menu (its root item's OnClick).
    std::optional<ks::ComponentWatch> watch;
    if ((m.Msg >= WM_MOUSEFIRST && m.Msg <= WM_MOUSELAST) || m.Msg == WM_CANCELMODE || m.Msg == WM_PAINT ||
        m.Msg == WM_CONTEXTMENU)
        watch.emplace().Watch(this);
    TSpeedButton::WndProc(m);
    if (watch && !watch->Alive(this))
        return;
    TsSkinManager* manager = FSkinData->SkinManager();
    const bool designing = Has(this, csDesigning);
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!designing)
            StartStateFade(true, AnimEventAllowed(aeMouseDown, FAnimatEvents, manager));
        break;
    case WM_LBUTTONUP:
        if (!designing && !Has(this, csDestroying))
            StartStateFade(true, AnimEventAllowed(aeMouseUp, FAnimatEvents, manager));
        else
            m.Result = 1;
        break;
    case CM_VISIBLECHANGED: FSkinData->MouseIsAbove = false; break;
    case CM_ENABLEDCHANGED:
        if (Visible() || designing) {
            StopFade();
            FSkinData->BackgroundChanged = true;
            if (!Has(this, csLoading))
                Redraw();
        }
        break;
    case CM_BUTTONPRESSED:
        FSkinData->BackgroundChanged = true;
        Redraw();
        break;
    default: break;
    }
}

void InitializeSSpeedButtonUnit()
{
    RegisterClasses<TsSpeedButton>();
    ks::Services().SpeedButtonSkinData = [](TControl* control) noexcept -> TsCommonData* {
        auto* button = dynamic_cast<TsSpeedButton*>(control);
        return button ? button->SkinData() : nullptr;
    };
}
