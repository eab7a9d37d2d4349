#include "skin/pixels/GlowPixels.h"

#include <algorithm>

namespace ks {

namespace {
constexpr uint8_t KeyBlue = BlueOf(TransparentKeyColor), KeyGreen = GreenOf(TransparentKeyColor),
                  KeyRed = RedOf(TransparentKeyColor);
} // namespace

void PremultiplyFromBackdrops(const PixelView& onBlack, const PixelView& onWhite) noexcept
{
    if (onBlack.bpp != 32 || (onWhite.bpp != 24 && onWhite.bpp != 32) || !onBlack.scan0 || !onWhite.scan0 ||
        onBlack.width != onWhite.width || onBlack.height != onWhite.height || onBlack.width <= 0)
        return;
    const int wb = onWhite.bpp / 8;
    uint8_t* brow = onBlack.Row(0);
    const uint8_t* wrow = onWhite.Row(0);
    for (int y = 0; y < onBlack.height; ++y, brow += onBlack.stride, wrow += onWhite.stride) {
        uint8_t* b = brow;
        const uint8_t* w = wrow;
        for (int x = 0; x < onBlack.width; ++x, b += 4, w += wb) {
            const bool key = b[0] == KeyBlue && b[1] == KeyGreen && b[2] == KeyRed && w[0] == KeyBlue &&
                             w[1] == KeyGreen && w[2] == KeyRed;
            int alpha = 0;
            for (int c = 0; c < 3; ++c)
                // A copied byte is the same over both backgrounds (opaque); a blended one moves
                // with the background by the share of it that shows.
                alpha = std::max(alpha, 255 - std::max(w[c] - b[c], 0));
            if (alpha <= 1 || key) {
                b[0] = b[1] = b[2] = b[3] = 0;
                continue;
            }
            b[3] = static_cast<uint8_t>(alpha);
        }
    }
}

} // namespace ks
