#include "skin/forms/sSkinMenus.h"

#include "skin/adapters/PopupMenuAdapter.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImageCells.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/SkinServices.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sVclUtils.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/ImgList.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"
#include "vcl/WindowSubclass.h"

#include <algorithm>
#include <optional>

std::vector<PopupCacheRec> PopupCache;
TsMenuItemType CurrentItemType = smNormal;
std::string ExtraLineSection;
std::wstring ExtraLineCaption;
std::unique_ptr<TBitmap> ExtraLineGlyph;
bool InExtraLineEvent = false;
int IconColumnWidth = 0;
MenuLineImage (*ProviderMenuLine)(TsSkinProvider* provider, const MenuLineItemPaint& paint) = nullptr;

namespace {

constexpr wchar_t PopupMenuProperty[] = L"KsPopupMenu";
using PopupMenuKind = ks::SubclassKindOf<PopupMenuProperty>;

// The first items of the cached popups, so that a record whose item was freed (a menu changed
// while it is shown) is dropped instead of followed. A record is watched from the first time
// it is looked at, when its item is still alive.
std::unique_ptr<ks::ComponentWatch> CacheWatch;
std::vector<const TMenuItem*> WatchedItems;

bool RecordAlive(const PopupCacheRec& rec)
{
    if (!rec.FirstItem)
        return false;
    if (!CacheWatch)
        CacheWatch = std::make_unique<ks::ComponentWatch>();
    if (std::find(WatchedItems.begin(), WatchedItems.end(), rec.FirstItem) == WatchedItems.end()) {
        WatchedItems.push_back(rec.FirstItem);
        CacheWatch->Watch(rec.FirstItem);
    }
    return CacheWatch->Alive(rec.FirstItem);
}

void ForgetWatches() noexcept
{
    CacheWatch.reset();
    WatchedItems.clear();
}

// Drops the record of wnd and every record whose window is gone or was never found: they all
// belong to the popup tree that is closing.
void ForgetPopupWindow(HWND wnd) noexcept
{
    std::erase_if(PopupCache, [wnd](const PopupCacheRec& rec) {
        return rec.Wnd == wnd || !rec.Wnd || !IsWindow(rec.Wnd) || !CacheWatch || !CacheWatch->Alive(rec.FirstItem);
    });
    if (PopupCache.empty())
        ForgetWatches();
}

// The take-over of one popup menu window; it lives exactly as long as the window.
class PopupMenuWindow final : public ks::WindowSubclass {
public:
    PopupMenuWindow() noexcept : WindowSubclass(PopupMenuKind::Kind()) {}

protected:
    void WindowMessage(TMessage& m) override
    {
        switch (m.Msg) {
        case WM_ERASEBKGND: SkinPaintsAll(m); break;
        case WM_NCPAINT: SkinPaintsAll(m); break;
        case WM_DESTROY: WMDestroy(m); break;
        default: CallPrevious(m); break;
        }
    }
    void WindowDestroyed() noexcept override { delete this; }

private:
    // The skin paints the whole window; letting the system erase or frame it first flickers.
    static void SkinPaintsAll(TMessage& m) noexcept { m.Result = 1; }
    void WMDestroy(TMessage& m)
    {
        // Only this popup's record goes: a parent popup still open keeps its background.
        ForgetPopupWindow(Handle());
        CallPrevious(m);
    }
};

// Takes wnd over unless it is already ours; false when the system refuses (a window of
// another process), which then stays as it is.
bool SubclassPopupWindow(HWND wnd)
{
    if (ks::WindowSubclass::Find(wnd, PopupMenuKind::Kind()))
        return true;
    auto subclass = std::make_unique<PopupMenuWindow>();
    if (!subclass->Subclass(wnd))
        return false;
    // Owned by the window from here on: it frees itself after the window's last message.
    subclass.release();
    return true;
}


// Anyone can post the manager the messages that lead here, so the item is only compared with
// the cached popups' items and the window under the popup's first entry is taken only when it
// is a popup menu window.
void HookPopupOfItem(TsSkinableMenus& menus, const TMenuItem* item)
{
    const PopupCacheRec rec = MenuItemInfoOf(item, nullptr);
    if (!rec.Bitmap)
        return;
    TMenuItem* parent = rec.FirstItem->Parent();
    if (!parent || !parent->HandleAllocated())
        return;
    RECT r{};
    if (!GetMenuItemRect(nullptr, parent->Handle(), 0, &r) &&
        !(Application && Application->MainForm() &&
          GetMenuItemRect(Application->MainForm()->Handle(), parent->Handle(), 0, &r)))
        return;
    const HWND wnd = WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    if (ks::IsPopupMenuWindow(wnd))
        menus.HookPopupWnd(wnd, rec.Bitmap.get());
}

void HookPopupWindow(TsSkinableMenus& menus, HWND wnd)
{
    const PopupCacheRec rec = MenuItemInfoOf(nullptr, wnd);
    if (rec.Bitmap)
        menus.HookPopupWnd(wnd, rec.Bitmap.get());
}

bool StartsColumn(const TMenuItem& item) noexcept
{
    return item.Break() != mbNone;
}

// The measuring routines select the canvas's font alone: preparing the whole canvas for every
// text would cost several times the measuring itself, once per item each time a menu opens.
class FontSelected {
public:
    explicit FontSelected(TCanvas& canvas) : FDC(canvas.Handle()), FPrevious(SelectObject(FDC, canvas.Font().Handle())) {}
    ~FontSelected() { SelectObject(FDC, FPrevious); }
    FontSelected(const FontSelected&) = delete;
    FontSelected& operator=(const FontSelected&) = delete;
    HDC DC() const noexcept { return FDC; }

private:
    HDC FDC;
    HGDIOBJ FPrevious;
};

constexpr int MaxItemWidth = 32767;

int ScaledTextHeight(TCanvas& canvas)
{
    FontSelected font(canvas);
    SIZE size{};
    GetTextExtentPoint32W(font.DC(), L"W", 1, &size);
    return RoundHalfEven(1.25 * size.cy);
}

TCustomForm* FormOfMenu(const TMenuItem& item)
{
    TMenu* menu = item.GetParentMenu();
    TComponent* start = menu ? static_cast<TComponent*>(menu) : const_cast<TMenuItem*>(&item);
    return OwningForm(start);
}

std::wstring WithoutAmpersands(std::wstring_view text)
{
    std::wstring result;
    for (wchar_t c : text)
        if (c != L'&')
            result += c;
    return result;
}

} // namespace

