// Writes the skin image value fuzz target's seed corpus: values of every form as stored skins
// write them, malformed ones beside them, each ending in the byte that sizes an own image.
#include "fuzz/SeedCorpus.h"

#include <filesystem>
#include <string>

namespace {

const char* const SeedValues[] = {
    "@0054@0048@0102@0065@3@0",
    "@-001@0000@$FFF@0004@9@1",
    "^0018^0050^0027^0059^0003^0003^0003^0003^1^0^5^1",
    "^0000^0000^0030^0030^0000^0000^0000^0000^3^1^0^0",
    "~0001~0052~0005~0057~00~0",
    "~0001~0052~0005~0057~12",
    "!BUTTONHUGE.BMP!3!1!0",
    "!GLYPH.PNG!2!0!7!1!2!3!4",
    "!!SHADOW.PNG!!!1!!0!!9",
    "!NOTES.TXT!1",
    "#A (10,20,40,26) (3,1,2)",
    "#B (0,0,9,9) (0,0,0,4)",
    "Skin #2",
    "MASTER.bmp",
    "#",
    "@00",
    "^0018^0050",
    "12345",
};

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);
    int n = 0;
    for (const std::string value : SeedValues)
        for (const char size : {'\x00', '\x35', '\xFF'})
            ks::fuzz::WriteSeed(dir / ("value-" + std::to_string(n++)), value + size);
    return 0;
}
