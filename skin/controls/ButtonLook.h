#pragma once
// What the skinned push button and check box keep of the look their window was last painted in
// (the group box and the edit share the parent's colour from here). Their cache shows more than
// the skin and the parent's background: the state, the focus, where the control stands. The
// platform changes some of that through its own handlers (space, capture, clicks, focus), which
// set no flag, so each paint compares the look now with the look last painted and rebuilds the
// cache when they differ. After each rebuild the frame's corners take the parent's picture into
// the cache, once.

#include "skin/core/ControlFramePainting.h"
#include "skin/core/sCommonData.h"
#include "vcl/Bitmap.h"
#include "vcl/StdCtrls.h"

#include <string>
#include <utility>

// What a parent without a picture of its own shows behind a control: its colour, which no
// message tells the control about; clNone where the parent gives a picture.
inline TColor ParentLookColour(const TsCommonData& skinData)
{
    const CacheInfo ci = skinData.QueryBackgroundInfo();
    return ci.Ready ? clNone : ci.FillColor;
}

// The control's own colour where it is painted instead of the skin's (CustomColor), which no
// skin message tells the control about; clNone where the skin's colour is painted.
inline TColor OwnLookColour(const TsCommonData& skinData)
{
    return skinData.CustomColor() && skinData.OwnerControl ? ColorToRGB(skinData.OwnerControl->Color()) : clNone;
}

// The font a caption is measured and drawn in, as far as it shows.
struct TsFontLook {
    std::wstring name;
    int height = 0;
    TFontStyles style;
    TColor colour = clNone;
    uint8_t charset = 0;
    bool operator==(const TsFontLook&) const = default;

    static TsFontLook Of(const TFont& font)
    {
        return {font.Name(), font.Height(), font.Style(), font.Color(), font.Charset()};
    }
};

// The part of the look that both controls' caches show. Every value their painters read is
// here or in the control's own record: a setter that only stores its value (as some must) is
// then still shown by the next paint.
struct TsButtonLook {
    bool focused = false, enabled = false, wordWrap = false, rightToLeft = false;
    TRect bounds;
    // The picture behind the control comes from its parent, or the parent's colour.
    const TWinControl* parent = nullptr;
    TColor parentColour = clNone;
    TColor ownColour = clNone;
    int section = -1;
    std::wstring caption;
    TsFontLook font;
    bool operator==(const TsButtonLook&) const = default;

    static TsButtonLook Of(const TButtonControl& control, const TsCommonData& skinData)
    {
        return {control.Focused(),
                control.Enabled(),
                control.WordWrap(),
                control.UseRightToLeftReading(),
                control.BoundsRect(),
                control.Parent(),
                ParentLookColour(skinData),
                OwnLookColour(skinData),
                skinData.SkinIndex,
                control.Caption(),
                TsFontLook::Of(*control.Font())};
    }
};

// Look is the control's own record: a TsButtonLook with the control's state added. Control has
// SkinData() and PrepareCache(), which calls CacheRebuilt whenever it has painted the cache.
template <class Look>
class TsPaintedLook {
public:
    // The control's cache brought up to look now, or nullptr when it holds no picture. It is
    // rebuilt when now is not the look last painted or the skin data has the background changed;
    // frameState is the border image's cell the corners are taken from.
    template <class Control>
    TBitmap* CacheFor(Control& control, const Look& now, int frameState)
    {
        auto& skinData = *control.SkinData();
        if (now != FLook) {
            skinData.BackgroundChanged = true;
            FLook = now;
        }
        if (skinData.BackgroundChanged)
            control.PrepareCache();
        if (std::exchange(FFrameDue, false))
            PaintControlFrame(skinData, frameState);
        TBitmap* cache = skinData.CacheBitmap.get();
        return cache && !cache->Empty() ? cache : nullptr;
    }

    void CacheRebuilt() noexcept { FFrameDue = true; }

private:
    Look FLook;
    bool FFrameDue = true;
};
