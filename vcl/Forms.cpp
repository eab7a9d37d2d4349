// TCustomForm, TForm and TScreen (Forms.h); the application object is in Application.cpp.

#include "vcl/Forms.h"

#include "vcl/FormStreaming.h"
#include "vcl/PlatformSeams.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <algorithm>

namespace {

constexpr const char* CannotShowModalText = "Cannot make a visible window modal";
constexpr const char* CannotFocusText = "Cannot focus a disabled or invisible window";
constexpr const char* ResourceNotFoundText = "Resource %s not found";
constexpr const char* ListIndexText = "List index out of bounds (%s)";

thread_local ks::FormCreation tNextCreation;

// Reports what a form's event handler throws; the form carries on.
template <class F>
void Reported(TObject* sender, F&& handler) noexcept
{
    try {
        handler();
    } catch (...) {
        Application->HandleException(sender, std::current_exception());
    }
}

// The program's visible, enabled top-level windows that a modal form disables, put back
// afterwards in the order found.
class TaskWindows {
public:
    explicit TaskWindows(HWND modal) noexcept : FModal(modal)
    {
        EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
        for (HWND w : FWindows)
            EnableWindow(w, FALSE);
    }
    TaskWindows(const TaskWindows&) = delete;
    TaskWindows& operator=(const TaskWindows&) = delete;
    ~TaskWindows()
    {
        for (HWND w : FWindows)
            if (IsWindow(w))
                EnableWindow(w, TRUE);
    }

private:
    static BOOL CALLBACK Collect(HWND wnd, LPARAM self) noexcept
    {
        auto* t = reinterpret_cast<TaskWindows*>(self);
        try {
            if (wnd != t->FModal && IsWindowVisible(wnd) && IsWindowEnabled(wnd))
                t->FWindows.push_back(wnd);
            return TRUE;
        } catch (...) {
            // Out of memory: the windows not listed stay enabled, which is harmless.
            return FALSE;
        }
    }

    HWND FModal;
    std::vector<HWND> FWindows;
};

} // namespace

namespace {

constexpr ks::PropertyInfo ScrollingProps[] = {
    ks::Prop<&TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll>("AutoScroll").DefaultIs(false),
};

constexpr ks::PropertyInfo FormProps[] = {
    ks::Prop<&TCustomForm::ActiveControl, &TCustomForm::SetActiveControl>("ActiveControl"),
    ks::Prop<&TCustomForm::AlphaBlend, &TCustomForm::SetAlphaBlend>("AlphaBlend").DefaultIs(false),
    ks::Prop<&TCustomForm::AlphaBlendValue, &TCustomForm::SetAlphaBlendValue>("AlphaBlendValue").DefaultIs(255),
    ks::Prop<&TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons>("BorderIcons")
        .DefaultIs(TBorderIcons{biSystemMenu, biMinimize, biMaximize}),
    ks::Prop<&TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle>("BorderStyle").DefaultIs(bsSizeable),
    ks::Prop<&TCustomForm::StreamClientHeight, &TCustomForm::SetClientHeight>("ClientHeight"),
    ks::Prop<&TCustomForm::StreamClientWidth, &TCustomForm::SetClientWidth>("ClientWidth"),
    ks::Prop<&TCustomForm::FormStyle, &TCustomForm::SetFormStyle>("FormStyle").DefaultIs(fsNormal),
    ks::Prop<&TCustomForm::Icon>("Icon"),
    ks::Prop<&TCustomForm::Menu, &TCustomForm::SetMenu>("Menu"),
    ks::Prop<&TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch>("PixelsPerInch").NotStored(),
    ks::Prop<&TCustomForm::Position, &TCustomForm::SetPosition>("Position").DefaultIs(poDesigned),
    ks::Prop<&TCustomForm::TextHeight, &TCustomForm::SetTextHeight>("TextHeight").NotStored(),
    ks::Prop<&TCustomForm::WindowState, &TCustomForm::SetWindowState>("WindowState").DefaultIs(wsNormal),
    ks::Prop<&TCustomForm::OnActivate, &TCustomForm::SetOnActivate>("OnActivate"),
    ks::Prop<&TCustomForm::OnClose, &TCustomForm::SetOnClose>("OnClose"),
    ks::Prop<&TCustomForm::OnCloseQuery, &TCustomForm::SetOnCloseQuery>("OnCloseQuery"),
    ks::Prop<&TCustomForm::OnCreate, &TCustomForm::SetOnCreate>("OnCreate"),
    ks::Prop<&TCustomForm::OnDeactivate, &TCustomForm::SetOnDeactivate>("OnDeactivate"),
    ks::Prop<&TCustomForm::OnDestroy, &TCustomForm::SetOnDestroy>("OnDestroy"),
    ks::Prop<&TCustomForm::OnHide, &TCustomForm::SetOnHide>("OnHide"),
    ks::Prop<&TCustomForm::OnPaint, &TCustomForm::SetOnPaint>("OnPaint"),
    ks::Prop<&TCustomForm::OnShow, &TCustomForm::SetOnShow>("OnShow"),
};

} // namespace

