#include "skin/core/sGradient.h"

#include "skin/core/TextRoutines.h"
#include "vcl/SysUtils.h"

#include <algorithm>

TsGradArray ParseGradient(std::string_view text)
{
    static const TSysCharSet separators = CharSetOf(";");
    const std::vector<std::string_view> words = SplitWords(text, separators);
    const size_t stops = words.size() / 5;
    TsGradArray data;
    data.reserve(stops);
    for (size_t i = 0; i < stops; ++i) {
        auto word = [&](size_t k) { return StrToInt(words[5 * i + k]); };
        TsGradStop stop;
        stop.Color1 = std::max(0, word(0));
        stop.Color2 = std::max(0, word(1));
        stop.Percent = static_cast<uint8_t>(std::clamp(word(2), 0, 100));
        stop.Mode = word(3);
        data.push_back(stop);
    }
    return data;
}
