#include "skin/core/LoadedSkin.h"

#include "skin/pixels/PixelColour.h"
#include "skin/pixels/PixelCore.h"
#include "skin/core/SkinImageValues.h"
#include "skin/core/SkinLookups.h"
#include "skin/core/SkinSelection.h"
#include "skin/core/TextRoutines.h"
#include "skin/core/acSkinPack.h"
#include "skin/core/sSkinOptions.h"
#include "vcl/IniFiles.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <utility>

namespace {

constexpr std::string_view GlobalInfo = "GLOBALINFO";
// A picture below this many pixels is painted like a texture cut from the master bitmap.
constexpr int64_t PatternMinPixels = 90000;
constexpr std::string_view TooManyPixelsText = "The skin's pictures are larger than a skin may be";
constexpr std::string_view TooManyPicturesText = "The skin has more pictures than a skin may have";
constexpr std::string_view OldVersion =
    "This version of the skin have not complete support by used skin engine package release.\r\n"
    "Components must be updated up to latest version for using this skin.";

std::wstring WideOf(std::string_view bytes)
{
    return UTF8ToWide(bytes);
}

// A picture's name as the options text gives it: UTF-8 when it is that, else the system's ANSI
// code page, in which stored skins are written.
std::wstring FileNameOf(const ks::SkinPlatform& platform, std::string_view bytes)
{
    return IsUTF8(bytes) ? UTF8ToWide(bytes) : platform.AnsiToWide(bytes);
}

// The pictures and pixels a load may still decode.
struct PictureBudget {
    uint64_t& Pixels;
    uint64_t MaxPixels;
    uint64_t& Pictures;
    uint64_t MaxPictures;

    void Spend(TSize size) const
    {
        if (Pictures >= MaxPictures)
            throw EInvalidGraphic(std::string(TooManyPicturesText), ks::SkinLoadError::TooManyPictures);
        const uint64_t pixels = uint64_t(std::max(size.cx, 0)) * uint64_t(std::max(size.cy, 0));
        if (pixels > MaxPixels || Pixels > MaxPixels - pixels)
            throw EInvalidGraphic(std::string(TooManyPixelsText), ks::SkinLoadError::TooManyPixels);
        Pixels += pixels;
        ++Pictures;
    }
};

// How an image keeps the picture it names: as decoded (a texture), in 24 bits (an opaque
// image), or with its alpha and its fully transparent white made black (a PNG image).
enum class Prepared { AsDecoded, Opaque, CleanAlpha };

// Where the pictures of one load come from: the archive's items, or files beside the options.
// Each picture is decoded once for each way it is prepared; later requests share it.
class ImageSource {
public:
    ImageSource(const ks::SkinPlatform& platform, const PictureBudget& budget, const TacSkinConvertor* archive,
                std::wstring skinPath)
        : FPlatform(platform), FBudget(budget), FArchive(archive), FSkinPath(std::move(skinPath)) {}

    const ks::SkinPlatform& Platform() const noexcept { return FPlatform; }

    // The picture named name, from the archive or, without one, from a file. Null when there is
    // no such picture: the skin then goes without that image and keeps the rest. A picture that
    // is there but does not decode raises the decoder's error, which stops the load: the skin
    // would otherwise be taken with holes its author never saw, and a refused skin loses nothing,
    // since the previous one stays. Raises EInvalidGraphic once the load's pictures pass its
    // budget.
    std::shared_ptr<TBitmap> Bitmap(std::string_view name, ks::PictureFormat format,
                                     Prepared prepared = Prepared::AsDecoded) const
    {
        const Key key{std::string(name), format, prepared};
        if (const auto found = FBitmaps.find(key); found != FBitmaps.end())
            return found->second;
        GraphicPtr<TBitmap> bmp = Load<TBitmap>(name, [&](TStream& s) { return FPlatform.DecodeBitmap(s, format); });
        if (bmp) {
            const TSize size = FPlatform.Size(*bmp);
            FBudget.Spend(size);
            // Fully transparent white would show as a white seam where the image is stretched.
            // The pixel accessors leave pictures below 2 x 2 alone, and so does this.
            if (prepared == Prepared::CleanAlpha && size.cx >= 2 && size.cy >= 2)
                ks::ReplaceWord32(FPlatform.View(*bmp), 0x00FFFFFF, 0);
            if (prepared == Prepared::Opaque)
                FPlatform.To24Bit(*bmp);
        }
        // A name that finds nothing is not looked for again either.
        return FBitmaps[key] = std::shared_ptr<TBitmap>(std::move(bmp));
    }

