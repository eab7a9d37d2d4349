#include "skin/adapters/TabAdapters.h"

#include "skin/adapters/AdapterPainting.h"
#include "skin/adapters/AdapterQueries.h"
#include "skin/adapters/UpDownAdapter.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/PropertyRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "vcl/GdiHandles.h"
#include "vcl/ImgList.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <utility>

using namespace ks::adapters;

namespace {

constexpr WORD CommandManager = SKC_GET_CAPTION_HEIGHT;

TRect Intersection(const TRect& a, const TRect& b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (r.Right < r.Left)
        r.Right = r.Left;
    if (r.Bottom < r.Top)
        r.Bottom = r.Top;
    return r;
}

bool IsEmpty(const TRect& r)
{
    return r.Width() <= 0 || r.Height() <= 0;
}

std::wstring TabText(HWND wnd, int index, int& image)
{
    std::wstring buffer(4096, L'\0');
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    image = -1;
    if (!SendMessageW(wnd, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return {};
    image = item.iImage;
    // The control may answer with its own text instead of filling the buffer.
    const wchar_t* text = item.pszText ? item.pszText : buffer.data();
    return std::wstring(text, wcsnlen(text, buffer.size()));
}

// Both the tab-control and the page adapter take skin commands first: without skin data the
// message is inherited, and a command the adapter's handler leaves goes on to the inherited
// handling. True when the message has been dealt with here.
template <class Adapter>
bool TakeSkinCommand(Adapter& adapter, TMessage& m, bool (Adapter::*command)(ks::SkinCommandView))
{
    if (adapter.SkinData && m.Msg != SM_SKINCMD)
        return false;
    if (!adapter.SkinData || !(adapter.*command)(ks::SkinCommandView(m)))
        adapter.TacMainWnd::AdapterWndProc(m);
    return true;
}

bool OwnCommand(const TacMainWnd& adapter, ks::SkinCommandView view)
{
    return view.Manager() == adapter.SkinData->SkinManager();
}

// The command goes on to the windows inside.
void PassOn(const TacMainWnd& adapter, ks::SkinCommandView view)
{
    BroadcastMessage(dynamic_cast<TWinControl*>(adapter.SkinData->OwnerControl), adapter.CtrlHandle, view.Message());
}

// A command of the adapter's own manager goes through its skin data and has the window painted
// again (erased first with erase); every manager's command goes on to the windows inside.
void TakeAndPassOn(TacMainWnd& adapter, ks::SkinCommandView view, BOOL erase)
{
    if (OwnCommand(adapter, view)) {
        RouteSkinMessage(view.Message(), adapter.SkinData);
        InvalidateRect(adapter.CtrlHandle, nullptr, erase);
    }
    PassOn(adapter, view);
}

// SKC_PARENT_UPDATED, taken only when take: the window painted again (erased first with erase)
// now that its parent is done updating.
bool RepaintForParent(TacMainWnd& adapter, bool take, BOOL erase)
{
    if (!take)
        return false;
    adapter.SkinData->SetUpdating(false);
    InvalidateRect(adapter.CtrlHandle, nullptr, erase);
    return true;
}

} // namespace

LOGFONTW RotatedTabFont(const LOGFONTW& base, bool left) noexcept
{
    LOGFONTW lf{};
    lf.lfHeight = base.lfHeight;
    lf.lfItalic = base.lfItalic;
    lf.lfUnderline = base.lfUnderline;
    lf.lfStrikeOut = base.lfStrikeOut;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = base.lfCharSet;
    lf.lfEscapement = lf.lfOrientation = left ? -2700 : -900;
    if (wcscmp(base.lfFaceName, L"MS Sans Serif") == 0)
        wcscpy(lf.lfFaceName, L"Arial");
    else
        wcsncpy(lf.lfFaceName, base.lfFaceName, LF_FACESIZE - 1);
    return lf;
}

// ---- tab control ----------------------------------------------------------------------------
TacTabControlWnd::TacTabControlWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacMainWnd(handle, skinData, manager, section.empty() ? std::string("PAGECONTROL") : std::move(section))
{
}

TacTabControlWnd::~TacTabControlWnd()
{
    if (FUpDown)
        std::exchange(FUpDown, nullptr)->Free();
}

void TacTabControlWnd::RefreshUpDown()
{
    HWND spin = Skinned() && !Destroyed ? FindWindowExW(CtrlHandle, nullptr, UPDOWN_CLASSW, nullptr) : nullptr;
    if (FUpDown && (FUpDown->Destroyed || FUpDown->CtrlHandle != spin))
        std::exchange(FUpDown, nullptr)->Free();
    // An up-down some other adapter holds already (a dialog's own walk) stays with it.
    if (spin && !FUpDown && !GetScrollHandler(spin))
        FUpDown = TacMainWnd::Create<TacSpinWnd>(spin, nullptr, ManagerOf(*this), "UPDOWNBTN", false);
}

bool TacTabControlWnd::Skinned() const
{
    return SkinActiveFor(*this);
}

TabSide TacTabControlWnd::Side() const
{
    return TabSideOf(StyleOf(CtrlHandle));
}

TabLook TacTabControlWnd::Look() const
{
    return TabLookOf(StyleOf(CtrlHandle));
}

int TacTabControlWnd::TabCount() const
{
    return std::max(static_cast<int>(SendMessageW(CtrlHandle, TCM_GETITEMCOUNT, 0, 0)), 0);
}

int TacTabControlWnd::SelectedTab() const
{
    return static_cast<int>(SendMessageW(CtrlHandle, TCM_GETCURSEL, 0, 0));
}

TRect TacTabControlWnd::PageRect()
{
    RECT window{};
    GetWindowRect(CtrlHandle, &window);
    RECT r{0, 0, window.right - window.left, window.bottom - window.top};
    SendMessageW(CtrlHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return {r.left, r.top + 2, r.right, r.bottom};
}

TRect TacTabControlWnd::TabsRect()
{
    RECT window{};
    GetWindowRect(CtrlHandle, &window);
    const TSize size{window.right - window.left, window.bottom - window.top};
    const bool hasTabs = TabCount() > 0;
    return TabStripRect(size, hasTabs, hasTabs ? PageRect() : TRect{}, Side());
}

TRect TacTabControlWnd::TabRect(int index, bool selected)
{
    if (index < 0 || index >= TabCount() || SelectedTab() < 0)
        return {};
    RECT item{};
    if (!SendMessageW(CtrlHandle, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)))
        return {};
    return TabPaintRect({item.left, item.top, item.right, item.bottom}, Look(), Side(), selected);
}

int TacTabControlWnd::TabRow(int index)
{
    const int rows = static_cast<int>(SendMessageW(CtrlHandle, TCM_GETROWCOUNT, 0, 0));
    if (rows < 2)
        return 1;
    RECT item{};
    SendMessageW(CtrlHandle, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return TabRowOf(rows, {item.left, item.top, item.right, item.bottom}, TabsRect(), Side());
}

int TacTabControlWnd::PageSectionIndex(std::string& name) const
{
    TsSkinManager* manager = ManagerOf(*this);
    if (!manager)
        return -1;
    if (TabCount() <= 0) {
        name = "CHECKBOX";
    } else if (SkinData->SkinSection() == "PAGECONTROL") {
        static constexpr const char* Names[] = {"PAGECONTROL", "PAGECONTROLBOTTOM", "PAGECONTROLLEFT", "PAGECONTROLRIGHT"};
        name = Names[static_cast<int>(Side())];
        // A skin without the side's own page section shows the page as on top.
        if (manager->FindSection(name) < 0)
            name = "PAGECONTROL";
    } else {
        name = SkinData->SkinSection();
    }
    return manager->FindSection(name);
}

void TacTabControlWnd::PaintWindow(HDC given)
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    if (StillUpdating(*SkinData) || WndSize.cx <= 0 || WndSize.cy <= 0)
        return;
    if (!given && PaintLock)
        return;
    TargetDC dc(CtrlHandle, given);
    if (!dc.get())
        return;
    TsSkinManager* manager = ManagerOf(*this);
    SkinData->BackgroundChanged = true;
    std::string pageName;
    const int pageIndex = PageSectionIndex(pageName);
    SkinData->SkinIndex = pageIndex;
    const CacheInfo background = SkinData->QueryBackgroundInfoWnd(CtrlHandle);
    TBitmap* cache = SizedCache(*SkinData, WndSize);
    if (!cache)
        return;
    const int count = TabCount();
    const TRect strip = TabsRect();
    if (count > 0)
        PaintTabStrip(*cache, background);
    const TRect page = PageAreaRect(WndSize, count > 0, strip, Side());
    if (!IsEmpty(page))
        PaintSectionByIndex(pageIndex, pageName, background, true, 0, page, {WndPos.X + page.Left, WndPos.Y + page.Top},
                            cache, manager, -1, -1);
    SkinData->BackgroundChanged = false;
    FPaintedSize = WndSize;

    // The selected tab goes over the page's edge, on a copy, so the cache keeps the page whole.
    TBitmap work;
    work.Assign(cache);
    const int selected = SelectedTab();
    if (count > 0 && selected >= 0 && selected < count)
        PaintTab(selected, 2, work, {0, 0});
    BitBlt(dc.get(), 0, 0, WndSize.cx, WndSize.cy, work.Canvas().Handle(), 0, 0, SRCCOPY);
    // A right-to-left control's DC flips the picture as a whole: each tab lands where the control
    // laid it out, but reads backwards. The tabs go again, unflipped at their places, the
    // selected one last as it lies over its neighbours.
    if (count > 0 && (GetLayout(dc.get()) & LAYOUT_RTL)) {
        ks::OrientationPreservedDC unflipped(dc.get());
        const TRect whole{0, 0, WndSize.cx, WndSize.cy};
        for (int i = 0; i < count; ++i) {
            if (i == selected)
                continue;
            const TRect r = Intersection(TabRect(i, false), whole);
            if (!IsEmpty(r))
                BitBlt(dc.get(), r.Left, r.Top, r.Width(), r.Height(), work.Canvas().Handle(), r.Left, r.Top, SRCCOPY);
        }
        const TRect r = Intersection(TabRect(selected, true), whole);
        if (!IsEmpty(r))
            BitBlt(dc.get(), r.Left, r.Top, r.Width(), r.Height(), work.Canvas().Handle(), r.Left, r.Top, SRCCOPY);
    }
    if (auto* container = dynamic_cast<TWinControl*>(SkinData->OwnerControl))
        PaintGraphicChildren(dc.get(), container, {0, 0});
}

void TacTabControlWnd::PaintTabStrip(TBitmap& cache, const CacheInfo& background)
{
    const TRect strip = Intersection(TabsRect(), {0, 0, cache.Width(), cache.Height()});
    if (!IsEmpty(strip)) {
        if (background.Ready && background.Bmp && !background.Bmp->Empty()) {
            BitBlt(cache.Canvas().Handle(), strip.Left, strip.Top, strip.Width(), strip.Height(),
                   background.Bmp->Canvas().Handle(), background.X + WndPos.X + strip.Left,
                   background.Y + WndPos.Y + strip.Top, SRCCOPY);
        } else {
            FillRectSolid(cache.Canvas().Handle(), strip,
                          ks::adapters::BackgroundFillColour(background.FillColor, SkinData->SkinManager()));
        }
    }
    // Row by row from the first, so that nearer rows cover farther ones; each tab's row is asked
    // once, whatever the number of tabs.
    const int count = TabCount();
    const int selected = SelectedTab();
    const int rows = static_cast<int>(SendMessageW(CtrlHandle, TCM_GETROWCOUNT, 0, 0));
    const TRect tabs = TabsRect();
    std::vector<std::pair<int, int>> order;
    order.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        if (i == selected)
            continue;
        RECT item{};
        if (!SendMessageW(CtrlHandle, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)))
            continue;
        // Tabs scrolled out of a single row lie outside the control.
        if (item.right <= 0 || item.left >= cache.Width() || item.bottom <= 0 || item.top >= cache.Height())
            continue;
        order.emplace_back(TabRowOf(rows, {item.left, item.top, item.right, item.bottom}, tabs, Side()), i);
    }
    std::stable_sort(order.begin(), order.end(), [](auto& a, auto& b) { return a.first < b.first; });
    for (const auto& [row, index] : order)
        PaintTab(index, 0, cache, {0, 0});
}

