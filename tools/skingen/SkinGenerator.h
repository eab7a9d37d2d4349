#pragma once
// Builds the internal skin and the engine's embedded pictures from their readable sources in
// one folder (skins/Terminal4bit):
// - layout.txt: palette, the sheets Master.bmp and ButtonHuge.bmp, their sprites and the options
//   keys that point at each sprite (ArtFile.h describes the syntax);
// - Options.template: the hand-written part of the options text. Comments (";") are dropped;
//   each section receives, after its own keys, the image keys of layout.txt that name it, with
//   values written in the engine's fixed-width layout from the sprite's rectangle:
//     @LLLL@TTTT@RRRR@BBBB@C@M                          glyph
//     ^LLLL^TTTT^RRRR^BBBB^WLWL^WTWT^WRWR^WBWB^C^M^S^B  border
//     ~LLLL~TTTT~RRRR~BBBB~SS~M                         texture
//     !FILE.BMP!C!M!T[!WL!WT!WR!WB]                     own image (a whole sheet)
// - glyphs.txt: the embedded RGBA glyphs, one PNG per sheet;
// - shadows.txt: the window shadows, one line "shadow NAME WIDTH HEIGHT L T R B #RRGGBB ALPHA"
//   each, where L T R B are the margins by which the window lies inside the picture;
// - icon.txt: the program's icon, one sheet per size, each stored at 32, 8 and 4 bits.
// Options keys and section names are upper case; the text begins with "[GLOBALINFO]".

#include "tools/skingen/ArtFile.h"
#include "tools/skingen/ImageWriters.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ks::skingen {

// One image value of the options text as written (not resolved by the loader's side rule).
struct ImageRecord {
    std::string Section;
    std::string Key;
    std::string Value;
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    ImageValue Fields;
};

struct OutputFile {
    std::string Name;
    std::vector<uint8_t> Bytes;
};

struct GeneratedSkin {
    // Options.dat, Master.bmp, ButtonHuge.bmp: exactly what goes into the packed skin.
    std::vector<OutputFile> SkinFiles;
    // The embedded PNG glyphs and shadows, the icon and the manifest header.
    std::vector<OutputFile> Resources;
    std::vector<std::string> Sections;
    std::vector<ImageRecord> Images;
};

// Builds the options text from the template and the layout. Raises Exception when a key names a
// section the template lacks, a key is given twice in a section, a name is not upper case, the
// text does not begin with GLOBALINFO, or MASTERBITMAP does not name the sheet that the
// "@ ^ ~" sprites lie on.
std::string BuildOptionsText(std::string_view templateText, const ArtFile& layout,
    std::vector<std::string>* sections = nullptr, std::vector<ImageRecord>* images = nullptr);

// A picture whose pixels fade from Alpha at the window's edge to 0 at the picture's edge; the
// window's own area (inside the margins) is fully transparent.
RgbaImage DrawShadow(int width, int height, const std::array<int, 4>& margins, const ArtColour& colour);

// Everything, from the source folder. Raises Exception on any fault of the sources.
GeneratedSkin GenerateSkin(const std::filesystem::path& sourceFolder);

// The skin files go into OUTPUT/Terminal4bit (the folder the skin packer packs), everything else
// into OUTPUT itself.
void WriteGeneratedSkin(const GeneratedSkin& skin, const std::filesystem::path& outputFolder);

} // namespace ks::skingen
