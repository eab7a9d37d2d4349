// Fuzz target for painting skin images: the input is a list of skin image records, rectangles and
// settings run through the painters' portable geometry (SkinImageCells.h) and the pixel loops the
// painters hand its pieces to, as the section painters call them, and through those loops on their
// own, into 24- and 32-bit destinations of random sizes, one pixel among them. The first bytes
// size the rasters; each following group of bytes is one paint. After every paint nothing outside
// the rectangle it was given has changed; at the end the guard bytes around every raster are
// intact and the skin images and backgrounds are as they were. The painters raise nothing, so
// nothing is caught.
#include "host/support/PixelImage.h"
#include "skin/pixels/AlphaImage.h"
#include "skin/pixels/ControlFramePixels.h"
#include "skin/pixels/GradientPixels.h"
#include "skin/pixels/KeyedPixels.h"
#include "skin/pixels/MaskedPixels.h"
#include "skin/pixels/PixelCore.h"
#include "skin/core/SkinImageCells.h"
#include "skin/core/SkinImagePixels.h"
#include "skin/core/sConst.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

using Image = ks::test::PixelImage;

// A failed check says which invariant it broke.
void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "painting_fuzz: %s\n", what);
        std::abort();
    }
}

// Reads the input front to back; past its end every value is 0.
class Input {
public:
    Input(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
    bool Done() const { return FPos >= FSize; }
    uint8_t Byte() { return FPos < FSize ? FData[FPos++] : 0; }
    int Between(int lo, int hi) { return lo + Byte() % (hi - lo + 1); }
    // Reads in statements of their own: the order of a call's arguments is the compiler's, and a
    // finding must replay the same in every build.
    int16_t Short()
    {
        const uint16_t low = Byte();
        return static_cast<int16_t>(low | Byte() << 8);
    }
    int32_t Word()
    {
        const uint32_t low = static_cast<uint16_t>(Short());
        return static_cast<int32_t>(low | uint32_t{static_cast<uint16_t>(Short())} << 16);
    }
    bool Flag() { return Byte() % 2 != 0; }

    // A coordinate: mostly near the rasters, sometimes at the ends of int or anywhere.
    int Coord()
    {
        switch (const uint8_t kind = Byte(); kind % 8) {
        case 0: return INT_MIN + Between(0, 40);
        case 1: return INT_MAX - Between(0, 40);
        case 2: return Short();
        case 3: return Word();
        default: return static_cast<int>(kind) - 60 + Between(0, 60);
        }
    }
    // A record field: small, with the sizes a skin may write and the ends of its type.
    int16_t Field()
    {
        switch (const uint8_t kind = Byte(); kind % 8) {
        case 0: return INT16_MIN;
        case 1: return INT16_MAX;
        case 2: return Short();
        default: return static_cast<int16_t>(static_cast<int>(kind >> 3) - 4);
        }
    }
    TRect Rect() { return {Coord(), Coord(), Coord(), Coord()}; }
    TPoint Point() { return {Coord(), Coord()}; }

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FPos = 0;
};

TsMaskData Record(Input& in)
{
    TsMaskData mask;
    mask.R = in.Rect();
    mask.ImageCount = in.Field();
    mask.MaskType = in.Field();
    mask.BorderWidth = in.Field();
    mask.StretchMode = in.Field();
    mask.ImgType = static_cast<TacImgType>(in.Between(0, 4));
    mask.WL = in.Field();
    mask.WT = in.Field();
    mask.WR = in.Field();
    mask.WB = in.Field();
    return mask;
}

// Pixel noise: a xorshift generator, since the harness is to spend its time in the painters.
struct Noise {
    uint32_t state;
    uint32_t operator()()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

// A raster of random pixels, a quarter of them in the key colour, so keyed paths are taken.
Image Raster(Input& in, int maxSize, Noise& noise)
{
    const int w = in.Between(1, maxSize), h = in.Between(1, maxSize);
    const int bpp = in.Flag() ? 32 : 24;
    Image image(w, h, bpp, in.Flag());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t n = noise();
            std::memcpy(image.At(x, y), n % 4 == 0 ? "\xFF\x00\xFF\x00" : reinterpret_cast<const char*>(&n),
                        static_cast<size_t>(image.Bytes()));
        }
    return image;
}

// Every pixel byte of after outside r equals before's.
bool SameOutside(const Image& before, const Image& after, const TRect& r)
{
    const ks::PixelView& b = before.View();
    for (int y = 0; y < b.height; ++y)
        for (int x = 0; x < b.width; ++x) {
            const bool inside = x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
            if (!inside && std::memcmp(before.At(x, y), after.At(x, y), static_cast<size_t>(before.Bytes())) != 0)
                return false;
        }
    return true;
}

// As much of src as a tile has room for, as the painter's blit copies.
TRect Cut(const TRect& src, const TRect& tile)
{
    return {src.Left, src.Top,
            static_cast<int>(std::min<int64_t>(int64_t{src.Left} + (int64_t{tile.Right} - tile.Left), src.Right)),
            static_cast<int>(std::min<int64_t>(int64_t{src.Top} + (int64_t{tile.Bottom} - tile.Top), src.Bottom))};
}

// The rectangle of src's size with its top-left corner at at.
TRect Placed(TPoint at, const TRect& src)
{
    auto end = [](int start, int64_t size) {
        return static_cast<int>(std::clamp<int64_t>(start + size, INT_MIN, INT_MAX));
    };
    return {at.X, at.Y, end(at.X, int64_t{src.Right} - src.Left), end(at.Y, int64_t{src.Bottom} - src.Top)};
}

struct Scene {
    Image& dst;
    const Image& master;
    const Image& alpha;
    const Image& back;
};

// A skin image record painted over r as PaintSkinImageRect paints it: corners once, sides and
// centre tiled, through the mask rows when the record has them. r's parts stay inside r.
TRect PaintBorder(Input& in, const Scene& s)
{
    const TsMaskData mask = Record(in);
    const TRect r = in.Rect();
    const int state = in.Between(-1, 5);
    const bool filling = in.Flag();
    const ks::AlphaBackdrop backdrop{s.back.View(), in.Coord(), in.Coord(), in.Flag(), in.Flag()};
    const std::optional<TColor> fill = in.Flag() ? std::optional<TColor>(in.Word()) : std::nullopt;
    const ks::PixelView d = s.dst.View(), m = s.master.View();
    const TRect bounds{0, 0, d.width, d.height};
    ks::KeyFill keyFill;
    keyFill.kind = static_cast<ks::KeyFill::Kind>(in.Between(0, 2));
    keyFill.backdrop = backdrop;
    keyFill.colour = TransparentKeyColor;
    const ks::BorderLayout layout = ks::BorderParts(mask, r, state, filling);
    Check(layout.count >= 0 && layout.count <= 9, "at most nine parts");
    for (int i = 0; i < layout.count; ++i) {
        const ks::BorderPart& part = layout.parts[static_cast<size_t>(i)];
        Check(part.area.Left >= r.Left && part.area.Top >= r.Top && part.area.Right <= r.Right &&
                  part.area.Bottom <= r.Bottom,
              "a border part lies inside the rectangle painted");
        Check(part.w > 0 && part.h > 0, "a border part has a size");
        auto piece = [&](const TRect& area) {
            Check(area.Left >= part.area.Left && area.Top >= part.area.Top && area.Right <= part.area.Right &&
                      area.Bottom <= part.area.Bottom,
                  "a tile lies inside its part");
            if (mask.MaskType >= 1)
                ks::MaskBlendPiece(d, area, m, part.src, ks::HalfRecordHeight(mask), ks::MaskRows::PulledIn, backdrop,
                                   fill);
            else if (part.corner)
                ks::CopyKeyed(d, {area.Left, area.Top}, m,
                              ks::InclusiveSourceRect(
                                  {part.src.Left, part.src.Top, part.src.Right - 1, part.src.Bottom - 1}, m, nullptr),
                              TransparentKeyColor, keyFill);
            else
                ks::CopyRect(d, {area.Left, area.Top}, m, Cut(part.src, area));
        };
        if (part.corner)
            piece(part.area);
        else
            ks::ForEachTile(part.area, part.w, part.h, bounds, piece);
    }
    return r;
}

// A state's cell of a glyph record put at a point, as PaintStateGlyph and CopyImageTransparent put
// it: keyed, blended or through its mask row. Only the cell's place changes.
TRect PaintGlyph(Input& in, const Scene& s)
{
    const TsMaskData mask = Record(in);
    const TPoint p = in.Point();
    const ks::GlyphRects cell = ks::StateGlyphRects(mask, p, in.Between(-1, 5));
    const ks::PixelView d = s.dst.View(), m = s.master.View();
    switch (in.Between(0, 2)) {
    case 0:
        ks::DrawThroughMaskRow(d, ks::ExclusiveOf(cell.dst), m, ks::ExclusiveOf(cell.src), MaskCellHeight(mask),
                               in.Flag());
        break;
    case 1: {
        ks::KeyFill fill;
        fill.kind = ks::KeyFill::Colour;
        fill.colour = in.Word();
        ks::CopyKeyed(d, {cell.dst.Left, cell.dst.Top}, m, ks::InclusiveSourceRect(cell.src, m, nullptr),
                      TransparentKeyColor, fill);
        break;
    }
    default: {
        TPoint at{cell.dst.Left, cell.dst.Top};
        const TRect blended = ks::InclusiveSourceRect(cell.src, m, &at);
        ks::BlendKeyed(d, at, m, blended, in.Byte() / 255.0, TransparentKeyColor);
        break;
    }
    }
    return ks::ExclusiveOf(cell.dst);
}

// A skin image with a mask row tiled over r as TileImage tiles it: whole cells through the mask
// rows half the record below, as PaintMaskedOverCache draws them, then the cut last column or the
// strips right of and below them filled. Everything lies inside r.
TRect PaintMaskedTiling(Input& in, const Scene& s)
{
    const TsMaskData mask = Record(in);
    const TRect r = in.Rect();
    const ks::AlphaBackdrop backdrop{s.back.View(), in.Coord(), in.Coord(), in.Flag(), true};
    const bool strips = in.Flag();
    const uint32_t fill = static_cast<uint32_t>(in.Word());
    const int w = MaskCellWidth(mask), h = ks::HalfRecordHeight(mask);
    if (mask.ImageCount <= 0 || w <= 0 || h <= 0)
        return r;
    const ks::PixelView d = s.dst.View();
    const TRect bounds{0, 0, d.width, d.height};
    const ks::CellTiling tiling = ks::TileCells(r, w, h);
    auto inside = [&](const TRect& a) {
        return a.Right <= a.Left || (a.Left >= r.Left && a.Top >= r.Top && a.Right <= r.Right && a.Bottom <= r.Bottom);
    };
    Check(inside(tiling.whole) && inside(tiling.lastColumn) && inside(tiling.below) && inside(tiling.right),
          "the masked tiling lies inside the rectangle painted");
    auto cell = [&](const TRect& to) {
        ks::MaskBlendPiece(d, to, s.master.View(), mask.R, h, ks::MaskRows::Exact, backdrop, std::nullopt);
    };
    ks::ForEachTile(tiling.whole, w, h, bounds, cell);
    if (!strips) {
        Check(tiling.lastColumn.Right - tiling.lastColumn.Left <= w, "the last column is no wider than a cell");
        ks::ForEachTile(tiling.lastColumn, tiling.lastColumn.Right - tiling.lastColumn.Left, h, bounds, cell);
    } else if (d.bpp == 32) {
        ks::FillRect32(d, tiling.below, fill);
        ks::FillRect32(d, tiling.right, fill);
    }
    return r;
}

// A skin image fitted over the whole destination by PaintSkinImageFit's own pixel work: the
// record read as its cells (one cell over an image of its own when it has none), corners keyed or
// through the mask row with their key pixels' runs collected for the region, sides and centre
// tiled, or handed back to be stretched or copied with a conversion. Every piece handed back and
// every run lies inside the destination.
TRect PaintFit(Input& in, const Scene& s)
{
    const TsMaskData record = Record(in);
    const ks::PixelView d = s.dst.View(), m = s.master.View();
    const TsMaskData cells = ks::FitCells(record, in.Flag() ? TPoint{m.width, m.height} : TPoint{});
    const int state = in.Between(-1, 5);
    const bool filling = in.Flag();
    const bool stretched = in.Flag();
    const TRect bounds{0, 0, d.width, d.height};
    auto within = [&](const TRect& r) {
        return r.Left >= 0 && r.Top >= 0 && r.Right <= d.width && r.Bottom <= d.height;
    };
    std::vector<TRect> runs;
    ks::PaintFittedCells(
        d, m, cells, state, filling, stretched, &runs,
        [&](const TRect& from, const TRect& to) {
            const ks::Piece p = ks::FitPiece(d, to, m, from, 0);
            Check(p.Empty() || (p.dx >= to.Left && p.dy >= to.Top && p.dx + p.cols <= to.Right &&
                                p.dy + p.rows <= to.Bottom && within(to)),
                  "a piece handed back lies inside its place");
        },
        [&](const ks::BorderPart& part) {
            Check(part.area.Left >= 0 && part.area.Top >= 0 && part.area.Right <= d.width &&
                      part.area.Bottom <= d.height,
                  "a stretched part lies inside the destination");
        });
    for (const TRect& run : runs)
        Check(within(run) && run.Left < run.Right, "a region run lies inside the destination");
    return bounds;
}

// The corners PaintControlFrame restores, by its own pixel work, over a control of the
// destination's size: each one changes nothing outside the place of its piece.
TRect PaintFrameCorners(Input& in, const Scene& s)
{
    const TsMaskData record = Record(in);
    const ks::PixelView d = s.dst.View(), m = s.master.View();
    const TsMaskData cells = ks::FrameCells(record, in.Flag() ? TPoint{m.width, m.height} : TPoint{});
    const int state = in.Between(-1, 5);
    ks::KeyFill fill;
    fill.kind = static_cast<ks::KeyFill::Kind>(in.Between(0, 2));
    fill.backdrop = {s.back.View(), in.Coord(), in.Coord(), true, true};
    fill.colour = in.Word();
    if (cells.ImageCount <= 0 || cells.MaskType < 0)
        return {};
    for (const ks::FrameCorner& corner : ks::FrameCornerPieces(cells, d.width, d.height, state)) {
        const Image before = s.dst;
        ks::RestoreFrameCorners(d, m, cells, d.width, d.height, state, corner.bit, fill);
        Check(SameOutside(before, s.dst, Placed(corner.at, corner.src)), "a frame corner stays in its place");
    }
    return {0, 0, d.width, d.height};
}

// One of the pixel loops on its own, with a rectangle it must keep to.
TRect PaintPixels(Input& in, const Scene& s)
{
    const ks::PixelView d = s.dst.View(), m = s.master.View(), a = s.alpha.View(), b = s.back.View();
    const TRect r = in.Rect(), from = in.Rect();
    const ks::AlphaBackdrop backdrop{b, in.Coord(), in.Coord(), in.Flag(), in.Flag()};
    switch (in.Between(0, 14)) {
    case 0: ks::BlendFixed(d, r, m, from.Left, from.Bottom, in.Byte()); return r;
    case 1: ks::AlphaBlendPiece(d, r, in.Flag() ? a : m, from, backdrop); return r;
    case 2: {
        const TColor tint = in.Flag() ? clNone : in.Word();
        ks::DrawAlphaImage32(d, r, a, from, backdrop, tint, in.Coord(), false);
        return r;
    }
    case 3: {
        // The mirror image lies below r, as far down again as half the image's height.
        ks::DrawAlphaImage32(d, r, a, from, backdrop, clNone, in.Between(-5, 105), true);
        return {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    }
    case 4: {
        const int offset = in.Coord();
        const std::optional<TColor> fill = in.Flag() ? std::optional<TColor>(in.Word()) : std::nullopt;
        ks::MaskBlendPiece(d, r, m, from, offset, ks::MaskRows::Exact, backdrop, fill);
        return r;
    }
    case 5:
        if (d.bpp == 32)
            ks::FillRect32(d, r, static_cast<uint32_t>(in.Word()));
        return r;
    case 6: {
        const TColor colour = in.Word();
        ks::MixRectWithColour(d, r, colour, (in.Byte() - 64) / 64.0);
        return r;
    }
    case 7: {
        TsGradArray stops(static_cast<size_t>(in.Between(0, 4)));
        for (TsGradStop& stop : stops) {
            stop.Color1 = in.Word();
            stop.Color2 = in.Word();
            stop.Percent = static_cast<uint8_t>(in.Between(0, 100));
            stop.Mode = in.Between(0, 2);
        }
        ks::PaintGradientRows(d, r, stops, in.Coord());
        return r;
    }
    case 8: {
        const TPoint srcAt = in.Point();
        const ks::PixelView* keys = in.Flag() ? &m : nullptr;
        ks::RestoreKeyed32(d, r, a, srcAt, keys, in.Point(), TransparentKeyColor);
        return r;
    }
    case 9: {
        // A keyed copy lands in the rectangle of its source's size at its place.
        ks::KeyFill fill;
        fill.kind = static_cast<ks::KeyFill::Kind>(in.Between(0, 2));
        fill.backdrop = backdrop;
        fill.colour = in.Word();
        const TPoint at{r.Left, r.Top};
        ks::CopyKeyed(d, at, m, from, TransparentKeyColor, fill);
        return Placed(at, from);
    }
    case 10: {
        const double percent = (in.Byte() - 64) / 64.0;
        ks::BlendKeyed(d, {r.Left, r.Top}, m, from, percent, in.Flag() ? TransparentKeyColor : in.Word());
        return Placed({r.Left, r.Top}, from);
    }
    case 11: ks::BlendRectByMask24(d, m, b, r); return r;
    case 12: {
        const TColor colour = in.Word();
        const double percent = (in.Byte() - 64) / 64.0;
        ks::TintKeyed(d, colour, TransparentKeyColor, percent);
        ks::Greyscale24(d, in.Flag(), TransparentKeyColor);
        return {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    }
    case 13: {
        // Views of other sizes and depths than these routines take are left alone.
        const TColor colour = in.Word();
        ks::TintByMask24(d, b, colour);
        ks::MixTo32(d, m, b, in.Flag() ? &m : nullptr, in.Byte());
        return {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    }
    default: ks::CopyRect(d, {r.Left, r.Top}, m, from); return {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in(data, size);
    Noise noise{0x9E3779B9u ^ in.Byte()};
    Image dst = Raster(in, in.Byte() % 8 == 0 ? 1 : 40, noise);
    const Image master = Raster(in, 64, noise);
    const int alphaWidth = in.Between(1, 24), alphaHeight = in.Between(1, 24);
    Image alpha(alphaWidth, alphaHeight, 32, in.Flag());
    for (int y = 0; y < alphaHeight; ++y)
        for (int x = 0; x < alphaWidth; ++x) {
            const uint32_t n = noise();
            std::memcpy(alpha.At(x, y), &n, 4);
        }
    const Image back = Raster(in, 48, noise);
    const Image master0 = master, alpha0 = alpha, back0 = back;
    const Scene scene{dst, master, alpha, back};
    for (int paints = 0; paints < 16 && !in.Done(); ++paints) {
        const Image before = dst;
        TRect r;
        switch (in.Between(0, 5)) {
        case 0: r = PaintBorder(in, scene); break;
        case 1: r = PaintGlyph(in, scene); break;
        case 2: r = PaintMaskedTiling(in, scene); break;
        case 3: r = PaintFit(in, scene); break;
        case 4: r = PaintFrameCorners(in, scene); break;
        default: r = PaintPixels(in, scene); break;
        }
        Check(SameOutside(before, dst, r), "nothing outside the rectangle painted changed");
    }
    // Guard bytes once written keep what they were given, so one look at the end finds them.
    Check(dst.FencesIntact(), "the destination's guard bytes are intact");
    Check(master.FencesIntact() && alpha.FencesIntact() && back.FencesIntact(), "the sources' guard bytes are intact");
    Check(master.Pixels() == master0.Pixels() && alpha.Pixels() == alpha0.Pixels() && back.Pixels() == back0.Pixels(),
          "the sources are only read");
    return 0;
}
