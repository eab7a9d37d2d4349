#include "skin/core/sConst.h"

#include <gtest/gtest.h>

namespace {

TEST(sConst, KindsTakeTheirDefaultSections)
{
    struct Case {
        int kind;
        const char* expected;
    } cases[] = {
        {3, "EDIT"}, {7, "EDIT"}, {227, "EDIT"}, {140, "EDIT"}, {9, "TSLABEL"}, {11, "COMBOBOX"},
        {82, "COMBOBOX"}, {19, "BAR"}, {20, "BARTITLE"}, {32, "CHECKBOX"}, {152, "CHECKBOX"},
        {33, "RADIOBUTTON"}, {73, "PANEL"}, {58, "PANEL_LOW"}, {60, "TOOLBAR"}, {56, "DRAGBAR"},
        {57, "TABSHEET"}, {74, "GROUPBOX"}, {226, "GROUPBOX"}, {75, "SPLITTER"}, {92, "SPEEDBUTTON"},
        {95, "SPEEDBUTTON"}, {93, "BUTTON"}, {94, "BUTTON"}, {98, "TOOLBUTTON"}, {143, "PAGECONTROL"},
        {142, "TSLABEL"}, {151, "STATUSBAR"}, {161, "GAUGE"}, {165, "TRACKBAR"}, {0, "TSLABEL"},
        {224, "TSLABEL"}, {300, "TSLABEL"}, {-1, "TSLABEL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(DefaultSectionOfKind(c.kind, "TsLabel"), c.expected);
    }
}

TEST(sConst, KindSetsDecideHoverGlowAndFrameRepaint)
{
    struct Case {
        int kind;
        bool neverHot;
        bool hoverGlow;
        bool frameRepaint;
    } cases[] = {
        {19, true, true, false},   // a bar is never hot yet glows
        {74, true, false, false},  // a group box neither
        {51, true, false, false}, {53, true, true, false}, {55, true, true, false},
        {3, false, true, true}, {18, false, true, true}, {41, false, true, true},
        {76, false, true, true}, {84, false, true, true}, {131, false, true, true}, {140, false, true, true},
        {92, false, false, false}, {93, false, false, false}, {94, false, false, false},
        {95, false, true, false}, {110, true, false, false}, {142, true, true, false},
        {161, true, false, false}, {162, false, true, false}, {226, false, false, false},
        {255, false, true, false}, {256, false, true, false}, {300, false, true, false},
        {-5, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(NeverHotKinds.Contains(c.kind), c.neverHot);
        EXPECT_EQ(KindGetsHoverGlow(c.kind), c.hoverGlow);
        EXPECT_EQ(FrameRepaintKinds.Contains(c.kind), c.frameRepaint);
    }
}

} // namespace