HIMAGELIST TacTabControlWnd::ImagesOf()
{
    if (TControl* owner = SkinData->OwnerControl; owner && PropertyExists(owner, "Images")) {
        // A list without a handle yet has no images to show; making one may fail, and a painter
        // must not.
        if (auto* list = dynamic_cast<TCustomImageList*>(ReadObjectProperty(owner, "Images")))
            return list->HandleAllocated() ? list->Handle() : nullptr;
    }
    return reinterpret_cast<HIMAGELIST>(SendMessageW(CtrlHandle, TCM_GETIMAGELIST, 0, 0));
}

void TacTabControlWnd::PaintTab(int index, int state, TBitmap& target, TPoint offset)
{
    TsSkinManager* manager = ManagerOf(*this);
    if (!manager)
        return;
    TRect r = TabRect(index, state == 2);
    r = {r.Left + offset.X, r.Top + offset.Y, r.Right + offset.X, r.Bottom + offset.Y};
    r = Intersection(r, {0, 0, target.Width(), target.Height()});
    if (IsEmpty(r))
        return;
    int image = -1;
    const std::wstring text = TabText(CtrlHandle, index, image);

    int section = -1, mask = -1;
    std::string name;
    switch (Look()) {
    case TabLook::Tabs: {
        static constexpr const char* Names[] = {"TABTOP", "TABBOTTOM", "TABLEFT", "TABRIGHT"};
        const size_t side = static_cast<size_t>(Side());
        name = Names[side];
        section = manager->CommonIndexes.TabIndex[side];
        mask = manager->CommonIndexes.TabBorderMask[side];
        break;
    }
    case TabLook::Buttons:
    case TabLook::FlatButtons:
        name = Look() == TabLook::Buttons ? "BUTTON" : "TOOLBUTTON";
        section = manager->FindSection(name);
        mask = manager->FindMask(section, name, "BORDERSMASK");
        break;
    }
    if (manager->CommonIndexes.TabIndex[0] > 0 && manager->MaskIndexValid(mask) && manager->SectionIndexValid(section)) {
        // The tab over what lies at its place already (for the selected tab the page's edge too).
        TBitmap tab;
        tab.SetPixelFormat(pf24bit);
        tab.SetSize(r.Width(), r.Height());
        BitBlt(tab.Canvas().Handle(), 0, 0, r.Width(), r.Height(), target.Canvas().Handle(), r.Left, r.Top, SRCCOPY);
        PaintSectionByIndex(section, name, CacheInfoFromBitmap(&target, 0, 0), true, state, {0, 0, r.Width(), r.Height()},
                            {r.Left, r.Top}, &tab, manager, -1, -1);
        // Tabs on top or on the left stop where the page area starts.
        TSize shown{r.Width(), r.Height()};
        if (Side() == TabSide::Top)
            shown.cy = std::clamp(PageRect().Top + offset.Y - r.Top, 0, r.Height());
        else if (Side() == TabSide::Left)
            shown.cx = std::clamp(PageRect().Left + offset.X - r.Left, 0, r.Width());
        BitBlt(target.Canvas().Handle(), r.Left, r.Top, shown.cx, shown.cy, tab.Canvas().Handle(), 0, 0, SRCCOPY);
    }
    const int textSection = manager->SectionIndexValid(section) ? section : SkinData->SkinIndex;
    TCanvas& canvas = target.Canvas();
    UseWindowFont(canvas, CtrlHandle, SkinData->OwnerControl);
    canvas.Brush().SetStyle(bsClear);
    PaintTabText(canvas, text, {r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 3}, state, textSection, ImagesOf(), image);
}

