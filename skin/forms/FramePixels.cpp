#include "skin/forms/FramePixels.h"

#include <algorithm>
#include <cstring>

namespace ks {

void OpaqueWhereChanged32(const PixelView& dst, const PixelView& before) noexcept
{
    if (dst.bpp != 32 || before.bpp != 32 || !dst.scan0 || !before.scan0)
        return;
    const int w = std::min(dst.width, before.width), h = std::min(dst.height, before.height);
    uint8_t* d = dst.scan0;
    const uint8_t* b = before.scan0;
    for (int y = 0; y < h; ++y, d += dst.stride, b += before.stride) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = d + 4 * x;
            const uint8_t* q = b + 4 * x;
            if (p[0] != q[0] || p[1] != q[1] || p[2] != q[2])
                p[3] = 255;
        }
    }
}

} // namespace ks
