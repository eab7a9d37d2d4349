#include "skin/images/acAlphaImageList.h"

#include "skin/core/BitmapResampling.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/sConst.h"
#include "skin/images/acPNG.h"
#include "skin/pixels/PixelCore.h"
#include "skin/pixels/Resampler.h"
#include "vcl/FormStreaming.h"
#include "vcl/GdiHandles.h"
#include "vcl/Icon.h"
#include "vcl/PixelFormats.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr uint8_t GlyphFilter = 6;
constexpr uint32_t KeyColorBgr = 0xFF00FF; // TransparentKeyColor read as blue, green, red bytes

// A copy of a bitmap's pixels as a 32-bit DIB, alpha included. GetDIBits copies the bytes as
// they are; the bitmap stays its owner's.
std::unique_ptr<TBitmap> Bitmap32Of(HBITMAP bitmap)
{
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight == 0)
        return nullptr;
    const int w = bm.bmWidth;
    const int h = std::abs(bm.bmHeight);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h; // top-down, row 0 first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    ks::WindowDC screen(nullptr);
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(h), pixels.data(), &info, DIB_RGB_COLORS) != h)
        return nullptr;
    std::unique_ptr<TBitmap> out = NewBitmap32(w, h);
    ks::CopyPixels(out->View(), {pixels.data(), static_cast<ptrdiff_t>(w) * 4, w, h, 32});
    return out;
}

uint32_t Bgr(const uint8_t* p) noexcept
{
    return p[0] | p[1] << 8 | static_cast<uint32_t>(p[2]) << 16;
}

// Nearest-pixel scaling for sources the resampler cannot take (narrower or lower than 2).
// dst keeps the working format the resampler would have given it.
void StretchByCopying(TBitmap& src, TBitmap& dst)
{
    const TPixelFormat format = src.PixelFormat() == pf32bit ? pf32bit : pf24bit;
    src.SetPixelFormat(format);
    dst.SetPixelFormat(format);
    ks::StretchNearest(dst.View(), src.View());
}

// The icon's colour image as a 32-bit bitmap, and its mask; empty when the list has no such
// image.
struct IconImages {
    std::unique_ptr<TBitmap> color;
    ks::GdiBitmap mask;
};

IconImages ImagesOf(HIMAGELIST list, int index, UINT style)
{
    IconImages out;
    ks::UniqueIcon icon(ImageList_GetIcon(list, index, style));
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon.get(), &info))
        return out;
    // GetIconInfo hands over copies of both bitmaps.
    ks::GdiBitmap color(info.hbmColor);
    out.mask.reset(info.hbmMask);
    out.color = Bitmap32Of(color.get());
    return out;
}

} // namespace

// ---- TsAlphaImageList -------------------------------------------------------------------------

namespace {

const ks::PropertyInfo ListProps[] = {
    ks::Prop<&TsAlphaImageList::Items, &TsAlphaImageList::SetItems>("Items"),
};

} // namespace

const ks::ClassInfo TsAlphaImageList::StaticClassInfo{"TsAlphaImageList", &TImageList::StaticClassInfo, ListProps, {}};
const ks::ClassInfo& TsAlphaImageList::ClassInfo() const noexcept { return StaticClassInfo; }

TsAlphaImageList::TsAlphaImageList(TComponent* owner)
    : TImageList(owner), FItems(std::make_unique<TsImgListItems>(this))
{
}

TsAlphaImageList::~TsAlphaImageList()
{
    FItems.reset();
}

void TsAlphaImageList::AfterConstruction()
{
    TImageList::AfterConstruction();
    if (ComponentState().Contains(csLoading))
        return;
    Handle();
    if (!FItemsApplied)
        GenerateStdList();
}

void TsAlphaImageList::Loaded()
{
    TImageList::Loaded();
    Handle();
    if (!FItemsApplied) {
        GenerateStdList();
        FItemsApplied = true;
    }
}

UINT TsAlphaImageList::CreationFlags() const noexcept
{
    return ILC_COLOR32 | ILC_MASK;
}

