#pragma once
// Routines of the skin engine that need the system: message records, the system's caption
// font, the system version, shell icons of files, and a delay that keeps the program answering.
// Their portable siblings are NumberRoutines.h and TextRoutines.h.

#include "vcl/GdiHandles.h"
#include "vcl/Messages.h"
#include "vcl/Win.h"

#include <memory>
#include <string>

class TIcon;

inline TMessage MakeMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT result = 0) noexcept
{
    return {msg, wParam, lParam, result};
}

// The height field of the system's caption font (negative: a character height in pixels); 0
// when the system does not tell.
int GetCaptionFontSize() noexcept;
// A new font made from the system's caption font; empty when the system does not tell.
ks::GdiFont CreateCaptionFont() noexcept;

// Windows XP (5.1) or later, as the platform seams report the running system.
bool IsWindowsXPOrLater() noexcept;

// The frame the platform draws around a window of this style: SM_CXFRAME when it is sizeable,
// SM_CXDLGFRAME when it has WS_BORDER, else 0. The skin's own border width is not asked.
int PlatformFrameWidth(LONG_PTR style) noexcept;

// The shell's icon for an existing file; flags are SHGFI_ values (SHGFI_SMALLICON for the small
// icon) and SHGFI_ICON is always added. nullptr for a missing file or when the shell has none.
std::unique_ptr<TIcon> GetShellIcon(const std::wstring& fileName, UINT flags);

// Handles the application's messages, at least once, until ms milliseconds have passed on the
// tick count of the platform seams (its wrap-around included). The program's windows keep
// answering meanwhile, so a caller must check afterwards that its objects are still there.
void WaitMilliseconds(DWORD ms);
