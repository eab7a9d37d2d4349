#include "skin/forms/sSkinProvider.h"

#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/adapters/SkinnedScrollBars.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/forms/FormFrameGeometry.h"
#include "skin/forms/FrameDragState.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/acCtrlAdapter.h"
#include "skin/forms/sMDIForm.h"
#include "skin/adapters/PopupMenuAdapter.h"
#include "skin/forms/sSkinMenus.h"
#include "vcl/Bitmap.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr DWORD DWMWA_TRANSITIONS_FORCEDISABLED_ = 3;
constexpr UINT RedrawFrame = RDW_INVALIDATE | RDW_FRAME;                       // 0x401
constexpr UINT RedrawFrameNow = RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME;    // 0x501

bool Loading(const TComponent* c) noexcept
{
    return c && (c->ComponentState().Contains(csLoading) || c->ComponentState().Contains(csReading));
}

bool FormVisible(const TsSkinProvider& p)
{
    const HWND wnd = p.FormWnd();
    return wnd && IsWindowVisible(wnd);
}

} // namespace

// ---- desktop composition

bool IsDwmCompositionEnabled()
{
    ks::Platform& sys = ks::Sys();
    if (sys.Win32MajorVersion && sys.Win32MajorVersion() < 6)
        return false;
    return sys.CompositionEnabled && sys.CompositionEnabled();
}

HRESULT DwmSetWindowAttributeSafe(HWND wnd, DWORD attribute, const void* value, DWORD size)
{
    auto set = ks::Sys().DwmSetWindowAttribute;
    return set ? set(wnd, attribute, value, size) : E_NOTIMPL;
}

void ForbidDwmTransitions(HWND wnd, bool forbid)
{
    if (!wnd || !IsDwmCompositionEnabled())
        return;
    const BOOL value = forbid ? TRUE : FALSE;
    // Without the attribute the system animates the frame; nothing else depends on it.
    DwmSetWindowAttributeSafe(wnd, DWMWA_TRANSITIONS_FORCEDISABLED_, &value, sizeof value);
}

// ---- published settings

void TsSkinProvider::SetCaptionAlignment(TAlignment value)
{
    if (value == FCaptionAlignment)
        return;
    FCaptionAlignment = value;
    FSkinData->BackgroundChanged = true;
    RefreshFormNC();
}

void TsSkinProvider::SetShowAppIcon(bool value)
{
    if (value == FShowAppIcon)
        return;
    FShowAppIcon = value;
    FSkinData->BackgroundChanged = true;
    if (FormVisible(*this))
        SendMessageW(FormWnd(), WM_NCPAINT, 0, 0);
}

void TsSkinProvider::SetTitleButtons(const TsTitleButtons* value)
{
    FTitleButtons->Assign(value);
}

void TsSkinProvider::SetUseGlobalColor(bool value)
{
    if (value == FUseGlobalColor)
        return;
    FUseGlobalColor = value;
    if (!Form)
        return;
    TsSkinManager* manager = ProviderSkinManager();
    if (value && manager && FSkinData->IsSkinActive() && !FSkinData->CustomColor())
        Form->SetColor(manager->GlobalSectionColor());
    else
        Form->SetColor(clBtnFace);
}

void TsSkinProvider::SetTitleSkin(const std::string& value)
{
    if (value == FTitleSkin)
        return;
    FTitleSkin = value;
    // The index follows the new name at once: a stale -1 would leave the frame without a title.
    CaptionSkinIndex = -1;
    CaptionSkinIndex = TitleSectionIndex();
    FSkinData->BackgroundChanged = true;
    if (!FormVisible(*this))
        return;
    if (BorderForm)
        BorderForm->UpdateBorderWindow(true, 255);
    else
        SendMessageW(FormWnd(), WM_NCPAINT, 0, 0);
}

void TsSkinProvider::SetMenuLineSkin(const std::string& value)
{
    FMenuLineSkin = value;
}

