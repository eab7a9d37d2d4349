#include "skin/adapters/AdapterLayout.h"

#include <algorithm>

namespace ks::adapters {

int ButtonState(const PushButtonFacts& f) noexcept
{
    if (f.buttonState & StatePushed)
        return 2;
    if (!f.enabled)
        return 0;
    if (f.focused || f.hot)
        return 1;
    if (f.hasOwnerControl)
        return (f.style & ButtonTypeMask) == StyleDefPushButton ? 1 : 0;
    return (f.style & 1) ? 1 : 0;
}

TRect CenteredCaptionRect(TSize client, TSize text, bool pushed) noexcept
{
    const int x = (client.cx - text.cx) / 2;
    const int y = (client.cy - text.cy) / 2;
    TRect r{x - 1, y, client.cx - x + 2, client.cy - y};
    if (pushed)
        r = {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
    return r;
}

int MaxCaptionWidth(int width, bool captionEmpty, int glyphWidth) noexcept
{
    if (captionEmpty)
        return 0;
    int w = width - 2;
    if (glyphWidth != 0)
        w -= glyphWidth + 2;
    return std::max(w, 0);
}

TRect BitmapCaptionRect(TRect caption, TSize glyph) noexcept
{
    if (glyph.cx <= 0)
        return caption;
    const int dx = glyph.cx / 2 + 1;
    return {caption.Left + dx, caption.Top, caption.Right + dx, caption.Bottom};
}

TRect BitmapGlyphRect(TRect caption, TSize client, TSize glyph, bool pushed) noexcept
{
    if (glyph.cx <= 0)
        return {};
    const int right = caption.Left - 2;
    const int top = (client.cy - glyph.cy) / 2 + (pushed ? 1 : 0);
    return {right - glyph.cx, top, right, top + glyph.cy};
}

int BitBtnMaxCaptionWidth(int width, bool captionEmpty, int layout, TSize glyph, int margin, int spacing) noexcept
{
    if (captionEmpty)
        return 0;
    int w = width - 2 * margin;
    if (layout <= 1 && glyph.cy != 0)
        w -= glyph.cx + spacing;
    return std::max(w, 0);
}

TRect BitBtnGlyphRect(TSize client, TSize glyph, TSize text, int layout, int spacing, bool captionEmpty,
                      bool pushed) noexcept
{
    const int s = glyph.cx > 0 && !captionEmpty ? spacing : 0;
    const int hx = (client.cx - glyph.cx - text.cx - s) / 2;
    const int hy = (client.cy - glyph.cy - text.cy - s) / 2;
    TPoint at{0, 0};
    switch (layout) {
    case 0: at = {hx, (client.cy - glyph.cy) / 2}; break;
    case 1: at = {(client.cx - glyph.cx + s + text.cx) / 2, (client.cy - glyph.cy) / 2}; break;
    case 2: at = {(client.cx - glyph.cx) / 2 + 1, hy}; break;
    case 3: at = {(client.cx - glyph.cx) / 2 + 1, client.cy - hy - glyph.cy}; break;
    default: break;
    }
    if (pushed)
        at = {at.X + 1, at.Y + 1};
    return {at.X, at.Y, at.X + glyph.cx, at.Y + glyph.cy};
}

int CheckState(uint32_t buttonState) noexcept
{
    if (buttonState & StateIndeterminate)
        return 2;
    return (buttonState & StateChecked) ? 1 : 0;
}

bool UsesRadioGlyphs(uint32_t style) noexcept
{
    return (style & 4) != 0 && (style & 3) == 0;
}

std::string_view CheckGlyphName(uint32_t style, int checkState) noexcept
{
    if (checkState == 2)
        return "BOXGRAYED";
    if (UsesRadioGlyphs(style))
        return checkState == 1 ? "RADIOCHECKED" : "RADIOUNCHECKED";
    return checkState == 1 ? "BOXCHECKED" : "BOXUNCHECKED";
}

int CheckGlyphState(uint32_t buttonState, bool hot) noexcept
{
    if (buttonState & StatePushed)
        return 2;
    return ((buttonState & StateFocus) || hot) ? 1 : 0;
}

TRect CheckCaptionRect(TSize client, TSize text, int glyphWidth, uint32_t style) noexcept
{
    const int available = std::max(client.cx - (glyphWidth + 2), 0);
    const int width = std::clamp(text.cx, 0, available);
    const int top = std::max((client.cy - text.cy) / 2, 0);
    const int bottom = std::max(client.cy - top, top);
    if (style & StyleLeftText)
        return {2, top, 2 + width, bottom};
    const int left = client.cx - available + 2;
    const int dx = (style & StyleMultiLine) ? -1 : 0;
    return {left + dx, top - 1, left + width + dx, bottom - 1};
}

TPoint CheckGlyphPos(TSize client, TSize cell, uint32_t style) noexcept
{
    const int y = (client.cy - cell.cy) / 2;
    return {(style & StyleLeftText) ? client.cx - cell.cx : 0, y};
}

TRect GroupCaptionBand(TSize text, int width) noexcept
{
    TRect band{6, 0, text.cx + 14, std::max(4, text.cy) + 2};
    if (band.Right > width - 1)
        band.Right = std::max(width - 1, band.Left);
    return band;
}

std::string_view PanelSection(Bevel outer, Bevel inner, bool borderNone) noexcept
{
    switch (outer) {
    case Bevel::Lowered: return inner == Bevel::Raised ? "GROUPBOX" : "PANEL_LOW";
    case Bevel::Raised: return inner == Bevel::Lowered ? "GROUPBOX" : "PANEL";
    default: return borderNone ? "CHECKBOX" : "PANEL_LOW";
    }
}

std::wstring StripAnchorTags(std::wstring_view text)
{
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text.substr(i, 3) == L"<A>") {
            i += 3;
        } else if (text.substr(i, 4) == L"</A>") {
            i += 4;
        } else {
            out += text[i];
            ++i;
        }
    }
    return out;
}

} // namespace ks::adapters
