#include "skin/adapters/acButtonAdapters.h"

#include "skin/adapters/AdapterLayout.h"
#include "skin/adapters/AdapterPainting.h"
#include "skin/adapters/AdapterQueries.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/GlyphDrawing.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/acGlow.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sVclUtils.h"
#include "skin/images/acPNG.h"
#include "vcl/Buttons.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"
#include "vcl/WinControl.h"

#include <algorithm>

using namespace ks::adapters;

namespace {

std::string OrDefault(std::string section, const char* fallback)
{
    return section.empty() ? std::string(fallback) : std::move(section);
}

uint32_t ButtonStateOf(HWND wnd)
{
    return static_cast<uint32_t>(SendMessageW(wnd, BM_GETSTATE, 0, 0));
}

bool CursorInside(HWND wnd)
{
    POINT p{};
    RECT r{};
    GetWindowRect(wnd, &r);
    return ks::Sys().GetCursorPos(&p) && PtInRect(&r, p);
}

// The button becomes the one the mouse lights. A mouse that jumps from it off the form or dialog
// moves over no other skinned window that would take the hover over: the button hears of the leave
// itself. Asked once the button is the hot one: the request may hit-test the window again.
void BecomeHot(HWND wnd)
{
    DefaultSkinManager->SetActiveControl(wnd);
    TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, wnd, 0};
    TrackMouseEvent(&t);
}

void GoOut(HWND wnd)
{
    if (DefaultSkinManager && DefaultSkinManager->ActiveControl == wnd)
        DefaultSkinManager->SetActiveControl(nullptr);
}

// The repaint every state change ends with.
void Repaint(TacMainWnd& a)
{
    a.SkinData->BackgroundChanged = true;
    SendMessageW(a.CtrlHandle, WM_PAINT, 0, 0);
}

// BeginPaint only for a real WM_PAINT; a message that brought a DC paints into it.
class PaintScope {
public:
    PaintScope(HWND wnd, bool begin) : FWnd(wnd), FBegun(begin)
    {
        if (FBegun)
            BeginPaint(wnd, &FPs);
    }
    ~PaintScope()
    {
        if (FBegun)
            EndPaint(FWnd, &FPs);
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

private:
    HWND FWnd;
    bool FBegun;
    PAINTSTRUCT FPs{};
};

// The cache is the whole window as it reads. Wine puts a copy into a mirrored DC a pixel left of
// its place, which would leave the window's last column to whatever was drawn there before.
void Blit(HDC dc, TBitmap& cache)
{
    const ks::PlacedDC placed(dc, RECT{0, 0, cache.Width(), cache.Height()});
    BitBlt(dc, 0, 0, cache.Width(), cache.Height(), cache.Canvas().Handle(), 0, 0, SRCCOPY);
}

} // namespace

// ---- push button ---------------------------------------------------------------------------
TacBtnWnd::TacBtnWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacMainWnd(handle, skinData, manager, OrDefault(std::move(section), "BUTTON"))
{
}

bool TacBtnWnd::Pushed()
{
    return (ButtonStateOf(CtrlHandle) & StatePushed) != 0;
}

int TacBtnWnd::ButtonState()
{
    PushButtonFacts facts;
    facts.buttonState = ButtonStateOf(CtrlHandle);
    facts.style = StyleOf(CtrlHandle);
    facts.enabled = IsWindowEnabled(CtrlHandle) != FALSE;
    facts.focused = GetFocus() == CtrlHandle;
    facts.hot = DefaultSkinManager && DefaultSkinManager->ActiveControl == CtrlHandle;
    facts.hasOwnerControl = SkinData->OwnerControl != nullptr;
    const int state = ks::adapters::ButtonState(facts);
    if (state == 2)
        FreeAllGlowEffects();
    return state;
}

void TacBtnWnd::AdapterWndProc(TMessage& m)
{
    const bool skinned = SkinActiveFor(*this);
    if (skinned && SkinnedMessage(m))
        return;
    // The inherited handling lights the button on any mouse move: whether it was lit before tells
    // whether this move brought the mouse in.
    const bool wasHot = DefaultSkinManager && DefaultSkinManager->ActiveControl == CtrlHandle;
    TacMainWnd::AdapterWndProc(m);
    if (skinned && m.Msg == WM_MOUSEMOVE)
        TrackMouse(wasHot);
    if (skinned && m.Msg == WM_MOUSELEAVE)
        GoOut(CtrlHandle);
}

