// The speed-button handler on a class-library TSpeedButton: the button painted from the skin in
// its states, its glyph cell and caption, and its WindowProc given back only while it is still
// the handler's and the button is still there.
#include "skin/adapters/SpeedButtonAdapter.h"

#include "skin/adapters/SmallAdapterGeometry.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sCommonData.h"
#include "vcl/Buttons.h"
#include "vcl/Forms.h"
#include "win/skin/adapters/SmallAdapterSkinFixture.h"
#include "win/support/AccessViolations.h"
#include "win/support/ProcessCounters.h"

#include <memory>

namespace {

using namespace ks::test;

constexpr TColor GlyphCells[2] = {0x000040F0, 0x0040F000};

class SpeedButtonAdapterTest : public SmallAdapterFixture {
protected:
    void SetUp() override
    {
        SmallAdapterFixture::SetUp();
        // The form's own colour is the parent the button fades into: no provider paints it.
        Manager->SetSkinningRules({srStdDialogs, srThirdParty});
        Form = CreateNew<TForm>(nullptr);
        Form->SetBounds(40, 400, 200, 100);
        Form->SetColor(ParentColour);
        Form->Show();
        Button = Create<TSpeedButton>(Form);
        Button->SetParent(Form);
        Button->SetBounds(10, 10, 60, 40);
        Data = std::make_unique<TsCommonData>(Button, true);
        Data->OwnerControl = Button;
    }
    void TearDown() override
    {
        Data.reset();
        FreeAndNil(Form);
        SmallAdapterFixture::TearDown();
    }
    // What the button paints when its parent asks it to.
    std::unique_ptr<TBitmap> Painted()
    {
        auto picture = NewBitmap24(Button->Width(), Button->Height());
        Button->Perform(WM_PAINT, reinterpret_cast<WPARAM>(picture->Canvas().Handle()), 0);
        GdiFlush();
        return picture;
    }
    // Two 16 x 16 cells, each keyed by its bottom-left pixel.
    void GiveGlyph()
    {
        auto glyph = NewBitmap24(32, 16);
        for (int cell = 0; cell < 2; ++cell) {
            FillWith(glyph->Canvas().Handle(), {cell * 16, 0, cell * 16 + 16, 16}, GlyphCells[cell]);
            SetPixel(glyph->Canvas().Handle(), cell * 16, 15, static_cast<COLORREF>(TransparentKeyColor));
        }
        Button->SetGlyph(glyph.get());
        Button->SetNumGlyphs(2);
    }

    TForm* Form = nullptr;
    TSpeedButton* Button = nullptr;
    std::unique_ptr<TsCommonData> Data;
};

TEST_F(SpeedButtonAdapterTest, TheButtonShowsItsSectionGlyphCellAndFrameInEachState)
{
    GiveGlyph();
    TacSpeedButtonHandler handler(Button, nullptr, Data.get(), "SPEEDBUTTON");
    EXPECT_EQ(Data->SkinSection(), "SPEEDBUTTON");
    struct Case { const char* name; int state; TColor section; TColor glyph; } cases[] = {
        {"Normal", 0, SpeedColour, GlyphCells[0]},
        {"Hot", 1, SpeedHotColour, GlyphCells[1]},
        {"Down", 2, SpeedHotColour, GlyphCells[1]},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.state == 1)
            Button->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(Button));
        if (c.state == 2) {
            Button->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(Button));
            Button->SetGroupIndex(1);
            Button->SetAllowAllUp(true);
            Button->SetDown(true);
        }
        EXPECT_EQ(handler.ButtonState(), c.state);
        auto picture = Painted();
        EXPECT_TRUE(Near(At(*picture, 1, 20), ButtonCells[c.state])) << "the frame's cell";
        EXPECT_TRUE(Near(At(*picture, 6, 20), c.section));
        // A glyph alone is centred, one pixel further while pressed.
        const int shift = c.state == 2 ? 1 : 0;
        EXPECT_TRUE(Near(At(*picture, 22 + 8 + shift, 12 + 4 + shift), c.glyph));
    }
}

TEST_F(SpeedButtonAdapterTest, ASingle32BitGlyphIsDrawnWithItsAlpha)
{
    auto glyph = NewBitmap32(16, 16);
    GdiFlush();
    for (int y = 0; y < 16; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(glyph->ScanLine(y));
        for (int x = 0; x < 16; ++x)
            row[x] = x < 8 ? 0xFF2060A0u : 0x00000000u; // opaque left half, clear right half
    }
    Button->SetGlyph(glyph.get());
    TacSpeedButtonHandler handler(Button, nullptr, Data.get(), "SPEEDBUTTON");
    auto picture = Painted();
    EXPECT_TRUE(Near(At(*picture, 22 + 3, 12 + 8), 0x00A06020)) << "the opaque half";
    EXPECT_TRUE(Near(At(*picture, 22 + 12, 12 + 8), SpeedColour)) << "the section through the clear half";
}

