#include "vcl/Shell.h"

#include "vcl/PlatformSeams.h"

void ShellOpen(HWND owner, const std::wstring& target) noexcept
{
    if (auto shellExecute = ks::Sys().ShellExecuteW)
        shellExecute(owner, L"open", target.c_str(), nullptr, nullptr, SW_SHOW);
}
