#include "skin/controls/sCheckBox.h"

#include "skin/controls/ButtonGlyphs.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/NumberRoutines.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sVclUtils.h"
#include "skin/images/acAlphaImageList.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/ImgList.h"

#include <algorithm>
#include <optional>

namespace {

const ks::PropertyInfo CheckBoxProps[] = {
    ks::Prop<&TsCheckBox::Alignment, &TsCheckBox::SetAlignment>("Alignment").DefaultIs(taRightJustify),
    ks::Prop<&TsCheckBox::AutoSize, &TsCheckBox::SetAutoSize>("AutoSize").DefaultIs(true),
    ks::Prop<&TButtonControl::WordWrap, &TButtonControl::SetWordWrap>("WordWrap").DefaultIs(false),
    ks::Prop<&TsCheckBox::SkinData>("SkinData"),
    ks::Prop<&TsCheckBox::DisabledKind, &TsCheckBox::SetDisabledKind>("DisabledKind").DefaultIs(TsDisabledKind{dkBlended}),
    ks::Prop<&TsCheckBox::GlyphUnChecked, &TsCheckBox::SetGlyphUnChecked>("GlyphUnChecked"),
    ks::Prop<&TsCheckBox::GlyphChecked, &TsCheckBox::SetGlyphChecked>("GlyphChecked"),
    ks::Prop<&TsCheckBox::TextIndent, &TsCheckBox::SetTextIndent>("TextIndent").DefaultIs(0),
    ks::Prop<&TsCheckBox::ShowFocus, &TsCheckBox::SetShowFocus>("ShowFocus").DefaultIs(true),
    ks::Prop<&TsCheckBox::Margin, &TsCheckBox::SetMargin>("Margin").DefaultIs(2),
    ks::Prop<&TsCheckBox::Images, &TsCheckBox::SetImages>("Images"),
    ks::Prop<&TsCheckBox::ImgChecked, &TsCheckBox::SetImgChecked>("ImgChecked"),
    ks::Prop<&TsCheckBox::ImgUnchecked, &TsCheckBox::SetImgUnchecked>("ImgUnchecked"),
    ks::Prop<&TsCheckBox::AnimatEvents, &TsCheckBox::SetAnimatEvents>("AnimatEvents").DefaultIs(TacAnimatEvents{aeGlobalDef}),
    ks::Prop<&TsCheckBox::GetReadOnly, &TsCheckBox::SetReadOnly>("ReadOnly").DefaultIs(false),
};

constexpr int NoGlyphSize = 16;

bool Has(const TComponent* c, TComponentStateItem item) noexcept { return c->ComponentState().Contains(item); }

// The state cells of a strip W wide and H high: square cells side by side, or one cell when
// the width is no multiple of the height.
int StripCells(int w, int h) noexcept
{
    return (h > 0 && w % h == 0 && w / h > 0) ? w / h : 1;
}

} // namespace

const ks::ClassInfo TsCheckBox::StaticClassInfo{"TsCheckBox", &TCheckBox::StaticClassInfo, CheckBoxProps, {}};
const ks::ClassInfo& TsCheckBox::ClassInfo() const noexcept { return StaticClassInfo; }

TsCheckBox::TsCheckBox(TComponent* owner)
    : TCheckBox(owner), FSkinData(std::make_unique<TsCommonData>(this, true)),
      FGlyphUnChecked(std::make_unique<TBitmap>()), FGlyphChecked(std::make_unique<TBitmap>())
{
    FSkinData->ControlKind = ckCheckBox;
    const TNotifyEvent changed(this, &TsCheckBox::GlyphPictureChanged);
    FGlyphUnChecked->SetOnChange(changed);
    FGlyphChecked->SetOnChange(changed);
    FImagesLink.SetOnChange(changed);
}

TsCheckBox::~TsCheckBox() = default;

void TsCheckBox::AfterConstruction()
{
    TCheckBox::AfterConstruction();
    FSkinData->Loaded();
}

void TsCheckBox::Loaded()
{
    TCheckBox::Loaded();
    FSkinData->Loaded();
    AdjustSize();
}

