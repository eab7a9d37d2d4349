#include "skin/core/SkinLoader.h"

#include "skin/core/ColorRoutines.h"
#include "skin/core/SkinImageValues.h"
#include "skin/core/SkinLookups.h"
#include "skin/core/SkinSelection.h"
#include "skin/core/TextRoutines.h"
#include "skin/core/acSkinPack.h"
#include "skin/core/sSkinOptions.h"
#include "skin/core/sStoredSkins.h"
#include "skin/pixels/PixelColour.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/Bitmap.h"
#include "vcl/Dialogs.h"
#include "vcl/Graphics.h"
#include "vcl/IniFiles.h"
#include "vcl/Jpeg.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::string_view GlobalInfo = "GLOBALINFO";
// A picture below this many pixels is painted like a texture cut from the master bitmap.
constexpr int64_t PatternMinPixels = 90000;
constexpr std::string_view OldVersion =
    "This version of the skin have not complete support by used skin engine package release.\r\n"
    "Components must be updated up to latest version for using this skin.";

TColor SystemColor(int index)
{
    return ColorToRGB(static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(index & 0xFF)));
}

std::wstring WideOf(std::string_view bytes)
{
    return UTF8ToWide(bytes);
}

// Where the pictures of one load come from: the archive's items, or files beside the options.
class ImageSource {
public:
    ImageSource(const TacSkinConvertor* archive, std::wstring skinPath)
        : FArchive(archive), FSkinPath(std::move(skinPath)) {}

    // Loads the picture named name into graphic from the archive or, without one, from a file.
    // False when there is no such picture or its decoder refuses it: the skin then goes without
    // that image, as it does without a missing one, and keeps the rest.
    bool Load(std::string_view name, TGraphic& graphic) const
    {
        TMemoryStream* item = FArchive ? Item(name) : nullptr;
        const std::wstring path = FArchive ? std::wstring() : File(name);
        if (!item && path.empty())
            return false;
        try {
            if (item)
                graphic.LoadFromStream(*item);
            else
                graphic.LoadFromFile(path);
        } catch (const Exception&) {
            return false;
        }
        return true;
    }

private:
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
        const std::wstring wide = WideOf(name);
        const std::wstring path = wide.find(L':') != std::wstring::npos ? wide : FSkinPath + wide;
        return FileExists(path) ? path : std::wstring();
    }

    const TacSkinConvertor* FArchive;
    std::wstring FSkinPath;
};

std::unique_ptr<TBitmap> To24Bit(std::unique_ptr<TBitmap> bmp)
{
    bmp->SetPixelFormat(pf24bit);
    return bmp;
}

// ---- Image masks ----------------------------------------------------------------------------------

void AddOwnImage(TsMaskArray& masks, const ImageSource& source, const TsImageValue& v, TsMaskData&& record)
{
    std::unique_ptr<TBitmap> bmp;
    if (v.IsPng) {
        // The PNG class registers itself with the picture registry at its unit's start-up.
        const TGraphicFactory makePng = TPicture::FileFormat(L"png");
        if (!makePng)
            return;
        const std::unique_ptr<TGraphic> png = makePng();
        if (!source.Load(v.FileName, *png))
            return;
        bmp = std::make_unique<TBitmap>();
        bmp->Assign(png.get());
        // Fully transparent white would show as a white seam where the image is stretched. The
        // pixel accessors leave pictures below 2 x 2 alone, and so does this.
        if (bmp->Width() >= 2 && bmp->Height() >= 2)
            ks::ReplaceWord32(bmp->View(), 0x00FFFFFF, 0);
    } else {
        bmp = std::make_unique<TBitmap>();
        if (!source.Load(v.FileName, *bmp))
            return;
    }
    if (bmp->Width() == 0)
        return;
    ApplyOwnImageLayout(record, v, bmp->Width(), bmp->Height());
    if (!v.IsPng && record.ImgType != itisaTexture)
        bmp->SetPixelFormat(pf24bit);
    record.Bmp = OwnGraphic(bmp.release());
    masks.push_back(std::move(record));
}

