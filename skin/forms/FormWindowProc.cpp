// The form's window procedure while a provider holds it: the skin commands answered in every
// state, the unskinned path (everything to the form's own procedure) and the skinned path, where
// skin commands are answered here and never reach the form, control messages have their own
// handlers and window messages go to the handlers of the frame, hit test and window state.

#include "skin/forms/sSkinProvider.h"

#include "skin/adapters/PopupMenuAdapter.h"
#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/adapters/acSBUtils.h"
#include "skin/core/ComponentWatch.h"
#include "skin/controls/sSpeedButton.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/forms/FrameDragState.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/acCtrlAdapter.h"
#include "skin/forms/sMDIForm.h"
#include "skin/forms/sSkinMenus.h"
#include "vcl/Bitmap.h"
#include "vcl/PlatformSeams.h"
#include "vcl/StdCtrls.h"

#include <utility>

namespace {

constexpr UINT CM_RESERVED_BC4D = 0xBC4D;
constexpr UINT RedrawFormNow = RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_UPDATENOW | RDW_FRAME;   // 0x545
constexpr UINT RedrawAllNow = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME;   // 0x585

bool Loading(const TComponent* c) noexcept
{
    return c && (c->ComponentState().Contains(csLoading) || c->ComponentState().Contains(csReading));
}

WORD CommandOf(const TMessage& m) noexcept
{
    return HIWORD(m.WParam);
}

bool ManagerLoading(const TsSkinManager* manager)
{
    return manager && (manager->ComponentState().Contains(csLoading) || manager->ComponentState().Contains(csReading));
}

// A title button is pressed, the primary mouse button is still down as the messages taken so
// far have it, and the cursor is still over the button.
bool PressLasts(TsSkinProvider& p)
{
    const TitleButtonRec* rec = TitleButtonPressed ? p.TitleButtonByHitCode(p.HotHitCode) : nullptr;
    if (!rec || rec->State != 2 || !p.Form || !p.Form->HandleAllocated())
        return false;
    if (GetKeyState(ks::Sys().GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON) >= 0)
        return false;
    const HWND frame = p.BorderForm && p.BorderForm->WindowHandle() ? p.BorderForm->WindowHandle() : p.Form->Handle();
    RECT r{};
    POINT cursor{};
    if (!GetWindowRect(frame, &r) || !ks::Sys().GetCursorPos(&cursor))
        return false;
    const POINT at{cursor.x - r.left, cursor.y - r.top};
    return at.x >= rec->Rect.Left && at.x < rec->Rect.Right && at.y >= rec->Rect.Top && at.y < rec->Rect.Bottom;
}

// Whether the system draws the window's frame active now: a top-level window while it is the
// active one, an MDI child while it is its client's active child under an active main window.
bool FrameActiveNow(HWND wnd, bool mdiChild)
{
    if (!wnd)
        return false;
    if (!mdiChild)
        return GetActiveWindow() == wnd;
    const HWND client = GetParent(wnd);
    return client && reinterpret_cast<HWND>(SendMessageW(client, WM_MDIGETACTIVE, 0, 0)) == wnd &&
           GetActiveWindow() == GetParent(client);
}

} // namespace

void TsSkinProvider::FormWndProc(TMessage& message)
{
    const Hold hold(this);
    DispatchFormMessage(message);
}

void TsSkinProvider::DispatchFormMessage(TMessage& message)
{
    // Let go of its form but still called by whoever took the procedure over after it: it only
    // passes the messages on, so that it neither answers for the form nor skins it again.
    if (Passive) {
        CallOld(message);
        return;
    }
    if (message.Msg == SM_SKINCMD && AnyStateCommand(message))
        return;
    if (BeingDestroyed() || !FSkinData || !FSkinData->IsSkinActive())
        UnskinnedMessage(message);
    else
        SkinnedMessage(message);
}

bool TsSkinProvider::BeingDestroyed() const noexcept
{
    return ComponentState().Contains(csDestroying) || !Form || Form->ComponentState().Contains(csDestroying);
}

void TsSkinProvider::CallOld(TMessage& message)
{
    if (OldWndProc)
        OldWndProc(message);
}

void TsSkinProvider::PrepareIfPending()
{
    // A form shown before it has a window would otherwise lose its one preparation.
    if (!SetUpPending || !Form || !Form->HandleAllocated())
        return;
    SetUpPending = false;
    PrepareForm();
}

