#include "skin/pixels/GradientPixels.h"

#include "skin/pixels/PixelCore.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <cstring>

namespace ks {
namespace {

struct Bgr {
    uint8_t b, g, r;
};

// The colours of one stop, k steps into a span of n: Color1 at 0, Color2 at n. Each channel
// is Color1 + k * (Color2 - Color1) / n; multiplying before dividing keeps exact halves exact,
// so they go to the even neighbour whatever the span.
class Ramp {
public:
    Ramp(const TsGradStop& stop, int64_t span) noexcept : FSpan(static_cast<double>(span))
    {
        for (int c = 0; c < 3; ++c) {
            FFrom[c] = Channel(stop.Color1, c);
            FDelta[c] = Channel(stop.Color2, c) - FFrom[c];
        }
    }

    Bgr At(int64_t k) const noexcept
    {
        uint8_t v[3];
        for (int c = 0; c < 3; ++c)
            v[c] = ClampByte(RoundHalfEven(FFrom[c] + static_cast<double>(k * FDelta[c]) / FSpan));
        return {v[2], v[1], v[0]};
    }

private:
    // Channel 0 is red: colour values keep red in the low byte.
    static int Channel(TColor color, int c) noexcept
    {
        return static_cast<int>((static_cast<uint32_t>(color) >> (8 * c)) & 0xFF);
    }
    double FSpan;
    int FFrom[3] = {};
    int64_t FDelta[3] = {};
};

template <int Bytes>
void Put(uint8_t* p, Bgr c) noexcept
{
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
    if constexpr (Bytes == 4)
        p[3] = 255;
}

// Whole rows are written a block of 16 pixels at a time: a block copy of fixed size compiles to
// a few wide stores, where pixel by pixel a 24-bit row takes three byte stores per pixel.
template <int Bytes>
void FillRun(uint8_t* row, int left, int right, Bgr c) noexcept
{
    constexpr ptrdiff_t block = 16 * Bytes;
    uint8_t pattern[block];
    for (ptrdiff_t i = 0; i < block; i += Bytes)
        Put<Bytes>(pattern + i, c);
    uint8_t* p = row + left * Bytes;
    uint8_t* const end = row + right * Bytes;
    for (; end - p >= block; p += block)
        std::memcpy(p, pattern, block);
    if (end > p)
        std::memcpy(p, pattern, static_cast<size_t>(end - p));
}

// Colour changes from top to bottom. Every stop claims Percent of (height + offset) rows from
// where the previous one ended, sharing its boundary row with the next stop, which paints it;
// the last stop always runs to the bottom.
template <int Bytes>
void PaintVertical(const PixelView& view, const TRect& r, const TsGradArray& data, int offset) noexcept
{
    const int64_t lastRow = r.Bottom - 1;
    const int64_t length = int64_t{r.Height()} + offset;
    const int64_t firstRow = int64_t{r.Top} + offset;
    int64_t y = firstRow;
    bool painted = false;
    for (size_t i = 0; i < data.size(); ++i) {
        const int64_t start = y;
        y = i + 1 == data.size() ? lastRow : std::min(start + length * data[i].Percent / 100, lastRow);
        const int64_t span = y - start;
        // A stop squeezed to no rows (a small share of a low rectangle) leaves its row to the
        // next stop; one that lies wholly below the rectangle (a large offset) paints nothing.
        if (span <= 0)
            continue;
        const Ramp ramp(data[i], span);
        // An offset may start the gradient above the rectangle: those rows keep their colour
        // step but are not written. A tall gradient has more rows than colour steps, and a row
        // of the same colour as the one above is a copy of it.
        const size_t runBytes = static_cast<size_t>(r.Right - r.Left) * Bytes;
        const int64_t first = std::max(start, int64_t{r.Top});
        Bgr above{};
        for (int64_t row = first; row <= y; ++row) {
            const Bgr c = ramp.At(row - start);
            uint8_t* line = view.Row(static_cast<int>(row));
            if (row > first && c.b == above.b && c.g == above.g && c.r == above.r)
                std::memcpy(line + r.Left * Bytes, view.Row(static_cast<int>(row - 1)) + r.Left * Bytes, runBytes);
            else
                FillRun<Bytes>(line, r.Left, r.Right, c);
            above = c;
        }
        painted = true;
    }
    // A gradient starting on the last row has room for no ramp: that row shows where it starts.
    if (!painted && firstRow >= r.Top && firstRow <= lastRow)
        FillRun<Bytes>(view.Row(static_cast<int>(firstRow)), r.Left, r.Right, Ramp(data[0], 1).At(0));
}

// Colour changes from left to right. Every row is the same, so the first is painted and copied.
template <int Bytes>
void PaintHorizontal(const PixelView& view, const TRect& r, const TsGradArray& data) noexcept
{
    const int lastColumn = r.Right - 1;
    const double unit = r.Width() / 100.0;
    uint8_t* first = view.Row(r.Top);
    bool painted = false;
    int x = r.Left;
    for (size_t i = 0; i < data.size(); ++i) {
        const int start = x;
        x = i + 1 == data.size() ? lastColumn : std::min(RoundHalfEven(start + data[i].Percent * unit), lastColumn);
        if (x - start <= 0)
            continue;
        const Ramp ramp(data[i], x - start);
        for (int k = 0; k <= x - start; ++k)
            Put<Bytes>(first + (start + k) * Bytes, ramp.At(k));
        painted = true;
    }
    // Stops only move right and the last one ends at the right edge, so anything painted
    // covers the whole row; only a one-column rectangle has room for no ramp, and shows where
    // the gradient starts.
    if (!painted)
        Put<Bytes>(first + r.Left * Bytes, Ramp(data[0], 1).At(0));
    const size_t bytes = static_cast<size_t>(r.Width()) * Bytes;
    for (int row = r.Top + 1; row < r.Bottom; ++row)
        std::memcpy(view.Row(row) + r.Left * Bytes, first + r.Left * Bytes, bytes);
}

template <int Bytes>
void PaintPixels(const PixelView& view, const TRect& r, const TsGradArray& data, int offset) noexcept
{
    if (data[0].Mode == gmVertical)
        PaintVertical<Bytes>(view, r, data, offset);
    else
        PaintHorizontal<Bytes>(view, r, data);
}

} // namespace

void PaintGradientRows(const PixelView& v, TRect r, const TsGradArray& data, int offset) noexcept
{
    if (data.empty() || !v.scan0 || (data[0].Mode != gmVertical && data[0].Mode != gmHorizontal))
        return;
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, v.width);
    r.Bottom = std::min(r.Bottom, v.height);
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    if (v.bpp == 24)
        PaintPixels<3>(v, r, data, offset);
    else if (v.bpp == 32)
        PaintPixels<4>(v, r, data, offset);
}

} // namespace ks
