// The skin generator's assembly: options text, sheets, shadows, icon and manifest.
#include "tools/skingen/SkinGenerator.h"

#include "vcl/BmpReader.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

namespace ks::skingen {

namespace {

constexpr const char* NoFile = "Cannot read '%s'";
constexpr const char* CannotWrite = "Cannot write '%s'";
constexpr const char* NotFirst = "Options.template: the first section must be [GLOBALINFO]";
constexpr const char* BeforeSection = "Options.template:%s: an entry before the first section";
constexpr const char* NotUpper = "Options.template:%s: '%s' is not upper case";
constexpr const char* KeyNotUpper = "layout.txt: the key '%s' is not upper case";
constexpr const char* NoSection = "layout.txt: sprite '%s' is used in section [%s], which the template lacks";
constexpr const char* Twice = "[%s] gives the key %s twice";
constexpr const char* MasterName = "MASTERBITMAP is '%s', but the glyphs, borders and textures lie on '%s'";
constexpr const char* OwnOnMaster = "layout.txt: sprite '%s' is an own image on the master sheet";
constexpr const char* PaletteSize = "%s: an 8-bit sheet has at most 256 colours";
constexpr const char* NotOpaque = "%s: sheet '%s' is a bitmap and cannot use the translucent colour '%s'";
constexpr const char* UnknownKind = "%s: sheet '%s' is neither a .bmp nor a .png";
constexpr const char* ShadowLine = "shadows.txt:%s: expected: shadow NAME WIDTH HEIGHT L T R B #RRGGBB ALPHA";

struct TemplateSection {
    std::string Name;
    std::vector<std::string> Lines;
    std::vector<std::string> Keys; // upper case, for the duplicate check
};

bool IsUpper(std::string_view s)
{
    return UpperCaseAscii(s) == s;
}

std::string Digits(int value, int width)
{
    std::string s = IntToStr(value);
    return std::string(static_cast<size_t>(std::max(0, width - static_cast<int>(s.size()))), '0') + s;
}

std::vector<TemplateSection> ReadTemplate(std::string_view text)
{
    std::vector<TemplateSection> sections;
    std::istringstream in{std::string(text)};
    int lineNo = 0;
    for (std::string raw; std::getline(in, raw);) {
        ++lineNo;
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == ';')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            const std::string name = Trim(line.substr(1, line.size() - 2));
            if (!IsUpper(name))
                throw Exception(Format(NotUpper, {IntToStr(lineNo), name}));
            sections.push_back({name, {}, {}});
            continue;
        }
        if (sections.empty())
            throw Exception(Format(BeforeSection, {IntToStr(lineNo)}));
        const size_t eq = line.find('=');
        const std::string key = Trim(line.substr(0, eq));
        if (!IsUpper(key))
            throw Exception(Format(NotUpper, {IntToStr(lineNo), key}));
        TemplateSection& section = sections.back();
        for (const std::string& k : section.Keys)
            if (k == key)
                throw Exception(Format(Twice, {section.Name, key}));
        section.Keys.push_back(key);
        section.Lines.push_back(key + "=" + (eq == std::string::npos ? "" : Trim(line.substr(eq + 1))));
    }
    if (sections.empty() || sections.front().Name != "GLOBALINFO")
        throw Exception(NotFirst);
    return sections;
}

std::string FormatValue(const Sprite& s)
{
    const ImageValue& v = *s.Value;
    const char f = v.Form;
    if (f == '!') {
        std::string text = "!" + UpperCaseAscii(s.SheetName) + "!" + IntToStr(v.ImageCount) + "!" +
            IntToStr(v.MaskType) + "!" + IntToStr(v.TypeCode);
        if (v.Sides != std::array<int, 4>{0, 0, 0, 0})
            for (int side : v.Sides)
                text += "!" + IntToStr(side);
        return text;
    }
    std::string text;
    for (int n : {s.X, s.Y, s.X + s.Width(), s.Y + s.Height()})
        text += f + Digits(n, 4);
    if (f == '@')
        return text + f + IntToStr(v.ImageCount) + f + IntToStr(v.MaskType);
    if (f == '~')
        return text + f + Digits(v.StretchMode, 2) + f + IntToStr(v.MaskType);
    for (int side : v.Sides)
        text += f + Digits(side, 4);
    for (int n : {v.ImageCount, v.MaskType, v.StretchMode, v.BorderWidth})
        text += f + IntToStr(n);
    return text;
}

