#pragma once
// Lookups in a loaded skin's tables: a section by name, an image or a pattern by section and
// key (falling back along the sections' ParentClass), the border widths of an image, and the
// indexes of the sections and images every painter uses, resolved once per load. The skin
// manager answers its queries through these; they read only the tables, so they never raise
// and run on the host too.
//
// Names compare exactly: the skin's names are upper case. Every "not found" is -1.
// A ParentClass chain is followed for at most as many steps as the skin has sections, so a
// chain that loops back (A -> B -> A) ends with -1 instead of recursing without end.

#include "skin/core/sMaskData.h"

#include <array>
#include <string_view>

// Indexes of the sections and images that painters read without a scan. S = section index,
// M = image index found under the section's own index and name; -1 when absent. They are ints:
// nothing stored depends on their width, and a skin of many images must not wrap them.
struct TsCommonIndexes {
    int GlobalInfoIndex = -1;
    int ExBorderMask = -1;
    std::array<int, 4> TabIndex{-1, -1, -1, -1};            // TABTOP, TABBOTTOM, TABLEFT, TABRIGHT
    std::array<int, 4> TabBorderMask{-1, -1, -1, -1};
    std::array<int, 4> ScrollBtnIndex{-1, -1, -1, -1};      // SCROLLBTNTOP, BOTTOM, LEFT, RIGHT
    std::array<int, 4> ScrollBtnBorderMask{-1, -1, -1, -1};
    std::array<int, 4> ScrollBtnPattern{-1, -1, -1, -1};
    std::array<int, 4> ScrollBtnHotPattern{-1, -1, -1, -1};
    std::array<int, 4> ScrollBtnGlyph{-1, -1, -1, -1};
    std::array<int, 2> SliderIndex{-1, -1};                 // SCROLLSLIDERV, SCROLLSLIDERH
    std::array<int, 2> SliderBorderMask{-1, -1};
    std::array<int, 2> SliderGlyph{-1, -1};
    int SliderHPattern = -1;
    int SliderHHotPattern = -1;
    int SliderVPattern = -1;
    int SliderVHotPattern = -1;
    std::array<int, 4> ScrollBarIndex{-1, -1, -1, -1};      // SCROLLBAR1H, 1V, 2H, 2V
    std::array<int, 4> ScrollBarBorderMask{-1, -1, -1, -1};
    std::array<int, 4> ScrollBarPattern{-1, -1, -1, -1};
    std::array<int, 4> ScrollBarHotPattern{-1, -1, -1, -1};
    // BOXCHECKED, BOXUNCHECKED, BOXGRAYED, RADIO..., SMALL... of GLOBALINFO.
    std::array<int, 9> CheckGlyph{-1, -1, -1, -1, -1, -1, -1, -1, -1};
    int ComboBtnIndex = -1;
    int ComboBtnBorderMask = -1;
    int ComboBtnTexture = -1;
    int ComboBtnHotTexture = -1;
    int ComboBoxGlyphMask = -1;
};

int FindSectionIn(const TsGeneralDataArray& sections, std::string_view name) noexcept;

// The first image of that section and key; else the same lookup under the ParentClass of the
// section at skinIndex. -1 for a negative or invalid skinIndex or an empty section name.
int FindMaskIn(const TsGeneralDataArray& sections, const TsMaskArray& masks, int skinIndex,
               std::string_view section, std::string_view key) noexcept;
// The first image of that section and key; no fallback.
int FindMaskOwnOnlyIn(const TsMaskArray& masks, std::string_view section, std::string_view key) noexcept;
// As FindMaskIn, among texture images only.
int FindTextureIn(const TsGeneralDataArray& sections, const TsMaskArray& masks, int skinIndex,
                  std::string_view section, std::string_view key) noexcept;
// As FindMaskIn, in the pattern table.
int FindPatternIn(const TsGeneralDataArray& sections, const TsPatternArray& patterns, int skinIndex,
                  std::string_view section, std::string_view key) noexcept;

// A side width of an image: its own width when above 0, else its BorderWidth when at least 1,
// else a whole cell. Left reads a stored ImageCount of 0 as 1 and writes that back, because
// painters that ask for the left border next divide by the count.
int MaskBorderLeftOf(TsMaskData& mask) noexcept;
int MaskBorderTopOf(const TsMaskData& mask) noexcept;
int MaskBorderRightOf(const TsMaskData& mask) noexcept;
int MaskBorderBottomOf(const TsMaskData& mask) noexcept;

// Once per load; these two raise nothing but std::bad_alloc.
TsCommonIndexes ComputeCommonIndexes(const TsGeneralDataArray& sections, const TsMaskArray& masks);
// BorderIndex and the four corner image indexes of every section but GLOBALINFO.
void ResolveSectionImages(TsGeneralDataArray& sections, const TsMaskArray& masks);
