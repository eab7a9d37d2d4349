#include "skin/core/ControlFramePainting.h"

#include "skin/core/ParentBackground.h"
#include "skin/core/SkinImageCells.h"
#include "skin/core/SkinImagePixels.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Graphics.h"

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
    TBitmap* image = m.Bmp ? m.Bmp.get() : manager->MasterBitmap.get();
    const TPoint ownImage = m.Bmp ? TPoint{m.Bmp->Width(), m.Bmp->Height()} : TPoint{};
    const TsMaskData cells = ks::FrameCells(m, ownImage);
    if (image == nullptr || image->Empty() || cells.ImageCount <= 0 || cells.MaskType < 0)
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

    ks::RestoreFrameCorners(cache->View(), image->View(), cells, owner->Width(), owner->Height(), state, corners, fill);
}
