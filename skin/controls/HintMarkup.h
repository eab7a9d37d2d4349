#pragma once
// The layout of hint texts that carry formatting tags, without a window system: tags are found
// in an ASCII-upper-cased copy of the text, the font is a plain description pushed and popped by
// FONT tags, and the text is laid out in runs on lines that BR and P close; once every line is
// known, each is moved by its paragraph's alignment and handed to a device that draws it. The
// tag renderer (sHtmlParse) is the device on a bitmap's canvas; tests use devices of their own.
//
// Any text is harmless: font sizes stay within 1..144 points, colours within 0..0xFFFFFF, at most
// MaxSavedFonts fonts are saved (deeper FONT tags are counted and closed without changing the
// font), a SIZE that is not a number is ignored, and the work is linear in the text's length.

#include "vcl/GraphicsTypes.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// The font a piece of hint text is written in.
struct HintFont {
    std::wstring Name;
    int Size = 8; // points
    bool Bold = false;
    bool Italic = false;
    TColor Color = 0;
    bool operator==(const HintFont&) const = default;
};

inline constexpr int MinHintFontSize = 1;
inline constexpr int MaxHintFontSize = 144;
inline constexpr size_t MaxSavedFonts = 64;

// What one FONT tag asks for.
struct FontTagValues {
    enum class SizeMode : uint8_t { Keep, Add, Subtract, Set };
    SizeMode Mode = SizeMode::Keep;
    int Size = 0;
    std::optional<TColor> Color;
    // Empty: the face stays.
    std::wstring Face;
};

// Upper-cases the ASCII letters only, so every position in the copy is the same character's
// position in the original.
[[nodiscard]] std::wstring UpperAscii(std::wstring_view text);
// The attributes of an upper-cased FONT tag ("<" to ">" included).
[[nodiscard]] FontTagValues ParseFontTag(std::wstring_view upperTag);
// font as the tag changes it; the size stays within the limits.
void ApplyFontTag(HintFont& font, const FontTagValues& values) noexcept;
// The ALIGN of an upper-cased P tag: 0 left, 1 right, 2 centre; nothing when it has none.
[[nodiscard]] std::optional<int> ParagraphAlignment(std::wstring_view upperTag);

// Measures and writes pieces of text for the layout.
class HintTextDevice {
public:
    virtual ~HintTextDevice() = default;
    virtual int PieceWidth(const HintFont& font, std::wstring_view text) = 0;
    // The height of "X", which sets a line's height.
    virtual int LetterHeight(const HintFont& font) = 0;
    virtual void WritePiece(const HintFont& font, int x, int y, std::wstring_view text) = 0;
};

// Devices are asked about one font at a time: the pieces are measured and written grouped by
// font, since selecting a font into a device context costs more than measuring a piece.
class HintMarkup {
public:
    // Alignment values of P tags.
    static constexpr int AlignLeft = 0;
    static constexpr int AlignRight = 1;
    static constexpr int AlignCenter = 2;

    // Starts a layout of text from rect's top-left corner in font.
    void Init(std::wstring_view text, const TRect& rect, const HintFont& font);
    // Lays the text out, has device write it, and answers (0, 0, MaxLineWidth, TotalHeight).
    TRect Render(HintTextDevice& device);

    // Layout state, in the order the layout keeps it; X, Y and the line values are those of the
    // last line once Render has returned.
    int X = 0;
    int Y = 0;
    int TextLength = 0;
    std::wstring Text;
    std::wstring UpperText;
    std::vector<HintFont> FontStack;
    TRect DestRect;
    int MaxLineWidth = 0;
    int TotalHeight = 0;
    int LineWidth = 0;
    int LineHeight = 0;
    int Alignment = AlignLeft;

    // The font the next piece is written in.
    const HintFont& CurrentFont() const noexcept { return FFont; }

protected:
    // Adds the characters from..to-1 of Text, line breaks left out, to the current line.
    void WriteText(size_t from, size_t to);
    // Closes the current line; the next piece starts a new one at the rectangle's left edge.
    void NewLine();
    // The tag starting at position at ("<" up to and including the next ">"); empty when no
    // ">" follows.
    std::wstring_view ReadTag(size_t at) const;
    void ProcessTag(std::wstring_view upperTag);
    void PushFont(std::wstring_view upperTag);
    void PopFont();

private:
    struct Run {
        size_t Line;
        size_t Font;
        std::wstring Text;
        int X = 0;
        int Y = 0;
        int Width = 0;
    };
    struct Line {
        int Alignment;
        int Width = 0;
    };
    struct FontOrder {
        bool operator()(const HintFont& a, const HintFont& b) const;
    };
    size_t FontIndex();
    // Widths of the pieces and heights of the fonts, one font at a time.
    void Measure(HintTextDevice& device);
    // X, Y and the line values, line by line.
    void Place();

    HintFont FFont;
    // FONT tags beyond MaxSavedFonts, closed before any saved font is restored.
    size_t FUnsavedFonts = 0;
    std::vector<HintFont> FRunFonts;
    std::vector<int> FLetterHeights;
    std::map<HintFont, size_t, FontOrder> FFontIndexes;
    std::vector<Run> FRuns;
    std::vector<Line> FLines;
    // The runs ordered by font.
    std::vector<size_t> FByFont;
};

} // namespace ks
