#pragma once
// The show animations of skinned forms and dialogs: the window's new look fades in (atFading)
// or grows in from half size (atAero) in a layered window laid over the real one, or, where
// layered windows are not available or the control is not a form with a provider, cross-fades
// from what the screen showed into the new look inside the output window (sVclUtils.h). The
// form provider calls them when a form is shown, the dialog adapter when a dialog is, and the
// end of a skin change's redraw lock for each form (sStyleSimply.h). The frame plan is
// AnimationFrames.h; the frames are paced by the platform seams' Sleep.
//
// Each call blocks until its last frame. PaintLock and CaptureDC are set while the frames are
// made and cleared at the end. However a call ends (a painting handler raising, the window or
// its provider freed between two frames) it frees its temporary windows, releases the screen,
// shows any window it hid at full opacity, and gives the real window its redraw back and repaints
// it when it still exists. One animation runs at a time: a call made meanwhile (from a handler
// the running one set off) shows the final look at once.

#include "skin/core/FormServices.h"
#include "skin/core/sConst.h"

#include <cstdint>

class TWinControl;

// A form with an extended border window, through that window; maxAlpha is the opacity the form
// ends with. A border form owned by anything but a form provider is not animated: its owner
// window is only repainted.
void AnimateBorderedForm(ks::AnimatedBorderForm& border, uint16_t time, uint8_t maxAlpha, TacAnimType mode);
// A skinned dialog, through its border window or a temporary layered form.
void AnimateDialogWindow(ks::AnimatedDialog& dialog, uint16_t time, uint8_t maxAlpha, TacAnimType mode);
// A form (through a temporary layered form, and its border window when it has one) or any
// windowed control (through the output window, where mode is not used). A control without a
// window is left alone.
void AnimateFormWindow(TWinControl* control, uint16_t time, uint8_t maxAlpha, TacAnimType mode);

namespace ks {
// True while an animation runs.
bool AnimationRunning() noexcept;
} // namespace ks
