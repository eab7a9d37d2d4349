#include "skin/controls/sHintManager.h"

#include "skin/controls/sHintWindows.h"
#include "vcl/Forms.h"
#include "win/skin/controls/HintTestSupport.h"
#include "win/support/AccessViolations.h"
#include "win/support/ProcessCounters.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using LoadableManager = ks::test::LoadableHintManager;

class sHintManagerTest : public VclFixture {
protected:
    void TearDown() override
    {
        FreeAndNil(manager);
        FreeAndNil(other);
        Application->SetHintWindowClass(nullptr);
        Application->SetOnShowHint(nullptr);
        VclFixture::TearDown();
    }
    // A manager as a form stream makes it: created, its properties read, then Loaded.
    TsHintManager* Streamed(TsHintsPredefinitions preset)
    {
        auto* m = Create<LoadableManager>(nullptr);
        m->SetPredefinitions(preset);
        m->HintKind()->SetExOffset(77);
        m->HintKind()->SetRadius(55);
        m->HintKind()->SetColor(0x123456);
        m->HintKind()->SetStyle(hsComics);
        m->Loaded();
        return m;
    }
    bool ClassIs(THintWindowClass c) { return Application->HintWindowClass() == c; }

    TsHintManager* manager = nullptr;
    TsHintManager* other = nullptr;
};

TEST_F(sHintManagerTest, PresetsSetTheirValues)
{
    struct Case {
        TsHintsPredefinitions preset;
        int bevelWidth, exOffset, marginH, marginV, maxWidth, radius;
        TColor color;
        int transparency;
        TColor top, bottom;
        int gradientPercent;
        bool gradient;
        int blur, offset, shadowTransparency;
        TsHintStyle style;
    } cases[] = {
        {shSimply, 1, 77, 4, 2, 240, 55, clInfoBk, 0, 0, 0, 0, false, 3, 6, 40, hsSimply},
        {shGradient, 1, 77, 6, 3, 240, 55, 0xB6FCFA, 10, 0xFFFFFF, 0x008080, 100, true, 5, 6, 50, hsSimply},
        {shTransparent, 0, 77, 13, 5, 240, 55, 0xB6FCFA, 20, 0xFFFFFF, 0x008080, 0, false, 3, 10, 70, hsSimply},
        {shEllipse, 1, 16, 6, 12, 240, 55, 0xC2FCFC, 5, 0x008080, 0, 100, true, 4, 16, 75, hsEllipse},
        {shBalloon, 6, 18, 6, 6, 240, 55, 0xC2FCFC, 10, 0x408080, 0x408080, 0, false, 6, 8, 70, hsBalloon},
        {shComicsGradient, 1, 24, 15, 7, 180, 21, 0xFFB44F, 8, 0x400000, 0x400000, 100, true, 10, 7, 28, hsComics},
        {shComicsTransparent, 1, 19, 15, 8, 180, 13, 0xC2FCFC, 10, 0, 0, 0, false, 4, 7, 45, hsComics},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.preset));
        manager = Streamed(c.preset);
        const TsHintKind& k = *manager->HintKind();
        EXPECT_EQ(k.BevelWidth(), c.bevelWidth);
        EXPECT_EQ(k.ExOffset(), c.exOffset);
        EXPECT_EQ(k.MarginH(), c.marginH);
        EXPECT_EQ(k.MarginV(), c.marginV);
        EXPECT_EQ(k.MaxWidth(), c.maxWidth);
        EXPECT_EQ(k.Radius(), c.radius);
        EXPECT_EQ(k.Color(), c.color);
        EXPECT_EQ(k.Transparency(), c.transparency);
        EXPECT_EQ(k.ColorBorderTop(), c.top);
        EXPECT_EQ(k.ColorBorderBottom(), c.bottom);
        EXPECT_EQ(k.Bevel(), 1);
        EXPECT_EQ(k.GradientPercent(), c.gradientPercent);
        EXPECT_EQ(!k.GradientData().empty(), c.gradient);
        EXPECT_EQ(k.ShadowBlur(), c.blur);
        EXPECT_EQ(k.ShadowOffset(), c.offset);
        EXPECT_EQ(k.ShadowTransparency(), c.shadowTransparency);
        EXPECT_EQ(k.Style(), c.style);
        EXPECT_TRUE(k.ShadowEnabled());
        EXPECT_EQ(k.Font()->Name(), Screen->HintFont()->Name());
        EXPECT_EQ(k.Font()->Color(), 0);
        EXPECT_EQ(ActiveHintManager, manager);
        FreeAndNil(manager);
    }
}

