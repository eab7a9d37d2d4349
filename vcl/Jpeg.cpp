#include "vcl/Jpeg.h"

#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

const ks::ClassInfo TJPEGImage::StaticClassInfo{"TJPEGImage", &TGraphic::StaticClassInfo, {}, {}};
const ks::ClassInfo& TJPEGImage::ClassInfo() const noexcept { return StaticClassInfo; }

void TJPEGImage::Assign(const TPersistent* source)
{
    if (!source) {
        FData.clear();
        FBitmap.Assign(nullptr);
        Changed();
        return;
    }
    if (auto* jpeg = dynamic_cast<const TJPEGImage*>(source)) {
        if (jpeg == this)
            return;
        FBitmap.Assign(&jpeg->FBitmap);
        FData = jpeg->FData;
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& r) const
{
    FBitmap.Draw(canvas, r);
}

void TJPEGImage::LoadFromStream(TStream& stream)
{
    std::vector<uint8_t> bytes = ReadRest(stream);
    LoadFromBytes(bytes);
}

void TJPEGImage::LoadFromBytes(std::span<const uint8_t> bytes, const ks::JpegLimits& limits)
{
    ks::JpegImage img = ks::DecodeJpeg(bytes, limits);
    const ks::PixelView view{img.pixels.data(), static_cast<ptrdiff_t>(img.Stride()), img.width, img.height, 24};
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    FBitmap.LoadFromView(view, pf24bit); // the last step that can fail
    FData = std::move(data);
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) const
{
    if (!FData.empty())
        stream.WriteBuffer(FData.data(), FData.size());
}
