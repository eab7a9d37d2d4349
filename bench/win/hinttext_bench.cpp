// The hint tag renderer against its yardstick, under Wine (a plain timing program run by
// ./project bench): laying out and drawing a hint of 200 visible characters with bold, italic,
// colour, size and line-break tags into a 24-bit bitmap, against DrawText of the same plain text
// into the same bitmap in the same font, wrapped at the same width. It reports the ratio against
// the target of 3; it never passes or fails.
#include "bench/Interleaved.h"
#include "skin/controls/sHtmlParse.h"
#include "skin/core/CacheBitmaps.h"
#include "vcl/Bitmap.h"
#include "vcl/Win.h"

#include <cstdio>
#include <string>

namespace {

const std::wstring Tagged =
    L"<b>Сгенерировать</b> новый пароль из <font color=#00A000>цифр</font>, <i>строчных</i> и "
    L"<i>прописных</i> букв<br><font size=+2 color=red>и спецсимволов</font> выбранной длины, "
    L"затем <b>скопировать</b> его<br>в буфер обмена одним нажатием <font face=\"Tahoma\">кнопки</font> "
    L"или пунктом <i>меню</i> поля; длина от одного знака до девяти.";

std::wstring Plain(const std::wstring& tagged)
{
    std::wstring plain;
    bool inTag = false;
    for (wchar_t c : tagged) {
        if (c == L'<')
            inTag = true;
        else if (c == L'>')
            inTag = false;
        else if (!inTag)
            plain.push_back(c);
    }
    return plain;
}

} // namespace

int main()
{
    auto bmp = NewBitmap24(420, 120);
    TCanvas& canvas = bmp->Canvas();
    canvas.Font().SetName(L"Tahoma");
    canvas.Font().SetHeight(-11);
    canvas.Brush().SetStyle(bsClear);
    const std::wstring plain = Plain(Tagged);

    const auto tags = [&] {
        TsHtml html;
        TRect r{4, 4, 416, 4};
        html.Init(bmp.get(), Tagged, r);
        html.Render(r);
    };
    auto empty = NewBitmap24(0, 0);
    empty->Canvas().Font().Assign(&canvas.Font());
    const ks::bench::Timing measure = ks::bench::Measure([&] {
        TsHtml html;
        TRect r{0, 0, 412, 0};
        html.Init(empty.get(), Tagged, r);
        html.Render(r);
    });
    const ks::bench::Ratio ratio = ks::bench::Interleave(tags, [&] {
        TRect r{4, 4, 416, 116};
        canvas.DrawText(plain, r, DT_NOPREFIX | DT_WORDBREAK | DT_CENTER);
    });
    std::printf("HintText/%zu chars  tags %7.2f us  (measuring alone %7.2f us)  DrawText %7.2f us  %s x_DrawText_max=3\n",
                plain.size(), ratio.A * 1e6, measure.Value * 1e6, ratio.B * 1e6,
                ks::bench::Text("x_DrawText", ratio).c_str());
    return 0;
}
