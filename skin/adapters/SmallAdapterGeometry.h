#pragma once
// The arithmetic of the combo-box, up-down and speed-button adapters, kept apart from the
// windows so that it is checked on its own: where a combo box's drop-down button lies, how an
// up-down control is cut into its two buttons, where a speed button's glyph and caption go, and
// how wide a popup-menu window's frame is.
#include "vcl/GraphicsTypes.h"

namespace ks::adapters {

// The drop-down button of a combo box of width x height in window coordinates: buttonWidth
// wide (0 for none), 2 pixels inside the right edge, or inside the left one for right-to-left
// reading.
TRect ComboButtonRect(int width, int height, int buttonWidth, bool rightToLeft) noexcept;

// The two buttons of an up-down control: the upper and lower (vertical) or left and right
// halves. The first half takes the odd pixel and both share the middle row or column.
struct SpinHalves {
    TRect first;
    TRect second;
};
SpinHalves SpinButtonHalves(int width, int height, bool vertical) noexcept;
// Which half the point (window coordinates) lies in: 0 the first, 1 the second; inside the
// shared middle row the first wins.
int SpinHalfAt(const SpinHalves& halves, TPoint p) noexcept;

// Speed-button layouts, as the class library numbers them.
enum class GlyphLayout { Left = 0, Right = 1, Top = 2, Bottom = 3 };
struct SpeedButtonFacts {
    TSize button;         // the button's size
    TSize glyph;          // one glyph cell; 0 x 0 for none
    TSize text;           // the caption measured; 0 x 0 for none
    GlyphLayout layout = GlyphLayout::Left;
    int margin = -1;      // -1 centres glyph and caption as a group
    int spacing = 4;      // between glyph and caption, only with a caption
    bool pressed = false; // state 2 moves the glyph and a centred caption one pixel
};
struct SpeedButtonPlaces {
    TPoint glyph;
    TRect caption;
};
SpeedButtonPlaces SpeedButtonLayout(const SpeedButtonFacts& facts) noexcept;

// The frame of a popup-menu window: half of what its window is wider than its client area.
// Windows draws a 3-pixel frame outside the client; Wine draws it inside, leaving 0.
int MenuFrameWidth(int windowWidth, int clientWidth) noexcept;

} // namespace ks::adapters
