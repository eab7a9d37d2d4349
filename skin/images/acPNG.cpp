#include "skin/images/acPNG.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/NumberRoutines.h"
#include "skin/core/PixelEffects.h"
#include "skin/core/sConst.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/PlatformSeams.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* NotFound = "Resource %s not found";

// Where a load writes its image: a bitmap of the picture's making, installed only once the
// whole file has been read.
class BitmapRaster final : public ks::RasterSink {
public:
    explicit BitmapRaster(TBitmap& bitmap) : FBitmap(bitmap) {}

    void Allocate(TPixelFormat format, int width, int height, std::span<const ks::PaletteEntry> palette) override
    {
        FBitmap.SetPixelFormat(format);
        FBitmap.SetSize(width, height);
        if (!palette.empty()) {
            std::vector<ks::Bgra> colors;
            colors.reserve(palette.size());
            for (const ks::PaletteEntry& e : palette)
                colors.push_back({e.blue, e.green, e.red, 0});
            FBitmap.SetColorTable(colors);
        }
        FView = FBitmap.View();
    }

    uint8_t* ScanLine(int y) override { return FView.Row(y); }

private:
    TBitmap& FBitmap;
    ks::PixelView FView;
};

std::wstring Widen(std::string_view ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

uint32_t Pixel32(const uint8_t* p) noexcept
{
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Stretches all of src over all of dst. Wine: HALFTONE interpolates when enlarging but does not
// average when shrinking (it drops pixels); Windows averages both ways.
void HalftoneStretch(TBitmap& dst, TBitmap& src)
{
    HDC dc = dst.Canvas().Handle();
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr); // HALFTONE needs the brush origin reset after it is chosen
    StretchBlt(dc, 0, 0, dst.Width(), dst.Height(), src.Canvas().Handle(), 0, 0, src.Width(), src.Height(), SRCCOPY);
}

// The 32-bit picture stretched to width x height, alpha included. GDI stretches leave alpha 0,
// so the alpha channel travels separately as a grey image: 24-bit greys keep their byte values
// through a stretch, where an 8-bit image would be mapped through its colour table.
std::unique_ptr<TBitmap> StretchWithAlpha(TBitmap& picture, int width, int height)
{
    std::unique_ptr<TBitmap> color = NewBitmap32(width, height);
    HalftoneStretch(*color, picture);

    std::unique_ptr<TBitmap> alpha = NewBitmap24(picture.Width(), picture.Height());
    ks::AlphaToGrey(alpha->View(), picture.View());
    std::unique_ptr<TBitmap> stretchedAlpha = NewBitmap24(width, height);
    HalftoneStretch(*stretchedAlpha, *alpha);
    ks::GreyToAlpha(color->View(), stretchedAlpha->View());
    return color;
}

int StartCount = 0;

std::unique_ptr<TGraphic> MakePngGraphic()
{
    return std::make_unique<TPNGGraphic>();
}

} // namespace

const ks::ClassInfo TPNGGraphic::StaticClassInfo{"TPNGGraphic", &TBitmap::StaticClassInfo, {}, {}};
const ks::ClassInfo& TPNGGraphic::ClassInfo() const noexcept { return StaticClassInfo; }

TPNGGraphic::TPNGGraphic() : FColorManager(std::make_unique<TColorManager>()) {}

TPNGGraphic::~TPNGGraphic() = default;

void TPNGGraphic::Assign(const TPersistent* source)
{
    if (auto* png = dynamic_cast<const TPNGGraphic*>(source))
        FHeaderInfo = png->FHeaderInfo;
    TBitmap::Assign(source);
}

void TPNGGraphic::LoadFromStream(TStream& stream)
{
    const int64_t start = stream.Position();
    const std::vector<uint8_t> bytes = ReadRest(stream);
    LoadFromBytes(bytes);
    // The PNG may be followed by other data the caller reads next.
    stream.SetPosition(start + static_cast<int64_t>(FLastLoadSize));
}

