#include "skin/pixels/MaskedPixels.h"


#include <algorithm>
#include <cstring>

namespace ks {
namespace {

bool Is(const PixelView& v, int bpp) noexcept
{
    return v.scan0 && v.width > 0 && v.height > 0 && v.bpp == bpp;
}

bool Is24Or32(const PixelView& v) noexcept { return Is(v, 24) || Is(v, 32); }

bool SameSize(const PixelView& a, const PixelView& b) noexcept
{
    return a.width == b.width && a.height == b.height;
}

bool IsKeyColour(const uint8_t* p) noexcept
{
    return p[0] == BlueOf(TransparentKeyColor) && p[1] == GreenOf(TransparentKeyColor) &&
           p[2] == RedOf(TransparentKeyColor);
}

void Put(uint8_t* d, const uint8_t* c) noexcept
{
    d[0] = c[0];
    d[1] = c[1];
    d[2] = c[2];
}

void MaskBlend(uint8_t* d, const uint8_t* s, const uint8_t* m) noexcept
{
    for (int c = 0; c < 3; ++c)
        d[c] = MaskBlendByte(s[c], d[c], m[c]);
}

} // namespace

void TintByMask24(const PixelView& v, const PixelView& mask, TColor color) noexcept
{
    if (!Is(v, 24) || !Is(mask, 24) || !SameSize(v, mask))
        return;
    const uint8_t tint[3] = {BlueOf(color), GreenOf(color), RedOf(color)};
    uint8_t* row = v.Row(0);
    const uint8_t* mrow = mask.Row(0);
    for (int y = 0; y < v.height; ++y, row += v.stride, mrow += mask.stride)
        for (int i = 0; i < 3 * v.width; ++i)
            row[i] = MaskBlendByte(tint[i % 3], row[i], mrow[i]);
}

void MixTo32(const PixelView& dst, const PixelView& a, const PixelView& b, const PixelView* mask,
             uint8_t alpha) noexcept
{
    if (!Is(dst, 32) || !Is(a, 24) || !Is(b, 24) || !SameSize(a, b) || dst.width < a.width ||
        dst.height < a.height)
        return;
    if (mask && (!Is(*mask, 24) || !SameSize(*mask, a)))
        return;
    const uint8_t* arow = a.Row(0);
    const uint8_t* brow = b.Row(0);
    uint8_t* drow = dst.Row(0);
    // One weight for the whole image is every frame of a cross-fade, which has 8 ms for it.
    if (!mask) {
        const MixLoop mix = SpecialisedMix();
        for (int y = 0; y < a.height; ++y, arow += a.stride, brow += b.stride, drow += dst.stride)
            mix(drow, arow, brow, a.width, alpha);
        return;
    }
    const uint8_t* mrow = mask->Row(0);
    for (int y = 0; y < a.height; ++y, arow += a.stride, brow += b.stride, drow += dst.stride, mrow += mask->stride)
        for (int x = 0; x < a.width; ++x)
            for (int c = 0; c < 3; ++c)
                drow[4 * x + c] = AlphaBlendByte(arow[3 * x + c], brow[3 * x + c], mrow[3 * x + c]);
}

void BlendRectByMask24(const PixelView& dst, const PixelView& src, const PixelView& mask, const TRect& r) noexcept
{
    if (!Is(dst, 24) || !Is(src, 24) || !Is(mask, 24))
        return;
    const TRect c = ClipToView(mask, ClipToView(src, ClipToView(dst, r)));
    if (c.Right <= c.Left || c.Bottom <= c.Top)
        return;
    const int n = 3 * (c.Right - c.Left);
    uint8_t* drow = dst.Row(c.Top) + 3 * c.Left;
    const uint8_t* srow = src.Row(c.Top) + 3 * c.Left;
    const uint8_t* mrow = mask.Row(c.Top) + 3 * c.Left;
    SpecialisedMaskBlend()(drow, dst.stride, srow, src.stride, mrow, mask.stride, static_cast<size_t>(n),
                           c.Bottom - c.Top);
}

void AlphaBlendPiece(const PixelView& dst, const TRect& dstRect, const PixelView& src, const TRect& srcRect,
                     const AlphaBackdrop& backdrop) noexcept
{
    const bool masked = Is(src, 24) && Is(dst, 24);
    if (!masked && !(Is(src, 32) && Is24Or32(dst)))
        return;
    Piece p = ClipPiece(dst, dstRect, src, srcRect);
    const int maskOffset = src.height / 2;
    // The mask row of the last row drawn must lie inside the image.
    if (masked)
        p.rows = std::min(p.rows, src.height - maskOffset - p.sy);
    if (p.Empty())
        return;
    const int db = dst.bpp / 8, sb = src.bpp / 8;
    const ptrdiff_t toMask = maskOffset * src.stride;
    const uint8_t* srow = src.Row(p.sy) + p.sx * sb;
    uint8_t* drow = dst.Row(p.dy) + p.dx * db;
    // Without a backdrop every pixel blends, and whole rows go to the specialised loops.
    if (!backdrop.ready && !PieceSharesMemory(dst, src, p)) {
        if (masked) {
            SpecialisedMaskBlend()(drow, dst.stride, srow, src.stride, srow + toMask, src.stride,
                                   static_cast<size_t>(3 * p.cols), p.rows);
        } else {
            SpecialisedAlphaBlend(32, dst.bpp)(drow, dst.stride, srow, src.stride, p.cols, p.rows);
        }
        return;
    }
    for (int y = 0; y < p.rows; ++y, srow += src.stride, drow += dst.stride) {
        const uint8_t* s = srow;
        uint8_t* d = drow;
        for (int x = 0; x < p.cols; ++x, s += sb, d += db) {
            if (backdrop.ready && IsKeyColour(s)) {
                const uint8_t* under = backdrop.use ? backdrop.Under(p.dx + x, p.dy + y) : nullptr;
                if (!under)
                    continue;
                Put(d, under);
            } else if (masked) {
                MaskBlend(d, s, s + toMask);
            } else {
                for (int c = 0; c < 3; ++c)
                    d[c] = AlphaBlendByte(s[c], d[c], s[3]);
            }
            if (db == 4)
                d[3] = 255;
        }
    }
}

void MaskBlendPiece(const PixelView& dst, const TRect& dstRect, const PixelView& src, const TRect& srcRect,
                    int maskOffset, MaskRows rows, const AlphaBackdrop& backdrop, std::optional<TColor> fill) noexcept
{
    if (!Is24Or32(dst) || !Is24Or32(src))
        return;
    Piece p = ClipPiece(dst, dstRect, src, srcRect);
    if (p.Empty())
        return;
    int64_t maskTop = int64_t{p.sy} + maskOffset;
    if (rows == MaskRows::PulledIn) {
        maskTop = std::clamp<int64_t>(maskTop, 0, src.height - p.rows);
    } else {
        if (maskOffset < 1)
            return;
        p.rows = static_cast<int>(std::min<int64_t>(p.rows, src.height - maskTop));
        if (p.Empty())
            return;
    }
    const bool fromBackdrop = backdrop.ready && backdrop.use;
    const bool fillKeys = !backdrop.ready && fill.has_value();
    const TColor fillColour = fill.value_or(0);
    const uint8_t fillBytes[3] = {BlueOf(fillColour), GreenOf(fillColour), RedOf(fillColour)};
    const auto fillAlpha = static_cast<uint8_t>(static_cast<uint32_t>(fillColour) >> 24);
    const int db = dst.bpp / 8, sb = src.bpp / 8;
    const uint8_t* srow = src.Row(p.sy) + p.sx * sb;
    const uint8_t* mrow = src.Row(static_cast<int>(maskTop)) + p.sx * sb;
    uint8_t* drow = dst.Row(p.dy) + p.dx * db;
    for (int y = 0; y < p.rows; ++y, srow += src.stride, mrow += src.stride, drow += dst.stride) {
        const uint8_t* s = srow;
        const uint8_t* m = mrow;
        uint8_t* d = drow;
        for (int x = 0; x < p.cols; ++x, s += sb, m += sb, d += db) {
            if (backdrop.ready && !backdrop.use) {
                MaskBlend(d, s, m);
            } else if (!IsKeyColour(s)) {
                MaskBlend(d, s, m);
                if (fromBackdrop && db == 4)
                    d[3] = 255;
            } else if (fromBackdrop) {
                const uint8_t* under = backdrop.Under(p.dx + x, p.dy + y);
                if (!under)
                    continue;
                Put(d, under);
                if (db == 4)
                    d[3] = 255;
            } else if (fillKeys) {
                Put(d, fillBytes);
                if (db == 4)
                    d[3] = fillAlpha;
            }
        }
    }
}

bool MaskBlendTiled(const PixelView& dst, const TRect& area, const PixelView& src, const TRect& piece, int maskOffset,
                    TColor fill) noexcept
{
    constexpr int64_t most = 256;
    const int64_t w = int64_t{piece.Right} - piece.Left, h = int64_t{piece.Bottom} - piece.Top;
    // A picture read while its own rows are written would not be what the tile by tile blend reads.
    if (!Is(dst, 24) || !Is(src, 24) || dst.scan0 == src.scan0 || w <= 0 || h <= 0 || w > most || piece.Left < 0 ||
        piece.Top < 0 || piece.Right > src.width || piece.Bottom > src.height ||
        int64_t{piece.Top} + maskOffset < 0 || int64_t{piece.Bottom} + maskOffset > src.height)
        return false;
    const TRect c = ClipToView(dst, area);
    if (c.Right <= c.Left || c.Bottom <= c.Top)
        return true;
    const uint8_t fillBytes[3] = {BlueOf(fill), GreenOf(fill), RedOf(fill)};
    // One row of pieces side by side, picture and mask, from the phase the clipped row starts at:
    // one piece's width read, then doubled up to as many whole pieces as fit the buffers, blended
    // a buffer's length at a time. The key-coloured pixels of the piece's row are listed once.
    const auto period = static_cast<int>(w);
    const int span = static_cast<int>(most / w * w);
    const auto phase = static_cast<int>((int64_t{c.Left} - area.Left) % w);
    uint8_t picture[3 * most], mask[3 * most];
    int keys[most];
    const int cols = c.Right - c.Left;
    const int run = std::min(cols, span);
    // The piece's row for the first row; then each row the next, wrapping (no 64-bit division
    // per row, a library call on 32-bit x86).
    auto row = static_cast<int>((int64_t{c.Top} - area.Top) % h);
    for (int y = c.Top; y < c.Bottom; ++y, row = row + 1 == h ? 0 : row + 1) {
        const int sy = piece.Top + row;
        const uint8_t* srow = src.Row(sy) + 3 * piece.Left;
        const uint8_t* mrow = src.Row(sy + maskOffset) + 3 * piece.Left;
        // The first piece pixel by pixel: the sides of a border are rows of a few pixels, too
        // short for block copies to pay.
        const int first = std::min(run, period);
        int keyCount = 0;
        for (int i = 0, sx = phase; i < first; ++i, sx = sx + 1 == period ? 0 : sx + 1) {
            std::memcpy(picture + 3 * i, srow + 3 * sx, 3);
            std::memcpy(mask + 3 * i, mrow + 3 * sx, 3);
            if (IsKeyColour(srow + 3 * sx))
                keys[keyCount++] = i;
        }
        for (int built = first; built < run;) {
            const int more = std::min(built, run - built);
            std::memcpy(picture + 3 * built, picture, static_cast<size_t>(3 * more));
            std::memcpy(mask + 3 * built, mask, static_cast<size_t>(3 * more));
            built += more;
        }
        uint8_t* d = dst.Row(y) + 3 * c.Left;
        for (int done = 0; done < cols; done += run, d += 3 * run) {
            const int n = std::min(run, cols - done);
            MaskBlendBytes(d, picture, mask, static_cast<size_t>(3 * n));
            for (int k = 0; k < keyCount; ++k)
                for (int i = keys[k]; i < n; i += period)
                    Put(d + 3 * i, fillBytes);
        }
    }
    return true;
}

void DrawThroughMaskRow(const PixelView& dst, const TRect& dstRect, const PixelView& image, const TRect& srcRect,
                        int maskOffset, bool paler) noexcept
{
    if (!Is24Or32(dst) || !Is24Or32(image) || maskOffset < 1)
        return;
    Piece p = ClipPiece(dst, dstRect, image, srcRect);
    p.rows = static_cast<int>(std::min<int64_t>(p.rows, int64_t{image.height} - maskOffset - p.sy));
    if (p.Empty())
        return;
    const int db = dst.bpp / 8, sb = image.bpp / 8;
    const int raise = paler ? 100 : 0;
    const ptrdiff_t toMask = maskOffset * image.stride;
    const uint8_t* srow = image.Row(p.sy) + p.sx * sb;
    uint8_t* drow = dst.Row(p.dy) + p.dx * db;
    for (int y = 0; y < p.rows; ++y, srow += image.stride, drow += dst.stride) {
        const uint8_t* s = srow;
        uint8_t* d = drow;
        for (int x = 0; x < p.cols; ++x, s += sb, d += db) {
            if (IsKeyColour(s))
                continue;
            const uint8_t* m = s + toMask;
            for (int c = 0; c < 3; ++c)
                d[c] = MaskBlendByte(s[c], d[c], std::min(m[c] + raise, 255));
            if (db == 4)
                d[3] = 255;
        }
    }
}

} // namespace ks
