#pragma once
// Packs a skin folder into the packed skin archive format that TacSkinConvertor reads
// (skin/core/acSkinPack.h describes it). Used at build time for the internal skin.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace ks {

// Every regular file directly inside the folder becomes one entry named as the file:
// "Options.dat" (in any letter case) first, the others in byte order of their names, so the
// same folder always packs to the same bytes. Raises Exception when the folder holds no
// options file or a file is too large for the format.
std::vector<uint8_t> PackSkinFolder(const std::filesystem::path& folder);

// The entries in the order given, each (name, unpacked content); `what` names the skin in the
// message raised when an entry is too large for the format.
using SkinEntry = std::pair<std::string, std::vector<uint8_t>>;
std::vector<uint8_t> PackSkinEntries(const std::vector<SkinEntry>& entries, const std::string& what);

} // namespace ks