const ks::ClassInfo TScrollingWinControl::StaticClassInfo{"TScrollingWinControl", &TWinControl::StaticClassInfo,
                                                          ScrollingProps, {}};
const ks::ClassInfo TCustomForm::StaticClassInfo{"TCustomForm", &TScrollingWinControl::StaticClassInfo, FormProps, {}};
const ks::ClassInfo TForm::StaticClassInfo{"TForm", &TCustomForm::StaticClassInfo, {}, {}};
const ks::ClassInfo TCustomFrame::StaticClassInfo{"TCustomFrame", &TScrollingWinControl::StaticClassInfo, {}, {}};
const ks::ClassInfo TFrame::StaticClassInfo{"TFrame", &TCustomFrame::StaticClassInfo, {}, {}};
const ks::ClassInfo TScreen::StaticClassInfo{"TScreen", &TComponent::StaticClassInfo, {}, {}};

const ks::ClassInfo& TScrollingWinControl::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

const ks::ClassInfo& TForm::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

const ks::ClassInfo& TCustomFrame::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

const ks::ClassInfo& TFrame::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

void ks::SetNextFormCreation(FormCreation creation)
{
    tNextCreation = std::move(creation);
}

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo& TCustomForm::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TCustomForm::TCustomForm(TComponent* owner)
    : TScrollingWinControl(owner), FCreation(std::exchange(tNextCreation, {})),
      FIcon(std::make_unique<TIcon>()), FCanvas(std::make_unique<TControlCanvas>(*this))
{
    InitVisible(false);
    FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    SetBounds(0, 0, 320, 240);
    SetParentFont(false);
    SetParentColor(false);
    SetColor(clBtnFace);
    if (Screen)
        Screen->AddForm(this);
}

TCustomForm::~TCustomForm()
{
    if (Screen)
        Screen->RemoveForm(this);
}

void TCustomForm::AfterConstruction()
{
    TScrollingWinControl::AfterConstruction();
    if (FCreation.Assign)
        FCreation.Assign(this);
    const ks::ClassInfo& info = ClassInfo();
    if (!FCreation.SkipResource && &info != &TForm::StaticClassInfo && &info != &TCustomForm::StaticClassInfo)
        ReadFormResource();
    FFormState.Exclude(fsCreating);
    DoCreate();
    if (Visible())
        UpdateControlState();
}

void TCustomForm::ReadFormResource()
{
    const std::string name = UpperCaseAscii(ClassName());
    const std::wstring wideName = UTF8ToWide(name);
    std::span<const uint8_t> bytes = ks::Sys().FindFormResource(wideName.c_str());
    if (bytes.empty())
        throw EResNotFound(Format(ResourceNotFoundText, {name}));
    ReadRootComponent(bytes, *this);
}

void TCustomForm::BeforeDestruction()
{
    if (!ComponentState().Contains(csDestroying))
        Destroying();
    if (Visible())
        SetVisible(false);
    DoDestroy();
    if (Application && Application->FMainForm == this)
        Application->FMainForm = nullptr;
    if (Screen)
        Screen->RemoveForm(this);
    TScrollingWinControl::BeforeDestruction();
}

void TCustomForm::Loaded()
{
    TScrollingWinControl::Loaded();
    if (FClientWidthRead >= 0)
        SetClientWidth(std::exchange(FClientWidthRead, -1));
    if (FClientHeightRead >= 0)
        SetClientHeight(std::exchange(FClientHeightRead, -1));
}

