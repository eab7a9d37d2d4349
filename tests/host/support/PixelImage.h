#pragma once
// A test raster for the pixel units: its own memory with padded rows, stored top-down or
// bottom-up, with the padding and a fence before and after holding a known byte, so a loop that
// ignores the stride or the width shows. Header-only: the Windows test programs use it too.

#include "vcl/GraphicsTypes.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace ks::test {

inline constexpr uint8_t Fence = 0xA5;

class PixelImage {
public:
    PixelImage(int width, int height, int bpp, bool bottomUp, int padding = 5)
        : FRowBytes(static_cast<ptrdiff_t>((static_cast<int64_t>(width) * bpp + 7) / 8) + padding),
          FMem(static_cast<size_t>(FRowBytes * height + 2 * Guard), Fence)
    {
        uint8_t* base = FMem.data() + Guard;
        FView = {bottomUp ? base + FRowBytes * (height - 1) : base, bottomUp ? -FRowBytes : FRowBytes, width, height,
                 bpp};
        for (int y = 0; y < height; ++y)
            std::memset(FView.Row(y), 0, RowBytes());
    }

    // A copy views its own memory.
    PixelImage(const PixelImage& other) : FRowBytes(other.FRowBytes), FMem(other.FMem), FView(other.FView)
    {
        FView.scan0 = FMem.data() + (other.FView.scan0 - other.FMem.data());
    }
    PixelImage& operator=(const PixelImage&) = delete;

    const PixelView& View() const { return FView; }
    uint8_t* At(int x, int y) const { return FView.Row(y) + x * FView.bpp / 8; }
    int Bytes() const { return FView.bpp / 8; }
    size_t RowBytes() const { return static_cast<size_t>((static_cast<int64_t>(FView.width) * FView.bpp + 7) / 8); }

    void Randomise(std::mt19937& rng)
    {
        for (int y = 0; y < FView.height; ++y)
            for (size_t i = 0; i < RowBytes(); ++i)
                FView.Row(y)[i] = static_cast<uint8_t>(rng());
    }

    // Every byte outside the pixels still holds the fence: the guards before and after the rows,
    // and each row's padding (rows lie FRowBytes apart from the first guard's end, whichever way
    // up the view is).
    bool FencesIntact() const
    {
        auto fenced = [](const uint8_t* from, const uint8_t* to) {
            for (; from < to; ++from)
                if (*from != Fence)
                    return false;
            return true;
        };
        const uint8_t* base = FMem.data() + Guard;
        if (!fenced(FMem.data(), base) || !fenced(base + FRowBytes * FView.height, FMem.data() + FMem.size()))
            return false;
        for (int k = 0; k < FView.height; ++k)
            if (!fenced(base + k * FRowBytes + RowBytes(), base + (k + 1) * FRowBytes))
                return false;
        return true;
    }

    // The pixel bytes, row 0 first, without padding.
    std::vector<uint8_t> Pixels() const
    {
        std::vector<uint8_t> out;
        for (int y = 0; y < FView.height; ++y)
            out.insert(out.end(), FView.Row(y), FView.Row(y) + RowBytes());
        return out;
    }

private:
    static constexpr ptrdiff_t Guard = 64;
    ptrdiff_t FRowBytes;
    std::vector<uint8_t> FMem;
    PixelView FView;
};

} // namespace ks::test
