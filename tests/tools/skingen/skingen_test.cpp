#include "tools/skingen/ArtFile.h"
#include "tools/skingen/ImageWriters.h"
#include "tools/skingen/SkinGenerator.h"

#include "Terminal4bitManifest.h"
#include "skin/core/SkinImageValues.h"
#include "skin/core/sSkinOptions.h"
#include "vcl/BmpReader.h"
#include "vcl/IcoReader.h"
#include "vcl/IniFiles.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <tuple>

using namespace ks::skingen;
namespace manifest = ks::terminal4bit;

namespace {

const std::filesystem::path Output = KS_SKINGEN_OUTPUT;

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TextValue {
    std::string Section, Key, Value;
};

std::vector<TextValue> ImageValuesOf(const std::string& text)
{
    TMemIniFile ini;
    ini.SetText(text);
    std::vector<TextValue> values;
    for (int s = 0; s < ini.SectionCount(); ++s)
        for (const ks::IniEntry& e : ini.EntriesAt(s))
            if (!e.Value.empty() && std::string_view("@^~!").find(e.Value[0]) != std::string_view::npos)
                values.push_back({std::string(ini.SectionAt(s)), std::string(e.Key), std::string(e.Value)});
    return values;
}

const manifest::SheetEntry& SheetNamed(std::string_view name)
{
    for (const auto& s : manifest::Sheets)
        if (UpperCaseAscii(s.Name) == UpperCaseAscii(name))
            return s;
    throw std::runtime_error("no sheet " + std::string(name));
}

std::optional<RgbaImage> DecodePng(const std::vector<uint8_t>& bytes)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return std::nullopt;
    image.format = PNG_FORMAT_RGBA;
    RgbaImage out(static_cast<int>(image.width), static_cast<int>(image.height));
    if (!png_image_finish_read(&image, nullptr, out.Pixels.data(), 0, nullptr))
        return std::nullopt;
    return out;
}

} // namespace

TEST(Terminal4bit, OptionsBeginWithGlobalInfoAndCarryTheGlobalValues)
{
    const std::string text = ReadText(Output / "Terminal4bit" / "Options.dat");
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "[GLOBALINFO]");

    TMemIniFile ini;
    ini.SetText(text);
    TsSkinData data;
    ReadSkinGlobals(ini, data);
    EXPECT_DOUBLE_EQ(data.Version, 6.4);
    EXPECT_EQ(data.Shadow1Blur, 10);
    EXPECT_EQ(data.BILeft, 2);
    EXPECT_EQ(ini.ReadString("GLOBALINFO", "MASTERBITMAP", ""), "MASTER.BMP");
}

