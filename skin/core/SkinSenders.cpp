#include "skin/core/SkinSenders.h"

#include "skin/core/ComponentWatch.h"
#include "skin/core/SkinServices.h"
#include "skin/core/sConst.h"
#include "skin/core/sMessages.h"
#include "skin/core/sStyleSimply.h"
#include "vcl/Forms.h"

#include <vector>

namespace {

WPARAM CommandWParam(WORD command) noexcept
{
    return static_cast<WPARAM>(MAKELONG(0, command));
}

// The children of parent as they are now, each watched.
std::vector<TControl*> ChildSnapshot(ks::ComponentWatch& watch, const TWinControl& parent)
{
    std::vector<TControl*> children;
    children.reserve(static_cast<size_t>(parent.ControlCount()));
    for (int i = 0; i < parent.ControlCount(); ++i) {
        TControl* child = parent.Controls(i);
        watch.Watch(child);
        children.push_back(child);
    }
    return children;
}

// A child of the snapshot that may still be told: alive, still parent's, not going.
bool StillChildOf(const ks::ComponentWatch& watch, const TControl* child, const TWinControl* parent)
{
    return watch.Alive(child) && child->Parent() == parent && !child->ComponentState().Contains(csDestroying);
}

std::vector<HWND> DirectChildWindows(HWND wnd)
{
    std::vector<HWND> children;
    for (HWND child = GetTopWindow(wnd); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// Sender, when given, is watched by watch; the walk ends when it or parent is freed.
void BroadcastInto(ks::ComponentWatch& watch, TWinControl* parent, const TMessage& message, const TComponent* sender)
{
    for (TControl* child : ChildSnapshot(watch, *parent)) {
        if (!watch.Alive(parent) || (sender && !watch.Alive(sender)))
            return;
        if (!StillChildOf(watch, child, parent))
            continue;
        auto* windowed = dynamic_cast<TWinControl*>(child);
        if (!windowed || !windowed->HandleAllocated()) {
            ks::PerformSkinMessage(*child, message.Msg, message.WParam, message.LParam);
        } else if (static_cast<uint8_t>(SendCommandSimple(windowed, SKC_IS_SKINNED)) != 0) {
            // A skinned control passes the message on to its own children.
            if (watch.Alive(windowed) && windowed->HandleAllocated())
                ks::SendSkinMessage(windowed->Handle(), message.Msg, message.WParam, message.LParam);
        } else {
            BroadcastInto(watch, windowed, message, sender);
        }
    }
}

} // namespace

namespace ks {

bool ForEachLiveChild(TWinControl& parent, const std::function<void(TControl&)>& visit)
{
    ComponentWatch watch;
    watch.Watch(&parent);
    for (TControl* child : ChildSnapshot(watch, parent)) {
        if (!watch.Alive(&parent))
            return false;
        if (StillChildOf(watch, child, &parent))
            visit(*child);
    }
    return watch.Alive(&parent);
}

LRESULT SendSkinMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(wnd, &process);
    if (thread == 0 || process != GetCurrentProcessId())
        return 0;
    if (msg == SM_SKINCMD && CarriesPointer(HIWORD(wParam)) && thread != GetCurrentThreadId())
        return 0;
    PointerSendScope mark(msg, wParam, lParam);
    return SendMessageW(wnd, msg, wParam, lParam);
}

LRESULT PerformSkinMessage(TControl& control, UINT msg, WPARAM wParam, LPARAM lParam)
{
    PointerSendScope mark(msg, wParam, lParam);
    return control.Perform(msg, wParam, lParam);
}

} // namespace ks

LRESULT SendCommandWnd(HWND wnd, WORD command, LPARAM lParam)
{
    return ks::SendSkinMessage(wnd, SM_SKINCMD, CommandWParam(command), lParam);
}

LRESULT SendCommandCtl(TControl* control, WORD command, LPARAM lParam)
{
    if (!control)
        return 0;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (!windowed)
        return ks::PerformSkinMessage(*control, SM_SKINCMD, CommandWParam(command), lParam);
    if (windowed->ComponentState().Contains(csDestroying) || !windowed->HandleAllocated())
        return 0;
    return SendCommandWnd(windowed->Handle(), command, lParam);
}

LRESULT SendCommandSimple(TControl* control, WORD command)
{
    return SendCommandCtl(control, command, 0);
}

bool AskWndBool(HWND wnd, WORD command)
{
    return SendCommandWnd(wnd, command, 0) == 1;
}

LRESULT NotifyParentForm25(TControl* control)
{
    if (!control)
        return 0;
    const TComponentState state = control->ComponentState();
    if (state.Contains(csDesigning) || state.Contains(csLoading))
        return 0;
    TControl* top = control;
    while (top->Parent())
        top = top->Parent();
    auto* form = dynamic_cast<TCustomForm*>(top);
    if (!form)
        return 0;
    return SendCommandWnd(form->Handle(), SKC_ADAPT_CHILD, reinterpret_cast<LPARAM>(control));
}

namespace {

void TellParentUpdated(TControl& child)
{
    if (dynamic_cast<TGraphicControl*>(&child))
        return;
    if (auto* windowed = dynamic_cast<TWinControl*>(&child)) {
        if (windowed->HandleAllocated() && windowed->Showing())
            SendCommandWnd(windowed->Handle(), SKC_PARENT_UPDATED, 0);
    } else {
        SendCommandCtl(&child, SKC_PARENT_UPDATED, 0);
    }
}

} // namespace

void SendChildrenCommand6(TWinControl* parent)
{
    if (PaintLock || !parent)
        return;
    ks::ForEachLiveChild(*parent, TellParentUpdated);
}

void SendChildrenCommand6(TWinControl* parent, const TRect& area)
{
    if (PaintLock || !parent)
        return;
    // Picked before any is told, and only those watched: a small paint among many children
    // costs the children it reaches.
    ks::ComponentWatch watch;
    watch.Watch(parent);
    std::vector<TControl*> reached;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* child = parent->Controls(i);
        if (ks::RectsMeet(child->BoundsRect(), area)) {
            watch.Watch(child);
            reached.push_back(child);
        }
    }
    for (TControl* child : reached) {
        if (!watch.Alive(parent))
            return;
        if (StillChildOf(watch, child, parent))
            TellParentUpdated(*child);
    }
}

