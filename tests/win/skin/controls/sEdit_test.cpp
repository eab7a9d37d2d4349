#include "skin/controls/sEdit.h"

#include "skin/controls/sLabel.h"
#include "skin/controls/sMemo.h"
#include "skin/controls/sSpeedButton.h"
#include "skin/controls/sSpinEdit.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sStoredSkins.h"
#include "vcl/StdCtrls.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/EditFrame.h"
#include "win/support/PrintedAgainstScreen.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

using namespace ks::test;

class EditTest : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        // The focus stays on the button, so the edit shows its normal look.
        Other = Create<TButton>(Form);
        Other->SetBounds(10, 100, 60, 24);
        Other->SetParent(Form);
        Edit = Create<TsEdit>(Form);
        Edit->SetBounds(10, 10, 150, 24);
        Edit->SetParent(Form);
        Edit->SetText(L"abc");
        Other->SetFocus();
        Pump();
    }
    TColor Pixel(int x, int y) const { return WindowPixel(Edit->Handle(), x, y); }
    // The client pixel far right of the text.
    TColor ClientPixel() const { return Pixel(Edit->Width() - 6, Edit->Height() / 2); }

    TButton* Other = nullptr;
    TsEdit* Edit = nullptr;
};

TEST_F(EditTest, TheFrameAndColoursComeFromTheSectionInEachState)
{
    ASSERT_TRUE(Edit->SkinData()->IsSkinActive());
    EXPECT_EQ(Edit->SkinData()->SkinSection(), "EDIT");
    EXPECT_EQ(Pixel(0, 0), SkinGreen);
    EXPECT_EQ(Pixel(1, 1), SkinDarkGreen);
    EXPECT_EQ(Pixel(Edit->Width() - 1, Edit->Height() - 1), SkinGreen);
    EXPECT_EQ(ClientPixel(), SkinBlack);
    EXPECT_EQ(ColorToRGB(Edit->Font()->Color()), SkinGreen);

    // Focused it is hot: the bright frame and font.
    Edit->SetFocus();
    Pump();
    EXPECT_EQ(Pixel(0, 0), SkinBrightGreen);
    EXPECT_EQ(Pixel(1, 1), SkinGreen);
    EXPECT_EQ(ColorToRGB(Edit->Font()->Color()), SkinBrightGreen);
    EXPECT_EQ(ClientPixel(), SkinBlack);

    Other->SetFocus();
    Pump();
    EXPECT_EQ(Pixel(0, 0), SkinGreen);
    EXPECT_EQ(ColorToRGB(Edit->Font()->Color()), SkinGreen);
}