bool ks::IsPopupMenuWindow(HWND wnd)
{
    wchar_t name[16] = {};
    return wnd && GetClassNameW(wnd, name, 16) > 0 && std::wstring_view(name) == L"#32768";
}

bool ks::HasColumnBreak(const TMenuItem* parent)
{
    for (int i = 0; parent && i < parent->Count(); ++i)
        if (parent->Items(i)->Visible() && StartsColumn(*parent->Items(i)))
            return true;
    return false;
}

void ClearMenuCache() noexcept
{
    PopupCache.clear();
    ForgetWatches();
}

PopupCacheRec MenuItemInfoOf(const TMenuItem* item, HWND wnd)
{
    for (const PopupCacheRec& rec : PopupCache) {
        if (!RecordAlive(rec))
            continue;
        if (item) {
            const TMenuItem* parent = rec.FirstItem->Parent();
            if (parent && parent->IndexOf(item) >= 0)
                return rec;
        } else if (wnd && rec.Wnd == wnd) {
            return rec;
        }
    }
    return {};
}

TsMenuItemType MenuItemTypeOf(const TMenuItem& item) noexcept
{
    const std::wstring& caption = item.Caption();
    if (caption == L"-")
        return smDivider;
    if (caption.size() > 1 && caption.front() == L'-' && caption.back() == L'-')
        return smCaption;
    return smNormal;
}

std::wstring CaptionItemText(std::wstring_view caption)
{
    // The first run of characters that are neither dashes nor blanks.
    size_t start = caption.find_first_not_of(L"- ");
    if (start == std::wstring_view::npos)
        return {};
    size_t end = caption.find_first_of(L"- ", start);
    return std::wstring(caption.substr(start, end == std::wstring_view::npos ? end : end - start));
}

// ---- TsSkinableMenus --------------------------------------------------------------------------------

