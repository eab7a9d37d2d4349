// Fuzz target for a whole skin load through the loader's own code: finding the source, the
// archive and options readers, and the image, pattern and section readers, with the host's
// pictures decoding BMP, PNG and JPEG under low limits. The input is a packed archive; its last
// byte chooses the mode:
// - bits 0-1: where the skin is: 0 and 3 an internal skin's packed data, 1 the packed file
//   "Fuzz.asz", 2 the folder "Fuzz" that the archive's entries are written into (picture names
//   upper-cased, as the Windows file system finds them in any case; names that would leave the
//   folder are not written);
// - bit 2: the archive's item "Common.txt" becomes the manager's common sections, whose pictures
//   are files beside the skin (the entries are written there too);
// - bits 3-4: the hue offset (0, 90, -200, 1000); bits 5-6: the saturation (0, 35, -100, 250).
// A load either ends with every picture, and all of them together, within the limits, every
// large JPEG of the text a pattern, and every index inside its table; or it stops with the
// project's exception.
#include "fuzz/HostPictures.h"
#include "host/support/TempDir.h"
#include "skin/core/LoadedSkin.h"
#include "skin/core/SkinLookups.h"
#include "skin/core/acSkinPack.h"
#include "vcl/IniFiles.h"
#include "vcl/Strings.h"
#include "vcl/SysUtils.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <span>
#include <string>

namespace {

constexpr uint64_t PixelLimit = 1u << 18;
// All the pictures of one load together.
constexpr uint64_t LoadPixelLimit = 4 * PixelLimit;
constexpr int64_t PatternMinPixels = 90000;

TacSkinConvertor::Limits ArchiveLimits()
{
    TacSkinConvertor::Limits limits;
    limits.MaxEntries = 32;
    limits.MaxNameLength = 64;
    limits.MaxEntryBytes = 1u << 20;
    limits.MaxTotalBytes = 2u << 20;
    return limits;
}

ks::IniLimits OptionsLimits()
{
    ks::IniLimits limits;
    limits.MaxTextBytes = 64u << 10;
    limits.MaxLineBytes = 4u << 10;
    limits.MaxSections = 128;
    limits.MaxEntries = 2048;
    return limits;
}

const ks::HostSkinPlatform& Platform()
{
    static const ks::HostSkinPlatform platform({.Bmp = {.MaxPixels = PixelLimit},
                                                .Png = {.MaxImageBytes = 4 * PixelLimit},
                                                .Jpeg = {.MaxPixels = PixelLimit, .MaxScans = 32},
                                                .MaxFileBytes = 1u << 20});
    return platform;
}

bool PlainFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos &&
           name.find('\0') == std::string::npos;
}

