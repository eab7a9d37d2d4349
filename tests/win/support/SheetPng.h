#pragma once
// Pictures the Windows tests leave under the build folder for a person to look at: a 24- or
// 32-bit bitmap written as an RGB PNG, and a caption drawn onto a contact sheet.
#include "host/support/SmallPng.h"
#include "vcl/Bitmap.h"
#include "vcl/Win.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace ks::test {

inline void DrawSheetLabel(TBitmap& sheet, int x, int y, const std::string& text, TColor colour = clWhite)
{
    HDC dc = sheet.Canvas().Handle();
    const HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, static_cast<COLORREF>(colour));
    TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
    SelectObject(dc, oldFont);
}

inline void WriteSheetPng(TBitmap& sheet, const std::string& path)
{
    GdiFlush();
    const int bytes = sheet.PixelFormat() == pf32bit ? 4 : 3;
    std::vector<uint8_t> samples;
    samples.reserve(static_cast<size_t>(sheet.Width()) * sheet.Height() * 3);
    for (int y = 0; y < sheet.Height(); ++y) {
        const uint8_t* row = sheet.ScanLine(y);
        for (int x = 0; x < sheet.Width(); ++x, row += bytes)
            samples.insert(samples.end(), {row[2], row[1], row[0]});
    }
    const std::vector<uint8_t> png = MakeSmallPng(static_cast<uint32_t>(sheet.Width()),
                                                  static_cast<uint32_t>(sheet.Height()), 2, samples);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    ASSERT_TRUE(out.good()) << path;
}

} // namespace ks::test