void AddBitmapFile(TsMaskArray& masks, const ImageSource& source, const TsImageValue& v, TsMaskData&& record)
{
    auto bmp = std::make_unique<TBitmap>();
    if (!source.Load(v.FileName, *bmp) || bmp->Width() < 1)
        return;
    ApplyBitmapFileLayout(record, bmp->Width(), bmp->Height());
    record.SectionName = UpperCaseAscii(record.SectionName);
    record.PropertyName = UpperCaseAscii(record.PropertyName);
    record.Bmp = OwnGraphic(To24Bit(std::move(bmp)).release());
    masks.push_back(std::move(record));
}

void ReadImagesFromText(const TMemIniFile& ini, const ImageSource& source, TsSkinManager* manager,
                        TsMaskArray& masks, std::unique_ptr<TBitmap>& master)
{
    master = std::make_unique<TBitmap>();
    // Without its master picture a skin still reads; its rectangles then show nothing.
    source.Load(ini.ReadString(GlobalInfo, "MASTERBITMAP", ""), *master);
    master->SetPixelFormat(pf24bit);
    master->SetTransparent(true);
    master->SetTransparentColor(TransparentKeyColor);

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

void ReadImagesFromStoredSkin(const TsStoredSkin& stored, TsSkinManager* manager, TsMaskArray& masks,
                              std::unique_ptr<TBitmap>& master)
{
    if (!stored.MasterBitmap()->Empty()) {
        master = std::make_unique<TBitmap>();
        master->Assign(stored.MasterBitmap());
        master->SetTransparent(true);
        master->SetTransparentColor(TransparentKeyColor);
        master->SetPixelFormat(pf24bit);
    }
    for (int i = 0; i < stored.Images()->Count(); ++i) {
        const TsSkinImage& item = *stored.Images()->Items(i);
        TsMaskData m;
        if (!item.Image()->Empty() && !item.Name().empty()) {
            auto bmp = std::make_unique<TBitmap>();
            bmp->Assign(item.Image());
            m.R = Rect(0, 0, bmp->Width(), bmp->Height());
            m.Bmp = OwnGraphic(To24Bit(std::move(bmp)).release());
        } else {
            m.R = Rect(item.Left(), item.Top(), item.Right(), item.Bottom());
        }
        m.PropertyName = UpperCaseAscii(item.PropertyName());
        m.SectionName = UpperCaseAscii(item.SectionName());
        m.ImageCount = static_cast<int16_t>(item.ImageCount());
        m.MaskType = static_cast<int16_t>(item.MaskType());
        if (item.ImageCount() == 0) {
            m.MaskType = 1;
            m.ImageCount = 3;
        }
        m.BorderWidth = static_cast<int16_t>(item.BorderWidth());
        m.StretchMode = static_cast<int16_t>(item.StretchMode());
        m.ImgType = item.ImgType();
        m.WL = static_cast<int16_t>(item.WL());
        m.WT = static_cast<int16_t>(item.WT());
        m.WR = static_cast<int16_t>(item.WR());
        m.WB = static_cast<int16_t>(item.WB());
        m.Manager = manager;
        ApplySideRule(m);
        masks.push_back(std::move(m));
    }
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
        auto bmp = std::make_unique<TBitmap>();
        if (!disk.Load(v, *bmp) || bmp->Width() < 1)
            return;
        TsMaskData m;
        m.SectionName = UpperCaseAscii(section);
        m.PropertyName = UpperCaseAscii(key);
        m.Manager = manager;
        m.Bmp = OwnGraphic(To24Bit(std::move(bmp)).release());
        masks.push_back(std::move(m));
    });
}

// ---- Texture patterns -------------------------------------------------------------------------------

bool NamesPicture(std::string_view upper)
{
    return upper.find(".JPG") != std::string_view::npos || upper.find(".JPEG") != std::string_view::npos;
}

