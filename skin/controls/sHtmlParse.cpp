#include "skin/controls/sHtmlParse.h"

#include <algorithm>

void TsHtml::Init(TBitmap* bitmap, std::wstring_view text, const TRect& rect)
{
    Bitmap = bitmap;
    FSelectedValid = false;
    FLetterHeights.clear();
    FBaseFont = std::make_unique<TFont>();
    if (bitmap)
        FBaseFont->Assign(&bitmap->Canvas().Font());
    FBase = {FBaseFont->Name(), FBaseFont->Size(), FBaseFont->Style().Contains(fsBold),
             FBaseFont->Style().Contains(fsItalic), FBaseFont->Color()};
    HintMarkup::Init(text, rect, FBase);
}

void TsHtml::Render(TRect& rect)
{
    if (!Bitmap) {
        rect = {0, 0, 0, 0};
        return;
    }
    rect = HintMarkup::Render(*this);
    Bitmap->Canvas().Font().Assign(FBaseFont.get());
    FSelectedValid = false;
}

TCanvas& TsHtml::Select(const ks::HintFont& font)
{
    TCanvas& canvas = Bitmap->Canvas();
    if (FSelectedValid && FSelected == font)
        return canvas;
    FWork.Assign(FBaseFont.get());
    if (font.Name != FBase.Name)
        FWork.SetName(font.Name);
    if (font.Size != FBase.Size)
        FWork.SetSize(font.Size);
    TFontStyles style = FBaseFont->Style();
    font.Bold ? style.Include(fsBold) : style.Exclude(fsBold);
    font.Italic ? style.Include(fsItalic) : style.Exclude(fsItalic);
    FWork.SetStyle(style);
    FWork.SetColor(font.Color);
    canvas.Font().Assign(&FWork);
    FSelected = font;
    FSelectedValid = true;
    return canvas;
}

int TsHtml::PieceWidth(const ks::HintFont& font, std::wstring_view text)
{
    return Select(font).TextWidth(text);
}

int TsHtml::LetterHeight(const ks::HintFont& font)
{
    auto known = std::find_if(FLetterHeights.begin(), FLetterHeights.end(),
                              [&](const auto& entry) { return entry.first == font; });
    if (known != FLetterHeights.end())
        return known->second;
    const int h = Select(font).TextHeight(L"X");
    FLetterHeights.emplace_back(font, h);
    return h;
}

void TsHtml::WritePiece(const ks::HintFont& font, int x, int y, std::wstring_view text)
{
    Select(font).TextOut(x, y, text);
}