void TsSkinProvider::SetAllowExtBorders(bool value)
{
    if (value == FAllowExtBorders)
        return;
    FAllowExtBorders = value;
    if (Loading(this))
        return;
    FSkinData->BackgroundChanged = true;
    if (const HWND wnd = FormWnd())
        RedrawWindow(wnd, nullptr, nullptr, RedrawFrame);
}

void TsSkinProvider::SetDrawNonClientArea(bool value)
{
    if (value == FDrawNonClientArea)
        return;
    FDrawNonClientArea = value;
    const HWND wnd = FormWnd();
    if (value) {
        SetSysMenuStyle(true);
        if (wnd && Form->Showing() && FSkinData->IsSkinActive()) {
            FSkinData->BackgroundChanged = true;
            delete TitleCache;
            TitleCache = nullptr;
            PrepareMenus(true);
            SetBorderFormActive(ProviderSkinManager() && ProviderSkinManager()->ExtendedBorders());
            RedrawWindow(wnd, nullptr, nullptr, RedrawFrameNow);
            UpdateFormScrolls();
        }
        return;
    }
    SetBorderFormActive(false);
    PrepareMenus(false);
    // No names, not empty ones: empty names would switch the visual styles off instead.
    if (wnd && ks::Sys().SetWindowThemePtr)
        ks::Sys().SetWindowThemePtr(wnd, nullptr, nullptr);
    if (ScrollAdapter) {
        ScrollAdapter->Free();
        ScrollAdapter = nullptr;
    }
    SetSysMenuStyle(false);
    if (wnd && Form->Showing())
        SetWindowRgn(wnd, nullptr, TRUE);
}

// ---- set-up

std::string TsSkinProvider::TitleSectionName() const
{
    return FTitleSkin.empty() ? std::string("FORMTITLE") : FTitleSkin;
}

int TsSkinProvider::TitleSectionIndex() const
{
    if (CaptionSkinIndex != -1)
        return CaptionSkinIndex;
    const TsSkinManager* manager = ProviderSkinManager();
    return manager ? manager->FindSection(TitleSectionName()) : -1;
}

void TsSkinProvider::SetUpForm()
{
    TsSkinManager* manager = ProviderSkinManager();
    if (SetUpPending || Passive || !manager || !Form || !Form->HandleAllocated())
        return;
    FSkinData->Loaded();
    const bool firstWithSkin = FirstSetUp && FSkinData->IsSkinActive();
    // The menu is built before the window loses WS_SYSMENU: the window's own system menu is
    // read for the texts, and the system gives none once the style is gone.
    if (!SystemMenu)
        SystemMenu = new TsSystemMenu(this);
    SystemMenu->UpdateItems(true);
    SetSysMenuStyle(FSkinData->IsSkinActive());
    if (FirstSetUp && FSkinData->IsSkinActive()) {
        FirstSetUp = false;
        if (Form->FormStyle() == fsMDIForm && !Form->ComponentState().Contains(csDesigning))
            SetMDIFormSupport(true);
    }
    FSkinData->RefreshIndexes();
    CaptionSkinIndex = -1;
    CaptionSkinIndex = TitleSectionIndex();
    CaptionTextIndex = manager->FindSection("CAPTION");
    InitTitleButtonSections();
    // A child's menu merges into the main form's line and its buttons may join it.
    if (IsMDIChildForm(Form) && !Form->ComponentState().Contains(csDesigning))
        if (TsSkinProvider* main = LiveMDISkinProvider()) {
            main->SkinData()->BackgroundChanged = true;
            main->MenuLineCountCache = -1;
        }
    const bool settled = !Form->ComponentState().Contains(csDestroying) &&
                         !Form->FormState().Contains(fsCreating) && !Loading(this);
    if (settled && FUseGlobalColor && !FSkinData->CustomColor() && FSkinData->IsSkinActive())
        Form->SetColor(manager->GlobalSectionColor());
    PrepareMenus(FSkinData->IsSkinActive());
    if (!MenuInitialized && InitMenu())
        MenuInitialized = true;
    if (!Loading(Form) && Form->Showing())
        SetBorderFormActive(manager->ExtendedBorders());
    // Made for a form already on the screen, which the system has painted and nothing else would
    // paint again: the frame, the window's shape and the client are painted from the skin as soon
    // as the queue runs, and the border window is brought up at once. The frame's paint adapts
    // the controls, after whoever made the provider has set its handlers.
    const HWND wnd = Form->HandleIfAllocated();
    if (firstWithSkin && !Loading(Form) && IsWindowVisible(wnd)) {
        FSkinData->BackgroundChanged = true;
        FormChanged = true;
        NeedRegionUpdate = true;
        MenuLineCountCache = -1;
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        if (BorderForm)
            BorderForm->UpdateBorderWindow(true, 255);
    }
}

