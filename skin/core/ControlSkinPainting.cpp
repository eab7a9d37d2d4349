#include "skin/core/ControlSkinPainting.h"

#include "skin/core/DeviceContextRoutines.h"
#include "skin/pixels/KeyedPixels.h"
#include "skin/pixels/MaskedPixels.h"
#include "skin/core/NumberRoutines.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "vcl/GdiHandles.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr int Far = std::numeric_limits<int>::max();

// Removes the rectangles from rgn in one region operation.
void CutRuns(HRGN rgn, const std::vector<TRect>& runs)
{
    if (rgn == nullptr || runs.empty())
        return;
    std::vector<uint8_t> buffer(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(runs.size());
    data->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
    RECT bounds{Far, Far, -Far, -Far};
    auto* rects = reinterpret_cast<RECT*>(data->Buffer);
    for (size_t i = 0; i < runs.size(); ++i) {
        const TRect& r = runs[i];
        rects[i] = {r.Left, r.Top, r.Right, r.Bottom};
        bounds = {std::min<LONG>(bounds.left, r.Left), std::min<LONG>(bounds.top, r.Top),
                  std::max<LONG>(bounds.right, r.Right), std::max<LONG>(bounds.bottom, r.Bottom)};
    }
    data->rdh.rcBound = bounds;
    ks::GdiRegion cut(ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data));
    // Subtracting, never an exclusive-or: a run outside the region must not be added to it.
    if (cut)
        CombineRgn(rgn, rgn, cut.get(), RGN_DIFF);
}

// Calls draw(piece) for pieces of pw x ph over area from its top-left corner, whole ones first
// and the cut last column and row. A piece of no size would never advance: nothing is drawn.
template <class Draw>
void Tile(const TRect& area, int pw, int ph, Draw draw)
{
    if (pw <= 0 || ph <= 0)
        return;
    for (int64_t x = area.Left; x < area.Right; x += pw)
        for (int64_t y = area.Top; y < area.Bottom; y += ph)
            draw(TRect{static_cast<int>(x), static_cast<int>(y), static_cast<int>(std::min<int64_t>(x + pw, area.Right)),
                       static_cast<int>(std::min<int64_t>(y + ph, area.Bottom))});
}

} // namespace

void PaintFitPiece(TBitmap& target, HRGN rgn, TBitmap& image, const TRect& srcRect, TPoint at, int maskOffset,
                   bool cutRegion)
{
    const ks::PixelView dst = target.View();
    const ks::PixelView src = image.View();
    const TRect from{srcRect.Left, srcRect.Top, static_cast<int>(std::min<int64_t>(int64_t{srcRect.Right} + 1, Far)),
                     static_cast<int>(std::min<int64_t>(int64_t{srcRect.Bottom} + 1, Far))};
    ks::Piece p = ks::ClipPiece(dst, {at.X, at.Y, Far, Far}, src, from);
    if (maskOffset > 0) // the mask rows must lie inside the image too
        p.rows = std::min(p.rows, src.height - maskOffset - p.sy);
    if (p.Empty())
        return;
    const TRect piece{p.sx, p.sy, p.sx + p.cols, p.sy + p.rows};
    const TRect to{p.dx, p.dy, p.dx + p.cols, p.dy + p.rows};
    if (maskOffset > 0) {
        // Without region cutting every pixel takes the mask blend; with it key pixels are kept.
        ks::AlphaBackdrop backdrop;
        backdrop.ready = !cutRegion;
        ks::MaskBlendPiece(dst, to, src, piece, maskOffset, ks::MaskRows::Exact, backdrop, std::nullopt);
    } else if (cutRegion) {
        ks::CopyKeyed(dst, {p.dx, p.dy}, src, piece, TransparentKeyColor, ks::KeyFill{});
    } else {
        BitBlt(target.Canvas().Handle(), p.dx, p.dy, p.cols, p.rows, image.Canvas().Handle(), p.sx, p.sy, SRCCOPY);
    }
    if (cutRegion && rgn != nullptr) {
        std::vector<TRect> runs;
        ks::AppendKeyRuns(runs, src, piece, TransparentKeyColor, {p.dx, p.dy});
        CutRuns(rgn, runs);
    }
}

