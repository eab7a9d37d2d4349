#include "vcl/ImgList.h"

#include "vcl/Bitmap.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <atomic>

namespace {

constexpr const char* NoImageList = "Cannot create an image list";

std::atomic<long> LiveImageLists{0};

} // namespace

template <>
struct ks::EnumTraits<TDrawingStyle> {
    static constexpr const char* Names[] = {"dsFocus", "dsSelected", "dsNormal", "dsTransparent"};
};
template <>
struct ks::EnumTraits<TImageType> {
    static constexpr const char* Names[] = {"itImage", "itMask"};
};

// ---- ks::UniqueImageList ----------------------------------------------------------------------

ks::UniqueImageList::UniqueImageList(HIMAGELIST h) noexcept : FHandle(h)
{
    if (h)
        ++LiveImageLists;
}

ks::UniqueImageList& ks::UniqueImageList::operator=(UniqueImageList&& other) noexcept
{
    if (this != &other) {
        reset();
        FHandle = std::exchange(other.FHandle, nullptr);
    }
    return *this;
}

void ks::UniqueImageList::reset(HIMAGELIST h) noexcept
{
    if (HIMAGELIST old = std::exchange(FHandle, nullptr)) {
        ImageList_Destroy(old);
        --LiveImageLists;
    }
    if (h) {
        FHandle = h;
        ++LiveImageLists;
    }
}

HIMAGELIST ks::UniqueImageList::release() noexcept
{
    if (FHandle)
        --LiveImageLists;
    return std::exchange(FHandle, nullptr);
}

long ks::UniqueImageList::Live() noexcept
{
    return LiveImageLists;
}

// ---- TCustomImageList -------------------------------------------------------------------------

namespace {

const ks::PropertyInfo ImageListProps[] = {
    ks::Prop<&TCustomImageList::BlendColor, &TCustomImageList::SetBlendColor>("BlendColor").Idents("TColor").DefaultIs(clNone),
    ks::Prop<&TCustomImageList::BkColor, &TCustomImageList::SetBkColor>("BkColor").Idents("TColor").DefaultIs(clNone),
    ks::Prop<&TCustomImageList::AllocBy, &TCustomImageList::SetAllocBy>("AllocBy").DefaultIs(4),
    ks::Prop<&TCustomImageList::DrawingStyle, &TCustomImageList::SetDrawingStyle>("DrawingStyle").DefaultIs(dsNormal),
    ks::Prop<&TCustomImageList::Height, &TCustomImageList::SetHeight>("Height").DefaultIs(16),
    ks::Prop<&TCustomImageList::Width, &TCustomImageList::SetWidth>("Width").DefaultIs(16),
    ks::Prop<&TCustomImageList::ImageType, &TCustomImageList::SetImageType>("ImageType").DefaultIs(itImage),
    ks::Prop<&TCustomImageList::Masked, &TCustomImageList::SetMasked>("Masked").DefaultIs(true),
    ks::Prop<&TCustomImageList::OnChange, &TCustomImageList::SetOnChange>("OnChange"),
    ks::Prop<&TCustomImageList::ShareImages, &TCustomImageList::SetShareImages>("ShareImages").DefaultIs(false),
};

} // namespace

const ks::ClassInfo TCustomImageList::StaticClassInfo{"TCustomImageList", &TComponent::StaticClassInfo, ImageListProps, {}};
const ks::ClassInfo& TCustomImageList::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo TImageList::StaticClassInfo{"TImageList", &TCustomImageList::StaticClassInfo, {}, {}};
const ks::ClassInfo& TImageList::ClassInfo() const noexcept { return StaticClassInfo; }

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList()
{
    for (TChangeLink* link : FLinks)
        link->FSender = nullptr;
    ReleaseHandle();
}

TChangeLink::~TChangeLink()
{
    if (FSender)
        FSender->UnRegisterChanges(this);
}

void TCustomImageList::RegisterChanges(TChangeLink* link)
{
    if (!link || link->FSender == this)
        return;
    if (link->FSender)
        link->FSender->UnRegisterChanges(link);
    FLinks.push_back(link);
    link->FSender = this;
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) noexcept
{
    if (!link || link->FSender != this)
        return;
    std::erase(FLinks, link);
    link->FSender = nullptr;
}

