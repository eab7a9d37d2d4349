// The contact sheet of the internal skin: every section painted in every state (normal, hot,
// pressed, disabled, focused) at a small and a large size over a textured parent, gathered in one
// picture, <build>/contact-sheet.png, for people to look at. Each painting lands in a bitmap
// fenced with pure red around its rectangle, over a parent whose area behind it is fenced the
// same way; the skin and the parent's texture hold no red, so a fence pixel changed is a write
// outside the rectangle and a reddish pixel inside it is a read outside the area behind it.
#include "skin/core/CacheBitmaps.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/sSkinManager.h"

#include "win/support/InternalSkin.h"
#include "win/support/SheetPng.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr TColor Red = 0x0000FF;
constexpr uint8_t AlphaFence = 0x5A;
constexpr int ParentMargin = 6;
constexpr int Margin = 4;

// Dark blue stripes over a green checker: no red at all.
TColor ParentTexture(int x, int y)
{
    const int blue = ((x + y) / 4) % 2 == 0 ? 0x90 : 0x50;
    const int green = (x / 8 + y / 8) % 2 == 0 ? 0x48 : 0x20;
    return static_cast<TColor>(blue << 16 | green << 8);
}

uint8_t* PixelOf(TBitmap& b, int x, int y)
{
    return b.ScanLine(y) + x * (b.PixelFormat() == pf32bit ? 4 : 3);
}

void Put(TBitmap& b, int x, int y, TColor c, uint8_t alpha)
{
    uint8_t* p = PixelOf(b, x, y);
    p[0] = static_cast<uint8_t>(c >> 16);
    p[1] = static_cast<uint8_t>(c >> 8);
    p[2] = static_cast<uint8_t>(c);
    if (b.PixelFormat() == pf32bit)
        p[3] = alpha;
}

bool IsFence(TBitmap& b, int x, int y)
{
    const uint8_t* p = PixelOf(b, x, y);
    return p[0] == 0 && p[1] == 0 && p[2] == 0xFF && (b.PixelFormat() != pf32bit || p[3] == AlphaFence);
}

// Any mix of the skin's greys, greens and key colour with the parent's texture keeps red at
// most as strong as green or blue.
bool Reddish(TBitmap& b, int x, int y)
{
    const uint8_t* p = PixelOf(b, x, y);
    return p[2] > std::max(p[0], p[1]) + 2;
}

struct Column {
    const char* name;
    int state;
    bool disabled;
    bool focused;
};
constexpr Column Columns[] = {
    {"normal", 0, false, false}, {"hot", 1, false, false},     {"pressed", 2, false, false},
    {"disabled", 0, true, false}, {"focused", 1, false, true},
};
constexpr TSize Sizes[] = {{14, 10}, {90, 40}};

class ContactSheetTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        FManager = ks::test::NewInternalSkinManager();
    }
    void TearDown() override
    {
        FManager->Free();
        VclFixture::TearDown();
    }

    // Paints section index at the size in the column's state into a fenced bitmap of the format;
    // returns the painted rectangle's picture (24-bit), the column's finish applied, and notes
    // every fence fault in FFaults.
    // A hot control of section index at size with its glow image around it, over the texture,
    // as the glow shows it: the halo pulled in by the section's margin on each side.
    std::unique_ptr<TBitmap> PaintGlow(int index, int glowMask, TSize size)
    {
        const TsGeneralData& section = FManager->GeneralDataArray[static_cast<size_t>(index)];
        const TsMaskData& glow = FManager->MaskArray[static_cast<size_t>(glowMask)];
        const int m = section.GlowMargin;
        const TPoint at{glow.WL - m, glow.WT - m};
        auto picture = NewBitmap24(size.cx + glow.WL + glow.WR - 2 * m, size.cy + glow.WT + glow.WB - 2 * m);
        for (int y = 0; y < picture->Height(); ++y)
            for (int x = 0; x < picture->Width(); ++x)
                Put(*picture, x, y, ParentTexture(x, y), 255);
        PaintSkinImageRect(*picture, {0, 0, picture->Width(), picture->Height()}, false, NoBackgroundCacheInfo, glow, 0,
                           false);
        PaintSectionByIndex(index, section.SectionName, CacheInfoFromBitmap(picture.get(), 0, 0), true, 1,
                            {at.X, at.Y, at.X + size.cx, at.Y + size.cy}, at, picture.get(), FManager, -1, -1);
        GdiFlush();
        return picture;
    }

    std::unique_ptr<TBitmap> Paint(int index, const Column& column, TSize size, TPixelFormat format)
    {
        const TsGeneralData& section = FManager->GeneralDataArray[static_cast<size_t>(index)];
        auto parent = NewBitmap24(size.cx + 2 * ParentMargin, size.cy + 2 * ParentMargin);
        for (int y = 0; y < parent->Height(); ++y)
            for (int x = 0; x < parent->Width(); ++x) {
                const bool behind = x >= ParentMargin && y >= ParentMargin && x < ParentMargin + size.cx &&
                                    y < ParentMargin + size.cy;
                Put(*parent, x, y, behind ? ParentTexture(x - ParentMargin, y - ParentMargin) : Red, 255);
            }
        auto dst = format == pf32bit ? NewBitmap32(size.cx + 2 * Margin, size.cy + 2 * Margin)
                                     : NewBitmap24(size.cx + 2 * Margin, size.cy + 2 * Margin);
        for (int y = 0; y < dst->Height(); ++y)
            for (int x = 0; x < dst->Width(); ++x)
                Put(*dst, x, y, Red, AlphaFence);
        const TRect r{Margin, Margin, Margin + size.cx, Margin + size.cy};
        PaintSectionByIndex(index, section.SectionName, CacheInfoFromBitmap(parent.get(), 0, 0), true, column.state, r,
                            {ParentMargin, ParentMargin}, dst.get(), FManager, -1, -1);
        GdiFlush();

        int outside = 0, reddish = 0;
        for (int y = 0; y < dst->Height(); ++y)
            for (int x = 0; x < dst->Width(); ++x) {
                const bool inside = x >= r.Left && y >= r.Top && x < r.Right && y < r.Bottom;
                if (!inside && !IsFence(*dst, x, y))
                    ++outside;
                if (inside && Reddish(*dst, x, y))
                    ++reddish;
            }
        const std::string where = section.SectionName + " " + column.name + " " + std::to_string(size.cx) + "x" +
                                  std::to_string(size.cy) + (format == pf32bit ? " 32-bit" : " 24-bit");
        if (outside)
            FFaults.push_back(where + ": " + std::to_string(outside) + " pixels written outside the rectangle");
        if (reddish)
            FFaults.push_back(where + ": " + std::to_string(reddish) + " pixels read from outside the background");

        auto picture = NewBitmap24(size.cx, size.cy);
        BitBlt(picture->Canvas().Handle(), 0, 0, size.cx, size.cy, dst->Canvas().Handle(), Margin, Margin, SRCCOPY);
        if (column.disabled)
            ApplyDisabledLook(*picture, {dkBlended, dkGrayed}, nullptr,
                              CacheInfoFromBitmap(parent.get(), ParentMargin, ParentMargin), {0, 0});
        if (column.focused && section.ShowFocus)
            DrawFocusDots(picture->Canvas(), {2, 2, size.cx - 3, size.cy - 3});
        GdiFlush();
        return picture;
    }

    TsSkinManager* FManager = nullptr;
    std::vector<std::string> FFaults;
};

