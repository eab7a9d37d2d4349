// skinpack SKIN_FOLDER OUTPUT.asz: packs a skin folder into a packed skin archive.
#include "tools/skinpack/SkinPacker.h"

#include "vcl/Streams.h"
#include "vcl/SysUtils.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: skinpack SKIN_FOLDER OUTPUT.asz\n");
        return 2;
    }
    try {
        const std::vector<uint8_t> archive = ks::PackSkinFolder(argv[1]);
        TFileStream out(std::filesystem::path(argv[2]).wstring(), fmCreate);
        out.WriteBuffer(archive.data(), archive.size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skinpack: %s\n", e.what());
        return 1;
    }
    return 0;
}
