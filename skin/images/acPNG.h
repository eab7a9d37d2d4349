#pragma once
// TPNGGraphic: the skin engine's picture class for PNG images, a bitmap that loads itself from
// PNG data (skin/images/PngDecoder.h) and draws 32-bit images with per-pixel alpha over whatever
// lies on the canvas, optionally with a fading reflection below. Registered with TPicture for
// the extension "png". Beside it: PngToIcon for image lists and LoadPngResource for the engine's embedded images.

#include "skin/core/PixelEffects.h"
#include "skin/images/ColorManager.h"
#include "skin/images/PngDecoder.h"
#include "vcl/Bitmap.h"
#include "vcl/GdiHandles.h"

#include <memory>
#include <span>

class TPNGGraphic : public TBitmap {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TPNGGraphic();
    ~TPNGGraphic() override;

    // From another TPNGGraphic its header summary too; the image as TBitmap assigns it.
    void Assign(const TPersistent* source) override;
    // A picture that is not 32-bit draws as a bitmap (keyed by its tRNS colour). A 32-bit one
    // is blended by its alpha into r; at its own size with Reflected set, its reflection fades
    // out in the r.Height() / 2 rows below r, which are rewritten even where nothing is drawn.
    // Stretched, colour and alpha are each stretched with HALFTONE and no reflection is drawn.
    void Draw(TCanvas& canvas, const TRect& r) const override;
    std::unique_ptr<TGraphic> NewGraphic() const override { return std::make_unique<TPNGGraphic>(); }

    // Reads the PNG at the stream's position; the stream is left after its IEND chunk. Raises
    // the decoder's exceptions for a corrupt file and then keeps the picture as it was.
    void LoadFromStream(TStream& stream) override;
    void LoadFromBytes(std::span<const uint8_t> bytes, const ks::PngLimits& limits = {});

    // What the last load read from IHDR and gAMA.
    const ks::PngHeaderInfo& HeaderInfo() const noexcept { return FHeaderInfo; }
    TColorManager& ColorManager() noexcept { return *FColorManager; }

    // Draw paints a reflection below the image (see Draw).
    bool Reflected = false;

private:
    std::unique_ptr<TColorManager> FColorManager;
    ks::PngHeaderInfo FHeaderInfo;
    size_t FLastLoadSize = 0; // bytes of the file the last load read, IEND included
};

// An icon of the picture for image lists; empty when the system refuses to make one. A picture
// that is not 32-bit, or any picture when keyMask is set, is first converted to 32 bits in place
// and masked by the colour of its top-left pixel (its pixels of that colour are left out of the
// icon's image, so the icon is transparent there however it is drawn). Otherwise the picture's
// own alpha decides. Pictures smaller than 2 x 2 are not masked.
ks::UniqueIcon PngToIcon(TBitmap& picture, bool keyMask);

// The bytes of the program's RCDATA resource name (the engine's embedded images), which live as
// long as the program. Raises EResNotFound "Resource %s not found" when there is none.
std::span<const uint8_t> ProgramResourceBytes(const wchar_t* name);
// The picture of such a resource (the window shadows). Raises as ProgramResourceBytes does, and
// the decoder's exceptions when it is not a valid PNG.
std::unique_ptr<TPNGGraphic> LoadPngResource(const wchar_t* name);

// Registers "png" with TPicture; the last FinalizeAcPNG takes it back. Calls nest.
void InitializeAcPNG();
void FinalizeAcPNG();
