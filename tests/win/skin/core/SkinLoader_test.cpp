#include "skin/core/SkinLoader.h"

#include "host/support/ImageBuilders.h"
#include "host/support/SmallPng.h"
#include "skin/core/SkinLookups.h"
#include "skin/core/acSkinPack.h"
#include "skin/core/sStoredSkins.h"
#include "skin/images/acPNG.h"
#include "vcl/Bitmap.h"
#include "vcl/IniFiles.h"
#include "vcl/Jpeg.h"
#include "vcl/SysUtils.h"
#include "win/skin/core/SkinTestFiles.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <array>

#include <cstring>

namespace {

using ks::test::Bmp24;
using ks::test::BytesOf;
using ks::test::PackArchive;
using ks::test::TempFolder;
using Entries = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

std::vector<uint8_t> Grey(int width, int height)
{
    return Bmp24(width, height, [](int, int) { return 0x808080; });
}

// An options text read by itself, or from an archive as a packed skin's loader reads it.
struct Source {
    explicit Source(std::string_view options, Entries items = {})
    {
        items.insert(items.begin(), {"Options.dat", BytesOf(options)});
        const std::vector<uint8_t> bytes = PackArchive(items);
        Packed.WriteBuffer(bytes.data(), bytes.size());
        Archive.SetPackedData(&Packed);
        Archive.ExtractPackedEntries();
        Ini.SetText(options);
    }
    ~Source() { Archive.SetPackedData(nullptr); }

    TsSkinSource FromArchive() const { return {&Ini, &Archive, nullptr, &ks::GdiSkinPlatform()}; }
    TsSkinSource FromFolder() const { return {&Ini, nullptr, nullptr, &ks::GdiSkinPlatform()}; }

    TMemoryStream Packed;
    TacSkinConvertor Archive;
    TMemIniFile Ini;
};

void ReadAll(const TsSkinSource& source, const TsSkinSettings& settings, TsLoadedSkin& skin)
{
    ReadSkinImages(source, settings, skin);
    ReadSkinPatterns(source, settings, skin);
    ReadSectionData(source, settings, skin);
}

int PatternIndex(const TsLoadedSkin& skin, std::string_view section, std::string_view key)
{
    for (size_t i = 0; i < skin.Patterns.size(); ++i)
        if (skin.Patterns[i].SectionName == section && skin.Patterns[i].PropertyName == key)
            return static_cast<int>(i);
    return -1;
}

class SkinLoaderTest : public VclFixture {};

// A picture of fewer than 90000 pixels is painted as a texture image; from 90000 on it stays a
// pattern. Archive items are found by their upper-cased name equal to the whole upper-cased value.
TEST_F(SkinLoaderTest, PatternsBelowTheThresholdBecomeTextureImages)
{
    struct Case {
        const char* section;
        const char* value;
        const char* item;
        int width, height;
        bool pattern, texture;
    } const cases[] = {
        {"JUSTBELOW", "P1.JPG", "P1.JPG", 299, 300, false, true},
        {"ATTHRESHOLD", "P2.JPG", "P2.JPG", 300, 300, true, false},
        {"PANEL", "tile.jpg", "Tile.JPG", 200, 100, false, true},
        {"LARGEJPEG", "Wide.jpeg", "WIDE.JPEG", 400, 300, true, false},
        {"MORETHANANAME", "tile.jpg 5", nullptr, 0, 0, false, false},
        {"NOTAPICTURE", "tile.png", nullptr, 0, 0, false, false},
    };
    std::string options;
    Entries items;
    for (const Case& c : cases) {
        options += std::string("[") + c.section + "]\r\nPATTERN=" + c.value + "\r\n";
        if (c.item)
            items.push_back({c.item, c.width ? ks::test::MakeJpeg(c.width, c.height, 0x336699) : BytesOf("\xFF\xD8 not")});
    }
    const Source source(options, items);
    TsLoadedSkin skin;
    ReadSkinPatterns(source.FromArchive(), {}, skin);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        const int pattern = PatternIndex(skin, c.section, "PATTERN");
        const int texture = FindMaskOwnOnlyIn(skin.Masks, c.section, "PATTERN");
        ASSERT_EQ(pattern >= 0, c.pattern);
        ASSERT_EQ(texture >= 0, c.texture);
        if (c.pattern) {
            EXPECT_EQ(skin.Patterns[static_cast<size_t>(pattern)].Img->Width(), c.width);
        }
        if (c.texture) {
            const TsMaskData& m = skin.Masks[static_cast<size_t>(texture)];
            EXPECT_EQ(m.ImgType, itisaTexture);
            EXPECT_EQ(m.ImageCount, 1);
            ASSERT_TRUE(m.Bmp);
            EXPECT_EQ(m.Bmp->Width(), c.width);
            EXPECT_EQ(m.Bmp->Height(), c.height);
        }
    }
}

