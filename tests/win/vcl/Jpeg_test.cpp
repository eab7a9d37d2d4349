#include "vcl/Jpeg.h"

#include "host/support/ImageBuilders.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using JpegTest = VclFixture;

void Load(TJPEGImage& jpeg, const std::vector<uint8_t>& bytes)
{
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), bytes.size());
    s.SetPosition(0);
    jpeg.LoadFromStream(s);
}

bool Near(const uint8_t* bgr, uint32_t rgb)
{
    return std::abs(bgr[0] - static_cast<int>(rgb & 0xFF)) <= 2 &&
           std::abs(bgr[1] - static_cast<int>(rgb >> 8 & 0xFF)) <= 2 &&
           std::abs(bgr[2] - static_cast<int>(rgb >> 16 & 0xFF)) <= 2;
}

TEST_F(JpegTest, DecodesOnceAndDrawsThroughTheCanvas)
{
    const std::vector<uint8_t> file = ks::test::MakeJpeg(20, 10, 0x3060C0);
    TJPEGImage jpeg;
    Load(jpeg, file);
    EXPECT_EQ(jpeg.Width(), 20);
    EXPECT_EQ(jpeg.Height(), 10);
    EXPECT_EQ(jpeg.Bitmap().PixelFormat(), pf24bit);

    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(30, 30);
    target.Canvas().Draw(5, 5, jpeg);
    EXPECT_TRUE(Near(target.ScanLine(10) + 3 * 10, 0x3060C0));
    EXPECT_TRUE(Near(target.ScanLine(2) + 3 * 2, 0xFFFFFF)) << "outside the picture";

    TMemoryStream out;
    jpeg.SaveToStream(out);
    EXPECT_EQ(std::vector<uint8_t>(out.Memory(), out.Memory() + out.Size()), file);
}

TEST_F(JpegTest, CorruptDataRaisesAndTheImageStays)
{
    TJPEGImage jpeg;
    Load(jpeg, ks::test::MakeJpeg(8, 8, 0x00FF00));
    std::vector<uint8_t> cut = ks::test::MakeJpeg(64, 64, 0xFF0000);
    cut.resize(cut.size() / 2);
    for (const auto& bad : {cut, std::vector<uint8_t>{0xFF, 0xD8, 0xFF}, std::vector<uint8_t>{}}) {
        EXPECT_THROW(Load(jpeg, bad), EJPEG);
        EXPECT_EQ(jpeg.Width(), 8);
    }
    // Still whole: it decodes the next picture.
    Load(jpeg, ks::test::MakeJpeg(3, 2, 0x0000FF));
    EXPECT_EQ(jpeg.Width(), 3);
}

TEST_F(JpegTest, AssignCopiesBytesAndImage)
{
    TJPEGImage a;
    Load(a, ks::test::MakeJpeg(4, 4, 0x808080, 1));
    TJPEGImage b;
    b.Assign(&a);
    EXPECT_EQ(b.Width(), 4);
    EXPECT_NE(b.Bitmap().Handle(), a.Bitmap().Handle());
    TPicture p;
    p.SetGraphic(&a);
    EXPECT_STREQ(p.Graphic()->ClassName(), "TJPEGImage");
    EXPECT_EQ(p.Width(), 4);
}

} // namespace
