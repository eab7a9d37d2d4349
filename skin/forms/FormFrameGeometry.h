#pragma once
// The frame measures of a skinned window that do not need its provider: border widths from the
// window's styles and the system metrics, or from the skin when a layered border window carries
// the frame, and the window's outer and client sizes. The provider's own measures (title bar,
// icon, buttons, menu line, client offsets, region) are its members (sSkinProvider.h); the
// arithmetic they share with them lives in FrameLayout.h, which has no Win32 in it.
//
// manager is the skin manager whose loaded skin gives BORDERWIDTH and TITLEHEIGHT; borderForm
// says whether a layered border window frames the window (the skin's values apply only then).

#include "vcl/Win.h"

class TsSkinManager;

// The skin's BORDERWIDTH when fromSkin with a border window and it is not 0; otherwise
// SM_CXFRAME for a sizeable window, SM_CXDLGFRAME for one with WS_BORDER, else 0.
int FormBorderWidth(HWND wnd, TsSkinManager* manager, bool borderForm, bool fromSkin);
// 0 with a border window (it carries the top border), else FormBorderWidth.
int BorderWidthIfNoExtBorders(HWND wnd, TsSkinManager* manager, bool borderForm, bool fromSkin);
// The skin's TITLEHEIGHT and BORDERWIDTH with a border window; 0 without.
int SkinnedTitleHeight(TsSkinManager* manager, bool borderForm);
int SkinnedBorderWidth(TsSkinManager* manager, bool borderForm);

// Counts the changes of the system's settings heard by any form's provider. A provider reads the
// system's caption heights once and again after each change: the message reaches top-level
// windows only, and MDI children and forms placed on other controls follow it all the same.
unsigned SystemSettingsGeneration() noexcept;
void SystemSettingsChanged() noexcept;

// GetWindowRect and GetClientRect sizes; 0 for a window that does not exist.
int WndWidth(HWND wnd);
int WndHeight(HWND wnd);
int ClientWidthOf(HWND wnd);
int ClientHeightOf(HWND wnd);
