#include "skin/core/sSkinManager.h"

#include "skin/core/sConst.h"
#include "skin/core/SkinServices.h"
#include "skin/core/sStoredSkins.h"
#include "skin/core/sStyleSimply.h"
#include "skin/forms/acDials.h"
#include "vcl/Dialogs.h"
#include "vcl/FormStreaming.h"
#include "vcl/FormText.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"
#include "win/skin/core/SkinCommandRecorders.h"
#include "win/skin/core/SkinTestFiles.h"
#include "win/support/AccessViolations.h"
#include "win/support/FormTextData.h"
#include "win/support/ProcessCounters.h"

#include "win/support/VclFixture.h"
#include "host/support/SmallPng.h"
#include "skin/images/acPNG.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using ks::test::BytesOf;
using ks::test::PackArchive;
using ks::test::TempFolder;

constexpr TColor Red = 0x0000FF;
constexpr TColor GreyColour = 0x808080;

// Master: red in x 0..7, grey in 8..15, the key colour in 16..23.
std::vector<uint8_t> Master()
{
    return ks::test::Bmp24(24, 8, [](int x, int) { return x < 8 ? Red : x < 16 ? GreyColour : TransparentKeyColor; });
}

constexpr std::string_view OptionsText =
    "[GLOBALINFO]\r\n"
    "VERSION=6.4\r\n"
    "MASTERBITMAP=MASTER.BMP\r\n"
    "COLOR=0\r\n"
    "FONTCOLOR=32768\r\n"
    "BOXCHECKED=@0000@0000@0012@0004@3@0\r\n"
    "[EDIT]\r\n"
    "COLOR=255\r\n"
    "HOTFONTCOLOR=65280\r\n"
    "BORDERSMASK=^0000^0004^0012^0008^0000^0000^0000^0000^3^1^0^0\r\n"
    "[COMBOBOX]\r\n"
    "PARENTCLASS=EDIT\r\n"
    "[BUTTON_HUGE]\r\n"
    "BORDERSMASK=!BTN.BMP!3!1!0\r\n"
    "[MENUITEM]\r\n"
    "HOTCOLOR=32768\r\n"
    "HOTFONTCOLOR=255\r\n";

std::vector<uint8_t> Archive(std::string_view options = OptionsText)
{
    return PackArchive({{"Options.dat", BytesOf(options)},
                        {"Btn.bmp", ks::test::Bmp24(18, 12, [](int, int) { return GreyColour; })},
                        {"Master.bmp", Master()}});
}

// A folder skin whose EDIT section has another colour and no images besides the master's.
constexpr std::string_view FolderOptions =
    "[GLOBALINFO]\r\n"
    "VERSION=6.3\r\n"
    "MASTERBITMAP=MASTER.BMP\r\n"
    "[EDIT]\r\n"
    "COLOR=65535\r\n";

int gMessages = 0;
int WINAPI CountMessageBox(HWND, const wchar_t*, const wchar_t*, UINT)
{
    ++gMessages;
    return IDOK;
}
int CountDialog(TCustomForm&)
{
    ++gMessages;
    return mrOk;
}

class SkinManagerTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        gMessages = 0;
        ks::Sys().MessageBoxW = &CountMessageBox;
        ks::Sys().ShowModalDialog = &CountDialog;
        Manager = Create<TsSkinManager>(nullptr);
    }
    void TearDown() override
    {
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }

    // A packed skin "Test" and a skin folder "Other".
    void WriteTestAndOther()
    {
        Dir.Write(L"Test.asz", Archive());
        Dir.Write(L"Other/Options.dat", BytesOf(FolderOptions));
        Dir.Write(L"Other/MASTER.BMP", Master());
    }
    // The manager's change event runs after.
    struct AfterChangeEvents {
        std::function<void(TsSkinManager&)> after = [](TsSkinManager&) {};
        void AfterChange(TObject* sender) { after(*static_cast<TsSkinManager*>(sender)); }
    };

    void Load(const std::wstring& name)
    {
        Manager->SetSkinDirectory(Dir.Path());
        Manager->SetSkinName(name);
    }

    const TsGeneralData& Section(std::string_view name) const
    {
        const int i = Manager->FindSection(name);
        EXPECT_GE(i, 0) << name;
        return Manager->GeneralDataArray.at(static_cast<size_t>(i));
    }

    TColor MasterPixel(int x, int y) const
    {
        const uint8_t* p = Manager->MasterBitmap->ScanLine(y) + 3 * x;
        return p[2] | (p[1] << 8) | (p[0] << 16);
    }

    TempFolder Dir;
    TsSkinManager* Manager = nullptr;
};

TEST_F(SkinManagerTest, APackedSkinFillsTheTablesAndTheCommonIndexes)
{
    Dir.Write(L"Test.asz", Archive());
    Load(L"Test");

    EXPECT_TRUE(Manager->Active());
    EXPECT_TRUE(Manager->FFromArchive);
    EXPECT_TRUE(Manager->SkinData.SkinActive);
    EXPECT_EQ(Manager->SkinInfo(), "6.4");
    EXPECT_EQ(Manager->SkinData.SkinPath, Dir.Path() + L"\\");
    ASSERT_EQ(Manager->GeneralDataArray.size(), 5u);
    ASSERT_EQ(Manager->MaskArray.size(), 3u);
    EXPECT_EQ(Manager->MasterBitmap->Width(), 24);
    EXPECT_EQ(Manager->MasterBitmap->PixelFormat(), pf24bit);

    const TsMaskData& glyph = Manager->MaskArray[0];
    EXPECT_EQ(glyph.SectionName, "GLOBALINFO");
    EXPECT_EQ(glyph.PropertyName, "BOXCHECKED");
    const TsMaskData& own = Manager->MaskArray[2];
    ASSERT_TRUE(own.Bmp);
    EXPECT_EQ(own.Bmp->PixelFormat(), pf24bit);
    EXPECT_EQ(own.R, Rect(0, 0, 18, 12));

    EXPECT_EQ(Manager->CommonIndexes.CheckGlyph[0], 0);
    EXPECT_EQ(Section("COMBOBOX").BorderIndex, 1);
    EXPECT_EQ(Manager->MaskCellSize(2).cx, 6);
    EXPECT_EQ(Manager->MaskCellSize(99).cx, 0);

    EXPECT_EQ(Manager->GlobalSectionFontColor(), 32768);
    EXPECT_EQ(Manager->GlobalSectionColor(), 0);
    EXPECT_EQ(Manager->FocusedEditFontColor(), 65280);
    EXPECT_EQ(Manager->HighlightColorOf(), 32768);
    EXPECT_EQ(Manager->HighlightFontColorOf(), 255);
}

