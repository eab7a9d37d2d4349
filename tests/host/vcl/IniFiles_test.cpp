#include "vcl/IniFiles.h"

#include "host/support/TempDir.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using V = std::vector<std::string>;

V Lines(const TStrings& list)
{
    V out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(list.Strings(i));
    return out;
}

V Sections(const TMemIniFile& ini)
{
    TStringList names;
    ini.ReadSections(names);
    return Lines(names);
}

V Keys(const TMemIniFile& ini, const char* section)
{
    TStringList keys;
    ini.ReadSection(section, keys);
    return Lines(keys);
}

const char* const OptionsText =
    "; written by hand\r\n"
    "orphan=before any section\r\n"
    "[GLOBALINFO]\r\n"
    "  VERSION = 6.4  \r\n"
    "Author=\tMe\r\n"
    "\r\n"
    "[Edit]\n"
    "FontColor=32768\n"
    "FONTCOLOR=1\n"
    " no equals sign \n"
    "=blank key\n"
    "[Broken\n"
    "Gradient= 1;2;3 \r"
    "[edit]\r"
    "Color=5\r"
    "[ Spaced ]\n"
    "[]\n"
    "k=in the nameless section";

TEST(TMemIniFile, SectionsAreListedAndReachableInTextOrderWithRepeats)
{
    TMemIniFile ini;
    ini.SetText(OptionsText);
    EXPECT_EQ(Sections(ini), (V{"GLOBALINFO", "Edit", "edit", "Spaced", ""}));
    EXPECT_TRUE(ini.SectionExists("globalinfo"));
    EXPECT_TRUE(ini.SectionExists(""));
    EXPECT_FALSE(ini.SectionExists("Broken"));
    EXPECT_EQ(ini.SectionCount(), 5);
    EXPECT_EQ(ini.IndexOfSection("EDIT"), 1);
    EXPECT_EQ(ini.IndexOfSection("spaced"), 3);
    // The repeated [edit] keeps its own entries at its own position.
    EXPECT_EQ(ini.FindValue(2, "color").value_or("?"), "5");
    EXPECT_FALSE(ini.FindValue(1, "Color"));
    EXPECT_EQ(ini.FindValue(1, "fontcolor").value_or("?"), "32768");
    EXPECT_FALSE(ini.FindValue(-1, "Color") || ini.FindValue(5, "k"));
    ASSERT_EQ(ini.EntriesAt(0).size(), 2u);
    EXPECT_EQ(ini.EntriesAt(0)[1].Key, "Author");
    EXPECT_TRUE(ini.EntriesAt(7).empty());
    EXPECT_EQ(ini.SectionAt(2), "edit");
    EXPECT_EQ(ini.SectionAt(5), "");
    EXPECT_EQ(ini.SectionAt(-1), "");
}

TEST(TMemIniFile, EntriesAreTrimmedAndKeptInOrder)
{
    TMemIniFile ini;
    ini.SetText(OptionsText);
    EXPECT_EQ(ini.ReadString("GLOBALINFO", "version", "?"), "6.4");
    EXPECT_EQ(ini.ReadString("GLOBALINFO", "AUTHOR", "?"), "Me");
    // A header without "]" is an ordinary line: here an entry without "=".
    EXPECT_EQ(Keys(ini, "EDIT"), (V{"FontColor", "FONTCOLOR", "", "", "", "Gradient"}));
    EXPECT_EQ(ini.ReadString("Edit", "Gradient", "?"), "1;2;3");
    EXPECT_EQ(ini.ReadString("", "k", "?"), "in the nameless section");
    EXPECT_FALSE(ini.ValueExists("GLOBALINFO", "orphan"));

    TStringList values;
    ini.ReadSectionValues("Edit", values);
    EXPECT_EQ(Lines(values), (V{"FontColor=32768", "FONTCOLOR=1", "=", "=blank key", "=", "Gradient=1;2;3"}));
}

V Walk(const TMemIniFile& ini)
{
    V out;
    ks::ForEachValue(ini, [&](const std::string& section, const std::string& key, const std::string& value) {
        out.push_back(section + "|" + key + "|" + value);
    });
    return out;
}

TEST(TMemIniFile, ValuesAreWalkedAsReadSectionValuesGivesThem)
{
    TMemIniFile ini;
    // A value may hold "=", a line without one is an empty key with an empty value, and a
    // repeated header reads as the first section of its name.
    ini.SetText("[A]\nx=1=2\nbare\n[b]\ny=\n[a]\nz=3\n");
    EXPECT_EQ(Walk(ini), (V{"A|x|1=2", "A||", "b|y|", "a|x|1=2", "a||"}));

    ini.SetText(OptionsText);
    V expected;
    TStringList lines;
    for (const std::string& section : Sections(ini)) {
        ini.ReadSectionValues(section, lines);
        for (const std::string& line : Lines(lines))
            expected.push_back(section + "|" + line.substr(0, line.find('=')) + "|" + line.substr(line.find('=') + 1));
    }
    EXPECT_EQ(Walk(ini), expected);
    EXPECT_EQ(expected.size(), 15u);
}

