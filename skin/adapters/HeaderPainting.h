#pragma once
// One item of a column header painted from the skin, as the list view's header and a virtual
// tree's header show it: the "COLHEADER" section (the "BUTTON" section in a skin without it) in
// the item's state, the sort arrow at the right, the item's image, then its text, one pixel
// lower and to the right while the item is pressed.
#include "skin/core/sConst.h"
#include "vcl/Win.h"

#include <commctrl.h>

#include <string>

class TsSkinManager;

namespace ks::adapters {

// Which way a column is sorted; the arrow of the skin's top or bottom scroll button shows it.
enum class HeaderSort { None, Ascending, Descending };

struct HeaderItemContent {
    std::wstring Text;
    HFONT Font = nullptr;
    // DT_LEFT, DT_CENTER or DT_RIGHT.
    UINT Align = DT_LEFT;
    HeaderSort Sort = HeaderSort::None;
    HIMAGELIST Images = nullptr;
    int Image = -1;
};

// The item in state (0 normal, 1 hot, 2 pressed) into r of dc, over fill where the section shows
// through; content nullptr paints the empty space after the last item.
void PaintHeaderItem(TsSkinManager& manager, HDC dc, const TRect& r, int state, TColor fill,
                     const HeaderItemContent* content);

} // namespace ks::adapters
