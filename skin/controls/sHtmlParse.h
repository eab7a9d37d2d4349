#pragma once
// The hint tag renderer: lays out a hint text with formatting tags (ks::HintMarkup) and writes it
// on the device context of a bitmap's canvas, in the canvas's font as the tags change it. The
// hint windows make one per pass: on their work bitmap to measure, on the body image to draw.
// Fonts are realised through the canvas, whose cache keeps them for the next hint on the same
// bitmap; pieces are measured and written straight on its device context. The canvas's font is
// the same after Render as before it; a font that cannot be made falls back to the system's GUI
// font, so Render never raises for want of one.

#include "skin/controls/HintMarkup.h"
#include "vcl/Bitmap.h"

#include <memory>
#include <string_view>

class TsHtml : public ks::HintMarkup, private ks::HintTextDevice {
public:
    // bitmap is not owned and must outlive Render.
    void Init(TBitmap* bitmap, std::wstring_view text, const TRect& rect);
    // Writes the text and answers in rect the size it needs: (0, 0, widest line, height).
    void Render(TRect& rect);

    TBitmap* Bitmap = nullptr;

private:
    int PieceWidth(const ks::HintFont& font, std::wstring_view text) override;
    int LetterHeight(const ks::HintFont& font) override;
    void WritePiece(const ks::HintFont& font, int x, int y, std::wstring_view text) override;
    // Selects font into FDC, made from the canvas's font at Init.
    void Select(const ks::HintFont& font);

    std::unique_ptr<TFont> FBaseFont;
    ks::HintFont FBase;
    HDC FDC = nullptr;
    TFont FWork;
    ks::HintFont FSelected;
    bool FSelectedValid = false;
};
