#include "skin/forms/sSkinProvider.h"

#include "skin/core/sCommonData.h"

void TsSkinProvider::CreateAdapter()
{
}

void TsSkinProvider::RefreshFormNC()
{
    if (Animating || !Form || !Form->HandleAllocated() || !FDrawNonClientArea)
        return;
    const HWND wnd = Form->Handle();
    if (!IsWindowVisible(wnd))
        return;
    FSkinData->BackgroundChanged = true;
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}
