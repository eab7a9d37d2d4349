#include "tools/skinpack/SkinPacker.h"

#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "vcl/ZLib.h"

#include <algorithm>
#include <limits>
#include <string>

namespace ks {

namespace {

constexpr const char* NoOptionsText = "Skin folder '%s' has no Options.dat";
constexpr const char* TooLargeText = "Skin file '%s' is too large for a packed skin";

// zlib's default level: its streams start with 78 9C, as the engine's own archives always have.
constexpr int CompressionLevel = 6;

void PutI32(std::vector<uint8_t>& out, size_t value, const std::string& name)
{
    if (value > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw Exception(Format(TooLargeText, {name}));
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool IsOptions(const std::string& name)
{
    return UpperCaseAscii(name) == "OPTIONS.DAT";
}

} // namespace

std::vector<uint8_t> PackSkinFolder(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
        const std::string na = a.filename().string(), nb = b.filename().string();
        return IsOptions(na) != IsOptions(nb) ? IsOptions(na) : na < nb;
    });
    if (files.empty() || !IsOptions(files.front().filename().string()))
        throw Exception(Format(NoOptionsText, {folder.string()}));

    std::vector<SkinEntry> entries;
    for (const auto& file : files) {
        TMemoryStream content;
        content.LoadFromFile(file.wstring());
        const auto bytes = content.Bytes();
        entries.emplace_back(file.filename().string(), std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
    return PackSkinEntries(entries, folder.string());
}

std::vector<uint8_t> PackSkinEntries(const std::vector<SkinEntry>& entries, const std::string& what)
{
    std::vector<uint8_t> out{'A', 'S', 'z', 'f'};
    PutI32(out, entries.size(), what);
    for (const auto& [name, content] : entries) {
        PutI32(out, name.size(), name);
        out.insert(out.end(), name.begin(), name.end());
        PutI32(out, content.size(), name);
        const std::vector<uint8_t> packed = Deflate(content, CompressionLevel);
        out.insert(out.end(), packed.begin(), packed.end());
    }
    return out;
}

} // namespace ks
