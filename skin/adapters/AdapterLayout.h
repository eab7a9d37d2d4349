#pragma once
// The arithmetic of the button-family, static and panel adapters, kept apart from the windows
// so that it is checked on its own: which state a button is painted in, where its caption and
// glyph go, which skin glyph a check box shows, how high a group box's caption band is, which
// section a panel's bevels ask for, and what a link label shows of its text. Sizes never come
// out negative, whatever the window or the text measures.
#include "vcl/GraphicsTypes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ks::adapters {

// Button window style bits read here (the low four bits are the button type).
inline constexpr uint32_t ButtonTypeMask = 0xF;
inline constexpr uint32_t StyleDefPushButton = 0x1;
inline constexpr uint32_t StyleLeftText = 0x20;
inline constexpr uint32_t StyleMultiLine = 0x2000;
// BM_GETSTATE bits.
inline constexpr uint32_t StateChecked = 0x1;
inline constexpr uint32_t StateIndeterminate = 0x2;
inline constexpr uint32_t StatePushed = 0x4;
inline constexpr uint32_t StateFocus = 0x8;

// What the push-button painters know of a button at one moment.
struct PushButtonFacts {
    uint32_t buttonState = 0;  // BM_GETSTATE
    uint32_t style = 0;        // GWL_STYLE
    bool enabled = true;
    bool focused = false;      // has the keyboard focus
    bool hot = false;          // the skin manager's active control
    bool hasOwnerControl = false;
};

// 2 pressed; 0 disabled; 1 focused or hot; else 1 for a default button (the button type
// BS_DEFPUSHBUTTON for a class-library button, style bit 0 for a bare window), 0 otherwise.
int ButtonState(const PushButtonFacts& facts) noexcept;

// The caption centred in a client of the given size, one pixel wider on the left; moved by
// (1, 1) when pushed.
TRect CenteredCaptionRect(TSize client, TSize text, bool pushed) noexcept;
// The width a push button's caption may take: 0 for an empty caption, else the width less 2,
// less the glyph and 2 more beside it; never below 0.
int MaxCaptionWidth(int width, bool captionEmpty, int glyphWidth) noexcept;
// A BS_BITMAP button: the caption moved right by half the glyph and 1 when there is a glyph;
// the glyph ends 2 pixels left of the caption and is centred vertically (1 lower when
// pushed); an empty rectangle without a glyph.
TRect BitmapCaptionRect(TRect caption, TSize glyph) noexcept;
TRect BitmapGlyphRect(TRect caption, TSize client, TSize glyph, bool pushed) noexcept;

// A class-library bit button (layout 0 glyph left, 1 right, 2 top, 3 bottom): its caption may
// take the width less twice the margin, less the glyph and the spacing beside it when the glyph
// lies left or right; 0 for an empty caption, never below 0.
int BitBtnMaxCaptionWidth(int width, bool captionEmpty, int layout, TSize glyph, int margin, int spacing) noexcept;
// Its glyph's rectangle: the glyph and the caption (spaced only when both are there) centred
// together along the layout, the glyph centred across it (a stacked glyph 1 right of the
// middle); (0, 0) for another layout; 1 right and down when pushed.
TRect BitBtnGlyphRect(TSize client, TSize glyph, TSize text, int layout, int spacing, bool captionEmpty,
                      bool pushed) noexcept;

// The check box's check state from BM_GETSTATE: 2 indeterminate, 1 checked, else 0.
int CheckState(uint32_t buttonState) noexcept;
// Radio glyphs only for button types with bit 2 set and bits 0 and 1 clear (BS_RADIOBUTTON,
// 12); the automatic radio button (9) shows the box glyphs as every other type.
bool UsesRadioGlyphs(uint32_t style) noexcept;
// The GLOBALINFO image of the check glyph: "RADIO..."/"BOX..." by style and check state; a
// grayed radio button shows "BOXGRAYED".
std::string_view CheckGlyphName(uint32_t style, int checkState) noexcept;
// The glyph's cell state: 2 pushed, 1 focused or hot, else 0.
int CheckGlyphState(uint32_t buttonState, bool hot) noexcept;
// The check box caption's rectangle, as wide as the text measured (at most the room beside the
// glyph) and centred vertically: from 2 with BS_LEFTTEXT (the glyph then lies right), else
// from 2 past the glyph's room, one pixel up (and one left for a multi-line caption).
TRect CheckCaptionRect(TSize client, TSize text, int glyphWidth, uint32_t style) noexcept;
// The glyph's top-left corner: at the left edge (right edge with BS_LEFTTEXT), centred
// vertically.
TPoint CheckGlyphPos(TSize client, TSize cell, uint32_t style) noexcept;

// The group box's caption band for a caption measured as text in a box width wide.
TRect GroupCaptionBand(TSize text, int width) noexcept;

// Panel bevels (the class library's TBevelCut) and the section they are painted with.
enum class Bevel { None, Lowered, Raised, Space };
std::string_view PanelSection(Bevel outer, Bevel inner, bool borderNone) noexcept;

// A link label's text with every upper-case "<A>" and "</A>" taken out; lower-case tags stay.
std::wstring StripAnchorTags(std::wstring_view text);

} // namespace ks::adapters
