// The contact sheet of the adapted platform controls: a push button, check boxes, radio buttons,
// a group box, a static text and a panel, each taken over by its adapter under the internal skin
// on a parent that answers with the skin's background, in every state, captured as the screen
// shows it into <build>/adapters-sheet.png for people to look at. Each cell is also compared
// with the same control's normal cell, so a state that does not show (or a look the platform
// control painted over) fails here as well as on the sheet.
#include "skin/adapters/acButtonAdapters.h"
#include "skin/adapters/acStaticAdapters.h"

#include "skin/core/CacheBitmaps.h"
#include "skin/core/sCommonData.h"
#include "skin/core/sMessages.h"
#include "skin/core/sSkinManager.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "win/skin/adapters/SheetParent.h"
#include "win/support/FakeCursor.h"
#include "win/support/InternalSkin.h"
#include "win/support/ScreenPictures.h"
#include "win/support/SheetPng.h"
#include "win/support/VclFixture.h"
#include "win/support/WindowClasses.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace ks::test;

enum class State { Normal, Hot, Pressed, Focused, Disabled };
constexpr State States[] = {State::Normal, State::Hot, State::Pressed, State::Focused, State::Disabled};
constexpr const char* StateNames[] = {"normal", "hot", "pressed", "focused", "disabled"};

// A cell the same as the normal one, or different from it.
enum class Expect { Same, Differs };
constexpr Expect S = Expect::Same;
constexpr Expect D = Expect::Differs;

// One adapted control: its window and the adapter (with the panel's class-library object).
struct Made {
    HWND wnd = nullptr;
    TacMainWnd* adapter = nullptr;
    TPanel* panel = nullptr;
    std::unique_ptr<TsCommonData> skinData;
};

struct Row {
    const char* name;
    std::function<Made(HWND parent, TsSkinManager* manager)> make;
    Expect expect[5];
};

constexpr int CellW = 150, CellH = 70, LabelW = 120, HeaderH = 20, Margin = 8;

Made Button(HWND parent, TsSkinManager* m, DWORD style, const wchar_t* text, WPARAM check, TRect r,
            TacMainWnd* (*adapt)(HWND, TsSkinManager*))
{
    Made made;
    made.wnd = CreateWindowExW(0, L"BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, r.Left, r.Top,
                               r.Width(), r.Height(), parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(made.wnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    SendMessageW(made.wnd, BM_SETCHECK, check, 0);
    made.adapter = adapt(made.wnd, m);
    return made;
}

template <class T>
TacMainWnd* AdaptAs(HWND wnd, TsSkinManager* m)
{
    return TacMainWnd::Create<T>(wnd, nullptr, m, "", false);
}

class AdapterSheetTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        UseFakeCursor({});
        Manager = NewInternalSkinManager();
        gSheetBackground = ColorToRGB(Manager->GlobalSectionColor());
        static const wchar_t* cls = RegisterTestClass(L"KsAdapterSheetParent", SheetParentProc);
        Parent = NewSheetParent(cls, 30, 30, 300, 200);
        // Holds the focus, so that only the focused column shows a focused control.
        Holder = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 280, 180, 10, 10, Parent, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        SetFocus(Holder);
        // A class-library panel lives on a class-library form.
        ks::SetNextFormCreation({true, false, {}});
        PanelHost = CreateNew<TForm>(Application);
        PanelHost->SetBounds(340, 30, 200, 120);
        PanelHost->SetColor(gSheetBackground);
        PanelHost->Show();
        Pump();
    }
    void TearDown() override
    {
        FreeAndNil(PanelHost);
        DestroyWindow(Parent);
        FreeAndNil(Manager);
        VclFixture::TearDown();
    }

    void Enter(State state, const Made& made)
    {
        HWND wnd = made.wnd;
        RECT r{};
        GetWindowRect(wnd, &r);
        switch (state) {
        case State::Normal: break;
        case State::Hot:
            gCursor = {r.left + 3, r.top + 3};
            SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
            SendMessageW(wnd, WM_NCHITTEST, 0, MAKELPARAM(r.left + 3, r.top + 3));
            break;
        case State::Pressed: SendMessageW(wnd, BM_SETSTATE, TRUE, 0); break;
        case State::Focused: SetFocus(wnd); break;
        case State::Disabled:
            if (made.panel)
                made.panel->SetEnabled(false);
            else
                EnableWindow(wnd, FALSE);
            break;
        }
        Pump();
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump();
    }

    static bool SamePicture(TBitmap& a, TBitmap& b)
    {
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (GetPixel(a.Canvas().Handle(), x, y) != GetPixel(b.Canvas().Handle(), x, y))
                    return false;
        return true;
    }
    static bool HasKeyColour(TBitmap& b)
    {
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x)
                if (static_cast<TColor>(GetPixel(b.Canvas().Handle(), x, y)) == TransparentKeyColor)
                    return true;
        return false;
    }

    TsSkinManager* Manager = nullptr;
    HWND Parent = nullptr;
    HWND Holder = nullptr;
    TForm* PanelHost = nullptr;
};