void ReadPatternsFromText(const TMemIniFile& ini, const ImageSource& source, TsSkinManager* manager,
                          TsMaskArray& masks, TsPatternArray& patterns)
{
    ks::ForEachValue(ini, [&](const std::string& section, const std::string& key, const std::string& value) {
        const std::string v = UpperCaseAscii(value.empty() ? std::string("-") : value);
        if (!NamesPicture(v))
            return;
        auto jpeg = std::make_unique<TJPEGImage>();
        if (!source.Load(v, *jpeg) || jpeg->Width() == 0)
            return;
        if (int64_t{jpeg->Width()} * jpeg->Height() < PatternMinPixels) {
            TsMaskData m;
            auto bmp = std::make_unique<TBitmap>();
            bmp->Assign(&jpeg->Bitmap());
            // Painters find a texture's pixels through R, as they do for own images.
            m.R = Rect(0, 0, bmp->Width(), bmp->Height());
            m.Bmp = OwnGraphic(bmp.release());
            m.PropertyName = UpperCaseAscii(key);
            m.SectionName = UpperCaseAscii(section);
            m.ImgType = itisaTexture;
            m.ImageCount = 1;
            m.Manager = manager;
            masks.push_back(std::move(m));
            return;
        }
        TsPatternData p;
        p.Img = OwnGraphic(jpeg.release());
        p.SectionName = UpperCaseAscii(section);
        p.PropertyName = UpperCaseAscii(key);
        patterns.push_back(std::move(p));
    });
}

void ReadPatternsFromStoredSkin(const TsStoredSkin& stored, TsPatternArray& patterns)
{
    const TsSkinPatterns& items = *stored.Patterns();
    for (int i = 0; i < items.Count(); ++i) {
        const TsSkinPattern& item = *items.Items(i);
        const TJPEGImage* image = item.Image();
        if (image->Empty()) {
            image = nullptr;
            for (int j = 0; j < items.Count() && !image; ++j)
                if (items.Items(j)->Name() == item.Name() && !items.Items(j)->Image()->Empty())
                    image = items.Items(j)->Image();
        }
        TsPatternData p;
        auto jpeg = std::make_unique<TJPEGImage>();
        if (image)
            jpeg->Assign(image);
        p.Img = OwnGraphic(jpeg.release());
        p.SectionName = UpperCaseAscii(item.SectionName());
        p.PropertyName = UpperCaseAscii(item.PropertyName());
        patterns.push_back(std::move(p));
    }
}

void ReadCommonPatterns(const TStrings& common, const ImageSource& disk, TsPatternArray& patterns)
{
    TMemIniFile ini(L"2.tmp");
    ini.SetStrings(common);
    ks::ForEachValue(ini, [&](const std::string& section, const std::string& key, const std::string& value) {
        const std::string v = UpperCaseAscii(value.empty() ? std::string("-") : value);
        if (!NamesPicture(v))
            return;
        auto jpeg = std::make_unique<TJPEGImage>();
        if (!disk.Load(v, *jpeg) || jpeg->Width() < 1)
            return;
        TsPatternData p;
        p.Img = OwnGraphic(jpeg.release());
        p.SectionName = UpperCaseAscii(section);
        p.PropertyName = UpperCaseAscii(key);
        patterns.push_back(std::move(p));
    });
}

// ---- Sections ---------------------------------------------------------------------------------------

void CheckVersion(double version)
{
    if (version > 6.99)
        ShowMessage(WideOf(OldVersion));
}

