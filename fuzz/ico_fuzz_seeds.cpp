// Writes the icon fuzz target's seed corpus from the tests' builder.
#include "fuzz/SeedCorpus.h"
#include "host/support/ImageBuilders.h"
#include "host/support/SmallPng.h"

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
    png.width = png.height = 32;
    png.png = ks::test::MakeUniformPng(32, 32, 1, 2, 3, 4);
    Save(dir, "png", {Dib(16, 32), png});
    // At and past the target's limits: 16 images, 2^16 pixels per image.
    Save(dir, "sixteen", std::vector<IcoImage>(16, Dib(1, 1)));
    Save(dir, "seventeen", std::vector<IcoImage>(17, Dib(1, 1)));
    Save(dir, "limit", {Dib(256, 1)});
    IcoImage wide = Dib(257, 1);
    wide.height = 256;
    Save(dir, "past-limit", {wide});
    return 0;
}
