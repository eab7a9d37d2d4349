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
#include "win/support/Pixels24.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr TColor Glyph = 0x000000FF, GlyphDown = 0x00FF0000, Key = 0x00FF00FF;

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
        // Two 16 x 16 cells, up and pressed, each a filled square in a key-coloured ring.
        c.button->SetGlyph(ks::test::KeyedGlyphCells({Glyph, GlyphDown}, 16, Key, 2).get());
        c.button->SetNumGlyphs(2);
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
