#pragma once
// The properties that make an edit's frame, set together, for tables of frame cases.
#include "vcl/StdCtrls.h"

namespace ks::test {

struct EditFrame {
    TBorderStyle style;
    bool ctl3D;
    TBevelCut inner, outer;
    TBevelKind kind;

    void ApplyTo(TCustomEdit& edit) const
    {
        edit.SetBorderStyle(style);
        edit.SetCtl3D(ctl3D);
        edit.SetBevelInner(inner);
        edit.SetBevelOuter(outer);
        edit.SetBevelKind(kind);
    }
};

} // namespace ks::test
