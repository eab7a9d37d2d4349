// Fuzz target for the skin image values: the input is one value text, read into an image record
// and laid out as the loader lays it out (own images over a picture whose size the last byte
// gives). Either that succeeds, with the form the value's first character and content choose, or
// it stops with the project's exception. A fixed-width value whose fields fit their widths must
// read the same once written back in the canonical spelling.
#include "skin/core/SkinImageValues.h"
#include "vcl/SysUtils.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

TsImageForm ExpectedForm(std::string_view v)
{
    if (v.empty())
        return TsImageForm::None;
    switch (v[0]) {
    case '@': return TsImageForm::Glyph;
    case '^': return TsImageForm::Border;
    case '~': return TsImageForm::Texture;
    case '!': return TsImageForm::OwnImage; // or None, for a file name that names no picture
    default: break;
    }
    if (v != "#" && v.find('#') != std::string_view::npos)
        return TsImageForm::Grouped; // or None, for numbers that do not read as a group ("Skin #2")
    return UpperCaseAscii(v).find(".BMP") != std::string::npos ? TsImageForm::BitmapFile : TsImageForm::None;
}

bool Fits(int value, int width)
{
    return width == 1 ? value >= 0 && value <= 9 : width == 2 ? value >= -9 && value <= 99 : value >= -999 && value <= 9999;
}

// The value in the spelling stored skins use; empty when a field does not fit its width.
std::string Canonical(const TsImageValue& v)
{
    const TRect& r = v.R;
    char text[64] = {};
    const bool rect = Fits(r.Left, 4) && Fits(r.Top, 4) && Fits(r.Right, 4) && Fits(r.Bottom, 4);
    switch (v.Form) {
    case TsImageForm::Glyph:
        if (rect && Fits(v.ImageCount, 1) && Fits(v.MaskType, 1))
            std::snprintf(text, sizeof text, "@%04d@%04d@%04d@%04d@%d@%d", r.Left, r.Top, r.Right, r.Bottom,
                          v.ImageCount, v.MaskType);
        break;
    case TsImageForm::Border:
        if (rect && Fits(v.WL, 4) && Fits(v.WT, 4) && Fits(v.WR, 4) && Fits(v.WB, 4) && Fits(v.ImageCount, 1) &&
            Fits(v.MaskType, 1) && Fits(v.StretchMode, 1) && Fits(v.BorderWidth, 1))
            std::snprintf(text, sizeof text, "^%04d^%04d^%04d^%04d^%04d^%04d^%04d^%04d^%d^%d^%d^%d", r.Left, r.Top,
                          r.Right, r.Bottom, v.WL, v.WT, v.WR, v.WB, v.ImageCount, v.MaskType, v.StretchMode,
                          v.BorderWidth);
        break;
    case TsImageForm::Texture:
        if (rect && Fits(v.StretchMode, 2) && Fits(v.MaskType, 1))
            std::snprintf(text, sizeof text, "~%04d~%04d~%04d~%04d~%02d~%d", r.Left, r.Top, r.Right, r.Bottom,
                          v.StretchMode, v.MaskType);
        break;
    default: break;
    }
    return text;
}

bool SameFields(const TsImageValue& a, const TsImageValue& b)
{
    return a.Form == b.Form && a.R == b.R && a.ImageCount == b.ImageCount && a.MaskType == b.MaskType &&
           a.BorderWidth == b.BorderWidth && a.StretchMode == b.StretchMode && a.ImgType == b.ImgType &&
           a.WL == b.WL && a.WT == b.WT && a.WR == b.WR && a.WB == b.WB;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t mode = data[size - 1];
    const std::string_view text(reinterpret_cast<const char*>(data), size - 1);
    const int width = 1 + (mode & 0x0F) * 37;
    const int height = 1 + (mode >> 4) * 23;
    try {
        const TsImageValue v = ParseImageValue(text);
        const TsImageForm expected = ExpectedForm(text);
        const bool mayBeNone = expected == TsImageForm::OwnImage || expected == TsImageForm::Grouped;
        Check(v.Form == expected || (mayBeNone && v.Form == TsImageForm::None));
        if (const std::string canonical = Canonical(v); !canonical.empty())
            Check(SameFields(ParseImageValue(canonical), v));
        TsMaskData mask;
        switch (v.Form) {
        case TsImageForm::None: break;
        case TsImageForm::OwnImage: ApplyOwnImageLayout(mask, v, width, height); break;
        case TsImageForm::BitmapFile: ApplyBitmapFileLayout(mask, width, height); break;
        default: mask = MaskFromImageValue(v, "SECTION", "KEY"); break;
        }
    } catch (const Exception&) {
    }
    return 0;
}
