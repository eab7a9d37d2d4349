#include "skin/core/PixelEffects.h"

#include "skin/core/NumberRoutines.h"
#include "skin/pixels/AlphaImage.h"
#include "skin/pixels/KeyedPixels.h"
#include "skin/pixels/MaskedPixels.h"
#include "skin/pixels/PixelCore.h"
#include "skin/core/SkinImageCells.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int Far = std::numeric_limits<int>::max();

// A CacheInfo as the backdrop of key-coloured pixels. Backgrounds are cache bitmaps of 24 or
// 32 bits; one of any other depth is read through a 24-bit copy held here.
class Backdrop {
public:
    Backdrop(const CacheInfo& background, bool use) : FValue{{}, background.X, background.Y, background.Ready, use}
    {
        TBitmap* bmp = background.Bmp;
        if (!bmp || !background.Ready || !use || bmp->Empty())
            return;
        FValue.view = bmp->View();
        if (FValue.view.bpp != 24 && FValue.view.bpp != 32) {
            FCopy.Assign(bmp);
            FCopy.SetPixelFormat(pf24bit);
            FValue.view = FCopy.View();
        }
    }
    const ks::AlphaBackdrop& Value() const noexcept { return FValue; }

private:
    TBitmap FCopy;
    ks::AlphaBackdrop FValue;
};

TColor Grey(int level)
{
    const auto g = static_cast<uint8_t>(level);
    return ks::RgbColor(g, g, g);
}

} // namespace

void DrawSoftShadow(TBitmap& bmp, const TRect& r, int transparency, TColor color, int blur, int radius)
{
    if (bmp.PixelFormat() != pf24bit)
        return;
    // The rings are sized by all of r, also where r reaches past the bitmap, so that a shadow
    // keeps its corners and fall-off near the bitmap's edges; only the part inside is drawn,
    // through a picture and a mask of that part's size with the rings moved by where it lies.
    const TRect area = ks::ClipToView(bmp.View(), r);
    const int pw = RectWidth(area), ph = RectHeight(area);
    if (pw <= 0 || ph <= 0)
        return;
    const int64_t w = int64_t{r.Right} - r.Left, h = int64_t{r.Bottom} - r.Top;
    const int64_t ox = int64_t{area.Left} - r.Left, oy = int64_t{area.Top} - r.Top;
    const auto steps = static_cast<int>(std::min({w / 2, h / 2, int64_t{std::max(blur, 0)}}));
    const auto corner = static_cast<int>(std::min({w / 2, h / 2, int64_t{std::max(radius, 0)}}));
    // A ring's edge further from the part than its corner size may move to just beyond it
    // without changing a pixel of the part; so every coordinate stays within GDI's range.
    const int64_t margin = int64_t{std::max(corner, steps)} + 2;
    if (margin + std::max(pw, ph) >= (int64_t{1} << 27))
        return;
    auto place = [&](int64_t v, int size) { return static_cast<int>(std::clamp<int64_t>(v, -margin, size + margin)); };

    TBitmap picture, mask;
    for (TBitmap* b : {&picture, &mask}) {
        b->SetPixelFormat(pf24bit);
        b->SetSize(pw, ph);
    }
    ks::CopyRect(picture.View(), {0, 0}, bmp.View(), area);

    const int base = std::clamp(transparency, 0, 100) * 255 / 100;
    const double step = (255.0 - base) / (steps + 1);
    // The mask starts white: outside the outermost ring the picture keeps its colour.
    TCanvas& canvas = mask.Canvas();
    canvas.Pen().SetStyle(psClear);
    canvas.Brush().SetStyle(bsSolid);
    // Windows: with a null pen RoundRect leaves the right column and bottom row of its box
    // unfilled (Wine alike), so each box reaches one pixel further to cover its whole ring.
    auto ring = [&](int64_t i, int cornerSize) {
        canvas.RoundRect(place(i - ox, pw), place(i - oy, ph), place(w - i + 1 - ox, pw), place(h - i + 1 - oy, ph),
                         cornerSize, cornerSize);
    };
    int grey = 255;
    for (int i = 0; i <= steps; ++i) {
        canvas.Brush().SetColor(Grey(grey));
        ring(i, corner);
        grey = RoundHalfEven((steps - i) * step) + base;
    }
    canvas.Brush().SetColor(Grey(grey));
    ring(steps, steps);

    ks::TintByMask24(picture.View(), mask.View(), color);
    ks::CopyRect(bmp.View(), {area.Left, area.Top}, picture.View(), {0, 0, pw, ph});
}

void BlendBitmapKeyed(TBitmap& dst, int x, int y, TBitmap& src, const TRect& srcRect, double percent, TColor key)
{
    const ks::PixelView s = src.View();
    TPoint at{x, y};
    const TRect rect = ks::InclusiveSourceRect(srcRect, s, &at);
    ks::BlendKeyed(dst.View(), at, s, rect, percent, key);
}