void TsSkinProvider::PrepareForm()
{
    if (Passive || !Form)
        return;
    // The adapter asks the form's OnSkinItem about every control, and a handler may free this
    // provider: it lets the form go at once and is deleted when this is done.
    const Hold hold(this);
    if (const HWND wnd = FormWnd())
        ForbidDwmTransitions(wnd, true);
    if (!Adapter)
        CreateAdapter();
    if (Passive)
        return;
    SetUpForm();
    if (Passive)
        return;
    if (SystemMenu)
        SystemMenu->UpdateItems(false);
    for (int i = 0; i < FTitleButtons->Count(); ++i) {
        TsTitleButton* button = FTitleButtons->Items(i);
        button->BtnData.ImageIndex = button->UseSkinData() ? UserButtonMaskIndex : -1;
    }
    if (MDIForm)
        MDIForm->RefreshFormFrame();
}

void TsSkinProvider::CreateAdapter()
{
    if (Adapter || !FSkinData->IsSkinActive())
        return;
    Adapter = new TacCtrlAdapter(this);
    AdaptAll(Adapter, nullptr);
}

void TsSkinProvider::RemoveAdapter()
{
    if (!Adapter)
        return;
    TMessage m{SM_SKINCMD, MAKEWPARAM(0, SKC_REMOVE_SKIN), reinterpret_cast<LPARAM>(ProviderSkinManager()), 0};
    Adapter->BroadcastMessage(m);
    delete Adapter;
    Adapter = nullptr;
}

void TsSkinProvider::SetBorderFormActive(bool on)
{
    // A form on its icon paints its small title bar in its own window: the border window would
    // only hide, and take the frame's painting with it.
    const bool wanted = on && Form && HaveBorder() && FDrawNonClientArea && FAllowExtBorders && !Form->Parent() &&
                        Form->FormStyle() != fsMDIChild && !IsIconic(FormWnd());
    if (wanted) {
        if (BorderForm)
            return;
        BorderForm = new TacBorderForm(this);
        FSkinData->BackgroundChanged = true;
        if (FSkinData->CacheBitmap)
            FSkinData->CacheBitmap->SetPixelFormat(pf32bit);
        BorderForm->UpdateBorderWindow(true, 255);
        return;
    }
    // The title buttons' fades read the border window at every tick.
    if (BorderForm)
        StopTitleAnimations();
    // Switched off from inside the border window's own message (the form's OnPaint under its
    // repaint), the window goes once that message is done.
    TacBorderForm::Dispose(std::exchange(BorderForm, nullptr));
    if (FSkinData->CacheBitmap)
        FSkinData->CacheBitmap->SetPixelFormat(pf24bit);
}

