// The eyes of the end-to-end tests: they move the real mouse on the X server, and ask this
// program, run beside the one they drive, where its windows are and whether they are shown.
//   WindowPoint shown CLASS MS    waits up to MS ms for a visible top-level window of CLASS
//   WindowPoint gone CLASS MS     waits up to MS ms until no top-level window of CLASS is visible
//   WindowPoint child CLASS TEXT  prints "x y", the screen centre of the child window with TEXT
//   WindowPoint close CLASS       prints "x y", the screen centre of the area the window answers
//                                 as its close button (HTCLOSE), as the system finds it for a click
//   WindowPoint dismiss CLASS     closes the window as its system menu's Close does
// Exits with 1 when the window or the point is not found in time, and with 2 on a bad command.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr DWORD PollMs = 20;
// A window that does not answer a hit test in this time is hung: the test is to fail, not wait.
constexpr UINT AnswerMs = 2000;

struct Search {
    const std::wstring* wanted;
    HWND found;
};

BOOL CALLBACK MatchShownClass(HWND wnd, LPARAM data)
{
    auto* s = reinterpret_cast<Search*>(data);
    wchar_t name[64] = {};
    GetClassNameW(wnd, name, 64);
    if (*s->wanted != name || !IsWindowVisible(wnd))
        return TRUE;
    s->found = wnd;
    return FALSE;
}

BOOL CALLBACK MatchText(HWND wnd, LPARAM data)
{
    auto* s = reinterpret_cast<Search*>(data);
    wchar_t text[64] = {};
    GetWindowTextW(wnd, text, 64);
    if (*s->wanted != text)
        return TRUE;
    s->found = wnd;
    return FALSE;
}

HWND Shown(const std::wstring& className)
{
    Search search{&className, nullptr};
    EnumWindows(&MatchShownClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitUntil(bool shown, const std::wstring& className, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while ((Shown(className) != nullptr) != shown) {
        if (GetTickCount64() >= end)
            return false;
        Sleep(PollMs);
    }
    return true;
}

HWND ChildWithText(HWND parent, const std::wstring& text)
{
    Search search{&text, nullptr};
    EnumChildWindows(parent, &MatchText, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The middle of the points of the window's title band that it answers as code, two pixels apart.
bool HitArea(HWND wnd, LRESULT code, POINT& centre)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    const int band = std::min<int>(r.bottom - r.top, 3 * GetSystemMetrics(SM_CYCAPTION));
    RECT area{r.right, r.bottom, r.left, r.top};
    for (int y = r.top; y < r.top + band; y += 2)
        for (int x = r.left; x < r.right; x += 2) {
            DWORD_PTR answer = HTNOWHERE;
            if (!SendMessageTimeoutW(wnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, AnswerMs, &answer))
                return false;
            if (static_cast<LRESULT>(answer) != code)
                continue;
            area = {std::min<LONG>(area.left, x), std::min<LONG>(area.top, y), std::max<LONG>(area.right, x),
                    std::max<LONG>(area.bottom, y)};
        }
    if (area.left > area.right)
        return false;
    centre = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    return true;
}

int Print(POINT p)
{
    std::printf("%ld %ld\n", static_cast<long>(p.x), static_cast<long>(p.y));
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    const std::wstring command = argv[1], className = argv[2];
    if ((command == L"shown" || command == L"gone") && argc == 4)
        return WaitUntil(command == L"shown", className, static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10))) ? 0 : 1;
    const HWND wnd = Shown(className);
    if (command == L"child" && argc == 4) {
        const HWND child = wnd ? ChildWithText(wnd, argv[3]) : nullptr;
        RECT r{};
        if (!child || !GetWindowRect(child, &r))
            return 1;
        return Print({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    if (command == L"close" && argc == 3) {
        POINT centre{};
        return wnd && HitArea(wnd, HTCLOSE, centre) ? Print(centre) : 1;
    }
    if (command == L"dismiss" && argc == 3)
        return wnd && PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    return 2;
}
