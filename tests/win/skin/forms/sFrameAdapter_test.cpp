#include "skin/forms/sFrameAdapter.h"

#include "skin/adapters/acSBUtils.h"
#include "skin/controls/sSpeedButton.h"

#include "skin/core/sCommonData.h"
#include "skin/forms/sSkinMenus.h"
#include "vcl/Menus.h"
#include "vcl/FormStreaming.h"
#include "vcl/FormText.h"
#include "skin/core/sMessages.h"
#include "win/skin/adapters/ListSkinFixture.h"
#include "win/support/AccessViolations.h"

#include <gtest/gtest.h>

namespace {

using namespace ks::test;

WPARAM Command(WORD command)
{
    return static_cast<WPARAM>(MAKELONG(0, command));
}

class FrameAdapterTest : public ListSkinFixture {
protected:
    void SetUp() override
    {
        ListSkinFixture::SetUp();
        // The test form is left to the frames: the creation hook gives it no provider.
        Manager->SetSkinningRules({srStdDialogs, srThirdParty});
        ks::SetNextFormCreation({true, false, {}});
        Form = CreateNew<TForm>(Application);
        Form->SetBounds(40, 40, 320, 240);
        Form->Show();
    }
    void TearDown() override
    {
        FreeAndNil(Form);
        ListSkinFixture::TearDown();
    }
    TFrame* MakeFrame(TWinControl* parent, TRect r)
    {
        auto* frame = Create<TFrame>(Form);
        frame->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        frame->SetParent(parent);
        frame->HandleNeeded();
        return frame;
    }
    TsFrameAdapter* Adapt(TFrame* frame, const char* section = "")
    {
        auto* adapter = Create<TsFrameAdapter>(frame);
        adapter->SkinData()->SetSkinManager(Manager);
        if (*section)
            adapter->SkinData()->SetSkinSection(section);
        adapter->SkinData()->RefreshIndexes();
        return adapter;
    }
    static TColor BackgroundOf(TControl* c)
    {
        return static_cast<TColor>(c->Perform(SM_SKINCMD, Command(SKC_GET_BG_COLOR), 0));
    }

    TForm* Form = nullptr;
};

TEST_F(FrameAdapterTest, OnlyAFrameMayOwnTheAdapter)
{
    try {
        Create<TsFrameAdapter>(Form);
        ADD_FAILURE() << "a form took the adapter";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), FrameAdapterOwnerText);
    }
    EXPECT_EQ(Form->ComponentCount(), 0) << "nothing is left on the form";
}

TEST_F(FrameAdapterTest, TheFramesWindowProcIsTakenAndGivenBackOnlyWhileItIsTheAdapters)
{
    TFrame* frame = MakeFrame(Form, {10, 10, 150, 110});
    const TWndMethod own = frame->WindowProc();
    TsFrameAdapter* adapter = Adapt(frame);
    EXPECT_FALSE(frame->WindowProc() == own);
    EXPECT_EQ(adapter->SkinData()->SkinSection(), "GROUPBOX");
    EXPECT_EQ(adapter->SkinData()->ControlKind, 226);
    EXPECT_EQ(frame->Perform(SM_SKINCMD, Command(SKC_IS_SKINNED), 0), 1);
    adapter->Free();
    EXPECT_TRUE(frame->WindowProc() == own);

    // Someone who takes the WindowProc over after the adapter keeps it.
    adapter = Adapt(frame);
    struct Spy {
        TWndMethod next;
        void Proc(TMessage& m) { next(m); }
    } spy{frame->WindowProc()};
    frame->SetWindowProc(TWndMethod(&spy, &Spy::Proc));
    adapter->Free();
    EXPECT_TRUE(frame->WindowProc() == TWndMethod(&spy, &Spy::Proc));
    frame->SetWindowProc(own);
}

// A frame placed in a window rather than in a control has nothing to paint over: it paints as it
// would unskinned, and that paint validates it, or the system would ask for it again for ever.
TEST_F(FrameAdapterTest, AFrameWithoutAParentControlIsValidatedByItsPaint)
{
    auto* frame = Create<TFrame>(Form);
    frame->SetBounds(10, 10, 100, 80);
    frame->SetParentWindow(Form->Handle());
    const HWND wnd = frame->Handle();
    ShowWindow(wnd, SW_SHOWNA);
    Adapt(frame);
    ASSERT_TRUE(IsWindowVisible(wnd)) << "a hidden window collects no update region";
    ASSERT_EQ(frame->Parent(), nullptr);
    InvalidateRect(wnd, nullptr, TRUE);
    UpdateWindow(wnd);
    EXPECT_FALSE(GetUpdateRect(wnd, nullptr, FALSE)) << "the paint left the frame invalid";
}

