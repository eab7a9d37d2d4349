// The real program, started as a child process and closed the ways a user closes it, ends by
// itself with status 0. A crash on the way out (Wine's "Program Error") leaves the child hanging
// in the debugger; it is then killed, with the debugger, and the test fails.
#include "vcl/TrayIcon.h"
#include "vcl/Win.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr DWORD StartTimeoutMs = 30000;
constexpr DWORD StepTimeoutMs = 10000;
constexpr DWORD EndTimeoutMs = 10000;
constexpr DWORD PollMs = 50;

// The build passes the program's path relative to this test's own folder.
std::wstring ProgramPath()
{
    wchar_t self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + KS_KEYSMITH_EXE;
}

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done())
            return true;
        if (GetTickCount64() >= end)
            return false;
        Sleep(PollMs);
    }
}

std::wstring ClassOf(HWND wnd)
{
    wchar_t name[64] = {};
    return std::wstring(name, GetClassNameW(wnd, name, 64));
}

std::wstring TextOf(HWND wnd)
{
    wchar_t text[64] = {};
    return std::wstring(text, GetWindowTextW(wnd, text, 64));
}

// The program started with no handles of ours, and whatever is left of it killed when a test
// ends: the child, and the debugger a crash started from it.
class Program {
public:
    Program()
    {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &FInfo))
            ADD_FAILURE() << "cannot start " << std::string(commandLine.begin(), commandLine.end()) << ", error "
                          << GetLastError();
    }
    ~Program()
    {
        if (!FInfo.hProcess)
            return;
        KillDebuggers();
        if (WaitForSingleObject(FInfo.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(FInfo.hProcess, 1);
            WaitForSingleObject(FInfo.hProcess, EndTimeoutMs);
        }
        KillDebuggers();
        CloseHandle(FInfo.hThread);
        CloseHandle(FInfo.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const noexcept { return FInfo.hProcess != nullptr; }

    // The program's visible top-level window of that class, or nullptr.
    HWND Shown(const wchar_t* className) const { return Find(className, true); }
    // Any top-level window of that class the program owns, shown or not.
    std::vector<HWND> All(const wchar_t* className) const
    {
        std::vector<HWND> found;
        Each([&](HWND wnd) {
            if (ClassOf(wnd) == className)
                found.push_back(wnd);
        });
        return found;
    }

    HWND WaitShown(const wchar_t* className, DWORD timeoutMs = StepTimeoutMs) const
    {
        HWND wnd = nullptr;
        WaitFor([&] { return (wnd = Shown(className)) != nullptr; }, timeoutMs);
        return wnd;
    }

    // True when the program ended within the time; its exit code then in code.
    bool WaitEnd(DWORD& code) const
    {
        if (WaitForSingleObject(FInfo.hProcess, EndTimeoutMs) != WAIT_OBJECT_0)
            return false;
        GetExitCodeProcess(FInfo.hProcess, &code);
        return true;
    }

private:
    struct Walk {
        DWORD Pid;
        const std::function<void(HWND)>* Visit;
    };
    static BOOL CALLBACK VisitOwn(HWND wnd, LPARAM data)
    {
        auto* walk = reinterpret_cast<Walk*>(data);
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        if (pid == walk->Pid)
            (*walk->Visit)(wnd);
        return TRUE;
    }
    void Each(const std::function<void(HWND)>& visit) const
    {
        Walk walk{FInfo.dwProcessId, &visit};
        EnumWindows(&VisitOwn, reinterpret_cast<LPARAM>(&walk));
    }
    HWND Find(const wchar_t* className, bool visible) const
    {
        HWND found = nullptr;
        Each([&](HWND wnd) {
            if (!found && ClassOf(wnd) == className && (!visible || IsWindowVisible(wnd)))
                found = wnd;
        });
        return found;
    }
    void KillDebuggers() const
    {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE)
            return;
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            if (entry.th32ParentProcessID != FInfo.dwProcessId)
                continue;
            if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
                TerminateProcess(p, 1);
                WaitForSingleObject(p, EndTimeoutMs);
                CloseHandle(p);
            }
        }
        CloseHandle(snapshot);
    }

    PROCESS_INFORMATION FInfo{};
};

struct TextSearch {
    const std::wstring* Text;
    HWND Found;
};

BOOL CALLBACK MatchText(HWND wnd, LPARAM data)
{
    auto* search = reinterpret_cast<TextSearch*>(data);
    if (TextOf(wnd) != *search->Text)
        return TRUE;
    search->Found = wnd;
    return FALSE;
}

HWND ChildWithText(HWND parent, const std::wstring& text)
{
    TextSearch search{&text, nullptr};
    EnumChildWindows(parent, &MatchText, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// Posted, never sent: the click may open a modal box or end the program under our call.
void Click(HWND form, const wchar_t* caption)
{
    HWND button = ChildWithText(form, caption);
    ASSERT_NE(button, nullptr) << "a button is missing";
    PostMessageW(button, BM_CLICK, 0, 0);
}

void CloseByMessage(Program&, HWND main)
{
    PostMessageW(main, WM_CLOSE, 0, 0);
}

void CloseByExitButton(Program&, HWND main)
{
    Click(main, L"Выход");
}

// To the notification area, then the icon's menu: its last entry is "Выход", chosen by key.
void CloseByTrayMenu(Program& program, HWND main)
{
    Click(main, L"-");
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, StepTimeoutMs)) << "the form did not hide";
    // The icon's window is one of the program's hidden utility windows; the others ignore the
    // icon's message. The notification area itself is not there to click under Xvfb.
    for (HWND wnd : program.All(L"TPUtilWindow"))
        PostMessageW(wnd, TTrayIcon::CallbackMessage, 1, WM_RBUTTONUP);
    HWND menu = program.WaitShown(L"#32768");
    ASSERT_NE(menu, nullptr) << "the icon's menu did not open";
    PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

void CloseAfterAboutBox(Program& program, HWND main)
{
    Click(main, L"?");
    HWND about = program.WaitShown(L"TForm2");
    ASSERT_NE(about, nullptr) << "the about box did not open";
    PostMessageW(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(about); }, StepTimeoutMs)) << "the about box stayed";
    PostMessageW(main, WM_CLOSE, 0, 0);
}

struct CloseWay {
    const char* name;
    void (*close)(Program&, HWND main);
};

const CloseWay CloseWays[] = {
    {"WM_CLOSE", &CloseByMessage},
    {"ExitButton", &CloseByExitButton},
    {"TrayMenuExit", &CloseByTrayMenu},
    {"AfterAboutBox", &CloseAfterAboutBox},
};

} // namespace

TEST(ProgramEnd, EveryWayOfClosingEndsTheProcessWithStatusZero)
{
    for (const CloseWay& way : CloseWays) {
        SCOPED_TRACE(way.name);
        Program program;
        ASSERT_TRUE(program.Started());
        HWND main = program.WaitShown(L"TForm1", StartTimeoutMs);
        ASSERT_NE(main, nullptr) << "the main form did not appear";
        way.close(program, main);
        if (testing::Test::HasFatalFailure())
            return;
        DWORD code = STILL_ACTIVE;
        EXPECT_TRUE(program.WaitEnd(code)) << "the program did not end by itself";
        EXPECT_EQ(code, 0u);
    }
}
