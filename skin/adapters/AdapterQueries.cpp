#include "skin/adapters/AdapterQueries.h"

#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"

#include <algorithm>

namespace ks::adapters {

DWORD StyleOf(HWND wnd) noexcept
{
    return static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_STYLE));
}

DWORD ExStyleOf(HWND wnd) noexcept
{
    return static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_EXSTYLE));
}

TRect WindowRectOf(HWND wnd) noexcept
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return Rect(r.left, r.top, r.right, r.bottom);
}

TRect ClientRectOnScreen(HWND wnd) noexcept
{
    RECT c{};
    GetClientRect(wnd, &c);
    POINT corners[2] = {{c.left, c.top}, {c.right, c.bottom}};
    ClientToScreen(wnd, &corners[0]);
    ClientToScreen(wnd, &corners[1]);
    return Rect(std::min(corners[0].x, corners[1].x), corners[0].y, std::max(corners[0].x, corners[1].x), corners[1].y);
}

bool Inside(const TRect& r, POINT p) noexcept
{
    return p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom;
}

bool OwnManager(const TMessage& m, const TsCommonData* data) noexcept
{
    return data && ks::SkinCommandView(const_cast<TMessage&>(m)).Manager() == data->SkinManager();
}

bool Destroying(const TComponent* c) noexcept
{
    return c && c->ComponentState().Contains(csDestroying);
}

bool Loading(const TComponent* c) noexcept
{
    return c && c->ComponentState().Contains(csLoading);
}

} // namespace ks::adapters