void TsSkinProvider::Swallow(TMessage& message)
{
    message.Result = 0;
}

// ---- stage 1: skin commands in every state

bool TsSkinProvider::AnyStateCommand(TMessage& message)
{
    TsSkinManager* manager = FSkinData ? FSkinData->SkinManager() : nullptr;
    const auto sender = reinterpret_cast<TsSkinManager*>(message.LParam);
    switch (CommandOf(message)) {
    case SKC_NEW_SKIN:
        if (!BeingDestroyed() && FSkinData && sender == manager && !SystemMenu)
            SetUpForm();
        return false;
    case SKC_REMOVE_SKIN:
        if (sender != manager && Form)
            BroadcastCommand(Form, message);
        else
            RemoveSkin(message);
        return true;
    case SKC_IS_SKINNED:
        message.Result = 1;
        return true;
    case SKC_GET_BG_INFO:
        if (!FSkinData)
            return false;
        AnswerBgInfo(message);
        return true;
    case SKC_GET_STATE:
        message.Result = FSkinData ? FSkinData->SkinStateWord : 0;
        return true;
    case SKC_GET_APPLICATION:
        message.Result = reinterpret_cast<LRESULT>(Application);
        return true;
    case SKC_GET_CLIENT_OFFSET:
        message.Result = MAKELONG(ClientOffsetX(), ClientOffsetY());
        return true;
    default:
        return false;
    }
}

