// The owner-draw painters of TsSkinableMenus: popup items (with dividers and caption items) and
// the items of a form's menu line. Each item is composed in a 24-bit work bitmap over the
// popup's (or menu line's) background and copied to the menu's canvas in one BitBlt.
//
// Coordinates: the popup bitmap covers the popup window; the item rectangles the system hands
// over are in client coordinates. Windows: the popup window has a 3-pixel non-client frame, so
// client (0, 0) is (3, 3) of the bitmap. Wine: the popup window has no non-client frame and
// draws its margin inside the client area, so the two coincide. The offset is measured from the
// window; without a window it is taken as Windows has it.

#include "skin/forms/sSkinMenus.h"
#include "skin/forms/sSkinProvider.h"

#include "skin/controls/sButton.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/ImgList.h"
#include "vcl/PlatformSeams.h"

#include <algorithm>

namespace {

constexpr UINT CM_POPUP_ITEM_SHOWN = 0xBCB3;
constexpr UINT CM_POPUP_WINDOW_SHOWN = 0xBCB4;
constexpr int WindowsPopupFrame = 3;

// Where client (0, 0) of the popup lies in its window (and so in the popup bitmap). Measured
// down from the top: the popup's frame is as wide as it is high, and a popup laid out right to
// left has its client (0, 0) at the right edge of its client area, a window's width away from
// its left.
int ClientOffsetOf(HWND wnd)
{
    if (!wnd)
        return WindowsPopupFrame;
    RECT window{};
    POINT client{0, 0};
    GetWindowRect(wnd, &window);
    ClientToScreen(wnd, &client);
    return std::max<int>(0, client.y - window.top);
}

TMenuItem* NextVisible(const TMenuItem& item)
{
    const TMenuItem* parent = item.Parent();
    for (int i = item.MenuIndex() + 1; parent && i < parent->Count(); ++i)
        if (parent->Items(i)->Visible())
            return parent->Items(i);
    return nullptr;
}

bool IsFirstVisible(const TMenuItem& item)
{
    const TMenuItem* parent = item.Parent();
    for (int i = 0; parent && i < parent->Count(); ++i)
        if (parent->Items(i)->Visible())
            return parent->Items(i) == &item;
    return false;
}

TCustomImageList* ImagesOf(const TMenuItem& item)
{
    if (item.Parent() && item.Parent()->SubMenuImages())
        return item.Parent()->SubMenuImages();
    const TMenu* menu = item.GetParentMenu();
    return menu ? menu->Images() : nullptr;
}

bool RightToLeft(const TMenuItem& item)
{
    const TMenu* menu = item.GetParentMenu();
    return menu && menu->BiDiMode() == bdRightToLeft && ks::Sys().IsMiddleEastLocale &&
           ks::Sys().IsMiddleEastLocale();
}

// Posted once: a waiting request already names the popup that is being shown.
void RequestPopupLookup(const TMenuItem& item)
{
    if (!Application || !Application->Handle())
        return;
    MSG waiting;
    if (PeekMessageW(&waiting, Application->Handle(), CM_POPUP_ITEM_SHOWN, CM_POPUP_WINDOW_SHOWN, PM_NOREMOVE))
        return;
    PostMessageW(Application->Handle(), CM_POPUP_ITEM_SHOWN, 0, reinterpret_cast<LPARAM>(&item));
}

// Hides the accelerator marks of text drawn with flags. Wine: DrawText ignores DT_HIDEPREFIX and
// underlines anyway; Windows hides the underline. The marks are taken out of the text instead,
// which shows the same on both.
void HidePrefix(std::wstring& text, UINT& flags)
{
    text = StripHotkey(text);
    flags = (flags & ~static_cast<UINT>(DT_HIDEPREFIX)) | DT_NOPREFIX;
}

void CopyBitmapTo(HDC dc, int x, int y, TBitmap& bitmap)
{
    BitBlt(dc, x, y, bitmap.Width(), bitmap.Height(), bitmap.Canvas().Handle(), 0, 0, SRCCOPY);
}

// An item's text in the skin's "MENUITEM" colours; a skin without that section gets the
// system's menu text colour rather than no text at all.
void DrawItemText(TCanvas& canvas, std::wstring_view text, TRect& box, UINT flags, int section, bool hot,
                  TsSkinManager* manager)
{
    if (section >= 0) {
        DrawSectionText(canvas, text, true, box, flags, section, hot, manager);
        return;
    }
    canvas.Brush().SetStyle(bsClear);
    canvas.Font().SetColor(clMenuText);
    canvas.DrawText(text, box, flags);
}

// The symbols of the window commands in the "Webdings" font.
const wchar_t* SystemCommandSymbol(int tag)
{
    switch (tag) {
    case SC_MINIMIZE: return L"0";
    case SC_MAXIMIZE: return L"1";
    case SC_RESTORE: return L"2";
    case SC_CLOSE: return L"r";
    default: return nullptr;
    }
}

// A popup opens over whatever the mouse last made hot, and it takes the mouse: that control is
// told the mouse left, and hints a press had turned off come back (the press may never see its
// release).
void ForgetHoveredControl(TsSkinManager& manager)
{
    if (HintsSuppressed && Application) {
        Application->SetShowHint(SavedShowHint);
        HintsSuppressed = false;
    }
    manager.SetActiveControl(nullptr);
}

} // namespace

