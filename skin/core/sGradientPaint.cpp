#include "skin/core/sGradientPaint.h"

#include "skin/pixels/GradientPixels.h"
#include "vcl/Bitmap.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <array>

namespace {

// Four triangles meeting in the centre of r: top-left, centre, top-right, bottom-right and
// bottom-left take Color1 of stops 0 to 4; a vertex without a stop repeats the one before.
void PaintTriangles(TBitmap& bmp, const TRect& r, const TsGradArray& data) noexcept
{
    auto gradientFill = ks::Sys().GradientFillPtr;
    if (!gradientFill)
        return;
    const std::array<POINT, 5> corners{{
        {r.Left, r.Top},
        {r.Left + r.Width() / 2, r.Top + r.Height() / 2},
        {r.Right, r.Top},
        {r.Right, r.Bottom},
        {r.Left, r.Bottom},
    }};
    TRIVERTEX vertices[5];
    TColor color = data[0].Color1;
    for (size_t k = 0; k < corners.size(); ++k) {
        if (k < data.size())
            color = data[k].Color1;
        const auto c = static_cast<uint32_t>(color);
        vertices[k] = {corners[k].x, corners[k].y, static_cast<COLOR16>((c & 0xFF) << 8),
                       static_cast<COLOR16>(((c >> 8) & 0xFF) << 8), static_cast<COLOR16>(((c >> 16) & 0xFF) << 8), 0};
    }
    GRADIENT_TRIANGLE mesh[4] = {{0, 1, 2}, {1, 2, 3}, {0, 1, 4}, {4, 1, 3}};
    try {
        // A refused fill leaves the bitmap as it was, which is all a painter may do anyway.
        gradientFill(bmp.Canvas().Handle(), vertices, 5, mesh, 4, GRADIENT_FILL_TRIANGLE);
    } catch (const Exception&) {
        // The bitmap's canvas could not get a device context: nothing is painted.
    }
}

} // namespace

void PaintGradient(TBitmap& bmp, TRect r, const TsGradArray& data, int offset) noexcept
{
    if (data.empty())
        return;
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, bmp.Width());
    r.Bottom = std::min(r.Bottom, bmp.Height());
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    switch (data[0].Mode) {
    case gmVertical:
    case gmHorizontal:
        if (bmp.PixelFormat() == pf24bit || bmp.PixelFormat() == pf32bit)
            ks::PaintGradientRows(bmp.View(), r, data, offset);
        break;
    case gmTriangles:
        PaintTriangles(bmp, r, data);
        break;
    default:
        break;
    }
}