void TacTabControlWnd::PaintTabText(TCanvas& canvas, const std::wstring& text, TRect r, int state, int textSection,
                                    HIMAGELIST images, int image)
{
    TsSkinManager* manager = ManagerOf(*this);
    int iw = 0, ih = 0;
    const bool hasImage = images && image >= 0 && image < ImageList_GetImageCount(images) &&
                          ImageList_GetIconSize(images, &iw, &ih);
    HDC dc = canvas.Handle();
    const TabSide side = Side();
    if (side == TabSide::Top || side == TabSide::Bottom) {
        if (hasImage) {
            const int tw = TextWidthOf(canvas, text);
            ImageList_Draw(images, image, dc, r.Left + (r.Width() - (tw + iw + 8)) / 2, r.Top + (r.Height() - ih) / 2,
                           ILD_NORMAL);
            r.Left += iw;
        }
        DrawSectionText(canvas, text, true, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, textSection, state != 0, manager);
        return;
    }
    // Vertical tabs: the text turned along the tab.
    const TSize extent = TextExtentOf(canvas, text);
    const int length = extent.cx, thick = extent.cy;
    LOGFONTW base{};
    GetObjectW(canvas.Font().Handle(), sizeof base, &base);
    const LOGFONTW turned = RotatedTabFont(base, side == TabSide::Left);
    ks::SavedDC saved(dc);
    HFONT font = CreateFontIndirectW(&turned);
    if (!font)
        return;
    SelectObject(dc, font);
    TColor colour = clBlack;
    if (manager->SectionIndexValid(textSection)) {
        const TsGeneralData& s = manager->GeneralDataArray[static_cast<size_t>(textSection)];
        colour = state != 0 ? s.HotFontColor[0] : s.FontColor[0];
    }
    SetTextColor(dc, ColorToRGB(colour));
    SetBkMode(dc, TRANSPARENT);
    const bool selected = state == 2;
    int x = 0, y = 0;
    if (side == TabSide::Left) {
        if (hasImage && selected)
            r = {r.Left + 2, r.Top, r.Right + 2, r.Bottom};
        x = r.Left + (r.Width() - thick) / 2;
        if (hasImage) {
            const int g = (r.Height() - (ih + 4 + length)) / 2;
            ImageList_Draw(images, image, dc, r.Left + (r.Width() - iw) / 2, r.Bottom - g - ih, ILD_NORMAL);
            y = r.Bottom - g - ih - 4;
        } else {
            y = r.Bottom - (r.Height() - length) / 2;
        }
    } else {
        r = {r.Left - 2, r.Top - 1, r.Right - 2, r.Bottom - 1};
        if (hasImage && selected)
            r = {r.Left + 2, r.Top, r.Right + 2, r.Bottom};
        x = r.Left + (r.Width() - thick) / 2 + thick;
        if (hasImage) {
            const int g = r.Top + (r.Height() - (ih + 4 + length)) / 2;
            ImageList_Draw(images, image, dc, r.Left + (r.Width() - iw) / 2, g, ILD_NORMAL);
            y = g + ih + 4;
        } else {
            y = r.Top + (r.Height() - length) / 2;
        }
    }
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
}

