// The eyes of the end-to-end tests: they move the real mouse on the X server, and ask this
// program, run beside the one they drive, where its windows are and whether they are shown.
//   WindowPoint shown CLASS MS    waits up to MS ms for a visible top-level window of CLASS
//   WindowPoint gone CLASS MS     waits up to MS ms until no top-level window of CLASS is visible
//   WindowPoint child CLASS TEXT  prints "x y", the screen centre of the child window with TEXT
//   WindowPoint rect CLASS        prints "left top right bottom" of the visible top-level window
//                                 of CLASS on the screen (#32768: a shown menu)
//   WindowPoint close CLASS       prints "x y", the screen centre of the area the window answers
//                                 as its close button (HTCLOSE), as the system finds it for a click
//   WindowPoint dismiss CLASS     closes the window as its system menu's Close does
//   WindowPoint hit CLASS CODE    prints "x y", a point near the middle of the area that answers
//                                 hit-test CODE (HTRIGHT 11, HTBOTTOMRIGHT 17, a user title button
//                                 1000 + index...) where a click meets it (see HitAt)
//   WindowPoint hitat X Y [CLASS] prints the hit-test code a click at that screen point meets
//   WindowPoint syscmd CLASS HEX  posts the window the system command HEX (F120 restores)
//   WindowPoint dump CLASS        asks the real-input probe to write its state to its report
//   WindowPoint dialog CLASS KIND asks the real-input probe to open its platform dialog KIND
//   WindowPoint dialoghit CLASS CODE  as hit, on the shown standard dialog ("#32770"), asking the
//                                 probe of CLASS where its dialog's border window lies
// Exits with 1 when the window or the point is not found in time, and with 2 on a bad command.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

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

// The real-input probe answers what a click at a point meets, also where a border window of its
// own making lies over its frame and decides for it.
constexpr UINT ProbeHitMessage = WM_APP + 0x53;
constexpr DWORD_PTR ProbeHitAnswered = 0x10000;

// What a click at a screen point meets: the probe's answer, or the window the system finds there
// asked what that point is.
bool HitAt(POINT p, LRESULT& code, HWND probe = nullptr)
{
    DWORD_PTR answer = HTNOWHERE;
    if (probe && SendMessageTimeoutW(probe, ProbeHitMessage, 0, MAKELPARAM(p.x, p.y), SMTO_ABORTIFHUNG, AnswerMs, &answer) &&
        answer >= ProbeHitAnswered - 16) {
        code = static_cast<LRESULT>(answer - ProbeHitAnswered);
        return true;
    }
    const HWND at = WindowFromPoint(p);
    if (at && !SendMessageTimeoutW(at, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y), SMTO_ABORTIFHUNG, AnswerMs, &answer))
        return false;
    code = static_cast<LRESULT>(answer);
    return true;
}

// The points of area answering code, step apart; the probe asked is wnd unless another is given.
bool Hits(HWND wnd, const RECT& area, int stepX, int stepY, LRESULT code, std::vector<POINT>& hits,
          HWND probe = nullptr)
{
    for (LONG y = area.top; y < area.bottom; y += stepY)
        for (LONG x = area.left; x < area.right; x += stepX) {
            LRESULT answer = HTNOWHERE;
            if (!HitAt({x, y}, answer, probe ? probe : wnd))
                return false;
            if (answer == code)
                hits.push_back({x, y});
        }
    return true;
}

