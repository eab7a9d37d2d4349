// The bit button on a shown form: its owner-drawn window, where its glyph and caption go, which
// glyph cell each state shows, its kinds, and its properties read from a form resource.
#include "vcl/Buttons.h"

#include "vcl/FormStreaming.h"
#include "vcl/FormText.h"
#include "vcl/Forms.h"
#include "win/support/Pixels24.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr TColor Key = 0x00FF00FF, Up = 0x00008000, Off = 0x00800000, Pressed = 0x00000080;

class BitBtnTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(nullptr);
        Form->SetBounds(40, 40, 300, 200);
        Button = Create<TBitBtn>(Form);
        Button->SetParent(Form);
        Button->SetBounds(10, 10, 120, 50);
        Button->SetCaption(L"Save");
        Form->Show();
        Pump();
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        VclFixture::TearDown();
    }
    TColor Screen(int x, int y)
    {
        UpdateWindow(Button->Handle());
        HDC dc = GetDC(Button->Handle());
        const auto c = static_cast<TColor>(GetPixel(dc, x, y));
        ReleaseDC(Button->Handle(), dc);
        return c;
    }
    // The glyph's middle where the layout puts it in the button's client.
    TPoint GlyphMiddle()
    {
        HDC dc = GetDC(Button->Handle());
        const HGDIOBJ old = SelectObject(dc, Button->Font()->Handle());
        SIZE text{};
        GetTextExtentPoint32W(dc, L"Save", 4, &text);
        SelectObject(dc, old);
        ReleaseDC(Button->Handle(), dc);
        const TButtonLayoutResult at = CalcButtonLayout({120, 50}, {12, 12}, {text.cx, text.cy}, Button->Layout(),
                                                        Button->Margin(), Button->Spacing());
        return {at.glyph.X + 6, at.glyph.Y + 6};
    }

    TForm* Form = nullptr;
    TBitBtn* Button = nullptr;
};

TEST(ButtonLayout, GlyphAndCaptionShareTheClientAsMarginAndSpacingSay)
{
    struct Case { const char* name; TButtonLayout layout; int margin, spacing; TPoint glyph; TRect caption; } cases[] = {
        // 100 x 40 client, 16 x 12 glyph, 30 x 14 caption.
        {"centred left", blGlyphLeft, -1, 4, {25, 14}, {45, 13, 75, 27}},
        {"centred right", blGlyphRight, -1, 4, {59, 14}, {25, 13, 55, 27}},
        {"margin left", blGlyphLeft, 3, 4, {3, 14}, {23, 13, 53, 27}},
        {"margin, even spacing", blGlyphLeft, 3, -1, {3, 14}, {44, 13, 74, 27}},
        {"all even", blGlyphLeft, -1, -1, {18, 14}, {52, 13, 82, 27}},
        {"top", blGlyphTop, -1, 4, {42, 5}, {35, 21, 65, 35}},
        {"bottom", blGlyphBottom, 2, 4, {42, 26}, {35, 8, 65, 22}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TButtonLayoutResult r = CalcButtonLayout({100, 40}, {16, 12}, {30, 14}, c.layout, c.margin, c.spacing);
        EXPECT_EQ(r.glyph, c.glyph);
        EXPECT_EQ(r.caption, c.caption);
    }
    EXPECT_EQ(CalcButtonLayout({100, 40}, {16, 12}, {0, 0}, blGlyphLeft, -1, 4).glyph, (TPoint{42, 14}))
        << "no caption, no spacing";
}

TEST_F(BitBtnTest, DrawsItselfWithTheGlyphCellOfItsState)
{
    EXPECT_EQ(GetWindowLongW(Button->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    auto glyph = ks::test::KeyedGlyphCells({Up, Off, Pressed}, 12, Key);
    Button->SetGlyph(glyph.get());
    Button->SetNumGlyphs(3);
    Pump();
    TPoint mid = GlyphMiddle();
    EXPECT_EQ(Screen(mid.X, mid.Y), Up);
    EXPECT_NE(Screen(mid.X - 5, mid.Y + 5), Key) << "the key colour is left out";

    SendMessageW(Button->Handle(), BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(Screen(mid.X + 1, mid.Y + 1), Pressed) << "pressed: its cell, one pixel right and down";
    SendMessageW(Button->Handle(), BM_SETSTATE, FALSE, 0);

    Button->SetEnabled(false);
    Pump();
    EXPECT_EQ(Screen(mid.X, mid.Y), Off);
    Button->SetEnabled(true);

    for (TButtonLayout layout : {blGlyphRight, blGlyphTop, blGlyphBottom}) {
        SCOPED_TRACE(static_cast<int>(layout));
        Button->SetLayout(layout);
        Pump();
        mid = GlyphMiddle();
        EXPECT_EQ(Screen(mid.X, mid.Y), Up);
    }
}

TEST_F(BitBtnTest, KindsGiveCaptionAndResultAndStreamWithTheOtherSettings)
{
    Button->SetKind(bkOK);
    EXPECT_TRUE(Button->Default());
    Button->SetKind(bkNo);
    EXPECT_TRUE(Button->Cancel());

    InitializeButtonsUnit();
    TForm* read = CreateNew<TForm>(nullptr);
    ReadRootComponent(CompileFormText("object F: TForm\n"
                                      "  object B: TBitBtn\n"
                                      "    Kind = bkRetry\n"
                                      "    Layout = blGlyphBottom\n"
                                      "    Margin = 3\n"
                                      "    NumGlyphs = 2\n"
                                      "    Spacing = -1\n"
                                      "  end\n"
                                      "end\n"),
                      *read);
    auto* b = dynamic_cast<TBitBtn*>(read->FindComponent("B"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Kind(), bkRetry);
    EXPECT_EQ(b->Caption(), L"&Retry");
    EXPECT_EQ(b->ModalResult(), mrRetry);
    EXPECT_EQ(b->Layout(), blGlyphBottom);
    EXPECT_EQ(b->Margin(), 3);
    EXPECT_EQ(b->NumGlyphs(), 2);
    EXPECT_EQ(b->Spacing(), -1);
    read->Free();
}

} // namespace