TEST_F(FrameAdapterTest, TheBackgroundColourBlendsTheSectionWithTheParentByItsTransparency)
{
    TFrame* outer = MakeFrame(Form, {0, 0, 300, 200});
    TsFrameAdapter* outerAdapter = Adapt(outer);
    outerAdapter->SkinData()->SkinStateWord |= StatePlainBackground;
    EXPECT_EQ(BackgroundOf(outer), GroupColour);

    TFrame* inner = MakeFrame(outer, {10, 10, 100, 80});
    struct Case {
        const char* section;
        TColor expected;
    };
    auto half = [](int own, int parent) { return own + (parent - own) * 50 / 100; };
    const TColor blended = static_cast<TColor>(half(HalfColour & 0xFF, GroupColour & 0xFF) |
                                               (half((HalfColour >> 8) & 0xFF, (GroupColour >> 8) & 0xFF) << 8) |
                                               (half((HalfColour >> 16) & 0xFF, (GroupColour >> 16) & 0xFF) << 16));
    const Case cases[] = {{"GROUPBOX", GroupColour}, {"FRAMEHALF", blended}, {"FRAMECLEAR", GroupColour}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        TsFrameAdapter* adapter = Adapt(inner, c.section);
        adapter->SkinData()->SkinStateWord |= StatePlainBackground;
        EXPECT_EQ(BackgroundOf(inner), c.expected);
        adapter->SkinData()->SkinStateWord &= static_cast<uint16_t>(~StatePlainBackground);
        EXPECT_EQ(BackgroundOf(inner), TransparentKeyColor) << "children copy the image instead";
        adapter->Free();
    }
    // Without a skin the frame answers its own colour.
    TsFrameAdapter* adapter = Adapt(inner);
    Manager->SetActive(false);
    inner->SetColor(0x123456);
    EXPECT_EQ(BackgroundOf(inner), 0x123456);
    adapter->Free();
}

TEST_F(FrameAdapterTest, TheFramePaintsItsSectionAndHasSkinnedBarsWhileTheSkinIsOn)
{
    TFrame* frame = MakeFrame(Form, {10, 10, 150, 110});
    TsFrameAdapter* adapter = Adapt(frame);
    Pump();
    auto shot = Print(frame->Handle());
    EXPECT_EQ(At(*shot, shot->Width() / 2, shot->Height() / 2), GroupColour);

    frame->Perform(SM_SKINCMD, Command(SKC_REFRESH), reinterpret_cast<LPARAM>(Manager));
    ASSERT_NE(adapter->ScrollHandler(), nullptr);
    EXPECT_EQ(GetScrollHandler(frame->Handle()), adapter->ScrollHandler());
    frame->Perform(SM_SKINCMD, Command(SKC_REMOVE_SKIN), reinterpret_cast<LPARAM>(Manager));
    EXPECT_EQ(adapter->ScrollHandler(), nullptr);
    EXPECT_EQ(GetScrollHandler(frame->Handle()), nullptr);
}

TEST_F(FrameAdapterTest, TheBarsKeepTheFramesUpdateLockWhileTheFrameAlignsItsControls)
{
    TFrame* frame = MakeFrame(Form, {10, 10, 150, 110});
    TsFrameAdapter* adapter = Adapt(frame);
    Pump();
    frame->Perform(SM_SKINCMD, Command(SKC_REFRESH), reinterpret_cast<LPARAM>(Manager));
    ASSERT_NE(adapter->ScrollHandler(), nullptr);
    TsCommonData* data = adapter->SkinData();
    TControlState state = frame->ControlState();
    state.Include(csAligning);
    frame->SetControlState(state);
    data->UpdateLock = true;
    SendMessageW(frame->Handle(), SM_SKINCMD, Command(SKC_PARENT_UPDATED), 0);
    EXPECT_TRUE(data->UpdateLock) << "the frame is still being set up";
    state.Exclude(csAligning);
    frame->SetControlState(state);
    SendMessageW(frame->Handle(), SM_SKINCMD, Command(SKC_PARENT_UPDATED), 0);
    EXPECT_FALSE(data->UpdateLock);
}

