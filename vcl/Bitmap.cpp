#include "vcl/Bitmap.h"

#include "vcl/PixelFormats.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

static_assert(sizeof(ks::Bgra) == sizeof(RGBQUAD));

namespace {

constexpr const char* NoBitmap = "Cannot create a bitmap";
constexpr const char* BadSize = "Invalid bitmap size";
constexpr const char* BadFormat = "Invalid pixel format";
constexpr const char* ScanLineText = "Scan line index out of range";
constexpr const char* ViewFormat = "Pixel view does not match the pixel format";

COLORREF Resolve(TColor c) noexcept
{
    return static_cast<COLORREF>(ColorToRGB(c));
}

// Windows keeps the sign of biHeight in a DIB section's header. Wine: GetObject reports it
// positive for top-down sections too, so the row order is found by letting GDI change the
// top-left pixel and seeing which end of the bits moved; the bits are put back afterwards.
bool IsTopDown(HBITMAP bitmap, uint8_t* bits, const DIBSECTION& ds)
{
    if (ds.dsBmih.biHeight < 0)
        return true;
    if (ds.dsBm.bmHeight < 2)
        return false;
    ks::MemoryDC dc = ks::MemoryDC::Compatible(nullptr);
    ks::SelectGuard select(dc.get(), bitmap);
    // Pixel (0, 0) is at the start of the bits (top-down) or of the last row (bottom-up):
    // both places are kept and put back, whichever the probe changes.
    const size_t bytes = (ds.dsBmih.biBitCount + 7u) / 8;
    const size_t stride = (static_cast<size_t>(ds.dsBm.bmWidth) * ds.dsBmih.biBitCount + 31) / 32 * 4;
    uint8_t* lastRow = bits + stride * static_cast<size_t>(ds.dsBm.bmHeight - 1);
    uint8_t savedFirst[4];
    uint8_t savedLast[4];
    std::memcpy(savedFirst, bits, bytes);
    std::memcpy(savedLast, lastRow, bytes);
    const COLORREF c = GetPixel(dc.get(), 0, 0);
    SetPixelV(dc.get(), 0, 0, c ^ 0xFFFFFF);
    GdiFlush();
    const bool changed = std::memcmp(savedFirst, bits, bytes) != 0;
    std::memcpy(bits, savedFirst, bytes);
    std::memcpy(lastRow, savedLast, bytes);
    return changed;
}

} // namespace

// The canvas of a bitmap: a memory DC of its own that always has the bitmap's current DIB
// selected, so its DC stays the same however often the image is replaced.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(const TBitmap& owner) : FOwner(owner) {}
    ~TBitmapCanvas() override
    {
        if (FDC) {
            SetHandle(nullptr);
            SelectObject(FDC.get(), FStockBitmap);
        }
    }

    HDC DC()
    {
        if (!FDC)
            CreateHandle();
        return FDC.get();
    }
    // Must run before the previously selected DIB is deleted.
    void Select(HBITMAP bitmap) noexcept
    {
        if (FDC)
            SelectObject(FDC.get(), bitmap ? bitmap : FStockBitmap);
    }

protected:
    void CreateHandle() override
    {
        if (FDC)
            return;
        FDC = ks::MemoryDC::Compatible(nullptr);
        FStockBitmap = GetCurrentObject(FDC.get(), OBJ_BITMAP);
        Select(FOwner.Handle());
        SetHandle(FDC.get());
    }

private:
    const TBitmap& FOwner;
    ks::MemoryDC FDC;
    HGDIOBJ FStockBitmap = nullptr;
};

const ks::ClassInfo TBitmap::StaticClassInfo{"TBitmap", &TGraphic::StaticClassInfo, {}, {}};
const ks::ClassInfo& TBitmap::ClassInfo() const noexcept { return StaticClassInfo; }

TBitmap::TBitmap() = default;
TBitmap::~TBitmap() = default;