std::string MasterSheetName(const ArtFile& layout)
{
    std::string master;
    for (const Sprite& s : layout.Sprites)
        if (s.Value && s.Value->Form != '!') {
            if (!master.empty() && master != s.SheetName)
                throw Exception(Format(MasterName, {master, s.SheetName}));
            master = s.SheetName;
        }
    return master;
}

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Exception(Format(NoFile, {path.string()}));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::filesystem::path& path)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

RgbaImage RenderRgba(const ArtFile& art, const Sheet& sheet)
{
    const std::vector<char> chars = RenderChars(art, sheet);
    RgbaImage image(sheet.Width, sheet.Height);
    for (size_t i = 0; i < chars.size(); ++i) {
        const ArtColour& c = *art.FindColour(chars[i]);
        const uint8_t px[4] = {c.R, c.G, c.B, c.A};
        // Fully transparent pixels carry no colour, so that nothing reads a stray one.
        for (int k = 0; k < 4; ++k)
            image.Pixels[i * 4 + k] = c.A == 0 ? 0 : px[k];
    }
    return image;
}

// An uncompressed 8-bit bitmap whose colour table is the file's palette in order, so each
// colour's index is its position there.
std::vector<uint8_t> RenderBmp(const ArtFile& art, const Sheet& sheet)
{
    if (art.Palette.size() > 256)
        throw Exception(Format(PaletteSize, {art.FileName}));
    std::vector<Bgra> palette(256);
    for (size_t i = 0; i < art.Palette.size(); ++i)
        palette[i] = {art.Palette[i].B, art.Palette[i].G, art.Palette[i].R, 0};
    const std::vector<char> chars = RenderChars(art, sheet);
    std::vector<uint8_t> indexes(chars.size());
    for (size_t i = 0; i < chars.size(); ++i) {
        const ArtColour* c = art.FindColour(chars[i]);
        if (c->A != 255)
            throw Exception(Format(NotOpaque, {art.FileName, sheet.Name, std::string(1, c->Char)}));
        indexes[i] = static_cast<uint8_t>(c - art.Palette.data());
    }
    const PixelView view{indexes.data(), sheet.Width, sheet.Width, sheet.Height, 8};
    return WriteBmp(view, palette);
}

std::vector<uint8_t> RenderSheet(const ArtFile& art, const Sheet& sheet)
{
    const std::string ext = UpperCaseAscii(ExtractFileExt(sheet.Name));
    if (ext == ".BMP")
        return RenderBmp(art, sheet);
    if (ext == ".PNG")
        return WritePng(RenderRgba(art, sheet));
    throw Exception(Format(UnknownKind, {art.FileName, sheet.Name}));
}

std::vector<OutputFile> DrawShadows(std::string_view text)
{
    std::vector<OutputFile> files;
    std::istringstream in{std::string(text)};
    int lineNo = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNo;
        std::istringstream words(line);
        std::string word, name, colour;
        if (!(words >> word) || word[0] == '#')
            continue;
        int width = 0, height = 0, alpha = -1;
        std::array<int, 4> margins{-1, -1, -1, -1};
        words >> name >> width >> height >> margins[0] >> margins[1] >> margins[2] >> margins[3] >> colour >> alpha;
        unsigned rgb = 0;
        std::istringstream hex(colour.size() == 7 && colour[0] == '#' ? colour.substr(1) : "x");
        hex >> std::hex >> rgb;
        std::string rest;
        if (word != "shadow" || !words || hex.fail() || (words >> rest) || width < 1 || height < 1 ||
            alpha < 0 || alpha > 255 || margins[0] < 1 || margins[1] < 1 || margins[2] < 1 ||
            margins[3] < 1 || margins[0] + margins[2] >= width || margins[1] + margins[3] >= height)
            throw Exception(Format(ShadowLine, {IntToStr(lineNo)}));
        const ArtColour c{0, static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
            static_cast<uint8_t>(rgb), static_cast<uint8_t>(alpha)};
        files.push_back({name, WritePng(DrawShadow(width, height, margins, c))});
    }
    return files;
}

std::vector<uint8_t> DrawIcon(const ArtFile& art)
{
    std::vector<IconImage> images;
    for (const Sheet& sheet : art.Sheets) {
        if (sheet.Width >= 256) {
            images.push_back({RenderRgba(art, sheet), 32, true});
            continue;
        }
        for (int bpp : {32, 8, 4})
            images.push_back({RenderRgba(art, sheet), bpp});
    }
    return WriteIco(images);
}

