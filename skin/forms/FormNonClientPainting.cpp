// The form provider's non-client painting: the whole skinned window (frame, title bar with icon,
// caption and title buttons, menu line, size grip and, under extended borders, the shadow of the
// layered border window) is painted into the skin data's cache bitmap, then copied to the window
// in strips, so the client area is never touched. The measures all come from the frame geometry
// (FormFrameGeometry.cpp); what is painted here is hit there.

#include "skin/forms/sSkinProvider.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/GlyphDrawing.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/sMaskData.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/WinRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "skin/forms/FormFrameGeometry.h"
#include "skin/forms/FramePixels.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/TitleAnimation.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/acCtrlAdapter.h"
#include "skin/forms/sMDIForm.h"
#include "skin/forms/sSkinMenus.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/Icon.h"
#include "vcl/Menus.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

namespace {

// The frame painted whole; false when the form's OnPaint, run by the paint, freed the form and
// this provider with it, whatever held the provider.
bool PaintNonClientSurvived(TsSkinProvider& provider)
{
    ks::ComponentWatch watch;
    watch.Watch(&provider);
    provider.PaintNonClient();
    return watch.Alive(&provider);
}

// DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS: a caption that does not fit ends
// in "...".
constexpr UINT CaptionFlags = 0x8824;
// odNoAccel and odReserved1, the state the menu line's items are drawn in.
constexpr TOwnerDrawState MenuLineItemState{odNoAccel, odReserved1};

bool Iconic(const TCustomForm* form)
{
    return form && form->HandleAllocated() && IsIconic(form->HandleIfAllocated());
}

TsSkinManager* ManagerOf(const TsCommonData* skinData)
{
    return skinData ? skinData->SkinManager() : nullptr;
}

// The rectangle cut to the bitmap; empty when nothing of it lies inside.
TRect ClipTo(const TRect& r, const TBitmap& bmp)
{
    TRect c{std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, bmp.Width()), std::min(r.Bottom, bmp.Height())};
    if (c.Right <= c.Left || c.Bottom <= c.Top)
        return {};
    return c;
}

// Copies a strip of the cache to dc: the part of the source that lies inside the cache only, so
// no read ever leaves it.
void CopyStrip(HDC dc, int x, int y, int w, int h, TBitmap& cache, int srcX, int srcY)
{
    const TRect src = ClipTo({srcX, srcY, srcX + w, srcY + h}, cache);
    if (src.Width() <= 0 || src.Height() <= 0)
        return;
    BitBlt(dc, x + src.Left - srcX, y + src.Top - srcY, src.Width(), src.Height(), cache.Canvas().Handle(), src.Left,
           src.Top, SRCCOPY);
}

// A copy of r of a 24- or 32-bit bitmap as a 32-bit bitmap.
std::unique_ptr<TBitmap> Copy32(TBitmap& source, const TRect& r)
{
    std::unique_ptr<TBitmap> copy = NewBitmap32(std::max(r.Width(), 0), std::max(r.Height(), 0));
    if (!copy->Empty())
        BitBlt(copy->Canvas().Handle(), 0, 0, r.Width(), r.Height(), source.Canvas().Handle(), r.Left, r.Top, SRCCOPY);
    GdiFlush();
    return copy;
}

// The skin's size-grip image; -1 without one.
int GripMaskOf(TsSkinManager* manager)
{
    const int grip = manager ? manager->FindMask(manager->CommonIndexes.GlobalInfoIndex, "GLOBALINFO", "GRIPIMAGE") : -1;
    return manager && manager->MaskIndexValid(grip) ? grip : -1;
}

// The frame measures that take the window and the skin rather than the provider.
int BorderWidthOf(const TsSkinProvider& p, bool fromSkin)
{
    return FormBorderWidth(p.Form ? p.Form->HandleIfAllocated() : nullptr, p.ProviderSkinManager(), p.BorderForm != nullptr,
                           fromSkin);
}

int TopBorderOf(const TsSkinProvider& p, bool fromSkin)
{
    return BorderWidthIfNoExtBorders(p.Form ? p.Form->HandleIfAllocated() : nullptr, p.ProviderSkinManager(),
                                     p.BorderForm != nullptr, fromSkin);
}

// The platform hit-tests a right-to-left form's menu bar mirrored: each item, the maximised
// child's icon first and its buttons last, answers a click at the mirror image of where it is
// laid out. Such a form's menu line is drawn mirrored across its band, so that each item shows
// where its click lands; r is a place in the frame image, laid out left to right.
TRect MenuLineShown(const TsSkinProvider& p, const TRect& r)
{
    const HWND wnd = p.Form ? p.Form->HandleIfAllocated() : nullptr;
    if (!wnd || !ks::IsMirrored(wnd))
        return r;
    const TRect m = p.ExtBorderMargins();
    const int b = BorderWidthOf(p, true);
    const int across = b + m.Left + p.SkinnedWindowWidth() - b - m.Right;
    return {across - r.Right, r.Top, across - r.Left, r.Bottom};
}

// The canvas takes the system's caption font; it keeps its own where the system tells none.
void UseCaptionFont(TCanvas& canvas)
{
    const ks::GdiFont font = CreateCaptionFont();
    LOGFONTW lf{};
    if (font && GetObjectW(font.get(), sizeof(lf), &lf) == sizeof(lf))
        canvas.Font().SetLogFont(lf);
}

// The side of an icon sized automatically for a band of height h.
int AutoIconSide(int h) noexcept
{
    return h >= -100 && h <= 8 ? 1 : h >= 9 && h <= 16 ? 8 : 16;
}

// The active child of an MDI main form while it is maximised and shows its system menu: its
// minimise, restore and close buttons then sit at the right end of the main form's menu line.
TCustomForm* MaximizedChildWithButtons(const TsSkinProvider& p)
{
    TCustomForm* child = MaximizedMDIChild(p.Form);
    return child && child->BorderIcons().Contains(biSystemMenu) ? child : nullptr;
}

// Lays the maximised child's buttons out in the menu line, or empties their rectangles (the hit
// test then finds none) when no maximised child shows them.
void LayoutMDIButtons(TsSkinProvider& p, bool shown)
{
    if (!shown) {
        p.MDIMin.Rect = p.MDIMax.Rect = p.MDIClose.Rect = TRect{};
        return;
    }
    const TRect m = p.ExtBorderMargins();
    const int w = p.MDIButtonWidth();
    const int h = p.MDIButtonHeight();
    const int y = TopBorderOf(p, true) + p.CaptionHeight(true) + m.Top + (p.MenuBarHeight() - h) / 2;
    const int right = p.SkinnedWindowWidth() - BorderWidthOf(p, true) - m.Right;
    int left = right - 3 * (w + 1);
    for (TitleButtonRec* rec : {&p.MDIMin, &p.MDIMax, &p.MDIClose}) {
        rec->Rect = MenuLineShown(p, TRect{left, y, left + w, y + h});
        left += w + 1;
    }
}

