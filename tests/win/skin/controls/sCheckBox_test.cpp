#include "skin/controls/sCheckBox.h"

#include "skin/controls/sButton.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sStyleSimply.h"
#include "vcl/ActnList.h"
#include "vcl/ImgList.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/support/SheetPng.h"
#include "skin/images/acAlphaImageList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace ks::test;

UINT_PTR WINAPI NoSetTimer(HWND, UINT_PTR id, UINT, TIMERPROC) { return id; }
BOOL WINAPI NoKillTimer(HWND, UINT_PTR) { return TRUE; }

struct Clicks {
    int count = 0;
    void OnClick(TObject*) { ++count; }
};

// The internal skin's box pictures are 16 x 16 cells: a frame one pixel in (green, bright when
// hot or pressed), a black inside (dim green while pressed), a bright tick in the checked one
// and a green square in the grayed one.
class CheckBoxTest : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        ks::Sys().SetTimer = &NoSetTimer;
        ks::Sys().KillTimer = &NoKillTimer;
        Box = Create<TsCheckBox>(Form);
        Box->SetBounds(10, 10, 40, 17);
        Box->SetCaption(L"Цифры [ 0-9 ]");
        Box->SetState(cbChecked);
        Box->SetParent(Form);
        Box->SetOnClick(TNotifyEvent(&Clicks_, &Clicks::OnClick));
        Other = Create<TsButton>(Form);
        Other->SetBounds(10, 60, 80, 25);
        Other->SetParent(Form);
        Other->SetFocus();
        Pump();
    }
    // Pixel (x, y) of the glyph's cell as the window shows it.
    TColor Glyph(int x, int y)
    {
        const TRect r = Box->CheckRect();
        return WindowPixel(Box->Handle(), r.Left + x, r.Top + y);
    }
    TColor Frame() { return Glyph(1, 2); }
    TColor Inside() { return Glyph(2, 3); }
    TColor Tick() { return Glyph(4, 9); }
    TColor Middle() { return Glyph(7, 8); }
    void Run()
    {
        for (int i = 0; i < 20 && Box->FadeTimer(); ++i)
            SendMessageW(Box->FadeTimer()->Handle(), WM_TIMER, Box->FadeTimer()->TimerId(), 0);
        Pump();
    }
    LPARAM Centre() const { return MAKELPARAM(Box->Width() / 2, Box->Height() / 2); }

    TsCheckBox* Box = nullptr;
    TsButton* Other = nullptr;
    Clicks Clicks_;
};

// A 16 x 16 picture of one colour, for the box's own glyphs and image list.
std::unique_ptr<TBitmap> Cell(TColor colour)
{
    auto cell = NewBitmap24(16, 16);
    cell->Canvas().Brush().SetColor(colour);
    cell->Canvas().FillRect({0, 0, 16, 16});
    return cell;
}

