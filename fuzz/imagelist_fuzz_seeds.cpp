// Writes the image list fuzz target's seed corpus: form resources of a list whose items hold PNG
// and icon files made by the tests' builders, and lists at and past the target's item limit.
#include "fuzz/SeedCorpus.h"
#include "host/support/ImageBuilders.h"
#include "host/support/SmallPng.h"
#include "vcl/FormText.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Item {
    const char* format;
    std::vector<uint8_t> bytes;
};

std::string Hex(const std::vector<uint8_t>& bytes)
{
    std::string text;
    char digits[3];
    for (uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        text += digits;
    }
    return text;
}

std::vector<uint8_t> ImageList(const std::vector<Item>& items)
{
    std::string text = "object Images: TFuzzImageList\n  Width = 24\n  Items = <";
    for (const Item& item : items)
        text += std::string("\n    item\n      ImageFormat = ") + item.format +
                (item.format == std::string("ifICO") ? "\n      PixelFormat = pf24bit" : "") + "\n      ImgData = {" +
                Hex(item.bytes) + "}\n    end";
    return CompileFormText(text + ">\nend\n");
}

std::vector<uint8_t> Icon(std::vector<ks::test::IcoImage> images)
{
    ks::test::IcoBuilder b;
    b.images = std::move(images);
    return b.Build();
}

ks::test::IcoImage Dib(int size, uint16_t bpp)
{
    ks::test::IcoImage i;
    i.width = i.height = size;
    i.bpp = bpp;
    return i;
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);
    const std::vector<uint8_t> png = ks::test::MakeUniformPng(16, 16, 200, 100, 50, 128);
    ks::test::IcoImage pngImage;
    pngImage.width = pngImage.height = 16;
    pngImage.png = png;
    const Item pngItem{"ifPNG", png};
    const Item iconItem{"ifICO", Icon({Dib(16, 32), Dib(16, 8), pngImage})};
    ks::fuzz::WriteSeed(dir / "png-and-icon", ImageList({pngItem, iconItem}));
    ks::fuzz::WriteSeed(dir / "low-depths", ImageList({{"ifICO", Icon({Dib(16, 1), Dib(16, 4), Dib(32, 24)})}}));
    ks::fuzz::WriteSeed(dir / "empty", ImageList({}));
    ks::fuzz::WriteSeed(dir / "sixteen-items", ImageList(std::vector<Item>(16, pngItem)));
    ks::fuzz::WriteSeed(dir / "seventeen-items", ImageList(std::vector<Item>(17, pngItem)));
    return 0;
}
