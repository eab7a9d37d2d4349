#pragma once
// Window utilities the skinned controls, adapters and form providers share: painting a
// container's windowless children over its skinned background, questions about the control tree
// (can a control be painted now, which form or frame owns it, how much room its aligned children
// take, which window tops a window's parent chain), text flags, client rectangles, the cursor,
// the switch of the platform's visual style, and the capture of a control tree into a bitmap
// that the show animations (FormAnimation.h) and the hint windows start from, with the
// auxiliary output window those animations draw into where layered windows are not used.
//
// Nothing here raises of its own; questions answer false, nullptr, 0 or an empty sum when the
// control, owner or window is missing. Painting that a receiver's handler raises from passes on
// to the caller, with every device context and flag put back first.

#include "vcl/Classes.h"
#include "vcl/Controls.h"
#include "vcl/Win.h"

#include <memory>

class TBitmap;
class TCustomForm;
class TCustomFrame;

namespace ks {
class AnimatedFormProvider;
}

// GetCursorPos through the platform seams; false when it failed.
bool CursorPos(TPoint& point);

// Draws every visible windowless child of container into dc at its place moved by offset, each
// over the background container offers its children, through one off-screen image. A child
// that leaves its top-left pixel the key colour (TransparentKeyColor) is not copied. When dc
// clips everything away the container is told its image is out of date (SKC_SET_CACHE_OUTDATED)
// instead.
void PaintGraphicChildren(HDC dc, TWinControl* container, TPoint offset);
// A windowless control that is shown, at least 1 x 1, not being destroyed, and whose bounds,
// moved by offset (where its parent's picture lies in dc), dc does not clip away entirely.
bool GraphicChildVisible(TControl* control, HDC dc, TPoint offset);
// The control is ready to be painted: it exists, a windowed one has its window, it is neither
// being created, read, loaded nor destroyed, and it has a parent.
bool CanPaintControl(TControl* control);
// The component itself or the first of its owners that is a form / a frame; nullptr when the
// owner chain ends first.
TCustomForm* OwningForm(TComponent* component);
TCustomFrame* OwningFrame(TComponent* component);
// DrawText flags for a control's text: alignment 0 left, 1 right, 2 centre (anything else
// left), tabs expanded, centred vertically, and the control's right-to-left adjustment.
UINT DrawTextFlagsOf(TControl* control, int alignment);
// The client area of wnd in the coordinates of the whole window (origin at the top-left corner
// of its frame). An empty rectangle for a window that does not exist.
void ClientRectInWindow(HWND wnd, TRect& r);
// The room the shown children of container aligned to alignment take: heights for alTop and
// alBottom, widths for alLeft and alRight, 0 for any other alignment. Windowless children count
// only with includeGraphic.
int GetAlignedSize(TWinControl* container, TAlign alignment, bool includeGraphic);
// The last window reached by GetParent from wnd (which also climbs from an owned window to its
// owner); wnd itself when it has neither.
HWND TopParentWindow(HWND wnd);

// The visual-style library, loaded from the system directory by the unit's start-up and freed
// by its shut-down; nullptr without it. SetWindowTheme itself is the platform seams' entry
// (ks::Sys().SetWindowThemePtr), which tests replace.
extern HMODULE UxThemeLibrary;
// The switch the window adapters and controls use on windows they take over: off gives the
// window no visual style under the skin's painting, back returns the platform's. Nothing
// happens without the library.
void SwitchVisualStyleOff(HWND wnd);
void GiveVisualStyleBack(HWND wnd);

void InitializeVclUtilsUnit() noexcept;
void FinalizeVclUtilsUnit() noexcept;

// ---- capture

// The device context of the bitmap a window is being captured into, nullptr otherwise. While
// PaintLock holds the screen, skinned windows paint only on this device context.
extern HDC CaptureDC;

// Paints control and its windowed descendants into bmp's device context as they look now, the
// control's top-left corner at (x, y) of the DC's current origin. A control that is not shown is
// replaced, when no provider is given, by the background its parent offers at its place. With
// the provider of a form that has a layered border window, bmp is the 32-bit image of the
// whole bordered window and the form's client part is made opaque in it. bmp's DC is left as it
// was found.
void PaintControlToBitmap(TBitmap& bmp, TControl* control, int x, int y, ks::AnimatedFormProvider* provider);

// Sends WM_PRINT to every visible child window of wnd, and theirs, into dc, each at its place
// in wnd's client area; the children below are printed before those above them.
void PrintChildWindows(HWND wnd, HDC dc);

// The hidden auxiliary control whose window shows the animation frames where layered windows
// are not used. Its caption is "acOutputWindow"; it erases nothing and draws no frame. Without
// a parent it is a top-level popup owned by the application's window, topmost when its owner's
// window is.
class TOutputWindow : public TCustomControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TOutputWindow(TComponent* owner);
    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
};

// Lays the output window over control (taking the screen under the control first, once per
// animation): as its next sibling above it when the control has a parent, else as a top-level
// popup at the control's screen rectangle; then shows it without activating it.
void ShowOutputWindow(TControl* control);

namespace ks {
// The output window or temporary layered form of the running animation, nullptr otherwise.
TWinControl* AnimationOutput() noexcept;
// Puts output (or nothing) into the slot; a component freed meanwhile leaves it by itself.
void SetAnimationOutput(TWinControl* output);
// What the screen showed under the control before the animation (output-window path only).
TBitmap* AnimationScreenImage() noexcept;
// Frees the output window (when it is still there) and the screen image, and empties both slots.
void ClearAnimationSlots() noexcept;
} // namespace ks
