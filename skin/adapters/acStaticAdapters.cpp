#include "skin/adapters/acStaticAdapters.h"

#include "skin/adapters/AdapterLayout.h"
#include "skin/adapters/AdapterPainting.h"
#include "skin/adapters/AdapterQueries.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sVclUtils.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"

#include <algorithm>
#include <vector>

using namespace ks::adapters;

namespace {

std::wstring TextOf(HWND wnd)
{
    std::vector<wchar_t> buffer(static_cast<size_t>(GetWindowTextLengthW(wnd)) + 1);
    const int n = GetWindowTextW(wnd, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), static_cast<size_t>(std::max(n, 0)));
}

void Validate(HWND wnd)
{
    PAINTSTRUCT ps;
    BeginPaint(wnd, &ps);
    EndPaint(wnd, &ps);
}

bool Has(const TComponent* c, TComponentStateItem item)
{
    return c && c->ComponentState().Contains(item);
}

// The frame of a panel: half of what the window is wider than its client area.
int FrameWidthOf(HWND wnd)
{
    RECT window{}, client{};
    GetWindowRect(wnd, &window);
    GetClientRect(wnd, &client);
    return std::max(static_cast<int>((window.right - window.left) - client.right) / 2, 0);
}

// The text lies as the platform's own static lays it out: a dialog's label must not move, wrap
// or show its ampersands otherwise under the skin. A message box's text is a static with
// SS_NOPREFIX, so "R&D" in it is "R&D", not "RD" with an underlined D.
UINT StaticTextFormat(DWORD style, DWORD exStyle)
{
    const DWORD type = style & SS_TYPEMASK;
    UINT flags = DT_EXPANDTABS | DT_NOCLIP;
    if (type != SS_LEFTNOWORDWRAP)
        flags |= DT_WORDBREAK;
    if (type == SS_CENTER)
        flags |= DT_CENTER;
    else if (type == SS_RIGHT || (exStyle & WS_EX_RIGHT))
        flags |= DT_RIGHT;
    if (style & SS_NOPREFIX)
        flags |= DT_NOPREFIX;
    if (style & SS_CENTERIMAGE)
        flags |= DT_SINGLELINE | DT_VCENTER;
    switch (style & SS_ELLIPSISMASK) {
    case SS_ENDELLIPSIS: flags |= DT_SINGLELINE | DT_END_ELLIPSIS; break;
    case SS_PATHELLIPSIS: flags |= DT_SINGLELINE | DT_PATH_ELLIPSIS; break;
    case SS_WORDELLIPSIS: flags |= DT_SINGLELINE | DT_WORD_ELLIPSIS; break;
    default: break;
    }
    return flags;
}

} // namespace

// ---- static text ----------------------------------------------------------------------------
bool TacStaticWnd::Handles() const
{
    return !(StyleOf(CtrlHandle) & WS_TABSTOP) && !(ExStyleOf(CtrlHandle) & WS_EX_STATICEDGE);
}

void TacStaticWnd::Redraw()
{
    RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void TacStaticWnd::AdapterWndProc(TMessage& m)
{
    if (!SkinActiveFor(*this) || !Handles() || !StaticMessage(m))
        TacMainWnd::AdapterWndProc(m);
}

bool TacStaticWnd::StaticMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND: return WMEraseBkgnd(TWMEraseBkgnd(m));
    case WM_PAINT: return WMPaint(TWMPaint(m));
    case WM_MOVE: return RedrawAfter(m);
    case WM_ENABLE: return RedrawAfter(m);
    case WM_SETTEXT: return WMSetText(m);
    case WM_NCPAINT: return Answered(m, 0);
    case WM_PRINT: return WMPrint(TWMPrint(m));
    default: return false;
    }
}

bool TacStaticWnd::WMEraseBkgnd(TWMEraseBkgnd view)
{
    return PaintInEraseStep(CtrlHandle, view, 1, [this](HDC dc) { PaintInto(dc); });
}

// The picture was made in the erase step; the platform's own paint would cover it.
bool TacStaticWnd::WMPaint(TWMPaint view)
{
    Validate(CtrlHandle);
    view.SetResult(0);
    return true;
}

