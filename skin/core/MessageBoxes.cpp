#include "skin/core/MessageBoxes.h"

#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"

int DialogPosX = -1;
int DialogPosY = -1;

namespace {

const wchar_t* KindCaption(TMsgDlgType kind) noexcept
{
    switch (kind) {
    case mtWarning: return L"Warning";
    case mtError: return L"Error";
    case mtInformation: return L"Information";
    case mtConfirmation: return L"Confirm";
    default: return L"";
    }
}

UINT KindIcon(TMsgDlgType kind) noexcept
{
    switch (kind) {
    case mtWarning: return MB_ICONWARNING;
    case mtError: return MB_ICONERROR;
    case mtInformation: return MB_ICONINFORMATION;
    case mtConfirmation: return MB_ICONQUESTION;
    default: return 0;
    }
}

UINT ButtonSet(TMsgDlgButtons b) noexcept
{
    if (b.Contains(mbOK))
        return b.Contains(mbCancel) ? MB_OKCANCEL : MB_OK;
    if (b.Contains(mbAbort) || b.Contains(mbIgnore))
        return MB_ABORTRETRYIGNORE;
    if (b.Contains(mbYes) || b.Contains(mbNo))
        return b.Contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    if (b.Contains(mbRetry))
        return MB_RETRYCANCEL;
    return MB_OK;
}

// For as long as a box is up: the application counts as modal and the requested position waits
// for the dialog code. Both are given back however the box ends, so a failed box leaves no
// stale position behind for the next dialog.
class BoxScope {
public:
    BoxScope(int x, int y)
    {
        Application->ModalStarted();
        DialogPosX = x;
        DialogPosY = y;
    }
    BoxScope(const BoxScope&) = delete;
    BoxScope& operator=(const BoxScope&) = delete;
    ~BoxScope()
    {
        DialogPosX = -1;
        DialogPosY = -1;
        try {
            Application->ModalFinished();
        } catch (...) {
            Application->HandleException(Application);
        }
    }
};

} // namespace

int MessageBoxByKindEx(const std::wstring& caption, const std::wstring& text, TMsgDlgType kind, int x, int y,
                       TMsgDlgButtons buttons)
{
    const std::wstring title = caption.empty() ? KindCaption(kind) : caption;
    const UINT flags = KindIcon(kind) | MB_TOPMOST | MB_SETFOREGROUND | ButtonSet(buttons) |
                       (buttons.Contains(mbHelp) ? MB_HELP : 0);
    BoxScope scope(x, y);
    // With no window active the application window owns the box, so the box never stands alone
    // without an owner; otherwise the application's own box picks the active window.
    if (!GetActiveWindow())
        return ks::Sys().MessageBoxW(Application->Handle(), text.c_str(), title.c_str(), flags);
    return Application->MessageBox(text, title, flags);
}

int MessageBoxByKind(const std::wstring& text, TMsgDlgType kind, TMsgDlgButtons buttons)
{
    return MessageBoxByKindEx(L"", text, kind, -1, -1, buttons);
}

void ShowWarning(const std::wstring& text)
{
    MessageBoxByKind(text, mtWarning, {mbOK});
}

void Alert()
{
    ShowWarning(L"Alert");
}

void ShowError(const std::wstring& text)
{
    MessageBoxByKind(text, mtError, {mbOK});
}
