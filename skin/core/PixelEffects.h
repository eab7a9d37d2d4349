#pragma once
// The engine's pixel effects on bitmaps: thin adapters that turn TBitmaps into views and call
// the portable painters (KeyedPixels.h, MaskedPixels.h, AlphaImage.h, PixelCore.h); only the
// soft shadow's rounded rings are drawn through GDI. Rounding follows PixelCore.h. Painters
// never raise: bitmaps of unsupported formats or sizes, and empty or fully clipped rectangles,
// draw nothing, and nothing is read or written outside a bitmap.
//
// Rectangles are right- and bottom-exclusive, except the source rectangles of BlendBitmapKeyed,
// CopyRectKeyed and CopyRectOverBackground, which name their last column and row (as glyph cells
// are given): a negative left or top becomes 0 (BlendBitmapKeyed also moves the destination by
// as much), right and bottom are limited to the source's last pixel. Backgrounds are CacheInfo
// records: pixel (x, y) of the destination lies over (Bmp's X + x, Y + y); where Bmp has no
// pixel there, the destination pixel is left as it is.

#include "skin/core/sConst.h"
#include "skin/core/sMaskData.h"
#include "vcl/Bitmap.h"

// Darkens r of a 24-bit bitmap towards color with soft rounded edges: the inside by what
// transparency (percent, 0..100) leaves of it, over blur grey rings with corners of radius.
// Transparency 100 changes no byte by more than 1; 0 gives color inside the rings. The rings
// follow r's own size where r reaches past the bitmap.
void DrawSoftShadow(TBitmap& bmp, const TRect& r, int transparency, TColor color, int blur, int radius);

// Puts srcRect of src at (x, y) of dst, each colour byte s - (s - d) * percent rounded (percent
// is the destination's share), skipping pixels equal to key (ks::BlendKeyed).
void BlendBitmapKeyed(TBitmap& dst, int x, int y, TBitmap& src, const TRect& srcRect, double percent, TColor key);
// Every pixel other than key becomes (p - c) * percent + c per colour byte, rounded.
void TintBitmapKeyed(TBitmap& bmp, TColor color, TColor key, double percent);
// Two 24-bit bitmaps of the same size: bmp is tinted towards color through mask (ks::TintByMask24).
void TintByMask(TBitmap& bmp, TBitmap& mask, TColor color);

// Two 24-bit bitmaps of the same size: the fixed blend of src over all of dst, alpha being
// dst's own weight (PixelCore.h).
void BlendBitmapsByAlpha(TBitmap& dst, TBitmap& src, uint8_t alpha);
// The fixed blend of srcRect of src into dst at dstPos; both 24-bit or both 32-bit.
void BlendBitmapRect(TBitmap& dst, TBitmap& src, uint8_t alpha, const TRect& srcRect, TPoint dstPos);

// Draws srcRect of a 32-bit alpha image, or of a 24-bit masked image (its mask row half its
// height below), into dstRect of dst (ks::AlphaBlendPiece); key-coloured pixels show a ready
// background when useBackground is set.
void AlphaBlendRect(const TRect& dstRect, const TRect& srcRect, TBitmap& dst, TBitmap* src,
                    const CacheInfo& background, bool useBackground);
// Draws srcRect of a 32-bit image with alpha into dstRect of a 24-bit bitmap, as
// ks::DrawAlphaImage32 describes (tint blendColor, transparency, reflection); background is the
// backdrop of key-coloured pixels, shown where useBackground is set. src is only read: an image
// that is not 32-bit is drawn from a 32-bit copy of it, so drawing the same image twice gives
// the same result.
void DrawAlphaImage(const TRect& dstRect, const TRect& srcRect, TBitmap& dst, TBitmap* src,
                    const CacheInfo& background, bool useBackground, TColor blendColor, int transparency,
                    bool reflected);

// In a 32-bit bitmap at least 2 x 2, turns every pixel that is pure white with alpha 0 into 0 in
// all four bytes, so that stretching and blending do not pull white into the edges of skin
// images. Other bitmaps are left as they are.
void ClearWhiteTransparentPixels(TBitmap& bitmap);

// Draws srcRect of the skin image src into dstRect of dst through its mask row, which lies half
// of mask.R's height below, pulled up where the rows drawn would find theirs below the image
// (ks::MaskBlendPiece); key-coloured pixels take a ready background when useBackground is set,
// else, without a ready background, its fill colour, even TransparentKeyColor: magenta marks
// the pixels that later painters of the cache treat as transparent.
void DrawMaskPartAlpha(const TRect& dstRect, const TRect& srcRect, TBitmap& dst, TBitmap* src,
                       const CacheInfo& background, bool useBackground, const TsMaskData& mask);

// Copies all of src to (x, y) of dst except pixels equal to key.
void CopyKeyedAt(TBitmap& dst, TBitmap& src, int x, int y, TColor key);
// Copies srcRect of src to (x, y) of dst; pixels equal to key take the background's pixel when
// useBackground is set and the background is ready with a bitmap (none when that bitmap is dst
// itself; a 32-bit dst needs a 32-bit background), else its fill colour, even
// TransparentKeyColor (as DrawMaskPartAlpha).
void CopyRectOverBackground(TBitmap& dst, TBitmap& src, int x, int y, const TRect& srcRect, TColor key,
                            const CacheInfo& background, bool useBackground);
// Copies srcRect of src to (x, y) of dst except pixels equal to key.
void CopyRectKeyed(TBitmap& dst, TBitmap& src, int x, int y, const TRect& srcRect, TColor key);

// Writes into the colour bytes of a 32-bit dst the mix of two 24-bit bitmaps a and b of the
// same size, through mask when one is given, else with alpha as a's weight (ks::MixTo32).
void BlendBitmapsTo32(TBitmap& dst, TBitmap& a, TBitmap& b, uint8_t alpha, TBitmap* mask);
// The mask blend of r of three 24-bit bitmaps: src through mask into dst.
void BlendRectByMask(TBitmap& dst, TBitmap& src, TBitmap& mask, const TRect& r);
