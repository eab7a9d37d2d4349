#pragma once
// Window adapters: objects that take over the window procedure of one existing window to paint
// it from the skin. Every window taken over carries the window property "ACSBSC" holding its
// adapter for as long as the adapter holds the window; the property goes when the adapter gives
// the window back or the window is destroyed.

#include "vcl/Win.h"

class TacMainWnd;

inline constexpr wchar_t AdapterProperty[] = L"ACSBSC";

// The adapter holding wnd; nullptr when none does (and for 0).
TacMainWnd* GetScrollHandler(HWND wnd) noexcept;

// Unit start-up: gives the skin core the adapter lookup (skin/core/SkinServices.h).
void InitializeAcSBUtilsUnit();
