#pragma once
// The pictures the skin readers get where there is no window system: a bitmap and a JPEG
// picture that are plain top-down rasters in DIB layout, decoded by the project's BMP, PNG and
// JPEG readers under the limits given. Only the fuzz targets link this; the Windows build has
// the class library's own TBitmap and TJPEGImage under the same names.

#include "skin/core/LoadedSkin.h"
#include "vcl/BmpReader.h"
#include "vcl/GraphicsTypes.h"
#include "vcl/JpegDecoder.h"
#include "skin/images/PngDecoder.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TBitmap {
public:
    int Width() const noexcept { return FWidth; }
    int Height() const noexcept { return FHeight; }
    TPixelFormat PixelFormat() const noexcept { return FFormat; }
    ks::PixelView View() noexcept;

    // White, in format (24- or 32-bit, or indexed with its default colours).
    void Reset(TPixelFormat format, int width, int height);
    // The pixels converted to format, every pixel read through the colour table.
    void Convert(TPixelFormat format);
    void LoadFromBmp(const ks::BmpImage& image);
    void LoadFromRaster(const ks::MemoryRaster& raster);
    void LoadFromJpeg(const ks::JpegImage& image);

private:
    TPixelFormat FFormat = pf24bit;
    int FWidth = 0;
    int FHeight = 0;
    size_t FStride = 0;
    std::vector<ks::Bgra> FColors;
    std::vector<uint8_t> FPixels;
};

class TJPEGImage {
public:
    explicit TJPEGImage(ks::JpegImage image) : FImage(std::move(image)) {}
    const ks::JpegImage& Image() const noexcept { return FImage; }

private:
    ks::JpegImage FImage;
};

namespace ks {

struct HostPictureLimits {
    BmpLimits Bmp;
    PngLimits Png;
    JpegLimits Jpeg;
    // Bytes read from one picture's stream.
    uint64_t MaxFileBytes = uint64_t{4} << 20;
};

class HostSkinPlatform final : public SkinPlatform {
public:
    explicit HostSkinPlatform(const HostPictureLimits& limits = {}) : FLimits(limits) {}

    GraphicPtr<TBitmap> DecodeBitmap(TStream& stream, PictureFormat format) const override;
    GraphicPtr<TJPEGImage> DecodeJpeg(TStream& stream) const override;
    TSize Size(const TBitmap& bmp) const override { return {bmp.Width(), bmp.Height()}; }
    TSize Size(const TJPEGImage& jpeg) const override { return {jpeg.Image().width, jpeg.Image().height}; }
    bool Is32Bit(const TBitmap& bmp) const override { return bmp.PixelFormat() == pf32bit; }
    void To24Bit(TBitmap& bmp) const override { bmp.Convert(pf24bit); }
    PixelView View(TBitmap& bmp) const override { return bmp.View(); }
    GraphicPtr<TBitmap> MasterBitmap(const TBitmap* picture) const override;
    GraphicPtr<TBitmap> TextureOf(const TJPEGImage& jpeg) const override;
    GraphicPtr<TBitmap> NewBitmapLike(const TBitmap& like, int width, int height) const override;
    // A system colour becomes a grey of its index, so recolouring has something to change.
    TColor ColorToRGB(TColor color) const override;
    void ShowMessage(const std::wstring&) const override { ++FMessages; }
    // Latin-1: every byte is a character, as in any single-byte code page's lower half.
    std::wstring AnsiToWide(std::string_view bytes) const override { return {bytes.begin(), bytes.end()}; }
    // Skins stored the older way live only in Windows form resources.
    bool ReadStoredImages(const TsStoredSkin&, TsSkinManager*, TsMaskArray&, GraphicPtr<TBitmap>&) const override
    {
        return false;
    }
    bool ReadStoredPatterns(const TsStoredSkin&, TsPatternArray&) const override { return false; }
    bool ReadStoredSections(const TsStoredSkin&, TsSkinData&, TsGeneralDataArray&) const override { return false; }

    int Messages() const noexcept { return FMessages; }

private:
    HostPictureLimits FLimits;
    mutable int FMessages = 0;
};

} // namespace ks
