#include "skin/core/SkinImageValues.h"

#include "skin/core/TextRoutines.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr std::string_view NoCellsText = "Skin image %s of section %s has no cell to take its borders from";

// The characters at 1-based positions pos .. pos + count - 1, clipped to the value, so that a
// short value gives a short (or empty) field and the conversion error rather than a read past
// its end.
std::string_view Field(std::string_view value, size_t pos, size_t count)
{
    if (pos - 1 >= value.size())
        return {};
    return value.substr(pos - 1, count);
}

int FieldInt(std::string_view value, size_t pos, size_t count)
{
    return StrToInt(Field(value, pos, count));
}

TRect FixedRect(std::string_view v)
{
    return Rect(FieldInt(v, 2, 4), FieldInt(v, 7, 4), FieldInt(v, 12, 4), FieldInt(v, 17, 4));
}

TacImgType ImgTypeOf(int code)
{
    // Codes above the last kind count as the last, as stored skins write them; a negative code
    // names no kind and is read as a border.
    if (code > itisaPngGlyph)
        return itisaPngGlyph;
    if (code < 0)
        return itisaBorder;
    return static_cast<TacImgType>(code);
}

TsImageValue ParseOwnImage(std::string_view v)
{
    static const TSysCharSet bang = CharSetOf("!");
    const std::vector<std::string_view> words = SplitWords(v, bang);
    TsImageValue r;
    const std::string_view file = words.empty() ? std::string_view() : words[0];
    const bool bmp = file.find(".BMP") != std::string_view::npos;
    const bool png = file.find(".PNG") != std::string_view::npos;
    if (!bmp && !png)
        return r;
    r.Form = TsImageForm::OwnImage;
    r.FileName = std::string(file);
    r.IsPng = !bmp;
    for (size_t i = 1; i < words.size(); ++i)
        r.OwnWords.emplace_back(words[i]);
    return r;
}

// A number of a grouped value; false when it is absent or not a number.
bool GroupNumber(const std::vector<std::string_view>& list, size_t i, int& value)
{
    return i < list.size() && TryStrToInt(list[i], value);
}

TsImageValue ParseGrouped(std::string_view v)
{
    static const TSysCharSet groups = CharSetOf(" ()");
    static const TSysCharSet numbers = CharSetOf(" ,");
    const std::vector<std::string_view> words = SplitWords(v, groups);
    const std::vector<std::string_view> c = SplitWords(words.size() > 1 ? words[1] : std::string_view(), numbers);
    const std::vector<std::string_view> n = SplitWords(words.size() > 2 ? words[2] : std::string_view(), numbers);
    TsImageValue r;
    int left = 0, top = 0, right = 0, bottom = 0, cells = 0, rows = 0, border = 0, stretch = 1;
    if (!GroupNumber(c, 0, left) || !GroupNumber(c, 1, top) || !GroupNumber(c, 2, right) ||
        !GroupNumber(c, 3, bottom) || !GroupNumber(n, 0, cells) || !GroupNumber(n, 1, rows) ||
        (n.size() > 2 && !GroupNumber(n, 2, border)) || (n.size() > 3 && !GroupNumber(n, 3, stretch)))
        return r;
    r.Form = TsImageForm::Grouped;
    r.R = Rect(left, top, right, bottom);
    r.ImageCount = std::max(cells, 1);
    r.MaskType = std::max(rows, 0);
    r.BorderWidth = std::max(border, 0);
    r.StretchMode = stretch;
    r.ImgType = itisaBorder;
    return r;
}

} // namespace

