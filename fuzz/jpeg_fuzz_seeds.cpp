// Writes the JPEG fuzz target's seed corpus with libjpeg's compressor (through the tests' builder).
#include "fuzz/SeedCorpus.h"
#include "host/support/ImageBuilders.h"

#include <filesystem>
#include <string>

namespace {

void Save(const std::filesystem::path& dir, const std::string& name, const std::vector<uint8_t>& bytes)
{
    ks::fuzz::WriteSeed(dir / (name + ".jpg"), bytes);
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);
    Save(dir, "baseline", ks::test::MakeJpeg(17, 9, 0xE0A030));
    Save(dir, "grey", ks::test::MakeJpeg(8, 8, 0x808080, 1));
    Save(dir, "progressive", ks::test::MakeJpeg(24, 16, 0x102030, 3, true));
    Save(dir, "cmyk", ks::test::MakeJpeg(8, 8, 0x102030, 4));
    return 0;
}
