#include "skin/adapters/MDIClientAdapter.h"
#include "skin/adapters/acSBUtils.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/forms/acDials.h"
#include "skin/forms/sMDIForm.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Menus.h"
#include "win/skin/controls/SkinnedFormFixture.h"

#include <gtest/gtest.h>

namespace {

using ks::test::SkinnedMDIFixture;

// An MDI main form with a provider and two children, one of them maximised on request.
class MDIFormTest : public SkinnedMDIFixture {
protected:
    void SetUp() override
    {
        SkinnedMDIFixture::SetUp();
        Pump();
    }
    void TearDown() override
    {
        for (TForm* f : {Child2, Child1})
            if (f)
                f->Free();
        SkinnedMDIFixture::TearDown();
    }
    // The child has settled before the test goes on.
    TForm* MakeChild(const wchar_t* caption)
    {
        TForm* child = SkinnedMDIFixture::MakeChild(caption);
        Pump();
        return child;
    }
    // These tests drive a support object of their own: the provider's is dropped first.
    void DropProvidersSupport() { Provider->SetMDIFormSupport(false); }
    static int AdaptersOn(HWND wnd) { return GetScrollHandler(wnd) ? 1 : 0; }

    TForm* Child1 = nullptr;
    TForm* Child2 = nullptr;
};

TEST_F(MDIFormTest, TheClientGetsOneAdapterHoweverOftenItIsAsked)
{
    DropProvidersSupport();
    TsMDIForm support(Provider);
    HWND client = Main->ClientHandle();
    ASSERT_NE(client, nullptr);
    const auto ownProc = GetWindowLongPtrW(client, GWLP_WNDPROC);

    support.AttachMDIClient();
    TacMDIWnd* first = support.MDIWnd;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetScrollHandler(client), first);
    support.AttachMDIClient();
    EXPECT_EQ(support.MDIWnd, first) << "attaching again keeps the adapter";

    support.ConnectToClient();
    support.ConnectToClient();
    ASSERT_NE(support.MDIWnd, nullptr);
    EXPECT_EQ(GetScrollHandler(client), support.MDIWnd);
    EXPECT_EQ(support.MDIWnd->Form, Main);
    EXPECT_EQ(support.MDIWnd->Provider, Provider);
    EXPECT_EQ(support.MDIWnd->FormSkinData, Provider->SkinData());

    support.ReleaseClient();
    EXPECT_EQ(support.MDIWnd, nullptr);
    EXPECT_EQ(GetScrollHandler(client), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(client, GWLP_WNDPROC), ownProc) << "the client's own procedure is back";
}

TEST_F(MDIFormTest, WithoutASkinTheClientStaysItsOwn)
{
    DropProvidersSupport();
    TsMDIForm support(Provider);
    Manager->SetActive(false);
    Pump();
    support.ConnectToClient();
    EXPECT_EQ(support.MDIWnd, nullptr);
    EXPECT_EQ(GetScrollHandler(Main->ClientHandle()), nullptr);
}

TEST_F(MDIFormTest, ChildrenMadeAndFreedDuringASkinChangeLeaveNothingBehind)
{
    DropProvidersSupport();
    TsMDIForm support(Provider);
    support.AttachMDIClient();
    Child1 = MakeChild(L"One");
    Manager->SetActive(false);
    Child2 = MakeChild(L"Two");
    Child1->Free();
    Child1 = nullptr;
    Manager->SetActive(true);
    Pump();
    support.ConnectToClient();
    EXPECT_EQ(GetScrollHandler(Main->ClientHandle()), support.MDIWnd);
    Child2->Free();
    Child2 = nullptr;
    Pump();
    EXPECT_EQ(Main->MDIChildCount(), 0);
}

} // namespace

