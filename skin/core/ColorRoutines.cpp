#include "skin/core/ColorRoutines.h"

#include "skin/core/NumberRoutines.h"
#include "skin/core/sSkinManager.h"
#include "skin/pixels/PixelColour.h"
#include "skin/pixels/PixelCore.h"
#include "vcl/Bitmap.h"
#include "vcl/Graphics.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"

namespace {

// The picture a mask record's rectangle lies in: its own bitmap or its manager's master bitmap.
TBitmap* MaskImage(const TsMaskData& mask) noexcept
{
    if (mask.Bmp)
        return mask.Bmp.get();
    return mask.Manager ? mask.Manager->MasterBitmap.get() : nullptr;
}

// The accessors' rule: a bitmap needs two scan lines and two columns before its pixels are read.
ks::PixelView ScannableView(TBitmap* bmp)
{
    if (bmp == nullptr || bmp->Width() < 2 || bmp->Height() < 2)
        return {};
    return bmp->View();
}

} // namespace

bool LayeredWindowsAvailable() noexcept
{
    return ks::Sys().LayeredWindowsAvailable();
}

TColor DesaturateColor(TColor c, int percent) noexcept
{
    return percent == 0 ? c : ks::DesaturateRgb(c, percent);
}

TColor RotateHueColor(int offset, TColor c) noexcept
{
    return ks::RotateHueRgb(ColorToRGB(c), offset);
}

void KeyRunsOfBitmap(std::vector<TRect>& list, TBitmap* bmp, TColor key)
{
    const ks::PixelView v = ScannableView(bmp);
    ks::AppendKeyRuns(list, v, {0, 0, v.width, v.height}, key, {0, 0});
}

ks::GdiRegion RegionFromBitmap(TBitmap* bmp, TColor key)
{
    if (bmp == nullptr)
        return {};
    std::vector<TRect> runs;
    KeyRunsOfBitmap(runs, bmp, key);
    ks::GdiRegion rgn(CreateRectRgn(0, 0, bmp->Width(), bmp->Height()));
    if (!rgn || runs.empty())
        return rgn;
    // One scratch region moved from run to run rather than a new region for each.
    ks::GdiRegion cut(CreateRectRgn(0, 0, 0, 0));
    if (!cut)
        return rgn;
    for (const TRect& r : runs) {
        SetRectRgn(cut.get(), r.Left, r.Top, r.Right, r.Bottom);
        CombineRgn(rgn.get(), rgn.get(), cut.get(), RGN_DIFF);
    }
    return rgn;
}

void MaskCornerKeyRects(std::vector<TRect>& list, int width, const TsMaskData& mask, int yOffset, bool bottom)
{
    // A record without cells (images of the common sections carry ImageCount 0) would divide by
    // zero; it has no corners to scan.
    if (mask.Manager == nullptr || mask.ImageCount <= 0 || mask.MaskType + 1 <= 0)
        return;
    const ks::PixelView v = ScannableView(MaskImage(mask));
    const int h = bottom ? mask.WB : mask.WT;
    const int ch = RectHeight(mask.R) / (mask.MaskType + 1);
    const int cw = RectWidth(mask.R) / mask.ImageCount;
    const int y0 = mask.R.Top + (bottom ? ch - mask.WB : 0);
    const int x0 = mask.R.Left;
    // The strip's last row is y0 + h - 1, so it needs y0 + h rows.
    if (v.scan0 == nullptr || y0 + h > v.height)
        return;
    ks::AppendKeyRuns(list, v, {x0, y0, x0 + mask.WL, y0 + h}, TransparentKeyColor, {0, yOffset});
    ks::AppendKeyRuns(list, v, {x0 + cw - mask.WR, y0, x0 + cw, y0 + h}, TransparentKeyColor,
                      {width - mask.WR, yOffset});
}
