#include "skin/adapters/MDIClientAdapter.h"
#include "skin/adapters/acSBUtils.h"
#include "skin/core/sCommonData.h"
#include "skin/forms/sMDIForm.h"
#include "skin/forms/sSkinProvider.h"
#include "win/skin/controls/SkinnedFormFixture.h"

#include <gtest/gtest.h>

namespace {

using ks::test::SkinnedFormFixture;

// An MDI main form with a provider and two children, one of them maximised on request.
class MDIFormTest : public SkinnedFormFixture {
protected:
    void SetUp() override
    {
        SkinnedFormFixture::SetUp();
        ks::SetNextFormCreation({true, true, {}});
        Application->CreateForm(Main);
        Main->SetFormStyle(fsMDIForm);
        Main->SetBounds(30, 30, 520, 400);
        Main->Show();
        Provider = Create<TsSkinProvider>(Main);
        Pump();
    }
    void TearDown() override
    {
        for (TForm* f : {Child2, Child1})
            if (f)
                f->Free();
        if (Main)
            Main->Free();
        SkinnedFormFixture::TearDown();
    }
    TForm* MakeChild(const wchar_t* caption)
    {
        TForm* child = CreateNew<TForm>(Application);
        child->SetFormStyle(fsMDIChild);
        child->SetText(caption);
        child->SetBounds(10, 10, 200, 150);
        child->Show();
        Pump();
        return child;
    }
    static int AdaptersOn(HWND wnd) { return GetScrollHandler(wnd) ? 1 : 0; }

    TForm* Main = nullptr;
    TForm* Child1 = nullptr;
    TForm* Child2 = nullptr;
    TsSkinProvider* Provider = nullptr;
};

TEST_F(MDIFormTest, TheClientGetsOneAdapterHoweverOftenItIsAsked)
{
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
    TsMDIForm support(Provider);
    Manager->SetActive(false);
    Pump();
    support.ConnectToClient();
    EXPECT_EQ(support.MDIWnd, nullptr);
    EXPECT_EQ(GetScrollHandler(Main->ClientHandle()), nullptr);
}

TEST_F(MDIFormTest, ChildrenMadeAndFreedDuringASkinChangeLeaveNothingBehind)
{
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
