#include "skin/pixels/MaskedPixels.h"

#include "host/support/PixelImage.h"
#include "skin/core/sConst.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>
#include <string>

namespace {

using Image = ks::test::PixelImage;

bool Inside(const ks::PixelView& v, int64_t x, int64_t y)
{
    return x >= 0 && y >= 0 && x < v.width && y < v.height;
}

bool IsKeyColour(const uint8_t* p) { return p[0] == 0xFF && p[1] == 0 && p[2] == 0xFF; }

// Both blends written the other way round: the picture weighted by what the mask (or alpha)
// leaves of 256, then rounded down.
uint8_t Through(int picture, int below, int mask)
{
    return static_cast<uint8_t>(std::floor((picture * (256.0 - mask) + below * mask) / 256.0));
}

void SprinkleKey(Image& img, std::mt19937& rng)
{
    for (int y = 0; y < img.View().height; ++y)
        for (int x = 0; x < img.View().width; ++x)
            switch (rng() % 4) {
            case 0: std::memcpy(img.At(x, y), "\xFF\x00\xFF", 3); break;
            case 1: img.At(x, y)[img.Bytes() - 1] = 0; break; // alpha 0 on 32-bit images
            default: break;
            }
}

// The pieces both rectangles share, pixel by pixel: (i, j) of the rectangles where the source
// and destination pixels lie inside their images.
struct Spot {
    int sx, sy, dx, dy;
};

std::vector<Spot> Spots(const Image& dst, const TRect& dr, const Image& src, const TRect& sr)
{
    std::vector<Spot> out;
    const int64_t cols = std::min(int64_t{dr.Right} - dr.Left, int64_t{sr.Right} - sr.Left);
    const int64_t rows = std::min(int64_t{dr.Bottom} - dr.Top, int64_t{sr.Bottom} - sr.Top);
    for (int64_t j = 0; j < rows; ++j)
        for (int64_t i = 0; i < cols; ++i) {
            const int64_t sx = sr.Left + i, sy = sr.Top + j, dx = dr.Left + i, dy = dr.Top + j;
            if (Inside(src.View(), sx, sy) && Inside(dst.View(), dx, dy))
                out.push_back({int(sx), int(sy), int(dx), int(dy)});
        }
    return out;
}

// The three piece painters against per-pixel models on one random scene each round.
TEST(MaskedPixels, PiecesMatchThePerPixelReference)
{
    for (unsigned seed = 0; seed < 600; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        const int dstBpp = seed % 2 ? 24 : 32, srcBpp = seed % 5 < 3 ? 24 : 32;
        Image dst(between(1, 12), between(1, 12), dstBpp, seed % 3 == 0);
        Image src(between(1, 10), between(1, 12), srcBpp, seed % 7 < 3, 3);
        Image back(between(1, 14), between(1, 14), seed % 4 < 2 ? 24 : 32, seed % 4 == 0);
        for (Image* img : {&dst, &src, &back})
            img->Randomise(rng);
        SprinkleKey(src, rng);
        const TRect dr{between(-5, 10), between(-5, 10), between(-3, 15), between(-3, 15)};
        const TRect sr{between(-4, 8), between(-4, 8), between(-2, 12), between(-2, 12)};
        const ks::AlphaBackdrop backdrop{back.View(), between(-4, 4), between(-4, 4), rng() % 3 != 0, rng() % 2 == 0};
        const int offsets[] = {0, 1, 3, 50, -7, between(0, 11)};
        const int offset = offsets[seed % 6];
        const std::optional<TColor> fills[] = {0x102030, TransparentKeyColor, TColor(0x80405060), std::nullopt};
        const std::optional<TColor> fill = fills[seed % 4];
        const auto rowsFound = seed % 5 < 2 ? ks::MaskRows::Exact : ks::MaskRows::PulledIn;
        const bool paler = seed % 4 < 2;
        auto under = [&](int x, int y) -> const uint8_t* {
            const int bx = x + backdrop.dx, by = y + backdrop.dy;
            return Inside(back.View(), bx, by) ? back.At(bx, by) : nullptr;
        };
        auto put = [&](uint8_t* d, const uint8_t* c, int alpha) {
            std::memcpy(d, c, 3);
            if (dstBpp == 32 && alpha >= 0)
                d[3] = uint8_t(alpha);
        };

        Image wantAlpha = dst, wantMask = dst, wantRow = dst;
        const std::vector<Spot> spots = Spots(dst, dr, src, sr);
        const int height = src.View().height, half = height / 2;
        const bool alphaDraws = srcBpp == 32 || dstBpp == 24;
        const int first = spots.empty() ? 0 : spots.front().sy, rows = spots.empty() ? 0 : spots.back().sy - first + 1;
        const int maskTop = std::clamp(first + offset, 0, height - rows);
        for (const Spot& p : spots) {
            const uint8_t* sp = src.At(p.sx, p.sy);
            const bool key = IsKeyColour(sp);
            uint8_t mixed[3];
            // AlphaBlendPiece: a 24-bit source through the mask row half its height below.
            if (alphaDraws && !(srcBpp == 24 && p.sy + half >= height)) {
                uint8_t* d = wantAlpha.At(p.dx, p.dy);
                for (int c = 0; c < 3; ++c)
                    mixed[c] = srcBpp == 24 ? Through(sp[c], d[c], src.At(p.sx, p.sy + half)[c]) : Through(d[c], sp[c], sp[3]);
                const uint8_t* c = backdrop.ready && key ? (backdrop.use ? under(p.dx, p.dy) : nullptr) : mixed;
                if (c)
                    put(d, c, 255);
            }
            // MaskBlendPiece: mask rows from maskTop on, or each exactly offset rows below.
            uint8_t* d = wantMask.At(p.dx, p.dy);
            const int maskRow = rowsFound == ks::MaskRows::Exact ? (offset >= 1 ? p.sy + offset : height)
                                                                 : maskTop + p.sy - first;
            if (maskRow < height) {
                const uint8_t* m = src.At(p.sx, maskRow);
                for (int c = 0; c < 3; ++c)
                    mixed[c] = Through(sp[c], d[c], m[c]);
                const TColor f = fill.value_or(0);
                const uint8_t fillBytes[3] = {uint8_t(f >> 16), uint8_t(f >> 8), uint8_t(f)};
                if (!key || (backdrop.ready && !backdrop.use))
                    put(d, mixed, backdrop.ready && backdrop.use ? 255 : -1);
                else if (backdrop.ready && under(p.dx, p.dy))
                    put(d, under(p.dx, p.dy), 255);
                else if (!backdrop.ready && fill)
                    put(d, fillBytes, int(uint32_t(f) >> 24));
            }
            // DrawThroughMaskRow: offset rows below (never the picture itself), paler masks, keys kept.
            if (offset >= 1 && p.sy + offset < height && !key) {
                d = wantRow.At(p.dx, p.dy);
                for (int c = 0; c < 3; ++c)
                    mixed[c] = Through(sp[c], d[c], std::min(src.At(p.sx, p.sy + offset)[c] + (paler ? 100 : 0), 255));
                put(d, mixed, 255);
            }
        }
        Image alpha = dst, mask = dst, row = dst;
        const Image srcBefore = src;

        ks::AlphaBlendPiece(alpha.View(), dr, src.View(), sr, backdrop);
        ks::MaskBlendPiece(mask.View(), dr, src.View(), sr, offset, rowsFound, backdrop, fill);
        ks::DrawThroughMaskRow(row.View(), dr, src.View(), sr, offset, paler);

        ASSERT_EQ(alpha.Pixels(), wantAlpha.Pixels());
        ASSERT_EQ(mask.Pixels(), wantMask.Pixels());
        ASSERT_EQ(row.Pixels(), wantRow.Pixels());
        EXPECT_EQ(src.Pixels(), srcBefore.Pixels());
        EXPECT_TRUE(alpha.FencesIntact() && mask.FencesIntact() && row.FencesIntact());
    }
}

TEST(MaskedPixels, WholeImageMixesMatchTheReference)
{
    for (unsigned seed = 0; seed < 60; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        const int w = 1 + static_cast<int>(rng() % 9), h = 1 + static_cast<int>(rng() % 9);
        Image a(w, h, 24, seed % 2 == 0), b(w, h, 24, seed % 3 == 0), mask(w, h, 24, true);
        Image dst(w + static_cast<int>(rng() % 3), h + static_cast<int>(rng() % 3), 32, seed % 5 == 0);
        for (Image* img : {&a, &b, &mask, &dst})
            img->Randomise(rng);
        const auto alpha = static_cast<uint8_t>(rng());
        const auto color = static_cast<TColor>(rng() & 0xFFFFFF);
        const bool withMask = seed % 2 == 1;

        Image dst24(w, h, 24, seed % 2 == 1);
        dst24.Randomise(rng);
        const TRect r{static_cast<int>(rng() % 5) - 2, static_cast<int>(rng() % 5) - 2, static_cast<int>(rng() % 12),
                      static_cast<int>(rng() % 12)};
        const uint8_t tint[3] = {uint8_t(color >> 16), uint8_t(color >> 8), uint8_t(color)};
        Image wantMix = dst, wantTint = a, wantRect = dst24;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c) {
                    const int m = mask.At(x, y)[c];
                    wantMix.At(x, y)[c] = Through(b.At(x, y)[c], a.At(x, y)[c], withMask ? m : alpha);
                    wantTint.At(x, y)[c] = Through(tint[c], a.At(x, y)[c], m);
                    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom)
                        wantRect.At(x, y)[c] = Through(b.At(x, y)[c], dst24.At(x, y)[c], m);
                }

