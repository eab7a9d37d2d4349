#pragma once
// Test builder for packed skin archives: writes the format byte by byte, valid by default,
// with every header field, stream and trailer open to the defect a test needs.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ks::test {

std::vector<uint8_t> Bytes(std::string_view text);

struct ArchiveEntry {
    std::string name;
    // The unpacked content.
    std::vector<uint8_t> data;
    // Written in place of the real name length, unpacked size or compressed stream.
    std::optional<int32_t> nameLength;
    std::optional<int32_t> size;
    std::optional<std::vector<uint8_t>> stream;
    int level = 6;

    // The zlib stream as it will be written.
    std::vector<uint8_t> Stream() const;
};

struct ArchiveBuilder {
    std::string magic = "ASzf";
    // Written in place of the number of entries.
    std::optional<int32_t> fileCount;
    std::vector<ArchiveEntry> entries;
    // Bytes after the last entry.
    std::vector<uint8_t> trailer;

    ArchiveBuilder& Add(std::string name, std::vector<uint8_t> data);
    ArchiveBuilder& Add(std::string name, std::string_view text) { return Add(std::move(name), Bytes(text)); }
    ArchiveEntry& Last() { return entries.back(); }

    std::vector<uint8_t> Build() const;
};

// A small skin: "Options.dat" (a GLOBALINFO section and an EDIT section), "Master.bmp" and
// "Glyphs.png", each with recognisable content.
ArchiveBuilder SmallSkinArchive();

// Bytes that compress poorly, so that an entry of that size really spans that many packed
// bytes; the same seed gives the same bytes.
std::vector<uint8_t> NoiseBytes(size_t size, uint32_t seed);

} // namespace ks::test
