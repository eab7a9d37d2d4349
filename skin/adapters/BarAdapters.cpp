#include "skin/adapters/BarAdapters.h"

#include "skin/adapters/AdapterPainting.h"
#include "skin/controls/ButtonGlyphs.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "vcl/GdiHandles.h"
#include "vcl/ImgList.h"
#include "vcl/PlatformSeams.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

using namespace ks::adapters;

namespace {

TRect Shrunk(const TRect& r, int by)
{
    return {r.Left + by, r.Top + by, r.Right - by, r.Bottom - by};
}

std::unique_ptr<TBitmap> Picture(int w, int h)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(std::max(w, 0), std::max(h, 0));
    return b;
}

// A copy of r of source (r may reach past it: the rest stays white).
std::unique_ptr<TBitmap> CopyOf(TBitmap& source, const TRect& r)
{
    auto b = Picture(r.Width(), r.Height());
    BitBlt(b->Canvas().Handle(), 0, 0, r.Width(), r.Height(), source.Canvas().Handle(), r.Left, r.Top, SRCCOPY);
    return b;
}

bool CursorIn(HWND wnd, const RECT& r)
{
    POINT p{};
    if (ks::Sys().GetCursorPos ? !ks::Sys().GetCursorPos(&p) : !GetCursorPos(&p))
        return false;
    ScreenToClient(wnd, &p);
    return PtInRect(&r, p) != FALSE;
}

std::wstring ButtonText(HWND wnd, int command)
{
    // The length first: the control writes as much as the text is long.
    const LRESULT length = SendMessageW(wnd, TB_GETBUTTONTEXTW, static_cast<WPARAM>(command), 0);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT n = SendMessageW(wnd, TB_GETBUTTONTEXTW, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(n, 0, length)));
    return text;
}

// The skin's divider, its border image centred in r of picture; nothing in a skin without it.
void PaintDivider(TsSkinManager& manager, TBitmap& picture, const TRect& r)
{
    const int divider = manager.FindSection("DIVIDER");
    const int mask = manager.FindMask(divider, "DIVIDER", "BORDERSMASK");
    if (!manager.MaskIndexValid(mask) || r.Width() <= 0 || r.Height() <= 0)
        return;
    const TsMaskData& m = manager.MaskArray[static_cast<size_t>(mask)];
    const int cw = std::min(MaskCellWidth(m), r.Width());
    const int x = r.Left + (r.Width() - cw) / 2;
    PaintSkinImageRect(picture, {x, r.Top, x + cw, r.Bottom}, true, CacheInfoFromBitmap(&picture, 0, 0), m, 0, false);
}

} // namespace