std::string Quoted(std::string_view s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string ManifestHeader(const GeneratedSkin& skin, const ArtFile& layout)
{
    std::ostringstream h;
    h << "#pragma once\n"
         "// Generated by skingen from skins/Terminal4bit; do not edit. What the internal skin holds,\n"
         "// for the tests that load it: its files, sections and image values in text order.\n\n"
         "namespace ks::terminal4bit {\n\n"
         "struct FileEntry {\n    const char* Name;\n    unsigned Size;\n};\n\n"
         "struct SheetEntry {\n    const char* Name;\n    int Width;\n    int Height;\n};\n\n"
         "// The value's own fields; sides and border width as written, before the loader's side rule.\n"
         "struct ImageEntry {\n    const char* Section;\n    const char* Key;\n    char Form;\n"
         "    int Left, Top, Right, Bottom;\n    int ImageCount, MaskType, StretchMode, BorderWidth;\n"
         "    int WL, WT, WR, WB;\n    int TypeCode;\n    const char* Value;\n};\n\n";
    h << "inline constexpr FileEntry SkinFiles[] = {\n";
    for (const OutputFile& f : skin.SkinFiles)
        h << "    {" << Quoted(f.Name) << ", " << f.Bytes.size() << "},\n";
    h << "};\n\ninline constexpr SheetEntry Sheets[] = {\n";
    for (const Sheet& s : layout.Sheets)
        h << "    {" << Quoted(s.Name) << ", " << s.Width << ", " << s.Height << "},\n";
    h << "};\n\ninline constexpr const char* Sections[] = {\n";
    for (const std::string& s : skin.Sections)
        h << "    " << Quoted(s) << ",\n";
    h << "};\n\ninline constexpr ImageEntry Images[] = {\n";
    int counts[4] = {0, 0, 0, 0};
    for (const ImageRecord& r : skin.Images) {
        const ImageValue& v = r.Fields;
        h << "    {" << Quoted(r.Section) << ", " << Quoted(r.Key) << ", '" << v.Form << "', " << r.Left << ", "
          << r.Top << ", " << r.Right << ", " << r.Bottom << ", " << v.ImageCount << ", " << v.MaskType << ", "
          << v.StretchMode << ", " << v.BorderWidth << ", " << v.Sides[0] << ", " << v.Sides[1] << ", "
          << v.Sides[2] << ", " << v.Sides[3] << ", " << v.TypeCode << ", " << Quoted(r.Value) << "},\n";
        ++counts[std::string_view("@^~!").find(v.Form)];
    }
    h << "};\n\n"
      << "inline constexpr int GlyphCount = " << counts[0] << ";\n"
      << "inline constexpr int BorderCount = " << counts[1] << ";\n"
      << "inline constexpr int TextureCount = " << counts[2] << ";\n"
      << "inline constexpr int OwnImageCount = " << counts[3] << ";\n\n"
      << "} // namespace ks::terminal4bit\n";
    return h.str();
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw Exception(Format(CannotWrite, {path.string()}));
}

} // namespace

std::string BuildOptionsText(std::string_view templateText, const ArtFile& layout,
    std::vector<std::string>* sectionNames, std::vector<ImageRecord>* images)
{
    std::vector<TemplateSection> sections = ReadTemplate(templateText);
    std::vector<std::vector<ImageRecord>> added(sections.size());
    for (const Sprite& s : layout.Sprites) {
        if (!s.Value)
            continue;
        for (const KeyUse& use : s.Uses) {
            size_t i = 0;
            while (i < sections.size() && sections[i].Name != use.Section)
                ++i;
            if (i == sections.size())
                throw Exception(Format(NoSection, {s.Name, use.Section}));
            if (!IsUpper(use.Key))
                throw Exception(Format(KeyNotUpper, {use.Key}));
            for (const std::string& k : sections[i].Keys)
                if (k == use.Key)
                    throw Exception(Format(Twice, {use.Section, use.Key}));
            sections[i].Keys.push_back(use.Key);
            const bool own = s.Value->Form == '!';
            // An own image's rectangle is its whole bitmap, as the loader makes it.
            const int left = own ? 0 : s.X, top = own ? 0 : s.Y;
            added[i].push_back({use.Section, use.Key, FormatValue(s), left, top, left + s.Width(),
                top + s.Height(), *s.Value});
        }
    }

    const std::string master = MasterSheetName(layout);
    for (const Sprite& s : layout.Sprites)
        if (s.Value && s.Value->Form == '!' && s.SheetName == master)
            throw Exception(Format(OwnOnMaster, {s.Name}));
    std::string masterKey;
    for (const std::string& line : sections.front().Lines)
        if (line.rfind("MASTERBITMAP=", 0) == 0)
            masterKey = line.substr(13);
    if (masterKey != UpperCaseAscii(master))
        throw Exception(Format(MasterName, {masterKey, master}));

    // CR LF: the line ending of the engine's own options files.
    std::string text;
    for (size_t i = 0; i < sections.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += "[" + sections[i].Name + "]\r\n";
        for (const std::string& line : sections[i].Lines)
            text += line + "\r\n";
        for (const ImageRecord& r : added[i])
            text += r.Key + "=" + r.Value + "\r\n";
        if (sectionNames)
            sectionNames->push_back(sections[i].Name);
        if (images)
            images->insert(images->end(), added[i].begin(), added[i].end());
    }
    return text;
}

