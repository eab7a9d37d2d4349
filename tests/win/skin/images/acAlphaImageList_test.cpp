#include "skin/images/acAlphaImageList.h"

#include "host/support/ImageBuilders.h"
#include "host/support/SmallPng.h"
#include "skin/images/acPNG.h"
#include "vcl/FormStreaming.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "win/vcl/GdiFlat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using ks::test::MakeSmallPng;
using ks::test::MakeUniformPng;

// Every test also leaves the count of system image lists where it found it.
class AlphaImageListTest : public GdiFlat {
protected:
    void SetUp() override
    {
        GdiFlat::SetUp();
        FLists = ks::UniqueImageList::Live();
        InitializeAcAlphaImageList();
    }
    void TearDown() override
    {
        ks::ResetSys();
        EXPECT_EQ(ks::UniqueImageList::Live(), FLists);
        GdiFlat::TearDown();
    }

private:
    long FLists = 0;
};

struct Freer {
    void operator()(TComponent* c) const { c->Free(); }
};
using ListPtr = std::unique_ptr<TsAlphaImageList, Freer>;

ListPtr NewList(int w, int h)
{
    ListPtr list(Create<TsAlphaImageList>(nullptr));
    list->SetWidth(w);
    list->SetHeight(h);
    return list;
}

void AddItem(TsAlphaImageList& list, const std::vector<uint8_t>& bytes, TsImageFormat format = ifPNG)
{
    TsImgListItem* item = list.Items()->Add();
    item->SetImageFormat(format);
    item->ImgData().WriteBuffer(bytes.data(), bytes.size());
}

std::vector<uint8_t> Bytes(TsImgListItem& item)
{
    const auto b = item.ImgData().Bytes();
    return {b.begin(), b.end()};
}

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

std::ostream& operator<<(std::ostream& os, const Rgb& c)
{
    return os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

uint8_t Blend(uint8_t s, uint8_t d, int a)
{
    return static_cast<uint8_t>(((s - d) * a + d * 256) >> 8);
}

Rgb Blend(Rgb s, Rgb d, int a)
{
    return {Blend(s.r, d.r, a), Blend(s.g, d.g, a), Blend(s.b, d.b, a)};
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

void Fill(TBitmap& b, TPixelFormat format, int w, int h, Rgb c, uint8_t alpha = 0)
{
    b.SetPixelFormat(format);
    b.SetSize(w, h);
    const int bytes = format == pf32bit ? 4 : 3;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = b.ScanLine(y) + bytes * x;
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
            if (bytes == 4)
                p[3] = alpha;
        }
}

// 16 x 16 RGBA with every pixel different and alpha running through its range.
std::vector<uint8_t> PatternSamples()
{
    std::vector<uint8_t> s;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            s.insert(s.end(), {static_cast<uint8_t>(16 * x), static_cast<uint8_t>(16 * y),
                               static_cast<uint8_t>(x + y), static_cast<uint8_t>(17 * x ^ y)});
    return s;
}

// Three 16 x 16 cells side by side: red, green, blue, all opaque.
std::vector<uint8_t> ThreeCells()
{
    std::vector<uint8_t> s;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 48; ++x)
            s.insert(s.end(), {static_cast<uint8_t>(x < 16 ? 200 : 0), static_cast<uint8_t>(x >= 16 && x < 32 ? 200 : 0),
                               static_cast<uint8_t>(x >= 32 ? 200 : 0), 255});
    return MakeSmallPng(48, 16, 6, s);
}

TEST_F(AlphaImageListTest, PngItemOfTheListsSizeGivesItsOwnPixelsAndAlpha)
{
    const std::vector<uint8_t> samples = PatternSamples();
    ListPtr list = NewList(16, 16);
    AddItem(*list, MakeSmallPng(16, 16, 6, samples));
    list->GenerateStdList();
    EXPECT_EQ(list->Count(), 1);
    EXPECT_TRUE(list->ItemsApplied());

    TBitmap bmp;
    ASSERT_TRUE(list->GetBitmap32(0, &bmp));
    ASSERT_EQ(bmp.PixelFormat(), pf32bit);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint8_t* s = &samples[4 * (16 * y + x)];
            ASSERT_EQ(At(bmp, x, y), (Rgb{s[0], s[1], s[2]})) << x << "," << y;
            ASSERT_EQ(AlphaAt(bmp, x, y), s[3]) << x << "," << y;
        }
    EXPECT_FALSE(list->GetBitmap32(1, &bmp));
    EXPECT_FALSE(list->GetBitmap32(-1, &bmp));
    EXPECT_FALSE(list->GetBitmap32(0, nullptr));
}