namespace {

const ks::PropertyInfo SkinableMenusProps[] = {
    ks::Prop<&TsSkinableMenus::Margin, &TsSkinableMenus::SetMargin>("Margin").DefaultIs(2),
    ks::Prop<&TsSkinableMenus::Alignment, &TsSkinableMenus::SetAlignment>("Alignment").DefaultIs(taLeftJustify),
    ks::Prop<&TsSkinableMenus::BevelWidth, &TsSkinableMenus::SetBevelWidth>("BevelWidth").DefaultIs(0),
    ks::Prop<&TsSkinableMenus::BorderWidth, &TsSkinableMenus::SetBorderWidth>("BorderWidth").DefaultIs(3),
    ks::Prop<&TsSkinableMenus::CaptionFont>("CaptionFont"),
    ks::Prop<&TsSkinableMenus::SkinBorderWidth, &TsSkinableMenus::SetSkinBorderWidth>("SkinBorderWidth"),
    ks::Prop<&TsSkinableMenus::Spacing, &TsSkinableMenus::SetSpacing>("Spacing").DefaultIs(6),
    ks::Prop<&TsSkinableMenus::OnDrawItem, &TsSkinableMenus::SetOnDrawItem>("OnDrawItem"),
};

} // namespace

const ks::ClassInfo TsSkinableMenus::StaticClassInfo{"TsSkinableMenus", &TPersistent::StaticClassInfo,
                                                     SkinableMenusProps, {}};
const ks::ClassInfo& TsSkinableMenus::ClassInfo() const noexcept { return StaticClassInfo; }

TsSkinableMenus::TsSkinableMenus(TsSkinManager* skinManager)
    : SkinManager(skinManager), FCaptionFont(std::make_unique<TFont>())
{
}

TsSkinableMenus::~TsSkinableMenus()
{
    const TAdvancedMenuDrawItemEvent draws[] = {{this, &TsSkinableMenus::PopupItemDraw},
                                                {this, &TsSkinableMenus::MainItemDraw}};
    const TMenuMeasureItemEvent measures[] = {{this, &TsSkinableMenus::PopupItemMeasure},
                                              {this, &TsSkinableMenus::MainItemMeasure}};
    for (TMenuItem* item : FTracked) {
        if (!FWatch.Alive(item))
            continue;
        for (const auto& d : draws)
            if (item->OnAdvancedDrawItem() == d)
                item->SetOnAdvancedDrawItem(nullptr);
        for (const auto& m : measures)
            if (item->OnMeasureItem() == m)
                item->SetOnMeasureItem(nullptr);
    }
    SkinManager = nullptr;
}

void TsSkinableMenus::Track(TMenuItem* item)
{
    if (FWatch.Alive(item))
        return;
    // Freed items leave the watch; drop them from the list too before it grows.
    std::erase_if(FTracked, [this](TMenuItem* t) { return !FWatch.Alive(t); });
    FWatch.Watch(item);
    FTracked.push_back(item);
}

int TsSkinableMenus::SkinBorderWidth() const
{
    if (FSkinBorderWidth >= 0 || !SkinManager)
        return std::max(FSkinBorderWidth, 0);
    const int mask = SkinManager->FindMaskOwnOnly("MAINMENU", "BORDERSMASK");
    if (!SkinManager->MaskIndexValid(mask))
        FSkinBorderWidth = 0;
    else {
        const int width = SkinManager->MaskArray[static_cast<size_t>(mask)].BorderWidth;
        FSkinBorderWidth = width < 1 ? 3 : width;
    }
    return FSkinBorderWidth;
}

bool TsSkinableMenus::Skinned() const noexcept
{
    return SkinManager && SkinManager->SkinnedPopups();
}

bool TsSkinableMenus::Usable() const noexcept
{
    return SkinManager && SkinManager->Active();
}

void TsSkinableMenus::OwnerDrawMenuItems(TPopupMenu* menu, bool enable)
{
    if (!menu || !SkinManager || (enable && !SkinManager->Active()))
        return;
    menu->SetOwnerDraw(enable && Skinned());
    // Skinned popups open without the system's animation, which would show them unshaped.
    TMenuAnimation animation = menu->MenuAnimation();
    if (enable)
        animation.Include(maNone);
    else
        animation.Exclude(maNone);
    menu->SetMenuAnimation(animation);
    for (int i = 0; i < menu->Items()->Count(); ++i)
        SetUpPopupItem(menu->Items()->Items(i), enable);
}

