// The program's forms as the creation hook meets them: the about box and the warning box are
// caught when first shown and get a run-time form provider, once; the main form never; the hook
// and its records are gone after shut-down. Pictures of both boxes as the program shows them are
// left under the build folder.
#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "skin/controls/sEdit.h"
#include "skin/forms/acDials.h"
#include "skin/forms/sSkinProvider.h"
#include "vcl/Dialogs.h"
#include "win/app/AppFixture.h"
#include "win/support/SheetPng.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

std::function<void()> gWhileShown;

void CALLBACK RunOnce(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (auto step = std::exchange(gWhileShown, nullptr))
        step();
}

// Records of the hook that the form owns.
int RecordsOf(const TComponent* form)
{
    int count = 0;
    if (HookedWindows)
        for (const TacProvider* record : *HookedWindows)
            count += record && record->Owner() == form && record->SkinProvider;
    return count;
}

int ProvidersOf(const TComponent* form)
{
    int count = 0;
    for (int i = 0; i < form->ComponentCount(); ++i)
        count += dynamic_cast<TsSkinProvider*>(form->Components(i)) != nullptr;
    return count;
}

TMessageForm* ShownMessageForm()
{
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (auto* form = dynamic_cast<TMessageForm*>(Screen->Forms(i)); form && form->Visible())
            return form;
    return nullptr;
}

void Picture(TCustomForm* form, const std::string& name)
{
    RECT r{};
    GetWindowRect(form->Handle(), &r);
    TBitmap shot;
    shot.SetPixelFormat(pf24bit);
    shot.SetSize(r.right - r.left, r.bottom - r.top);
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC screen = GetDC(nullptr);
    BitBlt(shot.Canvas().Handle(), 0, 0, shot.Width(), shot.Height(), screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    ks::test::WriteSheetPng(shot, std::string(KS_BUILD_DIR) + "/" + name);
}

class DialogHookTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        CreateForms();
        ASSERT_NE(Form1, nullptr);
        ASSERT_NE(Form2, nullptr);
    }
    void TearDown() override
    {
        gWhileShown = nullptr;
        AppFixture::TearDown();
    }
    // Runs step from the modal loop of what open shows.
    static void WhileShown(const std::function<void()>& open, std::function<void()> step)
    {
        gWhileShown = std::move(step);
        SetTimer(nullptr, 0, 50, &RunOnce);
        open();
        gWhileShown = nullptr;
    }
};

TEST_F(DialogHookTest, TheAboutBoxIsCaughtWhenFirstShownAndTheMainFormNever)
{
    ASSERT_NE(CreationHook.Handle(), nullptr);
    EXPECT_EQ(RecordsOf(Form2), 0) << "an owned form is not caught at its creation";
    int whileShown = -1;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        WhileShown([] { Form1->sButton6Click(nullptr); }, [&] {
            whileShown = RecordsOf(Form2);
            if (round == 0)
                Picture(Form2, "about-box-after-start.png");
            Form2->SetModalResult(mrOk);
        });
        EXPECT_EQ(whileShown, 1);
        EXPECT_EQ(ProvidersOf(Form2), 1) << "the second showing attaches nothing";
    }
    EXPECT_EQ(RecordsOf(Form1), 0);
    EXPECT_EQ(ProvidersOf(Form1), 0);
}

TEST_F(DialogHookTest, TheWarningBoxIsCaughtAndAnswersItsButton)
{
    for (const char* name : {"sCheckBox1", "sCheckBox2", "sCheckBox3", "sCheckBox4"})
        Get<TsCheckBox>(Form1, name)->SetChecked(false);
    int records = -1;
    std::wstring text;
    WhileShown([] { Get<TsButton>(Form1, "sButton1")->Click(); }, [&] {
        TMessageForm* box = ShownMessageForm();
        ASSERT_NE(box, nullptr);
        records = RecordsOf(box);
        if (auto* label = dynamic_cast<TLabel*>(box->FindComponent("Message")))
            text = label->Caption();
        Picture(box, "warning-box.png");
        box->SetModalResult(mrOk);
    });
    EXPECT_EQ(records, 1);
    EXPECT_EQ(text, L"Выберите символы, которые вы хотите использовать!");
    EXPECT_EQ(Get<TsEdit>(Form1, "sEdit1")->Text(), L"") << "the field is emptied";
    EXPECT_EQ(RecordsOf(Form1), 0);
}

TEST_F(DialogHookTest, TheHookAndItsRecordsAreGoneAfterShutDown)
{
    WhileShown([] { Form1->sButton6Click(nullptr); }, [] { Form2->SetModalResult(mrOk); });
    ASSERT_TRUE(HookedWindows);
    FreeForms();
    EXPECT_EQ(CreationHook.Handle(), nullptr);
    EXPECT_FALSE(HookedWindows);
}

} // namespace
