#include "vcl/StdCtrls.h"

#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "win/support/EditFrame.h"
#include "win/support/TextInk.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace {

class StdCtrlsTest : public VclFormFixture {
};

void CALLBACK EndMenuTimer(HWND, UINT, UINT_PTR, DWORD)
{
    EndMenu();
}

struct Events {
    int changes = 0;
    int clicks = 0;
    void Change(TObject*) { ++changes; }
    void Click(TObject*) { ++clicks; }
};

TEST_F(StdCtrlsTest, EditTextSelectionAndChange)
{
    Events events;
    auto* edit = Add<TEdit>();
    edit->SetOnChange(TNotifyEvent(&events, &Events::Change));
    edit->SetMaxLength(9);
    HWND wnd = edit->Handle();
    EXPECT_EQ(SendMessageW(wnd, EM_GETLIMITTEXT, 0, 0), 9);

    edit->SetText(L"Пароль123");
    EXPECT_EQ(edit->Text(), L"Пароль123");
    EXPECT_EQ(events.changes, 1); // EN_CHANGE, reflected as CN_COMMAND
    edit->SetSelStart(2);
    edit->SetSelLength(3);
    EXPECT_EQ(edit->SelStart(), 2);
    EXPECT_EQ(edit->SelLength(), 3);
    edit->SelectAll();
    EXPECT_EQ(edit->SelStart(), 0);
    EXPECT_EQ(edit->SelLength(), 9);
    edit->SetReadOnly(true);
    EXPECT_NE(GetWindowLongW(wnd, GWL_STYLE) & ES_READONLY, 0);
}

// A read-only edit asks as a static does. System colours are resolved, never handed over as codes.
TEST_F(StdCtrlsTest, EditColoursAnsweredOnReflectedCtlColor)
{
    auto* edit = Add<TEdit>();
    edit->SetColor(clWindow);
    edit->Font()->SetColor(clGreen);
    for (UINT msg : {WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC}) {
        ks::WindowDC dc(edit->Handle());
        auto brush = reinterpret_cast<HBRUSH>(SendMessageW(FForm->Handle(), msg, reinterpret_cast<WPARAM>(dc.get()),
                                                           reinterpret_cast<LPARAM>(edit->Handle())));
        LOGBRUSH lb{};
        ASSERT_TRUE(GetObjectW(brush, sizeof lb, &lb)) << msg;
        EXPECT_EQ(lb.lbColor, GetSysColor(COLOR_WINDOW));
        EXPECT_EQ(GetTextColor(dc.get()), static_cast<COLORREF>(clGreen));
        EXPECT_EQ(GetBkColor(dc.get()), GetSysColor(COLOR_WINDOW));
    }
}

TEST_F(StdCtrlsTest, EditContextMenuShowsItsPopupMenu)
{
    auto* edit = Add<TEdit>();
    auto* menu = Create<TPopupMenu>(FForm);
    auto* item = Create<TMenuItem>(FForm);
    item->SetCaption(L"&Копировать");
    menu->Items()->Add(item);
    edit->SetPopupMenu(menu);
    UINT_PTR timer = SetTimer(nullptr, 0, 30, &EndMenuTimer);
    LRESULT r = SendMessageW(edit->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit->Handle()), -1);
    KillTimer(nullptr, timer);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(menu->PopupComponent(), edit);
}

TEST_F(StdCtrlsTest, MemoLinesAreLogicalLinesInUnicode)
{
    auto* memo = Add<TMemo>();
    memo->SetScrollBars(ssVertical);
    memo->SetWidth(60);
    memo->Lines().Add(L"Программа для генерации сложных паролей написанная в среде");
    memo->Lines().Add(L"");
    memo->Lines().Add(L"Интересно знать");
    HWND wnd = memo->Handle();
    LONG style = GetWindowLongW(wnd, GWL_STYLE);
    EXPECT_NE(style & ES_MULTILINE, 0);
    EXPECT_NE(style & WS_VSCROLL, 0);
    EXPECT_EQ(style & ES_AUTOHSCROLL, 0); // word wrap
    // The long first line wraps on screen but stays one line.
    EXPECT_GT(SendMessageW(wnd, EM_GETLINECOUNT, 0, 0), 3);
    ASSERT_EQ(memo->Lines().Count(), 3);
    memo->Lines().Delete(0);
    EXPECT_EQ(memo->LinesList(), (std::vector<std::wstring>{L"", L"Интересно знать"}));
    // Lines survive a new window.
    memo->SetWordWrap(false);
    EXPECT_NE(GetWindowLongW(memo->Handle(), GWL_STYLE) & ES_AUTOHSCROLL, 0);
    EXPECT_EQ(memo->Lines().Count(), 2);
}