void TsAlphaImageList::SetItems(TsImgListItems* items)
{
    FItems->Assign(items);
}

bool TsAlphaImageList::UseItems() const noexcept
{
    return FStoreItemData || ComponentState().Contains(csDesigning);
}

void TsAlphaImageList::DefineProperties(TFiler& filer)
{
    TImageList::DefineProperties(filer);
    // The images live in Items: the image stream of plain image lists is read and dropped, and
    // never written.
    filer.DefineBinaryProperty("Bitmap", nullptr, nullptr, false);
}

void TsAlphaImageList::GenerateStdList()
{
    if (!HandleAllocated())
        return;
    const bool wasLocked = std::exchange(FChangeLock, true);
    ks::ScopeExit unlock{[this, wasLocked] { FChangeLock = wasLocked; }};
    // Every item is decoded before the system list changes, so a bad item leaves it whole.
    std::vector<ks::UniqueIcon> icons;
    for (int i = 0; i < FItems->Count(); ++i) {
        TsImgListItem& item = *FItems->Items(i);
        item.ImgData().SetPosition(0);
        if (item.ImageFormat() == ifPNG) {
            TPNGGraphic png;
            png.LoadFromStream(item.ImgData());
            icons.push_back(PngToIcon(png, false));
        } else {
            TIcon icon;
            icon.LoadFromStream(item.ImgData());
            icons.emplace_back(icon.ReleaseHandle());
        }
    }
    HIMAGELIST list = Handle();
    ImageList_Remove(list, -1);
    for (const ks::UniqueIcon& icon : icons)
        if (icon)
            ImageList_ReplaceIcon(list, -1, icon.get());
    if (FItems->Count() > 0) {
        FItemsApplied = true;
        if (!UseItems())
            FItems->Clear();
    }
}

void TsAlphaImageList::Change()
{
    if (FChangeLock)
        return;
    TImageList::Change();
    const TComponentState state = ComponentState();
    if (!HandleAllocated() || state.Contains(csLoading) || state.Contains(csDesigning) || !FItemsApplied)
        return;
    if (UseItems()) {
        if (Count() == FItems->Count())
            return;
        if (Count() < FItems->Count()) {
            GenerateStdList();
            return;
        }
    }
    RepairAlpha();
}

// A 32-bit image without any alpha would draw fully transparent; its colours decide instead.
void TsAlphaImageList::RepairAlpha()
{
    HIMAGELIST list = Handle();
    for (int i = 0; i < Count(); ++i) {
        IconImages images = ImagesOf(list, i, ILD_NORMAL);
        if (!images.color)
            continue;
        const ks::PixelView v = images.color->View();
        if (ks::AnyAlpha32(v))
            continue;
        ks::KeyAlpha32(v, KeyColorBgr, true);
        ICONINFO info{};
        info.fIcon = TRUE;
        info.hbmMask = images.mask.get();
        info.hbmColor = images.color->Handle();
        GdiFlush();
        ks::UniqueIcon repaired(CreateIconIndirect(&info));
        if (repaired)
            ImageList_ReplaceIcon(list, i, repaired.get());
    }
}

void TsAlphaImageList::DoDraw(int index, TCanvas& canvas, int x, int y, UINT, bool)
{
    if (!HandleAllocated())
        return;
    ImageList_SetBkColor(Handle(), CLR_NONE);
    ks::UniqueIcon icon(ImageList_GetIcon(Handle(), index, ILD_TRANSPARENT));
    if (!icon)
        return;
    if (HDC dc = canvas.Handle())
        DrawIconEx(dc, x, y, icon.get(), Width(), Height(), 0, nullptr, DI_NORMAL);
}