TEST_F(SkinLoaderTest, ImagesOfAFolderSkinAreFilesBesideTheOptions)
{
    TempFolder dir;
    dir.Write(L"MASTER.BMP", Grey(24, 8));
    dir.Write(L"BTN.BMP", Grey(18, 12));
    dir.Write(L"TILE.JPG", ks::test::MakeJpeg(300, 300, 0x336699));
    const Source source("[GLOBALINFO]\r\nMASTERBITMAP=MASTER.BMP\r\n"
                        "[BUTTON]\r\nBORDERSMASK=!BTN.BMP!3!1!0\r\nPATTERN=tile.jpg\r\nGLYPH=!NONE.BMP!1!0!0\r\n");
    TsLoadedSkin skin;
    skin.Data.SkinPath = dir.Path() + L"\\";
    ReadSkinImages(source.FromFolder(), {}, skin);
    ReadSkinPatterns(source.FromFolder(), {}, skin);
    ASSERT_TRUE(skin.Master);
    EXPECT_EQ(skin.Master->Width(), 24);
    ASSERT_EQ(skin.Masks.size(), 1u);
    EXPECT_EQ(skin.Masks[0].R, Rect(0, 0, 18, 12));
    EXPECT_EQ(PatternIndex(skin, "BUTTON", "PATTERN"), 0);
}

