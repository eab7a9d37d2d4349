#pragma once
// Puts skin images (TsMaskData records) into cache bitmaps: a border image over a rectangle in
// nine parts, one state cell of an image at a point, an image piece through its mask row, the
// corner pixels a form frame keeps transparent, and the two looks of a disabled control. The
// pixel loops are the portable ones (MaskedPixels.h, KeyedPixels.h); plain pieces are GDI
// copies. Nothing here raises: missing managers and images, images smaller than their record's
// rectangle, cells of no size and unsupported formats paint nothing, and nothing is read or
// written outside a bitmap.
//
// An image record is cut into ImageCount columns (one per state; state s paints column
// min(s, ImageCount - 1), a negative state column 0) and MaskType + 1 rows; row 0 holds the
// pictures, and with MaskType 1 or more the row below holds each picture's mask. Without a mask
// row, picture pixels of TransparentKeyColor are transparent. StretchMode bits: 1 stretch the
// sides and centre of images without a mask row, 2 not painted in state 0, 4 paint the centre.
// Side widths (WL, WT, WR, WB) below 0 count as 0.

#include "skin/core/sConst.h"
#include "skin/core/sMaskData.h"
#include "vcl/GraphicsTypes.h"

class TBitmap;
class TControl;

// Paints the nine parts of mask's cell for state into r of dst (24- or 32-bit); corners too
// large for r shrink to fit (the right and bottom ones give up the odd pixel). The centre is
// painted when filling is set and the image asks for it. Key-coloured corner pixels take ci's
// background when updateCorners is set and ci is ready with a bitmap.
void PaintSkinImageRect(TBitmap& dst, const TRect& r, bool filling, const CacheInfo& ci, const TsMaskData& mask,
                        int state, bool updateCorners);

// Paints the cell for state of mask with its top-left corner at p of dst; the part left of or
// above dst is cut, the rest lands where the whole cell would have. mode 1 paints normally, any
// other value paler (through a lighter mask, or at half strength without one). ci gives the
// background of transparent pixels of images without a mask row.
void PaintStateGlyph(TBitmap& dst, TPoint p, int state, int mode, const TsMaskData& mask, const CacheInfo& ci);

// Copies srcRect of image onto dst at dstRect (both inclusive) through the record's mask row
// (ks::DrawThroughMaskRow; mode other than 1 paler), or keyed when the record has no mask row.
// A record whose mask cells have no height paints nothing.
void CopyImageTransparent(const TRect& dstRect, const TRect& srcRect, TBitmap& dst, TBitmap& image, int mode,
                          const TsMaskData& mask);

// Paints srcRect of the master-bitmap image of mask into dstRect of dst (right/bottom exclusive)
// through its mask row, half the record's height below (rows whose mask row would lie outside
// the master bitmap are not painted); key-coloured pixels take ci's
// background when it is ready (from a 32-bit background only when ci has no fill colour, else the
// fill colour), else ci's fill colour when it has one.
void PaintMaskedOverCache(const TRect& dstRect, const TRect& srcRect, TBitmap& dst, const CacheInfo& ci,
                          const TsMaskData& mask);

// Where a corner of a form frame must stay transparent, copies src's pixels (32-bit) at srcPoint
// back into dst (32-bit) over dstRect: with maskIndex -1 where dst's colour is TransparentKeyColor,
// else where the border image maskIndex of manager has that colour in its corner picked by the
// hit-test code corner (HTTOPRIGHT, HTBOTTOMLEFT, HTBOTTOMRIGHT; anything else the top left).
void RestoreTransparentCorner(TBitmap& dst, TBitmap& src, const TRect& dstRect, TPoint srcPoint, int maskIndex,
                              TsSkinManager* manager, int corner);

// Mixes r of a 24- or 32-bit bitmap (left and top raised to 0, right and bottom, the last column
// and row painted, lowered to the last pixel) with color (system colours resolved): each colour
// byte becomes byte * p + colour * (1 - p), rounded, p = (percent and 255) / 100.
void BlendRectWithColor(TBitmap& bitmap, const TRect& r, int percent, TColor color);

// The disabled look of a control's cache bitmap: greyed for dkGrayed, then for dkBlended mixed
// 40 % own to 60 % the parent's background image at the control's place (ci ready, offset the
// control's position in its parent), or half with ci's fill colour or the parent's colour.
void ApplyDisabledLook(TBitmap& bitmap, TsDisabledKind kind, TControl* parent, const CacheInfo& ci, TPoint offset);
