#include "skin/adapters/ListViewAdapter.h"

#include "skin/adapters/AdapterPainting.h"
#include "skin/adapters/AdapterQueries.h"
#include "skin/adapters/HeaderPainting.h"
#include "skin/adapters/SkinnedScrollBars.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "vcl/Bitmap.h"
#include "vcl/GdiHandles.h"
#include "vcl/ListViews.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

using ks::adapters::OwnManager;

namespace {

constexpr wchar_t HeaderProperty[] = L"ACSBHDR";
using HeaderKind = ks::SubclassKindOf<HeaderProperty>;

} // namespace

// The header's subclass: its messages go to the adapter while the adapter holds it.
class TacListViewWnd::HeaderHold final : public ks::WindowSubclass {
public:
    explicit HeaderHold(TacListViewWnd& owner) : WindowSubclass(HeaderKind::Kind()), FOwner(owner) {}

protected:
    void WindowMessage(TMessage& m) override
    {
        if (!FOwner.HeaderMessage(m))
            CallPrevious(m);
    }
    void WindowDestroyed() noexcept override { FOwner.HeaderHandle = nullptr; }

private:
    friend class TacListViewWnd;
    using WindowSubclass::CallPrevious;
    TacListViewWnd& FOwner;
};

TacListViewWnd::TacListViewWnd(HWND handle, TsCommonData* skinData, TsSkinManager* manager, std::string section)
    : TacEditWnd(handle, skinData, manager, std::move(section))
{
    if (handle)
        TakeHeader(FindWindowExW(handle, nullptr, L"SysHeader32", nullptr));
}

TacListViewWnd::~TacListViewWnd()
{
    ReleaseHeader();
}

void TacListViewWnd::TakeHeader(HWND header)
{
    if (!header)
        return;
    auto hold = std::make_unique<HeaderHold>(*this);
    if (!hold->Subclass(header))
        return;
    FHeader = std::move(hold);
    HeaderHandle = header;
    HotHeaderItem = -1;
    PressedHeaderItem = -1;
}

void TacListViewWnd::ReleaseHeader() noexcept
{
    if (FHeader)
        FHeader->Release();
    FHeader.reset();
    HeaderHandle = nullptr;
}

void TacListViewWnd::Detached()
{
    // Whatever made the adapter let go (the list destroyed, the adapter freed while the form is
    // cleared), the header does not keep calling it.
    ReleaseHeader();
    TacEditWnd::Detached();
}

int TacListViewWnd::ViewStyle() const
{
    if (auto* list = dynamic_cast<TCustomListView*>(SkinData ? SkinData->OwnerControl : nullptr))
        return list->ViewStyle();
    switch (SendMessageW(CtrlHandle, LVM_GETVIEW, 0, 0)) {
    case LV_VIEW_ICON: return 0;
    case LV_VIEW_DETAILS: return 3;
    case LV_VIEW_SMALLICON: return 1;
    default: return 2;
    }
}

void TacListViewWnd::SaveControlColors()
{
    TacEditWnd::SaveControlColors();
    if (!CtrlHandle)
        return;
    SavedBkColor = static_cast<COLORREF>(SendMessageW(CtrlHandle, LVM_GETBKCOLOR, 0, 0));
    SavedTextBkColor = static_cast<COLORREF>(SendMessageW(CtrlHandle, LVM_GETTEXTBKCOLOR, 0, 0));
    SavedTextColor = static_cast<COLORREF>(SendMessageW(CtrlHandle, LVM_GETTEXTCOLOR, 0, 0));
}

void TacListViewWnd::RestoreControlColors()
{
    // The list gets back the colours it had, not system colour codes it would paint purple.
    if (CtrlHandle && IsWindow(CtrlHandle)) {
        SendMessageW(CtrlHandle, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(SavedBkColor));
        SendMessageW(CtrlHandle, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(SavedTextBkColor));
        SendMessageW(CtrlHandle, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(SavedTextColor));
    }
    ReleaseHeader();
    TacEditWnd::RestoreControlColors();
}

void TacListViewWnd::ApplySkinColors()
{
    TacEditWnd::ApplySkinColors();
    if (!CtrlHandle)
        return;
    // Applied before every paint: only what differs is sent.
    auto set = [this](UINT get, UINT put, TColor colour) {
        const auto rgb = static_cast<LRESULT>(ColorToRGB(colour));
        if (SendMessageW(CtrlHandle, get, 0, 0) != rgb)
            SendMessageW(CtrlHandle, put, 0, rgb);
    };
    if (DlgMode) {
        set(LVM_GETBKCOLOR, LVM_SETBKCOLOR, clWindow);
        set(LVM_GETTEXTBKCOLOR, LVM_SETTEXTBKCOLOR, clWindow);
        set(LVM_GETTEXTCOLOR, LVM_SETTEXTCOLOR, clWindowText);
    } else if (const TsGeneralData* section = SkinData ? SkinData->Section() : nullptr) {
        set(LVM_GETBKCOLOR, LVM_SETBKCOLOR, section->Color);
        set(LVM_GETTEXTBKCOLOR, LVM_SETTEXTBKCOLOR, section->Color);
        set(LVM_GETTEXTCOLOR, LVM_SETTEXTCOLOR, section->FontColor[0]);
    }
}

