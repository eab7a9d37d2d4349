#include "skin/core/WinRoutines.h"

#include "vcl/Forms.h"
#include "vcl/Icon.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"

#include <shellapi.h>

#include <cstddef>

namespace {

// Windows: systems before Vista refuse the record with the padded border width at its end;
// the record without it is accepted everywhere (Wine included).
constexpr UINT NonClientMetricsSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);

bool CaptionFont(LOGFONTW& font) noexcept
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = NonClientMetricsSize;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, NonClientMetricsSize, &metrics, 0))
        return false;
    font = metrics.lfCaptionFont;
    return true;
}

} // namespace

int GetCaptionFontSize() noexcept
{
    LOGFONTW font{};
    return CaptionFont(font) ? font.lfHeight : 0;
}

ks::GdiFont CreateCaptionFont() noexcept
{
    LOGFONTW font{};
    if (!CaptionFont(font))
        return {};
    return ks::GdiFont(CreateFontIndirectW(&font));
}

bool IsWindowsXPOrLater() noexcept
{
    return ks::Sys().IsWindowsXPOrLater();
}

int PlatformFrameWidth(LONG_PTR style) noexcept
{
    if (style & WS_THICKFRAME)
        return ks::Sys().GetSystemMetrics(SM_CXFRAME);
    if (style & WS_BORDER)
        return ks::Sys().GetSystemMetrics(SM_CXDLGFRAME);
    return 0;
}

std::unique_ptr<TIcon> GetShellIcon(const std::wstring& fileName, UINT flags)
{
    if (!FileExists(fileName))
        return nullptr;
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(fileName.c_str(), 0, &info, sizeof info, flags | SHGFI_ICON) || !info.hIcon)
        return nullptr;
    ks::UniqueIcon owned(info.hIcon);
    auto icon = std::make_unique<TIcon>();
    icon->SetHandle(owned.release()); // the icon object owns it from here
    return icon;
}

void WaitMilliseconds(DWORD ms)
{
    const DWORD start = ks::Sys().GetTickCount();
    do
        Application->ProcessMessages();
    while (ks::Sys().GetTickCount() - start < ms);
}
