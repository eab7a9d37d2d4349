#pragma once
// The portable geometry and pixel loops of the skinned hint windows (sHintWindows.h): where a
// shape's pointer ends, the extra size an ellipse needs round its text box, the balloon's trail,
// and the loops that turn a shape mask, a body and a shadow into the image of a layered window.
// Masks are 24-bit: white (255 in the first byte) outside the shape, dark inside. Rounding of
// the extra sizes is half to even, as everywhere in the engine (PixelCore.h).

#include "vcl/GraphicsTypes.h"

#include <utility>
#include <vector>

namespace ks {

// The tip of the pointer of a width x height window whose anchor corner is at the right and/or
// the bottom: 3 pixels in from that corner.
TPoint PointerTip(int width, int height, bool right, bool bottom) noexcept;

// The width and height an ellipse adds round a w x h text box so that the box fits inside it:
// d = sqrt(w * w + h * h) - w, extra width round(w * d / h), extra height round(h * d / w). An
// empty box needs nothing.
std::pair<int, int> EllipseExtra(int w, int h) noexcept;

// The count ellipses of a balloon's trail, from the body ellipse's edge towards tip: the k-th
// (from 1) is body's size divided by divisor * k, their centres at equal steps, the last one
// half a step short of the tip. Empty for an empty body, a count below 1 or a divisor below 1.
std::vector<TRect> BalloonTrail(const TRect& body, TPoint tip, int count, int divisor);

// The image of a layered hint: where mask's first byte is above 254 (outside the shape), black
// with alpha 255 minus the shadow's first byte; elsewhere the body's pixel with alpha 255.
// dst is 32-bit; mask, body and shadow 24-bit; all four of one size, else nothing is drawn.
void ComposeLayeredHint(const PixelView& dst, const PixelView& mask, const PixelView& body,
                        const PixelView& shadow) noexcept;

// Draws a one-pixel outline into a 24-bit body where the inside of mask meets its outside (a
// pure white mask pixel): inside pixels with an outside neighbour above or to the left take
// topLeft, the others with an outside neighbour below or to the right take bottomRight. Pixels
// at the image's edge count as meeting the outside. Views of different sizes draw nothing.
void OutlineShape(const PixelView& body, const PixelView& mask, TColor topLeft, TColor bottomRight) noexcept;

// Turns a 24-bit picture into a mask: pixels of colour key become white, all others black.
void KeyToMask(const PixelView& v, TColor key) noexcept;

// Darkens dst by shadow (both 24-bit, one size): each byte d becomes d * s / 255, rounded, s
// being the shadow's byte, so a white shadow leaves dst as it is.
void MultiplyByShadow(const PixelView& dst, const PixelView& shadow) noexcept;

} // namespace ks