void TsSkinProvider::SetSysMenuStyle(bool on)
{
    const HWND wnd = FormWnd();
    if (!wnd)
        return;
    const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    if (on) {
        if (FDrawNonClientArea) {
            if (style & WS_SYSMENU) {
                SetWindowLongPtrW(wnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_SYSMENU));
                SysMenuStyleRemoved = true;
            }
        } else if (SysMenuStyleRemoved) {
            SetWindowLongPtrW(wnd, GWL_STYLE, style | WS_SYSMENU);
            SysMenuStyleRemoved = false;
        }
        return;
    }
    if (SysMenuStyleRemoved)
        SetWindowLongPtrW(wnd, GWL_STYLE, style | WS_SYSMENU);
    SysMenuStyleRemoved = false;
}

void TsSkinProvider::PrepareMenus(bool skinned)
{
    TsSkinManager* manager = ProviderSkinManager();
    if (!Form || !manager || !manager->SkinnableMenus())
        return;
    const bool enable = skinned && manager->SkinnedPopups() && FDrawNonClientArea;
    TsSkinableMenus* menus = manager->SkinnableMenus();
    for (int i = 0; i < Form->ComponentCount(); ++i) {
        TComponent* component = Form->Components(i);
        // The menu line is painted on the frame's image by the menus' main-item painter.
        if (auto* mainMenu = dynamic_cast<TMainMenu*>(component))
            menus->SetUpMainMenu(mainMenu, enable);
        else if (auto* popup = dynamic_cast<TPopupMenu*>(component); popup && popup != SystemMenu)
            menus->OwnerDrawMenuItems(popup, enable);
    }
}

bool TsSkinProvider::InitMenu()
{
    static bool busy = false;
    if (busy || !Form || !Form->Menu() || Form->Menu()->Items()->Count() == 0)
        return false;
    busy = true;
    // A menu the system refuses to rebuild raises; the next form's menu is still rebuilt.
    ks::ScopeExit done{[] { busy = false; }};
    Form->Menu()->Items()->Items(0)->MenuChanged(true);
    return true;
}

void TsSkinProvider::FormBeginUpdate(bool withMDI)
{
    FSkinData->BeginUpdate();
    if (const HWND wnd = FormWnd())
        SendMessageW(wnd, WM_SETREDRAW, 0, 0);
    if (withMDI && IsMDIChildForm(Form))
        if (TsSkinProvider* main = LiveMDISkinProvider(); main && main != this)
            main->FormBeginUpdate(false);
}

void TsSkinProvider::FormEndUpdate(bool withMDI)
{
    FSkinData->EndUpdate();
    if (const HWND wnd = FormWnd())
        SendMessageW(wnd, WM_SETREDRAW, 1, 0);
    if (withMDI && IsMDIChildForm(Form))
        if (TsSkinProvider* main = LiveMDISkinProvider(); main && main != this)
            main->FormEndUpdate(false);
}

void TsSkinProvider::RefreshFormNC()
{
    if (Animating || !FormVisible(*this) || !FDrawNonClientArea)
        return;
    const HWND wnd = FormWnd();
    // A maximised MDI child shows its title in the main form's frame: that frame is repainted.
    if (Form->FormStyle() == fsMDIChild && IsZoomed(wnd) && MDISkinProvider && MDISkinProvider != this &&
        MDISkinProvider->Form && MDISkinProvider->Form->HandleAllocated()) {
        MDISkinProvider->SkinData()->BackgroundChanged = true;
        const HWND mainWnd = MDISkinProvider->Form->Handle();
        if (const HDC dc = GetWindowDC(mainWnd)) {
            const int saved = SaveDC(dc);
            MDISkinProvider->RepaintNonClientToDC(dc);
            RestoreDC(dc, saved);
            ReleaseDC(mainWnd, dc);
        }
        return;
    }
    FSkinData->BackgroundChanged = true;
    if (BorderForm) {
        BorderForm->UpdateBorderWindow(true, 255);
        return;
    }
    if (!FSkinData->CacheBitmap)
        if (TsSkinManager* manager = ProviderSkinManager())
            SetBorderFormActive(manager->ExtendedBorders());
    if (const HDC dc = GetWindowDC(wnd)) {
        const int saved = SaveDC(dc);
        RepaintNonClientToDC(dc);
        RestoreDC(dc, saved);
        ReleaseDC(wnd, dc);
    }
}

