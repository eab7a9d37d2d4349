#include "skin/controls/sHintWindows.h"

#include "skin/controls/HintShapes.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sSkinManager.h"
#include "vcl/StdCtrls.h"
#include "vcl/TextMeasure.h"
#include "win/skin/controls/HintTestSupport.h"
#include "win/skin/core/SkinTestFiles.h"
#include "win/support/InternalSkin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>

namespace {

using namespace ks::test;

class sHintWindowsTest : public HintWindowFixture {
protected:
    // The text's size drawn in the manager's font as the hint draws it, by the measure the
    // labels share.
    TRect Measured(const std::wstring& text)
    {
        const TSize size = ks::DrawnTextSize(text, *manager->HintKind()->Font(), DT_NOPREFIX | DT_WORDBREAK | DT_CENTER,
                                             manager->HintKind()->MaxWidth());
        return {0, 0, size.cx, size.cy};
    }
};

TEST_F(sHintWindowsTest, MeasuresTextWithMarginsShadowAndPointer)
{
    MakeManager(shComicsGradient);
    TsHintKind& k = *manager->HintKind();
    const std::wstring text = L"Сгенерировать новый пароль";
    const TRect t = Measured(text);
    const int s = k.ShadowOffset();
    const int frame = 2 * (k.BevelWidth());

    auto* simply = Create<TsSimplyHintWindow>(nullptr);
    window = simply;
    TRect r = simply->CalcHintRect(1000, text, nullptr);
    EXPECT_EQ(r.Width(), t.Width() + 2 * k.MarginH() + frame + s);
    EXPECT_EQ(r.Height(), t.Height() + 2 * k.MarginV() + frame + s);
    FreeAndNil(window);

    auto* comics = Create<TsComicsHintWindow>(nullptr);
    window = comics;
    r = comics->CalcHintRect(1000, text, nullptr);
    EXPECT_EQ(r.Height(), t.Height() + 2 * k.MarginV() + frame + s + k.ExOffset());
    FreeAndNil(window);

    // An ellipse round a box w x h is larger by the diagonal's excess in both directions.
    auto* ellipse = Create<TsEllipseHintWindow>(nullptr);
    window = ellipse;
    r = ellipse->CalcHintRect(1000, text, nullptr);
    const int w = t.Width() + 2 * k.MarginH() + frame + s;
    const int h = t.Height() + 2 * k.MarginV() + frame + s + k.ExOffset();
    const double d = std::sqrt(double(w) * w + double(h) * h) - w;
    EXPECT_EQ(ellipse->ExtraWidth, static_cast<int>(std::nearbyint(w * d / h)));
    EXPECT_EQ(ellipse->ExtraHeight, static_cast<int>(std::nearbyint(h * d / w)));
    EXPECT_EQ(r.Width(), w + ellipse->ExtraWidth);
    EXPECT_EQ(r.Height(), h + ellipse->ExtraHeight);
}

TEST_F(sHintWindowsTest, ShortRoundHintsAreAtLeastFiftyWide)
{
    MakeManager(shBalloon);
    manager->HintKind()->SetShadowEnabled(false);
    TsHintKind& k = *manager->HintKind();
    auto* balloon = Create<TsBalloonHintWindow>(nullptr);
    window = balloon;
    const TRect r = balloon->CalcHintRect(1000, L"a", nullptr);
    EXPECT_EQ(r.Width() - balloon->ExtraWidth, 50 + 2 * (k.MarginH() + k.BevelWidth()));
}

TEST_F(sHintWindowsTest, EmptyTextWithoutMarginsMeasuresWithoutFault)
{
    MakeManager(shEllipse);
    TsHintKind& k = *manager->HintKind();
    k.SetMarginH(0);
    k.SetMarginV(0);
    k.SetBevelWidth(0);
    k.SetExOffset(0);
    k.SetShadowEnabled(false);
    auto* ellipse = Show<TsEllipseHintWindow>(L"");
    // An empty text still has its line: the ellipse grows around it from the round shapes' least
    // width, with nothing else beside it.
    EXPECT_GT(ellipse->ExtraWidth, 0);
    EXPECT_EQ(ellipse->Width(), 50 + ellipse->ExtraWidth);
    EXPECT_GT(ellipse->Height(), 1);
}

TEST_F(sHintWindowsTest, HugeTextGetsNoWindowLargerThanTheScreen)
{
    MakeManager(shSimply);
    manager->SetHTMLMode(true);
    std::wstring text;
    for (int i = 0; i < 200; ++i)
        text += L"<font size=+50>WWWWWWWWWW<br>";
    auto* w = Show<TsSimplyHintWindow>(text);
    EXPECT_LE(w->Width(), Screen->Width());
    EXPECT_LE(w->Height(), Screen->Height());
}

TEST_F(sHintWindowsTest, KeepsInsideTheWorkAreaAndTurnsItsCorner)
{
    MakeManager(shComicsTransparent);
    const TRect work = Screen->WorkAreaRect();
    struct Case {
        const char* name;
        TsMousePosition wanted;
        TPoint anchor;
        TsMousePosition expected;
    } cases[] = {
        {"Middle", mpLeftTop, {300, 300}, mpLeftTop},
        {"MiddleRightBottom", mpRightBottom, {300, 300}, mpRightBottom},
        {"NearBottomRight", mpLeftTop, {work.Right - 5, work.Bottom - 5}, mpRightBottom},
        {"NearBottom", mpLeftTop, {300, work.Bottom - 5}, mpLeftBottom},
        {"NearTopLeftWantingRightBottom", mpRightBottom, {work.Left + 5, work.Top + 5}, mpLeftTop},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        manager->SetDefaultMousePos(c.wanted);
        auto* w = Show<TsComicsHintWindow>(L"Закрыть приложение", c.anchor);
        EXPECT_EQ(w->MousePos, c.expected);
        RECT r{};
        GetWindowRect(w->Handle(), &r);
        const bool right = c.expected == mpRightTop || c.expected == mpRightBottom;
        const bool bottom = c.expected == mpLeftBottom || c.expected == mpRightBottom;
        EXPECT_EQ(right ? r.right : r.left, c.anchor.X);
        EXPECT_EQ(bottom ? r.bottom : r.top, c.anchor.Y);
        EXPECT_GE(r.left, work.Left);
        EXPECT_LE(r.bottom, work.Bottom);
        // The pointer's tip lies at the anchor's corner, inside the shape.
        w->PrepareLayeredImage();
        const TPoint tip = ks::PointerTip(w->Width(), w->Height(), right, bottom);
        EXPECT_EQ(Pixel32(*w->LayeredImage, tip.X, tip.Y)[3], 255);
        w->LayeredImage.reset();
    }
}

TEST_F(sHintWindowsTest, FadesInToTheKindsTransparency)
{
    MakeManager(shSimply);
    struct Case {
        int transparency;
        BYTE last;
    } cases[] = {{0, 255}, {40, 153}, {100, 0}, {150, 0}, {-20, 255}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.transparency);
        manager->HintKind()->SetTransparency(c.transparency);
        gLayeredCalls.clear();
        gSleeps = 0;
        auto* w = Show<TsSimplyHintWindow>(L"Свернуть");
        ASSERT_EQ(gLayeredCalls.size(), 32u);
        EXPECT_EQ(gLayeredCalls.front().alpha, 0);
        for (size_t i = 1; i < gLayeredCalls.size(); ++i)
            EXPECT_GE(gLayeredCalls[i].alpha, gLayeredCalls[i - 1].alpha);
        EXPECT_EQ(gLayeredCalls.back().alpha, c.last);
        EXPECT_EQ(gLayeredCalls.back().size.cx, w->Width());
        EXPECT_EQ(gSleeps, 31);
        EXPECT_NE(GetWindowLongPtrW(w->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
        EXPECT_TRUE(IsWindowVisible(w->Handle()));
    }
    manager->SetAnimated(false);
    manager->HintKind()->SetTransparency(40);
    gLayeredCalls.clear();
    Show<TsSimplyHintWindow>(L"Свернуть");
    ASSERT_EQ(gLayeredCalls.size(), 1u);
    EXPECT_EQ(gLayeredCalls[0].alpha, 153);
}

TEST_F(sHintWindowsTest, LayeredImageIsBodyInsideAndShadowOutside)
{
    MakeManager(shComicsTransparent);
    TsHintKind& k = *manager->HintKind();
    k.SetShadowBlur(0);
    auto* w = Show<TsComicsHintWindow>(L"Справка", {300, 300});
    w->PrepareLayeredImage();
    TBitmap& img = *w->LayeredImage;
    const TRect body = w->BodyRect();
    const int s = k.ShadowOffset();
    // Inside the body, away from the text and the outline: the kind's colour, opaque.
    const uint8_t* in = Pixel32(img, body.Left + 3, (body.Top + body.Bottom) / 2);
    EXPECT_EQ(in[3], 255);
    EXPECT_EQ(static_cast<TColor>(in[2] | in[1] << 8 | in[0] << 16), k.Color());
    // Just below the body's bottom edge, within the shadow: black, as dark as the shadow.
    const uint8_t* shadow = Pixel32(img, body.Right - 30, body.Bottom + s / 2);
    EXPECT_EQ(shadow[0] | shadow[1] | shadow[2], 0);
    const int darkest = 255 - std::max(k.Transparency(), k.ShadowTransparency()) * 255 / 100;
    EXPECT_EQ(shadow[3], 255 - darkest);
    // The far corner opposite the pointer lies outside both.
    const uint8_t* out = Pixel32(img, img.Width() - 1, 0);
    EXPECT_EQ(out[3], 0);
    // The outline takes the border colours.
    const uint8_t* edge = Pixel32(img, body.Left, (body.Top + body.Bottom) / 2);
    EXPECT_EQ(static_cast<TColor>(edge[2] | edge[1] << 8 | edge[0] << 16), k.ColorBorderTop());
}

// The outline of a drawn shape in system colours shows those colours as the system gives them.
TEST_F(sHintWindowsTest, AShapesOutlineInSystemColoursShowsThoseColours)
{
    MakeManager(shComicsTransparent);
    TsHintKind& k = *manager->HintKind();
    k.SetShadowEnabled(false);
    k.SetColorBorderTop(clBtnShadow);
    k.SetColorBorderBottom(clBtnHighlight);
    auto* w = Show<TsComicsHintWindow>(L"Справка", {300, 300});
    w->PrepareLayeredImage();
    TBitmap& img = *w->LayeredImage;
    const TRect body = w->BodyRect();
    const int y = (body.Top + body.Bottom) / 2;
    auto colourAt = [&](int x) {
        const uint8_t* p = Pixel32(img, x, y);
        return static_cast<TColor>(p[2] | p[1] << 8 | p[0] << 16);
    };
    int right = img.Width() - 1;
    while (right > 0 && Pixel32(img, right, y)[3] != 255)
        --right;
    EXPECT_EQ(colourAt(body.Left), ColorToRGB(clBtnShadow));
    EXPECT_EQ(colourAt(right), ColorToRGB(clBtnHighlight));
}

TEST_F(sHintWindowsTest, WithoutShadowNothingLiesOutsideTheShape)
{
    MakeManager(shSimply);
    manager->HintKind()->SetShadowEnabled(false);
    auto* w = Show<TsSimplyHintWindow>(L"Выход");
    w->PrepareLayeredImage();
    ASSERT_TRUE(w->LayeredImage);
    TBitmap& img = *w->LayeredImage;
    EXPECT_EQ(img.Width(), w->Width()) << "the picture covers the window";
    EXPECT_EQ(img.Height(), w->Height());
    ASSERT_GT(img.Width() * img.Height(), 0);
    for (int y = 0; y < img.Height(); ++y)
        for (int x = 0; x < img.Width(); ++x)
            ASSERT_EQ(Pixel32(img, x, y)[3], 255) << x << "," << y;
}

TEST_F(sHintWindowsTest, StyleNoneShowsNothing)
{
    MakeManager(shNone);
    EXPECT_EQ(ActiveHintManager, nullptr);
    ActiveHintManager = manager;
    auto* w = Show<TsSimplyHintWindow>(L"Закрыть");
    EXPECT_FALSE(w->HandleAllocated() && IsWindowVisible(w->HandleIfAllocated()));
    EXPECT_TRUE(gLayeredCalls.empty());
    ActiveHintManager = nullptr;
}

struct FrameGiver {
    TFrame* frame = nullptr;
    void Handler(std::wstring&, bool&, THintInfo&, TFrame*& f) { f = frame; }
};

TEST_F(sHintWindowsTest, AFrameFromTheEventIsShownInPlaceOfTheTextAndFreed)
{
    MakeManager(shSimply);
    TForm* owner = CreateNew<TForm>(nullptr);
    FrameGiver giver;
    giver.frame = Create<TFrame>(owner);
    giver.frame->SetBounds(0, 0, 60, 30);
    giver.frame->SetColor(0x0000FF);
    manager->SetOnShowHint(TacShowHintEvent(&giver, &FrameGiver::Handler));
    std::wstring text = L"ignored";
    bool canShow = true;
    THintInfo info;
    Application->OnShowHint()(text, canShow, info);
    ASSERT_EQ(WaitingHintFrame(), giver.frame);
    gProbe = {30, 15};
    auto* w = Show<TsSimplyHintWindow>(text);
    const int s = manager->HintKind()->ShadowOffset();
    EXPECT_EQ(w->Width(), 60 + s);
    EXPECT_EQ(w->Height(), 30 + s);
    ASSERT_FALSE(gLayeredCalls.empty());
    EXPECT_EQ(gLayeredCalls.back().probe, 0x0000FFu);
    EXPECT_EQ(WaitingHintFrame(), nullptr);
    EXPECT_EQ(owner->ComponentCount(), 0);
    gProbe = {0, 0};
    owner->Free();
}

bool NoLayeredWindows() { return false; }

TEST_F(sHintWindowsTest, WithoutLayeredWindowsPaintsOverTheScreenTheSameEachTime)
{
    ks::Sys().LayeredWindowsAvailable = &NoLayeredWindows;
    MakeManager(shSimply);
    auto* w = Show<TsSimplyHintWindow>(L"Копировать пароль в буфер обмена");
    ASSERT_TRUE(IsWindowVisible(w->Handle()));
    EXPECT_EQ(GetWindowLongPtrW(w->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_TRUE(gLayeredCalls.empty());
    ASSERT_TRUE(w->ScreenBackground);
    // A known screen under the hint, so that the shadow's darkening can be read.
    w->ScreenBackground->Canvas().Brush().SetColor(0xC0C0C0);
    w->ScreenBackground->Canvas().FillRect({0, 0, w->Width(), w->Height()});
    auto first = NewBitmap24(w->Width(), w->Height());
    auto second = NewBitmap24(w->Width(), w->Height());
    w->PaintTo(first->Canvas().Handle(), 0, 0);
    w->PaintTo(second->Canvas().Handle(), 0, 0);
    GdiFlush();
    for (int y = 0; y < w->Height(); ++y)
        ASSERT_EQ(std::memcmp(first->ScanLine(y), second->ScanLine(y), 3 * static_cast<size_t>(w->Width())), 0) << y;
    const TRect body = w->BodyRect();
    // Inside the body the kind's colour; in the shadow the screen darkened, never whitened.
    EXPECT_EQ(first->Canvas().Pixels(body.Left + 2, body.Bottom - 2), ColorToRGB(clInfoBk));
    const TColor shade = first->Canvas().Pixels(w->Width() - 3, w->Height() - 3);
    EXPECT_LT(shade & 0xFF, 0xC0);
    EXPECT_EQ(first->Canvas().Pixels(w->Width() - 1, 0), 0xC0C0C0);
}

TEST_F(sHintWindowsTest, FromTheSkinSectionWhenAskedAndFound)
{
    auto* skins = NewInternalSkinManager();
    MakeManager(shGradient);
    manager->SetUseSkinData(true);
    ASSERT_TRUE(manager->IsSkinned());
    EXPECT_FALSE(manager->HintKind()->ShadowEnabled());
    const TRect t = [&] {
        auto b = NewBitmap24(1, 1);
        b->Canvas().Font().Assign(Screen->HintFont());
        TRect r{0, 0, manager->HintKind()->MaxWidth(), 0};
        b->Canvas().DrawText(L"Свернуть", r, DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK | DT_VCENTER | DT_CENTER);
        return r;
    }();
    auto* w = Show<TsSimplyHintWindow>(L"Свернуть");
    // The skin's border is 2 wide on every side; 4 more between it and the text.
    EXPECT_EQ(w->BorderWidthOf(0), 2);
    EXPECT_EQ(w->Width(), t.Width() + 2 + 2 + 8);
    EXPECT_EQ(w->Height(), t.Height() + 2 + 2 + 8);
    EXPECT_NE(GetClassLongPtrW(w->Handle(), GCL_STYLE) & 0x20000, 0);
    w->PrepareLayeredImage();
    // The border's line in the corner, opaque: the section has no transparent corners.
    const uint8_t* corner = Pixel32(*w->LayeredImage, 0, 0);
    EXPECT_EQ(corner[3], 255);
    EXPECT_EQ(static_cast<TColor>(corner[2] | corner[1] << 8 | corner[0] << 16), 0x008000);
    w->LayeredImage.reset();
    FreeAndNil(window);
    FreeAndNil(manager);
    skins->Free();
}

// A hint that is up while the skin changes paints from the new skin's tables: its section's
// index in the old skin lies past the end of the new skin's.
TEST_F(sHintWindowsTest, AHintUpWhileTheSkinChangesPaintsFromTheNewSkin)
{
    auto* skins = NewInternalSkinManager();
    MakeManager(shGradient);
    manager->SetUseSkinData(true);
    auto* w = Show<TsSimplyHintWindow>(L"Свернуть");
    TempFolder dir;
    constexpr TColor Yellow = 0x00FFFF;
    dir.Write(L"Plain.asz", SkinArchive("[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\n[" +
                                            manager->SkinSection() + "]\r\nCOLOR=" + OptionColour(Yellow) + "\r\n",
                                        GreyMaster(8, 8)));
    skins->SetSkinDirectory(dir.Path());
    skins->SetSkinName(L"Plain");
    ASSERT_EQ(skins->GeneralDataArray.size(), 2u);
    ASSERT_GT(w->SkinIndex, 1);
    w->PrepareLayeredImage();
    const uint8_t* p = Pixel32(*w->LayeredImage, 2, 2);
    EXPECT_EQ(static_cast<TColor>(p[2] | p[1] << 8 | p[0] << 16), Yellow);
    EXPECT_EQ(w->SkinIndex, 1);
    w->LayeredImage.reset();
    FreeAndNil(window);
    FreeAndNil(manager);
    skins->Free();
}

// The application's own hint loop with a manager installed.
std::map<UINT_PTR, UINT> gTimers;
UINT_PTR WINAPI RecordTimer(HWND, UINT_PTR id, UINT ms, TIMERPROC)
{
    gTimers[id] = ms;
    return id;
}
BOOL WINAPI ForgetTimer(HWND, UINT_PTR id) { return gTimers.erase(id) > 0; }
BOOL WINAPI FixedCursor(POINT* p)
{
    *p = {250, 200};
    return TRUE;
}

class HintLoopTest : public HintWindowFixture {
protected:
    void SetUp() override
    {
        HintWindowFixture::SetUp();
        gTimers.clear();
        ks::Sys().SetTimer = &RecordTimer;
        ks::Sys().KillTimer = &ForgetTimer;
        ks::Sys().GetCursorPos = &FixedCursor;
        form = CreateNew<TForm>(nullptr);
        form->SetBounds(100, 100, 300, 200);
        button = Create<TButton>(form);
        button->SetParent(form);
        button->SetHint(L"Сгенерировать новый пароль");
        button->SetShowHint(true);
        form->Show();
        Pump();
    }
    void TearDown() override
    {
        ks::SetMouseControl(nullptr);
        Application->CancelHint();
        // The application keeps its hint window until the class changes.
        Application->SetHintWindowClass(&NewHintWindow<TsSimplyHintWindow>);
        FreeAndNil(form);
        HintWindowFixture::TearDown();
    }
    THintWindow* Hover()
    {
        ks::SetMouseControl(button);
        Application->Hints().MouseMoved(button);
        EXPECT_EQ(gTimers[THintController::ShowTimer], static_cast<UINT>(Application->HintPause()));
        SendMessageW(Application->Hints().TimerWindow(), WM_TIMER, THintController::ShowTimer, 0);
        THintWindow* w = Application->Hints().HintWindow();
        return w && w->HandleAllocated() && IsWindowVisible(w->HandleIfAllocated()) ? w : nullptr;
    }

    TForm* form = nullptr;
    TButton* button = nullptr;
};

TEST_F(HintLoopTest, ShowsTheManagersWindowAfterThePauseAndHidesOnLeave)
{
    MakeManager(shGradient);
    EXPECT_EQ(Application->HintPause(), 500);
    THintWindow* w = Hover();
    ASSERT_NE(w, nullptr);
    auto* skinned = dynamic_cast<TsSimplyHintWindow*>(w);
    ASSERT_NE(skinned, nullptr);
    EXPECT_EQ(w->Caption(), L"Сгенерировать новый пароль");
    EXPECT_NE(GetWindowLongPtrW(w->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    ASSERT_FALSE(gLayeredCalls.empty());
    EXPECT_EQ(gLayeredCalls.back().alpha, 230);
    // Placed at the anchor the loop gave, 16 lower, as the rectangle shape is.
    RECT r{};
    GetWindowRect(w->Handle(), &r);
    EXPECT_EQ(r.left, 250);
    EXPECT_EQ(r.top, 200 + GetSystemMetrics(SM_CYCURSOR) * 5 / 8 + 16);
    EXPECT_EQ(manager->HintPos.X, -1);

    ks::SetMouseControl(nullptr);
    Application->Hints().MouseMoved(nullptr);
    EXPECT_FALSE(IsWindowVisible(w->Handle()));
}

TEST_F(HintLoopTest, TheApplicationsOwnWindowComesBackWhenTheManagerGoes)
{
    MakeManager(shEllipse);
    THintWindow* w = Hover();
    ASSERT_NE(dynamic_cast<TsEllipseHintWindow*>(w), nullptr);
    ks::SetMouseControl(nullptr);
    Application->Hints().MouseMoved(nullptr);
    FreeAndNil(manager);
    w = Hover();
    ASSERT_NE(w, nullptr);
    EXPECT_STREQ(w->ClassName(), "THintWindow");
}

} // namespace