        ks::MixTo32(dst.View(), a.View(), b.View(), withMask ? &mask.View() : nullptr, alpha);
        ks::BlendRectByMask24(dst24.View(), b.View(), mask.View(), r);
        ks::TintByMask24(a.View(), mask.View(), color);

        EXPECT_EQ(dst.Pixels(), wantMix.Pixels()) << "alpha and what lies beyond a stay";
        EXPECT_EQ(dst24.Pixels(), wantRect.Pixels());
        EXPECT_EQ(a.Pixels(), wantTint.Pixels());
        EXPECT_TRUE(dst.FencesIntact());
        EXPECT_TRUE(dst24.FencesIntact());
    }
}

// Mask 255 keeps a byte not above the colour's and lowers one above it by exactly 1; mask 0
// gives the colour.
// The tiled blend against the tile by tile one it stands for: random pieces (key-coloured pixels
// among them) over areas reaching past the destination; where it declines (pieces or mask rows
// outside the image, pieces too wide, other depths) it must draw nothing.
TEST(MaskedPixels, TiledBlendsMatchTileByTile)
{
    for (int round = 0; round < 300; ++round) {
        const unsigned seed = static_cast<unsigned>(round);
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto between = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
        const int bpp = round % 10 == 9 ? 32 : 24;
        Image dst(between(1, 40), between(1, 30), bpp, round % 2 == 0);
        Image src(round % 7 == 6 ? 300 : between(1, 12), between(2, 16), 24, round % 3 == 0, 3);
        dst.Randomise(rng);
        src.Randomise(rng);
        const int sw = src.View().width, sh = src.View().height;
        for (int k = 0; k < sw * sh / 4; ++k)
            std::memcpy(src.At(between(0, sw - 1), between(0, sh - 1)), "\xFF\x00\xFF", 3);
        const int left = between(-1, sw - 1), top = between(-1, sh - 1);
        const TRect piece{left, top, between(left + 1, sw + 1), between(top + 1, sh)};
        // Mostly mask rows that lie in the image, as skins have them.
        const int maskOffset = round % 4 == 0 ? between(-2, sh) : between(-piece.Top, std::max(-piece.Top, sh - piece.Bottom));
        const TRect area{between(-8, 30), between(-8, 25), between(-8, 50), between(-8, 40)};
        const TColor fill = static_cast<TColor>(rng() & 0xFFFFFF);
        Image want = dst;
        const int w = piece.Right - piece.Left, h = piece.Bottom - piece.Top;
        for (int64_t x = area.Left; x < area.Right; x += w)
            for (int64_t y = area.Top; y < area.Bottom; y += h) {
                const TRect tile{int(x), int(y), int(std::min<int64_t>(x + w, area.Right)),
                                 int(std::min<int64_t>(y + h, area.Bottom))};
                ks::MaskBlendPiece(want.View(), tile, src.View(), piece, maskOffset, ks::MaskRows::PulledIn, {}, fill);
            }
        const std::vector<uint8_t> before = dst.Pixels();
        if (ks::MaskBlendTiled(dst.View(), area, src.View(), piece, maskOffset, fill))
            EXPECT_EQ(dst.Pixels(), want.Pixels());
        else
            EXPECT_EQ(dst.Pixels(), before);
        EXPECT_TRUE(dst.FencesIntact());
    }
}

