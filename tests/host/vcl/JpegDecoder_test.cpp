#include "vcl/JpegDecoder.h"

#include "host/support/ImageBuilders.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

using ks::JpegError;
using ks::test::MakeJpeg;

// Every pixel within tol of the blue, green, red bytes given, and the row padding untouched.
void ExpectUniform(const ks::JpegImage& img, int b, int g, int r, int tol = 2)
{
    for (int y = 0; y < img.height; ++y) {
        const uint8_t* row = img.pixels.data() + y * img.Stride();
        for (int x = 0; x < img.width; ++x) {
            ASSERT_LE(std::abs(row[3 * x] - b), tol) << x << "," << y;
            ASSERT_LE(std::abs(row[3 * x + 1] - g), tol) << x << "," << y;
            ASSERT_LE(std::abs(row[3 * x + 2] - r), tol) << x << "," << y;
        }
        for (size_t i = static_cast<size_t>(img.width) * 3; i < img.Stride(); ++i)
            ASSERT_EQ(row[i], 0) << "padding of row " << y;
    }
}

TEST(JpegDecoder, DecodesColourGreyAndProgressiveIntoBgrRows)
{
    struct Case {
        const char* name;
        int components;
        bool progressive;
        int b, g, r;
    } cases[] = {
        {"Baseline", 3, false, 0x30, 0xA0, 0xE0},
        {"Grey", 1, false, 0xE0, 0xE0, 0xE0},
        {"Progressive", 3, true, 0x30, 0xA0, 0xE0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ks::JpegImage img = ks::DecodeJpeg(MakeJpeg(17, 9, 0xE0A030, c.components, c.progressive));
        ASSERT_EQ(img.width, 17);
        ASSERT_EQ(img.height, 9);
        ASSERT_EQ(img.Stride(), 52u);
        ASSERT_EQ(img.pixels.size(), 52u * 9);
        ExpectUniform(img, c.b, c.g, c.r);
    }
}

std::vector<uint8_t> WithSize(std::vector<uint8_t> jpeg, uint16_t w, uint16_t h)
{
    for (size_t i = 0; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = static_cast<uint8_t>(h >> 8);
            jpeg[i + 6] = static_cast<uint8_t>(h);
            jpeg[i + 7] = static_cast<uint8_t>(w >> 8);
            jpeg[i + 8] = static_cast<uint8_t>(w);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

TEST(JpegDecoder, DamagedDataRaisesAndTheProcessGoesOn)
{
    const std::vector<uint8_t> good = MakeJpeg(64, 64, 0x123456);
    const std::vector<uint8_t> progressive = MakeJpeg(64, 64, 0x123456, 3, true);
    auto cut = [](std::vector<uint8_t> v, size_t n) {
        v.resize(n);
        return v;
    };
    std::vector<uint8_t> noStartMarker = good;
    noStartMarker[1] = 0x00;
    std::vector<uint8_t> badSegmentLength = good;
    badSegmentLength[4] = 0xFF; // the first segment's length now runs past the data

    ks::JpegLimits tiny;
    tiny.MaxPixels = 64 * 64 - 1;
    ks::JpegLimits fewScans;
    fewScans.MaxScans = 2;

    struct Case {
        const char* name;
        std::vector<uint8_t> data;
        JpegError reason;
        ks::JpegLimits limits{};
    } cases[] = {
        {"Empty", {}, JpegError::Corrupt},
        {"NotAJpeg", {'B', 'M', 0, 0, 0, 0}, JpegError::Corrupt},
        {"NoStartMarker", noStartMarker, JpegError::Corrupt},
        {"HeaderCut", cut(good, 40), JpegError::Corrupt},
        {"SegmentLengthPastEnd", badSegmentLength, JpegError::Corrupt},
        {"EntropyDataCut", cut(good, good.size() / 2), JpegError::Corrupt},
        {"ZeroWidth", WithSize(good, 0, 64), JpegError::Corrupt},
        {"OverPixelLimit", good, JpegError::TooLarge, tiny},
        {"HugeDeclaredSize", WithSize(good, 65000, 65000), JpegError::TooLarge},
        {"TooManyScans", progressive, JpegError::TooManyScans, fewScans},
        {"Cmyk", MakeJpeg(8, 8, 0x123456, 4), JpegError::Unsupported},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ks::DecodeJpeg(c.data, c.limits);
            ADD_FAILURE() << "accepted";
        } catch (const EJPEG& e) {
            EXPECT_EQ(e.Reason(), static_cast<int>(c.reason)) << e.Message();
            EXPECT_FALSE(e.Message().empty());
        }
    }
    // The decoder is whole after all of that.
    ExpectUniform(ks::DecodeJpeg(good), 0x56, 0x34, 0x12);
}

} // namespace
