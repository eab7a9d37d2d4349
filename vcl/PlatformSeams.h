#pragma once
// The one table of injectable system functions. Optional entry points are bound once by name
// from the system directory and left null where the running system lacks them; queries about
// the system (composition, version, themes), the cursor, ticks, sleeps, beeps, message boxes,
// the shell, timers and form resources go through plain function pointers. Code calls
// ks::Sys().X(...); a test replaces a pointer (or nulls an optional one to reach the "does
// without" path) and calls ks::ResetSys() when it is done.

#include "vcl/Win.h"

#include <cstdint>
#include <span>

class TCustomForm;

namespace ks {

struct Platform {
    // ---- optional system functions (null when the system does not offer them)
    BOOL(WINAPI* UpdateLayeredWindowPtr)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD) = nullptr;
    BOOL(WINAPI* SetLayeredWindowAttributesPtr)(HWND, COLORREF, BYTE, DWORD) = nullptr;
    BOOL(WINAPI* GradientFillPtr)(HDC, TRIVERTEX*, ULONG, void*, ULONG, ULONG) = nullptr;
    BOOL(WINAPI* GetScrollBarInfoPtr)(HWND, LONG, SCROLLBARINFO*) = nullptr;
    BOOL(WINAPI* InitializeFlatSBPtr)(HWND) = nullptr;
    HRESULT(WINAPI* UninitializeFlatSBPtr)(HWND) = nullptr;
    HRESULT(WINAPI* SetWindowThemePtr)(HWND, const wchar_t*, const wchar_t*) = nullptr;
    BOOL(WINAPI* IsThemeActivePtr)() = nullptr;
    HRESULT(WINAPI* DwmIsCompositionEnabled)(BOOL*) = nullptr;
    HRESULT(WINAPI* DwmSetWindowAttribute)(HWND, DWORD, const void*, DWORD) = nullptr;

    // ---- what the running system is
    bool (*CompositionEnabled)() = nullptr;  // false without DwmIsCompositionEnabled
    int (*Win32MajorVersion)() = nullptr;
    bool (*IsNtFamily)() = nullptr;
    bool (*ThemesActive)() = nullptr;
    bool (*LayeredWindowsAvailable)() = nullptr;
    bool (*IsWindowsXPOrLater)() = nullptr;
    // Arabic, Hebrew and Farsi user locales lay system menus out right to left.
    bool (*IsMiddleEastLocale)() = nullptr;
    int(WINAPI* GetSystemMetrics)(int) = nullptr;

    // ---- input, time and sound
    BOOL(WINAPI* GetCursorPos)(POINT*) = nullptr;
    DWORD(WINAPI* GetTickCount)() = nullptr;
    void(WINAPI* Sleep)(DWORD) = nullptr;
    BOOL(WINAPI* MessageBeep)(UINT) = nullptr;
    BOOL(WINAPI* AnimateWindow)(HWND, DWORD, DWORD) = nullptr;

    // ---- modal and outside-world calls tests must never make for real
    int(WINAPI* MessageBoxW)(HWND, const wchar_t*, const wchar_t*, UINT) = nullptr;
    HINSTANCE(WINAPI* ShellExecuteW)(HWND, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, INT) = nullptr;
    // The modal loop of the library's message dialogs (MessageDlg, ShowMessage); null runs the
    // dialog's own ShowModal. Tests answer with a modal result instead of waiting for a user.
    int (*ShowModalDialog)(TCustomForm& dialog) = nullptr;

    // ---- timers of the class library (TTimer); tests replace them to tick by hand
    UINT_PTR(WINAPI* SetTimer)(HWND, UINT_PTR, UINT, TIMERPROC) = nullptr;
    BOOL(WINAPI* KillTimer)(HWND, UINT_PTR) = nullptr;

    // ---- the bytes of an RCDATA resource of the program file, empty when there is none.
    // The bytes stay valid for the life of the process (they live in the module's image).
    std::span<const uint8_t> (*FindFormResource)(const wchar_t* name) = nullptr;
};

// The table in use. The first call binds the optional functions.
Platform& Sys() noexcept;
// Puts every entry back to the system's own function (or null where the system has none).
void ResetSys() noexcept;

} // namespace ks