bool TacStaticWnd::RedrawAfter(TMessage& m)
{
    SkinData->BackgroundChanged = true;
    CallPrev(m);
    Redraw();
    return true;
}

bool TacStaticWnd::WMSetText(TMessage& m)
{
    CallPrev(m);
    WndText = TextOf(CtrlHandle);
    SkinData->BackgroundChanged = true;
    Redraw();
    return true;
}

bool TacStaticWnd::WMPrint(TWMPrint view)
{
    PaintInto(view.DC());
    return true;
}

void TacStaticWnd::PaintInto(HDC given)
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    TargetDC dc(CtrlHandle, given);
    if (!dc.get())
        return;
    ks::SavedDC saved(dc.get());
    SkinData->BackgroundChanged = true;
    TBitmap* cache = SizedCache(*SkinData, WndSize);
    if (!cache)
        return;
    PrepareWindowCache(SkinData, CtrlHandle, DlgMode);
    PaintText(*cache);
    BitBlt(dc.get(), 0, 0, cache->Width(), cache->Height(), cache->Canvas().Handle(), 0, 0, SRCCOPY);
}

void TacStaticWnd::PaintText(TBitmap& cache)
{
    TCanvas& canvas = cache.Canvas();
    canvas.Brush().SetStyle(bsClear);
    UseWindowFont(canvas, CtrlHandle, nullptr);
    TRect r{0, 0, WndSize.cx, WndSize.cy};
    DrawControlText(canvas, WndText, IsWindowEnabled(CtrlHandle) != FALSE, r,
                    StaticTextFormat(StyleOf(CtrlHandle), ExStyleOf(CtrlHandle)), *SkinData, false);
}