TEST(TMemIniFile, FirstOfDuplicateSectionsAndKeysWinsAndAbsentOnesGiveTheDefault)
{
    TMemIniFile ini;
    ini.SetText(OptionsText);
    EXPECT_EQ(ini.ReadInteger("edit", "Color", -1), -1) << "the second [edit] is listed but never found";
    // Blank keys: the line without "=" comes first, so its empty value wins.
    EXPECT_TRUE(ini.ValueExists("Edit", ""));
    EXPECT_EQ(ini.ReadString("Edit", "", "?"), "");
    EXPECT_EQ(ini.ReadString("NOPE", "VERSION", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("GLOBALINFO", "NOPE", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadFloat("NOPE", "x", 1.5), 1.5);
    TStringList keys;
    keys.Add("stale");
    ini.ReadSection("NOPE", keys);
    EXPECT_EQ(keys.Count(), 0);
}

// Small sections are searched in text order, large ones through a sorted index: both must find
// the first of keys that differ only in letter case, and never a key of a later section of the
// same name.
TEST(TMemIniFile, FirstOfFoldedKeysWinsInSmallAndLargeSections)
{
    for (int filler : {2, 200}) {
        SCOPED_TRACE("filler keys: " + std::to_string(filler));
        std::string text = "[Big]\n";
        for (int i = 0; i < filler; ++i)
            text += "K" + std::to_string(i) + "=" + std::to_string(i) + "\n";
        text += "Dup=first\nDUP=second\ndup=third\n[BIG]\nDup=other section\nOnlyLater=x\n";
        TMemIniFile ini;
        ini.SetText(text);
        EXPECT_EQ(ini.ReadString("big", "dUP", "?"), "first");
        EXPECT_EQ(ini.ReadString("BIG", "k1", "?"), "1");
        EXPECT_FALSE(ini.ValueExists("Big", "OnlyLater"));
        EXPECT_FALSE(ini.ValueExists("Big", "Du"));
        EXPECT_EQ(Keys(ini, "big").size(), static_cast<size_t>(filler) + 3);
    }
}

// The hash folds letters eight bytes at a time and takes the name's tail bytes one by one, and
// compile-time keys hash without memcpy: names must hash alike exactly when they fold alike,
// whatever the byte and wherever it lies, or lookups would miss.
TEST(TMemIniFile, NamesHashAlikeExactlyWhenTheyFoldAlike)
{
    constexpr ks::IniKey LongKey = "ParentClass_Of_A_Long_Name";
    EXPECT_EQ(LongKey.Hash, ks::IniNameHash(std::string("PARENTCLASS_of_a_long_NAME")));
    EXPECT_NE(ks::IniNameHash("A"), ks::IniNameHash(std::string_view("A\0", 2)));
    for (size_t length : {1u, 7u, 8u, 9u, 16u, 17u}) {
        for (size_t pos : {size_t{0}, length / 2, length - 1}) {
            for (int b = 0; b < 256; ++b) {
                std::string name(length, 'k');
                name[pos] = static_cast<char>(b);
                std::string folded = name;
                if (b >= 'a' && b <= 'z')
                    folded[pos] = static_cast<char>(b - 'a' + 'A');
                SCOPED_TRACE("length " + std::to_string(length) + ", byte " + std::to_string(b) + " at " + std::to_string(pos));
                EXPECT_EQ(ks::IniNameHash(name), ks::IniNameHash(folded));
                // Bytes next to the letters, and those 0x20 apart above 127, are not letters.
                if (b != 'k' && b != 'K' && (b < 'a' || b > 'z') && (b < 'A' || b > 'Z')) {
                    std::string other = name;
                    other[pos] = static_cast<char>(b ^ 0x20);
                    EXPECT_NE(ks::IniNameHash(name), ks::IniNameHash(other));
                }
            }
        }
    }
}

// LF, CR LF and a lone CR all end a line, in any mix; CR LF is one line end, LF CR two.
TEST(TMemIniFile, LineEndsMixFreely)
{
    TMemIniFile ini;
    ini.SetText("[A]\ra=1\r\r\nb=2\n\rc=3\r\n\n[B]\rd=4\r");
    EXPECT_EQ(Sections(ini), (V{"A", "B"}));
    EXPECT_EQ(Keys(ini, "A"), (V{"a", "b", "c"}));
    EXPECT_EQ(ini.ReadString("B", "d", "?"), "4");

    // Many lone CRs ahead of a far LF: each one still ends its own line.
    std::string text = "[C]";
    for (int i = 0; i < 1000; ++i)
        text += "\rk" + std::to_string(i) + "=" + std::to_string(i);
    text += "\n[D]\nlast=1";
    ini.SetText(text);
    EXPECT_EQ(Keys(ini, "C").size(), 1000u);
    EXPECT_EQ(ini.ReadInteger("C", "k999", -1), 999);
    EXPECT_EQ(ini.ReadInteger("D", "last", -1), 1);
}

// Integers as IniInt reads them (C hex included), floats with a dot only.
TEST(TMemIniFile, NumbersAreReadLeniently)
{
    TMemIniFile ini;
    ini.SetText("[N]\nhex=0x1F\nbad=12a\nversion=6.4\ncomma=6,4\n");
    EXPECT_EQ(ini.ReadInteger("n", "hex", -1), 31);
    EXPECT_EQ(ini.ReadInteger("n", "bad", -1), -1);
    EXPECT_EQ(ini.ReadFloat("N", "version", 0), 6.4);
    EXPECT_EQ(ini.ReadFloat("N", "comma", 0), 0);
}

TEST(TMemIniFile, ReadsStringListsAndFilesAlike)
{
    TStringList lines;
    lines.Add("[MYPANEL]");
    lines.Add("PARENTCLASS=panel");
    TMemIniFile ini(L"1.tmp");
    ini.SetStrings(lines);
    EXPECT_EQ(ini.ReadString("mypanel", "parentclass", ""), "panel");

    ks::test::TempDir dir;
    {
        TFileStream f(dir.File(L"Options.dat"), fmCreate);
        const std::string text = "[GLOBALINFO]\r\nSHADOW1BLUR=10\r\n";
        f.WriteBuffer(text.data(), text.size());
    }
    ini.LoadFromFile(dir.File(L"Options.dat"));
    EXPECT_EQ(ini.ReadInteger("GLOBALINFO", "SHADOW1BLUR", 0), 10);
    EXPECT_FALSE(ini.SectionExists("MYPANEL"));
    EXPECT_THROW(ini.LoadFromFile(dir.File(L"missing.dat")), EFOpenError);
    EXPECT_EQ(ini.ReadInteger("GLOBALINFO", "SHADOW1BLUR", 0), 10);
}

TEST(TMemIniFile, InputBeyondALimitIsRefusedAndChangesNothing)
{
    ks::IniLimits limits;
    limits.MaxTextBytes = 200;
    limits.MaxLineBytes = 20;
    limits.MaxSections = 3;
    limits.MaxEntries = 4;
    const struct {
        const char* name;
        std::string text;
        ks::IniReason reason;
    } cases[] = {
        {"LongLine", "[A]\nk=" + std::string(19, 'v'), ks::IniReason::LineTooLong},
        {"LongComment", ";" + std::string(25, 'c') + "\n[A]", ks::IniReason::LineTooLong},
        {"TooManySections", "[A]\n[B]\n[C]\n[D]", ks::IniReason::TooManySections},
        {"TooManyEntries", "[A]\na\nb\n[B]\nc\nd\ne", ks::IniReason::TooManyEntries},
        {"TooLarge", std::string(201, '\n'), ks::IniReason::TooLarge},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TMemIniFile ini(L"", limits);
        ini.SetText("[Kept]\nk=1");
        try {
            ini.SetText(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.Reason(), static_cast<int>(c.reason));
        }
        EXPECT_EQ(ini.ReadInteger("Kept", "k", 0), 1);
    }

    TMemIniFile ini(L"", limits);
    TStringList many;
    for (int i = 0; i < 30; ++i)
        many.Add(";" + std::to_string(i) + std::string(10, 'x'));
    EXPECT_THROW(ini.SetStrings(many), EIniFileException);

    ks::test::TempDir dir;
    {
        TFileStream f(dir.File(L"big.dat"), fmCreate);
        std::string text(201, ';');
        f.WriteBuffer(text.data(), text.size());
    }
    try {
        ini.LoadFromFile(dir.File(L"big.dat"));
        ADD_FAILURE() << "accepted";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Reason(), static_cast<int>(ks::IniReason::TooLarge));
    }
}

TEST(TMemIniFile, BinaryInputParsesWithoutHarm)
{
    const char raw[] = "[\0]\n\xFF\xFE=\0\x01\n[\x80\x81]\n=\n";
    std::string junk(raw, sizeof raw - 1);
    TMemIniFile ini;
    ini.SetText(junk);
    // NUL and other control characters are trimmed like blanks; bytes above 127 are text.
    EXPECT_EQ(Sections(ini), (V{"", "\x80\x81"}));
    EXPECT_TRUE(ini.ValueExists("", "\xFF\xFE"));
    EXPECT_EQ(ini.ReadString("", "\xFF\xFE", "?"), "");
}

} // namespace
