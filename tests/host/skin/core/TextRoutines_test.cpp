#include "skin/core/TextRoutines.h"

#include "host/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

namespace {

TEST(TextRoutines, ParseHex)
{
    struct Case {
        const char* text;
        uint64_t expected;
    } cases[] = {
        {"ffH", 255}, {"1A2B", 6699}, {"1a2b", 6699}, {"12G", 0}, {"H", 0}, {"", 0}, {"FFh", 255},
        {"0", 0}, {"FFFFFFFFFFFFFFFF", UINT64_MAX},
        {"1FFFFFFFFFFFFFFFF", UINT64_MAX},  // a seventeenth digit wraps rather than being cut off
        {"1 2", 0}, {"HH", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseHex(c.text), c.expected);
    }
}

TEST(TextRoutines, WordsAreRunsOutsideTheDelimiters)
{
    const TSysCharSet semicolon = CharSetOf(";");
    const TSysCharSet blanks = CharSetOf(" ,");
    struct Case {
        const char* text;
        const TSysCharSet& delims;
        int count;
        int n;
        int pos;
        const char* word;
    } cases[] = {
        {";;a;;b;", semicolon, 2, 2, 6, "b"},
        {";;a;;b;", semicolon, 2, 1, 3, "a"},
        {";;a;;b;", semicolon, 2, 3, 0, ""},
        {";;a;;b;", semicolon, 2, 0, 0, ""},
        {"", semicolon, 0, 1, 0, ""},
        {";;;", semicolon, 0, 1, 0, ""},
        {"one, two  three", blanks, 3, 3, 11, "three"},
        {"one, two  three", blanks, 3, 2, 6, "two"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " #" + std::to_string(c.n));
        EXPECT_EQ(CountWords(c.text, c.delims), c.count);
        EXPECT_EQ(CountWordsBySet(c.text, c.delims), c.count);
        EXPECT_EQ(NthWordPos(c.n, c.text, c.delims), c.pos);
        EXPECT_EQ(NthWordPosRef(c.n, c.text, c.delims), c.pos);
        EXPECT_EQ(NthWord(c.n, c.text, c.delims), c.word);
        EXPECT_EQ(SplitWords(c.text, c.delims).size(), static_cast<size_t>(c.count));
    }
}

TEST(TextRoutines, RemoveAndReplace)
{
    EXPECT_EQ(RemoveChars("a b  c ", ' '), "abc");
    EXPECT_EQ(ReplaceAllText("aaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceAllText("x.y.z", ".", "::"), "x::y::z");
    EXPECT_EQ(ReplaceAllText("Abc abc", "abc", "1"), "Abc 1");
    EXPECT_EQ(ReplaceAllText("abc", "", "1"), "abc");
    EXPECT_TRUE(CharInSet('\xE9', CharSetOf("\xE9")));
    EXPECT_FALSE(CharInSet('a', CharSetOf("A")));
}

TEST(TextRoutines, SectionListsReadLikeTheCommonSections)
{
    TStringList lines;
    lines.SetText("KEY=lost\n[ONE]\nA=1\nHEX=0x1F\nZERO=0\nBAD=abc\nEQ=a=b\n;C=3\n\n[ two ]\nb=2\n[one]\nA=9\n");
    const TacIniSections sections = IniTextToSectionLists(lines);
    ASSERT_EQ(sections.size(), 3u);
    EXPECT_EQ(sections[1].Name, " two ");
    EXPECT_EQ(sections[0].Lines.size(), 5u);

    EXPECT_EQ(ReadSectionListString(sections, "one", "a", "d"), "1");
    EXPECT_EQ(ReadSectionListString(sections, "ONE", "EQ", "d"), "a=b");
    EXPECT_EQ(ReadSectionListString(sections, "ONE", "C", "d"), "d");
    EXPECT_EQ(ReadSectionListString(sections, " two ", "B", "d"), "2");
    EXPECT_EQ(ReadSectionListString(sections, "two", "B", "d"), "d");
    EXPECT_EQ(ReadSectionListString(sections, "ONE", "KEY", "d"), "d");
    EXPECT_EQ(ReadSectionListInteger(sections, "ONE", "HEX", -1), 31);
    EXPECT_EQ(ReadSectionListInteger(sections, "ONE", "ZERO", -1), 0);
    EXPECT_EQ(ReadSectionListInteger(sections, "ONE", "BAD", -1), -1);
    EXPECT_EQ(ReadSectionListInteger(sections, "NONE", "A", -7), -7);
}

TEST(TextRoutines, EntrySearchWalksAFolderUntilClosed)
{
    ks::test::TempDir dir;
    for (const wchar_t* name : {L"a.asz", L"b.asz", L"c.txt"})
        std::ofstream(std::filesystem::path(dir.Path()) / name) << "x";
    std::set<std::wstring> found;
    TSearchRec rec;
    for (int r = FindFirstEntry(dir.File(L"*.asz"), faAnyFile, rec); r == 0; r = FindNextEntry(rec))
        found.insert(rec.Name);
    EXPECT_EQ(found, (std::set<std::wstring>{L"a.asz", L"b.asz"}));

    ASSERT_EQ(FindFirstEntry(dir.File(L"*.*"), 0, rec), 0);
    FindCloseEntry(rec);
    EXPECT_NE(FindNextEntry(rec), 0);
}

TEST(TextRoutines, NormalizeDirPath)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* expected;
    } cases[] = {
        {L"", L""}, {L"c", L"c:\\"}, {L"c:\\Skins\\", L"c:\\Skins\\"}, {L"c:\\Skins/", L"c:\\Skins\\"},
        {L"c:\\Skins", L"c:\\Skins\\"}, {L"Skins", L"Skins\\"}, {L"/", L"\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.path)));
        EXPECT_EQ(NormalizeDirPath(c.path), c.expected);
    }
}

} // namespace