// ---- static icon or bitmap ------------------------------------------------------------------
void TacIconWnd::PaintText(TBitmap& cache)
{
    HDC target = cache.Canvas().Handle();
    if ((StyleOf(CtrlHandle) & 3) != SS_ICON) {
        auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(CtrlHandle, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP info{};
        if (!bitmap || GetObjectW(bitmap, sizeof info, &info) != sizeof info)
            return;
        HDC source = CreateCompatibleDC(target);
        if (!source)
            return;
        const HGDIOBJ old = SelectObject(source, bitmap);
        BitBlt(target, 0, 0, info.bmWidth, std::abs(info.bmHeight), source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
        return;
    }
    if (auto icon = reinterpret_cast<HICON>(SendMessageW(CtrlHandle, STM_GETICON, 0, 0)))
        DrawIconEx(target, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

// ---- link label -----------------------------------------------------------------------------
// A link takes the static's handling even when it takes the focus, except for enabling and
// printing: those stay with the static's own dispatch, which leaves a focusable window to the
// platform. A link with a static edge is the platform's.
void TacLinkWnd::AdapterWndProc(TMessage& m)
{
    const bool own = SkinActiveFor(*this) && !(ExStyleOf(CtrlHandle) & WS_EX_STATICEDGE) && m.Msg != WM_ENABLE &&
                     m.Msg != WM_PRINT;
    if (!own || !StaticMessage(m))
        TacStaticWnd::AdapterWndProc(m);
}

void TacLinkWnd::PaintText(TBitmap& cache)
{
    TCanvas& canvas = cache.Canvas();
    canvas.Brush().SetStyle(bsClear);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW lf{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        lf = metrics.lfMessageFont;
    else
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfUnderline = TRUE;
    canvas.Font().SetLogFont(lf);
    TRect r{0, 0, WndSize.cx + 4, WndSize.cy};
    DrawControlText(canvas, StripAnchorTags(WndText), IsWindowEnabled(CtrlHandle) != FALSE, r,
                    DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP, *SkinData, false);
}

// ---- size grip ------------------------------------------------------------------------------
void TacSizerWnd::AdapterWndProc(TMessage& m)
{
    if (!SkinActiveFor(*this)) {
        TacMainWnd::AdapterWndProc(m);
        return;
    }
    switch (m.Msg) {
    case WM_PAINT: WMPaint(TWMPaint(m)); return;
    case WM_ERASEBKGND: Answered(m, 0); return;
    case WM_NCPAINT: Answered(m, 0); return;
    default: break;
    }
    TacMainWnd::AdapterWndProc(m);
    if (m.Msg == WM_NCHITTEST) {
        if (IsWindowEnabled(CtrlHandle) && DefaultSkinManager)
            DefaultSkinManager->SetActiveControl(nullptr);
        m.Result = HTBOTTOMRIGHT;
    }
}

void TacSizerWnd::WMPaint(TWMPaint view)
{
    Paint();
    view.SetResult(0);
}

void TacSizerWnd::Paint()
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    PAINTSTRUCT ps;
    BeginPaint(CtrlHandle, &ps);
    TsSkinManager* manager = ManagerOf(*this);
    const int maskIndex = manager->FindMask(manager->CommonIndexes.GlobalInfoIndex, "GLOBALINFO", "GRIPIMAGE");
    if (manager->MaskIndexValid(maskIndex) && WndSize.cx > 0 && WndSize.cy > 0) {
        TBitmap picture;
        picture.SetPixelFormat(pf24bit);
        picture.SetSize(WndSize.cx, WndSize.cy);
        HDC pictureDC = picture.Canvas().Handle();
        BackgroundInfo info;
        info.R = {0, 0, WndSize.cx, WndSize.cy};
        info.Offset = WndPos;
        info.PaintRequested = true;
        info.TargetDC = pictureDC;
        QueryParentBackgroundWnd(info, ParentWnd, true);
        const TsMaskData& mask = manager->MaskArray[maskIndex];
        const TSize cell{MaskCellWidth(mask), MaskCellHeight(mask)};
        const TPoint at{std::max(WndSize.cx - cell.cx, 0), std::max(WndSize.cy - cell.cy, 0)};
        PaintStateGlyph(picture, at, 0, 1, mask, CacheInfoFromBitmap(&picture, 0, 0));
        TargetDC dc(CtrlHandle, nullptr);
        if (dc.get())
            BitBlt(dc.get(), 0, 0, WndSize.cx, WndSize.cy, picture.Canvas().Handle(), 0, 0, SRCCOPY);
    }
    EndPaint(CtrlHandle, &ps);
}

// ---- see-through dialog area ----------------------------------------------------------------
void TacTransPanelWnd::AdapterWndProc(TMessage& m)
{
    if (!SkinActiveFor(*this)) {
        TacMainWnd::AdapterWndProc(m);
        return;
    }
    switch (m.Msg) {
    case WM_ERASEBKGND: WMEraseBkgnd(TWMEraseBkgnd(m)); return;
    case WM_NCPAINT: Answered(m, 0); return;
    default: break;
    }
    TacMainWnd::AdapterWndProc(m);
}

// The whole picture in the erase step, from the window's own DC.
void TacTransPanelWnd::WMEraseBkgnd(TWMEraseBkgnd view)
{
    Paint();
    view.SetResult(1);
}

void TacTransPanelWnd::Paint()
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    PAINTSTRUCT ps;
    BeginPaint(CtrlHandle, &ps);
    SkinData->BackgroundChanged = true;
    SendCommandWnd(CtrlHandle, SKC_PREPARE_CACHE, 0);
    TargetDC dc(CtrlHandle, nullptr, true);
    if (TBitmap* cache = SkinData->CacheBitmap.get(); cache && dc.get()) {
        ks::SavedDC saved(dc.get());
        // The child windows paint their own images.
        ExcludeChildWindows(dc.get(), CtrlHandle);
        BitBlt(dc.get(), 0, 0, WndSize.cx, WndSize.cy, cache->Canvas().Handle(), 0, 0, SRCCOPY);
    }
    EndPaint(CtrlHandle, &ps);
}

// ---- class-library panel --------------------------------------------------------------------
namespace {

Bevel BevelOf(TBevelCut cut)
{
    switch (cut) {
    case bvLowered: return Bevel::Lowered;
    case bvRaised: return Bevel::Raised;
    case bvSpace: return Bevel::Space;
    default: return Bevel::None;
    }
}

std::string PanelSectionFor(const TsCommonData* skinData, std::string section)
{
    if (!section.empty() || !skinData)
        return section;
    auto* panel = dynamic_cast<TCustomPanel*>(skinData->OwnerControl);
    if (!panel)
        return section;
    return std::string(PanelSection(BevelOf(panel->BevelOuter()), BevelOf(panel->BevelInner()),
                                    panel->BorderStyle() == bsNone));
}

} // namespace

TacPanelWnd::TacPanelWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacMainWnd(handle, skinData, manager, PanelSectionFor(skinData, std::move(section)))
{
}

void TacPanelWnd::AdapterWndProc(TMessage& m)
{
    TControl* owner = SkinData ? SkinData->OwnerControl : nullptr;
    if (!owner || !owner->ControlStyle().Contains(csAcceptsControls) || !SkinActiveFor(*this)) {
        TacMainWnd::AdapterWndProc(m);
        return;
    }
    if (m.Msg == SM_SKINCMD) {
        if (!SkinCommand(ks::SkinCommandView(m)))
            TacMainWnd::AdapterWndProc(m);
        return;
    }
    if (SkinData->IsSkinActive() && SkinnedMessage(m))
        return;
    TacMainWnd::AdapterWndProc(m);
    if (m.Msg == WM_WINDOWPOSCHANGING)
        SendMessageW(CtrlHandle, WM_NCPAINT, 0, 0);
}

bool TacPanelWnd::SkinCommand(ks::SkinCommandView view)
{
    switch (view.Command()) {
    case SKC_NEW_SKIN: return Broadcast(view);
    case SKC_REFRESH: return Broadcast(view);
    case SKC_REMOVE_SKIN: return RemoveSkinCommand();
    case SKC_PARENT_UPDATED: return ParentUpdatedCommand();
    case SKC_IS_SKINNED: return Answered(view.Message(), 1);
    case SKC_PREPARE_CACHE: return true;
    default: return false;
    }
}

bool TacPanelWnd::SkinnedMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_NCPAINT: return WMNCPaint(TWMPaint(m));
    case WM_SETTEXT: return WMSetText(m);
    case WM_PAINT: return WMPaint(TWMPaint(m));
    case WM_ERASEBKGND: return WMEraseBkgnd(TWMEraseBkgnd(m));
    case WM_UPDATEUISTATE: return Answered(m, 1);
    case WM_PARENTNOTIFY: return WMParentNotify(TWMParentNotify(m));
    case WM_PRINT: return WMPrint(TWMPrint(m));
    default: return false;
    }
}

// The command goes on to the controls inside, after this window took it.
bool TacPanelWnd::Broadcast(ks::SkinCommandView view)
{
    TacMainWnd::AdapterWndProc(view.Message());
    BroadcastMessage(dynamic_cast<TWinControl*>(SkinData->OwnerControl), CtrlHandle, view.Message());
    return true;
}

// The panel paints its own colour again; handled further on as well.
bool TacPanelWnd::RemoveSkinCommand()
{
    SkinData->SkinIndex = -1;
    TControl* owner = SkinData->OwnerControl;
    TControlStyle style = owner->ControlStyle();
    style.Exclude(csOpaque);
    owner->SetControlStyle(style);
    return false;
}

bool TacPanelWnd::ParentUpdatedCommand()
{
    SkinData->SetUpdating(false);
    RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_FRAME);
    return true;
}