// Read as the engine reads them: 70 values in text order, 27 glyphs, 37 border masks, 5 textures
// and 1 own image, each giving its manifest record and lying within its bitmap in whole cells.
TEST(Terminal4bit, EveryImageValueReadsBackInsideItsBitmapInWholeCells)
{
    const std::vector<TextValue> values = ImageValuesOf(ReadText(Output / "Terminal4bit" / "Options.dat"));
    ASSERT_EQ(values.size(), std::size(manifest::Images));
    int counts[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < values.size(); ++i) {
        const manifest::ImageEntry& m = manifest::Images[i];
        SCOPED_TRACE(values[i].Section + "." + values[i].Key + "=" + values[i].Value);
        EXPECT_EQ(values[i].Section + "." + values[i].Key, std::string(m.Section) + "." + m.Key);
        ASSERT_EQ(values[i].Value[0], m.Form);
        ++counts[std::string_view("@^~!").find(m.Form)];
        const TsImageValue v = ParseImageValue(values[i].Value);
        TsMaskData mask = MaskFromImageValue(v, m.Section, m.Key);
        int width = 0, height = 0;
        if (m.Form == '!') {
            ASSERT_EQ(v.Form, TsImageForm::OwnImage);
            const manifest::SheetEntry& sheet = SheetNamed(v.FileName);
            EXPECT_EQ(v.FileName, UpperCaseAscii(sheet.Name)) << "archive names match upper-cased";
            width = sheet.Width;
            height = sheet.Height;
            // An own image's numbers are read once its picture is found.
            ApplyOwnImageLayout(mask, v, width, height);
            EXPECT_EQ(static_cast<int>(mask.ImgType), m.TypeCode);
        } else {
            EXPECT_EQ(mask.StretchMode, m.StretchMode);
            EXPECT_EQ((std::array{int{mask.WL}, int{mask.WT}, int{mask.WR}, int{mask.WB}}), (std::array{m.WL, m.WT, m.WR, m.WB}));
            EXPECT_EQ(mask.R, Rect(m.Left, m.Top, m.Right, m.Bottom));
            const manifest::SheetEntry& master = SheetNamed("MASTER.BMP");
            EXPECT_GE(mask.R.Left, 0);
            EXPECT_GE(mask.R.Top, 0);
            EXPECT_LE(mask.R.Right, master.Width);
            EXPECT_LE(mask.R.Bottom, master.Height);
            width = mask.R.Width();
            height = mask.R.Height();
        }
        const int cells = mask.ImageCount, rows = mask.MaskType + 1;
        EXPECT_EQ((std::array{cells, int{mask.MaskType}, int{mask.BorderWidth}}), (std::array{m.ImageCount, m.MaskType, m.BorderWidth}));
        ASSERT_GT(cells, 0) << "a zero cell count divides by zero in the painters";
        EXPECT_EQ(width % cells, 0);
        EXPECT_EQ(height % rows, 0);
        if (m.Form == '^') {
            EXPECT_LE(mask.WL + mask.WR, width / cells);
            EXPECT_LE(mask.WT + mask.WB, height / rows);
        }
    }
    EXPECT_EQ((std::array{counts[0], counts[1], counts[2], counts[3]}), 
              (std::array{manifest::GlyphCount, manifest::BorderCount, manifest::TextureCount, manifest::OwnImageCount}));
    EXPECT_EQ(values[0].Section + "." + values[0].Key + "=" + values[0].Value,
              "GLOBALINFO.BOXCHECKED=@0054@0048@0102@0065@3@0");
}

TEST(Terminal4bit, BitmapsAreUncompressed8BitWithAFullColourTable)
{
    // 54 header bytes, 256 colour-table entries, one byte per pixel in rows of a multiple of 4.
    const struct Case {
        const char* name;
        int width, height;
        size_t size;
    } cases[] = {{"Master.bmp", 168, 135, 23758}, {"ButtonHuge.bmp", 288, 192, 56374}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bytes = ReadBytes(Output / "Terminal4bit" / c.name);
        EXPECT_EQ(bytes.size(), c.size);
        const ks::BmpImage image = ks::ReadBmp(bytes);
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        EXPECT_EQ(image.bpp, 8);
        EXPECT_EQ(SheetNamed(c.name).Width, c.width);
    }
}

TEST(Terminal4bit, MaskRowsAreGreyLevels)
{
    // A mask pixel gives the background's share per channel; a coloured one would tint.
    const ks::BmpImage master = ks::ReadBmp(ReadBytes(Output / "Terminal4bit" / "Master.bmp"));
    const ks::BmpImage huge = ks::ReadBmp(ReadBytes(Output / "Terminal4bit" / "ButtonHuge.bmp"));
    int checked = 0;
    for (const manifest::ImageEntry& m : manifest::Images) {
        if (m.MaskType < 1)
            continue;
        SCOPED_TRACE(std::string(m.Section) + "." + m.Key);
        const ks::BmpImage& image = m.Form == '!' ? huge : master;
        const int rowHeight = (m.Bottom - m.Top) / (m.MaskType + 1);
        for (int y = m.Top + rowHeight; y < m.Bottom; ++y)
            for (int x = m.Left; x < m.Right; ++x) {
                const ks::Bgra c = image.palette[image.pixels[static_cast<size_t>(y) * image.Stride() + x]];
                ASSERT_TRUE(c.r == c.g && c.g == c.b) << x << "," << y;
                ++checked;
            }
    }
    EXPECT_GT(checked, 0);
}

