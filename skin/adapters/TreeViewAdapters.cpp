#include "skin/adapters/TreeViewAdapters.h"

#include "skin/adapters/AdapterQueries.h"
#include "skin/adapters/HeaderPainting.h"
#include "skin/adapters/SkinnedScrollBars.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/SectionPainting.h"
#include "skin/core/SkinImagePainting.h"
#include "skin/core/PropertyRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "vcl/Controls.h"
#include "vcl/GdiHandles.h"
#include "vcl/Graphics.h"
#include "vcl/ListViews.h"
#include "vcl/TypInfo.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

using ks::adapters::Destroying;

namespace {

constexpr const char* TextColourNames[3] = {"CompressedTextColor", "FileTextColor", "FolderTextColor"};

// The method property name of object when it takes delegates of type D; nullptr otherwise.
template <class Sig>
const ks::PropertyInfo* EventOf(TObject* object, const char* name)
{
    auto* persistent = dynamic_cast<TPersistent*>(object);
    const ks::PropertyInfo* p = persistent ? ks::FindProperty(persistent->ClassInfo(), name) : nullptr;
    return p && p->Kind == ks::PropKind::Method && p->Set && p->Signature == &ks::SignatureTag<Sig> ? p : nullptr;
}

TMethod EventValue(TObject* object, const ks::PropertyInfo& p)
{
    return std::get<TMethod>(p.Get(*dynamic_cast<TPersistent*>(object)));
}

std::wstring WideProperty(TObject* object, const char* name)
{
    auto* persistent = dynamic_cast<TPersistent*>(object);
    const ks::PropertyInfo* p = persistent ? ks::FindProperty(persistent->ClassInfo(), name) : nullptr;
    if (!p || p->Kind != ks::PropKind::WideString)
        return {};
    return std::get<std::wstring>(p->Get(*persistent));
}

} // namespace

// ---- tree view ------------------------------------------------------------------------------------

void TacTreeViewWnd::SaveControlColors()
{
    TacEditWnd::SaveControlColors();
    if (CtrlHandle)
        SavedBkColor = static_cast<COLORREF>(SendMessageW(CtrlHandle, TVM_GETBKCOLOR, 0, 0));
}

void TacTreeViewWnd::RestoreControlColors()
{
    TacEditWnd::RestoreControlColors();
    // The tree's own background again (-1 is the system's window colour), never a system colour
    // code, which the tree would paint purple.
    if (CtrlHandle && IsWindow(CtrlHandle))
        SendMessageW(CtrlHandle, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(SavedBkColor));
}

void TacTreeViewWnd::ApplySkinColors()
{
    TacEditWnd::ApplySkinColors();
    if (!CtrlHandle || !SkinData)
        return;
    if (DlgMode) {
        SendMessageW(CtrlHandle, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(clWindow)));
        return;
    }
    const TsGeneralData* section = SkinData->Section();
    if (!section)
        return;
    if (TControl* owner = SkinData->OwnerControl; owner && !SkinData->CustomFont() &&
                                                  owner->Font()->Color() != section->HotFontColor[0])
        owner->Font()->SetColor(section->HotFontColor[0]);
    if (!SkinData->CustomFont())
        SendMessageW(CtrlHandle, TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(section->HotFontColor[0])));
    const COLORREF back = ColorToRGB(section->HotColor);
    if (!SkinData->CustomColor() && static_cast<COLORREF>(SendMessageW(CtrlHandle, TVM_GETBKCOLOR, 0, 0)) != back)
        SendMessageW(CtrlHandle, TVM_SETBKCOLOR, 0, static_cast<LPARAM>(back));
}

void TacTreeViewWnd::AdapterWndProc(TMessage& m)
{
    if (Destroyed || !SkinData || !SkinData->IsSkinActive()) {
        TacEditWnd::AdapterWndProc(m);
        return;
    }
    auto* tree = dynamic_cast<TCustomTreeView*>(SkinData->OwnerControl);
    if (m.Msg == WM_ERASEBKGND && !(tree && tree->OwnErase())) {
        m.Result = 0;
        if (SkinData->Updating())
            return;
        RebuildCache();
        const TsGeneralData* section = SkinData->Section();
        const TColor colour = DlgMode || !section ? clWindow : section->HotColor;
        if (HDC dc = reinterpret_cast<HDC>(m.WParam))
            FillRectSolid(dc, {0, 0, WndSize.cx, WndSize.cy}, ColorToRGB(colour));
        return;
    }
    TacEditWnd::AdapterWndProc(m);
    if (Destroyed)
        return;
    if (m.Msg == WM_LBUTTONUP && GetCapture() == CtrlHandle)
        ReleaseCapture();
    // The tree sets its scroll state while it paints, and the platform draws its own bar then.
    if (m.Msg == WM_PAINT)
        RefreshScrollBars(this, true);
}

// ---- virtual tree view ----------------------------------------------------------------------------

