#include "skin/forms/acDialogWnd.h"

#include "skin/adapters/acStaticAdapters.h"
#include "skin/core/FormAnimation.h"
#include "skin/core/acGlow.h"
#include "skin/core/sStoredSkins.h"
#include "skin/core/SkinServices.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "skin/forms/TitleAnimation.h"
#include "skin/forms/acDials.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"

bool TitlePressStarted = false;
bool RegionUpdating = false;

namespace {

// Captions of the system menu, as the program's string table holds them (ids 58981 .. 58976).
constexpr const wchar_t* RestoreCaption = L"Восстановить";
constexpr const wchar_t* MoveCaption = L"Переместить";
constexpr const wchar_t* SizeCaption = L"Размер";
constexpr const wchar_t* MinimizeCaption = L"Свернуть";
constexpr const wchar_t* MaximizeCaption = L"Развернуть";
constexpr const wchar_t* CloseCaption = L"Закрыть";
constexpr TShortCut AltF4 = scAlt | VK_F4;

// The border window's code for its own frame, passed on untouched.
constexpr int HTBORDERWINDOW = 19;
constexpr UINT DM_REPOSITION_CHILDREN = 0x52E;
constexpr DWORD DWMWA_TRANSITIONS_FORCEDISABLED_ = 3;

TPoint PointOf(LPARAM lParam) noexcept
{
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// Windows: a window's open and close transitions would show its unskinned frame for a moment.
void ForbidTransitions(HWND wnd, bool forbid) noexcept
{
    if (auto set = ks::Sys().DwmSetWindowAttribute) {
        const BOOL value = forbid ? TRUE : FALSE;
        set(wnd, DWMWA_TRANSITIONS_FORCEDISABLED_, &value, sizeof(value));
    }
}

// A dialog's activation handled with its redraw off: WM_SETREDRAW(FALSE) clears WS_VISIBLE, and a
// ShowWindow(SW_HIDE) of a window without it does nothing. The dialog's own procedure is run with
// the window shown, so that it can hide itself; only the platform's default handling that
// follows it paints with the redraw off.
struct QuietActivation {
    HWND Wnd;
    LONG_PTR DialogProc;
    bool Hidden;
    QuietActivation* Outer;
};
thread_local QuietActivation* gQuietActivations = nullptr;

INT_PTR CALLBACK ShownDialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    QuietActivation* call = gQuietActivations;
    while (call && call->Wnd != wnd)
        call = call->Outer;
    if (!call)
        return FALSE;
    // What the chain sends the dialog before its activation reaches the procedure is the
    // procedure's as it comes.
    if (msg != WM_NCACTIVATE)
        return CallWindowProcW(reinterpret_cast<WNDPROC>(call->DialogProc), wnd, msg, wParam, lParam);
    SetWindowLongPtrW(wnd, DWLP_DLGPROC, call->DialogProc);
    SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
    const LRESULT result = CallWindowProcW(reinterpret_cast<WNDPROC>(call->DialogProc), wnd, msg, wParam, lParam);
    call->Hidden = !IsWindow(wnd) || !IsWindowVisible(wnd);
    if (!call->Hidden)
        SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    return static_cast<INT_PTR>(result);
}

} // namespace

