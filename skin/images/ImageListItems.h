#pragma once
// The stored data of the alpha image list: one collection item per image, holding the bytes of
// the image file (PNG or icon) that streams with the form as the binary property "ImgData". It
// is portable, so the form reader's handling of it is checked on the host; acAlphaImageList
// builds the system's list from the items.

#include "vcl/Collections.h"
#include "vcl/GraphicsTypes.h"
#include "vcl/Streams.h"

#include <memory>

enum TsImageFormat { ifPNG, ifICO };

class TsImgListItem : public TCollectionItem {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TsImgListItem();
    ~TsImgListItem() override;

    TsImageFormat ImageFormat() const noexcept { return FImageFormat; }
    void SetImageFormat(TsImageFormat format) noexcept { FImageFormat = format; }
    // Kept, copied and streamed; the list builds its images whatever it says.
    TPixelFormat PixelFormat() const noexcept { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat format) noexcept;
    // The bytes of the image file.
    TMemoryStream& ImgData() noexcept { return *FImgData; }

    // From another item: format, pixel format and a copy of the bytes.
    void Assign(const TPersistent* source) override;

protected:
    void DefineProperties(TFiler& filer) override;

private:
    TsImageFormat FImageFormat = ifPNG;
    TPixelFormat FPixelFormat = pf32bit;
    std::unique_ptr<TMemoryStream> FImgData;
};

class TsImgListItems : public TOwnedCollection {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // owner: the image list, answered as the collection's owner for the form reader's name paths.
    explicit TsImgListItems(TPersistent* owner);

    TsImgListItem* Items(int index) const { return static_cast<TsImgListItem*>(TCollection::Items(index)); }
    TsImgListItem* Add() { return static_cast<TsImgListItem*>(TCollection::Add()); }
};
