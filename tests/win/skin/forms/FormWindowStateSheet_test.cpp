// The contact sheet of a skinned form's window states under the internal skin: a sizeable form
// while it is being sized (between two sizes of one drag), maximised and restored, and an MDI
// main form with two children, one of them maximised, each captured through the window's own
// printing into <build>/formstate-sheet.png for people to look at. Each picture is also checked
// for the skin's frame: the printed title band is the form's skinned image.
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "skin/forms/sMDIForm.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Bitmap.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "win/support/InternalSkin.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using namespace ks::test;

class FormWindowStateSheet : public InternalSkinFixture {
protected:
    void SetUp() override
    {
        InternalSkinFixture::SetUp();
        Sheet = std::make_unique<TBitmap>();
        Sheet->SetPixelFormat(pf24bit);
        Sheet->SetSize(1100, 760);
        RECT all{0, 0, 1100, 760};
        FillRect(Sheet->Canvas().Handle(), &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    }
    void TearDown() override
    {
        Sheet.reset();
        InternalSkinFixture::TearDown();
    }

    // The window as it prints itself, placed at (x, y) of the sheet under a label.
    void Capture(HWND wnd, int x, int y, const std::string& label)
    {
        RECT r;
        GetWindowRect(wnd, &r);
        const int w = std::min<int>(r.right - r.left, 520);
        const int h = std::min<int>(r.bottom - r.top, 340);
        HDC sheet = Sheet->Canvas().Handle();
        HDC dc = CreateCompatibleDC(sheet);
        HBITMAP bmp = CreateCompatibleBitmap(sheet, r.right - r.left, r.bottom - r.top);
        HGDIOBJ old = SelectObject(dc, bmp);
        PrintWindow(wnd, dc, 0);
        BitBlt(sheet, x, y + 16, w, h, dc, 0, 0, SRCCOPY);
        // The printed title band is the skinned image's, not the platform's caption.
        const int titleY = GetSystemMetrics(SM_CYFRAME) + 4;
        if (TsSkinProvider* p = ProviderOf(wnd); p && p->SkinData()->CacheBitmap && !p->SkinData()->CacheBitmap->Empty())
            EXPECT_EQ(GetPixel(dc, w / 2, titleY), GetPixel(p->SkinData()->CacheBitmap->Canvas().Handle(), w / 2, titleY))
                << label;
        else
            ADD_FAILURE() << label << ": the form has no skinned image";
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
        DrawSheetLabel(*Sheet, x, y, label);
    }

    static TsSkinProvider* ProviderOf(HWND wnd)
    {
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (Screen->Forms(i)->HandleIfAllocated() == wnd)
                for (int c = 0; c < Screen->Forms(i)->ComponentCount(); ++c)
                    if (auto* p = dynamic_cast<TsSkinProvider*>(Screen->Forms(i)->Components(c)))
                        return p;
        return nullptr;
    }

    std::unique_ptr<TBitmap> Sheet;
};

TEST_F(FormWindowStateSheet, SizedMaximisedRestoredAndMDI)
{
    TForm* form = CreateNew<TForm>(Application);
    form->SetBorderStyle(bsSizeable);
    form->SetText(L"Sizeable");
    form->SetBounds(40, 40, 420, 303);
    form->Show();
    Create<TsSkinProvider>(form);
    Pump();
    HWND wnd = form->Handle();
    // Being sized: one step of a live drag from 420 x 303 to 380 x 260.
    SetWindowPos(wnd, nullptr, 0, 0, 380, 260, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    Capture(wnd, 10, 10, "being sized (380 x 260)");
    SendMessageW(wnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    EXPECT_TRUE(IsZoomed(wnd));
    Capture(wnd, 550, 10, "maximised");
    SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_FALSE(IsZoomed(wnd));
    Capture(wnd, 10, 380, "restored");
    form->Free();

    TForm* main = nullptr;
    ks::SetNextFormCreation({true, true, {}});
    Application->CreateForm(main);
    main->SetFormStyle(fsMDIForm);
    main->SetText(L"MDI");
    main->SetBounds(60, 60, 520, 340);
    auto* bar = Create<TMainMenu>(main);
    for (const wchar_t* text : {L"File", L"Window"}) {
        auto* item = Create<TMenuItem>(bar);
        item->SetCaption(text);
        bar->Items()->Add(item);
    }
    main->SetMenu(bar);
    main->Show();
    auto* provider = Create<TsSkinProvider>(main);
    Pump();
    EXPECT_NE(provider->MDIForm, nullptr) << "the MDI main form's provider adapts its client";
    TForm* children[2]{};
    for (int i = 0; i < 2; ++i) {
        children[i] = CreateNew<TForm>(Application);
        children[i]->SetFormStyle(fsMDIChild);
        children[i]->SetText(i == 0 ? L"Child one" : L"Child two");
        children[i]->SetBounds(10 + 30 * i, 10 + 30 * i, 220, 150);
        children[i]->Show();
        Create<TsSkinProvider>(children[i]);
    }
    children[1]->SetWindowState(wsMaximized);
    Pump();
    RedrawWindow(main->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    EXPECT_GT(provider->MDIClose.Rect.Width(), 0) << "the maximised child's buttons are in the menu line";
    Capture(main->Handle(), 550, 380, "MDI, child two maximised");

    WriteSheetPng(*Sheet, std::string(KS_BUILD_DIR) + "/formstate-sheet.png");
    children[1]->Free();
    children[0]->Free();
    main->Free();
}

} // namespace
