#include "skin/forms/acDials.h"

#include "skin/adapters/acSBUtils.h"
#include "skin/core/SkinServices.h"
#include "vcl/TypInfo.h"

#include <algorithm>

ks::ThreadHook CreationHook;
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
    return CreationHook.CallNext(code, wParam, lParam);
}

namespace {

void InstallCreationHook()
{
    if (!HookedWindows)
        HookedWindows = std::make_unique<std::vector<TacProvider*>>();
    CreationHook.Install(WH_CBT, &CreationHookProc);
}

void RemoveCreationHook() noexcept
{
    CreationHook.Remove();
    // The list is detached first, so records that leave their slot as they go find no list.
    std::unique_ptr<std::vector<TacProvider*>> hooked = std::move(HookedWindows);
    if (hooked)
        for (TacProvider* provider : *hooked)
            if (provider)
                provider->Free();
}

} // namespace

void InitializeAcDialsUnit()
{
    ks::SkinServices& services = ks::Services();
    services.CreationHookInstalled = []() noexcept { return CreationHook.Handle() != nullptr; };
    services.InstallCreationHook = &InstallCreationHook;
    services.RemoveCreationHook = &RemoveCreationHook;
    services.HookedAdaptedWindows = &HookedAdaptedWindows;
}

void FinalizeAcDialsUnit() noexcept
{
    RemoveCreationHook();
}
