#include "skin/controls/sHtmlParse.h"

#include "skin/core/CacheBitmaps.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

namespace {

class sHtmlParseTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        bmp = NewBitmap24(400, 200);
        bmp->Canvas().Font().SetName(L"Tahoma");
        bmp->Canvas().Font().SetHeight(-11);
        bmp->Canvas().Font().SetColor(clBlack);
    }
    void TearDown() override
    {
        bmp.reset();
        VclFixture::TearDown();
    }
    TRect Render(const std::wstring& text, TRect r = {0, 0, 200, 0})
    {
        TsHtml html;
        html.Init(bmp.get(), text, r);
        html.Render(r);
        return r;
    }
    // Width of text in the canvas's font with style.
    int Width(const std::wstring& text, TFontStyles style = {}, int size = 0)
    {
        TFont f;
        f.Assign(&bmp->Canvas().Font());
        f.SetStyle(style);
        if (size)
            f.SetSize(size);
        auto probe = NewBitmap24(1, 1);
        probe->Canvas().Font().Assign(&f);
        return probe->Canvas().TextWidth(text);
    }
    int XHeight(int size = 0)
    {
        auto probe = NewBitmap24(1, 1);
        probe->Canvas().Font().Assign(&bmp->Canvas().Font());
        if (size)
            probe->Canvas().Font().SetSize(size);
        return probe->Canvas().TextHeight(L"X");
    }
    std::unique_ptr<TBitmap> bmp;
};

TEST_F(sHtmlParseTest, MeasuresWithTheFontsTheTagsChoose)
{
    const int size = bmp->Canvas().Font().Size();
    struct Case {
        const char* name;
        std::wstring text;
        int width, height;
    } cases[] = {
        {"BoldRun", L"Цифры <b>[ 0-9 ]</b> да", Width(L"Цифры ") + Width(L"[ 0-9 ]", {fsBold}) + Width(L" да"),
         XHeight()},
        {"LineBreak", L"Закрыть<br>приложение", std::max(Width(L"Закрыть"), Width(L"приложение")),
         2 * XHeight() + 2},
        {"Bigger", L"a<font size=+2>b</font>c", Width(L"a") + Width(L"b", {}, size + 2) + Width(L"c"),
         XHeight(size + 2)},
        {"TwoLessThans", L"<<b>", Width(L"<b>"), XHeight()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TRect r = Render(c.text);
        EXPECT_EQ(r.Width(), c.width);
        EXPECT_EQ(r.Height(), c.height);
    }
}

TEST_F(sHtmlParseTest, CanvasFontIsTheSameAfterwards)
{
    Render(L"<b><i><font size=20 color=red face=\"Courier New\">x");
    EXPECT_EQ(bmp->Canvas().Font().Name(), L"Tahoma");
    EXPECT_EQ(bmp->Canvas().Font().Height(), -11);
    EXPECT_TRUE(bmp->Canvas().Font().Style().Empty());
    EXPECT_EQ(bmp->Canvas().TextWidth(L"abc"), Width(L"abc"));
}

TEST_F(sHtmlParseTest, WritesInTheTagsColour)
{
    bmp->Canvas().Brush().SetColor(clWhite);
    bmp->Canvas().FillRect({0, 0, 400, 200});
    Render(L"<font size=28 color=#FF0000><b>WWW</b></font> <font size=28 color=lime>WWW", {10, 10, 390, 10});
    GdiFlush();
    int red = 0, lime = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; ++x) {
            const TColor c = bmp->Canvas().Pixels(x, y);
            red += c == 0x0000FF;
            lime += c == 0x00FF00;
        }
    EXPECT_GT(red, 50);
    EXPECT_GT(lime, 50);
}

} // namespace
