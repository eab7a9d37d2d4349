// The form provider's handling of a skinned form's window state: creation, activation, showing
// with the show animation, size and position changes, painting, erasing and printing, system
// commands, menus and the MDI cases. The platform never paints the frame of a skinned form: its
// caption repaints are hidden behind a cover form or a style change, and WM_NCPAINT is answered
// here.
#include "skin/forms/sSkinProvider.h"

#include "skin/core/ComponentWatch.h"
#include "skin/core/FormAnimation.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "skin/forms/FormFrameGeometry.h"
#include "skin/forms/FrameDragState.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/acBorderForm.h"
#include "skin/forms/acCtrlAdapter.h"
#include "skin/forms/acDials.h"
#include "skin/forms/sMDIForm.h"
#include "skin/forms/sSkinMenus.h"
#include "skin/adapters/ScrollWindowAdapters.h"
#include "skin/adapters/SkinnedScrollBars.h"
#include "skin/adapters/acSBUtils.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/sStoredSkins.h"
#include "vcl/Bitmap.h"
#include "vcl/Forms.h"
#include "vcl/GdiHandles.h"
#include "vcl/PlatformSeams.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr UINT RedrawFrameAll = RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME;                    // 0x481
constexpr UINT RedrawFrame = RDW_INVALIDATE | RDW_FRAME;                                         // 0x401
constexpr UINT RedrawShown = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME; // 0x585
constexpr UINT RedrawShownCache = RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME | RDW_ERASENOW; // 0x5A1
constexpr UINT RedrawAllNow = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME; // 0x507
// Sent by the system to ask for the window menu at the cursor in LParam.
constexpr UINT WM_SYSMENUREQUEST = 0x313;
constexpr UINT RedrawNow = RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME;                // 0x505
constexpr UINT RedrawInternal = RDW_INTERNALPAINT | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME;        // 0x506
constexpr UINT RedrawMDIClient = RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME;      // 0x407

// The active MDI child of the application's MDI main form, when it is maximised.
TCustomForm* MaximizedActiveChild()
{
    return MaximizedMDIChild(Application ? Application->MainForm() : nullptr);
}

LONG_PTR StyleOf(HWND wnd) noexcept
{
    return GetWindowLongPtrW(wnd, GWL_STYLE);
}

// Takes style bits off a window for the life of the object (the platform then leaves the frame
// alone) and puts back those it took.
class StyleOff {
public:
    StyleOff(HWND wnd, LONG_PTR bits) noexcept : FWnd(wnd), FBits(StyleOf(wnd) & bits)
    {
        if (FBits)
            SetWindowLongPtrW(FWnd, GWL_STYLE, StyleOf(FWnd) & ~FBits);
    }
    StyleOff(const StyleOff&) = delete;
    StyleOff& operator=(const StyleOff&) = delete;
    ~StyleOff()
    {
        if (FBits && IsWindow(FWnd))
            SetWindowLongPtrW(FWnd, GWL_STYLE, StyleOf(FWnd) | FBits);
    }

private:
    HWND FWnd;
    LONG_PTR FBits;
};

bool FormShowing(const TsSkinProvider& p)
{
    return p.Form && p.Form->Showing();
}

void FreeTitleCache(TsSkinProvider& p) noexcept
{
    delete p.TitleCache;
    p.TitleCache = nullptr;
}

void UpdateBorderWindow(TsSkinProvider& p)
{
    if (p.BorderForm)
        SendMessageW(p.FormWnd(), SM_SKINCMD, MAKEWPARAM(1, SKC_UPDATE_BORDERS), 0);
}

void UpdateSystemMenu(TsSkinProvider& p)
{
    if (p.SystemMenu)
        p.SystemMenu->UpdateItems();
}

// The main form's MDI client window; nullptr without an MDI main form.
HWND MainClientHandle() noexcept
{
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    return IsMDIMainForm(main) ? main->ClientHandle() : nullptr;
}

// Makes a window layered at opacity 0 for the show animation; true when it was not layered.
bool SetLayeredForAnimation(HWND wnd, bool on)
{
    const LONG_PTR ex = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    auto setAttributes = ks::Sys().SetLayeredWindowAttributesPtr;
    if (on) {
        if ((ex & WS_EX_LAYERED) || !setAttributes)
            return false;
        SetWindowLongPtrW(wnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        setAttributes(wnd, 0, 0, LWA_ALPHA);
        return true;
    }
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    return false;
}

} // namespace


// ---- creation --------------------------------------------------------------------------------

void TsSkinProvider::WMCreate(TMessage& m)
{
    FreeTitleCache(*this);
    // A child of an unskinned MDI main form is still skinned as a form of its own.
    if (IsMDIChildForm(Form) && !MDISkinProvider)
        AttachFormProvider(FormWnd());
    MDIMaximizedChild = IsMDIChildForm(Form) && MaximizedActiveChild();
    CallOld(m);
    if (!IsMDIChildForm(Form))
        SetUpForm();
}

void TsSkinProvider::WMNCCreate(TMessage& m)
{
    CallOld(m);
    if (!IsMDIChildForm(Form))
        SetUpForm();
}

void TsSkinProvider::WMMove(TMessage& m)
{
    StopTitleAnimations();
    CallOld(m);
}

void TsSkinProvider::WMSetRedraw(TMessage& m)
{
    if (m.WParam == 1)
        RedrawLockCount = std::max(0, RedrawLockCount - 1);
    else
        ++RedrawLockCount;
    CallOld(m);
}

void TsSkinProvider::WMSysColorChange(TMessage& m)
{
    CallOld(m);
    InitMenu();
}

void TsSkinProvider::WMSettingChange(TMessage& m)
{
    FSkinData->BackgroundChanged = true;
    FreeTitleCache(*this);
    SystemSettingsChanged();
    CallOld(m);
}

void TsSkinProvider::WMSetIcon(TMessage& m)
{
    CallOld(m);
    RefreshFormNC();
}

// ---- size and position -----------------------------------------------------------------------

