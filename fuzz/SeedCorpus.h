#pragma once
// What every seed writer shares: the output folder named on its command line, and one file per
// seed. A seed that cannot be written fails the program, so CTest's replay never runs on a
// corpus that is silently short.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string_view>

namespace ks::fuzz {

// The folder argv[1] names, created; exits with 2 after a usage line when none is named.
inline std::filesystem::path SeedFolder(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argc > 0 ? argv[0] : "seeds");
        std::exit(2);
    }
    std::filesystem::path dir(argv[1]);
    std::filesystem::create_directories(dir);
    return dir;
}

inline void WriteSeed(const std::filesystem::path& file, std::span<const uint8_t> bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", file.string().c_str());
        std::exit(1);
    }
}

inline void WriteSeed(const std::filesystem::path& file, std::string_view text)
{
    WriteSeed(file, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

} // namespace ks::fuzz
