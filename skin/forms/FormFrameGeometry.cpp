#include "skin/forms/FormFrameGeometry.h"

#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/adapters/SkinnedScrollBars.h"
#include "skin/core/ColorRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/WinRoutines.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/FrameLayout.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/sMDIForm.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Bitmap.h"
#include "vcl/Menus.h"
#include "vcl/PlatformSeams.h"

#include <algorithm>
#include <vector>

namespace {

// Title buttons without a usable image keep this size; so do maximised-child buttons below.
constexpr int DefaultButtonSize = 21;
constexpr int DefaultMDIButtonSize = 16;

int Metric(int index)
{
    return ks::Sys().GetSystemMetrics(index);
}

unsigned SettingsGeneration = 0;

LONG_PTR StyleOf(HWND wnd)
{
    return wnd ? GetWindowLongPtrW(wnd, GWL_STYLE) : 0;
}

// The size of the rectangle query gives for the window; 0 x 0 without a window or an answer.
SIZE RectSize(HWND wnd, BOOL(WINAPI* query)(HWND, LPRECT))
{
    RECT r{};
    if (!wnd || !query(wnd, &r))
        return {0, 0};
    return {r.right - r.left, r.bottom - r.top};
}

bool SkinLoaded(const TsSkinManager* manager)
{
    return manager && manager->SkinData.SkinActive;
}

const TsMaskData* MaskOf(const TsSkinManager* manager, int index)
{
    if (!manager || !manager->MaskIndexValid(index))
        return nullptr;
    return &manager->MaskArray[static_cast<size_t>(index)];
}

// The glyphs are looked up while the manager tells its forms of a new skin, when the skin is in
// place but not yet marked active: a lookup that waited for the mark would find no buttons.
int CommittedGlobalMask(const TsSkinManager* manager, std::string_view key)
{
    return manager ? manager->FindMask(manager->CommonIndexes.GlobalInfoIndex, "GLOBALINFO", key) : -1;
}

bool OwnBitmap(const TsMaskData& mask)
{
    return mask.Bmp && !mask.Bmp->Empty();
}

// The height of a title or MDI button: half of an image with its own bitmap, else one row of
// the master bitmap's image; fallback without an image.
int ButtonCellHeight(const TsMaskData* mask, int fallback)
{
    if (!mask)
        return fallback;
    if (OwnBitmap(*mask))
        return mask->Bmp->Height() / 2;
    return ks::frame::DivSafe(mask->R.Height(), mask->MaskType + 1);
}

bool IsToolWindow(const TCustomForm& form)
{
    return form.BorderStyle() == bsToolWindow || form.BorderStyle() == bsSizeToolWin;
}

// Whether a skinned owner-draw handler of the manager's menus draws the item.
bool CarriesSkinnedHandlers(const TMenuItem* item, const TsSkinManager* manager)
{
    return manager && manager->SkinnableMenus() &&
           item->OnAdvancedDrawItem().Method().Data == static_cast<const void*>(manager->SkinnableMenus());
}

} // namespace

unsigned SystemSettingsGeneration() noexcept
{
    return SettingsGeneration;
}

void SystemSettingsChanged() noexcept
{
    ++SettingsGeneration;
}

// ---- free measures

int FormBorderWidth(HWND wnd, TsSkinManager* manager, bool borderForm, bool fromSkin)
{
    if (fromSkin && borderForm) {
        const int w = SkinnedBorderWidth(manager, true);
        if (w != 0)
            return w;
    }
    return PlatformFrameWidth(StyleOf(wnd));
}

int BorderWidthIfNoExtBorders(HWND wnd, TsSkinManager* manager, bool borderForm, bool fromSkin)
{
    return borderForm ? 0 : FormBorderWidth(wnd, manager, borderForm, fromSkin);
}

int SkinnedTitleHeight(TsSkinManager* manager, bool borderForm)
{
    // A skin value out of reason never sizes a bitmap: it is taken as no value.
    return borderForm && SkinLoaded(manager) ? FrameTitleHeight(manager->SkinData) : 0;
}

int SkinnedBorderWidth(TsSkinManager* manager, bool borderForm)
{
    return borderForm && SkinLoaded(manager) ? FrameBorderWidth(manager->SkinData) : 0;
}

int WndWidth(HWND wnd)
{
    return RectSize(wnd, GetWindowRect).cx;
}

int WndHeight(HWND wnd)
{
    return RectSize(wnd, GetWindowRect).cy;
}

int ClientWidthOf(HWND wnd)
{
    return RectSize(wnd, GetClientRect).cx;
}

int ClientHeightOf(HWND wnd)
{
    return RectSize(wnd, GetClientRect).cy;
}

