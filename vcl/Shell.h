#pragma once
// Asking the shell to open a document or address with its associated program. The call goes
// through the ShellExecuteW entry of the seam table, so tests capture it instead of starting a
// browser.

#include "vcl/Win.h"

#include <string>

// Performs the verb "open" on target with owner as the window any message of the shell belongs
// to: no parameters, no working folder, shown normally. The shell's answer is not reported:
// when nothing can open the target, the user simply sees nothing happen.
void ShellOpen(HWND owner, const std::wstring& target) noexcept;
