#include "skin/core/SkinLoader.h"

#include "skin/core/SkinImageValues.h"
#include "skin/core/sGradient.h"
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
#include <climits>
#include <memory>
#include <utility>

namespace {

GraphicPtr<TBitmap> MakeMaster(const TBitmap* picture)
{
    auto master = std::make_unique<TBitmap>();
    if (picture)
        master->Assign(picture);
    master->SetPixelFormat(pf24bit);
    master->SetTransparent(true);
    master->SetTransparentColor(TransparentKeyColor);
    return OwnGraphic(master.release());
}

// ---- Skins stored the older way -------------------------------------------------------------------

void ReadImagesFromStoredSkin(const TsStoredSkin& stored, TsSkinManager* manager, TsMaskArray& masks,
                              GraphicPtr<TBitmap>& master)
{
    if (!stored.MasterBitmap()->Empty())
        master = MakeMaster(stored.MasterBitmap());
    for (int i = 0; i < stored.Images()->Count(); ++i) {
        const TsSkinImage& item = *stored.Images()->Items(i);
        TsMaskData m;
        if (!item.Image()->Empty() && !item.Name().empty()) {
            auto bmp = std::make_unique<TBitmap>();
            bmp->Assign(item.Image());
            m.R = Rect(0, 0, bmp->Width(), bmp->Height());
            bmp->SetPixelFormat(pf24bit);
            m.Bmp = OwnGraphic(bmp.release());
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


// ---- GDI pictures -----------------------------------------------------------------------------------

// Bitmaps and JPEG pictures are the class library's own classes; PNG pictures come from the
// picture registry, where the PNG class registers itself at its unit's start-up.
class GdiPlatform final : public ks::SkinPlatform {
public:
    GraphicPtr<TBitmap> DecodeBitmap(TStream& stream, ks::PictureFormat format) const override
    {
        auto bmp = std::make_unique<TBitmap>();
        if (format == ks::PictureFormat::Png) {
            const TGraphicFactory makePng = TPicture::FileFormat(L"png");
            if (!makePng)
                return {nullptr, nullptr};
            const std::unique_ptr<TGraphic> png = makePng();
            png->LoadFromStream(stream);
            bmp->Assign(png.get());
        } else {
            bmp->LoadFromStream(stream);
        }
        return OwnGraphic(bmp.release());
    }

    GraphicPtr<TJPEGImage> DecodeJpeg(TStream& stream) const override
    {
        auto jpeg = std::make_unique<TJPEGImage>();
        jpeg->LoadFromStream(stream);
        return OwnGraphic(jpeg.release());
    }

    TSize Size(const TBitmap& bmp) const override { return {bmp.Width(), bmp.Height()}; }
    TSize Size(const TJPEGImage& jpeg) const override { return {jpeg.Width(), jpeg.Height()}; }
    bool Is32Bit(const TBitmap& bmp) const override { return bmp.PixelFormat() == pf32bit; }
    void To24Bit(TBitmap& bmp) const override { bmp.SetPixelFormat(pf24bit); }
    ks::PixelView View(TBitmap& bmp) const override { return bmp.View(); }
    GraphicPtr<TBitmap> MasterBitmap(const TBitmap* picture) const override { return MakeMaster(picture); }

    GraphicPtr<TBitmap> TextureOf(const TJPEGImage& jpeg) const override
    {
        auto bmp = std::make_unique<TBitmap>();
        bmp->Assign(&jpeg.Bitmap());
        return OwnGraphic(bmp.release());
    }

    GraphicPtr<TBitmap> NewBitmapLike(const TBitmap& like, int width, int height) const override
    {
        auto bmp = std::make_unique<TBitmap>();
        bmp->SetPixelFormat(like.PixelFormat());
        bmp->SetSize(width, height);
        return OwnGraphic(bmp.release());
    }

    TColor ColorToRGB(TColor color) const override { return ::ColorToRGB(color); }
    void ShowMessage(const std::wstring& text) const override { ::ShowMessage(text); }
    std::wstring AnsiToWide(std::string_view bytes) const override
    {
        const int size = static_cast<int>(std::min<size_t>(bytes.size(), INT_MAX));
        std::wstring wide(static_cast<size_t>(std::max(size, 0)), L'\0');
        const int n = size > 0 ? MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), size) : 0;
        wide.resize(static_cast<size_t>(std::max(n, 0)));
        return wide;
    }

    bool ReadStoredImages(const TsStoredSkin& stored, TsSkinManager* manager, TsMaskArray& masks,
                          GraphicPtr<TBitmap>& master) const override
    {
        ReadImagesFromStoredSkin(stored, manager, masks, master);
        return true;
    }

    bool ReadStoredPatterns(const TsStoredSkin& stored, TsPatternArray& patterns) const override
    {
        ReadPatternsFromStoredSkin(stored, patterns);
        return true;
    }

    bool ReadStoredSections(const TsStoredSkin& stored, TsSkinData& data, TsGeneralDataArray& table) const override
    {
        ReadSectionsFromStoredSkin(stored, data, table);
        return true;
    }
};

} // namespace

const ks::SkinPlatform& ks::GdiSkinPlatform() noexcept
{
    static const GdiPlatform platform;
    return platform;
}

// ---- Finding the source -----------------------------------------------------------------------------

bool ReadSkin(const std::wstring& directory, bool fromDisk, const TsStoredSkins& internalSkins,
              const TsSkinSettings& settings, TsLoadedSkin& skin)
{
    const ks::SkinPlatform& platform = ks::GdiSkinPlatform();
    if (fromDisk && ReadSkinFromDisk(directory, platform, settings, skin))
        return true;
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
        ReadPackedSkin(item.Data(), platform, settings, skin);
        return true;
    }
    skin.FromArchive = false;
    const TsSkinSource source{nullptr, nullptr, &item, &platform};
    ReadSkinImages(source, settings, skin);
    ReadSkinPatterns(source, settings, skin);
    ReadSectionData(source, settings, skin);
    return true;
}
