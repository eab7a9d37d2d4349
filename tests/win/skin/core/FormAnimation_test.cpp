#include "skin/core/FormAnimation.h"

#include "host/support/SmallPng.h"
#include "skin/core/AnimationFrames.h"
#include "skin/core/CacheBitmaps.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStyleSimply.h"
#include "skin/core/sVclUtils.h"
#include "vcl/Streams.h"
#include "win/skin/core/SkinCommandRecorders.h"
#include "win/skin/forms/FormFrameFixture.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <utility>

namespace {

using namespace ks::test;
using Log = std::vector<std::string>;

constexpr TColor Red = 0x0000FF;
constexpr TColor Green = 0x00FF00;
constexpr TColor Blue = 0xFF0000;

// ---- recorders of the layered updates and the frame sleeps

struct Push {
    HWND Wnd;
    int Width;
    int Height;
    uint8_t Alpha;
    bool Topmost;
    std::vector<uint32_t> Pixels; // 0xAARRGGBB, rows top first; none when only the opacity changed

    uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

std::vector<Push> gPushes;
int gSleeps = 0;
int gFrames = 0;
std::function<void(int)> gOnSleep;

BOOL WINAPI RecordUpdate(HWND wnd, HDC, POINT*, SIZE* size, HDC source, POINT*, COLORREF, BLENDFUNCTION* blend, DWORD)
{
    if (!source) { // the opacity alone
        gPushes.push_back({wnd, 0, 0, blend->SourceConstantAlpha, false, {}});
        return TRUE;
    }
    const bool topmost = GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST;
    Push p{wnd, size->cx, size->cy, blend->SourceConstantAlpha, topmost, {}};
    GdiFlush();
    DIBSECTION dib{};
    GetObjectW(GetCurrentObject(source, OBJ_BITMAP), sizeof dib, &dib);
    const auto* bits = static_cast<const uint8_t*>(dib.dsBm.bmBits);
    for (int y = 0; bits && y < p.Height; ++y) {
        const int row = dib.dsBmih.biHeight > 0 ? dib.dsBm.bmHeight - 1 - y : y;
        const auto* line = reinterpret_cast<const uint32_t*>(bits + static_cast<ptrdiff_t>(row) * dib.dsBm.bmWidthBytes);
        p.Pixels.insert(p.Pixels.end(), line, line + p.Width);
    }
    gPushes.push_back(std::move(p));
    return TRUE;
}

void WINAPI RecordSleep(DWORD ms)
{
    EXPECT_EQ(ms, 8u);
    ++gSleeps;
    if (gOnSleep)
        gOnSleep(gSleeps);
}

std::vector<int> Alphas()
{
    std::vector<int> alphas;
    for (const Push& p : gPushes)
        alphas.push_back(p.Alpha);
    return alphas;
}

// ---- what the animations read of form skinning

class TFakeProvider : public TComponent, public ks::AnimatedFormProvider, public ks::LockableFormProvider {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TFakeProvider", &TComponent::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TComponent::TComponent;
    TCustomForm* Form = nullptr;
    std::unique_ptr<TBitmap> Image;
    ks::AnimatedBorderForm* Border = nullptr;
    TRect Margins;
    int Caption = 0;
    int NonClientPaints = 0;
    bool DrawsFrame = true;
    TsSkinManager* Manager = nullptr;

    TCustomForm* ProviderForm() const noexcept override { return Form; }
    TBitmap* FormImage() const noexcept override { return Image.get(); }
    ks::AnimatedBorderForm* BorderForm() const noexcept override { return Border; }
    void PaintNonClient() override { ++NonClientPaints; }
    void MakeRegionRects() override {}
    ks::GdiRegion MakeRgnWithoutRects(int, int) override { return {}; }
    TRect ExtBorderMargins() const override { return Border ? Margins : TRect{}; }
    int CaptionHeight(bool) const override { return Caption; }
    int ClientOffsetX() const override { return Border ? Margins.Left : 0; }
    int ClientOffsetY() const override { return Border ? Margins.Top : 0; }

