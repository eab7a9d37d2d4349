// Fuzz target for the layout of tagged hint texts (ks::HintMarkup). The last byte picks how the
// rest becomes text (UTF-16 code units in pairs of bytes, or one byte per character) and where
// the layout starts; a device of simple metrics records what is written. Every piece must lie
// inside the size the layout answers, in a font within the limits, and no more characters may
// be written than the text has.
#include "skin/controls/HintMarkup.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

class Device : public ks::HintTextDevice {
public:
    int PieceWidth(const ks::HintFont& f, std::wstring_view text) override
    {
        return static_cast<int>(text.size()) * (f.Size / 2 + (f.Bold ? 2 : 1));
    }
    int LetterHeight(const ks::HintFont& f) override { return f.Size + 3; }
    void WritePiece(const ks::HintFont& f, int x, int y, std::wstring_view text) override
    {
        Check(f.Size >= ks::MinHintFontSize && f.Size <= ks::MaxHintFontSize);
        Check(f.Color >= 0 && f.Color <= 0xFFFFFF);
        Check(!text.empty());
        Check(text.find_first_of(L"\r\n") == std::wstring_view::npos);
        right = std::max(right, x + PieceWidth(f, text));
        bottom = std::max(bottom, y + LetterHeight(f));
        left = std::min(left, x);
        top = std::min(top, y);
        written += text.size();
    }
    int left = INT32_MAX, top = INT32_MAX, right = 0, bottom = 0;
    size_t written = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t mode = data[size - 1];
    --size;
    std::wstring text;
    if (mode & 1) {
        for (size_t i = 0; i + 1 < size; i += 2)
            text.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
    } else {
        for (size_t i = 0; i < size; ++i)
            text.push_back(static_cast<wchar_t>(data[i]));
    }
    const TRect rect{(mode >> 1) & 7, (mode >> 4) & 3, 200 + ((mode >> 6) & 3) * 50, 0};
    ks::HintMarkup layout;
    Device device;
    layout.Init(text, rect, ks::HintFont{L"Tahoma", 8 + (mode >> 6), false, false, 0});
    const TRect answer = layout.Render(device);

    Check(layout.FontStack.size() <= ks::MaxSavedFonts);
    Check(device.written <= text.size());
    if (device.written > 0) {
        Check(device.left >= rect.Left && device.top >= rect.Top);
        Check(device.right <= std::max(answer.Right, rect.Right));
        Check(device.bottom <= answer.Bottom);
    }
    return 0;
}