// ---- the provider's frame

namespace {

// The form's own band inside its frame.
int InnerBorderOf(const TCustomForm* form)
{
    return form ? form->BorderWidth() : 0;
}

} // namespace

bool TsSkinProvider::HaveBorder() const
{
    return Form && (Form->BorderStyle() != bsNone || Form->FormStyle() == fsMDIChild);
}

bool TsSkinProvider::IsSizeable() const
{
    return (StyleOf(FormWnd()) & WS_THICKFRAME) != 0;
}

bool TsSkinProvider::IsSingleOrSizeable() const
{
    return Form && (Form->BorderStyle() == bsSingle || Form->BorderStyle() == bsSizeable);
}

bool TsSkinProvider::IsSizeBox() const
{
    return FGripMode == gmRightBottom && Form && Form->WindowState() != wsMaximized && IsSizeable();
}

TRect TsSkinProvider::ExtBorderMargins() const
{
    const TsSkinManager* manager = ProviderSkinManager();
    if (!BorderForm || !SkinLoaded(manager))
        return {0, 0, 0, 0};
    const TRect& m = manager->ShadowMargins;
    return {std::max(0, m.Left), std::max(0, m.Top), std::max(0, m.Right), std::max(0, m.Bottom)};
}

int TsSkinProvider::CaptionHeight(bool fromSkin) const
{
    const HWND wnd = FormWnd();
    if (!wnd)
        return 0;
    const bool iconic = IsIconic(wnd) != FALSE;
    const bool hasCaption = (HaveBorder() && (StyleOf(wnd) & WS_CAPTION) == WS_CAPTION) || iconic;
    if (!hasCaption)
        return 0;
    const int skinned = fromSkin ? SkinnedTitleHeight(ProviderSkinManager(), BorderForm != nullptr) : 0;
    // The frame asks for its height some twenty times a paint, and under Wine each reading of
    // the system's caption height costs tens of microseconds: it is read once, and again only
    // after the system's settings change.
    if (SystemCaptionGeneration != SystemSettingsGeneration()) {
        SystemCaptionGeneration = SystemSettingsGeneration();
        SystemCaptionHeightCache[0] = SystemCaptionHeightCache[1] = -1;
    }
    const bool small = IsToolWindow(*Form);
    int& system = SystemCaptionHeightCache[small ? 1 : 0];
    if (system < 0)
        system = Metric(small ? SM_CYSMCAPTION : SM_CYCAPTION);
    return ks::frame::CaptionHeightOf(hasCaption, skinned, RaiseCaptionHeight, system);
}

int TsSkinProvider::FrameWidthX(bool fromSkin) const
{
    return FormBorderWidth(FormWnd(), ProviderSkinManager(), BorderForm != nullptr, fromSkin) +
           InnerBorderOf(Form);
}

int TsSkinProvider::FrameWidthY(bool fromSkin) const
{
    return BorderWidthIfNoExtBorders(FormWnd(), ProviderSkinManager(), BorderForm != nullptr, fromSkin) +
           InnerBorderOf(Form);
}

int TsSkinProvider::BorderWidthDelta() const
{
    const HWND wnd = FormWnd();
    TsSkinManager* manager = ProviderSkinManager();
    const bool border = BorderForm != nullptr;
    return FormBorderWidth(wnd, manager, border, true) - FormBorderWidth(wnd, manager, border, false);
}

int TsSkinProvider::TitleHeightDelta() const
{
    return CaptionHeight(true) - CaptionHeight(false) -
           FormBorderWidth(FormWnd(), ProviderSkinManager(), BorderForm != nullptr, false);
}

int TsSkinProvider::SkinnedWindowWidth() const
{
    const HWND wnd = FormWnd();
    if (!wnd)
        return 0;
    const TRect m = ExtBorderMargins();
    int width;
    if (IsIconic(wnd))
        width = WndWidth(wnd);
    else {
        width = Form->Width();
        if (BorderForm) {
            const int delta = FrameWidthX(true) - FrameWidthX(false);
            width += 2 * delta;
        }
    }
    return width + m.Left + m.Right;
}

namespace {

int ShownBarSize(const TacScrollWnd* adapter, int which)
{
    if (!adapter)
        return 0;
    const TacScrollBar* bar = which == SB_HORZ ? adapter->HBar.get() : adapter->VBar.get();
    if (!bar || !bar->ScrollVisible)
        return 0;
    return GetScrollMetric(bar, ScrollMetric::Thickness, true);
}

} // namespace

