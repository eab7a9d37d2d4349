// Writes the icon fuzz target's seed corpus from the tests' builder.
#include "fuzz/SeedCorpus.h"
#include "host/support/ImageBuilders.h"

#include <filesystem>
#include <string>

using ks::test::IcoBuilder;
using ks::test::IcoImage;

namespace {

IcoImage Dib(int size, uint16_t bpp)
{
    IcoImage i;
    i.width = i.height = size;
    i.bpp = bpp;
    return i;
}

void Save(const std::filesystem::path& dir, const std::string& name, std::vector<IcoImage> images)
{
    IcoBuilder b;
    b.images = std::move(images);
    ks::fuzz::WriteSeed(dir / (name + ".ico"), b.Build());
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);
    Save(dir, "one32", {Dib(16, 32)});
    Save(dir, "depths", {Dib(16, 1), Dib(16, 4), Dib(16, 8), Dib(16, 24)});
    Save(dir, "sizes", {Dib(16, 32), Dib(32, 32), Dib(48, 8)});
    IcoImage png;
    png.png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
               0, 0, 0, 32, 0, 0, 0, 32, 8, 6, 0, 0, 0, 0, 0, 0, 0};
    Save(dir, "png", {Dib(16, 32), png});
    return 0;
}
