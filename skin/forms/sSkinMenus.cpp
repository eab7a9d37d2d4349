#include "skin/forms/sSkinMenus.h"

#include "skin/core/SkinSenders.h"
#include "skin/core/SkinServices.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "vcl/WindowSubclass.h"

#include <algorithm>

std::vector<PopupCacheRec> PopupCache;

namespace {

constexpr wchar_t PopupMenuProperty[] = L"KsPopupMenu";
using PopupMenuKind = ks::SubclassKindOf<PopupMenuProperty>;

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
        // The records name items of the popup tree that is closing now.
        ClearMenuCache();
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

bool IsPopupMenuWindow(HWND wnd)
{
    wchar_t name[16] = {};
    return wnd && GetClassNameW(wnd, name, 16) > 0 && std::wstring_view(name) == L"#32768";
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
    if (!parent->HandleAllocated())
        return;
    RECT r{};
    if (!GetMenuItemRect(nullptr, parent->Handle(), 0, &r) && !GetMenuItemRect(PopupList().Window(), parent->Handle(), 0, &r))
        return;
    const HWND wnd = WindowFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    if (IsPopupMenuWindow(wnd))
        menus.HookPopupWnd(wnd, rec.Bitmap.get());
}

void HookPopupWindow(TsSkinableMenus& menus, HWND wnd)
{
    const PopupCacheRec rec = MenuItemInfoOf(nullptr, wnd);
    if (rec.Bitmap)
        menus.HookPopupWnd(wnd, rec.Bitmap.get());
}

// Draws an item through its own default path, as it would be drawn without the engine's
// handler: until the skinned item painting exists, menus look as the platform draws them.
void DrawAsPlatform(TObject* sender, TCanvas* canvas, const TRect& rect, TOwnerDrawState state, bool topLevel)
{
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item || !canvas)
        return;
    const TAdvancedMenuDrawItemEvent handler = item->OnAdvancedDrawItem();
    item->SetOnAdvancedDrawItem(nullptr);
    ks::ScopeExit restore{[item, handler] { item->SetOnAdvancedDrawItem(handler); }};
    item->AdvancedDrawItem(*canvas, rect, state, topLevel);
}

} // namespace

void ClearMenuCache() noexcept
{
    PopupCache.clear();
}

PopupCacheRec MenuItemInfoOf(const TMenuItem* item, HWND wnd)
{
    for (const PopupCacheRec& rec : PopupCache) {
        if (item) {
            const TMenuItem* parent = rec.FirstItem ? rec.FirstItem->Parent() : nullptr;
            if (parent && parent->IndexOf(item) >= 0)
                return rec;
        } else if (wnd && rec.Wnd == wnd) {
            return rec;
        }
    }
    return {};
}

// ---- TsSkinableMenus --------------------------------------------------------------------------------

int TsSkinableMenus::SkinBorderWidth()
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
    const TAdvancedMenuDrawItemEvent draw(this, &TsSkinableMenus::MainItemDraw);
    const TMenuMeasureItemEvent measure(this, &TsSkinableMenus::MainItemMeasure);
    const bool skinLoaded = SkinManager->SkinData.SkinActive;
    for (int i = 0; i < menu->Items()->Count(); ++i) {
        TMenuItem* top = menu->Items()->Items(i);
        if (enable && skinLoaded && Skinned()) {
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
                 item && !dynamic_cast<TMainMenu*>(item->GetParentMenu()))
            SetUpPopupItem(item, enable);
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

// The platform measured the item before calling the handler; that size stands.
void TsSkinableMenus::PopupItemMeasure(TObject*, TCanvas*, int&, int&) {}
void TsSkinableMenus::MainItemMeasure(TObject*, TCanvas*, int&, int&) {}

void TsSkinableMenus::PopupItemDraw(TObject* sender, TCanvas* canvas, const TRect& rect, TOwnerDrawState state)
{
    DrawAsPlatform(sender, canvas, rect, state, false);
}

void TsSkinableMenus::MainItemDraw(TObject* sender, TCanvas* canvas, const TRect& rect, TOwnerDrawState state)
{
    DrawAsPlatform(sender, canvas, rect, state, true);
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
