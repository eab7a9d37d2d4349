#include "skin/core/sCommonData.h"
#include "skin/forms/FrameDragState.h"
#include "skin/forms/sSkinProvider.h"
#include "skin/core/sMessages.h"
#include "skin/forms/acCtrlAdapter.h"
#include "vcl/Bitmap.h"
#include "vcl/ExtCtrls.h"
#include "vcl/StdCtrls.h"
#include "win/skin/forms/SpiedProviderFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using FormWindowState = ks::test::SpiedProviderFixture;

TEST_F(FormWindowState, TheRedrawCountNeverGoesBelowZero)
{
    HWND wnd = Form->Handle();
    Provider->RedrawLockCount = 0;
    const struct {
        WPARAM on;
        int count;
    } steps[] = {{1, 0}, {1, 0}, {0, 1}, {0, 2}, {1, 1}, {1, 0}, {1, 0}};
    for (const auto& s : steps) {
        SendMessageW(wnd, WM_SETREDRAW, s.on, 0);
        EXPECT_EQ(Provider->RedrawLockCount, s.count);
    }
    EXPECT_TRUE(IsWindowVisible(wnd));
}

TEST_F(FormWindowState, ANonClientPaintDuringTheShowAnimationChangesNothing)
{
    HWND wnd = Form->Handle();
    ASSERT_TRUE(Provider->SkinData()->CacheBitmap);
    if (Provider->SkinData()->CacheBitmap->Empty())
        Provider->SkinData()->CacheBitmap->SetSize(20, 20);
    MarkCache(*Provider->SkinData(), 5, 5);
    Provider->AnimateShow = true;
    Spy.Seen.clear();
    SendMessageW(wnd, WM_NCPAINT, 1, 0);
    Provider->AnimateShow = false;
    EXPECT_FALSE(Spy.Saw(WM_NCPAINT)) << "the platform never paints the frame";
    EXPECT_EQ(static_cast<TColor>(GetPixel(Provider->SkinData()->CacheBitmap->Canvas().Handle(), 5, 5)), CacheMarker);
}

// The system repaints the frame inside SetWindowPos, before WM_WINDOWPOSCHANGED tells the form
// its new size: a frame painted then has the old size in the new window, and is painted again
// (with its region set again) at WM_SIZE.
TEST_F(FormWindowState, AResizePaintsTheFrameOnlyOnceTheFormKnowsItsNewSize)
{
    struct Announcement {
        TWndMethod Next;
        TsCommonData* Data;
        bool Seen = false;
        bool CacheUntouched = false;
        void Handle(TMessage& m)
        {
            if (m.Msg == WM_WINDOWPOSCHANGED && !Seen) {
                Seen = true;
                CacheUntouched = static_cast<TColor>(GetPixel(Data->CacheBitmap->Canvas().Handle(), 5, 5)) == CacheMarker;
            }
            Next(m);
        }
    } spy{Form->WindowProc(), Provider->SkinData()};
    Form->SetWindowProc(TWndMethod(&spy, &Announcement::Handle));
    ASSERT_TRUE(Provider->SkinData()->CacheBitmap);
    MarkCache(*Provider->SkinData(), 5, 5);
    SetWindowPos(Form->Handle(), nullptr, 0, 0, 460, 343, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    Form->SetWindowProc(spy.Next);
    ASSERT_TRUE(spy.Seen);
    EXPECT_TRUE(spy.CacheUntouched) << "the frame was painted before the form knew its size";
    EXPECT_EQ(Provider->SkinData()->CacheBitmap->Width(), 460);
    EXPECT_EQ(Provider->SkinData()->CacheBitmap->Height(), 343);
    EXPECT_NE(static_cast<TColor>(GetPixel(Provider->SkinData()->CacheBitmap->Canvas().Handle(), 5, 5)), CacheMarker);
}

TEST_F(FormWindowState, MinimiseEmptiesTheCacheAndRestoreRepaintsTheTitle)
{
    HWND wnd = Form->Handle();
    SendMessageW(wnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(wnd));
    ASSERT_TRUE(Provider->SkinData()->CacheBitmap);
    EXPECT_EQ(Provider->SkinData()->CacheBitmap->Width(), 0);
    SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(wnd));
    EXPECT_TRUE(Provider->SkinData()->BackgroundChanged || Provider->SkinData()->CacheBitmap->Width() > 0);
}

TEST_F(FormWindowState, MaximiseAndRestoreLeaveTheMaximiseButtonNormal)
{
    HWND wnd = Form->Handle();
    Provider->HotHitCode = HTMAXBUTTON;
    Provider->ButtonMax.State = 1;
    SendMessageW(wnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_TRUE(IsZoomed(wnd));
    EXPECT_EQ(Provider->HotHitCode, 0);
    EXPECT_EQ(Provider->ButtonMax.State, 0);
    SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsZoomed(wnd));
    RECT r;
    GetWindowRect(wnd, &r);
    EXPECT_EQ(r.right - r.left, 420);
    EXPECT_EQ(r.bottom - r.top, 303);
}