std::wstring GetWndTextW(HWND wnd)
{
    const int length = GetWindowTextLengthW(wnd);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(wnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

// ---- TacSystemMenu ---------------------------------------------------------------------------

const ks::ClassInfo TacSystemMenu::StaticClassInfo{"TacSystemMenu", &TPopupMenu::StaticClassInfo, {}, {}};
const ks::ClassInfo& TacSystemMenu::ClassInfo() const noexcept { return StaticClassInfo; }

TacSystemMenu::TacSystemMenu(TComponent* owner) : TPopupMenu(owner)
{
    ItemRestore = AddItem(RestoreCaption, "miRestore", &TacSystemMenu::RestoreClick);
    ItemMove = AddItem(MoveCaption, "miMove", &TacSystemMenu::MoveClick);
    ItemSize = AddItem(SizeCaption, "miSize", &TacSystemMenu::SizeClick);
    ItemMinimize = AddItem(MinimizeCaption, "miMinimize", &TacSystemMenu::MinimizeClick);
    ItemMaximize = AddItem(MaximizeCaption, "miMaximize", &TacSystemMenu::MaximizeClick);
    ItemClose = AddItem(CloseCaption, "miClose", &TacSystemMenu::CloseClick);
    ItemClose->SetShortCut(AltF4);
    // The separator stands between Maximize and Close.
    auto* line = Create<TMenuItem>(this);
    line->SetCaption(L"-");
    Items()->Insert(Items()->IndexOf(ItemMaximize) + 1, line);
}

TMenuItem* TacSystemMenu::AddItem(const wchar_t* caption, const char* name, void (TacSystemMenu::*click)(TObject*))
{
    auto* item = Create<TMenuItem>(this);
    item->SetCaption(caption);
    item->SetName(name);
    item->SetOnClick(TNotifyEvent(this, click));
    Items()->Add(item);
    return item;
}

bool TacSystemMenu::VisibleClose() const
{
    return Dialog && Dialog->HasSysMenu();
}

void TacSystemMenu::UpdateItems()
{
    if (!Dialog)
        return;
    const TacDialogWnd& d = *Dialog;
    const HWND wnd = d.CtrlHandle;
    const bool zoomed = wnd && IsZoomed(wnd);
    const bool iconic = wnd && IsIconic(wnd);
    const bool sizing = d.BorderKind != 0 && d.BorderKind != 2;
    ItemRestore->SetVisible(sizing && d.HasSysMenu());
    ItemRestore->SetEnabled(d.CanRestore());
    ItemMove->SetVisible(true);
    ItemMove->SetEnabled(!zoomed);
    ItemSize->SetVisible(sizing);
    ItemSize->SetEnabled(d.BorderKind != 1 && !iconic);
    ItemMinimize->SetVisible(d.HasMinBox());
    ItemMinimize->SetEnabled(d.CanMinimize());
    ItemMaximize->SetVisible(d.HasMaxBox());
    ItemMaximize->SetEnabled(d.CanMaximize());
    ItemClose->SetVisible(d.HasSysMenu());
    ItemClose->SetEnabled(true);
}

void TacSystemMenu::SendCommand(WPARAM command)
{
    if (Dialog && Dialog->CtrlHandle && IsWindow(Dialog->CtrlHandle))
        SendMessageW(Dialog->CtrlHandle, WM_SYSCOMMAND, command, 0);
}

void TacSystemMenu::RestoreClick(TObject*)
{
    SendCommand(SC_RESTORE);
    UpdateItems();
}
void TacSystemMenu::MoveClick(TObject*) { SendCommand(SC_MOVE); }
void TacSystemMenu::SizeClick(TObject*) { SendCommand(SC_SIZE); }
void TacSystemMenu::MinimizeClick(TObject*) { SendCommand(SC_MINIMIZE); }
void TacSystemMenu::MaximizeClick(TObject*)
{
    SendCommand(SC_MAXIMIZE);
    UpdateItems();
}
void TacSystemMenu::CloseClick(TObject*) { SendCommand(SC_CLOSE); }

// ---- TacDialogWnd ----------------------------------------------------------------------------

TacDialogWnd::TacDialogWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacScrollWnd(handle, skinData, manager, std::move(section))
{
    if (auto major = ks::Sys().Win32MajorVersion)
        NoClientPaint = major() >= 6;
    SysMenu.reset(::Create<TacSystemMenu>(nullptr));
    SysMenu->Dialog = this;
    SysMenu->UpdateItems();
    SkinData->SetUpdating(true);
    ForbidTransitions(handle, true);
    if (DefaultSkinManager && DefaultSkinManager->SkinnedPopups() && DefaultSkinManager->SkinnableMenus() &&
        ks::Services().OwnerDrawMenuItems)
        ks::Services().OwnerDrawMenuItems(*DefaultSkinManager->SkinnableMenus(), SysMenu.get(), true);
}

TacDialogWnd::~TacDialogWnd()
{
    SetExtBorders(false);
    StopTitleAnimations();
    if (FGlowId >= 0)
        HideGlowEffect(FGlowId);
    // Components go through Free, not delete.
    if (TacSystemMenu* menu = SysMenu.release())
        menu->Free();
}

TBitmap* TacDialogWnd::DialogImage() const noexcept
{
    return SkinData ? SkinData->CacheBitmap.get() : nullptr;
}

void TacDialogWnd::SetExtBorders(bool use)
{
    TsSkinManager* manager = SkinData->SkinManager();
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (use && manager && !manager->ComponentState().Contains(csDesigning)) {
        if (FBorderForm)
            return;
        FBorderForm = std::make_unique<TacBorderForm>(static_cast<TacBorderOwner&>(*this));
        SkinData->BackgroundChanged = true;
        FrameChanged = true;
        if (cache)
            cache->SetPixelFormat(pf32bit);
        if (CtrlHandle && IsWindowVisible(CtrlHandle))
            FBorderForm->UpdateBorderWindow(true, 255);
        return;
    }
    if (!FBorderForm)
        return;
    // The title buttons' fades are drawn over the border window and hold it.
    StopTitleAnimations();
    // The box may go under the border window's own running code (a click it passed on closed
    // the box): the border goes once that code is done.
    TacBorderForm::Dispose(FBorderForm.release());
    if (cache)
        cache->SetPixelFormat(pf24bit);
}

void TacDialogWnd::UpdateBorderWindow()
{
    if (FBorderForm && CtrlHandle && IsWindowVisible(CtrlHandle))
        FBorderForm->UpdateBorderWindow(true, 255);
}

void TacDialogWnd::ReleaseBorderResources() noexcept
{
    // The frame image loses its margins and alpha, and the window its client-only region.
    SkinData->BackgroundChanged = true;
    FrameChanged = true;
}

TRect TacDialogWnd::BorderOwnerIconRect() const
{
    TRect r;
    IconRect(r);
    return r;
}

const TitleButtonRec* TacDialogWnd::BorderOwnerButton(int hitCode) const
{
    return const_cast<TacDialogWnd*>(this)->ButtonOf(hitCode);
}

// The dialog's own predicates, not its system menu's: that menu offers no maximise or minimise
// entries, but the title shows those buttons whenever the dialog's style has them.
TitleButtonFlags TacDialogWnd::BorderOwnerButtonFlags() const
{
    TitleButtonFlags f;
    f.VisibleClose = HasSysMenu();
    f.VisibleMax = HasSysMenu() && HasMaxBox();
    f.VisibleMin = HasSysMenu() && HasMinBox();
    f.EnabledMax = CanMaximize();
    f.EnabledMin = CanMinimize();
    f.EnabledRestore = CanRestore();
    return f;
}

bool TacDialogWnd::CanMaximize() const
{
    return HasMaxBox() && !(CtrlHandle && IsZoomed(CtrlHandle)) && (BorderKind == 1 || BorderKind == 3);
}

bool TacDialogWnd::CanRestore() const
{
    return HasMaxBox() && CtrlHandle && (IsIconic(CtrlHandle) || IsZoomed(CtrlHandle));
}

bool TacDialogWnd::CanMinimize() const
{
    return HasMinBox() && !(CtrlHandle && IsIconic(CtrlHandle));
}

// The platform's frame comes back whole: its system menu, title buttons and own region.
void TacDialogWnd::Detached()
{
    TacScrollWnd::Detached();
    // The frame goes from the screen with the adapter, whether the window stays or goes.
    SetExtBorders(false);
    if (FGlowId >= 0) {
        HideGlowEffect(FGlowId);
        FGlowId = -1;
    }
    if (FWindowGoing || !CtrlHandle || !IsWindow(CtrlHandle))
        return;
    if (FSysMenuRemoved) {
        FSysMenuRemoved = false;
        SetWindowLongPtrW(CtrlHandle, GWL_STYLE, GetWindowLongPtrW(CtrlHandle, GWL_STYLE) | WS_SYSMENU);
    }
    SetWindowRgn(CtrlHandle, nullptr, FALSE);
    SetWindowPos(CtrlHandle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TacDialogWnd::StopTitleAnimations() noexcept
{
    // The application owns them; each clears its record's field as it goes.
    for (TitleButtonRec* button : {&BtnMin, &BtnMax, &BtnClose, &BtnHelp})
        if (button->Animation)
            button->Animation->Free();
}

TitleButtonRec* TacDialogWnd::ButtonOf(int hitCode) noexcept
{
    switch (hitCode) {
    case HTMINBUTTON: return &BtnMin;
    case HTMAXBUTTON: return &BtnMax;
    case HTCLOSE: return &BtnClose;
    case HTHELP: return &BtnHelp;
    default: return nullptr;
    }
}

void TacDialogWnd::SetHotButton(int code, bool repaint)
{
    if (code == HotCode)
        return;
    if (TitleButtonRec* old = ButtonOf(HotCode)) {
        old->State = 0;
        if (repaint)
            RepaintTitleButton(HotCode);
    }
    HotCode = code;
    if (TitleButtonRec* hot = ButtonOf(code)) {
        hot->State = 1;
        if (repaint)
            RepaintTitleButton(code);
        // Windows and Wine send WM_NCMOUSELEAVE only when asked; a lit button must go dark when
        // the mouse leaves the window. A button on the border window is not over the dialog's
        // window at all: the border window clears it when the mouse goes to the shadow.
        if (!FBorderForm) {
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE | TME_NONCLIENT, CtrlHandle, 0};
            TrackMouseEvent(&track);
        }
    }
    TitlePressStarted = false;
}

void TacDialogWnd::AdaptNewChildren()
{
    if (Provider && CtrlHandle && IsWindow(CtrlHandle))
        AdaptChildWindows(Provider, CtrlHandle);
}

void TacDialogWnd::AdapterWndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_DESTROY: WMDestroy(m); return;
    case WM_NCDESTROY: WMDestroy(m); return;
    case WM_SIZE: WMSize(m); return;
    case WM_KILLFOCUS: WMKillFocus(m); return;
    case WM_ENABLE: WMEnableOrSetText(m); return;
    case WM_SETTEXT: WMEnableOrSetText(m); return;
    case WM_SETICON: WMSetIcon(m); return;
    case WM_PAINT: WMPaint(m); return;
    case WM_ERASEBKGND: WMEraseBkgnd(m); return;
    case WM_SHOWWINDOW: WMShowWindow(m); return;
    case WM_DRAWITEM: WMDrawItem(m); return;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(m); return;
    case WM_NCHITTEST: WMNCHitTest(m); return;
    case WM_NCPAINT: if (WMNCPaint(m)) return; break;
    case WM_NCACTIVATE: WMNCActivate(m); return;
    case WM_WINDOWPOSCHANGING: WMWindowPosChanging(m); return;
    case WM_MOVE: BaseThenBorder(m); return;
    case WM_SIZING: BaseThenBorder(m); return;
    case WM_GETDLGCODE: m.Result = 0; return;
    case WM_NCLBUTTONDOWN: WMNCLButtonDown(m); return;
    case WM_NCLBUTTONUP: WMNCButtonUp(m); return;
    case WM_LBUTTONUP: WMNCButtonUp(m); return;
    case WM_NCLBUTTONDBLCLK: WMNCLButtonDblClk(m); return;
    case WM_NCRBUTTONDOWN: WMNCRButtonDown(m); return;
    case WM_NCRBUTTONUP: WMNCRButtonUp(m); return;
    case WM_MOUSEMOVE: WMMouseMove(m); return;
    case WM_MOUSELEAVE: WMMouseLeave(m); return;
    case WM_NCMOUSELEAVE: WMMouseLeave(m); return;
    case WM_CTLCOLORDLG: WMCtlColorDlg(m); return;
    case WM_SYSCOMMAND: WMSysCommand(m); return;
    case DM_SETDEFID: AdaptAndPass(m); return;
    case DM_REPOSITION_CHILDREN: AdaptAndPass(m); return;
    case CM_VISIBLECHANGED: WMVisibleChanged(m); return;
    case SM_SKINCMD: SkinCommand(m); return;
    default: break;
    }
    TacScrollWnd::AdapterWndProc(m);
}

void TacDialogWnd::WMDestroy(TMessage& m)
{
    FWindowGoing = true;
    // The glows go with the window they are drawn over. Left to a later tick, a glow window's
    // destruction would free this finished dialog's record, and this adapter, under that tick.
    StopTitleAnimations();
    if (Hooked()) {
        TacMainWnd* self = this;
        RemoveScrollWndHandler(CtrlHandle, false, false, self);
    }
    CallPrev(m);
}

void TacDialogWnd::WMSize(TMessage& m)
{
    SkinData->BackgroundChanged = true;
    FrameChanged = true;
    CallPrev(m);
    if (!PaintLock)
        UpdateBorderWindow();
    RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void TacDialogWnd::WMKillFocus(TMessage& m)
{
    CallPrev(m);
    // At once: the window that took the focus shows its new state before anything else paints.
    if (HWND active = GetActiveWindow())
        RedrawWindow(active, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TacDialogWnd::WMEnableOrSetText(TMessage& m)
{
    CallPrev(m);
    if (!IsWindowVisible(CtrlHandle))
        return;
    SkinData->BackgroundChanged = true;
    if (FBorderForm)
        UpdateBorderWindow();
    else
        SendMessageW(CtrlHandle, WM_NCPAINT, 0, 0);
}

// A dialog sets its icon in WM_INITDIALOG, after the frame was prepared; the title follows
// every change.
void TacDialogWnd::WMSetIcon(TMessage& m)
{
    CallPrev(m);
    if (Destroyed || !IsWindow(CtrlHandle))
        return;
    TakeIcon();
    SkinData->BackgroundChanged = true;
    if (!IsWindowVisible(CtrlHandle))
        return;
    if (FBorderForm)
        UpdateBorderWindow();
    else
        SendMessageW(CtrlHandle, WM_NCPAINT, 0, 0);
}

void TacDialogWnd::WMPaint(TMessage& m)
{
    if (!NoClientPaint) {
        CallPrev(m);
        if (TsSkinManager* manager = SkinData->SkinManager(); manager && !Destroyed && IsWindow(CtrlHandle)) {
            HDC dc = GetDC(CtrlHandle);
            FrameDialogPlaceholders(CtrlHandle, dc, *manager);
            ReleaseDC(CtrlHandle, dc);
        }
        return;
    }
    PAINTSTRUCT ps{};
    BeginPaint(CtrlHandle, &ps);
    EndPaint(CtrlHandle, &ps);
    m.Result = 0;
}

void TacDialogWnd::WMShowWindow(TMessage& m)
{
    const LONG_PTR exStyle = GetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE);
    // Only a layering added here is taken away again: a dialog layered of its own keeps it.
    const bool layered =
        ks::Sys().CompositionEnabled && ks::Sys().CompositionEnabled() && !(exStyle & WS_EX_LAYERED);
    if (layered)
        SetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    CallPrev(m);
    if (layered && IsWindow(CtrlHandle))
        SetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE, GetWindowLongPtrW(CtrlHandle, GWL_EXSTYLE) & ~WS_EX_LAYERED);
    if (Destroyed || !IsWindow(CtrlHandle))
        return;
    ForbidTransitions(CtrlHandle, true);
    TsSkinManager* manager = SkinData->SkinManager();
    const TacDialogShow* show = manager && manager->AnimEffects() ? manager->AnimEffects()->DialogShow() : nullptr;
    if (m.WParam == 0 || !show || !show->Active() || show->Time() == 0)
        return;
    AdaptNewChildren();
    if (!Destroyed)
        AnimateDialogWindow(*this, show->Time(), 255, show->Mode());
}

void TacDialogWnd::WMDrawItem(TMessage& m)
{
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam);
    if (dis && dis->CtlType == ODT_STATIC)
        SetBkMode(dis->hDC, TRANSPARENT);
    CallPrev(m);
}

void TacDialogWnd::WMWindowPosChanging(TMessage& m)
{
    TacScrollWnd::AdapterWndProc(m);
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
    if (Destroyed)
        return;
    if (pos && (pos->flags & SWP_HIDEWINDOW)) {
        // Nothing drawn over a hidden dialog stays on the screen.
        StopTitleAnimations();
        SetExtBorders(false);
    } else if (FBorderForm) {
        UpdateBorderWindow();
    }
}

void TacDialogWnd::WMWindowPosChanged(TMessage& m)
{
    SkinData->BackgroundChanged = true;
    FrameChanged = true;
    TacScrollWnd::AdapterWndProc(m);
    if (Destroyed)
        return;
    // A dialog shown again gets back the border window its hiding took away.
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.LParam);
    if (pos && (pos->flags & SWP_SHOWWINDOW))
        UseManagersBorders();
    UpdateBorderWindow();
}

