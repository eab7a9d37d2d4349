#pragma once
// Skinned non-client scroll bars. A window with the platform's scroll bars (WS_HSCROLL,
// WS_VSCROLL) keeps its scroll state in the platform's SCROLLINFO, but the room for the bars,
// their painting, hit testing and mouse handling are the skin's: while the platform computes the
// window's frame the scroll styles are taken off, and the engine reserves the room itself.
// Scrolling reaches the window as ordinary WM_HSCROLL / WM_VSCROLL messages between
// SKC_BEFORE_SCROLL and SKC_AFTER_SCROLL, so a skinned form may hold its redraw around them.
//
// The engine works for a scroll-window adapter (TacScrollWnd and descendants), whose window
// procedure calls the handlers here. One mouse means one press at a time, so the tracking state
// is process-wide; it is reset when the pressed window loses the capture, loses its skin or is
// destroyed, so no timer or capture outlives the press. The bars are laid out in window
// coordinates from the window's rectangle, left to right also in a mirrored window, where they
// are copied unmirrored, on the side of the screen where the frame pass reserved their room; a
// mirrored window's horizontal bar runs from its right, with its parts in screen order.
// Bar arithmetic is in ScrollBarGeometry.h.

#include "skin/adapters/ScrollBarGeometry.h"
#include "vcl/Classes.h"
#include "vcl/GraphicsTypes.h"
#include "vcl/Win.h"

#include <cstdint>

class TacScrollWnd;
class TacMainWnd;

// The timers of a press and of hovering, on the window of the bar.
inline constexpr UINT_PTR ScrollFirstRepeatTimer = 65533; // 300 ms after the press
inline constexpr UINT_PTR ScrollRepeatTimer = 65534;      // every 55 ms after that
inline constexpr UINT_PTR ScrollHoverTimer = 65522;       // every 20 ms while hovered

// One skinned bar of a window.
class TacScrollBar : public TObject {
public:
    const char* ClassName() const noexcept override { return "TacScrollBar"; }

