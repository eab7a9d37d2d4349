#include "skin/adapters/TreeViewAdapters.h"

#include "skin/adapters/SkinnedScrollBars.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/PropertyRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "vcl/Controls.h"
#include "vcl/GdiHandles.h"
#include "vcl/Graphics.h"

#include <commctrl.h>

namespace {

constexpr const char* TextColourNames[3] = {"CompressedTextColor", "FileTextColor", "FolderTextColor"};

bool Destroying(const TComponent* c) noexcept
{
    return c && c->ComponentState().Contains(csDestroying);
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
