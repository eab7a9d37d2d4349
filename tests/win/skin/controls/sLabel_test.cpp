#include "skin/controls/sLabel.h"

#include "skin/controls/sGroupBox.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "win/skin/core/PaintingStubs.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Labels on a shown form, skinned by the internal skin, one of them inside a group box.
class sLabelTest : public ks::test::SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        Form->SetBounds(100, 100, 300, 200);
        Form->SetColor(clBlack);
        label = AddLabel(Form, L"Length:", 10, 10);
        box = Create<TsGroupBox>(Form);
        box->SetParent(Form);
        box->SetBounds(10, 60, 200, 100);
        inner = AddLabel(box, L"Inside", 20, 40);
        Pump();
    }

    TsLabel* AddLabel(TWinControl* parent, const std::wstring& caption, int x, int y)
    {
        auto* l = Create<TsLabel>(Form);
        l->SetParent(parent);
        l->SetLeft(x);
        l->SetTop(y);
        l->SetCaption(caption);
        l->Font()->SetColor(clRed);
        return l;
    }
    // Paints the Form, labels included (colours are taken while painting).
    void Capture()
    {
        auto picture = NewBitmap24(Form->Width(), Form->Height());
        Form->PaintTo(picture->Canvas().Handle(), 0, 0);
    }

    TsLabel* label = nullptr;
    TsGroupBox* box = nullptr;
    TsLabel* inner = nullptr;
};

TEST_F(sLabelTest, TextTakesTheSkinsFontColourUnlessTheLabelKeepsItsOwn)
{
    auto* own = AddLabel(Form, L"Own", 100, 10);
    own->SetUseSkinColor(false);
    auto* named = AddLabel(Form, L"Named", 150, 10);
    named->SetSkinSection("HINT");
    auto* missing = AddLabel(Form, L"Missing", 200, 10);
    missing->SetSkinSection("NOSUCHSECTION");
    Capture();
    const TColor global = Manager->GlobalSectionFontColor();
    EXPECT_EQ(label->Font()->Color(), global);
    // The box lets its parent's colours through: the form offers no section of its own.
    EXPECT_EQ(inner->Font()->Color(), global);
    EXPECT_EQ(own->Font()->Color(), clRed);
    const int hint = Manager->FindSection("HINT");
    ASSERT_GT(hint, 0);
    EXPECT_EQ(named->Font()->Color(), Manager->GeneralDataArray[static_cast<size_t>(hint)].FontColor[0]);
    EXPECT_NE(named->Font()->Color(), global);
    EXPECT_EQ(missing->Font()->Color(), global) << "a section the skin lacks changes nothing";
}

TEST_F(sLabelTest, DisabledTextIsMixedIntoTheBackground)
{
    auto* panel = Create<ks::test::TBackParent>(Form);
    panel->SetParent(Form);
    panel->SetBounds(0, 0, 100, 40);
    panel->SetColor(clBlack);
    auto* dim = AddLabel(panel, L"Length:", 10, 10);
    dim->SetUseSkinColor(false);
    dim->Font()->SetColor(0x00FF00);
    dim->SetEnabled(false);
    Pump();
    auto picture = NewBitmap24(panel->Width(), panel->Height());
    panel->PaintTo(picture->Canvas().Handle(), 0, 0);
    GdiFlush();
    int maxGreen = 0, maxOther = 0;
    for (int y = 0; y < panel->Height(); ++y)
        for (int x = 0; x < panel->Width(); ++x) {
            const uint32_t p = ks::test::Get24(*picture, x, y);
            maxGreen = std::max<int>(maxGreen, p >> 8 & 0xFF);
            maxOther = std::max<int>({maxOther, static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p & 0xFF)});
        }
    EXPECT_EQ(maxGreen, 102) << "40 % of the text colour over black";
    EXPECT_EQ(maxOther, 0);
}

TEST_F(sLabelTest, AnEmptyDisabledCaptionStillMeasuresALine)
{
    label->SetEnabled(false);
    label->SetCaption(L"");
    EXPECT_GT(label->Height(), 5);
    EXPECT_GT(label->Width(), 0);
}

