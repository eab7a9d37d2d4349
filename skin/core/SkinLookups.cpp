#include "skin/core/SkinLookups.h"

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr std::string_view GlobalInfo = "GLOBALINFO";

// The once-per-load resolutions walk parent chains for hundreds of (section, key) pairs. This
// index finds every section's parent and every image's section once, so that each step of a
// walk is one search: images are keyed by the position of the first section of their name, and
// a walk from a position follows the same rules as WithParentFallback below. The searches run
// over (hash, position) pairs sorted once, which keep the first of equal names first.
class TableIndex {
public:
    TableIndex(const TsGeneralDataArray& sections, const TsMaskArray& masks)
        : FSections(sections), FMasks(masks), FFirstOf(sections.size()), FParent(sections.size(), -1),
          FMaskSection(masks.size(), -1)
    {
        FSectionOrder.reserve(sections.size());
        for (size_t i = 0; i < sections.size(); ++i)
            FSectionOrder.emplace_back(NameHash(sections[i].SectionName), static_cast<int>(i));
        std::sort(FSectionOrder.begin(), FSectionOrder.end());
        for (size_t i = 0; i < sections.size(); ++i) {
            FFirstOf[i] = Section(sections[i].SectionName);
            const std::string& parent = sections[i].ParentClass;
            if (!parent.empty() && parent != sections[i].SectionName)
                FParent[i] = Section(parent);
        }
        FMaskOrder.reserve(masks.size());
        for (size_t i = 0; i < masks.size(); ++i) {
            // An image of an unnamed section is never found, as in FindMaskOwnOnlyIn.
            if (!masks[i].SectionName.empty())
                FMaskSection[i] = Section(masks[i].SectionName);
            if (FMaskSection[i] >= 0)
                FMaskOrder.emplace_back(SlotHash(FMaskSection[i], NameHash(masks[i].PropertyName)), static_cast<int>(i));
        }
        std::sort(FMaskOrder.begin(), FMaskOrder.end());
    }

    // The first section of that name, -1 when there is none.
    int Section(std::string_view name) const
    {
        return First(FSectionOrder, NameHash(name),
                     [&](int p) { return FSections[static_cast<size_t>(p)].SectionName == name; });
    }

    // FindMaskIn for a section of this table under its own name.
    int Mask(int skinIndex, std::string_view key) const
    {
        if (skinIndex < 0 || static_cast<size_t>(skinIndex) >= FSections.size() ||
            FSections[static_cast<size_t>(skinIndex)].SectionName.empty())
            return -1;
        const size_t keyHash = NameHash(key);
        int at = skinIndex;
        for (size_t step = 0; step <= FSections.size() && at >= 0; ++step) {
            const int section = FFirstOf[static_cast<size_t>(at)];
            const int found = First(FMaskOrder, SlotHash(section, keyHash), [&](int m) {
                return FMaskSection[static_cast<size_t>(m)] == section && FMasks[static_cast<size_t>(m)].PropertyName == key;
            });
            if (found >= 0)
                return found;
            at = FParent[static_cast<size_t>(at)];
        }
        return -1;
    }

private:
    using Order = std::vector<std::pair<size_t, int>>;

    static size_t NameHash(std::string_view name) noexcept { return std::hash<std::string_view>()(name); }
    static size_t SlotHash(int section, size_t keyHash) noexcept
    {
        return keyHash ^ (static_cast<size_t>(section) * 0x9E3779B9u);
    }
    // The first position of the run of hash h that matches, -1 when none does.
    template <class Match>
    static int First(const Order& order, size_t h, Match match)
    {
        for (auto it = std::lower_bound(order.begin(), order.end(), std::pair<size_t, int>(h, -1));
             it != order.end() && it->first == h; ++it)
            if (match(it->second))
                return it->second;
        return -1;
    }

