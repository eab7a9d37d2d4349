#pragma once
// The text of a skin image value ("@0054@0048@0102@0065@3@0", "!BUTTONHUGE.BMP!3!1!0" ...) read
// into the layout of one image record, and the rule that gives a border image its side widths.
// The skin manager's image loader finds the pictures; this unit only reads text, so every form
// is checked here, on the host, under the sanitizers.
//
// The forms, chosen by the first character and then by the content (positions are 1-based):
//   "@" glyph    2-5 left, 7-10 top, 12-15 right, 17-20 bottom, 22 cells, 24 mask rows
//   "^" border   the rectangle as above, 22-25 WL, 27-30 WT, 32-35 WR, 37-40 WB, 42 cells,
//                44 mask rows, 46 stretch mode, 48 border width
//   "~" texture  the rectangle as above, 22-23 stretch mode, 25 mask rows (only when the value
//                is longer than 24 characters)
//   "!" own      words split at runs of "!": file, cells, mask rows, type, optional WL WT WR WB
//   grouped      contains "#" and is not "#": words split at blanks and parentheses; word 2 the
//                rectangle, word 3 cells, mask rows, optional border width and stretch mode
//   ".BMP" file  any other value whose upper-cased text contains ".BMP"
// Number fields are strict integers: a field that is not a number, a short value that cuts a
// field off, or a missing word raises EConvertError "'%s' is not a valid integer value". The
// characters between fixed-width fields are not examined, as stored skins rely on. Two forms are
// read more gently, because skins carry such values without meaning an image: the numbers of an
// own image are read only once its picture is found (ApplyOwnImageLayout), and a text with "#"
// whose numbers do not read as a grouped image ("Skin #2") is no image at all.

#include "skin/core/sMaskData.h"

#include <string>
#include <string_view>
#include <vector>

enum class TsImageForm { None, Glyph, Border, Texture, OwnImage, Grouped, BitmapFile };

struct TsImageValue {
    TsImageForm Form = TsImageForm::None;
    // Own image: the file name as written; bitmap file: the whole value upper-cased.
    std::string FileName;
    // The own image's file name holds ".PNG" rather than ".BMP".
    bool IsPng = false;
    // The own image's words after the file name, read by ApplyOwnImageLayout.
    std::vector<std::string> OwnWords;
    TRect R;
    int ImageCount = 0;
    int MaskType = 0;
    int BorderWidth = 0;
    int StretchMode = 0;
    TacImgType ImgType = itisaBorder;
    int WL = 0;
    int WT = 0;
    int WR = 0;
    int WB = 0;
};

// Reads one value. Values of no form (numbers, gradients, JPEG names, "", "#", a "#" text that
// is no grouped image) give TsImageForm::None; an own image whose file name holds neither ".BMP"
// nor ".PNG" in upper case does too. Raises EConvertError for a malformed number field of the
// fixed-width forms.
TsImageValue ParseImageValue(std::string_view value);

// A record for the value's layout, names and fields set, Bmp none; the side rule is applied
// where the form asks for it. Not for own images and bitmap files, whose layout depends on the
// picture (see ApplyOwnImageLayout and ApplyBitmapFileLayout).
TsMaskData MaskFromImageValue(const TsImageValue& value, std::string section, std::string key);

// The fields of an own image of width x height taken from its value: cells, mask rows, type code
// (above the last kind counts as the last, a negative one as a border), optional four sides.
// Raises EConvertError for fewer than three numbers or one that is not a number.
void ApplyOwnImageLayout(TsMaskData& mask, const TsImageValue& value, int width, int height);
// The fixed layout of a bitmap file value: three cells over a picture and a mask row.
void ApplyBitmapFileLayout(TsMaskData& mask, int width, int height);

// When all four side widths are 0: BorderWidth for each, or else a third of a cell across and a
// third of a row down. A layout whose cell count or row count is 0 has no cell to take a third
// of and raises EConvertError naming the section and key, so the load stops with a message
// instead of dividing by zero.
void ApplySideRule(TsMaskData& mask);
