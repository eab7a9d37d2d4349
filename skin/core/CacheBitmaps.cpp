#include "skin/core/CacheBitmaps.h"

#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/NumberRoutines.h"
#include "skin/core/SkinImageCells.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/pixels/PixelCore.h"
#include "skin/core/sSkinManager.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/GdiHandles.h"
#include "vcl/Jpeg.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <climits>

namespace {

std::unique_ptr<TBitmap> NewBitmap(TPixelFormat format, int width, int height)
{
    auto b = std::make_unique<TBitmap>();
    if (format != pfUnset && format != pfCustom)
        b->SetPixelFormat(format);
    b->SetSize(std::max(width, 0), std::max(height, 0));
    return b;
}

constexpr TRect NothingLeft{-1, -1, -1, -1};

// The picture a mask record's rectangle lies in: its own bitmap (textures made from small
// pattern pictures) or its manager's master bitmap.
TBitmap* MaskImage(const TsMaskData& mask) noexcept
{
    if (mask.Bmp)
        return mask.Bmp.get();
    return mask.Manager ? mask.Manager->MasterBitmap.get() : nullptr;
}

// The part of dc that drawing reaches, in logical units: tiles beyond it are not visited, so a
// rectangle far larger than the target costs no more than the target's tiles.
TRect Reachable(HDC dc)
{
    RECT box{};
    const int kind = GetClipBox(dc, &box);
    if (kind == ERROR || kind == NULLREGION)
        return {0, 0, 0, 0};
    return {box.left, box.top, box.right, box.bottom};
}

// Edges of the strips below are worked out in 64 bits and held to an int.
int ClampToInt(int64_t v) noexcept
{
    return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

// Tiles element of image over r of target as copies of it to every tile position would, when
// both are different bitmaps of one 24- or 32-bit format and the element lies inside the image,
// where those copies are plain byte copies; false, painting nothing, otherwise.
bool TilePixels(TBitmap& target, const TRect& r, TBitmap& image, const TRect& element)
{
    const TPixelFormat format = target.PixelFormat();
    if (&target == &image || format != image.PixelFormat() || (format != pf24bit && format != pf32bit) ||
        target.Empty() || element.Left < 0 || element.Top < 0 || element.Right > image.Width() ||
        element.Bottom > image.Height() || element.Right <= element.Left || element.Bottom <= element.Top)
        return false;
    ks::TileRect(target.View(), r, image.View(), element);
    return true;
}

uint8_t BlendChannel(uint8_t a, uint8_t b, double percent) noexcept
{
    double v = a * percent + (1 - percent) * b;
    if (!(v >= 0)) // also NaN
        v = 0;
    return ClampByte(RoundHalfEven(std::min(v, 255.0)));
}

} // namespace

std::unique_ptr<TBitmap> NewBitmap24(int width, int height)
{
    return NewBitmap(pf24bit, width, height);
}

std::unique_ptr<TBitmap> NewBitmap32(int width, int height)
{
    return NewBitmap(pf32bit, width, height);
}

std::unique_ptr<TBitmap> NewBitmapLike(const TBitmap& source)
{
    // Format before size: the new pixels are white either way, and nothing is converted.
    return NewBitmap(source.PixelFormat(), source.Width(), source.Height());
}

TColor BlendColors(TColor color1, TColor color2, double percent) noexcept
{
    const TColor rgb = ks::RgbColor(BlendChannel(ks::RedOf(color1), ks::RedOf(color2), percent),
                                    BlendChannel(ks::GreenOf(color1), ks::GreenOf(color2), percent),
                                    BlendChannel(ks::BlueOf(color1), ks::BlueOf(color2), percent));
    return static_cast<TColor>((static_cast<uint32_t>(color1) & 0xFF000000u) | static_cast<uint32_t>(rgb));
}

void DrawFrameLines(HDC dc, TRect& r, TColor topLeftColor, TColor bottomRightColor, int& width)
{
    // Both colours are resolved: a system colour reaching GDI as a COLORREF paints purple.
    ks::GdiPen first(CreatePen(PS_SOLID, 1, static_cast<COLORREF>(ColorToRGB(topLeftColor))));
    ks::GdiPen second(CreatePen(PS_SOLID, 1, static_cast<COLORREF>(ColorToRGB(bottomRightColor))));
    ks::SavedDC saved(dc);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    --r.Right;
    --r.Bottom;
    while (width > 0) {
        --width;
        const POINT topLeft[3] = {{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}};
        const POINT bottomRight[3] = {{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left - 1, r.Bottom}};
        SelectObject(dc, first.get());
        Polyline(dc, topLeft, 3);
        SelectObject(dc, second.get());
        Polyline(dc, bottomRight, 3);
        r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
    ++r.Right;
    ++r.Bottom;
}

void TileGraphic(TCanvas& canvas, const TRect& r, TGraphic* graphic)
{
    if (graphic == nullptr || graphic->Width() <= 0 || graphic->Height() <= 0)
        return;
    const int w = graphic->Width(), h = graphic->Height();
    if (auto* bmp = dynamic_cast<TBitmap*>(graphic)) {
        HDC dst = canvas.Handle();
        HDC src = bmp->Canvas().Handle();
        ks::ForEachTile(r, w, h, Reachable(dst), [&](const TRect& t) {
            BitBlt(dst, t.Left, t.Top, RectWidth(t), RectHeight(t), src, 0, 0, SRCCOPY);
        });
    } else if (auto* jpeg = dynamic_cast<TJPEGImage*>(graphic)) {
        HDC dc = canvas.Handle();
        ks::SavedDC saved(dc);
        // A picture draws whole: the clip cuts the last ones at r's edges.
        IntersectClipRect(dc, r.Left, r.Top, r.Right, r.Bottom);
        ks::ForEachTile(r, w, h, Reachable(dc), [&](const TRect& t) { canvas.Draw(t.Left, t.Top, *jpeg); });
    }
}

void TileGraphic(TBitmap& target, const TRect& r, TGraphic* graphic)
{
    auto* bmp = dynamic_cast<TBitmap*>(graphic);
    if (!bmp || bmp->Empty() || !TilePixels(target, r, *bmp, {0, 0, bmp->Width(), bmp->Height()}))
        TileGraphic(target.Canvas(), r, graphic);
}

void TileOrStretchImage(TBitmap& target, TRect& r, TGraphic* graphic, uint8_t drawMode, const TsMaskData& mask)
{
    if (graphic != nullptr && !graphic->Empty()) {
        TileGraphic(target, r, graphic);
        r = NothingLeft;
        return;
    }
    TBitmap* image = mask.Manager ? MaskImage(mask) : nullptr;
    if (drawMode == 0 && image && TilePixels(target, r, *image, mask.R)) {
        r = NothingLeft;
        return;
    }
    TileOrStretchImage(target.Canvas(), r, graphic, drawMode, mask);
}

void TileOrStretchImage(TCanvas& canvas, TRect& r, TGraphic* graphic, uint8_t drawMode, const TsMaskData& mask)
{
    if (graphic != nullptr && !graphic->Empty()) {
        TileGraphic(canvas, r, graphic);
        r = NothingLeft;
        return;
    }
    if (mask.Manager == nullptr)
        return;
    TBitmap* image = MaskImage(mask);
    const int w = RectWidth(mask.R), h = RectHeight(mask.R);
    // An element of no area would step the tiling loops by nothing.
    if (image == nullptr || image->Empty() || w <= 0 || h <= 0)
        return;
    HDC dst = canvas.Handle();
    HDC src = image->Canvas().Handle();
    const int sx = mask.R.Left, sy = mask.R.Top;
    auto stretch = [&](int x, int y, int cw, int ch) { StretchBlt(dst, x, y, cw, ch, src, sx, sy, w, h, SRCCOPY); };
    // Tiles are never larger than the element, so the master bitmap's pixels beside the element
    // stay out of them.
    const TRect reachable = Reachable(dst);
    auto tile = [&](const TRect& area) {
        ks::ForEachTile(area, w, h, reachable, [&](const TRect& t) {
            BitBlt(dst, t.Left, t.Top, RectWidth(t), RectHeight(t), src, sx, sy, SRCCOPY);
        });
    };
    const int64_t left = r.Left, top = r.Top, right = r.Right, bottom = r.Bottom;
    switch (drawMode) {
    case 1:
        stretch(r.Left, r.Top, RectWidth(r), RectHeight(r));
        r = NothingLeft;
        break;
    case 4:
        stretch(r.Left, r.Top, RectWidth(r), h);
        r.Top += h;
        break;
    case 5:
        stretch(r.Left, r.Top, w, RectHeight(r));
        r.Left += w;
        break;
    case 10: {
        // Whole rows only: those that leave room for one more below them.
        const int64_t rows = bottom - top > h ? (bottom - top - 1) / h : 0;
        tile({r.Left, r.Top, r.Right, ClampToInt(top + rows * h)});
        r = NothingLeft;
        break;
    }
    case 0:
        tile(r);
        r = NothingLeft;
        break;
    case 2:
        tile({r.Left, r.Top, r.Right, ClampToInt(std::min(bottom, top + h))});
        r.Top += h;
        break;
    case 3:
        tile({r.Left, r.Top, ClampToInt(std::min(right, left + w)), r.Bottom});
        r.Left += w;
        break;
    case 6:
        tile({r.Left, ClampToInt(bottom - h), r.Right, r.Bottom});
        r.Bottom -= h;
        break;
    case 7:
    default:
        tile({ClampToInt(right - w), r.Top, r.Right, r.Bottom});
        if (drawMode == 7)
            r.Right -= w;
        else
            r.Left = ClampToInt(right - w);
        break;
    }
}

void TileImage(TBitmap& bmp, TRect& r, const CacheInfo& background, uint8_t drawMode, const TsMaskData& mask)
{
    if (mask.Manager == nullptr || mask.ImageCount <= 0 || (drawMode != 0 && drawMode != 10))
        return;
    // A cell of no size would step the loops by nothing; widths are taken in 64 bits, since no
    // rectangle of a skin may overflow them.
    const int w = MaskCellWidth(mask), h = ks::HalfRecordHeight(mask);
    if (w <= 0 || h <= 0)
        return;
    // Cells wholly outside the bitmap are skipped: they would draw nothing, and a rectangle far
    // larger than the bitmap would take as many steps as it has cells.
    const ks::CellTiling tiling = ks::TileCells(r, w, h);
    const TRect bounds{0, 0, bmp.Width(), bmp.Height()};
    auto cell = [&](const TRect& to) { PaintMaskedOverCache(to, mask.R, bmp, background, mask); };
    ks::ForEachTile(tiling.whole, w, h, bounds, cell);
    if (drawMode == 0) {
        // The last column is never wider than a cell.
        ks::ForEachTile(tiling.lastColumn, RectWidth(tiling.lastColumn), h, bounds, cell);
    } else {
        // Strips are cut to the bitmap first: one as wide as the plane has no width in an int.
        auto fill = [&](const TRect& whole) {
            const TRect strip{std::max(whole.Left, 0), std::max(whole.Top, 0), std::min(whole.Right, bounds.Right),
                              std::min(whole.Bottom, bounds.Bottom)};
            if (RectWidth(strip) <= 0 || RectHeight(strip) <= 0)
                return;
            if (background.Ready) {
                if (background.Bmp)
                    BitBlt(bmp.Canvas().Handle(), strip.Left, strip.Top, RectWidth(strip), RectHeight(strip),
                           background.Bmp->Canvas().Handle(), strip.Left + background.X, strip.Top + background.Y,
                           SRCCOPY);
            } else if (bmp.PixelFormat() == pf32bit) {
                // Straight on the pixels: the fast accessor refuses bitmaps under 2 x 2.
                ks::FillRect32(bmp.View(), strip, ColorToPixel32(ColorToRGB(background.FillColor)));
            } else {
                FillRectSolid(bmp.Canvas().Handle(), strip, background.FillColor);
            }
        };
        fill(tiling.below);
        fill(tiling.right);
    }
    r = NothingLeft;
}

void LayoutGlyphAndText(const TRect& client, const TPoint& glyphSize, const TPoint& textSize, uint8_t layout,
                        uint8_t alignment, int margin, int spacing, TPoint& glyphPos, TRect& textBounds,
                        uint32_t textFlags)
{
    if (layout > 3)
        layout = 0;
    if (alignment > 2)
        alignment = 0;
    if ((textFlags & 2) != 0 && layout <= 1)
        layout ^= 1;
    const TPoint clientSize{client.Right - client.Left, client.Bottom - client.Top};
    textBounds = {0, 0, textSize.X, textSize.Y};
    TPoint textPos;
    const bool horizontal = layout <= 1;
    if (horizontal) {
        glyphPos.Y = (clientSize.Y - glyphSize.Y + 1) / 2;
        textPos.Y = (clientSize.Y - textSize.Y + 1) / 2;
    } else {
        glyphPos.X = (clientSize.X - glyphSize.X + 1) / 2;
        textPos.X = (clientSize.X - textSize.X + 1) / 2;
    }
    if (textSize.X == 0 || glyphSize.X == 0)
        spacing = 0;

    // The main axis: X for layouts 0 and 1, Y for 2 and 3.
    const int cs = horizontal ? clientSize.X : clientSize.Y;
    const int gs = horizontal ? glyphSize.X : glyphSize.Y;
    const int ts = horizontal ? textSize.X : textSize.Y;
    if (margin == -1) {
        if (spacing >= 0)
            margin = alignment == 2 ? (cs - (gs + spacing + ts) + 1) / 2 : 2;
        else {
            margin = (cs - (gs + ts)) / 3;
            spacing = margin;
        }
    }
    if (margin >= 0 && spacing < 0)
        spacing = ((cs - (margin + gs)) - ts) / 2;

    int g = 0, t = 0;
    switch (layout) {
    case 0:
        if (alignment == 0) {
            g = margin;
            t = margin + gs + spacing;
        } else if (alignment == 1) {
            t = cs - margin - ts;
            g = t - spacing - gs;
        } else {
            g = (cs - ts - spacing - gs) / 2;
            t = g + spacing + gs;
        }
        break;
    case 1:
        if (alignment == 0) {
            g = margin + ts + spacing;
            t = margin;
        } else if (alignment == 1) {
            g = cs - margin - gs;
            t = g - spacing - ts;
        } else {
            t = (cs - ts - spacing - gs) / 2;
            g = t + spacing + ts;
        }
        break;
    default: {
        const int free = (cs - gs - spacing - ts) / 2;
        if (layout == 2) {
            g = free;
            t = free + gs + spacing;
        } else {
            g = cs - gs - free;
            t = g - spacing - ts;
        }
        break;
    }
    }
    if (horizontal) {
        glyphPos.X = g;
        textPos.X = t;
    } else {
        glyphPos.Y = g;
        textPos.Y = t;
    }
    glyphPos = {glyphPos.X + client.Left, glyphPos.Y + client.Top};
    textBounds = {textBounds.Left + client.Left + textPos.X, textBounds.Top + client.Top + textPos.Y,
                  textBounds.Right + client.Left + textPos.X, textBounds.Bottom + client.Top + textPos.Y};
}

TSize TextSizeOfFont(HFONT font, std::wstring_view text) noexcept
{
    try {
        ks::WindowDC screen(nullptr);
        ks::SelectGuard selected(screen.get(), font);
        SIZE size{};
        const int length = static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
        if (GetTextExtentPoint32W(screen.get(), text.data(), length, &size))
            return {size.cx, size.cy};
    } catch (const Exception&) {
        // No screen DC: the size stays unknown.
    }
    return {};
}

void DrawFocusDots(TCanvas& canvas, const TRect& r)
{
    const int nx = RectWidth(r) / 3, ny = RectHeight(r) / 3;
    for (int i = 0; i <= nx; ++i) {
        const int x = r.Left + 3 * i;
        canvas.SetPixels(x, r.Top, clBlack);
        canvas.SetPixels(x, r.Bottom, clBlack);
        canvas.SetPixels(x - 1, r.Top - 1, clWhite);
        canvas.SetPixels(x - 1, r.Bottom - 1, clWhite);
    }
    for (int j = 0; j <= ny; ++j) {
        const int y = r.Top + 3 * j;
        canvas.SetPixels(r.Left, y, clBlack);
        canvas.SetPixels(r.Right, y, clBlack);
        canvas.SetPixels(r.Left - 1, y - 1, clWhite);
        canvas.SetPixels(r.Right - 1, y - 1, clWhite);
    }
}