void TacDialogWnd::BaseThenBorder(TMessage& m)
{
    TacScrollWnd::AdapterWndProc(m);
    if (!Destroyed)
        UpdateBorderWindow();
}

void TacDialogWnd::WMNCHitTest(TMessage& m)
{
    RECT wr{};
    GetWindowRect(CtrlHandle, &wr);
    const TPoint screen = PointOf(m.LParam);
    const TPoint p{screen.X - wr.left, screen.Y - wr.top};
    const int code = TitleHitTest(p);
    if (code == -2) {
        if (IsZoomed(CtrlHandle) &&
            (p.X < 2 || p.Y < 2 || p.X > wr.right - wr.left - 4 || p.Y > wr.bottom - wr.top - 4)) {
            m.Result = HTTRANSPARENT;
        } else {
            // The skinned scroll bars answer for themselves.
            TacScrollWnd::AdapterWndProc(m);
        }
        SetHotButton(0, true);
        return;
    }
    if (code == HTCAPTION) {
        CallPrev(m);
        SetHotButton(0, true);
        return;
    }
    m.Result = code;
    SetHotButton(code == HTSYSMENU ? 0 : code, true);
}

int TacDialogWnd::TitleHitTest(TPoint p)
{
    // Under a border window the dialog's own window shows no title.
    if (FBorderForm)
        return -2;
    const int buttonHeight = ButtonHeight(BtnClose.ImageIndex);
    const int t = (CaptionHeight(true) - buttonHeight + BorderWidthIfNoExtBorders(true)) / 2;
    if (CaptionHeight(true) == 0 || p.Y < t || p.Y > t + buttonHeight)
        return -2;
    const int border = FormBorderWidth(true);
    // Without a system menu the icon's place is caption, as the platform has it: no menu opens
    // there and a double-click does not close.
    if (p.X >= border && p.X <= border + GetSystemMetrics(SM_CXSMICON))
        return HasSysMenu() ? HTSYSMENU : HTCAPTION;
    const bool iconic = IsIconic(CtrlHandle) != FALSE;
    const bool hasMin = HasMinBox() || iconic;
    const TitleButtonRec* shown[4]{};
    int count = 0;
    if (HasSysMenu()) {
        shown[count++] = &BtnClose;
        if (HasMaxBox())
            shown[count++] = &BtnMax;
        if (hasMin)
            shown[count++] = &BtnMin;
        if (HasHelpButton())
            shown[count++] = &BtnHelp;
    }
    int position = 0;
    for (int i = 0; i < count; ++i)
        if (p.X >= shown[i]->Rect.Left && p.X <= shown[i]->Rect.Right) {
            position = i + 1;
            break;
        }
    if (position < 1)
        return HTCAPTION;
    const TitleButtonRec* button = shown[position - 1];
    if (button == &BtnClose)
        return HTCLOSE;
    if (button == &BtnMax)
        return CanMaximize() || CanRestore() ? HTMAXBUTTON : HTCAPTION;
    if (button == &BtnMin)
        return iconic || CanMinimize() ? HTMINBUTTON : HTCAPTION;
    return HTHELP;
}

