#include "skin/pixels/ControlFramePixels.h"

#include "skin/pixels/PixelCore.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace ks {

void FillUnderKey(const PixelView& dst, TPoint at, const PixelView& image, const TRect& keyRect, TColor key,
                  const KeyFill& fill) noexcept
{
    if (fill.kind == KeyFill::Keep || (fill.kind == KeyFill::Colour && fill.colour == TransparentKeyColor))
        return;
    if ((dst.bpp != 24 && dst.bpp != 32) || (image.bpp != 24 && image.bpp != 32))
        return;
    constexpr int Far = std::numeric_limits<int>::max();
    const Piece p = ClipPiece(dst, {at.X, at.Y, Far, Far}, image, keyRect);
    if (p.Empty())
        return;
    const int db = dst.bpp / 8, ib = image.bpp / 8;
    const uint8_t kb = BlueOf(key), kg = GreenOf(key), kr = RedOf(key);
    const uint8_t colour[3] = {BlueOf(fill.colour), GreenOf(fill.colour), RedOf(fill.colour)};
    const uint8_t* in = image.Row(p.sy) + static_cast<ptrdiff_t>(p.sx) * ib;
    uint8_t* out = dst.Row(p.dy) + static_cast<ptrdiff_t>(p.dx) * db;
    for (int j = 0; j < p.rows; ++j, in += image.stride, out += dst.stride) {
        for (int i = 0; i < p.cols; ++i) {
            const uint8_t* k = in + i * ib;
            if (k[0] != kb || k[1] != kg || k[2] != kr)
                continue;
            const uint8_t* from = colour;
            if (fill.kind == KeyFill::Backdrop) {
                from = fill.backdrop.Under(p.dx + i, p.dy + j);
                if (from == nullptr)
                    continue;
            }
            uint8_t* d = out + i * db;
            d[0] = from[0];
            d[1] = from[1];
            d[2] = from[2];
            if (db == 4)
                d[3] = 0xFF;
        }
    }
}

Piece FitPiece(const PixelView& dst, const TRect& dstRect, const PixelView& image, const TRect& srcRect,
               int maskOffset) noexcept
{
    Piece p = ClipPiece(dst, dstRect, image, srcRect);
    if (maskOffset > 0 && !p.Empty())
        p.rows = static_cast<int>(std::min<int64_t>(p.rows, int64_t{image.height} - maskOffset - p.sy));
    return p;
}

} // namespace ks
