#include "skin/core/sSkinOptions.h"

#include "skin/core/TextRoutines.h"
#include "vcl/IniFiles.h"
#include "vcl/Strings.h"
#include "vcl/SysUtils.h"

#include <optional>

namespace {

constexpr std::string_view kGlobalSection = "GLOBALINFO";
constexpr std::string_view kParentKey = "PARENTCLASS";
constexpr std::string_view kAbsentText = "?";
constexpr int kAbsentInteger = -1;

// ---- Global values --------------------------------------------------------------------------

enum class GlobalKind { Integer, Strict, Colour };

struct GlobalKey {
    std::string_view Key;
    GlobalKind Kind;
    // The default as text, because strict keys convert their default like a value.
    std::string_view Default;
    int16_t TsSkinData::*Field16 = nullptr;
    TColor TsSkinData::*Colour = nullptr;
};

// In the order they are read: a strict key that raises leaves the keys before it stored.
const GlobalKey kGlobalKeys[] = {
    {"BORDERWIDTH", GlobalKind::Integer, "4", &TsSkinData::BorderWidth},
    {"TITLEHEIGHT", GlobalKind::Integer, "30", &TsSkinData::TitleHeight},
    {"MAXHEIGHT", GlobalKind::Integer, "0", &TsSkinData::MaxHeight},
    {"FORMOFFSET", GlobalKind::Integer, "8", &TsSkinData::FormOffset},
    {"CENTEROFFSET", GlobalKind::Integer, "0", &TsSkinData::CenterOffset},
    {"BORDERMODE", GlobalKind::Integer, "0", &TsSkinData::BorderMode},
    {"SHADOW1COLOR", GlobalKind::Colour, "0", nullptr, &TsSkinData::Shadow1Color},
    {"SHADOW1OFFSET", GlobalKind::Strict, "0", &TsSkinData::Shadow1Offset},
    {"SHADOW1BLUR", GlobalKind::Strict, "-1", &TsSkinData::Shadow1Blur},
    {"SHADOW1TRANSPARENCY", GlobalKind::Strict, "0", &TsSkinData::Shadow1Transparency},
    {"BISPACE", GlobalKind::Integer, "0", &TsSkinData::BISpace},
    {"BIVALIGN", GlobalKind::Integer, "0", &TsSkinData::BIVAlign},
    {"BIRIGHT", GlobalKind::Integer, "0", &TsSkinData::BIRight},
    {"BILEFT", GlobalKind::Integer, "0", &TsSkinData::BILeft},
    {"BORDERCOLOR", GlobalKind::Colour, "0", nullptr, &TsSkinData::BorderColor},
    {"BIKEEPHUE", GlobalKind::Integer, "0", &TsSkinData::BIKeepHue},
    {"BICONCLOSEGLOW", GlobalKind::Strict, "0", &TsSkinData::BICloseGlow},
    {"BICONCLOSEGLOWMARGIN", GlobalKind::Strict, "0", &TsSkinData::BICloseGlowMargin},
    {"BICONMAXGLOW", GlobalKind::Strict, "0", &TsSkinData::BIMaxGlow},
    {"BICONMAXGLOWMARGIN", GlobalKind::Strict, "0", &TsSkinData::BIMaxGlowMargin},
    {"BICONMINGLOW", GlobalKind::Strict, "0", &TsSkinData::BIMinGlow},
    {"BICONMINGLOWMARGIN", GlobalKind::Strict, "0", &TsSkinData::BIMinGlowMargin},
};

// ---- Section records ------------------------------------------------------------------------

struct IntegerKey {
    std::string_view Key;
    int& (*Field)(TsGeneralData&);
    int Default;
    // In a common section an absent key gives 0 at once; only a written -1 takes the parent's.
    bool AbsentIsZeroWhenMerged = false;
};

const IntegerKey kIntegerKeys[] = {
    {"COLOR", [](TsGeneralData& d) -> int& { return d.Color; }, clWhite},
    {"GLOW", [](TsGeneralData& d) -> int& { return d.GlowCount; }, 0, true},
    {"GLOWMARGIN", [](TsGeneralData& d) -> int& { return d.GlowMargin; }, 0, true},
    {"FONTCOLOR", [](TsGeneralData& d) -> int& { return d.FontColor[0]; }, 0},
    {"TCLEFT", [](TsGeneralData& d) -> int& { return d.FontColor[1]; }, -1},
    {"TCTOP", [](TsGeneralData& d) -> int& { return d.FontColor[2]; }, -1},
    {"TCRIGHT", [](TsGeneralData& d) -> int& { return d.FontColor[3]; }, -1},
    {"TCBOTTOM", [](TsGeneralData& d) -> int& { return d.FontColor[4]; }, -1},
    {"HOTFONTCOLOR", [](TsGeneralData& d) -> int& { return d.HotFontColor[0]; }, 0},
    {"HOTTCLEFT", [](TsGeneralData& d) -> int& { return d.HotFontColor[1]; }, -1},
    {"HOTTCTOP", [](TsGeneralData& d) -> int& { return d.HotFontColor[2]; }, -1},
    {"HOTTCRIGHT", [](TsGeneralData& d) -> int& { return d.HotFontColor[3]; }, -1},
    {"HOTTCBOTTOM", [](TsGeneralData& d) -> int& { return d.HotFontColor[4]; }, -1},
    {"TRANSPARENCY", [](TsGeneralData& d) -> int& { return d.Transparency; }, 0},
    {"GRADIENTPERCENT", [](TsGeneralData& d) -> int& { return d.GradientPercent; }, 0},
    {"IMAGEPERCENT", [](TsGeneralData& d) -> int& { return d.ImagePercent; }, 0},
    {"FADINGITERATIONS", [](TsGeneralData& d) -> int& { return d.FadingIterations; }, 5},
    {"HOTCOLOR", [](TsGeneralData& d) -> int& { return d.HotColor; }, clWhite},
    {"HOTTRANSPARENCY", [](TsGeneralData& d) -> int& { return d.HotTransparency; }, 0},
    {"HOTGRADIENTPERCENT", [](TsGeneralData& d) -> int& { return d.HotGradientPercent; }, 0},
    {"HOTIMAGEPERCENT", [](TsGeneralData& d) -> int& { return d.HotImagePercent; }, 0},
};

struct FlagKey {
    std::string_view Key;
    bool TsGeneralData::*Field;
};

const FlagKey kFlagKeys[] = {
    {"RESERVEDBOOLEAN", &TsGeneralData::ReservedBoolean},
    {"GIVEOWNFONT", &TsGeneralData::GiveOwnFont},
    {"SHOWFOCUS", &TsGeneralData::ShowFocus},
    {"FADINGENABLED", &TsGeneralData::FadingEnabled},
};

struct TextKey {
    std::string_view Key;
    std::string TsGeneralData::*Field;
    std::string_view Default;
};

const TextKey kTextKeys[] = {
    {"GRADIENTDATA", &TsGeneralData::GradientData, " "},
    {"HOTGRADIENTDATA", &TsGeneralData::HotGradientData, ""},
};

bool IsTrue(std::string_view text)
{
    return UpperCaseAscii(text) == "TRUE";
}

void ParseGradients(TsGeneralData& d)
{
    d.GradientArray = ParseGradient(d.GradientData);
    d.HotGradientArray = ParseGradient(d.HotGradientData);
}

// The next section of an inheritance chain, or none where the chain ends.
std::optional<std::string> ParentOf(const TMemIniFile& ini, std::string_view section)
{
    std::string parent = ini.ReadString(section, kParentKey, kAbsentText);
    if (parent.empty() || parent == kAbsentText || parent == section)
        return std::nullopt;
    return parent;
}

TsGeneralData ReadSectionRecord(const TMemIniFile& ini, const std::string& section,
    TsSystemColorFunc systemColor, const TsSkinOptionsLimits& limits)
{
    TsGeneralData d;
    d.SectionName = section;
    d.ParentClass = ini.ReadString(section, kParentKey, "");
    for (const IntegerKey& k : kIntegerKeys)
        k.Field(d) = ReadInheritedInteger(ini, section, k.Key, k.Default, limits);
    if (d.Color < 0)
        d.Color = systemColor(d.Color & 0xFF);
    for (const FlagKey& k : kFlagKeys)
        d.*k.Field = IsTrue(ReadInheritedString(ini, section, k.Key, "FALSE", limits));
    for (const TextKey& k : kTextKeys)
        d.*k.Field = ReadInheritedString(ini, section, k.Key, k.Default, limits);
    ParseGradients(d);
    return d;
}

TsGeneralData MergedRecord(const TacIniSections& common, const std::string& section, TsGeneralData* parent)
{
    TsGeneralData d;
    d.SectionName = section;
    d.ParentClass = UpperCaseAscii(ReadSectionListString(common, section, kParentKey, "-1"));
    for (const IntegerKey& k : kIntegerKeys) {
        int v = ReadSectionListInteger(common, section, k.Key, k.AbsentIsZeroWhenMerged ? 0 : kAbsentInteger);
        if (v == kAbsentInteger)
            v = parent ? k.Field(*parent) : k.Default;
        k.Field(d) = v;
    }
    for (const FlagKey& k : kFlagKeys) {
        std::string v = ReadSectionListString(common, section, k.Key, kAbsentText);
        d.*k.Field = v == kAbsentText ? parent && parent->*k.Field : IsTrue(v);
    }
    for (const TextKey& k : kTextKeys) {
        std::string v = ReadSectionListString(common, section, k.Key, kAbsentText);
        d.*k.Field = v != kAbsentText ? v : parent ? parent->*k.Field : std::string(k.Default);
    }
    ParseGradients(d);
    return d;
}

} // namespace

