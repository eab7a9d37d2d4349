// The MDI side of TCustomForm (Forms.h): the MDI client window of an fsMDIForm form, the windows
// of its fsMDIChild forms, and the system's frame and child procedures their unhandled messages
// end in.

#include "vcl/Forms.h"

#include "vcl/Menus.h"
#include "vcl/SysUtils.h"
#include "vcl/WindowSubclass.h"

#include <string>

namespace {

constexpr const char* NoMDIFormText = "Cannot create form. No MDI forms are currently active";
constexpr const char* MDIChildIndexText = "List index out of bounds (%s)";
// Command identifiers of the window-menu entries the client would add for its children; far
// above those of the menus, which count up from 1.
constexpr UINT FirstMDIChildId = 0xFF00;
// The client's message to recompute its scroll bars from its children.
constexpr UINT MDIRecalcScroll = 0x3F;

constexpr wchar_t MDIClientProperty[] = L"ks.MDIClientScrolls";

// The MDI client's scroll bars follow its children. Wine's client hides bars that are needed and
// never shows them again once hidden, and a child that is only moved asks it for no new decision. The bars are therefore decided here on every recalculation
// the client hears, the way the system's client decides them: the range covers the children and
// the client area, the page is one more than the client's size, the position stays 0 (the
// client scrolls its children, not itself).
class MDIClientScrolls : public ks::WindowSubclass {
public:
    MDIClientScrolls() noexcept : WindowSubclass(ks::SubclassKindOf<MDIClientProperty>::Kind()) {}

protected:
    void WindowMessage(TMessage& m) override
    {
        if (m.Msg != MDIRecalcScroll) {
            CallPrevious(m);
            return;
        }
        // The system's client still hears the message (it keeps its own books by it), but
        // without the bars in its style: Wine's client would otherwise hide bars that are
        // needed, and each hiding, shown again here, would bring the next recalculation.
        const HWND client = Handle();
        const LONG_PTR style = GetWindowLongPtrW(client, GWL_STYLE);
        const LONG_PTR bars = WS_HSCROLL | WS_VSCROLL;
        if (style & bars)
            SetWindowLongPtrW(client, GWL_STYLE, style & ~bars);
        CallPrevious(m);
        if (style & bars)
            SetWindowLongPtrW(client, GWL_STYLE, GetWindowLongPtrW(client, GWL_STYLE) | (style & bars));
        DecideBars();
    }
    void WindowDestroyed() noexcept override { delete this; }

private:
    void DecideBars()
    {
        const HWND client = Handle();
        BOOL maximized = FALSE;
        SendMessageW(client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized));
        if (maximized) {
            ShowScrollBar(client, SB_BOTH, FALSE);
            return;
        }
        RECT area{};
        GetClientRect(client, &area);
        RECT all = area;
        for (HWND child = GetWindow(client, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (IsWindowVisible(child)) {
                RECT r{};
                GetWindowRect(child, &r);
                MapWindowPoints(nullptr, client, reinterpret_cast<POINT*>(&r), 2);
                UnionRect(&all, &all, &r);
            }
        DecideBar(client, SB_HORZ, WS_HSCROLL, all.left, all.right, area.right);
        DecideBar(client, SB_VERT, WS_VSCROLL, all.top, all.bottom, area.bottom);
    }
    static void DecideBar(HWND client, int bar, LONG_PTR style, int low, int high, int size)
    {
        const bool needed = high - low > size;
        if (needed && !(GetWindowLongPtrW(client, GWL_STYLE) & style))
            ShowScrollBar(client, bar, TRUE);
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, low, high, static_cast<UINT>(size + 1), 0, 0};
        SetScrollInfo(client, bar, &si, TRUE);
        if (!needed)
            ShowScrollBar(client, bar, FALSE);
    }
};

TCustomForm* FormOfWindow(HWND wnd) noexcept
{
    if (!wnd || !Screen)
        return nullptr;
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->HandleIfAllocated() == wnd)
            return Screen->Forms(i);
    return nullptr;
}

} // namespace

HWND TCustomForm::MDIParentWindow() const
{
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (!main || main == this || main->FormStyle() != fsMDIForm)
        throw EInvalidOperation(NoMDIFormText);
    main->HandleNeeded();
    if (!main->ClientHandle())
        throw EInvalidOperation(NoMDIFormText);
    return main->ClientHandle();
}

