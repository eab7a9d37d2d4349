#pragma once
// Reads the readable sources of the internal skin's pictures: a palette, sheets (the pictures
// the generator writes) and ASCII-art sprites placed on them, each optionally describing the
// skin image value that options keys give for its rectangle.
//
// Syntax, one directive per line; blank lines and lines beginning with "#" are ignored:
//   colour C #RRGGBB [ALPHA]   palette entry drawn with the character C (not blank, not "#");
//                              ALPHA 0..255, default 255. In an 8-bit sheet the entry's index
//                              is its position in the palette.
//   sheet NAME WIDTH HEIGHT C  a picture of that size, filled with colour C where no sprite lies
//   sprite NAME SHEET X Y [scale N]
//     value FORM [cells N] [masktype N] [stretch N] [border N] [sides L T R B] [type N]
//     use SECTION KEY          (any number; each makes one options entry of that value)
//   art
//     rows of colour characters; blanks inside a row only separate cells for the eye, and
//     rows that are empty once blanks are removed separate the picture row from the mask row
//   end
// FORM is "@" (glyph), "^" (border), "~" (texture) or "!" (an own image: the whole sheet).
// The sprite's rectangle is X, Y and the art's size times the scale.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ks::skingen {

struct ArtColour {
    char Char = 0;
    uint8_t R = 0, G = 0, B = 0, A = 255;
};

struct Sheet {
    std::string Name;
    int Width = 0;
    int Height = 0;
    char Fill = 0;
};

// The fields of one skin image value. Fields a form does not carry stay at their defaults.
struct ImageValue {
    char Form = 0;
    int ImageCount = 1;
    int MaskType = 0;
    int StretchMode = 0;
    int BorderWidth = 0;
    std::array<int, 4> Sides{0, 0, 0, 0}; // WL, WT, WR, WB
    int TypeCode = 0;
};

struct KeyUse {
    std::string Section;
    std::string Key;
};

struct Sprite {
    std::string Name;
    std::string SheetName;
    int X = 0;
    int Y = 0;
    int Scale = 1;
    // Unscaled, blanks removed, all of one length.
    std::vector<std::string> Rows;
    std::optional<ImageValue> Value;
    std::vector<KeyUse> Uses;
    // Where the sprite begins in its file, for messages.
    int Line = 0;

    int Width() const { return Rows.empty() ? 0 : static_cast<int>(Rows.front().size()) * Scale; }
    int Height() const { return static_cast<int>(Rows.size()) * Scale; }
};

struct ArtFile {
    std::string FileName;
    std::vector<ArtColour> Palette;
    std::vector<Sheet> Sheets;
    std::vector<Sprite> Sprites;

    const ArtColour* FindColour(char c) const;
    const Sheet* FindSheet(std::string_view name) const;
};

// Raises Exception with the file name and line of the first fault: an unknown directive or
// colour, a malformed number, ragged art, a sprite outside its sheet or over another sprite,
// or a value whose fields do not fit the fixed-width layout the engine reads.
ArtFile ParseArtFile(std::string_view text, std::string fileName);

// The sheet as one colour character per pixel, rows top-down.
std::vector<char> RenderChars(const ArtFile& art, const Sheet& sheet);

} // namespace ks::skingen
