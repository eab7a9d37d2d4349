#include "skin/core/sMaskData.h"

int MaskCellWidth(const TsMaskData& mask) noexcept
{
    if (mask.ImageCount == 0)
        return 0;
    // 64-bit so that no rectangle read from a skin can overflow the subtraction.
    return static_cast<int>((int64_t{mask.R.Right} - mask.R.Left) / mask.ImageCount);
}

int MaskCellHeight(const TsMaskData& mask) noexcept
{
    const int rows = mask.MaskType + 1;
    if (rows == 0)
        return 0;
    return static_cast<int>((int64_t{mask.R.Bottom} - mask.R.Top) / rows);
}

const std::array<std::string_view, ThirdKindCount> DefaultThirdLists{
    " ", "TButton", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ", " ",
};

const std::array<std::string_view, ThirdKindCount> ThirdKindNames{
    "Edit",     "Button",      "BitBtn",      "CheckBox",    "ComboBox",   "Grid",
    "GroupBox", "ListView",    "Panel",       "TreeView",    "wwEdit",     "GridEh",
    "VirtualTree", "PageControl", "TabControl", "ToolBar",   "StatusBar",  "SpeedButton",
};
