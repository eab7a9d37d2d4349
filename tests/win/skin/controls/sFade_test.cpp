#include "skin/controls/sFade.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/ComponentWatch.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStoredSkins.h"
#include "vcl/Forms.h"
#include "vcl/TypInfo.h"
#include "win/skin/core/SkinTestFiles.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// FADE10 fades in 10 frames, FADE0 and FADE1 in none once halved, STILL does not fade.
constexpr std::string_view Options =
    "[GLOBALINFO]\r\nVERSION=6.4\r\nMASTERBITMAP=MASTER.BMP\r\n"
    "[FADE10]\r\nFADINGENABLED=TRUE\r\nFADINGITERATIONS=10\r\n"
    "[FADE0]\r\nFADINGENABLED=TRUE\r\nFADINGITERATIONS=0\r\n"
    "[FADE1]\r\nFADINGENABLED=TRUE\r\nFADINGITERATIONS=1\r\n"
    "[HUGE]\r\nFADINGENABLED=TRUE\r\nFADINGITERATIONS=2000000000\r\n"
    "[STILL]\r\nFADINGITERATIONS=10\r\n";

UINT_PTR WINAPI NoSetTimer(HWND, UINT_PTR id, UINT, TIMERPROC) { return id; }
BOOL WINAPI NoKillTimer(HWND, UINT_PTR) { return TRUE; }

// A control that fades as the skinned controls do: its cache shows Look, every frame it is
// offered is logged by its first byte and taken, and SKC_STOP_FADE stops its timer.
class TFaded : public TCustomControl {
public:
    static inline const ks::ClassInfo StaticClassInfo{"TFaded", &TCustomControl::StaticClassInfo, {}, {}};
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    explicit TFaded(TComponent* owner) : TCustomControl(owner), SkinData(std::make_unique<TsCommonData>(this, true)) {}

    std::unique_ptr<TsCommonData> SkinData;
    TsFadeTimer* FadeTimer = nullptr;
    TColor Look = 0;
    std::vector<int> Frames;
    std::function<void()> OnFrame;
    int Paints = 0;

    void BeforeDestruction() override
    {
        StopFadeTimer(FadeTimer);
        TCustomControl::BeforeDestruction();
    }
    void Paint(TColor look)
    {
        Look = look;
        SkinData->EnsureCacheBitmap();
        FillRectSolid(SkinData->CacheBitmap->Canvas().Handle(), {0, 0, Width(), Height()}, Look);
        SkinData->BackgroundChanged = false;
    }
    void WndProc(TMessage& m) override
    {
        if (m.Msg == WM_PAINT)
            ++Paints;
        if (m.Msg == SM_SKINCMD) {
            switch (HIWORD(m.WParam)) {
            case SKC_PREPARE_CACHE: Paint(Look); return;
            case SKC_STOP_FADE: StopFadeTimer(FadeTimer); return;
            case SKC_FADE_FRAME: {
                auto* frame = ks::SkinCommandView(m).Pointer<TBitmap>();
                Frames.push_back(frame ? GetRValue(GetPixel(frame->Canvas().Handle(), 1, 1)) : -1);
                m.Result = 1;
                if (OnFrame)
                    OnFrame();
                return;
            }
            }
        }
        TCustomControl::WndProc(m);
    }
};

class FadeTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        ks::Sys().SetTimer = &NoSetTimer;
        ks::Sys().KillTimer = &NoKillTimer;
        Manager = ks::test::NewSkinManager(Dir, L"Fade", ks::test::SkinArchive(Options, ks::test::GreyMaster(8, 8)));
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(Application);
        Form->SetBounds(0, 0, 200, 100);
        Form->Show();
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }

    // A shown control of section, black in its cache, about to turn white.
    TFaded* Add(const std::string& section)
    {
        auto* c = Create<TFaded>(Form);
        c->SetBounds(10, 10, 40, 20);
        c->SetParent(Form);
        c->HandleNeeded();
        c->SkinData->SetSkinSection(section);
        c->SkinData->Loaded();
        c->Paint(0x000000);
        c->Look = 0xFFFFFF;
        Pump();
        c->Paints = 0;
        return c;
    }
    // Ticks until the fade has ended (at most limit ticks); the number of ticks.
    static int Run(TFaded* c, int limit = 40)
    {
        int ticks = 0;
        while (c->FadeTimer && ticks < limit) {
            SendMessageW(c->FadeTimer->Handle(), WM_TIMER, c->FadeTimer->TimerId(), 0);
            ++ticks;
        }
        return ticks;
    }
    static void Tick(TFaded* c, int n)
    {
        for (int i = 0; i < n && c->FadeTimer; ++i)
            SendMessageW(c->FadeTimer->Handle(), WM_TIMER, c->FadeTimer->TimerId(), 0);
    }

    ks::test::TempFolder Dir;
    TsSkinManager* Manager = nullptr;
    TForm* Form = nullptr;
};