namespace {

// The corner images of the form's section sit at the client's right edge: a shrinking client
// leaves stale copies of them unless they are painted again, and a gradient is redrawn whole.
void InvalidateCornerImages(TsSkinProvider& p, const RECT& client)
{
    TsCommonData* data = p.SkinData();
    TsSkinManager* manager = p.ProviderSkinManager();
    HWND wnd = p.FormWnd();
    if (!manager || data->SkinIndex < 0)
        return;
    for (const char* key : {"IMGTOPRIGHT", "IMGBTMRIGHT"}) {
        const int mask = manager->FindMask(data->SkinIndex, data->SkinSection(), key);
        if (!manager->MaskIndexValid(mask))
            continue;
        const TSize cell = manager->MaskCellSize(mask);
        const bool top = key[3] == 'T';
        RECT r{client.right - cell.cx, top ? 0 : client.bottom - cell.cy, client.right, top ? cell.cy : client.bottom};
        InvalidateRect(wnd, &r, FALSE);
    }
    if (const TsGeneralData* section = data->Section(); section && section->GradientPercent > 0)
        InvalidateRect(wnd, nullptr, TRUE);
}

} // namespace

void TsSkinProvider::WMSize(TMessage& m)
{
    HWND wnd = FormWnd();
    RECT client{};
    GetClientRect(wnd, &client);
    const TRect last = LastClientRect;
    const bool grew = client.right > last.Width() || client.bottom > last.Height();
    const bool shrank = client.right < last.Width() || client.bottom < last.Height();
    TsSkinManager* manager = ProviderSkinManager();
    const BOOL erase = FSkinData->ParentCacheUsed() ? FALSE : TRUE;
    if (manager && IsSizeBox()) {
        const int grip = manager->FindMask(manager->FindSection("GLOBALINFO"), "GLOBALINFO", "GRIPIMAGE");
        if (manager->MaskIndexValid(grip)) {
            const TSize cell = manager->MaskCellSize(grip);
            if (grew) {
                RECT r{last.Right - cell.cx, last.Bottom - cell.cy, last.Right, last.Bottom};
                InvalidateRect(wnd, &r, erase);
            }
            if (shrank) {
                RECT r{client.right - cell.cx, client.bottom - cell.cy, client.right, client.bottom};
                InvalidateRect(wnd, &r, erase);
            }
        }
    }
    if (shrank || last.Width() <= 0 || last.Height() <= 0)
        InvalidateCornerImages(*this, client);
    LastClientRect = TRect{0, 0, client.right, client.bottom};
    CallOld(m);
    if (PaintLock)
        return;
    // The border window goes while the form is on its icon and comes back with the form.
    if (manager && FormShowing(*this) && (m.WParam == SIZE_MINIMIZED) == (BorderForm != nullptr))
        SetBorderFormActive(manager->ExtendedBorders());
    if (!FormShowing(*this)) {
        FSkinData->BackgroundChanged = true;
    } else if (!CacheSizeChanged() || (IsIconic(wnd) && IsDwmCompositionEnabled())) {
        if (IsMDIMainForm(Form) && FSkinData->ParentCacheUsed())
            SendMessageW(wnd, WM_NCPAINT, 0, 0);
        if (m.WParam == SIZE_MAXIMIZED && IsMDIChildForm(Form) && IsZoomed(wnd) && MDISkinProvider) {
            MDISkinProvider->SkinData()->BackgroundChanged = true;
            MDISkinProvider->FormChanged = true;
            RedrawWindow(wnd, nullptr, nullptr, RedrawFrameAll);
        }
    } else {
        NeedRegionUpdate = true;
        FSkinData->BackgroundChanged = true;
        MenuLineCountCache = -1;
        if (FDrawNonClientArea)
            SendMessageW(wnd, WM_NCPAINT, 0, 0);
        TBitmap* cache = FSkinData->CacheBitmap.get();
        const bool cacheLarger = cache && (cache->Width() > WndWidth(wnd) || cache->Height() > WndHeight(wnd));
        if ((!cache || (FSkinData->ParentCacheUsed() && cacheLarger)) && !IsDwmCompositionEnabled())
            InvalidateRect(wnd, nullptr, TRUE);
    }
    UpdateBorderWindow(*this);
}

void TsSkinProvider::WMWindowPosChanged(TMessage& m)
{
    CallOld(m);
    HWND wnd = FormWnd();
    // The caption heights are measured without the raise, which this decides.
    RaiseCaptionHeight = false;
    RaiseCaptionHeight = IsZoomed(wnd) && BorderForm && CaptionHeight(true) < CaptionHeight(false) + 4;
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
    if (pos && !(pos->flags & (SWP_NOREDRAW | SWP_FRAMECHANGED)))
        UpdateBorderWindow(*this);
}

void TsSkinProvider::WMSizing(TMessage& m)
{
    CallOld(m);
    UpdateBorderWindow(*this);
}

void TsSkinProvider::WMExitSizeMove(TMessage& m)
{
    CallOld(m);
    if (!BorderForm)
        return;
    // Every window the creation hook took over: the forms through their records' owners, the
    // dialogs through their windows. Receivers may free records, so the windows are taken first.
    std::vector<HWND> windows;
    if (HookedWindows)
        for (TacProvider* record : *HookedWindows) {
            if (!record)
                continue;
            if (auto* form = dynamic_cast<TCustomForm*>(record->Owner()); form && form->HandleAllocated())
                windows.push_back(form->HandleIfAllocated());
            else if (record->CtrlHandle)
                windows.push_back(record->CtrlHandle);
        }
    for (HWND w : windows)
        if (IsWindow(w))
            SendCommandWnd(w, SKC_REPAINT_NOW, 0);
    if (Form->FormState().Contains(fsModal))
        UpdateBorderWindow(*this);
}


// ---- activation ------------------------------------------------------------------------------

