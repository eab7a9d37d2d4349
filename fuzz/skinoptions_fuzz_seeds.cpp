// Writes the skin options fuzz target's seed corpus: options texts of the shapes the tests
// read, each with every mode byte.
#include "fuzz/SeedCorpus.h"

#include <filesystem>
#include <string>

namespace {

const char* const kTexts[] = {
    "[GLOBALINFO]\r\nVERSION=6.4\r\nAUTHOR=Keysmith\r\nCOLOR=0\r\nFONTCOLOR=32768\r\nTCLEFT=0\r\n"
    "SHADOW1BLUR=10\r\nBILEFT=2\r\nBORDERWIDTH=0x10\r\nSHADOW1COLOR=-16777201\r\n"
    "[EDIT]\r\nCOLOR=0\r\nFONTCOLOR=32768\r\nHOTFONTCOLOR=65280\r\n[COMBOBOX]\r\nPARENTCLASS=EDIT\r\n"
    "[SPEEDBUTTON]\r\nCOLOR=128769\r\nFADINGITERATIONS=20\r\nFADINGENABLED=true\r\n"
    "[SPEEDBUTTON_SMALL]\r\nPARENTCLASS=SPEEDBUTTON\r\n[SPLITTER]\r\nPARENTCLASS=SPEEDBUTTON_SMALL\r\n",
    "[A]\nPARENTCLASS=B\nGLOW=-1\n[B]\nPARENTCLASS=A\nTCLEFT=?\n[SELF]\nPARENTCLASS=self\n",
    "[HINT]\nGRADIENTDATA=0;32768;100;0;0\nHOTGRADIENTDATA=16777215;255;50;0;0;255;0;50;1;0\n"
    "[PANEL]\nGLOW=3\nGLOWMARGIN=2\nSHOWFOCUS=TRUE\n[MYPANEL]\nPARENTCLASS=panel\nGLOWMARGIN=-1\n",
    "; comment\nstray=1\n[GLOBALINFO]\nSHADOW1OFFSET=$7FFF\nBICONCLOSEGLOW=3\nMAXHEIGHT=0\n[X]\n[X]\nCOLOR=$80000005\n",
};

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);
    int n = 0;
    for (const std::string text : kTexts) {
        for (char mode = 0; mode < 4; ++mode) {
            ks::fuzz::WriteSeed(dir / ("options-" + std::to_string(n) + "-" + std::to_string(mode) + ".ini"),
                text + mode);
        }
        ++n;
    }
    return 0;
}
