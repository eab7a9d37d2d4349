#include "skin/core/SkinLookups.h"

#include <string>
#include <unordered_map>

namespace {

constexpr std::string_view kGlobalInfo = "GLOBALINFO";

// The first image of each (section, key), for the once-per-load resolutions, which would
// otherwise scan the whole image table for every section and key.
class FirstMaskIndex {
public:
    explicit FirstMaskIndex(const TsMaskArray& masks)
    {
        FFirst.reserve(masks.size());
        for (size_t i = 0; i < masks.size(); ++i)
            FFirst.try_emplace(Key(masks[i].SectionName, masks[i].PropertyName), static_cast<int>(i));
    }
    int Find(std::string_view section, std::string_view key) const
    {
        const auto it = FFirst.find(Key(section, key));
        return it == FFirst.end() ? -1 : it->second;
    }

private:
    static std::string Key(std::string_view section, std::string_view key)
    {
        std::string k;
        k.reserve(section.size() + key.size() + 1);
        k.append(section).push_back('\0');
        k.append(key);
        return k;
    }
    std::unordered_map<std::string, int> FFirst;
};

bool ValidSection(const TsGeneralDataArray& sections, int index) noexcept
{
    return index >= 0 && static_cast<size_t>(index) < sections.size();
}

// Walks section, its parent, the parent's parent ... asking match at each step. The parent is
// taken from the record at the current index, as painters expect; the walk stops where the
// parent is empty, names its own section or no section, and after sections.size() steps.
template <class Match>
int WithParentFallback(const TsGeneralDataArray& sections, int skinIndex, std::string_view section, Match match)
{
    for (size_t step = 0; step <= sections.size(); ++step) {
        if (skinIndex < 0 || section.empty())
            return -1;
        const int found = match(section);
        if (found >= 0)
            return found;
        if (!ValidSection(sections, skinIndex))
            return -1;
        const std::string& parent = sections[static_cast<size_t>(skinIndex)].ParentClass;
        if (parent.empty() || parent == section)
            return -1;
        skinIndex = FindSectionIn(sections, parent);
        if (skinIndex < 0)
            return -1;
        section = parent;
    }
    return -1;
}

template <class Table, class Extra>
int FirstOf(const Table& table, std::string_view section, std::string_view key, Extra extra) noexcept
{
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].SectionName == section && table[i].PropertyName == key && extra(table[i]))
            return static_cast<int>(i);
    return -1;
}

int CellOr(int own, int borderWidth, int cell) noexcept
{
    if (own > 0)
        return own;
    if (borderWidth >= 1)
        return borderWidth;
    return cell;
}

} // namespace

int FindSectionIn(const TsGeneralDataArray& sections, std::string_view name) noexcept
{
    for (size_t i = 0; i < sections.size(); ++i)
        if (sections[i].SectionName == name)
            return static_cast<int>(i);
    return -1;
}

int FindMaskIn(const TsGeneralDataArray& sections, const TsMaskArray& masks, int skinIndex,
               std::string_view section, std::string_view key) noexcept
{
    return WithParentFallback(sections, skinIndex, section,
                              [&](std::string_view s) { return FindMaskOwnOnlyIn(masks, s, key); });
}

int FindMaskOwnOnlyIn(const TsMaskArray& masks, std::string_view section, std::string_view key) noexcept
{
    if (section.empty())
        return -1;
    return FirstOf(masks, section, key, [](const TsMaskData&) { return true; });
}

int FindTextureIn(const TsGeneralDataArray& sections, const TsMaskArray& masks, int skinIndex,
                  std::string_view section, std::string_view key) noexcept
{
    if (masks.empty())
        return -1;
    return WithParentFallback(sections, skinIndex, section, [&](std::string_view s) {
        return FirstOf(masks, s, key, [](const TsMaskData& m) { return m.ImgType == itisaTexture; });
    });
}

int FindPatternIn(const TsGeneralDataArray& sections, const TsPatternArray& patterns, int skinIndex,
                  std::string_view section, std::string_view key) noexcept
{
    if (patterns.empty())
        return -1;
    return WithParentFallback(sections, skinIndex, section, [&](std::string_view s) {
        return FirstOf(patterns, s, key, [](const TsPatternData&) { return true; });
    });
}

int MaskBorderLeftOf(TsMaskData& mask) noexcept
{
    if (mask.WL <= 0 && mask.BorderWidth < 1 && mask.ImageCount == 0)
        mask.ImageCount = 1;
    return CellOr(mask.WL, mask.BorderWidth, MaskCellWidth(mask));
}

int MaskBorderTopOf(const TsMaskData& mask) noexcept
{
    return CellOr(mask.WT, mask.BorderWidth, MaskCellHeight(mask));
}

int MaskBorderRightOf(const TsMaskData& mask) noexcept
{
    return CellOr(mask.WR, mask.BorderWidth, MaskCellWidth(mask));
}

int MaskBorderBottomOf(const TsMaskData& mask) noexcept
{
    return CellOr(mask.WB, mask.BorderWidth, MaskCellHeight(mask));
}

