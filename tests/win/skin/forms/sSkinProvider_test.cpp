#include "skin/forms/sSkinProvider.h"

#include "skin/adapters/ComboAdapters.h"
#include "skin/controls/sButton.h"
#include "skin/adapters/SpeedButtonAdapter.h"
#include "skin/adapters/acButtonAdapters.h"
#include "skin/adapters/acSBUtils.h"
#include "skin/core/sCommonData.h"
#include "skin/core/SkinSenders.h"
#include "skin/core/SkinServices.h"
#include "skin/core/sMaskData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "skin/core/sStoredSkins.h"
#include "skin/core/sStyleSimply.h"
#include "skin/adapters/PopupMenuAdapter.h"
#include "skin/forms/sSkinMenus.h"
#include "skin/forms/FormFrameGeometry.h"
#include "skin/forms/SystemMenu.h"
#include "skin/forms/TitleParts.h"
#include "skin/forms/acCtrlAdapter.h"
#include "vcl/Buttons.h"
#include "vcl/ExtCtrls.h"
#include "vcl/StdCtrls.h"
#include "vcl/SysUtils.h"
#include "win/skin/controls/SkinnedFormFixture.h"
#include "win/skin/forms/BorderTestSupport.h"
#include "win/skin/forms/EngineUnits.h"
#include "win/skin/forms/FormFrameFixture.h"
#include "win/support/FreeSpy.h"
#include "win/support/InternalSkin.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

WPARAM Command(WORD command, WORD low = 0)
{
    return static_cast<WPARAM>(MAKELONG(low, command));
}

// Stands between the form and the provider as the form's own procedure: it records what the
// provider passes on.
struct OldProcSpy {
    TWndMethod Inner;
    std::vector<TMessage> Seen;
    void Proc(TMessage& m)
    {
        Seen.push_back(m);
        Inner(m);
    }
    bool SawCommand(WORD command) const
    {
        for (const TMessage& m : Seen)
            if (m.Msg == SM_SKINCMD && HIWORD(m.WParam) == command)
                return true;
        return false;
    }
    bool Saw(UINT msg) const
    {
        for (const TMessage& m : Seen)
            if (m.Msg == msg)
                return true;
        return false;
    }
};

std::vector<std::wstring>& ThemeCalls()
{
    static std::vector<std::wstring> calls;
    return calls;
}

HRESULT WINAPI RecordTheme(HWND, const wchar_t* app, const wchar_t*)
{
    ThemeCalls().push_back(app ? app : L"(null)");
    return S_OK;
}

class TMyButton : public TButton {
public:
    static const ks::ClassInfo StaticClassInfo;
    const ks::ClassInfo& ClassInfo() const noexcept override { return StaticClassInfo; }
    using TButton::TButton;
};
const ks::ClassInfo TMyButton::StaticClassInfo{"TMyButton", &TButton::StaticClassInfo, {}, {}};

class ProviderTest : public ks::test::InternalSkinFixture {
protected:
    void SetUp() override
    {
        InternalSkinFixture::SetUp();
        ASSERT_TRUE(Manager->SkinData.SkinActive);
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        FreeAndNil(Manager);
        Pump();
        InternalSkinFixture::TearDown();
    }
    TForm* MakeForm(TFormBorderStyle style = bsSizeable, bool show = true)
    {
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(Application);
        Form->SetBorderStyle(style);
        Form->SetBounds(40, 40, 300, 200);
        if (show) {
            Form->Show();
            Pump();
        }
        return Form;
    }
    LRESULT SkinCommand(WORD command, LPARAM lParam = 0)
    {
        return SendMessageW(Form->Handle(), SM_SKINCMD, Command(command), lParam);
    }
    HWND Wnd() { return Form->Handle(); }

    TForm* Form = nullptr;
};

// ---- life cycle

// The program starts the provider's unit before its first form: the skin core reaches the
// providers from the first test on, whichever runs first.
TEST_F(ProviderTest, TheSkinCoreReachesProvidersFromTheStart)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    ASSERT_NE(ks::Services().ProviderForm, nullptr);
    EXPECT_EQ(ks::Services().ProviderForm(provider), Form);
    ASSERT_NE(ks::Services().ProviderSectionChanged, nullptr);
    EXPECT_FALSE(ks::Services().ProviderSectionChanged(Form));
}

TEST_F(ProviderTest, HooksTheFormAndGivesBackExactlyTheProcedureItFound)
{
    MakeForm();
    const TWndMethod before = Form->WindowProc();
    auto* provider = Create<TsSkinProvider>(Form);
    EXPECT_TRUE(Form->WindowProc() == TWndMethod(provider, &TsSkinProvider::FormWndProc));
    EXPECT_EQ(Form->Perform(SM_SKINCMD, Command(SKC_GET_PROVIDER), 0), reinterpret_cast<LRESULT>(provider));
    EXPECT_EQ(SkinCommand(SKC_IS_SKINNED), 1);

    provider->Free();
    EXPECT_TRUE(Form->WindowProc() == before);
    EXPECT_EQ(SkinCommand(SKC_IS_SKINNED), 0);
    EXPECT_NE(GetWindowLongPtrW(Wnd(), GWL_STYLE) & WS_SYSMENU, 0) << "the window menu style comes back";
}

// The form's scroll adapter took the procedure over from the provider; freeing the provider
// still leaves the form with the procedure it had before either came.
TEST_F(ProviderTest, AFormWithScrollBarsGetsItsOwnProcedureBack)
{
    MakeForm();
    const TWndMethod before = Form->WindowProc();
    SetWindowLongPtrW(Wnd(), GWL_STYLE, GetWindowLongPtrW(Wnd(), GWL_STYLE) | WS_VSCROLL);
    Form->SetAutoScroll(true);
    auto* provider = Create<TsSkinProvider>(Form);
    provider->UpdateFormScrolls();
    ASSERT_NE(provider->ScrollAdapter, nullptr);
    EXPECT_FALSE(Form->WindowProc() == TWndMethod(provider, &TsSkinProvider::FormWndProc));
    provider->Free();
    EXPECT_TRUE(Form->WindowProc() == before);
    EXPECT_EQ(SkinCommand(SKC_IS_SKINNED), 0);
}

// The core learns a provider's form and its section changes through the services registry:
// the form's controls of the provider's new section repaint, the others do not.
TEST_F(ProviderTest, ASectionChangeOfTheProviderRepaintsTheControlsOfThatSection)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    ASSERT_NE(ks::Services().ProviderForm, nullptr);
    EXPECT_EQ(ks::Services().ProviderForm(provider), Form);
    EXPECT_EQ(ks::Services().ProviderForm(Form), nullptr);

    auto* same = Create<TsButton>(Form);
    auto* other = Create<TsButton>(Form);
    same->SkinData()->SetSkinSection("TOOLBUTTON");
    for (TsButton* b : {same, other}) {
        b->SetParent(Form);
        b->SetBounds(b == same ? 10 : 100, 10, 80, 24);
        b->HandleNeeded();
    }
    Pump();
    for (TsButton* b : {same, other})
        ValidateRect(b->Handle(), nullptr);
    provider->SkinData()->SetSkinSection("TOOLBUTTON");
    EXPECT_TRUE(GetUpdateRect(same->Handle(), nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(other->Handle(), nullptr, FALSE));
    EXPECT_TRUE(ChangedSectionName().empty()) << "named only while it is told";
    EXPECT_EQ(provider->TitleCache, nullptr);
}

TEST_F(ProviderTest, TheFormsProviderIsFoundAmongItsComponents)
{
    MakeForm();
    Create<TButton>(Form);
    EXPECT_EQ(FindSkinProvider(Form), nullptr);
    EXPECT_EQ(FindSkinProvider(nullptr), nullptr);
    auto* provider = Create<TsSkinProvider>(Form);
    EXPECT_EQ(FindSkinProvider(Form), provider);
    provider->Free();
    EXPECT_EQ(FindSkinProvider(Form), nullptr);
}

TEST_F(ProviderTest, OnlyFormsCanOwnAProvider)
{
    auto* owner = Create<TComponent>(nullptr);
    try {
        Create<TsSkinProvider>(owner);
        ADD_FAILURE() << "a provider on a plain component";
    } catch (const EAbort& e) {
        EXPECT_STREQ(e.what(), ProviderOwnerText);
    }
    EXPECT_EQ(owner->ComponentCount(), 0);
    owner->Free();
}

TEST_F(ProviderTest, HookMadeProviderWaitsForTheFirstNonClientMessage)
{
    MakeForm();
    Form->SetColor(clRed);
    auto* provider = TsSkinProvider::CreateProviderFlagged(Form);
    EXPECT_TRUE(provider->SetUpPending);
    EXPECT_EQ(Form->Color(), clRed) << "nothing touched before the form is hit-tested";
    EXPECT_EQ(provider->SystemMenu, nullptr);

    SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(100, 100));
    EXPECT_FALSE(provider->SetUpPending);
    EXPECT_EQ(Form->Color(), Manager->GlobalSectionColor());
    TsSystemMenu* menu = provider->SystemMenu;
    ASSERT_NE(menu, nullptr);
    SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(100, 100));
    EXPECT_EQ(provider->SystemMenu, menu) << "prepared once";
}