bool TacBtnWnd::SkinnedMessage(TMessage& m)
{
    switch (m.Msg) {
    case SM_SKINCMD: return SkinCommand(ks::SkinCommandView(m));
    case WM_MOVE: return WMMove();
    case WM_SETFOCUS: return FocusChange(m, true);
    case WM_KILLFOCUS: return FocusChange(m, false);
    case WM_ENABLE: return ChangeState(m);
    case WM_SETTEXT: return ChangeState(m);
    case WM_PAINT: return WMPaint(TWMPaint(m));
    case WM_ERASEBKGND: return Answered(m, 1);
    case WM_NCPAINT: return Answered(m, 1);
    case WM_UPDATEUISTATE: return Answered(m, 1);
    case BM_SETSTATE: return BMSetState(m);
    case WM_PRINT: return WMPrint(TWMPrint(m));
    default: return false;
    }
}

bool TacBtnWnd::SkinCommand(ks::SkinCommandView view)
{
    switch (view.Command()) {
    case SKC_PARENT_UPDATED: return ParentUpdatedCommand();
    case SKC_HOT_ENTER: HotEnter(view.Message()); return true;
    case SKC_HOT_LEAVE: HotLeave(view.Message()); return true;
    default: return false;
    }
}

bool TacBtnWnd::ParentUpdatedCommand()
{
    if (SkinData->UpdateLock && !StillUpdating(*SkinData))
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    return true;
}

// A see-through section shows what lies under the button's new place; handled further on too.
bool TacBtnWnd::WMMove()
{
    const TsGeneralData* s = SkinData->Section();
    if (s && (s->Transparency >= 1 || (s->HotTransparency >= 1 && WindowIsHot(*this))))
        Repaint(*this);
    return false;
}

bool TacBtnWnd::FocusChange(TMessage& m, bool gained)
{
    if (!IsWindowEnabled(CtrlHandle)) {
        // A disabled button does not take the focus.
        if (!gained)
            TacMainWnd::AdapterWndProc(m);
        return true;
    }
    WithoutRedraw(CtrlHandle, [&] { TacMainWnd::AdapterWndProc(m); });
    SkinData->HasFocus = gained;
    Repaint(*this);
    return true;
}

// WM_ENABLE and WM_SETTEXT of a visible button: the platform's handling unseen, then the skin's
// picture.
bool TacBtnWnd::ChangeState(TMessage& m)
{
    if (!IsWindowVisible(CtrlHandle))
        return false;
    WithoutRedraw(CtrlHandle, [&] { TacMainWnd::AdapterWndProc(m); });
    Repaint(*this);
    return true;
}

bool TacBtnWnd::WMPaint(TWMPaint view)
{
    if (!ParamsApplied)
        ApplySkinColors();
    Paint(view.DC());
    view.SetResult(0);
    return true;
}

bool TacBtnWnd::BMSetState(TMessage& m)
{
    if (!IsWindowVisible(CtrlHandle))
        return false;
    WithoutRedraw(CtrlHandle, [&] { CallPrev(m); });
    Repaint(*this);
    return true;
}

bool TacBtnWnd::WMPrint(TWMPrint view)
{
    SkinData->BackgroundChanged = true;
    Paint(view.DC());
    return true;
}

void TacBtnWnd::TrackMouse(bool wasHot)
{
    TsSkinManager* manager = DefaultSkinManager;
    if (!manager || manager->ComponentState().Contains(csDesigning) || !IsWindowEnabled(CtrlHandle))
        return;
    if (!CursorInside(CtrlHandle))
        GoOut(CtrlHandle);
    else if (!wasHot)
        BecomeHot(CtrlHandle);
}

void TacBtnWnd::HotEnter(TMessage& m)
{
    if (SkinData->MouseIsAbove || !DefaultSkinManager || DefaultSkinManager->ActiveControl != CtrlHandle) {
        TacMainWnd::AdapterWndProc(m);
        return;
    }
    if (!CursorInside(CtrlHandle))
        return;
    SkinData->MouseIsAbove = true;
    SkinData->SetUpdating(false);
    Repaint(*this);
    SkinData->RefreshGlowEffect(false, CtrlHandle);
    TacMainWnd::AdapterWndProc(m);
}