void TacDialogWnd::WMNCActivate(TMessage& m)
{
    if (!IsWindowVisible(CtrlHandle)) {
        CallPrev(m);
        return;
    }
    // The platform paints its own caption here; no drawing of it may reach the screen.
    const HWND wnd = CtrlHandle;
    QuietActivation call{wnd, GetWindowLongPtrW(wnd, DWLP_DLGPROC), false, gQuietActivations};
    SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    if (call.DialogProc) {
        gQuietActivations = &call;
        SetWindowLongPtrW(wnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&ShownDialogProc));
    }
    CallPrev(m);
    gQuietActivations = call.Outer;
    if (call.DialogProc && IsWindow(wnd) &&
        GetWindowLongPtrW(wnd, DWLP_DLGPROC) == reinterpret_cast<LONG_PTR>(&ShownDialogProc))
        SetWindowLongPtrW(wnd, DWLP_DLGPROC, call.DialogProc);
    if (!IsWindow(wnd))
        return;
    // A dialog that hid itself stays hidden: redraw on would show it again. One whose skin went
    // meanwhile gets its redraw back all the same.
    if (!call.Hidden)
        SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
    if (Destroyed)
        return;
    FormActive = m.WParam != 0;
    SkinData->BackgroundChanged = true;
    if (call.Hidden)
        return;
    // The children too: their skinned looks follow the dialog's activation.
    RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    UpdateBorderWindow();
}