TEST_F(AlphaImageListTest, PngOfAnotherSizeIsScaledToTheBitmap)
{
    struct Case {
        const char* name;
        int w, h;
        int tolerance; // the resampler's weights sum to 1.0 within a step per pass
    } cases[] = {
        {"Enlarged", 8, 8, 2},
        {"Shrunk", 32, 32, 2},
        {"OneColumnIsCopied", 1, 8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ListPtr list = NewList(16, 16);
        AddItem(*list, MakeUniformPng(c.w, c.h, 40, 150, 220, 180));
        list->GenerateStdList();
        TBitmap bmp;
        bmp.SetSize(16, 16);
        ASSERT_TRUE(list->GetBitmap32(0, &bmp));
        ASSERT_EQ(bmp.PixelFormat(), pf32bit);
        ASSERT_EQ(bmp.Width(), 16);
        for (int y : {0, 7, 15})
            for (int x : {0, 9, 15}) {
                const Rgb p = At(bmp, x, y);
                EXPECT_LE(std::abs(p.r - 40), c.tolerance);
                EXPECT_LE(std::abs(p.g - 150), c.tolerance);
                EXPECT_LE(std::abs(p.b - 220), c.tolerance);
                EXPECT_LE(std::abs(AlphaAt(bmp, x, y) - 180), c.tolerance);
            }
        TBitmap none;
        EXPECT_FALSE(list->GetBitmap32(0, &none)) << "nothing to scale to";
    }
}

TEST_F(AlphaImageListTest, RgbItemGetsAlphaFromItsBottomLeftColour)
{
    std::vector<uint8_t> s;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            s.insert(s.end(), {0, static_cast<uint8_t>(x < 4 ? 255 : 0), static_cast<uint8_t>(x < 4 ? 0 : 255)});
    ListPtr list = NewList(16, 16);
    AddItem(*list, MakeSmallPng(16, 16, 2, s));
    list->GenerateStdList();
    TBitmap bmp;
    ASSERT_TRUE(list->GetBitmap32(0, &bmp));
    ASSERT_EQ(bmp.PixelFormat(), pf32bit);
    EXPECT_EQ(AlphaAt(bmp, 0, 15), 0);
    EXPECT_EQ(AlphaAt(bmp, 3, 0), 0);
    EXPECT_EQ(AlphaAt(bmp, 4, 15), 255);
    EXPECT_EQ(At(bmp, 4, 15), (Rgb{0, 0, 255}));
}

TEST_F(AlphaImageListTest, IconItemsAddTheirImages)
{
    ks::test::IcoBuilder ico;
    ks::test::IcoImage image;
    image.pixel = 0xFF0000FF; // BGRA bytes FF 00 00 FF: opaque blue
    ico.images = {image};
    ListPtr list = NewList(16, 16);
    AddItem(*list, MakeUniformPng(16, 16, 255, 0, 0, 255));
    AddItem(*list, ico.Build(), ifICO);
    list->GenerateStdList();
    ASSERT_EQ(list->Count(), 2);
    TBitmap bmp;
    ASSERT_TRUE(list->GetBitmap32(1, &bmp));
    EXPECT_EQ(At(bmp, 5, 5), (Rgb{0, 0, 255}));
    EXPECT_EQ(AlphaAt(bmp, 5, 5), 255);
}

TEST_F(AlphaImageListTest, ImagesAddedDirectlyGetAlphaOnlyWhenTheyHaveNone)
{
    ListPtr list = NewList(16, 16);
    AddItem(*list, MakeUniformPng(16, 16, 1, 2, 3, 255));
    list->GenerateStdList();

    TBitmap keyed;
    Fill(keyed, pf24bit, 16, 16, {0, 128, 0});
    for (int x = 0; x < 16; ++x) { // a magenta row in the middle
        uint8_t* p = keyed.ScanLine(8) + 3 * x;
        p[0] = 0xFF;
        p[1] = 0;
        p[2] = 0xFF;
    }
    EXPECT_EQ(list->Add(keyed, nullptr), 1);
    TBitmap bmp;
    ASSERT_TRUE(list->GetBitmap32(1, &bmp));
    EXPECT_EQ(AlphaAt(bmp, 3, 8), 0);
    EXPECT_EQ(AlphaAt(bmp, 3, 7), 255);
    EXPECT_EQ(At(bmp, 3, 7), (Rgb{0, 128, 0}));

    TBitmap faint;
    Fill(faint, pf32bit, 16, 16, {0, 0, 200}, 0);
    faint.ScanLine(4)[4 * 4 + 3] = 1; // one pixel of alpha 1 is alpha enough
    EXPECT_EQ(list->Add(faint, nullptr), 2);
    ASSERT_TRUE(list->GetBitmap32(2, &bmp));
    EXPECT_EQ(AlphaAt(bmp, 4, 4), 1);
    EXPECT_EQ(AlphaAt(bmp, 5, 4), 0);
    EXPECT_EQ(list->Count(), 3);
}

TEST_F(AlphaImageListTest, DrawsOneGlyphCellBlendedIntoABitmap)
{
    const Rgb ground{90, 90, 90};
    const Rgb cells[3] = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}};
    ListPtr list = NewList(48, 16);
    AddItem(*list, ThreeCells());
    list->GenerateStdList();
    struct Case {
        const char* name;
        int current, count, transparency;
        int cell, width, alpha;
    } cases[] = {
        {"LastOfThree", 1, 3, 0, 1, 16, 255},
        {"PastTheLastIsTheLast", 5, 3, 0, 2, 16, 255},
        {"NegativeIsTheFirst", -2, 3, 0, 0, 16, 255},
        {"NoCountIsOneCell", 0, 0, 0, 0, 48, 255},
        {"HalfTransparent", 2, 3, 50, 2, 16, 255 * 50 / 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap dst;
        Fill(dst, pf24bit, 60, 20, ground);
        const TSize size =
            DrawAlphaImgList(list.get(), dst, 2, 3, 0, c.transparency, clNone, c.current, c.count, false);
        EXPECT_EQ(size, (TSize{c.width, 16}));
        const auto drawn = [&](int cell) { return Blend(cells[cell], ground, c.alpha); };
        EXPECT_EQ(At(dst, 2, 3), drawn(c.cell));
        EXPECT_EQ(At(dst, 1 + c.width, 18), drawn(c.cell + (c.width - 1) / 16));
        EXPECT_EQ(At(dst, 2 + c.width, 3), ground);
        EXPECT_EQ(At(dst, 2, 19), ground);
    }
}