TEST_F(ProviderTest, ASecondProviderReplacesAWaitingOneOrStaysPassive)
{
    MakeForm();
    auto* spy = Create<ks::test::FreeSpy>(nullptr);
    auto* waiting = TsSkinProvider::CreateProviderFlagged(Form);
    waiting->FreeNotification(spy);
    auto* second = Create<TsSkinProvider>(Form);
    EXPECT_EQ(spy->Freed, waiting) << "the waiting provider gives way";
    EXPECT_FALSE(second->Passive);

    auto* third = Create<TsSkinProvider>(Form);
    EXPECT_TRUE(third->Passive);
    EXPECT_TRUE(Form->WindowProc() == TWndMethod(second, &TsSkinProvider::FormWndProc)) << "one procedure";
    third->Free();
    EXPECT_TRUE(Form->WindowProc() == TWndMethod(second, &TsSkinProvider::FormWndProc));
    spy->Free();
}

TEST_F(ProviderTest, ProviderOnAFormWithoutAWindowAndFreedInAnyOrder)
{
    MakeForm(bsSizeable, false);
    ASSERT_FALSE(Form->HandleAllocated());
    auto* early = Create<TsSkinProvider>(Form);
    EXPECT_EQ(early->CaptionHeight(true), 0) << "measures without a window are empty";
    EXPECT_EQ(early->SkinnedWindowWidth(), 0);
    early->Free();
    EXPECT_FALSE(Form->HandleAllocated());

    Create<TsSkinProvider>(Form);
    Form->Show();
    Pump();
    EXPECT_EQ(SkinCommand(SKC_IS_SKINNED), 1);
    // The form frees its provider as an owned component while it goes.
    FreeAndNil(Form);
    Pump();
}

// A form about to be shown with what a provider takes over (a button, the window's own scroll bar,
// extended borders where the system has layered windows) under the show animation.
class ProviderLifetimeTest : public ProviderTest {
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        Manager->AnimEffects()->DialogShow()->SetActive(true);
        Manager->AnimEffects()->DialogShow()->SetTime(60);
        Manager->AnimEffects()->DialogShow()->SetMode(atFading);
        Manager->SetExtendedBorders(true);
    }
    // The form's provider before the show: the hook's, still waiting, or one that has prepared
    // the form and skins its button and its scroll bar.
    TsSkinProvider* MakeHiddenForm(bool prepared)
    {
        FreeAndNil(Form);
        MakeForm(bsSizeable, false);
        Button = Create<TButton>(Form);
        Button->SetParent(Form);
        Button->SetBounds(10, 10, 80, 24);
        Own = Form->WindowProc();
        if (!prepared)
            return TsSkinProvider::CreateProviderFlagged(Form);
        SetWindowLongPtrW(Wnd(), GWL_STYLE, GetWindowLongPtrW(Wnd(), GWL_STYLE) | WS_VSCROLL);
        Form->SetAutoScroll(true);
        auto* provider = Create<TsSkinProvider>(Form);
        provider->PrepareForm();
        provider->UpdateFormScrolls();
        EXPECT_NE(provider->ScrollAdapter, nullptr);
        EXPECT_TRUE(Adapted(Button->Handle()));
        return provider;
    }
    static bool Adapted(HWND wnd) { return GetPropW(wnd, AdapterProperty) != nullptr; }
    bool Shaped()
    {
        ks::GdiRegion region(CreateRectRgn(0, 0, 0, 0));
        return GetWindowRgn(Wnd(), region.get()) != ERROR;
    }

    TButton* Button = nullptr;
    TWndMethod Own;
};

// The form's OnShow runs inside the provider's handling of the show, under the show animation. A
// provider freed there, through whatever pointer, goes once that handling returns, and gives the
// form back at once and whole.
TEST_F(ProviderLifetimeTest, AProviderFreedByTheFormsOnShowGoesOnceTheShowEnds)
{
    for (const bool prepared : {false, true}) {
        SCOPED_TRACE(prepared ? "a provider that prepared the form" : "the hook's waiting provider");
        struct Freer {
            TComponent* Provider;
            ks::test::FreeSpy* Spy;
            bool ShownWhileAnimating = false;
            bool FreedAtOnce = false;
            void Show(TObject*)
            {
                ShownWhileAnimating = static_cast<TsSkinProvider*>(Provider)->Animating;
                std::exchange(Provider, nullptr)->Free();
                FreedAtOnce = Spy->Freed != nullptr;
            }
        };
        auto* spy = Create<ks::test::FreeSpy>(nullptr);
        TsSkinProvider* provider = MakeHiddenForm(prepared);
        provider->FreeNotification(spy);
        Freer freer{provider, spy};
        Form->SetOnShow(TNotifyEvent(&freer, &Freer::Show));
        Form->Show();
        EXPECT_TRUE(freer.ShownWhileAnimating);
        EXPECT_FALSE(freer.FreedAtOnce) << "never under its running handler";
        EXPECT_EQ(spy->Freed, provider);
        EXPECT_TRUE(Form->WindowProc() == Own);
        EXPECT_EQ(SkinCommand(SKC_IS_SKINNED), 0);
        EXPECT_FALSE(Shaped()) << "the skin's shape goes with the provider";
        EXPECT_FALSE(Adapted(Button->Handle()));
        EXPECT_FALSE(Adapted(Wnd())) << "nor is the scroll bar skinned";

        const HWND wnd = Wnd();
        EXPECT_TRUE(IsWindowVisible(wnd));
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        Pump();
        EXPECT_FALSE(GetUpdateRect(wnd, nullptr, FALSE)) << "the form paints without its provider";
        spy->Free();
    }
}

// A provider the application makes in OnShow takes the form from the one before it: the hook's,
// still waiting, which it replaces, or one the application freed first. The new provider skins
// the whole form, and freed in turn, leaves the form its own procedure.
TEST_F(ProviderLifetimeTest, AProviderMadeInOnShowSkinsTheWholeFormAfterTheOneBeforeIt)
{
    for (const bool prepared : {false, true}) {
        SCOPED_TRACE(prepared ? "after a provider that prepared the form" : "after the hook's waiting provider");
        struct Maker {
            TCustomForm* Form;
            TsSkinProvider* Before;
            TsSkinProvider* Made = nullptr;
            void Show(TObject*)
            {
                if (Before)
                    std::exchange(Before, nullptr)->Free();
                Made = Create<TsSkinProvider>(Form);
            }
        };
        auto* spy = Create<ks::test::FreeSpy>(nullptr);
        TsSkinProvider* before = MakeHiddenForm(prepared);
        before->FreeNotification(spy);
        Maker maker{Form, prepared ? before : nullptr};
        Form->SetOnShow(TNotifyEvent(&maker, &Maker::Show));
        Form->Show();
        Pump();
        EXPECT_EQ(spy->Freed, before);
        ASSERT_NE(maker.Made, nullptr);
        TsSkinProvider* made = maker.Made;
        EXPECT_FALSE(made->Passive);
        EXPECT_EQ(SkinCommand(SKC_GET_PROVIDER), reinterpret_cast<LRESULT>(made));
        const auto& skinned = SkinnedForms();
        EXPECT_NE(std::find(skinned.begin(), skinned.end(), Form), skinned.end()) << "the core still reaches the form";
        ASSERT_NE(made->Adapter, nullptr);
        EXPECT_EQ(made->Adapter->Items.size(), 1u) << "the button is the new provider's";
        if (Manager->ExtendedBorders()) {
            EXPECT_NE(made->BorderForm, nullptr);
        }
        const TacMainWnd* scroll = GetScrollHandler(Wnd());
        EXPECT_TRUE(!scroll || scroll == made->ScrollAdapter) << "no scroll adapter of the one that went";

        made->Free();
        EXPECT_TRUE(Form->WindowProc() == Own);
        EXPECT_FALSE(Adapted(Button->Handle()));
        spy->Free();
    }
}

TEST_F(ProviderTest, FormChangingItsBorderWhileShownKeepsItsProvider)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    Form->SetBorderStyle(bsDialog);
    Pump();
    EXPECT_EQ(SkinCommand(SKC_GET_PROVIDER), reinterpret_cast<LRESULT>(provider));
    provider->InitTitleButtonSections();
    EXPECT_FALSE(provider->ButtonClose.BigGlyph) << "a dialog border takes the small glyphs";
}

// ---- the window procedure

class ProviderSpyTest : public ProviderTest {
protected:
    void Attach()
    {
        MakeForm();
        Spy.Inner = Form->WindowProc();
        Form->SetWindowProc(TWndMethod(&Spy, &OldProcSpy::Proc));
        Provider = Create<TsSkinProvider>(Form);
        Spy.Seen.clear();
    }
    void TearDown() override
    {
        if (Form && Provider) {
            Provider->Free();
            Form->SetWindowProc(Spy.Inner);
        }
        ProviderTest::TearDown();
    }
    OldProcSpy Spy;
    TsSkinProvider* Provider = nullptr;
};

TEST_F(ProviderSpyTest, SkinCommandsStopAtTheProviderOfASkinnedForm)
{
    Attach();
    EXPECT_EQ(SkinCommand(SKC_GET_PROVIDER), reinterpret_cast<LRESULT>(Provider));
    SkinCommand(99);
    EXPECT_FALSE(Spy.SawCommand(99)) << "an unknown command never reaches the form";
    const LRESULT offset = SkinCommand(SKC_GET_CLIENT_OFFSET);
    EXPECT_EQ(LOWORD(offset), Provider->ClientOffsetX());
    EXPECT_EQ(HIWORD(offset), Provider->ClientOffsetY());
    EXPECT_GT(HIWORD(offset), LOWORD(offset)) << "the title bar lies above the client";

    TMessage complex{SM_SKINCMD, Command(SKC_IS_BG_COMPLEX), 77, 55};
    Form->WindowProc()(complex);
    EXPECT_EQ(complex.LParam, complex.Result) << "the answer is written to both";
}