void TsSkinProvider::WMActivate(TMessage& m)
{
    if (!FormShowing(*this)) {
        CallOld(m);
        return;
    }
    CallOld(m);
    if (!ScrollAdapter && FDrawNonClientArea)
        UpdateFormScrolls();
    if (Form->ControlState().Contains(csCreating))
        return;
    MenuLineCountCache = -1;
    if (IsMDIMainForm(Form)) {
        for (int i = 0; i < Form->MDIChildCount(); ++i) {
            HWND child = Form->MDIChildren(i)->HandleIfAllocated();
            if (child != FormWnd() && IsWindowVisible(child))
                SendMessageW(child, WM_NCPAINT, 0, 0);
        }
        if (MDISkinProvider)
            MDISkinProvider->SkinData()->BackgroundChanged = true;
    }
    PrepareMenus(FSkinData->IsSkinActive());
    UpdateSystemMenu(*this);
    if (Form->BorderStyle() == bsNone)
        SendChildrenCommand6(Form);
}

namespace {

// Providers whose WM_NCACTIVATE is being handled. An activation that comes back in while the
// cover form or the redraw lock is up (the cover's own showing, a handler activating another
// window) goes straight to the platform instead of covering and painting again.
std::vector<const TsSkinProvider*> gActivating;

} // namespace

void TsSkinProvider::WMNCActivate(TMessage& m)
{
    if (BeingDestroyed() || std::find(gActivating.begin(), gActivating.end(), this) != gActivating.end()) {
        CallOld(m);
        return;
    }
    gActivating.push_back(this);
    ks::ScopeExit done{[this] { gActivating.erase(std::find(gActivating.begin(), gActivating.end(), this)); }};
    // Each repaint below may run the form's OnPaint, which may free the form and this provider.
    ks::ComponentWatch watch;
    watch.Watch(this);
    HWND wnd = FormWnd();
    FormActive = m.WParam != 0;
    if (!FormActive && ShowState == 3) {
        ShowState = 0;
    } else if (ShowState != 3) {
        FSkinData->BackgroundChanged = true;
        FSkinData->SetUpdating(false);
    } else {
        FSkinData->SetUpdating(true);
    }
    if (!FormShowing(*this)) {
        CallOld(m);
        return;
    }
    {
        // The platform repaints its own caption while it activates: that paint is kept off the
        // screen, by the style under composition and by a cover window otherwise.
        const bool composition = IsDwmCompositionEnabled();
        bool covered = false;
        bool redrawOff = false;
        if (!composition) {
            if (!AnimateShow && (!BorderForm || Form->Menu())) {
                CreateCoverForm(false);
                covered = true;
            } else if (AnimateShow) {
                SendMessageW(wnd, WM_SETREDRAW, 0, 0);
                redrawOff = true;
            }
            if (BorderForm && ProviderSkinManager() && !ProviderSkinManager()->AnimEffects()->FormShow()->Active())
                ApplyRegion(false);
        }
        {
            StyleOff hidden(wnd, composition ? WS_VISIBLE : 0);
            CallOld(m);
        }
        if (!watch.Alive(this))
            return;
        if (redrawOff && IsWindow(wnd))
            SendMessageW(wnd, WM_SETREDRAW, 1, 0);
        if (covered)
            FreeCoverForm();
    }
    if (IsMDIChildForm(Form) && IsWindowVisible(wnd) && Form->ControlState().Contains(csCreating) && MDISkinProvider &&
        MDISkinProvider->MDIForm) {
        if (!SystemMenu)
            SetUpForm();
        MDISkinProvider->SkinData()->BackgroundChanged = true;
        MDISkinProvider->MenuLineCountCache = -1;
        MDISkinProvider->MDIForm->RefreshFormFrame();
        SendMessageW(wnd, WM_NCPAINT, 0, 0);
        if (HWND client = MainClientHandle())
            SendMessageW(client, WM_NCPAINT, 0, 0);
    }
    if (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED)
        SendMessageW(wnd, WM_NCPAINT, 0, 0);
    if (!watch.Alive(this) || Form->ControlState().Contains(csCreating))
        return;
    if (HaveBorder() && IsMDIMainForm(Form) && MaximizedActiveChild()) {
        TCustomForm* active = Form->ActiveMDIChild();
        if (m.WParam != 0 || (active && active->Active())) {
            FormActive = true;
            MenuLineCountCache = -1;
        }
    }
    SendMessageW(wnd, WM_NCPAINT, 0, 0);
    if (!watch.Alive(this))
        return;
    UpdateBorderWindow(*this);
    if (!watch.Alive(this))
        return;
    PrepareMenus(FSkinData->IsSkinActive());
    if (!MenuInitialized && InitMenu())
        MenuInitialized = true;
    if (FSkinData->IsSkinActive() && !Adapter)
        CreateAdapter();
}

void TsSkinProvider::WMChildActivate(TMessage& m)
{
    CallOld(m);
    InitMenu();
    if (MDISkinProvider && MDISkinProvider->MDIForm && MaximizedActiveChild())
        MDISkinProvider->MDIForm->RefreshFormFrame();
}

void TsSkinProvider::WMMDIActivate(TMessage& m)
{
    CallOld(m);
    HWND wnd = FormWnd();
    if (IsMDIChildForm(Form) && !IsZoomed(wnd) && MDISkinProvider && !MDISkinProvider->BeingDestroyed()) {
        MenuInitialized = false;
        MDISkinProvider->FormChanged = true;
        MDISkinProvider->SkinData()->BackgroundChanged = true;
        MDISkinProvider->MenuLineCountCache = -1;
        if (MDISkinProvider->Form && MDISkinProvider->Form->HandleAllocated())
            SendMessageW(MDISkinProvider->Form->HandleIfAllocated(), WM_NCPAINT, 0, 0);
    }
    SysMenuProvider = this;
}

// ---- text, menus and notifications -----------------------------------------------------------