void TacBtnWnd::HotLeave(TMessage& m)
{
    if (SkinData->MouseIsAbove) {
        FreeAllGlowEffects();
        SkinData->GlowSlot = -1;
        SkinData->MouseIsAbove = false;
        SkinData->SetUpdating(false);
        Repaint(*this);
    }
    TacMainWnd::AdapterWndProc(m);
}

void TacBtnWnd::Paint(HDC given)
{
    PaintScope scope(CtrlHandle, given == nullptr);
    if (StillUpdating(*SkinData))
        return;
    TargetDC dc(CtrlHandle, given);
    SkinData->BackgroundChanged = true;
    PrepareCache();
    if (TBitmap* cache = SkinData->CacheBitmap.get(); cache && dc.get())
        Blit(dc.get(), *cache);
}

void TacBtnWnd::PrepareCache()
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    const CacheInfo background = SkinData->QueryBackgroundInfoWnd(CtrlHandle);
    TBitmap* cache = SizedCache(*SkinData, WndSize);
    if (!cache)
        return;
    const int state = ButtonState();
    PaintControlSection(*SkinData, background, true, state, {0, 0, WndSize.cx, WndSize.cy}, WndPos, cache, true);
    DrawWndBorder(SkinData, nullptr, this);
    PaintCaption(*cache, state);
    DrawGlyph(*cache, state);
    if (!IsWindowEnabled(CtrlHandle))
        BlendDisabled(*cache, background, WndPos);
    SkinData->BackgroundChanged = false;
}

void TacBtnWnd::PaintCaption(TBitmap& cache, int state)
{
    TCanvas& canvas = cache.Canvas();
    UseWindowFont(canvas, CtrlHandle, SkinData->OwnerControl);
    TRect r = CaptionRect(canvas, state);
    UINT flags = DT_CENTER | DT_EXPANDTABS;
    if (!(StyleOf(CtrlHandle) & BS_MULTILINE))
        flags |= DT_WORDBREAK;
    DrawCaptionText(canvas, r, flags, state);
    const TsGeneralData* s = SkinData->Section();
    if (IsWindowEnabled(CtrlHandle) && (ButtonStateOf(CtrlHandle) & StateFocus) && !WndText.empty() && s &&
        s->ShowFocus)
        DrawFocusDots(canvas, {r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1});
}

void TacBtnWnd::DrawGlyph(TBitmap&, int) {}

TSize TacBtnWnd::GlyphSize()
{
    return {0, 0};
}

void TacBtnWnd::DrawCaptionText(TCanvas& canvas, TRect& r, UINT flags, int state)
{
    canvas.Brush().SetStyle(bsClear);
    DrawControlText(canvas, WndText, IsWindowEnabled(CtrlHandle) != FALSE, r, flags, *SkinData, state != 0);
}

TSize TacBtnWnd::CaptionExtent(TCanvas& canvas)
{
    TRect r{0, 0, MaxCaptionWidth(), 0};
    UINT flags = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_CENTER;
    if (!(StyleOf(CtrlHandle) & BS_MULTILINE))
        flags |= DT_WORDBREAK;
    if (!WndText.empty())
        DrawTextOnDC(canvas.Handle(), WndText, r, flags);
    return {r.Width(), r.Height()};
}

int TacBtnWnd::MaxCaptionWidth()
{
    return ks::adapters::MaxCaptionWidth(WndSize.cx, WndText.empty(), GlyphSize().cx);
}

TRect TacBtnWnd::CaptionRect(TCanvas& canvas, int)
{
    return CenteredCaptionRect(WndSize, CaptionExtent(canvas), Pushed());
}

// ---- push button with a glyph ---------------------------------------------------------------
TBitBtn* TacBitBtnWnd::BitButton() const
{
    return dynamic_cast<TBitBtn*>(SkinData->OwnerControl);
}