void TsAlphaImageList::Assign(const TPersistent* source)
{
    if (!source) {
        SetHandle(nullptr);
        return;
    }
    auto* other = dynamic_cast<const TsAlphaImageList*>(source);
    if (!other) {
        TImageList::Assign(source);
        return;
    }
    if (other == this)
        return;
    // The source's system list is drawn from with CLR_NONE as its background, as the copies
    // must not carry its background colour.
    auto& from = const_cast<TsAlphaImageList&>(*other);
    const bool wasLocked = std::exchange(FChangeLock, true);
    ks::ScopeExit unlock{[this, wasLocked] { FChangeLock = wasLocked; }};
    if (HandleAllocated())
        ImageList_Remove(Handle(), -1);
    SetMasked(from.Masked());
    SetImageType(from.ImageType());
    SetDrawingStyle(from.DrawingStyle());
    int width = from.Width();
    int height = from.Height();
    if (from.HandleAllocated())
        ImageList_GetIconSize(from.Handle(), &width, &height);
    // The old list goes by this list's own sharing rule before the source's is taken over.
    SetHandle(nullptr);
    SetShareImages(from.ShareImages());
    SetWidth(width);
    SetHeight(height);
    HIMAGELIST list = Handle();

    const COLORREF bk = from.HandleAllocated() ? ImageList_GetBkColor(from.Handle()) : ToColorRef(from.BkColor());
    SetBkColor(bk == CLR_NONE ? clNone : bk == CLR_DEFAULT ? clDefault : static_cast<TColor>(bk));
    SetBlendColor(from.BlendColor());

    if (from.HandleAllocated())
        ImageList_SetBkColor(from.Handle(), CLR_NONE);
    if (UseItems()) {
        FItems->Clear();
        for (int i = 0; i < from.FItems->Count(); ++i)
            FItems->Add()->Assign(from.FItems->Items(i));
        GenerateStdList();
    } else {
        ImageList_Remove(list, -1);
        ImageList_SetBkColor(list, CLR_NONE);
        for (int i = 0; i < from.Count(); ++i) {
            ks::UniqueIcon icon(ImageList_GetIcon(from.Handle(), i, ILD_TRANSPARENT));
            if (icon)
                ImageList_ReplaceIcon(list, -1, icon.get());
        }
    }
}

bool TsAlphaImageList::GetBitmap32(int index, TBitmap* bmp)
{
    if (!HandleAllocated() || !bmp || index < 0 || index >= Count())
        return false;
    if (UseItems() && index < FItems->Count()) {
        TsImgListItem& item = *FItems->Items(index);
        if (item.ImageFormat() == ifPNG && item.ImgData().Size() > 0) {
            TPNGGraphic png;
            item.ImgData().SetPosition(0);
            png.LoadFromStream(item.ImgData());
            if (png.Width() == Width() && png.Height() == Height()) {
                bmp->Assign(&png);
            } else {
                if (bmp->Width() < 1 || bmp->Height() < 1)
                    return false;
                bmp->SetPixelFormat(pf32bit);
                if (png.Width() < 2 || png.Height() < 2)
                    StretchByCopying(png, *bmp);
                else
                    ResampleBitmap(png, *bmp, bmp->Width(), bmp->Height(), GlyphFilter);
            }
            if (bmp->PixelFormat() != pf32bit) {
                bmp->SetPixelFormat(pf32bit);
                RepairAlphaByCorner(*bmp);
            }
            return true;
        }
    }
    IconImages images = ImagesOf(Handle(), index, ILD_NORMAL);
    if (!images.color)
        return false;
    // Before Vista on screens below 32 bits, icon images come back without alpha.
    if (ks::Sys().Win32MajorVersion() < 6 && ColorDepth() < 32)
        RepairAlphaByCorner(*images.color);
    bmp->Assign(images.color.get());
    return true;
}

// ---- free routines ----------------------------------------------------------------------------

void RepairAlphaByCorner(TBitmap& bmp)
{
    if (bmp.PixelFormat() != pf32bit || bmp.Width() < 2 || bmp.Height() < 2)
        return;
    const ks::PixelView v = bmp.View();
    if (!ks::AnyAlpha32(v))
        ks::KeyAlpha32(v, Bgr(v.Row(v.height - 1)), false);
}