TEST_F(ProviderSpyTest, UnskinnedFormPassesCommandsOnButStillNamesItsProvider)
{
    Attach();
    Manager->SetActive(false);
    Spy.Seen.clear();
    SkinCommand(99);
    EXPECT_TRUE(Spy.SawCommand(99));
    EXPECT_EQ(SkinCommand(SKC_GET_PROVIDER), reinterpret_cast<LRESULT>(Provider));
}

TEST_F(ProviderSpyTest, ColourChangesReachTheFormOnlyWithACustomColour)
{
    Attach();
    Form->Perform(CM_COLORCHANGED, 0, 0);
    EXPECT_FALSE(Spy.Saw(CM_COLORCHANGED));
    Provider->SkinData()->SetCustomColor(true);
    Form->Perform(CM_COLORCHANGED, 0, 0);
    EXPECT_TRUE(Spy.Saw(CM_COLORCHANGED));
}

TEST_F(ProviderSpyTest, BackgroundAnswerCarriesTheClientOffset)
{
    Attach();
    BackgroundInfo info;
    info.R = {0, 0, 10, 10};
    ks::PerformSkinMessage(*Form, SM_SKINCMD, Command(SKC_GET_BG_INFO), reinterpret_cast<LPARAM>(&info));
    if (info.BackgroundKind == BgKindBitmap) {
        EXPECT_EQ(info.Offset.X, Provider->ClientOffsetX());
        EXPECT_EQ(info.Offset.Y, Provider->ClientOffsetY());
    }
    BackgroundInfo painted;
    painted.PaintRequested = true;
    painted.Offset = {3, 4};
    ks::PerformSkinMessage(*Form, SM_SKINCMD, Command(SKC_GET_BG_INFO), reinterpret_cast<LPARAM>(&painted));
    EXPECT_EQ(painted.Offset.X, 3 + Provider->ClientOffsetX()) << "a paint request is shifted, not replaced";
    EXPECT_EQ(painted.Offset.Y, 4 + Provider->ClientOffsetY());
}

TEST_F(ProviderSpyTest, RemovingTheSkinGivesTheFormItsColourAndStyleBack)
{
    Attach();
    SendMessageW(Wnd(), WM_NCHITTEST, 0, 0);
    EXPECT_EQ(GetWindowLongPtrW(Wnd(), GWL_STYLE) & WS_SYSMENU, 0) << "the provider draws the window menu";
    Manager->SetActive(false);
    EXPECT_EQ(Form->Color(), clBtnFace);
    EXPECT_NE(GetWindowLongPtrW(Wnd(), GWL_STYLE) & WS_SYSMENU, 0);
}

// ---- frame geometry

TEST_F(ProviderTest, TitleButtonsSitAtTheRightOfTheTitleBar)
{
    MakeForm(bsSizeable);
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetUpForm();
    provider->LayoutTitleButtons();
    const int frame = FormBorderWidth(Wnd(), Manager, false, false);
    EXPECT_EQ(frame, GetSystemMetrics(SM_CXFRAME));
    EXPECT_EQ(provider->CaptionHeight(true), GetSystemMetrics(SM_CYCAPTION)) << "no border window: the system's";

    const TRect close = provider->ButtonClose.Rect;
    EXPECT_EQ(close.Right, provider->SkinnedWindowWidth() - Manager->SkinData.BIRight - frame);
    EXPECT_EQ(close.Width(), provider->SysButtonWidth(provider->ButtonClose));
    EXPECT_EQ(provider->ButtonMax.Rect.Right, close.Left - Manager->SkinData.BISpace);
    EXPECT_EQ(provider->ButtonMin.Rect.Right, provider->ButtonMax.Rect.Left - Manager->SkinData.BISpace);
    EXPECT_EQ(provider->SysButtonCount(), 3);
    EXPECT_GE(close.Top, 0);
    EXPECT_LE(close.Bottom, frame + provider->CaptionHeight(true));
}

TEST_F(ProviderTest, DialogsTakeTheSmallSetWithoutGaps)
{
    MakeForm(bsDialog);
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetUpForm();
    provider->LayoutTitleButtons();
    EXPECT_EQ(provider->SysButtonCount(), 1) << "close only";
    EXPECT_EQ(provider->ButtonClose.ImageIndex,
              Manager->FindMask(Manager->CommonIndexes.GlobalInfoIndex, "GLOBALINFO", "SICONCLOSE"));
    EXPECT_EQ(provider->TitleButtonsWidth(), Manager->SkinData.BIRight + provider->SysButtonWidth(provider->ButtonClose));
    EXPECT_FALSE(provider->MainMenuVisible());
    EXPECT_FALSE(provider->TitleIconShown());
}

TEST_F(ProviderTest, UserButtonsWidenTheStripAndGetTheirHitCodes)
{
    MakeForm(bsSizeable);
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetUpForm();
    const int before = provider->TitleButtonsWidth();
    provider->TitleButtons()->Add();
    const int width = provider->UserButtonWidth(*provider->TitleButtons()->Items(0));
    EXPECT_EQ(provider->TitleButtonsWidth(), before + 8 + width + Manager->SkinData.BISpace);
    provider->LayoutTitleButtons();
    EXPECT_EQ(provider->TitleButtons()->Items(0)->BtnData.HitCode, HTUDBTN);
    EXPECT_EQ(provider->TitleButtons()->Items(0)->BtnData.Rect.Right,
              provider->ButtonMin.Rect.Left - Manager->SkinData.BISpace - 8);
    EXPECT_EQ(provider->TitleButtonByHitCode(HTUDBTN), &provider->TitleButtons()->Items(0)->BtnData);
    EXPECT_EQ(provider->TitleButtonByHitCode(HTUDBTN + 1), nullptr);
}

TEST_F(ProviderTest, MissingImagesGiveTheFixedButtonSizes)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    TitleButtonRec none;
    EXPECT_EQ(provider->SysButtonWidth(none), 21);
    provider->MDIClose.ImageIndex = -1;
    EXPECT_EQ(provider->MDIButtonWidth(), 16);
    EXPECT_EQ(provider->MDIButtonHeight(), 16);
}

TEST_F(ProviderTest, CaptionBandLeavesRoomForIconAndButtonsEvenForLongCaptions)
{
    MakeForm(bsSizeable);
    Form->SetCaption(std::wstring(5000, L'W'));
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetUpForm();
    const TRect band = provider->CaptionBandRect();
    EXPECT_LT(band.Left, band.Right);
    EXPECT_LE(band.Right, provider->SkinnedWindowWidth() - provider->TitleButtonsWidth());
    SendMessageW(Wnd(), WM_NCPAINT, 1, 0);
    Pump();
}

TEST_F(ProviderTest, RegionOfASkinWithoutCornersIsTheWholeWindow)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetUpForm();
    provider->MakeRegionRects();
    EXPECT_TRUE(provider->RegionRects.empty()) << "the internal skin's form has no border mask";
    provider->RegionRects.push_back({0, 0, 10000, 10000});
    provider->ApplyRegion(false);
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(Wnd(), probe), ERROR) << "a region that cuts everything away is not set";
    DeleteObject(probe);
    EXPECT_FALSE(provider->InRegionUpdate);
}

// Every full repaint asks for the region again: only a different one reaches the window (a set
// region repaints the frame, which would ask again).
TEST_F(ProviderTest, TheRegionIsSetOnlyWhenItChanges)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetUpForm();
    provider->RegionRects = {{0, 0, 4, 4}};
    EXPECT_TRUE(provider->ApplyRegion(false));
    EXPECT_FALSE(provider->ApplyRegion(false)) << "the same region again";
    provider->RegionRects = {{0, 0, 6, 6}};
    EXPECT_TRUE(provider->ApplyRegion(false));
    ks::GdiRegion probe(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(Wnd(), probe.get()), ERROR);
    EXPECT_FALSE(PtInRegion(probe.get(), 5, 5));
    EXPECT_TRUE(PtInRegion(probe.get(), 6, 6));
    EXPECT_FALSE(provider->InRegionUpdate);
}

TEST_F(ProviderTest, TitleImagesOfZeroSizeAndMissingSectionsLeaveAUsableForm)
{
    MakeForm(bsSizeable);
    for (TsMaskData& mask : Manager->MaskArray)
        if (mask.PropertyName.rfind("BICON", 0) == 0 || mask.PropertyName == "TITLEBUTTON") {
            mask.R = {0, 0, 0, 0};
            mask.ImageCount = 0;
            mask.MaskType = -1;
        }
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetTitleSkin("NOSUCHTITLE");
    provider->SkinData()->SetSkinSection("NOSUCHFORM");
    provider->TitleButtons()->Add();
    provider->SetUpForm();
    provider->LayoutTitleButtons();
    EXPECT_EQ(provider->TitleSectionIndex(), -1);
    EXPECT_EQ(provider->SysButtonHeight(), 0) << "an empty image is a button of no height, not a division by 0";
    EXPECT_GE(provider->TitleButtonsWidth(), Manager->SkinData.BIRight);
    provider->MakeRegionRects();
    EXPECT_TRUE(provider->RegionRects.empty());
    SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(60, 50));
    SendMessageW(Wnd(), WM_NCPAINT, 1, 0);
    Pump();
    EXPECT_TRUE(IsWindow(Wnd()));
}

