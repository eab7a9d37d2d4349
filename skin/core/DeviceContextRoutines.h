#pragma once
// The device-context routines every painter calls: solid fills and frames that resolve system
// colours, copies of a frame's strips, and clipping out windowless children; and the text
// routines with which skinned controls write their captions in the skin's font colours.
// None of them raises; negative widths count as 0 and nothing reaches outside the rectangle
// or frame it is given.
//
// Text is UTF-16 and reaches the system through DrawTextW and GetTextExtentPoint32W, so a
// caption shows the same whatever the system's ANSI code page.

#include "vcl/Graphics.h"
#include "vcl/GraphicsTypes.h"
#include "vcl/Win.h"

#include <string>
#include <string_view>

class TControl;
class TWinControl;
class TsCommonData;
class TsSkinManager;

// Fills r with color (a system colour is looked up first). The DC is left as it was.
void FillRectSolid(HDC dc, const TRect& r, TColor color);

// Fills four strips of r with one colour: the top strip over r's whole width, the left strip
// below it, the bottom strip right of the left one, the right strip between the top and bottom
// strips. Every strip is cut to r, so widths larger than r fill r and never more.
void FillFrameSolid(HDC dc, const TRect& r, int leftWidth, int topWidth, int rightWidth, int bottomWidth,
                    TColor color);

// Copies the frame borderWidth wide of the width x height area at (srcX, srcY) of srcDC to
// (x, y) of dc: the left and right strips at full height, the top and bottom strips between
// them. Nothing inside the frame is copied, whatever dc's clip region.
void CopyFrameStrips(HDC dc, int x, int y, int width, int height, HDC srcDC, int srcX, int srcY, int borderWidth);

// Removes from dc's clip region the rectangle, moved by (dx, dy), of every visible windowless
// child of control that paints its whole rectangle (opaque). A windowless child that lets the
// background show through, a transparent label, stays in: it needs the parent's image under it.
void ExcludeChildRects(HDC dc, TWinControl* control, int dx, int dy);

// text cut from its end, with "..." appended, until it fits maxWidth pixels in the canvas's
// font; text that fits is returned as it is; empty when not even one character and the dots fit,
// or when maxWidth is below 1. A surrogate pair is cut as one character.
std::wstring EllipsizeText(TCanvas& canvas, std::wstring_view text, int maxWidth);

// DrawTextW(dc, text, r, flags): r is updated as DT_CALCRECT asks; the height drawn.
int DrawTextOnDC(HDC dc, std::wstring_view text, TRect& r, UINT flags);
int TextWidthOf(TCanvas& canvas, std::wstring_view text);
TSize TextExtentOf(TCanvas& canvas, std::wstring_view text);
void TextRectOf(TCanvas& canvas, const TRect& r, int x, int y, std::wstring_view text);

// Writes text transparently in the colours of section skinIndex of manager (the default manager
// when nullptr): each contour colour of the state that is not -1 one pixel to its side (left,
// top, right, bottom), then the text colour in place; disabled text once, 40 % text colour and
// 60 % section colour. Draws nothing for an invalid section, no manager or empty text.
// Always 0.
int DrawSectionTextImpl(TCanvas& canvas, std::wstring_view text, bool enabled, TRect& r, UINT flags, int skinIndex,
                        bool hot, TsSkinManager* manager);
int DrawSectionText(TCanvas& canvas, std::wstring_view text, bool enabled, TRect& r, UINT flags, int skinIndex,
                    bool hot, TsSkinManager* manager);

// A skinned control's caption, clipped to r: the canvas takes the owner's font (underlined for a
// hot "WEBBUTTON"); enabled text takes the contours and colour of the control's section, or of
// the section behind a see-through check box, radio button or windowless control whose font is
// its parent's; with CustomFont the font keeps its own colour and no contour is drawn. Disabled
// text is 40 % text colour and 60 % the skin's global colour. Without a skin the font is used
// as it is. The DC is left as it was. Always 0.
int DrawControlTextImpl(TCanvas& canvas, std::wstring_view text, bool enabled, TRect& r, UINT flags,
                        TsCommonData& skinData, bool hot);
int DrawControlText(TCanvas& canvas, std::wstring_view text, bool enabled, TRect& r, UINT flags,
                    TsCommonData& skinData, bool hot);
