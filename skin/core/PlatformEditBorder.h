#pragma once
// The flat border the platform edit draws itself. A single border without the 3-D look makes the
// edit's window with WS_BORDER; the platform edit takes that style off its window and draws the
// border inside its client area at every paint, over whatever a skinned frame put there. The
// skinned edit and the edit adapter both put their frame back over it.

class TCustomEdit;

namespace ks {

// The width of that border, 0 for an edit without one or without a window.
int PlatformEditBorder(TCustomEdit& edit);

} // namespace ks
