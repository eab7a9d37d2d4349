#pragma once
// The arithmetic of a skinned scroll bar, along the bar: the slider's length and place for a
// scroll state, the part of the bar under a point, and the position a dragged slider stands for.
// Everything is in pixels from the bar's start (left or top) and never divides by zero: a range
// of 0 or less, a page larger than the range, a bar shorter than its arrows and a slider as
// long as its track all give a defined answer.

namespace ks {

// The platform's scroll state of one bar (SCROLLINFO's nMin, nMax, nPage, nPos).
struct ScrollState {
    int Min = 0;
    int Max = 0;
    int Page = 0;
    int Pos = 0;
};

// Parts of a bar, numbered as the scroll codes they send.
enum ScrollPortion : int {
    spNone = -1,
    spFirstArrow = 0,  // SB_LINEUP / SB_LINELEFT
    spSecondArrow = 1, // SB_LINEDOWN / SB_LINERIGHT
    spPageBefore = 2,  // SB_PAGEUP
    spPageAfter = 3,   // SB_PAGEDOWN
    spSlider = 5,      // SB_THUMBTRACK
};

struct ThumbGeometry {
    // Length of the slider.
    int Size = 0;
    // Its start, from the end of the first arrow.
    int Offset = 0;
};

// The range the state spans, nMax - nMin + 1, computed without overflow; 0 or less for none.
long long RangeOf(const ScrollState& s) noexcept;

// The slider of a bar extent pixels long with arrows arrowLength long: as long as an arrow for a
// page of 0, else the page's share of the track raised to minThumbSize; placed by the position's
// share, within the track. Nothing (0, 0) without a range.
ThumbGeometry CalcThumb(int extent, int arrowLength, const ScrollState& s, int minThumbSize) noexcept;

// The part at coordinate at along a bar extent pixels long: the arrows take arrowLength each (half
// the bar each when it is too short for both, leaving no slider); the slider lies at
// arrowLength + thumb.Offset and is thumb.Size long. spNone outside the bar.
ScrollPortion PortionAt(int at, int extent, int arrowLength, const ThumbGeometry& thumb) noexcept;

// Whether a painted bar shows its slider: the page's share of the track, raised to minThumbSize,
// lies between 1 and the track's length.
bool SliderShown(int extent, int arrowLength, const ScrollState& s, int minThumbSize) noexcept;

// The position a slider dragged to sliderStart pixels from the track's start stands for, on a
// track trackLength long with a slider thumbSize long: nMin at the start, the last position a
// page allows at the end, never outside them.
int DragPosition(int sliderStart, int trackLength, int thumbSize, const ScrollState& s) noexcept;

// A position as the 16-bit field of a scroll message carries it: a negative one as its low 16
// bits, which a window reading the field as signed takes back whole (held to -32768 at most
// below); a positive one held to 65535, the largest the field shows.
int Position16(int position) noexcept;

} // namespace ks