RgbaImage DrawShadow(int width, int height, const std::array<int, 4>& margins, const ArtColour& colour)
{
    RgbaImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Distance outside the window's rectangle, in units of the margin on that side, so
            // the shadow reaches the picture's edge on every side whatever its margin.
            const double px = x + 0.5, py = y + 0.5;
            double dx = 0, dy = 0;
            if (px < margins[0])
                dx = (margins[0] - px) / margins[0];
            else if (px > width - margins[2])
                dx = (px - (width - margins[2])) / margins[2];
            if (py < margins[1])
                dy = (margins[1] - py) / margins[1];
            else if (py > height - margins[3])
                dy = (py - (height - margins[3])) / margins[3];
            const double t = std::sqrt(dx * dx + dy * dy);
            if ((dx == 0 && dy == 0) || t >= 1)
                continue;
            const double fade = (1 - t) * (1 - t);
            const int alpha = static_cast<int>(std::lround(colour.A * fade));
            if (alpha == 0)
                continue;
            uint8_t* p = image.At(x, y);
            p[0] = colour.R;
            p[1] = colour.G;
            p[2] = colour.B;
            p[3] = static_cast<uint8_t>(alpha);
        }
    return image;
}

GeneratedSkin GenerateSkin(const std::filesystem::path& source)
{
    const ArtFile layout = ParseArtFile(ReadText(source / "layout.txt"), "layout.txt");
    const ArtFile glyphs = ParseArtFile(ReadText(source / "glyphs.txt"), "glyphs.txt");
    const ArtFile icon = ParseArtFile(ReadText(source / "icon.txt"), "icon.txt");

    GeneratedSkin skin;
    const std::string options =
        BuildOptionsText(ReadText(source / "Options.template"), layout, &skin.Sections, &skin.Images);
    skin.SkinFiles.push_back({"Options.dat", std::vector<uint8_t>(options.begin(), options.end())});
    for (const Sheet& sheet : layout.Sheets)
        skin.SkinFiles.push_back({sheet.Name, RenderSheet(layout, sheet)});

    for (const Sheet& sheet : glyphs.Sheets)
        skin.Resources.push_back({sheet.Name, RenderSheet(glyphs, sheet)});
    for (OutputFile& f : DrawShadows(ReadText(source / "shadows.txt")))
        skin.Resources.push_back(std::move(f));
    skin.Resources.push_back({"Keysmith.ico", DrawIcon(icon)});
    const std::string manifest = ManifestHeader(skin, layout);
    skin.Resources.push_back({"Terminal4bitManifest.h", std::vector<uint8_t>(manifest.begin(), manifest.end())});
    return skin;
}

void WriteGeneratedSkin(const GeneratedSkin& skin, const std::filesystem::path& output)
{
    // The packer takes every file of that folder, so nothing left from an earlier run may stay.
    std::filesystem::remove_all(output / "Terminal4bit");
    std::filesystem::create_directories(output / "Terminal4bit");
    for (const OutputFile& f : skin.SkinFiles)
        WriteFile(output / "Terminal4bit" / f.Name, f.Bytes);
    for (const OutputFile& f : skin.Resources)
        WriteFile(output / f.Name, f.Bytes);
}

} // namespace ks::skingen