    // 8: the window has this bar (its scroll style is set); 0: it has none.
    uint16_t ScrollFlags = 0;
    // Shown: it has its style and fits into the window.
    bool ScrollVisible = false;
    // As last read from the window (SIF_ALL).
    SCROLLINFO ScrollInfo{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    // Negative: that many times the default.
    int ArrowLength = -1;
    int ArrowWidth = -1;
    int ButSizeBefore = 0;
    int ButSizeAfter = 0;
    bool ButVisibleBefore = false;
    bool ButVisibleAfter = false;
    // SB_HORZ or SB_VERT.
    uint16_t BarType = SB_HORZ;
    uint16_t FlatScrollbar = 0;
    uint16_t MinThumbSize = 10;
    TacScrollWnd* Owner = nullptr;

    // The state as the bar arithmetic takes it.
    ks::ScrollState State() const noexcept
    {
        return {ScrollInfo.nMin, ScrollInfo.nMax, static_cast<int>(ScrollInfo.nPage), ScrollInfo.nPos};
    }
};

// ---- attach and detach
// Creates both bars of adapter, reads their state and takes the window over; with repaint the
// frame is recomputed at once.
void InitializeScrollBars(TacScrollWnd* adapter, HWND wnd, bool repaint);
// RemoveScrollWndHandler for a scroll-window adapter whose skin data has an owner control; also
// frees both bars.
void RemoveScrollBarsHandler(HWND wnd, bool freeHandler, bool repaint, TacMainWnd*& handler);
// Re-reads both bars from the window and, with repaint and while painting is not locked,
// repaints them. Nothing for nullptr, a handler without bars or while its skin data updates.
void RefreshScrollBars(TacMainWnd* handler, bool repaint);
// Paints both bars and the corner between them onto dc (0: the window DC). hotPart is the
// portion painted pressed in the pressed bar.
void DrawScrollBars(TacScrollWnd* handler, HWND wnd, HDC dc, int hotPart);

// ---- geometry
enum class ScrollMetric { Thickness, ArrowLength };
// Thickness or arrow length of bar; skin sizes allowed lets the skin's arrow images lengthen the
// arrows.
int GetScrollMetric(const TacScrollBar* bar, ScrollMetric metric, bool skinSizesAllowed);
// Whether the vertical bar shows at the screen's left: at the window's far side from where its
// layout begins (the right, or the left of a window laid out right to left), or at the near side
// with WS_EX_LEFTSCROLLBAR. The room for it is reserved at the left or right of the frame's
// rectangle, whose sides a parent laid out right to left swaps on the screen. Every placement of
// the bars and of what they leave to the client follows this.
bool VScrollOnScreenLeft(const TacScrollWnd* handler) noexcept;
// Whether the horizontal bar runs from the screen's right, as the platform draws it for a window
// laid out right to left: its first position puts the slider at the right, the arrow at the
// right moves toward the first position and the one at the left away from it.
bool HScrollFromRight(const TacScrollWnd* handler) noexcept;
// The bars' screen rectangles (empty height or width when the bar is hidden).
void GetHScrollRect(const TacScrollWnd* handler, HWND wnd, TRect& r);
void GetVScrollRect(const TacScrollWnd* handler, HWND wnd, TRect& r);
// The bar of the window's adapter; nullptr when it has none.
TacScrollBar* GetScrollBarOf(HWND wnd, int bar);
// Sets the smallest slider length of SB_HORZ, SB_VERT or SB_BOTH.
void SetMinThumbSize(HWND wnd, int bar, int size);
// Whether the platform counts the bar as usable.
bool IsScrollbarActive(const TacScrollBar* bar);

// ---- message handlers, called from the adapter's window procedure; each returns the answer
LRESULT HandleNcCalcSize(TacScrollWnd* handler, HWND wnd, WPARAM wParam, LPARAM lParam);
LRESULT HandleNcHitTest(TacScrollWnd* handler, HWND wnd, WPARAM wParam, LPARAM lParam);
LRESULT HandleNcMouseMove(TacScrollWnd* handler, HWND wnd, WPARAM wParam, LPARAM lParam);
LRESULT HandleNcLButtonDown(TacScrollWnd* handler, HWND wnd, WPARAM wParam, LPARAM lParam);
LRESULT HandleMouseMove(TacScrollWnd* handler, HWND wnd, WPARAM wParam, LPARAM lParam);
LRESULT HandleLButtonUp(TacScrollWnd* handler, HWND wnd, WPARAM wParam, LPARAM lParam);
LRESULT HandleTimer(TacScrollWnd* handler, HWND wnd, WPARAM wParam, LPARAM lParam);
LRESULT HandleStyleChanged(TacScrollWnd* handler, HWND wnd, WPARAM wParam, LPARAM lParam);
// The press ends when the window loses the capture (another window took it, a modal loop
// started), its skin goes, or it is destroyed: timers killed, the capture the press took given
// back, a running drag finished, the state reset.
void CancelScrollTracking(TacScrollWnd* handler, HWND wnd);
// The same, and the hover of wnd forgotten with its timer: the window goes or is given back.
void ForgetScrollWindow(TacScrollWnd* handler, HWND wnd);

// Sends msg (WM_HSCROLL or WM_VSCROLL) with code and position to wnd between SKC_BEFORE_SCROLL
// and SKC_AFTER_SCROLL; returns the latter's answer.
LRESULT SendScrollMessage(HWND wnd, UINT msg, int code, int position);

// ---- tracking state, read by tests and by the adapters
struct ScrollTracking {
    int CurrentBar = -1;
    int PressedPortion = -1;
    int PressedHotPortion = -1;
    UINT ScrollMsg = 0;
    UINT_PTR RepeatTimer = 0;
    int LastTrackPos = -1;
    HWND PressedWnd = nullptr;
    // Counts the presses, so that code run by a press can tell whether that press goes on.
    unsigned Press = 0;
    HWND HoverWnd = nullptr;
    int HoverBar = -1;
    int HoverPortion = -1;
    int PrevHoverPortion = -1;
    UINT_PTR HoverTimer = 0;
    TRect HoverRect;
    int ThumbSize = 0;
    int ThumbPos = 0;
    int ThumbOffset = 0;
    TRect TrackRect;
};
const ScrollTracking& CurrentScrollTracking() noexcept;