void TacVirtualTreeViewWnd::SaveControlColors()
{
    TacEditWnd::SaveControlColors();
    TControl* tree = SkinData ? SkinData->OwnerControl : nullptr;
    TObject* colours = ReadObjectProperty(tree, "VETColors");
    for (int i = 0; i < 3; ++i)
        SavedTextColors[i] = colours && PropertyExists(colours, TextColourNames[i])
                                 ? static_cast<TColor>(ReadIntProperty(colours, TextColourNames[i]))
                                 : clNone;
    TObject* header = ReadObjectProperty(tree, "Header");
    SavedOwnerDraw = header && TestSetProperty(header, "Options", "hoOwnerDraw");
}

void TacVirtualTreeViewWnd::ApplySkinColors()
{
    TacEditWnd::ApplySkinColors();
    TControl* tree = SkinData ? SkinData->OwnerControl : nullptr;
    TsSkinManager* manager = SkinData ? SkinData->SkinManager() : nullptr;
    const TsGeneralData* section = SkinData ? SkinData->Section() : nullptr;
    if (!tree || !manager)
        return;
    if (TObject* colours = ReadObjectProperty(tree, "VETColors"); colours && section)
        for (const char* name : TextColourNames)
            if (PropertyExists(colours, name))
                WriteIntProperty(colours, name, static_cast<int>(section->HotFontColor[0]));
    TakeEvents();
    TObject* header = ReadObjectProperty(tree, "Header");
    if (TObject* info = ReadObjectProperty(tree, "PaintInfoColumn")) {
        WriteIntPropertyIfAny(info, "Color", static_cast<int>(manager->GlobalSectionColor()));
        WriteIntPropertyIfAny(info, "Style", 1);
        if (header) {
            WriteIntPropertyIfAny(header, "Color", static_cast<int>(manager->FocusedEditColor()));
            if (TObject* font = ReadObjectProperty(header, "Font"))
                WriteIntPropertyIfAny(font, "Color", static_cast<int>(manager->GlobalSectionFontColor()));
        }
        if (CtrlHandle)
            RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
        WriteIntPropertyIfAny(tree, "Themed", 0);
    }
}

void TacVirtualTreeViewWnd::RestoreControlColors()
{
    TacEditWnd::RestoreControlColors();
    TControl* tree = SkinData ? SkinData->OwnerControl : nullptr;
    if (!tree || Destroying(tree))
        return;
    if (TObject* colours = ReadObjectProperty(tree, "VETColors"))
        for (int i = 0; i < 3; ++i)
            if (SavedTextColors[i] != clNone)
                WriteIntPropertyIfAny(colours, TextColourNames[i], static_cast<int>(SavedTextColors[i]));
    GiveEventsBack();
    TObject* header = ReadObjectProperty(tree, "Header");
    if (header)
        ToggleSetProperty(header, "Options", "hoOwnerDraw", SavedOwnerDraw);
    if (TObject* info = ReadObjectProperty(tree, "PaintInfoColumn")) {
        WriteIntPropertyIfAny(tree, "Themed", 1);
        WriteIntPropertyIfAny(info, "Color", static_cast<int>(clBtnFace));
        if (header) {
            WriteIntPropertyIfAny(header, "Color", static_cast<int>(clBtnFace));
            if (TObject* font = ReadObjectProperty(header, "Font"))
                WriteIntPropertyIfAny(font, "Color", static_cast<int>(clBtnText));
        }
    }
}

void TacVirtualTreeViewWnd::AdapterWndProc(TMessage& m)
{
    if (Destroyed || !SkinData || !SkinData->IsSkinActive()) {
        TacEditWnd::AdapterWndProc(m);
        return;
    }
    switch (m.Msg) {
    case WM_ERASEBKGND: m.Result = 1; return;
    case WM_NCPAINT: {
        m.Result = 0;
        if (!IsWindowVisible(CtrlHandle) || SkinData->Updating())
            return;
        RebuildCache();
        ks::WindowDC dc(CtrlHandle, ks::WindowDC::WholeWindow);
        PaintHeaderBand(dc.get());
        PaintOwnFrame(dc.get(), PRF_NONCLIENT);
        PaintFrame(dc.get(), CurrentScrollTracking().PressedHotPortion);
        return;
    }
    case WM_PRINT: PrintTo(m); return;
    default: TacEditWnd::AdapterWndProc(m); return;
    }
}

// The tree's header lies in the frame, below its border (BorderTop holds both): the tree paints
// it itself, and the skin's strips cover only the border around it.
void TacVirtualTreeViewWnd::PaintOwnFrame(HDC dc, LPARAM flags)
{
    TMessage print{WM_PRINT, reinterpret_cast<WPARAM>(dc), flags, 0};
    CallPrev(print);
}

// The header is as wide as the client area, and the vertical bar starts below the header's
// band: the corner of the band over the bar is no one's to paint. The section's background goes
// there first, and the tree paints its header over the rest.
void TacVirtualTreeViewWnd::PaintHeaderBand(HDC dc)
{
    TBitmap* cache = SkinData->CacheBitmap.get();
    if (cache && !cache->Empty())
        BitBlt(dc, 0, 0, WndSize.cx, std::min(BorderTop, WndSize.cy), cache->Canvas().Handle(), 0, 0, SRCCOPY);
}

