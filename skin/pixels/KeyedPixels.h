#pragma once
// Keyed pixel work on plain views: pictures whose pixels of one key colour show what lies behind
// them, copied, blended at a fixed share, tinted or greyed, and rectangles mixed with a colour. PixelEffects.h adapts bitmaps to it;
// rounding follows PixelCore.h.
//
// Views are 24- or 32-bit; each is read and written by its own depth (a 32-bit source is never
// read three bytes at a time), and other depths are left alone. A colour compares with a pixel
// by its blue, green and red bytes unless a routine says otherwise.

#include "skin/pixels/PixelCore.h"

namespace ks {

// What the key-coloured pixels of a keyed copy become.
struct KeyFill {
    enum Kind { Keep, Backdrop, Colour };
    Kind kind = Keep;
    // Backdrop: destination pixel (x, y) takes backdrop.Under(x, y), and is kept where the
    // backdrop has none.
    AlphaBackdrop backdrop;
    // Colour: its blue, green and red, TransparentKeyColor too: magenta in a cache bitmap marks
    // what later painters (corners, regions) treat as transparent.
    TColor colour = 0;
};

// The engine's inclusive source rectangles (right and bottom on the last pixel copied) made
// exclusive: a negative left or top becomes 0, moving *at by the same amount when at is given
// (the destination is then aligned as if the whole rectangle had been drawn); the right and
// bottom are limited to src's last column and row.
TRect InclusiveSourceRect(TRect r, const PixelView& src, TPoint* at) noexcept;

// Copies srcRect of src with its top-left corner at at; pixels equal to key become what fill
// says. Every pixel written into a 32-bit destination becomes opaque. Only pixels inside both
// views are touched.
void CopyKeyed(const PixelView& dst, TPoint at, const PixelView& src, const TRect& srcRect, TColor key,
               const KeyFill& fill) noexcept;

// Blends srcRect of src into dst at at: each colour byte becomes s - (s - d) * percent, rounded
// and limited to 0..255 (percent is the weight of the destination's byte); alpha stays. Source
// pixels equal to key are skipped: a 24-bit source compares its three bytes, a 32-bit one its
// value as 0xAABBGGRR (so TransparentKeyColor matches the key colour with alpha 0). A key whose
// top byte is 0xFF skips nothing.
void BlendKeyed(const PixelView& dst, TPoint at, const PixelView& src, const TRect& srcRect, double percent,
                TColor key) noexcept;

// Every pixel not equal to key (compared as BlendKeyed compares a source of the view's depth)
// becomes (p - c) * percent + c per colour byte, rounded and limited to 0..255; alpha stays.
void TintKeyed(const PixelView& v, TColor color, TColor key, double percent) noexcept;

// Every pixel of a 24-bit view becomes grey, (blue + green + red) div 3 in all three bytes;
// with keyed set, pixels equal to key stay as they are.
void Greyscale24(const PixelView& v, bool keyed, TColor key) noexcept;

// Each colour byte b of r (right/bottom exclusive, clipped) becomes b * share + the colour's byte
// * (1 - share), rounded and limited to 0..255; alpha stays.
void MixRectWithColour(const PixelView& v, const TRect& r, TColor color, double share) noexcept;

// Puts back pixels of a 32-bit src into a 32-bit dst where a corner is to stay transparent: for
// each (i, j) of rect's size, where the key source's pixel at keyAt + (i, j) has the colour key
// (blue, green and red compared; 24- or 32-bit), the whole pixel of src at srcAt + (i, j)
// replaces dst's at rect's corner + (i, j). Without a key source dst's own pixel is tested.
// Only pixels inside every view take part.
void RestoreKeyed32(const PixelView& dst, const TRect& rect, const PixelView& src, TPoint srcAt,
                    const PixelView* keySource, TPoint keyAt, TColor key) noexcept;

} // namespace ks
