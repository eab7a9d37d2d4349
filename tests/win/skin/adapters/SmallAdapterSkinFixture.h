#pragma once
// The flat-colour adapter skin with the sections the combo-box, up-down, popup-menu and
// speed-button adapters read: every state cell of their border images and glyphs has a colour
// of its own, so that one pixel tells which section, state and arrow a window shows.
#include "win/skin/adapters/AdapterSkinFixture.h"

namespace ks::test {

inline constexpr TColor EditColour = 0x00102030;
inline constexpr TColor ComboColour = 0x00203010;
inline constexpr TColor ComboBtnColour = 0x00302010;
inline constexpr TColor MenuColour = 0x00405010;
inline constexpr TColor SpeedColour = 0x00105040;
inline constexpr TColor SpeedHotColour = 0x00106070;
// The button and menu border cells, in their own row of the master picture.
inline constexpr TColor ButtonCells[3] = {0x00C0C000, 0x00C000C0, 0x0000C0C0};
inline constexpr int ButtonCellsTop = 80;

// Glyph rows of the master picture the arrows and the combo glyph use.
inline constexpr int ComboGlyphRow = 0;
inline constexpr int ArrowRows[4] = {1, 2, 3, 4}; // top, bottom, left, right

inline TColor SmallMasterPixel(int x, int y)
{
    if (y >= ButtonCellsTop && y < ButtonCellsTop + 12 && x < 36)
        return ButtonCells[x / 12];
    return MasterPixel(x, y);
}

inline std::string SmallAdapterSkinOptions()
{
    const std::string frame = "BORDERSMASK=^0000^0000^0036^0012^0003^0003^0003^0003^3^0^0^0\r\n";
    const std::string buttonFrame = "BORDERSMASK=^0000^0080^0036^0092^0003^0003^0003^0003^3^0^0^0\r\n";
    std::string o = AdapterSkinOptions();
    o += "[EDIT]\r\nCOLOR=" + OptionColour(EditColour) + "\r\nFONTCOLOR=16777215\r\n" + frame;
    o += "[COMBOBOX]\r\nCOLOR=" + OptionColour(ComboColour) + "\r\nFONTCOLOR=16777215\r\nGLYPHMASK=" +
         GlyphValue(ComboGlyphRow) + "\r\n" + frame;
    o += "[COMBOBTN]\r\nCOLOR=" + OptionColour(ComboBtnColour) + "\r\n" + buttonFrame;
    o += "[MAINMENU]\r\nCOLOR=" + OptionColour(MenuColour) + "\r\n" + buttonFrame;
    o += "[SPEEDBUTTON]\r\n" + ColorKeys(SpeedColour, SpeedHotColour) + "FONTCOLOR=16777215\r\n" + buttonFrame;
    const char* arrows[4] = {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT"};
    for (int i = 0; i < 4; ++i)
        o += std::string("[") + arrows[i] + "]\r\nCOLOR=" + OptionColour(ButtonColour) + "\r\nGLYPHMASK=" +
             GlyphValue(ArrowRows[i]) + "\r\n";
    return o;
}

// The adapter fixture with this skin loaded instead of the plain one.
class SmallAdapterFixture : public AdapterFixture {
protected:
    void SetUp() override { SetUpUnder(L"Small", SmallAdapterSkinOptions(), SmallMasterPixel); }
};

// A window procedure put under an adapter that counts what reaches the window.
struct PassCounter {
    static inline WNDPROC original = nullptr;
    static inline int erases = 0;
    static inline int paints = 0;
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_ERASEBKGND)
            ++erases;
        if (msg == WM_PAINT || msg == WM_NCPAINT)
            ++paints;
        return CallWindowProcW(original, wnd, msg, wParam, lParam);
    }
    static WNDPROC Install(HWND wnd)
    {
        erases = 0;
        paints = 0;
        original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PassCounter::Proc)));
        return &PassCounter::Proc;
    }
};

inline WNDPROC WndProcOf(HWND wnd)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(wnd, GWLP_WNDPROC));
}

} // namespace ks::test
