#include "skin/core/ControlFramePainting.h"

#include "skin/pixels/ControlFramePixels.h"
#include "skin/core/NumberRoutines.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Graphics.h"

#include <algorithm>
#include <cstdint>

void PaintControlFrame(TsCommonData& skinData, int state)
{
    PaintControlFrameSides(skinData, state, FrameTopLeft | FrameBottomLeft | FrameTopRight | FrameBottomRight);
}

void PaintControlFrameSides(TsCommonData& skinData, int state, int corners)
{
    TsSkinManager* manager = skinData.SkinManager();
    TControl* owner = skinData.OwnerControl;
    TBitmap* cache = skinData.CacheBitmap.get();
    if (manager == nullptr || !manager->MaskIndexValid(skinData.BorderIndex) || cache == nullptr ||
        owner == nullptr || owner->Width() < 2 || owner->Height() < 2 || cache->Empty())
        return;
    const TsMaskData& m = manager->MaskArray[static_cast<size_t>(skinData.BorderIndex)];
    // The record is shared by every control of the section: its values are read, never changed.
    // A whole image file without cells counts as three state cells over one mask row.
    TBitmap* image = m.Bmp ? m.Bmp.get() : manager->MasterBitmap.get();
    TRect r = m.R;
    int imageCount = m.ImageCount, maskType = m.MaskType;
    if (imageCount == 0 && m.Bmp) {
        imageCount = 3;
        maskType = 1;
        r = {0, 0, m.Bmp->Width(), m.Bmp->Height()};
    }
    if (image == nullptr || image->Empty() || imageCount <= 0 || maskType < 0)
        return;

    BackgroundInfo info;
    QueryParentBackground(info, owner->Parent(), false);
    ks::KeyFill fill;
    if (info.BackgroundKind == BgKindBitmap && info.Bmp != nullptr && !info.Bmp->Empty()) {
        fill.kind = ks::KeyFill::Backdrop;
        fill.backdrop = {info.Bmp->View(), info.Offset.X + owner->Left(), info.Offset.Y + owner->Top(), true, true};
    } else {
        fill.kind = ks::KeyFill::Colour;
        fill.colour = ColorToRGB(info.Color);
    }

    const int c = std::clamp(state, 0, imageCount - 1);
    const int xoff = static_cast<int>(int64_t{RectWidth(r)} * c / imageCount);
    const int pictureHeight = RectHeight(r) / (maskType + 1);
    const int wl = std::max<int>(m.WL, 0), wt = std::max<int>(m.WT, 0);
    const int wr = std::max<int>(m.WR, 0), wb = std::max<int>(m.WB, 0);
    const int mw = RectWidth(r) / imageCount - wl - wr;
    const int W = owner->Width(), H = owner->Height();
    const int L = r.Left + xoff, T = r.Top, B = T + pictureHeight;
    // Pictures without a mask row take the image's full height; the bottom corners come from
    // the bottom of the picture row either way.
    const int bottom = maskType == 0 ? r.Bottom : B;

    const ks::PixelView dst = cache->View();
    const ks::PixelView src = image->View();
    auto corner = [&](int bit, TPoint at, const TRect& from) {
        if ((corners & bit) != 0)
            ks::FillUnderKey(dst, at, src, from, TransparentKeyColor, fill);
    };
    corner(FrameTopLeft, {0, 0}, {L, T, L + wl, T + wt});
    corner(FrameBottomLeft, {0, H - wb}, {L, bottom - wb, L + wl, bottom});
    corner(FrameBottomRight, {W - wr, H - wb}, {L + wl + mw, bottom - wb, L + wl + mw + wr, bottom});
    corner(FrameTopRight, {W - wr, 0}, {L + wl + mw, T, L + wl + mw + wr, T + wt});
}