// Stored the older way: no options text, the collections copied as they are, the global values
// the stored skin does not hold at their defaults rather than the previous skin's.
TEST_F(SkinLoaderTest, AStoredSkinIsReadFromItsCollections)
{
    TsStoredSkins skins(nullptr);
    auto* stored = static_cast<TsStoredSkin*>(skins.Add());
    stored->SetVersion(6.5);
    stored->SetShadow1Blur(3);
    stored->SetBorderColor(0x123456);
    stored->MasterBitmap()->LoadFromBytes(Grey(24, 8));
    auto* edit = static_cast<TsSkinGeneral*>(stored->GeneralData()->Add());
    edit->SetSectionName("EDIT");
    edit->SetColor(255);
    edit->SetFontColor("1 2 3 4 5");
    edit->SetHotFontColor("1 2");
    edit->SetTransparency(150);
    edit->SetHotTransparency(-5);
    edit->SetGradientData("");
    auto* own = static_cast<TsSkinImage*>(stored->Images()->Add());
    TBitmap picture;
    picture.LoadFromBytes(Grey(30, 18));
    own->SetImage(&picture);
    own->SetName("IMG");
    own->SetSectionName("edit");
    own->SetPropertyName("bordersmask");
    auto* rect = static_cast<TsSkinImage*>(stored->Images()->Add());
    rect->SetSectionName("EDIT");
    rect->SetPropertyName("GLYPH");
    rect->SetLeft(2);
    rect->SetTop(4);
    rect->SetRight(14);
    rect->SetBottom(10);
    rect->SetImageCount(2);
    rect->SetBorderWidth(5);
    TJPEGImage wood;
    wood.LoadFromBytes(ks::test::MakeJpeg(10, 10, 0x336699));
    const struct {
        const char* name;
        const char* section;
        bool image;
    } patterns[] = {{"WOOD", "panel", true}, {"WOOD", "form", false}, {"NONE", "bar", false}};
    for (const auto& p : patterns) {
        auto* item = static_cast<TsSkinPattern*>(stored->Patterns()->Add());
        item->SetName(p.name);
        item->SetSectionName(p.section);
        item->SetPropertyName("pattern");
        if (p.image)
            item->SetImage(&wood);
    }

    TsLoadedSkin skin;
    skin.Data.BorderWidth = 99;
    skin.Data.TitleHeight = 77;
    skin.Data.BIKeepHue = 2;
    skin.Data.FormOffset = 1;
    ReadAll({nullptr, nullptr, stored, &ks::GdiSkinPlatform()}, {}, skin);

    EXPECT_EQ(skin.Data.Version, 6.5);
    EXPECT_EQ(skin.Data.Shadow1Blur, 3);
    EXPECT_EQ(skin.Data.BorderColor, 0x123456);
    EXPECT_EQ(skin.Data.BorderWidth, 4);
    EXPECT_EQ(skin.Data.TitleHeight, 30);
    EXPECT_EQ(skin.Data.MaxHeight, 30);
    EXPECT_EQ(skin.Data.FormOffset, 8);
    EXPECT_EQ(skin.Data.BIKeepHue, 0);

    ASSERT_EQ(skin.Sections.size(), 1u);
    const TsGeneralData& s = skin.Sections[0];
    EXPECT_EQ(s.Color, 255);
    EXPECT_EQ(s.FontColor, (TsFontColors{1, 2, 3, 4, 5}));
    EXPECT_EQ(s.HotFontColor, (TsFontColors{0, -1, -1, -1, -1}));
    EXPECT_EQ(s.Transparency, 100);
    EXPECT_EQ(s.HotTransparency, 0);
    EXPECT_EQ(s.BorderIndex, 0);

    ASSERT_TRUE(skin.Master);
    EXPECT_EQ(skin.Master->Width(), 24);
    EXPECT_EQ(skin.Master->PixelFormat(), pf24bit);
    ASSERT_EQ(skin.Masks.size(), 2u);
    const TsMaskData& a = skin.Masks[0];
    EXPECT_EQ(a.SectionName, "EDIT");
    EXPECT_EQ(a.PropertyName, "BORDERSMASK");
    ASSERT_TRUE(a.Bmp);
    EXPECT_EQ(a.Bmp->PixelFormat(), pf24bit);
    EXPECT_EQ(a.R, Rect(0, 0, 30, 18));
    // A stored count of 0 means three cells over a picture and a mask row.
    EXPECT_EQ(a.ImageCount, 3);
    EXPECT_EQ(a.MaskType, 1);
    EXPECT_EQ(a.WL, 3);
    EXPECT_EQ(a.WT, 3);
    const TsMaskData& b = skin.Masks[1];
    EXPECT_FALSE(b.Bmp);
    EXPECT_EQ(b.R, Rect(2, 4, 14, 10));
    EXPECT_EQ(b.WL, 5);

    ASSERT_EQ(skin.Patterns.size(), 3u);
    EXPECT_EQ(skin.Patterns[0].SectionName, "PANEL");
    EXPECT_EQ(skin.Patterns[0].PropertyName, "PATTERN");
    EXPECT_EQ(skin.Patterns[1].Img->Width(), 10) << "an empty image borrows its namesake's";
    EXPECT_TRUE(skin.Patterns[2].Img->Empty());
}

