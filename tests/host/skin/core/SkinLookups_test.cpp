#include "skin/core/SkinLookups.h"

#include <gtest/gtest.h>

#include <array>

#include <string>
#include <utility>

namespace {

TsGeneralData Section(std::string name, std::string parent = {})
{
    TsGeneralData d;
    d.SectionName = std::move(name);
    d.ParentClass = std::move(parent);
    return d;
}

TsMaskData Mask(std::string section, std::string key, TacImgType type = itisaBorder)
{
    TsMaskData m;
    m.SectionName = std::move(section);
    m.PropertyName = std::move(key);
    m.ImgType = type;
    return m;
}

// Sections: 0 GLOBALINFO, 1 EDIT, 2 COMBOBOX -> EDIT, 3 SELF -> SELF, 4 A -> B, 5 B -> A,
// 6 LOWER -> edit (no such section), 7 COMBOBTN, 8 DEEP -> COMBOBOX.
struct Tables {
    TsGeneralDataArray sections;
    TsMaskArray masks;
    TsPatternArray patterns;

    Tables()
    {
        sections.push_back(Section("GLOBALINFO"));
        sections.push_back(Section("EDIT"));
        sections.push_back(Section("COMBOBOX", "EDIT"));
        sections.push_back(Section("SELF", "SELF"));
        sections.push_back(Section("A", "B"));
        sections.push_back(Section("B", "A"));
        sections.push_back(Section("LOWER", "edit"));
        sections.push_back(Section("COMBOBTN"));
        sections.push_back(Section("DEEP", "COMBOBOX"));
        masks.push_back(Mask("GLOBALINFO", "BOXCHECKED", itisaGlyph));       // 0
        masks.push_back(Mask("EDIT", "BORDERSMASK"));                         // 1
        masks.push_back(Mask("EDIT", "PATTERN"));                             // 2: not a texture
        masks.push_back(Mask("EDIT", "PATTERN", itisaTexture));               // 3
        masks.push_back(Mask("EDIT", "BORDERSMASK"));                         // 4: a second one
        masks.push_back(Mask("COMBOBTN", "BORDERSMASK"));                     // 5
        masks.push_back(Mask("GLOBALINFO", "EXBORDER"));                      // 6
        masks.push_back(Mask("EDIT", "IMGTOPLEFT"));                          // 7
        TsPatternData p;
        p.SectionName = "EDIT";
        p.PropertyName = "HOTPATTERN";
        patterns.push_back(std::move(p));
    }
};

TEST(SkinLookups, MasksFallBackAlongParentsAndStopAtLoops)
{
    const Tables t;
    struct Case {
        const char* name;
        int skinIndex;
        const char* section;
        const char* key;
        int expected;
    } const cases[] = {
        {"Own", 1, "EDIT", "BORDERSMASK", 1},
        {"FromParent", 2, "COMBOBOX", "BORDERSMASK", 1},
        {"FromGrandParent", 8, "DEEP", "BORDERSMASK", 1},
        {"SelfParent", 3, "SELF", "BORDERSMASK", -1},
        {"TwoSectionLoop", 4, "A", "BORDERSMASK", -1},
        {"ParentNamedInOtherCase", 6, "LOWER", "BORDERSMASK", -1},
        {"NegativeIndex", -1, "EDIT", "BORDERSMASK", -1},
        {"EmptySection", 1, "", "BORDERSMASK", -1},
        {"IndexBeyondTheTable", 99, "NOPE", "BORDERSMASK", -1},
        {"OwnMatchEvenWithABadIndex", 99, "EDIT", "BORDERSMASK", 1},
        {"CaseSensitiveKey", 1, "EDIT", "bordersmask", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FindMaskIn(t.sections, t.masks, c.skinIndex, c.section, c.key), c.expected);
    }
    EXPECT_EQ(FindMaskOwnOnlyIn(t.masks, "COMBOBOX", "BORDERSMASK"), -1);
    EXPECT_EQ(FindMaskOwnOnlyIn(t.masks, "EDIT", "BORDERSMASK"), 1);
}

TEST(SkinLookups, TexturesAndPatternsFollowTheSameFallback)
{
    const Tables t;
    EXPECT_EQ(FindTextureIn(t.sections, t.masks, 1, "EDIT", "PATTERN"), 3);
    EXPECT_EQ(FindTextureIn(t.sections, t.masks, 2, "COMBOBOX", "PATTERN"), 3);
    EXPECT_EQ(FindTextureIn(t.sections, t.masks, 1, "EDIT", "BORDERSMASK"), -1);
    EXPECT_EQ(FindTextureIn(t.sections, t.masks, 4, "A", "PATTERN"), -1);
    EXPECT_EQ(FindPatternIn(t.sections, t.patterns, 8, "DEEP", "HOTPATTERN"), 0);
    EXPECT_EQ(FindPatternIn(t.sections, t.patterns, 5, "B", "HOTPATTERN"), -1);
    EXPECT_EQ(FindPatternIn(t.sections, {}, 1, "EDIT", "HOTPATTERN"), -1);
}

TEST(SkinLookups, BorderWidthsPreferOwnSidesThenBorderWidthThenACell)
{
    TsMaskData m;
    m.R = Rect(0, 0, 30, 20);
    m.ImageCount = 3;
    m.MaskType = 1;
    EXPECT_EQ(MaskBorderLeftOf(m), 10);
    EXPECT_EQ(MaskBorderTopOf(m), 10);
    m.BorderWidth = 4;
    EXPECT_EQ(MaskBorderRightOf(m), 4);
    m.WB = 2;
    EXPECT_EQ(MaskBorderBottomOf(m), 2);

    TsMaskData none;
    none.R = Rect(5, 0, 47, 9);
    EXPECT_EQ(MaskBorderLeftOf(none), 42);
    EXPECT_EQ(none.ImageCount, 1);
}

TEST(SkinLookups, CommonIndexesOfASmallSkin)
{
    Tables t;
    t.sections.push_back(Section("TABTOP"));
    t.sections.push_back(Section("SCROLLSLIDERH", "TABTOP"));
    t.masks.push_back(Mask("TABTOP", "BORDERSMASK"));                // 8
    t.masks.push_back(Mask("COMBOBTN", "HOTPATTERN", itisaTexture)); // 9
    t.masks.push_back(Mask("COMBOBOX", "GLYPHMASK"));                // 10
    const TsCommonIndexes c = ComputeCommonIndexes(t.sections, t.masks);
    EXPECT_EQ((std::array{c.GlobalInfoIndex, c.CheckGlyph[0], c.CheckGlyph[1], c.ExBorderMask}), (std::array{0, 0, -1, 6}));
    EXPECT_EQ((std::array{c.ComboBtnIndex, c.ComboBtnBorderMask, c.ComboBtnTexture, c.ComboBtnHotTexture, c.ComboBoxGlyphMask}),
              (std::array{7, 5, -1, 9, 10}));
    EXPECT_EQ((std::array{c.TabIndex[0], c.TabIndex[1], c.TabBorderMask[0]}), (std::array{9, -1, 8}));
    EXPECT_EQ((std::array{c.SliderIndex[1], c.SliderBorderMask[1], c.SliderBorderMask[0], c.ScrollBarIndex[3]}),
              (std::array{10, 8, -1, -1}));

    const TsCommonIndexes empty = ComputeCommonIndexes({}, {});
    EXPECT_EQ(empty.GlobalInfoIndex, -1);
    EXPECT_EQ(empty.CheckGlyph[8], -1);
    EXPECT_EQ(empty.ExBorderMask, -1);
}

// The once-per-load resolutions index the tables; FindMaskIn, the plain walk painters use, is
// their oracle over every awkward shape: a repeated name whose record has a parent of its own,
// loops, a self parent, a parent in another case or absent, an unnamed section.
TEST(SkinLookups, ResolvedImagesAgreeWithThePlainLookup)
{
    TsGeneralDataArray sections;
    const std::pair<const char*, const char*> shapes[] = {
        {"GLOBALINFO", ""}, {"EDIT", ""}, {"BTN", "EDIT"}, {"EDIT", "BTN"}, {"A", "B"}, {"B", "A"},
        {"SELF", "SELF"}, {"LOW", "btn"}, {"", "EDIT"}, {"ORPHAN", "NOWHERE"}, {"C", "A"},
        {"TABTOP", "BTN"}, {"SCROLLSLIDERV", "TABTOP"},
    };
    for (const auto& [name, parent] : shapes)
        sections.push_back(Section(name, parent));
    TsMaskArray masks;
    masks.push_back(Mask("BTN", "BORDERSMASK"));         // 0
    masks.push_back(Mask("EDIT", "IMGTOPLEFT"));         // 1
    masks.push_back(Mask("EDIT", "IMGTOPLEFT"));         // 2: never the first
    masks.push_back(Mask("B", "IMGBTMRIGHT"));           // 3
    masks.push_back(Mask("", "BORDERSMASK"));            // 4: of no section
    masks.push_back(Mask("NOWHERE", "BORDERSMASK"));     // 5
    masks.push_back(Mask("A", "IMGTOPRIGHT"));           // 6
    masks.push_back(Mask("SCROLLSLIDERV", "GLYPHMASK")); // 7
    masks.push_back(Mask("TABTOP", "PATTERN"));          // 8
    masks.push_back(Mask("GLOBALINFO", "BORDERSMASK"));  // 9: GLOBALINFO takes no images

    TsGeneralDataArray resolved = sections;
    ResolveSectionImages(resolved, masks);
    for (size_t i = 1; i < resolved.size(); ++i) {
        SCOPED_TRACE("section " + std::to_string(i));
        const std::string& name = sections[i].SectionName;
        auto plain = [&](const char* key) { return FindMaskIn(sections, masks, static_cast<int>(i), name, key); };
        EXPECT_EQ(resolved[i].BorderIndex, plain("BORDERSMASK"));
        EXPECT_EQ(resolved[i].ImgTopLeft, plain("IMGTOPLEFT"));
        EXPECT_EQ(resolved[i].ImgTopRight, plain("IMGTOPRIGHT"));
        EXPECT_EQ(resolved[i].ImgBottomLeft, plain("IMGBTMLEFT"));
        EXPECT_EQ(resolved[i].ImgBottomRight, plain("IMGBTMRIGHT"));
    }
    // The second EDIT walks to its own parent; the first has none.
    EXPECT_EQ(resolved[3].BorderIndex, 0);
    EXPECT_EQ(resolved[1].BorderIndex, -1);
    EXPECT_EQ(resolved[3].ImgTopLeft, 1);
    EXPECT_EQ(resolved[10].ImgBottomRight, 3);
    EXPECT_EQ(resolved[8].BorderIndex, -1);
    EXPECT_EQ(resolved[0].BorderIndex, -1);

    const TsCommonIndexes c = ComputeCommonIndexes(sections, masks);
    EXPECT_EQ(c.TabBorderMask[0], FindMaskIn(sections, masks, c.TabIndex[0], "TABTOP", "BORDERSMASK"));
    EXPECT_EQ(c.TabBorderMask[0], 0);
    EXPECT_EQ(c.SliderGlyph[0], 7);
    EXPECT_EQ(c.SliderVPattern, 8);
    EXPECT_EQ(c.SliderBorderMask[0], 0);
}

} // namespace
