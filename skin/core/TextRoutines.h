#pragma once
// Text routines the skin engine shares: characters and words split by a delimiter set,
// hexadecimal numbers, INI text split into section lists, directory paths and the folder search
// under the engine's names. Option text is bytes (std::string); paths are wide.

#include "vcl/Strings.h"
#include "vcl/SysUtils.h"

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A set of byte characters.
using TSysCharSet = std::bitset<256>;

TSysCharSet CharSetOf(std::string_view chars);

inline bool CharInSet(char c, const TSysCharSet& set)
{
    return set.test(static_cast<uint8_t>(c));
}

// The text without any occurrence of c.
std::string RemoveChars(std::string_view text, char c);
// Every occurrence of oldText, left to right, replaced by newText; the replacement is not
// searched again. An empty oldText leaves the text as it is.
std::string ReplaceAllText(std::string_view text, std::string_view oldText, std::string_view newText);

// Upper-case or lower-case hexadecimal digits with an optional trailing "H" ("ffH" is 255).
// Any other character makes the whole result 0, as does an empty text. Digits beyond sixteen
// wrap modulo 2^64 rather than being cut off.
uint64_t ParseHex(std::string_view text) noexcept;

// A word is a maximal run of characters outside the delimiter set.
int CountWords(std::string_view text, const TSysCharSet& delimiters) noexcept;
// 1-based position of the first character of word n (1-based); 0 when n is 0 or there are
// fewer than n words.
int NthWordPos(int n, std::string_view text, const TSysCharSet& delimiters) noexcept;
// The same two routines again, the set taken by value and by reference, as the engine's callers
// name them; the results are those of CountWords and NthWordPos.
int CountWordsBySet(std::string_view text, TSysCharSet delimiters) noexcept;
int NthWordPosRef(int n, std::string_view text, const TSysCharSet& delimiters) noexcept;
// Word n, or an empty text when there is none.
std::string NthWord(int n, std::string_view text, const TSysCharSet& delimiters);
// All words in order, in one pass; views into text.
std::vector<std::string_view> SplitWords(std::string_view text, const TSysCharSet& delimiters);

// INI text held as lists of lines per section, for the skin manager's common sections.
struct TacIniSection {
    std::string Name;
    std::vector<std::string> Lines;
};
using TacIniSections = std::vector<TacIniSection>;

// Lines are taken as they are: an empty line or one starting with ";" is skipped; a line that
// starts with "[" and ends with "]" opens a section named by the text between (not trimmed);
// any other line belongs to the open section and is dropped before the first one.
TacIniSections IniTextToSectionLists(const TStrings& lines);
// The text after "Key=" in the first line of the section whose name part is key; def when the
// section or the key is missing. Section and key names compare without regard to ASCII case.
std::string ReadSectionListString(const TacIniSections& sections, std::string_view section,
    std::string_view key, std::string_view def);
// The same value as a lenient integer ("0x" reads as "$"); def when missing or unparsable.
int ReadSectionListInteger(const TacIniSections& sections, std::string_view section,
    std::string_view key, int def);

// A folder path ready to have a file name appended: "\" is appended unless the path is empty
// or ends in "\"; a final "/" becomes "\"; a single character is a drive letter and gets ":\".
std::wstring NormalizeDirPath(std::wstring_view path);

// The runtime's folder search (FindFirst, FindNext, FindClose in SysUtils.h), as is.
int FindFirstEntry(const std::wstring& path, int attr, TSearchRec& rec);
int FindNextEntry(TSearchRec& rec);
void FindCloseEntry(TSearchRec& rec) noexcept;