// ---- popup items ------------------------------------------------------------------------------------

void TsSkinableMenus::PopupItemDraw(TObject* sender, TCanvas* canvas, const TRect& rect, TOwnerDrawState state)
{
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item || !canvas || !Usable() || !item->Parent())
        return;
    ForgetHoveredControl(*SkinManager);
    const HDC dc = canvas->Handle();
    const bool nt = ks::Sys().IsNtFamily();
    // Only the system's popup window is taken over, whatever window the DC belongs to.
    HWND wnd = nt ? WindowFromDC(dc) : nullptr;
    if (!ks::IsPopupMenuWindow(wnd))
        wnd = nullptr;
    PopupCacheRec rec = ::MenuItemInfoOf(item, nullptr);
    if (!rec.Bitmap) {
        // Preparing the popup asks the application for its extra line, and the handler may free
        // this item or the skin manager, which frees this engine.
        TsSkinManager* manager = SkinManager;
        ks::ComponentWatch watch;
        watch.Watch(manager);
        watch.Watch(item);
        TSize size;
        if (wnd) {
            RECT r{};
            GetWindowRect(wnd, &r);
            size = {r.right - r.left, r.bottom - r.top};
        } else {
            size = PopupSizeOf(*item->Parent());
        }
        // A popup never shows larger than the screen; a bitmap for more would only cost memory.
        size.cx = std::min<int>(size.cx, std::max(1, ks::Sys().GetSystemMetrics(SM_CXVIRTUALSCREEN)));
        size.cy = std::min<int>(size.cy, std::max(1, ks::Sys().GetSystemMetrics(SM_CYVIRTUALSCREEN)));
        // The popup is not prepared then, and the glyph the handler gave would never be drawn.
        const auto gone = [&] { return !watch.Alive(manager) || !watch.Alive(item); };
        if (!gone())
            rec = MenuItemInfoOf(item, size.cx, wnd, size.cy);
        if (gone()) {
            ExtraLineGlyph.reset();
            return;
        }
    }
    if (rec.Bitmap && wnd && !rec.Wnd) {
        // The window was not known when the popup was prepared.
        for (PopupCacheRec& r : PopupCache)
            if (r.Bitmap == rec.Bitmap)
                r.Wnd = wnd;
        HookPopupWnd(wnd, rec.Bitmap.get());
    }
    // Held here: the cache may be cleared while this item is drawn.
    const std::shared_ptr<TBitmap> popupBmp = rec.Bitmap;
    const int extraOffset = ks::HasColumnBreak(item->Parent()) ? 0 : ExtraLineWidthShown(rec.ExtraLineShown);
    const int offset = ClientOffsetOf(wnd);

    if (wnd && popupBmp && nt)
        CopyPopupFrameStrips(*item, wnd, *popupBmp, rect, extraOffset);
    if (!wnd)
        RequestPopupLookup(*item);

    // Dividers and caption items end columns too; the gap below them is the popup's as well.
    if (popupBmp)
        CopyColumnGaps(*item, *canvas, *popupBmp, rect, offset);
    switch (MenuItemTypeOf(*item)) {
    case smDivider:
        CurrentItemType = smDivider;
        PaintDivider(*item, *canvas, rect, popupBmp.get(), extraOffset, offset);
        return;
    case smCaption:
        CurrentItemType = smCaption;
        PaintCaptionItem(*item, *canvas, rect, popupBmp.get(), extraOffset, offset);
        return;
    default: CurrentItemType = smNormal; break;
    }
    if (!popupBmp)
        return;

    // An item narrower than the extra line has nothing of its own to show.
    const int width = rect.Width() - extraOffset;
    if (width <= 0 || rect.Height() <= 0)
        return;
    // One work bitmap for every item: its canvas keeps its font and DIB from item to item.
    if (!FItemBmp)
        FItemBmp = NewBitmap24(width, rect.Height());
    FItemBmp->SetSize(width, rect.Height());
    TBitmap* itemBmp = FItemBmp.get();
    const bool enabled = item->Enabled();
    const bool hotBack = enabled && state.Contains(odSelected);
    const bool hotText = enabled && (state.Contains(odSelected) || state.Contains(odHotLight));
    const CacheInfo behind = CacheInfoFromBitmap(popupBmp.get(), offset + rect.Left + extraOffset, offset + rect.Top);
    const int menuItem = SkinManager->FindSection("MENUITEM");
    if (menuItem >= 0)
        PaintSectionByIndex(menuItem, "MENUITEM", behind, true, hotBack ? 1 : 0, TRect{0, 0, width, rect.Height()},
                            TPoint{0, 0}, itemBmp, SkinManager, -1, -1);
    else
        FillRectSolid(itemBmp->Canvas().Handle(), TRect{0, 0, width, rect.Height()}, clWhite);

    const bool rtl = RightToLeft(*item);
    int glyphWidth = GlyphSizeOf(*item).cx;
    PaintItemGlyph(*item, *itemBmp, state, rtl, hotBack, hotText);

    TCanvas& itemCanvas = itemBmp->Canvas();
    PrepareItemFont(itemCanvas, *item, state.Contains(odDefault));
    const int indent = glyphWidth + 2 * FMargin + FSpacing;
    TRect textBox{indent, 0, width, rect.Height()};
    if (rtl)
        textBox = TRect{0, 0, width - indent, rect.Height()};
    std::wstring caption = item->Caption();
    UINT alignment = FAlignment == taRightJustify ? DT_RIGHT : FAlignment == taCenter ? DT_CENTER : DT_LEFT;
    if (!caption.empty() && caption.front() == L'\b') {
        caption = caption.substr(1) + L"      ";
        alignment = DT_RIGHT;
    }
    UINT flags = alignment | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP;
    if (rtl)
        flags |= DT_RIGHT;
    if (state.Contains(odNoAccel))
        HidePrefix(caption, flags);
    DrawItemText(itemCanvas, caption, textBox, flags, menuItem, hotText, SkinManager);

    const std::wstring shortCut = ShortCutToText(item->ShortCut());
    if (!shortCut.empty()) {
        const int textWidth = TextWidthOf(itemCanvas, shortCut);
        TRect box{width - textWidth - 8, 0, width - 8, rect.Height()};
        if (rtl)
            box = TRect{6, 0, 6 + textWidth, rect.Height()};
        DrawItemText(itemCanvas, shortCut, box, DT_VCENTER | DT_SINGLELINE, menuItem, hotText, SkinManager);
    }

    if (FOnDrawItem && !DrawItemEventKept(item, itemCanvas, TRect{0, 0, width, rect.Height()}, state, CurrentItemType))
        return;
    if (!enabled)
        BlendBitmapKeyed(*itemBmp, 0, 0, *popupBmp,
                         TRect{behind.X, behind.Y, behind.X + width - 1, behind.Y + rect.Height() - 1}, 0.4,
                         TransparentKeyColor);
    {
        // The item of a mirrored popup is laid out for its reading order already.
        const int left = rect.Left + extraOffset;
        ks::PlacedDC placed(dc, {left, rect.Top, left + itemBmp->Width(), rect.Top + itemBmp->Height()});
        CopyBitmapTo(dc, 0, 0, *itemBmp);
    }

    // Where the system does not keep what was drawn left of the items, the band goes again.
    if (extraOffset > 0 && item->MenuIndex() == 0 && (!nt || ks::Sys().Win32MajorVersion() >= 6))
        BitBlt(dc, 0, 0, extraOffset + WindowsPopupFrame, popupBmp->Height(), popupBmp->Canvas().Handle(), offset,
               offset, SRCCOPY);
}