// A repaint copies the cache as it stands; a change of an input of the picture, also one made
// through the platform's handlers (a held space key, a check state, the focus) or in place in
// the pictures the box holds, rebuilds it first. A fade that a change starts is let run out.
TEST_F(CheckBoxTest, ARepaintRebuildsTheCacheOnlyWhenTheLookChanged)
{
    const TRect glyph = Box->CheckRect();
    const int x = glyph.Left + 7, y = glyph.Top + 8;
    const LookChange<TsCheckBox> changes[] = {
        {"SpaceHeld", [](TsCheckBox* b) { SendMessageW(b->Handle(), WM_KEYDOWN, VK_SPACE, 0); }},
        {"SpaceLetGo", [](TsCheckBox* b) { SendMessageW(b->Handle(), WM_KEYUP, VK_SPACE, 0xC0000001); }},
        {"Checked", [](TsCheckBox* b) { b->SetChecked(true); }},
        {"Unfocused", [](TsCheckBox*) { ::SetFocus(nullptr); }},
        {"Moved", [](TsCheckBox* b) { b->SetLeft(b->Left() + 3); }},
        {"Hot", [](TsCheckBox* b) { b->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(b)); }},
        {"Caption", [](TsCheckBox* b) { b->SetCaption(L"Буквы"); }},
        {"Font", [](TsCheckBox* b) { b->Font()->SetSize(14); }},
        {"ParentColour", [](TsCheckBox* b) { b->Parent()->SetColor(0x2040A0); }},
        {"OwnColour", [](TsCheckBox* b) { b->SkinData()->SetCustomColor(true); }},
        {"OwnColourChanged", [](TsCheckBox* b) { b->SetColor(0x306090); }},
        {"GlyphLoadedInPlace", [](TsCheckBox* b) { b->GlyphChecked()->Assign(Cell(0x00C0C0).get()); }},
        {"GlyphChangedInPlace", [](TsCheckBox* b) { b->GlyphChecked()->Assign(Cell(0xC000C0).get()); }},
        {"GlyphDrawnOnInPlace", [](TsCheckBox* b) {
             TCanvas& canvas = b->GlyphChecked()->Canvas();
             canvas.Brush().SetColor(0xC00000);
             canvas.FillRect({0, 0, 16, 16});
         }},
        {"Images", [](TsCheckBox* b) {
             auto* list = Create<TImageList>(b);
             b->SetImgChecked(0);
             b->SetImgUnchecked(0);
             b->SetImages(list);
         }},
        {"ImageAddedInPlace", [](TsCheckBox* b) { b->Images()->Add(*Cell(0x40C040), nullptr); }},
        {"Section", [](TsCheckBox* b) { b->SkinData()->SetSkinSection("EDIT"); }},
        {"Disabled", [](TsCheckBox* b) { b->SetEnabled(false); }},
    };
    ExpectEachChangeRebuilds(Box, changes, {x, y},
                             [this](TsCheckBox* b) {
                                 Run();
                                 b->Repaint();
                             },
                             [&](TPoint p) { return WindowPixel(Box->Handle(), p.X, p.Y); });
}

// A box its parent does not cut needs no paint of its own each time the parent has painted.
TEST_F(CheckBoxTest, OnlyABoxItsParentCutsRepaintsAfterTheParent)
{
    EXPECT_FALSE(Box->SkinData()->ClippedByParent);
    Box->SetLeft(Form->ClientWidth() - Box->Width() / 2);
    Box->Repaint();
    EXPECT_TRUE(Box->SkinData()->ClippedByParent);
}

TEST_F(CheckBoxTest, TheSkinDrawsTheGlyphAndTheWholeCaptionAndSizesTheBoxToThem)
{
    ASSERT_TRUE(Box->SkinData()->IsSkinActive());
    const TSize text = TextSizeOfFont(Box->Font()->Handle(), Box->Caption());
    EXPECT_EQ(Box->Width(), 16 + 2 * 2 + text.cx + 8) << "the narrow box grew to its caption";
    // The skin's glyph cell is 16 x 17.
    EXPECT_EQ(Box->Height(), std::max(17, text.cy + 4) + 2);
    EXPECT_EQ(Box->CheckRect(), (TRect{2, (Box->Height() - 17) / 2, 18, (Box->Height() - 17) / 2 + 17}));

    EXPECT_EQ(Frame(), SkinGreen);
    EXPECT_EQ(Inside(), SkinBlack);
    EXPECT_EQ(Tick(), SkinBrightGreen);
    EXPECT_EQ(Middle(), SkinBlack);

    // The caption starts after the glyph and its last character, the bracket, is drawn: some
    // pixel of the skin's font colour lies in the text's last few columns.
    const int left = 16 + 2 + 4;
    int last = -1;
    for (int x = left; x < Box->Width(); ++x)
        for (int y = 0; y < Box->Height(); ++y)
            if (WindowPixel(Box->Handle(), x, y) == SkinGreen)
                last = x;
    EXPECT_GE(last, left + text.cx - 4);
    EXPECT_LT(last, Box->Width());
}

TEST_F(CheckBoxTest, TheGlyphFollowsTheStateIncludingGrayed)
{
    struct Case { TCheckBoxState state; TColor tick, middle; } cases[] = {
        {cbUnchecked, SkinBlack, SkinBlack},
        {cbGrayed, SkinBlack, SkinGreen},
        {cbChecked, SkinBrightGreen, SkinBlack},
    };
    Box->SetAllowGrayed(true);
    for (const Case& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.state));
        Box->SetState(k.state);
        Run();
        EXPECT_EQ(Tick(), k.tick);
        EXPECT_EQ(Middle(), k.middle);
        EXPECT_EQ(Frame(), SkinGreen);
    }
}

