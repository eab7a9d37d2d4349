#pragma once
// Allocation-free pixel access to the engine's DIB bitmaps: TacFast24 and TacFast32 read and
// write single pixels of one bitmap, TacFastSum24 and TacFastSum32 blend a rectangle of one
// bitmap into another with one weight, and FillRectOpaque32/SetRectAlpha32 work on rectangles
// of 32-bit bitmaps. The loops and the rounding rule are the pixel core's (PixelCore.h).
//
// An accessor reads the bitmap's size and scan lines when it attaches; it stays valid until the
// bitmap is resized, its format changes or its handle is replaced, so painters attach right
// before their loops. Nothing here raises: a bitmap that does not attach, rectangles outside
// the bitmaps and coordinates outside them paint nothing.

#include "skin/pixels/PixelCore.h"
#include "vcl/Classes.h"
#include "vcl/GraphicsTypes.h"

class TBitmap;

// One bitmap of Bpp bits attached for pixel access.
template <int Bpp>
class TacFastBitmap : public TObject {
public:
    // Fails, with Width() 0, for no bitmap, one narrower or lower than 2 pixels, or one of another
    // depth.
    bool Attach(TBitmap* bitmap);

    TBitmap* Bitmap() const noexcept { return FBitmap; }
    int Width() const noexcept { return FView.width; }
    int Height() const noexcept { return FView.height; }
    // Bytes from scan line 0 to scan line 1: negative for the usual bottom-up bitmaps.
    ptrdiff_t Stride() const noexcept { return FView.stride; }
    uint8_t* Scan0() const noexcept { return FView.scan0; }
    const ks::PixelView& View() const noexcept { return FView; }

private:
    TBitmap* FBitmap = nullptr;
    ks::PixelView FView;
};

// A 24-bit bitmap's pixels as colour values (0x00BBGGRR).
class TacFast24 : public TacFastBitmap<24> {
public:
    const char* ClassName() const noexcept override { return "TacFast24"; }

    TColor GetPixel(int x, int y) const noexcept { return ks::GetPixel24(View(), x, y); }
    void SetPixel(int x, int y, TColor color) const noexcept { ks::SetPixel24(View(), x, y, color); }
};

// A 32-bit bitmap's pixels as 0xAABBGGRR values (red in the low byte, alpha in the top).
class TacFast32 : public TacFastBitmap<32> {
public:
    const char* ClassName() const noexcept override { return "TacFast32"; }

    uint32_t GetPixel(int x, int y) const noexcept { return ks::GetPixel32(View(), x, y); }
    void SetPixel(int x, int y, uint32_t value) const noexcept { ks::SetPixel32(View(), x, y, value); }
    // Stores the raw word (0xAARRGGBB, as ColorToPixel32 makes it) into every pixel of r.
    void FillRect(const TRect& r, uint32_t value) const noexcept { ks::FillRect32(View(), r, value); }
};

// Blends a rectangle of a source bitmap into a destination bitmap of the same depth. The caller
// attaches, sets Alpha, DstRect and SrcRect, then calls BlendRect.
template <int Bpp>
class TacFastSumT : public TObject {
public:
    // The weight of the destination's own pixel: 0 copies the source (less one step of
    // brightness at most), 255 keeps the destination.
    uint8_t Alpha = 0;
    TRect DstRect;
    // Only Left and Bottom are read: the source rectangle is aligned with DstRect at its left
    // and bottom edges.
    TRect SrcRect;

    // Fails, leaving the accessor as it was, when either bitmap is missing, narrower or lower
    // than 2 pixels, or not of this depth.
    bool Attach(TBitmap* src, TBitmap* dst);
    void BlendRect() const noexcept
    {
        ks::BlendFixed(FDst, DstRect, FSrc, SrcRect.Left, SrcRect.Bottom, Alpha);
    }

    TBitmap* SrcBitmap() const noexcept { return FSrcBitmap; }
    TBitmap* DstBitmap() const noexcept { return FDstBitmap; }
    // The smaller width and height of the two bitmaps.
    int Width() const noexcept { return FWidth; }
    int Height() const noexcept { return FHeight; }

private:
    TBitmap* FSrcBitmap = nullptr;
    TBitmap* FDstBitmap = nullptr;
    ks::PixelView FSrc;
    ks::PixelView FDst;
    int FWidth = 0;
    int FHeight = 0;
};

class TacFastSum24 : public TacFastSumT<24> {
public:
    const char* ClassName() const noexcept override { return "TacFastSum24"; }
};

class TacFastSum32 : public TacFastSumT<32> {
public:
    const char* ClassName() const noexcept override { return "TacFastSum32"; }
};

// Shared accessors for painters that attach right before their loop. A painter must not call
// another painter that attaches the same instance before its own loop has finished; routines
// that others call from inside such loops use accessors of their own.
extern TacFast24 Fast24;
// A second shared 24-bit accessor, bound independently of Fast24.
extern TacFast24 Fast24b;
extern TacFastSum24 FastSum24;
extern TacFast32 Fast32;

// Fills r of a 32-bit bitmap with the colour (0x00BBGGRR) made opaque.
void FillRectOpaque32(TBitmap* bitmap, const TRect& r, TColor color) noexcept;
// Writes alpha into every pixel of r of a 32-bit bitmap.
void SetRectAlpha32(TBitmap* bitmap, const TRect& r, uint8_t alpha) noexcept;