    TsSkinManager* ProviderSkinManager() const noexcept override { return Manager; }
    void SetInUpdate(bool) noexcept override {}
    bool DrawNonClientArea() const noexcept override { return DrawsFrame; }
    HWND BorderWindow() const noexcept override { return nullptr; }
    void ShapeBorderWindow() override {}
    void ShowBorderWindow() override {}
    void UpdateRegion() override {}
};

class FakeBorder : public ks::AnimatedBorderForm {
public:
    ks::AnimatedFormProvider* Owner = nullptr;
    HWND OwnerWnd = nullptr;
    TForm* Window = nullptr;
    std::unique_ptr<TBitmap> Image;
    TPoint Offset;

    ks::AnimatedFormProvider* OwnerProvider() const noexcept override { return Owner; }
    HWND OwnerHandle() const noexcept override { return OwnerWnd; }
    TCustomForm* WindowForm() const noexcept override { return Window; }
    TBitmap* BorderImage() const noexcept override { return Image.get(); }
    TPoint OwnerOffset() const override { return Offset; }
    void PaintOwnerNonClient() override {}
    ks::GdiRegion MakeRgn() override { return {}; }
};

class FakeDialog : public ks::AnimatedDialog {
public:
    HWND Wnd = nullptr;
    std::unique_ptr<TBitmap> Image;
    int RegionUpdates = 0;

    HWND DialogHandle() const noexcept override { return Wnd; }
    TBitmap* DialogImage() const noexcept override { return Image.get(); }
    ks::AnimatedBorderForm* BorderForm() const noexcept override { return nullptr; }
    void PaintNonClient() override {}
    int ClientOffsetX() const override { return 0; }
    int ClientOffsetY() const override { return 0; }
    int CaptionHeight(bool) const override { return 0; }
    TRect ExtBorderMargins() const override { return {}; }
    void UpdateWndRegion(bool) override { ++RegionUpdates; }
};

// A panel of one colour, or of alternating red and green rows; it can be made to fail.
class TPaintedPanel : public TCustomControl {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TPaintedPanel", &TCustomControl::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TCustomControl::TCustomControl;
    bool Stripes = false;
    bool Fails = false;

protected:
    void Paint() override
    {
        if (Fails)
            throw Exception("paint failed");
        for (int y = 0; y < Height(); ++y) {
            Canvas().Brush().SetColor(Stripes ? (y % 2 ? Green : Red) : Color());
            Canvas().FillRect({0, y, Width(), y + 1});
        }
    }
};

class FormAnimationTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        CommandLog().clear();
        gPushes.clear();
        gSleeps = 0;
        gOnSleep = nullptr;
        ks::Sys().UpdateLayeredWindowPtr = &RecordUpdate;
        ks::Sys().Sleep = &RecordSleep;
        Form = MakeForm("F");
        Form->SetBorderStyle(bsNone);
        Form->SetBounds(50, 40, 400, 300);
        Form->SetColor(Blue);
        Panel = AddPanel(20, 20, 160, 100, Red);
        Stripes = AddPanel(220, 160, 160, 120, Red);
        Stripes->Stripes = true;
        Provider = Create<TFakeProvider>(Form);
        Provider->Form = Form;
        Provider->Image = NewBitmap32(400, 300);
        Form->R.Provider = Provider;
        Form->Show();
        Pump();
    }
    void TearDown() override
    {
        gOnSleep = nullptr;
        if (Form)
            FreeAndNil(Form);
        PaintLock = false;
        VclFixture::TearDown();
    }
    TPaintedPanel* AddPanel(int left, int top, int width, int height, TColor color)
    {
        auto* panel = Create<TPaintedPanel>(Form);
        panel->SetParent(Form);
        panel->SetBounds(left, top, width, height);
        panel->SetColor(color);
        return panel;
    }
    // Nothing of the animation is left: no lock, no capture, no temporary window.
    void ExpectNothingLeft()
    {
        EXPECT_FALSE(PaintLock);
        EXPECT_EQ(CaptureDC, nullptr);
        EXPECT_FALSE(ks::AnimationRunning());
        EXPECT_EQ(ks::AnimationOutput(), nullptr);
        EXPECT_EQ(ks::AnimationScreenImage(), nullptr);
        for (const Push& p : gPushes) {
            if (!Form || p.Wnd != Form->HandleIfAllocated()) {
                EXPECT_FALSE(IsWindow(p.Wnd)) << "a temporary surface is left";
            }
        }
    }
    TRecForm* Form = nullptr;
    TPaintedPanel* Panel = nullptr;
    TPaintedPanel* Stripes = nullptr;
    TFakeProvider* Provider = nullptr;
};

