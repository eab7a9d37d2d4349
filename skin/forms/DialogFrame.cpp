// What the dialog frame adapter paints and where: the frame prepared from the dialog's styles,
// the geometry of title strip, borders, icon, caption and title buttons, the whole non-client
// area painted from the skin into the skin data's cache bitmap, the window region cut from the
// transparent corners of the border images, and the output of frame and client background.
#include "skin/forms/acDialogWnd.h"

#include "skin/adapters/SkinnedScrollBars.h"
#include "skin/core/ColorRoutines.h"
#include "skin/core/ControlSkinPainting.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/WinRoutines.h"
#include "skin/core/acGlow.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/forms/FormFrameGeometry.h"
#include "skin/forms/TitleAnimation.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/acDials.h"
#include "vcl/PlatformSeams.h"

#include <algorithm>
#include <optional>

namespace {

constexpr int MissingButtonSize = 21;
constexpr UINT CaptionDrawFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
// A window answering this question with its WParam keeps its own region.
constexpr UINT CM_KEEPS_REGION = 0xBC4D;
constexpr WPARAM KeepsRegionAnswer = 0x41A2;

TsSkinManager* ManagerOf(const TsCommonData* skinData) noexcept
{
    return skinData ? skinData->SkinManager() : nullptr;
}

const TsMaskData* MaskAt(const TsSkinManager* manager, int index) noexcept
{
    if (!manager || !manager->MaskIndexValid(index))
        return nullptr;
    return &manager->MaskArray[static_cast<size_t>(index)];
}

// The pieces of r whose pixels a border image leaves key-coloured in its corners, as rectangles
// in r's coordinates.
void AddTransparentPieces(const TsMaskData& mask, const TRect& r, std::vector<TRect>& pieces)
{
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    TBitmap scratch;
    scratch.SetPixelFormat(pf24bit);
    scratch.SetSize(r.Width(), r.Height());
    ks::GdiRegion whole(CreateRectRgn(0, 0, r.Width(), r.Height()));
    ks::GdiRegion kept(CreateRectRgn(0, 0, r.Width(), r.Height()));
    PaintSkinImageFit(scratch, kept.get(), false, mask, 0);
    CombineRgn(whole.get(), whole.get(), kept.get(), RGN_DIFF);
    const DWORD size = GetRegionData(whole.get(), 0, nullptr);
    if (size < sizeof(RGNDATAHEADER))
        return;
    std::vector<uint8_t> bytes(size);
    auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
    if (GetRegionData(whole.get(), size, data) != size)
        return;
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        pieces.push_back({rects[i].left + r.Left, rects[i].top + r.Top, rects[i].right + r.Left, rects[i].bottom + r.Top});
}

// The pixels of src other than key onto dst at p, cut to dst.
void CopyKeyed(TBitmap& src, TBitmap& dst, TPoint p, TColor key)
{
    GdiFlush();
    const uint8_t kb = static_cast<uint8_t>(key >> 16), kg = static_cast<uint8_t>(key >> 8), kr = static_cast<uint8_t>(key);
    for (int y = 0; y < src.Height(); ++y) {
        const int dy = p.Y + y;
        if (dy < 0 || dy >= dst.Height())
            continue;
        const uint8_t* s = src.ScanLine(y);
        uint8_t* d = dst.ScanLine(dy);
        for (int x = 0; x < src.Width(); ++x, s += 3) {
            const int dx = p.X + x;
            if (dx < 0 || dx >= dst.Width() || (s[0] == kb && s[1] == kg && s[2] == kr))
                continue;
            std::copy(s, s + 3, d + 3 * dx);
        }
    }
}

} // namespace

// ---- preparation -------------------------------------------------------------------------------

void TacDialogWnd::PrepareFrame()
{
    const HWND wnd = CtrlHandle;
    if (!wnd || !IsWindow(wnd))
        return;
    WndStyle = GetWindowLongPtrW(wnd, GWL_STYLE);
    WndExStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    BorderKind = 3;
    if ((WndStyle & WS_POPUP) && (WndStyle & WS_CAPTION) != WS_CAPTION)
        BorderKind = 2;
    else if (!(WndStyle & WS_THICKFRAME) && (WndStyle & DS_MODALFRAME))
        BorderKind = 0;

    TakeIcon();

    SkinData->RefreshIndexes();
    if (TsSkinManager* manager = ManagerOf(SkinData))
        CaptionIndex = manager->FindSection("CAPTION");
    LoadTitleButtons();

    MakeCaptionFont();

    if (WndStyle & WS_SYSMENU) {
        SetWindowLongPtrW(wnd, GWL_STYLE, WndStyle & ~static_cast<LONG_PTR>(WS_SYSMENU));
        FSysMenuRemoved = true;
    }
    SysMenu->UpdateItems();
}