TsCommonIndexes ComputeCommonIndexes(const TsGeneralDataArray& sections, const TsMaskArray& masks)
{
    static constexpr std::string_view kCheckGlyphs[9] = {
        "BOXCHECKED", "BOXUNCHECKED", "BOXGRAYED", "RADIOCHECKED", "RADIOUNCHECKED",
        "RADIOGRAYED", "SMALLCHECKED", "SMALLUNCHECKED", "SMALLGRAYED"};
    static constexpr std::string_view kTabs[4] = {"TABTOP", "TABBOTTOM", "TABLEFT", "TABRIGHT"};
    static constexpr std::string_view kScrollBtns[4] = {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT"};
    static constexpr std::string_view kSliders[2] = {"SCROLLSLIDERV", "SCROLLSLIDERH"};
    static constexpr std::string_view kScrollBars[4] = {"SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"};

    TsCommonIndexes c;
    const FirstMaskIndex first(masks);
    auto section = [&](std::string_view name) { return FindSectionIn(sections, name); };
    auto mask = [&](int index, std::string_view name, std::string_view key) {
        return WithParentFallback(sections, index, name, [&](std::string_view s) { return first.Find(s, key); });
    };

    c.GlobalInfoIndex = section(kGlobalInfo);
    if (c.GlobalInfoIndex >= 0) {
        for (size_t i = 0; i < 9; ++i)
            c.CheckGlyph[i] = mask(c.GlobalInfoIndex, kGlobalInfo, kCheckGlyphs[i]);
        c.ExBorderMask = mask(c.GlobalInfoIndex, kGlobalInfo, "EXBORDER");
    }

    c.ComboBtnIndex = section("COMBOBTN");
    c.ComboBtnBorderMask = FindMaskOwnOnlyIn(masks, "COMBOBTN", "BORDERSMASK");
    c.ComboBtnTexture = FindTextureIn(sections, masks, c.ComboBtnIndex, "COMBOBTN", "PATTERN");
    c.ComboBtnHotTexture = FindTextureIn(sections, masks, c.ComboBtnIndex, "COMBOBTN", "HOTPATTERN");
    c.ComboBoxGlyphMask = FindMaskOwnOnlyIn(masks, "COMBOBOX", "GLYPHMASK");

    for (size_t i = 0; i < 4; ++i)
        c.TabIndex[i] = section(kTabs[i]);
    for (size_t i = 0; i < 4; ++i)
        c.TabBorderMask[i] = mask(c.TabIndex[i], kTabs[i], "BORDERSMASK");

    for (size_t i = 0; i < 4; ++i)
        c.ScrollBtnIndex[i] = section(kScrollBtns[i]);
    for (size_t i = 0; i < 2; ++i)
        c.SliderIndex[i] = section(kSliders[i]);
    for (size_t i = 0; i < 4; ++i) {
        c.ScrollBtnBorderMask[i] = mask(c.ScrollBtnIndex[i], kScrollBtns[i], "BORDERSMASK");
        c.ScrollBtnGlyph[i] = mask(c.ScrollBtnIndex[i], kScrollBtns[i], "GLYPHMASK");
        c.ScrollBtnPattern[i] = mask(c.ScrollBtnIndex[i], kScrollBtns[i], "PATTERN");
        c.ScrollBtnHotPattern[i] = mask(c.ScrollBtnIndex[i], kScrollBtns[i], "HOTPATTERN");
    }
    for (size_t i = 0; i < 2; ++i) {
        c.SliderBorderMask[i] = mask(c.SliderIndex[i], kSliders[i], "BORDERSMASK");
        c.SliderGlyph[i] = mask(c.SliderIndex[i], kSliders[i], "GLYPHMASK");
    }
    c.SliderVPattern = mask(c.SliderIndex[0], kSliders[0], "PATTERN");
    c.SliderVHotPattern = mask(c.SliderIndex[0], kSliders[0], "HOTPATTERN");
    c.SliderHPattern = mask(c.SliderIndex[1], kSliders[1], "PATTERN");
    c.SliderHHotPattern = mask(c.SliderIndex[1], kSliders[1], "HOTPATTERN");

    for (size_t i = 0; i < 4; ++i) {
        c.ScrollBarIndex[i] = section(kScrollBars[i]);
        c.ScrollBarBorderMask[i] = mask(c.ScrollBarIndex[i], kScrollBars[i], "BORDERSMASK");
        c.ScrollBarPattern[i] = mask(c.ScrollBarIndex[i], kScrollBars[i], "PATTERN");
        c.ScrollBarHotPattern[i] = mask(c.ScrollBarIndex[i], kScrollBars[i], "HOTPATTERN");
    }
    return c;
}

void ResolveSectionImages(TsGeneralDataArray& sections, const TsMaskArray& masks)
{
    const FirstMaskIndex first(masks);
    for (size_t i = 0; i < sections.size(); ++i) {
        if (sections[i].SectionName == kGlobalInfo)
            continue;
        const std::string name = sections[i].SectionName;
        auto find = [&](std::string_view key) {
            return WithParentFallback(sections, static_cast<int>(i), name, [&](std::string_view s) { return first.Find(s, key); });
        };
        TsGeneralData& d = sections[i];
        d.BorderIndex = find("BORDERSMASK");
        d.ImgTopLeft = find("IMGTOPLEFT");
        d.ImgTopRight = find("IMGTOPRIGHT");
        d.ImgBottomLeft = find("IMGBTMLEFT");
        d.ImgBottomRight = find("IMGBTMRIGHT");
    }
}