void ReadSectionsFromStoredSkin(const TsStoredSkin& stored, TsSkinData& data, TsGeneralDataArray& table)
{
    // A stored skin holds only some of the global values; the others are the defaults an options
    // text without them gives, never what the previous skin left.
    ReadSkinGlobals(TMemIniFile(), data);
    data.Version = stored.Version();
    data.Author = stored.Author();
    data.Description = stored.Description();
    data.Shadow1Color = stored.Shadow1Color();
    data.Shadow1Offset = static_cast<int16_t>(stored.Shadow1Offset());
    data.Shadow1Blur = static_cast<int16_t>(stored.Shadow1Blur());
    data.Shadow1Transparency = static_cast<int16_t>(stored.Shadow1Transparency());
    data.BorderColor = stored.BorderColor();
    CheckVersion(data.Version);
    for (int i = 0; i < stored.GeneralData()->Count(); ++i) {
        const TsSkinGeneral& g = *stored.GeneralData()->Items(i);
        TsGeneralData d;
        d.SectionName = g.SectionName();
        d.ParentClass = g.ParentClass();
        d.Color = g.Color();
        d.ReservedBoolean = g.ReservedBoolean();
        d.GiveOwnFont = g.GiveOwnFont();
        d.GlowCount = g.GlowCount();
        d.GlowMargin = g.GlowMargin();
        d.Transparency = g.Transparency();
        d.GradientPercent = g.GradientPercent();
        d.ImagePercent = g.ImagePercent();
        d.GradientData = g.GradientData();
        d.GradientArray = ParseGradient(d.GradientData);
        d.ShowFocus = g.ShowFocus();
        d.FadingEnabled = g.FadingEnabled();
        d.FadingIterations = g.FadingIterations();
        d.HotColor = g.HotColor();
        d.HotTransparency = g.HotTransparency();
        d.HotGradientPercent = g.HotGradientPercent();
        d.HotGradientData = g.HotGradientData();
        d.HotGradientArray = ParseGradient(d.HotGradientData);
        d.HotImagePercent = g.HotImagePercent();
        d.FontColor = StoredFontColors(g.FontColor());
        d.HotFontColor = StoredFontColors(g.HotFontColor());
        ClampTransparency(d);
        d.BorderIndex = d.ImgTopLeft = d.ImgTopRight = d.ImgBottomLeft = d.ImgBottomRight = 0;
        table.push_back(std::move(d));
    }
}

// ---- Hue and saturation --------------------------------------------------------------------------

// One of the two colour changes: for values, which may still be system colours, and for the
// pixels of a bitmap.
struct ColourChange {
    TColor (*Value)(TColor c, int amount);
    void (*Pixels)(const ks::PixelView& v, int amount) noexcept;
    int Amount;

    void Bitmap(TBitmap& bmp) const
    {
        if (bmp.PixelFormat() != pf32bit)
            bmp.SetPixelFormat(pf24bit);
        Pixels(bmp.View(), Amount);
    }
};

TColor RotateBy(TColor c, int offset)
{
    return RotateHueColor(offset, c);
}

TColor DesaturateBy(TColor c, int percent)
{
    // A section's colours may still be system colours, whose index is no colour to change.
    return DesaturateColor(ColorToRGB(c), percent);
}