void TsCheckBox::ActionChange(TObject* sender, bool checkDefaults)
{
    FSkinData->BackgroundChanged = true;
    TCheckBox::ActionChange(sender, checkDefaults);
    Repaint();
}

void TsCheckBox::CreateWnd()
{
    TCheckBox::CreateWnd();
    // The caption is measured in the font the window is given.
    AdjustSize();
}

void TsCheckBox::BeforeDestruction()
{
    // Before the owned components go: the fade timer is one of them.
    StopFadeTimer(FFadeTimer);
    TCheckBox::BeforeDestruction();
}

void TsCheckBox::Notification(TComponent* component, TOperation operation)
{
    TCheckBox::Notification(component, operation);
    // A freed image list would otherwise be drawn from on the next paint.
    if (operation == opRemove && component == FImages)
        SetImages(nullptr);
}

// ---- properties -----------------------------------------------------------------------------

void TsCheckBox::SetAlignment(TAlignment value)
{
    if (value == FAlignment)
        return;
    FAlignment = value;
    FSkinData->Invalidate();
}

void TsCheckBox::SetAutoSize(bool value)
{
    if (value == FAutoSize)
        return;
    FAutoSize = value;
    AdjustSize();
}

void TsCheckBox::SetDisabledKind(TsDisabledKind value)
{
    if (value == FDisabledKind)
        return;
    FDisabledKind = value;
    FSkinData->Invalidate();
}

void TsCheckBox::GlyphChanged()
{
    AdjustSize();
    FSkinData->Invalidate();
}

void TsCheckBox::GlyphPictureChanged(TObject*)
{
    GlyphChanged();
}

void TsCheckBox::SetGlyphChecked(TBitmap* value)
{
    FGlyphChecked->Assign(value);
    GlyphChanged();
}

void TsCheckBox::SetGlyphUnChecked(TBitmap* value)
{
    FGlyphUnChecked->Assign(value);
    GlyphChanged();
}

void TsCheckBox::SetTextIndent(int value)
{
    if (value == FTextIndent)
        return;
    FTextIndent = value;
    GlyphChanged();
}

void TsCheckBox::SetShowFocus(bool value)
{
    if (value == FShowFocus)
        return;
    FShowFocus = value;
    FSkinData->Invalidate();
}

void TsCheckBox::SetMargin(int value)
{
    if (value == FMargin)
        return;
    FMargin = value;
    GlyphChanged();
}

void TsCheckBox::SetImages(TCustomImageList* value)
{
    if (value == FImages)
        return;
    if (FImages) {
        FImages->RemoveFreeNotification(this);
        FImages->UnRegisterChanges(&FImagesLink);
    }
    FImages = value;
    if (FImages) {
        FImages->FreeNotification(this);
        FImages->RegisterChanges(&FImagesLink);
    }
    GlyphChanged();
}

void TsCheckBox::SetImgChecked(int value)
{
    if (value == FImgChecked)
        return;
    FImgChecked = value;
    AdjustSize();
    if (State() == cbChecked)
        FSkinData->Invalidate();
}

void TsCheckBox::SetImgUnchecked(int value)
{
    if (value == FImgUnchecked)
        return;
    FImgUnchecked = value;
    AdjustSize();
    if (State() == cbUnchecked)
        FSkinData->Invalidate();
}

// ---- geometry -------------------------------------------------------------------------------

TAlignment TsCheckBox::GetControlsAlignment() const noexcept
{
    if (!UseRightToLeftAlignment())
        return FAlignment;
    return FAlignment == taLeftJustify ? taRightJustify : taLeftJustify;
}

bool TsCheckBox::ImageListSource() const noexcept
{
    return FImages && FImgChecked >= 0 && FImgUnchecked >= 0;
}

bool TsCheckBox::OwnGlyphSource() const noexcept
{
    return FGlyphChecked->Width() >= 1;
}