// ---- platform toolbar -----------------------------------------------------------------------
void TacToolBarWnd::AdapterWndProc(TMessage& m)
{
    if (!SkinActiveFor(*this)) {
        TacMainWnd::AdapterWndProc(m);
        return;
    }
    switch (m.Msg) {
    case WM_NCPAINT:
        if (GetWindowLongW(CtrlHandle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
            const bool updating = AskWndBool(GetParent(CtrlHandle), SKC_IS_UPDATING) || SkinData->UpdateLock;
            SkinData->SetUpdating(updating);
            if (!updating) {
                PrepareCache();
                TBitmap* cache = SkinData->CacheBitmap.get();
                TargetDC dc(CtrlHandle, nullptr, true);
                if (cache && dc.get())
                    CopyFrameStrips(dc.get(), 0, 0, WndSize.cx, WndSize.cy, cache->Canvas().Handle(), 0, 0, FBorderWidth);
            }
        }
        m.Result = 0;
        return;
    case WM_PRINT: Paint(reinterpret_cast<HDC>(m.WParam)); return;
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        SkinData->BackgroundChanged = true;
        TacMainWnd::AdapterWndProc(m);
        if (!Destroyed)
            SendMessageW(CtrlHandle, WM_NCPAINT, 1, 0);
        return;
    case WM_PAINT: {
        if (m.WParam) {
            Paint(reinterpret_cast<HDC>(m.WParam));
            m.Result = 0;
            return;
        }
        if (!IsWindowVisible(CtrlHandle))
            break;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(CtrlHandle, &ps);
        SkinData->SetUpdating(AskWndBool(GetParent(CtrlHandle), SKC_IS_UPDATING) || SkinData->UpdateLock);
        if (!SkinData->UpdateLock) {
            ks::OrientationPreservedDC kept(dc);
            Paint(dc);
        }
        EndPaint(CtrlHandle, &ps);
        m.Result = 0;
        return;
    }
    case WM_ERASEBKGND: m.Result = 1; return;
    case SM_SKINCMD:
        if (HIWORD(m.WParam) == SKC_PARENT_UPDATED && SkinData->UpdateLock) {
            SkinData->SetUpdating(false);
            RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
            return;
        }
        break;
    default: break;
    }
    TacMainWnd::AdapterWndProc(m);
}

void TacToolBarWnd::PrepareCache()
{
    if (!SkinData->BackgroundChanged && SkinData->CacheBitmap)
        return;
    SkinData->BackgroundChanged = true;
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    RECT client{};
    GetClientRect(CtrlHandle, &client);
    FClientRect = {client.left, client.top, client.right, client.bottom};
    PrepareWindowCache(SkinData, CtrlHandle, DlgMode);
    DrawWndBorder(SkinData, nullptr, this);
    FBorderWidth = std::max((WndSize.cy - FClientRect.Height()) / 2, 0);
    SkinData->BackgroundChanged = false;
}

void TacToolBarWnd::Paint(HDC given)
{
    PrepareCache();
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (!cache || cache->Empty())
        return;
    TBitmap picture;
    picture.Assign(cache);
    const int count = static_cast<int>(SendMessageW(CtrlHandle, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        PaintButton(i, picture);
    TargetDC dc(CtrlHandle, given);
    if (dc.get())
        BitBlt(dc.get(), 0, 0, WndSize.cx - 2 * FBorderWidth, WndSize.cy - 2 * FBorderWidth, picture.Canvas().Handle(),
               FBorderWidth, FBorderWidth, SRCCOPY);
}

void TacToolBarWnd::PaintButton(int index, TBitmap& picture)
{
    TsSkinManager* manager = ManagerOf(*this);
    TBBUTTON button{};
    RECT item{};
    if (!manager || !SendMessageW(CtrlHandle, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)) ||
        !SendMessageW(CtrlHandle, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return;
    TRect r{item.left + FBorderWidth, item.top + FBorderWidth, item.right + FBorderWidth, item.bottom + FBorderWidth};
    r = {std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, picture.Width()), std::min(r.Bottom, picture.Height())};
    const int w = r.Width(), h = r.Height();
    if (w <= 0 || h <= 0)
        return;
    if (button.fsStyle & BTNS_SEP) {
        PaintDivider(*manager, picture, r);
        return;
    }
    const bool enabled = (button.fsState & TBSTATE_ENABLED) != 0;
    int state = 0;
    if (enabled && (button.fsState & TBSTATE_PRESSED))
        state = 2;
    else if (enabled && CursorIn(CtrlHandle, item))
        state = 1;
    auto face = CopyOf(picture, r);
    const int section = manager->FindSection("TOOLBUTTON");
    PaintSectionByIndex(section, "TOOLBUTTON", CacheInfoFromBitmap(&picture, 0, 0), true, state, {0, 0, w, h},
                        {r.Left, r.Top}, face.get(), manager, -1, -1);

    // The drop-down arrow takes the right part of a whole-drop-down button.
    int room = w;
    if (button.fsStyle & BTNS_WHOLEDROPDOWN) {
        const int glyph = manager->CommonIndexes.ScrollBtnGlyph[1];
        if (manager->MaskIndexValid(glyph)) {
            const TsMaskData& m = manager->MaskArray[static_cast<size_t>(glyph)];
            const int cw = MaskCellWidth(m), ch = MaskCellHeight(m);
            room = std::max(w - cw - 4, 0);
            PaintStateGlyph(*face, {room + 2, (h - ch) / 2}, state, 1, m, CacheInfoFromBitmap(face.get(), 0, 0));
        }
    }
    int iw = 0, ih = 0;
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(CtrlHandle, TB_GETIMAGELIST, 0, 0));
    // Image 0 is the list's first image like any other; only "no image" indexes show none.
    const bool hasImage = images && button.iBitmap >= 0 && button.iBitmap < ImageList_GetImageCount(images) &&
                          ImageList_GetIconSize(images, &iw, &ih);
    const std::wstring text = ButtonText(CtrlHandle, button.idCommand);
    TCanvas& canvas = face->Canvas();
    UseWindowFont(canvas, CtrlHandle, nullptr);
    const int th = text.empty() ? 0 : canvas.TextHeight(L"A");
    // The image above the text, both centred.
    const int top = std::max((h - ih - (th ? th + 2 : 0)) / 2, 0);
    if (hasImage) {
        ImageList_SetBkColor(images, CLR_NONE);
        ImageList_Draw(images, button.iBitmap, canvas.Handle(), (room - iw) / 2, top, ILD_NORMAL);
    }
    if (!text.empty()) {
        canvas.Brush().SetStyle(bsClear);
        TRect tr{1, hasImage ? top + ih + 2 : 0, std::max(room - 1, 1), h};
        UINT flags = DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS;
        if (hasImage)
            flags = DT_CENTER | DT_END_ELLIPSIS | DT_WORDBREAK;
        DrawSectionText(canvas, text, true, tr, flags, section, state != 0, manager);
    }
    if (!enabled) {
        constexpr double OwnShare = 0.6;
        BlendBitmapKeyed(*face, 0, 0, picture, {r.Left, r.Top, r.Right - 1, r.Bottom - 1}, OwnShare, TransparentKeyColor);
    }
    BitBlt(picture.Canvas().Handle(), r.Left, r.Top, w, h, face->Canvas().Handle(), 0, 0, SRCCOPY);
}

// ---- class-library toolbar ------------------------------------------------------------------
TacToolBarVCLWnd::TacToolBarVCLWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacMainWnd(handle, skinData, manager, section.empty() ? std::string("TOOLBAR") : std::move(section))
{
    FToolBar = SkinData ? dynamic_cast<TToolBar*>(SkinData->OwnerControl) : nullptr;
    if (!FToolBar)
        return;
    FOldBarDraw = FToolBar->OnCustomDraw();
    FOldButtonDraw = FToolBar->OnCustomDrawButton();
    FToolBar->SetOnCustomDraw(TTBCustomDrawEvent(this, &TacToolBarVCLWnd::BarDraw));
    FToolBar->SetOnCustomDrawButton(TTBCustomDrawBtnEvent(this, &TacToolBarVCLWnd::ButtonDraw));
}

TacToolBarVCLWnd::~TacToolBarVCLWnd()
{
    GiveEventsBack();
}

void TacToolBarVCLWnd::Detached()
{
    GiveEventsBack();
}

void TacToolBarVCLWnd::GiveEventsBack()
{
    if (!FToolBar)
        return;
    // Only what is still the adapter's: a handler set after it stays.
    if (FToolBar->OnCustomDraw() == TTBCustomDrawEvent(this, &TacToolBarVCLWnd::BarDraw))
        FToolBar->SetOnCustomDraw(FOldBarDraw);
    if (FToolBar->OnCustomDrawButton() == TTBCustomDrawBtnEvent(this, &TacToolBarVCLWnd::ButtonDraw))
        FToolBar->SetOnCustomDrawButton(FOldButtonDraw);
    FToolBar = nullptr;
    FDropped = nullptr;
}

bool TacToolBarVCLWnd::Skinned() const
{
    return FToolBar && SkinActiveFor(*this) && SkinData->IsSkinActive();
}

int TacToolBarVCLWnd::FrameWidth() const
{
    return FToolBar ? std::max((FToolBar->Width() - FToolBar->ClientWidth()) / 2, 0) : 0;
}

void TacToolBarVCLWnd::PrepareCache()
{
    TBitmap* cache = SizedCache(*SkinData, {FToolBar->Width(), FToolBar->Height()});
    if (!cache)
        return;
    PaintControlSection(*SkinData, SkinData->QueryBackgroundInfo(), true, 0, {0, 0, FToolBar->Width(), FToolBar->Height()},
                        {FToolBar->Left(), FToolBar->Top()}, cache, true);
    SkinData->BackgroundChanged = false;
}

void TacToolBarVCLWnd::PaintFrame(HDC given)
{
    const int b = FrameWidth();
    if (b <= 0)
        return;
    if (SkinData->BackgroundChanged || !SkinData->CacheBitmap)
        PrepareCache();
    TargetDC dc(CtrlHandle, given, true);
    if (!dc.get())
        return;
    ks::SavedDC saved(dc.get());
    ExcludeClipRect(dc.get(), b, b, FToolBar->Width() - b, FToolBar->Height() - b);
    CopyCacheFrame(dc.get(), SkinData->CacheBitmap.get(), b);
}

int TacToolBarVCLWnd::CacheLeft(HDC dc, const RECT& item) const
{
    const int b = FrameWidth();
    if (GetLayout(dc) != GDI_ERROR && (GetLayout(dc) & LAYOUT_RTL))
        return b + FToolBar->ClientWidth() - item.right;
    return b + item.left;
}

int TacToolBarVCLWnd::ButtonAt(TPoint p) const
{
    for (int i = 0; i < FToolBar->ButtonCount(); ++i) {
        const TToolButtonStyle style = FToolBar->Buttons(i)->Style();
        if (style != tbsButton && style != tbsCheck && style != tbsDropDown)
            continue;
        RECT r{};
        if (SendMessageW(CtrlHandle, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)) &&
            PtInRect(&r, POINT{p.X, p.Y}))
            return i;
    }
    return -1;
}

void TacToolBarVCLWnd::RepaintButton(TToolButton* button)
{
    if (!button || !Skinned() || button->ToolBar() != FToolBar || !IsWindowVisible(CtrlHandle))
        return;
    // Outside a paint cycle: through the toolbar's canvas on the window, origin at the client.
    HDC dc = GetWindowDC(CtrlHandle);
    if (!dc)
        return;
    {
        ks::SavedDC saved(dc);
        ks::OrientationPreservedDC kept(dc);
        const int b = FrameWidth();
        SetWindowOrgEx(dc, -b, -b, nullptr);
        TCanvas& canvas = FToolBar->Canvas();
        HDC old = canvas.HandleAllocated() ? canvas.Handle() : nullptr;
        canvas.SetHandle(dc);
        TCustomDrawState state;
        if (button->Index() == FHotIndex)
            state.Include(cdsHot);
        DrawButton(button, state, canvas);
        canvas.SetHandle(old);
    }
    ReleaseDC(CtrlHandle, dc);
}

// The toolbar draws no separator through its custom-draw events: it draws them itself after
// them, so the skin's go over them once the toolbar has painted.
void TacToolBarVCLWnd::PaintSeparators(HDC given)
{
    TsSkinManager* manager = ManagerOf(*this);
    if (!manager || SkinData->UpdateLock)
        return;
    if (SkinData->BackgroundChanged || !SkinData->CacheBitmap)
        PrepareCache();
    TBitmap* cache = SkinData->CacheBitmap.get();
    TargetDC dc(CtrlHandle, given);
    if (!cache || !dc.get())
        return;
    const int b = FrameWidth();
    for (int i = 0; i < FToolBar->ButtonCount(); ++i) {
        const TToolButtonStyle style = FToolBar->Buttons(i)->Style();
        RECT item{};
        if ((style != tbsSeparator && style != tbsDivider) ||
            !SendMessageW(CtrlHandle, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)))
            continue;
        const int x = CacheLeft(dc.get(), item);
        auto piece = CopyOf(*cache, {x, item.top + b, x + item.right - item.left, item.bottom + b});
        PaintDivider(*manager, *piece, {0, 0, piece->Width(), piece->Height()});
        const ks::PlacedDC placed(dc.get(), item);
        BitBlt(dc.get(), 0, 0, piece->Width(), piece->Height(), piece->Canvas().Handle(), 0, 0, SRCCOPY);
    }
}