void TacDialogWnd::TakeIcon()
{
    const HWND wnd = CtrlHandle;
    IconHandle = reinterpret_cast<HICON>(SendMessageW(wnd, WM_GETICON, ICON_SMALL, 0));
    if (!IconHandle)
        IconHandle = reinterpret_cast<HICON>(SendMessageW(wnd, WM_GETICON, ICON_BIG, 0));
    IconBmp.reset();
    if (!IconHandle)
        return;
    const int cx = GetSystemMetrics(SM_CXSMICON);
    const int cy = GetSystemMetrics(SM_CYSMICON);
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(cx, cy);
    bmp->Canvas().Brush().SetColor(clFuchsia);
    bmp->Canvas().FillRect(TRect{0, 0, cx, cy});
    // Drawn scaled once here: a copy per paint would leave an icon handle behind each time.
    DrawIconEx(bmp->Canvas().Handle(), 0, 0, IconHandle, cx, cy, 0, nullptr, DI_NORMAL);
    IconBmp = std::move(bmp);
}

void TacDialogWnd::MakeCaptionFont()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    CaptionFont = std::make_unique<TFont>();
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0))
        CaptionFont->SetLogFont(metrics.lfCaptionFont);
}

void TacDialogWnd::LoadTitleButtons()
{
    TsSkinManager* manager = ManagerOf(SkinData);
    if (!manager || manager->FindSection("GLOBALINFO") < 0)
        return;
    const int global = manager->FindSection("GLOBALINFO");
    auto mask = [&](const char* key) { return manager->FindMask(global, "GLOBALINFO", key); };
    BtnMin.HitCode = HTMINBUTTON;
    BtnMax.HitCode = HTMAXBUTTON;
    BtnClose.HitCode = HTCLOSE;
    BtnHelp.HitCode = HTHELP;
    auto takeBig = [&] {
        BtnMin.ImageIndex = mask("BICONMIN");
        BtnMax.ImageIndex = mask("BICONMAX");
        BtnClose.ImageIndex = mask("BICONCLOSE");
        BtnHelp.ImageIndex = mask("BICONHELP");
        BtnMin.BigGlyph = BtnMax.BigGlyph = BtnClose.BigGlyph = BtnHelp.BigGlyph = true;
    };
    if (BorderKind == 1 || BorderKind == 3) {
        takeBig();
        return;
    }
    BtnClose.ImageIndex = mask("SICONCLOSE");
    if (!manager->MaskIndexValid(BtnClose.ImageIndex)) {
        takeBig();
        return;
    }
    BtnMin.ImageIndex = mask("SICONMIN");
    BtnMax.ImageIndex = mask("SICONMAX");
    BtnHelp.ImageIndex = mask("SICONHELP");
    if (!manager->MaskIndexValid(BtnHelp.ImageIndex))
        BtnHelp.ImageIndex = mask("BICONHELP");
    BtnMin.BigGlyph = BtnMax.BigGlyph = BtnClose.BigGlyph = BtnHelp.BigGlyph = false;
}

// ---- geometry ----------------------------------------------------------------------------------

int TacDialogWnd::FormBorderWidth(bool fromSkin) const
{
    return ::FormBorderWidth(CtrlHandle, ManagerOf(SkinData), FBorderForm != nullptr, fromSkin);
}

int TacDialogWnd::BorderWidthIfNoExtBorders(bool fromSkin) const
{
    return ::BorderWidthIfNoExtBorders(CtrlHandle, ManagerOf(SkinData), FBorderForm != nullptr, fromSkin);
}

int TacDialogWnd::CaptionHeight(bool withBorderForm) const
{
    const LONG_PTR style = CtrlHandle ? GetWindowLongPtrW(CtrlHandle, GWL_STYLE) : WndStyle;
    if ((style & WS_CAPTION) != WS_CAPTION && !(CtrlHandle && IsIconic(CtrlHandle)))
        return 0;
    if (withBorderForm && FBorderForm) {
        if (const int skinned = SkinnedTitleHeight(ManagerOf(SkinData), true))
            return skinned;
    }
    const LONG_PTR exStyle = CtrlHandle ? GetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE) : WndExStyle;
    return GetSystemMetrics(exStyle & WS_EX_TOOLWINDOW ? SM_CYSMCAPTION : SM_CYCAPTION);
}

TRect TacDialogWnd::ExtBorderMargins() const
{
    const TsSkinManager* manager = ManagerOf(SkinData);
    if (!FBorderForm || !manager)
        return {0, 0, 0, 0};
    const TRect& m = manager->ShadowMargins;
    return {std::max(0, m.Left), std::max(0, m.Top), std::max(0, m.Right), std::max(0, m.Bottom)};
}

int TacDialogWnd::BorderWidthDelta() const
{
    return FormBorderWidth(true) - FormBorderWidth(false);
}

int TacDialogWnd::TitleHeightDelta() const
{
    return CaptionHeight(true) - CaptionHeight(false) - FormBorderWidth(false);
}

