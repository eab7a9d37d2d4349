#include "skin/controls/sGroupBox.h"

#include "skin/controls/sLabel.h"
#include "skin/controls/sSpeedButton.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/ParentBackground.h"
#include "skin/core/sSkinManager.h"
#include "vcl/Forms.h"
#include "win/skin/core/PaintingStubs.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/AccessViolations.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

using ks::test::Get24;
using ks::test::Get24Of;

constexpr TColor FormColour = 0x804020;
// The internal skin's GROUPBOX frame and font colour.
constexpr uint32_t FrameGreen = 0x008000;

// A shown form of a plain colour holding a group box skinned by the internal skin, asked by
// the controls inside it for their background.
class sGroupBoxTest : public ks::test::SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        Form->SetBounds(100, 100, 300, 200);
        Form->SetColor(FormColour);
        box = Create<TsGroupBox>(Form);
        box->SetParent(Form);
        box->SetBounds(10, 10, 200, 120);
        box->SetCaption(L"Options");
        Pump();
    }

    // The box as it paints itself.
    std::unique_ptr<TBitmap> Capture()
    {
        auto picture = NewBitmap24(box->Width(), box->Height());
        box->PaintTo(picture->Canvas().Handle(), 0, 0);
        GdiFlush();
        return picture;
    }
    bool HasPixel(TBitmap& b, const TRect& r, uint32_t colour)
    {
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (Get24(b, x, y) == colour)
                    return true;
        return false;
    }

    TsGroupBox* box = nullptr;
};

// The box copies its cache as it stands until it moves or its caption changes; then it rebuilds
// it, and the controls inside, which take their background from it, rebuild theirs.
TEST_F(sGroupBoxTest, ARepaintRebuildsTheCacheOnlyWhenTheLookChanged)
{
    auto* inner = Create<TsGroupBox>(Form);
    inner->SetParent(box);
    inner->SetBounds(20, 40, 100, 50);
    Pump();
    const int x = box->Width() / 2, y = box->Height() - 20;
    const auto mark = [&] {
        MarkCache(*box->SkinData(), x, y);
        MarkCache(*inner->SkinData(), 50, 40);
    };
    const auto marked = [&](TBitmap& picture) {
        return std::pair{Get24(picture, x, y) == Get24Of(CacheMarker),
                         Get24(picture, inner->Left() + 50, inner->Top() + 40) == Get24Of(CacheMarker)};
    };
    mark();
    box->Repaint();
    EXPECT_EQ(marked(*Capture()), std::pair(true, true)) << "nothing changed: the caches are copied";
    struct Change { const char* name; void (*apply)(TsGroupBox*); } const changes[] = {
        {"Moved", [](TsGroupBox* b) { b->SetLeft(b->Left() + 3); }},
        {"Caption", [](TsGroupBox* b) { b->SetCaption(L"Параметры"); }},
        {"Section", [](TsGroupBox* b) { b->SkinData()->SetSkinSection("EDIT"); }},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        mark();
        c.apply(box);
        box->Repaint();
        EXPECT_EQ(marked(*Capture()), std::pair(false, false));
        Pump();
    }
}

// Inputs of the picture that no caption change or move brings along: the font sets the band's
// height with no caption at all, and a parent without a picture of its own gives its colour.
TEST_F(sGroupBoxTest, AFontOrParentColourChangeRebuildsTheCacheWithoutACaption)
{
    box->SetCaption(L"");
    Pump();
    box->Repaint();
    const int x = box->Width() / 2, y = box->Height() - 20;
    struct Change { const char* name; void (*apply)(TsGroupBox*, TForm*); } const changes[] = {
        {"Font", [](TsGroupBox* b, TForm*) { b->Font()->SetSize(b->Font()->Size() + 8); }},
        {"ParentColour", [](TsGroupBox*, TForm* f) { f->SetColor(0x2040A0); }},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        MarkCache(*box->SkinData(), x, y);
        c.apply(box, Form);
        box->Repaint();
        EXPECT_NE(Get24(*Capture(), x, y), Get24Of(CacheMarker));
        Pump();
    }
}

TEST_F(sGroupBoxTest, PaintsTheFrameThroughTheMiddleOfTheCaptionBandOverTheParentsColour)
{
    ASSERT_TRUE(box->SkinData()->IsSkinActive());
    EXPECT_EQ(box->SkinData()->SkinSection(), "GROUPBOX");
    auto picture = Capture();
    const int band = box->CaptionHeight();
    const int mid = box->Width() / 2;
    EXPECT_EQ(Get24(*picture, mid, band / 2), FrameGreen) << "the top edge of the frame";
    EXPECT_EQ(Get24(*picture, mid, 0), Get24Of(ColorToRGB(FormColour))) << "the band above it";
    EXPECT_EQ(Get24(*picture, mid, box->Height() - 20), Get24Of(ColorToRGB(FormColour))) << "inside";
    EXPECT_EQ(Get24(*picture, mid, box->Height() - 1), FrameGreen) << "the bottom edge";
    // The caption is written in the section's font colour on the left, where the frame gives way.
    const TRect caption = box->CaptionRect(40);
    EXPECT_TRUE(HasPixel(*picture, caption, FrameGreen));
    EXPECT_NE(Get24(*picture, caption.Left + 2, band / 2), FrameGreen) << "no frame under the caption's margin";
}