void TacTabControlWnd::AdapterWndProc(TMessage& m)
{
    if (TakeSkinCommand(*this, m, &TacTabControlWnd::SkinCommand) || (Skinned() && SkinnedMessage(m)))
        return;
    TacMainWnd::AdapterWndProc(m);
    if (Skinned() && !Destroyed)
        AfterInherited(m);
}

bool TacTabControlWnd::SkinCommand(ks::SkinCommandView view)
{
    switch (view.Command()) {
    case SKC_NEW_SKIN: return NewSkinCommand(view);
    case SKC_REMOVE_SKIN: return RemoveSkinCommand(view);
    case SKC_REFRESH: return RefreshCommand(view);
    case SKC_PARENT_UPDATED: return RepaintForParent(*this, Skinned(), FALSE);
    case SKC_IS_SKINNED: return Answered(view.Message(), 1);
    case SKC_IS_UPDATING: return Skinned() && Answered(view.Message(), SkinData->UpdateLock ? 1 : 0);
    case CommandManager: return Answered(view.Message(), reinterpret_cast<LRESULT>(ManagerOf(*this)));
    case SKC_GET_BG_INFO: return BackgroundInfoCommand(view.Message());
    default: return false;
    }
}

bool TacTabControlWnd::SkinnedMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_PAINT: return WMPaint(TWMPaint(m));
    case WM_ERASEBKGND: return WMEraseBkgnd(TWMEraseBkgnd(m), 0);
    case WM_NCPAINT: return Answered(m, 0);
    case WM_PRINT: return WMPrint(TWMPrint(m));
    default: return false;
    }
}

