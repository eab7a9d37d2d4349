#include "skin/adapters/acButtonAdapters.h"

#include "skin/adapters/AdapterLayout.h"
#include "skin/adapters/AdapterPainting.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/acGlow.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sVclUtils.h"
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

DWORD StyleOf(HWND wnd)
{
    return static_cast<DWORD>(GetWindowLongW(wnd, GWL_STYLE));
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

// Recomputes the skin data's updating flag; true when painting must wait.
bool StillUpdating(TsCommonData& skinData)
{
    skinData.SetUpdating(false);
    skinData.SetUpdating(skinData.Updating());
    return skinData.UpdateLock;
}

void Blit(HDC dc, TBitmap& cache)
{
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
    if (!SkinActiveFor(*this)) {
        TacMainWnd::AdapterWndProc(m);
        return;
    }
    const bool visible = IsWindowVisible(CtrlHandle) != FALSE;
    switch (m.Msg) {
    case SM_SKINCMD:
        switch (HIWORD(m.WParam)) {
        case SKC_PARENT_UPDATED:
            if (SkinData->UpdateLock && !StillUpdating(*SkinData))
                RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
            return;
        case SKC_HOT_ENTER: HotEnter(m); return;
        case SKC_HOT_LEAVE: HotLeave(m); return;
        default: break;
        }
        break;
    case WM_MOVE: {
        const TsGeneralData* s = SkinData->Section();
        if (s && (s->Transparency >= 1 || (s->HotTransparency >= 1 && WindowIsHot(*this))))
            Repaint(*this);
        break;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (!IsWindowEnabled(CtrlHandle)) {
            // A disabled button does not take the focus.
            if (m.Msg == WM_KILLFOCUS)
                TacMainWnd::AdapterWndProc(m);
            return;
        }
        WithoutRedraw(CtrlHandle, [&] { TacMainWnd::AdapterWndProc(m); });
        SkinData->HasFocus = m.Msg == WM_SETFOCUS;
        Repaint(*this);
        return;
    case WM_ENABLE:
    case WM_SETTEXT:
        if (!visible)
            break;
        WithoutRedraw(CtrlHandle, [&] { TacMainWnd::AdapterWndProc(m); });
        Repaint(*this);
        return;
    case WM_PAINT:
        if (!ParamsApplied)
            ApplySkinColors();
        Paint(reinterpret_cast<HDC>(m.WParam));
        m.Result = 0;
        return;
    case WM_ERASEBKGND:
    case WM_NCPAINT:
    case WM_UPDATEUISTATE: m.Result = 1; return;
    case BM_SETSTATE:
        if (!visible)
            break;
        WithoutRedraw(CtrlHandle, [&] { m.Result = CallPrevWndProc(CtrlHandle, m.Msg, m.WParam, m.LParam); });
        Repaint(*this);
        return;
    case WM_PRINT:
        SkinData->BackgroundChanged = true;
        Paint(reinterpret_cast<HDC>(m.WParam));
        return;
    default: break;
    }
    TacMainWnd::AdapterWndProc(m);
    if (m.Msg == WM_MOUSEMOVE)
        TrackMouse();
}

void TacBtnWnd::TrackMouse()
{
    TsSkinManager* manager = DefaultSkinManager;
    if (!manager || manager->ComponentState().Contains(csDesigning) || !IsWindowEnabled(CtrlHandle))
        return;
    if (CursorInside(CtrlHandle)) {
        if (manager->ActiveControl != CtrlHandle)
            manager->SetActiveControl(CtrlHandle);
    } else if (manager->ActiveControl == CtrlHandle) {
        manager->SetActiveControl(nullptr);
    }
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

// ---- push button with a bitmap --------------------------------------------------------------
TSize TacBitBtnWnd::GlyphSize()
{
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(CtrlHandle, BM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    if (!bitmap || GetObjectW(bitmap, sizeof info, &info) != sizeof info)
        return {0, 0};
    return {info.bmWidth, std::abs(info.bmHeight)};
}

TRect TacBitBtnWnd::CaptionRect(TCanvas& canvas, int state)
{
    return BitmapCaptionRect(TacBtnWnd::CaptionRect(canvas, state), GlyphSize());
}

void TacBitBtnWnd::DrawGlyph(TBitmap& cache, int state)
{
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

// ---- check box and radio button -------------------------------------------------------------
namespace {

// One cell of a check glyph: of its own bitmap a third of the width by half the height, else
// the record's cell.
TSize CheckCell(const TsMaskData& mask)
{
    if (mask.Bmp)
        return {mask.Bmp->Width() / 3, mask.Bmp->Height() / 2};
    const int count = mask.ImageCount == 0 ? 1 : mask.ImageCount;
    return {mask.R.Width() / count, MaskCellHeight(mask)};
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
    switch (m.Msg) {
    case SM_SKINCMD:
        if (HIWORD(m.WParam) == SKC_HOT_ENTER || HIWORD(m.WParam) == SKC_HOT_LEAVE) {
            SkinData->SetUpdating(false);
            SendMessageW(CtrlHandle, WM_PAINT, 0, 0);
        }
        break;
    case WM_NCPAINT:
    case WM_ERASEBKGND: m.Result = 0; return;
    case WM_PAINT: Paint(reinterpret_cast<HDC>(m.WParam)); return;
    case WM_ENABLE:
    case BM_SETCHECK:
    case BM_SETSTATE:
        if (!IsWindowVisible(CtrlHandle))
            break;
        WithoutRedraw(CtrlHandle, [&] { TacMainWnd::AdapterWndProc(m); });
        SendMessageW(CtrlHandle, WM_PAINT, 0, 0);
        return;
    default: break;
    }
    TacMainWnd::AdapterWndProc(m);
    switch (m.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: SendMessageW(CtrlHandle, WM_PAINT, 0, 0); break;
    case WM_KEYDOWN:
        if (m.WParam == VK_SPACE)
            SendMessageW(CtrlHandle, WM_PAINT, 0, 0);
        break;
    case WM_NCHITTEST:
        // Hover is followed through hit tests: the box's own procedure eats its mouse moves.
        if (DefaultSkinManager && IsWindowEnabled(CtrlHandle) && DefaultSkinManager->ActiveControl != CtrlHandle)
            DefaultSkinManager->SetActiveControl(CtrlHandle);
        break;
    default: break;
    }
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
    if (!SkinActiveFor(*this)) {
        TacMainWnd::AdapterWndProc(m);
        return;
    }
    switch (m.Msg) {
    case SM_SKINCMD:
        switch (HIWORD(m.WParam)) {
        case SKC_REMOVE_SKIN:
            if (TControl* owner = SkinData->OwnerControl) {
                TControlStyle style = owner->ControlStyle();
                style.Exclude(csOpaque);
                owner->SetControlStyle(style);
            }
            break;
        case SKC_GET_CAPTION_HEIGHT:
            GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
            m.Result = CaptionBand().Height();
            return;
        default: break;
        }
        break;
    case WM_PARENTNOTIFY:
        TacMainWnd::AdapterWndProc(m);
        if (LOWORD(m.WParam) == WM_CREATE) {
            if (SkinData->OwnerControl)
                NotifyParentForm25(SkinData->OwnerControl);
            else
                SendToTopParent(CtrlHandle);
        }
        return;
    case WM_SETTEXT:
        TacMainWnd::AdapterWndProc(m);
        SkinData->BackgroundChanged = true;
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_FRAME);
        return;
    case WM_PAINT:
        if (DlgMode)
            break;
        Paint(reinterpret_cast<HDC>(m.WParam), false);
        m.Result = 0;
        return;
    case WM_NCPAINT:
        if (!DlgMode)
            break;
        Paint(nullptr, true);
        m.Result = 1;
        return;
    case WM_PRINT:
        SkinData->BackgroundChanged = true;
        Paint(reinterpret_cast<HDC>(m.WParam), DlgMode);
        return;
    case WM_ERASEBKGND:
        if (DlgMode)
            break;
        if (m.WParam == static_cast<WPARAM>(m.LParam)) {
            // The class library's own request for the background behind its children.
            auto dc = reinterpret_cast<HDC>(m.WParam);
            GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
            if (SkinData->BackgroundChanged)
                PrepareCache();
            if (TBitmap* cache = SkinData->CacheBitmap.get(); cache && SkinData->ParentCacheUsed())
                Blit(dc, *cache);
            else
                FillRectSolid(dc, {0, 0, WndSize.cx, WndSize.cy}, ControlBackColorWnd(CtrlHandle));
        }
        m.Result = 1;
        return;
    default: break;
    }
    TacMainWnd::AdapterWndProc(m);
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
            FillRectSolid(canvas.Handle(), r, background.FillColor == TransparentKeyColor ? clBtnFace : background.FillColor);
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