// Run under Wine's freed-memory checking, as every test of an object freed under its own code.
class ProviderTitleLifetimeTest : public ProviderTest {};

TEST_F(ProviderTitleLifetimeTest, FreeingAProviderStopsItsTitleAnimations)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    // A glow is a timer the provider owns; the record only points to it.
    auto* glow = Create<TTimer>(provider);
    auto* spy = Create<ks::test::FreeSpy>(nullptr);
    glow->FreeNotification(spy);
    provider->ButtonClose.Animation = reinterpret_cast<TacSBAnimation*>(glow);
    provider->StopTitleAnimations();
    EXPECT_EQ(spy->Freed, glow);
    EXPECT_EQ(provider->ButtonClose.Animation, nullptr);
    spy->Free();
}

TEST_F(ProviderTest, GlobalColourFollowsTheSettingWhileTheSkinIsOn)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetUpForm();
    EXPECT_EQ(Form->Color(), Manager->GlobalSectionColor());
    provider->SetUseGlobalColor(false);
    EXPECT_EQ(Form->Color(), clBtnFace) << "off gives the platform's face colour, skin or not";
    provider->SetUseGlobalColor(true);
    EXPECT_EQ(Form->Color(), Manager->GlobalSectionColor());
}

TEST_F(ProviderTest, SwitchingTheFrameOffGivesTheWindowItsOwnFrameBack)
{
    MakeForm();
    std::vector<std::wstring>& themed = ThemeCalls();
    themed.clear();
    ks::Sys().SetWindowThemePtr = &RecordTheme;
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetUpForm();
    ASSERT_EQ(GetWindowLongPtrW(Wnd(), GWL_STYLE) & WS_SYSMENU, 0);
    provider->SetDrawNonClientArea(false);
    EXPECT_NE(GetWindowLongPtrW(Wnd(), GWL_STYLE) & WS_SYSMENU, 0);
    ASSERT_EQ(themed.size(), 1u);
    EXPECT_EQ(themed[0], L"(null)") << "visual styles are given back: no names, not empty ones";
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(Wnd(), probe), ERROR) << "rectangular again";
    DeleteObject(probe);
    ks::ResetSys();
}

TEST_F(ProviderTest, MaximisedSizeKeepsTheSkinnedTitleOnTheWorkArea)
{
    MakeForm(bsSizeable);
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetUpForm();
    ASSERT_EQ(Manager->SkinData.TitleHeight, Manager->SkinData.MaxHeight);
    MINMAXINFO mmi{};
    TMessage m{WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi), 0};
    provider->HandleGetMinMaxInfo(m);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromWindow(Wnd(), MONITOR_DEFAULTTONEAREST), &info);
    const int b = GetSystemMetrics(SM_CXFRAME);
    // Without a border window the skin's caption is the system's: d = b.
    EXPECT_EQ(mmi.ptMaxPosition.y, 0);
    EXPECT_EQ(mmi.ptMaxSize.x, info.rcWork.right - info.rcWork.left + 2 * b);
    EXPECT_EQ(mmi.ptMaxSize.y, info.rcWork.bottom - info.rcWork.top - b + 2 * b);
}

TEST_F(ProviderTest, OldSystemsHaveNoComposition)
{
    ks::Sys().Win32MajorVersion = [] { return 5; };
    ks::Sys().CompositionEnabled = [] { return true; };
    EXPECT_FALSE(IsDwmCompositionEnabled());
    ks::Sys().Win32MajorVersion = [] { return 6; };
    EXPECT_TRUE(IsDwmCompositionEnabled());
    ks::Sys().DwmSetWindowAttribute = nullptr;
    EXPECT_EQ(DwmSetWindowAttributeSafe(nullptr, 3, nullptr, 0), E_NOTIMPL);
    ks::ResetSys();
}

TEST_F(ProviderTest, ClientOffsetIsWhatTheFrameTakesAroundTheClient)
{
    MakeForm(bsSizeable);
    auto* provider = Create<TsSkinProvider>(Form);
    RECT w{}, c{};
    GetWindowRect(Wnd(), &w);
    GetClientRect(Wnd(), &c);
    const int frameX = GetSystemMetrics(SM_CXFRAME);
    EXPECT_EQ(provider->ClientOffsetX(), ((w.right - w.left) - c.right) / 2);
    EXPECT_EQ(provider->ClientOffsetY(), (w.bottom - w.top) - c.bottom - frameX);
    EXPECT_EQ(provider->NonClientHeight(), (w.bottom - w.top) - c.bottom - frameX);
    const TPoint p = provider->ScreenToFormPoint(w.left + 7, w.top + 9);
    EXPECT_EQ(p.X, 7);
    EXPECT_EQ(p.Y, 9);
}

TEST_F(ProviderTest, OutlineDragMovesTheFormWhereTheOutlineEnds)
{
    MakeForm(bsSizeable);
    auto* provider = Create<TsSkinProvider>(Form);
    const TRect start = provider->DragOutlineBegin();
    RECT w{};
    GetWindowRect(Wnd(), &w);
    EXPECT_EQ(start, (TRect{w.left, w.top, w.right, w.bottom}));
    const TRect moved{start.Left + 15, start.Top + 10, start.Right + 15, start.Bottom + 10};
    provider->DragOutlineMove(moved);
    provider->DragOutlineEnd(moved, true);
    GetWindowRect(Wnd(), &w);
    EXPECT_EQ(w.left, moved.Left);
    EXPECT_EQ(w.top, moved.Top);

    provider->DragOutlineBegin();
    provider->DragOutlineEnd({moved.Left, moved.Top, moved.Left, moved.Top}, false);
    GetWindowRect(Wnd(), &w);
    EXPECT_EQ(w.right - w.left, moved.Width()) << "an outline of no size leaves the form alone";
}

TEST_F(ProviderTest, CoverFormStaysInactiveAndGoesWithItsProvider)
{
    MakeForm(bsSizeable);
    SetForegroundWindow(Wnd());
    auto* provider = Create<TsSkinProvider>(Form);
    provider->CreateCoverForm(false);
    ASSERT_NE(provider->CoverForm, nullptr);
    const HWND cover = provider->CoverForm->Handle();
    EXPECT_TRUE(IsWindowVisible(cover));
    EXPECT_NE(GetForegroundWindow(), cover);
    EXPECT_EQ(provider->CoverForm->Tag(), -98);
    provider->Free();
    EXPECT_FALSE(IsWindow(cover));
}

TEST_F(ProviderTest, VisibilityChangePreparesAWaitingProvider)
{
    MakeForm(bsSizeable, false);
    auto* provider = TsSkinProvider::CreateProviderFlagged(Form);
    Form->Show();
    Pump();
    EXPECT_FALSE(provider->SetUpPending);
    EXPECT_NE(provider->SystemMenu, nullptr);
}

// ---- the control adapter

class AdapterTest : public ProviderTest {
protected:
    template <class T>
    T* AddControl(TWinControl* parent)
    {
        auto* c = Create<T>(Form);
        c->SetParent(parent);
        c->SetBounds(10, 10, 80, 24);
        c->HandleNeeded();
        return c;
    }
    static bool Adapted(TWinControl* c) { return GetPropW(c->Handle(), L"ACSBSC") != nullptr; }
};

TEST_F(AdapterTest, ListedClassesGetTheirAdapterAndLoseItWithTheProvider)
{
    MakeForm();
    auto* button = AddControl<TButton>(Form);
    auto* other = AddControl<TMyButton>(Form);
    auto* engines = AddControl<TButton>(Form);
    engines->SetTag(-98);
    const TWndMethod before = button->WindowProc();

    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    ASSERT_NE(provider->Adapter, nullptr);
    EXPECT_TRUE(Adapted(button));
    EXPECT_FALSE(button->WindowProc() == before);
    EXPECT_FALSE(Adapted(other)) << "a subclass of another name is not in the list";
    EXPECT_FALSE(Adapted(engines)) << "the engine's own controls are left alone";
    ASSERT_EQ(provider->Adapter->Items.size(), 1u);
    EXPECT_TRUE(dynamic_cast<TacBtnWnd*>(provider->Adapter->Items[0]->WndAdapter) != nullptr);

    AdaptAll(provider->Adapter, nullptr);
    EXPECT_EQ(provider->Adapter->Items.size(), 1u) << "adapting twice adds nothing";

    provider->Free();
    EXPECT_FALSE(Adapted(button));
    EXPECT_TRUE(button->WindowProc() == before);
}