void TsSkinProvider::InvalidateNonClient()
{
    FSkinData->BackgroundChanged = true;
    FormChanged = true;
    MenuLineCountCache = -1;
    if (const HWND wnd = FormWnd())
        SendMessageW(wnd, WM_NCPAINT, 0, 0);
}

bool TsSkinProvider::CacheSizeChanged() const
{
    const TBitmap* cache = FSkinData->CacheBitmap.get();
    return !cache || cache->Width() != SkinnedWindowWidth() || !Form || cache->Height() != Form->Height();
}

bool TsSkinProvider::ResizeUnannounced() const
{
    const HWND wnd = FormWnd();
    return wnd && !IsIconic(wnd) && (WndWidth(wnd) != Form->Width() || WndHeight(wnd) != Form->Height());
}

// ---- message handlers the window procedure delegates to

void TsSkinProvider::HandleGetMinMaxInfo(TMessage& message)
{
    const HWND wnd = FormWnd();
    TsSkinManager* manager = ProviderSkinManager();
    if (wnd && manager && FDrawNonClientArea && Form->BorderStyle() != bsNone &&
        Form->FormStyle() != fsMDIChild && !Form->Parent() && message.LParam) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (GetMonitorInfoW(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &info)) {
            const RECT& w = info.rcWork;
            const int b = FormBorderWidth(wnd, manager, BorderForm != nullptr, false);
            const int skinCaption = CaptionHeight(true);
            const int sysCaption = CaptionHeight(false);
            int d = 0;
            if (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CAPTION)
                d = skinCaption > sysCaption + b ? skinCaption - sysCaption - b : b;
            // The title heights as the frame holds them: a skin's value out of reason moves the
            // maximised window no further than it moves the frame's title.
            const TsSkinData& s = manager->SkinData;
            const int title = FrameTitleHeight(s), maxTitle = FrameMaxHeight(s);
            const int e = title != maxTitle ? title - maxTitle + s.CenterOffset : 0;
            auto* mmi = reinterpret_cast<MINMAXINFO*>(message.LParam);
            mmi->ptMaxPosition.y = d - b - e;
            mmi->ptMaxSize.x = (w.right - w.left) + 2 * b;
            mmi->ptMaxSize.y = (w.bottom - w.top) - d + 2 * b + e;
            message.Result = 0;
        }
    }
    CallOld(message);
}

