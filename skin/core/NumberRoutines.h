#pragma once
// Rectangle and number routines the whole skin engine shares. Rectangles are right- and
// bottom-exclusive here, as everywhere in the engine unless a routine says otherwise.

#include "vcl/GraphicsTypes.h"

#include <cstdint>
#include <string>

// Right - Left; with noNegative, 0 in place of a negative width.
constexpr int RectWidth(const TRect& r, bool noNegative = false) noexcept
{
    int w = r.Right - r.Left;
    return noNegative && w < 0 ? 0 : w;
}

constexpr int RectHeight(const TRect& r, bool noNegative = false) noexcept
{
    int h = r.Bottom - r.Top;
    return noNegative && h < 0 ? 0 : h;
}

// True when the rectangles share a pixel; an empty b never intersects.
bool RectsIntersect(const TRect& a, const TRect& b) noexcept;
// True when both corners of inner lie within outer, its right and bottom edges included.
bool RectInRect(const TRect& outer, const TRect& inner) noexcept;

constexpr int LargerOf(int a, int b) noexcept { return a > b ? a : b; }
constexpr int SmallerOf(int a, int b) noexcept { return a < b ? a : b; }
constexpr bool InRange(int value, int min, int max) noexcept { return min <= value && value <= max; }
constexpr int ChooseInt(bool first, int a, int b) noexcept { return first ? a : b; }
inline std::string ChooseStr(bool first, std::string a, std::string b) { return first ? a : b; }

// Maps value 0..100 onto base..100, rounded to the nearest integer (halves to even).
int ScalePercent(int value, int base) noexcept;
