// Writes the seed corpus of the TMemIniFile fuzz target into the folder argv[1]: options texts
// in the shapes the skin readers meet, each once per input path (the last byte).
#include "fuzz/SeedCorpus.h"

#include <filesystem>
#include <string>

namespace {

const char* const kTexts[] = {
    "[GLOBALINFO]\r\nVERSION=6.4\r\nAUTHOR=Keysmith\r\nSHADOW1BLUR=10\r\nBILEFT=2\r\n"
    "MASTERBITMAP=MASTER.BMP\r\nBOXCHECKED=@0054@0048@0102@0065@3@0\r\n",
    "[SPEEDBUTTON]\r\nCOLOR=128769\r\nFADINGITERATIONS=20\r\n[SPEEDBUTTON_SMALL]\r\n"
    "PARENTCLASS=SPEEDBUTTON\r\n[SPLITTER]\r\nPARENTCLASS=SPEEDBUTTON_SMALL\r\n",
    "; comment\norphan=1\n[Edit]\nFontColor=32768\nFONTCOLOR=0x1F\n no equals \n=blank\n[Broken\n"
    "[edit]\rColor=-16777201\r[ Spaced ]\n[]\nk=v",
    "[A]\nGRADIENTDATA=16777215;0;50;0;0;8421504;16777215;50;0;0\nBORDERSMASK=^0018^0050^0027^0059"
    "^0003^0003^0003^0003^1^0^5^1\nPATTERN=tile.jpg\nX=#A (10,20,40,26) (3,1,2)\n",
    "",
};

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);
    int n = 0;
    for (const char* text : kTexts) {
        for (char mode : {'\0', '\1'}) {
            ks::fuzz::WriteSeed(dir / ("seed-" + std::to_string(n++)), std::string(text) + mode);
        }
    }
    return 0;
}