TBitmap* TsCheckBox::CurrentGlyph() const noexcept
{
    TBitmap* glyph = Checked() ? FGlyphChecked.get() : FGlyphUnChecked.get();
    return glyph->Empty() ? nullptr : glyph;
}

int TsCheckBox::GlyphMaskIndex() const noexcept
{
    const TsSkinManager* manager = FSkinData->SkinManager();
    if (!manager)
        return -1;
    const char* key = State() == cbChecked ? "BOXCHECKED" : State() == cbGrayed ? "BOXGRAYED" : "BOXUNCHECKED";
    const int index = manager->FindMask(manager->CommonIndexes.GlobalInfoIndex, "GLOBALINFO", key);
    return manager->MaskIndexValid(index) ? index : -1;
}

TSize TsCheckBox::GlyphCellSize() const noexcept
{
    int w = 0, h = 0;
    if (ImageListSource()) {
        w = FImages->Width();
        h = FImages->Height();
    } else if (const TBitmap* glyph = CurrentGlyph()) {
        w = glyph->Width();
        h = glyph->Height();
    } else {
        return {NoGlyphSize, NoGlyphSize};
    }
    return {w / StripCells(w, h), h};
}

TRect TsCheckBox::PlaceGlyph(int gw, int gh) const noexcept
{
    const int top = (Height() - gh) / 2;
    if (GetControlsAlignment() == taRightJustify)
        return {FMargin, top, FMargin + gw, top + gh};
    return {Width() - gw - FMargin, top, Width() - FMargin, top + gh};
}

TRect TsCheckBox::CheckRect()
{
    if (ImageListSource() || OwnGlyphSource()) {
        const TSize cell = GlyphCellSize();
        return PlaceGlyph(cell.cx, cell.cy);
    }
    const int index = GlyphMaskIndex();
    if (index < 0)
        return {0, 0, NoGlyphSize, NoGlyphSize};
    const TsMaskData& mask = FSkinData->SkinManager()->MaskArray[static_cast<size_t>(index)];
    int gw = 0, gh = 0;
    if (mask.Bmp) {
        gw = mask.Bmp->Width() / 3;
        gh = mask.Bmp->Height() / 2;
    } else {
        gw = mask.R.Width() / std::max<int>(1, mask.ImageCount);
        gh = mask.R.Height() / (mask.MaskType + 1);
    }
    return PlaceGlyph(gw, gh);
}

bool TsCheckBox::CanAutoSize(int& newWidth, int& newHeight)
{
    if (!FSkinData->IsSkinActive(false) || !FAutoSize || Has(this, csLoading))
        return false;
    const std::wstring caption = Caption();
    const TSize text = caption.empty() ? TSize{0, 0} : TextSizeOfFont(Font()->Handle(), caption);
    const TRect check = CheckRect();
    newWidth = check.Width() + 2 * FMargin + (caption.empty() ? 0 : text.cx + FTextIndent + 8);
    newHeight = std::max(check.Height(), text.cy + 2 * FMargin) + 2;
    return true;
}

void TsCheckBox::AdjustSize()
{
    int w = Width(), h = Height();
    if (CanAutoSize(w, h) && (w != Width() || h != Height()))
        SetBounds(Left(), Top(), w, h);
}

// ---- painting -------------------------------------------------------------------------------

bool TsCheckBox::Hot() const noexcept
{
    return FSkinData->IsControlHot() && !GetReadOnly();
}

int TsCheckBox::CellIndex(int cells) const noexcept
{
    const int last = std::max(0, cells - 1);
    if (FPressed)
        return std::min(2, last);
    if (Hot())
        return std::min(1, last);
    return 0;
}

