#include "vcl/PlatformSeams.h"

#include <shellapi.h>

#include <string>

namespace ks {
namespace {

// A library loaded for its optional entry points; it stays loaded until the process ends,
// because the bound pointers may be called at any time until then.
class SystemModule {
public:
    // Only from the system directory: a DLL of the same name beside the program (or in the
    // current folder) is never picked up.
    explicit SystemModule(const wchar_t* name) noexcept
    {
        wchar_t dir[MAX_PATH];
        UINT n = GetSystemDirectoryW(dir, MAX_PATH);
        if (n == 0 || n >= MAX_PATH)
            return;
        std::wstring path(dir, n);
        path += L'\\';
        path += name;
        FModule = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    SystemModule(const SystemModule&) = delete;
    SystemModule& operator=(const SystemModule&) = delete;
    ~SystemModule()
    {
        if (FModule)
            FreeLibrary(FModule);
    }

    template <class F>
    void Bind(F& target, const char* procName) const noexcept
    {
        target = nullptr;
        if (FModule)
            target = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(FModule, procName)));
    }

private:
    HMODULE FModule = nullptr;
};

struct SystemModules {
    SystemModule User32{L"user32.dll"};
    SystemModule MsImg32{L"msimg32.dll"};
    SystemModule ComCtl32{L"comctl32.dll"};
    SystemModule UxTheme{L"uxtheme.dll"};
    SystemModule DwmApi{L"dwmapi.dll"};
};

const SystemModules& Modules() noexcept
{
    static const SystemModules modules;
    return modules;
}

OSVERSIONINFOW Version() noexcept
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info))
        info.dwPlatformId = VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
    return info;
}

bool RealCompositionEnabled()
{
    BOOL enabled = FALSE;
    auto query = Sys().DwmIsCompositionEnabled;
    return query && SUCCEEDED(query(&enabled)) && enabled;
}

int RealWin32MajorVersion()
{
    return static_cast<int>(Version().dwMajorVersion);
}

bool RealIsNtFamily()
{
    return Version().dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool RealThemesActive()
{
    auto active = Sys().IsThemeActivePtr;
    return active && active();
}

// Both halves of layered windows: the constant alpha of translucent forms and the per-pixel
// alpha that shadows, glows and animations hand over; a system has both or neither.
bool RealLayeredWindowsAvailable()
{
    return Sys().SetLayeredWindowAttributesPtr != nullptr && Sys().UpdateLayeredWindowPtr != nullptr;
}

bool RealIsWindowsXPOrLater()
{
    OSVERSIONINFOW v = Version();
    return v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1);
}

bool RealIsMiddleEastLocale()
{
    switch (PRIMARYLANGID(GetUserDefaultLangID())) {
    case LANG_ARABIC:
    case LANG_HEBREW:
    case LANG_FARSI:
        return true;
    default:
        return false;
    }
}

std::span<const uint8_t> RealFindFormResource(const wchar_t* name)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, name, RT_RCDATA);
    if (!info)
        return {};
    HGLOBAL data = LoadResource(module, info);
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes)
        return {};
    return {static_cast<const uint8_t*>(bytes), SizeofResource(module, info)};
}

Platform Defaults() noexcept
{
    const SystemModules& m = Modules();
    Platform p;
    m.User32.Bind(p.UpdateLayeredWindowPtr, "UpdateLayeredWindow");
    m.User32.Bind(p.SetLayeredWindowAttributesPtr, "SetLayeredWindowAttributes");
    m.User32.Bind(p.GetScrollBarInfoPtr, "GetScrollBarInfo");
    m.MsImg32.Bind(p.GradientFillPtr, "GradientFill");
    m.ComCtl32.Bind(p.InitializeFlatSBPtr, "InitializeFlatSB");
    m.ComCtl32.Bind(p.UninitializeFlatSBPtr, "UninitializeFlatSB");
    m.UxTheme.Bind(p.SetWindowThemePtr, "SetWindowTheme");
    m.UxTheme.Bind(p.IsThemeActivePtr, "IsThemeActive");
    m.DwmApi.Bind(p.DwmIsCompositionEnabled, "DwmIsCompositionEnabled");
    m.DwmApi.Bind(p.DwmSetWindowAttribute, "DwmSetWindowAttribute");

    p.CompositionEnabled = &RealCompositionEnabled;
    p.Win32MajorVersion = &RealWin32MajorVersion;
    p.IsNtFamily = &RealIsNtFamily;
    p.ThemesActive = &RealThemesActive;
    p.LayeredWindowsAvailable = &RealLayeredWindowsAvailable;
    p.IsWindowsXPOrLater = &RealIsWindowsXPOrLater;
    p.IsMiddleEastLocale = &RealIsMiddleEastLocale;
    p.GetSystemMetrics = &::GetSystemMetrics;

    p.GetCursorPos = &::GetCursorPos;
    p.GetTickCount = &::GetTickCount;
    p.Sleep = &::Sleep;
    p.MessageBeep = &::MessageBeep;
    p.AnimateWindow = &::AnimateWindow;
    p.MessageBoxW = &::MessageBoxW;
    p.ShellExecuteW = &::ShellExecuteW;
    p.SetTimer = &::SetTimer;
    p.KillTimer = &::KillTimer;
    p.FindFormResource = &RealFindFormResource;
    return p;
}

Platform& Table() noexcept
{
    static Platform table = Defaults();
    return table;
}

} // namespace

Platform& Sys() noexcept
{
    return Table();
}

void ResetSys() noexcept
{
    Table() = Defaults();
}

} // namespace ks
