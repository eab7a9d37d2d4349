#include "skin/adapters/PopupMenuAdapter.h"

#include "skin/adapters/AdapterPainting.h"
#include "skin/adapters/SmallAdapterGeometry.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinServices.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/forms/sSkinMenus.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"

#include <algorithm>
#include <memory>

bool SkinnedPopupShowing = false;
std::vector<TacMnuWnd*> MenuWindows;

namespace {

// Every menu adapter alive, listed or forgotten: the unit's shut-down frees those whose windows
// outlived the program's menus.
std::vector<TacMnuWnd*>& LiveMenuAdapters()
{
    static std::vector<TacMnuWnd*> list;
    return list;
}

int UnitUsers = 0;

} // namespace

void ForgetMenuWindows() noexcept
{
    MenuWindows.clear();
}

TacMnuWnd::TacMnuWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacScrollWnd(handle, skinData, manager, std::move(section))
{
    LiveMenuAdapters().push_back(this);
}

TacMnuWnd::~TacMnuWnd()
{
    Shown = 0;
    std::erase(LiveMenuAdapters(), this);
    std::replace(MenuWindows.begin(), MenuWindows.end(), this, static_cast<TacMnuWnd*>(nullptr));
}

int TacMnuWnd::FrameWidth() const
{
    RECT window{};
    RECT client{};
    GetWindowRect(CtrlHandle, &window);
    GetClientRect(CtrlHandle, &client);
    return ks::adapters::MenuFrameWidth(window.right - window.left, client.right - client.left);
}

void TacMnuWnd::AdapterWndProc(TMessage& m)
{
    if (!MenuMessage(m))
        TacScrollWnd::AdapterWndProc(m);
}

bool TacMnuWnd::MenuMessage(TMessage& m)
{
    switch (m.Msg) {
    case WM_DESTROY: return WMDestroy(m);
    case WM_NCDESTROY: return WMDestroy(m);
    case SM_SKINCMD: return MenuSkinCommand(m);
    default: break;
    }
    if (!SkinnedPopupShowing || Destroyed)
        return false;
    switch (m.Msg) {
    case WM_ERASEBKGND: return WMEraseBkgnd(m);
    case WM_NCPAINT: return WMNCPaint(m);
    default: return false;
    }
}

// The window goes: its slot is emptied, the other open menus are drawn again (their cached
// items went with the cache) and the adapter itself goes once the message has returned.
bool TacMnuWnd::WMDestroy(TMessage& m)
{
    Shown = 0;
    std::replace(MenuWindows.begin(), MenuWindows.end(), this, static_cast<TacMnuWnd*>(nullptr));
    ForgetScrollWindow(this, CtrlHandle);
    CallPrev(m);
    if (Hooked()) {
        TacMainWnd* self = this;
        RemoveScrollWndHandler(CtrlHandle, false, false, self);
    }
    ClearMenuCache();
    bool remaining = false;
    // The list may change under the redraws (a menu closing another): walk a copy.
    for (TacMnuWnd* other : std::vector<TacMnuWnd*>(MenuWindows)) {
        if (!other || std::find(MenuWindows.begin(), MenuWindows.end(), other) == MenuWindows.end())
            continue;
        remaining = true;
        if (other->CtrlHandle && IsWindow(other->CtrlHandle))
            RedrawWindow(other->CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
    }
    if (!remaining)
        ForgetMenuWindows();
    SkinnedPopupShowing = false;
    Free();
    return true;
}

bool TacMnuWnd::MenuSkinCommand(TMessage& m)
{
    const ks::SkinCommandView view(m);
    switch (view.Command()) {
    case SKC_IS_SKINNED: m.Result = 1; break;
    case SKC_SET_UPDATING: m.Result = Shown; break;
    case SKC_MENU_SHOWN:
        if (IsWindowVisible(CtrlHandle))
            Shown = 1;
        m.Result = 0;
        break;
    case SKC_GET_APPLICATION: m.Result = reinterpret_cast<LRESULT>(Application); break;
    default: m.Result = 0; break;
    }
    return true;
}

void TacMnuWnd::PrepareCache()
{
    GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
    if (!SkinData->BackgroundChanged)
        return;
    const int width = std::max(0, static_cast<int>(WndSize.cx));
    const int height = std::max(0, static_cast<int>(WndSize.cy));
    TBitmap* sized = ks::adapters::SizedCache(*SkinData, {width, height});
    if (!sized || sized->Empty())
        return;
    TBitmap& cache = *sized;
    PaintControlSection(*SkinData, NoBackgroundCacheInfo, true, 0, Rect(0, 0, width, height),
                        TPoint{WndRect.Left - ParentRect.Left, WndRect.Top - ParentRect.Top}, &cache, false);
    DrawWndBorder(SkinData, nullptr, this);
    SkinData->BackgroundChanged = false;
}

// The client shows the cache from inside the frame on.
bool TacMnuWnd::WMEraseBkgnd(TMessage& m)
{
    PrepareCache();
    TBitmap* cache = SkinData->CacheBitmap.get();
    HDC given = reinterpret_cast<HDC>(m.WParam);
    std::unique_ptr<ks::WindowDC> taken;
    if (!given)
        taken = std::make_unique<ks::WindowDC>(CtrlHandle);
    if (cache && !cache->Empty()) {
        const int frame = FrameWidth();
        BitBlt(given ? given : taken->get(), 0, 0, cache->Width(), cache->Height(), cache->Canvas().Handle(), frame,
               frame, SRCCOPY);
    }
    Shown = 0;
    m.Result = 0;
    return true;
}

bool TacMnuWnd::WMNCPaint(TMessage& m)
{
    if (!ks::Sys().IsNtFamily())
        return false;
    const int frame = FrameWidth();
    ks::WindowDC dc(CtrlHandle, ks::WindowDC::WholeWindow);
    RECT r{};
    GetWindowRect(CtrlHandle, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const PopupCacheRec rec = MenuItemInfoOf(nullptr, CtrlHandle);
    if (rec.Bitmap && rec.Bitmap->Width() + 2 * frame == width && rec.Bitmap->Height() == height) {
        CopyFrameStrips(dc.get(), 0, 0, width, height, rec.Bitmap->Canvas().Handle(), 0, 0, frame);
    } else {
        PrepareCache();
        if (TBitmap* cache = SkinData->CacheBitmap.get(); cache && !cache->Empty())
            CopyFrameStrips(dc.get(), 0, 0, width, height, cache->Canvas().Handle(), 0, 0, frame);
    }
    m.Result = 0;
    return true;
}

void InitializePopupMenuAdapterUnit()
{
    if (UnitUsers++ > 0)
        return;
    ks::Services().ForgetMenuWindows = &ForgetMenuWindows;
}

void FinalizePopupMenuAdapterUnit() noexcept
{
    if (UnitUsers == 0 || --UnitUsers > 0)
        return;
    ForgetMenuWindows();
    // Each adapter deleted takes itself off the list.
    for (TacMnuWnd* adapter : std::vector<TacMnuWnd*>(LiveMenuAdapters()))
        adapter->Free();
    LiveMenuAdapters().clear();
    if (ks::Services().ForgetMenuWindows == &ForgetMenuWindows)
        ks::Services().ForgetMenuWindows = nullptr;
}
