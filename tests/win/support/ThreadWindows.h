#pragma once
// Finding a window the test itself opened. Test executables run side by side in one Wine
// session, so a search over all top-level windows can find another test's dialog or menu and
// act on it, leaving both tests waiting.

#include "vcl/Win.h"

#include <cwchar>
#include <string_view>
#include <vector>

namespace ks::test {

struct ThreadWindowSearch {
    const wchar_t* className;
    const wchar_t* caption;
    HWND found = nullptr;
};

inline BOOL CALLBACK MatchThreadWindow(HWND wnd, LPARAM data)
{
    auto& s = *reinterpret_cast<ThreadWindowSearch*>(data);
    wchar_t text[256];
    if (s.className && (!GetClassNameW(wnd, text, 256) || std::wcscmp(text, s.className) != 0))
        return TRUE;
    if (s.caption && (GetWindowTextW(wnd, text, 256), std::wcscmp(text, s.caption) != 0))
        return TRUE;
    s.found = wnd;
    return FALSE;
}

// The first top-level window of the calling thread whose class (when className is given) and
// caption (when caption is given) match exactly; nullptr when there is none.
inline HWND FindThreadWindow(const wchar_t* className, const wchar_t* caption)
{
    ThreadWindowSearch search{className, caption};
    EnumThreadWindows(GetCurrentThreadId(), &MatchThreadWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline BOOL CALLBACK CollectShownPopupMenu(HWND wnd, LPARAM data)
{
    wchar_t name[16] = {};
    if (GetClassNameW(wnd, name, 16) && std::wstring_view(name) == L"#32768" && IsWindowVisible(wnd))
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(wnd);
    return TRUE;
}

// The popup menu windows the calling thread shows now, outermost first.
inline std::vector<HWND> ShownPopupMenus()
{
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), &CollectShownPopupMenu, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace ks::test