void PaintSkinImageFit(TBitmap& target, HRGN rgn, bool filling, const TsMaskData& mask, int state)
{
    const int W = target.Width(), H = target.Height();
    if (W < 2 || H < 2 || mask.Manager == nullptr)
        return;
    // The shared record stays as it is: a record without cells is read as one cell over its own
    // bitmap.
    TBitmap* image = mask.Bmp ? mask.Bmp.get() : mask.Manager->MasterBitmap.get();
    TRect r = mask.R;
    int count = mask.ImageCount;
    if (count < 1) {
        if (!mask.Bmp)
            return;
        count = 1;
        r = {0, 0, mask.Bmp->Width(), mask.Bmp->Height()};
    }
    if (image == nullptr || image->Empty() || mask.MaskType < 0)
        return;
    int wl = std::max<int>(mask.WL, 0), wt = std::max<int>(mask.WT, 0);
    int wr = std::max<int>(mask.WR, 0), wb = std::max<int>(mask.WB, 0);
    ShrinkToFit(W, wl, wr);
    ShrinkToFit(H, wt, wb);
    const int c = std::clamp(state, 0, count - 1);
    const int cw = RectWidth(r) / count, ch = RectHeight(r) / (mask.MaskType + 1);
    if (cw <= 0 || ch <= 0)
        return;
    const int mw = std::max(0, cw - wl - wr), mh = std::max(0, ch - wt - wb);
    const int sx = r.Left + cw * c, sy = r.Top;
    const int maskOffset = mask.MaskType == 1 ? RectHeight(r) / 2 : 0;
    const bool stretched = (mask.StretchMode & 1) != 0 && mask.MaskType != 1;

    auto corner = [&](int x, int y, int fromX, int fromY, int w, int h) {
        if (w > 0 && h > 0)
            PaintFitPiece(target, rgn, *image, {fromX, fromY, fromX + w - 1, fromY + h - 1}, {x, y}, maskOffset, true);
    };
    auto middle = [&](const TRect& area, int fromX, int fromY, int pw, int ph) {
        if (RectWidth(area) <= 0 || RectHeight(area) <= 0 || pw <= 0 || ph <= 0)
            return;
        if (stretched) {
            HDC d = target.Canvas().Handle();
            SetStretchBltMode(d, HALFTONE);
            SetBrushOrgEx(d, 0, 0, nullptr);
            StretchBlt(d, area.Left, area.Top, RectWidth(area), RectHeight(area), image->Canvas().Handle(), fromX,
                       fromY, pw, ph, SRCCOPY);
            return;
        }
        Tile(area, pw, ph, [&](const TRect& piece) {
            PaintFitPiece(target, rgn, *image,
                          {fromX, fromY, fromX + RectWidth(piece) - 1, fromY + RectHeight(piece) - 1},
                          {piece.Left, piece.Top}, maskOffset, false);
        });
    };

    corner(0, 0, sx, sy, wl, wt);
    corner(0, H - wb, sx, sy + ch - wb, wl, wb);
    middle({0, wt, wl, H - wb}, sx, sy + wt, wl, mh);
    middle({wl, 0, W - wr, wt}, sx + wl, sy, mw, wt);
    middle({wl, H - wb, W - wr, H}, sx + wl, sy + ch - wb, mw, wb);
    middle({W - wr, wt, W, H - wb}, sx + wl + mw, sy + wt, wr, mh);
    corner(W - wr, H - wb, sx + wl + mw, sy + ch - wb, wr, wb);
    corner(W - wr, 0, sx + wl + mw, sy, wr, wt);
    if (filling && (mask.StretchMode & 4) != 0)
        middle({wl, wt, W - wr, H - wb}, sx + wl, sy + wt, mw, mh);
}

void PaintControlSkin(HDC dc, const TRect& r, int borderWidth, TsCommonData& skinData, int state, TRect& clientRect)
{
    const int bw = std::max(borderWidth, 0);
    const TColor colour = skinData.QueryBackgroundColor(state > 0, nullptr);
    TControl* owner = skinData.OwnerControl;
    BackgroundInfo info;
    info.BackgroundKind = BgKindNone;
    if (owner != nullptr && owner->Parent() != nullptr) {
        QueryParentBackground(info, owner->Parent(), false);
        info.Offset.X += owner->Left();
        info.Offset.Y += owner->Top();
    }
    TsSkinManager* manager = skinData.SkinManager();
    if (manager == nullptr || !manager->MaskIndexValid(skinData.BorderIndex)) {
        if (bw != 0)
            FillFrameSolid(dc, r, bw, bw, bw, bw, colour);
        return;
    }
    skinData.EnsureCacheBitmap();
    TBitmap& cache = *skinData.CacheBitmap;
    if (cache.Empty())
        return;
    HDC cacheDC = cache.Canvas().Handle();
    const TsMaskData& m = manager->MaskArray[static_cast<size_t>(skinData.BorderIndex)];
    const int wl = std::max<int>(m.WL, 0), wt = std::max<int>(m.WT, 0);
    const int wr = std::max<int>(m.WR, 0), wb = std::max<int>(m.WB, 0);
    if (m.MaskType == 1) {
        // What shows through the mask row's half-transparent pixels.
        if (info.BackgroundKind == BgKindBitmap && info.Bmp != nullptr && !info.Bmp->Empty())
            BitBlt(cacheDC, r.Left, r.Top, RectWidth(r), RectHeight(r), info.Bmp->Canvas().Handle(),
                   info.Offset.X + r.Left, info.Offset.Y + r.Top, SRCCOPY);
        else
            FillFrameSolid(cacheDC, r, wl, wt, wr, wb, colour);
    }
    PaintSkinImageRect(cache, r, false, CacheInfoFromBackground(info), m, state, true);
    clientRect = {r.Left + wl, r.Top + wt, r.Right - wr, r.Bottom - wb};
    if (bw == 0)
        return;
    const int W = RectWidth(r), H = RectHeight(r);
    const int left = std::max(std::min(bw, W - wr) - wl, 0), top = std::max(std::min(bw, H - wb) - wt, 0);
    const int right = std::max(std::min(bw, W - wl) - wr, 0), bottom = std::max(std::min(bw, H - wt) - wb, 0);
    FillFrameSolid(cacheDC, clientRect, left, top, right, bottom, colour);
    // A width past half the control leaves an empty client area at its left and top edge.
    auto inset = [](int from, int64_t by) {
        return static_cast<int>(std::clamp<int64_t>(from + by, std::numeric_limits<int>::min(), Far));
    };
    clientRect = {inset(r.Left, bw), inset(r.Top, bw), inset(r.Right, -int64_t{bw}), inset(r.Bottom, -int64_t{bw})};
    clientRect.Right = std::max(clientRect.Right, clientRect.Left);
    clientRect.Bottom = std::max(clientRect.Bottom, clientRect.Top);
    if (dc != cacheDC)
        CopyFrameStrips(dc, r.Left, r.Top, W, H, cacheDC, r.Left, r.Top, bw);
}