bool TacPanelWnd::WMNCPaint(TWMPaint view)
{
    PaintFrame(nullptr);
    view.SetResult(0);
    return true;
}

// The caption changes without the platform's painting; the whole client is painted again.
bool TacPanelWnd::WMSetText(TMessage& m)
{
    if (!IsWindowVisible(CtrlHandle))
        return false;
    WithoutRedraw(CtrlHandle, [&] { TacMainWnd::AdapterWndProc(m); });
    SkinData->BackgroundChanged = true;
    InvalidateRect(CtrlHandle, nullptr, TRUE);
    return true;
}

bool TacPanelWnd::WMPaint(TWMPaint view)
{
    PaintThroughErase(CtrlHandle);
    view.SetResult(0);
    return true;
}

bool TacPanelWnd::WMEraseBkgnd(TWMEraseBkgnd view)
{
    PaintClient(view.DC(), false);
    view.SetResult(1);
    return true;
}

bool TacPanelWnd::WMParentNotify(TWMParentNotify view)
{
    TacMainWnd::AdapterWndProc(view.Message());
    if (view.Event() == WM_CREATE)
        NotifyParentForm25(SkinData->OwnerControl);
    return true;
}

bool TacPanelWnd::WMPrint(TWMPrint view)
{
    PaintClient(view.DC(), true);
    PaintFrame(view.DC());
    return true;
}