    GraphicPtr<TJPEGImage> Jpeg(std::string_view name) const
    {
        GraphicPtr<TJPEGImage> jpeg = Load<TJPEGImage>(name, [&](TStream& s) { return FPlatform.DecodeJpeg(s); });
        if (jpeg)
            FBudget.Spend(FPlatform.Size(*jpeg));
        return jpeg;
    }

    // A picture the load makes of its own (a texture drawn from a JPEG) counts as one more.
    void Spend(TSize size) const { FBudget.Spend(size); }

private:
    using Key = std::tuple<std::string, ks::PictureFormat, Prepared>;

    template <class T, class Decode>
    GraphicPtr<T> Load(std::string_view name, const Decode& decode) const
    {
        TMemoryStream* item = FArchive ? Item(name) : nullptr;
        const std::wstring path = FArchive ? std::wstring() : File(name);
        if (!item && path.empty())
            return {nullptr, nullptr};
        if (item)
            return decode(*item);
        TFileStream file(path, fmOpenRead | fmShareDenyWrite);
        return decode(file);
    }

    // The item whose upper-cased name is name exactly, rewound; nullptr when there is none.
    TMemoryStream* Item(std::string_view name) const
    {
        if (!FArchive)
            return nullptr;
        for (const TacImageItem& item : FArchive->Items())
            if (UpperCaseAscii(item.Name) == name) {
                item.Stream->SetPosition(0);
                return item.Stream.get();
            }
        return nullptr;
    }

    // The file named by name beside the options (name alone when it holds a drive), when it
    // exists; empty otherwise.
    std::wstring File(std::string_view name) const
    {
        if (name.empty())
            return {};
        const std::wstring wide = FileNameOf(FPlatform, name);
        const std::wstring path = wide.find(L':') != std::wstring::npos ? wide : FSkinPath + wide;
        return FileExists(path) ? path : std::wstring();
    }

