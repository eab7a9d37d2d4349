#include "skin/images/acPNG.h"

#include "host/support/SmallPng.h"
#include "vcl/PlatformSeams.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "win/support/VclFixture.h"

#include "win/skin/images/ImageChecks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using ks::test::At;
using ks::test::Blend;

using PngGraphicTest = VclFixture;
using ks::test::MakeSmallPng;
using ks::test::MakeUniformPng;

void Fill24(TBitmap& b, int w, int h, uint32_t rgb)
{
    b.SetPixelFormat(pf24bit);
    b.SetSize(w, h);
    const uint8_t px[3] = {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            std::memcpy(b.ScanLine(y) + 3 * x, px, 3);
}

// The blend itself is the pixel layer's (host tests); here the picture lands where it is drawn,
// padded 24-bit rows and all, and alpha 0 leaves the canvas alone.
TEST_F(PngGraphicTest, DrawsEachPixelBlendedByItsAlpha)
{
    TPNGGraphic png;
    png.LoadFromBytes(MakeSmallPng(3, 2, 6, {200, 10, 60, 255, 0, 255, 128, 128, 90, 90, 90, 0, //
                                             1, 2, 3, 0, 1, 2, 3, 0, 250, 0, 5, 200}));
    ASSERT_EQ(png.PixelFormat(), pf32bit);
    const uint32_t ground = 0x285078;
    TBitmap canvas;
    Fill24(canvas, 7, 5, ground);
    canvas.Canvas().Draw(2, 1, png);
    EXPECT_EQ(At(canvas, 2, 1), Blend(0xC80A3C, ground, 255));
    EXPECT_EQ(At(canvas, 3, 1), Blend(0x00FF80, ground, 128));
    EXPECT_EQ(At(canvas, 4, 1), ground);
    EXPECT_EQ(At(canvas, 4, 2), Blend(0xFA0005, ground, 200));
    EXPECT_EQ(At(canvas, 1, 1), ground);
    EXPECT_EQ(At(canvas, 2, 3), ground);
}

TEST_F(PngGraphicTest, ReflectionFadesBelowTheImageAtItsOwnSizeOnly)
{
    const uint32_t ground = 0x646464, red = 0xDC1414;
    struct Case {
        const char* name;
        bool reflected;
        TRect r;
    } cases[] = {
        {"Plain", false, Rect(10, 10, 42, 42)},
        {"Reflected", true, Rect(10, 10, 42, 42)},
        {"StretchedNeverReflects", true, Rect(10, 10, 74, 74)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPNGGraphic png;
        png.LoadFromBytes(MakeUniformPng(32, 32, 0xDC, 0x14, 0x14, 255));
        png.Reflected = c.reflected;
        TBitmap canvas;
        Fill24(canvas, 80, 110, ground);
        canvas.Canvas().StretchDraw(c.r, png);
        const int bottom = c.r.Bottom;
        EXPECT_EQ(At(canvas, 20, bottom - 1), Blend(red, ground, 255));
        EXPECT_EQ(At(canvas, 20, bottom), ground) << "the row right below the image is never drawn";
        // A third of the alpha, faded row by row (the pixel layer's host tests hold the steps).
        const bool reflects = c.reflected && c.r.Width() == 32;
        EXPECT_EQ(At(canvas, 20, bottom + 1), reflects ? Blend(red, ground, 255 / 3) : ground);
        EXPECT_EQ(At(canvas, 20, bottom + 15) != ground, reflects) << "the buffer reaches half the height";
        EXPECT_EQ(At(canvas, 20, bottom + 16), ground) << "half the image's height, no more";
    }
}

TEST_F(PngGraphicTest, StretchedDrawingKeepsColourAndAlpha)
{
    const uint32_t ground = 0x0000FF;
    TPNGGraphic png;
    png.LoadFromBytes(MakeUniformPng(2, 2, 10, 200, 30, 128));
    TBitmap canvas;
    Fill24(canvas, 12, 12, ground);
    canvas.Canvas().StretchDraw(Rect(1, 1, 9, 9), png);
    for (const TPoint p : {TPoint{1, 1}, TPoint{5, 4}, TPoint{8, 8}})
        EXPECT_EQ(At(canvas, p.X, p.Y), Blend(0x0AC81E, ground, 128)) << p.X << "," << p.Y;
    EXPECT_EQ(At(canvas, 9, 9), ground);
    EXPECT_EQ(At(canvas, 0, 0), ground);
}

TEST_F(PngGraphicTest, RgbImageDrawsWithItsTransparentColourKeyedOut)
{
    // tRNS of an RGB image: red (255, 0, 0) is transparent.
    TPNGGraphic png;
    png.LoadFromBytes(MakeSmallPng(2, 1, 2, {255, 0, 0, 0, 0, 255}, {{"tRNS", {0, 255, 0, 0, 0, 0}}}));
    EXPECT_EQ(png.PixelFormat(), pf24bit);
    EXPECT_TRUE(png.Transparent());
    EXPECT_EQ(png.TransparentColor(), clRed);
    TBitmap canvas;
    Fill24(canvas, 4, 3, 0x008000);
    canvas.Canvas().Draw(1, 1, png);
    EXPECT_EQ(At(canvas, 1, 1), 0x008000u);
    EXPECT_EQ(At(canvas, 2, 1), 0x0000FFu);

    // Without tRNS the next image of the same picture is not keyed.
    png.LoadFromBytes(MakeSmallPng(2, 1, 2, {255, 0, 0, 0, 0, 255}));
    EXPECT_FALSE(png.Transparent());
}

TEST_F(PngGraphicTest, CorruptFileRaisesAndKeepsThePicture)
{
    TPNGGraphic png;
    png.LoadFromBytes(MakeUniformPng(3, 2, 1, 2, 3, 255));
    std::vector<uint8_t> bad = MakeUniformPng(5, 5, 9, 9, 9, 255);
    bad[bad.size() - 20] ^= 0x40; // inside the image data: its CRC no longer matches
    EXPECT_THROW(png.LoadFromBytes(bad), EInvalidGraphic);
    std::vector<uint8_t> cut = MakeUniformPng(5, 5, 9, 9, 9, 255);
    cut.resize(cut.size() - 14); // IEND and part of the image data's CRC gone
    EXPECT_THROW(png.LoadFromBytes(cut), EReadError);
    EXPECT_THROW(png.LoadFromBytes({}), EInvalidGraphic);

    ASSERT_EQ(png.Width(), 3);
    ASSERT_EQ(png.Height(), 2);
    EXPECT_EQ(At(png, 2, 1), 0x010203u);
    EXPECT_EQ(png.HeaderInfo().Width, 3u);
}

TEST_F(PngGraphicTest, StreamLoadStopsAfterIendAndReportsProgress)
{
    const std::vector<uint8_t> file = MakeUniformPng(1, 10, 5, 6, 7, 8);
    TMemoryStream stream;
    stream.WriteBuffer("ab", 2);
    stream.WriteBuffer(file.data(), file.size());
    stream.WriteBuffer("xyz", 3);
    stream.SetPosition(2);

    struct Recorder : TObject {
        std::vector<std::pair<TProgressStage, int>> events;
        void OnProgress(TObject*, TProgressStage stage, uint8_t percent, bool, const TRect&, const std::wstring&)
        {
            events.emplace_back(stage, percent);
        }
    } recorder;
    TPNGGraphic png;
    png.SetOnProgress(TProgressEvent(&recorder, &Recorder::OnProgress));
    png.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), static_cast<int64_t>(2 + file.size()));
    EXPECT_EQ(png.Height(), 10);
    ASSERT_EQ(recorder.events.size(), 14u);
    EXPECT_EQ(recorder.events[3], std::make_pair(psRunning, 0));
    EXPECT_EQ(recorder.events[12], std::make_pair(psRunning, 90));
    EXPECT_EQ(recorder.events[13].first, psEnding);
}