int TacDialogWnd::TitleBottom() const
{
    return BorderWidthIfNoExtBorders(false) + CaptionHeight(true) + ExtBorderMargins().Top;
}

namespace {

// Where the platform put the client area of wnd, from its window's top-left corner. Read from
// the window's rectangles: a mirrored window maps its client point (0, 0) to the client area's
// right edge.
TRect PlatformClientRect(HWND wnd)
{
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    if (!wnd || !GetWindowInfo(wnd, &info))
        return {};
    const RECT& w = info.rcWindow;
    const RECT& c = info.rcClient;
    return {c.left - w.left, c.top - w.top, c.right - w.left, c.bottom - w.top};
}

TPoint PlatformClientOrigin(HWND wnd)
{
    const TRect r = PlatformClientRect(wnd);
    return {r.Left, r.Top};
}

} // namespace

// Measured from where the platform put the client area, so that a dialog without a caption (or
// with a scroll bar) gets its children's background from the right place too. A border window's
// frame lies around it by the margins and the skin's wider border and taller title.
int TacDialogWnd::ClientOffsetX() const
{
    int x = PlatformClientOrigin(CtrlHandle).X;
    if (FBorderForm)
        x += BorderWidthDelta() + ExtBorderMargins().Left;
    return x;
}

int TacDialogWnd::ClientOffsetY() const
{
    int y = PlatformClientOrigin(CtrlHandle).Y;
    if (FBorderForm)
        y += ExtBorderMargins().Top + TitleHeightDelta();
    return y;
}

void TacDialogWnd::IconRect(TRect& r) const
{
    const TsSkinManager* manager = ManagerOf(SkinData);
    const TRect m = ExtBorderMargins();
    const int biLeft = manager ? manager->SkinData.BILeft : 0;
    r.Left = FormBorderWidth(true) + biLeft + m.Left;
    r.Right = r.Left + GetSystemMetrics(SM_CXSMICON);
    r.Top = (BorderWidthIfNoExtBorders(true) + CaptionHeight(true) - GetSystemMetrics(SM_CYSMICON)) / 2 + m.Top;
    if (FBorderForm && manager && manager->SkinData.BorderMode == 1)
        r.Top += manager->SkinData.CenterOffset;
    r.Bottom = r.Top + GetSystemMetrics(SM_CYSMICON);
}

int TacDialogWnd::ButtonWidth(const TitleButtonRec& button) const
{
    const TsMaskData* mask = MaskAt(ManagerOf(SkinData), button.ImageIndex);
    return mask && MaskCellWidth(*mask) > 0 ? MaskCellWidth(*mask) : MissingButtonSize;
}

int TacDialogWnd::ButtonHeight(int imageIndex) const
{
    const TsMaskData* mask = MaskAt(ManagerOf(SkinData), imageIndex);
    return mask && MaskCellHeight(*mask) > 0 ? MaskCellHeight(*mask) : MissingButtonSize;
}

int TacDialogWnd::TitleButtonsWidth() const
{
    if (!HasSysMenu())
        return 0;
    int width = ButtonWidth(BtnClose);
    if (HasMaxBox())
        width += ButtonWidth(BtnMax);
    if (HasMinBox())
        width += ButtonWidth(BtnMin);
    if (HasHelpButton())
        width += ButtonWidth(BtnHelp);
    return width;
}

// ---- painting ----------------------------------------------------------------------------------