TEST_F(AlphaImageListTest, DrawsOntoADeviceContextWithReflectionInsideHalfTheHeight)
{
    const Rgb ground{90, 90, 90};
    ListPtr list = NewList(16, 16);
    AddItem(*list, MakeUniformPng(16, 16, 0, 0, 250, 255));
    list->GenerateStdList();
    TBitmap dst;
    Fill(dst, pf24bit, 20, 40, ground);
    DrawAlphaImgListDC(list.get(), dst.Canvas().Handle(), 2, 1, 0, 0, clNone, 0, 1, true);
    const Rgb blue{0, 0, 250};
    EXPECT_EQ(At(dst, 2, 16), Blend(blue, ground, 255));
    EXPECT_EQ(At(dst, 2, 17), ground) << "the row right below the image";
    EXPECT_EQ(At(dst, 2, 18), Blend(blue, ground, 85));
    EXPECT_EQ(At(dst, 2, 24), Blend(blue, ground, 85 * (255 - 6 * 31) / 255));
    EXPECT_EQ(At(dst, 2, 25), ground) << "the work bitmap is 16 + 8 rows high";
    EXPECT_EQ(At(dst, 1, 10), ground);
}

TEST_F(AlphaImageListTest, OtherImageListsDrawThemselves)
{
    ListPtr host(Create<TsAlphaImageList>(nullptr)); // an owner for the plain list
    TImageList* plain = Create<TImageList>(host.get());
    TBitmap red;
    Fill(red, pf24bit, 16, 16, {220, 0, 0});
    TBitmap mask;
    Fill(mask, pf24bit, 16, 16, {0, 0, 0});
    ASSERT_EQ(plain->Add(red, &mask), 0);
    TBitmap dst;
    Fill(dst, pf24bit, 40, 20, {90, 90, 90});
    EXPECT_EQ(DrawAlphaImgList(plain, dst, 4, 2, 0, 0, clNone, 0, 1, false), (TSize{16, 16}));
    EXPECT_EQ(At(dst, 4, 2), (Rgb{220, 0, 0}));
    EXPECT_EQ(At(dst, 19, 17), (Rgb{220, 0, 0}));
    EXPECT_EQ(At(dst, 20, 2), (Rgb{90, 90, 90}));
}

TEST_F(AlphaImageListTest, CorruptItemRaisesAndLeavesTheListAsItWas)
{
    ListPtr list = NewList(16, 16);
    AddItem(*list, MakeUniformPng(16, 16, 1, 2, 3, 255));
    list->GenerateStdList();
    std::vector<uint8_t> bad = MakeUniformPng(16, 16, 1, 2, 3, 255);
    bad[20] ^= 1; // inside IHDR: its CRC no longer matches
    AddItem(*list, bad);
    EXPECT_THROW(list->GenerateStdList(), EInvalidGraphic);
    EXPECT_EQ(list->Count(), 1);

    TBitmap dst;
    Fill(dst, pf24bit, 20, 20, {90, 90, 90});
    list->Items()->Delete(0);
    EXPECT_EQ(DrawAlphaImgList(list.get(), dst, 0, 0, 0, 0, clNone, 0, 1, false), (TSize{16, 16}));
    EXPECT_EQ(At(dst, 0, 0), (Rgb{90, 90, 90})) << "a glyph that does not decode is not drawn";

    // The list still follows its changes afterwards.
    list->Items()->Clear();
    TBitmap keyed;
    Fill(keyed, pf24bit, 16, 16, {255, 0, 255});
    list->Add(keyed, nullptr);
    TBitmap bmp;
    ASSERT_TRUE(list->GetBitmap32(1, &bmp));
    EXPECT_EQ(AlphaAt(bmp, 0, 0), 0);
}