TEST_F(CheckBoxTest, ClicksAndTheSpaceKeyToggleAndShowThePressedLook)
{
    SendMessageW(Box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Centre());
    EXPECT_TRUE(Box->Pressed());
    EXPECT_TRUE(Box->Focused()) << "a press takes the focus";
    EXPECT_EQ(Clicks_.count, 0) << "taking the focus does not click";
    Run();
    EXPECT_EQ(Frame(), SkinBrightGreen);
    EXPECT_EQ(Inside(), SkinDarkGreen);
    SendMessageW(Box->Handle(), WM_LBUTTONUP, 0, Centre());
    Run();
    EXPECT_FALSE(Box->Pressed());
    EXPECT_EQ(Box->State(), cbUnchecked);
    EXPECT_EQ(Clicks_.count, 1);
    EXPECT_EQ(Tick(), SkinBlack);
    EXPECT_EQ(Inside(), SkinBlack);

    SendMessageW(Box->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(Box->Pressed());
    EXPECT_EQ(Inside(), SkinDarkGreen);
    SendMessageW(Box->Handle(), WM_KEYUP, VK_SPACE, 0xC0000000);
    Run();
    EXPECT_EQ(Box->State(), cbChecked);
    EXPECT_EQ(Clicks_.count, 2);
    EXPECT_EQ(Tick(), SkinBrightGreen);

    // A release without a press on the box (the press began elsewhere) toggles nothing.
    SendMessageW(Box->Handle(), WM_LBUTTONUP, 0, Centre());
    EXPECT_EQ(Box->State(), cbChecked);

    Box->SetReadOnly(true);
    for (UINT down : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_KEYDOWN}) {
        SCOPED_TRACE(down);
        const bool key = down == WM_KEYDOWN;
        SendMessageW(Box->Handle(), down, key ? VK_SPACE : MK_LBUTTON, key ? 0 : Centre());
        EXPECT_FALSE(Box->Pressed());
        SendMessageW(Box->Handle(), key ? WM_KEYUP : WM_LBUTTONUP, key ? VK_SPACE : 0, key ? 0xC0000000 : Centre());
        Run();
        EXPECT_EQ(Box->State(), cbChecked);
        EXPECT_EQ(Clicks_.count, 2);
        EXPECT_EQ(SendMessageW(Box->Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED, 0u) << "the platform button saw nothing";
    }
    EXPECT_EQ(Frame(), SkinGreen) << "a read-only box is never drawn hot, focused or not";
}

TEST_F(CheckBoxTest, HoverFadesInAndOutAndAFadeEndsWithItsBox)
{
    // The internal skin's check boxes do not fade; this skin's do.
    auto fadeCheckBoxes = [this] {
        TsGeneralData& section = Manager->GeneralDataArray[static_cast<size_t>(Box->SkinData()->SkinIndex)];
        section.FadingEnabled = true;
        section.FadingIterations = 5;
    };
    fadeCheckBoxes();
    Box->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Box));
    ASSERT_NE(Box->FadeTimer(), nullptr);
    EXPECT_EQ(Box->FadeTimer()->StepCount, 5);
    Run();
    EXPECT_EQ(Box->FadeTimer(), nullptr);
    EXPECT_EQ(Frame(), SkinBrightGreen);
    Box->Perform(CM_MOUSELEAVE, 0, TCMControl::ToLParam(Box));
    ASSERT_NE(Box->FadeTimer(), nullptr);
    SendMessageW(Box->FadeTimer()->Handle(), WM_TIMER, Box->FadeTimer()->TimerId(), 0);
    const TColor between = Frame();
    EXPECT_LT(GetGValue(between), 0xFF);
    EXPECT_GT(GetGValue(between), 0x80) << "a frame between the two looks";
    Run();
    EXPECT_EQ(Frame(), SkinGreen);

    // A skin change stops a running fade, and so does freeing the box.
    Box->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Box));
    ASSERT_NE(Box->FadeTimer(), nullptr);
    Manager->SetActive(false);
    Pump();
    EXPECT_EQ(Box->FadeTimer(), nullptr);
    Manager->AnimEffects()->SkinChanging()->SetActive(false);
    Manager->SetActive(true);
    Pump();
    fadeCheckBoxes();
    Box->Perform(CM_MOUSELEAVE, 0, TCMControl::ToLParam(Box));
    Box->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Box));
    TsFadeTimer* timer = Box->FadeTimer();
    ASSERT_NE(timer, nullptr);
    ks::ComponentWatch watch;
    watch.Watch(timer);
    SendMessageW(timer->Handle(), WM_TIMER, timer->TimerId(), 0);
    Box->Free();
    EXPECT_FALSE(watch.Alive(timer));
}

