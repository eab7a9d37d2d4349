// Fuzz target for the skin options reader: the input is an options text read into the global
// values and the section table, then merged with itself as the manager's common sections. The
// last byte chooses what runs: bit 0 the global values, bit 1 the merge. Either the reading
// succeeds with one record per section, each record equal to what the plain inherited lookups
// give for its section (the table is built from an index of the text instead), or it stops with
// the project's exception.
#include "skin/core/sSkinOptions.h"
#include "vcl/IniFiles.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace {

TColor SystemColor(int index)
{
    return index;
}

struct IntegerField {
    const char* key;
    int def;
    int (*get)(const TsGeneralData&);
};

constexpr IntegerField IntegerFields[] = {
    {"GLOW", 0, [](const TsGeneralData& d) { return d.GlowCount; }},
    {"GLOWMARGIN", 0, [](const TsGeneralData& d) { return d.GlowMargin; }},
    {"FONTCOLOR", 0, [](const TsGeneralData& d) { return d.FontColor[0]; }},
    {"TCLEFT", -1, [](const TsGeneralData& d) { return d.FontColor[1]; }},
    {"TCTOP", -1, [](const TsGeneralData& d) { return d.FontColor[2]; }},
    {"TCRIGHT", -1, [](const TsGeneralData& d) { return d.FontColor[3]; }},
    {"TCBOTTOM", -1, [](const TsGeneralData& d) { return d.FontColor[4]; }},
    {"HOTFONTCOLOR", 0, [](const TsGeneralData& d) { return d.HotFontColor[0]; }},
    {"HOTTCLEFT", -1, [](const TsGeneralData& d) { return d.HotFontColor[1]; }},
    {"HOTTCTOP", -1, [](const TsGeneralData& d) { return d.HotFontColor[2]; }},
    {"HOTTCRIGHT", -1, [](const TsGeneralData& d) { return d.HotFontColor[3]; }},
    {"HOTTCBOTTOM", -1, [](const TsGeneralData& d) { return d.HotFontColor[4]; }},
    {"GRADIENTPERCENT", 0, [](const TsGeneralData& d) { return d.GradientPercent; }},
    {"IMAGEPERCENT", 0, [](const TsGeneralData& d) { return d.ImagePercent; }},
    {"FADINGITERATIONS", 5, [](const TsGeneralData& d) { return d.FadingIterations; }},
    {"HOTCOLOR", clWhite, [](const TsGeneralData& d) { return d.HotColor; }},
    {"HOTGRADIENTPERCENT", 0, [](const TsGeneralData& d) { return d.HotGradientPercent; }},
    {"HOTIMAGEPERCENT", 0, [](const TsGeneralData& d) { return d.HotImagePercent; }},
};

bool IsTrue(const std::string& text)
{
    return UpperCaseAscii(text) == "TRUE";
}

// The record as the plain lookups read it, one key at a time along the parent chain.
bool MatchesPlainLookups(const TMemIniFile& ini, const TsGeneralData& d, const TsSkinOptionsLimits& limits)
{
    const std::string& name = d.SectionName;
    const auto integer = [&](const char* key, int def) { return ReadInheritedInteger(ini, name, key, def, limits); };
    const auto text = [&](const char* key, const char* def) { return ReadInheritedString(ini, name, key, def, limits); };
    for (const IntegerField& f : IntegerFields)
        if (f.get(d) != integer(f.key, f.def))
            return false;
    int color = integer("COLOR", clWhite);
    if (color < 0)
        color = SystemColor(color & 0xFF);
    return d.Color == color && d.Transparency == std::clamp(integer("TRANSPARENCY", 0), 0, 100) &&
           d.HotTransparency == std::clamp(integer("HOTTRANSPARENCY", 0), 0, 100) &&
           d.GradientData == text("GRADIENTDATA", " ") && d.HotGradientData == text("HOTGRADIENTDATA", "") &&
           d.ShowFocus == IsTrue(text("SHOWFOCUS", "FALSE")) && d.FadingEnabled == IsTrue(text("FADINGENABLED", "FALSE")) &&
           d.GiveOwnFont == IsTrue(text("GIVEOWNFONT", "FALSE")) &&
           d.ParentClass == ini.ReadString(name, "PARENTCLASS", "");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t mode = data[size - 1];
    const std::string_view text(reinterpret_cast<const char*>(data), size - 1);

    TMemIniFile::Limits iniLimits;
    iniLimits.MaxTextBytes = 64u << 10;
    iniLimits.MaxLineBytes = 4u << 10;
    iniLimits.MaxSections = 256;
    iniLimits.MaxEntries = 4096;
    TsSkinOptionsLimits limits;
    limits.MaxParentDepth = 8;

    TMemIniFile ini(L"fuzz", iniLimits);
    TsGeneralDataArray table;
    try {
        ini.SetText(text);
        if (mode & 1) {
            TsSkinData globals;
            ReadSkinGlobals(ini, globals);
        }
        ReadSectionTable(ini, table, SystemColor, limits);
    } catch (const Exception&) {
        return 0;
    }
    TStringList sections;
    ini.ReadSections(sections);
    if (table.size() != static_cast<size_t>(sections.Count()))
        std::abort();
    for (const TsGeneralData& d : table)
        if (!MatchesPlainLookups(ini, d, limits))
            std::abort();

    if (mode & 2) {
        TStringList common;
        common.SetText(text);
        const size_t before = table.size();
        try {
            MergeCommonSections(common, table);
        } catch (const Exception&) {
            return 0;
        }
        if (table.size() < before || table.size() > before + static_cast<size_t>(common.Count()))
            std::abort();
    }
    for (const TsGeneralData& d : table)
        for (const TsGradStop& stop : d.GradientArray)
            if (stop.Percent > 100 || stop.Color1 < 0 || stop.Color2 < 0)
                std::abort();
    return 0;
}
