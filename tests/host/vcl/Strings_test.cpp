#include "vcl/Strings.h"

#include "vcl/Streams.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const TStrings& list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.Strings(i));
    return out;
}

using V = std::vector<std::string>;

// Text() joins the lines again, each ended by CR LF.
TEST(TStringList, TextSplitsOnEveryLineBreakKindAndJoinsWithCrLf)
{
    const struct {
        const char* name;
        const char* text;
        V lines;
    } cases[] = {
        {"CrLf", "a\r\nb", {"a", "b"}},
        {"Mixed", "a\nb\rc", {"a", "b", "c"}},
        {"FinalBreakAddsNoLine", "a\r\n", {"a"}},
        {"BlankLineKept", "a\r\n\r\n", {"a", ""}},
        {"LfThenCrIsTwoBreaks", "a\n\rb", {"a", "", "b"}},
        {"OneBlank", " ", {" "}},
        {"OnlyBreak", "\r\n", {""}},
        {"Empty", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TStringList list;
        list.Add("old");
        list.SetText(c.text);
        EXPECT_EQ(Lines(list), c.lines);
        std::string joined;
        for (const std::string& line : c.lines)
            joined += line + "\r\n";
        EXPECT_EQ(list.Text(), joined);
    }
}

TEST(TStringList, NameValueLines)
{
    TStringList list;
    list.SetText("KEY=v\nnoeq\nk2=a=b\nkey=second");
    EXPECT_EQ(list.Names(0), "KEY");
    EXPECT_EQ(list.Names(1), "");
    EXPECT_EQ(list.ValueFromIndex(1), "");
    EXPECT_EQ(list.ValueFromIndex(2), "a=b");
    EXPECT_EQ(list.Values("key"), "v") << "first match, without regard to case";
    EXPECT_EQ(list.Values("noeq"), "") << "a line without '=' has no name";
    EXPECT_EQ(list.IndexOfName("noeq"), -1);
    EXPECT_EQ(list.IndexOfName("K2"), 2);

    list.SetValues("Key", "x");  // replaces the first match in place
    list.SetValues("new", "1");  // appends
    list.SetValues("k2", "");    // deletes
    EXPECT_EQ(Lines(list), (V{"Key=x", "noeq", "key=second", "new=1"}));
    list.SetValues("absent", "");
    EXPECT_EQ(list.Count(), 4);
}

TEST(TStringList, CaseSensitivityGovernsLookups)
{
    TStringList list;
    list.Add("Edit");
    list.Add("edit=1");
    EXPECT_EQ(list.IndexOf("EDIT"), 0);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("EDIT"), -1);
    EXPECT_EQ(list.IndexOf("Edit"), 0);
    EXPECT_EQ(list.IndexOfName("Edit"), -1);
    EXPECT_EQ(list.IndexOfName("edit"), 1);
}

TEST(TStringList, SortIgnoresCaseKeepsDuplicatesAndMovesObjects)
{
    TStringList objects; // any TObject will do as a marker
    TStringList list;
    list.AddObject("b", &objects);
    list.Add("A");
    list.Add("a");
    list.Add("B");
    list.Add("_x");
    list.Sort();
    EXPECT_EQ(Lines(list), (V{"_x", "A", "a", "b", "B"}));
    EXPECT_EQ(list.Objects(3), &objects);
    EXPECT_EQ(list.Objects(4), nullptr);
}

TEST(TStringList, IndexesOutsideTheListRaise)
{
    TStringList list;
    list.Add("a");
    list.Add("b");
    EXPECT_THROW(list.Strings(2), EStringListError);
    EXPECT_THROW(list.Strings(-1), EStringListError);
    EXPECT_THROW(list.Delete(2), EStringListError);
    EXPECT_THROW(list.SetObjects(5, nullptr), EStringListError);
    EXPECT_THROW(list.Insert(3, "x"), EStringListError);
    list.Insert(2, "c");
    list.Insert(0, "z");
    EXPECT_EQ(Lines(list), (V{"z", "a", "b", "c"}));
    try {
        list.Strings(7);
        FAIL();
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (7)");
    }
}

TEST(TStringList, AssignCopiesListsOfItsKindOnly)
{
    TStringList marker;
    TStringList source;
    source.AddObject("x", &marker);
    source.Add("y");
    TStringList dest;
    dest.Add("old");
    dest.Assign(&source);
    EXPECT_EQ(Lines(dest), (V{"x", "y"}));
    EXPECT_EQ(dest.Objects(0), &marker);
    dest.Assign(&dest);
    EXPECT_EQ(dest.Count(), 2);
    dest.AddStrings(dest);
    EXPECT_EQ(Lines(dest), (V{"x", "y", "x", "y"}));

    TWideStringList wide;
    EXPECT_THROW(dest.Assign(&wide), EConvertError);
    EXPECT_EQ(dest.Count(), 4);
}

TEST(TStringList, StreamsTheRestOfAStream)
{
    TMemoryStream stream;
    const std::string bytes = "skip[A]\nk=v\r\n";
    stream.WriteBuffer(bytes.data(), bytes.size());
    stream.SetPosition(4);
    TStringList list;
    list.LoadFromStream(stream);
    EXPECT_EQ(Lines(list), (V{"[A]", "k=v"}));

    TMemoryStream out;
    list.SaveToStream(out);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory()), out.Size()), "[A]\r\nk=v\r\n");
}

TEST(TWideStringList, KeepsUnicodeLinesThroughUtf8Streams)
{
    TWideStringList memo;
    memo.SetText(L"\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u0430\r\n\r\nRH|5:qe8J4BM");
    ASSERT_EQ(memo.Count(), 3);
    EXPECT_EQ(memo.Strings(1), L"");
    TMemoryStream stream;
    memo.SaveToStream(stream);
    EXPECT_EQ(stream.Size(), 9 * 2 + 2 + 2 + 12 + 2); // UTF-8: two bytes per Cyrillic letter
    stream.SetPosition(0);
    TWideStringList copy;
    copy.LoadFromStream(stream);
    EXPECT_EQ(copy.Text(), memo.Text());
}

} // namespace