TEST_F(FormAnimationTest, BelowEightMillisecondsTheFinalImageIsShownAtOnce)
{
    Form->SetFormStyle(fsStayOnTop);
    for (uint16_t time : {0, 7}) {
        for (TacAnimType mode : {atFading, atAero}) {
            SCOPED_TRACE(std::to_string(time) + " " + std::to_string(mode));
            gPushes.clear();
            CommandLog().clear();
            AnimateFormWindow(Form, time, 200, mode);
            ASSERT_EQ(gPushes.size(), 1u);
            EXPECT_EQ(gPushes[0].Alpha, 200);
            EXPECT_TRUE(gPushes[0].Topmost) << "a topmost form's surface is topmost";
            EXPECT_EQ(gPushes[0].Width, 400);
            EXPECT_EQ(gPushes[0].At(30, 30), 0xFFFF0000u) << "the red panel, opaque";
            EXPECT_EQ(gSleeps, 0);
            EXPECT_EQ(CommandLog(), Log{"F:redraw1"});
            ExpectNothingLeft();
        }
    }
}

TEST_F(FormAnimationTest, AFadeRaisesTheOpacityOverThirteenPassesAboveTheForm)
{
    const HWND wnd = Form->Handle();
    bool surfaceAbove = false;
    RECT surfaceRect{};
    LONG_PTR styles = 0;
    gOnSleep = [&](int n) {
        if (n != 1)
            return;
        const HWND surface = gPushes.back().Wnd;
        surfaceAbove = GetWindow(wnd, GW_HWNDPREV) == surface;
        GetWindowRect(surface, &surfaceRect);
        styles = GetWindowLongPtrW(surface, GWL_EXSTYLE);
        EXPECT_TRUE(PaintLock);
        EXPECT_EQ(CaptureDC, nullptr) << "the capture is over before the frames";
    };
    AnimateFormWindow(Form, 100, 255, atFading);
    EXPECT_EQ(Alphas(), (std::vector<int>{0, 21, 42, 64, 85, 106, 128, 149, 170, 191, 212, 234, 255, 255}));
    EXPECT_EQ(gSleeps, 13);
    EXPECT_TRUE(surfaceAbove);
    EXPECT_EQ(surfaceRect.left, 50);
    EXPECT_EQ(surfaceRect.top, 40);
    EXPECT_EQ(styles & (WS_EX_LAYERED | WS_EX_NOACTIVATE), WS_EX_LAYERED | WS_EX_NOACTIVATE);
    EXPECT_EQ(gPushes[1].At(30, 30), 0xFFFF0000u) << "the first frame holds the whole image";
    for (size_t i = 2; i < gPushes.size(); ++i)
        EXPECT_TRUE(gPushes[i].Pixels.empty()) << i << ": later passes change the opacity alone";
    EXPECT_EQ(Provider->NonClientPaints, 1);
    ExpectNothingLeft();
}

// Writes the frame as a PNG beside the build trees, where it can be looked at.
void SaveFrame(const Push& p, const char* name)
{
    std::vector<uint8_t> rgba;
    for (uint32_t px : p.Pixels)
        rgba.insert(rgba.end(), {uint8_t(px >> 16), uint8_t(px >> 8), uint8_t(px), uint8_t(px >> 24)});
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    path = path.substr(0, path.find_last_of(L'\\')) + L"\\..\\..\\" + std::wstring(name, name + strlen(name));
    const std::vector<uint8_t> png = MakeSmallPng(p.Width, p.Height, 6, rgba);
    std::ofstream(path.c_str(), std::ios::binary).write(reinterpret_cast<const char*>(png.data()), png.size());
}