TEST_F(FormWindowState, AnActivationComingBackInGoesStraightToThePlatform)
{
    // The form's own handling activates it again from inside its activation, as a handler that
    // focuses another window and back would.
    struct Reenter {
        TWndMethod Next;
        HWND Wnd = nullptr;
        int Depth = 0;
        int MaxDepth = 0;
        int Calls = 0;
        void Handle(TMessage& m)
        {
            if (m.Msg == WM_NCACTIVATE) {
                ++Calls;
                MaxDepth = std::max(MaxDepth, ++Depth);
                if (Depth < 5)
                    SendMessageW(Wnd, WM_NCACTIVATE, m.WParam, 0);
                --Depth;
            }
            Next(m);
        }
    } reenter;
    reenter.Next = Spy.Next;
    reenter.Wnd = Form->Handle();
    Provider->OldWndProc = TWndMethod(&reenter, &Reenter::Handle);
    SendMessageW(Form->Handle(), WM_NCACTIVATE, 1, 0);
    Provider->OldWndProc = TWndMethod(&Spy, &ks::test::OldSpy::Handle);
    EXPECT_EQ(reenter.MaxDepth, 5) << "every nested activation reached the platform once";
    EXPECT_EQ(reenter.Calls, 5);
    EXPECT_TRUE(Provider->FormActive);
}

// A keyboard move or size from the system menu, with a mouse move to where the pointer already
// rests waiting for it: X reports such a move when the menu's capture ends over another window.
// The keys come one a tick from inside the loop, each at the pointer the loop has placed.
TEST_F(FormWindowState, AKeyboardMoveOrSizeIsNotTakenOverByAMouseMoveThatMovedNothing)
{
    static HWND wnd;
    static const UINT* keys;
    struct Keyboard {
        static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
        {
            if (*keys)
                PostMessageW(wnd, WM_KEYDOWN, *keys++, 0);
        }
    };
    wnd = Form->Handle();
    const struct {
        const char* name;
        WPARAM command;
        UINT keys[4];
        int dLeft, dWidth, dHeight;
    } rows[] = {
        // The pointer on the right edge would pick it before the first Down.
        {"size", SC_SIZE, {VK_DOWN, VK_DOWN, VK_RETURN, 0}, 0, 0, 8},
        // The pointer anywhere would drag the form to it.
        {"move", SC_MOVE, {VK_RIGHT, VK_RETURN, 0, 0}, 8, 0, 0},
    };
    for (const auto& row : rows) {
        RECT before;
        GetWindowRect(wnd, &before);
        SetCursorPos(before.right - 2, (before.top + before.bottom) / 2 + 30);
        PostMessageW(wnd, WM_MOUSEMOVE, 0, 0);
        keys = row.keys;
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, Keyboard::Tick);
        SendMessageW(wnd, WM_SYSCOMMAND, row.command, 0);
        KillTimer(nullptr, timer);
        RECT after;
        GetWindowRect(wnd, &after);
        EXPECT_EQ(after.left - before.left, row.dLeft) << row.name;
        EXPECT_EQ((after.right - after.left) - (before.right - before.left), row.dWidth) << row.name;
        EXPECT_EQ((after.bottom - after.top) - (before.bottom - before.top), row.dHeight) << row.name;
    }
    SetCursorPos(1270, 1010);
}

// Objects freed under their own code: run on pages that fault once freed.
class FormWindowStateLifetime : public FormWindowState {};

TEST_F(FormWindowStateLifetime, AFormFreedFromItsOwnCloseButtonGoesQuietly)
{
    HWND wnd = Form->Handle();
    struct Freer {
        void Close(TObject*, TCloseAction& action) { action = caFree; }
    } freer;
    Form->SetOnClose(TCloseEvent(&freer, &Freer::Close));
    const TRect close = Provider->ButtonClose.Rect;
    RECT wr;
    GetWindowRect(wnd, &wr);
    SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(wr.left + (close.Left + close.Right) / 2, wr.top + (close.Top + close.Bottom) / 2));
    SendMessageW(wnd, WM_NCLBUTTONDOWN, HTCLOSE, 0);
    SendMessageW(wnd, WM_NCLBUTTONUP, HTCLOSE, 0);
    Pump();
    EXPECT_FALSE(IsWindow(wnd));
    Provider = nullptr;
    Form = nullptr;
}

// An OnPaint that raises under a print leaves the form's canvas as it found it: neither bound to
// the caller's DC, which the caller deletes, nor locked.
TEST_F(FormWindowState, AnOnPaintThatRaisesUnderAPrintLeavesTheCanvasFree)
{
    struct Raiser {
        void Paint(TObject*) { throw Exception("paint failed"); }
    } raiser;
    Form->SetOnPaint(TNotifyEvent(&raiser, &Raiser::Paint));
    auto picture = std::make_unique<TBitmap>();
    picture->SetSize(Form->Width(), Form->Height());
    EXPECT_THROW(Form->Perform(WM_PRINT, reinterpret_cast<WPARAM>(picture->Canvas().Handle()),
                               PRF_CLIENT | PRF_NONCLIENT),
                 Exception);
    Form->SetOnPaint({});
    EXPECT_FALSE(Form->Canvas().HandleAllocated());
    EXPECT_EQ(Form->Canvas().LockCount(), 0);
}

