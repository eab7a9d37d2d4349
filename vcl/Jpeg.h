#pragma once
// TJPEGImage: a JPEG picture. It keeps the file's bytes (to save and copy them) and the decoded
// image as a 24-bit bitmap, decoded once at load and drawn from then on.

#include "vcl/Bitmap.h"
#include "vcl/Graphics.h"
#include "vcl/JpegDecoder.h"

#include <memory>
#include <span>
#include <vector>

class TJPEGImage : public TGraphic {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    int Width() const override { return FBitmap.Width(); }
    int Height() const override { return FBitmap.Height(); }
    bool Empty() const override { return FBitmap.Empty(); }

    // The decoded image.
    const TBitmap& Bitmap() const noexcept { return FBitmap; }

    // From a TJPEGImage: a copy of its bytes and image. nullptr empties.
    void Assign(const TPersistent* source) override;
    void Draw(TCanvas& canvas, const TRect& r) const override;
    std::unique_ptr<TGraphic> NewGraphic() const override { return std::make_unique<TJPEGImage>(); }

    // Raises EJPEG for data libjpeg refuses (JpegDecoder.h); a failed load leaves the picture as
    // it was.
    void LoadFromStream(TStream& stream) override;
    void LoadFromBytes(std::span<const uint8_t> bytes, const ks::JpegLimits& limits = {});
    // Writes the bytes the picture was loaded from; an empty picture writes nothing.
    void SaveToStream(TStream& stream) const override;
    // Form resources keep the JPEG file behind its byte count.
    void ReadData(TStream& stream) override { ReadSizedData(stream); }
    void WriteData(TStream& stream) const override { WriteSizedData(stream); }

private:
    std::vector<uint8_t> FData;
    TBitmap FBitmap;
};