TEST_F(CheckBoxTest, SkinRemovalGivesThePlatformBoxBackAndANewSkinTakesItAgain)
{
    Manager->SetActive(false);
    Pump();
    EXPECT_FALSE(Box->SkinData()->IsSkinActive());
    EXPECT_EQ(SendMessageW(Box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_NE(Frame(), SkinGreen);
    SendMessageW(Box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, Centre());
    SendMessageW(Box->Handle(), WM_LBUTTONUP, 0, Centre());
    Pump();
    EXPECT_EQ(Box->State(), cbUnchecked) << "the plain box still toggles";
    Other->SetFocus();

    Manager->AnimEffects()->SkinChanging()->SetActive(false);
    Manager->SetActive(true);
    Pump();
    EXPECT_EQ(Frame(), SkinGreen);
    EXPECT_EQ(Tick(), SkinBlack);
}

TEST_F(CheckBoxTest, GlyphPlacementAndSizeFollowAlignmentCaptionAndOwnGlyphs)
{
    Box->SetAlignment(taLeftJustify);
    EXPECT_EQ(Box->CheckRect().Left, Box->Width() - 16 - 2);
    ks::Sys().IsMiddleEastLocale = [] { return true; };
    Box->SetBiDiMode(bdRightToLeft);
    EXPECT_EQ(Box->CheckRect().Left, 2) << "right-to-left reading mirrors the alignment";
    Box->SetBiDiMode(bdLeftToRight);
    Box->SetAlignment(taRightJustify);

    Box->SetCaption(L"");
    Pump();
    EXPECT_EQ(Box->Width(), 16 + 4);
    EXPECT_EQ(Box->Height(), 17 + 2);

    // Own glyphs: a strip of three 10 x 12 cells, red, blue and white, with a key-coloured
    // corner; the normal cell is drawn, its corner leaving the section's background.
    TBitmap strip;
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(30, 12);
    const TColor cells[] = {0x0000FF, 0xFF0000, 0xFFFFFF};
    for (int i = 0; i < 3; ++i) {
        strip.Canvas().Brush().SetColor(cells[i]);
        strip.Canvas().FillRect({i * 10, 0, i * 10 + 10, 12});
    }
    strip.Canvas().SetPixels(0, 0, TransparentKeyColor);
    strip.Canvas().SetPixels(0, 11, TransparentKeyColor);
    Box->SetGlyphChecked(&strip);
    Box->SetGlyphUnChecked(&strip);
    Pump();
    EXPECT_EQ(Box->CheckRect().Width(), 30) << "a strip whose width is no multiple of its height is one cell";
    strip.SetSize(36, 12);
    for (int i = 0; i < 3; ++i) {
        strip.Canvas().Brush().SetColor(cells[i]);
        strip.Canvas().FillRect({i * 12, 0, i * 12 + 12, 12});
    }
    strip.Canvas().SetPixels(0, 0, TransparentKeyColor);
    strip.Canvas().SetPixels(0, 11, TransparentKeyColor);
    Box->SetGlyphChecked(&strip);
    Pump();
    EXPECT_EQ(Box->Width(), 12 + 4);
    EXPECT_EQ(Box->Height(), std::max(12, 2 * 2) + 2);
    EXPECT_EQ(Box->CheckRect(), (TRect{2, 1, 14, 13}));
    EXPECT_EQ(Glyph(5, 5), cells[0]);
    EXPECT_EQ(Glyph(5, 11), cells[0]) << "the whole picture is drawn, not its upper half";
    EXPECT_NE(Glyph(0, 0), TransparentKeyColor);
    SendMessageW(Box->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(Glyph(5, 5), cells[2]);
}

TEST_F(CheckBoxTest, AnImageListStripShowsNormalHotAndPressedCellsAndItsFreeingIsNoticed)
{
    // One image three cells wide: red, blue, white.
    auto* list = Create<TImageList>(nullptr);
    list->SetWidth(36);
    list->SetHeight(12);
    // Written through its rows: a bitmap held by a canvas cannot be copied into the list.
    auto image = NewBitmap24(36, 12);
    const TColor cells[] = {0x0000FF, 0xFF0000, 0xFFFFFF};
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 36; ++x) {
            uint8_t* p = image->ScanLine(y) + 3 * x;
            const TColor c = cells[x / 12];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    ASSERT_EQ(list->Add(*image, nullptr), 0);
    Box->SetImages(list);
    Pump();
    EXPECT_EQ(Box->CheckRect().Width(), 12);
    EXPECT_EQ(Glyph(6, 6), cells[0]);
    Box->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Box));
    Run();
    EXPECT_EQ(Glyph(6, 6), cells[1]);
    SendMessageW(Box->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(Glyph(6, 6), cells[2]);
    SendMessageW(Box->Handle(), WM_KEYUP, VK_SPACE, 0xC0000000);
    Box->Perform(CM_MOUSELEAVE, 0, TCMControl::ToLParam(Box));
    Run();

    list->Free();
    EXPECT_EQ(Box->Images(), nullptr);
    Box->Repaint();
    EXPECT_EQ(Box->CheckRect().Width(), 16) << "the skin's glyph again";
}

// A strip of three 16 x 16 discs, red, blue and white, with soft edges: the alpha falls from
// 255 to 0 over the last two pixels of the radius.
std::vector<uint8_t> SoftDiscs(std::vector<int>& edgeAlpha)
{
    std::vector<uint8_t> s;
    edgeAlpha.assign(16 * 16, 0);
    const uint8_t colours[3][3] = {{255, 0, 0}, {0, 0, 255}, {255, 255, 255}};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 48; ++x) {
            const double dx = x % 16 - 7.5, dy = y - 7.5;
            const double d = std::sqrt(dx * dx + dy * dy);
            const int a = static_cast<int>(std::clamp((7.5 - d) / 2.0, 0.0, 1.0) * 255.0 + 0.5);
            const uint8_t* c = colours[x / 16];
            s.insert(s.end(), {c[0], c[1], c[2], static_cast<uint8_t>(a)});
            if (x < 16)
                edgeAlpha[static_cast<size_t>(y * 16 + x)] = a;
        }
    return ks::test::MakeSmallPng(48, 16, 6, s);
}

TsAlphaImageList* SoftDiscList(std::vector<int>& edgeAlpha)
{
    auto* list = Create<TsAlphaImageList>(nullptr);
    list->SetWidth(48);
    list->SetHeight(16);
    TsImgListItem* item = list->Items()->Add();
    item->SetImageFormat(ifPNG);
    const std::vector<uint8_t> png = SoftDiscs(edgeAlpha);
    item->ImgData().WriteBuffer(png.data(), png.size());
    list->GenerateStdList();
    return list;
}

// The soft edge of an alpha image list's glyph blends with what lies under it; drawn over the
// key colour first it would come out pink.
TEST_F(CheckBoxTest, AnAlphaImageListsGlyphBlendsItsSoftEdgesOverTheBox)
{
    std::vector<int> alpha;
    TsAlphaImageList* list = SoftDiscList(alpha);
    Box->SetImages(list);
    Box->SetImgChecked(0);
    Box->SetImgUnchecked(0);
    Pump();
    const TRect r = Box->CheckRect();
    ASSERT_EQ(r.Width(), 16);
    const TColor under = WindowPixel(Box->Handle(), r.Left - 1, r.Top + 1);
    int edges = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int a = alpha[static_cast<size_t>(y * 16 + x)];
            if (a < 64 || a > 192)
                continue;
            ++edges;
            const TColor shown = Glyph(x, y);
            auto blend = [a](int over, int back) { return (over * a + back * (255 - a)) / 255; };
            EXPECT_NEAR(GetRValue(shown), blend(255, GetRValue(under)), 3) << x << "," << y;
            EXPECT_NEAR(GetGValue(shown), blend(0, GetGValue(under)), 3) << x << "," << y;
            EXPECT_NEAR(GetBValue(shown), blend(0, GetBValue(under)), 3) << x << "," << y;
        }
    EXPECT_GT(edges, 8);
    EXPECT_GE(GetRValue(Glyph(8, 8)), 253) << "the opaque middle";
    EXPECT_EQ(GetBValue(Glyph(8, 8)), 0);
    Box->SetImages(nullptr);
    list->Free();
}

