#pragma once
// What the tests of the control painters share: pixel access to 24-bit bitmaps, a parent whose
// answer to the background question the test sets, and a windowless control with skin data.

#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "vcl/Bitmap.h"
#include "vcl/WinControl.h"

#include <cstring>
#include <functional>

namespace ks::test {

inline uint32_t Get24(TBitmap& b, int x, int y)
{
    const uint8_t* p = b.ScanLine(y) + 3 * x;
    return p[0] | p[1] << 8 | p[2] << 16;
}

inline void Set24(TBitmap& b, int x, int y, uint32_t bgr)
{
    std::memcpy(b.ScanLine(y) + 3 * x, &bgr, 3);
}

// A COLORREF or resolved colour as Get24 reads it back.
inline uint32_t Get24Of(COLORREF c)
{
    return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

class TBackParent : public TCustomControl {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TBackParent", &TCustomControl::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TCustomControl::TCustomControl;
    std::function<void(BackgroundInfo&)> Answer;
    void WndProc(TMessage& m) override
    {
        if (m.Msg == SM_SKINCMD) {
            if (auto* info = ks::SkinCommandView(m).Pointer<BackgroundInfo>(); info && Answer)
                Answer(*info);
            return;
        }
        TCustomControl::WndProc(m);
    }
};

class TSkinnedGraphic : public TGraphicControl {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TSkinnedGraphic", &TGraphicControl::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    explicit TSkinnedGraphic(TComponent* owner) : TGraphicControl(owner), SkinData(this, true) {}
    TsCommonData SkinData;
};

} // namespace ks::test