int TacListViewWnd::HeaderItemAt(POINT p) const
{
    if (!HeaderHandle)
        return -1;
    const int count = Header_GetItemCount(HeaderHandle);
    for (int i = 0; i < count; ++i) {
        RECT r{};
        if (Header_GetItemRect(HeaderHandle, i, &r) && PtInRect(&r, p))
            return i;
    }
    return -1;
}

void TacListViewWnd::PaintHeaderItem(HDC dc, int index, const RECT& r, bool content)
{
    TsSkinManager* manager = SkinData ? SkinData->SkinManager() : nullptr;
    if (!manager)
        return;
    const int state = content && index == PressedHeaderItem ? 2 : content && index == HotHeaderItem ? 1 : 0;
    const TColor fill = SkinData->Section() ? SkinData->Section()->Color : clWindow;
    const TRect rect{r.left, r.top, r.right, r.bottom};
    if (!content) {
        ks::adapters::PaintHeaderItem(*manager, dc, rect, state, fill, nullptr);
        return;
    }
    wchar_t text[260] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    Header_GetItem(HeaderHandle, index, &item);
    ks::adapters::HeaderItemContent look;
    look.Text = text;
    look.Font = reinterpret_cast<HFONT>(SendMessageW(HeaderHandle, WM_GETFONT, 0, 0));
    look.Align = (item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT    ? DT_RIGHT
                 : (item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER ? DT_CENTER
                                                              : DT_LEFT;
    look.Sort = item.fmt & HDF_SORTDOWN ? ks::adapters::HeaderSort::Descending
                : item.fmt & HDF_SORTUP ? ks::adapters::HeaderSort::Ascending
                                        : ks::adapters::HeaderSort::None;
    if (item.fmt & HDF_IMAGE) {
        look.Images = Header_GetImageList(HeaderHandle);
        look.Image = item.iImage;
    }
    ks::adapters::PaintHeaderItem(*manager, dc, rect, state, fill, &look);
}

void TacListViewWnd::PaintHeader(HDC dc)
{
    if (!HeaderHandle || !dc)
        return;
    RECT client{};
    GetClientRect(HeaderHandle, &client);
    int right = 0;
    const int count = Header_GetItemCount(HeaderHandle);
    for (int i = 0; i < count; ++i) {
        RECT r{};
        if (!Header_GetItemRect(HeaderHandle, i, &r))
            continue;
        right = std::max<int>(right, r.right);
        // A header of thousands of columns shows a few of them.
        if (r.right > 0 && r.left < client.right)
            PaintHeaderItem(dc, i, r, true);
    }
    if (right < client.right)
        PaintHeaderItem(dc, -1, {right, 0, client.right, client.bottom}, false);
}

void TacListViewWnd::ClearHeaderStates()
{
    if (HotHeaderItem < 0 && PressedHeaderItem < 0)
        return;
    HotHeaderItem = -1;
    PressedHeaderItem = -1;
    if (HeaderHandle)
        InvalidateRect(HeaderHandle, nullptr, FALSE);
}

bool TacListViewWnd::HeaderMessage(TMessage& m)
{
    if (Destroyed || !SkinData || !SkinData->IsSkinActive() || ViewStyle() != 3)
        return false;
    HWND header = HeaderHandle;
    switch (m.Msg) {
    case WM_PAINT: {
        if (m.WParam) {
            PaintHeader(reinterpret_cast<HDC>(m.WParam));
        } else {
            ks::PaintDC paint(header);
            PaintHeader(paint.get());
        }
        m.Result = 0;
        return true;
    }
    case WM_PRINTCLIENT:
        PaintHeader(reinterpret_cast<HDC>(m.WParam));
        m.Result = 0;
        return true;
    case WM_ERASEBKGND: m.Result = 1; return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        HDHITTESTINFO hit{};
        hit.pt = {static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
        SendMessageW(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (!(hit.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) && hit.iItem >= 0) {
            PressedHeaderItem = hit.iItem;
            InvalidateRect(header, nullptr, FALSE);
        }
        return false;
    }
    case WM_LBUTTONUP:
        if (PressedHeaderItem >= 0) {
            PressedHeaderItem = -1;
            InvalidateRect(header, nullptr, FALSE);
        }
        return false;
    case WM_MOUSEMOVE: {
        const int item = HeaderItemAt({static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))});
        if (item != HotHeaderItem) {
            HotHeaderItem = item;
            InvalidateRect(header, nullptr, FALSE);
        }
        // A mouse that leaves across the header's outer edge never crosses the list, whose hit
        // test would put the item out: the header hears of it instead.
        if (item >= 0) {
            TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, header, 0};
            TrackMouseEvent(&leave);
        }
        return false;
    }
    case WM_MOUSELEAVE:
        if (HotHeaderItem >= 0) {
            HotHeaderItem = -1;
            InvalidateRect(header, nullptr, FALSE);
        }
        return false;
    default: return false;
    }
}

