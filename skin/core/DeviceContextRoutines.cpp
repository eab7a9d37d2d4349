#include "skin/core/DeviceContextRoutines.h"

#include "vcl/GdiHandles.h"
#include "vcl/Graphics.h"

#include <algorithm>
#include <cstdint>

namespace {

// r cut to limit; an empty result when they do not meet.
TRect CutTo(int64_t left, int64_t top, int64_t right, int64_t bottom, const TRect& limit) noexcept
{
    left = std::max<int64_t>(left, limit.Left);
    top = std::max<int64_t>(top, limit.Top);
    right = std::min<int64_t>(right, limit.Right);
    bottom = std::min<int64_t>(bottom, limit.Bottom);
    if (left >= right || top >= bottom)
        return {0, 0, 0, 0};
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right), static_cast<int>(bottom)};
}

bool HasArea(const RECT& r) noexcept
{
    return r.right > r.left && r.bottom > r.top;
}

} // namespace

void FillRectSolid(HDC dc, const TRect& r, TColor color)
{
    // FillRect mirrors an inverted rectangle instead of filling nothing.
    if (dc == nullptr || r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    ks::SavedDC saved(dc);
    ks::GdiBrush brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color))));
    const RECT rc{r.Left, r.Top, r.Right, r.Bottom};
    FillRect(dc, &rc, brush.get());
}

void FillFrameSolid(HDC dc, const TRect& r, int leftWidth, int topWidth, int rightWidth, int bottomWidth,
                    TColor color)
{
    if (dc == nullptr || r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    const int64_t lw = std::max(leftWidth, 0), tw = std::max(topWidth, 0);
    const int64_t rw = std::max(rightWidth, 0), bw = std::max(bottomWidth, 0);
    const int64_t L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    const TRect strips[4] = {
        CutTo(L, T, R, T + tw, r),
        CutTo(L, T + tw, L + lw, B, r),
        CutTo(L + lw, B - bw, R, B, r),
        CutTo(R - rw, T + tw, R, B - bw, r),
    };
    ks::SavedDC saved(dc);
    ks::GdiBrush brush(CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(color))));
    for (const TRect& s : strips) {
        const RECT rc{s.Left, s.Top, s.Right, s.Bottom};
        if (HasArea(rc))
            FillRect(dc, &rc, brush.get());
    }
}

void CopyFrameStrips(HDC dc, int x, int y, int width, int height, HDC srcDC, int srcX, int srcY, int borderWidth)
{
    if (dc == nullptr || srcDC == nullptr || width <= 0 || height <= 0 || borderWidth <= 0)
        return;
    // The sides take the whole height, the top and bottom only what lies between the sides, so
    // a frame wider than half the area is the whole area copied once per side, never more.
    const int side = std::min(borderWidth, width);
    const int band = std::min(borderWidth, height);
    const int between = std::max(width - 2 * side, 0);
    BitBlt(dc, x, y, side, height, srcDC, srcX, srcY, SRCCOPY);
    BitBlt(dc, x + width - side, y, side, height, srcDC, srcX + width - side, srcY, SRCCOPY);
    if (between > 0) {
        BitBlt(dc, x + side, y, between, band, srcDC, srcX + side, srcY, SRCCOPY);
        BitBlt(dc, x + side, y + height - band, between, band, srcDC, srcX + side, srcY + height - band, SRCCOPY);
    }
}