// The maximised child's icon at the start of the menu line: its own, else the process's small
// shell icon, else the stock application icon.
void PaintMDIChildIcon(TBitmap& cache, TCustomForm& child, TPoint at, int side)
{
    if (side <= 0)
        return;
    HICON icon = child.Icon() && !child.Icon()->Empty() ? child.Icon()->Handle() : nullptr;
    // The process's shell icon is loaded once, when the skin engine starts.
    if (!icon && AppSmallIcon && !AppSmallIcon->Empty())
        icon = AppSmallIcon->Handle();
    if (!icon)
        icon = LoadIconW(nullptr, IDI_APPLICATION);
    DrawIconEx(cache.Canvas().Handle(), at.X, at.Y, icon, side, side, 0, nullptr, DI_NORMAL);
}

// The title section's "TITLEBAR" image over the right end of the title band, under the
// buttons; its active or inactive cell by the form's state.
void PaintTitleBarImage(const TsSkinProvider& p, TBitmap& cache, int bottom)
{
    TsSkinManager* manager = p.ProviderSkinManager();
    const int title = p.TitleSectionIndex();
    if (!manager || p.SysButtonCount() <= 0 || !manager->SectionIndexValid(title))
        return;
    const std::string& name = manager->GeneralDataArray[static_cast<size_t>(title)].SectionName;
    const int bar = manager->FindMask(title, name, "TITLEBAR");
    if (!manager->MaskIndexValid(bar))
        return;
    const TRect r{p.SkinnedWindowWidth() - p.TitleBarImageWidth(bar), 0, cache.Width(), bottom};
    if (r.Width() > 0 && r.Height() > 0)
        PaintSkinImageRect(cache, r, true, CacheInfoFromBitmap(&cache, 0, 0), manager->MaskArray[static_cast<size_t>(bar)],
                           p.FormActive ? 0 : 1, false);
}

} // namespace

// ---- colours and caches ------------------------------------------------------------------------

TColor TsSkinProvider::FormBackColor() const
{
    TsSkinManager* manager = ManagerOf(SkinData());
    if (manager && SkinData()->IsSkinActive() && !SkinData()->CustomColor()) {
        if (const TsGeneralData* section = SkinData()->Section())
            return FormActive ? section->HotColor : section->Color;
    }
    return Form ? ColorToRGB(Form->Color()) : clBtnFace;
}

int TsSkinProvider::PaintedHeight() const
{
    if (!Form)
        return 0;
    int h = Form->Height();
    if (BorderForm) {
        const TRect m = ExtBorderMargins();
        h += BorderWidthDelta() + TitleHeightDelta() + m.Top + m.Bottom;
    }
    if (Form->Menu())
        ++h;
    return std::max(h, 0);
}

TPoint TsSkinProvider::ButtonsBackgroundOrigin() const
{
    const int w = TempBmp ? TempBmp->Width() : 0;
    // On a window narrower than the button strip the copy starts at the left edge.
    return {std::max(SkinnedWindowWidth() - w - 1, 0), 0};
}

void TsSkinProvider::SaveButtonsBackground(bool fullHeight)
{
    TBitmap* cache = SkinData() ? SkinData()->CacheBitmap.get() : nullptr;
    if (!TempBmp || !cache || cache->Empty())
        return;
    const TRect m = ExtBorderMargins();
    const int w = BorderWidthOf(*this, true) + TitleButtonsWidth() + 10 + m.Right;
    int h = TopBorderOf(*this, true) + CaptionHeight(true) + m.Top;
    if (fullHeight && MainMenuVisible())
        h += MenuLineCount() * MenuBarHeight();
    TempBmp->SetPixelFormat(cache->PixelFormat());
    TempBmp->SetSize(std::clamp(w, 0, cache->Width()), std::clamp(h, 0, cache->Height()));
    if (TempBmp->Empty())
        return;
    const TPoint at = ButtonsBackgroundOrigin();
    ks::CopyRect(TempBmp->View(), {0, 0}, cache->View(), {at.X, at.Y, at.X + TempBmp->Width(), at.Y + TempBmp->Height()});
}

void TsSkinProvider::SaveTitleCache()
{
    TBitmap* cache = SkinData() ? SkinData()->CacheBitmap.get() : nullptr;
    if (!cache || cache->Empty())
        return;
    const int h = TopBorderOf(*this, true) + CaptionHeight(true) + ExtBorderMargins().Top;
    std::unique_ptr<TBitmap> copy = Copy32(*cache, {0, 0, std::min(SkinnedWindowWidth(), cache->Width()), std::min(h, cache->Height())});
    delete TitleCache;
    TitleCache = copy.release();
}

void TsSkinProvider::RestoreButtonsBackground()
{
    TBitmap* cache = SkinData() ? SkinData()->CacheBitmap.get() : nullptr;
    if (!TempBmp || TempBmp->Empty() || !cache || cache->PixelFormat() != TempBmp->PixelFormat())
        return;
    ks::CopyRect(cache->View(), ButtonsBackgroundOrigin(), TempBmp->View(),
                 {0, 0, TempBmp->Width(), TempBmp->Height()});
}

// ---- the whole frame ---------------------------------------------------------------------------

