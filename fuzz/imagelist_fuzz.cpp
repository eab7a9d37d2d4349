// Fuzz target for the image list's stored data: the input is a form resource whose root holds
// the list's Items, as a form streams an alpha image list. A stream the reader accepts must
// write and read back to the same items (format, pixel format and the bytes of every image),
// and every item's image is then decoded as the list decodes it: a PNG item by the PNG decoder,
// an icon item through the icon reader and the decoders behind it (fuzz/IconImages.h).
#include "fuzz/IconImages.h"
#include "skin/images/ImageListItems.h"
#include "vcl/FormStreaming.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

// Stands in for the alpha image list: the properties it streams besides the items come from the
// class library's image list, which the host does not build.
class TFuzzImageList : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TComponent::TComponent;

    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }
    int Height() const { return FHeight; }
    void SetHeight(int v) { FHeight = v; }
    TsImgListItems* Items() const { return FItems.get(); }
    void SetItems(TsImgListItems* items) { FItems->Assign(items); }

private:
    int FWidth = 16;
    int FHeight = 16;
    std::unique_ptr<TsImgListItems> FItems = std::make_unique<TsImgListItems>(this);
};

constexpr ks::PropertyInfo ListProps[] = {
    ks::Prop<&TFuzzImageList::Width, &TFuzzImageList::SetWidth>("Width").DefaultIs(16),
    ks::Prop<&TFuzzImageList::Height, &TFuzzImageList::SetHeight>("Height").DefaultIs(16),
    ks::Prop<&TFuzzImageList::Items, &TFuzzImageList::SetItems>("Items"),
};
const ks::ClassInfo TFuzzImageList::StaticClassInfo{"TFuzzImageList", &TComponent::StaticClassInfo, ListProps, {}};

constexpr ks::FormLimits FuzzLimits{.MaxComponents = 8, .MaxDepth = 4, .MaxCollectionItems = 16, .MaxPathNames = 4};
constexpr uint64_t PixelLimit = 1u << 16;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

bool SameItems(TsImgListItems& a, TsImgListItems& b)
{
    if (a.Count() != b.Count())
        return false;
    for (int i = 0; i < a.Count(); ++i) {
        TsImgListItem& x = *a.Items(i);
        TsImgListItem& y = *b.Items(i);
        const auto bx = x.ImgData().Bytes();
        const auto by = y.ImgData().Bytes();
        if (x.ImageFormat() != y.ImageFormat() || x.PixelFormat() != y.PixelFormat() ||
            !std::equal(bx.begin(), bx.end(), by.begin(), by.end()))
            return false;
    }
    return true;
}

void Decode(TsImgListItem& item)
{
    const std::span<const uint8_t> bytes = item.ImgData().Bytes();
    try {
        if (item.ImageFormat() == ifPNG) {
            TColorManager manager;
            ks::MemoryRaster raster;
            ks::LoadPng(bytes, manager, raster, {.MaxImageBytes = 4 * PixelLimit});
            return;
        }
        const std::vector<ks::IcoEntry> entries = ks::ReadIcoDirectory(bytes, {.MaxEntries = 16, .MaxPixels = PixelLimit});
        ks::fuzz::DecodeIconImages(bytes, entries, PixelLimit);
    } catch (const Exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TFuzzImageList* list = Create<TFuzzImageList>(nullptr);
    try {
        ReadRootComponent({data, size}, *list, FuzzLimits);
    } catch (const Exception&) {
        list->Free();
        return 0;
    }
    TFuzzImageList* again = Create<TFuzzImageList>(nullptr);
    ReadRootComponent(WriteRootComponent(*list), *again, FuzzLimits);
    Check(SameItems(*list->Items(), *again->Items()));
    again->Free();
    for (int i = 0; i < list->Items()->Count(); ++i)
        Decode(*list->Items()->Items(i));
    list->Free();
    return 0;
}
