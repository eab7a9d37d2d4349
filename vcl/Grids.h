#pragma once
// A small string grid that draws itself: a table of text cells with fixed (title) rows and
// columns at the top and left, grid lines, one selected cell, and the window's own scroll bars
// moving the first shown row and column. Its colours are published so that a skin can set them
// by name: FixedColor, GridLineColor, SelectionColor, SelectionTextColor, FixedFont and, under
// ControlLook, the gradient of the fixed cells.

#include "vcl/Graphics.h"
#include "vcl/WinControl.h"

#include <memory>
#include <string>
#include <vector>

// The look of the fixed cells: a vertical gradient from FixedGradientFrom to FixedGradientTo, or
// FixedColor while either is clNone.
class TGridControlLook : public TPersistent {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    TColor FixedGradientFrom() const noexcept { return FFrom; }
    void SetFixedGradientFrom(TColor value) noexcept { FFrom = value; }
    TColor FixedGradientTo() const noexcept { return FTo; }
    void SetFixedGradientTo(TColor value) noexcept { FTo = value; }

private:
    TColor FFrom = clNone;
    TColor FTo = clNone;
};

class TStringGrid : public TCustomControl {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override;

    explicit TStringGrid(TComponent* owner);

    // Counts may be 0; fixed counts never exceed them.
    int ColCount() const noexcept { return FColCount; }
    void SetColCount(int value);
    int RowCount() const noexcept { return FRowCount; }
    void SetRowCount(int value);
    int FixedCols() const noexcept { return FFixedCols; }
    void SetFixedCols(int value);
    int FixedRows() const noexcept { return FFixedRows; }
    void SetFixedRows(int value);
    int DefaultColWidth() const noexcept { return FColWidth; }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const noexcept { return FRowHeight; }
    void SetDefaultRowHeight(int value);
    // The first scrolling row and column shown.
    int TopRow() const noexcept { return FTopRow; }
    void SetTopRow(int value);
    int LeftCol() const noexcept { return FLeftCol; }
    void SetLeftCol(int value);
    int Row() const noexcept { return FRow; }
    int Col() const noexcept { return FCol; }
    void SetSelection(int col, int row);

    // Empty outside the grid.
    std::wstring Cells(int col, int row) const;
    void SetCells(int col, int row, const std::wstring& text);

    TColor FixedColor() const noexcept { return FFixedColor; }
    void SetFixedColor(TColor value);
    TColor GridLineColor() const noexcept { return FGridLineColor; }
    void SetGridLineColor(TColor value);
    TColor SelectionColor() const noexcept { return FSelectionColor; }
    void SetSelectionColor(TColor value);
    TColor SelectionTextColor() const noexcept { return FSelectionTextColor; }
    void SetSelectionTextColor(TColor value);
    TFont* FixedFont() const noexcept { return FFixedFont.get(); }
    TGridControlLook* ControlLook() const noexcept { return FControlLook.get(); }

    // The rectangle of a cell in client coordinates; empty when it is not shown.
    TRect CellRect(int col, int row) const;

    void Dispatch(TMessage& message) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;

private:
    void Changed();
    void UpdateScrollBars();
    void Scroll(int bar, int code);
    int ScrollingRows() const noexcept { return FRowCount - FFixedRows; }
    int ScrollingCols() const noexcept { return FColCount - FFixedCols; }
    // Whole scrolling rows and columns that fit beside the fixed ones (at least 1).
    int VisibleRows() const;
    int VisibleCols() const;
    void PaintCell(int col, int row, const TRect& r);

    int FColCount = 5;
    int FRowCount = 5;
    int FFixedCols = 1;
    int FFixedRows = 1;
    int FColWidth = 64;
    int FRowHeight = 24;
    int FTopRow = 1;
    int FLeftCol = 1;
    int FRow = 1;
    int FCol = 1;
    std::vector<std::vector<std::wstring>> FCells;
    TColor FFixedColor = clBtnFace;
    TColor FGridLineColor = clSilver;
    TColor FSelectionColor = clHighlight;
    TColor FSelectionTextColor = clHighlightText;
    std::unique_ptr<TFont> FFixedFont;
    std::unique_ptr<TGridControlLook> FControlLook;
};
