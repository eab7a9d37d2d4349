#include "skin/forms/acDials.h"

#include "skin/adapters/acSBUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>

HHOOK HookHandle = nullptr;
std::unique_ptr<std::vector<TacProvider*>> HookedWindows;

const ks::ClassInfo TacProvider::StaticClassInfo{"TacProvider", &TComponent::StaticClassInfo, {}, {}};
const ks::ClassInfo& TacProvider::ClassInfo() const noexcept { return StaticClassInfo; }

TacProvider::~TacProvider()
{
    if (!HookedWindows)
        return;
    auto slot = std::find(HookedWindows->begin(), HookedWindows->end(), this);
    if (slot != HookedWindows->end())
        *slot = nullptr;
}

HWND TacProvider::AdaptedWindow() const noexcept
{
    return GetScrollHandler(CtrlHandle) ? CtrlHandle : nullptr;
}

std::vector<HWND> HookedAdaptedWindows()
{
    std::vector<HWND> windows;
    if (HookedWindows)
        for (const TacProvider* provider : *HookedWindows)
            if (HWND wnd = provider ? provider->AdaptedWindow() : nullptr)
                windows.push_back(wnd);
    return windows;
}

LRESULT CALLBACK CreationHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept
{
    return CallNextHookEx(HookHandle, code, wParam, lParam);
}
