// Writes the BMP fuzz target's seed corpus from the tests' builder: one file per header kind,
// depth and compression the reader accepts.
#include "fuzz/SeedCorpus.h"
#include "host/support/ImageBuilders.h"

#include <filesystem>
#include <string>

using ks::test::BmpBuilder;

namespace {

void Save(const std::filesystem::path& dir, const std::string& name, const BmpBuilder& b)
{
    ks::fuzz::WriteSeed(dir / (name + ".bmp"), b.Build());
}

BmpBuilder Make(uint32_t headerSize, uint16_t bpp, uint32_t compression, int32_t w, int32_t h)
{
    BmpBuilder b;
    b.headerSize = headerSize;
    b.bpp = bpp;
    b.compression = compression;
    b.width = w;
    b.height = h;
    if (bpp <= 8)
        for (uint32_t i = 0; i < (1u << bpp); ++i)
            b.palette.push_back(i * 0x010101u);
    const size_t stride = ((static_cast<size_t>(w) * bpp + 31) / 32) * 4;
    for (size_t i = 0; i < stride * static_cast<size_t>(h < 0 ? -h : h); ++i)
        b.pixels.push_back(static_cast<uint8_t>(i * 13));
    return b;
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);
    Save(dir, "rgb24", Make(40, 24, 0, 5, 3));
    Save(dir, "rgb24_topdown", Make(40, 24, 0, 3, -2));
    Save(dir, "rgb32_v5", Make(124, 32, 0, 4, 4));
    Save(dir, "pal1", Make(40, 1, 0, 9, 2));
    Save(dir, "pal4", Make(40, 4, 0, 7, 3));
    Save(dir, "pal8", Make(40, 8, 0, 6, 2));
    Save(dir, "core8", Make(12, 8, 0, 3, 3));
    Save(dir, "core24", Make(12, 24, 0, 3, 3));
    Save(dir, "rgb16", Make(40, 16, 0, 3, 3));
    BmpBuilder f565 = Make(40, 16, 3, 3, 2);
    f565.masks = {0xF800, 0x07E0, 0x001F, 0};
    Save(dir, "bitfields565", f565);
    BmpBuilder f32 = Make(108, 32, 3, 2, 2);
    f32.masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    Save(dir, "bitfields32_v4", f32);
    BmpBuilder rle8 = Make(40, 8, 1, 4, 3);
    rle8.pixels = {3, 5, 0, 0, 0, 3, 7, 8, 9, 0, 1, 4, 0, 0, 0, 2, 2, 0, 1, 6, 0, 1};
    Save(dir, "rle8", rle8);
    BmpBuilder rle4 = Make(40, 4, 2, 5, 2);
    rle4.pixels = {5, 0x12, 0, 0, 0, 3, 0x45, 0x60, 0, 1};
    Save(dir, "rle4", rle4);
    // At and past the target's limit of 2^20 pixels.
    Save(dir, "limit", Make(40, 1, 0, 1024, 1024));
    Save(dir, "past-limit", Make(40, 1, 0, 1025, 1024));
    return 0;
}