void TsSkinProvider::PaintNonClient()
{
    // The paint ends in the form's OnPaint, and the show animations and the border window call it
    // from outside: a provider freed there goes once the whole paint is done.
    const Hold hold(this);
    if (!Form || !SkinData() || Form->ControlState().Contains(csCreating))
        return;
    TsSkinManager* manager = ManagerOf(SkinData());
    if (!manager)
        return;
    const TRect m = ExtBorderMargins();
    const bool titleOnBorder = BorderForm && manager->SkinData.BorderMode == 1;
    const int width = SkinnedWindowWidth();
    const int height = PaintedHeight();
    if (!SkinData()->CacheBitmap) {
        SkinData()->CacheBitmap = BorderForm ? NewBitmap32(0, 0) : NewBitmap24(0, 0);
        SkinData()->RefreshControlState(false);
        if (!Form->ComponentState().Contains(csLoading))
            BroadcastCommand(Form, TMessage{SM_SKINCMD, MAKEWPARAM(0, SKC_GET_STATE), 1, 0});
    }
    // A maximised child being shown changes the main form's menu line once more when it is
    // done: the frame is painted then, not half-way.
    if (FormChanged)
        if (TCustomForm* maximized = MaximizedMDIChild(Form); maximized && maximized->FormState().Contains(fsShowing))
            return;
    TBitmap& cache = *SkinData()->CacheBitmap;
    const int y0 = TopBorderOf(*this, true) + CaptionHeight(true) + m.Top;
    NCFrameRect = TRect{m.Left, m.Top, width - m.Right, height - m.Bottom};
    if (Iconic(Form))
        NCFrameRect.Bottom = y0 + 1 - m.Bottom;

    SkinData()->SetUpdating(false);
    if (!SkinData()->BackgroundChanged)
        return;
    if (Form->Parent() && Form->FormStyle() != fsMDIChild)
        SkinData()->SkinStateWord &= static_cast<uint16_t>(~StatePlainBackground);

    const int borderIndex = SkinData()->BorderIndex;
    const bool singleState = !manager->MaskIndexValid(borderIndex) ||
                             manager->MaskArray[static_cast<size_t>(borderIndex)].ImageCount <= 1;
    if (!FormChanged && singleState && TitleCache && TitleCache->Width() == width && cache.Height() == Form->Height() &&
        CaptionHeight(true) != 0 && !BorderForm) {
        if (DrawNonClientArea()) {
            BitBlt(cache.Canvas().Handle(), 0, 0, TitleCache->Width(), TitleCache->Height(), TitleCache->Canvas().Handle(),
                   0, 0, SRCCOPY);
            const TRect title{0, 0, width, y0};
            PaintTitleOnly(title, title);
        }
        SkinData()->BackgroundChanged = false;
        return;
    }

    NeedRegionUpdate = true;
    cache.SetPixelFormat(BorderForm ? pf32bit : pf24bit);
    cache.SetSize(width, height);
    if (cache.Empty())
        return;
    if (manager->SectionIndexValid(SkinData()->SkinIndex)) {
        const CacheInfo ci = Form->Parent() ? SkinData()->QueryBackgroundInfo() : NoBackgroundCacheInfo;
        const TRect all{0, 0, width, height};
        if (SkinData()->SkinStateWord & StatePlainBackground) {
            TRect client{m.Left, CaptionHeight(true) + FrameWidthX(true) + MenuLineCount() * MenuBarHeight() + 1,
                         width - m.Right, height - m.Bottom};
            FillRectSolid(cache.Canvas().Handle(), client, FormBackColor());
            if (!titleOnBorder)
                PaintControlSection(*SkinData(), ci, false, FormActive ? 1 : 0, NCFrameRect, {NCFrameRect.Left, NCFrameRect.Top},
                                    &cache, false);
        } else if ((!HaveBorder() && !Form->Parent()) || titleOnBorder) {
            // Textures continue from form to form: the background is taken at the window's place.
            const TPoint origin = FormOrigin();
            PaintSectionBackground(SkinData()->SkinIndex, SkinData()->SkinSection(), ci, FormActive ? 1 : 0, all, origin,
                                   &cache, manager, SkinData()->TextureIndex, SkinData()->HotTextureIndex,
                                   TransparentKeyColor);
        } else {
            PaintControlSection(*SkinData(), ci, true, FormActive ? 1 : 0, NCFrameRect, {NCFrameRect.Left, NCFrameRect.Top},
                                &cache, true);
        }
        if (IsSizeBox())
            PaintGrip();
        if (!titleOnBorder)
            PaintTitleBar();
        const bool menuLine = Form->Menu() && MainMenuVisible() && MenuBarHeight() > 0;
        if (menuLine)
            PaintMenuLine();
        LayoutMDIButtons(*this, menuLine && MaximizedChildWithButtons(*this));
        if (BorderForm && !titleOnBorder)
            PaintCaption();
        if (Form->FormStyle() == fsMDIForm && MDIForm)
            PaintMDIArea();
        if (BorderForm)
            PaintBorderShadow(titleOnBorder);
        if (singleState && (!TitleCache || TitleCache->Width() != width)) {
            SaveTitleCache();
        }
        if (!BorderForm && !titleOnBorder)
            PaintCaption();
        if (CaptionHeight(true) != 0 && DrawNonClientArea()) {
            SaveButtonsBackground(true);
            PaintTitleButtons();
        }
        PaintMDIButtons();
    }
    FormChanged = false;
    SkinData()->BackgroundChanged = false;
    // Whoever asked for the paint (a size step's non-client paint, a child's background), the
    // border window has not shown this image yet: its next update does.
    if (BorderForm)
        BorderForm->ImageChanged = true;
    RunFormOnPaint();
}

void TsSkinProvider::RunFormOnPaint()
{
    TBitmap* cache = SkinData()->CacheBitmap.get();
    if (!Form->OnPaint() || !cache || cache->Empty())
        return;
    // The form's own client painting lands in the cache, moved to where the client lies there.
    const HDC cacheDC = cache->Canvas().Handle();
    ks::SavedDC saved(cacheDC);
    SetViewportOrgEx(cacheDC, ClientOffsetX(), ClientOffsetY(), nullptr);
    const TCustomForm::PaintingOn painting(*Form, cacheDC);
    Form->OnPaint()(Form);
}

// ---- the title bar -----------------------------------------------------------------------------

void TsSkinProvider::PaintTitleBar()
{
    TsSkinManager* manager = ManagerOf(SkinData());
    if (!manager || CaptionHeight(true) == 0 || !DrawNonClientArea())
        return;
    TBitmap& cache = *SkinData()->CacheBitmap;
    const TRect m = ExtBorderMargins();
    const int y0 = TopBorderOf(*this, true) + CaptionHeight(true) + m.Top;
    const int state = FormActive ? 1 : 0;
    if (manager->SectionIndexValid(TitleSectionIndex())) {
        const TRect band = Iconic(Form) ? NCFrameRect : TRect{NCFrameRect.Left, NCFrameRect.Top, NCFrameRect.Right, y0};
        const std::string& name = manager->GeneralDataArray[static_cast<size_t>(TitleSectionIndex())].SectionName;
        CacheInfo ci = NoBackgroundCacheInfo;
        if (const TsGeneralData* form = SkinData()->Section())
            ci.FillColor = form->Color;
        PaintSectionByIndex(TitleSectionIndex(), name, ci, true, state, band, {band.Left, band.Top}, &cache, manager, -1,
                            -1);
    }
    PaintTitleIcon();
    PaintTitleBarImage(*this, cache, y0 - m.Top);
}

