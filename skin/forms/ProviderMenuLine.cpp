// Where a form's menu-line items lie in the provider's menu-line image: the menus' main-item
// painter takes its background from there, so the items sit on the skin's menu line. Also the
// item the system left lit on a form's window, put back at the title buttons' next change.

#include "skin/forms/sSkinProvider.h"

#include "skin/core/SkinServices.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sStyleSimply.h"
#include "skin/forms/FormFrameGeometry.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/sSkinMenus.h"
#include "vcl/Bitmap.h"
#include "vcl/Controls.h"
#include "vcl/Forms.h"

#include <algorithm>
#include <optional>

namespace {

// An item of a form's menu line that the system lit on the window. The system puts it back when
// the mouse moves on within the line, but not when the mouse goes straight on to a title button,
// whose handling is the provider's. Kept by window and command, not by pointers: the form or
// the item may be gone by the time it is put back.
struct LitMenuItem {
    HWND Wnd = nullptr;
    UINT Command = 0;
    // On the window.
    TRect Rect;
};
std::optional<LitMenuItem> gLitItem;

bool IsCacheDC(const TsSkinProvider& provider, HDC dc)
{
    const TBitmap* cache = provider.SkinData() ? provider.SkinData()->CacheBitmap.get() : nullptr;
    return cache && !cache->Empty() && dc == const_cast<TBitmap*>(cache)->Canvas().Handle();
}

MenuLineImage MenuLineOf(TsSkinProvider* provider, const MenuLineItemPaint& paint)
{
    if (!provider)
        return {};
    const HWND wnd = provider->FormWnd();
    if (wnd && paint.Item && !IsCacheDC(*provider, paint.DC)) {
        const LitMenuItem item{wnd, paint.Item->Command(), paint.Rect};
        if (paint.Hot)
            gLitItem = item;
        else if (gLitItem && gLitItem->Wnd == item.Wnd && gLitItem->Command == item.Command)
            gLitItem.reset();
    }
    return provider->MenuLineFor(paint.DC);
}

} // namespace

void RedrawLitMenuItem(HWND wnd)
{
    // Only the form's own title buttons take the mouse from its line. Another window's hit test
    // (a maximised MDI child's, whose hidden title lies under its main form's line) leaves the
    // item of an open menu lit.
    if (!gLitItem || gLitItem->Wnd != wnd)
        return;
    const std::optional<LitMenuItem> lit = std::exchange(gLitItem, std::nullopt);
    if (!IsWindow(lit->Wnd))
        return;
    auto* form = dynamic_cast<TCustomForm*>(FindControl(lit->Wnd));
    auto* provider = form ? dynamic_cast<TsSkinProvider*>(ks::ProviderComponentOf(*form)) : nullptr;
    TMainMenu* menu = form ? form->Menu() : nullptr;
    TMenuItem* item = menu ? menu->FindItem(lit->Command, fkCommand) : nullptr;
    if (provider && item)
        provider->RedrawMenuItem(*item, lit->Rect);
}

MenuLineImage TsSkinProvider::MenuLineFor(HDC dc) const
{
    if (!Form || !MenuLineBmp || MenuLineBmp->Empty() || !SkinData())
        return {};
    // The image was taken from the cache at the left edge of the form's own border band and the
    // menu line's top.
    TPoint origin{ClientOffsetX() - Form->BorderWidth(), MenuLineTop()};
    if (IsCacheDC(*this, dc))
        return {MenuLineBmp, origin};
    // Any other DC is the window's: its frame is the system's, the cache's the skin's.
    const TRect m = ExtBorderMargins();
    origin.X -= BorderWidthDelta() + m.Left;
    // A border window's image lies with its client over the window's: the window shows the line
    // at the rows the image has it on, whatever the two title heights.
    if (BorderForm) {
        origin.Y -= BorderForm->OwnerOffset().Y;
        return {MenuLineBmp, origin};
    }
    // Without one the window shows the image as it is. The platform lays its bar out below its
    // own title; the whole paint moves the items from there onto the skin's line, by as many rows
    // as the skin's line lies lower.
    const HWND wnd = Form->HandleIfAllocated();
    const HMENU bar = wnd ? GetMenu(wnd) : nullptr;
    RECT first{}, window{};
    if (bar && GetMenuItemRect(wnd, bar, 0, &first) && GetWindowRect(wnd, &window)) {
        const int skinnedTop = BorderWidthIfNoExtBorders(wnd, ProviderSkinManager(), false, true) + CaptionHeight(true);
        origin.Y -= skinnedTop - (first.top - window.top);
    }
    return {MenuLineBmp, origin};
}

TRect TsSkinProvider::MenuLineEndRect() const
{
    constexpr int EndWidth = 60;
    const HWND wnd = FormWnd();
    TsSkinManager* manager = ProviderSkinManager();
    if (!wnd || !manager)
        return {};
    // The line as the frame's paint lays it: inside the skin's side borders, below its title.
    const TRect m = ExtBorderMargins();
    const int b = FormBorderWidth(wnd, manager, BorderForm != nullptr, true);
    const int left = b + m.Left;
    const int right = SkinnedWindowWidth() - b - m.Right;
    const int width = std::clamp(right - left, 0, EndWidth);
    const int top = BorderWidthIfNoExtBorders(wnd, manager, BorderForm != nullptr, true) + CaptionHeight(true) + m.Top;
    const int bottom = top + GetSystemMetrics(SM_CYMENU) + 3;
    // A mirrored form lays the child's buttons out at the line's left end, where their clicks
    // land.
    if (ks::IsMirrored(wnd))
        return {left, top, left + width, bottom};
    return {right - width, top, right, bottom};
}

int TsSkinProvider::MenuLineTop() const
{
    // Right above the client and the form's own border band, one pixel higher without a border
    // window (the line between the menu line and the client).
    return ClientOffsetY() - MenuLineCount() * MenuBarHeight() - (Form ? Form->BorderWidth() : 0) - (BorderForm ? 0 : 1);
}

void InitializeSkinProviderUnit()
{
    RegisterClasses<TsSkinProvider>();
    ProviderMenuLine = &MenuLineOf;
    ks::SkinServices& services = ks::Services();
    services.ProviderForm = [](TObject* owner) noexcept -> TCustomForm* {
        auto* provider = dynamic_cast<TsSkinProvider*>(owner);
        return provider ? provider->Form : nullptr;
    };
    services.ProviderSectionChanged = [](TObject* owner) noexcept {
        auto* provider = dynamic_cast<TsSkinProvider*>(owner);
        if (provider)
            provider->SectionChanged();
        return provider != nullptr;
    };
}
