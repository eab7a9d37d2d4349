#pragma once
// TMemIniFile: an INI text held in memory and read by section and key. It is the reader of
// every options text ("Options.dat", the manager's common sections), so it treats its input
// as untrusted bytes.
//
// The dialect:
// - Lines end at CR LF, LF or CR and are trimmed of blanks and control characters at both ends.
//   Empty lines and lines starting with ";" are skipped, as are lines before the first section.
// - A line starting with "[" and ending with "]" opens a section named by the trimmed text
//   between. A header without its "]" is an ordinary line of the current section.
// - Any other line is an entry: the key is the trimmed text before the first "=", the value the
//   trimmed text after it. A line without "=" is an entry with an empty key and an empty value.
// - Section and key names compare with ASCII case folding. Where a section or a key occurs more
//   than once, the first one wins every lookup; ReadSections still lists each header in text
//   order, because the skin readers number sections by their position in the text.
//
// Limits (defaults in Limits below). Options texts written for the engine hold a few hundred
// sections of a few dozen short lines, about 10 KB; the defaults leave two orders of magnitude
// of room while keeping the parsed form within a small multiple of MaxTextBytes:
// - MaxTextBytes, 16 MiB: the whole text (or a file before it is read).
// - MaxLineBytes, 64 KiB: one line, comments and skipped lines included.
// - MaxSections, 10000, and MaxEntries, 200000 (all sections together).
// Input beyond a limit is refused with EIniFileException and an IniReason, and the object keeps
// what it held before. The object never writes to disk: the name it carries is a label only.

#include "vcl/Classes.h"
#include "vcl/Strings.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace ks {

enum class IniReason { None, TooLarge, LineTooLong, TooManySections, TooManyEntries };

// A hash of the bytes with ASCII letters upper-cased, so names that differ only in letter case
// hash alike. TMemIniFile orders its lookups by it. It takes the name eight bytes at a time, so
// that a name costs one multiply per word rather than a chain of one per byte.
namespace detail {

constexpr uint64_t IniHashMultiplier = 0x9E3779B97F4A7C15ull;

// Up to eight bytes of s from pos, the first in the low byte, missing ones zero.
constexpr uint64_t IniHashWord(std::string_view s, size_t pos) noexcept
{
    const size_t n = s.size() - pos < 8 ? s.size() - pos : 8;
    uint64_t w = 0;
    if (std::is_constant_evaluated() || n < 8) {
        for (size_t k = 0; k < n; ++k)
            w |= uint64_t{static_cast<unsigned char>(s[pos + k])} << (8 * k);
    } else {
        // The first byte lands low only on a little-endian machine, as on every target.
        static_assert(std::endian::native == std::endian::little);
        std::memcpy(&w, s.data() + pos, 8);
    }
    return w;
}

// Upper-cases the ASCII letters among eight bytes at once; bytes of 0x80 and above stay as they
// are. Each byte's low seven bits are offset so that bit 7 tells whether they reach 'a' or pass
// 'z'; no sum carries into the next byte.
constexpr uint64_t IniFoldWord(uint64_t w) noexcept
{
    constexpr uint64_t Low7 = 0x7F7F7F7F7F7F7F7Full;
    constexpr uint64_t High = 0x8080808080808080ull;
    const uint64_t low = w & Low7;
    const uint64_t fromA = low + 0x1F1F1F1F1F1F1F1Full;   // 0x80 - 'a'
    const uint64_t pastZ = low + 0x0505050505050505ull;   // 0x80 - 'z' - 1
    const uint64_t lower = fromA & ~pastZ & ~w & High;
    return w ^ (lower >> 2);
}

} // namespace detail

constexpr uint64_t IniNameHash(std::string_view name) noexcept
{
    uint64_t h = name.size() * detail::IniHashMultiplier;
    for (size_t pos = 0; pos < name.size(); pos += 8) {
        h = (h ^ detail::IniFoldWord(detail::IniHashWord(name, pos))) * detail::IniHashMultiplier;
        h ^= h >> 32;
    }
    // The skin reader's key table is indexed by the top bits: spread every byte into them.
    h *= detail::IniHashMultiplier;
    return h ^ (h >> 29);
}

// A key with its hash worked out once, for readers that look the same keys up in many sections
// (the skin options reader keeps its key tables in these).
struct IniKey {
    constexpr IniKey(std::string_view name) noexcept : Name(name), Hash(IniNameHash(name)) {}
    constexpr IniKey(const char* name) noexcept : IniKey(std::string_view(name)) {}
    std::string_view Name;
    uint64_t Hash;
};