void TsSkinProvider::WMSetText(TMessage& m)
{
    HWND wnd = FormWnd();
    if (!FormShowing(*this) || Form->ControlState().Contains(csCreating) || !FDrawNonClientArea) {
        CallOld(m);
        return;
    }
    if (IsMDIChildForm(Form) && IsZoomed(wnd)) {
        if (MDISkinProvider)
            MDISkinProvider->SkinData()->BackgroundChanged = true;
        CreateCoverForm(false);
        CallOld(m);
        FreeCoverForm();
    } else if (!IsDwmCompositionEnabled()) {
        FSkinData->BackgroundChanged = true;
        CreateCoverForm(false);
        CallOld(m);
        FreeCoverForm();
        if (Form->AlphaBlend())
            SendMessageW(wnd, WM_NCPAINT, 0, 0);
    } else {
        CallOld(m);
        RefreshFormNC();
    }
    UpdateBorderWindow(*this);
}

// The class library hands the item to the menu that owns it, whose measuring the skinned menus
// have taken over when they prepared it.
void TsSkinProvider::WMMeasureItem(TMessage& m)
{
    CallOld(m);
}

void TsSkinProvider::WMNotify(TMessage& m)
{
    CallOld(m);
    const auto* header = reinterpret_cast<const NMHDR*>(m.LParam);
    if (header && header->code == static_cast<UINT>(TCN_SELCHANGE) && Adapter)
        AdaptAll(Adapter, nullptr);
}

void TsSkinProvider::WMContextMenu(TMessage& m)
{
    TsSkinManager* manager = ProviderSkinManager();
    if (TPopupMenu* popup = Form->PopupMenu(); popup && manager && manager->SkinnableMenus())
        manager->SkinnableMenus()->OwnerDrawMenuItems(popup, true);
    CallOld(m);
}

void TsSkinProvider::WMParentNotify(TMessage& m)
{
    const WORD event = LOWORD(m.WParam);
    if (ComponentState().Contains(csLoading) || Form->ComponentState().Contains(csLoading) ||
        (event != WM_CREATE && event != WM_DESTROY)) {
        CallOld(m);
        return;
    }
    CallOld(m);
    ks::ComponentWatch watch;
    watch.Watch(this);
    // Only the new child (and what it holds) is adapted and told the state: a walk over the whole
    // form and a broadcast to all its children at every creation made a form that grows one
    // control at a time slower with every control. The window may be one a control made for
    // itself, which has no control of its own.
    if (event == WM_CREATE)
        if (TWinControl* child = FindControl(reinterpret_cast<HWND>(m.LParam)); child && Form->ContainsControl(child)) {
            watch.Watch(child);
            AdaptControl(Adapter, child);
            if (!watch.Alive(this) || !watch.Alive(child) || !child->HandleAllocated())
                return;
            // As a broadcast from the form reaches it: a skinned control passes the state on to
            // its children; the children of an unskinned one are told instead.
            const TMessage state{SM_SKINCMD, MAKEWPARAM(0, SKC_GET_STATE), 1, 0};
            if (static_cast<uint8_t>(SendCommandSimple(child, SKC_IS_SKINNED)) != 0) {
                if (watch.Alive(child) && child->HandleAllocated())
                    ks::SendSkinMessage(child->Handle(), state.Msg, state.WParam, state.LParam);
            } else {
                BroadcastCommand(child, state);
            }
            if (!watch.Alive(this))
                return;
        }
    if (FDrawNonClientArea && ScrollAdapter)
        RefreshScrollBars(ScrollAdapter, true);
}

namespace {

// The small borderless form laid over the end of an MDI main form's menu line while its
// menu loop runs, where the maximised child's buttons are: the platform would paint its own
// there. Owned by the provider, so it goes with it whatever ends the loop.
class MenuLineEndForm : public TForm {
public:
    using TForm::TForm;
    TsSkinProvider* Provider = nullptr;
    void Painted(TObject*)
    {
        if (Provider)
            Provider->PaintMenuLineEnd(&Canvas());
    }
};

MenuLineEndForm* MenuLineEndOf(TsSkinProvider& p)
{
    for (int i = 0; i < p.ComponentCount(); ++i)
        if (auto* f = dynamic_cast<MenuLineEndForm*>(p.Components(i)))
            return f;
    return nullptr;
}

} // namespace

void TsSkinProvider::WMEnterMenuLoop(TMessage& m)
{
    if (IsMDIMainForm(Form) && MaximizedActiveChild() && !RegionChanging) {
        RegionChanging = true;
        MenuLineEndForm* cover = MenuLineEndOf(*this);
        if (!cover) {
            cover = CreateNew<MenuLineEndForm>(this);
            cover->Provider = this;
            cover->SetTag(-98);
            cover->SetBorderStyle(bsNone);
            cover->SetOnPaint(TNotifyEvent(cover, &MenuLineEndForm::Painted));
        }
        // Over the place of the frame's image it shows: a border window's image reaches beyond
        // the form's window.
        const TRect end = MenuLineEndRect();
        const TPoint origin = FormOrigin();
        const TPoint inImage = BorderForm ? BorderForm->OwnerOffset() : TPoint{0, 0};
        HWND coverWnd = cover->Handle();
        SetWindowPos(coverWnd, HWND_TOP, origin.X + end.Left - inImage.X, origin.Y + end.Top - inImage.Y, end.Width(),
                     end.Height(), SWP_NOACTIVATE);
        ShowWindow(coverWnd, SW_SHOWNOACTIVATE);
    }
    CallOld(m);
}

void TsSkinProvider::WMExitMenuLoop(TMessage& m)
{
    RegionChanging = false;
    if (MenuLineEndForm* cover = MenuLineEndOf(*this))
        cover->Free();
    CallOld(m);
}

void TsSkinProvider::WMSysMenuRequest(TMessage& m)
{
    ShowSkinnedSysMenu(static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam)));
}

// ---- showing ---------------------------------------------------------------------------------

