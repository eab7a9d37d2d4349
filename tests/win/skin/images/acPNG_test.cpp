#include "skin/images/acPNG.h"

#include "host/support/SmallPng.h"
#include "vcl/PlatformSeams.h"
#include "vcl/Streams.h"
#include "vcl/SysUtils.h"
#include "win/vcl/GdiFlat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using PngGraphicTest = GdiFlat;
using ks::test::MakeSmallPng;
using ks::test::MakeUniformPng;

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

std::ostream& operator<<(std::ostream& os, const Rgb& c)
{
    return os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

// The alpha blend of the engine's pixel routines, per channel.
uint8_t Blend(uint8_t s, uint8_t d, int a)
{
    return static_cast<uint8_t>(((s - d) * a + d * 256) >> 8);
}

Rgb Blend(Rgb s, Rgb d, int a)
{
    return {Blend(s.r, d.r, a), Blend(s.g, d.g, a), Blend(s.b, d.b, a)};
}

void Fill24(TBitmap& b, int w, int h, Rgb c)
{
    b.SetPixelFormat(pf24bit);
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = b.ScanLine(y) + 3 * x;
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
}

Rgb At(TBitmap& b, int x, int y)
{
    const uint8_t* p = b.ScanLine(y) + (b.PixelFormat() == pf32bit ? 4 : 3) * x;
    return {p[2], p[1], p[0]};
}

uint8_t AlphaAt(TBitmap& b, int x, int y)
{
    return b.ScanLine(y)[4 * x + 3];
}

void Load(TPNGGraphic& png, const std::vector<uint8_t>& file)
{
    png.LoadFromBytes(file);
}

// The blend itself is the pixel layer's (host tests); here the picture lands where it is drawn,
// padded 24-bit rows and all, and alpha 0 leaves the canvas alone.
TEST_F(PngGraphicTest, DrawsEachPixelBlendedByItsAlpha)
{
    TPNGGraphic png;
    Load(png, MakeSmallPng(3, 2, 6, {200, 10, 60, 255, 0, 255, 128, 128, 90, 90, 90, 0, //
                                     1, 2, 3, 0, 1, 2, 3, 0, 250, 0, 5, 200}));
    ASSERT_EQ(png.PixelFormat(), pf32bit);
    const Rgb ground{40, 80, 120};
    TBitmap canvas;
    Fill24(canvas, 7, 5, ground);
    canvas.Canvas().Draw(2, 1, png);
    EXPECT_EQ(At(canvas, 2, 1), Blend({200, 10, 60}, ground, 255));
    EXPECT_EQ(At(canvas, 3, 1), Blend({0, 255, 128}, ground, 128));
    EXPECT_EQ(At(canvas, 4, 1), ground);
    EXPECT_EQ(At(canvas, 4, 2), Blend({250, 0, 5}, ground, 200));
    EXPECT_EQ(At(canvas, 1, 1), ground);
    EXPECT_EQ(At(canvas, 2, 3), ground);
}

TEST_F(PngGraphicTest, ReflectionFadesBelowTheImageAtItsOwnSizeOnly)
{
    const Rgb ground{100, 100, 100};
    const Rgb red{220, 20, 20};
    const std::vector<uint8_t> file = MakeUniformPng(32, 32, red.r, red.g, red.b, 255);
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
        Load(png, file);
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
    const Rgb ground{0, 0, 255};
    const Rgb green{10, 200, 30};
    TPNGGraphic png;
    Load(png, MakeUniformPng(2, 2, green.r, green.g, green.b, 128));
    TBitmap canvas;
    Fill24(canvas, 12, 12, ground);
    canvas.Canvas().StretchDraw(Rect(1, 1, 9, 9), png);
    for (int y = 1; y < 9; ++y)
        for (int x = 1; x < 9; ++x)
            ASSERT_EQ(At(canvas, x, y), Blend(green, ground, 128)) << "x " << x << " y " << y;
    EXPECT_EQ(At(canvas, 9, 9), ground);
    EXPECT_EQ(At(canvas, 0, 0), ground);
}

TEST_F(PngGraphicTest, RgbImageDrawsWithItsTransparentColourKeyedOut)
{
    // tRNS of an RGB image: red (255, 0, 0) is transparent.
    const std::vector<uint8_t> file =
        MakeSmallPng(2, 1, 2, {255, 0, 0, 0, 0, 255}, {{"tRNS", {0, 255, 0, 0, 0, 0}}});
    TPNGGraphic png;
    Load(png, file);
    EXPECT_EQ(png.PixelFormat(), pf24bit);
    EXPECT_TRUE(png.Transparent());
    EXPECT_EQ(png.TransparentColor(), clRed);

    const Rgb ground{0, 128, 0};
    TBitmap canvas;
    Fill24(canvas, 4, 3, ground);
    canvas.Canvas().Draw(1, 1, png);
    EXPECT_EQ(At(canvas, 1, 1), ground);
    EXPECT_EQ(At(canvas, 2, 1), (Rgb{0, 0, 255}));

    // Without tRNS the next image of the same picture is not keyed.
    Load(png, MakeSmallPng(2, 1, 2, {255, 0, 0, 0, 0, 255}));
    EXPECT_FALSE(png.Transparent());
}

TEST_F(PngGraphicTest, CorruptFileRaisesAndKeepsThePicture)
{
    TPNGGraphic png;
    Load(png, MakeUniformPng(3, 2, 1, 2, 3, 255));
    std::vector<uint8_t> bad = MakeUniformPng(5, 5, 9, 9, 9, 255);
    bad[bad.size() - 20] ^= 0x40; // inside the image data: its CRC no longer matches
    EXPECT_THROW(Load(png, bad), EInvalidGraphic);
    std::vector<uint8_t> cut = MakeUniformPng(5, 5, 9, 9, 9, 255);
    cut.resize(cut.size() - 14); // IEND and part of the image data's CRC gone
    EXPECT_THROW(Load(png, cut), EReadError);
    EXPECT_THROW(Load(png, {}), EInvalidGraphic);

    ASSERT_EQ(png.Width(), 3);
    ASSERT_EQ(png.Height(), 2);
    EXPECT_EQ(At(png, 2, 1), (Rgb{1, 2, 3}));
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
    EXPECT_EQ(picture.Height(), 3);
    FinalizeAcPNG();
    EXPECT_NE(TPicture::FileFormat(L"png"), nullptr) << "start-up calls nest";
    FinalizeAcPNG();
    EXPECT_EQ(TPicture::FileFormat(L"png"), nullptr);
    EXPECT_THROW(picture.LoadFromFile(name), EInvalidGraphic);
    DeleteFileW(name.c_str());
}

// The colour and alpha an icon shows, read back from its colour bitmap, and whether its mask
// hides the pixel.
struct IconPixel {
    Rgb color;
    uint8_t alpha;
    bool masked;
};

std::vector<IconPixel> IconPixels(HICON icon, int w, int h)
{
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(icon, &info));
    ks::GdiBitmap color(info.hbmColor);
    ks::GdiBitmap mask(info.hbmMask);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint8_t> c(static_cast<size_t>(w * h * 4)), m(static_cast<size_t>(w * h * 4));
    ks::WindowDC screen(nullptr);
    EXPECT_EQ(GetDIBits(screen.get(), color.get(), 0, h, c.data(), &bi, DIB_RGB_COLORS), h);
    EXPECT_EQ(GetDIBits(screen.get(), mask.get(), 0, h, m.data(), &bi, DIB_RGB_COLORS), h);
    std::vector<IconPixel> out;
    for (int i = 0; i < w * h; ++i)
        out.push_back({{c[4 * i + 2], c[4 * i + 1], c[4 * i]}, c[4 * i + 3], m[4 * i] != 0});
    return out;
}