TEST_F(AdapterTest, ComboBoxesAndSpeedButtonsGetTheAdaptersTheirListsName)
{
    MakeForm();
    Manager->ThirdLists[tkComboBox].Add("TComboBox");
    Manager->ThirdLists[tkWWEdit].Add("TEdit");
    Manager->ThirdLists[tkSpeedButton].Add("TSpeedButton");
    auto* combo = AddControl<TComboBox>(Form);
    auto* ww = AddControl<TEdit>(Form);
    auto* flat = Create<TSpeedButton>(Form);
    flat->SetParent(Form);
    flat->SetFlat(true);
    auto* raised = Create<TSpeedButton>(Form);
    raised->SetParent(Form);
    const TWndMethod buttonProc = raised->WindowProc();

    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    ASSERT_NE(provider->Adapter, nullptr);
    auto* comboItem = provider->Adapter->ItemOf(combo);
    ASSERT_NE(comboItem, nullptr);
    EXPECT_TRUE(dynamic_cast<TacComboBoxWnd*>(comboItem->WndAdapter) != nullptr);
    EXPECT_TRUE(dynamic_cast<TacWWComboBoxWnd*>(comboItem->WndAdapter) == nullptr);
    auto* wwItem = provider->Adapter->ItemOf(ww);
    ASSERT_NE(wwItem, nullptr);
    EXPECT_TRUE(dynamic_cast<TacWWComboBoxWnd*>(wwItem->WndAdapter) != nullptr);

    ASSERT_EQ(provider->Adapter->GraphItems.size(), 2u);
    auto* flatItem = provider->Adapter->GraphItemOf(flat);
    auto* raisedItem = provider->Adapter->GraphItemOf(raised);
    ASSERT_NE(flatItem, nullptr);
    ASSERT_NE(raisedItem, nullptr);
    ASSERT_NE(raisedItem->Handler, nullptr);
    EXPECT_EQ(flatItem->SkinData->SkinSection(), "SPEEDBUTTON_SMALL");
    EXPECT_EQ(raisedItem->SkinData->SkinSection(), "SPEEDBUTTON");
    EXPECT_FALSE(raised->WindowProc() == buttonProc);

    AdaptAll(provider->Adapter, nullptr);
    EXPECT_EQ(provider->Adapter->GraphItems.size(), 2u) << "adapting twice adds no second handler";

    // A button freed on its own is dropped on the next walk; the rest go with the provider.
    flat->Free();
    AdaptAll(provider->Adapter, nullptr);
    EXPECT_EQ(provider->Adapter->GraphItems.size(), 1u);
    provider->Free();
    EXPECT_TRUE(raised->WindowProc() == buttonProc);
    EXPECT_FALSE(Adapted(combo));
    EXPECT_FALSE(Adapted(ww));
}

// The class lists are read by each walk over the form's controls: a class added after the skin
// loaded takes the controls of that class at the next change of the skin or of its colours.
TEST_F(AdapterTest, AClassAddedToAListIsTakenAtTheNextSkinChange)
{
    const struct Case {
        const char* name;
        void (*change)(TsSkinManager&);
    } cases[] = {
        {"NewSkin", [](TsSkinManager& m) { m.SetSkinName(m.SkinName()); }},
        {"ColourChange", [](TsSkinManager& m) { m.SetHueOffset(m.HueOffset() + 10); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeForm();
        auto* combo = AddControl<TComboBox>(Form);
        auto* provider = Create<TsSkinProvider>(Form);
        provider->PrepareForm();
        ASSERT_NE(provider->Adapter, nullptr);
        ASSERT_EQ(provider->Adapter->ItemOf(combo), nullptr);
        Manager->ThirdLists[tkComboBox].Add("TComboBox");
        c.change(*Manager);
        auto* item = provider->Adapter->ItemOf(combo);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(dynamic_cast<TacComboBoxWnd*>(item->WndAdapter) != nullptr);
        Manager->ThirdLists[tkComboBox].Delete(Manager->ThirdLists[tkComboBox].IndexOf("TComboBox"));
        FreeAndNil(Form);
        Pump();
    }
}

TEST_F(AdapterTest, ControlFreedWhileAdaptedIsDroppedOnTheNextWalk)
{
    MakeForm();
    auto* button = AddControl<TButton>(Form);
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    ASSERT_EQ(provider->Adapter->Items.size(), 1u);
    button->Free();
    Pump();
    AdaptAll(provider->Adapter, nullptr);
    EXPECT_TRUE(provider->Adapter->Items.empty());
    provider->Free();
}

TEST_F(AdapterTest, FormFreedWithAdaptedControlsReleasesEverything)
{
    MakeForm();
    AddControl<TButton>(Form);
    auto* gone = AddControl<TButton>(Form);
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    ASSERT_EQ(provider->Adapter->Items.size(), 2u);
    gone->Free();
    // The provider goes with its form, after one of the adapted controls went on its own.
    FreeAndNil(Form);
    Pump();
}

TEST_F(AdapterTest, WithoutThirdPartyRuleNothingIsAdapted)
{
    MakeForm();
    auto* button = AddControl<TButton>(Form);
    Manager->SetSkinningRules({srStdForms, srStdDialogs});
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    EXPECT_FALSE(Adapted(button));
    EXPECT_TRUE(provider->Adapter->Items.empty());
    EXPECT_EQ(ThirdListIndexOf(Manager, "TButton"), tkButton);
    EXPECT_EQ(ThirdListIndexOf(Manager, "TMyButton"), -1);
}

// Controls put on the shown form are adapted as they come, a listed speed button too; controls
// moved to another form take their items with them, and those of the controls they hold.
TEST_F(AdapterTest, ControlsAreAdaptedAsTheyComeAndDroppedAsTheyLeave)
{
    MakeForm();
    Manager->ThirdLists[tkSpeedButton].Add("TSpeedButton");
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    TacCtrlAdapter* adapter = provider->Adapter;
    auto* speed = Create<TSpeedButton>(Form);
    const TWndMethod speedProc = speed->WindowProc();
    speed->SetParent(Form);
    auto* button = AddControl<TButton>(Form);
    EXPECT_TRUE(Adapted(button));
    EXPECT_NE(adapter->GraphItemOf(speed), nullptr) << "the speed button waits for no walk";
    auto* panel = AddControl<TPanel>(Form);
    auto* inner = Create<TSpeedButton>(Form);
    const TWndMethod innerProc = inner->WindowProc();
    inner->SetParent(panel);
    AdaptAll(adapter, nullptr);
    ASSERT_NE(adapter->GraphItemOf(inner), nullptr);

    TForm* other = CreateNew<TForm>(nullptr);
    other->Show();
    size_t items = adapter->Items.size() + adapter->GraphItems.size();
    ASSERT_EQ(items, 3u);
    const std::pair<const char*, TControl*> moves[] = {
        {"ASpeedButton", speed}, {"AWindowedControl", button}, {"APanelHoldingASpeedButton", panel}};
    for (const auto& [name, moved] : moves) {
        SCOPED_TRACE(name);
        moved->SetParent(other);
        EXPECT_EQ(adapter->Items.size() + adapter->GraphItems.size(), --items);
    }
    EXPECT_TRUE(speed->WindowProc() == speedProc) << "the speed buttons have their own procedures back";
    EXPECT_TRUE(inner->WindowProc() == innerProc);
    other->Free();
}

TEST_F(AdapterTest, LabelsTakeTheSkinsTextColourAndGiveItBackWithTheSkin)
{
    MakeForm();
    auto* plain = Create<TLabel>(Form);
    plain->SetParent(Form);
    auto* own = Create<TLabel>(Form);
    own->SetParent(Form);
    own->SetTag(98);
    own->Font()->SetColor(clRed);
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    EXPECT_EQ(plain->Font()->Color(), Manager->GlobalSectionFontColor());
    EXPECT_TRUE(plain->Transparent());
    EXPECT_EQ(own->Font()->Color(), clRed);
    Manager->SetActive(false);
    EXPECT_EQ(plain->Font()->Color(), clWindowText);
    EXPECT_EQ(own->Font()->Color(), clRed);
}

// A control that takes the wheel and records where.
class TWheelPanel : public TWinControl {
public:
    using TWinControl::TWinControl;
    int Calls = 0;
    int Delta = 0;
    bool DoMouseWheel(TShiftState, int wheelDelta, TPoint) override
    {
        ++Calls;
        Delta = wheelDelta;
        return true;
    }
};

// An item whose going tears another adapter down, as freeing a control can free a form with a
// provider of its own; the other adapter still frees all of its items.
TEST(TacCtrlAdapter, AnAdapterTornDownDuringAnothersTeardownFreesItsItems)
{
    int freed = 0;
    struct TCountedItem : TacAdapterItem {
        TCountedItem(TacCtrlAdapter* adapter, int& freed) : TacAdapterItem(adapter), Freed(freed) {}
        ~TCountedItem() override { ++Freed; }
        int& Freed;
    };
    struct TFreeingItem : TacAdapterItem {
        TFreeingItem(TacCtrlAdapter* adapter, TacCtrlAdapter* other) : TacAdapterItem(adapter), Other(other) {}
        ~TFreeingItem() override { delete Other; }
        TacCtrlAdapter* Other;
    };
    auto* inner = new TacCtrlAdapter(nullptr);
    inner->Items.push_back(new TCountedItem(inner, freed));
    inner->Items.push_back(new TCountedItem(inner, freed));
    auto* outer = new TacCtrlAdapter(nullptr);
    outer->Items.push_back(new TFreeingItem(outer, inner));
    delete outer;
    EXPECT_EQ(freed, 2);
}

TEST_F(AdapterTest, WheelGoesToTheControlUnderTheCursor)
{
    MakeForm();
    auto* panel = AddControl<TWheelPanel>(Form);
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    POINT at{20, 20};
    ClientToScreen(panel->Handle(), &at);
    const LRESULT answer = Form->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(at.x, at.y));
    EXPECT_EQ(panel->Calls, 1);
    EXPECT_EQ(panel->Delta, 120);
    EXPECT_EQ(answer, 1);
    POINT outside{300, 150};
    ClientToScreen(Wnd(), &outside);
    Form->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(outside.x, outside.y));
    EXPECT_EQ(panel->Calls, 1) << "nothing under the cursor, nothing told";
}