TEST_F(sHintManagerTest, UnstyledPresetsKeepTheStreamedLook)
{
    struct Case {
        TsHintsPredefinitions preset;
        TsHintStyle style;
    } cases[] = {{shStandard, hsStandard}, {shNone, hsNone}, {shCustom, hsComics}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.preset));
        manager = Streamed(c.preset);
        EXPECT_EQ(manager->HintKind()->Style(), c.style);
        EXPECT_EQ(manager->HintKind()->Color(), 0x123456);
        EXPECT_EQ(manager->HintKind()->Radius(), 55);
        EXPECT_FALSE(manager->HintKind()->ShadowEnabled());
        FreeAndNil(manager);
    }
}

TEST_F(sHintManagerTest, StyleChoosesTheApplicationsHintWindow)
{
    manager = Create<TsHintManager>(nullptr);
    EXPECT_EQ(Application->HintPause(), 500);
    EXPECT_EQ(Application->HintShortPause(), 200);
    struct Case {
        TsHintStyle style;
        THintWindowClass windowClass;
        bool active;
    } cases[] = {
        {hsSimply, &NewHintWindow<TsSimplyHintWindow>, true},
        {hsComics, &NewHintWindow<TsComicsHintWindow>, true},
        {hsEllipse, &NewHintWindow<TsEllipseHintWindow>, true},
        {hsBalloon, &NewHintWindow<TsBalloonHintWindow>, true},
        {hsStandard, &NewHintWindow<THintWindow>, false},
        {hsNone, &NewHintWindow<TsSimplyHintWindow>, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.style));
        manager->HintKind()->SetStyle(c.style);
        EXPECT_TRUE(ClassIs(c.windowClass));
        EXPECT_EQ(ActiveHintManager, c.active ? manager : nullptr);
    }
}

TEST_F(sHintManagerTest, FreeingGivesTheHintsBackOnlyWhenItHasThem)
{
    manager = Create<TsHintManager>(nullptr);
    other = Create<TsHintManager>(nullptr);
    other->HintKind()->SetStyle(hsBalloon);
    // The first manager no longer has the hints: freeing it leaves the second's in place.
    FreeAndNil(manager);
    EXPECT_EQ(ActiveHintManager, other);
    EXPECT_TRUE(ClassIs(&NewHintWindow<TsBalloonHintWindow>));
    EXPECT_TRUE(Application->OnShowHint());

    FreeAndNil(other);
    EXPECT_EQ(ActiveHintManager, nullptr);
    EXPECT_TRUE(ClassIs(&NewHintWindow<THintWindow>));
    EXPECT_FALSE(Application->OnShowHint());
}

TEST_F(sHintManagerTest, FreeingAManagerThatServesNoHintsGivesThePlatformsWindowBack)
{
    // hsNone installs a skinned window that no manager serves; with the manager gone nothing
    // would ever paint the hints.
    manager = Create<TsHintManager>(nullptr);
    manager->HintKind()->SetStyle(hsNone);
    ASSERT_EQ(ActiveHintManager, nullptr);
    FreeAndNil(manager);
    EXPECT_TRUE(ClassIs(&NewHintWindow<THintWindow>));
}

