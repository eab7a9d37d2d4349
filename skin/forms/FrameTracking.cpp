// Snapping, sizing outlines and border bands of a skinned form's frame.
#include "skin/forms/FrameTracking.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace ks {

namespace {

int Clamp32(int64_t v) noexcept
{
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

bool MovesLeft(int code) noexcept
{
    return code == fhLeft || code == fhTopLeft || code == fhBottomLeft;
}

bool MovesTop(int code) noexcept
{
    return code == fhTop || code == fhTopLeft || code == fhTopRight;
}

} // namespace

void CheckSnap(int& pos, int edge, int buffer, int size) noexcept
{
    const int64_t gap = static_cast<int64_t>(pos) + size - edge;
    if ((gap < 0 ? -gap : gap) < buffer)
        pos = Clamp32(static_cast<int64_t>(edge) - size);
}

void SnapToWorkArea(int& x, int& y, int width, int height, const FrameRect& workArea, int buffer, int marginX,
                    int marginY) noexcept
{
    CheckSnap(x, workArea.Right, buffer, Clamp32(static_cast<int64_t>(width) + marginX));
    CheckSnap(y, workArea.Bottom, buffer, Clamp32(static_cast<int64_t>(height) + marginX));
    CheckSnap(x, workArea.Left, buffer, -marginX);
    CheckSnap(y, workArea.Top, buffer, -marginY);
}

FrameRect SizingOutline(const FrameRect& form, int hitCode, int dx, int dy, int minWidth, int minHeight) noexcept
{
    const int64_t minW = std::max(minWidth, 1);
    const int64_t minH = std::max(minHeight, 1);
    int64_t left = form.Left;
    int64_t top = form.Top;
    int64_t right = form.Right;
    int64_t bottom = form.Bottom;
    // A side band sizes in one direction only: a drag along the left edge never changes the height.
    if (MovesLeft(hitCode))
        left = std::min<int64_t>(static_cast<int64_t>(form.Left) + dx, right - minW);
    else if (hitCode != fhTop && hitCode != fhBottom)
        right = std::max<int64_t>(static_cast<int64_t>(form.Right) + dx, left + minW);
    if (MovesTop(hitCode))
        top = std::min<int64_t>(static_cast<int64_t>(form.Top) + dy, bottom - minH);
    else if (hitCode != fhLeft && hitCode != fhRight)
        bottom = std::max<int64_t>(static_cast<int64_t>(form.Bottom) + dy, top + minH);
    return {Clamp32(left), Clamp32(top), Clamp32(right), Clamp32(bottom)};
}

FrameRect MovedOutline(const FrameRect& form, int dx, int dy) noexcept
{
    return {Clamp32(static_cast<int64_t>(form.Left) + dx), Clamp32(static_cast<int64_t>(form.Top) + dy),
            Clamp32(static_cast<int64_t>(form.Right) + dx), Clamp32(static_cast<int64_t>(form.Bottom) + dy)};
}

FrameHitCode BorderBandAt(int x, int y, int width, int height, int border, int top) noexcept
{
    const bool atTop = y < top;
    const bool atBottom = !atTop && static_cast<int64_t>(y) > static_cast<int64_t>(height) - border;
    const bool atLeft = x < border;
    const bool atRight = !atLeft && static_cast<int64_t>(x) > static_cast<int64_t>(width) - border;
    if (atTop)
        return atLeft ? fhTopLeft : atRight ? fhTopRight : fhTop;
    if (atBottom)
        return atLeft ? fhBottomLeft : atRight ? fhBottomRight : fhBottom;
    if (atLeft)
        return fhLeft;
    if (atRight)
        return fhRight;
    return fhNone;
}

bool IsBorderBand(int code) noexcept
{
    return code >= fhLeft && code <= fhBottomRight;
}

} // namespace ks
