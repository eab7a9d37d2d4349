#pragma once
// The program's icon in the notification area: shown and hidden through Visible, clicked
// through OnClick, with its popup menu on a right click. A hidden utility window receives the
// icon's callback messages and the shell's "TaskbarCreated" broadcast, after which a visible
// icon is added again (the shell forgets every icon when it restarts).

#include "vcl/Classes.h"
#include "vcl/Icon.h"
#include "vcl/Messages.h"

#include <memory>
#include <string>

class TPopupMenu;

class TTrayIcon : public TComponent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    // The message the shell sends to the icon's window; LParam is the mouse message.
    static constexpr UINT CallbackMessage = WM_APP + 0x100;

    explicit TTrayIcon(TComponent* owner);
    ~TTrayIcon() override;
    void BeforeDestruction() override;

    bool Visible() const noexcept { return FVisible; }
    // Adds or removes the icon. Raises EOSError when the shell refuses to add it, leaving
    // Visible false, so a caller that hides its window only afterwards never strands the user
    // without a way back.
    void SetVisible(bool value);
    // The picture shown; while it is empty the application's icon is shown.
    TIcon* Icon() const noexcept { return FIcon.get(); }
    // The tip the shell shows over the icon (up to 127 characters).
    const std::wstring& Hint() const noexcept { return FHint; }
    void SetHint(const std::wstring& value);
    TPopupMenu* PopupMenu() const noexcept { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* menu);
    TNotifyEvent OnClick() const noexcept { return FOnClick; }
    void SetOnClick(TNotifyEvent handler) noexcept { FOnClick = handler; }

    // The window the shell talks to.
    HWND WindowHandle() const noexcept { return FWindow; }

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    virtual void Click();

private:
    void WndProc(TMessage& message);
    void WMNotifyIcon(TWMNotifyIcon& m);
    void WMTaskbarCreated();
    // One Shell_NotifyIconW call with everything the icon shows.
    bool Notify(DWORD action);
    HICON IconHandle() const;
    void IconChanged(TObject* sender);
    void ShowPopupMenu();

    HWND FWindow = nullptr;
    UINT FTaskbarCreated = 0;
    bool FVisible = false;
    bool FAdded = false;
    std::unique_ptr<TIcon> FIcon;
    std::wstring FHint;
    TPopupMenu* FPopupMenu = nullptr;
    TNotifyEvent FOnClick;
};
