#pragma once
// Reading a skin's options text ("Options.dat") into the skin's global values and its table of
// section records, with PARENTCLASS inheritance between sections, and merging the skin
// manager's common sections into that table.
//
// Value kinds, as stored skins write them (TMemIniFile parses the text; see IniFiles.h):
// - integer: decimal, or hexadecimal after "$", "0x" or "0X"; absent or unparsable gives the
//   default. Colours are integers 0x00BBGGRR; a value with the top bit set is a system colour.
// - strict integer (a few global keys and stored font colours): decimal or "$" hexadecimal;
//   absent gives the default text; anything else raises EConvertError
//   "'%s' is not a valid integer value" and stops the load.
// - flag: true exactly when the text, upper-cased, is "TRUE" ("1" is false).
// - number with fraction: "." as decimal separator whatever the locale; 0 when unparsable.
// Values land in the widths of their fields: a 16-bit field keeps the low 16 bits.
//
// Inheritance: a section may name a parent with PARENTCLASS; an inherited key is looked up
// along section, parent, parent's parent ... until one holds it. In an options text the text
// "?" and the integer -1 count as absent, so the lookup goes on to the parent. Chains that
// loop, or that run deeper than Limits::MaxParentDepth, end there and the key counts as absent:
// real skins chain two or three sections, and a bound keeps a hostile text from costing time
// quadratic in its section count.

#include "skin/core/sMaskData.h"
#include "vcl/GraphicsTypes.h"
#include "vcl/Strings.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class TMemIniFile;

// The global values of the loaded skin. The skin manager owns one; the options reader fills
// every field but SkinPath and SkinActive.
struct TsSkinData {
    // Folder of the skin's files, ending in a backslash.
    std::wstring SkinPath;
    // False while a skin loads or is removed.
    bool SkinActive = false;
    double Version = 0;
    std::string Author;
    std::string Description;
    TColor Shadow1Color = 0;
    int16_t Shadow1Offset = 0;
    int16_t Shadow1Blur = 0;
    int16_t Shadow1Transparency = 0;
    int16_t BorderWidth = 0;
    int16_t TitleHeight = 0;
    int16_t MaxHeight = 0;
    int16_t FormOffset = 0;
    int16_t CenterOffset = 0;
    int16_t BorderMode = 0;
    TColor BorderColor = 0;
    int16_t BISpace = 0;
    int16_t BIVAlign = 0;
    int16_t BIRight = 0;
    int16_t BILeft = 0;
    int16_t BIKeepHue = 0;
    int16_t BICloseGlow = 0;
    int16_t BICloseGlowMargin = 0;
    int16_t BIMaxGlow = 0;
    int16_t BIMaxGlowMargin = 0;
    int16_t BIMinGlow = 0;
    int16_t BIMinGlowMargin = 0;
};

// The skin's title heights and border width as every frame places them: a value out of reason
// never sizes a bitmap or moves a window; it is held to what a frame can have (0..256 for the
// titles, 0..64 for the border). The frame painting and the show animation read them alike.
int FrameTitleHeight(const TsSkinData& d) noexcept;
int FrameMaxHeight(const TsSkinData& d) noexcept;
int FrameBorderWidth(const TsSkinData& d) noexcept;

struct TsSkinOptionsLimits {
    int MaxParentDepth = 32;
};

// Resolves a system colour index (COLOR_x) to RGB; the loader passes its platform's, which on
// Windows asks GetSysColor. Required.
using TsSystemColorFunc = std::function<TColor(int index)>;

// The inherited lookups. The default applies when no section of the chain holds the key.
std::string ReadInheritedString(const TMemIniFile& ini, std::string_view section,
    std::string_view key, std::string_view def, const TsSkinOptionsLimits& limits = {});
int ReadInheritedInteger(const TMemIniFile& ini, std::string_view section, std::string_view key,
    int def, const TsSkinOptionsLimits& limits = {});

// Reads the keys of "GLOBALINFO" in their fixed order (not inherited). A strict key that is
// not a number raises EConvertError; the values stored before it stay.
void ReadSkinGlobals(const TMemIniFile& ini, TsSkinData& data);

// Replaces the table with one record per section of the text, in text order ("GLOBALINFO" and
// repeated headers included), so that a section's index is its position in the text. Image
// indexes are -1. A gradient text that is not a list of integers raises EConvertError and
// leaves the table empty.
void ReadSectionTable(const TMemIniFile& ini, TsGeneralDataArray& table, const TsSystemColorFunc& systemColor,
    const TsSkinOptionsLimits& limits = {});

// Appends a record for every common section whose name (case-sensitive) is not yet in the
// table. Its fields come from the common section alone; an absent key takes the value of the
// parent record (the first whose upper-cased name is the upper-cased PARENTCLASS), or a fixed
// default without one. Colours are stored as written.
void MergeCommonSections(const TStrings& commonSections, TsGeneralDataArray& table);

// A stored skin's font colour text: exactly five words separated by blanks, each a strict
// integer; any other text gives (0, -1, -1, -1, -1). A word that is not a number raises
// EConvertError.
TsFontColors StoredFontColors(std::string_view text);

// Holds both transparencies of a section to 0..100: they are percentages, and a value outside
// would make the painters blend with weights beyond the colours' range. Every way a section is
// read ends with it.
void ClampTransparency(TsGeneralData& d) noexcept;
