#pragma once
// A menu skin of one flat colour per section and state, so that the menu painters' pixels can
// be checked exactly: MAINMENU with a 12 x 12 frame mask whose corner pixels are key-coloured,
// the icon column, the item, the pressed speed-button plate, the caption item's toolbar, the
// extra line and the check glyphs.

#include "skin/core/sSkinManager.h"
#include "skin/forms/sSkinMenus.h"
#include "vcl/Bitmap.h"
#include "win/skin/core/SkinTestFiles.h"

#include <cmath>
#include <string>
#include <vector>

namespace ks::test {

inline constexpr TColor MainMenuColor = 0x606060;
inline constexpr TColor FrameColor = 0x00C000;
inline constexpr TColor IcoLineColor = 0x808080;
inline constexpr TColor ItemColor = 0x202020;
inline constexpr TColor ItemHotColor = 0x404000;
inline constexpr TColor ItemFontColor = 0x00FFFF;
inline constexpr TColor ItemHotFontColor = 0xFFFF00;
inline constexpr TColor PlateColor = 0x0000F0;
inline constexpr TColor PlatePressedColor = 0x00F000;
inline constexpr TColor ToolbarColor = 0xA0A0A0;
inline constexpr TColor ExtraLineColor = 0x0000A0;
inline constexpr TColor MenuLineColor = 0x303030;
// Cells 0 and 1 (normal, hot) of the check glyphs.
inline constexpr TColor BoxCheckedColors[2] = {0x000080, 0x0000C0};
inline constexpr TColor RadioCheckedColors[2] = {0x800000, 0xC00000};

// The frame mask's corners: these pixels of the 12 x 12 cell are transparent.
inline bool FrameCornerPixel(int x, int y)
{
    const auto corner = [](int a, int b) { return (a == 0 && b <= 1) || (a == 1 && b == 0); };
    return corner(x, y) || corner(11 - x, y) || corner(x, 11 - y) || corner(11 - x, 11 - y);
}

// Master bitmap: the frame mask at (0, 0, 12, 12); BOXCHECKED (2 cells of 8 x 10) at x 12..28,
// RADIOCHECKED at x 28..44.
inline std::vector<uint8_t> MenuSkinMaster()
{
    return Bmp24(44, 12, [](int x, int y) -> TColor {
        if (x < 12)
            return FrameCornerPixel(x, y) ? TransparentKeyColor : FrameColor;
        if (y >= 10)
            return TransparentKeyColor;
        if (x < 28)
            return BoxCheckedColors[(x - 12) / 8];
        return RadioCheckedColors[(x - 28) / 8];
    });
}

// The menu test skin; without the "MENUITEM" section when withItems is false.
inline std::vector<uint8_t> MenuSkinArchive(bool withItems = true)
{
    std::string o = "[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\nCOLOR=0\r\n"
                    "BOXCHECKED=@0012@0000@0028@0010@2@0\r\nRADIOCHECKED=@0028@0000@0044@0010@2@0\r\n";
    o += "[MAINMENU]\r\n" + ColorKeys(MainMenuColor, MainMenuColor) +
         "BORDERSMASK=^0000^0000^0012^0012^0004^0004^0004^0004^1^0^0^4\r\n";
    o += "[ICOLINE]\r\n" + ColorKeys(IcoLineColor, IcoLineColor);
    if (withItems)
        o += "[MENUITEM]\r\n" + ColorKeys(ItemColor, ItemHotColor) + "FONTCOLOR=" + std::to_string(ItemFontColor) +
             "\r\nHOTFONTCOLOR=" + std::to_string(ItemHotFontColor) + "\r\n";
    o += "[SPEEDBUTTON_SMALL]\r\n" + ColorKeys(PlateColor, PlatePressedColor);
    o += "[TOOLBAR]\r\n" + ColorKeys(ToolbarColor, ToolbarColor) + "FONTCOLOR=0\r\n";
    o += "[EXTRALINE]\r\n" + ColorKeys(ExtraLineColor, ExtraLineColor) + "FONTCOLOR=16777215\r\n";
    o += "[MENULINE]\r\n" + ColorKeys(MenuLineColor, MenuLineColor);
    return SkinArchive(o, MenuSkinMaster());
}

inline TColor MenuPixelAt(TBitmap& bmp, int x, int y)
{
    GdiFlush();
    const uint8_t* p = bmp.ScanLine(y) + x * (bmp.PixelFormat() == pf32bit ? 4 : 3);
    return static_cast<TColor>(p[0] << 16 | p[1] << 8 | p[2]);
}

// The Part's disabled look: each byte of the background keeps (1 - share) and the item share.
inline TColor BlendedColor(TColor item, TColor background, double itemShare)
{
    TColor result = 0;
    for (int shift : {0, 8, 16}) {
        const int s = (background >> shift) & 0xFF;
        const int d = (item >> shift) & 0xFF;
        result |= static_cast<TColor>(std::lround(s - (s - d) * itemShare) << shift);
    }
    return result;
}

} // namespace ks::test