void TacDialogWnd::PaintNonClient()
{
    TsSkinManager* manager = ManagerOf(SkinData);
    if (!SkinData->BackgroundChanged || !manager || !CtrlHandle || !IsWindow(CtrlHandle))
        return;
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    RECT wr{};
    GetWindowRect(CtrlHandle, &wr);
    const bool border = FBorderForm != nullptr;
    const TRect m = ExtBorderMargins();
    int width = wr.right - wr.left;
    int height = wr.bottom - wr.top;
    if (width <= 0 || height <= 0)
        return;
    if (border) {
        // A minimised dialog keeps its width, but the frame still lies inside the margins.
        if (!IsIconic(CtrlHandle))
            width += 2 * BorderWidthDelta();
        width += m.Left + m.Right;
        height += TitleHeightDelta() + BorderWidthDelta() + m.Top + m.Bottom;
    }
    if (width <= 0 || height <= 0)
        return;
    if (!SkinData->CacheBitmap)
        SkinData->CacheBitmap = std::make_unique<TBitmap>();
    TBitmap& bmp = *SkinData->CacheBitmap;
    FrameChanged = true;
    bmp.SetPixelFormat(border ? pf32bit : pf24bit);
    bmp.SetSize(width, height);
    const int state = FormActive ? 1 : 0;
    // The skin's title on the border: the border image carries the frame and title background.
    const bool titleOnBorder = border && manager->SkinData.BorderMode == 1;
    const TRect frame{m.Left, m.Top, width - m.Right, height - m.Bottom};
    if (!manager->SectionIndexValid(SkinData->SkinIndex))
        bmp.Canvas().FillRect(frame);
    else if (titleOnBorder)
        PaintSectionBackground(SkinData->SkinIndex, SkinData->SkinSection(), NoBackgroundCacheInfo, state, frame,
                               {frame.Left, frame.Top}, &bmp, manager, SkinData->TextureIndex,
                               SkinData->HotTextureIndex, TransparentKeyColor);
    else
        PaintControlSection(*SkinData, NoBackgroundCacheInfo, true, state, frame, {frame.Left, frame.Top}, &bmp,
                            false);
    if (CaptionHeight(true) > 0 && !titleOnBorder)
        PaintTitle(bmp);
    if (border)
        PaintExtBorder(bmp);
    const int titleHeight = TitleBottom();
    if (!TitleBmp || TitleBmp->Width() != width || TitleBmp->Height() != titleHeight ||
        TitleBmp->PixelFormat() != bmp.PixelFormat()) {
        TitleBmp = std::make_unique<TBitmap>();
        TitleBmp->SetPixelFormat(bmp.PixelFormat());
        TitleBmp->SetSize(width, std::max(titleHeight, 0));
    }
    if (titleHeight > 0)
        BitBlt(TitleBmp->Canvas().Handle(), 0, 0, width, titleHeight, bmp.Canvas().Handle(), 0, 0, SRCCOPY);
    if (CaptionHeight(true) > 0)
        PaintTitleButtons(bmp);
    SkinData->BackgroundChanged = false;
}

void TacDialogWnd::PaintExtBorder(TBitmap& bmp)
{
    TsSkinManager* manager = ManagerOf(SkinData);
    const TRect m = ExtBorderMargins();
    const bool titleOnBorder = manager->SkinData.BorderMode == 1;
    const std::unique_ptr<TBitmap> shadow = LayBorderShadow(bmp, *manager, m, FormActive, titleOnBorder);
    if (titleOnBorder) {
        if (CaptionHeight(true) > 0)
            PaintOpaqueBand(bmp, TitleBottom(), [&] { PaintTitle(bmp); });
        return;
    }
    if (!shadow)
        return;
    // The top corners are the title's, which is painted over the dialog's frame.
    const int titleIndex = CaptionHeight(true) > 0 ? manager->FindSection("FORMTITLE") : -1;
    const int titleMask =
        manager->SectionIndexValid(titleIndex) ? manager->GeneralDataArray[static_cast<size_t>(titleIndex)].BorderIndex : -1;
    const int topMask = manager->MaskIndexValid(titleMask) ? titleMask : SkinData->BorderIndex;
    RestoreFrameCorners(bmp, *shadow, *manager, m, topMask, SkinData->BorderIndex);
}

void TacDialogWnd::PaintTitle(TBitmap& bmp)
{
    TsSkinManager* manager = ManagerOf(SkinData);
    const int titleIndex = manager->FindSection("FORMTITLE");
    const TRect m = ExtBorderMargins();
    const TRect strip{m.Left, m.Top, bmp.Width() - m.Right, TitleBottom()};
    // On the border the title strip is the border image's.
    if (titleIndex >= 0 && !(FBorderForm && manager->SkinData.BorderMode == 1))
        PaintSectionByIndex(titleIndex, "FORMTITLE", CacheInfoFromBitmap(&bmp, 0, 0), true, FormActive ? 1 : 0, strip,
                            {strip.Left, strip.Top}, &bmp, manager, -1, -1);
    if (IconBmp) {
        TRect r;
        IconRect(r);
        CopyKeyed(*IconBmp, bmp, {r.Left, r.Top}, clFuchsia);
    }
    PaintCaptionText(bmp);
}