void RecolourValues(TsGeneralDataArray& sections, TsSkinData& data, const ColourChange& change)
{
    static const TSysCharSet semicolon = CharSetOf(";");
    auto colour = [&](TColor& c) { c = change.Value(c, change.Amount); };
    for (TsGeneralData& d : sections) {
        colour(d.Color);
        colour(d.HotColor);
        for (size_t i = 0; i < d.FontColor.size(); ++i) {
            if (d.FontColor[i] != -1)
                colour(d.FontColor[i]);
            if (d.HotFontColor[i] != -1)
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
    std::unique_ptr<TBitmap> Pixels = std::make_unique<TBitmap>();
};

SavedRect SaveRect(TBitmap& master, const TRect& r)
{
    SavedRect saved;
    const TRect clipped = ks::ClipToView(master.View(), r);
    if (clipped.Width() <= 0 || clipped.Height() <= 0)
        return saved;
    saved.At = Point(clipped.Left, clipped.Top);
    saved.Pixels->SetPixelFormat(master.PixelFormat());
    saved.Pixels->SetSize(clipped.Width(), clipped.Height());
    ks::CopyRect(saved.Pixels->View(), Point(0, 0), master.View(), clipped);
    return saved;
}

void RestoreRect(TBitmap& master, SavedRect& saved)
{
    ks::CopyRect(master.View(), saved.At, saved.Pixels->View(),
                   Rect(0, 0, saved.Pixels->Width(), saved.Pixels->Height()));
}

void ApplyHueOffset(TsSkinData& data, TsGeneralDataArray& sections, TsMaskArray& masks, TBitmap* master, int offset)
{
    static constexpr std::string_view CloseKeys[] = {"BICONCLOSE", "SICONCLOSE"};
    static constexpr std::string_view Others[] = {"BICONMAX", "BICONMIN", "BICONNORM", "BICONHELP",
                                                   "SICONMAX", "SICONMIN", "SICONNORM"};
    const ColourChange change{&RotateBy, &ks::RotateHuePixels, offset};
    std::vector<std::string_view> kept;
    if (data.BIKeepHue != 0)
        kept.assign(std::begin(CloseKeys), std::end(CloseKeys));
    if (data.BIKeepHue == 1)
        kept.insert(kept.end(), std::begin(Others), std::end(Others));

    std::vector<int> skip;
    std::vector<SavedRect> saved;
    for (std::string_view icon : kept) {
        const int index = FindMaskOwnOnlyIn(masks, GlobalInfo, icon);
        if (index >= 0 && !masks[static_cast<size_t>(index)].Bmp && master)
            saved.push_back(SaveRect(*master, masks[static_cast<size_t>(index)].R));
        else if (index >= 0)
            skip.push_back(index);
        const int glow = FindMaskOwnOnlyIn(masks, GlobalInfo, std::string(icon) + "GLOW0");
        if (glow >= 0 && masks[static_cast<size_t>(glow)].Bmp)
            skip.push_back(glow);
    }
    if (master)
        ks::RotateHuePixels(master->View(), offset);
    for (SavedRect& s : saved)
        RestoreRect(*master, s);
    for (size_t i = 0; i < masks.size(); ++i)
        if (masks[i].Bmp && std::find(skip.begin(), skip.end(), static_cast<int>(i)) == skip.end())
            change.Bitmap(*masks[i].Bmp);
    RecolourValues(sections, data, change);
}

void ApplySaturation(TsSkinData& data, TsGeneralDataArray& sections, TsMaskArray& masks, TBitmap* master, int saturation)
{
    // In -100 .. 100 with the sign of -saturation.
    const int percent = static_cast<int>(-int64_t{saturation} % 101);
    const ColourChange change{&DesaturateBy, &ks::DesaturatePixels, percent};
    if (master)
        ks::DesaturatePixels(master->View(), percent);
    for (TsMaskData& m : masks)
        if (m.Bmp)
            change.Bitmap(*m.Bmp);
    RecolourValues(sections, data, change);
}

} // namespace

// ---- The readers ------------------------------------------------------------------------------------

TsLoadedSkin::TsLoadedSkin() = default;
TsLoadedSkin::~TsLoadedSkin() = default;
TsLoadedSkin::TsLoadedSkin(TsLoadedSkin&&) noexcept = default;
TsLoadedSkin& TsLoadedSkin::operator=(TsLoadedSkin&&) noexcept = default;

void ClearMasks(TsMaskArray& masks, std::unique_ptr<TBitmap>& master) noexcept
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
    const ImageSource pictures(source.Archive, skin.Data.SkinPath);
    if (source.Options)
        ReadImagesFromText(*source.Options, pictures, settings.Manager, skin.Masks, skin.Master);
    else if (source.Stored)
        ReadImagesFromStoredSkin(*source.Stored, settings.Manager, skin.Masks, skin.Master);
    else
        return;
    if (settings.CommonSections && settings.CommonSections->Count() > 0)
        ReadCommonImages(*settings.CommonSections, ImageSource(nullptr, skin.Data.SkinPath), settings.Manager,
                         skin.Masks, skin.Master != nullptr);
}