// A new window hears of its font before it is given its text, and the text it is given again
// is no change: neither the edit nor the memo reports one.
template <class Base>
class TCreationLog : public Base {
public:
    using Base::Base;
    std::vector<std::string> Seen;

    void WndProc(TMessage& m) override
    {
        if (m.Msg == WM_NCCREATE) {
            const wchar_t* name = reinterpret_cast<const CREATESTRUCTW*>(m.LParam)->lpszName;
            Seen.push_back(name && *name ? "created with text" : "created");
        } else if (m.Msg == WM_SETFONT) {
            Seen.push_back("font");
        }
        Base::WndProc(m);
    }
    void DefaultHandler(TMessage& m) override
    {
        if (m.Msg == WM_SETTEXT)
            Seen.push_back("text");
        Base::DefaultHandler(m);
    }
};

TEST_F(StdCtrlsTest, NewWindowsGetTheirFontBeforeTheirText)
{
    Events events;
    auto* edit = Add<TCreationLog<TEdit>>();
    auto* memo = Add<TCreationLog<TMemo>>();
    edit->SetText(L"Пароль");
    memo->Lines().Add(L"Программа");
    memo->Lines().Add(L"паролей");
    edit->SetOnChange(TNotifyEvent(&events, &Events::Change));
    memo->SetOnChange(TNotifyEvent(&events, &Events::Change));
    FForm->HandleNeeded();
    edit->HandleNeeded();
    memo->HandleNeeded();
    for (const auto& seen : {edit->Seen, memo->Seen})
        EXPECT_EQ(seen, (std::vector<std::string>{"created", "font", "text"}));
    EXPECT_EQ(events.changes, 0);
    EXPECT_EQ(edit->Text(), L"Пароль");
    EXPECT_EQ(memo->LinesList(), (std::vector<std::wstring>{L"Программа", L"паролей"}));
    EXPECT_EQ(SendMessageW(memo->Handle(), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(memo->Font()->Handle()));
}

TEST_F(StdCtrlsTest, MemoLinesCheckTheirIndexesAndKeepNoObjects)
{
    auto* memo = Add<TMemo>();
    TWideStrings& lines = memo->Lines();
    lines.Add(L"один");
    lines.Insert(1, L"два");
    lines.AddObject(L"три", memo);
    lines.SetObjects(0, memo);
    EXPECT_EQ(memo->LinesList(), (std::vector<std::wstring>{L"один", L"два", L"три"}));
    EXPECT_EQ(lines.Objects(0), nullptr);
    EXPECT_EQ(lines.Objects(2), nullptr);
    EXPECT_THROW(lines.Strings(3), EStringListError);
    EXPECT_THROW(lines.Strings(-1), EStringListError);
    EXPECT_THROW(lines.SetStrings(3, L"x"), EStringListError);
    EXPECT_THROW(lines.Delete(3), EStringListError);
    EXPECT_THROW(lines.Insert(-1, L"x"), EStringListError);
    try {
        lines.Insert(4, L"x");
        FAIL();
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (4)");
    }
    EXPECT_EQ(lines.Count(), 3);
}

// Holds a key (VK_SHIFT, VK_CONTROL, VK_LBUTTON) down in the thread's keyboard state while it
// lives; 0 holds nothing.
class HeldKey {
public:
    explicit HeldKey(BYTE key)
    {
        GetKeyboardState(FSaved);
        BYTE held[256];
        std::copy(std::begin(FSaved), std::end(FSaved), held);
        if (key)
            held[key] = 0x80;
        SetKeyboardState(held);
    }
    ~HeldKey() { SetKeyboardState(FSaved); }

private:
    BYTE FSaved[256] = {};
};

// Presses key in wnd as the keyboard does, through the application's loop.
void PressKey(HWND wnd, WORD key, BYTE modifier = 0)
{
    HeldKey held(modifier);
    PostMessageW(wnd, WM_KEYDOWN, key, 1);
    Application->ProcessMessages();
}

// A memo asks for Tab only with WantTabs, as the platform's dialogs give it; Ctrl+Tab always
// leaves.
TEST_F(StdCtrlsTest, TabLeavesAMemoUnlessItWantsTabs)
{
    auto* before = Add<TEdit>();
    before->SetBounds(10, 10, 100, 21);
    auto* memo = Add<TMemo>();
    memo->SetBounds(10, 40, 100, 60);
    auto* after = Add<TEdit>();
    after->SetBounds(10, 110, 100, 21);
    FForm->Show();

    struct Case {
        const char* name;
        bool wantTabs;
        BYTE modifier;
        TWinControl* focus;
        const wchar_t* text;
    };
    const Case cases[] = {
        {"Tab", false, 0, after, L"memo"},
        {"ShiftTab", false, VK_SHIFT, before, L"memo"},
        {"CtrlTab", false, VK_CONTROL, after, L"memo"},
        {"TabWanted", true, 0, memo, L"\tmemo"},
        {"CtrlTabLeavesEvenSo", true, VK_CONTROL, after, L"memo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        memo->SetWantTabs(c.wantTabs);
        memo->SetText(L"memo");
        memo->SetFocus();
        memo->SetSelStart(0);
        PressKey(memo->Handle(), VK_TAB, c.modifier);
        EXPECT_EQ(GetFocus(), c.focus->Handle());
        EXPECT_EQ(memo->Text(), c.text);
    }
}

// Tabbing into a single-line edit selects its text, so typing replaces it; a memo, an edit
// without AutoSelect and an edit clicked into keep the caret.
TEST_F(StdCtrlsTest, KeyboardFocusSelectsAnEditsText)
{
    auto* first = Add<TEdit>();
    first->SetBounds(10, 10, 100, 21);
    auto* edit = Add<TEdit>();
    edit->SetBounds(10, 40, 100, 21);
    auto* memo = Add<TMemo>();
    memo->SetBounds(10, 70, 100, 60);
    FForm->Show();

    struct Case {
        const char* name;
        TCustomEdit* target;
        bool autoSelect;
        bool byMouse;
        int selLength;
    };
    const Case cases[] = {
        {"Edit", edit, true, false, 2},
        {"EditWithoutAutoSelect", edit, false, false, 0},
        {"EditClicked", edit, true, true, 0},
        {"Memo", memo, true, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.target->SetAutoSelect(c.autoSelect);
        c.target->SetText(L"10");
        c.target->SetSelStart(0);
        if (c.byMouse) {
            FForm->SetActiveControl(first);
            HeldKey button(VK_LBUTTON);
            c.target->SetFocus();
        } else {
            FForm->SetActiveControl(c.target == edit ? first : edit);
            PressKey(GetFocus(), VK_TAB);
        }
        ASSERT_EQ(GetFocus(), c.target->Handle());
        EXPECT_EQ(c.target->SelStart(), 0);
        EXPECT_EQ(c.target->SelLength(), c.selLength);
    }
    edit->SetAutoSelect(true);
    FForm->SetActiveControl(first);
    PressKey(first->Handle(), VK_TAB);
    PostMessageW(edit->Handle(), WM_CHAR, L'7', 1);
    Application->ProcessMessages();
    EXPECT_EQ(edit->Text(), L"7") << "a new length replaces the old one";
}

TEST_F(StdCtrlsTest, ButtonClicksThroughReflectedCommand)
{
    Events events;
    auto* button = Add<TButton>();
    button->SetOnClick(TNotifyEvent(&events, &Events::Click));
    button->SetModalResult(mrOk);
    button->SetDefault(true);
    HWND wnd = button->Handle();
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(wnd, GWL_STYLE)) & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    SendMessageW(FForm->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(wnd), BN_CLICKED), reinterpret_cast<LPARAM>(wnd));
    EXPECT_EQ(events.clicks, 1);
    EXPECT_EQ(FForm->ModalResult(), mrOk);
    button->SetDefault(false);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(wnd, GWL_STYLE)) & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
}