TEST_F(FormAnimationTest, AeroGrowsTheImageFromHalfSizeWithoutDarkeningIt)
{
    AnimateFormWindow(Form, 100, 255, atAero);
    ASSERT_EQ(gPushes.size(), 14u);
    const Push& first = gPushes[1];
    EXPECT_EQ(first.At(99, 74), 0u) << "outside (100, 75)-(300, 225) nothing yet";
    EXPECT_EQ(first.At(300, 225), 0u);
    EXPECT_EQ(first.At(100, 75), 0xFF0000FFu) << "the form's blue corner";
    EXPECT_EQ(first.At(299, 224), 0xFF0000FFu);
    EXPECT_EQ(first.At(115, 90), 0xFFFF0000u) << "the red panel at half size";
    // Halving the striped panel keeps whole rows: neither black nor a mix of the two colours.
    for (int y = 156; y < 212; ++y)
        for (int x = 212; x < 288; ++x)
            ASSERT_TRUE(first.At(x, y) == 0xFFFF0000u || first.At(x, y) == 0xFF00FF00u) << x << "," << y;
    EXPECT_EQ(gPushes.back().At(0, 0), 0xFF0000FFu) << "the last pass covers everything";
    EXPECT_EQ(gPushes.back().At(379, 279), 0xFF00FF00u) << "the striped panel's last row";
    SaveFrame(gPushes[7], "anim_aero_halfway.png");
    ExpectNothingLeft();
}

// Objects freed under their own code: run under Wine's freed-memory checking.
class FormAnimationLifetimeTest : public FormAnimationTest {};

// However the frames end, nothing stays locked, hidden or half made.
TEST_F(FormAnimationLifetimeTest, AFormFreedMidwayLeavesNothingBehind)
{
    const HWND wnd = Form->Handle();
    gOnSleep = [&](int n) {
        if (n == 3)
            FreeAndNil(Form);
    };
    AnimateFormWindow(Form, 100, 255, atFading);
    EXPECT_EQ(gSleeps, 3);
    EXPECT_EQ(gPushes.size(), 4u) << "no frame after the form went";
    EXPECT_FALSE(IsWindow(wnd));
    ExpectNothingLeft();
}

TEST_F(FormAnimationTest, AStepRaisingMidwayLeavesNothingBehind)
{
    gOnSleep = [&](int n) {
        if (n == 2)
            throw Exception("tick failed");
    };
    EXPECT_THROW(AnimateFormWindow(Form, 100, 255, atAero), Exception);
    EXPECT_EQ(CommandLog(), Log{"F:redraw1"}) << "the form paints again";
    ExpectNothingLeft();

    gPushes.clear();
    gOnSleep = nullptr;
    Panel->Fails = true;
    EXPECT_THROW(AnimateFormWindow(Form, 100, 255, atAero), Exception);
    EXPECT_TRUE(gPushes.empty()) << "the capture failed before anything was shown";
    ExpectNothingLeft();
    Panel->Fails = false;
    AnimateFormWindow(Form, 16, 255, atAero);
    EXPECT_EQ(gPushes.size(), 4u) << "the next animation runs as usual";
}

TEST_F(FormAnimationTest, AnAnimationAskedForMeanwhileShowsTheFinalLookAfterwards)
{
    TRecForm* other = MakeForm("G");
    // Shown: the final look turns redraw on only for a form meant to show.
    other->Show();
    Pump();
    CommandLog().clear();
    gOnSleep = [&](int n) {
        if (n == 1)
            AnimateFormWindow(other, 100, 255, atFading);
        if (n == 1)
            CommandLog().push_back("asked");
    };
    AnimateFormWindow(Form, 16, 255, atFading);
    EXPECT_EQ(gPushes.size(), 4u);
    EXPECT_EQ(CommandLog(), (Log{"asked", "F:redraw1", "G:redraw1"}));
    other->Free();
    ExpectNothingLeft();
}

// The cross-fade of a pixel (PixelCore.h's alpha blend with the old screen's weight).
TColor Mixed(TColor screen, TColor look, int weight)
{
    TColor c = 0;
    for (int shift : {0, 8, 16}) {
        const int s = (screen >> shift) & 0xFF;
        const int l = (look >> shift) & 0xFF;
        c |= static_cast<TColor>(((s - l) * weight + l * 256) >> 8) << shift;
    }
    return c;
}