TEST_F(PngGraphicTest, PictureLoadsPngFilesOnceRegistered)
{
    wchar_t dir[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, dir), 0u);
    const std::wstring name = std::wstring(dir) + L"ks_acpng_test.PNG";
    const std::vector<uint8_t> file = MakeUniformPng(4, 3, 1, 2, 3, 4);
    {
        TFileStream out(name, fmCreate);
        out.WriteBuffer(file.data(), file.size());
    }
    InitializeAcPNG();
    InitializeAcPNG();
    TPicture picture;
    picture.LoadFromFile(name);
    ASSERT_NE(dynamic_cast<TPNGGraphic*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 4);
    FinalizeAcPNG();
    EXPECT_NE(TPicture::FileFormat(L"png"), nullptr) << "start-up calls nest";
    FinalizeAcPNG();
    EXPECT_EQ(TPicture::FileFormat(L"png"), nullptr);
    EXPECT_THROW(picture.LoadFromFile(name), EInvalidGraphic);
    DeleteFileW(name.c_str());
}

// An RGB image is keyed by its top-left colour (the picture itself turns 32-bit); an RGBA image
// keeps its alpha. Drawn over a background, what the icon hides shows the background.
TEST_F(PngGraphicTest, IconsHideTheKeyColourOrKeepTheAlpha)
{
    const uint32_t ground = 0x1E3C5A;
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        int w, h;
        std::vector<uint32_t> drawn; // row by row
    } const cases[] = {
        {"RgbKeyedTopLeftAndBottomRight", MakeSmallPng(2, 2, 2, {255, 0, 255, 0, 0, 255, 0, 0, 255, 255, 0, 255}), 2,
         2, {ground, 0x0000FF, 0x0000FF, ground}},
        {"RgbaKeepsAlpha", MakeSmallPng(2, 1, 6, {255, 0, 0, 255, 0, 255, 0, 0}), 2, 1, {0xFF0000, ground}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPNGGraphic png;
        png.LoadFromBytes(c.file);
        ks::UniqueIcon icon = PngToIcon(png, false);
        ASSERT_TRUE(icon);
        EXPECT_EQ(png.PixelFormat(), pf32bit);
        TBitmap canvas;
        Fill24(canvas, c.w, c.h, ground);
        DrawIconEx(canvas.Canvas().Handle(), 0, 0, icon.get(), c.w, c.h, 0, nullptr, DI_NORMAL);
        for (int i = 0; i < c.w * c.h; ++i)
            EXPECT_EQ(At(canvas, i % c.w, i / c.w), c.drawn[static_cast<size_t>(i)]) << "pixel " << i;
    }
}