TSize TacBitBtnWnd::GlyphSize()
{
    if (TBitBtn* button = BitButton()) {
        const TBitmap* glyph = button->Glyph();
        if (glyph->Empty())
            return {0, 0};
        return {glyph->Width() / button->NumGlyphs(), glyph->Height()};
    }
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(CtrlHandle, BM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    if (!bitmap || GetObjectW(bitmap, sizeof info, &info) != sizeof info)
        return {0, 0};
    return {info.bmWidth, std::abs(info.bmHeight)};
}

int TacBitBtnWnd::MaxCaptionWidth()
{
    TBitBtn* button = BitButton();
    if (!button)
        return TacBtnWnd::MaxCaptionWidth();
    return BitBtnMaxCaptionWidth(WndSize.cx, WndText.empty(), button->Layout(), GlyphSize(), button->Margin(),
                                 button->Spacing());
}

TRect TacBitBtnWnd::CaptionRect(TCanvas& canvas, int state)
{
    TBitBtn* button = BitButton();
    if (!button)
        return BitmapCaptionRect(TacBtnWnd::CaptionRect(canvas, state), GlyphSize());
    const TSize glyph = GlyphSize();
    const TSize text = CaptionExtent(canvas);
    TPoint glyphAt;
    TRect r;
    LayoutGlyphAndText({0, 0, WndSize.cx, WndSize.cy}, {glyph.cx, glyph.cy}, {text.cx, text.cy},
                       static_cast<uint8_t>(button->Layout()), 2, button->Margin(), button->Spacing(), glyphAt, r, 0);
    if (Pushed())
        r = {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
    return r;
}

void TacBitBtnWnd::DrawGlyph(TBitmap& cache, int state)
{
    if (TBitBtn* button = BitButton()) {
        DrawOwnerGlyph(*button, cache, state);
        return;
    }
    const TSize glyph = GlyphSize();
    if (glyph.cx <= 0)
        return;
    const TRect r = BitmapGlyphRect(CaptionRect(cache.Canvas(), state), WndSize, glyph, Pushed());
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(CtrlHandle, BM_GETIMAGE, IMAGE_BITMAP, 0));
    HDC target = cache.Canvas().Handle();
    HDC source = CreateCompatibleDC(target);
    if (!source)
        return;
    const HGDIOBJ old = SelectObject(source, bitmap);
    BitBlt(target, r.Left, r.Top, r.Width(), r.Height(), source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void TacBitBtnWnd::DrawOwnerGlyph(TBitBtn& button, TBitmap& cache, int state)
{
    TBitmap* glyph = button.Glyph();
    const TSize size = GlyphSize();
    if (size.cx <= 0 || size.cy <= 0)
        return;
    if (glyph->PixelFormat() == pfDevice)
        glyph->SetPixelFormat(pf24bit);
    const TRect r = BitBtnGlyphRect(WndSize, size, CaptionExtent(cache.Canvas()), button.Layout(), button.Spacing(),
                                    WndText.empty(), Pushed());
    if (glyph->PixelFormat() == pf32bit && button.NumGlyphs() == 1) {
        // A glyph with alpha goes through a picture that draws with it.
        TPNGGraphic png;
        png.Assign(glyph);
        png.SetPixelFormat(pf32bit);
        png.Draw(cache.Canvas(), r);
        return;
    }
    DrawGlyphWithEffects(glyph, cache, r, button.NumGlyphs(), IsWindowEnabled(CtrlHandle) != FALSE,
                         TsDisabledGlyphKind{dgBlended}, state, 0, false);
}

// ---- check box and radio button -------------------------------------------------------------
namespace {

// One cell of a check glyph: of its own bitmap a third of the width by half the height, else
// the record's cell.
TSize CheckCell(const TsMaskData& mask)
{
    if (mask.Bmp)
        return {mask.Bmp->Width() / 3, mask.Bmp->Height() / 2};
    // A count of 0 is one cell over the whole width.
    TsMaskData cells;
    cells.R = mask.R;
    cells.ImageCount = mask.ImageCount == 0 ? int16_t{1} : mask.ImageCount;
    cells.MaskType = mask.MaskType;
    return {MaskCellWidth(cells), MaskCellHeight(cells)};
}

} // namespace

TacCheckBoxWnd::TacCheckBoxWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacMainWnd(handle, skinData, manager, OrDefault(std::move(section), "CHECKBOX"))
{
}

void TacCheckBoxWnd::AdapterWndProc(TMessage& m)
{
    if (!SkinActiveFor(*this)) {
        TacMainWnd::AdapterWndProc(m);
        return;
    }
    if (SkinnedMessage(m))
        return;
    TacMainWnd::AdapterWndProc(m);
    AfterPlatform(m);
}

bool TacCheckBoxWnd::SkinnedMessage(TMessage& m)
{
    switch (m.Msg) {
    case SM_SKINCMD: return SkinCommand(ks::SkinCommandView(m));
    case WM_NCPAINT: return Answered(m, 0);
    case WM_ERASEBKGND: return Answered(m, 0);
    case WM_PAINT: return WMPaint(TWMPaint(m));
    case WM_ENABLE: return RepaintAfter(m);
    case BM_SETCHECK: return RepaintAfter(m);
    case BM_SETSTATE: return RepaintAfter(m);
    default: return false;
    }
}

// Hover changes are painted at once; handled further on too.
bool TacCheckBoxWnd::SkinCommand(ks::SkinCommandView view)
{
    if (view.Command() == SKC_HOT_ENTER || view.Command() == SKC_HOT_LEAVE) {
        SkinData->SetUpdating(false);
        SendMessageW(CtrlHandle, WM_PAINT, 0, 0);
    }
    return false;
}

bool TacCheckBoxWnd::WMPaint(TWMPaint view)
{
    Paint(view.DC());
    return true;
}

// WM_ENABLE, BM_SETCHECK and BM_SETSTATE of a visible box: the platform's handling unseen, then
// the skin's picture.
bool TacCheckBoxWnd::RepaintAfter(TMessage& m)
{
    if (!IsWindowVisible(CtrlHandle))
        return false;
    WithoutRedraw(CtrlHandle, [&] { TacMainWnd::AdapterWndProc(m); });
    SendMessageW(CtrlHandle, WM_PAINT, 0, 0);
    return true;
}

void TacCheckBoxWnd::AfterPlatform(TMessage& m)
{
    switch (m.Msg) {
    case WM_SETFOCUS: SendMessageW(CtrlHandle, WM_PAINT, 0, 0); break;
    case WM_KILLFOCUS: SendMessageW(CtrlHandle, WM_PAINT, 0, 0); break;
    case WM_KEYDOWN: WMKeyDown(TWMKey(m)); break;
    case WM_NCHITTEST: WMNCHitTest(); break;
    case WM_MOUSELEAVE: GoOut(CtrlHandle); break;
    default: break;
    }
}

// The space bar presses the box without a mouse message.
void TacCheckBoxWnd::WMKeyDown(TWMKey view)
{
    if (view.CharCode() == VK_SPACE)
        SendMessageW(CtrlHandle, WM_PAINT, 0, 0);
}

// Hover is followed through hit tests: the box's own procedure eats its mouse moves.
void TacCheckBoxWnd::WMNCHitTest()
{
    if (DefaultSkinManager && IsWindowEnabled(CtrlHandle) && DefaultSkinManager->ActiveControl != CtrlHandle)
        BecomeHot(CtrlHandle);
}

void TacCheckBoxWnd::Paint(HDC given)
{
    PaintScope scope(CtrlHandle, given == nullptr);
    if (StillUpdating(*SkinData))
        return;
    // Read here and handed down: a paint of another box in between must not change it.
    const DWORD style = StyleOf(CtrlHandle);
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    SendCommandWnd(ParentWnd, SKC_CHILD_PAINT, 0);
    if (!IsWindowVisible(CtrlHandle) && !given)
        return;
    PrepareCache(style);
    TargetDC dc(CtrlHandle, given);
    if (TBitmap* cache = SkinData->CacheBitmap.get(); cache && dc.get())
        Blit(dc.get(), *cache);
}

void TacCheckBoxWnd::PrepareCache(DWORD style)
{
    TBitmap* cache = SizedCache(*SkinData, WndSize);
    if (!cache)
        return;
    TCanvas& canvas = cache->Canvas();
    UseWindowFont(canvas, CtrlHandle, SkinData->OwnerControl);
    const CacheInfo background = SkinData->QueryBackgroundInfoWnd(CtrlHandle);
    const bool hot = WindowIsHot(*this);
    PaintControlSection(*SkinData, background, true, hot ? 1 : 0, {0, 0, WndSize.cx, WndSize.cy}, WndPos, cache,
                        true);

    TsSkinManager* manager = ManagerOf(*this);
    const uint32_t state = ButtonStateOf(CtrlHandle);
    const int globalInfo = manager->CommonIndexes.GlobalInfoIndex;
    const int checkedMask = manager->FindMask(globalInfo, "GLOBALINFO", CheckGlyphName(style, 1));
    const TSize checkedCell = manager->MaskIndexValid(checkedMask) ? CheckCell(manager->MaskArray[checkedMask])
                                                                   : TSize{16, 16};
    const bool enabled = IsWindowEnabled(CtrlHandle) != FALSE;
    if (!WndText.empty()) {
        const bool multiLine = (style & BS_MULTILINE) != 0;
        TRect measured{0, 0, std::max(WndSize.cx - (checkedCell.cx + 2), 0), 0};
        DrawTextOnDC(canvas.Handle(), WndText, measured, DT_CALCRECT | (multiLine ? DT_WORDBREAK : DT_SINGLELINE));
        TRect r = CheckCaptionRect(WndSize, {measured.Width(), measured.Height()}, checkedCell.cx, style);
        canvas.Brush().SetStyle(bsClear);
        DrawControlText(canvas, WndText, enabled, r, multiLine ? DT_CENTER | DT_WORDBREAK : DT_SINGLELINE, *SkinData,
                        hot);
        if (state & StateFocus)
            DrawFocusDots(canvas, {r.Left - 1, r.Top, r.Right + 1, r.Bottom});
    }

    const int maskIndex = manager->FindMask(globalInfo, "GLOBALINFO", CheckGlyphName(style, CheckState(state)));
    if (manager->MaskIndexValid(maskIndex) && cache->Width() > 0 && cache->Height() > 0) {
        const TsMaskData& mask = manager->MaskArray[maskIndex];
        const bool active = DefaultSkinManager && DefaultSkinManager->ActiveControl == CtrlHandle;
        PaintStateGlyph(*cache, CheckGlyphPos(WndSize, CheckCell(mask), style), CheckGlyphState(state, active), 1, mask,
                        CacheInfoFromBitmap(cache, 0, 0));
    }
    if (!enabled)
        BlendDisabled(*cache, background, WndPos);
    SkinData->BackgroundChanged = false;
}

// ---- group box ------------------------------------------------------------------------------
TacGroupBoxWnd::TacGroupBoxWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacMainWnd(handle, skinData, manager, OrDefault(std::move(section), "GROUPBOX"))
{
}

void TacGroupBoxWnd::AdapterWndProc(TMessage& m)
{
    if (!SkinActiveFor(*this) || !SkinnedMessage(m))
        TacMainWnd::AdapterWndProc(m);
}

bool TacGroupBoxWnd::SkinnedMessage(TMessage& m)
{
    switch (m.Msg) {
    case SM_SKINCMD: return SkinCommand(ks::SkinCommandView(m));
    case WM_PARENTNOTIFY: return WMParentNotify(TWMParentNotify(m));
    case WM_SETTEXT: return WMSetText(m);
    case WM_PAINT: return WMPaint(TWMPaint(m));
    case WM_NCPAINT: return WMNCPaint(TWMPaint(m));
    case WM_PRINT: return WMPrint(TWMPrint(m));
    case WM_ERASEBKGND: return WMEraseBkgnd(TWMEraseBkgnd(m));
    default: return false;
    }
}

bool TacGroupBoxWnd::SkinCommand(ks::SkinCommandView view)
{
    switch (view.Command()) {
    case SKC_REMOVE_SKIN: return RemoveSkinCommand();
    case SKC_GET_CAPTION_HEIGHT: return CaptionHeightCommand(view);
    default: return false;
    }
}

// The group box paints its own colour again; handled further on too.
bool TacGroupBoxWnd::RemoveSkinCommand()
{
    if (TControl* owner = SkinData->OwnerControl) {
        TControlStyle style = owner->ControlStyle();
        style.Exclude(csOpaque);
        owner->SetControlStyle(style);
    }
    return false;
}

bool TacGroupBoxWnd::CaptionHeightCommand(ks::SkinCommandView view)
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    view.SetResult(CaptionBand().Height());
    return true;
}

bool TacGroupBoxWnd::WMParentNotify(TWMParentNotify view)
{
    TacMainWnd::AdapterWndProc(view.Message());
    if (view.Event() == WM_CREATE) {
        if (SkinData->OwnerControl)
            NotifyParentForm25(SkinData->OwnerControl);
        else
            SendToTopParent(CtrlHandle);
    }
    return true;
}

bool TacGroupBoxWnd::WMSetText(TMessage& m)
{
    TacMainWnd::AdapterWndProc(m);
    SkinData->BackgroundChanged = true;
    RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_FRAME);
    return true;
}

// In a dialog the whole box is painted as the frame, the inside staying the dialog's: the
// platform's own paint would draw its frame and its caption patch over the skin's.
bool TacGroupBoxWnd::WMPaint(TWMPaint view)
{
    if (DlgMode && !view.DC()) {
        { ks::PaintDC validate(CtrlHandle); }
        Paint(nullptr, true);
    } else {
        Paint(view.DC(), DlgMode);
    }
    view.SetResult(0);
    return true;
}

bool TacGroupBoxWnd::WMNCPaint(TWMPaint view)
{
    if (!DlgMode)
        return false;
    Paint(nullptr, true);
    view.SetResult(1);
    return true;
}

bool TacGroupBoxWnd::WMPrint(TWMPrint view)
{
    SkinData->BackgroundChanged = true;
    Paint(view.DC(), DlgMode);
    return true;
}

bool TacGroupBoxWnd::WMEraseBkgnd(TWMEraseBkgnd view)
{
    if (DlgMode)
        return false;
    if (view.ForChildren()) {
        HDC dc = view.DC();
        GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
        if (SkinData->BackgroundChanged)
            PrepareCache();
        if (TBitmap* cache = SkinData->CacheBitmap.get(); cache && SkinData->ParentCacheUsed())
            Blit(dc, *cache);
        else
            FillRectSolid(dc, {0, 0, WndSize.cx, WndSize.cy}, ControlBackColorWnd(CtrlHandle));
    }
    view.SetResult(1);
    return true;
}

TRect TacGroupBoxWnd::CaptionBand()
{
    TSize text{0, 0};
    SkinData->PrepareCacheBmp();
    if (TBitmap* cache = SkinData->CacheBitmap.get()) {
        TCanvas& canvas = cache->Canvas();
        UseWindowFont(canvas, CtrlHandle, SkinData->OwnerControl);
        TRect r{0, 0, 0, 0};
        if (!WndText.empty())
            DrawTextOnDC(canvas.Handle(), WndText, r, DT_CALCRECT | DT_CENTER);
        text = {r.Width(), r.Height()};
    }
    return GroupCaptionBand(text, WndSize.cx);
}

void TacGroupBoxWnd::Paint(HDC given, bool frameOnly)
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    PaintScope scope(CtrlHandle, given == nullptr && !frameOnly);
    if (StillUpdating(*SkinData))
        return;
    TargetDC dc(CtrlHandle, given, true);
    if (!dc.get())
        return;
    PrepareCache();
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (!cache)
        return;
    ks::SavedDC saved(dc.get());
    if (frameOnly) {
        TsSkinManager* manager = ManagerOf(*this);
        const int border = SkinData->BorderIndex;
        ExcludeClipRect(dc.get(), manager->MaskBorderLeft(border), CaptionBand().Height(),
                        WndSize.cx - manager->MaskBorderRight(border), WndSize.cy - manager->MaskBorderBottom(border));
    }
    // Child windows paint themselves; the cache goes only around them.
    ExcludeChildWindows(dc.get(), CtrlHandle);
    Blit(dc.get(), *cache);
    if (auto* owner = dynamic_cast<TWinControl*>(SkinData->OwnerControl))
        PaintGraphicChildren(dc.get(), owner, {0, 0});
    SendChildWindowsCommand6(CtrlHandle);
}

