// The contact sheet of the hint windows, <build>/hints-sheet.png, for people to look at: each of
// the four shapes in its preset's look with and without its shadow, and a hint with tags. Each
// cell is the window's own composed picture laid over a backdrop by its alpha, as a compositing
// desktop would show it; Xvfb shows layered windows without their alpha.
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sSkinManager.h"
#include "win/skin/controls/HintTestSupport.h"
#include "win/support/InternalSkin.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace ks::test;

constexpr TColor Backdrop = 0x705030;
constexpr int CellW = 330;
constexpr int CellH = 170;

// Lays a premultiplied 32-bit picture over sheet at (x, y) with the window's constant alpha.
void Composite(TBitmap& sheet, TBitmap& picture, int x0, int y0, BYTE constant)
{
    GdiFlush();
    for (int y = 0; y < picture.Height() && y0 + y < sheet.Height(); ++y) {
        const uint8_t* s = picture.ScanLine(y);
        uint8_t* d = sheet.ScanLine(y0 + y) + 3 * x0;
        for (int x = 0; x < picture.Width() && x0 + x < sheet.Width(); ++x, s += 4, d += 3) {
            const int a = s[3] * constant / 255;
            for (int c = 0; c < 3; ++c)
                d[c] = static_cast<uint8_t>((s[c] * constant / 255) + d[c] * (255 - a) / 255);
        }
    }
}

class HintSheetTest : public HintWindowFixture {
protected:
    // Lays the hint's picture into its cell. Returns the number of the picture's pixels that show
    // something outside the body (its shadow), and counts into red those of its body that are red
    // ink.
    template <class T>
    int Cell(TBitmap& sheet, int col, int row, const std::wstring& text, const std::string& label, int* red = nullptr)
    {
        T* w = Show<T>(text, {400, 300});
        w->PrepareLayeredImage();
        EXPECT_TRUE(w->LayeredImage);
        if (!w->LayeredImage)
            return 0;
        TBitmap& image = *w->LayeredImage;
        const TRect body = w->BodyRect();
        // Something of the body is opaque: the shape was drawn.
        EXPECT_EQ(Pixel32(image, body.Left + body.Width() / 2, body.Top + body.Height() / 2)[3], 255);
        int outside = 0;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x) {
                const uint8_t* p = Pixel32(image, x, y);
                const bool inBody = x >= body.Left && x < body.Right && y >= body.Top && y < body.Bottom;
                outside += !inBody && p[3] != 0;
                if (red && inBody && p[3] == 255 && p[2] > 200 && p[1] < 60 && p[0] < 60)
                    ++*red;
            }
        Composite(sheet, image, col * CellW + 10, row * CellH + 22, w->SourceConstantAlpha);
        DrawSheetLabel(sheet, col * CellW + 10, row * CellH + 4, label);
        w->LayeredImage.reset();
        return outside;
    }
};

TEST_F(HintSheetTest, ShapesWithAndWithoutShadowAndATaggedHint)
{
    auto sheet = NewBitmap24(2 * CellW, 5 * CellH + 70);
    sheet->Canvas().Brush().SetColor(Backdrop);
    sheet->Canvas().FillRect({0, 0, sheet->Width(), sheet->Height()});
    const std::wstring text = L"Использовать в пароле латинские строчные буквы.";
    int outside[2][4] = {};
    for (int shadow = 0; shadow < 2; ++shadow) {
        const std::string suffix = shadow ? " with shadow" : " without shadow";
        auto prepare = [&](TsHintsPredefinitions preset) {
            FreeAndNil(window);
            FreeAndNil(manager);
            MakeManager(preset);
            manager->SetDefaultMousePos(shadow ? mpLeftTop : mpRightBottom);
            manager->HintKind()->SetShadowEnabled(shadow == 1);
        };
        prepare(shGradient);
        outside[shadow][0] = Cell<TsSimplyHintWindow>(*sheet, shadow, 0, text, "simply (shGradient)" + suffix);
        prepare(shComicsGradient);
        outside[shadow][1] = Cell<TsComicsHintWindow>(*sheet, shadow, 1, text, "comics (shComicsGradient)" + suffix);
        prepare(shEllipse);
        outside[shadow][2] = Cell<TsEllipseHintWindow>(*sheet, shadow, 2, text, "ellipse (shEllipse)" + suffix);
        prepare(shBalloon);
        outside[shadow][3] = Cell<TsBalloonHintWindow>(*sheet, shadow, 3, text, "balloon (shBalloon)" + suffix);
    }
    // The shadow shows beside each shape only when it is on.
    for (int shape = 0; shape < 4; ++shape)
        EXPECT_GT(outside[1][shape], outside[0][shape]) << "shape " << shape;
    FreeAndNil(window);
    FreeAndNil(manager);
    MakeManager(shGradient);
    manager->SetHTMLMode(true);
    int red = 0;
    Cell<TsSimplyHintWindow>(*sheet, 0, 4,
                             L"<b>Жирный</b> и <font color=red>красный</font> текст<br>"
                             L"вторая <i>строка</i> << знак<br><font size=+4 color=#0000FF>крупно</font> и снова",
                             "tags: bold, colour, size, line breaks", &red);
    EXPECT_GT(red, 10) << "the red text";
    FreeAndNil(window);
    FreeAndNil(manager);
    MakeManager(shComicsTransparent);
    manager->SetHTMLMode(true);
    Cell<TsComicsHintWindow>(*sheet, 1, 4,
                             L"<p align=center><font face=\"Courier New\" color=navy>Цифры</font>"
                             L"<br>[ 0-9 ]<p align=right>справа",
                             "tags: face, centred and right paragraphs");
    FreeAndNil(window);
    FreeAndNil(manager);
    auto* skins = NewInternalSkinManager();
    MakeManager(shGradient);
    manager->SetUseSkinData(true);
    Cell<TsSimplyHintWindow>(*sheet, 0, 5, L"Сгенерировать новый пароль", "from the skin's HINT section");
    FreeAndNil(window);
    FreeAndNil(manager);
    skins->Free();
    WriteSheetPng(*sheet, std::string(KS_BUILD_DIR) + "/hints-sheet.png");
}

} // namespace
