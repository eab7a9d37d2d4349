#pragma once
// The arithmetic of moving and sizing a skinned form by its frame: snapping a moved form to the
// edges of the work area, the outline rectangle of a sizing drag, and which border band of the
// frame a point lies in. Everything is in pixels; sums are formed in 64 bits, so positions and
// sizes near the ends of int give a defined answer, and no rectangle comes out narrower or lower
// than one pixel.

namespace ks {

// The platform's hit codes of the frame's border bands (HTLEFT .. HTBOTTOMRIGHT).
enum FrameHitCode : int {
    fhNone = 0,
    fhLeft = 10,
    fhRight = 11,
    fhTop = 12,
    fhTopLeft = 13,
    fhTopRight = 14,
    fhBottom = 15,
    fhBottomLeft = 16,
    fhBottomRight = 17,
};

struct FrameRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// pos := edge - size when the far side pos + size lies strictly less than buffer pixels from
// edge; otherwise pos is left alone. A buffer of 0 or less never snaps.
void CheckSnap(int& pos, int edge, int buffer, int size) noexcept;

// The four snaps of a form of width x height placed at (x, y) against workArea, in the order the
// right, bottom, left and top edges are tried: the form's frame margins (marginX at the sides and
// the bottom, marginY at the top) may lie outside the work area.
void SnapToWorkArea(int& x, int& y, int width, int height, const FrameRect& workArea, int buffer, int marginX,
                    int marginY) noexcept;

// The outline of a sizing drag that started on the border band hitCode of form and has moved
// the cursor by (dx, dy) since: the edges the band names follow the cursor; a band of one side
// leaves the other direction alone; any other code (a size started from the keyboard) moves the
// right and bottom edges. An edge that would make the outline narrower than minWidth or lower
// than minHeight stops there, measured from the opposite edge; minima below 1 count as 1.
FrameRect SizingOutline(const FrameRect& form, int hitCode, int dx, int dy, int minWidth, int minHeight) noexcept;

// The outline of a moving drag: form shifted by (dx, dy).
FrameRect MovedOutline(const FrameRect& form, int dx, int dy) noexcept;

// The border band of a window width x height at (x, y) in window coordinates: y < top gives the
// top, y > height - border the bottom, x < border the left, x > width - border the right, and a
// point in two bands the corner between them. fhNone inside.
FrameHitCode BorderBandAt(int x, int y, int width, int height, int border, int top) noexcept;

// Whether code is one of the border bands.
bool IsBorderBand(int code) noexcept;

} // namespace ks
