#include "skin/core/acSkinPack.h"

#include "vcl/SysUtils.h"
#include "vcl/ZLib.h"

#include <cstring>

namespace {

constexpr const char* NotPackedText = "Loaded data is not packed skin file";
constexpr const char* TruncatedText = "Packed skin file is truncated";
constexpr const char* BadFileCountText = "Packed skin file declares more entries than it holds";
constexpr const char* TooManyEntriesText = "Packed skin file has too many entries";
constexpr const char* BadNameLengthText = "Packed skin file has an entry name of invalid length";
constexpr const char* BadEntrySizeText = "Packed skin entry '%s' declares an invalid size";
constexpr const char* EntryTooLargeText = "Packed skin entry '%s' is too large";
constexpr const char* TotalTooLargeText = "Packed skin file unpacks to too many bytes";
constexpr const char* CorruptEntryText = "Packed skin entry '%s' is damaged: %s";
constexpr const char* NoOptionsText = "Packed skin file has no Options.dat";
constexpr const char* FileTooLargeText = "Packed skin file is too large";

constexpr char Magic[4] = {'A', 'S', 'z', 'f'};
constexpr std::string_view OptionsName = "OPTIONS.DAT";

// n, S, and the smallest zlib stream (2-byte header, 2 bytes of empty final block, 4-byte
// check value).
constexpr uint64_t MinEntryBytes = 4 + 4 + 8;
// Deflate cannot expand better than 1032:1 (a 258-byte match in two bits), so a size beyond
// that is a lie that would otherwise cost an allocation before the stream proves it wrong.
constexpr uint64_t MaxInflateRatio = 1032;

[[noreturn]] void ThrowTruncated()
{
    throw EReadError(TruncatedText, SkinArchiveError::Truncated);
}

} // namespace

TacSkinConvertor::~TacSkinConvertor()
{
    Clear();
}

void TacSkinConvertor::SetPackedData(TMemoryStream* data) noexcept
{
    FOwnedPackedData.reset();
    FPackedData = data;
}

void TacSkinConvertor::Clear() noexcept
{
    while (!FItems.empty())
        FItems.pop_back();
    FOptions.reset();
    FOwnedPackedData.reset();
    FPackedData = nullptr;
}

void TacSkinConvertor::ExtractPackedEntries()
{
    std::span<const uint8_t> data;
    if (FPackedData)
        data = FPackedData->Bytes();
    if (data.size() < sizeof Magic || std::memcmp(data.data(), Magic, sizeof Magic) != 0) {
        Clear();
        throw EReadError(NotPackedText, SkinArchiveError::NotPacked);
    }
    ks::ByteReader in(data.subspan(sizeof Magic), ThrowTruncated);

    const int32_t fileCount = in.I32LE();
    if (fileCount < 0 || static_cast<uint64_t>(fileCount) > in.Remaining() / MinEntryBytes)
        throw EReadError(BadFileCountText, SkinArchiveError::BadFileCount);
    if (static_cast<uint64_t>(fileCount) > FLimits.MaxEntries)
        throw EReadError(TooManyEntriesText, SkinArchiveError::TooManyEntries);

    uint64_t total = 0;
    bool sawOptions = false;
    for (int32_t i = 0; i < fileCount; ++i)
        ExtractEntry(in, total, sawOptions);
    if (!sawOptions)
        throw EReadError(NoOptionsText, SkinArchiveError::NoOptions);
}

void TacSkinConvertor::ExtractEntry(ks::ByteReader& in, uint64_t& total, bool& sawOptions)
{
    const int32_t nameLength = in.I32LE();
    if (nameLength < 0 || static_cast<uint64_t>(nameLength) > FLimits.MaxNameLength)
        throw EReadError(BadNameLengthText, SkinArchiveError::BadNameLength);
    std::span<const uint8_t> nameBytes = in.Bytes(static_cast<size_t>(nameLength));
    std::string name(nameBytes.begin(), nameBytes.end());

    const int32_t declared = in.I32LE();
    if (declared < 0 || static_cast<uint64_t>(declared) > in.Remaining() * MaxInflateRatio)
        throw EReadError(Format(BadEntrySizeText, {name}), SkinArchiveError::BadEntrySize);
    const uint64_t size = static_cast<uint64_t>(declared);
    if (size > FLimits.MaxEntryBytes)
        throw EReadError(Format(EntryTooLargeText, {name}), SkinArchiveError::EntryTooLarge);
    if (size > FLimits.MaxTotalBytes - total)
        throw EReadError(TotalTooLargeText, SkinArchiveError::TotalTooLarge);
    total += size;

    auto stream = std::make_unique<TMemoryStream>();
    stream->SetSize(declared);
    const std::span<const uint8_t> packed = in.Bytes(in.Remaining());
    size_t used;
    try {
        used = ks::InflateExact(packed, {stream->Memory(), static_cast<size_t>(size)});
    } catch (const EZLibError& e) {
        throw EZLibError(Format(CorruptEntryText, {name, e.Message()}), SkinArchiveError::CorruptEntry);
    }
    // The cursor was moved to the end to borrow the rest; step back to just after the stream.
    in.Seek(in.Position() - packed.size() + used);
    stream->Seek(0, soFromEnd);

    if (UpperCaseAscii(name) == OptionsName) {
        FOptions = std::move(stream);
        sawOptions = true;
        return;
    }
    TacImageItem item;
    item.IsBitmap = UpperCaseAscii(ExtractFileExt(std::string_view(name))) == ".BMP";
    item.Name = std::move(name);
    item.Stream = std::move(stream);
    FItems.push_back(std::move(item));
}

void UnpackSkinFile(const std::wstring& fileName, std::unique_ptr<TacSkinConvertor>& convertor,
    bool freePacked, const TacSkinConvertor::Limits& limits)
{
    if (!FileExists(fileName))
        return;
    if (convertor)
        convertor->Clear();
    else
        convertor = std::make_unique<TacSkinConvertor>(limits);

    auto packed = std::make_unique<TMemoryStream>();
    {
        TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
        if (static_cast<uint64_t>(file.Size()) > convertor->FLimits.MaxArchiveBytes)
            throw EReadError(FileTooLargeText, SkinArchiveError::FileTooLarge);
        packed->LoadFromStream(file);
    }
    convertor->FOwnedPackedData = std::move(packed);
    convertor->FPackedData = convertor->FOwnedPackedData.get();
    convertor->ExtractPackedEntries();
    if (freePacked) {
        convertor->FOwnedPackedData.reset();
        convertor->FPackedData = nullptr;
    }
}