void TsSkinProvider::RemoveSkin(TMessage& message)
{
    TsSkinManager* manager = FSkinData ? FSkinData->SkinManager() : nullptr;
    // Its mouse messages no longer reach the outline drag once the skin is gone.
    CancelOutlineDrag(*this);
    if (ScrollAdapter) {
        ScrollAdapter->Free();
        ScrollAdapter = nullptr;
    }
    const HWND wnd = FormWnd();
    ForbidDwmTransitions(wnd, false);
    RemoveAdapter();
    if (FSkinData)
        CommonSkinCommand(message, FSkinData);
    MenuLineCountCache = -1;
    CaptionSkinIndex = -1;
    CaptionTextIndex = -1;
    if (Form)
        BroadcastCommand(Form, message);
    if (manager)
        ClearMenuCache();
    if (wnd && !BeingDestroyed() && manager) {
        PrepareMenus(false);
        SetSysMenuStyle(false);
        // The client window goes back to the platform with the skin; the main form stays the
        // children's MDI provider.
        if (IsMDIMainForm(Form))
            delete std::exchange(MDIForm, nullptr);
        if (HaveBorder() && !RegionChanging)
            SetWindowRgn(wnd, nullptr, TRUE);
        InitMenu();
        if (const HWND client = Form->ClientHandle())
            RedrawWindow(client, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
        SetBorderFormActive(false);
    }
    if (Form) {
        for (int i = 0; i < Form->ComponentCount(); ++i)
            // A label that keeps its own look (tag 98) was never given the skin's colour.
            if (auto* label = dynamic_cast<TLabel*>(Form->Components(i)); label && label->Tag() != 98)
                label->Font()->SetColor(clWindowText);
        if (FUseGlobalColor && FSkinData && !FSkinData->CustomColor())
            Form->SetColor(clBtnFace);
    }
    if (FSkinData)
        FSkinData->CacheBitmap.reset();
}

void TsSkinProvider::AnswerBgInfo(TMessage& message)
{
    auto* info = ks::SkinCommandView(message).Pointer<BackgroundInfo>();
    if (!info)
        return;
    // A child asking for the form's cache gets it rebuilt first when it is stale.
    if (FSkinData->BackgroundChanged && !FSkinData->Updating() && FSkinData->ParentCacheUsed())
        PaintNonClient();
    if (info->PaintRequested) {
        info->Offset.X += ClientOffsetX();
        info->Offset.Y += ClientOffsetY();
    }
    FSkinData->AnswerBackgroundInfo(*info, FormActive, FormWnd());
    if (info->BackgroundKind == BgKindBitmap && !info->PaintRequested) {
        if (!info->Bmp) {
            PaintNonClient();
            info->Bmp = FSkinData->CacheBitmap.get();
        }
        info->Offset = {ClientOffsetX(), ClientOffsetY()};
    }
}

// ---- stage 2: the unskinned path

void TsSkinProvider::UnskinnedMessage(TMessage& message)
{
    if (message.Msg == SM_SKINCMD) {
        TsSkinManager* manager = FSkinData ? FSkinData->SkinManager() : nullptr;
        switch (CommandOf(message)) {
        case SKC_NEW_SKIN:
            if (BeingDestroyed() || !FSkinData)
                CallOld(message);
            else if (reinterpret_cast<TsSkinManager*>(message.LParam) == manager)
                NewSkinUnskinned(message);
            return;
        case SKC_GET_PROVIDER:
            message.Result = reinterpret_cast<LRESULT>(this);
            return;
        default:
            break;
        }
    }
    CallOld(message);
    if (message.Msg == CM_MOUSEWHEEL)
        ForwardMouseWheel(message);
    else if (message.Msg == WM_NCDESTROY)
        MDIChildWindowGone(*this);
}

void TsSkinProvider::NewSkinUnskinned(TMessage&)
{
    TsSkinManager* manager = FSkinData->SkinManager();
    ClearMenuCache();
    FSkinData->RefreshIndexes();
    CaptionSkinIndex = -1;
    CaptionSkinIndex = TitleSectionIndex();
    CaptionTextIndex = manager ? manager->FindSection("CAPTION") : -1;
    if (manager) {
        InitTitleButtonSections();
        SetSysMenuStyle(true);
        // The frame's activation was not followed while the skin was off, and a provider that
        // hooked an inactive form starts out active.
        FormActive = FrameActiveNow(FormWnd(), IsMDIChildForm(Form));
        if (IsMDIMainForm(Form) && Screen && Form->ActiveMDIChild() &&
            Form->ActiveMDIChild() == Screen->ActiveForm())
            FormActive = true;
        if (!ManagerLoading(manager))
            PrepareMenus(true);
        FSkinData->BackgroundChanged = true;
        MenuLineCountCache = -1;
        // A main form set up while no skin was active gets its client adapter now.
        if (IsMDIMainForm(Form) && !MDIForm)
            SetMDIFormSupport(true);
        if (FUseGlobalColor && !FSkinData->CustomColor() && Form)
            Form->SetColor(manager->GlobalSectionColor());
        ForbidDwmTransitions(FormWnd(), true);
    }
    if (!Adapter)
        CreateAdapter();
    else
        AdaptAll(Adapter, nullptr);
}

// ---- stage 3: the skinned path

void TsSkinProvider::SkinnedMessage(TMessage& message)
{
    // The lazy preparation of a provider the creation hook made: the first non-client message.
    if (message.Msg == WM_NCHITTEST || message.Msg == WM_NCPAINT)
        PrepareIfPending();
    if (message.Msg == SM_SKINCMD)
        SkinnedCommand(message);
    else if ((message.Msg >= CM_BASE && message.Msg <= CM_RESERVED_B04C) || message.Msg == CM_RESERVED_BC4D)
        ControlMessage(message);
    else
        WindowMessage(message);
}

void TsSkinProvider::SkinnedCommand(TMessage& message)
{
    switch (CommandOf(message)) {
    case SKC_NEW_SKIN: SkinCmdNewSkin(message); break;
    case SKC_REFRESH: SkinCmdRefresh(message); break;
    case SKC_GET_PROVIDER: message.Result = reinterpret_cast<LRESULT>(this); break;
    case SKC_SET_UPDATING: SkinCmdSetUpdating(message); break;
    case SKC_SET_TRANSPARENT: SkinCmdSetTransparent(message); break;
    case SKC_IS_UPDATING: SkinCmdIsUpdating(message); break;
    case SKC_REPAINT_NOW: SkinCmdRepaintNow(message); break;
    case SKC_GET_BG_COLOR: message.Result = static_cast<LRESULT>(FormBackColor()); break;
    case SKC_IS_BG_COMPLEX: SkinCmdIsBgComplex(message); break;
    case SKC_ADAPT_CHILD: SkinCmdAdaptChild(message); break;
    case SKC_UPDATE_BORDERS: SkinCmdUpdateBorders(message); break;
    case SKC_BEFORE_SCROLL: SkinCmdBeforeScroll(message); break;
    case SKC_AFTER_SCROLL: SkinCmdAfterScroll(message); break;
    // Every other command stops here: the form itself knows nothing of skins.
    default: break;
    }
}

void TsSkinProvider::SkinCmdNewSkin(TMessage& message)
{
    TsSkinManager* manager = FSkinData->SkinManager();
    if (reinterpret_cast<TsSkinManager*>(message.LParam) != manager)
        return;
    ClearMenuCache();
    FSkinData->RefreshIndexes();
    CaptionSkinIndex = -1;
    CaptionSkinIndex = TitleSectionIndex();
    CaptionTextIndex = manager ? manager->FindSection("CAPTION") : -1;
    if (!manager)
        return;
    InitTitleButtonSections();
    ClearMenuCache();
    SetSysMenuStyle(FDrawNonClientArea);
    if (manager->SkinnableMenus())
        manager->SkinnableMenus()->UpdateMenus();
    FSkinData->BackgroundChanged = true;
    MenuLineCountCache = -1;
    if (const HWND wnd = FormWnd())
        SendMessageW(wnd, WM_NCPAINT, 0, 0);
    if (IsMDIMainForm(Form) && !MDIForm)
        SetMDIFormSupport(true);
}

void TsSkinProvider::SkinCmdRefresh(TMessage& message)
{
    TsSkinManager* manager = FSkinData->SkinManager();
    if (reinterpret_cast<TsSkinManager*>(message.LParam) != manager)
        return;
    if (!Adapter)
        CreateAdapter();
    else
        AdaptAll(Adapter, nullptr);
    if (FDrawNonClientArea)
        UpdateFormScrolls();
    MenuLineCountCache = -1;
    delete TitleCache;
    TitleCache = nullptr;
    if (!ManagerLoading(manager)) {
        InitMenu();
        PrepareMenus(FSkinData->IsSkinActive());
    }
    if (HaveBorder())
        NeedRegionUpdate = true;
    // The form's own flag, not the window's: during a skin change the redraw lock holds every
    // shown form, and WM_SETREDRAW takes WS_VISIBLE away from its window meanwhile.
    const HWND wnd = FormWnd();
    if (!wnd || !Form->Showing())
        return;
    FSkinData->BackgroundChanged = true;
    SetBorderFormActive(manager && manager->ExtendedBorders());
    if (!PaintLock) {
        if (TCustomForm* maximized = MaximizedMDIChild(Form)) {
            // The maximised child covers the client: the frame and the child are all there is.
            SendMessageW(wnd, WM_NCPAINT, 0, 0);
            InvalidateRect(maximized->HandleIfAllocated(), nullptr, TRUE);
        } else {
            RedrawWindow(wnd, nullptr, nullptr, RedrawFormNow);
            if (const HWND client = IsMDIMainForm(Form) ? Form->ClientHandle() : nullptr)
                RedrawWindow(client, nullptr, nullptr, RedrawFormNow);
        }
    }
    if (FUseGlobalColor && !FSkinData->CustomColor() && manager)
        Form->SetColor(manager->GlobalSectionColor());
    if (MDIForm)
        MDIForm->AttachMDIClient();
    FSkinData->SetUpdating(false);
    if (Adapter)
        Adapter->BroadcastMessage(message);
    UpdateBorderWindowIfAny();
}

void TsSkinProvider::SkinCmdSetUpdating(TMessage& message)
{
    FSkinData->SetUpdating(LOWORD(message.WParam) == 1);
    if (FSkinData->Updating())
        FSkinData->BackgroundChanged = true;
}

void TsSkinProvider::SkinCmdSetTransparent(TMessage& message)
{
    RouteSkinMessage(message, FSkinData);
    // A form made transparent shows its parent through the cache: it is rebuilt at once.
    if (FSkinData->ParentBackgroundAlways)
        PaintNonClient();
}

void TsSkinProvider::SkinCmdIsUpdating(TMessage& message)
{
    message.Result = !PaintLock && FSkinData->ParentCacheUsed() && FSkinData->Updating() ? 1 : 0;
    ChildrenHeldBack = ChildrenHeldBack || message.Result;
}

void TsSkinProvider::SkinCmdRepaintNow(TMessage&)
{
    // Only the layered border window of a modal form repaints on this command; a hidden one
    // stays hidden.
    if (BorderForm && Form && Form->FormState().Contains(fsModal))
        BorderForm->UpdateBorderWindow(false, 255);
}

void TsSkinProvider::UpdateBorderWindowIfAny()
{
    if (BorderForm)
        BorderForm->UpdateBorderWindow(true, 255);
}

void TsSkinProvider::SkinCmdIsBgComplex(TMessage& message)
{
    const TsGeneralData* section = FSkinData->Section();
    const bool complex = section && section->GradientPercent + section->ImagePercent > 0;
    message.LParam = complex ? 1 : 0;
    message.Result = complex ? 1 : 0;
}

void TsSkinProvider::SkinCmdAdaptChild(TMessage& message)
{
    if (!Form || Loading(Form) || !Adapter)
        return;
    // 0 means the whole form; a pointer is trusted only while a sender of this thread sends it.
    auto* control = message.LParam ? ks::SkinCommandView(message).Pointer<TComponent>() : nullptr;
    if (message.LParam && !control)
        return;
    AdaptAll(Adapter, dynamic_cast<TWinControl*>(control));
}

void TsSkinProvider::SkinCmdUpdateBorders(TMessage& message)
{
    // The command brings a shown border window up to date; the form's own handlings that follow
    // its state through it ask, with argument 1, for the window to be shown as well.
    if (BorderForm)
        BorderForm->UpdateBorderWindow(LOWORD(message.WParam) != 0, 255);
}

void TsSkinProvider::SkinCmdBeforeScroll(TMessage&)
{
    if (FSkinData->NeedsRepaint())
        if (const HWND wnd = FormWnd())
            SendMessageW(wnd, WM_SETREDRAW, 0, 0);
}

void TsSkinProvider::SkinCmdAfterScroll(TMessage&)
{
    if (!FSkinData->NeedsRepaint())
        return;
    const HWND wnd = FormWnd();
    if (!wnd)
        return;
    SendMessageW(wnd, WM_SETREDRAW, 1, 0);
    RedrawWindow(wnd, nullptr, nullptr, RedrawAllNow);
    if (MDISkinProvider == this)
        if (const HWND client = Form->ClientHandle())
            RedrawWindow(client, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

// ---- control messages

void TsSkinProvider::ControlMessage(TMessage& message)
{
    switch (message.Msg) {
    case CM_ACTIVATE: CMActivate(message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(message); break;
    case CM_COLORCHANGED: CMColorChanged(message); break;
    case CM_MOUSEENTER: CMMouseEnter(message); break;
    case CM_MOUSELEAVE: CMMouseLeave(message); break;
    case CM_MENUCHANGED: CMMenuChanged(message); break;
    case CM_CONTROLLISTCHANGE: CMControlListChange(message); break;
    case CM_RECREATEWND: break;
    case CM_INVALIDATE: Swallow(message); break;
    case CM_RESERVED_B04C: Swallow(message); break;
    case CM_RESERVED_BC4D: Swallow(message); break;
    case CM_FRAMECHANGED: CMFrameChanged(message); break;
    case CM_MOUSEWHEEL: CMMouseWheel(message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(message); break;
    default: CallOld(message); break;
    }
}

void TsSkinProvider::CMActivate(TMessage& message)
{
    CallOld(message);
    UpdateBorderWindowIfAny();
}

void TsSkinProvider::CMVisibleChanged(TMessage& message)
{
    PrepareIfPending();
    // The show may free the form, from OnPaint or between two frames of its animation, and
    // this provider with it, whatever holds it.
    ks::ComponentWatch watch;
    watch.Watch(this);
    CallOld(message);
    if (!watch.Alive(this))
        return;
    // Shown for the first time: the window came with the message.
    PrepareIfPending();
    UpdateBorderWindowIfAny();
    if (message.WParam == 0) {
        if (!BeingDestroyed() && FSkinData->CacheBitmap)
            FSkinData->CacheBitmap->SetSize(0, 0);
        StopTitleAnimations();
    } else if (Form && Form->Parent())
        SendChildrenCommand6(Form);
}

void TsSkinProvider::CMEnabledChanged(TMessage& message)
{
    CallOld(message);
    if (!FDrawNonClientArea)
        return;
    FSkinData->BackgroundChanged = true;
    if (const HWND wnd = FormWnd())
        SendMessageW(wnd, WM_NCPAINT, 0, 0);
}

void TsSkinProvider::CMColorChanged(TMessage& message)
{
    if (!FSkinData->CustomColor())
        return;
    if (!Form->ControlState().Contains(csCreating))
        FSkinData->BackgroundChanged = true;
    CallOld(message);
}

void TsSkinProvider::CMMouseEnter(TMessage& message)
{
    CallOld(message);
    const auto* entered = reinterpret_cast<const TControl*>(message.LParam);
    // A speed button still drawn hot while the mouse is elsewhere on the form is told it left.
    for (int i = 0; Form && i < Form->ComponentCount(); ++i) {
        auto* button = dynamic_cast<TsSpeedButton*>(Form->Components(i));
        if (button && button != entered && button->SkinData() && button->SkinData()->MouseIsAbove)
            button->Perform(CM_MOUSELEAVE, 0, 0);
    }
}

void TsSkinProvider::CMMouseLeave(TMessage& message)
{
    // A title button stays hot only while the mouse is over the form. A pressed one stays
    // pressed while its mouse button is down over it: the mouse goes from the client area onto a
    // button of the border window, which is not the form's, and the client's leave may come
    // between the press there and the release.
    if (!PressLasts(*this))
        SetHotHitCode(0);
    CallOld(message);
}

void TsSkinProvider::CMMenuChanged(TMessage& message)
{
    if (!Form->ControlState().Contains(csCreating) && Form->Visible())
        FormChanged = true;
    CallOld(message);
    // Items added at run time are drawn by the skin like the others, and the bar may now wrap
    // into another number of rows.
    TMainMenu* menu = Form->Menu();
    TsSkinManager* manager = ProviderSkinManager();
    if (!menu || !manager || !manager->SkinnableMenus() || BeingDestroyed() ||
        menu->ComponentState().Contains(csDestroying) ||
        !(FSkinData->IsSkinActive() && manager->SkinnedPopups() && FDrawNonClientArea))
        return;
    manager->SkinnableMenus()->SetUpMainMenu(menu, true);
    MenuLineCountCache = -1;
    FSkinData->BackgroundChanged = true;
}

namespace {

// The items of a control leaving the form, and of the controls it holds: a speed button moved to
// another form would go on being painted (and hooked) by this form's adapter.
void DropItemsOfLeaving(TacCtrlAdapter& adapter, TControl* leaving)
{
    // The items left are of live controls and windows, which may be asked where they are.
    adapter.RemoveDeadItems();
    auto* holder = dynamic_cast<TWinControl*>(leaving);
    const auto goes = [&](TControl* c) { return c == leaving || (holder && holder->ContainsControl(c)); };
    for (size_t i = adapter.Items.size(); i > 0; --i)
        if (goes(adapter.Items[i - 1]->Control))
            adapter.RemoveItem(static_cast<int>(i - 1));
    for (size_t i = adapter.GraphItems.size(); i > 0; --i)
        if (TacGraphItem* item = adapter.GraphItems[i - 1]; goes(item->Control)) {
            adapter.GraphItems.erase(adapter.GraphItems.begin() + static_cast<ptrdiff_t>(i - 1));
            delete item;
        }
}

} // namespace

void TsSkinProvider::CMControlListChange(TMessage& message)
{
    CallOld(message);
    auto* control = reinterpret_cast<TControl*>(message.WParam);
    // A control being freed needs nothing: its items die with it and the next walk drops them.
    if (Adapter && control && !message.LParam && !control->ComponentState().Contains(csDestroying))
        DropItemsOfLeaving(*Adapter, control);
    auto* windowed = dynamic_cast<TWinControl*>(control);
    if (!windowed) {
        // A listed speed button is skinned as it comes, as a windowed control is when its window
        // is made; a walk over the whole form may not come for a long time.
        TsSkinManager* manager = Adapter ? Adapter->SkinManager() : nullptr;
        if (message.LParam && manager && manager->SkinningRules().Contains(srThirdParty) &&
            dynamic_cast<TSpeedButton*>(control) && ThirdListIndexOf(manager, control->ClassName()) >= 0)
            Adapter->AddGraphItem(control);
        return;
    }
    if (Adapter && message.LParam)
        Adapter->AddItem(windowed);
    // A control put on the form with controls in it made their windows after it: the form heard
    // of its window only, theirs went to it.
    if (Adapter && message.LParam)
        AdaptAll(Adapter, windowed);
    static TMessage recompute;
    recompute = TMessage{SM_SKINCMD, MAKEWPARAM(0, SKC_GET_STATE), 1, 0};
    BroadcastCommand(windowed, recompute);
    windowed->Perform(SM_SKINCMD, recompute.WParam, recompute.LParam);
}

void TsSkinProvider::CMFrameChanged(TMessage& message)
{
    CallOld(message);
    if (ScrollAdapter) {
        ScrollAdapter->Free();
        ScrollAdapter = nullptr;
    }
    if (const HWND wnd = FormWnd())
        SendCommandWnd(wnd, SKC_REFRESH, reinterpret_cast<LPARAM>(FSkinData->SkinManager()));
}

void TsSkinProvider::CMMouseWheel(TMessage& message)
{
    CallOld(message);
    ForwardMouseWheel(message);
}

void TsSkinProvider::ForwardMouseWheel(TMessage& message)
{
    if (message.Result != 0)
        return;
    HandleMouseWheel(message);
    message.Result &= 0x7F;
}

// ---- window messages

void TsSkinProvider::WindowMessage(TMessage& message)
{
    switch (message.Msg) {
    case WM_MOUSELEAVE: CMMouseLeave(message); break;
    case WM_GETMINMAXINFO: HandleGetMinMaxInfo(message); break;
    case WM_INITMENUPOPUP: HandleInitMenuPopup(message); break;
    // ---- FormHitTest.cpp
    case WM_WINDOWPOSCHANGING: WMWindowPosChanging(message); break;
    case WM_NCHITTEST: WMNCHitTest(message); break;
    case WM_NCLBUTTONDOWN: WMNCLButtonDown(message); break;
    case WM_NCLBUTTONUP: WMNCLButtonUp(message); break;
    case WM_LBUTTONUP: WMNCLButtonUp(message); break;
    case WM_NCLBUTTONDBLCLK: WMNCLButtonDblClk(message); break;
    case WM_NCRBUTTONDOWN: WMNCRButtonDown(message); break;
    case WM_NCRBUTTONUP: WMNCRButtonUp(message); break;
    case WM_MOUSEMOVE: WMMouseMove(message); break;
    case WM_CAPTURECHANGED: WMCaptureChanged(message); break;
    case WM_CANCELMODE: WMCaptureChanged(message); break;
    // ---- FormWindowState.cpp
    case WM_CREATE: WMCreate(message); break;
    case WM_MOVE: WMMove(message); break;
    case WM_SIZE: WMSize(message); break;
    case WM_ACTIVATE: WMActivate(message); break;
    case WM_SETREDRAW: WMSetRedraw(message); break;
    case WM_SETTEXT: WMSetText(message); break;
    case WM_PAINT: WMPaint(message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(message); break;
    case WM_SYSCOLORCHANGE: WMSysColorChange(message); break;
    case WM_SHOWWINDOW: WMShowWindow(message); break;
    case WM_SETTINGCHANGE: WMSettingChange(message); break;
    case WM_CHILDACTIVATE: WMChildActivate(message); break;
    case WM_MEASUREITEM: WMMeasureItem(message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(message); break;
    case WM_NOTIFY: WMNotify(message); break;
    case WM_CONTEXTMENU: WMContextMenu(message); break;
    case WM_SETICON: WMSetIcon(message); break;
    case WM_NCCREATE: WMNCCreate(message); break;
    case WM_NCPAINT: WMNCPaint(message); break;
    case WM_NCACTIVATE: WMNCActivate(message); break;
    case 0x93: Swallow(message); break;
    case WM_SYSCOMMAND: WMSysCommand(message); break;
    case WM_ENTERIDLE: Swallow(message); break;
    case WM_PARENTNOTIFY: WMParentNotify(message); break;
    case WM_ENTERMENULOOP: WMEnterMenuLoop(message); break;
    case WM_EXITMENULOOP:
        // No popup of this form is left open: the menu windows that may still come are not ours.
        SkinnedPopupShowing = false;
        WMExitMenuLoop(message);
        break;
    case WM_SIZING: WMSizing(message); break;
    case WM_MDIDESTROY: WMMDIActivate(message); break;
    case WM_MDIACTIVATE: WMMDIActivate(message); break;
    case WM_EXITSIZEMOVE: WMExitSizeMove(message); break;
    case 0x313: WMSysMenuRequest(message); break;
    case WM_PRINT: WMPrint(message); break;
    case WM_PRINTCLIENT: Swallow(message); break;
    default: CallOld(message); break;
    }
}
