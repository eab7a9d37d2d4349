#pragma once
// What the button-family, static and panel adapters share when they paint a window they took
// over: the window's font on a cache canvas, the device context to paint into, the skin's
// disabled look over a cache, the hot test of a window that may have no class-library control
// behind it, and a state change made while the window's own painting is held back.
#include "skin/adapters/acSBUtils.h"
#include "skin/core/sConst.h"
#include "vcl/Bitmap.h"
#include "vcl/Graphics.h"
#include "vcl/Win.h"

class TsCommonData;
class TsSkinManager;

namespace ks::adapters {

// The DC a message brought, else one taken from the window (its whole area with window set)
// and given back at the end of the scope.
class TargetDC {
public:
    TargetDC(HWND wnd, HDC given, bool window = false) noexcept;
    ~TargetDC();
    TargetDC(const TargetDC&) = delete;
    TargetDC& operator=(const TargetDC&) = delete;
    HDC get() const noexcept { return FDC; }

private:
    HWND FWnd;
    HDC FDC;
    bool FTaken;
};

// The canvas takes the owner control's font, else the font the window answers to WM_GETFONT,
// else the system's GUI font (a window may answer 0).
void UseWindowFont(TCanvas& canvas, HWND wnd, TControl* owner);

// The manager the adapter paints with; nullptr without one.
TsSkinManager* ManagerOf(const TacMainWnd& adapter) noexcept;
// The adapter has skin data and an active manager: everything else goes to the window as if
// there were no adapter.
bool SkinActiveFor(const TacMainWnd& adapter) noexcept;
// Hot: enabled and focused, under the mouse or the manager's active control.
bool WindowIsHot(const TacMainWnd& adapter) noexcept;

// The cache bitmap of the skin data made 24-bit and size; nullptr when the system gives none.
TBitmap* SizedCache(TsCommonData& skinData, TSize size);
// The disabled look: 40 % of the background behind the window (at pos in the parent) mixed into
// every pixel of the cache that is not the key colour.
void BlendDisabled(TBitmap& cache, const CacheInfo& background, TPoint pos);

// Runs the message through the adapter's own inherited handling with the window's redraw
// switched off, so that the platform control does not paint over the skin meanwhile.
template <class Handler>
void WithoutRedraw(HWND wnd, Handler&& handler)
{
    SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    handler();
    SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
}

// Removes the rectangles of wnd's visible child windows from dc's clip (window coordinates).
void ExcludeChildWindows(HDC dc, HWND wnd);

} // namespace ks::adapters
