#pragma once
// The picture files the skin generator writes besides bitmaps (those go through ks::WriteBmp):
// RGBA PNG files for the engine's embedded glyphs and shadows, and the program's icon file.

#include <cstdint>
#include <span>
#include <vector>

namespace ks::skingen {

// Straight (not premultiplied) RGBA, rows top-down, four bytes per pixel.
struct RgbaImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels;

    RgbaImage() = default;
    RgbaImage(int width, int height)
        : Width(width), Height(height), Pixels(static_cast<size_t>(width) * height * 4, 0) {}
    uint8_t* At(int x, int y) { return Pixels.data() + (static_cast<size_t>(y) * Width + x) * 4; }
    const uint8_t* At(int x, int y) const
    {
        return Pixels.data() + (static_cast<size_t>(y) * Width + x) * 4;
    }
};

// An 8-bit RGBA PNG (colour type 6), not interlaced, every row filtered with "None".
std::vector<uint8_t> WritePng(const RgbaImage& image);

// One image of an icon file and the depth it is stored at: 32 (BGRA with alpha), 8 (a table of
// the image's own colours, at most 256) or 4 (the 16 standard VGA colours, nearest match).
// Pixels with alpha below 128 are transparent in the AND mask at every depth. A Png image is
// stored as a PNG file at 32 bits instead, as the platform expects its 256-pixel images.
struct IconImage {
    RgbaImage Image;
    int Bpp = 32;
    bool Png = false;
};

// An icon file of the images in the order given: uncompressed DIBs with an AND mask, or PNG.
// Raises Exception for sizes above 256, an unknown depth or an 8-bit image of too many colours.
std::vector<uint8_t> WriteIco(std::span<const IconImage> images);

} // namespace ks::skingen
