#include "vcl/Clipbrd.h"

#include "vcl/Controls.h"
#include "vcl/PlatformSeams.h"

#include <cstring>
#include <cwchar>
#include <utility>

namespace {

// Another program may hold the clipboard for a moment (clipboard managers do on every change),
// so opening is tried a few times before giving up.
constexpr int OpenAttempts = 5;
constexpr DWORD OpenRetryMs = 20;

// Opens the clipboard for the length of a scope. The clipboard is opened for a window of our
// own: with no owner, EmptyClipboard leaves the clipboard without one and Windows then refuses
// SetClipboardData.
class OpenedClipboard {
public:
    OpenedClipboard()
    {
        FWindow = AllocateHWnd(TWndMethod(&FSink, &Sink::WndProc));
        FSink.Window = FWindow;
        for (int attempt = 0; attempt < OpenAttempts; ++attempt) {
            if (OpenClipboard(FWindow)) {
                FOpen = true;
                return;
            }
            ks::Sys().Sleep(OpenRetryMs);
        }
        DeallocateHWnd(std::exchange(FWindow, nullptr));
        throw EClipboardException("Cannot open clipboard");
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard()
    {
        if (FOpen)
            CloseClipboard();
        DeallocateHWnd(FWindow);
    }

private:
    struct Sink {
        void WndProc(TMessage& m) { m.Result = DefWindowProcW(Window, m.Msg, m.WParam, m.LParam); }
        HWND Window = nullptr;
    };

    Sink FSink;
    HWND FWindow = nullptr;
    bool FOpen = false;
};

// Locks a global memory block for the length of a scope.
class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL memory) noexcept : FMemory(memory), FData(GlobalLock(memory)) {}
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    ~LockedGlobal()
    {
        if (FData)
            GlobalUnlock(FMemory);
    }
    void* Data() const noexcept { return FData; }

private:
    HGLOBAL FMemory;
    void* FData;
};

} // namespace

TClipboard& Clipboard()
{
    static TClipboard clipboard;
    return clipboard;
}

std::wstring TClipboard::AsText() const
{
    OpenedClipboard open;
    HGLOBAL memory = GetClipboardData(CF_UNICODETEXT);
    if (!memory)
        return {};
    LockedGlobal locked(memory);
    if (!locked.Data())
        return {};
    // The block comes from another program: the text ends at its first NUL or at the end of
    // the block, whichever comes first.
    size_t units = GlobalSize(memory) / sizeof(wchar_t);
    const auto* text = static_cast<const wchar_t*>(locked.Data());
    return std::wstring(text, wcsnlen(text, units));
}

void TClipboard::SetAsText(const std::wstring& text)
{
    OpenedClipboard open;
    EmptyClipboard();
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory)
        throw EClipboardException("Not enough memory for the clipboard text");
    {
        LockedGlobal locked(memory);
        if (!locked.Data()) {
            GlobalFree(memory);
            throw EClipboardException("Not enough memory for the clipboard text");
        }
        std::memcpy(locked.Data(), text.c_str(), bytes);
    }
    // The system owns the block once it accepts it.
    if (!SetClipboardData(CF_UNICODETEXT, memory)) {
        GlobalFree(memory);
        throw EClipboardException("The clipboard refused the text");
    }
}

bool TClipboard::HasFormat(UINT format) const
{
    return IsClipboardFormatAvailable(format) != FALSE;
}

void TClipboard::Clear()
{
    OpenedClipboard open;
    EmptyClipboard();
}
