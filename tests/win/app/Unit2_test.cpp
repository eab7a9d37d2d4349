#include "app/Unit2.h"

#include "app/passwords.h"
#include "skin/controls/sButton.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sMemo.h"
#include "vcl/Menus.h"
#include "win/app/AppFixture.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

struct ShellCall { HWND owner; std::wstring verb, file; bool parameters, directory; int show; };
std::vector<ShellCall> gShellCalls;

HINSTANCE WINAPI RecordShell(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                             const wchar_t* directory, INT show)
{
    gShellCalls.push_back({owner, verb ? verb : L"", file ? file : L"", parameters != nullptr, directory != nullptr, show});
    // The shell's "file not found": nothing may come of it.
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_FNF));
}

int gDialogs = 0;
int CountDialog(TCustomForm&)
{
    ++gDialogs;
    return mrOk;
}

// The modal loop of the about box runs the step from a timer; whatever the step does, the box is
// closed afterwards so that no test waits for a user.
std::function<void()> gWhileShown;
UINT_PTR gTimer = 0;

void CALLBACK RunWhileShown(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    try {
        if (gWhileShown)
            gWhileShown();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "raised while the about box showed: " << e.what();
    }
    if (Form2 && Form2->FormState().Contains(fsModal) && Form2->ModalResult() == mrNone)
        Form2->SetModalResult(mrAbort);
}

RECT WindowRect(TWinControl* control)
{
    RECT r{};
    GetWindowRect(control->Handle(), &r);
    return r;
}

class Unit2Test : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ks::Sys().ShowModalDialog = &CountDialog;
        ks::Sys().ShellExecuteW = &RecordShell;
        gDialogs = 0;
        gShellCalls.clear();
        CreateForms();
        ASSERT_NE(Form1, nullptr);
        ASSERT_NE(Form2, nullptr);
    }

    // Opens the about box through open and runs step while it shows; returns once it is closed.
    static void WhileShown(const std::function<void()>& open, std::function<void()> step)
    {
        gWhileShown = std::move(step);
        gTimer = SetTimer(nullptr, 0, 10, &RunWhileShown);
        open();
        KillTimer(nullptr, gTimer);
        gWhileShown = nullptr;
    }
    static void ShowModal() { Form2->ShowModal(); }
    static void PressOk() { Get<TsButton>(Form2, "sButton1")->Click(); }
};

TEST_F(Unit2Test, StreamsAsAHiddenDialogWithItsTexts)
{
    EXPECT_FALSE(Form2->Visible());
    EXPECT_EQ(Form2->Caption(), L"О программе");
    HWND wnd = Form2->Handle();
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(wnd, GWL_EXSTYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU));
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
    // The stored opacity has no effect while AlphaBlend is off.
    EXPECT_FALSE(Form2->AlphaBlend());
    EXPECT_FALSE(exStyle & WS_EX_LAYERED);
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, 310);
    EXPECT_EQ(client.bottom, 236);

    const std::pair<const char*, const wchar_t*> texts[] = {
        {"sLabel2", L"Отдельное спасибо Торбеко Милану за\r\nпредоставленный исходник."},
        {"sLabel3", L"Автор и идея"}, {"sLabel4", L"Зельварин Тодор"}, {"sLabel1", L"Наш сайт"}, {"sButton1", L"ОК"},
    };
    for (const auto& [name, text] : texts)
        EXPECT_EQ(Get<TControl>(Form2, name)->Caption(), text) << name;
    auto* link = Get<TsLabel>(Form2, "sLabel1");
    EXPECT_EQ(link->Cursor(), crHandPoint);
    EXPECT_EQ(link->Hint(), L"Сайт разработчика.");
    EXPECT_TRUE(link->ShowHint());

    auto* memo = Get<TsMemo>(Form2, "sMemo1");
    EXPECT_FALSE(memo->ReadOnly());
    const std::vector<std::wstring> lines = {
        L"Программа для генерации сложных паролей написанная в среде Brevik 2007 на языке Ostrel.",
        L"",
        L"Интересно знать, что пароль вида RH|5:qe8J4BM способом подбора будет взламываться на протежении 10 "
        L"миллионов лет, а пароль Pirat может быть взломан за несколько минут (если же его нет в базе) или даже за "
        L"пару секунд (если такой пароль есть в базе взломщика).",
    };
    EXPECT_EQ(memo->LinesList(), lines);
    // The long lines wrap in the window instead of scrolling sideways.
    EXPECT_GT(SendMessageW(memo->Handle(), EM_GETLINECOUNT, 0, 0), 3);
}

