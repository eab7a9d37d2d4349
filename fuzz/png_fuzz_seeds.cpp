// Writes the PNG fuzz target's seed corpus from the tests' builder: every colour type and depth,
// interlaced and not, with the ancillary chunks the decoder reads. Each seed ends in the mode
// byte the target reads (CRC fix-up and the second load on).
#include "fuzz/SeedCorpus.h"
#include "host/support/PngBuilder.h"

#include <filesystem>
#include <string>

using ks::test::BuildPng;
using ks::test::MakePngImage;
using ks::test::PngLayout;

namespace {

void Save(const std::filesystem::path& dir, const std::string& name, std::vector<uint8_t> bytes)
{
    bytes.push_back(0x07);
    ks::fuzz::WriteSeed(dir / (name + ".png"), bytes);
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);

    const struct {
        uint8_t type, depth;
    } pairs[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                 {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
    uint32_t seed = 1;
    for (const auto& p : pairs) {
        for (bool interlaced : {false, true}) {
            PngLayout layout;
            layout.interlaced = interlaced;
            layout.filters = {0, 1, 2, 3, 4};
            layout.idatPiece = 16;
            const std::string name = "t" + std::to_string(p.type) + "d" + std::to_string(p.depth) + (interlaced ? "i" : "");
            Save(dir, name, BuildPng(MakePngImage(9, 7, p.depth, p.type, ++seed), layout).Build());
        }
    }

    PngLayout ancillary;
    ancillary.before = {{"gAMA", ks::test::BigEndian32(45455), {}, {}}};
    ancillary.between = {{"tRNS", ks::test::BigEndian16({1, 2, 3}), {}, {}}, {"bKGD", ks::test::BigEndian16({4, 5, 6}), {}, {}}};
    ancillary.after = {{"tEXt", {'k', 0, 'v'}, {}, {}}};
    Save(dir, "rgb_ancillary", BuildPng(MakePngImage(5, 5, 8, 2, 3), ancillary).Build());

    PngLayout grey;
    grey.between = {{"tRNS", ks::test::BigEndian16({2}), {}, {}}, {"bKGD", ks::test::BigEndian16({1}), {}, {}}};
    Save(dir, "grey_ancillary", BuildPng(MakePngImage(5, 5, 2, 0, 4), grey).Build());

    PngLayout palette;
    palette.between = {{"tRNS", {0, 128}, {}, {}}, {"bKGD", {1}, {}, {}}};
    Save(dir, "palette_ancillary", BuildPng(MakePngImage(5, 5, 4, 3, 5), palette).Build());

    // At and past the target's limit of 1 MiB for the raster and the two row buffers.
    for (const uint32_t side : {511u, 512u}) {
        const ks::test::PngImage blank{side, side, 8, 6, std::vector<uint16_t>(size_t{side} * side * 4, 0)};
        Save(dir, "rgba" + std::to_string(side), BuildPng(blank).Build());
    }
    return 0;
}
