#pragma once
// Gradients of skin sections: the parsed form of a gradient description and its parser.
//
// A description is words separated by ";" (runs of separators count as one); every five words
// form one stop: Color1; Color2; Percent; Mode; and a fifth word nobody reads. For example
// "16777215;255;50;0;0;255;0;50;0;0" is white to red over the first half, then red to black.

#include "vcl/GraphicsTypes.h"

#include <cstdint>
#include <string_view>
#include <vector>

// Modes of the first stop; the modes of later stops are not used.
enum TacGradientMode : int32_t { gmVertical = 0, gmHorizontal = 1, gmTriangles = 2 };

struct TsGradStop {
    TColor Color1 = 0;
    TColor Color2 = 0;
    // Share of the gradient's length, 0..100.
    uint8_t Percent = 0;
    int32_t Mode = gmVertical;
};

using TsGradArray = std::vector<TsGradStop>;

// An incomplete last group of words is dropped. Colours below 0 become 0 and percents are
// limited to 0..100. A word that is not an integer raises EConvertError
// "'%s' is not a valid integer value", which stops the skin load that asked.
TsGradArray ParseGradient(std::string_view text);
