#include "skin/pixels/ControlFramePixels.h"

#include "host/support/PixelImage.h"
#include "skin/pixels/PixelCore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

using Image = ks::test::PixelImage;

bool Inside(const ks::PixelView& v, int64_t x, int64_t y) { return x >= 0 && y >= 0 && x < v.width && y < v.height; }

// The corners against a per-pixel model: image pixel (sx, sy) of the rectangle stands over
// destination pixel at + (sx, sy) - the rectangle's corner; where both exist and the image
// pixel is key-coloured, the destination takes the fill.
TEST(ControlFramePixels, KeyedCornerPixelsTakeTheFillAndNothingElseChanges)
{
    for (unsigned seed = 0; seed < 500; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        Image dst(between(1, 12), between(1, 12), seed % 2 ? 24 : 32, seed % 3 == 0);
        Image image(between(1, 10), between(1, 10), seed % 4 < 2 ? 24 : 32, seed % 5 == 0, 3);
        Image back(between(1, 14), between(1, 14), seed % 7 < 4 ? 24 : 32, seed % 2 == 0);
        const TPoint at{between(-6, 12), between(-6, 12)};
        const TRect rect{between(-4, 9), between(-4, 9), between(-3, 13), between(-3, 13)};
        for (Image* img : {&dst, &image, &back})
            img->Randomise(rng);
        for (int y = 0; y < image.View().height; ++y)
            for (int x = 0; x < image.View().width; ++x)
                if (rng() % 2)
                    std::memcpy(image.At(x, y), "\xFF\x00\xFF", 3);
        ks::KeyFill fill;
        switch (seed % 4) {
        case 0: fill.kind = ks::KeyFill::Keep; break;
        case 1: fill.kind = ks::KeyFill::Colour; fill.colour = 0x123456; break;
        case 2: fill.kind = ks::KeyFill::Colour; fill.colour = TransparentKeyColor; break;
        default: fill.kind = ks::KeyFill::Backdrop; fill.backdrop = {back.View(), between(-5, 5), between(-5, 5), true, true};
        }
        const Image before = dst;
        ks::FillUnderKey(dst.View(), at, image.View(), rect, TransparentKeyColor, fill);

        Image expected = before;
        for (int sy = rect.Top; sy < rect.Bottom; ++sy)
            for (int sx = rect.Left; sx < rect.Right; ++sx) {
                const int x = at.X + sx - rect.Left, y = at.Y + sy - rect.Top;
                if (!Inside(image.View(), sx, sy) || !Inside(dst.View(), x, y))
                    continue;
                if (std::memcmp(image.At(sx, sy), "\xFF\x00\xFF", 3) != 0)
                    continue;
                uint8_t bytes[3] = {0x12, 0x34, 0x56}; // 0x123456 as blue, green, red
                if (fill.kind == ks::KeyFill::Keep || (fill.kind == ks::KeyFill::Colour && fill.colour != 0x123456))
                    continue;
                if (fill.kind == ks::KeyFill::Backdrop) {
                    const int bx = x + fill.backdrop.dx, by = y + fill.backdrop.dy;
                    if (!Inside(back.View(), bx, by))
                        continue;
                    std::memcpy(bytes, back.At(bx, by), 3);
                }
                std::memcpy(expected.At(x, y), bytes, 3);
                if (expected.Bytes() == 4)
                    expected.At(x, y)[3] = 0xFF;
            }
        ASSERT_EQ(dst.Pixels(), expected.Pixels());
        ASSERT_TRUE(dst.FencesIntact());
    }
}

} // namespace