void TPNGGraphic::LoadFromBytes(std::span<const uint8_t> bytes, const ks::PngLimits& limits)
{
    TBitmap image;
    BitmapRaster sink(image);
    const ks::PngProgressHandler progress = [this](const ks::PngProgress& p) {
        Progress(this, p.stage, static_cast<uint8_t>(p.percentDone), p.redrawNow, p.rect, Widen(p.message));
    };
    const ks::PngLoadResult result =
        ks::LoadPng(bytes, *FColorManager, sink, limits, OnProgress() ? progress : ks::PngProgressHandler{});

    FHeaderInfo = result.header;
    FLastLoadSize = result.bytesRead;
    TBitmap::Assign(&image);
    // A colour key belongs to the image it came with.
    SetTransparentColor(result.trnsColor != clNone ? result.trnsColor : clDefault);
    SetTransparent(result.trnsColor != clNone);
}

void TPNGGraphic::Draw(TCanvas& canvas, const TRect& r) const
{
    if (PixelFormat() != pf32bit) {
        TBitmap::Draw(canvas, r);
        return;
    }
    const int w = RectWidth(r);
    const int h = RectHeight(r);
    HDC dc = canvas.Handle();
    if (Empty() || w <= 0 || h <= 0 || !dc)
        return;
    // The pixels are read through the scan-line accessor, which flushes GDI first; the picture
    // itself is not changed.
    auto& self = const_cast<TPNGGraphic&>(*this);

    const int bufferHeight = Reflected ? h + h / 2 : h;
    std::unique_ptr<TBitmap> buffer = NewBitmap24(w, bufferHeight);
    HDC bufferDC = buffer->Canvas().Handle();
    BitBlt(bufferDC, 0, 0, w, bufferHeight, dc, r.Left, r.Top, SRCCOPY);
    const TRect whole = Rect(0, 0, w, h);
    if (w == Width() && h == Height()) {
        DrawAlphaImage(whole, whole, *buffer, &self, NoBackgroundCacheInfo, false, clNone, 0, Reflected);
    } else {
        std::unique_ptr<TBitmap> stretched = StretchWithAlpha(self, w, h);
        DrawAlphaImage(whole, whole, *buffer, stretched.get(), NoBackgroundCacheInfo, false, clNone, 0, false);
    }
    BitBlt(dc, r.Left, r.Top, w, bufferHeight, bufferDC, 0, 0, SRCCOPY);
}

ks::UniqueIcon PngToIcon(TBitmap& picture, bool keyMask)
{
    if (picture.Empty())
        return {};
    const int w = picture.Width();
    const int h = picture.Height();
    TBitmap mask;
    mask.SetPixelFormat(pf1bit);
    mask.SetSize(w, h);
    ks::ZeroPixels(mask.View()); // black: the image shows

    TBitmap keyed;
    TBitmap* image = &picture;
    if (keyMask || picture.PixelFormat() != pf32bit) {
        picture.SetPixelFormat(pf32bit);
        if (w >= 2 && h >= 2) {
            // Key pixels are also cleared in the icon's image: where the mask is white an icon
            // without alpha XORs its image onto the background, which would show the key colour.
            keyed.Assign(&picture);
            image = &keyed;
            const ks::PixelView p = keyed.View();
            ks::MaskKey32(p, mask.View(), Pixel32(p.Row(0)));
        }
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask.Handle();
    info.hbmColor = image->Handle();
    GdiFlush();
    return ks::UniqueIcon(CreateIconIndirect(&info));
}

std::span<const uint8_t> ProgramResourceBytes(const wchar_t* name)
{
    const std::span<const uint8_t> bytes = ks::Sys().FindFormResource(name);
    if (bytes.empty())
        throw EResNotFound(Format(NotFound, {WideToUTF8(name)}));
    return bytes;
}

std::unique_ptr<TPNGGraphic> LoadPngResource(const wchar_t* name)
{
    auto picture = std::make_unique<TPNGGraphic>();
    picture->LoadFromBytes(ProgramResourceBytes(name));
    return picture;
}

void InitializeAcPNG()
{
    if (StartCount++ == 0)
        TPicture::RegisterFileFormat(L"png", L"Portable network graphics (Skin engine)", &MakePngGraphic);
}

void FinalizeAcPNG()
{
    if (StartCount > 0 && --StartCount == 0)
        TPicture::UnregisterGraphicClass(&MakePngGraphic);
}
