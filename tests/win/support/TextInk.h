#pragma once
// Reading back what text looks like when drawn, for the tests of labels and dialogs.

#include "vcl/GraphicsTypes.h"
#include "vcl/Win.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace ks::test {

// Where the ink of a label's text ends: the text drawn as a word-wrapping label draws it, in
// font, at the label's width but unclipped, black on white into a bitmap twice the label's size.
// Measures such as DT_CALCRECT can say less than what is drawn.
inline TSize TextInk(HDC like, HFONT font, const std::wstring& text, const TRect& client)
{
    const int width = 2 * client.Width() + 16;
    const int height = 2 * client.Height() + 16;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(like);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, font);
    PatBlt(dc, 0, 0, width, height, WHITENESS);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    RECT r{0, 0, client.Width(), client.Height()};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS | DT_NOCLIP);
    GdiFlush();
    TSize ink{0, 0};
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((pixels[y * width + x] & 0xFFFFFF) != 0xFFFFFF) {
                ink.cx = std::max(ink.cx, x + 1);
                ink.cy = y + 1;
            }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ink;
}

} // namespace ks::test
