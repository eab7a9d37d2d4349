#include "skin/core/PlatformEditBorder.h"

#include "vcl/StdCtrls.h"

namespace ks {

int PlatformEditBorder(TCustomEdit& edit)
{
    if (edit.BorderStyle() != bsSingle || edit.Ctl3D() || !edit.HandleAllocated())
        return 0;
    // A platform that kept the style draws the border in the non-client area, as asked.
    return (GetWindowLongW(edit.Handle(), GWL_STYLE) & WS_BORDER) ? 0 : 1;
}

} // namespace ks
