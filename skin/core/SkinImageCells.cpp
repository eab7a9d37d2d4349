#include "skin/core/SkinImageCells.h"

#include <limits>

namespace ks {
namespace {

int Limited(int64_t v) noexcept
{
    return static_cast<int>(
        std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

TRect LimitedRect(int64_t left, int64_t top, int64_t right, int64_t bottom) noexcept
{
    return {Limited(left), Limited(top), Limited(right), Limited(bottom)};
}

bool Empty(const TRect& r) noexcept
{
    return r.Right <= r.Left || r.Bottom <= r.Top;
}

// The column of the cell that state paints: min(state, imageCount - 1), 0 for a negative state.
int CellColumn(int state, int imageCount) noexcept
{
    return std::clamp(state, 0, std::max(imageCount - 1, 0));
}

} // namespace

void ShrinkToFit(int64_t size, int& nearWidth, int& farWidth) noexcept
{
    const int64_t sum = int64_t{nearWidth} + farWidth;
    if (size < sum) {
        const int64_t d = (sum - size) / 2;
        nearWidth = static_cast<int>(std::clamp<int64_t>(nearWidth - d, 0, size));
        farWidth = static_cast<int>(std::clamp<int64_t>(farWidth - d - (size % 2 != 0 ? 1 : 0), 0, size));
    }
}

int HalfRecordHeight(const TsMaskData& mask) noexcept
{
    return static_cast<int>((int64_t{mask.R.Bottom} - mask.R.Top) / 2);
}

TRect ExclusiveOf(const TRect& inclusive) noexcept
{
    return LimitedRect(inclusive.Left, inclusive.Top, int64_t{inclusive.Right} + 1, int64_t{inclusive.Bottom} + 1);
}

GlyphRects StateGlyphRects(const TsMaskData& mask, TPoint p, int state) noexcept
{
    const int64_t cw = MaskCellWidth(mask), ch = MaskCellHeight(mask);
    const int64_t x0 = int64_t{CellColumn(state, mask.ImageCount)} * cw;
    const int64_t dx = p.X < 0 ? -int64_t{p.X} : 0, dy = p.Y < 0 ? -int64_t{p.Y} : 0;
    const int64_t left = int64_t{mask.R.Left} + x0, top = mask.R.Top;
    return {LimitedRect(left + dx, top + dy, left + cw - 1, top + ch - 1),
            LimitedRect(int64_t{p.X} + dx, int64_t{p.Y} + dy, int64_t{p.X} + cw - 1, int64_t{p.Y} + ch - 1)};
}

BorderLayout BorderParts(const TsMaskData& mask, const TRect& r, int state, bool filling) noexcept
{
    if (state == 0 && (mask.StretchMode & 2) != 0)
        return {};
    return FittedParts(mask, r, state, filling);
}

BorderLayout FittedParts(const TsMaskData& mask, const TRect& r, int state, bool filling) noexcept
{
    BorderLayout layout;
    const int64_t width = int64_t{r.Right} - r.Left, height = int64_t{r.Bottom} - r.Top;
    if (width < 2 || height < 2 || mask.ImageCount <= 0)
        return layout;
    int wl = std::max<int>(mask.WL, 0), wt = std::max<int>(mask.WT, 0);
    int wr = std::max<int>(mask.WR, 0), wb = std::max<int>(mask.WB, 0);
    ShrinkToFit(width, wl, wr);
    ShrinkToFit(height, wt, wb);
    const int cw = MaskCellWidth(mask), ch = MaskCellHeight(mask);
    if (cw <= 0 || ch <= 0)
        return layout;
    const int mw = std::max(0, cw - wl - wr), mh = std::max(0, ch - wt - wb);
    const int64_t sx = mask.R.Left + int64_t{CellColumn(state, mask.ImageCount)} * cw, sy = mask.R.Top;
    const int64_t L = r.Left, T = r.Top, Rt = r.Right, B = r.Bottom;

    // A corner covers w x h at (x, y); a side or the centre covers its area with w x h tiles.
    auto add = [&](bool corner, int64_t left, int64_t top, int64_t right, int64_t bottom, int64_t fromX,
                   int64_t fromY, int w, int h) {
        BorderPart part{LimitedRect(left, top, right, bottom), LimitedRect(fromX, fromY, fromX + w, fromY + h), w, h,
                        corner};
        if (w > 0 && h > 0 && !Empty(part.area) && !Empty(part.src))
            layout.parts[static_cast<size_t>(layout.count++)] = part;
    };
    auto corner = [&](int64_t x, int64_t y, int64_t fromX, int64_t fromY, int w, int h) {
        add(true, x, y, x + w, y + h, fromX, fromY, w, h);
    };
    auto middle = [&](int64_t left, int64_t top, int64_t right, int64_t bottom, int64_t fromX, int64_t fromY, int w,
                      int h) { add(false, left, top, right, bottom, fromX, fromY, w, h); };

    corner(L, T, sx, sy, wl, wt);
    middle(L, T + wt, L + wl, B - wb, sx, sy + wt, wl, mh);
    middle(L + wl, T, Rt - wr, T + wt, sx + wl, sy, mw, wt);
    corner(L, B - wb, sx, sy + ch - wb, wl, wb);
    middle(L + wl, B - wb, Rt - wr, B, sx + wl, sy + ch - wb, mw, wb);
    corner(Rt - wr, B - wb, sx + wl + mw, sy + ch - wb, wr, wb);
    corner(Rt - wr, T, sx + wl + mw, sy, wr, wt);
    middle(Rt - wr, T + wt, Rt, B - wb, sx + wl + mw, sy + wt, wr, mh);
    if (filling && (mask.StretchMode & 4) != 0)
        middle(L + wl, T + wt, Rt - wr, B - wb, sx + wl, sy + wt, mw, mh);
    return layout;
}

namespace {

TsMaskData GeometryOf(const TsMaskData& mask) noexcept
{
    TsMaskData cells;
    cells.R = mask.R;
    cells.ImageCount = mask.ImageCount;
    cells.MaskType = mask.MaskType;
    cells.BorderWidth = mask.BorderWidth;
    cells.StretchMode = mask.StretchMode;
    cells.ImgType = mask.ImgType;
    cells.WL = mask.WL;
    cells.WT = mask.WT;
    cells.WR = mask.WR;
    cells.WB = mask.WB;
    return cells;
}

bool HasImage(TPoint size) noexcept
{
    return size.X > 0 && size.Y > 0;
}

} // namespace

TsMaskData FitCells(const TsMaskData& mask, TPoint ownImage) noexcept
{
    TsMaskData cells = GeometryOf(mask);
    if (cells.ImageCount < 1 && HasImage(ownImage)) {
        cells.ImageCount = 1;
        cells.R = {0, 0, ownImage.X, ownImage.Y};
    }
    return cells;
}

TsMaskData FrameCells(const TsMaskData& mask, TPoint ownImage) noexcept
{
    TsMaskData cells = GeometryOf(mask);
    if (cells.ImageCount == 0 && HasImage(ownImage)) {
        cells.ImageCount = 3;
        cells.MaskType = 1;
        cells.R = {0, 0, ownImage.X, ownImage.Y};
    }
    return cells;
}

std::array<FrameCorner, 4> FrameCornerPieces(const TsMaskData& cells, int width, int height, int state) noexcept
{
    const int64_t count = std::max<int64_t>(cells.ImageCount, 1);
    const int64_t c = CellColumn(state, cells.ImageCount);
    const int64_t xoff = (int64_t{cells.R.Right} - cells.R.Left) * c / count;
    const int64_t wl = std::max<int>(cells.WL, 0), wt = std::max<int>(cells.WT, 0);
    const int64_t wr = std::max<int>(cells.WR, 0), wb = std::max<int>(cells.WB, 0);
    const int64_t mw = int64_t{MaskCellWidth(cells)} - wl - wr;
    const int64_t L = int64_t{cells.R.Left} + xoff, T = cells.R.Top;
    const int64_t bottom = cells.MaskType == 0 ? int64_t{cells.R.Bottom} : T + MaskCellHeight(cells);
    const int64_t right = L + wl + mw;
    const int x = static_cast<int>(width - wr), y = static_cast<int>(height - wb);
    return {{{1, {0, 0}, LimitedRect(L, T, L + wl, T + wt)},
             {2, {0, y}, LimitedRect(L, bottom - wb, L + wl, bottom)},
             {8, {x, y}, LimitedRect(right, bottom - wb, right + wr, bottom)},
             {4, {x, 0}, LimitedRect(right, T, right + wr, T + wt)}}};
}

CellTiling TileCells(const TRect& r, int w, int h) noexcept
{
    if (w <= 0 || h <= 0)
        return {};
    // How many steps from start stay below limit: the whole cells on one axis.
    auto steps = [](int64_t start, int64_t limit, int size) {
        return limit > start ? (limit - start + size - 1) / size : 0;
    };
    const int64_t L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    const int64_t columns = steps(L, R - w, w), rows = steps(T, B - h, h);
    const int64_t columnsEnd = L + columns * w, rowsEnd = T + rows * h;
    // Empty ones are all (0, 0, 0, 0), so that no width of them overflows.
    auto area = [](int64_t left, int64_t top, int64_t right, int64_t bottom) {
        return left < right && top < bottom ? LimitedRect(left, top, right, bottom) : TRect{};
    };
    return {columns > 0 ? area(L, T, columnsEnd, rowsEnd) : TRect{}, area(columnsEnd, T, R, rowsEnd),
            area(L, columns > 0 ? rowsEnd : T, R, B), area(columnsEnd, T, R, B)};
}

} // namespace ks