void TacDialogWnd::ShowSysMenu(int x, int y)
{
    SetHotButton(0, true);
    SysMenu->UpdateItems();
    SysMenu->Popup(x, y);
}

void TacDialogWnd::WMNCLButtonDown(TMessage& m)
{
    if (FBorderForm && static_cast<int>(m.WParam) == HTBORDERWINDOW) {
        CallPrev(m);
        return;
    }
    const bool forwarded = FBorderForm && static_cast<int>(m.WParam) == -1;
    int code = ForwardedHitCode(FBorderForm.get(), m);
    if (!forwarded && code != HTBOTTOMRIGHT) {
        RECT wr{};
        GetWindowRect(CtrlHandle, &wr);
        const TPoint screen = PointOf(m.LParam);
        const int hit = TitleHitTest({screen.X - wr.left, screen.Y - wr.top});
        if (hit != -2)
            code = hit;
    }
    switch (code) {
    case HTSYSMENU: {
        RECT wr{};
        GetWindowRect(CtrlHandle, &wr);
        ShowSysMenu(wr.left + FormBorderWidth(true),
                    wr.top + BorderWidthIfNoExtBorders(true) + GetSystemMetrics(SM_CYSMICON));
        return;
    }
    case HTMINBUTTON:
    case HTMAXBUTTON:
    case HTCLOSE:
    case HTHELP: {
        if (TitleButtonRec* old = ButtonOf(HotCode)) {
            old->State = 0;
            RepaintTitleButton(HotCode);
        }
        HotCode = code;
        const bool pressable =
            code != HTMAXBUTTON || CanMaximize() || (IsZoomed(CtrlHandle) && CanRestore());
        if (pressable)
            ButtonOf(code)->State = 2;
        TitlePressStarted = true;
        RepaintTitleButton(code);
        return;
    }
    default: break;
    }
    if (IsIconic(CtrlHandle)) {
        SendMessageW(CtrlHandle, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
        return;
    }
    SetHotButton(0, true);
    if (IsZoomed(CtrlHandle) && code == HTCAPTION) {
        if (GetActiveWindow() != CtrlHandle)
            SetFocus(CtrlHandle);
        return;
    }
    // A press on a scroll bar is the scroll-bar engine's.
    TacScrollWnd::AdapterWndProc(m);
}

bool TacDialogWnd::ReleaseTitleButton(TMessage& m)
{
    const HWND wnd = CtrlHandle;
    switch (static_cast<int>(m.WParam)) {
    case HTMINBUTTON: {
        const TPoint origin = ImageOrigin();
        const TPoint screen = PointOf(m.LParam);
        POINT at{screen.X, screen.Y};
        // A client-area release carries client coordinates.
        if (m.Msg == WM_LBUTTONUP)
            ClientToScreen(wnd, &at);
        const TPoint p{at.x - origin.X, at.y - origin.Y};
        if (p.X < BtnMin.Rect.Left || p.X >= BtnMin.Rect.Right || p.Y < BtnMin.Rect.Top || p.Y >= BtnMin.Rect.Bottom)
            return false;
        SendMessageW(wnd, WM_SYSCOMMAND, IsIconic(wnd) ? SC_RESTORE : SC_MINIMIZE, 0);
        return true;
    }
    case HTMAXBUTTON:
        if (IsIconic(wnd) && !CanMaximize())
            return true;
        SendMessageW(wnd, WM_SYSCOMMAND, IsZoomed(wnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
        // The adapter may have let go meanwhile (the dialog closed); its object lives on until
        // this message returns.
        if (Application)
            Application->ProcessMessages();
        if (SysMenu)
            SysMenu->UpdateItems();
        return true;
    case HTCLOSE: SendMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0); return true;
    case HTHELP:
        SendMessageW(wnd, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
        SysMenu->UpdateItems();
        if (IsWindow(wnd))
            SendMessageW(wnd, WM_NCPAINT, 0, 0);
        return true;
    default: return false;
    }
}

void TacDialogWnd::WMNCButtonUp(TMessage& m)
{
    if (m.Msg == WM_NCLBUTTONUP)
        ForwardedHitCode(FBorderForm.get(), m);
    const bool forButton = TitlePressStarted && ButtonOf(static_cast<int>(m.WParam)) &&
                           static_cast<int>(m.WParam) == HotCode;
    TitlePressStarted = false;
    // A release that ends a press on a scroll bar is the scroll-bar engine's.
    if (!forButton || !ReleaseTitleButton(m))
        TacScrollWnd::AdapterWndProc(m);
    if (!Destroyed)
        SetHotButton(0, true);
    m.WParam = 0;
}

void TacDialogWnd::WMNCLButtonDblClk(TMessage& m)
{
    switch (static_cast<int>(m.WParam)) {
    case HTCAPTION:
        if (!CanMaximize() && !CanRestore())
            return;
        SendMessageW(CtrlHandle, WM_SYSCOMMAND,
                     IsZoomed(CtrlHandle) || IsIconic(CtrlHandle) ? SC_RESTORE : SC_MAXIMIZE, 0);
        if (SysMenu)
            SysMenu->UpdateItems();
        return;
    case HTSYSMENU: SendMessageW(CtrlHandle, WM_SYSCOMMAND, SC_CLOSE, 0); return;
    default: TacScrollWnd::AdapterWndProc(m); return;
    }
}

void TacDialogWnd::WMNCRButtonDown(TMessage& m)
{
    if (m.WParam == HTCAPTION || m.WParam == HTSYSMENU)
        return;
    TacScrollWnd::AdapterWndProc(m);
}

void TacDialogWnd::WMNCRButtonUp(TMessage& m)
{
    ForwardedHitCode(FBorderForm.get(), m);
    if (m.WParam == HTCAPTION || m.WParam == HTSYSMENU) {
        const TPoint p = PointOf(m.LParam);
        ShowSysMenu(p.X, p.Y);
        return;
    }
    TacScrollWnd::AdapterWndProc(m);
}

void TacDialogWnd::WMMouseMove(TMessage& m)
{
    if (IsWindowEnabled(CtrlHandle) && SkinData->SkinManager())
        SkinData->SkinManager()->SetActiveControl(nullptr);
    // A slider dragged on a scroll bar follows the mouse.
    TacScrollWnd::AdapterWndProc(m);
}

void TacDialogWnd::WMMouseLeave(TMessage& m)
{
    SetHotButton(0, true);
    CallPrev(m);
}

void TacDialogWnd::WMCtlColorDlg(TMessage& m)
{
    TsSkinManager* manager = SkinData->SkinManager();
    const TColor colour = manager ? manager->GlobalSectionColor() : clBtnFace;
    if (!FDialogBrush || colour != FDialogBrushColor) {
        FDialogBrush = ks::GdiBrush(CreateSolidBrush(ColorToRGB(colour)));
        FDialogBrushColor = colour;
    }
    m.Result = reinterpret_cast<LRESULT>(FDialogBrush.get());
}

void TacDialogWnd::WMSysCommand(TMessage& m)
{
    const HWND wnd = CtrlHandle;
    TacScrollWnd::AdapterWndProc(m);
    if (!IsWindow(wnd))
        return;
    switch (m.WParam & 0xFFF0) {
    case SC_MOVE:
        UpdateWindow(wnd);
        UpdateBorderWindow();
        return;
    case SC_KEYMENU:
        // The platform's menu went with WS_SYSMENU: Alt+Space opens the skinned one where a
        // click on the icon opens it.
        if (m.LParam == ' ' && HasSysMenu() && !Destroyed) {
            RECT wr{};
            GetWindowRect(wnd, &wr);
            ShowSysMenu(wr.left + FormBorderWidth(true),
                        wr.top + BorderWidthIfNoExtBorders(true) + GetSystemMetrics(SM_CYSMICON));
        }
        return;
    case SC_MAXIMIZE:
    case SC_RESTORE:
        if (HotCode == HTMAXBUTTON)
            HotCode = 0;
        BtnMax.State = 0;
        return;
    default: return;
    }
}

void TacDialogWnd::AdaptAndPass(TMessage& m)
{
    AdaptNewChildren();
    CallPrev(m);
    if (m.Msg == DM_REPOSITION_CHILDREN && IsWindow(CtrlHandle))
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME);
}

void TacDialogWnd::WMVisibleChanged(TMessage& m)
{
    TacScrollWnd::AdapterWndProc(m);
    if (m.WParam == 0)
        StopTitleAnimations();
    if (m.WParam == 0 && FGlowId >= 0) {
        HideGlowEffect(FGlowId);
        FGlowId = -1;
    }
}

// ---- skin commands -----------------------------------------------------------------------------

void TacDialogWnd::SkinCommand(TMessage& m)
{
    const ks::SkinCommandView view(m);
    switch (view.Command()) {
    case SKC_NEW_SKIN: NewSkinCommand(m); return;
    case SKC_REFRESH: RefreshCommand(m); return;
    case SKC_SET_UPDATING: SetUpdatingCommand(m); return;
    case SKC_IS_UPDATING: m.Result = SkinData->UpdateLock ? 1 : 0; return;
    case SKC_REPAINT_NOW: UpdateBorderWindow(); break;
    case SKC_IS_BG_COMPLEX: {
        const TsGeneralData* s = SkinData->IsSkinActive() ? SkinData->Section() : nullptr;
        m.Result = s && s->GradientPercent + s->ImagePercent > 0 ? 1 : 0;
        return;
    }
    case SKC_GET_BG_COLOR: m.Result = static_cast<LRESULT>(SkinData->QueryBackgroundColor(false, CtrlHandle)); return;
    case SKC_ADAPT_CHILD_WINDOWS: AdaptNewChildren(); break;
    case SKC_GET_BG_INFO: BackgroundInfoCommand(m); return;
    case SKC_GET_CLIENT_OFFSET:
        m.Result = static_cast<LRESULT>(static_cast<DWORD>(MAKELONG(ClientOffsetX(), ClientOffsetY())));
        return;
    default: break;
    }
    TacScrollWnd::AdapterWndProc(m);
}

void TacDialogWnd::NewSkinCommand(TMessage& m)
{
    const ks::SkinCommandView view(m);
    UseManagersBorders();
    if (view.Manager() != SkinData->SkinManager())
        return;
    SkinData->RefreshIndexes();
    SkinData->BackgroundChanged = true;
    FrameChanged = true;
    CaptionIndex = SkinData->SkinManager()->FindSection("CAPTION");
    LoadTitleButtons();
    SendToChildWindows(CtrlHandle, m.Msg, m.WParam, m.LParam);
}

void TacDialogWnd::RefreshCommand(TMessage& m)
{
    const ks::SkinCommandView view(m);
    if (view.Manager() != SkinData->SkinManager())
        return;
    SkinData->RefreshIndexes();
    UseManagersBorders();
    CaptionIndex = SkinData->SkinManager()->FindSection("CAPTION");
    SkinData->BackgroundChanged = true;
    FrameChanged = true;
    SkinData->SetUpdating(false);
    if (IsWindowVisible(CtrlHandle))
        RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    UpdateBorderWindow();
}

void TacDialogWnd::UseManagersBorders()
{
    const TsSkinManager* manager = SkinData->SkinManager();
    SetExtBorders(manager && manager->ExtendedBorders());
}

void TacDialogWnd::SetUpdatingCommand(TMessage& m)
{
    const ks::SkinCommandView view(m);
    SkinData->SetUpdating(view.Argument() != 0);
    if (SkinData->UpdateLock)
        SkinData->BackgroundChanged = true;
    TacScrollWnd::AdapterWndProc(m);
}

void TacDialogWnd::BackgroundInfoCommand(TMessage& m)
{
    const ks::SkinCommandView view(m);
    auto* info = view.Pointer<BackgroundInfo>();
    if (!info)
        return;
    if (info->PaintRequested) {
        info->Offset.X += ClientOffsetX();
        info->Offset.Y += ClientOffsetY();
    } else if (SkinData->BackgroundChanged || !SkinData->CacheBitmap || SkinData->CacheBitmap->Width() == 0) {
        PaintNonClient();
    }
    SkinData->AnswerBackgroundInfo(*info, false, CtrlHandle);
    if (!info->PaintRequested && info->BackgroundKind == BgKindBitmap)
        info->Offset = {ClientOffsetX(), ClientOffsetY()};
    m.Result = 1;
}