void TsCheckBox::DrawCheckText()
{
    const std::wstring caption = Caption();
    if (caption.empty())
        return;
    TCanvas& canvas = FSkinData->CacheBitmap->Canvas();
    const int cw = CheckRect().Width();
    const int maxW = Width() - (cw + FTextIndent + 2 * FMargin + 2);
    TRect measured{0, 0, maxW, 0};
    DrawTextOnDC(canvas.Handle(), caption, measured, DT_CALCRECT | (WordWrap() ? DT_WORDBREAK : DT_SINGLELINE));
    const int th = measured.Height(), tw = measured.Width();
    const int top = std::max((Height() - th) / 2, FMargin);
    TRect r;
    if (GetControlsAlignment() == taRightJustify) {
        const int left = Width() - maxW - FMargin + 2;
        r = {left, top, left + tw, top + th};
    } else {
        r = {FMargin, top, FMargin + maxW, top + th};
    }
    r = {r.Left - (WordWrap() ? 1 : 0), r.Top - 1, r.Right - (WordWrap() ? 1 : 0), r.Bottom - 1};
    canvas.Brush().SetStyle(bsClear);
    DrawControlText(canvas, caption, true, r, DrawTextBiDiModeFlags(WordWrap() ? DT_WORDBREAK | DT_CENTER : DT_SINGLELINE),
                    *FSkinData, Hot());
    canvas.Pen().SetStyle(psClear);
    canvas.Brush().SetStyle(bsSolid);
    if (Focused() && FShowFocus) {
        if (!WordWrap())
            r.Right -= 1;
        r.Top += 1;
        r = {r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1};
        DrawFocusDots(canvas, r);
    }
}

void TsCheckBox::DrawStripCell(TBitmap& strip, int cell)
{
    const TRect check = CheckRect();
    const int gw = check.Width(), gh = check.Height();
    const TRect src{gw * cell, 0, gw * (cell + 1), gh};
    if (strip.PixelFormat() == pf32bit) {
        AlphaBlendRect(check, src, *FSkinData->CacheBitmap, &strip, NoBackgroundCacheInfo, false);
        return;
    }
    // The alpha copy would read a bitmap without alpha as a skin image whose lower half is its
    // mask; an own glyph is a whole picture, transparent where it has the key colour.
    strip.SetPixelFormat(pf24bit);
    CopyRectKeyed(*FSkinData->CacheBitmap, strip, check.Left, check.Top, {src.Left, 0, src.Right - 1, gh - 1},
                  TransparentKeyColor);
}

namespace {

// The image of a strip of state cells. An alpha image list gives its 32-bit picture, blended by
// its alpha; any other list draws over the key colour, since its soft edges have no alpha to
// keep (blended over the key colour they would come out pink).
std::unique_ptr<TBitmap> StripBitmap(TCustomImageList* list, int index)
{
    auto* alpha = dynamic_cast<TsAlphaImageList*>(list);
    if (!alpha)
        return GetImageListBitmap(list, index);
    std::unique_ptr<TBitmap> strip = NewBitmap32(list->Width(), list->Height());
    if (!alpha->GetBitmap32(index, strip.get()))
        return nullptr;
    return strip;
}

} // namespace

void TsCheckBox::DrawImgGlyph()
{
    TBitmap& cache = *FSkinData->CacheBitmap;
    if (ImageListSource()) {
        const int index = Checked() ? FImgChecked : FImgUnchecked;
        const int w = FImages->Width(), h = FImages->Height();
        const TRect check = CheckRect();
        if (h > 0 && w / h > 1 && w % h == 0) {
            if (std::unique_ptr<TBitmap> strip = StripBitmap(FImages, index))
                DrawStripCell(*strip, CellIndex(w / h));
        } else if (index < ImageListCount(FImages)) {
            FImages->Draw(cache.Canvas(), check.Left, check.Top, index, true);
        }
        return;
    }
    if (OwnGlyphSource()) {
        if (TBitmap* glyph = CurrentGlyph(); glyph && glyph->Width() > 0)
            DrawStripCell(*glyph, CellIndex(StripCells(glyph->Width(), glyph->Height())));
        return;
    }
    const int index = GlyphMaskIndex();
    if (index < 0 || cache.Width() <= 0)
        return;
    const TsMaskData& mask = FSkinData->SkinManager()->MaskArray[static_cast<size_t>(index)];
    const TRect check = CheckRect();
    PaintStateGlyph(cache, {check.Left, check.Top}, CellIndex(3), 1, mask, CacheInfoFromBitmap(&cache, 0, 0));
}