TEST_F(StdCtrlsTest, EnterAndEscapeClickTheDialogsButtons)
{
    FForm->SetBorderStyle(bsDialog);
    auto* group = Add<TGroupBox>();
    group->SetBounds(5, 5, 200, 60);
    auto* edit = Create<TEdit>(FForm);
    edit->SetParent(group);
    edit->SetBounds(10, 20, 100, 21);
    auto* ok = Add<TButton>();
    ok->SetBounds(10, 100, 75, 25);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = Add<TButton>();
    cancel->SetBounds(100, 100, 75, 25);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    auto* other = Add<TButton>();
    other->SetBounds(200, 100, 75, 25);
    other->SetModalResult(mrRetry);

    struct Case { const char* name; TWinControl* focus; WPARAM key; TModalResult expected; } cases[] = {
        {"EnterInAnEditClicksTheDefault", edit, VK_RETURN, mrOk},
        {"EscapeInAnEditClicksTheCancel", edit, VK_ESCAPE, mrCancel},
        {"EnterOnAnotherButtonClicksThatOne", other, VK_RETURN, mrRetry},
        {"EscapeOnAnotherButtonStillCancels", other, VK_ESCAPE, mrCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FForm->SetActiveControl(c.focus);
        // Typed once the dialog runs, to the control that has the focus then.
        PostMessageW(c.focus->Handle(), WM_KEYDOWN, c.key, 1);
        EXPECT_EQ(FForm->ShowModal(), c.expected);
    }
}

TEST_F(StdCtrlsTest, CheckBoxTogglesThroughItsStates)
{
    Events events;
    auto* box = Add<TCheckBox>();
    box->SetOnClick(TNotifyEvent(&events, &Events::Click));
    HWND wnd = box->Handle();
    struct Step { bool allowGrayed; TCheckBoxState from; TCheckBoxState to; } steps[] = {
        {false, cbUnchecked, cbChecked}, {false, cbChecked, cbUnchecked},
        {true, cbUnchecked, cbGrayed},   {true, cbGrayed, cbChecked},
    };
    for (const Step& s : steps) {
        box->SetClicksDisabled(true);
        box->SetState(s.from);
        box->SetClicksDisabled(false);
        box->SetAllowGrayed(s.allowGrayed);
        int clicks = events.clicks;
        // A click on the window arrives as BN_CLICKED at the form, reflected to the box.
        SendMessageW(FForm->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(wnd), BN_CLICKED), reinterpret_cast<LPARAM>(wnd));
        EXPECT_EQ(box->State(), s.to);
        EXPECT_EQ(SendMessageW(wnd, BM_GETCHECK, 0, 0), static_cast<LRESULT>(s.to));
        EXPECT_EQ(events.clicks, clicks + 1);
    }
}