TEST(MaskedPixels, TintThroughAMaskOfExtremes)
{
    Image img(3, 1, 24, true), mask(3, 1, 24, false);
    std::memcpy(img.At(0, 0), "\x10\x80\xF0\x10\x80\xF0\x10\x80\xF0", 9);
    std::memcpy(mask.At(0, 0), "\xFF\xFF\xFF\xFF\xFF\xFF\x00\x00\x00", 9);
    ks::TintByMask24(img.View(), mask.View(), ks::RgbColor(0x80, 0x80, 0x80));
    EXPECT_EQ(img.Pixels(), (std::vector<uint8_t>{0x10, 0x80, 0xEF, 0x10, 0x80, 0xEF, 0x80, 0x80, 0x80}));
}

// Views of other sizes or depths, hostile rectangles and mask rows out of reach change nothing
// outside what they may touch, and nothing at all where a size or depth does not fit.
TEST(MaskedPixels, BadInputStaysInside)
{
    Image a(4, 4, 24, true), b(4, 3, 24, false), d32(4, 4, 32, true), small(3, 4, 32, false), grey(4, 4, 8, true);
    std::mt19937 rng(7);
    for (Image* img : {&a, &b, &d32, &small, &grey})
        img->Randomise(rng);
    const Image a0 = a, d0 = d32, small0 = small;
    ks::TintByMask24(a.View(), b.View(), 0);                                     // mask of another size
    ks::TintByMask24(a.View(), grey.View(), 0);                                  // mask of another depth
    ks::MixTo32(d32.View(), a.View(), b.View(), nullptr, 9);                     // a and b of two sizes
    ks::MixTo32(small.View(), a.View(), a.View(), nullptr, 9);                   // destination smaller than a
    ks::MixTo32(d32.View(), a.View(), a.View(), &b.View(), 9);                   // mask of another size
    ks::MixTo32(a.View(), a.View(), a.View(), nullptr, 9);                       // destination of 24 bits
    ks::AlphaBlendPiece(d32.View(), {0, 0, 4, 4}, a.View(), {0, 0, 4, 4}, {});   // masked image into 32 bits
    ks::AlphaBlendPiece(a.View(), {0, 0, 4, 4}, grey.View(), {0, 0, 4, 4}, {});  // 8-bit source
    ks::AlphaBlendPiece(a.View(), {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, d32.View(), {INT_MAX, INT_MAX, INT_MIN, INT_MIN}, {});
    ks::BlendRectByMask24(a.View(), a.View(), a.View(), {INT_MAX, INT_MAX, INT_MIN, INT_MIN});
    EXPECT_EQ(a.Pixels(), a0.Pixels());
    EXPECT_EQ(d32.Pixels(), d0.Pixels());
    EXPECT_EQ(small.Pixels(), small0.Pixels());
    for (int height : {1, 2, 3, 7})
        for (int offset : {INT_MIN, -3, 0, 1, 5, INT_MAX}) {
            SCOPED_TRACE(std::to_string(height) + " rows, offset " + std::to_string(offset));
            Image dst(3, height, 24, true), src(3, height, 24, false);
            for (auto rows : {ks::MaskRows::PulledIn, ks::MaskRows::Exact})
                ks::MaskBlendPiece(dst.View(), {0, 0, 3, height}, src.View(), {INT_MIN, 0, INT_MAX, INT_MAX}, offset,
                                   rows, {}, 0);
            ks::DrawThroughMaskRow(dst.View(), {0, 0, 3, height}, src.View(), {0, 0, 3, height}, offset, true);
            ks::AlphaBlendPiece(dst.View(), {0, 0, 3, height}, src.View(), {0, 0, 3, height}, {});
            EXPECT_TRUE(dst.FencesIntact());
        }
}

} // namespace
