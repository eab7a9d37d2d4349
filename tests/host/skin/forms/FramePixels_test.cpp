#include "skin/forms/FramePixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A 32-bit image with padded rows, top-down or bottom-up, so that a loop ignoring the stride
// reads the wrong pixels.
struct Image32 {
    Image32(int w, int h, bool bottomUp) : bytes(static_cast<size_t>((w + 3) * 4 * h))
    {
        const ptrdiff_t rowBytes = (w + 3) * 4;
        view.width = w;
        view.height = h;
        view.bpp = 32;
        view.stride = bottomUp ? -rowBytes : rowBytes;
        view.scan0 = bottomUp ? bytes.data() + (h - 1) * rowBytes : bytes.data();
    }
    uint8_t* At(int x, int y) { return view.Row(y) + 4 * x; }
    std::vector<uint8_t> bytes;
    ks::PixelView view;
};

TEST(FramePixels, OnlyPixelsWhoseColourChangedBecomeOpaque)
{
    for (bool bottomUp : {false, true}) {
        SCOPED_TRACE(bottomUp ? "bottom-up" : "top-down");
        Image32 dst(3, 2, bottomUp), before(3, 2, !bottomUp);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                uint8_t* d = dst.At(x, y);
                uint8_t* b = before.At(x, y);
                d[0] = b[0] = 10;
                d[1] = b[1] = 20;
                d[2] = b[2] = 30;
                d[3] = b[3] = 40;
            }
        dst.At(1, 0)[2] = 31;  // the red byte changed
        dst.At(2, 1)[0] = 0;   // the blue byte changed
        dst.At(0, 1)[3] = 7;   // only alpha changed: not a drawn pixel
        ks::OpaqueWhereChanged32(dst.view, before.view);
        EXPECT_EQ(dst.At(1, 0)[3], 255);
        EXPECT_EQ(dst.At(2, 1)[3], 255);
        EXPECT_EQ(dst.At(0, 1)[3], 7);
        EXPECT_EQ(dst.At(0, 0)[3], 40);
        EXPECT_EQ(dst.At(2, 0)[3], 40);
    }
}

TEST(FramePixels, ViewsOfOtherDepthsOrSizesAreNotOverrun)
{
    Image32 dst(4, 4, false), before(2, 1, false);
    dst.At(3, 3)[0] = 1;
    ks::OpaqueWhereChanged32(dst.view, before.view);
    EXPECT_EQ(dst.At(3, 3)[3], 0) << "outside the smaller view nothing is compared";
    ks::PixelView wrong = before.view;
    wrong.bpp = 24;
    dst.At(0, 0)[0] = 9;
    ks::OpaqueWhereChanged32(dst.view, wrong);
    EXPECT_EQ(dst.At(0, 0)[3], 0);
}

} // namespace