bool TsSkinableMenus::DrawItemEventKept(TMenuItem* item, TCanvas& canvas, const TRect& rect, TOwnerDrawState state,
                                        TsMenuItemType type)
{
    TsSkinManager* manager = SkinManager;
    ks::ComponentWatch watch;
    watch.Watch(manager);
    watch.Watch(item);
    // A copy: the handler lives in this object, which the handler may free.
    const TsMenuManagerDrawItemEvent handler = FOnDrawItem;
    handler(item, &canvas, rect, state, type);
    return watch.Alive(manager) && watch.Alive(item);
}

void TsSkinableMenus::CopyPopupFrameStrips(TMenuItem& item, HWND wnd, TBitmap& popupBmp, const TRect& r,
                                           int extraOffset)
{
    ks::WindowDC windowDC(wnd, ks::WindowDC::WholeWindow);
    const HDC dc = windowDC.get();
    const HDC src = popupBmp.Canvas().Handle();
    const int w = popupBmp.Width();
    const int h = popupBmp.Height();
    // A popup laid out right to left shows its frame mirrored. Its window DC would mirror the
    // copies, but Wine puts a copy into a mirrored DC a pixel left of its place, which leaves the
    // system's own menu edge showing down both sides: the strips are flipped here instead and
    // copied with the mirroring dropped.
    const DWORD layout = GetLayout(dc);
    const bool mirrored = layout != GDI_ERROR && (layout & LAYOUT_RTL);
    ks::UnmirroredDC unmirrored(dc);
    const auto copy = [&](int x, int y, int cx, int cy) {
        if (mirrored)
            StretchBlt(dc, w - x - 1, y, -cx, cy, src, x, y, cx, cy, SRCCOPY);
        else
            BitBlt(dc, x, y, cx, cy, src, x, y, SRCCOPY);
    };
    const int bw = FBorderWidth;
    const int top = ClientOffsetOf(wnd) + r.Top;
    if (IsFirstVisible(item))
        copy(0, 0, w, bw);
    if (!NextVisible(item))
        copy(0, h - bw, w, bw);
    copy(0, top, extraOffset + std::max(SkinBorderWidth(), bw), r.Height());
    copy(w - bw, top, bw, r.Height());
}