int TsSkinProvider::NonClientHeight() const
{
    const HWND wnd = FormWnd();
    if (!wnd)
        return 0;
    TsSkinManager* manager = ProviderSkinManager();
    int h;
    if (BorderForm)
        h = BorderWidthIfNoExtBorders(wnd, manager, true, false) + CaptionHeight(true);
    else {
        h = WndHeight(wnd) - ClientHeightOf(wnd);
        if (CaptionHeight(true) != 0 || (StyleOf(wnd) & WS_BORDER))
            h -= FrameWidthY(true);
    }
    h = std::max(0, h);
    if (IsIconic(wnd))
        h += BorderWidthIfNoExtBorders(wnd, manager, BorderForm != nullptr, false);
    if (FSkinData && FSkinData->IsSkinActive())
        h -= ShownBarSize(ScrollAdapter, SB_HORZ);
    return h;
}

int TsSkinProvider::SystemMenuBarTop() const
{
    const HWND wnd = FormWnd();
    TsSkinManager* manager = ProviderSkinManager();
    const bool border = BorderForm != nullptr;
    const int sysFrame = FormBorderWidth(wnd, manager, border, false);
    const int sysCaption = CaptionHeight(false);
    return RaiseCaptionHeight ? sysFrame + sysCaption - 4
                              : BorderWidthIfNoExtBorders(wnd, manager, border, false) + sysCaption + sysFrame;
}

int TsSkinProvider::ClientOffsetX() const
{
    const HWND wnd = FormWnd();
    if (!wnd)
        return 0;
    if (BorderForm)
        return FrameWidthX(true) + ExtBorderMargins().Left;
    return (WndWidth(wnd) - ClientWidthOf(wnd) - ShownBarSize(ScrollAdapter, SB_VERT)) / 2;
}

int TsSkinProvider::ClientOffsetY() const
{
    const HWND wnd = FormWnd();
    if (!wnd)
        return 0;
    if (BorderForm)
        return CaptionHeight(true) + MenuLineCount() * MenuBarHeight() + InnerBorderOf(Form) + ExtBorderMargins().Top;
    int y = WndHeight(wnd) - ClientHeightOf(wnd);
    if (StyleOf(wnd) & WS_BORDER)
        y -= FrameWidthX(true);
    return y - ShownBarSize(ScrollAdapter, SB_HORZ);
}

TPoint TsSkinProvider::FormOrigin() const
{
    const HWND wnd = FormWnd();
    if (!wnd)
        return {0, 0};
    if (Form->FormStyle() != fsMDIChild) {
        RECT r{};
        GetWindowRect(wnd, &r);
        return {r.left, r.top};
    }
    // The client's left edge on the screen: a mirrored child (in a mirrored MDI client) maps its
    // client point (0, 0) to the client's right edge, while the frame is laid out from the left.
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    GetWindowInfo(wnd, &info);
    const POINT p{info.rcClient.left, info.rcClient.top};
    TsSkinManager* manager = ProviderSkinManager();
    const bool border = BorderForm != nullptr;
    int dy = BorderWidthIfNoExtBorders(wnd, manager, border, true);
    if (!IsIconic(wnd))
        dy += CaptionHeight(true);
    return {p.x - FormBorderWidth(wnd, manager, border, true), p.y - dy};
}

TPoint TsSkinProvider::ScreenToFormPoint(int x, int y) const
{
    const TPoint origin = FormOrigin();
    return {x - origin.X, y - origin.Y};
}

// ---- menu line

int TsSkinProvider::MenuBarHeight() const
{
    return Form && Form->Menu() ? Metric(SM_CYMENU) - 1 : 0;
}

bool TsSkinProvider::MainMenuVisible() const
{
    if (!Form || !Form->Menu() || Form->BorderStyle() == bsDialog || Form->FormStyle() == fsMDIChild)
        return false;
    const TMenuItem* items = Form->Menu()->Items();
    for (int i = 0; i < items->Count(); ++i)
        if (items->Items(i)->Visible())
            return true;
    // The active child's menu merges into the main form's line.
    if (TCustomForm* child = IsMDIMainForm(Form) && Form->ClientHandle() ? Form->ActiveMDIChild() : nullptr)
        if (TMainMenu* childMenu = child->Menu())
            for (int i = 0; i < childMenu->Items()->Count(); ++i)
                if (childMenu->Items()->Items(i)->Visible())
                    return true;
    return false;
}