TEST_F(SkinManagerTest, WithoutASkinTheColourQueriesFallBack)
{
    EXPECT_EQ(Manager->SkinInfo(), "N/A");
    EXPECT_EQ(Manager->GlobalSectionColor(), ColorToRGB(clBtnFace));
    EXPECT_EQ(Manager->GlobalSectionFontColor(), TransparentKeyColor);
    EXPECT_EQ(Manager->FocusedEditColor(), ColorToRGB(clWindow));
    EXPECT_EQ(Manager->HighlightColorOf(), clHighlight);
    EXPECT_EQ(Manager->HighlightFontColorOf(), clHighlightText);
    EXPECT_EQ(Manager->Version(), "6.50");
    Manager->SetVersion("1.0");
    EXPECT_EQ(Manager->Version(), "6.50");
}

TEST_F(SkinManagerTest, APackedFileBeatsAFolderAndAFolderSkinLeavesNothingOfThePackedOne)
{
    Dir.Write(L"Test.asz", Archive());
    Dir.Write(L"Test/Options.dat", BytesOf(FolderOptions));
    Dir.Write(L"Test/MASTER.BMP", Master());
    Load(L"Test");
    EXPECT_EQ(Section("EDIT").Color, 255);

    std::filesystem::remove(std::filesystem::path(Dir.Path()) / L"Test.asz");
    Manager->SetSkinName(L"Test");
    EXPECT_FALSE(Manager->FFromArchive);
    EXPECT_EQ(Manager->SkinData.SkinPath, Dir.Path() + L"\\Test\\");
    EXPECT_EQ(Manager->SkinInfo(), "6.3");
    EXPECT_EQ(Section("EDIT").Color, 65535);
    EXPECT_TRUE(Manager->MaskArray.empty());
    EXPECT_EQ(Manager->FindSection("MENUITEM"), -1);
    EXPECT_EQ(Manager->CommonIndexes.CheckGlyph[0], -1);
}

