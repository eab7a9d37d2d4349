// Writes the seed corpus of the hint tag fuzz target into the folder argv[1]: hint texts with
// every tag and attribute the layout knows, each once as bytes and once as UTF-16.
#include "fuzz/SeedCorpus.h"

#include <string>

namespace {

const char* const SeedTexts[] = {
    "Plain hint text",
    "<b>Bold</b> and <i>italic</i><br>second line",
    "a<<b <<< <br><BR><p>P<P ALIGN=RIGHT>right<p align=\"center\">centre<p align=left>",
    ("<font size=+2 color=#FF0000>big red</font><FONT SIZE=\"-3\" COLOR=navy>small</FONT>"
     "<font size=12 color=00ff80 face=\"Courier New\">fixed</font></font></b></i>"),
    "<font size=+100000><font size=-99999><font size=1e3><font color=#123456789ABCDEF>x",
    "<font face=\"\"><font face=unquoted><font face=\"open>tail",
    "text\r\nwith\nbreaks\rinside<unknown tag=1><xyz><",
    "<<<<<<<<<<",
    "",
};

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);
    int n = 0;
    for (const char* seed : SeedTexts) {
        const std::string bytes(seed);
        ks::fuzz::WriteSeed(dir / ("seed-" + std::to_string(n++)), bytes + '\x06');
        std::string utf16;
        for (char c : bytes)
            utf16 += std::string{c, '\0'};
        ks::fuzz::WriteSeed(dir / ("seed-" + std::to_string(n++)), utf16 + '\x41');
    }
    std::string nested;
    for (int i = 0; i < 100; ++i)
        nested += "<font size=+1 color=red>";
    nested += "deep";
    for (int i = 0; i < 120; ++i)
        nested += "</font>";
    ks::fuzz::WriteSeed(dir / ("seed-" + std::to_string(n++)), nested + '\x00');
    return 0;
}