void ReadSkinPatterns(const TsSkinSource& source, const TsSkinSettings& settings, TsLoadedSkin& skin)
{
    ClearPatterns(skin.Patterns);
    const ImageSource pictures(source.Archive, skin.Data.SkinPath);
    if (source.Options)
        ReadPatternsFromText(*source.Options, pictures, settings.Manager, skin.Masks, skin.Patterns);
    else if (source.Stored)
        ReadPatternsFromStoredSkin(*source.Stored, skin.Patterns);
    else
        return;
    if (settings.CommonSections && settings.CommonSections->Count() > 0)
        ReadCommonPatterns(*settings.CommonSections, ImageSource(nullptr, skin.Data.SkinPath), skin.Patterns);
}

void ReadSectionData(const TsSkinSource& source, const TsSkinSettings& settings, TsLoadedSkin& skin)
{
    if (source.Options) {
        ReadSkinGlobals(*source.Options, skin.Data);
        CheckVersion(skin.Data.Version);
        ReadSectionTable(*source.Options, skin.Sections, &SystemColor);
    } else if (source.Stored) {
        skin.Sections.clear();
        ReadSectionsFromStoredSkin(*source.Stored, skin.Data, skin.Sections);
    } else {
        return;
    }
    if (settings.CommonSections && settings.CommonSections->Count() > 0)
        MergeCommonSections(*settings.CommonSections, skin.Sections);
    ResolveSectionImages(skin.Sections, skin.Masks);
    if (settings.HueOffset != 0)
        ApplyHueOffset(skin.Data, skin.Sections, skin.Masks, skin.Master.get(), settings.HueOffset);
    if (settings.Saturation != 0)
        ApplySaturation(skin.Data, skin.Sections, skin.Masks, skin.Master.get(), settings.Saturation);
}

// ---- Finding the source -----------------------------------------------------------------------------

bool ReadSkin(const std::wstring& directory, bool fromDisk, const TsStoredSkins& internalSkins,
              const TsSkinSettings& settings, TsLoadedSkin& skin)
{
    std::unique_ptr<TacSkinConvertor> archive;
    std::unique_ptr<TMemIniFile> ini;
    TsSkinSource source;

    auto optionsOf = [&](TacSkinConvertor& conv) {
        auto options = std::make_unique<TMemIniFile>();
        const auto bytes = conv.Options()->Bytes();
        options->SetText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        return options;
    };

    const std::wstring packed = PackedSkinFileName(directory, skin.Name);
    const std::wstring folderOptions = SkinFolderOptionsFile(directory, skin.Name);
    if (fromDisk && FileExists(packed)) {
        UnpackSkinFile(packed, archive, true);
        ini = optionsOf(*archive);
        skin.Data.SkinPath = NormalizeDirPath(directory);
        skin.FromArchive = true;
    } else if (fromDisk && FileExists(folderOptions)) {
        ini = std::make_unique<TMemIniFile>();
        ini->LoadFromFile(folderOptions);
        skin.Data.SkinPath = SkinFolderPath(directory, skin.Name);
        skin.FromArchive = false;
    } else {
        skin.Data.SkinPath.clear();
        int index = internalSkins.IndexOf(skin.Name);
        if (index < 0) {
            if (internalSkins.Count() == 0)
                return false;
            index = 0;
            skin.Name = internalSkins.Items(0)->Name();
        }
        TsStoredSkin& item = *internalSkins.Items(index);
        if (item.Data().Size() > 0) {
            archive = std::make_unique<TacSkinConvertor>();
            archive->SetPackedData(&item.Data());
            ks::ScopeExit giveBack{[&conv = *archive] { conv.SetPackedData(nullptr); }};
            archive->ExtractPackedEntries();
            ini = optionsOf(*archive);
            skin.FromArchive = true;
        } else {
            source.Stored = &item;
            skin.FromArchive = false;
        }
    }
    source.Options = ini.get();
    source.Archive = skin.FromArchive ? archive.get() : nullptr;

    ReadSkinImages(source, settings, skin);
    ReadSkinPatterns(source, settings, skin);
    ReadSectionData(source, settings, skin);
    return true;
}
