#include "vcl/Grids.h"

#include "vcl/TypInfo.h"

#include <algorithm>

namespace {

const ks::PropertyInfo ControlLookProps[] = {
    ks::Prop<&TGridControlLook::FixedGradientFrom, &TGridControlLook::SetFixedGradientFrom>("FixedGradientFrom")
        .Idents("TColor").DefaultIs(clNone),
    ks::Prop<&TGridControlLook::FixedGradientTo, &TGridControlLook::SetFixedGradientTo>("FixedGradientTo")
        .Idents("TColor").DefaultIs(clNone),
};
const ks::PropertyInfo GridProps[] = {
    ks::Prop<&TStringGrid::ColCount, &TStringGrid::SetColCount>("ColCount").DefaultIs(5),
    ks::Prop<&TStringGrid::RowCount, &TStringGrid::SetRowCount>("RowCount").DefaultIs(5),
    ks::Prop<&TStringGrid::FixedCols, &TStringGrid::SetFixedCols>("FixedCols").DefaultIs(1),
    ks::Prop<&TStringGrid::FixedRows, &TStringGrid::SetFixedRows>("FixedRows").DefaultIs(1),
    ks::Prop<&TStringGrid::DefaultColWidth, &TStringGrid::SetDefaultColWidth>("DefaultColWidth").DefaultIs(64),
    ks::Prop<&TStringGrid::DefaultRowHeight, &TStringGrid::SetDefaultRowHeight>("DefaultRowHeight").DefaultIs(24),
    ks::Prop<&TStringGrid::FixedColor, &TStringGrid::SetFixedColor>("FixedColor").Idents("TColor").DefaultIs(clBtnFace),
    ks::Prop<&TStringGrid::GridLineColor, &TStringGrid::SetGridLineColor>("GridLineColor").Idents("TColor").DefaultIs(clSilver),
    ks::Prop<&TStringGrid::SelectionColor, &TStringGrid::SetSelectionColor>("SelectionColor").Idents("TColor")
        .DefaultIs(clHighlight),
    ks::Prop<&TStringGrid::SelectionTextColor, &TStringGrid::SetSelectionTextColor>("SelectionTextColor")
        .Idents("TColor").DefaultIs(clHighlightText),
    ks::Prop<&TStringGrid::FixedFont>("FixedFont"),
    ks::Prop<&TStringGrid::ControlLook>("ControlLook"),
};

int Channel(TColor c, int shift) { return (static_cast<int>(ColorToRGB(c)) >> shift) & 0xFF; }

} // namespace

const ks::ClassInfo TGridControlLook::StaticClassInfo{"TGridControlLook", &TPersistent::StaticClassInfo, ControlLookProps, {}};
const ks::ClassInfo TStringGrid::StaticClassInfo{"TStringGrid", &TCustomControl::StaticClassInfo, GridProps, {}};
const ks::ClassInfo& TGridControlLook::ClassInfo() const noexcept { return StaticClassInfo; }
const ks::ClassInfo& TStringGrid::ClassInfo() const noexcept { return StaticClassInfo; }

