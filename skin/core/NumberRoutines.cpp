#include "skin/core/NumberRoutines.h"

#include "vcl/SysUtils.h"

bool RectsIntersect(const TRect& a, const TRect& b) noexcept
{
    if (b.Bottom <= a.Top || b.Right <= a.Left || b.Left >= a.Right || b.Top >= a.Bottom)
        return false;
    return b.Right > b.Left && b.Bottom > b.Top;
}

bool RectInRect(const TRect& outer, const TRect& inner) noexcept
{
    auto inside = [&outer](int x, int y) {
        return x >= outer.Left && x <= outer.Right && y >= outer.Top && y <= outer.Bottom;
    };
    return inside(inner.Left, inner.Top) && inside(inner.Right, inner.Bottom);
}

int ScalePercent(int value, int base) noexcept
{
    return RoundHalfEven(base + (100.0 - base) * value / 100.0);
}
