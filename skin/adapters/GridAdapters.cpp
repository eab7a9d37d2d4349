#include "skin/adapters/GridAdapters.h"

#include "skin/adapters/SkinnedScrollBars.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/PropertyRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Controls.h"
#include "vcl/Graphics.h"

#include <array>

namespace {

// Where a colour lives: a property of the grid, or of the object in one of its properties.
struct GridColour {
    const char* Holder;  // nullptr: the grid itself
    const char* Property;
    bool NeedsControlLook;
    enum Value { GlobalColour, GlobalFont, SkinGlobal, LineBlend, GradientFrom, GradientTo, Highlight, HighlightFont,
                 InfoColour, SectionFont } What;
};

constexpr std::array<GridColour, 13> GridColours{{
    {nullptr, "FixedColor", false, GridColour::GlobalColour},
    {"TitleFont", "Color", false, GridColour::GlobalFont},
    {"FixedFont", "Color", true, GridColour::GlobalFont},
    {nullptr, "GridFixedLineColor", true, GridColour::SkinGlobal},
    {nullptr, "GridLineColor", true, GridColour::LineBlend},
    {"ControlLook", "FixedGradientFrom", false, GridColour::GradientFrom},
    {"ControlLook", "FixedGradientTo", false, GridColour::GradientTo},
    {nullptr, "SelectionColor", true, GridColour::Highlight},
    {nullptr, "SelectionTextColor", true, GridColour::HighlightFont},
    {nullptr, "FooterColor", false, GridColour::InfoColour},
    {nullptr, "FooterCellColor", false, GridColour::InfoColour},
    {nullptr, "TitleColor", false, GridColour::InfoColour},
    {nullptr, "IndicatorIconColor", false, GridColour::SectionFont},
}};

// The object holding the entry's property; nullptr when the grid lacks it (or ControlLook for an
// entry that needs it).
TObject* Holder(TObject* grid, const GridColour& c)
{
    if (!grid || (c.NeedsControlLook && !PropertyExists(grid, "ControlLook")))
        return nullptr;
    TObject* holder = c.Holder ? static_cast<TObject*>(ReadObjectProperty(grid, c.Holder)) : grid;
    return holder && PropertyExists(holder, c.Property) ? holder : nullptr;
}

// The colour the skin gives the entry; clNone when the skin has none to give.
TColor SkinValue(const GridColour& c, TsSkinManager& m, const TsCommonData& data)
{
    switch (c.What) {
    case GridColour::GlobalColour: return m.GlobalSectionColor();
    case GridColour::GlobalFont: return m.GlobalSectionFontColor();
    // The loaded skin's values hold no global colour of their own for fixed lines: they stay as
    // they are.
    case GridColour::SkinGlobal: return clNone;
    case GridColour::LineBlend:
        return BlendColors(ColorToRGB(m.FocusedEditColor()), ColorToRGB(m.FocusedEditFontColor()), 0.5);
    case GridColour::GradientFrom:
        return BlendColors(ColorToRGB(m.GlobalSectionColor()), ColorToRGB(m.FocusedEditColor()), 0.5);
    case GridColour::GradientTo: return m.GlobalSectionColor();
    case GridColour::Highlight: return m.HighlightColorOf();
    case GridColour::HighlightFont: return m.HighlightFontColorOf();
    case GridColour::InfoColour: {
        const int global = m.FindSection("GLOBALINFO");
        return m.SectionIndexValid(global) ? m.GeneralDataArray[static_cast<size_t>(global)].Color : clNone;
    }
    case GridColour::SectionFont: return data.Section() ? data.Section()->FontColor[0] : clNone;
    }
    return clNone;
}

} // namespace

void TacGridWnd::SaveControlColors()
{
    TacEditWnd::SaveControlColors();
    TObject* grid = SkinData ? SkinData->OwnerControl : nullptr;
    SavedGridColors.assign(GridColours.size(), clNone);
    for (size_t i = 0; i < GridColours.size(); ++i) {
        const GridColour& c = GridColours[i];
        if (TObject* holder = Holder(grid, c)) {
            TColor value = static_cast<TColor>(ReadIntProperty(holder, c.Property));
            if (value == clNone && (c.What == GridColour::GradientFrom || c.What == GridColour::GradientTo))
                value = clBtnFace;
            SavedGridColors[i] = value;
        }
    }
}

void TacGridWnd::RestoreControlColors()
{
    TacEditWnd::RestoreControlColors();
    auto* grid = SkinData ? SkinData->OwnerControl : nullptr;
    if (!grid || grid->ComponentState().Contains(csDestroying) || SavedGridColors.size() != GridColours.size())
        return;
    for (size_t i = 0; i < GridColours.size(); ++i)
        if (TObject* holder = Holder(grid, GridColours[i]); holder && SavedGridColors[i] != clNone)
            WriteIntProperty(holder, GridColours[i].Property, static_cast<int>(SavedGridColors[i]));
    grid->Invalidate();
}

void TacGridWnd::ApplySkinColors()
{
    TacEditWnd::ApplySkinColors();
    TControl* grid = SkinData ? SkinData->OwnerControl : nullptr;
    TsSkinManager* manager = SkinData ? SkinData->SkinManager() : nullptr;
    if (!grid || !manager)
        return;
    for (const GridColour& c : GridColours) {
        TObject* holder = Holder(grid, c);
        const TColor value = holder ? SkinValue(c, *manager, *SkinData) : clNone;
        if (value != clNone && ReadIntProperty(holder, c.Property) != static_cast<int>(value))
            WriteIntProperty(holder, c.Property, static_cast<int>(value));
    }
    grid->Invalidate();
}

void TacGridWnd::AdapterWndProc(TMessage& m)
{
    GridWndProc(m);
}

void TacGridWnd::GridWndProc(TMessage& m)
{
    if (Destroyed || !SkinData || !SkinData->IsSkinActive()) {
        TacEditWnd::AdapterWndProc(m);
        return;
    }
    if (m.Msg == WM_VSCROLL && PropertyExists(SkinData->OwnerControl, "DataSource")) {
        const int code = LOWORD(m.WParam);
        if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) {
            SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
            GetScrollInfo(CtrlHandle, SB_VERT, &si);
            SCROLLINFO pos{sizeof pos, SIF_POS, 0, 0, 0, code == SB_THUMBPOSITION ? si.nTrackPos + 1 : si.nTrackPos, 0};
            SetScrollInfo(CtrlHandle, SB_VERT, &pos, FALSE);
        }
    }
    TacEditWnd::AdapterWndProc(m);
    if (Destroyed)
        return;
    switch (m.Msg) {
    case WM_PRINT:
        if (HDC dc = reinterpret_cast<HDC>(m.WParam)) {
            RECT client{};
            GetClientRect(CtrlHandle, &client);
            const int saved = SaveDC(dc);
            POINT origin{};
            GetViewportOrgEx(dc, &origin);
            const TPoint offset = ClientOffset();
            SetViewportOrgEx(dc, origin.x + offset.X, origin.y + offset.Y, nullptr);
            IntersectClipRect(dc, 0, 0, client.right, client.bottom);
            SendMessageW(CtrlHandle, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
            RestoreDC(dc, saved);
        }
        break;
    case WM_PAINT: RefreshScrollBars(this, true); break;
    case WM_WINDOWPOSCHANGED:
        if (IsWindowVisible(CtrlHandle))
            SendMessageW(CtrlHandle, WM_NCPAINT, 0, 0);
        break;
    default: break;
    }
}