TBitmap::Dib TBitmap::CreateDib(int width, int height, TPixelFormat format, std::span<const ks::Bgra> colors)
{
    Dib d;
    if (width == 0 || height == 0)
        return d;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    d.bpp = ks::BitsPerPixel(format);
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height; // bottom-up, as the platform's bitmaps are
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(d.bpp);
    info.header.biCompression = BI_RGB;
    if (format == pf16bit) {
        info.header.biCompression = BI_BITFIELDS;
        const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
        std::memcpy(info.colors, masks, sizeof masks);
    } else if (d.bpp <= 8) {
        std::memcpy(info.colors, colors.data(), std::min<size_t>(colors.size(), size_t{1} << d.bpp) * sizeof(RGBQUAD));
    }
    void* bits = nullptr;
    d.handle.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!d.handle || !bits)
        throw EOutOfResources(NoBitmap);
    d.bits = static_cast<uint8_t*>(bits);
    d.width = width;
    d.height = height;
    d.stride = (static_cast<size_t>(width) * static_cast<size_t>(d.bpp) + 31) / 32 * 4;

    ks::FillWhite(d.View(), format, colors);
    return d;
}

ks::PixelView TBitmap::Dib::View() const noexcept
{
    if (!bits)
        return {};
    const auto s = static_cast<ptrdiff_t>(stride);
    return {topDown ? bits : bits + s * (height - 1), topDown ? s : -s, width, height, bpp};
}

uint8_t* TBitmap::Row(int y) const noexcept
{
    const int line = FDib.topDown ? y : FDib.height - 1 - y;
    return FDib.bits + static_cast<size_t>(line) * FDib.stride;
}

TBitmapCanvas& TBitmap::CanvasObject() const
{
    if (!FCanvas)
        FCanvas = std::make_unique<TBitmapCanvas>(*this);
    return *FCanvas;
}

TCanvas& TBitmap::Canvas()
{
    // Only this way in may draw: the bitmap tells its owner what its canvas drew, as it does
    // for a new picture or size.
    TBitmapCanvas& canvas = CanvasObject();
    if (!canvas.OnChange())
        canvas.SetOnChange(TNotifyEvent(this, &TBitmap::CanvasChanged));
    return canvas;
}

void TBitmap::CanvasChanged(TObject*)
{
    Changed();
}

void TBitmap::Replace(Dib dib, TPixelFormat format, std::vector<ks::Bgra> colors)
{
    if (FCanvas)
        FCanvas->Select(dib.handle.get());
    FDib = std::move(dib);
    FPixelFormat = format;
    FColors = std::move(colors);
    Changed();
}

void TBitmap::SetSize(int width, int height)
{
    if (width < 0 || height < 0)
        throw EInvalidGraphicOperation(BadSize);
    if (width == FDib.width && height == FDib.height)
        return;
    Dib d = CreateDib(width, height, FPixelFormat, FColors);
    if (d.bits && FDib.bits) {
        GdiFlush();
        ks::CopyPixels(d.View(), FDib.View());
    }
    Replace(std::move(d), FPixelFormat, FColors);
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == pfCustom || format == pfUnset)
        throw EInvalidGraphic(BadFormat);
    if (format == FPixelFormat)
        return;
    const int bpp = ks::BitsPerPixel(format);
    const bool sameStorage = bpp == ks::BitsPerPixel(FPixelFormat) && !ks::IsIndexed(format) && bpp != 16;
    std::vector<ks::Bgra> colors = ks::DefaultColors(format);
    if (Empty() || sameStorage) {
        FPixelFormat = format;
        if (!sameStorage)
            FColors = std::move(colors);
        Changed();
        return;
    }
    Dib d = CreateDib(FDib.width, FDib.height, format, colors);
    GdiFlush();
    ks::ConvertPixels(d.View(), format, colors, FDib.View(), FPixelFormat, FColors);
    Replace(std::move(d), format, std::move(colors));
}

std::vector<ks::Bgra> TBitmap::ColorTable() const
{
    return FColors;
}

void TBitmap::SetColorTable(std::span<const ks::Bgra> colors)
{
    if (!ks::IsIndexed(FPixelFormat))
        return;
    std::vector<ks::Bgra> table(size_t{1} << ks::BitsPerPixel(FPixelFormat));
    std::copy_n(colors.begin(), std::min(colors.size(), table.size()), table.begin());
    if (FDib.handle)
        SetDIBColorTable(CanvasObject().DC(), 0, static_cast<UINT>(table.size()),
                         reinterpret_cast<const RGBQUAD*>(table.data()));
    FColors = std::move(table);
    Changed();
}