void TacDialogWnd::PaintCaptionText(TBitmap& bmp)
{
    TsSkinManager* manager = ManagerOf(SkinData);
    WndText = GetWndTextW(CtrlHandle);
    const TRect m = ExtBorderMargins();
    TRect iconRect;
    IconRect(iconRect);
    TRect r;
    r.Left = FormBorderWidth(true) + (IconBmp ? iconRect.Width() : 0) + 4 + manager->SkinData.BILeft + m.Left;
    r.Top = m.Top + 2;
    r.Right = bmp.Width() - TitleButtonsWidth() - 6 - m.Right;
    r.Bottom = TitleBottom();
    if (FBorderForm && manager->SkinData.BorderMode == 1) {
        r.Top += manager->SkinData.CenterOffset;
        r.Bottom += manager->SkinData.CenterOffset;
    }
    if (r.Right <= r.Left || r.Bottom <= r.Top || WndText.empty())
        return;
    const bool hasCaption = manager->SectionIndexValid(CaptionIndex);
    const int sectionIndex = hasCaption ? CaptionIndex : manager->FindSection("FORMTITLE");
    TColor colour = clCaptionText;
    if (manager->SectionIndexValid(sectionIndex)) {
        const TsGeneralData& s = manager->GeneralDataArray[static_cast<size_t>(sectionIndex)];
        colour = FormActive ? s.HotFontColor[0] : s.FontColor[0];
    }
    TCanvas& canvas = bmp.Canvas();
    HDC dc = canvas.Handle();
    // Children adapted while the frame is prepared may have the frame painted before the
    // preparation has made the font.
    if (!CaptionFont)
        MakeCaptionFont();
    ks::SelectGuard font(dc, CaptionFont->Handle());
    if (hasCaption) {
        RECT extent{r.Left, r.Top, r.Right, r.Bottom};
        DrawTextW(dc, WndText.c_str(), static_cast<int>(WndText.size()), &extent, CaptionDrawFlags | DT_CALCRECT);
        const int textHeight = extent.bottom - extent.top;
        const int top = r.Top + (r.Height() - textHeight) / 2;
        const TRect plate{r.Left - 2, top - 1, std::min<int>(extent.right, r.Right) + 2, top + textHeight + 1};
        PaintSectionByIndex(CaptionIndex, "CAPTION", CacheInfoFromBitmap(&bmp, 0, 0), true, FormActive ? 1 : 0, plate,
                            {0, 0}, &bmp, manager, -1, -1);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(colour));
    RECT textRect{r.Left, r.Top, r.Right, r.Bottom};
    DrawTextW(dc, WndText.c_str(), static_cast<int>(WndText.size()), &textRect, CaptionDrawFlags);
}

void TacDialogWnd::PaintTitleButton(TBitmap& bmp, TitleButtonRec& button, int x, bool enabled, int imageIndex)
{
    TsSkinManager* manager = ManagerOf(SkinData);
    const int marginTop = ExtBorderMargins().Top;
    const bool zoomed = FBorderForm && IsZoomed(CtrlHandle);
    button.Rect.Right = x;
    button.Rect.Left = x - ButtonWidth(button);
    button.Rect.Top =
        (CaptionHeight(true) - ButtonHeight(button.ImageIndex) + BorderWidthIfNoExtBorders(true)) / 2 + marginTop;
    if (zoomed)
        button.Rect.Top += FormBorderWidth(false) / 2;
    if (FBorderForm && manager->SkinData.BorderMode == 1)
        button.Rect.Top += manager->SkinData.CenterOffset;
    if (button.BigGlyph && manager->SkinData.BIVAlign == 1)
        button.Rect.Top = marginTop + (zoomed ? 3 : 0);
    button.Rect.Bottom = button.Rect.Top + ButtonHeight(button.ImageIndex);
    const TsMaskData* mask = MaskAt(manager, imageIndex);
    if (!mask)
        return;
    const int cells = std::max<int>(mask->ImageCount, 1);
    const int state = std::min(enabled ? button.State : 0, cells - 1);
    const bool grey = !enabled || (!FormActive && button.State == 0);
    PaintStateGlyph(bmp, {button.Rect.Left, button.Rect.Top}, state, grey ? 0 : 1, *mask,
                    CacheInfoFromBitmap(&bmp, 0, 0));
}

void TacDialogWnd::PaintTitleButtons(TBitmap& bmp)
{
    if (!HasSysMenu())
        return;
    TsSkinManager* manager = ManagerOf(SkinData);
    const int global = manager->FindSection("GLOBALINFO");
    int normalIndex = manager->FindMask(global, "GLOBALINFO", "BICONNORM");
    if (!manager->MaskIndexValid(normalIndex))
        normalIndex = manager->FindMask(SkinData->SkinIndex, SkinData->SkinSection(), "BICONNORM");
    const HWND wnd = CtrlHandle;
    const bool zoomed = IsZoomed(wnd) != FALSE;
    const bool iconic = IsIconic(wnd) != FALSE;
    // The spacing counts only between big glyphs.
    auto advance = [&](const TitleButtonRec& b) { return b.Rect.Left - (b.BigGlyph ? manager->SkinData.BISpace : 0); };
    int x = bmp.Width() - manager->SkinData.BIRight - ExtBorderMargins().Right - FormBorderWidth(true);
    const bool closeEnabled = !(GetClassLongPtrW(wnd, GCL_STYLE) & CS_NOCLOSE);
    PaintTitleButton(bmp, BtnClose, x, closeEnabled, BtnClose.ImageIndex);
    x = advance(BtnClose);
    if (HasMaxBox()) {
        if (zoomed)
            PaintTitleButton(bmp, BtnMax, x, CanRestore(), normalIndex);
        else
            PaintTitleButton(bmp, BtnMax, x, CanMaximize(), BtnMax.ImageIndex);
        x = advance(BtnMax);
    }
    if (HasMinBox()) {
        if (iconic)
            PaintTitleButton(bmp, BtnMin, x, CanRestore(), normalIndex);
        else
            PaintTitleButton(bmp, BtnMin, x, CanMinimize(), BtnMin.ImageIndex);
        x = advance(BtnMin);
    }
    if (HasHelpButton())
        PaintTitleButton(bmp, BtnHelp, x, true, BtnHelp.ImageIndex);
}

