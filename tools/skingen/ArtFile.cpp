// The art source reader of the skin generator. Its input is the project's own source text, but
// every fault is still reported with its line, so that a slip in the art never reaches a skin.
#include "tools/skingen/ArtFile.h"

#include "vcl/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace ks::skingen {

namespace {

constexpr const char* LocationFormat = "%s:%s: %s";

[[noreturn]] void Fail(const std::string& file, int line, const std::string& message)
{
    throw Exception(Format(LocationFormat, {file, IntToStr(line), message}));
}

std::vector<std::string> Words(std::string_view line)
{
    std::vector<std::string> words;
    std::istringstream in{std::string(line)};
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

class Reader {
public:
    Reader(std::string_view text, std::string fileName) : FText(text), FFile(std::move(fileName)) {}

    ArtFile Read()
    {
        FArt.FileName = FFile;
        while (NextLine()) {
            const std::vector<std::string> w = Words(FLine);
            if (w.empty() || w[0][0] == '#')
                continue;
            if (w[0] == "colour")
                ReadColour(w);
            else if (w[0] == "sheet")
                ReadSheet(w);
            else if (w[0] == "sprite")
                ReadSprite(w);
            else
                Error("unknown directive '" + w[0] + "'");
        }
        for (const Sprite& s : FArt.Sprites)
            CheckPlacement(s);
        CheckOverlaps();
        return std::move(FArt);
    }

private:
    bool NextLine()
    {
        if (FPos >= FText.size())
            return false;
        const size_t end = std::min(FText.find('\n', FPos), FText.size());
        FLine = FText.substr(FPos, end - FPos);
        if (!FLine.empty() && FLine.back() == '\r')
            FLine.remove_suffix(1);
        FPos = end + 1;
        ++FLineNo;
        return true;
    }

    [[noreturn]] void Error(const std::string& message) const { Fail(FFile, FLineNo, message); }

    int Number(const std::string& word, int min, int max) const
    {
        int value = 0;
        const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (ec != std::errc() || end != word.data() + word.size())
            Error("'" + word + "' is not a number");
        if (value < min || value > max)
            Error("'" + word + "' is not within " + IntToStr(min) + ".." + IntToStr(max));
        return value;
    }

    void ReadColour(const std::vector<std::string>& w)
    {
        if (w.size() < 3 || w.size() > 4 || w[1].size() != 1 || w[1][0] == '#' || w[2].size() != 7 ||
            w[2][0] != '#')
            Error("expected: colour C #RRGGBB [ALPHA]");
        if (FArt.FindColour(w[1][0]))
            Error("colour '" + w[1] + "' is defined twice");
        ArtColour c;
        c.Char = w[1][0];
        unsigned rgb = 0;
        const auto [end, ec] = std::from_chars(w[2].data() + 1, w[2].data() + 7, rgb, 16);
        if (ec != std::errc() || end != w[2].data() + 7)
            Error("'" + w[2] + "' is not a colour");
        c.R = static_cast<uint8_t>(rgb >> 16);
        c.G = static_cast<uint8_t>(rgb >> 8);
        c.B = static_cast<uint8_t>(rgb);
        if (w.size() == 4)
            c.A = static_cast<uint8_t>(Number(w[3], 0, 255));
        FArt.Palette.push_back(c);
    }

    void ReadSheet(const std::vector<std::string>& w)
    {
        if (w.size() != 5 || w[4].size() != 1)
            Error("expected: sheet NAME WIDTH HEIGHT C");
        if (FArt.FindSheet(w[1]))
            Error("sheet '" + w[1] + "' is defined twice");
        if (!FArt.FindColour(w[4][0]))
            Error("unknown colour '" + w[4] + "'");
        FArt.Sheets.push_back({w[1], Number(w[2], 1, 4096), Number(w[3], 1, 4096), w[4][0]});
    }

    void ReadSprite(const std::vector<std::string>& w)
    {
        Sprite s;
        s.Line = FLineNo;
        if (!(w.size() == 5 || (w.size() == 7 && w[5] == "scale")))
            Error("expected: sprite NAME SHEET X Y [scale N]");
        s.Name = w[1];
        s.SheetName = w[2];
        if (!FArt.FindSheet(s.SheetName))
            Error("unknown sheet '" + s.SheetName + "'");
        s.X = Number(w[3], 0, 4096);
        s.Y = Number(w[4], 0, 4096);
        if (w.size() == 7)
            s.Scale = Number(w[6], 1, 16);

        bool inArt = false;
        while (NextLine()) {
            const std::vector<std::string> v = Words(FLine);
            if (!v.empty() && v[0][0] == '#')
                continue;
            if (inArt) {
                if (v.size() == 1 && v[0] == "end") {
                    FinishSprite(s);
                    return;
                }
                ReadArtRow(s);
            } else if (v.empty()) {
                continue;
            } else if (v[0] == "value") {
                if (s.Value)
                    Error("a sprite has one value");
                s.Value = ReadValue(v);
            } else if (v[0] == "use") {
                if (v.size() != 3)
                    Error("expected: use SECTION KEY");
                s.Uses.push_back({v[1], v[2]});
            } else if (v.size() == 1 && v[0] == "art") {
                inArt = true;
            } else {
                Error("expected value, use or art in sprite '" + s.Name + "'");
            }
        }
        Error("sprite '" + s.Name + "' has no end");
    }

    void ReadArtRow(Sprite& s)
    {
        std::string row;
        for (char c : FLine)
            if (c != ' ' && c != '\t')
                row += c;
        if (row.empty())
            return;
        for (char c : row)
            if (!FArt.FindColour(c))
                Error(std::string("unknown colour '") + c + "'");
        if (!s.Rows.empty() && row.size() != s.Rows.front().size())
            Error("art row of " + IntToStr(row.size()) + " pixels in a sprite " +
                IntToStr(s.Rows.front().size()) + " wide");
        s.Rows.push_back(row);
    }

    ImageValue ReadValue(const std::vector<std::string>& v) const
    {
        if (v.size() < 2 || v[1].size() != 1 || std::string_view("@^~!").find(v[1][0]) == std::string_view::npos)
            Error("expected: value @|^|~|! [fields]");
        ImageValue value;
        value.Form = v[1][0];
        for (size_t i = 2; i < v.size(); i += 2) {
            const std::string& field = v[i];
            if (field == "sides") {
                if (i + 4 >= v.size())
                    Error("sides takes four numbers");
                for (int k = 0; k < 4; ++k)
                    value.Sides[k] = Number(v[i + 1 + k], 0, 9999);
                i += 3;
                continue;
            }
            if (i + 1 >= v.size())
                Error("'" + field + "' takes a number");
            // Single-character fields of the engine's fixed-width values hold one digit.
            if (field == "cells")
                value.ImageCount = Number(v[i + 1], 1, 9);
            else if (field == "masktype")
                value.MaskType = Number(v[i + 1], 0, 9);
            else if (field == "stretch")
                value.StretchMode = Number(v[i + 1], 0, value.Form == '~' ? 99 : 9);
            else if (field == "border")
                value.BorderWidth = Number(v[i + 1], 0, 9);
            else if (field == "type")
                value.TypeCode = Number(v[i + 1], 0, 4);
            else
                Error("unknown value field '" + field + "'");
        }
        return value;
    }

    void FinishSprite(Sprite& s)
    {
        if (s.Rows.empty())
            Fail(FFile, s.Line, "sprite '" + s.Name + "' has no art");
        if (s.Value.has_value() != !s.Uses.empty())
            Fail(FFile, s.Line, "sprite '" + s.Name + "' needs both a value and the keys that use it, or neither");
        FArt.Sprites.push_back(std::move(s));
    }

    void CheckPlacement(const Sprite& s) const
    {
        const Sheet& sheet = *FArt.FindSheet(s.SheetName);
        if (s.X + s.Width() > sheet.Width || s.Y + s.Height() > sheet.Height)
            Fail(FFile, s.Line, "sprite '" + s.Name + "' passes the edge of sheet '" + sheet.Name + "'");
        if (!s.Value)
            return;
        const ImageValue& v = *s.Value;
        const int w = s.Width(), h = s.Height();
        if (w % v.ImageCount != 0 || h % (v.MaskType + 1) != 0)
            Fail(FFile, s.Line, "sprite '" + s.Name + "' does not divide into its cells and rows");
        // Coordinates are four-digit fields.
        if (s.X + w > 9999 || s.Y + h > 9999)
            Fail(FFile, s.Line, "sprite '" + s.Name + "' lies beyond a four-digit coordinate");
        const int cellW = w / v.ImageCount, cellH = h / (v.MaskType + 1);
        if (v.Sides[0] + v.Sides[2] > cellW || v.Sides[1] + v.Sides[3] > cellH)
            Fail(FFile, s.Line, "sprite '" + s.Name + "' has sides wider than its cell");
        if (v.Form == '~' && v.ImageCount != 1)
            Fail(FFile, s.Line, "a texture has one cell");
        if (v.Form == '!' && (s.X != 0 || s.Y != 0 || w != sheet.Width || h != sheet.Height))
            Fail(FFile, s.Line, "an own image covers its whole sheet");
    }

    void CheckOverlaps() const
    {
        for (size_t i = 0; i < FArt.Sprites.size(); ++i)
            for (size_t j = 0; j < i; ++j) {
                const Sprite& a = FArt.Sprites[i];
                const Sprite& b = FArt.Sprites[j];
                if (a.SheetName == b.SheetName && a.X < b.X + b.Width() && b.X < a.X + a.Width() &&
                    a.Y < b.Y + b.Height() && b.Y < a.Y + a.Height())
                    Fail(FFile, a.Line, "sprite '" + a.Name + "' overlaps sprite '" + b.Name + "'");
            }
    }

    std::string_view FText;
    std::string FFile;
    size_t FPos = 0;
    int FLineNo = 0;
    std::string_view FLine;
    ArtFile FArt;
};

} // namespace

const ArtColour* ArtFile::FindColour(char c) const
{
    for (const ArtColour& colour : Palette)
        if (colour.Char == c)
            return &colour;
    return nullptr;
}

const Sheet* ArtFile::FindSheet(std::string_view name) const
{
    for (const Sheet& sheet : Sheets)
        if (sheet.Name == name)
            return &sheet;
    return nullptr;
}

ArtFile ParseArtFile(std::string_view text, std::string fileName)
{
    return Reader(text, std::move(fileName)).Read();
}

std::vector<char> RenderChars(const ArtFile& art, const Sheet& sheet)
{
    std::vector<char> pixels(static_cast<size_t>(sheet.Width) * sheet.Height, sheet.Fill);
    for (const Sprite& s : art.Sprites) {
        if (s.SheetName != sheet.Name)
            continue;
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x)
                pixels[static_cast<size_t>(s.Y + y) * sheet.Width + s.X + x] = s.Rows[y / s.Scale][x / s.Scale];
    }
    return pixels;
}

} // namespace ks::skingen
