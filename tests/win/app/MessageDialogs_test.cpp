// Every message the program shows, shown as the program shows it (skinned, its box made by the
// class library): the text needs no more room than its label has, measured in the label's own
// font on the label's own device context, and the label lies inside the box.
#include "skin/controls/sButton.h"
#include "skin/controls/sCheckBox.h"
#include "vcl/Dialogs.h"
#include "vcl/PlatformSeams.h"
#include "vcl/Random.h"
#include "vcl/TrayIcon.h"
#include "win/app/AppFixture.h"
#include "win/support/TextInk.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

namespace {

// What the box looked like while it was up.
struct Measured {
    std::wstring text;
    TRect client;  // the label's client rectangle
    TSize needed;  // DT_CALCRECT in the label's font on the label's device context
    TSize ink;     // where the text's ink ends when drawn in the label's font at the label's width
    TRect bounds;  // the label in the form's client area
    TRect form;    // the form's client area
};
std::vector<Measured> gMeasured;

// Runs from a timer inside the dialog's own modal loop: measures the box that is up and
// closes it as its button would.
void CALLBACK MeasureShownDialog(HWND, UINT, UINT_PTR, DWORD)
{
    TMessageForm* form = nullptr;
    for (int i = 0; i < Screen->FormCount() && !form; ++i)
        form = dynamic_cast<TMessageForm*>(Screen->Forms(i));
    if (!form || !form->Visible())
        return;
    auto* label = dynamic_cast<TLabel*>(form->FindComponent("Message"));
    if (!label) {
        ADD_FAILURE() << "the box has no label";
        form->SetModalResult(mrCancel);
        return;
    }
    Measured m{label->Caption(), label->ClientRect(), {}, {}, label->BoundsRect(), form->ClientRect()};
    TCanvas& canvas = label->Canvas();
    canvas.Font().Assign(label->Font());
    HDC dc = canvas.Handle();
    RECT r{0, 0, m.client.Width(), 0};
    DrawTextW(dc, m.text.c_str(), static_cast<int>(m.text.size()), &r, DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS | DT_CALCRECT);
    m.needed = {r.right - r.left, r.bottom - r.top};
    m.ink = ks::test::TextInk(dc, static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT)), m.text, m.client);
    gMeasured.push_back(m);
    form->SetModalResult(mrOk);
}

class OutOfMemory : public ks::RandomSource {
public:
    void Reseed() override {}
    uint32_t Below(uint32_t) override { throw std::bad_alloc(); }
};

class MessageDialogsTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        gMeasured.clear();
        CreateForms();
        ASSERT_NE(Form1, nullptr);
        FTimer = SetTimer(nullptr, 0, 50, &MeasureShownDialog);
    }
    void TearDown() override
    {
        KillTimer(nullptr, FTimer);
        AppFixture::TearDown();
    }
    UINT_PTR FTimer = 0;
    static void Generate() { Get<TsButton>(Form1, "sButton1")->Click(); }
};

TEST_F(MessageDialogsTest, EveryMessageFitsItsLabel)
{
    // The warning: no character class ticked.
    for (const char* name : {"sCheckBox1", "sCheckBox2", "sCheckBox3", "sCheckBox4"})
        Get<TsCheckBox>(Form1, name)->SetChecked(false);
    Generate();
    // The out-of-memory error: the generator cannot have its password.
    Get<TsCheckBox>(Form1, "sCheckBox1")->SetChecked(true);
    OutOfMemory failing;
    Form1->SetRandomSource(&failing);
    Generate();
    Form1->SetRandomSource(nullptr);
    // The others go through the same dialog: the refused tray icon and the engine's version.
    MessageDlg(L"Не удалось показать значок в области уведомлений.", mtError, {mbOK}, 0);
    ShowMessage(L"Skin Engine v6.50");

    ASSERT_EQ(gMeasured.size(), 4u);
    EXPECT_EQ(gMeasured[0].text, L"Выберите символы, которые вы хотите использовать!");
    EXPECT_EQ(gMeasured[1].text, L"Недостаточно памяти для пароля такой длины.");
    const char* names[] = {"NoClasses", "NoMemory", "NoTrayIcon", "Version"};
    for (size_t i = 0; i < gMeasured.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const Measured& m = gMeasured[i];
        EXPECT_LE(m.needed.cx, m.client.Width());
        EXPECT_LE(m.needed.cy, m.client.Height());
        // What is drawn, not only what is measured: the last letters were lost here.
        EXPECT_LE(m.ink.cx, m.client.Width());
        EXPECT_LE(m.ink.cy, m.client.Height());
        EXPECT_GT(m.ink.cx, 0);
        EXPECT_GE(m.bounds.Left, 0);
        EXPECT_GE(m.bounds.Top, 0);
        EXPECT_LE(m.bounds.Right, m.form.Right);
        EXPECT_LE(m.bounds.Bottom, m.form.Bottom);
    }
}

} // namespace