// ---- frame and placement --------------------------------------------------------------------
void TCustomForm::FrameStyles(DWORD& style, DWORD& exStyle) const
{
    style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    exStyle = 0;
    switch (FBorderStyle) {
    case bsNone: style |= WS_POPUP; break;
    case bsSingle: style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable: style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog: style |= WS_POPUP | WS_CAPTION; exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE; break;
    case bsToolWindow: style |= WS_CAPTION; exStyle |= WS_EX_TOOLWINDOW; break;
    case bsSizeToolWin: style |= WS_CAPTION | WS_THICKFRAME; exStyle |= WS_EX_TOOLWINDOW; break;
    }
    if (FFormStyle == fsMDIChild) {
        style = (style & ~static_cast<DWORD>(WS_POPUP)) | WS_CHILD;
        exStyle |= WS_EX_MDICHILD;
    }
    if ((style & WS_CAPTION) == WS_CAPTION && FBorderIcons.Contains(biSystemMenu)) {
        style |= WS_SYSMENU;
        if (FBorderStyle == bsSingle || FBorderStyle == bsSizeable) {
            if (FBorderIcons.Contains(biMinimize))
                style |= WS_MINIMIZEBOX;
            if (FBorderIcons.Contains(biMaximize))
                style |= WS_MAXIMIZEBOX;
        }
        // The help button shows only where no minimise or maximise button is.
        if (FBorderIcons.Contains(biHelp) && !(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)))
            exStyle |= WS_EX_CONTEXTHELP;
    }
    if (FFormStyle == fsStayOnTop)
        exStyle |= WS_EX_TOPMOST;
    if (FAlphaBlend && ks::Sys().LayeredWindowsAvailable())
        exStyle |= WS_EX_LAYERED;
}

bool TCustomForm::IsMainCandidate() const
{
    if (!Application)
        return false;
    return Application->MainForm() == this || (!Application->MainForm() && FCreation.MainCandidate);
}

void TCustomForm::CreateParams(TCreateParams& p)
{
    TScrollingWinControl::CreateParams(p);
    if (Parent())
        return;
    FrameStyles(p.Style, p.ExStyle);
    if (!Enabled())
        p.Style |= WS_DISABLED;
    if (FPosition == poDefault || FPosition == poDefaultPosOnly) {
        p.X = CW_USEDEFAULT;
        p.Y = CW_USEDEFAULT;
    }
    if (FFormStyle == fsMDIChild) {
        p.WndParent = MDIParentWindow();
        return;
    }
    if (IsMainCandidate()) {
        p.WndParent = Application->MainFormOnTaskbar() ? nullptr : Application->Handle();
        if (Application->MainFormOnTaskbar())
            p.ExStyle |= WS_EX_APPWINDOW;
    } else if (Application) {
        // Every other form gets an owned window, so it never has a task-bar button of its own.
        TCustomForm* main = Application->MainForm();
        p.WndParent = Application->MainFormOnTaskbar() && main && main->HandleAllocated() ? main->HandleIfAllocated()
                                                                                          : Application->Handle();
    }
}