void TacListViewWnd::ThumbTrack(TMessage& m, bool vertical)
{
    const int position = m.LParam ? static_cast<int>(m.LParam) : static_cast<int>(HIWORD(m.WParam));
    // The step is counted from where the list stands: the drag's last position is already the
    // new one when it arrives here, and a list may refuse part of a step at its ends.
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(CtrlHandle, vertical ? SB_VERT : SB_HORZ, &si);
    int step = position - si.nPos;
    if (vertical) {
        if (step == 0)
            return;
        if (ViewStyle() == 3) {
            RECT item{LVIR_BOUNDS, 0, 0, 0};
            if (SendMessageW(CtrlHandle, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)))
                step *= std::max<int>(item.bottom - item.top, 1);
        }
        SendMessageW(CtrlHandle, LVM_SCROLL, 0, step);
    } else if (step != 0) {
        // The list view scrolls a list-style view by columns and the others by pixels, which is
        // what the positions of its own bar count.
        SendMessageW(CtrlHandle, LVM_SCROLL, static_cast<WPARAM>(step), 0);
    }
}

void TacListViewWnd::AdapterWndProc(TMessage& m)
{
    if (Destroyed || !SkinData || !SkinData->IsSkinActive()) {
        TacEditWnd::AdapterWndProc(m);
        return;
    }
    switch (m.Msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (LOWORD(m.WParam) == SB_THUMBTRACK) {
            ThumbTrack(m, m.Msg == WM_VSCROLL);
            m.Result = 0;
            return;
        }
        if (m.Msg == WM_VSCROLL)
            m.LParam = 0;
        break;
    case WM_NCPAINT: m.Result = 0; break;
    case WM_PAINT: ApplySkinColors(); break;
    case WM_NCHITTEST: ClearHeaderStates(); break;
    case SM_SKINCMD: {
        const ks::SkinCommandView view(m);
        switch (view.Command()) {
        case SKC_GET_SKIN_INDEX: m.Result = SkinData->SkinIndex + 1; return;
        case SKC_BEFORE_SCROLL: m.Result = 1; return;
        case SKC_REFRESH:
            if (OwnManager(m, SkinData)) {
                TacEditWnd::AdapterWndProc(m);
                if (HeaderHandle)
                    RedrawWindow(HeaderHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                return;
            }
            break;
        default: break;
        }
        break;
    }
    default: break;
    }
    TacEditWnd::AdapterWndProc(m);
    if (Destroyed)
        return;
    switch (m.Msg) {
    case WM_PRINT:
        if (ViewStyle() == 3 && HeaderHandle && IsWindowVisible(HeaderHandle) && m.WParam) {
            HDC dc = reinterpret_cast<HDC>(m.WParam);
            RECT client{};
            GetClientRect(CtrlHandle, &client);
            const int saved = SaveDC(dc);
            POINT origin{};
            GetViewportOrgEx(dc, &origin);
            RECT hr{};
            GetWindowRect(HeaderHandle, &hr);
            MapWindowPoints(nullptr, CtrlHandle, reinterpret_cast<POINT*>(&hr), 2);
            const TPoint offset = ClientOffset();
            SetViewportOrgEx(dc, origin.x + offset.X + hr.left, origin.y + offset.Y + hr.top, nullptr);
            IntersectClipRect(dc, -hr.left, -hr.top, client.right - hr.left, client.bottom - hr.top);
            PaintHeader(dc);
            RestoreDC(dc, saved);
        }
        break;
    case WM_LBUTTONUP:
        if (GetCapture() == CtrlHandle)
            ReleaseCapture();
        break;
    case WM_PARENTNOTIFY:
        if (LOWORD(m.WParam) == WM_CREATE) {
            HWND child = reinterpret_cast<HWND>(m.LParam);
            wchar_t cls[32] = {};
            GetClassNameW(child, cls, 32);
            if (lstrcmpiW(cls, L"SysHeader32") == 0 && child != HeaderHandle) {
                ReleaseHeader();
                TakeHeader(child);
            }
        }
        break;
    case LVM_INSERTITEMA:
    case LVM_INSERTITEMW:
    case LVM_ARRANGE:
    case WM_STYLECHANGED:
        if (!SkinData->Updating())
            RefreshScrollBars(this, true);
        break;
    default: break;
    }
}