TEST(Terminal4bit, HoldsEverySectionTheEngineLooksUp)
{
    TMemIniFile ini;
    ini.SetText(ReadText(Output / "Terminal4bit" / "Options.dat"));
    for (const char* name : {"GLOBALINFO", "EDIT", "COMBOBOX", "COMBOBTN", "BUTTON", "SPEEDBUTTON",
             "SPEEDBUTTON_SMALL", "SPLITTER", "CHECKBOX", "RADIOBUTTON", "GROUPBOX", "PANEL", "PANEL_LOW",
             "TOOLBAR", "STATUSBAR", "BAR", "BARTITLE", "DRAGBAR", "TABSHEET", "FORM", "FORMTITLE", "DIALOG",
             "CAPTION", "MENUITEM", "MAINMENU", "ICOLINE", "MENULINE", "HINT", "SCROLLBAR1H", "SCROLLBAR1V",
             "SCROLLBAR2H", "SCROLLBAR2V", "SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT",
             "SCROLLBTNRIGHT", "SCROLLSLIDERV", "SCROLLSLIDERH", "PAGECONTROL", "TABTOP", "TABBOTTOM",
             "TABLEFT", "TABRIGHT", "GAUGE", "TRACKBAR", "TOOLBUTTON", "UPDOWNBTN", "MDIAREA"})
        EXPECT_TRUE(ini.SectionExists(name)) << name;

    // Every parent named is a section of the skin, so no chain ends early by accident.
    TStringList sections;
    ini.ReadSections(sections);
    for (int i = 0; i < sections.Count(); ++i) {
        const std::string parent = ini.ReadString(sections.Strings(i), "PARENTCLASS", "");
        EXPECT_TRUE(parent.empty() || ini.SectionExists(parent)) << sections.Strings(i) << " -> " << parent;
    }
}

TEST(Terminal4bit, SkinFolderHoldsExactlyTheThreeArchiveEntries)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(Output / "Terminal4bit"))
        found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"ButtonHuge.bmp", "Master.bmp", "Options.dat"}));
}

TEST(Terminal4bit, EmbeddedGlyphsAreThreeStateStripsForTheGlyphList)
{
    for (const char* name : {"SF.png", "SR.png", "SD.png", "SE.png", "SC.png"}) {
        SCOPED_TRACE(name);
        const std::optional<RgbaImage> image = DecodePng(ReadBytes(Output / name));
        ASSERT_TRUE(image);
        EXPECT_EQ(image->Width, 48);
        EXPECT_EQ(image->Height, 16);
        for (int cell = 0; cell < 3; ++cell) {
            int opaque = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    opaque += image->At(cell * 16 + x, y)[3] == 255;
            EXPECT_GT(opaque, 0) << "cell " << cell;
            EXPECT_EQ(image->At(cell * 16, 0)[3], 0) << "cell " << cell;
        }
    }
}

TEST(Terminal4bit, ShadowsFadeOutsideTheWindowAndLeaveItClear)
{
    for (const char* name : {"acSHDA.png", "acSHDI.png"}) {
        SCOPED_TRACE(name);
        const std::optional<RgbaImage> image = DecodePng(ReadBytes(Output / name));
        ASSERT_TRUE(image);
        const int w = image->Width, h = image->Height;
        // The engine's margins 11, 7, 11, 11 plus its form offset of 8 must fit as corners.
        EXPECT_GE(w, 2 * (11 + 8));
        EXPECT_GE(h, 7 + 8 + 11 + 8);
        EXPECT_EQ(image->At(w / 2, h / 2)[3], 0);
        EXPECT_EQ(image->At(0, 0)[3], 0);
        for (int x = 1; x < 11; ++x)
            EXPECT_LE(image->At(x - 1, h / 2)[3], image->At(x, h / 2)[3]) << x;
        EXPECT_GT(image->At(10, h / 2)[3], 0);
        EXPECT_GT(image->At(w / 2, h - 11)[3], 0);
    }
}

// Ten images: three sizes at three depths, and the large one the platform keeps as PNG.
TEST(Terminal4bit, IconHoldsTenImages)
{
    const std::vector<ks::IcoEntry> entries = ks::ReadIcoDirectory(ReadBytes(Output / "Keysmith.ico"));
    std::vector<std::tuple<int, int, bool>> found;
    for (const ks::IcoEntry& e : entries) {
        EXPECT_EQ(e.width, e.height);
        found.push_back({e.width, e.bpp, e.png});
    }
    EXPECT_EQ(found, (std::vector<std::tuple<int, int, bool>>{{16, 32, false}, {16, 8, false}, {16, 4, false},
        {32, 32, false}, {32, 8, false}, {32, 4, false}, {48, 32, false}, {48, 8, false}, {48, 4, false},
        {256, 32, true}}));
}