// Which words count is the pixel core's (ReplaceWord32, host tests); here only 32-bit bitmaps
// of at least 2 x 2 pixels are touched.
TEST_F(PngGraphicTest, ClearWhiteTransparentPixelsClearsOnlyFullyTransparentWhite)
{
    TBitmap b;
    b.SetPixelFormat(pf32bit);
    b.SetSize(2, 2); // new 32-bit pixels are white with alpha 0
    b.ScanLine(1)[7] = 1;
    ClearWhiteTransparentPixels(b);
    EXPECT_EQ(At(b, 0, 1), 0u);
    EXPECT_EQ(At(b, 1, 1), 0xFFFFFFu) << "alpha 1";

    TBitmap small;
    small.SetPixelFormat(pf32bit);
    small.SetSize(1, 3);
    ClearWhiteTransparentPixels(small);
    EXPECT_EQ(At(small, 0, 1), 0xFFFFFFu) << "too small to be touched";
}

TEST_F(PngGraphicTest, AssignFromPlainBitmapKeepsTheHeader)
{
    TPNGGraphic png;
    png.LoadFromBytes(MakeUniformPng(3, 2, 1, 2, 3, 255));
    TBitmap plain;
    Fill24(plain, 5, 4, 0x070809);
    png.Assign(&plain);
    EXPECT_EQ(png.PixelFormat(), pf24bit);
    EXPECT_EQ(At(png, 4, 3), 0x070809u);
    EXPECT_EQ(png.HeaderInfo().Width, 3u);

    TPNGGraphic copy;
    copy.Assign(&png);
    EXPECT_EQ(copy.HeaderInfo().Width, 3u);
    EXPECT_EQ(copy.Width(), 5);
}

std::span<const uint8_t> ShadowResource(const wchar_t* name)
{
    static const std::vector<uint8_t> file = MakeUniformPng(4, 4, 0, 0, 0, 77);
    return std::wstring_view(name) == L"acSHDA" ? std::span<const uint8_t>(file) : std::span<const uint8_t>{};
}

TEST_F(PngGraphicTest, EmbeddedPicturesLoadFromProgramResources)
{
    ks::Sys().FindFormResource = &ShadowResource;
    std::unique_ptr<TPNGGraphic> shadow = LoadPngResource(L"acSHDA");
    ASSERT_TRUE(shadow);
    EXPECT_EQ(shadow->Width(), 4);
    EXPECT_EQ(shadow->ScanLine(3)[4 * 3 + 3], 77);
    EXPECT_THROW(LoadPngResource(L"acSHDI"), EResNotFound);
    ks::ResetSys();
}

} // namespace
