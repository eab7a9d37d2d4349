#include "skin/pixels/AlphaImage.h"

#include "skin/pixels/PixelCore.h"
#include "vcl/SysUtils.h"

#include <algorithm>

namespace ks {
namespace {

constexpr uint32_t KeyPixel32 = 0x00FF00FF; // TransparentKeyColor with alpha 0, as a BGRA word

uint32_t Word32(const uint8_t* p) noexcept
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The colour a source pixel is drawn with: as it is, or its grey level tinted by a colour.
class Tint {
public:
    explicit Tint(TColor color) noexcept : FOn(color != clNone)
    {
        if (FOn) {
            FRed = RedOf(color) / 255.0;
            FGreen = GreenOf(color) / 255.0;
            FBlue = BlueOf(color) / 255.0;
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

void BlendPixel(uint8_t* d, const uint8_t* s, const Tint& tint, int alpha) noexcept
{
    uint8_t c[3];
    tint.Apply(s, c);
    for (int k = 0; k < 3; ++k)
        d[k] = AlphaBlendByte(c[k], d[k], alpha);
}

} // namespace

void DrawAlphaImage32(const PixelView& dst, const TRect& dstRect, const PixelView& src, const TRect& srcRect,
                      const AlphaBackdrop& backdrop, TColor tint, int transparency, bool reflected) noexcept
{
    if (!dst.scan0 || !src.scan0 || dst.bpp != 24 || src.bpp != 32 || dst.width <= 0 || dst.height <= 0 ||
        src.width <= 0 || src.height <= 0)
        return;
    transparency = std::clamp(transparency, 0, 100);

    const Piece piece = ClipPiece(dst, dstRect, src, srcRect);
    if (piece.Empty())
        return;
    const int sx = piece.sx, sy = piece.sy, dx = piece.dx, dy = piece.dy, cols = piece.cols, rows = piece.rows;

    const Tint tinted(tint);
    const uint8_t* srow = src.Row(sy) + 4 * sx;
    uint8_t* drow = dst.Row(dy) + 3 * dx;
    // The common case, an untinted opaque image with nothing behind its key pixels, blends in the
    // specialised loop.
    const bool plain = tint == clNone && transparency == 0 && !backdrop.ready && !PieceSharesMemory(dst, src, piece);
    if (plain)
        SpecialisedAlphaBlend(32, 24)(drow, dst.stride, srow, src.stride, cols, rows);
    else
        for (int i = 0; i < rows; ++i, srow += src.stride, drow += dst.stride) {
            const uint8_t* sp = srow;
            uint8_t* dp = drow;
            for (int j = 0; j < cols; ++j, sp += 4, dp += 3) {
                if (backdrop.ready && Word32(sp) == KeyPixel32) {
                    if (backdrop.use)
                        if (const uint8_t* under = backdrop.Under(dx + j, dy + i))
                            std::copy_n(under, 3, dp);
                    continue;
                }
                const int a = transparency > 0 ? sp[3] * (100 - transparency) / 100 : sp[3];
                if (a != 0)
                    BlendPixel(dp, sp, tinted, a);
            }
        }

    // The reflection fades over half the image's height; an image one row high has none.
    const int half = src.height / 2;
    if (!reflected || half == 0)
        return;
    const int count = std::min(half - 1, dst.height - dstRect.Bottom - 1);
    const int fadeStep = 255 / half;
    for (int k = 1; k <= count; ++k) {
        const int row = dstRect.Bottom + k;
        const int sourceRow = srcRect.Bottom - k - 1;
        if (row < 0 || sourceRow < 0 || sourceRow >= src.height)
            continue;
        const int fade = 255 - (k - 1) * fadeStep;
        const uint8_t* sp = src.Row(sourceRow) + 4 * sx;
        uint8_t* dp = dst.Row(row) + 3 * dx;
        for (int j = 0; j < cols; ++j, sp += 4, dp += 3) {
            if (Word32(sp) == KeyPixel32)
                continue;
            const int base = transparency > 0 ? sp[3] * (100 - transparency) / 300 : sp[3] / 3;
            const int a = base * fade / 255;
            if (a != 0)
                BlendPixel(dp, sp, tinted, a);
        }
    }
}

} // namespace ks
