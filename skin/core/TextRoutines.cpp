#include "skin/core/TextRoutines.h"

#include "vcl/SysUtils.h"

TSysCharSet CharSetOf(std::string_view chars)
{
    TSysCharSet set;
    for (char c : chars)
        set.set(static_cast<uint8_t>(c));
    return set;
}

std::string RemoveChars(std::string_view text, char c)
{
    std::string out;
    out.reserve(text.size());
    for (char ch : text)
        if (ch != c)
            out += ch;
    return out;
}

std::string ReplaceAllText(std::string_view text, std::string_view oldText, std::string_view newText)
{
    if (oldText.empty())
        return std::string(text);
    std::string out;
    size_t from = 0;
    for (size_t at = text.find(oldText); at != std::string_view::npos; at = text.find(oldText, from)) {
        out.append(text.substr(from, at - from));
        out.append(newText);
        from = at + oldText.size();
    }
    out.append(text.substr(from));
    return out;
}

uint64_t ParseHex(std::string_view text) noexcept
{
    if (!text.empty() && (text.back() == 'H' || text.back() == 'h'))
        text.remove_suffix(1);
    uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return 0;
        value = value * 16 + static_cast<uint64_t>(digit);
    }
    return value;
}

namespace {

// Start (0-based) and length of word n, or npos when there is none.
std::pair<size_t, size_t> FindWord(int n, std::string_view text, const TSysCharSet& delimiters) noexcept
{
    int count = 0;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && CharInSet(text[i], delimiters))
            ++i;
        if (i == text.size())
            break;
        size_t start = i;
        while (i < text.size() && !CharInSet(text[i], delimiters))
            ++i;
        if (++count == n)
            return {start, i - start};
    }
    return {std::string_view::npos, static_cast<size_t>(count)};
}

} // namespace

int CountWords(std::string_view text, const TSysCharSet& delimiters) noexcept
{
    // Word 0 never matches, so the search runs to the end and reports the count it reached.
    return static_cast<int>(FindWord(0, text, delimiters).second);
}

int NthWordPos(int n, std::string_view text, const TSysCharSet& delimiters) noexcept
{
    if (n <= 0)
        return 0;
    auto [start, length] = FindWord(n, text, delimiters);
    return start == std::string_view::npos ? 0 : static_cast<int>(start) + 1;
}

int CountWordsBySet(std::string_view text, TSysCharSet delimiters) noexcept
{
    return CountWords(text, delimiters);
}

int NthWordPosRef(int n, std::string_view text, const TSysCharSet& delimiters) noexcept
{
    return NthWordPos(n, text, delimiters);
}

std::string NthWord(int n, std::string_view text, const TSysCharSet& delimiters)
{
    if (n <= 0)
        return {};
    auto [start, length] = FindWord(n, text, delimiters);
    return start == std::string_view::npos ? std::string() : std::string(text.substr(start, length));
}

std::vector<std::string_view> SplitWords(std::string_view text, const TSysCharSet& delimiters)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < text.size()) {
        if (CharInSet(text[i], delimiters)) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < text.size() && !CharInSet(text[i], delimiters))
            ++i;
        words.push_back(text.substr(start, i - start));
    }
    return words;
}

TacIniSections IniTextToSectionLists(const TStrings& lines)
{
    TacIniSections sections;
    for (int i = 0; i < lines.Count(); ++i) {
        std::string line = lines.Strings(i);
        if (line.empty() || line[0] == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections.push_back({line.substr(1, line.size() - 2), {}});
            continue;
        }
        if (!sections.empty())
            sections.back().Lines.push_back(std::move(line));
    }
    return sections;
}

std::string ReadSectionListString(const TacIniSections& sections, std::string_view section,
    std::string_view key, std::string_view def)
{
    for (const TacIniSection& s : sections) {
        if (!SameTextAscii(s.Name, section))
            continue;
        for (const std::string& line : s.Lines) {
            size_t eq = line.find('=');
            if (eq != std::string::npos && SameTextAscii(std::string_view(line).substr(0, eq), key))
                return line.substr(eq + 1);
        }
        break;
    }
    return std::string(def);
}

int ReadSectionListInteger(const TacIniSections& sections, std::string_view section,
    std::string_view key, int def)
{
    return IniInt(ReadSectionListString(sections, section, key, ""), def);
}

std::wstring NormalizeDirPath(std::wstring_view path)
{
    std::wstring out(path);
    if (out.empty() || out.back() == L'\\')
        return out;
    if (out.back() == L'/')
        out.back() = L'\\';
    else if (out.size() == 1)
        out += L":\\";
    else
        out += L'\\';
    return out;
}

int FindFirstEntry(const std::wstring& path, int attr, TSearchRec& rec)
{
    return FindFirst(path, attr, rec);
}

int FindNextEntry(TSearchRec& rec)
{
    return FindNext(rec);
}

void FindCloseEntry(TSearchRec& rec) noexcept
{
    FindClose(rec);
}
