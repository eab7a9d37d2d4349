#include "skin/adapters/TreeViewAdapters.h"

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
#include "vcl/TypInfo.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace {

constexpr const char* TextColourNames[3] = {"CompressedTextColor", "FileTextColor", "FolderTextColor"};

bool Destroying(const TComponent* c) noexcept
{
    return c && c->ComponentState().Contains(csDestroying);
}

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
    if (m.Msg == WM_ERASEBKGND) {
        m.Result = 0;
        if (SkinData->Updating())
            return;
        RECT client{};
        GetClientRect(CtrlHandle, &client);
        const TsGeneralData* section = SkinData->Section();
        const TColor colour = DlgMode || !section ? clWindow : section->HotColor;
        if (HDC dc = reinterpret_cast<HDC>(m.WParam))
            FillRectSolid(dc, {client.left, client.top, client.right, client.bottom}, ColorToRGB(colour));
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

int TacVirtualTreeViewWnd::HeaderHeight() const
{
    TObject* header = SkinData ? ReadObjectProperty(SkinData->OwnerControl, "Header") : nullptr;
    if (!header || !TestSetProperty(header, "Options", "hoVisible"))
        return 0;
    return std::max(ReadIntProperty(header, "Height"), 0);
}

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
        if (!IsWindowVisible(CtrlHandle) || SkinData->Updating()) {
            m.Result = 0;
            return;
        }
        GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
        if (SkinData->BackgroundChanged) {
            if (!ParamsApplied)
                ApplySkinColors();
            PrepareWindowCache(SkinData, CtrlHandle, DlgMode);
            DrawWndBorder(SkinData, nullptr, this);
        }
        ks::WindowDC dc(CtrlHandle, ks::WindowDC::WholeWindow);
        if (TBitmap* cache = SkinData->CacheBitmap.get(); cache && !cache->Empty())
            CopyFrameStrips(dc.get(), 0, 0, WndSize.cx, WndSize.cy, cache->Canvas().Handle(), 0, 0, BorderLeft);
        DrawScrollBars(this, CtrlHandle, dc.get(), CurrentScrollTracking().PressedHotPortion);
        m.Result = 0;
        return;
    }
    case WM_PRINT: {
        HDC dc = reinterpret_cast<HDC>(m.WParam);
        GetWndPosition(CtrlHandle, ParentWnd, WndRect, ParentRect, WndSize, WndPos);
        SkinData->BackgroundChanged = true;
        if (!ParamsApplied)
            ApplySkinColors();
        PrepareWindowCache(SkinData, CtrlHandle, DlgMode);
        DrawWndBorder(SkinData, nullptr, this);
        if (!dc)
            return;
        RECT client{};
        GetClientRect(CtrlHandle, &client);
        const int saved = SaveDC(dc);
        POINT origin{};
        GetViewportOrgEx(dc, &origin);
        SetViewportOrgEx(dc, origin.x + BorderLeft, origin.y + BorderTop, nullptr);
        // The header lies in the frame's top band and is the control's own to paint.
        IntersectClipRect(dc, 0, -HeaderHeight(), client.right, client.bottom);
        TMessage printClient{WM_PRINTCLIENT, m.WParam, PRF_CLIENT | PRF_ERASEBKGND, 0};
        CallPrev(printClient);
        RestoreDC(dc, saved);
        if (TBitmap* cache = SkinData->CacheBitmap.get(); cache && !cache->Empty())
            CopyFrameStrips(dc, 0, 0, WndSize.cx, WndSize.cy, cache->Canvas().Handle(), 0, 0, BorderLeft);
        DrawScrollBars(this, CtrlHandle, dc, -1);
        return;
    }
    default: TacEditWnd::AdapterWndProc(m); return;
    }
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
    if (!dc || !manager || r.Width() <= 0 || r.Height() <= 0)
        return;
    const char* name = "COLHEADER";
    int section = manager->FindSection(name);
    if (section < 0) {
        name = "BUTTON";
        section = manager->FindSection(name);
    }
    state = std::clamp(state, 0, 2);
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(r.Width(), r.Height());
    CacheInfo ci;
    ci.Ready = true;
    ci.FillColor = SkinData->Section() ? SkinData->Section()->Color : clWindow;
    const TRect all{0, 0, r.Width(), r.Height()};
    if (section >= 0)
        PaintSectionByIndex(section, name, ci, true, state, all, {r.Left, r.Top}, &bmp, manager, -1, -1);
    else
        FillRectSolid(bmp.Canvas().Handle(), all, ci.FillColor);
    if (column) {
        TRect area{4, 0, r.Width() - 4, r.Height()};
        const int direction = PropertyExists(column, "SortDirection") ? ReadIntProperty(column, "SortDirection") : 0;
        const int glyph = direction == 1 ? manager->CommonIndexes.ScrollBtnGlyph[0]
                          : direction == 2 ? manager->CommonIndexes.ScrollBtnGlyph[1]
                                           : -1;
        if (manager->MaskIndexValid(glyph)) {
            const TsMaskData& mask = manager->MaskArray[static_cast<size_t>(glyph)];
            const int w = mask.ImageCount > 0 ? mask.R.Width() / mask.ImageCount : 0;
            const int h = mask.R.Height() / (std::max<int>(mask.MaskType, 0) + 1);
            if (w > 0 && h > 0 && w < area.Width()) {
                PaintStateGlyph(bmp, {area.Right - w, (r.Height() - h) / 2}, 0, 1, mask, ci);
                area.Right -= w + 2;
            }
        }
        HDC bdc = bmp.Canvas().Handle();
        auto* font = dynamic_cast<TFont*>(ReadObjectProperty(header, "Font"));
        HGDIOBJ old = SelectObject(bdc, font ? font->Handle() : GetStockObject(DEFAULT_GUI_FONT));
        const TsGeneralData* s = manager->SectionIndexValid(section) ? &manager->GeneralDataArray[static_cast<size_t>(section)]
                                                                     : nullptr;
        SetTextColor(bdc, ColorToRGB(s ? (state == 0 ? s->FontColor[0] : s->HotFontColor[0]) : clBtnText));
        SetBkMode(bdc, TRANSPARENT);
        if (state == 2)
            area = {area.Left + 1, area.Top + 1, area.Right + 1, area.Bottom + 1};
        const std::wstring text = WideProperty(column, "Text");
        RECT tr{area.Left, area.Top, area.Right, area.Bottom};
        DrawTextW(bdc, text.c_str(), static_cast<int>(text.size()), &tr,
                  DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
        SelectObject(bdc, old);
    }
    GdiFlush();
    BitBlt(dc, r.Left, r.Top, r.Width(), r.Height(), bmp.Canvas().Handle(), 0, 0, SRCCOPY);
}
