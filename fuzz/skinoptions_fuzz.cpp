// Fuzz target for the skin options reader: the input is an options text read into the global
// values and the section table, then merged with itself as the manager's common sections. The
// last byte chooses what runs: bit 0 the global values, bit 1 the merge. Either the reading
// succeeds with one record per section, or it stops with the project's exception.
#include "skin/core/sSkinOptions.h"
#include "vcl/IniFiles.h"
#include "vcl/SysUtils.h"

#include <cstdlib>
#include <string_view>

namespace {

TColor SystemColor(int index)
{
    return index;
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