void TsSkinableMenus::CopyColumnGaps(TMenuItem& item, TCanvas& canvas, TBitmap& popupBmp, const TRect& r, int offset)
{
    const HDC dc = canvas.Handle();
    const HDC src = popupBmp.Canvas().Handle();
    // The client area's bottom: the bitmap covers the window, frame included.
    const int bottom = popupBmp.Height() - 2 * offset;
    const TMenuItem* next = NextVisible(item);
    if ((next && next->Break() != mbNone) || (!next && r.Bottom < bottom))
        BitBlt(dc, r.Left, r.Bottom, r.Width(), bottom - r.Bottom, src, r.Left + offset, r.Bottom + offset, SRCCOPY);
    if (item.Break() != mbNone)
        BitBlt(dc, r.Left - 4, r.Top, 4, bottom - r.Top, src, r.Left - 4 + offset, r.Top + offset, SRCCOPY);
}

void TsSkinableMenus::PaintItemGlyph(TMenuItem& item, TBitmap& itemBmp, TOwnerDrawState state, bool rtl,
                                     bool hotBack, bool hotText)
{
    const bool checked = state.Contains(odChecked);
    TCustomImageList* images = ImagesOf(item);
    const bool listImage = images && item.ImageIndex() >= 0;
    const int h = itemBmp.Height();
    const auto pressedPlate = [&](const TRect& glyph) {
        const int section = SkinManager->FindSection("SPEEDBUTTON_SMALL");
        if (!checked || section < 0)
            return;
        const TRect plate{glyph.Left - 1, glyph.Top - 1, glyph.Right + 1, glyph.Bottom + 1};
        PaintSectionByIndex(section, "SPEEDBUTTON_SMALL", CacheInfoFromBitmap(&itemBmp, 0, 0), true, 2, plate,
                            TPoint{plate.Left, plate.Top}, &itemBmp, SkinManager, -1, -1);
    };

    if (checked && !item.HasBitmap() && !listImage) {
        const int global = SkinManager->CommonIndexes.GlobalInfoIndex;
        int mask = SkinManager->FindMask(global, "GLOBALINFO", item.RadioItem() ? "RADIOCHECKED" : "CHECK");
        if (!SkinManager->MaskIndexValid(mask))
            mask = SkinManager->FindMask(global, "GLOBALINFO", "BOXCHECKED");
        if (SkinManager->MaskIndexValid(mask)) {
            const TsMaskData& m = SkinManager->MaskArray[static_cast<size_t>(mask)];
            const int x = rtl ? itemBmp.Width() - FMargin - MaskCellWidth(m) : FMargin;
            PaintStateGlyph(itemBmp, TPoint{x, (h - MaskCellHeight(m)) / 2}, hotBack ? 1 : 0, 1, m,
                            CacheInfoFromBitmap(&itemBmp, 0, 0));
        }
    }

    if (item.HasBitmap()) {
        TBitmap& glyph = *item.Bitmap();
        const int y = (h - glyph.Height()) / 2;
        const int x = rtl ? itemBmp.Width() - y - glyph.Width() : y;
        const TRect r{x, y, x + glyph.Width(), y + glyph.Height()};
        pressedPlate(r);
        if (glyph.PixelFormat() == pf32bit)
            AlphaBlendRect(r, TRect{0, 0, glyph.Width(), glyph.Height()}, itemBmp, &glyph,
                           CacheInfoFromBitmap(&itemBmp, 0, 0), false);
        else
            itemBmp.Canvas().Draw(x, y, glyph);
    } else if (listImage) {
        const int y = (h - images->Height()) / 2;
        const int x = rtl ? itemBmp.Width() - y - images->Width() : y;
        pressedPlate(TRect{x, y, x + images->Width(), y + images->Height()});
        images->Draw(itemBmp.Canvas(), x, y, item.ImageIndex(), item.Enabled());
    } else if (const TMenu* menu = item.GetParentMenu(); menu && menu->Name() == "SysMenu") {
        const wchar_t* symbol = SystemCommandSymbol(item.Tag());
        const int section = SkinManager->FindSection("MENUITEM");
        if (!symbol || section < 0)
            return;
        TCanvas& canvas = itemBmp.Canvas();
        canvas.Font().SetName(L"Webdings");
        canvas.Font().SetSize(10);
        canvas.Font().SetCharset(SYMBOL_CHARSET);
        canvas.Font().SetStyle(canvas.Font().Style() - TFontStyles{fsBold});
        int textHeight = canvas.TextHeight(symbol);
        // A system without Webdings would show the letters themselves; Marlett has the same
        // symbols at the same characters. Without either the item goes without its symbol.
        const auto face = [&canvas] {
            wchar_t name[LF_FACESIZE] = {};
            GetTextFaceW(canvas.Handle(), LF_FACESIZE, name);
            return std::wstring(name);
        };
        if (face() != L"Webdings") {
            canvas.Font().SetName(L"Marlett");
            textHeight = canvas.TextHeight(symbol);
            if (face() != L"Marlett")
                return;
        }
        const int left = rtl ? itemBmp.Width() - h - 16 : 4;
        TRect box{left, (h - textHeight) / 2, left + textHeight + 10, (h - textHeight) / 2 + textHeight};
        DrawSectionText(canvas, symbol, true, box, DT_SINGLELINE | DT_NOPREFIX, section, hotText, SkinManager);
    }
}

