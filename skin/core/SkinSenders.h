#pragma once
// The senders of the skin command message (skin/core/sMessages.h): to a window, to a control
// object, to the direct children of a control or a window, down a whole control tree, and to
// the form at the top of a control's parents. They differ in whom they skip and in how they
// reach windowless controls; the delivery to every form of the application is
// skin/core/sStyleSimply.h.
//
// Every send is synchronous (SendMessage, or the class library's direct dispatch Perform),
// so a pointer in LParam stays valid for the receiver, and pointer-carrying commands are
// marked for SkinCommandView::Pointer. The command travels with argument 0.
//
// Windows of other processes are never sent to: the message number is an ordinary application
// message there, and a hung program would hang this one. Pointer-carrying commands go only to
// windows of this thread. Such sends answer 0, like a window nobody skins.
//
// Receivers may add, remove or free controls and windows while they are told. The walks take
// a snapshot of the children first and check before each send that the parent and the child
// are still alive and still related; children that appear meanwhile are not told (they take
// the current skin when they are made). No routine raises of its own; an exception raised by a
// windowless receiver passes on to the caller.

#include "vcl/Controls.h"
#include "vcl/Messages.h"
#include "vcl/Win.h"

#include <functional>

// SendMessage(wnd, SM_SKINCMD, MakeLong(0, command), lParam); 0 for a null, dead or foreign
// window.
LRESULT SendCommandWnd(HWND wnd, WORD command, LPARAM lParam);
// A windowless control gets the command by Perform whatever its state; a windowed one by
// SendMessage only when its window exists and it is not being destroyed (no window is
// created). 0 when nothing was sent, and for nullptr.
LRESULT SendCommandCtl(TControl* control, WORD command, LPARAM lParam);
// SendCommandCtl with LParam 0. Callers that read the answer as a flag test its low byte.
LRESULT SendCommandSimple(TControl* control, WORD command);
// True only for the answer 1 (to command with LParam 0); 2, -1 and 0 are false.
bool AskWndBool(HWND wnd, WORD command);

// SKC_ADAPT_CHILD with the control in LParam to the form at the top of the control's parents
// (its window is created when it has none). Nothing is sent while the control loads, or when
// the top of its parents is not a form; the answer is 0 then.
LRESULT NotifyParentForm25(TControl* control);
// SKC_PARENT_UPDATED to each direct child control that is windowed and showing (or neither
// windowed nor windowless); nothing while PaintLock is set.
void SendChildrenCommand6(TWinControl* parent);
// The same for the children whose bounds meet area (parent's client coordinates): a paint of
// part of the parent changed nothing behind the others.
void SendChildrenCommand6(TWinControl* parent, const TRect& area);
// SKC_PARENT_UPDATED to each direct child window that has WS_CHILD.
void SendChildWindowsCommand6(HWND wnd);

// The background colour a control offers its children, system colours resolved: a skinned
// control is asked SKC_GET_BG_COLOR by direct dispatch (windowed or not), any other answers its
// own Color. TransparentKeyColor for nullptr.
TColor ControlBackColor(TControl* control);
// SKC_GET_BG_COLOR asked of a window: TransparentKeyColor for 0, black (0) from a window that
// does not answer.
TColor ControlBackColorWnd(HWND wnd);

// Passes message down the control tree below parent, depth first in Controls order:
// windowless children and windowed ones without a window by Perform; a windowed child that
// answers SKC_IS_SKINNED is sent the message and passes it on to its own children itself; any
// other windowed child is not sent it, but its children are walked. Children being destroyed
// are passed over. Answers are dropped.
void BroadcastCommand(TWinControl* parent, const TMessage& message);
// The same for a sender that a receiver may free: the walk ends as soon as sender is gone.
// False when it was.
bool BroadcastCommand(TWinControl* parent, const TMessage& message, TComponent* sender);
// Sends message to the direct child windows of wnd, in z-order.
void SendToDirectChildren(HWND wnd, const TMessage& message);
// The first of form's own components, in index order, that is a form provider and is not being
// destroyed; nullptr when there is none (or no form provider unit is in the program).
TComponent* FindSkinProvider(TComponent* form) noexcept;

namespace ks {
// Visits each child control parent has when the walk starts, in Controls order. A visit may run
// application code that frees or moves any control: children freed, given to another parent or
// being destroyed by their turn are passed over, and the walk ends when parent is freed. False
// when it was (the caller then touches nothing of parent).
bool ForEachLiveChild(TWinControl& parent, const std::function<void(TControl&)>& visit);
// SendMessageW with the rules above: 0 for windows of other processes, pointer-carrying skin
// commands only to windows of this thread, and the pointer marked for the receiver.
LRESULT SendSkinMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The two rectangles share at least one pixel.
constexpr bool RectsMeet(const TRect& a, const TRect& b) noexcept
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}
// Perform on the control with the pointer of a pointer-carrying command marked.
LRESULT PerformSkinMessage(TControl& control, UINT msg, WPARAM wParam, LPARAM lParam);
} // namespace ks
