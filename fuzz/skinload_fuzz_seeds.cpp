// Writes the whole-skin fuzz target's seed corpus: packed skins whose options name a master
// bitmap, own BMP and PNG images, a bitmap file, JPEG pictures on both sides of the texture
// threshold and common sections, with the pictures made by the tests' builders; each once per
// source (internal data, packed file, folder), and the full skin also with common sections, hue
// and saturation.
#include "fuzz/SeedCorpus.h"
#include "host/support/ArchiveBuilder.h"
#include "host/support/ImageBuilders.h"
#include "host/support/SmallPng.h"

#include <filesystem>
#include <initializer_list>
#include <string>

using ks::test::ArchiveBuilder;

namespace {

std::vector<uint8_t> Bitmap(int width, int height, uint16_t bpp)
{
    ks::test::BmpBuilder b;
    b.width = width;
    b.height = height;
    b.bpp = bpp;
    if (bpp <= 8)
        for (uint32_t i = 0; i < (1u << bpp); ++i)
            b.palette.push_back(i * 0x010101u);
    b.pixels.assign(((static_cast<size_t>(width) * bpp + 31) / 32) * 4 * static_cast<size_t>(height), 0x5A);
    return b.Build();
}

const char* const OptionsText =
    "[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\nBORDERWIDTH=4\r\nTITLEHEIGHT=22\r\n"
    "BOXCHECKED=@0054@0048@0102@0065@3@0\r\nRADIOCHECKED=@0000@0000@0012@0012@2@1\r\n"
    "BIKEEPHUE=1\r\nBICONCLOSE=@0100@0060@0130@0080@3@0\r\nBICONMAX=!BUTTON.BMP!3!1!0\r\n"
    "[EDIT]\r\nCOLOR=0\r\nFONTCOLOR=32768\r\nBORDERSMASK=^0018^0050^0027^0059^0003^0003^0003^0003^1^0^5^1\r\n"
    "PATTERN=~0001~0052~0005~0057~00~0\r\nTOPLEFT=#A (10,20,40,26) (3,1,2)\r\n"
    "[COMBOBOX]\r\nPARENTCLASS=EDIT\r\nGLYPHMASK=!ARROW.PNG!3!0!7\r\n"
    "[BUTTON]\r\nBORDERSMASK=!BUTTON.BMP!3!1!0!4!4!4!4\r\nHOTPATTERN=TILE.JPG\r\n"
    "[FORM]\r\nBORDERSMASK=FRAME.BMP\r\nPATTERN=BIG.JPEG\r\n"
    "[TABTOP]\r\nPARENTCLASS=BUTTON\r\nSCROLLBTNTOP=@0000@0000@0009@0009@1@0\r\n";

// Common sections: a grouped rectangle of the master, a bitmap file and a JPEG file beside the
// skin, and a section that takes its values from the skin's own EDIT.
const char* const CommonText =
    "[MYPANEL]\r\nPARENTCLASS=edit\r\nBORDERSMASK=#A (0,0,30,20) (3,1,2)\r\nGLYPH=PANEL.BMP\r\n"
    "PATTERN=COMMON.JPG\r\n[EDIT]\r\nCOLOR=255\r\n";

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);
    const auto save = [&](const std::string& name, const ArchiveBuilder& b, std::initializer_list<uint8_t> modes) {
        std::vector<uint8_t> bytes = b.Build();
        for (uint8_t mode : modes) {
            bytes.push_back(mode);
            ks::fuzz::WriteSeed(dir / (name + "-" + std::to_string(mode) + ".asz"), bytes);
            bytes.pop_back();
        }
    };
    // Internal data, packed file, folder; then common sections, hue and saturation over each.
    const std::initializer_list<uint8_t> sources = {0, 1, 2};
    const std::initializer_list<uint8_t> everything = {0, 1, 2, 4, 5, 6, 4 | 8, 5 | 16 | 32, 6 | 24 | 64};

    ArchiveBuilder full;
    full.Add("Options.dat", OptionsText);
    full.Add("Master.bmp", Bitmap(120, 70, 24));
    full.Add("Arrow.png", ks::test::MakeUniformPng(27, 9, 10, 20, 30, 200));
    full.Add("BUTTON.BMP", Bitmap(30, 20, 8));
    full.Add("frame.bmp", Bitmap(18, 12, 4));
    full.Add("Tile.jpg", ks::test::MakeJpeg(16, 16, 0x336699));
    full.Add("Big.jpeg", ks::test::MakeJpeg(320, 300, 0x996633, 1));
    full.Add("Common.txt", CommonText);
    full.Add("Panel.bmp", Bitmap(12, 9, 24));
    full.Add("Common.jpg", ks::test::MakeJpeg(20, 10, 0x123456));
    save("full", full, everything);

    ArchiveBuilder small = ks::test::SmallSkinArchive();
    save("small", small, sources);

    // The texture threshold: 299 x 300 pixels is a texture image, 300 x 300 a pattern.
    ArchiveBuilder threshold;
    threshold.Add("Options.dat", "[PANEL]\r\nPATTERN=BELOW.JPG\r\nHOTPATTERN=AT.JPG\r\n");
    threshold.Add("Below.jpg", ks::test::MakeJpeg(299, 300, 0x445566));
    threshold.Add("At.jpg", ks::test::MakeJpeg(300, 300, 0x665544));
    save("threshold", threshold, sources);

    // Pictures at and past the target's 2^18 pixels, and a master bitmap that is no bitmap.
    ArchiveBuilder large;
    large.Add("Options.dat", "[GLOBALINFO]\r\nMASTERBITMAP=MASTER.BMP\r\n[A]\r\nX=!ONE.BMP!1!0!0\r\nY=!TWO.BMP!1!0!0\r\n");
    large.Add("Master.bmp", ks::test::NoiseBytes(64, 3));
    large.Add("One.bmp", Bitmap(512, 512, 1));
    large.Add("Two.bmp", Bitmap(513, 512, 1));
    save("limits", large, sources);

    // One picture named by thousands of keys: each decodes it anew, up to the load's budget.
    ArchiveBuilder repeated;
    std::string many = "[A]\r\n";
    for (int i = 0; i < 2000; ++i)
        many += "K" + std::to_string(i) + "=!ONE.BMP!1!0!0\r\n";
    repeated.Add("Options.dat", many);
    repeated.Add("One.bmp", Bitmap(512, 512, 1));
    save("repeated", repeated, {0});
    return 0;
}
