#include "skin/forms/FrameLayout.h"

#include <algorithm>

int IconSizeClass(int h) noexcept
{
    if (h >= -100 && h <= 8)
        return 1;
    if (h >= 9 && h <= 16)
        return 8;
    return 16;
}

namespace ks::frame {

int CaptionHeightOf(bool hasCaption, int skinned, bool raiseCaptionHeight, int system) noexcept
{
    if (!hasCaption)
        return 0;
    int r = skinned;
    if (raiseCaptionHeight)
        r = std::max(r, system + 4);
    else if (r == 0)
        r = system;
    return r;
}

int TitleButtonsWidthOf(const ButtonStrip& strip) noexcept
{
    int width = strip.BIRight;
    if (strip.CloseVisible) {
        width += strip.CloseWidth;
        if (strip.MaxVisible)
            width += strip.MaxWidth + strip.Gap;
        if (strip.MinVisible)
            width += strip.MinWidth + strip.Gap;
        if (strip.HelpVisible)
            width += strip.HelpWidth + strip.Gap;
    }
    if (!strip.UserWidths.empty())
        width += 8;
    for (int w : strip.UserWidths)
        width += w + strip.Gap;
    return width;
}

int TitleButtonTop(const ButtonPlace& p) noexcept
{
    const bool ownMaxHeight = p.TitleHeight != p.MaxHeight;
    if (p.TopAligned) {
        int top = p.MarginTop;
        if (p.Maximized) {
            top += p.SystemFrame - 1;
            if (p.BorderForm) {
                if (ownMaxHeight)
                    top += p.TitleHeight - p.MaxHeight;
                if (p.BorderMode == 1)
                    top += p.CenterOffset;
            }
        }
        return top;
    }
    int top = (p.Band - p.ButtonHeight) / 2 + p.MarginTop;
    if (p.BorderForm && p.BorderMode == 1)
        top += p.CenterOffset;
    if (p.Zoomed && p.BorderForm) {
        top -= 2;
        if (ownMaxHeight)
            top += (p.TitleHeight - p.MaxHeight - p.CenterOffset) / 2 - 2;
    }
    if (p.BorderForm && p.Maximized)
        top += p.SystemFrame / 2;
    if (p.SingleOrSizeable && p.ButtonHeight < 16)
        top += 2;
    return top;
}

int MenuRowsOf(std::span<const int> itemTops) noexcept
{
    int rows = 0;
    for (size_t i = 0; i < itemTops.size(); ++i)
        if (std::find(itemTops.begin(), itemTops.begin() + static_cast<std::ptrdiff_t>(i), itemTops[i]) ==
            itemTops.begin() + static_cast<std::ptrdiff_t>(i))
            ++rows;
    // An empty bar still takes its row.
    return std::max(rows, 1);
}

}  // namespace ks::frame
