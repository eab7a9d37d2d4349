// Fuzz target for a whole skin load, composed of the portable pieces the skin manager's loader
// uses: the archive reader, the options reader, the image values, the BMP, PNG and JPEG decoders,
// the section table and the lookups that resolve the sections' images. The input is a packed
// archive. The last byte chooses the source: bit 0 clear reads the archive's bytes in memory;
// bit 0 set writes its entries into a folder and loads from there, options file and pictures by
// name (the entries' names upper-cased, as the Windows file system finds them in any case;
// names that would leave the folder are not written). A picture a decoder refuses is left out
// of the skin, as the loader leaves it out; anything else either loads, with every image within
// the limits and every index inside its table, or stops with the project's exception.
#include "host/support/TempDir.h"
#include "skin/core/SkinImageValues.h"
#include "skin/core/SkinLookups.h"
#include "skin/core/acSkinPack.h"
#include "skin/core/sSkinOptions.h"
#include "skin/images/PngDecoder.h"
#include "vcl/BmpReader.h"
#include "vcl/IniFiles.h"
#include "vcl/JpegDecoder.h"
#include "vcl/SysUtils.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr uint64_t PixelLimit = 1u << 18;

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

TColor SystemColor(int index)
{
    return index;
}

bool PlainFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// Where the pictures come from: the archive's items, or files in the skin's folder.
class Source {
public:
    explicit Source(const TacSkinConvertor& archive) : FArchive(&archive) {}
    explicit Source(std::filesystem::path folder) : FFolder(std::move(folder)) {}

    // The bytes of the picture named name; none when there is no such picture.
    std::optional<std::vector<uint8_t>> Bytes(const std::string& name) const
    {
        if (FArchive) {
            for (const TacImageItem& item : FArchive->Items())
                if (UpperCaseAscii(item.Name) == name) {
                    const auto bytes = item.Stream->Bytes();
                    return std::vector<uint8_t>(bytes.begin(), bytes.end());
                }
            return std::nullopt;
        }
        const std::string upper = UpperCaseAscii(name);
        std::error_code error;
        if (!PlainFileName(upper) || !std::filesystem::is_regular_file(FFolder / upper, error))
            return std::nullopt;
        std::ifstream in(FFolder / upper, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    const TacSkinConvertor* FArchive = nullptr;
    std::filesystem::path FFolder;
};

struct Size {
    int width = 0;
    int height = 0;
};

// A picture's size, or none when it is missing or its decoder refuses it.
std::optional<Size> Decode(const Source& source, const std::string& name, bool png)
{
    const std::optional<std::vector<uint8_t>> bytes = source.Bytes(name);
    if (!bytes)
        return std::nullopt;
    try {
        if (png) {
            TColorManager manager;
            ks::MemoryRaster raster;
            ks::LoadPng(*bytes, manager, raster, {.MaxImageBytes = 4 * PixelLimit});
            return Size{raster.Width(), raster.Height()};
        }
        const ks::BmpImage bmp = ks::ReadBmp(*bytes, {.MaxPixels = PixelLimit});
        return Size{bmp.width, bmp.height};
    } catch (const Exception&) {
        return std::nullopt;
    }
}

std::optional<Size> DecodeJpeg(const Source& source, const std::string& name)
{
    const std::optional<std::vector<uint8_t>> bytes = source.Bytes(name);
    if (!bytes)
        return std::nullopt;
    try {
        const ks::JpegImage jpeg = ks::DecodeJpeg(*bytes, {.MaxPixels = PixelLimit, .MaxScans = 32});
        return Size{jpeg.width, jpeg.height};
    } catch (const Exception&) {
        return std::nullopt;
    }
}

bool Within(const Size& s)
{
    return s.width > 0 && s.height > 0 && static_cast<uint64_t>(s.width) * static_cast<uint64_t>(s.height) <= PixelLimit;
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

void LoadSkin(const TMemIniFile& ini, const Source& source)
{
    TsMaskArray masks;
    if (const std::optional<Size> master = Decode(source, ini.ReadString("GLOBALINFO", "MASTERBITMAP", ""), false))
        Check(Within(*master));
    ks::ForEachValue(ini, [&](const std::string& section, const std::string& key, const std::string& value) {
        if (value.empty() || (UpperCaseAscii(section) == "GLOBALINFO" && UpperCaseAscii(key) == "MASTERBITMAP"))
            return;
        const TsImageValue v = ParseImageValue(value);
        if (v.Form == TsImageForm::OwnImage || v.Form == TsImageForm::BitmapFile) {
            const std::optional<Size> size = Decode(source, v.FileName, v.IsPng);
            if (!size)
                return;
            Check(Within(*size));
            TsMaskData record;
            record.SectionName = section;
            record.PropertyName = key;
            if (v.Form == TsImageForm::OwnImage)
                ApplyOwnImageLayout(record, v, size->width, size->height);
            else
                ApplyBitmapFileLayout(record, size->width, size->height);
            masks.push_back(std::move(record));
        } else if (v.Form != TsImageForm::None) {
            masks.push_back(MaskFromImageValue(v, section, key));
        }
    });
    ks::ForEachValue(ini, [&](const std::string&, const std::string&, const std::string& value) {
        const std::string upper = UpperCaseAscii(value);
        if (upper.find(".JPG") == std::string::npos && upper.find(".JPEG") == std::string::npos)
            return;
        if (const std::optional<Size> size = DecodeJpeg(source, upper))
            Check(Within(*size));
    });

    TsSkinData data;
    ReadSkinGlobals(ini, data);
    TsGeneralDataArray sections;
    ReadSectionTable(ini, sections, SystemColor);
    ResolveSectionImages(sections, masks);
    for (const TsGeneralData& d : sections)
        for (int index : {d.BorderIndex, d.ImgTopLeft, d.ImgTopRight, d.ImgBottomLeft, d.ImgBottomRight})
            CheckIndex(index, masks.size());
    const TsCommonIndexes common = ComputeCommonIndexes(sections, masks);
    CheckIndex(common.GlobalInfoIndex, sections.size());
    for (int index : common.TabIndex)
        CheckIndex(index, sections.size());
    for (int index : common.CheckGlyph)
        CheckIndex(index, masks.size());
    CheckIndex(common.ComboBoxGlyphMask, masks.size());
}

void LoadFromFolder(const TacSkinConvertor& archive)
{
    const ks::test::TempDir dir;
    const std::filesystem::path folder(dir.Path());
    const auto write = [&](const std::string& name, std::span<const uint8_t> bytes) {
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    write("OPTIONS.DAT", archive.Options()->Bytes());
    for (const TacImageItem& item : archive.Items())
        if (const std::string upper = UpperCaseAscii(item.Name); PlainFileName(upper) && upper != "OPTIONS.DAT")
            write(upper, item.Stream->Bytes());
    TMemIniFile ini(L"Options.dat", OptionsLimits());
    ini.LoadFromFile(dir.File(L"OPTIONS.DAT"));
    LoadSkin(ini, Source(folder));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool fromFolder = data[size - 1] & 1;
    TMemoryStream packed;
    packed.WriteBuffer(data, size - 1);
    TacSkinConvertor archive(ArchiveLimits());
    archive.SetPackedData(&packed);
    try {
        archive.ExtractPackedEntries();
        if (fromFolder) {
            LoadFromFolder(archive);
        } else {
            TMemIniFile ini(L"Options.dat", OptionsLimits());
            const auto text = archive.Options()->Bytes();
            ini.SetText(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
            LoadSkin(ini, Source(archive));
        }
    } catch (const Exception&) {
    }
    archive.SetPackedData(nullptr);
    return 0;
}
