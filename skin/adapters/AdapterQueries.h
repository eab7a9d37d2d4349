#pragma once
// The small questions every window adapter asks of its window, its message or its control: the
// window's styles and screen rectangle, whether a point lies in a rectangle, whether a skin
// command comes from the adapter's own manager, and whether a control is on its way out.
#include "vcl/Classes.h"
#include "vcl/GraphicsTypes.h"
#include "vcl/Messages.h"
#include "vcl/Win.h"

class TsCommonData;

namespace ks::adapters {

DWORD StyleOf(HWND wnd) noexcept;
DWORD ExStyleOf(HWND wnd) noexcept;
// The window's rectangle on the screen; empty for a window that is gone.
TRect WindowRectOf(HWND wnd) noexcept;
// The window's client area on the screen, left edge first also for a mirrored window, whose
// own client coordinates count x from the right.
TRect ClientRectOnScreen(HWND wnd) noexcept;
// Right and bottom edges are outside.
bool Inside(const TRect& r, POINT p) noexcept;
// The skin command message comes from the manager of data (false without data).
bool OwnManager(const TMessage& m, const TsCommonData* data) noexcept;
bool Destroying(const TComponent* c) noexcept;
bool Loading(const TComponent* c) noexcept;

} // namespace ks::adapters