void TacToolBarVCLWnd::BarDraw(TToolBar* sender, const TRect& rect, TCustomDrawStage stage, bool& defaultDraw)
{
    if (!Skinned()) {
        if (FOldBarDraw)
            FOldBarDraw(sender, rect, stage, defaultDraw);
        return;
    }
    SkinData->SetUpdating(SkinData->Updating());
    if (stage == cdPreErase) {
        defaultDraw = false;
        return;
    }
    if (SkinData->UpdateLock)
        return;
    TCanvas& canvas = FToolBar->Canvas();
    canvas.Font().Assign(FToolBar->Font());
    if (SkinData->BackgroundChanged || !SkinData->CacheBitmap)
        PrepareCache();
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (!cache)
        return;
    HDC dc = canvas.Handle();
    const int b = FrameWidth();
    {
        ks::SavedDC saved(dc);
        // Windowed children paint themselves; tool buttons and windowless children go over it.
        for (int i = 0; i < FToolBar->ControlCount(); ++i) {
            auto* child = dynamic_cast<TWinControl*>(FToolBar->Controls(i));
            if (child && child->Visible() && child->ControlStyle().Contains(csOpaque))
                ExcludeClipRect(dc, child->Left(), child->Top(), child->Left() + child->Width(), child->Top() + child->Height());
        }
        const ks::PlacedDC placed(dc, RECT{0, 0, FToolBar->ClientWidth(), FToolBar->ClientHeight()});
        BitBlt(dc, 0, 0, FToolBar->ClientWidth(), FToolBar->ClientHeight(), cache->Canvas().Handle(), b, b, SRCCOPY);
    }
    // The children hear of the new picture once the system's toolbar has finished its paint,
    // when the toolbar paints its windowless children as well: a child that frees the toolbar
    // then takes no window from under the system's paint.
    FChildrenToTell = true;
}