void TsSkinProvider::HandleInitMenuPopup(TMessage& message)
{
    if (HIWORD(message.LParam) != 0)
        EnableMenuItem(reinterpret_cast<HMENU>(message.WParam), SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
    else
        // A popup of the form's own opens: whether it is skinned is known once its items are
        // measured, not from a popup shown before it.
        SkinnedPopupShowing = false;
    CallOld(message);
}

void TsSkinProvider::HandlePaint(TMessage& message)
{
    const HWND wnd = FormWnd();
    PAINTSTRUCT ps{};
    // What this paint renews, the controls' places included (the paint's own box leaves them
    // out): the controls elsewhere have nothing new behind them. A control held back for the
    // form may be anywhere.
    RECT update{};
    const bool partial = !PaintLock && !ChildrenHeldBack && GetUpdateRect(wnd, &update, FALSE);
    const TRect renewed{update.left, update.top, update.right, update.bottom};
    // While the screen is held for an animation nothing may validate the form's update region.
    const HDC dc = PaintLock ? reinterpret_cast<HDC>(message.WParam) : BeginPaint(wnd, &ps);
    FSkinData->SetUpdating(false);
    if (dc) {
        // Whatever paints through the form's canvas meanwhile lands in this DC.
        ks::SavedDC saved(dc);
        ks::OrientationPreservedDC kept(dc);
        TCanvas& canvas = Form->Canvas();
        canvas.Lock();
        const HDC previous = canvas.HandleAllocated() ? canvas.Handle() : nullptr;
        canvas.SetHandle(dc);
        ks::ScopeExit unbind{[&] {
            canvas.SetHandle(previous);
            canvas.Unlock();
        }};
        // Every child paints what was uncovered of it (an inactive one too, or the picture of a
        // child moved over it stays); only the active child tells its controls.
        const bool mdiChild = Form->FormStyle() == fsMDIChild;
        const bool activeChild = !mdiChild || (MDISkinProvider && MDISkinProvider->Form &&
                                               MDISkinProvider->Form->ActiveMDIChild() == Form);
        if (!MDIMaximizedChild && !BeingDestroyed())
            PaintClientBackground(dc, activeChild, partial ? &renewed : nullptr);
    }
    if (!PaintLock)
        EndPaint(wnd, &ps);
}

void TsSkinProvider::HandleMouseWheel(TMessage& message)
{
    static bool busy = false;
    if (busy || !Form || message.Result != 0)
        return;
    busy = true;
    // A handler that raises must not switch the forwarding off for good.
    ks::ScopeExit done{[] { busy = false; }};
    POINT cursor{static_cast<short>(LOWORD(message.LParam)), static_cast<short>(HIWORD(message.LParam))};
    TWinControl* target = Form;
    // Down through the windowed controls under the cursor to the innermost one.
    for (;;) {
        POINT local = cursor;
        const HWND wnd = target->HandleIfAllocated();
        if (!wnd || !ScreenToClient(wnd, &local))
            break;
        auto* child = dynamic_cast<TWinControl*>(target->ControlAtPos({local.x, local.y}, false, true));
        if (!child)
            break;
        target = child;
    }
    if (target != Form) {
        POINT local = cursor;
        ScreenToClient(target->Handle(), &local);
        const TShiftState shift = TShiftState::FromBits(GET_KEYSTATE_WPARAM(message.WParam));
        message.Result = target->DoMouseWheel(shift, GET_WHEEL_DELTA_WPARAM(message.WParam), {local.x, local.y}) ? 1 : 0;
    }
}

void TsSkinProvider::UpdateFormScrolls()
{
    const HWND wnd = FormWnd();
    if (!wnd || Form->ComponentState().Contains(csDesigning) || !Form->AutoScroll())
        return;
    ks::Platform& sys = ks::Sys();
    if (FSkinData->IsSkinActive()) {
        if (sys.InitializeFlatSBPtr)
            sys.InitializeFlatSBPtr(wnd);
        if (ScrollAdapter && ScrollAdapter->Destroyed) {
            ScrollAdapter->Free();
            ScrollAdapter = nullptr;
        }
        if (!ScrollAdapter)
            ScrollAdapter = TacMainWnd::Create<TacScrollWnd>(wnd, FSkinData, ProviderSkinManager(), "", true);
    } else {
        if (ScrollAdapter) {
            ScrollAdapter->Free();
            ScrollAdapter = nullptr;
        }
        if (sys.UninitializeFlatSBPtr)
            sys.UninitializeFlatSBPtr(wnd);
    }
}

void TsSkinProvider::PaintMenuLineEnd(TCanvas* canvas)
{
    TBitmap* cache = FSkinData->CacheBitmap.get();
    if (!canvas || !cache || !Form)
        return;
    // What the frame's image holds beneath the form, so that it shows nothing of its own.
    const TRect end = MenuLineEndRect();
    BitBlt(canvas->Handle(), 0, 0, end.Width(), end.Height(), cache->Canvas().Handle(), end.Left, end.Top, SRCCOPY);
}

// ---- the cover form

void TsSkinProvider::CreateCoverForm(bool fullHeight)
{
    const HWND wnd = FormWnd();
    if (!wnd || !FDrawNonClientArea || Animating || RedrawLockCount >= 1 || !Application)
        return;
    // The main form holds its painting back: its child is painted with it afterwards.
    if (IsMDIChildForm(Form))
        if (TsSkinProvider* main = LiveMDISkinProvider(); main && main->RedrawLockCount > 0)
            return;
    if (!CoverForm) {
        ks::SetNextFormCreation({true, false, {}});
        CoverForm = CreateNew<TForm>(Application);
        // The application may free its forms before this provider goes.
        CoverForm->FreeNotification(this);
        // The creation hook leaves the engine's own forms alone.
        CoverForm->SetTag(-98);
        CoverForm->SetBorderStyle(bsNone);
        CoverForm->SetOnPaint(TNotifyEvent(this, &TsSkinProvider::CoverFormPaint));
        CoverFormProc = CoverForm->WindowProc();
        CoverForm->SetWindowProc(TWndMethod(this, &TsSkinProvider::CoverFormWndProc));
    }
    RECT wr{};
    GetWindowRect(wnd, &wr);
    int left = wr.left;
    int top = wr.top;
    int width = wr.right - wr.left;
    int height = fullHeight ? wr.bottom - wr.top : NonClientHeight();
    if (BorderForm) {
        const int lines = MenuLineCount();
        height = MenuBarHeight() * lines + (lines != 0 ? 1 : 0);
        const int sysFrame = FormBorderWidth(wnd, ProviderSkinManager(), true, false);
        top = wr.top + ClientOffsetY() - height - ExtBorderMargins().Top - TitleHeightDelta();
        left = wr.left + sysFrame;
        width = (wr.right - wr.left) - 2 * sysFrame;
    }
    if (height <= 0 || width <= 0)
        return;
    // The cover is a top-level window: an MDI child's place in the z-order is its main form's,
    // and the system refuses to put a top-level window after a child window.
    const HWND root = GetAncestor(wnd, GA_ROOT);
    const HWND above = (GetWindowLongPtrW(root, GWL_EXSTYLE) & WS_EX_TOPMOST) ? HWND_TOPMOST : GetWindow(root, GW_HWNDPREV);
    SetWindowPos(CoverForm->Handle(), above ? above : HWND_TOP, left, top, width, height,
                 SWP_NOREDRAW | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING);
}

void TsSkinProvider::FreeCoverForm()
{
    if (!CoverForm)
        return;
    if (CoverForm->WindowProc() == TWndMethod(this, &TsSkinProvider::CoverFormWndProc))
        CoverForm->SetWindowProc(CoverFormProc);
    FreeAndNil(CoverForm);
    CoverFormProc = nullptr;
}

void TsSkinProvider::CoverFormWndProc(TMessage& message)
{
    if (message.Msg == WM_ERASEBKGND) {
        message.Result = 1;
        return;
    }
    if (CoverFormProc)
        CoverFormProc(message);
}

void TsSkinProvider::CoverFormPaint(TObject*)
{
    // The cover shows what lay on the screen when it came; it paints nothing of its own.
}

// ---- title animations

void TsSkinProvider::StopTitleAnimations()
{
    std::vector<TitleButtonRec*> records{&ButtonMin, &ButtonMax, &ButtonClose, &ButtonHelp};
    for (int i = 0; FTitleButtons && i < FTitleButtons->Count(); ++i)
        records.push_back(&FTitleButtons->Items(i)->BtnData);
    for (TitleButtonRec* rec : records) {
        if (!rec->Animation)
            continue;
        // A title animation is a timer this provider owns; it is found among the owned
        // components by its address, so this unit needs nothing of the animation's own.
        const void* animation = rec->Animation;
        rec->Animation = nullptr;
        for (int i = 0; i < ComponentCount(); ++i)
            if (static_cast<const void*>(Components(i)) == animation) {
                Components(i)->Free();
                break;
            }
    }
}
