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
#include "win/support/SheetPng.h"
#include "win/support/VclFixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TColor gSheetBackground = 0;
// The field colours a skinned dialog gives its children: the skin's "EDIT" section.
TColor gFieldColour = 0;
TColor gFieldText = 0;
HBRUSH gFieldBrush = nullptr;
POINT gSheetCursor{-1000, -1000};
BOOL WINAPI SheetCursor(POINT* p)
{
    *p = gSheetCursor;
    return TRUE;
}

LRESULT CALLBACK ComboSheetParentProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == SM_SKINCMD) {
        TMessage m{msg, wParam, lParam, 0};
        const ks::SkinCommandView view(m);
        if (view.Command() == SKC_GET_BG_INFO) {
            if (auto* info = view.Pointer<BackgroundInfo>()) {
                info->BackgroundKind = BgKindColor;
                info->Color = gSheetBackground;
            }
            return 1;
        }
        return view.Command() == SKC_GET_BG_COLOR ? gSheetBackground : 0;
    }
    if (msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX || msg == WM_CTLCOLORSTATIC) {
        SetTextColor(reinterpret_cast<HDC>(wParam), static_cast<COLORREF>(gFieldText));
        SetBkColor(reinterpret_cast<HDC>(wParam), static_cast<COLORREF>(gFieldColour));
        return reinterpret_cast<LRESULT>(gFieldBrush);
    }
    if (msg == WM_ERASEBKGND) {
        RECT r{};
        GetClientRect(wnd, &r);
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(gSheetBackground));
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush);
        DeleteObject(brush);
        return 1;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

class ComboSheetTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&icc);
        ks::Sys().GetCursorPos = &SheetCursor;
        Manager = Create<TsSkinManager>(nullptr);
        const std::string build = KS_BUILD_DIR;
        Manager->SetSkinDirectory(L"Z:" + std::wstring(build.begin(), build.end()) + L"/skins");
        Manager->SetSkinName(L"Terminal4bit");
        gSheetBackground = ColorToRGB(Manager->GlobalSectionColor());
        if (const int edit = Manager->FindSection("EDIT"); edit >= 0) {
            gFieldColour = ColorToRGB(Manager->GeneralDataArray[static_cast<size_t>(edit)].Color);
            gFieldText = ColorToRGB(Manager->GeneralDataArray[static_cast<size_t>(edit)].FontColor[0]);
        }
        gFieldBrush = CreateSolidBrush(static_cast<COLORREF>(gFieldColour));
        static const wchar_t* cls = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = ComboSheetParentProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.lpszClassName = L"KsComboSheetParent";
            RegisterClassW(&wc);
            return L"KsComboSheetParent";
        }();
        Parent = CreateWindowExW(0, cls, L"sheet", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 30, 30, 420, 260, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
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
    static std::unique_ptr<TBitmap> Capture(HWND wnd)
    {
        RECT r{};
        GetWindowRect(wnd, &r);
        auto picture = NewBitmap24(r.right - r.left, r.bottom - r.top);
        HDC dc = GetWindowDC(wnd);
        BitBlt(picture->Canvas().Handle(), 0, 0, picture->Width(), picture->Height(), dc, 0, 0, SRCCOPY);
        ReleaseDC(wnd, dc);
        GdiFlush();
        return picture;
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
    gSheetCursor = {vr.left + 8, vr.bottom - 5};
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
    auto parentShot = Capture(Parent);
    BitBlt(sheet->Canvas().Handle(), 0, 0, parentShot->Width(), parentShot->Height(), parentShot->Canvas().Handle(), 0, 0,
           SRCCOPY);
    auto listShot = Capture(list);
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