// A control added to the shown form, straight on it or in a panel put on it, is adapted once and
// told the state when its window is made, without a walk over the controls already there.
TEST_F(FormWindowState, EachControlAddedToTheShownFormIsAdaptedOnceAndToldTheState)
{
    // Skinned as far as the form asks; counts the state it is told.
    class TStateSpy : public TWinControl {
    public:
        using TWinControl::TWinControl;
        int Told = 0;
        void WndProc(TMessage& m) override
        {
            if (m.Msg == SM_SKINCMD && HIWORD(m.WParam) == SKC_IS_SKINNED)
                m.Result = 1;
            else if (m.Msg == SM_SKINCMD && HIWORD(m.WParam) == SKC_GET_STATE && m.LParam == 1)
                ++Told;
            else
                TWinControl::WndProc(m);
        }
    };
    Provider->PrepareForm();
    ASSERT_NE(Provider->Adapter, nullptr);
    std::vector<TButton*> buttons;
    // Each place gets a button and a spy; the place is put on the form after them.
    const auto fill = [&](TWinControl* place, bool hidden) {
        buttons.push_back(Create<TButton>(Form));
        TWinControl* made[] = {buttons.back(), Create<TStateSpy>(Form)};
        for (int i = 0; i < 2; ++i) {
            made[i]->SetBounds(10 + 90 * i, 10, 80, 24);
            made[i]->SetVisible(!hidden);
            made[i]->SetParent(place);
        }
        if (hidden) {
            static_cast<TStateSpy*>(made[1])->Told = 0;
            for (TWinControl* c : made)
                c->SetVisible(true);
        }
        return static_cast<TStateSpy*>(made[1]);
    };
    enum class Way { OnTheForm, InAPanel, ShownLater, WindowMadeAgain };
    const struct {
        const char* name;
        Way way;
    } places[] = {{"on the form", Way::OnTheForm},
                  {"on the form again", Way::OnTheForm},
                  {"in a panel that comes with them", Way::InAPanel},
                  {"hidden until the form has them", Way::ShownLater},
                  {"their windows made again", Way::WindowMadeAgain}};
    for (const auto& place : places) {
        SCOPED_TRACE(place.name);
        TStateSpy* spy = nullptr;
        if (place.way == Way::InAPanel) {
            auto* panel = Create<TPanel>(Form);
            panel->SetBounds(0, 100, 200, 60);
            spy = fill(panel, false);
            panel->SetParent(Form);
        } else {
            spy = fill(Form, place.way == Way::ShownLater);
        }
        if (place.way == Way::WindowMadeAgain) {
            spy->Told = 0;
            buttons.back()->RecreateWnd();
            spy->RecreateWnd();
        }
        EXPECT_NE(GetPropW(buttons.back()->Handle(), L"ACSBSC"), nullptr);
        EXPECT_GE(spy->Told, 1);
    }
    Pump();
    for (TButton* button : buttons)
        EXPECT_EQ(std::count_if(Provider->Adapter->Items.begin(), Provider->Adapter->Items.end(),
                                [button](const TacAdapterItem* item) { return item->Control == button; }),
                  1);
}

} // namespace

namespace {

// MDI children with providers of their own inside a skinned MDI main form.
class FormWindowStateMDI : public ks::test::SkinnedMDIFixture {
protected:
    void SetUp() override
    {
        SkinnedMDIFixture::SetUp();
        for (int i = 0; i < 2; ++i) {
            Children[i] = MakeChild(nullptr, 20 * i);
            Providers[i] = Create<TsSkinProvider>(Children[i]);
        }
        Pump();
    }
    void TearDown() override
    {
        for (TForm* f : {Children[1], Children[0]})
            if (f)
                f->Free();
        SkinnedMDIFixture::TearDown();
    }

    TForm* Children[2]{};
    TsSkinProvider* Providers[2]{};
};

TEST_F(FormWindowStateMDI, AChildMaximisesAndRestoresThroughItsSystemCommands)
{
    HWND child = Children[1]->Handle();
    SendMessageW(child, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    EXPECT_TRUE(IsZoomed(child));
    EXPECT_EQ(SysMenuProvider, Providers[1]) << "the maximised child's menu is the one shown";
    EXPECT_TRUE(GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE) << "the style taken off is put back";

    SendMessageW(child, WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(IsZoomed(child));
    EXPECT_FALSE(IsZoomed(Children[0]->Handle()));
    EXPECT_FALSE(GetWindowLongPtrW(child, GWL_STYLE) & WS_SYSMENU) << "the platform's own system menu stays off";
    EXPECT_FALSE(Providers[1]->SkinData()->Updating()) << "the update begun for the restore has ended";
}

TEST_F(FormWindowStateMDI, MinimisingAMaximisedChildLeavesNoUpdatePending)
{
    HWND child = Children[0]->Handle();
    SendMessageW(child, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    SendMessageW(child, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    EXPECT_TRUE(IsIconic(child));
    EXPECT_EQ(Providers[0]->TitleCache, nullptr);
    SendMessageW(child, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(child));
}

} // namespace
