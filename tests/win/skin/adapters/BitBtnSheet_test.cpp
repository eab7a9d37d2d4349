// The contact sheet of the bit button: a form under the internal skin with one class-library bit
// button in each glyph layout, taken over by the form's provider through the manager's bit-button
// list, captured as the screen shows it into <build>/bitbtn-sheet.png for people to look at.
// Each glyph is also looked for on its side of its button.
#include "skin/adapters/acButtonAdapters.h"

#include "skin/core/sSkinManager.h"
#include "skin/core/sStoredSkins.h"
#include "skin/forms/acCtrlAdapter.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Buttons.h"
#include "win/support/InternalSkin.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr TColor Glyph = 0x000000FF, GlyphDown = 0x00FF0000, Key = 0x00FF00FF;

// Two 16 x 16 cells, up and pressed: a filled square in a key-coloured ring.
void GiveGlyph(TBitBtn& button)
{
    TBitmap b;
    b.SetPixelFormat(pf24bit);
    b.SetSize(32, 16);
    HDC dc = b.Canvas().Handle();
    for (int cell = 0; cell < 2; ++cell) {
        HBRUSH key = CreateSolidBrush(static_cast<COLORREF>(Key));
        HBRUSH fill = CreateSolidBrush(static_cast<COLORREF>(cell == 0 ? Glyph : GlyphDown));
        RECT all{cell * 16, 0, cell * 16 + 16, 16}, inner{cell * 16 + 2, 2, cell * 16 + 14, 14};
        FillRect(dc, &all, key);
        FillRect(dc, &inner, fill);
        DeleteObject(key);
        DeleteObject(fill);
    }
    GdiFlush();
    button.SetGlyph(&b);
    button.SetNumGlyphs(2);
}

class BitBtnSheetTest : public ks::test::InternalSkinFixture {};

TEST_F(BitBtnSheetTest, EveryLayoutOfASkinnedBitButton)
{
    Manager->ThirdLists[tkBitBtn].Add("TBitBtn");
    ks::SetNextFormCreation({true, false, {}});
    auto* form = CreateNew<TForm>(Application);
    form->SetBounds(30, 30, 470, 150);
    form->SetText(L"Bit buttons");
    struct Cell { TButtonLayout layout; const wchar_t* caption; TBitBtn* button = nullptr; } cells[] = {
        {blGlyphLeft, L"Left"}, {blGlyphRight, L"Right"}, {blGlyphTop, L"Top"}, {blGlyphBottom, L"Bottom"}};
    int x = 10;
    for (Cell& c : cells) {
        c.button = Create<TBitBtn>(form);
        c.button->SetParent(form);
        c.button->SetBounds(x, 20, 100, 64);
        c.button->SetCaption(c.caption);
        c.button->SetLayout(c.layout);
        GiveGlyph(*c.button);
        x += 110;
    }
    form->Show();
    Pump();
    auto* provider = Create<TsSkinProvider>(form);
    provider->PrepareForm();
    ASSERT_NE(provider->Adapter, nullptr);
    ASSERT_EQ(provider->Adapter->Items.size(), 4u);
    for (auto* item : provider->Adapter->Items)
        EXPECT_NE(dynamic_cast<TacBitBtnWnd*>(item->WndAdapter), nullptr);
    cells[1].button->SetFocus();
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();

    auto shot = ks::test::ScreenPicture(form->Handle());
    ks::test::WriteSheetPng(*shot, std::string(KS_BUILD_DIR) + "/bitbtn-sheet.png");
    RECT formAt{};
    GetWindowRect(form->Handle(), &formAt);
    for (const Cell& c : cells) {
        SCOPED_TRACE(static_cast<int>(c.layout));
        RECT at{};
        GetWindowRect(c.button->Handle(), &at);
        const int left = at.left - formAt.left, top = at.top - formAt.top;
        // The glyph's box in the button: the up cell, or the lit one of the focused button.
        TRect box{100, 64, -1, -1};
        for (int y = 0; y < 64; ++y)
            for (int gx = 0; gx < 100; ++gx) {
                const auto colour = static_cast<TColor>(GetPixel(shot->Canvas().Handle(), left + gx, top + y));
                if (colour == Glyph || colour == GlyphDown)
                    box = {std::min(box.Left, gx), std::min(box.Top, y), std::max(box.Right, gx + 1),
                           std::max(box.Bottom, y + 1)};
            }
        EXPECT_EQ(box.Width(), 12) << "the cell without its key-coloured ring";
        EXPECT_EQ(box.Height(), 12);
        const int midX = (box.Left + box.Right) / 2, midY = (box.Top + box.Bottom) / 2;
        switch (c.layout) {
        case blGlyphLeft: EXPECT_LT(midX, 50); break;
        case blGlyphRight: EXPECT_GT(midX, 50); break;
        case blGlyphTop: EXPECT_LT(midY, 32); break;
        case blGlyphBottom: EXPECT_GT(midY, 32); break;
        }
    }
    form->Free();
    Pump();
}

} // namespace