void TsSkinProvider::PaintTitleIcon()
{
    if (!TitleIconShown())
        return;
    TBitmap& cache = *SkinData()->CacheBitmap;
    const TRect r = IconRect();
    const HDC dc = cache.Canvas().Handle();
    const int w = TitleIconWidth(), h = TitleIconHeight();
    if (TitleIcon() && TitleIcon()->Glyph() && !TitleIcon()->Glyph()->Empty()) {
        TBitmap& glyph = *TitleIcon()->Glyph();
        if (glyph.PixelFormat() == pf32bit) {
            BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            AlphaBlend(dc, r.Left, r.Top, glyph.Width(), glyph.Height(), glyph.Canvas().Handle(), 0, 0, glyph.Width(),
                       glyph.Height(), blend);
        } else {
            const int gw = TitleIcon()->Width() ? TitleIcon()->Width() : AutoIconSide(NonClientHeight() - 2);
            const int gh = TitleIcon()->Height() ? TitleIcon()->Height() : AutoIconSide(NonClientHeight() - 2);
            TransparentBlt(dc, r.Left, r.Top, gw, gh, glyph.Canvas().Handle(), 0, 0, glyph.Width(), glyph.Height(),
                           static_cast<UINT>(TransparentKeyColor));
        }
        return;
    }
    if (Form->Icon() && !Form->Icon()->Empty()) {
        DrawIconEx(dc, r.Left, r.Top, Form->Icon()->Handle(), w, h, 0, nullptr, DI_NORMAL);
        return;
    }
    if (Application && Application->Icon() && !Application->Icon()->Empty()) {
        if (const auto icon = reinterpret_cast<HICON>(SendMessageW(Application->Handle(), WM_GETICON, ICON_SMALL2, 0)))
            DrawIconEx(dc, r.Left, r.Top, icon, w, h, 0, nullptr, DI_NORMAL);
        return;
    }
    const int bh = TitleIcon() && TitleIcon()->Height() ? TitleIcon()->Height() : CaptionHeight(true) - r.Top;
    if (bh > 16 && AppLargeIcon && !AppLargeIcon->Empty())
        DrawIconEx(dc, r.Left, r.Top, AppLargeIcon->Handle(), w, h, 0, nullptr, DI_NORMAL);
    else if (AppSmallIcon && !AppSmallIcon->Empty())
        DrawIconEx(dc, r.Left, r.Top, AppSmallIcon->Handle(), w, h, 0, nullptr, DI_NORMAL);
    else
        DrawIconEx(dc, r.Left, r.Top, LoadIconW(nullptr, IDI_APPLICATION), w, h, 0, nullptr, DI_NORMAL);
}

void TsSkinProvider::PaintCaption()
{
    TsSkinManager* manager = ManagerOf(SkinData());
    if (!manager || CaptionHeight(true) == 0 || !DrawNonClientArea())
        return;
    TBitmap& cache = *SkinData()->CacheBitmap;
    TRect band = CaptionBandRect();
    if (band.Width() <= 0)
        return;
    const HDC dc = cache.Canvas().Handle();
    ks::SavedDC saved(dc);

    int addedWidth = 0;
    const std::wstring added = AddedTitle() ? AddedTitle()->Text() : std::wstring();
    if (!added.empty()) {
        ks::SelectGuard select(dc, AddedTitle()->Font()->Handle());
        SIZE size{};
        if (GetTextExtentPoint32W(dc, added.c_str(), static_cast<int>(added.size()), &size))
            addedWidth = size.cx;
    }
    UseCaptionFont(cache.Canvas());
    const std::wstring caption = Form->Caption();
    SelectObject(dc, cache.Canvas().Font().Handle());
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    const int tw = extent.cx, th = extent.cy;
    band.Top += (band.Height() - th) / 2;
    band.Bottom = band.Top + th;
    const int bandWidth = band.Width();
    switch (CaptionAlignment()) {
    case taRightJustify:
        if (tw + addedWidth + 4 < bandWidth)
            band.Left = band.Right - (tw + addedWidth + 4);
        break;
    case taCenter: {
        const int c = (bandWidth - tw - addedWidth - 4) / 2;
        band.Left = std::max(band.Left, band.Left + c);
        band.Right = std::min(band.Left + tw, band.Right);
        break;
    }
    default: break;
    }

    const bool hot = FormActive;
    if (!manager->SectionIndexValid(CaptionTextIndex)) {
        TRect r = band;
        if (manager->SectionIndexValid(TitleSectionIndex()))
            DrawSectionText(cache.Canvas(), caption, true, r, CaptionFlags, TitleSectionIndex(), hot, manager);
        band.Left += tw;
    } else {
        TRect r = band;
        DrawTextOnDC(dc, caption, r, CaptionFlags | DT_CALCRECT);
        r.Right = std::min(r.Right, band.Right);
        TRect plate{r.Left - 4, r.Top - 2, r.Right + 4, r.Bottom + 2};
        plate = ClipTo(plate, cache);
        if (plate.Width() > 0) {
            // The plate is painted over what lies under it: a copy of that much of the frame,
            // not of the whole frame, which cost more than all the rest of the caption.
            std::unique_ptr<TBitmap> work = NewBitmapLike(cache);
            work->SetSize(plate.Width(), plate.Height());
            ks::CopyRect(work->View(), {0, 0}, cache.View(), plate);
            const std::string& name = manager->GeneralDataArray[static_cast<size_t>(CaptionTextIndex)].SectionName;
            PaintSectionByIndex(CaptionTextIndex, name, CacheInfoFromBitmap(work.get(), -plate.Left, -plate.Top), true,
                                hot ? 1 : 0, plate, {plate.Left, plate.Top}, &cache, manager, -1, -1);
        }
        SelectObject(dc, cache.Canvas().Font().Handle());
        DrawSectionText(cache.Canvas(), caption, true, r, CaptionFlags, CaptionTextIndex, hot, manager);
        band.Left = r.Right;
    }
    if (addedWidth > 0) {
        band.Left += 4;
        band.Right = band.Left + addedWidth + 4;
        if (band.Right > band.Left + 8)
            PaintAddedTitle(band);
    }
}

