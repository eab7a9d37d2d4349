// Writes the packed skin archive fuzz target's seed corpus from the tests' archive builder.
#include "fuzz/SeedCorpus.h"
#include "host/support/ArchiveBuilder.h"

#include <filesystem>
#include <string>

using ks::test::ArchiveBuilder;

namespace {

void Save(const std::filesystem::path& dir, const std::string& name, const ArchiveBuilder& b)
{
    ks::fuzz::WriteSeed(dir / (name + ".asz"), b.Build());
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);

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
