#include "skin/images/acAlphaImageList.h"

#include "host/support/ImageBuilders.h"
#include "host/support/SmallPng.h"
#include "skin/images/acPNG.h"
#include "vcl/FormStreaming.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "win/support/VclFixture.h"

#include "win/skin/images/ImageChecks.h"

#include <gtest/gtest.h>

#include <initguid.h>

#include <commoncontrols.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using ks::test::At;
using ks::test::Blend;

using ks::test::MakeSmallPng;
using ks::test::MakeUniformPng;

// Every test also leaves the count of system image lists where it found it.
class AlphaImageListTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        FLists = ks::UniqueImageList::Live();
        InitializeAcAlphaImageList();
    }
    void TearDown() override
    {
        ks::ResetSys();
        EXPECT_EQ(ks::UniqueImageList::Live(), FLists);
        VclFixture::TearDown();
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

// A list of one PNG item, its system list built.
ListPtr ListWith(int w, int h, const std::vector<uint8_t>& png)
{
    ListPtr list = NewList(w, h);
    AddItem(*list, png);
    list->GenerateStdList();
    return list;
}

std::vector<uint8_t> Bytes(TsImgListItem& item)
{
    const auto b = item.ImgData().Bytes();
    return {b.begin(), b.end()};
}

uint8_t AlphaAt(TBitmap& b, int x, int y)
{
    return b.ScanLine(y)[4 * x + 3];
}

void Fill(TBitmap& b, TPixelFormat format, int w, int h, uint32_t rgb, uint8_t alpha = 0)
{
    b.SetPixelFormat(format);
    b.SetSize(w, h);
    const int bytes = format == pf32bit ? 4 : 3;
    const uint8_t px[4] = {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16), alpha};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            std::memcpy(b.ScanLine(y) + bytes * x, px, static_cast<size_t>(bytes));
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
    ListPtr list = ListWith(16, 16, MakeSmallPng(16, 16, 6, samples));
    EXPECT_EQ(list->Count(), 1);
    TBitmap bmp;
    ASSERT_TRUE(list->GetBitmap32(0, &bmp));
    ASSERT_EQ(bmp.PixelFormat(), pf32bit);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint8_t* s = &samples[4 * (16 * y + x)];
            ASSERT_EQ(At(bmp, x, y), uint32_t(s[0] << 16 | s[1] << 8 | s[2])) << x << "," << y;
            ASSERT_EQ(AlphaAt(bmp, x, y), s[3]) << x << "," << y;
        }
    EXPECT_FALSE(list->GetBitmap32(1, &bmp));
    EXPECT_FALSE(list->GetBitmap32(-1, &bmp));
    EXPECT_FALSE(list->GetBitmap32(0, nullptr));
}

// The resampling is the pixel layer's (host tests); here the picture reaches the bitmap's size,
// a single column (which the resampler refuses) is copied, and a bitmap of no size is refused.
TEST_F(AlphaImageListTest, PngOfAnotherSizeIsScaledToTheBitmap)
{
    for (const TSize size : {TSize{8, 8}, TSize{1, 8}}) {
        SCOPED_TRACE(size.cx);
        ListPtr list = ListWith(16, 16, MakeUniformPng(size.cx, size.cy, 40, 150, 220, 255));
        TBitmap bmp;
        bmp.SetSize(16, 16);
        ASSERT_TRUE(list->GetBitmap32(0, &bmp));
        ASSERT_EQ(bmp.PixelFormat(), pf32bit);
        EXPECT_EQ(At(bmp, 15, 15), 0x2896DCu);
        EXPECT_EQ(AlphaAt(bmp, 15, 15), 255);
        TBitmap none;
        EXPECT_FALSE(list->GetBitmap32(0, &none));
    }
}

TEST_F(AlphaImageListTest, RgbItemGetsAlphaFromItsBottomLeftColour)
{
    std::vector<uint8_t> s;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            s.insert(s.end(), {0, static_cast<uint8_t>(x < 4 ? 255 : 0), static_cast<uint8_t>(x < 4 ? 0 : 255)});
    ListPtr list = ListWith(16, 16, MakeSmallPng(16, 16, 2, s));
    TBitmap bmp;
    ASSERT_TRUE(list->GetBitmap32(0, &bmp));
    EXPECT_EQ(AlphaAt(bmp, 3, 0), 0);
    EXPECT_EQ(AlphaAt(bmp, 4, 15), 255);
    EXPECT_EQ(At(bmp, 4, 15), 0x0000FFu);
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
    EXPECT_EQ(At(bmp, 5, 5), 0x0000FFu);
    EXPECT_EQ(AlphaAt(bmp, 5, 5), 255);
}

