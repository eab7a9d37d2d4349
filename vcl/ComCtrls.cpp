#include "vcl/ComCtrls.h"

#include "vcl/ImgList.h"
#include "vcl/SysUtils.h"
#include "vcl/TypInfo.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr const char* IndexText = "List index out of bounds (%s)";

void CheckIndex(int index, int count)
{
    if (index < 0 || index >= count)
        throw EListError(Format(IndexText, {std::to_string(index)}));
}

// The common controls' classes are registered once, before the first of them is made.
void NeedCommonControls(DWORD classes)
{
    INITCOMMONCONTROLSEX init{sizeof init, classes};
    InitCommonControlsEx(&init);
}

constexpr ks::PropertyInfo TabControlProps[] = {
    ks::Prop<&TCustomTabControl::Images, &TCustomTabControl::SetImages>("Images"),
    ks::Prop<&TCustomTabControl::TabPosition, &TCustomTabControl::SetTabPosition>("TabPosition").DefaultIs(tpTop),
    ks::Prop<&TCustomTabControl::Style, &TCustomTabControl::SetStyle>("Style").DefaultIs(tsTabs),
    ks::Prop<&TCustomTabControl::MultiLine, &TCustomTabControl::SetMultiLine>("MultiLine").DefaultIs(false),
};

constexpr ks::PropertyInfo ToolBarProps[] = {
    ks::Prop<&TToolBar::Images, &TToolBar::SetImages>("Images"),
    ks::Prop<&TToolBar::ShowCaptions, &TToolBar::SetShowCaptions>("ShowCaptions").DefaultIs(false),
    ks::Prop<&TToolBar::List, &TToolBar::SetList>("List").DefaultIs(false),
};

} // namespace

const ks::ClassInfo TCustomTabControl::StaticClassInfo{"TCustomTabControl", &TWinControl::StaticClassInfo,
                                                       TabControlProps, {}};
const ks::ClassInfo TTabControl::StaticClassInfo{"TTabControl", &TCustomTabControl::StaticClassInfo, {}, {}};
const ks::ClassInfo TPageControl::StaticClassInfo{"TPageControl", &TCustomTabControl::StaticClassInfo, {}, {}};
const ks::ClassInfo TTabSheet::StaticClassInfo{"TTabSheet", &TWinControl::StaticClassInfo, {}, {}};
const ks::ClassInfo TToolButton::StaticClassInfo{"TToolButton", &TComponent::StaticClassInfo, {}, {}};
const ks::ClassInfo TToolBar::StaticClassInfo{"TToolBar", &TWinControl::StaticClassInfo, ToolBarProps, {}};
const ks::ClassInfo TStatusBar::StaticClassInfo{"TStatusBar", &TWinControl::StaticClassInfo, {}, {}};
const ks::ClassInfo& TCustomTabControl::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TTabControl::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TPageControl::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TTabSheet::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TToolButton::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TToolBar::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TStatusBar::ClassInfo() const noexcept { return StaticClassInfo; }

// ---- tab control ----------------------------------------------------------------------------
TCustomTabControl::TCustomTabControl(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
    FControlStyle.Include(csAcceptsControls);
}

