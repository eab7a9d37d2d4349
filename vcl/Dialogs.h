#pragma once
// Message dialogs: MessageDlg builds a real form of class "TMessageForm" (an icon, the text and
// one "TButton" per answer) and shows it modally. It is a form of the library, not a system
// message box, so that the skin engine's creation hook meets it as a form and takes its buttons
// over by their class name. The modal loop runs through the ShowModalDialog seam when a test
// sets one.

#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"

#include <string>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbHelp };
using TMsgDlgButtons = ks::Set<TMsgDlgBtn>;

class TMessageForm : public TForm {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;
    using TForm::TForm;
};

// The dialog, laid out and hidden, owned by the application: the caller shows and frees it.
// The button answering Enter is the OK button (else Yes); Escape answers Cancel (else No, else
// OK). A dialog without buttons gets an OK button, so it can always be closed.
TMessageForm* CreateMessageDialog(const std::wstring& text, TMsgDlgType type, TMsgDlgButtons buttons);
// Whether dialogs may use the system's newest dialog styles (default true). The skin manager
// turns it off while it skins standard dialogs, so that they come as ordinary windows its
// creation hook can take over; this library's message dialogs are such forms either way.
extern bool UseLatestCommonDialogs;

// Shows the dialog modally and returns the modal result of the button pressed (mrCancel when
// it is closed otherwise). helpContext is accepted for callers' sake; there is no help system.
int MessageDlg(const std::wstring& text, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext);
// A dialog with the text, the application's title as caption and one OK button.
void ShowMessage(const std::wstring& text);
