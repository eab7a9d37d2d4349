#pragma once
// What the window adapters share when they paint a window they took over: the window's font on a
// cache canvas, the device context to paint into, the cache bitmap (its size, whether painting
// must wait, its frame), the skin's disabled look over a cache, a glyph centred in an area, the
// hot test of a window that may have no class-library control behind it, a state change made
// while the window's own painting is held back, and a paint made in the erase step.
#include "skin/adapters/acSBUtils.h"
#include "skin/core/sConst.h"
#include "vcl/Bitmap.h"
#include "vcl/GdiHandles.h"
#include "vcl/Graphics.h"
#include "vcl/Win.h"

#include <optional>

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
    // A taken DC of a mirrored window copies the engine's pictures unflipped, as ks::WindowDC.
    std::optional<ks::OrientationPreservedDC> FKept;
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
// Recomputes the skin data's updating flag; true when painting must wait.
bool StillUpdating(TsCommonData& skinData);
// The frame, width wide, of a cache bitmap that holds the whole window into dc at its origin;
// nothing without either.
void CopyCacheFrame(HDC dc, TBitmap* cache, int width);
// The disabled look: 40 % of the background behind the window (at pos in the parent) mixed into
// every pixel of the cache that is not the key colour.
void BlendDisabled(TBitmap& cache, const CacheInfo& background, TPoint pos);
// The colour that fills what lies behind a window when its background came as a colour: the
// answered one, or, when the answer holds none (the key colour or clNone), the skin's global
// section colour, as the skin core's own parent query falls back to; clBtnFace without a manager.
TColor BackgroundFillColour(TColor answered, const TsSkinManager* manager) noexcept;

// Runs the message through the adapter's own inherited handling with the window's redraw
// switched off, so that the platform control does not paint over the skin meanwhile.
template <class Handler>
void WithoutRedraw(HWND wnd, Handler&& handler)
{
    SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    handler();
    SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
}

// One state cell of glyph, an image of the manager's, centred in area of bmp; the state is held
// to the image's last cell. Nothing for an image without cells.
void PaintCentredGlyph(TsSkinManager& manager, int glyph, TBitmap& bmp, const TRect& area, int state,
                       const CacheInfo& ci);

// Removes the rectangles of wnd's visible child windows from dc's clip (window coordinates).
void ExcludeChildWindows(HDC dc, HWND wnd);

// WM_PAINT of an adapter that makes the whole picture in the erase step: the window is erased
// and validated, and the platform's own paint never runs.
void PaintThroughErase(HWND wnd);
// WM_ERASEBKGND of such an adapter: a visible window is painted by paint(dc) and the message
// answered with result; a hidden window's goes on (false).
template <class Paint>
bool PaintInEraseStep(HWND wnd, TWMEraseBkgnd view, LRESULT result, Paint&& paint)
{
    if (!IsWindowVisible(wnd))
        return false;
    paint(view.DC());
    view.SetResult(result);
    return true;
}

} // namespace ks::adapters
