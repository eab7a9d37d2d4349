#include "skin/adapters/ScrollBarGeometry.h"

#include <algorithm>
#include <cstdint>

namespace ks {

namespace {

// a * b / c, rounded as the platform's MulDiv (half away from zero), in 64 bits; c != 0.
long long MulDiv64(long long a, long long b, long long c) noexcept
{
    const long long n = a * b;
    const long long half = (c < 0 ? -c : c) / 2;
    const bool negative = (n < 0) != (c < 0);
    const long long q = ((n < 0 ? -n : n) + half) / (c < 0 ? -c : c);
    return negative ? -q : q;
}

int ClampToInt(long long v) noexcept
{
    return static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

} // namespace

long long RangeOf(const ScrollState& s) noexcept
{
    return static_cast<long long>(s.Max) - s.Min + 1;
}

ThumbGeometry CalcThumb(int extent, int arrowLength, const ScrollState& s, int minThumbSize) noexcept
{
    ThumbGeometry t;
    const long long work = std::max<long long>(static_cast<long long>(extent) - 2LL * arrowLength, 0);
    const long long range = RangeOf(s);
    const long long page = std::max(s.Page, 0);
    if (page == 0)
        t.Size = arrowLength;
    else if (range > 0)
        t.Size = ClampToInt(std::max<long long>(MulDiv64(page, work, range), minThumbSize));
    if (range > 0) {
        const long long span = range - std::max<long long>(page, 1);
        const long long room = work - t.Size;
        long long offset = span > 0 ? MulDiv64(static_cast<long long>(s.Pos) - s.Min, room, span) : 0;
        offset = std::clamp<long long>(offset, 0, std::max<long long>(room, 0));
        t.Offset = ClampToInt(offset);
    }
    return t;
}

ScrollPortion PortionAt(int at, int extent, int arrowLength, const ThumbGeometry& thumb) noexcept
{
    if (at < 0 || at >= extent)
        return spNone;
    const int fullArrow = arrowLength;
    int arrow = arrowLength;
    if (extent <= 2 * arrow)
        arrow = extent / 2;
    if (at < arrow)
        return spFirstArrow;
    if (at >= extent - arrow)
        return spSecondArrow;
    if (static_cast<long long>(thumb.Size) >= static_cast<long long>(extent) - 2LL * fullArrow)
        return spNone;
    const int start = fullArrow + thumb.Offset;
    if (at >= start && at < start + thumb.Size)
        return spSlider;
    if (at < start)
        return spPageBefore;
    return spPageAfter;
}

bool SliderShown(int extent, int arrowLength, const ScrollState& s, int minThumbSize) noexcept
{
    const long long work = static_cast<long long>(extent) - 2LL * arrowLength;
    const long long range = RangeOf(s);
    if (range <= 0 || work < 1)
        return false;
    const long long size = std::max<long long>(MulDiv64(std::max(s.Page, 0), work, range), minThumbSize);
    return size >= 1 && size <= work;
}

int DragPosition(int sliderStart, int trackLength, int thumbSize, const ScrollState& s) noexcept
{
    const long long range = RangeOf(s);
    if (range <= 0)
        return s.Min;
    // The last position a page allows: a full page shows the range's end.
    const long long last = std::max<long long>(s.Max - std::max<long long>(s.Page - 1, 0), s.Min);
    const long long room = static_cast<long long>(trackLength) - thumbSize;
    if (room <= 0)
        return s.Min;
    const long long start = std::clamp<long long>(sliderStart, 0, room);
    const long long position = s.Min + MulDiv64(start, last - s.Min, room);
    return ClampToInt(std::clamp<long long>(position, s.Min, last));
}

int Position16(int position) noexcept
{
    if (position >= 0)
        return std::min(position, 65535);
    return static_cast<int>(static_cast<unsigned>(std::max(position, -32768)) & 0xFFFFu);
}

} // namespace ks