void TacVirtualTreeViewWnd::PrintTo(TMessage& m)
{
    HDC dc = reinterpret_cast<HDC>(m.WParam);
    SkinData->BackgroundChanged = true;
    RebuildCache();
    if (!dc)
        return;
    RECT client{};
    GetClientRect(CtrlHandle, &client);
    {
        ks::SavedDC saved(dc);
        POINT origin{};
        GetViewportOrgEx(dc, &origin);
        const TPoint offset = ClientOffset();
        SetViewportOrgEx(dc, origin.x + offset.X, origin.y + offset.Y, nullptr);
        IntersectClipRect(dc, 0, 0, client.right, client.bottom);
        TMessage printClient{WM_PRINTCLIENT, m.WParam, PRF_CLIENT | PRF_ERASEBKGND, 0};
        CallPrev(printClient);
    }
    if (Destroyed)
        return;
    // The tree prints what it keeps in its frame (the header, as tall as the tree says, between
    // the border and the client area) from the message itself; its client is printed already,
    // where it lies, and is not printed again from the window's origin.
    TMessage print = m;
    print.LParam &= ~static_cast<LPARAM>(PRF_CLIENT | PRF_ERASEBKGND);
    if (print.LParam & PRF_NONCLIENT)
        PaintHeaderBand(dc);
    CallPrev(print);
    if (!Destroyed)
        PaintFrame(dc, -1);
}

TacVirtualTreeViewWnd::~TacVirtualTreeViewWnd()
{
    GiveEventsBack();
}

void TacVirtualTreeViewWnd::TakeEvents()
{
    TControl* tree = SkinData ? SkinData->OwnerControl : nullptr;
    const ks::PropertyInfo* draw = EventOf<TacVTHeaderDrawSig>(tree, "OnAdvancedHeaderDraw");
    if (!draw || EventValue(tree, *draw).Assigned())
        return;
    draw->Set(*tree, ks::PropValue{TacVTHeaderDrawEvent(this, &TacVirtualTreeViewWnd::DrawHeaderItem).Method()});
    if (const ks::PropertyInfo* query = EventOf<TacVTHeaderQuerySig>(tree, "OnHeaderDrawQueryElements");
        query && !EventValue(tree, *query).Assigned())
        query->Set(*tree, ks::PropValue{TacVTHeaderQueryEvent(this, &TacVirtualTreeViewWnd::QueryHeaderElements).Method()});
    if (TObject* header = ReadObjectProperty(tree, "Header"))
        ToggleSetProperty(header, "Options", "hoOwnerDraw", true);
}

void TacVirtualTreeViewWnd::GiveEventsBack() noexcept
{
    TControl* tree = SkinData ? SkinData->OwnerControl : nullptr;
    if (!tree || Destroying(tree))
        return;
    // Only the adapter's own handlers go: a handler someone set since stays.
    ks::Guarded([&] {
        if (const ks::PropertyInfo* draw = EventOf<TacVTHeaderDrawSig>(tree, "OnAdvancedHeaderDraw");
            draw && EventValue(tree, *draw) == TacVTHeaderDrawEvent(this, &TacVirtualTreeViewWnd::DrawHeaderItem).Method())
            draw->Set(*tree, ks::PropValue{TMethod{}});
        if (const ks::PropertyInfo* query = EventOf<TacVTHeaderQuerySig>(tree, "OnHeaderDrawQueryElements");
            query &&
            EventValue(tree, *query) == TacVTHeaderQueryEvent(this, &TacVirtualTreeViewWnd::QueryHeaderElements).Method())
            query->Set(*tree, ks::PropValue{TMethod{}});
    });
}

void TacVirtualTreeViewWnd::QueryHeaderElements(TObject*, int& elements)
{
    elements = VTHeaderElements;
}

void TacVirtualTreeViewWnd::DrawHeaderItem(TObject* header, HDC dc, const TRect& r, TObject* column, int state)
{
    TsSkinManager* manager = SkinData ? SkinData->SkinManager() : nullptr;
    if (!manager)
        return;
    const TColor fill = SkinData->Section() ? SkinData->Section()->Color : clWindow;
    if (!column) {
        ks::adapters::PaintHeaderItem(*manager, dc, r, state, fill, nullptr);
        return;
    }
    ks::adapters::HeaderItemContent look;
    look.Text = WideProperty(column, "Text");
    auto* font = dynamic_cast<TFont*>(ReadObjectProperty(header, "Font"));
    look.Font = font ? font->Handle() : nullptr;
    const int direction = PropertyExists(column, "SortDirection") ? ReadIntProperty(column, "SortDirection") : 0;
    look.Sort = direction == 1   ? ks::adapters::HeaderSort::Ascending
                : direction == 2 ? ks::adapters::HeaderSort::Descending
                                 : ks::adapters::HeaderSort::None;
    ks::adapters::PaintHeaderItem(*manager, dc, r, state, fill, &look);
}