    const ks::SkinPlatform& FPlatform;
    PictureBudget FBudget;
    const TacSkinConvertor* FArchive;
    std::wstring FSkinPath;
    mutable std::map<Key, std::shared_ptr<TBitmap>> FBitmaps;
};

// ---- Image masks ----------------------------------------------------------------------------------

void AddOwnImage(TsMaskArray& masks, const ImageSource& source, const TsImageValue& v, TsMaskData&& record)
{
    // Textures keep the picture's own format; other bitmap images are opaque. The kind is read
    // leniently here: a malformed one stops the load in the layout below, as before decoding.
    const bool texture = v.OwnWords.size() > 2 && StrToIntDef(v.OwnWords[2], -1) == itisaTexture;
    const Prepared prepared = v.IsPng ? Prepared::CleanAlpha : texture ? Prepared::AsDecoded : Prepared::Opaque;
    std::shared_ptr<TBitmap> bmp =
        source.Bitmap(v.FileName, v.IsPng ? ks::PictureFormat::Png : ks::PictureFormat::Bmp, prepared);
    if (!bmp)
        return;
    const TSize size = source.Platform().Size(*bmp);
    if (size.cx == 0)
        return;
    ApplyOwnImageLayout(record, v, size.cx, size.cy);
    record.Bmp = std::move(bmp);
    masks.push_back(std::move(record));
}

void AddBitmapFile(TsMaskArray& masks, const ImageSource& source, const TsImageValue& v, TsMaskData&& record)
{
    std::shared_ptr<TBitmap> bmp = source.Bitmap(v.FileName, ks::PictureFormat::Bmp, Prepared::Opaque);
    if (!bmp)
        return;
    const TSize size = source.Platform().Size(*bmp);
    if (size.cx < 1)
        return;
    ApplyBitmapFileLayout(record, size.cx, size.cy);
    record.SectionName = UpperCaseAscii(record.SectionName);
    record.PropertyName = UpperCaseAscii(record.PropertyName);
    record.Bmp = std::move(bmp);
    masks.push_back(std::move(record));
}

void ReadImagesFromText(const TMemIniFile& ini, const ImageSource& source, TsSkinManager* manager,
                        TsMaskArray& masks, GraphicPtr<TBitmap>& master)
{
    // Without its master picture a skin still reads; its rectangles then show nothing.
    const std::shared_ptr<TBitmap> picture =
        source.Bitmap(ini.ReadString(GlobalInfo, "MASTERBITMAP", ""), ks::PictureFormat::Bmp);
    master = source.Platform().MasterBitmap(picture.get());

    ks::ForEachValue(ini, [&](const std::string& section, const std::string& key, const std::string& value) {
        if (value.empty() || (UpperCaseAscii(section) == GlobalInfo && UpperCaseAscii(key) == "MASTERBITMAP"))
            return;
        const TsImageValue v = ParseImageValue(value);
        if (v.Form == TsImageForm::None)
            return;
        const bool upperNames = v.Form == TsImageForm::Grouped;
        TsMaskData record;
        if (v.Form == TsImageForm::OwnImage || v.Form == TsImageForm::BitmapFile) {
            record.SectionName = section;
            record.PropertyName = key;
        } else {
            record = MaskFromImageValue(v, upperNames ? UpperCaseAscii(section) : section,
                                        upperNames ? UpperCaseAscii(key) : key);
        }
        record.Manager = manager;
        if (v.Form == TsImageForm::OwnImage)
            AddOwnImage(masks, source, v, std::move(record));
        else if (v.Form == TsImageForm::BitmapFile)
            AddBitmapFile(masks, source, v, std::move(record));
        else
            masks.push_back(std::move(record));
    });
}

// Images named in the manager's common sections: grouped rectangles of the master bitmap, and
// bitmap files from the skin's folder (never from an archive).
void ReadCommonImages(const TStrings& common, const ImageSource& disk, TsSkinManager* manager, TsMaskArray& masks,
                      bool hasMaster)
{
    TMemIniFile ini(L"1.tmp");
    ini.SetStrings(common);
    ks::ForEachValue(ini, [&](const std::string& section, const std::string& key, const std::string& value) {
        if (UpperCaseAscii(section) == GlobalInfo)
            return;
        const std::string v = value.empty() ? std::string("-") : value;
        if (hasMaster && v != "#" && v.find('#') != std::string::npos) {
            const TsImageValue parsed = ParseImageValue(v);
            if (parsed.Form == TsImageForm::Grouped) {
                TsMaskData m = MaskFromImageValue(parsed, UpperCaseAscii(section), UpperCaseAscii(key));
                m.Manager = manager;
                masks.push_back(std::move(m));
            }
            return;
        }
        if (UpperCaseAscii(v).find(".BMP") == std::string::npos)
            return;
        std::shared_ptr<TBitmap> bmp = disk.Bitmap(v, ks::PictureFormat::Bmp, Prepared::Opaque);
        if (!bmp || disk.Platform().Size(*bmp).cx < 1)
            return;
        TsMaskData m;
        m.SectionName = UpperCaseAscii(section);
        m.PropertyName = UpperCaseAscii(key);
        m.Manager = manager;
        m.Bmp = std::move(bmp);
        masks.push_back(std::move(m));
    });
}

// ---- Texture patterns -------------------------------------------------------------------------------

bool NamesPicture(std::string_view upper)
{
    return upper.find(".JPG") != std::string_view::npos || upper.find(".JPEG") != std::string_view::npos;
}

void AddPattern(TsPatternArray& patterns, GraphicPtr<TJPEGImage> jpeg, const std::string& section,
                const std::string& key)
{
    TsPatternData p;
    p.Img = std::move(jpeg);
    p.SectionName = UpperCaseAscii(section);
    p.PropertyName = UpperCaseAscii(key);
    patterns.push_back(std::move(p));
}

void ReadPatternsFromText(const TMemIniFile& ini, const ImageSource& source, TsSkinManager* manager,
                          TsMaskArray& masks, TsPatternArray& patterns)
{
    ks::ForEachValue(ini, [&](const std::string& section, const std::string& key, const std::string& value) {
        const std::string v = UpperCaseAscii(value.empty() ? std::string("-") : value);
        if (!NamesPicture(v))
            return;
        GraphicPtr<TJPEGImage> jpeg = source.Jpeg(v);
        if (!jpeg)
            return;
        const TSize size = source.Platform().Size(*jpeg);
        if (size.cx == 0)
            return;
        if (int64_t{size.cx} * size.cy < PatternMinPixels) {
            TsMaskData m;
            // Painters find a texture's pixels through R, as they do for own images.
            m.R = Rect(0, 0, size.cx, size.cy);
            source.Spend(size);
            m.Bmp = source.Platform().TextureOf(*jpeg);
            m.PropertyName = UpperCaseAscii(key);
            m.SectionName = UpperCaseAscii(section);
            m.ImgType = itisaTexture;
            m.ImageCount = 1;
            m.Manager = manager;
            masks.push_back(std::move(m));
            return;
        }
        AddPattern(patterns, std::move(jpeg), section, key);
    });
}

void ReadCommonPatterns(const TStrings& common, const ImageSource& disk, TsPatternArray& patterns)
{
    TMemIniFile ini(L"2.tmp");
    ini.SetStrings(common);
    ks::ForEachValue(ini, [&](const std::string& section, const std::string& key, const std::string& value) {
        const std::string v = UpperCaseAscii(value.empty() ? std::string("-") : value);
        if (!NamesPicture(v))
            return;
        GraphicPtr<TJPEGImage> jpeg = disk.Jpeg(v);
        if (!jpeg || disk.Platform().Size(*jpeg).cx < 1)
            return;
        AddPattern(patterns, std::move(jpeg), section, key);
    });
}

// ---- Sections ---------------------------------------------------------------------------------------

void CheckVersion(const ks::SkinPlatform& platform, double version)
{
    if (version > 6.99)
        platform.ShowMessage(WideOf(OldVersion));
}

// ---- Hue and saturation --------------------------------------------------------------------------

// One of the two colour changes: for values, which may still be system colours (resolved
// first: an index is no colour to change), and for the pixels of a bitmap.
struct ColourChange {
    const ks::SkinPlatform& Platform;
    TColor (*Rgb)(TColor rgb, int amount) noexcept;
    void (*Pixels)(const ks::PixelView& v, int amount) noexcept;
    int Amount;