// Wine: what the screen shows lags behind the drawing, so each frame is checked against the
// screen image the animation took, not against a colour the screen should have shown.
TEST_F(FormAnimationTest, WithoutLayeredWindowsAControlCrossFadesInTheOutputWindow)
{
    ks::Sys().UpdateLayeredWindowPtr = nullptr;
    const HWND wnd = Panel->Handle();
    std::vector<TColor> shown;
    std::vector<TColor> expected;
    gOnSleep = [&](int n) {
        TWinControl* output = ks::AnimationOutput();
        if (n == 1) {
            EXPECT_EQ(output->Caption(), L"acOutputWindow");
            EXPECT_EQ(output->Parent(), Form);
            EXPECT_EQ(output->BoundsRect(), Panel->BoundsRect());
            EXPECT_EQ(GetWindow(wnd, GW_HWNDPREV), output->Handle()) << "directly above the control";
            EXPECT_TRUE(IsWindowVisible(output->Handle()));
        }
        HDC dc = GetWindowDC(output->Handle());
        shown.push_back(GetPixel(dc, 10, 10));
        ReleaseDC(output->Handle(), dc);
        const TColor before = ks::AnimationScreenImage()->Canvas().Pixels(10, 10);
        expected.push_back(Mixed(before, Panel->Color(), ks::CrossFadeWeight(gFrames, n - 1)));
    };
    struct Case {
        const char* name;
        uint16_t time;
        TColor look;
        size_t sleeps;
    } cases[] = {
        {"FourFrames", 32, Green, 4},
        {"MoreThan255FramesKeepTheOldScreen", 2064, Red, 258},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shown.clear();
        expected.clear();
        gSleeps = 0;
        gFrames = ks::AnimationFrameCount(c.time);
        Panel->SetColor(c.look);
        AnimateFormWindow(Panel, c.time, 255, atFading);
        EXPECT_EQ(shown.size(), c.sleeps) << "no sleep after the last pass";
        EXPECT_EQ(shown, expected);
        EXPECT_TRUE(gPushes.empty());
        ExpectNothingLeft();
    }
}

// A form that names no provider has no skinned image for a layered window.
TEST_F(FormAnimationTest, AFormWithoutProviderCrossFadesInATopLevelOutputWindow)
{
    Form->R.Provider = nullptr;
    Form->SetFormStyle(fsStayOnTop);
    RECT formRect{};
    GetWindowRect(Form->Handle(), &formRect);
    bool checked = false;
    gOnSleep = [&](int n) {
        TWinControl* output = ks::AnimationOutput();
        if (n > 1)
            return;
        checked = true;
        const HWND wnd = output->Handle();
        RECT r{};
        GetWindowRect(wnd, &r);
        EXPECT_EQ(output->Parent(), nullptr);
        EXPECT_TRUE(EqualRect(&r, &formRect));
        EXPECT_EQ(GetWindowLongPtrW(wnd, GWL_STYLE) & (WS_POPUP | WS_CHILD | WS_CAPTION), WS_POPUP);
        EXPECT_TRUE(GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) << "as its topmost owner";
        EXPECT_EQ(GetWindow(wnd, GW_OWNER), Application->Handle());
        EXPECT_TRUE(IsWindowVisible(wnd));
    };
    AnimateFormWindow(Form, 16, 255, atAero);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(gPushes.empty());
    ExpectNothingLeft();
}

TEST_F(FormAnimationTest, TheDialogAnimationFreesItsTemporaryForm)
{
    FakeDialog dialog;
    dialog.Wnd = Form->Handle();
    dialog.Image = NewBitmap32(400, 300);
    TCustomForm* surface = nullptr;
    gOnSleep = [&](int) {
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i)->Tag() == -98)
                surface = Screen->Forms(i);
        EXPECT_EQ(surface->Owner(), Application);
        EXPECT_EQ(surface->HandleIfAllocated(), gPushes.back().Wnd);
        EXPECT_EQ(GetWindow(surface->HandleIfAllocated(), GW_HWNDNEXT), Form->Handle())
            << "the surface lies directly above the dialog";
    };
    AnimateDialogWindow(dialog, 24, 255, atFading);
    EXPECT_EQ(Alphas(), (std::vector<int>{0, 85, 170, 255, 255, 255}));
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(dialog.RegionUpdates, 1);
    for (int i = 0; i < Screen->FormCount(); ++i)
        EXPECT_NE(Screen->Forms(i)->Tag(), -98);
    ExpectNothingLeft();
}