namespace {

const char* PaletteText = "colour . #000000\ncolour G #00FF00\ncolour m #FF00FF\n";

std::string Layout(const std::string& body)
{
    return std::string(PaletteText) + "sheet Master.bmp 32 16 .\nsheet Big.bmp 8 8 .\n" + body;
}

const char* Template = "[GLOBALINFO]\nMASTERBITMAP=MASTER.BMP\n[EDIT]\nCOLOR=0\n";

} // namespace

TEST(SkinGenerator, FormatsValuesAsTheEngineReadsThem)
{
    const ArtFile layout = ParseArtFile(std::string(PaletteText) + "colour 0 #000000\ncolour 9 #FFFFFF\n" +
            "sheet Master.bmp 32 16 .\nsheet Big.bmp 8 8 .\n" + R"(
sprite glyph Master.bmp 2 3
value @ cells 2
use GLOBALINFO CHECK
art
  GG mm
  GG mm
end
sprite border Master.bmp 10 0
value ^ cells 3 masktype 1 stretch 5 border 1 sides 1 0 1 0
use EDIT BORDERSMASK
art
  G.G G.G G.G
  090 090 090
end
sprite texture Master.bmp 20 10
value ~ stretch 10
use EDIT PATTERN
art
  G.
end
sprite own Big.bmp 0 0 scale 4
value ! cells 2 masktype 1 type 4
use EDIT GLYPHMASK
use GLOBALINFO EXTRA
art
  GG
  99
end
)",
        "layout.txt");
    std::vector<std::string> sections;
    std::vector<ImageRecord> images;
    const std::string text = BuildOptionsText("; dropped\n" + std::string(Template), layout, &sections, &images);
    EXPECT_EQ(text,
        "[GLOBALINFO]\r\nMASTERBITMAP=MASTER.BMP\r\n"
        "CHECK=@0002@0003@0006@0005@2@0\r\nEXTRA=!BIG.BMP!2!1!4\r\n\r\n"
        "[EDIT]\r\nCOLOR=0\r\n"
        "BORDERSMASK=^0010^0000^0019^0002^0001^0000^0001^0000^3^1^5^1\r\n"
        "PATTERN=~0020~0010~0022~0011~10~0\r\n"
        "GLYPHMASK=!BIG.BMP!2!1!4\r\n");
    EXPECT_EQ(sections, (std::vector<std::string>{"GLOBALINFO", "EDIT"}));
    ASSERT_EQ(images.size(), 5u);
    EXPECT_EQ(images[1].Key, "EXTRA");
    EXPECT_EQ((std::array{images[1].Right, images[1].Bottom}), (std::array{8, 8}));
}

TEST(SkinGenerator, RefusesFaultySources)
{
    // One sprite "a" at the master's corner, with an optional value line and art rows.
    auto one = [](const std::string& value, const std::string& art = "G") {
        return Layout("sprite a Master.bmp 0 0\n" + value + "art\n  " + art + "\nend\n");
    };
    const std::string sprite = "sprite a Master.bmp 0 0\nvalue @ cells 1\nuse EDIT GLYPHMASK\nart\n  GG\nend\n";
    const struct Case {
        const char* name;
        std::string layout;
        std::string templ;
        const char* message;
    } cases[] = {
        {"UnknownDirective", Layout("paint it\n"), Template, "unknown directive"},
        {"UnknownColour", one("", "Gx"), Template, "unknown colour 'x'"},
        {"RaggedArt", one("", "GG\n  G"), Template, "art row of 1"},
        {"NoEnd", Layout("sprite a Master.bmp 0 0\nart\n  GG\n"), Template, "has no end"},
        {"OutsideSheet", Layout("sprite a Master.bmp 31 0\nart\n  GG\nend\n"), Template, "passes the edge"},
        {"Overlap", Layout(sprite + "sprite b Master.bmp 1 0\nart\n  GG\nend\n"), Template, "overlaps sprite 'a'"},
        {"CellsDoNotDivide", one("value @ cells 2\nuse EDIT GLYPHMASK\n", "GGG"), Template, "does not divide"},
        {"ZeroCells", one("value @ cells 0\nuse EDIT GLYPHMASK\n"), Template, "not within 1..9"},
        {"TwoDigitBorderWidth", one("value ^ border 10\nuse EDIT BORDERSMASK\n"), Template, "not within 0..9"},
        {"SidesWiderThanCell", one("value ^ sides 1 0 1 0\nuse EDIT BORDERSMASK\n"), Template, "sides wider"},
        {"ValueWithoutKey", one("value @\n"), Template, "needs both"},
        {"SectionMissing", one("value @\nuse FORM GLYPHMASK\n"), Template, "which the template lacks"},
        {"KeyTwice", one("value @\nuse EDIT COLOR\n"), Template, "gives the key COLOR twice"},
        {"LowerCaseKey", Layout(sprite), "[GLOBALINFO]\nMASTERBITMAP=MASTER.BMP\n[EDIT]\nColor=0\n", "is not upper case"},
        {"LowerCaseImageKey", one("value @\nuse EDIT Glyph\n"), Template, "the key 'Glyph' is not upper case"},
        {"GlobalInfoNotFirst", Layout(sprite), "[EDIT]\n[GLOBALINFO]\nMASTERBITMAP=MASTER.BMP\n", "must be [GLOBALINFO]"},
        {"MasterNamedInLowerCase", Layout(sprite), "[GLOBALINFO]\nMASTERBITMAP=Master.bmp\n[EDIT]\n",
            "MASTERBITMAP is 'Master.bmp'"},
        {"OwnImageNotWholeSheet", Layout("sprite a Big.bmp 0 0\nvalue ! cells 1\nuse EDIT BORDERSMASK\nart\n  G\nend\n"),
            Template, "covers its whole sheet"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            BuildOptionsText(c.templ, ParseArtFile(c.layout, "layout.txt"));
            ADD_FAILURE() << "accepted";
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find(c.message), std::string::npos) << e.Message();
        }
    }
}

