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

class TacVirtualTreeViewWnd : public TacEditWnd {
public:
    const char* ClassName() const noexcept override { return "TacVirtualTreeViewWnd"; }
    using TacEditWnd::TacEditWnd;

    void SaveControlColors() override;
    void RestoreControlColors() override;
    void ApplySkinColors() override;
    void AdapterWndProc(TMessage& message) override;

    // "VETColors": CompressedTextColor, FileTextColor, FolderTextColor before skinning.
    TColor SavedTextColors[3] = {clNone, clNone, clNone};
    // The header's "Options" held "hoOwnerDraw" before skinning.
    bool SavedOwnerDraw = false;

private:
    // The height of the control's visible header, 0 when it shows none.
    int HeaderHeight() const;
};
