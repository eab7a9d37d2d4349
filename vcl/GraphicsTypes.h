#pragma once
// Graphics types that portable code shares with the Windows graphics classes: colours and their
// identifiers, rectangles, pixel formats, progress stages, and the plain pixel view every pixel
// routine works on.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// A colour value: 0x00BBGGRR (red in the low byte). A top byte of 0xFF marks a system colour
// whose low byte is the COLOR_x index; ColorToRGB (Graphics.h) resolves it before any Win32 call.
using TColor = int32_t;

// The system colours are written as numbers because this header never sees <windows.h>:
// 0xFF000000 | COLOR_x.
inline constexpr TColor clScrollBar = static_cast<TColor>(0xFF000000);
inline constexpr TColor clBackground = static_cast<TColor>(0xFF000001);
inline constexpr TColor clActiveCaption = static_cast<TColor>(0xFF000002);
inline constexpr TColor clInactiveCaption = static_cast<TColor>(0xFF000003);
inline constexpr TColor clMenu = static_cast<TColor>(0xFF000004);
inline constexpr TColor clWindow = static_cast<TColor>(0xFF000005);
inline constexpr TColor clWindowFrame = static_cast<TColor>(0xFF000006);
inline constexpr TColor clMenuText = static_cast<TColor>(0xFF000007);
inline constexpr TColor clWindowText = static_cast<TColor>(0xFF000008);
inline constexpr TColor clCaptionText = static_cast<TColor>(0xFF000009);
inline constexpr TColor clActiveBorder = static_cast<TColor>(0xFF00000A);
inline constexpr TColor clInactiveBorder = static_cast<TColor>(0xFF00000B);
inline constexpr TColor clAppWorkSpace = static_cast<TColor>(0xFF00000C);
inline constexpr TColor clHighlight = static_cast<TColor>(0xFF00000D);
inline constexpr TColor clHighlightText = static_cast<TColor>(0xFF00000E);
inline constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000F);
inline constexpr TColor clBtnShadow = static_cast<TColor>(0xFF000010);
inline constexpr TColor clGrayText = static_cast<TColor>(0xFF000011);
inline constexpr TColor clBtnText = static_cast<TColor>(0xFF000012);
inline constexpr TColor clInactiveCaptionText = static_cast<TColor>(0xFF000013);
inline constexpr TColor clBtnHighlight = static_cast<TColor>(0xFF000014);
inline constexpr TColor cl3DDkShadow = static_cast<TColor>(0xFF000015);
inline constexpr TColor cl3DLight = static_cast<TColor>(0xFF000016);
inline constexpr TColor clInfoText = static_cast<TColor>(0xFF000017);
inline constexpr TColor clInfoBk = static_cast<TColor>(0xFF000018);
inline constexpr TColor clHotLight = static_cast<TColor>(0xFF00001A);
inline constexpr TColor clGradientActiveCaption = static_cast<TColor>(0xFF00001B);
inline constexpr TColor clGradientInactiveCaption = static_cast<TColor>(0xFF00001C);
inline constexpr TColor clMenuHighlight = static_cast<TColor>(0xFF00001D);
inline constexpr TColor clMenuBar = static_cast<TColor>(0xFF00001E);

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;

// "No colour" and "the control's default"; common controls spell them CLR_NONE and CLR_DEFAULT.
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

constexpr bool IsSystemColor(TColor c) noexcept
{
    return (static_cast<uint32_t>(c) >> 24) == 0xFF;
}

namespace ks {

// Names of colours in form resources. Names compare without regard to case, as the form
// reader does for every identifier; a value with several names writes the first.
struct ColorIdent {
    std::string_view name;
    TColor value;
};

inline constexpr ColorIdent ColorIdentTable[] = {
    {"clBlack", clBlack}, {"clMaroon", clMaroon}, {"clGreen", clGreen}, {"clOlive", clOlive},
    {"clNavy", clNavy}, {"clPurple", clPurple}, {"clTeal", clTeal}, {"clGray", clGray},
    {"clSilver", clSilver}, {"clRed", clRed}, {"clLime", clLime}, {"clYellow", clYellow},
    {"clBlue", clBlue}, {"clFuchsia", clFuchsia}, {"clAqua", clAqua}, {"clWhite", clWhite},
    {"clScrollBar", clScrollBar}, {"clBackground", clBackground},
    {"clActiveCaption", clActiveCaption}, {"clInactiveCaption", clInactiveCaption},
    {"clMenu", clMenu}, {"clWindow", clWindow}, {"clWindowFrame", clWindowFrame},
    {"clMenuText", clMenuText}, {"clWindowText", clWindowText}, {"clCaptionText", clCaptionText},
    {"clActiveBorder", clActiveBorder}, {"clInactiveBorder", clInactiveBorder},
    {"clAppWorkSpace", clAppWorkSpace}, {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText}, {"clBtnFace", clBtnFace}, {"clBtnShadow", clBtnShadow},
    {"clGrayText", clGrayText}, {"clBtnText", clBtnText},
    {"clInactiveCaptionText", clInactiveCaptionText}, {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow}, {"cl3DLight", cl3DLight}, {"clInfoText", clInfoText},
    {"clInfoBk", clInfoBk}, {"clHotLight", clHotLight},
    {"clGradientActiveCaption", clGradientActiveCaption},
    {"clGradientInactiveCaption", clGradientInactiveCaption},
    {"clMenuHighlight", clMenuHighlight}, {"clMenuBar", clMenuBar},
    {"clNone", clNone}, {"clDefault", clDefault},
};

constexpr bool SameIdent(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y)
            return false;
    }
    return true;
}

constexpr std::optional<TColor> IdentToColor(std::string_view name) noexcept
{
    for (const ColorIdent& c : ColorIdentTable)
        if (SameIdent(c.name, name))
            return c.value;
    return std::nullopt;
}

// Empty when the value has no name; the writer then stores the number.
constexpr std::string_view ColorToIdent(TColor value) noexcept
{
    for (const ColorIdent& c : ColorIdentTable)
        if (c.value == value)
            return c.name;
    return {};
}

} // namespace ks

// Layout-compatible with RECT, POINT and SIZE: Graphics.cpp checks it where it casts.
// A TRect is right- and bottom-exclusive unless a routine says otherwise.
struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int32_t cx = 0;
    int32_t cy = 0;
    friend constexpr bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    constexpr int32_t Width() const noexcept { return Right - Left; }
    constexpr int32_t Height() const noexcept { return Bottom - Top; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Rect(int32_t left, int32_t top, int32_t right, int32_t bottom) noexcept
{
    return {left, top, right, bottom};
}

constexpr TPoint Point(int32_t x, int32_t y) noexcept
{
    return {x, y};
}

// pfUnset is the "not yet set" state of a new bitmap; converting setters need to tell it apart.
enum TPixelFormat { pfUnset = -1, pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

enum TProgressStage { psStarting, psRunning, psEnding };

namespace ks {

// A borrowed raster: row y starts at scan0 + y * stride. Bottom-up DIBs have a negative stride.
// bpp is bits per pixel (1, 4, 8, 16, 24 or 32).
struct PixelView {
    uint8_t* scan0 = nullptr;
    ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
    int bpp = 0;

    uint8_t* Row(int y) const noexcept { return scan0 + y * stride; }
};

} // namespace ks

namespace ks {

// Lets Integer properties of type "TColor" stream as colour names (vcl/TypInfo.h). Programs
// that read or write form resources call it once before the first form.
void RegisterColorIdents();

} // namespace ks