void TsSkinProvider::PaintAddedTitle(const TRect& r)
{
    TsSkinManager* manager = ManagerOf(SkinData());
    TBitmap& cache = *SkinData()->CacheBitmap;
    const HDC dc = cache.Canvas().Handle();
    ks::SavedDC saved(dc);
    const TsGeneralData* title = manager->SectionIndexValid(TitleSectionIndex())
                                     ? &manager->GeneralDataArray[static_cast<size_t>(TitleSectionIndex())]
                                     : nullptr;
    TColor colour = AddedTitle()->Font()->Color();
    if (colour == clNone || colour == clWindowText) {
        if (title)
            colour = FormActive ? title->HotFontColor[0] : title->FontColor[0];
    } else if (!FormActive && title) {
        colour = BlendColors(title->FontColor[0], colour, 0.5);
    }
    SelectObject(dc, AddedTitle()->Font()->Handle());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(colour)));
    TRect text = r;
    DrawTextOnDC(dc, AddedTitle()->Text(), text, CaptionFlags);
}

void TsSkinProvider::PaintTitleOnly(const TRect& titleRect, const TRect& cacheRect)
{
    TsSkinManager* manager = ManagerOf(SkinData());
    if (!manager)
        return;
    TBitmap& cache = *SkinData()->CacheBitmap;
    const TRect m = ExtBorderMargins();
    const int state = FormActive ? 1 : 0;
    if (manager->SectionIndexValid(TitleSectionIndex())) {
        const std::string& name = manager->GeneralDataArray[static_cast<size_t>(TitleSectionIndex())].SectionName;
        PaintSectionByIndex(TitleSectionIndex(), name, CacheInfoFromBitmap(TitleCache, 0, 0), true, state, cacheRect,
                            {titleRect.Left, titleRect.Top}, &cache, manager, -1, -1);
    }
    PaintTitleIcon();
    PaintTitleBarImage(*this, cache, TopBorderOf(*this, true) + CaptionHeight(true));
    SaveButtonsBackground(false);
    PaintTitleButtons();

    TRect band{BorderWidthOf(*this, true) + (TitleIconShown() ? IconRect().Width() : 0) + 4 + manager->SkinData.BILeft + m.Left,
               m.Top + 2, cache.Width() - m.Right - TitleButtonsWidth() - 6,
               TopBorderOf(*this, false) + CaptionHeight(true) + m.Top};
    if (band.Width() <= 0 || !manager->SectionIndexValid(TitleSectionIndex()))
        return;
    const HDC dc = cache.Canvas().Handle();
    ks::SavedDC saved(dc);
    UseCaptionFont(cache.Canvas());
    const UINT flags = DrawTextFlagsOf(Form, static_cast<int>(CaptionAlignment())) | CaptionFlags;
    DrawSectionText(cache.Canvas(), Form->Caption(), true, band, flags, TitleSectionIndex(), FormActive, manager);
}

// ---- title buttons -----------------------------------------------------------------------------

bool TsSkinProvider::TitleButtonAnimating(const TitleButtonRec& rec) noexcept
{
    return rec.Animation && rec.Animation->TargetState >= 0;
}

void TsSkinProvider::PaintTitleButton(TBitmap& cache, const TitleButtonRec& rec, bool enabled)
{
    TsSkinManager* manager = ManagerOf(SkinData());
    if (!manager || !manager->MaskIndexValid(rec.ImageIndex) || rec.Rect.Width() <= 0 || rec.Rect.Height() <= 0)
        return;
    const bool animating = TitleButtonAnimating(rec);
    const int column = animating ? 0 : rec.State;
    const int row = (!FormActive || !enabled) && (rec.State == 0 || animating) ? 2 : 1;
    PaintStateGlyph(cache, {rec.Rect.Left, rec.Rect.Top}, column, row,
                    manager->MaskArray[static_cast<size_t>(rec.ImageIndex)], CacheInfoFromBitmap(&cache, 0, 0));
}

void TsSkinProvider::PaintTitleButtons()
{
    TBitmap* cache = SkinData() ? SkinData()->CacheBitmap.get() : nullptr;
    if (!cache || cache->Empty())
        return;
    RestoreButtonsBackground();
    LayoutTitleButtons();
    const bool maximized = Form->WindowState() == wsMaximized;
    if (SystemMenu) {
        if (SystemMenu->VisibleClose())
            PaintTitleButton(*cache, ButtonClose, true);
        if (SystemMenu->VisibleMax())
            PaintTitleButton(*cache, ButtonMax, maximized ? SystemMenu->EnabledRestore() : SystemMenu->EnabledMax());
        if (SystemMenu->VisibleMin())
            PaintTitleButton(*cache, ButtonMin, SystemMenu->EnabledMin());
    }
    if (Form->BorderIcons().Contains(biHelp))
        PaintTitleButton(*cache, ButtonHelp, true);
    if (TitleButtons()) {
        for (int i = 0; i < TitleButtons()->Count(); ++i) {
            TsTitleButton* button = TitleButtons()->Items(i);
            if (button->Visible())
                PaintUserTitleButton(*cache, i);
        }
    }
}

void TsSkinProvider::PaintMDIButtons()
{
    TBitmap* cache = SkinData() ? SkinData()->CacheBitmap.get() : nullptr;
    TCustomForm* child = MaximizedChildWithButtons(*this);
    if (!cache || cache->Empty() || !child || MDIClose.Rect.Width() <= 0)
        return;
    const TBorderIcons icons = child->BorderIcons();
    PaintTitleButton(*cache, MDIMin, icons.Contains(biMinimize));
    PaintTitleButton(*cache, MDIMax, icons.Contains(biMaximize));
    PaintTitleButton(*cache, MDIClose, true);
}

void TsSkinProvider::PaintUserTitleButton(TBitmap& cache, int index)
{
    TsSkinManager* manager = ManagerOf(SkinData());
    TsTitleButton* button = TitleButtons()->Items(index);
    const TitleButtonRec& rec = button->BtnData;
    if (!manager || rec.Rect.Width() <= 0 || rec.Rect.Height() <= 0)
        return;
    if (manager->MaskIndexValid(rec.ImageIndex)) {
        const int column = TitleButtonAnimating(rec) ? 0 : rec.State;
        PaintStateGlyph(cache, {rec.Rect.Left, rec.Rect.Top}, column, FormActive && button->Enabled() ? 1 : 2,
                        manager->MaskArray[static_cast<size_t>(rec.ImageIndex)], CacheInfoFromBitmap(&cache, 0, 0));
    }
    PaintUserButtonGlyph(cache, index, {rec.Rect.Left, rec.Rect.Top});
    // GDI leaves alpha 0 where it draws into the border window's 32-bit image, and the layered
    // window lets the mouse through such pixels: the whole button stays opaque, so it is hovered,
    // pressed and clicked like the frame around it.
    if (cache.PixelFormat() == pf32bit) {
        GdiFlush();
        ks::SetAlpha32(cache.View(), rec.Rect, 255);
    }
}

