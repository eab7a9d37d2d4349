#pragma once
// Adapters of grids: the class library's string grid and grids of other component sets. A grid
// is coloured through its published properties, found by name at run time ("FixedColor",
// "TitleFont", "ControlLook" ...); a property the grid does not publish is left alone. Grids keep
// their visual style. A data-aware grid (one with "DataSource") gets its vertical slider's
// position corrected, as such grids count their rows from 1.

#include "skin/adapters/ScrollWindowAdapters.h"

#include <vector>

class TacGridWnd : public TacEditWnd {
public:
    const char* ClassName() const noexcept override { return "TacGridWnd"; }
    using TacEditWnd::TacEditWnd;

    void SaveControlColors() override;
    void RestoreControlColors() override;
    void ApplySkinColors() override;
    void AdapterWndProc(TMessage& message) override;

    // The grid's colours before skinning, one per entry of the colour table (clNone where the
    // grid lacks the property).
    std::vector<TColor> SavedGridColors;

protected:
    bool WantsVisualStyleOff() const override { return false; }
    void GridWndProc(TMessage& message);
};

// A further grid family; it behaves as TacGridWnd.
class TacGridEhWnd : public TacGridWnd {
public:
    const char* ClassName() const noexcept override { return "TacGridEhWnd"; }
    using TacGridWnd::TacGridWnd;
};
