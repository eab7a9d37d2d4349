#include "skin/controls/sHtmlParse.h"

#include "vcl/GdiHandles.h"
#include "vcl/SysUtils.h"

#include <algorithm>

void TsHtml::Init(TBitmap* bitmap, std::wstring_view text, const TRect& rect)
{
    Bitmap = bitmap;
    FSelectedValid = false;
    FBaseFont = std::make_unique<TFont>();
    if (bitmap)
        FBaseFont->Assign(&bitmap->Canvas().Font());
    FBase = {FBaseFont->Name(), FBaseFont->Size(), FBaseFont->Style().Contains(fsBold),
             FBaseFont->Style().Contains(fsItalic), FBaseFont->Color()};
    HintMarkup::Init(text, rect, FBase);
}

void TsHtml::Render(TRect& rect)
{
    rect = {0, 0, 0, 0};
    if (!Bitmap)
        return;
    FDC = Bitmap->Canvas().Handle();
    if (!FDC)
        return;
    {
        // Puts back the font, colour and background mode the canvas had selected.
        ks::SavedDC saved(FDC);
        SetBkMode(FDC, TRANSPARENT);
        rect = HintMarkup::Render(*this);
    }
    try {
        Bitmap->Canvas().Font().Assign(FBaseFont.get());
    } catch (const Exception&) {
        // The canvas's own font was made before; only a new one can fail.
    }
    FSelectedValid = false;
    FDC = nullptr;
}

void TsHtml::Select(const ks::HintFont& font)
{
    if (FSelectedValid && FSelected == font)
        return;
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
    try {
        // The canvas selects the font as its description changes.
        Bitmap->Canvas().Font().Assign(&FWork);
    } catch (const Exception&) {
        SelectObject(FDC, GetStockObject(DEFAULT_GUI_FONT));
        SetTextColor(FDC, static_cast<COLORREF>(ColorToRGB(font.Color)));
    }
    FSelected = font;
    FSelectedValid = true;
}

int TsHtml::PieceWidth(const ks::HintFont& font, std::wstring_view text)
{
    Select(font);
    SIZE size{};
    GetTextExtentPoint32W(FDC, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

int TsHtml::LetterHeight(const ks::HintFont& font)
{
    Select(font);
    SIZE size{};
    GetTextExtentPoint32W(FDC, L"X", 1, &size);
    return size.cy;
}

void TsHtml::WritePiece(const ks::HintFont& font, int x, int y, std::wstring_view text)
{
    Select(font);
    ExtTextOutW(FDC, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
}
