#include "skin/adapters/MDIClientAdapter.h"

#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/forms/sMDIForm.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Bitmap.h"
#include "win/skin/controls/SkinnedFormFixture.h"

#include <gtest/gtest.h>

namespace {

using ks::test::SkinnedMDIFixture;

class MDIClientAdapterTest : public SkinnedMDIFixture {
protected:
    void SetUp() override
    {
        SkinnedMDIFixture::SetUp();
        Support = Provider->MDIForm ? Provider->MDIForm : (OwnSupport = new TsMDIForm(Provider));
        Support->AttachMDIClient();
        Child1 = MakeChild(L"One");
        Child2 = MakeChild(L"Two");
        Pump();
    }
    void TearDown() override
    {
        delete OwnSupport;
        for (TForm* f : {Child2, Child1})
            if (f)
                f->Free();
        SkinnedMDIFixture::TearDown();
    }
    // What an erase of the client leaves on a memory DC filled with a colour the skin never uses.
    TColor ErasedPixel(LRESULT& answer)
    {
        HWND client = Main->ClientHandle();
        HDC screen = GetDC(client);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, 64, 64);
        HGDIOBJ old = SelectObject(dc, bmp);
        RECT all{0, 0, 64, 64};
        HBRUSH red = CreateSolidBrush(Marker);
        FillRect(dc, &all, red);
        DeleteObject(red);
        answer = SendMessageW(client, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        const TColor c = static_cast<TColor>(GetPixel(dc, 20, 20));
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
        ReleaseDC(client, screen);
        return c;
    }
    static constexpr TColor Marker = 0x0000FF;
    static constexpr TColor ImageColour = 0x00336699;

    TForm* Child1 = nullptr;
    TForm* Child2 = nullptr;
    TsMDIForm* Support = nullptr;
    TsMDIForm* OwnSupport = nullptr;
};

TEST_F(MDIClientAdapterTest, TheClientIsErasedFromTheFormsImageUnlessAChildIsMaximised)
{
    ASSERT_NE(Support->MDIWnd, nullptr);
    // The form's image as its frame painting would leave it: one colour, up to date.
    TsCommonData* data = Provider->SkinData();
    RECT wr;
    GetWindowRect(Main->Handle(), &wr);
    data->CacheBitmap->SetPixelFormat(pf24bit);
    data->CacheBitmap->SetSize(wr.right - wr.left, wr.bottom - wr.top);
    RECT all{0, 0, wr.right - wr.left, wr.bottom - wr.top};
    HBRUSH brush = CreateSolidBrush(ImageColour);
    FillRect(data->CacheBitmap->Canvas().Handle(), &all, brush);
    DeleteObject(brush);
    GdiFlush();
    data->BackgroundChanged = false;

    LRESULT answer = 0;
    EXPECT_EQ(ErasedPixel(answer), ImageColour) << "the client area comes from the form's image";
    EXPECT_EQ(answer, 1);

    Child2->SetWindowState(wsMaximized);
    Pump();
    data->BackgroundChanged = false;
    EXPECT_EQ(ErasedPixel(answer), Marker) << "nothing is painted under a maximised child";
    EXPECT_EQ(answer, 1);
}

TEST_F(MDIClientAdapterTest, TileAndCascadeTakeTheSystemMenuStyleOffTheActiveChild)
{
    for (UINT msg : {static_cast<UINT>(WM_MDITILE), static_cast<UINT>(WM_MDICASCADE)}) {
        HWND active = Child2->HandleIfAllocated();
        SetWindowLongPtrW(active, GWL_STYLE, GetWindowLongPtrW(active, GWL_STYLE) | WS_SYSMENU);
        SendMessageW(Main->ClientHandle(), msg, 0, 0);
        EXPECT_FALSE(GetWindowLongPtrW(active, GWL_STYLE) & WS_SYSMENU) << msg;
    }
}

TEST_F(MDIClientAdapterTest, AScrollStepHoldsTheRedrawAndAFreedAdapterGivesItBack)
{
    HWND client = Main->ClientHandle();
    ASSERT_TRUE(IsWindowVisible(client));
    // Wine: WM_SETREDRAW 0 takes WS_VISIBLE off, which tells whether the redraw is held.
    SendMessageW(client, SM_SKINCMD, MAKEWPARAM(0, SKC_BEFORE_SCROLL), MAKELPARAM(SB_LINEDOWN, WM_VSCROLL));
    const bool held = !(GetWindowLongPtrW(client, GWL_STYLE) & WS_VISIBLE);
    SendMessageW(client, SM_SKINCMD, MAKEWPARAM(0, SKC_AFTER_SCROLL), MAKELPARAM(SB_LINEDOWN, WM_VSCROLL));
    EXPECT_TRUE(GetWindowLongPtrW(client, GWL_STYLE) & WS_VISIBLE);

    // A step whose end never comes: releasing the adapter gives the client its redraw back.
    SendMessageW(client, SM_SKINCMD, MAKEWPARAM(0, SKC_BEFORE_SCROLL), MAKELPARAM(SB_LINEDOWN, WM_VSCROLL));
    Support->ReleaseClient();
    EXPECT_TRUE(GetWindowLongPtrW(client, GWL_STYLE) & WS_VISIBLE);
    if (!held)
        GTEST_SKIP() << "this system keeps WS_VISIBLE under WM_SETREDRAW 0";
}

TEST_F(MDIClientAdapterTest, AMenuChangeWithoutAMainFormProviderIsHarmless)
{
    TsSkinProvider* saved = MDISkinProvider;
    MDISkinProvider = nullptr;
    SendMessageW(Main->ClientHandle(), WM_MDISETMENU, 0, 0);
    MDISkinProvider = saved;
    EXPECT_TRUE(IsWindow(Main->ClientHandle()));
}

} // namespace