// One line of a section. The views live until the content is replaced.
struct IniEntry {
    std::string_view Key;
    std::string_view Value;
    // IniNameHash(Key), kept so that readers with key tables match entries without hashing.
    uint64_t KeyHash = 0;
};

struct IniLimits {
    size_t MaxTextBytes = 16u << 20;
    size_t MaxLineBytes = 64u << 10;
    size_t MaxSections = 10000;
    size_t MaxEntries = 200000;
};

} // namespace ks

class TMemIniFile : public TObject {
public:
    using Limits = ks::IniLimits;

    explicit TMemIniFile(std::wstring label = {}, Limits limits = {});
    const char* ClassName() const noexcept override { return "TMemIniFile"; }

    // The label given at construction ("1.tmp"); no file of that name is read or written.
    const std::wstring& FileName() const noexcept { return FLabel; }

    // Replace the content. Each list item is one line.
    void SetStrings(const TStrings& lines);
    void SetText(std::string_view text);
    // Raises EFOpenError when the file cannot be opened.
    void LoadFromFile(const std::wstring& name);

    // Section names in text order, repeated headers included.
    void ReadSections(TStrings& names) const;
    // Keys of the section in text order (empty keys and repeated keys included).
    void ReadSection(std::string_view section, TStrings& keys) const;
    // "key=value" lines of the section in text order.
    void ReadSectionValues(std::string_view section, TStrings& lines) const;

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Lenient: "0x"/"0X" reads as "$", an empty or unparsable value gives def.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    // "." as decimal separator whatever the locale; an unparsable value gives def.
    double ReadFloat(std::string_view section, std::string_view key, double def) const;

    // For readers that look up many keys of one section, by its position in ReadSections'
    // order. IndexOfSection gives the position of the first section of that name, -1 when there
    // is none; SectionAt the name at a position (empty when there is none); FindValue the value
    // of the first entry of key in the section at that position, none when it has no such key;
    // EntriesAt all its entries in text order. Views live until the content is replaced.
    int SectionCount() const noexcept { return static_cast<int>(FContent.Sections.size()); }
    std::string_view SectionAt(int sectionIndex) const noexcept;
    int IndexOfSection(std::string_view section) const;
    std::optional<std::string_view> FindValue(int sectionIndex, const ks::IniKey& key) const;
    std::span<const ks::IniEntry> EntriesAt(int sectionIndex) const;

private:
    // Names, keys and values are views into Content::Text, so a text of many short lines costs
    // a few allocations rather than several per line. Each carries the hash of its case-folded
    // bytes, by which the lookup orders below are sorted.
    using Entry = ks::IniEntry;
    struct Section {
        std::string_view Name;
        uint64_t Hash = 0;
        // Its entries are Content::Entries[FirstEntry, FirstEntry + EntryCount).
        size_t FirstEntry = 0;
        size_t EntryCount = 0;
    };
    struct Content {
        // Every byte the views point into. A vector, not a string, so that moving the content
        // never moves its bytes (a short string would).
        std::vector<char> Text;
        std::vector<Section> Sections;
        std::vector<Entry> Entries;
        // (name hash, position) of every section, sorted, so that a binary search finds the
        // first section of a name.
        std::vector<std::pair<uint64_t, size_t>> SectionOrder;
        // (key hash, position) of the entries of each large section, sorted within the
        // section's range, which is the same as its range of Entries; the search of a large
        // section uses it. Empty when no section is large.
        std::vector<std::pair<uint64_t, size_t>> KeyOrder;
    };
    class Parser;

    const Section* FindSection(std::string_view name) const;
    const Entry* FindEntry(int sectionIndex, const ks::IniKey& key) const;
    std::span<const Entry> EntriesOf(const Section& section) const;

    std::wstring FLabel;
    Limits FLimits;
    Content FContent;
};

namespace ks {

// Each (section, key, value) of the text in text order, as ReadSectionValues gives them; a line
// without "=" is a key with an empty value. The skin loader's readers walk the options this way.
// Read straight from the entries: going through the "key=value" lines cost three strings a
// value. A repeated header reads as the first section of its name, as ReadSectionValues has it.
template <class Visit>
void ForEachValue(const TMemIniFile& ini, Visit visit)
{
    std::string section, key, value;
    for (int s = 0; s < ini.SectionCount(); ++s) {
        section.assign(ini.SectionAt(s));
        for (const IniEntry& e : ini.EntriesAt(ini.IndexOfSection(section))) {
            key.assign(e.Key);
            value.assign(e.Value);
            visit(std::as_const(section), std::as_const(key), std::as_const(value));
        }
    }
}

} // namespace ks
