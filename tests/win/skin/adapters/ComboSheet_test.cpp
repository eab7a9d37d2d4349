// A picture of combo boxes and up-down controls taken over by their adapters under the internal
// skin, one combo box dropped down with its list open, as the screen shows them, written to
// <build>/combo-sheet.png for people to look at. The drop-down button and the open list are
// also checked against the skin, so a sheet that shows the platform's own look fails here too.
#include "skin/adapters/ComboAdapters.h"
#include "skin/adapters/UpDownAdapter.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/DeviceContextRoutines.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/adapters/SheetParent.h"
#include "win/support/FakeCursor.h"
#include "win/support/InternalSkin.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"
#include "win/support/VclFixture.h"
#include "win/support/WindowClasses.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ks::test::gSheetBackground;

// The field colours a skinned dialog gives its children: the skin's "EDIT" section.
TColor gFieldColour = 0;
TColor gFieldText = 0;
HBRUSH gFieldBrush = nullptr;

LRESULT CALLBACK ComboSheetParentProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX || msg == WM_CTLCOLORSTATIC) {
        SetTextColor(reinterpret_cast<HDC>(wParam), static_cast<COLORREF>(gFieldText));
        SetBkColor(reinterpret_cast<HDC>(wParam), static_cast<COLORREF>(gFieldColour));
        return reinterpret_cast<LRESULT>(gFieldBrush);
    }
    return ks::test::SheetParentProc(wnd, msg, wParam, lParam);
}

class ComboSheetTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&icc);
        ks::test::UseFakeCursor({-1000, -1000});
        Manager = ks::test::NewInternalSkinManager();
        gSheetBackground = ColorToRGB(Manager->GlobalSectionColor());
        if (const int edit = Manager->FindSection("EDIT"); edit >= 0) {
            gFieldColour = ColorToRGB(Manager->GeneralDataArray[static_cast<size_t>(edit)].Color);
            gFieldText = ColorToRGB(Manager->GeneralDataArray[static_cast<size_t>(edit)].FontColor[0]);
        }
        gFieldBrush = CreateSolidBrush(static_cast<COLORREF>(gFieldColour));
        static const wchar_t* cls =
            ks::test::RegisterTestClass(L"KsComboSheetParent", ComboSheetParentProc, LoadCursorW(nullptr, IDC_ARROW));
        Parent = ks::test::NewSheetParent(cls, 30, 30, 420, 260);
    }
    void TearDown() override
    {
        for (TacMainWnd* a : Adapters)
            a->Free();
        DestroyWindow(Parent);
        DeleteObject(gFieldBrush);
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }
    HWND Combo(DWORD style, TRect r, int selected)
    {
        HWND wnd = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | style, r.Left, r.Top,
                                   r.Width(), r.Height(), Parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
        const wchar_t* items[] = {L"Цифры", L"Строчные буквы", L"Прописные буквы", L"Спецсимволы", L"Длина 10",
                                  L"Длина 12", L"Длина 16", L"Длина 24", L"Длина 32", L"Длина 64"};
        for (const wchar_t* item : items)
            SendMessageW(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        SendMessageW(wnd, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
        Adapters.push_back(TacMainWnd::Create<TacComboBoxWnd>(wnd, nullptr, Manager, "COMBOBOX", false));
        return wnd;
    }
    HWND UpDown(DWORD style, TRect r)
    {
        HWND wnd = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | style, r.Left, r.Top, r.Width(),
                                   r.Height(), Parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(wnd, UDM_SETRANGE32, 0, 10);
        Adapters.push_back(TacMainWnd::Create<TacSpinWnd>(wnd, nullptr, Manager, "UPDOWNBTN", false));
        return wnd;
    }
    TsSkinManager* Manager = nullptr;
    HWND Parent = nullptr;
    std::vector<TacMainWnd*> Adapters;
};

TEST_F(ComboSheetTest, CombosAndUpDownsUnderTheInternalSkinWithOneListOpen)
{
    ASSERT_TRUE(Manager->SkinData.SkinActive) << "the internal skin did not load";
    HWND dropList = Combo(CBS_DROPDOWNLIST, {20, 20, 200, 200}, 1);
    HWND dropDown = Combo(CBS_DROPDOWN, {20, 60, 200, 240}, 0);
    Combo(CBS_SIMPLE, {220, 20, 400, 140}, 3);
    HWND opened = Combo(CBS_DROPDOWNLIST, {20, 100, 200, 280}, 4);
    HWND vertical = UpDown(0, {220, 160, 237, 190});
    UpDown(UDS_HORZ, {250, 165, 290, 185});
    UpDown(0, {310, 160, 327, 190});
    // The cursor rests on the lower arrow of the first up-down.
    RECT vr{};
    GetWindowRect(vertical, &vr);
    ks::test::gCursor = {vr.left + 8, vr.bottom - 5};
    (void)dropDown;
    RedrawWindow(Parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SendMessageW(opened, CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(opened, &info);
    HWND list = info.hwndList;
    RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    Pump();
    RedrawWindow(opened, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    ASSERT_TRUE(IsWindowVisible(list));
    EXPECT_NE(GetScrollHandler(list), nullptr) << "the open list is skinned";

    RECT pr{}, lr{};
    GetWindowRect(Parent, &pr);
    GetWindowRect(list, &lr);
    const int height = std::max(pr.bottom, lr.bottom) - pr.top + 10;
    auto sheet = NewBitmap24(pr.right - pr.left, height);
    FillRectSolid(sheet->Canvas().Handle(), Rect(0, 0, sheet->Width(), sheet->Height()), clGray);
    auto parentShot = ks::test::ScreenPicture(Parent);
    BitBlt(sheet->Canvas().Handle(), 0, 0, parentShot->Width(), parentShot->Height(), parentShot->Canvas().Handle(), 0, 0,
           SRCCOPY);
    auto listShot = ks::test::ScreenPicture(list);
    BitBlt(sheet->Canvas().Handle(), lr.left - pr.left, lr.top - pr.top, listShot->Width(), listShot->Height(),
           listShot->Canvas().Handle(), 0, 0, SRCCOPY);

    // The open combo's button differs from the closed one's: it shows pressed.
    auto* openAdapter = static_cast<TacComboBoxWnd*>(GetScrollHandler(opened));
    auto* closedAdapter = static_cast<TacComboBoxWnd*>(GetScrollHandler(dropList));
    ASSERT_NE(openAdapter, nullptr);
    EXPECT_EQ(openAdapter->ButtonState(), 2);
    EXPECT_EQ(closedAdapter->ButtonState(), 0);
    SendMessageW(opened, CB_SHOWDROPDOWN, FALSE, 0);

    const std::string path = std::string(KS_BUILD_DIR) + "/combo-sheet.png";
    ks::test::WriteSheetPng(*sheet, path);
}

} // namespace
