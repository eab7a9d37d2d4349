#pragma once
// A skin of solid colours for the list, grid, tree and frame adapters, one colour per section and
// state, loaded into the adapter fixture's manager: "Lists" has a column header section,
// "Bare" has none, so headers fall back to the button's look.
#include "win/skin/adapters/AdapterSkinFixture.h"

#include <commctrl.h>

namespace ks::test {

inline constexpr TColor GlobalColour = 0x00203020;
inline constexpr TColor GlobalFont = 0x00E0E0A0;
inline constexpr TColor ListEditColour = 0x00402010;
inline constexpr TColor EditHot = 0x00503020;
inline constexpr TColor EditFont = 0x0010E0E0;
inline constexpr TColor EditHotFont = 0x0020F0F0;
inline constexpr TColor HeaderColour = 0x00106080;
inline constexpr TColor HeaderHot = 0x002080A0;
inline constexpr TColor MenuHot = 0x00A02060;
inline constexpr TColor MenuHotFont = 0x0060F0A0;
inline constexpr TColor HalfColour = 0x00000080;
inline constexpr TColor ClearColour = 0x00008000;

inline std::string ListSkinOptions(bool withHeader)
{
    std::string o = "[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\nCOLOR=" + OptionColour(GlobalColour) +
                    "\r\nFONTCOLOR=" + OptionColour(GlobalFont) + "\r\n";
    o += "[EDIT]\r\n" + ColorKeys(ListEditColour, EditHot) + "FONTCOLOR=" + OptionColour(EditFont) +
         "\r\nHOTFONTCOLOR=" + OptionColour(EditHotFont) + "\r\n";
    if (withHeader)
        o += "[COLHEADER]\r\n" + ColorKeys(HeaderColour, HeaderHot) + "FONTCOLOR=16777215\r\nHOTFONTCOLOR=65535\r\n";
    o += "[BUTTON]\r\n" + ColorKeys(ButtonColour, ButtonHotColour) + "FONTCOLOR=16777215\r\nHOTFONTCOLOR=65535\r\n";
    o += "[GROUPBOX]\r\nCOLOR=" + OptionColour(GroupColour) + "\r\nFONTCOLOR=16777215\r\n";
    o += "[FRAMEHALF]\r\nCOLOR=" + OptionColour(HalfColour) + "\r\nTRANSPARENCY=50\r\n";
    o += "[FRAMECLEAR]\r\nCOLOR=" + OptionColour(ClearColour) + "\r\nTRANSPARENCY=100\r\n";
    o += "[MENUITEM]\r\n" + ColorKeys(0, MenuHot) + "HOTFONTCOLOR=" + OptionColour(MenuHotFont) + "\r\n";
    return o;
}

// The same with scroll bars of the skin's own: track, slider and arrow sections of flat colours.
inline std::string ListSkinWithBarsOptions()
{
    std::string o = ListSkinOptions(true);
    const struct {
        const char* section;
        TColor colour;
    } bars[] = {
        {"SCROLLBAR1V", 0x00304050}, {"SCROLLBAR1H", 0x00304050}, {"SCROLLBAR2V", 0x00405060},
        {"SCROLLBAR2H", 0x00405060}, {"SCROLLSLIDERV", 0x0060A0C0}, {"SCROLLSLIDERH", 0x0060A0C0},
        {"SCROLLBTNTOP", 0x00A06040}, {"SCROLLBTNBOTTOM", 0x00A06050}, {"SCROLLBTNLEFT", 0x00A06060},
        {"SCROLLBTNRIGHT", 0x00A06070},
    };
    for (const auto& b : bars)
        o += std::string("[") + b.section + "]\r\n" + ColorKeys(b.colour, b.colour + 0x101010);
    return o;
}

class ListSkinFixture : public AdapterFixture {
protected:
    void SetUp() override
    {
        AdapterFixture::SetUp();
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        Dir.Write(L"Lists.asz", SkinArchive(ListSkinOptions(true), GreyMaster(8, 8)));
        Dir.Write(L"Bare.asz", SkinArchive(ListSkinOptions(false), GreyMaster(8, 8)));
        Dir.Write(L"Bars.asz", SkinArchive(ListSkinWithBarsOptions(), GreyMaster(8, 8)));
        Manager->SetSkinName(L"Lists");
        ASSERT_TRUE(Manager->SkinData.SkinActive);
    }
};

} // namespace ks::test
