#include "vcl/IniFiles.h"

#include "vcl/Streams.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

constexpr const char* TooLargeText = "Options text is too large";
constexpr const char* LineTooLongText = "Options text has a line that is too long";
constexpr const char* TooManySectionsText = "Options text has too many sections";
constexpr const char* TooManyEntriesText = "Options text has too many entries";

// Sections of up to this many entries are searched in text order rather than in KeyOrder.
constexpr size_t ScanLimit = 32;

// Blanks and control characters, as Trim removes them, without making a copy.
std::string_view TrimView(std::string_view s)
{
    size_t begin = 0, end = s.size();
    while (begin < end && static_cast<unsigned char>(s[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ')
        --end;
    return s.substr(begin, end - begin);
}

// Names compare with ASCII case folding; the skin's own names are written in one case, so the
// plain comparison settles most of them.
bool SameName(std::string_view a, std::string_view b)
{
    return a == b || SameTextAscii(a, b);
}

using HashOrderIt = std::vector<std::pair<uint64_t, size_t>>::const_iterator;

// The first (hash, position) pair of a sorted range whose name matches, or last. Pairs sort by
// hash and then by position, so the first match is the first of equal names in the text.
template <class NameOf>
HashOrderIt FindByHash(HashOrderIt first, HashOrderIt last, const ks::IniKey& name, NameOf nameOf)
{
    auto it = std::lower_bound(first, last, std::pair<uint64_t, size_t>(name.Hash, 0));
    for (; it != last && it->first == name.Hash; ++it)
        if (SameName(nameOf(it->second), name.Name))
            return it;
    return last;
}

} // namespace

// Builds new content line by line against the limits; the object takes it only when the whole
// input has been read. Lines handed to AddLine must lie in Text(), which no longer grows once
// the first line is parsed.
class TMemIniFile::Parser {
public:
    explicit Parser(const Limits& limits) : FLimits(limits) {}

    void CountBytes(size_t n)
    {
        FBytes += n;
        if (FBytes > FLimits.MaxTextBytes)
            throw EIniFileException(TooLargeText, ks::IniReason::TooLarge);
    }

    void CheckLine(std::string_view raw) const
    {
        if (raw.size() > FLimits.MaxLineBytes)
            throw EIniFileException(LineTooLongText, ks::IniReason::LineTooLong);
    }

    std::vector<char>& Text() noexcept { return FContent.Text; }

    void AddLine(std::string_view raw)
    {
        CheckLine(raw);
        const std::string_view line = TrimView(raw);
        if (line.empty() || line[0] == ';')
            return;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            OpenSection(TrimView(line.substr(1, line.size() - 2)));
            return;
        }
        if (FContent.Sections.empty())
            return;
        Entry entry;
        const size_t eq = line.find('=');
        if (eq != std::string_view::npos) {
            entry.Key = TrimView(line.substr(0, eq));
            entry.Value = TrimView(line.substr(eq + 1));
        }
        entry.KeyHash = ks::IniNameHash(entry.Key);
        AddEntry(entry);
    }

    // The lookup orders are sorted last, over the final tables. Small sections are searched in
    // text order, so only the large ones need an order of their keys.
    Content Take()
    {
        Content& c = FContent;
        c.SectionOrder.reserve(c.Sections.size());
        for (size_t p = 0; p < c.Sections.size(); ++p)
            c.SectionOrder.emplace_back(c.Sections[p].Hash, p);
        std::sort(c.SectionOrder.begin(), c.SectionOrder.end());
        for (const Section& section : c.Sections) {
            if (section.EntryCount <= ScanLimit)
                continue;
            c.KeyOrder.resize(c.Entries.size());
            const auto first = c.KeyOrder.begin() + static_cast<ptrdiff_t>(section.FirstEntry);
            for (size_t p = section.FirstEntry; p < section.FirstEntry + section.EntryCount; ++p)
                c.KeyOrder[p] = {c.Entries[p].KeyHash, p};
            std::sort(first, first + static_cast<ptrdiff_t>(section.EntryCount));
        }
        return std::move(FContent);
    }

private:
    void OpenSection(std::string_view name)
    {
        if (FContent.Sections.size() >= FLimits.MaxSections)
            throw EIniFileException(TooManySectionsText, ks::IniReason::TooManySections);
        FContent.Sections.push_back(Section{name, ks::IniNameHash(name), FContent.Entries.size(), 0});
    }

    void AddEntry(const Entry& entry)
    {
        if (FContent.Entries.size() >= FLimits.MaxEntries)
            throw EIniFileException(TooManyEntriesText, ks::IniReason::TooManyEntries);
        FContent.Entries.push_back(entry);
        ++FContent.Sections.back().EntryCount;
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
    std::vector<char>& text = parser.Text();
    std::vector<size_t> lengths;
    lengths.reserve(static_cast<size_t>(lines.Count()));
    for (int i = 0, n = lines.Count(); i < n; ++i) {
        const std::string line = lines.Strings(i);
        parser.CountBytes(line.size() + 2);
        parser.CheckLine(line);
        text.insert(text.end(), line.begin(), line.end());
        lengths.push_back(line.size());
    }
    size_t start = 0;
    for (size_t length : lengths) {
        parser.AddLine(std::string_view(text.data() + start, length));
        start += length;
    }
    FContent = parser.Take();
}

void TMemIniFile::SetText(std::string_view input)
{
    Parser parser(FLimits);
    parser.CountBytes(input.size());
    std::vector<char>& buffer = parser.Text();
    buffer.assign(input.begin(), input.end());
    const std::string_view text(buffer.data(), buffer.size());
    // The next LF and the next CR at or after start. Each is sought with memchr, and again only
    // once start has passed it, so that a text of many lone CRs still costs a single pass.
    auto next = [&](char c, size_t from) { return std::min(text.find(c, from), text.size()); };
    size_t lf = next('\n', 0), cr = next('\r', 0);
    size_t start = 0;
    while (start < text.size()) {
        if (lf < start)
            lf = next('\n', start);
        if (cr < start)
            cr = next('\r', start);
        size_t end = std::min(lf, cr);
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
        throw EIniFileException(TooLargeText, ks::IniReason::TooLarge);
    std::string text(static_cast<size_t>(size), '\0');
    file.ReadBuffer(text.data(), text.size());
    SetText(text);
}

auto TMemIniFile::FindSection(std::string_view name) const -> const Section*
{
    const int index = IndexOfSection(name);
    return index < 0 ? nullptr : &FContent.Sections[static_cast<size_t>(index)];
}

auto TMemIniFile::FindEntry(int sectionIndex, const ks::IniKey& key) const -> const Entry*
{
    if (sectionIndex < 0 || static_cast<size_t>(sectionIndex) >= FContent.Sections.size())
        return nullptr;
    const Section& s = FContent.Sections[static_cast<size_t>(sectionIndex)];
    // The sections of real skins hold a few dozen keys at most, where walking them in text
    // order is quicker than a search; the sorted order keeps a huge section from costing time
    // in proportion to its size on every lookup.
    if (s.EntryCount <= ScanLimit) {
        for (const Entry& e : EntriesOf(s))
            if (e.KeyHash == key.Hash && SameName(e.Key, key.Name))
                return &e;
        return nullptr;
    }
    const auto first = FContent.KeyOrder.cbegin() + static_cast<ptrdiff_t>(s.FirstEntry);
    const auto last = first + static_cast<ptrdiff_t>(s.EntryCount);
    const auto it = FindByHash(first, last, key, [&](size_t p) { return FContent.Entries[p].Key; });
    return it == last ? nullptr : &FContent.Entries[it->second];
}

auto TMemIniFile::EntriesOf(const Section& section) const -> std::span<const Entry>
{
    return std::span<const Entry>(FContent.Entries).subspan(section.FirstEntry, section.EntryCount);
}

std::string_view TMemIniFile::SectionAt(int sectionIndex) const noexcept
{
    if (sectionIndex < 0 || static_cast<size_t>(sectionIndex) >= FContent.Sections.size())
        return {};
    return FContent.Sections[static_cast<size_t>(sectionIndex)].Name;
}

std::span<const ks::IniEntry> TMemIniFile::EntriesAt(int sectionIndex) const
{
    if (sectionIndex < 0 || static_cast<size_t>(sectionIndex) >= FContent.Sections.size())
        return {};
    return EntriesOf(FContent.Sections[static_cast<size_t>(sectionIndex)]);
}

int TMemIniFile::IndexOfSection(std::string_view section) const
{
    const auto& order = FContent.SectionOrder;
    const auto it = FindByHash(order.cbegin(), order.cend(), section, [&](size_t p) { return FContent.Sections[p].Name; });
    return it == order.cend() ? -1 : static_cast<int>(it->second);
}

std::optional<std::string_view> TMemIniFile::FindValue(int sectionIndex, const ks::IniKey& key) const
{
    const Entry* e = FindEntry(sectionIndex, key);
    return e ? std::optional<std::string_view>(e->Value) : std::nullopt;
}

void TMemIniFile::ReadSections(TStrings& names) const
{
    names.Clear();
    for (const Section& s : FContent.Sections)
        names.Add(s.Name);
}

void TMemIniFile::ReadSection(std::string_view section, TStrings& keys) const
{
    keys.Clear();
    if (const Section* s = FindSection(section)) {
        for (const Entry& e : EntriesOf(*s))
            keys.Add(e.Key);
    }
}

void TMemIniFile::ReadSectionValues(std::string_view section, TStrings& lines) const
{
    lines.Clear();
    if (const Section* s = FindSection(section)) {
        std::string line;
        for (const Entry& e : EntriesOf(*s)) {
            line.assign(e.Key).append(1, '=').append(e.Value);
            lines.Add(line);
        }
    }
}

bool TMemIniFile::SectionExists(std::string_view section) const
{
    return FindSection(section) != nullptr;
}

bool TMemIniFile::ValueExists(std::string_view section, std::string_view key) const
{
    return FindEntry(IndexOfSection(section), key) != nullptr;
}

std::string TMemIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const
{
    const Entry* e = FindEntry(IndexOfSection(section), key);
    return std::string(e ? e->Value : def);
}

int TMemIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const
{
    const Entry* e = FindEntry(IndexOfSection(section), key);
    return e ? IniInt(e->Value, def) : def;
}

double TMemIniFile::ReadFloat(std::string_view section, std::string_view key, double def) const
{
    const Entry* e = FindEntry(IndexOfSection(section), key);
    double value = def;
    if (e && !TryStrToFloatDot(e->Value, value))
        value = def;
    return value;
}