COLORREF TCustomImageList::ToColorRef(TColor color) noexcept
{
    if (color == clNone)
        return CLR_NONE;
    if (color == clDefault)
        return CLR_DEFAULT;
    return static_cast<COLORREF>(ColorToRGB(color));
}

UINT TCustomImageList::CreationFlags() const noexcept
{
    return ILC_COLOR32 | (FMasked ? ILC_MASK : 0);
}

void TCustomImageList::CreateHandle()
{
    ks::UniqueImageList list(ImageList_Create(FWidth, FHeight, CreationFlags(), FAllocBy, FAllocBy));
    if (!list)
        throw EOutOfResources(NoImageList);
    ImageList_SetBkColor(list.get(), ToColorRef(FBkColor));
    FHandle = std::move(list);
    FHandleMade = true;
}

HIMAGELIST TCustomImageList::Handle()
{
    if (!FHandle)
        CreateHandle();
    return FHandle.get();
}

void TCustomImageList::ReleaseHandle() noexcept
{
    // A list made here is this list's own whatever ShareImages says: nobody else knows it.
    if (FShareImages && !FHandleMade)
        (void)FHandle.release(); // its owner destroys it
    else
        FHandle.reset();
}

void TCustomImageList::SetHandle(HIMAGELIST list)
{
    ReleaseHandle();
    FHandle.reset(list);
    FHandleMade = false;
    Change();
}

int TCustomImageList::Count() const noexcept
{
    return FHandle ? ImageList_GetImageCount(FHandle.get()) : 0;
}

void TCustomImageList::SetWidth(int width)
{
    if (width == FWidth)
        return;
    FWidth = width;
    if (FHandle) {
        ImageList_SetIconSize(FHandle.get(), FWidth, FHeight);
        Change();
    }
}

void TCustomImageList::SetHeight(int height)
{
    if (height == FHeight)
        return;
    FHeight = height;
    if (FHandle) {
        ImageList_SetIconSize(FHandle.get(), FWidth, FHeight);
        Change();
    }
}

void TCustomImageList::SetBkColor(TColor color)
{
    FBkColor = color;
    if (FHandle)
        ImageList_SetBkColor(FHandle.get(), ToColorRef(color));
}

int TCustomImageList::Add(TBitmap& image, TBitmap* mask)
{
    // The system list selects the bitmaps into DCs of its own, which fails for a bitmap still
    // selected into its canvas's DC (its image comes out black): it gets copies selected nowhere.
    TBitmap imageCopy, maskCopy;
    imageCopy.Assign(&image);
    if (mask)
        maskCopy.Assign(mask);
    HIMAGELIST list = Handle();
    const int before = ImageList_GetImageCount(list);
    const int index = ImageList_Add(list, imageCopy.Handle(), mask ? maskCopy.Handle() : nullptr);
    // Wine: a bitmap narrower than one image adds nothing yet answers the next index (not
    // checked on Windows).
    if (index < 0 || ImageList_GetImageCount(list) == before)
        return -1;
    Change();
    return index;
}

UINT TCustomImageList::DrawStyle() const noexcept
{
    static constexpr UINT StyleValues[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
    return StyleValues[FDrawingStyle] | (FImageType == itMask ? ILD_MASK : 0);
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled)
{
    if (FHandle && index >= 0 && index < Count())
        DoDraw(index, canvas, x, y, DrawStyle(), enabled);
}

void TCustomImageList::DoDraw(int index, TCanvas& canvas, int x, int y, UINT style, bool)
{
    if (HDC dc = canvas.Handle())
        ImageList_DrawEx(FHandle.get(), index, dc, x, y, 0, 0, ToColorRef(FBkColor), ToColorRef(FBlendColor), style);
}

void TCustomImageList::Change()
{
    if (FOnChange)
        FOnChange(this);
    // A link's handler may take its link (or another) off the list, or free it.
    const std::vector<TChangeLink*> links = FLinks;
    for (TChangeLink* link : links)
        if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end() && link->FOnChange)
            link->FOnChange(this);
}