// The common sections add grouped rectangles of the master and bitmap files from the skin's
// folder (never archive items, never GLOBALINFO's), and JPEG files of any size as patterns.
TEST_F(SkinLoaderTest, CommonSectionsAddImagesAndPatternsFromTheFolder)
{
    TempFolder dir;
    dir.Write(L"EXTRA.BMP", Grey(12, 6));
    dir.Write(L"SMALL.JPG", ks::test::MakeJpeg(10, 10, 0x336699));
    const Source source("[GLOBALINFO]\r\nMASTERBITMAP=MASTER.BMP\r\n",
                        {{"MASTER.BMP", Grey(24, 8)}, {"PACKED.BMP", Grey(12, 6)}});
    TStringList common;
    for (const char* line : {"[MYPANEL]", "FRAME=#A (0,0,12,6) (3,1)", "PIC=EXTRA.BMP", "PACKED=PACKED.BMP",
                             "TILE=small.jpg", "[GLOBALINFO]", "SKIP=EXTRA.BMP", "TILE=SMALL.JPG"})
        common.Add(line);
    TsLoadedSkin skin;
    skin.Data.SkinPath = dir.Path() + L"\\";
    ReadAll(source.FromArchive(), {&common}, skin);

    ASSERT_EQ(skin.Masks.size(), 2u);
    const int frame = FindMaskOwnOnlyIn(skin.Masks, "MYPANEL", "FRAME");
    ASSERT_GE(frame, 0);
    EXPECT_EQ(skin.Masks[static_cast<size_t>(frame)].R, Rect(0, 0, 12, 6));
    EXPECT_EQ(skin.Masks[static_cast<size_t>(frame)].ImageCount, 3);
    const int pic = FindMaskOwnOnlyIn(skin.Masks, "MYPANEL", "PIC");
    ASSERT_GE(pic, 0);
    ASSERT_TRUE(skin.Masks[static_cast<size_t>(pic)].Bmp);
    EXPECT_EQ(skin.Masks[static_cast<size_t>(pic)].Bmp->Width(), 12);
    EXPECT_EQ(skin.Masks[static_cast<size_t>(pic)].Bmp->PixelFormat(), pf24bit);

    EXPECT_EQ(skin.Patterns.size(), 2u);
    EXPECT_GE(PatternIndex(skin, "MYPANEL", "TILE"), 0);
    EXPECT_GE(PatternIndex(skin, "GLOBALINFO", "TILE"), 0);
    EXPECT_GE(FindSectionIn(skin.Sections, "MYPANEL"), 0);
}

// A 32-bit PNG keeps its alpha, and its fully transparent white pixels become all zero.
TEST_F(SkinLoaderTest, AnOwnPngImageKeepsItsAlphaWithoutTransparentWhite)
{
    InitializeAcPNG();
    const std::vector<uint8_t> png = ks::test::MakeSmallPng(
        2, 2, 6, {255, 255, 255, 0, 255, 255, 255, 255, 10, 20, 30, 0, 1, 2, 3, 128});
    const Source source("[CHECKBOX]\r\nGLYPH=!GLYPH.PNG!1!0!4\r\n", {{"GLYPH.PNG", png}});
    TsLoadedSkin skin;
    ReadSkinImages(source.FromArchive(), {}, skin);
    ASSERT_EQ(skin.Masks.size(), 1u);
    TsMaskData& m = skin.Masks[0];
    EXPECT_EQ(m.ImgType, itisaPngGlyph);
    EXPECT_EQ(m.R, Rect(0, 0, 2, 2));
    ASSERT_TRUE(m.Bmp);
    ASSERT_EQ(m.Bmp->PixelFormat(), pf32bit);
    const uint8_t expected[2][8] = {{0, 0, 0, 0, 255, 255, 255, 255}, {30, 20, 10, 0, 3, 2, 1, 128}};
    for (int y = 0; y < 2; ++y)
        EXPECT_EQ(std::memcmp(m.Bmp->ScanLine(y), expected[y], 8), 0) << "row " << y;
    FinalizeAcPNG();
}