void TacPanelWnd::PaintClient(HDC given, bool dcIsWindow)
{
    TControl* owner = SkinData->OwnerControl;
    if (Has(owner, csDestroying) || (owner->Parent() && owner->Parent()->ControlState().Contains(csCreating)))
        return;
    TargetDC dc(CtrlHandle, given, true);
    if (!given)
        dcIsWindow = true;
    if (!dc.get())
        return;
    ks::SavedDC saved(dc.get());
    if (StillUpdating(*SkinData))
        return;
    const bool rebuild = SkinData->ClippedByParent || SkinData->BackgroundChanged;
    RECT clip{};
    GetClipBox(dc.get(), &clip);
    SkinData->ClippedByParent = SkinData->NeedsRepaint() &&
                                (clip.right - clip.left != owner->Width() || clip.bottom - clip.top != owner->Height());
    if (rebuild)
        PrepareCache();
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (!cache)
        return;
    const int b = FrameWidthOf(CtrlHandle);
    const int shift = dcIsWindow ? 0 : -b;
    BitBlt(dc.get(), b + shift, b + shift, owner->Width() - 2 * b, owner->Height() - 2 * b, cache->Canvas().Handle(), b, b,
           SRCCOPY);
    if (auto* container = dynamic_cast<TWinControl*>(owner)) {
        PaintGraphicChildren(dc.get(), container, {b + shift, b + shift});
        SendChildrenCommand6(container);
    }
}

void TacPanelWnd::PaintFrame(HDC given)
{
    const int b = FrameWidthOf(CtrlHandle);
    if (b <= 0)
        return;
    if (SkinData->BackgroundChanged || !SkinData->CacheBitmap)
        PrepareCache();
    TargetDC dc(CtrlHandle, given, true);
    CopyCacheFrame(dc.get(), SkinData->CacheBitmap.get(), b);
}

void TacPanelWnd::PrepareCache()
{
    auto* panel = dynamic_cast<TCustomPanel*>(SkinData->OwnerControl);
    TControl* owner = SkinData->OwnerControl;
    TBitmap* cache = SizedCache(*SkinData, {owner->Width(), owner->Height()});
    if (!cache)
        return;
    const CacheInfo background = SkinData->QueryBackgroundInfo();
    PaintControlSection(*SkinData, background, true, 0, {0, 0, owner->Width(), owner->Height()},
                        {owner->Left(), owner->Top()}, cache, true);
    const std::wstring caption = owner->Caption();
    if (!caption.empty()) {
        const int b = FrameWidthOf(CtrlHandle);
        RECT client{};
        GetClientRect(CtrlHandle, &client);
        TRect r{b, b, b + client.right, b + client.bottom};
        if (panel) {
            int inset = panel->BorderWidth();
            if (panel->BevelInner() != bvNone)
                inset += panel->BevelWidth();
            if (panel->BevelOuter() != bvNone)
                inset += panel->BevelWidth();
            r = {r.Left + inset, r.Top + inset, r.Right - inset, r.Bottom - inset};
        }
        TCanvas& canvas = cache->Canvas();
        canvas.Font().Assign(owner->Font());
        canvas.Brush().SetStyle(bsClear);
        const int height = canvas.TextHeight(L"W");
        r.Top = (r.Top + r.Bottom - height) / 2;
        r.Bottom = r.Top + height;
        DrawControlText(canvas, caption, owner->Enabled(), r, DT_CENTER | DT_VCENTER, *SkinData, false);
    }
    SkinData->BackgroundChanged = false;
}

