#include "skin/pixels/KeyedPixels.h"

#include "vcl/SysUtils.h"

#include <algorithm>
#include <limits>

namespace ks {
namespace {

bool Usable(const PixelView& v) noexcept
{
    return v.scan0 && v.width > 0 && v.height > 0 && (v.bpp == 24 || v.bpp == 32);
}

int Saturate(int64_t v) noexcept
{
    return static_cast<int>(
        std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The piece of srcRect that lands inside dst when its top-left corner is put at at.
Piece PieceAt(const PixelView& dst, TPoint at, const PixelView& src, const TRect& srcRect) noexcept
{
    constexpr int Far = std::numeric_limits<int>::max();
    return ClipPiece(dst, {at.X, at.Y, Far, Far}, src, srcRect);
}

// The colour bytes of a key in pixel order: blue, green, red.
struct KeyBytes {
    uint8_t b, g, r;
    explicit KeyBytes(TColor key) noexcept : b(BlueOf(key)), g(GreenOf(key)), r(RedOf(key)) {}
    bool Matches(const uint8_t* p) const noexcept { return p[0] == b && p[1] == g && p[2] == r; }
};

// A 32-bit pixel as a colour value with its alpha in the top byte, 0xAABBGGRR.
uint32_t ColourWithAlpha(const uint8_t* p) noexcept
{
    return p[2] | p[1] << 8 | p[0] << 16 | uint32_t{p[3]} << 24;
}

// The key test of pictures that may carry alpha: three bytes for 24-bit pixels, the whole value
// for 32-bit ones.
class KeyTest {
public:
    KeyTest(TColor key, int bytes, bool enabled) noexcept
        : FBytes(key), FValue(static_cast<uint32_t>(key)), FWide(bytes == 4), FEnabled(enabled)
    {
    }
    bool Matches(const uint8_t* p) const noexcept
    {
        if (!FEnabled)
            return false;
        return FWide ? ColourWithAlpha(p) == FValue : FBytes.Matches(p);
    }

private:
    KeyBytes FBytes;
    uint32_t FValue;
    bool FWide;
    bool FEnabled;
};

uint8_t Mix(int value, int base, double percent) noexcept
{
    return ClampByte(RoundHalfEven(base + (value - base) * percent));
}

} // namespace

TRect InclusiveSourceRect(TRect r, const PixelView& src, TPoint* at) noexcept
{
    if (r.Left < 0) {
        if (at)
            at->X = Saturate(int64_t{at->X} - r.Left);
        r.Left = 0;
    }
    if (r.Top < 0) {
        if (at)
            at->Y = Saturate(int64_t{at->Y} - r.Top);
        r.Top = 0;
    }
    r.Right = std::min(r.Right, src.width - 1) + 1;
    r.Bottom = std::min(r.Bottom, src.height - 1) + 1;
    return r;
}

void CopyKeyed(const PixelView& dst, TPoint at, const PixelView& src, const TRect& srcRect, TColor key,
               const KeyFill& fill) noexcept
{
    if (!Usable(dst) || !Usable(src))
        return;
    const Piece p = PieceAt(dst, at, src, srcRect);
    if (p.Empty())
        return;
    const KeyBytes k(key);
    const uint8_t colour[3] = {BlueOf(fill.colour), GreenOf(fill.colour), RedOf(fill.colour)};
    const int db = dst.bpp / 8, sb = src.bpp / 8;
    const uint8_t* srow = src.Row(p.sy) + p.sx * sb;
    uint8_t* drow = dst.Row(p.dy) + p.dx * db;
    // Key pixels left as they are, one depth: whole rows go to the specialised loop.
    if (fill.kind == KeyFill::Keep && db == sb && !PieceSharesMemory(dst, src, p)) {
        const uint8_t keyBytes[3] = {k.b, k.g, k.r};
        const bool streaming = int64_t{p.rows} * p.cols * db >= StreamingBytes;
        const KeyedCopyLoop loop = SpecialisedKeyedCopy(dst.bpp, streaming);
        for (int y = 0; y < p.rows; ++y, srow += src.stride, drow += dst.stride)
            loop(drow, srow, p.cols, keyBytes);
        return;
    }
    for (int y = 0; y < p.rows; ++y, srow += src.stride, drow += dst.stride) {
        const uint8_t* s = srow;
        uint8_t* d = drow;
        for (int x = 0; x < p.cols; ++x, s += sb, d += db) {
            const uint8_t* c = s;
            if (k.Matches(s)) {
                if (fill.kind == KeyFill::Backdrop)
                    c = fill.backdrop.Under(p.dx + x, p.dy + y);
                else if (fill.kind == KeyFill::Colour)
                    c = colour;
                else
                    c = nullptr;
                if (!c)
                    continue;
            }
            d[0] = c[0];
            d[1] = c[1];
            d[2] = c[2];
            if (db == 4)
                d[3] = 255;
        }
    }
}

void BlendKeyed(const PixelView& dst, TPoint at, const PixelView& src, const TRect& srcRect, double percent,
                TColor key) noexcept
{
    if (!Usable(dst) || !Usable(src))
        return;
    const Piece p = PieceAt(dst, at, src, srcRect);
    if (p.Empty())
        return;
    const int db = dst.bpp / 8, sb = src.bpp / 8;
    const KeyTest isKey(key, sb, (static_cast<uint32_t>(key) >> 24) != 0xFF);
    const uint8_t* srow = src.Row(p.sy) + p.sx * sb;
    uint8_t* drow = dst.Row(p.dy) + p.dx * db;
    for (int y = 0; y < p.rows; ++y, srow += src.stride, drow += dst.stride) {
        const uint8_t* s = srow;
        uint8_t* d = drow;
        for (int x = 0; x < p.cols; ++x, s += sb, d += db)
            if (!isKey.Matches(s))
                for (int c = 0; c < 3; ++c)
                    d[c] = Mix(d[c], s[c], percent);
    }
}

void TintKeyed(const PixelView& v, TColor color, TColor key, double percent) noexcept
{
    if (!Usable(v))
        return;
    const int bytes = v.bpp / 8;
    const KeyTest isKey(key, bytes, true);
    const uint8_t tint[3] = {BlueOf(color), GreenOf(color), RedOf(color)};
    uint8_t* row = v.Row(0);
    for (int y = 0; y < v.height; ++y, row += v.stride)
        for (uint8_t* p = row; p < row + bytes * v.width; p += bytes)
            if (!isKey.Matches(p))
                for (int c = 0; c < 3; ++c)
                    p[c] = Mix(p[c], tint[c], percent);
}

void Greyscale24(const PixelView& v, bool keyed, TColor key) noexcept
{
    if (!Usable(v) || v.bpp != 24)
        return;
    const KeyBytes k(key);
    uint8_t* row = v.Row(0);
    for (int y = 0; y < v.height; ++y, row += v.stride)
        for (uint8_t* p = row; p < row + 3 * v.width; p += 3)
            if (!keyed || !k.Matches(p))
                p[0] = p[1] = p[2] = static_cast<uint8_t>((p[0] + p[1] + p[2]) / 3);
}

void MixRectWithColour(const PixelView& v, const TRect& r, TColor color, double share) noexcept
{
    if (!Usable(v))
        return;
    const TRect c = ClipToView(v, r);
    const int bytes = v.bpp / 8;
    const uint8_t tint[3] = {BlueOf(color), GreenOf(color), RedOf(color)};
    for (int y = c.Top; y < c.Bottom; ++y)
        for (uint8_t* p = v.Row(y) + c.Left * bytes; p < v.Row(y) + c.Right * bytes; p += bytes)
            for (int k = 0; k < 3; ++k)
                p[k] = ClampByte(RoundHalfEven(p[k] * share + tint[k] * (1 - share)));
}

void RestoreKeyed32(const PixelView& dst, const TRect& rect, const PixelView& src, TPoint srcAt,
                    const PixelView* keySource, TPoint keyAt, TColor key) noexcept
{
    const PixelView& test = keySource ? *keySource : dst;
    const TPoint testAt = keySource ? keyAt : TPoint{rect.Left, rect.Top};
    if (!Usable(dst) || dst.bpp != 32 || !Usable(src) || src.bpp != 32 || !Usable(test))
        return;
    // The (i, j) range every view has, in 64 bits.
    int64_t i0 = 0, j0 = 0;
    int64_t i1 = std::max<int64_t>(0, int64_t{rect.Right} - rect.Left);
    int64_t j1 = std::max<int64_t>(0, int64_t{rect.Bottom} - rect.Top);
    auto within = [&](const PixelView& v, int x, int y) {
        i0 = std::max<int64_t>(i0, -int64_t{x});
        j0 = std::max<int64_t>(j0, -int64_t{y});
        i1 = std::min<int64_t>(i1, int64_t{v.width} - x);
        j1 = std::min<int64_t>(j1, int64_t{v.height} - y);
    };
    within(dst, rect.Left, rect.Top);
    within(src, srcAt.X, srcAt.Y);
    within(test, testAt.X, testAt.Y);
    const KeyBytes k(key);
    const int tb = test.bpp / 8;
    for (int64_t j = j0; j < j1; ++j)
        for (int64_t i = i0; i < i1; ++i) {
            const uint8_t* t = test.Row(static_cast<int>(testAt.Y + j)) + (testAt.X + i) * tb;
            if (!k.Matches(t))
                continue;
            const uint8_t* s = src.Row(static_cast<int>(srcAt.Y + j)) + (srcAt.X + i) * 4;
            uint8_t* d = dst.Row(static_cast<int>(rect.Top + j)) + (rect.Left + i) * 4;
            std::copy_n(s, 4, d);
        }
}

} // namespace ks
