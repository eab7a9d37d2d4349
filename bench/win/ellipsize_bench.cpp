// A status-bar panel's text cut to its width with an ellipsis, against the platform's own
// DT_END_ELLIPSIS of the same text into the same width in the same font, under Wine (a plain
// timing program run by ./project bench). Panel texts of thousands of characters must not hold
// up a paint: the ratio should stay within a small factor of the platform's. It never passes or
// fails.
#include "bench/Interleaved.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "vcl/Bitmap.h"
#include "vcl/Win.h"

#include <cstdio>
#include <string>

int main()
{
    auto bmp = NewBitmap24(400, 24);
    TCanvas& canvas = bmp->Canvas();
    canvas.Font().SetName(L"Tahoma");
    canvas.Font().SetHeight(-11);
    canvas.Brush().SetStyle(bsClear);
    const struct {
        size_t length;
        int width;
    } sizes[] = {{40, 200}, {2000, 200}, {5000, 200}, {20000, 60}};
    for (const auto& size : sizes) {
        std::wstring text;
        while (text.size() < size.length)
            text += L"Пароль скопирован в буфер обмена; ";
        text.resize(size.length);
        const ks::bench::Ratio ratio = ks::bench::Interleave([&] { (void)EllipsizeText(canvas, text, size.width); },
                                                             [&] {
                                                                 TRect r{0, 0, size.width, 24};
                                                                 canvas.DrawText(text, r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
                                                             });
        std::printf("Ellipsize/%zu chars/%d px  cut %9.2f us  DrawText %9.2f us  %s\n", size.length, size.width,
                    ratio.A * 1e6, ratio.B * 1e6, ks::bench::Text("x_DrawText", ratio).c_str());
    }
    return 0;
}