TEST_F(PngGraphicTest, IconOfRgbImageIsKeyedByTheTopLeftColour)
{
    // Magenta top left and bottom right; blue elsewhere.
    TPNGGraphic png;
    Load(png, MakeSmallPng(2, 2, 2, {255, 0, 255, 0, 0, 255, 0, 0, 255, 255, 0, 255}));
    ks::UniqueIcon icon = PngToIcon(png, false);
    ASSERT_TRUE(icon);
    EXPECT_EQ(png.PixelFormat(), pf32bit) << "the picture itself is converted";

    const std::vector<IconPixel> px = IconPixels(icon.get(), 2, 2);
    EXPECT_TRUE(px[0].masked);
    EXPECT_FALSE(px[1].masked);
    EXPECT_FALSE(px[2].masked);
    EXPECT_TRUE(px[3].masked);
    EXPECT_EQ(px[1].color, (Rgb{0, 0, 255}));

    // Drawn over a background, the key colour shows nowhere.
    TBitmap canvas;
    Fill24(canvas, 2, 2, {30, 60, 90});
    DrawIconEx(canvas.Canvas().Handle(), 0, 0, icon.get(), 2, 2, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(At(canvas, 0, 0), (Rgb{30, 60, 90}));
    EXPECT_EQ(At(canvas, 1, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(At(canvas, 1, 1), (Rgb{30, 60, 90}));
}

TEST_F(PngGraphicTest, IconOfRgbaImageKeepsItsAlpha)
{
    TPNGGraphic png;
    Load(png, MakeSmallPng(2, 1, 6, {255, 0, 0, 255, 0, 255, 0, 0}));
    ks::UniqueIcon icon = PngToIcon(png, false);
    ASSERT_TRUE(icon);
    const std::vector<IconPixel> px = IconPixels(icon.get(), 2, 1);
    EXPECT_EQ(px[0].alpha, 255);
    EXPECT_EQ(px[1].alpha, 0);
    EXPECT_FALSE(px[0].masked);
    EXPECT_FALSE(px[1].masked);

    TBitmap canvas;
    Fill24(canvas, 2, 1, {30, 60, 90});
    DrawIconEx(canvas.Canvas().Handle(), 0, 0, icon.get(), 2, 1, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(At(canvas, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(At(canvas, 1, 0), (Rgb{30, 60, 90}));
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
    EXPECT_EQ(At(b, 0, 1), (Rgb{0, 0, 0}));
    EXPECT_EQ(At(b, 1, 1), (Rgb{255, 255, 255})) << "alpha 1";

    TBitmap small;
    small.SetPixelFormat(pf32bit);
    small.SetSize(1, 3);
    ClearWhiteTransparentPixels(small);
    EXPECT_EQ(At(small, 0, 1), (Rgb{255, 255, 255})) << "too small to be touched";
}

TEST_F(PngGraphicTest, AssignFromPlainBitmapKeepsTheHeader)
{
    TPNGGraphic png;
    Load(png, MakeUniformPng(3, 2, 1, 2, 3, 255));
    TBitmap plain;
    Fill24(plain, 5, 4, {7, 8, 9});
    png.Assign(&plain);
    EXPECT_EQ(png.Width(), 5);
    EXPECT_EQ(png.PixelFormat(), pf24bit);
    EXPECT_EQ(At(png, 4, 3), (Rgb{7, 8, 9}));
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
    EXPECT_EQ(AlphaAt(*shadow, 3, 3), 77);
    EXPECT_THROW(LoadPngResource(L"acSHDI"), EResNotFound);
    ks::ResetSys();
}

} // namespace
