#pragma once
// The solid-colour adapter skin with the sections of tabs, pages, toolbars and status bars
// added, one colour each, so that one pixel tells which part of a bar or tab control shows.
#include "win/skin/adapters/AdapterSkinFixture.h"

#include <string>

namespace ks::test {

inline constexpr TColor PageColour = 0x00105010;
inline constexpr TColor PageBottomColour = 0x00501010;
inline constexpr TColor TabColour = 0x00101050;
inline constexpr TColor ToolBarColour = 0x00207020;
inline constexpr TColor ToolButtonColour = 0x00702070;
inline constexpr TColor ToolButtonHotColour = 0x00A040A0;
inline constexpr TColor StatusColour = 0x00204060;

inline std::string TabBarSkinOptions(bool panelMask)
{
    const std::string cells = "^0000^0000^0036^0012^0003^0003^0003^0003^3^0^0^0";
    std::string o = AdapterSkinOptions();
    o += "[PAGECONTROL]\r\nCOLOR=" + OptionColour(PageColour) + "\r\nFONTCOLOR=16777215\r\n";
    o += "[PAGECONTROLBOTTOM]\r\nCOLOR=" + OptionColour(PageBottomColour) + "\r\n";
    o += "[TABTOP]\r\n" + ColorKeys(TabColour, TabColour) +
         "FONTCOLOR=16777215\r\nHOTFONTCOLOR=65535\r\nBORDERSMASK=" + cells + "\r\n";
    for (const char* side : {"TABBOTTOM", "TABLEFT", "TABRIGHT"})
        o += std::string("[") + side + "]\r\nPARENTCLASS=TABTOP\r\nBORDERSMASK=" + cells + "\r\n";
    o += "[TOOLBAR]\r\nCOLOR=" + OptionColour(ToolBarColour) + "\r\n";
    o += "[TOOLBUTTON]\r\n" + ColorKeys(ToolButtonColour, ToolButtonHotColour) +
         "FONTCOLOR=16777215\r\nHOTFONTCOLOR=65535\r\nBORDERSMASK=" + cells + "\r\n";
    o += "[STATUSBAR]\r\nCOLOR=" + OptionColour(StatusColour) + "\r\nFONTCOLOR=16777215\r\n";
    if (panelMask)
        o += "STATUSPANELMASK=" + cells + "\r\n";
    o += "[DIVIDER]\r\nCOLOR=" + OptionColour(GripColour) +
         "\r\nBORDERSMASK=^0040^0000^0048^0008^0002^0002^0002^0002^1^0^0^0\r\n";
    return o;
}

class TabBarFixture : public AdapterFixture {
protected:
    void SetUp() override
    {
        AdapterFixture::SetUp();
        UseSkin(false);
    }
    // The bars skin, with or without a status-panel image.
    void UseSkin(bool panelMask)
    {
        const std::wstring name = panelMask ? L"BarsPanel" : L"Bars";
        Dir.Write(name + L".asz", SkinArchive(TabBarSkinOptions(panelMask), Bmp24(96, 96, MasterPixel)));
        Manager->SetSkinName(name);
        ASSERT_TRUE(Manager->SkinData.SkinActive);
    }
    static bool HasColour(TBitmap& p, TColor c, TRect r)
    {
        for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, p.Height()); ++y)
            for (int x = std::max(r.Left, 0); x < std::min(r.Right, p.Width()); ++x)
                if (At(p, x, y) == c)
                    return true;
        return false;
    }
};

} // namespace ks::test