bool TacTabControlWnd::NewSkinCommand(ks::SkinCommandView view)
{
    if (OwnCommand(*this, view))
        RouteSkinMessage(view.Message(), SkinData);
    PassOn(*this, view);
    return true;
}

// Once the windows inside have let the skin go, the control is painted again at once, with them.
bool TacTabControlWnd::RemoveSkinCommand(ks::SkinCommandView view)
{
    const bool own = OwnCommand(*this, view);
    if (own) {
        RouteSkinMessage(view.Message(), SkinData);
        RefreshUpDown();
    }
    PassOn(*this, view);
    if (own) {
        InvalidateRect(CtrlHandle, nullptr, TRUE);
        RedrawWindow(CtrlHandle, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_INTERNALPAINT | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW |
                         RDW_FRAME);
    }
    return true;
}

bool TacTabControlWnd::RefreshCommand(ks::SkinCommandView view)
{
    TakeAndPassOn(*this, view, FALSE);
    if (OwnCommand(*this, view))
        RefreshUpDown();
    return true;
}

bool TacTabControlWnd::BackgroundInfoCommand(TMessage& m)
{
    if (!Skinned())
        return false;
    RouteSkinMessage(m, SkinData);
    return true;
}

bool TacTabControlWnd::WMPaint(TWMPaint view)
{
    PaintThroughErase(CtrlHandle);
    view.SetResult(0);
    return true;
}

