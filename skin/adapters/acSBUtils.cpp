#include "skin/adapters/acSBUtils.h"

TacMainWnd* GetScrollHandler(HWND wnd) noexcept
{
    if (!wnd)
        return nullptr;
    return static_cast<TacMainWnd*>(GetPropW(wnd, AdapterProperty));
}