TEST_F(FormAnimationTest, ABorderedFormAnimatesInItsBorderWindowAndPutsItBelow)
{
    TForm* window = CreateNew<TForm>(nullptr);
    window->SetBorderStyle(bsNone);
    FakeBorder border;
    border.Owner = Provider;
    border.OwnerWnd = Form->Handle();
    border.Window = window;
    border.Image = NewBitmap32(420, 330);
    border.Offset = {9, 10};
    Provider->Border = &border;
    Provider->Margins = {5, 6, 7, 8};

    AnimateBorderedForm(border, 16, 230, atAero);
    EXPECT_EQ(Alphas(), (std::vector<int>{0, 115, 230, 230, 230}));
    for (const Push& p : gPushes)
        EXPECT_EQ(p.Wnd, window->Handle());
    RECT r{};
    GetWindowRect(window->Handle(), &r);
    EXPECT_EQ(r.left, 50 - 9);
    EXPECT_EQ(r.top, 40 - 10);
    EXPECT_EQ(r.right - r.left, 420);
    EXPECT_EQ(GetWindow(Form->Handle(), GW_HWNDNEXT), window->Handle()) << "the border window goes below the form";
    EXPECT_EQ(gPushes.back().At(5 + 30, 6 + 30), 0xFFFF0000u) << "the client part is made opaque";
    EXPECT_EQ(gPushes.back().At(1, 1) >> 24, 0u) << "the border keeps its own alpha";
    Provider->Border = nullptr;
    window->Free();
    ExpectNothingLeft();
}

// The end of a skin change shows each form through the animation: the skin-change time for a
// form whose frame is skinned, at once for one the platform frames.
TEST_F(FormAnimationTest, TheEndOfASkinChangeAnimatesEachForm)
{
    TsSkinManager* manager = Create<TsSkinManager>(nullptr);
    ASSERT_TRUE(manager->IsDefault());
    Provider->Manager = manager;
    AddSkinnedForm(Form);
    struct Case {
        bool drawsFrame;
        size_t pushes;
    } cases[] = {{true, 14}, {false, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.drawsFrame);
        gPushes.clear();
        Provider->DrawsFrame = c.drawsFrame;
        BeginFormsUpdate(manager);
        EndFormsUpdate(manager, true);
        EXPECT_EQ(gPushes.size(), c.pushes);
        EXPECT_EQ(gPushes.back().Alpha, 255);
    }
    // A translucent form keeps its opacity through a skin change.
    Form->SetAlphaBlendValue(220);
    Form->SetAlphaBlend(true);
    gPushes.clear();
    BeginFormsUpdate(manager);
    EndFormsUpdate(manager, true);
    EXPECT_EQ(gPushes.back().Alpha, 220);
    EXPECT_EQ(Form->AlphaBlendValue(), 220);

    manager->AnimEffects()->SkinChanging()->SetActive(false);
    gPushes.clear();
    BeginFormsUpdate(manager);
    EndFormsUpdate(manager, true);
    EXPECT_TRUE(gPushes.empty());
    ExpectNothingLeft();
    RemoveSkinnedForm(Form);
    manager->Free();
}

// ---- a real form in its real border window

class BorderedShowTest : public FormFrameFixture {};

std::vector<RECT> gPlaces;

BOOL WINAPI RecordPlace(HWND wnd, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    gPlaces.push_back(r);
    return TRUE;
}

// A form shown again fades in within its border window, placed where the border window's own
// update puts it, whatever the skin's title and border: it does not jump when that update comes.
TEST_F(BorderedShowTest, TheBorderWindowFadesInWhereItsOwnUpdatePutsIt)
{
    for (const char* key : {"TITLEHEIGHT", "BORDERWIDTH"}) {
        SCOPED_TRACE(key);
        if (!MakeBorderedForm())
            GTEST_SKIP() << "no layered windows here";
        ChangeSkin(WithGlobalValue(FrameSkinOptions(), key, 0));
        Manager->AnimEffects()->DialogShow()->SetTime(16);
        Form->Hide();
        Pump();
        const auto update = std::exchange(ks::Sys().UpdateLayeredWindowPtr, &RecordPlace);
        gPlaces.clear();
        Form->Show();
        ks::Sys().UpdateLayeredWindowPtr = update;
        ASSERT_FALSE(gPlaces.empty()) << "the form fades in";
        Provider->SkinData()->BackgroundChanged = true;
        Provider->BorderForm->UpdateBorderWindow(true, 255);
        RECT placed{};
        GetWindowRect(Provider->BorderForm->WindowHandle(), &placed);
        EXPECT_EQ(gPlaces.front().left, placed.left);
        EXPECT_EQ(gPlaces.front().top, placed.top);
    }
}

} // namespace
