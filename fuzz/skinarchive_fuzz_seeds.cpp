// Writes the packed skin archive fuzz target's seed corpus from the tests' archive builder.
#include "host/support/ArchiveBuilder.h"

#include <filesystem>
#include <fstream>
#include <string>

using ks::test::ArchiveBuilder;

namespace {

void Save(const std::filesystem::path& dir, const std::string& name, const ArchiveBuilder& b)
{
    std::vector<uint8_t> bytes = b.Build();
    std::ofstream(dir / (name + ".asz"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);

    Save(dir, "small", ks::test::SmallSkinArchive());

    ArchiveBuilder optionsOnly;
    optionsOnly.Add("OPTIONS.DAT", "[GLOBALINFO]\nVERSION=6.4\n");
    Save(dir, "options-only", optionsOnly);

    ArchiveBuilder varied;
    varied.Add("oPTIONS.dAT", "[A]").Add("Empty.bmp", std::vector<uint8_t>{}).Add("x.Png", "png");
    varied.Add("Options.dat", "[B]\nCOLOR=1\n");
    varied.Last().level = 0;
    varied.Add("a.b.Bmp", ks::test::NoiseBytes(300, 7));
    varied.Last().level = 9;
    varied.trailer = ks::test::Bytes("trailer");
    Save(dir, "varied", varied);

    ArchiveBuilder fewer = ks::test::SmallSkinArchive();
    fewer.fileCount = 2;
    Save(dir, "fewer-declared", fewer);
    return 0;
}
