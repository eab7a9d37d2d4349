#include "vcl/TrayIcon.h"

#include "vcl/Controls.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/PlatformSeams.h"
#include "vcl/TypInfo.h"

#include <shellapi.h>

#include <algorithm>
#include <utility>

namespace {
const ks::PropertyInfo TrayIconProps[] = {
    ks::Prop<&TTrayIcon::Hint, &TTrayIcon::SetHint>("Hint"),
    ks::Prop<&TTrayIcon::Icon>("Icon"),
    ks::Prop<&TTrayIcon::PopupMenu, &TTrayIcon::SetPopupMenu>("PopupMenu"),
    ks::Prop<&TTrayIcon::Visible, &TTrayIcon::SetVisible>("Visible").DefaultIs(false),
    ks::Prop<&TTrayIcon::OnClick, &TTrayIcon::SetOnClick>("OnClick"),
};

constexpr UINT TrayIconId = 1;
} // namespace

const ks::ClassInfo TTrayIcon::StaticClassInfo{"TTrayIcon", &TComponent::StaticClassInfo, TrayIconProps, {}};
const ks::ClassInfo& TTrayIcon::ClassInfo() const noexcept { return StaticClassInfo; }

TTrayIcon::TTrayIcon(TComponent* owner) : TComponent(owner), FIcon(std::make_unique<TIcon>())
{
    FTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    FWindow = AllocateHWnd(TWndMethod(this, &TTrayIcon::WndProc));
    FIcon->SetOnChange(TNotifyEvent(this, &TTrayIcon::IconChanged));
}

TTrayIcon::~TTrayIcon()
{
    DeallocateHWnd(std::exchange(FWindow, nullptr));
}

void TTrayIcon::BeforeDestruction()
{
    if (FAdded)
        Notify(NIM_DELETE);
    FAdded = false;
    TComponent::BeforeDestruction();
}

bool TTrayIcon::Notify(DWORD action)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = FWindow;
    data.uID = TrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = CallbackMessage;
    data.hIcon = IconHandle();
    size_t tip = std::min(FHint.size(), std::size(data.szTip) - 1);
    FHint.copy(data.szTip, tip);
    data.szTip[tip] = L'\0';
    return Shell_NotifyIconW(action, &data) != FALSE;
}

HICON TTrayIcon::IconHandle() const
{
    if (!FIcon->Empty())
        return FIcon->Handle();
    if (Application && Application->Icon() && !Application->Icon()->Empty())
        return Application->Icon()->Handle();
    return LoadIconW(nullptr, IDI_APPLICATION);
}

void TTrayIcon::SetVisible(bool value)
{
    FVisible = value;
    if (ComponentState().Contains(csLoading))
        return;
    if (value && !FAdded) {
        if (!Notify(NIM_ADD)) {
            FVisible = false;
            throw EOSError("The notification area refused the icon");
        }
        FAdded = true;
    } else if (!value && FAdded) {
        Notify(NIM_DELETE);
        FAdded = false;
    }
}

void TTrayIcon::Loaded()
{
    TComponent::Loaded();
    if (FVisible)
        SetVisible(true);
}

void TTrayIcon::SetHint(const std::wstring& value)
{
    FHint = value;
    if (FAdded)
        Notify(NIM_MODIFY);
}

void TTrayIcon::IconChanged(TObject*)
{
    if (FAdded)
        Notify(NIM_MODIFY);
}

void TTrayIcon::SetPopupMenu(TPopupMenu* menu)
{
    ReplaceReference(FPopupMenu, menu);
}

void TTrayIcon::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == FPopupMenu)
        FPopupMenu = nullptr;
}

void TTrayIcon::Click()
{
    if (FOnClick)
        FOnClick(this);
}

void TTrayIcon::ShowPopupMenu()
{
    if (!FPopupMenu)
        return;
    POINT at{};
    ks::Sys().GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere, and
    // without the posted message it would not open a second time (a shell quirk).
    SetForegroundWindow(FWindow);
    FPopupMenu->SetPopupComponent(this);
    FPopupMenu->Popup(at.x, at.y);
    PostMessageW(FWindow, WM_NULL, 0, 0);
}

void TTrayIcon::WndProc(TMessage& message)
{
    // The shell's message is numbered at run time, so it cannot be a switch case.
    if (message.Msg == FTaskbarCreated) {
        WMTaskbarCreated();
        return;
    }
    switch (message.Msg) {
    case CallbackMessage: { TWMNotifyIcon v(message); WMNotifyIcon(v); break; }
    default: message.Result = DefWindowProcW(FWindow, message.Msg, message.WParam, message.LParam); break;
    }
}

void TTrayIcon::WMNotifyIcon(TWMNotifyIcon& m)
{
    switch (m.MouseMsg()) {
    case WM_LBUTTONUP: Click(); break;
    case WM_RBUTTONUP: ShowPopupMenu(); break;
    default: break;
    }
}

void TTrayIcon::WMTaskbarCreated()
{
    // The shell came back empty: a visible icon goes in again.
    if (!FAdded || Notify(NIM_ADD))
        return;
    // The broadcast does not prove the shell forgot the icon (a second broadcast, or one sent
    // by another program): an icon the shell refuses because it still holds it stays ours to
    // remove when hiding.
    if (Notify(NIM_MODIFY))
        return;
    // Gone and refused, the icon was the only way back to a main window hidden behind it: the
    // window comes back instead, as when the icon is refused at first.
    FAdded = false;
    FVisible = false;
    if (Application && Application->MainForm())
        Application->MainForm()->SetVisible(true);
}