int TsSkinProvider::MenuLineCount() const
{
    if (MenuLineCountCache != -1)
        return MenuLineCountCache;
    const HWND wnd = FormWnd();
    if (!wnd || !Form->Menu())
        return 1;
    const TsSkinManager* manager = ProviderSkinManager();
    TMainMenu* menu = Form->Menu();
    const HMENU handle = GetMenu(wnd);
    // The rows as the system laid the bar out (a maximised MDI child's icon starts it; the
    // active child's merged items lie between the form's own by their groups).
    std::vector<int> tops;
    const int lead = TMenuItem::LeadingSystemEntries(handle);
    for (int i = 0; i < lead; ++i)
        if (RECT r{}; GetMenuItemRect(wnd, handle, static_cast<UINT>(i), &r))
            tops.push_back(r.top);
    UINT position = static_cast<UINT>(lead);
    for (const TMenuItem* item : menu->BarItems()) {
        RECT r{};
        if (CarriesSkinnedHandlers(item, manager) && handle && GetMenuItemRect(wnd, handle, position, &r))
            tops.push_back(r.top);
        ++position;
    }
    MenuLineCountCache = ks::frame::MenuRowsOf(tops);
    return MenuLineCountCache;
}

// ---- title icon and caption band

bool TsSkinProvider::TitleIconShown() const
{
    const HWND wnd = FormWnd();
    return wnd && IsSingleOrSizeable() && FShowAppIcon && GetSystemMenu(wnd, FALSE) != nullptr;
}

int TsSkinProvider::TitleIconWidth() const
{
    if (!TitleIconShown())
        return 0;
    return FTitleIcon->Width() != 0 ? FTitleIcon->Width() : IconSizeClass(CaptionHeight(true));
}

int TsSkinProvider::TitleIconHeight() const
{
    if (!TitleIconShown())
        return 0;
    return FTitleIcon->Height() != 0 ? FTitleIcon->Height() : IconSizeClass(CaptionHeight(true));
}

namespace {

// The shift of title parts that a border window draws with a raised or lowered title.
int TitleShift(const TsSkinManager* manager, bool maximized)
{
    const TsSkinData& s = manager->SkinData;
    int shift = s.CenterOffset;
    const int title = FrameTitleHeight(s), maxTitle = FrameMaxHeight(s);
    if (maximized && title != maxTitle)
        shift += (title - maxTitle) / 2 - 2;
    return shift;
}

} // namespace

TRect TsSkinProvider::IconRect() const
{
    const HWND wnd = FormWnd();
    TsSkinManager* manager = ProviderSkinManager();
    if (!wnd || !SkinLoaded(manager))
        return {0, 0, 0, 0};
    const bool border = BorderForm != nullptr;
    const TRect m = ExtBorderMargins();
    TRect r;
    r.Left = FormBorderWidth(wnd, manager, border, true) + manager->SkinData.BILeft + m.Left;
    r.Right = r.Left + TitleIconWidth();
    const int t0 = FormBorderWidth(wnd, manager, border, false) / 2 + m.Top - 1;
    const int bandBottom = BorderWidthIfNoExtBorders(wnd, manager, border, false) + CaptionHeight(true) + m.Top;
    const int h = TitleIconHeight();
    r.Top = ks::frame::CentredTop(t0, bandBottom, h);
    if (border)
        r.Top += TitleShift(manager, Form->WindowState() == wsMaximized);
    r.Bottom = r.Top + h;
    return r;
}

TRect TsSkinProvider::CaptionBandRect() const
{
    const HWND wnd = FormWnd();
    TsSkinManager* manager = ProviderSkinManager();
    if (!wnd || !SkinLoaded(manager))
        return {0, 0, 0, 0};
    const bool border = BorderForm != nullptr;
    const TRect m = ExtBorderMargins();
    TRect r;
    r.Left = FormBorderWidth(wnd, manager, border, true) + 4 + manager->SkinData.BILeft + m.Left;
    if (TitleIconShown())
        r.Left += IconRect().Width();
    if (manager->FindSection("CAPTION") >= 0)
        r.Left += 2;
    // The right margin is taken twice: the strip of buttons ends that far inside the frame.
    r.Right = SkinnedWindowWidth() - m.Right - TitleButtonsWidth() - 12 - m.Right;
    r.Top = IsZoomed(wnd) ? FormBorderWidth(wnd, manager, border, false) / 2 + m.Top + 1 : m.Top + 2;
    r.Bottom = BorderWidthIfNoExtBorders(wnd, manager, border, true) + CaptionHeight(true) + m.Top;
    if (border && manager->SkinData.BorderMode == 1) {
        const int shift = TitleShift(manager, Form->WindowState() == wsMaximized);
        r.Top += shift;
        r.Bottom += shift;
    }
    return r;
}

// ---- title buttons