TEST(ImageWriters, PngReadsBackThroughLibpng)
{
    RgbaImage image(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            uint8_t* p = image.At(x, y);
            p[0] = static_cast<uint8_t>(40 * x);
            p[1] = static_cast<uint8_t>(100 * y);
            p[2] = static_cast<uint8_t>(x * y);
            p[3] = static_cast<uint8_t>(255 - 50 * x);
        }
    const std::optional<RgbaImage> decoded = DecodePng(WritePng(image));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Width, 5);
    EXPECT_EQ(decoded->Height, 3);
    EXPECT_EQ(decoded->Pixels, image.Pixels);
}

TEST(ImageWriters, IconImagesCarryTheirDepthAndTransparency)
{
    RgbaImage image(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 8; x < 16; ++x) {
            uint8_t* p = image.At(x, y);
            p[1] = 255;
            p[3] = 255;
        }
    const std::vector<IconImage> icons{{image, 32}, {image, 8}, {image, 4}};
    const std::vector<uint8_t> file = WriteIco(icons);
    const std::vector<ks::IcoEntry> entries = ks::ReadIcoDirectory(file);
    ASSERT_EQ(entries.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(icons[i].Bpp);
        EXPECT_EQ(entries[i].bpp, icons[i].Bpp);
        // The AND mask is the last 16 rows of 4 bytes; each row's first byte covers the
        // transparent left half, the second the opaque right half.
        const uint8_t* mask = file.data() + entries[i].offset + entries[i].size - 16 * 4;
        for (int row = 0; row < 16; ++row) {
            EXPECT_EQ(mask[row * 4], 0xFF);
            EXPECT_EQ(mask[row * 4 + 1], 0x00);
        }
    }
    // The 4-bit image maps bright green to the standard palette's entry 10.
    const uint8_t* dib4 = file.data() + entries[2].offset;
    const uint8_t* pixels = dib4 + 40 + 16 * 4;
    EXPECT_EQ(pixels[7], 0xAA);
    EXPECT_EQ(pixels[0], 0x00);
}

TEST(SkinGenerator, ShadowIsOpaqueAtTheWindowEdgeOnly)
{
    const ArtColour green{0, 0, 255, 0, 100};
    const RgbaImage shadow = DrawShadow(40, 30, {10, 5, 10, 10}, green);
    EXPECT_EQ(shadow.At(20, 10)[3], 0);              // inside the window
    EXPECT_EQ(shadow.At(0, 15)[3], 0);               // at the picture's edge
    EXPECT_GT(shadow.At(9, 15)[3], shadow.At(5, 15)[3]);
    EXPECT_NEAR(shadow.At(9, 15)[3], 100 * 0.95 * 0.95, 1); // half a pixel outside the window
    EXPECT_EQ(shadow.At(9, 15)[1], 255);
}
