#include "skin/adapters/SpeedButtonAdapter.h"

#include "skin/adapters/AdapterPainting.h"
#include "skin/adapters/SmallAdapterGeometry.h"
#include "skin/core/ControlFramePainting.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/GlyphDrawing.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sVclUtils.h"
#include "vcl/Buttons.h"
#include "vcl/Forms.h"

#include <algorithm>

namespace {

// Captions are measured in a box this wide and wrap inside it.
constexpr int CaptionMeasureWidth = 255;

} // namespace

TacSpeedButtonHandler::TacSpeedButtonHandler(TSpeedButton* button, TsSkinManager* manager, TsCommonData* skinData,
                                             std::string_view section)
    : Button(button), SkinManager(manager), SkinData(skinData)
{
    if (!SkinManager && SkinData)
        SkinManager = SkinData->SkinManager();
    if (SkinData && (SkinData->SkinSection().empty() || SkinData->SkinSection() == "UNKNOWN") && !section.empty())
        SkinData->SetSkinSection(std::string(section));
    if (!Button) {
        Destroyed = true;
        return;
    }
    FWatch.Watch(Button);
    SavedWindowProc = Button->WindowProc();
    Button->SetWindowProc(TWndMethod(this, &TacSpeedButtonHandler::WndProc));
}

TacSpeedButtonHandler::~TacSpeedButtonHandler()
{
    // The button takes its own procedure back only while it is there and still calls this
    // handler; whoever replaced the handler later holds the saved one and keeps it.
    if (!Destroyed && ButtonAlive() && Button->WindowProc() == TWndMethod(this, &TacSpeedButtonHandler::WndProc))
        Button->SetWindowProc(SavedWindowProc);
    Destroyed = true;
    SkinManager = nullptr;
}

bool TacSpeedButtonHandler::ButtonAlive() const
{
    return Button && FWatch.Alive(Button);
}

void TacSpeedButtonHandler::PassOn(TMessage& m)
{
    // A copy: the button's handlers may free this handler while the call runs.
    if (const TWndMethod saved = SavedWindowProc; saved.Assigned())
        saved(m);
    else
        m.Result = 0;
}

void TacSpeedButtonHandler::WndProc(TMessage& m)
{
    const bool handled = [&] {
        switch (m.Msg) {
        case WM_PAINT: return WMPaint(m);
        case CM_MOUSEENTER: return HoverChange(m, true);
        case CM_MOUSELEAVE: return HoverChange(m, false);
        case SM_SKINCMD: return SkinCommand(m);
        default: return false;
        }
    }();
    if (!handled)
        PassOn(m);
}