void TCustomForm::CreateMDIClient()
{
    HWND wnd = HandleIfAllocated();
    RECT client{};
    GetClientRect(wnd, &client);
    CLIENTCREATESTRUCT ccs{};
    ccs.hWindowMenu = nullptr;
    ccs.idFirstChild = FirstMDIChildId;
    FClientHandle = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                    WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE,
                                    0, 0, client.right, client.bottom, wnd, nullptr, ks::Instance(), &ccs);
    if (!FClientHandle)
        throw EOSError("Error creating window");
    auto* scrolls = new MDIClientScrolls;
    if (!scrolls->Subclass(FClientHandle))
        delete scrolls;
}

void TCustomForm::MDIChildMoved() const noexcept
{
    if (HWND wnd = HandleIfAllocated(); wnd && FFormStyle == fsMDIChild)
        PostMessageW(GetParent(wnd), MDIRecalcScroll, 0, 0);
}

void TCustomForm::DestroyMDIChildWindow() noexcept
{
    HWND wnd = HandleIfAllocated();
    HWND client = wnd ? GetParent(wnd) : nullptr;
    if (client && IsWindow(client))
        SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(wnd), 0);
}

void TCustomForm::ShowMDIChild()
{
    HWND wnd = HandleIfAllocated();
    HWND client = GetParent(wnd);
    SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(wnd), 0);
    if (FWindowState == wsMaximized)
        SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(wnd), 0);
}

void TCustomForm::SetMDIChildState(TWindowState value)
{
    if (!HandleAllocated() || !Showing())
        return;
    HWND wnd = HandleIfAllocated();
    HWND client = GetParent(wnd);
    switch (value) {
    case wsMaximized: SendMessageW(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(wnd), 0); break;
    case wsNormal: SendMessageW(client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(wnd), 0); break;
    case wsMinimized: ShowWindow(wnd, SW_MINIMIZE); break;
    }
}

TCustomForm* TCustomForm::ActiveMDIChild() const
{
    if (!FClientHandle)
        return nullptr;
    return FormOfWindow(reinterpret_cast<HWND>(SendMessageW(FClientHandle, WM_MDIGETACTIVE, 0, 0)));
}

int TCustomForm::MDIChildCount() const
{
    int count = 0;
    if (FClientHandle && Screen)
        for (int i = 0; i < Screen->FormCount(); ++i) {
            TCustomForm* f = Screen->Forms(i);
            if (f->FormStyle() == fsMDIChild && f->HandleAllocated() && GetParent(f->HandleIfAllocated()) == FClientHandle)
                ++count;
        }
    return count;
}

TCustomForm* TCustomForm::MDIChildren(int index) const
{
    int left = index;
    if (FClientHandle && Screen && index >= 0)
        for (int i = 0; i < Screen->FormCount(); ++i) {
            TCustomForm* f = Screen->Forms(i);
            if (f->FormStyle() == fsMDIChild && f->HandleAllocated() &&
                GetParent(f->HandleIfAllocated()) == FClientHandle && left-- == 0)
                return f;
        }
    throw EListError(Format(MDIChildIndexText, {std::to_string(index)}));
}

void TCustomForm::MergeIntoMainMenu(bool merge)
{
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (!FMenu || !main || main == this || main->FormStyle() != fsMDIForm || !main->Menu())
        return;
    if (merge)
        main->Menu()->Merge(FMenu);
    else
        main->Menu()->Unmerge(FMenu);
}

void TCustomForm::WMMDIActivate(TMessage& m)
{
    TScrollingWinControl::Dispatch(m);
    if (FFormStyle != fsMDIChild || !HandleAllocated())
        return;
    const HWND wnd = HandleIfAllocated();
    if (reinterpret_cast<HWND>(m.LParam) == wnd)
        MergeIntoMainMenu(true);
    else if (reinterpret_cast<HWND>(m.WParam) == wnd)
        MergeIntoMainMenu(false);
}

void TCustomForm::DefaultHandler(TMessage& m)
{
    HWND wnd = HandleIfAllocated();
    if (wnd && FFormStyle == fsMDIForm && FClientHandle)
        m.Result = DefFrameProcW(wnd, FClientHandle, m.Msg, m.WParam, m.LParam);
    else if (wnd && FFormStyle == fsMDIChild && (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_MDICHILD))
        m.Result = DefMDIChildProcW(wnd, m.Msg, m.WParam, m.LParam);
    else
        TScrollingWinControl::DefaultHandler(m);
}