TEST_F(FrameAdapterTest, AFrameFreedBeforeItsAdapterTakesTheAdapterWithIt)
{
    TFrame* frame = MakeFrame(Form, {10, 10, 150, 110});
    TsFrameAdapter* adapter = Adapt(frame);
    frame->Perform(SM_SKINCMD, Command(SKC_REFRESH), reinterpret_cast<LPARAM>(Manager));
    ASSERT_NE(adapter->ScrollHandler(), nullptr);
    HWND wnd = frame->Handle();
    frame->Free();
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(Form->ComponentCount(), 0);
    Pump();
}

TEST_F(FrameAdapterTest, TheFramesPopupMenusAreOwnerDrawnUnderANewSkin)
{
    InitializeSkinMenusUnit();
    auto* manager = Create<TsSkinManager>(nullptr);
    manager->SetSkinDirectory(Dir.Path());
    manager->SetSkinName(L"Lists");
    ASSERT_NE(manager->SkinnableMenus(), nullptr);
    TFrame* frame = MakeFrame(Form, {10, 10, 150, 110});
    auto* popup = Create<TPopupMenu>(frame);
    auto* item = Create<TMenuItem>(popup);
    item->SetCaption(L"One");
    popup->Items()->Add(item);
    TsFrameAdapter* adapter = Adapt(frame);
    adapter->SkinData()->SetSkinManager(manager);
    EXPECT_FALSE(popup->OwnerDraw());
    frame->Perform(SM_SKINCMD, Command(SKC_NEW_SKIN), reinterpret_cast<LPARAM>(Manager));
    EXPECT_FALSE(popup->OwnerDraw()) << "another manager's skin";
    frame->Perform(SM_SKINCMD, Command(SKC_NEW_SKIN), reinterpret_cast<LPARAM>(manager));
    EXPECT_TRUE(popup->OwnerDraw());
    adapter->Free();
    FreeAndNil(manager);
}

TEST_F(FrameAdapterTest, AFramesResourceCarriesItsAdapterAndSection)
{
    InitializeSFrameAdapterUnit();
    TFrame* frame = MakeFrame(Form, {10, 10, 150, 110});
    const TWndMethod own = frame->WindowProc();
    ReadRootComponent(CompileFormText("object Frame1: TFrame\n"
                                          "  object sFrameAdapter1: TsFrameAdapter\n"
                                          "    SkinData.SkinSection = 'FRAMEHALF'\n"
                                          "  end\n"
                                          "end\n"),
                          *frame);
    ASSERT_EQ(frame->ComponentCount(), 1);
    auto* adapter = dynamic_cast<TsFrameAdapter*>(frame->Components(0));
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(adapter->SkinData()->SkinSection(), "FRAMEHALF");
    EXPECT_FALSE(frame->WindowProc() == own);
    EXPECT_EQ(frame->Perform(SM_SKINCMD, Command(SKC_IS_SKINNED), 0), 1);
}

// The mouse entering the frame tells its hot speed buttons they were left; an OnMouseLeave that
// frees the frame takes the adapter with it, and the adapter's walk stops there.
class FrameAdapterLifetimeTest : public FrameAdapterTest {};

TEST_F(FrameAdapterLifetimeTest, ALeaveHandlerThatFreesTheFrameEndsTheAdaptersWalk)
{
    TFrame* frame = MakeFrame(Form, {10, 10, 150, 110});
    Adapt(frame);
    struct Leave {
        TFrame*& frame;
        int calls = 0;
        void Handler(TObject*)
        {
            if (calls++ == 0)
                FreeAndNil(frame);
        }
    } leave{frame};
    for (int left : {10, 60}) {
        auto* button = Create<TsSpeedButton>(frame);
        button->SetParent(frame);
        button->SetBounds(left, 10, 40, 24);
        button->SkinData()->MouseIsAbove = true;
        button->SetOnMouseLeave(TNotifyEvent(&leave, &Leave::Handler));
    }
    ks::test::AccessViolations faults;
    frame->Perform(CM_MOUSEENTER, 0, TCMControl::ToLParam(frame));
    EXPECT_EQ(faults.Count(), 0);
    EXPECT_EQ(frame, nullptr);
    EXPECT_EQ(leave.calls, 1) << "the second button went with the frame";
}

} // namespace