void WriteFile(const std::filesystem::path& path, std::span<const uint8_t> bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckIndex(int index, size_t size)
{
    Check(index >= -1 && index < static_cast<int>(size));
}

void CheckPicture(TSize size)
{
    Check(size.cx >= 0 && size.cy >= 0 && static_cast<uint64_t>(size.cx) * static_cast<uint64_t>(size.cy) <= PixelLimit);
}

void CheckSkin(const TsLoadedSkin& skin, bool common)
{
    const ks::HostSkinPlatform& platform = Platform();
    uint64_t pixels = 0;
    const auto count = [&](TSize size) {
        CheckPicture(size);
        pixels += static_cast<uint64_t>(size.cx) * static_cast<uint64_t>(size.cy);
    };
    if (skin.Master)
        count(platform.Size(*skin.Master));
    // Images naming one picture share its bitmap, which the load decoded and counted once.
    std::set<const TBitmap*> seen;
    for (const TsMaskData& m : skin.Masks)
        if (m.Bmp && seen.insert(m.Bmp.get()).second)
            count(platform.Size(*m.Bmp));
    for (const TsPatternData& p : skin.Patterns) {
        Check(p.Img != nullptr);
        const TSize size = platform.Size(*p.Img);
        count(size);
        // Only the text's own pictures are sorted by size; common sections keep every picture.
        if (!common)
            Check(int64_t{size.cx} * size.cy >= PatternMinPixels);
    }
    Check(pixels <= LoadPixelLimit);
    for (const TsGeneralData& d : skin.Sections)
        for (int index : {d.BorderIndex, d.ImgTopLeft, d.ImgTopRight, d.ImgBottomLeft, d.ImgBottomRight})
            CheckIndex(index, skin.Masks.size());
    const TsCommonIndexes indexes = ComputeCommonIndexes(skin.Sections, skin.Masks);
    CheckIndex(indexes.GlobalInfoIndex, skin.Sections.size());
    for (int index : indexes.TabIndex)
        CheckIndex(index, skin.Sections.size());
    for (int index : indexes.CheckGlyph)
        CheckIndex(index, skin.Masks.size());
    CheckIndex(indexes.ComboBoxGlyphMask, skin.Masks.size());
}

// The archive's pictures as files of folder.
void WritePictures(const TacSkinConvertor& archive, const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    for (const TacImageItem& item : archive.Items())
        if (const std::string upper = UpperCaseAscii(item.Name); PlainFileName(upper) && upper != "OPTIONS.DAT")
            WriteFile(folder / upper, item.Stream->Bytes());
}

std::optional<std::string> Item(const TacSkinConvertor& archive, std::string_view upperName)
{
    for (const TacImageItem& item : archive.Items())
        if (UpperCaseAscii(item.Name) == upperName) {
            const auto bytes = item.Stream->Bytes();
            return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        }
    return std::nullopt;
}

void Load(std::span<const uint8_t> packed, uint8_t mode)
{
    static constexpr int Hues[] = {0, 90, -200, 1000};
    static constexpr int Saturations[] = {0, 35, -100, 250};
    const int where = mode & 3;
    const bool common = mode & 4;

    // The harness reads the archive once itself, for the entries it writes as files; the
    // loader reads it again on its own.
    TMemoryStream data;
    data.WriteBuffer(packed.data(), packed.size());
    TacSkinConvertor archive(ArchiveLimits());
    archive.SetPackedData(&data);
    bool extracted = false;
    try {
        archive.ExtractPackedEntries();
        extracted = true;
    } catch (const Exception&) {
    }
    archive.SetPackedData(nullptr);
    if (where == 2 && !extracted)
        return;

    const ks::test::TempDir dir;
    const std::filesystem::path folder(dir.Path());
    TStringList commonSections;
    if (where == 2) {
        WritePictures(archive, folder / "Fuzz");
        WriteFile(folder / "Fuzz" / "Options.dat", archive.Options()->Bytes());
    } else if (extracted && common) {
        WritePictures(archive, folder);
    }
    if (where == 1)
        WriteFile(folder / "Fuzz.asz", packed);
    if (extracted && common)
        if (const std::optional<std::string> text = Item(archive, "COMMON.TXT"))
            commonSections.SetText(*text);

    TsLoadedSkin skin;
    skin.Name = L"Fuzz";
    const TsSkinSettings settings{&commonSections, nullptr, Hues[(mode >> 3) & 3], Saturations[(mode >> 5) & 3]};
    const TsSkinReadLimits limits{ArchiveLimits(), OptionsLimits(), LoadPixelLimit};
    try {
        if (where == 1 || where == 2) {
            Check(ReadSkinFromDisk(dir.Path(), Platform(), settings, skin, limits));
            Check(skin.FromArchive == (where == 1));
        } else {
            skin.Data.SkinPath = dir.Path() + L"\\";
            data.SetPosition(0);
            ReadPackedSkin(data, Platform(), settings, skin, limits);
        }
    } catch (const Exception&) {
        return;
    }
    CheckSkin(skin, commonSections.Count() > 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    Load(std::span<const uint8_t>(data, size - 1), data[size - 1]);
    return 0;
}
