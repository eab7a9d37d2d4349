// Where a form's menu-line items lie in the provider's menu-line image: the menus' main-item
// painter takes its background from there, so the items sit on the skin's menu line.

#include "skin/forms/sSkinProvider.h"

#include "skin/core/sCommonData.h"
#include "skin/forms/FormFrameGeometry.h"
#include "skin/forms/sSkinMenus.h"
#include "vcl/Bitmap.h"

namespace {

MenuLineImage MenuLineOf(TsSkinProvider* provider, HDC dc)
{
    return provider ? provider->MenuLineFor(dc) : MenuLineImage{};
}

} // namespace

MenuLineImage TsSkinProvider::MenuLineFor(HDC dc) const
{
    if (!Form || !MenuLineBmp || MenuLineBmp->Empty() || !SkinData())
        return {};
    // The image was taken from the cache at the client's left edge and the menu line's top.
    TPoint origin{ClientOffsetX(), MenuLineTop()};
    const TBitmap* cache = SkinData()->CacheBitmap.get();
    if (cache && !cache->Empty() && dc == const_cast<TBitmap*>(cache)->Canvas().Handle())
        return {MenuLineBmp, origin};
    // Any other DC is the window's: its frame is the system's, the cache's the skin's.
    const HWND wnd = Form->HandleIfAllocated();
    TsSkinManager* manager = ProviderSkinManager();
    const bool borderForm = BorderForm != nullptr;
    const TRect m = ExtBorderMargins();
    const int borderDelta = FormBorderWidth(wnd, manager, borderForm, true) - FormBorderWidth(wnd, manager, borderForm, false);
    const int titleDelta = CaptionHeight(true) - CaptionHeight(false) - FormBorderWidth(wnd, manager, borderForm, false);
    origin.X -= borderDelta + m.Left;
    origin.Y -= titleDelta + m.Top + (RaiseCaptionHeight ? 4 : 0);
    return {MenuLineBmp, origin};
}

int TsSkinProvider::MenuLineTop() const
{
    // Right above the client, one pixel higher without a border window (the line between the
    // menu line and the client).
    return ClientOffsetY() - MenuLineCount() * MenuBarHeight() - (BorderForm ? 0 : 1);
}

void InitializeSkinProviderUnit()
{
    RegisterClasses<TsSkinProvider>();
    ProviderMenuLine = &MenuLineOf;
}
