#pragma once
// Standard dialogs under a skin of flat colours: the adapters' test skin plus a dialog section
// whose border cells have key-coloured top-left corners, a title section and a close glyph of
// three cells, so that one pixel tells which part of the frame a dialog shows. Boxes of the
// platform (MessageBoxW) run their own modal loop; RunBox looks at the box from a thread timer
// inside that loop and lets the test close it as a user would.
#include "skin/adapters/acSBUtils.h"
#include "skin/forms/acDialogWnd.h"
#include "skin/forms/acDials.h"
#include "win/skin/adapters/AdapterSkinFixture.h"

#include <functional>
#include <string>
#include <vector>

namespace ks::test {

inline constexpr TColor DialogColour = 0x00302010;
inline constexpr TColor DialogHotColour = 0x00403020;
inline constexpr TColor DialogCells[3] = {0x00112233, 0x00224466, 0x00336699};
inline constexpr TColor TitleColour = 0x00101060;
inline constexpr TColor TitleHotColour = 0x00202080;
inline constexpr TColor DialogCloseCells[3] = {0x0000A0A0, 0x0000C0C0, 0x0000E0E0};
inline constexpr int DialogCellTop = 80;
inline constexpr int CloseTop = 12;
inline constexpr int CloseLeft = 48;
inline constexpr int CloseSize = 16;

inline TColor DialogMasterPixel(int x, int y)
{
    if (y >= DialogCellTop && y < DialogCellTop + 12 && x < 36) {
        const int cx = x % 12;
        const int cy = y - DialogCellTop;
        if (cx + cy < 2) // the cut corner
            return 0x00FF00FF;
        return DialogCells[x / 12];
    }
    if (y >= CloseTop && y < CloseTop + CloseSize && x >= CloseLeft && x < CloseLeft + 3 * CloseSize)
        return DialogCloseCells[(x - CloseLeft) / CloseSize];
    return MasterPixel(x, y);
}

inline std::string DialogSkinOptions()
{
    std::string o = AdapterSkinOptions();
    const std::string global = "COLOR=8421504\r\n";
    o.insert(o.find(global) + global.size(), "BICONCLOSE=@0048@0012@0096@0028@3@0\r\nBILEFT=2\r\nBIRIGHT=3\r\n");
    o += "[DIALOG]\r\n" + ColorKeys(DialogColour, DialogHotColour) +
         "FONTCOLOR=16777215\r\nBORDERSMASK=^0000^0080^0036^0092^0003^0003^0003^0003^3^0^0^0\r\n";
    o += "[FORMTITLE]\r\n" + ColorKeys(TitleColour, TitleHotColour) + "FONTCOLOR=12632256\r\nHOTFONTCOLOR=16777215\r\n";
    return o;
}

inline BOOL CALLBACK TakeVisibleDialog(HWND wnd, LPARAM out)
{
    wchar_t cls[16]{};
    GetClassNameW(wnd, cls, 16);
    if (std::wstring_view(cls) == L"#32770" && IsWindowVisible(wnd)) {
        *reinterpret_cast<HWND*>(out) = wnd;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog of the platform's class of this thread.
inline HWND FindVisibleDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &TakeVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The box's child window with this control id.
inline HWND Item(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}

struct BoxRun {
    std::function<void(HWND)> Inside;
    bool Ran = false;
    bool Running = false;
    bool ClosedForTheTest = false;
    int Ticks = 0;
};
inline BoxRun* gBoxRun = nullptr;

inline void CALLBACK BoxTimer(HWND, UINT, UINT_PTR, DWORD)
{
    BoxRun* run = gBoxRun;
    // The test's own code pumps messages, this timer's among them: it is given all the time it
    // takes, and the box's watch starts when it is done.
    if (!run || run->Running)
        return;
    HWND box = FindVisibleDialog();
    if (!box)
        return;
    if (!run->Ran) {
        run->Ran = run->Running = true;
        run->Inside(box);
        run->Running = false;
        return;
    }
    // The test did not close the box: it goes, so that the run ends and the test fails.
    if (++run->Ticks > 40 && !run->ClosedForTheTest) {
        run->ClosedForTheTest = true;
        PostMessageW(box, WM_CLOSE, 0, 0);
    }
}

// A dialog template: header, then one item per child, each DWORD aligned.
class DialogTemplate {
public:
    DialogTemplate(DWORD style, const wchar_t* title, DWORD exStyle = 0)
    {
        Put32(style), Put32(exStyle), Put16(0), Put16(10), Put16(10), Put16(200), Put16(100);
        Put16(0), Put16(0), PutText(title);
    }
    DialogTemplate& Item(const wchar_t* cls, DWORD style, int id, const wchar_t* text = L"", short x = 4, short y = 4)
    {
        Align();
        Put32(style | WS_CHILD), Put32(0), Put16(static_cast<WORD>(x)), Put16(static_cast<WORD>(y)), Put16(40),
            Put16(12), Put16(static_cast<WORD>(id));
        PutText(cls), PutText(text), Put16(0);
        ++FCount;
        return *this;
    }
    const DLGTEMPLATE* Get()
    {
        reinterpret_cast<WORD*>(FBytes.data())[4] = static_cast<WORD>(FCount);
        return reinterpret_cast<const DLGTEMPLATE*>(FBytes.data());
    }

private:
    void Put16(WORD v) { FBytes.insert(FBytes.end(), {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}); }
    void Put32(DWORD v) { Put16(LOWORD(v)), Put16(HIWORD(v)); }
    void PutText(const wchar_t* text)
    {
        for (; *text; ++text)
            Put16(*text);
        Put16(0);
    }
    void Align()
    {
        while (FBytes.size() % 4)
            FBytes.push_back(0);
    }
    std::vector<uint8_t> FBytes;
    int FCount = 0;
};

class DialogFixture : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        Manager = NewSkinManager(Dir, L"Dialogs", SkinArchive(DialogSkinOptions(), Bmp24(96, 96, DialogMasterPixel)));
        ASSERT_TRUE(Manager->SkinData.SkinActive);
        ASSERT_NE(CreationHook.Handle(), nullptr);
    }
    void TearDown() override
    {
        gBoxRun = nullptr;
        FreeAndNil(Manager);
        EXPECT_EQ(CreationHook.Handle(), nullptr) << "the hook outlived its manager";
        EXPECT_FALSE(HookedWindows);
        VclFixture::TearDown();
    }

    // Shows a platform message box and runs inside with it from the box's own loop; inside must
    // close it. Returns what the box returned to its caller.
    int RunBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags,
               std::function<void(HWND)> inside)
    {
        BoxRun run{std::move(inside)};
        gBoxRun = &run;
        const UINT_PTR timer = SetTimer(nullptr, 0, 30, &BoxTimer);
        const int result = MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
        KillTimer(nullptr, timer);
        gBoxRun = nullptr;
        EXPECT_TRUE(run.Ran) << "the box never showed";
        EXPECT_FALSE(run.ClosedForTheTest) << "the test left the box open; it was closed after " << run.Ticks
                                           << " ticks";
        return result;
    }

    static TacDialogWnd* DialogAdapter(HWND box) { return dynamic_cast<TacDialogWnd*>(GetScrollHandler(box)); }

    // One destruction in the thread frees the records of dialogs that have gone.
    static void DestroyOneWindow()
    {
        DestroyWindow(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    }

    // A point of the window in screen coordinates, as mouse messages carry it.
    static LPARAM ScreenPoint(HWND wnd, int x, int y)
    {
        RECT r{};
        GetWindowRect(wnd, &r);
        return MAKELPARAM(r.left + x, r.top + y);
    }

    // Clicks a child window at its centre by mouse messages, as a user's click arrives.
    static void ClickChild(HWND child)
    {
        RECT r{};
        GetClientRect(child, &r);
        const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
        PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(child, WM_LBUTTONUP, 0, at);
    }

    TempFolder Dir;
    TsSkinManager* Manager = nullptr;
};

} // namespace ks::test