TSize DrawAlphaImgList(TCustomImageList* list, TBitmap& dst, int x, int y, int imageIndex, int transparency,
                       TColor blendColor, int currentGlyph, int numGlyphs, bool reflected)
{
    if (!list || dst.Width() == 0 || !list->HandleAllocated())
        return {};
    numGlyphs = std::max(numGlyphs, 1);
    currentGlyph = std::clamp(currentGlyph, 0, numGlyphs - 1);
    const int w = list->Width() / numGlyphs;
    const int h = list->Height();
    const TRect d = Rect(x, y, x + w, y + h);
    const TRect s = Rect(w * currentGlyph, 0, w * (currentGlyph + 1), h);

    if (auto* alphaList = dynamic_cast<TsAlphaImageList*>(list)) {
        std::unique_ptr<TBitmap> t = NewBitmap32(list->Width(), h);
        try {
            if (alphaList->GetBitmap32(imageIndex, t.get()))
                DrawAlphaImage(d, s, dst, t.get(), NoBackgroundCacheInfo, false, blendColor, transparency, reflected);
        } catch (const Exception&) {
            // A glyph that does not decode is not drawn: painters never raise.
        }
    } else {
        std::unique_ptr<TBitmap> t = NewBitmap24(list->Width(), h);
        HDC tdc = t->Canvas().Handle();
        HDC ddc = dst.Canvas().Handle();
        BitBlt(tdc, s.Left, 0, w, h, ddc, x, y, SRCCOPY);
        list->Draw(t->Canvas(), 0, 0, imageIndex, true);
        BitBlt(ddc, x, y, w, h, tdc, s.Left, 0, SRCCOPY);
    }
    return {w, h};
}

void DrawAlphaImgListDC(TCustomImageList* list, HDC dc, int x, int y, int imageIndex, int transparency,
                        TColor blendColor, int currentGlyph, int numGlyphs, bool reflected)
{
    if (!list)
        return;
    const int h = list->Height() + (reflected ? list->Height() / 2 : 0);
    std::unique_ptr<TBitmap> t = NewBitmap24(list->Width(), h);
    if (t->Empty())
        return;
    HDC tdc = t->Canvas().Handle();
    BitBlt(tdc, 0, 0, t->Width(), h, dc, x, y, SRCCOPY);
    DrawAlphaImgList(list, *t, 0, 0, imageIndex, transparency, blendColor, currentGlyph, numGlyphs, reflected);
    BitBlt(dc, x, y, t->Width(), h, tdc, 0, 0, SRCCOPY);
}

int ColorDepth()
{
    ks::WindowDC screen(nullptr);
    return GetDeviceCaps(screen.get(), BITSPIXEL);
}

TsAlphaImageList* LoadEngineGlyphs(TComponent* owner)
{
    static constexpr const wchar_t* GlyphResources[] = {L"SF", L"SR", L"SD", L"SE", L"SC"};
    TsAlphaImageList* list = Create<TsAlphaImageList>(owner);
    try {
        list->SetWidth(48);
        list->SetHeight(16);
        for (const wchar_t* name : GlyphResources) {
            const std::span<const uint8_t> bytes = ProgramResourceBytes(name);
            list->Items()->Add()->ImgData().WriteBuffer(bytes.data(), bytes.size());
        }
        list->GenerateStdList();
    } catch (...) {
        list->Free();
        throw;
    }
    return list;
}

namespace {
TsAlphaImageList* gEngineGlyphs = nullptr;
} // namespace

TsAlphaImageList* EngineGlyphs() noexcept
{
    return gEngineGlyphs;
}

void LoadEngineGlyphList()
{
    FreeEngineGlyphList();
    gEngineGlyphs = LoadEngineGlyphs(nullptr);
}

void FreeEngineGlyphList() noexcept
{
    if (gEngineGlyphs)
        gEngineGlyphs->Free();
    gEngineGlyphs = nullptr;
}

void InitializeAcAlphaImageList()
{
    RegisterClasses<TsAlphaImageList>();
}
