#include "skin/controls/HintMarkup.h"

#include "skin/core/TextRoutines.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <tuple>

namespace ks {

namespace {

struct NamedColour {
    std::wstring_view Name;
    TColor Value;
};

// Platform colour values: red in the low byte.
constexpr std::array<NamedColour, 16> NamedColours{{
    {L"AQUA", 0xFFFF00}, {L"BLACK", 0x000000}, {L"BLUE", 0xFF0000}, {L"FUCHSIA", 0xFF00FF},
    {L"GRAY", 0x808080}, {L"GREEN", 0x008000}, {L"LIME", 0x00FF00}, {L"MAROON", 0x000080},
    {L"NAVY", 0x800000}, {L"OLIVE", 0x008080}, {L"PURPLE", 0x800080}, {L"RED", 0x0000FF},
    {L"SILVER", 0xC0C0C0}, {L"TEAL", 0x808000}, {L"WHITE", 0xFFFFFF}, {L"YELLOW", 0x00FFFF},
}};

bool IsTagDelimiter(wchar_t c) noexcept
{
    return c == L'\n' || c == L'\r' || c == L' ' || c == L'"' || c == L'<' || c == L'=' || c == L'>';
}

std::vector<std::wstring_view> TagWords(std::wstring_view tag)
{
    std::vector<std::wstring_view> words;
    size_t i = 0;
    while (i < tag.size()) {
        while (i < tag.size() && IsTagDelimiter(tag[i]))
            ++i;
        const size_t start = i;
        while (i < tag.size() && !IsTagDelimiter(tag[i]))
            ++i;
        if (i > start)
            words.push_back(tag.substr(start, i - start));
    }
    return words;
}

// The word after the first word equal to key; empty when there is none.
std::wstring_view ValueOf(const std::vector<std::wstring_view>& words, std::wstring_view key)
{
    auto it = std::find(words.begin(), words.end(), key);
    if (it == words.end() || ++it == words.end())
        return {};
    return *it;
}

std::optional<int> Decimal(std::wstring_view text)
{
    std::string digits;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9' || digits.size() >= 9)
            return std::nullopt;
        digits.push_back(static_cast<char>(c));
    }
    int value = 0;
    if (digits.empty() || std::from_chars(digits.data(), digits.data() + digits.size(), value).ec != std::errc{})
        return std::nullopt;
    return value;
}

// Hexadecimal RRGGBB text as a platform colour; text that is not hexadecimal reads as 0, as the
// engine's hex reader answers, and values beyond six digits keep their low six.
TColor HexColour(std::wstring_view text)
{
    std::string ascii;
    for (wchar_t c : text)
        ascii.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    const auto rgb = static_cast<uint32_t>(ParseHex(ascii) & 0xFFFFFF);
    return static_cast<TColor>((rgb >> 16) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

} // namespace

std::wstring UpperAscii(std::wstring_view text)
{
    std::wstring upper(text);
    for (wchar_t& c : upper)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return upper;
}

FontTagValues ParseFontTag(std::wstring_view upperTag)
{
    FontTagValues v;
    const auto words = TagWords(upperTag);
    const std::wstring_view size = ValueOf(words, L"SIZE");
    if (!size.empty()) {
        FontTagValues::SizeMode mode = FontTagValues::SizeMode::Set;
        std::wstring_view number = size;
        if (size.front() == L'+' || size.front() == L'-') {
            mode = size.front() == L'+' ? FontTagValues::SizeMode::Add : FontTagValues::SizeMode::Subtract;
            number.remove_prefix(1);
        }
        if (auto n = Decimal(number)) {
            v.Mode = mode;
            v.Size = *n;
        }
    }
    const std::wstring_view colour = ValueOf(words, L"COLOR");
    if (!colour.empty()) {
        if (colour.front() == L'#') {
            v.Color = HexColour(colour.substr(1));
        } else {
            auto named = std::find_if(NamedColours.begin(), NamedColours.end(),
                                      [&](const NamedColour& c) { return c.Name == colour; });
            v.Color = named != NamedColours.end() ? named->Value : HexColour(colour);
        }
    }
    if (std::find(words.begin(), words.end(), L"FACE") != words.end()) {
        const size_t open = upperTag.find(L'"', upperTag.find(L"FACE"));
        const size_t close = open == std::wstring_view::npos ? open : upperTag.find(L'"', open + 1);
        if (close != std::wstring_view::npos)
            v.Face = upperTag.substr(open + 1, close - open - 1);
    }
    return v;
}

void ApplyFontTag(HintFont& font, const FontTagValues& values) noexcept
{
    int64_t size = font.Size;
    switch (values.Mode) {
    case FontTagValues::SizeMode::Keep: break;
    case FontTagValues::SizeMode::Add: size += values.Size; break;
    case FontTagValues::SizeMode::Subtract: size -= values.Size; break;
    case FontTagValues::SizeMode::Set: size = values.Size; break;
    }
    if (values.Mode != FontTagValues::SizeMode::Keep)
        font.Size = static_cast<int>(std::clamp<int64_t>(size, MinHintFontSize, MaxHintFontSize));
    if (values.Color)
        font.Color = *values.Color;
    if (!values.Face.empty())
        font.Name = values.Face;
}

std::optional<int> ParagraphAlignment(std::wstring_view upperTag)
{
    const std::wstring_view value = ValueOf(TagWords(upperTag), L"ALIGN");
    if (value == L"CENTER")
        return HintMarkup::AlignCenter;
    if (value == L"LEFT")
        return HintMarkup::AlignLeft;
    if (value == L"RIGHT")
        return HintMarkup::AlignRight;
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
bool HintMarkup::FontOrder::operator()(const HintFont& a, const HintFont& b) const
{
    return std::tie(a.Size, a.Bold, a.Italic, a.Color, a.Name) < std::tie(b.Size, b.Bold, b.Italic, b.Color, b.Name);
}

void HintMarkup::Init(std::wstring_view text, const TRect& rect, const HintFont& font)
{
    Text = text;
    UpperText = UpperAscii(text);
    TextLength = static_cast<int>(std::min<size_t>(UpperText.size(), INT32_MAX));
    DestRect = rect;
    X = rect.Left;
    Y = rect.Top;
    MaxLineWidth = TotalHeight = LineWidth = LineHeight = 0;
    Alignment = AlignLeft;
    FontStack.clear();
    FFont = font;
    FUnsavedFonts = 0;
    FRunFonts.clear();
    FLetterHeights.clear();
    FFontIndexes.clear();
    FRuns.clear();
    FLines.clear();
    FByFont.clear();
}

TRect HintMarkup::Render(HintTextDevice& device)
{
    const size_t length = static_cast<size_t>(TextLength);
    size_t s = 0;
    size_t i = 0;
    while (i < length) {
        if (Text[i] != L'<') {
            ++i;
            continue;
        }
        if (i + 1 < length && Text[i + 1] == L'<') {
            // "<<" writes one "<": the second starts the next piece.
            WriteText(s, i);
            s = i + 1;
            i += 2;
            continue;
        }
        WriteText(s, i);
        const std::wstring_view tag = ReadTag(i);
        if (tag.empty()) {
            // A "<" that no ">" closes ends the text; what came before it still counts.
            s = length;
            break;
        }
        ProcessTag(tag);
        s = i + tag.size();
        i = s;
    }
    WriteText(s, length);
    FLines.push_back({Alignment});

    Measure(device);
    Place();
    const int area = std::max(DestRect.Right - DestRect.Left, MaxLineWidth - DestRect.Left);
    for (size_t r : FByFont) {
        const Run& run = FRuns[r];
        const Line& line = FLines[run.Line];
        int dx = 0;
        if (line.Alignment == AlignRight)
            dx = area - line.Width;
        else if (line.Alignment == AlignCenter)
            dx = (area - line.Width) / 2;
        device.WritePiece(FRunFonts[run.Font], run.X + std::max(dx, 0), run.Y, run.Text);
    }
    return {0, 0, MaxLineWidth, TotalHeight};
}

size_t HintMarkup::FontIndex()
{
    auto [it, added] = FFontIndexes.try_emplace(FFont, FRunFonts.size());
    if (added)
        FRunFonts.push_back(FFont);
    return it->second;
}

void HintMarkup::WriteText(size_t from, size_t to)
{
    if (to <= from)
        return;
    std::wstring piece;
    piece.reserve(to - from);
    for (size_t k = from; k < to; ++k)
        if (Text[k] != L'\r' && Text[k] != L'\n')
            piece.push_back(Text[k]);
    if (!piece.empty())
        FRuns.push_back({FLines.size(), FontIndex(), std::move(piece)});
}

void HintMarkup::NewLine()
{
    FLines.push_back({Alignment});
}

void HintMarkup::Measure(HintTextDevice& device)
{
    // A counting sort of the runs by font keeps each font's runs in text order.
    std::vector<size_t> start(FRunFonts.size() + 1, 0);
    for (const Run& run : FRuns)
        ++start[run.Font + 1];
    for (size_t f = 1; f < start.size(); ++f)
        start[f] += start[f - 1];
    FByFont.assign(FRuns.size(), 0);
    for (size_t r = 0; r < FRuns.size(); ++r)
        FByFont[start[FRuns[r].Font]++] = r;
    FLetterHeights.assign(FRunFonts.size(), 0);
    size_t font = SIZE_MAX;
    for (size_t r : FByFont) {
        Run& run = FRuns[r];
        if (run.Font != font) {
            font = run.Font;
            FLetterHeights[font] = device.LetterHeight(FRunFonts[font]);
        }
        run.Width = device.PieceWidth(FRunFonts[font], run.Text);
    }
}

void HintMarkup::Place()
{
    X = DestRect.Left;
    Y = DestRect.Top;
    LineWidth = LineHeight = MaxLineWidth = 0;
    size_t line = 0;
    auto closeLine = [&] {
        FLines[line].Width = LineWidth > 0 ? LineWidth - DestRect.Left : 0;
        MaxLineWidth = std::max(MaxLineWidth, LineWidth);
    };
    for (Run& run : FRuns) {
        for (; line < run.Line; ++line) {
            closeLine();
            X = DestRect.Left;
            Y += LineHeight + 2;
            LineWidth = LineHeight = 0;
        }
        run.X = X;
        run.Y = Y;
        X += run.Width;
        LineWidth = X;
        LineHeight = std::max(LineHeight, FLetterHeights[run.Font]);
    }
    for (; line + 1 < FLines.size(); ++line) {
        closeLine();
        X = DestRect.Left;
        Y += LineHeight + 2;
        LineWidth = LineHeight = 0;
    }
    closeLine();
    LineWidth = 0;
    TotalHeight = Y + LineHeight;
}

std::wstring_view HintMarkup::ReadTag(size_t at) const
{
    const size_t close = Text.find(L'>', at);
    if (close == std::wstring::npos || close >= static_cast<size_t>(TextLength))
        return {};
    return std::wstring_view(UpperText).substr(at, close - at + 1);
}

void HintMarkup::ProcessTag(std::wstring_view tag)
{
    auto at = [&](size_t pos, std::wstring_view keyword) { return tag.substr(pos, keyword.size()) == keyword; };
    if (at(1, L"/")) {
        if (at(2, L"B"))
            FFont.Bold = false;
        else if (at(2, L"I"))
            FFont.Italic = false;
        else if (at(2, L"FONT"))
            PopFont();
        return;
    }
    if (at(1, L"BR")) {
        X = DestRect.Left;
        NewLine();
    } else if (at(1, L"B")) {
        FFont.Bold = true;
    } else if (at(1, L"I")) {
        FFont.Italic = true;
    } else if (at(1, L"P")) {
        X = DestRect.Left;
        NewLine();
        if (auto a = ParagraphAlignment(tag))
            Alignment = *a;
    } else if (at(1, L"FONT")) {
        PushFont(tag);
    }
}

void HintMarkup::PushFont(std::wstring_view upperTag)
{
    if (FontStack.size() >= MaxSavedFonts) {
        ++FUnsavedFonts;
        return;
    }
    FontStack.push_back(FFont);
    ApplyFontTag(FFont, ParseFontTag(upperTag));
}

void HintMarkup::PopFont()
{
    if (FUnsavedFonts > 0) {
        --FUnsavedFonts;
        return;
    }
    if (FontStack.empty())
        return;
    FFont = std::move(FontStack.back());
    FontStack.pop_back();
}

} // namespace ks