TEST_F(AlphaImageListTest, ImagesAddedDirectlyGetAlphaOnlyWhenTheyHaveNone)
{
    ListPtr list = ListWith(16, 16, MakeUniformPng(16, 16, 1, 2, 3, 255));
    TBitmap keyed;
    Fill(keyed, pf24bit, 16, 16, 0x008000);
    for (int x = 0; x < 16; ++x) // a magenta row in the middle
        std::memcpy(keyed.ScanLine(8) + 3 * x, "\xFF\x00\xFF", 3);
    EXPECT_EQ(list->Add(keyed, nullptr), 1);
    TBitmap bmp;
    ASSERT_TRUE(list->GetBitmap32(1, &bmp));
    EXPECT_EQ(AlphaAt(bmp, 3, 8), 0);
    EXPECT_EQ(AlphaAt(bmp, 3, 7), 255);
    EXPECT_EQ(At(bmp, 3, 7), 0x008000u);

    TBitmap faint;
    Fill(faint, pf32bit, 16, 16, 0x0000C8, 0);
    faint.ScanLine(4)[4 * 4 + 3] = 1; // one pixel of alpha 1 is alpha enough
    EXPECT_EQ(list->Add(faint, nullptr), 2);
    ASSERT_TRUE(list->GetBitmap32(2, &bmp));
    EXPECT_EQ(AlphaAt(bmp, 4, 4), 1);
    EXPECT_EQ(AlphaAt(bmp, 5, 4), 0);
}

TEST_F(AlphaImageListTest, DrawsOneGlyphCellBlendedIntoABitmap)
{
    const uint32_t ground = 0x5A5A5A;
    const uint32_t cells[3] = {0xC80000, 0x00C800, 0x0000C8};
    ListPtr list = ListWith(48, 16, ThreeCells());
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
        EXPECT_EQ(At(dst, 2, 3), Blend(cells[c.cell], ground, c.alpha));
        EXPECT_EQ(At(dst, 1 + c.width, 18), Blend(cells[c.cell + (c.width - 1) / 16], ground, c.alpha));
        EXPECT_EQ(At(dst, 2 + c.width, 3), ground);
        EXPECT_EQ(At(dst, 2, 19), ground);
    }
}

// The reflection's fading is the pixel layer's (host tests); here it lands below a gap row.
TEST_F(AlphaImageListTest, DrawsOntoADeviceContextWithReflectionInsideHalfTheHeight)
{
    const uint32_t ground = 0x5A5A5A, blue = 0x0000FA;
    ListPtr list = ListWith(16, 16, MakeUniformPng(16, 16, 0, 0, 250, 255));
    TBitmap dst;
    Fill(dst, pf24bit, 20, 40, ground);
    DrawAlphaImgListDC(list.get(), dst.Canvas().Handle(), 2, 1, 0, 0, clNone, 0, 1, true);
    EXPECT_EQ(At(dst, 2, 16), Blend(blue, ground, 255));
    EXPECT_EQ(At(dst, 2, 17), ground) << "the row right below the image";
    EXPECT_EQ(At(dst, 2, 18), Blend(blue, ground, 85));
    EXPECT_EQ(At(dst, 2, 25), ground) << "the work bitmap is 16 + 8 rows high";
    EXPECT_EQ(At(dst, 1, 10), ground);
}

TEST_F(AlphaImageListTest, OtherImageListsDrawThemselves)
{
    ListPtr host(Create<TsAlphaImageList>(nullptr)); // an owner for the plain list
    TImageList* plain = Create<TImageList>(host.get());
    TBitmap red, mask, dst;
    Fill(red, pf24bit, 16, 16, 0xDC0000);
    Fill(mask, pf24bit, 16, 16, 0);
    ASSERT_EQ(plain->Add(red, &mask), 0);
    Fill(dst, pf24bit, 40, 20, 0x5A5A5A);
    EXPECT_EQ(DrawAlphaImgList(plain, dst, 4, 2, 0, 0, clNone, 0, 1, false), (TSize{16, 16}));
    EXPECT_EQ(At(dst, 19, 17), 0xDC0000u);
    EXPECT_EQ(At(dst, 20, 2), 0x5A5A5Au);
}

TEST_F(AlphaImageListTest, CorruptItemRaisesAndLeavesTheListAsItWas)
{
    ListPtr list = ListWith(16, 16, MakeUniformPng(16, 16, 1, 2, 3, 255));
    std::vector<uint8_t> bad = MakeUniformPng(16, 16, 1, 2, 3, 255);
    bad[20] ^= 1; // inside IHDR: its CRC no longer matches
    AddItem(*list, bad);
    EXPECT_THROW(list->GenerateStdList(), EInvalidGraphic);
    EXPECT_EQ(list->Count(), 1);

    TBitmap dst;
    Fill(dst, pf24bit, 20, 20, 0x5A5A5A);
    list->Items()->Delete(0);
    EXPECT_EQ(DrawAlphaImgList(list.get(), dst, 0, 0, 0, 0, clNone, 0, 1, false), (TSize{16, 16}));
    EXPECT_EQ(At(dst, 0, 0), 0x5A5A5Au) << "a glyph that does not decode is not drawn";

    // The list still follows its changes afterwards.
    list->Items()->Clear();
    TBitmap keyed;
    Fill(keyed, pf24bit, 16, 16, 0xFF00FF);
    list->Add(keyed, nullptr);
    TBitmap bmp;
    ASSERT_TRUE(list->GetBitmap32(1, &bmp));
    EXPECT_EQ(AlphaAt(bmp, 0, 0), 0);
}

