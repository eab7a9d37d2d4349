#pragma once
// What lies behind a control or window: the question SKC_GET_BG_INFO put to its parent, the
// fallbacks when nobody answers, and the answer in the form the painters take.
//
// The caller fills info.R (the area it wants, in the parent's coordinates) and, when it wants
// the parent painted into a device context, info.TargetDC and info.PaintRequested. When the
// parent does not answer and painting was requested, the parent paints itself into TargetDC:
// its erase and paint handlers with the viewport shifted by info.Offset and the clip limited to
// info.R, which is left moved by the offset. Windows of other classes than this library's are
// asked with WM_PRINTCLIENT instead, which they answer without losing their update region;
// windows of other processes are never painted from here. Without a paint request a colour
// is found instead (kind 1). Nothing raises.

#include "skin/core/sCommonData.h"
#include "skin/core/sConst.h"
#include "vcl/Controls.h"
#include "vcl/Win.h"

// Asks the window wnd. True when it answered; false for a null window.
bool QueryParentBackgroundWnd(BackgroundInfo& info, HWND wnd, bool paintRequested);
// Asks the control (its window when it has one, else by direct dispatch). Without an answer the
// colour is the control's SKC_GET_BG_COLOR answer, or its own Color when that is 0; a null
// control gives clBtnFace.
bool QueryParentBackground(BackgroundInfo& info, TControl* control, bool paintRequested);
// A ready record over the parent's bitmap for kind 2; for any other kind no bitmap and the
// colour resolved to RGB.
CacheInfo CacheInfoFromBackground(const BackgroundInfo& info);