int TsSkinProvider::SysButtonWidth(const TitleButtonRec& button) const
{
    const TsMaskData* mask = MaskOf(ProviderSkinManager(), button.ImageIndex);
    if (!mask)
        return DefaultButtonSize;
    if (OwnBitmap(*mask))
        return ks::frame::DivSafe(mask->Bmp->Width(), mask->ImageCount);
    return ks::frame::DivSafe(mask->R.Width(), mask->ImageCount);
}

int TsSkinProvider::SysButtonHeight() const
{
    return ButtonCellHeight(MaskOf(ProviderSkinManager(), ButtonClose.ImageIndex), DefaultButtonSize);
}

int TsSkinProvider::UserButtonWidth(const TsTitleButton& button) const
{
    const int glyph = button.Glyph() && !button.Glyph()->Empty() ? button.Glyph()->Width() + 2 : 0;
    const TsMaskData* mask = MaskOf(ProviderSkinManager(), UserButtonMaskIndex);
    const int cell = mask ? ks::frame::DivSafe(mask->R.Width(), mask->ImageCount) : DefaultButtonSize;
    return std::max(glyph, cell);
}

int TsSkinProvider::MDIButtonWidth() const
{
    const TsMaskData* mask = MaskOf(ProviderSkinManager(), MDIClose.ImageIndex);
    if (!mask)
        return DefaultMDIButtonSize;
    if (OwnBitmap(*mask))
        return mask->Bmp->Width() / 3;
    return ks::frame::DivSafe(mask->R.Width(), mask->ImageCount);
}

int TsSkinProvider::MDIButtonHeight() const
{
    return ButtonCellHeight(MaskOf(ProviderSkinManager(), MDIClose.ImageIndex), DefaultMDIButtonSize);
}

int TsSkinProvider::SysButtonCount() const
{
    if (!SystemMenu || !SystemMenu->VisibleClose())
        return 0;
    int count = 1;
    if (SystemMenu->VisibleMax())
        ++count;
    if (SystemMenu->VisibleMin())
        ++count;
    if (Form && Form->BorderIcons().Contains(biHelp))
        ++count;
    return count;
}

namespace {

// From the skin in place, marked active or not: the layout runs in the new-skin broadcast too.
int GapOf(const TsSkinProvider& provider, const TsSkinManager* manager)
{
    return provider.IsSingleOrSizeable() && manager ? manager->SkinData.BISpace : 0;
}

} // namespace

int TsSkinProvider::TitleButtonsWidth() const
{
    const TsSkinManager* manager = ProviderSkinManager();
    ks::frame::ButtonStrip strip;
    strip.BIRight = SkinLoaded(manager) ? manager->SkinData.BIRight : 0;
    strip.CloseVisible = SystemMenu && SystemMenu->VisibleClose();
    if (strip.CloseVisible) {
        strip.CloseWidth = SysButtonWidth(ButtonClose);
        strip.MaxVisible = SystemMenu->VisibleMax();
        strip.MaxWidth = SysButtonWidth(ButtonMax);
        strip.MinVisible = SystemMenu->VisibleMin();
        strip.MinWidth = SysButtonWidth(ButtonMin);
        strip.HelpVisible = Form->BorderIcons().Contains(biHelp);
        strip.HelpWidth = SysButtonWidth(ButtonHelp);
    }
    strip.Gap = GapOf(*this, manager);
    std::vector<int> users;
    for (int i = 0; i < FTitleButtons->Count(); ++i)
        users.push_back(UserButtonWidth(*FTitleButtons->Items(i)));
    strip.UserWidths = users;
    return ks::frame::TitleButtonsWidthOf(strip);
}

int TsSkinProvider::TitleBarImageWidth(int maskIndex) const
{
    const TsMaskData* mask = MaskOf(ProviderSkinManager(), maskIndex);
    int cell = 0;
    if (mask)
        cell = OwnBitmap(*mask) ? mask->Bmp->Width() / 9 : MaskCellWidth(*mask);
    return 2 * cell + TitleButtonsWidth();
}

TPoint TsSkinProvider::CornerImagePos(int maskIndex) const
{
    const TsMaskData* mask = MaskOf(ProviderSkinManager(), maskIndex);
    const TBitmap* cache = FSkinData ? FSkinData->CacheBitmap.get() : nullptr;
    if (!mask || !cache)
        return {0, 0};
    const TRect m = ExtBorderMargins();
    const int frame = FrameWidthX(true);
    return {cache->Width() - MaskCellWidth(*mask) - frame - m.Right - 1,
            cache->Height() - MaskCellHeight(*mask) - frame - m.Bottom - 1};
}