void TacDialogWnd::RepaintTitleButton(int hitCode)
{
    TitleButtonRec* button = ButtonOf(hitCode);
    TsSkinManager* manager = ManagerOf(SkinData);
    TBitmap* bmp = SkinData->CacheBitmap.get();
    if (!button || !manager || !bmp || !TitleBmp || !CtrlHandle || !IsWindowVisible(CtrlHandle) ||
        CaptionHeight(true) == 0 || button->Rect.Width() <= 0)
        return;
    const bool iconic = IsIconic(CtrlHandle) != FALSE;
    const int global = manager->FindSection("GLOBALINFO");
    int imageIndex = button->ImageIndex;
    bool enabled = true;
    if (button == &BtnMin) {
        enabled = iconic ? CanRestore() : CanMinimize();
        if (iconic)
            imageIndex = manager->FindMask(global, "GLOBALINFO", "BICONNORM");
    } else if (button == &BtnMax) {
        enabled = IsZoomed(CtrlHandle) ? CanRestore() : CanMaximize();
        if (IsZoomed(CtrlHandle))
            imageIndex = manager->FindMask(global, "GLOBALINFO", "BICONNORM");
        if (iconic) {
            imageIndex = button->ImageIndex;
            enabled = CanMaximize();
        }
    } else if (button == &BtnClose) {
        enabled = !(GetClassLongPtrW(CtrlHandle, GCL_STYLE) & CS_NOCLOSE);
    }
    // A glowing skin fades the hot or pressed look in over the button; the image keeps the
    // normal look beneath, painted again when the button goes back to normal.
    if (manager->AllowGlowing()) {
        TitleAnimationOwner owner;
        owner.Owner = Application;
        owner.Wnd = CtrlHandle;
        owner.SkinData = SkinData;
        owner.BorderForm = FBorderForm.get();
        StartSBAnimation(*button, button->State, button->State == 2 ? 1 : 10, owner, enabled);
        if (button->State != 0)
            return;
    }
    TRect iconRect;
    IconRect(iconRect);
    if (button->Rect.Left <= iconRect.Right)
        return;
    // The title behind the button, right edges aligned, cut to the copy of the strip.
    const int srcX = TitleBmp->Width() - (bmp->Width() - button->Rect.Left);
    const int w = std::min(button->Rect.Width(), TitleBmp->Width() - srcX);
    const int h = std::min(button->Rect.Bottom, TitleBmp->Height()) - button->Rect.Top;
    if (srcX >= 0 && w > 0 && h > 0 && button->Rect.Top >= 0)
        BitBlt(bmp->Canvas().Handle(), button->Rect.Left, button->Rect.Top, w, h, TitleBmp->Canvas().Handle(), srcX,
               button->Rect.Top, SRCCOPY);
    PaintTitleButton(*bmp, *button, button->Rect.Right, enabled, imageIndex);
    ShowTitleButton(*bmp, *button);

    if (FGlowId >= 0) {
        HideGlowEffect(FGlowId);
        FGlowId = -1;
    }
    struct GlowKeys {
        const TitleButtonRec* Button;
        int16_t TsSkinData::*Size;
        int16_t TsSkinData::*Margin;
    };
    const GlowKeys glows[] = {{&BtnMin, &TsSkinData::BIMinGlow, &TsSkinData::BIMinGlowMargin},
                              {&BtnMax, &TsSkinData::BIMaxGlow, &TsSkinData::BIMaxGlowMargin},
                              {&BtnClose, &TsSkinData::BICloseGlow, &TsSkinData::BICloseGlowMargin}};
    for (const GlowKeys& g : glows) {
        if (g.Button != button || button->State != 1 || manager->SkinData.*g.Size < 1 ||
            !manager->MaskIndexValid(imageIndex))
            continue;
        const TPoint origin = ImageOrigin();
        const TRect screen{origin.X + button->Rect.Left, origin.Y + button->Rect.Top, origin.X + button->Rect.Right,
                           origin.Y + button->Rect.Bottom};
        const TsMaskData& mask = manager->MaskArray[static_cast<size_t>(imageIndex)];
        FGlowId = ShowGlowEffect(screen, TRect{0, 0, screen.Width(), screen.Height()}, "GLOBALINFO",
                                 mask.PropertyName + "GLOW", manager->SkinData.*g.Margin, 255, CtrlHandle, manager);
    }
}

