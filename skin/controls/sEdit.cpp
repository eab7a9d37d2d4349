#include "skin/controls/sEdit.h"

#include "skin/controls/ButtonLook.h"
#include "skin/controls/sLabel.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/ControlFramePainting.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/NumberRoutines.h"
#include "skin/core/PlatformEditBorder.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"

#include <algorithm>
#include <optional>

namespace {

const ks::PropertyInfo EditProps[] = {
    ks::Prop<&TsEdit::SkinData>("SkinData"),
    ks::Prop<&TsEdit::BoundLabel>("BoundLabel"),
    ks::Prop<&TsEdit::DisabledKind, &TsEdit::SetDisabledKind>("DisabledKind").DefaultIs(TsDisabledKind{dkBlended}),
};

bool Loading(const TComponent* c) noexcept { return c->ComponentState().Contains(csLoading); }

void SendNcPaint(TWinControl& c)
{
    if (c.HandleAllocated())
        SendMessageW(c.Handle(), WM_NCPAINT, 0, 0);
}

} // namespace

const ks::ClassInfo TsEdit::StaticClassInfo{"TsEdit", &TEdit::StaticClassInfo, EditProps, {}};
const ks::ClassInfo& TsEdit::ClassInfo() const noexcept { return StaticClassInfo; }

TsEdit::TsEdit(TComponent* owner) : TEdit(owner), FSkinData(std::make_unique<TsCommonData>(this, true))
{
    FSkinData->ControlKind = ckEdit;
    FBoundLabel = std::make_unique<TsBoundLabel>(this, FSkinData.get());
}

TsEdit::~TsEdit() = default;

void TsEdit::AfterConstruction()
{
    TEdit::AfterConstruction();
    FSkinData->Loaded();
}

void TsEdit::Loaded()
{
    TEdit::Loaded();
    FSkinData->Loaded();
}

void TsEdit::SetDisabledKind(TsDisabledKind value)
{
    if (value == FDisabledKind)
        return;
    FDisabledKind = value;
    FSkinData->Invalidate();
}

int TsEdit::BorderEdge() const noexcept
{
    if (BorderStyle() != bsSingle)
        return 0;
    return Ctl3D() ? 2 : 1;
}

int TsEdit::FrameWidth() const noexcept
{
    if (BorderStyle() == bsSingle)
        return BorderEdge();
    return (BevelInner() != bvNone ? 1 : 0) + (BevelOuter() != bvNone ? 1 : 0);
}

int TsEdit::TextInset() const noexcept
{
    return BorderEdge() + BevelEdgeWidth();
}

std::wstring TsEdit::DisplayText() const
{
    const std::wstring text = Text();
    if (PasswordChar() == L'\0')
        return text;
    return std::wstring(text.size(), PasswordChar());
}

// ---- painting -------------------------------------------------------------------------------

void TsEdit::PrepareCache()
{
    FSkinData->EnsureCacheBitmap();
    TBitmap* cache = FSkinData->CacheBitmap.get();
    if (!cache || cache->Empty())
        return;
    const int state = FSkinData->IsControlHot() ? 1 : 0;
    PaintControlSection(*FSkinData, FSkinData->QueryBackgroundInfo(), true, state, {0, 0, Width(), Height()},
                        {Left(), Top()}, cache, false);
    PaintText();
    if (!Enabled())
        ApplyDisabledLook(*cache, FDisabledKind, Parent(), FSkinData->QueryBackgroundInfo(), {Left(), Top()});
    FSkinData->BackgroundChanged = false;
    FFrameDue = true;
}

void TsEdit::CompareLook()
{
    const Look look{BoundsRect(), Parent(), ParentLookColour(*FSkinData)};
    if (look != FPaintedLook) {
        FSkinData->BackgroundChanged = true;
        FPaintedLook = look;
    }
}

void TsEdit::PaintFrameOnce()
{
    // The frame's corners take the parent's picture into the cache: once after each rebuild.
    if (!FFrameDue)
        return;
    PaintControlFrame(*FSkinData, 0);
    FFrameDue = false;
}

void TsEdit::PaintText()
{
    TBitmap* cache = FSkinData->CacheBitmap.get();
    if (!cache)
        return;
    TCanvas& canvas = cache->Canvas();
    canvas.Font().Assign(Font());
    const int inset = TextInset();
    TRect r{inset + 1, inset + 1, Width() - inset, Height() - inset};
    DrawControlText(canvas, DisplayText(), Enabled(), r, DT_WORDBREAK | DT_SINGLELINE | DT_NOPREFIX, *FSkinData,
                    FSkinData->IsControlHot());
}