TEST_F(StdCtrlsTest, LabelSizesItselfToItsText)
{
    auto* label = Add<TLabel>();
    label->Font()->SetName(L"Tahoma");
    label->Font()->SetHeight(-11);
    label->SetCaption(L"Длина пароля:");
    // The expected size, measured independently in the same font.
    ks::WindowDC screen(nullptr);
    LOGFONTW lf = label->Font()->LogFont();
    ks::GdiFont font(CreateFontIndirectW(&lf));
    ks::SelectGuard select(screen.get(), font.get());
    RECT r{0, 0, 0, 0};
    DrawTextW(screen.get(), L"Длина пароля:", -1, &r, DT_CALCRECT | DT_EXPANDTABS);
    // At least the measure, and wider only when the drawing runs past it.
    const TSize ink = ks::test::TextInk(screen.get(), font.get(), L"Длина пароля:", {0, 0, r.right, r.bottom});
    EXPECT_EQ(label->Width(), std::max<int>(r.right, ink.cx));
    EXPECT_EQ(label->Height(), std::max<int>(r.bottom, ink.cy));

    // Word wrap breaks the text at the width and grows the height by a line.
    label->SetWidth(r.right - 1);
    label->SetWordWrap(true);
    EXPECT_LE(label->Width(), r.right - 1);
    EXPECT_EQ(label->Height(), 2 * r.bottom);

    int width = label->Width();
    label->SetAutoSize(false);
    label->SetCaption(L"x");
    EXPECT_EQ(label->Width(), width);
}

