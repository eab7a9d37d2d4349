#include "skin/core/BitmapResampling.h"

#include "skin/pixels/Resampler.h"
#include "vcl/SysUtils.h"

namespace {

constexpr const char* TooSmall = "Source bitmap is too small";

} // namespace

void ResampleBitmap(TBitmap& src, TBitmap& dst, int newWidth, int newHeight, uint8_t filter)
{
    if (src.Width() < 2 || src.Height() < 2)
        throw Exception(TooSmall);
    if (newWidth <= 0 || newHeight <= 0) {
        dst.SetSize(0, 0);
        return;
    }
    if (src.Width() == newWidth && src.Height() == newHeight) {
        if (&dst != &src)
            dst.Assign(&src);
        return;
    }
    const TPixelFormat format = src.PixelFormat() == pf32bit ? pf32bit : pf24bit;
    src.SetPixelFormat(format);
    // Scaling in place reads from a copy: the destination is resized before it is written.
    TBitmap copy;
    TBitmap* source = &src;
    if (&dst == &src) {
        copy.Assign(&src);
        source = &copy;
    }
    dst.SetSize(newWidth, newHeight);
    dst.SetPixelFormat(format);
    ks::Resample(dst.View(), source->View(), filter);
}