void TsSkinableMenus::SetUpPopupItem(TMenuItem* item, bool enable)
{
    const TAdvancedMenuDrawItemEvent draw(this, &TsSkinableMenus::PopupItemDraw);
    const TMenuMeasureItemEvent measure(this, &TsSkinableMenus::PopupItemMeasure);
    if (enable) {
        Track(item);
        if (!item->OnAdvancedDrawItem())
            item->SetOnAdvancedDrawItem(draw);
        if (!item->OnMeasureItem())
            item->SetOnMeasureItem(measure);
    } else {
        if (item->OnAdvancedDrawItem() == draw)
            item->SetOnAdvancedDrawItem(nullptr);
        if (item->OnMeasureItem() == measure)
            item->SetOnMeasureItem(nullptr);
    }
    for (int i = 0; i < item->Count(); ++i)
        SetUpPopupItem(item->Items(i), enable);
}

void TsSkinableMenus::SetUpMainMenu(TMainMenu* menu, bool enable)
{
    if (!menu || !SkinManager)
        return;
    const TAdvancedMenuDrawItemEvent draw(this, &TsSkinableMenus::MainItemDraw);
    const TMenuMeasureItemEvent measure(this, &TsSkinableMenus::MainItemMeasure);
    const bool skinLoaded = SkinManager->SkinData.SkinActive;
    for (int i = 0; i < menu->Items()->Count(); ++i) {
        TMenuItem* top = menu->Items()->Items(i);
        if (enable && skinLoaded && Skinned()) {
            Track(top);
            top->SetOnAdvancedDrawItem(draw);
            top->SetOnMeasureItem(measure);
        } else if (!enable) {
            if (top->OnAdvancedDrawItem() == draw)
                top->SetOnAdvancedDrawItem(nullptr);
            if (top->OnMeasureItem() == measure)
                top->SetOnMeasureItem(nullptr);
        }
        for (int j = 0; j < top->Count(); ++j)
            SetUpPopupItem(top->Items(j), enable);
    }
    if (!menu->ComponentState().Contains(csDestroying))
        menu->SetOwnerDraw(enable);
}

void TsSkinableMenus::UpdateComponents(TComponent* owner, bool enable)
{
    for (int i = 0; i < owner->ComponentCount(); ++i) {
        TComponent* component = owner->Components(i);
        if (auto* mainMenu = dynamic_cast<TMainMenu*>(component))
            SetUpMainMenu(mainMenu, enable);
        else if (auto* popup = dynamic_cast<TPopupMenu*>(component))
            OwnerDrawMenuItems(popup, enable);
        else if (auto* item = dynamic_cast<TMenuItem*>(component);
                 item && !dynamic_cast<TMainMenu*>(item->GetParentMenu())) {
            SetUpPopupItem(item, enable);
            // An item drawn by its owner needs its menu's entries marked owner-drawn.
            if (enable && item->GetParentMenu())
                item->GetParentMenu()->SetOwnerDraw(true);
        }
        UpdateComponents(component, enable);
    }
}

void TsSkinableMenus::UpdateMenus()
{
    if (!SkinManager)
        return;
    const bool active = SkinManager->SkinData.SkinActive;
    if (active == MenusActive)
        return;
    MenusActive = active;
    if (Application)
        UpdateComponents(Application, active && Skinned());
}

void TsSkinableMenus::HookPopupWnd(HWND wnd, const TBitmap* bitmap)
{
    if (HookBusy || !IsWindow(wnd))
        return;
    if (!SubclassPopupWindow(wnd))
        return;
    // A popup window that already shows its skin answers the update query with 1.
    if (bitmap && ks::Sys().IsNtFamily() && SendCommandWnd(wnd, SKC_SET_UPDATING, 0) == 0) {
        SendCommandWnd(wnd, SKC_MENU_SHOWN, 0);
        HookBusy = true;
        ks::GdiRegion region(CreateRectRgn(0, 0, bitmap->Width(), bitmap->Height()));
        const auto cut = [&](const TRect& r) {
            ks::GdiRegion part(CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom));
            CombineRgn(region.get(), region.get(), part.get(), RGN_DIFF);
        };
        if (PopupCorners.empty())
            cut(TRect{0, 0, 1, 1});
        for (const TRect& corner : PopupCorners)
            cut(corner);
        // The window owns the region from here on. No messages are pumped to show it at once:
        // the popup could close inside the pump and clear the cache under the painter that
        // called us.
        SetWindowRgn(wnd, region.release(), TRUE);
    }
    HookBusy = false;
}