TEST_F(ContactSheetTest, EverySectionInEveryStateStaysInsideItsBitmaps)
{
    ASSERT_TRUE(FManager->SkinData.SkinActive) << "the internal skin did not load";
    const int sections = static_cast<int>(FManager->GeneralDataArray.size());
    ASSERT_GT(sections, 40);

    // Two blocks of rows side by side; each row: the name, then the five states small, then large.
    constexpr int labelWidth = 140, gap = 8, header = 18;
    const int rowHeight = Sizes[1].cy + gap;
    const int blockWidth = labelWidth + 5 * (Sizes[0].cx + gap) + 5 * (Sizes[1].cx + gap) + 2 * gap;
    // Then one row for each section that glows when hot, its control shown hot inside the halo.
    std::vector<std::pair<int, int>> glows;
    for (int index = 0; index < sections; ++index) {
        const TsGeneralData& section = FManager->GeneralDataArray[static_cast<size_t>(index)];
        const int mask = FManager->FindMaskOwnOnly(section.SectionName, "GLOW0");
        if (section.GlowCount >= 1 && FManager->MaskIndexValid(mask))
            glows.emplace_back(index, mask);
    }
    ASSERT_FALSE(glows.empty()) << "a section of the internal skin glows";
    const int rows = sections + static_cast<int>(glows.size());
    const int rowsPerBlock = (rows + 1) / 2;
    auto sheet = NewBitmap24(2 * blockWidth, header + rowsPerBlock * rowHeight + gap);
    const RECT all{0, 0, sheet->Width(), sheet->Height()};
    FillRect(sheet->Canvas().Handle(), &all, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
    for (int block = 0; block < 2; ++block) {
        int x = block * blockWidth + labelWidth;
        for (const TSize size : Sizes)
            for (const Column& column : Columns) {
                if (size.cx == Sizes[1].cx)
                    ks::test::DrawSheetLabel(*sheet, x, 2, column.name);
                x += size.cx + gap;
            }
    }

    for (int index = 0; index < sections; ++index) {
        const int left = (index / rowsPerBlock) * blockWidth, top = header + (index % rowsPerBlock) * rowHeight;
        ks::test::DrawSheetLabel(*sheet, left + gap, top + 2, FManager->GeneralDataArray[static_cast<size_t>(index)].SectionName);
        int x = left + labelWidth;
        for (const TSize size : Sizes)
            for (const Column& column : Columns) {
                auto picture = Paint(index, column, size, pf24bit);
                Paint(index, column, size, pf32bit);
                BitBlt(sheet->Canvas().Handle(), x, top, size.cx, size.cy, picture->Canvas().Handle(), 0, 0, SRCCOPY);
                x += size.cx + gap;
            }
    }
    for (size_t g = 0; g < glows.size(); ++g) {
        const int row = sections + static_cast<int>(g);
        const int left = (row / rowsPerBlock) * blockWidth, top = header + (row % rowsPerBlock) * rowHeight;
        const std::string& name = FManager->GeneralDataArray[static_cast<size_t>(glows[g].first)].SectionName;
        ks::test::DrawSheetLabel(*sheet, left + gap, top + 2, name + " glow");
        auto picture = PaintGlow(glows[g].first, glows[g].second, Sizes[1]);
        const int x = left + labelWidth + 5 * (Sizes[0].cx + gap) + Sizes[1].cx + gap;
        BitBlt(sheet->Canvas().Handle(), x, top, picture->Width(), picture->Height(), picture->Canvas().Handle(), 0, 0,
               SRCCOPY);
    }
    GdiFlush();
    for (const std::string& fault : FFaults)
        ADD_FAILURE() << fault;
    ks::test::WriteSheetPng(*sheet, std::string("Z:") + KS_BUILD_DIR + "/contact-sheet.png");
}

} // namespace
