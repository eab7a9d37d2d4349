#pragma once
// Where a tab control's parts lie, worked out from what the control answers (its style, its item
// rectangles, its display rectangle), kept apart from the windows so that it is checked on its
// own. No size comes out negative and nothing divides by a zero-sized tab.
#include "vcl/GraphicsTypes.h"

#include <cstdint>

namespace ks::adapters {

// Tab positions and styles as the tab control's window style gives them.
enum class TabSide { Top = 0, Bottom = 1, Left = 2, Right = 3 };
enum class TabLook { Tabs = 0, Buttons = 1, FlatButtons = 2 };

// TCS_BOTTOM (2) without TCS_VERTICAL (0x80) is the bottom; TCS_VERTICAL is the left, with
// TCS_RIGHT (2) the right.
TabSide TabSideOf(uint32_t style) noexcept;
// TCS_FLATBUTTONS (8) wins over TCS_BUTTONS (0x100).
TabLook TabLookOf(uint32_t style) noexcept;

// The rectangle a tab is painted in, from its item rectangle: grown towards the page so that
// tabs meet it, the selected one larger than the others.
TRect TabPaintRect(TRect item, TabLook look, TabSide side, bool selected) noexcept;
// The strip the tabs stand in, beside the page rectangle page, in a control of the given size;
// the whole control without tabs.
TRect TabStripRect(TSize size, bool hasTabs, TRect page, TabSide side) noexcept;
// Everything of the control beside the tab strip: where the page section goes.
TRect PageAreaRect(TSize size, bool hasTabs, TRect strip, TabSide side) noexcept;
// The row of a tab whose item rectangle is item, in a control with rows rows of tabs standing in
// strip: rows are painted from 1 up, so that nearer rows cover farther ones. Always within
// 1 .. rows; 1 with fewer than two rows or a tab of no size.
int TabRowOf(int rows, TRect item, TRect strip, TabSide side) noexcept;

} // namespace ks::adapters
