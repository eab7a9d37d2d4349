#pragma once
// Packs a skin folder into the packed skin archive format that TacSkinConvertor reads
// (skin/core/acSkinPack.h describes it). Used at build time for the internal skin.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace ks {

// Every regular file directly inside the folder becomes one entry named as the file:
// "Options.dat" (in any letter case) first, the others in byte order of their names, so the
// same folder always packs to the same bytes. Raises Exception when the folder holds no
// options file or a file is too large for the format.
std::vector<uint8_t> PackSkinFolder(const std::filesystem::path& folder);

} // namespace ks