TEST_F(AdapterTest, AWheelHandlerThatRaisesLeavesTheWheelForwarded)
{
    MakeForm();
    struct TRaisingPanel : TWheelPanel {
        using TWheelPanel::TWheelPanel;
        bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint at) override
        {
            TWheelPanel::DoMouseWheel(shift, wheelDelta, at);
            if (Calls == 1)
                throw Exception("handler failed");
            return true;
        }
    };
    auto* panel = AddControl<TRaisingPanel>(Form);
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    POINT at{20, 20};
    ClientToScreen(panel->Handle(), &at);
    EXPECT_THROW(Form->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(at.x, at.y)), Exception);
    EXPECT_EQ(Form->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(at.x, at.y)), 1);
    EXPECT_EQ(panel->Calls, 2);
}

TEST_F(ProviderSpyTest, SystemMenuItemsSendTheirCommandsToTheForm)
{
    Attach();
    Provider->SetUpForm();
    TsSystemMenu* menu = Provider->SystemMenu;
    ASSERT_NE(menu, nullptr);
    Spy.Seen.clear();
    // Close, not Move or Size: those start the platform's modal loop, which waits for a button.
    menu->ItemClose->OnClick()(menu->ItemClose);
    bool close = false;
    for (const TMessage& m : Spy.Seen)
        close = close || (m.Msg == WM_SYSCOMMAND && (m.WParam & 0xFFF0) == SC_CLOSE);
    EXPECT_TRUE(close);
    EXPECT_FALSE(IsWindowVisible(Wnd())) << "the form closed";
}

// ---- system menu

TEST_F(ProviderTest, SystemMenuShowsWhatTheBorderAllows)
{
    MakeForm(bsDialog);
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetUpForm();
    TsSystemMenu* menu = provider->SystemMenu;
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->Name(), "SysMenu");
    EXPECT_TRUE(menu->VisibleClose());
    EXPECT_FALSE(menu->VisibleMax());
    EXPECT_FALSE(menu->VisibleMin());
    EXPECT_FALSE(menu->ItemMinimize->Visible());
    EXPECT_FALSE(menu->ItemMaximize->Visible());
    EXPECT_TRUE(menu->ItemClose->Visible());
}

TEST_F(ProviderTest, MinimisedFormOffersRestoreAndBothSizeButtons)
{
    MakeForm(bsSizeable);
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetUpForm();
    ShowWindow(Wnd(), SW_MINIMIZE);
    Pump();
    TsSystemMenu* menu = provider->SystemMenu;
    menu->UpdateItems(false);
    EXPECT_TRUE(menu->VisibleMax());
    EXPECT_TRUE(menu->VisibleMin());
    EXPECT_TRUE(menu->EnabledRestore());
    EXPECT_TRUE(menu->ItemRestore->Enabled());
    EXPECT_FALSE(menu->ItemSize->Enabled());
    ShowWindow(Wnd(), SW_RESTORE);
    Pump();
}

TEST_F(ProviderTest, SystemMenuTextsComeFromTheWindowWithTheirShortcuts)
{
    MakeForm(bsSizeable);
    HMENU own = GetSystemMenu(Wnd(), FALSE);
    ASSERT_NE(own, nullptr);
    wchar_t text[128] = {};
    GetMenuStringW(own, SC_CLOSE, text, 128, MF_BYCOMMAND);
    const std::wstring close = text;
    DeleteMenu(own, SC_MOVE, MF_BYCOMMAND);
    AppendMenuW(own, MF_STRING, 0x123, L"Extra\tCtrl+E");

    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetUpForm();
    TsSystemMenu* menu = provider->SystemMenu;
    EXPECT_EQ(menu->ItemMove->Caption(), SysMenuMoveText) << "a command the window has not got";
    const size_t tab = close.find(L'\t');
    EXPECT_EQ(menu->ItemClose->Caption(), close.substr(0, tab));
    if (tab != std::wstring::npos) {
        EXPECT_EQ(menu->ItemClose->ShortCut(), TextToShortCut(close.substr(tab + 1)));
    }
    EXPECT_EQ(menu->ExtraItemCount, 1);
    TMenuItem* extra = menu->Items()->Items(menu->ItemMaximize->MenuIndex() + 2);
    EXPECT_EQ(extra->Caption(), L"Extra");
    EXPECT_EQ(extra->Tag(), 0x123);
    EXPECT_EQ(extra->ShortCut(), TextToShortCut(L"Ctrl+E"));
    GetSystemMenu(Wnd(), TRUE);
}

// ---- title parts

TEST_F(ProviderTest, TitlePartsKeepTheirDefaultsAndCopyRules)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    EXPECT_EQ(provider->SnapBuffer(), 10);
    EXPECT_TRUE(provider->TitleSkin().empty());
    EXPECT_EQ(provider->TitleSectionName(), "FORMTITLE");
    EXPECT_EQ(provider->AddedTitle()->Font()->Color(), AddedTitleNoColor);

    auto* a = static_cast<TsTitleButton*>(provider->TitleButtons()->Add());
    EXPECT_EQ(a->Name(), "TsTitleButton");
    a->SetName("Pin");
    a->SetHint(L"Keep on top");
    a->SetEnabled(false);
    auto* b = static_cast<TsTitleButton*>(provider->TitleButtons()->Add());
    b->SetVisible(false);
    b->Assign(a);
    EXPECT_EQ(b->Name(), "Pin");
    EXPECT_EQ(b->Hint(), L"Keep on top");
    EXPECT_FALSE(b->Enabled());
    EXPECT_FALSE(b->Visible()) << "visibility is not copied";
}

} // namespace

// ---- what the provider answers for the border window, the menus and the show animations

TEST_F(ProviderTest, BackgroundColourAndMouseLeaveAreAnsweredOnTheSkinnedPath)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    EXPECT_EQ(SkinCommand(SKC_GET_BG_COLOR), static_cast<LRESULT>(provider->FormBackColor()));

    provider->SetHotHitCode(HTCLOSE);
    ASSERT_EQ(provider->HotHitCode, HTCLOSE);
    SendMessageW(Wnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(provider->HotHitCode, 0) << "no title button stays hot once the mouse left the form";
    provider->SetHotHitCode(HTMINBUTTON);
    Form->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(provider->HotHitCode, 0);

    // The frame is repainted at once, without a paint message in between.
    provider->SkinData()->CacheBitmap.reset();
    provider->RefreshFormNC();
    ASSERT_NE(provider->SkinData()->CacheBitmap, nullptr);
    EXPECT_FALSE(provider->SkinData()->CacheBitmap->Empty());
}

TEST_F(ProviderTest, AnimationsAndTheRedrawLockSeeTheProvider)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    TComponent* found = ProviderComponentOf(*Form);
    ASSERT_EQ(found, provider);
    auto* animated = dynamic_cast<ks::AnimatedFormProvider*>(found);
    ASSERT_NE(animated, nullptr);
    EXPECT_EQ(animated->ProviderForm(), Form);
    EXPECT_EQ(animated->FormImage(), provider->SkinData()->CacheBitmap.get());
    EXPECT_EQ(animated->BorderForm() == nullptr, provider->BorderForm == nullptr);
    auto* lockable = dynamic_cast<ks::LockableFormProvider*>(found);
    ASSERT_NE(lockable, nullptr);
    EXPECT_EQ(lockable->ProviderSkinManager(), Manager);

    BeginFormsUpdate(Manager);
    EXPECT_TRUE(provider->InFormsUpdate);
    EndFormsUpdate(Manager, true);
    EXPECT_FALSE(provider->InFormsUpdate);
}

TEST_F(ProviderTest, MainMenuItemsPaintOnTheMenuLineAndAreGivenBackWithTheSkin)
{
    InitializeSkinProviderUnit();
    ASSERT_NE(Manager->SkinnableMenus(), nullptr);
    MakeForm(bsSizeable, false);
    auto* menu = Create<TMainMenu>(Form);
    auto* file = Create<TMenuItem>(menu);
    file->SetCaption(L"File");
    menu->Items()->Add(file);
    auto* help = Create<TMenuItem>(menu);
    help->SetCaption(L"Help");
    menu->Items()->Add(help);
    Form->SetMenu(menu);
    Form->Show();
    Pump();
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    Pump();
    EXPECT_TRUE(static_cast<bool>(file->OnAdvancedDrawItem()));
    EXPECT_TRUE(menu->OwnerDraw());

    provider->SkinData()->BackgroundChanged = true;
    provider->PaintNonClient();
    TBitmap* cache = provider->SkinData()->CacheBitmap.get();
    ASSERT_NE(cache, nullptr);
    const MenuLineImage line = provider->MenuLineFor(cache->Canvas().Handle());
    ASSERT_NE(line.Bmp, nullptr);
    ASSERT_FALSE(line.Bmp->Empty());
    // The image is the bare menu line; the cache holds the same line with the items on it.
    int differing = 0;
    for (int y = 0; y < line.Bmp->Height() - 1; ++y)
        for (int x = 0; x < line.Bmp->Width(); ++x)
            if (GetPixel(line.Bmp->Canvas().Handle(), x, y) !=
                GetPixel(cache->Canvas().Handle(), x + line.Offset.X, y + line.Offset.Y))
                ++differing;
    EXPECT_GT(differing, 20) << "the item captions are painted on the menu line";

    // The window's DC places the items by the system's frame, not the skin's.
    const MenuLineImage onWindow = provider->MenuLineFor(nullptr);
    EXPECT_EQ(onWindow.Bmp, line.Bmp);

    Manager->SetActive(false);
    Pump();
    EXPECT_FALSE(static_cast<bool>(file->OnAdvancedDrawItem()));
    ProviderMenuLine = nullptr;
}

