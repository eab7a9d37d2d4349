#include "vcl/TextMeasure.h"

#include "vcl/Bitmap.h"
#include "vcl/GdiHandles.h"
#include "vcl/SysUtils.h"

#include <algorithm>

namespace ks {

namespace {

// The drawing may run wider than the measure only by so many rounds of widening.
constexpr int InkRounds = 3;

// Where the text's ink ends when it is drawn in the font at the top left of a rectangle of the
// given size.
TSize InkExtent(const std::wstring& text, const TFont& font, UINT flags, TSize size)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    // Room for the ink that runs over, which is a little per line.
    bitmap.SetSize(size.cx + size.cx / 4 + 16, size.cy + size.cy / 4 + 16);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetColor(clWhite);
    canvas.FillRect({0, 0, bitmap.Width(), bitmap.Height()});
    canvas.Font().Assign(&font);
    canvas.Font().SetColor(clBlack);
    canvas.Brush().SetStyle(bsClear);
    TRect r{0, 0, size.cx, size.cy};
    canvas.DrawText(text, r, flags | DT_NOCLIP);
    TSize ink{0, 0};
    const PixelView view = bitmap.View();
    for (int y = 0; y < view.height; ++y) {
        const uint8_t* row = view.scan0 + y * view.stride;
        for (int x = 0; x < view.width; ++x) {
            const uint8_t* p = row + 3 * x;
            if (p[0] != 0xFF || p[1] != 0xFF || p[2] != 0xFF) {
                ink.cx = std::max(ink.cx, x + 1);
                ink.cy = y + 1;
            }
        }
    }
    return ink;
}

} // namespace

TSize DrawnTextSize(const std::wstring& text, const TFont& font, UINT flags, int width)
{
    flags &= ~static_cast<UINT>(DT_CALCRECT);
    WindowDC screen(nullptr);
    TCanvas canvas;
    canvas.SetHandle(screen.get());
    ScopeExit unbind{[&canvas] { canvas.SetHandle(nullptr); }};
    canvas.Font().Assign(&font);
    auto measure = [&](int w) {
        TRect r{0, 0, w, 0};
        canvas.DrawText(text, r, flags | DT_CALCRECT);
        return TSize{r.Width(), r.Height()};
    };
    const bool wraps = (flags & DT_WORDBREAK) != 0;
    TSize size = measure(wraps ? width : 0);
    for (int round = 0; round < InkRounds; ++round) {
        const TSize ink = InkExtent(text, font, flags, size);
        if (ink.cx <= size.cx && ink.cy <= size.cy)
            break;
        const int w = std::max(size.cx, ink.cx);
        size = measure(wraps ? w : 0);
        size.cx = std::max(size.cx, w);
        size.cy = std::max(size.cy, ink.cy);
    }
    return size;
}

} // namespace ks
