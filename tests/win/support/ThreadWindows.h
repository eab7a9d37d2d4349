#pragma once
// Finding a window the test itself opened. Test executables run side by side in one Wine
// session, so a search over all top-level windows can find another test's dialog or menu and
// act on it, leaving both tests waiting. And driving a menu loop of the thread from its timer.

#include "vcl/Win.h"

#include <cwchar>
#include <functional>
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

// Tick, set as a thread timer of 30 ms while a menu loop runs, calls Step(tick); the loop is
// ended by the 60th tick whatever the test did, so no test can hang in it. A menu bar tracked
// with no popup open ignores EndMenu: drivers that may meet one leave it by Escape as well.
template <bool EscapeMenuBar>
struct MenuLoopDriver {
    static inline std::function<void(int)> Step;
    static inline int Ticks = 0;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        ++Ticks;
        if (Step)
            Step(Ticks);
        if (Ticks >= 60) {
            EndMenu();
            if (EscapeMenuBar)
                PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
        }
    }
};

} // namespace ks::test
