#include "skin/adapters/TabGeometry.h"

#include <algorithm>

namespace ks::adapters {

namespace {

constexpr uint32_t StyleBottomOrRight = 0x2;
constexpr uint32_t StyleFlatButtons = 0x8;
constexpr uint32_t StyleVertical = 0x80;
constexpr uint32_t StyleButtons = 0x100;

TRect Inflated(TRect r, int dx, int dy) noexcept
{
    return {r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy};
}

} // namespace

TabSide TabSideOf(uint32_t style) noexcept
{
    if (style & StyleVertical)
        return style & StyleBottomOrRight ? TabSide::Right : TabSide::Left;
    return style & StyleBottomOrRight ? TabSide::Bottom : TabSide::Top;
}

TabLook TabLookOf(uint32_t style) noexcept
{
    if (style & StyleFlatButtons)
        return TabLook::FlatButtons;
    return style & StyleButtons ? TabLook::Buttons : TabLook::Tabs;
}

TRect TabPaintRect(TRect r, TabLook look, TabSide side, bool selected) noexcept
{
    if (look == TabLook::Tabs && r.Width() > 0 && r.Height() > 0) {
        if (selected) {
            r.Bottom -= 1;
        } else {
            r.Bottom += 3;
            r.Right -= 1;
        }
    }
    const int s = selected ? 1 : 0;
    switch (side) {
    case TabSide::Top:
        r = Inflated(r, 2 * s, 2 * s);
        r.Bottom += 1;
        break;
    case TabSide::Bottom:
        r = Inflated(r, 2 * s, s);
        r.Top -= 2;
        r.Bottom += selected ? 1 : -3;
        break;
    case TabSide::Left:
        r = Inflated(r, 0, 1);
        r.Right += 2;
        if (selected) {
            r = Inflated(r, 1, 1);
        } else {
            r.Bottom -= 4;
            r.Right += 2;
        }
        break;
    case TabSide::Right:
        r = Inflated(r, 1, 0);
        r = {r.Left - 1, r.Top - 1, r.Right - 1, r.Bottom - 1};
        if (selected) {
            r = Inflated(r, 1, 1);
            r.Bottom += 3;
        } else {
            r.Bottom -= 2;
        }
        break;
    }
    return r;
}

TRect TabStripRect(TSize size, bool hasTabs, TRect page, TabSide side) noexcept
{
    TRect r{0, 0, std::max(size.cx, 0), std::max(size.cy, 0)};
    if (!hasTabs)
        return r;
    switch (side) {
    case TabSide::Top: r.Bottom = page.Top - 4; break;
    case TabSide::Bottom: r.Top = page.Bottom + 1; break;
    case TabSide::Left: r.Right = page.Left - 1; break;
    case TabSide::Right: r.Left = page.Right + 1; break;
    }
    r.Right = std::clamp(r.Right, 0, std::max(size.cx, 0));
    r.Bottom = std::clamp(r.Bottom, 0, std::max(size.cy, 0));
    r.Left = std::clamp(r.Left, 0, r.Right);
    r.Top = std::clamp(r.Top, 0, r.Bottom);
    return r;
}

TRect PageAreaRect(TSize size, bool hasTabs, TRect strip, TabSide side) noexcept
{
    TRect r{0, 0, std::max(size.cx, 0), std::max(size.cy, 0)};
    if (!hasTabs)
        return r;
    switch (side) {
    case TabSide::Top: r.Top = strip.Bottom; break;
    case TabSide::Bottom: r.Bottom = strip.Top; break;
    case TabSide::Left: r.Left = strip.Right; break;
    case TabSide::Right: r.Right = strip.Left; break;
    }
    return r;
}

int TabRowOf(int rows, TRect item, TRect strip, TabSide side) noexcept
{
    const int w = item.Width(), h = item.Height();
    if (rows < 2 || w <= 0 || h <= 0)
        return 1;
    int row = 1;
    switch (side) {
    case TabSide::Top: row = (h / 2 + item.Bottom) / h; break;
    case TabSide::Left: row = (w / 2 + item.Right) / w; break;
    case TabSide::Right: row = rows - ((item.Right - strip.Right + w / 2) / w) + 1; break;
    case TabSide::Bottom: row = rows - ((item.Bottom - strip.Bottom + h / 2) / h) + 1; break;
    }
    return std::clamp(row, 1, rows);
}

} // namespace ks::adapters
