// Writes the whole-skin fuzz target's seed corpus: packed skins whose options name a master
// bitmap, own BMP and PNG images, a bitmap file and JPEG patterns of both sizes the loader tells
// apart, with the pictures made by the tests' builders; each once per source (archive, folder).
#include "fuzz/SeedCorpus.h"
#include "host/support/ArchiveBuilder.h"
#include "host/support/ImageBuilders.h"
#include "host/support/SmallPng.h"

#include <filesystem>
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
    "[EDIT]\r\nCOLOR=0\r\nFONTCOLOR=32768\r\nBORDERSMASK=^0018^0050^0027^0059^0003^0003^0003^0003^1^0^5^1\r\n"
    "PATTERN=~0001~0052~0005~0057~00~0\r\nTOPLEFT=#A (10,20,40,26) (3,1,2)\r\n"
    "[COMBOBOX]\r\nPARENTCLASS=EDIT\r\nGLYPHMASK=!ARROW.PNG!3!0!7\r\n"
    "[BUTTON]\r\nBORDERSMASK=!BUTTON.BMP!3!1!0!4!4!4!4\r\nHOTPATTERN=TILE.JPG\r\n"
    "[FORM]\r\nBORDERSMASK=FRAME.BMP\r\nPATTERN=BIG.JPEG\r\n"
    "[TABTOP]\r\nPARENTCLASS=BUTTON\r\nSCROLLBTNTOP=@0000@0000@0009@0009@1@0\r\n";

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);
    const auto save = [&](const std::string& name, const ArchiveBuilder& b) {
        std::vector<uint8_t> bytes = b.Build();
        for (uint8_t source : {0, 1}) {
            bytes.push_back(source);
            ks::fuzz::WriteSeed(dir / (name + "-" + std::to_string(source) + ".asz"), bytes);
            bytes.pop_back();
        }
    };

    ArchiveBuilder full;
    full.Add("Options.dat", OptionsText);
    full.Add("Master.bmp", Bitmap(120, 70, 24));
    full.Add("Arrow.png", ks::test::MakeUniformPng(27, 9, 10, 20, 30, 200));
    full.Add("BUTTON.BMP", Bitmap(30, 20, 8));
    full.Add("frame.bmp", Bitmap(18, 12, 4));
    full.Add("Tile.jpg", ks::test::MakeJpeg(16, 16, 0x336699));
    full.Add("Big.jpeg", ks::test::MakeJpeg(320, 300, 0x996633, 1));
    save("full", full);

    ArchiveBuilder small = ks::test::SmallSkinArchive();
    save("small", small);

    // Pictures at and past the target's 2^18 pixels, and a master bitmap that is no bitmap.
    ArchiveBuilder large;
    large.Add("Options.dat", "[GLOBALINFO]\r\nMASTERBITMAP=MASTER.BMP\r\n[A]\r\nX=!ONE.BMP!1!0!0\r\nY=!TWO.BMP!1!0!0\r\n");
    large.Add("Master.bmp", ks::test::NoiseBytes(64, 3));
    large.Add("One.bmp", Bitmap(512, 512, 1));
    large.Add("Two.bmp", Bitmap(513, 512, 1));
    save("limits", large);
    return 0;
}
