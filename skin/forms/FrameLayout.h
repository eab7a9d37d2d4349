#pragma once
// The arithmetic of a skinned form's frame that needs no window: the title-bar height rule, the
// automatic icon size, the width of the title-button strip, the vertical place of a title
// button, the rows a menu bar wraps into and the division that skin images feed. The provider
// (FormFrameGeometry.cpp) gathers the numbers from the window, the system and the skin and
// calls these, so the painter, the hit test and the border window all use the same measures.

#include <span>

// The automatic icon side for a caption height h: 1, 8 or 16.
int IconSizeClass(int h) noexcept;

namespace ks::frame {

// Cells, columns and rows read from a skin are never trusted as divisors.
inline int DivSafe(int value, int divisor) noexcept { return value / (divisor < 1 ? 1 : divisor); }

// The title bar's height. hasCaption: the window shows a caption (a border and all of the
// caption style) or is iconic; skinned: the skin's title height with a border window (0 without);
// system: the system's caption height of the window's kind.
int CaptionHeightOf(bool hasCaption, int skinned, bool raiseCaptionHeight, int system) noexcept;


// What the strip of title buttons at the right of the title bar is made of.
struct ButtonStrip {
    int BIRight = 0;
    // Width + visible flag of the close, maximise, minimise and help buttons.
    bool CloseVisible = false;
    int CloseWidth = 0;
    bool MaxVisible = false;
    int MaxWidth = 0;
    bool MinVisible = false;
    int MinWidth = 0;
    bool HelpVisible = false;
    int HelpWidth = 0;
    // BISPACE for forms of a single or sizeable border, else 0.
    int Gap = 0;
    // Every user button of the collection, visible or not.
    std::span<const int> UserWidths;
};
int TitleButtonsWidthOf(const ButtonStrip& strip) noexcept;

// What decides the top of a title button.
struct ButtonPlace {
    // The button is of the big glyph set and the skin's BIVALIGN is 1.
    bool TopAligned = false;
    int MarginTop = 0;
    // WindowState is wsMaximized / the window is zoomed.
    bool Maximized = false;
    bool Zoomed = false;
    bool BorderForm = false;
    int TitleHeight = 0;
    int MaxHeight = 0;
    int CenterOffset = 0;
    int BorderMode = 0;
    // FormBorderWidth from the system's metrics.
    int SystemFrame = 0;
    // BorderWidthIfNoExtBorders(skin) + CaptionHeight(skin).
    int Band = 0;
    int ButtonHeight = 0;
    bool SingleOrSizeable = false;
};
int TitleButtonTop(const ButtonPlace& place) noexcept;

// The rows a menu bar takes, from the tops of its items as the system laid them out: the system
// alone decides where the bar wraps (an item wider than the line takes a row of its own, and
// rows may break before the line is full), so the rows are not worked out again from widths.
int MenuRowsOf(std::span<const int> itemTops) noexcept;

// The top of an icon of iconHeight centred between t0 and bandBottom.
inline int CentredTop(int t0, int bandBottom, int iconHeight) noexcept
{
    return t0 + (bandBottom - t0 - iconHeight) / 2;
}

}  // namespace ks::frame
