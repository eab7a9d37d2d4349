#pragma once
// The process-wide state of a skinned form's own outline drag (rmBorder) and of its title-button
// press: one drag and one press run at a time, on the one UI thread. FormHitTest.cpp defines the
// drag state; the frame geometry's outline routines read and write it.

#include "vcl/GraphicsTypes.h"
#include "vcl/Win.h"

class TsSkinProvider;

// An outline drag is running (set by DragOutlineBegin).
extern bool SizingActive;
// The next mouse move only records the cursor.
extern bool FirstMove;
// The drag moves the window (true) or sizes it (false).
extern bool MovingWindow;
// The border band (HTLEFT .. HTBOTTOMRIGHT) a sizing drag started on; 0 for none.
extern int SizingHitCode;
// The outline in screen coordinates.
extern TRect SizingRect;
// The cursor at the previous move (moving) or at the start (sizing), in screen coordinates.
extern TPoint LastCursor;
// The form's size constraints, taken when a sizing drag starts.
extern int MinTrackHeight;
extern int MinTrackWidth;
// A title button is pressed (set by SetPressedHitCode, cleared by SetHotHitCode; defined with
// them).
extern bool TitleButtonPressed;
// Set on WM_CREATE of an MDI child while the active MDI child is maximised; the child's first
// erase or paint consumes it.
extern bool MDIMaximizedChild;

// Starts the outline drag of provider's form (capture, outline drawn, state set): moving, or
// sizing from the border band hitCode (0: the right and bottom edges, as from the keyboard).
void StartOutlineDrag(TsSkinProvider& provider, bool moving, int hitCode);
// Ends a running outline drag of provider's form without moving it: the outline erased, the
// capture let go, the state cleared. For a skin removed while the form is being dragged, whose
// mouse messages then no longer reach the drag.
void CancelOutlineDrag(TsSkinProvider& provider) noexcept;