void TsSkinableMenus::PaintDivider(TMenuItem&, TCanvas& canvas, const TRect& r, TBitmap* popupBmp, int extraW,
                                   int offset)
{
    const HDC dc = canvas.Handle();
    const int section = SkinManager->FindSection("DIVIDERV");
    const int mask = section >= 0 ? SkinManager->FindMask(section, "DIVIDERV", "BORDERSMASK") : -1;
    if (!SkinManager->MaskIndexValid(mask) || !popupBmp) {
        TRect frame = r;
        int width = 1;
        DrawFrameLines(dc, frame, TColor(0x808080), TColor(0xFFFFFF), width);
        return;
    }
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    std::unique_ptr<TBitmap> work = NewBitmap24(r.Width(), r.Height());
    BitBlt(work->Canvas().Handle(), 0, 0, r.Width(), r.Height(), popupBmp->Canvas().Handle(), r.Left + offset,
           r.Top + offset, SRCCOPY);
    TRect line{extraW + FMargin + FSpacing, 0, r.Width() - FMargin, r.Height()};
    if (extraW + IconColumnWidth > line.Left)
        line.Left = extraW + IconColumnWidth + 2;
    if (line.Right > line.Left)
        PaintSkinImageRect(*work, line, false, CacheInfoFromBitmap(popupBmp, r.Left + offset, r.Top + offset),
                           SkinManager->MaskArray[static_cast<size_t>(mask)], 0, true);
    CopyBitmapTo(dc, r.Left, r.Top, *work);
}

