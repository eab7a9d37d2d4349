// Writes the seed corpus of the TMemIniFile fuzz target into the folder argv[1]: options texts
// in the shapes the skin readers meet, each once per input path (the last byte).
#include "fuzz/SeedCorpus.h"

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

const char* const SeedTexts[] = {
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

// Texts at and just past each of the target's limits (64 KiB of text, lines of 512 bytes, 64
// sections, 256 entries), so that every limit check is reached from the first run.
std::string Lines(int sections, int entries, size_t lineBytes, const char* lineEnd)
{
    std::string text;
    for (int s = 0; s < sections; ++s) {
        text += "[S" + std::to_string(s) + "]" + lineEnd;
        for (int e = 0; e < entries; ++e) {
            std::string line = "K" + std::to_string(e) + "=";
            line.resize(std::max(line.size(), lineBytes), 'v');
            text += line + lineEnd;
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
        for (char mode : {'\0', '\1'})
            ks::fuzz::WriteSeed(dir / ("seed-" + std::to_string(n++)), text + mode);
    };
    for (const char* text : SeedTexts)
        save(text);
    // Just under 64 KiB with bare LF line ends: a rewrite that joins lines with CR LF outgrows it.
    save(Lines(1, 255, 255, "\n"));
    save(Lines(1, 255, 256, "\r\n"));   // just over 64 KiB
    save(Lines(1, 2, 512, "\n"));        // a line of the longest length, and one over it
    save(Lines(1, 1, 513, "\n"));
    save(Lines(64, 1, 4, "\n"));         // the most sections, and one more
    save(Lines(65, 0, 0, "\n"));
    save(Lines(2, 128, 4, "\n"));        // the most entries, and one more
    save(Lines(1, 257, 4, "\n"));
    return 0;
}