void TsSkinProvider::WMShowWindow(TMessage& m)
{
    HWND wnd = FormWnd();
    if (!IsMDIChildForm(Form)) {
        if (m.WParam == 1 && IsDwmCompositionEnabled() && !PaintLock &&
            !(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED))
            RedrawWindow(wnd, nullptr, nullptr, RedrawFrameAll);
        if (m.LParam == SW_PARENTCLOSING)
            ShowState = IsIconic(wnd) ? 2 : IsZoomed(wnd) ? 3 : 1;
    }
    CallOld(m);
    if (IsMDIChildForm(Form) && IsZoomed(wnd))
        InvalidateNonClient();
    // Children made after the main form's set-up are skinned when the main form shows.
    if (IsMDIMainForm(Form))
        for (int i = 0; i < Form->MDIChildCount(); ++i)
            if (HWND child = Form->MDIChildren(i)->HandleIfAllocated())
                AttachFormProvider(child);
    if (!Form->Parent() && !IsMDIChildForm(Form)) {
        FSkinData->SkinStateWord &= static_cast<uint16_t>(~1u);
        FSkinData->BackgroundChanged = true;
    }
}

namespace {

// The form's visible children get WM_SETREDRAW 0 while the show animation makes its frames,
// and 1 afterwards, however the animation ends.
class ChildrenRedrawOff {
public:
    explicit ChildrenRedrawOff(TCustomForm* form) : FForm(form)
    {
        for (int i = 0; i < FForm->ControlCount(); ++i)
            if (FForm->Controls(i)->Visible())
                FForm->Controls(i)->Perform(WM_SETREDRAW, 0, 0);
    }
    ChildrenRedrawOff(const ChildrenRedrawOff&) = delete;
    ChildrenRedrawOff& operator=(const ChildrenRedrawOff&) = delete;
    ~ChildrenRedrawOff()
    {
        for (int i = 0; i < FForm->ControlCount(); ++i)
            if (FForm->Controls(i)->Visible())
                FForm->Controls(i)->Perform(WM_SETREDRAW, 1, 0);
    }

private:
    TCustomForm* FForm;
};

// The show animation's flags go back to rest however the animation ends (the window freed
// between two frames, a painting handler raising).
class AnimationFlags {
public:
    explicit AnimationFlags(TsSkinProvider& p) : FProvider(p) { FWatch.Watch(&p); }
    AnimationFlags(const AnimationFlags&) = delete;
    AnimationFlags& operator=(const AnimationFlags&) = delete;
    ~AnimationFlags()
    {
        // The form's OnShow may have freed the provider.
        if (!FWatch.Alive(&FProvider))
            return;
        FProvider.AnimateShow = false;
        FProvider.Animating = false;
        FProvider.InRegionUpdate = false;
    }

private:
    TsSkinProvider& FProvider;
    ks::ComponentWatch FWatch;
};

} // namespace

bool TsSkinProvider::ShowLeftToForm() const
{
    // The form's OnShow (or its first OnActivate) may have freed this provider, whose free waits
    // for this message, switched the skin off or freed the manager, or hidden the form again.
    return Passive || !FSkinData->IsSkinActive() || !Form->Showing();
}