TEST_F(sLabelTest, SkinRemovalGivesTheWindowTextColourBackExceptToLabelsKeepingTheirOwn)
{
    auto* own = AddLabel(Form, L"Own", 100, 10);
    own->SetUseSkinColor(false);
    Capture();
    Manager->SetActive(false);
    Pump();
    EXPECT_EQ(label->Font()->Color(), clWindowText);
    EXPECT_EQ(own->Font()->Color(), clRed);
    Capture();
    EXPECT_EQ(label->Font()->Color(), clWindowText) << "no skin colours it any more";
}

// An edit with skin data, as skinned edits carry, and the caption bound to it.
class sBoundLabelTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        form = CreateNew<TForm>(nullptr);
        form->SetBounds(100, 100, 400, 200);
        edit = Create<TEdit>(form);
        edit->SetName("Field");
        edit->SetParent(form);
        edit->SetBounds(150, 80, 120, 21);
        skinData = std::make_unique<TsCommonData>(edit, false);
        bound = std::make_unique<TsBoundLabel>(edit, skinData.get());
        form->Show();
        Pump();
    }
    void TearDown() override
    {
        bound.reset();
        skinData.reset();
        form->Free();
        VclFixture::TearDown();
    }

    TForm* form = nullptr;
    TEdit* edit = nullptr;
    std::unique_ptr<TsCommonData> skinData;
    std::unique_ptr<TsBoundLabel> bound;
};

TEST_F(sBoundLabelTest, TheLabelFollowsItsEditByLayout)
{
    bound->SetActive(true);
    TsEditLabel& l = *bound->TheLabel();
    EXPECT_EQ(l.Name(), "FieldLabel");
    EXPECT_EQ(l.Caption(), L"Field") << "the edit's name stands for an empty caption";
    EXPECT_EQ(l.FocusControl(), edit);
    bound->SetCaption(L"Password");
    const int w = l.Width(), h = l.Height();
    struct Case {
        TsCaptionLayout layout;
        int indent;
        TAlignment alignment;
        int left, top;
    } cases[] = {
        {sclLeft, 0, taRightJustify, 150 - w - 4, 80 + (21 - h) / 2 - 1},
        {sclLeft, 5, taRightJustify, 150 - w - 9, 80 + (21 - h) / 2 - 1},
        {sclTopLeft, 2, taLeftJustify, 150, 80 - h - 2},
        {sclTopCenter, 0, taCenter, 150 + (120 - w) / 2, 80 - h},
        {sclTopRight, 0, taRightJustify, 150 + 120 - w, 80 - h},
    };
    for (const Case& c : cases) {
        bound->SetLayout(c.layout);
        bound->SetIndent(c.indent);
        bound->AlignLabel();
        EXPECT_EQ(l.Alignment(), c.alignment) << c.layout;
        EXPECT_EQ(l.Left(), c.left) << c.layout << " " << c.indent;
        EXPECT_EQ(l.Top(), c.top) << c.layout << " " << c.indent;
    }
    // The edit moves; its owner realigns the label.
    bound->SetLayout(sclLeft);
    bound->SetIndent(0);
    edit->SetBounds(200, 120, 120, 21);
    bound->AlignLabel();
    EXPECT_EQ(l.Left(), 200 - w - 4);
    EXPECT_EQ(l.Top(), 120 + (21 - h) / 2 - 1);

    bound->SetMaxWidth(40);
    EXPECT_FALSE(l.AutoSize());
    EXPECT_TRUE(l.WordWrap());
    EXPECT_EQ(l.Width(), 40);
    EXPECT_GE(l.Height(), 21);
}

TEST_F(sBoundLabelTest, TheLabelGoingFirstLeavesNoDanglingReference)
{
    bound->SetActive(true);
    bound->TheLabel()->Free();
    EXPECT_EQ(bound->TheLabel(), nullptr);
    bound->SetActive(false);
    bound->SetActive(true);
    ASSERT_NE(bound->TheLabel(), nullptr);
    bound->SetActive(false);
    EXPECT_EQ(bound->TheLabel(), nullptr);
    bound->SetUseSkinColor(false);
    EXPECT_TRUE(bound->UseSkinColor());
}

} // namespace