TEST_F(SpeedButtonAdapterTest, ACaptionIsWrittenAndADisabledButtonFadesIntoItsParent)
{
    Button->SetCaption(L"Ввод");
    TacSpeedButtonHandler handler(Button, nullptr, Data.get(), "SPEEDBUTTON");
    auto picture = Painted();
    bool inked = false;
    for (int y = 10; y < 30 && !inked; ++y)
        for (int x = 12; x < 48 && !inked; ++x)
            inked = !Near(At(*picture, x, y), SpeedColour, 8);
    EXPECT_TRUE(inked) << "the caption shows over the section";
    Button->SetEnabled(false);
    picture = Painted();
    // Over a parent that answers with a colour, half of each.
    auto half = [](TColor a, TColor b, int shift) { return ((((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) + 1) / 2) << shift; };
    const TColor mixed = half(SpeedColour, ParentColour, 0) | half(SpeedColour, ParentColour, 8) |
                         half(SpeedColour, ParentColour, 16);
    EXPECT_TRUE(Near(At(*picture, 6, 36), mixed, 3));
}

TEST_F(SpeedButtonAdapterTest, TheWindowProcComesBackOnlyWhileItIsStillTheHandlers)
{
    const TWndMethod own = Button->WindowProc();
    {
        TacSpeedButtonHandler handler(Button, nullptr, Data.get(), "SPEEDBUTTON");
        EXPECT_FALSE(Button->WindowProc() == own);
        EXPECT_EQ(Button->Perform(SM_SKINCMD, MAKEWPARAM(0, SKC_IS_SKINNED), 0), 1);
    }
    EXPECT_TRUE(Button->WindowProc() == own);

    // Someone takes the button over after the handler: they keep it.
    auto* handler = new TacSpeedButtonHandler(Button, nullptr, Data.get(), "SPEEDBUTTON");
    const TWndMethod handlers = Button->WindowProc();
    auto* later = Create<TSpeedButton>(Form);
    Button->SetWindowProc(later->WindowProc());
    delete handler;
    EXPECT_TRUE(Button->WindowProc() == later->WindowProc());
    EXPECT_FALSE(Button->WindowProc() == handlers);
    Button->SetWindowProc(own);
}

class SpeedButtonAdapterLifetimeTest : public SpeedButtonAdapterTest {};

TEST_F(SpeedButtonAdapterLifetimeTest, AButtonFreedWhileHookedLeavesTheHandlerHarmless)
{
    auto handler = std::make_unique<TacSpeedButtonHandler>(Button, nullptr, Data.get(), "SPEEDBUTTON");
    Button->Free();
    Button = nullptr;
    EXPECT_FALSE(handler->PrepareCache()) << "nothing of the freed button is painted";
    handler.reset();
    Form->Repaint();
}

// The button's OnMouseEnter or OnMouseLeave frees the handler that passed the message on, as a
// handler that frees the form's provider or the skin manager holding it does.
TEST_F(SpeedButtonAdapterLifetimeTest, AHandlerFreedByTheButtonsHoverEventsIsNotReadAfter)
{
    struct Freer {
        TacSpeedButtonHandler* handler = nullptr;
        void Free(TObject*) { delete std::exchange(handler, nullptr); }
    } freer;
    Button->SetOnMouseEnter(TNotifyEvent(&freer, &Freer::Free));
    Button->SetOnMouseLeave(TNotifyEvent(&freer, &Freer::Free));
    const TWndMethod own = Button->WindowProc();
    for (UINT msg : {CM_MOUSEENTER, CM_MOUSELEAVE}) {
        SCOPED_TRACE(msg);
        freer.handler = new TacSpeedButtonHandler(Button, nullptr, Data.get(), "SPEEDBUTTON");
        ks::test::AccessViolations faults;
        Button->Perform(msg, 0, reinterpret_cast<LPARAM>(Button));
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_EQ(freer.handler, nullptr);
        EXPECT_TRUE(Button->WindowProc() == own) << "given back as it went";
        EXPECT_TRUE(ks::test::HeapsIntact());
    }
}

} // namespace
