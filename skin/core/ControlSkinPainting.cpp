#include "skin/core/ControlSkinPainting.h"

#include "skin/core/DeviceContextRoutines.h"
#include "skin/pixels/KeyedPixels.h"
#include "skin/pixels/ControlFramePixels.h"
#include "skin/pixels/MaskedPixels.h"
#include "skin/core/NumberRoutines.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/SkinImageCells.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/SkinImagePixels.h"
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

} // namespace

void PaintSkinImageFit(TBitmap& target, HRGN rgn, bool filling, const TsMaskData& mask, int state)
{
    const int W = target.Width(), H = target.Height();
    if (W < 2 || H < 2 || mask.Manager == nullptr)
        return;
    // The shared record stays as it is: its geometry is read into a copy.
    TBitmap* image = mask.Bmp ? mask.Bmp.get() : mask.Manager->MasterBitmap.get();
    const TPoint ownImage = mask.Bmp ? TPoint{mask.Bmp->Width(), mask.Bmp->Height()} : TPoint{};
    const TsMaskData cells = ks::FitCells(mask, ownImage);
    if (image == nullptr || image->Empty() || cells.MaskType < 0)
        return;
    const bool stretched = (cells.StretchMode & 1) != 0 && cells.MaskType != 1;
    const ks::PixelView dst = target.View(), src = image->View();
    HDC d = target.Canvas().Handle();
    // A piece between bitmaps of other depths goes through GDI, which converts it.
    auto copy = [&](const TRect& from, const TRect& to) {
        const ks::Piece p = ks::FitPiece(dst, to, src, from, 0);
        if (!p.Empty())
            BitBlt(d, p.dx, p.dy, p.cols, p.rows, image->Canvas().Handle(), p.sx, p.sy, SRCCOPY);
    };
    auto stretch = [&](const ks::BorderPart& part) {
        SetStretchBltMode(d, HALFTONE);
        SetBrushOrgEx(d, 0, 0, nullptr);
        StretchBlt(d, part.area.Left, part.area.Top, RectWidth(part.area), RectHeight(part.area),
                   image->Canvas().Handle(), part.src.Left, part.src.Top, part.w, part.h, SRCCOPY);
    };
    std::vector<TRect> runs;
    ks::PaintFittedCells(dst, src, cells, state, filling, stretched, rgn ? &runs : nullptr, copy, stretch);
    CutRuns(rgn, runs);
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
