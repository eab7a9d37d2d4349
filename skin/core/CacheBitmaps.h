#pragma once
// The factories of the engine's cache and work bitmaps, and the small drawing routines every
// skin painter shares: colour mixing, two-colour frames, tiling of pictures and skin image
// elements, glyph and caption placement, text measuring and focus dots. Every bitmap the
// factories make is a DIB section that starts white (32-bit: white with alpha 0) and belongs to
// the caller. The system's UpdateLayeredWindow is bound with the other optional functions in
// ks::Sys() (vcl/PlatformSeams.h). None of these routines raises: missing pictures, managers
// and images, empty sizes and unknown modes draw nothing. Rounding follows PixelCore.h.

#include "skin/core/sConst.h"
#include "skin/core/sMaskData.h"
#include "vcl/Bitmap.h"

#include <cstdint>
#include <memory>
#include <string_view>

// The format is set before the size, so nothing is converted; negative sizes give an empty
// bitmap.
std::unique_ptr<TBitmap> NewBitmap24(int width, int height);
std::unique_ptr<TBitmap> NewBitmap32(int width, int height);
// A white bitmap of the source's size and pixel format.
std::unique_ptr<TBitmap> NewBitmapLike(const TBitmap& source);

// Each of the three low bytes becomes c1 * percent + c2 * (1 - percent), rounded, limited to
// 0..255; the top byte is color1's. percent is the weight of color1. Colours are not resolved.
TColor BlendColors(TColor color1, TColor color2, double percent) noexcept;
constexpr TColor IdentityColor(TColor color) noexcept { return color; }

// Draws a frame width pixels thick just inside r: the top and left sides of each ring with the
// first colour, the right and bottom sides with the second. On return r is shrunk by the width
// on every side and width is 0. The DC's pen and brush are put back.
void DrawFrameLines(HDC dc, TRect& r, TColor topLeftColor, TColor bottomRightColor, int& width);

// Covers r with copies of the picture from r's top-left corner, the last row and column cut.
// Bitmaps and JPEG pictures are drawn; other classes are not.
void TileGraphic(TCanvas& canvas, const TRect& r, TGraphic* graphic);

// Fills r, or a strip of it, from the picture when it is given and not empty (tiled over all of
// r), else from the whole skin image element of the mask (every cell) by drawMode:
//   0 tiled over r;  1 stretched over r;  10 whole elements only, then a cut last column;
//   2 / 6 one row tiled across the top / bottom;  3 / 7 one column tiled down the left / right;
//   4 / 5 one strip stretched across the top / down the left; any other mode as 7.
// Returns in r what is left to paint: (-1, -1, -1, -1) when all of it is painted. Stretching
// uses the DC's current stretch mode.
void TileOrStretchImage(TCanvas& canvas, TRect& r, TGraphic* graphic, uint8_t drawMode, const TsMaskData& mask);

// TileGraphic and TileOrStretchImage into a bitmap: the same pixels, but tiling a bitmap of the
// target's own 24- or 32-bit format (a picture, or in mode 0 a skin image element lying inside
// its image) runs through the pixels in one pass rather than a copy per tile.
void TileGraphic(TBitmap& target, const TRect& r, TGraphic* graphic);
void TileOrStretchImage(TBitmap& target, TRect& r, TGraphic* graphic, uint8_t drawMode, const TsMaskData& mask);

// Tiles the cells of a skin image element with a mask row (its cell is RectWidth(mask.R) div
// ImageCount wide and half its height high) over r of bmp through PaintMaskedOverCache, from
// r's top-left corner, whole cells only; key pixels show background. drawMode 0 then paints a
// cut last column beside the whole cells; 10 fills the strips below and right of them from
// background (its bitmap at the same place moved by its X and Y, else its fill colour). Both end
// with r := (-1, -1, -1, -1); other modes, a missing manager and cells of no size paint nothing
// and leave r as it is.
void TileImage(TBitmap& bmp, TRect& r, const CacheInfo& background, uint8_t drawMode, const TsMaskData& mask);

// Places a glyph and a caption in client. layout: 0 glyph left of the text, 1 right, 2 above,
// 3 below (0 and 1 swap for right-to-left text, bit value 2 of textFlags). alignment: 0 left,
// 1 right, 2 centre. A margin of -1 and a negative spacing are computed from the free space.
// Other layouts and alignments count as 0.
void LayoutGlyphAndText(const TRect& client, const TPoint& glyphSize, const TPoint& textSize, uint8_t layout,
                        uint8_t alignment, int margin, int spacing, TPoint& glyphPos, TRect& textBounds,
                        uint32_t textFlags);

// The size of text in the font on the screen; (0, 0) when it cannot be measured.
TSize TextSizeOfFont(HFONT font, std::wstring_view text) noexcept;

// The dotted focus frame of skinned buttons and check boxes: black dots every third pixel on
// r's edges (r's right and bottom included), each with a white dot above and to the left.
void DrawFocusDots(TCanvas& canvas, const TRect& r);