// ---- measuring --------------------------------------------------------------------------------------

TSize TsSkinableMenus::GlyphSizeOf(TMenuItem& item)
{
    if (item.HasBitmap())
        return {item.Bitmap()->Width(), item.Bitmap()->Height()};
    if (TCustomImageList* images = item.Parent() ? item.Parent()->SubMenuImages() : nullptr)
        return {images->Width(), images->Height()};
    if (TMenu* menu = item.GetParentMenu(); menu && menu->Images())
        return {menu->Images()->Width(), menu->Images()->Height()};
    return {16, 16};
}

int TsSkinableMenus::ItemHeight(TCanvas& canvas, TMenuItem& item)
{
    switch (MenuItemTypeOf(item)) {
    case smDivider: return 2;
    case smCaption: return ScaledTextHeight(canvas) + 2 * FMargin;
    default: return std::max<int>(ScaledTextHeight(canvas), GlyphSizeOf(item).cy) + 2 * FMargin;
    }
}

void TsSkinableMenus::PrepareItemFont(TCanvas& canvas, TMenuItem& item, bool bold) const
{
    if (!Screen)
        return;
    // Set field by field: a font whose description does not change keeps its GDI font, and
    // making one per item is most of the cost of measuring a menu.
    const TFont& menuFont = *Screen->MenuFont();
    TFont& font = canvas.Font();
    font.SetName(menuFont.Name());
    font.SetHeight(menuFont.Height());
    font.SetColor(menuFont.Color());
    const TCustomForm* form = FormOfMenu(item);
    font.SetCharset(form ? form->Font()->Charset() : menuFont.Charset());
    TFontStyles style = menuFont.Style();
    if (bold)
        style.Include(fsBold);
    font.SetStyle(style);
}

int TsSkinableMenus::ExtraLineWidthShown(bool lineShown) const noexcept
{
    const TacMenuSupport* support = SkinManager ? SkinManager->MenuSupport() : nullptr;
    return support && support->UseExtraLine() && lineShown ? support->ExtraLineWidth() : 0;
}

std::optional<bool> TsSkinableMenus::QueryExtraLine(TMenuItem* firstItem, TMenuItem* item)
{
    if (!firstItem || firstItem->Name() == "SkinSelectItem")
        return false;
    InExtraLineEvent = true;
    ks::ScopeExit leave{[] { InExtraLineEvent = false; }};
    ExtraLineSection = "EXTRALINE";
    ExtraLineGlyph.reset();
    ExtraLineCaption = L"Use OnGetExtraLineData event";
    bool shown = true;
    TsSkinManager* manager = SkinManager;
    if (manager && manager->OnGetMenuExtraLineData()) {
        TBitmap* glyph = nullptr;
        ks::ComponentWatch watch;
        for (TComponent* c : {static_cast<TComponent*>(manager), static_cast<TComponent*>(firstItem),
                              static_cast<TComponent*>(item)})
            watch.Watch(c);
        manager->OnGetMenuExtraLineData()(firstItem, ExtraLineSection, ExtraLineCaption, glyph, shown);
        // The engine takes the glyph, as the event's contract says.
        ExtraLineGlyph.reset(glyph);
        // The handler may free the items or the manager, and this engine with it.
        if (!watch.Alive(manager) || !watch.Alive(firstItem) || (item && !watch.Alive(item))) {
            ExtraLineGlyph.reset();
            return std::nullopt;
        }
    }
    ExtraLineCaption = WithoutAmpersands(ExtraLineCaption);
    if (!shown)
        ExtraLineGlyph.reset();
    return shown;
}

