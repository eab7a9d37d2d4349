#include "skin/core/sMessages.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// The pointer commands this thread is sending right now, innermost last. A receiver on
// another thread, or a posted copy, can never find a pointer here unless this thread is at
// that moment sending that very pointer for that very command. InSendMessageEx is no help
// here: a direct dispatch made while handling a message from another thread would read as
// foreign although its pointer is this thread's own.
thread_local std::vector<std::pair<WORD, LPARAM>> PointersInFlight;

} // namespace

namespace ks {

PointerSendScope::PointerSendScope(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const WORD command = HIWORD(wParam);
    if (msg != SM_SKINCMD || !CarriesPointer(command) || lParam == 0)
        return;
    PointersInFlight.emplace_back(command, lParam);
    FMarked = true;
}

PointerSendScope::~PointerSendScope()
{
    if (FMarked)
        PointersInFlight.pop_back();
}

bool SkinCommandView::ConcernsManager(const TsSkinManager* manager) const noexcept
{
    const WORD command = Command();
    if (command < SKC_NEW_SKIN || command > SKC_REFRESH)
        return true;
    return M.LParam == reinterpret_cast<LPARAM>(manager);
}

void* SkinCommandView::TrustedPointer() const noexcept
{
    const WORD command = Command();
    if (M.Msg != SM_SKINCMD || !CarriesPointer(command) || M.LParam == 0)
        return nullptr;
    const std::pair<WORD, LPARAM> entry{command, M.LParam};
    if (std::find(PointersInFlight.begin(), PointersInFlight.end(), entry) == PointersInFlight.end())
        return nullptr;
    return reinterpret_cast<void*>(M.LParam);
}

} // namespace ks
