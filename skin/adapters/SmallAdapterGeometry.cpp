#include "skin/adapters/SmallAdapterGeometry.h"

#include <algorithm>

namespace ks::adapters {

TRect ComboButtonRect(int width, int height, int buttonWidth, bool rightToLeft) noexcept
{
    const int w = std::max(buttonWidth, 0);
    const int left = rightToLeft ? 2 : width - w - 2;
    return Rect(left, 2, left + w, height - 2);
}

SpinHalves SpinButtonHalves(int width, int height, bool vertical) noexcept
{
    const int w = std::max(width, 0);
    const int h = std::max(height, 0);
    if (vertical)
        return {Rect(0, 0, w, h / 2 + h % 2), Rect(0, h / 2, w, h)};
    return {Rect(0, 0, w / 2 + w % 2, h), Rect(w / 2, 0, w, h)};
}

int SpinHalfAt(const SpinHalves& halves, TPoint p) noexcept
{
    const TRect& f = halves.first;
    return p.X >= f.Left && p.X < f.Right && p.Y >= f.Top && p.Y < f.Bottom ? 0 : 1;
}

SpeedButtonPlaces SpeedButtonLayout(const SpeedButtonFacts& f) noexcept
{
    const int w = f.button.cx;
    const int h = f.button.cy;
    const int gw = std::max(static_cast<int>(f.glyph.cx), 0);
    const int gh = std::max(static_cast<int>(f.glyph.cy), 0);
    const int tw = std::max(static_cast<int>(f.text.cx), 0);
    const int th = std::max(static_cast<int>(f.text.cy), 0);
    const bool hasGlyph = gw > 0 && gh > 0;
    const bool hasText = tw > 0 || th > 0;
    const int spacing = hasText && hasGlyph ? f.spacing : 0;
    const bool centred = f.margin == -1;
    SpeedButtonPlaces p;
    int cx = 0;
    int cy = 0;
    if (!hasGlyph) {
        cx = (w - tw) / 2;
        cy = (h - th) / 2;
        if (!centred) {
            switch (f.layout) {
            case GlyphLayout::Left: cx = f.margin; break;
            case GlyphLayout::Right: cx = w - f.margin - tw; break;
            case GlyphLayout::Top: cy = f.margin; break;
            case GlyphLayout::Bottom: cy = h - f.margin - th; break;
            }
        }
    } else {
        const int offsetX = (w - gw - spacing - tw) / 2;
        const int offsetY = (h - gh - spacing - th) / 2;
        switch (f.layout) {
        case GlyphLayout::Left:
            p.glyph = TPoint{centred ? offsetX : f.margin, (h - gh) / 2};
            cx = p.glyph.X + gw + spacing;
            cy = (h - th) / 2;
            break;
        case GlyphLayout::Right:
            p.glyph = TPoint{centred ? w - offsetX - gw : w - gw - f.margin, (h - gh) / 2};
            cx = p.glyph.X - spacing - tw;
            cy = (h - th) / 2;
            break;
        case GlyphLayout::Top:
            p.glyph = TPoint{(w - gw) / 2, centred ? offsetY : f.margin};
            cx = (w - tw) / 2;
            cy = p.glyph.Y + gh + spacing;
            break;
        case GlyphLayout::Bottom:
            p.glyph = TPoint{(w - gw) / 2, centred ? h - offsetY - gh : h - gh - f.margin};
            cx = (w - tw) / 2;
            cy = p.glyph.Y - spacing - th;
            break;
        }
    }
    if (f.pressed) {
        if (hasGlyph)
            p.glyph = TPoint{p.glyph.X + 1, p.glyph.Y + 1};
        if (hasGlyph || centred) {
            ++cx;
            ++cy;
        }
    }
    p.caption = Rect(cx, cy, cx + tw, cy + th);
    return p;
}

int MenuFrameWidth(int windowWidth, int clientWidth) noexcept
{
    return std::max((windowWidth - clientWidth) / 2, 0);
}

} // namespace ks::adapters
