#pragma once
// TBitmap: a picture backed by a DIB section, so painters reach its pixels through scan lines
// and GDI draws on it through its canvas.
//
// Rules the painters rely on:
// - A new bitmap and every pixel a resize adds are white (32-bit: white with alpha 0).
// - PixelFormat is pfUnset until it is set or a load chooses it; an unset or pfDevice bitmap is
//   stored as 32-bit, the screen's format under Wine. Setting the format converts the content
//   as GDI would: 24 -> 32 gives alpha 0, 32 -> 24 drops alpha, indexed formats expand through
//   the colour table, and colours map to the nearest entry of the new table.
// - A new indexed format gets a default colour table of exactly 2^bpp entries: black and white,
//   the 16 VGA colours, or 256 greys for 8 bits (so 8-bit bytes survive 8 -> 32 -> 8 unchanged).
// - Rows are bottom-up like the platform's: Stride() is negative, Scan0() is the top row.
// - Every GDI write into a 32-bit bitmap leaves alpha 0; only pixel routines set it.

#include "vcl/BmpReader.h"
#include "vcl/Graphics.h"

#include <memory>
#include <span>
#include <vector>

enum TTransparentMode { tmAuto, tmFixed };
enum TBitmapHandleType { bmDIB, bmDDB };

class TBitmapCanvas;

class TBitmap : public TGraphic {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TBitmap();
    ~TBitmap() override;

    int Width() const override { return FDib.width; }
    int Height() const override { return FDib.height; }
    bool Empty() const override { return FDib.width == 0 || FDib.height == 0; }
    // Content that still fits stays at the top left; new pixels are white. Raises
    // EInvalidGraphicOperation for a negative size and EOutOfResources when GDI refuses.
    void SetWidth(int width) { SetSize(width, FDib.height); }
    void SetHeight(int height) { SetSize(FDib.width, height); }
    void SetSize(int width, int height);

    TPixelFormat PixelFormat() const noexcept { return FPixelFormat; }
    // Raises EInvalidGraphic for pfCustom and pfUnset.
    void SetPixelFormat(TPixelFormat format);
    // Every bitmap is a DIB; asking for a DDB changes nothing.
    TBitmapHandleType HandleType() const noexcept { return bmDIB; }
    void SetHandleType(TBitmapHandleType) noexcept {}

    // The colour table of an indexed bitmap (2^bpp entries), empty otherwise. Setting it keeps
    // the pixels' indexes; a shorter table leaves the remaining entries black.
    std::vector<ks::Bgra> ColorTable() const;
    void SetColorTable(std::span<const ks::Bgra> colors);

    // Row y from the top, after GdiFlush. Raises EInvalidGraphicOperation "Scan line index out of
    // range" outside 0 .. Height()-1.
    uint8_t* ScanLine(int y);
    uint8_t* Scan0();
    ptrdiff_t Stride() const noexcept;
    // The pixels as a view for the pixel routines (after GdiFlush); empty for an empty bitmap.
    ks::PixelView View();

    // The DIB section; null when empty.
    HBITMAP Handle() const noexcept { return FDib.handle.get(); }
    // Takes ownership of bitmap (a DIB section is used as it is; a device bitmap is copied into
    // a 32-bit DIB and deleted). nullptr empties the bitmap.
    void SetHandle(HBITMAP bitmap);
    // Hands the DIB to the caller, who deletes it; the bitmap becomes empty.
    [[nodiscard]] HBITMAP ReleaseHandle();

    // A memory DC that keeps the DIB selected; its Handle() stays the same for the bitmap's life.
    // What the canvas's drawing calls draw fires OnChange, as a new picture does.
    TCanvas& Canvas();

    // tmAuto: the bottom-left pixel. Setting a colour other than clDefault makes the mode tmFixed.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);
    TTransparentMode TransparentMode() const noexcept { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode mode);

    // From a TBitmap: a deep copy (format, colour table, alpha, transparency). From another
    // picture: this bitmap's format at the picture's size, white, with the picture drawn on it.
    // nullptr empties.
    void Assign(const TPersistent* source) override;
    void Draw(TCanvas& canvas, const TRect& r) const override;
    std::unique_ptr<TGraphic> NewGraphic() const override { return std::make_unique<TBitmap>(); }

    // BMP files as BmpReader.h reads them; a failed load leaves the bitmap as it was.
    void LoadFromStream(TStream& stream) override;
    void LoadFromBytes(std::span<const uint8_t> bytes, const ks::BmpLimits& limits = {});
    // 1-, 4-, 8-, 24- and 32-bit bitmaps are written as they are; 15- and 16-bit ones as 24-bit.
    // An empty bitmap writes nothing.
    void SaveToStream(TStream& stream) const override;
    // Form resources keep the BMP file behind its byte count.
    void ReadData(TStream& stream) override { ReadSizedData(stream); }
    void WriteData(TStream& stream) const override { WriteSizedData(stream); }

    // Replaces the image with a copy of view's pixels in the given format (which must match
    // view.bpp; indexed formats take palette as their colour table).
    void LoadFromView(const ks::PixelView& view, TPixelFormat format, std::span<const ks::Bgra> palette = {});

private:
    struct Dib {
        ks::GdiBitmap handle;
        uint8_t* bits = nullptr; // lowest address: the bottom row, unless topDown
        int width = 0;
        int height = 0;
        int bpp = 0;
        size_t stride = 0;
        bool topDown = false;

        // The raster as it is in memory; callers flush GDI first where it may have drawn.
        ks::PixelView View() const noexcept;
    };

    static Dib CreateDib(int width, int height, TPixelFormat format, std::span<const ks::Bgra> colors);
    uint8_t* Row(int y) const noexcept;
    // Installs dib as the image (the canvas DC switches to it before the old one is deleted).
    void Replace(Dib dib, TPixelFormat format, std::vector<ks::Bgra> colors);
    TBitmapCanvas& CanvasObject() const;
    void CanvasChanged(TObject* sender);

    // The image must outlive the canvas that has it selected: FDib is declared first.
    Dib FDib;
    TPixelFormat FPixelFormat = pfUnset;
    std::vector<ks::Bgra> FColors;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
    mutable std::unique_ptr<TBitmapCanvas> FCanvas; // made on first use, also by const Draw
};