void TsSkinableMenus::PaintCaptionItem(TMenuItem& item, TCanvas& canvas, const TRect& r, TBitmap* popupBmp,
                                       int extraW, int offset)
{
    if (!popupBmp || r.Width() <= 0 || r.Height() <= 0)
        return;
    std::unique_ptr<TBitmap> work = NewBitmap24(r.Width(), r.Height());
    const HDC workDC = work->Canvas().Handle();
    const HDC src = popupBmp->Canvas().Handle();
    const int w = r.Width();
    const int h = r.Height();
    if (extraW > 0)
        BitBlt(workDC, 0, 0, extraW + 1, h, src, r.Left + offset, r.Top + offset, SRCCOPY);
    ::CopyFrameStrips(workDC, 0, 0, w, h, src, r.Left + offset, r.Top + offset, 1);
    const int toolbar = SkinManager->FindSection("TOOLBAR");
    if (toolbar >= 0) {
        const TRect plate{extraW + 1, 1, w - 1, h - 1};
        PaintSectionByIndex(toolbar, "TOOLBAR", CacheInfoFromBitmap(popupBmp, r.Left + offset, r.Top + offset), true,
                            0, plate, TPoint{plate.Left, plate.Top}, work.get(), SkinManager, -1, -1);
    }
    TCanvas& workCanvas = work->Canvas();
    workCanvas.Font().Assign(FCaptionFont.get());
    TRect box{extraW, 0, w, h};
    std::wstring text = CaptionItemText(item.Caption());
    UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_HIDEPREFIX;
    HidePrefix(text, flags);
    DrawSectionText(workCanvas, text, true, box, flags, toolbar, false, SkinManager);
    CopyBitmapTo(canvas.Handle(), r.Left, r.Top, *work);
}

// ---- items of a form's menu line --------------------------------------------------------------------