void TacToolBarVCLWnd::TellChildren()
{
    ks::ComponentWatch watch;
    watch.Watch(FToolBar);
    TToolBar* bar = FToolBar;
    SendChildrenCommand6(bar);
    if (watch.Alive(bar) && FToolBar == bar && FrameWidth() > 0)
        SendMessageW(CtrlHandle, WM_NCPAINT, 0, 0);
}

void TacToolBarVCLWnd::ButtonDraw(TToolBar* sender, TToolButton* button, TCustomDrawState state, bool& defaultDraw)
{
    if (!Skinned()) {
        if (FOldButtonDraw)
            FOldButtonDraw(sender, button, state, defaultDraw);
        return;
    }
    defaultDraw = false;
    DrawButton(button, state, FToolBar->Canvas());
}

void TacToolBarVCLWnd::DrawButton(TToolButton* button, TCustomDrawState drawState, TCanvas& canvas)
{
    TsSkinManager* manager = ManagerOf(*this);
    if (!button || !manager)
        return;
    if (SkinData->BackgroundChanged || !SkinData->CacheBitmap)
        PrepareCache();
    TBitmap* cache = SkinData->CacheBitmap.get();
    RECT item{};
    if (!cache || !SendMessageW(CtrlHandle, TB_GETITEMRECT, static_cast<WPARAM>(button->Index()), reinterpret_cast<LPARAM>(&item)))
        return;
    const int w = item.right - item.left, h = item.bottom - item.top;
    if (w <= 0 || h <= 0)
        return;
    const int b = FrameWidth();
    int state = 0;
    if (button->Down() || button == FDropped)
        state = 2;
    else if (drawState.Contains(cdsHot))
        state = 1;
    const int x = CacheLeft(canvas.Handle(), item);
    auto face = CopyOf(*cache, {x, item.top + b, x + w, item.bottom + b});
    auto behind = CopyOf(*face, {0, 0, w, h});
    const int section = manager->FindSection("TOOLBUTTON");
    const int mask = manager->FindMask(section, "TOOLBUTTON", "BORDERSMASK");
    if (manager->MaskIndexValid(mask))
        PaintSkinImageRect(*face, {0, 0, w, h}, true, CacheInfoFromBitmap(behind.get(), 0, 0),
                           manager->MaskArray[static_cast<size_t>(mask)], state, true);
    const bool dropDown = button->Style() == tbsDropDown;
    const int arrow = dropDown ? GetSystemMetrics(SM_CXVSCROLL) - 2 : 0;
    const int faceWidth = std::max(w - arrow, 0);
    const int buttonHeight = FToolBar->ButtonHeight();
    // A mirrored toolbar takes a click on the arrow at the button's left end as the screen shows
    // it, and the picture goes there as it reads: the arrow is drawn at that end, the face right
    // of it.
    const DWORD layout = GetLayout(canvas.Handle());
    const bool mirrored = layout != GDI_ERROR && (layout & LAYOUT_RTL);
    const int faceLeft = mirrored ? arrow : 0;
    if (dropDown) {
        const int glyph = manager->CommonIndexes.ScrollBtnGlyph[1];
        if (manager->MaskIndexValid(glyph)) {
            const TsMaskData& m = manager->MaskArray[static_cast<size_t>(glyph)];
            const int cw = MaskCellWidth(m);
            const int left = (arrow - 3 - cw) / 2 + faceWidth + 2;
            PaintStateGlyph(*face, {mirrored ? w - left - cw : left, (buttonHeight - MaskCellHeight(m)) / 2}, state, 1, m,
                            CacheInfoFromBitmap(behind.get(), 0, 0));
        }
    }
    auto content = CopyOf(*face, {faceLeft, 0, faceLeft + faceWidth, h});
    TCustomImageList* images = FToolBar->Images();
    const bool hasImage = images && button->ImageIndex() >= 0 && button->ImageIndex() < images->Count();
    if (hasImage) {
        TacToolButtonGlyph glyph;
        glyph.Images = images;
        glyph.List = FToolBar->List();
        glyph.ShowCaptions = FToolBar->ShowCaptions();
        glyph.DropDown = dropDown;
        glyph.ImageIndex = button->ImageIndex();
        glyph.ButtonSize = {faceWidth, h};
        glyph.ItemState = drawState.Bits() | (state == 2 ? CDIS_SELECTED : 0);
        PaintImageListGlyph(glyph, *content);
    }
    if (FToolBar->ShowCaptions() && !button->Caption().empty()) {
        TCanvas& c = content->Canvas();
        c.Font().Assign(FToolBar->Font());
        c.Brush().SetStyle(bsClear);
        const int ih = hasImage ? images->Height() : 0, iw = hasImage ? images->Width() : 0;
        TRect r;
        if (FToolBar->List()) {
            r = {hasImage ? iw + 6 : 1, 2, faceWidth - 2, buttonHeight - 2};
        } else {
            const int textWidth = TextWidthOf(c, button->Caption());
            const int a = c.TextHeight(L"A");
            const int x = (faceWidth - textWidth) / 2;
            const int y = hasImage ? ih + (buttonHeight - ih - a - 3) / 2 + 3 : (buttonHeight - a) / 2;
            r = {x - 1, y, faceWidth - x + 2, buttonHeight};
        }
        if (state == 2)
            r = {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
        // A toolbar section that gives its own font writes the captions on it.
        int textSection = section;
        if (manager->SectionIndexValid(SkinData->SkinIndex) &&
            manager->GeneralDataArray[static_cast<size_t>(SkinData->SkinIndex)].GiveOwnFont)
            textSection = SkinData->SkinIndex;
        DrawSectionText(c, button->Caption(), true, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, textSection, state != 0,
                        manager);
    }
    BitBlt(face->Canvas().Handle(), faceLeft, 0, faceWidth, h, content->Canvas().Handle(), 0, 0, SRCCOPY);
    if (!button->Enabled())
        ApplyDisabledLook(*face, TsDisabledKind{dkBlended}, FToolBar, CacheInfoFromBitmap(cache, b, b),
                          {x - b, static_cast<int>(item.top)});
    const ks::PlacedDC placed(canvas.Handle(), item);
    BitBlt(canvas.Handle(), 0, 0, w, h, face->Canvas().Handle(), 0, 0, SRCCOPY);
}

void TacToolBarVCLWnd::AdapterWndProc(TMessage& m)
{
    if (m.Msg == SM_SKINCMD && SkinData) {
        const ks::SkinCommandView view(m);
        const bool own = view.Manager() == SkinData->SkinManager();
        switch (view.Command()) {
        case SKC_REMOVE_SKIN:
        case SKC_REFRESH:
            if (own)
                FDropped = nullptr;
            break;
        case SKC_GET_BG_INFO:
            if (auto* info = view.Pointer<BackgroundInfo>(); info && FToolBar) {
                GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
                SkinData->AnswerBackgroundInfo(*info, false, CtrlHandle);
                // Controls on the toolbar sit in its client area.
                const int b = FrameWidth();
                info->Offset = {info->Offset.X + b, info->Offset.Y + b};
                m.Result = 1;
                return;
            }
            break;
        default: break;
        }
    }
    if (Skinned()) {
        switch (m.Msg) {
        case WM_ERASEBKGND: m.Result = 1; return;
        case WM_NCPAINT:
            if (!PaintLock)
                PaintFrame(nullptr);
            m.Result = 0;
            return;
        case WM_PRINT: {
            auto dc = reinterpret_cast<HDC>(m.WParam);
            if (SkinData->BackgroundChanged || !SkinData->CacheBitmap)
                PrepareCache();
            const int b = FrameWidth();
            CopyCacheFrame(dc, SkinData->CacheBitmap.get(), b);
            ks::SavedDC saved(dc);
            POINT origin{};
            GetWindowOrgEx(dc, &origin);
            SetWindowOrgEx(dc, origin.x - b, origin.y - b, nullptr);
            IntersectClipRect(dc, 0, 0, FToolBar->ClientWidth(), FToolBar->ClientHeight());
            SendMessageW(CtrlHandle, WM_PAINT, m.WParam, 0);
            return;
        }
        case CN_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(m.LParam);
            if (!header)
                break;
            if (header->code == static_cast<UINT>(TBN_DELETINGBUTTON)) {
                const auto* tb = reinterpret_cast<const NMTOOLBARW*>(header);
                if (FToolBar->ButtonCount() <= FHotIndex)
                    FHotIndex = -1;
                // A deleted button is no longer the open one.
                if (FDropped && FToolBar->ButtonOfCommand(tb->iItem) == FDropped)
                    FDropped = nullptr;
            } else if (header->code == static_cast<UINT>(TBN_DROPDOWN)) {
                const auto* tb = reinterpret_cast<const NMTOOLBARW*>(header);
                FDropped = FToolBar->ButtonOfCommand(tb->iItem);
                RepaintButton(FDropped);
            }
            break;
        }
        default: break;
        }
    }
    if (RouteSkinMessage(m, SkinData))
        return;
    TacMainWnd::AdapterWndProc(m);
    if (!Skinned() || Destroyed)
        return;
    switch (m.Msg) {
    case WM_SIZE: RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE); break;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        PaintSeparators(reinterpret_cast<HDC>(m.WParam));
        if (std::exchange(FChildrenToTell, false))
            TellChildren();
        break;
    case WM_MOUSEMOVE: {
        if (FToolBar->InMenuLoop)
            break;
        const int index = ButtonAt({GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)});
        if (index == FHotIndex)
            break;
        // A disabled button takes nothing over: the one before stays hot.
        if (index >= 0 && !FToolBar->Buttons(index)->Enabled())
            break;
        const int old = FHotIndex;
        FHotIndex = index;
        for (int i : {old, index})
            if (i >= 0 && i < FToolBar->ButtonCount() && !FToolBar->Buttons(i)->Down())
                RepaintButton(FToolBar->Buttons(i));
        break;
    }
    case CN_NOTIFY: {
        // A toolbar that answers the drop-down itself sends no closed notification; its menu
        // has closed all the same by the time the notification returns.
        const auto* header = reinterpret_cast<const NMHDR*>(m.LParam);
        if (header && header->code == static_cast<UINT>(TBN_DROPDOWN))
            DropDownClosed();
        break;
    }
    case ToolBarDropDownClosed: DropDownClosed(); break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: FollowMouse(); break;
    case WM_MOUSELEAVE:
    case CM_MOUSELEAVE:
        if (!FToolBar->InMenuLoop)
            ClearHot();
        break;
    default: break;
    }
}

