#include "skin/core/MessageBoxes.h"

#include "vcl/Forms.h"
#include "vcl/PlatformSeams.h"
#include "skin/adapters/acStaticAdapters.h"
#include "win/skin/forms/DialogSkinFixture.h"
#include "win/support/SheetPng.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// What the message-box seam saw, and the state of the world while the box was up.
struct BoxCall {
    int calls = 0;
    HWND owner = nullptr;
    std::wstring text;
    std::wstring caption;
    UINT flags = 0;
    int posX = 0;
    int posY = 0;
    int modalLevel = 0;
    int answer = IDOK;
    bool fail = false;
};
BoxCall box;

int WINAPI RecordBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags)
{
    ++box.calls;
    box.owner = owner;
    box.text = text;
    box.caption = caption;
    box.flags = flags;
    box.posX = DialogPosX;
    box.posY = DialogPosY;
    box.modalLevel = Application->ModalLevel();
    if (box.fail)
        throw std::runtime_error("the box could not be shown");
    return box.answer;
}

class MessageBoxesTest : public VclFixture {
protected:
    void SetUp() override
    {
        VclFixture::SetUp();
        box = {};
        ks::Sys().MessageBoxW = &RecordBox;
    }
};

constexpr UINT OnTop = MB_TOPMOST | MB_SETFOREGROUND; // 0x50000

TEST_F(MessageBoxesTest, KindAndButtonsChooseCaptionIconAndButtonSet)
{
    struct Case {
        const char* name;
        std::wstring caption;
        TMsgDlgType kind;
        TMsgDlgButtons buttons;
        std::wstring expectedCaption;
        UINT expectedFlags;
    } const cases[] = {
        {"WarningOk", L"", mtWarning, {mbOK}, L"Warning", 0x30 | OnTop | 0},
        {"ErrorOkCancel", L"", mtError, {mbOK, mbCancel}, L"Error", 0x10 | OnTop | 1},
        {"OkWinsOverYes", L"", mtError, {mbYes, mbOK}, L"Error", 0x10 | OnTop | 0},
        {"InformationAbort", L"", mtInformation, {mbAbort}, L"Information", 0x40 | OnTop | 2},
        {"IgnoreRetry", L"", mtInformation, {mbIgnore, mbRetry}, L"Information", 0x40 | OnTop | 2},
        {"AbortWinsOverYes", L"", mtInformation, {mbYes, mbAbort}, L"Information", 0x40 | OnTop | 2},
        {"ConfirmYesNoCancel", L"", mtConfirmation, {mbYes, mbNo, mbCancel}, L"Confirm", 0x20 | OnTop | 3},
        {"ConfirmNo", L"", mtConfirmation, {mbNo}, L"Confirm", 0x20 | OnTop | 4},
        {"CustomRetry", L"", mtCustom, {mbRetry, mbCancel}, L"", OnTop | 5},
        {"CancelAlone", L"", mtCustom, {mbCancel}, L"", OnTop | 0},
        {"NoButtons", L"", mtWarning, {}, L"Warning", 0x30 | OnTop | 0},
        {"HelpAndOwnCaption", L"Своя", mtWarning, {mbOK, mbHelp}, L"Своя", 0x30 | OnTop | 0 | 0x4000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        box = {};
        box.answer = IDRETRY;
        EXPECT_EQ(MessageBoxByKindEx(c.caption, L"Пароль скопирован", c.kind, -1, -1, c.buttons), IDRETRY);
        EXPECT_EQ(box.calls, 1);
        EXPECT_EQ(box.text, L"Пароль скопирован");
        EXPECT_EQ(box.caption, c.expectedCaption);
        EXPECT_EQ(box.flags, c.expectedFlags);
    }
}

// The shortcuts show "Text" (Alert its own) with OK at no given position.
TEST_F(MessageBoxesTest, ShortcutsShowWarningsAndErrorsWithOk)
{
    struct Case {
        void (*show)();
        std::wstring text, caption;
        UINT flags;
    } const cases[] = {
        {[] { ShowWarning(L"Text"); }, L"Text", L"Warning", 0x30 | OnTop},
        {[] { Alert(); }, L"Alert", L"Warning", 0x30 | OnTop},
        {[] { ShowError(L"Text"); }, L"Text", L"Error", 0x10 | OnTop},
        {[] { MessageBoxByKind(L"Text", mtInformation, {mbOK}); }, L"Text", L"Information", 0x40 | OnTop},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption + L" " + c.text);
        box = {};
        c.show();
        EXPECT_EQ(box.calls, 1);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.flags, c.flags);
        EXPECT_EQ(box.posX, -1);
        EXPECT_EQ(box.posY, -1);
    }
}