    TColor Value(TColor c, int amount) const { return Rgb(Platform.ColorToRGB(c), amount); }

    void Bitmap(TBitmap& bmp) const
    {
        if (!Platform.Is32Bit(bmp))
            Platform.To24Bit(bmp);
        Pixels(Platform.View(bmp), Amount);
    }
};

TColor DesaturateBy(TColor rgb, int percent) noexcept
{
    // No change leaves the value whole, the bits above the colour included.
    return percent == 0 ? rgb : ks::DesaturateRgb(rgb, percent);
}

void RecolourValues(TsGeneralDataArray& sections, TsSkinData& data, const ColourChange& change)
{
    static const TSysCharSet semicolon = CharSetOf(";");
    // -1 is "no colour" (the readers fall back on system colours for it) and the key colour
    // marks what is not painted: neither is a colour to change, as in the pixels.
    auto colour = [&](TColor& c) {
        if (c != -1 && c != TransparentKeyColor)
            c = change.Value(c, change.Amount);
    };
    for (TsGeneralData& d : sections) {
        colour(d.Color);
        colour(d.HotColor);
        for (size_t i = 0; i < d.FontColor.size(); ++i) {
            colour(d.FontColor[i]);
            colour(d.HotFontColor[i]);
        }
        const size_t stops = std::min(d.GradientArray.size(), static_cast<size_t>(CountWords(d.GradientData, semicolon) / 5));
        for (size_t i = 0; i < stops; ++i) {
            colour(d.GradientArray[i].Color1);
            colour(d.GradientArray[i].Color2);
        }
        for (TsGradStop& stop : d.HotGradientArray) {
            colour(stop.Color1);
            colour(stop.Color2);
        }
    }
    colour(data.Shadow1Color);
    colour(data.BorderColor);
}

// A copy of a rectangle of the master bitmap, clipped to it, to be put back after the master
// has been recoloured.
struct SavedRect {
    TPoint At;
    GraphicPtr<TBitmap> Pixels{nullptr, nullptr};
};

SavedRect SaveRect(const ks::SkinPlatform& platform, TBitmap& master, const TRect& r)
{
    SavedRect saved;
    const TRect clipped = ks::ClipToView(platform.View(master), r);
    if (clipped.Width() <= 0 || clipped.Height() <= 0)
        return saved;
    saved.At = Point(clipped.Left, clipped.Top);
    saved.Pixels = platform.NewBitmapLike(master, clipped.Width(), clipped.Height());
    ks::CopyRect(platform.View(*saved.Pixels), Point(0, 0), platform.View(master), clipped);
    return saved;
}

void RestoreRect(const ks::SkinPlatform& platform, TBitmap& master, const SavedRect& saved)
{
    if (!saved.Pixels)
        return;
    const ks::PixelView pixels = platform.View(*saved.Pixels);
    ks::CopyRect(platform.View(master), saved.At, pixels, Rect(0, 0, pixels.width, pixels.height));
}

std::shared_ptr<TBitmap> CopyOf(const ks::SkinPlatform& platform, TBitmap& bmp)
{
    const ks::PixelView pixels = platform.View(bmp);
    GraphicPtr<TBitmap> copy = platform.NewBitmapLike(bmp, pixels.width, pixels.height);
    ks::CopyRect(platform.View(*copy), Point(0, 0), pixels, Rect(0, 0, pixels.width, pixels.height));
    return std::shared_ptr<TBitmap>(std::move(copy));
}

void ApplyHueOffset(const ks::SkinPlatform& platform, TsSkinData& data, TsGeneralDataArray& sections,
                    TsMaskArray& masks, TBitmap* master, int offset)
{
    static constexpr std::string_view CloseKeys[] = {"BICONCLOSE", "SICONCLOSE"};
    static constexpr std::string_view Others[] = {"BICONMAX", "BICONMIN", "BICONNORM", "BICONHELP",
                                                   "SICONMAX", "SICONMIN", "SICONNORM"};
    const ColourChange change{platform, &ks::RotateHueRgb, &ks::RotateHuePixels, offset};
    std::vector<std::string_view> kept;
    if (data.BIKeepHue != 0)
        kept.assign(std::begin(CloseKeys), std::end(CloseKeys));
    if (data.BIKeepHue == 1)
        kept.insert(kept.end(), std::begin(Others), std::end(Others));

    // Kept pictures are skipped, and a picture shared by several images is changed once. A kept
    // icon whose picture other images name too takes a copy of its own first, so that the others
    // still turn.
    std::set<const TBitmap*> done;
    std::vector<SavedRect> saved;
    auto keep = [&](TsMaskData& mask) {
        if (mask.Bmp.use_count() > 1)
            mask.Bmp = CopyOf(platform, *mask.Bmp);
        done.insert(mask.Bmp.get());
    };
    for (std::string_view icon : kept) {
        const int index = FindMaskOwnOnlyIn(masks, GlobalInfo, icon);
        if (index >= 0 && !masks[static_cast<size_t>(index)].Bmp && master)
            saved.push_back(SaveRect(platform, *master, masks[static_cast<size_t>(index)].R));
        else if (index >= 0 && masks[static_cast<size_t>(index)].Bmp)
            keep(masks[static_cast<size_t>(index)]);
        const int glow = FindMaskOwnOnlyIn(masks, GlobalInfo, std::string(icon) + "GLOW0");
        if (glow >= 0 && masks[static_cast<size_t>(glow)].Bmp)
            keep(masks[static_cast<size_t>(glow)]);
    }
    if (master)
        ks::RotateHuePixels(platform.View(*master), offset);
    for (const SavedRect& s : saved)
        RestoreRect(platform, *master, s);
    for (TsMaskData& m : masks)
        if (m.Bmp && done.insert(m.Bmp.get()).second)
            change.Bitmap(*m.Bmp);
    RecolourValues(sections, data, change);
}

void ApplySaturation(const ks::SkinPlatform& platform, TsSkinData& data, TsGeneralDataArray& sections,
                     TsMaskArray& masks, TBitmap* master, int saturation)
{
    // In -100 .. 100 with the sign of -saturation.
    const int percent = static_cast<int>(-int64_t{saturation} % 101);
    const ColourChange change{platform, &DesaturateBy, &ks::DesaturatePixels, percent};
    if (master)
        ks::DesaturatePixels(platform.View(*master), percent);
    std::set<const TBitmap*> done;
    for (TsMaskData& m : masks)
        if (m.Bmp && done.insert(m.Bmp.get()).second)
            change.Bitmap(*m.Bmp);
    RecolourValues(sections, data, change);
}

} // namespace