TStringGrid::TStringGrid(TComponent* owner)
    : TCustomControl(owner), FFixedFont(std::make_unique<TFont>()), FControlLook(std::make_unique<TGridControlLook>())
{
    SetBounds(0, 0, 320, 120);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

void TStringGrid::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style |= WS_HSCROLL | WS_VSCROLL;
    params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TStringGrid::Changed()
{
    FFixedRows = std::clamp(FFixedRows, 0, FRowCount);
    FFixedCols = std::clamp(FFixedCols, 0, FColCount);
    FTopRow = std::clamp(FTopRow, FFixedRows, std::max(FFixedRows, FRowCount - 1));
    FLeftCol = std::clamp(FLeftCol, FFixedCols, std::max(FFixedCols, FColCount - 1));
    FRow = std::clamp(FRow, FFixedRows, std::max(FFixedRows, FRowCount - 1));
    FCol = std::clamp(FCol, FFixedCols, std::max(FFixedCols, FColCount - 1));
    UpdateScrollBars();
    Invalidate();
}

void TStringGrid::SetColCount(int value) { FColCount = std::max(value, 0); Changed(); }
void TStringGrid::SetRowCount(int value) { FRowCount = std::max(value, 0); Changed(); }
void TStringGrid::SetFixedCols(int value) { FFixedCols = std::max(value, 0); Changed(); }
void TStringGrid::SetFixedRows(int value) { FFixedRows = std::max(value, 0); Changed(); }
void TStringGrid::SetDefaultColWidth(int value) { FColWidth = std::max(value, 1); Changed(); }
void TStringGrid::SetDefaultRowHeight(int value) { FRowHeight = std::max(value, 1); Changed(); }
void TStringGrid::SetTopRow(int value) { FTopRow = value; Changed(); }
void TStringGrid::SetLeftCol(int value) { FLeftCol = value; Changed(); }
void TStringGrid::SetSelection(int col, int row) { FCol = col; FRow = row; Changed(); }
void TStringGrid::SetFixedColor(TColor value) { FFixedColor = value; Invalidate(); }
void TStringGrid::SetGridLineColor(TColor value) { FGridLineColor = value; Invalidate(); }
void TStringGrid::SetSelectionColor(TColor value) { FSelectionColor = value; Invalidate(); }
void TStringGrid::SetSelectionTextColor(TColor value) { FSelectionTextColor = value; Invalidate(); }

std::wstring TStringGrid::Cells(int col, int row) const
{
    if (row < 0 || row >= static_cast<int>(FCells.size()) || col < 0 || col >= static_cast<int>(FCells[row].size()))
        return {};
    return FCells[row][col];
}

void TStringGrid::SetCells(int col, int row, const std::wstring& text)
{
    if (col < 0 || row < 0)
        return;
    if (static_cast<int>(FCells.size()) <= row)
        FCells.resize(static_cast<size_t>(row) + 1);
    if (static_cast<int>(FCells[row].size()) <= col)
        FCells[row].resize(static_cast<size_t>(col) + 1);
    FCells[row][col] = text;
    Invalidate();
}

int TStringGrid::VisibleRows() const
{
    const int room = ClientHeight() - FFixedRows * FRowHeight;
    return std::max(room / FRowHeight, 1);
}

int TStringGrid::VisibleCols() const
{
    const int room = ClientWidth() - FFixedCols * FColWidth;
    return std::max(room / FColWidth, 1);
}

TRect TStringGrid::CellRect(int col, int row) const
{
    if (col < 0 || row < 0 || col >= FColCount || row >= FRowCount)
        return {};
    if ((col >= FFixedCols && col < FLeftCol) || (row >= FFixedRows && row < FTopRow))
        return {};
    const int x = col < FFixedCols ? col * FColWidth : (FFixedCols + col - FLeftCol) * FColWidth;
    const int y = row < FFixedRows ? row * FRowHeight : (FFixedRows + row - FTopRow) * FRowHeight;
    return {x, y, x + FColWidth, y + FRowHeight};
}

void TStringGrid::UpdateScrollBars()
{
    HWND wnd = HandleIfAllocated();
    if (!wnd)
        return;
    SCROLLINFO v{sizeof v, SIF_ALL | SIF_DISABLENOSCROLL, 0, std::max(ScrollingRows() - 1, 0),
                 static_cast<UINT>(VisibleRows()), FTopRow - FFixedRows, 0};
    SetScrollInfo(wnd, SB_VERT, &v, TRUE);
    SCROLLINFO h{sizeof h, SIF_ALL | SIF_DISABLENOSCROLL, 0, std::max(ScrollingCols() - 1, 0),
                 static_cast<UINT>(VisibleCols()), FLeftCol - FFixedCols, 0};
    SetScrollInfo(wnd, SB_HORZ, &h, TRUE);
}

void TStringGrid::Scroll(int bar, int code)
{
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(Handle(), bar, &si);
    int pos = si.nPos;
    const int page = std::max(static_cast<int>(si.nPage), 1);
    switch (code) {
    case SB_LINEUP: --pos; break;
    case SB_LINEDOWN: ++pos; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
    }
    pos = std::clamp(pos, 0, std::max(si.nMax - page + 1, 0));
    if (bar == SB_VERT)
        SetTopRow(FFixedRows + pos);
    else
        SetLeftCol(FFixedCols + pos);
}

void TStringGrid::PaintCell(int col, int row, const TRect& r)
{
    TCanvas& canvas = Canvas();
    const bool fixed = col < FFixedCols || row < FFixedRows;
    const bool selected = !fixed && col == FCol && row == FRow;
    const TColor from = FControlLook->FixedGradientFrom();
    const TColor to = FControlLook->FixedGradientTo();
    if (fixed && from != clNone && to != clNone && r.Height() > 0) {
        for (int y = r.Top; y < r.Bottom; ++y) {
            const int t = y - r.Top;
            const int h = std::max(r.Height() - 1, 1);
            auto mix = [&](int shift) { return Channel(from, shift) + (Channel(to, shift) - Channel(from, shift)) * t / h; };
            canvas.Brush().SetColor(static_cast<TColor>(mix(0) | (mix(8) << 8) | (mix(16) << 16)));
            canvas.FillRect({r.Left, y, r.Right, y + 1});
        }
    } else {
        canvas.Brush().SetColor(fixed ? FFixedColor : selected ? FSelectionColor : Color());
        canvas.FillRect(r);
    }
    canvas.Brush().SetColor(FGridLineColor);
    canvas.FillRect({r.Right - 1, r.Top, r.Right, r.Bottom});
    canvas.FillRect({r.Left, r.Bottom - 1, r.Right, r.Bottom});
    const std::wstring text = Cells(col, row);
    if (text.empty())
        return;
    canvas.Font().Assign(fixed ? FFixedFont.get() : Font());
    if (selected)
        canvas.Font().SetColor(FSelectionTextColor);
    canvas.Brush().SetStyle(bsClear);
    TRect inner{r.Left + 3, r.Top, r.Right - 3, r.Bottom - 1};
    canvas.DrawText(text, inner, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    canvas.Brush().SetStyle(bsSolid);
}

void TStringGrid::Paint()
{
    TCanvas& canvas = Canvas();
    const TRect client = ClientRect();
    canvas.Brush().SetColor(Color());
    canvas.FillRect(client);
    const int lastRow = std::min(FRowCount, FTopRow + VisibleRows() + 1);
    const int lastCol = std::min(FColCount, FLeftCol + VisibleCols() + 1);
    for (int row = 0; row < lastRow; ++row) {
        if (row >= FFixedRows && row < FTopRow)
            continue;
        for (int col = 0; col < lastCol; ++col) {
            const TRect r = CellRect(col, row);
            if (r.Width() > 0)
                PaintCell(col, row, r);
        }
    }
}

void TStringGrid::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_VSCROLL:
    case WM_HSCROLL:
        Scroll(message.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(message.WParam));
        message.Result = 0;
        return;
    case WM_SIZE:
        TCustomControl::Dispatch(message);
        UpdateScrollBars();
        return;
    case WM_CREATE:
        TCustomControl::Dispatch(message);
        UpdateScrollBars();
        return;
    default: TCustomControl::Dispatch(message); return;
    }
}
