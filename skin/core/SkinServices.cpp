// The registry of the later parts' services (see the header).

#include "skin/core/SkinServices.h"

namespace ks {

SkinServices& Services() noexcept
{
    static SkinServices services;
    return services;
}

std::vector<HWND> HookedAdaptedWindows()
{
    const SkinServices& s = Services();
    return s.HookedAdaptedWindows ? s.HookedAdaptedWindows() : std::vector<HWND>{};
}

bool AdaptedAndVisible(HWND wnd) noexcept
{
    const SkinServices& s = Services();
    return s.HasAdapter && s.HasAdapter(wnd) && IsWindowVisible(wnd);
}

} // namespace ks
