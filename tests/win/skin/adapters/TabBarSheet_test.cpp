// Pictures of a form with tab controls and pages and of a form with toolbars and a status bar,
// each control taken over by its adapter under the internal skin, captured as the screen shows
// them into <build>/tabs-sheet.png and <build>/bars-sheet.png for people to look at.
#include "skin/adapters/BarAdapters.h"
#include "skin/adapters/TabAdapters.h"
#include "skin/adapters/UpDownAdapter.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sSkinManager.h"
#include "vcl/ComCtrls.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"
#include "win/support/InternalSkin.h"
#include "win/support/SheetPng.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace ks::test;

class TabBarSheetTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        Manager = NewInternalSkinManager();
        ks::SetNextFormCreation({true, false, {}});
        Host = CreateNew<TForm>(Application);
        Host->SetBounds(20, 20, 520, 330);
        Host->SetColor(ColorToRGB(Manager->GlobalSectionColor()));
    }
    void TearDown() override
    {
        for (TacMainWnd* a : Adapters)
            a->Free();
        Data.clear();
        FreeAndNil(Host);
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }
    TsCommonData* DataOf(TControl* control)
    {
        Data.push_back(std::make_unique<TsCommonData>(control, true));
        Data.back()->OwnerControl = control;
        return Data.back().get();
    }
    HWND Platform(const wchar_t* cls, DWORD style, TRect r)
    {
        HWND wnd = CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, r.Left, r.Top, r.Width(), r.Height(),
                                   Host->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        return wnd;
    }
    static void AddTabs(HWND wnd, std::initializer_list<const wchar_t*> captions)
    {
        int i = 0;
        for (const wchar_t* caption : captions) {
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<wchar_t*>(caption);
            SendMessageW(wnd, TCM_INSERTITEMW, static_cast<WPARAM>(i++), reinterpret_cast<LPARAM>(&item));
        }
    }
    // The form's client area as the screen shows it; no transparent key colour may reach it.
    std::unique_ptr<TBitmap> Shoot(const std::string& file)
    {
        Pump();
        RedrawWindow(Host->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
        RECT r{};
        GetClientRect(Host->Handle(), &r);
        auto picture = NewBitmap24(r.right, r.bottom);
        HDC dc = GetDC(Host->Handle());
        BitBlt(picture->Canvas().Handle(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
        ReleaseDC(Host->Handle(), dc);
        GdiFlush();
        int keyed = 0;
        for (int y = 0; y < picture->Height(); ++y)
            for (int x = 0; x < picture->Width(); ++x)
                keyed += static_cast<TColor>(GetPixel(picture->Canvas().Handle(), x, y)) == TransparentKeyColor;
        EXPECT_EQ(keyed, 0) << "no transparent key colour reaches the screen";
        WriteSheetPng(*picture, std::string(KS_BUILD_DIR) + "/" + file);
        return picture;
    }
    // The pixels of a rectangle of a child window (in its own coordinates) in the picture that
    // differ from the platform's face colour, or from a second rectangle of the same size.
    int Unlike(TBitmap& picture, HWND wnd, RECT r, const RECT* other = nullptr)
    {
        MapWindowPoints(wnd, Host->Handle(), reinterpret_cast<POINT*>(&r), 2);
        RECT o = other ? *other : r;
        if (other)
            MapWindowPoints(wnd, Host->Handle(), reinterpret_cast<POINT*>(&o), 2);
        const HDC dc = picture.Canvas().Handle();
        int count = 0;
        for (int y = 0; y < r.bottom - r.top; ++y)
            for (int x = 0; x < r.right - r.left; ++x) {
                const COLORREF p = GetPixel(dc, r.left + x, r.top + y);
                count += p != (other ? GetPixel(dc, o.left + x, o.top + y) : GetSysColor(COLOR_BTNFACE));
            }
        return count;
    }
    // Each window shows the skin's face, not the platform's; and the item of a tab control or a
    // toolbar (rectMessage asks its rectangle) looks unlike the one before it, at their left
    // edges, away from the captions.
    void ExpectSkinned(TBitmap& picture, std::initializer_list<HWND> windows, HWND items, UINT rectMessage, int item)
    {
        for (HWND wnd : windows) {
            RECT client{};
            GetClientRect(wnd, &client);
            EXPECT_GT(Unlike(picture, wnd, client), (client.right * client.bottom) * 9 / 10);
        }
        RECT before{}, r{};
        SendMessageW(items, rectMessage, static_cast<WPARAM>(item - 1), reinterpret_cast<LPARAM>(&before));
        SendMessageW(items, rectMessage, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r));
        before.right = before.left + 3, r.right = r.left + 3;
        EXPECT_GT(Unlike(picture, items, r, &before), 0) << "item " << item;
    }

    TsSkinManager* Manager = nullptr;
    TForm* Host = nullptr;
    std::vector<TacMainWnd*> Adapters;
    std::vector<std::unique_ptr<TsCommonData>> Data;
};

TEST_F(TabBarSheetTest, TabsAndPages)
{
    ASSERT_TRUE(Manager->SkinData.SkinActive) << "the internal skin did not load";
    auto* pages = Create<TPageControl>(Host);
    pages->SetBounds(8, 8, 300, 180);
    pages->SetParent(Host);
    for (const wchar_t* caption : {L"General", L"Пароли", L"Options"}) {
        auto* sheet = Create<TTabSheet>(Host);
        sheet->SetCaption(caption);
        sheet->SetPageControl(pages);
    }
    auto* button = Create<TButton>(Host);
    button->SetCaption(L"On page one");
    button->SetBounds(12, 12, 100, 25);
    button->SetParent(pages->Pages(0));
    Host->Show();
    for (int i = 0; i < pages->PageCount(); ++i)
        pages->Pages(i)->HandleNeeded();
    Adapters.push_back(TacMainWnd::Create<TacPageControlWnd>(pages->Handle(), DataOf(pages), Manager, "", false));

    HWND bottom = Platform(WC_TABCONTROLW, TCS_BOTTOM, {8, 196, 300, 290});
    AddTabs(bottom, {L"Bottom", L"Tabs", L"Here"});
    SendMessageW(bottom, TCM_SETCURSEL, 1, 0);
    Adapters.push_back(TacMainWnd::Create<TacTabControlWnd>(bottom, nullptr, Manager, "", false));

    HWND left = Platform(WC_TABCONTROLW, TCS_VERTICAL | TCS_MULTILINE, {318, 8, 408, 188});
    AddTabs(left, {L"Left", L"Side"});
    Adapters.push_back(TacMainWnd::Create<TacTabControlWnd>(left, nullptr, Manager, "", false));

    HWND buttons = Platform(WC_TABCONTROLW, TCS_BUTTONS, {318, 196, 500, 290});
    AddTabs(buttons, {L"Button", L"Tabs"});
    Adapters.push_back(TacMainWnd::Create<TacTabControlWnd>(buttons, nullptr, Manager, "", false));

    HWND empty = Platform(WC_TABCONTROLW, 0, {416, 8, 500, 188});
    Adapters.push_back(TacMainWnd::Create<TacTabControlWnd>(empty, nullptr, Manager, "", false));

    // More tabs than fit on one line: the platform's up-down scrolls them, skinned with them.
    Host->SetBounds(20, 20, 520, 400);
    HWND scrolling = Platform(WC_TABCONTROLW, 0, {8, 298, 300, 360});
    AddTabs(scrolling, {L"One", L"Two", L"Three", L"Four", L"Five", L"Six", L"Seven", L"Eight"});
    SendMessageW(scrolling, TCM_SETCURSEL, 2, 0);
    auto* tabs = TacMainWnd::Create<TacTabControlWnd>(scrolling, nullptr, Manager, "", false);
    Adapters.push_back(tabs);
    const auto picture = Shoot("tabs-sheet.png");
    // The bottom tabs' selected one.
    ExpectSkinned(*picture, {pages->Handle(), bottom, left, buttons, empty, scrolling}, bottom, TCM_GETITEMRECT, 1);
    EXPECT_NE(FindWindowExW(scrolling, nullptr, UPDOWN_CLASSW, nullptr), nullptr);
    EXPECT_NE(tabs->UpDownAdapter(), nullptr) << "its arrows are the skin's";
}

TEST_F(TabBarSheetTest, ToolbarsAndStatusBar)
{
    ASSERT_TRUE(Manager->SkinData.SkinActive) << "the internal skin did not load";
    auto* bar = Create<TToolBar>(Host);
    bar->SetParent(Host);
    bar->SetShowCaptions(true);
    bar->SetButtonSize(64, 24);
    bar->AddButton(tbsButton, L"New");
    bar->AddButton(tbsButton, L"Copy")->SetDown(true);
    bar->AddButton(tbsButton, L"Off")->SetEnabled(false);
    bar->AddButton(tbsSeparator, L"");
    bar->AddButton(tbsDropDown, L"More");
    auto* status = Create<TStatusBar>(Host);
    status->SetParent(Host);
    status->AddPanel(L"Ready", 120);
    status->AddPanel(L"A panel text far too long for its panel", 150);
    status->AddPanel(L"12 символов", 100);
    Host->Show();
    Adapters.push_back(TacMainWnd::Create<TacToolBarVCLWnd>(bar->Handle(), DataOf(bar), Manager, "", false));
    Adapters.push_back(TacMainWnd::Create<TacStatusBarWnd>(status->Handle(), DataOf(status), Manager, "", false));

    HWND platform = Platform(TOOLBARCLASSNAMEW, TBSTYLE_FLAT | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                             {8, 120, 400, 160});
    SetWindowLongW(platform, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
    SetWindowPos(platform, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    SendMessageW(platform, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBBUTTON buttons[] = {
        {I_IMAGENONE, 1, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, reinterpret_cast<INT_PTR>(L"Open")},
        {I_IMAGENONE, 2, TBSTATE_ENABLED | TBSTATE_PRESSED, BTNS_BUTTON, {}, 0, reinterpret_cast<INT_PTR>(L"Pressed")},
        {0, 0, 0, BTNS_SEP, {}, 0, -1},
        {I_IMAGENONE, 3, 0, BTNS_BUTTON, {}, 0, reinterpret_cast<INT_PTR>(L"Disabled")},
    };
    SendMessageW(platform, TB_ADDBUTTONSW, 4, reinterpret_cast<LPARAM>(buttons));
    Adapters.push_back(TacMainWnd::Create<TacToolBarWnd>(platform, nullptr, Manager, "BAR", true));

    HWND simple = Platform(STATUSCLASSNAMEW, CCS_NORESIZE | CCS_NOPARENTALIGN, {8, 200, 400, 222});
    SendMessageW(simple, SB_SIMPLE, TRUE, 0);
    SendMessageW(simple, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(L"A platform status bar in simple mode"));
    Adapters.push_back(TacMainWnd::Create<TacStatusBarWnd>(simple, nullptr, Manager, "", false));
    const auto picture = Shoot("bars-sheet.png");
    // The platform toolbar's pressed button.
    ExpectSkinned(*picture, {bar->Handle(), status->Handle(), platform, simple}, platform, TB_GETITEMRECT, 1);
}

} // namespace