// Skins carry values that name no image they have: the skin loses only that image and keeps
// the rest. A picture that is there but that its decoder refuses stops the load, from the
// archive or from a folder, whatever names it.
TEST_F(SkinLoaderTest, AMissingImageCostsOnlyThatImageAndARefusedPictureStopsTheLoad)
{
    struct Case {
        const char* name;
        const char* options;
        Entries items;
        bool stops;
    } const cases[] = {
        {"DescriptionWithAHash", "[GLOBALINFO]\r\nDESCRIPTION=Skin #2\r\n", {}, false},
        {"MissingOwnImageWithOddNumbers", "[A]\r\nBORDERSMASK=!GONE.BMP!x!1\r\n", {}, false},
        {"MissingPattern", "[A]\r\nPATTERN=GONE.JPG\r\n", {}, false},
        {"OwnBitmapTheDecoderRefuses", "[A]\r\nBORDERSMASK=!BAD.BMP!1!0!0\r\n", {{"BAD.BMP", BytesOf("BM broken")}}, true},
        {"BitmapFileTheDecoderRefuses", "[A]\r\nBORDERSMASK=BAD.BMP\r\n", {{"BAD.BMP", BytesOf("BM broken")}}, true},
        {"PngTheDecoderRefuses", "[A]\r\nGLYPH=!BAD.PNG!1!0!4\r\n", {{"BAD.PNG", BytesOf("\x89PNG broken")}}, true},
        {"MasterTheDecoderRefuses", "[GLOBALINFO]\r\nMASTERBITMAP=BAD.BMP\r\n", {{"BAD.BMP", BytesOf("BM broken")}}, true},
        {"PatternTheDecoderRefuses", "[A]\r\nPATTERN=BAD.JPG\r\n", {{"BAD.JPG", BytesOf("\xFF\xD8 not")}}, true},
    };
    InitializeAcPNG();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Entries items = c.items;
        items.push_back({"GOOD.BMP", Grey(9, 6)});
        const std::string options = std::string(c.options) + "[KEPT]\r\nBORDERSMASK=!GOOD.BMP!1!0!0\r\n";
        const Source source(options, items);
        TsLoadedSkin skin;
        if (c.stops) {
            EXPECT_THROW(ReadAll(source.FromArchive(), {}, skin), Exception);
            TempFolder dir;
            for (const auto& item : c.items)
                dir.Write(item.first, item.second);
            TsLoadedSkin fromFolder;
            fromFolder.Data.SkinPath = dir.Path() + L"\\";
            EXPECT_THROW(ReadAll(source.FromFolder(), {}, fromFolder), Exception) << "from a folder";
            continue;
        }
        ASSERT_NO_THROW(ReadAll(source.FromArchive(), {}, skin));
        ASSERT_EQ(skin.Masks.size(), 1u);
        EXPECT_EQ(skin.Masks[0].SectionName, "KEPT");
        EXPECT_EQ(skin.Sections.size(), 2u);
    }
    FinalizeAcPNG();
    // A picture that is there still needs its numbers.
    const Source odd("[A]\r\nBORDERSMASK=!GOOD.BMP!x!0!0\r\n", {{"GOOD.BMP", Grey(9, 6)}});
    TsLoadedSkin skin;
    EXPECT_THROW(ReadSkinImages(odd.FromArchive(), {}, skin), EConvertError);
}

// Colours that may still be system colours are resolved before they are desaturated, as they
// are before their hue turns; a saturation of -100 leaves the channels' average.
TEST_F(SkinLoaderTest, SaturationResolvesSystemColoursFirst)
{
    const Source source("[GLOBALINFO]\r\nSHADOW1COLOR=-16777203\r\n[EDIT]\r\nHOTCOLOR=-16777203\r\nCOLOR=-16777203\r\n");
    TsLoadedSkin skin;
    ReadSectionData(source.FromFolder(), {nullptr, nullptr, 0, -100}, skin);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const int sum = GetRValue(highlight) + GetGValue(highlight) + GetBValue(highlight);
    const int average = (2 * sum + 3) / 6;
    const TColor grey = RGB(average, average, average);
    ASSERT_EQ(skin.Sections.size(), 2u);
    EXPECT_EQ(skin.Sections[1].HotColor, grey);
    EXPECT_EQ(skin.Sections[1].Color, grey);
    EXPECT_EQ(skin.Data.Shadow1Color, grey);
}