void TsSkinProvider::InitTitleButtonSections()
{
    const TsSkinManager* manager = ProviderSkinManager();
    const bool big = IsSingleOrSizeable() || CommittedGlobalMask(manager, "SICONCLOSE") < 0;
    if (big) {
        ButtonMin.ImageIndex = CommittedGlobalMask(manager, "BICONMIN");
        ButtonMax.ImageIndex = CommittedGlobalMask(manager, "BICONMAX");
        ButtonClose.ImageIndex = CommittedGlobalMask(manager, "BICONCLOSE");
        ButtonHelp.ImageIndex = CommittedGlobalMask(manager, "BICONHELP");
    } else {
        ButtonClose.ImageIndex = CommittedGlobalMask(manager, "SICONCLOSE");
        ButtonMin.ImageIndex = CommittedGlobalMask(manager, "SICONMIN");
        ButtonMax.ImageIndex = CommittedGlobalMask(manager, "SICONMAX");
        ButtonHelp.ImageIndex = CommittedGlobalMask(manager, "SICONHELP");
        if (ButtonHelp.ImageIndex < 0)
            ButtonHelp.ImageIndex = CommittedGlobalMask(manager, "BICONHELP");
    }
    for (TitleButtonRec* b : {&ButtonMin, &ButtonMax, &ButtonClose, &ButtonHelp})
        b->BigGlyph = big;
    const bool smallMDI = CommittedGlobalMask(manager, "SICONCLOSE") >= 0;
    MDIMin.ImageIndex = CommittedGlobalMask(manager, smallMDI ? "SICONMIN" : "BICONMIN");
    MDIMax.ImageIndex = CommittedGlobalMask(manager, smallMDI ? "SICONMAX" : "BICONMAX");
    MDIClose.ImageIndex = CommittedGlobalMask(manager, smallMDI ? "SICONCLOSE" : "BICONCLOSE");
    UserButtonMaskIndex = CommittedGlobalMask(manager, "TITLEBUTTON");
}

void TsSkinProvider::LayoutTitleButtons()
{
    const HWND wnd = FormWnd();
    TsSkinManager* manager = ProviderSkinManager();
    for (TitleButtonRec* b : {&ButtonMin, &ButtonMax, &ButtonClose, &ButtonHelp})
        b->Rect = {0, 0, 0, 0};
    for (int i = 0; i < FTitleButtons->Count(); ++i)
        FTitleButtons->Items(i)->BtnData.Rect = {0, 0, 0, 0};
    // The glyphs are those InitTitleButtonSections found, which the new-skin broadcast looks up
    // before the skin is marked active: the buttons are placed by the same skin then.
    if (!wnd || !manager || !SystemMenu)
        return;
    const TsSkinData& s = manager->SkinData;
    const bool border = BorderForm != nullptr;
    const TRect m = ExtBorderMargins();
    const int gap = GapOf(*this, manager);

    ks::frame::ButtonPlace place;
    place.MarginTop = m.Top;
    place.Maximized = Form->WindowState() == wsMaximized;
    place.Zoomed = IsZoomed(wnd) != FALSE;
    place.BorderForm = border;
    place.TitleHeight = FrameTitleHeight(s);
    place.MaxHeight = FrameMaxHeight(s);
    place.CenterOffset = s.CenterOffset;
    place.BorderMode = s.BorderMode;
    place.SystemFrame = FormBorderWidth(wnd, manager, border, false);
    place.Band = BorderWidthIfNoExtBorders(wnd, manager, border, true) + CaptionHeight(true);
    place.ButtonHeight = SysButtonHeight();
    place.SingleOrSizeable = IsSingleOrSizeable();

    int x = SkinnedWindowWidth() - s.BIRight - m.Right - FormBorderWidth(wnd, manager, border, true);
    auto placeButton = [&](TitleButtonRec& b, int width) {
        b.Rect.Right = x;
        b.Rect.Left = x - width;
        place.TopAligned = b.BigGlyph && s.BIVAlign == 1;
        b.Rect.Top = ks::frame::TitleButtonTop(place);
        b.Rect.Bottom = b.Rect.Top + place.ButtonHeight;
        x = b.Rect.Left - gap;
    };
    auto stateGlyph = [&](std::string_view fallback) {
        int index = CommittedGlobalMask(manager, "BICONNORM");
        if (index < 0 && FSkinData)
            index = manager->FindMask(FSkinData->SkinIndex, FSkinData->SkinSection(), "BICONNORM");
        return index >= 0 ? index : CommittedGlobalMask(manager, fallback);
    };

    if (SystemMenu->VisibleClose() && MaskOf(manager, ButtonClose.ImageIndex))
        placeButton(ButtonClose, SysButtonWidth(ButtonClose));
    if (SystemMenu->VisibleMax()) {
        ButtonMax.ImageIndex = IsZoomed(wnd) ? stateGlyph("BICONMAX") : CommittedGlobalMask(manager, "BICONMAX");
        if (MaskOf(manager, ButtonMax.ImageIndex))
            placeButton(ButtonMax, SysButtonWidth(ButtonMax));
    }
    if (SystemMenu->VisibleMin()) {
        const bool big = ButtonMin.BigGlyph;
        const int own = CommittedGlobalMask(manager, big ? "BICONMIN" : "SICONMIN");
        ButtonMin.ImageIndex = IsIconic(wnd) ? stateGlyph(big ? "BICONMIN" : "SICONMIN") : own;
        if (MaskOf(manager, ButtonMin.ImageIndex))
            placeButton(ButtonMin, SysButtonWidth(ButtonMin));
    }
    if (Form->BorderIcons().Contains(biHelp) && MaskOf(manager, ButtonHelp.ImageIndex))
        placeButton(ButtonHelp, SysButtonWidth(ButtonHelp));

    bool first = true;
    for (int i = 0; i < FTitleButtons->Count(); ++i) {
        TsTitleButton* button = FTitleButtons->Items(i);
        if (!button->Visible())
            continue;
        if (first) {
            x -= 8;
            first = false;
        }
        button->BtnData.ImageIndex =
            button->UseSkinData() && MaskOf(manager, UserButtonMaskIndex) ? UserButtonMaskIndex : -1;
        button->BtnData.HitCode = HTUDBTN + i;
        placeButton(button->BtnData, UserButtonWidth(*button));
    }
}