TsImageValue ParseImageValue(std::string_view v)
{
    TsImageValue r;
    if (v.empty())
        return r;
    switch (v[0]) {
    case '@':
        r.Form = TsImageForm::Glyph;
        r.R = FixedRect(v);
        r.ImageCount = FieldInt(v, 22, 1);
        r.MaskType = FieldInt(v, 24, 1);
        r.ImgType = itisaGlyph;
        return r;
    case '^':
        r.Form = TsImageForm::Border;
        r.R = FixedRect(v);
        r.WL = FieldInt(v, 22, 4);
        r.WT = FieldInt(v, 27, 4);
        r.WR = FieldInt(v, 32, 4);
        r.WB = FieldInt(v, 37, 4);
        r.ImageCount = FieldInt(v, 42, 1);
        r.MaskType = FieldInt(v, 44, 1);
        r.StretchMode = FieldInt(v, 46, 1);
        r.BorderWidth = FieldInt(v, 48, 1);
        r.ImgType = itisaBorder;
        return r;
    case '~':
        r.Form = TsImageForm::Texture;
        r.R = FixedRect(v);
        r.StretchMode = FieldInt(v, 22, 2);
        r.MaskType = v.size() > 24 ? FieldInt(v, 25, 1) : 0;
        r.ImageCount = 1;
        r.ImgType = itisaTexture;
        return r;
    case '!':
        return ParseOwnImage(v);
    default:
        break;
    }
    if (v != "#" && v.find('#') != std::string_view::npos)
        return ParseGrouped(v);
    std::string upper = UpperCaseAscii(v);
    if (upper.find(".BMP") != std::string::npos) {
        r.Form = TsImageForm::BitmapFile;
        r.FileName = std::move(upper);
    }
    return r;
}

TsMaskData MaskFromImageValue(const TsImageValue& value, std::string section, std::string key)
{
    TsMaskData m;
    m.SectionName = std::move(section);
    m.PropertyName = std::move(key);
    m.R = value.R;
    // The record's fields are 16 bits wide; stored skins never need more, and a wider value
    // keeps its low bits as the platform's records did.
    m.ImageCount = static_cast<int16_t>(value.ImageCount);
    m.MaskType = static_cast<int16_t>(value.MaskType);
    m.BorderWidth = static_cast<int16_t>(value.BorderWidth);
    m.StretchMode = static_cast<int16_t>(value.StretchMode);
    m.ImgType = value.ImgType;
    m.WL = static_cast<int16_t>(value.WL);
    m.WT = static_cast<int16_t>(value.WT);
    m.WR = static_cast<int16_t>(value.WR);
    m.WB = static_cast<int16_t>(value.WB);
    if (value.Form == TsImageForm::Border || value.Form == TsImageForm::Grouped)
        ApplySideRule(m);
    return m;
}

void ApplyOwnImageLayout(TsMaskData& mask, const TsImageValue& value, int width, int height)
{
    const std::vector<std::string>& words = value.OwnWords;
    auto word = [&](size_t i) { return StrToInt(i < words.size() ? std::string_view(words[i]) : std::string_view()); };
    mask.ImageCount = static_cast<int16_t>(word(0));
    mask.MaskType = static_cast<int16_t>(word(1));
    mask.ImgType = ImgTypeOf(word(2));
    mask.StretchMode = 4;
    mask.BorderWidth = 0;
    mask.R = Rect(0, 0, width, height);
    if (words.size() > 3) {
        mask.WL = static_cast<int16_t>(word(3));
        mask.WT = static_cast<int16_t>(word(4));
        mask.WR = static_cast<int16_t>(word(5));
        mask.WB = static_cast<int16_t>(word(6));
        return;
    }
    // The side rule's division, but over the whole picture and without the border width.
    mask.WL = mask.WT = mask.WR = mask.WB = 0;
    ApplySideRule(mask);
}

void ApplyBitmapFileLayout(TsMaskData& mask, int width, int height)
{
    mask.ImageCount = 3;
    mask.MaskType = 1;
    mask.R = Rect(0, 0, width, height);
    mask.WL = mask.WR = static_cast<int16_t>(width / 9);
    mask.WT = mask.WB = static_cast<int16_t>(height / 6);
    mask.ImgType = itisaBorder;
    mask.BorderWidth = 0;
    mask.StretchMode = 0;
}

void ApplySideRule(TsMaskData& mask)
{
    if (int{mask.WL} + mask.WT + mask.WR + mask.WB != 0)
        return;
    if (mask.BorderWidth != 0) {
        mask.WL = mask.WT = mask.WR = mask.WB = mask.BorderWidth;
        return;
    }
    const int64_t across = int64_t{mask.ImageCount} * 3;
    const int64_t down = (int64_t{mask.MaskType} + 1) * 3;
    if (across == 0 || down == 0)
        throw EConvertError(Format(NoCellsText, {mask.PropertyName, mask.SectionName}));
    mask.WL = mask.WR = static_cast<int16_t>((int64_t{mask.R.Right} - mask.R.Left) / across);
    mask.WT = mask.WB = static_cast<int16_t>((int64_t{mask.R.Bottom} - mask.R.Top) / down);
}