TEST_F(sGroupBoxTest, WithoutACaptionTheFrameRunsWholeAndANegativeOffsetLiftsItToTheTop)
{
    box->SetCaption(L"");
    auto picture = Capture();
    for (int x = 8; x < 40; ++x)
        EXPECT_EQ(Get24(*picture, x, box->CaptionHeight() / 2), FrameGreen) << x;
    box->SetCaptionYOffset(-4);
    EXPECT_EQ(Get24(*Capture(), box->Width() / 2, 0), FrameGreen);
}

TEST_F(sGroupBoxTest, CaptionRectFollowsLayoutAndClipsToTheBox)
{
    const int h = box->CaptionHeight();
    struct Case {
        TsGroupCaptionLayout layout;
        int textWidth;
        int yOffset;
        TRect expected;
    } cases[] = {
        {clTopLeft, 40, 0, {6, 0, 54, h}},
        {clTopRight, 40, 0, {200 - 40 - 14, 0, 200 - 6, h}},
        {clTopCenter, 40, 0, {(200 - 40 - 10) / 2, 0, (200 - 40 - 10) / 2 + 48, h}},
        {clTopCenter, 300, 0, {0, 0, 200, h}},
        {clTopLeft, 40, 5, {6, 0, 54, h + 5}},
        {clTopLeft, 40, -3, {6, -3, 54, h - 3}},
    };
    for (const Case& c : cases) {
        box->SetCaptionLayout(c.layout);
        box->SetCaptionYOffset(c.yOffset);
        EXPECT_TRUE(box->CaptionRect(c.textWidth) == c.expected) << c.layout << " " << c.textWidth << " " << c.yOffset;
    }
}

TEST_F(sGroupBoxTest, ChildrenAskTheBoxForTheirBackground)
{
    // The see-through box passes the question on: a plain parent gives its colour.
    BackgroundInfo info;
    ASSERT_TRUE(QueryParentBackground(info, box, false));
    EXPECT_EQ(info.BackgroundKind, BgKindColor);
    EXPECT_EQ(ColorToRGB(info.Color), ColorToRGB(FormColour));

    // With a caption section of its own the box offers its own image.
    box->SetCaptionSkin("BUTTON");
    BackgroundInfo own;
    ASSERT_TRUE(QueryParentBackground(own, box, false));
    EXPECT_EQ(own.BackgroundKind, BgKindBitmap);
    EXPECT_EQ(own.Bmp, box->SkinData()->CacheBitmap.get());
    EXPECT_EQ(own.Offset.X, 0);
    EXPECT_EQ(own.Offset.Y, 0);
}

TEST_F(sGroupBoxTest, AParentImageShowsInTheBandAndIsHandedOnWithTheBoxsOffset)
{
    auto* parent = Create<ks::test::TBackParent>(Form);
    parent->SetParent(Form);
    parent->SetBounds(0, 0, 260, 160);
    auto image = NewBitmap24(260, 160);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 260; ++x)
            ks::test::Set24(*image, x, y, static_cast<uint32_t>(x << 16 | y));
    parent->Answer = [&image](BackgroundInfo& info) {
        info.BackgroundKind = BgKindBitmap;
        info.Bmp = image.get();
        info.Offset = {0, 0};
    };
    box->SetParent(parent);
    Pump();
    auto picture = Capture();
    EXPECT_EQ(Get24(*picture, 100, 1), static_cast<uint32_t>((box->Left() + 100) << 16 | (box->Top() + 1)));
    BackgroundInfo info;
    ASSERT_TRUE(QueryParentBackground(info, box, false));
    EXPECT_EQ(info.BackgroundKind, BgKindBitmap);
    EXPECT_EQ(info.Bmp, image.get());
    EXPECT_EQ(info.Offset.X, box->Left());
    EXPECT_EQ(info.Offset.Y, box->Top());
    box->SetParent(Form);
}

TEST_F(sGroupBoxTest, SkinRemovalUnskinsAndANewSkinSkinsAgain)
{
    // A label inside hears the removal through the box and gives its skin colour up.
    auto* label = Create<TsLabel>(Form);
    label->SetParent(box);
    label->Font()->SetColor(clRed);
    Manager->SetActive(false);
    Pump();
    EXPECT_EQ(box->SkinData()->SkinIndex, -1);
    EXPECT_EQ(label->Font()->Color(), clWindowText);
    auto plain = Capture();
    EXPECT_NE(Get24(*plain, box->Width() / 2, box->CaptionHeight() / 2), FrameGreen);

    Manager->SetActive(true);
    Pump();
    EXPECT_TRUE(box->SkinData()->IsSkinActive());
    auto skinned = Capture();
    EXPECT_EQ(Get24(*skinned, box->Width() / 2, box->CaptionHeight() / 2), FrameGreen);
}

} // namespace