// ---- window region

void TsSkinProvider::MakeRegionRects()
{
    RegionRects.clear();
    TsSkinManager* manager = ProviderSkinManager();
    if (!Form || !FSkinData || !SkinLoaded(manager))
        return;
    const int width = SkinnedWindowWidth();
    if (const TsMaskData* mask = MaskOf(manager, FSkinData->BorderIndex)) {
        MaskCornerKeyRects(RegionRects, width, *mask, 0, false);
        MaskCornerKeyRects(RegionRects, width, *mask, Form->Height() - manager->MaskBorderBottom(FSkinData->BorderIndex),
                           true);
    }
    const int title = TitleSectionIndex();
    if (title >= 0)
        if (const TsMaskData* mask = MaskOf(manager, manager->FindMask(title, TitleSectionName(), "BORDERSMASK")))
            MaskCornerKeyRects(RegionRects, width, *mask, 0, false);
}

ks::GdiRegion TsSkinProvider::MakeRgnWithoutRects(int width, int height)
{
    const HWND wnd = FormWnd();
    if (width == 0)
        width = SkinnedWindowWidth();
    if (height == 0)
        height = wnd ? WndHeight(wnd) : 0;
    ks::GdiRegion region(CreateRectRgn(0, 0, width, height));
    if (!region)
        return region;
    for (const TRect& r : RegionRects) {
        ks::GdiRegion cut(CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom));
        if (cut)
            CombineRgn(region.get(), region.get(), cut.get(), RGN_DIFF);
    }
    return region;
}