TEST_F(SkinManagerTest, ARelativeSkinDirectoryIsTheProgramFolder)
{
    const std::wstring name = L"ks-relative-" + std::to_wstring(GetTickCount());
    const std::filesystem::path folder = std::filesystem::path(ApplicationDir()) / name;
    std::filesystem::create_directories(folder);
    std::ofstream(folder / L"Rel.asz", std::ios::binary)
        .write(reinterpret_cast<const char*>(Archive().data()), static_cast<std::streamsize>(Archive().size()));
    Manager->SetSkinDirectory(name);
    Manager->SetSkinName(L"Rel");
    EXPECT_TRUE(Manager->FFromArchive);
    EXPECT_EQ(Manager->SkinData.SkinPath, ApplicationDir() + name + L"\\");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

TEST_F(SkinManagerTest, TheFirstInternalSkinIsTakenUnderItsOwnName)
{
    auto* second = static_cast<TsStoredSkin*>(Manager->InternalSkins()->Add());
    second->SetName(L"Packed (internal)");
    const std::vector<uint8_t> bytes = Archive();
    second->Data().WriteBuffer(bytes.data(), bytes.size());
    EXPECT_EQ(Manager->InternalSkins()->IndexOf(L"Packed"), -1);
    EXPECT_EQ(Manager->InternalSkins()->IndexOf(L"Packed (internal)"), 0);

    Load(L"Terminal4bit");
    EXPECT_EQ(Manager->SkinName(), L"Packed (internal)");
    EXPECT_TRUE(Manager->FFromArchive);
    EXPECT_EQ(Manager->SkinData.SkinPath, L"");
    EXPECT_EQ(Manager->MaskArray.size(), 3u);
    // The stored data is lent to the reader, not consumed.
    EXPECT_EQ(second->Data().Size(), static_cast<int64_t>(bytes.size()));
}

TEST_F(SkinManagerTest, NoSkinAnywhereLeavesTheManagerInactiveAndEmpty)
{
    Dir.Write(L"Test.asz", Archive());
    Load(L"Test");
    Manager->SetSkinName(L"Missing");
    EXPECT_FALSE(Manager->Active());
    EXPECT_FALSE(Manager->SkinData.SkinActive);
    EXPECT_TRUE(Manager->MaskArray.empty());
    EXPECT_TRUE(Manager->GeneralDataArray.empty());
    EXPECT_EQ(Manager->CommonIndexes.GlobalInfoIndex, -1);

    // While inactive a name is only stored; activating loads it.
    Manager->SetSkinName(L"Test");
    EXPECT_TRUE(Manager->GeneralDataArray.empty());
    Manager->SetActive(true);
    EXPECT_EQ(Manager->GeneralDataArray.size(), 5u);
}

TEST_F(SkinManagerTest, HueAndSaturationLeaveGreyAndKeyPixelsAlone)
{
    Dir.Write(L"Test.asz", Archive());
    Load(L"Test");
    Manager->SetHueOffset(120);
    EXPECT_EQ(MasterPixel(0, 0), 0x00FF00);
    EXPECT_EQ(MasterPixel(8, 0), GreyColour);
    EXPECT_EQ(MasterPixel(16, 0), TransparentKeyColor);
    EXPECT_EQ(Section("EDIT").Color, 0x00FF00);
    EXPECT_EQ(Section("GLOBALINFO").Color, 0);

    Manager->SetHueOffset(0);
    Manager->SetSaturation(-100);
    EXPECT_EQ(MasterPixel(0, 0), 0x555555);
    EXPECT_EQ(MasterPixel(8, 0), GreyColour);
    EXPECT_EQ(MasterPixel(16, 0), TransparentKeyColor);

    Manager->SetSaturation(0);
    EXPECT_EQ(MasterPixel(0, 0), Red);
    EXPECT_EQ(Section("EDIT").Color, Red);
}

TEST_F(SkinManagerTest, HueAndSaturationLeaveNoColourAndTheKeyColourInTheValues)
{
    constexpr TColor Brown = 0x4080C0;
    Dir.Write(L"Test.asz", Archive("[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\n"
                                   "[EDIT]\r\nCOLOR=16711935\r\nFONTCOLOR=4227264\r\n"
                                   "[MENUITEM]\r\nHOTCOLOR=16711935\r\n"));
    Load(L"Test");
    for (auto change : {&TsSkinManager::SetHueOffset, &TsSkinManager::SetSaturation}) {
        (Manager->*change)(60);
        EXPECT_EQ(Section("EDIT").Color, TransparentKeyColor);
        EXPECT_NE(Section("EDIT").FontColor[0], Brown) << "a real colour still changes";
        EXPECT_EQ(Section("EDIT").FontColor[1], -1);
        EXPECT_EQ(Section("EDIT").HotFontColor[1], -1);
        EXPECT_EQ(Section("MENUITEM").HotColor, TransparentKeyColor);
        EXPECT_EQ(Manager->HighlightColorOf(), clHighlight) << "the key colour is no highlight";
        (Manager->*change)(0);
    }
}

TEST_F(SkinManagerTest, PictureNamesAreReadAsUtf8OrInTheAnsiCodePage)
{
    const std::string cp1251 = "\xD4\xEE\xED.BMP"; // "Фон.BMP" in code page 1251
    wchar_t ansi[16] = {};
    MultiByteToWideChar(CP_ACP, 0, cp1251.data(), static_cast<int>(cp1251.size()), ansi, 16);
    struct Case {
        const char* name;
        std::string bytes;
        std::wstring file;
    } const cases[] = {
        {"Utf8", "\xD0\xA4\xD0\xBE\xD0\xBD.BMP", L"Фон.BMP"},
        {"AnsiCodePage", cp1251, ansi},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dir.Write(L"Named/Options.dat", BytesOf("[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\n"
                                                "[BUTTON]\r\nBORDERSMASK=!" + c.bytes + "!3!1!0\r\n"));
        Dir.Write(L"Named/MASTER.BMP", Master());
        Dir.Write(L"Named/" + c.file, ks::test::Bmp24(18, 12, [](int, int) { return GreyColour; }));
        Load(L"Named");
        const int mask = Manager->FindMask(Manager->FindSection("BUTTON"), "BUTTON", "BORDERSMASK");
        ASSERT_GE(mask, 0);
        ASSERT_TRUE(Manager->MaskArray[static_cast<size_t>(mask)].Bmp);
        EXPECT_EQ(Manager->MaskArray[static_cast<size_t>(mask)].R, Rect(0, 0, 18, 12));
        std::filesystem::remove_all(std::filesystem::path(Dir.Path()) / L"Named");
    }
}

TEST_F(SkinManagerTest, ABrokenSkinFailsWithAMessageAndKeepsThePreviousOne)
{
    Dir.Write(L"Test.asz", Archive());
    Load(L"Test");
    struct Case {
        const char* name;
        std::vector<uint8_t> archive;
    } const cases[] = {
        {"NotAnArchive", BytesOf("ASzf\x01\x00\x00\x00garbage")},
        {"WrongMagic", BytesOf("PK\x03\x04")},
        {"ZeroCellsInABorder", Archive("[EDIT]\r\nBORDERSMASK=^0000^0000^0030^0018^0000^0000^0000^0000^0^0^0^0\r\n")},
        {"LetterInAGlyphField", Archive("[GLOBALINFO]\r\nBOXCHECKED=@00x0@0000@0012@0004@3@0\r\n")},
        {"StrictGlobalKey", Archive("[GLOBALINFO]\r\nSHADOW1OFFSET=abc\r\n")},
        {"APictureThatDoesNotDecode", PackArchive({{"Options.dat", BytesOf("[EDIT]\r\nBORDERSMASK=!BAD.BMP!1!0!0\r\n")},
                                                   {"Bad.bmp", BytesOf("BM broken")}})},
        {"APatternThatDoesNotDecode", PackArchive({{"Options.dat", BytesOf("[EDIT]\r\nPATTERN=BAD.JPG\r\n")},
                                                   {"Bad.jpg", BytesOf("\xFF\xD8 not")}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dir.Write(L"Bad.asz", c.archive);
        EXPECT_THROW(Manager->SetSkinName(L"Bad"), Exception);
        EXPECT_FALSE(SkinLoadInProgress);
        EXPECT_TRUE(Manager->SkinData.SkinActive);
        EXPECT_EQ(Manager->MaskArray.size(), 3u);
        EXPECT_EQ(Manager->GeneralDataArray.size(), 5u);
        EXPECT_EQ(Manager->SkinInfo(), "6.4");
        EXPECT_EQ(Manager->SkinName(), L"Test") << "the name is the shown skin's";
    }
    // A colour change reloads the shown skin by its name and recolours it.
    Manager->SetHueOffset(120);
    EXPECT_EQ(Section("EDIT").Color, 0x00FF00);
}

// The shadows of extended borders are cut from the master; one that is missing gives empty
// shadows and no margins.
TEST_F(SkinManagerTest, AnExtendedBorderOutsideAMissingMasterCostsNothing)
{
    Dir.Write(L"Odd.asz", PackArchive({{"Options.dat", BytesOf("[GLOBALINFO]\r\n"
                                                               "MASTERBITMAP=NONE.BMP\r\n"
                                                               "EXBORDER=@0100@0100@0300@0200@2@0\r\n")}}));
    Manager->SetExtendedBorders(true);
    Load(L"Odd");
    ASSERT_EQ(Manager->MaskArray.size(), 1u);
    EXPECT_TRUE(Manager->MasterBitmap->Empty());
    if (Manager->ExtendedBorders()) {
        EXPECT_EQ(Manager->ShadowMargins, Rect(0, 0, 0, 0));
        ASSERT_TRUE(Manager->ShadowActive);
        EXPECT_EQ(Manager->ShadowActive->Width(), 100);
    }
}

bool Composing()
{
    return true;
}
bool NotComposing()
{
    return false;
}
int Vista()
{
    return 6;
}
bool Layered()
{
    return true;
}
std::span<const uint8_t> Shadows(const wchar_t* name)
{
    static const std::vector<uint8_t> active = ks::test::MakeUniformPng(30, 20, 0, 0, 0, 90);
    static const std::vector<uint8_t> inactive = ks::test::MakeUniformPng(26, 18, 0, 0, 0, 40);
    const std::wstring_view n = name;
    return n == L"acSHDA" ? std::span<const uint8_t>(active)
           : n == L"acSHDI" ? std::span<const uint8_t>(inactive)
                            : std::span<const uint8_t>{};
}

// A skin without an extended-border image of its own takes the engine's embedded shadows, with
// their fixed margins, each a pixel wider while the desktop composes.
TEST_F(SkinManagerTest, WithoutAnExtendedBorderImageTheEmbeddedShadowsAndTheirMarginsAreTaken)
{
    // The unit reads the embedded pictures from the program's resources when it starts.
    InitializeAcPNG();
    const auto resources = std::exchange(ks::Sys().FindFormResource, &Shadows);
    FinalizeSkinManagerUnit();
    InitializeSkinManagerUnit();
    ks::ScopeExit restart{[resources] {
        ks::Sys().FindFormResource = resources;
        FinalizeSkinManagerUnit();
        InitializeSkinManagerUnit();
        FinalizeAcPNG();
    }};
    ASSERT_TRUE(ShadowActiveImage() && ShadowInactiveImage());
    Dir.Write(L"Plain.asz", Archive());
    ks::Sys().LayeredWindowsAvailable = &Layered;
    ks::Sys().CompositionEnabled = &NotComposing;
    Manager->SetExtendedBorders(true);
    Load(L"Plain");
    ASSERT_LT(Manager->CommonIndexes.ExBorderMask, 0);
    EXPECT_EQ(Manager->ShadowMargins, Rect(11, 7, 11, 11));
    ASSERT_TRUE(Manager->ShadowActive && Manager->ShadowInactive);
    EXPECT_EQ(Manager->ShadowActive->Width(), 30);
    EXPECT_EQ(Manager->ShadowInactive->Height(), 18);
    ks::Sys().CompositionEnabled = &Composing;
    ks::Sys().Win32MajorVersion = &Vista;
    Manager->PrepareShadows();
    EXPECT_EQ(Manager->ShadowMargins, Rect(12, 8, 12, 12));
}

TEST_F(SkinManagerTest, CommonSectionsLoseTheirBlanksExceptInCommentsAndReloadTheSkin)
{
    Dir.Write(L"Test.asz", Archive());
    Load(L"Test");
    TStringList lines;
    lines.Add("[MYPANEL]");
    lines.Add("COLOR = 255");
    lines.Add("; keep  this");
    Manager->SetCommonSections(lines);
    EXPECT_EQ(Manager->CommonSections().Strings(1), "COLOR=255");
    EXPECT_EQ(Manager->CommonSections().Strings(2), "; keep  this");
    EXPECT_EQ(Section("MYPANEL").Color, 255);
}

TEST_F(SkinManagerTest, TheDefaultManagerTurnsTheNewestDialogStylesOffWhileItSkinsStandardDialogs)
{
    Dir.Write(L"Test.asz", Archive());
    Load(L"Test");
    EXPECT_FALSE(UseLatestCommonDialogs) << "a load with all rules";
    struct Case {
        const char* name;
        TacSkinningRules rules;
        bool active;
        bool latest;
    };
    // Active changes in every case, from the loaded skin on.
    const Case cases[] = {
        {"all rules, inactive", {srStdForms, srStdDialogs, srThirdParty}, false, true},
        {"no dialogs, active", {srStdForms, srThirdParty}, true, true},
        {"forms only, inactive", {srStdForms}, false, true},
        {"dialogs only, active", {srStdDialogs}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The rules are set while Active is still the previous case's.
        const bool latestBefore = !(c.rules.Contains(srStdDialogs) && Manager->Active());
        UseLatestCommonDialogs = !latestBefore;
        Manager->SetSkinningRules(c.rules);
        EXPECT_EQ(UseLatestCommonDialogs, latestBefore) << "after the rules";
        UseLatestCommonDialogs = !c.latest;
        Manager->SetActive(c.active);
        EXPECT_EQ(Manager->Active(), c.active);
        EXPECT_EQ(UseLatestCommonDialogs, c.latest) << "after the change of Active";
        UseLatestCommonDialogs = !c.latest;
        Manager->SetSkinName(Manager->SkinName());
        EXPECT_EQ(UseLatestCommonDialogs, c.latest) << "after a load";
    }

    TsSkinManager* second = Create<TsSkinManager>(nullptr);
    second->SetSkinningRules({});
    EXPECT_FALSE(UseLatestCommonDialogs) << "only the default manager sets the switch";
    second->Free();
    UseLatestCommonDialogs = true;
}

TEST_F(SkinManagerTest, StartUpReadsTheScrollBarMetricAndTheVersionSwitchInAnyCase)
{
    struct Case {
        const char* name;
        std::vector<std::wstring> args;
        int boxes;
    } const cases[] = {
        {"Lower", {L"/acver"}, 1},
        {"Mixed", {L"x", L"/AcVeR", L"/ACVER"}, 1},
        {"Contained", {L"/acverx", L"x/acver"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gMessages = 0;
        HScrollHeight = -1;
        ks::SetParamsForTesting(c.args);
        InitializeSkinManagerUnit();
        FinalizeSkinManagerUnit();
        EXPECT_EQ(gMessages, c.boxes);
        EXPECT_EQ(HScrollHeight, GetSystemMetrics(SM_CXHSCROLL));
    }
    ks::ResetParamsForTesting();
}

// ---- Option objects and streaming --------------------------------------------------------------

TEST(sStoredSkins, ForeignClassTextsKeepABlankAndFillEmptyOnes)
{
    ThirdPartyList texts;
    TacThirdLists lists;
    texts.SetTextOf(tkButton, " ");
    texts.SetTextOf(tkEdit, "TMyEdit\r\nTOtherEdit");
    CopyForeignClassLists(texts, lists, false);
    ASSERT_EQ(lists[tkButton].Count(), 1);
    EXPECT_EQ(lists[tkButton].Strings(0), " ");
    EXPECT_EQ(lists[tkEdit].Count(), 2);
    EXPECT_EQ(lists[tkEdit].Strings(1), "TOtherEdit");
    EXPECT_EQ(texts.TextOf(tkPanel), " ");

    CopyForeignClassLists(texts, lists, true);
    EXPECT_EQ(lists[tkButton].Strings(0), "TButton");
    EXPECT_EQ(lists[tkEdit].Strings(0), " ");
}

class TSkinTestRoot : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TComponent::TComponent;
};
const ks::ClassInfo TSkinTestRoot::StaticClassInfo{"TSkinTestRoot", &TComponent::StaticClassInfo, {}, {}};

// The common sections stream before the internal skins and the skin's name: they are merged
// into the skin the name loads, and a broken skin on disk still leaves the internal one.
TEST_F(SkinManagerTest, AManagerStreamsFromAFormWithItsCommonSectionsPastABrokenDiskSkin)
{
    RegisterClasses<TsSkinManager>();
    Dir.Write(L"Test.asz", BytesOf("ASzf broken"));
    const std::vector<uint8_t> bytes = Archive();
    const std::string text = "object Root: TSkinTestRoot\n"
                             "  object sSkinManager1: TsSkinManager\n"
                             "    CommonSections.Strings = (\n"
                             "      '[MYPANEL]'\n"
                             "      'COLOR = 255')\n"
                             "    InternalSkins = <\n"
                             "      item\n"
                             "        Name = 'Test (internal)'\n"
                             "        Shadow1Color = clBlack\n"
                             "        Data = {" + ks::test::HexDigits(bytes) + "}\n"
                             "      end>\n"
                             "    SkinDirectory = '" + WideToUTF8(Dir.Path()) + "'\n"
                             "    SkinName = 'Test'\n"
                             "    ThirdParty.ThirdEdits = ' '\n"
                             "    ThirdParty.ThirdButtons = 'TButton'\n"
                             "  end\n"
                             "end\n";
    TSkinTestRoot* root = Create<TSkinTestRoot>(nullptr);
    ReadRootComponent(CompileFormText(text), *root);
    auto* read = dynamic_cast<TsSkinManager*>(root->FindComponent("sSkinManager1"));
    ASSERT_NE(read, nullptr);
    EXPECT_FALSE(read->IsDefault());
    EXPECT_EQ(gMessages, 1);
    EXPECT_TRUE(read->Active());
    EXPECT_EQ(read->SkinName(), L"Test (internal)");
    EXPECT_EQ(read->MaskArray.size(), 3u);
    EXPECT_EQ(read->InternalSkins()->Items(0)->Shadow1Color(), clBlack);
    EXPECT_EQ(read->ThirdLists[tkButton].Strings(0), "TButton");
    EXPECT_EQ(read->ThirdLists[tkEdit].Strings(0), " ");
    const int panel = read->FindSection("MYPANEL");
    ASSERT_GE(panel, 0);
    EXPECT_EQ(read->GeneralDataArray[static_cast<size_t>(panel)].Color, 255);

    // What it writes reads back the same.
    const std::vector<uint8_t> written = WriteRootComponent(*root);
    root->Free();
    TSkinTestRoot* again = Create<TSkinTestRoot>(nullptr);
    ReadRootComponent(written, *again);
    auto* copy = dynamic_cast<TsSkinManager*>(again->FindComponent("sSkinManager1"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->InternalSkins()->Items(0)->Data().Size(), static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(copy->SkinName(), L"Test (internal)");
    EXPECT_GE(copy->FindSection("MYPANEL"), 0);
    again->Free();
}

// What the change events ask for while a load is in progress is carried out once it ends, so
// the manager's name and state always describe the skin it holds.
TEST_F(SkinManagerTest, ChangesAskedForByTheChangeEventsRunWhenTheLoadEnds)
{
    WriteTestAndOther();
    AfterChangeEvents events;
    Manager->SetOnAfterChange(TNotifyEvent(&events, &AfterChangeEvents::AfterChange));

    struct Case {
        const char* name;
        std::function<void(TsSkinManager&)> after;
        std::wstring skin;
        bool active;
        const char* section;
        TColor colour;
    } const cases[] = {
        {"AnotherName", [](TsSkinManager& m) { m.SetSkinName(L"Other"); }, L"Other", true, "EDIT", 65535},
        {"SwitchedOff", [](TsSkinManager& m) { m.SetActive(false); }, L"Test", false, "EDIT", -1},
        {"CommonSections",
         [](TsSkinManager& m) {
             TStringList lines;
             lines.Add("[MYPANEL]");
             lines.Add("COLOR=32768");
             m.SetCommonSections(lines);
         },
         L"Test", true, "MYPANEL", 32768},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        events.after = [](TsSkinManager&) {};
        Manager->SetSkinDirectory(Dir.Path());
        TStringList none;
        Manager->SetCommonSections(none);
        Manager->SetSkinName(L"Test");
        Manager->SetActive(true);
        int calls = 0;
        events.after = [&](TsSkinManager& m) {
            if (calls++ == 0)
                c.after(m);
        };
        Manager->SetSkinName(L"Test");
        events.after = [](TsSkinManager&) {};
        EXPECT_EQ(Manager->SkinName(), c.skin);
        EXPECT_EQ(Manager->Active(), c.active);
        EXPECT_EQ(Manager->SkinData.SkinActive, c.active);
        const int section = Manager->FindSection(c.section);
        EXPECT_EQ(section >= 0 ? Manager->GeneralDataArray[static_cast<size_t>(section)].Color : -1, c.colour);
    }
    // A later colour change reloads the skin that is loaded.
    Manager->SetActive(true);
    Manager->SetSkinName(L"Test");
    events.after = [](TsSkinManager& m) { m.SetSkinName(L"Other"); };
    Manager->SetSkinName(L"Test");
    events.after = [](TsSkinManager&) {};
    Manager->SetSaturation(-100);
    EXPECT_FALSE(Manager->FFromArchive);
    EXPECT_EQ(Manager->FindSection("MENUITEM"), -1);
    Manager->SetOnAfterChange(TNotifyEvent());
}

// A colour change made from the change event runs inside the load that called it: a name set
// after it in the same handler still waits for that load to end.
TEST_F(SkinManagerTest, AColourChangeFromTheChangeEventKeepsTheLoadInProgress)
{
    WriteTestAndOther();
    AfterChangeEvents events;
    Manager->SetSkinDirectory(Dir.Path());
    Manager->SetSkinName(L"Test");
    Manager->SetActive(true);
    Manager->SetOnAfterChange(TNotifyEvent(&events, &AfterChangeEvents::AfterChange));
    const struct Case {
        const char* name;
        void (*change)(TsSkinManager&);
    } cases[] = {
        {"Hue", [](TsSkinManager& m) { m.SetHueOffset(m.HueOffset() == 120 ? 60 : 120); }},
        {"Saturation", [](TsSkinManager& m) { m.SetSaturation(m.Saturation() == -50 ? -20 : -50); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int calls = 0;
        std::wstring nameInHandler;
        events.after = [&](TsSkinManager& m) {
            if (calls++ != 0)
                return;
            c.change(m);
            m.SetSkinName(L"Other");
            nameInHandler = m.SkinName();
        };
        Manager->SetSkinName(L"Test");
        EXPECT_EQ(nameInHandler, L"Test") << "the new name waits";
        EXPECT_EQ(Manager->SkinName(), L"Other") << "and loads once the load has ended";
        EXPECT_FALSE(Manager->FFromArchive);
        events.after = [](TsSkinManager&) {};
        Manager->SetSkinName(L"Test");
    }
    Manager->SetOnAfterChange(TNotifyEvent());
}

// ---- broadcasts and the creation hook ---------------------------------------------------------------

using namespace ks::test;
using Log = std::vector<std::string>;

class SkinManagerBroadcastTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        ks::Sys().MessageBoxW = &CountMessageBox;
        CommandLog().clear();
        Dir.Write(L"Test.asz", Archive());
        Host = MakeForm("Host");
        Other = MakeForm("Other");
        Child = MakeReceiver<TRecGraphic>(Other, Other, "Child");
    }
    void TearDown() override
    {
        FreeAndNil(Other);
        FreeAndNil(Host);
        VclFixture::TearDown();
    }
    // A manager that loads the test skin; the receivers belong to the first one made.
    TsSkinManager* Manager(TComponent* owner = nullptr)
    {
        auto* manager = Create<TsSkinManager>(owner);
        manager->SetSkinDirectory(Dir.Path());
        if (!Host->R.Manager)
            Host->R.Manager = Other->R.Manager = Child->R.Manager = manager;
        return manager;
    }

    TempFolder Dir;
    TRecForm* Host = nullptr;
    TRecForm* Other = nullptr;
    TRecGraphic* Child = nullptr;
};

TEST_F(SkinManagerBroadcastTest, AManagerOnAFormTellsEveryFormAndTakesItsHookAlong)
{
    TsSkinManager* manager = Manager(Host);
    std::vector<bool> locked;
    Child->R.OnCommand = [&](TMessage&) { locked.push_back(PaintLock); };
    manager->SetSkinName(L"Test");
    // New skin, stop fades, refresh: forms last created first, each before its children, all
    // while painting is held.
    EXPECT_EQ(CommandLog(), (Log{"Other:1", "Child:1", "Host:1", "Other:16", "Child:16", "Host:16", "Other:3",
                                 "Child:3", "Host:3"}));
    EXPECT_EQ(locked, (std::vector<bool>{true, true, true}));
    EXPECT_FALSE(PaintLock);
    Child->R.OnCommand = nullptr;
    const HHOOK hook = CreationHook.Handle();
    ASSERT_NE(hook, nullptr);
    manager->SetSkinName(L"Test");
    EXPECT_EQ(CreationHook.Handle(), hook) << "a second new skin keeps the one hook";
    manager->SetActive(false);
    EXPECT_EQ(CreationHook.Handle(), nullptr);
    manager->SetActive(true);
    EXPECT_NE(CreationHook.Handle(), nullptr) << "a new skin after a removal hooks again";

    CommandLog().clear();
    const HHOOK last = CreationHook.Handle();
    manager->Free();
    EXPECT_EQ(CommandLog(), (Log{"Other:2", "Child:2", "Host:2"}));
    EXPECT_EQ(CreationHook.Handle(), nullptr);
    EXPECT_FALSE(HookedWindows);
    EXPECT_FALSE(UnhookWindowsHookEx(last)) << "the hook is gone from the system";
}

// A program without the engine's later units: the core goes without their services.
TEST_F(SkinManagerBroadcastTest, WithoutTheLaterUnitsTheManagerWorksWithoutHookAndMenus)
{
    const ks::SkinServices saved = ks::Services();
    ks::Services() = {};
    TsSkinManager* manager = Manager();
    manager->SetSkinName(L"Test");
    EXPECT_TRUE(manager->SkinData.SkinActive);
    EXPECT_EQ(manager->SkinnableMenus(), nullptr);
    EXPECT_EQ(CreationHook.Handle(), nullptr);
    EXPECT_EQ(SendMessageW(Application->Handle(), 0xBCB3, 0, 0x1234), 1) << "the popup messages are still answered";
    manager->SetSkinnedPopups(false);
    manager->SetSkinnedPopups(true);
    manager->SetActive(false);
    manager->Free();
    ks::Services() = saved;
}

// A colour change that finds other tables on disk tells the controls to look their indexes up
// again; one that finds the same tables only refreshes them.
TEST_F(SkinManagerBroadcastTest, AColourChangeThatSwapsTheTablesIsANewSkin)
{
    TsSkinManager* manager = Manager();
    manager->SetSkinName(L"Test");
    CommandLog().clear();
    manager->SetHueOffset(30);
    EXPECT_EQ(CommandLog(), (Log{"Other:16", "Child:16", "Host:16", "Other:3", "Child:3", "Host:3"}));

    Dir.Write(L"Test.asz", Archive("[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\n[BUTTON]\r\nCOLOR=1\r\n"));
    CommandLog().clear();
    manager->SetHueOffset(60);
    ASSERT_FALSE(CommandLog().empty());
    EXPECT_EQ(CommandLog().front(), "Other:1");
    manager->Free();
}

// The popup-menu adapters the hook made are forgotten just before the hook goes, at every removal.
TEST_F(SkinManagerBroadcastTest, RemovingTheHookForgetsTheMenuWindowsFirst)
{
    static std::vector<bool> hookedWhenForgotten;
    hookedWhenForgotten.clear();
    const ks::SkinServices saved = ks::Services();
    ks::Services().ForgetMenuWindows = []() noexcept { hookedWhenForgotten.push_back(CreationHook.Handle() != nullptr); };
    TsSkinManager* manager = Manager();
    manager->SetSkinName(L"Test");
    EXPECT_TRUE(hookedWhenForgotten.empty());
    manager->SetActive(false);
    EXPECT_EQ(hookedWhenForgotten, std::vector<bool>{true});
    manager->SetActive(true);
    manager->Free();
    EXPECT_EQ(hookedWhenForgotten, (std::vector<bool>{true, true}));
    EXPECT_EQ(CreationHook.Handle(), nullptr);
    ks::Services() = saved;
}

TEST_F(SkinManagerBroadcastTest, ReceiversIgnoreTheSkinChangesOfAnotherManager)
{
    TsSkinManager* first = Manager();
    TsSkinManager* second = Manager();
    second->SetSkinName(L"Test");
    EXPECT_EQ(CommandLog(), (Log{"Other:16", "Child:16", "Host:16"}));
    EXPECT_EQ(CreationHook.Handle(), nullptr) << "only the default manager hooks";
    second->Free();
    first->Free();
}

// The creation hook serves whichever manager is the default: the one it passed from cannot
// remove it, and the process never goes without a default.
TEST_F(SkinManagerBroadcastTest, ANewDefaultKeepsTheCreationHook)
{
    TsSkinManager* first = Manager();
    first->SetSkinName(L"Test");
    const HHOOK hook = CreationHook.Handle();
    ASSERT_NE(hook, nullptr);
    TsSkinManager* second = Manager();
    second->SetSkinName(L"Test");
    EXPECT_FALSE(second->IsDefault());
    second->SetIsDefault(false);
    EXPECT_EQ(DefaultSkinManager, first);

    second->SetIsDefault(true);
    EXPECT_EQ(DefaultSkinManager, second);
    first->SetIsDefault(false);
    EXPECT_EQ(DefaultSkinManager, second);
    first->SetActive(false);
    EXPECT_EQ(CreationHook.Handle(), hook);
    first->Free();
    EXPECT_EQ(CreationHook.Handle(), hook);
    EXPECT_EQ(DefaultSkinManager, second);
    second->Free();
    EXPECT_EQ(CreationHook.Handle(), nullptr);
    EXPECT_EQ(DefaultSkinManager, nullptr);
}

TEST_F(SkinManagerBroadcastTest, ARaisingReceiverLeavesNothingLocked)
{
    TsSkinManager* manager = Manager();
    Child->R.OnCommand = [](TMessage& m) {
        if (ks::SkinCommandView(m).Command() == SKC_REFRESH)
            throw Exception("receiver failed");
    };
    EXPECT_THROW(manager->SetSkinName(L"Test"), Exception);
    EXPECT_FALSE(PaintLock);
    manager->Free();
}

TEST_F(SkinManagerBroadcastTest, TheHotWindowHearsLeaveAndEnterOnlyOnAChange)
{
    TsSkinManager* manager = Manager();
    auto* a = MakeReceiver<TRecPanel>(Host, Host, "A");
    auto* b = MakeReceiver<TRecPanel>(Host, Host, "B");
    const struct {
        HWND wnd;
        Log expected;
    } steps[] = {{a->Handle(), {"A:29"}}, {a->Handle(), {}}, {b->Handle(), {"A:30", "B:29"}}, {nullptr, {"B:30"}}};
    for (const auto& step : steps) {
        CommandLog().clear();
        manager->SetActiveControl(step.wnd);
        EXPECT_EQ(CommandLog(), step.expected);
    }
    manager->Free();
}

// A manager freed from an event of its own load stops there, touching nothing of itself, and
// still takes its skin off every window and gives the default up.
class SkinManagerLifetimeTest : public SkinManagerBroadcastTest {
protected:
    struct Events {
        std::function<void(TsSkinManager&)> before = [](TsSkinManager&) {};
        std::function<void(TsSkinManager&)> after = [](TsSkinManager&) {};
        void Before(TObject* sender) { before(*static_cast<TsSkinManager*>(sender)); }
        void After(TObject* sender) { after(*static_cast<TsSkinManager*>(sender)); }
    };
    static void ReloadWithACommonSection(TsSkinManager& manager)
    {
        TStringList lines;
        lines.Add("[MYPANEL]");
        manager.SetCommonSections(lines);
    }
};

TEST_F(SkinManagerLifetimeTest, AManagerFreedFromItsChangeEventsStopsAndTakesItsSkinOff)
{
    const struct Case {
        const char* name;
        void (*arm)(Events&);
    } cases[] = {
        {"OnBeforeChange", [](Events& e) { e.before = [](TsSkinManager& m) { m.Free(); }; }},
        {"OnAfterChange", [](Events& e) { e.after = [](TsSkinManager& m) { m.Free(); }; }},
        // The second load is one the first one's event asked for, run once the first has ended.
        {"OnAfterChangeOfADeferredLoad",
         [](Events& e) {
             e.after = [loads = 0](TsSkinManager& m) mutable {
                 if (loads++ == 0)
                     ReloadWithACommonSection(m);
                 else
                     m.Free();
             };
         }},
        {"OnBeforeChangeOfADeferredLoad",
         [](Events& e) {
             e.before = [loads = 0](TsSkinManager& m) mutable {
                 if (loads++ == 1)
                     m.Free();
             };
             e.after = [loads = 0](TsSkinManager& m) mutable {
                 if (loads++ == 0)
                     ReloadWithACommonSection(m);
             };
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ks::test::AccessViolations faults;
        TsSkinManager* manager = Manager();
        manager->SetSkinName(L"Test");
        ASSERT_FALSE(UseLatestCommonDialogs);
        Events events;
        manager->SetOnBeforeChange(TNotifyEvent(&events, &Events::Before));
        manager->SetOnAfterChange(TNotifyEvent(&events, &Events::After));
        c.arm(events);
        CommandLog().clear();
        manager->SetSkinName(L"Test");
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_TRUE(ks::test::HeapsIntact()) << "nothing written into the freed manager";
        EXPECT_EQ(DefaultSkinManager, nullptr);
        EXPECT_EQ(CreationHook.Handle(), nullptr);
        EXPECT_TRUE(UseLatestCommonDialogs) << "the skin went with its manager";
        ASSERT_FALSE(CommandLog().empty());
        EXPECT_EQ(CommandLog().back(), "Host:2") << "the last word the windows heard was the removal";
        Host->R.Manager = Other->R.Manager = Child->R.Manager = nullptr;
    }
}

} // namespace

// A window told of a skin change may run application code that frees the manager: the
// broadcast then ends, and the last thing every window heard is the freed manager's removal.
TEST_F(SkinManagerLifetimeTest, AManagerFreedByAWindowItTellsEndsItsBroadcastThere)
{
    const struct Case {
        const char* name;
        bool windowless;
        int command;
        bool removal;
        Log expected;
    } cases[] = {
        {"NewSkinToAForm", false, 1, false, {"Other:1", "Other:2", "Child:2", "Next:2", "Host:2"}},
        {"NewSkinToAWindowlessControl", true, 1, false,
         {"Other:1", "Child:1", "Other:2", "Child:2", "Next:2", "Host:2"}},
        {"StopFadeToAForm", false, 16, false,
         {"Other:1", "Child:1", "Next:1", "Host:1", "Other:16", "Other:2", "Child:2", "Next:2", "Host:2"}},
        {"RefreshToAWindowlessControl", true, 3, false,
         {"Other:1", "Child:1", "Next:1", "Host:1", "Other:16", "Child:16", "Next:16", "Host:16", "Other:3", "Child:3",
          "Other:2", "Child:2", "Next:2", "Host:2"}},
        {"RemovalToAForm", false, 2, true, {"Other:2", "Child:2", "Next:2", "Host:2"}},
        {"RemovalToAWindowlessControl", true, 2, true, {"Other:2", "Child:2", "Next:2", "Host:2"}},
    };
    // A sibling after the windowless control that frees the manager: the walk of the form's
    // controls must end there too.
    TRecGraphic* next = MakeReceiver<TRecGraphic>(Other, Other, "Next");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ks::test::AccessViolations faults;
        TsSkinManager* manager = Manager();
        next->R.Manager = manager;
        manager->SetSkinName(L"Test");
        ks::test::Receiver& freer = c.windowless ? Child->R : Other->R;
        freer.OnCommand = [&, freed = false](TMessage& m) mutable {
            if (!freed && ks::SkinCommandView(m).Command() == c.command) {
                freed = true;
                manager->Free();
            }
        };
        CommandLog().clear();
        if (c.removal)
            manager->SetActive(false);
        else
            manager->SetSkinName(L"Test");
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_TRUE(ks::test::HeapsIntact()) << "nothing written into the freed manager";
        EXPECT_EQ(CommandLog(), c.expected);
        EXPECT_EQ(DefaultSkinManager, nullptr);
        EXPECT_EQ(CreationHook.Handle(), nullptr);
        EXPECT_FALSE(PaintLock);
        freer.OnCommand = nullptr;
        Host->R.Manager = Other->R.Manager = Child->R.Manager = next->R.Manager = nullptr;
    }
}