void TsSkinableMenus::PopupItemMeasure(TObject* sender, TCanvas* canvas, int& width, int& height)
{
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item || !canvas || item->ComponentState().Contains(csDestroying))
        return;
    // Tells the popup window adapters that a skinned popup is on its way.
    SkinnedPopupShowing = true;
    const PopupCacheRec rec = ::MenuItemInfoOf(item, nullptr);
    CurrentItemType = MenuItemTypeOf(*item);
    bool lineShown = rec.ExtraLineShown;
    if (!rec.Bitmap && item->Parent() && item->Parent()->Count() > 0 && !InExtraLineEvent) {
        const std::optional<bool> shown = QueryExtraLine(item->Parent()->Items(0), item);
        if (!shown)
            return;
        lineShown = *shown;
    }

    PrepareItemFont(*canvas, *item, item->Default());
    std::wstring text;
    if (CurrentItemType == smCaption)
        text = L"-" + item->Caption() + L"-";
    else if (CurrentItemType == smNormal)
        text = item->Caption() + ShortCutToText(item->ShortCut());
    TRect r{0, 0, 0, 0};
    if (!text.empty()) {
        FontSelected font(*canvas);
        DrawTextOnDC(font.DC(), text, r, DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE);
    }
    width = 2 * GlyphSizeOf(*item).cx + r.Width() + 3 * FMargin + FSpacing;
    if (!ks::HasColumnBreak(item->Parent()))
        width += ExtraLineWidthShown(lineShown);
    // A caption of thousands of characters asks for more than any window can be (coordinates
    // are 16-bit in parts of the system); the painters cut their bitmaps to the screen.
    width = std::min(width, MaxItemWidth);
    height = ItemHeight(*canvas, *item);
}

void TsSkinableMenus::MainItemMeasure(TObject* sender, TCanvas* canvas, int& width, int& height)
{
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item || !canvas || item->ComponentState().Contains(csDestroying))
        return;
    height = ks::Sys().GetSystemMetrics(SM_CYMENU) - 1;
    width = canvas->TextWidth(WithoutAmpersands(item->Caption()));
    TMenu* menu = item->GetParentMenu();
    if (menu && menu->Images() && item->ImageIndex() >= 0)
        width += menu->Images()->Width() + 6;
}

TSize TsSkinableMenus::PopupSizeOf(TMenuItem& parent)
{
    // Measuring asks the application for the extra line, whose handler may free the skin
    // manager and this engine with it: nothing of this object is read once it has begun.
    const int border = FBorderWidth;
    ks::WindowDC screen(nullptr);
    TCanvas canvas;
    canvas.SetHandle(screen.get());
    ks::ScopeExit unbind{[&canvas] { canvas.SetHandle(nullptr); }};
    int width = 0;
    int height = 0;
    int columnWidth = 0;
    int columnHeight = 0;
    bool first = true;
    for (int i = 0; i < parent.Count(); ++i) {
        TMenuItem* item = parent.Items(i);
        if (!item->Visible())
            continue;
        if (StartsColumn(*item) && !first) {
            width += columnWidth + 12 + 4;
            height = std::max(height, columnHeight);
            columnWidth = 0;
            columnHeight = 0;
        }
        first = false;
        int w = 0;
        int h = 0;
        canvas.Font().Assign(Screen ? Screen->MenuFont() : nullptr);
        item->MeasureItem(canvas, w, h);
        columnWidth = std::max(columnWidth, w);
        columnHeight += h;
    }
    if (!first)
        width += columnWidth + 12;
    height = std::max(height, columnHeight);
    return {width + 2 * border, height + 2 * border};
}

// ---- the popup's background ---------------------------------------------------------------------------

PopupCacheRec TsSkinableMenus::MenuItemInfoOf(TMenuItem* item, int width, HWND wnd, int height)
{
    PopupCacheRec rec = ::MenuItemInfoOf(item, nullptr);
    if (rec.Bitmap || !item || width <= 0 || height <= 0 || !item->Parent() || item->Parent()->Count() == 0)
        return rec;
    TMenuItem* first = item->Parent()->Items(0);
    bool lineShown = false;
    if (!InExtraLineEvent) {
        const std::optional<bool> shown = QueryExtraLine(first, item);
        if (!shown)
            return {};
        lineShown = *shown;
    }
    std::shared_ptr<TBitmap> bitmap = PreparePopupBitmap(*item, width, height, lineShown);
    if (wnd)
        HookPopupWnd(wnd, bitmap.get());
    PopupCache.push_back({first, bitmap, wnd, lineShown});
    return ::MenuItemInfoOf(item, nullptr);
}