// A click leaves the clicked button hot in the toolbar, which asks to hear the mouse leave only
// when it moves: a click with no move before it (the pointer jumped onto the button) would keep
// that look for good, and the pointer may be gone already (after a drop-down's menu too).
void TacToolBarVCLWnd::FollowMouse()
{
    RECT client{};
    GetClientRect(CtrlHandle, &client);
    if (CursorIn(CtrlHandle, client)) {
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, CtrlHandle, 0};
        TrackMouseEvent(&t);
        return;
    }
    SendMessageW(CtrlHandle, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
    ClearHot();
}

void TacToolBarVCLWnd::ClearHot()
{
    const int old = std::exchange(FHotIndex, -1);
    if (old >= 0 && old < FToolBar->ButtonCount() && !FToolBar->Buttons(old)->Down())
        RepaintButton(FToolBar->Buttons(old));
}

void TacToolBarVCLWnd::DropDownClosed()
{
    if (!FDropped)
        return;
    FHotIndex = -1;
    TToolButton* closed = std::exchange(FDropped, nullptr);
    RepaintButton(closed);
}

// ---- status bar -----------------------------------------------------------------------------
TacStatusBarWnd::TacStatusBarWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacMainWnd(handle, skinData, manager, section.empty() ? std::string("STATUSBAR") : std::move(section))
{
    FStatusBar = SkinData ? dynamic_cast<TStatusBar*>(SkinData->OwnerControl) : nullptr;
}