TEST_F(AlphaImageListTest, ItemsStreamThroughFormResourcesUnchanged)
{
    ks::test::IcoBuilder ico;
    ico.images = {ks::test::IcoImage{}};
    const std::vector<uint8_t> png = ThreeCells();
    const std::vector<uint8_t> icon = ico.Build();

    ListPtr root(Create<TsAlphaImageList>(nullptr)); // any component can be the root
    TsAlphaImageList* list = Create<TsAlphaImageList>(root.get());
    list->SetName("Glyphs");
    list->SetWidth(48);
    AddItem(*list, png);
    AddItem(*list, icon, ifICO);
    list->Items()->Items(1)->SetPixelFormat(pf24bit);
    const std::vector<uint8_t> resource = WriteRootComponent(*root);

    ListPtr readRoot(Create<TsAlphaImageList>(nullptr));
    ReadRootComponent(resource, *readRoot);
    auto* read = dynamic_cast<TsAlphaImageList*>(readRoot->FindComponent("Glyphs"));
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->Items()->Count(), 2);
    EXPECT_EQ(Bytes(*read->Items()->Items(0)), png);
    EXPECT_EQ(Bytes(*read->Items()->Items(1)), icon);
    EXPECT_EQ(read->Items()->Items(0)->ImageFormat(), ifPNG);
    EXPECT_EQ(read->Items()->Items(1)->ImageFormat(), ifICO);
    EXPECT_EQ(read->Items()->Items(1)->PixelFormat(), pf24bit);
    EXPECT_EQ(read->Width(), 48);
    EXPECT_TRUE(read->ItemsApplied()) << "loading builds the system list";
    EXPECT_EQ(read->Count(), 2);
    EXPECT_EQ(WriteRootComponent(*readRoot), resource);
}

TEST_F(AlphaImageListTest, AssignCopiesSettingsItemsAndBackground)
{
    struct Case {
        const char* name;
        TColor bk;
    } cases[] = {{"None", clNone}, {"Default", clDefault}, {"Red", clRed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ListPtr source = NewList(48, 16);
        AddItem(*source, ThreeCells());
        AddItem(*source, MakeUniformPng(48, 16, 5, 5, 5, 255));
        source->GenerateStdList();
        source->SetBkColor(c.bk);
        source->SetDrawingStyle(dsTransparent);

        ListPtr target = NewList(16, 16);
        AddItem(*target, MakeUniformPng(16, 16, 9, 9, 9, 255));
        target->GenerateStdList();
        target->Assign(source.get());
        EXPECT_EQ(target->Width(), 48);
        EXPECT_EQ(target->Height(), 16);
        EXPECT_EQ(target->BkColor(), c.bk);
        EXPECT_EQ(target->DrawingStyle(), dsTransparent);
        ASSERT_EQ(target->Items()->Count(), 2);
        EXPECT_EQ(Bytes(*target->Items()->Items(0)), Bytes(*source->Items()->Items(0)));
        EXPECT_EQ(target->Count(), 2);
        TBitmap bmp;
        ASSERT_TRUE(target->GetBitmap32(0, &bmp));
        EXPECT_EQ(At(bmp, 40, 3), (Rgb{0, 0, 200}));
    }
    ListPtr list = NewList(16, 16);
    list->Assign(nullptr);
    EXPECT_FALSE(list->HandleAllocated());
}

std::span<const uint8_t> GlyphResource(const wchar_t* name)
{
    static const std::vector<uint8_t> file = ThreeCells();
    return std::wstring_view(name) == L"SC" ? std::span<const uint8_t>{} : std::span<const uint8_t>(file);
}

std::span<const uint8_t> AllGlyphResources(const wchar_t*)
{
    static const std::vector<uint8_t> file = ThreeCells();
    return file;
}

TEST_F(AlphaImageListTest, EngineGlyphsLoadFromProgramResources)
{
    ks::Sys().FindFormResource = &AllGlyphResources;
    ListPtr glyphs(LoadEngineGlyphs(nullptr));
    EXPECT_EQ(glyphs->Width(), 48);
    EXPECT_EQ(glyphs->Height(), 16);
    EXPECT_EQ(glyphs->Count(), 5);

    ks::Sys().FindFormResource = &GlyphResource;
    EXPECT_THROW(LoadEngineGlyphs(nullptr), EResNotFound);
}

} // namespace