bool TsSkinProvider::ApplyRegion(bool redraw)
{
    const HWND wnd = FormWnd();
    // A provider that let its form go, or whose skin went meanwhile (from the form's own OnShow
    // or OnPaint, say), leaves the form's shape alone: the region would cut the unskinned form.
    if (!wnd || !FDrawNonClientArea || RegionChanging || Passive || !FSkinData || !FSkinData->IsSkinActive())
        return false;
    if (!HaveBorder() && !IsIconic(wnd))
        return false;
    // A form that keeps its own region says so before its first full paint.
    if (!FSkinData->CacheBitmap || FSkinData->CacheBitmap->Empty())
        if (SendMessageW(wnd, 0xBC4D, 0x41A2, 0) == 0x41A2)
            return false;
    // A form placed on another control loses its shape while the left button is held on it (it
    // may be dragged over its parent): a region cut from the frame it had when the press began
    // would clip it wrongly meanwhile.
    if (Form->Parent() && Form->ControlState().Contains(csLButtonDown)) {
        ks::GdiRegion current(CreateRectRgn(0, 0, 0, 0));
        if (GetWindowRgn(wnd, current.get()) == ERROR)
            return false;
        NeedRegionUpdate = true;
        return SetWindowRgn(wnd, nullptr, redraw ? TRUE : FALSE) != 0;
    }
    TsSkinManager* manager = ProviderSkinManager();
    InRegionUpdate = true;
    ks::GdiRegion region;
    const int sysFrame = FormBorderWidth(wnd, manager, BorderForm != nullptr, false);
    RECT wr{};
    GetWindowRect(wnd, &wr);
    const int w = wr.right - wr.left;
    const int h = wr.bottom - wr.top;
    if (BorderForm) {
        region.reset(CreateRectRgn(sysFrame, SystemMenuBarTop(), w - sysFrame, h - sysFrame));
    } else if (Form->WindowState() == wsMaximized && Form->FormStyle() != fsMDIChild &&
               Form->Constraints()->MaxWidth() == 0 && Form->Constraints()->MaxHeight() == 0) {
        // A form held below the screen's size is not maximised over the whole work area: it
        // keeps the shape of its frame.
        const int v = BorderWidthIfNoExtBorders(wnd, manager, false, false);
        region.reset(CreateRectRgn(sysFrame, v, w - sysFrame, h - v));
    } else
        region = MakeRgnWithoutRects(0, 0);
    // A skin whose corners would cut the whole window away leaves it rectangular instead of
    // invisible and unreachable.
    RECT box{};
    if (region && GetRgnBox(region.get(), &box) == NULLREGION)
        region.reset();
    NeedRegionUpdate = false;
    // Every full repaint asks for the region again; the window is left alone (and not redrawn
    // once more) while its region already is the one wanted.
    ks::GdiRegion current(CreateRectRgn(0, 0, 0, 0));
    const int currentKind = GetWindowRgn(wnd, current.get());
    const bool same = region ? currentKind != ERROR && EqualRgn(current.get(), region.get()) : currentKind == ERROR;
    bool set = false;
    // The system owns the region once it is set; a refused one is ours to free.
    if (!same && SetWindowRgn(wnd, region.get(), redraw ? TRUE : FALSE)) {
        static_cast<void>(region.release());
        set = true;
    }
    InRegionUpdate = false;
    return set;
}

// ---- drag outline

namespace {

// One outline drag runs at a time in the process (the mouse is captured by its form).
struct OutlineState {
    HDC DC = nullptr;
    int Saved = 0;
    TRect Drawn{0, 0, 0, 0};
    bool Shown = false;
};
OutlineState Outline;

void DrawOutline(const TRect& r)
{
    if (!Outline.DC)
        return;
    const POINT points[5] = {{r.Left, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Bottom - 1},
                             {r.Left, r.Bottom - 1}, {r.Left, r.Top}};
    Polyline(Outline.DC, points, 5);
}

} // namespace

TRect TsSkinProvider::DragOutlineBegin()
{
    const HWND wnd = FormWnd();
    RECT wr{};
    if (!wnd || !GetWindowRect(wnd, &wr))
        return {0, 0, 0, 0};
    if (!Outline.DC) {
        Outline.DC = GetDC(nullptr);
        Outline.Saved = SaveDC(Outline.DC);
        SetROP2(Outline.DC, R2_NOT);
        SelectObject(Outline.DC, GetStockObject(WHITE_PEN));
    } else if (Outline.Shown)
        DrawOutline(Outline.Drawn);
    Outline.Drawn = {wr.left, wr.top, wr.right, wr.bottom};
    DrawOutline(Outline.Drawn);
    Outline.Shown = true;
    return Outline.Drawn;
}

void TsSkinProvider::DragOutlineMove(const TRect& outline)
{
    if (!Outline.DC)
        return;
    if (Outline.Shown)
        DrawOutline(Outline.Drawn);
    Outline.Drawn = outline;
    DrawOutline(Outline.Drawn);
    Outline.Shown = true;
}

void TsSkinProvider::DragOutlineEnd(const TRect& outline, bool moving)
{
    ReleaseCapture();
    if (Outline.DC) {
        if (Outline.Shown)
            DrawOutline(Outline.Drawn);
        RestoreDC(Outline.DC, Outline.Saved);
        ReleaseDC(nullptr, Outline.DC);
    }
    Outline = {};
    const HWND wnd = FormWnd();
    RECT wr{};
    if (!wnd || !GetWindowRect(wnd, &wr) || outline.Width() <= 0 || outline.Height() <= 0)
        return;
    if (!moving && outline.Width() == wr.right - wr.left && outline.Height() == wr.bottom - wr.top)
        return;
    POINT origin{outline.Left, outline.Top};
    // A child window is placed in its parent's client coordinates.
    if (const HWND parent = GetParent(wnd); parent && (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD))
        ScreenToClient(parent, &origin);
    MoveWindow(wnd, origin.x, origin.y, outline.Width(), outline.Height(), TRUE);
}