// A hue offset turns every image but the title icons the skin keeps: none for BIKEEPHUE 0, the
// close icons for any other value, all of them for 1. A kept icon in the master bitmap keeps its
// rectangle there; one with its own bitmap, and its glow, keep their bitmaps.
TEST_F(SkinLoaderTest, AHueOffsetSparesTheTitleIconsTheSkinKeeps)
{
    const auto red = [](int, int) { return 0x0000C0; };
    const Entries pictures = {{"Master.bmp", Bmp24(40, 12, red)}, {"Max.bmp", Bmp24(6, 3, red)},
                              {"Glow.bmp", Bmp24(6, 3, red)}, {"Other.bmp", Bmp24(6, 3, red)}};
    const struct Case {
        const char* name;
        const char* keep;
        bool closeKept, maxKept;
    } cases[] = {{"None", "0", false, false}, {"All", "1", true, true}, {"CloseOnly", "2", true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string options = std::string("[GLOBALINFO]\r\nMASTERBITMAP=MASTER.BMP\r\nBIKEEPHUE=") + c.keep +
                                    "\r\nBICONCLOSE=@0002@0002@0010@0010@1@0\r\nBICONMAX=!MAX.BMP!1!0!0\r\n"
                                    "BICONMAXGLOW0=!GLOW.BMP!1!0!0\r\n[BUTTON]\r\nBORDERSMASK=!OTHER.BMP!1!0!0\r\n";
        const Source source(options, pictures);
        TsLoadedSkin skin;
        ReadAll(source.FromArchive(), {nullptr, nullptr, 120, 0}, skin);
        ASSERT_TRUE(skin.Master);
        ASSERT_EQ(skin.Masks.size(), 4u);
        const auto isRed = [](TBitmap& bmp, int x, int y) {
            const uint8_t* p = bmp.ScanLine(y) + 3 * x;
            return p[0] == 0 && p[1] == 0 && p[2] == 0xC0;
        };
        EXPECT_EQ(isRed(*skin.Master, 5, 5), c.closeKept) << "inside the close icon";
        EXPECT_FALSE(isRed(*skin.Master, 1, 1)) << "beside it";
        EXPECT_FALSE(isRed(*skin.Master, 20, 5));
        EXPECT_EQ(isRed(*skin.Masks[1].Bmp, 1, 1), c.maxKept) << "the maximise icon";
        EXPECT_EQ(isRed(*skin.Masks[2].Bmp, 1, 1), c.maxKept) << "its glow";
        EXPECT_FALSE(isRed(*skin.Masks[3].Bmp, 1, 1)) << "another image";
    }
}

// A picture that a kept icon and other images both name keeps its hue for the icon only, with
// BIKEEPHUE set to keep the icons or just the close ones.
TEST_F(SkinLoaderTest, AHueOffsetTurnsThePictureAKeptIconSharesWithOtherImages)
{
    const auto red = [](int, int) { return 0x0000C0; };
    for (const char* keep : {"1", "2"}) {
        SCOPED_TRACE(keep);
        const std::string options = std::string("[GLOBALINFO]\r\nBIKEEPHUE=") + keep +
                                    "\r\nBICONCLOSE=!RED.BMP!1!0!0\r\nBICONCLOSEGLOW0=!GLOW.BMP!1!0!0\r\n"
                                    "[BUTTON]\r\nBORDERSMASK=!RED.BMP!1!0!0\r\nGLYPHMASK=!GLOW.BMP!1!0!0\r\n";
        const Source source(options, {{"Red.bmp", Bmp24(6, 3, red)}, {"Glow.bmp", Bmp24(6, 3, red)}});
        TsLoadedSkin skin;
        ReadAll(source.FromArchive(), {nullptr, nullptr, 120, 0}, skin);
        ASSERT_EQ(skin.Masks.size(), 4u);
        const auto isRed = [](TBitmap& bmp) {
            const uint8_t* p = bmp.ScanLine(1) + 3;
            return p[0] == 0 && p[1] == 0 && p[2] == 0xC0;
        };
        EXPECT_TRUE(isRed(*skin.Masks[0].Bmp)) << "the close icon";
        EXPECT_TRUE(isRed(*skin.Masks[1].Bmp)) << "its glow";
        EXPECT_FALSE(isRed(*skin.Masks[2].Bmp)) << "the button's border";
        EXPECT_FALSE(isRed(*skin.Masks[3].Bmp)) << "the button's glyph";
    }
}

// A picture is decoded once however many keys name it, and their images share its bitmap: a
// hue change turns it once. The load's budget counts decoded pictures and their pixels; the
// picture that passes either stops the load. Each load counts from its images on.
TEST_F(SkinLoaderTest, PicturesPastTheLoadsBudgetStopTheLoad)
{
    const auto grey = [](int, int) { return 0x808080; };
    const Source source("[A]\r\nK1=!ONE.BMP!1!0!0\r\nK2=!ONE.BMP!1!0!0\r\nK3=!ONE.BMP!1!0!0\r\n"
                        "K4=!TWO.BMP!1!0!0\r\n[B]\r\nPATTERN=TILE.JPG\r\n",
                        {{"One.bmp", Bmp24(10, 10, grey)}, {"Two.bmp", Bmp24(5, 2, grey)},
                         {"Tile.jpg", ks::test::MakeJpeg(10, 10, 0x336699)}});
    const struct Case {
        const char* name;
        uint64_t pixels, pictures;
        ks::SkinLoadError imagesStop, patternsStop;
    } cases[] = {
        // 100 + 10 pixels of images in two pictures; the JPEG and the texture made of it, 100 each.
        {"EverythingFits", 310, 4, ks::SkinLoadError::None, ks::SkinLoadError::None},
        {"TheJpegPassesThePixels", 209, 4, ks::SkinLoadError::None, ks::SkinLoadError::TooManyPixels},
        {"TheTexturePassesThePixels", 309, 4, ks::SkinLoadError::None, ks::SkinLoadError::TooManyPixels},
        {"TheSecondPicturePassesThePixels", 109, 4, ks::SkinLoadError::TooManyPixels, ks::SkinLoadError::None},
        {"TheTextureIsOnePictureTooMany", 310, 3, ks::SkinLoadError::None, ks::SkinLoadError::TooManyPictures},
        {"TheSecondPictureIsOneTooMany", 310, 1, ks::SkinLoadError::TooManyPictures, ks::SkinLoadError::None},
    };
    const auto stopsFor = [](auto read) {
        try {
            read();
        } catch (const EInvalidGraphic& e) {
            return static_cast<ks::SkinLoadError>(e.Reason());
        }
        return ks::SkinLoadError::None;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TsSkinSource from = source.FromArchive();
        from.MaxPicturePixels = c.pixels;
        from.MaxPictures = c.pictures;
        TsLoadedSkin skin;
        EXPECT_EQ(stopsFor([&] { ReadSkinImages(from, {}, skin); }), c.imagesStop);
        if (c.imagesStop != ks::SkinLoadError::None)
            continue;
        ASSERT_EQ(skin.Masks.size(), 4u);
        EXPECT_EQ(skin.Pictures, 2u);
        EXPECT_EQ(skin.Masks[0].Bmp, skin.Masks[2].Bmp) << "one bitmap for the three keys";
        EXPECT_NE(skin.Masks[0].Bmp, skin.Masks[3].Bmp);
        EXPECT_EQ(stopsFor([&] { ReadSkinPatterns(from, {}, skin); }), c.patternsStop);
        if (c.patternsStop != ks::SkinLoadError::None)
            continue;
        EXPECT_EQ(skin.Masks.size(), 5u);
        EXPECT_NO_THROW(ReadSkinImages(from, {}, skin)) << "a new load starts its count again";
    }

    // A shared picture takes a hue change once: grey stays, so the test picture is red.
    const Source red("[A]\r\nK1=!ONE.BMP!1!0!0\r\nK2=!ONE.BMP!1!0!0\r\n",
                     {{"One.bmp", Bmp24(4, 4, [](int, int) { return 0x0000FF; })}});
    TsLoadedSkin skin;
    ReadAll(red.FromArchive(), {nullptr, nullptr, 120, 0}, skin);
    ASSERT_EQ(skin.Masks.size(), 2u);
    const uint8_t* p = skin.Masks[0].Bmp->ScanLine(0);
    EXPECT_EQ((std::array<int, 3>{p[0], p[1], p[2]}), (std::array<int, 3>{0, 0xFF, 0})) << "red turned green, once";
}

} // namespace
