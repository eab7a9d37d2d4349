#include "skin/controls/sButton.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/ControlSkinPainting.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/NumberRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/acGlow.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "vcl/ActnList.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"

#include <optional>

bool ForcePressedLook = false;
bool HintsSuppressed = false;
bool SavedShowHint = false;
bool FocusChangeInProgress = false;

namespace {

const ks::PropertyInfo ButtonProps[] = {
    ks::Prop<&TsButton::SkinData>("SkinData"),
    ks::Prop<&TsButton::Down, &TsButton::SetDown>("Down").DefaultIs(false),
    ks::Prop<&TsButton::FocusMargin, &TsButton::SetFocusMargin>("FocusMargin").DefaultIs(1),
    ks::Prop<&TsButton::DisabledKind, &TsButton::SetDisabledKind>("DisabledKind").DefaultIs(TsDisabledKind{dkBlended}),
    ks::Prop<&TsButton::AnimatEvents, &TsButton::SetAnimatEvents>("AnimatEvents").DefaultIs(TacAnimatEvents{aeGlobalDef}),
    ks::Prop<&TsButton::ShowFocus, &TsButton::SetShowFocus>("ShowFocus").DefaultIs(true),
    ks::Prop<&TButtonControl::WordWrap, &TButtonControl::SetWordWrap>("WordWrap").DefaultIs(true),
};

constexpr DWORD OwnerDrawStyle = BS_OWNERDRAW;
constexpr DWORD PlainTypeBits = 0x0B;
constexpr DWORD PressFadeWait = 30;

bool Has(const TComponent* c, TComponentStateItem item) noexcept { return c->ComponentState().Contains(item); }

// The parent gives its background as an image or a colour, which the cache was painted on.
bool ShowsParentBackground(const TsCommonData& data)
{
    const CacheInfo behind = data.QueryBackgroundInfo();
    return behind.Ready || behind.FillColor != TransparentKeyColor;
}

} // namespace

const ks::ClassInfo TsButton::StaticClassInfo{"TsButton", &TButton::StaticClassInfo, ButtonProps, {}};
const ks::ClassInfo& TsButton::ClassInfo() const noexcept { return StaticClassInfo; }

TsButton::TsButton(TComponent* owner) : TButton(owner), FSkinData(std::make_unique<TsCommonData>(this, true))
{
    FControlStyle.Exclude(csOpaque);
    FControlStyle.Exclude(csDoubleClicks);
    FSkinData->ControlKind = ckButton;
    SetWordWrap(true);
}

TsButton::~TsButton()
{
    SetRegion(nullptr);
}

void TsButton::AfterConstruction()
{
    TButton::AfterConstruction();
    FSkinData->Loaded();
}

void TsButton::Loaded()
{
    TButton::Loaded();
    FSkinData->Loaded();
}

void TsButton::BeforeDestruction()
{
    // Before the owned components go: the fade timer is one of them.
    StopFadeTimer(FFadeTimer);
    RestoreHints();
    TButton::BeforeDestruction();
}

bool TsButton::SkinActive() const noexcept
{
    return FSkinData->IsSkinActive();
}

void TsButton::SetDown(bool value)
{
    if (value == FDown)
        return;
    FDown = value;
    if (!Has(this, csLoading))
        FSkinData->Invalidate();
}

void TsButton::SetDisabledKind(TsDisabledKind value)
{
    if (value == FDisabledKind)
        return;
    FDisabledKind = value;
    if (!Has(this, csLoading))
        FSkinData->Invalidate();
}

void TsButton::SetShowFocus(bool value)
{
    if (value == FShowFocus)
        return;
    FShowFocus = value;
    FSkinData->Invalidate();
}

void TsButton::CreateParams(TCreateParams& params)
{
    TButton::CreateParams(params);
    TsSkinManager* manager = FSkinData->SkinManager();
    if (manager && manager->Active() && !manager->SkinName().empty())
        params.Style |= OwnerDrawStyle;
}

void TsButton::SetButtonStyle(bool isDefault)
{
    FActiveDefault = isDefault;
    // The owner-drawn style stays while skinned; the plain button shows its default frame itself.
    if (!SkinActive())
        TButton::SetButtonStyle(isDefault);
    FSkinData->Invalidate();
}

// ---- looks ----------------------------------------------------------------------------------

