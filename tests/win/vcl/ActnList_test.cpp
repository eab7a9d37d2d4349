#include "vcl/ActnList.h"
#include "vcl/FormStreaming.h"
#include "vcl/FormText.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"
#include "win/support/VclFixture.h"

#include <gtest/gtest.h>

namespace {

// A button that counts the update offers it hears.
class CountingButton : public TButton {
public:
    using TButton::TButton;
    void WndProc(TMessage& m) override
    {
        if (m.Msg == CM_ACTIONUPDATE)
            ++Offers;
        TButton::WndProc(m);
    }
    int Offers = 0;
};

class ActionsTest : public VclFormFixture {
public:
    void Executed(TObject* sender) { LastExecuted = sender; }
    void Updated(TObject*) { ++Updates; }
    // Wakes the message loop that waits after its idle work.
    void UpdatedAndWoken(TObject*)
    {
        ++Updates;
        PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
    }

protected:
    void SetUp() override
    {
        VclFormFixture::SetUp();
        FList = Create<TActionList>(FForm);
        FAction = Create<TAction>(FForm);
        FAction->SetActionList(FList);
    }
    TActionList* FList = nullptr;
    TAction* FAction = nullptr;
    TObject* LastExecuted = nullptr;
    int Updates = 0;
};

TEST_F(ActionsTest, ABoundControlFollowsEveryChangeOfItsAction)
{
    auto* button = Add<TButton>();
    FAction->SetCaption(L"Создать");
    FAction->SetHint(L"новый пароль");
    button->SetAction(FAction);
    EXPECT_EQ(button->Caption(), L"Создать");
    EXPECT_EQ(button->Hint(), L"новый пароль");

    FAction->SetEnabled(false);
    EXPECT_FALSE(button->Enabled());
    FAction->SetVisible(false);
    EXPECT_FALSE(button->Visible());
    FAction->SetCaption(L"Ещё");
    EXPECT_EQ(button->Caption(), L"Ещё");

    button->SetAction(nullptr);
    FAction->SetEnabled(true);
    EXPECT_FALSE(button->Enabled()) << "an unbound control hears nothing more";
}

TEST_F(ActionsTest, FreeingEitherSideLeavesNoDanglingLink)
{
    auto* button = Add<TButton>();
    auto* box = Add<TCheckBox>();
    button->SetAction(FAction);
    box->SetAction(FAction);
    button->Free();
    FAction->SetEnabled(false); // would reach the freed button
    EXPECT_FALSE(box->Enabled());

    FAction->Free();
    EXPECT_EQ(box->Action(), nullptr);
    EXPECT_EQ(FList->ActionCount(), 0) << "the list forgets a freed action";
}

TEST_F(ActionsTest, AClickWithoutOnClickExecutesTheAction)
{
    auto* button = Add<TButton>();
    FAction->SetOnExecute(TNotifyEvent(this, &ActionsTest::Executed));
    button->SetAction(FAction);
    button->Click();
    EXPECT_EQ(LastExecuted, FAction);
}

TEST_F(ActionsTest, WithoutOnUpdateTheUpdateIsOfferedToEveryControl)
{
    auto* first = Add<CountingButton>();
    auto* second = Add<CountingButton>();
    auto* bound = Add<TButton>();
    bound->SetAction(FAction);

    bound->InitiateAction();
    EXPECT_EQ(first->Offers, 1);
    EXPECT_EQ(second->Offers, 1);

    FAction->SetOnUpdate(TNotifyEvent(this, &ActionsTest::Updated));
    bound->InitiateAction();
    EXPECT_EQ(Updates, 1);
    EXPECT_EQ(first->Offers, 1) << "an action that updates itself offers nothing";
}

TEST_F(ActionsTest, TheApplicationRunsTheUpdateCycleOfShownControlsWhenItGoesIdle)
{
    auto* button = Add<TButton>();
    button->SetAction(FAction);
    FAction->SetOnUpdate(TNotifyEvent(this, &ActionsTest::UpdatedAndWoken));
    FForm->Show();
    Application->ProcessMessages();
    Updates = 0;
    Application->HandleMessage();
    EXPECT_EQ(Updates, 1);
    FForm->Hide();
}

TEST_F(ActionsTest, ACheckBoxTakesCheckedButOnlyADefaultOneWhenBound)
{
    auto* box = Add<TCheckBox>();
    FAction->SetChecked(true);
    box->SetAction(FAction);
    EXPECT_TRUE(box->Checked());
    FAction->SetChecked(false);
    EXPECT_FALSE(box->Checked());
}

TEST_F(ActionsTest, AStreamedControlBindsToItsActionAndTheListKeepsItsActions)
{
    const std::vector<uint8_t> data = CompileFormText(R"(object Form: TForm
  object List: TActionList
    object Generate: TAction
      Caption = 'Создать'
      Enabled = False
    end
  end
  object Button: TButton
    Action = Generate
  end
end
)");
    TForm* form = CreateNew<TForm>(nullptr);
    ReadRootComponent(data, *form);
    auto* list = dynamic_cast<TActionList*>(form->FindComponent("List"));
    auto* action = dynamic_cast<TAction*>(form->FindComponent("Generate"));
    auto* button = dynamic_cast<TButton*>(form->FindComponent("Button"));
    ASSERT_TRUE(list && action && button);
    EXPECT_EQ(action->ActionList(), list);
    EXPECT_EQ(button->Action(), action);
    EXPECT_EQ(button->Caption(), L"Создать");
    EXPECT_FALSE(button->Enabled());

    const std::string text = FormBinaryToText(WriteRootComponent(*form));
    EXPECT_NE(text.find("Action = Generate"), std::string::npos) << text;
    form->Free();
}

} // namespace