void TsSkinableMenus::MainItemDraw(TObject* sender, TCanvas* canvas, const TRect& rect, TOwnerDrawState state)
{
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item || !canvas || !SkinManager || !ProviderMenuLine || rect.Width() <= 0 || rect.Height() <= 0)
        return;
    TsSkinProvider* provider = MDISkinProvider;
    if (!provider) {
        // The answer is taken only when it names one of the form's own components: any window
        // may answer the command.
        TMenu* menu = item->GetParentMenu();
        auto* form = menu ? dynamic_cast<TCustomForm*>(FindControl(menu->WindowHandle())) : nullptr;
        provider = form ? dynamic_cast<TsSkinProvider*>(ks::ProviderComponentOf(*form)) : nullptr;
    }
    if (!provider)
        return;
    const HDC dc = canvas->Handle();
    const bool enabled = item->Enabled();
    const bool hot = (enabled && state.Contains(odSelected)) || state.Contains(odHotLight);
    const MenuLineImage line = ProviderMenuLine(provider, {dc, item, rect, hot});
    if (!line.Bmp)
        return;
    const int w = rect.Width();
    const int h = rect.Height();
    // The system draws a mirrored form's bar through the window's own DC, which counts x from the
    // window's right edge and would copy the picture flipped: the background is taken from where
    // the item shows, and the picture is placed there as it reads.
    const DWORD layout = GetLayout(dc);
    const bool mirrored = layout != GDI_ERROR && (layout & LAYOUT_RTL);
    TRect shown = rect;
    if (RECT window{}; mirrored && GetWindowRect(WindowFromDC(dc), &window)) {
        const int width = window.right - window.left;
        shown = TRect{width - rect.Right, rect.Top, width - rect.Left, rect.Bottom};
    }
    const TPoint at{shown.Left - line.Offset.X, shown.Top - line.Offset.Y};
    std::unique_ptr<TBitmap> itemBmp = NewBitmap24(w, h);
    BitBlt(itemBmp->Canvas().Handle(), 0, 0, w, h, line.Bmp->Canvas().Handle(), at.X, at.Y, SRCCOPY);
    const int menuItem = SkinManager->FindSection("MENUITEM");
    if (menuItem >= 0)
        PaintSectionByIndex(menuItem, "MENUITEM", CacheInfoFromBitmap(line.Bmp, at.X, at.Y), true, hot ? 1 : 0,
                            TRect{0, 0, w, h}, TPoint{0, 0}, itemBmp.get(), SkinManager, -1, -1);

    const bool rtl = RightToLeft(*item);
    int glyphBox = 0;
    TCustomImageList* images = item->GetParentMenu() ? item->GetParentMenu()->Images() : nullptr;
    if (item->HasBitmap()) {
        TBitmap& glyph = *item->Bitmap();
        const int x = rtl ? w - 3 - glyph.Width() : 3;
        const int y = enabled ? (h - glyph.Height()) / 2 : 1;
        itemBmp->Canvas().Draw(x, y, glyph);
        glyphBox = glyph.Width();
    } else if (images && item->ImageIndex() >= 0) {
        const int x = rtl ? w - 3 - images->Width() : 3;
        images->Draw(itemBmp->Canvas(), x, (h - images->Height()) / 2, item->ImageIndex(), enabled);
        glyphBox = images->Width() + 3;
    }

    TCanvas& itemCanvas = itemBmp->Canvas();
    PrepareItemFont(itemCanvas, *item, state.Contains(odDefault));
    const int textWidth = w - 2 * FMargin - glyphBox;
    TRect box = rtl ? TRect{2, 0, 2 + textWidth, h} : TRect{2 + glyphBox, 0, 2 + glyphBox + textWidth, h};
    const UINT alignment = FAlignment == taRightJustify ? DT_RIGHT : FAlignment == taCenter ? DT_CENTER : DT_LEFT;
    UINT flags = alignment | DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP;
    std::wstring caption = item->Caption();
    if (state.Contains(odNoAccel))
        HidePrefix(caption, flags);
    DrawItemText(itemCanvas, caption, box, flags, menuItem, hot, SkinManager);

    if (FOnDrawItem && !DrawItemEventKept(item, itemCanvas, TRect{0, 0, w, h}, state, smTopLine))
        return;
    if (!enabled)
        BlendBitmapKeyed(*itemBmp, 0, 0, *line.Bmp, TRect{at.X, at.Y, at.X + w - 1, at.Y + h - 1}, 102.0 / 255.0,
                         TransparentKeyColor);
    const ks::PlacedDC placed(dc, RECT{rect.Left, rect.Top, rect.Right, rect.Bottom});
    CopyBitmapTo(dc, 0, 0, *itemBmp);
}