void TsSkinProvider::PaintUserButtonGlyph(TBitmap& target, int index, TPoint at)
{
    if (!TitleButtons() || index < 0 || index >= TitleButtons()->Count())
        return;
    TsTitleButton* button = TitleButtons()->Items(index);
    TBitmap* glyph = button->Glyph();
    if (!glyph || glyph->Empty())
        return;
    const int x = at.X + (UserButtonWidth(*button) - glyph->Width()) / 2;
    const int y = at.Y + (SysButtonHeight() - glyph->Height()) / 2;
    const HDC dc = target.Canvas().Handle();
    if (glyph->PixelFormat() == pf32bit) {
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        AlphaBlend(dc, x, y, glyph->Width(), glyph->Height(), glyph->Canvas().Handle(), 0, 0, glyph->Width(),
                   glyph->Height(), blend);
        return;
    }
    // Other glyphs are keyed by their bottom-left pixel.
    const COLORREF key = GetPixel(glyph->Canvas().Handle(), 0, glyph->Height() - 1);
    TransparentBlt(dc, x, y, glyph->Width(), glyph->Height(), glyph->Canvas().Handle(), 0, 0, glyph->Width(),
                   glyph->Height(), key);
}

// ---- menu line, grip and border shadow ----------------------------------------------------------

void TsSkinProvider::PaintMenuLine()
{
    TsSkinManager* manager = ManagerOf(SkinData());
    TBitmap& cache = *SkinData()->CacheBitmap;
    TMainMenu* menu = Form->Menu();
    const TRect m = ExtBorderMargins();
    const int b = BorderWidthOf(*this, true);
    const int y0 = TopBorderOf(*this, true) + CaptionHeight(true) + m.Top;
    const int rows = MenuLineCount();
    const int rowHeight = MenuBarHeight();
    const TRect band{b + m.Left, y0, cache.Width() - b - m.Right, y0 + rows * rowHeight};
    int section = manager->FindSection(MenuLineSkin());
    std::string name = MenuLineSkin();
    if (MenuLineSkin().empty() || !manager->SectionIndexValid(section)) {
        section = manager->FindSection("MENULINE");
        name = "MENULINE";
    }
    if (manager->SectionIndexValid(section) && band.Width() > 0 && band.Height() > 0)
        PaintSectionByIndex(section, name, CacheInfoFromBitmap(&cache, 0, 0), true, 0, band, {band.Left, band.Top},
                            &cache, manager, -1, -1);
    if (MenuLineBmp) {
        const int x = ClientOffsetX() - Form->BorderWidth();
        const int y = MenuLineTop();
        MenuLineBmp->SetPixelFormat(pf24bit);
        MenuLineBmp->SetSize(std::max(band.Width(), 0), rows * rowHeight + (BorderForm ? 0 : 1));
        if (!MenuLineBmp->Empty())
            BitBlt(MenuLineBmp->Canvas().Handle(), 0, 0, MenuLineBmp->Width(), MenuLineBmp->Height(),
                   cache.Canvas().Handle(), x, y, SRCCOPY);
    }
    if (!menu || !Form->HandleAllocated())
        return;
    const HWND wnd = Form->Handle();
    const HMENU bar = GetMenu(wnd);
    RECT windowRect{};
    GetWindowRect(wnd, &windowRect);
    const int dx = BorderWidthDelta() - windowRect.left + m.Left;
    // The platform's first row of items starts the skin's menu line: moved by the difference of
    // the title heights alone, the items would cover the title's lowest rows.
    int dy = TitleHeightDelta() - windowRect.top + m.Top + (RaiseCaptionHeight ? 4 : 0);
    if (RECT first{}; bar && GetMenuItemRect(wnd, bar, 0, &first))
        dy = y0 - first.top;
    if (TCustomForm* child = MaximizedChildWithButtons(*this)) {
        const int side = rowHeight - 2;
        const TRect icon = MenuLineShown(*this, {band.Left + b + 1, y0 + 1, band.Left + b + 1 + side, y0 + 1 + side});
        PaintMDIChildIcon(cache, *child, {icon.Left, icon.Top}, side);
    }
    // The platform's entry for a maximised child's icon comes before the form's own items.
    int position = TMenuItem::LeadingSystemEntries(bar);
    for (TMenuItem* item : menu->BarItems()) {
        RECT r{};
        if (bar && GetMenuItemRect(wnd, bar, static_cast<UINT>(position), &r) && item->OnAdvancedDrawItem()) {
            const TRect target = MenuLineShown(*this, {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy});
            item->AdvancedDrawItem(cache.Canvas(), target, MenuLineItemState, true);
        }
        ++position;
    }
}

void TsSkinProvider::RedrawMenuItem(TMenuItem& item, const TRect& rect)
{
    TBitmap* cache = SkinData() ? SkinData()->CacheBitmap.get() : nullptr;
    if (!cache || cache->Empty() || !Form || !Form->HandleAllocated() || !MainMenuVisible() ||
        item.GetParentMenu() != Form->Menu() || !item.OnAdvancedDrawItem())
        return;
    const HWND wnd = Form->Handle();
    HDC dc = GetWindowDC(wnd);
    if (!dc)
        return;
    const ks::UnmirroredDC unmirrored(dc);
    // The item lies in the cache where the menu-line image of each DC says.
    const MenuLineImage inWindow = MenuLineFor(dc);
    const MenuLineImage inCache = MenuLineFor(cache->Canvas().Handle());
    if (inWindow.Bmp) {
        const int dx = inCache.Offset.X - inWindow.Offset.X, dy = inCache.Offset.Y - inWindow.Offset.Y;
        // rect is laid out as the platform lays the bar out; a mirrored form shows it mirrored.
        const TRect target = MenuLineShown(*this, {rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy});
        item.AdvancedDrawItem(cache->Canvas(), target, MenuLineItemState, true);
        GdiFlush();
        if (BorderForm) {
            BitBlt(dc, target.Left - dx, target.Top - dy, target.Width(), target.Height(), cache->Canvas().Handle(),
                   target.Left, target.Top, SRCCOPY);
        } else {
            // The window shows the image as it is: the item's place there, and the place where the
            // system lit it (mirrored on a mirrored window), which may lie a row or two apart.
            RECT window{};
            GetWindowRect(wnd, &window);
            const int width = window.right - window.left;
            const TRect lit = ks::IsMirrored(wnd) ? TRect{width - rect.Right, rect.Top, width - rect.Left, rect.Bottom} : rect;
            const TRect both{std::min(lit.Left, target.Left), std::min(lit.Top, target.Top),
                             std::max(lit.Right, target.Right), std::max(lit.Bottom, target.Bottom)};
            BitBlt(dc, both.Left, both.Top, both.Width(), both.Height(), cache->Canvas().Handle(), both.Left, both.Top,
                   SRCCOPY);
        }
    }
    ReleaseDC(wnd, dc);
}

