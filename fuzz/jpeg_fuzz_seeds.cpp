// Writes the JPEG fuzz target's seed corpus with libjpeg's compressor (through the tests' builder).
#include "fuzz/SeedCorpus.h"
#include "host/support/ImageBuilders.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void Save(const std::filesystem::path& dir, const std::string& name, const std::vector<uint8_t>& bytes)
{
    ks::fuzz::WriteSeed(dir / (name + ".jpg"), bytes);
}

// A progressive grey JPEG of scans scans: the DC scan, then the 63 AC coefficients split into
// scans - 1 bands.
std::vector<uint8_t> ManyScans(int scans)
{
    std::vector<jpeg_scan_info> script(static_cast<size_t>(scans));
    script[0] = {1, {0}, 0, 0, 0, 0};
    const int bands = scans - 1;
    for (int i = 0; i < bands; ++i)
        script[static_cast<size_t>(i) + 1] = {1, {0}, 1 + 63 * i / bands, 63 * (i + 1) / bands, 0, 0};
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = 16;
    c.image_height = 16;
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    c.scan_info = script.data();
    c.num_scans = scans;
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(16);
    for (int x = 0; x < 16; ++x)
        row[static_cast<size_t>(x)] = static_cast<JSAMPLE>(x * 16);
    while (c.next_scanline < c.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&c);
    free(out);
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = ks::fuzz::SeedFolder(argc, argv);
    Save(dir, "baseline", ks::test::MakeJpeg(17, 9, 0xE0A030));
    Save(dir, "grey", ks::test::MakeJpeg(8, 8, 0x808080, 1));
    Save(dir, "progressive", ks::test::MakeJpeg(24, 16, 0x102030, 3, true));
    Save(dir, "cmyk", ks::test::MakeJpeg(8, 8, 0x102030, 4));
    // At and past the target's limits: 2^20 pixels, 32 scans.
    Save(dir, "limit", ks::test::MakeJpeg(1024, 1024, 0x808080, 1));
    Save(dir, "past-limit", ks::test::MakeJpeg(1025, 1024, 0x808080, 1));
    Save(dir, "scans32", ManyScans(32));
    Save(dir, "scans33", ManyScans(33));
    return 0;
}
