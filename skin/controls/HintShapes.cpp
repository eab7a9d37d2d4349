#include "skin/controls/HintShapes.h"

#include <cmath>

namespace ks {

namespace {

bool SameSize(const PixelView& a, const PixelView& b) noexcept
{
    return a.width == b.width && a.height == b.height;
}

bool IsWhite(const uint8_t* p) noexcept
{
    return p[0] == 255 && p[1] == 255 && p[2] == 255;
}

void Put(uint8_t* p, TColor c) noexcept
{
    p[0] = static_cast<uint8_t>(c >> 16);
    p[1] = static_cast<uint8_t>(c >> 8);
    p[2] = static_cast<uint8_t>(c);
}

int RoundEven(double v) noexcept
{
    return static_cast<int>(std::nearbyint(v));
}

} // namespace

TPoint PointerTip(int width, int height, bool right, bool bottom) noexcept
{
    return {right ? width - 3 : 3, bottom ? height - 3 : 3};
}

std::pair<int, int> EllipseExtra(int w, int h) noexcept
{
    if (w <= 0 || h <= 0)
        return {0, 0};
    const double dw = w;
    const double dh = h;
    const double d = std::sqrt(dw * dw + dh * dh) - dw;
    return {RoundEven(dw * d / dh), RoundEven(dh * d / dw)};
}

std::vector<TRect> BalloonTrail(const TRect& body, TPoint tip, int count, int divisor)
{
    std::vector<TRect> trail;
    const double a = body.Width() / 2.0;
    const double b = body.Height() / 2.0;
    if (a <= 0 || b <= 0 || count < 1 || divisor < 1)
        return trail;
    const double cx = body.Left + a;
    const double cy = body.Top + b;
    const double dx = tip.X - cx;
    const double dy = tip.Y - cy;
    // Where the line from the centre to the tip leaves the ellipse.
    const double q = std::sqrt((dx * dx) / (a * a) + (dy * dy) / (b * b));
    const double t = q > 1 ? 1 / q : 1;
    const double sx = cx + dx * t;
    const double sy = cy + dy * t;
    for (int k = 1; k <= count; ++k) {
        const double f = (k - 0.5) / count;
        const double x = sx + (tip.X - sx) * f;
        const double y = sy + (tip.Y - sy) * f;
        const double rw = body.Width() / (2.0 * divisor * k);
        const double rh = body.Height() / (2.0 * divisor * k);
        trail.push_back({RoundEven(x - rw), RoundEven(y - rh), RoundEven(x + rw), RoundEven(y + rh)});
    }
    return trail;
}

void ComposeLayeredHint(const PixelView& dst, const PixelView& mask, const PixelView& body,
                        const PixelView& shadow) noexcept
{
    if (dst.bpp != 32 || mask.bpp != 24 || body.bpp != 24 || shadow.bpp != 24 || !SameSize(dst, mask) ||
        !SameSize(dst, body) || !SameSize(dst, shadow))
        return;
    for (int y = 0; y < dst.height; ++y) {
        uint8_t* d = dst.Row(y);
        const uint8_t* m = mask.Row(y);
        const uint8_t* b = body.Row(y);
        const uint8_t* s = shadow.Row(y);
        for (int x = 0; x < dst.width; ++x, d += 4, m += 3, b += 3, s += 3) {
            if (m[0] > 254) {
                d[0] = d[1] = d[2] = 0;
                d[3] = static_cast<uint8_t>(255 - s[0]);
            } else {
                d[0] = b[0];
                d[1] = b[1];
                d[2] = b[2];
                d[3] = 255;
            }
        }
    }
}

void OutlineShape(const PixelView& body, const PixelView& mask, TColor topLeft, TColor bottomRight) noexcept
{
    if (body.bpp != 24 || mask.bpp != 24 || !SameSize(body, mask))
        return;
    const int w = mask.width;
    const int h = mask.height;
    auto outside = [&](int x, int y) {
        return x < 0 || y < 0 || x >= w || y >= h || IsWhite(mask.Row(y) + 3 * x);
    };
    for (int y = 0; y < h; ++y) {
        uint8_t* b = body.Row(y);
        for (int x = 0; x < w; ++x, b += 3) {
            if (outside(x, y))
                continue;
            if (outside(x - 1, y) || outside(x, y - 1))
                Put(b, topLeft);
            else if (outside(x + 1, y) || outside(x, y + 1))
                Put(b, bottomRight);
        }
    }
}

void KeyToMask(const PixelView& v, TColor key) noexcept
{
    if (v.bpp != 24)
        return;
    const auto kb = static_cast<uint8_t>(key >> 16);
    const auto kg = static_cast<uint8_t>(key >> 8);
    const auto kr = static_cast<uint8_t>(key);
    for (int y = 0; y < v.height; ++y) {
        uint8_t* p = v.Row(y);
        for (int x = 0; x < v.width; ++x, p += 3) {
            const uint8_t level = p[0] == kb && p[1] == kg && p[2] == kr ? 255 : 0;
            p[0] = p[1] = p[2] = level;
        }
    }
}

void MultiplyByShadow(const PixelView& dst, const PixelView& shadow) noexcept
{
    if (dst.bpp != 24 || shadow.bpp != 24 || !SameSize(dst, shadow))
        return;
    for (int y = 0; y < dst.height; ++y) {
        uint8_t* d = dst.Row(y);
        const uint8_t* s = shadow.Row(y);
        for (int x = 0; x < 3 * dst.width; ++x)
            d[x] = static_cast<uint8_t>((d[x] * s[x] + 127) / 255);
    }
}

} // namespace ks