bool TacTabControlWnd::WMEraseBkgnd(TWMEraseBkgnd view, LRESULT result)
{
    return PaintInEraseStep(CtrlHandle, view, result, [this](HDC dc) {
        if (!PaintLock)
            PaintWindow(dc);
        RefreshUpDown();
    });
}

bool TacTabControlWnd::WMPrint(TWMPrint view)
{
    RefreshUpDown();
    PaintWindow(view.DC());
    return true;
}

void TacTabControlWnd::AfterInherited(TMessage& m)
{
    switch (m.Msg) {
    case WM_SIZE: {
        RefreshUpDown();
        RECT r{};
        GetWindowRect(CtrlHandle, &r);
        if (r.right - r.left < FPaintedSize.cx || r.bottom - r.top < FPaintedSize.cy)
            RedrawWindow(CtrlHandle, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_NOINTERNALPAINT | RDW_NOERASE | RDW_NOCHILDREN | RDW_FRAME);
        break;
    }
    case TCM_SETCURSEL: RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME); break;
    case CM_CONTROLLISTCHANGE: RefreshUpDown(); break;
    default: break;
    }
}

// ---- page control ---------------------------------------------------------------------------
TacPageControlWnd::~TacPageControlWnd()
{
    for (TacPageWnd* page : FPages)
        page->Free();
}

