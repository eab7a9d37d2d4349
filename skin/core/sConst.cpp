#include "skin/core/sConst.h"

#include "vcl/SysUtils.h"

int HScrollHeight = 21;

namespace {

struct KindSection {
    int First;
    int Last;
    std::string_view Section;
};

constexpr KindSection DefaultSections[] = {
    {2, 8, "EDIT"}, {10, 10, "EDIT"}, {41, 41, "EDIT"}, {76, 76, "EDIT"}, {78, 78, "EDIT"},
    {83, 84, "EDIT"}, {96, 97, "EDIT"}, {131, 131, "EDIT"}, {140, 140, "EDIT"}, {227, 227, "EDIT"},
    {11, 18, "COMBOBOX"}, {81, 82, "COMBOBOX"},
    {19, 19, "BAR"},
    {20, 20, "BARTITLE"},
    {32, 32, "CHECKBOX"}, {152, 152, "CHECKBOX"},
    {33, 33, "RADIOBUTTON"},
    {51, 51, "PANEL"}, {59, 59, "PANEL"}, {68, 68, "PANEL"}, {73, 73, "PANEL"},
    {52, 52, "PANEL_LOW"}, {58, 58, "PANEL_LOW"},
    {53, 54, "TOOLBAR"}, {60, 60, "TOOLBAR"},
    {56, 56, "DRAGBAR"},
    {57, 57, "TABSHEET"},
    {74, 74, "GROUPBOX"}, {226, 226, "GROUPBOX"},
    {75, 75, "SPLITTER"},
    {92, 92, "SPEEDBUTTON"}, {95, 95, "SPEEDBUTTON"},
    {93, 94, "BUTTON"},
    {98, 98, "TOOLBUTTON"},
    {141, 141, "PAGECONTROL"}, {143, 143, "PAGECONTROL"},
    {151, 151, "STATUSBAR"},
    {161, 161, "GAUGE"},
    {165, 165, "TRACKBAR"},
};

} // namespace

std::string DefaultSectionOfKind(int kind, std::string_view ownerClassName)
{
    for (const KindSection& k : DefaultSections)
        if (kind >= k.First && kind <= k.Last)
            return std::string(k.Section);
    return UpperCaseAscii(ownerClassName);
}