TEST_F(StdCtrlsTest, AnAutoSizedLabelHoldsAllItDrawsInItsOwnFont)
{
    // Faces the system substitutes draw some texts wider than they measure.
    for (const wchar_t* face : {L"MS Sans Serif", L"Tahoma", L"Arial"}) {
        for (int height : {-11, -13, -16}) {
            auto* label = Add<TLabel>();
            label->SetCaption(L"A frame with a label");
            label->Font()->SetName(face);
            label->Font()->SetHeight(height);
            ks::WindowDC screen(nullptr);
            LOGFONTW lf = label->Font()->LogFont();
            ks::GdiFont font(CreateFontIndirectW(&lf));
            const TSize ink = ks::test::TextInk(screen.get(), font.get(), L"A frame with a label",
                                                {0, 0, label->Width(), label->Height()});
            EXPECT_LE(ink.cx, label->Width()) << face << height;
            EXPECT_LE(ink.cy, label->Height()) << face << height;
        }
    }
}

TEST_F(StdCtrlsTest, GroupBoxHoldsChildrenBelowItsCaption)
{
    auto* group = Add<TGroupBox>();
    group->SetCaption(L"Опции");
    auto* box = Create<TCheckBox>(FForm);
    box->SetParent(group);
    EXPECT_EQ(GetParent(box->Handle()), group->Handle());
}

} // namespace

namespace {

TEST_F(StdCtrlsTest, ComboBoxItemsLiveInTheWindowAndItsStyleMakesANewOne)
{
    auto* box = Add<TComboBox>();
    box->Items().Add(L"Один");
    box->Items().Add(L"Two");
    box->Items().Insert(1, L"Half");
    EXPECT_EQ(box->Items().Count(), 3);
    EXPECT_EQ(box->Items().Strings(0), L"Один");
    EXPECT_EQ(box->Items().Strings(1), L"Half");
    EXPECT_THROW(box->Items().Strings(3), EStringListError);
    EXPECT_THROW(box->Items().Insert(5, L"far"), EStringListError);
    box->SetItemIndex(2);
    box->Items().SetStrings(2, L"Три");
    EXPECT_EQ(box->ItemIndex(), 2) << "replacing the selected item keeps it selected";
    EXPECT_EQ(box->Items().Strings(2), L"Три");
    box->Items().Delete(0);
    EXPECT_EQ(box->Items().Count(), 2);
    EXPECT_LT(box->Height(), 40) << "the list's room is not part of the control";

    box->SetStyle(csSimple);
    EXPECT_EQ(GetWindowLongPtrW(box->Handle(), GWL_STYLE) & 3, CBS_SIMPLE);
    box->SetStyle(csOwnerDrawFixed);
    EXPECT_EQ(GetWindowLongPtrW(box->Handle(), GWL_STYLE) & (3 | CBS_OWNERDRAWFIXED),
              CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED);
    EXPECT_STREQ(box->ClassName(), "TComboBox");
    box->Items().Clear();
    EXPECT_EQ(box->Items().Count(), 0);
}

} // namespace

TEST_F(StdCtrlsTest, AnEditsBorderAndBevelsMakeItsFrame)
{
    struct Case {
        const char* name;
        ks::test::EditFrame look;
        int frame;
    } cases[] = {
        {"Sunken", {bsSingle, true, bvRaised, bvLowered, bkNone}, 2},
        // The system's edit draws a flat border inside its client area.
        {"Flat line", {bsSingle, false, bvRaised, bvLowered, bkNone}, 0},
        {"No border, bevels without room", {bsNone, true, bvRaised, bvLowered, bkNone}, 0},
        {"No border, two bevel edges", {bsNone, true, bvRaised, bvLowered, bkFlat}, 2},
        {"No border, one bevel edge", {bsNone, true, bvNone, bvLowered, bkSoft}, 1},
        {"Sunken and two bevel edges", {bsSingle, true, bvSpace, bvRaised, bkTile}, 4},
        {"Flat line and one bevel edge", {bsSingle, false, bvNone, bvRaised, bkFlat}, 1},
    };
    for (const Case& c : cases) {
        auto* edit = Add<TEdit>();
        edit->SetBounds(0, 0, 100, 30);
        c.look.ApplyTo(*edit);
        RECT client{};
        GetClientRect(edit->Handle(), &client);
        EXPECT_EQ(client.right, 100 - 2 * c.frame) << c.name;
        EXPECT_EQ(client.bottom, 30 - 2 * c.frame) << c.name;
        edit->Free();
    }
}