int TsButton::StateIndex()
{
    const bool pushed = HandleAllocated() && (SendMessageW(Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    const bool heldHere = HandleAllocated() && GetCapture() == Handle() && (GetKeyState(VK_LBUTTON) & 0x8000) != 0;
    if ((pushed || ForcePressedLook) && (FSkinData->MouseIsAbove || !heldHere))
        return 2;
    if (FDown)
        return 2;
    if (FActiveDefault || (HandleAllocated() && (GetWindowLongW(Handle(), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON))
        return 1;
    if (FSkinData->IsControlHot())
        return 1;
    return 0;
}

TSize TsButton::CaptionExtent()
{
    const std::wstring caption = Caption();
    TRect r{0, 0, caption.empty() ? 0 : Width() - 2, 0};
    FSkinData->EnsureCacheBitmap();
    TCanvas& canvas = FSkinData->CacheBitmap->Canvas();
    canvas.Font().Assign(Font());
    DrawTextOnDC(canvas.Handle(), caption, r,
                 DT_CALCRECT | DT_EXPANDTABS | DT_CENTER | (WordWrap() ? DT_WORDBREAK : DT_SINGLELINE));
    return {r.Width(), r.Height()};
}

TRect TsButton::CaptionRect()
{
    const TSize extent = CaptionExtent();
    const int l = (Width() - extent.cx) / 2;
    const int t = (Height() - extent.cy) / 2;
    TRect r{l - 1, t, Width() - l + 2, Height() - t};
    if (StateIndex() == 2)
        r = {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
    return r;
}

void TsButton::DoDrawText(TRect& r, UINT flags)
{
    DrawControlText(FSkinData->CacheBitmap->Canvas(), Caption(), Enabled(), r, DrawTextBiDiModeFlags(flags),
                    *FSkinData, StateIndex() != 0);
}

void TsButton::DrawCaption()
{
    TCanvas& canvas = FSkinData->CacheBitmap->Canvas();
    canvas.Font().Assign(Font());
    canvas.Brush().SetStyle(bsClear);
    TRect r = CaptionRect();
    DoDrawText(r, DT_EXPANDTABS | DT_CENTER | (WordWrap() ? DT_WORDBREAK : 0));
    const TsGeneralData* section = FSkinData->Section();
    if (Enabled() && Focused() && !Caption().empty() && section && section->ShowFocus && FShowFocus) {
        r = {r.Left - FFocusMargin, r.Top - FFocusMargin, r.Right + FFocusMargin, r.Bottom + FFocusMargin};
        DrawFocusDots(canvas, r);
    }
}

void TsButton::SetRegion(HRGN region) noexcept
{
    if (FRegion && FRegion != region)
        DeleteObject(FRegion);
    FRegion = region;
}

void TsButton::PrepareCache()
{
    FSkinData->EnsureCacheBitmap();
    TBitmap* cache = FSkinData->CacheBitmap.get();
    if (!cache || cache->Empty())
        return;
    const int state = StateIndex();
    PaintControlBackground(*FSkinData, FSkinData->QueryBackgroundInfo(), state, {0, 0, Width(), Height()},
                           {Left(), Top()}, cache);
    SetRegion(CreateRectRgn(0, 0, Width(), Height()));
    TsSkinManager* manager = FSkinData->SkinManager();
    if (manager && manager->MaskIndexValid(FSkinData->BorderIndex)) {
        const TsMaskData& mask = manager->MaskArray[static_cast<size_t>(FSkinData->BorderIndex)];
        if (state != 0 || (mask.StretchMode & 2) == 0)
            PaintSkinImageFit(*cache, FRegion, true, mask, state);
    }
    DrawCaption();
    if (!Enabled() || ActionDisabled())
        ApplyDisabledLook(*cache, FDisabledKind, Parent(), FSkinData->QueryBackgroundInfo(), {Left(), Top()});
    FSkinData->BackgroundChanged = false;
    FPaintedLook.CacheRebuilt();
}

bool TsButton::ActionDisabled() const noexcept
{
    const auto* action = dynamic_cast<const TCustomAction*>(Action());
    return action && !action->Enabled();
}

void TsButton::EnabledFromAction()
{
    if (const auto* action = dynamic_cast<const TCustomAction*>(Action()))
        SetEnabled(action->Enabled());
}

void TsButton::ActionChange(TObject* sender, bool checkDefaults)
{
    TButton::ActionChange(sender, checkDefaults);
    if (auto* action = dynamic_cast<TCustomAction*>(sender)) {
        SetEnabled(action->Enabled());
        // The button may have been enabled by code while its action was not: then no change of
        // Enabled repaints it when the action follows.
        FSkinData->Invalidate();
    }
}

TsButton::Look TsButton::LookNow()
{
    return {TsButtonLook::Of(*this, *FSkinData), StateIndex(), ActionDisabled(), FFocusMargin, FShowFocus, FDisabledKind};
}

void TsButton::PaintHandler(HDC given)
{
    // Whatever is skipped, a real paint validates its update region so that it is not asked again.
    std::optional<ks::PaintDC> paint;
    if (!given)
        paint.emplace(Handle());
    if (PaintLock && (!given || given != CaptureDC))
        return;
    HDC dc = given ? given : paint->get();
    FSkinData->UpdateLock = FSkinData->Updating();
    if (FSkinData->UpdateLock)
        return;
    if (FFadeTimer && FFadeTimer->Enabled())
        return;
    PaintTo(dc);
}

void TsButton::PaintTo(HDC dc)
{
    FSkinData->BackgroundChanged = FSkinData->BackgroundChanged || FSkinData->ClippedByParent ||
                                   static_cast<uint8_t>(SendCommandSimple(Parent(), SKC_IS_CACHE_OUTDATED)) != 0;
    FSkinData->ClippedByParent = !Parent() || !RectInRect(Parent()->ClientRect(), BoundsRect());
    // The first region cuts corners out of a window that had none. The picture is copied onto
    // them first, over the parent's image or colour it was made on: that is what the parent
    // would paint there. Having the parent paint them again made a shown form repaint itself,
    // through all its controls, for every button added to it.
    const bool redraw = SkinLoadInProgress || (FNeverPainted && !ShowsParentBackground(*FSkinData));
    FNeverPainted = false;
    // The platform changes the pushed state on its own (space, capture), and a fade builds the
    // cache without giving the window its region: both leave a look the window was not painted in.
    const Look look = LookNow();
    TBitmap* cache = FPaintedLook.CacheFor(*this, look, look.state);
    if (!cache)
        return;
    HDC src = cache->Canvas().Handle();
    // The whole window shows the picture: in a mirrored window it reads left to right.
    ks::UnmirroredDC unmirrored(dc);
    TsSkinManager* manager = FSkinData->SkinManager();
    const bool masked = manager && manager->MaskIndexValid(FSkinData->BorderIndex);
    if (masked) {
        // The corners first, so that the new region never shows old pixels there.
        const int i = FSkinData->BorderIndex;
        const int l = manager->MaskBorderLeft(i), t = manager->MaskBorderTop(i);
        const int r = manager->MaskBorderRight(i), b = manager->MaskBorderBottom(i);
        BitBlt(dc, 0, 0, l, t, src, 0, 0, SRCCOPY);
        BitBlt(dc, 0, Height() - b, Width(), t, src, 0, Height() - b, SRCCOPY);
        BitBlt(dc, Width() - r, Height() - b, r, t, src, Width() - r, Height() - b, SRCCOPY);
        BitBlt(dc, Width() - r, 0, r, t, src, Width() - r, 0, SRCCOPY);
    }
    if (dc != CaptureDC && !ControlState().Contains(csAlignmentNeeded) && FRegion) {
        // The window owns a region once it is set; an unchanged one is not set again.
        HRGN current = CreateRectRgn(0, 0, 0, 0);
        const bool same = GetWindowRgn(Handle(), current) != ERROR && EqualRgn(current, FRegion);
        DeleteObject(current);
        if (same) {
            SetRegion(nullptr);
        } else {
            HRGN region = FRegion;
            FRegion = nullptr;
            // Taking the region tells the window its position changed, which it did not: the
            // picture just made still fits.
            const bool changed = FSkinData->BackgroundChanged;
            if (!SetWindowRgn(Handle(), region, redraw))
                DeleteObject(region);
            FSkinData->BackgroundChanged = changed;
        }
        if (masked && (FLastBounds.Width() > Width() || FLastBounds.Height() > Height()) &&
            !FSkinData->QueryBackgroundInfo().Ready && Parent() && Parent()->HandleAllocated()) {
            // A shrinking button leaves its old corners on a parent that has no image to show.
            const TsMaskData& mask = manager->MaskArray[static_cast<size_t>(FSkinData->BorderIndex)];
            const TRect& lb = FLastBounds;
            const RECT areas[] = {
                {lb.Right - mask.WR, lb.Top, lb.Right, lb.Top + mask.WT},
                {lb.Right - mask.WR, lb.Bottom - mask.WB, lb.Right, lb.Bottom},
                {lb.Left, lb.Bottom - mask.WB, lb.Left + mask.WL, lb.Bottom},
            };
            for (const RECT& a : areas)
                InvalidateRect(Parent()->Handle(), &a, TRUE);
        }
        FLastBounds = BoundsRect();
    }
    SetRegion(nullptr);
    const int saved = SaveDC(dc);
    BitBlt(dc, 0, 0, Width(), Height(), src, 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
}

// ---- mouse ----------------------------------------------------------------------------------

void TsButton::SuppressHints()
{
    if (HintsSuppressed || !Application)
        return;
    SavedShowHint = Application->ShowHint();
    Application->SetShowHint(false);
    HintsSuppressed = true;
}

void TsButton::RestoreHints()
{
    if (!HintsSuppressed)
        return;
    if (Application)
        Application->SetShowHint(SavedShowHint);
    HintsSuppressed = false;
}

void TsButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (SkinActive() && Enabled()) {
        FSkinData->UpdateLock = false;
        if (button == mbLeft)
            SuppressHints();
        FPressed = true;
        if (button == mbLeft && !FDown) {
            FSkinData->UpdateLock = FSkinData->Updating();
            FSkinData->BackgroundChanged = false;
            StartStateFade(FFadeTimer, *FSkinData, true, AnimEventAllowed(aeMouseDown, FAnimatEvents, nullptr), 1);
        }
        RestoreHints();
    }
    TButton::MouseDown(button, shift, x, y);
}

void TsButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (SkinActive() && Enabled()) {
        if (button == mbLeft)
            RestoreHints();
        if (!FPressed || Has(this, csDestroying))
            return;
        FPressed = false;
        if (button == mbLeft) {
            if (FFadeTimer && FFadeTimer->Step < FFadeTimer->StepCount) {
                // The pressed look is shown whole before the release fades from it.
                FFadeTimer->SetEnabled(false);
                FSkinData->BackgroundChanged = true;
                ForcePressedLook = true;
                RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                ForcePressedLook = false;
                ks::Sys().Sleep(PressFadeWait);
            }
            FSkinData->UpdateLock = false;
            FSkinData->BackgroundChanged = false;
            StartStateFade(FFadeTimer, *FSkinData, true, AnimEventAllowed(aeMouseUp, FAnimatEvents, nullptr), 1);
        }
    }
    TButton::MouseUp(button, shift, x, y);
}

// ---- messages -------------------------------------------------------------------------------

bool TsButton::SkinCommand(TMessage& m)
{
    ks::SkinCommandView view(m);
    switch (view.Command()) {
    case SKC_STOP_FADE: return StopFadeCommand();
    case SKC_PREPARE_CACHE: return PrepareCacheCommand();
    case SKC_FADE_FRAME: return FadeFrameCommand();
    case SKC_GET_APPLICATION: return AnswerCommand(view, reinterpret_cast<LRESULT>(Application));
    case SKC_IS_SKINNED: return AnswerCommand(view, 1);
    case SKC_NEW_SKIN: return NewSkinCommand(view);
    case SKC_REMOVE_SKIN: return RemoveSkinCommand(view);
    case SKC_REFRESH: return RefreshCommand(view);
    default: return false;
    }
}

bool TsButton::AnswerCommand(ks::SkinCommandView view, LRESULT answer)
{
    view.SetResult(answer);
    return true;
}

bool TsButton::StopFadeCommand()
{
    StopFadeTimer(FFadeTimer);
    return true;
}

// Answered, then on to the other handlers.
bool TsButton::PrepareCacheCommand()
{
    PrepareCache();
    return false;
}

// The fade shows its frame itself; the next paint starts without a pending region.
bool TsButton::FadeFrameCommand()
{
    SetRegion(nullptr);
    return false;
}

bool TsButton::NewSkinCommand(ks::SkinCommandView view)
{
    if (view.Manager() != FSkinData->SkinManager())
        return false;
    if (HandleAllocated())
        SendMessageW(Handle(), BM_SETSTYLE, static_cast<WPARAM>(GetWindowLongW(Handle(), GWL_STYLE)) | OwnerDrawStyle,
                     TRUE);
    StopFadeTimer(FFadeTimer);
    RouteSkinMessage(view.Message(), FSkinData.get());
    return true;
}

bool TsButton::RemoveSkinCommand(ks::SkinCommandView view)
{
    if (view.Manager() != FSkinData->SkinManager() || Has(this, csDestroying))
        return false;
    StopFadeTimer(FFadeTimer);
    RouteSkinMessage(view.Message(), FSkinData.get());
    if (HandleAllocated()) {
        const DWORD style = static_cast<DWORD>(GetWindowLongW(Handle(), GWL_STYLE)) & ~PlainTypeBits;
        SendMessageW(Handle(), BM_SETSTYLE, style | (FActiveDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), TRUE);
        SetRegion(nullptr);
        SetWindowRgn(Handle(), nullptr, FALSE);
    }
    FNeverPainted = true;
    Repaint();
    return true;
}

bool TsButton::RefreshCommand(ks::SkinCommandView view)
{
    if (view.Manager() != FSkinData->SkinManager())
        return false;
    StopFadeTimer(FFadeTimer);
    RouteSkinMessage(view.Message(), FSkinData.get());
    if (!CaptureDC)
        Repaint();
    return true;
}

bool TsButton::ParentUpdatedCommand()
{
    if (!FSkinData->Updating())
        return false;
    FSkinData->UpdateLock = false;
    Repaint();
    return true;
}

bool TsButton::SetTransparentCommand(ks::SkinCommandView view)
{
    if (FSkinData->ParentBackgroundAlways)
        PrepareCache();
    RouteSkinMessage(view.Message(), FSkinData.get());
    return true;
}

void TsButton::FocusChange(TMessage& m, bool gained)
{
    if (!Visible()) {
        DefaultPath(m);
        return;
    }
    if (!Enabled() || Has(this, csDestroying) || (gained && FocusChangeInProgress)) {
        TButton::WndProc(m);
        return;
    }
    if (!gained && FFadeTimer)
        StopFadeTimer(FFadeTimer);
    // The platform button would paint its own focus over the skin.
    Perform(WM_SETREDRAW, 0, 0);
    FocusChangeInProgress = gained;
    {
        ks::ScopeExit redraw{[this] {
            FocusChangeInProgress = false;
            if (!Has(this, csDestroying))
                Perform(WM_SETREDRAW, 1, 0);
        }};
        TButton::WndProc(m);
    }
    if (gained) {
        if (FFadeTimer && FFadeTimer->Enabled())
            StepFade(*FFadeTimer);
        else
            FSkinData->Invalidate();
    } else if (SkinActive()) {
        FSkinData->HasFocus = false;
        FSkinData->Invalidate();
    }
}

bool TsButton::SkinnedMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_PRINT:
        FSkinData->UpdateLock = false;
        PaintHandler(reinterpret_cast<HDC>(m.WParam));
        return true;
    case WM_PAINT:
        if (!Visible())
            return false;
        if (Parent())
            PaintHandler(reinterpret_cast<HDC>(m.WParam));
        else
            ValidateRect(Handle(), nullptr);
        return true;
    case WM_ERASEBKGND:
    case WM_UPDATEUISTATE:
        if (!Visible())
            return false;
        m.Result = 1;
        return true;
    case WM_WINDOWPOSCHANGED: FSkinData->BackgroundChanged = true; return false;
    case WM_MOVE:
        if (const TsGeneralData* s = FSkinData->Section();
            s && (s->Transparency >= 1 || (s->HotTransparency >= 1 && FSkinData->IsControlHot()))) {
            FSkinData->BackgroundChanged = true;
            Repaint();
        }
        return false;
    case WM_SIZE:
        FreeAllGlowEffects();
        // The old picture no longer fits the window.
        StopFadeTimer(FFadeTimer);
        return false;
    case WM_ENABLE: return true;
    case WM_SETFOCUS:
    case CM_ENTER: FocusChange(m, true); return true;
    case WM_KILLFOCUS:
    case CM_EXIT: FocusChange(m, false); return true;
    case CM_FOCUSCHANGED:
        if (Visible()) {
            if (!FocusChangeInProgress)
                Perform(WM_SETREDRAW, 0, 0);
            TButton::WndProc(m);
            if (!FocusChangeInProgress)
                Perform(WM_SETREDRAW, 1, 0);
            FSkinData->Invalidate();
            RouteSkinMessage(m, FSkinData.get());
            return true;
        }
        return false;
    case CM_DIALOGCHAR:
        if (TWMKey(m).CharCode() == VK_SPACE && Enabled() && Focused()) {
            StopFadeTimer(FFadeTimer);
            FSkinData->BackgroundChanged = true;
            FSkinData->HideGlow();
            Repaint();
        }
        return false;
    case CM_MOUSEENTER:
        if (Enabled() && !FSkinData->MouseIsAbove) {
            FSkinData->MouseIsAbove = true;
            FSkinData->BackgroundChanged = false;
            StartStateFade(FFadeTimer, *FSkinData, false, AnimEventAllowed(aeMouseEnter, FAnimatEvents, nullptr), 1);
        }
        return false;
    case CM_MOUSELEAVE:
        if (Enabled()) {
            FSkinData->MouseIsAbove = false;
            FSkinData->BackgroundChanged = false;
            StartStateFade(FFadeTimer, *FSkinData, false, AnimEventAllowed(aeMouseLeave, FAnimatEvents, nullptr), 1);
        }
        return false;
    case CM_TEXTCHANGED:
        if (Has(this, csDestroying))
            return false;
        FSkinData->Invalidate();
        return true;
    case CM_UIACTIVATE: FSkinData->UpdateLock = false; return false;
    case WM_GETDLGCODE:
        // An owner-drawn button would not tell that it is a push button, and Enter would then
        // press the default button instead of the focused one.
        TButton::WndProc(m);
        m.Result |= FActiveDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON;
        return true;
    case CN_DRAWITEM:
        m.WParam = 0;
        m.LParam = 0;
        m.Result = 1;
        return true;
    case CN_MEASUREITEM:
        if (auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(m.LParam)) {
            item->itemWidth = static_cast<UINT>(Width());
            item->itemHeight = static_cast<UINT>(Height());
        }
        return true;
    case SM_SKINCMD:
        switch (ks::SkinCommandView view(m); view.Command()) {
        case SKC_PARENT_UPDATED: return ParentUpdatedCommand();
        case SKC_SET_TRANSPARENT: return SetTransparentCommand(view);
        default: return false;
        }
    default: return false;
    }
}

void TsButton::DefaultPath(TMessage& m)
{
    RouteSkinMessage(m, FSkinData.get());
    TButton::WndProc(m);
    switch (m.Msg) {
    case WM_SETFONT:
        if (Visible()) {
            FSkinData->UpdateLock = false;
            FSkinData->Invalidate();
        }
        break;
    case CM_VISIBLECHANGED:
        if (!Has(this, csDestroying)) {
            FSkinData->BackgroundChanged = true;
            FSkinData->UpdateLock = false;
            if (Visible())
                Repaint();
        }
        break;
    case CM_ENABLEDCHANGED:
        if (Visible() && !Has(this, csDestroying)) {
            FSkinData->UpdateLock = false;
            FSkinData->Invalidate();
        }
        break;
    case CM_FONTCHANGED: FSkinData->Invalidate(); break;
    case CM_ACTIONUPDATE: EnabledFromAction(); break;
    case WM_KEYUP:
        if (TWMKey(m).CharCode() == VK_SPACE && SkinActive()) {
            FSkinData->BackgroundChanged = true;
            Repaint();
        }
        break;
    default: break;
    }
}

void TsButton::WndProc(TMessage& m)
{
    if (m.Msg == WM_KILLFOCUS && Has(this, csDestroying))
        return;
    if (m.Msg == SM_SKINCMD && SkinCommand(m))
        return;
    if (!CanPaintControl(this) || !FSkinData->IsSkinActive(true)) {
        TButton::WndProc(m);
        return;
    }
    if (!SkinnedMessage(m))
        DefaultPath(m);
}

void InitializeSButtonUnit()
{
    RegisterClasses<TsButton>();
}