// The sheet people look at: boxes with the soft discs as normal, hot and pressed glyphs over the
// internal skin, four times enlarged, in <build>/checkbox-alpha-sheet.png.
TEST_F(CheckBoxTest, AlphaGlyphSheet)
{
    std::vector<int> alpha;
    TsAlphaImageList* list = SoftDiscList(alpha);
    Box->SetImages(list);
    Box->SetImgChecked(0);
    Box->SetImgUnchecked(0);
    Box->SetCaption(L"Цифры [ 0-9 ]");
    Pump();
    constexpr int Scale = 4;
    const int w = Box->Width(), h = Box->Height();
    auto sheet = NewBitmap24(3 * (w * Scale + 8), h * Scale + 24);
    sheet->Canvas().Brush().SetColor(clBlack);
    sheet->Canvas().FillRect({0, 0, sheet->Width(), sheet->Height()});
    const char* names[] = {"normal", "hot", "pressed"};
    for (int i = 0; i < 3; ++i) {
        if (i == 1) {
            Box->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(Box));
            Run();
        } else if (i == 2) {
            SendMessageW(Box->Handle(), WM_KEYDOWN, VK_SPACE, 0);
        }
        Pump();
        auto picture = NewBitmap24(w, h);
        Box->PaintTo(picture->Canvas().Handle(), 0, 0);
        GdiFlush();
        {
            // Each state shows its own disc (red, blue, white), opaque in the middle, and the
            // caption's ink beside it.
            SCOPED_TRACE(names[i]);
            const COLORREF discs[] = {RGB(255, 0, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
            const HDC dc = picture->Canvas().Handle();
            const TRect glyph = Box->CheckRect();
            const COLORREF middle = GetPixel(dc, glyph.Left + 8, glyph.Top + 8);
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(static_cast<int>((middle >> shift) & 0xFF), static_cast<int>((discs[i] >> shift) & 0xFF), 3)
                    << std::hex << middle;
            const COLORREF back = GetPixel(dc, w - 2, h / 2);
            int ink = 0;
            for (int y = 0; y < h; ++y)
                for (int x = glyph.Right + 2; x < w - 2; ++x)
                    ink += GetPixel(dc, x, y) != back;
            EXPECT_GT(ink, 20) << "the caption";
        }
        const int x = i * (w * Scale + 8);
        StretchBlt(sheet->Canvas().Handle(), x, 20, w * Scale, h * Scale, picture->Canvas().Handle(), 0, 0, w, h,
                   SRCCOPY);
        DrawSheetLabel(*sheet, x + 2, 2, names[i]);
    }
    SendMessageW(Box->Handle(), WM_KEYUP, VK_SPACE, 0xC0000000);
    Box->SetImages(nullptr);
    list->Free();
    WriteSheetPng(*sheet, std::string("Z:") + KS_BUILD_DIR + "/checkbox-alpha-sheet.png");
}

} // namespace

namespace {

// Any change of the action rebuilds the picture, even one that does not alter the look.
TEST_F(CheckBoxTest, AnActionChangeRebuildsThePictureAndTakesChecked)
{
    auto* action = Create<TAction>(Form);
    action->SetChecked(true);
    Box->SetAction(action);
    Pump();
    const TRect glyph = Box->CheckRect();
    const int x = glyph.Left + 7, y = glyph.Top + 8;
    MarkCache(*Box->SkinData(), x, y);
    action->SetHint(L"цифры");
    EXPECT_NE(WindowPixel(Box->Handle(), x, y), CacheMarker);

    action->SetChecked(false);
    EXPECT_EQ(Box->State(), cbUnchecked);
    const TColor enabledTick = Middle();
    action->SetEnabled(false);
    Pump();
    EXPECT_FALSE(Box->Enabled());
    EXPECT_NE(Middle(), enabledTick) << "disabled by its action";
}

} // namespace