TEST_F(ProviderTest, MenuLoopEndClearsThePopupShowingFlag)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    SkinnedPopupShowing = true;
    SendMessageW(Wnd(), WM_EXITMENULOOP, 0, 0);
    EXPECT_FALSE(SkinnedPopupShowing) << "no later menu window takes the flag for a popup of ours";
}

namespace {

TEST_F(ProviderTest, AFormOnAParentDropsItsRegionOnlyWhileTheLeftButtonIsHeldOnIt)
{
    auto* host = CreateNew<TForm>(Application);
    host->SetBounds(20, 20, 500, 400);
    host->Show();
    MakeForm(bsSizeable, false);
    Form->SetParent(host);
    Form->SetBounds(10, 10, 300, 200);
    Form->Show();
    Pump();
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SetUpForm();
    const auto hasRegion = [&] {
        ks::GdiRegion probe(CreateRectRgn(0, 0, 0, 0));
        return GetWindowRgn(Wnd(), probe.get()) != ERROR;
    };
    provider->RegionRects = {{0, 0, 4, 4}};
    EXPECT_TRUE(provider->ApplyRegion(false));
    EXPECT_TRUE(hasRegion()) << "shaped like a top-level form";

    SendMessageW(Wnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    ASSERT_TRUE(Form->ControlState().Contains(csLButtonDown));
    EXPECT_TRUE(provider->ApplyRegion(false));
    EXPECT_FALSE(hasRegion()) << "no region while the button is held";
    EXPECT_FALSE(provider->ApplyRegion(false)) << "nothing more to drop";
    EXPECT_TRUE(provider->NeedRegionUpdate);

    SendMessageW(Wnd(), WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
    EXPECT_TRUE(provider->ApplyRegion(false));
    EXPECT_TRUE(hasRegion()) << "shaped again once released";
    FreeAndNil(Form);
    host->Free();
}

} // namespace

// ---- menus opened by the form

void CALLBACK CloseMenuSoon(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    EndMenu();
}

TEST_F(ProviderSpyTest, TheSkinnedSystemMenuOpensAsTheFormsOwnMenu)
{
    Attach();
    Manager->SetSkinnedPopups(true);
    Provider->PrepareForm();
    ASSERT_NE(Provider->SystemMenu, nullptr);
    Spy.Seen.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMenuSoon);
    Provider->ShowSkinnedSysMenu(100, 100);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(Spy.Saw(WM_INITMENUPOPUP)) << "the form's window opened the menu";
    EXPECT_TRUE(Spy.Saw(WM_MEASUREITEM)) << "the items were measured through the form";

    // A chosen item's command comes to the form, which hands it to the menu.
    const UINT command = Provider->SystemMenu->ItemMinimize->Command();
    SendMessageW(Wnd(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    Pump();
    EXPECT_TRUE(IsIconic(Wnd()));
}

TEST_F(ProviderTest, MenusOpeningOnTheFormGreySizingOrForgetTheLastSkinnedPopup)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    struct Case {
        const char* name;
        WORD systemMenu;
        bool sizeGreyed;
        bool flagAfter;
    };
    const Case cases[] = {{"window menu", 1, true, true}, {"popup of the form", 0, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, SC_SIZE, L"Size");
        SkinnedPopupShowing = true;
        SendMessageW(Wnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, c.systemMenu));
        EXPECT_EQ((GetMenuState(menu, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED) != 0, c.sizeGreyed);
        EXPECT_EQ(SkinnedPopupShowing, c.flagAfter);
        DestroyMenu(menu);
    }
    SkinnedPopupShowing = false;
}

// What a control deep in the form sees of the form's client paint.
struct ParentUpdatedProbe {
    WNDPROC Previous = nullptr;
    HWND Form = nullptr;
    TCanvas* Canvas = nullptr;
    bool SawRect = false;
    TRect Rect{};
    bool CanvasOnForm = false;
};
ParentUpdatedProbe gUpdated;

LRESULT CALLBACK ProbeParentUpdated(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == SM_SKINCMD && HIWORD(wParam) == SKC_PARENT_UPDATED && lParam) {
        gUpdated.SawRect = true;
        gUpdated.Rect = *reinterpret_cast<const TRect*>(lParam);
        gUpdated.CanvasOnForm = gUpdated.Canvas->HandleAllocated() && gUpdated.Canvas->LockCount() > 0 &&
                                WindowFromDC(gUpdated.Canvas->Handle()) == gUpdated.Form;
    }
    return CallWindowProcW(gUpdated.Previous, wnd, msg, wParam, lParam);
}

TEST_F(ProviderTest, AClientPaintReachesAdaptedControlsInPanelsWhileTheFormCanvasDrawsThere)
{
    MakeForm();
    auto* panel = Create<TPanel>(Form);
    panel->SetParent(Form);
    panel->SetBounds(10, 10, 200, 100);
    auto* button = Create<TButton>(Form);
    button->SetParent(panel);
    button->SetBounds(10, 10, 80, 25);
    auto* provider = Create<TsSkinProvider>(Form);
    // A section with a gradient: the client is painted from the form's picture, not filled with
    // a plain colour, and only then are the controls told.
    provider->SkinData()->SetSkinSection("TOOLBAR");
    provider->PrepareForm();
    ASSERT_FALSE(provider->SkinData()->SkinStateWord & StatePlainBackground);
    ASSERT_NE(provider->Adapter, nullptr);
    ASSERT_NE(provider->Adapter->GetItem(0), nullptr) << "the button is adapted";
    const HWND target = button->Handle();
    gUpdated = ParentUpdatedProbe{};
    gUpdated.Form = Wnd();
    gUpdated.Canvas = &Form->Canvas();
    gUpdated.Previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProbeParentUpdated)));
    InvalidateRect(Wnd(), nullptr, FALSE);
    TMessage paint{WM_PAINT, 0, 0, 0};
    provider->HandlePaint(paint);
    SetWindowLongPtrW(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gUpdated.Previous));
    EXPECT_TRUE(gUpdated.SawRect) << "the button in the panel was told through the control adapter";
    EXPECT_EQ(gUpdated.Rect, Form->ClientRect());
    EXPECT_TRUE(gUpdated.CanvasOnForm) << "the form's canvas draws on the paint DC meanwhile";
    EXPECT_EQ(Form->Canvas().LockCount(), 0);
}

// Which windows heard that the form painted.
std::map<HWND, WNDPROC> gProbed;
std::set<HWND> gTold;

LRESULT CALLBACK ProbeTold(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == SM_SKINCMD && HIWORD(wParam) == SKC_PARENT_UPDATED)
        gTold.insert(wnd);
    return CallWindowProcW(gProbed[wnd], wnd, msg, wParam, lParam);
}

// A paint of part of the client tells the controls over that part only; a control held back
// while the form was updating is told wherever it is.
TEST_F(ProviderTest, APaintOfPartOfTheClientTellsTheControlsThereAndAnyHeldBack)
{
    MakeForm();
    auto* provider = Create<TsSkinProvider>(Form);
    provider->SkinData()->SetSkinSection("TOOLBAR");
    provider->PrepareForm();
    ASSERT_FALSE(provider->SkinData()->SkinStateWord & StatePlainBackground);
    TButton* buttons[2] = {Create<TButton>(Form), Create<TButton>(Form)};
    buttons[0]->SetBounds(10, 10, 80, 25);
    buttons[1]->SetBounds(180, 120, 80, 25);
    gProbed.clear();
    for (TButton* b : buttons) {
        b->SetParent(Form);
        gProbed[b->Handle()] = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(b->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProbeTold)));
    }
    Pump();
    struct Case {
        const char* name;
        RECT invalid;
        bool heldBack;
        bool farTold;
    } cases[] = {
        {"Part", {0, 0, 40, 30}, false, false},
        {"Whole", {0, 0, 300, 200}, false, true},
        {"PartWithOneHeldBack", {0, 0, 40, 30}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.heldBack) {
            provider->SkinData()->SetUpdating(true);
            ASSERT_EQ(SkinCommand(SKC_IS_UPDATING), 1);
            provider->SkinData()->SetUpdating(false);
        }
        gTold.clear();
        ValidateRect(Wnd(), nullptr);
        InvalidateRect(Wnd(), &c.invalid, FALSE);
        TMessage paint{WM_PAINT, 0, 0, 0};
        provider->HandlePaint(paint);
        EXPECT_TRUE(gTold.count(buttons[0]->Handle()));
        EXPECT_EQ(gTold.count(buttons[1]->Handle()) != 0, c.farTold);
    }
    for (const auto& [wnd, previous] : gProbed)
        SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
}