void TsEdit::PaintBorder()
{
    if (PaintLock)
        return;
    FSkinData->UpdateLock = FSkinData->Updating();
    if (FSkinData->UpdateLock)
        return;
    ks::WindowDC dc(Handle(), ks::WindowDC::WholeWindow);
    const int saved = SaveDC(dc.get());
    // The frame's picture reads left to right in a mirrored window too.
    ks::UnmirroredDC unmirrored(dc.get());
    CompareLook();
    if (FSkinData->BackgroundChanged)
        PrepareCache();
    PaintFrameOnce();
    if (TBitmap* cache = FSkinData->CacheBitmap.get(); cache && !cache->Empty())
        CopyFrameStrips(dc.get(), 0, 0, Width(), Height(), cache->Canvas().Handle(), 0, 0, FrameBand());
    RestoreDC(dc.get(), saved);
}

int TsEdit::FrameBand()
{
    return std::max(FrameWidth(), NonClientEdge() + ks::PlatformEditBorder(*this));
}

int TsEdit::NonClientEdge()
{
    // Bevels inside a single border take non-client room that the frame width does not count;
    // the cache's band there is copied too, or the platform's face colour would show between
    // frame and text.
    RECT window{};
    POINT client{0, 0};
    if (!GetWindowRect(Handle(), &window) || !::ClientToScreen(Handle(), &client))
        return 0;
    return std::max(0, static_cast<int>(std::min(client.x - window.left, client.y - window.top)));
}

