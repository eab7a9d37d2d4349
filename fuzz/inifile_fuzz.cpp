// Fuzz target for TMemIniFile. The last byte picks the input path (text or string list); a
// text that parses must read back the same after being written out again.
#include "vcl/IniFiles.h"
#include "vcl/Strings.h"
#include "vcl/SysUtils.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace {

ks::IniLimits FuzzLimits()
{
    ks::IniLimits limits;
    limits.MaxTextBytes = 1 << 16;
    limits.MaxLineBytes = 512;
    limits.MaxSections = 64;
    limits.MaxEntries = 256;
    return limits;
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Everything a reader can observe, written back as text. A repeated section is written empty:
// lookups reach only the first of its name. Each written line is at most its trimmed input line,
// and lines are joined by a bare LF without a final one, so the rewrite never outgrows the input,
// whichever line ends the input used.
std::string Rewrite(const TMemIniFile& ini)
{
    TStringList sections;
    ini.ReadSections(sections);
    std::string text;
    const auto addLine = [&text](const std::string& line) {
        if (!text.empty())
            text += '\n';
        text += line;
    };
    std::set<std::string> written;
    for (int i = 0; i < sections.Count(); ++i) {
        addLine("[" + sections.Strings(i) + "]");
        if (!written.insert(UpperCaseAscii(sections.Strings(i))).second)
            continue;
        TStringList values;
        ini.ReadSectionValues(sections.Strings(i), values);
        for (int k = 0; k < values.Count(); ++k)
            addLine(values.Strings(k));
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool asList = data[size - 1] & 1;
    std::string_view text(reinterpret_cast<const char*>(data), size - 1);
    const ks::IniLimits limits = FuzzLimits();

    TMemIniFile ini(L"fuzz.tmp", limits);
    try {
        if (asList) {
            TStringList lines;
            lines.SetText(text);
            ini.SetStrings(lines);
        } else {
            ini.SetText(text);
        }
    } catch (const Exception&) {
        return 0;
    }

    TStringList sections;
    ini.ReadSections(sections);
    Check(static_cast<size_t>(sections.Count()) <= limits.MaxSections);

    std::string first = Rewrite(ini);
    TMemIniFile again(L"again.tmp", limits);
    again.SetText(first); // must not throw: the rewrite is within every limit the input met
    Check(Rewrite(again) == first);

    for (int i = 0; i < sections.Count(); ++i) {
        TStringList keys;
        ini.ReadSection(sections.Strings(i), keys);
        for (int k = 0; k < keys.Count(); ++k) {
            Check(ini.ValueExists(sections.Strings(i), keys.Strings(k)));
            ini.ReadInteger(sections.Strings(i), keys.Strings(k), 0);
            ini.ReadFloat(sections.Strings(i), keys.Strings(k), 0);
        }
    }
    return 0;
}