void TsSkinProvider::CMShowingChanged(TMessage& m)
{
    HWND wnd = FormWnd();
    if (!FSkinData->BackgroundChanged || !Form->Showing() || !FDrawNonClientArea || !wnd) {
        CallOld(m);
        return;
    }
    PrepareMenus(FSkinData->IsSkinActive());
    if (Adapter)
        AdaptAll(Adapter, nullptr);
    TsSkinManager* manager = ProviderSkinManager();
    const bool dialogKind = Form->BorderStyle() == bsSingle || Form->BorderStyle() == bsSizeable;
    TacFormAnimation* setting = nullptr;
    if (manager && manager->AnimEffects())
        setting = dialogKind ? static_cast<TacFormAnimation*>(manager->AnimEffects()->DialogShow())
                             : static_cast<TacFormAnimation*>(manager->AnimEffects()->FormShow());
    AnimateShow = !IsMDIChildForm(Form) && !Form->Parent() && setting && setting->Active();
    // The form's OnPaint, run by the show, may free the form, and this provider with it.
    ks::ComponentWatch watch;
    watch.Watch(this);
    if (!AnimateShow) {
        FSkinData->SetUpdating(false);
        SetBorderFormActive(manager && manager->ExtendedBorders());
        CallOld(m);
        if (!watch.Alive(this) || ShowLeftToForm())
            return;
        UpdateFormScrolls();
        if (IsMDIChildForm(Form) && IsZoomed(wnd))
            InvalidateNonClient();
        return;
    }
    AnimationFlags flags(*this);
    FSkinData->SetUpdating(true);
    Animating = true;
    uint8_t target = 255;
    const bool madeLayered = SetLayeredForAnimation(wnd, true);
    const bool ownLayered = !madeLayered && (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    if (madeLayered) {
        ApplyRegion(false);
        InRegionUpdate = false;
    } else if (ownLayered) {
        target = Form->AlphaBlendValue();
        Form->SetAlphaBlendValue(0);
    }
    {
        ChildrenRedrawOff frozen(Form);
        SetBorderFormActive(manager->ExtendedBorders());
        CallOld(m);
        if (!watch.Alive(this))
            return;
        if (!Passive)
            UpdateFormScrolls();
    }
    if (madeLayered && IsWindow(wnd))
        SetLayeredForAnimation(wnd, false);
    if (ShowLeftToForm()) {
        // The form is shown as it is, at its own opacity, without the skin (or not at all).
        FSkinData->SetUpdating(false);
        if (ownLayered)
            Form->SetAlphaBlendValue(target);
        return;
    }
    AnimateShow = false;
    if (!BorderForm) {
        AnimateFormWindow(Form, setting->Time(), target, setting->Mode());
        if (!watch.Alive(this) || Passive || !IsWindow(wnd))
            return;

        ApplyRegion(false);
        RedrawWindow(wnd, nullptr, nullptr, FSkinData->ParentCacheUsed() ? RedrawShownCache : RedrawShown);
    } else {
        AnimateBorderedForm(*BorderForm, setting->Time(), target, setting->Mode());
    }
    if (!watch.Alive(this))
        return;
    // A form layered of its own ends at its own opacity, not at the 0 of the first frame.
    if (ownLayered)
        Form->SetAlphaBlendValue(target);
    if (IsMDIChildForm(Form) && IsZoomed(wnd))
        InvalidateNonClient();
}

// ---- painting --------------------------------------------------------------------------------

void TsSkinProvider::WMNCPaint(TMessage& m)
{
    // The lazy preparation has run in the dispatch, before this handler.
    if (!FDrawNonClientArea || (PaintLock && IsMDIChildForm(Form))) {
        CallOld(m);
        return;
    }
    HWND wnd = FormWnd();
    if (IsWindowVisible(wnd))
        FSkinData->BackgroundChanged = true;
    if (AnimateShow || !FormShowing(*this) || ComponentState().Contains(csLoading) || !SystemMenu)
        return;
    // The system repaints the frame inside a resize, before the form learns its new size: a
    // frame and region made now would have the old height and be made again at WM_SIZE.
    if (ResizeUnannounced()) {
        m.Result = 0;
        return;
    }
    if (!Adapter)
        CreateAdapter();
    if (!FSkinData->CacheBitmap || FSkinData->CacheBitmap->Empty())
        SetBorderFormActive(ProviderSkinManager() && ProviderSkinManager()->ExtendedBorders());
    NCPaint();
    m.Result = 0;
}

void TsSkinProvider::WMPaint(TMessage& m)
{
    HWND wnd = FormWnd();
    if (Form->ControlState().Contains(csPaintCopy))
        return;
    // Every paint below may run the form's OnPaint, which may free the form and this provider.
    ks::ComponentWatch watch;
    watch.Watch(this);
    if (BorderForm && !Animating)
        UpdateBorderWindow(*this);
    if (!watch.Alive(this))
        return;
    if (!FSkinData->ParentCacheUsed()) {
        if (!FormShowing(*this)) {
            CallOld(m);
            return;
        }
        if (!BeingDestroyed() && FSkinData->BackgroundChanged)
            InvalidateRect(wnd, nullptr, TRUE);
        PAINTSTRUCT ps;
        BeginPaint(wnd, &ps);
        EndPaint(wnd, &ps);
        m.Result = 0;
    } else if (!FormShowing(*this) && (BorderForm || Form->AlphaBlend())) {
        CallOld(m);
        return;
    } else {
        HandlePaint(m);
        if (!watch.Alive(this))
            return;
        if (MDIMaximizedChild) {
            MDIMaximizedChild = false;
            if (IsMDIChildForm(Form))
                SendMessageW(wnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        }
        if (IsMDIMainForm(Form)) {
            HDC dc = reinterpret_cast<HDC>(m.WParam);
            const bool own = dc == nullptr;
            if (own)
                dc = GetDC(wnd);
            if (dc) {
                PaintGraphicChildren(dc, Form, {0, 0});
                if (own)
                    ReleaseDC(wnd, dc);
            }
        }
        m.Result = 0;
    }
    if (watch.Alive(this) && !Animating)
        if (TNotifyEvent onPaint = Form->OnPaint())
            onPaint(Form);
}

void TsSkinProvider::WMEraseBkgnd(TMessage& m)
{
    HWND wnd = FormWnd();
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (!FormShowing(*this)) {
        CallOld(m);
        return;
    }
    if (Form->ControlState().Contains(csPaintCopy) || m.WParam == static_cast<WPARAM>(m.LParam)) {
        if (dc) {
            if (FSkinData->BackgroundChanged)
                PaintNonClient();
            TBitmap* cache = FSkinData->CacheBitmap.get();
            if (cache && !cache->Empty()) {
                if (!FSkinData->ParentCacheUsed())
                    FillRectSolid(dc, Form->ClientRect(), FormBackColor());
                else
                    BitBlt(dc, 0, 0, Form->Width(), Form->Height(), cache->Canvas().Handle(), ClientOffsetX(),
                           ClientOffsetY(), SRCCOPY);
            }
        }
        m.Result = 1;
        return;
    }
    if (FSkinData->ParentCacheUsed() && !(IsMDIMainForm(Form) && MaximizedActiveChild())) {
        if (!FSkinData->Updating()) {
            RECT box{};
            const int kind = dc ? GetClipBox(dc, &box) : NULLREGION;
            if (kind == NULLREGION || box.right <= box.left || box.bottom <= box.top) {
                SendChildrenCommand6(Form);
                return;
            }
        }
        m.Result = 1;
        return;
    }
    if (dc) {
        if (IsMDIChildForm(Form) && FSkinData->CacheBitmap) {
            RECT box{};
            RECT client{};
            GetClipBox(dc, &box);
            GetClientRect(wnd, &client);
            if (box.left >= client.left && box.top >= client.top && box.right <= client.right &&
                box.bottom <= client.bottom)
                FSkinData->BackgroundChanged = true;
        }
        if (!IsDwmCompositionEnabled()) {
            PaintFormToDC(dc);
        } else {
            // A DC without a clip region is replaced by the form's own, which is given back here.
            HRGN clip = CreateRectRgn(0, 0, 0, 0);
            const bool clipped = clip && GetClipRgn(dc, clip) == 1;
            if (clip)
                DeleteObject(clip);
            if (clipped) {
                PaintFormToDC(dc);
            } else if (HDC own = GetDC(wnd)) {
                PaintFormToDC(own);
                ReleaseDC(wnd, own);
            }
        }
    }
    if (MDIMaximizedChild) {
        MDIMaximizedChild = false;
        if (IsMDIChildForm(Form))
            SysMenuProvider = this;
    }
    m.Result = 1;
}

void TsSkinProvider::WMPrint(TMessage& m)
{
    HWND wnd = FormWnd();
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    if (!dc || !IsWindowVisible(wnd) || ComponentState().Contains(csLoading) ||
        Form->FormState().Contains(fsCreating) || BeingDestroyed())
        return;
    if (IsMDIChildForm(Form) && (!MDISkinProvider || MaximizedActiveChild() != Form))
        return;
    if (!MenuInitialized && InitMenu())
        MenuInitialized = true;
    FSkinData->SetUpdating(false);
    const int clientX = ClientOffsetX();
    const int clientY = ClientOffsetY() + (BorderForm && Form->Menu() ? 1 : 0);
    const TRect client = Form->ClientRect();
    if (BorderForm || FDrawNonClientArea) {
        if (BorderForm) {
            if (FSkinData->BackgroundChanged)
                PaintNonClient();
            if (TBitmap* cache = FSkinData->CacheBitmap.get())
                BitBlt(dc, 0, 0, cache->Width(), cache->Height(), cache->Canvas().Handle(), 0, 0, SRCCOPY);
        } else if (!HaveBorder() && (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_THICKFRAME)) {
            if (FSkinData->BackgroundChanged)
                PaintNonClient();
            if (TBitmap* cache = FSkinData->CacheBitmap.get()) {
                // The form has no inner border of its own in this library: the strips are the frame alone.
                const int b = 3;
                const int w = cache->Width();
                const int h = cache->Height();
                HDC src = cache->Canvas().Handle();
                BitBlt(dc, 0, 0, w, b, src, 0, 0, SRCCOPY);
                BitBlt(dc, 0, h - b, w, b, src, 0, h - b, SRCCOPY);
                BitBlt(dc, 0, b, b, h - 2 * b, src, 0, b, SRCCOPY);
                BitBlt(dc, w - b, b, b, h - 2 * b, src, w - b, b, SRCCOPY);
            }
        } else {
            RepaintNonClientToDC(dc);
        }
        ks::SavedDC saved(dc);
        OffsetViewportOrgEx(dc, clientX, clientY, nullptr);
        IntersectClipRect(dc, 0, 0, client.Width(), client.Height());
        if (BorderForm) {
            if (!IsMDIMainForm(Form))
                PaintGraphicChildren(dc, Form, {0, 0});
        } else if (FSkinData->SkinStateWord & 1) {
            {
                ks::SavedDC excluded(dc);
                ExcludeChildRects(dc, Form, 0, 0);
                PaintClientBackground(dc, false);
            }
            if (!IsMDIMainForm(Form))
                PaintGraphicChildren(dc, Form, {0, 0});
        } else {
            PaintClientBackground(dc, false);
        }
    }
    if (IsMDIMainForm(Form) && Form->ClientHandle())
        SendMessageW(Form->ClientHandle(), WM_PRINT, m.WParam, m.LParam);
    if (TNotifyEvent onPaint = Form->OnPaint()) {
        ks::SavedDC saved(dc);
        OffsetViewportOrgEx(dc, clientX, clientY, nullptr);
        // The caller deletes its DC after the print, raised or not.
        const TCustomForm::PaintingOn painting(*Form, dc);
        onPaint(Form);
    }
}

// ---- system commands -------------------------------------------------------------------------

void TsSkinProvider::RefreshMDIFrame(bool repaint)
{
    TsSkinProvider* main = MDISkinProvider;
    if (!main || !main->Form)
        return;
    main->SkinData()->BeginUpdate();
    if (main->MDIForm)
        main->MDIForm->RefreshFormFrame();
    main->SkinData()->BackgroundChanged = true;
    main->FormChanged = true;
    main->MenuLineCountCache = -1;
    main->SkinData()->EndUpdate();
    if (HWND client = main->Form->ClientHandle())
        RedrawWindow(client, nullptr, nullptr, repaint ? RedrawAllNow : RedrawMDIClient);
    if (main->Form->HandleAllocated())
        RedrawWindow(main->Form->HandleIfAllocated(), nullptr, nullptr, RedrawFrame);
    if (repaint && main->BorderForm)
        SendMessageW(main->Form->HandleIfAllocated(), SM_SKINCMD, MAKEWPARAM(1, SKC_UPDATE_BORDERS), 0);
}

namespace {

void Old(TsSkinProvider& p, TMessage& m)
{
    if (p.OldWndProc)
        p.OldWndProc(m);
}

void MDIChildSysCommand(TsSkinProvider& p, TMessage& m)
{
    HWND wnd = p.FormWnd();
    const WPARAM command = m.WParam & 0xFFF0;
    const bool zoomed = IsZoomed(wnd);
    const bool mdiSupport = MDISkinProvider && MDISkinProvider->MDIForm;
    if (zoomed && command != SC_MAXIMIZE)
        p.SkinData()->BeginUpdate();
    ks::ComponentWatch watch;
    watch.Watch(&p);
    switch (command) {
    case SC_CLOSE: {
        if (zoomed && mdiSupport)
            p.RefreshMDIFrame(false);
        if (MDISkinProvider)
            MDISkinProvider->RegionChanging = true;
        Old(p, m);
        if (MDISkinProvider)
            MDISkinProvider->RegionChanging = false;
        if (!watch.Alive(&p))
            return;
        p.SetHotHitCode(HTNOWHERE, false);
        if (zoomed && MDISkinProvider && MDISkinProvider->MDIForm)
            p.RefreshMDIFrame(false);
        break;
    }
    case SC_MINIMIZE:
        Old(p, m);
        if (!watch.Alive(&p))
            return;
        if (zoomed)
            p.RefreshMDIFrame(false);
        UpdateSystemMenu(p);
        FreeTitleCache(p);
        p.SkinData()->BackgroundChanged = true;
        p.RefreshMDIFrame(false);
        break;
    case SC_MAXIMIZE: {
        SysMenuProvider = &p;
        {
            StyleOff hidden(wnd, WS_VISIBLE);
            Old(p, m);
        }
        if (!watch.Alive(&p))
            return;
        RedrawWindow(wnd, nullptr, nullptr, RedrawInternal);
        if (mdiSupport)
            p.RefreshMDIFrame(false);
        UpdateSystemMenu(p);
        break;
    }
    case SC_RESTORE: {
        if (MDIMaximizedChild)
            break;
        p.FormBeginUpdate(false);
        Old(p, m);
        if (!watch.Alive(&p))
            return;
        p.SkinData()->BackgroundChanged = true;
        SetWindowLongPtrW(wnd, GWL_STYLE, GetWindowLongPtrW(wnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_SYSMENU));
        p.FormEndUpdate(false);
        RedrawWindow(wnd, nullptr, nullptr, RedrawNow);
        // The restore ran with the child's redraw held, so the system invalidated nothing of
        // what it uncovered: the other children and the client behind them are painted here.
        if (const HWND client = GetParent(wnd))
            RedrawWindow(client, nullptr, nullptr, RedrawShown);
        // Restoring one maximised child restores them all.
        if (TCustomForm* main = MDISkinProvider ? MDISkinProvider->Form : nullptr)
            for (int i = 0; i < main->MDIChildCount(); ++i) {
                HWND other = main->MDIChildren(i)->HandleIfAllocated();
                if (other != wnd && IsZoomed(other)) {
                    ShowWindow(other, SW_RESTORE);
                    RedrawWindow(other, nullptr, nullptr, RedrawInternal);
                }
            }
        p.RefreshMDIFrame(false);
        UpdateSystemMenu(p);
        break;
    }
    default: Old(p, m); break;
    }
    if (watch.Alive(&p) && MDISkinProvider && zoomed && command != SC_MAXIMIZE)
        p.SkinData()->EndUpdate();
}

// The platform's keyboard move or size waits for a key or a mouse move to pick the edge, and
// then follows each mouse move. When its mouse capture starts and the menu's ends, X reports the
// pointer entering whatever window of the program lies under it (the border window of an
// extended border, say) and Wine makes that a mouse move: a pointer left on the right edge picked
// it before the first arrow key, and a pointer left anywhere dragged a keyboard move to it.
// While the loop runs, a move to where the pointer already was is dropped; the first move
// elsewhere (the user's own, or the loop placing the pointer on the edge) ends the dropping.
class StillPointerMoves {
    // The filter code of the move and size loop, which the headers no longer name.
    static constexpr int MsgFilterSize = 4;

public:
    StillPointerMoves() noexcept
    {
        if (Active || !GetCursorPos(&Start))
            return;
        Hook = SetWindowsHookExW(WH_MSGFILTER, Filter, nullptr, GetCurrentThreadId());
        Active = Hook != nullptr;
    }
    ~StillPointerMoves()
    {
        if (!Hook)
            return;
        UnhookWindowsHookEx(Hook);
        Active = false;
    }
    StillPointerMoves(const StillPointerMoves&) = delete;
    StillPointerMoves& operator=(const StillPointerMoves&) = delete;

private:
    static LRESULT CALLBACK Filter(int code, WPARAM w, LPARAM l) noexcept
    {
        const MSG* msg = reinterpret_cast<const MSG*>(l);
        if (code == MsgFilterSize && Active && msg && msg->message == WM_MOUSEMOVE) {
            if (msg->pt.x == Start.x && msg->pt.y == Start.y)
                return 1;
            Active = false;
        }
        return CallNextHookEx(nullptr, code, w, l);
    }

    HHOOK Hook = nullptr;
    // One modal move or size runs at a time on the UI thread.
    static inline bool Active = false;
    static inline POINT Start{};
};

} // namespace

void TsSkinProvider::WMSysCommand(TMessage& m)
{
    HWND wnd = FormWnd();
    const WPARAM command = m.WParam & 0xFFF0;
    // The keyboard's move and size carry no border band; the mouse's do.
    std::optional<StillPointerMoves> stillPointer;
    if ((command == SC_MOVE || command == SC_SIZE) && (m.WParam & 0xF) == 0 && FResizeMode != rmBorder)
        stillPointer.emplace();
    if (LOWORD(m.WParam) == 0xF012)
        Form->Repaint();
    if (FResizeMode == rmBorder && (command == SC_MOVE || command == SC_SIZE)) {
        // The provider runs the drag itself: the platform's modal loop would run beside it.
        if (!SizingActive)
            StartOutlineDrag(*this, command == SC_MOVE, 0);
        return;
    }
    if (IsMDIMainForm(Form)) {
        CallOld(m);
        if ((command == SC_MINIMIZE || command == SC_MAXIMIZE || command == SC_RESTORE) && MDISkinProvider) {
            MDISkinProvider->SkinData()->BackgroundChanged = true;
            MenuLineCountCache = -1;
            SendMessageW(wnd, WM_NCPAINT, 0, 0);
        }
        return;
    }
    if (IsMDIChildForm(Form)) {
        MDIChildSysCommand(*this, m);
        return;
    }
    ks::ComponentWatch watch;
    watch.Watch(this);
    CallOld(m);
    if (!watch.Alive(this) || !IsWindow(wnd))
        return;
    switch (command) {
    case SC_MINIMIZE:
        if (TBitmap* cache = FSkinData->CacheBitmap.get())
            cache->SetSize(0, 0);
        break;
    case SC_KEYMENU:
        if (m.LParam == ' ' && SystemMenu && SystemMenu->VisibleClose() && HaveBorder()) {
            const TRect icon = IconRect();
            const TPoint origin = FormOrigin();
            ShowSkinnedSysMenu(origin.X + icon.Left, origin.Y + icon.Bottom);
        }
        break;
    case SC_MAXIMIZE:
    case SC_RESTORE:
        // The maximise button was hot when clicked: drawn normal again in its new glyph.
        if (SystemMenu && SystemMenu->VisibleMax()) {
            HotHitCode = HTMAXBUTTON;
            SetHotHitCode(HTNOWHERE, true);
        }
        if (command == SC_RESTORE) {
            FSkinData->BackgroundChanged = true;
            if (!HaveBorder())
                SetWindowRgn(wnd, nullptr, TRUE);
            else
                RedrawWindow(wnd, nullptr, nullptr, RedrawFrame);
        }
        break;
    default: break;
    }
}
