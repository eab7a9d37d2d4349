#pragma once
// What the tests of the control painters share: pixel access to 24-bit bitmaps (Pixels24.h), a
// parent whose answer to the background question the test sets, and a windowless control with
// skin data.

#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "vcl/Bitmap.h"
#include "vcl/WinControl.h"
#include "win/support/Pixels24.h"

#include <functional>

namespace ks::test {

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