// Written again, the read list gives the same resource: every property and item came back.
TEST_F(AlphaImageListTest, ItemsStreamThroughFormResourcesUnchanged)
{
    ks::test::IcoBuilder ico;
    ico.images = {ks::test::IcoImage{}};
    ListPtr root(Create<TsAlphaImageList>(nullptr)); // any component can be the root
    TsAlphaImageList* list = Create<TsAlphaImageList>(root.get());
    list->SetName("Glyphs");
    list->SetWidth(48);
    AddItem(*list, ThreeCells());
    AddItem(*list, ico.Build(), ifICO);
    list->Items()->Items(1)->SetPixelFormat(pf24bit);
    const std::vector<uint8_t> resource = WriteRootComponent(*root);

    ListPtr readRoot(Create<TsAlphaImageList>(nullptr));
    ReadRootComponent(resource, *readRoot);
    auto* read = dynamic_cast<TsAlphaImageList*>(readRoot->FindComponent("Glyphs"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Items()->Items(1)->ImageFormat(), ifICO);
    EXPECT_EQ(read->Count(), 2) << "loading builds the system list";
    EXPECT_EQ(WriteRootComponent(*readRoot), resource);
}

TEST_F(AlphaImageListTest, AssignCopiesSettingsItemsAndBackground)
{
    for (const TColor bk : {clNone, clDefault, clRed}) {
        SCOPED_TRACE(bk);
        ListPtr source = NewList(48, 16);
        AddItem(*source, ThreeCells());
        AddItem(*source, MakeUniformPng(48, 16, 5, 5, 5, 255));
        source->GenerateStdList();
        source->SetBkColor(bk);
        source->SetDrawingStyle(dsTransparent);

        ListPtr target = ListWith(16, 16, MakeUniformPng(16, 16, 9, 9, 9, 255));
        target->Assign(source.get());
        EXPECT_EQ(target->Width(), 48);
        EXPECT_EQ(target->BkColor(), bk);
        EXPECT_EQ(target->DrawingStyle(), dsTransparent);
        ASSERT_EQ(target->Items()->Count(), 2);
        EXPECT_EQ(Bytes(*target->Items()->Items(0)), Bytes(*source->Items()->Items(0)));
        EXPECT_EQ(target->Count(), 2);
        TBitmap bmp;
        ASSERT_TRUE(target->GetBitmap32(0, &bmp));
        EXPECT_EQ(At(bmp, 40, 3), 0x0000C8u);
    }
    ListPtr list = NewList(16, 16);
    list->Assign(nullptr);
    EXPECT_FALSE(list->HandleAllocated());
}

// The receiver makes its own system list even when it takes over the source's sharing, and
// destroys it: a reference of our own shows whether the last one went with the receiver.
TEST_F(AlphaImageListTest, AssignFromASharingListDestroysTheListItMakes)
{
    ListPtr source = ListWith(16, 16, MakeUniformPng(16, 16, 9, 9, 9, 255));
    source->SetShareImages(true);
    ListPtr target = NewList(16, 16);
    target->Assign(source.get());
    ASSERT_TRUE(target->ShareImages());
    // The import libraries lack it; comctl32 exports it by name.
    using Query = HRESULT(WINAPI*)(HIMAGELIST, REFIID, void**);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"comctl32.dll"), "HIMAGELIST_QueryInterface")));
    ASSERT_NE(query, nullptr);
    IImageList* reference = nullptr;
    ASSERT_EQ(query(target->Handle(), IID_IImageList, reinterpret_cast<void**>(&reference)), S_OK);
    target.reset();
    EXPECT_EQ(reference->Release(), 0u) << "the list made by Assign outlived its list";
}

// Every glyph resource, or every one but "SC".
bool withoutSC = false;
std::span<const uint8_t> GlyphResource(const wchar_t* name)
{
    static const std::vector<uint8_t> file = ThreeCells();
    return withoutSC && std::wstring_view(name) == L"SC" ? std::span<const uint8_t>{} : std::span<const uint8_t>(file);
}

TEST_F(AlphaImageListTest, EngineGlyphsLoadFromProgramResources)
{
    ks::Sys().FindFormResource = &GlyphResource;
    withoutSC = false;
    ListPtr glyphs(LoadEngineGlyphs(nullptr));
    EXPECT_EQ(glyphs->Width(), 48);
    EXPECT_EQ(glyphs->Height(), 16);
    EXPECT_EQ(glyphs->Count(), 5);
    withoutSC = true;
    EXPECT_THROW(LoadEngineGlyphs(nullptr), EResNotFound);
}

} // namespace
