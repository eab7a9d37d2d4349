#include "vcl/Dialogs.h"

#include "vcl/PlatformSeams.h"
#include "vcl/Shapes.h"
#include "win/support/TextInk.h"
#include "win/support/ThreadWindows.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::wstring WarningText = L"Выберите символы, которые вы хотите использовать!";

class DialogsTest : public VclFixture {
protected:
    void TearDown() override
    {
        ks::ResetSys();
        VclFixture::TearDown();
    }
};

struct Seen {
    std::string className;
    std::wstring caption;
    std::wstring text;
    int buttons = 0;
    bool imageHasIcon = false;
    std::wstring defaultCaption;
    DWORD defaultStyle = 0;
};
Seen gSeen;

// Stands in for the user: records the dialog and presses its default button.
int PressDefault(TCustomForm& form)
{
    gSeen = {};
    gSeen.className = form.ClassName();
    gSeen.caption = form.Caption();
    if (auto* label = dynamic_cast<TLabel*>(form.FindComponent("Message")))
        gSeen.text = label->Caption();
    if (auto* image = dynamic_cast<TImage*>(form.FindComponent("Image")))
        gSeen.imageHasIcon = image->Picture()->Graphic() && !image->Picture()->Graphic()->Empty();
    TButton* pressed = nullptr;
    for (int i = 0; i < form.ComponentCount(); ++i) {
        auto* button = dynamic_cast<TButton*>(form.Components(i));
        if (!button)
            continue;
        ++gSeen.buttons;
        EXPECT_STREQ(button->ClassName(), "TButton");
        if (button->Default()) {
            pressed = button;
            gSeen.defaultCaption = button->Caption();
            gSeen.defaultStyle = static_cast<DWORD>(GetWindowLongW(button->Handle(), GWL_STYLE)) & BS_TYPEMASK;
        }
    }
    if (!pressed)
        return -1;
    HWND wnd = pressed->Handle();
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(wnd), BN_CLICKED), reinterpret_cast<LPARAM>(wnd));
    return form.ModalResult();
}

TEST_F(DialogsTest, CaptionsButtonsAndResultsFollowTheKind)
{
    ks::Sys().ShowModalDialog = &PressDefault;
    EXPECT_EQ(MessageDlg(WarningText, mtWarning, {mbOK}, 0), mrOk);
    EXPECT_EQ(gSeen.className, "TMessageForm");
    EXPECT_EQ(gSeen.caption, L"Warning");
    EXPECT_EQ(gSeen.text, WarningText);
    EXPECT_EQ(gSeen.buttons, 1);
    EXPECT_TRUE(gSeen.imageHasIcon);
    EXPECT_EQ(gSeen.defaultCaption, L"OK");
    EXPECT_EQ(gSeen.defaultStyle, static_cast<DWORD>(BS_DEFPUSHBUTTON));

    struct Case {
        const char* name;
        TMsgDlgType type;
        TMsgDlgButtons buttons;
        const wchar_t* caption;
        int count;
        int result;
    } cases[] = {
        {"Error", mtError, {mbOK, mbCancel}, L"Error", 2, mrOk},
        {"Information", mtInformation, {mbOK}, L"Information", 1, mrOk},
        {"Confirmation", mtConfirmation, {mbYes, mbNo}, L"Confirmation", 2, mrYes},
        {"RetryIsDefaultWithoutOkOrYes", mtError, {mbAbort, mbRetry, mbIgnore}, L"Error", 3, mrRetry},
        {"NoButtonsStillCloses", mtWarning, {}, L"Warning", 1, mrOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MessageDlg(L"text", c.type, c.buttons, 0), c.result);
        EXPECT_EQ(gSeen.caption, c.caption);
        EXPECT_EQ(gSeen.buttons, c.count);
    }
    ShowMessage(L"plain");
    EXPECT_EQ(gSeen.caption, Application->Title());
    EXPECT_FALSE(gSeen.imageHasIcon);
}

HWND gDialogButton = nullptr;
void CALLBACK PressOkLater(HWND, UINT, UINT_PTR, DWORD)
{
    // Finds the shown dialog by its caption and presses its button as a user would.
    HWND dialog = ks::test::FindThreadWindow(nullptr, L"Warning");
    HWND button = dialog ? FindWindowExW(dialog, nullptr, L"TButton", nullptr) : nullptr;
    if (button) {
        gDialogButton = button;
        PostMessageW(button, BM_CLICK, 0, 0);
    }
}

TEST_F(DialogsTest, RealModalLoopEndsWithTheButtonPressed)
{
    UINT_PTR timer = SetTimer(nullptr, 0, 50, &PressOkLater);
    int result = MessageDlg(WarningText, mtWarning, {mbOK}, 0);
    KillTimer(nullptr, timer);
    EXPECT_NE(gDialogButton, nullptr);
    EXPECT_EQ(result, mrOk);
}

// The label is sized from the text as its own font draws it: one short line, one line a little
// wider, and a text too long for one line, which wraps within half the screen as the platform's
// message box wraps it.
TEST_F(DialogsTest, TheLabelHoldsTheWholeTextAsItIsDrawn)
{
    std::wstring longText;
    for (int i = 0; i < 40; ++i)
        longText += L"использовать ";
    const struct {
        const char* name;
        std::wstring text;
        bool wraps;
    } cases[] = {
        {"Short", L"OK?", false},
        {"OneLine", WarningText, false},
        {"Wrapped", longText, true},
        {"Tabs", L"a\tb\tc", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TMessageForm* form = CreateMessageDialog(c.text, mtWarning, {mbOK});
        auto* label = dynamic_cast<TLabel*>(form->FindComponent("Message"));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->Font()->Name(), form->Font()->Name());
        EXPECT_EQ(label->Font()->Height(), form->Font()->Height());
        const TRect client = label->ClientRect();
        TCanvas& canvas = label->Canvas();
        canvas.Font().Assign(label->Font());
        HDC dc = canvas.Handle();
        const TSize ink = ks::test::TextInk(dc, static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT)), c.text, client);
        EXPECT_GT(ink.cx, 0);
        EXPECT_LE(ink.cx, client.Width());
        EXPECT_LE(ink.cy, client.Height());
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        EXPECT_EQ(client.Height() > metrics.tmHeight, c.wraps);
        EXPECT_LE(label->BoundsRect().Right, form->ClientWidth());
        EXPECT_LE(form->Width(), Screen->Width());
        form->Free();
    }
}

} // namespace
