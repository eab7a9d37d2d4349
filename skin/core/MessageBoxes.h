#pragma once
// The engine's message boxes: the system's message box, kept on top and brought to the
// foreground, with an icon and a caption by kind. While one is shown, DialogPosX and DialogPosY
// hold the place its caller asked for, so that the dialog skinning can put the box there.

#include "vcl/Dialogs.h"

#include <string>

// Where the standard dialog being shown should go; -1 when the system places it.
extern int DialogPosX;
extern int DialogPosY;

// Shows the box and returns the system's code of the button pressed (IDOK ...). The system
// offers fixed button sets, so the buttons pick the nearest: OK (with Cancel: OK-Cancel), else
// Abort or Ignore: Abort-Retry-Ignore, else Yes or No: Yes-No (with Cancel: Yes-No-Cancel), else
// Retry: Retry-Cancel; Help adds a Help button. An empty
// caption becomes the kind's own: "Warning", "Error", "Information", "Confirm" (none for
// mtCustom). x and y (-1: anywhere) reach the dialog code through DialogPosX/DialogPosY.
int MessageBoxByKindEx(const std::wstring& caption, const std::wstring& text, TMsgDlgType kind, int x, int y,
                       TMsgDlgButtons buttons);
int MessageBoxByKind(const std::wstring& text, TMsgDlgType kind, TMsgDlgButtons buttons);

void ShowWarning(const std::wstring& text);
// A warning that says "Alert".
void Alert();
void ShowError(const std::wstring& text);