void TacGroupBoxWnd::PrepareCache()
{
    TBitmap* cache = SizedCache(*SkinData, WndSize);
    if (!cache)
        return;
    TCanvas& canvas = cache->Canvas();
    const TRect band = CaptionBand();
    const CacheInfo background = SkinData->QueryBackgroundInfoWnd(CtrlHandle);
    auto fillFromBackground = [&](const TRect& r) {
        if (background.Ready && background.Bmp)
            BitBlt(canvas.Handle(), r.Left, r.Top, r.Width(), r.Height(), background.Bmp->Canvas().Handle(),
                   background.X + WndPos.X + r.Left, background.Y + WndPos.Y + r.Top, SRCCOPY);
        else
            FillRectSolid(canvas.Handle(), r, BackgroundFillColour(background.FillColor, SkinData->SkinManager()));
    };
    fillFromBackground({0, 0, WndSize.cx, band.Bottom});
    const int half = band.Height() / 2;
    PaintControlSection(*SkinData, background, true, 0, {0, half, WndSize.cx, WndSize.cy}, {WndPos.X, WndPos.Y + half},
                        cache, true);
    if (!WndText.empty()) {
        fillFromBackground(band);
        TRect r = band;
        canvas.Brush().SetStyle(bsClear);
        DrawControlText(canvas, WndText, IsWindowEnabled(CtrlHandle) != FALSE, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
                        *SkinData, false);
    }
    SkinData->BackgroundChanged = false;
}