// The frame is copied from the cache as it stands until an input of its picture changes; then
// the cache is rebuilt first.
TEST_F(EditTest, TheFrameIsRebuiltForEachInputOfItsPicture)
{
    // The edit's own colour shows only when it asks for it.
    Edit->SkinData()->SetCustomColor(true);
    const int x = Edit->Width() / 2, y = 1;
    const auto repaint = [this] {
        RedrawWindow(Edit->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        Pump();
    };
    repaint();
    MarkCache(*Edit->SkinData(), x, y);
    repaint();
    EXPECT_EQ(Pixel(x, y), CacheMarker) << "nothing changed: the cache is copied";
    const LookChange<TsEdit> changes[] = {
        {"Focused", [](TsEdit* e) { e->SetFocus(); }},
        {"Moved", [](TsEdit* e) { e->SetLeft(e->Left() + 3); }},
        {"Resized", [](TsEdit* e) { e->SetWidth(e->Width() + 4); }},
        {"Colour", [](TsEdit* e) { e->SetColor(0x203040); }},
        {"ParentColour", [](TsEdit* e) { e->Parent()->SetColor(0x2040A0); }},
        {"Section", [](TsEdit* e) { e->SkinData()->SetSkinSection("BUTTON"); }},
        {"Disabled", [](TsEdit* e) { e->SetEnabled(false); }},
    };
    ExpectEachChangeRebuilds(Edit, changes, {x, y}, [&](TsEdit*) { repaint(); },
                             [&](TPoint p) { return Pixel(p.X, p.Y); });
}

TEST_F(EditTest, ADisabledEditShowsItsCacheWithPasswordCharacters)
{
    Edit->SetPasswordChar(L'*');
    EXPECT_EQ(Edit->DisplayText(), L"***");
    Edit->SetEnabled(false);
    Pump();
    TBitmap* cache = Edit->SkinData()->CacheBitmap.get();
    ASSERT_TRUE(cache && !cache->Empty());
    int differ = 0;
    for (int y = 0; y < Edit->Height(); ++y)
        for (int x = 0; x < Edit->Width(); ++x)
            differ += Pixel(x, y) != cache->Canvas().Pixels(x, y);
    EXPECT_EQ(differ, 0) << "the whole window, text included, is the cache";
    EXPECT_NE(ClientPixel(), SkinBlack) << "the disabled look is mixed with the form";
}

TEST_F(EditTest, SkinRemovalAndReturnUnskinAndReskinTheEdit)
{
    Manager->SetActive(false);
    Pump();
    EXPECT_FALSE(Edit->SkinData()->IsSkinActive());
    EXPECT_EQ(Edit->Color(), clWindow);
    EXPECT_EQ(Edit->Font()->Color(), clWindowText);
    EXPECT_NE(Pixel(0, 0), SkinGreen);
    EXPECT_EQ(ClientPixel(), ColorToRGB(clWindow));

    // Without the skin-changing animation's screen lock the edit's own refresh repaints it.
    Manager->AnimEffects()->SkinChanging()->SetActive(false);
    Manager->SetActive(true);
    Pump();
    EXPECT_TRUE(Edit->SkinData()->IsSkinActive());
    EXPECT_EQ(Pixel(0, 0), SkinGreen);
    EXPECT_EQ(ClientPixel(), SkinBlack);
}

TEST_F(EditTest, OnlyItsOwnManagerRefreshesTheEdit)
{
    TsSkinManager* other = Create<TsSkinManager>(nullptr);
    ValidateRect(Edit->Handle(), nullptr);
    SendMessageW(Edit->Handle(), SM_SKINCMD, MAKELONG(0, SKC_REFRESH), reinterpret_cast<LPARAM>(other));
    EXPECT_FALSE(GetUpdateRect(Edit->Handle(), nullptr, FALSE));
    SendMessageW(Edit->Handle(), SM_SKINCMD, MAKELONG(0, SKC_REFRESH), reinterpret_cast<LPARAM>(Manager));
    EXPECT_TRUE(GetUpdateRect(Edit->Handle(), nullptr, FALSE));
    other->Free();
}

TEST_F(EditTest, PrintingDrawsTheSkinnedFrameAndGivesTheDeviceContextBack)
{
    auto picture = NewBitmap24(Edit->Width(), Edit->Height());
    HDC dc = picture->Canvas().Handle();
    SendMessageW(Edit->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND);
    GdiFlush();
    EXPECT_EQ(picture->Canvas().Pixels(0, 0), SkinGreen);
    EXPECT_EQ(picture->Canvas().Pixels(1, 1), SkinDarkGreen);
    EXPECT_EQ(picture->Canvas().Pixels(Edit->Width() - 6, Edit->Height() / 2), SkinBlack);
    POINT origin{-1, -1};
    GetViewportOrgEx(dc, &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    RECT clip{};
    EXPECT_EQ(GetClipBox(dc, &clip), SIMPLEREGION);
    EXPECT_EQ(clip.right, Edit->Width());
}

TEST_F(EditTest, TheBoundLabelFollowsTheEditsPlaceVisibilityEnablingAndReadingOrder)
{
    ASSERT_NE(Edit->BoundLabel(), nullptr);
    Edit->SetLeft(120);
    Edit->BoundLabel()->SetCaption(L"Name");
    Edit->BoundLabel()->SetActive(true);
    TsEditLabel* label = Edit->BoundLabel()->TheLabel();
    ASSERT_NE(label, nullptr);
    auto placedLeft = [&] { return label->Left() + label->Width() + 4 == Edit->Left(); };
    EXPECT_TRUE(placedLeft());

    Edit->SetBounds(140, 40, 150, 24);
    EXPECT_TRUE(placedLeft()) << "moved with the edit";
    EXPECT_EQ(label->Top(), Edit->Top() + (Edit->Height() - label->Height()) / 2 - 1);

    Edit->SetVisible(false);
    EXPECT_FALSE(label->Visible());
    Edit->SetBounds(160, 50, 150, 24);
    Edit->SetVisible(true);
    EXPECT_TRUE(label->Visible());
    EXPECT_TRUE(placedLeft()) << "placed anew when shown";

    struct Case { TsDisabledKind kind; bool labelEnabled; } cases[] = {
        {TsDisabledKind{dkBlended}, false},
        {TsDisabledKind{dkGrayed}, true},
    };
    for (const Case& k : cases) {
        Edit->SetDisabledKind(k.kind);
        Edit->SetEnabled(false);
        EXPECT_EQ(label->Enabled(), k.labelEnabled);
        Edit->SetEnabled(true);
        EXPECT_TRUE(label->Enabled());
    }

    Edit->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(label->BiDiMode(), bdRightToLeft);

    // Without a skin the label keeps following.
    Manager->SetActive(false);
    Pump();
    Edit->SetVisible(false);
    EXPECT_FALSE(label->Visible());
}

} // namespace

namespace {

TEST_F(EditTest, TheFrameAndTheTextInsetFollowTheBorderAndTheBevels)
{
    struct Case {
        const char* name;
        EditFrame look;
        int frame, inset;
    } cases[] = {
        {"SunkenBorder", {bsSingle, true, bvRaised, bvLowered, bkNone}, 2, 2},
        {"FlatBorder", {bsSingle, false, bvRaised, bvLowered, bkNone}, 1, 1},
        {"BevelsWithoutRoom", {bsNone, true, bvRaised, bvLowered, bkNone}, 2, 0},
        {"OneBevelWithoutRoom", {bsNone, true, bvNone, bvLowered, bkNone}, 1, 0},
        {"NoBorderNoBevels", {bsNone, true, bvNone, bvNone, bkFlat}, 0, 0},
        {"BevelsWithRoom", {bsNone, true, bvRaised, bvLowered, bkFlat}, 2, 2},
        {"BorderAndBevels", {bsSingle, true, bvRaised, bvNone, bkSoft}, 2, 3},
        {"FlatBorderAndBevels", {bsSingle, false, bvSpace, bvLowered, bkTile}, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.look.ApplyTo(*Edit);
        EXPECT_EQ(Edit->FrameWidth(), c.frame);
        EXPECT_EQ(Edit->TextInset(), c.inset);
    }
}

// The frame strips cover the bevels' room; inside them the platform edit paints its client.
TEST_F(EditTest, AFrameOfBevelsIsPaintedFromTheSection)
{
    Edit->SetBorderStyle(bsNone);
    Edit->SetBevelKind(bkFlat);
    Pump();
    EXPECT_EQ(Pixel(0, 0), SkinGreen);
    EXPECT_EQ(Pixel(1, 1), SkinDarkGreen);
    EXPECT_EQ(ClientPixel(), SkinBlack);
}

} // namespace

namespace {

// A printed edit is the edit as the screen shows it, frame, bevels and text in their places.
TEST_F(EditTest, APrintedEditIsTheEditOnTheScreen)
{
    const struct {
        const char* name;
        EditFrame look;
    } looks[] = {
        {"SunkenBorder", {bsSingle, true, bvRaised, bvLowered, bkNone}},
        {"FlatBorder", {bsSingle, false, bvNone, bvNone, bkNone}},
        {"BevelsInsideASingleBorder", {bsSingle, true, bvRaised, bvLowered, bkFlat}},
        {"BorderAndOneBevel", {bsSingle, true, bvRaised, bvNone, bkSoft}},
        {"BevelsWithRoom", {bsNone, true, bvRaised, bvLowered, bkFlat}},
        {"FlatBorderAndABevel", {bsSingle, false, bvNone, bvLowered, bkFlat}},
        // A frame two pixels wide with no non-client room: it lies over the client's edge.
        {"BevelsWithoutRoom", {bsNone, true, bvRaised, bvLowered, bkNone}},
    };
    Edit->SetText(L"Пароль 42");
    for (const auto& l : looks) {
        SCOPED_TRACE(l.name);
        l.look.ApplyTo(*Edit);
        RedrawWindow(Edit->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        Pump();
        const PrintedAgainstScreen seen = ComparePrintWithScreen(Edit->Handle());
        EXPECT_EQ(seen.differing, 0) << seen;
        EXPECT_EQ(seen.platformBorder, 0) << "the platform's own border shows";
        if (std::string(l.name) == "BevelsInsideASingleBorder")
            ks::test::WriteSheetPng(*seen.printed, std::string(KS_BUILD_DIR) + "/edit-printed.png");
        if (std::string(l.name) == "FlatBorder")
            ks::test::WriteSheetPng(*seen.screen, std::string(KS_BUILD_DIR) + "/edit-flat-screen.png");
    }
}

// The caret blinks by inverting its pixels: a frame copied over a shown caret would keep
// inverted pixels of the frame once the caret goes.
TEST_F(EditTest, TheCaretLeavesNoMarkOnAFrameOverTheClient)
{
    EditFrame{bsNone, true, bvRaised, bvLowered, bkNone}.ApplyTo(*Edit);
    Edit->SetFocus();
    Edit->SetSelStart(0);
    Pump();
    RedrawWindow(Edit->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    ASSERT_TRUE(HideCaret(Edit->Handle()));
    const PrintedAgainstScreen seen = ComparePrintWithScreen(Edit->Handle());
    ShowCaret(Edit->Handle());
    EXPECT_EQ(seen.differing, 0) << seen;
}

// The control, or its form, freed as its context menu opens (the menu's root item's OnClick):
// nothing of either is touched after. Run under Wine's freed-memory checking.
class ContextMenuLifetimeTest : public SkinnedFormFixture {};

void CALLBACK EndMenuSoon(HWND, UINT, UINT_PTR, DWORD)
{
    EndMenu();
}

TEST_F(ContextMenuLifetimeTest, AControlOrItsFormFreedAsItsContextMenuOpensIsLeftAlone)
{
    struct Freer {
        TControl* control; // nullptr: the form goes
        TForm* form;
        int calls = 0;
        void Click(TObject*)
        {
            ++calls;
            control ? FreeAndNil(control) : FreeAndNil(form);
        }
    };
    const std::pair<const char*, TControl* (*)(TForm*)> kinds[] = {
        {"Edit", [](TForm* f) -> TControl* { return Create<TsEdit>(f); }},
        {"SpinEdit", [](TForm* f) -> TControl* { return Create<TsSpinEdit>(f); }},
        {"Memo", [](TForm* f) -> TControl* { return Create<TsMemo>(f); }},
        {"SpeedButton", [](TForm* f) -> TControl* { return Create<TsSpeedButton>(f); }},
    };
    for (const auto& [name, make] : kinds)
        for (bool formGoes : {false, true}) {
            SCOPED_TRACE(std::string(name) + (formGoes ? ", its form freed" : ", the control freed"));
            auto* form = CreateNew<TForm>(Application);
            form->SetBounds(60, 60, 240, 140);
            TControl* control = make(form);
            control->SetParent(form);
            control->SetBounds(10, 10, 120, 40);
            auto* menu = Create<TPopupMenu>(form);
            menu->Items()->Add(Create<TMenuItem>(menu));
            control->SetPopupMenu(menu);
            form->Show();
            Pump();
            Freer freer{formGoes ? nullptr : control, form};
            menu->Items()->SetOnClick(TNotifyEvent(&freer, &Freer::Click));
            // A right button's release over the control's window, or over the windowless one's.
            auto* windowed = dynamic_cast<TWinControl*>(control);
            const UINT_PTR timer = SetTimer(nullptr, 0, 30, &EndMenuSoon);
            SendMessageW(windowed ? windowed->Handle() : form->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(15, 15));
            Pump();
            KillTimer(nullptr, timer);
            EXPECT_EQ(freer.calls, 1) << "the menu opened once";
            if (freer.form)
                freer.form->Free();
        }
}

} // namespace
