#include "skin/core/PixelEffects.h"

#include "skin/core/AlphaImage.h"
#include "skin/core/PixelCore.h"

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
    ks::AlphaBackdrop backdrop{{}, background.X, background.Y, background.Ready, useBackground};
    TBitmap wide;
    if (TBitmap* bmp = background.Bmp; bmp && backdrop.ready && useBackground) {
        backdrop.view = bmp->View();
        // Backgrounds are cache bitmaps of 24 or 32 bits; any other depth is read through a copy.
        if (backdrop.view.bpp != 24 && backdrop.view.bpp != 32 && !bmp->Empty()) {
            wide.Assign(bmp);
            wide.SetPixelFormat(pf24bit);
            backdrop.view = wide.View();
        }
    }
    ks::DrawAlphaImage32(dst.View(), dstRect, src->View(), srcRect, backdrop, blendColor, transparency, reflected);
}

void ClearWhiteTransparentPixels(TBitmap& bitmap)
{
    if (bitmap.PixelFormat() != pf32bit || bitmap.Width() < 2 || bitmap.Height() < 2)
        return;
    ks::ReplaceWord32(bitmap.View(), 0x00FFFFFF, 0);
}