uint8_t* TBitmap::ScanLine(int y)
{
    if (y < 0 || y >= FDib.height || !FDib.bits)
        throw EInvalidGraphicOperation(ScanLineText);
    GdiFlush(); // GDI may still be drawing into the bits (Wine draws at once; Windows batches)
    return Row(y);
}

uint8_t* TBitmap::Scan0()
{
    return Empty() ? nullptr : ScanLine(0);
}

ptrdiff_t TBitmap::Stride() const noexcept
{
    const auto s = static_cast<ptrdiff_t>(FDib.stride);
    return FDib.topDown ? s : -s;
}

ks::PixelView TBitmap::View()
{
    if (Empty())
        return {};
    return {ScanLine(0), Stride(), FDib.width, FDib.height, FDib.bpp};
}

void TBitmap::SetHandle(HBITMAP bitmap)
{
    if (!bitmap) {
        Replace(Dib{}, FPixelFormat, FColors);
        return;
    }
    ks::GdiBitmap owned(bitmap); // ours from here on, whatever happens below
    DIBSECTION ds{};
    Dib d;
    TPixelFormat format = pfDevice;
    std::vector<ks::Bgra> colors;
    if (GetObjectW(bitmap, sizeof ds, &ds) == sizeof ds && ds.dsBm.bmBits) {
        d.bits = static_cast<uint8_t*>(ds.dsBm.bmBits);
        d.width = ds.dsBmih.biWidth;
        d.height = std::abs(ds.dsBmih.biHeight);
        d.bpp = ds.dsBmih.biBitCount;
        d.stride = (static_cast<size_t>(d.width) * static_cast<size_t>(d.bpp) + 31) / 32 * 4;
        d.topDown = IsTopDown(bitmap, d.bits, ds);
        switch (d.bpp) {
        case 1: format = pf1bit; break;
        case 4: format = pf4bit; break;
        case 8: format = pf8bit; break;
        case 16: format = ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBitfields[1] == 0x07E0 ? pf16bit : pf15bit; break;
        case 24: format = pf24bit; break;
        case 32: format = pf32bit; break;
        default: throw EInvalidGraphic(BadFormat);
        }
        if (ks::IsIndexed(format)) {
            colors.resize(size_t{1} << d.bpp);
            ks::MemoryDC dc = ks::MemoryDC::Compatible(nullptr);
            ks::SelectGuard select(dc.get(), bitmap);
            GetDIBColorTable(dc.get(), 0, static_cast<UINT>(colors.size()), reinterpret_cast<RGBQUAD*>(colors.data()));
        }
        d.handle = std::move(owned);
    } else {
        BITMAP bm{};
        if (!GetObjectW(bitmap, sizeof bm, &bm))
            throw EInvalidGraphic(BadFormat);
        d = CreateDib(bm.bmWidth, bm.bmHeight, pfDevice, {});
        ks::MemoryDC src = ks::MemoryDC::Compatible(nullptr);
        ks::MemoryDC dst = ks::MemoryDC::Compatible(nullptr);
        ks::SelectGuard selectSrc(src.get(), bitmap);
        ks::SelectGuard selectDst(dst.get(), d.handle.get());
        BitBlt(dst.get(), 0, 0, bm.bmWidth, bm.bmHeight, src.get(), 0, 0, SRCCOPY);
        GdiFlush();
    }
    Replace(std::move(d), format, std::move(colors));
}

HBITMAP TBitmap::ReleaseHandle()
{
    if (FCanvas)
        FCanvas->Select(nullptr);
    // The caller owns the DIB from here.
    HBITMAP h = FDib.handle.release();
    FDib = Dib{};
    Changed();
    return h;
}

TColor TBitmap::TransparentColor() const
{
    if (FTransparentMode == tmFixed)
        return FTransparentColor;
    if (Empty())
        return clDefault;
    GdiFlush();
    const ks::Bgra c = ks::ReadPixel(FDib.View(), FPixelFormat, FColors, 0, FDib.height - 1);
    return c.r | c.g << 8 | c.b << 16;
}

