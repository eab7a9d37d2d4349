#include "vcl/IniFiles.h"

#include "vcl/Streams.h"
#include "vcl/SysUtils.h"

namespace {

constexpr const char* kTooLarge = "Options text is too large";
constexpr const char* kLineTooLong = "Options text has a line that is too long";
constexpr const char* kTooManySections = "Options text has too many sections";
constexpr const char* kTooManyEntries = "Options text has too many entries";

} // namespace

// Builds new content line by line against the limits; the object takes it only when the whole
// input has been read.
class TMemIniFile::Parser {
public:
    explicit Parser(const Limits& limits) : FLimits(limits) {}

    void CountBytes(size_t n)
    {
        FBytes += n;
        if (FBytes > FLimits.MaxTextBytes)
            throw EIniFileException(kTooLarge, ks::IniReason::TooLarge);
    }

    void AddLine(std::string_view raw)
    {
        if (raw.size() > FLimits.MaxLineBytes)
            throw EIniFileException(kLineTooLong, ks::IniReason::LineTooLong);
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';')
            return;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            OpenSection(Trim(std::string_view(line).substr(1, line.size() - 2)));
            return;
        }
        if (FContent.Sections.empty())
            return;
        size_t eq = line.find('=');
        Entry entry;
        if (eq != std::string::npos) {
            entry.Key = Trim(std::string_view(line).substr(0, eq));
            entry.Value = Trim(std::string_view(line).substr(eq + 1));
        }
        AddEntry(std::move(entry));
    }

    Content Take() { return std::move(FContent); }

private:
    void OpenSection(std::string name)
    {
        if (FContent.Sections.size() >= FLimits.MaxSections)
            throw EIniFileException(kTooManySections, ks::IniReason::TooManySections);
        FContent.FirstSection.try_emplace(UpperCaseAscii(name), FContent.Sections.size());
        FContent.Sections.push_back(Section{std::move(name), {}, {}});
    }

    void AddEntry(Entry entry)
    {
        if (FContent.Entries >= FLimits.MaxEntries)
            throw EIniFileException(kTooManyEntries, ks::IniReason::TooManyEntries);
        Section& section = FContent.Sections.back();
        section.FirstEntry.try_emplace(UpperCaseAscii(entry.Key), section.Entries.size());
        section.Entries.push_back(std::move(entry));
        ++FContent.Entries;
    }

    const Limits& FLimits;
    Content FContent;
    size_t FBytes = 0;
};

TMemIniFile::TMemIniFile(std::wstring label, Limits limits) : FLabel(std::move(label)), FLimits(limits)
{
}

void TMemIniFile::SetStrings(const TStrings& lines)
{
    Parser parser(FLimits);
    for (int i = 0, n = lines.Count(); i < n; ++i) {
        std::string line = lines.Strings(i);
        parser.CountBytes(line.size() + 2);
        parser.AddLine(line);
    }
    FContent = parser.Take();
}

void TMemIniFile::SetText(std::string_view text)
{
    Parser parser(FLimits);
    parser.CountBytes(text.size());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        parser.AddLine(text.substr(start, end - start));
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    FContent = parser.Take();
}

void TMemIniFile::LoadFromFile(const std::wstring& name)
{
    TFileStream file(name, fmOpenRead | fmShareDenyWrite);
    // The size is checked before anything is read, so a huge file costs no memory.
    uint64_t size = file.Remaining();
    if (size > FLimits.MaxTextBytes)
        throw EIniFileException(kTooLarge, ks::IniReason::TooLarge);
    std::string text(static_cast<size_t>(size), '\0');
    file.ReadBuffer(text.data(), text.size());
    SetText(text);
}

auto TMemIniFile::FindSection(std::string_view name) const -> const Section*
{
    auto it = FContent.FirstSection.find(UpperCaseAscii(name));
    return it == FContent.FirstSection.end() ? nullptr : &FContent.Sections[it->second];
}

auto TMemIniFile::FindEntry(std::string_view section, std::string_view key) const -> const Entry*
{
    const Section* s = FindSection(section);
    if (!s)
        return nullptr;
    auto it = s->FirstEntry.find(UpperCaseAscii(key));
    return it == s->FirstEntry.end() ? nullptr : &s->Entries[it->second];
}

void TMemIniFile::ReadSections(TStrings& names) const
{
    names.Clear();
    for (const auto& s : FContent.Sections)
        names.Add(s.Name);
}

void TMemIniFile::ReadSection(std::string_view section, TStrings& keys) const
{
    keys.Clear();
    if (const Section* s = FindSection(section)) {
        for (const auto& e : s->Entries)
            keys.Add(e.Key);
    }
}

void TMemIniFile::ReadSectionValues(std::string_view section, TStrings& lines) const
{
    lines.Clear();
    if (const Section* s = FindSection(section)) {
        for (const auto& e : s->Entries)
            lines.Add(e.Key + "=" + e.Value);
    }
}

bool TMemIniFile::SectionExists(std::string_view section) const
{
    return FindSection(section) != nullptr;
}

bool TMemIniFile::ValueExists(std::string_view section, std::string_view key) const
{
    return FindEntry(section, key) != nullptr;
}

std::string TMemIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
    const Entry* e = FindEntry(section, key);
    return std::string(e ? std::string_view(e->Value) : def);
}

int TMemIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const
{
    const Entry* e = FindEntry(section, key);
    return e ? IniInt(e->Value, def) : def;
}

double TMemIniFile::ReadFloat(std::string_view section, std::string_view key, double def) const
{
    const Entry* e = FindEntry(section, key);
    double value = def;
    if (e && !TryStrToFloatDot(e->Value, value))
        value = def;
    return value;
}