void TCustomForm::CreateWnd()
{
    TScrollingWinControl::CreateWnd();
    ApplyAlphaBlend();
    HICON icon = FIcon->Empty() ? (Application ? Application->Icon()->Handle() : nullptr) : FIcon->Handle();
    if (icon)
        SendMessageW(HandleIfAllocated(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    if (FMenu && !Parent() && FFormStyle != fsMDIChild)
        FMenu->SetWindowHandle(HandleIfAllocated());
    if (FFormStyle == fsMDIForm && !Parent())
        CreateMDIClient();
}

void TCustomForm::DestroyWnd()
{
    // DestroyWindow would destroy the attached bar too, which belongs to its menu.
    if (FMenu && FMenu->WindowHandle() == HandleIfAllocated())
        FMenu->SetWindowHandle(nullptr);
    if (FFormStyle == fsMDIChild) {
        MergeIntoMainMenu(false);
        DestroyMDIChildWindow();
    }
    TScrollingWinControl::DestroyWnd();
    FClientHandle = nullptr;
}

void TCustomForm::SetMenu(TMainMenu* menu)
{
    if (menu == FMenu)
        return;
    if (FMenu) {
        FMenu->RemoveFreeNotification(this);
        if (FMenu->WindowHandle() && FMenu->WindowHandle() == HandleIfAllocated())
            FMenu->SetWindowHandle(nullptr);
    }
    if (FFormStyle == fsMDIChild)
        MergeIntoMainMenu(false);
    FMenu = menu;
    if (!FMenu)
        return;
    FMenu->FreeNotification(this);
    if (FFormStyle == fsMDIChild) {
        TCustomForm* main = Application ? Application->MainForm() : nullptr;
        if (main && main != this && main->FormStyle() == fsMDIForm && main->ActiveMDIChild() == this)
            MergeIntoMainMenu(true);
    } else if (HandleAllocated() && !Parent()) {
        FMenu->SetWindowHandle(HandleIfAllocated());
    }
}

void TCustomForm::Notification(TComponent* component, TOperation operation)
{
    TScrollingWinControl::Notification(component, operation);
    if (operation == opRemove && component == FMenu)
        SetMenu(nullptr);
}

void TCustomForm::WMMenuMessage(TMessage& m)
{
    if (FMenu && FMenu->HandleMenuMessage(m))
        return;
    if (!PopupList().MenuMessageOf(HandleIfAllocated(), m))
        TScrollingWinControl::Dispatch(m);
}

TRect TCustomForm::ClientRect() const
{
    if (HandleAllocated())
        return TScrollingWinControl::ClientRect();
    DWORD style = 0;
    DWORD exStyle = 0;
    FrameStyles(style, exStyle);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FMenu != nullptr, exStyle);
    return {0, 0, std::max(0, static_cast<int>(Width() - (frame.right - frame.left))),
            std::max(0, static_cast<int>(Height() - (frame.bottom - frame.top)))};
}

void TCustomForm::SetClientWidth(int value)
{
    // The frame is known only once BorderStyle has been read, which may come later.
    if (ComponentState().Contains(csReading))
        FClientWidthRead = value;
    else
        TScrollingWinControl::SetClientWidth(value);
}

void TCustomForm::SetClientHeight(int value)
{
    if (ComponentState().Contains(csReading))
        FClientHeightRead = value;
    else
        TScrollingWinControl::SetClientHeight(value);
}

void TCustomForm::FrameChanged()
{
    if (!HandleAllocated() || Parent())
        return;
    DWORD style = 0;
    DWORD exStyle = 0;
    FrameStyles(style, exStyle);
    HWND wnd = HandleIfAllocated();
    const LONG_PTR keep = GetWindowLongPtrW(wnd, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE);
    SetWindowLongPtrW(wnd, GWL_STYLE, static_cast<LONG_PTR>(style) | keep);
    const LONG_PTR keepEx = GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_APPWINDOW;
    SetWindowLongPtrW(wnd, GWL_EXSTYLE, static_cast<LONG_PTR>(exStyle & ~static_cast<DWORD>(WS_EX_TOPMOST)) | keepEx);
    SetWindowPos(wnd, FFormStyle == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ApplyAlphaBlend();
    Perform(CM_FRAMECHANGED);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value)
{
    if (value == FBorderStyle)
        return;
    FBorderStyle = value;
    FrameChanged();
}

void TCustomForm::SetBorderIcons(TBorderIcons value)
{
    if (value == FBorderIcons)
        return;
    FBorderIcons = value;
    FrameChanged();
}

void TCustomForm::SetFormStyle(TFormStyle value)
{
    if (value == FFormStyle)
        return;
    FFormStyle = value;
    FrameChanged();
}

void TCustomForm::SetWindowState(TWindowState value)
{
    if (value == FWindowState)
        return;
    FWindowState = value;
    if (FFormStyle == fsMDIChild)
        SetMDIChildState(value);
    else if (HandleAllocated() && Showing())
        ShowWindow(HandleIfAllocated(), value == wsMinimized ? SW_MINIMIZE : value == wsMaximized ? SW_MAXIMIZE : SW_RESTORE);
}

void TCustomForm::SetAlphaBlend(bool value)
{
    if (value == FAlphaBlend)
        return;
    FAlphaBlend = value;
    FrameChanged();
}

void TCustomForm::SetAlphaBlendValue(uint8_t value)
{
    if (value == FAlphaBlendValue)
        return;
    FAlphaBlendValue = value;
    ApplyAlphaBlend();
}

void TCustomForm::ApplyAlphaBlend()
{
    auto setAttributes = ks::Sys().SetLayeredWindowAttributesPtr;
    if (!HandleAllocated() || !FAlphaBlend || !setAttributes)
        return;
    HWND wnd = HandleIfAllocated();
    const LONG_PTR exStyle = GetWindowLongPtrW(wnd, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED))
        SetWindowLongPtrW(wnd, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    setAttributes(wnd, 0, FAlphaBlendValue, LWA_ALPHA);
}

void TCustomForm::ApplyPosition()
{
    int x = Left();
    int y = Top();
    auto centreOn = [&](const RECT& r) {
        x = r.left + ((r.right - r.left) - Width()) / 2;
        y = r.top + ((r.bottom - r.top) - Height()) / 2;
    };
    TCustomForm* anchor = nullptr;
    if (FPosition == poOwnerFormCenter)
        anchor = dynamic_cast<TCustomForm*>(Owner());
    if (FPosition == poMainFormCenter || (FPosition == poOwnerFormCenter && !anchor))
        anchor = Application ? Application->MainForm() : nullptr;
    switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
        centreOn(RECT{0, 0, Screen->Width(), Screen->Height()});
        break;
    case poMainFormCenter:
    case poOwnerFormCenter:
        // The anchor's window place counts even while it is hidden.
        if (anchor && anchor != this && anchor->HandleAllocated()) {
            RECT r;
            GetWindowRect(anchor->HandleIfAllocated(), &r);
            centreOn(r);
            const TRect work = Screen->WorkAreaRect();
            x = std::max(x, static_cast<int>(work.Left));
            y = std::max(y, static_cast<int>(work.Top));
        } else {
            centreOn(RECT{0, 0, Screen->Width(), Screen->Height()});
        }
        break;
    default:
        return;
    }
    SetBounds(x, y, Width(), Height());
}

// ---- look -----------------------------------------------------------------------------------
TCustomForm::PaintingOn::PaintingOn(TCustomForm& form, HDC dc)
    : FForm(form), FOld(form.FCanvas->HandleAllocated() ? form.FCanvas->Handle() : nullptr), FWatch(form)
{
    FForm.FCanvas->Lock();
    FForm.FCanvas->SetHandle(dc);
}

TCustomForm::PaintingOn::~PaintingOn()
{
    if (FWatch.Gone())
        return;
    FForm.FCanvas->SetHandle(FOld);
    FForm.FCanvas->Unlock();
}

void TCustomForm::PaintWindow(HDC dc)
{
    if (!FOnPaint)
        return;
    FCanvas->FreeHandle();
    const PaintingOn painting(*this, dc);
    Reported(this, [&] { FOnPaint(this); });
}

// ---- showing and closing --------------------------------------------------------------------
namespace {

void InitiateActions(TControl& control)
{
    if (!control.Visible())
        return;
    control.InitiateAction();
    if (auto* windowed = dynamic_cast<TWinControl*>(&control))
        for (int i = 0; i < windowed->ControlCount(); ++i)
            InitiateActions(*windowed->Controls(i));
}

} // namespace

void TCustomForm::UpdateActions()
{
    InitiateActions(*this);
}

void TCustomForm::Show()
{
    // The first paint may free the form (its OnPaint).
    const GoneWatch watch(*this);
    SetVisible(true);
    if (!watch.Gone())
        BringToFront();
}

void TCustomForm::CMShowingChanged(TMessage&)
{
    // The form state says that the form is being shown or hidden while this runs; a form whose
    // showing changes again inside it keeps the state until the outer change ends.
    const bool outer = !FFormState.Contains(fsShowing);
    FFormState.Include(fsShowing);
    // OnShow, OnHide and the window's first paint (OnPaint) may free the form.
    const GoneWatch watch(*this);
    struct ShowingEnds {
        TFormState& State;
        bool Outer;
        const GoneWatch& Watch;
        ~ShowingEnds()
        {
            if (Outer && !Watch.Gone())
                State.Exclude(fsShowing);
        }
    } ends{FFormState, outer, watch};
    HWND wnd = HandleIfAllocated();
    if (Showing()) {
        Reported(this, [&] { DoShow(); });
        // OnShow hid the form again (Close, Hide): that change has run in full, window included.
        if (watch.Gone() || !Showing())
            return;
        ApplyPosition();
        int command = SW_SHOWNORMAL;
        if (FWindowState == wsMinimized)
            command = SW_SHOWMINIMIZED;
        else if (FWindowState == wsMaximized)
            command = SW_SHOWMAXIMIZED;
        ShowWindow(wnd, command);
        if (watch.Gone())
            return;
        if (FFormStyle == fsMDIChild)
            ShowMDIChild();
        FFormState.Include(fsVisible);
    } else {
        Reported(this, [&] { DoHide(); });
        // OnHide showed the form again: that change has run in full.
        if (watch.Gone() || Showing())
            return;
        ShowWindow(wnd, SW_HIDE);
        if (!watch.Gone())
            FFormState.Exclude(fsVisible);
    }
}

TModalResult TCustomForm::ShowModal()
{
    if (Visible() || !Enabled() || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
        throw EInvalidOperation(CannotShowModalText);
    if (HWND capture = GetCapture()) {
        SendMessageW(capture, WM_CANCELMODE, 0, 0);
        ReleaseCapture();
    }
    Application->ModalStarted();
    const HWND activeBefore = GetActiveWindow();
    FFormState.Include(fsModal);
    FModalResult = mrNone;
    try {
        TaskWindows disabled(Handle());
        Show();
        do {
            Application->HandleMessage();
            if (Application->Terminated())
                FModalResult = mrCancel;
            else if (FModalResult != mrNone)
                CloseModal();
        } while (FModalResult == mrNone);
        Hide();
    } catch (...) {
        FFormState.Exclude(fsModal);
        if (activeBefore && IsWindow(activeBefore))
            SetActiveWindow(activeBefore);
        Application->ModalFinished();
        throw;
    }
    FFormState.Exclude(fsModal);
    if (activeBefore && IsWindow(activeBefore))
        SetActiveWindow(activeBefore);
    Application->ModalFinished();
    return FModalResult;
}

void TCustomForm::CloseModal()
{
    try {
        TCloseAction action = caNone;
        if (CloseQuery()) {
            action = caHide;
            DoClose(action);
        }
        if (action == caNone)
            FModalResult = mrNone;
        else if (action == caFree)
            Release();
    } catch (...) {
        FModalResult = mrNone;
        Application->HandleException(this, std::current_exception());
    }
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (FOnCloseQuery)
        FOnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close()
{
    if (FFormState.Contains(fsModal)) {
        FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    // An MDI child is not hidden on closing: hidden it would stay its client's active child,
    // maximised and merged on the main form's menu line. A program that means to close one
    // answers caFree.
    TCloseAction action = caHide;
    if (FFormStyle == fsMDIChild)
        action = FBorderIcons.Contains(biMinimize) ? caMinimize : caNone;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    default: Release(); break;
    }
}

void TCustomForm::Release()
{
    PostMessageW(Handle(), CM_RELEASE, 0, 0);
}

void TCustomForm::CMRelease(TMessage&)
{
    // Posted, so no code of this form is running below this message.
    Free();
}

void TCustomForm::WMGetMinMaxInfo(TWMGetMinMaxInfo& m)
{
    // The system's sizes (an MDI child's procedure sets its own) stand wherever the constraints
    // leave a bound free.
    TScrollingWinControl::Dispatch(m.Message());
    MINMAXINFO& info = m.MinMaxInfo();
    const TSizeConstraints& c = *Constraints();
    if (c.MinWidth() > 0)
        info.ptMinTrackSize.x = c.MinWidth();
    if (c.MinHeight() > 0)
        info.ptMinTrackSize.y = c.MinHeight();
    if (c.MaxWidth() > 0)
        info.ptMaxTrackSize.x = c.MaxWidth();
    if (c.MaxHeight() > 0)
        info.ptMaxTrackSize.y = c.MaxHeight();
}

void TCustomForm::WMClose(TMessage&)
{
    Close();
}

void TCustomForm::WMSize(TWMSize& m)
{
    switch (m.SizeType()) {
    case SIZE_MINIMIZED: FWindowState = wsMinimized; break;
    case SIZE_MAXIMIZED: FWindowState = wsMaximized; break;
    case SIZE_RESTORED: FWindowState = wsNormal; break;
    default: break;
    }
    TScrollingWinControl::WMSize(m);
}

// ---- activation and focus -------------------------------------------------------------------
void TCustomForm::WMActivate(TWMActivate& m)
{
    // DefWindowProc would put the focus on the form's own window; the active control takes it.
    SetActive(m.Active() != WA_INACTIVE);
}

void TCustomForm::SetActive(bool value)
{
    FActive = value;
    if (value) {
        FFormState.Include(fsActivated);
        if (Screen) {
            Screen->FActiveForm = this;
        }
        if (!FActiveControl)
            FActiveControl = FindNextControl(nullptr, true, true, false);
        SetWindowFocus();
        Reported(this, [&] { Activate(); });
    } else {
        Reported(this, [&] { Deactivate(); });
    }
}

void TCustomForm::SetWindowFocus()
{
    HWND focus = FActiveControl ? FActiveControl->Handle() : Handle();
    if (focus)
        ::SetFocus(focus);
}

void TCustomForm::SetFocus()
{
    if (FActive)
        return;
    if (!Visible() || !Enabled())
        throw EInvalidOperation(CannotFocusText);
    SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* control)
{
    const bool wasActive = FActive;
    SetActiveControl(control);
    if (!wasActive)
        SetFocus();
}

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (control == FActiveControl)
        return;
    const bool loading = ComponentState().Contains(csLoading);
    if (control && (control == this || GetParentForm(control) != this || (!loading && !control->CanFocus())))
        throw EInvalidOperation(CannotFocusText);
    FActiveControl = control;
    if (!loading && FActive)
        SetWindowFocus();
}

bool TCustomForm::SetFocusedControl(TWinControl* control)
{
    FActiveControl = control != this ? control : nullptr;
    if (Screen) {
        Screen->FActiveControl = control;
        Screen->FActiveForm = this;
    }
    if (control->ControlState().Contains(csFocusing))
        return false;
    control->SetControlState(control->ControlState() | TControlState{csFocusing});
    // OnEnter and OnExit are the application's, and may free the control with its window.
    const HWND wnd = control->HandleAllocated() ? control->Handle() : nullptr;
    const auto alive = [control, wnd] { return !wnd || FindControl(wnd) == control; };
    ks::ScopeExit focused{[control, &alive] {
        if (alive())
            control->SetControlState(control->ControlState() - TControlState{csFocusing});
    }};
    if (Screen && Screen->FFocusedForm != this) {
        if (TCustomForm* previous = Screen->FFocusedForm) {
            Screen->FFocusedForm = nullptr;
            previous->Perform(CM_DEACTIVATE);
        }
        Screen->FFocusedForm = this;
        Perform(CM_ACTIVATE);
    }
    if (!FFocusedControl)
        FFocusedControl = this;
    if (FFocusedControl != control) {
        while (FFocusedControl && !FFocusedControl->ContainsControl(control)) {
            TWinControl* leaving = FFocusedControl;
            FFocusedControl = leaving->Parent();
            leaving->Perform(CM_EXIT);
            if (!alive())
                return true;
        }
        while (FFocusedControl != control) {
            TWinControl* entering = control;
            while (entering->Parent() != FFocusedControl)
                entering = entering->Parent();
            FFocusedControl = entering;
            entering->Perform(CM_ENTER);
            if (!alive())
                return true;
        }
        Perform(CM_FOCUSCHANGED, 0, TCMControl::ToLParam(control));
    }
    return true;
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing)
{
    if (removing && control->ContainsControl(FFocusedControl))
        FFocusedControl = control->Parent();
    if (control->ContainsControl(FActiveControl)) {
        FActiveControl = nullptr;
        if (FActive && !ComponentState().Contains(csDestroying) && HandleAllocated() && control->Focused())
            ::SetFocus(HandleIfAllocated());
    }
    if (Screen && control->ContainsControl(Screen->FActiveControl))
        Screen->FActiveControl = nullptr;
}

void TCustomForm::CMDialogKey(TWMKey& m)
{
    const TShiftState shift = KeyDataToShiftState(m.KeyData());
    const bool navigation = !shift.Contains(ssAlt);
    switch (m.CharCode()) {
    case VK_TAB:
        if (navigation) {
            SelectNext(FActiveControl, !shift.Contains(ssShift), true);
            m.SetResult(1);
            return;
        }
        break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        if (!navigation)
            break;
        if (FActiveControl && FActiveControl->Parent()) {
            FActiveControl->Parent()->SelectNext(FActiveControl, m.CharCode() == VK_RIGHT || m.CharCode() == VK_DOWN, false);
            m.SetResult(1);
        }
        return;
    default:
        break;
    }
    // Enter, Escape and the rest go to the controls, so the default or cancel button can click.
    TScrollingWinControl::CMDialogKey(m);
}

// ---- events ---------------------------------------------------------------------------------
void TCustomForm::DoCreate()
{
    if (FOnCreate)
        Reported(this, [&] { FOnCreate(this); });
}

void TCustomForm::DoDestroy()
{
    if (FOnDestroy)
        Reported(this, [&] { FOnDestroy(this); });
}

void TCustomForm::DoShow()
{
    if (FOnShow)
        FOnShow(this);
}

void TCustomForm::DoHide()
{
    if (FOnHide)
        FOnHide(this);
}

void TCustomForm::DoClose(TCloseAction& action)
{
    if (FOnClose)
        FOnClose(this, action);
}

void TCustomForm::Activate()
{
    if (FOnActivate)
        FOnActivate(this);
}

void TCustomForm::Deactivate()
{
    if (FOnDeactivate)
        FOnDeactivate(this);
}

void TCustomForm::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case WM_ACTIVATE: { TWMActivate v(m); WMActivate(v); break; }
    case WM_CLOSE: WMClose(m); break;
    case WM_SIZE: { TWMSize v(m); WMSize(v); break; }
    case WM_MOVE: TScrollingWinControl::Dispatch(m); MDIChildMoved(); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(m); break;
    case CM_RELEASE: CMRelease(m); break;
    case CM_DIALOGKEY: { TWMKey v(m); CMDialogKey(v); break; }
    case WM_COMMAND: WMMenuMessage(m); break;
    case WM_INITMENUPOPUP: WMMenuMessage(m); break;
    case WM_MEASUREITEM: WMMenuMessage(m); break;
    case WM_DRAWITEM: WMMenuMessage(m); break;
    case WM_MDIACTIVATE: WMMDIActivate(m); break;
    case WM_GETMINMAXINFO: { TWMGetMinMaxInfo v(m); WMGetMinMaxInfo(v); break; }
    default: TScrollingWinControl::Dispatch(m); break;
    }
}

