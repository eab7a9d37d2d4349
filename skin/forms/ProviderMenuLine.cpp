// Where a form's menu-line items lie in the provider's menu-line image: the menus' main-item
// painter takes its background from there, so the items sit on the skin's menu line.

#include "skin/forms/sSkinProvider.h"

#include "skin/core/SkinServices.h"
#include "skin/core/sCommonData.h"
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
    // The image was taken from the cache at the left edge of the form's own border band and the
    // menu line's top.
    TPoint origin{ClientOffsetX() - Form->BorderWidth(), MenuLineTop()};
    const TBitmap* cache = SkinData()->CacheBitmap.get();
    if (cache && !cache->Empty() && dc == const_cast<TBitmap*>(cache)->Canvas().Handle())
        return {MenuLineBmp, origin};
    // Any other DC is the window's: its frame is the system's, the cache's the skin's.
    const TRect m = ExtBorderMargins();
    origin.X -= BorderWidthDelta() + m.Left;
    origin.Y -= TitleHeightDelta() + m.Top + (RaiseCaptionHeight ? 4 : 0);
    return {MenuLineBmp, origin};
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