void TsCheckBox::PrepareCache()
{
    FSkinData->EnsureCacheBitmap();
    TBitmap* cache = FSkinData->CacheBitmap.get();
    if (!cache || cache->Empty())
        return;
    cache->Canvas().Font().Assign(Font());
    const CacheInfo background = FSkinData->QueryBackgroundInfo();
    PaintControlSection(*FSkinData, background, true, Hot() ? 1 : 0, {0, 0, cache->Width(), Height()},
                        {Left(), Top()}, cache, false);
    DrawCheckText();
    DrawImgGlyph();
    if (!Enabled())
        ApplyDisabledLook(*cache, FDisabledKind, Parent(), background, {Left(), Top()});
    FSkinData->BackgroundChanged = false;
    FPaintedLook.CacheRebuilt();
}

TsCheckBox::Look TsCheckBox::LookNow() const
{
    return {TsButtonLook::Of(*this, *FSkinData),
            Hot(),
            FPressed,
            State(),
            GetControlsAlignment(),
            FShowFocus,
            FMargin,
            FTextIndent,
            FDisabledKind,
            FImages,
            FImgChecked,
            FImgUnchecked};
}

void TsCheckBox::PaintToDC(HDC dc)
{
    if (FSkinData->Updating() || (FFadeTimer && FFadeTimer->Enabled()))
        return;
    // Only a box its parent cuts must paint again each time the parent has painted; a box that
    // kept the flag it is born with would repaint with every paint of its parent.
    FSkinData->ClippedByParent = !Parent() || !RectInRect(Parent()->ClientRect(), BoundsRect());
    // Key presses, clicks and focus change the look through the platform's handlers too, which
    // set no flag.
    TBitmap* cache = FPaintedLook.CacheFor(*this, LookNow(), 0);
    if (!cache)
        return;
    // The whole window shows the picture: in a mirrored window it reads left to right.
    ks::UnmirroredDC unmirrored(dc);
    BitBlt(dc, 0, 0, Width(), Height(), cache->Canvas().Handle(), 0, 0, SRCCOPY);
}

void TsCheckBox::WMPaint(HDC given)
{
    // A real paint validates its update region even when it draws nothing.
    std::optional<ks::PaintDC> paint;
    if (!given)
        paint.emplace(Handle());
    HDC dc = given ? given : paint->get();
    const int saved = SaveDC(dc);
    if (FSkinData->Updating())
        FSkinData->SetUpdating(true);
    else
        PaintToDC(dc);
    RestoreDC(dc, saved);
}

// ---- messages -------------------------------------------------------------------------------

bool TsCheckBox::SkinCommand(TMessage& m)
{
    ks::SkinCommandView view(m);
    switch (view.Command()) {
    case SKC_IS_SKINNED: return AnswerCommand(view, 1);
    case SKC_NEW_SKIN: return NewSkinCommand(view);
    case SKC_REMOVE_SKIN: return RemoveSkinCommand(view);
    case SKC_REFRESH: return RefreshCommand(view);
    case SKC_STOP_FADE: return StopFadeCommand();
    case SKC_PREPARE_CACHE: return PrepareCacheCommand();
    case SKC_GET_APPLICATION: return AnswerCommand(view, reinterpret_cast<LRESULT>(Application));
    default: return false;
    }
}

bool TsCheckBox::AnswerCommand(ks::SkinCommandView view, LRESULT answer)
{
    view.SetResult(answer);
    return true;
}

bool TsCheckBox::StopFadeCommand()
{
    StopFadeTimer(FFadeTimer);
    return true;
}

// Answered, then on to the other handlers.
bool TsCheckBox::PrepareCacheCommand()
{
    PrepareCache();
    return false;
}

bool TsCheckBox::NewSkinCommand(ks::SkinCommandView view)
{
    if (view.Manager() != FSkinData->SkinManager())
        return false;
    StopFadeTimer(FFadeTimer);
    RouteSkinMessage(view.Message(), FSkinData.get());
    AdjustSize();
    return true;
}