namespace {

class MDISupportTest : public MDIFormTest {
protected:
    // The main form under the provider, set up with the skin as a program would have it.
    void SetUpProvider()
    {
        Provider->SkinData()->SetSkinManager(Manager);
        Provider->SetUpForm();
        Pump();
    }
    void AddMenu()
    {
        Main->SetMenu(MakeMenu(Main, {L"File", L"Window"}));
        Pump();
    }
    void Paint()
    {
        Provider->FormChanged = true;
        Provider->SkinData()->BackgroundChanged = true;
        Provider->PaintNonClient();
    }
    LRESULT HitAt(const TRect& r)
    {
        RECT w{};
        GetWindowRect(Main->Handle(), &w);
        const TRect m = Provider->ExtBorderMargins();
        const int x = w.left + (r.Left + r.Right) / 2 - m.Left;
        const int y = w.top + (r.Top + r.Bottom) / 2 - m.Top;
        return SendMessageW(Main->Handle(), WM_NCHITTEST, 0, MAKELPARAM(x, y));
    }
};

TEST_F(MDISupportTest, TheMainFormsProviderAdaptsItsClientAndTakesItAlongWhenFreed)
{
    SetUpProvider();
    ASSERT_NE(Provider->MDIForm, nullptr);
    EXPECT_EQ(MDISkinProvider, Provider);
    HWND client = Main->ClientHandle();
    TacMDIWnd* adapter = Provider->MDIForm->MDIWnd;
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(GetScrollHandler(client), adapter);

    TsMDIForm* support = Provider->MDIForm;
    Provider->SetMDIFormSupport(true);
    EXPECT_EQ(Provider->MDIForm, support) << "a second call keeps the one support object";
    EXPECT_EQ(Provider->MDIForm->MDIWnd, adapter);

    Provider->Free();
    Provider = nullptr;
    EXPECT_EQ(MDISkinProvider, nullptr);
    EXPECT_EQ(GetScrollHandler(client), nullptr) << "the client window is given back";
}

TEST_F(MDISupportTest, AMaximisedChildsButtonsSitInTheMenuLineAndAnswerTheHitTest)
{
    AddMenu();
    SetUpProvider();
    Child1 = MakeChild(L"One");
    Child2 = MakeChild(L"Two");
    ShowWindow(Child2->Handle(), SW_MAXIMIZE);
    Pump();
    ASSERT_EQ(Main->ActiveMDIChild(), Child2);
    Paint();

    const TRect m = Provider->ExtBorderMargins();
    const int right = Provider->SkinnedWindowWidth() - m.Right;
    const int menuTop = Provider->ClientOffsetY() - Provider->MenuBarHeight() + m.Top;
    const int menuBottom = Provider->ClientOffsetY() + m.Top;
    ASSERT_GT(Provider->MDIClose.Rect.Width(), 0);
    EXPECT_LT(Provider->MDIMin.Rect.Right, Provider->MDIMax.Rect.Left);
    EXPECT_LT(Provider->MDIMax.Rect.Right, Provider->MDIClose.Rect.Left);
    EXPECT_LE(Provider->MDIClose.Rect.Right, right);
    EXPECT_GT(Provider->MDIClose.Rect.Right, right - 16) << "close sits at the line's right end";
    for (const TitleButtonRec* rec : {&Provider->MDIMin, &Provider->MDIMax, &Provider->MDIClose}) {
        EXPECT_GE(rec->Rect.Top, menuTop);
        EXPECT_LE(rec->Rect.Bottom, menuBottom);
    }
    EXPECT_EQ(HitAt(Provider->MDIClose.Rect), HTMDICLOSE);
    EXPECT_EQ(HitAt(Provider->MDIMax.Rect), HTMDIMAX);
    EXPECT_EQ(HitAt(Provider->MDIMin.Rect), HTMDIMIN);

    const TRect closeRect = Provider->MDIClose.Rect;
    ShowWindow(Child2->Handle(), SW_RESTORE);
    Pump();
    Paint();
    EXPECT_EQ(Provider->MDIClose.Rect.Width(), 0) << "no maximised child, no buttons";
    EXPECT_EQ(HitAt(closeRect), HTMENU);
}

TEST_F(MDISupportTest, WithoutAMenuLineNoChildButtonsAreLaidOut)
{
    SetUpProvider();
    Child1 = MakeChild(L"One");
    ShowWindow(Child1->Handle(), SW_MAXIMIZE);
    Pump();
    Paint();
    EXPECT_EQ(Provider->MDIClose.Rect.Width(), 0);
}

TEST_F(MDISupportTest, ChildrenMadeBeforeTheMainFormShowsAreSkinnedOnceWhenItDoes)
{
    // The creation hook is what catches the children here.
    Manager->SetSkinningRules({srStdForms, srStdDialogs, srThirdParty});
    SetUpProvider();
    Main->Hide();
    Pump();
    Child1 = MakeChild(L"One");
    Child2 = MakeChild(L"Two");
    const auto records = [](TForm* f) {
        int n = 0;
        for (int i = 0; i < f->ComponentCount(); ++i)
            n += dynamic_cast<TacProvider*>(f->Components(i)) ? 1 : 0;
        return n;
    };
    for (int round = 0; round < 2; ++round) {
        Main->Show();
        Pump();
        for (TForm* child : {Child1, Child2}) {
            EXPECT_EQ(SendMessageW(child->Handle(), SM_SKINCMD, MAKEWPARAM(0, SKC_IS_SKINNED), 0), 1);
            EXPECT_EQ(records(child), 1) << "showing again adds no second record";
        }
        Main->Hide();
        Pump();
    }
}

} // namespace