void TCustomTabControl::CreateParams(TCreateParams& params)
{
    NeedCommonControls(ICC_TAB_CLASSES);
    TWinControl::CreateParams(params);
    CreateSubClass(params, WC_TABCONTROLW);
    params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (FMultiLine)
        params.Style |= TCS_MULTILINE;
    switch (FTabPosition) {
    case tpTop: break;
    case tpBottom: params.Style |= TCS_BOTTOM; break;
    case tpLeft: params.Style |= TCS_VERTICAL | TCS_MULTILINE; break;
    case tpRight: params.Style |= TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE; break;
    }
    if (FStyle == tsButtons)
        params.Style |= TCS_BUTTONS;
    else if (FStyle == tsFlatButtons)
        params.Style |= TCS_BUTTONS | TCS_FLATBUTTONS;
    params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomTabControl::CreateWnd()
{
    TWinControl::CreateWnd();
    SendImages();
    for (int i = 0; i < TabCount(); ++i) {
        TCITEMW item{};
        SendMessageW(HandleIfAllocated(), TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        WriteTab(i);
    }
    SendMessageW(HandleIfAllocated(), TCM_SETCURSEL, static_cast<WPARAM>(FTabIndex), 0);
    // Children placed before the window existed lie in the display rectangle only now.
    Realign();
}

void TCustomTabControl::WriteTab(int index) const
{
    if (!HandleAllocated())
        return;
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<wchar_t*>(FTabs[static_cast<size_t>(index)].Caption.c_str());
    item.iImage = FTabs[static_cast<size_t>(index)].ImageIndex;
    SendMessageW(HandleIfAllocated(), TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void TCustomTabControl::SendImages() const
{
    if (HandleAllocated())
        SendMessageW(HandleIfAllocated(), TCM_SETIMAGELIST, 0,
                     reinterpret_cast<LPARAM>(FImages ? FImages->Handle() : nullptr));
}

const std::wstring& TCustomTabControl::TabCaption(int index) const
{
    CheckIndex(index, TabCount());
    return FTabs[static_cast<size_t>(index)].Caption;
}

void TCustomTabControl::InsertTab(int index, const std::wstring& caption, int imageIndex)
{
    index = std::clamp(index, 0, TabCount());
    FTabs.insert(FTabs.begin() + index, Tab{caption, imageIndex});
    if (FTabIndex >= index)
        ++FTabIndex;
    else if (FTabIndex < 0)
        FTabIndex = 0;
    if (HandleAllocated()) {
        TCITEMW item{};
        SendMessageW(HandleIfAllocated(), TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        WriteTab(index);
        SendMessageW(HandleIfAllocated(), TCM_SETCURSEL, static_cast<WPARAM>(FTabIndex), 0);
    }
    Realign();
}

void TCustomTabControl::DeleteTab(int index)
{
    CheckIndex(index, TabCount());
    FTabs.erase(FTabs.begin() + index);
    if (FTabIndex > index || FTabIndex >= TabCount())
        --FTabIndex;
    if (HandleAllocated()) {
        SendMessageW(HandleIfAllocated(), TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
        SendMessageW(HandleIfAllocated(), TCM_SETCURSEL, static_cast<WPARAM>(FTabIndex), 0);
    }
    Realign();
}

void TCustomTabControl::SetTabCaption(int index, const std::wstring& caption)
{
    CheckIndex(index, TabCount());
    FTabs[static_cast<size_t>(index)].Caption = caption;
    WriteTab(index);
}

void TCustomTabControl::SetTabIndex(int value)
{
    if (value < -1 || value >= TabCount() || value == FTabIndex)
        return;
    FTabIndex = value;
    if (HandleAllocated())
        SendMessageW(HandleIfAllocated(), TCM_SETCURSEL, static_cast<WPARAM>(value), 0);
    Change();
}

void TCustomTabControl::SetImages(TCustomImageList* value)
{
    if (ReplaceReference(FImages, value))
        SendImages();
}

void TCustomTabControl::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == FImages) {
        FImages = nullptr;
        SendImages();
    }
}

TRect TCustomTabControl::DisplayRect() const
{
    TRect r = ClientRect();
    if (HWND wnd = HandleIfAllocated()) {
        RECT rc{r.Left, r.Top, r.Right, r.Bottom};
        SendMessageW(wnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
        r = {rc.left, rc.top, std::max(rc.left, rc.right), std::max(rc.top, rc.bottom)};
    }
    return r;
}

void TCustomTabControl::Change()
{
    if (FOnChange)
        FOnChange(this);
}

void TCustomTabControl::Dispatch(TMessage& m)
{
    if (m.Msg == CN_NOTIFY)
        CNNotify(m);
    else
        TWinControl::Dispatch(m);
}

void TCustomTabControl::CNNotify(TMessage& m)
{
    const auto* header = reinterpret_cast<const NMHDR*>(m.LParam);
    if (header && header->code == static_cast<UINT>(TCN_SELCHANGE)) {
        FTabIndex = static_cast<int>(SendMessageW(HandleIfAllocated(), TCM_GETCURSEL, 0, 0));
        Change();
    }
    m.Result = 0;
}

// ---- page control ---------------------------------------------------------------------------
TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner)
{
    FControlStyle.Include(csAcceptsControls);
    InitVisible(false);
}

TTabSheet::~TTabSheet() = default;

void TTabSheet::BeforeDestruction()
{
    SetPageControl(nullptr);
    TWinControl::BeforeDestruction();
}

void TTabSheet::SetPageControl(TPageControl* value)
{
    if (value == FPageControl)
        return;
    if (FPageControl)
        FPageControl->RemovePage(this);
    if (value)
        value->InsertPage(this);
}

int TTabSheet::PageIndex() const
{
    if (!FPageControl)
        return -1;
    const auto& pages = FPageControl->FPages;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::Dispatch(TMessage& m)
{
    TWinControl::Dispatch(m);
    if (m.Msg == CM_TEXTCHANGED && FPageControl)
        FPageControl->PageCaptionChanged(this);
}

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {}

TPageControl::~TPageControl()
{
    for (TTabSheet* page : FPages)
        page->FPageControl = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const
{
    CheckIndex(index, PageCount());
    return FPages[static_cast<size_t>(index)];
}

TTabSheet* TPageControl::ActivePage() const noexcept
{
    const int i = TabIndex();
    return i >= 0 && i < PageCount() ? FPages[static_cast<size_t>(i)] : nullptr;
}

void TPageControl::SetActivePage(TTabSheet* page)
{
    if (page && page->FPageControl != this)
        return;
    SetTabIndex(page ? page->PageIndex() : -1);
}

void TPageControl::InsertPage(TTabSheet* page)
{
    FPages.push_back(page);
    page->FPageControl = this;
    page->SetParent(this);
    AddTab(page->Caption());
    ShowActive();
}

void TPageControl::RemovePage(TTabSheet* page)
{
    const int index = page->PageIndex();
    if (index < 0 || index >= PageCount())
        return;
    FPages.erase(FPages.begin() + index);
    page->FPageControl = nullptr;
    DeleteTab(index);
    if (!page->ComponentState().Contains(csDestroying))
        page->SetVisible(false);
    ShowActive();
}

void TPageControl::PageCaptionChanged(TTabSheet* page)
{
    SetTabCaption(page->PageIndex(), page->Caption());
}

void TPageControl::Change()
{
    ShowActive();
    TCustomTabControl::Change();
}

void TPageControl::ShowActive()
{
    TTabSheet* active = ActivePage();
    if (active) {
        const TRect r = DisplayRect();
        active->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        active->SetVisible(true);
        active->BringToFront();
    }
    for (TTabSheet* page : FPages)
        if (page != active)
            page->SetVisible(false);
}

void TPageControl::AlignControls(TControl* control, TRect& rect)
{
    TCustomTabControl::AlignControls(control, rect);
    const TRect r = DisplayRect();
    for (TTabSheet* page : FPages)
        page->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

// ---- toolbar --------------------------------------------------------------------------------
TToolButton::TToolButton(TComponent* owner) : TComponent(owner) {}

int TToolButton::Index() const
{
    if (!FToolBar)
        return -1;
    const auto& buttons = FToolBar->FButtons;
    return static_cast<int>(std::find(buttons.begin(), buttons.end(), this) - buttons.begin());
}

void TToolButton::SetCaption(const std::wstring& value)
{
    FCaption = value;
    if (FToolBar && FToolBar->HandleAllocated()) {
        TBBUTTONINFOW info{};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_TEXT;
        info.pszText = const_cast<wchar_t*>(FCaption.c_str());
        SendMessageW(FToolBar->HandleIfAllocated(), TB_SETBUTTONINFOW, static_cast<WPARAM>(FCommand),
                     reinterpret_cast<LPARAM>(&info));
    }
}

void TToolButton::SetImageIndex(int value)
{
    FImageIndex = value;
    if (FToolBar && FToolBar->HandleAllocated())
        SendMessageW(FToolBar->HandleIfAllocated(), TB_CHANGEBITMAP, static_cast<WPARAM>(FCommand),
                     MAKELPARAM(value < 0 ? I_IMAGENONE : value, 0));
}

void TToolButton::SetEnabled(bool value)
{
    FEnabled = value;
    UpdateState();
}

void TToolButton::SetDown(bool value)
{
    FDown = value;
    UpdateState();
}

void TToolButton::UpdateState() const
{
    if (!FToolBar || !FToolBar->HandleAllocated())
        return;
    BYTE state = 0;
    if (FEnabled)
        state |= TBSTATE_ENABLED;
    if (FDown)
        state |= FStyle == tbsCheck ? TBSTATE_CHECKED : TBSTATE_PRESSED;
    SendMessageW(FToolBar->HandleIfAllocated(), TB_SETSTATE, static_cast<WPARAM>(FCommand), MAKELPARAM(state, 0));
}

void TToolButton::ReadState()
{
    if (!FToolBar || !FToolBar->HandleAllocated())
        return;
    const LRESULT state = SendMessageW(FToolBar->HandleIfAllocated(), TB_GETSTATE, static_cast<WPARAM>(FCommand), 0);
    if (state >= 0)
        FDown = (state & (FStyle == tbsCheck ? TBSTATE_CHECKED : TBSTATE_PRESSED)) != 0;
}

void TToolButton::Repaint()
{
    if (!FToolBar || !FToolBar->HandleAllocated())
        return;
    RECT r{};
    if (SendMessageW(FToolBar->HandleIfAllocated(), TB_GETITEMRECT, static_cast<WPARAM>(Index()),
                     reinterpret_cast<LPARAM>(&r))) {
        InvalidateRect(FToolBar->HandleIfAllocated(), &r, TRUE);
        UpdateWindow(FToolBar->HandleIfAllocated());
    }
}

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 150, 29);
    SetAlign(alTop);
}

TToolBar::~TToolBar()
{
    FCanvas.SetHandle(nullptr);
}

void TToolBar::CreateParams(TCreateParams& params)
{
    NeedCommonControls(ICC_BAR_CLASSES);
    TWinControl::CreateParams(params);
    CreateSubClass(params, TOOLBARCLASSNAMEW);
    params.Style |= TBSTYLE_FLAT | TBSTYLE_CUSTOMERASE | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    if (FList)
        params.Style |= TBSTYLE_LIST;
    params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TToolBar::CreateWnd()
{
    TWinControl::CreateWnd();
    HWND wnd = HandleIfAllocated();
    SendMessageW(wnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // A drop-down button is as wide as its face and its arrow.
    SendMessageW(wnd, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    SendImages();
    for (int i = 0; i < ButtonCount(); ++i)
        WriteButton(i);
    SendMessageW(wnd, TB_SETBUTTONSIZE, 0, MAKELPARAM(FButtonWidth, FButtonHeight));
}

void TToolBar::WriteButton(int index) const
{
    const TToolButton& b = *FButtons[static_cast<size_t>(index)];
    TBBUTTON button{};
    button.iBitmap = b.FImageIndex < 0 ? I_IMAGENONE : b.FImageIndex;
    button.idCommand = b.FCommand;
    button.fsState = static_cast<BYTE>((b.FEnabled ? TBSTATE_ENABLED : 0) |
                                       (b.FDown ? (b.FStyle == tbsCheck ? TBSTATE_CHECKED : TBSTATE_PRESSED) : 0));
    switch (b.FStyle) {
    case tbsCheck: button.fsStyle = BTNS_CHECK; break;
    case tbsDropDown: button.fsStyle = BTNS_DROPDOWN; break;
    case tbsSeparator:
    case tbsDivider: button.fsStyle = BTNS_SEP; break;
    default: button.fsStyle = BTNS_BUTTON; break;
    }
    button.dwData = reinterpret_cast<DWORD_PTR>(&b);
    button.iString = FShowCaptions && !b.FCaption.empty() ? reinterpret_cast<INT_PTR>(b.FCaption.c_str()) : -1;
    SendMessageW(HandleIfAllocated(), TB_INSERTBUTTONW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
}

void TToolBar::SendImages() const
{
    if (HandleAllocated())
        SendMessageW(HandleIfAllocated(), TB_SETIMAGELIST, 0,
                     reinterpret_cast<LPARAM>(FImages ? FImages->Handle() : nullptr));
}

TToolButton* TToolBar::Buttons(int index) const
{
    CheckIndex(index, ButtonCount());
    return FButtons[static_cast<size_t>(index)];
}

TToolButton* TToolBar::ButtonOfCommand(int command) const noexcept
{
    for (TToolButton* b : FButtons)
        if (b->FCommand == command)
            return b;
    return nullptr;
}

TToolButton* TToolBar::AddButton(TToolButtonStyle style, const std::wstring& caption, int imageIndex)
{
    auto* button = Create<TToolButton>(this);
    button->FToolBar = this;
    button->FStyle = style;
    button->FCaption = caption;
    button->FImageIndex = imageIndex;
    button->FCommand = FNextCommand++;
    FButtons.push_back(button);
    if (HandleAllocated())
        WriteButton(ButtonCount() - 1);
    return button;
}

void TToolBar::DeleteButton(int index)
{
    CheckIndex(index, ButtonCount());
    TToolButton* button = FButtons[static_cast<size_t>(index)];
    if (HandleAllocated())
        SendMessageW(HandleIfAllocated(), TB_DELETEBUTTON, static_cast<WPARAM>(index), 0);
    FButtons.erase(FButtons.begin() + index);
    button->FToolBar = nullptr;
    button->Free();
}

void TToolBar::SetImages(TCustomImageList* value)
{
    if (ReplaceReference(FImages, value))
        SendImages();
}

void TToolBar::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == FImages) {
        FImages = nullptr;
        SendImages();
    }
}

int TToolBar::ButtonWidth() const
{
    if (HWND wnd = HandleIfAllocated())
        return LOWORD(SendMessageW(wnd, TB_GETBUTTONSIZE, 0, 0));
    return FButtonWidth;
}

int TToolBar::ButtonHeight() const
{
    if (HWND wnd = HandleIfAllocated())
        return HIWORD(SendMessageW(wnd, TB_GETBUTTONSIZE, 0, 0));
    return FButtonHeight;
}

void TToolBar::SetButtonSize(int width, int height)
{
    FButtonWidth = std::max(width, 0);
    FButtonHeight = std::max(height, 0);
    if (HWND wnd = HandleIfAllocated())
        SendMessageW(wnd, TB_SETBUTTONSIZE, 0, MAKELPARAM(FButtonWidth, FButtonHeight));
}

void TToolBar::Dispatch(TMessage& m)
{
    if (m.Msg == CN_NOTIFY)
        CNNotify(m);
    else if (m.Msg == CN_COMMAND)
        CNCommand(m);
    else
        TWinControl::Dispatch(m);
}

// A click has checked or released a button before the toolbar tells of it.
void TToolBar::CNCommand(TMessage& m)
{
    if (TToolButton* button = ButtonOfCommand(LOWORD(m.WParam)))
        button->ReadState();
    m.Result = 0;
}

void TToolBar::CNNotify(TMessage& m)
{
    auto* header = reinterpret_cast<NMHDR*>(m.LParam);
    m.Result = 0;
    if (header && header->code == static_cast<UINT>(NM_CUSTOMDRAW))
        m.Result = CustomDraw(*reinterpret_cast<NMCUSTOMDRAW*>(header));
    // The drop-down's menu, were there one, would run its loop inside this notification: when
    // it returns, the drop-down is closed.
    else if (header && header->code == static_cast<UINT>(TBN_DROPDOWN) && HandleAllocated())
        SendMessageW(HandleIfAllocated(), ToolBarDropDownClosed, 0, 0);
}

LRESULT TToolBar::CustomDraw(NMCUSTOMDRAW& draw)
{
    // An event may free the toolbar (a painter that paints its windowless children there): what
    // is left of it is then not touched, and the system is told to draw nothing more.
    const GoneWatch watch(*this);
    // The canvas draws on the system's DC for the length of the event, nested or not.
    const auto bound = [&](auto&& event) {
        const HDC old = FCanvas.HandleAllocated() ? FCanvas.Handle() : nullptr;
        FCanvas.SetHandle(draw.hdc);
        const ks::ScopeExit restore([&] {
            if (!watch.Gone())
                FCanvas.SetHandle(old);
        });
        event();
    };
    bool defaultDraw = true;
    switch (draw.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_PREERASE: {
        const TCustomDrawStage stage = draw.dwDrawStage == CDDS_PREPAINT ? cdPrePaint : cdPreErase;
        if (FOnCustomDraw)
            bound([&] { FOnCustomDraw(this, ClientRect(), stage, defaultDraw); });
        if (watch.Gone() || !defaultDraw)
            return CDRF_SKIPDEFAULT;
        return stage == cdPrePaint && FOnCustomDrawButton ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    }
    case CDDS_ITEMPREPAINT: {
        TToolButton* button = ButtonOfCommand(static_cast<int>(draw.dwItemSpec));
        // A state set by a message to the window alone shows in Down by the time it is drawn.
        if (button)
            button->ReadState();
        if (button && FOnCustomDrawButton)
            bound([&] { FOnCustomDrawButton(this, button, TCustomDrawState::FromBits(draw.uItemState), defaultDraw); });
        return watch.Gone() || !defaultDraw ? CDRF_SKIPDEFAULT : CDRF_DODEFAULT;
    }
    default: return CDRF_DODEFAULT;
    }
}

// ---- status bar -----------------------------------------------------------------------------
void TStatusPanel::SetText(const std::wstring& value)
{
    FText = value;
    FBar.WriteParts();
}

void TStatusPanel::SetWidth(int value)
{
    FWidth = std::max(value, 0);
    FBar.WriteParts();
}

void TStatusPanel::SetAlignment(TAlignment value)
{
    FAlignment = value;
    FBar.WriteParts();
}

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 150, 19);
    SetAlign(alBottom);
}

void TStatusBar::CreateParams(TCreateParams& params)
{
    NeedCommonControls(ICC_BAR_CLASSES);
    TWinControl::CreateParams(params);
    CreateSubClass(params, STATUSCLASSNAMEW);
    params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE;
    params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TStatusBar::CreateWnd()
{
    TWinControl::CreateWnd();
    WriteParts();
}

void TStatusBar::Dispatch(TMessage& m)
{
    TWinControl::Dispatch(m);
    if (m.Msg == WM_SIZE)
        WriteParts();
}

TStatusPanel& TStatusBar::Panels(int index) const
{
    CheckIndex(index, PanelCount());
    return *FPanels[static_cast<size_t>(index)];
}

TStatusPanel& TStatusBar::AddPanel(const std::wstring& text, int width)
{
    FPanels.push_back(std::unique_ptr<TStatusPanel>(new TStatusPanel(*this)));
    TStatusPanel& panel = *FPanels.back();
    panel.FText = text;
    panel.FWidth = std::max(width, 0);
    WriteParts();
    return panel;
}

void TStatusBar::DeletePanel(int index)
{
    CheckIndex(index, PanelCount());
    FPanels.erase(FPanels.begin() + index);
    WriteParts();
}

void TStatusBar::SetSimpleText(const std::wstring& value)
{
    FSimpleText = value;
    WriteParts();
}

void TStatusBar::SetSimplePanel(bool value)
{
    FSimplePanel = value;
    WriteParts();
}

void TStatusBar::WriteParts() const
{
    HWND wnd = HandleIfAllocated();
    if (!wnd)
        return;
    SendMessageW(wnd, SB_SIMPLE, FSimplePanel || FPanels.empty() ? TRUE : FALSE, 0);
    SendMessageW(wnd, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(FSimpleText.c_str()));
    // The system keeps at most 256 parts; the last one reaches the right edge.
    const size_t count = std::min<size_t>(std::max<size_t>(FPanels.size(), 1), 255);
    std::vector<int> edges(count, -1);
    int x = 0;
    for (size_t i = 0; i + 1 < count && i < FPanels.size(); ++i) {
        x += FPanels[i]->FWidth;
        edges[i] = x;
    }
    SendMessageW(wnd, SB_SETPARTS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(edges.data()));
    for (size_t i = 0; i < count && i < FPanels.size(); ++i) {
        const TStatusPanel& p = *FPanels[i];
        std::wstring text = p.FText;
        // The system aligns a part's text by tabs before it.
        if (p.FAlignment == taCenter)
            text = L"\t" + text;
        else if (p.FAlignment == taRightJustify)
            text = L"\t\t" + text;
        SendMessageW(wnd, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

// ---- up-down --------------------------------------------------------------------------------
namespace {

constexpr ks::PropertyInfo UpDownProps[] = {
    ks::Prop<&TCustomUpDown::Orientation, &TCustomUpDown::SetOrientation>("Orientation").DefaultIs(udVertical),
    ks::Prop<&TCustomUpDown::Min, &TCustomUpDown::SetMin>("Min").DefaultIs(0),
    ks::Prop<&TCustomUpDown::Max, &TCustomUpDown::SetMax>("Max").DefaultIs(100),
};

} // namespace

const ks::ClassInfo TCustomUpDown::StaticClassInfo{"TCustomUpDown", &TWinControl::StaticClassInfo, UpDownProps, {}};
const ks::ClassInfo TUpDown::StaticClassInfo{"TUpDown", &TCustomUpDown::StaticClassInfo, {}, {}};
const ks::ClassInfo& TCustomUpDown::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TUpDown::ClassInfo() const noexcept { return StaticClassInfo; }

TCustomUpDown::TCustomUpDown(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 17, 25);
}

void TCustomUpDown::CreateParams(TCreateParams& params)
{
    NeedCommonControls(ICC_UPDOWN_CLASS);
    TWinControl::CreateParams(params);
    CreateSubClass(params, UPDOWN_CLASSW);
    if (FOrientation == udHorizontal)
        params.Style |= UDS_HORZ;
}

void TCustomUpDown::CreateWnd()
{
    TWinControl::CreateWnd();
    SendMessageW(Handle(), UDM_SETRANGE32, static_cast<WPARAM>(FMin), static_cast<LPARAM>(FMax));
    SendMessageW(Handle(), UDM_SETPOS32, 0, static_cast<LPARAM>(FPosition));
}

void TCustomUpDown::SetMin(int value)
{
    FMin = value;
    if (HWND wnd = HandleIfAllocated())
        SendMessageW(wnd, UDM_SETRANGE32, static_cast<WPARAM>(FMin), static_cast<LPARAM>(FMax));
}

void TCustomUpDown::SetMax(int value)
{
    FMax = value;
    if (HWND wnd = HandleIfAllocated())
        SendMessageW(wnd, UDM_SETRANGE32, static_cast<WPARAM>(FMin), static_cast<LPARAM>(FMax));
}

int TCustomUpDown::Position()
{
    if (HWND wnd = HandleIfAllocated())
        FPosition = static_cast<int>(SendMessageW(wnd, UDM_GETPOS32, 0, 0));
    return FPosition;
}

void TCustomUpDown::SetPosition(int value)
{
    FPosition = value;
    if (HWND wnd = HandleIfAllocated())
        SendMessageW(wnd, UDM_SETPOS32, 0, static_cast<LPARAM>(value));
}