// The parent's paint request brings the device context, its origin at the button.
bool TacSpeedButtonHandler::WMPaint(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (!dc)
        return true;
    const int saved = SaveDC(dc);
    if (PrepareCache())
        BitBlt(dc, 0, 0, Button->Width(), Button->Height(), SkinData->CacheBitmap->Canvas().Handle(), 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
    m.Result = 0;
    return true;
}

bool TacSpeedButtonHandler::HoverChange(TMessage& m, bool entered)
{
    if (SkinData)
        SkinData->MouseIsAbove = entered;
    // OnMouseEnter and OnMouseLeave may free this handler, alone or with the form's provider or
    // the skin manager.
    const std::weak_ptr<const void> life = FLife;
    PassOn(m);
    if (!life.expired() && ButtonAlive())
        Button->Repaint();
    return true;
}

void TacSpeedButtonHandler::RepaintIfVisible()
{
    if (ButtonAlive() && Button->Visible())
        Button->Repaint();
}

bool TacSpeedButtonHandler::SkinCommand(TMessage& m)
{
    if (!SkinData)
        return false;
    const ks::SkinCommandView view(m);
    const bool own = view.Manager() == SkinData->SkinManager();
    switch (view.Command()) {
    case SKC_NEW_SKIN:
        if (!own)
            return false;
        RouteSkinMessage(m, SkinData);
        return true;
    case SKC_REMOVE_SKIN:
        if (!own || Button->ComponentState().Contains(csDestroying))
            return false;
        RouteSkinMessage(m, SkinData);
        RepaintIfVisible();
        return false;
    case SKC_REFRESH:
        if (!own)
            return false;
        RouteSkinMessage(m, SkinData);
        RepaintIfVisible();
        return true;
    case SKC_PARENT_UPDATED:
        if (!SkinData->UpdateLock)
            return false;
        SkinData->SetUpdating(false);
        Button->Repaint();
        return true;
    case SKC_IS_SKINNED: m.Result = 1; return true;
    case SKC_REPAINT_NOW:
        SkinData->SetUpdating(false);
        SkinData->BackgroundChanged = true;
        Button->Repaint();
        return false;
    case SKC_GET_APPLICATION: m.Result = reinterpret_cast<LRESULT>(Application); return true;
    default: return false;
    }
}

int TacSpeedButtonHandler::ButtonState() const
{
    if (Button->State() == bsDown || Button->State() == bsExclusive)
        return 2;
    return SkinData->IsControlHot() ? 1 : 0;
}

TSize TacSpeedButtonHandler::GlyphSize() const
{
    TBitmap* glyph = Button->Glyph();
    if (!glyph || glyph->Empty())
        return TSize{0, 0};
    return TSize{glyph->Width() / std::max(Button->NumGlyphs(), 1), glyph->Height()};
}

TSize TacSpeedButtonHandler::CaptionSize(TBitmap& cache) const
{
    const std::wstring caption = Button->Caption();
    if (caption.empty())
        return TSize{0, 0};
    RECT r{0, 0, CaptionMeasureWidth, 0};
    DrawTextW(cache.Canvas().Handle(), caption.c_str(), static_cast<int>(caption.size()), &r,
              DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK);
    return TSize{r.right - r.left, r.bottom - r.top};
}

void TacSpeedButtonHandler::PaintCaption(TBitmap& cache, int state, TSize glyph)
{
    const std::wstring caption = Button->Caption();
    if (caption.empty())
        return;
    ks::adapters::SpeedButtonFacts facts;
    facts.button = TSize{Button->Width(), Button->Height()};
    facts.glyph = glyph;
    facts.text = CaptionSize(cache);
    facts.layout = static_cast<ks::adapters::GlyphLayout>(Button->Layout());
    facts.margin = Button->Margin();
    facts.spacing = Button->Spacing();
    facts.pressed = state == 2;
    TRect r = ks::adapters::SpeedButtonLayout(facts).caption;
    SetBkMode(cache.Canvas().Handle(), TRANSPARENT);
    const UINT flags =
        Button->DrawTextBiDiModeFlags(DrawTextFlagsOf(Button, 2) | DT_EXPANDTABS | DT_WORDBREAK) & ~UINT(DT_SINGLELINE);
    DrawControlText(cache.Canvas(), caption, Button->Enabled(), r, flags, *SkinData, state != 0);
}

void TacSpeedButtonHandler::PaintGlyph(TBitmap& cache, int state, const CacheInfo& behind)
{
    TBitmap* glyph = Button->Glyph();
    const TSize size = GlyphSize();
    if (!glyph || size.cx <= 0 || size.cy <= 0)
        return;
    if (glyph->PixelFormat() == pfDevice)
        glyph->SetPixelFormat(pf24bit);
    ks::adapters::SpeedButtonFacts facts;
    facts.button = TSize{Button->Width(), Button->Height()};
    facts.glyph = size;
    facts.text = CaptionSize(cache);
    facts.layout = static_cast<ks::adapters::GlyphLayout>(Button->Layout());
    facts.margin = Button->Margin();
    facts.spacing = Button->Spacing();
    facts.pressed = state == 2;
    const TPoint at = ks::adapters::SpeedButtonLayout(facts).glyph;
    const TRect target = Rect(at.X, at.Y, at.X + size.cx, at.Y + size.cy);
    if (glyph->PixelFormat() == pf32bit && Button->NumGlyphs() == 1) {
        DrawAlphaImage(target, Rect(0, 0, size.cx, size.cy), cache, glyph, behind, false, clNone, 0, false);
        return;
    }
    DrawGlyphWithEffects(glyph, cache, target, Button->NumGlyphs(), Button->Enabled(), TsDisabledGlyphKind{dgBlended},
                         state, 0, Button->Down());
}

bool TacSpeedButtonHandler::PrepareCache()
{
    if (Destroyed || !SkinData || !ButtonAlive())
        return false;
    const int width = std::max(Button->Width(), 0);
    const int height = std::max(Button->Height(), 0);
    TBitmap* sized = ks::adapters::SizedCache(*SkinData, {width, height});
    if (!sized || sized->Empty())
        return false;
    TBitmap& cache = *sized;
    cache.Canvas().Font().Assign(Button->Font());
    BackgroundInfo info;
    info.R = Button->BoundsRect();
    QueryParentBackground(info, Button->Parent(), false);
    const CacheInfo behind = CacheInfoFromBackground(info);
    if (behind.Ready && behind.Bmp && behind.Bmp->Width() == 0)
        return false;
    const int state = ButtonState();
    PaintControlSection(*SkinData, behind, true, state, Rect(0, 0, width, height), TPoint{Button->Left(), Button->Top()},
                        &cache, false);
    PaintControlFrame(*SkinData, state);
    PaintCaption(cache, state, GlyphSize());
    PaintGlyph(cache, state, behind);
    if (!Button->Enabled())
        ApplyDisabledLook(cache, TsDisabledKind{dkBlended}, Button->Parent(), behind,
                          TPoint{Button->Left(), Button->Top()});
    SkinData->BackgroundChanged = false;
    return true;
}
