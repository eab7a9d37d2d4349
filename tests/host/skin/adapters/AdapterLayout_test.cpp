#include "skin/adapters/AdapterLayout.h"

#include <gtest/gtest.h>

namespace {

using namespace ks::adapters;

TEST(AdapterLayout, ButtonStateByPressFocusAndDefault)
{
    struct Case { const char* name; PushButtonFacts f; int expected; } cases[] = {
        {"pushed wins over disabled", {StatePushed, 0, false, false, false, false}, 2},
        {"disabled default", {0, StyleDefPushButton, false, false, false, false}, 0},
        {"focused", {0, 0, true, true, false, true}, 1},
        {"hot", {0, 0, true, false, true, false}, 1},
        {"lib default button by its type", {0, StyleDefPushButton, true, false, false, true}, 1},
        {"lib button of type 3 is no default", {0, 3, true, false, false, true}, 0},
        {"bare window by bit 0", {0, 3, true, false, false, false}, 1},
        {"plain", {0, 0, true, false, false, false}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ButtonState(c.f), c.expected) << c.name;
}

TEST(AdapterLayout, CaptionRectanglesCentreAndShiftWhenPushed)
{
    EXPECT_EQ(CenteredCaptionRect({75, 25}, {31, 13}, false), (TRect{21, 6, 55, 19}));
    EXPECT_EQ(CenteredCaptionRect({75, 25}, {31, 13}, true), (TRect{22, 7, 56, 20}));
    // A text wider than the button starts left of it; the rectangle still holds the text.
    const TRect wide = CenteredCaptionRect({10, 10}, {30, 13}, false);
    EXPECT_GE(wide.Width(), 30);

    EXPECT_EQ(MaxCaptionWidth(75, false, 0), 73);
    EXPECT_EQ(MaxCaptionWidth(75, false, 16), 55);
    EXPECT_EQ(MaxCaptionWidth(75, true, 16), 0);
    EXPECT_EQ(MaxCaptionWidth(1, false, 0), 0) << "a tiny button gets no negative room";
    EXPECT_EQ(MaxCaptionWidth(10, false, 16), 0);
}

TEST(AdapterLayout, BitmapButtonGlyphSitsLeftOfItsShiftedCaption)
{
    const TRect caption{20, 5, 60, 20};
    const TRect moved = BitmapCaptionRect(caption, {16, 16});
    EXPECT_EQ(moved, (TRect{29, 5, 69, 20}));
    EXPECT_EQ(BitmapGlyphRect(moved, {90, 30}, {16, 16}, false), (TRect{11, 7, 27, 23}));
    EXPECT_EQ(BitmapGlyphRect(moved, {90, 30}, {16, 16}, true), (TRect{11, 8, 27, 24}));
    EXPECT_EQ(BitmapCaptionRect(caption, {0, 0}), caption);
    EXPECT_EQ(BitmapGlyphRect(caption, {90, 30}, {0, 16}, false), TRect{});
}

TEST(AdapterLayout, BitButtonGlyphSitsBesideItsCaptionInEveryLayout)
{
    // A 100 x 40 button, a 16 x 12 glyph, a 30 x 14 caption, spacing 4.
    struct Case { int layout; bool captionEmpty; bool pushed; TRect glyph; } cases[] = {
        {0, false, false, {25, 14, 41, 26}},  // (100 - 16 - 30 - 4) / 2 from the left
        {1, false, false, {59, 14, 75, 26}},  // (100 - 16 + 4 + 30) / 2
        {2, false, false, {43, 5, 59, 17}},   // stacked: 1 right of the middle, (40 - 12 - 14 - 4) / 2 down
        {3, false, false, {43, 23, 59, 35}},  // 40 - 5 - 12
        {0, false, true, {26, 15, 42, 27}},
        {0, true, false, {27, 14, 43, 26}},   // no caption, no spacing (its size is still counted)
        {7, false, false, {0, 0, 16, 12}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BitBtnGlyphRect({100, 40}, {16, 12}, {30, 14}, c.layout, 4, c.captionEmpty, c.pushed), c.glyph)
            << c.layout << " " << c.captionEmpty << " " << c.pushed;

    EXPECT_EQ(BitBtnMaxCaptionWidth(100, false, 0, {16, 12}, 3, 4), 100 - 6 - 20);
    EXPECT_EQ(BitBtnMaxCaptionWidth(100, false, 1, {16, 12}, -1, 4), 102 - 20) << "margin -1 as stored";
    EXPECT_EQ(BitBtnMaxCaptionWidth(100, false, 2, {16, 12}, 3, 4), 94) << "a stacked glyph leaves the width";
    EXPECT_EQ(BitBtnMaxCaptionWidth(100, false, 0, {0, 0}, 3, 4), 94) << "no glyph";
    EXPECT_EQ(BitBtnMaxCaptionWidth(100, true, 0, {16, 12}, 3, 4), 0);
    EXPECT_EQ(BitBtnMaxCaptionWidth(10, false, 0, {16, 12}, 3, 4), 0) << "never below 0";
}

TEST(AdapterLayout, CheckGlyphsByButtonTypeAndState)
{
    struct Case { uint32_t style; uint32_t state; const char* name; } cases[] = {
        {0x2 /* check box */, 0, "BOXUNCHECKED"},
        {0x5 /* 3-state */, StateChecked, "BOXCHECKED"},
        {0x6 /* auto 3-state */, StateIndeterminate, "BOXGRAYED"},
        {0x4 /* radio */, 0, "RADIOUNCHECKED"},
        {0x4 | StyleLeftText, StateChecked, "RADIOCHECKED"},
        {0xC, StateChecked, "RADIOCHECKED"},
        {0x9 /* auto radio */, StateChecked, "BOXCHECKED"},
        {0x4, StateIndeterminate | StateChecked, "BOXGRAYED"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckGlyphName(c.style, CheckState(c.state)), c.name) << std::hex << c.style << " " << c.state;

    EXPECT_EQ(CheckGlyphState(StatePushed | StateFocus, false), 2);
    EXPECT_EQ(CheckGlyphState(StateFocus, false), 1);
    EXPECT_EQ(CheckGlyphState(0, true), 1);
    EXPECT_EQ(CheckGlyphState(StateChecked, false), 0);
}

TEST(AdapterLayout, CheckCaptionAndGlyphFollowLeftText)
{
    const TSize client{100, 20}, text{40, 13};
    EXPECT_EQ(CheckCaptionRect(client, text, 13, 0), (TRect{17, 2, 57, 16}));
    EXPECT_EQ(CheckCaptionRect(client, text, 13, StyleMultiLine), (TRect{16, 2, 56, 16}));
    EXPECT_EQ(CheckCaptionRect(client, text, 13, StyleLeftText), (TRect{2, 3, 42, 17}));
    EXPECT_EQ(CheckGlyphPos(client, {13, 13}, 0), (TPoint{0, 3}));
    EXPECT_EQ(CheckGlyphPos(client, {13, 13}, StyleLeftText), (TPoint{87, 3}));
    // A text taller than the box and a box narrower than the glyph give no inverted rectangle.
    const TRect squeezed = CheckCaptionRect({10, 8}, {40, 30}, 13, 0);
    EXPECT_GE(squeezed.Width(), 0);
    EXPECT_GE(squeezed.Height(), 0);
}

TEST(AdapterLayout, GroupCaptionBandIsCutAtTheRightEdge)
{
    EXPECT_EQ(GroupCaptionBand({40, 13}, 200), (TRect{6, 0, 54, 15}));
    EXPECT_EQ(GroupCaptionBand({0, 0}, 200), (TRect{6, 0, 14, 6})) << "an empty caption still has a band";
    EXPECT_EQ(GroupCaptionBand({300, 13}, 100).Right, 99);
    EXPECT_GE(GroupCaptionBand({300, 13}, 3).Width(), 0);
}

TEST(AdapterLayout, PanelSectionByBevels)
{
    struct Case { Bevel outer, inner; bool borderNone; const char* section; } cases[] = {
        {Bevel::Lowered, Bevel::None, true, "PANEL_LOW"},
        {Bevel::Lowered, Bevel::Raised, true, "GROUPBOX"},
        {Bevel::Lowered, Bevel::Lowered, false, "PANEL_LOW"},
        {Bevel::Raised, Bevel::None, true, "PANEL"},
        {Bevel::Raised, Bevel::Lowered, true, "GROUPBOX"},
        {Bevel::Raised, Bevel::Space, false, "PANEL"},
        {Bevel::None, Bevel::Raised, false, "PANEL_LOW"},
        {Bevel::Space, Bevel::None, false, "PANEL_LOW"},
        {Bevel::None, Bevel::None, true, "CHECKBOX"},
        {Bevel::Space, Bevel::Lowered, true, "CHECKBOX"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PanelSection(c.outer, c.inner, c.borderNone), c.section)
            << static_cast<int>(c.outer) << static_cast<int>(c.inner) << c.borderNone;
}

TEST(AdapterLayout, LinkTextLosesOnlyUpperCaseAnchors)
{
    EXPECT_EQ(StripAnchorTags(L"See <A>the site</A> now"), L"See the site now");
    EXPECT_EQ(StripAnchorTags(L"<a>lower</a>"), L"<a>lower</a>");
    EXPECT_EQ(StripAnchorTags(L"<A href=x>x</A>"), L"<A href=x>x");
    EXPECT_EQ(StripAnchorTags(L"<A"), L"<A");
    EXPECT_EQ(StripAnchorTags(L""), L"");
}

} // namespace