void TacDialogWnd::ShowTitleButton(TBitmap& bmp, const TitleButtonRec& button)
{
    if (FBorderForm) {
        FBorderForm->ImageChanged = true;
        FBorderForm->UpdateBorderWindow(true, 255);
        return;
    }
    ks::WindowDC dc(CtrlHandle, ks::WindowDC::WholeWindow);
    ks::UnmirroredDC unmirrored(dc.get());
    BitBlt(dc.get(), button.Rect.Left, button.Rect.Top, button.Rect.Width(), button.Rect.Height(),
           bmp.Canvas().Handle(), button.Rect.Left, button.Rect.Top, SRCCOPY);
}

TPoint TacDialogWnd::ImageOrigin() const
{
    RECT r{};
    const HWND shown = FBorderForm && FBorderForm->WindowHandle() ? FBorderForm->WindowHandle() : CtrlHandle;
    GetWindowRect(shown, &r);
    return {r.left, r.top};
}

// ---- region ------------------------------------------------------------------------------------

void TacDialogWnd::RebuildRgnPieces()
{
    RgnPieces.clear();
    TsSkinManager* manager = ManagerOf(SkinData);
    if (!manager)
        return;
    RECT wr{};
    GetWindowRect(CtrlHandle, &wr);
    const int width = wr.right - wr.left;
    const int height = wr.bottom - wr.top;
    if (const TsMaskData* border = MaskAt(manager, SkinData->BorderIndex))
        AddTransparentPieces(*border, TRect{0, 0, width, height}, RgnPieces);
    const int titleIndex = manager->FindSection("FORMTITLE");
    const int titleMask = titleIndex >= 0 ? manager->FindMask(titleIndex, "FORMTITLE", "BORDERSMASK") : -1;
    const int titleHeight = TitleBottom();
    if (const TsMaskData* title = MaskAt(manager, titleMask); title && titleHeight > 0)
        AddTransparentPieces(*title, TRect{0, 0, width, titleHeight}, RgnPieces);
}

