#pragma once
// Paints what a skin section looks like behind a control: its colour, gradient and texture,
// mixed with whatever lies behind the control by the section's transparency, then its corner
// images and border image. Every skinned control, window adapter, form frame, menu and hint
// window prepares its cache bitmap through one of these entry points; they differ in where the
// section and its indexes come from and in the target.
//
// The background behind a painting arrives ready as a CacheInfo: the pixel behind destination
// pixel (r.Left + i, r.Top + j) is ci.Bmp's pixel at (ci.X + pt.X + i, ci.Y + pt.Y + j), so pt is
// the position of r's corner relative to the background's origin. Without a ready bitmap,
// ci.FillColor is the colour behind, TransparentKeyColor when there is none either.
//
// State 0 is the normal look; any other state reads the section's hot fields and "HOTPATTERN".
// A section's look, with shares in percent: ImagePercent of texture, GradientPercent of
// gradient, the rest plain colour, the whole mixed with the background by Transparency.
// Transparencies and shares outside 0..100 count as the nearer limit.
//
// Nothing here raises of its own. A missing manager or bitmap, an invalid section index, an
// empty rectangle, one with a negative left or top or one reaching past the bitmap paint
// nothing; invalid texture, border and corner indexes skip only that layer.

#include "skin/core/sConst.h"
#include "vcl/Bitmap.h"
#include "vcl/Win.h"

#include <string_view>

class TsCommonData;
class TsSkinManager;

// The background of section skinIndex (named sectionName, which texture lookups use) into r of
// bmp. textureIndex and hotTextureIndex are mask indexes of the textures, -1 to look them up by
// name. A customColor other than TransparentKeyColor paints that colour opaque instead of the
// section's look. skinManager nullptr means DefaultSkinManager.
void PaintSectionBackground(int skinIndex, std::string_view sectionName, const CacheInfo& ci, int state, const TRect& r,
                            TPoint pt, TBitmap* bmp, TsSkinManager* skinManager, int textureIndex, int hotTextureIndex,
                            TColor customColor);

// PaintSectionBackground for a skinned control: section, indexes and manager from skinData. With
// skinData's CustomColor set, the control's own colour (a form provider's form colour) replaces
// the section's look.
void PaintControlBackground(const TsCommonData& skinData, const CacheInfo& ci, int state, const TRect& r, TPoint pt,
                            TBitmap* bmp);

// The whole section into r of bmp: background, then the section's corner images, then its
// border image (its centre too when filling is set and the image asks for it).
void PaintSectionByIndex(int skinIndex, std::string_view sectionName, const CacheInfo& ci, bool filling, int state,
                         const TRect& r, TPoint pt, TBitmap* bmp, TsSkinManager* skinManager, int textureIndex,
                         int hotTextureIndex);

// The whole section of a skinned control into r of bmp: background, then skinData's border image
// (not in state 0 when the image is hidden there), then the section's corner images.
// updateCorners lets key-coloured corner pixels of the border show the background.
void PaintControlSection(const TsCommonData& skinData, const CacheInfo& ci, bool filling, int state, const TRect& r,
                         TPoint pt, TBitmap* bmp, bool updateCorners);

// The whole section into r of a device context, through a 24-bit bitmap of r's size. The DC's
// state is put back.
void PaintSectionToDC(int skinIndex, std::string_view sectionName, const CacheInfo& ci, bool filling, int state,
                      const TRect& r, TPoint pt, HDC dc, TsSkinManager* skinManager);

// The background of section skinIndex with the given texture indexes taken as they stand (no
// lookups by name, no custom colour, no overlay texture), for callers that hold the indexes.
void PaintSectionBackgroundDirect(int skinIndex, int textureIndex, int hotTextureIndex, const CacheInfo& ci, int state,
                                  const TRect& r, TPoint pt, TBitmap* bmp, TsSkinManager* skinManager);

// PaintSectionBackgroundDirect, then the border image borderIndex: for scroll-bar parts and hint
// windows.
void PaintSectionOverCache(int skinIndex, int borderIndex, int textureIndex, int hotTextureIndex, const CacheInfo& ci,
                           bool filling, int state, const TRect& r, TPoint pt, TBitmap* bmp,
                           TsSkinManager* skinManager);

// Paints the section named sectionName, else altSectionName, over all of bmp (when there is one)
// and returns the index of the section found, -1 when neither name is found or there is no
// manager. Behind it lies what srcDC shows at srcPt (copied into bmp first), or without srcDC the
// colour fillColor.
int PaintSectionByName(TBitmap* bmp, std::string_view sectionName, std::string_view altSectionName, int state,
                       TsSkinManager* skinManager, TPoint srcPt, TColor fillColor, HDC srcDC);
