#include "skin/forms/sSkinMenus.h"

#include "skin/core/SkinSenders.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"

#include <algorithm>

std::vector<PopupCacheRec> PopupCache;

namespace {

// The procedure a popup window had before HookPopupWnd took it over.
constexpr wchar_t PopupProcProperty[] = L"KsPopupMenuProc";

LRESULT CALLBACK PopupWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(wnd, PopupProcProperty));
    switch (msg) {
    // The skin paints the whole window; letting the system erase or frame it first flickers.
    case WM_ERASEBKGND:
    case WM_NCPAINT:
        return 1;
    case WM_DESTROY:
        // The records name items of the popup tree that is closing now.
        ClearMenuCache();
        break;
    case WM_NCDESTROY:
        RemovePropW(wnd, PopupProcProperty);
        // Someone who subclassed after us keeps our procedure as theirs; it then passes
        // everything on to the default procedure.
        if (previous && GetWindowLongPtrW(wnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&PopupWndProc))
            SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        break;
    default:
        break;
    }
    return previous ? CallWindowProcW(previous, wnd, msg, wParam, lParam) : DefWindowProcW(wnd, msg, wParam, lParam);
}

// Draws an item through its own default path, as it would be drawn without the engine's
// handler: until the skinned item painting exists, menus look as the platform draws them.
void DrawAsPlatform(TObject* sender, TCanvas* canvas, const TRect& rect, TOwnerDrawState state, bool topLevel)
{
    auto* item = dynamic_cast<TMenuItem*>(sender);
    if (!item || !canvas)
        return;
    struct Restore {
        TMenuItem* Item;
        TAdvancedMenuDrawItemEvent Handler;
        ~Restore() { Item->SetOnAdvancedDrawItem(Handler); }
    } restore{item, item->OnAdvancedDrawItem()};
    item->SetOnAdvancedDrawItem(nullptr);
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
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC));
    if (current != &PopupWndProc) {
        if (!SetPropW(wnd, PopupProcProperty, reinterpret_cast<HANDLE>(current)))
            return;
        // Fails for a window of another process, which then stays as it is.
        if (!SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PopupWndProc))) {
            RemovePropW(wnd, PopupProcProperty);
            return;
        }
    }
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