bool TsCheckBox::RemoveSkinCommand(ks::SkinCommandView view)
{
    if (view.Manager() != FSkinData->SkinManager() || Has(this, csDestroying))
        return false;
    StopFadeTimer(FFadeTimer);
    RouteSkinMessage(view.Message(), FSkinData.get());
    if (HandleAllocated()) {
        // The platform button shows the state again, in the system's own look.
        SendMessageW(Handle(), BM_SETCHECK, static_cast<WPARAM>(State()), 0);
        GiveVisualStyleBack(Handle());
    }
    Repaint();
    return true;
}

bool TsCheckBox::RefreshCommand(ks::SkinCommandView view)
{
    if (view.Manager() != FSkinData->SkinManager())
        return false;
    StopFadeTimer(FFadeTimer);
    RouteSkinMessage(view.Message(), FSkinData.get());
    AdjustSize();
    Repaint();
    return true;
}

// Painting waited for the parent, or the parent clips the box: it paints now, then the message
// goes on to the platform.
bool TsCheckBox::ParentUpdatedCommand()
{
    if (!FSkinData->Updating() && !FSkinData->ClippedByParent)
        return false;
    FSkinData->SetUpdating(false);
    if (!Has(this, csDesigning))
        Repaint();
    return false;
}

void TsCheckBox::FocusBox()
{
    if (Focused() || !HandleAllocated())
        return;
    // Taking the focus must not click the box.
    const bool saved = ClicksDisabled();
    SetClicksDisabled(true);
    ::SetFocus(Handle());
    SetClicksDisabled(saved);
}

bool TsCheckBox::SkinnedMessage(TMessage& m)
{
    const bool designing = Has(this, csDesigning);
    switch (m.Msg) {
    case SM_SKINCMD: return ks::SkinCommandView(m).Command() == SKC_PARENT_UPDATED && ParentUpdatedCommand();
    case WM_UPDATEUISTATE:
        // The themed button would otherwise paint its focus cues over the skin.
        if (HandleAllocated())
            SwitchVisualStyleOff(Handle());
        return true;
    case WM_NCPAINT:
    case WM_ENABLE: return true;
    case WM_PAINT:
        WMPaint(reinterpret_cast<HDC>(m.WParam));
        return true;
    case WM_ERASEBKGND: m.Result = 1; return true;
    case BM_SETCHECK:
        if (FFadeTimer && FFadeTimer->Enabled() && FFadeTimer->Step < FFadeTimer->StepCount)
            StopFadeTimer(FFadeTimer);
        return false;
    case WM_KEYDOWN:
        if (m.WParam != VK_SPACE || !Enabled() || designing)
            return false;
        if (!GetReadOnly()) {
            FPressed = true;
            FocusBox();
            Repaint();
            WORD key = VK_SPACE;
            KeyDown(key, KeyDataToShiftState(m.LParam));
        }
        return true;
    case WM_KEYUP:
    case WM_LBUTTONUP:
        if ((m.Msg == WM_KEYUP && m.WParam != VK_SPACE) || !Enabled() || designing)
            return false;
        if (!GetReadOnly()) {
            const bool toggle = FPressed;
            FPressed = false;
            if (toggle)
                Toggle();
            if (m.Msg == WM_KEYUP) {
                WORD key = VK_SPACE;
                KeyUp(key, KeyDataToShiftState(m.LParam));
            } else {
                const TWMMouse mouse(m);
                MouseUp(mbLeft, KeysToShiftState(mouse.Keys()), mouse.XPos(), mouse.YPos());
            }
            // A release that did not toggle still leaves the pressed look.
            if (!toggle)
                FSkinData->Invalidate();
        }
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!Enabled() || designing)
            return false;
        if (!GetReadOnly()) {
            FPressed = true;
            StartStateFade(FFadeTimer, *FSkinData, true, AnimEventAllowed(aeMouseDown, FAnimatEvents, nullptr), 1);
            FocusBox();
            if (m.Msg == WM_LBUTTONDBLCLK) {
                DblClick();
            } else {
                const TWMMouse mouse(m);
                MouseDown(mbLeft, KeysToShiftState(mouse.Keys()), mouse.XPos(), mouse.YPos());
            }
        }
        return true;
    case WM_PRINT:
        FSkinData->SetUpdating(false);
        WMPaint(reinterpret_cast<HDC>(m.WParam));
        return true;
    case CM_ENABLEDCHANGED:
        TCheckBox::WndProc(m);
        FSkinData->BackgroundChanged = true;
        Repaint();
        return true;
    case CM_TEXTCHANGED:
        FSkinData->BackgroundChanged = true;
        Repaint();
        return true;
    case CM_CHANGED:
        if (designing)
            FSkinData->Invalidate();
        else
            StartStateFade(FFadeTimer, *FSkinData, true, AnimEventAllowed(aeMouseUp, FAnimatEvents, nullptr), 1);
        TCheckBox::WndProc(m);
        return true;
    default: return false;
    }
}