// The point answering code nearest the middle of all that do, searched where such an area can
// be: the title band for the title's codes, a band across the window's edge for the frame's.
bool AnyHitArea(HWND wnd, LRESULT code, POINT& found, HWND probe = nullptr)
{
    constexpr int Reach = 40;
    RECT w{};
    GetWindowRect(wnd, &w);
    RECT scan{w.left - Reach, w.top - Reach, w.right + Reach, w.bottom + Reach};
    const bool left = code == HTLEFT || code == HTTOPLEFT || code == HTBOTTOMLEFT;
    const bool right = code == HTRIGHT || code == HTTOPRIGHT || code == HTBOTTOMRIGHT;
    const bool top = code == HTTOP || code == HTTOPLEFT || code == HTTOPRIGHT;
    const bool bottom = code == HTBOTTOM || code == HTBOTTOMLEFT || code == HTBOTTOMRIGHT;
    if (left)
        scan.right = w.left + Reach;
    if (right)
        scan.left = w.right - Reach;
    if (top)
        scan.bottom = w.top + Reach;
    if (bottom)
        scan.top = w.bottom - Reach;
    if (!left && !right && !top && !bottom)
        scan.bottom = w.top + 3 * GetSystemMetrics(SM_CYCAPTION) + Reach / 2;
    const bool edge = left || right || top || bottom;
    // Fine across an edge, coarser along it; the title's small areas are found coarsely first.
    const int stepX = (left || right) ? 2 : (top || bottom) ? 8 : 6;
    const int stepY = (top || bottom) ? 2 : (left || right) ? 8 : 4;
    std::vector<POINT> hits;
    if (!Hits(wnd, scan, stepX, stepY, code, hits, probe))
        return false;
    if (hits.empty())
        return false;
    if (!edge) {
        RECT fine{hits[0].x, hits[0].y, hits[0].x, hits[0].y};
        for (POINT p : hits)
            fine = {std::min(fine.left, p.x), std::min(fine.top, p.y), std::max(fine.right, p.x), std::max(fine.bottom, p.y)};
        InflateRect(&fine, stepX, stepY);
        hits.clear();
        if (!Hits(wnd, fine, 2, 2, code, hits, probe) || hits.empty())
            return false;
    }
    RECT box{hits[0].x, hits[0].y, hits[0].x, hits[0].y};
    for (POINT p : hits)
        box = {std::min(box.left, p.x), std::min(box.top, p.y), std::max(box.right, p.x), std::max(box.bottom, p.y)};
    const POINT mid{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    found = *std::min_element(hits.begin(), hits.end(), [&](POINT a, POINT b) {
        return std::abs(a.x - mid.x) + std::abs(a.y - mid.y) < std::abs(b.x - mid.x) + std::abs(b.y - mid.y);
    });
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
    if (std::wstring(argv[1]) == L"hitat" && (argc == 4 || argc == 5)) {
        LRESULT code = HTNOWHERE;
        const HWND probe = argc == 5 ? Shown(argv[4]) : nullptr;
        if (!HitAt({std::wcstol(argv[2], nullptr, 10), std::wcstol(argv[3], nullptr, 10)}, code, probe))
            return 1;
        std::printf("%ld\n", static_cast<long>(code));
        return 0;
    }
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
    if (command == L"rect" && argc == 3) {
        RECT r{};
        if (!wnd || !GetWindowRect(wnd, &r))
            return 1;
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (command == L"close" && argc == 3) {
        POINT centre{};
        return wnd && HitArea(wnd, HTCLOSE, centre) ? Print(centre) : 1;
    }
    if (command == L"hit" && argc == 4) {
        POINT found{};
        return wnd && AnyHitArea(wnd, std::wcstol(argv[3], nullptr, 10), found) ? Print(found) : 1;
    }
    if (command == L"dump" && argc == 3) {
        // The probe writes its state before it answers.
        DWORD_PTR answer = 0;
        return wnd && SendMessageTimeoutW(wnd, WM_APP + 0x51, 0, 0, SMTO_ABORTIFHUNG, AnswerMs, &answer) ? 0 : 1;
    }
    if (command == L"dialog" && argc == 4)
        return wnd && PostMessageW(wnd, WM_APP + 0x54, std::wcstoul(argv[3], nullptr, 10), 0) ? 0 : 1;
    if (command == L"dialoghit" && argc == 4) {
        const HWND dialog = Shown(L"#32770");
        POINT found{};
        return dialog && wnd && AnyHitArea(dialog, std::wcstol(argv[3], nullptr, 10), found, wnd) ? Print(found) : 1;
    }
    if (command == L"syscmd" && argc == 4)
        return wnd && PostMessageW(wnd, WM_SYSCOMMAND, std::wcstoul(argv[3], nullptr, 16), 0) ? 0 : 1;
    if (command == L"dismiss" && argc == 3)
        return wnd && PostMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    return 2;
}
