#include "skin/core/acFastPixels.h"

#include "vcl/Bitmap.h"

#include <algorithm>

namespace {

// The view of a bitmap of the given depth at least 2 x 2 pixels (the accessors' stride needs two
// scan lines), or an empty view. View() flushes GDI first, so pixels drawn through the canvas
// are in memory before the loops read them.
ks::PixelView AttachableView(TBitmap* bitmap, int bpp)
{
    if (bitmap == nullptr || bitmap->Width() < 2 || bitmap->Height() < 2)
        return {};
    ks::PixelView v = bitmap->View();
    return v.bpp == bpp ? v : ks::PixelView{};
}

} // namespace

TacFast24 Fast24;
TacFast24 Fast24b;
TacFastSum24 FastSum24;
TacFast32 Fast32;

template <int Bpp>
bool TacFastBitmap<Bpp>::Attach(TBitmap* bitmap)
{
    FView = AttachableView(bitmap, Bpp);
    FBitmap = FView.scan0 ? bitmap : nullptr;
    return FView.scan0 != nullptr;
}

template class TacFastBitmap<24>;
template class TacFastBitmap<32>;

template <int Bpp>
bool TacFastSumT<Bpp>::Attach(TBitmap* src, TBitmap* dst)
{
    const ks::PixelView s = AttachableView(src, Bpp);
    const ks::PixelView d = AttachableView(dst, Bpp);
    if (!s.scan0 || !d.scan0)
        return false;
    FSrcBitmap = src;
    FDstBitmap = dst;
    FSrc = s;
    FDst = d;
    FWidth = std::min(s.width, d.width);
    FHeight = std::min(s.height, d.height);
    return true;
}

template class TacFastSumT<24>;
template class TacFastSumT<32>;

void FillRectOpaque32(TBitmap* bitmap, const TRect& r, TColor color) noexcept
{
    // A local accessor: callers may be in the middle of a loop over the shared Fast32.
    TacFast32 fast;
    if (fast.Attach(bitmap))
        fast.FillRect(r, ColorToPixel32(color));
}

void SetRectAlpha32(TBitmap* bitmap, const TRect& r, uint8_t alpha) noexcept
{
    if (bitmap != nullptr && !bitmap->Empty())
        ks::SetAlpha32(bitmap->View(), r, alpha);
}