std::shared_ptr<TBitmap> TsSkinableMenus::PreparePopupBitmap(TMenuItem& item, int width, int height, bool lineShown)
{
    std::shared_ptr<TBitmap> bitmap(NewBitmap24(width, height));
    IconColumnWidth = FMargin + GlyphSizeOf(item).cx + FSpacing;
    const int border = SkinBorderWidth();
    const int extraW = ExtraLineWidthShown(lineShown);
    const int mainMenu = SkinManager->FindSection("MAINMENU");
    const int mask = SkinManager->FindMaskOwnOnly("MAINMENU", "BORDERSMASK");
    const bool hasMask = mainMenu >= 0 && SkinManager->MaskIndexValid(mask);
    if (mainMenu >= 0) {
        PaintSectionBackground(mainMenu, "MAINMENU", NoBackgroundCacheInfo, 0, TRect{0, 0, width, height}, TPoint{0, 0},
                               bitmap.get(), SkinManager, -1, -1, TransparentKeyColor);
        // A manager made in code (not streamed) has not had the default filled in.
        const std::string icoLine =
            SkinManager->MenuSupport()->IcoLineSkin().empty() ? "ICOLINE" : SkinManager->MenuSupport()->IcoLineSkin();
        const int icoSection = SkinManager->FindSection(icoLine);
        if (icoSection >= 0 && height > 2 * border) {
            const TPoint at{extraW + border, border};
            std::unique_ptr<TBitmap> strip = NewBitmap24(IconColumnWidth, height - 2 * border);
            PaintSectionBackground(icoSection, icoLine, CacheInfoFromBitmap(bitmap.get(), at.X, at.Y), 0,
                                   TRect{0, 0, strip->Width(), strip->Height()}, TPoint{0, 0}, strip.get(),
                                   SkinManager, -1, -1, TransparentKeyColor);
            BitBlt(bitmap->Canvas().Handle(), at.X, at.Y, strip->Width(), strip->Height(), strip->Canvas().Handle(), 0,
                   0, SRCCOPY);
        }
        if (hasMask)
            PaintSkinImageRect(*bitmap, TRect{0, 0, width, height}, false, CacheInfoFromBitmap(bitmap.get(), 0, 0),
                               SkinManager->MaskArray[static_cast<size_t>(mask)], 0, false);
    }
    if (extraW > 0 && SkinManager->FindSection(ExtraLineSection) >= 0)
        PaintExtraLine(*bitmap);
    ExtraLineGlyph.reset();
    PopupCorners.clear();
    if (hasMask)
        CollectPopupCorners(width, height);
    return bitmap;
}

void TsSkinableMenus::PaintExtraLine(TBitmap& bitmap)
{
    const int border = SkinBorderWidth();
    const int section = SkinManager->FindSection(ExtraLineSection);
    const TacMenuSupport& support = *SkinManager->MenuSupport();
    const int stripHeight = bitmap.Height() - 2 * border;
    if (stripHeight <= 0 || support.ExtraLineWidth() <= 0)
        return;
    std::unique_ptr<TBitmap> strip = NewBitmap24(support.ExtraLineWidth(), stripHeight);
    PaintSectionBackground(section, ExtraLineSection, CacheInfoFromBitmap(&bitmap, border, border), 0,
                           TRect{0, 0, strip->Width(), stripHeight}, TPoint{0, 0}, strip.get(), SkinManager, -1, -1,
                           TransparentKeyColor);
    TCanvas& canvas = strip->Canvas();
    int textBottom = stripHeight - 12;
    if (ExtraLineGlyph && !ExtraLineGlyph->Empty()) {
        canvas.Draw((strip->Width() - ExtraLineGlyph->Width()) / 2, stripHeight - 12 - ExtraLineGlyph->Height(),
                    *ExtraLineGlyph);
        textBottom = stripHeight - ExtraLineGlyph->Height() - 20;
    }
    const TFont& font = *support.ExtraLineFont();
    LOGFONTW lf = font.LogFont();
    lf.lfHeight = font.Size();
    lf.lfWidth = 0;
    lf.lfWeight = FW_NORMAL;
    // Text that runs upward, from the bottom of the band.
    lf.lfEscapement = -2700;
    lf.lfOrientation = -2700;
    ks::GdiFont rotated(CreateFontIndirectW(&lf));
    HDC dc = canvas.Handle();
    ks::SavedDC saved(dc);
    SelectObject(dc, rotated.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ColorToRGB(SkinManager->GeneralDataArray[static_cast<size_t>(section)].FontColor[0]));
    SIZE extent{};
    GetTextExtentPoint32W(dc, ExtraLineCaption.c_str(), static_cast<int>(ExtraLineCaption.size()), &extent);
    TextOutW(dc, (strip->Width() - extent.cy) / 2, textBottom, ExtraLineCaption.c_str(),
             static_cast<int>(ExtraLineCaption.size()));
    BitBlt(bitmap.Canvas().Handle(), border, border, strip->Width(), stripHeight, dc, 0, 0, SRCCOPY);
}

