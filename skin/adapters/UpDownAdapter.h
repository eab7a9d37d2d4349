#pragma once
// TacSpinWnd: the adapter of a platform up-down control ("msctls_updown32"), painted as two
// skinned buttons with the skin's scroll arrows. The half under the cursor is hot, or pushed
// while the left button is down on the control; the control's own painting never shows.

#include "skin/adapters/acSBUtils.h"
#include "skin/core/sConst.h"

#include <string>

class TacSpinWnd : public TacMainWnd {
public:
    const char* ClassName() const noexcept override { return "TacSpinWnd"; }
    using TacMainWnd::TacMainWnd;

    void AdapterWndProc(TMessage& message) override;
    // Arrows up and down; without UDS_HORZ.
    virtual bool IsVertical() const;

    // The whole control in the states of its halves into the cache bitmap.
    void PrepareCache();

    // The left button is down on the control.
    bool Pushed = false;
    // 0 normal, 1 hot, 2 pushed: the upper (left) and the lower (right) half.
    int FirstState = 0;
    int SecondState = 0;

private:
    // The dispatcher and its handlers; each returns whether the message was consumed.
    bool SpinMessage(TMessage& m);
    bool WMPaint(TMessage& m);
    bool Dropped(TMessage& m, LRESULT result);
    bool ButtonChange(TMessage& m, bool down);
    bool WMMouseLeave(TMessage& m);
    bool WMMouseMove(TMessage& m);
    void FallBackSection();
    void ReadStates();
    void PaintHalf(TBitmap& cache, const TRect& half, int state, int arrow, const CacheInfo& behind);
};