TEST_F(MessageBoxesTest, PositionAndModalStateLastAsLongAsTheBox)
{
    const int level = Application->ModalLevel();
    MessageBoxByKindEx(L"", L"Here", mtInformation, 120, 45, {mbOK});
    EXPECT_EQ(box.posX, 120);
    EXPECT_EQ(box.posY, 45);
    EXPECT_EQ(box.modalLevel, level + 1);
    EXPECT_EQ(DialogPosX, -1);
    EXPECT_EQ(DialogPosY, -1);
    EXPECT_EQ(Application->ModalLevel(), level);

    box.fail = true;
    EXPECT_THROW(MessageBoxByKindEx(L"", L"Fails", mtError, 7, 8, {mbOK}), std::runtime_error);
    EXPECT_EQ(box.posX, 7);
    EXPECT_EQ(DialogPosX, -1);
    EXPECT_EQ(DialogPosY, -1);
    EXPECT_EQ(Application->ModalLevel(), level);
}

TEST_F(MessageBoxesTest, OwnedByTheActiveWindowOrElseTheApplication)
{
    HWND wnd = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 80, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(wnd, nullptr);
    SetActiveWindow(wnd);
    ASSERT_EQ(GetActiveWindow(), wnd);
    ShowWarning(L"owned");
    EXPECT_EQ(box.owner, wnd);

    DestroyWindow(wnd);
    Application->ProcessMessages();
    ASSERT_EQ(GetActiveWindow(), nullptr);
    ShowWarning(L"unowned");
    EXPECT_EQ(box.owner, Application->Handle());
}

// The platform's box under the skin: its text is the platform's static with SS_NOPREFIX, whose
// ampersands are text. The box is left at <build>/message-box-ampersands.png for a person.
class SkinnedMessageBoxTest : public ks::test::DialogFixture {};

TEST_F(SkinnedMessageBoxTest, AmpersandsInTheTextAreDrawnAsThePlatformDrawsThem)
{
    using namespace ks::test;
    const std::wstring text = L"Costs of R&D and W&&X";
    RunBox(nullptr, text, L"Keysmith", MB_OK | MB_ICONINFORMATION, [&](HWND box) {
        HWND label = FindWindowExW(box, nullptr, L"Static", text.c_str());
        ASSERT_NE(label, nullptr);
        ASSERT_NE(dynamic_cast<TacStaticWnd*>(GetScrollHandler(label)), nullptr) << "the text is skinned";
        RECT r{};
        GetClientRect(label, &r);
        const auto style = static_cast<DWORD>(GetWindowLongW(label, GWL_STYLE)) & 0xFFFF;
        HWND plain = CreateWindowExW(0, L"STATIC", text.c_str(), WS_POPUP | style, 0, 0, r.right, r.bottom, nullptr,
                                     nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_EQ(GetScrollHandler(plain), nullptr);
        SendMessageW(plain, WM_SETFONT, SendMessageW(label, WM_GETFONT, 0, 0), FALSE);
        auto skinned = PrintedPicture(label);
        auto platform = PrintedPicture(plain);
        DestroyWindow(plain);
        EXPECT_EQ(InkLines(*skinned, true), InkLines(*platform, true));
        RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        WriteSheetPng(*ScreenPicture(box), std::string("Z:") + KS_BUILD_DIR + "/message-box-ampersands.png");
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
}

} // namespace
