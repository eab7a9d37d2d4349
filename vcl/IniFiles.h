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

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ks {

enum class IniReason { None, TooLarge, LineTooLong, TooManySections, TooManyEntries };

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

private:
    struct Entry {
        std::string Key;
        std::string Value;
    };
    struct Section {
        std::string Name;
        std::vector<Entry> Entries;
        // Upper-cased key -> index of its first entry.
        std::unordered_map<std::string, size_t> FirstEntry;
    };
    struct Content {
        std::vector<Section> Sections;
        // Upper-cased name -> index of the first section of that name.
        std::unordered_map<std::string, size_t> FirstSection;
        size_t Entries = 0;
    };
    class Parser;

    const Section* FindSection(std::string_view name) const;
    const Entry* FindEntry(std::string_view section, std::string_view key) const;

    std::wstring FLabel;
    Limits FLimits;
    Content FContent;
};
