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

    // At and past the target's limits: 64 entries, 1 MiB per entry, 4 MiB in all.
    for (const int count : {64, 65}) {
        ArchiveBuilder many;
        many.Add("Options.dat", "[A]\n");
        for (int i = 1; i < count; ++i)
            many.Add("i" + std::to_string(i) + ".bmp", "x");
        Save(dir, "entries" + std::to_string(count), many);
    }
    for (const size_t size : {size_t{1} << 20, (size_t{1} << 20) + 1}) {
        ArchiveBuilder big;
        big.Add("Options.dat", "[A]\n").Add("big.bmp", std::vector<uint8_t>(size));
        Save(dir, "entry" + std::to_string(size), big);
    }
    for (const int count : {3, 4}) {
        ArchiveBuilder total;
        total.Add("Options.dat", "[A]\n");
        for (int i = 0; i < count; ++i)
            total.Add("big" + std::to_string(i) + ".bmp", std::vector<uint8_t>(size_t{1} << 20));
        Save(dir, "total" + std::to_string(count), total);
    }
    return 0;
}
