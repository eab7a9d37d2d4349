#include "skin/pixels/PixelColour.h"

#include "skin/pixels/PixelCore.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr TColor KeyColour = 0xFF00FF;

// The one loop over the colours of a view: change is inlined, never called through a pointer.
template <class Change>
void ChangePixels(const ks::PixelView& v, Change change) noexcept
{
    const int bpp = v.bpp / 8;
    if ((bpp != 3 && bpp != 4) || !v.scan0)
        return;
    for (int y = 0; y < v.height; ++y) {
        uint8_t* p = v.Row(y);
        for (int x = 0; x < v.width; ++x, p += bpp) {
            const uint8_t b = p[0], g = p[1], r = p[2];
            if ((r == g && g == b) || ks::RgbColor(r, g, b) == KeyColour)
                continue;
            const TColor n = change(ks::RgbColor(r, g, b));
            p[0] = ks::BlueOf(n);
            p[1] = ks::GreenOf(n);
            p[2] = ks::RedOf(n);
        }
    }
}

} // namespace

namespace ks {

TColor RotateHueRgb(TColor rgb, int offset) noexcept
{
    rgb &= 0xFFFFFF;
    const double r = RedOf(rgb), g = GreenOf(rgb), b = BlueOf(rgb);
    const double max = std::max({r, g, b});
    const double d = max - std::min({r, g, b});
    const double v = max;
    const double s = max != 0 ? d / max : 0;
    if (s == 0)
        return rgb;

    const double k = 60 / d;
    double h;
    if (max == r)
        h = (g - b) * k;
    else if (max == g)
        h = 120 + (b - r) * k;
    else
        h = 240 + (r - g) * k;
    if (h < 0)
        h += 360;

    int turned = RoundHalfEven(offset + h) % 360;
    if (turned < 0)
        turned += 360;
    const int sector = turned / 60;
    const double f = turned / 60.0 - sector;
    const double p = std::clamp((1 - s) * v, 0.0, 255.0);
    const double q = std::clamp((1 - s * f) * v, 0.0, 255.0);
    const double t = std::clamp((1 - (1 - f) * s) * v, 0.0, 255.0);

    double rr, gg, bb;
    switch (sector) {
    case 0: rr = v, gg = t, bb = p; break;
    case 1: rr = q, gg = v, bb = p; break;
    case 2: rr = p, gg = v, bb = t; break;
    case 3: rr = p, gg = q, bb = v; break;
    case 4: rr = t, gg = p, bb = v; break;
    default: rr = v, gg = p, bb = q; break;
    }
    return RgbColor(ClampByte(RoundHalfEven(rr)), ClampByte(RoundHalfEven(gg)), ClampByte(RoundHalfEven(bb)));
}

TColor DesaturateRgb(TColor rgb, int percent) noexcept
{
    const int r = RedOf(rgb), g = GreenOf(rgb), b = BlueOf(rgb);
    const double average = (r + g + b) / 3.0;
    auto move = [&](int x) { return ClampByte(RoundHalfEven(percent * (average - x) / 100.0 + x)); };
    return RgbColor(move(r), move(g), move(b));
}

void RotateHuePixels(const PixelView& v, int offset) noexcept
{
    ChangePixels(v, [offset](TColor c) { return RotateHueRgb(c, offset); });
}

void DesaturatePixels(const PixelView& v, int percent) noexcept
{
    ChangePixels(v, [percent](TColor c) { return DesaturateRgb(c, percent); });
}

} // namespace ks
