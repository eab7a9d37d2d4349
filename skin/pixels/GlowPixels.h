#pragma once
// The alpha of a glow halo. Skin images know no alpha of their own: the painters blend a picture
// through its mask row, copy it around a key colour, or copy it whole, and they treat the alpha
// byte of a 32-bit destination each in their own way. Painting the same image once over black
// and once over white tells, per channel, how much of the background still shows, whichever way
// the image was painted; that is all a layered window needs. Rounding follows PixelCore.h.

#include "skin/pixels/PixelCore.h"

namespace ks {

// onBlack: a 32-bit picture painted over black; onWhite: the same picture painted over white
// (24- or 32-bit, the same size). Makes onBlack the premultiplied picture that a per-pixel-alpha
// window shows: per channel the opacity is 255 - (white - black), the pixel's alpha the largest of
// its channels', its colour the one over black, which never exceeds that alpha. An alpha of 1 or
// less becomes a fully transparent pixel (all four bytes 0): a mask blend keeps a background of
// 255 one step lower, so a pixel that shows only its background still differs by 254. A pixel
// of TransparentKeyColor over both backgrounds is transparent too: the painters copy the sides of
// images without a mask row as they are, key colour included. Views of other depths or of
// different sizes are left alone.
void PremultiplyFromBackdrops(const PixelView& onBlack, const PixelView& onWhite) noexcept;

} // namespace ks
