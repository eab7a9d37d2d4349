#include "fuzz/HostPictures.h"

#include "skin/core/sConst.h"
#include "skin/images/ColorManager.h"
#include "vcl/PixelFormats.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <memory>

namespace {

std::vector<uint8_t> ReadAll(TStream& stream, uint64_t limit)
{
    const uint64_t size = stream.Remaining();
    if (size > limit)
        throw EInvalidGraphic("Picture file too large");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    stream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
}

GraphicPtr<TBitmap> NewBitmap()
{
    return OwnGraphic(new TBitmap);
}

} // namespace

ks::PixelView TBitmap::View() noexcept
{
    if (FPixels.empty())
        return {};
    return {FPixels.data(), static_cast<ptrdiff_t>(FStride), FWidth, FHeight, ks::BitsPerPixel(FFormat)};
}

void TBitmap::Reset(TPixelFormat format, int width, int height)
{
    FFormat = format;
    FWidth = width;
    FHeight = height;
    FStride = ks::BmpImage::DibStride(width, ks::BitsPerPixel(format));
    FColors = ks::DefaultColors(format);
    FPixels.assign(FStride * static_cast<size_t>(height), 0);
    ks::FillWhite(View(), FFormat, FColors);
}

void TBitmap::Convert(TPixelFormat format)
{
    if (format == FFormat)
        return;
    TBitmap converted;
    converted.Reset(format, FWidth, FHeight);
    ks::ConvertPixels(converted.View(), format, converted.FColors, View(), FFormat, FColors);
    *this = std::move(converted);
}

void TBitmap::LoadFromBmp(const ks::BmpImage& image)
{
    const TPixelFormat formats[] = {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit};
    const int depths[] = {1, 4, 8, 24, 32};
    const auto at = std::find(std::begin(depths), std::end(depths), image.bpp) - std::begin(depths);
    Reset(formats[at], image.width, image.height);
    FColors = image.palette;
    FPixels = image.pixels;
}

void TBitmap::LoadFromRaster(const ks::MemoryRaster& raster)
{
    Reset(raster.Format(), raster.Width(), raster.Height());
    FColors.clear();
    for (const ks::PaletteEntry& p : raster.Palette())
        FColors.push_back({p.blue, p.green, p.red, 0});
    for (int y = 0; y < FHeight; ++y)
        std::copy_n(raster.Row(y), std::min(FStride, raster.Stride()), FPixels.data() + static_cast<size_t>(y) * FStride);
    // The platform keeps the PNG's own format; painters take 24 or 32 bits.
    if (FFormat != pf32bit)
        Convert(pf24bit);
}

void TBitmap::LoadFromJpeg(const ks::JpegImage& image)
{
    Reset(pf24bit, image.width, image.height);
    FPixels = image.pixels;
}

namespace ks {

GraphicPtr<TBitmap> HostSkinPlatform::DecodeBitmap(TStream& stream, PictureFormat format) const
{
    const std::vector<uint8_t> bytes = ReadAll(stream, FLimits.MaxFileBytes);
    GraphicPtr<TBitmap> bmp = NewBitmap();
    if (format == PictureFormat::Png) {
        TColorManager manager;
        MemoryRaster raster;
        LoadPng(bytes, manager, raster, FLimits.Png);
        bmp->LoadFromRaster(raster);
    } else {
        bmp->LoadFromBmp(ReadBmp(bytes, FLimits.Bmp));
    }
    return bmp;
}

GraphicPtr<TJPEGImage> HostSkinPlatform::DecodeJpeg(TStream& stream) const
{
    const std::vector<uint8_t> bytes = ReadAll(stream, FLimits.MaxFileBytes);
    return OwnGraphic(new TJPEGImage(ks::DecodeJpeg(bytes, FLimits.Jpeg)));
}

GraphicPtr<TBitmap> HostSkinPlatform::MasterBitmap(const TBitmap* picture) const
{
    GraphicPtr<TBitmap> master = NewBitmap();
    if (picture)
        *master = *picture;
    master->Convert(pf24bit);
    return master;
}

GraphicPtr<TBitmap> HostSkinPlatform::TextureOf(const TJPEGImage& jpeg) const
{
    GraphicPtr<TBitmap> bmp = NewBitmap();
    bmp->LoadFromJpeg(jpeg.Image());
    return bmp;
}

GraphicPtr<TBitmap> HostSkinPlatform::NewBitmapLike(const TBitmap& like, int width, int height) const
{
    GraphicPtr<TBitmap> bmp = NewBitmap();
    bmp->Reset(like.PixelFormat(), width, height);
    return bmp;
}

TColor HostSkinPlatform::ColorToRGB(TColor color) const
{
    return IsSystemColor(color) ? static_cast<TColor>((color & 0xFF) * 0x010101) : color;
}

} // namespace ks