// ---------------------------------------------------------------------------------------------
const ks::ClassInfo& TScreen::ClassInfo() const noexcept
{
    return StaticClassInfo;
}

TScreen::TScreen(TComponent* owner)
    : TComponent(owner), FHintFont(std::make_unique<TFont>()), FMenuFont(std::make_unique<TFont>())
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        FHintFont->SetLogFont(metrics.lfStatusFont);
        FMenuFont->SetLogFont(metrics.lfMenuFont);
    } else {
        LOGFONTW lf{};
        // Windows: the structure grew in Vista; an older system refuses its size. The GUI
        // font stands in.
        if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf)) {
            FHintFont->SetLogFont(lf);
            FMenuFont->SetLogFont(lf);
        }
    }
    FHintFont->SetColor(clInfoText);
    FMenuFont->SetColor(clMenuText);
}

TScreen::~TScreen() = default;

TCustomForm* TScreen::Forms(int index) const
{
    if (index < 0 || index >= FormCount())
        throw EListError(Format(ListIndexText, {std::to_string(index)}));
    return FForms[static_cast<size_t>(index)];
}

void TScreen::AddForm(TCustomForm* form)
{
    if (std::find(FForms.begin(), FForms.end(), form) == FForms.end())
        FForms.push_back(form);
}

void TScreen::RemoveForm(TCustomForm* form) noexcept
{
    auto it = std::find(FForms.begin(), FForms.end(), form);
    if (it != FForms.end())
        FForms.erase(it);
    if (FActiveForm == form)
        FActiveForm = nullptr;
    if (FFocusedForm == form)
        FFocusedForm = nullptr;
    if (FActiveControl && GetParentForm(FActiveControl) == form)
        FActiveControl = nullptr;
}

int TScreen::Width() const
{
    return ks::Sys().GetSystemMetrics(SM_CXSCREEN);
}

int TScreen::Height() const
{
    return ks::Sys().GetSystemMetrics(SM_CYSCREEN);
}

TRect TScreen::WorkAreaRect() const
{
    RECT r{0, 0, Width(), Height()};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return {r.left, r.top, r.right, r.bottom};
}