// ---- The readers ------------------------------------------------------------------------------------

void ClearMasks(TsMaskArray& masks, GraphicPtr<TBitmap>& master) noexcept
{
    // Last first, as the images were made.
    while (!masks.empty())
        masks.pop_back();
    master.reset();
}

void ClearPatterns(TsPatternArray& patterns) noexcept
{
    while (!patterns.empty())
        patterns.pop_back();
}

void ReadSkinImages(const TsSkinSource& source, const TsSkinSettings& settings, TsLoadedSkin& skin)
{
    ClearMasks(skin.Masks, skin.Master);
    // The first reader of a load starts its count.
    skin.PicturePixels = 0;
    skin.Pictures = 0;
    if (!source.Platform)
        return;
    const ks::SkinPlatform& platform = *source.Platform;
    const PictureBudget budget{skin.PicturePixels, source.MaxPicturePixels, skin.Pictures, source.MaxPictures};
    if (source.Options)
        ReadImagesFromText(*source.Options, ImageSource(platform, budget, source.Archive, skin.Data.SkinPath),
                           settings.Manager, skin.Masks, skin.Master);
    else if (!source.Stored || !platform.ReadStoredImages(*source.Stored, settings.Manager, skin.Masks, skin.Master))
        return;
    if (settings.CommonSections && settings.CommonSections->Count() > 0)
        ReadCommonImages(*settings.CommonSections, ImageSource(platform, budget, nullptr, skin.Data.SkinPath),
                         settings.Manager, skin.Masks, skin.Master != nullptr);
}