std::string ReadInheritedString(const TMemIniFile& ini, std::string_view section,
    std::string_view key, std::string_view def, const TsSkinOptionsLimits& limits)
{
    std::string current(section);
    for (int depth = 0; depth <= limits.MaxParentDepth; ++depth) {
        std::string v = ini.ReadString(current, key, kAbsentText);
        if (v != kAbsentText)
            return v;
        std::optional<std::string> parent = ParentOf(ini, current);
        if (!parent)
            break;
        current = std::move(*parent);
    }
    return std::string(def);
}

int ReadInheritedInteger(const TMemIniFile& ini, std::string_view section, std::string_view key,
    int def, const TsSkinOptionsLimits& limits)
{
    std::string current(section);
    for (int depth = 0; depth <= limits.MaxParentDepth; ++depth) {
        int v = ini.ReadInteger(current, key, kAbsentInteger);
        if (v != kAbsentInteger)
            return v;
        std::optional<std::string> parent = ParentOf(ini, current);
        if (!parent)
            break;
        current = std::move(*parent);
    }
    return def;
}

void ReadSkinGlobals(const TMemIniFile& ini, TsSkinData& data)
{
    data.Version = ini.ReadFloat(kGlobalSection, "VERSION", 0);
    data.Author = ini.ReadString(kGlobalSection, "AUTHOR", "");
    data.Description = ini.ReadString(kGlobalSection, "DESCRIPTION", "");
    for (const GlobalKey& k : kGlobalKeys) {
        int value;
        if (k.Kind == GlobalKind::Strict)
            value = StrToInt(ini.ReadString(kGlobalSection, k.Key, k.Default));
        else
            value = ini.ReadInteger(kGlobalSection, k.Key, StrToInt(k.Default));
        if (k.Colour)
            data.*k.Colour = value;
        else
            data.*k.Field16 = static_cast<int16_t>(value);
        if (k.Field16 == &TsSkinData::MaxHeight && data.MaxHeight == 0)
            data.MaxHeight = data.TitleHeight;
    }
}