// The box opens modally from the title button, and from the tray menu while the main window is
// hidden, centred on the main window's place either way; asking again while it shows does
// nothing, and its OK button ends the modal loop.
TEST_F(Unit2Test, OpensModallyCentredOnTheMainWindow)
{
    auto* trayMenu = Get<TPopupMenu>(Form1, "TrayMenu");
    const struct { const char* name; bool hideMainFirst; std::function<void()> open; } ways[] = {
        {"TitleButton", false, [] { Get<TsButton>(Form1, "sButton6")->Click(); }},
        {"TrayItemWhileHidden", true,
         [&] { trayMenu->DispatchCommand(Get<TMenuItem>(Form1, "N5")->Command()); }},
    };
    // Away from the screen's centre, so that centring on the screen would show.
    Form1->SetBounds(40, 60, Form1->Width(), Form1->Height());
    for (const auto& w : ways) {
        SCOPED_TRACE(w.name);
        if (w.hideMainFirst) {
            Get<TsButton>(Form1, "sButton4")->Click();
            ASSERT_FALSE(Form1->Visible());
        }
        bool shown = false, modal = false, mainEnabled = true, closedByOk = false;
        RECT main{}, about{};
        WhileShown(w.open, [&] {
            shown = IsWindowVisible(Form2->Handle()) != FALSE;
            modal = Form2->FormState().Contains(fsModal);
            mainEnabled = IsWindowEnabled(Form1->Handle()) != FALSE;
            main = WindowRect(Form1);
            about = WindowRect(Form2);
            // The tray menu stays reachable while the box is up.
            Form1->sButton6Click(nullptr);
            trayMenu->DispatchCommand(Get<TMenuItem>(Form1, "N5")->Command());
            PressOk();
            closedByOk = Form2->ModalResult() != mrNone;
        });
        EXPECT_TRUE(shown);
        EXPECT_TRUE(modal);
        if (!w.hideMainFirst) {
            EXPECT_FALSE(mainEnabled) << "the main window waits while the box is modal";
        }
        EXPECT_TRUE(closedByOk);
        EXPECT_FALSE(Form2->Visible());
        EXPECT_EQ(Form1->Visible(), !w.hideMainFirst);
        EXPECT_TRUE(IsWindowEnabled(Form1->Handle()));
        const int width = about.right - about.left, height = about.bottom - about.top;
        EXPECT_EQ(about.left, std::max(0L, main.left + ((main.right - main.left) - width) / 2));
        EXPECT_EQ(about.top, std::max(0L, main.top + ((main.bottom - main.top) - height) / 2));
        EXPECT_EQ(main.left, 40);
        if (w.hideMainFirst)
            Form1->TrayIcon1Click(nullptr);
    }
    EXPECT_EQ(gDialogs, 0);
}

// The box is hidden, not destroyed, between showings: its text and the memo's scroll position
// are as the user left them. The caption's close box hides it too.
TEST_F(Unit2Test, KeepsTheMemoScrolledBetweenShowings)
{
    auto* memo = Get<TsMemo>(Form2, "sMemo1");
    LRESULT firstLine = -1, firstLineAgain = -1;
    std::wstring text, textAgain;
    WhileShown(&ShowModal, [&] {
        SendMessageW(memo->Handle(), EM_LINESCROLL, 0, 2);
        firstLine = SendMessageW(memo->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0);
        text = memo->Text();
        SendMessageW(Form2->Handle(), WM_CLOSE, 0, 0);
    });
    EXPECT_FALSE(Form2->Visible());
    ASSERT_GT(firstLine, 0) << "the memo did not scroll";
    WhileShown(&ShowModal, [&] {
        firstLineAgain = SendMessageW(memo->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0);
        textAgain = memo->Text();
        PressOk();
    });
    EXPECT_EQ(firstLineAgain, firstLine);
    EXPECT_EQ(textAgain, text);
}

// A click on the link asks the shell to open the author's page with the box as owner; a shell
// that cannot open it makes nothing else happen.
TEST_F(Unit2Test, LinkOpensTheAuthorsPageThroughTheShell)
{
    auto* link = Get<TsLabel>(Form2, "sLabel1");
    HWND owner = nullptr;
    WhileShown(&ShowModal, [&] {
        owner = Form2->Handle();
        const LPARAM at = TWMMouse::MakePos(link->Left() + 5, link->Top() + 5);
        SendMessageW(owner, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(owner, WM_LBUTTONUP, 0, at);
        EXPECT_TRUE(Form2->Visible());
        PressOk();
    });
    ASSERT_EQ(gShellCalls.size(), 1u);
    const ShellCall& call = gShellCalls[0];
    EXPECT_EQ(call.owner, owner);
    EXPECT_EQ(call.verb, L"open");
    EXPECT_EQ(call.file, AuthorPage);
    EXPECT_FALSE(call.parameters);
    EXPECT_FALSE(call.directory);
    EXPECT_EQ(call.show, 5);
    EXPECT_EQ(gDialogs, 0);
    EXPECT_TRUE(Shown().empty());
}

} // namespace