void TsSkinProvider::PaintMDIArea()
{
    TsSkinManager* manager = ManagerOf(SkinData());
    const int section = manager->FindSection("MDIAREA");
    if (!manager->SectionIndexValid(section))
        return;
    TBitmap& cache = *SkinData()->CacheBitmap;
    const TRect m = ExtBorderMargins();
    const int fx = FrameWidthX(true);
    const int y0 = TopBorderOf(*this, true) + CaptionHeight(true) + m.Top;
    // The MDI client lies between the form's aligned children.
    TRect r{fx + m.Left + GetAlignedSize(Form, alLeft, true),
            y0 + (MainMenuVisible() ? MenuLineCount() * MenuBarHeight() : 0) + Form->BorderWidth() +
                GetAlignedSize(Form, alTop, true) + (MenuBarHeight() != 0 ? 1 : 0),
            cache.Width() - fx - GetAlignedSize(Form, alRight, true) - m.Right,
            cache.Height() - fx - GetAlignedSize(Form, alBottom, true) - m.Bottom};
    r = ClipTo(r, cache);
    if (r.Width() > 0 && r.Height() > 0)
        PaintSectionToDC(section, "MDIAREA", NoBackgroundCacheInfo, true, 0, r, {r.Left, r.Top},
                         cache.Canvas().Handle(), manager);
}

void TsSkinProvider::PaintGrip()
{
    TsSkinManager* manager = ManagerOf(SkinData());
    const int grip = GripMaskOf(manager);
    if (grip < 0)
        return;
    TBitmap& cache = *SkinData()->CacheBitmap;
    SkinData()->BackgroundChanged = false;
    const TPoint p = CornerImagePos(grip);
    PaintStateGlyph(cache, p, 0, 1, manager->MaskArray[static_cast<size_t>(grip)], CacheInfoFromBitmap(&cache, 0, 0));
}

void TsSkinProvider::CopyGripToClient(HDC dc)
{
    TsSkinManager* manager = ManagerOf(SkinData());
    const int grip = GripMaskOf(manager);
    TBitmap* cache = SkinData()->CacheBitmap.get();
    if (grip < 0 || !cache || cache->Empty())
        return;
    const TsMaskData& mask = manager->MaskArray[static_cast<size_t>(grip)];
    const TPoint p = CornerImagePos(grip);
    CopyStrip(dc, p.X - ClientOffsetX(), p.Y - ClientOffsetY(), MaskCellWidth(mask), MaskCellHeight(mask), *cache, p.X,
              p.Y);
}

void TsSkinProvider::PaintBorderShadow(bool titleOnBorder)
{
    TsSkinManager* manager = ManagerOf(SkinData());
    TBitmap& cache = *SkinData()->CacheBitmap;
    const TRect m = ExtBorderMargins();
    const std::unique_ptr<TBitmap> shadow = LayBorderShadow(cache, *manager, m, FormActive, titleOnBorder);
    if (!shadow)
        return;
    if (titleOnBorder) {
        PaintOpaqueBand(cache, TopBorderOf(*this, true) + CaptionHeight(true) + m.Top, [&] {
            PaintTitleBar();
            PaintCaption();
        });
        return;
    }
    const int titleMask = manager->SectionIndexValid(TitleSectionIndex())
                              ? manager->GeneralDataArray[static_cast<size_t>(TitleSectionIndex())].BorderIndex
                              : -1;
    const int topMask = manager->MaskIndexValid(titleMask) ? titleMask : SkinData()->BorderIndex;
    RestoreFrameCorners(cache, *shadow, *manager, m, topMask, SkinData()->BorderIndex);
}

// ---- to the window -----------------------------------------------------------------------------

void TsSkinProvider::RepaintNonClientToDC(HDC dc)
{
    if (!Form || !SkinData())
        return;
    TBitmap* cache = SkinData()->CacheBitmap.get();
    if (SkinData()->BackgroundChanged || !cache || cache->Empty()) {
        if (!PaintNonClientSurvived(*this))
            return;
        cache = SkinData()->CacheBitmap.get();
    }
    // The form's OnPaint may have freed this provider: the form's frame is the system's again.
    if (!cache || cache->Empty() || Passive)
        return;
    // The frame is laid out from the window's left edge, where the hit test counts from too: a
    // right-to-left window's mirroring would show it flipped, away from where it answers.
    const ks::UnmirroredDC unmirrored(dc);
    const int h1 = NonClientHeight() + (Iconic(Form) ? 1 : 0);
    const int fx = FrameWidthX(true), fy = FrameWidthY(true);
    const int width = Form->Width(), height = Form->Height();
    const int sideTop = CaptionHeight(true) + TopBorderOf(*this, true) +
                        (MainMenuVisible() ? MenuLineCount() * MenuBarHeight() + 1 : 0);
    CopyStrip(dc, 0, 0, width, h1, *cache, 0, 0);
    CopyStrip(dc, 0, h1, fx, cache->Height() - h1, *cache, 0, sideTop);
    CopyStrip(dc, fx, height - fy, width - fx, fy, *cache, fx, height - fy);
    CopyStrip(dc, cache->Width() - fx, h1, fx, cache->Height() - fy, *cache, cache->Width() - fx, sideTop);
}

