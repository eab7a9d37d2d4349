#pragma once
// Adapters of tree views: the platform's tree view ("SysTreeView32"), whose background follows
// the section's hot colour and which erases its own background, and virtual tree views of other
// component sets, coloured through their published properties ("VETColors", "Header",
// "PaintInfoColumn", "Themed").

#include "skin/adapters/ScrollWindowAdapters.h"

class TacTreeViewWnd : public TacEditWnd {
public:
    const char* ClassName() const noexcept override { return "TacTreeViewWnd"; }
    using TacEditWnd::TacEditWnd;

    void SaveControlColors() override;
    void RestoreControlColors() override;
    void ApplySkinColors() override;
    void AdapterWndProc(TMessage& message) override;

    // TVM_GETBKCOLOR before skinning.
    COLORREF SavedBkColor = 0xFFFFFFFF; // CLR_NONE until saved
};

// The header events of a virtual tree as the adapter takes them over: "OnAdvancedHeaderDraw"
// draws one header item into dc (column nullptr: the space after the last column; state 0
// normal, 1 hot, 2 pressed), "OnHeaderDrawQueryElements" names the elements the drawer paints.
// A tree whose events have other signatures keeps them.
using TacVTHeaderDrawSig = void(TObject* header, HDC dc, const TRect& r, TObject* column, int state);
using TacVTHeaderQuerySig = void(TObject* header, int& elements);
using TacVTHeaderDrawEvent = TDelegate<TacVTHeaderDrawSig>;
using TacVTHeaderQueryEvent = TDelegate<TacVTHeaderQuerySig>;
// What the adapter's drawer paints: background, sort glyph and text.
inline constexpr int VTHeaderElements = 0x1B;

class TacVirtualTreeViewWnd : public TacEditWnd {
public:
    const char* ClassName() const noexcept override { return "TacVirtualTreeViewWnd"; }
    using TacEditWnd::TacEditWnd;
    // Takes its events off the tree if the tree still holds them.
    ~TacVirtualTreeViewWnd() override;

    void SaveControlColors() override;
    void RestoreControlColors() override;
    void ApplySkinColors() override;
    void AdapterWndProc(TMessage& message) override;

    // "VETColors": CompressedTextColor, FileTextColor, FolderTextColor before skinning.
    TColor SavedTextColors[3] = {clNone, clNone, clNone};
    // The header's "Options" held "hoOwnerDraw" before skinning.
    bool SavedOwnerDraw = false;

    // The adapter's header drawer: the column's "Text" in the header's "Font" over the
    // "COLHEADER" (or "BUTTON") section, with the sort glyph of the column's "SortDirection"
    // (1 ascending, 2 descending).
    void DrawHeaderItem(TObject* header, HDC dc, const TRect& r, TObject* column, int state);
    void QueryHeaderElements(TObject* header, int& elements);

private:
    void PaintOwnFrame(HDC dc, LPARAM flags);
    // The frame's band above the client area, from the cache: what the tree's header leaves
    // of it (over the vertical bar's column) would otherwise keep whatever was there.
    void PaintHeaderBand(HDC dc);
    void PrintTo(TMessage& m);
    void TakeEvents();
    void GiveEventsBack() noexcept;
};