void SendChildWindowsCommand6(HWND wnd)
{
    // A receiver may destroy or restack its siblings, which would end or loop a walk along the
    // live z-order; the snapshot is walked instead, each window checked again.
    for (HWND child : DirectChildWindows(wnd))
        if (IsWindow(child) && GetParent(child) == wnd && (GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD))
            SendCommandWnd(child, SKC_PARENT_UPDATED, 0);
}

TColor ControlBackColor(TControl* control)
{
    if (!control)
        return TransparentKeyColor;
    if (SendCommandCtl(control, SKC_IS_SKINNED, 0) == 1) {
        const LRESULT answer =
            ks::PerformSkinMessage(*control, SM_SKINCMD, CommandWParam(SKC_GET_BG_COLOR), TransparentKeyColor);
        return ColorToRGB(static_cast<TColor>(answer));
    }
    return ColorToRGB(control->Color());
}

TColor ControlBackColorWnd(HWND wnd)
{
    if (!wnd)
        return TransparentKeyColor;
    return ColorToRGB(static_cast<TColor>(SendCommandWnd(wnd, SKC_GET_BG_COLOR, TransparentKeyColor)));
}

TComponent* FindSkinProvider(TComponent* form) noexcept
{
    const auto providerForm = ks::Services().ProviderForm;
    if (!form || !providerForm)
        return nullptr;
    for (int i = 0; i < form->ComponentCount(); ++i) {
        TComponent* c = form->Components(i);
        if (providerForm(c) && !c->ComponentState().Contains(csDestroying))
            return c;
    }
    return nullptr;
}

void BroadcastCommand(TWinControl* parent, const TMessage& message)
{
    if (!parent)
        return;
    ks::ComponentWatch watch;
    watch.Watch(parent);
    BroadcastInto(watch, parent, message, nullptr);
}

bool BroadcastCommand(TWinControl* parent, const TMessage& message, TComponent* sender)
{
    ks::ComponentWatch watch;
    watch.Watch(sender);
    if (parent && watch.Alive(sender)) {
        watch.Watch(parent);
        BroadcastInto(watch, parent, message, sender);
    }
    return watch.Alive(sender);
}

void SendToDirectChildren(HWND wnd, const TMessage& message)
{
    for (HWND child : DirectChildWindows(wnd))
        if (IsWindow(child) && GetParent(child) == wnd)
            ks::SendSkinMessage(child, message.Msg, message.WParam, message.LParam);
}