void TacPageControlWnd::InstallHook(bool repaint)
{
    TacTabControlWnd::InstallHook(repaint);
    AdaptPages();
}

void TacPageControlWnd::AdaptPages()
{
    // Adapters whose page went have nothing left to do.
    std::erase_if(FPages, [](TacPageWnd* page) {
        if (!page->Destroyed)
            return false;
        page->Free();
        return true;
    });
    for (HWND child = GetWindow(CtrlHandle, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetParent(child) != CtrlHandle)
            continue;
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        // The up-down that scrolls the tabs is no page.
        if (_wcsicmp(cls, UPDOWN_CLASSW) == 0)
            continue;
        auto* manager = reinterpret_cast<TsSkinManager*>(SendCommandWnd(CtrlHandle, CommandManager, 0));
        if (!manager || AskWndBool(child, SKC_IS_SKINNED))
            continue;
        auto* page = TacMainWnd::Create<TacPageWnd>(child, nullptr, manager, "CHECKBOX", true);
        if (page->Destroyed)
            page->Free();
        else
            FPages.push_back(page);
    }
}

void TacPageControlWnd::AdapterWndProc(TMessage& m)
{
    if (!Skinned() || !PageControlMessage(m))
        TacTabControlWnd::AdapterWndProc(m);
}

bool TacPageControlWnd::PageControlMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND: return WMEraseBkgnd(TWMEraseBkgnd(m), 1);
    case WM_NCPAINT: return WMNCPaint(TWMPaint(m));
    case WM_PARENTNOTIFY: return WMParentNotify(TWMParentNotify(m));
    case TCM_SETCURSEL: return SetCurSel();
    default: return false;
    }
}

bool TacPageControlWnd::WMNCPaint(TWMPaint view)
{
    AdaptPages();
    view.SetResult(0);
    return true;
}

// A page made meanwhile gets its adapter; the tab control goes on to see the message.
bool TacPageControlWnd::WMParentNotify(TWMParentNotify view)
{
    if (view.Event() == WM_CREATE)
        AdaptPages();
    return false;
}

// Handled further on too.
bool TacPageControlWnd::SetCurSel()
{
    if (SkinData->OwnerControl)
        NotifyParentForm25(SkinData->OwnerControl);
    return false;
}

// ---- page -----------------------------------------------------------------------------------
TacPageWnd::TacPageWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacMainWnd(handle, skinData, manager, std::move(section))
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
}

void TacPageWnd::AdapterWndProc(TMessage& m)
{
    if (TakeSkinCommand(*this, m, &TacPageWnd::SkinCommand) || (SkinActiveFor(*this) && SkinnedMessage(m)))
        return;
    TacMainWnd::AdapterWndProc(m);
    if (m.Msg == WM_PARENTNOTIFY && LOWORD(m.WParam) == WM_CREATE && !Destroyed)
        SendToTopParent(CtrlHandle);
}

bool TacPageWnd::SkinCommand(ks::SkinCommandView view)
{
    switch (view.Command()) {
    case SKC_NEW_SKIN: return NewSkinCommand(view);
    case SKC_REMOVE_SKIN: TakeAndPassOn(*this, view, TRUE); return false;
    case SKC_REFRESH: TakeAndPassOn(*this, view, TRUE); return true;
    case SKC_PARENT_UPDATED: return RepaintForParent(*this, SkinData->UpdateLock, TRUE);
    case SKC_IS_SKINNED: return Answered(view.Message(), 1);
    case SKC_IS_UPDATING: return Answered(view.Message(), SkinData->UpdateLock ? 1 : 0);
    case SKC_GET_BG_INFO: return BackgroundInfoCommand(view);
    default: return false;
    }
}

