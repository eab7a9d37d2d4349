#include "skin/core/sSkinOptions.h"

#include "vcl/IniFiles.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <stdexcept>

namespace {

std::unique_ptr<TMemIniFile> Ini(std::string_view text)
{
    auto ini = std::make_unique<TMemIniFile>();
    ini->SetText(text);
    return ini;
}

TColor FakeSystemColor(int index)
{
    return 0x0A0B00 + index;
}

const TsGeneralData& Find(const TsGeneralDataArray& table, std::string_view name)
{
    for (const TsGeneralData& d : table)
        if (d.SectionName == name)
            return d;
    throw std::runtime_error("no section " + std::string(name));
}

// A global section, an edit section with a child, and a three-level speed-button chain.
constexpr std::string_view SkinText =
    "[GLOBALINFO]\r\n"
    "VERSION=6.4\r\n"
    "AUTHOR=Keysmith\r\n"
    "COLOR=0\r\n"
    "FONTCOLOR=32768\r\n"
    "TCLEFT=0\r\n"
    "SHADOW1BLUR=10\r\n"
    "BILEFT=2\r\n"
    "[EDIT]\r\n"
    "COLOR=0\r\n"
    "FONTCOLOR=32768\r\n"
    "HOTFONTCOLOR=65280\r\n"
    "[COMBOBOX]\r\n"
    "PARENTCLASS=EDIT\r\n"
    "[SPEEDBUTTON]\r\n"
    "COLOR=128769\r\n"
    "FADINGITERATIONS=20\r\n"
    "FADINGENABLED=true\r\n"
    "[SPEEDBUTTON_SMALL]\r\n"
    "PARENTCLASS=SPEEDBUTTON\r\n"
    "FADINGENABLED=1\r\n"
    "[SPLITTER]\r\n"
    "PARENTCLASS=SPEEDBUTTON_SMALL\r\n";

TEST(sSkinOptions, GlobalValuesTakeTheirDefaultsAndWidths)
{
    struct Case {
        const char* name;
        const char* text;
        int16_t TsSkinData::*field;
        int expected;
    } cases[] = {
        {"ShadowBlurWritten", SkinText.data(), &TsSkinData::Shadow1Blur, 10},
        {"ShadowBlurDefault", "[GLOBALINFO]", &TsSkinData::Shadow1Blur, -1},
        {"BorderWidthDefault", SkinText.data(), &TsSkinData::BorderWidth, 4},
        {"FormOffsetDefault", SkinText.data(), &TsSkinData::FormOffset, 8},
        {"MaxHeightFollowsDefaultTitle", SkinText.data(), &TsSkinData::MaxHeight, 30},
        {"MaxHeightFollowsWrittenTitle", "[GLOBALINFO]\nTITLEHEIGHT=24", &TsSkinData::MaxHeight, 24},
        {"MaxHeightZeroFollowsTitle", "[GLOBALINFO]\nTITLEHEIGHT=24\nMAXHEIGHT=0", &TsSkinData::MaxHeight, 24},
        {"MaxHeightOwn", "[GLOBALINFO]\nMAXHEIGHT=40", &TsSkinData::MaxHeight, 40},
        {"BiLeft", SkinText.data(), &TsSkinData::BILeft, 2},
        {"LowSixteenBitsKept", "[GLOBALINFO]\nBORDERWIDTH=70000", &TsSkinData::BorderWidth, 4464},
        {"KeysInAnyCase", "[globalinfo]\nborderwidth=7", &TsSkinData::BorderWidth, 7},
        {"StrictTakesDollarHex", "[GLOBALINFO]\nBICONMAXGLOW=$FF", &TsSkinData::BIMaxGlow, 255},
        {"NoGlobalSection", "[EDIT]\nBORDERWIDTH=9", &TsSkinData::BorderWidth, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TsSkinData data;
        ReadSkinGlobals(*Ini(c.text), data);
        EXPECT_EQ(data.*c.field, c.expected);
    }
}

TEST(sSkinOptions, GlobalTextsNumbersAndColours)
{
    TsSkinData data;
    ReadSkinGlobals(*Ini("[GLOBALINFO]\nVERSION=6.4\nAUTHOR=Keysmith\nSHADOW1COLOR=-16777201\nBORDERCOLOR=$FF00\n"), data);
    EXPECT_DOUBLE_EQ(data.Version, 6.4);
    EXPECT_EQ(data.Author, "Keysmith");
    EXPECT_EQ(data.Shadow1Color, static_cast<TColor>(0xFF00000F));
    EXPECT_EQ(data.BorderColor, 0xFF00);

    ReadSkinGlobals(*Ini("[GLOBALINFO]\nVERSION=6,4"), data);
    EXPECT_EQ(data.Version, 0);
}

TEST(sSkinOptions, StrictGlobalStopsTheReadWithTheConversionError)
{
    struct Case {
        const char* name;
        const char* text;
        const char* message;
    } cases[] = {
        {"Letters", "[GLOBALINFO]\nBORDERWIDTH=7\nSHADOW1OFFSET=abc\nBISPACE=3", "'abc' is not a valid integer value"},
        {"Empty", "[GLOBALINFO]\nBORDERWIDTH=7\nSHADOW1OFFSET=\nBISPACE=3", "'' is not a valid integer value"},
        {"ZeroXIsNotStrict", "[GLOBALINFO]\nBORDERWIDTH=7\nSHADOW1OFFSET=0x10\nBISPACE=3", "'0x10' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TsSkinData data;
        data.BISpace = 77;
        try {
            ReadSkinGlobals(*Ini(c.text), data);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(data.BorderWidth, 7);
        EXPECT_EQ(data.BISpace, 77);
    }
}

TEST(sSkinOptions, SectionsAreReadInTextOrderWithInheritance)
{
    TsGeneralDataArray table;
    ReadSectionTable(*Ini(SkinText), table, FakeSystemColor);
    ASSERT_EQ(table.size(), 6u);
    EXPECT_EQ(table[0].SectionName, "GLOBALINFO");
    EXPECT_EQ(table[0].Color, 0);
    EXPECT_EQ(table[0].FontColor, (TsFontColors{32768, 0, -1, -1, -1}));
    EXPECT_EQ(table[5].SectionName, "SPLITTER");

    const TsGeneralData& splitter = Find(table, "SPLITTER");
    EXPECT_EQ(splitter.ParentClass, "SPEEDBUTTON_SMALL");
    EXPECT_EQ(splitter.Color, 128769);
    EXPECT_EQ(splitter.FadingIterations, 20);
    // SPEEDBUTTON_SMALL writes "1", which is not "TRUE", and that answer is final.
    EXPECT_FALSE(splitter.FadingEnabled);
    EXPECT_TRUE(Find(table, "SPEEDBUTTON").FadingEnabled);

    const TsGeneralData& combo = Find(table, "COMBOBOX");
    EXPECT_EQ(combo.FontColor[0], 32768);
    EXPECT_EQ(combo.HotFontColor[0], 65280);
    EXPECT_EQ(combo.Color, 0);

    const TsGeneralData& edit = Find(table, "EDIT");
    EXPECT_EQ(edit.ParentClass, "");
    EXPECT_EQ(edit.HotColor, clWhite);
    EXPECT_EQ(edit.GradientData, " ");
    EXPECT_TRUE(edit.GradientArray.empty());
    EXPECT_EQ(edit.HotGradientData, "");
    EXPECT_EQ(edit.BorderIndex, -1);
    EXPECT_EQ(edit.ImgBottomRight, -1);
}

TEST(sSkinOptions, InheritedLookupsTreatMarkersAndBrokenChainsAsAbsent)
{
    const auto ini = Ini(
        "[BASE]\nTCLEFT=5\nGRADIENTDATA=0;255;100;0;0\nGLOW=3\n"
        "[CHILD]\nPARENTCLASS=BASE\nTCLEFT=-1\nGRADIENTDATA=?\nGLOW=$2\n"
        "[SELF]\nPARENTCLASS=SELF\n"
        "[SELFCASE]\nPARENTCLASS=selfcase\n"
        "[A]\nPARENTCLASS=B\n"
        "[B]\nPARENTCLASS=A\nGLOWMARGIN=6\n"
        "[ORPHAN]\nPARENTCLASS=NOWHERE\n");
    struct Case {
        const char* section;
        const char* key;
        int expected;
    } integers[] = {
        {"CHILD", "TCLEFT", 5},      // -1 goes on to the parent
        {"CHILD", "GLOW", 2},
        {"child", "tcleft", 5},      // sections and keys in any case
        {"SELF", "GLOW", 99},        // a section naming itself has no parent
        {"SELFCASE", "GLOW", 99},    // ... in another case it loops until the bound
        {"A", "GLOW", 99},           // a loop without the key ends
        {"A", "GLOWMARGIN", 6},      // a loop with the key finds it
        {"ORPHAN", "GLOW", 99},      // an absent parent ends the chain
    };
    for (const Case& c : integers) {
        SCOPED_TRACE(std::string(c.section) + "." + c.key);
        EXPECT_EQ(ReadInheritedInteger(*ini, c.section, c.key, 99), c.expected);
    }
    EXPECT_EQ(ReadInheritedString(*ini, "CHILD", "GRADIENTDATA", "d"), "0;255;100;0;0");
    EXPECT_EQ(ReadInheritedString(*ini, "SELFCASE", "GRADIENTDATA", "d"), "d");
    EXPECT_EQ(ReadInheritedString(*ini, "CHILD", "PARENTCLASS", "d"), "BASE");
}

TEST(sSkinOptions, ChainsEndAtTheDepthBound)
{
    // S0 -> S1 -> ... -> S40; only the last one holds the key.
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "[S" + std::to_string(i) + "]\nPARENTCLASS=S" + std::to_string(i + 1) + "\n";
    text += "[S40]\nGLOW=7\n";
    const auto ini = Ini(text);
    EXPECT_EQ(ReadInheritedInteger(*ini, "S0", "GLOW", 0), 0);
    EXPECT_EQ(ReadInheritedInteger(*ini, "S8", "GLOW", 0), 7);
    EXPECT_EQ(ReadInheritedInteger(*ini, "S0", "GLOW", 0, TsSkinOptionsLimits{40}), 7);

    // The section table walks the same chains.
    TsGeneralDataArray table;
    ReadSectionTable(*ini, table, FakeSystemColor);
    EXPECT_EQ(table[0].GlowCount, 0);
    EXPECT_EQ(table[8].GlowCount, 7);
}

// Within a section the first entry of a key decides, also when it is an absence marker: the
// lookup then goes on to the parent, never to a later entry of the same key. The section table
// and the single lookups must agree on that, and on keys written in any case.
TEST(sSkinOptions, TheFirstEntryOfAKeyDecidesInTheTableAsInSingleLookups)
{
    const auto ini = Ini(
        "[BASE]\nTCLEFT=5\nGRADIENTDATA=0;255;100;0;0\nshowfocus=TRUE\n"
        "[CHILD]\nparentclass=BASE\ntcleft=-1\nTCLEFT=7\nGradientData=?\nGRADIENTDATA=1;2;3;0;0\n"
        "color=$10\nShowFocus=?\nSHOWFOCUS=FALSE\n");
    TsGeneralDataArray table;
    ReadSectionTable(*ini, table, FakeSystemColor);
    const TsGeneralData& child = Find(table, "CHILD");
    EXPECT_EQ(child.ParentClass, "BASE");
    EXPECT_EQ(child.FontColor[1], 5);
    EXPECT_EQ(child.GradientData, "0;255;100;0;0");
    EXPECT_TRUE(child.ShowFocus);
    EXPECT_EQ(child.Color, 16);
    EXPECT_EQ(ReadInheritedInteger(*ini, "CHILD", "TCLEFT", 0), child.FontColor[1]);
    EXPECT_EQ(ReadInheritedString(*ini, "CHILD", "GRADIENTDATA", ""), child.GradientData);
    EXPECT_EQ(ReadInheritedString(*ini, "CHILD", "SHOWFOCUS", ""), "TRUE");
}

// Keys in lower case, each to its own field.
TEST(sSkinOptions, EveryRecordKeyIsRead)
{
    TsGeneralDataArray table;
    ReadSectionTable(*Ini("[ALL]\ncolor=1\nglow=2\nglowmargin=3\nfontcolor=4\ntcleft=5\ntctop=6\ntcright=7\n"
                          "tcbottom=8\nhotfontcolor=9\nhottcleft=10\nhottctop=11\nhottcright=12\nhottcbottom=13\n"
                          "transparency=14\ngradientpercent=15\nimagepercent=16\nfadingiterations=17\nhotcolor=18\n"
                          "hottransparency=19\nhotgradientpercent=20\nhotimagepercent=21\nreservedboolean=true\n"
                          "giveownfont=true\nshowfocus=true\nfadingenabled=true\ngradientdata=0;1;100;0;0\n"
                          "hotgradientdata=0;2;100;0;0\nparentclass=NONE\n"),
        table, FakeSystemColor);
    const TsGeneralData& d = table.at(0);
    const int integers[] = {d.Color, d.GlowCount, d.GlowMargin, d.FontColor[0], d.FontColor[1], d.FontColor[2],
        d.FontColor[3], d.FontColor[4], d.HotFontColor[0], d.HotFontColor[1], d.HotFontColor[2], d.HotFontColor[3],
        d.HotFontColor[4], d.Transparency, d.GradientPercent, d.ImagePercent, d.FadingIterations, d.HotColor,
        d.HotTransparency, d.HotGradientPercent, d.HotImagePercent};
    for (int i = 0; i < static_cast<int>(std::size(integers)); ++i)
        EXPECT_EQ(integers[i], i + 1) << "integer key " << i;
    EXPECT_TRUE(d.ReservedBoolean && d.GiveOwnFont && d.ShowFocus && d.FadingEnabled);
    EXPECT_EQ(d.GradientData, "0;1;100;0;0");
    EXPECT_EQ(d.HotGradientData, "0;2;100;0;0");
    EXPECT_EQ(d.ParentClass, "NONE");
}

// Plain decimal values take a quicker road than the rest; both must read every text alike, in
// the table, in single lookups and in the globals.
TEST(sSkinOptions, IntegerTextsReadAlikeOnEveryPath)
{
    const char* const texts[] = {"007", "-0", "-12", "2147483647", "2147483648", "-2147483648", "-2147483649",
        "99999999999", "12a", "-", "--1", "+5", "0x1F", "0X1f", "-$10", "$FF", "1.5", "1e3", "-0x10"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        const int lenient = IniInt(text, -1);
        const auto ini = Ini(std::string("[GLOBALINFO]\nGLOW=") + text + "\nBORDERWIDTH=" + text + "\n");
        TsGeneralDataArray table;
        ReadSectionTable(*ini, table, FakeSystemColor);
        // -1, written or unparsable, is absent: the default 0 follows.
        EXPECT_EQ(table.at(0).GlowCount, lenient == -1 ? 0 : lenient);
        EXPECT_EQ(ReadInheritedInteger(*ini, "GLOBALINFO", "GLOW", 0), lenient == -1 ? 0 : lenient);
        TsSkinData data;
        ReadSkinGlobals(*ini, data);
        EXPECT_EQ(data.BorderWidth, static_cast<int16_t>(IniInt(text, 4)));
    }
}

TEST(sSkinOptions, SectionFieldsFromSmallTexts)
{
    struct Case {
        const char* name;
        const char* text;
        size_t record;
        int TsGeneralData::*field;
        int expected;
    } const cases[] = {
        {"SystemColourResolved", "[A]\nCOLOR=-16777201", 0, &TsGeneralData::Color, 0x0A0B0F},
        {"DollarSystemColourResolved", "[A]\nCOLOR=$80000005", 0, &TsGeneralData::Color, 0x0A0B05},
        {"HotSystemColourKept", "[A]\nHOTCOLOR=-16777201", 0, &TsGeneralData::HotColor, static_cast<int>(0xFF00000F)},
        {"TransparencyAbove100", "[A]\nTRANSPARENCY=150", 0, &TsGeneralData::Transparency, 100},
        {"HotTransparencyBelow0", "[A]\nHOTTRANSPARENCY=-20", 0, &TsGeneralData::HotTransparency, 0},
        {"InheritedTransparencyHeldToo", "[A]\nTRANSPARENCY=150\n[B]\nPARENTCLASS=A", 1, &TsGeneralData::Transparency, 100},
        {"RepeatedHeaderReadsTheFirst", "[X]\nGLOW=1\n[Y]\n[X]\nGLOW=2", 2, &TsGeneralData::GlowCount, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TsGeneralDataArray table;
        ReadSectionTable(*Ini(c.text), table, FakeSystemColor);
        ASSERT_GT(table.size(), c.record);
        EXPECT_EQ(table[c.record].*c.field, c.expected);
    }
}

TEST(sSkinOptions, GradientsAreParsedAndABadOneLeavesTheTableEmpty)
{
    TsGeneralDataArray table;
    ReadSectionTable(*Ini("[H]\nGRADIENTDATA=0;255;100;0;0\nHOTGRADIENTDATA=1;2;3;1;0;4;5;6;0;0\n"), table, FakeSystemColor);
    ASSERT_EQ(table[0].GradientArray.size(), 1u);
    EXPECT_EQ(table[0].GradientArray[0].Color2, 255);
    EXPECT_EQ(table[0].HotGradientArray.size(), 2u);

    EXPECT_THROW(ReadSectionTable(*Ini("[OK]\n[BAD]\nGRADIENTDATA=0;red;100;0;0\n"), table, FakeSystemColor),
        EConvertError);
    EXPECT_TRUE(table.empty());
}

TEST(sSkinOptions, CommonSectionsMergeAfterTheSkinsOwn)
{
    TsGeneralDataArray table;
    ReadSectionTable(*Ini(
        "[PANEL]\nCOLOR=255\nGLOW=3\nGLOWMARGIN=2\nFADINGENABLED=TRUE\nTCTOP=4\nGRADIENTDATA=1;2;50;0;0\n"
        "[EDIT]\nCOLOR=1\n"), table, FakeSystemColor);
    TStringList common;
    common.SetText(
        "STRAY=1\n"
        "[MYPANEL]\nPARENTCLASS=panel\nGLOWMARGIN=-1\nHOTCOLOR=-16777201\n"
        "; a comment\n\n"
        "[EDIT]\nCOLOR=2\n"
        "[edit]\n"
        "[LONE]\nshowfocus=true\nGLOW=-1\nCOLOR=0x10\nHOTGRADIENTDATA=7;8;100;1;0\n"
        "[CHILD]\nPARENTCLASS=MYPANEL\nTCTOP=-1\n");
    MergeCommonSections(common, table);
    ASSERT_EQ(table.size(), 6u);
    EXPECT_EQ(Find(table, "EDIT").Color, 1);

    const TsGeneralData& mine = Find(table, "MYPANEL");
    EXPECT_EQ(mine.ParentClass, "PANEL");
    EXPECT_EQ(mine.Color, 255);
    EXPECT_EQ(mine.GlowCount, 0);     // absent: 0 at once
    EXPECT_EQ(mine.GlowMargin, 2);    // -1: the parent's
    EXPECT_TRUE(mine.FadingEnabled);
    EXPECT_EQ(mine.FontColor, (TsFontColors{0, -1, 4, -1, -1}));
    EXPECT_EQ(mine.HotColor, static_cast<TColor>(0xFF00000F));
    EXPECT_EQ(mine.GradientData, "1;2;50;0;0");
    EXPECT_EQ(mine.GradientArray.size(), 1u);
    EXPECT_EQ(mine.BorderIndex, -1);

    const TsGeneralData& lone = Find(table, "LONE");
    EXPECT_EQ(lone.ParentClass, "-1");
    EXPECT_TRUE(lone.ShowFocus);
    EXPECT_EQ(lone.GlowCount, 0);
    EXPECT_EQ(lone.Color, 16);
    EXPECT_EQ(lone.FadingIterations, 5);
    EXPECT_EQ(lone.GradientData, " ");
    EXPECT_EQ(lone.HotGradientArray.size(), 1u);

    // A common section may inherit from one merged before it.
    EXPECT_EQ(Find(table, "CHILD").FontColor[2], 4);
}

TEST(sSkinOptions, StoredFontColoursNeedExactlyFiveNumbers)
{
    struct Case {
        const char* text;
        TsFontColors expected;
    } cases[] = {
        {"32768 0 -1 -1 $FF", {32768, 0, -1, -1, 255}},
        {"  1  2 3 4 5 ", {1, 2, 3, 4, 5}},
        {"1 2 3 4", {0, -1, -1, -1, -1}},
        {"1 2 3 4 5 6", {0, -1, -1, -1, -1}},
        {"", {0, -1, -1, -1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StoredFontColors(c.text), c.expected);
    }
    EXPECT_THROW(StoredFontColors("1 2 x 4 5"), EConvertError);
}

} // namespace
