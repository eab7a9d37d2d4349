#include "vcl/IcoReader.h"

#include "host/support/ImageBuilders.h"
#include "vcl/SysUtils.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using ks::IcoError;
using ks::test::IcoBuilder;
using ks::test::IcoImage;

std::vector<uint8_t> PngHeader(uint32_t w, uint32_t h)
{
    std::vector<uint8_t> v{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (uint32_t x : {w, h})
        for (int s = 24; s >= 0; s -= 8)
            v.push_back(static_cast<uint8_t>(x >> s));
    v.insert(v.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0}); // rest of IHDR and a CRC the reader leaves to the system
    return v;
}

IcoImage Dib(int size, uint16_t bpp)
{
    IcoImage i;
    i.width = i.height = size;
    i.bpp = bpp;
    return i;
}

IcoImage Png(std::vector<uint8_t> bytes)
{
    IcoImage i;
    i.png = std::move(bytes);
    return i;
}

ks::IcoEntry Entry(int size, int bpp)
{
    ks::IcoEntry e;
    e.width = e.height = size;
    e.bpp = bpp;
    return e;
}

TEST(IcoReader, DescribesEveryImageFromItsOwnHeader)
{
    IcoBuilder b;
    b.images = {Dib(16, 32), Dib(32, 8), Dib(48, 4), Png(PngHeader(256, 256))};
    std::vector<uint8_t> file = b.Build();
    file[6] = 99; // a careless directory width is not believed
    std::vector<ks::IcoEntry> e = ks::ReadIcoDirectory(file);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].width, 16);
    EXPECT_EQ(e[0].bpp, 32);
    EXPECT_EQ(e[0].offset, 6u + 4 * 16);
    EXPECT_EQ(e[0].size, 40u + 16 * 16 * 4 + 16 * 4);
    EXPECT_EQ(e[1].bpp, 8);
    EXPECT_EQ(e[1].size, 40u + 256 * 4 + 32 * 32 + 32 * 4);
    EXPECT_EQ(e[2].width, 48);
    EXPECT_FALSE(e[2].png);
    EXPECT_TRUE(e[3].png);
    EXPECT_EQ(e[3].width, 256);
    EXPECT_EQ(e[3].offset + e[3].size, file.size());
}

TEST(IcoReader, ChoosesNearestSizeThenDeepest)
{
    const std::vector<ks::IcoEntry> entries = {Entry(16, 32), Entry(32, 8), Entry(32, 32),
                                               Entry(48, 32), Entry(32, 32)};
    EXPECT_EQ(ks::ChooseIconEntry(entries, 32), 2u);
    EXPECT_EQ(ks::ChooseIconEntry(entries, 20), 0u);
    EXPECT_EQ(ks::ChooseIconEntry(entries, 64), 3u);
}

TEST(IcoReader, DefectsAreRefusedWithTheirReason)
{
    auto one = [](IcoImage img) {
        IcoBuilder b;
        b.images = {img};
        return b;
    };
    auto build = [](IcoBuilder b) { return b.Build(); };
    auto cut = [](std::vector<uint8_t> v, size_t n) {
        v.resize(n);
        return v;
    };
    auto patch = [](std::vector<uint8_t> v, size_t at, std::vector<uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), v.begin() + static_cast<ptrdiff_t>(at));
        return v;
    };
    const std::vector<uint8_t> good = build(one(IcoImage{}));
    constexpr size_t img = 6 + 16; // the single image's header begins here

    IcoBuilder reserved = one(IcoImage{});
    reserved.reserved = 1;
    IcoBuilder cursor = one(IcoImage{});
    cursor.type = 2;
    IcoBuilder none;
    IcoBuilder tooMany = one(IcoImage{});
    tooMany.count = 257;
    IcoBuilder countBeyondData = one(IcoImage{});
    countBeyondData.count = 5;
    IcoBuilder inDirectory = one(IcoImage{});
    inDirectory.entryOverrides = {{0, {10, 100}}};
    IcoBuilder pastEnd = one(IcoImage{});
    pastEnd.entryOverrides = {{0, {img, 5000}}};
    IcoBuilder wraps = one(IcoImage{});
    wraps.entryOverrides = {{0, {0xFFFFFFF0u, 0x20}}};
    IcoBuilder sizeTooSmallForRows = one(IcoImage{});
    sizeTooSmallForRows.entryOverrides = {{0, {img, 40 + 16 * 16 * 4}}}; // mask rows left out

    struct Case {
        const char* name;
        std::vector<uint8_t> data;
        IcoError reason;
    } cases[] = {
        {"Empty", {}, IcoError::ShortRead},
        {"ReservedNotZero", build(reserved), IcoError::Header},
        {"CursorFile", build(cursor), IcoError::Header},
        {"NoImages", build(none), IcoError::Count},
        {"CountOverLimit", build(tooMany), IcoError::Count},
        {"DirectoryBeyondData", cut(build(countBeyondData), 6 + 16 * 3), IcoError::ShortRead},
        {"ImageInsideDirectory", build(inDirectory), IcoError::EntryBounds},
        {"ImagePastEnd", build(pastEnd), IcoError::EntryBounds},
        {"OffsetPlusSizeWraps", build(wraps), IcoError::EntryBounds},
        {"RowsBeyondEntry", build(sizeTooSmallForRows), IcoError::ImageHeader},
        {"HeaderSize12", patch(good, img, {12, 0, 0, 0}), IcoError::ImageHeader},
        {"ZeroWidth", patch(good, img + 4, {0, 0, 0, 0}), IcoError::ImageHeader},
        {"OddDoubleHeight", patch(good, img + 8, {31, 0, 0, 0}), IcoError::ImageHeader},
        {"NegativeHeight", patch(good, img + 8, {0xE0, 0xFF, 0xFF, 0xFF}), IcoError::ImageHeader},
        {"TwoPlanes", patch(good, img + 12, {2, 0}), IcoError::ImageHeader},
        {"SixteenBits", patch(good, img + 14, {16, 0}), IcoError::ImageHeader},
        {"Compressed", patch(good, img + 16, {3}), IcoError::ImageHeader},
        {"HugeDib", patch(good, img + 4, {0, 0, 0, 0x40, 0, 0, 0, 0x40}), IcoError::TooLarge},
        {"HugePng", build(one(Png(PngHeader(5000, 5000)))), IcoError::TooLarge},
        {"PngWithoutHeaderChunk", build(one(Png(patch(PngHeader(16, 16), 12, {'I', 'D', 'A', 'T'})))),
         IcoError::ImageHeader},
        {"PngCut", build(one(Png(cut(PngHeader(16, 16), 20)))), IcoError::ImageHeader},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ks::ReadIcoDirectory(c.data);
            ADD_FAILURE() << "accepted";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Reason(), static_cast<int>(c.reason)) << e.Message();
        }
    }
}

} // namespace