// ---- panel inside a dialog ------------------------------------------------------------------
namespace {

constexpr int DialogBand = 6;

TWinControl* ControlOf(HWND wnd)
{
    return Application ? FindControlByHandle(wnd, Application) : nullptr;
}

std::string DialogPanelSection(HWND wnd)
{
    TWinControl* control = ControlOf(wnd);
    return control && std::string_view(control->ClassName()) == "TPanel" ? "CHECKBOX" : "GROUPBOX";
}

} // namespace

TacDlgPanelWnd::TacDlgPanelWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string)
    : TacMainWnd(handle, skinData, manager, DialogPanelSection(handle)), FControl(ControlOf(handle))
{
    if (FControl && std::string_view(FControl->ClassName()) == "TPanel")
        KeepGlobalColour();
}

void TacDlgPanelWnd::KeepGlobalColour()
{
    TsSkinManager* manager = ManagerOf(*this);
    if (FControl && manager && FControl->Color() != manager->GlobalSectionColor())
        FControl->SetColor(manager->GlobalSectionColor());
}

void TacDlgPanelWnd::ApplySkinColors()
{
    TacMainWnd::ApplySkinColors();
    KeepGlobalColour();
}

void TacDlgPanelWnd::AdapterWndProc(TMessage& m)
{
    if (!SkinActiveFor(*this)) {
        TacMainWnd::AdapterWndProc(m);
        return;
    }
    if (!SkinnedMessage(m))
        TacMainWnd::AdapterWndProc(m);
}

bool TacDlgPanelWnd::SkinnedMessage(TMessage& m)
{
    switch (m.Msg) {
    case SM_SKINCMD: return SkinCommand(ks::SkinCommandView(m));
    case WM_SETTEXT: return WMSetText();
    case WM_PAINT: return WMPaint(TWMPaint(m));
    case WM_ERASEBKGND: return WMEraseBkgnd(TWMEraseBkgnd(m));
    case WM_NCPAINT: return WMNCPaint(TWMPaint(m));
    case WM_UPDATEUISTATE: return Answered(m, 1);
    case WM_PARENTNOTIFY: return WMParentNotify(TWMParentNotify(m));
    case WM_PRINT: return WMPrint(TWMPrint(m));
    case WM_THEMECHANGED: return WMThemeChanged();
    default: return false;
    }
}

// A new skin reaches the controls inside as well; handled further on too.
bool TacDlgPanelWnd::SkinCommand(ks::SkinCommandView view)
{
    if (view.Command() == SKC_NEW_SKIN)
        BroadcastMessage(FControl, CtrlHandle, view.Message());
    return false;
}

bool TacDlgPanelWnd::WMSetText()
{
    if (IsWindowVisible(CtrlHandle))
        SkinData->BackgroundChanged = true;
    return false;
}

bool TacDlgPanelWnd::WMPaint(TWMPaint view)
{
    KeepGlobalColour();
    Validate(CtrlHandle);
    view.SetResult(0);
    return true;
}

bool TacDlgPanelWnd::WMEraseBkgnd(TWMEraseBkgnd view)
{
    HDC dc = view.DC();
    ks::SavedDC saved(dc);
    PaintClient(dc, false);
    // The window paints its own content, inside the band only.
    RECT client{};
    GetClientRect(CtrlHandle, &client);
    IntersectClipRect(dc, DialogBand, DialogBand, client.right - DialogBand, client.bottom - DialogBand);
    LPARAM unused = 0;
    CallPrevWndProc(CtrlHandle, WM_PAINT, view.Message().WParam, unused);
    view.SetResult(1);
    return true;
}

bool TacDlgPanelWnd::WMNCPaint(TWMPaint view)
{
    PaintFrame(nullptr);
    view.SetResult(1);
    return true;
}

