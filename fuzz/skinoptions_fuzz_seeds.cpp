// Writes the skin options fuzz target's seed corpus: options texts of the shapes the tests
// read, each with every mode byte.
#include "fuzz/SeedCorpus.h"

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

const char* const SeedTexts[] = {
    "[GLOBALINFO]\r\nVERSION=6.4\r\nAUTHOR=Keysmith\r\nCOLOR=0\r\nFONTCOLOR=32768\r\nTCLEFT=0\r\n"
    "SHADOW1BLUR=10\r\nBILEFT=2\r\nBORDERWIDTH=0x10\r\nSHADOW1COLOR=-16777201\r\n"
    "[EDIT]\r\nCOLOR=0\r\nFONTCOLOR=32768\r\nHOTFONTCOLOR=65280\r\n[COMBOBOX]\r\nPARENTCLASS=EDIT\r\n"
    "[SPEEDBUTTON]\r\nCOLOR=128769\r\nFADINGITERATIONS=20\r\nFADINGENABLED=true\r\n"
    "[SPEEDBUTTON_SMALL]\r\nPARENTCLASS=SPEEDBUTTON\r\n[SPLITTER]\r\nPARENTCLASS=SPEEDBUTTON_SMALL\r\n",
    "[A]\nPARENTCLASS=B\nGLOW=-1\n[B]\nPARENTCLASS=A\nTCLEFT=?\n[SELF]\nPARENTCLASS=self\n",
    ("[HINT]\nGRADIENTDATA=0;32768;100;0;0\nHOTGRADIENTDATA=16777215;255;50;0;0;255;0;50;1;0\n"
     "[PANEL]\nGLOW=3\nGLOWMARGIN=2\nSHOWFOCUS=TRUE\n[MYPANEL]\nPARENTCLASS=panel\nGLOWMARGIN=-1\n"),
    "; comment\nstray=1\n[GLOBALINFO]\nSHADOW1OFFSET=$7FFF\nBICONCLOSEGLOW=3\nMAXHEIGHT=0\n[X]\n[X]\nCOLOR=$80000005\n",
};

// A chain of sections, each naming the next as its parent, with the key only at the far end:
// deeper than the target's parent depth of 8 the key counts as absent.
std::string ParentChain(int depth)
{
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += "[S" + std::to_string(i) + "]\nPARENTCLASS=S" + std::to_string(i + 1) + "\n";
    return text + "[S" + std::to_string(depth) + "]\nCOLOR=255\nGRADIENTDATA=0;255;100;0;0\n";
}

// sections sections of entries entries each, every line padded to lineBytes.
std::string Sections(int sections, int entries, size_t lineBytes)
{
    std::string text;
    for (int s = 0; s < sections; ++s) {
        text += "[S" + std::to_string(s) + "]\n";
        for (int e = 0; e < entries; ++e) {
            std::string line = (e % 2 ? "COLOR=" : "FONTCOLOR=") + std::to_string(e);
            line.resize(std::max(line.size(), lineBytes), ' ');
            text += line + "\n";
        }
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);
    int n = 0;
    const auto save = [&](const std::string& text) {
        for (char mode = 0; mode < 4; ++mode)
            ks::fuzz::WriteSeed(dir / ("options-" + std::to_string(n) + "-" + std::to_string(mode) + ".ini"),
                text + mode);
        ++n;
    };
    for (const std::string text : SeedTexts)
        save(text);
    // At and just past each limit of the target: parent depth 8, 256 sections, 4096 entries,
    // lines of 4 KiB and 64 KiB of text.
    save(ParentChain(8));
    save(ParentChain(9));
    save(Sections(256, 1, 0));
    save(Sections(257, 0, 0));
    save(Sections(16, 256, 0));
    save(Sections(1, 4097, 0));
    save(Sections(1, 2, 4096));
    save(Sections(1, 1, 4097));
    save(Sections(1, 16, 4000));
    save(Sections(1, 17, 4000));
    return 0;
}