void TacStatusBarWnd::AdapterWndProc(TMessage& m)
{
    if (!SkinActiveFor(*this)) {
        TacMainWnd::AdapterWndProc(m);
        return;
    }
    switch (m.Msg) {
    case WM_PAINT:
        PaintThroughErase(CtrlHandle);
        m.Result = 0;
        return;
    case WM_ERASEBKGND:
    case WM_PRINT:
        Paint(reinterpret_cast<HDC>(m.WParam));
        m.Result = 1;
        return;
    case WM_NCPAINT:
        if (!PaintLock) {
            if (SkinData->BackgroundChanged || !SkinData->CacheBitmap)
                PrepareCache();
            TargetDC dc(CtrlHandle, nullptr, true);
            if (TBitmap* cache = SkinData->CacheBitmap.get(); cache && dc.get())
                BitBlt(dc.get(), 0, 0, cache->Width(), cache->Height(), cache->Canvas().Handle(), 0, 0, SRCCOPY);
        }
        m.Result = 0;
        return;
    default: break;
    }
    TacMainWnd::AdapterWndProc(m);
    if (m.Msg == WM_SIZE && !Destroyed)
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

void TacStatusBarWnd::Paint(HDC given)
{
    // The panels' texts change without telling the adapter: every paint builds the bar anew.
    PrepareCache();
    TBitmap* cache = SkinData->CacheBitmap.get();
    TargetDC dc(CtrlHandle, given);
    if (!cache || !dc.get())
        return;
    // The cache holds the bar as it shows, laid out right to left where the window is.
    ks::OrientationPreservedDC kept(dc.get());
    BitBlt(dc.get(), 0, 0, cache->Width(), cache->Height(), cache->Canvas().Handle(), 0, 0, SRCCOPY);
}

bool TacStatusBarWnd::Mirrored() const
{
    return ks::IsMirrored(CtrlHandle);
}

TRect TacStatusBarWnd::Shown(const TRect& r) const
{
    return Mirrored() ? TRect{WndSize.cx - r.Right, r.Top, WndSize.cx - r.Left, r.Bottom} : r;
}

std::wstring TacStatusBarWnd::PartText(int index, TAlignment& alignment) const
{
    alignment = taLeftJustify;
    if (FStatusBar) {
        if (index < FStatusBar->PanelCount()) {
            alignment = FStatusBar->Panels(index).Alignment();
            return FStatusBar->Panels(index).Text();
        }
        if (FStatusBar->PanelCount() == 0)
            return FStatusBar->SimpleText();
    }
    // A part the control object does not know of (or a bar without one): the bar's own text.
    const LRESULT info = SendMessageW(CtrlHandle, SB_GETTEXTLENGTHW, static_cast<WPARAM>(index), 0);
    std::wstring text(static_cast<size_t>(LOWORD(info)) + 1, L'\0');
    SendMessageW(CtrlHandle, SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcsnlen(text.c_str(), text.size()));
    // The system aligns a part's text by the tabs before it.
    if (text.rfind(L"\t\t", 0) == 0) {
        alignment = taRightJustify;
        text.erase(0, 2);
    } else if (text.rfind(L"\t", 0) == 0) {
        alignment = taCenter;
        text.erase(0, 1);
    }
    return text;
}

void TacStatusBarWnd::PrepareCache()
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    TBitmap* cache = SizedCache(*SkinData, WndSize);
    if (!cache || WndSize.cx <= 0 || WndSize.cy <= 0)
        return;
    const CacheInfo background = FStatusBar && FStatusBar->Parent() ? SkinData->QueryBackgroundInfo()
                                                                     : SkinData->QueryBackgroundInfoWnd(CtrlHandle);
    PaintControlSection(*SkinData, background, true, 0, {0, 0, WndSize.cx, WndSize.cy}, WndPos, cache, true);
    if (SendMessageW(CtrlHandle, SB_ISSIMPLE, 0, 0)) {
        std::wstring text;
        if (FStatusBar) {
            text = FStatusBar->SimpleText();
        } else {
            text.resize(static_cast<size_t>(std::max<LRESULT>(SendMessageW(CtrlHandle, WM_GETTEXTLENGTH, 0, 0), 0)) + 1);
            text.resize(static_cast<size_t>(SendMessageW(CtrlHandle, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
            // A bar given its simple text as the simple part's rather than as its window text.
            // Wine answers for the simple part only when asked for part 0.
            TAlignment ignored;
            if (text.empty())
                text = PartText(SB_SIMPLEID, ignored);
            if (text.empty())
                text = PartText(0, ignored);
        }
        PaintPanel(*cache, Shown({0, 1, WndSize.cx - 1, WndSize.cy - 1}), text, taLeftJustify, true, true);
    } else {
        const int parts = std::clamp(static_cast<int>(SendMessageW(CtrlHandle, SB_GETPARTS, 0, 0)), 0, 256);
        for (int i = 0; i < parts; ++i) {
            RECT r{};
            if (!SendMessageW(CtrlHandle, SB_GETRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
                continue;
            TAlignment alignment = taLeftJustify;
            const std::wstring text = PartText(i, alignment);
            PaintPanel(*cache, Shown(Shrunk({r.left, r.top, r.right, r.bottom}, 1)), text, alignment, i == parts - 1,
                       false);
        }
    }
    SkinData->BackgroundChanged = false;
}

void TacStatusBarWnd::PaintPanel(TBitmap& cache, TRect r, const std::wstring& text, TAlignment alignment, bool last,
                                 bool simple)
{
    TsSkinManager* manager = ManagerOf(*this);
    if (!manager)
        return;
    r = Shrunk(r, 1);
    const int panelMask = manager->FindMask(SkinData->SkinIndex, SkinData->SkinSection(), "STATUSPANELMASK");
    if (manager->MaskIndexValid(panelMask)) {
        const TRect area = simple ? TRect{0, 0, cache.Width(), cache.Height()} : r;
        if (area.Width() > 0 && area.Height() > 0)
            PaintSkinImageRect(cache, area, true, CacheInfoFromBitmap(&cache, 0, 0),
                               manager->MaskArray[static_cast<size_t>(panelMask)], 0, false);
    } else if (!last) {
        const int divider = manager->FindSection("DIVIDER");
        const int mask = manager->FindMask(divider, "DIVIDER", "BORDERSMASK");
        if (manager->MaskIndexValid(mask)) {
            const int width = std::max(MaskCellWidth(manager->MaskArray[static_cast<size_t>(mask)]) - 1, 1);
            // At the part's end: its left edge where the parts run right to left.
            const TRect d = Mirrored() ? TRect{std::max(r.Left - width, 0), 1, r.Left, cache.Height() - 1}
                                       : TRect{r.Right, 1, std::min(r.Right + width, cache.Width()), cache.Height() - 1};
            if (d.Width() > 0 && d.Height() > 0) {
                auto piece = CopyOf(cache, d);
                PaintSectionByIndex(divider, "DIVIDER", CacheInfoFromBitmap(&cache, 0, 0), true, 0,
                                    {0, 0, d.Width(), d.Height()}, {d.Left, d.Top}, piece.get(), manager, -1, -1);
                BitBlt(cache.Canvas().Handle(), d.Left, d.Top, d.Width(), d.Height(), piece->Canvas().Handle(), 0, 0,
                       SRCCOPY);
            }
        }
    }
    TRect tr = Mirrored() ? TRect{r.Left + 4, r.Top, r.Right - 2, r.Bottom - 1} : TRect{r.Left + 2, r.Top, r.Right - 4, r.Bottom - 1};
    if (text.empty() || tr.Width() <= 0 || tr.Height() <= 0)
        return;
    TCanvas& canvas = cache.Canvas();
    UseWindowFont(canvas, CtrlHandle, SkinData->OwnerControl);
    canvas.Brush().SetStyle(bsClear);
    const std::wstring shown = EllipsizeText(canvas, text, tr.Width());
    UINT flags = DT_VCENTER | DT_SINGLELINE;
    // Right to left, a text starts at the part's right edge, as the system's own bar puts it.
    if (alignment == taCenter)
        flags |= DT_CENTER;
    else if ((alignment == taRightJustify) != Mirrored())
        flags |= DT_RIGHT;
    DrawSectionText(canvas, shown, true, tr, flags, SkinData->SkinIndex, false, manager);
}
