#include "skin/adapters/acSBUtils.h"

#include "skin/core/SkinServices.h"

TacMainWnd* GetScrollHandler(HWND wnd) noexcept
{
    if (!wnd)
        return nullptr;
    return static_cast<TacMainWnd*>(GetPropW(wnd, AdapterProperty));
}

void InitializeAcSBUtilsUnit()
{
    ks::Services().HasAdapter = [](HWND wnd) noexcept { return GetScrollHandler(wnd) != nullptr; };
}