TEST_F(AdapterSheetTest, EveryAdaptedControlInEveryStateShowsItsSkinLook)
{
    ASSERT_TRUE(Manager->SkinData.SkinActive) << "the internal skin did not load";
    const TRect button{10, 10, 110, 40}, box{10, 10, 140, 30}, group{10, 10, 140, 66}, text{10, 10, 140, 30};
    const std::vector<Row> rows = {
        {"push button",
         [&](HWND p, TsSkinManager* m) { return Button(p, m, BS_PUSHBUTTON, L"Ещё", 0, button, AdaptAs<TacBtnWnd>); },
         {S, D, D, D, D}},
        {"default button",
         [&](HWND p, TsSkinManager* m) { return Button(p, m, BS_DEFPUSHBUTTON, L"OK", 0, button, AdaptAs<TacBtnWnd>); },
         {S, S, D, D, D}},
        {"check box",
         [&](HWND p, TsSkinManager* m) {
             return Button(p, m, BS_AUTOCHECKBOX, L"Цифры", BST_UNCHECKED, box, AdaptAs<TacCheckBoxWnd>);
         },
         {S, D, D, D, D}},
        {"check box ticked",
         [&](HWND p, TsSkinManager* m) {
             return Button(p, m, BS_AUTOCHECKBOX, L"Digits", BST_CHECKED, box, AdaptAs<TacCheckBoxWnd>);
         },
         {S, D, D, D, D}},
        {"check box grayed",
         [&](HWND p, TsSkinManager* m) {
             return Button(p, m, BS_3STATE, L"Mixed", BST_INDETERMINATE, box, AdaptAs<TacCheckBoxWnd>);
         },
         {S, D, D, D, D}},
        {"radio button",
         [&](HWND p, TsSkinManager* m) {
             return Button(p, m, BS_RADIOBUTTON, L"Letters", BST_UNCHECKED, box, AdaptAs<TacCheckBoxWnd>);
         },
         {S, D, D, D, D}},
        {"radio checked",
         [&](HWND p, TsSkinManager* m) {
             return Button(p, m, BS_RADIOBUTTON, L"Symbols", BST_CHECKED, box, AdaptAs<TacCheckBoxWnd>);
         },
         {S, D, D, D, D}},
        {"group box",
         [&](HWND p, TsSkinManager* m) { return Button(p, m, BS_GROUPBOX, L"Options", 0, group, AdaptAs<TacGroupBoxWnd>); },
         {S, S, S, S, D}},
        {"static text",
         [&](HWND p, TsSkinManager* m) {
             Made made;
             made.wnd = CreateWindowExW(0, L"STATIC", L"Длина: 12", WS_CHILD | WS_VISIBLE | SS_LEFT, text.Left,
                                        text.Top, text.Width(), text.Height(), p, nullptr, GetModuleHandleW(nullptr),
                                        nullptr);
             SendMessageW(made.wnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
             made.adapter = TacMainWnd::Create<TacStaticWnd>(made.wnd, nullptr, m, "CHECKBOX", false);
             return made;
         },
         {S, S, S, S, D}},
        {"panel",
         [&](HWND p, TsSkinManager* m) {
             Made made;
             (void)p;
             made.panel = Create<TPanel>(PanelHost);
             made.panel->SetBounds(group.Left, group.Top, group.Width(), group.Height());
             made.panel->SetCaption(L"Panel");
             made.panel->SetParent(PanelHost);
             made.wnd = made.panel->Handle();
             made.skinData = std::make_unique<TsCommonData>(made.panel, true);
             made.skinData->OwnerControl = made.panel;
             made.adapter = TacMainWnd::Create<TacPanelWnd>(made.wnd, made.skinData.get(), m, "", false);
             return made;
         },
         {S, S, S, S, D}},
    };

    const int columns = static_cast<int>(std::size(States));
    auto sheet = NewBitmap24(LabelW + columns * CellW, HeaderH + static_cast<int>(rows.size()) * CellH);
    sheet->Canvas().Brush().SetColor(0x404040);
    sheet->Canvas().FillRect({0, 0, sheet->Width(), sheet->Height()});
    for (int c = 0; c < columns; ++c)
        DrawSheetLabel(*sheet, LabelW + c * CellW + Margin, 3, StateNames[c]);

    for (size_t r = 0; r < rows.size(); ++r) {
        const Row& row = rows[r];
        const int top = HeaderH + static_cast<int>(r) * CellH;
        DrawSheetLabel(*sheet, Margin, top + Margin, row.name);
        std::unique_ptr<TBitmap> normal;
        for (int c = 0; c < columns; ++c) {
            SCOPED_TRACE(std::string(row.name) + " " + StateNames[c]);
            SetFocus(Holder);
            Manager->SetActiveControl(nullptr);
            gCursor = {-100, -100};
            Made made = row.make(Parent, Manager);
            ASSERT_NE(made.adapter, nullptr);
            Enter(States[c], made);
            auto picture = ScreenPicture(made.wnd);
            EXPECT_FALSE(HasKeyColour(*picture)) << "no transparent key colour reaches the screen";
            if (c == 0)
                normal = ScreenPicture(made.wnd);
            else
                EXPECT_EQ(SamePicture(*normal, *picture), row.expect[c] == S);
            BitBlt(sheet->Canvas().Handle(), LabelW + c * CellW + Margin, top + Margin, picture->Width(),
                   picture->Height(), picture->Canvas().Handle(), 0, 0, SRCCOPY);
            made.adapter->Free();
            if (made.panel) {
                made.skinData.reset();
                FreeAndNil(made.panel);
            } else {
                DestroyWindow(made.wnd);
            }
        }
    }
    WriteSheetPng(*sheet, std::string(KS_BUILD_DIR) + "/adapters-sheet.png");
}

} // namespace
