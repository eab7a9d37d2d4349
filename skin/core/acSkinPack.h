#pragma once
// The packed skin archive ("ASzf", file extension ".asz"): TacSkinConvertor reads one
// completely into memory, the options text into one stream and every other file into a named
// item. The engine only reads archives; tools/skinpack writes them.
//
// Format (integers little-endian, signed 32-bit, no padding): the magic "ASzf"; FileCount; then
// FileCount entries back to back, each: name length n, n name bytes, unpacked size S, and one
// zlib stream that inflates to exactly S bytes. The next entry begins at the byte after the
// stream's check value; there is no table of contents and nothing after the last entry counts.
// The entry whose name is "Options.dat" in any letter case is the options text.
//
// What the reader tolerates, because stored skins and peers rely on it: any letter case in
// the options entry's name; a later options entry replacing an earlier one; bytes after the
// last entry; entries of 0 bytes; names of any bytes, ".." and drive letters included (the
// archive is only held in memory by name, never written out).
//
// What it refuses (each with its own SkinArchiveError): a wrong magic; a negative FileCount or
// one larger than the bytes present could hold; negative or over-long names; negative sizes,
// sizes its compressed data cannot reach, and sizes beyond the limits below; truncated or
// corrupt zlib streams and streams that inflate to more or fewer than S bytes; an archive
// without an options entry. Every check comes before the allocation it guards.

#include "vcl/ByteReader.h"
#include "vcl/Classes.h"
#include "vcl/Streams.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class SkinArchiveError {
    None,
    NotPacked,        // no "ASzf" at the start
    Truncated,        // the data ends inside a header field or a name
    BadFileCount,     // negative, or more entries than the bytes present can hold
    TooManyEntries,   // above Limits::MaxEntries
    BadNameLength,    // negative or above Limits::MaxNameLength
    BadEntrySize,     // negative, or more than the rest of the data can inflate to
    EntryTooLarge,    // above Limits::MaxEntryBytes
    TotalTooLarge,    // all entries together above Limits::MaxTotalBytes
    CorruptEntry,     // the zlib stream is corrupt, truncated, or of another size than S
    NoOptions,        // no entry is the options text
    FileTooLarge,     // the archive file is above Limits::MaxArchiveBytes
};

struct TacImageItem {
    // Exactly as stored in the archive.
    std::string Name;
    // The name's extension, upper-cased, is ".BMP".
    bool IsBitmap = false;
    // The unpacked bytes, positioned at their end; readers rewind before reading.
    std::unique_ptr<TMemoryStream> Stream;
};

using TacImageItems = std::vector<TacImageItem>;

class TacSkinConvertor : public TPersistent {
public:
    struct Limits {
        // A skin is an options text and a few dozen images; thousands of entries only come
        // from a corrupt count.
        uint32_t MaxEntries = 4096;
        // Entry names are file names that the options text refers to.
        uint32_t MaxNameLength = 1024;
        // Room for a 4096 x 4096 32-bit image, four times the largest a skin needs.
        uint64_t MaxEntryBytes = 64ull << 20;
        // Every entry is held in memory at once, so their sum is what the load costs.
        uint64_t MaxTotalBytes = 256ull << 20;
        // The file is read whole before it is parsed.
        uint64_t MaxArchiveBytes = 256ull << 20;
    };

    TacSkinConvertor() = default;
    explicit TacSkinConvertor(const Limits& limits) : FLimits(limits) {}
    ~TacSkinConvertor() override;
    const char* ClassName() const noexcept override { return "TacSkinConvertor"; }

    // The number of image items. Readers that look images up "among the first ImageCount
    // items" stay within Items() because this counts the items actually extracted.
    int ImageCount() const noexcept { return static_cast<int>(FItems.size()); }
    const TacImageItems& Items() const noexcept { return FItems; }
    // The unpacked options text, positioned at its end; none before a successful extraction.
    TMemoryStream* Options() const noexcept { return FOptions.get(); }

    // The archive being read: owned when UnpackSkinFile loaded it, else borrowed.
    TMemoryStream* PackedData() const noexcept { return FPackedData; }
    // Lends an archive (an internal skin's data); the convertor never releases it. Pass
    // nullptr to hand it back.
    void SetPackedData(TMemoryStream* data) noexcept;

    // Parses PackedData from its first byte into Options and Items. A wrong magic clears the
    // convertor; after any other error the entries extracted so far stay until Clear. Raises
    // EReadError or EZLibError with a SkinArchiveError reason.
    void ExtractPackedEntries();

    // Releases every item (last first), Options and an owned PackedData; forgets a borrowed one.
    void Clear() noexcept;

private:
    friend void UnpackSkinFile(const std::wstring&, std::unique_ptr<TacSkinConvertor>&, bool,
        const TacSkinConvertor::Limits&);

    void ExtractEntry(ks::ByteReader& in, uint64_t& total, bool& sawOptions);

    Limits FLimits;
    TacImageItems FItems;
    std::unique_ptr<TMemoryStream> FOptions;
    std::unique_ptr<TMemoryStream> FOwnedPackedData;
    TMemoryStream* FPackedData = nullptr;
};

// Unpacks the archive file into convertor, made when it is none and cleared otherwise. Does
// nothing when the file does not exist. With freePacked the file's bytes are released once
// extracted. A new convertor gets limits; an existing one keeps its own.
void UnpackSkinFile(const std::wstring& fileName, std::unique_ptr<TacSkinConvertor>& convertor,
    bool freePacked, const TacSkinConvertor::Limits& limits = {});