void TsSkinProvider::NCPaint()
{
    if (PaintLock || !DrawNonClientArea() || !Form || !Form->HandleAllocated())
        return;
    if (AnimateShow)
        return;
    // The composed desktop draws the outline drag itself: the provider's own outline would be
    // drawn on a surface the composition no longer shows.
    if (FResizeMode == rmBorder && IsDwmCompositionEnabled())
        FResizeMode = rmStandard;
    const HWND wnd = Form->Handle();
    // A maximised active child covers its brothers: their frames are not painted over it.
    if (IsMDIChildForm(Form))
        if (TsSkinProvider* main = LiveMDISkinProvider())
            if (TCustomForm* maximized = MaximizedMDIChild(main->Form); maximized && maximized != Form)
                return;
    // The menu bar gets its skinned owner drawing before the first frame is painted with it.
    if (!MenuInitialized && Form->Menu() && InitMenu())
        MenuInitialized = true;
    if (!InRegionUpdate && NeedRegionUpdate && (HaveBorder() || IsSizeable() || Iconic(Form))) {
        MakeRegionRects();
        NeedRegionUpdate = false;
        const bool showing = Form->FormState().Contains(fsShowing) && Form->Position() != poDefault &&
                             Form->WindowState() != wsMaximized;
        // The region's own repaint brings the next WM_NCPAINT.
        if (!showing && ApplyRegion(true))
            return;
        if (showing)
            ApplyRegion(false);
    }
    SkinData()->SetUpdating(false);
    if (!SkinData()->CacheBitmap || SkinData()->CacheBitmap->Width() == 0)
        SkinData()->BackgroundChanged = true;
    ks::WindowDC windowDC(wnd, ks::WindowDC::WholeWindow);
    const HDC dc = windowDC.get();
    if (!dc)
        return;
    ks::SavedDC saved(dc);
    const ks::UnmirroredDC unmirrored(dc);
    if (!BorderForm) {
        if (IsSizeable() && !HaveBorder() && !Iconic(Form)) {
            if (SkinData()->BackgroundChanged && !PaintNonClientSurvived(*this))
                return;
            if (TBitmap* cache = SkinData()->CacheBitmap.get(); cache && !Passive)
                CopyFrameStrips(dc, 0, 0, Form->Width(), Form->Height(), cache->Canvas().Handle(), 0, 0,
                                FrameWidthX(true) + 3);
            return;
        }
        RepaintNonClientToDC(dc);
        return;
    }
    if (SkinData()->BackgroundChanged && !PaintNonClientSurvived(*this))
        return;
    TBitmap* cache = SkinData()->CacheBitmap.get();
    if (!cache || cache->Empty() || Passive)
        return;
    // The layered border carries the frame: the window keeps only its menu line and the form's
    // own border band around the client.
    const int bw = Form->BorderWidth();
    const int rows = MainMenuVisible() ? MenuLineCount() : 0;
    const int cx = ClientOffsetX(), cy = ClientOffsetY();
    const int wx = BorderWidthOf(*this, false);
    const int cw = Form->ClientWidth(), ch = Form->ClientHeight();
    RECT window{};
    GetWindowRect(wnd, &window);
    POINT client{0, 0};
    ClientToScreen(wnd, &client);
    const int ox = client.x - window.left, oy = client.y - window.top;
    // The layered image lies with its client over the window's, so each row of the window's
    // menu bar shows the image's row behind it. The system's bar is one pixel taller than the
    // skin's line and starts below the system's own top border, which the window keeps: counted
    // from the skin's line, the items would stand higher than the image draws them.
    const int wy = SystemMenuBarTop();
    if ((rows > 0 || bw > 0) && oy - bw > wy)
        CopyStrip(dc, wx, wy, cw + 2 * bw, oy - bw - wy, *cache, cx - bw, wy + cy - oy);
    if (bw == 0)
        return;
    CopyStrip(dc, ox - bw, oy - bw, cw + 2 * bw, bw, *cache, cx - bw, cy - bw);
    CopyStrip(dc, ox - bw, oy, bw, ch + bw, *cache, cx - bw, cy);
    CopyStrip(dc, ox, oy + ch, cw, bw, *cache, cx, cy + ch);
    CopyStrip(dc, ox + cw, oy, bw, ch + bw, *cache, cx + cw, cy);
}

void TsSkinProvider::PaintClientBackground(HDC dc, bool send, const TRect* renewed)
{
    if (!Form || !SkinData())
        return;
    const TRect client = Form->ClientRect();
    if (!(SkinData()->SkinStateWord & StatePlainBackground)) {
        if (!SkinData()->ParentBackgroundAlways)
            PaintNonClient();
        TBitmap* cache = SkinData()->CacheBitmap.get();
        if (cache && !cache->Empty())
            CopyStrip(dc, 0, 0, client.Width(), client.Height(), *cache, ClientOffsetX(), ClientOffsetY());
        if (Form->FormStyle() != fsMDIForm)
            PaintGraphicChildren(dc, Form, {0, 0});
        if (send && renewed) {
            // A control given a shown form and then moved to its place has the form repaint the
            // spot it left: telling every control at each such paint made a form that grows one
            // control at a time quadratic.
            SendChildrenCommand6(Form, *renewed);
            if (Adapter) {
                TRect painted = client;
                TMessage m{SM_SKINCMD, MAKEWPARAM(0, SKC_PARENT_UPDATED), reinterpret_cast<LPARAM>(&painted), 0};
                Adapter->BroadcastMessageWithin(m, Form, *renewed);
            }
        } else if (send) {
            ChildrenHeldBack = false;
            SendChildrenCommand6(Form);
            // The adapted controls deeper down (in panels, on pages) are told too.
            if (Adapter) {
                TRect painted = client;
                TMessage m{SM_SKINCMD, MAKEWPARAM(0, SKC_PARENT_UPDATED), reinterpret_cast<LPARAM>(&painted), 0};
                Adapter->BroadcastMessage(m);
            }
        }
    } else {
        FillRectSolid(dc, client, FormBackColor());
    }
}

void TsSkinProvider::PaintFormToDC(HDC dc)
{
    if (!Form || SetUpPending || Form->ComponentState().Contains(csDestroying) || !Form->HandleAllocated())
        return;
    std::optional<ks::WindowDC> own;
    if (!dc)
        own.emplace(Form->Handle());
    const HDC target = dc ? dc : own->get();
    if (!target)
        return;
    ks::SavedDC saved(target);
    for (HWND child = GetWindow(Form->Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child))
            continue;
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, Form->Handle(), reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(target, r.left, r.top, r.right, r.bottom);
    }
    PaintClientBackground(target, false);
    // The grip lies in the client's corner: a client filled plain would cover it.
    if (IsSizeBox())
        CopyGripToClient(target);
    // A plain client is only filled with its colour: its labels and shapes are painted here (the
    // picture branch paints them over the cached background itself).
    if ((SkinData()->SkinStateWord & StatePlainBackground) && Form->FormStyle() != fsMDIForm)
        PaintGraphicChildren(target, Form, {0, 0});
}
