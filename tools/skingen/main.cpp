// skingen SOURCE_FOLDER OUTPUT_FOLDER: builds the internal skin and the engine's embedded
// pictures from their readable sources (SkinGenerator.h lists what goes where).
#include "tools/skingen/SkinGenerator.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: skingen SOURCE_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    try {
        ks::skingen::WriteGeneratedSkin(ks::skingen::GenerateSkin(argv[1]), argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skingen: %s\n", e.what());
        return 1;
    }
    return 0;
}
