#include "vcl/ListViews.h"

#include "vcl/TypInfo.h"
#include "vcl/WinControl.h"

namespace {

const ks::PropertyInfo ListViewProps[] = {
    ks::Prop<&TCustomListView::OwnerData, &TCustomListView::SetOwnerData>("OwnerData").DefaultIs(false),
    ks::Prop<&TCustomListView::ViewStyle, &TCustomListView::SetViewStyle>("ViewStyle").DefaultIs(vsIcon),
};

void InitListClasses()
{
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)done;
}

constexpr DWORD ViewStyleBits[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};

} // namespace

const ks::ClassInfo TCustomListView::StaticClassInfo{"TCustomListView", &TWinControl::StaticClassInfo, ListViewProps, {}};
const ks::ClassInfo TListView::StaticClassInfo{"TListView", &TCustomListView::StaticClassInfo, {}, {}};
const ks::ClassInfo TCustomTreeView::StaticClassInfo{"TCustomTreeView", &TWinControl::StaticClassInfo, {}, {}};
const ks::ClassInfo TTreeView::StaticClassInfo{"TTreeView", &TCustomTreeView::StaticClassInfo, {}, {}};
const ks::ClassInfo& TCustomListView::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TListView::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TCustomTreeView::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TTreeView::ClassInfo() const noexcept { return StaticClassInfo; }

// ---- list view ------------------------------------------------------------------------------
TCustomListView::TCustomListView(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 250, 150);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

void TCustomListView::CreateParams(TCreateParams& params)
{
    InitListClasses();
    TWinControl::CreateParams(params);
    CreateSubClass(params, WC_LISTVIEWW);
    params.Style |= ViewStyleBits[FViewStyle] | LVS_SHOWSELALWAYS;
    if (FOwnerData)
        params.Style |= LVS_OWNERDATA;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::SetViewStyle(TViewStyle value)
{
    FViewStyle = value;
    if (HWND wnd = HandleIfAllocated()) {
        const LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
        SetWindowLongPtrW(wnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | ViewStyleBits[value]);
    }
}

int TCustomListView::AddColumn(const std::wstring& caption, int width)
{
    HWND wnd = Handle();
    const int count = Header_GetItemCount(ListView_GetHeader(wnd));
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(caption.c_str());
    return static_cast<int>(SendMessageW(wnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(count < 0 ? 0 : count),
                                         reinterpret_cast<LPARAM>(&column)));
}

bool TCustomListView::DeleteColumn(int index)
{
    return SendMessageW(Handle(), LVM_DELETECOLUMN, static_cast<WPARAM>(index), 0) != 0;
}

int TCustomListView::AddItem(const std::wstring& caption)
{
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = ItemCount();
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    return static_cast<int>(SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int TCustomListView::ItemCount()
{
    return static_cast<int>(SendMessageW(Handle(), LVM_GETITEMCOUNT, 0, 0));
}

void TCustomListView::SetItemCount(int count)
{
    FItemCount = count < 0 ? 0 : count;
    SendMessageW(Handle(), LVM_SETITEMCOUNT, static_cast<WPARAM>(FItemCount), 0);
}

void TCustomListView::CNNotify(TMessage& m)
{
    auto* header = reinterpret_cast<NMHDR*>(m.LParam);
    if (FOwnerData && header && header->code == LVN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(m.LParam);
        if ((info->item.mask & LVIF_TEXT) && info->item.pszText && info->item.cchTextMax > 0) {
            FDispText = L"Item " + std::to_wstring(info->item.iItem);
            lstrcpynW(info->item.pszText, FDispText.c_str(), info->item.cchTextMax);
        }
        m.Result = 0;
        return;
    }
    TWinControl::Dispatch(m);
}

void TCustomListView::Dispatch(TMessage& message)
{
    if (message.Msg == CN_BASE + WM_NOTIFY) {
        CNNotify(message);
        return;
    }
    TWinControl::Dispatch(message);
}

// ---- tree view ------------------------------------------------------------------------------
TCustomTreeView::TCustomTreeView(TComponent* owner) : TWinControl(owner)
{
    SetBounds(0, 0, 121, 97);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

void TCustomTreeView::CreateParams(TCreateParams& params)
{
    InitListClasses();
    TWinControl::CreateParams(params);
    CreateSubClass(params, WC_TREEVIEWW);
    params.Style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

HTREEITEM TCustomTreeView::AddItem(HTREEITEM parent, const std::wstring& text)
{
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    return reinterpret_cast<HTREEITEM>(SendMessageW(Handle(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void TCustomTreeView::Expand(HTREEITEM item)
{
    SendMessageW(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}