TEST_F(FadeTest, HoverAndPressFadesShowTheirFramesAndEndOnTheNewPicture)
{
    struct Case { const char* name; bool press; std::vector<int> frames; } cases[] = {
        // The old picture's weight 230, 204 ... 0; the last frame is the new picture exactly.
        {"Hover", false, {25, 51, 76, 102, 127, 152, 178, 203, 229, 255}},
        {"Press", true, {51, 102, 152, 203, 255}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TFaded* c = Add("FADE10");
        StartStateFade(c->FadeTimer, *c->SkinData, k.press, true, 1);
        ASSERT_NE(c->FadeTimer, nullptr);
        EXPECT_TRUE(c->FadeTimer->Enabled());
        EXPECT_EQ(c->FadeTimer->Interval(), 10u);
        ks::ComponentWatch watch;
        watch.Watch(c->FadeTimer);
        Run(c);
        EXPECT_EQ(c->Frames, k.frames);
        EXPECT_EQ(c->FadeTimer, nullptr);
        EXPECT_EQ(c->ComponentCount(), 0) << "the timer is freed once its tick is over";
        c->Free();
    }
}

TEST_F(FadeTest, FadesThatCannotRunRepaintAtOnceOrEndOnTheirFirstTick)
{
    struct Case { const char* name; const char* section; bool press; bool allowed; bool loading; bool timer; } cases[] = {
        {"NoFrames", "FADE0", false, true, false, true},
        {"OneFrameHalved", "FADE1", true, true, false, true},
        {"SectionDoesNotFade", "STILL", false, true, false, false},
        {"EventNotAllowed", "FADE10", false, false, false, false},
        {"SkinLoading", "FADE10", false, true, true, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TFaded* c = Add(k.section);
        SkinLoadInProgress = k.loading;
        StartStateFade(c->FadeTimer, *c->SkinData, k.press, k.allowed, 1);
        SkinLoadInProgress = false;
        EXPECT_EQ(c->FadeTimer != nullptr, k.timer);
        EXPECT_LE(Run(c), 1);
        Pump();
        EXPECT_TRUE(c->Frames.empty());
        EXPECT_EQ(c->FadeTimer, nullptr);
        EXPECT_GE(c->Paints, 1) << "the control shows its new state";
        c->Free();
    }
}

TEST_F(FadeTest, AnAbsurdFrameCountEndsAfterAFewSecondsOfFrames)
{
    TFaded* c = Add("HUGE");
    StartStateFade(c->FadeTimer, *c->SkinData, false, true, 1);
    ASSERT_NE(c->FadeTimer, nullptr);
    EXPECT_EQ(c->FadeTimer->StepCount, MaxFadeSteps);
    Run(c, 1000);
    EXPECT_EQ(c->FadeTimer, nullptr);
    EXPECT_EQ(c->Frames.back(), 255);
}

// Objects freed under their own code: run under Wine's freed-memory checking.
class FadeLifetimeTest : public FadeTest {};

TEST_F(FadeLifetimeTest, AFadeStopsWhenItsControlIsDisabledHiddenOrFreed)
{
    TFaded* disabled = Add("FADE10");
    StartStateFade(disabled->FadeTimer, *disabled->SkinData, false, true, 1);
    Tick(disabled, 3);
    disabled->SetEnabled(false);
    Tick(disabled, 3);
    EXPECT_EQ(disabled->Frames.size(), 3u);
    ASSERT_NE(disabled->FadeTimer, nullptr);
    EXPECT_FALSE(disabled->FadeTimer->Enabled());
    EXPECT_TRUE(disabled->SkinData->BackgroundChanged) << "it repaints as a disabled control";

    TFaded* hidden = Add("FADE10");
    StartStateFade(hidden->FadeTimer, *hidden->SkinData, false, true, 1);
    Tick(hidden, 2);
    hidden->SetVisible(false);
    Tick(hidden, 1);
    EXPECT_EQ(hidden->FadeTimer, nullptr);
    EXPECT_EQ(hidden->Frames.size(), 2u);

    ks::ComponentWatch watch;
    TFaded* freed = Add("FADE10");
    StartStateFade(freed->FadeTimer, *freed->SkinData, false, true, 1);
    TsFadeTimer* timer = freed->FadeTimer;
    watch.Watch(timer);
    Tick(freed, 2);
    freed->Free();
    EXPECT_FALSE(watch.Alive(timer));

    // Freed by the frame it is shown: the tick must not touch either afterwards.
    TFaded* selfFreeing = Add("FADE10");
    StartStateFade(selfFreeing->FadeTimer, *selfFreeing->SkinData, false, true, 1);
    timer = selfFreeing->FadeTimer;
    watch.Watch(timer);
    selfFreeing->OnFrame = [selfFreeing] { selfFreeing->Free(); };
    SendMessageW(timer->Handle(), WM_TIMER, timer->TimerId(), 0);
    EXPECT_FALSE(watch.Alive(timer));
}

TEST_F(FadeTest, AStateChangeDuringAFadeRestartsItFromWhatTheControlShows)
{
    TFaded* c = Add("FADE10");
    StartStateFade(c->FadeTimer, *c->SkinData, false, true, 1);
    TsFadeTimer* first = c->FadeTimer;
    Tick(c, 4);
    // The cache already holds the new picture; the next state goes back to black.
    c->Look = 0x000000;
    c->SkinData->BackgroundChanged = false;
    StartStateFade(c->FadeTimer, *c->SkinData, false, true, 1);
    EXPECT_EQ(c->FadeTimer, first) << "the running timer is reused";
    EXPECT_EQ(c->FadeTimer->Step, 1);
    c->Frames.clear();
    Run(c);
    ASSERT_EQ(c->Frames.size(), 10u);
    EXPECT_EQ(c->Frames.front(), 229) << "from white, the cache at the restart";
    EXPECT_EQ(c->Frames.back(), 0);
}

TEST_F(FadeTest, AnimEventAllowedFollowsTheControlThenTheManager)
{
    Manager->AnimEffects()->Buttons()->SetEvents({beMouseDown});
    struct Case { TacAnimatEvent event; TacAnimatEvents own; bool allowed; } cases[] = {
        {aeMouseDown, {aeMouseDown}, true},
        {aeMouseEnter, {aeMouseDown}, false},
        {aeMouseEnter, {aeGlobalDef}, false},
        {aeMouseDown, {aeGlobalDef}, true},
        {aeMouseUp, {}, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.event));
        EXPECT_EQ(AnimEventAllowed(k.event, k.own, nullptr), k.allowed);
    }
    Manager->AnimEffects()->Buttons()->SetEvents({beMouseUp});
    EXPECT_TRUE(AnimEventAllowed(aeMouseUp, {aeGlobalDef}, Manager));
    EXPECT_FALSE(AnimEventAllowed(aeMouseDown, {aeGlobalDef}, Manager));
}

TEST_F(FadeTest, TheAnimTimerTellsItsControlOfEachFrame)
{
    TFaded* c = Add("FADE10");
    auto* timer = Create<TsAnimTimer>(nullptr);
    timer->Attach(c->SkinData.get());
    timer->SourceBitmap->Assign(c->SkinData->CacheBitmap.get());
    c->Paint(0xFFFFFF);
    timer->Step = 1;
    timer->MakeFrame();
    EXPECT_EQ(GetRValue(GetPixel(timer->FrameBitmap->Canvas().Handle(), 1, 1)), 25);
    timer->Step = 10;
    timer->MakeFrame();
    EXPECT_EQ(GetRValue(GetPixel(timer->FrameBitmap->Canvas().Handle(), 1, 1)), 255);
    EXPECT_EQ(timer->Step, 11);
    EXPECT_TRUE(timer->CheckFinished());
    timer->Free();
}

} // namespace