void ReadSkinPatterns(const TsSkinSource& source, const TsSkinSettings& settings, TsLoadedSkin& skin)
{
    ClearPatterns(skin.Patterns);
    if (!source.Platform)
        return;
    const ks::SkinPlatform& platform = *source.Platform;
    const PictureBudget budget{skin.PicturePixels, source.MaxPicturePixels, skin.Pictures, source.MaxPictures};
    if (source.Options)
        ReadPatternsFromText(*source.Options, ImageSource(platform, budget, source.Archive, skin.Data.SkinPath),
                             settings.Manager, skin.Masks, skin.Patterns);
    else if (!source.Stored || !platform.ReadStoredPatterns(*source.Stored, skin.Patterns))
        return;
    if (settings.CommonSections && settings.CommonSections->Count() > 0)
        ReadCommonPatterns(*settings.CommonSections, ImageSource(platform, budget, nullptr, skin.Data.SkinPath),
                           skin.Patterns);
}

void ReadSectionData(const TsSkinSource& source, const TsSkinSettings& settings, TsLoadedSkin& skin)
{
    if (!source.Platform)
        return;
    const ks::SkinPlatform& platform = *source.Platform;
    if (source.Options) {
        ReadSkinGlobals(*source.Options, skin.Data);
        CheckVersion(platform, skin.Data.Version);
        const auto systemColor = [&platform](int index) {
            return platform.ColorToRGB(static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(index & 0xFF)));
        };
        ReadSectionTable(*source.Options, skin.Sections, systemColor);
    } else if (source.Stored) {
        skin.Sections.clear();
        if (!platform.ReadStoredSections(*source.Stored, skin.Data, skin.Sections))
            return;
        CheckVersion(platform, skin.Data.Version);
    } else {
        return;
    }
    if (settings.CommonSections && settings.CommonSections->Count() > 0)
        MergeCommonSections(*settings.CommonSections, skin.Sections);
    ResolveSectionImages(skin.Sections, skin.Masks);
    if (settings.HueOffset != 0)
        ApplyHueOffset(platform, skin.Data, skin.Sections, skin.Masks, skin.Master.get(), settings.HueOffset);
    if (settings.Saturation != 0)
        ApplySaturation(platform, skin.Data, skin.Sections, skin.Masks, skin.Master.get(), settings.Saturation);
}