void ReadSectionTable(const TMemIniFile& ini, TsGeneralDataArray& table, TsSystemColorFunc systemColor,
    const TsSkinOptionsLimits& limits)
{
    table.clear();
    TStringList names;
    ini.ReadSections(names);
    TsGeneralDataArray records;
    records.reserve(static_cast<size_t>(names.Count()));
    for (int i = 0; i < names.Count(); ++i)
        records.push_back(ReadSectionRecord(ini, names.Strings(i), systemColor, limits));
    table = std::move(records);
}

void MergeCommonSections(const TStrings& commonSections, TsGeneralDataArray& table)
{
    if (commonSections.Count() == 0)
        return;
    const TacIniSections common = IniTextToSectionLists(commonSections);
    TsGeneralDataArray merged = table;
    for (const TacIniSection& section : common) {
        auto named = [&](auto&& test) {
            for (size_t i = 0; i < merged.size(); ++i)
                if (test(merged[i]))
                    return static_cast<int>(i);
            return -1;
        };
        if (named([&](const TsGeneralData& d) { return d.SectionName == section.Name; }) >= 0)
            continue;
        const std::string parentName = UpperCaseAscii(ReadSectionListString(common, section.Name, kParentKey, "-1"));
        const int parent = named([&](const TsGeneralData& d) { return UpperCaseAscii(d.SectionName) == parentName; });
        merged.push_back(MergedRecord(common, section.Name, parent >= 0 ? &merged[static_cast<size_t>(parent)] : nullptr));
    }
    table = std::move(merged);
}

TsFontColors StoredFontColors(std::string_view text)
{
    static const TSysCharSet blank = CharSetOf(" ");
    const std::vector<std::string_view> words = SplitWords(text, blank);
    if (words.size() != 5)
        return {0, -1, -1, -1, -1};
    TsFontColors colors;
    for (size_t i = 0; i < 5; ++i)
        colors[i] = StrToInt(words[i]);
    return colors;
}