bool TacPageWnd::SkinnedMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND: return WMEraseBkgnd(TWMEraseBkgnd(m));
    case WM_NCPAINT: return Answered(m, 0);
    case WM_PRINT: return WMPrint(TWMPrint(m));
    default: return false;
    }
}

bool TacPageWnd::NewSkinCommand(ks::SkinCommandView view)
{
    const bool own = OwnCommand(*this, view);
    PassOn(*this, view);
    if (own)
        RouteSkinMessage(view.Message(), SkinData);
    return true;
}

bool TacPageWnd::BackgroundInfoCommand(ks::SkinCommandView view)
{
    if (auto* info = view.Pointer<BackgroundInfo>()) {
        GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
        // A painting parent copies from its image at the offset: it must be the page's.
        const bool paint = info->PaintRequested;
        if (paint)
            info->Offset = {info->Offset.X + WndPos.X, info->Offset.Y + WndPos.Y};
        QueryParentBackgroundWnd(*info, ParentWnd, paint);
        if (!paint)
            info->Offset = {info->Offset.X + WndPos.X, info->Offset.Y + WndPos.Y};
    }
    return Answered(view.Message(), 1);
}

bool TacPageWnd::WMEraseBkgnd(TWMEraseBkgnd view)
{
    return PaintInEraseStep(CtrlHandle, view, 1, [this](HDC dc) { PaintBackground(dc); });
}

bool TacPageWnd::WMPrint(TWMPrint view)
{
    PaintBackground(view.DC());
    TMessage& m = view.Message();
    m.Result = SendMessageW(CtrlHandle, WM_PAINT, m.WParam, m.LParam);
    return true;
}

void TacPageWnd::PaintBackground(HDC given)
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    TargetDC dc(CtrlHandle, given);
    if (!dc.get() || WndSize.cx <= 0 || WndSize.cy <= 0)
        return;
    BackgroundInfo info;
    info.R = {WndPos.X, WndPos.Y, WndPos.X + WndSize.cx, WndPos.Y + WndSize.cy};
    QueryParentBackgroundWnd(info, ParentWnd, false);
    HDC source = info.Bmp && !info.Bmp->Empty() ? info.Bmp->Canvas().Handle() : nullptr;
    const int sx = info.Offset.X + WndPos.X, sy = info.Offset.Y + WndPos.Y;
    if (info.BackgroundKind == BgKindBitmap && source) {
        BitBlt(dc.get(), 0, 0, WndSize.cx, WndSize.cy, source, sx, sy, SRCCOPY);
        return;
    }
    FillRectSolid(dc.get(), {0, 0, WndSize.cx, WndSize.cy},
                  ks::adapters::BackgroundFillColour(info.Color, SkinData->SkinManager()));
    if (!source)
        return;
    // The page's edge on the tabs' side shows the page frame's line.
    constexpr int Strip = 3;
    const int w = WndSize.cx, h = WndSize.cy;
    switch (TabSideOf(StyleOf(ParentWnd))) {
    case TabSide::Top: BitBlt(dc.get(), 0, 0, w, Strip, source, sx, sy, SRCCOPY); break;
    case TabSide::Bottom: BitBlt(dc.get(), 0, h - Strip, w, Strip, source, sx, sy + h - Strip, SRCCOPY); break;
    case TabSide::Left: BitBlt(dc.get(), 0, 0, Strip, h, source, sx, sy, SRCCOPY); break;
    case TabSide::Right: BitBlt(dc.get(), w - Strip, 0, Strip, h, source, sx + w - Strip, sy, SRCCOPY); break;
    }
}