namespace {

TEST_F(sGroupBoxTest, ACaptionNarrowerThanTwiceTheBorderWidthIsWidenedByItOnBothSides)
{
    const int h = box->CaptionHeight();
    box->SetCaptionLayout(clTopLeft);
    box->SetCaptionYOffset(0);
    struct Case { int borderWidth, textWidth; TRect expected; } cases[] = {
        {0, 0, {6, 0, 14, h}},
        {5, 0, {1, 0, 19, h}},
        {4, 0, {6, 0, 14, h}}, // exactly twice the border: kept
        {5, 40, {6, 0, 54, h}},
    };
    for (const Case& c : cases) {
        box->SetBorderWidth(c.borderWidth);
        EXPECT_TRUE(box->CaptionRect(c.textWidth) == c.expected) << c.borderWidth << " " << c.textWidth;
    }
}

} // namespace

namespace {

// The box's own colour, painted instead of the skin's, reaches the screen as soon as it is set
// or changed: in the box, and in the controls inside, which show the box's picture.
TEST_F(sGroupBoxTest, ItsOwnColourReachesTheScreenInTheBoxAndBehindTheControlsInside)
{
    auto* inner = Create<TsGroupBox>(Form);
    inner->SetParent(box);
    inner->SetBounds(20, 40, 100, 50);
    Pump();
    const int x = box->Width() / 2, y = box->Height() - 20;
    const auto mark = [&] {
        MarkCache(*box->SkinData(), x, y);
        MarkCache(*inner->SkinData(), 50, 40);
    };
    const auto shown = [&] {
        return std::pair{WindowPixel(box->Handle(), x, y) == CacheMarker,
                         WindowPixel(inner->Handle(), 50, 40) == CacheMarker};
    };
    struct Change { const char* name; void (*apply)(TsGroupBox*); } const changes[] = {
        // The flag alone repaints nothing: the program asks for the repaint.
        {"OwnColour", [](TsGroupBox* b) {
             b->SkinData()->SetCustomColor(true);
             RedrawWindow(b->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
         }},
        {"OwnColourChanged", [](TsGroupBox* b) { b->SetColor(0x306090); }},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        mark();
        RedrawWindow(box->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ASSERT_EQ(shown(), std::pair(true, true)) << "painted from the caches as they stand";
        mark();
        c.apply(box);
        Pump();
        EXPECT_EQ(shown(), std::pair(false, false));
    }
}

// The mouse entering the box tells its hot speed buttons they were left; their OnMouseLeave may
// free any of them or the box itself, and the box goes on only with what is left.
class sGroupBoxLifetimeTest : public sGroupBoxTest {
protected:
    void SetUp() override
    {
        sGroupBoxTest::SetUp();
        // The skin core finds speed buttons through their unit, as in the program.
        InitializeSSpeedButtonUnit();
    }
    struct Leave {
        std::function<void()> action;
        void Handler(TObject*) { action(); }
    };
    TsSpeedButton* Button(int left)
    {
        auto* b = Create<TsSpeedButton>(Form);
        b->SetParent(box);
        b->SetBounds(left, 30, 40, 24);
        return b;
    }
};

TEST_F(sGroupBoxLifetimeTest, ALeaveHandlerThatFreesButtonsOrTheBoxEndsTheWalkCleanly)
{
    const struct Case {
        const char* name;
        int frees; // 0: the hot button itself, 1: the next one, 2: the box
    } cases[] = {{"FreesItself", 0}, {"FreesTheNextButton", 1}, {"FreesTheBox", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!box) {
            box = Create<TsGroupBox>(Form);
            box->SetParent(Form);
            box->SetBounds(10, 10, 200, 120);
        }
        TsSpeedButton* buttons[] = {Button(10), Button(60), Button(110)};
        for (TsSpeedButton* b : {buttons[0], buttons[2]})
            b->SkinData()->MouseIsAbove = true;
        int leaves = 0;
        Leave leave{[&] {
            ++leaves;
            if (leaves > 1)
                return;
            if (c.frees == 2)
                FreeAndNil(box);
            else
                buttons[c.frees]->Free();
        }};
        buttons[0]->SetOnMouseLeave(TNotifyEvent(&leave, &Leave::Handler));
        buttons[2]->SetOnMouseLeave(TNotifyEvent(&leave, &Leave::Handler));

        ks::test::AccessViolations faults;
        box->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(box));
        EXPECT_EQ(faults.Count(), 0);
        EXPECT_EQ(leaves, c.frees == 2 ? 1 : 2) << "the last hot button is told unless the box went";
        if (box) {
            EXPECT_EQ(Manager->ActiveControl, box->Handle()) << "the box became the hot window after the walk";
            Manager->SetActiveControl(nullptr);
            while (box->ControlCount() > 0)
                box->Controls(0)->Free();
        }
    }
}

} // namespace