void TsSkinableMenus::CollectPopupCorners(int width, int height)
{
    const int index = SkinManager->FindMaskOwnOnly("MAINMENU", "BORDERSMASK");
    TsMaskData& mask = SkinManager->MaskArray[static_cast<size_t>(index)];
    TBitmap* image = mask.Bmp ? mask.Bmp.get() : SkinManager->MasterBitmap.get();
    const int cellWidth = MaskCellWidth(mask);
    const int cellHeight = MaskCellHeight(mask);
    if (!image || cellWidth <= 0 || cellHeight <= 0)
        return;
    int left = SkinManager->MaskBorderLeft(index);
    int right = SkinManager->MaskBorderRight(index);
    int top = SkinManager->MaskBorderTop(index);
    int bottom = SkinManager->MaskBorderBottom(index);
    ks::ShrinkToFit(width, left, right);
    ks::ShrinkToFit(height, top, bottom);
    const int bpp = image->PixelFormat() == pf32bit ? 4 : image->PixelFormat() == pf24bit ? 3 : 0;
    if (!bpp)
        return;
    const auto transparent = [&](int x, int y) {
        const int px = mask.R.Left + x;
        const int py = mask.R.Top + y;
        if (px < 0 || py < 0 || px >= image->Width() || py >= image->Height())
            return false;
        const uint8_t* p = image->ScanLine(py) + static_cast<ptrdiff_t>(px) * bpp;
        return RGB(p[2], p[1], p[0]) == static_cast<COLORREF>(TransparentKeyColor);
    };
    // Runs of key-coloured pixels of one corner row, as rectangles of the window.
    const auto addRuns = [&](int srcX, int srcY, int runWidth, int dstX, int dstY) {
        for (int x = 0; x < runWidth;) {
            if (!transparent(srcX + x, srcY)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < runWidth && transparent(srcX + end, srcY))
                ++end;
            PopupCorners.push_back(TRect{dstX + x, dstY, dstX + end, dstY + 1});
            x = end;
        }
    };
    for (int y = 0; y < std::min(top, cellHeight); ++y) {
        addRuns(0, y, std::min(left, cellWidth), 0, y);
        addRuns(cellWidth - right, y, right, width - right, y);
    }
    for (int y = 0; y < std::min(bottom, cellHeight); ++y) {
        addRuns(0, cellHeight - bottom + y, std::min(left, cellWidth), 0, height - bottom + y);
        addRuns(cellWidth - right, cellHeight - bottom + y, right, width - right, height - bottom + y);
    }
}

// ---- Unit start-up ----------------------------------------------------------------------------------

void InitializeSkinMenusUnit()
{
    ks::SkinServices& services = ks::Services();
    services.CreateMenus = [](TsSkinManager* manager) { return new TsSkinableMenus(manager); };
    services.FreeMenus = [](TsSkinableMenus* menus) noexcept { delete menus; };
    services.UpdateMenus = [](TsSkinableMenus& menus) { menus.UpdateMenus(); };
    services.ForgetMenuBorderWidth = [](TsSkinableMenus& menus) noexcept { menus.SetSkinBorderWidth(-1); };
    services.PopupItemShown = &HookPopupOfItem;
    services.PopupWindowShown = &HookPopupWindow;
    services.OwnerDrawMenuItems = [](TsSkinableMenus& menus, TPopupMenu* menu, bool enable) {
        menus.OwnerDrawMenuItems(menu, enable);
    };
}

void FinalizeSkinMenusUnit() noexcept
{
    ClearMenuCache();
    ExtraLineGlyph.reset();
    ExtraLineSection.clear();
    ExtraLineCaption.clear();
}