void TintBitmapKeyed(TBitmap& bmp, TColor color, TColor key, double percent)
{
    ks::TintKeyed(bmp.View(), color, key, percent);
}

void TintByMask(TBitmap& bmp, TBitmap& mask, TColor color)
{
    ks::TintByMask24(bmp.View(), mask.View(), color);
}

void BlendBitmapsByAlpha(TBitmap& dst, TBitmap& src, uint8_t alpha)
{
    if (dst.PixelFormat() != pf24bit || src.PixelFormat() != pf24bit || dst.Width() != src.Width() ||
        dst.Height() != src.Height())
        return;
    ks::BlendFixed(dst.View(), {0, 0, dst.Width(), dst.Height()}, src.View(), 0, src.Height(), alpha);
}

void BlendBitmapRect(TBitmap& dst, TBitmap& src, uint8_t alpha, const TRect& srcRect, TPoint dstPos)
{
    const TPixelFormat format = dst.PixelFormat();
    if ((format != pf24bit && format != pf32bit) || src.PixelFormat() != format)
        return;
    const ks::PixelView d = dst.View(), s = src.View();
    const ks::Piece p = ks::ClipPiece(d, {dstPos.X, dstPos.Y, Far, Far}, s, srcRect);
    if (!p.Empty())
        ks::BlendFixed(d, {p.dx, p.dy, p.dx + p.cols, p.dy + p.rows}, s, p.sx, p.sy + p.rows, alpha);
}

void AlphaBlendRect(const TRect& dstRect, const TRect& srcRect, TBitmap& dst, TBitmap* src,
                    const CacheInfo& background, bool useBackground)
{
    if (!src)
        return;
    const Backdrop backdrop(background, useBackground);
    ks::AlphaBlendPiece(dst.View(), dstRect, src->View(), srcRect, backdrop.Value());
}

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
    const Backdrop backdrop(background, useBackground);
    ks::DrawAlphaImage32(dst.View(), dstRect, src->View(), srcRect, backdrop.Value(), blendColor, transparency,
                         reflected);
}

void DrawMaskPartAlpha(const TRect& dstRect, const TRect& srcRect, TBitmap& dst, TBitmap* src,
                       const CacheInfo& background, bool useBackground, const TsMaskData& mask)
{
    if (!src)
        return;
    const Backdrop backdrop(background, useBackground);
    ks::MaskBlendPiece(dst.View(), dstRect, src->View(), srcRect, ks::HalfRecordHeight(mask), ks::MaskRows::PulledIn,
                       backdrop.Value(), background.FillColor);
}

void CopyKeyedAt(TBitmap& dst, TBitmap& src, int x, int y, TColor key)
{
    ks::CopyKeyed(dst.View(), {x, y}, src.View(), {0, 0, src.Width(), src.Height()}, key, {});
}

void CopyRectOverBackground(TBitmap& dst, TBitmap& src, int x, int y, const TRect& srcRect, TColor key,
                            const CacheInfo& background, bool useBackground)
{
    const ks::PixelView s = src.View();
    const TRect rect = ks::InclusiveSourceRect(srcRect, s, nullptr);
    ks::KeyFill fill;
    const Backdrop backdrop(background, useBackground);
    if (useBackground && background.Ready && background.Bmp) {
        if (background.Bmp != &dst) {
            if (dst.PixelFormat() == pf32bit && background.Bmp->PixelFormat() != pf32bit)
                return;
            fill.kind = ks::KeyFill::Backdrop;
            fill.backdrop = backdrop.Value();
        }
    } else {
        fill.kind = ks::KeyFill::Colour;
        fill.colour = background.FillColor;
    }
    ks::CopyKeyed(dst.View(), {x, y}, s, rect, key, fill);
}

void CopyRectKeyed(TBitmap& dst, TBitmap& src, int x, int y, const TRect& srcRect, TColor key)
{
    const ks::PixelView s = src.View();
    ks::CopyKeyed(dst.View(), {x, y}, s, ks::InclusiveSourceRect(srcRect, s, nullptr), key, {});
}

void BlendBitmapsTo32(TBitmap& dst, TBitmap& a, TBitmap& b, uint8_t alpha, TBitmap* mask)
{
    const ks::PixelView m = mask ? mask->View() : ks::PixelView{};
    ks::MixTo32(dst.View(), a.View(), b.View(), mask ? &m : nullptr, alpha);
}

void BlendRectByMask(TBitmap& dst, TBitmap& src, TBitmap& mask, const TRect& r)
{
    ks::BlendRectByMask24(dst.View(), src.View(), mask.View(), r);
}

void ClearWhiteTransparentPixels(TBitmap& bitmap)
{
    if (bitmap.PixelFormat() != pf32bit || bitmap.Width() < 2 || bitmap.Height() < 2)
        return;
    ks::ReplaceWord32(bitmap.View(), 0x00FFFFFF, 0);
}