// ---- Finding the source -----------------------------------------------------------------------------

namespace {

std::unique_ptr<TMemIniFile> OptionsOf(const TacSkinConvertor& archive, const ks::IniLimits& limits)
{
    auto options = std::make_unique<TMemIniFile>(std::wstring(), limits);
    const auto bytes = archive.Options()->Bytes();
    options->SetText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    return options;
}

void ReadAll(const TsSkinSource& source, const TsSkinSettings& settings, TsLoadedSkin& skin)
{
    ReadSkinImages(source, settings, skin);
    ReadSkinPatterns(source, settings, skin);
    ReadSectionData(source, settings, skin);
}

} // namespace

bool ReadSkinFromDisk(const std::wstring& directory, const ks::SkinPlatform& platform,
                      const TsSkinSettings& settings, TsLoadedSkin& skin, const TsSkinReadLimits& limits)
{
    const std::wstring packed = PackedSkinFileName(directory, skin.Name);
    const std::wstring folderOptions = SkinFolderOptionsFile(directory, skin.Name);
    if (FileExists(packed)) {
        std::unique_ptr<TacSkinConvertor> archive;
        UnpackSkinFile(packed, archive, true, limits.Archive);
        const std::unique_ptr<TMemIniFile> ini = OptionsOf(*archive, limits.Options);
        skin.Data.SkinPath = NormalizeDirPath(directory);
        skin.FromArchive = true;
        ReadAll({ini.get(), archive.get(), nullptr, &platform, limits.MaxPicturePixels, limits.MaxPictures}, settings, skin);
        return true;
    }
    if (FileExists(folderOptions)) {
        TMemIniFile ini(std::wstring(), limits.Options);
        ini.LoadFromFile(folderOptions);
        skin.Data.SkinPath = SkinFolderPath(directory, skin.Name);
        skin.FromArchive = false;
        ReadAll({&ini, nullptr, nullptr, &platform, limits.MaxPicturePixels, limits.MaxPictures}, settings, skin);
        return true;
    }
    return false;
}

void ReadPackedSkin(TMemoryStream& data, const ks::SkinPlatform& platform, const TsSkinSettings& settings,
                    TsLoadedSkin& skin, const TsSkinReadLimits& limits)
{
    TacSkinConvertor archive(limits.Archive);
    archive.SetPackedData(&data);
    ks::ScopeExit giveBack{[&archive] { archive.SetPackedData(nullptr); }};
    archive.ExtractPackedEntries();
    const std::unique_ptr<TMemIniFile> ini = OptionsOf(archive, limits.Options);
    skin.FromArchive = true;
    ReadAll({ini.get(), &archive, nullptr, &platform, limits.MaxPicturePixels, limits.MaxPictures}, settings, skin);
}