void TsCheckBox::UnskinnedMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_KEYDOWN: FPressed = true; break;
    case WM_LBUTTONUP:
    case WM_KEYUP: FPressed = false; break;
    case WM_LBUTTONDBLCLK:
        if (GetReadOnly())
            return;
        break;
    case BM_SETCHECK:
    case BM_SETSTATE:
        if (FPressed && GetReadOnly() && !ControlState().Contains(csClicked))
            return;
        break;
    default: break;
    }
    TCheckBox::WndProc(m);
}

void TsCheckBox::WndProc(TMessage& m)
{
    if (m.Msg == SM_SKINCMD && SkinCommand(m))
        return;
    const bool designing = Has(this, csDesigning);
    if (FSkinData->IsSkinActive(true) && !designing) {
        switch (m.Msg) {
        case CM_TEXTCHANGED:
        case CM_FONTCHANGED:
            // Also before the box has a parent to paint on.
            TCheckBox::WndProc(m);
            AdjustSize();
            FSkinData->BackgroundChanged = true;
            if (!CanPaintControl(this) || m.Msg == CM_FONTCHANGED)
                return;
            break;
        case CM_MOUSEENTER:
            if (Enabled() && !FSkinData->MouseIsAbove) {
                FSkinData->MouseIsAbove = true;
                StartStateFade(FFadeTimer, *FSkinData, false, AnimEventAllowed(aeMouseEnter, FAnimatEvents, nullptr), 1);
            }
            break;
        case CM_MOUSELEAVE:
            if (Enabled()) {
                FSkinData->MouseIsAbove = false;
                FPressed = false;
                StartStateFade(FFadeTimer, *FSkinData, false, AnimEventAllowed(aeMouseLeave, FAnimatEvents, nullptr), 1);
            }
            break;
        case WM_SETFOCUS:
        case CM_ENTER:
            if (!Enabled())
                return;
            TCheckBox::WndProc(m);
            FSkinData->BackgroundChanged = true;
            if (FFadeTimer)
                StepFade(*FFadeTimer);
            else
                Repaint();
            return;
        case WM_KILLFOCUS:
        case CM_EXIT:
            if (!Enabled())
                break;
            StopFadeTimer(FFadeTimer);
            // The platform button would paint its own focus change over the skin.
            Perform(WM_SETREDRAW, 0, 0);
            TCheckBox::WndProc(m);
            if (Has(this, csDestroying))
                return;
            Perform(WM_SETREDRAW, 1, 0);
            FSkinData->HasFocus = false;
            FSkinData->MouseIsAbove = false;
            FSkinData->Invalidate();
            return;
        default: break;
        }
    }
    if (!FSkinData->IsSkinActive(true)) {
        UnskinnedMessage(m);
        return;
    }
    if (!CanPaintControl(this)) {
        TCheckBox::WndProc(m);
        return;
    }
    RouteSkinMessage(m, FSkinData.get());
    if (!SkinnedMessage(m))
        TCheckBox::WndProc(m);
}

void InitializeSCheckBoxUnit()
{
    RegisterClasses<TsCheckBox>();
}
