#include "skin/core/PixelEffects.h"

#include "skin/core/NumberRoutines.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kKeyPixel32 = 0x00FF00FF; // TransparentKeyColor with alpha 0, as a BGRA word

uint32_t Word32(const uint8_t* p) noexcept
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint8_t AlphaBlend(uint8_t s, uint8_t d, int a) noexcept
{
    return static_cast<uint8_t>(((s - d) * a + d * 256) >> 8);
}

// The colour a source pixel is drawn with: as it is, or its grey level tinted by a colour.
class Tint {
public:
    explicit Tint(TColor color) : FOn(color != clNone)
    {
        if (FOn) {
            FRed = (color & 0xFF) / 255.0;
            FGreen = ((color >> 8) & 0xFF) / 255.0;
            FBlue = ((color >> 16) & 0xFF) / 255.0;
        }
    }

    // p: blue, green, red of the source; out: the same order.
    void Apply(const uint8_t* p, uint8_t* out) const noexcept
    {
        const bool key = p[0] == 0xFF && p[1] == 0 && p[2] == 0xFF;
        if (!FOn || key) {
            out[0] = p[0];
            out[1] = p[1];
            out[2] = p[2];
            return;
        }
        const int grey = (p[0] + p[1] + p[2]) / 3;
        out[0] = ClampByte(RoundHalfEven(grey * FBlue));
        out[1] = ClampByte(RoundHalfEven(grey * FGreen));
        out[2] = ClampByte(RoundHalfEven(grey * FRed));
    }

private:
    bool FOn;
    double FRed = 0;
    double FGreen = 0;
    double FBlue = 0;
};

// Cuts a negative start on one axis: the other start moves by the same amount.
void CutNegative(int& src, int& dst, int& count) noexcept
{
    if (src < 0 && src <= dst) {
        dst -= src;
        count += src;
        src = 0;
    } else if (dst < 0) {
        src -= dst;
        count += dst;
        dst = 0;
    }
}

// The background pixel under destination (x, y), or false where the background has none.
// Rows and columns past the background's bitmap are left alone, as the section painters leave
// them.
bool BackgroundPixel(const CacheInfo& background, int x, int y, uint8_t* out)
{
    TBitmap* bmp = background.Bmp;
    const int bx = background.X + x;
    const int by = background.Y + y;
    if (!bmp || bx < 0 || by < 0 || bx >= bmp->Width() || by >= bmp->Height())
        return false;
    const TColor c = bmp->Canvas().Pixels(bx, by);
    out[0] = static_cast<uint8_t>(c >> 16);
    out[1] = static_cast<uint8_t>(c >> 8);
    out[2] = static_cast<uint8_t>(c);
    return true;
}

} // namespace

void DrawAlphaImage(const TRect& dstRect, const TRect& srcRect, TBitmap& dst, TBitmap* src,
                    const CacheInfo& background, bool useBackground, TColor blendColor, int transparency,
                    bool reflected)
{
    if (!src || src->Empty() || dst.Empty() || dst.PixelFormat() != pf24bit)
        return;
    TBitmap copy;
    if (src->PixelFormat() != pf32bit) {
        copy.Assign(src);
        copy.SetPixelFormat(pf32bit);
        src = &copy;
    }
    transparency = std::clamp(transparency, 0, 100);

    int sx = srcRect.Left, sy = srcRect.Top, dx = dstRect.Left, dy = dstRect.Top;
    int cols = std::min({RectWidth(dstRect), RectWidth(srcRect), dst.Width() - dx, src->Width() - sx});
    int rows = std::min({RectHeight(dstRect), RectHeight(srcRect), dst.Height() - dy, src->Height() - sy});
    CutNegative(sx, dx, cols);
    CutNegative(sy, dy, rows);
    cols = std::min({cols, dst.Width() - dx, src->Width() - sx});
    rows = std::min({rows, dst.Height() - dy, src->Height() - sy});
    if (cols <= 0 || rows <= 0)
        return;

    const Tint tint(blendColor);
    const ks::PixelView s = src->View();
    const ks::PixelView d = dst.View();
    for (int i = 0; i < rows; ++i) {
        const uint8_t* sp = s.Row(sy + i) + 4 * sx;
        uint8_t* dp = d.Row(dy + i) + 3 * dx;
        for (int j = 0; j < cols; ++j, sp += 4, dp += 3) {
            if (background.Ready && Word32(sp) == kKeyPixel32) {
                uint8_t under[3];
                if (useBackground && BackgroundPixel(background, dx + j, dy + i, under))
                    std::copy_n(under, 3, dp);
                continue;
            }
            const int a = transparency > 0 ? sp[3] * (100 - transparency) / 100 : sp[3];
            if (a == 0)
                continue;
            uint8_t c[3];
            tint.Apply(sp, c);
            for (int k = 0; k < 3; ++k)
                dp[k] = AlphaBlend(c[k], dp[k], a);
        }
    }

    // The reflection fades over half the image's height; an image one row high has none.
    const int half = src->Height() / 2;
    if (!reflected || half == 0)
        return;
    const int count = std::min(half - 1, dst.Height() - dstRect.Bottom - 1);
    const int fadeStep = 255 / half;
    for (int k = 1; k <= count; ++k) {
        const int row = dstRect.Bottom + k;
        const int sourceRow = srcRect.Bottom - k - 1;
        if (row < 0 || sourceRow < 0 || sourceRow >= src->Height())
            continue;
        const int fade = 255 - (k - 1) * fadeStep;
        const uint8_t* sp = s.Row(sourceRow) + 4 * sx;
        uint8_t* dp = d.Row(row) + 3 * dx;
        for (int j = 0; j < cols; ++j, sp += 4, dp += 3) {
            if (Word32(sp) == kKeyPixel32)
                continue;
            const int base = transparency > 0 ? sp[3] * (100 - transparency) / 300 : sp[3] / 3;
            const int a = base * fade / 255;
            if (a == 0)
                continue;
            uint8_t c[3];
            tint.Apply(sp, c);
            for (int m = 0; m < 3; ++m)
                dp[m] = AlphaBlend(c[m], dp[m], a);
        }
    }
}

void ClearWhiteTransparentPixels(TBitmap& bitmap)
{
    if (bitmap.PixelFormat() != pf32bit || bitmap.Width() < 2 || bitmap.Height() < 2)
        return;
    const ks::PixelView v = bitmap.View();
    for (int y = 0; y < v.height; ++y) {
        uint8_t* p = v.Row(y);
        for (int x = 0; x < v.width; ++x, p += 4)
            if (Word32(p) == 0x00FFFFFF)
                std::memset(p, 0, 4);
    }
}