void TacDialogWnd::UpdateWndRegion(bool redraw)
{
    const HWND wnd = CtrlHandle;
    if (!wnd || !IsWindow(wnd))
        return;
    if (!IsIconic(wnd) && BorderKind == 2)
        return;
    if (static_cast<WPARAM>(SendMessageW(wnd, CM_KEEPS_REGION, KeepsRegionAnswer, 0)) == KeepsRegionAnswer)
        return;
    RegionUpdating = true;
    RECT wr{};
    GetWindowRect(wnd, &wr);
    ks::GdiRegion region;
    if (FBorderForm) {
        // The border window shows the frame: the dialog's own window keeps its client area.
        const int b = FormBorderWidth(false);
        region = ks::GdiRegion(CreateRectRgn(b, BorderWidthIfNoExtBorders(false) + CaptionHeight(false) + b,
                                             wr.right - wr.left - b, wr.bottom - wr.top - b));
        SetWindowRgn(wnd, region.release(), redraw ? TRUE : FALSE);
        RegionUpdating = false;
        return;
    }
    const int width = wr.right - wr.left;
    region = ks::GdiRegion(CreateRectRgn(0, 0, width, wr.bottom - wr.top));
    // The platform mirrors a right-to-left window's region as it mirrors its DCs; the pieces go
    // where the frame, laid out unmirrored, has its corners.
    const bool mirrored = (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    for (const TRect& piece : RgnPieces) {
        const int left = mirrored ? width - piece.Right : piece.Left;
        const int right = mirrored ? width - piece.Left : piece.Right;
        ks::GdiRegion cut(CreateRectRgn(left, piece.Top, right, piece.Bottom));
        CombineRgn(region.get(), region.get(), cut.get(), RGN_DIFF);
    }
    // The system owns the region from here on.
    SetWindowRgn(wnd, region.release(), redraw ? TRUE : FALSE);
    RegionUpdating = false;
}

// ---- output ------------------------------------------------------------------------------------

// What lies inside the frame, in window coordinates: the client area and the skinned scroll bars
// beside it, which the scroll-bar engine paints.
TRect TacDialogWnd::InsideFrame() const
{
    TRect inside = PlatformClientRect(CtrlHandle);
    RECT wr{};
    GetWindowRect(CtrlHandle, &wr);
    auto add = [&](const TacScrollBar* bar, void (*barRect)(const TacScrollWnd*, HWND, TRect&)) {
        if (!bar || !bar->ScrollVisible)
            return;
        TRect r;
        barRect(this, CtrlHandle, r);
        if (r.Width() <= 0 || r.Height() <= 0)
            return;
        inside.Left = std::min<int>(inside.Left, r.Left - wr.left);
        inside.Top = std::min<int>(inside.Top, r.Top - wr.top);
        inside.Right = std::max<int>(inside.Right, r.Right - wr.left);
        inside.Bottom = std::max<int>(inside.Bottom, r.Bottom - wr.top);
    };
    add(HBar.get(), &GetHScrollRect);
    add(VBar.get(), &GetVScrollRect);
    return inside;
}

void TacDialogWnd::CopyFrameTo(HDC dc)
{
    TBitmap* bmp = SkinData->CacheBitmap.get();
    if (!bmp)
        return;
    RECT wr{};
    GetWindowRect(CtrlHandle, &wr);
    const int width = std::min<int>(wr.right - wr.left, bmp->Width());
    const int height = std::min<int>(wr.bottom - wr.top, bmp->Height());
    const TRect inside = InsideFrame();
    const int left = std::max(0, inside.Left);
    const int top = std::max(0, inside.Top);
    const int right = std::min(width, inside.Right);
    const int bottom = std::min(height, inside.Bottom);
    // The frame is laid out in window coordinates, as the hit test reads them.
    ks::UnmirroredDC unmirrored(dc);
    HDC src = bmp->Canvas().Handle();
    BitBlt(dc, 0, 0, width, top, src, 0, 0, SRCCOPY);
    BitBlt(dc, 0, top, left, bottom - top, src, 0, top, SRCCOPY);
    BitBlt(dc, 0, bottom, width, height - bottom, src, 0, bottom, SRCCOPY);
    BitBlt(dc, right, top, width - right, bottom - top, src, right, top, SRCCOPY);
}

bool TacDialogWnd::WMNCPaint(TMessage& m)
{
    const HWND wnd = CtrlHandle;
    if (!IsWindowVisible(wnd))
        return false;
    GetWndPosition(wnd, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    WndText = GetWndTextW(wnd);
    AdaptNewChildren();
    if (Destroyed)
        return false;
    const bool captionless = (WndStyle & WS_POPUP) && (WndStyle & WS_CAPTION) != WS_CAPTION &&
                             !(WndStyle & WS_THICKFRAME);
    if (FrameChanged && !RegionUpdating && !captionless) {
        RebuildRgnPieces();
        FrameChanged = false;
        UpdateWndRegion(true);
    }
    if (!FBorderForm) {
        if (SkinData->BackgroundChanged)
            PaintNonClient();
        ks::WindowDC dc(wnd, ks::WindowDC::WholeWindow);
        CopyFrameTo(dc.get());
    }
    SkinData->SetUpdating(false);
    RegionUpdating = false;
    m.Result = 1;
    // The bars lie inside the frame, on the dialog's own window also under a border window.
    const bool bars = (HBar && HBar->ScrollVisible) || (VBar && VBar->ScrollVisible);
    if (bars && !Scrolling)
        DrawScrollBars(this, wnd, nullptr, CurrentScrollTracking().PressedHotPortion);
    if (Destroyed)
        return true;
    if (FBorderForm && !IsWindowVisible(FBorderForm->WindowHandle()) && !PaintLock) {
        FBorderForm->UpdateBorderWindow(true, 255);
        // Windows: under desktop composition showing the border window takes the focus away.
        if (ks::Sys().CompositionEnabled && ks::Sys().CompositionEnabled())
            SetFocus(wnd);
    }
    return true;
}

void TacDialogWnd::WMEraseBkgnd(TMessage& m)
{
    const HWND wnd = CtrlHandle;
    GetWndPosition(wnd, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    if (!ChildrenAdapted) {
        ChildrenAdapted = true;
        AdaptNewChildren();
        if (Destroyed) {
            CallPrev(m);
            return;
        }
    }
    SkinData->SetUpdating(false);
    if (SkinData->BackgroundChanged)
        PaintNonClient();
    TBitmap* bmp = SkinData->CacheBitmap.get();
    if (!bmp) {
        CallPrev(m);
        return;
    }
    std::optional<ks::WindowDC> own;
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (!dc) {
        own.emplace(wnd, ks::WindowDC::Client);
        dc = own->get();
    }
    {
        ks::SavedDC saved(dc);
        for (HWND child = GetTopWindow(wnd); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child))
                continue;
            const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
            wchar_t cls[16]{};
            GetClassNameW(child, cls, 16);
            const bool groupLike = (style & 7) == 7;
            const bool tabStatic = lstrcmpiW(cls, L"static") == 0 && (style & WS_TABSTOP);
            if (groupLike || tabStatic)
                continue;
            RECT r{};
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&r), 2);
            ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
        RECT cr{};
        GetClientRect(wnd, &cr);
        // The children are cut out in the DC's own coordinates above; the picture continues the
        // frame's, laid out left to right.
        ks::UnmirroredDC unmirrored(dc);
        BitBlt(dc, 0, 0, cr.right, cr.bottom, bmp->Canvas().Handle(), ClientOffsetX(), ClientOffsetY(), SRCCOPY);
    }
    SendChildWindowsCommand6(wnd);
    m.Result = 1;
}
