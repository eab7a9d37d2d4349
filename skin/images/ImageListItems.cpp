#include "skin/images/ImageListItems.h"

#include "vcl/FormStreaming.h"
#include "vcl/TypInfo.h"

template <>
struct ks::EnumTraits<TsImageFormat> {
    static constexpr const char* Names[] = {"ifPNG", "ifICO"};
};
template <>
struct ks::EnumTraits<TPixelFormat> {
    // Ordinals from pfDevice; pfUnset is never streamed.
    static constexpr const char* Names[] = {"pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit",
                                            "pf16bit", "pf24bit", "pf32bit", "pfCustom"};
};

namespace {

const ks::PropertyInfo ItemProperties[] = {
    ks::Prop<&TsImgListItem::ImageFormat, &TsImgListItem::SetImageFormat>("ImageFormat").DefaultIs(ifPNG),
    ks::Prop<&TsImgListItem::PixelFormat, &TsImgListItem::SetPixelFormat>("PixelFormat").DefaultIs(pf32bit),
};

} // namespace

const ks::ClassInfo TsImgListItem::StaticClassInfo{"TsImgListItem", &TCollectionItem::StaticClassInfo, ItemProperties, {}};
const ks::ClassInfo& TsImgListItem::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TsImgListItems::StaticClassInfo{"TsImgListItems", &TOwnedCollection::StaticClassInfo, {}, {}};
const ks::ClassInfo& TsImgListItems::ClassInfo() const noexcept { return StaticClassInfo; }

TsImgListItem::TsImgListItem() : FImgData(std::make_unique<TMemoryStream>()) {}

TsImgListItem::~TsImgListItem() = default;

void TsImgListItem::SetPixelFormat(TPixelFormat format) noexcept
{
    if (format >= pfDevice && format <= pfCustom)
        FPixelFormat = format;
}

void TsImgListItem::Assign(const TPersistent* source)
{
    if (auto* item = dynamic_cast<const TsImgListItem*>(source)) {
        if (item == this)
            return;
        FImageFormat = item->FImageFormat;
        FPixelFormat = item->FPixelFormat;
        TMemoryStream copy;
        copy.WriteBuffer(item->FImgData->Memory(), static_cast<size_t>(item->FImgData->Size()));
        FImgData->LoadFromStream(copy);
        return;
    }
    TCollectionItem::Assign(source);
}

void TsImgListItem::DefineProperties(TFiler& filer)
{
    TCollectionItem::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "ImgData", [this](TStream& s) { FImgData->LoadFromStream(s); },
        [this](TStream& s) { FImgData->SaveToStream(s); }, true);
}

TsImgListItems::TsImgListItems(TPersistent* owner) : TOwnedCollection(owner, &NewCollectionItem<TsImgListItem>) {}