bool TacDlgPanelWnd::WMParentNotify(TWMParentNotify view)
{
    if (view.Event() != WM_CREATE && view.Event() != WM_DESTROY)
        return false;
    TacMainWnd::AdapterWndProc(view.Message());
    KeepGlobalColour();
    if (view.Event() == WM_CREATE)
        NotifyParentForm25(FControl);
    return true;
}

bool TacDlgPanelWnd::WMPrint(TWMPrint view)
{
    PaintClient(view.DC(), true);
    PaintFrame(view.DC());
    return true;
}

// The dialog's own colour stays the platform's face colour; handled further on too.
bool TacDlgPanelWnd::WMThemeChanged()
{
    if (FControl && FControl->Color() != clBtnFace)
        FControl->SetColor(clBtnFace);
    return false;
}

void TacDlgPanelWnd::PaintClient(HDC given, bool dcIsWindow)
{
    if (!SkinData->IsSkinActive())
        return;
    TargetDC dc(CtrlHandle, given, true);
    if (!given)
        dcIsWindow = true;
    if (!dc.get())
        return;
    ks::SavedDC saved(dc.get());
    if (StillUpdating(*SkinData))
        return;
    PrepareCache();
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (!cache)
        return;
    const int b = FrameWidthOf(CtrlHandle);
    const int at = dcIsWindow ? b : 0;
    BitBlt(dc.get(), at, at, WndSize.cx - 2 * b, WndSize.cy - 2 * b, cache->Canvas().Handle(), b, b, SRCCOPY);
}

void TacDlgPanelWnd::PaintFrame(HDC given)
{
    const int b = FrameWidthOf(CtrlHandle) + DialogBand;
    SkinData->BackgroundChanged = true;
    PrepareCache();
    TargetDC dc(CtrlHandle, given, true);
    CopyCacheFrame(dc.get(), SkinData->CacheBitmap.get(), b);
}

void TacDlgPanelWnd::PrepareCache()
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    TBitmap* cache = SizedCache(*SkinData, WndSize);
    if (!cache)
        return;
    const CacheInfo background = SkinData->QueryBackgroundInfoWnd(CtrlHandle);
    PaintControlSection(*SkinData, background, true, 0, {0, 0, WndSize.cx, WndSize.cy}, WndPos, cache, true);
    SkinData->BackgroundChanged = false;
}

// ---- placeholders a dialog frames itself ------------------------------------------------------
namespace {

bool IsClass(HWND wnd, const wchar_t* name)
{
    wchar_t cls[16]{};
    GetClassNameW(wnd, cls, 16);
    return _wcsicmp(cls, name) == 0;
}

// Within a visible group box among the dialog's own children.
bool InGroupBox(HWND dialog, const RECT& r)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT g{};
        if (IsWindowVisible(child) && IsClass(child, L"button") && (StyleOf(child) & ButtonTypeMask) == BS_GROUPBOX &&
            GetWindowRect(child, &g) && r.left >= g.left && r.top >= g.top && r.right <= g.right && r.bottom <= g.bottom)
            return true;
    }
    return false;
}

} // namespace

void FrameDialogPlaceholders(HWND dialog, HDC dc, TsSkinManager& manager)
{
    const int section = manager.FindSection("EDIT");
    const int mask = manager.FindMask(section, "EDIT", "BORDERSMASK");
    if (!dc || !manager.MaskIndexValid(mask))
        return;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        if (IsWindowVisible(child) || !IsClass(child, L"static") || !GetWindowRect(child, &r) || !InGroupBox(dialog, r))
            continue;
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        const int w = r.right - r.left, h = r.bottom - r.top;
        if (w <= 0 || h <= 0)
            continue;
        // Over what the dialog drew there: only the frame changes, the sample inside stays.
        auto picture = NewBitmap24(w, h);
        BitBlt(picture->Canvas().Handle(), 0, 0, w, h, dc, r.left, r.top, SRCCOPY);
        PaintSkinImageRect(*picture, {0, 0, w, h}, false, CacheInfoFromBitmap(picture.get(), 0, 0),
                           manager.MaskArray[static_cast<size_t>(mask)], 0, false);
        BitBlt(dc, r.left, r.top, w, h, picture->Canvas().Handle(), 0, 0, SRCCOPY);
    }
}