void TsEdit::PaintDisabledFromCache(HDC dc)
{
    // Only a real paint validates the update region; a DC handed in is painted and left alone.
    std::optional<ks::PaintDC> paint;
    std::optional<ks::WindowDC> own;
    if (!dc) {
        if (!PaintLock)
            paint.emplace(Handle());
        own.emplace(Handle(), ks::WindowDC::WholeWindow);
        dc = own->get();
    }
    FSkinData->UpdateLock = FSkinData->Updating();
    if (FSkinData->UpdateLock)
        return;
    FSkinData->BackgroundChanged = FSkinData->BackgroundChanged || FSkinData->ClippedByParent ||
                                   (static_cast<uint8_t>(SendCommandSimple(Parent(), SKC_IS_CACHE_OUTDATED)) != 0);
    FSkinData->ClippedByParent = !Parent() || !RectInRect(Parent()->ClientRect(), BoundsRect());
    CompareLook();
    if (FSkinData->BackgroundChanged && !FSkinData->ParentBackgroundAlways)
        PrepareCache();
    PaintFrameOnce();
    TBitmap* cache = FSkinData->CacheBitmap.get();
    if (!cache || cache->Empty())
        return;
    const int saved = SaveDC(dc);
    ks::UnmirroredDC unmirrored(dc);
    BitBlt(dc, 0, 0, Width(), Height(), cache->Canvas().Handle(), 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
}

void TsEdit::ApplySectionColours()
{
    const TsGeneralData* s = FSkinData->Section();
    if (!s)
        return;
    const bool hot = FSkinData->IsControlHot();
    const TColor color = hot ? ColorToRGB(s->HotColor) : s->Color;
    const TColor fontColor = hot ? ColorToRGB(s->HotFontColor[0]) : s->FontColor[0];
    if (!FSkinData->CustomColor() && Color() != color)
        SetColor(color);
    if (!FSkinData->CustomFont() && Font()->Color() != fontColor)
        Font()->SetColor(fontColor);
}

// ---- messages -------------------------------------------------------------------------------

bool TsEdit::SkinCommand(TMessage& m)
{
    const ks::SkinCommandView view(m);
    switch (view.Command()) {
    case SKC_IS_SKINNED: m.Result = 1; return true;
    case SKC_IS_BG_COMPLEX: m.Result = 0; return true;
    case SKC_GET_BG_COLOR:
        if (FSkinData->IsSkinActive())
            return false;
        m.Result = static_cast<LRESULT>(ColorToRGB(Color()));
        return true;
    case SKC_GET_APPLICATION: m.Result = reinterpret_cast<LRESULT>(Application); return true;
    case SKC_NEW_SKIN:
    case SKC_REMOVE_SKIN:
        if (view.Manager() != FSkinData->SkinManager())
            return false;
        RouteSkinMessage(m, FSkinData.get());
        return true;
    case SKC_REFRESH:
        if (view.Manager() != FSkinData->SkinManager())
            return false;
        RouteSkinMessage(m, FSkinData.get());
        if (!PaintLock && HandleAllocated())
            RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
        return true;
    default: return false;
    }
}

void TsEdit::WMPaint(TMessage& m)
{
    FSkinData->UpdateLock = FSkinData->Updating();
    if (PaintLock || FSkinData->UpdateLock) {
        if (!m.WParam) {
            ks::PaintDC validate(Handle());
        }
        return;
    }
    ApplySectionColours();
    if (!Enabled()) {
        PaintDisabledFromCache(reinterpret_cast<HDC>(m.WParam));
        return;
    }
    TEdit::WndProc(m);
    // Where the band reaches into the client area (the platform's own flat border there, or
    // bevels given no room), the platform has just painted over what the last WM_NCPAINT copied.
    if (!m.WParam && FrameBand() > NonClientEdge()) {
        // A caret shown over the band would be inverted into the copied frame when it blinks.
        const bool caretHidden = HideCaret(Handle());
        PaintBorder();
        if (caretHidden)
            ShowCaret(Handle());
    }
}

void TsEdit::WMPrint(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    FSkinData->UpdateLock = false;
    PrepareCache();
    PaintFrameOnce();
    TBitmap* cache = FSkinData->CacheBitmap.get();
    if (!dc || !cache || cache->Empty()) {
        TEdit::WndProc(m);
        return;
    }
    const int band = FrameBand();
    CopyFrameStrips(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas().Handle(), 0, 0, band);
    PaintDisabledFromCache(dc);
    // The platform prints the client area where the screen shows it, inside the band the frame
    // covers; the caller's DC is given back as it came, and the platform's own frame is not
    // printed over the skin's.
    const int saved = SaveDC(dc);
    const int edge = NonClientEdge();
    OffsetViewportOrgEx(dc, edge, edge, nullptr);
    const int covered = band - edge;
    IntersectClipRect(dc, covered, covered, cache->Width() - edge - band, cache->Height() - edge - band);
    m.LParam &= ~static_cast<LPARAM>(PRF_NONCLIENT);
    if (!RouteSkinMessage(m, FSkinData.get()))
        TEdit::WndProc(m);
    RestoreDC(dc, saved);
}

void TsEdit::WndProc(TMessage& m)
{
    if (m.Msg == SM_SKINCMD && SkinCommand(m))
        return;
    // A new text runs OnChange, the focus OnEnter and OnExit, the mouse's buttons the mouse and
    // click events, and the context menu's opening (a right button's release) its root item's
    // OnClick: each may free the edit.
    std::optional<ks::ComponentWatch> watch;
    if (m.Msg >= WM_LBUTTONDOWN && m.Msg <= WM_XBUTTONDBLCLK && m.Msg != WM_MOUSEWHEEL)
        watch.emplace().Watch(this);
    switch (m.Msg) {
    case WM_CONTEXTMENU:
    case WM_SETTEXT:
    case CM_TEXTCHANGED:
    case CN_COMMAND:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_ENTER:
    case CM_EXIT: watch.emplace().Watch(this); break;
    default: break;
    }
    if (!CanPaintControl(this) || !FSkinData->IsSkinActive()) {
        TEdit::WndProc(m);
        if (!watch || watch->Alive(this))
            KeepLabelInStep(m);
        return;
    }
    switch (m.Msg) {
    case WM_PAINT: WMPaint(m); return;
    case WM_ERASEBKGND:
    case CN_DRAWITEM:
        if (PaintLock)
            return;
        FSkinData->UpdateLock = FSkinData->Updating();
        if (FSkinData->UpdateLock || !Enabled())
            return;
        TEdit::WndProc(m);
        return;
    case WM_NCPAINT:
        if (!PaintLock)
            PaintBorder();
        return;
    case WM_PRINT: WMPrint(m); return;
    case CM_COLORCHANGED:
        if (FSkinData->CustomColor())
            FSkinData->BackgroundChanged = true;
        break;
    default: break;
    }
    if (RouteSkinMessage(m, FSkinData.get()))
        return;
    TEdit::WndProc(m);
    if (watch && !watch->Alive(this))
        return;
    AfterPlatform(m);
    KeepLabelInStep(m);
}

void TsEdit::KeepLabelInStep(const TMessage& m)
{
    TsEditLabel* label = FBoundLabel ? FBoundLabel->TheLabel() : nullptr;
    if (!label)
        return;
    switch (m.Msg) {
    case CM_VISIBLECHANGED: label->SetVisible(Visible()); break;
    // A blended edit fades its label with it; a greyed one leaves the label readable.
    case CM_ENABLEDCHANGED: label->SetEnabled(Enabled() || !FDisabledKind.Contains(dkBlended)); break;
    case CM_BIDIMODECHANGED: label->SetBiDiMode(BiDiMode()); break;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED: break;
    default: return;
    }
    FBoundLabel->AlignLabel();
}

void TsEdit::AfterPlatform(TMessage& m)
{
    switch (m.Msg) {
    case SM_SKINCMD:
        if (HIWORD(m.WParam) == SKC_PARENT_UPDATED && FSkinData->Updating()) {
            FSkinData->UpdateLock = false;
            Repaint();
            SendNcPaint(*this);
        }
        break;
    case WM_SIZE: SendNcPaint(*this); break;
    case WM_KILLFOCUS:
    case CM_EXIT:
        FSkinData->HasFocus = false;
        FSkinData->MouseIsAbove = false;
        FSkinData->BackgroundChanged = true;
        if (Visible())
            Repaint();
        break;
    case WM_SETTEXT:
    case WM_SETFONT:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
        if (!Loading(this) && !PaintLock) {
            FSkinData->Invalidate();
            SendNcPaint(*this);
        }
        break;
    default: break;
    }
}

void InitializeSEditUnit()
{
    RegisterClasses<TsEdit>();
}