    const TsGeneralDataArray& FSections;
    const TsMaskArray& FMasks;
    Order FSectionOrder;
    // The first position of each section's name, and the position a walk goes on to (-1 where
    // it ends).
    std::vector<int> FFirstOf;
    std::vector<int> FParent;
    // The first position of each image's section name (-1 for none), and the images by
    // (section, key) hash.
    std::vector<int> FMaskSection;
    Order FMaskOrder;
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
    static constexpr std::string_view CheckGlyphs[9] = {
        "BOXCHECKED", "BOXUNCHECKED", "BOXGRAYED", "RADIOCHECKED", "RADIOUNCHECKED",
        "RADIOGRAYED", "SMALLCHECKED", "SMALLUNCHECKED", "SMALLGRAYED"};
    static constexpr std::string_view Tabs[4] = {"TABTOP", "TABBOTTOM", "TABLEFT", "TABRIGHT"};
    static constexpr std::string_view ScrollBtns[4] = {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT"};
    static constexpr std::string_view Sliders[2] = {"SCROLLSLIDERV", "SCROLLSLIDERH"};
    static constexpr std::string_view ScrollBarSections[4] = {"SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"};

    TsCommonIndexes c;
    const TableIndex index(sections, masks);
    auto section = [&](std::string_view name) { return index.Section(name); };
    // Every position below comes from section(name), so the walk starts from it.
    auto mask = [&](int at, std::string_view key) { return index.Mask(at, key); };

    c.GlobalInfoIndex = section(GlobalInfo);
    if (c.GlobalInfoIndex >= 0) {
        for (size_t i = 0; i < 9; ++i)
            c.CheckGlyph[i] = mask(c.GlobalInfoIndex, CheckGlyphs[i]);
        c.ExBorderMask = mask(c.GlobalInfoIndex, "EXBORDER");
    }

    c.ComboBtnIndex = section("COMBOBTN");
    c.ComboBtnBorderMask = FindMaskOwnOnlyIn(masks, "COMBOBTN", "BORDERSMASK");
    c.ComboBtnTexture = FindTextureIn(sections, masks, c.ComboBtnIndex, "COMBOBTN", "PATTERN");
    c.ComboBtnHotTexture = FindTextureIn(sections, masks, c.ComboBtnIndex, "COMBOBTN", "HOTPATTERN");
    c.ComboBoxGlyphMask = FindMaskOwnOnlyIn(masks, "COMBOBOX", "GLYPHMASK");

    for (size_t i = 0; i < 4; ++i)
        c.TabIndex[i] = section(Tabs[i]);
    for (size_t i = 0; i < 4; ++i)
        c.TabBorderMask[i] = mask(c.TabIndex[i], "BORDERSMASK");

    for (size_t i = 0; i < 4; ++i)
        c.ScrollBtnIndex[i] = section(ScrollBtns[i]);
    for (size_t i = 0; i < 2; ++i)
        c.SliderIndex[i] = section(Sliders[i]);
    for (size_t i = 0; i < 4; ++i) {
        c.ScrollBtnBorderMask[i] = mask(c.ScrollBtnIndex[i], "BORDERSMASK");
        c.ScrollBtnGlyph[i] = mask(c.ScrollBtnIndex[i], "GLYPHMASK");
        c.ScrollBtnPattern[i] = mask(c.ScrollBtnIndex[i], "PATTERN");
        c.ScrollBtnHotPattern[i] = mask(c.ScrollBtnIndex[i], "HOTPATTERN");
    }
    for (size_t i = 0; i < 2; ++i) {
        c.SliderBorderMask[i] = mask(c.SliderIndex[i], "BORDERSMASK");
        c.SliderGlyph[i] = mask(c.SliderIndex[i], "GLYPHMASK");
    }
    c.SliderVPattern = mask(c.SliderIndex[0], "PATTERN");
    c.SliderVHotPattern = mask(c.SliderIndex[0], "HOTPATTERN");
    c.SliderHPattern = mask(c.SliderIndex[1], "PATTERN");
    c.SliderHHotPattern = mask(c.SliderIndex[1], "HOTPATTERN");

    for (size_t i = 0; i < 4; ++i) {
        c.ScrollBarIndex[i] = section(ScrollBarSections[i]);
        c.ScrollBarBorderMask[i] = mask(c.ScrollBarIndex[i], "BORDERSMASK");
        c.ScrollBarPattern[i] = mask(c.ScrollBarIndex[i], "PATTERN");
        c.ScrollBarHotPattern[i] = mask(c.ScrollBarIndex[i], "HOTPATTERN");
    }
    return c;
}

void ResolveSectionImages(TsGeneralDataArray& sections, const TsMaskArray& masks)
{
    const TableIndex index(sections, masks);
    for (size_t i = 0; i < sections.size(); ++i) {
        if (sections[i].SectionName == GlobalInfo)
            continue;
        // Only the index fields are written, so the names the index views stay valid.
        auto find = [&](std::string_view key) { return index.Mask(static_cast<int>(i), key); };
        TsGeneralData& d = sections[i];
        d.BorderIndex = find("BORDERSMASK");
        d.ImgTopLeft = find("IMGTOPLEFT");
        d.ImgTopRight = find("IMGTOPRIGHT");
        d.ImgBottomLeft = find("IMGBTMLEFT");
        d.ImgBottomRight = find("IMGBTMRIGHT");
    }
}