// A form of one plain colour has its client filled, not copied from a picture: its labels must
// still be painted over the fill (the about box's author and link, the warning box's text).
TEST_F(ProviderTest, APlainFormsLabelsArePaintedOverItsColour)
{
    InitializeSkinProviderUnit();
    MakeForm();
    auto* label = Create<TLabel>(Form);
    label->SetParent(Form);
    label->SetBounds(20, 20, 120, 20);
    label->SetCaption(L"WWWWWWWW");
    auto* provider = Create<TsSkinProvider>(Form);
    provider->PrepareForm();
    ASSERT_TRUE(provider->SkinData()->SkinStateWord & StatePlainBackground);
    RedrawWindow(Wnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    const auto picture = ks::test::ScreenPicture(Wnd());
    POINT origin{0, 0};
    ClientToScreen(Wnd(), &origin);
    RECT window{};
    GetWindowRect(Wnd(), &window);
    const int x0 = origin.x - window.left + label->Left(), y0 = origin.y - window.top + label->Top();
    const auto back = static_cast<COLORREF>(ColorToRGB(provider->FormBackColor()));
    int ink = 0;
    for (int y = y0; y < y0 + label->Height(); ++y)
        for (int x = x0; x < x0 + label->Width(); ++x)
            ink += GetPixel(picture->Canvas().Handle(), x, y) != back;
    EXPECT_GT(ink, 20) << "the label's text shows";
}

TEST_F(ProviderTest, UnderDesktopCompositionTheOutlineSizingFallsBackToThePlatforms)
{
    for (const bool composed : {false, true}) {
        SCOPED_TRACE(composed ? "composed" : "plain");
        MakeForm();
        auto* provider = Create<TsSkinProvider>(Form);
        provider->PrepareForm();
        provider->SetResizeMode(rmBorder);
        ks::Sys().Win32MajorVersion = [] { return 6; };
        ks::Sys().CompositionEnabled = composed ? +[] { return true; } : +[] { return false; };
        SendMessageW(Wnd(), WM_NCPAINT, 1, 0);
        ks::Sys().CompositionEnabled = nullptr;
        EXPECT_EQ(provider->ResizeMode(), composed ? rmStandard : rmBorder);
        FreeAndNil(Form);
    }
}

namespace {

// The form's scroll bars are skinned when the form scrolls, whatever its window's styles say.
TEST_F(ProviderTest, OnlyAFormThatScrollsGetsItsScrollAdapter)
{
    struct Case {
        const char* name;
        bool autoScroll;
        bool styles;
    } cases[] = {{"scrolls", true, false}, {"bars without scrolling", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeForm();
        if (c.styles)
            SetWindowLongPtrW(Wnd(), GWL_STYLE, GetWindowLongPtrW(Wnd(), GWL_STYLE) | WS_VSCROLL);
        Form->SetAutoScroll(c.autoScroll);
        auto* provider = Create<TsSkinProvider>(Form);
        provider->UpdateFormScrolls();
        EXPECT_EQ(provider->ScrollAdapter != nullptr, c.autoScroll);
        provider->Free();
        FreeAndNil(Form);
    }
}

} // namespace

// A menu the system refuses to rebuild raises out of InitMenu; the next menu is still rebuilt.
TEST_F(ProviderTest, AMenuThatFailsToRebuildLeavesTheNextOneToBeRebuilt)
{
    MakeForm();
    const auto menuWith = [&](const wchar_t* caption) {
        auto* menu = Create<TMainMenu>(Form);
        auto* item = Create<TMenuItem>(menu);
        item->SetCaption(caption);
        menu->Items()->Add(item);
        auto* sub = Create<TMenuItem>(menu);
        sub->SetCaption(L"Open");
        item->Add(sub);
        return menu;
    };
    TMainMenu* broken = menuWith(L"File");
    TMainMenu* sound = menuWith(L"Edit");
    Form->SetMenu(broken);
    Pump();
    auto* provider = Create<TsSkinProvider>(Form);
    DestroyMenu(broken->Items()->Items(0)->Handle());
    EXPECT_ANY_THROW(provider->InitMenu());
    Form->SetMenu(sound);
    EXPECT_TRUE(provider->InitMenu());
    Form->SetMenu(nullptr);
}

// ---- skin changes through the manager

// A shown form with its provider under the frame test skin, whose extended border the manager
// switches on and off.
class ProviderSkinChangeTest : public ks::test::FormFrameFixture {};

// A skin change holds every shown form under the redraw lock, whose WM_SETREDRAW takes WS_VISIBLE
// from the window meanwhile; the refresh inside still switches the form's border window by the
// manager's setting.
TEST_F(ProviderSkinChangeTest, TheManagersChangesSwitchTheBorderWindowOfAShownForm)
{
    if (!ks::Sys().LayeredWindowsAvailable())
        GTEST_SKIP() << "no layered windows";
    ASSERT_EQ(Provider->BorderForm, nullptr);
    Dir.Write(L"Other.asz", ks::test::FrameSkinArchive({.titleBar = true}));
    const struct {
        const char* name;
        std::function<void()> change;
        bool border;
    } steps[] = {
        {"extended borders on", [&] { Manager->SetExtendedBorders(true); }, true},
        {"a new skin with an extended border", [&] { Manager->SetSkinName(L"Other"); }, true},
        {"extended borders off", [&] { Manager->SetExtendedBorders(false); }, false},
        {"extended borders on again", [&] { Manager->SetExtendedBorders(true); }, true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.change();
        Pump();
        EXPECT_TRUE(IsWindowVisible(Form->Handle()));
        ASSERT_EQ(Provider->BorderForm != nullptr, step.border);
        if (step.border) {
            EXPECT_TRUE(IsWindowVisible(Provider->BorderWindow()));
        }
    }
}

class ProviderSkinChangeLifetimeTest : public ProviderSkinChangeTest {};

// A form whose OnPaint frees its provider while the end of a skin change repaints it: the
// repaint leaves the provider alone once it is gone (a read of it faults under Wine's
// freed-memory checking, WINEDEBUG=warn+heap).
TEST_F(ProviderSkinChangeLifetimeTest, AFormWhoseOnPaintFreesItsProviderDuringASkinChangeStaysShown)
{
    struct Freer {
        TComponent* Provider;
        void Paint(TObject*)
        {
            if (Provider)
                std::exchange(Provider, nullptr)->Free();
        }
    } freer{Provider};
    auto* spy = Create<ks::test::FreeSpy>(nullptr);
    Provider->FreeNotification(spy);
    Form->SetOnPaint(TNotifyEvent(&freer, &Freer::Paint));
    Manager->SetHueOffset(20);
    EXPECT_EQ(freer.Provider, nullptr) << "the change's repaint ran OnPaint";
    EXPECT_EQ(spy->Freed, Provider);
    Provider = nullptr;
    Form->SetOnPaint({});
    Pump();
    EXPECT_TRUE(IsWindowVisible(Form->Handle()));
    spy->Free();
}

// For a person to look at (build/<target>/skin-change-extended-border.png): a form switched to a
// skin with an extended border by the manager, the border window's image over a checkerboard
// (Xvfb composites no layered window) with the form's client in it.
TEST_F(ProviderSkinChangeTest, PictureOfAFormSwitchedToAnExtendedBorderSkin)
{
    if (!ks::Sys().LayeredWindowsAvailable())
        GTEST_SKIP() << "no layered windows";
    Form->SetCaption(L"Генератор паролей");
    Dir.Write(L"Other.asz", ks::test::FrameSkinArchive({.titleBar = true}));
    Manager->SetExtendedBorders(true);
    Manager->SetSkinName(L"Other");
    Pump();
    ASSERT_NE(Provider->BorderForm, nullptr);
    std::unique_ptr<TBitmap> shown = ks::test::Composed(*Provider->SkinData()->CacheBitmap);
    RECT client{};
    GetClientRect(Form->Handle(), &client);
    HDC dc = GetDC(Form->Handle());
    BitBlt(shown->Canvas().Handle(), Provider->ClientOffsetX(), Provider->ClientOffsetY(), client.right, client.bottom,
           dc, 0, 0, SRCCOPY);
    ReleaseDC(Form->Handle(), dc);
    ks::test::WriteSheetPng(*shown, std::string("Z:") + KS_BUILD_DIR + "/skin-change-extended-border.png");
    // What it must show: the desktop through the new skin's shadow (two squares of the board
    // beside each other differ there), the new skin's close button, and the form's client.
    const int middle = shown->Height() / 2 / 16 * 16;
    EXPECT_NE(ks::GetPixel24(shown->View(), 0, middle), ks::GetPixel24(shown->View(), 0, middle + 8)) << "the shadow";
    const TRect close = Provider->ButtonClose.Rect;
    ASSERT_GT(close.Width(), 0);
    EXPECT_EQ(ks::GetPixel24(shown->View(), (close.Left + close.Right) / 2, (close.Top + close.Bottom) / 2),
              ks::test::CloseCells[0]);
    EXPECT_EQ(ks::GetPixel24(shown->View(), Provider->ClientOffsetX() + 1, Provider->ClientOffsetY() + 1),
              ColorToRGB(ks::test::FrameFormHotColour)) << "the active form's client";
}

// While the skin is off nothing follows the frames' activation, and a provider takes its form as
// active: a skin switched on draws a frame active only for the active window, or for the
// client's active child under it.
class ProviderActivationTest : public ks::test::SkinnedMDIFixture {};

TEST_F(ProviderActivationTest, ASkinSwitchedOnDrawsOnlyTheActiveFramesActive)
{
    Manager->SetActive(false);
    TForm* children[2] = {MakeChild(L"One"), MakeChild(L"Two", 30)};
    const std::pair<TsSkinProvider*, bool> expected[] = {
        {Create<TsSkinProvider>(Form), false},
        {Create<TsSkinProvider>(children[0]), false},
        {Create<TsSkinProvider>(children[1]), true},
    };
    SetActiveWindow(Main->Handle());
    Pump();
    ASSERT_EQ(reinterpret_cast<HWND>(SendMessageW(Main->ClientHandle(), WM_MDIGETACTIVE, 0, 0)), children[1]->Handle());

    Manager->SetActive(true);
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(expected[i].first->FormActive, expected[i].second) << "form " << i;
    for (TForm* child : children)
        child->Free();
}
