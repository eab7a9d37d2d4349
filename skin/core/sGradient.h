#pragma once
// Gradients of skin sections: the parser of a gradient description.
//
// A description is words separated by ";" (runs of separators count as one); every five words
// form one stop: Color1; Color2; Percent; Mode; and a fifth word nobody reads. For example
// "16777215;255;50;0;0;255;0;50;0;0" is white to red over the first half, then red to black.

// The parsed form (TsGradStop, TsGradArray) belongs to the pixel layer that paints it.

#include "skin/pixels/GradientPixels.h"

#include <string_view>

// An incomplete last group of words is dropped. Colours below 0 become 0 and percents are
// limited to 0..100. A word that is not an integer raises EConvertError
// "'%s' is not a valid integer value", which stops the skin load that asked.
TsGradArray ParseGradient(std::string_view text);