void TBitmap::SetTransparentColor(TColor color)
{
    FTransparentColor = color;
    FTransparentMode = color == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode == FTransparentMode)
        return;
    FTransparentMode = mode;
    if (mode == tmAuto)
        FTransparentColor = clDefault;
    Changed();
}

void TBitmap::Assign(const TPersistent* source)
{
    if (!source) {
        Replace(Dib{}, FPixelFormat, FColors);
        return;
    }
    if (auto* b = dynamic_cast<const TBitmap*>(source)) {
        if (b == this)
            return;
        Dib d = CreateDib(b->FDib.width, b->FDib.height, b->FPixelFormat, b->FColors);
        if (d.bits) {
            GdiFlush();
            ks::CopyRowBytes(d.View(), b->FDib.View(), d.stride);
        }
        FTransparentMode = b->FTransparentMode;
        FTransparentColor = b->FTransparentColor;
        SetTransparent(b->Transparent());
        Replace(std::move(d), b->FPixelFormat, b->FColors);
        return;
    }
    if (auto* g = dynamic_cast<const TGraphic*>(source)) {
        Replace(CreateDib(g->Width(), g->Height(), FPixelFormat, FColors), FPixelFormat, FColors);
        Canvas().Draw(0, 0, *g);
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& r) const
{
    if (Empty())
        return;
    HDC dest = canvas.Handle();
    HDC src = CanvasObject().DC();
    if (!dest || !src)
        return;
    if (Transparent()) {
        TransparentBlt(dest, r.Left, r.Top, r.Width(), r.Height(), src, 0, 0, FDib.width, FDib.height,
                       Resolve(TransparentColor()));
    } else if (r.Width() == FDib.width && r.Height() == FDib.height) {
        BitBlt(dest, r.Left, r.Top, FDib.width, FDib.height, src, 0, 0, canvas.CopyMode());
    } else {
        StretchBlt(dest, r.Left, r.Top, r.Width(), r.Height(), src, 0, 0, FDib.width, FDib.height, canvas.CopyMode());
    }
}

void TBitmap::LoadFromStream(TStream& stream)
{
    std::vector<uint8_t> bytes = ReadRest(stream);
    LoadFromBytes(bytes);
}

void TBitmap::LoadFromBytes(std::span<const uint8_t> bytes, const ks::BmpLimits& limits)
{
    ks::BmpImage img = ks::ReadBmp(bytes, limits);
    TPixelFormat format = pf32bit;
    switch (img.bpp) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 24: format = pf24bit; break;
    default: break;
    }
    const ks::PixelView view{img.pixels.data(), static_cast<ptrdiff_t>(img.Stride()), img.width, img.height, img.bpp};
    LoadFromView(view, format, img.palette);
}

void TBitmap::LoadFromView(const ks::PixelView& view, TPixelFormat format, std::span<const ks::Bgra> palette)
{
    if (format == pfCustom || format == pfUnset || view.bpp != ks::BitsPerPixel(format))
        throw EInvalidGraphicOperation(ViewFormat);
    std::vector<ks::Bgra> colors;
    if (ks::IsIndexed(format)) {
        colors.resize(size_t{1} << view.bpp);
        std::copy_n(palette.begin(), std::min(palette.size(), colors.size()), colors.begin());
    }
    Dib d = CreateDib(view.width, view.height, format, colors);
    const size_t used = (static_cast<size_t>(view.width) * static_cast<size_t>(view.bpp) + 7) / 8;
    ks::CopyRowBytes(d.View(), view, used);
    Replace(std::move(d), format, std::move(colors));
}

void TBitmap::SaveToStream(TStream& stream) const
{
    if (Empty())
        return;
    if (FDib.bpp == 16) {
        TBitmap wide;
        wide.Assign(this);
        wide.SetPixelFormat(pf24bit);
        wide.SaveToStream(stream);
        return;
    }
    GdiFlush();
    const std::vector<uint8_t> bytes = ks::WriteBmp(FDib.View(), FColors);
    stream.WriteBuffer(bytes.data(), bytes.size());
}