struct EventSpy {
    std::optional<TPoint> moveTo;
    bool refuse = false;
    TFrame* frame = nullptr;
    void Handler(std::wstring& text, bool& canShow, THintInfo& info, TFrame*& f)
    {
        if (moveTo)
            info.HintPos = *moveTo;
        text += L"!";
        canShow = !refuse;
        if (frame)
            f = frame;
    }
};

TEST_F(sHintManagerTest, ShowHintKeepsTheAnchorTheEventMovesWhole)
{
    manager = Create<TsHintManager>(nullptr);
    EventSpy spy;
    manager->SetOnShowHint(TacShowHintEvent(&spy, &EventSpy::Handler));
    struct Case {
        const char* name;
        std::optional<TPoint> moveTo;
        TPoint expected;
    } cases[] = {
        {"Unmoved", std::nullopt, {10, 20}},
        {"BothMoved", TPoint{30, 40}, {30, 40}},
        {"OnlyXMoved", TPoint{30, 20}, {10, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spy.moveTo = c.moveTo;
        std::wstring text = L"hint";
        bool canShow = true;
        THintInfo info;
        info.HintPos = {10, 20};
        Application->OnShowHint()(text, canShow, info);
        EXPECT_EQ(manager->HintPos, c.expected);
        EXPECT_EQ(text, L"hint!");
    }
}

TEST_F(sHintManagerTest, FrameOfAHintThatWillNotShowIsFreed)
{
    manager = Create<TsHintManager>(nullptr);
    EventSpy spy;
    spy.refuse = true;
    TForm* owner = CreateNew<TForm>(nullptr);
    spy.frame = Create<TFrame>(owner);
    manager->SetOnShowHint(TacShowHintEvent(&spy, &EventSpy::Handler));
    std::wstring text = L"hint";
    bool canShow = true;
    THintInfo info;
    Application->OnShowHint()(text, canShow, info);
    EXPECT_EQ(WaitingHintFrame(), nullptr);
    EXPECT_EQ(owner->ComponentCount(), 0);

    // A frame its owner frees before any hint shows is forgotten, not shown freed.
    spy.refuse = false;
    spy.frame = Create<TFrame>(owner);
    Application->OnShowHint()(text, canShow, info);
    EXPECT_EQ(WaitingHintFrame(), spy.frame);
    owner->Free();
    EXPECT_EQ(WaitingHintFrame(), nullptr);
}

TEST_F(sHintManagerTest, WithoutASkinTheHintIsDrawnFromTheKind)
{
    manager = Streamed(shSimply);
    manager->SetUseSkinData(true);
    // No skin manager exists here.
    EXPECT_FALSE(manager->IsSkinned());
    EXPECT_TRUE(manager->HintKind()->ShadowEnabled());
}

// A hint manager freed from its own OnShowHint writes nothing into itself afterwards; the hint
// still goes on as the handler left it.
class sHintManagerLifetimeTest : public sHintManagerTest {};

TEST_F(sHintManagerLifetimeTest, AManagerFreedFromItsOwnOnShowHintLeavesItselfAlone)
{
    struct Freeing {
        TsHintManager*& manager;
        void Handler(std::wstring& text, bool&, THintInfo& info, TFrame*&)
        {
            FreeAndNil(manager);
            info.HintPos = {30, 40};
            text += L"!";
        }
    } freeing{manager};
    manager = Create<TsHintManager>(nullptr);
    manager->SetOnShowHint(TacShowHintEvent(&freeing, &Freeing::Handler));
    ks::test::AccessViolations faults;
    std::wstring text = L"hint";
    bool canShow = true;
    THintInfo info;
    info.HintPos = {10, 20};
    Application->OnShowHint()(text, canShow, info);
    EXPECT_EQ(faults.Count(), 0);
    EXPECT_TRUE(ks::test::HeapsIntact()) << "nothing written into the freed manager";
    EXPECT_EQ(text, L"hint!");
    EXPECT_FALSE(Application->OnShowHint()) << "the application's event went with the manager";
}

} // namespace
